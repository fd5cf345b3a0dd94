// The real main window under party play: every road in (an action run by name, its
// shortcut key, its command message) meets the same guard, and switching needs the password.
#include <gtest/gtest.h>

#include "skin/touch_list_box.h"
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "platform/window_messages.h"
#include "support/fake_media_player.h"
#include "support/media_files.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

class TtestForm : public TfrmCustomTunecrest {
public:
    explicit TtestForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }
    test::FakeMediaPlayer* Fake = nullptr;

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = Fake = new test::FakeMediaPlayer; }
};

struct PartyRig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TtypedPasswordPrompt> prompt = std::make_shared<test::TtypedPasswordPrompt>();
    std::shared_ptr<Tprompt> previous;
    PartyRig() {
        test::App();
        root = (dir.Path() / "root").string();
        std::filesystem::create_directories(root + "/Settings");
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        previous = SetPrompt(prompt);
    }
    ~PartyRig() {
        SetPrompt(previous);
        TaggerLoader().SetPluginFolder("");
    }
    void Seed(const std::string& text) { std::ofstream(root + "/Settings/settings.ini") << text; }
    std::string MakeFile(const std::string& name) {
        const auto path = dir.File(name);
        EXPECT_TRUE(test::MakeMediaFile(path, test::TmediaFormat::Wav, 0.5));
        return path;
    }
};

int CountCalls(const test::FakeMediaPlayer& fake, const std::string& call) {
    return int(std::count(fake.Calls.begin(), fake.Calls.end(), call));
}

std::vector<std::string> QueueNames(TtestForm& form) {
    std::vector<std::string> names;
    auto& queue = form.JukeboxList()->Jukebox()->Queue();
    for (int i = 0; i < queue.Count(); ++i)
        names.push_back(std::filesystem::path(queue.GetTag(i)->Filename().str()).filename().string());
    return names;
}

// One road in at a time: by name as remote control runs it, its key (pressed where the
// focus is, on the list a person touched; needs the touch list to pass on keys it does
// not use, its ListKey once kept every key), its command number.
enum class Road { Run, Shortcut, Message };

void Fire(TtestForm& form, Road road, const char* action, Qt::Key key, Qt::KeyboardModifiers mods, int wParam) {
    switch (road) {
        case Road::Run:
            form.RunAction(action);
            break;
        case Road::Shortcut:
            test::PressKey(form, key, mods);
            break;
        case Road::Message:
            form.WndProcComponent().WndProc(WM_USER, WPARAM(wParam), 0);
            break;
    }
}

TEST(MainFormPartyPlay, GuardedActionsAreRefusedFromEveryRoadOnlyWhilePartyPlayIsOn) {
    PartyRig r;
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    ASSERT_FALSE(form.PartyPlayEnabled());
    form.ProcessCommandLine({r.MakeFile("a.wav"), r.MakeFile("b.wav"), r.MakeFile("c.wav")});
    ASSERT_EQ(QueueNames(form), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    auto* list = form.findChild<TtouchListBox*>("lstQueue");
    ASSERT_NE(list, nullptr);
    form.show();

    // The defaults refuse the play-control shortcuts and every queue control.
    ASSERT_TRUE(form.SetPartyPlay(true));
    for (Road road : {Road::Run, Road::Shortcut, Road::Message}) {
        SCOPED_TRACE(int(road));
        Fire(form, road, "actnControlStopShortcut", Qt::Key_S, Qt::ControlModifier, 3);
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 0);
        test::TapRow(*list, 1);  // the queue list has the focus and the keys
        Fire(form, road, "actnQueueMoveUp", Qt::Key_U, Qt::ControlModifier, 301);
        EXPECT_EQ(QueueNames(form), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    }

    ASSERT_TRUE(form.SetPartyPlay(false));
    int stops = 0;
    std::vector<std::string> expected = {"a.wav", "b.wav", "c.wav"};
    for (Road road : {Road::Run, Road::Shortcut, Road::Message}) {
        SCOPED_TRACE(int(road));
        Fire(form, road, "actnControlStopShortcut", Qt::Key_S, Qt::ControlModifier, 3);
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), ++stops);
        test::TapRow(*list, 2);
        Fire(form, road, "actnQueueMoveUp", Qt::Key_U, Qt::ControlModifier, 301);
        std::swap(expected[1], expected[2]);
        EXPECT_EQ(QueueNames(form), expected);
        // The moved track stays the focused row.
        EXPECT_EQ(list->ItemIndex(), 1);
    }
}

TEST(MainFormPartyPlay, TheStopButtonMeetsTheSameGuardAsTheStopAction) {
    PartyRig r;
    r.Seed("[PartyPlay]\nDisableStopControl=1\nHidePlayControls=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    auto* stop = form.findChild<QWidget*>("btnStop");
    ASSERT_NE(stop, nullptr);
    const QPoint centre = stop->rect().center();
    ASSERT_TRUE(form.SetPartyPlay(true));
    QTest::mouseClick(stop, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 0) << "a guest pressed Stop under party play";
    ASSERT_TRUE(form.SetPartyPlay(false));
    QTest::mouseClick(stop, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 1);
}

TEST(MainFormPartyPlay, AHiddenStopButtonStillStopsFromItsShortcutAndMessageWhenTheirSwitchAllows) {
    PartyRig r;
    r.Seed("[PartyPlay]\nDisableStopControl=1\nDisablePlayControlShortcuts=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.show();
    // The keys reach the window from the queue list, which has the focus
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    test::TapRow(*form.Layout().QueueList, 0);
    ASSERT_TRUE(form.SetPartyPlay(true));
    EXPECT_FALSE(form.Actions().Get("actnControlStop").Visible);
    form.RunAction("actnControlStop");
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 0);
    Fire(form, Road::Shortcut, "", Qt::Key_S, Qt::ControlModifier, 0);
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 1);
    Fire(form, Road::Message, "", Qt::Key_unknown, Qt::NoModifier, 3);
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 2);
}

TEST(MainFormPartyPlay, ShortcutsAreReadFromTheSettingsAndWrittenBack) {
    PartyRig r;
    r.Seed("[Shortcuts]\nControlStopShortcut=Ctrl+Alt+Q\nControlPauseShortcut=\nControlNextShortcut=Bogus+Key\n");
    {
        TtestForm form({"-RootFolder=" + r.root});
        form.ReadDisplaySettings();
        form.show();
        // Keys pressed on the track list (needs the touch list to pass on keys it does not
        // use; its ListKey once kept every key).
        test::TapRow(*form.Layout().TrackList, 0);
        test::PressKey(form, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 0);
        test::PressKey(form, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 1);
        test::PressKey(form, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(CountCalls(*form.Fake, "Pause"), 0);
        form.WriteDisplaySettings();
    }
    TiniFile ini(r.root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadString("Shortcuts", "ControlStopShortcut", "?"), "Ctrl+Alt+Q");
    EXPECT_EQ(ini.ReadString("Shortcuts", "ControlPauseShortcut", "?"), "");
    EXPECT_EQ(ini.ReadString("Shortcuts", "ControlNextShortcut", "?"), "Ctrl+N");
    EXPECT_EQ(ini.ReadString("Shortcuts", "ControlPlayShortcut", "?"), "Ctrl+P");
}

TEST(MainFormPartyPlay, SwitchingAsksThePasswordAndAWrongOneLeavesPartyPlayOn) {
    PartyRig r;
    r.Seed("[PartyPlay]\nPassword=Secret\nDisableStopControl=1\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    EXPECT_EQ(form.PartyPlaySettings().GetPassword(), "Secret");

    r.prompt->Typed = "wrong";
    EXPECT_FALSE(form.SetPartyPlay(true));
    EXPECT_FALSE(form.PartyPlayEnabled());
    r.prompt->Typed = "secret";  // letters without regard to case
    EXPECT_TRUE(form.SetPartyPlay(true));
    EXPECT_TRUE(form.PartyPlayEnabled());

    r.prompt->Typed = "Secre";
    EXPECT_FALSE(form.SetPartyPlay(false));
    EXPECT_TRUE(form.PartyPlayEnabled());
    // The menu command meets the same question.
    form.RunAction("actnPartyPlayEnabled");
    EXPECT_TRUE(form.PartyPlayEnabled());
    EXPECT_EQ(r.prompt->Prompts, (std::vector<std::string>{"Enter the password to Enable Party Play Mode...",
                                                            "Enter the password to Enable Party Play Mode...",
                                                            "Enter the password to Disable Party Play Mode...",
                                                            "Enter the password to Disable Party Play Mode..."}));
    // Still guarded after the refused switch-off.
    form.RunAction("actnControlStopShortcut");
    EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 0);

    r.prompt->Typed = "Secret";
    EXPECT_TRUE(form.SetPartyPlay(false));
    EXPECT_FALSE(form.PartyPlayEnabled());
}

TEST(MainFormPartyPlay, TheSectionIsReadAndWrittenWithTheSettingsAndCanStartSwitchedOn) {
    PartyRig r;
    r.Seed("[PartyPlay]\nStartInPartyPlay=1\nPassword=pw\nQueueLimit=7\nDisableStopControl=0\n");
    {
        TtestForm form({"-RootFolder=" + r.root});
        form.ReadDisplaySettings();
        // Switched on at start without a password question.
        EXPECT_TRUE(form.PartyPlayEnabled());
        EXPECT_TRUE(r.prompt->Prompts.empty());
        EXPECT_EQ(form.JukeboxList()->Jukebox()->Queue().Max(), 7);
        // The button action is allowed by the setting; its shortcut twin is not.
        form.RunAction("actnControlStop");
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 1);
        form.RunAction("actnControlStopShortcut");
        EXPECT_EQ(CountCalls(*form.Fake, "Stop"), 1);
        form.PartyPlaySettings().SetDisableQueueMove(true);
        form.WriteDisplaySettings();
    }
    TiniFile ini(r.root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadString("PartyPlay", "Password", ""), "pw");
    EXPECT_EQ(ini.ReadInteger("PartyPlay", "QueueLimit", 0), 7);
    EXPECT_TRUE(ini.ReadBool("PartyPlay", "DisableQueueMove", false));
    EXPECT_FALSE(ini.ReadBool("PartyPlay", "DisableStopControl", true));
}

}  // namespace
}  // namespace tunecrest
