#include "core/database/media_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "core/base/csv_text.h"
#include "core/base/date_time.h"
#include "core/base/exceptions.h"
#include "core/database/query_rules.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/database/sqlite_database.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"
#include "support/recording_prompt.h"
#include "support/date_formats.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;

namespace {

TaudioTagPtr Track(const std::string& file, const std::string& artist, const std::string& title,
                   const std::string& album, const std::string& date, uint32_t trackNo, TDateTime modDate) {
    auto tag = test::MakeTag(artist, title, 200, file);
    tag->SetAlbum(album);
    tag->SetDate(date);
    tag->SetTrackNo(trackNo);
    tag->SetModDate(modDate);
    return tag;
}

// The library export as the library writes it: the header row, then each track's row
// and its playlist name.
std::string ExportText(const std::vector<TaudioTagPtr>& tags) {
    std::vector<std::string> names;
    for (const auto& column : JukeboxTableColumns()) names.push_back(column.Name);
    std::string text = JoinCSV(names) + "\r\n";
    for (const auto& tag : tags) {
        std::string row;
        tag->GetCSVRow(row);
        text += row + "," + QuoteCSVField("") + "\r\n";
    }
    return text;
}

class MediaDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        SetClock([] { return EncodeDate(2024, 6, 15) + EncodeTime(12, 0, 0, 0); });
        Ftags = {
            Track("/m/ABBA/Gold/01 Dancing Queen.mp3", "ABBA", "Dancing Queen", "Gold", "1976", 1,
                  EncodeDate(2004, 1, 31) + EncodeTime(9, 30, 0, 0)),
            Track("/m/abba/Arrival/02 Money.mp3", "abba", "Money, Money, Money", "Arrival", "1976", 2,
                  EncodeDate(2010, 5, 1)),
            Track("/m/The Beatles/Help/03 Help.mp3", "The Beatles", "Help!", "Help", "1965", 3,
                  EncodeDate(2020, 2, 29)),
            Track("/m/Unknown/track.mp3", "", "", "", "", 0, EncodeDate(2001, 7, 4)),
            Track("/m/Bob Marley/Legend/Is This Love.mp3", "Bob Marley", "Is This Love", "Legend", "1984", 0,
                  EncodeDate(1999, 12, 31)),
            Track("/m/\xC3\x91" "and\xC3\xBA/\xC3\x96lfeld.mp3", "\xC3\x91" "and\xC3\xBA", "\xC3\x96lfeld", "Sur",
                  "2002", 0, EncodeDate(2002, 3, 3)),
            // In the export but no longer in the library.
            Track("/m/Gone/Removed.mp3", "ABBA", "Removed", "Gold", "1976", 9, EncodeDate(2004, 1, 31)),
        };
        Ftags[2]->SetComment("He said \"hi\"");
        Ftags[4]->SetComment("line1\nline2");
        Ftags[4]->ExtraFields().Add("MOOD=chill");
        for (size_t i = 0; i + 1 < Ftags.size(); ++i) Findex.Add(Ftags[i]);
        ASSERT_TRUE(SafeWriteFile(Csv(), ExportText(Ftags)));
        ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
        Fdb.SetFileIndex(&Findex);
    }
    void TearDown() override { SetClock(nullptr); }

    std::string Csv() const { return Fdir.File("jukebox.csv"); }
    std::string Db() const { return Fdir.File("jukebox.mdb"); }

    // Titles of the library tracks a condition selects, sorted; "ERROR" on failure.
    std::vector<std::string> Select(const std::string& condition, std::string* errorOut = nullptr) {
        TaudioTagList list;
        std::string error;
        if (!Fdb.SelectFiles(condition, "", "", TdbTable::dtAudio, false, list, error)) {
            if (errorOut) *errorOut = error;
            return {"ERROR"};
        }
        std::vector<std::string> files;
        for (const auto& tag : list.Items()) files.push_back(tag->Filename().str());
        std::sort(files.begin(), files.end());
        return files;
    }
    int RowCount() {
        TmyStringList all;
        std::string error;
        EXPECT_TRUE(Fdb.SelectFiles("1=1", "", "", TdbTable::dtAudio, false, all, error)) << error;
        return all.Count();
    }
    std::string File(int i) const { return Ftags[size_t(i)]->Filename().str(); }

    test::TempDir Fdir;
    std::vector<TaudioTagPtr> Ftags;
    TfileNameIndex Findex;
    TjukeboxDB Fdb;
};

}  // namespace

TEST_F(MediaDatabase, RulesInTheOldDialectSelectTheExpectedTracks) {
    struct Tcase {
        const char* Condition;
        std::vector<int> Tracks;
    };
    const Tcase cases[] = {
        // Text compares without regard to case; the row of a file the library no
        // longer has is skipped.
        {"Artist = 'abba'", {0, 1}},
        {"Artist = \"ABBA\"", {0, 1}},
        {"Artist > 'A' AND Artist < 'B'", {0, 1}},
        {"Album In ('GOLD', 'help')", {0, 2}},
        // LIKE with each wildcard.
        {"Title Like 'money%'", {1}},
        {"Title Like '%QUEEN'", {0}},
        {"Title Like 'Hel_!'", {2}},
        {"Artist Like '[a-c]%'", {0, 1, 4}},
        {"Artist Like '[!a-c]%'", {2, 5}},
        {"Title Like '[dh]%' And Title Not Like '%queen'", {2}},
        // Empty fields are NULL.
        {"Artist Is Null", {3}},
        {"Nz(Album, 'none') = 'none'", {3}},
        // Date literals, as m/d/yyyy and as yyyy-mm-dd; the export keeps the date only.
        {"ModDate = #1/31/2004#", {0}},
        {"ModDate >= #2010-05-01# And ModDate < #2020-03-01#", {1, 2}},
        {"ModDate < #1/1/00#", {4}},
        // Concatenation, Mod, string functions.
        {"Artist & ' - ' & Title = 'the beatles - help!'", {2}},
        // & reads an empty (NULL) field as empty text.
        {"Artist & '|' & Title = '|'", {3}},
        {"Album & TrackNo + 1 = 'Help4'", {2}},
        {"TrackNo Mod 2 = 1", {0, 2}},
        {"Left(Artist, 3) = 'THE'", {2}},
        {"Right(Title, 5) = 'queen'", {0}},
        {"Mid(Title, 4, 4) = 'this'", {4}},
        {"Len(Artist) = 5", {5}},
        {"InStr(Title, 'MONEY') = 1 And InStr(2, Title, 'money') = 8", {1}},
        {"UCase(Artist) = 'ABBA' And LCase(Title) = 'dancing queen'", {0}},
        {"Trim('  x ') = 'x' And TrackNo = 1", {0}},
        {"Val(TagDate) < 1970", {2}},
        {"Val(' 19 84 tracks') = Val(TagDate)", {4}},
        // Dates.
        {"Year(ModDate) = 2001", {3}},
        {"Month(ModDate) = 2 And Day(ModDate) = 29", {2}},
        {"DateDiff('yyyy', ModDate, Now()) >= 22", {3, 4, 5}},
        {"ModDate > DateAdd('m', -60, Date())", {2}},
        {"IIf(TrackNo > 1, 'late', 'early') = 'LATE'", {1, 2}},
        // Quotes inside literals are left alone; awkward fields arrive whole.
        {"Comment Like '%\"hi\"%'", {2}},
        {"Comment Like 'line1_line2'", {4}},
        {"ExtraFields Like '%MOOD=chill%'", {4}},
        {"Title = 'Money, Money, Money'", {1}},
        {"Artist = '\xC3\x91" "and\xC3\xBA'", {5}},
        {"TrackNo = 99", {}},
    };
    for (const Tcase& c : cases) {
        std::vector<std::string> expected;
        for (int i : c.Tracks) expected.push_back(File(i));
        std::sort(expected.begin(), expected.end());
        std::string error;
        EXPECT_EQ(Select(c.Condition, &error), expected) << c.Condition << " -> " << error;
    }
}

TEST_F(MediaDatabase, BadAndHostileRulesGiveAnErrorAndChangeNothing) {
    const char* rules[] = {
        "1=1; DROP TABLE Audio",
        "1=1); DROP TABLE Audio; --",
        "1=1); UPDATE Audio SET Artist = 'x' WHERE (1=1",
        "1=1); DELETE FROM Audio; SELECT Filename FROM Audio WHERE (1=1",
        "1=1); ATTACH DATABASE 'x.db' AS x; --",
        "Artist =",
        "Artist = 'unterminated",
        "Artist = \"unterminated",
        "ModDate > #13/45/2004#",
        "Foo(Artist) = 1",
        "Title Like '[abc'",
        "",
    };
    for (const char* rule : rules) {
        std::string error;
        EXPECT_EQ(Select(rule, &error), std::vector<std::string>{"ERROR"}) << rule;
        EXPECT_FALSE(error.empty()) << rule;
    }
    EXPECT_EQ(RowCount(), 7);
    EXPECT_EQ(Select("Artist = 'x'"), std::vector<std::string>{});

    // The read-only connection refuses changes even when a statement gets that far.
    TsqliteDatabase raw;
    raw.Open(Db(), TsqliteDatabase::TopenMode::ReadOnly);
    raw.SetReadOnlyAuthorizer();
    EXPECT_THROW(raw.Prepare("UPDATE Audio SET Artist = 'x'"), Exception);
    EXPECT_THROW(raw.Prepare("DROP TABLE Audio"), Exception);
    EXPECT_THROW(raw.Prepare("PRAGMA writable_schema = 1"), Exception);
    EXPECT_THROW(raw.Prepare("SELECT 1; SELECT 2"), Exception);
    EXPECT_NO_THROW(raw.Prepare("SELECT 1; -- trailing comment\n ;"));

    // Behind the authorizer, each statement is asked whether it only reads before a rule
    // runs it: the answer is right for reads and writes alike.
    TsqliteDatabase plain;
    plain.Open(Db(), TsqliteDatabase::TopenMode::ReadOnly);
    EXPECT_TRUE(plain.Prepare("SELECT Filename FROM Audio WHERE Artist = 'x'").ReadOnly());
    EXPECT_TRUE(plain.Prepare("WITH c(x) AS (SELECT 1) SELECT x FROM c").ReadOnly());
    EXPECT_FALSE(plain.Prepare("UPDATE Audio SET Artist = 'x'").ReadOnly());
    EXPECT_FALSE(plain.Prepare("DELETE FROM Audio").ReadOnly());
    EXPECT_FALSE(plain.Prepare("CREATE TABLE t(x)").ReadOnly());
}

TEST_F(MediaDatabase, ARuleThatWouldRunForeverIsStoppedAtItsDeadline) {
    Fdb.SetQueryTimeLimit(300);
    const char* forever[] = {
        // A recursion without end, and a join of the table with itself many times over.
        "Filename IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c WHERE x < 0)",
        "(SELECT count(*) FROM Audio a, Audio b, Audio c, Audio d, Audio e, Audio f, Audio g, Audio h, Audio i, "
        "Audio j, Audio k, Audio l, Audio m, Audio n) < 0",
    };
    for (const char* rule : forever) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        EXPECT_EQ(Select(rule, &error), std::vector<std::string>{"ERROR"}) << rule;
        EXPECT_EQ(error, "The query ran longer than 0.3 seconds and was stopped");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    }
    // The next rule has its own full time.
    EXPECT_EQ(Select("Artist = 'The Beatles'"), std::vector<std::string>{File(2)});

    // Through a query rule the stop shows in the "Query Error" box.
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previous = SetPrompt(prompt);
    TdbRules rule;
    rule.Add(forever[0]);
    TaudioTagList target;
    EXPECT_FALSE(FillFromQueryRule(rule, Fdb, target));
    SetPrompt(previous);
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(prompt->Messages[0], "Query Error|" + QueryErrorText("The query ran longer than 0.3 seconds and was stopped\r\n"));
}

TEST_F(MediaDatabase, RulesCallOnlyAllowedFunctionsAndStayWithinSizeLimits) {
    const char* refused[] = {
        "Len(randomblob(1000000000)) > 0",
        "length(zeroblob(1000000000)) > 0",
        "fts3_tokenizer('simple') IS NOT NULL",
        "load_extension('libx') IS NULL",
        "sqlite_version() <> ''",
        "sqlite_offset(Filename) > 0",
    };
    for (const char* rule : refused) {
        std::string error;
        EXPECT_EQ(Select(rule, &error), std::vector<std::string>{"ERROR"}) << rule;
        EXPECT_FALSE(error.empty()) << rule;
    }
    std::string error;
    Select("fts3_tokenizer('simple') IS NOT NULL", &error);
    EXPECT_EQ(error, "not authorized to use function: fts3_tokenizer");
    // Texts past the size cap are refused by the engine, not built.
    EXPECT_EQ(Select("Len(replace(printf('%.*c', 2000000, 'x'), 'x', 'xxxxxxxxxx')) > 0", &error),
              std::vector<std::string>{"ERROR"});
    EXPECT_EQ(error, "string or blob too big");
    EXPECT_EQ(Select("Len(Artist & printf('%.*c', 9000000, 'x') & printf('%.*c', 9000000, 'x')) > 0", &error),
              std::vector<std::string>{"ERROR"});
    EXPECT_EQ(error, "string or blob too big");
    // Ordinary functions of both kinds still work.
    EXPECT_EQ(Select("lower(Artist) = 'the beatles' And Len(coalesce(Title, '')) = 5"),
              std::vector<std::string>{File(2)});
}

// The guard sits on the connections the product opens itself: the library's query
// connection refuses pragmas and temporary tables, which a read-only file alone allows.
TEST_F(MediaDatabase, TheQueryConnectionRefusesPragmasAndTemporaryTables) {
    std::string error;
    EXPECT_EQ(Select("Filename IN (SELECT name FROM pragma_table_info('Audio'))", &error),
              std::vector<std::string>{"ERROR"});
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Select("Filename IN (SELECT Filename FROM Audio WHERE Artist = 'The Beatles')").size(), 1u)
        << "a sub-query that only reads still runs";

    TmyAccessDB access;
    access.DataSource = Db();
    ASSERT_TRUE(access.Connect()) << access.LastError();
    for (const char* sql : {"CREATE TEMP TABLE t(x)", "CREATE TEMP VIEW v AS SELECT 1", "PRAGMA user_version",
                            "PRAGMA temp_store = MEMORY", "ATTACH DATABASE ':memory:' AS m",
                            "INSERT INTO Audio (Filename) VALUES ('x')"})
        EXPECT_THROW(access.NewQuery(sql), Exception) << sql;
    EXPECT_NO_THROW(access.NewQuery("SELECT count(*) FROM Audio"));
    EXPECT_EQ(RowCount(), 7);
}

TEST_F(MediaDatabase, ExtraConditionIsJoinedInParenthesesAndOrderApplies) {
    TmyStringList files;
    std::string error;
    ASSERT_TRUE(Fdb.SelectFiles("Artist = 'abba' Or Artist = 'bob marley'", "TrackNo = 0", "", TdbTable::dtAudio,
                                false, files, error))
        << error;
    EXPECT_EQ(files.ToVector(), std::vector<std::string>{File(4)});
    ASSERT_TRUE(
        Fdb.SelectFiles("Artist = 'abba'", "", "TrackNo DESC", TdbTable::dtAudio, false, files, error));
    EXPECT_EQ(files.ToVector(), (std::vector<std::string>{File(6), File(1), File(0)}));
    // Append keeps what the target held.
    ASSERT_TRUE(Fdb.SelectFiles("Album = 'Legend'", "", "", TdbTable::dtAudio, true, files, error));
    EXPECT_EQ(files.Count(), 4);
}

TEST_F(MediaDatabase, NotConnectedWithoutDatabaseOrFileIndex) {
    TjukeboxDB other;
    TmyStringList files;
    std::string error;
    EXPECT_FALSE(other.SelectFiles("1=1", "", "", TdbTable::dtAudio, false, files, error));
    EXPECT_EQ(error, "Not Connected");
    ASSERT_TRUE(other.Open(Db()));
    EXPECT_FALSE(other.SelectFiles("1=1", "", "", TdbTable::dtAudio, false, files, error));
    EXPECT_EQ(error, "Not Connected");
}

TEST_F(MediaDatabase, RebuildReplacesRowsAndAFailedBuildKeepsTheOldDatabase) {
    // A second build does not add the rows again.
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    EXPECT_EQ(RowCount(), 7);
    EXPECT_FALSE(fs::exists(Db() + ".new"));

    std::string before;
    ASSERT_TRUE(ReadFileBytes(Db(), before));
    EXPECT_FALSE(Fdb.Build(Db(), Fdir.File("missing.csv")));
    EXPECT_NE(Fdb.LastError().find("missing.csv"), std::string::npos);
    EXPECT_TRUE(Fdb.Connected());
    EXPECT_EQ(RowCount(), 7);
    std::string after;
    ASSERT_TRUE(ReadFileBytes(Db(), after));
    EXPECT_EQ(before, after);
    EXPECT_FALSE(fs::exists(Db() + ".new"));

    // A new export with fewer tracks gives a database with just those.
    Ftags.resize(2);
    ASSERT_TRUE(SafeWriteFile(Csv(), ExportText(Ftags)));
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    EXPECT_EQ(RowCount(), 2);
}

TEST_F(MediaDatabase, DamagedOrOutdatedDatabaseIsRebuilt) {
    const std::string library = Fdir.File("jukebox.dat");
    ASSERT_TRUE(SafeWriteFile(library, "x"));
    fs::last_write_time(Db(), fs::last_write_time(library) + std::chrono::seconds(5));
    EXPECT_FALSE(TjukeboxDB::NeedsRebuild(Db(), library));
    fs::last_write_time(Db(), fs::last_write_time(library) - std::chrono::seconds(5));
    EXPECT_TRUE(TjukeboxDB::NeedsRebuild(Db(), library));

    Fdb.Close();
    ASSERT_TRUE(SafeWriteFile(Db(), std::string(4096, 'x')));
    EXPECT_TRUE(TjukeboxDB::NeedsRebuild(Db(), library));
    EXPECT_FALSE(Fdb.Open(Db()));
    EXPECT_FALSE(Fdb.LastError().empty());
    EXPECT_FALSE(Fdb.Connected());
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    EXPECT_EQ(RowCount(), 7);

    // A valid database file without the table is no media database.
    Fdb.Close();
    fs::remove(Db());
    TmyAccessDB empty;
    empty.DataSource = Db();
    empty.OnCreateDatabase = [](TObject*, bool& create) { create = true; };
    EXPECT_TRUE(empty.Connect());
    EXPECT_TRUE(TjukeboxDB::NeedsRebuild(Db(), library));
    EXPECT_TRUE(TjukeboxDB::NeedsRebuild(Fdir.File("none.mdb"), library));
}

TEST_F(MediaDatabase, QueryRulesAddEachTrackOnceAndCollectErrors) {
    TdbRules rule;
    rule.RuleName = "Mixed";
    rule.Add("Artist = 'abba'");
    rule.Add("Title Like 'money%'");
    rule.Add("Artist =");
    rule.Add("Album = 'Help'");
    rule.Add("Bogus(1) = 1");
    TaudioTagList target;
    target.Add(Ftags[4]);
    std::string errors;
    EXPECT_FALSE(rule.CheckQueries(Fdb, target, errors));
    std::vector<std::string> files;
    for (const auto& tag : target.Items()) files.push_back(tag->Filename().str());
    EXPECT_EQ(files, (std::vector<std::string>{File(0), File(1), File(2)}));
    EXPECT_EQ(target.Items()[0], Ftags[0]);  // the library's own track, not a copy
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
    EXPECT_NE(errors.find("Bogus"), std::string::npos);
    EXPECT_EQ(errors.substr(errors.size() - 2), "\r\n");

    struct Tprompt2 : Tprompt {
        std::string Text, Title;
        void ShowMessage(const std::string& text, const std::string& title) override {
            Text = text;
            Title = title;
        }
    };
    auto prompt = std::make_shared<Tprompt2>();
    auto old = SetPrompt(prompt);
    EXPECT_FALSE(FillFromQueryRule(rule, Fdb, target));
    SetPrompt(old);
    EXPECT_EQ(prompt->Title, "Query Error");
    EXPECT_EQ(prompt->Text, "There is an error in your Random Play Query:\r\n\r\n" + errors);
    EXPECT_EQ(target.Count(), 3);

    TdbRules empty;
    EXPECT_TRUE(empty.CheckQueries(Fdb, target, errors));
    EXPECT_EQ(target.Count(), 0);
    EXPECT_EQ(errors, "");
}

// The export is read in pieces of a few megabytes: rows (one with a line break inside a
// quoted field) that straddle the pieces come back whole, and every row is imported.
TEST_F(MediaDatabase, LargeExportIsImportedRowByRowAcrossReadPieces) {
    std::vector<TaudioTagPtr> tags;
    const std::string padding(1000, 'x');
    for (int i = 0; i < 5000; ++i) {
        auto tag = Track("/m/big/" + std::to_string(i) + ".mp3", "Artist " + std::to_string(i % 50),
                         "Song " + std::to_string(i), "Album", "1999", uint32_t(i % 12), EncodeDate(2001, 1, 1));
        tag->SetComment(i % 1000 == 999 ? "first line\r\nsecond, \"quoted\" line " + padding : padding);
        tags.push_back(tag);
    }
    // One row longer than two read pieces, with rows after it.
    tags[2500]->SetComment("huge " + std::string(9 << 20, 'h') + " end");
    ASSERT_TRUE(SafeWriteFile(Csv(), ExportText(tags)));
    ASSERT_GT(fs::file_size(Csv()), size_t(12) << 20);
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    TfileNameIndex index;
    for (const auto& tag : tags) index.Add(tag);
    Fdb.SetFileIndex(&index);
    EXPECT_EQ(RowCount(), 5000);
    TaudioTagList picked;
    std::string error;
    // (The long comment is passed over before the pattern would look at all of it.)
    // Not a test of the query time limit: a busy machine must not stop this query.
    Fdb.SetQueryTimeLimit(60000);
    ASSERT_TRUE(Fdb.SelectFiles("length(Comment) < 2000 And Comment Like 'first line%'", "", "TrackNo",
                                TdbTable::dtAudio, false, picked, error))
        << error;
    ASSERT_EQ(picked.Count(), 5);
    EXPECT_EQ(picked.GetTag(0)->Comment(), tags[999]->Comment());
    // The long row and the rows after it came in whole.
    TsqliteDatabase raw;
    raw.Open(Db(), TsqliteDatabase::TopenMode::ReadOnly);
    TsqliteStatement huge = raw.Prepare("select Comment from Audio where Title = 'Song 2500'");
    ASSERT_TRUE(huge.Step());
    EXPECT_TRUE(huge.ColumnText(0) == tags[2500]->Comment());
    TsqliteStatement after = raw.Prepare("select count(*) from Audio where rowid > 2501 and Comment = ?");
    after.BindText(1, padding);
    ASSERT_TRUE(after.Step());
    EXPECT_EQ(after.ColumnInt64(0), 5000 - 2501 - 3);  // less the three with two lines
    // Only the columns rules pick groups by are indexed: not titles and file dates, whose
    // wide ranges read faster by a scan than through an index. The file name's index
    // compares bytes: it finds a changed track's row, and no rule is planned through it.
    std::vector<std::string> names;
    for (TsqliteStatement q = raw.Prepare("select name from sqlite_master where type = 'index' order by name");
         q.Step();)
        names.push_back(q.ColumnText(0));
    EXPECT_EQ(names,
              (std::vector<std::string>{"AlbumIndex", "ArtistIndex", "FilePartIndex", "GenreStringIndex",
                                        "TagDateIndex"}));
    TsqliteStatement plan = raw.Prepare("explain query plan select Filename from Audio where "
                                        "Title >= 'A' and ModDate < 1e9 and Artist = 'Artist 7' collate nocase");
    ASSERT_TRUE(plan.Step());
    EXPECT_NE(plan.ColumnText(3).find("ArtistIndex"), std::string::npos) << plan.ColumnText(3);
}

// A damaged export imports as it reads: a short row leaves its last columns empty, a
// long row's extra fields are ignored, a number that does not convert is empty, blank
// lines are skipped, and a quote left open takes in the rest of the file as one field.
TEST_F(MediaDatabase, DamagedExportRowsImportAsTheyRead) {
    std::string header;
    GetCSVHeader(header);
    std::string row;
    Ftags[0]->GetCSVRow(row);
    const std::string text = header + "\r\n" + row + ",\r\n" +
                             "/m/short.mp3,/m/,short.mp3,mp3,/m/Short,Short Title\r\n"
                             "\r\n"
                             "/m/bad.mp3,,,,,Bad,,,,1999,x,,7th,,,,,,,,,not a date,,,extra,fields\n"
                             "/m/open.mp3,,,,,\"Open quote,Artist\r\n/m/lost.mp3,,,,,Lost\r\n";
    ASSERT_TRUE(SafeWriteFile(Csv(), text));
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    TsqliteDatabase raw;
    raw.Open(Db(), TsqliteDatabase::TopenMode::ReadOnly);
    std::vector<std::string> rows;
    for (TsqliteStatement q = raw.Prepare("select Filename, quote(Title), quote(Artist), quote(TrackNo), "
                                          "quote(GenreID), quote(TagDate), quote(ModDate), quote(PlaylistName) "
                                          "from Audio order by rowid");
         q.Step();) {
        std::string line;
        for (int i = 0; i < q.ColumnCount(); ++i) line.append(i ? "|" : "").append(q.ColumnText(i));
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, rows[0].find('|')), File(0));
    EXPECT_EQ(rows[0].substr(rows[0].rfind('|')), "|NULL");
    EXPECT_EQ(rows[1], "/m/short.mp3|'Short Title'|NULL|NULL|NULL|NULL|NULL|NULL");
    EXPECT_EQ(rows[2], "/m/bad.mp3|'Bad'|NULL|NULL|NULL|'1999'|NULL|NULL");
    EXPECT_EQ(rows[3], "/m/open.mp3|'Open quote,Artist\r\n/m/lost.mp3,,,,,Lost\r\n'|NULL|NULL|NULL|NULL|NULL|NULL");
}

TEST_F(MediaDatabase, ModDatesReadBackInTheLocalesFormAndInTheIsoForm) {
    for (const char* shortDate : {"%d.%m.%Y", "%d/%m/%y", "%Y-%m-%d"}) {
        test::TscopedDateFormats locale(shortDate);
        ASSERT_TRUE(SafeWriteFile(Csv(), ExportText(Ftags)));
        ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
        Fdb.SetFileIndex(&Findex);
        EXPECT_EQ(Select("ModDate = #1/31/2004#"), (std::vector<std::string>{File(0)})) << shortDate;
        EXPECT_EQ(Select("ModDate = #2020-02-29#"), (std::vector<std::string>{File(2)})) << shortDate;
    }
    // An export written in ISO form reads back under a day-first locale.
    std::string text;
    {
        test::TscopedDateFormats iso;
        text = ExportText(Ftags);
    }
    test::TscopedDateFormats dayFirst("%d/%m/%Y");
    ASSERT_TRUE(SafeWriteFile(Csv(), text));
    ASSERT_TRUE(Fdb.Build(Db(), Csv())) << Fdb.LastError();
    Fdb.SetFileIndex(&Findex);
    EXPECT_EQ(Select("ModDate = #5/1/2010#"), (std::vector<std::string>{File(1)}));
}
