#include "core/base/search_folding.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace tunecrest {

namespace {

// The plain letter of each character from U+00C0 to U+024F and from U+1E00 to U+1EFF,
// taken from its canonical decomposition: '.' for a character that stays as it is, '*' for
// one spelled with two letters (see Spelled).
constexpr std::string_view kLatin =
    "AAAAAA*CEEEEIIIIDNOOOOO.OUUUUY**AAAAAA*CEEEEIIIIDNOOOOO.OUUUUY*Y"
    "AAAAAACCCCCCCCDDDDEEEEEEEEEEGGGGGGGGHHHHIIIIIIIIII**JJKKKLLLLLLL"
    "LLLNNNNNNNNNOOOOOO**RRRRRRSSSSSSSSTTTTTTUUUUUUUUUUUUWWYYYZZZZZZS"
    "................................OO.............UU..............."
    ".............AAIIOOUUUUUUUUUU.AAAA....GGKKOOOO..J...GG..NNAA...."
    "AAAAEEEEIIIIOOOORRRRUUUUSSTT..HH......AAEEOOOOOOOOYY............"
    "................";
constexpr std::string_view kLatinAdditional =
    "AABBBBBBCCDDDDDDDDDDEEEEEEEEEEFFGGHHHHHHHHHHIIIIKKKKKKLLLLLLLLMM"
    "MMMMNNNNNNNNOOOOOOOOPPPPRRRRRRRRSSSSSSSSSSTTTTTTTTUUUUUUUUUUVVVV"
    "WWWWWWWWWWXXXXYYZZZZZZHTWY....*.AAAAAAAAAAAAAAAAAAAAAAAAEEEEEEEE"
    "EEEEEEEEIIIIOOOOOOOOOOOOOOOOOOOOOOOOUUUUUUUUUUUUUUYYYYYYYY......";

const char* Spelled(uint32_t code) {
    switch (code) {
        case 0xC6:
        case 0xE6:
            return "AE";
        case 0xDE:
        case 0xFE:
            return "TH";
        case 0xDF:
        case 0x1E9E:
            return "SS";
        case 0x132:
        case 0x133:
            return "IJ";
        default:
            return "OE";  // U+0152, U+0153
    }
}

// The plain form of a character of the tables ('.' when it has none).
char PlainLetter(uint32_t code) {
    if (code >= 0xC0 && code < 0xC0 + kLatin.size()) return kLatin[code - 0xC0];
    if (code >= 0x1E00 && code < 0x1E00 + kLatinAdditional.size()) return kLatinAdditional[code - 0x1E00];
    return '.';
}

// The character starting at `text[i]` when it is a well-formed two- or three-byte UTF-8
// character (the tables lie there); 0 otherwise. `length` gets its bytes.
uint32_t Decode(std::string_view text, size_t i, size_t& length) {
    const auto byte = [&](size_t k) { return uint8_t(text[i + k]); };
    const uint8_t lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() && (byte(1) & 0xC0) == 0x80) {
        length = 2;
        return uint32_t(lead & 0x1F) << 6 | (byte(1) & 0x3F);
    }
    if (lead == 0xE1 && i + 2 < text.size() && (byte(1) & 0xC0) == 0x80 && (byte(2) & 0xC0) == 0x80) {
        length = 3;
        return 0x1000 | uint32_t(byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    }
    return 0;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x80 * kOnes;

// Eight bytes of plain ASCII folded at once: each byte from 'a' to 'z' loses 0x20 (no byte
// carries into the next, as every byte is below 0x80).
uint64_t FoldAsciiWord(uint64_t x) {
    const uint64_t fromA = x + (0x80 - 'a') * kOnes;      // high bit set from 'a' up
    const uint64_t pastZ = x + (0x80 - 'z' - 1) * kOnes;  // high bit set past 'z'
    return x - (((fromA & ~pastZ) & kHighBits) >> 2);
}

char FoldAsciiByte(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace

char* FoldForSearch(std::string_view text, char* to) {
    const char* from = text.data();
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        // Plain ASCII eight bytes at a time, then byte by byte up to a character beyond it.
        for (uint64_t x; i + 8 <= n; i += 8, to += 8) {
            std::memcpy(&x, from + i, 8);
            if (x & kHighBits) break;
            x = FoldAsciiWord(x);
            std::memcpy(to, &x, 8);
        }
        while (i < n && uint8_t(from[i]) < 0x80) *to++ = FoldAsciiByte(from[i++]);
        if (i >= n) break;
        size_t length = 1;
        const uint32_t code = Decode(text, i, length);
        const char plain = code ? PlainLetter(code) : '.';
        if (plain == '*') {
            std::memcpy(to, Spelled(code), 2);
            to += 2;
        } else if (plain != '.') {
            *to++ = plain;
        } else {
            std::memcpy(to, from + i, length);
            to += length;
        }
        i += length;
    }
    return to;
}

size_t FoldNamesForSearch(char* block, size_t size, uint32_t* starts, size_t count) {
    size_t r = 0, w = 0;
    // Where the text became shorter: the raw place and how many bytes were saved before it.
    std::vector<std::pair<size_t, size_t>> shrinks;
    while (r < size) {
        for (uint64_t x; r + 8 <= size; r += 8, w += 8) {
            std::memcpy(&x, block + r, 8);
            if (x & kHighBits) break;
            x = FoldAsciiWord(x);
            std::memcpy(block + w, &x, 8);
        }
        while (r < size && uint8_t(block[r]) < 0x80) block[w++] = FoldAsciiByte(block[r++]);
        if (r >= size) break;
        size_t length = 1;
        const uint32_t code = Decode(std::string_view(block, size), r, length);
        const char plain = code ? PlainLetter(code) : '.';
        char folded[4];
        size_t written = length;
        if (plain == '*') {
            std::memcpy(folded, Spelled(code), 2);
            written = 2;
        } else if (plain != '.') {
            folded[0] = plain;
            written = 1;
        } else {
            std::memcpy(folded, block + r, length);
        }
        std::memcpy(block + w, folded, written);
        r += length;
        w += written;
        if (r != w && (shrinks.empty() || shrinks.back().second != r - w)) shrinks.emplace_back(r, r - w);
    }
    // A name starting at or after a shrink moves back by what was saved before it.
    size_t s = 0, saved = 0;
    for (size_t k = 0; k <= count; ++k) {
        while (s < shrinks.size() && shrinks[s].first <= starts[k]) saved = shrinks[s++].second;
        starts[k] = uint32_t(starts[k] - saved);
    }
    return w;
}

void AppendSearchFolded(std::string_view text, std::string& out) {
    const size_t start = out.size();
    out.resize(start + text.size());
    out.resize(size_t(FoldForSearch(text, out.data() + start) - out.data()));
}

std::string SearchFolded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendSearchFolded(text, out);
    return out;
}

bool ContainsSearchFolded(std::string_view text, std::string_view folded) {
    if (folded.empty()) return true;
    // Plain ASCII (nearly every name) is compared in place; anything else is folded first.
    bool ascii = true;
    for (char c : text) ascii = ascii && uint8_t(c) < 0x80;
    if (!ascii) return SearchFolded(text).find(folded) != std::string::npos;
    if (text.size() < folded.size()) return false;
    for (size_t i = 0; i + folded.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < folded.size() && FoldAsciiByte(text[i + k]) == folded[k]) ++k;
        if (k == folded.size()) return true;
    }
    return false;
}

}  // namespace tunecrest
