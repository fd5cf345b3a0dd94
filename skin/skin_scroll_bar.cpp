#include "skin/skin_scroll_bar.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace tunecrest {

TmySkinScrollBar::TmySkinScrollBar(QWidget* parent) : TskinnedControl(parent)
{
    WatchColors(FbuttonColors);
    WatchColors(FouterColors);
    setFocusPolicy(Qt::StrongFocus);
}

TmySkinScrollBar::~TmySkinScrollBar() { Frepeat.Stop(); }

void TmySkinScrollBar::SetPosition(int value)
{
    if (Fmin > Fmax) return;
    SetPositionSilently(value);
    if (PositionChanged) PositionChanged(this);
}

void TmySkinScrollBar::SetPositionSilently(int value)
{
    if (Fmin > Fmax) return;
    Fposition = std::clamp(value, Fmin, Fmax);
    update();
}

void TmySkinScrollBar::SetMin(int value)
{
    if (value > Fmax) return;
    Fmin = value;
    update();
}

void TmySkinScrollBar::SetMax(int value)
{
    if (value < Fmin) return;
    Fmax = value;
    update();
}

void TmySkinScrollBar::SetKind(TmySkinScrollBarKind kind)
{
    Fkind = kind;
    Rebuild();
}

void TmySkinScrollBar::SetStretchDraw(bool value)
{
    FstretchDraw = value;
    Rebuild();
}

void TmySkinScrollBar::SetNoButton(bool value)
{
    FnoButton = value;
    update();
}

void TmySkinScrollBar::AssignSkin(const TmySkinScrollBar& other)
{
    BeginUpdate();
    SetDefaultSkinBitmap(other.DefaultSkinBitmap());
    SetSkinBitmap(other.SkinBitmap());
    FbuttonColors.Assign(other.FbuttonColors);
    FouterColors.Assign(other.FouterColors);
    EndUpdate();
}

void TmySkinScrollBar::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor, TColor)
{
    BeginUpdate();
    FbuttonColors.SetColor1(buttonColor);
    FouterColors.BeginUpdate();
    FouterColors.SetColor1(panelColor);
    FouterColors.SetColor2(buttonColor);
    FouterColors.EndUpdate();
    EndUpdate();
}

int TmySkinScrollBar::SkinWidth() const
{
    if (Fkind == msbHorizontal) return width();
    const QImage& skin = EffectiveSkin();
    return skin.isNull() ? 0 : skin.width() / 3;
}

int TmySkinScrollBar::SkinHeight() const
{
    if (Fkind == msbVertical) return height();
    const QImage& skin = EffectiveSkin();
    return skin.isNull() ? 0 : skin.height() / 3;
}

void TmySkinScrollBar::BuildSkin()
{
    Frects = {};
    Ftrack = QImage();
    Fpaintable = QImage();
    const QImage& skin = EffectiveSkin();
    const bool vertical = Fkind == msbVertical;
    if (skin.isNull() || (vertical ? skin.width() : skin.height()) < 3) {
        Fworking = QImage();
        return;
    }
    Fworking = skin.copy();
    const int frameAcross = vertical ? skin.width() / 3 : skin.height() / 3;
    const int length = vertical ? skin.height() : skin.width();
    // Markers on the template before recolouring; missing ones stand at the far end.
    int marks[3] = {length, length, length};
    for (int i = 0, found = 0; i < length && found < 3; ++i)
        if (IsMarkerPixel(vertical ? SkinPixel(skin, 0, i) : SkinPixel(skin, i, 0))) marks[found++] = i;
    const int starts[4] = {0, marks[0] + 1, marks[1] + 1, marks[2] + 1};
    const int ends[4] = {marks[0], marks[1], marks[2], length};
    for (int i = 0; i < 4; ++i)
        Frects[size_t(i)] = vertical ? TskinRect{0, starts[i], frameAcross, ends[i]}
                                     : TskinRect{starts[i], 0, ends[i], frameAcross};
    RecolourSkinBitmap(Fworking, 3, FbuttonColors, FouterColors, !vertical, kFaceMask);
    for (const TskinRect& r : Frects)
        if (!IsValidSkinRect(r)) {
            Fworking = QImage();
            Frects = {};
            return;
        }
    Fpaintable = PaintableSkin(Fworking);
}

QRect TmySkinScrollBar::FrameRect(Tpart part, int frame) const
{
    const TskinRect& r = Frects[size_t(part)];
    QRect q(r.Left, r.Top, SkinRectWidth(r), SkinRectHeight(r));
    if (Fkind == msbVertical)
        q.translate(frame * (Fworking.width() / 3), 0);
    else
        q.translate(0, frame * (Fworking.height() / 3));
    return q;
}

int TmySkinScrollBar::PartLength(Tpart part) const
{
    const TskinRect& r = Frects[size_t(part)];
    return Fkind == msbVertical ? SkinRectHeight(r) : SkinRectWidth(r);
}

int TmySkinScrollBar::TrackLength() const
{
    return Length() - PartLength(spFirstButton) - PartLength(spSecondButton) - PartLength(spThumb);
}

int TmySkinScrollBar::ThumbStart() const
{
    const int first = PartLength(spFirstButton);
    if (!HasThumb()) return first;
    const double p = FdragPosition >= 0 ? FdragPosition : Fposition;
    return first + int(std::lround((p - Fmin) / double(Fmax - Fmin) * TrackLength()));
}

bool TmySkinScrollBar::MaskAt(Tpart part, int along, int across) const
{
    const QRect r = FrameRect(part, 2);
    const int x = Fkind == msbVertical ? r.left() + across : r.left() + along;
    const int y = Fkind == msbVertical ? r.top() + along : r.top() + across;
    if (!r.contains(x, y)) return false;
    return SkinPixel(Fworking, x, y) == TcolorTriple{255, 255, 255};
}

void TmySkinScrollBar::DrawPart(QPainter& p, Tpart part, int frame, int at) const
{
    const QRect src = FrameRect(part, frame);
    p.drawImage(Fkind == msbVertical ? QPoint(0, at) : QPoint(at, 0), Fpaintable, src);
}

void TmySkinScrollBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Fworking.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    const bool vertical = Fkind == msbVertical;
    if (Ftrack.size() != size()) {
        // The track over the whole bar does not depend on the position: laid once per size.
        Ftrack = QImage(size(), QImage::Format_RGB32);
        Ftrack.fill(Qt::white);
        QPainter t(&Ftrack);
        const QRect src = FrameRect(spTrack, 0);
        const int step = vertical ? src.height() : src.width();
        if (FstretchDraw)
            t.drawImage(vertical ? QRect(0, 0, src.width(), height()) : QRect(0, 0, width(), src.height()),
                        Fpaintable, src);
        else
            for (int at = 0; at < Length(); at += step)
                t.drawImage(vertical ? QPoint(0, at) : QPoint(at, 0), Fpaintable, src);
    }
    p.drawImage(QPoint(0, 0), Ftrack);
    const bool hideFirst = vertical && FnoButton && Fposition == Fmin;
    const bool hideSecond = vertical && FnoButton && Fposition == Fmax;
    if (!hideFirst) DrawPart(p, spFirstButton, Fpressed == ppFirst ? 1 : 0, 0);
    if (!hideSecond)
        DrawPart(p, spSecondButton, Fpressed == ppSecond ? 1 : 0, Length() - PartLength(spSecondButton));
    if (HasThumb() && !(vertical && FnoButton)) DrawPart(p, spThumb, Fpressed == ppThumb ? 1 : 0, ThumbStart());
}

void TmySkinScrollBar::StartRepeat(int step)
{
    FrepeatStep = step;
    SetPosition(Fposition + step);
    Frepeat.Start(kRepeatFirstDelay, kRepeatInterval, [this] { Step(); });
}

void TmySkinScrollBar::Step()
{
    if (FrepeatStep == 0) {
        Frepeat.Stop();
        return;
    }
    const int before = Fposition;
    SetPosition(Fposition + FrepeatStep);
    // At the end of the range a held button has nothing more to do.
    if (Fposition == before) Frepeat.Stop();
}

void TmySkinScrollBar::CancelPress()
{
    Frepeat.Stop();
    FrepeatStep = 0;
    FdragPosition = -1;
    if (Fpressed == ppNone) return;
    Fpressed = ppNone;
    update();
}

void TmySkinScrollBar::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || Fworking.isNull()) return;
    FdragPosition = -1;
    setFocus(Qt::MouseFocusReason);
    Fpress = e->position().toPoint();
    const int along = Along(Fpress), across = Across(Fpress);
    const int first = PartLength(spFirstButton), second = PartLength(spSecondButton);
    const int thumb = ThumbStart();
    Fpressed = ppNone;
    if (along < first) {
        if (MaskAt(spFirstButton, along, across)) {
            Fpressed = ppFirst;
            StartRepeat(-FsmallStep);
        }
    } else if (along >= Length() - second) {
        if (MaskAt(spSecondButton, along - (Length() - second), across)) {
            Fpressed = ppSecond;
            StartRepeat(FsmallStep);
        }
    } else if (HasThumb() && along >= thumb && along < thumb + PartLength(spThumb) &&
               MaskAt(spThumb, along - thumb, across)) {
        Fpressed = ppThumb;
    } else {
        StartRepeat(along > thumb ? FlargeStep : -FlargeStep);
    }
    update();
}

void TmySkinScrollBar::mouseMoveEvent(QMouseEvent* e)
{
    if (Fpressed != ppThumb) {
        FdragPosition = -1;
        return;
    }
    const QPoint point = e->position().toPoint();
    const int along = Along(point), across = Across(point);
    const int first = PartLength(spFirstButton), second = PartLength(spSecondButton);
    const int acrossSize = Fkind == msbVertical ? width() : height();
    if (along < first || along >= Length() - second || across < 0 || across >= acrossSize) {
        FdragPosition = -1;
        update();
        return;
    }
    const int track = TrackLength();
    // A bar too short for its thumb has nowhere to drag it to.
    if (track <= 0 || !HasThumb()) return;
    const int start = ThumbStart() + (along - Along(Fpress));
    const double value = double(start - first) / track * (Fmax - Fmin) + Fmin;
    FdragPosition = std::clamp(value, double(Fmin), double(Fmax));
    Fpress = point;
    SetPosition(int(std::lround(FdragPosition)));
}

void TmySkinScrollBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Frepeat.Stop();
    FrepeatStep = 0;
    FdragPosition = -1;
    Fpressed = ppNone;
    update();
}

void TmySkinScrollBar::keyPressEvent(QKeyEvent* e)
{
    const int invert = Fkind == msbHorizontal ? -1 : 1;
    switch (e->key()) {
        case Qt::Key_Left: SetPosition(Fposition - FsmallStep); break;
        case Qt::Key_Right: SetPosition(Fposition + FsmallStep); break;
        case Qt::Key_Up: SetPosition(Fposition - invert * FsmallStep); break;
        case Qt::Key_Down: SetPosition(Fposition + invert * FsmallStep); break;
        case Qt::Key_PageUp: SetPosition(Fposition - invert * FlargeStep); break;
        case Qt::Key_PageDown: SetPosition(Fposition + invert * FlargeStep); break;
        case Qt::Key_End: SetPosition(Fmax); break;
        case Qt::Key_Home: SetPosition(Fmin); break;
        default: QWidget::keyPressEvent(e); return;
    }
}

void TmySkinScrollBar::wheelEvent(QWheelEvent* e)
{
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (delta > 0)
        SetPosition(Fposition - 1);
    else if (delta < 0)
        SetPosition(Fposition + 1);
    e->accept();
}

void TmySkinScrollBar::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    if (OnEnter) OnEnter(this);
}

void TmySkinScrollBar::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    // A popup or another window took over while a part was held: no release will come.
    CancelPress();
    if (OnExit) OnExit(this);
}

}  // namespace tunecrest
