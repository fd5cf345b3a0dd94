#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/base/ini_file.h"
#include "remote/program_launcher.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

void Click(QDialog& d, const char* name) {
    auto* button = d.findChild<QPushButton*>(name);
    ASSERT_NE(nullptr, button) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}
void Type(QDialog& d, const char* edit, const char* text) {
    QLineEdit* e = d.findChild<QLineEdit*>(edit);
    ASSERT_NE(nullptr, e) << edit;
    e->clear();
    QTest::keyClicks(e, text);
}
void SelectRow(QDialog& d, int row) {
    auto* view = d.findChild<QTreeWidget*>("lvLaunchers");
    view->setCurrentItem(view->topLevelItem(row));
}
std::vector<std::string> Rows(QDialog& d) {
    std::vector<std::string> rows;
    auto* view = d.findChild<QTreeWidget*>("lvLaunchers");
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view->topLevelItem(i);
        rows.push_back((item->text(0) + "|" + item->text(1) + "|" + item->text(2)).toStdString());
    }
    return rows;
}
std::string Saved(const TappLauncherList& list) {
    TiniFile ini;
    list.SaveToIni(ini, "LaunchStartup");
    return ini.GetText();
}

struct LauncherEditors : ::testing::Test {
    void SetUp() override {
        test::App();
        previousPrompt = SetPrompt(prompt);
        TiniFile ini;
        ini.SetText("[LaunchStartup]\nLauncher0000=/opt/lights|--on|/opt|3|0\nLauncher0001=/opt/amp|||1|1\n");
        list.LoadFromIni(ini, "LaunchStartup");
        original = Saved(list);
        list.OnChange = [this](TObject*) { ++changes; };
    }
    void TearDown() override { SetPrompt(previousPrompt); }

    TappLauncherList list;
    std::string original;
    int changes = 0;
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(LauncherEditors, OneLauncherCopiesFileParametersAndWaitOnOkOnly) {
    TappLauncher& lights = *list.Items(0);
    runner->Push([](QDialog& d) {
        EXPECT_EQ("/opt/lights", d.findChild<QLineEdit*>("edExecutable")->text().toStdString());
        Type(d, "edParameters", "--off");
        d.findChild<QCheckBox*>("cbWaitForCompletion")->setChecked(true);
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditAppLauncher(lights));
    EXPECT_EQ("/opt/lights|--on|/opt|3|0", lights.Text());
    runner->Push([](QDialog& d) {
        Type(d, "edExecutable", "/opt/dimmer");
        Type(d, "edParameters", "--off");
        d.findChild<QCheckBox*>("cbWaitForCompletion")->setChecked(true);
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditAppLauncher(lights));
    // The folder and the show value are not edited here and stay.
    EXPECT_EQ("/opt/dimmer|--off|/opt|3|1", lights.Text());
}

TEST_F(LauncherEditors, ListCancelKeepsTheListAndItsSection) {
    runner->Push([](QDialog& d) {
        EXPECT_EQ("\"Launch on Open\" Setup", d.windowTitle().toStdString());
        EXPECT_EQ((std::vector<std::string>{"/opt/lights|--on|No", "/opt/amp||Yes"}), Rows(d));
        SelectRow(d, 1);
        Click(d, "btnMoveUp");
        Click(d, "btnDelete");
        Click(d, "btnClear");
        EXPECT_TRUE(Rows(d).empty());
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditAppLauncherList(list, "\"Launch on Open\" Setup"));
    EXPECT_EQ(original, Saved(list));
    EXPECT_EQ(0, changes);
}

TEST_F(LauncherEditors, ListOkPutsBackExactlyTheEditsInOneChange) {
    runner->Push([](QDialog& d) {
        Click(d, "btnAdd");  // the launcher editor, OK: appended and selected
        EXPECT_EQ("/opt/screen|-f|No", Rows(d).back());
        Click(d, "btnAdd");  // cancelled: nothing appended
        EXPECT_EQ(3u, Rows(d).size());
        Click(d, "btnMoveUp");  // the new one moves above the amplifier
        Click(d, "btnMoveUp");
        Click(d, "btnMoveUp");  // already first
        EXPECT_EQ("/opt/screen|-f|No", Rows(d).front());
        SelectRow(d, 2);
        Click(d, "btnMoveDown");  // already last
        Click(d, "btnEdit");
        EXPECT_EQ("/opt/amp|--loud|Yes", Rows(d).back());
        Click(d, "btnOK");
    });
    runner->Push([](QDialog& d) {
        Type(d, "edExecutable", "/opt/screen");
        Type(d, "edParameters", "-f");
        Click(d, "btnOK");
    });
    runner->Push([](QDialog& d) {
        Type(d, "edExecutable", "/opt/never");
        Click(d, "btnCancel");
    });
    runner->Push([](QDialog& d) {
        Type(d, "edParameters", "--loud");
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditAppLauncherList(list, "\"Launch on Open\" Setup"));
    EXPECT_EQ(1, changes);
    EXPECT_EQ(
        "[LaunchStartup]\r\nLauncher0000=/opt/screen|-f||1|0\r\nLauncher0001=/opt/lights|--on|/opt|3|0\r\n"
        "Launcher0002=/opt/amp|--loud||1|1\r\n",
        Saved(list));

    // OK without a change changes nothing.
    runner->Push([](QDialog& d) { Click(d, "btnOK"); });
    ASSERT_TRUE(EditAppLauncherList(list));
    EXPECT_EQ(1, changes);
}

}  // namespace
}  // namespace tunecrest
