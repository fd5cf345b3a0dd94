#include "core/tags/playlist_text.h"

#include <cctype>
#include <filesystem>

#include "core/base/text_utils.h"

namespace tunecrest {

size_t LineBreakAt(std::string_view text, size_t i) {
    if (i >= text.size()) return 0;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    if (c == '\n' || c == '\v' || c == '\f' || (c >= 0x1C && c <= 0x1E)) return 1;
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("\xC2\x85")) return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) return 3;
    return 0;
}

bool HoldsLineBreak(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (LineBreakAt(text, i) > 0) return true;
    return false;
}

std::string ExtInfLine(int64_t seconds, std::string_view name) {
    // A line break in a title would end the entry and start a line of its own (a file
    // name or address planted by a crafted tag): CR and LF each become a space, as does
    // each other break.
    std::string oneLine;
    oneLine.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const size_t n = name[i] == '\r' ? 1 : LineBreakAt(name, i);
        if (n > 0) {
            oneLine += ' ';
            i += n;
        } else {
            oneLine += name[i++];
        }
    }
    return Format("%s:%lld,%s", "#EXTINF", static_cast<long long>(seconds), oneLine.c_str());
}

std::string M3UEntryName(std::string_view artist, std::string_view title) {
    std::string name(artist);
    if (!title.empty()) {
        if (!artist.empty()) name += " - ";
        name += title;
    }
    return name;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

namespace {
// Whether the "\" of an entry separate folders. A drive letter ("C:...") or a leading
// "\" (a rooted or network name) marks a Windows name. A Linux name may itself hold "\"
// (an absolute one never looks like the above), so a relative entry is taken as written
// when that file exists beside the playlist, and as a Windows name otherwise.
bool WindowsStyleEntry(const std::string& line, const std::string& playlistFolder) {
    if (line[0] == '\\') return true;
    if (line.size() >= 2 && line[1] == ':' && std::isalpha(static_cast<unsigned char>(line[0]))) return true;
    if (line[0] == '/') return false;
    std::error_code ec;
    const std::filesystem::path asWritten =
        playlistFolder.empty() ? std::filesystem::path(line) : std::filesystem::path(playlistFolder) / line;
    return !std::filesystem::exists(asWritten, ec);
}
}  // namespace

std::vector<std::string> ParsePlaylistEntries(std::string_view text, const std::string& playlistFolder) {
    namespace fs = std::filesystem;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> names;
    for (std::string line : SplitLines(text)) {
        line = Trim(LegacyTextToUtf8(line));
        if (line.empty() || line[0] == '#') continue;
        if (line.find("://") != std::string::npos) {
            names.push_back(line);
            continue;
        }
        if (line.find('\\') != std::string::npos && WindowsStyleEntry(line, playlistFolder))
            for (char& c : line)
                if (c == '\\') c = '/';
        fs::path entry(line);
        if (entry.is_relative() && !playlistFolder.empty()) entry = fs::path(playlistFolder) / entry;
        names.push_back(entry.lexically_normal().string());
    }
    return names;
}

}  // namespace tunecrest
