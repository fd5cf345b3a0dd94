#include "skin/skin_forms.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "core/jukebox/global_prefs.h"
#include "skin/bitmap_container.h"
#include "skin/modal_runner.h"
#include "skin/skin_panel.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

TEST(SkinForm, EdgesAndCursors)
{
    const int w = 200, h = 100;
    EXPECT_EQ(FormEdgeAt(5, 5, w, h), TformEdge::TopLeft);
    EXPECT_EQ(FormEdgeAt(5, 50, w, h), TformEdge::Left);
    EXPECT_EQ(FormEdgeAt(10, 95, w, h), TformEdge::BottomLeft);
    EXPECT_EQ(FormEdgeAt(190, 10, w, h), TformEdge::TopRight);
    EXPECT_EQ(FormEdgeAt(195, 50, w, h), TformEdge::Right);
    EXPECT_EQ(FormEdgeAt(199, 90, w, h), TformEdge::BottomRight);
    EXPECT_EQ(FormEdgeAt(100, 10, w, h), TformEdge::Top);
    EXPECT_EQ(FormEdgeAt(100, 90, w, h), TformEdge::Bottom);
    EXPECT_EQ(FormEdgeAt(100, 50, w, h), TformEdge::None);
    EXPECT_EQ(FormEdgeAt(11, 11, w, h), TformEdge::None);  // just inside the border
    EXPECT_EQ(EdgeCursor(TformEdge::Left), Qt::SizeHorCursor);
    EXPECT_EQ(EdgeCursor(TformEdge::Bottom), Qt::SizeVerCursor);
    EXPECT_EQ(EdgeCursor(TformEdge::BottomRight), Qt::SizeFDiagCursor);
    EXPECT_EQ(EdgeCursor(TformEdge::BottomLeft), Qt::SizeBDiagCursor);
    EXPECT_EQ(EdgeCursor(TformEdge::None), Qt::ArrowCursor);
    EXPECT_EQ(EdgeToQtEdges(TformEdge::TopRight), Qt::TopEdge | Qt::RightEdge);
}

void MoveOver(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

TEST(SkinForm, OnlyASizeableFormShowsSizingCursors)
{
    test::App();
    TfrmBaseSkinForm form;
    form.resize(200, 100);
    form.show();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.Panel()->geometry(), form.rect());
    MoveOver(form.Panel(), QPoint(3, 50));
    EXPECT_EQ(form.EdgeUnder(QPoint(3, 50)), TformEdge::None);
    EXPECT_EQ(form.Panel()->cursor().shape(), Qt::ArrowCursor);
    form.SetSizeable(true);
    EXPECT_EQ(form.EdgeUnder(QPoint(3, 50)), TformEdge::Left);
    MoveOver(form.Panel(), QPoint(3, 50));
    EXPECT_EQ(form.Panel()->cursor().shape(), Qt::SizeHorCursor);
    MoveOver(form.Panel(), QPoint(100, 50));
    EXPECT_EQ(form.Panel()->cursor().shape(), Qt::ArrowCursor);
}

TEST(SkinForm, SkinChangeRecoloursAtOnceAndClosingLeavesNoListener)
{
    test::App();
    const int listeners = GlobalPrefs().ListenerCount();
    const TformSkinColors saved = FormSkinColors();
    {
        TfrmBaseSkinForm form;
        EXPECT_EQ(GlobalPrefs().ListenerCount(), listeners + 1);
        const int applied = form.SkinApplyCount();
        SetFormSkinColors({0x204080, 0x102030, clYellow});
        EXPECT_EQ(form.SkinApplyCount(), applied + 1);
        EXPECT_EQ(form.palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0x302010u);
    }
    EXPECT_EQ(GlobalPrefs().ListenerCount(), listeners);
    SetFormSkinColors(saved);
}

// The panel filling a form wears the skin's panel picture from the preferences' store,
// recoloured with the panel colour, and follows a new store at once; without one it is
// the flat panel colour.
TEST(SkinForm, FormPanelWearsTheStoresPanelPicture)
{
    test::App();
    const TformSkinColors saved = FormSkinColors();
    SetFormSkinColors({0x808080, 0x404040, clWhite});
    TbitmapContainer* previous = GlobalPrefs().BitmapContainer();
    GlobalPrefs().SetBitmapContainer(nullptr);
    TfrmBaseSkinForm form;
    form.resize(120, 80);
    auto* panel = dynamic_cast<TmySkinPanel*>(form.Panel());
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->SkinBitmap().isNull());
    const QImage flat = form.Panel()->grab().toImage();
    EXPECT_EQ(flat.pixelColor(60, 40), QColor(0x40, 0x40, 0x40));

    // A panel picture: grey 128 (the panel colour) with a black stripe across the middle.
    QImage picture(30, 30, QImage::Format_RGB32);
    picture.fill(QColor(128, 128, 128));
    for (int x = 0; x < 30; ++x) picture.setPixelColor(x, 15, Qt::black);
    TbitmapContainer store;
    store.Items().Add()->SetBitmap(QImage(8, 8, QImage::Format_RGB32));
    store.Items().Add()->SetBitmap(QImage(8, 8, QImage::Format_RGB32));
    TbitmapItem& item = *store.Items().Add();
    item.SetNiceName(kFormPanelPictureName);
    item.SetBitmap(picture);
    GlobalPrefs().SetBitmapContainer(&store);
    EXPECT_EQ(FormPanelPicture().size(), QSize(30, 30));
    EXPECT_FALSE(panel->SkinBitmap().isNull());
    const QImage skinned = form.Panel()->grab().toImage();
    EXPECT_NE(skinned, flat);
    bool stripe = false;
    for (int y = 0; y < skinned.height(); ++y) stripe = stripe || skinned.pixelColor(5, y) == QColor(Qt::black);
    EXPECT_TRUE(stripe) << "the picture's stripe is painted";

    GlobalPrefs().SetBitmapContainer(previous);
    EXPECT_EQ(panel->SkinBitmap().isNull(), FormPanelPicture().isNull());
    SetFormSkinColors(saved);
}

// The mask as a picture: white where the window shows.
QImage MaskPicture(const QRegion& region, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (const QRect& r : region) p.fillRect(r, Qt::white);
    return image;
}

TEST(SkinForm, ShapedWindowTakesTheMaskOfItsBitmap)
{
    test::App();
    // A ring: lime outside a circle and in a square hole, red elsewhere.
    QImage bitmap(40, 30, QImage::Format_RGB32);
    bitmap.fill(QColor(0, 255, 0));
    {
        QPainter p(&bitmap);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::red);
        p.drawEllipse(2, 2, 36, 26);
        p.fillRect(16, 12, 8, 6, QColor(0, 255, 0));
    }
    QWidget window;
    window.resize(300, 300);
    auto* shape = new TmySkinForm(&window);
    shape->SetBitmap(bitmap);  // lime is the default transparent colour
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(40, 30));
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 40, 30));
    const QImage mask = MaskPicture(window.mask(), bitmap.size());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const bool opaque = bitmap.pixel(x, y) != qRgb(0, 255, 0);
            ASSERT_EQ(mask.pixel(x, y) == qRgb(255, 255, 255), opaque) << x << "," << y;
        }
    // What the window shows inside its mask is the bitmap itself.
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(20, 4), qRgb(255, 0, 0));

    // Another transparent colour: now red is cut away and lime stays.
    shape->SetTransparentColor(clRed);
    EXPECT_TRUE(window.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(window.mask().contains(QPoint(20, 4)));
}

TEST(SkinForm, BitmapAllTransparentLeavesNothingOfTheWindow)
{
    test::App();
    QImage bitmap(10, 10, QImage::Format_RGB32);
    bitmap.fill(QColor(0, 255, 0));
    EXPECT_TRUE(BitmapShapeRegion(bitmap, clLime).isEmpty());
    QWidget window;
    auto* shape = new TmySkinForm(&window);
    shape->SetBitmap(bitmap);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_FALSE(window.mask().contains(QPoint(x, y)));
    // Without a parent or a bitmap nothing happens.
    TmySkinForm alone;
    alone.SetBitmap(bitmap);
    EXPECT_TRUE(alone.mask().isEmpty());
}

// A settings object that cannot be copied, only assigned.
struct TassignOnly {
    TassignOnly() = default;
    TassignOnly(const TassignOnly&) = delete;
    void Assign(const TassignOnly& other) { Value = other.Value; }
    int Value = 1;
};

TEST(DialogPattern, WorkingCopyIsCommittedOnOkOnly)
{
    std::vector<int> settings{1, 2, 3};
    EXPECT_FALSE(EditWorkingCopy(settings, [](std::vector<int>& copy) {
        copy.push_back(4);
        return int(mrCancel);
    }));
    EXPECT_EQ(settings, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(EditWorkingCopy(settings, [](std::vector<int>& copy) {
        copy.clear();
        return int(mrNone);  // closed some other way
    }));
    EXPECT_EQ(settings.size(), 3u);
    EXPECT_TRUE(EditWorkingCopy(settings, [](std::vector<int>& copy) {
        copy.push_back(4);
        return int(mrOk);
    }));
    EXPECT_EQ(settings, (std::vector<int>{1, 2, 3, 4}));

    TassignOnly object;
    EXPECT_FALSE(EditWorkingCopy(object, [](TassignOnly& copy) {
        copy.Value = 5;
        return int(mrCancel);
    }));
    EXPECT_EQ(object.Value, 1);
    EXPECT_TRUE(EditWorkingCopy(object, [](TassignOnly& copy) {
        copy.Value = 5;
        return int(mrOk);
    }));
    EXPECT_EQ(object.Value, 5);

    EXPECT_EQ(OkCancelResult(mrOk), 1);
    EXPECT_EQ(OkCancelResult(mrCancel), 2);
    EXPECT_EQ(OkCancelResult(mrNone), 2);
}

TEST(DialogPattern, RunnerIsSwappedForAScopeAndRestored)
{
    test::App();
    struct Tfixed : TmodalRunner {
        int Run(QDialog&) override { return ++Runs, 7; }
        int Runs = 0;
    };
    auto fixed = std::make_shared<Tfixed>();
    QDialog dialog;
    {
        TmodalRunnerScope scope(fixed);
        EXPECT_EQ(RunModal(dialog), 7);
    }
    EXPECT_EQ(fixed->Runs, 1);
    auto previous = SetModalRunner(nullptr);
    EXPECT_NE(previous, fixed);
}

}  // namespace
}  // namespace tunecrest
