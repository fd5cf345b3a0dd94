#pragma once
// How a track hands out the texts it keeps in a form of its own (its title, its file
// name): as views of the bytes the track holds, valid while the track lives and the text
// is not set anew (as a reference to a member string was). A library keeps a million
// tracks: a track keeps its title and the name of its file in one block, and the folder
// of the file, which the tracks of an album share, once for the whole library.
#include <compare>
#include <iosfwd>
#include <cstddef>
#include <string>
#include <string_view>

namespace tunecrest {

// A text of a track: a view of its bytes, which are followed by a zero byte. It reads as a
// std::string_view, and turns into a std::string (a copy) where one is asked for.
class TtagText : public std::string_view {
  public:
    constexpr TtagText() noexcept : std::string_view("") {}
    // `text` must be followed by a zero byte.
    constexpr explicit TtagText(std::string_view text) noexcept : std::string_view(text) {}
    const char* c_str() const noexcept { return data(); }
    std::string str() const { return std::string(*this); }
    operator std::string() const { return str(); }
};

std::string operator+(const TtagText& a, std::string_view b);
std::string operator+(std::string_view a, const TtagText& b);
std::string operator+(const TtagText& a, const char* b);
std::string operator+(const char* a, const TtagText& b);
std::string operator+(const TtagText& a, const std::string& b);
std::string operator+(const std::string& a, const TtagText& b);
std::string operator+(const TtagText& a, char b);
std::ostream& operator<<(std::ostream& out, const TtagText& text);

// The name of a track's file: its folder (up to and with the last "/"; empty without one)
// and the name within it, kept apart. It compares and orders as the whole name would,
// byte for byte. The whole name as one text is a copy, made only when asked for by name
// (str(), or a std::string made from it): a view of such a copy would outlive it.
class TfileNameText {
  public:
    constexpr TfileNameText() noexcept = default;
    constexpr TfileNameText(std::string_view folder, std::string_view name) noexcept
        : Ffolder(folder), Fname(name) {}

    std::string_view Folder() const noexcept { return Ffolder; }
    std::string_view Name() const noexcept { return Fname; }
    size_t size() const noexcept { return Ffolder.size() + Fname.size(); }
    bool empty() const noexcept { return Ffolder.empty() && Fname.empty(); }
    char operator[](size_t i) const noexcept { return i < Ffolder.size() ? Ffolder[i] : Fname[i - Ffolder.size()]; }
    std::string str() const;
    explicit operator std::string() const { return str(); }
    std::string substr(size_t pos, size_t count = std::string::npos) const { return str().substr(pos, count); }
    size_t find(std::string_view text, size_t pos = 0) const { return str().find(text, pos); }
    size_t find(char c, size_t pos = 0) const { return str().find(c, pos); }
    size_t rfind(char c, size_t pos = std::string::npos) const { return str().rfind(c, pos); }
    size_t rfind(std::string_view text, size_t pos = std::string::npos) const { return str().rfind(text, pos); }
    // Like std::string_view::compare: <0, 0, >0 by bytes, then by length.
    int compare(std::string_view other) const noexcept;
    int compare(const TfileNameText& other) const noexcept;
    bool starts_with(std::string_view prefix) const noexcept;
    bool ends_with(std::string_view suffix) const noexcept;

    friend bool operator==(const TfileNameText& a, std::string_view b) noexcept {
        return a.size() == b.size() && a.compare(b) == 0;
    }
    friend bool operator==(const TfileNameText& a, const TfileNameText& b) noexcept {
        return a.size() == b.size() && a.compare(b) == 0;
    }
    friend bool operator==(const TfileNameText& a, const std::string& b) noexcept { return a == std::string_view(b); }
    friend bool operator==(const TfileNameText& a, const char* b) noexcept { return a == std::string_view(b); }
    friend std::strong_ordering operator<=>(const TfileNameText& a, std::string_view b) noexcept {
        return a.compare(b) <=> 0;
    }
    friend std::strong_ordering operator<=>(const TfileNameText& a, const TfileNameText& b) noexcept {
        return a.compare(b) <=> 0;
    }
    friend std::strong_ordering operator<=>(const TfileNameText& a, const std::string& b) noexcept {
        return a.compare(b) <=> 0;
    }
    friend std::strong_ordering operator<=>(const TfileNameText& a, const char* b) noexcept {
        return a.compare(b) <=> 0;
    }

  private:
    std::string_view Ffolder, Fname;
};

// A hash of a file name as the whole name would give it (for hash maps keyed by names).
struct TfileNameHash {
    size_t operator()(const TfileNameText& name) const noexcept;
};

std::string operator+(const TfileNameText& a, std::string_view b);
std::string operator+(std::string_view a, const TfileNameText& b);
std::string operator+(const TfileNameText& a, const char* b);
std::string operator+(const char* a, const TfileNameText& b);
std::string operator+(const TfileNameText& a, const std::string& b);
std::string operator+(const std::string& a, const TfileNameText& b);
std::ostream& operator<<(std::ostream& out, const TfileNameText& name);

}  // namespace tunecrest
