#pragma once
// File-system helpers of the folder scan: sorted folder listings (a directory's own order
// is arbitrary), file times, the per-folder tag cache test, and the identity of a folder
// so that a recursive scan visits each folder once even through symbolic-link loops.
#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/base/date_time.h"

namespace tunecrest {

// One entry of a folder. Hidden entries (a leading dot) are never listed.
struct TfolderEntry {
    std::string Name;     // name inside the folder
    std::string Path;     // full path
    timespec ModTime{};   // modification time (of the target for a symbolic link)
};

// The ordinary files of `folder` (symbolic links to files included), sorted by name.
std::vector<TfolderEntry> ListFolderFiles(const std::string& folder);
// The subfolders of `folder` (symbolic links to folders included), sorted by name.
std::vector<TfolderEntry> ListSubfolders(const std::string& folder);

// The file's modification time as a date-time; false when the file does not exist.
bool GetFileModDate(const std::string& file, TDateTime& date);
TDateTime TimespecToDateTime(const timespec& time);
// Two modification dates differ when they are at least a millisecond apart (a stored
// date loses the nanoseconds).
bool ModDatesDiffer(TDateTime a, TDateTime b);

// The cache test: true only when `cacheFile` exists and no file of its folder is newer
// than it (the same time counts as not newer). `fileCount` counts the folder's files
// (hidden ones not), the cache file included.
bool IsCacheFileCurrent(const std::string& cacheFile, int& fileCount);
// The same on a listing made already.
bool IsCacheFileCurrent(const std::string& cacheFile, const std::vector<TfolderEntry>& files);

// Device and inode of the folders a recursive scan has entered.
class TvisitedFolders {
public:
    // False when the folder was entered before (or cannot be examined).
    bool Enter(const std::string& folder);
    void Clear() { Fvisited.clear(); }

private:
    std::set<std::pair<uint64_t, uint64_t>> Fvisited;
};

// True when files can be created in `folder` (not a read-only medium or folder).
bool IsFolderWritable(const std::string& folder);

}  // namespace tunecrest
