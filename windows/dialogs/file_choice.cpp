#include "windows/dialogs/file_choice.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>

#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

// Masks of one filter part: separated by ";", "," or spaces.
std::vector<std::string> SplitMasks(const std::string& text) {
    std::vector<std::string> masks;
    std::string current;
    auto flush = [&] {
        const std::string mask = Trim(current);
        if (!mask.empty()) masks.push_back(mask);
        current.clear();
    };
    for (char c : text) {
        if (c == ';' || c == ',' || c == ' ' || c == '\t') flush();
        else current += c;
    }
    flush();
    return masks;
}

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + separator.size();
    }
    return parts;
}


}  // namespace

std::vector<TfileFilterEntry> ParseFileFilter(const std::string& filter) {
    std::vector<TfileFilterEntry> entries;
    if (filter.find('|') != std::string::npos) {
        const std::vector<std::string> parts = SplitOn(filter, "|");
        for (size_t i = 0; i + 1 < parts.size(); i += 2) {
            TfileFilterEntry entry{Trim(parts[i]), SplitMasks(parts[i + 1])};
            if (!entry.Masks.empty()) entries.push_back(std::move(entry));
        }
    } else {
        for (const std::string& part : SplitOn(filter, ";;")) {
            const size_t open = part.rfind('(');
            const size_t close = part.rfind(')');
            if (open == std::string::npos || close == std::string::npos || close < open) continue;
            TfileFilterEntry entry{Trim(part), SplitMasks(part.substr(open + 1, close - open - 1))};
            if (!entry.Masks.empty()) entries.push_back(std::move(entry));
        }
    }
    if (entries.empty()) entries.push_back({"All Files", {"*"}});
    return entries;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*" || mask == "*.*") return true;
    // Masks match without regard to case: "*.MP3" and "*.mp3" are the same choice.
    return WildcardMatch(UpperCase(name), UpperCase(mask));
}

bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks) {
    return std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) { return MatchesMask(name, mask); });
}

std::string ShownName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t n = name.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        size_t length = 0;
        uint32_t least = 0;  // the smallest code point of that length (no overlong forms)
        if (c < 0x80) length = 1;
        else if (c >= 0xC2 && c <= 0xDF) length = 2, least = 0x80;
        else if (c >= 0xE0 && c <= 0xEF) length = 3, least = 0x800;
        else if (c >= 0xF0 && c <= 0xF4) length = 4, least = 0x10000;
        bool ok = length > 0 && i + length <= n;
        uint32_t code = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; ok && k < length; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            code = code << 6 | (p[i + k] & 0x3F);
        }
        ok = ok && code >= least && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (ok) {
            shown.append(name, i, length);
            i += length;
        } else {
            shown += "\xEF\xBF\xBD";  // U+FFFD for the one byte that does not fit
            ++i;
        }
    }
    return shown;
}

TfolderListing ReadFolderEntries(const std::string& folder, const std::vector<std::string>& masks,
                                 bool foldersOnly, const std::function<bool(size_t)>& keepGoing) {
    TfolderListing listing;
    std::vector<TchooserEntry> folders, files;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        listing.Readable = false;
        listing.Error = ec.message();
        return listing;
    }
    size_t read = 0;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        if (++read % 256 == 0 && keepGoing && !keepGoing(read)) break;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeError;
        // A link to a folder is entered like a folder.
        if (fs::is_directory(it->path(), typeError)) {
            folders.push_back({name, true});
        } else if (!foldersOnly && MatchesAnyMask(name, masks)) {
            files.push_back({name, false});
        }
    }
    // A folder whose reading fails half-way shows what was read and says why.
    if (ec) {
        listing.Readable = false;
        listing.Error = ec.message();
    }
    auto byName = [](const TchooserEntry& a, const TchooserEntry& b) {
        const int c = CompareText(a.Name, b.Name);
        return c != 0 ? c < 0 : a.Name < b.Name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
    listing.Entries = std::move(folders);
    return listing;
}

std::vector<TchooserEntry> ListFolderEntries(const std::string& folder, const std::vector<std::string>& masks,
                                            bool foldersOnly) {
    return ReadFolderEntries(folder, masks, foldersOnly).Entries;
}

namespace {
std::string Normal(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text.empty() ? "/" : text;
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::path(path).is_absolute() && fs::is_directory(path, ec);
}
}  // namespace

std::string ChooserStartFolder(const std::string& requested, const std::string& musicFolder,
                               const std::string& homeFolder) {
    if (IsFolder(requested)) return Normal(requested);
    // A file name that was offered (a previous choice): its folder.
    if (!requested.empty()) {
        const std::string parent = fs::path(requested).parent_path().string();
        if (IsFolder(parent)) return Normal(parent);
    }
    if (IsFolder(musicFolder)) return Normal(musicFolder);
    if (IsFolder(homeFolder)) return Normal(homeFolder);
    return "/";
}

std::string ChooserParentFolder(const std::string& folder) {
    const fs::path path(Normal(folder));
    if (!path.has_parent_path() || path == path.root_path()) return "/";
    return Normal(path.parent_path());
}

std::string SaveChoiceFile(const std::string& folder, const std::string& name, const std::vector<std::string>& masks) {
    const std::string typed = Trim(name);
    if (typed.empty() || typed == "." || typed == ".." || typed.find('/') != std::string::npos) return "";
    std::string file = typed;
    if (fs::path(file).extension().empty() && !masks.empty()) {
        const std::string& mask = masks.front();
        // Only a plain "*.ext" names one extension to add, and never one that would lead
        // out of the folder.
        if (mask.size() > 2 && mask.compare(0, 2, "*.") == 0 &&
            mask.find_first_of("*?/", 2) == std::string::npos)
            file += mask.substr(1);
    }
    return (fs::path(Normal(folder)) / file).string();
}

}  // namespace tunecrest
