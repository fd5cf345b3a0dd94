#include "core/database/jet_sql_dialect.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/base/date_time.h"
#include "core/base/exceptions.h"
#include "core/base/services.h"
#include "core/database/sqlite_database.h"

using namespace tunecrest;

namespace {

// The value of one expression in the rule dialect, as text ("NULL" for null, "ERROR: ..." on failure).
std::string Eval(const std::string& expression) {
    TsqliteDatabase db;
    db.Open(":memory:", TsqliteDatabase::TopenMode::ReadWriteCreate);
    RegisterJetFunctions(db);
    try {
        TsqliteStatement q = db.Prepare("select " + TranslateJetSql(expression));
        if (!q.Step()) return "NO ROW";
        return q.ColumnIsNull(0) ? "NULL" : q.ColumnText(0);
    } catch (const Exception& e) {
        return std::string("ERROR: ") + e.what();
    }
}

}  // namespace

TEST(JetSqlDialect, RewritesOutsideLiteralsOnly) {
    EXPECT_EQ(TranslateJetSql("a & 'x & y' & \"it's\""),
              " jet_concat(a ,  'x & y' COLLATE NOCASE ,  'it''s' COLLATE NOCASE)");
    EXPECT_EQ(TranslateJetSql("[Left] = Left (Artist, 1) AND MidPart Mod 2"), "[Left] = jet_left (Artist, 1) AND MidPart  %  2");
    EXPECT_EQ(TranslateJetSql("\"say \"\"hi\"\"\""), "'say \"hi\"' COLLATE NOCASE");
    EXPECT_EQ(TranslateJetSql("x -- a & b\n& y"), " jet_concat(x  \n,  y)");
    EXPECT_EQ(TranslateJetSql("a & b = c AND (d & e)"), " jet_concat(a ,  b )= c AND ( jet_concat(d ,  e))");
    EXPECT_THROW(TranslateJetSql("#2004-02-30#"), Exception);
    EXPECT_THROW(TranslateJetSql("#1/1/2004"), Exception);
    EXPECT_THROW(TranslateJetSql("[Artist"), Exception);
}

TEST(JetSqlDialect, DateLiterals) {
    struct Tcase {
        const char* Text;
        TDateTime Expected;
    } cases[] = {
        {"1/31/2004", EncodeDate(2004, 1, 31)},
        {"2004-01-31", EncodeDate(2004, 1, 31)},
        {"2004/1/31 13:45", EncodeDate(2004, 1, 31) + EncodeTime(13, 45, 0, 0)},
        {"12/31/99 11:59:58 PM", EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0)},
        {"1/1/29 12:00 AM", EncodeDate(2029, 1, 1)},
        {"1/1/30", EncodeDate(1930, 1, 1)},  // the first two-digit year of the 1900s
        {"12/31/00", EncodeDate(2000, 12, 31)},
        {"10:30", EncodeTime(10, 30, 0, 0)},
    };
    for (const Tcase& c : cases) {
        TDateTime value = -1;
        EXPECT_TRUE(ParseJetDate(c.Text, value)) << c.Text;
        EXPECT_DOUBLE_EQ(value, c.Expected) << c.Text;
    }
    TDateTime value;
    for (const char* bad : {"", "2004-13-01", "31/31/2004", "1/1/2004 25:00", "13:00 PM", "2004-01-31x", "12345/1/1"})
        EXPECT_FALSE(ParseJetDate(bad, value)) << bad;
}

TEST(JetSqlDialect, LikePatterns) {
    struct Tcase {
        const char* Pattern;
        const char* Value;
        bool Match;
    } cases[] = {
        {"a%", "ABC", true},      {"%c", "abC", true},          {"a_c", "abc", true},
        {"a_c", "ac", false},     {"%", "", true},              {"_", "", false},
        {"[a-c]x", "Bx", true},   {"[!a-c]x", "bx", false},     {"[!a-c]x", "dx", true},
        {"[xyz]%", "zed", true},  {"a%b%c", "aXXbYYc", true},   {"a%b%c", "aXXbYY", false},
        {"*", "x", false},        {"_ndú", "Ñndú", true},       {"100[%]", "100%", true},
        {"%a%a%a%a%b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    };
    for (const Tcase& c : cases) {
        bool matched = !c.Match;
        EXPECT_TRUE(JetLike(c.Pattern, c.Value, matched)) << c.Pattern;
        EXPECT_EQ(matched, c.Match) << c.Pattern << " ~ " << c.Value;
    }
    bool matched;
    std::string error;
    EXPECT_FALSE(JetLike("[abc", "a", matched, &error));
    EXPECT_EQ(error, "Invalid pattern string");
    EXPECT_FALSE(JetLike("[z-a]", "a", matched, &error));
}

TEST(JetSqlDialect, Functions) {
    SetClock([] { return EncodeDate(2024, 2, 29) + EncodeTime(18, 0, 0, 0); });
    struct Tcase {
        const char* Expression;
        const char* Expected;
    } cases[] = {
        {"Year(#3/4/2001#) & '-' & Month(#3/4/2001#) & '-' & Day(#3/4/2001#)", "2001-3-4"},
        {"Year(Null)", "NULL"},
        {"Year('2010-06-01')", "2010"},
        {"Date() = #2/29/2024#", "1"},
        {"Now() > Date()", "1"},
        {"DateAdd('yyyy', 1, #2/29/2024#) = #2/28/2025#", "1"},
        {"DateAdd('m', -1, #3/31/2024 10:00#) = #2/29/2024 10:00#", "1"},
        {"DateAdd('ww', 2, #1/1/2024#) = #1/15/2024#", "1"},
        {"DateAdd('h', 30, #1/1/2024#) = #1/2/2024 6:00#", "1"},
        {"DateDiff('d', #1/1/2024 23:00#, #1/2/2024 01:00#)", "1"},
        {"DateDiff('m', #1/31/2024#, #2/1/2024#)", "1"},
        {"DateDiff('yyyy', #12/31/2023#, #1/1/2024#)", "1"},
        {"DateDiff('ww', #1/6/2024#, #1/7/2024#)", "1"},  // Saturday to Sunday
        {"DateDiff('w', #1/6/2024#, #1/12/2024#)", "0"},
        {"DateDiff('n', #1/1/2024 10:00#, #1/1/2024 11:30#)", "90"},
        {"DateDiff('x', #1/1/2024#, #1/2/2024#)", "ERROR: Invalid procedure call or argument"},
        {"Left('Ñandú', 2) & '|' & Right('Ñandú', 2) & '|' & Mid('Ñandú', 2, 3)", "Ña|dú|and"},
        {"Left('abc', 10) & Mid('abc', 9) & '|'", "abc|"},
        {"Left('abc', -1)", "ERROR: Invalid procedure call or argument"},
        {"Mid('abc', 0)", "ERROR: Invalid procedure call or argument"},
        {"Len('Ñandú') & Len('')", "50"},
        {"LCase('ABC Ä') & UCase('abc ä')", "abc ÄABC ä"},
        {"InStr('Hello', 'L') & InStr(4, 'Hello', 'l') & InStr(1, 'Hello', 'L', 0) & InStr('a', 'z')", "3400"},
        {"InStr(Null, 'a')", "NULL"},
        {"Val('  12.5kg') + Val('abc') + Val('-3')", "9.5"},
        {"Val('1e3')", "1000.0"},
        {"Nz(Null) & Nz(Null, 'd') & Nz('v', 'd')", "dv"},
        {"IIf(Null, 'a', 'b') & IIf(2, 'a', 'b') & IIf(0, 'a', 'b')", "bab"},
        {"'[' & Trim('  a b  ') & ']'", "[a b]"},
        {"'abc' = 'ABC'", "1"},
        {"7 Mod 3", "1"},
        {"'ABC' Like 'a[!x]_'", "1"},
        // & reads NULL as empty text and binds more loosely than arithmetic.
        {"Null & 'a' & Null", "a"},
        {"IIf((Null & Null) Is Null, 'null', 'text')", "null"},
        {"1 + 2 & 'x' & 2 * 3", "3x6"},
        {"'a' & 'b' = 'AB' And 'c' & Left('de', 1) Like 'CD'", "1"},
        {"Len('ab' & 'cd') & '|' & ('x' & (1 + 1))", "4|x2"},
    };
    for (const Tcase& c : cases) EXPECT_EQ(Eval(c.Expression), c.Expected) << c.Expression;
    SetClock(nullptr);
}

TEST(JetSqlDialect, HugeArgumentsGiveAnErrorOrAClampedResult) {
    struct Tcase {
        const char* Expression;
        const char* Expected;
    } cases[] = {
        // Lengths past the text are clamped, never added up past the 64-bit range.
        {"Mid('abc', 2, 9223372036854775807)", "bc"},
        {"Mid('abc', 9223372036854775807, 9223372036854775807)", ""},
        {"Left('abc', 9223372036854775807) & Right('abc', 9223372036854775807)", "abcabc"},
        // Numbers beyond the 64-bit range are no whole numbers.
        {"Mid('abc', 2, 1e300)", "ERROR: Invalid procedure call or argument"},
        {"Left('abc', -1e300)", "ERROR: Invalid procedure call or argument"},
        {"InStr(9e18 * 10, 'abc', 'b')", "ERROR: Invalid procedure call or argument"},
        // Dates outside the calendar.
        {"DateAdd('yyyy', 9223372036854775807, #1/1/2000#)", "ERROR: Overflow"},
        {"DateAdd('m', -9223372036854775807, #1/1/2000#)", "ERROR: Overflow"},
        {"DateAdd('q', 3000000, #1/1/2000#)", "ERROR: Overflow"},
        {"DateAdd('d', 1e18, #1/1/2000#)", "ERROR: Overflow"},
        {"DateAdd('s', 1, 1e300)", "ERROR: Overflow"},
        {"Year(1e300)", "ERROR: Overflow"},
        {"Month(-1e300)", "ERROR: Overflow"},
        {"Day('9e999')", "ERROR: Overflow"},
        {"DateDiff('s', -1e300, 1e300)", "ERROR: Overflow"},
        {"DateDiff('yyyy', #1/1/2000#, 9e18)", "ERROR: Overflow"},
        // The ends of the calendar still work.
        {"Year(#12/31/9999#) & '-' & Year(#1/1/100#)", "9999-100"},
        {"DateDiff('yyyy', #1/1/100#, #12/31/9999#)", "9899"},
        {"DateAdd('yyyy', 1, #12/31/9999#)", "ERROR: Overflow"},
    };
    for (const auto& c : cases) EXPECT_EQ(Eval(c.Expression), c.Expected) << c.Expression;
    // The date decoder itself takes any double.
    EXPECT_EQ(DecodeDate(1e300).Year, 1899);
    EXPECT_EQ(DecodeDate(std::nan("")).Year, 1899);
    EXPECT_EQ(DecodeTime(std::nan("")).Hour, 0);
    EXPECT_EQ(DayOfWeek(-1e300), 7);
}

TEST(JetSqlDialect, RuleFunctionListHoldsTheDialectAndLeavesOutUnsafeOnes) {
    const auto& names = RuleFunctionNames();
    for (const auto& [name, args] : JetFunctionSignatures()) EXPECT_EQ(names.count(name), 1u) << name;
    for (const char* unsafe : {"fts3_tokenizer", "load_extension", "randomblob", "zeroblob", "sqlite_offset",
                               "readfile", "writefile", "sqlite_compileoption_get"})
        EXPECT_EQ(names.count(unsafe), 0u) << unsafe;
}
