#include "skin/form_button.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "skin/qt_color.h"
#include "skin/skin_parts.h"

namespace tunecrest {

TformButton::TformButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    FbuttonColors.OnChange = [this](TObject*) { Rebuild(); };
    FouterColors.OnChange = [this](TObject*) { Rebuild(); };
}

void TformButton::SetSkinBitmap(const QImage& bitmap)
{
    Fskin = ToSkinBitmap(bitmap);
    Rebuild();
}

void TformButton::SetCaption(const std::string& caption)
{
    Fcaption = caption;
    update();
}

void TformButton::SetShowCaption(bool value)
{
    FshowCaption = value;
    update();
}

void TformButton::SetFont(const QFont& font)
{
    Ffont = font;
    update();
}

void TformButton::SetFontColor(TColor color)
{
    FfontColor = color;
    update();
}

void TformButton::SetGlyph(const QImage& glyph)
{
    Fglyph = glyph.copy();
    update();
}

void TformButton::SetWantFocus(bool value)
{
    FwantFocus = value;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

void TformButton::EndUpdate()
{
    FupdateCount = FupdateCount > 1 ? FupdateCount - 1 : 0;
    if (FupdateCount == 0) Rebuild();
}

void TformButton::AssignSkin(const TformButton& other, bool assignFont)
{
    BeginUpdate();
    FbuttonColors.Assign(other.FbuttonColors);
    FouterColors.Assign(other.FouterColors);
    FfontColor = other.FfontColor;
    FcheckedFontColor = other.FcheckedFontColor;
    if (assignFont) Ffont = other.Ffont;
    EndUpdate();
}

void TformButton::ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor)
{
    BeginUpdate();
    FbuttonColors.SetColor1(buttonColor);
    FouterColors.SetColor1(panelColor);
    FouterColors.SetColor2(buttonColor);
    FcheckedFontColor = checkedFontColor;
    FfontColor = fontColor;
    EndUpdate();
}

void TformButton::Rebuild()
{
    if (FupdateCount > 0) return;
    if (Fskin.isNull()) {
        Fworking = QImage();
    } else {
        QImage working = Fskin;
        RecolourSkinBitmap(working, 3, FbuttonColors, FouterColors, false, kFaceMask);
        Fworking = PaintableSkin(working);
    }
    update();
}

void TformButton::Click()
{
    if (OnClick) OnClick(this);
}

void TformButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    if (!Fworking.isNull()) {
        // The frame cut into 3 x 3 cells: corners keep their size (up to half the
        // button), edges and the centre stretch.
        const int fw = Fworking.width() / 3, fh = Fworking.height();
        const int x0 = Fpressed ? fw : 0;
        const int cw = std::min(fw / 3, r.width() / 2), ch = std::min(fh / 3, r.height() / 2);
        const int sx[4] = {0, cw, fw - cw, fw}, sy[4] = {0, ch, fh - ch, fh};
        const int dx[4] = {0, cw, r.width() - cw, r.width()}, dy[4] = {0, ch, r.height() - ch, r.height()};
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawImage(QRect(dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]), Fworking,
                            QRect(x0 + sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]));
    } else {
        p.fillRect(r, ToQColor(FbuttonColors.Color1()));
        p.setPen(ToQColor(DarkenColor(FbuttonColors.Color1(), 40)));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const QPoint shift = Fpressed ? QPoint(1, 1) : QPoint();
    if (!Fglyph.isNull()) {
        QImage glyph = Fglyph.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ToQRgb(FglyphTransparentColor) | 0xFF000000u;
        for (int y = 0; y < glyph.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
            for (int x = 0; x < glyph.width(); ++x)
                if ((line[x] | 0xFF000000u) == key) line[x] = 0;
        }
        p.drawImage(r.center() - glyph.rect().center() + shift, glyph);
    } else if (FshowCaption && !Fcaption.empty()) {
        p.setFont(Ffont);
        p.setPen(ToQColor(FfontColor));
        // "&&" shows one ampersand, as captions with accelerators do.
        QString text = QString::fromStdString(Fcaption);
        text.replace("&&", "&");
        p.drawText(r.translated(shift), Qt::AlignCenter | Qt::TextWordWrap, text);
    }
}

void TformButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Fpressed = true;
    update();
}

void TformButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const bool wasPressed = Fpressed;
    Fpressed = false;
    update();
    if (!wasPressed || !rect().contains(e->position().toPoint())) return;
    if (OnMouseUp) OnMouseUp(this, e);
    Click();
}

void TformButton::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace tunecrest
