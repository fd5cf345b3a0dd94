#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/safe_file.h"
#include "support/temp_dir.h"

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

TEST(SafeFile, FailedWriteKeepsThePreviousFile) {
    test::TempDir dir;
    const std::string path = dir.File("list.dat");
    ASSERT_TRUE(SafeWriteFile(path, "first"));
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::string error;
    if (::geteuid() != 0) {  // root may write into a read-only folder
        EXPECT_FALSE(SafeWriteFile(path, "second", &error));
        EXPECT_NE(error.find("list.dat"), std::string::npos);
    }
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    std::string data;
    ASSERT_TRUE(ReadFileBytes(path, data));
    if (::geteuid() != 0) {
        EXPECT_EQ(data, "first");
    }
    EXPECT_FALSE(SafeWriteFile(dir.File("no/such/folder/x"), "x", &error));
    EXPECT_FALSE(error.empty());
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().rfind(".list.dat", 0), std::string::npos) << "temporary file left";
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
