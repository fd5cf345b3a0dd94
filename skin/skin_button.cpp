#include "skin/skin_button.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "skin/fitted_text.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

QImage StretchButtonSkin(const QImage& skin, int frames, QSize size)
{
    const int W = size.width(), H = size.height();
    if (skin.isNull() || frames < 1 || W < 1 || H < 1) return QImage();
    const int fw = skin.width() / frames, cw = fw / 3, ch = skin.height() / 3;
    if (cw < 1 || ch < 1) return QImage();
    QImage out(W * frames, H, QImage::Format_BGR888);
    out.fill(Qt::black);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int f = 0; f < frames; ++f) {
        const int x0 = f * W;
        p.setClipRect(x0, 0, W, H);
        auto put = [&](int x, int y, int cx, int cy) {
            p.drawImage(QPoint(x0 + x, y), skin, QRect(f * fw + cx * cw, cy * ch, cw, ch));
        };
        put(0, 0, 0, 0);
        for (int y = ch; y < H - ch; y += ch) put(0, y, 0, 1);
        put(0, H - ch, 0, 2);
        for (int x = cw; x < W - cw; x += cw) put(x, 0, 1, 0);
        for (int y = ch; y < H - ch; y += ch)
            for (int x = cw; x < W - cw; x += cw) put(x, y, 1, 1);
        for (int x = cw; x < W - cw; x += cw) put(x, H - ch, 1, 2);
        put(W - cw, 0, 2, 0);
        for (int y = ch; y < H - ch; y += ch) put(W - cw, y, 2, 1);
        put(W - cw, H - ch, 2, 2);
    }
    p.end();
    return out;
}

TmySkinButton::TmySkinButton(QWidget* parent) : TskinnedControl(parent)
{
    WatchColors(FbuttonColors);
    WatchColors(FouterColors);
    setFocusPolicy(Qt::StrongFocus);
    Ffont.Color = clBlack;
    FscreenFont = ScreenFont(Ffont);
}

TmySkinButton::~TmySkinButton() { Frepeat.Stop(); }

void TmySkinButton::SetIsCheckButton(bool value)
{
    FisCheckButton = value;
    if (!value) Fchecked = false;
    Rebuild();
}

void TmySkinButton::SetChecked(bool value)
{
    Fchecked = FisCheckButton && value;
    update();
}

void TmySkinButton::SetDown(bool value)
{
    Fdown = value;
    update();
}

void TmySkinButton::SetIsStretchButton(bool value)
{
    FisStretchButton = value;
    Rebuild();
}

void TmySkinButton::SetPanelButtonSkin(bool value)
{
    FpanelButtonSkin = value;
    Rebuild();
}

void TmySkinButton::SetFont(const TFont& font)
{
    Ffont = font;
    FscreenFont = ScreenFont(font);
    Rebuild();
}

void TmySkinButton::SetFontColor(TColor color)
{
    Ffont.Color = color;
    Rebuild();
}

void TmySkinButton::SetCheckedFontColor(TColor color)
{
    FcheckedFontColor = color;
    Rebuild();
}

void TmySkinButton::SetHighlightFontColor(TColor color)
{
    FhighlightFontColor = color;
    Rebuild();
}

void TmySkinButton::SetCaption(const std::string& caption)
{
    Fcaption = caption;
    if (FshowCaption) Rebuild();
}

void TmySkinButton::SetShowCaption(bool value)
{
    FshowCaption = value;
    Rebuild();
}

void TmySkinButton::SetGlyph(const QImage& glyph)
{
    Fglyph = glyph.copy();
    SetGlyphTransparentColor(FglyphTransparentColor);
}

void TmySkinButton::SetGlyphTransparentColor(TColor color)
{
    FglyphTransparentColor = color;
    // The see-through glyph is made once here, not at each paint.
    FglyphPaint = QImage();
    if (!Fglyph.isNull()) {
        FglyphPaint = Fglyph.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ToQRgb(color) & 0xFFFFFF;
        for (int y = 0; y < FglyphPaint.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(FglyphPaint.scanLine(y));
            for (int x = 0; x < FglyphPaint.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
        }
    }
    Rebuild();
}

void TmySkinButton::SetWantFocus(bool value)
{
    FwantFocus = value;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
    Rebuild();
}

void TmySkinButton::AssignSkin(const TmySkinButton& other, bool assignFont)
{
    BeginUpdate();
    FbuttonColors.Assign(other.FbuttonColors);
    FouterColors.Assign(other.FouterColors);
    if (assignFont) {
        Ffont = other.Ffont;
        FscreenFont = other.FscreenFont;
    }
    Ffont.Color = other.Ffont.Color;
    FcheckedFontColor = other.FcheckedFontColor;
    EndUpdate();
}

void TmySkinButton::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor,
                                    TColor fontColor)
{
    BeginUpdate();
    FbuttonColors.SetColor1(buttonColor);
    FouterColors.BeginUpdate();
    FouterColors.SetColor1(panelColor);
    FouterColors.SetColor2(buttonColor);
    FouterColors.EndUpdate();
    FcheckedFontColor = checkedFontColor;
    Ffont.Color = fontColor;
    // A tapped button takes the focus: its caption stays in the skin's font colour.
    FhighlightFontColor = fontColor;
    EndUpdate();
}

int TmySkinButton::SkinWidth() const
{
    const QImage& skin = EffectiveSkin();
    return skin.isNull() ? 0 : skin.width() / FrameCount();
}

int TmySkinButton::SkinHeight() const
{
    const QImage& skin = EffectiveSkin();
    return skin.isNull() ? 0 : skin.height();
}

void TmySkinButton::BuildSkin()
{
    Fframes.clear();
    FscaledIndex = -1;
    FscaledFrame = QImage();
    Frects = {};
    const QImage& skin = EffectiveSkin();
    const int frames = FrameCount();
    if (skin.isNull() || skin.width() < frames) {
        Fworking = QImage();
        return;
    }
    if (FpanelButtonSkin) {
        ComputeSkinRects(skin, Fworking, Frects, FbuttonColors, 3, FouterColors);
    } else {
        Fworking = FisStretchButton ? StretchButtonSkin(skin, frames, size()) : skin.copy();
        RecolourSkinBitmap(Fworking, frames, FbuttonColors, FouterColors, false, kFaceMask);
    }
    if (Fworking.isNull()) return;
    for (int f = 0; f + 1 < frames; ++f) Fframes.push_back(PaintableSkin(SkinFrame(Fworking, frames, f)));
}

bool TmySkinButton::IsPointInButton(QPoint point) const
{
    if (Fworking.isNull() || FpanelButtonSkin) return true;
    const int frames = FrameCount();
    const int fw = Fworking.width() / frames, fh = Fworking.height();
    if (fw < 1 || width() < 1 || height() < 1) return true;
    if (point.x() < 0 || point.y() < 0 || point.x() >= width() || point.y() >= height()) return false;
    // The frame is drawn stretched over the whole control: probe the mask at the pixel
    // the pressed point was drawn from.
    const int x = int(int64_t(point.x()) * fw / width());
    const int y = int(int64_t(point.y()) * fh / height());
    return SkinPixel(Fworking, (frames - 1) * fw + x, y) == TcolorTriple{255, 255, 255};
}

int TmySkinButton::CurrentFrame() const
{
    if (FpanelButtonSkin) return Fpressed ? 1 : 0;
    if (FisCheckButton && Fchecked) return Fpressed ? 3 : 2;
    return Fpressed || Fdown ? 1 : 0;
}

TColor TmySkinButton::CaptionColor() const
{
    // A checked face keeps its own caption colour, focused or not: the focus colour is
    // made for the normal face and may not read on the checked one.
    if (!FpanelButtonSkin && FisCheckButton && Fchecked) return FcheckedFontColor;
    if (hasFocus()) return FhighlightFontColor;
    return Ffont.Color;
}

namespace {
// Lines wrap a little inside the edges, so that they stay on a rounded face.
QRect CaptionRoom(const QRect& rect)
{
    const int margin = std::min(8, rect.width() / 10);
    return rect.adjusted(margin, 0, -margin, 0);
}
}  // namespace

void TmySkinButton::PaintCaption(QPainter& p, TColor color, int flags)
{
    if (!FshowCaption || Fcaption.empty()) return;
    // A caption too long for the face is drawn smaller rather than cut.
    const QRect room = CaptionRoom(rect());
    const TfittedText fitted =
        FitText(QString::fromStdString(Fcaption), FscreenFont, room.width(), room.height(), true);
    QFont font = FscreenFont;
    if (fitted.PixelSize != QFontInfo(FscreenFont).pixelSize()) font.setPixelSize(fitted.PixelSize);
    p.setFont(font);
    p.setPen(ScreenColor(color));
    p.drawText(room, flags, fitted.Text);
}

bool TmySkinButton::CaptionFits() const
{
    if (!FshowCaption || Fcaption.empty()) return true;
    const QRect room = CaptionRoom(rect());
    return !FitText(QString::fromStdString(Fcaption), FscreenFont, room.width(), room.height(), true).Shortened;
}

void TmySkinButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Fframes.empty()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    const int frame = std::min<int>(CurrentFrame(), int(Fframes.size()) - 1);
    const QImage& image = Fframes[size_t(frame)];
    if (FpanelButtonSkin) {
        DrawSkinParts(width(), height(), 0, 0, p, image, Frects, false);
        PaintCaption(p, CaptionColor(), Qt::AlignCenter | Qt::TextWordWrap);
        return;
    }
    if (image.size() == size()) {
        p.drawImage(QPoint(0, 0), image);
    } else {
        // Drawn at another size: scaled once and kept until the size or frame changes.
        if (FscaledIndex != frame || FscaledFrame.size() != size()) {
            FscaledFrame = image.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
            FscaledIndex = frame;
        }
        p.drawImage(QPoint(0, 0), FscaledFrame);
    }
    if (!FglyphPaint.isNull())
        p.drawImage(QPoint((width() - FglyphPaint.width()) / 2, (height() - FglyphPaint.height()) / 2), FglyphPaint);
    PaintCaption(p, CaptionColor(), Qt::AlignCenter | Qt::TextWordWrap);
}

void TmySkinButton::Click()
{
    if (FisCheckButton) Fchecked = !Fchecked;
    update();
    if (OnClick) OnClick(this);
}

void TmySkinButton::CancelPress()
{
    Frepeat.Stop();
    if (!Fpressed) return;
    Fpressed = false;
    update();
}

void TmySkinButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Flast = e->position().toPoint();
    Fpressed = IsPointInButton(Flast);
    if (Fpressed && FwantFocus) setFocus(Qt::MouseFocusReason);
    update();
    if (!Fpressed) return;
    if (OnMouseDown) OnMouseDown(this, e);
    if (FisTriggerButton)
        Frepeat.Start(kTriggerFirstDelay, FtriggerDelay, [this] {
            if (Fpressed) Click();
        });
}

void TmySkinButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Flast = e->position().toPoint();
    const bool wasPressed = Fpressed;
    Fpressed = false;
    Frepeat.Stop();
    update();
    if (!wasPressed) return;
    if (OnMouseUp) OnMouseUp(this, e);
    if (IsPointInButton(Flast)) Click();
}

void TmySkinButton::mouseMoveEvent(QMouseEvent* e)
{
    if (OnMouseMove) OnMouseMove(this, e);
}

void TmySkinButton::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (!e->isAutoRepeat()) {
            Fpressed = true;
            update();
        }
        return;
    }
    QWidget::keyPressEvent(e);
}

void TmySkinButton::keyReleaseEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (!e->isAutoRepeat() && Fpressed) {
            Fpressed = false;
            Click();
        }
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TmySkinButton::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    if (OnEnter) OnEnter(this);
    update();
}

void TmySkinButton::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    CancelPress();
    if (OnExit) OnExit(this);
    update();
}

void TmySkinButton::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (FisStretchButton) Rebuild();
}

void TmySkinButton::hideEvent(QHideEvent* e)
{
    CancelPress();
    QWidget::hideEvent(e);
}

void TmySkinButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled()) CancelPress();
    QWidget::changeEvent(e);
}

bool TmySkinButton::event(QEvent* e)
{
    if (e->type() == QEvent::UngrabMouse || e->type() == QEvent::WindowDeactivate) CancelPress();
    return TskinnedControl::event(e);
}

}  // namespace tunecrest
