#include "core/playlist_text.h"

#include <filesystem>

#include "core/text_utils.h"

namespace tunecrest {

std::string ExtInfLine(int64_t seconds, std::string_view name) {
    // A line break in a title would end the entry and start a line of its own (a file
    // name or address planted by a crafted tag): breaks become spaces.
    std::string oneLine(name);
    for (char& c : oneLine)
        if (c == '\r' || c == '\n') c = ' ';
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
        for (char& c : line)
            if (c == '\\') c = '/';
        fs::path entry(line);
        if (entry.is_relative() && !playlistFolder.empty()) entry = fs::path(playlistFolder) / entry;
        names.push_back(entry.lexically_normal().string());
    }
    return names;
}

}  // namespace tunecrest
