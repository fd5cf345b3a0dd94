#pragma once
// A grid of equal cells that its owner paints one by one (the album-cover grid). Each
// cell is a paint region; with image regions every cell owns an image getter sized to
// the cell, so it fetches and scales its own picture in the background. The grid moves
// its focus with the arrow and page keys (optionally only onto cells holding data),
// reports clicks on cells, and asks its owner to turn the page with page keys and the
// mouse wheel.
//
// Cells are painted only inside the grid's paint: OnPaintRegion runs there, with
// Canvas() set and clipped to the cell. A region that changes outside the paint (a
// picture arrived, data set, a new size) asks for a repaint of its cell, never paints
// itself, so a picture request made from OnPaintRegion cannot start a fetch/paint loop.
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QWidget>

#include "core/tags/audio_tag.h"
#include "core/display/color.h"
#include "core/base/event_lists.h"
#include "playback/bitmap.h"

class QPainter;

namespace tunecrest {

class TimageGetter;

class TpaintRegion : public TObject {
public:
    TpaintRegion() = default;
    ~TpaintRegion() override = default;
    TpaintRegion(const TpaintRegion&) = delete;
    TpaintRegion& operator=(const TpaintRegion&) = delete;

    int Left() const { return Fleft; }
    int Top() const { return Ftop; }
    int Width() const { return Fwidth; }
    int Height() const { return Fheight; }
    Trect Rect() const { return {Fleft, Ftop, Fleft + Fwidth, Ftop + Fheight}; }
    // Stores the rectangle and reports the change.
    void SetRect(const Trect& r);
    bool ContainsPoint(int x, int y) const;

    // What the cell shows; nullptr is an empty cell.
    void* Data() const { return Fdata; }
    void SetData(void* data) { Fdata = data; }

    // While locked, Changed does nothing.
    bool Locked() const { return Flocked; }
    void SetLocked(bool locked) { Flocked = locked; }

    // Reports a change unless locked.
    virtual void Changed();
    // Fires OnChange.
    virtual void DoChange();

    TNotifyEvent OnChange;

private:
    int Fleft = 0, Ftop = 0, Fwidth = 0, Fheight = 0;
    void* Fdata = nullptr;
    bool Flocked = false;
};

// A region with its own picture, fetched and fitted to the cell in the background.
class TimagePaintRegion : public TpaintRegion {
public:
    TimagePaintRegion();
    ~TimagePaintRegion() override;

    TimageGetter& ImageGetter() { return *Fgetter; }
    // Gives the getter the cell's size, then reports the change.
    void Changed() override;

    // Fetches `source` (an address or a picture file) for this cell, unless that very
    // picture was already asked for at the cell's present size: owners may call this
    // on every paint. The region reports a change when the picture arrives.
    void GetImage(const std::string& source);
    // The same for a track's cover.
    void GetCoverImage(const TaudioTagPtr& track);
    // Drops the picture and the request.
    void ClearImage();

    // The last picture, fitted into the cell; null when there is none.
    const QImage& Picture();

private:
    bool SameRequest(const std::string& source, const TaudioTagPtr& track) const;
    void NoteRequest(const std::string& source, const TaudioTagPtr& track);

    std::unique_ptr<TimageGetter> Fgetter;
    bool Frequested = false;
    std::string FrequestedSource;
    TaudioTagPtr FrequestedTrack;  // the track whose picture is shown (held while it is)
    int FrequestedWidth = 0, FrequestedHeight = 0;
    QImage Fpicture;
    bool FpictureStale = true;
};

using TpaintRegionEvent = std::function<void(TObject* Sender, TpaintRegion* p)>;

class TpaintRegionContainer : public QWidget, public TObject {
    Q_OBJECT
public:
    explicit TpaintRegionContainer(QWidget* parent = nullptr);
    ~TpaintRegionContainer() override;

    int XCount() const { return FxCount; }
    int YCount() const { return FyCount; }
    // A value above 0 rebuilds the matrix; 0 or less is ignored.
    void SetXCount(int x);
    void SetYCount(int y);
    bool UseImageRegions() const { return FuseImageRegions; }
    void SetUseImageRegions(bool use);
    bool RegionOnlyFocusOnData() const { return FregionOnlyFocusOnData; }
    void SetRegionOnlyFocusOnData(bool only);
    bool WantPageEvents() const { return FwantPageEvents; }
    void SetWantPageEvents(bool want) { FwantPageEvents = want; }
    // Tracks the region under the pointer (HotRegion) and repaints as it changes.
    bool TrackMouse() const { return FtrackMouse; }
    void SetTrackMouse(bool track);
    TpaintRegion* HotRegion() const { return Fhot; }
    // Colour behind the cells, and behind the focused cell (framed in a lighter shade
    // while the grid has the input focus).
    TColor Color() const { return Fcolor; }
    void SetColor(TColor color);
    TColor FocusColor() const { return FfocusColor; }
    void SetFocusColor(TColor color);

    int RegionCount() const { return int(Fregions.size()); }
    // nullptr when out of range.
    TpaintRegion* GetRegion(int index) const;
    // The first region containing the point, or nullptr.
    TpaintRegion* RegionAt(int x, int y) const;
    Trect CellRect(int index) const;
    void ClearRegionData();
    int FocusedIndex() const;
    TpaintRegion* FocusedRegion() const { return Ffocused; }
    // Moves the focus (see the .cpp for the rules at the ends and with data-only focus).
    void SetFocusedRegion(int index);

    // Adds a region for `rect` (an image region with UseImageRegions).
    virtual TpaintRegion* AddRegion(const Trect& rect);
    // Rebuilds the cells as x by y; with 0 for either count only forgets the focused and
    // pressed regions and repaints.
    virtual void SetMatrix(int x, int y);
    // Gives every region its cell again (after a resize).
    void UpdateMatrix();
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    // The painter of the paint in progress; valid only inside OnPaintRegion.
    QPainter* Canvas() const { return Fcanvas; }

    TpaintRegionEvent OnPaintRegion;
    TpaintRegionEvent OnPaintRegionClick;
    TNotifyEvent OnPageUp;
    TNotifyEvent OnPageDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void RegionChanged(TpaintRegion* region);
    void RepaintRegion(const TpaintRegion* region);
    void PageUpRequest();
    void PageDownRequest();
    int SearchForward(int from) const;
    int SearchBackward(int from) const;
    void Focus(TpaintRegion* region);

    int FxCount = 3, FyCount = 3;
    bool FuseImageRegions = false;
    bool FregionOnlyFocusOnData = false;
    bool FwantPageEvents = false;
    bool FtrackMouse = false;
    TColor Fcolor = clBlack;
    TColor FfocusColor = RGBColor(0x2E, 0x7D, 0xD2);
    std::vector<std::unique_ptr<TpaintRegion>> Fregions;
    int FupdateCount = 0;
    TpaintRegion* Fpressed = nullptr;
    TpaintRegion* Ffocused = nullptr;
    TpaintRegion* Fhot = nullptr;
    bool FhasFocus = false;
    bool Fpainting = false;
    QPainter* Fcanvas = nullptr;
};

}  // namespace tunecrest
