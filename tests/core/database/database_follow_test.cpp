// The media database following changes of the library row by row: after adds, edits
// (also of a file name) and removals, synchronously and in the background, it holds
// exactly the rows a database rebuilt from the whole library holds, in the same file
// (no rebuild); changes a rebuild must follow still come out right; and an update
// that fails part-way leaves the old rows and is mended by a rebuild.
#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/library/jukebox_list.h"
#include "core/database/media_database.h"
#include "core/tags/playlist_files.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "tests/support/groupings_image.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::LibraryTrack;

// Every row of the Audio table, each as its columns' values, sorted.
std::vector<std::string> AudioRows(const std::string& file) {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        ADD_FAILURE() << "cannot open " << file;
        return rows;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select * from Audio", -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const int type = sqlite3_column_type(stmt, c);
                const auto* text = sqlite3_column_text(stmt, c);
                row += std::to_string(type) + ":" + (text ? reinterpret_cast<const char*>(text) : "") + "|";
            }
            rows.push_back(row);
        }
    } else {
        ADD_FAILURE() << sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The rows of a database built from the library as it is now.
std::vector<std::string> RebuiltRows(TcustomJukeboxList& lib, const test::TempDir& scratch) {
    const std::string csv = scratch.File("all.csv"), db = scratch.File("all.mdb");
    std::string error;
    EXPECT_TRUE(ExportCSV(lib.GlobalList(), csv, false, "", &error)) << error;
    TjukeboxDB rebuilt;
    EXPECT_TRUE(rebuilt.Build(db, csv)) << rebuilt.LastError();
    rebuilt.Close();
    return AudioRows(db);
}

ino_t Inode(const std::string& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

void WaitForBackgroundWork(TcustomJukeboxList& lib) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (int i = 0; i < 20000 && lib.BackgroundWorkPending(); ++i) dispatcher.WaitAndProcess(5);
    ASSERT_FALSE(lib.BackgroundWorkPending());
}

class DatabaseFollowTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        Lib.SetDataFolder(Dir.Path().string());
        Lib.AutoSaveGlobal = true;
        Lib.SetDatabaseEnabled(true);
        Lib.SetSaveInBackground(GetParam());
        SetErrorLogFile(Scratch.File("log.log"));
        Lib.GlobalList().BeginUpdate();
        for (int i = 0; i < 60; ++i) Lib.GlobalList().Add(LibraryTrack(i));
        Lib.GlobalList().EndUpdate();
        Settle();
        ASSERT_TRUE(fs::exists(Database()));
    }
    void TearDown() override { SetErrorLogFile(""); }
    void Settle() {
        if (GetParam()) WaitForBackgroundWork(Lib);
    }
    std::string Database() const { return Dir.File("jukebox.mdb"); }
    void Edit(int index, const std::function<void(TaudioTag&)>& change) {
        const TaudioTagPtr tag = Lib.GlobalList().GetTag(index);
        const TaudioTagPtr values = tag->Clone();
        change(*values);
        Lib.EditTrack(tag, *values);
    }
    std::string Log() {
        std::string text;
        ReadFileBytes(Scratch.File("log.log"), text);
        return text;
    }

    test::TempDir Dir, Scratch;
    TlocalJukeboxList Lib;
};

TEST_P(DatabaseFollowTest, AddsEditsAndRemovalsGiveTheRowsARebuildGivesInTheSameFile) {
    const ino_t built = Inode(Database());
    std::string csvBefore;
    ASSERT_TRUE(ReadFileBytes(Dir.File("jukebox.csv"), csvBefore));
    const std::vector<std::function<void()>> steps = {
        [&] { Lib.GlobalList().Add(LibraryTrack(100)); },
        [&] { Edit(10, [](TaudioTag& t) { t.SetTitle("A \"quoted\", title"); t.SetArtist("Someone Else"); }); },
        [&] { Edit(20, [](TaudioTag& t) { t.SetFilename("/m/renamed/20.mp3"); }); },
        [&] { Lib.GlobalList().Delete(0); },
        [&] { Lib.GlobalList().Delete(30); },
        [&] {
            // A burst: two new tracks and an edit of one of them, then it is removed again.
            Lib.GlobalList().BeginUpdate();
            Lib.GlobalList().Add(LibraryTrack(101));
            Lib.GlobalList().Add(LibraryTrack(102));
            Lib.GlobalList().EndUpdate();
            Edit(Lib.GlobalList().Count() - 1, [](TaudioTag& t) { t.SetGenreString("Blues"); t.SetDate("1975"); });
            Lib.GlobalList().Delete(Lib.GlobalList().Count() - 2);
        },
        // A new track under the name a removed one had.
        [&] { Lib.GlobalList().Add(LibraryTrack(0)); },
        // Edited twice before anything is saved.
        [&] {
            Edit(5, [](TaudioTag& t) { t.SetFilename("/m/once/5.mp3"); });
            Edit(5, [](TaudioTag& t) { t.SetFilename("/m/twice/5.mp3"); t.SetTrackNo(42); });
        },
    };
    for (size_t step = 0; step < steps.size(); ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        steps[step]();
        Settle();
        ASSERT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    }
    // Followed in place: no rebuild replaced the file, no export was written.
    EXPECT_EQ(Inode(Database()), built);
    std::string csvAfter;
    ASSERT_TRUE(ReadFileBytes(Dir.File("jukebox.csv"), csvAfter));
    EXPECT_EQ(csvAfter, csvBefore);
    // The library's own connection answers from the followed rows.
    TaudioTagList found;
    std::string error;
    ASSERT_TRUE(Lib.Database().SelectFiles("Filename = '/m/twice/5.mp3' and TrackNo = 42", "", "", TdbTable::dtAudio,
                                           false, found, error))
        << error;
    ASSERT_EQ(found.Count(), 1);
    EXPECT_EQ(found.GetTag(0), Lib.GlobalList().GetTag(5));
    EXPECT_EQ(Log(), "");
}

TEST_P(DatabaseFollowTest, AnEditedTracksRowIsFoundByItsExactNameWithoutReadingEveryRow) {
    // Two files of one folder whose names differ only in case are two rows: an edit of
    // one replaces its own row and leaves the other's.
    const TaudioTagPtr upper = LibraryTrack(300), lower = LibraryTrack(301);
    upper->SetFilename("/m/case/Song.mp3");
    lower->SetFilename("/m/case/song.mp3");
    Lib.GlobalList().BeginUpdate();
    Lib.GlobalList().Add(upper);
    Lib.GlobalList().Add(lower);
    Lib.GlobalList().EndUpdate();
    Settle();
    ASSERT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    const ino_t before = Inode(Database());
    Edit(Lib.GlobalList().IndexOf(upper.get()), [](TaudioTag& t) { t.SetTitle("Upper case, edited"); });
    Settle();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    EXPECT_EQ(Inode(Database()), before);  // followed, not rebuilt

    // The row is looked up through an index, as the library's update looks it up.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "explain query plan delete from Audio where FilePart is ?2 collate binary and "
                                 "PathPart is ?1 and Filename is ?3",
                                 -1, &plan, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    std::string steps;
    while (sqlite3_step(plan) == SQLITE_ROW) steps += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
    sqlite3_finalize(plan);
    // A rule's comparison of the same column (without regard to case) never uses it.
    ASSERT_EQ(sqlite3_prepare_v2(db, "explain query plan select * from Audio where FilePart >= 'a'", -1, &plan, nullptr),
              SQLITE_OK);
    std::string ruleSteps;
    while (sqlite3_step(plan) == SQLITE_ROW) ruleSteps += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
    sqlite3_finalize(plan);
    sqlite3_close(db);
    EXPECT_NE(steps.find("USING INDEX FilePartIndex"), std::string::npos) << steps;
    EXPECT_EQ(ruleSteps.find("INDEX"), std::string::npos) << ruleSteps;
}

TEST_P(DatabaseFollowTest, ChangesOnlyARebuildCanFollowAreRebuiltAndComeOutRight) {
    // A file name of two tracks: removing one's rows would remove the other's.
    Lib.GlobalList().Add(Lib.GlobalList().GetTag(3)->Clone());
    Settle();
    ASSERT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    ino_t before = Inode(Database());
    Edit(3, [](TaudioTag& t) { t.SetTitle("One of two"); });
    Settle();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    EXPECT_NE(Inode(Database()), before);
    // A change nobody noted: a track edited in place, then a change notice.
    before = Inode(Database());
    Lib.GlobalList().GetTag(7)->SetTitle("Changed behind the library's back");
    Lib.GlobalList().BeginUpdate();
    Lib.GlobalList().EndUpdate();
    Settle();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    EXPECT_NE(Inode(Database()), before);
    // A reorder.
    Lib.GlobalList().BeginUpdate();
    Lib.GlobalList().Move(0, Lib.GlobalList().Count() - 1);
    Lib.GlobalList().EndUpdate();
    Settle();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
}

TEST_P(DatabaseFollowTest, AnUpdateThatFailsPartWayKeepsTheOldRowsAndARebuildMendsIt) {
    // The database refuses one title, after the rows of the edited file are gone.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Database().c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "create trigger refuse before insert on Audio when new.Title = 'Boom' "
                               "begin select raise(abort, 'refused'); end",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const std::vector<std::string> old = AudioRows(Database());
    TjukeboxDB writer;
    std::string rows;
    const TaudioTagPtr boom = LibraryTrack(200);
    boom->SetTitle("Boom");
    LibraryTrack(201)->GetCSVRow(rows);
    rows += ",\n";
    boom->GetCSVRow(rows);
    rows += ",\n";
    EXPECT_FALSE(writer.ApplyChanges(Database(), {Lib.GlobalList().GetTag(4)->Filename().str()}, rows));
    EXPECT_NE(writer.LastError().find("refused"), std::string::npos) << writer.LastError();
    EXPECT_EQ(AudioRows(Database()), old);

    // Through the library: the failure is logged and a rebuild (without the trigger) follows.
    Edit(4, [](TaudioTag& t) { t.SetTitle("Boom"); });
    Settle();
    EXPECT_NE(Log().find("Cannot update"), std::string::npos) << Log();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    // And the rebuilt database is followed row by row again.
    const ino_t rebuilt = Inode(Database());
    Lib.GlobalList().Add(LibraryTrack(300));
    Settle();
    EXPECT_EQ(AudioRows(Database()), RebuiltRows(Lib, Scratch));
    EXPECT_EQ(Inode(Database()), rebuilt);
}

INSTANTIATE_TEST_SUITE_P(SyncAndBackground, DatabaseFollowTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Background" : "Synchronous"; });

}  // namespace
}  // namespace tunecrest
