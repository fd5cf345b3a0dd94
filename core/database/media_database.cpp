#include "core/database/media_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/tags/audio_tag.h"
#include "core/base/csv_text.h"
#include "core/base/exceptions.h"
#include "core/database/jet_sql_dialect.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

// Text columns compare without regard to case, as rules expect.
constexpr const char* kText = "varchar(255) COLLATE NOCASE";
constexpr const char* kMemo = "text COLLATE NOCASE";
constexpr const char* kInt = "int";
constexpr const char* kDate = "datetime";

struct TindexDef {
    const char* Name;
    const char* Columns;
};
// The columns rules pick a group of tracks by: an artist, an album, a genre, a year.
// The library's rows come folder by folder, so the tracks of one value lie together in
// the table and even a wide range read through these indexes stays near the speed of a
// scan. Titles and file dates are scattered through the table: SQLite reads a range
// condition on an indexed column through the index whatever its width (its planner
// has no value statistics here), and a rule such as "ModDate < #1/1/2024#" then seeks
// the table once per track, many times slower than the scan it replaces (seconds for
// a million tracks, past the query time limit). Without those indexes such rules, like
// every LIKE rule, scan the table once. Indexes on the path columns would only slow
// the build down: no rule condition is answered by them faster than by a scan.
//
// One index serves the library's own updates: a changed or removed track's row is found
// by its file name (kFindRowSql), not by a scan of every row (a seventh of a second at a
// million tracks, at every change). It compares bytes, where every rule compares
// without regard to case, so no rule is ever planned through it.
constexpr TindexDef kIndexes[] = {
    {"ArtistIndex", "Artist"},
    {"AlbumIndex", "Album"},
    {"GenreStringIndex", "GenreString"},
    {"TagDateIndex", "TagDate"},
    {"FilePartIndex", "FilePart COLLATE BINARY"},
};

// The row of a file, as the library exported it: its name within the folder exactly
// (two files whose names differ only in case are two rows), its folder and whole name
// as the rules compare them. Empty parts are NULL, as imported.
constexpr const char* kFindRowSql = "FilePart is ?2 collate binary and PathPart is ?1 and Filename is ?3";

const char* TableName(TdbTable table) { return table == TdbTable::dtVideo ? "Video" : "Audio"; }

bool FileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(name, ec);
}

bool ParseInteger(const std::string& text, int64_t& value) {
    constexpr int64_t kNone = INT64_MIN;
    value = StrToInt64Def(text, kNone);
    return value != kNone;
}

// The rows of an export file, read in pieces of a few megabytes. Opened without
// blocking and only when it is a regular file.
class TcsvFileRows {
  public:
    explicit TcsvFileRows(const std::string& fileName) {
        Ffd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (Ffd < 0 || ::fstat(Ffd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (Ffd >= 0) ::close(Ffd);
            throw Exception("Cannot read " + fileName);
        }
        FfileName = fileName;
    }
    ~TcsvFileRows() { ::close(Ffd); }
    TcsvFileRows(const TcsvFileRows&) = delete;
    TcsvFileRows& operator=(const TcsvFileRows&) = delete;

    // The next row; false at the end of the file. The row's texts stay until the next call.
    bool Next(std::vector<std::string>& row) {
        while (true) {
            if (Fpos >= Fsize && Feof) return false;
            size_t pos = Fpos;
            if (ReadCSVRow(std::string_view(Fbuffer.get(), Fsize), pos, row) || Feof) {
                Fpos = pos;
                return true;
            }
            Refill();  // the row goes on past what was read: read more and parse it again
        }
    }

  private:
    static constexpr size_t kPiece = 4 << 20;

    // Keeps the unread rest and reads the next piece after it. A row longer than a piece
    // (a damaged quote can run to the end of the file) is parsed again from its start
    // after each read, so each read is at least as long as the rest kept: the reading
    // stays linear in the row's length.
    void Refill() {
        const size_t kept = Fsize - Fpos;
        const size_t want = std::max(kPiece, kept);
        if (Fcapacity < kept + want) {
            const size_t capacity = kept + want;
            std::unique_ptr<char[]> buffer(new char[capacity]);
            if (kept) std::memcpy(buffer.get(), Fbuffer.get() + Fpos, kept);
            Fbuffer = std::move(buffer);
            Fcapacity = capacity;
        } else if (kept && Fpos) {
            std::memmove(Fbuffer.get(), Fbuffer.get() + Fpos, kept);
        }
        Fpos = 0;
        Fsize = kept;
        ssize_t got;
        do got = ::read(Ffd, Fbuffer.get() + kept, Fcapacity - kept);
        while (got < 0 && errno == EINTR);
        if (got < 0) throw Exception("Cannot read " + FfileName);
        Fsize = kept + size_t(got);
        if (got == 0) Feof = true;
    }

    int Ffd = -1;
    std::string FfileName;
    std::unique_ptr<char[]> Fbuffer;  // not cleared when made: only what was read is looked at
    size_t Fcapacity = 0;
    size_t Fsize = 0;  // bytes read into the buffer
    size_t Fpos = 0;   // start of the first row not yet returned
    bool Feof = false;
};

std::string InsertStatement(const std::string& table) {
    std::string insert = "insert into " + table + " values (";
    for (size_t i = 0; i < JukeboxTableColumns().size(); ++i) insert += i ? ", ?" : "?";
    return insert + ")";
}

// Binds one row of the export to the insert statement. Empty fields and numbers or
// dates that do not convert become NULL, as a text import gives them. The row must
// stay until the insert has run.
void BindExportRow(TsqliteStatement& stmt, const std::vector<std::string>& row) {
    const auto& columns = JukeboxTableColumns();
    for (size_t i = 0; i < columns.size(); ++i) {
        const int param = int(i) + 1;
        if (i >= row.size() || row[i].empty()) {
            stmt.BindNull(param);
            continue;
        }
        const std::string& value = row[i];
        const char* type = columns[i].Type;
        if (type == kInt) {
            int64_t number;
            if (ParseInteger(value, number)) stmt.BindInt64(param, number);
            else stmt.BindNull(param);
        } else if (type == kDate) {
            TDateTime date;
            // The export writes the locale's short date; files from before it, ISO dates.
            if (ParseLocaleDateTime(value, date) || ParseJetDate(value, date))
                stmt.BindDouble(param, date);
            else stmt.BindNull(param);
        } else {
            stmt.BindTextNoCopy(param, value);
        }
    }
}

// Creates one table and fills it from the export. The first row names the columns;
// the data rows give them in table order.
void ImportTable(TsqliteDatabase& db, const std::string& table, const std::string& csvFile,
                 const std::string& indexPrefix) {
    const auto& columns = JukeboxTableColumns();
    std::string create = "create table " + table + " (";
    for (size_t i = 0; i < columns.size(); ++i)
        create += std::string(i ? ", " : "") + columns[i].Name + " " + columns[i].Type;
    db.Exec(create + ")");
    TsqliteStatement stmt = db.Prepare(InsertStatement(table));
    // The export is read a piece at a time and each row inserted as it is parsed, so a
    // large library never has its whole export in memory, as text or as rows.
    TcsvFileRows csv(csvFile);
    std::vector<std::string> row;
    bool header = true;
    while (csv.Next(row)) {
        if (row.size() == 1 && row[0].empty()) continue;
        if (header) {  // the first row names the columns
            header = false;
            continue;
        }
        BindExportRow(stmt, row);
        stmt.Step();
        stmt.Reset();
    }
    // Indexes are made once the rows are in: one sort each instead of a tree kept in
    // order through every insert.
    for (const TindexDef& index : kIndexes)
        db.Exec("create index " + indexPrefix + index.Name + " on " + table + " (" + index.Columns + ")");
}

}  // namespace

const std::vector<TdbColumn>& JukeboxTableColumns() {
    static const std::vector<TdbColumn> columns = {
        {"Filename", kText},    {"PathPart", kText},   {"FilePart", kText},    {"ExtPart", kText},
        {"AlbumPath", kText},   {"Title", kText},      {"Artist", kText},      {"Album", kText},
        {"Comment", kText},     {"TagDate", kText},    {"GenreID", kInt},      {"GenreString", kText},
        {"TrackNo", kInt},      {"BitRate", kInt},     {"Duration", kInt},     {"SampleRate", kInt},
        {"Channels", kInt},     {"ChannelMode", kText}, {"MediaType", kInt},   {"TagType", kText},
        {"TrackIndex", kInt},   {"ModDate", kDate},    {"ExtraFields", kMemo}, {"PlaylistName", kText},
    };
    return columns;
}

// ---- TmyAccessDB -------------------------------------------------------------------

bool TmyAccessDB::Connect() {
    Close();
    FlastError.clear();
    if (DataSource.empty()) {
        FlastError = "No database file";
        return false;
    }
    if (!FileExists(DataSource)) {
        bool create = false;
        if (OnCreateDatabase) OnCreateDatabase(this, create);
        if (create) CreateDatabase(DataSource);
        if (!FileExists(DataSource)) {
            if (FlastError.empty()) FlastError = "Database file not found: " + DataSource;
            return false;
        }
    }
    try {
        Fdb.Open(DataSource, ReadOnly ? TsqliteDatabase::TopenMode::ReadOnly : TsqliteDatabase::TopenMode::ReadWrite);
        if (ReadOnly) {
            RegisterJetFunctions(Fdb);
            Fdb.ApplyQueryLimits();
            Fdb.SetReadOnlyAuthorizer(RuleFunctionNames());
        }
    } catch (const Exception& e) {
        FlastError = e.what();
        Close();
        return false;
    }
    return true;
}

bool TmyAccessDB::CreateDatabase(const std::string& fileName) {
    try {
        TsqliteDatabase db;
        db.Open(fileName, TsqliteDatabase::TopenMode::ReadWriteCreate);
        return true;
    } catch (const Exception& e) {
        FlastError = e.what();
        return false;
    }
}

// ---- TjukeboxDB --------------------------------------------------------------------

TjukeboxDB::TjukeboxDB() = default;
TjukeboxDB::~TjukeboxDB() = default;

bool TjukeboxDB::Build(const std::string& databaseFile, const std::string& audioCSV, const std::string& videoCSV) {
    FlastError.clear();
    const std::string temporary = databaseFile + ".new";
    std::error_code ec;
    fs::remove(temporary, ec);
    try {
        if (!FileExists(audioCSV)) throw Exception("File not found: " + audioCSV);
        TsqliteDatabase db;
        db.Open(temporary, TsqliteDatabase::TopenMode::ReadWriteCreate);
        // Pages of 16 KB, set while the file is still empty: the table is written and
        // read back (once per index) with a quarter of the page handling, and a rule
        // that scans the table reads it about twice as fast as with 4 KB pages.
        db.Exec("PRAGMA page_size=16384");
        // A new file needs no rollback journal on disk; the commit flushes it before
        // the rename puts it in place.
        db.Exec("PRAGMA journal_mode=MEMORY; PRAGMA synchronous=FULL");
        // A small page cache (8 MB): the rows are written once and the file system keeps
        // them at hand for the index scans, and the index sorts merge sorted runs from
        // temporary files about as fast as they sort in memory. A larger cache only
        // made the build (which runs beside a loaded library) take more memory.
        db.Exec("PRAGMA cache_size=-8192");
        {
            TsqliteTransaction transaction(db);
            ImportTable(db, "Audio", audioCSV, "");
            if (FileExists(videoCSV)) ImportTable(db, "Video", videoCSV, "Video");
            transaction.Commit();
        }
        db.Close();
        fs::rename(temporary, databaseFile);
    } catch (const std::exception& e) {
        FlastError = e.what();
        fs::remove(temporary, ec);
        return false;
    }
    return Open(databaseFile);
}

bool TjukeboxDB::ApplyChanges(const std::string& databaseFile, const std::vector<std::string>& removedFiles,
                              const std::string& csvRows) {
    FlastError.clear();
    try {
        if (!FileExists(databaseFile)) throw Exception("Database file not found: " + databaseFile);
        TsqliteDatabase db;
        db.Open(databaseFile, TsqliteDatabase::TopenMode::ReadWrite);
        // A query running on the main thread's connection holds the file for a moment.
        db.Exec("PRAGMA busy_timeout=10000");
        db.Exec("PRAGMA synchronous=FULL");
        TsqliteTransaction transaction(db);
        {
            TsqliteStatement remove = db.Prepare(std::string("delete from Audio where ") + kFindRowSql);
            auto bind = [&remove](int param, const std::string& text) {
                if (text.empty()) remove.BindNull(param);
                else remove.BindText(param, text);
            };
            for (const std::string& file : removedFiles) {
                TaudioTag probe;
                probe.SetFilename(file);
                bind(1, probe.PathPart());
                bind(2, probe.FilePart());
                bind(3, file);
                remove.Step();
                remove.Reset();
            }
            TsqliteStatement insert = db.Prepare(InsertStatement("Audio"));
            std::vector<std::string> row;
            const std::string_view text(csvRows);
            for (size_t pos = 0; pos < text.size();) {
                const size_t before = pos;
                if (!ReadCSVRow(text, pos, row) && pos == before) break;
                if (row.size() == 1 && row[0].empty()) continue;
                BindExportRow(insert, row);
                insert.Step();
                insert.Reset();
            }
        }
        transaction.Commit();
    } catch (const std::exception& e) {
        FlastError = e.what();
        return false;
    }
    return true;
}

bool TjukeboxDB::Open(const std::string& databaseFile) {
    Close();
    FlastError.clear();
    if (!FileExists(databaseFile)) {
        FlastError = "Database file not found: " + databaseFile;
        return false;
    }
    FdatabaseFile = databaseFile;
    Fdb.DataSource = databaseFile;
    Fdb.ReadOnly = true;
    if (!Fdb.Connect()) {
        FlastError = Fdb.LastError();
        return false;
    }
    try {
        Fdb.NewQuery("select Filename from Audio limit 0");
    } catch (const Exception& e) {
        FlastError = e.what();
        Close();
        return false;
    }
    return true;
}

void TjukeboxDB::Close() { Fdb.Close(); }

bool TjukeboxDB::NeedsRebuild(const std::string& databaseFile, const std::string& libraryFile) {
    TjukeboxDB probe;
    if (!probe.Open(databaseFile)) return true;
    probe.Close();
    std::error_code ec1, ec2;
    if (FileExists(libraryFile)) {
        const auto dbTime = fs::last_write_time(databaseFile, ec1);
        const auto libTime = fs::last_write_time(libraryFile, ec2);
        if (ec1 || ec2 || dbTime < libTime) return true;
    }
    return false;
}

bool TjukeboxDB::QueryFiles(const std::string& condition, const std::string& extra, const std::string& order,
                            TdbTable table, std::vector<std::string>& files, std::string& error) {
    files.clear();
    if (!Connected() || !FfileIndex) {
        error = "Not Connected";
        return false;
    }
    try {
        // The rule text is joined in parentheses, each part ending on a new line so
        // that a trailing "--" comment cannot swallow what follows.
        std::string sql = std::string("select Filename from ") + TableName(table) + " where (" +
                          TranslateJetSql(condition) + "\n)";
        if (!Trim(extra).empty()) sql += " and (" + TranslateJetSql(extra) + "\n)";
        if (!Trim(order).empty()) sql += " order by " + TranslateJetSql(order) + "\n";
        TsqliteStatement query = Fdb.NewQuery(sql);
        if (!query.ReadOnly()) throw Exception("Only queries that read are allowed");
        // A rule that would run for ages (a runaway recursion, a huge join) is stopped.
        Fdb.Database().StartDeadline(FqueryTimeLimitMs);
        while (query.Step())
            if (!query.ColumnIsNull(0)) files.push_back(query.ColumnText(0));
        Fdb.Database().StartDeadline(0);
    } catch (const std::exception& e) {
        error = e.what();
        if (Fdb.Database().DeadlineExpired())
            error = Format("The query ran longer than %.1f seconds and was stopped", FqueryTimeLimitMs / 1000.0);
        Fdb.Database().StartDeadline(0);
        files.clear();
        return false;
    }
    return true;
}

bool TjukeboxDB::SelectFiles(const std::string& condition, const std::string& extra, const std::string& order,
                             TdbTable table, bool append, TmyStringList& target, std::string& error) {
    std::vector<std::string> files;
    if (!QueryFiles(condition, extra, order, table, files, error)) return false;
    target.BeginUpdate();
    if (!append) target.Clear();
    for (const std::string& file : files) target.Add(file);
    target.EndUpdate();
    return true;
}

bool TjukeboxDB::SelectFiles(const std::string& condition, const std::string& extra, const std::string& order,
                             TdbTable table, bool append, TaudioTagList& target, std::string& error,
                             std::unordered_set<const TaudioTag*>* seen) {
    std::vector<std::string> files;
    if (!QueryFiles(condition, extra, order, table, files, error)) return false;
    target.BeginUpdate();
    if (!append) target.Clear();
    for (const std::string& file : files) {
        int index;
        if (!FfileIndex->Find(file, index)) continue;
        const TaudioTagPtr& tag = FfileIndex->Tag(index);
        if (!tag || (seen && !seen->insert(tag.get()).second)) continue;
        target.Add(tag);
    }
    target.EndUpdate();
    return true;
}

}  // namespace tunecrest
