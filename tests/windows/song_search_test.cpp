// The touch song search: the search itself in each mode (anywhere in the text, without
// regard to case, once per file, media kinds, the track number as a whole number only),
// the mode buttons' cycles, and the window driven through the on-screen keyboard: the
// results narrow with each key, the chosen rows go to the queue, Enter queues nothing,
// and "Play Now" is refused where the queue says so.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <QTest>

#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/keyboard_typing.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/user_input.h"
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

// A library made to trip a narrowed search: short titles from a few letters in both
// cases, spaces, bytes beyond ASCII and empty titles; karaoke and audio tracks; a video
// list with files of the audio library under other titles and files listed twice.
struct GeneratedLibrary {
    test::TempDir dir;
    TlocalJukeboxList lib;
    explicit GeneratedLibrary(int tracks = 1500, int clips = 300) {
        lib.SetDataFolder(dir.Path().string());
        uint32_t seed = 12345;
        auto next = [&seed](uint32_t range) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % range;
        };
        const std::vector<std::string> pieces = {"a", "A", "b", "B", "c", " ", "ab", "Ab", "\xC3\x84", "\xC3\xA4", "-"};
        auto title = [&] {
            std::string t;
            const uint32_t length = next(7);
            for (uint32_t k = 0; k < length; ++k) t += pieces[next(uint32_t(pieces.size()))];
            return t;
        };
        TaudioTagList& global = lib.GlobalList();
        global.BeginUpdate();
        for (int i = 0; i < tracks; ++i) {
            auto tag = MakeLibraryTag("/m/" + std::to_string(i) + ".mp3", title(), title(), title());
            if (next(5) == 0) tag->SetMediaType(mkKaraoke);
            global.Add(tag);
        }
        // The same file twice in the library: both are listed.
        global.Add(MakeLibraryTag("/m/7.mp3", "Again", "Abba Again", ""));
        global.EndUpdate();
        lib.SetVideoSupport(true);
        TaudioTagList& video = lib.VideoList();
        video.BeginUpdate();
        for (int i = 0; i < clips; ++i) {
            // Every third a file of the audio library, every seventh a file listed before.
            const std::string file = i % 3 == 0 ? "/m/" + std::to_string(i) + ".mp3"
                                     : i % 7 == 0 ? "/v/" + std::to_string(i - 1) + ".mp4"
                                                  : "/v/" + std::to_string(i) + ".mp4";
            auto clip = MakeLibraryTag(file, title(), title(), "");
            clip->SetMediaType(next(2) ? mkVideo : mkKaraoke);
            video.Add(clip);
        }
        video.EndUpdate();
    }
};

// The result a search made from nothing gives.
std::vector<TaudioTagPtr> FreshResults(TcustomJukeboxList& lib, int mode, int fileType, const std::string& text) {
    TsongSearch fresh;
    fresh.UseTrackIndex = true;
    fresh.SetLibrary(&lib);
    fresh.SetSearchMode(mode);
    fresh.SetFileTypeMode(fileType);
    fresh.Search(text);
    return fresh.Results();
}

TEST(SongSearchNarrowing, EveryKeyGivesWhatAFullSearchGivesInTheSameOrder) {
    GeneratedLibrary g;
    TsongSearch search;
    search.UseTrackIndex = true;
    search.SetLibrary(&g.lib);
    uint32_t seed = 99;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const std::string letters = "aAbBc -\xC3";
    std::string text;
    int narrowed = 0, fresh = 0;
    for (int step = 0; step < 600; ++step) {
        const uint32_t action = next(20);
        const std::string before = text;
        const int modeBefore = search.SearchMode(), typeBefore = search.FileTypeMode();
        if (action < 13 || text.empty()) {
            text += letters[next(uint32_t(letters.size()))];
        } else if (action < 16) {
            text.pop_back();
        } else if (action < 17) {
            text.insert(text.begin(), letters[next(uint32_t(letters.size()))]);  // grows at the front
        } else if (action < 18) {
            search.SetSearchMode(int(next(3)));
        } else if (action < 19) {
            search.SetFileTypeMode(int(next(4)));
        } else {
            text.clear();
        }
        if (text.size() > 5) text.erase(0, 3);  // keep the texts short enough to match
        search.Search(text);
        const std::vector<TaudioTagPtr> expected =
            FreshResults(g.lib, search.SearchMode(), search.FileTypeMode(), text);
        ASSERT_EQ(search.Results(), expected) << "step " << step << " text '" << text << "' mode "
                                              << search.SearchMode() << " type " << search.FileTypeMode();
        ASSERT_EQ(search.ResultCount(), int(expected.size()));
        const bool grew = !before.empty() && text.find(before) != std::string::npos &&
                          modeBefore == search.SearchMode() && typeBefore == search.FileTypeMode();
        EXPECT_EQ(search.LastSearchNarrowed(), grew) << "step " << step;
        (search.LastSearchNarrowed() ? narrowed : fresh)++;
    }
    // Both roads were taken often.
    EXPECT_GT(narrowed, 100);
    EXPECT_GT(fresh, 50);
}

TEST(SongSearchNarrowing, AVideoTrackHiddenByItsAudioTwinComesBackWhenOnlyItMatches) {
    Library l;  // "/m/crab/1.mp3" is "Crab Walk" in both lists
    l.lib.VideoList().Add(MakeLibraryTag("/m/abba/1.mp3", "ABBA", "Dancing Clip", ""));
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("danc");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Dancing Queen"}));
    search.Search("dancing c");
    EXPECT_TRUE(search.LastSearchNarrowed());
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Dancing Clip"}));
    search.Search("dancing cl");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Dancing Clip"}));
    // Shorter again: a full search, the audio track first and its twin not listed.
    search.Search("danc");
    EXPECT_FALSE(search.LastSearchNarrowed());
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Dancing Queen"}));
    // Only an earlier track that is itself among the results hides its twin: searching
    // videos, the audio track of the same file and title hides nothing.
    auto clip = MakeLibraryTag("/m/abba/2.mp3", "ABBA", "Knowing Me", "");
    clip->SetMediaType(mkVideo);
    l.lib.VideoList().Add(clip);
    search.SetFileTypeMode(sftVideo);
    search.Search("knowing");
    ASSERT_EQ(search.ResultCount(), 1);
    EXPECT_EQ(search.Result(0), clip);
    search.SetFileTypeMode(sftAll);
    search.Search("knowing");
    ASSERT_EQ(search.ResultCount(), 1);
    EXPECT_EQ(search.Result(0), l.lib.GlobalList().GetTag(1)) << "the audio track first, its twin not listed";
}

TEST(SongSearchNarrowing, AChangedLibraryIsSearchedAgainNotNarrowed) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("cr");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk"}));
    l.lib.GlobalList().Add(MakeLibraryTag("/m/crane.mp3", "Birds", "Crane Song", ""));
    search.Search("cra");
    EXPECT_FALSE(search.LastSearchNarrowed());
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk", "Crane Song"}));
    // An edit of a title, made the library's way, is found at the next key.
    const TaudioTagPtr values = l.lib.GlobalList().GetTag(0)->Clone();
    values->SetTitle("Crazy Queen");
    l.lib.EditTrack(l.lib.GlobalList().GetTag(0), *values);
    search.Search("craz");
    EXPECT_FALSE(search.LastSearchNarrowed());
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crazy Queen"}));
    // A removed track is no longer found, and rows past the end are none.
    l.lib.GlobalList().Delete(0);
    search.Search("crazy");
    EXPECT_EQ(search.ResultCount(), 0);
    EXPECT_EQ(search.Result(0), nullptr);
    EXPECT_EQ(search.Result(-1), nullptr);
    // One clip of the video list put in place of another (the same length) is searched
    // in the list as it is now.
    search.Search("fab");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Fab Clip"}));
    auto other = MakeLibraryTag("/v/other.mp4", "Vid", "Fun Clip", "");
    other->SetMediaType(mkVideo);
    TaudioTagList& video = l.lib.VideoList();
    const int clips = video.Count();
    video.BeginUpdate();
    video.Delete(0);
    video.Add(other);
    video.EndUpdate();
    ASSERT_EQ(video.Count(), clips);
    search.Search("fun");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Fun Clip"}));
    search.Search("fab");
    EXPECT_TRUE(search.Results().empty());
}

// Artists and albums are narrowed by their places in the groupings: a change of the library
// moves those places, so the next key searches every group again.
TEST(SongSearchNarrowing, ArtistsAndAlbumsOfAChangedLibraryAreSearchedAgain) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    int added = 0;
    for (int mode : {ssmArtist, ssmAlbum}) {
        search.SetSearchMode(mode);
        search.Search("a");
        EXPECT_GT(search.ResultCount(), 0);
        // A group sorted before every other one.
        const std::string n = std::to_string(added++);
        l.lib.GlobalList().Add(
            MakeLibraryTag("/m/aa" + n + ".mp3", "Aaa Abbott " + n, "New Song " + n, "Aaa Abbey " + n));
        search.Search("ab");
        EXPECT_FALSE(search.LastSearchNarrowed()) << mode;
        const std::vector<TaudioTagPtr> fresh = FreshResults(l.lib, mode, sftAll, "ab");
        EXPECT_EQ(search.Results(), fresh) << mode;
        const Titles titles = ResultTitles(search.Results());
        EXPECT_NE(std::find(titles.begin(), titles.end(), "New Song " + n), titles.end()) << mode;
        // Narrowing again once nothing changed.
        search.Search("abb");
        EXPECT_TRUE(search.LastSearchNarrowed()) << mode;
        EXPECT_EQ(search.Results(), FreshResults(l.lib, mode, sftAll, "abb")) << mode;
    }
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

// A keyboard without accented keys reaches accented names: letters match without their
// accents (and without regard to case) in every mode, typed either way.
TEST(SongSearch, LettersMatchWithoutTheirAccentsInEveryMode) {
    Library l;
    l.lib.GlobalList().Add(
        MakeLibraryTag("/m/bulles.mp3", "Ch\xC3\xA9rie \xC3\x89lan", "Bulles gel\xC3\xA9" "es", "Stra\xC3\x9F" "e"));
    l.lib.GlobalList().Add(MakeLibraryTag("/m/gel.mp3", "Gel Band", "Gelees Royales", "Plain"));
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("gelees");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es", "Gelees Royales"}));
    search.Search("GEL\xC3\x89" "ES");  // typed with the accent, on a real keyboard
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es", "Gelees Royales"}));
    search.Search("bulles gelee");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es"}));
    search.SetSearchMode(ssmArtist);
    search.Search("elan");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es"}));
    search.Search("CHERIE E");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es"}));
    search.SetSearchMode(ssmAlbum);
    search.Search("strasse");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Bulles gel\xC3\xA9" "es"}));
    // Names without accents still match as ever, and a text that is not there finds nothing.
    search.Search("shell");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk"}));
    search.Search("strase");
    EXPECT_TRUE(search.Results().empty());
}

// The results name the library's own tracks: once the library changes, rows the search has
// not made again are none (never another track, never a freed one), and the next search
// finds what is there.
// The copies made a run at a time (as the window makes them between its other work): the
// library changed between two runs (a track removed, one added, a title and an album edited)
// gives the copies of the library as it is at the end, and every mode then searches without
// making a copy, finding what a search made from nothing finds, in the same order.
TEST(SongSearchInRuns, CopiesMadeARunAtATimeFollowTheLibraryThroughItsChanges) {
    GeneratedLibrary g(20000, 300);
    TsongSearch search;
    search.UseTrackIndex = true;
    search.SetLibrary(&g.lib);
    const auto gone = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    EXPECT_FALSE(search.IndexReady());
    ASSERT_FALSE(search.PrepareIndexSome(gone)) << "20,000 titles are more than one run";
    EXPECT_FALSE(search.IndexReady());
    TaudioTagList& global = g.lib.GlobalList();
    global.Delete(0);
    global.Add(MakeLibraryTag("/m/new.mp3", "Newcomer", "Abba Abba", "Brand New"));
    const TaudioTagPtr values = global.GetTag(10)->Clone();
    values->SetTitle("Ab Ab Ab");
    values->SetAlbum("Ab Album");
    g.lib.EditTrack(global.GetTag(10), *values);
    int runs = 1;
    while (!search.PrepareIndexSome(gone)) {
        ASSERT_LT(++runs, 1000);
        if (runs == 3) global.Delete(5);  // a change while the groups are made
    }
    EXPECT_GT(runs, 3);
    for (int mode : {ssmTitle, ssmArtist, ssmAlbum}) {
        search.SetSearchMode(mode);
        EXPECT_TRUE(search.IndexReady()) << mode;
        for (int fileType : {sftAll, sftKaraoke}) {
            search.SetFileTypeMode(fileType);
            for (const std::string text : {"ab", "Ab A", "a", "\xC3\xA4", "zz"}) {
                search.Search(text);
                EXPECT_EQ(search.Results(), FreshResults(g.lib, mode, fileType, text))
                    << "mode " << mode << " type " << fileType << " text " << text;
            }
        }
    }
}

// The title results name places in the copy they were found in: once a copy of the changed
// library takes its place, they are gone (no row names another track) until the text is
// searched again.
TEST(SongSearchInRuns, TitleResultsGoWithTheirCopy) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("ab");
    ASSERT_EQ(search.ResultCount(), 4);
    l.lib.GlobalList().Insert(MakeLibraryTag("/m/first.mp3", "Zed", "Zebra", ""), 0);
    EXPECT_TRUE(search.ResultsStale());
    EXPECT_TRUE(search.PrepareIndexSome(std::chrono::steady_clock::time_point::max()));
    EXPECT_EQ(search.ResultCount(), 0);
    EXPECT_EQ(search.Result(0), nullptr);
    search.Search("ab");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk", "LAB rat", "Sing Along Abc", "Fab Clip"}));
}

TEST(SongSearch, ResultsOfAChangedLibraryAreSearchedAgain) {
    Library l;
    TsongSearch search;
    search.SetLibrary(&l.lib);
    search.Search("a");
    ASSERT_GT(search.ResultCount(), 2);
    EXPECT_FALSE(search.ResultsStale());
    l.lib.GlobalList().Delete(0);
    EXPECT_TRUE(search.ResultsStale());
    EXPECT_EQ(search.Result(0), nullptr);
    search.Search("a");
    EXPECT_FALSE(search.ResultsStale());
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Crab Walk", "LAB rat", "Sing Along Abc", "Fab Clip"}));
    search.SetSearchMode(ssmAlbum);
    search.Search("arriv");
    EXPECT_EQ(ResultTitles(search.Results()), (Titles{"Knowing Me"}));
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
    // The library keeps track index numbers: the window offers the "Index" mode by itself.
    EXPECT_FALSE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    EXPECT_EQ(counts, (std::vector<int>{5, 4, 1, 0, 4, 2, 0, 1}));
    EXPECT_EQ(mode, ssmIndex);
    EXPECT_TRUE(queue.added.empty());
}

// A library whose tracks carry no track index: the mode button offers three modes, and a
// mode handed in from before falls back to Title.
TEST_F(SongSearchWindow, WithoutTrackIndexesTheIndexModeIsNotOffered) {
    for (int i = 0; i < l.lib.GlobalList().Count(); ++i) l.lib.GlobalList().GetTag(i)->SetTrackIndex(0);
    EXPECT_FALSE(LibraryKeepsTrackIndexes(l.lib));
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_EQ(w.btnSearchMode->Caption(), "Title");
        std::vector<std::string> captions;
        for (int i = 0; i < 3; ++i) {
            Press(w.btnSearchMode);
            captions.push_back(w.btnSearchMode->Caption());
        }
        EXPECT_EQ(captions, (std::vector<std::string>{"Artist", "Album", "Title"}));
        Press(w.btnCancel);
    });
    int mode = ssmIndex;
    EXPECT_FALSE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    EXPECT_EQ(mode, ssmTitle);
}

TEST_F(SongSearchWindow, TheKeyboardWithoutAccentsReachesAccentedTitles) {
    l.lib.GlobalList().Add(MakeLibraryTag("/m/bulles.mp3", "Cherie", "Bulles gel\xC3\xA9" "es", ""));
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        TypeOnKeyboard("GELEES");
        ASSERT_EQ(w.lbResults->Count(), 1);
        w.lbResults->SetSelected(0, true);
        Press(w.btnAddClose);
    });
    int mode = ssmTitle;
    EXPECT_TRUE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
    EXPECT_EQ(queue.added, (Titles{"Bulles gel\xC3\xA9" "es"}));
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

// A tap on a result gives the list the focus; typing then goes on into the search text,
// Backspace too, while the arrow keys move in the list.
TEST_F(SongSearchWindow, AfterATapOnTheResultsTypingGoesOnIntoTheText) {
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        TypeOnKeyboard("A");
        ASSERT_EQ(w.lbResults->Count(), 5);
        test::TapRow(*w.lbResults, 1);
        ASSERT_EQ(QApplication::focusWidget(), w.lbResults);
        test::PressKey(w, Qt::Key_Down);
        EXPECT_EQ(w.lbResults->ItemIndex(), 2) << "the arrows stay with the list";
        test::PressKeys(w, QKeySequence("B,C"));
        EXPECT_EQ(w.edSearch->text().toStdString(), "Abc");
        EXPECT_EQ(w.lbResults->Count(), 1);
        test::TapRow(*w.lbResults, 0);
        test::PressKey(w, Qt::Key_Backspace);
        EXPECT_EQ(w.edSearch->text().toStdString(), "Ab");
        EXPECT_EQ(w.lbResults->Count(), 4);
        Press(w.btnCancel);
    });
    int mode = ssmTitle;
    EXPECT_FALSE(ShowSongSearch(&l.lib, &queue, sswAdd, mode));
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

namespace tunecrest {
namespace {

// A large library: the window opens without making its copies, a key typed meanwhile waits
// for them with an empty list (not the results of an earlier text), and then shows what a
// search made from nothing shows; a mode whose copy is still being made waits likewise.
TEST_F(SongSearchWindow, ALargeLibraryOpensAtOnceAndKeysWaitForTheCopies) {
    GeneratedLibrary g(50000, 10);
    runner->Push([&](QDialog& d) {
        TfrmSongSearch2& w = Window(d);
        EXPECT_FALSE(w.Search().IndexReady()) << "the opening made the copies";
        TypeOnKeyboard("AB");
        if (w.SearchPending()) {
            EXPECT_EQ(w.lbResults->Count(), 0);
        }
        ASSERT_TRUE(test::Pump([&] { return !w.SearchPending(); }, 60000));
        EXPECT_EQ(w.Search().Results(), FreshResults(g.lib, ssmTitle, sftAll, "AB"));
        EXPECT_EQ(w.lbResults->Count(), w.Search().ResultCount());
        EXPECT_GT(w.lbResults->Count(), 100);
        Press(w.btnSearchMode);  // Artist
        Press(w.btnSearchMode);  // Album
        ASSERT_TRUE(test::Pump([&] { return !w.SearchPending(); }, 60000));
        EXPECT_EQ(w.Search().SearchMode(), ssmAlbum);
        EXPECT_EQ(w.Search().Results(), FreshResults(g.lib, ssmAlbum, sftAll, "AB"));
        EXPECT_EQ(w.lbResults->Count(), w.Search().ResultCount());
        Press(w.btnCancel);
    });
    int mode = ssmTitle;
    EXPECT_FALSE(ShowSongSearch(&g.lib, &queue, sswAdd, mode));
}

}  // namespace
}  // namespace tunecrest
