// The skin description file: exact bytes of what the writer writes, a byte-exact
// round trip through the reader, and skin files that are damaged or hostile.
#include "core/display/skin_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "core/display/font_store.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

TfontContainer SmallStore() {
    TfontContainer store;
    store.NiceName = "Song Title";
    TfontItem& item = store.Items().Add();
    item.NiceName = "Title";
    TFont font;
    font.Name = "Arial";
    font.Size = 22;
    font.Bold = true;
    font.Color = 0x00F0E0D0;
    item.SetFont(font);
    TcolorItem& color = store.Colors().Add();
    color.NiceName = "Background";
    color.color = 0x00102030;
    return store;
}

TskinFile SampleSkin() {
    TskinFile skin;
    skin.SetInfo({"Night", "Dark and calm", "Bar staff"});
    skin.SetButtonColor(0x00A86D4A);
    skin.SetPanelColor(clBlack);
    skin.SetDefaultButtonColor(0x00A86D4A);
    skin.SetDefaultPanelColor(0x00754939);
    skin.SetFontShadows(true);
    skin.SetKeyImage("KeyboardKey_Image.bmp");
    skin.SetImage("btnPlay", "btnPlay_Image.bmp");
    skin.SetImage("sbQueue", "sbQueue_image.bmp");
    skin.SetStretchDraw("sbQueue", false);
    skin.SetImage("lstQueue", "lstQueue_BackImage.jpg", "BackImage");
    skin.SetIcon(0, {"icons0_image.bmp", clFuchsia});
    skin.SaveFontStore(SmallStore());
    return skin;
}

const char* const kSampleText =
    "[Info]\r\nTitle=Night\r\nDescription=Dark and calm\r\nCreator=Bar staff\r\n"
    "\r\n[Colors]\r\nButtonColor=$00A86D4A\r\nPanelColor=clBlack\r\n"
    "DefaultButtonColor=$00A86D4A\r\nDefaultPanelColor=$00754939\r\n"
    "\r\n[Settings]\r\nFontShadows=1\r\n"
    "\r\n[Keyboard]\r\nKeyImage=KeyboardKey_Image.bmp\r\n"
    "\r\n[btnPlay]\r\nImage=btnPlay_Image.bmp\r\n"
    "\r\n[sbQueue]\r\nImage=sbQueue_image.bmp\r\nStretchDraw=0\r\n"
    "\r\n[lstQueue]\r\nBackImage=lstQueue_BackImage.jpg\r\n"
    "\r\n[Icon0]\r\nFilename=icons0_image.bmp\r\nTransparentColor=clFuchsia\r\n"
    "\r\n[SongTitle]\r\nTitleName=Arial\r\nTitleColor=#D0E0F0\r\nTitleSize=22\r\nTitleBold=1\r\n"
    "TitleItalic=0\r\ncolorBackground=#302010\r\n";

TEST(SkinFile, WritesExactBytesAndReadsThemBackUnchanged) {
    const TskinFile skin = SampleSkin();
    EXPECT_EQ(skin.GetText(), kSampleText);

    test::TempDir dir;
    const std::string file = (dir.Path() / "skin.usk").string();
    ASSERT_TRUE(skin.SaveToFile(file));
    TskinFile read;
    std::string error;
    ASSERT_TRUE(read.LoadFromFile(file, &error)) << error;
    EXPECT_EQ(read.GetText(), kSampleText);
    ASSERT_TRUE(read.SaveToFile(file));
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kSampleText);

    EXPECT_EQ(read.Info(), (TskinInfo{"Night", "Dark and calm", "Bar staff"}));
    EXPECT_EQ(read.ButtonColor(), TColor(0x00A86D4A));
    EXPECT_EQ(read.PanelColor(), clBlack);
    EXPECT_EQ(read.DefaultPanelColor(), TColor(0x00754939));
    EXPECT_TRUE(read.FontShadows(false));
    EXPECT_EQ(read.KeyImage(), "KeyboardKey_Image.bmp");
    EXPECT_EQ(read.StretchDraw("sbQueue"), false);
    EXPECT_EQ(read.StretchDraw("btnPlay"), std::nullopt);
    EXPECT_EQ(read.Image("lstQueue", "BackImage"), "lstQueue_BackImage.jpg");
    ASSERT_EQ(read.Icons().size(), 1u);
    EXPECT_EQ(read.Icons()[0], (TskinIcon{"icons0_image.bmp", clFuchsia}));
    TfontContainer store = SmallStore();
    store.Items().Items(0)->FontRef() = TFont{};
    store.Colors().Items(0)->color = clWhite;
    read.LoadFontStore(store);
    EXPECT_EQ(store.Items().Items(0)->font(), SmallStore().Items().Items(0)->font());
    EXPECT_EQ(store.Colors().Items(0)->color, TColor(0x00102030));
}

TEST(SkinFile, ComponentSectionsMatchWithoutRegardToCaseAndUnknownSectionsSurvive) {
    TskinFile skin;
    const std::string text = "; made by hand\r\n[BTNPLAY]\r\nimage = Play.bmp \r\n"
                             "\r\n[Custom]\r\nAnything=kept as written\r\n";
    ASSERT_TRUE(skin.LoadFromText(text));
    EXPECT_EQ(skin.Image("btnPlay"), "Play.bmp");
    EXPECT_EQ(skin.Image("btnStop"), "");
    EXPECT_EQ(skin.GetText(), "; made by hand\r\n\r\n[BTNPLAY]\r\nimage= Play.bmp \r\n"
                              "\r\n[Custom]\r\nAnything=kept as written\r\n");
    skin.SetButtonColor(clRed);
    EXPECT_NE(skin.GetText().find("[Custom]\r\nAnything=kept as written\r\n"), std::string::npos);
}

TEST(SkinFile, DamagedValuesReadAsMissingNeverAsAValue) {
    TskinFile skin;
    ASSERT_TRUE(skin.LoadFromText("[Colors]\nButtonColor=purple-ish\nPanelColor=\n[Settings]\nFontShadows=yes\n"
                                  "[Icon0]\nFilename=a.bmp\nTransparentColor=??\n[Icon2]\nFilename=c.bmp\n"));
    EXPECT_EQ(skin.ButtonColor(), std::nullopt);
    EXPECT_EQ(skin.PanelColor(), std::nullopt);
    EXPECT_EQ(skin.DefaultButtonColor(), std::nullopt);
    EXPECT_TRUE(skin.FontShadows(true));
    EXPECT_FALSE(skin.FontShadows(false));
    // Icons stop at the first gap; a damaged transparent colour is the usual fuchsia.
    ASSERT_EQ(skin.Icons().size(), 1u);
    EXPECT_EQ(skin.Icons()[0].TransparentColor, clFuchsia);
    EXPECT_EQ(skin.Icons(0).size(), 0u);
}

TEST(SkinFile, HostileFilesAreRefusedWithAReasonAndLeaveNothingBehind) {
    TskinFile skin;
    std::string error;
    ASSERT_TRUE(skin.LoadFromText("[Info]\r\nTitle=Before\r\n"));
    EXPECT_FALSE(skin.LoadFromText(std::string("[Info]\r\nTitle=Bin\0ary\r\n", 24), &error));
    EXPECT_NE(error.find("not text"), std::string::npos);
    EXPECT_EQ(skin.GetText(), "");

    test::TempDir dir;
    const std::string big = (dir.Path() / "big.usk").string();
    {
        std::ofstream out(big, std::ios::binary);
        const std::string line = "[S]\r\nK=" + std::string(1000, 'x') + "\r\n";
        for (uint64_t written = 0; written <= kMaxSkinFileSize; written += line.size()) out << line;
    }
    EXPECT_FALSE(skin.LoadFromFile(big, &error));
    EXPECT_NE(error.find("big.usk"), std::string::npos);
    EXPECT_EQ(skin.Ini().SectionCount(), 0);

    EXPECT_FALSE(skin.LoadFromFile((dir.Path() / "missing.usk").string(), &error));
    EXPECT_NE(error.find("missing.usk"), std::string::npos);
    // A folder where the file belongs.
    fs::create_directories(dir.Path() / "folder.usk");
    EXPECT_FALSE(skin.LoadFromFile((dir.Path() / "folder.usk").string(), &error));

    // A pipe where the file belongs is refused at once, never waited on.
    const std::string pipe = (dir.Path() / "pipe.usk").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(skin.LoadFromFile(pipe, &error));

    // Many icon sections are read only up to the limit.
    std::string icons;
    for (int i = 0; i < kMaxSkinIcons + 10; ++i) icons += "[Icon" + std::to_string(i) + "]\nFilename=i.bmp\n";
    ASSERT_TRUE(skin.LoadFromText(icons));
    EXPECT_EQ(int(skin.Icons(100000).size()), kMaxSkinIcons);
}

// The size limit holds to the byte, from text and from a file alike.
TEST(SkinFile, AFileOfExactlyTheLimitLoadsAndOneByteMoreIsRefused) {
    const std::string head = "[Info]\r\nTitle=Edge\r\n[Pad]\r\nK=";
    std::string atLimit = head + std::string(kMaxSkinFileSize - head.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(atLimit.size(), kMaxSkinFileSize);
    TskinFile skin;
    std::string error;
    EXPECT_TRUE(skin.LoadFromText(atLimit, &error)) << error;
    EXPECT_EQ(skin.Ini().ReadString("Info", "Title", ""), "Edge");
    const std::string over = atLimit + "x";
    EXPECT_FALSE(skin.LoadFromText(over, &error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
    EXPECT_EQ(skin.Ini().SectionCount(), 0);

    test::TempDir dir;
    const std::string file = (dir.Path() / "skin.usk").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << atLimit;
    }
    EXPECT_TRUE(skin.LoadFromFile(file, &error)) << error;
    EXPECT_EQ(skin.Ini().ReadString("Info", "Title", ""), "Edge");
    {
        std::ofstream out(file, std::ios::binary);
        out << over;
    }
    EXPECT_FALSE(skin.LoadFromFile(file, &error));
    EXPECT_EQ(skin.Ini().SectionCount(), 0);
}

TEST(SkinFile, PictureNamesResolveInsideTheSkinFolderOnly) {
    test::TempDir dir;
    const fs::path skinFolder = dir.Path() / "Skin";
    fs::create_directories(skinFolder / "sub");
    std::ofstream(skinFolder / "Button_Image.bmp") << "x";
    std::ofstream(dir.Path() / "secret.bmp") << "x";
    const std::string folder = skinFolder.string();
    std::string reason;

    EXPECT_EQ(ResolveSkinFile(folder, "Button_Image.bmp"), (skinFolder / "Button_Image.bmp").string());
    // Copied from a file system that ignores case.
    EXPECT_EQ(ResolveSkinFile(folder, "BUTTON_image.BMP"), (skinFolder / "Button_Image.bmp").string());
    EXPECT_EQ(ResolveSkinFile(folder, "Other.bmp", &reason), "");
    EXPECT_NE(reason.find("missing"), std::string::npos);
    // Names that would leave the folder, or name a folder, are never followed.
    for (const char* name : {"../secret.bmp", "/etc/passwd", "sub\\..\\..\\secret.bmp", "..", ".", "", "sub"}) {
        EXPECT_EQ(ResolveSkinFile(folder, name, &reason), "") << name;
        EXPECT_FALSE(reason.empty()) << name;
    }
    EXPECT_FALSE(IsBareFileName(std::string_view("a\0b", 3)));
    EXPECT_TRUE(IsBareFileName("KeyboardKey_Image.bmp"));
}

}  // namespace
}  // namespace tunecrest
