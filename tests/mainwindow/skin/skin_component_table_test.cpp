// The table of skinned components is the contract between the layout and every skin:
// each entry must be a control of the window of the kind the table says, and names
// must stay unique however a skin spells them.
#include "mainwindow/skin/skin_component_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"
#include "mainwindow/window/main_form.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class TtableForm : public TfrmCustomTunecrest {
public:
    explicit TtableForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

bool IsOfKind(QWidget* w, TskinComponentKind kind) {
    switch (kind) {
        case skcPanel: return dynamic_cast<TmySkinPanel*>(w) != nullptr;
        case skcSplitter: return dynamic_cast<TmySkinSplitter*>(w) != nullptr;
        case skcButton: return dynamic_cast<TmySkinButton*>(w) != nullptr;
        case skcMultiButton: return dynamic_cast<TmySkinMultiButton*>(w) != nullptr;
        case skcScrollBar: return dynamic_cast<TmySkinScrollBar*>(w) != nullptr;
        case skcListBox: return dynamic_cast<TcustomTouchListBox*>(w) != nullptr;
    }
    return false;
}

TEST(SkinComponentTable, EveryEntryIsAControlOfTheWindowOfItsKind) {
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    TtableForm form({"-RootFolder=" + root});
    std::set<std::string> names;
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        EXPECT_TRUE(names.insert(UpperCase(c.Name)).second) << "two entries named " << c.Name;
        auto* w = form.findChild<QWidget*>(QString::fromUtf8(c.Name));
        ASSERT_NE(w, nullptr) << c.Name;
        EXPECT_TRUE(IsOfKind(w, c.Kind)) << c.Name;
        // Only list boxes go without a shipped bitmap.
        EXPECT_EQ(std::string(c.Bitmap).empty(), c.Kind == skcListBox) << c.Name;
    }
    // Every skinned control of the window is in the table, so no skin misses one.
    for (auto* control : form.findChildren<QWidget*>()) {
        if (!dynamic_cast<TskinnedControl*>(control) || control->objectName().isEmpty()) continue;
        EXPECT_NE(FindSkinComponent(control->objectName().toStdString()), nullptr)
            << control->objectName().toStdString();
    }
}

TEST(SkinComponentTable, NamesAreFoundWithoutRegardToCaseAndFilesNamedByKind) {
    const TskinComponent* play = FindSkinComponent("BTNPLAY");
    ASSERT_NE(play, nullptr);
    EXPECT_STREQ(play->Name, "btnPlay");
    EXPECT_EQ(FindSkinComponent("btnPlayX"), nullptr);
    EXPECT_EQ(FindSkinComponent(""), nullptr);
    EXPECT_EQ(SkinImageFileName(*play), "btnPlay_Image.bmp");
    EXPECT_EQ(SkinImageFileName(*FindSkinComponent("pnlButtons")), "pnlButtons_Image.bmp");
    EXPECT_EQ(SkinImageFileName(*FindSkinComponent("sbQueue")), "sbQueue_image.bmp");
    EXPECT_EQ(SkinImageFileName(*FindSkinComponent("lstQueue"), true), "lstQueue_BackImage.jpg");
    EXPECT_EQ(SkinImageFileName(*FindSkinComponent("lstQueue"), false), "lstQueue_BackImage.bmp");
    EXPECT_STREQ(SkinImageKey(skcListBox), "BackImage");
    EXPECT_STREQ(SkinImageKey(skcButton), "Image");
    EXPECT_TRUE(KindHasStretchDraw(skcScrollBar));
    EXPECT_FALSE(KindHasStretchDraw(skcButton));
}

}  // namespace
}  // namespace tunecrest
