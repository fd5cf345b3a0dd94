#pragma once
// The touch scroll bar. Lists and trees have no scroll bar of their own; their owner
// binds one of these (BindScrollBar): Max follows the list's MaxTopIndex, Position
// follows its TopIndex, and PositionChanged moves the list.
//
// The skin has three frames (normal, pressed, mask), side by side for a vertical bar
// and stacked for a horizontal one. Three white marker pixels along the first column
// (row) cut each frame into first button, thumb, track and second button.
#include <QImage>

#include "skin/apply_skin.h"
#include "skin/control_timer.h"
#include "skin/skin_parts.h"
#include "skin/skinned_control.h"

namespace tunecrest {

enum TmySkinScrollBarKind { msbVertical, msbHorizontal };

class TmySkinScrollBar : public TskinnedControl, public TskinColorTarget {
public:
    explicit TmySkinScrollBar(QWidget* parent = nullptr);
    ~TmySkinScrollBar() override;

    // The first repeated step of a held button or track comes this long after the press
    // (after the immediate first step); then one step every kRepeatInterval.
    static constexpr int kRepeatFirstDelay = 300;
    static constexpr int kRepeatInterval = 20;

    // Parts of the skin, in the order of `Rects`.
    enum Tpart { spFirstButton = 0, spThumb = 1, spTrack = 2, spSecondButton = 3 };
    // What a press holds: nothing or the track, a button, or the thumb.
    enum Tpressed { ppNone = 0, ppFirst = 1, ppSecond = 2, ppThumb = 3 };

    int Position() const { return Fposition; }
    // Clamped to Min..Max (ignored while Min > Max), repaints and fires PositionChanged,
    // also when the value did not change.
    void SetPosition(int value);
    // The same without PositionChanged: for owners that follow their list.
    void SetPositionSilently(int value);
    int Min() const { return Fmin; }
    void SetMin(int value);  // ignored above Max
    int Max() const { return Fmax; }
    void SetMax(int value);  // ignored below Min
    int SmallStep() const { return FsmallStep; }
    void SetSmallStep(int value) { FsmallStep = value < 1 ? 1 : value; }
    int LargeStep() const { return FlargeStep; }
    void SetLargeStep(int value) { FlargeStep = value < 1 ? 1 : value; }

    TmySkinScrollBarKind Kind() const { return Fkind; }
    void SetKind(TmySkinScrollBarKind kind);
    bool StretchDraw() const { return FstretchDraw; }
    void SetStretchDraw(bool value);
    bool DefaultStretchDraw() const { return FdefaultStretchDraw; }
    void SetDefaultStretchDraw(bool value) { FdefaultStretchDraw = value; }
    bool NoButton() const { return FnoButton; }
    void SetNoButton(bool value);

    TskinColors& ButtonSkinColors() { return FbuttonColors; }
    TskinColors& OuterSkinColors() { return FouterColors; }

    void AssignSkin(const TmySkinScrollBar& other);
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;

    int SkinWidth() const;
    int SkinHeight() const;
    const QImage& WorkingBitmap() const { return Fworking; }
    // The parts as cut from frame 0 of the skin; invalid rectangles without a usable skin.
    const std::array<TskinRect, 4>& Rects() const { return Frects; }

    // Geometry along the bar, in control pixels.
    int Length() const { return Fkind == msbVertical ? height() : width(); }
    int PartLength(Tpart part) const;
    // Room the thumb can travel: the bar less both buttons and the thumb (may be <= 0).
    int TrackLength() const;
    bool HasThumb() const { return Fmax - Fmin >= 1; }
    int ThumbStart() const;
    double DragPosition() const { return FdragPosition; }
    Tpressed PressedPart() const { return Fpressed; }
    int RepeatStep() const { return FrepeatStep; }
    bool IsRepeating() const { return Frepeat.IsActive(); }
    // Ends a press: no more steps.
    void CancelPress() override;

    TNotifyEvent PositionChanged;
    TNotifyEvent OnEnter, OnExit;

protected:
    void BuildSkin() override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int Along(QPoint p) const { return Fkind == msbVertical ? p.y() : p.x(); }
    int Across(QPoint p) const { return Fkind == msbVertical ? p.x() : p.y(); }
    // True when the mask is white at `along`/`across` within `part` (offset from the
    // part's start in the control).
    bool MaskAt(Tpart part, int along, int across) const;
    QRect FrameRect(Tpart part, int frame) const;
    void DrawPart(QPainter& p, Tpart part, int frame, int at) const;
    void StartRepeat(int step);
    void Step();

    TskinColors FbuttonColors, FouterColors;
    QImage Fworking, Fpaintable;
    QImage Ftrack;  // the track laid over the whole bar, kept per size
    std::array<TskinRect, 4> Frects{};
    TholdRepeat Frepeat;
    QPoint Fpress;
    int Fposition = 0, Fmin = 0, Fmax = 100, FsmallStep = 1, FlargeStep = 10;
    int FrepeatStep = 0;
    double FdragPosition = -1;
    Tpressed Fpressed = ppNone;
    TmySkinScrollBarKind Fkind = msbVertical;
    bool FstretchDraw = false, FdefaultStretchDraw = false, FnoButton = false;
};

// Binds `bar` to a list or tree with TopIndex(), SetTopIndex(int), MaxTopIndex() and the
// events OnScroll and OnRangeChange (handlers already set on the list keep running, before
// the bar follows). The bar's range and position follow the list without echoing back;
// moving the bar scrolls the list.
template <typename List>
void BindScrollBar(TmySkinScrollBar& bar, List& list)
{
    auto follow = [&bar, &list] {
        bar.SetMin(0);
        bar.SetMax(list.MaxTopIndex());
        bar.SetPositionSilently(list.TopIndex());
    };
    auto chain = [follow](TNotifyEvent previous) {
        return [previous, follow](TObject* sender) {
            if (previous) previous(sender);
            follow();
        };
    };
    list.OnScroll = chain(list.OnScroll);
    list.OnRangeChange = chain(list.OnRangeChange);
    bar.PositionChanged = [&bar, &list](TObject*) { list.SetTopIndex(bar.Position()); };
    follow();
}

}  // namespace tunecrest
