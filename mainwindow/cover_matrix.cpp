#include "mainwindow/cover_matrix.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QRadialGradient>

#include "playback/image_getter.h"
#include "skin/html_text.h"
#include "skin/paint_regions.h"
#include "skin/qt_color.h"
#include "skin/fitted_text.h"
#include "skin/screen_fonts.h"
#include "skin/skin_scroll_bar.h"

namespace tunecrest {

namespace {
constexpr int kMargin = 2;
constexpr int kPicturePad = 8;

// Each channel moved `step` towards the middle grey.
TColor TowardsGrey(TColor color, int step) {
    const QColor c = ToQColor(color);
    auto move = [step](int v) { return v > 128 ? std::max(128, v - step) : std::min(128, v + step); };
    return RGBColor(uint8_t(move(c.red())), uint8_t(move(c.green())), uint8_t(move(c.blue())));
}
}  // namespace

QImage NoCoverPicture(int size) {
    // A record in its sleeve: reads as "album" at any size without a word of text.
    QImage image(size, size, QImage::Format_RGB888);
    image.fill(QColor(0x2A, 0x30, 0x3A));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QRadialGradient groove(QPointF(s / 2, s / 2), s * 0.42);
    groove.setColorAt(0.0, QColor(0x30, 0x30, 0x34));
    groove.setColorAt(0.7, QColor(0x14, 0x14, 0x18));
    groove.setColorAt(1.0, QColor(0x0A, 0x0A, 0x0C));
    p.setPen(Qt::NoPen);
    p.setBrush(groove);
    p.drawEllipse(QPointF(s / 2, s / 2), s * 0.42, s * 0.42);
    p.setPen(QPen(QColor(0x3A, 0x3A, 0x40), std::max(1.0, s / 160)));
    p.setBrush(Qt::NoBrush);
    for (qreal r = 0.2; r < 0.4; r += 0.045) p.drawEllipse(QPointF(s / 2, s / 2), s * r, s * r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2E, 0x7D, 0xD2));
    p.drawEllipse(QPointF(s / 2, s / 2), s * 0.13, s * 0.13);
    p.setBrush(QColor(0x0A, 0x0A, 0x0C));
    p.drawEllipse(QPointF(s / 2, s / 2), s * 0.02, s * 0.02);
    return image;
}

TcoverMatrixView::TcoverMatrixView(TpaintRegionContainer& matrix, const TfontContainer& fonts)
    : Fmatrix(matrix), Ffonts(fonts), FnoCover(NoCoverPicture(256)) {
    Fmatrix.SetUseImageRegions(true);
    Fmatrix.SetRegionOnlyFocusOnData(true);
    Fmatrix.SetWantPageEvents(true);
    Fmatrix.OnPaintRegion = [this](TObject*, TpaintRegion* region) { PaintCell(region); };
    Fmatrix.OnPaintRegionClick = [this](TObject*, TpaintRegion* region) {
        for (int i = 0; i < Fmatrix.RegionCount(); ++i)
            if (Fmatrix.GetRegion(i) == region) {
                if (auto album = AlbumOfCell(i); album && OnAlbumClick) OnAlbumClick(album);
            }
    };
    Fmatrix.OnPageUp = [this](TObject*) { PageUp(); };
    Fmatrix.OnPageDown = [this](TObject*) { PageDown(); };
    Fmatrix.installEventFilter(this);
}

bool TcoverMatrixView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &Fmatrix && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].unicode() < 128 && text[0].isLetterOrNumber() &&
            JumpToChar(char(text[0].unicode())))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

TcoverMatrixView::~TcoverMatrixView() {
    Fmatrix.removeEventFilter(this);
    Fmatrix.OnPaintRegion = nullptr;
    Fmatrix.OnPaintRegionClick = nullptr;
    Fmatrix.OnPageUp = nullptr;
    Fmatrix.OnPageDown = nullptr;
    if (Fbar) Fbar->PositionChanged = nullptr;
}

void TcoverMatrixView::BindScrollBar(TmySkinScrollBar* bar) {
    if (Fbar) Fbar->PositionChanged = nullptr;
    Fbar = bar;
    if (!Fbar) return;
    Fbar->PositionChanged = [this](TObject*) { ShowFrom(Fbar->Position() * std::max(1, RegionCount())); };
    FollowBar();
}

void TcoverMatrixView::FollowBar() {
    if (!Fbar) return;
    const int regions = std::max(1, RegionCount());
    const int pages = (int(Falbums.size()) + regions - 1) / regions;
    Fbar->SetMin(0);
    Fbar->SetMax(std::max(0, pages - 1));
    Fbar->SetPositionSilently(Ffirst / regions);
}

int TcoverMatrixView::RegionCount() const {
    return Fmatrix.RegionCount();
}

TaudioTagAlbumPtr TcoverMatrixView::AlbumOfCell(int cell) const {
    const int index = Ffirst + cell;
    if (cell < 0 || cell >= RegionCount() || index < 0 || index >= int(Falbums.size())) return nullptr;
    return Falbums[size_t(index)];
}

void TcoverMatrixView::SetAlbums(TcoverAlbums albums) {
    Falbums = std::move(albums);
    Ffirst = 0;
    RefreshCoverArt();
}

void TcoverMatrixView::ShowFrom(int first) {
    Ffirst = first;
    RefreshCoverArt();
}

void TcoverMatrixView::RefreshCoverArt() {
    const int regions = RegionCount();
    Ffirst = ClampFirstCover(Ffirst, int(Falbums.size()), regions);
    Fmatrix.BeginUpdate();
    for (int i = 0; i < regions; ++i) {
        auto* region = static_cast<TimagePaintRegion*>(Fmatrix.GetRegion(i));
        const TaudioTagAlbumPtr album = AlbumOfCell(i);
        region->SetData(album.get());
        TimageGetter& getter = region->ImageGetter();
        getter.CoverFolder = CoverFolder;
        getter.CoverFolderOnly = CoverFolderOnly;
        getter.CoverFileFirst = CoverFileFirst;
        getter.CoverUseEmbedded = true;
        getter.Enlarge = true;
        // The fetch starts now, on the cell's worker; the cell repaints when it is back.
        if (album && album->Count() > 0)
            region->GetCoverImage(album->GetTag(0));
        else
            region->ClearImage();
    }
    Fmatrix.EndUpdate();
    FollowBar();
}

bool TcoverMatrixView::ShowAlbum(const TaudioTagAlbum* album) {
    for (size_t i = 0; i < Falbums.size(); ++i)
        if (Falbums[i].get() == album) {
            const int regions = std::max(1, RegionCount());
            ShowFrom(int(i) / regions * regions);
            Fmatrix.SetFocusedRegion(int(i) - Ffirst);
            return true;
        }
    return false;
}

void TcoverMatrixView::PageUp() {
    ShowFrom(Ffirst - RegionCount());
}
void TcoverMatrixView::PageDown() {
    ShowFrom(Ffirst + RegionCount());
}

bool TcoverMatrixView::JumpToChar(char ch) {
    const int page = CoverPageForChar(Falbums, ch, RegionCount());
    if (page < 0) return false;
    ShowFrom(page);
    return true;
}

void TcoverMatrixView::PaintCell(TpaintRegion* region) {
    QPainter* canvas = Fmatrix.Canvas();
    if (!canvas || !region) return;
    const QRect cell(region->Left(), region->Top(), region->Width(), region->Height());
    const bool focused = region == Fmatrix.FocusedRegion() && region->Data();
    TColor back = ListColor(Ffonts, Fmatrix.hasFocus() ? lcBackgroundFocused : lcBackground);
    if (focused) {
        back = ListColor(Ffonts, lcHighlightFontBackground);
        if (!Fmatrix.hasFocus()) back = TowardsGrey(back, 30);
    }
    canvas->fillRect(cell, ToQColor(back));
    auto* album = static_cast<TaudioTagAlbum*>(region->Data());
    if (!album) return;
    // Asked again at every paint: a cell resized since the last request fetches its
    // picture at the new size (the same request at the same size is not repeated).
    if (album->Count() > 0) static_cast<TimagePaintRegion*>(region)->GetCoverImage(album->GetTag(0));
    const QRect inner = cell.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const TFont font = ListFont(Ffonts, lfnDetails);
    const int lineHeight = QFontMetrics(ScreenFont(font)).boundingRect(QStringLiteral("Yy")).height() + 2;
    const int lines = CaptionLines >= 2 ? 2 : 1;
    const QRect picture = inner.adjusted(kPicturePad, kPicturePad, -kPicturePad, -lines * lineHeight - 6);
    QImage image = static_cast<TimagePaintRegion*>(region)->Picture();
    if (image.isNull()) image = FnoCover;
    if (picture.width() > 8 && picture.height() > 8) {
        const QSize fitted = image.size().scaled(picture.size(), Qt::KeepAspectRatio);
        const QRect target(picture.left() + (picture.width() - fitted.width()) / 2,
                           picture.top() + (picture.height() - fitted.height()) / 2, fitted.width(),
                           fitted.height());
        canvas->setRenderHint(QPainter::SmoothPixmapTransform);
        // A soft shadow lifts the sleeve off the panel.
        canvas->fillRect(target.translated(3, 3), QColor(0, 0, 0, 90));
        canvas->drawImage(target, image);
    }
    std::vector<std::string> texts;
    if (lines == 2) texts.push_back(CoverArtistLine(*album));
    texts.push_back(album->Title().empty() ? "[]" : album->Title());
    int top = inner.bottom() - lines * lineHeight - 2;
    const QFont screen = ScreenFont(font);
    for (size_t i = 0; i < texts.size(); ++i, top += lineHeight) {
        const QRect line(inner.left() + 4, top, inner.width() - 8, lineHeight);
        QFont f = screen;
        f.setBold(i + 1 == texts.size());
        // A long name is drawn smaller before it is shortened.
        const TfittedText fitted = FitText(QString::fromStdString(texts[i]), f, line.width(), line.height(), false);
        f.setPixelSize(fitted.PixelSize);
        canvas->setFont(f);
        canvas->setPen(focused ? ToQColor(ListColor(Ffonts, lcHighlightFontColor)) : ToQColor(font.Color));
        canvas->drawText(line, Qt::AlignCenter | Qt::TextSingleLine, fitted.Text);
    }
}

}  // namespace tunecrest
