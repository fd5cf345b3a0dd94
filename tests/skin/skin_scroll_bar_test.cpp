// The skinned scroll bar: parts cut by markers, button, track and thumb presses with the
// position arithmetic, held repeat on manual timers, keys, a bar too short for its
// thumb, and the binding to a list.
#include <gtest/gtest.h>

#include <QTest>

#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/manual_timers.h"
#include "support/test_application.h"
#include "shipped_skins.h"
#include "skin_images.h"

namespace tunecrest {
namespace {

using test::Grey;
using test::kWhite;

// A vertical three-frame skin 30 x 38: first button rows 0-9 (grey 40), marker row 10,
// thumb rows 11-20 (grey 80), marker 21, track rows 22-26 (grey 120), marker 27, second
// button rows 28-37 (grey 160). Pressed frame one level brighter; the mask is white but
// for column 9 of the buttons.
QImage VerticalSkin()
{
    QImage image = test::SkinImage(30, 38, Grey(0));
    auto level = [](int y) { return y < 10 ? 40 : y < 21 ? 80 : y < 27 ? 120 : 160; };
    for (int y = 0; y < 38; ++y)
        for (int x = 0; x < 10; ++x) {
            test::SetSkinPixel(image, x, y, Grey(uint8_t(level(y))));
            test::SetSkinPixel(image, 10 + x, y, Grey(uint8_t(level(y) + 20)));
            const bool button = y < 10 || y >= 28;
            test::SetSkinPixel(image, 20 + x, y, button && x == 9 ? Grey(0) : kWhite);
        }
    for (int y : {10, 21, 27}) test::SetSkinPixel(image, 0, y, kWhite);
    return image;
}

// The same skin turned for a horizontal bar (frames stacked, markers in row 0).
QImage HorizontalSkin() { return VerticalSkin().transformed(QTransform(0, 1, 1, 0, 0, 0)).convertToFormat(QImage::Format_BGR888); }

struct TscrollFixture : ::testing::Test {
    void SetUp() override { test::App(); }
    std::unique_ptr<TmySkinScrollBar> Make(QSize size = {10, 100}, TmySkinScrollBarKind kind = msbVertical)
    {
        auto bar = std::make_unique<TmySkinScrollBar>();
        bar->SetKind(kind);
        bar->SetDefaultSkinBitmap(kind == msbVertical ? VerticalSkin() : HorizontalSkin());
        bar->resize(size);
        bar->PositionChanged = [this](TObject*) { ++changes; };
        bar->SetupFinished();
        return bar;
    }
    int changes = 0;
};

TEST_F(TscrollFixture, PartsAndGeometry)
{
    auto bar = Make();
    ASSERT_FALSE(bar->WorkingBitmap().isNull());
    EXPECT_EQ(bar->Rects()[0], (TskinRect{0, 0, 10, 10}));
    EXPECT_EQ(bar->Rects()[1], (TskinRect{0, 11, 10, 21}));
    EXPECT_EQ(bar->Rects()[2], (TskinRect{0, 22, 10, 27}));
    EXPECT_EQ(bar->Rects()[3], (TskinRect{0, 28, 10, 38}));
    EXPECT_EQ(bar->SkinWidth(), 10);
    EXPECT_EQ(bar->SkinHeight(), 100);
    EXPECT_EQ(bar->TrackLength(), 70);
    bar->SetPositionSilently(50);
    EXPECT_EQ(bar->ThumbStart(), 45);
    EXPECT_EQ(changes, 0);
    // Painted: first button, thumb at 45, track between, second button at the end.
    const QImage shot = bar->grab().toImage();
    const QImage& w = bar->WorkingBitmap();
    EXPECT_EQ(test::PaintedColor(shot, 5, 5), TripleToColor(SkinPixel(w, 5, 5)));
    EXPECT_EQ(test::PaintedColor(shot, 5, 50), TripleToColor(SkinPixel(w, 5, 15)));
    EXPECT_EQ(test::PaintedColor(shot, 5, 30), TripleToColor(SkinPixel(w, 5, 24)));
    EXPECT_EQ(test::PaintedColor(shot, 5, 95), TripleToColor(SkinPixel(w, 5, 33)));

    auto h = Make({100, 10}, msbHorizontal);
    ASSERT_FALSE(h->WorkingBitmap().isNull());
    EXPECT_EQ(h->Rects()[1], (TskinRect{11, 0, 21, 10}));
    EXPECT_EQ(h->SkinHeight(), 10);
}

TEST_F(TscrollFixture, RangeRules)
{
    auto bar = Make();
    bar->SetMax(-5);  // below Min: ignored
    EXPECT_EQ(bar->Max(), 100);
    bar->SetMin(200);  // above Max: ignored
    EXPECT_EQ(bar->Min(), 0);
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(100);
    EXPECT_EQ(changes, 2);  // fired even without a change
    bar->SetMax(0);
    EXPECT_FALSE(bar->HasThumb());
    bar->SetPosition(7);
    EXPECT_EQ(bar->Position(), 0);
    bar->SetSmallStep(0);
    bar->SetLargeStep(-3);
    EXPECT_EQ(bar->SmallStep(), 1);
    EXPECT_EQ(bar->LargeStep(), 1);
}

TEST_F(TscrollFixture, HeldSecondButtonStepsAtOnceThenEveryTwentyMs)
{
    test::TmanualTimers timers;
    auto bar = Make();
    bar->SetPosition(50);
    changes = 0;
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, {5, 95});
    EXPECT_EQ(bar->PressedPart(), TmySkinScrollBar::ppSecond);
    EXPECT_EQ(bar->Position(), 51);
    timers.Advance(300);
    EXPECT_EQ(bar->Position(), 51);
    timers.Advance(700);  // held 1 s: 1 + (1000 - 300) / 20 steps
    EXPECT_EQ(bar->Position(), 86);
    EXPECT_EQ(changes, 36);
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, {5, 95});
    EXPECT_FALSE(bar->IsRepeating());
    timers.Advance(500);
    EXPECT_EQ(bar->Position(), 86);
    // Held at the end of the range it stops there, and stops stepping.
    bar->SetPosition(95);
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, {5, 95});
    timers.Advance(1000);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_FALSE(bar->IsRepeating());
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, {5, 95});
    // First button, and a press off its mask (column 9) does nothing.
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(bar->Position(), 99);
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, {9, 5});
    EXPECT_EQ(bar->Position(), 99);
    EXPECT_FALSE(bar->IsRepeating());
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, {9, 5});
}

TEST_F(TscrollFixture, TrackPagesTowardsThePressAndHideEndsTheRepeat)
{
    test::TmanualTimers timers;
    auto bar = Make();
    bar->SetPosition(50);  // thumb 45..54
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {5, 80});
    EXPECT_EQ(bar->Position(), 60);
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {5, 20});
    EXPECT_EQ(bar->Position(), 50);
    bar->show();
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, {5, 80});
    timers.Advance(320);
    EXPECT_EQ(bar->Position(), 70);
    bar->hide();
    EXPECT_FALSE(bar->IsRepeating());
    EXPECT_EQ(bar->PressedPart(), TmySkinScrollBar::ppNone);
    timers.Advance(500);
    EXPECT_EQ(bar->Position(), 70);
}

TEST_F(TscrollFixture, ThumbDragFollowsThePointerAndStopsAtMax)
{
    auto bar = Make();
    bar->SetPosition(50);  // thumb start 45
    changes = 0;
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, {5, 50});
    EXPECT_EQ(bar->PressedPart(), TmySkinScrollBar::ppThumb);
    QTest::mouseMove(bar.get(), {5, 64});  // start 59: (59 - 10) / 70 * 100 = 70
    EXPECT_DOUBLE_EQ(bar->DragPosition(), 70.0);
    EXPECT_EQ(bar->Position(), 70);
    EXPECT_EQ(changes, 1);
    QTest::mouseMove(bar.get(), {5, 89});  // start 84: past the end
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_DOUBLE_EQ(bar->DragPosition(), 100.0);
    QTest::mouseMove(bar.get(), {5, 95});  // over the second button: the drag lets go
    EXPECT_DOUBLE_EQ(bar->DragPosition(), -1.0);
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, {5, 95});
    EXPECT_EQ(bar->PressedPart(), TmySkinScrollBar::ppNone);
}

TEST_F(TscrollFixture, BarTooShortForItsThumbIgnoresDrags)
{
    for (int height : {30, 25}) {
        auto bar = Make({10, height});
        EXPECT_LE(bar->TrackLength(), 0);
        bar->SetPosition(40);
        changes = 0;
        QTest::mousePress(bar.get(), Qt::LeftButton, {}, {5, 12});
        QTest::mouseMove(bar.get(), {5, 14});
        QTest::mouseMove(bar.get(), {5, 11});
        EXPECT_EQ(bar->Position(), 40);
        EXPECT_EQ(changes, 0);
        QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, {5, 11});
        bar->grab();  // paints without dividing by the empty track
    }
}

TEST_F(TscrollFixture, KeysWheelAndHorizontalInversion)
{
    auto bar = Make();
    bar->show();
    bar->setFocus();
    bar->SetPosition(50);
    QTest::keyClick(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->Position(), 51);
    QTest::keyClick(bar.get(), Qt::Key_PageUp);
    EXPECT_EQ(bar->Position(), 41);
    QTest::keyClick(bar.get(), Qt::Key_End);
    EXPECT_EQ(bar->Position(), 100);
    QTest::keyClick(bar.get(), Qt::Key_Home);
    EXPECT_EQ(bar->Position(), 0);
    auto h = Make({100, 10}, msbHorizontal);
    h->show();
    h->setFocus();
    h->SetPosition(50);
    QTest::keyClick(h.get(), Qt::Key_Up);
    EXPECT_EQ(h->Position(), 51);
    QTest::keyClick(h.get(), Qt::Key_Left);
    EXPECT_EQ(h->Position(), 50);
    QTest::keyClick(h.get(), Qt::Key_PageDown);
    EXPECT_EQ(h->Position(), 40);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.get(), &wheel);
    EXPECT_EQ(h->Position(), 39);
}

TEST_F(TscrollFixture, NoButtonHidesButtonsAtTheEndsAndTheThumb)
{
    auto bar = Make();
    bar->SetNoButton(true);
    bar->SetPosition(0);
    const QImage& w = bar->WorkingBitmap();
    const TColor track = TripleToColor(SkinPixel(w, 5, 24));
    QImage shot = bar->grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 5, 5), track);
    EXPECT_EQ(test::PaintedColor(shot, 5, 12), track);  // no thumb
    EXPECT_EQ(test::PaintedColor(shot, 5, 95), TripleToColor(SkinPixel(w, 5, 33)));
    bar->SetPosition(100);
    shot = bar->grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 5, 5), TripleToColor(SkinPixel(w, 5, 5)));
    EXPECT_EQ(test::PaintedColor(shot, 5, 95), track);
}

TEST_F(TscrollFixture, BadSkinsShowWhite)
{
    auto bar = std::make_unique<TmySkinScrollBar>();
    QImage noMarkers = test::SkinImage(30, 38, Grey(100));
    bar->SetDefaultSkinBitmap(noMarkers);
    bar->resize(10, 100);
    bar->SetupFinished();
    EXPECT_TRUE(bar->WorkingBitmap().isNull());
    EXPECT_EQ(test::PaintedColor(bar->grab().toImage(), 5, 50), clWhite);
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(bar->Position(), 0);
}

TEST_F(TscrollFixture, ShippedSkinsCutIntoFourParts)
{
    for (const char* skin : test::kShippedSkins)
        for (auto kind : {msbVertical, msbHorizontal}) {
            SCOPED_TRACE(std::string(skin) + (kind == msbVertical ? " vertical" : " horizontal"));
            auto bar = std::make_unique<TmySkinScrollBar>();
            bar->SetKind(kind);
            bar->SetDefaultSkinBitmap(
                test::ShippedSkinImage(skin, kind == msbVertical ? "ScrollBarVertical" : "ScrollBarHorizontal"));
            bar->resize(kind == msbVertical ? QSize(64, 400) : QSize(400, 64));
            bar->SetupFinished();
            ASSERT_FALSE(bar->WorkingBitmap().isNull());
            bar->SetPosition(50);
            const int first = bar->PartLength(TmySkinScrollBar::spFirstButton);
            EXPECT_GE(first, 48);
            const QPoint centre = kind == msbVertical ? QPoint(32, first / 2) : QPoint(first / 2, 32);
            QTest::mouseClick(bar.get(), Qt::LeftButton, {}, centre);
            EXPECT_EQ(bar->Position(), 49);
        }
}

// A list with the touch list's scrolling contract.
struct TfakeList : TObject {
    int Top = 0, MaxTop = 0, sets = 0;
    int TopIndex() const { return Top; }
    int MaxTopIndex() const { return MaxTop; }
    void SetTopIndex(int value)
    {
        ++sets;
        Top = std::clamp(value, 0, MaxTop);
        if (OnScroll) OnScroll(this);
    }
    TNotifyEvent OnScroll, OnRangeChange;
};

TEST_F(TscrollFixture, BoundBarFollowsTheListAndScrollsIt)
{
    auto bar = Make();
    TfakeList list;
    list.MaxTop = 40;
    list.Top = 5;
    int ownScrolls = 0;
    list.OnScroll = [&](TObject*) { ++ownScrolls; };
    BindScrollBar(*bar, list);
    EXPECT_EQ(bar->Max(), 40);
    EXPECT_EQ(bar->Position(), 5);
    changes = 0;
    // The list scrolls: the bar follows without echoing back.
    list.SetTopIndex(12);
    EXPECT_EQ(bar->Position(), 12);
    EXPECT_EQ(ownScrolls, 1);
    EXPECT_EQ(list.sets, 1);
    // The bar moves: the list scrolls.
    bar->SetPosition(30);
    EXPECT_EQ(list.Top, 30);
    EXPECT_EQ(list.sets, 2);
    // The list shrinks: the bar takes the new range and the clamped top.
    list.MaxTop = 10;
    list.Top = 10;
    list.OnRangeChange(&list);
    EXPECT_EQ(bar->Max(), 10);
    EXPECT_EQ(bar->Position(), 10);
}

TEST_F(TscrollFixture, BoundToATouchList)
{
    auto bar = Make();
    TcustomTouchListBox list;
    list.resize(200, 10 * kTouchRowHeight);
    list.SetCount(100);
    BindScrollBar(*bar, list);
    EXPECT_EQ(bar->Max(), 90);
    list.SetTopIndex(30);
    EXPECT_EQ(bar->Position(), 30);
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {5, 95});  // one row down
    EXPECT_EQ(list.TopIndex(), 31);
    list.SetCount(25);
    EXPECT_EQ(bar->Max(), 15);
    EXPECT_EQ(bar->Position(), list.TopIndex());
}

}  // namespace
}  // namespace tunecrest
