#pragma once
// Small helpers for building skin bitmaps pixel by pixel in the skin tests.
#include <QImage>

#include "skin/skin_colors.h"

namespace tunecrest::test {

inline QImage SkinImage(int width, int height, TcolorTriple fill = {})
{
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.scanLine(y) + x * 3;
            p[0] = fill.B;
            p[1] = fill.G;
            p[2] = fill.R;
        }
    return image;
}

inline void SetSkinPixel(QImage& image, int x, int y, TcolorTriple c)
{
    uint8_t* p = image.scanLine(y) + x * 3;
    p[0] = c.B;
    p[1] = c.G;
    p[2] = c.R;
}

inline TcolorTriple Grey(uint8_t level) { return {level, level, level}; }
constexpr TcolorTriple kWhite{255, 255, 255};

// The colour a painted image shows at (x, y), as a TColor.
inline TColor PaintedColor(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGBColor(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

}  // namespace tunecrest::test
