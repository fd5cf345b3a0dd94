#include "skin/paint_regions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include "core/base/services.h"
#include "support/pictures.h"
#include "playback/image_getter.h"
#include "skin/picture_container.h"
#include "skin/qt_color.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class PaintRegions : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::App();
        Fgrid = std::make_unique<TpaintRegionContainer>();
        Fgrid->resize(300, 200);
        Fgrid->SetWantPageEvents(true);
        Fgrid->OnPageUp = [this](TObject*) { Fevents.push_back("up"); };
        Fgrid->OnPageDown = [this](TObject*) { Fevents.push_back("down"); };
        Fgrid->OnPaintRegionClick = [this](TObject*, TpaintRegion* r) {
            Fevents.push_back("click " + std::to_string(IndexOf(r)));
        };
    }
    int IndexOf(TpaintRegion* r) const
    {
        for (int i = 0; i < Fgrid->RegionCount(); ++i)
            if (Fgrid->GetRegion(i) == r) return i;
        return -1;
    }
    void Key(Qt::Key key) { QTest::keyClick(Fgrid.get(), key); }
    std::vector<std::string> Take() { return std::exchange(Fevents, {}); }

    std::unique_ptr<TpaintRegionContainer> Fgrid;
    std::vector<std::string> Fevents;
    int Fdata = 1;
};

TEST_F(PaintRegions, CellsOfAnUnevenWidthNeverOverlap)
{
    Fgrid->resize(100, 61);
    Fgrid->SetMatrix(3, 2);
    ASSERT_EQ(Fgrid->RegionCount(), 6);
    EXPECT_EQ(Fgrid->GetRegion(0)->Rect(), (Trect{0, 0, 33, 30}));
    EXPECT_EQ(Fgrid->GetRegion(2)->Rect(), (Trect{66, 0, 99, 30}));
    EXPECT_EQ(Fgrid->GetRegion(5)->Rect(), (Trect{66, 30, 99, 60}));
    // The strip left over at the right and the bottom belongs to no cell.
    EXPECT_EQ(Fgrid->RegionAt(99, 5), nullptr);
    EXPECT_EQ(Fgrid->RegionAt(5, 60), nullptr);
    EXPECT_EQ(Fgrid->RegionAt(33, 0), Fgrid->GetRegion(1));
    EXPECT_EQ(Fgrid->GetRegion(6), nullptr);
    EXPECT_EQ(Fgrid->GetRegion(-1), nullptr);

    // A resize gives every region its cell again (a hidden widget hears of it when shown).
    Fgrid->resize(120, 60);
    Fgrid->show();
    EXPECT_EQ(Fgrid->GetRegion(5)->Rect(), (Trect{80, 30, 120, 60}));
}

TEST_F(PaintRegions, MatrixZeroKeepsTheRegionsButForgetsTheFocus)
{
    Fgrid->SetMatrix(4, 2);
    TpaintRegion* first = Fgrid->GetRegion(0);
    Fgrid->SetFocusedRegion(3);
    EXPECT_EQ(Fgrid->FocusedIndex(), 3);
    Fgrid->SetMatrix(0, 3);
    EXPECT_EQ(Fgrid->RegionCount(), 8);
    EXPECT_EQ(Fgrid->GetRegion(0), first);
    EXPECT_EQ(Fgrid->XCount(), 4);
    EXPECT_EQ(Fgrid->FocusedIndex(), -1);
    Fgrid->SetXCount(0);
    Fgrid->SetYCount(-1);
    EXPECT_EQ(Fgrid->RegionCount(), 8);
    Fgrid->SetYCount(3);
    EXPECT_EQ(Fgrid->RegionCount(), 12);
    EXPECT_NE(Fgrid->GetRegion(0), nullptr);
}

TEST_F(PaintRegions, ArrowAndPageKeysMoveTheFocus)
{
    Fgrid->SetMatrix(3, 2);
    Take();
    Key(Qt::Key_Right);  // no focus yet: region 0
    EXPECT_EQ(Fgrid->FocusedIndex(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Fgrid->FocusedIndex(), 3);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Up);
    EXPECT_EQ(Fgrid->FocusedIndex(), 2);
    EXPECT_EQ(Take(), (std::vector<std::string>{"click 0", "click 3", "click 4", "click 5", "click 2"}));
    Key(Qt::Key_Up);  // off the top: page up, then the last region
    EXPECT_EQ(Fgrid->FocusedIndex(), 5);
    Key(Qt::Key_Right);  // off the end: page down, then region 0
    EXPECT_EQ(Fgrid->FocusedIndex(), 0);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Fgrid->FocusedIndex(), 5);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Fgrid->FocusedIndex(), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"up", "click 5", "down", "click 0", "up", "click 5", "down", "click 0"}));
}

TEST_F(PaintRegions, PageDownOnTheLastRowWithoutPageEvents)
{
    Fgrid->SetMatrix(3, 2);
    Fgrid->SetWantPageEvents(false);
    Fgrid->SetFocusedRegion(4);
    Take();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Fgrid->FocusedIndex(), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"click 0"}));  // no page request
}

TEST_F(PaintRegions, FocusOnDataWithNoDataEndsWithNoFocus)
{
    Fgrid->SetMatrix(3, 2);
    Fgrid->SetRegionOnlyFocusOnData(true);
    const std::pair<Qt::Key, std::string> moves[] = {{Qt::Key_Right, "down"}, {Qt::Key_Left, "up"},
                                                     {Qt::Key_Down, "down"},  {Qt::Key_Up, "up"},
                                                     {Qt::Key_PageDown, "down"}, {Qt::Key_PageUp, "up"}};
    for (const auto& [key, request] : moves) {
        Take();
        Key(key);
        EXPECT_EQ(Fgrid->FocusedRegion(), nullptr) << request;
        EXPECT_EQ(Take(), (std::vector<std::string>{request})) << key;
    }
}

TEST_F(PaintRegions, FocusOnDataSkipsEmptyCells)
{
    Fgrid->SetMatrix(3, 2);
    Fgrid->SetRegionOnlyFocusOnData(true);
    Fgrid->GetRegion(1)->SetData(&Fdata);
    Fgrid->GetRegion(4)->SetData(&Fdata);
    Take();
    Key(Qt::Key_Right);  // 0 is empty: forward to 1
    EXPECT_EQ(Fgrid->FocusedIndex(), 1);
    Key(Qt::Key_Right);  // 2, 3 empty: 4
    EXPECT_EQ(Fgrid->FocusedIndex(), 4);
    Key(Qt::Key_Right);  // 5 empty, nothing after: page down, then from 0: 1
    EXPECT_EQ(Fgrid->FocusedIndex(), 1);
    Key(Qt::Key_Left);  // 0 empty, nothing before: page up, then back from the end: 4
    EXPECT_EQ(Fgrid->FocusedIndex(), 4);
    Key(Qt::Key_PageUp);  // page up, last region 5 empty, back to 4
    EXPECT_EQ(Fgrid->FocusedIndex(), 4);
    EXPECT_EQ(Take(), (std::vector<std::string>{"click 1", "click 4", "down", "click 1", "up", "click 4", "up", "click 4"}));
    Fgrid->ClearRegionData();
    EXPECT_EQ(Fgrid->GetRegion(4)->Data(), nullptr);
}

TEST_F(PaintRegions, ClicksAndWheel)
{
    Fgrid->SetMatrix(3, 2);  // cells 100 x 100
    Take();
    QTest::mouseClick(Fgrid.get(), Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_EQ(Fgrid->FocusedIndex(), 4);
    EXPECT_EQ(Take(), (std::vector<std::string>{"click 4"}));
    // Pressed on one cell, released on another: nothing.
    QTest::mousePress(Fgrid.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(Fgrid.get(), Qt::LeftButton, {}, QPoint(250, 10));
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(Fgrid->FocusedIndex(), 4);
    // An empty cell is ignored with data-only focus.
    Fgrid->SetRegionOnlyFocusOnData(true);
    QTest::mouseClick(Fgrid.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(Take().empty());
    Fgrid->GetRegion(0)->SetData(&Fdata);
    QTest::mouseClick(Fgrid.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Take(), (std::vector<std::string>{"click 0"}));

    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Fgrid.get(), &event);
    };
    wheel(120);
    wheel(-120);
    EXPECT_EQ(Take(), (std::vector<std::string>{"up", "down"}));
    Fgrid->SetWantPageEvents(false);
    wheel(120);
    EXPECT_TRUE(Take().empty());
}

TEST_F(PaintRegions, OwnerPaintsEachCellInOrderInsideThePaint)
{
    Fgrid->SetMatrix(2, 2);  // cells 150 x 100
    Fgrid->SetColor(clBlack);
    std::vector<int> painted;
    Fgrid->OnPaintRegion = [&](TObject* sender, TpaintRegion* r) {
        EXPECT_EQ(sender, Fgrid.get());
        ASSERT_NE(Fgrid->Canvas(), nullptr);
        painted.push_back(IndexOf(r));
        // Painting over the whole widget stays inside the cell (the painter is clipped).
        Fgrid->Canvas()->fillRect(QRect(0, 0, 300, 200), ToQColor(r->Data() ? clRed : clBlue));
    };
    Fgrid->GetRegion(3)->SetData(&Fdata);
    // A change outside the paint only schedules a repaint.
    Fgrid->GetRegion(2)->SetRect(Fgrid->GetRegion(2)->Rect());
    EXPECT_TRUE(painted.empty());
    EXPECT_EQ(Fgrid->Canvas(), nullptr);

    const QImage shot = Fgrid->grab().toImage();
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(shot.pixelColor(10, 10), ToQColor(clBlue));
    EXPECT_EQ(shot.pixelColor(290, 190), ToQColor(clRed));

    // While updating, only the background is painted.
    painted.clear();
    Fgrid->BeginUpdate();
    const QImage blank = Fgrid->grab().toImage();
    EXPECT_TRUE(painted.empty());
    EXPECT_EQ(blank.pixelColor(10, 10), ToQColor(clBlack));
    Fgrid->EndUpdate();
    Fgrid->EndUpdate();  // below zero stays at zero
    Fgrid->grab();
    EXPECT_EQ(painted.size(), 4u);

    // The focused cell stands on the focus colour.
    Fgrid->OnPaintRegion = nullptr;
    Fgrid->SetFocusColor(clLime);
    Fgrid->SetFocusedRegion(1);
    const QImage focused = Fgrid->grab().toImage();
    EXPECT_EQ(focused.pixelColor(200, 50), ToQColor(clLime));
    EXPECT_EQ(focused.pixelColor(50, 50), ToQColor(clBlack));
}

TEST_F(PaintRegions, FetchedPictureIsDrawnOnArrivalWithoutRefetching)
{
    auto dispatcher = std::make_shared<TqueueDispatcher>();
    SetDispatcher(dispatcher);
    test::TempDir dir;
    Tbitmap green(8, 8);
    green.Fill({0, 200, 0});
    const std::string file = dir.File("cover.bmp");
    std::ofstream(file, std::ios::binary) << test::EncodeBmp24(green);

    Fgrid->SetUseImageRegions(true);
    Fgrid->SetMatrix(1, 1);
    auto* region = dynamic_cast<TimagePaintRegion*>(Fgrid->GetRegion(0));
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(region->ImageGetter().Enlarge);
    EXPECT_EQ(region->ImageGetter().Rect, (Trect{0, 0, 300, 200}));
    int paints = 0, drawn = 0;
    Fgrid->OnPaintRegion = [&](TObject*, TpaintRegion* r) {
        auto* image = static_cast<TimagePaintRegion*>(r);
        ++paints;
        image->GetImage(file);  // asked on every paint, fetched once
        if (!image->Picture().isNull()) {
            ++drawn;
            Fgrid->Canvas()->drawImage(QPoint(image->Left(), image->Top()), image->Picture());
        }
    };
    Fgrid->show();
    QApplication::processEvents();
    EXPECT_GE(paints, 1);
    EXPECT_TRUE(region->ImageGetter().Busy() || !region->Picture().isNull());

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (drawn == 0 && std::chrono::steady_clock::now() < end) {
        dispatcher->WaitAndProcess(10);
        QApplication::processEvents();
    }
    ASSERT_GT(drawn, 0);  // the arrival repainted the cell
    EXPECT_EQ(region->Picture().size(), QSize(200, 200));

    // Later paints draw it again and start no new fetch.
    const int paintsBefore = paints;
    for (int i = 0; i < 5; ++i) {
        dispatcher->WaitAndProcess(5);
        QApplication::processEvents();
    }
    EXPECT_FALSE(region->ImageGetter().Busy());
    const QImage shot = Fgrid->grab().toImage();
    EXPECT_GT(paints, paintsBefore - 1);
    EXPECT_FALSE(region->ImageGetter().Busy());
    EXPECT_EQ(shot.pixelColor(100, 100), QColor(0, 200, 0));

    // A new size makes the same picture worth fetching again, at the new size.
    Fgrid->resize(100, 100);
    Fgrid->grab();
    EXPECT_EQ(region->ImageGetter().Rect, (Trect{0, 0, 100, 100}));
    EXPECT_TRUE(region->ImageGetter().Busy() || region->Picture().size() == QSize(100, 100));

    // Another picture asked for: the cell does not show the old one for it meanwhile.
    Fgrid->OnPaintRegion = nullptr;
    region->GetImage(dir.File("another.bmp"));
    EXPECT_TRUE(region->Picture().isNull());
    Fgrid.reset();
    SetDispatcher(nullptr);
}

TEST(PictureStore, NamedPictures)
{
    test::App();
    TpictureContainer store;
    QImage logo(4, 4, QImage::Format_RGB32);
    logo.fill(Qt::red);
    TpictureItem* item = store.Items().Add();
    item->SetNiceName("Logo");
    item->SetPicture(logo);
    logo.fill(Qt::blue);
    EXPECT_EQ(store.Items().FindByName("LOGO")->picture().pixelColor(0, 0), QColor(Qt::red));
    TpictureContainer copy;
    copy.SetItems(store.Items());
    EXPECT_EQ(copy.Items().Count(), 1);
    EXPECT_EQ(copy.Items().Items(0)->NiceName(), "Logo");
}

}  // namespace
}  // namespace tunecrest
