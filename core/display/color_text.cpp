#include "core/display/color_text.h"

#include <cstdio>
#include <cstdlib>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

struct TcolorName {
    TColor Value;
    const char* Name;
};

constexpr TcolorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"},   {clOlive, "clOlive"},
    {clNavy, "clNavy"},   {clPurple, "clPurple"}, {clTeal, "clTeal"},     {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"},     {clLime, "clLime"},     {clYellow, "clYellow"},
    {clBlue, "clBlue"},   {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"},   {clWhite, "clWhite"},
};

// The desktop palette the system colours stand for, as $00BBGGRR, by display element.
constexpr TColor kSystemPalette[] = {
    RGBColor(0xC8, 0xC8, 0xC8), RGBColor(0x00, 0x00, 0x00), RGBColor(0x99, 0xB4, 0xD1),
    RGBColor(0xBF, 0xCD, 0xDB), RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x64, 0x64, 0x64), RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0xB4, 0xB4, 0xB4), RGBColor(0xF4, 0xF7, 0xFC),
    RGBColor(0xAB, 0xAB, 0xAB), RGBColor(0x00, 0x78, 0xD7), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xA0, 0xA0, 0xA0), RGBColor(0x6D, 0x6D, 0x6D),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x00, 0x00), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x69, 0x69, 0x69), RGBColor(0xE3, 0xE3, 0xE3), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0xFF, 0xFF, 0xE1), RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x66, 0xCC),
    RGBColor(0xB9, 0xD1, 0xEA), RGBColor(0xD7, 0xE4, 0xF2), RGBColor(0x33, 0x99, 0xFF),
    RGBColor(0xF0, 0xF0, 0xF0),
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ColorToString(TColor color)
{
    for (const auto& entry : kColorNames)
        if (entry.Value == color) return entry.Name;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

std::optional<TColor> StringToColor(const std::string& text)
{
    const std::string s = Trim(text);
    for (const auto& entry : kColorNames)
        if (SameText(s, entry.Name)) return entry.Value;
    if (s.empty()) return std::nullopt;
    std::string digits = s;
    int base = 10;
    if (s[0] == '$') {
        digits = s.substr(1);
        base = 16;
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        digits = s.substr(2);
        base = 16;
    }
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, base);
    if (*end != '\0' || digits[0] == '+' || digits[0] == ' ') return std::nullopt;
    if (value < INT32_MIN || value > int64_t(UINT32_MAX)) return std::nullopt;
    return static_cast<TColor>(static_cast<uint32_t>(value));
}

TColor ColorToRGB(TColor color) {
    if ((uint32_t(color) & 0xFF000000u) == 0xFF000000u) {
        const uint32_t index = uint32_t(color) & 0xFFu;
        return index < std::size(kSystemPalette) ? kSystemPalette[index] : clBlack;
    }
    return TColor(uint32_t(color) & 0x00FFFFFFu);
}

std::string ColorToHTML(TColor color) {
    const TColor rgb = ColorToRGB(color);
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%2.2X%2.2X%2.2X", unsigned(GetRValue(rgb)), unsigned(GetGValue(rgb)),
                  unsigned(GetBValue(rgb)));
    return buf;
}

bool TryHTMLToColor(std::string_view text, TColor& color) {
    if (text.size() == 7 && text[0] == '#') text.remove_prefix(1);
    if (text.size() != 6) return false;
    int d[6];
    for (int i = 0; i < 6; ++i) {
        d[i] = HexDigit(text[size_t(i)]);
        if (d[i] < 0) return false;
    }
    color = RGBColor(uint8_t(d[0] * 16 + d[1]), uint8_t(d[2] * 16 + d[3]), uint8_t(d[4] * 16 + d[5]));
    return true;
}

TColor HTMLToColor(std::string_view text) {
    TColor color = clBlack;
    return TryHTMLToColor(text, color) ? color : clBlack;
}

}  // namespace tunecrest
