#pragma once
// Temporary stand-ins for the pieces of the library model that the jukebox uses but
// that are built elsewhere: the tag-list files. Each keeps only
// what the jukebox calls. When the real piece arrives, its stand-in here is deleted and
// the real header included instead.
#include <memory>
#include <string>
#include <vector>

#include "core/query_rules.h"
#include "core/tag_list.h"

namespace tunecrest {

class TiniFile;

class TaudioTagListList;

// Tag-list files: `damaged` is set when the file exists but cannot be read.
bool LoadTagListFile(TaudioTagList& list, const std::string& fileName, bool keep, bool* damaged = nullptr);
bool SaveTagListFile(const TaudioTagList& list, const std::string& fileName, std::string* error = nullptr);
// Files of lists of tag lists (the stacker, the playlists); member lists own their tags.
bool LoadListListFile(TaudioTagListList& lists, const std::string& fileName, bool keep, bool* damaged = nullptr);
bool SaveListListFile(const TaudioTagListList& lists, const std::string& fileName, std::string* error = nullptr);

}  // namespace tunecrest
