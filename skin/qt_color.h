#pragma once
// The one place where the system's colours ($00BBGGRR TColor values, as settings and
// skin files keep them) become Qt colours and back. Model code and files only ever see
// TColor; widgets convert here when they paint.
#include <QColor>

#include "core/display/color.h"

namespace tunecrest {

// Values with bits above the low 24 set (system colour codes) take their low 24 bits.
QRgb ToQRgb(TColor color);
QColor ToQColor(TColor color);
TColor FromQRgb(QRgb rgb);
TColor FromQColor(const QColor& color);

}  // namespace tunecrest
