// The touch song search: the search itself in each mode (anywhere in the text, without
// regard to case, once per file, media kinds, the track number as a whole number only),
// the mode buttons' cycles, and the window driven through the on-screen keyboard: the
// results narrow with each key, the chosen rows go to the queue, Enter queues nothing,
// and "Play Now" is refused where the queue says so.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "core/global_prefs.h"
#include "core/jukebox_list.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/keyboard_typing.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/search/song_search_form.h"

namespace tunecrest {
namespace {

using test::MakeLibraryTag;
using test::Press;
using test::TypeOnKeyboard;
using Titles = std::vector<std::string>;

Titles ResultTitles(const std::vector<TaudioTagPtr>& results) {
    Titles out;
    for (const auto& tag : results) out.push_back(tag->Title());
    return out;
}

struct Library {
    test::TempDir dir;
    TlocalJukeboxList lib;
    Library() {
        lib.SetDataFolder(dir.Path().string());
        TaudioTagList& global = lib.GlobalList();
        global.BeginUpdate();
        global.Add(MakeLibraryTag("/m/abba/1.mp3", "ABBA", "Dancing Queen", "Arrival"));
        global.Add(MakeLibraryTag("/m/abba/2.mp3", "ABBA", "Knowing Me", "Arrival"));
        global.Add(MakeLibraryTag("/m/crab/1.mp3", "Crab Band", "Crab Walk", "Shells"));
        global.Add(MakeLibraryTag("/m/lab/1.mp3", "The Lab", "LAB rat", ""));
        global.Add(MakeLibraryTag("/m/sing/1.kar", "Singers", "Sing Along Abc", "Karaoke Night"));
        global.GetTag(4)->SetMediaType(mkKaraoke);
        global.EndUpdate();
        // The numbers the scan gives: each track its place in the list.
        for (int i = 0; i < global.Count(); ++i) global.GetTag(i)->SetTrackIndex(i + 1);
        lib.SetVideoSupport(true);
        auto clip = MakeLibraryTag("/v/clip.mp4", "Vid", "Fab Clip", "");
        clip->SetMediaType(mkVideo);
        lib.VideoList().Add(clip);
        // The same file as a track of the audio library: listed once.
        lib.VideoList().Add(MakeLibraryTag("/m/crab/1.mp3", "Crab Band", "Crab Walk", "Shells"));
    }
};

TEST(SongSearch, TitleAnywhereWithoutRegardToCaseOncePerFile) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("ab");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk", "LAB rat", "Sing Along Abc", "Fab Clip"}));
    search.Search("");
    EXPECT_TRUE(search.Results().empty());
    search.SetFileTypeMode(sftKaraoke);
    search.Search("a");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Sing Along Abc"}));
    search.SetFileTypeMode(sftVideo);
    search.Search("a");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Fab Clip"}));
    search.SetLibrary(nullptr);
    search.Search("a");
    EXPECT_TRUE(search.Results().empty());
}

TEST(SongSearch, ArtistAlbumAndTrackNumberModes) {
    Library l;
    TsongSearch search;
    search.UseTrackIndex = true;
    search.SetLibrary(&l.lib);
    search.SetSearchMode(ssmArtist);
    search.Search("abb");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Dancing Queen", "Knowing Me"}));
    search.SetSearchMode(ssmAlbum);
    search.Search("SHELL");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk"}));
    search.SetSearchMode(ssmIndex);
    search.Search("3");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk"}));
    // Not a whole number: nothing, not the tracks numbered 0.
    l.lib.GlobalList().GetTag(0)->SetTrackIndex(0);
    for (const char* text : {"x", "3a", "-", "99999999999999"}) {
        search.Search(text);
        EXPECT_TRUE(search.Results().empty()) << text;
    }
}

TEST(SongSearch, ModeButtonsCycleThroughTheModesAllowed) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        seen.push_back(SongSearchModeCaption(search.SearchMode()));
        search.NextSearchMode();
    }
    EXPECT_EQ(seen, (Titles{"Title", "Artist", "Album", "Title"})) << "no track numbers: three modes";
    search.UseTrackIndex = true;
    search.SetSearchMode(ssmIndex);
    EXPECT_EQ(search.SearchMode(), ssmIndex);
    search.NextSearchMode();
    EXPECT_EQ(search.SearchMode(), ssmTitle);

    seen.clear();
    for (int i = 0; i < 5; ++i) {
        seen.push_back(SongFileTypeCaption(search.FileTypeMode()));
        search.NextFileTypeMode();
    }
    EXPECT_EQ(seen, (Titles{"Search  All", "Search Audio", "Search Karaoke", "Search Video", "Search  All"}));
    l.lib.SetVideoSupport(false);
    search.SetLibrary(&l.lib);
    search.SetFileTypeMode(sftVideo);
    EXPECT_EQ(search.FileTypeMode(), sftAll) << "no video support: three modes";
    search.SetFileTypeMode(sftKaraoke);
    search.NextFileTypeMode();
    EXPECT_EQ(search.FileTypeMode(), sftAll);
}

struct RecordingQueue : TsongSearchQueue {
    int AddTracks(const std::vector<TaudioTagPtr>& tracks) override {
        for (const auto& t : tracks) added.push_back(t->Title());
        return int(tracks.size());
    }
    bool CanPlayNow() const override { return canPlayNow; }
    bool PlayNow(const TaudioTagPtr& track) override {
        played.push_back(track->Title());
        return true;
    }
    Titles added, played;
    bool canPlayNow = true;
};

TfrmSongSearch2& Window(QDialog& d) {
    return dynamic_cast<TfrmSongSearch2&>(d);
}

struct SongSearchWindow : ::testing::Test {
    void SetUp() override {
        test::App();
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    }
    Library l;
    RecordingQueue queue;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(SongSearchWindow, KeysNarrowTheResultsInEachModeAndTheModeIsHandedBack) {
    std::vector<int> counts;
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_EQ(w.windowTitle().toStdString(), "Song Search");
        EXPECT_TRUE(w.pnlKeyboard->isAncestorOf(&Keyboard()));
        EXPECT_EQ(w.btnSearchMode->Caption(), "Title");
        TypeOnKeyboard("A");
        counts.push_back(w.lbResults->Count());
        TypeOnKeyboard("B");
        counts.push_back(w.lbResults->Count());
        TypeOnKeyboard("C");
        counts.push_back(w.lbResults->Count());
        Press(w.btnSearchMode);  // Artist: the text stays, the search runs again
        EXPECT_EQ(w.btnSearchMode->Caption(), "Artist");
        counts.push_back(w.lbResults->Count());
        TypeOnKeyboard(std::string(1, char(kKeyBackspace)));
        TypeOnKeyboard(std::string(1, char(kKeyBackspace)));
        EXPECT_EQ(w.edSearch->text().toStdString(), "A");
        counts.push_back(w.lbResults->Count());
        Press(w.btnSearchMode);  // Album
        TypeOnKeyboard("RRIVAL");
        counts.push_back(w.lbResults->Count());
        Press(w.btnSearchMode);  // Index
        EXPECT_EQ(w.btnSearchMode->Caption(), "Index");
        counts.push_back(w.lbResults->Count());  // "ARRIVAL" is no number
        Keyboard().DeliverKey(kKeyClear);
        TypeOnKeyboard("2");
        counts.push_back(w.lbResults->Count());
        Press(w.btnCancel);
    });
    int mode = ssmTitle;
    SongSearch2().Search().UseTrackIndex = true;
    EXPECT_FALSE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    SongSearch2().Search().UseTrackIndex = false;
    EXPECT_EQ(counts, (std::vector<int>{5, 4, 1, 0, 4, 2, 0, 1}));
    EXPECT_EQ(mode, ssmIndex);
    EXPECT_TRUE(queue.added.empty());
}

TEST_F(SongSearchWindow, AddingQueuesTheSelectedRowsInOrderAndEnterQueuesNothing) {
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_FALSE(w.btnPlayNow->isVisible());
        TypeOnKeyboard("AB");
        ASSERT_EQ(w.lbResults->Count(), 4);
        w.lbResults->SetSelected(2, true);
        w.lbResults->SetSelected(0, true);
        Press(w.btnAddContinue);
        EXPECT_TRUE(w.edSearch->text().isEmpty());
        EXPECT_EQ(w.lbResults->Count(), 0);
        EXPECT_TRUE(w.isVisible());
        TypeOnKeyboard("QUEEN");
        Press(w.btnSelectAll);
        Press(w.btnAddClose);
    });
    int mode = ssmTitle;
    EXPECT_TRUE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    EXPECT_EQ(queue.added, (Titles{"Crab Walk", "Sing Along Abc", "Dancing Queen"}));

    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        TypeOnKeyboard("AB");
        w.lbResults->SetSelected(1, true);
        QTest::keyClick(w.edSearch, Qt::Key_Return);
    });
    EXPECT_TRUE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    EXPECT_EQ(queue.added.size(), 3u) << "Enter closes without queueing";
    EXPECT_FALSE(ShowSongSearch(nullptr, &queue, sswAdd, mode)) << "no library: nothing shown";
    EXPECT_EQ(runner->Pending(), 0);
}

TEST_F(SongSearchWindow, PlayNowTakesTheOneSelectedRowUnlessRefused) {
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_FALSE(w.btnAddContinue->isVisible());
        EXPECT_FALSE(w.lbResults->MultiSelect);
        TypeOnKeyboard("KNOW");
        w.lbResults->SetItemIndex(0);
        w.lbResults->SetSelected(0, true);
        Press(w.btnPlayNow);
    });
    int mode = ssmTitle;
    EXPECT_TRUE(ShowSongSearch(&l.lib, &queue, sswPlayNow, mode));
    EXPECT_EQ(queue.played, (Titles{"Knowing Me"}));

    queue.canPlayNow = false;
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_FALSE(w.btnPlayNow->isEnabled());
        TypeOnKeyboard("KNOW");
        w.lbResults->SetItemIndex(0);
        w.lbResults->SetSelected(0, true);
        w.PlayNowPressed();
        EXPECT_TRUE(w.isVisible());
        Press(w.btnCancel);
    });
    EXPECT_FALSE(ShowSongSearch(&l.lib, &queue, sswPlayNow, mode));
    EXPECT_EQ(queue.played.size(), 1u);
}

}  // namespace
}  // namespace tunecrest
