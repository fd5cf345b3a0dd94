#pragma once
// Text as the searches compare it: "without regard to case" for ASCII letters, and Latin
// letters with accents read as their plain letters, so that a touch keyboard without
// accented keys (or a guest who does not type them) still reaches "Bulles gelées" by
// typing "gelees", and "GELÉES" matches as well.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tunecrest {

// Appends `text` folded: ASCII letters upper-cased; Latin letters with accents or other
// marks (Latin-1, Latin Extended-A and -B, Latin Extended Additional) as their plain
// upper-case letters, the ligatures and the letters that have no plain form spelled out
// ("Æ" "AE", "ß" "SS", "Ø" "O", "Þ" "TH"). Every other character, and every byte that is
// not part of a UTF-8 character, stays as it is.
void AppendSearchFolded(std::string_view text, std::string& out);
// The same into `to`, which has room for text.size() bytes (a folded text is never longer
// than the text); returns the end of what was written.
char* FoldForSearch(std::string_view text, char* to);
// Folds, in place, a block of `size` bytes that holds `count` names, each followed by a zero
// byte, starting at `starts[0..count)` (`starts[count]` is `size`); the starts follow the
// names as folding shortens them. Returns the block's new size. Far quicker than folding
// each name on its own: the plain ASCII of a whole block goes eight bytes at a time.
size_t FoldNamesForSearch(char* block, size_t size, uint32_t* starts, size_t count);
std::string SearchFolded(std::string_view text);

// Whether `text`, folded, holds `folded` (a text already folded), compared in place.
bool ContainsSearchFolded(std::string_view text, std::string_view folded);

}  // namespace tunecrest
