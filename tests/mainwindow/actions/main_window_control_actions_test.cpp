// The running window's actions of the Control menu, focus and the song scroller, party play
// and video, as cases of the action test; and the clean screen's count and party play's
// hidden controls, each on a window of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>

#include "core/base/ini_file.h"
#include "support/pump_events.h"
#include "tests/mainwindow/actions/main_window_actions_support.h"

namespace tunecrest::test::window_actions {

void AddControlCases(std::vector<Tcase>& c) {
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
}

void AddFocusCases(std::vector<Tcase>& c) {
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
}

void AddPartyPlayCases(std::vector<Tcase>& c) {
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
}

void AddVideoCases(std::vector<Tcase>& c) {
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
    EXPECT_TRUE(form.Settings().QueueControlsVisible) << "what party play forces is not the person's choice";
    ASSERT_TRUE(r.Run("actnPartyPlayEnabled"));
    EXPECT_NE(form.BrowseDisplayMode() & radio, 0u);
    EXPECT_TRUE(form.QueueControlsVisible());
    EXPECT_FALSE(up->isHidden());
    // What party play forced is not stored as the person's choice.
    EXPECT_TRUE(form.Settings().QueueControlsVisible);
}

// A full-screen window stays full screen when it goes on top of the others or back, and a
// locked size holds the window only outside full screen.
TEST(MainWindowActions, AlwaysOnTopAndLockedSizesLeaveFullScreenAsItIs) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    form.show();
    ASSERT_TRUE(r.Run("actnViewFullScreen"));
    ASSERT_TRUE(Pump([&] { return form.IsFullScreen() && form.isVisible(); }, 5000));
    const QSize screen = form.screen()->geometry().size();
    ASSERT_TRUE(r.Run("actnSettingsAlwaysOnTop"));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(r.Checked("actnSettingsAlwaysOnTop"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.IsFullScreen()) << "going on top left full screen";
    ASSERT_TRUE(r.Run("actnViewLockSizes"));
    EXPECT_TRUE(r.Checked("actnViewLockSizes"));
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) << "a full-screen window held at a size";
    EXPECT_TRUE(Pump([&] { return form.size() == screen; }, 5000)) << form.width() << "x" << form.height();
    ASSERT_TRUE(r.Run("actnSettingsAlwaysOnTop"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.IsFullScreen()) << "coming off the top left full screen";
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    // Out of full screen the locked size holds; unlocked, the window is free again.
    ASSERT_TRUE(r.Run("actnViewFullScreen"));
    ASSERT_TRUE(Pump([&] { return !form.IsFullScreen(); }, 5000));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_LT(form.maximumSize().width(), QWIDGETSIZE_MAX);
    ASSERT_TRUE(r.Run("actnViewLockSizes"));
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

}  // namespace tunecrest::test::window_actions
