// The playlist editor driven through its actions with the browse fixture library.
#include "windows/library/playlist_editor.h"

#include <gtest/gtest.h>

#include <QSplitter>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/base/ini_file.h"
#include "core/jukebox/jukebox.h"
#include "core/tags/tagger_loader.h"
#include "support/fake_media_player.h"
#include "support/fake_tagger.h"
#include "windows/about_box.h"
#include "windows/library_windows_support.h"

namespace tunecrest {
namespace {

std::string Hms(uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

std::vector<std::string> Titles(const TaudioTagList& list) {
    std::vector<std::string> out;
    for (const auto& tag : list.Items()) out.push_back(tag->Title());
    return out;
}

std::vector<std::string> Rows(const QListWidget& box) {
    std::vector<std::string> out;
    for (int i = 0; i < box.count(); ++i) out.push_back(box.item(i)->text().toStdString());
    return out;
}

struct PlaylistEditor : ::testing::Test, test::LibraryFixture {
    PlaylistEditor() {
        editor.SetJukebox(&Jukebox());
        editor.RefreshPlaylistCollection();
        editor.RefreshStackerList();
        editor.UpdatePlaylistTree();
    }
    void ChooseNode(const std::string& title) {
        QTreeWidgetItem* item = test::FindListItem(*editor.tvJukebox, title, false);
        ASSERT_NE(item, nullptr) << title;
        editor.tvJukebox->setCurrentItem(item);
    }
    int CollectionRow(const std::string& title) {
        for (int i = 0; i < editor.lbPlaylists->count(); ++i)
            if (editor.lbPlaylists->item(i)->text().toStdString() == title) return i;
        return -1;
    }
    std::string Status(int panel) { return editor.sbPanels[panel]->text().toStdString(); }
    // A new collection playlist "Friday" with the two tracks of "Gold" and the two of "Hits".
    TaudioTagList& BuildFriday() {
        prompt->Texts = {std::string("Friday")};
        editor.NewPlaylist();
        ChooseNode("Gold");
        editor.lbSongs->selectAll();
        editor.AddSelectedTracks();
        ChooseNode("Hits");
        editor.Drop(editor.tvJukebox, -1);
        return *editor.CurrentList();
    }

    TfrmNewPlaylistEditor editor;
};

TEST_F(PlaylistEditor, BuildsAPlaylistFromTreeNodesAndShowsItsNumbers) {
    EXPECT_EQ(Rows(*editor.lbPlaylist), (std::vector<std::string>{"No Playlist Selected ..."}));
    EXPECT_EQ(Status(0), "List : NONE");
    EXPECT_EQ(Status(2), "Play Time : 0:00:00");
    ChooseNode("Gold");
    EXPECT_EQ(editor.lbSongs->count(), 2);
    EXPECT_NE(editor.lbSongs->item(1)->text().indexOf("Waterloo"), -1);  // in track order

    TaudioTagList& friday = BuildFriday();
    ASSERT_EQ(friday.Title(), "Friday");
    ASSERT_TRUE(Playlist("Friday"));
    EXPECT_EQ(Titles(friday), (std::vector<std::string>{"Dancing Queen", "Waterloo", "Oh Yeah", "Zero"}));
    EXPECT_EQ(editor.lbSongs->selectedItems().size(), 0);  // added rows are deselected
    // Copies, never the library's own tracks.
    for (const auto& tag : friday.Items()) EXPECT_LT(Lib().GlobalList().IndexOf(tag.get()), 0);
    uint64_t seconds = 0;
    for (const char* album : {"Gold", "Hits"}) seconds += Lib().AlbumList().FindList(album)->TotalDuration();
    EXPECT_EQ(Status(0), "List : Friday (playlist collection)");
    EXPECT_EQ(Status(1), "Count : 4");
    EXPECT_EQ(Status(2), "Play Time : " + Hms(seconds));
    EXPECT_EQ(Status(3), "Artist Count : 3");
    EXPECT_EQ(editor.lbPlaylist->count(), 4);
    EXPECT_TRUE(editor.lbPlaylist->isEnabled());
    EXPECT_EQ(editor.lbPlaylists->currentRow(), CollectionRow("Friday"));
    EXPECT_TRUE(editor.actnAddToStacker->isEnabled());
    EXPECT_FALSE(editor.actnAddToplaylists->isEnabled());
}

TEST_F(PlaylistEditor, ReordersByMovesAndDragsKeepingTheTrackSelected) {
    TaudioTagList& list = BuildFriday();
    editor.lbPlaylist->setCurrentRow(0);
    editor.MoveUp();  // the first track cannot go higher
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Dancing Queen", "Waterloo", "Oh Yeah", "Zero"}));
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 0);
    editor.MoveDown();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Waterloo", "Dancing Queen", "Oh Yeah", "Zero"}));
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 1);
    editor.lbPlaylist->setCurrentRow(3);
    editor.MoveDown();  // nor the last one lower
    EXPECT_EQ(list.GetTag(3)->Title(), "Zero");
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 3);

    editor.lbPlaylist->DragRow = 0;
    editor.Drop(editor.lbPlaylist, -1);  // past the last row: to the end
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Dancing Queen", "Oh Yeah", "Zero", "Waterloo"}));
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 3);
    editor.lbPlaylist->DragRow = 2;
    editor.Drop(editor.lbPlaylist, 0);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Zero", "Dancing Queen", "Oh Yeah", "Waterloo"}));
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 0);

    editor.SortBy(tstTitle);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Dancing Queen", "Oh Yeah", "Waterloo", "Zero"}));
    EXPECT_EQ(list.SortType(), tstTitle);  // a one-off sort; the list's own sort type stays
    editor.actnSortArtist->trigger();
    EXPECT_EQ(editor.tbtnSort->defaultAction(), editor.actnSortArtist);
    EXPECT_EQ(list.GetTag(3)->Artist(), "Zed");
}

TEST_F(PlaylistEditor, DeletingRowsSelectsTheNewLastRowAndAnEmptyListIsShownSo) {
    TaudioTagList& list = BuildFriday();
    editor.lbPlaylist->setCurrentRow(2);
    editor.lbPlaylist->item(3)->setSelected(true);
    editor.DeleteSelected();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Dancing Queen", "Waterloo"}));
    EXPECT_EQ(editor.lbPlaylist->currentRow(), 1);
    editor.lbPlaylist->selectAll();
    // The Delete key released in the list deletes as the action does.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(editor.lbPlaylist, &release);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(Rows(*editor.lbPlaylist), (std::vector<std::string>{"The Playlist is Empty ..."}));
    EXPECT_FALSE(editor.lbPlaylist->isEnabled());
    EXPECT_EQ(Status(1), "Count : 0");
}

TEST_F(PlaylistEditor, RowsFindTheirTracksByIdentityWhenCdTracksAreNotShown) {
    SetCdTrackTest(
        [](const std::string& file) { return file.size() > 4 && file.substr(file.size() - 4) == ".cda"; });
    editor.ChoosePlaylist(CollectionRow("Disc in the drive"));
    TaudioTagList& list = *editor.CurrentList();
    ASSERT_EQ(list.Count(), 1);
    ASSERT_TRUE(IsCdTrack(list.GetTag(0)->Filename().str()));
    ChooseNode("Gold");
    editor.AddAllTracks();
    // The CD track has no row: row 0 is "Dancing Queen", the list's second track.
    ASSERT_EQ(editor.lbPlaylist->count(), 2);
    editor.lbPlaylist->setCurrentRow(0);
    editor.MoveDown();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Lullaby", "Waterloo", "Dancing Queen"}));
    editor.lbPlaylist->setCurrentRow(0);
    editor.DeleteSelected();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Lullaby", "Dancing Queen"}));
    SetCdTrackTest(nullptr);
}

TEST_F(PlaylistEditor, SavesAsExtendedM3UAndLoadsItBack) {
    const std::filesystem::path plugins = library.dir.Path() / "TagPlugins";
    const std::filesystem::path music = library.dir.Path() / "Music";
    std::filesystem::create_directories(plugins);
    std::filesystem::create_directories(music);
    test::InstallFakeTagger(plugins, "fake", "Description=Fake\nExtensions=fake\n");
    TaggerLoader().SetPluginFolder(plugins.string());
    test::WriteTextFile(music / "b.fake", "Title=Bee\nArtist=Hive\n");
    test::WriteTextFile(music / "a.fake", "Title=Ant\nArtist=Hill\n");
    prompt->Texts = {std::string("Mix")};
    editor.NewPlaylist();
    TaudioTagList& mix = *editor.CurrentList();
    TaudioTagList scratch;
    for (const char* name : {"b.fake", "a.fake"}) mix.Add(scratch.CreateTagFromFile((music / name).string()));
    editor.RefreshInfo();
    ASSERT_EQ(mix.Count(), 2);

    prompt->Files = {(library.dir.Path() / "mix").string()};  // the extension is added
    editor.SaveToM3U();
    const std::filesystem::path file = library.dir.Path() / "mix.m3u";
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("#EXTM3U", 0), 0u);
    EXPECT_NE(text.str().find("#EXTINF:0,Hive - Bee"), std::string::npos);
    EXPECT_EQ(prompt->FileFilters.back(), "M3U Playlist (*.m3u)");
    EXPECT_EQ(editor.PlaylistFolder(), library.dir.Path().string());

    editor.ClearList();
    prompt->Files = {file.string()};
    editor.LoadFromM3U(false);
    EXPECT_EQ(Titles(mix), (std::vector<std::string>{"Bee", "Ant"}));
    prompt->Files = {file.string()};
    editor.LoadFromM3U(true);  // appended
    EXPECT_EQ(Titles(mix), (std::vector<std::string>{"Bee", "Ant", "Bee", "Ant"}));
    EXPECT_EQ(Status(1), "Count : 4");

    prompt->Files = {(library.dir.Path() / "missing.m3u").string()};
    editor.LoadFromM3U(false);  // a file that cannot be read changes nothing and says so
    EXPECT_EQ(mix.Count(), 4);
    ASSERT_FALSE(prompt->Messages.empty());
    EXPECT_NE(prompt->Messages.back().find("could not be read"), std::string::npos);

    // New from M3U: a playlist named after the file (renamed as the person answers).
    prompt->Texts = {std::string("Encore")};
    prompt->Files = {file.string()};
    editor.NewFromM3U();
    ASSERT_TRUE(Playlist("Encore"));
    EXPECT_EQ(editor.CurrentList(), Playlist("Encore").get());
    EXPECT_EQ(Titles(*Playlist("Encore")), (std::vector<std::string>{"Bee", "Ant"}));
    TaggerLoader().SetPluginFolder("");
}

TEST_F(PlaylistEditor, RenamesAndDeletesPlaylistsAndRefusesABlankName) {
    BuildFriday();
    prompt->Texts = {std::string("Saturday")};
    editor.RenameCurrent();
    EXPECT_FALSE(Playlist("Friday"));
    ASSERT_TRUE(Playlist("Saturday"));
    EXPECT_EQ(editor.CurrentList(), Playlist("Saturday").get());
    EXPECT_EQ(editor.lbPlaylists->currentRow(), CollectionRow("Saturday"));
    EXPECT_EQ(Status(0), "List : Saturday (playlist collection)");
    EXPECT_EQ(prompt->TextTitles.back(), "Rename Playlist");

    prompt->Texts = {std::string("")};
    editor.RenameCurrent();
    EXPECT_EQ(prompt->Messages.back(), "Bad Playlist Name|The playlist name cannot be blank.");
    EXPECT_TRUE(Playlist("Saturday"));
    prompt->Texts = {std::nullopt};  // cancelled
    editor.RenameCurrent();
    EXPECT_TRUE(Playlist("Saturday"));

    prompt->Answer = false;
    editor.DeleteCurrent();
    EXPECT_TRUE(Playlist("Saturday"));
    prompt->Answer = true;
    editor.DeleteCurrent();
    EXPECT_EQ(prompt->Questions.back(), "Are you sure you want to delete Saturday?");
    EXPECT_FALSE(Playlist("Saturday"));
    EXPECT_EQ(CollectionRow("Saturday"), -1);
    EXPECT_EQ(editor.CurrentList(), nullptr);
    EXPECT_EQ(Rows(*editor.lbPlaylist), (std::vector<std::string>{"No Playlist Selected ..."}));
    EXPECT_FALSE(editor.actnPlaylistsDelete->isEnabled());
}

TEST_F(PlaylistEditor, AListRemovedBehindItsBackIsDroppedNeverTouched) {
    editor.ChoosePlaylist(CollectionRow("Party"));
    std::weak_ptr<TaudioTagList> party = Playlist("Party");
    ASSERT_EQ(editor.CurrentList(), party.lock().get());
    // Another window removes the list from the collection; no change notice yet.
    Lib().RemovePlaylist(party.lock().get());
    editor.AddAllTracks();
    editor.lbPlaylist->setCurrentRow(0);
    editor.MoveDown();
    editor.DeleteSelected();
    EXPECT_EQ(editor.CurrentList(), nullptr);
    EXPECT_EQ(Status(0), "List : NONE");
    editor.RefreshPlaylistCollection();
    EXPECT_TRUE(party.expired());  // freed once the collection's rows let it go
    EXPECT_EQ(CollectionRow("Party"), -1);

    // The same for a cartridge emptied out of the stacker.
    editor.ChoosePlaylist(CollectionRow("Disc in the drive"));
    editor.AddToStacker();
    ASSERT_EQ(Jukebox().Stacker().Count(), 1);
    editor.ChooseCartridge(0);
    std::weak_ptr<TaudioTagList> cartridge = Jukebox().Stacker().GetList(0);
    Lib().ClearStacker();
    ChooseNode("Gold");
    editor.AddAllTracks();
    editor.RefreshInfo();
    EXPECT_EQ(editor.CurrentList(), nullptr);
    editor.RefreshStackerList();
    EXPECT_TRUE(cartridge.expired());
    EXPECT_EQ(editor.lbStacker->count(), 0);
}

TEST_F(PlaylistEditor, ApplyFiltersAsksBeforeReplacingTheEditedList) {
    TaudioTagList& list = BuildFriday();
    int editorRuns = 0;
    editor.SetFilterEditor([&](TtagListRules& rules) {
        ++editorRuns;
        rules.UseArtists = true;
        rules.Artists.Add("Yello");
        return true;
    });
    prompt->Answer = false;
    editor.ApplyFilters();
    EXPECT_EQ(editorRuns, 1);
    ASSERT_FALSE(prompt->Questions.empty());
    EXPECT_EQ(prompt->Questions.back(),
              "Replace the 4 tracks of \"Friday\" with the 1 tracks that pass the filter?");
    EXPECT_EQ(list.Count(), 4);
    prompt->Answer = true;
    editor.ApplyFilters();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Oh Yeah"}));
    EXPECT_LT(Lib().GlobalList().IndexOf(list.GetTag(0).get()), 0);  // a copy
    // A cancelled editor changes nothing.
    editor.SetFilterEditor([](TtagListRules&) { return false; });
    const size_t asked = prompt->Questions.size();
    editor.ApplyFilters();
    EXPECT_EQ(prompt->Questions.size(), asked);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(PlaylistEditor, FillsTheStackerAndTheCollectionFromCopies) {
    editor.ChoosePlaylist(CollectionRow("Party"));
    EXPECT_EQ(Status(0), "List : Party (playlist collection)");
    EXPECT_EQ(editor.tbtnAddPlaylistTo->defaultAction(), editor.actnAddToStacker);
    editor.AddToStacker();
    ASSERT_EQ(Jukebox().Stacker().Count(), 1);
    TaudioTagListPtr cartridge = Jukebox().Stacker().GetList(0);
    EXPECT_EQ(cartridge->Title(), "Party");
    EXPECT_TRUE(cartridge->Active());
    EXPECT_NE(cartridge->GetTag(0), Playlist("Party")->GetTag(0));
    EXPECT_EQ(editor.lbStacker->count(), 1);
    // The jukebox's stacker play list follows the stacker.
    Lib().SetStackerActive(true);
    EXPECT_EQ(Jukebox().StackerPlayList().Count(), 1);

    editor.pcPlaylists->setCurrentIndex(1);
    editor.lbStacker->setCurrentRow(0);
    editor.ChooseTab(1);
    EXPECT_EQ(editor.CurrentList(), cartridge.get());
    EXPECT_EQ(Status(0), "List : Party (stacker)");
    EXPECT_EQ(editor.tbtnAddPlaylistTo->defaultAction(), editor.actnAddToplaylists);
    prompt->Texts = {std::string("")};  // an empty name gives "New playlist"
    editor.AddToCollection();
    ASSERT_TRUE(Playlist("New playlist"));
    EXPECT_FALSE(Playlist("New playlist")->Active());
    prompt->Texts = {std::nullopt};
    editor.AddToCollection();  // cancelled: nothing
    EXPECT_EQ(Lib().Playlists().Count(), 3);

    editor.EmptyStacker();
    EXPECT_EQ(Jukebox().Stacker().Count(), 0);
    EXPECT_EQ(Jukebox().StackerPlayList().Count(), 0);
    EXPECT_EQ(editor.CurrentList(), nullptr);
}

TEST_F(PlaylistEditor, ActivePlaylistComboAndPlayModeBoxes) {
    const int party = editor.cboPlaylists->findText("Party");
    ASSERT_GT(party, 0);
    EXPECT_EQ(editor.cboPlaylists->itemText(0), "[none]");
    editor.ChooseActivePlaylist(party);
    ASSERT_NE(Jukebox().ActivatedPlaylist(), nullptr);
    EXPECT_EQ(Jukebox().ActivatedPlaylist()->Title(), "Party");
    editor.RefreshPlaylistCollection();
    EXPECT_EQ(editor.cboPlaylists->currentIndex(), party);
    editor.ChooseActivePlaylist(0);
    EXPECT_EQ(Jukebox().ActivatedPlaylist(), nullptr);

    TaudioTagList& list = *Playlist("Party");
    list.SetPlayMode(ModeSet(lmLoop));
    editor.ChoosePlaylist(CollectionRow("Party"));
    EXPECT_TRUE(editor.cbLoop->isChecked());
    EXPECT_FALSE(editor.cbRandom->isChecked());
    editor.cbRandom->click();  // a person's click
    EXPECT_TRUE(list.IsRandom());
    editor.cbLoop->click();
    EXPECT_FALSE(list.IsLoop());
    // Showing another list sets the boxes without their handlers: no mode changes.
    editor.ChoosePlaylist(CollectionRow("Disc in the drive"));
    editor.ChoosePlaylist(CollectionRow("Party"));
    EXPECT_EQ(list.PlayMode(), ModeSet(lmRandom));
    EXPECT_TRUE(editor.cbRandom->isChecked());
}

TEST_F(PlaylistEditor, PlaysTheSelectedTrackThroughTheQueue) {
    test::FakeMediaPlayer player;
    editor.SetPlaybackVisible(&player);
    EXPECT_TRUE(editor.actnPlaySelectedTrack->isVisible());
    editor.show();
    ChooseNode("Gold");
    ASSERT_EQ(editor.lbSongs->count(), 2);
    QTest::mouseClick(editor.lbSongs->viewport(), Qt::LeftButton, {},
                      editor.lbSongs->visualItemRect(editor.lbSongs->item(1)).center());
    editor.PlaySelectedTrack();
    ASSERT_EQ(Jukebox().Queue().Count(), 1);
    EXPECT_EQ(Jukebox().Queue().GetTag(0)->Title(), "Waterloo");
    EXPECT_NE(std::find(player.Calls.begin(), player.Calls.end(), "PlayNext"), player.Calls.end());
    editor.StopPlayback();
    EXPECT_EQ(player.Calls.back(), "Stop");
    editor.SetPlaybackVisible(nullptr);
    EXPECT_FALSE(editor.actnPlaySelectedTrack->isVisible());
}

TEST_F(PlaylistEditor, LayoutAndFilterRoundTripAndCentreWithoutAStoredPlace) {
    const std::string file = library.dir.File("settings.ini");
    {
        TiniFile ini(file);
        editor.resize(900, 640);
        editor.move(40, 30);
        editor.SetPlaylistFolder("/music/lists");
        editor.Filter().UseGenres = true;
        editor.Filter().Genres.Add("Rock");
        editor.SaveSettings(ini, "PlaylistEditor");
        EXPECT_EQ(ini.ReadString("PlaylistEditor", "PlaylistFolder", ""), "/music/lists");
        EXPECT_EQ(ini.ReadInteger("PlaylistEditor", "Width", 0), 900);
        EXPECT_EQ(ini.ReadString("PlaylistEditor", "UseGenres", ""), "1");
        TfrmNewPlaylistEditor other;
        other.LoadSettings(ini, "PlaylistEditor");
        EXPECT_EQ(other.size(), QSize(900, 640));
        EXPECT_EQ(other.pos(), QPoint(40, 30));
        EXPECT_EQ(other.PlaylistFolder(), "/music/lists");
        EXPECT_TRUE(other.Filter().UseGenres);
        EXPECT_TRUE(other.Filter().PassesGenre("Rock"));
        EXPECT_FALSE(other.Filter().PassesGenre("Pop"));
    }
    TiniFile bare(library.dir.File("bare.ini"));
    bare.WriteInteger("PlaylistEditor", "Width", 500);
    bare.WriteInteger("PlaylistEditor", "Height", 400);
    TfrmNewPlaylistEditor centred;
    centred.LoadSettings(bare, "PlaylistEditor");
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(centred.pos(), QPoint((screen.width() - 500) / 2, (screen.height() - 400) / 2));
}

TEST_F(PlaylistEditor, PanelSizesReadBeforeTheWindowIsShownTakeEffectWhenItIs) {
    // A width the touch-sized right panel can take (its lists, buttons and switches need
    // about 490).
    TiniFile ini(library.dir.File("panels.ini"));
    ini.WriteInteger("PlaylistEditor", "Width", 1000);
    ini.WriteInteger("PlaylistEditor", "Height", 700);
    ini.WriteInteger("PlaylistEditor", "RightPanelWidth", 520);
    TfrmNewPlaylistEditor hidden;
    hidden.LoadSettings(ini, "PlaylistEditor");
    // Never shown: what was read is what is written back, not a collapsed panel.
    TiniFile again(library.dir.File("again.ini"));
    hidden.SaveSettings(again, "PlaylistEditor");
    EXPECT_EQ(again.ReadInteger("PlaylistEditor", "RightPanelWidth", 0), 520);
    hidden.show();
    auto* split = qobject_cast<QSplitter*>(hidden.centralWidget());
    ASSERT_NE(split, nullptr);
    for (int i = 0; i < 50 && std::abs(split->sizes().value(1) - 520) > 8; ++i) QTest::qWait(20);
    EXPECT_NEAR(split->sizes().value(1), 520, 8);
    EXPECT_GT(split->sizes().value(0), 0) << "both panels show";
    // Nothing stored: the layout's own sizes, never a zero-width panel.
    TfrmNewPlaylistEditor plain;
    plain.LoadSettings(TiniFile(library.dir.File("none.ini")), "PlaylistEditor");
    plain.resize(1000, 700);
    plain.show();
    auto* plainSplit = qobject_cast<QSplitter*>(plain.centralWidget());
    for (int i = 0; i < 50 && plainSplit->sizes().value(1) <= 0; ++i) QTest::qWait(20);
    EXPECT_GT(plainSplit->sizes().value(1), 0);
    // A stored size larger than the window leaves the other panel room.
    ini.WriteInteger("PlaylistEditor", "RightPanelWidth", 5000);
    TfrmNewPlaylistEditor wide;
    wide.LoadSettings(ini, "PlaylistEditor");
    wide.show();
    auto* wideSplit = qobject_cast<QSplitter*>(wide.centralWidget());
    for (int i = 0; i < 50 && wideSplit->sizes().value(1) < 500; ++i) QTest::qWait(20);
    EXPECT_GE(wideSplit->sizes().value(0), 60);
    EXPECT_GT(wideSplit->sizes().value(1), 500);
}

TEST_F(PlaylistEditor, StoredSizesThatOverflowAreKeptWithinAScreensReach) {
    for (const char* value : {"-2147483648", "2147483647"}) {
        TiniFile ini(library.dir.File("hostile.ini"));
        for (const char* key : {"Width", "Height", "Left", "Top", "RightPanelWidth", "TrackListHeight",
                                "PLSelectionHeight"})
            ini.WriteString("PlaylistEditor", key, value);
        TfrmNewPlaylistEditor other;
        other.LoadSettings(ini, "PlaylistEditor");
        EXPECT_GE(other.width(), 100);
        EXPECT_LE(other.width(), 32768);
        EXPECT_LE(std::abs(other.x()), 32768);
        EXPECT_LE(std::abs(other.y()), 32768);
    }
}

TEST_F(PlaylistEditor, ATreeRebuildHoldsInputBackAndRunsARequestMadeMeanwhileAfterIt) {
    TfrmTunecrestAbout2 about;
    editor.SetProgressWindow(&about);
    editor.ChoosePlaylist(CollectionRow("Party"));
    editor.lbPlaylist->setCurrentRow(0);
    TaudioTagList& party = *Playlist("Party");
    ASSERT_EQ(party.Count(), 1);
    const int builds = editor.TreeRebuild().Builds();
    // While the tree is rebuilt, the progress window repaints: a person's Delete and a
    // library change that asks for another rebuild are waiting in the queue.
    QCoreApplication::postEvent(editor.lbPlaylist,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier));
    bool nestedWhileBusy = false;
    QMetaObject::invokeMethod(
        &editor,
        [&] {
            nestedWhileBusy = editor.TreeRebuild().Busy();
            editor.UpdatePlaylistTree();
        },
        Qt::QueuedConnection);
    editor.UpdatePlaylistTree();
    EXPECT_TRUE(nestedWhileBusy);
    EXPECT_EQ(party.Count(), 1);  // the Delete never reached the list
    EXPECT_EQ(editor.TreeRebuild().Builds(), builds + 2);
    EXPECT_FALSE(editor.TreeRebuild().Busy());
    EXPECT_NE(test::FindListItem(*editor.tvJukebox, "Gold", true), nullptr);
    EXPECT_EQ(about.Counters().ProgressCount(), 0);
    // Afterwards input flows again.
    QCoreApplication::postEvent(editor.lbPlaylist,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier));
    QCoreApplication::processEvents();
    EXPECT_EQ(party.Count(), 0);
}

}  // namespace
}  // namespace tunecrest
