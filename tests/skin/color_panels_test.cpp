// Colour panels and the colour combo: exact bevel shades, the bilinear resampler (also
// on one-pixel sources), picture placement, and the combo's list, names, text forms,
// custom colours and dialog entry.
#include <gtest/gtest.h>

#include "skin/color_panels.h"
#include "support/test_application.h"
#include "skin_images.h"

namespace tunecrest {
namespace {

TEST(ColorShades, LighterAndDarkerByExactRules)
{
    const TColor c = RGBColor(100, 0, 255);
    EXPECT_EQ(LighterBy(c, 128), RGBColor(178, 128, 255));
    EXPECT_EQ(DarkerBy(c, 96), RGBColor(63, 0, 160));
    EXPECT_EQ(LighterBy(c, 64), RGBColor(139, 64, 255));
    EXPECT_EQ(DarkerBy(c, 64), RGBColor(75, 0, 192));
    EXPECT_EQ(LighterBy(c, 96), RGBColor(158, 96, 255));
    EXPECT_EQ(LighterBy(clWhite, 255), clWhite);
    EXPECT_EQ(DarkerBy(clBlack, 255), clBlack);
}

TEST(ColorPanel, BevelsShadedFromTheirOwnColour)
{
    test::App();
    const TColor c = RGBColor(100, 150, 200);
    TcustomColorPanel panel;
    panel.resize(60, 40);
    panel.SetColor(c);
    panel.SetBevelWidth(2);
    panel.SetBevelOuter(bvRaised);
    panel.SetBorderWidth(3);
    panel.SetBevelInner(bvLowered);
    EXPECT_EQ(panel.TotalBorder(), 7);
    const QImage shot = panel.grab().toImage();
    // Outer, raised: light top and left, dark right and bottom, two pixels each.
    for (int i : {0, 1}) {
        EXPECT_EQ(test::PaintedColor(shot, 30, i), LighterBy(c, 128));
        EXPECT_EQ(test::PaintedColor(shot, i, 20), LighterBy(c, 96));
        EXPECT_EQ(test::PaintedColor(shot, 59 - i, 20), DarkerBy(c, 64));
        EXPECT_EQ(test::PaintedColor(shot, 30, 39 - i), DarkerBy(c, 96));
    }
    // The border between the bevels keeps the colour itself.
    EXPECT_EQ(test::PaintedColor(shot, 30, 3), c);
    // Inner, lowered, 5 pixels in: dark top and left, light right and bottom.
    EXPECT_EQ(test::PaintedColor(shot, 30, 5), DarkerBy(c, 96));
    EXPECT_EQ(test::PaintedColor(shot, 5, 20), DarkerBy(c, 64));
    EXPECT_EQ(test::PaintedColor(shot, 54, 20), LighterBy(c, 64));
    EXPECT_EQ(test::PaintedColor(shot, 30, 34), LighterBy(c, 128));
    EXPECT_EQ(test::PaintedColor(shot, 30, 20), c);
    // None and space draw nothing.
    panel.SetBevelOuter(bvSpace);
    panel.SetBevelInner(bvNone);
    EXPECT_EQ(test::PaintedColor(panel.grab().toImage(), 30, 0), c);
}

TEST(ResampleBilinear, FixedPointWeights)
{
    QImage src = test::SkinImage(2, 2);
    test::SetSkinPixel(src, 0, 0, test::Grey(0));
    test::SetSkinPixel(src, 1, 0, test::Grey(90));
    test::SetSkinPixel(src, 0, 1, test::Grey(180));
    test::SetSkinPixel(src, 1, 1, test::Grey(255));
    QImage dst = test::SkinImage(3, 3);
    ResampleBilinear(src, dst);
    EXPECT_EQ(SkinPixel(dst, 0, 0), test::Grey(0));
    EXPECT_EQ(SkinPixel(dst, 1, 1), test::Grey(88));
    EXPECT_EQ(SkinPixel(dst, 2, 1), test::Grey(116));
}

TEST(ResampleBilinear, OnePixelSourcesNeverReadPastTheirEdge)
{
    // One pixel, one column and one row: every target pixel is the source's own colour
    // (the neighbour past the edge is the edge itself).
    for (QSize size : {QSize(1, 1), QSize(1, 5), QSize(5, 1)}) {
        QImage src = test::SkinImage(size.width(), size.height(), {10, 20, 30});
        QImage dst = test::SkinImage(7, 4);
        ResampleBilinear(src, dst);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(SkinPixel(dst, x, y), (TcolorTriple{10, 20, 30})) << x << "," << y;
    }
    // Empty or wrong-format bitmaps: nothing happens.
    QImage dst = test::SkinImage(2, 2, {1, 2, 3});
    ResampleBilinear(QImage(), dst);
    QImage argb(2, 2, QImage::Format_ARGB32);
    ResampleBilinear(argb, dst);
    EXPECT_EQ(SkinPixel(dst, 1, 1), (TcolorTriple{1, 2, 3}));
}

TEST(ImageColorPanel, ScaledPictureFitsTheBoxAndIsPlacedByAlignment)
{
    test::App();
    TimageColorPanel panel;
    panel.resize(120, 80);
    panel.SetBevelOuter(bvNone);
    panel.SetBorderWidth(10);
    int changed = 0;
    panel.OnImageChanged = [&](TObject*) { ++changed; };
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(qRgb(0, 200, 0));
    panel.SetImage(picture);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(panel.DrawnSize(), QSize(100, 60));  // normal and stretch: the area
    panel.SetImageDrawStyle(idsScale);
    EXPECT_EQ(panel.DrawnSize(), QSize(100, 50));
    panel.SetScaleImageWidth(30);
    panel.SetScaleImageHeight(30);
    EXPECT_EQ(panel.DrawnSize(), QSize(30, 15));
    panel.SetImageHorizontalAlignment(taRightJustify);
    panel.SetImageVerticalAlignment(tvaBottom);
    EXPECT_EQ(panel.ImageRect(), QRect(80, 55, 30, 15));
    panel.SetImageHorizontalAlignment(taLeftJustify);
    panel.SetImageVerticalAlignment(tvaTop);
    EXPECT_EQ(panel.ImageRect(), QRect(10, 10, 30, 15));
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 20, 15), RGBColor(0, 200, 0));
    EXPECT_EQ(panel.Cache().size(), QSize(30, 15));
    EXPECT_EQ(test::PaintedColor(shot, 60, 60), panel.Color());
}

TEST(ColorCombo, StandardSystemCustomAndDialogEntries)
{
    test::App();
    TmyJvColorComboBox combo;
    EXPECT_EQ(combo.count(), 20);
    EXPECT_EQ(combo.ColorAt(0), clBlack);
    EXPECT_EQ(combo.ColorAt(16), TColor(0xC0DCC0));
    EXPECT_EQ(combo.ColorAt(19), TColor(0xA4A0A0));
    EXPECT_EQ(combo.ColorWidth(), 21);
    combo.SetOptions(coText | coSysColors | coCustomColors);
    EXPECT_EQ(combo.count(), 46);
    EXPECT_EQ(combo.ColorAt(20), TColor(0xFF000000u));
    EXPECT_TRUE(combo.IsDialogEntry(45));
    EXPECT_EQ(combo.itemText(45).toStdString(), "Custom...");
    // Names: the map when it knows the identifier, else the identifier without "cl".
    combo.SetColorNameMap({"clBlack=Black", "clMoneyGreen=Money Green"});
    combo.BuildList();
    EXPECT_EQ(combo.itemText(0).toStdString(), "Black");
    EXPECT_EQ(combo.itemText(16).toStdString(), "Money Green");
    EXPECT_EQ(combo.itemText(1).toStdString(), "Maroon");
    EXPECT_EQ(combo.itemText(35).toStdString(), "BtnFace");
    // A new value becomes a numbered custom colour before the dialog entry.
    combo.SetColorValue(RGBColor(1, 2, 3));
    EXPECT_EQ(combo.count(), 47);
    EXPECT_EQ(combo.currentIndex(), 45);
    EXPECT_EQ(combo.itemText(45).toStdString(), "Custom 1");
    EXPECT_TRUE(combo.IsDialogEntry(46));
    EXPECT_EQ(combo.CustomCount(), 1);
    combo.SetColorValue(clRed);  // listed: only selected
    EXPECT_EQ(combo.count(), 47);
    EXPECT_EQ(combo.ColorAt(combo.currentIndex()), clRed);
    // A rebuild keeps the custom colours.
    combo.BuildList();
    EXPECT_EQ(combo.count(), 47);
    combo.SetColorDialogText("Choose a Color...");
    EXPECT_EQ(combo.itemText(46).toStdString(), "Choose a Color...");
    // OnNewColor decides.
    combo.OnNewColor = [](TObject*, TColor, std::string&, bool& allow) { allow = false; };
    EXPECT_FALSE(combo.AddColor(RGBColor(9, 9, 9), ""));
    EXPECT_GE(combo.RowHeight(), 9);
}

TEST(ColorCombo, TextForms)
{
    test::App();
    TmyJvColorComboBox combo;
    const int red = combo.IndexOfColor(clRed);
    ASSERT_GE(red, 0);
    combo.SetOptions(coHex);
    EXPECT_EQ(combo.RowText(combo.IndexOfColor(clRed)), "0x0000ff");
    combo.SetOptions(coRGB);
    EXPECT_EQ(combo.RowText(combo.IndexOfColor(clRed)), "(255,0,0)");
    combo.SetOptions(coHTML);
    EXPECT_EQ(combo.RowText(combo.IndexOfColor(TColor(0xF0CAA6))), "#A6CAF0");
    combo.SetOptions(coText);
    EXPECT_EQ(combo.RowText(combo.IndexOfColor(clRed)), "Red");
    combo.SetOptions(coCustomColors);  // no text option: swatch only
    EXPECT_EQ(combo.RowText(combo.IndexOfColor(clRed)), "");
    combo.OnGetDisplayName = [](TObject*, int index, TColor, std::string& name) { name = "#" + std::to_string(index); };
    combo.BuildList();
    EXPECT_EQ(combo.itemText(3).toStdString(), "#3");
}

TEST(ColorCombo, DialogEntryAddsTheChosenColourWithoutBlocking)
{
    test::App();
    TmyJvColorComboBox combo;
    combo.SetOptions(coText | coCustomColors);
    combo.SetColorValue(clBlue);
    int asked = 0, clicks = 0;
    TColor offered = 0;
    std::optional<TColor> answer = RGBColor(10, 20, 30);
    TcolorDialogCall previous = SetColorDialogCall([&](QWidget*, TColor initial) {
        ++asked;
        offered = initial;
        combo.ChooseEntry(combo.count() - 1);  // re-entry while open is ignored
        return answer;
    });
    combo.OnClick = [&](TObject*) { ++clicks; };
    combo.ChooseEntry(combo.count() - 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(offered, clBlue);
    EXPECT_EQ(combo.ColorValue(), RGBColor(10, 20, 30));
    EXPECT_EQ(combo.ColorAt(combo.currentIndex()), RGBColor(10, 20, 30));
    EXPECT_TRUE(combo.IsDialogEntry(combo.count() - 1));
    EXPECT_EQ(clicks, 1);
    // Cancelled: the colour and the selection stay.
    answer.reset();
    combo.ChooseEntry(combo.count() - 1);
    EXPECT_EQ(combo.ColorValue(), RGBColor(10, 20, 30));
    EXPECT_EQ(combo.ColorAt(combo.currentIndex()), RGBColor(10, 20, 30));
    // Choosing a colour entry sets the value.
    combo.ChooseEntry(combo.IndexOfColor(clLime));
    EXPECT_EQ(combo.ColorValue(), clLime);
    SetColorDialogCall(previous);
}

}  // namespace
}  // namespace tunecrest
