#include "skin/skin_parts.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>

#include "skin/bitmap_container.h"
#include "skin/skin_images.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using test::Grey;
using test::PaintedColor;
using test::SetSkinPixel;
using test::SkinImage;

// Grey levels pass through the default colours ($808080) unchanged, so a grey template
// shows after recolouring exactly as it was drawn.
TskinRects Cut(const QImage& src, QImage& dest, int frames = 1)
{
    TskinColors a, b;
    TskinRects rects;
    ComputeSkinRects(src, dest, rects, a, frames, b);
    return rects;
}

QImage Paint(const QImage& src, const TskinRects& rects, int w, int h, bool stretch, QRgb background = qRgb(1, 2, 3))
{
    QImage target(w, h, QImage::Format_RGB32);
    target.fill(background);
    QPainter painter(&target);
    DrawSkinParts(w, h, 0, 0, painter, PaintableSkin(src), rects, stretch);
    painter.end();
    return target;
}

// A 30 x 30 template with markers at (10, 0), (19, 0), (0, 10), (0, 19); each of the nine
// parts filled with its own grey: part n has level 20 + 20 n.
QImage ThirtyByThirty()
{
    QImage image = SkinImage(30, 30, Grey(0));
    const int xs[] = {0, 11, 20}, xe[] = {10, 19, 30};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            for (int y = xs[row]; y < xe[row]; ++y)
                for (int x = xs[col]; x < xe[col]; ++x) SetSkinPixel(image, x, y, Grey(uint8_t(20 + 20 * (row * 3 + col))));
    for (int x = 0; x < 30; ++x) SetSkinPixel(image, x, 0, Grey(20 + 20 * (x < 10 ? 0 : x < 20 ? 1 : 2)));
    SetSkinPixel(image, 10, 0, test::kWhite);
    SetSkinPixel(image, 19, 0, test::kWhite);
    SetSkinPixel(image, 0, 10, test::kWhite);
    SetSkinPixel(image, 0, 19, test::kWhite);
    return image;
}

TEST(ComputeSkinRects, ThirtyByThirtyMarkers)
{
    QImage dest;
    const TskinRects r = Cut(ThirtyByThirty(), dest);
    EXPECT_EQ(r[0], (TskinRect{0, 0, 10, 10}));
    EXPECT_EQ(r[1], (TskinRect{11, 0, 19, 10}));
    EXPECT_EQ(r[2], (TskinRect{20, 0, 30, 10}));
    EXPECT_EQ(r[3], (TskinRect{0, 11, 10, 19}));
    EXPECT_EQ(r[4], (TskinRect{11, 11, 19, 19}));
    EXPECT_EQ(r[5], (TskinRect{20, 11, 30, 19}));
    EXPECT_EQ(r[6], (TskinRect{0, 20, 10, 30}));
    EXPECT_EQ(r[7], (TskinRect{11, 20, 19, 30}));
    EXPECT_EQ(r[8], (TskinRect{20, 20, 30, 30}));
    // Edges are 8 wide and high: the marker column and row belong to no part.
    EXPECT_EQ(SkinRectWidth(r[1]), 8);
    EXPECT_EQ(SkinRectHeight(r[3]), 8);
    EXPECT_EQ(dest.format(), QImage::Format_BGR888);
    EXPECT_EQ(dest.size(), QSize(30, 30));
}

TEST(ComputeSkinRects, PaintedPartsLandInTheirPlaces)
{
    QImage dest;
    const TskinRects r = Cut(ThirtyByThirty(), dest);
    for (bool stretch : {false, true}) {
        const QImage out = Paint(dest, r, 50, 40, stretch);
        EXPECT_EQ(PaintedColor(out, 2, 2), RGBColor(20, 20, 20)) << stretch;      // top-left corner
        EXPECT_EQ(PaintedColor(out, 45, 2), RGBColor(60, 60, 60)) << stretch;     // top-right corner
        EXPECT_EQ(PaintedColor(out, 25, 3), RGBColor(40, 40, 40)) << stretch;     // top edge
        EXPECT_EQ(PaintedColor(out, 3, 20), RGBColor(80, 80, 80)) << stretch;     // left edge
        EXPECT_EQ(PaintedColor(out, 25, 20), RGBColor(100, 100, 100)) << stretch; // centre
        EXPECT_EQ(PaintedColor(out, 45, 20), RGBColor(120, 120, 120)) << stretch; // right edge
        EXPECT_EQ(PaintedColor(out, 2, 37), RGBColor(140, 140, 140)) << stretch;  // bottom-left
        EXPECT_EQ(PaintedColor(out, 25, 37), RGBColor(160, 160, 160)) << stretch; // bottom edge
        EXPECT_EQ(PaintedColor(out, 49, 39), RGBColor(180, 180, 180)) << stretch; // bottom-right
    }
}

TEST(ComputeSkinRects, TemplateWithoutMarkersIsAllCentre)
{
    // A 4 x 3 template whose top-left pixel differs: painted tiled, the whole control
    // repeats the template; no top-left corner is laid over the centre.
    QImage src = SkinImage(4, 3, Grey(90));
    SetSkinPixel(src, 0, 0, Grey(30));
    QImage dest;
    const TskinRects r = Cut(src, dest);
    EXPECT_EQ(r[4], (TskinRect{0, 0, 4, 3}));
    for (int n : {0, 1, 2, 3, 5, 6, 7, 8}) EXPECT_FALSE(IsValidSkinRect(r[n])) << n;

    const QImage tiled = Paint(dest, r, 10, 7, false);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PaintedColor(tiled, x, y), (x % 4 == 0 && y % 3 == 0) ? RGBColor(30, 30, 30) : RGBColor(90, 90, 90))
                << x << "," << y;

    // Stretched: the one template fills the control, its odd pixel grown to the top-left.
    const QImage stretched = Paint(dest, r, 40, 30, true);
    EXPECT_EQ(PaintedColor(stretched, 0, 0), RGBColor(30, 30, 30));
    EXPECT_EQ(PaintedColor(stretched, 9, 9), RGBColor(30, 30, 30));
    EXPECT_EQ(PaintedColor(stretched, 10, 10), RGBColor(90, 90, 90));
    EXPECT_EQ(PaintedColor(stretched, 39, 29), RGBColor(90, 90, 90));
}

TEST(ComputeSkinRects, OneMarkerLeavesTheRightColumnEmpty)
{
    QImage src = SkinImage(12, 6, Grey(70));
    SetSkinPixel(src, 5, 0, test::kWhite);
    QImage dest;
    const TskinRects r = Cut(src, dest);
    EXPECT_EQ(r[0], (TskinRect{0, 0, 5, 6}));
    EXPECT_EQ(r[1], (TskinRect{6, 0, 12, 6}));
    for (int n : {2, 5, 8, 3, 4, 6, 7}) EXPECT_FALSE(IsValidSkinRect(r[n])) << n;
    const QImage out = Paint(dest, r, 20, 6, false);
    EXPECT_EQ(PaintedColor(out, 19, 3), RGBColor(70, 70, 70));  // the top edge tiles to the end
}

TEST(ComputeSkinRects, FirstTwoPixelsMarkersMeanNoColumns)
{
    QImage src = SkinImage(8, 8, Grey(70));
    SetSkinPixel(src, 0, 0, test::kWhite);
    SetSkinPixel(src, 1, 0, test::kWhite);
    QImage dest;
    const TskinRects r = Cut(src, dest);
    // Row scan: both markers become the frame width. Column scan: pixel (0, 0) is the
    // only marker there, so Y1 = 0 and Y2 = 8.
    EXPECT_EQ(r[0], (TskinRect{0, 0, 8, 0}));
    EXPECT_EQ(r[3], (TskinRect{0, 1, 8, 8}));
    EXPECT_FALSE(IsValidSkinRect(r[4]));
}

TEST(ComputeSkinRects, MarkersComeFromTheFirstFrameAndTheMaskRecolours)
{
    // Three frames 10 wide; markers at x 3 and 6 and y 2 and 5 of the first frame; the
    // mask frame white except its left half.
    QImage src = SkinImage(30, 8, Grey(128));
    for (int x = 20; x < 30; ++x)
        for (int y = 0; y < 8; ++y) SetSkinPixel(src, x, y, x < 25 ? Grey(0) : test::kWhite);
    SetSkinPixel(src, 3, 0, test::kWhite);
    SetSkinPixel(src, 6, 0, test::kWhite);
    SetSkinPixel(src, 0, 2, test::kWhite);
    SetSkinPixel(src, 0, 5, test::kWhite);
    TskinColors face, outer;
    face.SetColor1(clRed);
    outer.SetColor1(clBlue);
    QImage dest;
    TskinRects r;
    ComputeSkinRects(src, dest, r, face, 3, outer);
    EXPECT_EQ(r[4], (TskinRect{4, 3, 6, 5}));
    EXPECT_EQ(r[8], (TskinRect{7, 6, 10, 8}));
    EXPECT_EQ(SkinPixel(dest, 2, 4), ColorToTriple(clBlue));
    EXPECT_EQ(SkinPixel(dest, 7, 4), ColorToTriple(clRed));
    EXPECT_EQ(SkinPixel(dest, 17, 4), ColorToTriple(clRed));
    // The markers themselves are white (level 255), which stays white.
    EXPECT_EQ(SkinPixel(dest, 3, 0), test::kWhite);
    // The source is left as it was.
    EXPECT_EQ(SkinPixel(src, 2, 4), Grey(128));
}

TEST(DrawSkinParts, TilingASevenPixelCentreIntoTwenty)
{
    // Left part 2 wide (marker at 2), centre 7 wide (3..9, marker at 10), right part 2
    // wide; rows the same way with a centre 3 high. The centre columns carry levels
    // 100..106 so the tile positions can be read back.
    QImage src = SkinImage(13, 9, Grey(50));
    for (int x = 3; x < 10; ++x)
        for (int y = 3; y < 6; ++y) SetSkinPixel(src, x, y, Grey(uint8_t(100 + x - 3)));
    SetSkinPixel(src, 2, 0, test::kWhite);
    SetSkinPixel(src, 10, 0, test::kWhite);
    SetSkinPixel(src, 0, 2, test::kWhite);
    SetSkinPixel(src, 0, 6, test::kWhite);
    QImage dest;
    const TskinRects r = Cut(src, dest);
    EXPECT_EQ(r[4], (TskinRect{3, 3, 10, 6}));
    const QImage out = Paint(dest, r, 20, 12, false);
    // Copies at 0, 7 and 14: x = 14..17 show centre columns 0..3 and the right edge
    // (2 wide) covers 18 and 19. Rows: the centre is tiled from y = 0 too.
    const int y = 4;
    for (int x = 2; x < 18; ++x) EXPECT_EQ(PaintedColor(out, x, y), RGBColor(uint8_t(100 + x % 7), uint8_t(100 + x % 7), uint8_t(100 + x % 7))) << x;
    EXPECT_EQ(PaintedColor(out, 18, y), RGBColor(50, 50, 50));
    EXPECT_EQ(PaintedColor(out, 1, y), RGBColor(50, 50, 50));
}

TEST(DrawSkinParts, BadBitmapsDrawNothingAndRaiseNothing)
{
    const QRgb background = qRgb(1, 2, 3);
    // Narrower than its frame count: frame width 0.
    QImage dest;
    TskinRects r = Cut(SkinImage(2, 5, Grey(90)), dest, 3);
    for (const auto& rect : r) EXPECT_FALSE(IsValidSkinRect(rect));
    QImage out = Paint(dest, r, 10, 10, false, background);
    EXPECT_EQ(out.pixel(5, 5), background);

    // An empty template: empty working bitmap, nine empty rectangles.
    r = Cut(QImage(), dest);
    EXPECT_TRUE(dest.isNull());
    for (const auto& rect : r) EXPECT_EQ(rect, TskinRect{});
    out = Paint(dest, r, 10, 10, true, background);
    EXPECT_EQ(out.pixel(0, 0), background);

    // Zero or negative frame counts.
    r = Cut(SkinImage(6, 6, Grey(90)), dest, 0);
    for (const auto& rect : r) EXPECT_FALSE(IsValidSkinRect(rect));

    // Rectangles that reach outside the bitmap are cut to it.
    TskinRects outside{};
    outside[4] = {2, 2, 50, 50};
    out = Paint(SkinImage(4, 4, Grey(90)), outside, 8, 8, false, background);
    EXPECT_EQ(PaintedColor(out, 0, 0), RGBColor(90, 90, 90));
    EXPECT_EQ(PaintedColor(out, 7, 7), RGBColor(90, 90, 90));
    out = Paint(SkinImage(4, 4, Grey(90)), outside, 8, 8, true, background);
    EXPECT_EQ(PaintedColor(out, 7, 7), RGBColor(90, 90, 90));
}

TEST(SkinPartSizes, MiddleColumnFollowsTheControl)
{
    // A vertical scroll-bar skin: no middle column (one marker in row 0 at the far end is
    // absent), three marker rows. Its natural width is its top-left part's width.
    TskinRects bar{};
    bar[0] = {0, 0, 17, 20};
    bar[3] = {0, 21, 17, 40};
    bar[6] = {0, 41, 17, 60};
    EXPECT_EQ(SkinPartWidth(300, bar), 17);
    EXPECT_EQ(SkinPartHeight(300, bar), 300);

    TskinRects panel{};
    panel[1] = {3, 0, 5, 3};
    EXPECT_EQ(SkinPartWidth(123, panel), 123);
    EXPECT_EQ(SkinPartHeight(77, panel), 3);

    TskinRects none{};
    EXPECT_EQ(SkinPartWidth(50, none), 0);
    EXPECT_EQ(SkinPartHeight(50, none), 0);

    TskinRects rightOnly{};
    rightOnly[5] = {10, 0, 14, 8};
    rightOnly[8] = {10, 9, 15, 12};
    EXPECT_EQ(SkinPartWidth(50, rightOnly), 4);
    EXPECT_EQ(SkinPartHeight(50, rightOnly), 50);

    test::App();
    QWidget control;
    control.resize(64, 48);
    EXPECT_EQ(SkinPartWidth(control, panel), 64);
    EXPECT_EQ(SkinPartHeight(control, bar), 48);
}

TEST(BitmapStore, ItemsNamesAndCopies)
{
    TbitmapContainer container;
    TbitmapCollection& items = container.Items();
    EXPECT_EQ(items.Owner(), &container);
    QImage picture = SkinImage(3, 2, Grey(10));
    TbitmapItem* key = items.Add();
    key->SetNiceName("KeyboardKey");
    key->SetBitmap(picture);
    TbitmapItem* back = items.Add();
    back->SetNiceName("Backspace");
    SetSkinPixel(picture, 0, 0, Grey(200));  // the item keeps its own copy
    EXPECT_EQ(SkinPixel(key->Bitmap(), 0, 0), Grey(10));
    EXPECT_EQ(items.FindByName("keyboardkey"), key);
    EXPECT_EQ(items.FindByName("Missing"), nullptr);
    EXPECT_TRUE(items.BitmapByName("Missing").isNull());
    EXPECT_EQ(items.BitmapByName("KEYBOARDKEY").size(), QSize(3, 2));
    EXPECT_EQ(items.Items(1), back);
    EXPECT_EQ(items.Items(2), nullptr);
    EXPECT_EQ(items.Items(-1), nullptr);

    TbitmapContainer copy;
    copy.SetItems(items);
    ASSERT_EQ(copy.Items().Count(), 2);
    EXPECT_NE(copy.Items().Items(0), key);
    EXPECT_EQ(copy.Items().Items(0)->NiceName(), "KeyboardKey");
    EXPECT_EQ(copy.Items().Items(0)->Collection(), static_cast<TnamedCollection<TbitmapItem>*>(&copy.Items()));
    items.Delete(0);
    EXPECT_EQ(items.Count(), 1);
    EXPECT_EQ(copy.Items().Count(), 2);
    items.Delete(5);
    EXPECT_EQ(items.Count(), 1);
}

}  // namespace
}  // namespace tunecrest
