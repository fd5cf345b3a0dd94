#include "core/tags/folder_scan.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <limits.h>

#include "core/base/safe_file.h"
#include "core/base/services.h"

#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file, std::time_t seconds) {
    if (!fs::exists(file)) std::ofstream(file) << "x";
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

std::vector<std::string> Names(const std::vector<TfolderEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.Name);
    return out;
}

TEST(FolderScanTest, ListingsAreSortedAndLeaveOutHiddenEntriesAndDanglingLinks) {
    test::TempDir dir;
    for (const char* name : {"b.mp3", "A.mp3", "a.mp3", ".hidden.mp3", "c"}) Touch(dir.Path() / name, 1000);
    fs::create_directory(dir.Path() / "sub2");
    fs::create_directory(dir.Path() / "Sub1");
    fs::create_directory(dir.Path() / ".git");
    fs::create_symlink(dir.Path() / "a.mp3", dir.Path() / "link.mp3");
    fs::create_symlink(dir.Path() / "gone.mp3", dir.Path() / "dangling.mp3");
    fs::create_directory_symlink(dir.Path() / "sub2", dir.Path() / "linkdir");

    EXPECT_EQ(Names(ListFolderFiles(dir.Path().string())),
              (std::vector<std::string>{"A.mp3", "a.mp3", "b.mp3", "c", "link.mp3"}));
    EXPECT_EQ(Names(ListSubfolders(dir.Path().string())), (std::vector<std::string>{"Sub1", "linkdir", "sub2"}));
    EXPECT_TRUE(ListFolderFiles((dir.Path() / "missing").string()).empty());
}

TEST(FolderScanTest, ListedPathsJoinTheFolderOnceAndCarryTheTargetsTime) {
    test::TempDir dir;
    Touch(dir.Path() / "a.mp3", 1000);
    Touch(dir.Path() / "b.mp3", 2000);
    fs::create_symlink(dir.Path() / "b.mp3", dir.Path() / "link.mp3");
    for (const std::string& folder : {dir.Path().string(), dir.Path().string() + "/"}) {
        const auto files = ListFolderFiles(folder);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(files[0].Path, (dir.Path() / "a.mp3").string());
        EXPECT_EQ(files[0].ModTime.tv_sec, 1000);
        EXPECT_EQ(files[2].Path, (dir.Path() / "link.mp3").string());
        EXPECT_EQ(files[2].ModTime.tv_sec, 2000);
    }
}

TEST(FolderScanTest, CacheIsCurrentOnlyWhenNoFileIsNewer) {
    test::TempDir dir;
    const fs::path cache = dir.Path() / "tagcache.ubf";
    int count = -1;
    Touch(dir.Path() / "a.mp3", 1000);
    EXPECT_FALSE(IsCacheFileCurrent(cache.string(), count)) << "no cache file";
    EXPECT_EQ(count, 1);

    Touch(cache, 2000);
    Touch(dir.Path() / "b.mp3", 2000);  // the same time is not newer
    Touch(dir.Path() / ".hidden", 9000);  // hidden files do not count
    fs::create_directory(dir.Path() / "newer_folder");
    EXPECT_TRUE(IsCacheFileCurrent(cache.string(), count));
    EXPECT_EQ(count, 3);

    timespec times[2] = {{2000, 1}, {2000, 1}};  // one nanosecond later
    ASSERT_EQ(utimensat(AT_FDCWD, (dir.Path() / "a.mp3").c_str(), times, 0), 0);
    EXPECT_FALSE(IsCacheFileCurrent(cache.string(), count));
}

TEST(FolderScanTest, VisitedFoldersAreKnownByIdentityNotByName) {
    test::TempDir dir;
    fs::create_directory(dir.Path() / "a");
    fs::create_directory_symlink(dir.Path() / "a", dir.Path() / "alias");
    TvisitedFolders visited;
    EXPECT_TRUE(visited.Enter((dir.Path() / "a").string()));
    EXPECT_FALSE(visited.Enter((dir.Path() / "alias").string()));
    EXPECT_FALSE(visited.Enter((dir.Path() / "a" / ".." / "a").string()));
    EXPECT_FALSE(visited.Enter((dir.Path() / "missing").string()));
    EXPECT_TRUE(visited.Enter(dir.Path().string()));
}

TEST(FolderScanTest, ModDatesDifferFromOneMillisecond) {
    const TDateTime ms = 1.0 / kMillisecondsPerDay;
    EXPECT_FALSE(ModDatesDiffer(45000.5, 45000.5 + ms / 10));
    EXPECT_TRUE(ModDatesDiffer(45000.5, 45000.5 + ms * 1.5));
    TDateTime date = 0;
    EXPECT_FALSE(GetFileModDate("/nonexistent/file", date));
}

// Makes `depth` nested folders of long names under `root` (through descriptors, since
// the deep paths are too long to name); returns their names.
std::vector<std::string> MakeDeepFolders(const std::string& root, int depth) {
    std::vector<std::string> names;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        names.push_back(std::string(200, char('a' + i % 26)));
        EXPECT_EQ(0, ::mkdirat(fd, names.back().c_str(), 0700));
        const int next = ::openat(fd, names.back().c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd >= 0) ::close(fd);
    return names;
}

// Removes what MakeDeepFolders made, deepest first.
void RemoveDeepFolders(const std::string& root, const std::vector<std::string>& names) {
    std::vector<int> fds{::open(root.c_str(), O_RDONLY | O_DIRECTORY)};
    for (size_t i = 0; i + 1 < names.size(); ++i) fds.push_back(::openat(fds.back(), names[i].c_str(), O_RDONLY | O_DIRECTORY));
    for (size_t i = names.size(); i-- > 0;) {
        ::unlinkat(fds[i], names[i].c_str(), AT_REMOVEDIR);
        ::close(fds[i]);
    }
}

TEST(FolderScanTest, FoldersTooDeepToNameAreLoggedNotPassedOverInSilence) {
    test::TempDir dir;
    const std::string root = dir.File("deep");
    fs::create_directory(root);
    const auto names = MakeDeepFolders(root, 24);  // about 4,800 bytes of path
    const std::string log = dir.File("log.log");
    SetErrorLogFile(log);
    // Walk down as the scan does, as far as paths can name the folders.
    std::string folder = root;
    std::vector<TfolderEntry> subfolders;
    while (!(subfolders = ListSubfolders(folder)).empty()) folder = subfolders[0].Path;
    SetErrorLogFile("");
    EXPECT_LT(folder.size(), size_t(PATH_MAX));
    EXPECT_GT(folder.size(), size_t(PATH_MAX) - 202);
    std::string text;
    ReadFileBytes(log, text);
    EXPECT_NE(text.find("Folder skipped: " + folder + "/"), std::string::npos) << text;
    EXPECT_NE(text.find(": File name too long"), std::string::npos) << text;
    RemoveDeepFolders(root, names);
}

}  // namespace
}  // namespace tunecrest
