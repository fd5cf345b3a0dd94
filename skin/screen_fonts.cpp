#include "skin/screen_fonts.h"

#include <array>
#include <utility>

#include "core/display/markup_text.h"
#include "core/base/text_utils.h"
#include "skin/qt_color.h"

namespace tunecrest {

namespace {

// Stored family -> installed family of matching metrics (Liberation fonts are metric
// twins of the first three; DejaVu stands in for the Verdana/Tahoma family).
constexpr std::array<std::pair<std::string_view, const char*>, 22> kFamilies = {{
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Tahoma", "DejaVu Sans"},
    {"Verdana", "DejaVu Sans"},
    {"Segoe UI", "DejaVu Sans"},
    {"Trebuchet MS", "DejaVu Sans"},
    {"Lucida Sans Unicode", "DejaVu Sans"},
    {"Arial Black", "DejaVu Sans"},
    {"Impact", "DejaVu Sans Condensed"},
    {"Georgia", "DejaVu Serif"},
    {"Book Antiqua", "DejaVu Serif"},
    {"Lucida Console", "DejaVu Sans Mono"},
    {"Consolas", "DejaVu Sans Mono"},
    {"Fixedsys", "DejaVu Sans Mono"},
}};

}  // namespace

QString ScreenFontFamily(std::string_view storedName) {
    for (const auto& [stored, installed] : kFamilies)
        if (SameText(stored, storedName)) return QString::fromLatin1(installed);
    if (storedName.empty()) return QStringLiteral("DejaVu Sans");
    return QString::fromUtf8(storedName.data(), qsizetype(storedName.size()));
}

int ScreenFontPointSize(int size) {
    if (size < 1) return 8;
    return size > kMarkupMaxFontSize ? kMarkupMaxFontSize : size;
}

QFont ScreenFont(const TFont& font) {
    QFont f;
    f.setFamilies({ScreenFontFamily(font.Name), QString::fromLatin1(kCjkFontFamily)});
    f.setPointSize(ScreenFontPointSize(font.Size));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    return f;
}

QColor ScreenColor(TColor color) {
    return ToQColor(ColorToRGB(color));
}

}  // namespace tunecrest
