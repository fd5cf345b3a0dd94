#include "core/database/sqlite_database.h"

#include <sqlite3.h>

#include <cctype>
#include <filesystem>
#include <utility>

#include "core/base/exceptions.h"

namespace tunecrest {

namespace {

std::string MessageOf(sqlite3* db, int rc) {
    if (db) {
        const char* msg = sqlite3_errmsg(db);
        if (msg && *msg) return msg;
    }
    return sqlite3_errstr(rc);
}

std::string UpperAscii(const char* name) {
    std::string upper(name ? name : "");
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return upper;
}

}  // namespace

// Only reading is allowed: the statement itself, reading columns, calling functions
// (those of the allowed list when there is one) and recursive common table expressions.
int TsqliteDatabase::Authorize(void* self, int action, const char*, const char* arg2, const char*, const char*) {
    const auto* db = static_cast<const TsqliteDatabase*>(self);
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_FUNCTION:
            return db->FallowedFunctions.empty() || db->FallowedFunctions.count(UpperAscii(arg2)) ? SQLITE_OK
                                                                                                  : SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

// Called every few hundred virtual-machine steps; a non-zero answer interrupts the statement.
int TsqliteDatabase::Progress(void* self) {
    auto* db = static_cast<TsqliteDatabase*>(self);
    if (!db->FdeadlineArmed || std::chrono::steady_clock::now() < db->Fdeadline) return 0;
    db->FdeadlineExpired = true;
    return 1;
}

TsqliteStatement::TsqliteStatement(TsqliteStatement&& other) noexcept
    : Fdb(std::exchange(other.Fdb, nullptr)), Fstmt(std::exchange(other.Fstmt, nullptr)) {}

TsqliteStatement& TsqliteStatement::operator=(TsqliteStatement&& other) noexcept {
    if (this != &other) {
        if (Fstmt) sqlite3_finalize(Fstmt);
        Fdb = std::exchange(other.Fdb, nullptr);
        Fstmt = std::exchange(other.Fstmt, nullptr);
    }
    return *this;
}

TsqliteStatement::~TsqliteStatement() {
    if (Fstmt) sqlite3_finalize(Fstmt);
}

static void CheckBind(sqlite3* db, int rc) {
    if (rc != SQLITE_OK) throw Exception(MessageOf(db, rc));
}

void TsqliteStatement::BindNull(int index) { CheckBind(Fdb, sqlite3_bind_null(Fstmt, index)); }

void TsqliteStatement::BindText(int index, std::string_view text) {
    CheckBind(Fdb, sqlite3_bind_text64(Fstmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void TsqliteStatement::BindTextNoCopy(int index, std::string_view text) {
    CheckBind(Fdb, sqlite3_bind_text64(Fstmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8));
}

void TsqliteStatement::BindInt64(int index, int64_t value) {
    CheckBind(Fdb, sqlite3_bind_int64(Fstmt, index, value));
}

void TsqliteStatement::BindDouble(int index, double value) {
    CheckBind(Fdb, sqlite3_bind_double(Fstmt, index, value));
}

bool TsqliteStatement::Step() {
    const int rc = sqlite3_step(Fstmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const std::string message = MessageOf(Fdb, rc);
    sqlite3_reset(Fstmt);
    throw Exception(message);
}

void TsqliteStatement::Reset() {
    sqlite3_reset(Fstmt);
    sqlite3_clear_bindings(Fstmt);
}

int TsqliteStatement::ColumnCount() const { return sqlite3_column_count(Fstmt); }

bool TsqliteStatement::ColumnIsNull(int index) const { return sqlite3_column_type(Fstmt, index) == SQLITE_NULL; }

std::string TsqliteStatement::ColumnText(int index) const {
    const unsigned char* text = sqlite3_column_text(Fstmt, index);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text), size_t(sqlite3_column_bytes(Fstmt, index)));
}

int64_t TsqliteStatement::ColumnInt64(int index) const { return sqlite3_column_int64(Fstmt, index); }

double TsqliteStatement::ColumnDouble(int index) const { return sqlite3_column_double(Fstmt, index); }

bool TsqliteStatement::ReadOnly() const { return sqlite3_stmt_readonly(Fstmt) != 0; }

TsqliteDatabase::~TsqliteDatabase() { Close(); }

void TsqliteDatabase::Check(int rc) const {
    if (rc != SQLITE_OK) throw Exception(MessageOf(Fdb, rc));
}

void TsqliteDatabase::Open(const std::string& fileName, TopenMode mode) {
    Close();
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case TopenMode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
        case TopenMode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
        case TopenMode::ReadWriteCreate: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = MessageOf(db, rc);
        sqlite3_close(db);
        throw Exception(message);
    }
    Fdb = db;
    FfileName = fileName;
    sqlite3_extended_result_codes(Fdb, 0);
    // SQLite reads the header lazily; reading the schema now refuses a file that is
    // not a database (or is damaged) at once.
    try {
        Exec("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        Close();
        throw;
    }
}

void TsqliteDatabase::Close() {
    FallowedFunctions.clear();
    FdeadlineArmed = false;
    if (Fdb) {
        sqlite3_close_v2(Fdb);
        Fdb = nullptr;
    }
    FfileName.clear();
}

void TsqliteDatabase::Exec(const std::string& sql) {
    if (!Fdb) throw Exception("Not Connected");
    char* error = nullptr;
    const int rc = sqlite3_exec(Fdb, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : MessageOf(Fdb, rc);
        sqlite3_free(error);
        throw Exception(message);
    }
}

TsqliteStatement TsqliteDatabase::Prepare(std::string_view sql) {
    if (!Fdb) throw Exception("Not Connected");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(Fdb, sql.data(), int(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK) throw Exception(MessageOf(Fdb, rc));
    TsqliteStatement result(Fdb, stmt);
    if (!stmt) throw Exception("Empty statement");
    // Whatever follows must be empty: preparing it yields no statement only when it
    // holds nothing but blanks, semicolons and comments.
    const char* end = sql.data() + sql.size();
    while (tail && tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* nextTail = nullptr;
        rc = sqlite3_prepare_v2(Fdb, tail, int(end - tail), &next, &nextTail);
        if (next) {
            sqlite3_finalize(next);
            throw Exception("Only one statement is allowed");
        }
        if (rc != SQLITE_OK) throw Exception(MessageOf(Fdb, rc));
        if (nextTail == tail) break;
        tail = nextTail;
    }
    return result;
}

void TsqliteDatabase::SetReadOnlyAuthorizer(const std::set<std::string>& allowedFunctions) {
    if (!Fdb) throw Exception("Not Connected");
    FallowedFunctions.clear();
    for (const std::string& name : allowedFunctions) FallowedFunctions.insert(UpperAscii(name.c_str()));
    Check(sqlite3_set_authorizer(Fdb, &TsqliteDatabase::Authorize, this));
}

void TsqliteDatabase::ApplyQueryLimits() {
    if (!Fdb) throw Exception("Not Connected");
    sqlite3_limit(Fdb, SQLITE_LIMIT_LENGTH, kMaxQueryValueBytes);
    sqlite3_limit(Fdb, SQLITE_LIMIT_SQL_LENGTH, 1 << 20);
    sqlite3_limit(Fdb, SQLITE_LIMIT_COLUMN, 256);
    sqlite3_limit(Fdb, SQLITE_LIMIT_EXPR_DEPTH, 256);
    sqlite3_limit(Fdb, SQLITE_LIMIT_COMPOUND_SELECT, 64);
    sqlite3_limit(Fdb, SQLITE_LIMIT_FUNCTION_ARG, 64);
    sqlite3_limit(Fdb, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(Fdb, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 8192);
    sqlite3_limit(Fdb, SQLITE_LIMIT_VARIABLE_NUMBER, 64);
    sqlite3_limit(Fdb, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    sqlite3_progress_handler(Fdb, 1000, &TsqliteDatabase::Progress, this);
}

void TsqliteDatabase::StartDeadline(int milliseconds) {
    FdeadlineExpired = false;
    FdeadlineArmed = milliseconds > 0;
    if (FdeadlineArmed) Fdeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void TsqliteDatabase::Rollback() {
    if (Fdb && !sqlite3_get_autocommit(Fdb)) sqlite3_exec(Fdb, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool IsSqliteDatabaseFile(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return false;
    try {
        TsqliteDatabase db;
        db.Open(fileName, TsqliteDatabase::TopenMode::ReadOnly);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace tunecrest
