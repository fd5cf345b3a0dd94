#pragma once
// The per-folder tag cache file: the tags of one folder's media files, each with its full
// file name, so that a later scan of an unchanged folder reads one file.
#include <string>
#include <vector>

#include "core/tags/audio_tag.h"

namespace tunecrest {

// Writes `tags` to `fileName` (safely: the old cache stays when the write fails).
bool SaveTagCacheFile(const std::string& fileName, const std::vector<TaudioTagPtr>& tags,
                      std::string* error = nullptr);
// Reads the cache; false (and no tags) when the file is missing or damaged.
bool LoadTagCacheFile(const std::string& fileName, std::vector<TaudioTagPtr>& tags);

}  // namespace tunecrest
