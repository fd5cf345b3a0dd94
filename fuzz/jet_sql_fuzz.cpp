// Query-rule text in the desktop dialect from arbitrary bytes. The rewrite must end in a
// text or in the system's Exception, never a crash; the output need not be valid SQL. The
// same bytes also go through the dialect's date literals and, split at the first zero
// byte into pattern and value, its LIKE. Then every function the dialect registers is
// called with arguments the bytes pick: NULL, the ends of the number range, NaN and
// infinities, dates far outside the calendar, date intervals and texts.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/exceptions.h"
#include "core/database/jet_sql_dialect.h"
#include "core/database/sqlite_database.h"

namespace {

using namespace tunecrest;

struct Tcall {
    TsqliteStatement Statement;
    int Args = 0;
};

struct Tfunctions {
    TsqliteDatabase Db;
    std::vector<Tcall> Calls;
    Tfunctions() {
        Db.Open(":memory:", TsqliteDatabase::TopenMode::ReadWriteCreate);
        RegisterJetFunctions(Db);
        Db.ApplyQueryLimits();
        Db.SetReadOnlyAuthorizer(RuleFunctionNames());
        for (const auto& [name, args] : JetFunctionSignatures()) {
            const int n = args < 0 ? 4 : args;
            std::string sql = "select " + name + "(";
            for (int i = 0; i < n; ++i) sql += i ? ", ?" : "?";
            Calls.push_back({Db.Prepare(sql + ")"), n});
        }
    }
};

constexpr int64_t kIntegers[] = {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                                 0, 1, -1, 2, 3, 4, 2147483647, -2147483648LL, 4000000, -4000000,
                                 120000, 2958465, -657434, 9223372036854775807LL / 12};
constexpr double kDoubles[] = {1e300, -1e300, 9.2e18, -9.2e18, 9.3e18, 2958465.999999, 2958466.0,
                               -657434.0, -657435.0, 0.5, -0.5, 1e-300, 693594.0, -693594.0, 7e11, 1e9};
const char* const kTexts[] = {"yyyy", "q", "m", "d", "y", "w", "ww", "h", "n", "s", "9e999", "-9e999", "1e300",
                              "9223372036854775808", "-9223372036854775809", "#12/31/9999#", "12/31/9999",
                              "1/1/100", "nan", "inf", "", " ", "True", "%", "[", "[!a-", "\xC3"};

void Bind(TsqliteStatement& s, int index, uint8_t pick, std::string_view rest) {
    switch (pick % 7) {
        case 0: s.BindNull(index); break;
        case 1: s.BindInt64(index, kIntegers[(pick / 7) % std::size(kIntegers)]); break;
        case 2: s.BindDouble(index, kDoubles[(pick / 7) % std::size(kDoubles)]); break;
        case 3: {
            const double special[] = {std::nan(""), INFINITY, -INFINITY, -0.0};
            s.BindDouble(index, special[(pick / 7) % 4]);
            break;
        }
        case 4: s.BindText(index, kTexts[(pick / 7) % std::size(kTexts)]); break;
        case 5: s.BindText(index, rest); break;
        default: s.BindInt64(index, int64_t(pick) - 128); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        (void)tunecrest::TranslateJetSql(text);
    } catch (const tunecrest::Exception&) {
    }
    tunecrest::TDateTime date = 0;
    (void)tunecrest::ParseJetDate(text, date);
    const size_t split = text.find('\0');
    if (split != std::string_view::npos) {
        bool matched = false;
        std::string error;
        (void)tunecrest::JetLike(text.substr(0, split), text.substr(split + 1), matched, &error);
    }

    static Tfunctions functions;
    // The first four bytes pick the arguments; the rest is the text argument.
    const std::string_view rest = text.substr(std::min<size_t>(4, size));
    size_t which = 0;
    for (auto& call : functions.Calls) {
        for (int a = 0; a < call.Args; ++a) {
            const uint8_t pick = size > 0 ? data[(which + size_t(a)) % std::min<size_t>(4, size)] : 0;
            Bind(call.Statement, a + 1, uint8_t(pick + which * 31), rest);
        }
        ++which;
        try {
            functions.Db.StartDeadline(2000);
            while (call.Statement.Step()) {
            }
        } catch (const tunecrest::Exception&) {
        }
        call.Statement.Reset();
    }
    return 0;
}
