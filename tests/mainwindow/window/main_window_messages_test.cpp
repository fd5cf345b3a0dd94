// The main window's doors for other programs, through the real window-message layer: WM_USER
// command numbers, 0x401, media-key commands and Qt's media keys, a second start's command
// line with the scan countdown, status messages, and the remote-control parts that live
// and die with the window (the programs started at start-up and at close, the screen-saver
// switch).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/countdown.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/instance/single_instance.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "remote/screen_saver_disabler.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "support/fake_media_player.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/user_input.h"
#include "windows/dialogs/countdown.h"

namespace tunecrest {
namespace {

using test::Pump;

class TfakeTimeouts : public TscreenTimeouts {
  public:
    explicit TfakeTimeouts(std::shared_ptr<std::vector<int>> values) : Values(std::move(values)) {}
    bool Read(std::vector<int>& values) override {
        values = *Values;
        return true;
    }
    bool Write(const std::vector<int>& values) override {
        *Values = values;
        return true;
    }
    std::shared_ptr<std::vector<int>> Values;
};

// The countdown entry of the program's windows, reachable by the test.
class TtestEntries : public TdialogEntries {
  public:
    TcountdownPanel* Countdown() const { return Fcountdown.get(); }
    // Counted by the test itself: a new panel may reuse a freed one's address.
    void StartCountdown(QWidget* owner, int totalMs, const std::string& caption, const std::string& groupCaption,
                        const std::string& message, std::function<void(int)> done) override {
        ++CountdownsStarted;
        TdialogEntries::StartCountdown(owner, totalMs, caption, groupCaption, message, std::move(done));
    }
    int CountdownsStarted = 0;
    bool EditLaunchers(TappLauncherList& list, const std::string& caption) override {
        Edited.push_back(caption + ":" + std::to_string(list.Count()));
        return true;
    }
    void ShowActionButtonPad(TactionButtonPad& pad) override { PadShown = &pad; }
    std::vector<std::string> Edited;
    TactionButtonPad* PadShown = nullptr;
};

class TtestForm : public TfrmCustomTunecrest {
  public:
    TtestForm(std::vector<std::string> args, std::shared_ptr<std::vector<int>> timeouts)
        : TfrmCustomTunecrest(std::move(args), "/nonexistent/"), Ftimeouts(std::move(timeouts)) {
        FormCreate();
        auto entries = std::make_unique<TtestEntries>();
        Entries = entries.get();
        Entries->CountdownClock = [this] { return ClockMs; };
        SetDialogEntries(std::move(entries));
    }
    test::FakeMediaPlayer* Fake = nullptr;
    TtestEntries* Entries = nullptr;
    int64_t ClockMs = 1000;

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = Fake = new test::FakeMediaPlayer; }
    std::unique_ptr<TscreenSaverDisabler> CreateScreenSaverDisabler() override {
        return std::make_unique<TscreenSaverDisabler>(std::make_unique<TfakeTimeouts>(Ftimeouts),
                                                      "unix:path=/nonexistent/bus");
    }

  private:
    std::shared_ptr<std::vector<int>> Ftimeouts;
};

struct Rig {
    test::TempDir dir;
    std::string root, music, run, oldFolder;
    std::shared_ptr<std::vector<int>> timeouts =
        std::make_shared<std::vector<int>>(std::vector<int>{600, 300});
    Rig() {
        test::App();
        root = dir.File("root");
        music = dir.File("music");
        run = dir.File("run");
        std::filesystem::create_directories(root + "/Settings");
        std::filesystem::create_directories(music);
        std::filesystem::create_directory(run);
        std::filesystem::permissions(run, std::filesystem::perms::owner_all);
        oldFolder = WindowMessageFolder();
        SetWindowMessageFolder(run + "/tunecrest");
        InstallQtDispatcher();
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
    }
    ~Rig() {
        TaggerLoader().SetPluginFolder("");
        SetDispatcher(nullptr);
        SetWindowMessageFolder(oldFolder);
    }
    void Seed(const std::string& text) { std::ofstream(root + "/Settings/settings.ini") << text; }
    std::string MakeMusic(const std::string& name) {
        const std::string path = music + "/" + name;
        EXPECT_TRUE(test::MakeMediaFile(path, test::TmediaFormat::Wav, 0.3));
        return path;
    }
    std::unique_ptr<TtestForm> Start() {
        auto form = std::make_unique<TtestForm>(std::vector<std::string>{"-RootFolder=" + root}, timeouts);
        form->ReadDisplaySettings();
        form->DoInitialise();
        return form;
    }
};

TEST(MainWindowMessages, EveryCommandNumberReachesItsActionOverTheMessageLayer) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[Preferences]\nConfirmExit=0\n");
    auto form = r.Start();
    std::vector<std::string> ran;
    for (const auto& row : UserMessageActions()) {
        Taction& a = form->Actions().Get(row.Action);
        // Recorded only: the real handlers would close or minimise the window under test.
        a.OnExecute = [&ran, name = std::string(row.Action)](Taction&) { ran.push_back(name); };
    }
    TcommandLineReceiver receiver("Tunecrest Test Main");
    ASSERT_TRUE(receiver.IsOpen());
    receiver.SetMessageHandler([&](uint32_t msg, WPARAM w, LPARAM l) { form->WndProc(msg, w, l); });
    const HWND window = FindWindow(std::string("Tunecrest Test Main"), std::nullopt);
    ASSERT_NE(window, 0);
    std::vector<std::string> expected;
    for (const auto& row : UserMessageActions()) {
        EXPECT_EQ(SendMessage(window, WM_USER, WPARAM(row.WParam), 0), 1) << row.Action;
        expected.push_back(row.Action);
    }
    ASSERT_TRUE(Pump([&] { return ran.size() == expected.size(); }, 5000));
    EXPECT_EQ(ran, expected) << "each number runs its own action, in the order sent";
    // A number no action carries runs nothing.
    SendMessage(window, WM_USER, 9999, 0);
    Pump([] { return false; }, 100);
    EXPECT_EQ(ran.size(), expected.size());
    receiver.SetMessageHandler({});
}

TEST(MainWindowMessages, MessagesMeetThePartyPlayGuardsAndSlotNumbersComeFromLParam) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[Slots]\nSlot0=Play URL:Radio One\n");
    auto form = r.Start();
    form->JukeboxList()->URLList().Add("Radio One", "http://127.0.0.1:9/stream");
    const std::string a = r.MakeMusic("a.wav"), b = r.MakeMusic("b.wav");
    form->ProcessCommandLine({a, b});
    ASSERT_EQ(form->JukeboxList()->Jukebox()->Queue().Count(), 2);

    // Item "Message=304:0": the queue is cleared without a question while party play is off.
    form->PartyPlaySettings().SetDisableQueueOther(true);
    ASSERT_TRUE(form->SetPartyPlay(true));
    form->ProcessCommandLine({"Message=304:0"});
    EXPECT_EQ(form->JukeboxList()->Jukebox()->Queue().Count(), 2) << "party play refuses it";
    form->ProcessCommandLine({"Message=3"});
    EXPECT_EQ(std::count(form->Fake->Calls.begin(), form->Fake->Calls.end(), "Stop"), 0);
    ASSERT_TRUE(form->SetPartyPlay(false));
    form->ProcessCommandLine({"Message=304:0"});
    EXPECT_EQ(form->JukeboxList()->Jukebox()->Queue().Count(), 0);
    form->ProcessCommandLine({"Message=3"});
    EXPECT_EQ(std::count(form->Fake->Calls.begin(), form->Fake->Calls.end(), "Stop"), 1);

    // 500 activates the slot numbered by lParam; a slot that is not there says so.
    auto* status = form->findChild<QLabel*>("lblStatus");
    ASSERT_NE(status, nullptr);
    form->WndProc(WM_USER, 500, 1);
    EXPECT_EQ(status->text().toStdString(), "Activated Slot 1");
    EXPECT_EQ(std::count(form->Fake->Calls.begin(), form->Fake->Calls.end(), "PlayURL"), 1);
    form->ProcessCommandLine({"ActivateSlot=7"});
    EXPECT_EQ(status->text().toStdString(), "Couldn't Activate Slot 7");
    form->ProcessCommandLine({"ActivateSlot=seven"});
    EXPECT_EQ(status->text().toStdString(), "Couldn't Activate Slot 0");
}

TEST(MainWindowMessages, MediaKeysAndAppCommandsRunThePlayerActions) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    auto count = [&](const char* call) {
        return std::count(form->Fake->Calls.begin(), form->Fake->Calls.end(), std::string(call));
    };
    // The media keys arrive where the focus is: on the queue list a person last touched
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    form->show();
    test::TapRow(*form->Layout().QueueList, 0);
    auto press = [&](Qt::Key key) { test::PressKey(*form, key); };
    auto appCommand = [&](uint32_t command) { form->WndProc(WM_APPCOMMAND, 0, LPARAM(command) << 16); };
    appCommand(APPCOMMAND_MEDIA_PLAY_PAUSE);
    EXPECT_EQ(count("Play"), 1) << "stopped: play";
    form->Fake->State = psPaused;
    appCommand(APPCOMMAND_MEDIA_PLAY_PAUSE);
    EXPECT_EQ(count("Pause"), 1) << "paused: the pause action, which resumes";
    const int volume = form->PlayerVolume();
    appCommand(APPCOMMAND_VOLUME_UP);
    EXPECT_GT(form->PlayerVolume(), volume);
    appCommand(APPCOMMAND_VOLUME_DOWN);
    EXPECT_EQ(form->PlayerVolume(), volume);
    appCommand(APPCOMMAND_MEDIA_PREVIOUSTRACK);
    appCommand(APPCOMMAND_MEDIA_STOP);
    EXPECT_EQ(count("Stop"), 1);
    // The top four bits of the high word are the device, not the command.
    form->WndProc(WM_APPCOMMAND, 0, LPARAM(0x8000 | APPCOMMAND_MEDIA_STOP) << 16);
    EXPECT_EQ(count("Stop"), 2);

    // Qt's media keys take the same road, under the same guards.
    press(Qt::Key_MediaStop);
    EXPECT_EQ(count("Stop"), 3);
    form->PartyPlaySettings().SetDisableStopControl(true);
    ASSERT_TRUE(form->SetPartyPlay(true));
    press(Qt::Key_MediaStop);
    appCommand(APPCOMMAND_MEDIA_STOP);
    EXPECT_EQ(count("Stop"), 3) << "refused under party play";
    ASSERT_TRUE(form->SetPartyPlay(false));
    form->Fake->State = psPlaying;
    press(Qt::Key_MediaTogglePlayPause);
    EXPECT_EQ(count("Pause"), 2);
}

// Each media key runs its own command and no other: the player sees exactly one call
// (or the volume one step), and the previous-track key does nothing.
TEST(MainWindowMessages, EachMediaKeyRunsItsOwnCommand) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    // The keys arrive where the focus is: on the track list a person last touched
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    form->show();
    test::TapRow(*form->Layout().TrackList, 0);
    auto press = [&](Qt::Key key) { test::PressKey(*form, key); };
    struct Case {
        Qt::Key key;
        TmediaPlayState state;
        std::vector<std::string> calls;
        int volumeStep;
    };
    form->ProcessCommandLine({r.MakeMusic("a.wav"), r.MakeMusic("b.wav"), r.MakeMusic("c.wav")});
    const std::vector<Case> cases = {
        {Qt::Key_MediaPlay, psStopped, {"Play"}, 0},
        {Qt::Key_MediaNext, psPlaying, {"PlayNext"}, 0},
        {Qt::Key_MediaPrevious, psPlaying, {}, 0},
        {Qt::Key_MediaPause, psPlaying, {"Pause"}, 0},
        {Qt::Key_VolumeUp, psPlaying, {}, 1},
        {Qt::Key_VolumeDown, psPlaying, {}, -1},
        {Qt::Key_MediaStop, psPlaying, {"Stop"}, 0},
        {Qt::Key_MediaTogglePlayPause, psStopped, {"Play"}, 0},
    };
    form->PlayerSetVolume(128);
    for (const Case& c : cases) {
        form->Fake->State = c.state;
        form->Fake->Calls.clear();
        const int volume = form->PlayerVolume();
        press(c.key);
        std::vector<std::string> calls;
        for (const auto& call : form->Fake->Calls)
            if (call == "PlayNext" || call == "Stop" || call == "Play" || call == "Pause")
                calls.push_back(call);
        EXPECT_EQ(calls, c.calls) << "key " << std::hex << int(c.key);
        if (c.volumeStep > 0) EXPECT_GT(form->PlayerVolume(), volume) << std::hex << int(c.key);
        if (c.volumeStep < 0) EXPECT_LT(form->PlayerVolume(), volume) << std::hex << int(c.key);
        if (c.volumeStep == 0) EXPECT_EQ(form->PlayerVolume(), volume) << std::hex << int(c.key);
    }
}

TEST(MainWindowMessages, BringForwardAndStatusMessages) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[Preferences]\nShowMessages=1\n");
    auto form = r.Start();
    TcommandLineReceiver receiver("Tunecrest Test Main");
    int forwards = 0;
    receiver.OnBringForward = [&] { ++forwards; };
    const HWND window = FindWindow(std::string("Tunecrest Test Main"), std::nullopt);
    ASSERT_NE(window, 0);
    EXPECT_EQ(SendMessage(window, kBringForwardMessage, 0, 0), window) << "answers its window's handle";
    // The main window itself answers with its own window id.
    form->show();
    EXPECT_NE(form->WndProc(kBringForwardMessage, 0, 0), 0);
    EXPECT_EQ(form->WndProc(kBringForwardMessage, 0, 0), LRESULT(form->winId()));
    ASSERT_TRUE(Pump([&] { return forwards == 1; }, 3000));

    // WM_USER shows what came while "Show Messages" is on, with the status font.
    form->WndProc(WM_USER, 4, 0);
    EXPECT_EQ(StatusMessage().Text(), "<font color=#FFFFFF size=14 name=\"arial\">Got Message - w:4, l:0");
    form->RunAction("actnSettingsShowMessages");
    EXPECT_FALSE(form->Settings().ShowMessages);
    form->WndProc(WM_USER, 8, 2);
    EXPECT_EQ(StatusMessage().Text(), "<font color=#FFFFFF size=14 name=\"arial\">Got Message - w:4, l:0")
        << "nothing shown once switched off";
}

TEST(MainWindowMessages, SecondStartHandsOverScanRequestWithCountdownAndNeverClosesTheWindow) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    auto* list = form->JukeboxList();
    list->AudioFolders().Add(r.music + "/");
    r.MakeMusic("one.wav");
    TcommandLineReceiver receiver("Tunecrest Test Main");
    receiver.SetReady([&](const std::vector<std::string>& lines) { form->RunRemoteCommandLine(lines); });
    form->show();

    // Cancelled within the 15 seconds: nothing is scanned.
    ASSERT_TRUE(SendParamsToRunningInstance("Tunecrest Test Main", {"RunScanAndExit"}));
    ASSERT_TRUE(Pump([&] { return form->Entries->CountdownsStarted == 1; }, 3000));
    TcountdownPanel* panel = form->Entries->Countdown();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->SecondsLeft(), 15);
    EXPECT_NE(panel->Text(15).find(
                  "has received a Full Rescan request, you can skip the media scan at this time by "
                  "clicking \"Cancel\" in: 15 seconds"),
              std::string::npos);
    EXPECT_EQ(panel->Form()->windowTitle().toStdString(), "Scheduled Media Scan");
    form->ClockMs += 14500;
    panel->Tick();
    EXPECT_EQ(panel->SecondsLeft(), 1);
    EXPECT_FALSE(panel->Finished());
    QTest::mouseClick(panel->Form()->btnCancel, Qt::LeftButton);
    EXPECT_TRUE(panel->Finished());
    EXPECT_FALSE(form->Scanning());
    Pump([] { return false; }, 100);
    EXPECT_EQ(list->GlobalList().Count(), 0);

    // Left to run out: the full scan runs, and the window stays open.
    ASSERT_TRUE(SendParamsToRunningInstance("Tunecrest Test Main", {"RunScanAndExit"}));
    ASSERT_TRUE(Pump([&] { return form->Entries->CountdownsStarted == 2; }, 3000));
    panel = form->Entries->Countdown();
    ASSERT_NE(panel, nullptr);
    form->ClockMs += 15000;
    panel->Tick();
    EXPECT_TRUE(panel->Finished());
    EXPECT_TRUE(form->Scanning());
    ASSERT_TRUE(Pump([&] { return !form->Scanning(); }, 10000));
    EXPECT_EQ(list->GlobalList().Count(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Closing());
    EXPECT_FALSE(form->RemoteCommand());
}

TEST(MainWindowMessages, TheProgramsEntriesAskWithTheCountdownDialog) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    form->JukeboxList()->AudioFolders().Add(r.music + "/");
    r.MakeMusic("one.wav");
    InstallWindowEntries(*form);
    auto scripted = std::make_shared<test::TscriptedModalRunner>();
    test::TscriptedModalRunner& runner = *scripted;
    TmodalRunnerScope scope(scripted);
    std::string message;
    runner.Push([&](QDialog& d) {
        auto& countdown = dynamic_cast<TfrmRunCountdown&>(d);
        message = countdown.lblMessage->text().toStdString();
        QTest::mouseClick(countdown.btnCancel, Qt::LeftButton);
    });
    form->RunRemoteCommandLine({"RunScan"});
    EXPECT_EQ(runner.Titles, (std::vector<std::string>{"Scheduled Media Scan"}));
    EXPECT_NE(message.find("has received a Full Rescan request"), std::string::npos);
    EXPECT_FALSE(form->Scanning()) << "cancelled";
    runner.Push(
        [&](QDialog& d) { QTest::mouseClick(dynamic_cast<TfrmRunCountdown&>(d).btnRunNow, Qt::LeftButton); });
    // The scan window scans at once and closes when the scan is over.
    runner.Push([&](QDialog& d) {
        EXPECT_EQ(d.objectName().toStdString(), "frmMusicSearch");
        EXPECT_TRUE(form->Scanning());
        EXPECT_TRUE(Pump([&] { return !d.isVisible(); }, 10000));
    });
    form->RunRemoteCommandLine({"RunScan"});
    EXPECT_EQ(runner.Pending(), 0);
    EXPECT_FALSE(form->Scanning());
    EXPECT_EQ(form->JukeboxList()->GlobalList().Count(), 1);
}

TEST(MainWindowMessages, InformationHistoryAndSearchOpenTheirWindows) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    InstallWindowEntries(*form);
    auto scripted = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(scripted);
    for (int i = 0; i < 3; ++i) scripted->Push([](QDialog& d) { d.done(mrCancel); });
    EXPECT_TRUE(form->RunAction("actnFileInformation"));
    EXPECT_TRUE(form->RunAction("actnReportsShowHistory"));
    EXPECT_TRUE(form->RunAction("actnSearch"));
    EXPECT_EQ(scripted->Names, (std::vector<std::string>{"frmJukeboxInfo", "frmHistory", "frmSongSearch2"}));
}

TEST(MainWindowMessages, RunScanAndExitAtStartUpScansThenCloses) {
    Rig r;
    r.MakeMusic("one.wav");
    r.MakeMusic("two.wav");
    r.Seed("[Geometry]\nFullScreen=0\n[Settings]\nRunScanAtStartup=1\n");
    auto form = r.Start();
    form->JukeboxList()->AudioFolders().Add(r.music + "/");
    // The one-shot setting: one scan at this start, then it is off.
    form->PostInitialise();
    EXPECT_TRUE(form->Scanning());
    EXPECT_FALSE(TiniFile(r.root + "/Settings/settings.ini").ReadBool("Settings", "RunScanAtStartup", true));
    ASSERT_TRUE(Pump([&] { return !form->Scanning(); }, 10000));
    EXPECT_EQ(form->JukeboxList()->GlobalList().Count(), 2);

    form->show();
    form->ProcessCommandLine({"RunScanAndExit"});
    EXPECT_EQ(form->Entries->Countdown(), nullptr) << "no question at start-up";
    ASSERT_TRUE(Pump([&] { return form->Closing(); }, 10000)) << "closes once the scan is done";
    EXPECT_EQ(form->JukeboxList()->GlobalList().Count(), 2) << "nothing twice";
}

// A scan from the menu saves what it changed through the library's own background save:
// the second scan's one new track is the only record made (the rest copied from the file
// on disk), and "jukebox.dat" is what writing the whole list gives.
TEST(MainWindowMessages, AScanFromTheMenuIsSavedInTheBackgroundFromWhatItChanged) {
    Rig r;
    r.MakeMusic("one.wav");
    r.MakeMusic("two.wav");
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    auto* list = form->JukeboxList();
    list->AudioFolders().Add(r.music + "/");
    form->PostInitialise();
    const auto scan = [&] {
        form->RunAction("actnFileScanFolders");
        ASSERT_TRUE(Pump([&] { return !form->Scanning() && !list->BackgroundWorkPending(); }, 10000));
    };
    scan();
    ASSERT_EQ(list->GlobalList().Count(), 2);
    r.MakeMusic("three.wav");
    scan();
    ASSERT_EQ(list->GlobalList().Count(), 3);
    EXPECT_EQ(list->LastSaveRecordsMade(), 1u);
    TbyteWriter whole;
    SaveTagListToStream(list->GlobalList(), whole);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(r.root + "/Data/jukebox.dat", bytes));
    EXPECT_EQ(bytes, whole.Bytes());
}

TEST(MainWindowMessages, LaunchersAndScreenSaverSwitchLiveWithTheWindow) {
    Rig r;
    const std::string started = r.dir.File("started"), closed = r.dir.File("closed");
    r.Seed(
        "[Geometry]\nFullScreen=0\n[ActionButtonPad]\nWidth=480\nHeight=320\nTimeout=25\n"
        "[LaunchStartup]\nLauncher0000=/bin/sh|-c \"echo up > " +
        started + "\"||1|0\n[LaunchClose]\nLauncher0000=/bin/sh|-c \"echo down > " + closed + "\"||1|0\n");
    auto form = r.Start();
    ASSERT_NE(form->ControllerHub(), nullptr);
    EXPECT_EQ(form->AppLaunchOpen().Count(), 1);
    EXPECT_TRUE(Pump([&] { return std::filesystem::exists(started); }, 5000)) << "started at start-up";
    EXPECT_FALSE(std::filesystem::exists(closed));
    // Their editors and the action button pad open from the window's actions.
    form->RunAction("actnFileLaunchAtStart");
    form->RunAction("actnFileLaunchAtClose");
    EXPECT_EQ(form->Entries->Edited, (std::vector<std::string>{"Launch on Open:1", "Launch on Close:1"}));
    form->RunAction("actnViewShowActionButtonPad");
    ASSERT_NE(form->ButtonList(), nullptr);
    EXPECT_EQ(form->Entries->PadShown, form->ButtonList());
    EXPECT_EQ(form->ButtonList()->Source(), &form->ControllerHub()->ActionList());
    EXPECT_EQ(form->ButtonList()->Timeout, 25);

    // A video keeps the desktop's screen saver off; its end puts the time-outs back.
    auto video = std::make_shared<TaudioTag>();
    video->SetFilename(r.dir.File("clip.mp4"));
    video->SetMediaType(2);
    form->Controller().PlaybackStarted(video);
    ASSERT_NE(form->ScreenSaverDisabler(), nullptr);
    EXPECT_TRUE(form->ScreenSaverDisabler()->Active());
    EXPECT_EQ(*r.timeouts, (std::vector<int>{0, 0}));
    form->close();
    EXPECT_FALSE(form->ScreenSaverDisabler()->Active());
    EXPECT_EQ(*r.timeouts, (std::vector<int>{600, 300}));
    EXPECT_TRUE(Pump([&] { return std::filesystem::exists(closed); }, 5000)) << "started at close";
    form.reset();
    // The lists are kept in the settings.
    const TiniFile ini(r.root + "/Settings/settings.ini");
    EXPECT_NE(ini.ReadString("LaunchStartup", "Launcher0000", "").find("echo up"), std::string::npos);
    EXPECT_NE(ini.ReadString("LaunchClose", "Launcher0000", "").find("echo down"), std::string::npos);
    EXPECT_EQ(ini.ReadInteger("ActionButtonPad", "Width", 0), 480);
    EXPECT_EQ(ini.ReadInteger("ActionButtonPad", "Timeout", 0), 25);
}

}  // namespace
}  // namespace tunecrest
