#pragma once
// Small routines shared across the program: time stamps, Boolean texts, path and
// file helpers, name filters, placeholder and tag-text
// editing, URL encoding and command-line switches. Routines that need the operating
// system (folders, drives, shutdown, versions) are in core/base/system_services.h.
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/string_lists.h"

namespace tunecrest {

// Shows `text`, ":\r\n\r\n" and the exception's message in a box titled "Application Error".
void ShowApplicationError(const std::exception& e, const std::string& text);

// "yyyymmddhhmmsszzz" and "hhmmsszzz".
std::string DateTimeStamp(TDateTime t);
std::string TimeStamp(TDateTime t);
// Reads a "yyyymmddhhmmsszzz" stamp by fixed positions; a part that is no number is 0.
// An empty stamp is 0. A stamp whose parts make no valid date or time raises Exception.
TDateTime StampToDateTime(std::string_view s);

// "1" or "0"; True for a non-zero integer.
std::string BoolToStr(bool b);
bool StrToBool(std::string_view s);

// Appends the path separator when missing and folds runs of separators into one.
std::string IncludeTrailingBackslashFixed(std::string_view path);

// True when `s` is not empty and holds only ASCII letters, digits and ` ! # $ & ' ( ) - ^ _ { } ~ @.
bool IsSafeFileName(std::string_view s);
// Keeps the characters of `s` that are in `set`; a kept space becomes "_" when asked.
std::string FilterChars(std::string_view s, std::string_view set, bool spaceToUnderscore);
// The ASCII letters and digits of `s`.
std::string MakeAlphaNumName(std::string_view s);

// A file test that never prompts (a missing medium is simply "no file").
bool FileExistsQuiet(const std::string& name);
// Names (without folder) of the files in `folder` that match `mask` ("*" and "?",
// letters compared exactly), sorted; "." and ".." never appear.
// "*" any run, "?" one character; letters compared exactly (Linux names).
bool WildcardMatch(std::string_view text, std::string_view mask);
std::vector<std::string> FindFilesInFolder(const std::string& folder, const std::string& mask);
// The file's modification time; 0 when it is missing.
TDateTime GetFileDateTime(const std::string& name);

// "%d:%2.2d:%2.2d" of whole seconds ("%d:%2.2d" is FormatMS beside the tag record).
std::string FormatHMS(int seconds);

// Matches `text` against a file-name mask of placeholders ("%a", "%t", ...) between
// literal separators, from the left, and fills `list` with "placeholder=value" lines
// (cleared first). A placeholder whose separator is missing takes the rest of the text;
// when a placeholder occurs twice, its last value wins. Values are never trimmed.
void MatchFileMask(std::string_view text, std::string_view mask, TmyStringList& list);

// Replaces every "%" followed by `c` with `value` in one pass from left to right;
// the inserted value is never scanned again.
std::string ReplacePlaceholder(std::string_view text, char c, std::string_view value);

// The text between "<tag>" and "</tag>" (tag names without regard to case); empty when absent.
std::string GetTagValue(std::string_view text, std::string_view tag);
// Replaces the text between the tags; the text is returned unchanged when they are absent.
std::string ReplaceTagValue(std::string_view text, std::string_view tag, std::string_view value);

// Percent-encodes every byte other than ASCII letters, digits and "-_.~" ("%2.2x").
std::string URLEncode(std::string_view s);

// Command-line switches: a parameter starting with "-" or "/" followed by the name
// (without regard to case), optionally "=" and a value (double quotes stripped).
bool HasCmdLineSwitch(const std::vector<std::string>& params, std::string_view name);
bool GetCmdLineSwitchValue(const std::vector<std::string>& params, std::string_view name, std::string& value);

// Removes every "&" accelerator mark.
std::string StripAccelerators(std::string_view s);

// The year of a date text: its first run of four or more digits, read as four digits
// ("1987-03-01", "May 1987" and "19870301" are 1987); 0 when there is none.
int YearOfDateText(std::string_view date);

}  // namespace tunecrest
