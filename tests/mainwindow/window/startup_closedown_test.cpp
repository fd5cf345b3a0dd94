// The real window from start to close and across a second start: always on top, the main
// menu behind its password, the close-down programs after a waiting one, a second start
// that keeps full screen and party play, "Message=100:0" ending the process, the lists
// taking the keyboard by message, the player's own settings,
// the volume the player reports, and what the now-playing area says for a station.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "core/library/url_list.h"
#include "mainwindow/views/list_display.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/views/now_playing.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/instance/single_instance.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "remote/program_launcher.h"
#include "skin/display_controls.h"
#include "skin/fitted_text.h"
#include "skin/qt_color.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/program_process.h"
#include "support/pump_events.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/about_box.h"
#include "windows/dialogs/url_list_editor.h"

namespace tunecrest {
namespace {

using test::Pump;

// A player whose own settings dialog turns the volume to 77, and which plays a station
// as the in-process engine does: an entry of media kind 4 for the address, the start
// reported without a track of the library.
class TconfigPlayer : public test::FakeMediaPlayer {
  public:
    void ShowConfig() override {
        FakeMediaPlayer::ShowConfig();
        SetVolume(77);
    }
    bool StationEntries = false;
    void PlayURL(const std::string& address) override {
        FakeMediaPlayer::PlayURL(address);
        if (!StationEntries) return;
        auto stream = std::make_shared<TaudioTag>();
        stream->SetMediaType(4);
        stream->SetFilename(address);
        CurrentTag = stream;
        DoPlaybackStart(nullptr);
    }
    void SendStreamTitle(const std::string& title) {
        if (CurrentTag) CurrentTag->SetTitle(title);
    }
};

class TtestForm : public TfrmCustomTunecrest {
  public:
    explicit TtestForm(const std::string& root) : TfrmCustomTunecrest({"-RootFolder=" + root}, "/nonexistent/") {
        FormCreate();
    }
    TconfigPlayer* Fake = nullptr;

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = Fake = new TconfigPlayer; }
};

struct Rig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> oldPrompt;
    Rig() {
        test::App();
        root = dir.File("root");
        std::filesystem::create_directories(root + "/Settings");
        InstallQtDispatcher();
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        oldPrompt = SetPrompt(prompt);
    }
    ~Rig() {
        SetPrompt(oldPrompt);
        TaggerLoader().SetPluginFolder("");
        SetDispatcher(nullptr);
    }
    // The settings `text` gives, without the tip of the day.
    void Seed(std::string text) {
        const std::string prefs = "[Preferences]\n";
        if (const size_t at = text.find(prefs); at != std::string::npos)
            text.insert(at + prefs.size(), "ShowTipsAtStartup=0\n");
        else
            text = prefs + "ShowTipsAtStartup=0\n" + text;
        std::ofstream(root + "/Settings/settings.ini") << text;
    }
    std::unique_ptr<TtestForm> Start(bool show = true) {
        auto form = std::make_unique<TtestForm>(root);
        form->ReadDisplaySettings();
        form->DoInitialise();
        if (show) {
            form->show();
            QApplication::processEvents();
        }
        form->PostInitialise();
        QApplication::processEvents();
        return form;
    }
    TiniFile Settings() const { return TiniFile(root + "/Settings/settings.ini"); }
};

bool FullScreen(const QWidget& w) { return (w.windowState() & Qt::WindowFullScreen) != 0; }

TEST(StartUpAndCloseDown, AlwaysOnTopKeepsTheWindowShownAndTheActionTogglesIt) {
    Rig r;
    r.Seed("[Preferences]\nAlwaysOnTop=1\n[Geometry]\nFullScreen=1\n");
    auto form = r.Start();
    EXPECT_TRUE(form->isVisible()) << "the window on top is still on the screen";
    EXPECT_TRUE(form->AlwaysOnTopState());
    EXPECT_TRUE(FullScreen(*form));
    EXPECT_TRUE(form->Actions().Get("actnSettingsAlwaysOnTop").Checked);
    // Ctrl+Alt+A's action: off again, the window stays shown and full screen.
    EXPECT_TRUE(form->RunAction("actnSettingsAlwaysOnTop"));
    EXPECT_FALSE(form->AlwaysOnTopState());
    EXPECT_FALSE(form->Actions().Get("actnSettingsAlwaysOnTop").Checked);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(FullScreen(*form));
    form->close();
    EXPECT_FALSE(r.Settings().ReadBool("Preferences", "AlwaysOnTop", true));
    // Next start: not on top.
    auto again = r.Start();
    EXPECT_FALSE(again->AlwaysOnTopState());
    EXPECT_TRUE(again->isVisible());
    again->close();
}

TEST(StartUpAndCloseDown, MainMenuBehindItsPasswordIsHiddenAtStart) {
    Rig r;
    r.Seed("[MainMenu]\nVisible=1\nPasswordProtected=1\n[Geometry]\nFullScreen=0\n");
    {
        auto form = r.Start();
        EXPECT_FALSE(form->IsMainMenuVisible());
        EXPECT_FALSE(form->Actions().Get("actnViewMainMenu").Checked);
        form->close();
    }
    r.Seed("[MainMenu]\nVisible=1\nPasswordProtected=0\n[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    EXPECT_TRUE(form->IsMainMenuVisible());
    form->close();
}

TEST(StartUpAndCloseDown, CloseProgramsAfterAWaitingOneAllStartBeforeTheEnd) {
    Rig r;
    const std::string slow = r.dir.File("slow.sh"), last = r.dir.File("last.sh");
    const std::string marker = r.dir.File("closed.txt");
    std::ofstream(slow) << "#!/bin/sh\nsleep 0.3\n";
    std::ofstream(last) << "#!/bin/sh\necho done > '" << marker << "'\n";
    for (const auto& f : {slow, last})
        std::filesystem::permissions(f, std::filesystem::perms::owner_all);
    r.Seed("[Geometry]\nFullScreen=0\n[LaunchClose]\nLauncher0000=" + slow + "|||1|1\nLauncher0001=" + last +
           "|||1|0\n");
    auto form = r.Start();
    ASSERT_EQ(form->AppLaunchClose().Count(), 2);
    bool closedSeen = false;
    form->OnClosed = [&] { closedSeen = true; };
    form->close();
    EXPECT_TRUE(closedSeen);
    // The second program waits for the first; the window's end waits for both to start.
    EXPECT_TRUE(form->WaitForClosePrograms(20000));
    EXPECT_TRUE(Pump([&] { return std::filesystem::exists(marker); }, 10000)) << "the program after the waiting one ran";
}

TEST(SecondStart, CommandsKeepFullScreenAlsoInPartyPlay) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=1\n");
    auto form = r.Start();
    ASSERT_TRUE(FullScreen(*form));
    // What a second start hands over, then its request to come forward.
    form->RunRemoteCommandLine({"Message=4"});
    form->BringForward();
    QApplication::processEvents();
    EXPECT_TRUE(FullScreen(*form));
    EXPECT_TRUE(form->isVisible());
    // A scheduled scan's start: the countdown comes up over the window, which stays as it is.
    form->RunRemoteCommandLine({"RunScan"});
    form->BringForward();
    QApplication::processEvents();
    EXPECT_TRUE(FullScreen(*form));
    EXPECT_TRUE(form->isVisible());
    // Party play (which forces full screen) stays on and full screen.
    ASSERT_TRUE(form->SetPartyPlay(true));
    form->RunRemoteCommandLine({"Message=4"});
    form->BringForward();
    QApplication::processEvents();
    EXPECT_TRUE(form->PartyPlayEnabled());
    EXPECT_TRUE(FullScreen(*form));
    ASSERT_TRUE(form->SetPartyPlay(false));
    form->close();
}

TEST(SecondStart, ExitMessageClosesTheWindowForGood) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[Preferences]\nConfirmExit=0\n");
    auto form = r.Start();
    bool ended = false;
    form->OnClosed = [&] { ended = true; };
    form->RunRemoteCommandLine({"Message=100:0"});
    EXPECT_TRUE(ended);
    EXPECT_TRUE(form->Closed());
    // The second start's request to come forward does not bring back the closed window.
    form->BringForward();
    QApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
}

bool HasSocket(const std::string& folder) {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_socket(ec)) return true;
    return false;
}

TEST(SecondStart, ExitMessageFromASecondStartEndsTheRunningProgram) {
    test::App();
    test::TempDir dir;
    const std::string root = dir.File("root") + "/", run = dir.File("run");
    test::MakeQuietRoot(root, run);
    std::vector<std::string> env = test::EnvironmentWithout({"XDG_RUNTIME_DIR="});
    env.push_back("XDG_RUNTIME_DIR=" + run);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("TUNECREST_AUDIO_SINK=fakesink");
    test::TchildProcess first(test::SpawnProgram({"-RootFolder=" + root}, env));
    ASSERT_NE(first.Pid(), 0);
    ASSERT_TRUE(Pump([&] { return HasSocket(run) || first.Ended(); }, 30000)) << "the first copy opened its window";
    ASSERT_FALSE(first.HasEnded());
    // The second start hands "Message=100:0" (Exit) over and ends; the first copy ends too.
    const test::TlaterExit exit = test::ExitThroughALaterStart(first, env);
    ASSERT_TRUE(exit.Started);
    EXPECT_TRUE(exit.LaterEnded);
    EXPECT_TRUE(exit.RunningEnded) << "the running copy ended";
    EXPECT_TRUE(first.ExitedCleanly());
    EXPECT_TRUE(std::filesystem::exists(root + "Data/queue.dat") || TiniFile(root + "Settings/settings.ini").SectionExists("Geometry"))
        << "it closed down, saving its settings";
}

TEST(MessagesAndActions, ListsTakeTheKeyboardByMessage) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    auto form = r.Start();
    form->activateWindow();
    QApplication::processEvents();
    const std::pair<int, QWidget*> rows[] = {{1002, form->Layout().QueueList},
                                             {1001, form->Layout().TrackList},
                                             {1000, form->Layout().Tree}};
    for (const auto& [message, list] : rows) {
        form->WndProc(WM_USER, WPARAM(message), 0);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), list) << message;
    }
    form->close();
}

TEST(PlayerEvents, PlayerSettingsHoldAndTheReportedVolumeMovesTheBar) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[VolumeScrollbar]\nMode=1\n[Player]\nVolume=200\n");
    auto form = r.Start();
    EXPECT_EQ(form->Fake->GetVolume(), 200);
    EXPECT_TRUE(form->RunAction("actnSettingsPlayer"));
    EXPECT_EQ(form->Fake->Calls.back(), "ShowConfig");
    EXPECT_EQ(form->Fake->GetVolume(), 77);
    EXPECT_EQ(r.Settings().ReadInteger("Player", "Volume", 0), 77) << "what the dialog set is kept";
    // The player reports a volume: the bar shows it.
    form->Fake->SetVolume(120);
    auto* bar = form->Layout().VolumeBar;
    EXPECT_TRUE(bar->Position() == 120 || bar->Position() == 255 - 120) << bar->Position();
    form->close();
}

TEST(PlayerEvents, StopPutsTheTimerBackToZeroAndTheBarOutOfRange) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[TrackPosScrollbar]\nMode=1\n");
    auto form = r.Start();
    auto track = std::make_shared<TaudioTag>();
    track->SetFilename(r.dir.File("a.wav"));
    track->SetTitle("A");
    form->JukeboxList()->AddToQueue(*track);
    form->PlayerPlay();
    ASSERT_TRUE(form->Controller().CurrentTrack());
    form->PlayerTimeChanged(75000, 200000);
    // The digital display: a sign cell, the minutes in two places, the seconds.
    EXPECT_EQ(form->Layout().Timer->Text(), "  1:15");
    EXPECT_EQ(form->Layout().PositionBar->Max(), 200000);
    form->PlayerStop();
    EXPECT_EQ(form->Layout().Timer->Text(), "  0:00");
    EXPECT_EQ(form->Layout().Timer->Seconds(), 0);
    // The opaque display wears the panel's colour, so it is no box on the play controls.
    EXPECT_EQ(form->Layout().Timer->BackColor(), FromQColor(form->palette().color(QPalette::Window)));
    EXPECT_EQ(form->Layout().PositionBar->Max(), 0);
    form->close();
}

TEST(PlayerEvents, StationBannerShowsTheStationAndItsStreamTitle) {
    Rig r;
    // The browse tree with its stations node.
    r.Seed("[Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n[View]\nJukeboxList=7423\n");
    auto form = r.Start();
    TScrollBanner3* banner = form->Layout().SongTitle;
    ASSERT_NE(banner, nullptr);
    EXPECT_NE(banner->Caption().find("Tunecrest"), std::string::npos) << "idle: the title";
    form->JukeboxList()->URLList().Add("Jazz <FM>", "http://127.0.0.1:9/jazz");
    // A station chosen in the list: its name and, once it sends one, the stream title.
    TmyNode* stations = nullptr;
    form->BuildTreeView();
    for (int i = 0; i < form->Layout().Tree->Nodes().Count(); ++i)
        if (form->Layout().Tree->Nodes().Items(i)->Caption.find("Internet Radio") != std::string::npos)
            stations = form->Layout().Tree->Nodes().Items(i);
    ASSERT_NE(stations, nullptr);
    form->TreeSelectionChanged(stations);
    ASSERT_EQ(form->Layout().TrackList->Count(), 1);
    form->Layout().TrackList->SetItemIndex(0);
    form->QueueAddSelected();
    EXPECT_EQ(form->Fake->Calls.back(), "PlayURL");
    EXPECT_EQ(FittedFullText(*form->Layout().NowPlaying).toStdString(), "Jazz <FM>");
    EXPECT_NE(banner->Caption().find("Jazz &lt;FM&gt;"), std::string::npos) << banner->Caption();
    form->StreamTitleChanged("Blue <Train>");
    EXPECT_NE(banner->Caption().find("Jazz &lt;FM&gt;"), std::string::npos);
    EXPECT_NE(banner->Caption().find(" (") , std::string::npos);
    EXPECT_NE(banner->Caption().find("Blue &lt;Train&gt;"), std::string::npos) << banner->Caption();
    EXPECT_EQ(FittedFullText(*form->Layout().NowPlayingDetails).toStdString(), "Blue <Train>");

    // An engine that keeps the station's entry: an address not in the list is the unknown
    // station, with the entry's title in brackets.
    form->Fake->StationEntries = true;
    form->SetRadioName("");
    form->Fake->PlayURL("http://127.0.0.1:9/other");
    form->Fake->SendStreamTitle("News");
    form->StreamTitleChanged("News");
    EXPECT_NE(banner->Caption().find("Unknown Internet Radio Station"), std::string::npos) << banner->Caption();
    EXPECT_NE(banner->Caption().find(" ["), std::string::npos);
    EXPECT_NE(banner->Caption().find("News"), std::string::npos);
    EXPECT_EQ(FittedFullText(*form->Layout().NowPlaying).toStdString(), "Unknown Internet Radio Station");
    EXPECT_NE(FittedFullText(*form->Layout().NowPlaying).toStdString(), "Nothing playing");
    form->PlayerStop();
    EXPECT_EQ(FittedFullText(*form->Layout().NowPlaying).toStdString(), "Nothing playing");
    form->close();
}

// Stations entered in the window's station editor are the library's "internetradio.dat":
// the next start of the window, from the same root, lists them again.
TEST(StartUpAndCloseDown, StationsEnteredInTheEditorAreThereAfterARestart) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    {
        auto form = r.Start();
        InstallWindowEntries(*form);
        runner->Push([](QDialog& d) {
            auto& w = dynamic_cast<TfrmEditURLs&>(d);
            w.edID->setText("Lounge FM");
            w.edURL->setText("http://127.0.0.1:9/lounge");
            PressButton(*w.btnAdd);
            w.edID->setText("Harbour Jazz");
            w.edURL->setText("http://127.0.0.1:9/jazz?a=b");
            PressButton(*w.btnAdd);
            PressButton(*w.btnOK);
        });
        ASSERT_TRUE(form->RunAction("actnSettingsInternetRadio"));
        ASSERT_EQ(form->JukeboxList()->URLList().Count(), 2);
        form->close();
    }
    EXPECT_TRUE(std::filesystem::exists(r.root + "/Data/internetradio.dat"));
    {
        auto form = r.Start();
        InstallWindowEntries(*form);
        const TurlList& stations = form->JukeboxList()->URLList();
        ASSERT_EQ(stations.Count(), 2);
        EXPECT_EQ(stations.GetName(0), "Harbour Jazz");
        EXPECT_EQ(stations.GetURL(0), "http://127.0.0.1:9/jazz?a=b");
        EXPECT_EQ(stations.GetValue("Lounge FM"), "http://127.0.0.1:9/lounge");
        // A station deleted in the editor stays deleted across the next restart.
        runner->Push([](QDialog& d) {
            auto& w = dynamic_cast<TfrmEditURLs&>(d);
            w.lbURLs->setCurrentRow(1);
            PressButton(*w.btnDelete);
            PressButton(*w.btnOK);
        });
        ASSERT_TRUE(form->RunAction("actnSettingsInternetRadio"));
        form->close();
    }
    auto form = r.Start();
    ASSERT_EQ(form->JukeboxList()->URLList().Count(), 1);
    EXPECT_EQ(form->JukeboxList()->URLList().GetName(0), "Harbour Jazz");
    EXPECT_EQ(runner->Pending(), 0);
    form->close();
}

TEST(PlayerEvents, SongTitleShowsTheTrackInItsNowPlayingFormat) {
    TfontContainer fonts = DefaultFontStore(fsSongTitle);
    TformatStringContainer formats;
    ResetFormatStrings(formats);
    TnowPlaying now;
    now.State = psPlaying;
    now.Track = std::make_shared<TaudioTag>();
    now.Track->SetFilename("/m/a.ogg");
    now.Track->SetTitle("Blue <Train>");
    now.Track->SetArtist("Ada Rook");
    const std::string noAlbum = SongTitleText(fonts, formats, "Idle", now, nullptr);
    EXPECT_EQ(noAlbum.find('%'), std::string::npos) << noAlbum;
    EXPECT_NE(noAlbum.find("Blue &lt;Train&gt;"), std::string::npos) << noAlbum;
    EXPECT_NE(noAlbum.find("Ada Rook"), std::string::npos);
    now.Track->SetAlbum("Night Shift");
    EXPECT_NE(SongTitleText(fonts, formats, "Idle", now, nullptr).find("Night Shift"), std::string::npos);
    now.State = psStopped;
    const std::string idle = SongTitleText(fonts, formats, "Idle", now, nullptr);
    EXPECT_NE(idle.find("Idle"), std::string::npos);
    EXPECT_EQ(idle.find("Blue"), std::string::npos);
}

TEST(PlayerEvents, SongTitleScrollingHoldsAcrossARestartAndTheBannerOffersItsChoice) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    {
        auto form = r.Start();
        EXPECT_FALSE(form->Layout().SongTitle->ScrollEnabled());
        // Touching the banner asks what to do; the first choice toggles the scrolling.
        EXPECT_TRUE(form->RunAction("actnSongScrollerClick"));
        ASSERT_FALSE(r.prompt->Questions.empty());
        EXPECT_EQ(r.prompt->Questions.back(), "Toggle Song Title Scrolling?");
        EXPECT_TRUE(form->Actions().Get("actnSettingsScrollSongTitle").Checked);
        EXPECT_TRUE(form->Layout().SongTitle->ScrollEnabled());
        form->close();
    }
    EXPECT_TRUE(r.Settings().ReadBool("SongTitle", "Scroll", false));
    auto form = r.Start();
    EXPECT_TRUE(form->Layout().SongTitle->ScrollEnabled());
    EXPECT_TRUE(form->Actions().Get("actnSettingsScrollSongTitle").Checked);
    EXPECT_TRUE(form->RunAction("actnSettingsScrollSongTitle"));
    EXPECT_FALSE(form->Layout().SongTitle->ScrollEnabled());
    form->close();
    EXPECT_FALSE(r.Settings().ReadBool("SongTitle", "Scroll", true));
}

TEST(StartUpAndCloseDown, LongListWorkReportsToTheProgressWindowAfterStartUp) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    TfrmTunecrestAbout2 about;
    auto form = std::make_unique<TtestForm>(r.root);
    form->SetProgressWindow(&about);
    form->ReadDisplaySettings();
    form->DoInitialise();
    form->show();
    form->PostInitialise();
    ASSERT_FALSE(about.isVisible());
    // The library reports a long operation: the window comes up with its text and gauge.
    TcustomJukeboxListEvents* events = form->JukeboxList()->Events();
    ASSERT_NE(events, nullptr);
    events->OnListProcessStart(nullptr, "Sorting");
    events->OnListProcess(nullptr, 10, 300, nullptr);
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.StatusText(), "Sorting");
    EXPECT_EQ(about.GaugeMaximum(), 300);
    EXPECT_EQ(about.GaugePosition(), 10);
    events->OnListProcessFinished(nullptr);
    EXPECT_FALSE(about.isVisible());
    // A short one does not bring it up.
    events->OnListProcessStart(nullptr, "Short");
    events->OnListProcess(nullptr, 1, 250, nullptr);
    EXPECT_FALSE(about.isVisible());
    events->OnListProcessFinished(nullptr);
    form->close();
    form->SetProgressWindow(nullptr);
}

}  // namespace
}  // namespace tunecrest
