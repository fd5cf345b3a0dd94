#pragma once
// A small wrapper over SQLite 3: one connection, prepared statements, transactions.
// Every failure is a tunecrest::Exception carrying SQLite's own message.
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tunecrest {

class TsqliteStatement {
public:
    TsqliteStatement() = default;
    TsqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : Fdb(db), Fstmt(stmt) {}
    TsqliteStatement(TsqliteStatement&& other) noexcept;
    TsqliteStatement& operator=(TsqliteStatement&& other) noexcept;
    TsqliteStatement(const TsqliteStatement&) = delete;
    TsqliteStatement& operator=(const TsqliteStatement&) = delete;
    ~TsqliteStatement();

    bool Valid() const { return Fstmt != nullptr; }
    // Parameters count from 1, as in SQL text.
    void BindNull(int index);
    void BindText(int index, std::string_view text);
    // Binds text without copying it: the text must stay unchanged until the statement
    // has run and been reset.
    void BindTextNoCopy(int index, std::string_view text);
    void BindInt64(int index, int64_t value);
    void BindDouble(int index, double value);
    // Runs to the next row: true with a row ready, false when done.
    bool Step();
    // Ready to run again with new parameters.
    void Reset();

    int ColumnCount() const;
    bool ColumnIsNull(int index) const;
    std::string ColumnText(int index) const;
    int64_t ColumnInt64(int index) const;
    double ColumnDouble(int index) const;
    // True when running the statement cannot change the database.
    bool ReadOnly() const;

private:
    sqlite3* Fdb = nullptr;
    sqlite3_stmt* Fstmt = nullptr;
};

class TsqliteDatabase {
public:
    enum class TopenMode {
        ReadOnly,         // an existing file, no writes possible
        ReadWrite,        // an existing file
        ReadWriteCreate,  // created when missing
    };

    TsqliteDatabase() = default;
    TsqliteDatabase(const TsqliteDatabase&) = delete;
    TsqliteDatabase& operator=(const TsqliteDatabase&) = delete;
    ~TsqliteDatabase();

    // Opens `fileName`, closing any open connection first. A file that is not an SQLite
    // database is refused here rather than on the first query.
    void Open(const std::string& fileName, TopenMode mode);
    void Close();
    bool IsOpen() const { return Fdb != nullptr; }
    const std::string& FileName() const { return FfileName; }
    sqlite3* Handle() const { return Fdb; }

    // Runs SQL text of any number of statements.
    void Exec(const std::string& sql);
    // Prepares exactly one statement. Text after it other than blanks and comments is
    // refused, so a second statement can never ride along.
    TsqliteStatement Prepare(std::string_view sql);
    // From now on statements may only read: every action that would change the
    // database, its schema or the connection's settings is refused when prepared.
    // With `allowedFunctions` (names compared without regard to case), a statement may
    // call only those functions.
    void SetReadOnlyAuthorizer(const std::set<std::string>& allowedFunctions = {});
    // Bounds for statements that users write: texts and blobs, SQL text, expression
    // depth and the like are capped, and a statement stops with an error once the
    // deadline set by StartDeadline has passed.
    void ApplyQueryLimits();
    // Statements running from now on stop after `milliseconds`; 0 lifts the deadline.
    void StartDeadline(int milliseconds);
    // True when the last deadline stopped a statement.
    bool DeadlineExpired() const { return FdeadlineExpired; }

    void BeginTransaction() { Exec("BEGIN"); }
    void Commit() { Exec("COMMIT"); }
    void Rollback();

    // Largest text or blob a limited connection makes (bytes).
    static constexpr int kMaxQueryValueBytes = 16 << 20;

private:
    void Check(int rc) const;
    static int Progress(void* self);
    static int Authorize(void* self, int action, const char* arg1, const char* arg2, const char*, const char*);
    sqlite3* Fdb = nullptr;
    std::string FfileName;
    std::set<std::string> FallowedFunctions;  // upper case; empty = any
    bool FdeadlineArmed = false;
    bool FdeadlineExpired = false;
    std::chrono::steady_clock::time_point Fdeadline;
};

// Rolls back unless committed.
class TsqliteTransaction {
public:
    explicit TsqliteTransaction(TsqliteDatabase& db) : Fdb(db) { Fdb.BeginTransaction(); }
    ~TsqliteTransaction() {
        if (!Fdone) Fdb.Rollback();
    }
    void Commit() {
        Fdb.Commit();
        Fdone = true;
    }

private:
    TsqliteDatabase& Fdb;
    bool Fdone = false;
};

// True when `fileName` opens as an SQLite database and its schema can be read.
bool IsSqliteDatabaseFile(const std::string& fileName);

}  // namespace tunecrest
