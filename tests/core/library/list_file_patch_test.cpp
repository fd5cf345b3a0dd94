// "jukebox.dat" after a change of a few tracks: the save copies the records of the
// tracks that did not change from the file on disk and makes only the others, and what
// comes out is byte for byte what writing the whole list gives. A file that is not the
// one the copy was planned for is written whole instead.
#include "core/library/list_file_patch.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/library/jukebox_list.h"
#include "core/tags/component_stream.h"
#include "core/tags/list_file_io.h"
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
        {"changed in place, its write time put back",
         [](const fs::path& f) {
             const auto written = fs::last_write_time(f);
             {
                 std::fstream s(f, std::ios::in | std::ios::out | std::ios::binary);
                 s.seekp(std::streamoff(fs::file_size(f) / 2));
                 s.put('#');
             }
             fs::last_write_time(f, written);
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

// Each part of a file's state on its own tells two stamps apart: the file system and the
// file, the size, the write time to the nanosecond (a file rewritten within the same
// second) and the change time, which no program can set back.
TEST(ListFilePatch, AFileStampTellsEveryPartOfTheFilesStateApart) {
    struct stat base {};
    base.st_dev = 2049;
    base.st_ino = 77;
    base.st_size = 4096;
    base.st_mtim = {1700000000, 123456789};
    base.st_ctim = {1700000001, 987654321};
    const TfileStamp stamp = StampOfStat(base);
    EXPECT_EQ(StampOfStat(base), stamp);
    const std::vector<std::pair<const char*, std::function<void(struct stat&)>>> parts = {
        {"device", [](struct stat& st) { st.st_dev = 2050; }},
        {"file", [](struct stat& st) { st.st_ino = 78; }},
        {"size", [](struct stat& st) { st.st_size = 4095; }},
        {"write time", [](struct stat& st) { st.st_mtim.tv_sec += 1; }},
        {"write time's nanoseconds", [](struct stat& st) { st.st_mtim.tv_nsec += 1; }},
        {"change time", [](struct stat& st) { st.st_ctim.tv_sec += 1; }},
        {"change time's nanoseconds", [](struct stat& st) { st.st_ctim.tv_nsec += 1; }},
    };
    for (const auto& [part, change] : parts) {
        struct stat other = base;
        change(other);
        EXPECT_NE(StampOfStat(other), stamp) << part;
    }
}

// A list file another program wrote: records the reader takes but in a form this system
// does not write. The first save after the start copies none of them (what it copied would
// not be what the track gives); the file is then the whole list's bytes.
TEST(ListFilePatch, RecordsNotInTheWritersOwnFormAreMadeAnewAtTheFirstSaveAfterAStart) {
    // The record of `tag` as WriteAudioTagRecord writes it, with `from` replaced by `to`.
    const auto changed = [](const TaudioTag& tag, std::string_view from, std::string_view to) {
        TbyteWriter w;
        WriteAudioTagRecord(w, tag);
        std::string record = w.Bytes();
        const size_t at = record.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) record.replace(at, from.size(), to);
        return record;
    };
    const auto text = [](std::string_view name, uint8_t kind, std::string_view value) {
        std::string bytes(1, char(name.size()));
        bytes.append(name).append(1, char(kind));
        if (kind == vaLString) {
            TbyteWriter length;
            length.WriteI32(int32_t(value.size()));
            bytes.append(length.Bytes());
        } else {
            bytes.append(1, char(value.size()));
        }
        return bytes.append(value);
    };
    const std::vector<std::pair<const char*, std::function<std::string(TaudioTag&)>>> forms = {
        {"a number in a wider form than it needs",
         [&](TaudioTag& t) {
             t.SetTrackNo(5);
             return changed(t, std::string("\x07TrackNo\x02\x05", 10), std::string("\x07TrackNo\x04\x05\0\0\0", 13));
         }},
        {"a short text as a long one",
         [&](TaudioTag& t) {
             t.SetTitle("Long form");
             return changed(t, text("Title", vaString, "Long form"), text("Title", vaLString, "Long form"));
         }},
        {"an empty text written",
         [&](TaudioTag& t) {
             t.SetComment("");
             t.SetAlbum("Before the comment");
             return changed(t, text("Album", vaString, "Before the comment"),
                            text("Album", vaString, "Before the comment") + text("Comment", vaString, ""));
         }},
        {"two properties in another order",
         [&](TaudioTag& t) {
             t.SetArtist("First");
             t.SetTitle("Second");
             return changed(t, text("Artist", vaString, "First") + text("Title", vaString, "Second"),
                            text("Title", vaString, "Second") + text("Artist", vaString, "First"));
         }},
        {"a property name in other letters",
         [&](TaudioTag& t) {
             t.SetTitle("Named");
             return changed(t, text("Title", vaString, "Named"), text("title", vaString, "Named"));
         }},
        {"a text in another encoding",
         [&](TaudioTag& t) {
             t.SetAlbum("Caf\xC3\xA9");
             return changed(t, text("Album", vaString, "Caf\xC3\xA9"), text("Album", vaString, "Caf\xE9"));
         }},
    };
    for (const auto& [form, make] : forms) {
        SCOPED_TRACE(form);
        test::TempDir dir;
        const fs::path file = dir.File("jukebox.dat");
        TbyteWriter w;
        WriteTagListHeader({"", false, ModeSet(lmLoop), ""}, 30, w);
        for (int i = 0; i < 30; ++i) {
            TaudioTagPtr tag = LibraryTrack(i);
            tag->SetTrackIndex(i + 1);
            if (i == 12) {
                w.WriteBytes(make(*tag));
                continue;
            }
            WriteAudioTagRecord(w, *tag);
        }
        ASSERT_TRUE(SafeWriteFile(file.string(), w.Bytes()));
        auto lib = BackgroundLibrary(dir);
        lib->LoadIndexes();
        ASSERT_EQ(lib->GlobalList().Count(), 30);
        Edit(*lib, 20, "Edited");
        Wait(*lib);
        EXPECT_EQ(Bytes(file), WholeList(lib->GlobalList()));
        EXPECT_EQ(lib->LastSaveRecordsMade(), 30u);
    }
}

// A library folder copied without its times (or put back from a backup) has its index
// files older than its list file. They are the files they are: the start takes them, and
// the first change copies from the list file and the index files alike.
TEST(IndexFilesBesideTheList, IndexFilesOlderThanTheListFileAreTakenAsTheyAre) {
    test::TempDir dir;
    SavedLibrary(dir, 300).reset();
    const auto library = fs::last_write_time(dir.File("jukebox.dat"));
    for (const char* name : kIndexNames) fs::last_write_time(dir.File(name), library - std::chrono::hours(1));
    auto lib = BackgroundLibrary(dir);
    std::vector<std::string> steps;
    TcustomJukeboxListEvents events;
    events.OnListProcessStart = [&](TObject*, const std::string& text) { steps.push_back(text); };
    lib->SetEvents(&events);
    lib->LoadIndexes();
    lib->SetEvents(nullptr);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "Loading Year Index"), 1) << "the index files were read";
    Retag(*lib, 120, [](TaudioTag& t) {
        t.SetArtist("Artist 4");
        t.SetGenreString("Jazz");
    });
    Wait(*lib);
    EXPECT_EQ(lib->LastSaveRecordsMade(), 1u);
    EXPECT_LT(lib->LastSaveIndexEntriesMade(), IndexEntries(*lib) / 2);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
}

namespace {
// At each flush of a file, the index files that have their names then, with their bytes.
struct TindexWatch {
    std::string Folder;
    std::vector<std::map<std::string, std::string>> Seen;
};
TindexWatch* gIndexWatch = nullptr;
int WatchingSync(int fd) {
    std::map<std::string, std::string> present;
    for (const char* name : kIndexNames) {
        std::string bytes;
        if (ReadFileBytes((fs::path(gIndexWatch->Folder) / name).string(), bytes)) present[name] = bytes;
    }
    {
        // The index files are flushed from threads of their own, at once.
        static std::mutex seenLock;
        std::lock_guard lock(seenLock);
        gIndexWatch->Seen.push_back(std::move(present));
    }
    return ::fsync(fd);
}
}  // namespace

// The list file and the index files are several files, written one after the other: the
// old index files lose their names before the new list file takes its own, so that an
// index file on disk is, at every moment, one of the list file beside it. A program
// stopped between the files finds none at its next start and files the groupings anew,
// never under the old list's positions. So in the background and when written at once,
// and when the list file is made whole rather than copied from.
TEST(IndexFilesBesideTheList, NoIndexFileOfTheOldListOutlivesItsListFile) {
    for (const auto& [background, whole] : {std::pair{true, false}, {false, false}, {true, true}}) {
        SCOPED_TRACE(whole ? "written whole" : background ? "in the background" : "at once");
        test::TempDir dir;
        auto lib = SavedLibrary(dir, 120);
        lib->SetSaveInBackground(background);
        if (whole) lib->RewriteListFileAtNextSave();
        const auto before = IndexFiles(dir);
        TindexWatch watch{dir.Path().string(), {}};
        gIndexWatch = &watch;
        const TfileSync sync = SetFileSync(WatchingSync);
        Retag(*lib, 10, [](TaudioTag& t) { t.SetAlbum("Moved to another album"); });
        Wait(*lib);
        SetFileSync(sync);
        gIndexWatch = nullptr;
        const auto after = WholeIndexes(*lib);
        ASSERT_EQ(IndexFiles(dir), after);
        ASSERT_NE(before.at("albums.idx"), after.at("albums.idx"));
        // Up to the list file's flush, the old index files; then, before and after it has
        // its name, none of them: only new ones, each as it is complete.
        size_t listFlush = watch.Seen.size();
        for (size_t i = 0; i < watch.Seen.size(); ++i)
            if (watch.Seen[i] != before) {
                listFlush = i;
                break;
            }
        ASSERT_LT(listFlush, watch.Seen.size()) << "the index files were replaced";
        for (size_t i = listFlush; i < watch.Seen.size(); ++i)
            for (const auto& [name, bytes] : watch.Seen[i]) EXPECT_EQ(bytes, after.at(name)) << name << " at " << i;
    }
}

// Index files beside a list file another program put in place (one track more, at the
// end, so that every position they hold is still within the list): they do not file every
// track, so they are not taken, and the groupings are filed anew.
TEST(IndexFilesBesideTheList, IndexFilesThatDoNotFileEveryTrackAreNotTaken) {
    test::TempDir dir;
    auto saved = SavedLibrary(dir, 40);
    std::vector<TaudioTagPtr> tracks = saved->GlobalList().Items();
    saved.reset();
    TaudioTagPtr extra = test::MakeLibraryTag("/m/extra.mp3", "Someone New", "A new title", "A New Album", "Blues",
                                              "1977", 1);
    extra->SetTrackIndex(41);
    tracks.push_back(extra);
    TbyteWriter w;
    WriteTagListStream({"", false, ModeSet(lmLoop), ""}, tracks, w);
    const auto indexTime = fs::last_write_time(dir.File("albums.idx"));
    ASSERT_TRUE(SafeWriteFile(dir.File("jukebox.dat"), w.Bytes()));
    fs::last_write_time(dir.File("jukebox.dat"), indexTime - std::chrono::hours(1));
    auto lib = BackgroundLibrary(dir);
    lib->LoadIndexes();
    ASSERT_EQ(lib->GlobalList().Count(), 41);
    ASSERT_NE(lib->AlbumList().FindList("A New Album"), nullptr) << "the new track is filed";
    EXPECT_EQ(lib->GenreList().TrackCount(), 41);
    EXPECT_EQ(WholeIndexes(*lib), [&] {
        TlocalJukeboxList fresh;
        fresh.GlobalList().BeginUpdate();
        for (const auto& tag : lib->GlobalList().Items()) fresh.GlobalList().Add(tag->Clone());
        fresh.GlobalList().EndUpdate();
        return WholeIndexes(fresh);
    }());
}

namespace {
// The flush of the list file's write: the first one waits until released and then fails;
// the others flush.
std::atomic<bool> gFirstFlushHeld{false}, gFirstFlushWaiting{false}, gFirstFlushDone{false};
int FailingFirstListFlush(int fd) {
    char target[PATH_MAX] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const bool list = ::readlink(link.c_str(), target, sizeof target - 1) > 0 && std::strstr(target, "/.jukebox.dat.");
    if (!list || gFirstFlushDone.exchange(true)) return ::fsync(fd);
    gFirstFlushWaiting = true;
    while (gFirstFlushHeld.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    errno = EIO;
    return -1;
}

// Changes the list file in place, past its first records, while a save copies from it,
// and puts its write time back.
std::atomic<int> gCopiesWatched{0};
void ChangeWhileCopied(const std::string& path) {
    if (fs::path(path).filename() != "jukebox.dat" || gCopiesWatched++ > 0) return;
    const auto written = fs::last_write_time(path);
    {
        std::fstream s(path, std::ios::in | std::ios::out | std::ios::binary);
        s.seekp(std::streamoff(fs::file_size(path) - 40));
        s.put('#');
    }
    fs::last_write_time(path, written);
}
}  // namespace

// A save planned while the write before it is still on the worker copies from that write.
// When that write then fails, the file on disk is the one before it: the plan is not for
// it, and the list is written whole rather than copied from the wrong file.
TEST(ListFilePatch, ASavePlannedOnAWriteThatFailedIsNotCopiedFromTheFileBeforeIt) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 200);
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    gFirstFlushHeld = true;
    gFirstFlushWaiting = false;
    gFirstFlushDone = false;
    const TfileSync sync = SetFileSync(FailingFirstListFlush);
    Edit(*lib, 10, "First edit, never on disk");
    for (int i = 0; i < 20000 && !gFirstFlushWaiting; ++i) dispatcher.WaitAndProcess(1);
    ASSERT_TRUE(gFirstFlushWaiting);
    // The second save is planned on the first write, still on the worker.
    Edit(*lib, 150, "Second edit");
    while (dispatcher.ProcessPendingCalls() > 0) {
    }
    gFirstFlushHeld = false;
    Wait(*lib);
    SetFileSync(sync);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
}

// The index files hold positions in the list file: when the list file could not be
// written, they are not written either (they would be of a list that is not on disk);
// the next save writes both.
TEST(ListFilePatch, IndexFilesAreNotWrittenForAListFileThatWasNot) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 100);
    const std::string list = Bytes(dir.File("jukebox.dat"));
    const auto indexes = IndexFiles(dir);
    gFirstFlushHeld = false;
    gFirstFlushDone = false;
    const TfileSync sync = SetFileSync(FailingFirstListFlush);
    Retag(*lib, 5, [](TaudioTag& t) {
        t.SetAlbum("Another album");
        t.SetGenreString("Blues");
    });
    Wait(*lib);
    SetFileSync(sync);
    ASSERT_TRUE(gFirstFlushDone);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), list);
    EXPECT_EQ(IndexFiles(dir), indexes);
    Edit(*lib, 6, "Written");
    Wait(*lib);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
}

// The list file changed in place while a save copies from it (its write time put back):
// what was copied may be part old and part new, so nothing of it is kept; the list is
// written whole.
TEST(ListFilePatch, AFileChangedWhileItIsCopiedIsWrittenWhole) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 150);
    gCopiesWatched = 0;
    const TpatchCopyWatch watch = SetPatchCopyWatch(ChangeWhileCopied);
    Edit(*lib, 20, "Edited");
    Wait(*lib);
    SetPatchCopyWatch(watch);
    EXPECT_GE(gCopiesWatched.load(), 1);
    EXPECT_EQ(Bytes(dir.File("jukebox.dat")), WholeList(lib->GlobalList()));
    EXPECT_EQ(lib->LastSaveRecordsMade(), 150u);
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
}

// An entry is copied from an index file only when it is what the library takes it for:
// a list renamed without a change notice (its tracks and count as they were) is not
// copied under its old name.
TEST(ListFilePatch, AnIndexEntryIsCopiedOnlyWithTheNameAndCountTheListHasNow) {
    test::TempDir dir;
    auto lib = SavedLibrary(dir, 200);
    ASSERT_GT(lib->AlbumList().Count(), 2);
    lib->AlbumList().GetList(1)->SetTitle("Renamed quietly");
    lib->ArtistList().GetList(2)->SetTitle("Also renamed quietly");
    Retag(*lib, 33, [](TaudioTag& t) { t.SetDate("1993"); });
    Wait(*lib);
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
}

namespace {
// Entries of four bytes after a head of two, each checked by its first byte: how often the
// file was read through to find them.
int gFinds = 0;
bool FindFourByteEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes, std::vector<uint32_t>& lengths,
                         std::vector<uint64_t>& checks) {
    ++gFinds;
    std::string bytes(size_t(size), '\0');
    if (size != 2 + 4 * uint64_t(records) || ::pread(fd, bytes.data(), bytes.size(), 0) != ssize_t(size)) return false;
    headBytes = 2;
    lengths.assign(records, 4);
    checks.clear();
    for (uint32_t i = 0; i < records; ++i) checks.push_back(uint8_t(bytes[2 + 4 * i]));
    return true;
}
}  // namespace

// A patch whose copied entries carry checks is written when the ledger knows the old
// file's lengths but not their checks: the file is read through for them, rather than
// taken for another file and written whole. Checks that disagree with it are refused.
TEST(ListFilePatch, ChecksNotInTheLedgerAreReadFromTheFileBeforeEntriesAreCopied) {
    test::TempDir dir;
    const std::string path = dir.File("albums.idx");
    ASSERT_TRUE(SafeWriteFile(path, "HDaaaabbbbcccc"));
    TfileStamp stamp;
    ASSERT_TRUE(StampOfFile(path, stamp));
    TlistFilePatch patch;
    patch.Base = 1;
    patch.Head = "HD";
    patch.Pieces = {{0, 1}, {-1, 1}, {2, 1}};
    patch.Fresh = "XXXX";
    patch.FreshLengths = {4};
    patch.FreshChecks = {'X'};
    const auto lengths = std::make_shared<const std::vector<uint32_t>>(std::vector<uint32_t>{4, 4, 4});
    for (const bool agree : {true, false}) {
        SCOPED_TRACE(agree ? "checks that agree" : "a check that does not");
        patch.Checks = {'a', uint64_t(agree ? 'c' : 'b')};
        TlistFileLedger ledger;
        ledger.Set({1, stamp, 3, 2, lengths, nullptr});
        gFinds = 0;
        int64_t size = 0;
        const TlistPatchResult result = WriteListFilePatch(path, patch, 2, ledger, size, nullptr, FindFourByteEntries);
        EXPECT_EQ(gFinds, 1) << "the checks were read from the file";
        if (agree) {
            EXPECT_EQ(result, TlistPatchResult::lprWritten);
            EXPECT_EQ(Bytes(path), "HDaaaaXXXXcccc");
            EXPECT_EQ(size, 14);
            EXPECT_EQ(ledger.Get().Write, 2u);
            ASSERT_TRUE(ledger.Get().Checks);
            EXPECT_EQ(*ledger.Get().Checks, (std::vector<uint64_t>{'a', 'X', 'c'}));
            // Written back as it was for the second round.
            ASSERT_TRUE(SafeWriteFile(path, "HDaaaabbbbcccc"));
            ASSERT_TRUE(StampOfFile(path, stamp));
        } else {
            EXPECT_EQ(result, TlistPatchResult::lprStale);
            EXPECT_EQ(Bytes(path), "HDaaaabbbbcccc");
        }
    }
}

// The check of an entry's name and track count tells apart counts that differ in any of
// their four bytes, and names that differ in one.
TEST(ListFilePatch, TheEntryCheckTellsEveryByteOfTheCountAndTheNameApart) {
    const std::string names = std::string("\x05\0\0\0Album", 9);
    const uint64_t check = IndexEntryCheck(names, 0x01020304);
    for (const int32_t other : {0x01020305, 0x01020404, 0x01030304, 0x02020304, 0x01020304 ^ int32_t(0x80000000)})
        EXPECT_NE(IndexEntryCheck(names, other), check) << std::hex << other;
    std::string renamed = names;
    renamed.back() = 'n';
    EXPECT_NE(IndexEntryCheck(renamed, 0x01020304), check);
    EXPECT_EQ(IndexEntryCheck(names, 0x01020304), check);
}

namespace {
std::atomic<int> gFlushes{0};
int CountingSync(int fd) {
    ++gFlushes;
    return ::fsync(fd);
}
}  // namespace

// A start that files the groupings anew (an index file missing) asks for the index files
// to be written, but not while it is still loading, even when something runs the event
// loop meanwhile (the window repaints as the groupings fill): nothing is written until the
// library has loaded.
TEST(ListFilePatch, NothingIsWrittenWhileTheLibraryLoads) {
    test::TempDir dir;
    SavedLibrary(dir, 120).reset();
    fs::remove(dir.File("titles.idx"));
    auto lib = BackgroundLibrary(dir);
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    gFlushes = 0;
    const TfileSync sync = SetFileSync(CountingSync);
    int pumped = 0;
    TcustomJukeboxListEvents events;
    events.OnGlobalListChange = [&](TObject*) {
        if (!lib->Loading()) return;
        ++pumped;
        while (dispatcher.ProcessPendingCalls() > 0) {
        }
        while (lib->WorkerBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(gFlushes.load(), 0) << "written while loading";
    };
    lib->SetEvents(&events);
    lib->LoadIndexes();
    lib->SetEvents(nullptr);
    EXPECT_EQ(pumped, 1);
    Wait(*lib);
    SetFileSync(sync);
    EXPECT_GT(gFlushes.load(), 0) << "written once loaded";
    EXPECT_EQ(IndexFiles(dir), WholeIndexes(*lib));
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
