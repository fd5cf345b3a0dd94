#include "core/tags/tag_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>

namespace tunecrest {

namespace {
std::string Joined(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out.append(a);
    out.append(b);
    return out;
}
std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a);
    out.append(b);
    out.append(c);
    return out;
}
}  // namespace

std::string operator+(const TtagText& a, std::string_view b) { return Joined(a, b); }
std::string operator+(std::string_view a, const TtagText& b) { return Joined(a, b); }
std::string operator+(const TtagText& a, const char* b) { return Joined(a, b); }
std::string operator+(const char* a, const TtagText& b) { return Joined(a, b); }
std::string operator+(const TtagText& a, const std::string& b) { return Joined(a, b); }
std::string operator+(const std::string& a, const TtagText& b) { return Joined(a, b); }
std::string operator+(const TtagText& a, char b) { return Joined(a, std::string_view(&b, 1)); }
std::ostream& operator<<(std::ostream& out, const TtagText& text) { return out << std::string_view(text); }

std::string TfileNameText::str() const { return Joined(Ffolder, Fname); }

int TfileNameText::compare(std::string_view other) const noexcept {
    // The folder against as much of the other name, then the name against the rest.
    const size_t n = std::min(Ffolder.size(), other.size());
    if (const int c = Ffolder.compare(0, n, other.substr(0, n)); c != 0) return c;
    if (other.size() < Ffolder.size()) return 1;
    return Fname.compare(other.substr(Ffolder.size()));
}

int TfileNameText::compare(const TfileNameText& other) const noexcept {
    // Most names compared share their folder (the pool's one copy), or differ within it.
    if (Ffolder.data() == other.Ffolder.data() && Ffolder.size() == other.Ffolder.size())
        return Fname.compare(other.Fname);
    // Otherwise the two pieces of each, as far as both go, a stretch at a time.
    std::string_view a = Ffolder, b = other.Ffolder;
    bool aInName = false, bInName = false;
    while (true) {
        if (a.empty() && !aInName) a = Fname, aInName = true;
        if (b.empty() && !bInName) b = other.Fname, bInName = true;
        const size_t n = std::min(a.size(), b.size());
        if (n == 0) break;
        if (const int c = std::memcmp(a.data(), b.data(), n); c != 0) return c < 0 ? -1 : 1;
        a.remove_prefix(n);
        b.remove_prefix(n);
    }
    const size_t total = size(), otherTotal = other.size();
    return total == otherTotal ? 0 : total < otherTotal ? -1 : 1;
}

bool TfileNameText::starts_with(std::string_view prefix) const noexcept {
    if (prefix.size() > size()) return false;
    const size_t inFolder = std::min(prefix.size(), Ffolder.size());
    return Ffolder.substr(0, inFolder) == prefix.substr(0, inFolder) &&
           Fname.substr(0, prefix.size() - inFolder) == prefix.substr(inFolder);
}

bool TfileNameText::ends_with(std::string_view suffix) const noexcept {
    if (suffix.size() > size()) return false;
    const size_t inName = std::min(suffix.size(), Fname.size());
    const size_t inFolder = suffix.size() - inName;
    return Fname.substr(Fname.size() - inName) == suffix.substr(inFolder) &&
           Ffolder.substr(Ffolder.size() - inFolder) == suffix.substr(0, inFolder);
}

size_t TfileNameHash::operator()(const TfileNameText& name) const noexcept {
    uint64_t h = 14695981039346656037ull;  // FNV-1a over the folder, then the name
    for (std::string_view part : {name.Folder(), name.Name()})
        for (char c : part) {
            h ^= static_cast<unsigned char>(c);
            h *= 1099511628211ull;
        }
    return size_t(h);
}

std::string operator+(const TfileNameText& a, std::string_view b) { return Joined(a.Folder(), a.Name(), b); }
std::string operator+(std::string_view a, const TfileNameText& b) { return Joined(a, b.Folder(), b.Name()); }
std::string operator+(const TfileNameText& a, const char* b) { return Joined(a.Folder(), a.Name(), b); }
std::string operator+(const char* a, const TfileNameText& b) { return Joined(a, b.Folder(), b.Name()); }
std::string operator+(const TfileNameText& a, const std::string& b) { return Joined(a.Folder(), a.Name(), b); }
std::string operator+(const std::string& a, const TfileNameText& b) { return Joined(a, b.Folder(), b.Name()); }
std::ostream& operator<<(std::ostream& out, const TfileNameText& name) { return out << name.Folder() << name.Name(); }

}  // namespace tunecrest
