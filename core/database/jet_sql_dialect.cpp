#include "core/database/jet_sql_dialect.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/base/exceptions.h"
#include "core/base/services.h"
#include "core/database/sqlite_database.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// ---- UTF-8 characters -------------------------------------------------------------

// Length in bytes of the character starting at s[i] (1 for a stray byte).
size_t CharLength(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

// The characters of `s` as code units (a stray byte stands for itself).
std::vector<uint32_t> Decode(std::string_view s) {
    std::vector<uint32_t> out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t n = CharLength(s, i);
        uint32_t cp = static_cast<unsigned char>(s[i]);
        if (n > 1) {
            cp &= (0xFF >> (n + 1));
            for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back(cp);
        i += n;
    }
    return out;
}

// Byte offsets of each character start, plus the end.
std::vector<size_t> CharStarts(std::string_view s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i)) starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

uint32_t Fold(uint32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// ---- date literals ----------------------------------------------------------------

bool ReadNumber(std::string_view s, size_t& i, int& value, int maxDigits) {
    const size_t start = i;
    value = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && int(i - start) < maxDigits)
        value = value * 10 + (s[i++] - '0');
    return i > start;
}

void SkipBlanks(std::string_view s, size_t& i) {
    while (i < s.size() && s[i] == ' ') ++i;
}

bool ParseTime(std::string_view s, size_t& i, TDateTime& time) {
    int h = 0, n = 0, sec = 0;
    if (!ReadNumber(s, i, h, 2) || i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!ReadNumber(s, i, n, 2)) return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!ReadNumber(s, i, sec, 2)) return false;
    }
    SkipBlanks(s, i);
    if (i + 1 < s.size() && (s[i + 1] == 'M' || s[i + 1] == 'm')) {
        const char ap = char(std::toupper(static_cast<unsigned char>(s[i])));
        if (ap == 'A' || ap == 'P') {
            if (h < 1 || h > 12) return false;
            h = (h % 12) + (ap == 'P' ? 12 : 0);
            i += 2;
        }
    }
    if (h > 23 || n > 59 || sec > 59) return false;
    time = EncodeTime(h, n, sec, 0);
    return true;
}

bool ParseDatePart(std::string_view s, size_t& i, TDateTime& date) {
    int a = 0, b = 0, c = 0;
    const size_t aStart = i;
    if (!ReadNumber(s, i, a, 4)) return false;
    const size_t aLen = i - aStart;
    if (i >= s.size() || (s[i] != '/' && s[i] != '-')) return false;
    const char sep = s[i++];
    if (!ReadNumber(s, i, b, 2) || i >= s.size() || s[i] != sep) return false;
    ++i;
    const size_t cStart = i;
    if (!ReadNumber(s, i, c, 4)) return false;
    const size_t cLen = i - cStart;
    int year, month, day;
    if (aLen == 4) {  // yyyy-mm-dd or yyyy/mm/dd
        if (cLen > 2) return false;
        year = a;
        month = b;
        day = c;
    } else {  // m/d/yyyy or m/d/yy
        if (aLen > 2) return false;
        month = a;
        day = b;
        year = cLen <= 2 ? c + (c < 30 ? 2000 : 1900) : c;
    }
    return TryEncodeDate(year, month, day, date);
}

// ---- function arguments -----------------------------------------------------------

std::string_view TextArg(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    if (!t) return {};
    return std::string_view(reinterpret_cast<const char*>(t), size_t(sqlite3_value_bytes(v)));
}

bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

void ResultText(sqlite3_context* ctx, std::string_view s) {
    sqlite3_result_text64(ctx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// The dates the dialect handles: 100-01-01 to 9999-12-31 (the last day's time included).
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;
bool InDateRange(double d) { return d >= kMinDate && d < kMaxDate; }

void Overflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Overflow", -1); }

// A date argument: a day number, or text holding a date; nullopt for NULL or anything else.
std::optional<TDateTime> DateArg(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        case SQLITE_TEXT: {
            TDateTime d;
            const std::string text = Trim(TextArg(v));
            if (ParseJetDate(text, d)) return d;
            char* end = nullptr;
            const double number = std::strtod(text.c_str(), &end);
            if (!text.empty() && end && *end == 0) return number;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

// A whole-number argument (text holding a number counts); false for NULL or anything else.
bool IntArg(sqlite3_value* v, int64_t& out) {
    const int type = sqlite3_value_numeric_type(v);
    if (type == SQLITE_INTEGER) {
        out = sqlite3_value_int64(v);
        return true;
    }
    if (type == SQLITE_FLOAT) {
        // Numbers beyond the 64-bit range (and NaN) are no whole numbers.
        const double rounded = std::floor(sqlite3_value_double(v) + 0.5);
        if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) return false;
        out = int64_t(rounded);
        return true;
    }
    return false;
}

bool Truthy(sqlite3_value* v) {
    const int type = sqlite3_value_numeric_type(v);
    if (type == SQLITE_INTEGER) return sqlite3_value_int64(v) != 0;
    if (type == SQLITE_FLOAT) return sqlite3_value_double(v) != 0.0;
    if (type == SQLITE_TEXT) return SameText(Trim(TextArg(v)), "true");
    return false;
}

void InvalidCall(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Invalid procedure call or argument", -1); }

// ---- the functions ----------------------------------------------------------------

void DatePartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto d = DateArg(argv[0]);
    if (!d) return sqlite3_result_null(ctx);
    if (!InDateRange(*d)) return Overflow(ctx);
    const TdateParts p = DecodeDate(*d);
    const intptr_t which = reinterpret_cast<intptr_t>(sqlite3_user_data(ctx));
    sqlite3_result_int(ctx, which == 0 ? p.Year : which == 1 ? p.Month : p.Day);
}

void NowFn(sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_double(ctx, Now()); }
void DateFn(sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_double(ctx, DateOf(Now())); }

TDateTime AddMonths(TDateTime d, int64_t months) {
    const TdateParts p = DecodeDate(d);
    int64_t total = int64_t(p.Year) * 12 + (p.Month - 1) + months;
    const int year = int(total / 12);
    const int month = int(total % 12) + 1;
    if (year < 100 || year > 9999) throw Exception("Overflow");
    const int day = std::min(p.Day, DaysInMonth(year, month));
    const TDateTime date = EncodeDate(year, month, day);
    // Keep the time of day (a day number below 0 carries its time as a negative fraction).
    const double time = std::fabs(d - DateOf(d));
    return date >= 0 ? date + time : date - time;
}

void DateAddFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const std::string interval = LowerCase(Trim(TextArg(argv[0])));
    int64_t n = 0;
    const auto d = DateArg(argv[2]);
    if (!IntArg(argv[1], n) || !d) return InvalidCall(ctx);
    // Beyond 10,000 years either way no result can be a date; refusing early also keeps
    // the month arithmetic inside 64 bits.
    if (!InDateRange(*d) || n > 4000000 || n < -4000000) return Overflow(ctx);
    try {
        TDateTime r;
        if (interval == "yyyy") r = AddMonths(*d, n * 12);
        else if (interval == "q") r = AddMonths(*d, n * 3);
        else if (interval == "m") r = AddMonths(*d, n);
        else if (interval == "d" || interval == "y" || interval == "w") r = *d + double(n);
        else if (interval == "ww") r = *d + double(n) * 7;
        else if (interval == "h") r = *d + double(n) / 24.0;
        else if (interval == "n") r = *d + double(n) / 1440.0;
        else if (interval == "s") r = *d + double(n) / 86400.0;
        else return InvalidCall(ctx);
        if (!InDateRange(r)) return Overflow(ctx);
        sqlite3_result_double(ctx, r);
    } catch (const Exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

int64_t FloorDiv(double value, double unit) { return int64_t(std::floor(value / unit + 1e-9)); }

void DateDiffFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const std::string interval = LowerCase(Trim(TextArg(argv[0])));
    const auto a = DateArg(argv[1]);
    const auto b = DateArg(argv[2]);
    if (!a || !b) return InvalidCall(ctx);
    if (!InDateRange(*a) || !InDateRange(*b)) return Overflow(ctx);
    const TdateParts pa = DecodeDate(*a), pb = DecodeDate(*b);
    int64_t r;
    if (interval == "yyyy") r = pb.Year - pa.Year;
    else if (interval == "q") r = (int64_t(pb.Year) * 4 + (pb.Month - 1) / 3) - (int64_t(pa.Year) * 4 + (pa.Month - 1) / 3);
    else if (interval == "m") r = (int64_t(pb.Year) * 12 + pb.Month) - (int64_t(pa.Year) * 12 + pa.Month);
    else if (interval == "d" || interval == "y") r = int64_t(DateOf(*b) - DateOf(*a));
    else if (interval == "w") r = int64_t(DateOf(*b) - DateOf(*a)) / 7;
    // Calendar weeks: Sundays crossed. Day 1 (1899-12-31) was a Sunday.
    else if (interval == "ww") r = FloorDiv(DateOf(*b) - 1, 7) - FloorDiv(DateOf(*a) - 1, 7);
    else if (interval == "h") r = FloorDiv(*b, 1.0 / 24) - FloorDiv(*a, 1.0 / 24);
    else if (interval == "n") r = FloorDiv(*b, 1.0 / 1440) - FloorDiv(*a, 1.0 / 1440);
    else if (interval == "s") r = FloorDiv(*b, 1.0 / 86400) - FloorDiv(*a, 1.0 / 86400);
    else return InvalidCall(ctx);
    sqlite3_result_int64(ctx, r);
}

// Left, Right and Mid count characters, not bytes.
void LeftRightFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    int64_t n = 0;
    if (!IntArg(argv[1], n) || n < 0) return InvalidCall(ctx);
    const std::string_view s = TextArg(argv[0]);
    const std::vector<size_t> starts = CharStarts(s);
    const int64_t count = int64_t(starts.size()) - 1;
    if (n > count) n = count;
    const bool right = sqlite3_user_data(ctx) != nullptr;
    if (right) ResultText(ctx, s.substr(starts[size_t(count - n)]));
    else ResultText(ctx, s.substr(0, starts[size_t(n)]));
}

void MidFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    int64_t start = 0, len = -1;
    if (!IntArg(argv[1], start) || start < 1) return InvalidCall(ctx);
    if (argc > 2 && (!IntArg(argv[2], len) || len < 0)) return InvalidCall(ctx);
    const std::string_view s = TextArg(argv[0]);
    const std::vector<size_t> starts = CharStarts(s);
    const int64_t count = int64_t(starts.size()) - 1;
    const int64_t first = std::min(start - 1, count);
    // len is compared with what is left, never added: a huge length must not overflow.
    const int64_t last = (len < 0 || len > count - first) ? count : first + len;
    ResultText(ctx, s.substr(starts[size_t(first)], starts[size_t(last)] - starts[size_t(first)]));
}

void LenFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, int64_t(CharStarts(TextArg(argv[0])).size()) - 1);
}

void CaseFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    const bool upper = sqlite3_user_data(ctx) != nullptr;
    ResultText(ctx, upper ? UpperCase(TextArg(argv[0])) : LowerCase(TextArg(argv[0])));
}

void TrimFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    std::string_view s = TextArg(argv[0]);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    ResultText(ctx, s);
}

// InStr([start,] text, sought[, compare]): the 1-based character position of `sought`
// in `text` from `start`, 0 when absent. Compare 0 is exact, anything else (and the
// default) without regard to case.
void InStrFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    int64_t start = 1;
    int first = 0;
    if (argc >= 3) {
        if (IsNull(argv[0])) return sqlite3_result_null(ctx);
        if (!IntArg(argv[0], start) || start < 1) return InvalidCall(ctx);
        first = 1;
    }
    bool exact = false;
    if (argc == 4) {
        int64_t compare = 1;
        if (!IntArg(argv[3], compare)) return InvalidCall(ctx);
        exact = compare == 0;
    }
    if (IsNull(argv[first]) || IsNull(argv[first + 1])) return sqlite3_result_null(ctx);
    std::vector<uint32_t> text = Decode(TextArg(argv[first]));
    std::vector<uint32_t> sought = Decode(TextArg(argv[first + 1]));
    if (!exact) {
        for (auto& c : text) c = Fold(c);
        for (auto& c : sought) c = Fold(c);
    }
    if (start > int64_t(text.size())) return sqlite3_result_int(ctx, 0);
    if (sought.empty()) return sqlite3_result_int64(ctx, start);
    for (size_t i = size_t(start - 1); i + sought.size() <= text.size(); ++i)
        if (std::equal(sought.begin(), sought.end(), text.begin() + long(i))) return sqlite3_result_int64(ctx, int64_t(i) + 1);
    sqlite3_result_int(ctx, 0);
}

// Val: the number at the start of the text (blanks skipped), 0 when there is none.
void ValFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
    std::string digits;
    for (char c : TextArg(argv[0]))
        if (c != ' ' && c != '\t') digits += c;
    const char* p = digits.c_str();
    size_t i = 0;
    if (p[i] == '+' || p[i] == '-') ++i;
    const size_t intStart = i;
    while (std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    bool real = false;
    if (p[i] == '.') {
        real = true;
        ++i;
        while (std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    }
    if (i == intStart || (real && i == intStart + 1)) return sqlite3_result_int(ctx, 0);
    if ((p[i] == 'e' || p[i] == 'E') &&
        (std::isdigit(static_cast<unsigned char>(p[i + 1])) ||
         ((p[i + 1] == '+' || p[i + 1] == '-') && std::isdigit(static_cast<unsigned char>(p[i + 2]))))) {
        real = true;
        i += 2;
        while (std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
    }
    const std::string number = digits.substr(0, i);
    if (!real) {
        errno = 0;
        const long long v = std::strtoll(number.c_str(), nullptr, 10);
        if (errno == 0) return sqlite3_result_int64(ctx, v);
    }
    sqlite3_result_double(ctx, std::strtod(number.c_str(), nullptr));
}

void NzFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (!IsNull(argv[0])) return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1) return sqlite3_result_value(ctx, argv[1]);
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void IIfFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, Truthy(argv[0]) ? argv[1] : argv[2]);
}

// The dialect's &: NULL counts as empty text; only when every operand is NULL is the result NULL.
void ConcatFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    std::string result;
    bool any = false;
    for (int a = 0; a < argc; ++a) {
        if (IsNull(argv[a])) continue;
        any = true;
        result += TextArg(argv[a]);
        if (result.size() > size_t(TsqliteDatabase::kMaxQueryValueBytes)) return sqlite3_result_error_toobig(ctx);
    }
    if (!any) return sqlite3_result_null(ctx);
    ResultText(ctx, result);
}

void LikeFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // SQLite calls like(pattern, value) for "value LIKE pattern".
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    bool matched = false;
    std::string error;
    if (!JetLike(TextArg(argv[0]), TextArg(argv[1]), matched, &error))
        return sqlite3_result_error(ctx, error.c_str(), -1);
    sqlite3_result_int(ctx, matched ? 1 : 0);
}

using TscalarFn = void (*)(sqlite3_context*, int, sqlite3_value**);

void Register(sqlite3* db, const char* name, int argc, TscalarFn fn, intptr_t data = 0, bool deterministic = true) {
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    const int rc = sqlite3_create_function_v2(db, name, argc, flags, reinterpret_cast<void*>(data), fn, nullptr,
                                              nullptr, nullptr);
    if (rc != SQLITE_OK) throw Exception(sqlite3_errmsg(db));
}

// Names that SQLite's grammar keeps for itself (LEFT and RIGHT joins) are called
// under names of our own; Mid goes the same way so that the three stay together.
const char* RenamedFunction(std::string_view word) {
    if (SameText(word, "Left")) return "jet_left";
    if (SameText(word, "Right")) return "jet_right";
    if (SameText(word, "Mid")) return "jet_mid";
    return nullptr;
}

// ---- LIKE patterns ----------------------------------------------------------------

struct TpatternItem {
    enum Kind { Char, One, Run, Set } kind = Char;
    uint32_t ch = 0;
    bool negate = false;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    bool Matches(uint32_t c) const {
        if (kind == One) return true;
        if (kind == Char) return Fold(c) == ch;
        const uint32_t f = Fold(c);
        bool in = false;
        for (const auto& [lo, hi] : ranges)
            if (f >= lo && f <= hi) in = true;
        return in != negate;
    }
};

}  // namespace

bool JetLike(std::string_view pattern, std::string_view value, bool& matched, std::string* error) {
    const std::vector<uint32_t> p = Decode(pattern);
    std::vector<TpatternItem> items;
    for (size_t i = 0; i < p.size(); ++i) {
        TpatternItem item;
        item.kind = TpatternItem::Char;
        if (p[i] == '%') {
            if (!items.empty() && items.back().kind == TpatternItem::Run) continue;
            item.kind = TpatternItem::Run;
        } else if (p[i] == '_') {
            item.kind = TpatternItem::One;
        } else if (p[i] == '[') {
            size_t j = i + 1;
            item.kind = TpatternItem::Set;
            if (j < p.size() && p[j] == '!') {
                item.negate = true;
                ++j;
            }
            bool closed = false;
            for (; j < p.size(); ++j) {
                if (p[j] == ']') {
                    closed = true;
                    break;
                }
                uint32_t lo = Fold(p[j]), hi = lo;
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    hi = Fold(p[j + 2]);
                    j += 2;
                    if (hi < lo) {
                        if (error) *error = "Invalid pattern string";
                        return false;
                    }
                }
                item.ranges.emplace_back(lo, hi);
            }
            if (!closed) {
                if (error) *error = "Invalid pattern string";
                return false;
            }
            i = j;
        } else {
            item.ch = Fold(p[i]);
        }
        items.push_back(std::move(item));
    }
    // Greedy matching with a single back-track point at the latest run.
    const std::vector<uint32_t> v = Decode(value);
    size_t pi = 0, vi = 0, starP = std::string::npos, starV = 0;
    while (vi < v.size()) {
        if (pi < items.size() && items[pi].kind == TpatternItem::Run) {
            starP = pi++;
            starV = vi;
        } else if (pi < items.size() && items[pi].Matches(v[vi])) {
            ++pi;
            ++vi;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            matched = false;
            return true;
        }
    }
    while (pi < items.size() && items[pi].kind == TpatternItem::Run) ++pi;
    matched = pi == items.size();
    return true;
}

bool ParseJetDate(std::string_view text, TDateTime& value) {
    size_t i = 0;
    SkipBlanks(text, i);
    TDateTime date = 0, time = 0;
    const size_t mark = i;
    bool haveDate = ParseDatePart(text, i, date);
    if (!haveDate) i = mark;
    SkipBlanks(text, i);
    bool haveTime = false;
    if (i < text.size()) {
        haveTime = ParseTime(text, i, time);
        if (!haveTime) return false;
        SkipBlanks(text, i);
    }
    if (i != text.size() || (!haveDate && !haveTime)) return false;
    value = date >= 0 ? date + time : date - time;
    return true;
}

namespace {

// Words that end the operand of a concatenation: & binds more loosely than arithmetic
// and more tightly than comparisons and the logical operators.
bool EndsConcatOperand(std::string_view word) {
    static constexpr const char* kWords[] = {"And",  "Or",   "Not",  "Xor", "Eqv", "Imp",  "Like", "Is",
                                             "In",   "Between", "Escape", "Case", "When", "Then", "Else",
                                             "End",  "Asc",  "Desc", "Order", "By",  "Select", "From", "Where"};
    for (const char* w : kWords)
        if (SameText(word, w)) return true;
    return false;
}

// Turns the operands joined by & into one call of jet_concat, which treats NULL as
// empty text (as the dialect's & does) and groups like the dialect does:
// "TrackNo + 1 & 'x'" joins the sum, where SQLite's || would bind to the 1 alone.
class TconcatWriter {
public:
    explicit TconcatWriter(std::string& out) : Fout(out) { Fsegments.push_back({0, false}); }
    // An operand ends at a comparison, a comma or a logical word; the next one starts
    // after it.
    void EndOperand() { Close(); }
    void StartOperand() { Fsegments.back().Start = Fout.size(); }
    void Ampersand() {
        TsegmentState& s = Fsegments.back();
        if (!s.Open) {
            Fout.insert(s.Start, " jet_concat(");
            s.Open = true;
        }
        Fout += ", ";
    }
    void OpenParen() {
        Fout += '(';
        Fsegments.push_back({Fout.size(), false});
    }
    void CloseParen() {
        Close();
        if (Fsegments.size() > 1) Fsegments.pop_back();
        Fout += ')';
        // The bracketed group is part of the enclosing operand: no boundary here.
    }
    void Finish() {
        while (Fsegments.size() > 1) {
            Close();
            Fsegments.pop_back();
        }
        Close();
    }

private:
    struct TsegmentState {
        size_t Start;
        bool Open;
    };
    void Close() {
        if (Fsegments.back().Open) Fout += ')';
        Fsegments.back().Open = false;
    }
    std::string& Fout;
    std::vector<TsegmentState> Fsegments;
};

}  // namespace

std::string TranslateJetSql(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 32);
    TconcatWriter concat(out);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\'') {
            size_t j = i + 1;
            while (true) {
                if (j >= n) throw Exception("Unterminated string literal");
                if (text[j] == '\'') {
                    if (j + 1 < n && text[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.append(text.substr(i, j + 1 - i));
            out += " COLLATE NOCASE";
            i = j + 1;
        } else if (c == '"') {
            std::string literal = "'";
            size_t j = i + 1;
            while (true) {
                if (j >= n) throw Exception("Unterminated string literal");
                if (text[j] == '"') {
                    if (j + 1 < n && text[j + 1] == '"') {
                        literal += '"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                if (text[j] == '\'') literal += '\'';
                literal += text[j++];
            }
            out += literal + "' COLLATE NOCASE";
            i = j + 1;
        } else if (c == '#') {
            const size_t close = text.find('#', i + 1);
            if (close == std::string_view::npos) throw Exception("Unterminated date literal");
            TDateTime date;
            const std::string_view inner = text.substr(i + 1, close - i - 1);
            if (!ParseJetDate(inner, date)) throw Exception("Invalid date literal #" + std::string(inner) + "#");
            out += Format("(%.17g)", date);
            i = close + 1;
        } else if (c == '[') {
            const size_t close = text.find(']', i + 1);
            if (close == std::string_view::npos) throw Exception("Unterminated name in brackets");
            out.append(text.substr(i, close + 1 - i));
            i = close + 1;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            // Comments mean nothing to a rule; dropping them keeps a line comment from
            // swallowing what this pass or the caller writes after it.
            size_t end = text.find('\n', i);
            i = end == std::string_view::npos ? n : end;
            out += ' ';
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
            out += ' ';
        } else if (c == '&') {
            concat.Ampersand();
            ++i;
        } else if (c == '(') {
            concat.OpenParen();
            ++i;
        } else if (c == ')') {
            concat.CloseParen();
            ++i;
        } else if (c == ',' || c == '=' || c == '<' || c == '>' || c == '!' || c == ';') {
            concat.EndOperand();
            out += c;
            concat.StartOperand();
            ++i;
        } else if (IsWordChar(static_cast<unsigned char>(c))) {
            size_t j = i;
            while (j < n && IsWordChar(static_cast<unsigned char>(text[j]))) ++j;
            const std::string_view word = text.substr(i, j - i);
            size_t k = j;
            while (k < n && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
            const char* renamed = (k < n && text[k] == '(') ? RenamedFunction(word) : nullptr;
            const bool endsOperand = !renamed && EndsConcatOperand(word);
            if (endsOperand) concat.EndOperand();
            if (renamed) out += renamed;
            else if (SameText(word, "Mod")) out += " % ";
            else out.append(word);
            if (endsOperand) concat.StartOperand();
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    concat.Finish();
    return out;
}

namespace {
struct TjetFunctionEntry {
    const char* Name;
    int Args;
    TscalarFn Fn;
    intptr_t Data;
    bool Deterministic;
};
constexpr TjetFunctionEntry kJetFunctions[] = {
    {"Year", 1, DatePartFn, 0, true},     {"Month", 1, DatePartFn, 1, true},  {"Day", 1, DatePartFn, 2, true},
    {"Now", 0, NowFn, 0, false},          {"Date", 0, DateFn, 0, false},      {"DateAdd", 3, DateAddFn, 0, true},
    {"DateDiff", 3, DateDiffFn, 0, true}, {"jet_left", 2, LeftRightFn, 0, true}, {"jet_right", 2, LeftRightFn, 1, true},
    {"jet_mid", 2, MidFn, 0, true},       {"jet_mid", 3, MidFn, 0, true},     {"Len", 1, LenFn, 0, true},
    {"LCase", 1, CaseFn, 0, true},        {"UCase", 1, CaseFn, 1, true},      {"InStr", 2, InStrFn, 0, true},
    {"InStr", 3, InStrFn, 0, true},       {"InStr", 4, InStrFn, 0, true},     {"Val", 1, ValFn, 0, true},
    {"Nz", 1, NzFn, 0, true},             {"Nz", 2, NzFn, 0, true},           {"IIf", 3, IIfFn, 0, true},
    {"Trim", 1, TrimFn, 0, true},         {"like", 2, LikeFn, 0, true},       {"jet_concat", -1, ConcatFn, 0, true},
};
}  // namespace

void RegisterJetFunctions(TsqliteDatabase& database) {
    sqlite3* db = database.Handle();
    if (!db) throw Exception("Not Connected");
    for (const TjetFunctionEntry& f : kJetFunctions) Register(db, f.Name, f.Args, f.Fn, f.Data, f.Deterministic);
}

std::vector<std::pair<std::string, int>> JetFunctionSignatures() {
    std::vector<std::pair<std::string, int>> signatures;
    for (const TjetFunctionEntry& f : kJetFunctions) signatures.emplace_back(f.Name, f.Args);
    return signatures;
}

const std::set<std::string>& RuleFunctionNames() {
    static const std::set<std::string> names = [] {
        // SQLite's own functions that only compute on their arguments. Left out: those
        // that make large blobs (randomblob, zeroblob), hand out addresses or file
        // offsets (fts3_tokenizer, sqlite_offset), load code (load_extension) or
        // describe the engine.
        std::set<std::string> all = {"abs",     "avg",      "char",     "coalesce", "count",   "date",
                                     "datetime", "glob",    "group_concat", "hex",  "ifnull",  "iif",
                                     "instr",   "julianday", "length",  "likelihood", "likely", "lower",
                                     "ltrim",   "max",      "min",      "nullif",   "printf",  "format",
                                     "quote",   "random",   "replace",  "round",    "rtrim",   "sign",
                                     "strftime", "substr",  "substring", "sum",     "time",    "total",
                                     "trim",    "typeof",   "unicode",  "unlikely", "upper",   "unixepoch"};
        for (const TjetFunctionEntry& f : kJetFunctions) all.insert(f.Name);
        return all;
    }();
    return names;
}

}  // namespace tunecrest
