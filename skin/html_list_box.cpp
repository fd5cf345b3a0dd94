#include "skin/html_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {
constexpr int kTextMargin = 2;
}

ThtmlListBox::ThtmlListBox(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    SetLFont(TFont{});
}

void ThtmlListBox::SetHTMLListBoxStyle(ThtmlListBoxStyle value) {
    Fstyle = value;
    ItemsChanged();
}

void ThtmlListBox::SetItems(std::vector<std::string> items) {
    Fitems = std::move(items);
    ItemsChanged();
}

void ThtmlListBox::ItemsChanged() {
    if (FitemIndex >= Count()) FitemIndex = Count() - 1;
    UpdateScrollBar();
    viewport()->update();
}

int ThtmlListBox::Count() const {
    return Fstyle == hlbsData ? Fcount : int(Fitems.size());
}

void ThtmlListBox::SetCount(int value) {
    Fcount = std::max(0, value);
    ItemsChanged();
}

std::string ThtmlListBox::ItemText(int index) const {
    if (index < 0 || index >= Count()) return {};
    if (Fstyle == hlbsNormal) return Fitems[size_t(index)];
    std::string text;
    if (OnData) OnData(const_cast<ThtmlListBox*>(this), index, text);
    return text;
}

void ThtmlListBox::SetItemIndex(int value) {
    value = std::clamp(value, -1, Count() - 1);
    if (value == FitemIndex) return;
    FitemIndex = value;
    if (value >= 0) {
        // Keep the chosen row in view.
        if (value < TopIndex())
            SetTopIndex(value);
        else if (value >= TopIndex() + VisibleRows())
            SetTopIndex(value - VisibleRows() + 1);
    }
    viewport()->update();
}

int ThtmlListBox::TopIndex() const {
    return verticalScrollBar()->value();
}

void ThtmlListBox::SetTopIndex(int value) {
    verticalScrollBar()->setValue(value);
}

void ThtmlListBox::SetLFont(const TFont& value) {
    Ffont = value;
    FitemHeight = std::max(16, int(std::lround(value.Size * 1.6)));
    UpdateScrollBar();
    viewport()->update();
}

void ThtmlListBox::SetShowHighlight(bool value) {
    FshowHighlight = value;
    viewport()->update();
}

void ThtmlListBox::SetColor(TColor value) {
    Fcolor = value;
    viewport()->update();
}

void ThtmlListBox::SetImages(TimageList* value) {
    Fimages = value;
    viewport()->update();
}

int ThtmlListBox::VisibleRows() const {
    return std::max(1, viewport()->height() / FitemHeight);
}

int ThtmlListBox::ItemAtPos(const QPoint& pos) const {
    if (pos.y() < 0) return -1;
    const int index = TopIndex() + pos.y() / FitemHeight;
    return index < Count() ? index : -1;
}

void ThtmlListBox::UpdateScrollBar() {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, Count() - VisibleRows()));
    bar->setPageStep(VisibleRows());
    bar->setSingleStep(1);
}

void ThtmlListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

void ThtmlListBox::scrollContentsBy(int, int) {
    viewport()->update();
    if (OnScrolled) OnScrolled(this);
}

void ThtmlListBox::mousePressEvent(QMouseEvent* event) {
    const int index = ItemAtPos(event->position().toPoint());
    if (index >= 0) SetItemIndex(index);
    QAbstractScrollArea::mousePressEvent(event);
}

void ThtmlListBox::keyPressEvent(QKeyEvent* event) {
    const int page = VisibleRows();
    switch (event->key()) {
        case Qt::Key_Up:
            SetItemIndex(std::max(0, FitemIndex - 1));
            break;
        case Qt::Key_Down:
            SetItemIndex(FitemIndex + 1);
            break;
        case Qt::Key_PageUp:
            SetItemIndex(std::max(0, FitemIndex - page));
            break;
        case Qt::Key_PageDown:
            SetItemIndex(FitemIndex + page);
            break;
        case Qt::Key_Home:
            SetItemIndex(0);
            break;
        case Qt::Key_End:
            SetItemIndex(Count() - 1);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
}

void ThtmlListBox::PaintRow(QPainter& painter, int index, const QRect& row) {
    if (Frow.size() != row.size()) Frow = QImage(row.size(), QImage::Format_RGB888);
    const bool highlighted = index == FitemIndex && FshowHighlight;
    Frow.fill(ScreenColor(highlighted ? clHighlight : Fcolor));
    QPainter rowPainter(&Frow);
    int textLeft = kTextMargin;
    if (Fimages) {
        int image = -1;
        const auto& handler = index == FitemIndex ? OnGetSelectedImageIndex : OnGetImageIndex;
        if (handler) handler(this, index, image);
        Fimages->Draw(rowPainter, 0, (row.height() - Fimages->Height()) / 2, image);
        textLeft += Fimages->Width();
    }
    Ftext = ItemText(index);
    Flayout.Layout(Ftext, Ffont);
    Flayout.Draw(rowPainter, QRect(textLeft, 0, row.width() - textLeft - kTextMargin, row.height()),
                 Qt::AlignVCenter, highlighted, clHighlightText);
    rowPainter.end();
    painter.drawImage(row.topLeft(), Frow);
}

void ThtmlListBox::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int width = viewport()->width();
    int y = 0;
    for (int index = TopIndex(); index < Count() && y < viewport()->height(); ++index, y += FitemHeight)
        PaintRow(painter, index, QRect(0, y, width, FitemHeight));
    if (y < viewport()->height())
        painter.fillRect(QRect(0, y, width, viewport()->height() - y), ScreenColor(Fcolor));
}

}  // namespace tunecrest
