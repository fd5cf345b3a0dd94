#include "core/base/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/base/safe_file.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/without_root.h"

using namespace tunecrest;

TEST(IniFile, KeepsSectionsAndKeysInFileOrderAndLooksUpWithoutCase) {
    TiniFile ini;
    ini.SetText("[Zeta]\nb=2\na=1\n[alpha]\nKey=Value with = sign\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Zeta", "alpha"}));
    EXPECT_EQ(ini.ReadSection("ZETA"), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(ini.ReadString("ALPHA", "key", ""), "Value with = sign");
    EXPECT_EQ(ini.ReadString("alpha", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadSectionValues("Zeta"), (std::vector<std::string>{"b=2", "a=1"}));
}

TEST(IniFile, BooleansAndIntegers) {
    TiniFile ini;
    ini.WriteBool("S", "On", true);
    ini.WriteBool("S", "Off", false);
    ini.WriteString("S", "Seven", "7");
    ini.WriteString("S", "Junk", "yes");
    ini.WriteInteger("S", "Neg", -42);
    EXPECT_EQ(ini.ReadString("S", "On", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "Off", ""), "0");
    EXPECT_TRUE(ini.ReadBool("S", "Seven", false));  // any non-zero integer is True
    EXPECT_FALSE(ini.ReadBool("S", "Off", true));
    EXPECT_TRUE(ini.ReadBool("S", "Junk", true));    // not an integer: the default
    EXPECT_FALSE(ini.ReadBool("S", "Junk", false));
    EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -42);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 5), 5);
}

TEST(IniFile, EraseSectionAndDeleteKey) {
    TiniFile ini;
    ini.SetText("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    ini.EraseSection("A");  // both sections called a/A
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"B"});
    ini.DeleteKey("B", "Y");
    EXPECT_FALSE(ini.ValueExists("B", "y"));
    EXPECT_TRUE(ini.SectionExists("b"));
}

TEST(IniFile, RepeatedSectionNamesStaySeparate) {
    TiniFile ini;
    const int first = ini.AddSection("Rock");
    ini.WriteStringAt(first, "Use", "1");
    const int second = ini.AddSection("Rock");
    ini.WriteStringAt(second, "Use", "0");
    TiniFile back;
    back.SetText(ini.GetText());
    ASSERT_EQ(back.SectionCount(), 2);
    EXPECT_EQ(back.ReadStringAt(0, "Use", ""), "1");
    EXPECT_EQ(back.ReadStringAt(1, "Use", ""), "0");
    EXPECT_EQ(back.ReadString("Rock", "Use", ""), "1");  // by name: the first
}

TEST(IniFile, MalformedLinesAreKeptOrSkippedWithoutHarm) {
    TiniFile ini;
    ini.SetText("orphan line\n[S]\nno equals sign\n=no key\n; comment\nk=v\r\n[broken\n[]\nx=y");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    EXPECT_EQ(ini.ReadString("", "x", ""), "y");
    const std::string text = ini.GetText();
    EXPECT_NE(text.find("orphan line"), std::string::npos);
    EXPECT_NE(text.find("no equals sign"), std::string::npos);
    EXPECT_NE(text.find("; comment"), std::string::npos);
    TiniFile again;
    again.SetText(text);
    EXPECT_EQ(again.GetText(), text);  // a rewrite is stable
}

TEST(IniFile, CommentLinesHoldingAnEqualsSignAreNotKeys) {
    TiniFile ini;
    ini.SetText("[S]\n; x=1\n  ;y=2\n# z=3\n\t#w=4\nk=a;b#c\n");
    EXPECT_EQ(ini.ReadSection("S"), (std::vector<std::string>{"k"}));
    EXPECT_EQ(ini.ReadString("S", "; x", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "x", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", ";y", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "# z", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "a;b#c") << "a value may hold the comment marks";
    // The comments are kept as they were.
    EXPECT_NE(ini.GetText().find("; x=1"), std::string::npos);
    EXPECT_NE(ini.GetText().find("# z=3"), std::string::npos);
}

TEST(IniFile, RoundTripThroughTheFileSystem) {
    test::TempDir dir;
    const std::string path = dir.File("settings.ini");
    {
        TiniFile ini(path);
        EXPECT_EQ(ini.SectionCount(), 0);  // missing file: empty image
        ini.WriteString("Player", "Volume", "200");
        ini.WriteString("Jukebox", "Name", "Café, bar & grill");
        ASSERT_TRUE(ini.UpdateFile());
    }
    TiniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Player", "Volume", 0), 200);
    EXPECT_EQ(ini.ReadString("Jukebox", "Name", ""), "Café, bar & grill");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Player", "Jukebox"}));
}

namespace {
// The names of the writer's temporary files left in `folder` for `name`.
std::vector<std::string> TemporaryFiles(const std::filesystem::path& folder, const std::string& name) {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("." + name + ".", 0) == 0) left.push_back(entry.path().filename());
    return left;
}
}  // namespace

TEST(SafeFile, FailedWriteKeepsThePreviousFile) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const std::string path = dir.File("list.dat");
    ASSERT_TRUE(SafeWriteFile(path, "first"));
    // A folder its user may not write to (root is made another user for this).
    const auto verdict = test::RunWithoutRoot(dir.Path(), [&] {
        EXPECT_NE(::geteuid(), 0u);
        fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        std::string error;
        EXPECT_FALSE(SafeWriteFile(path, "second", &error));
        EXPECT_NE(error.find("list.dat"), std::string::npos) << error;
        fs::permissions(dir.Path(), fs::perms::owner_all);
        std::string data;
        ASSERT_TRUE(ReadFileBytes(path, data));
        EXPECT_EQ(data, "first");
    });
    EXPECT_NE(verdict, test::TwithoutRoot::Failed);

    // A disk that takes no more bytes fails the write itself, for every user.
    const auto full = test::RunInFreshProcess([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3, 3};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (SafeWriteFile(path, "second and longer")) return 1;  // reported as done
        std::string data;
        if (!ReadFileBytes(path, data) || data != "first") return 2;
        return TemporaryFiles(dir.Path(), "list.dat").empty() ? 0 : 3;
    });
    EXPECT_TRUE(full.Exited(0)) << "the write was reported as done (1), lost the file (2) or left its "
                                   "temporary file (3): "
                                << full.ExitCode
                                << "\n" << full.Output;

    std::string error;
    EXPECT_FALSE(SafeWriteFile(dir.File("no/such/folder/x"), "x", &error));
    EXPECT_FALSE(error.empty());
    // A file where a folder is expected.
    EXPECT_FALSE(SafeWriteFile(dir.File("list.dat/x"), "x", &error));
    EXPECT_NE(error.find("list.dat/x"), std::string::npos) << error;
    EXPECT_EQ(TemporaryFiles(dir.Path(), "list.dat"), std::vector<std::string>{}) << "temporary file left";
}

namespace {
// What the flushes of a safe write saw: each file flushed, as its kind and its contents.
struct TsyncSeen {
    std::vector<std::string> Kinds;  // "file:<bytes>" or "folder:<inode>"
    bool FailFiles = false;
};
TsyncSeen gSyncSeen;

int RecordingSync(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) {
        gSyncSeen.Kinds.push_back("folder:" + std::to_string(st.st_ino));
        return ::fsync(fd);
    }
    std::string bytes(size_t(st.st_size), '\0');
    if (::pread(fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size())) return -1;
    gSyncSeen.Kinds.push_back("file:" + bytes);
    if (gSyncSeen.FailFiles) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

struct TsyncScope {
    TsyncScope() {
        gSyncSeen = {};
        Previous = SetFileSync(&RecordingSync);
    }
    ~TsyncScope() { SetFileSync(Previous); }
    TfileSync Previous;
};
}  // namespace

// A safe write flushes the whole new file before it takes the old one's place, then the
// folder, so that the rename itself survives a power cut; a failed flush keeps the old file.
TEST(SafeFile, TheFileAndThenItsFolderAreFlushedToDisk) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const std::string path = dir.File("list.dat");
    ASSERT_TRUE(SafeWriteFile(path, "old"));
    struct stat folder {};
    ASSERT_EQ(::stat(dir.Path().c_str(), &folder), 0);
    {
        TsyncScope scope;
        ASSERT_TRUE(SafeWriteFile(path, "new contents"));
        EXPECT_EQ(gSyncSeen.Kinds, (std::vector<std::string>{"file:new contents",
                                                              "folder:" + std::to_string(folder.st_ino)}));
        gSyncSeen.Kinds.clear();
        TsafeFileWriter writer(path);
        writer.Append("one ");
        writer.Append("two");
        ASSERT_TRUE(writer.Commit());
        EXPECT_EQ(gSyncSeen.Kinds, (std::vector<std::string>{"file:one two",
                                                              "folder:" + std::to_string(folder.st_ino)}));

        gSyncSeen.Kinds.clear();
        gSyncSeen.FailFiles = true;
        std::string error;
        EXPECT_FALSE(SafeWriteFile(path, "lost", &error));
        EXPECT_NE(error.find("Cannot write " + path), std::string::npos) << error;
        EXPECT_EQ(gSyncSeen.Kinds, (std::vector<std::string>{"file:lost"})) << "no rename after a failed flush";
    }
    std::ifstream in(path);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "one two");
    EXPECT_TRUE(TemporaryFiles(dir.Path(), "list.dat").empty());
}

TEST(SafeFile, FailedRenameLeavesNoTemporaryFile) {
    test::TempDir dir;
    // The name is taken by a folder that is not empty: the rename at the end fails.
    std::filesystem::create_directories(dir.Path() / "taken" / "inside");
    std::string error;
    EXPECT_FALSE(SafeWriteFile(dir.File("taken"), "data", &error));
    EXPECT_NE(error.find("taken"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken" / "inside"));
    EXPECT_EQ(TemporaryFiles(dir.Path(), "taken"), std::vector<std::string>{});
}

TEST(SafeFile, ReplacedFileKeepsItsModeAndNewFilesAreReadableByAll) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const std::string secret = dir.File("secret.ini"), plain = dir.File("plain.ini");
    ASSERT_TRUE(SafeWriteFile(secret, "a"));
    ASSERT_TRUE(SafeWriteFile(plain, "a"));
    EXPECT_EQ(fs::status(plain).permissions() & fs::perms::all, fs::perms(0644));
    fs::permissions(secret, fs::perms(0600));
    ASSERT_TRUE(SafeWriteFile(secret, "b"));
    EXPECT_EQ(fs::status(secret).permissions() & fs::perms::all, fs::perms(0600));
    fs::permissions(plain, fs::perms(0640));
    ASSERT_TRUE(SafeWriteFile(plain, "b"));
    EXPECT_EQ(fs::status(plain).permissions() & fs::perms::all, fs::perms(0640));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(secret, data));
    EXPECT_EQ(data, "b");
}

TEST(SafeFile, ReadCapRefusesABiggerFile) {
    test::TempDir dir;
    const std::string path = dir.File("five.bin");
    ASSERT_TRUE(SafeWriteFile(path, "12345"));
    std::string data = "old", error;
    EXPECT_FALSE(ReadFileBytes(path, data, &error, 4));
    EXPECT_TRUE(data.empty());
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    ASSERT_TRUE(ReadFileBytes(path, data, &error, 5));
    EXPECT_EQ(data, "12345");
    EXPECT_FALSE(ReadFileBytes(dir.File("missing.bin"), data, &error));
    EXPECT_FALSE(ReadFileBytes(dir.Path().string(), data, &error)) << "a folder is no file";
}

// Read into memory of its own: the same bytes and the same refusals as ReadFileBytes.
TEST(SafeFile, FileBytesReadAsReadFileBytesReads) {
    test::TempDir dir;
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 131 % 251);
    const std::string bigFile = dir.File("big.bin"), emptyFile = dir.File("empty.bin");
    ASSERT_TRUE(SafeWriteFile(bigFile, big));
    ASSERT_TRUE(SafeWriteFile(emptyFile, ""));
    TfileBytes bytes;
    std::string error;
    ASSERT_TRUE(bytes.Read(bigFile, 1 << 20, &error)) << error;
    EXPECT_TRUE(bytes.View() == big);
    ASSERT_TRUE(bytes.Read(emptyFile, 1 << 20, &error)) << error;
    EXPECT_TRUE(bytes.View().empty());
    // A size the kernel does not state is read to the end.
    ASSERT_TRUE(bytes.Read("/proc/self/status", 1 << 20, &error)) << error;
    EXPECT_NE(bytes.View().find("Pid:"), std::string_view::npos);

    EXPECT_FALSE(bytes.Read(bigFile, big.size() - 1, &error));
    EXPECT_EQ(error, "Cannot read " + bigFile + ": file too large");
    EXPECT_TRUE(bytes.View().empty()) << "a refused read leaves nothing from before";
    EXPECT_FALSE(bytes.Read(dir.File("missing.bin"), 1 << 20, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(bytes.Read(dir.Path().string(), 1 << 20, &error));
    EXPECT_EQ(error, "Cannot read " + dir.Path().string() + ": it is a folder");
    const std::string fifo = test::MakeFifo(dir.File("fifo"));
    EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, [&] { EXPECT_FALSE(bytes.Read(fifo, 1 << 20, &error)); }));
    EXPECT_EQ(error, "Cannot read " + fifo + ": not a regular file");
}

TEST(ByteReader, RefusesToReadPastTheEnd) {
    TbyteWriter w;
    w.WriteI32(-2);
    w.WriteI64(int64_t(1) << 40);
    w.WriteDouble(1.5);
    TbyteReader r(w.Bytes());
    int32_t a;
    int64_t b;
    double c;
    ASSERT_TRUE(r.ReadI32(a));
    ASSERT_TRUE(r.ReadI64(b));
    ASSERT_TRUE(r.ReadDouble(c));
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, int64_t(1) << 40);
    EXPECT_EQ(c, 1.5);
    uint8_t d;
    EXPECT_FALSE(r.ReadU8(d));
    EXPECT_EQ(w.Bytes().substr(0, 4), std::string("\xFE\xFF\xFF\xFF", 4));  // little-endian
}

TEST(IniFile, AFileThatCannotBeReadIsNeverOverwritten) {
    test::TempDir dir;
    // Each of these exists but cannot be read as settings: a folder, a FIFO, a file
    // above the size limit (sparse, so the test stays small).
    const std::string folder = dir.File("folder.ini");
    std::filesystem::create_directory(folder);
    const std::string fifo = test::MakeFifo(dir.File("fifo.ini"));
    const std::string huge = dir.File("huge.ini");
    ASSERT_TRUE(SafeWriteFile(huge, "[Keep]\r\nValue=1\r\n"));
    std::filesystem::resize_file(huge, (uint64_t(64) << 20) + 1);
    for (const std::string& path : {folder, fifo, huge}) {
        TiniFile ini(path);
        EXPECT_TRUE(ini.ReadFailed()) << path;
        EXPECT_NE(ini.ReadError().find(path), std::string::npos) << ini.ReadError();
        ini.WriteString("Options", "Volume", "80");
        std::string error;
        EXPECT_FALSE(ini.UpdateFile(&error)) << path;
        EXPECT_NE(error.find("could not be read"), std::string::npos) << error;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(std::filesystem::file_size(huge), (uint64_t(64) << 20) + 1);

    // Once readable, or given a file name of its own, the image is written.
    std::filesystem::resize_file(huge, 17);
    TiniFile again(huge);
    EXPECT_FALSE(again.ReadFailed());
    EXPECT_EQ(again.ReadString("Keep", "Value", ""), "1");
    TiniFile moved(fifo);
    moved.Rename(dir.File("new.ini"), false);
    EXPECT_TRUE(moved.UpdateFile());
    // A missing file is no failure.
    TiniFile missing(dir.File("missing.ini"));
    EXPECT_FALSE(missing.ReadFailed());
    missing.WriteString("A", "b", "c");
    EXPECT_TRUE(missing.UpdateFile());
}

TEST(IniFile, LineBreaksInNamesAndValuesStayOnOneLine) {
    TiniFile ini;
    ini.WriteString("Rock\r\nSet", "Rule0", "Artist = 'x'\n[Evil]\nEnabled=1");
    ini.WriteString("Other", "Key\nInjected=1", "v");
    const int index = ini.AddSection("Jazz\n[Pop]");
    ini.WriteStringAt(index, "Use", "1\r0");
    TiniFile back;
    back.SetText(ini.GetText());
    EXPECT_EQ(back.ReadSections(), (std::vector<std::string>{"Rock  Set", "Other", "Jazz [Pop]"}));
    EXPECT_EQ(back.ReadString("Rock  Set", "Rule0", ""), "Artist = 'x' [Evil] Enabled=1");
    EXPECT_EQ(back.ReadSection("Other"), std::vector<std::string>{"Key Injected"});
    EXPECT_EQ(back.ReadStringAt(2, "Use", ""), "1 0");
    // What the image holds is what a reload gives.
    EXPECT_EQ(back.GetText(), ini.GetText());
    EXPECT_EQ(ini.ReadString("Rock  Set", "Rule0", ""), back.ReadString("Rock  Set", "Rule0", ""));
}

TEST(IniFile, SectionLookupsFollowEveryChange) {
    TiniFile ini;
    ini.SetText("[a]\nk=1\n[B]\nk=2\n[A]\nk=3\n[c]\nk=4\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");  // the first of a repeated name
    ini.EraseSection("a");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"B", "c"}));
    EXPECT_EQ(ini.ReadString("C", "k", ""), "4");
    EXPECT_FALSE(ini.SectionExists("a"));
    ini.WriteString("a", "k", "5");
    EXPECT_EQ(ini.SectionCount(), 3);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "5");
    ini.AddSection("b");
    EXPECT_EQ(ini.ReadString("b", "k", ""), "2");
    ini.Clear();
    EXPECT_FALSE(ini.SectionExists("B"));
    ini.SetText("[Z]\nk=6\n");
    EXPECT_EQ(ini.ReadString("z", "k", ""), "6");
    TiniFile copy = ini;
    copy.WriteString("Y", "k", "7");
    EXPECT_EQ(copy.ReadString("z", "k", ""), "6");
    EXPECT_FALSE(ini.SectionExists("Y"));
}

TEST(SafeFile, WritesThroughSymbolicLinksIntoTheirTargets) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.File("real"));
    fs::create_directory(dir.File("links"));
    const std::string target = dir.File("real/settings.ini");
    ASSERT_TRUE(SafeWriteFile(target, "old"));
    // An absolute link, a relative one, and a link to that link.
    fs::create_symlink(target, dir.File("links/absolute.ini"));
    fs::create_symlink("../real/settings.ini", dir.File("links/relative.ini"));
    fs::create_symlink("relative.ini", dir.File("links/chain.ini"));
    for (const char* name : {"links/absolute.ini", "links/relative.ini", "links/chain.ini"}) {
        const std::string link = dir.File(name);
        ASSERT_TRUE(SafeWriteFile(link, name)) << name;
        EXPECT_TRUE(fs::is_symlink(link)) << name;
        std::string data;
        ASSERT_TRUE(ReadFileBytes(target, data));
        EXPECT_EQ(data, name);
    }
    // The temporary file went into the target's folder, and none is left.
    for (const auto& entry : fs::directory_iterator(dir.File("links")))
        EXPECT_TRUE(fs::is_symlink(entry.symlink_status())) << entry.path();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("real")), fs::directory_iterator()), 1);
    // A dangling link makes its target; a loop of links is an error.
    fs::create_symlink(dir.File("real/new.ini"), dir.File("links/dangling.ini"));
    ASSERT_TRUE(SafeWriteFile(dir.File("links/dangling.ini"), "made"));
    EXPECT_TRUE(fs::is_regular_file(dir.File("real/new.ini")));
    fs::create_symlink("loop2", dir.File("links/loop1"));
    fs::create_symlink("loop1", dir.File("links/loop2"));
    std::string error;
    EXPECT_FALSE(SafeWriteFile(dir.File("links/loop1"), "x", &error));
    EXPECT_NE(error.find("loop1"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_symlink(dir.File("links/loop1")));
}

TEST(SafeFile, SpecialFilesAreRefusedWithoutBlocking) {
    test::TempDir dir;
    const std::string fifo = test::MakeFifo(dir.File("fifo"));
    std::string data, error;
    int code = 0;
    EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, [&] { EXPECT_FALSE(ReadFileBytes(fifo, data, &error, 1 << 20, &code)); }));
    EXPECT_EQ(error, "Cannot read " + fifo + ": not a regular file");
    uint64_t size = 0;
    EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, [&] { EXPECT_FALSE(ReadFileHead(fifo, 10, data, size)); }));
    EXPECT_FALSE(ReadFileBytes(dir.Path().string(), data, &error));
    EXPECT_EQ(error, "Cannot read " + dir.Path().string() + ": it is a folder");
    EXPECT_FALSE(ReadFileBytes(dir.File("missing"), data, &error, 1 << 20, &code));
    EXPECT_EQ(code, ENOENT);
    // Files of the kernel's own folders state a size of 0 and are read to their end.
    ASSERT_TRUE(ReadFileBytes("/proc/self/status", data));
    EXPECT_NE(data.find("Pid:"), std::string::npos);
}

// Temporary files of safe writes that a crash left behind go at the next start, once
// they are old enough that no save of this program can still be writing them; nothing
// else in the folder is touched.
TEST(SafeFile, AbandonedTemporaryFilesGoWhenOld) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto make = [&](const std::string& name, bool aged) {
        ASSERT_TRUE(SafeWriteFile(dir.File(name), "bytes"));
        if (aged) fs::last_write_time(dir.File(name), old);
    };
    make(".jukebox.dat.Ab12Cd", true);
    make(".a.zzzzzz", true);
    make(".albums.idx.XYZ123", false);  // a save under way
    make("jukebox.dat", true);
    make(".hidden", true);
    make(".jukebox.dat.ab_1cd", true);  // not a name the writers make
    make(".jukebox.dat", true);
    fs::create_directory(dir.File(".folder.abcdef"));
    fs::last_write_time(dir.File(".folder.abcdef"), old);
    EXPECT_EQ(RemoveAbandonedWrites(dir.Path().string(), std::chrono::minutes(10)), 2);
    for (const char* gone : {".jukebox.dat.Ab12Cd", ".a.zzzzzz"}) EXPECT_FALSE(fs::exists(dir.File(gone))) << gone;
    for (const char* kept : {".albums.idx.XYZ123", "jukebox.dat", ".hidden", ".jukebox.dat.ab_1cd", ".jukebox.dat",
                             ".folder.abcdef"})
        EXPECT_TRUE(fs::exists(dir.File(kept))) << kept;
    EXPECT_EQ(RemoveAbandonedWrites(dir.File("missing"), std::chrono::minutes(10)), 0);
}
