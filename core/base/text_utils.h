#pragma once
// Text helpers shared by the model. Text is UTF-8 in std::string everywhere;
// "without regard to case" folds ASCII letters only, so multi-byte characters
// always compare exactly.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// <0, 0, >0 like strcmp, ASCII letters folded.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// A sort key of the first eight bytes, ASCII letters folded, packed big-endian and
// padded with zeros: when the keys of two texts differ, they order the texts as
// CompareText does; equal keys need the full compare. Sorts keep it next to the item
// so most comparisons touch no text.
uint64_t TextSortPrefix(std::string_view s);
// A hash of the text with ASCII letters folded: equal for texts SameText finds equal.
// With TtextKeyEqual it keys hash maps by text without regard to case, looked up with
// any string_view (no upper-cased copy per lookup).
struct TtextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const;
};
struct TtextKeyEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Parses a whole decimal integer (surrounding blanks allowed); the default on anything else.
int64_t StrToInt64Def(std::string_view s, int64_t def);
int StrToIntDef(std::string_view s, int def);
std::vector<std::string> SplitString(std::string_view s, char sep);
// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view s);
// Converts legacy Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view s);
// Text read from an old file: kept when valid UTF-8, otherwise taken as Windows-1252.
std::string LegacyTextToUtf8(std::string_view s);

// One comma-separated field: double quotes are doubled, and the field is enclosed in
// double quotes when it holds a comma, a double quote, CR or LF, or starts or ends
// with a space (so that any reader gets the text back).
std::string QuoteCSVField(std::string_view field);
// The fields quoted and joined with "," (no separator after the last).
std::string JoinCSV(const std::vector<std::string>& fields);

// The comma text of a string list: items joined with ","; an item holding a blank, a
// comma, a double quote or nothing at all is enclosed in double quotes with its quotes
// doubled. SplitCommaText reads it back (blanks outside quotes also separate items).
std::string CommaText(const std::vector<std::string>& items);
std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace tunecrest
