#pragma once
// The owner-drawn touch list and tree. The list is virtual: it holds only a row count,
// one selection byte per row, the current row and the first visible row, and asks its
// owner to paint each visible row. It is made for fingers: big rows, no scroll bar of
// its own (the owner binds one through OnScroll, OnRangeChange, TopIndex and
// MaxTopIndex), and a single-click multi-select mode in which a quick tap selects one
// row and a longer press adds the row to the selection (or takes it out).
//
// Binding a scroll bar: on OnRangeChange the bar's maximum becomes MaxTopIndex; on
// OnScroll its position becomes TopIndex; when the bar is moved the owner calls
// SetTopIndex (which clamps, and fires OnScroll back, so the bar settles on the value
// the list took).
//
// The tree shows a node model (core/display/tree_nodes.h), one row per visible node, and opens
// and closes nodes on touch.
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/display/color.h"
#include "core/base/event_lists.h"
#include "core/display/tree_nodes.h"

class QPainter;

namespace tunecrest {

enum TtouchListItemStates : int { lisSelected = 0, lisFocused = 1, lisGreyed = 2 };
// A set of item states, one bit each.
using TtouchListItemState = uint8_t;
constexpr TtouchListItemState ItemStateBit(TtouchListItemStates s) {
    return TtouchListItemState(1u << s);
}
constexpr bool InItemState(TtouchListItemState set, TtouchListItemStates s) {
    return (set & ItemStateBit(s)) != 0;
}

enum TverticalAlignment : int { vaTop, vaMiddle, vaBottom };
// Horizontal placement of the background image.
enum TimageHorzAlign : int { ihaLeft = 0, ihaRight = 1, ihaCenter = 2 };

using TonPaintItemEvent = std::function<void(TObject* Sender, int Index, const QRect& Rct, QPainter& Cv,
                                             TtouchListItemState ItemState)>;
using TlistMouseEvent = std::function<void(TObject* Sender, QMouseEvent* Event)>;
using TlistKeyEvent = std::function<void(TObject* Sender, QKeyEvent* Event)>;

// Rows this high are easy to hit with a finger.
inline constexpr int kTouchRowHeight = 48;

class TcustomTouchListBox : public QWidget, public TObject {
  public:
    explicit TcustomTouchListBox(QWidget* parent = nullptr);
    ~TcustomTouchListBox() override;

    bool SingleClickMultiSelect = false;
    bool MultiSelect = false;
    uint32_t SingleClickMultiSelectDelay = 300;
    bool TrackMouse = false;

    // A swipe scrolls the rows (kinetic); a tap still selects, and a hold still adds a row
    // in single-click multi-select. Once on it stays on.
    void SetSwipeScroll();
    bool SwipeScroll() const { return FswipeScroll; }
    // Copies the single-touch multi-select switch and delay of the program's preferences now
    // and again after every change of them, for as long as the list lives.
    void FollowClickPreferences();

    int Count() const { return Fcount; }
    // Count := n; the selection is cleared; the first row becomes current (none for 0)
    // and the list scrolls to the top.
    void SetCount(int n);
    // The same, but row `itemIndex` becomes current and row `topIndex` the first shown
    // (clamped; the top and the first row where either is -1). The current row is put
    // back, not chosen: no OnItemIndexChange.
    void SetCountKeeping(int n, int itemIndex, int topIndex);
    int TopIndex() const { return FtopIndex; }
    // Clamped to 0 .. MaxTopIndex; repaints and fires OnScroll (unless locked).
    void SetTopIndex(int value);
    int ItemIndex() const { return FitemIndex; }
    // Clears the selection and makes the row current (scrolling it into view).
    void SetItemIndex(int value);
    int ItemHeight() const { return FitemHeight; }
    // At least 1.
    void SetItemHeight(int value);
    bool Selected(int i) const;
    // Ignored outside the rows.
    void SetSelected(int i, bool value);
    int SelectedCount() const;

    int VisibleRowCount() const { return height() / FitemHeight; }
    int MaxTopIndex() const { return std::max(0, Fcount - VisibleRowCount()); }
    // The row at a height inside the control, -1 below the last row.
    int ItemAtY(int y) const;

    TColor Color() const { return Fcolor; }
    void SetColor(TColor c);
    TColor FocusColor() const { return FfocusColor; }
    void SetFocusColor(TColor c);
    bool ChangeColorOnFocus() const { return FchangeColorOnFocus; }
    void SetChangeColorOnFocus(bool v);
    TColor CurrentBackColor() const;
    const QImage& BackgroundImage() const { return FbackgroundImage; }
    void SetBackgroundImage(const QImage& image);
    TimageHorzAlign ImageHorzAlign() const { return FimageHorzAlign; }
    void SetImageHorzAlign(TimageHorzAlign a);
    TverticalAlignment ImageVertAlign() const { return FimageVertAlign; }
    void SetImageVertAlign(TverticalAlignment a);
    bool Focused() const { return Ffocused; }

    // Paint lock: one repaint at the end.
    void BeginUpdate() { ++FpaintLock; }
    void EndUpdate();
    // Index-change lock: one OnItemIndexChange at the end.
    void BeginItemIndexChange() { ++FindexLock; }
    void EndItemIndexChange();
    // Scroll lock: one OnScroll at the end.
    void BeginScroll() { ++FscrollLock; }
    void EndScroll();

    // The millisecond tick a press is timed with (a steady clock unless replaced).
    void SetTickSource(std::function<uint32_t()> source);

    TonPaintItemEvent OnPaintItem;
    // TopIndex changed (also after a scroll-locked change, once).
    TNotifyEvent OnScroll;
    // MaxTopIndex may have changed (a new count or height): a bound scroll bar takes it.
    TNotifyEvent OnRangeChange;
    TNotifyEvent OnItemIndexChange;
    TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit;
    TlistMouseEvent OnMouseDown, OnMouseUp, OnMouseMove;
    TlistKeyEvent OnKeyDown, OnKeyUp, OnKeyPress;

  protected:
    // Fires OnPaintItem when assigned.
    virtual void PaintItem(int index, const QRect& rect, TtouchListItemState state, QPainter& canvas);
    // A tree brings its row count up to date before painting and hit tests.
    virtual void SyncRows() {}
    // Moves the current row (clamped), scrolling it into view and selecting it.
    void MoveTo(int index);
    void Repaint();
    void ClearSelection();
    // Press and release as the list handles them; true when the press hit a row.
    bool ListPress(QMouseEvent* e);
    void ListRelease(QMouseEvent* e);
    // The list's own keys; false (the key untouched) for a key the list does not use.
    bool ListKey(QKeyEvent* e);

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void FireItemIndexChange();
    void FireScroll();
    void FireRangeChange();
    void FocusEntered();

    bool FchangeColorOnFocus = false;
    bool FswipeScroll = false;
    int Fcount = 0;
    int FtopIndex = 0;
    int FitemHeight = kTouchRowHeight;
    TColor Fcolor = clWhite;
    QImage FbackgroundImage;
    TColor FfocusColor = clWhite;
    bool Ffocused = false;
    int FitemIndex = -1;
    std::vector<uint8_t> Fselected;
    uint32_t FpressTime = 0;
    int FpaintLock = 0;
    int FindexLock = 0;
    int FscrollLock = 0;
    TimageHorzAlign FimageHorzAlign = ihaLeft;
    TverticalAlignment FimageVertAlign = vaTop;
    bool FwasSelected = false;
    // The last press landed on a row (a press below the rows selects nothing and a
    // release after it toggles nothing).
    bool FpressOnRow = false;
    std::function<uint32_t()> FtickSource;
    int FlastMaxTop = -1;
};

class TtouchListBox : public TcustomTouchListBox {
  public:
    using TcustomTouchListBox::TcustomTouchListBox;
};

class TtouchTreeView : public TcustomTouchListBox {
  public:
    explicit TtouchTreeView(QWidget* parent = nullptr);
    ~TtouchTreeView() override;

    TmyTreeModel& Model() { return *Fmodel; }
    TmyNodeList& Nodes() { return Fmodel->Nodes(); }
    // The node on row i; nullptr outside.
    TmyNode* GetVisibleNode(int i);
    // The node on the current row, or nullptr.
    TmyNode* GetSelectedNode();
    // When the node is visible: it becomes the current row (the selection cleared), and
    // with `expand` it is opened as a touch would.
    void SelectNode(TmyNode* node, bool expand);
    // Opens or closes the current row's node (Toggle: the opposite of its state).
    void ExpandCurrent(bool toggle, bool value);
    // Rebuilds the rows from the model (done after every change of the root list).
    void RebuildVisible();
    // Pixels of indent per level in the plain row painting.
    int Indent = 24;

  protected:
    // Without OnPaintItem a row shows its node's caption, indented by level.
    void PaintItem(int index, const QRect& rect, TtouchListItemState state, QPainter& canvas) override;
    void SyncRows() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    std::unique_ptr<TmyTreeModel> Fmodel;
};

}  // namespace tunecrest
