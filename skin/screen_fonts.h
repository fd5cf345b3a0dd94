#pragma once
// Screen fonts for the stored font descriptions. Skins and settings name the fonts of the
// desktop they were made on ("Arial", "Tahoma", "Courier New", ...); those names are kept
// as stored and drawn with the free fonts of the same metrics that the system installs.
#include <QColor>
#include <QFont>
#include <QString>
#include <string_view>

#include "core/display/font_store.h"

namespace tunecrest {

// The installed family that stands for a stored font name; unknown names pass through
// (the font system picks its own fallback for a family it lacks).
QString ScreenFontFamily(std::string_view storedName);
// The point size a description is drawn with: 1 to kMarkupMaxFontSize, sizes below 1 draw as 8 points.
int ScreenFontPointSize(int size);
// The font of a description: the installed family first, then the CJK family for the
// Chinese, Japanese and Korean letters of names and titles the first one lacks.
QFont ScreenFont(const TFont& font);
// The installed family that draws Chinese, Japanese and Korean text.
inline constexpr const char* kCjkFontFamily = "WenQuanYi Zen Hei";
// A stored colour as a QColor, system colours resolved to the desktop palette first.
QColor ScreenColor(TColor color);

}  // namespace tunecrest
