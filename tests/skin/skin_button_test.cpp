// The skinned button: mask hit testing (plain, stretched, shipped skins), frames of
// check buttons, held repeat on manual timers, keys and the update bracket.
#include <gtest/gtest.h>

#include <QTest>

#include "skin/skin_button.h"
#include "support/manual_timers.h"
#include "support/test_application.h"
#include "shipped_skins.h"
#include "skin_images.h"

namespace tunecrest {
namespace {

using test::Grey;
using test::kWhite;

// A 90 x 30 three-frame skin: frame 0 grey 60, frame 1 grey 90, mask white only in its
// left 16 columns (mask columns 60 to 75).
QImage HalfMaskSkin(int frames = 3)
{
    QImage image = test::SkinImage(30 * frames, 30, Grey(0));
    for (int f = 0; f + 1 < frames; ++f)
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) test::SetSkinPixel(image, f * 30 + x, y, Grey(uint8_t(60 + 30 * f)));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 16; ++x) test::SetSkinPixel(image, (frames - 1) * 30 + x, y, kWhite);
    return image;
}

struct TbuttonFixture : ::testing::Test {
    void SetUp() override { test::App(); }
    // A shown button of `size` on skin `skin`, set up, counting clicks.
    std::unique_ptr<TmySkinButton> Make(const QImage& skin, QSize size, bool check = false)
    {
        auto b = std::make_unique<TmySkinButton>();
        b->SetIsCheckButton(check);
        b->SetDefaultSkinBitmap(skin);
        b->resize(size);
        b->OnClick = [this](TObject*) { ++clicks; };
        b->SetupFinished();
        return b;
    }
    int clicks = 0;
};

TEST_F(TbuttonFixture, PressCountsOnlyOnTheWhiteOfTheMask)
{
    auto b = Make(HalfMaskSkin(), {30, 30});
    EXPECT_EQ(b->SkinWidth(), 30);
    EXPECT_TRUE(b->IsPointInButton({5, 5}));    // mask pixel (65, 5) is white
    EXPECT_FALSE(b->IsPointInButton({20, 5}));  // mask pixel (80, 5) is black
    QTest::mouseClick(b.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(b.get(), Qt::LeftButton, {}, {20, 5});
    EXPECT_EQ(clicks, 1);
    // Pressed on the face, released off it: no click, and the press ends.
    QTest::mousePress(b.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_TRUE(b->Pressed());
    EXPECT_EQ(b->CurrentFrame(), 1);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, {25, 5});
    EXPECT_FALSE(b->Pressed());
    EXPECT_EQ(clicks, 1);
}

TEST_F(TbuttonFixture, StretchedButtonProbesTheMaskWhereThePixelWasDrawnFrom)
{
    // The 30 x 30 frame drawn over 90 x 60: x scales by 3, y by 2.
    auto b = Make(HalfMaskSkin(), {90, 60});
    EXPECT_TRUE(b->IsPointInButton({45, 10}));   // frame (15, 5): white
    EXPECT_FALSE(b->IsPointInButton({48, 10}));  // frame (16, 5): black
    QTest::mouseClick(b.get(), Qt::LeftButton, {}, {40, 50});
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(b.get(), Qt::LeftButton, {}, {80, 50});
    EXPECT_EQ(clicks, 1);
    // What is drawn there agrees: the left third shows the face frame, painted.
    const QImage shot = b->grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 80, 50), test::PaintedColor(shot, 40, 50));
}

TEST_F(TbuttonFixture, ShippedSkinsAnswerOnTheirFaceOnly)
{
    for (const char* skin : test::kShippedSkins)
        for (bool check : {false, true})
            for (int mode : {0, 1, 2}) {  // natural size, drawn scaled, built at size
                const bool stretch = mode > 0;
                SCOPED_TRACE(std::string(skin) + (check ? " check " : " push ") + std::to_string(mode));
                const QImage tpl = test::ShippedSkinImage(skin, check ? "CheckButton" : "Button");
                ASSERT_FALSE(tpl.isNull());
                const int frames = check ? 5 : 3, fw = tpl.width() / frames;
                const QSize size = stretch ? QSize(fw * 2, tpl.height() * 3 / 2) : QSize(fw, tpl.height());
                clicks = 0;
                auto b = std::make_unique<TmySkinButton>();
                b->SetIsCheckButton(check);
                b->SetIsStretchButton(mode == 2);
                b->SetDefaultSkinBitmap(tpl);
                b->resize(size);
                b->OnClick = [this](TObject*) { ++clicks; };
                b->SetupFinished();
                QTest::mouseClick(b.get(), Qt::LeftButton, {}, {size.width() / 2, size.height() / 2});
                EXPECT_EQ(clicks, 1);
                EXPECT_EQ(b->Checked(), check);
                // A point whose source pixel lies off the face (the corner) does not press.
                const QPoint corner(1, 1);
                ASSERT_NE(SkinPixel(tpl, (frames - 1) * fw + 1, 1), kWhite);
                ASSERT_NE(SkinPixel(tpl, (frames - 1) * fw, 0), kWhite);
                EXPECT_FALSE(b->IsPointInButton(corner));
                QTest::mouseClick(b.get(), Qt::LeftButton, {}, corner);
                EXPECT_EQ(clicks, 1);
            }
}

TEST_F(TbuttonFixture, CheckButtonFramesAndState)
{
    auto b = Make(HalfMaskSkin(5), {30, 30}, true);
    EXPECT_EQ(b->FrameCount(), 5);
    b->SetChecked(true);
    EXPECT_EQ(b->CurrentFrame(), 2);
    QTest::mousePress(b.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(b->CurrentFrame(), 3);
    // The painted face is frame 3's grey (level 150 recoloured with the default colours).
    const QImage shot = b->grab().toImage();
    QImage work = b->WorkingBitmap();
    EXPECT_EQ(test::PaintedColor(shot, 20, 20), TripleToColor(SkinPixel(work, 3 * 30 + 20, 20)));
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(b->CurrentFrame(), 0);

    auto plain = Make(HalfMaskSkin(), {30, 30});
    plain->SetChecked(true);
    EXPECT_FALSE(plain->Checked());
    QTest::mouseClick(plain.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_FALSE(plain->Checked());
    plain->SetDown(true);
    EXPECT_EQ(plain->CurrentFrame(), 1);
}

TEST_F(TbuttonFixture, HeldTriggerRepeatsAtItsDelayAndStopsOnRelease)
{
    test::TmanualTimers timers;
    auto b = Make(HalfMaskSkin(), {30, 30});
    b->SetIsTriggerButton(true);
    b->SetTriggerDelay(100);
    QTest::mousePress(b.get(), Qt::LeftButton, {}, {5, 5});
    timers.Advance(500);
    EXPECT_EQ(clicks, 0);  // the first half second only waits
    timers.Advance(100);
    EXPECT_EQ(clicks, 1);
    timers.Advance(400);  // held for 1 s in all: five repeated clicks
    EXPECT_EQ(clicks, 5);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(clicks, 6);  // the release's own click
    EXPECT_FALSE(b->IsRepeating());
    timers.Advance(1000);
    EXPECT_EQ(clicks, 6);
}

TEST_F(TbuttonFixture, HeldRepeatEndsOnHideDisableLostGrabAndDestruction)
{
    test::TmanualTimers timers;
    auto b = Make(HalfMaskSkin(), {30, 30});
    b->SetIsTriggerButton(true);
    b->show();
    auto hold = [&] {
        QTest::mousePress(b.get(), Qt::LeftButton, {}, {5, 5});
        timers.Advance(600);
        ASSERT_TRUE(b->IsRepeating());
    };
    hold();
    b->hide();
    EXPECT_FALSE(b->IsRepeating());
    EXPECT_FALSE(b->Pressed());
    b->show();
    hold();
    b->setEnabled(false);
    EXPECT_FALSE(b->IsRepeating());
    b->setEnabled(true);
    hold();
    QEvent ungrab(QEvent::UngrabMouse);
    QApplication::sendEvent(b.get(), &ungrab);
    EXPECT_FALSE(b->IsRepeating());
    const int before = clicks;
    timers.Advance(1000);
    EXPECT_EQ(clicks, before);
    hold();
    b.reset();
    EXPECT_EQ(timers.ActiveCount(), 0);
    timers.Advance(1000);
}

TEST_F(TbuttonFixture, EnterOnAFocusedButtonClicksOnce)
{
    auto b = Make(HalfMaskSkin(5), {30, 30}, true);
    b->show();
    b->setFocus();
    QTest::keyPress(b.get(), Qt::Key_Return);
    EXPECT_TRUE(b->Pressed());
    QTest::keyRelease(b.get(), Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->Checked());
    QTest::keyClick(b.get(), Qt::Key_Space);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(b->Checked());
}

TEST_F(TbuttonFixture, ChangesInsideTheBracketRebuildOnce)
{
    auto b = Make(HalfMaskSkin(), {30, 30});
    const int builds = b->BuildCount();
    b->BeginUpdate();
    b->ButtonSkinColors().SetColor1(clRed);
    b->OuterSkinColors().SetColor1(clBlue);
    b->SetFont(TFont{"Arial", clBlack, 12});
    EXPECT_EQ(b->BuildCount(), builds);
    b->EndUpdate();
    EXPECT_EQ(b->BuildCount(), builds + 1);
    b->EndUpdate();  // unbalanced: counter stays at 0 (and it rebuilds)
    EXPECT_EQ(b->UpdateCount(), 0);
    EXPECT_EQ(b->BuildCount(), builds + 2);
    // Before SetupFinished nothing is built.
    TmySkinButton fresh;
    fresh.SetDefaultSkinBitmap(HalfMaskSkin());
    fresh.ButtonSkinColors().SetColor1(clRed);
    EXPECT_EQ(fresh.BuildCount(), 0);
    EXPECT_TRUE(fresh.WorkingBitmap().isNull());
    // AssignSkin copies colours and font colours in one rebuild.
    TmySkinButton other;
    other.ButtonSkinColors().SetColor1(clLime);
    other.SetCheckedFontColor(clYellow);
    b->AssignSkin(other, false);
    EXPECT_EQ(b->ButtonSkinColors().Color1(), clLime);
    EXPECT_EQ(b->CheckedFontColor(), clYellow);
    EXPECT_EQ(b->BuildCount(), builds + 3);
}

TEST_F(TbuttonFixture, MissingSkinIsWhiteAndPressableEverywhere)
{
    auto b = Make(QImage(), {40, 20});
    EXPECT_TRUE(b->IsPointInButton({39, 19}));
    EXPECT_EQ(test::PaintedColor(b->grab().toImage(), 10, 10), clWhite);
    QTest::mouseClick(b.get(), Qt::LeftButton, {}, {39, 19});
    EXPECT_EQ(clicks, 1);
}

TEST_F(TbuttonFixture, GlyphCentredWithItsTransparentColourAndCheckedCaptionColour)
{
    auto b = Make(HalfMaskSkin(5), {30, 30}, true);
    QImage glyph(10, 10, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    for (int y = 3; y < 7; ++y)
        for (int x = 3; x < 7; ++x) glyph.setPixel(x, y, qRgb(0, 200, 0));
    b->SetGlyphTransparentColor(clFuchsia);
    b->SetGlyph(glyph);
    const QImage shot = b->grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 15, 15), RGBColor(0, 200, 0));  // glyph at (10, 10)
    EXPECT_EQ(test::PaintedColor(shot, 11, 11), test::PaintedColor(shot, 2, 2));  // see-through

    b->SetGlyph(QImage());
    b->SetShowCaption(true);
    b->SetCaption("WW");  // fits the face, so it is drawn at its own size
    b->SetFontColor(clRed);
    b->SetCheckedFontColor(clBlue);
    b->SetChecked(true);
    auto has = [](const QImage& img, TColor c) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (test::PaintedColor(img, x, y) == c) return true;
        return false;
    };
    const QImage checked = b->grab().toImage();
    EXPECT_TRUE(has(checked, clBlue));
    EXPECT_FALSE(has(checked, clRed));
    b->SetChecked(false);
    EXPECT_TRUE(has(b->grab().toImage(), clRed));
}

TEST(StretchButtonSkin, CornersKeepTheirSizeEdgesRepeat)
{
    test::App();
    // One 9 x 9 frame whose nine 3 x 3 cells have levels 10..90.
    QImage tpl = test::SkinImage(9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) test::SetSkinPixel(tpl, x, y, Grey(uint8_t(10 * (1 + (y / 3) * 3 + x / 3))));
    const QImage out = StretchButtonSkin(tpl, 1, {20, 10});
    ASSERT_EQ(out.size(), QSize(20, 10));
    EXPECT_EQ(SkinPixel(out, 0, 0), Grey(10));
    EXPECT_EQ(SkinPixel(out, 19, 0), Grey(30));
    EXPECT_EQ(SkinPixel(out, 0, 9), Grey(70));
    EXPECT_EQ(SkinPixel(out, 19, 9), Grey(90));
    EXPECT_EQ(SkinPixel(out, 10, 0), Grey(20));
    EXPECT_EQ(SkinPixel(out, 10, 5), Grey(50));
    EXPECT_EQ(SkinPixel(out, 0, 5), Grey(40));
    EXPECT_EQ(SkinPixel(out, 19, 5), Grey(60));
    EXPECT_TRUE(StretchButtonSkin(tpl, 1, {0, 10}).isNull());
}

}  // namespace
}  // namespace tunecrest

namespace tunecrest {
namespace {

TEST(PanelButtonSkin, NinePartFramesPaintAtTheControlsSize)
{
    test::App();
    // Three 26 x 26 frames: normal grey 40, pressed grey 90, mask white; frame 0 cut by
    // markers at 10 and 15 along row 0 and column 0.
    QImage tpl = test::SkinImage(78, 26, Grey(40));
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 26; ++x) {
            test::SetSkinPixel(tpl, 26 + x, y, Grey(90));
            test::SetSkinPixel(tpl, 52 + x, y, kWhite);
        }
    for (int i : {10, 15}) {
        test::SetSkinPixel(tpl, i, 0, kWhite);
        test::SetSkinPixel(tpl, 0, i, kWhite);
    }
    TmySkinButton b;
    b.SetPanelButtonSkin(true);
    b.SetDefaultSkinBitmap(tpl);
    b.resize(120, 60);
    b.SetupFinished();
    int clicks = 0;
    b.OnClick = [&](TObject*) { ++clicks; };
    EXPECT_TRUE(b.IsPointInButton({119, 59}));
    const TColor normal = test::PaintedColor(b.grab().toImage(), 60, 30);
    QTest::mousePress(&b, Qt::LeftButton, {}, {60, 30});
    const TColor pressed = test::PaintedColor(b.grab().toImage(), 60, 30);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, {60, 30});
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(normal, TripleToColor(SkinPixel(b.WorkingBitmap(), 12, 12)));
    EXPECT_EQ(pressed, TripleToColor(SkinPixel(b.WorkingBitmap(), 26 + 12, 12)));
}

}  // namespace
}  // namespace tunecrest
