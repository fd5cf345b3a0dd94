// Every action of the running window, through the real window chain (the product window
// with its program entries, the in-process engine playing into a silent sink, a library of
// generated files): each action is run as a click, a key or a message runs it, and its
// effect on the jukebox, the settings or the screen is checked. The settings the window's
// actions change are kept across a close and a new start from the same root.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "core/database/media_database.h"
#include "mainwindow/qt_dispatcher.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "mainwindow/window_entries.h"
#include "playback/video/player_settings_dialogs.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/about_box.h"
#include "windows/library/library_windows.h"
#include "windows/search/song_search.h"
#include "windows/search/song_search_form.h"

namespace tunecrest {
namespace {

using test::Pump;

// The two actions that only parent a menu.
const std::set<std::string> kDoNothing = {"actnQueue", "actnSettingsActions"};
// Actions whose handlers other work brings; listed here only while they have none, so
// the coverage test names them instead of failing.
const std::set<std::string> kPendingElsewhere = {"actnPartyPlayConfigure", "actnSettingsScrollSongTitle"};

// Answers every question of core: yes, the scripted text and file, and records them.
class TanswerPrompt : public Tprompt {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        Messages.push_back(title + "|" + text);
    }
    bool AskYesNo(const std::string& text, const std::string&, bool) override {
        Questions.push_back(text);
        return true;
    }
    std::optional<std::string> AskText(const std::string&, const std::string& caption, const std::string&) override {
        Questions.push_back(caption);
        return Text;
    }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string&,
                                              const std::string&) override {
        Questions.push_back(title);
        return OpenFile;
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string&,
                                              const std::string&) override {
        Questions.push_back(title);
        return SaveFile;
    }
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
    bool EditSlotList(TjukeboxSlotList&) override {
        Questions.push_back("slots");
        return false;
    }
    bool EditAlarms(TonOffTimerAlarmList&) override {
        Questions.push_back("alarms");
        return false;
    }
    std::vector<std::string> Messages, Questions;
    std::optional<std::string> Text, OpenFile, SaveFile;
};

std::string Name(const TaudioTagPtr& tag) {
    return tag ? std::filesystem::path(tag->Filename()).filename().string() : "(none)";
}


struct Rig {
    test::TempDir dir;
    std::string root, music;
    std::vector<std::string> files;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    std::shared_ptr<TanswerPrompt> prompt = std::make_shared<TanswerPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::unique_ptr<TmodalRunnerScope> scope;
    std::unique_ptr<TfrmTunecrestMain> form;

    Rig() {
        test::App();
        root = dir.File("root") + "/";
        music = dir.File("music");
        std::filesystem::create_directories(root + "Settings");
        std::filesystem::create_directories(music);
        setenv("TUNECREST_AUDIO_SINK", "fakesink sync=true", 1);
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        previousPrompt = SetPrompt(prompt);
        scope = std::make_unique<TmodalRunnerScope>(runner);
        // Work handed to the main thread runs in the event loop, as in the program.
        InstallQtDispatcher();
        // Four tracks of one album, long enough to still play while the checks run.
        for (const char* name : {"one.wav", "two.wav", "three.wav", "four.wav"}) {
            files.push_back(music + "/" + name);
            EXPECT_TRUE(test::MakeMediaFile(files.back(), test::TmediaFormat::Wav, 6));
        }
        std::ofstream(root + "Settings/settings.ini")
            << "[Geometry]\nFullScreen=0\nWidth=1280\nHeight=800\n[Preferences]\nShowTipsAtStartup=0\n"
               "[RandomPlay]\nEnabled=0\n";
    }
    ~Rig() {
        Stop();
        scope.reset();
        SetPrompt(previousPrompt);
        TaggerLoader().SetPluginFolder("");
        SetDispatcher(nullptr);
    }
    TfrmTunecrestMain& Start() {
        form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root},
                                                   TUNECREST_BIN_DIR);
        InstallWindowEntries(*form);
        form->ReadDisplaySettings();
        form->DoInitialise();
        form->PostInitialise();
        return *form;
    }
    void Stop() {
        if (!form) return;
        form->close();
        form.reset();
    }
    TcustomlocalJukeboxList& Library() { return *form->JukeboxList(); }
    TaudioTagList& Queue() { return Library().Jukebox()->Queue(); }
    // The album of the four tracks in the library, shown in the track list.
    void ShowAlbum() {
        auto& global = Library().GlobalList();
        if (global.Count() == 0) {
            global.BeginUpdate();
            for (size_t i = 0; i < files.size(); ++i)
                global.Add(test::MakeLibraryTag(files[i], "Ada Rook", "Song " + std::to_string(i + 1), "Night Shift",
                                                "Blues", "2001", int(i + 1)));
            global.EndUpdate();
        }
        auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(Library().AlbumList().FindList("Night Shift"));
        ASSERT_TRUE(album);
        form->Layout().Lists().ShowAlbum(album);
        ASSERT_EQ(form->Layout().TrackList->Count(), 4);
    }
    // A row of the album; the album is shown again when a library change emptied the list.
    TaudioTagPtr Row(int row) {
        if (form->Layout().Lists().Rows().Tracks.empty()) ShowAlbum();
        return form->Layout().Lists().Rows().Tracks.at(size_t(row));
    }
    void QueueFiles(int count) {
        for (int i = 0; i < count; ++i) Library().AddToQueue(*Row(i));
    }
    bool Checked(const std::string& action) { return form->Actions().Get(action).Checked; }
    bool Run(const std::string& action) { return form->RunAction(action); }
    // The next modal window is recorded and closed.
    void CloseNextDialog() {
        runner->Push([](QDialog& d) { d.done(mrCancel); });
    }
    // The next pick-one list picks `text`.
    void Pick(const std::string& text) {
        runner->Push([text](QDialog& d) {
            auto& form = dynamic_cast<TfrmSkinnedSelectString&>(d);
            const auto& strings = form.Strings();
            const auto found = std::find(strings.begin(), strings.end(), text);
            ASSERT_NE(found, strings.end()) << text;
            form.lbStringList->SetItemIndex(int(found - strings.begin()));
            QTest::mouseClick(form.btnOK, Qt::LeftButton, {}, form.btnOK->rect().center());
        });
    }
    std::string LastDialog() const { return runner->Names.empty() ? "" : runner->Names.back(); }
    std::string Status() const { return form->Layout().StatusLine->text().toStdString(); }
    bool Playing() {
        auto* p = form->Controller().Player();
        return p && p->GetState() == psPlaying;
    }
};

TEST(MainWindowActions, EveryActionOfTheTableHasAHandler) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    std::vector<std::string> missing, pending;
    for (int i = 0; i < form.Actions().Count(); ++i) {
        const Taction& a = form.Actions()[i];
        if (a.OnExecute || kDoNothing.count(a.Name)) continue;
        (kPendingElsewhere.count(a.Name) ? pending : missing).push_back(a.Name);
    }
    EXPECT_EQ(missing, std::vector<std::string>{}) << "actions the menus show that do nothing";
    for (const auto& name : pending) std::cout << "[ pending  ] " << name << " has no handler yet\n";
    // The menu parent is the queue menu's title, never an item that does nothing.
    for (QMenu* menu : form.MainMenuBar()->findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            EXPECT_NE(item->property("actionName").toString().toStdString(), "actnQueue");
    // The player type can be changed in the program.
    ASSERT_NE(form.Actions().Find("actnFileShowWinamp"), nullptr);
    EXPECT_EQ(form.Actions().Get("actnFileShowWinamp").Caption, "Use Winamp");
}


// Runs `action`; the window named `name` must open (modal or not) and is closed again.
void ExpectWindow(Rig& r, const std::string& action, const std::string& name) {
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    runner->Push([](QDialog& d) { d.done(mrCancel); });
    ASSERT_TRUE(r.Run(action)) << action;
    if (!runner->Names.empty()) {
        EXPECT_EQ(runner->Names.front(), name) << action;
        return;
    }
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QString::fromStdString(name)) shown = w;
    EXPECT_NE(shown, nullptr) << action << " shows " << name;
    if (shown) shown->hide();
}

// Runs a toggle and checks that `state` flipped, that the check mark shows it, and that a
// second run flips it back.
void ExpectToggle(Rig& r, const std::string& action, const std::function<bool()>& state) {
    const bool before = state();
    ASSERT_TRUE(r.Run(action)) << action;
    EXPECT_NE(state(), before) << action;
    EXPECT_EQ(r.Checked(action), state()) << action << " check mark";
    r.Run(action);
    EXPECT_EQ(state(), before) << action;
    EXPECT_EQ(r.Checked(action), state()) << action << " check mark";
}

struct Tcase {
    std::vector<std::string> Actions;
    std::function<void(Rig&)> Check;
};

// Actions whose effect the table leaves to tests that can watch it: an outside program
// (the help viewer), a pitch program or a CD drive the test machine does not have, or
// the end of the window (run last, below).
const std::map<std::string, std::string> kCheckedApart = {
    {"actnHelpHelp", "opens the help file in the desktop's viewer (help_viewer tests)"},
    {"actnFileRefreshCDs", "needs a CD drive (local_layer tests with fake drives)"},
    {"actnPacemakerPitchRaise", "needs a pitch program (local_layer tests with fake links)"},
    {"actnPacemakerPitchLower", "needs a pitch program"},
    {"actnPacemakerPitchReset", "needs a pitch program"},
    {"actnPacemakerTempoRaise", "needs a pitch program"},
    {"actnPacemakerTempoLower", "needs a pitch program"},
    {"actnPacemakerTempoReset", "needs a pitch program"},
    {"actnFileExit", "ends the window: run last"},
};

std::vector<Tcase> Cases() {
    std::vector<Tcase> c;
    // Play controls, on the real player.
    c.push_back({{"actnControlPlay", "actnControlPlayShortcut"}, [](Rig& r) {
                     for (const char* play : {"actnControlPlay", "actnControlPlayShortcut"}) {
                         r.Run("actnControlStop");
                         ASSERT_TRUE(Pump([&] { return !r.Playing(); }, 15000));
                         r.QueueFiles(1);
                         ASSERT_TRUE(r.Run(play));
                         EXPECT_TRUE(Pump([&] { return r.Playing(); }, 15000)) << play;
                     }
                 }});
    c.push_back({{"actnControlPause", "actnControlPauseShortcut"}, [](Rig& r) {
                     for (const char* pause : {"actnControlPause", "actnControlPauseShortcut"}) {
                         r.Run("actnControlPlay");
                         ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
                         ASSERT_TRUE(r.Run(pause));
                         EXPECT_TRUE(Pump([&] { return r.form->Controller().Player()->GetState() == psPaused; }, 15000))
                             << pause;
                     }
                     r.Run("actnControlPlay");
                 }});
    c.push_back({{"actnControlNext", "actnControlNextShortcut"}, [](Rig& r) {
                     for (const char* next : {"actnControlNext", "actnControlNextShortcut"}) {
                         r.Queue().Clear();
                         r.QueueFiles(2);
                         const std::string expected = Name(r.Queue().GetTag(0));
                         ASSERT_TRUE(r.Run(next));
                         EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == expected; }, 15000))
                             << next;
                     }
                 }});
    c.push_back({{"actnControlRestartTrack"}, [](Rig& r) {
                     ASSERT_TRUE(Pump([&] { return r.Playing() && r.form->Controller().Player()->GetPosition() > 1500; },
                                      20000));
                     ASSERT_TRUE(r.Run("actnControlRestartTrack"));
                     EXPECT_LT(r.form->Controller().Player()->GetPosition(), 1500u);
                 }});
    c.push_back({{"actnControlRaiseVolume", "actnControlLowerVolume"}, [](Rig& r) {
                     r.form->PlayerSetVolume(100);
                     ASSERT_TRUE(r.Run("actnControlRaiseVolume"));
                     EXPECT_EQ(r.form->PlayerVolume(), 125);
                     ASSERT_TRUE(r.Run("actnControlLowerVolume"));
                     ASSERT_TRUE(r.Run("actnControlLowerVolume"));
                     EXPECT_EQ(r.form->PlayerVolume(), 75);
                 }});
    c.push_back({{"actnControlStop", "actnControlStopShortcut"}, [](Rig& r) {
                     for (const char* stop : {"actnControlStop", "actnControlStopShortcut"}) {
                         r.QueueFiles(1);
                         r.Run("actnControlPlay");
                         ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
                         ASSERT_TRUE(r.Run(stop));
                         EXPECT_TRUE(Pump([&] { return r.form->Controller().Player()->GetState() == psStopped; }, 15000))
                             << stop;
                     }
                 }});
    // The jukebox's repeat, by the action and by its message.
    c.push_back({{"actnControlRepeatPlay"}, [](Rig& r) {
                     ExpectToggle(r, "actnControlRepeatPlay", [&] { return r.Library().Jukebox()->RepeatTrack(); });
                     r.form->WndProc(WM_USER, 6, 0);
                     EXPECT_TRUE(r.Library().Jukebox()->RepeatTrack());
                     EXPECT_TRUE(r.Checked("actnControlRepeatPlay"));
                     r.form->WndProc(WM_USER, 6, 0);
                     EXPECT_FALSE(r.Library().Jukebox()->RepeatTrack());
                 }});
    // File.
    c.push_back({{"actnFileInformation"}, [](Rig& r) { ExpectWindow(r, "actnFileInformation", "frmJukeboxInfo"); }});
    c.push_back({{"actnFileEnableIndexes"}, [](Rig& r) {
                     ExpectToggle(r, "actnFileEnableIndexes", [&] { return r.Library().EnableIndexes(); });
                 }});
    // The database is built at once, off the main thread, and answers a query rule;
    // switched off, it answers nothing more.
    c.push_back({{"actnFileEnableDatabase"}, [](Rig& r) {
                     r.ShowAlbum();
                     ASSERT_FALSE(r.Library().DatabaseEnabled());
                     ASSERT_TRUE(r.Run("actnFileEnableDatabase"));
                     EXPECT_TRUE(r.Library().DatabaseEnabled());
                     EXPECT_TRUE(r.Checked("actnFileEnableDatabase"));
                     std::vector<std::string> found;
                     std::string error;
                     EXPECT_TRUE(Pump(
                         [&] {
                             return r.Library().Database().QueryFiles("Artist = 'Ada Rook'", "", "Filename",
                                                                      TdbTable::dtAudio, found, error) &&
                                    found.size() == 4;
                         },
                         20000))
                         << error;
                     ASSERT_TRUE(r.Run("actnFileEnableDatabase"));
                     EXPECT_FALSE(r.Library().DatabaseEnabled());
                     EXPECT_FALSE(r.Checked("actnFileEnableDatabase"));
                     EXPECT_FALSE(r.Library().Database().QueryFiles("Artist = 'Ada Rook'", "", "", TdbTable::dtAudio,
                                                                    found, error));
                 }});
    c.push_back({{"actnFileRecreateIndexes"}, [](Rig& r) {
                     const std::string albums = r.root + "Data/albums.idx";
                     std::filesystem::remove(albums);
                     ASSERT_TRUE(r.Run("actnFileRecreateIndexes"));
                     EXPECT_TRUE(std::filesystem::exists(albums));
                 }});
    c.push_back({{"actnFileLaunchAtStart"}, [](Rig& r) { ExpectWindow(r, "actnFileLaunchAtStart", "frmEditAppLauncherList"); }});
    c.push_back({{"actnFileLaunchAtClose"}, [](Rig& r) { ExpectWindow(r, "actnFileLaunchAtClose", "frmEditAppLauncherList"); }});
    c.push_back({{"actnFileShowWinamp"}, [](Rig& r) {
                     r.prompt->Messages.clear();
                     ASSERT_TRUE(r.Run("actnFileShowWinamp"));
                     EXPECT_EQ(TiniFile(r.root + "Settings/settings.ini").ReadString("Player", "PlayerType", ""), "WINAMP");
                     EXPECT_TRUE(r.Checked("actnFileShowWinamp"));
                     ASSERT_EQ(r.prompt->Messages.size(), 1u);
                     EXPECT_NE(r.prompt->Messages[0].find("You must close and restart"), std::string::npos);
                     // The engine of this run stays; the next start takes the stored type.
                     EXPECT_EQ(r.form->PlayerType(), "DSHOW");
                     r.Run("actnFileShowWinamp");
                     EXPECT_EQ(TiniFile(r.root + "Settings/settings.ini").ReadString("Player", "PlayerType", ""), "DSHOW");
                     EXPECT_FALSE(r.Checked("actnFileShowWinamp"));
                 }});
    c.push_back({{"actnViewShortcutList"}, [](Rig& r) { ExpectWindow(r, "actnViewShortcutList", "frmShortcuts"); }});
    c.push_back({{"actnHelpTips"}, [](Rig& r) { ExpectWindow(r, "actnHelpTips", "frmTipDialog"); }});
    c.push_back({{"actnHelpAbout"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnHelpAbout"));
                     auto& entries = dynamic_cast<TwindowEntries&>(r.form->DialogEntries());
                     ASSERT_NE(entries.AboutBox(), nullptr);
                     EXPECT_TRUE(entries.AboutBox()->isVisible());
                     EXPECT_TRUE(entries.AboutBox()->CreditsVisible());
                     entries.AboutBox()->hide();
                 }});
    // Focus, by action and by message.
    c.push_back({{"actnActivateJukeboxList", "actnActivateTrackList", "actnActivateQueueList"}, [](Rig& r) {
                     r.form->show();
                     r.form->activateWindow();
                     QApplication::setActiveWindow(r.form.get());
                     const std::vector<std::pair<int, QWidget*>> targets = {
                         {1001, r.form->Layout().TrackList}, {1002, r.form->Layout().QueueList},
                         {1000, r.form->Layout().Tree}};
                     for (const auto& [message, widget] : targets) {
                         r.form->WndProc(WM_USER, WPARAM(message), 0);
                         EXPECT_TRUE(Pump([&] { return widget->hasFocus(); }, 5000)) << message;
                     }
                     ASSERT_TRUE(r.Run("actnActivateQueueList"));
                     EXPECT_TRUE(Pump([&] { return r.form->Layout().QueueList->hasFocus(); }, 5000));
                     ASSERT_TRUE(r.Run("actnActivateTrackList"));
                     EXPECT_TRUE(Pump([&] { return r.form->Layout().TrackList->hasFocus(); }, 5000));
                     ASSERT_TRUE(r.Run("actnActivateJukeboxList"));
                     EXPECT_TRUE(Pump([&] { return r.form->Layout().Tree->hasFocus(); }, 5000));
                 }});
    c.push_back({{"actnCleanScreen"}, [](Rig& r) {
                     int64_t now = 1000;
                     r.form->CleanScreenClock = [&now] { return now; };
                     ASSERT_TRUE(r.Run("actnCleanScreen"));
                     QWidget* window = r.form->CleanScreenWindow();
                     ASSERT_NE(window, nullptr);
                     EXPECT_TRUE(window->isVisible());
                     EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
                     EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
                     auto* panel = window->findChild<QLabel*>("pnlCleanScreen");
                     ASSERT_NE(panel, nullptr);
                     // ScreenCleanTimeout (30 s): (30000 - elapsed) div 1000 + 1.
                     EXPECT_EQ(panel->text(), "31");
                     EXPECT_TRUE(panel->font().bold());
                     now += 29500;
                     EXPECT_TRUE(Pump([&] { return panel->text() == "1"; }, 5000));
                     EXPECT_TRUE(window->isVisible());
                     now += 501;  // past the end
                     EXPECT_TRUE(Pump([&] { return r.form->CleanScreenWindow() == nullptr; }, 5000));
                     EXPECT_FALSE(window->isVisible());
                     r.form->CleanScreenClock = nullptr;
                 }});
    c.push_back({{"actnSearch"}, [](Rig& r) { ExpectWindow(r, "actnSearch", "frmSongSearch2"); }});
    c.push_back({{"actnSongScrollerClick", "actnPlaylistsAddCurrentTrackToPlaylist"}, [](Rig& r) {
                     auto list = std::make_shared<TaudioTagList>();
                     list->SetTitle("Late Night");
                     r.Library().Playlists().AddList(list);
                     r.QueueFiles(1);
                     r.Run("actnControlPlay");
                     ASSERT_TRUE(Pump([&] { return r.form->Controller().CurrentTrack() != nullptr; }, 15000));
                     const std::string playing = Name(r.form->Controller().CurrentTrack());
                     r.Pick("Late Night");
                     ASSERT_TRUE(r.Run("actnPlaylistsAddCurrentTrackToPlaylist"));
                     ASSERT_EQ(list->Count(), 1);
                     EXPECT_EQ(Name(list->GetTag(0)), playing);
                     // The song scroller offers the same.
                     r.Pick("Add Track to Playlist");
                     r.Pick("Late Night");
                     ASSERT_TRUE(r.Run("actnSongScrollerClick"));
                     EXPECT_EQ(list->Count(), 2);
                     EXPECT_EQ(r.runner->Pending(), 0);
                 }});
    // Party play: switched on and off (no password is set).
    c.push_back({{"actnPartyPlayEnabled"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnPartyPlayEnabled"));
                     EXPECT_TRUE(r.form->PartyPlayEnabled());
                     r.Run("actnPartyPlayEnabled");
                     EXPECT_FALSE(r.form->PartyPlayEnabled());
                 }});
    c.push_back({{"actnPartyPlayConfigure"}, [](Rig& r) { ExpectWindow(r, "actnPartyPlayConfigure", "frmPartyPlay2"); }});
    c.push_back({{"actnSettingsScrollSongTitle"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsScrollSongTitle", [&] { return r.form->Settings().SongTitleScroll; });
                     // The song scroller offers it too.
                     r.Pick("Toggle Song Title Scrolling");
                     const bool before = r.form->Settings().SongTitleScroll;
                     ASSERT_TRUE(r.Run("actnSongScrollerClick"));
                     EXPECT_NE(r.form->Settings().SongTitleScroll, before);
                     r.Run("actnSettingsScrollSongTitle");
                 }});
    // Playlists.
    c.push_back({{"actnPlaylistsShow"}, [](Rig& r) { ExpectWindow(r, "actnPlaylistsShow", "frmPlaylist"); }});
    c.push_back({{"actnPlaylistsShowEditor"}, [](Rig& r) {
                     ExpectWindow(r, "actnPlaylistsShowEditor", "frmNewPlaylistEditor");
                 }});
    c.push_back({{"actnPlaylistsActivate", "actnPlaylistEnabled"}, [](Rig& r) {
                     auto list = std::make_shared<TaudioTagList>();
                     list->SetTitle("Early Bird");
                     r.Library().Playlists().AddList(list);
                     r.Pick("Early Bird");
                     ASSERT_TRUE(r.Run("actnPlaylistsActivate"));
                     ASSERT_NE(r.Library().Jukebox()->ActivatedPlaylist(), nullptr);
                     EXPECT_EQ(r.Library().Jukebox()->ActivatedPlaylist()->Title(), "Early Bird");
                     ASSERT_TRUE(r.Run("actnPlaylistEnabled"));
                     EXPECT_EQ(r.Library().Jukebox()->ActivatedPlaylist(), nullptr);
                 }});
    // Queue.
    c.push_back({{"actnQueueAddSelected", "actnQueueAddAll"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.Row(0);
                     for (int i = 0; i < 4; ++i) r.form->Layout().TrackList->SetSelected(i, false);
                     r.form->Layout().TrackList->SetSelected(1, true);
                     r.form->Layout().TrackList->SetSelected(3, true);
                     ASSERT_TRUE(r.Run("actnQueueAddSelected"));
                     EXPECT_EQ(r.Queue().Count(), 2);
                     r.Queue().Clear();
                     ASSERT_TRUE(r.Run("actnQueueAddAll"));
                     EXPECT_EQ(r.Queue().Count(), 4);
                 }});
    c.push_back({{"actnQueueAddToTop"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     r.Row(0);
                     r.form->Layout().TrackList->SetItemIndex(2);
                     const std::string row = Name(r.Row(2));
                     ASSERT_TRUE(r.Run("actnQueueAddToTop"));
                     ASSERT_EQ(r.Queue().Count(), 2);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), row);
                     EXPECT_EQ(r.form->Layout().TrackList->ItemIndex(), -1);
                     // Without a focused row nothing is added.
                     r.Run("actnQueueAddToTop");
                     EXPECT_EQ(r.Queue().Count(), 2);
                 }});
    c.push_back({{"actnQueueQueueAndPlay"}, [](Rig& r) {
                     r.Row(0);
                     r.form->Layout().TrackList->SetItemIndex(3);
                     r.form->Layout().TrackList->SetSelected(3, true);
                     const std::string row = Name(r.Row(3));
                     ASSERT_TRUE(r.Run("actnQueueQueueAndPlay"));
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == row; }, 15000));
                     EXPECT_FALSE(r.form->Layout().TrackList->Selected(3));
                 }});
    c.push_back({{"actnQueueAlbum"}, [](Rig& r) { ExpectWindow(r, "actnQueueAlbum", "frmChooseCD"); }});
    c.push_back({{"actnQueueClear", "actnQueueClearNoConfirm"}, [](Rig& r) {
                     r.QueueFiles(2);
                     r.prompt->Questions.clear();
                     ASSERT_TRUE(r.Run("actnQueueClear"));
                     EXPECT_EQ(r.Queue().Count(), 0);
                     EXPECT_EQ(r.prompt->Questions, std::vector<std::string>{"Are you sure you want to clear the queue?"});
                     r.QueueFiles(2);
                     ASSERT_TRUE(r.Run("actnQueueClearNoConfirm"));
                     EXPECT_EQ(r.Queue().Count(), 0);
                     EXPECT_EQ(r.prompt->Questions.size(), 1u);
                 }});
    c.push_back({{"actnQueueDelete", "actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(4);
                     const std::string a = Name(r.Row(0)), b = Name(r.Row(1)), c3 = Name(r.Row(2)), d = Name(r.Row(3));
                     TtouchListBox& queue = *r.form->Layout().QueueList;
                     queue.SetItemIndex(2);
                     ASSERT_TRUE(r.Run("actnQueueMoveUp"));
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), c3);
                     EXPECT_EQ(queue.ItemIndex(), 1) << "the moved track keeps the focus";
                     ASSERT_TRUE(r.Run("actnQueueMoveDown"));
                     EXPECT_EQ(Name(r.Queue().GetTag(2)), c3);
                     queue.SetItemIndex(3);
                     ASSERT_TRUE(r.Run("actnQueueMoveTop"));
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), d);
                     queue.SetItemIndex(1);
                     ASSERT_TRUE(r.Run("actnQueueDelete"));
                     ASSERT_EQ(r.Queue().Count(), 3);
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), b);
                 }});
    c.push_back({{"actnQueuePlayNow"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     const std::string third = Name(r.Queue().GetTag(2));
                     r.form->Layout().QueueList->SetItemIndex(2);
                     ASSERT_TRUE(r.Run("actnQueuePlayNow"));
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == third; }, 15000));
                 }});
    c.push_back({{"actnQueuePreviousTrack", "actnQueuepreviousTrackAtTop"}, [](Rig& r) {
                     auto& history = r.Library().Jukebox()->History();
                     history.Clear();
                     history.Add(r.Row(0));
                     history.Add(r.Row(1));
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     ASSERT_TRUE(r.Run("actnQueuePreviousTrack"));
                     ASSERT_EQ(r.Queue().Count(), 2);
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), Name(r.Row(0)));
                     ASSERT_TRUE(r.Run("actnQueuepreviousTrackAtTop"));
                     ASSERT_EQ(r.Queue().Count(), 3);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), Name(r.Row(0)));
                 }});
    c.push_back({{"actnQueueRandomize"}, [](Rig& r) {
                     r.Queue().Clear();
                     for (int i = 0; i < 3; ++i) r.QueueFiles(4);
                     auto order = [&] {
                         std::vector<const TaudioTag*> o;
                         for (int i = 0; i < r.Queue().Count(); ++i) o.push_back(r.Queue().GetTag(i).get());
                         return o;
                     };
                     const auto before = order();
                     bool changed = false;
                     for (int i = 0; i < 5 && !changed; ++i) {
                         ASSERT_TRUE(r.Run("actnQueueRandomize"));
                         changed = order() != before;
                     }
                     EXPECT_TRUE(changed);
                     auto sorted = order(), original = before;
                     std::sort(sorted.begin(), sorted.end());
                     std::sort(original.begin(), original.end());
                     EXPECT_EQ(sorted, original);
                 }});
    c.push_back({{"actnQueueLoop"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueLoop", [&] { return r.Library().Jukebox()->LoopQueue(); });
                     r.form->WndProc(WM_USER, 311, 0);
                     EXPECT_TRUE(r.Checked("actnQueueLoop"));
                     r.form->WndProc(WM_USER, 311, 0);
                 }});
    c.push_back({{"actnQueueNoDuplicates"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueNoDuplicates", [&] { return r.Queue().NoDuplicates(); });
                     r.Run("actnQueueNoDuplicates");
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     r.QueueFiles(1);
                     EXPECT_EQ(r.Queue().Count(), 1);
                     EXPECT_TRUE(r.form->Settings().NoQueueDuplications);
                     r.Run("actnQueueNoDuplicates");
                 }});
    c.push_back({{"actnQueueKeepTrackCount"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueKeepTrackCount", [&] { return r.form->Settings().KeepQueueTrackCount; });
                     r.Run("actnQueueKeepTrackCount");
                     EXPECT_TRUE(r.form->Layout().Lists().KeepTrackCount);
                     r.Run("actnQueueKeepTrackCount");
                     EXPECT_FALSE(r.form->Layout().Lists().KeepTrackCount);
                 }});
    c.push_back({{"actnQueueMakePlaylist"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     r.prompt->Text = "Party Mix";
                     ASSERT_TRUE(r.Run("actnQueueMakePlaylist"));
                     auto made = r.Library().Playlists().FindList("Party Mix");
                     ASSERT_TRUE(made);
                     EXPECT_EQ(made->Count(), 3);
                     EXPECT_EQ(Name(made->GetTag(2)), Name(r.Queue().GetTag(2)));
                     // Cancelled or without a name: no playlist.
                     const int count = r.Library().Playlists().Count();
                     r.prompt->Text = std::nullopt;
                     r.Run("actnQueueMakePlaylist");
                     r.prompt->Text = "";
                     r.Run("actnQueueMakePlaylist");
                     EXPECT_EQ(r.Library().Playlists().Count(), count);
                 }});
    c.push_back({{"actnQueueDCNone", "actnQueueDCMoveToTop", "actnQueueDCPlayNow"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     TtouchListBox& queue = *r.form->Layout().QueueList;
                     auto doubleClick = [&](int row) {
                         queue.SetItemIndex(row);
                         QTest::mouseDClick(&queue, Qt::LeftButton, {},
                                            QPoint(20, row * queue.ItemHeight() + queue.ItemHeight() / 2));
                     };
                     ASSERT_TRUE(r.Run("actnQueueDCMoveToTop"));
                     EXPECT_EQ(r.form->Settings().QueueDoubleClick, 1);
                     EXPECT_TRUE(r.Checked("actnQueueDCMoveToTop"));
                     EXPECT_FALSE(r.Checked("actnQueueDCNone"));
                     const std::string third = Name(r.Queue().GetTag(2));
                     doubleClick(2);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), third);
                     ASSERT_TRUE(r.Run("actnQueueDCNone"));
                     EXPECT_EQ(r.form->Settings().QueueDoubleClick, 0);
                     const std::string now = Name(r.Queue().GetTag(0)), second = Name(r.Queue().GetTag(1));
                     doubleClick(1);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), now);
                     ASSERT_TRUE(r.Run("actnQueueDCPlayNow"));
                     EXPECT_TRUE(r.Checked("actnQueueDCPlayNow"));
                     EXPECT_FALSE(r.Checked("actnQueueDCMoveToTop"));
                     doubleClick(1);
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == second; }, 15000));
                 }});
    // Random play.
    c.push_back({{"actnRandomPlayEnabled"}, [](Rig& r) {
                     ExpectToggle(r, "actnRandomPlayEnabled", [&] { return r.Library().Jukebox()->RandomPlayActive(); });
                 }});
    c.push_back({{"actnRandomPlayFilters"}, [](Rig& r) { ExpectWindow(r, "actnRandomPlayFilters", "frmTagListRules"); }});
    c.push_back({{"actnRandomPlayClearFilters"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnRandomPlayClearFilters"));
                     EXPECT_EQ(r.Status(), "Filters Cleared");
                     EXPECT_TRUE(std::filesystem::exists(r.root + "Data/rules.dat"));
                 }});
    // Settings.
    c.push_back({{"actnSettingsGeneral"}, [](Rig& r) { ExpectWindow(r, "actnSettingsGeneral", "frmPreferences"); }});
    c.push_back({{"actnSettingsScreenSaver"}, [](Rig& r) {
                     ExpectWindow(r, "actnSettingsScreenSaver", "frmPreferences");
                 }});
    c.push_back({{"actnSettingsMediaFolders"}, [](Rig& r) {
                     ExpectWindow(r, "actnSettingsMediaFolders", "frmMusicSearch");
                 }});
    c.push_back({{"actnSettingsAlarmClock", "actnSettingsEditSlots"}, [](Rig& r) {
                     r.prompt->Questions.clear();
                     ASSERT_TRUE(r.Run("actnSettingsAlarmClock"));
                     ASSERT_TRUE(r.Run("actnSettingsEditSlots"));
                     EXPECT_EQ(r.prompt->Questions, (std::vector<std::string>{"alarms", "slots"}));
                 }});
    c.push_back({{"actnSettingsInternetRadio"}, [](Rig& r) {
                     ExpectWindow(r, "actnSettingsInternetRadio", "frmEditURLs");
                 }});
    c.push_back({{"actnSettingsMenuByPassword"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsMenuByPassword",
                                  [&] { return r.form->Settings().MainMenuPasswordProtected; });
                 }});
    c.push_back({{"actnSettingsAutoPlay"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsAutoPlay", [&] { return r.form->Settings().AutoPlay; });
                 }});
    c.push_back({{"actnSettingsRestoreTrack"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsRestoreTrack", [&] { return r.form->Settings().RestoreAtStartup; });
                 }});
    c.push_back({{"actnSettingsShowTimeRemaining"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsShowTimeRemaining",
                                  [&] { return r.form->Settings().ShowTimeRemaining; });
                 }});
    c.push_back({{"actnSettingsAlwaysOnTop"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsAlwaysOnTop",
                                  [&] { return (r.form->windowFlags() & Qt::WindowStaysOnTopHint) != 0; });
                     // Ctrl+Alt+A runs it too.
                     QTest::keyClick(r.form.get(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
                     EXPECT_TRUE(r.form->Settings().AlwaysOnTop);
                     r.Run("actnSettingsAlwaysOnTop");
                 }});
    c.push_back({{"actnSettingsShowHints"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsShowHints", [&] { return r.form->HintsShown(); });
                     // The buttons tell what they do; with hints off the hint is not shown.
                     r.form->show();
                     QWidget* play = r.form->findChild<QWidget*>("btnPlay");
                     ASSERT_NE(play, nullptr);
                     EXPECT_EQ(play->toolTip(), "Play");
                     // Whether a hint request reaches the button (the button shows its hint).
                     struct Treached : QObject {
                         int Count = 0;
                         bool eventFilter(QObject*, QEvent* e) override {
                             if (e->type() == QEvent::ToolTip) ++Count;
                             return true;  // the test shows no hint itself
                         }
                     } reached;
                     play->installEventFilter(&reached);
                     auto hint = [&] {
                         const int before = reached.Count;
                         QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), play->mapToGlobal(QPoint(5, 5)));
                         QApplication::sendEvent(play, &event);
                         return reached.Count > before;
                     };
                     EXPECT_TRUE(hint());
                     r.Run("actnSettingsShowHints");
                     EXPECT_FALSE(hint());
                     r.Run("actnSettingsShowHints");
                     EXPECT_TRUE(hint());
                     play->removeEventFilter(&reached);
                 }});
    c.push_back({{"actnSettingsShowMessages"}, [](Rig& r) {
                     ExpectToggle(r, "actnSettingsShowMessages", [&] { return r.form->Settings().ShowMessages; });
                 }});
    c.push_back({{"actnSettingsSkins"}, [](Rig& r) { ExpectWindow(r, "actnSettingsSkins", "frmJukeboxSkin"); }});
    c.push_back({{"actnSettingsPlayer"}, [](Rig& r) {
                     // The player's own dialog runs its own loop: it is closed from inside it.
                     bool shown = false;
                     QTimer::singleShot(100, [&] {
                         if (auto* w = dynamic_cast<TfrmDShowPlayer*>(QApplication::activeModalWidget())) {
                             shown = true;
                             w->reject();
                         }
                     });
                     ASSERT_TRUE(r.Run("actnSettingsPlayer"));
                     EXPECT_TRUE(shown) << "the in-process engine's settings dialog";
                 }});
    c.push_back({{"actnSettingsPMQueue", "actnSettingsPMInstantPlay"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnSettingsPMInstantPlay"));
                     EXPECT_EQ(r.form->PlayMode(), 1);
                     EXPECT_EQ(r.form->Settings().QueueMode, 1);
                     EXPECT_TRUE(r.Checked("actnSettingsPMInstantPlay"));
                     EXPECT_FALSE(r.Checked("actnSettingsPMQueue"));
                     ASSERT_TRUE(r.Run("actnSettingsPMQueue"));
                     EXPECT_EQ(r.form->PlayMode(), 0);
                     EXPECT_TRUE(r.Checked("actnSettingsPMQueue"));
                     EXPECT_FALSE(r.Checked("actnSettingsPMInstantPlay"));
                 }});
    // Slots: none is set up, and the status says so.
    c.push_back({{"actnActivateSlot", "actnSlotActivate1", "actnSlotActivate2", "actnSlotActivate3",
                  "actnSlotActivate4", "actnSlotActivate5", "actnSlotActivate6", "actnSlotActivate7",
                  "actnSlotActivate8", "actnSlotActivate9", "actnSlotActivate10", "actnSlotActivate11",
                  "actnSlotActivate12"},
                 [](Rig& r) {
                     for (int i = 1; i <= 12; ++i) {
                         ASSERT_TRUE(r.Run("actnSlotActivate" + std::to_string(i)));
                         EXPECT_EQ(r.Status(), "Couldn't Activate Slot " + std::to_string(i));
                     }
                     r.form->WndProc(WM_USER, 500, 7);
                     EXPECT_EQ(r.Status(), "Couldn't Activate Slot 7");
                 }});
    c.push_back({{"actnViewShowActionButtonPad"}, [](Rig& r) {
                     ExpectWindow(r, "actnViewShowActionButtonPad", "frmActionButtonPad");
                 }});
    // Stacker: the window, and the switch by action, key and message.
    c.push_back({{"actnStackerConfigure"}, [](Rig& r) { ExpectWindow(r, "actnStackerConfigure", "frmStackerList"); }});
    c.push_back({{"actnStackerEnabled"}, [](Rig& r) {
                     ExpectToggle(r, "actnStackerEnabled", [&] { return r.Library().Jukebox()->Stacker().Active(); });
                     QTest::keyClick(r.form.get(), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
                     EXPECT_TRUE(r.Library().Jukebox()->Stacker().Active());
                     r.form->WndProc(WM_USER, 202, 0);
                     EXPECT_FALSE(r.Library().Jukebox()->Stacker().Active());
                     EXPECT_FALSE(r.Checked("actnStackerEnabled"));
                 }});
    c.push_back({{"actnStackerLoadCartridge", "actnStackerAddCartridge", "actnStackerSaveCartridge"}, [](Rig& r) {
                     auto cartridge = std::make_shared<TaudioTagList>();
                     cartridge->SetOwnsObjects(true);
                     cartridge->SetTitle("Crate");
                     cartridge->AddCopy(r.Row(0));
                     r.Library().AddToStacker(cartridge.get());
                     const std::string file = r.root + "Cartridges/crate.ctg";
                     r.prompt->SaveFile = file;
                     ASSERT_TRUE(r.Run("actnStackerSaveCartridge"));
                     ASSERT_TRUE(std::filesystem::exists(file));
                     const int before = r.Library().Jukebox()->Stacker().Count();
                     r.prompt->OpenFile = file;
                     ASSERT_TRUE(r.Run("actnStackerAddCartridge"));
                     EXPECT_EQ(r.Library().Jukebox()->Stacker().Count(), before + 1);
                     ASSERT_TRUE(r.Run("actnStackerLoadCartridge"));
                     EXPECT_EQ(r.Library().Jukebox()->Stacker().Count(), 1);
                 }});
    // Video: the in-process engine's output draws into the window's video panel; the action
    // switches it to full screen and back.
    c.push_back({{"actnVideoFullScreen", "actnVideoConfigureFilters"}, [](Rig& r) {
                     TcustomVideoPlayer* video = r.form->Controller().Player()->VideoPlayer();
                     ASSERT_NE(video, nullptr);
                     const bool before = video->IsFullScreen();
                     ASSERT_TRUE(r.Run("actnVideoFullScreen"));
                     EXPECT_EQ(r.Checked("actnVideoFullScreen"), video->IsFullScreen());
                     EXPECT_EQ(video->IsFullScreen(), !before);
                     ASSERT_TRUE(r.Run("actnVideoFullScreen"));
                     EXPECT_EQ(video->IsFullScreen(), before);
                     EXPECT_EQ(r.Checked("actnVideoFullScreen"), before);
                     ASSERT_TRUE(r.Run("actnVideoConfigureFilters"));
                 }});
    // View.
    c.push_back({{"actnViewMainMenu"}, [](Rig& r) {
                     ExpectToggle(r, "actnViewMainMenu", [&] { return r.form->IsMainMenuVisible(); });
                 }});
    c.push_back({{"actnViewQueueControls"}, [](Rig& r) {
                     QWidget* up = r.form->findChild<QWidget*>("btnQueueUp");
                     ASSERT_NE(up, nullptr);
                     ExpectToggle(r, "actnViewQueueControls", [&] { return !up->isHidden(); });
                 }});
    c.push_back({{"actnViewCoverArt"}, [](Rig& r) {
                     ExpectToggle(r, "actnViewCoverArt", [&] { return !r.form->Layout().NowPlayingCover->isHidden(); });
                 }});
    c.push_back({{"actnViewKeyboards"}, [](Rig& r) {
                     ExpectToggle(r, "actnViewKeyboards", [] { return GlobalPrefs().OnScreenKeyboardsEnabled(); });
                 }});
    c.push_back({{"actnViewFullScreen", "actnViewMinimize"}, [](Rig& r) {
                     r.form->show();
                     ExpectToggle(r, "actnViewFullScreen", [&] { return r.form->IsFullScreen(); });
                     ASSERT_TRUE(r.Run("actnViewMinimize"));
                     EXPECT_TRUE(r.form->windowState() & Qt::WindowMinimized);
                     r.form->showNormal();
                 }});
    c.push_back({{"actnViewLockSizes"}, [](Rig& r) {
                     ExpectToggle(r, "actnViewLockSizes", [&] { return r.form->Settings().GeometryLock; });
                     r.Run("actnViewLockSizes");
                     EXPECT_EQ(r.form->minimumSize(), r.form->maximumSize()) << "the size is held";
                     r.Run("actnViewLockSizes");
                     EXPECT_NE(r.form->minimumSize(), r.form->maximumSize());
                 }});
    c.push_back({{"actnViewOptions"}, [](Rig& r) { ExpectWindow(r, "actnViewOptions", "frmViewSettings"); }});
    c.push_back({{"actnViewTrackNumbers"}, [](Rig& r) {
                     r.Row(0);
                     auto firstRow = [&] { return r.form->Layout().Lists().Rows().Texts.at(0); };
                     const std::string numbered = firstRow();
                     ExpectToggle(r, "actnViewTrackNumbers",
                                  [&] { return r.form->Layout().TrackListDisplay.DisplayTrackNumbers(); });
                     r.Run("actnViewTrackNumbers");
                     EXPECT_FALSE(r.form->Layout().QueueListDisplay.DisplayTrackNumbers());
                     EXPECT_NE(firstRow(), numbered) << "the rows are formatted again";
                     r.Run("actnViewTrackNumbers");
                     EXPECT_EQ(firstRow(), numbered);
                 }});
    c.push_back({{"actnViewTrackDetails", "actnViewExtendedTrackDetails"}, [](Rig& r) {
                     TtrackListViews& lists = r.form->Layout().Lists();
                     r.Row(0);
                     ExpectToggle(r, "actnViewTrackDetails", [&] { return lists.ShowTrackDetails; });
                     EXPECT_EQ(lists.HintAt(*r.form->Layout().TrackList, 0), "");
                     r.Run("actnViewTrackDetails");
                     EXPECT_NE(lists.HintAt(*r.form->Layout().TrackList, 0).find("Artist : Ada Rook"), std::string::npos);
                     ExpectToggle(r, "actnViewExtendedTrackDetails", [&] { return lists.ExtendedTrackDetails; });
                     r.Run("actnViewTrackDetails");
                 }});
    c.push_back({{"actnViewJukeboxArtists", "actnViewJukeboxTracks", "actnViewJukeboxAlbums", "actnViewJukeboxPlaylists",
                  "actnViewJukeboxCompilations", "actnViewJukeboxNotTagged", "actnViewJukeboxGenres",
                  "actnViewJukeboxVideos"},
                 [](Rig& r) {
                     for (const char* name : {"actnViewJukeboxArtists", "actnViewJukeboxTracks", "actnViewJukeboxAlbums",
                                              "actnViewJukeboxPlaylists", "actnViewJukeboxCompilations",
                                              "actnViewJukeboxNotTagged", "actnViewJukeboxGenres",
                                              "actnViewJukeboxVideos"}) {
                         const uint32_t bit = uint32_t(1) << r.form->Actions().Get(name).Tag;
                         ExpectToggle(r, name, [&] { return (r.form->BrowseDisplayMode() & bit) != 0; });
                     }
                     // The tree follows: without the genres node there is no "[Genres]".
                     auto captions = [&] {
                         std::string all;
                         TmyNodeList& nodes = r.form->Layout().Tree->Nodes();
                         for (int i = 0; i < nodes.Count(); ++i) all += nodes.Items(i)->Caption + "\n";
                         return all;
                     };
                     EXPECT_NE(captions().find("[Genres]"), std::string::npos);
                     r.Run("actnViewJukeboxGenres");
                     EXPECT_EQ(captions().find("[Genres]"), std::string::npos);
                     r.Run("actnViewJukeboxGenres");
                 }});
    c.push_back({{"actnViewJukeboxlistView", "actnViewCoverArtView", "actnViewArtistsAndCovers"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnViewCoverArtView"));
                     EXPECT_EQ(r.form->BrowseMode(), bmCovers);
                     EXPECT_TRUE(r.Checked("actnViewCoverArtView"));
                     ASSERT_TRUE(r.Run("actnViewArtistsAndCovers"));
                     EXPECT_EQ(r.form->BrowseMode(), bmArtistsAndCovers);
                     ASSERT_TRUE(r.Run("actnViewJukeboxlistView"));
                     EXPECT_EQ(r.form->BrowseMode(), bmTree);
                     EXPECT_TRUE(r.Checked("actnViewJukeboxlistView"));
                     EXPECT_FALSE(r.Checked("actnViewCoverArtView"));
                 }});
    // The local library.
    c.push_back({{"actnFileScanFolders", "actnFileInstantScan"}, [](Rig& r) {
                     ExpectWindow(r, "actnFileInstantScan", "frmMusicSearch");
                     ExpectWindow(r, "actnFileScanFolders", "frmMusicSearch");
                 }});
    c.push_back({{"actnFileQueueFile"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.prompt->OpenFile = r.files[2];
                     ASSERT_TRUE(r.Run("actnFileQueueFile"));
                     ASSERT_EQ(r.Queue().Count(), 1);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), "three.wav");
                 }});
    c.push_back({{"actnReportsShowHistory"}, [](Rig& r) { ExpectWindow(r, "actnReportsShowHistory", "frmHistory"); }});
    c.push_back({{"actnReportsRun"}, [](Rig& r) { ExpectWindow(r, "actnReportsRun", "frmReports"); }});
    c.push_back({{"actnSettingsPlugins", "actnSettingsConfigurePlugins"}, [](Rig& r) {
                     ExpectWindow(r, "actnSettingsPlugins", "frmConfigurePlugins");
                     ExpectWindow(r, "actnSettingsConfigurePlugins", "frmConfigurePlugins");
                 }});
    return c;
}

TEST(MainWindowActions, EachActionOfTheRunningWindowDoesWhatItSays) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    r.ShowAlbum();
    // Every action of the table has its case here, or is one of the listed exceptions.
    const std::vector<Tcase> cases = Cases();
    std::set<std::string> covered;
    for (const auto& c : cases) covered.insert(c.Actions.begin(), c.Actions.end());
    for (int i = 0; i < form.Actions().Count(); ++i) {
        const std::string& name = form.Actions()[i].Name;
        const bool pending = kPendingElsewhere.count(name) && !form.Actions()[i].OnExecute;
        EXPECT_TRUE(covered.count(name) || kDoNothing.count(name) || kCheckedApart.count(name) || pending)
            << name << " has no case";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Actions.front());
        c.Check(r);
        EXPECT_EQ(r.runner->Pending(), 0);
        if (::testing::Test::HasFatalFailure()) return;
    }
    // Exit, last: the window saves and closes.
    ASSERT_TRUE(r.Run("actnFileExit"));
    EXPECT_TRUE(form.Closing());
}

// Every setting the window's own actions change, changed through the action, holds across
// a close and a new start from the same root.
TEST(MainWindowActions, TheMediaDatabaseAnswersQueryRulesOnceSwitchedOn) {
    Rig r;
    r.Start();
    r.ShowAlbum();
    ASSERT_TRUE(r.Run("actnFileEnableDatabase"));
    std::vector<std::string> found;
    std::string error;
    EXPECT_TRUE(Pump(
        [&] {
            return r.Library().Database().QueryFiles("Artist = 'Ada Rook'", "", "Filename", TdbTable::dtAudio, found,
                                                     error) &&
                   found.size() == 4;
        },
        20000))
        << error;
    // The choice is the library's setting, kept for the next start.
    r.Stop();
    EXPECT_EQ(TiniFile(r.root + "Settings/settings.ini").ReadString("Jukebox", "DatabaseEnabled", ""), "1");
}

TEST(MainWindowActions, SettingsChangedByActionsHoldAfterARestart) {
    Rig r;
    int searchMode = -1;
    {
        TfrmTunecrestMain& form = r.Start();
        r.ShowAlbum();
        // Each of these starts the other way round from the defaults.
        for (const char* action :
             {"actnSettingsShowHints", "actnViewLockSizes", "actnViewTrackNumbers", "actnViewQueueControls",
              "actnViewCoverArt", "actnSettingsPMInstantPlay", "actnRandomPlayEnabled", "actnStackerEnabled",
              "actnSettingsAutoPlay", "actnSettingsRestoreTrack", "actnQueueNoDuplicates", "actnQueueKeepTrackCount",
              "actnQueueDCMoveToTop", "actnViewTrackDetails", "actnViewExtendedTrackDetails", "actnViewJukeboxGenres",
              "actnFileEnableIndexes", "actnQueueLoop", "actnSettingsShowTimeRemaining", "actnSettingsShowMessages",
              "actnViewMainMenu", "actnFileShowWinamp", "actnFileEnableDatabase"})
            ASSERT_TRUE(r.Run(action)) << action;
        EXPECT_TRUE(form.JukeboxList()->Jukebox()->RandomPlayActive());  // seeded off: now on
        // The song search's mode, as the person leaves it in the search window.
        r.runner->Push([&](QDialog& d) {
            auto& search = dynamic_cast<TfrmSongSearch2&>(d);
            EXPECT_EQ(search.WindowMode(), sswPlayNow) << "instant play hands over at once";
            search.SearchModePressed();
            searchMode = search.Search().SearchMode();
            d.done(mrCancel);
        });
        ASSERT_TRUE(r.Run("actnSearch"));
        ASSERT_GT(searchMode, 0);
        r.Stop();
    }
    const TiniFile ini(r.root + "Settings/settings.ini");
    EXPECT_EQ(ini.ReadString("Preferences", "ShowHints", ""), "0");
    EXPECT_EQ(ini.ReadString("RandomPlay", "Enabled", ""), "1");
    EXPECT_EQ(ini.ReadString("Stacker", "Enabled", ""), "1");
    EXPECT_EQ(ini.ReadString("Player", "PlayerType", ""), "WINAMP");
    // Back to the in-process engine for the second start, through the settings file.
    {
        TiniFile edit(r.root + "Settings/settings.ini");
        edit.WriteString("Player", "PlayerType", "DSHOW");
        ASSERT_TRUE(edit.UpdateFile());
    }
    TfrmTunecrestMain& form = r.Start();
    const TdisplaySettings& s = form.Settings();
    EXPECT_FALSE(form.HintsShown());
    EXPECT_FALSE(r.Checked("actnSettingsShowHints"));
    EXPECT_TRUE(s.GeometryLock);
    EXPECT_TRUE(r.Checked("actnViewLockSizes"));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the locked size holds";
    EXPECT_FALSE(r.Checked("actnViewTrackNumbers"));
    EXPECT_FALSE(form.Layout().TrackListDisplay.DisplayTrackNumbers());
    EXPECT_FALSE(form.Layout().QueueListDisplay.DisplayTrackNumbers());
    EXPECT_FALSE(form.QueueControlsVisible());
    EXPECT_TRUE(form.findChild<QWidget*>("btnQueueUp")->isHidden());
    EXPECT_FALSE(r.Checked("actnViewQueueControls"));
    EXPECT_FALSE(form.CoverArtShown());
    EXPECT_TRUE(form.Layout().NowPlayingCover->isHidden());
    EXPECT_EQ(form.PlayMode(), 1);
    EXPECT_TRUE(r.Checked("actnSettingsPMInstantPlay"));
    EXPECT_TRUE(form.JukeboxList()->Jukebox()->RandomPlayActive());
    EXPECT_TRUE(r.Checked("actnRandomPlayEnabled"));
    EXPECT_TRUE(form.JukeboxList()->Jukebox()->Stacker().Active());
    EXPECT_TRUE(r.Checked("actnStackerEnabled"));
    EXPECT_TRUE(r.Checked("actnSettingsAutoPlay"));
    EXPECT_TRUE(r.Checked("actnSettingsRestoreTrack"));
    EXPECT_TRUE(form.JukeboxList()->Jukebox()->Queue().NoDuplicates());
    EXPECT_TRUE(r.Checked("actnQueueNoDuplicates"));
    EXPECT_TRUE(r.Checked("actnQueueKeepTrackCount"));
    EXPECT_TRUE(form.Layout().Lists().KeepTrackCount);
    EXPECT_EQ(s.QueueDoubleClick, 1);
    EXPECT_TRUE(r.Checked("actnQueueDCMoveToTop"));
    EXPECT_TRUE(form.Layout().Lists().ShowTrackDetails);
    EXPECT_TRUE(r.Checked("actnViewTrackDetails"));
    EXPECT_TRUE(form.Layout().Lists().ExtendedTrackDetails);
    EXPECT_TRUE(r.Checked("actnViewExtendedTrackDetails"));
    EXPECT_EQ(form.BrowseDisplayMode() & DisplayModeBit(dmGenres), 0u);
    EXPECT_FALSE(r.Checked("actnViewJukeboxGenres"));
    EXPECT_FALSE(form.JukeboxList()->EnableIndexes());
    EXPECT_FALSE(r.Checked("actnFileEnableIndexes"));
    EXPECT_TRUE(form.JukeboxList()->DatabaseEnabled());
    EXPECT_TRUE(r.Checked("actnFileEnableDatabase"));
    EXPECT_TRUE(form.JukeboxList()->Jukebox()->LoopQueue());
    EXPECT_TRUE(r.Checked("actnQueueLoop"));
    EXPECT_TRUE(r.Checked("actnSettingsShowTimeRemaining"));
    EXPECT_TRUE(r.Checked("actnSettingsShowMessages"));
    EXPECT_TRUE(form.IsMainMenuVisible());
    EXPECT_TRUE(r.Checked("actnViewMainMenu"));
    EXPECT_EQ(form.Settings().SongSearchMode, searchMode);
    r.runner->Push([&](QDialog& d) {
        EXPECT_EQ(dynamic_cast<TfrmSongSearch2&>(d).Search().SearchMode(), searchMode);
        d.done(mrCancel);
    });
    ASSERT_TRUE(r.Run("actnSearch"));
    EXPECT_EQ(r.runner->Pending(), 0);
}

// The clean-screen countdown runs for the stored time-out.
TEST(MainWindowActions, CleanScreenCountsTheStoredTimeout) {
    Rig r;
    {
        TiniFile edit(r.root + "Settings/settings.ini");
        edit.WriteInteger("Preferences", "ScreenCleanTimeout", 5);
        ASSERT_TRUE(edit.UpdateFile());
    }
    TfrmTunecrestMain& form = r.Start();
    int64_t now = 0;
    form.CleanScreenClock = [&now] { return now; };
    ASSERT_TRUE(r.Run("actnCleanScreen"));
    ASSERT_NE(form.CleanScreenWindow(), nullptr);
    auto* panel = form.CleanScreenWindow()->findChild<QLabel*>("pnlCleanScreen");
    EXPECT_EQ(panel->text(), "6");
    // A second run while it is up opens no second window.
    QWidget* first = form.CleanScreenWindow();
    r.Run("actnCleanScreen");
    EXPECT_EQ(form.CleanScreenWindow(), first);
    now = 5000;  // exactly the time-out: still up
    EXPECT_TRUE(Pump([&] { return panel->text() == "1"; }, 5000));
    EXPECT_NE(form.CleanScreenWindow(), nullptr);
    now = 5001;
    EXPECT_TRUE(Pump([&] { return form.CleanScreenWindow() == nullptr; }, 5000));
    form.CleanScreenClock = nullptr;
}

// Party play takes the internet-radio node out of the tree and the queue controls away
// when its settings say so, and gives both back as they were.
TEST(MainWindowActions, PartyPlayHidesTheRadioNodeAndQueueControlsAndGivesThemBack) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    const uint32_t radio = DisplayModeBit(dmRadioStations);
    form.SetBrowseDisplayMode(form.BrowseDisplayMode() | radio);
    form.PartyPlaySettings().SetDisableQueueControls(true);
    QWidget* up = form.findChild<QWidget*>("btnQueueUp");
    ASSERT_FALSE(up->isHidden());
    ASSERT_TRUE(r.Run("actnPartyPlayEnabled"));
    EXPECT_EQ(form.BrowseDisplayMode() & radio, 0u);
    EXPECT_FALSE(form.QueueControlsVisible());
    EXPECT_TRUE(up->isHidden());
    ASSERT_TRUE(r.Run("actnPartyPlayEnabled"));
    EXPECT_NE(form.BrowseDisplayMode() & radio, 0u);
    EXPECT_TRUE(form.QueueControlsVisible());
    EXPECT_FALSE(up->isHidden());
    // What party play forced is not stored as the person's choice.
    EXPECT_TRUE(form.Settings().QueueControlsVisible);
}

}  // namespace
}  // namespace tunecrest
