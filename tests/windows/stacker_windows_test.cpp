// The stacker window, the album picker, the playlist display and the library windows
// following the library's events, with the browse fixture library.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "core/display/font_store.h"
#include "core/base/ini_file.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_data_files.h"
#include "core/base/shared_utils.h"
#include "skin/image_list.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/fake_tagger.h"
#include "support/scripted_modal_runner.h"
#include "windows/library/choose_cd.h"
#include "windows/library/library_windows.h"
#include "windows/library/playlist_display.h"
#include "windows/library/playlist_editor.h"
#include "windows/library/stacker_list.h"
#include "windows/library_windows_support.h"

namespace tunecrest {
namespace {

struct StackerWindow : ::testing::Test, test::LibraryFixture {
    StackerWindow() {
        stacker.SetJukebox(&Jukebox());
        stacker.SetCartridgeFolder(cartridges.string());
        std::filesystem::create_directories(cartridges);
    }
    std::string Status(int panel) { return stacker.sbStatus[panel]->text().toStdString(); }
    void SelectNode(const std::string& title) {
        TmyNode* node = test::FindListNode(stacker.tvLibrary->Nodes(), title);
        ASSERT_NE(node, nullptr) << title;
        node->ExpandParents();
        stacker.tvLibrary->RebuildVisible();
        stacker.tvLibrary->SelectNode(node, false);
        ASSERT_EQ(stacker.tvLibrary->GetSelectedNode(), node);
    }

    std::filesystem::path cartridges = library.dir.Path() / "Cartridges";
    TfrmStackerList stacker;
};

TEST_F(StackerWindow, FillsTheStackerFromAlbumsAndPlaylistsAndSwitchesItOnAndOff) {
    stacker.show();
    EXPECT_EQ(stacker.TreeRebuild().Builds(), 1);
    SelectNode("Gold");
    stacker.AddSelectedNode();
    SelectNode("Party");
    stacker.AddSelectedNode();
    TaudioTagPlaylistList& carts = Jukebox().Stacker();
    ASSERT_EQ(carts.Count(), 2);
    EXPECT_EQ(stacker.lbStacker->Count(), 2);
    EXPECT_EQ(Status(0), "Albums : 2");
    EXPECT_EQ(Status(1), "Tracks : 3");
    EXPECT_EQ(Status(2), "Duration : " + FormatHMS(int(carts.TotalDuration())));
    // One album artist is shown after the title; a playlist shows its title only.
    const int gold = carts.IndexOfTitle("Gold");
    const int party = carts.IndexOfTitle("Party");
    EXPECT_EQ(stacker.StackerRowText(gold), "Gold - Abba");
    EXPECT_EQ(stacker.StackerRowText(party), "Party");
    EXPECT_EQ(stacker.StackerRowImage(gold), -1);  // no tree images, no image
    TimageList images(16, 16);
    QImage square(16, 16, QImage::Format_RGB32);
    for (int i = 0; i < 13; ++i) images.Add(square);
    stacker.SetTreeImages(&images);
    EXPECT_EQ(stacker.StackerRowImage(gold), 12);
    EXPECT_EQ(stacker.StackerRowImage(party), 7);

    // "Stacker Enabled": the jukebox's stacker play list follows.
    EXPECT_FALSE(stacker.cbStackerEnabled->Down());
    stacker.cbStackerEnabled->Click();
    EXPECT_TRUE(carts.Active());
    EXPECT_TRUE(stacker.cbStackerEnabled->Down());
    EXPECT_EQ(stacker.cbStackerEnabled->Caption(), "On");
    EXPECT_EQ(Jukebox().StackerPlayList().Count(), 3);
    stacker.ToggleStackerEnabled();
    EXPECT_FALSE(carts.Active());
    EXPECT_FALSE(stacker.cbStackerEnabled->Down());
    EXPECT_EQ(Jukebox().StackerPlayList().Count(), 0);
    stacker.ToggleStackerEnabled();

    stacker.lbStacker->SetItemIndex(gold);
    stacker.DeleteSelectedCartridge();
    ASSERT_EQ(carts.Count(), 1);
    EXPECT_EQ(carts.GetList(0)->Title(), "Party");
    EXPECT_EQ(Jukebox().StackerPlayList().Count(), 1);
    stacker.EmptyStacker();
    EXPECT_EQ(carts.Count(), 0);
    EXPECT_EQ(Status(0), "Albums : 0");
    EXPECT_EQ(Status(2), "Duration : 0:00:00");
}

TEST_F(StackerWindow, TreeAcceptsAlbumsAndPlaylistsButNoArtistsAndBuildsOnlyWhenFilesChanged) {
    stacker.show();
    stacker.hide();
    stacker.show();
    EXPECT_EQ(stacker.TreeRebuild().Builds(), 1);  // the library's files did not change
    TmyNode* gold = test::FindListNode(stacker.tvLibrary->Nodes(), "Gold");
    TmyNode* party = test::FindListNode(stacker.tvLibrary->Nodes(), "Party");
    EXPECT_TRUE(stacker.AcceptsNode(gold));
    EXPECT_TRUE(stacker.AcceptsNode(party));
    EXPECT_FALSE(stacker.AcceptsNode(nullptr));
    TmyNode* artist =
        test::FindNode(stacker.tvLibrary->Nodes(), [](TmyNode* n) { return n->DataAs<TaudioTagArtist>(); });
    if (artist) {
        EXPECT_FALSE(stacker.AcceptsNode(artist));
    }
    // Genres come and go with the view switch, and the tree is rebuilt for them.
    EXPECT_EQ(test::FindNode(stacker.tvLibrary->Nodes(), [](TmyNode* n) { return n->Tag == bcGenres; }),
              nullptr);
    stacker.ToggleGenres();
    EXPECT_TRUE(stacker.btnGenres->Down());
    EXPECT_NE(test::FindNode(stacker.tvLibrary->Nodes(), [](TmyNode* n) { return n->Tag == bcGenres; }),
              nullptr);
    EXPECT_EQ(stacker.TreeRebuild().Builds(), 2);
}

TEST_F(StackerWindow, ANodeCarriedFromTheTreeOntoTheStackerListIsAdded) {
    stacker.show();
    auto releaseOver = [&](QWidget* target) {
        const QPoint global = target->mapToGlobal(target->rect().center());
        QMouseEvent release(QEvent::MouseButtonRelease, stacker.tvLibrary->mapFromGlobal(global), global,
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(stacker.tvLibrary, &release);
    };
    SelectNode("Gold");
    releaseOver(stacker.tvLibrary);  // let go over the tree itself: nothing
    EXPECT_EQ(Jukebox().Stacker().Count(), 0);
    releaseOver(stacker.lbStacker);
    ASSERT_EQ(Jukebox().Stacker().Count(), 1);
    EXPECT_EQ(Jukebox().Stacker().GetList(0)->Title(), "Gold");
    // An artist is not a cartridge.
    TmyNode* artist = test::FindNode(stacker.tvLibrary->Nodes(),
                                     [](TmyNode* n) { return n->DataAs<TaudioTagArtist>() != nullptr; });
    if (artist) {
        artist->ExpandParents();
        stacker.tvLibrary->RebuildVisible();
        stacker.tvLibrary->SelectNode(artist, false);
        releaseOver(stacker.lbStacker);
        EXPECT_EQ(Jukebox().Stacker().Count(), 1);
    }
}

TEST_F(StackerWindow, CartridgeComboLoadsFilesAndFallsBackToTheLoadAction) {
    int loadActions = 0;
    stacker.SetShowLoadCartridge([&] { ++loadActions; });
    EXPECT_TRUE(stacker.btnLoadStacker->isVisibleTo(&stacker));
    EXPECT_FALSE(stacker.btnSaveStacker->isVisibleTo(&stacker));
    stacker.RefillCartridges();
    ASSERT_EQ(stacker.cboCartridges->count(), 1);  // an empty folder: only the load item
    EXPECT_EQ(stacker.cboCartridges->itemText(0), "[Load ...]");
    stacker.ChooseCartridgeFile(0);
    EXPECT_EQ(loadActions, 1);

    TaudioTagPlaylistList saved;
    auto cart = std::make_shared<TaudioTagList>();
    cart->SetTitle("Evening");
    cart->Add(Lib().GlobalList().GetTag(0)->Clone());
    saved.AddList(cart);
    ASSERT_TRUE(SaveListsFile(saved, (cartridges / "Evening.ctg").string()));
    test::WriteTextFile(cartridges / "notes.txt", "not a cartridge");
    stacker.RefillCartridges();
    ASSERT_EQ(stacker.cboCartridges->count(), 2);
    EXPECT_EQ(stacker.cboCartridges->itemText(1), "Evening");
    Lib().AddToStacker(Playlist("Party").get());
    stacker.ChooseCartridgeFile(1);  // replaces the cartridges
    ASSERT_EQ(Jukebox().Stacker().Count(), 1);
    EXPECT_EQ(Jukebox().Stacker().GetList(0)->Title(), "Evening");
    EXPECT_EQ(stacker.cboCartridges->currentIndex(), 0);
    EXPECT_EQ(loadActions, 1);

    // A damaged file leaves the stacker as it was and says so.
    test::WriteTextFile(cartridges / "Broken.ctg", "UALLgarbage");
    stacker.RefillCartridges();
    const int broken = stacker.cboCartridges->findText("Broken");
    ASSERT_GT(broken, 0);
    stacker.ChooseCartridgeFile(broken);
    EXPECT_EQ(Jukebox().Stacker().Count(), 1);
    ASSERT_FALSE(prompt->Messages.empty());
    EXPECT_NE(prompt->Messages.back().find("Cannot load the cartridge"), std::string::npos);
}

TEST_F(StackerWindow, LayoutRoundTripKeepsTheGenresView) {
    TiniFile ini(library.dir.File("settings.ini"));
    stacker.resize(1000, 700);
    stacker.ToggleGenres();
    stacker.SaveLayout(ini, "Stacker");
    EXPECT_EQ(ini.ReadString("Stacker", "ViewGenres", ""), "1");
    TfrmStackerList other;
    other.SetJukebox(&Jukebox());
    other.LoadLayout(ini, "Stacker");
    EXPECT_EQ(other.size(), QSize(1000, 700));
    EXPECT_TRUE(other.Viewer().HasDisplayMode(dmGenres));
}

TEST(LibraryTreeRows, CaptionsCountWithTheSingularForOne) {
    test::LibraryFixture f;
    TfrmStackerList stacker;
    stacker.SetJukebox(&f.Jukebox());
    stacker.RefreshStackerTree();
    TmyNode* playlists =
        test::FindNode(stacker.tvLibrary->Nodes(), [](TmyNode* n) { return n->Tag == bcPlaylists; });
    ASSERT_NE(playlists, nullptr);
    // The CD's playlist is not shown: one playlist, in the singular.
    EXPECT_NE(LibraryTreeCaption(*playlists, stacker.Look(), false).find("[Playlists] (1 Playlist)"),
              std::string::npos);
    auto late = std::make_shared<TaudioTagList>();
    late->SetTitle("Late <b>");
    late->Add(f.Lib().GlobalList().GetTag(0));
    f.Lib().Playlists().AddList(late);
    stacker.RefreshStackerTree();
    playlists = test::FindNode(stacker.tvLibrary->Nodes(), [](TmyNode* n) { return n->Tag == bcPlaylists; });
    ASSERT_NE(playlists, nullptr);
    EXPECT_NE(LibraryTreeCaption(*playlists, stacker.Look(), false).find("(2 Playlists)"), std::string::npos);
    // Values from tags never become markup.
    TmyNode* lateNode = test::FindListNode(stacker.tvLibrary->Nodes(), "Late <b>");
    ASSERT_NE(lateNode, nullptr);
    EXPECT_EQ(LibraryTreeCaption(*lateNode, stacker.Look(), false).find("<b>"), std::string::npos);
    TmyNode* party = test::FindListNode(stacker.tvLibrary->Nodes(), "Party");
    TmyNode* gold = test::FindListNode(stacker.tvLibrary->Nodes(), "Gold");
    EXPECT_EQ(LibraryTreeImage(*party, stacker.Look(), false), 7);
    f.Lib().ActivatePlaylist("Party");
    EXPECT_EQ(LibraryTreeImage(*party, stacker.Look(), false), 8);
    EXPECT_EQ(LibraryTreeImage(*gold, stacker.Look(), false), 6);
    // Rows paint without a skin or images.
    QImage canvas(400, 40, QImage::Format_RGB32);
    QPainter p(&canvas);
    stacker.tvLibrary->resize(400, 400);
    for (int i = 0; i < stacker.tvLibrary->Model().VisibleCount(); ++i)
        PaintLibraryTreeRow(*stacker.tvLibrary, stacker.Look(), i, QRect(0, 0, 400, 40), p, 0);
}

struct AlbumPicker : ::testing::Test, test::LibraryFixture {
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};

    static TmyNode* Node(TfrmChooseCD& window, const std::string& title) {
        TmyNode* node = test::FindListNode(window.tvAlbums->Nodes(), title);
        if (node) {
            node->ExpandParents();
            window.tvAlbums->RebuildVisible();
            window.tvAlbums->SelectNode(node, false);
        }
        return node;
    }
};

TEST_F(AlbumPicker, OkAnswersTrueOnlyWithAnAlbumChosen) {
    runner->Push([](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmChooseCD&>(dialog);
        EXPECT_EQ(window.windowTitle(), "Choose CD");
        // A genre is no album: OK stays disabled and pressing it leaves the window open.
        TmyNode* genres =
            test::FindNode(window.tvAlbums->Nodes(), [](TmyNode* n) { return n->Tag == bcGenres; });
        ASSERT_NE(genres, nullptr);
        window.tvAlbums->SelectNode(genres, false);
        window.OkPressed();
        EXPECT_TRUE(window.isVisible());
        ASSERT_NE(Node(window, "Hits"), nullptr);
        EXPECT_TRUE(window.btnOK->isEnabled());
        QTest::mouseClick(window.btnOK, Qt::LeftButton, {}, window.btnOK->rect().center());
    });
    TaudioTagAlbumPtr album;
    EXPECT_TRUE(ChooseCD(&Jukebox(), true, album, clBlack));
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(album->Title(), "Hits");
    // Queued as a whole, as the main window's queue-album action does.
    Lib().AddListToQueue(*album);
    EXPECT_EQ(Jukebox().Queue().Count(), 2);
}

TEST_F(AlbumPicker, CancelAndNoJukeboxAnswerFalseWithoutAnAlbum) {
    runner->Push([](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmChooseCD&>(dialog);
        ASSERT_NE(Node(window, "Gold"), nullptr);
        QTest::mouseClick(window.btnCancel, Qt::LeftButton, {}, window.btnCancel->rect().center());
    });
    TaudioTagAlbumPtr album = Lib().AlbumList().GetAlbum(0);
    EXPECT_FALSE(ChooseCD(&Jukebox(), false, album, clBlack));
    EXPECT_EQ(album, nullptr);
    EXPECT_FALSE(ChooseCD(nullptr, false, album, clBlack));
    EXPECT_EQ(runner->Titles.size(), 1u);  // nothing shown without a jukebox
}

TEST_F(AlbumPicker, ATypedLetterOpensItsCategory) {
    runner->Push([](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmChooseCD&>(dialog);
        QTest::keyClick(window.tvAlbums, Qt::Key_B);
        TmyNode* node = window.tvAlbums->GetSelectedNode();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node, window.Viewer().NodeForKey('B'));
        window.CancelPressed();
    });
    TaudioTagAlbumPtr album;
    EXPECT_FALSE(ChooseCD(&Jukebox(), false, album, clBlack));
}

TEST(PlaylistDisplay, ShowsTheActivatedPlaylistsNumbersAfterChanges) {
    test::LibraryFixture f;
    TcustomJukeboxListEvents listEvents;
    TcustomJukeboxEvents jukeboxEvents;
    listEvents.JukeboxEvents = &jukeboxEvents;
    f.Lib().SetEvents(&listEvents);
    TlibraryWindows windows([&] {
        TlibraryWindowsSetup setup;
        setup.Library = &f.Lib();
        return setup;
    });
    TfrmPlaylist& display = windows.Display();
    auto status = [&](int i) { return display.sbPlaylist[i]->text().toStdString(); };
    EXPECT_EQ(display.lbPlaylist->count(), 0);
    EXPECT_EQ(status(0), "Count : 0");
    EXPECT_EQ(status(1), "Play Time : 0:00:00");
    EXPECT_EQ(status(2), "Artist Count : 0");

    // The library's events reach the display: a playlist activated, then changed.
    f.Lib().ActivatePlaylist("Party");
    EXPECT_EQ(display.lbPlaylist->count(), 1);
    EXPECT_EQ(status(0), "Count : 1");
    TaudioTagList& party = *f.Playlist("Party");
    party.Add(f.Lib().GlobalList().GetTag(9)->Clone());
    party.Add(f.Lib().GlobalList().GetTag(8)->Clone());
    EXPECT_EQ(display.lbPlaylist->count(), 3);
    EXPECT_EQ(status(0), "Count : 3");
    EXPECT_EQ(status(1), "Play Time : " + FormatHMS(int(party.TotalDuration())));
    EXPECT_EQ(status(2), "Artist Count : 3");
    f.Lib().ActivatePlaylist("");
    EXPECT_EQ(status(0), "Count : 0");

    // The editor follows the same events once it exists.
    TfrmNewPlaylistEditor& editor = windows.Editor();
    EXPECT_EQ(editor.lbPlaylists->count(), 2);
    auto extra = std::make_shared<TaudioTagList>();
    extra->SetTitle("Late");
    f.Lib().Playlists().AddList(extra);
    EXPECT_EQ(editor.lbPlaylists->count(), 3);
    f.Lib().AddToStacker(extra.get());
    EXPECT_EQ(editor.lbStacker->count(), 1);
    f.Lib().SetEvents(nullptr);
}

}  // namespace
}  // namespace tunecrest
