// The running window's actions of the Settings and View menus, as cases of the action
// test; and the settings those actions change, kept across a restart.
#include <gtest/gtest.h>

#include <QHelpEvent>

#include "core/base/ini_file.h"
#include "core/jukebox/global_prefs.h"
#include "playback/video/player_settings_dialogs.h"
#include "skin/skin_panel.h"
#include "support/pump_events.h"
#include "tests/mainwindow/actions/main_window_actions_support.h"
#include "windows/search/song_search_form.h"

namespace tunecrest::test::window_actions {

void AddSettingsCases(std::vector<Tcase>& c) {
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
                     // Ctrl+Alt+A runs it too, pressed while the track list has the focus
                     // (needs the touch list to pass on keys it does not use; its ListKey once kept
                     // every key).
                     r.form->show();
                     test::TapRow(*r.form->Layout().TrackList, 0);
                     test::PressKey(*r.form, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
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
                     // The player's own dialog runs as every dialog does, through the modal runner.
                     bool shown = false;
                     auto runner = std::make_shared<test::TscriptedModalRunner>();
                     TmodalRunnerScope scope(runner);
                     runner->Push([&](QDialog& d) {
                         shown = dynamic_cast<TfrmDShowPlayer*>(&d) != nullptr;
                         d.reject();
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
}

void AddViewCases(std::vector<Tcase>& c) {
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
                     auto firstRow = [&] { return r.form->Layout().Lists().Rows().Text(0); };
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
    // The layout's own view options: each shows its control (the product layout test
    // follows them across a restart and under party play).
    c.push_back({{"actnViewSongTitle", "actnViewStacker", "actnViewQueueCDButton", "actnViewSearchButton",
                  "actnViewBackButton", "actnViewAddGap", "actnViewTrackPosition"},
                 [](Rig& r) {
                     const std::pair<const char*, const char*> options[] = {
                         {"actnViewSongTitle", "bnrSongTitle"},      {"actnViewStacker", "pnlStacker"},
                         {"actnViewQueueCDButton", "btnQueueCD"},    {"actnViewSearchButton", "btnSearch"},
                         {"actnViewBackButton", "btnBack"},          {"actnViewTrackPosition", "sbTrackPosition"}};
                     for (const auto& [action, name] : options) {
                         QWidget* control = r.form->findChild<QWidget*>(name);
                         ASSERT_NE(control, nullptr) << name;
                         ExpectToggle(r, action, [&] { return !control->isHidden(); });
                     }
                     ExpectToggle(r, "actnViewAddGap", [&] { return r.form->Layout().GapAdded(); });
                 }});
    c.push_back({{"actnViewVolumeNone", "actnViewVolumeTop", "actnViewVolumePopup", "actnViewVolumePopupShow"},
                 [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnViewVolumeTop"));
                     EXPECT_FALSE(r.form->Layout().VolumePanel->isHidden());
                     ASSERT_TRUE(r.Run("actnViewVolumePopup"));
                     EXPECT_TRUE(r.form->Layout().VolumePanel->isHidden());
                     EXPECT_FALSE(r.form->Layout().VolumeButton->isHidden());
                     ExpectToggle(r, "actnViewVolumePopupShow", [&] { return r.form->Layout().VolumePopupVisible(); });
                     ASSERT_TRUE(r.Run("actnViewVolumeNone"));
                     EXPECT_TRUE(r.form->Layout().VolumeButton->isHidden());
                     EXPECT_TRUE(r.Checked("actnViewVolumeNone"));
                     EXPECT_FALSE(r.Checked("actnViewVolumePopup"));
                 }});
    c.push_back({{"actnViewBackPrevious", "actnViewBackRestart", "actnViewBackPreviousAtTop", "actnControlBack"},
                 [](Rig& r) {
                     // Two tracks played: Back queues the one before the current (the
                     // product layout test taps the button in each mode).
                     r.Run("actnControlStop");
                     r.Queue().Clear();
                     r.QueueFiles(2);
                     ASSERT_TRUE(r.Run("actnControlPlay"));
                     ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
                     const std::string first = Name(r.form->Controller().CurrentTrack());
                     ASSERT_TRUE(r.Run("actnControlNext"));
                     ASSERT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) != first; }, 15000));
                     for (const char* mode : {"actnViewBackPreviousAtTop", "actnViewBackRestart", "actnViewBackPrevious"}) {
                         ASSERT_TRUE(r.Run(mode));
                         EXPECT_TRUE(r.Checked(mode)) << mode;
                     }
                     EXPECT_EQ(r.form->ViewOptions().BackButtonMode, 0);
                     r.Queue().Clear();
                     ASSERT_TRUE(r.Run("actnControlBack"));
                     ASSERT_EQ(r.Queue().Count(), 1);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), first);
                     r.Run("actnControlStop");
                 }});
}

// Every setting the window's own actions change, changed through the action, holds across
// a close and a new start from the same root.
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

}  // namespace tunecrest::test::window_actions
