#include "mainwindow/window_entries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "core/tags/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "support/fake_media_player.h"
#include "support/recording_prompt.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/dialogs/tag_plugins.h"
#include "windows/dialogs/tip_dialog.h"
#include "windows/dialogs/url_list_editor.h"
#include "windows/dialogs/view_settings.h"

namespace tunecrest {
namespace {

TEST(ShortcutEntries, TheActionTableAsTheShortcutListShowsIt)
{
    TactionList actions;
    const std::string text = ShortcutListText(ShortcutEntries(actions), "Tunecrest Main");
    EXPECT_NE(text.find("Send the message number 1024 (WM_USER) through the window-message layer to Window Class "
                        "\"Tunecrest Main\" with the wParam values listed below.\n"),
              std::string::npos);
    EXPECT_NE(text.find("Control\n"
                        "=======\n"
                        "    Lower Volume          : Shortcut: F12, Message: 8\n"
                        "    Next                  : Shortcut: Ctrl+N, Message: 4\n"
                        "    Pause                 : Shortcut: Ctrl+A, Message: 2\n"
                        "    Play                  : Shortcut: Ctrl+P, Message: 1\n"
                        "    Raise Volume          : Shortcut: F11, Message: 7\n"
                        "    Repeat Play           : Message: 6\n"
                        "    Restart Track         : Message: 5\n"
                        "    Stop                  : Shortcut: Ctrl+S, Message: 3\n"
                        "\n"
                        "File\n"
                        "====\n"
                        "    Exit                  : Shortcut: Ctrl+Alt+X, Message: 100\n"
                        "    Information           : Shortcut: Ctrl+I\n"
                        "    Scan Media Folders    : Shortcut: Ctrl+Shift+F5\n"
                        "\n"
                        "Help\n"
                        "====\n"
                        "    Help                  : Shortcut: F1\n"
                        "\n"),
              std::string::npos)
        << text;
    // Actions with neither a shortcut nor a message are left out; a changed shortcut shows.
    EXPECT_EQ(text.find("Add to Top of Queue"), std::string::npos);
    actions.Get("actnQueueAddToTop").ShortCut = "Ctrl+T";
    EXPECT_NE(ShortcutListText(ShortcutEntries(actions), "W").find("    Add to Top of Queue   : Shortcut: Ctrl+T\n"),
              std::string::npos);
}

TEST(HelpFileName, TheRootsDocsFolderFirstThenTheShippedOne)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Docs");
    EXPECT_EQ(HelpFileName((dir.Path() / "Docs").string(), "/opt/tunecrest/Docs/"), "/opt/tunecrest/Docs/tunecrest.html");
    std::ofstream(dir.Path() / "Docs" / "tunecrest.html") << "<html></html>";
    EXPECT_EQ(HelpFileName((dir.Path() / "Docs").string(), "/opt/tunecrest/Docs/"),
              (dir.Path() / "Docs" / "tunecrest.html").string());
}

class TentriesForm : public TfrmCustomTunecrest {
public:
    explicit TentriesForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/")
    {
        FormCreate();
    }
    std::string GetWindowClassName() const override { return "Tunecrest Main"; }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

struct TrecordingHelpOpener : ThelpOpener {
    bool Open(const std::string& fileName) override
    {
        Opened.push_back(fileName);
        return true;
    }
    std::vector<std::string> Opened;
};

struct DialogEntryActions : ::testing::Test {
    DialogEntryActions()
    {
        test::App();
        root = (dir.Path() / "root").string();
        std::filesystem::create_directories(root + "/Docs");
        std::ofstream(root + "/Docs/tunecrest.html") << "<html></html>";
        previousPrompt = SetPrompt(prompt);
        previousOpener = SetHelpOpener(opener);
        form = std::make_unique<TentriesForm>(std::vector<std::string>{"-RootFolder=" + root});
        InstallWindowEntries(*form);
    }
    ~DialogEntryActions() override
    {
        form.reset();
        SetHelpOpener(previousOpener);
        SetPrompt(previousPrompt);
        TtaggerLoader::SetPluginsDialog(nullptr);
    }
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<TrecordingHelpOpener> opener = std::make_shared<TrecordingHelpOpener>();
    std::shared_ptr<ThelpOpener> previousOpener;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    std::unique_ptr<TentriesForm> form;
};

TEST_F(DialogEntryActions, TheActionsOpenTheirWindows)
{
    form->Settings().LastTipNo = 9;
    runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TmyTipDialogForm&>(d);
        EXPECT_TRUE(w.lblTip->text().startsWith("You can use "));
        PressButton(*w.btnNextTip);
        w.cbShowAtStart->setChecked(false);
        PressButton(*w.btnClose);
    });
    EXPECT_TRUE(form->Actions().ExecuteByName("actnHelpTips"));
    EXPECT_EQ(form->Settings().LastTipNo, 10);
    EXPECT_FALSE(form->Settings().ShowTipsAtStartup);

    runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmShortcuts&>(d);
        EXPECT_TRUE(w.memoShortcuts->toPlainText().contains("Window Class \"Tunecrest Main\""));
        PressButton(*w.btnClose);
    });
    EXPECT_TRUE(form->Actions().ExecuteByName("actnViewShortcutList"));

    runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmEditURLs&>(d);
        w.edID->setText("Lounge FM");
        w.edURL->setText("http://127.0.0.1/lounge");
        PressButton(*w.btnAdd);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(form->Actions().ExecuteByName("actnSettingsInternetRadio"));
    EXPECT_EQ(form->JukeboxList()->URLList().GetValue("Lounge FM"), "http://127.0.0.1/lounge");

    const int modes = form->Settings().ViewJukeboxList;
    runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmViewSettings&>(d);
        w.ModeBox(dmArtists)->click();
        w.seHorizontal->setValue(6);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(form->Actions().ExecuteByName("actnViewOptions"));
    EXPECT_EQ(form->Settings().ViewJukeboxList, modes ^ int(DisplayModeBit(dmArtists)));
    EXPECT_EQ(form->Settings().CoverArtMatrixHorizontal, 6);

    EXPECT_TRUE(form->Actions().ExecuteByName("actnHelpHelp"));
    EXPECT_EQ(opener->Opened, std::vector<std::string>{root + "/Docs/tunecrest.html"});

    // Core's plug-in list opens the window.
    runner->Push([](QDialog& d) { PressButton(*dynamic_cast<TfrmPlugins&>(d).btnClose); });
    TaggerLoader().ShowPluginsDialog();
    EXPECT_EQ(runner->Pending(), 0);
    EXPECT_TRUE(prompt->Messages.empty());
}

// The tip of the day comes up once the window is running, and only while switched on.
TEST_F(DialogEntryActions, TheTipOfTheDayFollowsStartUpOnlyWhenSwitchedOn)
{
    int shown = 0;
    runner->Push([&](QDialog& d) {
        ++shown;
        PressButton(*dynamic_cast<TmyTipDialogForm&>(d).btnClose);
    });
    form->Settings().ShowTipsAtStartup = true;
    form->PostInitialise();
    EXPECT_EQ(shown, 0) << "not inside start-up";
    EXPECT_TRUE(test::Pump([&] { return shown == 1; }, 2000));

    form->Settings().ShowTipsAtStartup = false;
    form->PostInitialise();
    test::Pump([] { return false; }, 100);
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace tunecrest
