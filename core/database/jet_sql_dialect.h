#pragma once
// Query rules are written in the dialect of the desktop database engine that earlier
// versions of the jukebox used. This layer runs them on SQLite: a token pass rewrites
// the constructs SQLite spells differently, and functions registered on the connection
// supply the dialect's built-in functions and its LIKE. Text compares without regard
// to case (ASCII letters folded), as the dialect does.
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/date_time.h"

namespace tunecrest {

class TsqliteDatabase;

// Rewrites a rule fragment (a condition or an order list). String literals are left
// alone apart from compare-without-case; "double-quoted" strings become 'single-quoted';
// #date# literals become day numbers; the operands joined by & become one call of a
// registered function that reads NULL as empty text; Mod becomes %; Left(, Right( and
// Mid( call the registered functions; comments are dropped. Throws Exception for an unterminated literal or
// a date literal that is no date.
std::string TranslateJetSql(std::string_view text);

// Registers Year, Month, Day, Now, Date, DateAdd, DateDiff, Left, Right, Mid, Len,
// LCase, UCase, InStr, Val, Nz, IIf, Trim and the dialect's LIKE on the connection.
void RegisterJetFunctions(TsqliteDatabase& db);
// The functions RegisterJetFunctions adds, as (name, number of arguments; -1 for any).
std::vector<std::pair<std::string, int>> JetFunctionSignatures();
// Every function a query rule may call: the dialect's and SQLite's own that compute on
// their arguments alone.
const std::set<std::string>& RuleFunctionNames();

// The dialect's LIKE: % any run of characters, _ one character, [list] one character
// of the list (ranges such as a-z allowed), [!list] one character not in it; letters
// match without regard to case. Returns false and sets `error` for a bad pattern.
bool JetLike(std::string_view pattern, std::string_view value, bool& matched, std::string* error = nullptr);

// A date as the dialect writes it between # signs: m/d/yyyy (two-digit years 30-99 are
// 19xx, 00-29 20xx), yyyy-mm-dd or yyyy/mm/dd, each with an optional time h:nn[:ss]
// [AM|PM], or a time alone.
bool ParseJetDate(std::string_view text, TDateTime& value);

}  // namespace tunecrest
