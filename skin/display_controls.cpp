#include "skin/display_controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <QFontMetrics>
#include <QPainter>

#include "playback/bitmap.h"
#include "skin/fitted_text.h"
#include "skin/html_text.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

TScrollBanner3::TScrollBanner3(QWidget* parent) : QWidget(parent), Ftimer(MakeControlTimer())
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(100, 20);
    Ftimer->OnTimer = [this] { Tick(); };
}

void TScrollBanner3::SetColor(TColor color)
{
    Fcolor = color;
    Recalc();
}

void TScrollBanner3::SetFont(const TFont& font)
{
    Ffont = font;
    Recalc();
}

void TScrollBanner3::SetCaption(const std::string& caption)
{
    Fcaption = caption;
    Foffset = 0;
    Recalc();
}

void TScrollBanner3::SetSpaces(uint32_t spaces)
{
    // A count far beyond any screen's width is only a very long run of blanks.
    Fspaces = std::min<uint32_t>(spaces, 1000);
    Recalc();
}

void TScrollBanner3::SetScrollDelay(int milliseconds)
{
    Finterval = std::max(0, milliseconds);
    if (Finterval == 0) SetCaption(Fcaption);
    UpdateTimer();
}

void TScrollBanner3::SetScrollEnabled(bool value)
{
    FscrollEnabled = value;
    SetCaption(Fcaption);
    UpdateTimer();
}

void TScrollBanner3::UpdateTimer()
{
    if (FscrollEnabled && Finterval > 0)
        Ftimer->Start(Finterval);
    else
        Ftimer->Stop();
}

void TScrollBanner3::EndUpdate()
{
    if (--FupdateCount < 1) {
        FupdateCount = 0;
        Recalc();
    }
}

std::string TScrollBanner3::DisplayText() const { return Fcaption + std::string(Fspaces, ' '); }

void TScrollBanner3::Recalc()
{
    if (FupdateCount > 0) return;
    FtextWidth = std::max(MeasureHTMLText(DisplayText(), Ffont).width(), width());
    if (FtextWidth > 0 && -Foffset > FtextWidth) Foffset += FtextWidth;
    FitStillText();
    update();
}

void TScrollBanner3::FitStillText()
{
    FstillText = Fcaption;
    FstillScale = 1.0;
    const int room = width();
    if (Moving() || room <= 0 || Fcaption.empty()) return;
    const int whole = MeasureHTMLText(Fcaption, Ffont).width();
    if (whole <= room) return;
    // A pixel to spare: glyphs drawn at a scale round a little differently.
    FstillScale = std::max(kFittedMinScale, double(room - 1) / whole);
    if (whole * FstillScale <= room - 1) return;
    FstillText = ElideHTMLText(Fcaption, Ffont, int((room - 1) / FstillScale));
}

void TScrollBanner3::Tick()
{
    Foffset -= FscrollInc;
    if (FtextWidth > 0 && -Foffset > FtextWidth) Foffset += FtextWidth;
    update();
}

void TScrollBanner3::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Recalc();
}

void TScrollBanner3::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(Fcolor));
    if (Foffset == 0 && !Moving()) {
        p.scale(FstillScale, FstillScale);
        DrawHTMLText(p, FstillText, QRect(0, 0, int(width() / FstillScale) + 1, int(height() / FstillScale)), Ffont,
                     Qt::AlignVCenter);
        return;
    }
    const std::string text = DisplayText();
    const QRect r(0, 0, FtextWidth, height());
    if (Foffset == 0) {
        DrawHTMLText(p, text, r, Ffont, Qt::AlignVCenter);
        return;
    }
    DrawHTMLText(p, text, r.translated(Foffset, 0), Ffont, Qt::AlignVCenter);
    DrawHTMLText(p, text, r.translated(Foffset + FtextWidth, 0), Ffont, Qt::AlignVCenter);
}

std::string DigitalDisplayText(int seconds)
{
    if (seconds == 0) return "  0:00";
    const long long value = std::llabs(static_cast<long long>(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%c%2lld:%2.2lld", seconds < 0 ? '-' : ' ', value / 60, value % 60);
    return text;
}

TdigitalDisplay::TdigitalDisplay(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(40, 20);
}

void TdigitalDisplay::SetSeconds(int seconds)
{
    Fseconds = seconds;
    Ftext = DigitalDisplayText(seconds);
    update();
}

void TdigitalDisplay::SetBackColor(TColor color)
{
    FbackColor = color;
    update();
}

void TdigitalDisplay::SetFont(const TFont& font)
{
    Ffont = font;
    update();
}

void TdigitalDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(FbackColor));
    const QFont font = ScreenFont(Ffont);
    p.setFont(font);
    p.setPen(ScreenColor(Ffont.Color));
    const QFontMetrics metrics(font);
    const int cell = metrics.horizontalAdvance(QLatin1Char('0'));
    const int count = int(Ftext.size());
    const int left = (width() - cell * count) / 2;
    for (int i = 0; i < count; ++i)
        p.drawText(QRect(left + i * cell, 0, cell, height()), Qt::AlignCenter, QString(QChar(Ftext[size_t(i)])));
}

TtouchBitmap::TtouchBitmap(QWidget* parent) : QWidget(parent) {}

void TtouchBitmap::Changed()
{
    Fcache = QImage();
    update();
}

void TtouchBitmap::SetPicture(const QImage& picture)
{
    Fpicture = picture.copy();
    Changed();
}

void TtouchBitmap::SetColor(TColor color)
{
    Fcolor = color;
    Changed();
}

void TtouchBitmap::SetStyle(TtouchBitmapStyle style)
{
    Fstyle = style;
    Changed();
}

void TtouchBitmap::SetAlignment(TtouchBitmapAlignment value)
{
    Falignment = value;
    Changed();
}

void TtouchBitmap::SetVertAlignment(TtouchBitmapAlignment value)
{
    FvertAlignment = value;
    Changed();
}

QRect TtouchBitmap::PictureRect() const
{
    if (Fpicture.isNull() || Fpicture.width() == 0 || Fpicture.height() == 0) return QRect();
    switch (Fstyle) {
        case tbsStretch:
        case tbsTile: return rect();
        case tbsMaintainAspect: break;
    }
    auto align = [](TtouchBitmapAlignment a) { return a == tbaCenter ? 1 : a == tbaRightBottom ? 2 : 0; };
    const TpictureSize fitted = FitPictureSize(Fpicture.width(), Fpicture.height(), width(), height());
    const Trect r = PlacePicture({0, 0, width(), height()}, fitted, align(Falignment), align(FvertAlignment));
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

void TtouchBitmap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(Fcolor));
    const QRect target = PictureRect();
    if (target.isEmpty()) return;
    if (Fstyle == tbsTile) {
        for (int y = 0; y < height(); y += Fpicture.height())
            for (int x = 0; x < width(); x += Fpicture.width()) p.drawImage(QPoint(x, y), Fpicture);
        return;
    }
    // Scaled once per size and kept: a repaint only copies.
    if (Fcache.size() != target.size())
        Fcache = Fpicture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.drawImage(target.topLeft(), Fcache);
}

}  // namespace tunecrest
