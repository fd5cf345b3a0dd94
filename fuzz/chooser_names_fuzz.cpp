// The touch file chooser's text rules, whose input is the caller's filter, the names a
// folder holds and what a person types. The first byte picks the rule; the rest is split
// at the first zero byte into two texts.
//   0: a filter: every entry has masks, none empty or holding a separator;
//   1: a name against a mask: "*" takes every name, and a mask without wildcards takes
//      only the name itself (letters in any case);
//   2: a name as shown: always well-formed UTF-8, the name itself when it is, and each
//      byte that is not part of a character one stand-in;
//   3: a typed name saved in a folder: the answer stays in that folder, one level down.
// Sources: windows/dialogs/file_choice.cpp
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/text_utils.h"
#include "windows/dialogs/file_choice.h"

namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tunecrest;
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t zero = rest.find('\0');
    const std::string first = rest.substr(0, zero);
    const std::string second = zero == std::string::npos ? std::string() : rest.substr(zero + 1);
    switch (data[0] % 4) {
        case 0: {
            const auto entries = ParseFileFilter(first);
            if (entries.empty()) __builtin_trap();
            for (const auto& entry : entries) {
                if (entry.Masks.empty()) __builtin_trap();
                for (const auto& mask : entry.Masks)
                    if (mask.empty() || mask.find_first_of(";, \t") != std::string::npos) __builtin_trap();
            }
            break;
        }
        case 1: {
            // Long texts make a matcher slow only when it backtracks without bound.
            if (first.size() > 256 || second.size() > 4096) break;
            const bool matched = MatchesMask(second, first);
            if ((first == "*" || first == "*.*") && !matched) __builtin_trap();
            if (first.find_first_of("*?") == std::string::npos && matched != SameText(first, second))
                __builtin_trap();
            if (!MatchesMask(second, "*")) __builtin_trap();
            break;
        }
        case 2: {
            const std::string shown = ShownName(first);
            if (!IsValidUtf8(shown)) __builtin_trap();
            if (IsValidUtf8(first) && shown != first) __builtin_trap();
            if (ShownName(shown) != shown) __builtin_trap();
            if (shown.size() > first.size() * 3) __builtin_trap();
            if (Count(shown, "\xEF\xBF\xBD") < Count(first, "\xEF\xBF\xBD")) __builtin_trap();
            break;
        }
        default: {
            const std::string folder = "/music/lists";
            const std::string file = SaveChoiceFile(folder, second, ParseFileFilter(first).front().Masks);
            if (file.empty()) break;
            if (file.compare(0, folder.size() + 1, folder + "/") != 0) __builtin_trap();
            const std::string name = file.substr(folder.size() + 1);
            if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
                __builtin_trap();
            break;
        }
    }
    return 0;
}
