#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <optional>

#include "core/base/safe_file.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/remote_test_support.h"
#include "support/recording_prompt.h"
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
void Select(QDialog& d, const std::string& name) {
    auto* tree = Find<QTreeWidget>(d, "tvActions");
    const auto items = tree->findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(items.isEmpty()) << name;
    tree->setCurrentItem(items.first());
}
std::vector<std::string> TreeTexts(QDialog& d) {
    std::vector<std::string> texts;
    auto* tree = Find<QTreeWidget>(d, "tvActions");
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        texts.push_back(tree->topLevelItem(i)->text(0).toStdString());
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
            texts.push_back("  " + tree->topLevelItem(i)->child(j)->text(0).toStdString());
    }
    return texts;
}
std::vector<std::string> Lines(QDialog& d, const char* list) {
    std::vector<std::string> lines;
    auto* box = Find<QListWidget>(d, list);
    for (int i = 0; i < box->count(); ++i) lines.push_back(box->item(i)->text().toStdString());
    return lines;
}

// A prompt whose text entries are scripted.
class TeditorPrompt : public test::TrecordingPrompt {
  public:
    std::optional<std::string> AskText(const std::string& title, const std::string&,
                                       const std::string& initial) override {
        Questions.push_back(title + ": " + initial);
        if (Texts.empty()) return std::nullopt;
        auto answer = Texts.front();
        Texts.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> Texts;
};

// A hub loaded from its own files, with two control groups (and so two generated
// actions), saved back to compare the actions file byte for byte.
struct ActionEditors : ::testing::Test {
    void SetUp() override {
        test::App();
        previousPrompt = SetPrompt(prompt);
        ASSERT_TRUE(SafeWriteFile(
            ActionsFile(),
            "[Lights]\r\nDescription=all on\r\nGroup=Room\r\ncom0={Key}\"Desk\":\"\":\"76\"\r\n"
            "com1={Wait}\"2\"\r\ncom2={Action}\"Music\"\r\n"
            "[Music]\r\nDescription=\r\nGroup=\r\ncom0={Exec}\"/usr/bin/player\":\"\":\"1\"\r\n"));
        ASSERT_TRUE(SafeWriteFile(SettingsFile(), "[GroupNames]\r\nNames=Bar,Lounge\r\n"));
        hub = std::make_unique<Tcontroller>();
        hub->Load(ActionsFile(), env.Dir.File("ControlPlugins"), false, 0, SettingsFile());
        ASSERT_TRUE(hub->Save());  // the file as the hub writes it
        ReadFileBytes(ActionsFile(), original);
    }
    void TearDown() override {
        hub.reset();
        SetPrompt(previousPrompt);
    }
    std::string ActionsFile() const { return env.Dir.File("controlactions.ini"); }
    std::string SettingsFile() const { return env.Dir.File("settings.ini"); }
    std::string Saved() {
        EXPECT_TRUE(hub->Save());
        std::string text;
        ReadFileBytes(ActionsFile(), text);
        return text;
    }
    TcontrollerActionList& Actions() { return hub->ActionList(); }

    test::TremoteEnvironment env;
    std::unique_ptr<Tcontroller> hub;
    std::string original;
    std::shared_ptr<TeditorPrompt> prompt = std::make_shared<TeditorPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(ActionEditors, ActionEditorCancelLeavesActionAndFileUntouched) {
    TcontrollerAction& lights = *Actions().FindByName("Lights");
    int changes = 0;
    Actions().OnChange = [&, hubs = Actions().OnChange](TObject* sender) {
        ++changes;
        hubs(sender);
    };
    runner->Push([&](QDialog& d) {
        EXPECT_EQ("Edit Action", d.windowTitle().toStdString());
        EXPECT_EQ((std::vector<std::string>{"Send Key(Desk::L)", "Wait (2)", "Action (Music)"}),
                  Lines(d, "lbCommands"));
        Type(d, "edDescription", "changed");
        Find<QListWidget>(d, "lbCommands")->setCurrentRow(1);
        Click(d, "btnCommandDelete");
        Click(d, "Button2");  // Delete All, confirmed
        EXPECT_TRUE(Lines(d, "lbCommands").empty());
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditAction(lights));
    EXPECT_EQ(3, lights.Commands().Count());
    EXPECT_EQ("all on", lights.Description());
    EXPECT_EQ(0, changes);
    EXPECT_FALSE(hub->ActionsModified());
    EXPECT_EQ(original, Saved());
}

TEST_F(ActionEditors, ActionEditorOkCommitsExactlyTheEditsInOneChange) {
    TcontrollerAction& lights = *Actions().FindByName("Lights");
    int changes = 0;
    Actions().OnChange = [&, hubs = Actions().OnChange](TObject* sender) {
        ++changes;
        hubs(sender);
    };
    runner->Push([&](QDialog& d) {
        Type(d, "edGroup", "Hall");
        auto* list = Find<QListWidget>(d, "lbCommands");
        list->setCurrentRow(2);
        Click(d, "btnMoveUp");  // Action before Wait
        EXPECT_EQ(1, list->currentRow());
        Click(d, "btnMoveUp");
        Click(d, "btnMoveUp");  // already first: stays
        EXPECT_EQ(0, list->currentRow());
        list->setCurrentRow(2);
        Click(d, "btnMoveDown");    // already last: stays
        Click(d, "btnCommandAdd");  // the kind picker, then appended with its defaults
        EXPECT_EQ("Wait (1)", Lines(d, "lbCommands").back());
        list->setCurrentRow(1);
        Click(d, "btnCommandDelete");
        list->setCurrentRow(2);
        Click(d, "btnCommandEdit");  // the wait editor, on the copy
        EXPECT_EQ("Wait (4)", Lines(d, "lbCommands").back());
        Click(d, "Button1");
    });
    runner->Push([](QDialog& d) {
        EXPECT_EQ("Choose...", d.windowTitle().toStdString());
        Find<QListWidget>(d, "lbTypes")->setCurrentRow(4);
        Click(d, "btnOK");
    });
    runner->Push([](QDialog& d) {
        d.findChild<QSpinBox*>("speDelay")->setValue(4);
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditAction(lights));
    EXPECT_EQ(1, changes);
    EXPECT_EQ(
        "[Lights]\r\nDescription=all on\r\nGroup=Hall\r\ncom0={Action}\"Music\"\r\ncom1={Wait}\"2\"\r\n"
        "com2={Wait}\"4\"\r\n\r\n"
        "[Music]\r\nDescription=\r\nGroup=\r\ncom0={Exec}\"/usr/bin/player\":\"\":\"1\"\r\n",
        Saved());
}

TEST_F(ActionEditors, ReadOnlyActionsAreNotEdited) {
    TcontrollerAction& generated = *Actions().FindByName("Activate Group 'Bar'");
    EXPECT_FALSE(EditAction(generated));
    EXPECT_EQ(std::vector<std::string>{"Read-Only Action|This action is Read-Only and cannot be edited."},
              prompt->Messages);
    EXPECT_EQ(0, runner->Pending());
}

TEST_F(ActionEditors, ActionListEditorCancelChangesNothing) {
    runner->Push([&](QDialog& d) {
        EXPECT_EQ((std::vector<std::string>{"[Group Not Assigned]", "  Music", "Room", "  Lights"}),
                  TreeTexts(d));
        Click(d, "btnActionAdd");
        Select(d, "Lights");
        Click(d, "btnActionDelete");
        Click(d, "Button1");
        EXPECT_EQ(std::vector<std::string>{}, TreeTexts(d));
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditActions(Actions()));
    EXPECT_EQ(4, Actions().Count());
    EXPECT_FALSE(hub->ActionsModified());
    EXPECT_EQ(original, Saved());
}

TEST_F(ActionEditors, DeleteAllRemovesOnlyTheUsersActions) {
    runner->Push([&](QDialog& d) {
        Click(d, "Button1");
        EXPECT_TRUE(TreeTexts(d).empty());
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditActions(Actions()));
    EXPECT_EQ(std::vector<std::string>{"Are you sure you want to delete ALL actions?"}, prompt->Questions);
    // The group actions stay: a pad, a plug-in map or an action naming them still works.
    ASSERT_EQ(2, Actions().Count());
    EXPECT_NE(nullptr, Actions().FindByName("Activate Group 'Bar'"));
    EXPECT_NE(nullptr, Actions().FindByName("Activate Group 'Lounge'"));
    EXPECT_EQ("", Saved());

    // Not confirmed: nothing goes.
    prompt->Answer = false;
    Actions().AddNew()->SetName("Kept");
    runner->Push([&](QDialog& d) {
        Click(d, "Button1");
        Click(d, "btnOK");
    });
    EditActions(Actions());
    EXPECT_NE(nullptr, Actions().FindByName("Kept"));
}

TEST_F(ActionEditors, RenameKeepsLettersDigitsAndBlanksAndRefusesTakenNames) {
    prompt->Texts = {std::string("Mu-sic! 2 "), std::string("lights"), std::string("Music 2"),
                     std::string("  "), std::nullopt};
    runner->Push([&](QDialog& d) {
        Select(d, "Music");
        Click(d, "btnRename");  // "Music 2"
        Select(d, "Music 2");
        Click(d, "btnRename");  // "lights": taken, without regard to case
        Click(d, "btnRename");  // the same name: nothing
        Click(d, "btnRename");  // blank
        Click(d, "btnRename");  // cancelled
        Click(d, "btnActionAdd");
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditActions(Actions()));
    EXPECT_EQ(
        (std::vector<std::string>{"Rename Action: Music", "Rename Action: Music 2", "Rename Action: Music 2",
                                  "Rename Action: Music 2", "Rename Action: Music 2"}),
        prompt->Questions);
    EXPECT_EQ(
        (std::vector<std::string>{"Error|The Action Name cannot be empty or the same as another action",
                                  "Error|The Action Name cannot be empty or the same as another action"}),
        prompt->Messages);
    EXPECT_NE(nullptr, Actions().FindByName("Music 2"));
    EXPECT_EQ(nullptr, Actions().FindByName("Music"));
    EXPECT_NE(nullptr, Actions().FindByName("Action000"));
    EXPECT_EQ("Lights", Actions().FindByName("lights")->Name());
    // The Action command inside Lights follows the renamed action.
    const std::string saved = Saved();
    EXPECT_NE(std::string::npos, saved.find("com2={Action}\"Music 2\""));
    EXPECT_NE(std::string::npos, saved.find("[Music 2]\r\n"));
    EXPECT_NE(std::string::npos, saved.find("[Action000]\r\nDescription=\r\nGroup=\r\n"));
}

// A rename reaches what names the action on OK: the button pad and Action commands
// (names that trade places included); Cancel renames nothing.
TEST_F(ActionEditors, RenamedActionsAreRenamedWhereverTheyAreNamedOnOk) {
    TactionButtonPad pad(&Actions());
    pad.SetNames({"Music", "Lights", "Gone"});
    prompt->Texts = {std::string("Tunes"), std::string("Music"), std::string("Other")};
    runner->Push([&](QDialog& d) {
        Select(d, "Music");
        Click(d, "btnRename");  // Music -> Tunes
        Select(d, "Lights");
        Click(d, "btnRename");  // Lights -> Music: the names trade places
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(EditActions(Actions()));
    EXPECT_EQ(pad.NameList(), (std::vector<std::string>{"Music", "Lights", "Gone"}));

    prompt->Texts = {std::string("Tunes"), std::string("Music")};
    runner->Push([&](QDialog& d) {
        Select(d, "Music");
        Click(d, "btnRename");
        Select(d, "Lights");
        Click(d, "btnRename");
        Click(d, "btnOK");
    });
    ASSERT_TRUE(EditActions(Actions()));
    EXPECT_EQ(pad.NameList(), (std::vector<std::string>{"Tunes", "Music", "Gone"}));
    // The old Lights (now Music) ran the old Music (now Tunes) by an Action command.
    const std::string saved = Saved();
    EXPECT_NE(std::string::npos, saved.find("[Music]\r\nDescription=all on\r\nGroup=Room\r\ncom0={Key}"));
    EXPECT_NE(std::string::npos, saved.find("com2={Action}\"Tunes\""));
    EXPECT_EQ(pad.Resolve(0), Actions().FindByName("Tunes"));
}

TEST_F(ActionEditors, ActionEditedInsideTheListEditorWaitsForTheListsOk) {
    runner->Push([&](QDialog& d) {
        Select(d, "Music");
        Click(d, "btnActionEdit");
        Click(d, "btnCancel");
    });
    runner->Push([](QDialog& d) {
        Type(d, "edDescription", "from the list");
        Click(d, "Button1");
    });
    EXPECT_FALSE(EditActions(Actions()));
    EXPECT_EQ("", Actions().FindByName("Music")->Description());
    EXPECT_EQ(original, Saved());
}

TEST_F(ActionEditors, InstalledEditorsOpenFromTheModel) {
    InstallRemoteEditors();
    runner->Push([](QDialog& d) {
        EXPECT_EQ("frmEditActions", d.objectName().toStdString());
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(Actions().Edit());
    TcontrollerAction& lights = *Actions().FindByName("Lights");
    runner->Push([](QDialog& d) {
        EXPECT_EQ("frmEditAction", d.objectName().toStdString());
        Click(d, "btnCancel");
    });
    EXPECT_FALSE(lights.Edit());
    runner->Push([](QDialog& d) {
        EXPECT_EQ("frmEditWait", d.objectName().toStdString());
        Click(d, "btnOK");
    });
    EXPECT_TRUE(lights.Commands().Items(1)->Edit());
    SetCommandEditor({});
    SetActionEditor({});
    SetActionListEditor({});
}

}  // namespace
}  // namespace tunecrest
