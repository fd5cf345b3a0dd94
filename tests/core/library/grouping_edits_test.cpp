// Edited and removed tracks are moved in the groupings by themselves: the groupings come
// out byte for byte as filing every track anew gives them, only the groupings that
// changed report a change, and anything the library cannot be sure of is filed anew.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/base/services.h"
#include "core/library/jukebox_list.h"
#include "core/library/jukebox_loader.h"
#include "tests/support/groupings_image.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::GroupingsImage;
using test::LibraryTrack;
using test::MakeLibraryTag;

// A library of 300 tracks with its notices counted: a full filing reports progress,
// a filing of the changed tracks does not.
class GroupingEdits : public ::testing::Test {
  protected:
    void SetUp() override {
        Flib = std::make_unique<TlocalJukeboxList>();
        Flib->GlobalList().BeginUpdate();
        for (int i = 0; i < 300; ++i) Flib->GlobalList().Add(LibraryTrack(i));
        // Two artists of their own and an album of two discs' names in another folder.
        Flib->GlobalList().Add(
            MakeLibraryTag("/x/solo/1.mp3", "Soloist", "Quiet", "Alone", "Folk", "1971", 1));
        Flib->GlobalList().Add(
            MakeLibraryTag("/x/solo/2.mp3", "Soloist", "Loud", "Alone", "Folk", "1971", 2));
        Flib->GlobalList().Add(MakeLibraryTag("/x/duo/1.mp3", "Duo", "Zeal", "Album 1", "Folk", "1972", 1));
        Flib->GlobalList().EndUpdate();
        Fevents.OnListProcess = [this](TObject*, int, int, const TaudioTagPtr&) { ++Fprogress; };
        Flib->SetEvents(&Fevents);
        const std::pair<const char*, TaudioTagListList*> groupings[] = {{"albums", &Flib->AlbumList()},
                                                                        {"artists", &Flib->ArtistList()},
                                                                        {"titles", &Flib->TitleList()},
                                                                        {"genres", &Flib->GenreList()},
                                                                        {"years", &Flib->YearList()}};
        for (const auto& [name, grouping] : groupings)
            grouping->OnChange = [this, name = std::string(name)](TObject*) { ++Fnotices[name]; };
    }
    void TearDown() override { Flib->SetEvents(nullptr); }

    TaudioTagPtr Track(const std::string& file) const {
        for (const auto& tag : Flib->GlobalList().Items())
            if (tag->Filename() == file) return tag;
        return nullptr;
    }
    // Edits a copy of the track and hands it to the library.
    template <typename Edit>
    void EditTrack(const TaudioTagPtr& tag, Edit edit) {
        const TaudioTagPtr values = tag->Clone();
        edit(*values);
        Flib->EditTrack(tag, *values);
    }
    // The groupings now, then after filing every track anew: equal, and each track is
    // found in its album by the lookup that files tracks.
    void ExpectAsRefiled(const char* what) {
        SCOPED_TRACE(what);
        const std::string incremental = GroupingsImage(*Flib);
        for (const auto& tag : Flib->GlobalList().Items()) {
            if (tag->Album().empty()) continue;
            const auto album = Flib->AlbumList().FindAlbumFor(*tag);
            ASSERT_TRUE(album && album->IndexOf(tag.get()) >= 0) << tag->Filename();
        }
        // Every grouping and member is out of its update bracket.
        const auto closed = [](const TaudioTagListList& grouping) {
            if (grouping.UpdateCount() != 0) return false;
            for (int i = 0; i < grouping.Count(); ++i)
                if (grouping.GetList(i)->UpdateCount() != 0) return false;
            return true;
        };
        EXPECT_TRUE(closed(Flib->AlbumList()) && closed(Flib->ArtistList()) && closed(Flib->TitleList()));
        for (auto* categories : {static_cast<TaudioTagCategoryList*>(&Flib->GenreList()),
                                 static_cast<TaudioTagCategoryList*>(&Flib->YearList())}) {
            EXPECT_TRUE(closed(*categories));
            for (int c = 0; c < categories->Count(); ++c)
                EXPECT_TRUE(closed(categories->GetCategory(c)->Albums()) &&
                            closed(categories->GetCategory(c)->Artists()))
                    << categories->GetCategory(c)->Title();
        }
        EXPECT_EQ(Flib->FileIndex().UpdateCount(), 0);
        const int progress = Fprogress;
        Flib->ReprocessTags();
        EXPECT_EQ(GroupingsImage(*Flib), incremental);
        Fprogress = progress;
    }
    void Reset() {
        Fnotices.clear();
        Fprogress = 0;
    }
    std::map<std::string, int> Notices() const {
        std::map<std::string, int> out;
        for (const auto& [name, count] : Fnotices)
            if (count) out[name] = count;
        return out;
    }

    std::unique_ptr<TlocalJukeboxList> Flib;
    TcustomJukeboxListEvents Fevents;
    std::map<std::string, int> Fnotices;
    int Fprogress = 0;
};

using Counts = std::map<std::string, int>;

TEST_F(GroupingEdits, EditsOfOneFieldMoveTheTrackOnlyWhereThatFieldFilesIt) {
    const TaudioTagPtr tag = Track("/m/3/3/3.mp3");  // Artist 3, "Album 3", no genre, 1990, track 3
    Reset();
    // A comment files nowhere: no grouping changes.
    EditTrack(tag, [](TaudioTag& t) { t.SetComment("live"); });
    EXPECT_EQ(Notices(), Counts());
    EXPECT_EQ(Fprogress, 0);
    // The year moves it between years only (a new year, and back: 1990 keeps others).
    EditTrack(tag, [](TaudioTag& t) { t.SetDate("2024-05-01"); });
    EXPECT_EQ(Notices(), Counts({{"years", 1}}));
    EXPECT_EQ(Fprogress, 0);
    ExpectAsRefiled("year");
    Reset();
    EditTrack(tag, [](TaudioTag& t) { t.SetGenreString("Ska"); });
    EXPECT_EQ(Notices(), Counts({{"genres", 1}}));
    ExpectAsRefiled("new genre");
    Reset();
    // A genre of another case joins the genre without renaming it.
    EditTrack(tag, [](TaudioTag& t) { t.SetGenreString("jazz"); });
    EXPECT_EQ(Notices(), Counts({{"genres", 1}}));
    ExpectAsRefiled("genre of another case");
    Reset();
    // A title under another letter: its album, letter, genre and year order change,
    // its artist (in library order) does not.
    EditTrack(tag, [](TaudioTag& t) { t.SetTitle("Queen of the night"); });
    EXPECT_EQ(Notices(), Counts({{"albums", 1}, {"genres", 1}, {"titles", 1}, {"years", 1}}));
    EXPECT_EQ(Fprogress, 0);
    ExpectAsRefiled("title letter");
    Reset();
    EditTrack(tag, [](TaudioTag& t) { t.SetTrackNo(1); });
    EXPECT_EQ(Notices(), Counts({{"albums", 1}, {"genres", 1}, {"years", 1}}));
    ExpectAsRefiled("track number");
    EXPECT_EQ(Fprogress, 0);
}

// An artist whose first track now spells the name otherwise takes that spelling, in
// the display names too; a new artist's name is added to them.
TEST_F(GroupingEdits, ArtistsRespeltOrAddedShowTheirNamesAsAFullFilingWould) {
    EditTrack(Track("/x/solo/1.mp3"), [](TaudioTag& t) { t.SetArtist("SOLOIST"); });
    EXPECT_TRUE(Flib->ArtistList().FindArtist("SOLOIST"));
    EXPECT_GE(Flib->ArtistList().DisplayNames().IndexOf("SOLOIST"), 0);
    ExpectAsRefiled("respelt");
    EditTrack(Track("/x/solo/2.mp3"), [](TaudioTag& t) { t.SetArtist("The Newcomers"); });
    EXPECT_GE(Flib->ArtistList().DisplayNames().IndexOf("The Newcomers"), 0);
    ExpectAsRefiled("added");
    EXPECT_EQ(Fprogress, 0);
}

TEST_F(GroupingEdits, ArtistAndAlbumEditsMakeAndBreakCompilationsAsAFullFilingWould) {
    const TaudioTagPtr guest = Track("/m/4/4/39.mp3");  // Artist 4 on "Album 4" of /m/4/4/
    const auto artistOfAlbum = [&](const TaudioTagPtr& tag) {
        return Flib->AlbumList().FindAlbumFor(*tag)->AlbumArtist;
    };
    ASSERT_EQ(artistOfAlbum(guest), "Artist 4");
    Reset();
    EditTrack(guest, [](TaudioTag& t) { t.SetArtist("Guest Star"); });
    EXPECT_EQ(artistOfAlbum(guest), "[Compilations]");
    EXPECT_EQ(Fprogress, 0);
    EXPECT_EQ(Notices(), Counts({{"albums", 1}, {"artists", 1}, {"genres", 1}, {"years", 1}}));
    ExpectAsRefiled("compilation made");
    EditTrack(guest, [](TaudioTag& t) { t.SetArtist("artist 4"); });  // the same artist, another case
    EXPECT_EQ(artistOfAlbum(guest), "Artist 4");
    ExpectAsRefiled("compilation broken");
    // The album's first track in library order names it and its artist.
    const TaudioTagPtr first = Track("/m/4/4/4.mp3");
    EditTrack(first, [](TaudioTag& t) {
        t.SetAlbum("ALBUM 4");
        t.SetArtist("Newcomer");
    });
    EXPECT_EQ(Flib->AlbumList().FindAlbumFor(*first)->Title(), "ALBUM 4");
    EXPECT_EQ(artistOfAlbum(first), "[Compilations]");
    ExpectAsRefiled("first track renamed");
    // Moved to an album of the same title in another folder, of which it becomes the
    // first track: albums of one title stay in the order of their first tracks.
    EditTrack(first, [](TaudioTag& t) {
        t.SetFilename("/x/duo/3.mp3");
        t.SetAlbum("Album 1");
    });
    EXPECT_EQ(artistOfAlbum(first), "[Compilations]");
    ExpectAsRefiled("moved to another folder");
    // An album of its own, alone, whose title others have.
    EditTrack(Track("/x/duo/1.mp3"), [](TaudioTag& t) { t.SetAlbum("Album 4"); });
    ExpectAsRefiled("album of a title others have");
    EXPECT_EQ(Fprogress, 0);
    // The last track of an artist takes another artist: the artist goes.
    EditTrack(Track("/x/duo/1.mp3"), [](TaudioTag& t) { t.SetArtist("Soloist"); });
    EXPECT_FALSE(Flib->ArtistList().FindArtist("Duo"));
    ExpectAsRefiled("artist emptied");
    EXPECT_EQ(Fprogress, 0);
}

TEST_F(GroupingEdits, RemovalsShiftPositionsAndDropEmptiedEntries) {
    Reset();
    Flib->GlobalList().Delete(0);
    EXPECT_EQ(Fprogress, 0);
    EXPECT_EQ(Notices(), Counts({{"albums", 1}, {"artists", 1}, {"genres", 1}, {"titles", 1}, {"years", 1}}));
    ExpectAsRefiled("first");
    Flib->GlobalList().Delete(150);
    ExpectAsRefiled("middle");
    Flib->GlobalList().Delete(Flib->GlobalList().Count() - 1);  // Duo's only track: artist, album, "Z" go
    EXPECT_FALSE(Flib->ArtistList().FindArtist("Duo"));
    ExpectAsRefiled("last");
    // A whole album, in one bracket, and the last tracks of an artist, genre and year.
    Flib->GlobalList().BeginUpdate();
    for (int i = Flib->GlobalList().Count() - 1; i >= 0; --i)
        if (Flib->GlobalList().GetTag(i)->Filename().rfind("/m/2/4/", 0) == 0 ||
            Flib->GlobalList().GetTag(i)->Filename().rfind("/x/solo/", 0) == 0)
            Flib->GlobalList().Delete(i);
    Flib->GlobalList().EndUpdate();
    EXPECT_FALSE(Flib->ArtistList().FindArtist("Soloist"));
    EXPECT_FALSE(Flib->GenreList().FindGenre("Folk"));
    EXPECT_FALSE(Flib->YearList().FindYear("1971"));
    EXPECT_EQ(Fprogress, 0);
    ExpectAsRefiled("whole album and artist");
    for (int i = 0; i < Flib->GlobalList().Count(); ++i)
        EXPECT_EQ(Flib->GlobalList().GetTag(i)->StoredPosition(), i);
}

TEST_F(GroupingEdits, EditsRemovalsAndAdditionsInOneChange) {
    Reset();
    Flib->GlobalList().BeginUpdate();
    EditTrack(Track("/m/1/1/1.mp3"), [](TaudioTag& t) {
        t.SetArtist("Soloist");
        t.SetGenreString("Folk");
    });
    Flib->GlobalList().Delete(10);
    EditTrack(Track("/m/5/0/40.mp3"), [](TaudioTag& t) { t.SetDate("1999"); });
    Flib->GlobalList().Remove(Track("/x/solo/1.mp3").get());
    // A removed track edited first: it leaves the groupings it was filed in.
    const TaudioTagPtr leaving = Track("/m/6/2/27.mp3");
    EditTrack(leaving, [](TaudioTag& t) { t.SetAlbum("Elsewhere"); });
    Flib->GlobalList().Remove(leaving.get());
    Flib->GlobalList().Add(MakeLibraryTag("/x/new/1.mp3", "Soloist", "Anew", "Alone", "Folk", "1971", 3));
    Flib->GlobalList().Add(LibraryTrack(300));
    Flib->GlobalList().EndUpdate();
    EXPECT_EQ(Fprogress, 0);
    ExpectAsRefiled("mixed");
}

// Changes one after another, each filed by itself from what the one before left: the
// library as filed follows every removal and addition, wherever it falls (the first
// track, the middle, the last, one just added), and the groupings end as a full filing.
TEST_F(GroupingEdits, ChangesInARowFollowTheLibraryAsLastFiled) {
    Reset();
    int next = 300;
    const std::vector<std::function<void()>> changes = {
        [&] { Flib->GlobalList().Add(LibraryTrack(next++)); },
        [&] { Flib->GlobalList().Delete(150); },
        [&] { Flib->GlobalList().Add(LibraryTrack(next++)); },
        [&] { Flib->GlobalList().Delete(Flib->GlobalList().Count() - 1); },  // the one just added
        [&] { Flib->GlobalList().Delete(0); },
        [&] { EditTrack(Flib->GlobalList().GetTag(Flib->GlobalList().Count() - 1), [](TaudioTag& t) {
                  t.SetAlbum("Moved late");
              }); },
        [&] { Flib->GlobalList().Add(LibraryTrack(next++)); },
        [&] { Flib->GlobalList().Delete(Flib->GlobalList().Count() - 2); },
        [&] { Flib->GlobalList().Add(LibraryTrack(next++)); },
    };
    for (size_t c = 0; c < changes.size(); ++c) {
        changes[c]();
        EXPECT_EQ(Fprogress, 0) << "change " << c << " filed every track";
        for (int i = 0; i < Flib->GlobalList().Count(); ++i)
            ASSERT_EQ(Flib->GlobalList().GetTag(i)->StoredPosition(), i) << "change " << c;
    }
    ExpectAsRefiled("in a row");
}

TEST_F(GroupingEdits, ChangesTheLibraryCannotBeSureOfAreFiledAnew) {
    // An edit nobody noted.
    Reset();
    Flib->GlobalList().GetTag(4)->SetArtist("Unnoted");
    Flib->GlobalList().Changed();
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("unnoted edit");
    // A reorder.
    Reset();
    Flib->GlobalList().Move(0, 200);
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("reorder");
    // A track that takes a name the library gives its own artists.
    Reset();
    EditTrack(Flib->GlobalList().GetTag(7), [](TaudioTag& t) { t.SetArtist("[Compilations]"); });
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("special artist");
    // A track without a title (filing names it after its file).
    Reset();
    EditTrack(Flib->GlobalList().GetTag(8), [](TaudioTag& t) { t.SetTitle(""); });
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("no title");
    // Twenty removals are filed by themselves; more than the limit (a thousand, or a
    // twentieth of a larger library) files every track anew.
    Reset();
    Flib->GlobalList().BeginUpdate();
    for (int i = 0; i < 20; ++i) Flib->GlobalList().Delete(100);
    Flib->GlobalList().EndUpdate();
    EXPECT_EQ(Fprogress, 0);
    ExpectAsRefiled("twenty removed");
    Flib->GlobalList().BeginUpdate();
    for (int i = 0; i < 1200; ++i) Flib->GlobalList().Add(LibraryTrack(1000 + i));
    Flib->GlobalList().EndUpdate();
    Reset();
    Flib->GlobalList().BeginUpdate();
    for (int i = 0; i < 1001; ++i) Flib->GlobalList().Delete(Flib->GlobalList().Count() - 1);
    Flib->GlobalList().EndUpdate();
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("a thousand and one removed");
}

TEST_F(GroupingEdits, RemovalOfATrackSharingItsFileNameIsFiledAnew) {
    // Two tracks of one file name: the index keeps the first; taking one out is filed anew.
    Flib->GlobalList().Add(MakeLibraryTag("/m/3/3/3.mp3", "Copy", "Twin", "Copies", "Rock", "1990", 1));
    ExpectAsRefiled("second of a file name added");
    Reset();
    Flib->GlobalList().Delete(3);
    EXPECT_GT(Fprogress, 0);
    ExpectAsRefiled("first of a file name removed");
    EXPECT_EQ(Flib->FileIndex().Tag(Flib->FileIndex().IndexOf("/m/3/3/3.mp3"))->Artist(),
              "Copy");
}

// Saves a library of `tracks` (with the index files), then loads it into `lib` as a
// start does.
void SaveThenLoad(const test::TempDir& dir, const std::vector<TaudioTagPtr>& tracks, TlocalJukeboxList& lib) {
    {
        TlocalJukeboxList saved;
        saved.SetDataFolder(dir.Path().string());
        saved.GlobalList().BeginUpdate();
        for (const auto& track : tracks) saved.GlobalList().Add(track);
        saved.GlobalList().EndUpdate();
        ASSERT_TRUE(saved.SaveGlobalList());
    }
    lib.SetDataFolder(dir.Path().string());
    TlocalJukeboxLoader loader;
    loader.JukeboxList = &lib;
    loader.LoadAll();
}

std::vector<TaudioTagPtr> LibraryTracks(int count) {
    std::vector<TaudioTagPtr> tracks;
    for (int i = 0; i < count; ++i) tracks.push_back(LibraryTrack(i));
    return tracks;
}

// After a start from the index files, the first change is filed by itself too.
TEST(GroupingEditsAfterLoading, AChangeAfterLoadingTheIndexFilesIsFiledByItself) {
    test::TempDir dir;
    TlocalJukeboxList lib;
    SaveThenLoad(dir, LibraryTracks(200), lib);
    int progress = 0;
    TcustomJukeboxListEvents events;
    events.OnListProcess = [&](TObject*, int, int, const TaudioTagPtr&) { ++progress; };
    lib.SetEvents(&events);
    lib.GlobalList().Delete(17);
    const TaudioTagPtr values = lib.GlobalList().GetTag(40)->Clone();
    values->SetArtist("Artist 2");
    values->SetTitle("Another");
    lib.EditTrack(lib.GlobalList().GetTag(40), *values);
    EXPECT_EQ(progress, 0);
    const std::string incremental = GroupingsImage(lib);
    lib.ReprocessTags();
    EXPECT_EQ(GroupingsImage(lib), incremental);
    lib.SetEvents(nullptr);
}

// After a start from the index files, the first change may rename a track before any
// file name was looked up: it is still filed by itself, under the names as they were.
TEST(GroupingEditsAfterLoading, ARenameBeforeAnyLookupIsFiledByItself) {
    test::TempDir dir;
    std::vector<TaudioTagPtr> tracks = LibraryTracks(200);
    tracks.push_back(MakeLibraryTag("/m/3/3/3.mp3", "Copy", "Twin", "Copies", "Rock", "1990", 1));
    TlocalJukeboxList lib;
    SaveThenLoad(dir, tracks, lib);
    int progress = 0;
    TcustomJukeboxListEvents events;
    events.OnListProcess = [&](TObject*, int, int, const TaudioTagPtr&) { ++progress; };
    lib.SetEvents(&events);
    // A track moves further down the name order.
    const TaudioTagPtr track = lib.GlobalList().GetTag(1);
    ASSERT_EQ(track->Filename(), "/m/1/1/1.mp3");
    const TaudioTagPtr values = track->Clone();
    values->SetFilename("/m/1/1/zz.mp3");
    lib.EditTrack(track, *values);
    EXPECT_EQ(progress, 0) << "filed by itself";
    EXPECT_EQ(lib.FileIndex().IndexOf("/m/1/1/1.mp3"), -1);
    EXPECT_EQ(lib.FileIndex().Tag(lib.FileIndex().IndexOf("/m/1/1/zz.mp3")), track);
    EXPECT_EQ(lib.FileIndex().Count(), 200);
    const std::string incremental = GroupingsImage(lib);
    // A track sharing its name with another still makes a removal of it a full filing.
    lib.GlobalList().Delete(lib.GlobalList().Count() - 1);
    EXPECT_GT(progress, 0);
    progress = 0;
    lib.ReprocessTags();
    lib.SetEvents(nullptr);
    TlocalJukeboxList fresh;
    fresh.GlobalList().BeginUpdate();
    for (const auto& tag : lib.GlobalList().Items()) fresh.GlobalList().Add(tag);
    fresh.GlobalList().EndUpdate();
    EXPECT_EQ(GroupingsImage(fresh), GroupingsImage(lib));
    EXPECT_NE(GroupingsImage(lib), incremental);
}

// After a start from the index files the genres' and years' artists and albums wait until
// first asked for. Changes filed before that leave them waiting; made then (here, or on
// the thread that makes them ahead for the browse tree), they are the lists a filing of
// every track gives: orderings, counts, album artists and compilations, the names.
TEST(GroupingEditsAfterLoading, EditsIntoCategoriesWhoseListsWaitAreAsAFullFilingWhenMade) {
    for (const bool ahead : {false, true}) {
        SCOPED_TRACE(ahead ? "made ahead" : "made when asked for");
        test::TempDir dir;
        TlocalJukeboxList lib;
        // Saved in the background, as the program saves: the save runs only at the end.
        lib.SetSaveInBackground(true);
        lib.AutoSaveGlobal = true;
        // A compilation of two artists in one folder, Rock and 1995, its album spelt two ways.
        std::vector<TaudioTagPtr> tracks = LibraryTracks(300);
        tracks.push_back(MakeLibraryTag("/c/mix/1.mp3", "Singer", "One", "MIX", "Rock", "1995", 1));
        tracks.push_back(MakeLibraryTag("/c/mix/2.mp3", "Band", "Two", "Mix", "Rock", "1995", 2));
        SaveThenLoad(dir, tracks, lib);
        int progress = 0;
        TcustomJukeboxListEvents events;
        events.OnListProcess = [&](TObject*, int, int, const TaudioTagPtr&) { ++progress; };
        lib.SetEvents(&events);
        const auto waiting = [&lib](TaudioTagCategoryList& list, const char* name) {
            const TaudioTagCategoryPtr category = list.FindCategory(name);
            return category && category->ListsDeferred();
        };
        ASSERT_TRUE(waiting(lib.GenreList(), "Rock") && waiting(lib.GenreList(), "Jazz") &&
                    waiting(lib.YearList(), "1991"));
        const auto edit = [&lib](int index, auto change) {
            const TaudioTagPtr tag = lib.GlobalList().GetTag(index);
            const TaudioTagPtr values = tag->Clone();
            change(*values);
            lib.EditTrack(tag, *values);
        };
        // Rock to Jazz with another artist, album and year (a year made now).
        ASSERT_EQ(lib.GlobalList().GetTag(40)->GenreString(), "Rock");
        edit(40, [](TaudioTag& t) {
            t.SetGenreString("Jazz");
            t.SetDate("1999");
            t.SetArtist("Artist 5");
            t.SetAlbum("Album 9");
        });
        // The same track again: back to Rock, retitled, its old year again.
        edit(40, [](TaudioTag& t) {
            t.SetGenreString("Rock");
            t.SetTitle("Aardvark");
            t.SetDate("1991");
        });
        // Another album within its genre and year; another artist in an album (which
        // makes the album a compilation in its genre and year).
        edit(41, [](TaudioTag& t) { t.SetAlbum("Album 0"); });
        edit(44, [](TaudioTag& t) { t.SetArtist("Guest"); });
        // Only the year changes; a track that leaves its genre for one of its own.
        edit(60, [](TaudioTag& t) { t.SetDate("1991"); });
        edit(62, [](TaudioTag& t) { t.SetGenreString("Blues"); });
        // The compilation's first track leaves its genre and year: there the album is no
        // longer one, and takes the other track's spelling.
        edit(300, [](TaudioTag& t) {
            t.SetGenreString("Jazz");
            t.SetDate("1992");
        });
        // A removal (every later position moves) and an addition to an album there.
        lib.GlobalList().Delete(17);
        lib.GlobalList().Add(MakeLibraryTag("/m/3/3/new.mp3", "Artist 3", "Zebra", "Album 3", "Pop", "1990", 4));
        // An album's only tracks leave it: it is taken out of its genre's albums.
        for (int i = 0; i < lib.GlobalList().Count(); ++i)
            if (lib.GlobalList().GetTag(i)->Album() == "Album 9") edit(i, [](TaudioTag& t) { t.SetAlbum("Album 8"); });
        EXPECT_EQ(progress, 0) << "every change filed by itself";
        for (const char* name : {"Rock", "Jazz", "Pop"}) EXPECT_TRUE(waiting(lib.GenreList(), name)) << name;
        for (const char* name : {"1990", "1991", "1992", "1995"}) EXPECT_TRUE(waiting(lib.YearList(), name)) << name;

        if (ahead) {
            std::vector<TaudioTagCategoryPtr> all;
            for (TaudioTagCategoryList* list : {static_cast<TaudioTagCategoryList*>(&lib.GenreList()),
                                                static_cast<TaudioTagCategoryList*>(&lib.YearList())})
                for (int i = 0; i < list->Count(); ++i) all.push_back(list->GetCategory(i));
            TcategoryListsAhead maker;
            maker.Start(all);
            maker.Wait();
            for (const auto& category : all) EXPECT_FALSE(category->ListsDeferred()) << category->Title();
        }
        const std::string incremental = GroupingsImage(lib);
        for (TaudioTagCategoryList* list : {static_cast<TaudioTagCategoryList*>(&lib.GenreList()),
                                            static_cast<TaudioTagCategoryList*>(&lib.YearList())})
            for (int i = 0; i < list->Count(); ++i) {
                const TaudioTagCategoryPtr category = list->GetCategory(i);
                EXPECT_EQ(category->Artists().UpdateCount(), 0) << category->Title();
                EXPECT_EQ(category->Albums().UpdateCount(), 0) << category->Title();
            }
        TlocalJukeboxList fresh;
        fresh.GlobalList().BeginUpdate();
        for (const auto& tag : lib.GlobalList().Items()) fresh.GlobalList().Add(tag);
        fresh.GlobalList().EndUpdate();
        EXPECT_EQ(GroupingsImage(fresh), incremental);
        // The index files saved from it are those of the full filing.
        auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
        for (int i = 0; i < 20000 && lib.BackgroundWorkPending(); ++i) dispatcher.WaitAndProcess(5);
        ASSERT_FALSE(lib.BackgroundWorkPending());
        lib.SetEvents(nullptr);
        TlocalJukeboxList again;
        again.SetDataFolder(dir.Path().string());
        TlocalJukeboxLoader loader;
        loader.JukeboxList = &again;
        loader.LoadAll();
        EXPECT_EQ(GroupingsImage(again), incremental);
        lib.ReprocessTags();
        EXPECT_EQ(GroupingsImage(lib), incremental);
    }
}

namespace {
// The groupings of a full filing of `lib`'s tracks, as they are now.
std::string FullFiling(TcustomJukeboxList& lib) {
    TlocalJukeboxList fresh;
    fresh.GlobalList().BeginUpdate();
    for (const auto& tag : lib.GlobalList().Items()) fresh.GlobalList().Add(tag);
    fresh.GlobalList().EndUpdate();
    return GroupingsImage(fresh);
}

void EditTo(TcustomJukeboxList& lib, const std::string& file, const std::function<void(TaudioTag&)>& change) {
    for (int i = 0; i < lib.GlobalList().Count(); ++i) {
        const TaudioTagPtr tag = lib.GlobalList().GetTag(i);
        if (tag->Filename() != file) continue;
        const TaudioTagPtr values = tag->Clone();
        change(*values);
        lib.EditTrack(tag, *values);
        return;
    }
    ADD_FAILURE() << "no track " << file;
}
}  // namespace

// A genre or year whose artists and albums still wait, changed by edits: emptied, it is
// taken out; its first track gone, it takes the spelling of the track that is first now;
// two tracks that make a new album there stand in it in library order when its lists are
// made. Each as a full filing gives it, before and after the lists are made.
TEST(GroupingEditsAfterLoading, WaitingGenresAndYearsEmptiedRenamedOrGivenANewAlbumAsAFullFiling) {
    test::TempDir dir;
    TlocalJukeboxList lib;
    lib.SetSaveInBackground(true);
    lib.AutoSaveGlobal = true;
    std::vector<TaudioTagPtr> tracks = LibraryTracks(200);
    // A genre and a year of one track each.
    tracks.push_back(MakeLibraryTag("/p/polka/1.mp3", "Squeeze Box", "Oompah", "Polka Party", "Polka", "1955", 1));
    // A genre spelt "soul" by its first track and "Soul" by the others.
    tracks.push_back(MakeLibraryTag("/s/one/1.mp3", "Singer", "First", "Soul One", "soul", "1966", 1));
    tracks.push_back(MakeLibraryTag("/s/two/1.mp3", "Singer", "Second", "Soul Two", "Soul", "1967", 1));
    tracks.push_back(MakeLibraryTag("/s/two/2.mp3", "Singer", "Third", "Soul Two", "Soul", "1967", 2));
    // Two tracks of one folder, the same number and title, that move to a new album.
    tracks.push_back(MakeLibraryTag("/t/twins/a.mp3", "Ann", "Same", "Apart A", "Rock", "1990", 3));
    tracks.push_back(MakeLibraryTag("/t/twins/b.mp3", "Bob", "Same", "Apart B", "Rock", "1990", 3));
    SaveThenLoad(dir, tracks, lib);
    const auto waiting = [&lib](TaudioTagCategoryList& list, const char* name) {
        const TaudioTagCategoryPtr category = list.FindCategory(name);
        return category && category->ListsDeferred();
    };
    ASSERT_TRUE(waiting(lib.GenreList(), "Polka") && waiting(lib.YearList(), "1955") &&
                waiting(lib.GenreList(), "soul") && waiting(lib.GenreList(), "Rock"));
    ASSERT_EQ(lib.GenreList().FindCategory("soul")->Title(), "soul");

    EditTo(lib, "/p/polka/1.mp3", [](TaudioTag& t) {
        t.SetGenreString("Jazz");
        t.SetDate("1990");
    });
    EditTo(lib, "/s/one/1.mp3", [](TaudioTag& t) { t.SetGenreString("Blues"); });
    EditTo(lib, "/t/twins/b.mp3", [](TaudioTag& t) { t.SetAlbum("Twins"); });
    EditTo(lib, "/t/twins/a.mp3", [](TaudioTag& t) { t.SetAlbum("Twins"); });
    EXPECT_EQ(lib.GenreList().FindCategory("Polka"), nullptr) << "emptied, taken out";
    EXPECT_EQ(lib.YearList().FindCategory("1955"), nullptr) << "emptied, taken out";
    ASSERT_NE(lib.GenreList().FindCategory("Soul"), nullptr);
    EXPECT_EQ(lib.GenreList().FindCategory("Soul")->Title(), "Soul") << "spelt as its first track now";
    EXPECT_TRUE(waiting(lib.GenreList(), "Rock")) << "the edits left its lists waiting";
    // The lists made now: the new album holds its tracks in library order.
    const TaudioTagAlbumPtr twins = lib.GenreList().FindCategory("Rock")->Albums().FindAlbumFor(
        *lib.FileIndex().Tag(lib.FileIndex().IndexOf("/t/twins/a.mp3")));
    ASSERT_NE(twins, nullptr);
    ASSERT_EQ(twins->Count(), 2);
    EXPECT_EQ(twins->GetTag(0)->Filename(), "/t/twins/a.mp3");
    EXPECT_EQ(GroupingsImage(lib), FullFiling(lib));
}

// Loaded with helper threads, the library's groupings and file-name index are those a
// filing of every track makes, and a change after it is filed by itself.
TEST(GroupingEditsAfterLoading, LoadedWithHelpersAsRefiled) {
    test::TempDir dir;
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        lib.GlobalList().BeginUpdate();
        for (int i = 0; i < 400; ++i) lib.GlobalList().Add(LibraryTrack(i));
        lib.GlobalList().Add(MakeLibraryTag("/m/3/3/3.mp3", "Copy", "Twin", "Copies", "Rock", "1990", 1));
        lib.GlobalList().EndUpdate();
        ASSERT_TRUE(lib.SaveGlobalList());
    }
    for (const int helpers : {0, 3}) {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        lib.SetLoadHelpers(helpers);
        bool yearsRead = false;
        TcustomJukeboxListEvents events;
        events.OnListProcessStart = [&](TObject*, const std::string& step) { yearsRead |= step == "Loading Year Index"; };
        lib.SetEvents(&events);
        TlocalJukeboxLoader loader;
        loader.JukeboxList = &lib;
        loader.LoadAll();
        lib.SetEvents(nullptr);
        EXPECT_TRUE(yearsRead) << "the index files were read";
        const std::string loaded = GroupingsImage(lib);
        lib.ReprocessTags();
        EXPECT_EQ(GroupingsImage(lib), loaded) << helpers << " helpers";
        // Each file name once, with the first track of that name.
        EXPECT_EQ(lib.FileIndex().Count(), 400);
        EXPECT_EQ(lib.FileIndex().Tag(lib.FileIndex().IndexOf("/m/3/3/3.mp3"))->Title(), "T10");
    }
}

}  // namespace
}  // namespace tunecrest
