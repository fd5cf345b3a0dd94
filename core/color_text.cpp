#include "core/color_text.h"

#include <cstdio>
#include <cstdlib>

#include "core/text_utils.h"

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

}  // namespace tunecrest
