#include "skin/touch_list_box.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScroller>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/jukebox/global_prefs.h"
#include "skin/qt_color.h"
#include "skin/touch_dress.h"

namespace tunecrest {

namespace {

uint32_t SteadyTicks() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

// ---- TcustomTouchListBox ----

TcustomTouchListBox::TcustomTouchListBox(QWidget* parent) : QWidget(parent), FtickSource(SteadyTicks) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TcustomTouchListBox::SetSwipeScroll() {
    if (FswipeScroll) return;
    FswipeScroll = true;
    EnableSwipe(*this);
}

TcustomTouchListBox::~TcustomTouchListBox() { GlobalPrefs().RemoveChangeListener(this); }

void TcustomTouchListBox::FollowClickPreferences()
{
    auto copy = [this] {
        SingleClickMultiSelect = GlobalPrefs().SingleClickMultiSelect();
        SingleClickMultiSelectDelay = uint32_t(std::max(0, GlobalPrefs().SingleClickMultiSelectDelay()));
    };
    copy();
    GlobalPrefs().RemoveChangeListener(this);
    GlobalPrefs().AddChangeListener(this, [copy](TObject*) { copy(); });
}

void TcustomTouchListBox::SetTickSource(std::function<uint32_t()> source) {
    FtickSource = source ? std::move(source) : std::function<uint32_t()>(SteadyTicks);
}

void TcustomTouchListBox::Repaint() {
    if (FpaintLock == 0) update();
}

void TcustomTouchListBox::FireItemIndexChange() {
    if (FindexLock == 0 && OnItemIndexChange) OnItemIndexChange(this);
}

void TcustomTouchListBox::FireScroll() {
    if (FscrollLock == 0 && OnScroll) OnScroll(this);
}

void TcustomTouchListBox::FireRangeChange() {
    const int maxTop = MaxTopIndex();
    if (maxTop == FlastMaxTop) return;
    FlastMaxTop = maxTop;
    if (OnRangeChange) OnRangeChange(this);
}

void TcustomTouchListBox::EndUpdate() {
    if (--FpaintLock < 1) {
        FpaintLock = 0;
        update();
    }
}

void TcustomTouchListBox::EndItemIndexChange() {
    if (--FindexLock < 1) {
        FindexLock = 0;
        if (OnItemIndexChange) OnItemIndexChange(this);
    }
}

void TcustomTouchListBox::EndScroll() {
    if (--FscrollLock < 1) {
        FscrollLock = 0;
        if (OnScroll) OnScroll(this);
    }
}

void TcustomTouchListBox::ClearSelection() {
    std::fill(Fselected.begin(), Fselected.end(), uint8_t(0));
}

void TcustomTouchListBox::SetCount(int n) {
    n = std::max(0, n);
    Fcount = n;
    // One byte a row, and no more kept than the rows need.
    Fselected.assign(size_t(n), 0);
    if (Fselected.capacity() > Fselected.size() * 2 + 1024) Fselected.shrink_to_fit();
    // The first row is current, or none; the list is at the top either way, so neither
    // the current row nor the first row can point past a shrunken list.
    FtopIndex = 0;
    if (n >= 1) {
        FitemIndex = 0;
        Fselected[0] = 1;
    } else {
        FitemIndex = -1;
    }
    Repaint();
    FireRangeChange();
}

void TcustomTouchListBox::SetCountKeeping(int n, int itemIndex, int topIndex) {
    BeginUpdate();
    SetCount(n);
    if (itemIndex > 0 && itemIndex < Fcount) {
        Fselected[size_t(FitemIndex)] = 0;
        FitemIndex = itemIndex;
        Fselected[size_t(itemIndex)] = 1;
    }
    if (topIndex > 0) SetTopIndex(topIndex);
    EndUpdate();
}

void TcustomTouchListBox::SetTopIndex(int value) {
    BeginUpdate();
    FtopIndex = std::clamp(value, 0, MaxTopIndex());
    Repaint();
    FireScroll();
    EndUpdate();
}

void TcustomTouchListBox::MoveTo(int index) {
    if (Fcount >= 1 && index >= 0) {
        FitemIndex = std::min(index, Fcount - 1);
        const int rows = VisibleRowCount();
        if (FitemIndex < FtopIndex)
            SetTopIndex(FitemIndex);
        else if (FitemIndex > FtopIndex + rows - 1)
            SetTopIndex(FitemIndex + 1 - rows);
        Fselected[size_t(FitemIndex)] = 1;
    } else {
        FitemIndex = -1;
        if (FtopIndex != 0) SetTopIndex(0);
        ClearSelection();
    }
    FireItemIndexChange();
}

void TcustomTouchListBox::SetItemIndex(int value) {
    ClearSelection();
    MoveTo(value);
    Repaint();
}

void TcustomTouchListBox::SetItemHeight(int value) {
    FitemHeight = std::max(1, value);
    Repaint();
    FireRangeChange();
}

bool TcustomTouchListBox::Selected(int i) const {
    return i >= 0 && i < Fcount && Fselected[size_t(i)] != 0;
}

void TcustomTouchListBox::SetSelected(int i, bool value) {
    if (i < 0 || i >= Fcount) return;
    Fselected[size_t(i)] = value ? 1 : 0;
    Repaint();
}

int TcustomTouchListBox::SelectedCount() const {
    return int(std::count(Fselected.begin(), Fselected.end(), uint8_t(1)));
}

int TcustomTouchListBox::ItemAtY(int y) const {
    if (y < 0) return -1;
    const int row = FtopIndex + y / FitemHeight;
    return row < Fcount ? row : -1;
}

void TcustomTouchListBox::SetColor(TColor c) {
    Fcolor = c;
    Repaint();
}
void TcustomTouchListBox::SetFocusColor(TColor c) {
    FfocusColor = c;
    Repaint();
}
void TcustomTouchListBox::SetChangeColorOnFocus(bool v) {
    FchangeColorOnFocus = v;
    Repaint();
}
void TcustomTouchListBox::SetBackgroundImage(const QImage& image) {
    FbackgroundImage = image;
    Repaint();
}
void TcustomTouchListBox::SetImageHorzAlign(TimageHorzAlign a) {
    FimageHorzAlign = a;
    Repaint();
}
void TcustomTouchListBox::SetImageVertAlign(TverticalAlignment a) {
    FimageVertAlign = a;
    Repaint();
}

TColor TcustomTouchListBox::CurrentBackColor() const {
    return FchangeColorOnFocus && Ffocused ? FfocusColor : Fcolor;
}

void TcustomTouchListBox::PaintItem(int index, const QRect& rect, TtouchListItemState state,
                                    QPainter& canvas) {
    if (OnPaintItem) OnPaintItem(this, index, rect, canvas, state);
}

void TcustomTouchListBox::paintEvent(QPaintEvent*) {
    // Rows a tree changed since the last look are taken up before anything is drawn.
    ++FpaintLock;
    SyncRows();
    --FpaintLock;
    QPainter p(this);
    p.fillRect(rect(), ToQColor(CurrentBackColor()));
    p.setBrush(Qt::NoBrush);
    if (!FbackgroundImage.isNull()) {
        const int w = FbackgroundImage.width(), h = FbackgroundImage.height();
        int x = 0, y = 0;
        if (FimageHorzAlign == ihaRight)
            x = width() - w;
        else if (FimageHorzAlign == ihaCenter)
            x = (width() - w) / 2;
        if (FimageVertAlign == vaMiddle)
            y = (height() - h) / 2;
        else if (FimageVertAlign == vaBottom)
            y = height() - h;
        p.drawImage(x, y, FbackgroundImage);
    }
    int y = 0;
    for (int row = std::max(FtopIndex, 0); row < Fcount && y < height(); ++row, y += FitemHeight) {
        const QRect r(0, y, width(), FitemHeight);
        TtouchListItemState state = 0;
        if (Fselected[size_t(row)]) state |= ItemStateBit(lisSelected);
        if (row == FitemIndex) state |= ItemStateBit(lisFocused);
        // A row paints inside its own rectangle only.
        p.save();
        p.setClipRect(r);
        PaintItem(row, r, state, p);
        p.restore();
    }
}

bool TcustomTouchListBox::ListPress(QMouseEvent* e) {
    SyncRows();
    FpressTime = FtickSource();
    setFocus(Qt::MouseFocusReason);
    const int old = FitemIndex;
    const int y = int(e->position().y());
    const int row = y < 0 ? -1 : FtopIndex + y / FitemHeight;
    // A press below the last row selects nothing and moves nothing.
    FpressOnRow = row >= 0 && row < Fcount;
    if (!FpressOnRow) {
        FwasSelected = false;
        if (OnMouseDown) OnMouseDown(this, e);
        return false;
    }
    FwasSelected = Selected(row);
    MoveTo(row);
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (MultiSelect && (shift || ctrl)) {
        if (shift && old >= 0) {
            const int from = std::min(old, FitemIndex), to = std::max(old, FitemIndex);
            for (int i = from; i <= to; ++i) Fselected[size_t(i)] = 1;
        }
        if (ctrl && FwasSelected) Fselected[size_t(FitemIndex)] = 0;
    } else if (!(MultiSelect && SingleClickMultiSelect)) {
        ClearSelection();
        Fselected[size_t(FitemIndex)] = 1;
    }
    Repaint();
    if (OnMouseDown) OnMouseDown(this, e);
    return true;
}

void TcustomTouchListBox::ListRelease(QMouseEvent* e) {
    if (!(MultiSelect && SingleClickMultiSelect) || !FpressOnRow) return;
    uint32_t held = FtickSource() - FpressTime;
    // A swipe's scroller holds a press back until the finger lifts (a tap: press and
    // release come together) or has stayed put for its delay (then the hold began that
    // much before the press arrived).
    if (FswipeScroll && held >= kSwipeTapSlackMs) held += kSwipePressDelayMs;
    const bool modifiers = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    if (FitemIndex < 0 || FitemIndex >= Fcount) return;
    if (held < SingleClickMultiSelectDelay && !modifiers) {
        ClearSelection();
        Fselected[size_t(FitemIndex)] = 1;
    } else {
        // A long press adds an unselected row and takes a selected one out.
        Fselected[size_t(FitemIndex)] = FwasSelected ? 0 : 1;
    }
    Repaint();
}

void TcustomTouchListBox::mousePressEvent(QMouseEvent* e) {
    ListPress(e);
}

void TcustomTouchListBox::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        ListRelease(e);
        if (rect().contains(e->position().toPoint()) && OnClick) OnClick(this);
    }
}

void TcustomTouchListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    // Qt sends the second press as a double click: it is a press like any other.
    mousePressEvent(e);
    if (OnDblClick) OnDblClick(this);
}

void TcustomTouchListBox::mouseMoveEvent(QMouseEvent* e) {
    if (TrackMouse && !hasFocus()) {
        setFocus(Qt::MouseFocusReason);
        FocusEntered();
    }
    if (OnMouseMove) OnMouseMove(this, e);
}

bool TcustomTouchListBox::ListKey(QKeyEvent* e) {
    // Only the keys the list uses are taken; every other key (Ctrl and Alt combinations,
    // function keys, media keys, Escape and Enter) is left to the window, whose shortcuts
    // and buttons must keep working while a list has the focus.
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool command = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    SyncRows();
    const int old = FitemIndex;
    const int rows = VisibleRowCount();
    int target = 0;
    bool range = false;
    switch (e->key()) {
        case Qt::Key_Up:
            target = std::max(FitemIndex - 1, 0);
            break;
        case Qt::Key_Down:
            target = FitemIndex + 1;
            break;
        case Qt::Key_PageUp:
            target = std::max(FitemIndex - (rows - 1), 0), range = true;
            break;
        case Qt::Key_PageDown:
            target = FitemIndex + rows - 1, range = true;
            break;
        case Qt::Key_Home:
            target = 0, range = true;
            break;
        case Qt::Key_End:
            target = Fcount - 1, range = true;
            break;
        case Qt::Key_A:
            if (ctrl && MultiSelect && !(mods & (Qt::AltModifier | Qt::MetaModifier))) {
                std::fill(Fselected.begin(), Fselected.end(), uint8_t(1));
                Repaint();
                return true;
            }
            [[fallthrough]];
        default: {
            // Typed characters go to OnKeyPress (the tree's jump to a letter); control
            // characters and keys without text are not the list's.
            const QString text = e->text();
            if (command || !OnKeyPress || text.isEmpty() || !text.at(0).isPrint()) return false;
            OnKeyPress(this, e);
            return true;
        }
    }
    if (command) return false;
    const bool extend = MultiSelect && shift;
    if (!extend) ClearSelection();
    MoveTo(target);
    if (extend && range && old >= 0 && FitemIndex >= 0) {
        const int from = std::min(old, FitemIndex), to = std::max(old, FitemIndex);
        for (int i = from; i <= to; ++i) Fselected[size_t(i)] = 1;
    }
    Repaint();
    return true;
}

void TcustomTouchListBox::keyPressEvent(QKeyEvent* e) {
    // A key the list does not use goes on to its parents (and so to the window).
    if (!ListKey(e)) e->ignore();
}

void TcustomTouchListBox::keyReleaseEvent(QKeyEvent* e) {
    if (OnKeyUp) OnKeyUp(this, e);
}

void TcustomTouchListBox::wheelEvent(QWheelEvent* e) {
    SyncRows();
    const int delta = e->angleDelta().y();
    if (delta > 0)
        SetTopIndex(FtopIndex - 1);
    else if (delta < 0)
        SetTopIndex(FtopIndex + 1);
    e->accept();
}

void TcustomTouchListBox::FocusEntered() {
    Ffocused = true;
    Repaint();
    if (OnEnter) OnEnter(this);
}

void TcustomTouchListBox::focusInEvent(QFocusEvent*) {
    if (!Ffocused) FocusEntered();
}

void TcustomTouchListBox::focusOutEvent(QFocusEvent*) {
    Ffocused = false;
    Repaint();
    if (OnExit) OnExit(this);
}

void TcustomTouchListBox::resizeEvent(QResizeEvent*) {
    // A list made taller shows the rows it now has room for: the first row moves up so
    // no rows stay hidden above an empty space below.
    if (FtopIndex > MaxTopIndex()) SetTopIndex(MaxTopIndex());
    Repaint();
    FireRangeChange();
}

bool TcustomTouchListBox::event(QEvent* e) {
    // The scroller of a swipe: the rows are the content, scrolled a whole row at a time.
    if (e->type() == QEvent::ScrollPrepare) {
        auto* prepare = static_cast<QScrollPrepareEvent*>(e);
        SyncRows();
        if (MaxTopIndex() <= 0) {
            prepare->ignore();
            return true;
        }
        prepare->setViewportSize(QSizeF(size()));
        prepare->setContentPosRange(QRectF(0, 0, 0, double(MaxTopIndex()) * FitemHeight));
        prepare->setContentPos(QPointF(0, double(FtopIndex) * FitemHeight));
        prepare->accept();
        return true;
    }
    if (e->type() == QEvent::Scroll) {
        const auto* scroll = static_cast<QScrollEvent*>(e);
        SetTopIndex(int(std::lround(scroll->contentPos().y() / FitemHeight)));
        return true;
    }
    // The list wants the plain movement keys for itself; with Ctrl, Alt or Meta they stay
    // the window's shortcuts.
    if (e->type() == QEvent::ShortcutOverride &&
        !(static_cast<QKeyEvent*>(e)->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        auto* key = static_cast<QKeyEvent*>(e);
        switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                e->accept();
                return true;
            default:
                break;
        }
    }
    return QWidget::event(e);
}

// ---- TtouchTreeView ----

TtouchTreeView::TtouchTreeView(QWidget* parent)
    : TcustomTouchListBox(parent), Fmodel(std::make_unique<TmyTreeModel>()) {
    Fmodel->OnChange = [this](TObject*) { RebuildVisible(); };
}

TtouchTreeView::~TtouchTreeView() {
    Fmodel->OnChange = nullptr;
}

void TtouchTreeView::RebuildVisible() {
    // The model rebuilds its rows in one go, so the count is set once (a bound scroll
    // bar hears of the new range once). The current node and the node on top keep their
    // places where they are still shown: a branch filled while the finger is elsewhere in
    // the tree (a large genre's artists, made on a thread) does not throw it back to the top.
    const std::vector<int> kept = Fmodel->RebuildKeeping({ItemIndex(), TopIndex()});
    SetCountKeeping(Fmodel->VisibleCount(), kept[0], kept[1]);
}

void TtouchTreeView::SyncRows() {
    // A change inside an update bracket (or an expansion made on a node directly) left
    // the rows stale: they are rebuilt before anything reads them.
    if (Fmodel->Stale() || Fmodel->VisibleCount() != Count()) RebuildVisible();
}

TmyNode* TtouchTreeView::GetVisibleNode(int i) {
    SyncRows();
    return i >= 0 && i < Count() ? Fmodel->GetVisibleNode(i) : nullptr;
}

TmyNode* TtouchTreeView::GetSelectedNode() {
    return GetVisibleNode(ItemIndex());
}

void TtouchTreeView::SelectNode(TmyNode* node, bool expand) {
    SyncRows();
    const int row = Fmodel->RowOf(node);
    if (row < 0) return;
    BeginUpdate();
    SetItemIndex(row);
    if (expand) ExpandCurrent(false, true);
    EndUpdate();
}

void TtouchTreeView::ExpandCurrent(bool toggle, bool value) {
    SyncRows();
    if (!GetVisibleNode(ItemIndex())) return;
    BeginUpdate();
    BeginItemIndexChange();
    BeginScroll();
    const TtreeRowPosition pos = Fmodel->ExpandRow(ItemIndex(), toggle, value, TopIndex(), VisibleRowCount());
    SetCount(Fmodel->VisibleCount());
    SetItemIndex(pos.ItemIndex);
    SetTopIndex(pos.TopIndex);
    EndScroll();
    EndItemIndexChange();
    EndUpdate();
}

void TtouchTreeView::mousePressEvent(QMouseEvent* e) {
    BeginItemIndexChange();
    // A press on a parent node opens or closes it.
    if (ListPress(e) && ItemIndex() >= 0) ExpandCurrent(true, false);
    EndItemIndexChange();
}

void TtouchTreeView::mouseReleaseEvent(QMouseEvent* e) {
    TcustomTouchListBox::mouseReleaseEvent(e);
}

void TtouchTreeView::keyPressEvent(QKeyEvent* e) {
    SyncRows();
    TmyNode* node = GetSelectedNode();
    if (node && e->key() == Qt::Key_Left) {
        if (node->HasChildren() && node->Expanded())
            ExpandCurrent(false, false);
        else if (node->Parent())
            SetItemIndex(Fmodel->RowOf(node->Parent()));
        return;
    }
    if (node && e->key() == Qt::Key_Right) {
        if (node->HasChildren() && node->Expanded())
            SetItemIndex(ItemIndex() + 1);
        else if (node->HasChildren())
            ExpandCurrent(false, true);
        return;
    }
    if (!ListKey(e)) e->ignore();
}

void TtouchTreeView::PaintItem(int index, const QRect& rect, TtouchListItemState state, QPainter& canvas) {
    if (OnPaintItem) {
        OnPaintItem(this, index, rect, canvas, state);
        return;
    }
    // Plain rows: the caption after an indent and an open/closed mark.
    const TmyNode* node = Fmodel->GetVisibleNode(index);
    if (!node) return;
    const QPalette& pal = palette();
    if (InItemState(state, lisSelected)) canvas.fillRect(rect, pal.color(QPalette::Highlight));
    canvas.setPen(pal.color(InItemState(state, lisSelected) ? QPalette::HighlightedText : QPalette::Text));
    const int x = rect.left() + 4 + node->Level() * Indent;
    const QRect mark(x, rect.top(), Indent, rect.height());
    if (node->HasChildren()) canvas.drawText(mark, Qt::AlignCenter, node->Expanded() ? "-" : "+");
    const QRect text(x + Indent, rect.top(), rect.right() - x - Indent, rect.height());
    canvas.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(node->Caption));
}

}  // namespace tunecrest
