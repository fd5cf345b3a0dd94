// Both shipped skins in every root: copied on start into a root that lacks them, never
// over a skin folder the root has, and what the skin editor then lists.
#include "mainwindow/skin/shipped_skins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "mainwindow/window/main_form.h"
#include "support/fake_media_player.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/editors/skin_editor.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

TEST(ShippedSkins, MissingSkinsAreCopiedWholeAndTheRootsOwnAreLeftAlone) {
    test::TempDir dir;
    const fs::path shipped = dir.File("program/Skins"), root = dir.File("root/Skins");
    Write(shipped / "Default/skin.usk", "[Info]\r\nTitle=Default\r\n");
    Write(shipped / "Default/Button_Image.bmp", "BM-default");
    Write(shipped / "Classic/skin.usk", "[Info]\r\nTitle=Classic\r\n");
    Write(shipped / "Classic/Panel_Image.bmp", "BM-classic");
    Write(shipped / "NotASkin/readme.txt", "no skin file here");
    // The user's own Default, changed and exported over the shipped one.
    Write(root / "Default/skin.usk", "[Info]\r\nTitle=Mine\r\n");
    EXPECT_EQ(CopyShippedSkins(shipped.string(), root.string()), std::vector<std::string>{"Classic"});
    EXPECT_EQ(Read(root / "Default/skin.usk"), "[Info]\r\nTitle=Mine\r\n");
    EXPECT_FALSE(fs::exists(root / "Default/Button_Image.bmp"));  // nothing added to the user's skin
    EXPECT_EQ(Read(root / "Classic/skin.usk"), "[Info]\r\nTitle=Classic\r\n");
    EXPECT_EQ(Read(root / "Classic/Panel_Image.bmp"), "BM-classic");
    EXPECT_FALSE(fs::exists(root / "NotASkin"));
    for (const auto& entry : fs::directory_iterator(root))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "no copy left half-way";
    // Again: nothing more to copy, and a skin folder that is not a skin is not replaced.
    fs::remove(root / "Classic/Panel_Image.bmp");
    EXPECT_TRUE(CopyShippedSkins(shipped.string(), root.string()).empty());
    EXPECT_FALSE(fs::exists(root / "Classic/Panel_Image.bmp"));
    // The program's own folder as the root: nothing to do.
    EXPECT_TRUE(CopyShippedSkins(shipped.string(), shipped.string()).empty());
    EXPECT_TRUE(CopyShippedSkins(dir.File("none"), root.string()).empty());
}

class TskinForm : public TfrmCustomTunecrest {
public:
    TskinForm(std::vector<std::string> args, std::string program)
        : TfrmCustomTunecrest(std::move(args), std::move(program)) {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

TEST(ShippedSkins, ANewRootOffersBothShippedSkinsInTheSkinList) {
    test::App();
    test::TempDir dir;
    const std::string root = dir.File("root") + "/";
    fs::create_directories(root);
    TskinForm form({"-RootFolder=" + root}, TUNECREST_BIN_DIR);
    std::vector<std::string> titles;
    for (const TskinRec& skin : ListSkins(root + "Skins")) titles.push_back(skin.Title);
    std::sort(titles.begin(), titles.end());
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Classic"), titles.end());
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Default"), titles.end());
}

}  // namespace
}  // namespace tunecrest
