#include "core/base/text_utils.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace tunecrest {

namespace {
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
}  // namespace

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    // Equal bytes are equal letters: only differing bytes need folding. Sorted library
    // texts share long prefixes ("Track 1", "Track 12", the font tags of list rows), which
    // are passed eight bytes at a time.
    while (i < n) {
        for (uint64_t x, y; i + 8 <= n; i += 8) {
            std::memcpy(&x, a.data() + i, 8);
            std::memcpy(&y, b.data() + i, 8);
            if (x != y) {
                if constexpr (std::endian::native == std::endian::little) i += size_t(__builtin_ctzll(x ^ y) / 8);
                break;
            }
        }
        for (; i < n; ++i) {
            if (a[i] == b[i]) continue;
            const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
            const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
            if (ca != cb) return ca < cb ? -1 : 1;
            ++i;
            break;  // letters of another case: on with the words
        }
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

uint64_t TextSortPrefix(std::string_view s) {
    uint64_t x = 0;
    std::memcpy(&x, s.data(), std::min<size_t>(s.size(), 8));
    // All eight bytes folded at once: a byte below 0x80 gets its top bit set by adding
    // 0x1F when it is 'a' or above and by adding 0x05 when it is above 'z' (no carry
    // reaches the next byte); the letters between lose 0x20.
    constexpr uint64_t kTop = 0x8080808080808080ull;
    const uint64_t low = x & ~kTop;
    const uint64_t letters = (low + 0x1F1F1F1F1F1F1F1Full) & ~(low + 0x0505050505050505ull) & ~x & kTop;
    x -= letters >> 2;
    if constexpr (std::endian::native == std::endian::little) x = __builtin_bswap64(x);
    return x;
}

size_t TtextHash::operator()(std::string_view s) const {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : s) {
        h ^= static_cast<unsigned char>(AsciiUpper(c));
        h *= 1099511628211ull;
    }
    return size_t(h);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s) {
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

int64_t StrToInt64Def(std::string_view s, int64_t def) {
    const std::string t = Trim(s);
    if (t.empty()) return def;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return def;
    uint64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return def;
        const uint64_t digit = uint64_t(t[i] - '0');
        if (value > (uint64_t(std::numeric_limits<int64_t>::max()) + 1 - digit) / 10) return def;
        value = value * 10 + digit;
    }
    if (!negative && value > uint64_t(std::numeric_limits<int64_t>::max())) return def;
    return negative ? int64_t(0 - value) : int64_t(value);
}

int StrToIntDef(std::string_view s, int def) {
    const int64_t v = StrToInt64Def(s, int64_t(std::numeric_limits<int64_t>::min()));
    if (v == std::numeric_limits<int64_t>::min() || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return def;
    return int(v);
}

std::vector<std::string> SplitString(std::string_view s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(size_t(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, args);
        out.resize(size_t(n));
    }
    va_end(args);
    return out;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += len;
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
    // 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes, kept as U+FFFD.
    static const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        uint32_t cp = c;
        if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD;
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string LegacyTextToUtf8(std::string_view s) { return IsValidUtf8(s) ? std::string(s) : Cp1252ToUtf8(s); }

std::string QuoteCSVField(std::string_view field) {
    bool enclose = !field.empty() && (field.front() == ' ' || field.back() == ' ');
    std::string out;
    out.reserve(field.size() + 2);
    for (char c : field) {
        if (c == ',' || c == '\r' || c == '\n') enclose = true;
        if (c == '"') {
            enclose = true;
            out += '"';
        }
        out += c;
    }
    return enclose ? "\"" + out + "\"" : out;
}

std::string JoinCSV(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += QuoteCSVField(fields[i]);
    }
    return out;
}

std::string CommaText(const std::vector<std::string>& items) {
    std::string r;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) r.push_back(',');
        const std::string& item = items[i];
        const bool quote = item.empty() || std::any_of(item.begin(), item.end(), [](char c) {
                               return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
                           });
        if (!quote) {
            r += item;
            continue;
        }
        r.push_back('"');
        for (char c : item) {
            r.push_back(c);
            if (c == '"') r.push_back('"');
        }
        r.push_back('"');
    }
    return r;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
    std::vector<std::string> items;
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t i = 0;
    while (i < text.size() && blank(text[i])) ++i;
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item.push_back(text[i++]);
            }
        } else {
            while (i < text.size() && text[i] != ',' && !blank(text[i])) item.push_back(text[i++]);
        }
        items.push_back(std::move(item));
        while (i < text.size() && blank(text[i])) ++i;
        if (i < text.size() && text[i] == ',') {
            ++i;
            while (i < text.size() && blank(text[i])) ++i;
        }
    }
    return items;
}

}  // namespace tunecrest
