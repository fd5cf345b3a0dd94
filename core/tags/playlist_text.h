#pragma once
// Text playlists and M3U: reading entry lines and building the extended-M3U lines.
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

// The first line of an extended M3U file.
inline constexpr std::string_view kExtM3UHeader = "#EXTM3U";

// The length of the line break that starts at `i` in `text`, 0 when none: CR LF, CR, LF,
// and the breaks other readers of playlists split at as well (vertical tab, form feed,
// the separators 0x1C to 0x1E, and in UTF-8 the next-line, line and paragraph separators).
size_t LineBreakAt(std::string_view text, size_t i);
bool HoldsLineBreak(std::string_view text);

// "#EXTINF:<seconds>,<name>", CR and LF in the name each replaced by a space, and each
// other line break LineBreakAt finds by one space.
std::string ExtInfLine(int64_t seconds, std::string_view name);
// The entry name of a track: the artist, then " - " and the title (the separator only
// when both are present).
std::string M3UEntryName(std::string_view artist, std::string_view title);

// The entries of a text or M3U playlist, in order: empty lines and lines starting with
// "#" are dropped; in Windows names (a drive letter or a leading "\", or a relative
// name with "\" whose file as written does not exist) "\" separates folders, while
// other names keep their "\" as part of the file name; a relative entry (with or without
// folder parts) is resolved against `playlistFolder`. Internet addresses are kept as
// they are. Legacy 8-bit lines are converted to UTF-8.
std::vector<std::string> ParsePlaylistEntries(std::string_view text, const std::string& playlistFolder);

// Splits a text into lines at LF, CR LF or CR (a final line break adds no empty line).
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace tunecrest
