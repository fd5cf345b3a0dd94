#include "windows/dialogs/tip_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>

#include "dialog_test_support.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

using test::As;

struct Tips : test::DialogTest {
    Tips() { GetTipTexts(dialog.Tips, "Jukebox One"); }
    TmyTipDialog dialog;
};

TEST_F(Tips, TheElevenTipsNameTheProgram)
{
    ASSERT_EQ(dialog.Tips.size(), 11u);
    EXPECT_EQ(dialog.Tips[0],
              "Before you can use Jukebox One you need to set your Media Folder locations.  Do this by choosing "
              "Settings->Media Folders from the main menu.");
    EXPECT_EQ(dialog.Tips[8].rfind("Jukebox One can display the Album Covers", 0), 0u);
    EXPECT_EQ(dialog.Tips[10],
              "Jukebox One can be run in full screen mode (as it was designed to do) by pressing the maximize "
              "button, or by choosing View->Toggle Full Screen/Normal from the main menu.");
}

TEST_F(Tips, TipNumberOutOfRangeIsStoredAsZero)
{
    dialog.SetTipNo(10);
    EXPECT_EQ(dialog.TipNo(), 10);
    dialog.SetTipNo(11);
    EXPECT_EQ(dialog.TipNo(), 0);
    dialog.SetTipNo(-1);
    EXPECT_EQ(dialog.TipNo(), 0);
}

TEST_F(Tips, NextTipTwiceFromThreeLeavesFiveAndTheSwitchFollowsTheCheckBox)
{
    dialog.SetTipNo(3);
    dialog.ShowAtStart = true;
    runner->Push([this](QDialog& d) {
        auto& w = As<TmyTipDialogForm>(d);
        EXPECT_EQ(w.windowTitle(), "Tip of the Day");
        EXPECT_EQ(w.lblTitle->text(), "Did you know...");
        EXPECT_EQ(w.lblTip->text().toStdString(), dialog.Tips[3]);
        EXPECT_TRUE(w.cbShowAtStart->isChecked());
        PressButton(*w.btnNextTip);
        PressButton(*w.btnNextTip);
        EXPECT_EQ(w.lblTip->text().toStdString(), dialog.Tips[5]);
        w.cbShowAtStart->click();
        PressButton(*w.btnClose);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.TipNo(), 5);
    EXPECT_FALSE(dialog.ShowAtStart);

    // From the last tip "Next Tip" wraps to the first; closing by any road keeps the tip.
    dialog.SetTipNo(10);
    runner->Push([](QDialog& d) {
        PressButton(*As<TmyTipDialogForm>(d).btnNextTip);
        test::PressKey(d, Qt::Key_Escape);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.TipNo(), 0);
    EXPECT_FALSE(dialog.ShowAtStart);
}

TEST_F(Tips, NoTipsAndASingleTip)
{
    dialog.Tips.clear();
    runner->Push([](QDialog& d) {
        auto& w = As<TmyTipDialogForm>(d);
        EXPECT_EQ(w.lblTip->text(), "No Tips Available!");
        EXPECT_FALSE(w.btnNextTip->isEnabled());
        PressButton(*w.btnClose);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.TipNo(), 0);

    dialog.Tips = {"Only one"};
    runner->Push([](QDialog& d) {
        auto& w = As<TmyTipDialogForm>(d);
        EXPECT_EQ(w.lblTip->text(), "Only one");
        EXPECT_FALSE(w.btnNextTip->isEnabled());
        PressButton(*w.btnClose);
    });
    EXPECT_TRUE(dialog.Execute());
}

}  // namespace
}  // namespace tunecrest
