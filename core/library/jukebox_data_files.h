#pragma once
// The library's and the jukebox's list files in the data folder: loading that tells a
// missing file (an empty list, as on a first start) from a damaged one (kept on disk
// and not overwritten automatically), and plain writes that create the data folder and
// log a failure.
#include <string>
#include <vector>

#include "core/tags/tag_list.h"
#include "core/library/tag_list_list.h"

namespace tunecrest {

enum class TlistFileState { lfsMissing, lfsLoaded, lfsDamaged };

// Fills `list` from a "UATL"/"ZATL" file (cleared first unless `keep`); a non-empty
// `mountRoot` re-roots the file names. A damaged file keeps the tags read before the damage.
TlistFileState LoadListFile(TaudioTagList& list, const std::string& fileName, bool keep = false,
                            const std::string& mountRoot = "");
// Reads the lists of a "UALL"/"ZALL" file into `read` (owning their tags) without
// touching any list of lists; on damage `read` holds the lists before the damage.
TlistFileState ReadListsFile(const std::string& fileName, std::vector<TaudioTagListPtr>& read);
// Fills `lists` from a "UALL"/"ZALL" file (cleared first unless `keep`) inside one update;
// the lists read own their tags. A file that holds no lists is an empty stacker, not damage.
TlistFileState LoadListsFile(TaudioTagListList& lists, const std::string& fileName, bool keep = false);
// Plain "UATL" / "UALL" writes; the folder is created when missing and a failure is logged.
bool SaveListFile(TaudioTagList& list, const std::string& fileName);
bool SaveListsFile(const TaudioTagListList& lists, const std::string& fileName, std::string* error = nullptr);

}  // namespace tunecrest
