// The running window's actions of the File menu, the playlists and the local library, as
// cases of the action test; and the media database answering query rules once switched on.
#include <gtest/gtest.h>

#include "core/base/ini_file.h"
#include "core/database/media_database.h"
#include "support/pump_events.h"
#include "tests/mainwindow/actions/main_window_actions_support.h"
#include "windows/about_box.h"

namespace tunecrest::test::window_actions {

void AddFileCases(std::vector<Tcase>& c) {
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
    // The library's files are written anew, but never from a library still loading.
    c.push_back({{"actnFileRecreateIndexes"}, [](Rig& r) {
                     const std::string albums = r.root + "Data/albums.idx", list = r.root + "Data/jukebox.dat";
                     std::filesystem::remove(albums);
                     std::filesystem::remove(list);
                     r.Library().Jukebox()->SetLibraryLoading(true);
                     ASSERT_TRUE(r.Run("actnFileRecreateIndexes"));
                     r.Library().Jukebox()->SetLibraryLoading(false);
                     EXPECT_FALSE(std::filesystem::exists(list)) << "written while the library loads";
                     EXPECT_FALSE(std::filesystem::exists(albums));
                     ASSERT_TRUE(r.Run("actnFileRecreateIndexes"));
                     EXPECT_TRUE(std::filesystem::exists(list));
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
}

void AddPlaylistCases(std::vector<Tcase>& c) {
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
                     // The choice cancelled: no playlist is taken.
                     r.CloseNextDialog();
                     ASSERT_TRUE(r.Run("actnPlaylistsActivate"));
                     EXPECT_EQ(r.runner->Pending(), 0) << "the choice was offered";
                     EXPECT_EQ(r.Library().Jukebox()->ActivatedPlaylist(), nullptr);
                 }});
}

void AddLocalLibraryCases(std::vector<Tcase>& c) {
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
}

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

}  // namespace tunecrest::test::window_actions
