// The touch list offscreen through QTest: row geometry and painting, tap against hold in
// single-click multi-select on an injected clock, modifier selection, keys, the wheel,
// the event counts under their locks, a shrinking count, and the focus colour and
// background image.
#include "skin/touch_list_box.h"

#include <gtest/gtest.h>

#include <QKeySequence>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>
#include <set>

#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

struct ListFixture {
    QApplication& app = test::App();  // before any widget
    TtouchListBox list;
    uint32_t now = 10000;
    int scrolls = 0, indexChanges = 0, ranges = 0;
    ListFixture(int count = 100, int itemHeight = 20, int height = 210) {
        test::App();
        list.resize(200, height);
        list.SetItemHeight(itemHeight);
        list.SetTickSource([this] { return now; });
        list.OnScroll = [this](TObject*) { ++scrolls; };
        list.OnItemIndexChange = [this](TObject*) { ++indexChanges; };
        list.OnRangeChange = [this](TObject*) { ++ranges; };
        list.SetCount(count);
        list.show();
    }
    QPoint Row(int row) const { return QPoint(10, (row - list.TopIndex()) * list.ItemHeight() + 2); }
    // A press of `ms` milliseconds on a row.
    void Press(int row, uint32_t ms, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mousePress(&list, Qt::LeftButton, mods, Row(row));
        now += ms;
        QTest::mouseRelease(&list, Qt::LeftButton, mods, Row(row));
    }
    std::set<int> SelectedRows() const {
        std::set<int> out;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Selected(i)) out.insert(i);
        return out;
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&list, Qt::Key(key), mods);
    }
};

std::vector<std::pair<int, TtouchListItemState>> PaintedRows(TcustomTouchListBox& list) {
    std::vector<std::pair<int, TtouchListItemState>> rows;
    list.OnPaintItem = [&](TObject*, int index, const QRect& r, QPainter&, TtouchListItemState state) {
        EXPECT_EQ(r.height(), list.ItemHeight());
        EXPECT_EQ(r.width(), list.width());
        rows.emplace_back(index, state);
    };
    QImage image(list.size(), QImage::Format_RGB32);
    list.render(&image);
    list.OnPaintItem = nullptr;
    return rows;
}

TEST(TouchListBox, RowGeometryCountAndPaintedRows) {
    ListFixture f;
    EXPECT_EQ(f.list.VisibleRowCount(), 10);
    EXPECT_EQ(f.list.MaxTopIndex(), 90);
    EXPECT_EQ(f.list.ItemIndex(), 0);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{0}));
    // Ten whole rows and the eleventh in part.
    auto rows = PaintedRows(f.list);
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows.front().first, 0);
    EXPECT_EQ(rows.front().second, ItemStateBit(lisSelected) | ItemStateBit(lisFocused));
    EXPECT_EQ(rows.back().first, 10);
    EXPECT_EQ(rows.back().second, 0);
    f.list.SetTopIndex(95);  // clamped
    EXPECT_EQ(f.list.TopIndex(), 90);
    rows = PaintedRows(f.list);
    EXPECT_EQ(rows.size(), 10u);
    EXPECT_EQ(f.list.ItemAtY(0), 90);
    EXPECT_EQ(f.list.ItemAtY(199), 99);
    EXPECT_EQ(f.list.ItemAtY(205), -1);  // the space below the last row
    EXPECT_EQ(f.list.ItemAtY(-1), -1);
    f.list.SetTopIndex(-4);
    EXPECT_EQ(f.list.TopIndex(), 0);

    f.list.SetCount(0);
    EXPECT_EQ(f.list.ItemIndex(), -1);
    EXPECT_EQ(f.list.TopIndex(), 0);
    EXPECT_EQ(f.list.MaxTopIndex(), 0);
    EXPECT_TRUE(PaintedRows(f.list).empty());
    EXPECT_EQ(f.list.ItemAtY(0), -1);
    f.list.SetCount(5);
    EXPECT_EQ(f.list.ItemIndex(), 0);
    EXPECT_TRUE(f.list.Selected(0));

    // Row heights below 1 are taken as 1.
    f.list.SetItemHeight(0);
    EXPECT_EQ(f.list.ItemHeight(), 1);
    f.list.SetItemHeight(-7);
    EXPECT_EQ(f.list.ItemHeight(), 1);
    EXPECT_EQ(f.list.VisibleRowCount(), 210);
    // The touch default is a finger's height.
    TtouchListBox fresh;
    EXPECT_GE(fresh.ItemHeight(), 48);
}

TEST(TouchListBox, ShrinkingTheCountKeepsEveryIndexInRange) {
    ListFixture f;
    f.list.MultiSelect = true;
    f.list.SetTopIndex(90);
    f.list.SetItemIndex(95);
    for (int i = 96; i < 100; ++i) f.list.SetSelected(i, true);
    f.list.SetCount(10);
    EXPECT_EQ(f.list.TopIndex(), 0);
    EXPECT_EQ(f.list.ItemIndex(), 0);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{0}));
    EXPECT_FALSE(f.list.Selected(95));
    f.list.SetSelected(95, true);  // outside: ignored
    f.list.SetSelected(-1, true);
    EXPECT_EQ(f.list.SelectedCount(), 1);
    f.list.SetTopIndex(50);
    EXPECT_EQ(f.list.TopIndex(), 0);  // every row fits
    f.list.SetItemIndex(500);
    EXPECT_EQ(f.list.ItemIndex(), 9);

    // A press below the last row selects nothing and keeps the current row.
    f.list.SetCount(3);
    f.list.SetItemIndex(1);
    const int changes = f.indexChanges;
    QTest::mouseClick(&f.list, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5 * 20 + 3));
    EXPECT_EQ(f.list.ItemIndex(), 1);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{1}));
    EXPECT_EQ(f.indexChanges, changes);
    // Emptied from far down: nothing current, nothing selected, at the top.
    f.list.SetCount(100);
    f.list.SetTopIndex(80);
    f.list.SetCount(0);
    EXPECT_EQ(f.list.ItemIndex(), -1);
    EXPECT_EQ(f.list.TopIndex(), 0);
    EXPECT_FALSE(f.list.Selected(0));
    QTest::mouseClick(&f.list, Qt::LeftButton, Qt::NoModifier, QPoint(10, 3));
    EXPECT_EQ(f.list.ItemIndex(), -1);
    f.Key(Qt::Key_Down);
    EXPECT_EQ(f.list.ItemIndex(), -1);
    f.list.SetItemIndex(3);
    EXPECT_EQ(f.list.ItemIndex(), -1);
}

TEST(TouchListBox, GrowingTallerBringsHiddenRowsBackIntoView) {
    ListFixture f;
    f.list.SetCount(12);
    f.list.resize(200, f.list.ItemHeight() * 4);
    f.list.SetTopIndex(8);
    ASSERT_EQ(f.list.TopIndex(), 8);
    // Room for ten rows: the first row moves up to 2 so no space stays empty below.
    f.list.resize(200, f.list.ItemHeight() * 10);
    EXPECT_EQ(f.list.TopIndex(), 2);
    f.list.resize(200, f.list.ItemHeight() * 20);
    EXPECT_EQ(f.list.TopIndex(), 0);
}

TEST(TouchListBox, SingleClickMultiSelectTellsATapFromAHold) {
    ListFixture f;
    f.list.MultiSelect = true;
    f.list.SingleClickMultiSelect = true;
    f.list.SingleClickMultiSelectDelay = 300;
    f.Press(3, 100);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{3}));
    f.Press(7, 500);  // held: added
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{3, 7}));
    f.Press(9, 500);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{3, 7, 9}));
    f.Press(3, 500);  // held on a selected row: taken out
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{7, 9}));
    EXPECT_EQ(f.list.ItemIndex(), 3);
    f.Press(5, 299);  // a tap: only this row
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{5}));
    f.Press(6, 300);  // exactly the delay is a hold
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{5, 6}));
    // The press alone already shows the row selected, before the release decides.
    QTest::mousePress(&f.list, Qt::LeftButton, Qt::NoModifier, f.Row(8));
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{5, 6, 8}));
    f.now += 50;
    QTest::mouseRelease(&f.list, Qt::LeftButton, Qt::NoModifier, f.Row(8));
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{8}));
    // Without multi-select every press selects one row, however long.
    f.list.MultiSelect = false;
    f.Press(2, 900);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{2}));
    f.Press(4, 900, Qt::ShiftModifier);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{4}));
}

TEST(TouchListBox, ShiftAndCtrlPressesInMultiSelect) {
    ListFixture f;
    f.list.MultiSelect = true;
    f.list.SetItemIndex(8);
    f.Press(2, 10, Qt::ShiftModifier);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{2, 3, 4, 5, 6, 7, 8}));
    f.Press(5, 10, Qt::ControlModifier);  // selected before: deselected
    EXPECT_FALSE(f.list.Selected(5));
    EXPECT_EQ(f.list.ItemIndex(), 5);
    f.Press(9, 10, Qt::ControlModifier);  // added
    EXPECT_TRUE(f.list.Selected(9));
    EXPECT_EQ(f.SelectedRows().size(), 7u);
    f.Press(1, 10);  // a plain press: one row
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{1}));
    // Modifiers in single-click mode: the release never turns into a tap.
    f.list.SingleClickMultiSelect = true;
    f.Press(4, 10, Qt::ControlModifier);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{1, 4}));
}

TEST(TouchListBox, KeysMoveSelectAndScroll) {
    ListFixture f;
    f.indexChanges = f.scrolls = 0;
    f.Key(Qt::Key_Down);
    EXPECT_EQ(f.list.ItemIndex(), 1);
    EXPECT_EQ(f.indexChanges, 1);
    EXPECT_EQ(f.scrolls, 0);
    f.Key(Qt::Key_Up);
    f.Key(Qt::Key_Up);  // stays on the first row
    EXPECT_EQ(f.list.ItemIndex(), 0);
    f.Key(Qt::Key_PageDown);
    EXPECT_EQ(f.list.ItemIndex(), 9);
    EXPECT_EQ(f.list.TopIndex(), 0);
    f.Key(Qt::Key_PageDown);
    EXPECT_EQ(f.list.ItemIndex(), 18);
    EXPECT_EQ(f.list.TopIndex(), 9);  // the current row is the bottom row
    EXPECT_EQ(f.scrolls, 1);
    f.Key(Qt::Key_End);
    EXPECT_EQ(f.list.ItemIndex(), 99);
    EXPECT_EQ(f.list.TopIndex(), 90);
    f.Key(Qt::Key_Down);  // clamped
    EXPECT_EQ(f.list.ItemIndex(), 99);
    f.Key(Qt::Key_PageUp);
    EXPECT_EQ(f.list.ItemIndex(), 90);
    f.Key(Qt::Key_Home);
    EXPECT_EQ(f.list.ItemIndex(), 0);
    EXPECT_EQ(f.list.TopIndex(), 0);
    EXPECT_EQ(f.SelectedRows(), (std::set<int>{0}));

    // Shift with multi-select extends over pages, Home and End.
    f.list.MultiSelect = true;
    f.list.SetItemIndex(5);
    f.Key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(f.SelectedRows().size(), 10u);  // 5 .. 14
    EXPECT_TRUE(f.list.Selected(14));
    f.Key(Qt::Key_Down, Qt::ShiftModifier);  // one more, the old ones kept
    EXPECT_EQ(f.SelectedRows().size(), 11u);
    f.Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(f.SelectedRows().size(), 16u);  // 0 .. 15
    f.Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.list.SelectedCount(), 100);
    f.Key(Qt::Key_Down);
    EXPECT_EQ(f.list.SelectedCount(), 1);
    // Without multi-select Ctrl+A selects nothing more; other keys go to OnKeyPress.
    f.list.MultiSelect = false;
    f.Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.list.SelectedCount(), 1);
    std::string typed;
    int keyDowns = 0;
    f.list.OnKeyPress = [&](TObject*, QKeyEvent* e) { typed += e->text().toStdString(); };
    f.list.OnKeyDown = [&](TObject*, QKeyEvent*) { ++keyDowns; };
    QTest::keyClicks(&f.list, "b7");
    EXPECT_EQ(typed, "b7");
    EXPECT_EQ(keyDowns, 0);
}

void Wheel(QWidget& w, int delta) {
    QWheelEvent e(QPointF(10, 10), w.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

// A window around a list: records the keys that reach it.
class TkeyRecordingParent : public QWidget {
  public:
    std::vector<std::string> Keys;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        // QTest presses the modifier keys on their own first; those are nobody's keys.
        if (e->key() == Qt::Key_Control || e->key() == Qt::Key_Shift || e->key() == Qt::Key_Alt) return;
        Keys.push_back(QKeySequence(e->keyCombination()).toString(QKeySequence::PortableText).toStdString());
    }
};

TEST(TouchListBox, KeysTheListDoesNotUseReachTheWindow) {
    test::App();
    TkeyRecordingParent window;
    auto* list = new TtouchListBox(&window);
    list->SetItemHeight(20);
    list->resize(200, 200);
    list->SetCount(20);
    list->MultiSelect = true;
    std::string typed;
    list->OnKeyPress = [&](TObject*, QKeyEvent* e) { typed += e->text().toStdString(); };
    window.show();
    list->setFocus();
    // The window's shortcuts, function keys, media keys and dialog keys pass on.
    QTest::keyClick(list, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_F11);
    QTest::keyClick(list, Qt::Key_MediaStop);
    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(window.Keys, (std::vector<std::string>{"Ctrl+I", "Ctrl+Alt+X", "F11", "Media Stop", "Esc", "Return",
                                                     "Ctrl+Down"}));
    // The list's own keys and typed letters stay with the list.
    window.Keys.clear();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(list, "q");
    EXPECT_TRUE(window.Keys.empty());
    EXPECT_EQ(list->SelectedCount(), 20);
    EXPECT_EQ(typed, "q");
    // Without multi-select Ctrl+A is not the list's either.
    list->MultiSelect = false;
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.Keys, (std::vector<std::string>{"Ctrl+A"}));
}

TEST(TouchListBox, WheelScrollsOneRowAndLocksFireOnce) {
    ListFixture f;
    f.scrolls = 0;
    Wheel(f.list, -120);
    Wheel(f.list, -120);
    EXPECT_EQ(f.list.TopIndex(), 2);
    Wheel(f.list, 120);
    EXPECT_EQ(f.list.TopIndex(), 1);
    EXPECT_EQ(f.scrolls, 3);
    EXPECT_EQ(f.list.ItemIndex(), 0);  // the wheel moves the view only

    // Scroll lock: one OnScroll at the end of the outer bracket.
    f.scrolls = 0;
    f.list.BeginScroll();
    f.list.BeginScroll();
    for (int i = 0; i < 5; ++i) f.list.SetTopIndex(i * 3);
    f.list.EndScroll();
    EXPECT_EQ(f.scrolls, 0);
    f.list.EndScroll();
    EXPECT_EQ(f.scrolls, 1);
    f.list.EndScroll();  // an unbalanced end: the counter stays at 0
    f.list.SetTopIndex(4);
    EXPECT_EQ(f.scrolls, 3);

    // Index-change lock: one OnItemIndexChange for a whole run of moves.
    f.indexChanges = 0;
    f.list.BeginItemIndexChange();
    for (int i = 0; i < 4; ++i) f.Key(Qt::Key_Down);
    f.Press(6, 10);
    EXPECT_EQ(f.indexChanges, 0);
    f.list.EndItemIndexChange();
    EXPECT_EQ(f.indexChanges, 1);

    // A bound scroll bar hears of a new range.
    f.ranges = 0;
    f.list.SetCount(500);
    EXPECT_EQ(f.ranges, 1);
    f.list.resize(200, 410);
    EXPECT_EQ(f.ranges, 2);
    EXPECT_EQ(f.list.MaxTopIndex(), 500 - 20);
    f.list.SetCount(500);  // same range: no notice
    EXPECT_EQ(f.ranges, 2);
}

TEST(TouchListBox, MouseEventsClickAndTrackMouse) {
    ListFixture f;
    int downs = 0, ups = 0, clicks = 0, doubles = 0, moves = 0;
    f.list.OnMouseDown = [&](TObject*, QMouseEvent*) { ++downs; };
    f.list.OnMouseUp = [&](TObject*, QMouseEvent*) { ++ups; };
    f.list.OnClick = [&](TObject*) { ++clicks; };
    f.list.OnDblClick = [&](TObject*) { ++doubles; };
    f.list.OnMouseMove = [&](TObject*, QMouseEvent*) { ++moves; };
    f.Press(4, 10);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 0);  // the release is the list's own
    EXPECT_EQ(clicks, 1);
    QTest::mouseDClick(&f.list, Qt::LeftButton, Qt::NoModifier, f.Row(2));
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(f.list.ItemIndex(), 2);

    TtouchListBox other;
    other.resize(100, 100);
    other.show();
    other.setFocus();
    f.list.TrackMouse = true;
    f.list.setMouseTracking(true);
    QTest::mouseMove(&f.list, QPoint(20, 20));
    EXPECT_GE(moves, 1);
    EXPECT_TRUE(f.list.Focused());
}

TEST(TouchListBox, FocusColourAndBackgroundImagePlacement) {
    ListFixture f(0);
    f.list.resize(100, 60);
    f.list.SetColor(RGBColor(10, 20, 30));
    f.list.SetFocusColor(RGBColor(200, 0, 0));
    auto shot = [&] {
        QImage image(f.list.size(), QImage::Format_RGB32);
        f.list.render(&image);
        return image;
    };
    EXPECT_EQ(shot().pixelColor(50, 30), QColor(10, 20, 30));
    f.list.SetChangeColorOnFocus(true);
    EXPECT_EQ(f.list.CurrentBackColor(), RGBColor(10, 20, 30));  // not focused yet
    f.list.activateWindow();
    f.list.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(f.list.Focused());
    EXPECT_EQ(f.list.CurrentBackColor(), RGBColor(200, 0, 0));
    EXPECT_EQ(shot().pixelColor(50, 30), QColor(200, 0, 0));
    f.list.SetChangeColorOnFocus(false);

    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(QColor(0, 255, 0));
    f.list.SetBackgroundImage(picture);
    const QColor green(0, 255, 0);
    EXPECT_EQ(shot().pixelColor(0, 0), green);  // left, top
    EXPECT_NE(shot().pixelColor(20, 10), green);
    f.list.SetImageHorzAlign(ihaRight);
    f.list.SetImageVertAlign(vaBottom);
    EXPECT_EQ(shot().pixelColor(99, 59), green);
    EXPECT_NE(shot().pixelColor(79, 59), green);
    EXPECT_NE(shot().pixelColor(99, 49), green);
    f.list.SetImageHorzAlign(ihaCenter);
    f.list.SetImageVertAlign(vaMiddle);
    EXPECT_EQ(shot().pixelColor(40, 25), green);  // (100-20)/2, (60-10)/2
    EXPECT_EQ(shot().pixelColor(59, 34), green);
    EXPECT_NE(shot().pixelColor(39, 25), green);
    EXPECT_NE(shot().pixelColor(60, 25), green);
}

}  // namespace
}  // namespace tunecrest
