#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "remote/controller_hub.h"
#include "remote/remote_test_support.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/remote/remote_editors.h"
#include "windows/remote_editor_test_support.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

using test::Click;
using test::Find;
using test::Type;
void Ok(QDialog& d) {
    Click(d, "btnOK");
}
void Cancel(QDialog& d) {
    Click(d, "btnCancel");
}

QTreeWidgetItem* NodeNamed(QTreeWidget* tree, const std::string& text) {
    const auto items = tree->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

struct CommandEditors : ::testing::Test {
    void SetUp() override { test::App(); }
    test::TremoteEnvironment env;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(CommandEditors, KeyEditorStoresSpecialKeysAndUpperCasedCharacters) {
    TsendKeyCommand key;
    key.SetParamText("\"Old\":\"Cls\":\"" + std::to_string(kKeyCtrl | 'x') + "\"");
    const std::string before = key.GetParamText();
    runner->Push([](QDialog& d) {
        EXPECT_EQ("Send Key Properties", d.windowTitle().toStdString());
        EXPECT_EQ("x", Find<QLineEdit>(d, "edCharacter")->text().toStdString());
        EXPECT_FALSE(Find<QComboBox>(d, "cboKeyList")->isEnabled());
        Type(d, "edWindowTitle", "Changed");
        Find<QRadioButton>(d, "rbSpecialKey")->click();
        Cancel(d);
    });
    EXPECT_FALSE(EditSendKey(key));
    EXPECT_EQ(before, key.GetParamText());

    runner->Push([](QDialog& d) {
        Type(d, "edWindowTitle", "Player");
        Type(d, "edWindowClass", "");
        Find<QRadioButton>(d, "rbSpecialKey")->click();
        EXPECT_TRUE(Find<QComboBox>(d, "cboKeyList")->isEnabled());
        EXPECT_FALSE(Find<QLineEdit>(d, "edCharacter")->isEnabled());
        Find<QComboBox>(d, "cboKeyList")->setCurrentText("F5");
        Find<QCheckBox>(d, "cbControl")->setChecked(false);
        Find<QCheckBox>(d, "cbShift")->setChecked(true);
        Ok(d);
    });
    ASSERT_TRUE(EditSendKey(key));
    EXPECT_EQ("\"Player\":\"\":\"" + std::to_string(0x74 | kKeyShift | kKeyVirtual) + "\"",
              key.GetParamText());

    // Back to a character: typed letters become capitals, the virtual flag goes.
    runner->Push([](QDialog& d) {
        EXPECT_EQ("F5", Find<QComboBox>(d, "cboKeyList")->currentText().toStdString());
        Find<QRadioButton>(d, "rbCharacter")->click();
        Type(d, "edCharacter", "q");
        EXPECT_EQ("Q", Find<QLineEdit>(d, "edCharacter")->text().toStdString());
        Ok(d);
    });
    ASSERT_TRUE(EditSendKey(key));
    EXPECT_EQ('Q', key.KeyCode);
    EXPECT_FALSE(key.VirtualKey);
    EXPECT_TRUE(key.Shift);
}

TEST_F(CommandEditors, WaitAndMessageEditorsParseTheirNumbers) {
    TwaitCommand wait;
    wait.Seconds = 3;
    runner->Push([](QDialog& d) {
        EXPECT_EQ(3, Find<QSpinBox>(d, "speDelay")->value());
        Find<QSpinBox>(d, "speDelay")->setValue(9);
        Cancel(d);
    });
    EXPECT_FALSE(EditWait(wait));
    EXPECT_EQ(3, wait.Seconds);
    runner->Push([](QDialog& d) {
        Find<QSpinBox>(d, "speDelay")->setValue(12);
        Ok(d);
    });
    EXPECT_TRUE(EditWait(wait));
    EXPECT_EQ(12, wait.Seconds);

    TsendMessageCommand message;
    runner->Push([](QDialog& d) {
        Type(d, "edMessageID", "10x2-4");  // only digits go in
        EXPECT_EQ("1024", Find<QLineEdit>(d, "edMessageID")->text().toStdString());
        Type(d, "edWParam", "-5");
        Type(d, "edLParam", "");
        Type(d, "edWindowClass", "Amp");
        Ok(d);
    });
    ASSERT_TRUE(EditSendMessage(message));
    EXPECT_EQ("\"\":\"Amp\":\"1024\":\"-5\":\"0\"", message.GetParamText());
}

TEST_F(CommandEditors, LaunchEditorKeepsAShowValueOnlyTheLastRowHas) {
    TappExecCommand exec;
    exec.SetParamText("\"/usr/bin/player\":\"--quiet\":\"7\"");
    runner->Push([](QDialog& d) {
        EXPECT_EQ("Show Minimized and Not Active",
                  Find<QComboBox>(d, "cboShowStyle")->currentText().toStdString());
        EXPECT_EQ(4, Find<QComboBox>(d, "cboShowStyle")->count());
        Ok(d);
    });
    ASSERT_TRUE(EditAppLaunch(exec));
    EXPECT_EQ(7, exec.ShowCommand);

    runner->Push([](QDialog& d) {
        Type(d, "edParams", "--loud");
        Find<QComboBox>(d, "cboShowStyle")->setCurrentText("Show Maximized");
        Cancel(d);
    });
    EXPECT_FALSE(EditAppLaunch(exec));
    EXPECT_EQ("\"/usr/bin/player\":\"--quiet\":\"7\"", exec.GetParamText());
    runner->Push([](QDialog& d) {
        Type(d, "edParams", "--loud");
        Find<QComboBox>(d, "cboShowStyle")->setCurrentText("Show Maximized");
        Ok(d);
    });
    ASSERT_TRUE(EditAppLaunch(exec));
    EXPECT_EQ("\"/usr/bin/player\":\"--loud\":\"3\"", exec.GetParamText());

    // A value in no row opens on the first row.
    exec.ShowCommand = 42;
    runner->Push([](QDialog& d) {
        EXPECT_EQ("Show Normal", Find<QComboBox>(d, "cboShowStyle")->currentText().toStdString());
        Cancel(d);
    });
    EditAppLaunch(exec);
}

TEST_F(CommandEditors, MouseEditorClampsCoordinatesAndGetTakesThePointedTarget) {
    TmouseCommand mouse;
    runner->Push([](QDialog& d) {
        Find<QCheckBox>(d, "cbRightClick")->setChecked(true);
        Find<QCheckBox>(d, "cbLeftClick")->setChecked(true);
        Type(d, "edXpos", "70000");
        EXPECT_EQ("65535", Find<QLineEdit>(d, "edXpos")->text().toStdString());
        Type(d, "edYpos", "12");
        Ok(d);
    });
    ASSERT_TRUE(EditMouse(mouse));
    EXPECT_EQ("\"\":\"\":\"5\":\"65535\":\"12\"", mouse.GetParamText());

    // "Get" waits on a timer (no loop of its own), then asks the probe.
    const TpointerTargetProbe previous = SetPointerTargetProbe([](TpointerTarget& target) {
        target = {40, 30, "tunecrest-outside-player", "Now Playing"};
        return true;
    });
    runner->Push([](QDialog& d) {
        Click(d, "Button1");
        EXPECT_FALSE(Find<QPushButton>(d, "Button1")->isEnabled());
        auto* timer = d.findChild<QTimer*>();
        ASSERT_NE(nullptr, timer);
        ASSERT_TRUE(timer->isActive());
        EXPECT_EQ(kPointerCaptureDelayMs, timer->interval());
        timer->start(0);  // the user has pointed
        QTest::qWait(20);
        EXPECT_TRUE(Find<QPushButton>(d, "Button1")->isEnabled());
        EXPECT_EQ("40", Find<QLineEdit>(d, "edXpos")->text().toStdString());
        Ok(d);
    });
    ASSERT_TRUE(EditMouse(mouse));
    EXPECT_EQ("\"Now Playing\":\"tunecrest-outside-player\":\"5\":\"40\":\"30\"", mouse.GetParamText());
    SetPointerTargetProbe(previous);
}

TEST_F(CommandEditors, GroupEditorOffersTheHubsGroups) {
    TcontrolGroupList groups;
    groups.Add("Bar");
    groups.Add("Lounge");
    TgroupActivateCommand command;
    command.GroupName = "Lounge";
    runner->Push([](QDialog& d) {
        auto* combo = Find<QComboBox>(d, "cboGroupName");
        EXPECT_EQ(2, combo->count());
        EXPECT_EQ("Lounge", combo->currentText().toStdString());
        combo->setCurrentIndex(0);
        Ok(d);
    });
    ASSERT_TRUE(EditActivateGroup(command, &groups));
    EXPECT_EQ("Bar", command.GroupName);
}

TEST_F(CommandEditors, KindPickerNeedsARow) {
    std::string kind = "unchanged";
    runner->Push([](QDialog& d) {
        auto* list = Find<QListWidget>(d, "lbTypes");
        ASSERT_EQ(6, list->count());
        EXPECT_EQ("Mouse", list->item(0)->text().toStdString());
        EXPECT_EQ("Action", list->item(5)->text().toStdString());
        list->setCurrentRow(3);
        Ok(d);
    });
    ASSERT_TRUE(ChooseCommandType(kind));
    EXPECT_EQ("Exec", kind);
    runner->Push([](QDialog& d) { Ok(d); });
    EXPECT_FALSE(ChooseCommandType(kind));
    EXPECT_EQ("Exec", kind);
}

TEST_F(CommandEditors, ActionCommandPicksThroughTheActionPicker) {
    TcontrollerActionList list;
    TcontrollerAction* caller = list.AddNew();
    caller->SetName("Caller");
    TcontrollerAction* lights = list.AddNew();
    lights->SetName("Lights");
    lights->SetDescription("all on");
    auto* command = caller->Commands().AddNew<TactionCommand>();
    command->ActionName = "LIGHTS";

    runner->Push([](QDialog& d) {
        EXPECT_EQ("Lights [all on]", Find<QLineEdit>(d, "edActionName")->text().toStdString());
        Click(d, "btnSelectAction");
        EXPECT_EQ("Caller", Find<QLineEdit>(d, "edActionName")->text().toStdString());
        Ok(d);
    });
    runner->Push([](QDialog& d) {
        auto* tree = Find<QTreeWidget>(d, "tvActions");
        EXPECT_EQ("Lights", tree->currentItem()->text(0).toStdString());  // the current choice
        tree->setCurrentItem(NodeNamed(tree, "Caller"));
        Ok(d);
    });
    ASSERT_TRUE(EditActionCommand(*command));
    EXPECT_EQ("Caller", command->ActionName);

    // The picker: Cancel gives the current action back, a group node gives none.
    runner->Push([](QDialog& d) { Cancel(d); });
    EXPECT_EQ(lights, SelectAction(list, lights));
    runner->Push([](QDialog& d) {
        auto* tree = Find<QTreeWidget>(d, "tvActions");
        tree->setCurrentItem(NodeNamed(tree, "[Group Not Assigned]"));
        Ok(d);
    });
    EXPECT_EQ(nullptr, SelectAction(list, lights));
}

}  // namespace
}  // namespace tunecrest
