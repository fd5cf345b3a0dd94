// Skinned panel, splitter and multi-button: nine-part painting, the middle rectangle,
// the four mask colours of the multi-button and its selection group.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "skin/component_owner.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "support/test_application.h"
#include "shipped_skins.h"
#include "skin_images.h"

namespace tunecrest {
namespace {

using test::Grey;
using test::kWhite;

// A 26 x 26 nine-part template: 10-pixel corners and edges, a 4 x 4 centre whose pixels
// have levels 100 + 10 * (x + 4 y) so that tiling is visible.
QImage NinePart()
{
    QImage image = test::SkinImage(26, 26, Grey(40));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) test::SetSkinPixel(image, 11 + x, 11 + y, Grey(uint8_t(100 + 10 * (x + 4 * y))));
    for (int i : {10, 15}) {
        test::SetSkinPixel(image, i, 0, kWhite);
        test::SetSkinPixel(image, 0, i, kWhite);
    }
    return image;
}

TEST(SkinPanel, MiddleRectAndTiledCentre)
{
    test::App();
    TmySkinPanel panel;
    panel.SetDefaultSkinBitmap(NinePart());
    panel.resize(200, 100);
    panel.SetupFinished();
    EXPECT_EQ(panel.GetMiddleRect(), (TskinRect{10, 10, 190, 90}));
    EXPECT_EQ(panel.SkinWidth(), 200);
    const QImage shot = panel.grab().toImage();
    // The centre repeats every 4 pixels from the middle's top-left.
    for (int x : {10, 14, 50, 186})
        EXPECT_EQ(test::PaintedColor(shot, x, 10), test::PaintedColor(shot, 10, 10)) << x;
    EXPECT_NE(test::PaintedColor(shot, 11, 10), test::PaintedColor(shot, 10, 10));
    EXPECT_EQ(test::PaintedColor(shot, 11, 14), test::PaintedColor(shot, 11, 10));
    // Painting someone else's canvas with the same skin gives the same picture.
    QImage other(200, 100, QImage::Format_RGB32);
    QPainter p(&other);
    panel.DrawSkinPart(p, 0, 0, 200, 100);
    p.end();
    EXPECT_EQ(other.pixel(50, 50), shot.pixel(50, 50));

    TmySkinPanel empty;
    empty.resize(30, 20);
    empty.SetupFinished();
    EXPECT_EQ(empty.SkinWidth(), 30);
    EXPECT_EQ(test::PaintedColor(empty.grab().toImage(), 5, 5), clWhite);
}

TEST(SkinPanel, ApplySkinToControlsReachesEveryKind)
{
    test::App();
    QWidget form;
    auto* panel = CreateComponent<TmySkinPanel>(&form, &form);
    auto* button = CreateComponent<TmySkinButton>(&form, panel);
    auto* bar = CreateComponent<TmySkinScrollBar>(&form, panel);
    auto* multi = CreateComponent<TmySkinMultiButton>(&form, panel);
    for (TskinnedControl* c : std::initializer_list<TskinnedControl*>{panel, button, bar, multi}) c->SetupFinished();
    const int builds = button->BuildCount();
    ApplySkinToControls(form, clRed, clBlue, clYellow, clWhite);
    EXPECT_EQ(panel->SkinColors().Color1(), clBlue);
    EXPECT_EQ(panel->SkinColors().Color2(), clRed);
    EXPECT_EQ(button->ButtonSkinColors().Color1(), clRed);
    EXPECT_EQ(button->OuterSkinColors().Color1(), clBlue);
    EXPECT_EQ(button->CheckedFontColor(), clYellow);
    EXPECT_EQ(button->FontColor(), clWhite);
    EXPECT_EQ(button->HighlightFontColor(), clWhite);  // a tapped (focused) caption stays readable
    EXPECT_EQ(button->BuildCount(), builds + 1);  // one rebuild for all of it
    EXPECT_EQ(bar->ButtonSkinColors().Color1(), clRed);
    EXPECT_EQ(multi->OuterSkinColors().Color1(), clBlue);
}

// A 4-frame multi-button skin, frames 20 x 20: normal grey 60, pressed grey 100,
// selected grey 140; the mask's quarters in the four sub-button colours with a black
// cross between them.
QImage MultiSkin()
{
    QImage image = test::SkinImage(80, 20, Grey(0));
    for (int f = 0; f < 3; ++f)
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) test::SetSkinPixel(image, f * 20 + x, y, Grey(uint8_t(60 + 40 * f)));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            if (x == 10 || y == 10) continue;
            const int quarter = (y > 10 ? 2 : 0) + (x > 10 ? 1 : 0);
            test::SetSkinPixel(image, 60 + x, y, ColorToTriple(kMultiButtonMask[size_t(quarter)]));
        }
    return image;
}

TEST(SkinMultiButton, FourMaskColoursPressAndClickTheirSubButton)
{
    test::App();
    TmySkinMultiButton multi;
    multi.SetDefaultSkinBitmap(MultiSkin());
    multi.resize(20, 20);
    multi.SetupFinished();
    EXPECT_EQ(multi.SkinWidth(), 20);
    int clicks = 0, downs = 0;
    multi.OnClick = [&](TObject*) { ++clicks; };
    multi.OnMouseDown = [&](TObject*, QMouseEvent*) { ++downs; };
    const QPoint quarters[4] = {{3, 3}, {15, 3}, {3, 15}, {15, 15}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(multi.SubButtonAt(quarters[i]), i);
        QTest::mouseClick(&multi, Qt::LeftButton, {}, quarters[i]);
        EXPECT_EQ(multi.LastClicked(), i);
    }
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(downs, 4);
    // The black cross belongs to no sub-button: no event.
    QTest::mouseClick(&multi, Qt::LeftButton, {}, {10, 3});
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(downs, 4);
    // Pressed on one, released on another: no click.
    QTest::mousePress(&multi, Qt::LeftButton, {}, quarters[0]);
    EXPECT_EQ(multi.Pressed(), 0);
    QTest::mouseRelease(&multi, Qt::LeftButton, {}, quarters[3]);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(multi.Pressed(), -1);
}

TEST(SkinMultiButton, PressedAndSelectedFramesOnlyOverTheirArea)
{
    test::App();
    TmySkinMultiButton multi;
    multi.SetDefaultSkinBitmap(MultiSkin());
    multi.resize(20, 20);
    multi.SetupFinished();
    multi.SelectButton(2);
    EXPECT_EQ(multi.State(), MultiButtonBit(mbButton3));
    multi.SelectButton(7);  // out of range: unchanged
    EXPECT_EQ(multi.State(), MultiButtonBit(mbButton3));
    QTest::mousePress(&multi, Qt::LeftButton, {}, {15, 3});
    const QImage shot = multi.grab().toImage();
    const QImage& w = multi.WorkingBitmap();
    const TColor normal = TripleToColor(SkinPixel(w, 3, 3));
    const TColor pressed = TripleToColor(SkinPixel(w, 20 + 15, 3));
    const TColor selected = TripleToColor(SkinPixel(w, 40 + 3, 15));
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(test::PaintedColor(shot, 3, 3), normal);      // sub-button 1: nothing
    EXPECT_EQ(test::PaintedColor(shot, 15, 3), pressed);    // sub-button 2: pressed
    EXPECT_EQ(test::PaintedColor(shot, 3, 15), selected);   // sub-button 3: selected
    EXPECT_EQ(test::PaintedColor(shot, 10, 10), TripleToColor(SkinPixel(w, 10, 10)));  // cross: frame 0
    QTest::mouseRelease(&multi, Qt::LeftButton, {}, {15, 3});

    TmySkinMultiButton empty;
    empty.resize(20, 20);
    empty.SetupFinished();
    EXPECT_EQ(empty.SubButtonAt({5, 5}), -1);
    EXPECT_EQ(test::PaintedColor(empty.grab().toImage(), 5, 5), clWhite);
}

TEST(SkinMultiButton, ShippedSkinsHaveFourReachableSubButtons)
{
    test::App();
    for (const char* skin : test::kShippedSkins) {
        TmySkinMultiButton multi;
        multi.SetDefaultSkinBitmap(test::ShippedSkinImage(skin, "MultiButton"));
        multi.SetupFinished();
        const int w = multi.SkinWidth(), h = multi.SkinHeight();
        ASSERT_GT(w, 0) << skin;
        EXPECT_EQ(multi.SubButtonAt({w / 4, h / 4}), 0) << skin;
        EXPECT_EQ(multi.SubButtonAt({3 * w / 4, h / 4}), 1) << skin;
        EXPECT_EQ(multi.SubButtonAt({w / 4, 3 * h / 4}), 2) << skin;
        EXPECT_EQ(multi.SubButtonAt({3 * w / 4, 3 * h / 4}), 3) << skin;
    }
}

TEST(SkinSplitter, DragResizesTheControlBeforeIt)
{
    test::App();
    QWidget left;
    left.resize(100, 50);
    TmySkinSplitter splitter;
    splitter.SetDefaultSkinBitmap(NinePart());
    splitter.resize(12, 50);
    splitter.SetupFinished();
    splitter.SetControl(&left, Qt::Horizontal);
    splitter.SetMinSize(40);
    int moved = 0;
    splitter.OnMoved = [&](TObject*) { ++moved; };
    QTest::mousePress(&splitter, Qt::LeftButton, {}, {5, 5});
    QTest::mouseMove(&splitter, {35, 5});
    EXPECT_EQ(left.width(), 130);
    QTest::mouseMove(&splitter, {-200, 5});
    EXPECT_EQ(left.width(), 40);
    QTest::mouseRelease(&splitter, Qt::LeftButton, {}, {-200, 5});
    EXPECT_EQ(moved, 1);
}

}  // namespace
}  // namespace tunecrest
