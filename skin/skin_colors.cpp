#include "skin/skin_colors.h"

#include <algorithm>
#include <cmath>

namespace tunecrest {

const std::vector<TColor> kFaceMask = {TColor(0xFFFFFF)};
const std::vector<TColor> kMultiButtonMask = {TColor(0xFF00FF), TColor(0xFF0000), TColor(0x00FF00),
                                              TColor(0x0000FF)};

TskinColors::TskinColors()
    : Fcolor3(clGray), Fcolor1(clGray), Fcolor4(clGray), Fcolor2(clGray),
      Ftriple2(ColorToTriple(clGray)), Ftriple3(Ftriple2), Ftriple1(Ftriple2), Ftriple4(Ftriple2)
{
}

void TskinColors::SetColor1(TColor c)
{
    Fcolor1 = c;
    Ftriple1 = ColorToTriple(c);
    Change();
}

void TskinColors::SetColor2(TColor c)
{
    Fcolor2 = c;
    Ftriple2 = ColorToTriple(c);
    Change();
}

void TskinColors::SetColor3(TColor c)
{
    Fcolor3 = c;
    Ftriple3 = ColorToTriple(c);
    Change();
}

void TskinColors::SetColor4(TColor c)
{
    Fcolor4 = c;
    Ftriple4 = ColorToTriple(c);
    Change();
}

void TskinColors::EndUpdate()
{
    if (--FupdateCount < 1) {
        FupdateCount = 0;
        Change();
    }
}

void TskinColors::Assign(const TskinColors& source)
{
    BeginUpdate();
    SetColor1(source.Color1());
    SetColor2(source.Color2());
    SetColor3(source.Color3());
    SetColor4(source.Color4());
    EndUpdate();
}

void TskinColors::Change()
{
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

bool ColorInList(TColor color, const std::vector<TColor>& list)
{
    return std::find(list.begin(), list.end(), color) != list.end();
}

namespace {

uint8_t RoundToByte(double v)
{
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    return uint8_t(std::clamp(std::nearbyint(v), 0.0, 255.0));
}

uint8_t ShadeChannel(uint8_t level, uint8_t c)
{
    if (level == 128) return c;
    if (level > 128) {
        const double f = double(level - 128) / 127.0;
        return RoundToByte(c + (255 - c) * f);
    }
    const double f = double(128 - level) / 128.0;
    return RoundToByte(c - c * f);
}

// The 256 shades of each of the four colours of one set, worked out once per call so
// the pixel loop only looks them up.
struct TshadeTables {
    std::array<TcolorTriple, 256> Grey, Blue, Green, Red;
    explicit TshadeTables(const TskinColors& colors)
    {
        for (int level = 0; level < 256; ++level) {
            Grey[level] = ShadeColor(uint8_t(level), colors.Triple1());
            Blue[level] = ShadeColor(uint8_t(level), colors.Triple2());
            Green[level] = ShadeColor(uint8_t(level), colors.Triple3());
            Red[level] = ShadeColor(uint8_t(level), colors.Triple4());
        }
    }
};

inline void RecolourPixel(uint8_t* p, const TshadeTables& t)
{
    const TcolorTriple px{p[0], p[1], p[2]};
    const TcolorTriple* shade;
    if (IsGreyPixel(px))
        shade = &t.Grey[px.R];
    else if (IsBlueOnlyPixel(px))
        shade = &t.Blue[px.B];
    else if (IsGreenOnlyPixel(px))
        shade = &t.Green[px.G];
    else if (IsRedOnlyPixel(px))
        shade = &t.Red[px.R];
    else
        return;
    p[0] = shade->B;
    p[1] = shade->G;
    p[2] = shade->R;
}

// Remembers the answer for the last mask colour seen: masks are large areas of one colour.
class TmaskChooser {
public:
    explicit TmaskChooser(const std::vector<TColor>& list) : Flist(list) {}
    bool IsA(const uint8_t* m)
    {
        const TColor c = RGBColor(m[2], m[1], m[0]);
        if (c != Flast) {
            Flast = c;
            FlastIsA = ColorInList(c, Flist);
        }
        return FlastIsA;
    }

private:
    const std::vector<TColor>& Flist;
    TColor Flast = -1;
    bool FlastIsA = false;
};

}  // namespace

TcolorTriple ShadeColor(uint8_t level, TcolorTriple colour)
{
    return {ShadeChannel(level, colour.B), ShadeChannel(level, colour.G), ShadeChannel(level, colour.R)};
}

TColor LightenColor(TColor color, int percent)
{
    const double p = std::clamp(percent, 0, 100) / 100.0;
    auto up = [p](uint8_t c) { return RoundToByte(c + (255 - c) * p); };
    return RGBColor(up(GetRValue(color)), up(GetGValue(color)), up(GetBValue(color)));
}

TColor DarkenColor(TColor color, int percent)
{
    const double p = std::clamp(percent, 0, 100) / 100.0;
    auto down = [p](uint8_t c) { return RoundToByte(c - c * p); };
    return RGBColor(down(GetRValue(color)), down(GetGValue(color)), down(GetBValue(color)));
}

QImage ToSkinBitmap(const QImage& image)
{
    if (image.isNull() || image.format() == QImage::Format_BGR888) return image;
    return image.convertToFormat(QImage::Format_BGR888);
}

TcolorTriple SkinPixel(const QImage& bitmap, int x, int y)
{
    if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height()) return {};
    if (bitmap.format() == QImage::Format_BGR888) {
        const uint8_t* p = bitmap.constScanLine(y) + size_t(x) * 3;
        return {p[0], p[1], p[2]};
    }
    const QRgb c = bitmap.pixel(x, y);
    return {uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c))};
}

void RecolourSkinBitmap(QImage& bitmap, int frameCount, const TskinColors& colorsA,
                        const TskinColors& colorsB, bool vertical, const std::vector<TColor>& maskColors)
{
    try {
        if (bitmap.isNull() || frameCount < 1) return;
        const int width = bitmap.width();
        const int height = bitmap.height();
        const int frameSize = (vertical ? height : width) / frameCount;
        if (frameSize == 0) return;
        if (bitmap.format() != QImage::Format_BGR888) bitmap = bitmap.convertToFormat(QImage::Format_BGR888);

        const TshadeTables tablesA(colorsA);
        if (frameCount == 1) {
            for (int y = 0; y < height; ++y) {
                uint8_t* row = bitmap.scanLine(y);
                for (int x = 0; x < width; ++x) RecolourPixel(row + size_t(x) * 3, tablesA);
            }
            return;
        }
        const TshadeTables tablesB(colorsB);
        TmaskChooser chooser(maskColors);
        const int maskStart = (frameCount - 1) * frameSize;
        if (!vertical) {
            for (int y = 0; y < height; ++y) {
                uint8_t* row = bitmap.scanLine(y);
                const uint8_t* mask = row + size_t(maskStart) * 3;
                for (int x = 0, mx = 0; x < maskStart; ++x) {
                    RecolourPixel(row + size_t(x) * 3, chooser.IsA(mask + size_t(mx) * 3) ? tablesA : tablesB);
                    if (++mx == frameSize) mx = 0;
                }
            }
        } else {
            for (int y = 0; y < maskStart; ++y) {
                uint8_t* row = bitmap.scanLine(y);
                const uint8_t* mask = bitmap.constScanLine(maskStart + y % frameSize);
                for (int x = 0; x < width; ++x)
                    RecolourPixel(row + size_t(x) * 3, chooser.IsA(mask + size_t(x) * 3) ? tablesA : tablesB);
            }
        }
    } catch (...) {
        // A failed recolour keeps what was done so far; the control still paints.
    }
}

}  // namespace tunecrest
