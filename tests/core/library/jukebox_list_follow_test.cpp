// The library following its changes: added tracks filed by themselves, the random list
// kept up, and the background save writing what the synchronous save writes, whatever
// changes between its slices or cuts it short.
#include "core/library/jukebox_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/core/library/jukebox_list_test_support.h"
#include "tests/support/groupings_image.h"

namespace tunecrest {
namespace {

using namespace test::library_files;

using test::GroupingsImage;
using test::LibraryTrack;

}  // namespace

// Tracks added at the end of the library are filed by themselves: the groupings come
// out exactly as filing every track again gives them, also when the addition makes
// new albums, artists, letters, genres and years or turns an album into a compilation.
TEST(JukeboxList, AddedTracksAreFiledAsAWholeRefileWould) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->AutoSaveGlobal = false;
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 300; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    std::vector<TaudioTagPtr> added = {
        LibraryTrack(300), LibraryTrack(301),
        test::MakeLibraryTag("/m/new/1.mp3", "Newcomer", "zebra", "Fresh", "Ska", "1977", 1),
        test::MakeLibraryTag("/m/new/2.mp3", "Newcomer", "0 Intro", "Fresh", "Ska", "1977", 2),
        test::MakeLibraryTag("/m/new/3.mp3", "", "", "", "", "", 0),
    };
    for (const auto& tag : added) lib->GlobalList().Add(tag);
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Add(LibraryTrack(302));
    lib->GlobalList().Add(LibraryTrack(303));
    lib->GlobalList().EndUpdate();
    const std::string incremental = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), incremental);
    // Another artist on the album of /m/0/0/: it becomes a compilation.
    lib->GlobalList().Add(test::MakeLibraryTag("/m/0/0/guest.mp3", "Guest", "Guest Song", "Album 0", "Rock", "1990", 3));
    const std::string compiled = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), compiled);
    EXPECT_EQ(lib->ArtistList().FindArtist("[Compilations]")->Albums().Count() > 0, true);

    // Edited tracks (new artist, album, genre, year and title) and removed ones.
    const TaudioTagPtr edited = lib->GlobalList().GetTag(10);
    edited->SetArtist("Newcomer");
    edited->SetAlbum("Fresh");
    edited->SetGenreString("Ska");
    edited->SetDate("1977");
    edited->SetTitle("a new title");
    lib->GlobalList().GetTag(20)->SetTrackNo(1);
    lib->GlobalList().Changed();
    const std::string afterEdit = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), afterEdit);
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Delete(5);
    lib->GlobalList().Delete(lib->GlobalList().Count() - 1);
    lib->GlobalList().EndUpdate();
    lib->GlobalList().Delete(0);
    const std::string afterRemoval = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), afterRemoval);
}

// The random list follows the library track by track: an added track joins the pass
// being played, a removed one leaves it and an edit keeps it, so a change never starts
// the pass again; with a filter it is filled anew from the filter.
TEST(JukeboxList, RandomListFollowsTheLibraryWithoutANewPass) {
    SetRandomSeed(5);
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->AutoSaveGlobal = false;
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 40; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    TaudioTagList& random = lib->Jukebox()->RandomList();
    const auto sameAsLibrary = [&] { return random.Items() == lib->GlobalList().Items(); };
    ASSERT_TRUE(sameAsLibrary());
    std::set<TaudioTag*> played;
    for (int i = 0; i < 10; ++i) played.insert(random.GetNext().get());
    const auto pending = [&] {
        std::set<TaudioTag*> tags;
        for (int i = 0; i < random.RandomOrder().Count(); ++i) tags.insert(random.RandomOrder().Get(i).get());
        return tags;
    };
    EXPECT_EQ(pending().size(), 30u);

    const TaudioTagPtr added = LibraryTrack(40);
    lib->GlobalList().Add(added);
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 31u);
    EXPECT_EQ(pending().count(added.get()), 1u);

    TaudioTagPtr removedPending, removedPlayed;
    for (const auto& tag : lib->GlobalList().Items()) {
        if (!removedPending && !played.count(tag.get()) && tag != added) removedPending = tag;
        if (!removedPlayed && played.count(tag.get())) removedPlayed = tag;
    }
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Remove(removedPending.get());
    lib->GlobalList().Remove(removedPlayed.get());
    lib->GlobalList().EndUpdate();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 30u);
    EXPECT_EQ(pending().count(removedPending.get()), 0u);

    added->SetTitle("Edited");
    lib->GlobalList().Changed();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 30u);
    for (TaudioTag* tag : pending()) EXPECT_EQ(played.count(tag), 0u);

    // Moved tracks: the random list takes the library's order again.
    lib->GlobalList().Move(0, 20);
    EXPECT_TRUE(sameAsLibrary());
    // Many removals at once fill it anew.
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 25; ++i) lib->GlobalList().Delete(0);
    lib->GlobalList().EndUpdate();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(random.Count(), 14);
}

// Saving in the background: the change handler returns before anything is written;
// "jukebox.dat", the index files, the export and the database then come out as the
// synchronous save writes them, and a later start reads the index files.
TEST(JukeboxList, BackgroundSaveWritesWhatTheSynchronousSaveWrites) {
    test::TempDir dir, reference;
    auto lib = NewLibrary(dir);
    lib->SetSaveInBackground(true);
    lib->SetDatabaseEnabled(true);
    auto sync = NewLibrary(reference);
    sync->SetDatabaseEnabled(true);
    for (auto* l : {lib.get(), sync.get()}) {
        l->GlobalList().BeginUpdate();
        for (int i = 0; i < 200; ++i) l->GlobalList().Add(LibraryTrack(i));
        l->GlobalList().EndUpdate();
    }
    EXPECT_TRUE(lib->BackgroundWorkPending());
    EXPECT_FALSE(fs::exists(dir.File("jukebox.dat")));
    // Changes in a burst make one save of the last state.
    lib->GlobalList().Add(LibraryTrack(200));
    lib->GlobalList().Add(LibraryTrack(201));
    sync->GlobalList().Add(LibraryTrack(200));
    sync->GlobalList().Add(LibraryTrack(201));
    WaitForBackgroundWork(*lib);
    for (const char* file : {"jukebox.dat", "albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"}) {
        std::string mine, theirs;
        ASSERT_TRUE(ReadFileBytes(dir.File(file), mine)) << file;
        ASSERT_TRUE(ReadFileBytes(reference.File(file), theirs)) << file;
        EXPECT_EQ(mine, theirs) << file;
    }
    EXPECT_TRUE(lib->Database().Connected());
    // The export is written by a rebuild only (the synchronous library followed its last
    // two tracks row by row): both databases hold the same rows.
    for (const char* condition : {"Filename <> ''", "GenreString = 'Rock'", "TrackNo > 4"}) {
        std::vector<std::string> mine, theirs;
        std::string error;
        ASSERT_TRUE(lib->Database().QueryFiles(condition, "", "Filename", TdbTable::dtAudio, mine, error)) << error;
        ASSERT_TRUE(sync->Database().QueryFiles(condition, "", "Filename", TdbTable::dtAudio, theirs, error)) << error;
        EXPECT_EQ(mine, theirs) << condition;
        EXPECT_FALSE(mine.empty()) << condition;
    }
    TaudioTagList rock;
    std::string error;
    ASSERT_TRUE(lib->Database().SelectFiles("GenreString = 'rock'", "", "", TdbTable::dtAudio, false, rock, error))
        << error;
    EXPECT_EQ(rock.Count(), 51);
    // A rebuild over the database in use: the connection moves to the new file and the
    // second name that kept the old file alive meanwhile is let go.
    lib->GlobalList().Add(LibraryTrack(202));
    WaitForBackgroundWork(*lib);
    EXPECT_TRUE(lib->Database().Connected());
    for (int i = 0; i < 500 && fs::exists(dir.File("jukebox.mdb.old")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(fs::exists(dir.File("jukebox.mdb.old")));
    TaudioTagList all;
    ASSERT_TRUE(lib->Database().SelectFiles("Filename <> ''", "", "", TdbTable::dtAudio, false, all, error)) << error;
    EXPECT_EQ(all.Count(), 203);
    // A change still waiting for its save is written at close-down.
    lib->GlobalList().Add(LibraryTrack(203));
    lib.reset();
    auto fresh = NewLibrary(dir);
    bool indexesRead = false;
    TcustomJukeboxListEvents events;
    events.OnListProcessStart = [&](TObject*, const std::string& t) { indexesRead |= t == "Loading Year Index"; };
    fresh->SetEvents(&events);
    fresh->LoadIndexes();
    fresh->SetEvents(nullptr);
    EXPECT_EQ(fresh->GlobalList().Count(), 204);
    EXPECT_TRUE(indexesRead);
}

namespace {
// The files a save writes, by name, and whether a temporary file is left beside them.
std::map<std::string, std::string> SavedFiles(const test::TempDir& dir, bool* temporary = nullptr) {
    std::map<std::string, std::string> files;
    for (const char* name : {"jukebox.dat", "albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx",
                             "jukebox.csv"})
        if (!ReadFileBytes(dir.File(name), files[name])) files[name] = "(missing)";
    if (temporary) {
        *temporary = false;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            *temporary |= entry.path().filename().string().rfind('.', 0) == 0;
    }
    return files;
}
}  // namespace

// A background save is made in slices with the library in use between them. Whatever
// changes between two slices (an edited track, one added, one removed), the files that
// come out are those of one state of the library, the last, as the synchronous save
// writes them; no temporary file is left behind. Also when the memory the save hands
// its bytes to the worker in is so small that it waits for the worker at every record.
TEST(JukeboxList, ChangesBetweenSaveSlicesLeaveTheFilesOfTheLastState) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (const bool tight : {false, true}) {
        SCOPED_TRACE(tight ? "tight memory" : "usual memory");
        test::TempDir dir, reference;
        auto lib = NewLibrary(dir);
        lib->SetSaveInBackground(true);
        lib->SetDatabaseEnabled(true);
        lib->SetSaveSliceTime(std::chrono::microseconds(0));  // the least work a slice can do
        if (tight) lib->SetSaveMemory(256, 2);
        auto sync = NewLibrary(reference);
        sync->SetDatabaseEnabled(true);
        for (auto* l : {lib.get(), sync.get()}) {
            l->GlobalList().BeginUpdate();
            for (int i = 0; i < 300; ++i) l->GlobalList().Add(LibraryTrack(i));
            l->GlobalList().EndUpdate();
        }
        const std::vector<std::function<void(TcustomJukeboxList&)>> changes = {
            [](TcustomJukeboxList& l) {
                l.GlobalList().GetTag(3)->SetTitle("Edited in the list's records");
                l.GlobalList().Changed();
            },
            [](TcustomJukeboxList& l) { l.GlobalList().Add(LibraryTrack(300)); },
            [](TcustomJukeboxList& l) { l.GlobalList().Delete(17); },
            [](TcustomJukeboxList& l) {
                l.GlobalList().GetTag(250)->SetArtist("Edited late");
                l.GlobalList().Changed();
            },
        };
        // Ever later in the save: the records, the index files, the export.
        const int slices[] = {2, 11, 16, 21};
        for (size_t c = 0; c < changes.size(); ++c) {
            for (int i = 0; i < slices[c]; ++i) dispatcher.WaitAndProcess(tight ? 2 : 0);
            changes[c](*lib);
            changes[c](*sync);
        }
        WaitForBackgroundWork(*lib);
        bool temporary = true;
        const auto mine = SavedFiles(dir, &temporary), theirs = SavedFiles(reference);
        for (const auto& [name, bytes] : theirs) EXPECT_EQ(mine.at(name), bytes) << name;
        EXPECT_FALSE(temporary);
        EXPECT_GE(lib->GlobalList().StoredSize(), 300);
    }
}

// A save dropped because the library changed under it leaves the files it had not
// finished as they were, and a library closed in the middle of a save writes the
// library file and the index files of its last state.
TEST(JukeboxList, ASaveCutShortLeavesTheEarlierFilesWhole) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->SetSaveInBackground(true);
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 100; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    WaitForBackgroundWork(*lib);
    const auto before = SavedFiles(dir);
    lib->SetSaveSliceTime(std::chrono::microseconds(0));
    lib->GlobalList().Add(LibraryTrack(100));
    for (int i = 0; i < 3; ++i) dispatcher.ProcessPendingCalls();
    ASSERT_TRUE(lib->BackgroundWorkPending());
    EXPECT_EQ(SavedFiles(dir), before);
    lib->GlobalList().Add(LibraryTrack(101));
    lib->GlobalList().GetTag(0)->SetTitle("Closed mid-save");
    lib->GlobalList().Changed();
    for (int i = 0; i < 3; ++i) dispatcher.ProcessPendingCalls();
    lib.reset();
    bool temporary = true;
    SavedFiles(dir, &temporary);
    EXPECT_FALSE(temporary);
    auto fresh = NewLibrary(dir);
    fresh->LoadIndexes();
    ASSERT_EQ(fresh->GlobalList().Count(), 102);
    EXPECT_EQ(fresh->GlobalList().GetTag(0)->Title(), "Closed mid-save");
    EXPECT_NE(fresh->FileIndex().IndexOf(LibraryTrack(101)->Filename().str()), -1);
}

namespace {
// The queue dispatcher, counting the calls posted to it (from any thread).
class TcountingDispatcher : public TqueueDispatcher {
public:
    void Post(std::function<void()> work) override {
        ++Posted;
        TqueueDispatcher::Post(std::move(work));
    }
    std::atomic<int> Posted{0};
};
}  // namespace

// The worker finds the list file changed on disk under a save that copies from it (the
// save's plan is stale) and asks for the file to be written whole, while that save is
// still making its index files. The save ends; the whole file follows it, and the
// background work ends with the library on disk as it is.
TEST(JukeboxList, AStaleListFileReportedWhileTheSaveGoesOnIsWrittenAfterIt) {
    auto counting = std::make_shared<TcountingDispatcher>();
    struct Trestore {
        std::shared_ptr<TmainThreadDispatcher> Previous;
        ~Trestore() { SetDispatcher(Previous); }
    } restore{SetDispatcher(counting)};
    test::TempDir dir;
    {
        auto lib = NewLibrary(dir);
        lib->SetSaveInBackground(true);
        lib->GlobalList().BeginUpdate();
        for (int i = 0; i < 300; ++i) lib->GlobalList().Add(LibraryTrack(i));
        lib->GlobalList().EndUpdate();
        WaitForBackgroundWork(*lib);
        // Copied over itself: the same bytes, but not the file the library wrote.
        const fs::path list = dir.File("jukebox.dat"), copy = dir.File("copy.dat");
        fs::copy_file(list, copy);
        fs::rename(copy, list);
        lib->SetSaveSliceTime(std::chrono::microseconds(0));
        // One track edited: its record is made anew, the others copied.
        const TaudioTagPtr tag = lib->GlobalList().GetTag(3);
        const TaudioTagPtr values = tag->Clone();
        values->SetTitle("Edited over a changed file");
        lib->EditTrack(tag, *values);
        // A slice at a time; after each, the worker's answer (once the list is handed
        // to it) is waited for a little, so that it comes while the save is made.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (lib->BackgroundWorkPending() && std::chrono::steady_clock::now() < deadline) {
            counting->ProcessPendingCalls();
            const int posted = counting->Posted;
            for (int i = 0; i < 20 && counting->Posted == posted; ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
        EXPECT_FALSE(lib->BackgroundWorkPending());
    }
    auto fresh = NewLibrary(dir);
    fresh->LoadIndexes();
    ASSERT_EQ(fresh->GlobalList().Count(), 300);
    EXPECT_EQ(fresh->GlobalList().GetTag(3)->Title(), "Edited over a changed file");
}


// A track added to a saved library makes its genre's entry of the genre index file anew,
// the genre's tracks, artists and albums, which at a large library is more than one
// slice's work: it is made over several slices. Whatever the library does between two
// of them (another track added, one edited, nothing), the files are those of its last
// state, as the synchronous save writes them.
TEST(JukeboxList, AnEntryMadeOverSeveralSlicesEndsAsTheSynchronousSaveWritesIt) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    test::TempDir dir, reference;
    auto lib = NewLibrary(dir);
    lib->SetSaveInBackground(true);
    auto sync = NewLibrary(reference);
    for (auto* l : {lib.get(), sync.get()}) {
        l->GlobalList().BeginUpdate();
        for (int i = 0; i < 300; ++i) l->GlobalList().Add(LibraryTrack(i));
        l->GlobalList().EndUpdate();
    }
    WaitForBackgroundWork(*lib);
    lib->SetSaveSliceTime(std::chrono::microseconds(0));  // a few pieces of an entry a slice
    int next = 300;
    for (int slices = 0; slices < 24; ++slices) {
        SCOPED_TRACE(slices);
        for (auto* l : {lib.get(), sync.get()}) l->GlobalList().Add(LibraryTrack(next));  // into "Rock"
        next += 4;
        int ran = 0;
        while (ran < slices && lib->BackgroundWorkPending()) ran += dispatcher.WaitAndProcess(50);
        // Every third time an edit of a "Rock" track, the entry being made; every third
        // time a track added; else the save ends as it goes.
        if (slices % 3 == 0) {
            for (auto* l : {lib.get(), sync.get()}) {
                const TaudioTagPtr tag = l->GlobalList().GetTag(8);
                const TaudioTagPtr values = tag->Clone();
                values->SetTitle("Edited between slices " + std::to_string(slices));
                l->EditTrack(tag, *values);
            }
        } else if (slices % 3 == 1) {
            for (auto* l : {lib.get(), sync.get()}) l->GlobalList().Add(LibraryTrack(next));
            next += 4;
        }
        WaitForBackgroundWork(*lib);
        bool temporary = true;
        const auto mine = SavedFiles(dir, &temporary), theirs = SavedFiles(reference);
        for (const auto& [name, bytes] : theirs) EXPECT_EQ(mine.at(name), bytes) << name;
        EXPECT_FALSE(temporary);
    }
    // The saves copied the entries that did not change and made the few that did.
    EXPECT_GT(lib->LastSaveIndexEntriesMade(), 0u);
    EXPECT_LT(lib->LastSaveIndexEntriesMade(), 20u);
}

}  // namespace tunecrest
