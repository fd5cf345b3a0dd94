#include "skin/qt_color.h"

namespace tunecrest {

QRgb ToQRgb(TColor color)
{
    return qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
}

QColor ToQColor(TColor color)
{
    return QColor(ToQRgb(color));
}

TColor FromQRgb(QRgb rgb)
{
    return RGBColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb)));
}

TColor FromQColor(const QColor& color)
{
    return FromQRgb(color.rgb());
}

}  // namespace tunecrest
