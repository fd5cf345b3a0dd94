#include "skin/skin_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tunecrest {

TnineSkinControl::TnineSkinControl(QWidget* parent) : TskinnedControl(parent) { WatchColors(Fcolors); }

void TnineSkinControl::SetStretchDraw(bool value)
{
    FstretchDraw = value;
    Rebuild();
}

int TnineSkinControl::SkinWidth() const { return Fworking.isNull() ? width() : SkinPartWidth(*this, Frects); }
int TnineSkinControl::SkinHeight() const { return Fworking.isNull() ? height() : SkinPartHeight(*this, Frects); }

void TnineSkinControl::BuildSkin()
{
    TskinColors none;
    ComputeSkinRects(EffectiveSkin(), Fworking, Frects, Fcolors, 1, none);
    Fpaintable = Fworking.isNull() ? QImage() : PaintableSkin(Fworking);
}

void TnineSkinControl::DrawSkinPart(QPainter& p, int left, int top, int right, int bottom) const
{
    if (Fpaintable.isNull()) {
        p.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), Qt::white);
        return;
    }
    DrawSkinParts(right, bottom, left, top, p, Fpaintable, Frects, FstretchDraw);
}

void TnineSkinControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    DrawSkinPart(p, 0, 0, width(), height());
}

TmySkinPanel::TmySkinPanel(QWidget* parent) : TnineSkinControl(parent) {}

TskinRect TmySkinPanel::GetMiddleRect() const
{
    const TskinRects& r = Rects();
    return {SkinRectWidth(r[0]), SkinRectHeight(r[0]), width() - SkinRectWidth(r[2]), height() - SkinRectHeight(r[6])};
}

void TmySkinPanel::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor, TColor)
{
    SkinColors().BeginUpdate();
    SkinColors().SetColor1(panelColor);
    SkinColors().SetColor2(buttonColor);
    SkinColors().EndUpdate();
}

TmySkinSplitter::TmySkinSplitter(QWidget* parent) : TnineSkinControl(parent) {}

void TmySkinSplitter::SetControl(QWidget* control, Qt::Orientation orientation)
{
    Fcontrol = control;
    Forientation = orientation;
    setCursor(orientation == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TmySkinSplitter::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor, TColor)
{
    SkinColors().BeginUpdate();
    SkinColors().SetColor1(panelColor);
    SkinColors().SetColor2(buttonColor);
    SkinColors().EndUpdate();
}

void TmySkinSplitter::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !Fcontrol) return;
    const QPoint global = e->globalPosition().toPoint();
    FpressAt = Forientation == Qt::Horizontal ? global.x() : global.y();
    FstartSize = Forientation == Qt::Horizontal ? Fcontrol->width() : Fcontrol->height();
}

void TmySkinSplitter::mouseMoveEvent(QMouseEvent* e)
{
    if (FpressAt < 0 || !Fcontrol) return;
    const QPoint global = e->globalPosition().toPoint();
    const int now = Forientation == Qt::Horizontal ? global.x() : global.y();
    const int size = std::max(FminSize, FstartSize + now - FpressAt);
    if (Forientation == Qt::Horizontal)
        Fcontrol->setFixedWidth(size);
    else
        Fcontrol->setFixedHeight(size);
}

void TmySkinSplitter::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || FpressAt < 0) return;
    FpressAt = -1;
    if (OnMoved) OnMoved(this);
}

TmySkinMultiButton::TmySkinMultiButton(QWidget* parent) : TskinnedControl(parent)
{
    WatchColors(FbuttonColors);
    WatchColors(FouterColors);
    setFocusPolicy(Qt::StrongFocus);
}

void TmySkinMultiButton::SetState(TmySkinMultiButtonState state)
{
    Fstate = state & 0x0F;
    update();
}

void TmySkinMultiButton::SelectButton(int index)
{
    if (index < 0 || index > 3) return;
    SetState(MultiButtonBit(index));
}

void TmySkinMultiButton::SetWantFocus(bool value)
{
    FwantFocus = value;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

int TmySkinMultiButton::SkinWidth() const
{
    const QImage& skin = EffectiveSkin();
    return skin.isNull() ? 0 : skin.width() / 4;
}

int TmySkinMultiButton::SkinHeight() const { return EffectiveSkin().isNull() ? 0 : EffectiveSkin().height(); }

void TmySkinMultiButton::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor, TColor)
{
    BeginUpdate();
    FbuttonColors.SetColor1(buttonColor);
    FouterColors.BeginUpdate();
    FouterColors.SetColor1(panelColor);
    FouterColors.SetColor2(buttonColor);
    FouterColors.EndUpdate();
    EndUpdate();
}

void TmySkinMultiButton::BuildSkin()
{
    Fnormal = QImage();
    FpressedLayer = {};
    FselectedLayer = {};
    const QImage& skin = EffectiveSkin();
    if (skin.isNull() || skin.width() < 4) {
        Fworking = QImage();
        return;
    }
    Fworking = skin.copy();
    RecolourSkinBitmap(Fworking, 4, FbuttonColors, FouterColors, false, kMultiButtonMask);
    const int fw = Fworking.width() / 4, h = Fworking.height();
    Fnormal = PaintableSkin(SkinFrame(Fworking, 4, 0));
    for (int i = 0; i < 4; ++i) {
        FpressedLayer[size_t(i)] = QImage(fw, h, QImage::Format_ARGB32_Premultiplied);
        FpressedLayer[size_t(i)].fill(Qt::transparent);
        FselectedLayer[size_t(i)] = FpressedLayer[size_t(i)];
    }
    // Each sub-button's layers hold the pressed and selected frames only over its own
    // mask colour, so painting is a few image copies.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < fw; ++x) {
            const TColor m = TripleToColor(SkinPixel(Fworking, 3 * fw + x, y));
            for (int i = 0; i < 4; ++i)
                if (m == kMultiButtonMask[size_t(i)]) {
                    const TcolorTriple a = SkinPixel(Fworking, fw + x, y), b = SkinPixel(Fworking, 2 * fw + x, y);
                    FpressedLayer[size_t(i)].setPixel(x, y, qRgb(a.R, a.G, a.B));
                    FselectedLayer[size_t(i)].setPixel(x, y, qRgb(b.R, b.G, b.B));
                    break;
                }
        }
}

int TmySkinMultiButton::SubButtonAt(QPoint point) const
{
    if (Fworking.isNull()) return -1;
    const int fw = Fworking.width() / 4;
    if (point.x() < 0 || point.y() < 0 || point.x() >= fw || point.y() >= Fworking.height()) return -1;
    const TColor m = TripleToColor(SkinPixel(Fworking, 3 * fw + point.x(), point.y()));
    for (int i = 0; i < 4; ++i)
        if (m == kMultiButtonMask[size_t(i)]) return i;
    return -1;
}

void TmySkinMultiButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Fnormal.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    if (Fnormal.width() < width() || Fnormal.height() < height()) p.fillRect(rect(), palette().window());
    p.drawImage(QPoint(0, 0), Fnormal);
    if (Fpressed >= 0) p.drawImage(QPoint(0, 0), FpressedLayer[size_t(Fpressed)]);
    for (int i = 0; i < 4; ++i)
        if ((Fstate & MultiButtonBit(i)) && i != Fpressed) p.drawImage(QPoint(0, 0), FselectedLayer[size_t(i)]);
}

void TmySkinMultiButton::Click()
{
    if (OnClick) OnClick(this);
}

void TmySkinMultiButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Fpressed = SubButtonAt(e->position().toPoint());
    if (FwantFocus) setFocus(Qt::MouseFocusReason);
    update();
    if (Fpressed >= 0 && OnMouseDown) OnMouseDown(this, e);
}

void TmySkinMultiButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const int over = SubButtonAt(e->position().toPoint());
    // Only a release on the sub-button that was pressed clicks: sliding a finger off it
    // (or onto it from elsewhere) does not.
    const bool click = over >= 0 && over == Fpressed;
    if (click) FlastClicked = over;
    Fpressed = -1;
    update();
    if (!click) return;
    Click();
    if (OnMouseUp) OnMouseUp(this, e);
}

void TmySkinMultiButton::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (!e->isAutoRepeat()) {
            Fpressed = 0;
            update();
        }
        return;
    }
    QWidget::keyPressEvent(e);
}

void TmySkinMultiButton::keyReleaseEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (!e->isAutoRepeat() && Fpressed >= 0) {
            FlastClicked = Fpressed;
            Fpressed = -1;
            update();
            Click();
        }
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TmySkinMultiButton::hideEvent(QHideEvent* e)
{
    Fpressed = -1;
    QWidget::hideEvent(e);
}

}  // namespace tunecrest
