#include "core/tags/folder_scan.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/base/services.h"

namespace tunecrest {

namespace {

bool Newer(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// `folder` joined with `name` as std::filesystem::path's "/" joins them, without building a
// path object for every entry of a large folder.
std::string JoinName(const std::string& folder, const char* name) {
    std::string path;
    path.reserve(folder.size() + 1 + std::strlen(name));
    path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

// A folder the scan cannot enter is named in the log rather than passed over in
// silence: a tree nested beyond the longest path the system takes, or one without
// the right to read it, would otherwise just be missing from the library.
void LogSkippedFolder(const std::string& folder, int err) {
    if (err == ENOENT || err == ENOTDIR) return;  // gone, or never a folder
    LogError("Folder skipped: " + folder + ": " + std::strerror(err));
}

std::vector<TfolderEntry> ListFolder(const std::string& folder, bool folders) {
    std::vector<TfolderEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        // Listed once for files and once for subfolders: one log line is enough.
        if (!folders) LogSkippedFolder(folder, errno);
        return entries;
    }
    const int dirFd = dirfd(dir);
    while (dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.') continue;  // hidden, "." and ".."
        // The entry's type from the listing spares a stat for what is plainly not wanted.
        if (d->d_type == (folders ? DT_REG : DT_DIR)) continue;
        // Looked up inside the open folder: the kernel walks one name, not the whole path.
        struct stat st {};
        if (fstatat(dirFd, d->d_name, &st, 0) != 0) continue;  // vanished, or a dangling link
        if (folders ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) continue;
        // A subfolder whose path would pass the system's limit cannot be scanned by name.
        if (folders && folder.size() + 1 + std::strlen(d->d_name) >= PATH_MAX) {
            LogSkippedFolder(JoinName(folder, d->d_name), ENAMETOOLONG);
            continue;
        }
        TfolderEntry& entry = entries.emplace_back();
        entry.Name = d->d_name;
        entry.Path = JoinName(folder, d->d_name);
        entry.ModTime = st.st_mtim;
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const TfolderEntry& a, const TfolderEntry& b) { return a.Name < b.Name; });
    return entries;
}

}  // namespace

std::vector<TfolderEntry> ListFolderFiles(const std::string& folder) { return ListFolder(folder, false); }
std::vector<TfolderEntry> ListSubfolders(const std::string& folder) { return ListFolder(folder, true); }

TDateTime TimespecToDateTime(const timespec& time) { return UnixToDateTime(time.tv_sec, time.tv_nsec); }

bool GetFileModDate(const std::string& file, TDateTime& date) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) return false;
    date = TimespecToDateTime(st.st_mtim);
    return true;
}

bool ModDatesDiffer(TDateTime a, TDateTime b) { return std::fabs(a - b) >= 1.0 / kMillisecondsPerDay; }

bool IsCacheFileCurrent(const std::string& cacheFile, const std::vector<TfolderEntry>& files) {
    struct stat cache {};
    if (stat(cacheFile.c_str(), &cache) != 0 || !S_ISREG(cache.st_mode)) return false;
    return std::none_of(files.begin(), files.end(),
                        [&](const TfolderEntry& f) { return Newer(f.ModTime, cache.st_mtim); });
}

bool IsCacheFileCurrent(const std::string& cacheFile, int& fileCount) {
    const auto files = ListFolderFiles(std::filesystem::path(cacheFile).parent_path().string());
    fileCount = int(files.size());
    return IsCacheFileCurrent(cacheFile, files);
}

bool TvisitedFolders::Enter(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) {
        LogSkippedFolder(folder, errno);
        return false;
    }
    return Fvisited.emplace(uint64_t(st.st_dev), uint64_t(st.st_ino)).second;
}

bool IsFolderWritable(const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY)) return false;
    return access(folder.c_str(), W_OK) == 0;
}

}  // namespace tunecrest
