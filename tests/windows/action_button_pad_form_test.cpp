#include "windows/remote/action_button_pad_form.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/jukebox/global_prefs.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/remote_test_support.h"
#include "skin/skin_button.h"
#include "support/manual_timers.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

void Press(TmySkinButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}
void Click(QDialog& d, const char* name) {
    QTest::mouseClick(d.findChild<QPushButton*>(name), Qt::LeftButton);
}
std::vector<std::string> Lines(QDialog& d) {
    std::vector<std::string> lines;
    auto* box = d.findChild<QListWidget*>("ListBox1");
    for (int i = 0; i < box->count(); ++i) lines.push_back(box->item(i)->text().toStdString());
    return lines;
}

struct ActionPadWindow : ::testing::Test {
    void SetUp() override {
        test::App();
        GlobalPrefs().SetKeySize(60);
        TcontrollerAction* lights = hub.ActionList().AddNew();
        lights->SetName("Lights");
        auto* wait = lights->Commands().AddNew<TwaitCommand>();
        wait->Seconds = 0;
        wait->OnExecute = [this](TObject*) { ++lightsRuns; };
        hub.GroupList().Add("Bar");
        hub.GroupList().Add("Lounge");
        pad.SetSource(&hub.ActionList());
        pad.SetNames({"Lights", "Activate Group 'Lounge'", "Activate Group 'Bar'", "Lights", "Lights"});
        form = std::make_unique<TfrmActionButtonPad>();
        form->setAttribute(Qt::WA_DontShowOnScreen, true);
        form->resize(500, 300);
        form->SetActionList(&pad);
    }
    void TearDown() override { form.reset(); }

    test::TremoteEnvironment env;
    test::TmanualTimers timers;
    Tcontroller hub;
    TactionButtonPad pad;
    int lightsRuns = 0;
    std::unique_ptr<TfrmActionButtonPad> form;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(ActionPadWindow, ButtonsFollowTheListInKeySizedColumns) {
    const auto& buttons = form->Buttons();
    ASSERT_EQ(5u, buttons.size());
    EXPECT_EQ("Activate Group 'Lounge'", buttons[1]->Caption());
    EXPECT_EQ(QRect(0, 0, 120, 60), buttons[0]->geometry());
    EXPECT_EQ(QRect(360, 0, 120, 60), buttons[3]->geometry());
    EXPECT_EQ(QRect(0, 60, 120, 60), buttons[4]->geometry());
    EXPECT_EQ(60, form->pnlControlButtons->height());
    // The window's size is the pad's, for the settings file.
    form->ShowPad();
    form->resize(250, 200);
    EXPECT_EQ(250, pad.Width);
    EXPECT_EQ(200, pad.Height);
    EXPECT_EQ(QRect(0, 60, 120, 60), buttons[2]->geometry());  // two columns now
    form->resize(100, 200);
    EXPECT_TRUE(buttons[0]->isHidden());  // not even one button fits across
}

TEST_F(ActionPadWindow, GroupRebuildLeavesThePadValidAndDisablesVanishedActions) {
    form->ShowPad();
    Press(form->Buttons()[1]);
    EXPECT_EQ("Lounge", hub.GroupList().CurrentGroup());
    // Every generated action is freed and made again; "Lounge" is no more.
    hub.GroupList().SetString(1, "Patio");
    timers.Advance(1000);
    EXPECT_FALSE(form->Buttons()[1]->isEnabled());
    EXPECT_TRUE(form->Buttons()[2]->isEnabled());
    form->PressButton(1);  // even a direct press finds nothing and runs nothing
    EXPECT_EQ("Lounge", hub.GroupList().CurrentGroup());
    Press(form->Buttons()[2]);
    EXPECT_EQ("Bar", hub.GroupList().CurrentGroup());
    hub.GroupList().SetString(1, "Lounge");
    timers.Advance(1000);
    EXPECT_TRUE(form->Buttons()[1]->isEnabled());
    Press(form->Buttons()[0]);
    EXPECT_EQ(1, lightsRuns);
}

TEST_F(ActionPadWindow, HidesAfterItsTimeoutAndAPressRestartsTheCount) {
    pad.Timeout = 10;
    form->ShowPad();
    ASSERT_TRUE(form->isVisible());
    timers.Advance(10 * 1000);
    EXPECT_TRUE(form->isVisible());
    Press(form->Buttons()[0]);
    timers.Advance(10 * 1000);
    EXPECT_TRUE(form->isVisible());
    timers.Advance(1000);  // the eleventh second without use
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(0, timers.ActiveCount());
    // Shown again, it starts a fresh count.
    form->ShowPad();
    timers.Advance(10 * 1000);
    EXPECT_TRUE(form->isVisible());
    Press(form->sbClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(0, timers.ActiveCount());
}

TEST_F(ActionPadWindow, EditPicksControllerActionsAndRebuildsOnClose) {
    form->ShowPad();
    runner->Push([](QDialog& d) {
        EXPECT_EQ("Edit Action List", d.windowTitle().toStdString());
        auto* list = d.findChild<QListWidget*>("ListBox1");
        list->setCurrentRow(0);
        Click(d, "btnDelete");
        list->setCurrentRow(3);
        Click(d, "btnMoveDown");  // already last
        Click(d, "btnMoveUp");
        Click(d, "btnAdd");
        EXPECT_EQ((std::vector<std::string>{"Activate Group 'Lounge'", "Activate Group 'Bar'", "Lights",
                                            "Lights", "Activate Group 'Bar'"}),
                  Lines(d));
        Click(d, "btnClose");
    });
    runner->Push([](QDialog& d) {
        auto* tree = d.findChild<QTreeWidget*>("tvActions");
        tree->setCurrentItem(
            tree->findItems("Activate Group 'Bar'", Qt::MatchExactly | Qt::MatchRecursive).first());
        Click(d, "btnOK");
    });
    Press(form->sbEdit);
    ASSERT_EQ(5u, form->Buttons().size());
    EXPECT_EQ("Activate Group 'Bar'", form->Buttons()[4]->Caption());
    EXPECT_EQ(5, pad.Count());
    EXPECT_TRUE(form->Timer().IsActive());

    runner->Push([](QDialog& d) {
        d.findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
        Click(d, "btnDelete");
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditActionList(pad));
    EXPECT_EQ(5, pad.Count());
    // The controller's actions are untouched by the pad's list.
    EXPECT_NE(nullptr, hub.ActionList().FindByName("Lights"));
}

TEST_F(ActionPadWindow, APadFreedWhileShownLeavesTheWindowEmptyAndHidden) {
    auto owned = std::make_unique<TactionButtonPad>(&hub.ActionList());
    owned->SetNames({"Lights"});
    form->SetActionList(owned.get());
    form->ShowPad();
    owned.reset();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->Buttons().empty());
    EXPECT_EQ(nullptr, form->ActionList());
    timers.Advance(5000);
    // A pad given later works as before.
    form->SetActionList(&pad);
    EXPECT_EQ(5u, form->Buttons().size());
}

}  // namespace
}  // namespace tunecrest
