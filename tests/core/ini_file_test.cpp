#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/safe_file.h"
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
    });
    EXPECT_NE(verdict, test::TwithoutRoot::Failed);
    fs::permissions(dir.Path(), fs::perms::owner_all);
    std::string data;
    ASSERT_TRUE(ReadFileBytes(path, data));
    EXPECT_EQ(data, "first");

    // A disk that takes no more bytes fails the write itself, for every user.
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3, 3};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(SafeWriteFile(path, "second and longer") ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write was reported as done";
    ASSERT_TRUE(ReadFileBytes(path, data));
    EXPECT_EQ(data, "first");

    std::string error;
    EXPECT_FALSE(SafeWriteFile(dir.File("no/such/folder/x"), "x", &error));
    EXPECT_FALSE(error.empty());
    // A file where a folder is expected.
    EXPECT_FALSE(SafeWriteFile(dir.File("list.dat/x"), "x", &error));
    EXPECT_NE(error.find("list.dat/x"), std::string::npos) << error;
    EXPECT_EQ(TemporaryFiles(dir.Path(), "list.dat"), std::vector<std::string>{}) << "temporary file left";
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
