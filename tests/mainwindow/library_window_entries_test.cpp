// The main window's entries for the library windows: queue an album through the album
// picker, the stacker window from its action, the playlist editor bound to the library.
#include <gtest/gtest.h>

#include <QTest>

#include "core/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "mainwindow/window_entries.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/library/choose_cd.h"
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
        TmyNode* album = nullptr;
        std::function<void(TmyNodeList&)> find = [&](TmyNodeList& nodes) {
            for (int i = 0; i < nodes.Count() && !album; ++i) {
                if (auto* list = nodes.Items(i)->DataAs<TaudioTagAlbum>();
                    list && list->Title() == "Night Shift")
                    album = nodes.Items(i);
                find(nodes.Items(i)->Children());
            }
        };
        find(window.tvAlbums->Nodes());
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

}  // namespace
}  // namespace tunecrest
