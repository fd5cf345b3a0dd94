#include "skin/paint_regions.h"

#include <cstring>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/base/services.h"
#include "playback/image_getter.h"
#include "skin/qt_color.h"
#include "skin/skin_colors.h"

namespace tunecrest {

// ---- TpaintRegion

void TpaintRegion::SetRect(const Trect& r)
{
    Fleft = r.Left;
    Ftop = r.Top;
    Fwidth = r.Right - r.Left;
    Fheight = r.Bottom - r.Top;
    Changed();
}

bool TpaintRegion::ContainsPoint(int x, int y) const
{
    return x >= Fleft && x < Fleft + Fwidth && y >= Ftop && y < Ftop + Fheight;
}

void TpaintRegion::Changed()
{
    if (!Flocked) DoChange();
}

void TpaintRegion::DoChange()
{
    if (OnChange) OnChange(this);
}

// ---- TimagePaintRegion

TimagePaintRegion::TimagePaintRegion() : Fgetter(std::make_unique<TimageGetter>())
{
    Fgetter->Enlarge = true;
    Fgetter->OnChange = [this](TObject*) {
        FpictureStale = true;
        DoChange();
    };
}

TimagePaintRegion::~TimagePaintRegion()
{
    Fgetter->OnChange = nullptr;
}

void TimagePaintRegion::Changed()
{
    Fgetter->Rect = {0, 0, Width(), Height()};
    TpaintRegion::Changed();
}

bool TimagePaintRegion::SameRequest(const std::string& source, const TaudioTagPtr& track) const
{
    return Frequested && FrequestedSource == source && FrequestedTrack == track &&
           FrequestedWidth == Width() && FrequestedHeight == Height();
}

void TimagePaintRegion::NoteRequest(const std::string& source, const TaudioTagPtr& track)
{
    Frequested = true;
    FrequestedSource = source;
    FrequestedTrack = track;
    FrequestedWidth = Width();
    FrequestedHeight = Height();
}

void TimagePaintRegion::GetImage(const std::string& source)
{
    if (SameRequest(source, nullptr)) return;
    NoteRequest(source, nullptr);
    Fgetter->GetImage(source);
    FpictureStale = true;  // the old picture belongs to another request
}

void TimagePaintRegion::GetCoverImage(const TaudioTagPtr& track)
{
    if (!track) {
        GetImage("");
        return;
    }
    if (SameRequest("", track)) return;
    NoteRequest("", track);
    Fgetter->GetCoverImage(track);
    FpictureStale = true;
}

void TimagePaintRegion::ClearImage()
{
    Frequested = false;
    Fgetter->GetImage("");
}

const QImage& TimagePaintRegion::Picture()
{
    if (FpictureStale) {
        FpictureStale = false;
        const Tbitmap& b = Fgetter->Picture();
        Fpicture = QImage();
        if (!b.Empty()) {
            Fpicture = QImage(b.Width(), b.Height(), QImage::Format_RGB888);
            for (int y = 0; y < b.Height(); ++y)
                std::memcpy(Fpicture.scanLine(y), b.ScanLine(y), size_t(b.BytesPerLine()));
        }
    }
    return Fpicture;
}

// ---- TpaintRegionContainer

TpaintRegionContainer::TpaintRegionContainer(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetMatrix(FxCount, FyCount);
}

TpaintRegionContainer::~TpaintRegionContainer()
{
    for (auto& region : Fregions) region->OnChange = nullptr;
}

void TpaintRegionContainer::SetXCount(int x)
{
    if (x > 0) SetMatrix(x, FyCount);
}

void TpaintRegionContainer::SetYCount(int y)
{
    if (y > 0) SetMatrix(FxCount, y);
}

void TpaintRegionContainer::SetUseImageRegions(bool use)
{
    FuseImageRegions = use;
    SetMatrix(FxCount, FyCount);
}

void TpaintRegionContainer::SetRegionOnlyFocusOnData(bool only)
{
    FregionOnlyFocusOnData = only;
    UpdateMatrix();
}

void TpaintRegionContainer::SetTrackMouse(bool track)
{
    FtrackMouse = track;
    setMouseTracking(track);
    if (!track) Fhot = nullptr;
}

void TpaintRegionContainer::SetColor(TColor color)
{
    Fcolor = color;
    update();
}

void TpaintRegionContainer::SetFocusColor(TColor color)
{
    FfocusColor = color;
    update();
}

TpaintRegion* TpaintRegionContainer::GetRegion(int index) const
{
    return index >= 0 && index < RegionCount() ? Fregions[size_t(index)].get() : nullptr;
}

TpaintRegion* TpaintRegionContainer::RegionAt(int x, int y) const
{
    for (const auto& region : Fregions)
        if (region->ContainsPoint(x, y)) return region.get();
    return nullptr;
}

Trect TpaintRegionContainer::CellRect(int index) const
{
    const int column = index % FxCount, row = index / FxCount;
    const int cellWidth = width() / FxCount, cellHeight = height() / FyCount;
    const int left = cellWidth * column, top = cellHeight * row;
    return {left, top, left + cellWidth, top + cellHeight};
}

void TpaintRegionContainer::ClearRegionData()
{
    for (auto& region : Fregions) region->SetData(nullptr);
}

int TpaintRegionContainer::FocusedIndex() const
{
    for (int i = 0; i < RegionCount(); ++i)
        if (Fregions[size_t(i)].get() == Ffocused) return i;
    return -1;
}

TpaintRegion* TpaintRegionContainer::AddRegion(const Trect& rect)
{
    std::unique_ptr<TpaintRegion> region;
    if (FuseImageRegions)
        region = std::make_unique<TimagePaintRegion>();
    else
        region = std::make_unique<TpaintRegion>();
    TpaintRegion* added = region.get();
    Fregions.push_back(std::move(region));
    added->OnChange = [this](TObject* sender) { RegionChanged(static_cast<TpaintRegion*>(sender)); };
    added->SetRect(rect);
    return added;
}

void TpaintRegionContainer::SetMatrix(int x, int y)
{
    BeginUpdate();
    Fpressed = nullptr;
    Ffocused = nullptr;
    if (x >= 1 && y >= 1) {
        FxCount = x;
        FyCount = y;
        Fhot = nullptr;
        Fregions.clear();
        for (int i = 0; i < x * y; ++i) AddRegion(CellRect(i));
    }
    EndUpdate();
}

void TpaintRegionContainer::UpdateMatrix()
{
    Fpressed = nullptr;
    BeginUpdate();
    for (int i = 0; i < RegionCount(); ++i) Fregions[size_t(i)]->SetRect(CellRect(i));
    EndUpdate();
}

void TpaintRegionContainer::EndUpdate()
{
    if (--FupdateCount < 1) {
        FupdateCount = 0;
        update();
    }
}

void TpaintRegionContainer::RegionChanged(TpaintRegion* region)
{
    // Inside the grid's own paint the change is what is being painted; outside it the
    // cell is scheduled for a repaint (the whole grid follows at EndUpdate).
    if (Fpainting || FupdateCount > 0) return;
    RepaintRegion(region);
}

void TpaintRegionContainer::RepaintRegion(const TpaintRegion* region)
{
    if (region) update(region->Left(), region->Top(), region->Width(), region->Height());
}

void TpaintRegionContainer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(Fcolor));
    if (FupdateCount > 0) return;
    Fpainting = true;
    Fcanvas = &painter;
    for (const auto& region : Fregions) {
        const QRect cell(region->Left(), region->Top(), region->Width(), region->Height());
        if (cell.isEmpty()) continue;
        painter.save();
        painter.setClipRect(cell);
        if (region.get() == Ffocused) {
            // The focused cell stands on the focus colour; with the input focus it is
            // framed too, so a keyboard user sees where the arrows act.
            painter.fillRect(cell, ToQColor(FfocusColor));
            if (FhasFocus) {
                painter.setPen(QPen(ToQColor(LightenColor(FfocusColor, 45)), 3));
                painter.drawRect(cell.adjusted(1, 1, -2, -2));
            }
        }
        try {
            if (OnPaintRegion) OnPaintRegion(this, region.get());
        } catch (const std::exception& e) {
            LogError(std::string("Painting a cell failed: ") + e.what());
        }
        painter.restore();
    }
    Fcanvas = nullptr;
    Fpainting = false;
}

void TpaintRegionContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateMatrix();
}

void TpaintRegionContainer::PageUpRequest()
{
    if (FwantPageEvents && OnPageUp) OnPageUp(this);
}

void TpaintRegionContainer::PageDownRequest()
{
    if (FwantPageEvents && OnPageDown) OnPageDown(this);
}

int TpaintRegionContainer::SearchForward(int from) const
{
    for (int i = std::max(from, 0); i < RegionCount(); ++i)
        if (Fregions[size_t(i)]->Data()) return i;
    return -1;
}

int TpaintRegionContainer::SearchBackward(int from) const
{
    for (int i = std::min(from, RegionCount() - 1); i >= 0; --i)
        if (Fregions[size_t(i)]->Data()) return i;
    return -1;
}

// Past the last region: a page-down request, then the first region (with data-only
// focus the first holding data). Before the first: a page-up request, then the last
// (searched backwards for data). With data-only focus an empty target is skipped in the
// direction of the move, turning the page when the search runs off the end. With no
// region holding data every move ends with no focused region.
void TpaintRegionContainer::SetFocusedRegion(int index)
{
    const int count = RegionCount();
    const int current = FocusedIndex();
    int target;
    if (index >= count) {
        PageDownRequest();
        target = FregionOnlyFocusOnData ? SearchForward(0) : 0;
    } else if (index < 0) {
        PageUpRequest();
        target = count - 1;
        if (FregionOnlyFocusOnData) target = SearchBackward(target);
    } else {
        target = index;
        if (FregionOnlyFocusOnData && !Fregions[size_t(index)]->Data()) {
            if (index >= current) {
                target = SearchForward(index);
                if (target < 0) {
                    PageDownRequest();
                    target = SearchForward(0);
                }
            } else {
                target = SearchBackward(index);
                if (target < 0) {
                    PageUpRequest();
                    target = SearchBackward(count - 1);
                }
            }
        }
    }
    Focus(GetRegion(target));
    if (Ffocused && OnPaintRegionClick) OnPaintRegionClick(this, Ffocused);
}

void TpaintRegionContainer::Focus(TpaintRegion* region)
{
    if (region == Ffocused) return;
    RepaintRegion(Ffocused);
    Ffocused = region;
    RepaintRegion(Ffocused);
}

void TpaintRegionContainer::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp: SetFocusedRegion(-1); break;
    case Qt::Key_PageDown: SetFocusedRegion(RegionCount()); break;
    case Qt::Key_Left: SetFocusedRegion(FocusedIndex() - 1); break;
    case Qt::Key_Right: SetFocusedRegion(FocusedIndex() + 1); break;
    case Qt::Key_Up: SetFocusedRegion(FocusedIndex() - FxCount); break;
    case Qt::Key_Down: SetFocusedRegion(FocusedIndex() + FxCount); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TpaintRegionContainer::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta > 0)
        PageUpRequest();
    else if (delta < 0)
        PageDownRequest();
    event->accept();
}

void TpaintRegionContainer::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    Fpressed = RegionAt(p.x(), p.y());
    QWidget::mousePressEvent(event);
}

void TpaintRegionContainer::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    TpaintRegion* region = RegionAt(p.x(), p.y());
    TpaintRegion* pressed = Fpressed;
    Fpressed = nullptr;
    if (region && region == pressed && !(FregionOnlyFocusOnData && !region->Data())) {
        Focus(region);
        if (OnPaintRegionClick) OnPaintRegionClick(this, region);
    }
    QWidget::mouseReleaseEvent(event);
}

void TpaintRegionContainer::mouseMoveEvent(QMouseEvent* event)
{
    if (FtrackMouse) {
        const QPoint p = event->position().toPoint();
        TpaintRegion* hot = RegionAt(p.x(), p.y());
        if (hot != Fhot) {
            RepaintRegion(Fhot);
            Fhot = hot;
            RepaintRegion(Fhot);
        }
    }
    QWidget::mouseMoveEvent(event);
}

void TpaintRegionContainer::focusInEvent(QFocusEvent* event)
{
    FhasFocus = true;
    update();
    QWidget::focusInEvent(event);
}

void TpaintRegionContainer::focusOutEvent(QFocusEvent* event)
{
    FhasFocus = false;
    update();
    QWidget::focusOutEvent(event);
}

}  // namespace tunecrest
