#pragma once
// A track list as an exchange file: M3U (plain or extended) export, text or M3U
// playlist import, and the comma-separated export with a header row.
#include <string>

#include "core/tags/tag_list.h"

namespace tunecrest {

// Writes the list as M3U lines ("#EXTM3U", then per tag "#EXTINF:<seconds>,<name>" when
// `extended`, and the file name). With `append` an existing file's lines come first (no
// second "#EXTM3U"); `dummyEntry` adds a placeholder entry after the header. Sets the
// list's Filename. False (with a reason) when the file cannot be written; the previous
// file stays intact.
bool ExportM3U(TaudioTagList& list, const std::string& fileName, bool append, bool dummyEntry, bool extended,
               std::string* error = nullptr);
// Adds the files a text or M3U playlist names (relative entries resolved against the
// playlist's folder; names that are not existing files are skipped) through AddFiles.
// False when the playlist cannot be read; the list is then unchanged.
bool LoadFromPlaylistFile(TaudioTagList& list, const std::string& fileName, bool keep,
                          std::string* error = nullptr);
// Writes the header row and one row per tag (its comma-separated row, then the
// playlist name). With `append` and an existing file, the rows are added to it.
bool ExportCSV(const TaudioTagList& list, const std::string& fileName, bool append,
               const std::string& playlistName, std::string* error = nullptr);

}  // namespace tunecrest
