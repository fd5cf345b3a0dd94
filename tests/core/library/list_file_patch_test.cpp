// "jukebox.dat" after a change of a few tracks: the save copies the records of the
// tracks that did not change from the file on disk and makes only the others, and what
// comes out is byte for byte what writing the whole list gives. A file that is not the
// one the copy was planned for is written whole instead.
#include "core/library/list_file_patch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/library/jukebox_list.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tag_stream.h"
#include "tests/support/fresh_process.h"
#include "tests/support/groupings_image.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::LibraryTrack;

std::unique_ptr<TlocalJukeboxList> BackgroundLibrary(const fs::path& folder) {
    auto lib = std::make_unique<TlocalJukeboxList>();
    lib->SetDataFolder(folder.string());
    lib->AutoSaveGlobal = true;
    lib->SetSaveInBackground(true);
    return lib;
}
std::unique_ptr<TlocalJukeboxList> BackgroundLibrary(const test::TempDir& dir) { return BackgroundLibrary(dir.Path()); }

void Wait(TcustomJukeboxList& lib) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (int i = 0; i < 20000 && lib.BackgroundWorkPending(); ++i) dispatcher.WaitAndProcess(5);
    ASSERT_FALSE(lib.BackgroundWorkPending());
}

// What writing the whole list gives.
std::string WholeList(const TaudioTagList& list) {
    TbyteWriter w;
    SaveTagListToStream(list, w);
    return w.Bytes();
}

std::string Bytes(const fs::path& file) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file.string(), bytes)) << file;
    return bytes;
}

void Edit(TcustomJukeboxList& lib, int index, const std::string& title) {
    const TaudioTagPtr tag = lib.GlobalList().GetTag(index);
    const TaudioTagPtr values = tag->Clone();
    values->SetTitle(title);
    values->SetArtist("Edited " + title);
    lib.EditTrack(tag, *values);
}

bool TemporaryFileLeft(const test::TempDir& dir) {
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename().string().rfind('.', 0) == 0) return true;
    return false;
}

std::unique_ptr<TlocalJukeboxList> SavedLibrary(const test::TempDir& dir, int tracks) {
    auto lib = BackgroundLibrary(dir);
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < tracks; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    Wait(*lib);
    return lib;
}

constexpr int kStoppedCode = 42;
constexpr const char* kIndexNames[] = {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"};

std::map<std::string, std::string> IndexFiles(const test::TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const char* name : kIndexNames) files[name] = Bytes(dir.File(name));
    return files;
}

// The five index files as writing each grouping whole gives them.
std::map<std::string, std::string> WholeIndexes(TcustomJukeboxList& lib) {
    std::map<std::string, std::string> files;
    const auto whole = [](const auto& grouping) {
        TbyteWriter w;
        grouping.SaveToStream(w);
        return w.Bytes();
    };
    files["albums.idx"] = whole(lib.AlbumList());
    files["artists.idx"] = whole(lib.ArtistList());
    files["titles.idx"] = whole(lib.TitleList());
    files["genres.idx"] = whole(lib.GenreList());
    files["years.idx"] = whole(lib.YearList());
    return files;
}

size_t IndexEntries(TcustomJukeboxList& lib) {
    return size_t(lib.AlbumList().Count() + lib.ArtistList().Count() + lib.TitleList().Count() +
                  lib.GenreList().Count() + lib.YearList().Count());
}

void Retag(TcustomJukeboxList& lib, int index, const std::function<void(TaudioTag&)>& change) {
    const TaudioTagPtr tag = lib.GlobalList().GetTag(index);
    const TaudioTagPtr values = tag->Clone();
    change(*values);
    lib.EditTrack(tag, *values);
}

int gFailedSyncs = 0;
int FailingSync(int) {
    ++gFailedSyncs;
    errno = EIO;
    return -1;
}

}  // namespace

// Edits, additions, removals, a reorder, an edit and a removal of one track, a burst of
// edits and a failed write: after each save the file is the whole list's bytes, made
// from only the records of the tracks that changed since the file on disk was written.
TEST(ListFilePatch, EverySaveAfterAChangeIsTheWholeListsBytesFromTheChangedRecordsAlone) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 300);
    const fs::path file = dir.File("jukebox.dat");
    ASSERT_EQ(lib->LastSaveRecordsMade(), 300u);
    ASSERT_EQ(Bytes(file), WholeList(lib->GlobalList()));
    TaudioTagList& list = lib->GlobalList();
    const auto saved = [&](size_t made, const char* step) {
        SCOPED_TRACE(step);
        Wait(*lib);
        EXPECT_EQ(Bytes(file), WholeList(list));
        EXPECT_EQ(lib->LastSaveRecordsMade(), made);
        EXPECT_EQ(list.StoredSize(), int64_t(fs::file_size(file)));
        EXPECT_FALSE(TemporaryFileLeft(dir));
    };
    Edit(*lib, 10, "A longer title than the track had before");
    saved(1, "one edit");
    list.Add(LibraryTrack(300));
    list.Add(LibraryTrack(301));
    saved(2, "two added");
    list.BeginUpdate();
    list.Delete(0);
    list.Delete(50);
    list.Delete(list.Count() - 1);
    list.EndUpdate();
    saved(0, "first, middle and last removed");
    Edit(*lib, 5, "x");  // a shorter record
    Edit(*lib, 200, "Two edits before one save");
    Edit(*lib, 5, "Edited twice");
    saved(2, "a burst of edits");
    list.BeginUpdate();
    Edit(*lib, 7, "Edited, then removed");
    list.Delete(7);
    list.Add(LibraryTrack(302));
    list.EndUpdate();
    saved(1, "an edit and a removal of one track, one added");
    list.Move(0, 20);  // every track after the moved one is made anew
    saved(size_t(list.Count() - 20), "a reorder");
    Edit(*lib, 0, "After the reorder");
    saved(1, "an edit after the reorder");

    // A write that fails leaves the file as it was; the next save still copies from it.
    const std::string before = Bytes(file);
    const TfileSync sync = SetFileSync(FailingSync);
    gFailedSyncs = 0;
    Edit(*lib, 30, "Not written");
    Wait(*lib);
    SetFileSync(sync);
    EXPECT_GE(gFailedSyncs, 1);
    EXPECT_EQ(Bytes(file), before);
    EXPECT_FALSE(TemporaryFileLeft(dir));
    Edit(*lib, 31, "Written");
    saved(2, "after a failed write");

    // The file reads back as the library.
    TaudioTagList read;
    ASSERT_TRUE(LoadTagListFromFile(read, file.string(), false));
    EXPECT_EQ(WholeList(read), WholeList(list));
}

// The index files after edits that move tracks between albums, artists, letters, genres
// and years (making and emptying some), after additions, after a start, after a removal
// (which moves every later track, so every entry is made) and after an index file
// changed on disk: each is what writing its grouping whole gives, and only the entries
// that changed were made.
TEST(ListFilePatch, IndexFilesAfterAChangeAreTheWholeGroupingsFromTheChangedEntriesAlone) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 300);
    ASSERT_EQ(IndexFiles(dir), WholeIndexes(*lib));
    ASSERT_EQ(lib->LastSaveIndexEntriesMade(), IndexEntries(*lib));
    const auto saved = [&](const char* step, bool whole = false) {
        SCOPED_TRACE(step);
        Wait(*lib);
        EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
        if (whole)
            EXPECT_EQ(lib->LastSaveIndexEntriesMade(), IndexEntries(*lib));
        else
            EXPECT_LT(lib->LastSaveIndexEntriesMade(), IndexEntries(*lib) / 2);
        EXPECT_FALSE(TemporaryFileLeft(dir));
    };
    Retag(*lib, 12, [](TaudioTag& t) { t.SetComment("Nothing filed changes"); });
    saved("a comment");
    EXPECT_EQ(lib->LastSaveIndexEntriesMade(), 0u);
    Retag(*lib, 13, [](TaudioTag& t) { t.SetTitle("Zebra crossing"); });
    saved("a title to another letter");
    Retag(*lib, 14, [](TaudioTag& t) {
        t.SetArtist("Brand New Artist");
        t.SetAlbum("Brand New Album");
        t.SetGenreString("Polka");
        t.SetDate("1971");
    });
    saved("to a new artist, album, genre and year");
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Add(LibraryTrack(300));
    lib->GlobalList().Add(test::MakeLibraryTag("/m/new/1.mp3", "Another Artist", "A new one", "Another Album",
                                               "Jazz", "2001", 1));
    lib->GlobalList().EndUpdate();
    saved("two added");
    Retag(*lib, 14, [](TaudioTag& t) {
        t.SetArtist("Artist 2");
        t.SetAlbum("Album 4");
        t.SetGenreString("Rock");
        t.SetDate("1990");
    });
    saved("back, emptying the new artist, album, genre and year");

    // After a start the entries are copied from the files read.
    lib.reset();
    lib = BackgroundLibrary(dir);
    lib->LoadIndexes();
    ASSERT_EQ(lib->GlobalList().Count(), 302);
    Retag(*lib, 100, [](TaudioTag& t) {
        t.SetTitle("After the start");
        t.SetGenreString("Pop");
    });
    saved("after a start");
    lib->GlobalList().Delete(0);
    saved("a removal", true);
    Retag(*lib, 50, [](TaudioTag& t) { t.SetArtist("Artist 3"); });
    saved("an edit after the removal");

    // An index file replaced on disk is written whole; the others are still copied.
    const std::string genres = Bytes(dir.File("genres.idx"));
    ASSERT_TRUE(SafeWriteFile(dir.File("genres.idx"), genres));
    Retag(*lib, 60, [](TaudioTag& t) { t.SetDate("1999"); });
    saved("genres.idx replaced");
    Retag(*lib, 61, [](TaudioTag& t) { t.SetDate("1998"); });
    saved("and copied again");
}

// A save after a start copies from the file the library was read from, once the worker
// has found its records; a file whose records a write would not give again (tracks read
// without a number) is written whole.
TEST(ListFilePatch, TheFirstSaveAfterAStartCopiesFromTheFileReadOnlyWhenItsRecordsAreAWritesOwn) {
    test::TempDir dir;
    SavedLibrary(dir, 120).reset();
    const fs::path file = dir.File("jukebox.dat");
    {
        auto lib = BackgroundLibrary(dir);
        lib->LoadIndexes();
        ASSERT_EQ(lib->GlobalList().Count(), 120);
        Edit(*lib, 60, "Edited after the start");
        Wait(*lib);
        EXPECT_EQ(Bytes(file), WholeList(lib->GlobalList()));
        EXPECT_EQ(lib->LastSaveRecordsMade(), 1u);
    }
    // Tracks stored without a number are numbered when read: their records change.
    std::vector<TaudioTagPtr> unnumbered;
    for (int i = 0; i < 50; ++i) unnumbered.push_back(LibraryTrack(i));
    TbyteWriter w;
    WriteTagListStream({"", false, ModeSet(lmLoop), ""}, unnumbered, w);
    ASSERT_TRUE(SafeWriteFile(file.string(), w.Bytes()));
    auto lib = BackgroundLibrary(dir);
    lib->LoadIndexes();
    ASSERT_EQ(lib->GlobalList().Count(), 50);
    ASSERT_NE(lib->GlobalList().GetTag(49)->TrackIndex(), 0);
    Edit(*lib, 3, "Edited");
    Wait(*lib);
    EXPECT_EQ(Bytes(file), WholeList(lib->GlobalList()));
    EXPECT_EQ(lib->LastSaveRecordsMade(), 50u);
}

// The file on disk is not the one the library last wrote: replaced, cut short, changed
// in place, grown, or gone. Nothing is copied from it; the whole list is written.
TEST(ListFilePatch, AFileChangedUnderTheLibraryIsWrittenWholeNeverCopiedFrom) {
    const std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> changes = {
        {"replaced by a copy of itself",
         [](const fs::path& f) {
             const std::string bytes = Bytes(f);
             ASSERT_TRUE(SafeWriteFile(f.string(), bytes));
         }},
        {"cut short",
         [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) - 100); }},
        {"changed in place",
         [](const fs::path& f) {
             const auto written = fs::last_write_time(f);
             {
                 std::fstream s(f, std::ios::in | std::ios::out | std::ios::binary);
                 s.seekp(std::streamoff(fs::file_size(f) / 2));
                 s.put('#');
             }
             // A later time stamp, as any later write has (within one tick of the clock
             // that stamps files an edit in place is not told from the write before it).
             fs::last_write_time(f, written + std::chrono::seconds(1));
         }},
        {"grown", [](const fs::path& f) { std::ofstream(f, std::ios::app | std::ios::binary) << "more"; }},
        {"removed", [](const fs::path& f) { fs::remove(f); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        test::TempDir dir;
        auto lib = SavedLibrary(dir, 80);
        const fs::path file = dir.File("jukebox.dat");
        change(file);
        Edit(*lib, 40, "Edited");
        Wait(*lib);
        EXPECT_EQ(Bytes(file), WholeList(lib->GlobalList()));
        EXPECT_EQ(lib->LastSaveRecordsMade(), 80u);
        EXPECT_FALSE(TemporaryFileLeft(dir));
        // And from that write on, copied again.
        Edit(*lib, 41, "Edited again");
        Wait(*lib);
        EXPECT_EQ(Bytes(file), WholeList(lib->GlobalList()));
        EXPECT_EQ(lib->LastSaveRecordsMade(), 1u);
    }
}

// Stored fields changed in place on many tracks, as the scan's renumbering does, are not
// lost: the library is told, and the next save makes every record.
TEST(ListFilePatch, RecordsChangedWithoutNotesAreMadeAnewWhenTheLibraryIsTold) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 60);
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < lib->GlobalList().Count(); ++i) lib->GlobalList().GetTag(i)->SetTrackIndex(1000 + i);
    lib->RewriteListFileAtNextSave();
    lib->GlobalList().Delete(10);
    lib->GlobalList().EndUpdate();
    Wait(*lib);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(lib->LastSaveRecordsMade(), 59u);
    // A change nobody noted at all makes every record anew as well.
    lib->GlobalList().GetTag(3)->SetComment("Changed in place");
    lib->GlobalList().Changed();
    Wait(*lib);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(lib->LastSaveRecordsMade(), 59u);
}

// A program stopped while the worker finishes the file (here at its flush) leaves the
// file it was replacing whole; the next start reads it.
TEST(ListFilePatch, AProgramStoppedInTheMiddleOfTheWriteLeavesTheOldFileWhole) {
    test::TempDir dir;
    SavedLibrary(dir, 100).reset();
    const fs::path file = dir.File("jukebox.dat");
    const std::string before = Bytes(file);
    // The program is a process of its own, working in this test's folder.
    const test::TfreshProcess program = test::RunInFreshProcess(
        [] {
            auto lib = BackgroundLibrary(fs::path(test::FreshProcessArgument()));
            lib->LoadIndexes();
            SetFileSync([](int) -> int { _exit(kStoppedCode); });
            Edit(*lib, 50, "Never on disk");
            auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
            for (int i = 0; i < 20000; ++i) dispatcher.WaitAndProcess(5);
            return 0;
        },
        dir.Path().string());
    ASSERT_TRUE(program.Exited(kStoppedCode)) << program.ExitCode << "\n" << program.Output;
    EXPECT_EQ(Bytes(file), before);
    EXPECT_TRUE(TemporaryFileLeft(dir));  // cleared at a later start
    auto lib = BackgroundLibrary(dir);
    lib->LoadIndexes();
    EXPECT_EQ(lib->GlobalList().Count(), 100);
}

// The records of a file this system wrote are found as they were written; anything else
// is refused.
TEST(ListFilePatch, TheRecordsOfAFileAreFoundOnlyInAFileAsThisSystemWritesIt) {
    test::TempDir dir;
    std::vector<TaudioTagPtr> tags;
    std::vector<uint32_t> expected;
    for (int i = 0; i < 40; ++i) {
        TaudioTagPtr tag = LibraryTrack(i);
        tag->SetTrackIndex(i == 7 ? 70000 : i + 1);  // one number in its four-byte form
        if (i == 20) tag->SetComment(std::string(size_t(9) << 20, 'c'));  // larger than the first window
        TbyteWriter record;
        WriteAudioTagRecord(record, *tag);
        expected.push_back(uint32_t(record.Bytes().size()));
        tags.push_back(tag);
    }
    TbyteWriter w;
    WriteTagListStream({"Library", true, ModeSet(lmLoop), "/m/"}, tags, w);
    const std::string bytes = w.Bytes();
    const auto find = [&](const std::string& content, uint32_t records, uint64_t* head = nullptr,
                          std::vector<uint32_t>* lengths = nullptr) {
        const std::string name = dir.File("list.dat");
        EXPECT_TRUE(SafeWriteFile(name, content));
        const int fd = OpenRegularFile(name);
        uint64_t headBytes = 0;
        std::vector<uint32_t> found;
        std::vector<uint64_t> checks;
        const bool ok = FindListFileRecords(fd, content.size(), records, headBytes, found, checks);
        ::close(fd);
        if (head) *head = headBytes;
        if (lengths) *lengths = found;
        return ok;
    };
    uint64_t head = 0;
    std::vector<uint32_t> lengths;
    ASSERT_TRUE(find(bytes, 40, &head, &lengths));
    EXPECT_EQ(lengths, expected);
    uint64_t total = head;
    for (const uint32_t length : lengths) total += length;
    EXPECT_EQ(total, bytes.size());

    EXPECT_FALSE(find(bytes, 39));                                // another count
    EXPECT_FALSE(find(bytes + "x", 40));                          // bytes after the records
    EXPECT_FALSE(find(bytes.substr(0, bytes.size() - 1), 40));    // cut short
    EXPECT_FALSE(find("ZATL" + bytes.substr(4), 40));             // another signature
    std::string other = bytes;
    other.replace(head + 5, 9, "TsomeTag1");  // a record of another class
    EXPECT_FALSE(find(other, 40));
    // A record without its number (read so, it is numbered when loaded).
    tags[39]->SetTrackIndex(0);
    TbyteWriter zero;
    WriteTagListStream({"Library", true, ModeSet(lmLoop), "/m/"}, tags, zero);
    EXPECT_FALSE(find(zero.Bytes(), 40));
}

}  // namespace tunecrest
