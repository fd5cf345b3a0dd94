#pragma once
// The optional media database: a copy of the library as the table Audio, so that
// random play can be chosen by SQL conditions. It is built from the library's
// comma-separated export ("jukebox.csv") into "jukebox.mdb" and queried read-only;
// between builds it follows the library's changes row by row (ApplyChanges).
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/library/file_name_index.h"
#include "core/database/sqlite_database.h"
#include "core/base/string_lists.h"

namespace tunecrest {

class TaudioTag;
class TaudioTagList;

// One connection to a database file. Connect opens read-only for queries unless
// ReadOnly is switched off; a read-only connection refuses every change, whatever
// the SQL says, and knows the rule dialect's functions.
class TmyAccessDB : public TObject {
public:
    // The database file.
    std::string DataSource;
    bool ReadOnly = true;
    // Asked whether a missing database file may be created.
    std::function<void(TObject* Sender, bool& create)> OnCreateDatabase;

    bool Connect();
    void Close() { Fdb.Close(); }
    bool Connected() const { return Fdb.IsOpen(); }
    // Creates an empty database file; false (with LastError) when it cannot.
    bool CreateDatabase(const std::string& fileName);
    // Runs SQL text; throws Exception with the engine's message.
    void ExecSQL(const std::string& sql) { Fdb.Exec(sql); }
    // Prepares one statement; throws Exception when not connected or on bad SQL.
    TsqliteStatement NewQuery(const std::string& sql) { return Fdb.Prepare(sql); }
    const std::string& LastError() const { return FlastError; }
    TsqliteDatabase& Database() { return Fdb; }

private:
    TsqliteDatabase Fdb;
    std::string FlastError;
};

enum class TdbTable { dtAudio, dtVideo };

// The columns of the Audio and Video tables, in the order of the export.
struct TdbColumn {
    const char* Name;
    const char* Type;
};
const std::vector<TdbColumn>& JukeboxTableColumns();

class TjukeboxDB : public TObject {
public:
    TjukeboxDB();
    ~TjukeboxDB() override;

    // Builds a new database from the exported CSV files (the video file only when it
    // exists). The new database is written beside the old one and renamed into place
    // when complete, so a failed build keeps the previous database as it was and
    // usable. Returns whether the new database is connected; LastError says why not.
    bool Build(const std::string& databaseFile, const std::string& audioCSV, const std::string& videoCSV = "");
    // Follows a change of the library without a rebuild: in one transaction, removes
    // every row of the files `removedFiles` names, then adds `csvRows` (rows of the
    // comma-separated export, without its header). Works through a connection of its
    // own, so a worker can run it while queries go on through the open one. On any
    // failure nothing is changed: false, with LastError.
    bool ApplyChanges(const std::string& databaseFile, const std::vector<std::string>& removedFiles,
                      const std::string& csvRows);
    // Opens an existing database read-only; false (with LastError) when the file is
    // missing, is no database or lacks the Audio table.
    bool Open(const std::string& databaseFile);
    void Close();
    bool Connected() const { return Fdb.Connected(); }
    const std::string& DatabaseFile() const { return FdatabaseFile; }
    const std::string& LastError() const { return FlastError; }

    // True when the database must be built again before use: it is missing, unreadable,
    // lacks the Audio table, or is older than `libraryFile` (when that exists).
    static bool NeedsRebuild(const std::string& databaseFile, const std::string& libraryFile);

    // The library's file-name index: sorted file names whose objects are the tracks.
    // Not owned; set by the library.
    void SetFileIndex(const TfileNameIndex* index) { FfileIndex = index; }
    const TfileNameIndex* FileIndex() const { return FfileIndex; }

    // Runs "select Filename from <table> where (<condition>) [and (<extra>)] [order by
    // <order>]" with the texts in the rule dialect. On failure returns false with the
    // message in `error` and leaves the target unchanged. The track-list form adds the
    // library's own tracks (shared, not copied) and skips files the library lacks;
    // with `seen`, tracks already in it are skipped too and the added ones recorded.
    bool SelectFiles(const std::string& condition, const std::string& extra, const std::string& order,
                     TdbTable table, bool append, TmyStringList& target, std::string& error);
    bool SelectFiles(const std::string& condition, const std::string& extra, const std::string& order,
                     TdbTable table, bool append, TaudioTagList& target, std::string& error,
                     std::unordered_set<const TaudioTag*>* seen = nullptr);
    // The file names a condition selects, in row order; false with `error` on failure.
    bool QueryFiles(const std::string& condition, const std::string& extra, const std::string& order,
                    TdbTable table, std::vector<std::string>& files, std::string& error);

    // How long one query may run before it is stopped with an error (milliseconds).
    static constexpr int kDefaultQueryTimeLimitMs = 5000;
    void SetQueryTimeLimit(int milliseconds) { FqueryTimeLimitMs = milliseconds; }
    int QueryTimeLimit() const { return FqueryTimeLimitMs; }

private:
    TmyAccessDB Fdb;
    int FqueryTimeLimitMs = kDefaultQueryTimeLimitMs;
    std::string FdatabaseFile;
    std::string FlastError;
    const TfileNameIndex* FfileIndex = nullptr;
};

}  // namespace tunecrest
