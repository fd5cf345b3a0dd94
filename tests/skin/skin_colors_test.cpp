#include "skin/skin_colors.h"

#include <gtest/gtest.h>

#include "skin/qt_color.h"
#include "skin/skin_images.h"

namespace tunecrest {
namespace {

using test::Grey;
using test::SetSkinPixel;
using test::SkinImage;

uint8_t Toward255(uint8_t c, int level)
{
    return uint8_t(std::nearbyint(c + (255 - c) * (double(level - 128) / 127.0)));
}

TEST(ShadeColor, LevelsKeepLightenAndDarken)
{
    const TcolorTriple c{10, 100, 200};
    EXPECT_EQ(ShadeColor(128, c), c);
    EXPECT_EQ(ShadeColor(255, c), (TcolorTriple{255, 255, 255}));
    EXPECT_EQ(ShadeColor(0, c), (TcolorTriple{0, 0, 0}));
    // Above 128 each channel moves (level - 128) / 127 of the way to 255.
    EXPECT_EQ(ShadeColor(200, c), (TcolorTriple{Toward255(10, 200), Toward255(100, 200), Toward255(200, 200)}));
    EXPECT_EQ(ShadeColor(200, c), (TcolorTriple{149, 188, 231}));
    // Below 128 each channel keeps level / 128 of itself.
    EXPECT_EQ(ShadeColor(64, c), (TcolorTriple{5, 50, 100}));
}

TEST(ShadeColor, HalvesRoundToTheEvenNeighbour)
{
    // At level 64 a channel is halved exactly: 1 -> 0.5, 3 -> 1.5, 5 -> 2.5, 7 -> 3.5.
    EXPECT_EQ(ShadeColor(64, TcolorTriple{1, 3, 5}), (TcolorTriple{0, 2, 2}));
    EXPECT_EQ(ShadeColor(64, TcolorTriple{7, 9, 255}), (TcolorTriple{4, 4, 128}));
    // Level 32 keeps a quarter: 2 -> 0.5, 6 -> 1.5, 10 -> 2.5.
    EXPECT_EQ(ShadeColor(32, TcolorTriple{2, 6, 10}), (TcolorTriple{0, 2, 2}));
}

TEST(LightenDarken, PercentOfTheWayRoundedHalfToEven)
{
    EXPECT_EQ(DarkenColor(RGBColor(1, 3, 5), 50), RGBColor(0, 2, 2));
    EXPECT_EQ(LightenColor(RGBColor(254, 252, 0), 50), RGBColor(254, 254, 128));
    EXPECT_EQ(DarkenColor(RGBColor(200, 100, 10), 30), RGBColor(140, 70, 7));
    EXPECT_EQ(DarkenColor(clWhite, 0), clWhite);
    EXPECT_EQ(DarkenColor(clWhite, 100), clBlack);
    EXPECT_EQ(LightenColor(clBlack, 100), clWhite);
    // Out-of-range percentages are held to 0..100 instead of wrapping the bytes.
    EXPECT_EQ(LightenColor(RGBColor(10, 10, 10), 250), clWhite);
    EXPECT_EQ(DarkenColor(RGBColor(10, 10, 10), -5), RGBColor(10, 10, 10));
}

TEST(PixelTests, ClassifyTriplesAndRects)
{
    EXPECT_TRUE(IsGreyPixel({0, 0, 0}));
    EXPECT_FALSE(IsGreyPixel({1, 0, 0}));
    EXPECT_TRUE(IsBlueOnlyPixel({200, 0, 0}));
    EXPECT_TRUE(IsGreenOnlyPixel({0, 200, 0}));
    EXPECT_TRUE(IsRedOnlyPixel({0, 0, 200}));
    EXPECT_FALSE(IsRedOnlyPixel({1, 0, 200}));
    EXPECT_TRUE(IsMarkerPixel({255, 255, 255}));
    EXPECT_FALSE(IsMarkerPixel({255, 254, 255}));
    EXPECT_TRUE(IsValidSkinRect({0, 0, 1, 1}));
    EXPECT_FALSE(IsValidSkinRect({0, 0, 0, 1}));
    EXPECT_FALSE(IsValidSkinRect({-1, 0, 3, 1}));
    EXPECT_FALSE(IsValidSkinRect({4, 0, 3, 1}));
    EXPECT_EQ(SkinRectWidth({3, 4, 10, 20}), 7);
    EXPECT_EQ(SkinRectHeight({3, 4, 10, 20}), 16);
    EXPECT_TRUE(ColorInList(TColor(0x00FF00), kMultiButtonMask));
    EXPECT_FALSE(ColorInList(TColor(0xFFFFFF), kMultiButtonMask));
    EXPECT_FALSE(ColorInList(clBlack, {}));
}

TEST(SkinColorsSet, DefaultsTriplesAndUpdateBracket)
{
    TskinColors colors;
    EXPECT_EQ(colors.Color1(), clGray);
    EXPECT_EQ(colors.Color4(), clGray);
    EXPECT_EQ(colors.Triple2(), (TcolorTriple{128, 128, 128}));
    int fired = 0;
    colors.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &colors);
        ++fired;
    };
    colors.SetColor1(TColor(0x00A86D4A));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(colors.Triple1(), (TcolorTriple{0xA8, 0x6D, 0x4A}));
    colors.SetColor1(TColor(0x00A86D4A));  // the same value notifies again
    EXPECT_EQ(fired, 2);

    fired = 0;
    colors.BeginUpdate();
    colors.BeginUpdate();
    colors.SetColor2(clRed);
    colors.SetColor3(clBlue);
    colors.EndUpdate();
    EXPECT_EQ(fired, 0);
    colors.EndUpdate();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(colors.Triple3(), (TcolorTriple{255, 0, 0}));

    fired = 0;
    colors.EndUpdate();  // without BeginUpdate: counter stays at 0, one notification
    EXPECT_EQ(colors.UpdateCount(), 0);
    EXPECT_EQ(fired, 1);

    TskinColors source;
    source.SetColor1(clLime);
    source.SetColor4(clNavy);
    fired = 0;
    colors.Assign(source);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(colors.Color1(), clLime);
    EXPECT_EQ(colors.Color2(), clGray);
    EXPECT_EQ(colors.Triple4(), ColorToTriple(clNavy));
}

TEST(RecolourSkinBitmap, ClassesOfPixels)
{
    TskinColors a, b;
    a.SetColor1(clRed);
    a.SetColor2(RGBColor(0x40, 0x20, 0x10));
    QImage image = SkinImage(5, 1);
    SetSkinPixel(image, 0, 0, Grey(128));
    SetSkinPixel(image, 1, 0, Grey(255));
    SetSkinPixel(image, 2, 0, Grey(0));
    SetSkinPixel(image, 3, 0, {200, 0, 0});
    SetSkinPixel(image, 4, 0, {10, 20, 30});
    RecolourSkinBitmap(image, 1, a, b, false, kFaceMask);
    EXPECT_EQ(SkinPixel(image, 0, 0), (TcolorTriple{0, 0, 255}));
    EXPECT_EQ(SkinPixel(image, 1, 0), (TcolorTriple{255, 255, 255}));
    EXPECT_EQ(SkinPixel(image, 2, 0), (TcolorTriple{0, 0, 0}));
    EXPECT_EQ(SkinPixel(image, 3, 0), (TcolorTriple{Toward255(0x10, 200), Toward255(0x20, 200), Toward255(0x40, 200)}));
    EXPECT_EQ(SkinPixel(image, 4, 0), (TcolorTriple{10, 20, 30}));
}

TEST(RecolourSkinBitmap, GreenAndRedOnlyTakeColor3AndColor4)
{
    TskinColors a, b;
    a.SetColor3(clBlue);
    a.SetColor4(clLime);
    QImage image = SkinImage(2, 1);
    SetSkinPixel(image, 0, 0, {0, 128, 0});
    SetSkinPixel(image, 1, 0, {0, 0, 128});
    RecolourSkinBitmap(image, 1, a, b, false, kFaceMask);
    EXPECT_EQ(SkinPixel(image, 0, 0), ColorToTriple(clBlue));
    EXPECT_EQ(SkinPixel(image, 1, 0), ColorToTriple(clLime));
}

TEST(RecolourSkinBitmap, ThreeFramesOfAHundredColumns)
{
    // Frame width 33: columns 0..65 are recoloured, the mask is read from 66..98 and
    // column 99 is left over and never touched.
    TskinColors a, b;
    a.SetColor1(clRed);
    b.SetColor1(clBlue);
    QImage image = SkinImage(100, 2, Grey(128));
    // The mask: row 0 white (face, colours A), row 1 black (surroundings, colours B),
    // except mask column 5 of row 0, which is black.
    for (int x = 66; x < 99; ++x) {
        SetSkinPixel(image, x, 0, test::kWhite);
        SetSkinPixel(image, x, 1, Grey(0));
    }
    SetSkinPixel(image, 66 + 5, 0, Grey(0));
    RecolourSkinBitmap(image, 3, a, b, false, kFaceMask);
    for (int x = 0; x < 66; ++x) {
        const bool face = x % 33 != 5;
        EXPECT_EQ(SkinPixel(image, x, 0), ColorToTriple(face ? clRed : clBlue)) << x;
        EXPECT_EQ(SkinPixel(image, x, 1), ColorToTriple(clBlue)) << x;
    }
    EXPECT_EQ(SkinPixel(image, 66, 0), test::kWhite);
    EXPECT_EQ(SkinPixel(image, 98, 1), Grey(0));
    EXPECT_EQ(SkinPixel(image, 99, 0), Grey(128));
    EXPECT_EQ(SkinPixel(image, 99, 1), Grey(128));
}

TEST(RecolourSkinBitmap, StackedFramesReadTheMaskBelow)
{
    TskinColors a, b;
    a.SetColor1(clLime);
    b.SetColor1(clFuchsia);
    QImage image = SkinImage(2, 7, Grey(128));  // frame height 2, rows 4..5 mask, row 6 left over
    SetSkinPixel(image, 0, 4, test::kWhite);
    SetSkinPixel(image, 1, 5, test::kWhite);
    RecolourSkinBitmap(image, 3, a, b, true, kFaceMask);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(SkinPixel(image, 0, y), ColorToTriple(y % 2 == 0 ? clLime : clFuchsia)) << y;
        EXPECT_EQ(SkinPixel(image, 1, y), ColorToTriple(y % 2 == 1 ? clLime : clFuchsia)) << y;
    }
    EXPECT_EQ(SkinPixel(image, 0, 6), Grey(128));
}

TEST(RecolourSkinBitmap, MaskListChoosesTheColourSet)
{
    // A multi-button template: every sub-button colour of the mask takes colours A,
    // white and black take colours B.
    TskinColors a, b;
    a.SetColor1(clRed);
    b.SetColor1(clBlue);
    const TColor maskColors[] = {0xFF00FF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000};
    QImage image = SkinImage(24, 1, Grey(128));
    for (int i = 0; i < 6; ++i) SetSkinPixel(image, 18 + i, 0, ColorToTriple(maskColors[i]));
    RecolourSkinBitmap(image, 4, a, b, false, kMultiButtonMask);
    for (int frame = 0; frame < 3; ++frame)
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(SkinPixel(image, frame * 6 + i, 0), ColorToTriple(i < 4 ? clRed : clBlue)) << frame << i;
}

TEST(RecolourSkinBitmap, FormatsAndDegenerateSizes)
{
    TskinColors a, b;
    a.SetColor1(clRed);
    // Another pixel format is switched to three bytes per pixel first.
    QImage rgb32(2, 1, QImage::Format_RGB32);
    rgb32.fill(qRgb(128, 128, 128));
    RecolourSkinBitmap(rgb32, 1, a, b, false, kFaceMask);
    EXPECT_EQ(rgb32.format(), QImage::Format_BGR888);
    EXPECT_EQ(SkinPixel(rgb32, 1, 0), ColorToTriple(clRed));

    // Narrower than its frame count, zero or negative frame counts, an empty bitmap: unchanged.
    for (int frames : {3, 0, -2}) {
        QImage narrow = SkinImage(2, 2, Grey(128));
        const QImage before = narrow;
        RecolourSkinBitmap(narrow, frames, a, b, false, kFaceMask);
        EXPECT_EQ(narrow, before) << frames;
    }
    QImage empty;
    RecolourSkinBitmap(empty, 3, a, b, false, kFaceMask);
    EXPECT_TRUE(empty.isNull());
    EXPECT_EQ(SkinPixel(empty, 0, 0), TcolorTriple{});
    EXPECT_EQ(SkinPixel(rgb32, 2, 0), TcolorTriple{});
    EXPECT_EQ(SkinPixel(rgb32, -1, 0), TcolorTriple{});
}

TEST(QtColourBoundary, ByteOrderBothWays)
{
    const TColor c = 0x00A86D4A;  // blue A8, green 6D, red 4A
    EXPECT_EQ(ToQColor(c), QColor(0x4A, 0x6D, 0xA8));
    EXPECT_EQ(ToQRgb(c), qRgb(0x4A, 0x6D, 0xA8));
    EXPECT_EQ(FromQColor(QColor(0x4A, 0x6D, 0xA8)), c);
    EXPECT_EQ(FromQRgb(qRgba(1, 2, 3, 0)), RGBColor(1, 2, 3));
    EXPECT_EQ(ToQRgb(TColor(0xFF00000F)), qRgb(0x0F, 0, 0));
    EXPECT_EQ(TripleToColor(ColorToTriple(c)), c);
}

}  // namespace
}  // namespace tunecrest
