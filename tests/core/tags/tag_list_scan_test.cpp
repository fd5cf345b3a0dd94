#include <fcntl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "core/tags/folder_scan.h"
#include "core/base/services.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "support/fake_tagger.h"
#include "support/temp_dir.h"
#include "support/without_root.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kOld = 1000000000;  // 2001: older than any cache the tests write

void SetFileTime(const fs::path& file, std::time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Scans through the program's loader with the fake tagger ("fake" files are text files
// of Field=value lines).
class TagListScanTest : public ::testing::Test {
protected:
    test::TempDir Fdir;
    fs::path Fmusic = Fdir.Path() / "Music";
    void SetUp() override {
        const fs::path plugins = Fdir.Path() / "TagPlugins";
        fs::create_directories(plugins);
        fs::create_directories(Fmusic);
        test::InstallFakeTagger(plugins, "fake", "Description=Fake\nExtensions=fake\n");
        TaggerLoader().SetPluginFolder(plugins.string());
        ASSERT_EQ(TaggerLoader().PluginCount(), 1);
    }
    void TearDown() override { TaggerLoader().SetPluginFolder(""); }
    int Reads() { return test::FakeReadCount(TaggerLoader().GetPlugin(0)); }
    fs::path Media(const fs::path& relative, const std::string& text, std::time_t time = kOld) {
        const fs::path file = Fmusic / relative;
        fs::create_directories(file.parent_path());
        test::WriteTextFile(file, text);
        SetFileTime(file, time);
        return file;
    }
    static std::vector<std::string> Titles(const TaudioTagList& list) {
        std::vector<std::string> out;
        for (const auto& tag : list.Items()) out.push_back(tag->Title());
        return out;
    }
};

TEST_F(TagListScanTest, CurrentCacheMakesNoPluginCallsAndTouchedFileRereadsTheFolder) {
    Media("Band/LP/b.fake", "Title=B\nArtist=X\n");
    Media("Band/LP/a.fake", "Title=A\nArtist=X\n");
    Media("Band/LP/c.fake", "Title=C\nArtist=X\n");
    Media("Band/LP/cover.jpg", "not media");
    Media("Band/LP/bad.fake", "FAIL\n");
    Media("Band/LP/throws.fake", "THROW\n");
    const fs::path folder = Fmusic / "Band/LP";
    const fs::path cache = folder / "tagcache.ubf";

    TaudioTagList list;
    list.SetSaveDataFiles(true);
    list.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"A", "B", "C"}));  // sorted by name
    EXPECT_EQ(list.GetTag(0)->Filename(), (folder / "a.fake").string());
    EXPECT_EQ(list.GetTag(0)->ModDate(), UnixToDateTime(kOld));
    ASSERT_TRUE(fs::exists(cache));
    int count = 0;
    EXPECT_TRUE(list.IsCacheCurrent(cache.string(), count));
    EXPECT_EQ(count, 7);

    const int before = Reads();
    TaudioTagList again;
    again.SetSaveDataFiles(true);
    again.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before) << "a current cache is read instead of the files";
    EXPECT_EQ(Titles(again), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(again.GetTag(1)->Artist(), "X");

    // Force ignores the cache.
    again.ScanFolderTree(folder.string(), false, nullptr, true);
    EXPECT_EQ(Reads(), before + 5);

    // One file changed after the cache was written: the whole folder is read again.
    Media("Band/LP/b.fake", "Title=B2\n", time(nullptr) + 100);
    again.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before + 10);
    EXPECT_EQ(Titles(again), (std::vector<std::string>{"A", "B2", "C"}));
    SetFileTime(folder / "b.fake", kOld);
    again.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before + 10) << "the rewritten cache is current again";
}

TEST_F(TagListScanTest, CacheIsAPlainTagListFileWithPlaceholdersAndAnOldLayoutIsRescanned) {
    Media("LP/a.fake", "Title=A\nArtist=X\n");
    Media("LP/bad.fake", "FAIL\n");
    const fs::path folder = Fmusic / "LP";
    const fs::path cache = folder / "tagcache.ubf";
    TaudioTagList list;
    list.SetSaveDataFiles(true);
    list.ScanFolderTree(folder.string(), false, nullptr, false);
    ASSERT_EQ(list.Count(), 1);

    // An uncompressed, untitled "UATL" file of every media file of the folder, the
    // unreadable one as a placeholder, each with its full name.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(cache.string(), bytes));
    EXPECT_EQ(bytes.substr(0, 14), std::string("UATL\0\0\0\0\0\x02\0\0\0\0", 14));
    TaudioTagList cached;
    ASSERT_TRUE(cached.LoadFromFile(cache.string(), false));
    ASSERT_EQ(cached.Count(), 2);
    EXPECT_EQ(cached.GetTag(0)->Filename(), (folder / "a.fake").string());
    EXPECT_EQ(cached.GetTag(0)->Artist(), "X");
    EXPECT_EQ(cached.GetTag(0)->ModDate(), UnixToDateTime(kOld));
    EXPECT_EQ(cached.GetTag(1)->Filename(), (folder / "bad.fake").string());
    EXPECT_EQ(cached.GetTag(1)->MediaType(), 0u);

    // Read from the cache: no plug-in call, and the placeholder is not a track.
    const int before = Reads();
    TaudioTagList again;
    again.SetSaveDataFiles(true);
    again.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before);
    EXPECT_EQ(Titles(again), std::vector<std::string>{"A"});

    // A cache of the older layout is not used: the folder is read and the cache rewritten.
    test::WriteTextFile(cache, std::string("TCv0\0\0\0\0", 8));
    again.ScanFolderTree(folder.string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before + 2);
    EXPECT_EQ(Titles(again), std::vector<std::string>{"A"});
    ASSERT_TRUE(ReadFileBytes(cache.string(), bytes));
    EXPECT_EQ(bytes.substr(0, 4), "UATL");
}

TEST_F(TagListScanTest, FileCopiedInWithAnOldTimeIsScannedAndVanishedFilesAreDropped) {
    Media("LP/a.fake", "Title=A\n");
    Media("LP/b.fake", "Title=B\n");
    TaudioTagList list;
    list.SetSaveDataFiles(true);
    list.ScanFolderTree((Fmusic / "LP").string(), false, nullptr, false);
    ASSERT_EQ(list.Count(), 2);

    // A copy keeps its old time stamp, so no file is newer than the cache.
    Media("LP/c.fake", "Title=C\n");
    list.ScanFolderTree((Fmusic / "LP").string(), false, nullptr, false);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"A", "B", "C"}));

    // A deleted file's cached tag is dropped; the folder is still read from its cache.
    const int before = Reads();
    fs::remove(Fmusic / "LP/a.fake");
    list.ScanFolderTree((Fmusic / "LP").string(), false, nullptr, false);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(Reads(), before);

    // A moved folder: the cached names follow it.
    fs::rename(Fmusic / "LP", Fmusic / "Moved");
    list.ScanFolderTree((Fmusic / "Moved").string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetTag(0)->Filename(), (Fmusic / "Moved" / "b.fake").string());

    // A damaged cache counts as not read.
    test::WriteTextFile(Fmusic / "Moved" / "tagcache.ubf", "damaged");
    list.ScanFolderTree((Fmusic / "Moved").string(), false, nullptr, false);
    EXPECT_EQ(Reads(), before + 2);
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(TagListScanTest, UntaggedFileTakesItsValuesFromNameAndFolders) {
    Media("Band/Album/Song - Band - 03.fake", "");
    Media("Clips/Clip Title.fake", "MediaType=2\n");
    TaudioTagList list;
    list.ScanFolder(Fmusic.string(), false, nullptr);
    ASSERT_EQ(list.Count(), 2);
    const TaudioTagPtr song = list.GetTag(0);
    EXPECT_EQ(song->Title(), "Song");
    EXPECT_EQ(song->TrackNo(), 3u);
    EXPECT_EQ(song->Album(), "Album");
    EXPECT_EQ(song->Artist(), "Band");
    EXPECT_EQ(list.GetTag(1)->Title(), "Clip Title");
}

TEST_F(TagListScanTest, RescanWithKnownTagsRereadsChangedFilesOnlyAndWritesACompleteCache) {
    Media("LP/a.fake", "Title=A\n");
    Media("LP/b.fake", "Title=B\n");
    Media("LP/c.fake", "Title=C\n");
    TaudioTagList library;
    library.ScanFolder(Fmusic.string(), false, nullptr);
    ASSERT_EQ(library.Count(), 3);
    TmyStringList known;
    known.SetCaseSensitive(true);
    known.SetSorted(true);
    for (const auto& tag : library.Items()) known.AddObject(tag->Filename().str(), tag);

    // b changed and reads again; c changed but can no longer be read; d is new.
    Media("LP/b.fake", "Title=B2\n", kOld + 60);
    Media("LP/c.fake", "FAIL\n", kOld + 60);
    Media("LP/d.fake", "Title=D\n");
    const int before = Reads();
    std::vector<std::pair<bool, std::string>> found;
    TaudioTagList rescan;
    rescan.SetSaveDataFiles(true);
    rescan.OnTagFound = [&](TObject*, bool modified, const TaudioTagPtr& tag) {
        found.emplace_back(modified, tag->Title());
    };
    rescan.AddFolders({Fmusic.string()}, false, &known);
    EXPECT_EQ(Reads(), before + 3);
    EXPECT_EQ(found, (std::vector<std::pair<bool, std::string>>{{true, "B2"}, {false, "D"}}));
    EXPECT_EQ(Titles(rescan), (std::vector<std::string>{"D"})) << "known tags are not added twice";
    EXPECT_EQ(library.GetTag(1)->ModDate(), UnixToDateTime(kOld + 60));
    EXPECT_EQ(library.GetTag(2)->Title(), "C") << "a failed read keeps the known values";
    EXPECT_EQ(library.GetTag(2)->ModDate(), UnixToDateTime(kOld));

    // The cache holds the whole folder, known tags included.
    TaudioTagList fromCache;
    fromCache.SetSaveDataFiles(true);
    fromCache.ScanFolder(Fmusic.string(), false, nullptr);
    EXPECT_EQ(Reads(), before + 3);
    EXPECT_EQ(Titles(fromCache), (std::vector<std::string>{"A", "B2", "C", "D"}));

    // Read from the cache, known files are still not added again.
    TaudioTagList cachedRescan;
    cachedRescan.SetSaveDataFiles(true);
    cachedRescan.ScanFolder(Fmusic.string(), false, &known);
    EXPECT_EQ(Reads(), before + 3);
    EXPECT_EQ(Titles(cachedRescan), (std::vector<std::string>{"D"}));
}

TEST_F(TagListScanTest, RefreshOfAKnownTagAppliesTheFileMasks) {
    const fs::path file = Media("Band/Album/Song - Band - 03.fake", "Title=Tagged\nArtist=Someone\n");
    TaudioTagList library;
    library.ScanFolder(Fmusic.string(), false, nullptr);
    ASSERT_EQ(library.Count(), 1);
    EXPECT_EQ(library.GetTag(0)->Title(), "Tagged");
    TmyStringList known;
    known.SetSorted(true);
    known.AddObject(file.string(), library.GetTag(0));
    Media("Band/Album/Song - Band - 03.fake", "", kOld + 5);  // the tag was stripped
    TaudioTagList rescan;
    rescan.ScanFolder(Fmusic.string(), false, &known);
    EXPECT_EQ(library.GetTag(0)->Title(), "Song");
    EXPECT_EQ(library.GetTag(0)->Album(), "Album");
    EXPECT_EQ(library.GetTag(0)->Artist(), "Band");
}

TEST_F(TagListScanTest, RecursionIsDepthFirstSortedAndEndsInLinkLoops) {
    Media("b/x.fake", "Title=bx\n");
    Media("a/z/y.fake", "Title=azy\n");
    Media("a/w.fake", "Title=aw\n");
    Media("top.fake", "Title=top\n");
    Media(".hidden/h.fake", "Title=hidden\n");
    fs::create_directory_symlink(Fmusic, Fmusic / "a" / "z" / "loop");
    std::vector<std::string> dirs;
    TaudioTagList list;
    list.OnDirProcess = [&](TObject*, const std::string& folder) {
        dirs.push_back(fs::relative(folder, Fmusic).string());
    };
    list.ScanFolder(Fmusic.string(), false, nullptr);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"top", "aw", "azy", "bx"}));
    EXPECT_EQ(dirs, (std::vector<std::string>{".", "a", "a/z", "b"}));
}

TEST_F(TagListScanTest, ReadOnlyOrUnwritableFolderGetsNoCacheAndTheScanGoesOn) {
    Media("ro/a.fake", "Title=A\n");
    Media("blocked/a.fake", "Title=A\n");
    Media("open/a.fake", "Title=A\n");
    // The cache name taken by a folder: the write fails at once, for every user.
    fs::create_directory(Fmusic / "blocked" / "tagcache.ubf");
    // A read-only folder, scanned by a user without root rights.
    const std::string log = (Fdir.Path() / "scan.log").string();
    const auto verdict = test::RunWithoutRoot(Fdir.Path(), [&] {
        EXPECT_NE(::geteuid(), 0u);
        SetErrorLogFile(log);
        TaudioTagList list;
        list.SetSaveDataFiles(true);
        fs::permissions(Fmusic / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        list.ScanFolder(Fmusic.string(), false, nullptr);
        fs::permissions(Fmusic / "ro", fs::perms::owner_all);
        SetErrorLogFile("");
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"A", "A", "A"}));
        EXPECT_TRUE(fs::is_directory(Fmusic / "blocked" / "tagcache.ubf"));
        EXPECT_FALSE(fs::exists(Fmusic / "ro" / "tagcache.ubf"));
        EXPECT_TRUE(fs::exists(Fmusic / "open" / "tagcache.ubf")) << "the scan went on to the next folder";
        // The folder that could not take its cache is logged; the read-only one, skipped by
        // the check before writing, is not.
        std::ifstream in(log);
        const std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(logged.find("Cannot write the tag cache " + (Fmusic / "blocked" / "tagcache.ubf").string()),
                  std::string::npos)
            << logged;
        EXPECT_EQ(logged.find((Fmusic / "ro").string() + "/"), std::string::npos) << logged;
    });
    ASSERT_NE(verdict, test::TwithoutRoot::Failed);
    if (verdict == test::TwithoutRoot::Unavailable) GTEST_SKIP() << "no user without root rights to scan as";
}

TEST_F(TagListScanTest, ProgressEventsAndStopRequest) {
    Media("one/a.fake", "Title=A\n");
    Media("one/b.fake", "Title=B\n");
    Media("two/c.fake", "Title=C\n");
    TaudioTagList list;
    list.SetSaveDataFiles(true);
    std::vector<std::string> log;
    list.OnListProcessStart = [&](TObject*, const std::string& text) { log.push_back(text); };
    list.OnListProcess = [&](TObject*, int index, int count, const TaudioTagPtr& tag) {
        log.push_back(std::to_string(index) + "/" + std::to_string(count) + (tag ? tag->Title().str() : "-"));
    };
    list.OnListProcessFinished = [&](TObject*) { log.push_back("finished"); };
    list.ScanFolderTree((Fmusic / "one").string(), false, nullptr, false);
    EXPECT_EQ(log, (std::vector<std::string>{"Scanning Folder...", "1/2A", "2/2B", "finished"}));

    // Read again from its cache: every tenth cached tag reports, from index 0.
    log.clear();
    list.ScanFolderTree((Fmusic / "one").string(), false, nullptr, false);
    EXPECT_EQ(log, (std::vector<std::string>{"Scanning Folder...", "0/2A", "finished"}));
    // Listed file by file, the cache file counts in the total and reports its step.
    log.clear();
    list.ScanFolderTree((Fmusic / "one").string(), false, nullptr, true);
    EXPECT_EQ(log, (std::vector<std::string>{"Scanning Folder...", "1/3A", "2/3B", "3/3-", "finished"}));

    // A stop asked for outside a scan does not silence the next one.
    list.StopScan();
    list.SetSaveDataFiles(false);
    list.AddFolders({(Fmusic / "one").string(), (Fmusic / "two").string()}, false, nullptr);
    EXPECT_EQ(list.Count(), 3);

    // Stopped after the first tag: the rest of the folder and the next folder are left,
    // and the cut folder gets no cache.
    fs::remove(Fmusic / "one" / "tagcache.ubf");
    list.SetSaveDataFiles(true);
    list.OnTagFound = [&](TObject*, bool, const TaudioTagPtr&) { list.StopScan(); };
    list.AddFolders({(Fmusic / "one").string(), (Fmusic / "two").string()}, false, nullptr);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"A"}));
    EXPECT_FALSE(fs::exists(Fmusic / "one" / "tagcache.ubf"));
    EXPECT_FALSE(list.Scanning());
}

}  // namespace
}  // namespace tunecrest

namespace tunecrest {
namespace {

// A folder scan on a worker thread while the main thread reads single files (a file
// queued from the command line): each read gets its own file's values.
TEST_F(TagListScanTest, ReadsOnTwoThreadsNeverMixTheirFiles) {
    for (int i = 0; i < 200; ++i) Media("Scan/" + std::to_string(i) + ".fake", "Title=scan " + std::to_string(i) + "\n");
    std::vector<fs::path> single;
    for (int i = 0; i < 200; ++i) single.push_back(Media("Single/" + std::to_string(i) + ".fake", "Title=single " + std::to_string(i) + "\n"));
    TaudioTagList scanned;
    std::thread worker([&] { scanned.AddFolders({(Fmusic / "Scan").string() + "/"}, false, nullptr); });
    TaudioTagList queued;
    for (const auto& file : single) queued.CreateTagFromFile(file.string());
    worker.join();
    ASSERT_EQ(scanned.Count(), 200);
    ASSERT_EQ(queued.Count(), 200);
    for (const auto& tag : scanned.Items())
        EXPECT_EQ(tag->Title(), "scan " + fs::path(tag->Filename().str()).stem().string());
    for (const auto& tag : queued.Items())
        EXPECT_EQ(tag->Title(), "single " + fs::path(tag->Filename().str()).stem().string());
}

}  // namespace
}  // namespace tunecrest
