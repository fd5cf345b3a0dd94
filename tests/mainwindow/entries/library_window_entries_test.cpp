// The main window's entries for the library windows: queue an album through the album
// picker, the stacker window from its action, the playlist editor bound to the library.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "core/base/ini_file.h"
#include "windows/about_box.h"
#include "windows/library/playlist_display.h"

#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/skin/main_window_skin.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/scripted_modal_runner.h"
#include "support/recording_prompt.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/library/choose_cd.h"
#include "tests/support/tree_find.h"
#include "windows/library/library_windows.h"
#include "windows/library/playlist_editor.h"
#include "windows/library/stacker_list.h"

namespace tunecrest {
namespace {

class TentriesForm : public TfrmCustomTunecrest {
  public:
    explicit TentriesForm(std::vector<std::string> args)
        : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

TEST(LibraryWindowEntries, QueueAlbumStackerAndEditorRunThroughTheProgramsEntries) {
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    TentriesForm form({"-RootFolder=" + root});
    InstallWindowEntries(form);
    form.DoInitialise();
    TcustomlocalJukeboxList& library = *form.JukeboxList();
    library.GlobalList().BeginUpdate();
    library.GlobalList().Add(
        test::MakeLibraryTag("/m/a/1.mp3", "Ada Rook", "Closing Time", "Night Shift", "Blues", "2001", 1));
    library.GlobalList().Add(
        test::MakeLibraryTag("/m/a/2.mp3", "Ada Rook", "Last Call", "Night Shift", "Blues", "2001", 2));
    library.GlobalList().EndUpdate();
    ASSERT_TRUE(library.AlbumList().FindList("Night Shift"));

    runner->Push([](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmChooseCD&>(dialog);
        TmyNode* album = test::FindNode(window.tvAlbums->Nodes(), [](TmyNode* node) {
            auto* list = node->DataAs<TaudioTagAlbum>();
            return list && list->Title() == "Night Shift";
        });
        ASSERT_NE(album, nullptr);
        album->ExpandParents();
        window.tvAlbums->RebuildVisible();
        window.tvAlbums->SelectNode(album, false);
        QTest::mouseClick(window.btnOK, Qt::LeftButton, {}, window.btnOK->rect().center());
    });
    ASSERT_TRUE(form.RunAction("actnQueueAlbum"));
    EXPECT_EQ(library.Jukebox()->Queue().Count(), 2);

    runner->Push([&library](QDialog& dialog) {
        auto& stacker = dynamic_cast<TfrmStackerList&>(dialog);
        EXPECT_EQ(stacker.Jukebox(), library.Jukebox());
        EXPECT_EQ(stacker.lbStacker->Count(), library.Jukebox()->Stacker().Count());
        stacker.close();
    });
    ASSERT_TRUE(form.RunAction("actnStackerConfigure"));
    EXPECT_EQ(runner->Names.back(), "frmStackerList");

    auto& entries = dynamic_cast<TwindowEntries&>(form.DialogEntries());
    ASSERT_TRUE(form.RunAction("actnPlaylistsShowEditor"));
    ASSERT_TRUE(entries.LibraryWindows().HasEditor());
    TfrmNewPlaylistEditor& editor = entries.LibraryWindows().Editor();
    EXPECT_EQ(editor.Jukebox(), library.Jukebox());
    EXPECT_TRUE(editor.isVisible());
    // The editor follows the library from now on: a new playlist shows up.
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle("Late Night");
    library.Playlists().AddList(list);
    EXPECT_EQ(editor.lbPlaylists->count(), library.Playlists().Count());
    editor.hide();
    form.Controller().SetClosing();
}


// Starts the program's window from `root` as the program does, with the about box as its
// progress window.
std::unique_ptr<TentriesForm> StartEntriesForm(const std::string& root, TfrmAbout2& about) {
    auto form = std::make_unique<TentriesForm>(std::vector<std::string>{"-RootFolder=" + root});
    InstallWindowEntries(*form);
    form->SetProgressWindow(&about);
    form->ReadDisplaySettings();
    form->DoInitialise();
    return form;
}

TEST(LibraryWindowEntries, EditorAndStackerAreHandedWhatTheyNeedAndKeepTheirLayouts) {
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    std::ofstream(root + "/Settings/settings.ini")
        << "[Preferences]\nShowTipsAtStartup=0\n[Geometry]\nFullScreen=0\nWidth=1024\nHeight=700\n"
           "[PlaylistEditor]\nWidth=900\nHeight=640\nLeft=11\nTop=22\nPlaylistFolder=/music/lists/\n"
           "[Stacker]\nEnabled=1\nWidth=1000\nHeight=620\nLeft=5\nTop=6\nRightPanelWidth=380\nViewGenres=1\n";
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto oldPrompt = SetPrompt(prompt);
    TfrmTunecrestAbout2 about;
    int editedHeight = 0;
    {
        auto form = StartEntriesForm(root, about);
        auto& windows = dynamic_cast<TwindowEntries&>(form->DialogEntries()).LibraryWindows();
        // Both windows exist from start-up and have read their sections.
        ASSERT_TRUE(windows.HasEditor());
        ASSERT_TRUE(windows.HasStacker());
        TfrmNewPlaylistEditor& editor = windows.Editor();
        TfrmStackerList& stacker = windows.Stacker();
        EXPECT_EQ(editor.width(), 900);
        EXPECT_EQ(editor.height(), 640);
        EXPECT_EQ(editor.PlaylistFolder(), "/music/lists/");
        EXPECT_EQ(stacker.width(), 1000);
        EXPECT_EQ(stacker.x(), 5);
        EXPECT_TRUE(stacker.Viewer().HasDisplayMode(dmGenres));
        EXPECT_TRUE(form->JukeboxList()->Jukebox()->Stacker().Active()) << "the jukebox's own key of the section";

        // The stacker window wears the skin: lists in the list colour, node images, fonts.
        EXPECT_NE(stacker.lbStacker->Color(), clBlack);
        EXPECT_EQ(stacker.lbStacker->Color(), ListColor(form->Skin().FontStores().Lists(), lcBackground));
        EXPECT_NE(stacker.Look().Images, nullptr);
        EXPECT_GT(stacker.lbStacker->ItemHeight(), 20);
        TcustomJukebox& jukebox = *form->JukeboxList()->Jukebox();
        auto cartridge = std::make_shared<TaudioTagList>();
        cartridge->SetTitle("Night Shift");
        cartridge->Add(test::MakeLibraryTag("/m/a/1.mp3", "Ada Rook", "Closing Time", "Night Shift", "Blues", "2001", 1));
        form->JukeboxList()->AddToStacker(cartridge.get());
        stacker.UpdateStackerStatus();
        ASSERT_EQ(stacker.lbStacker->Count(), 1);
        EXPECT_GE(stacker.StackerRowImage(0), 7) << "a node image is drawn";
        // The cartridge buttons of both windows show, and "[Load ...]" runs the window's
        // load action (which offers the cartridge files).
        EXPECT_FALSE(stacker.btnLoadStacker->isHidden());
        EXPECT_FALSE(stacker.btnSaveStacker->isHidden());
        EXPECT_FALSE(editor.btnLoadCartridge->isHidden());
        EXPECT_FALSE(editor.btnAddCartridge->isHidden());
        EXPECT_FALSE(editor.btnSaveCartridge->isHidden());
        stacker.RefillCartridges();
        ASSERT_GE(stacker.cboCartridges->count(), 1);
        EXPECT_EQ(stacker.cboCartridges->itemText(0).toStdString(), "[Load ...]");
        bool loadRan = false;
        const auto load = form->Actions().Get("actnStackerLoadCartridge").OnExecute;
        form->Actions().Get("actnStackerLoadCartridge").OnExecute = [&, load](Taction& a) {
            loadRan = true;
            load(a);
        };
        stacker.ChooseCartridgeFile(0);
        EXPECT_TRUE(loadRan);
        (void)jukebox;
        // The playlist editor's tree rebuild reports to the progress window.
        editor.show();
        editor.UpdatePlaylistTree();
        EXPECT_EQ(about.StatusText().rfind("Updating Playlist Tree", 0), 0u) << about.StatusText();
        editor.hide();

        // The playlist display is a window of the main window, centred on it.
        form->show();
        ASSERT_TRUE(form->RunAction("actnPlaylistsShow"));
        TfrmPlaylist& display = windows.Display();
        EXPECT_EQ(display.parentWidget(), form.get());
        EXPECT_TRUE(display.isWindow());
        const QPoint centre = form->mapToGlobal(form->rect().center());
        EXPECT_LE(std::abs(display.geometry().center().x() - centre.x()), 2);
        EXPECT_LE(std::abs(display.geometry().center().y() - centre.y()), 2);
        display.hide();

        // A size the window can take (its touch-sized controls set a least height).
        editedHeight = std::max(660, editor.minimumSizeHint().height() + 10);
        editor.resize(960, editedHeight);
        stacker.move(40, 50);
        stacker.ToggleGenres();
        form->close();
    }
    const TiniFile ini(root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadInteger("PlaylistEditor", "Width", 0), 960);
    EXPECT_EQ(ini.ReadInteger("PlaylistEditor", "Height", 0), editedHeight);
    EXPECT_EQ(ini.ReadString("PlaylistEditor", "PlaylistFolder", ""), "/music/lists/");
    EXPECT_EQ(ini.ReadInteger("Stacker", "Left", 0), 40);
    EXPECT_EQ(ini.ReadInteger("Stacker", "RightPanelWidth", 0), 380);
    EXPECT_FALSE(ini.ReadBool("Stacker", "ViewGenres", true));
    // And back after a restart.
    {
        auto form = StartEntriesForm(root, about);
        auto& windows = dynamic_cast<TwindowEntries&>(form->DialogEntries()).LibraryWindows();
        EXPECT_EQ(windows.Editor().width(), 960);
        EXPECT_EQ(windows.Stacker().x(), 40);
        EXPECT_FALSE(windows.Stacker().Viewer().HasDisplayMode(dmGenres));
        form->close();
    }
    SetPrompt(oldPrompt);
}

}  // namespace
}  // namespace tunecrest
