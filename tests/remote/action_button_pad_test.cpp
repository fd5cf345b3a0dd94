#include "remote/action_button_pad.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"
#include "remote/controller_hub.h"
#include "remote_test_support.h"

namespace tunecrest {
namespace {

// A hub with two user actions and the generated actions of two control groups; each
// action counts its runs through a zero-second wait (a wait fires OnExecute and goes on).
class ActionButtonPadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddCounted("Lights", LightsRuns);
        AddCounted("Music", MusicRuns);
        Hub.GroupList().Add("Bar");
        Hub.GroupList().Add("Lounge");
        Pad.SetSource(&Hub.ActionList());
    }
    void AddCounted(const std::string& name, int& counter) {
        TcontrollerAction* action = Hub.ActionList().AddNew();
        action->SetName(name);
        auto* wait = action->Commands().AddNew<TwaitCommand>();
        wait->Seconds = 0;
        wait->OnExecute = [&counter](TObject*) { ++counter; };
    }

    test::TremoteEnvironment Env;
    Tcontroller Hub;
    TactionButtonPad Pad;
    int LightsRuns = 0, MusicRuns = 0;
};

TEST_F(ActionButtonPadTest, GroupRebuildFreesGeneratedActionsButThePadStillResolvesByName) {
    Pad.Add("Activate Group 'Lounge'");
    Pad.Add("Lights");
    Pad.Add("Activate Group 'Bar'");
    const TcontrollerAction* before = Pad.Resolve(0);
    ASSERT_NE(nullptr, before);

    // Renaming a group frees every generated action and makes new ones.
    Hub.GroupList().SetString(1, "Patio");
    EXPECT_EQ(nullptr, Pad.Resolve(0));  // "Lounge" is gone: shown disabled, never run
    EXPECT_FALSE(Pad.Run(0));
    ASSERT_NE(nullptr, Pad.Resolve(2));
    EXPECT_TRUE(Pad.Run(2));  // the new "Bar" action, not the freed one
    EXPECT_EQ("Bar", Hub.GroupList().CurrentGroup());

    // The group coming back makes the entry work again.
    Hub.GroupList().SetString(1, "Lounge");
    ASSERT_TRUE(Pad.Run(0));
    EXPECT_EQ("Lounge", Hub.GroupList().CurrentGroup());
    EXPECT_TRUE(Pad.Run(1));
    EXPECT_EQ(1, LightsRuns);
}

TEST_F(ActionButtonPadTest, NamesResolveWithoutRegardToCaseAndDeletedActionsDisable) {
    Pad.Add("LIGHTS");
    Pad.Add("Music");
    EXPECT_TRUE(Pad.Run(0));
    EXPECT_EQ(1, LightsRuns);
    Hub.ActionList().Remove(Hub.ActionList().FindByName("Music"));
    EXPECT_EQ(nullptr, Pad.Resolve(1));
    EXPECT_FALSE(Pad.Run(1));
    EXPECT_FALSE(Pad.Run(7));
    EXPECT_EQ(nullptr, Pad.Resolve(-1));
    // Removing an entry from the pad leaves the controller's action alone.
    Pad.Delete(0);
    EXPECT_NE(nullptr, Hub.ActionList().FindByName("Lights"));
    EXPECT_EQ(std::vector<std::string>{"Music"}, Pad.NameList());
}

TEST_F(ActionButtonPadTest, ListLinesCarryTheDescriptionOfActionsThatExist) {
    Hub.ActionList().FindByName("Lights")->SetDescription("all on");
    Pad.Add("Lights");
    Pad.Add("Gone");
    EXPECT_EQ((std::vector<std::string>{"Lights [all on]", "Gone"}), Pad.FillList());
}

TEST_F(ActionButtonPadTest, MovesKeepTheirBoundsAndNotifyOncePerChange) {
    int changes = 0;
    Pad.OnChange = [&](TObject*) { ++changes; };
    Pad.SetNames({"a", "b", "c"});
    Pad.MoveUp(0);
    Pad.MoveDown(2);
    Pad.Move(0, 5);
    EXPECT_EQ(1, changes);
    Pad.MoveDown(0);
    Pad.MoveUp(2);
    EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), Pad.NameList());
    EXPECT_EQ(3, changes);
}

TEST_F(ActionButtonPadTest, ButtonListReadsOnlyNamesTheControllerHasAndWritesThemInOrder) {
    TiniFile ini;
    ini.SetText(
        "[ButtonList]\nButton0=Music\nButton1=Nothing Here\nButton2=Activate Group 'Bar'\nButton3=\n"
        "[Other]\nButton0=Lights\n");
    Pad.LoadFromIni(ini, "ButtonList");
    EXPECT_EQ((std::vector<std::string>{"Music", "Activate Group 'Bar'"}), Pad.NameList());

    TiniFile out;
    out.SetText("[ButtonList]\nButton0=Old\nButton1=Older\nButton2=Oldest\n");
    Pad.SaveToIni(out, "ButtonList");
    EXPECT_EQ("[ButtonList]\r\nButton0=Music\r\nButton1=Activate Group 'Bar'\r\n", out.GetText());

    // Names no action has give an empty pad, without an error.
    TactionButtonPad empty(&Hub.ActionList());
    TiniFile none;
    none.SetText("[ButtonList]\nButton0=X\nButton1=Y\n");
    empty.LoadFromIni(none, "ButtonList");
    EXPECT_EQ(0, empty.Count());
}

TEST(ActionButtonPadSettings, SizeAndTimeoutRoundTripWithTheirDefaults) {
    TactionButtonPad pad;
    pad.Width = 640;
    pad.Height = 360;
    TiniFile ini;
    ini.SetText("[ActionButtonPad]\nHeight=200\n");
    pad.LoadSettings(ini, "ActionButtonPad");
    EXPECT_EQ(640, pad.Width);  // missing: the present size stays
    EXPECT_EQ(200, pad.Height);
    EXPECT_EQ(10, pad.Timeout);

    pad.Timeout = 25;
    TiniFile out;
    pad.SaveSettings(out, "ActionButtonPad");
    EXPECT_EQ("[ActionButtonPad]\r\nWidth=640\r\nHeight=200\r\nTimeout=25\r\n", out.GetText());
    TactionButtonPad back;
    back.LoadSettings(out, "ActionButtonPad");
    EXPECT_EQ(640, back.Width);
    EXPECT_EQ(25, back.Timeout);
}

TEST(ActionButtonPadIdle, HidesAfterTimeoutPlusOneTicksAndAPressRestartsTheCount) {
    TactionButtonPad pad;
    pad.Timeout = 10;
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(pad.Tick()) << i;
    pad.Run(0);  // a press, even of an entry that finds nothing, is use
    EXPECT_EQ(0, pad.IdleCount());
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(pad.Tick());
    EXPECT_TRUE(pad.Tick());
}

TEST(ActionButtonPadLayout, ButtonsFillRowsOfWholeColumns) {
    // Key size 60 on a pad 500 wide: buttons 120 x 60 in four columns.
    const auto cells = LayOutPadButtons(6, 500, 120, 60);
    ASSERT_EQ(6u, cells.size());
    EXPECT_EQ(360, cells[3].Left);
    EXPECT_EQ(0, cells[3].Top);
    EXPECT_EQ(0, cells[4].Left);
    EXPECT_EQ(60, cells[4].Top);
    EXPECT_EQ(120, cells[5].Left);
    EXPECT_TRUE(LayOutPadButtons(3, 119, 120, 60).empty());  // narrower than one button
    EXPECT_TRUE(LayOutPadButtons(3, 500, 0, 60).empty());
}

}  // namespace
}  // namespace tunecrest
