#pragma once
// The text form of a colour in settings and skin files: one of the standard colour
// names ("clBlack", "clWhite", ...) when the value has one, else "$" and eight
// upper-case hex digits ("$00A86D4A").
#include <optional>
#include <string>

#include "core/color.h"

namespace tunecrest {

std::string ColorToString(TColor color);
// Reads a colour name (any case), "$" hex, "0x" hex or a decimal number; nullopt for
// anything else, so a damaged file never turns into a colour silently.
std::optional<TColor> StringToColor(const std::string& text);

}  // namespace tunecrest
