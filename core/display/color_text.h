#pragma once
// The text forms of a colour. In settings and skin files: one of the standard colour
// names ("clBlack", "clWhite", ...) when the value has one, else "$" and eight
// upper-case hex digits ("$00A86D4A"). In font tags and the font and colour stores:
// "#RRGGBB".
#include <optional>
#include <string>
#include <string_view>

#include "core/display/color.h"

namespace tunecrest {

std::string ColorToString(TColor color);
// Reads a colour name (any case), "$" hex, "0x" hex or a decimal number; nullopt for
// anything else, so a damaged file never turns into a colour silently.
std::optional<TColor> StringToColor(const std::string& text);

// System colours: the index of a display element with the high byte set.
constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;

// The RGB value of a colour: system colours resolve through the fixed desktop palette,
// anything else keeps its low three bytes.
TColor ColorToRGB(TColor color);

// "#RRGGBB", two upper-case hexadecimal digits each.
std::string ColorToHTML(TColor color);
// "#RRGGBB" or "RRGGBB" in any letter case; anything else is black (0).
TColor HTMLToColor(std::string_view text);
// Like HTMLToColor, but false (and `color` untouched) for a text not in the colour form.
bool TryHTMLToColor(std::string_view text, TColor& color);

}  // namespace tunecrest
