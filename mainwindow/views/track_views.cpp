#include "mainwindow/views/track_views.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "core/jukebox/global_prefs.h"
#include "core/tags/media_kinds.h"
#include "core/display/tag_list_display_settings.h"
#include "core/library/url_list.h"
#include "skin/html_text.h"
#include "skin/image_list.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

constexpr int kIconSize = 28;
constexpr int kIconLeft = 10;
constexpr int kTextLeft = kIconLeft + kIconSize + 12;

// One icon drawn from code: a light glyph on a transparent square, read on any list colour.
QImage DrawIcon(int index) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0xD8, 0xE0, 0xEA);
    const QColor accent(0xF0, 0xB4, 0x48);
    const qreal s = kIconSize;
    auto folder = [&](bool open) {
        QPainterPath path;
        path.moveTo(s * 0.1, s * 0.28);
        path.lineTo(s * 0.4, s * 0.28);
        path.lineTo(s * 0.48, s * 0.36);
        path.lineTo(s * 0.9, s * 0.36);
        path.lineTo(s * 0.9, s * 0.8);
        path.lineTo(s * 0.1, s * 0.8);
        path.closeSubpath();
        p.setPen(QPen(ink, 1.6));
        p.setBrush(open ? QColor(accent.red(), accent.green(), accent.blue(), 160) : QColor(0, 0, 0, 0));
        p.drawPath(path);
    };
    auto disc = [&](bool open) {
        p.setPen(QPen(ink, 1.6));
        p.setBrush(open ? accent : QColor(0, 0, 0, 0));
        p.drawEllipse(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76));
        p.setBrush(ink);
        p.drawEllipse(QRectF(s * 0.42, s * 0.42, s * 0.16, s * 0.16));
    };
    auto note = [&](const QColor& c) {
        p.setPen(QPen(c, 2.2));
        p.drawLine(QPointF(s * 0.62, s * 0.18), QPointF(s * 0.62, s * 0.7));
        p.drawLine(QPointF(s * 0.62, s * 0.18), QPointF(s * 0.84, s * 0.3));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRectF(s * 0.3, s * 0.6, s * 0.34, s * 0.24));
    };
    switch (index) {
        case liFolder:
            folder(false);
            break;
        case liFolderOpen:
        case liFolderSelected:
            folder(true);
            break;
        case liEmpty:
            p.setPen(QPen(ink, 1.6, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), 3, 3);
            break;
        case liAlbum:
            disc(false);
            break;
        case liAlbumOpen:
        case liArtistAlbum:
            disc(true);
            break;
        case liPlaylist:
        case liActivePlaylist:
            p.setPen(QPen(index == liActivePlaylist ? accent : ink, 2.2));
            for (int i = 0; i < 3; ++i)
                p.drawLine(QPointF(s * 0.14, s * (0.3 + 0.2 * i)), QPointF(s * 0.62, s * (0.3 + 0.2 * i)));
            p.setPen(Qt::NoPen);
            p.setBrush(index == liActivePlaylist ? accent : ink);
            p.drawPolygon(QPolygonF(
                {QPointF(s * 0.7, s * 0.5), QPointF(s * 0.9, s * 0.62), QPointF(s * 0.7, s * 0.74)}));
            break;
        case liTrack:
            note(ink);
            break;
        case liVideo:
            p.setPen(QPen(ink, 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(s * 0.1, s * 0.24, s * 0.8, s * 0.52), 3, 3);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPolygon(QPolygonF(
                {QPointF(s * 0.42, s * 0.36), QPointF(s * 0.64, s * 0.5), QPointF(s * 0.42, s * 0.64)}));
            break;
        case liKaraoke:
            p.setPen(QPen(accent, 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(s * 0.5, s * 0.12, s * 0.34, s * 0.34));
            p.drawLine(QPointF(s * 0.56, s * 0.42), QPointF(s * 0.2, s * 0.84));
            break;
        case liStation:
            p.setPen(QPen(ink, 2.0));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8), 30 * 16, 120 * 16);
            p.drawArc(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5), 30 * 16, 120 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(accent);
            p.drawEllipse(QRectF(s * 0.42, s * 0.42, s * 0.16, s * 0.16));
            p.setPen(QPen(ink, 2.0));
            p.drawLine(QPointF(s * 0.5, s * 0.58), QPointF(s * 0.5, s * 0.9));
            break;
        default:
            break;
    }
    return image;
}

}  // namespace

TimageList& ListIcons() {
    static TimageList* icons = [] {
        auto* list = new TimageList(kIconSize, kIconSize);
        for (int i = 0; i <= liStation; ++i) list->Add(DrawIcon(i));
        if (!GlobalPrefs().ImageList()) GlobalPrefs().SetImageList(list);
        return list;
    }();
    return *icons;
}

void FadeOverflow(QPainter& canvas, const QRect& textRect, int width, TColor back) {
    if (width <= textRect.width()) return;
    // The row's rule along the bottom line stays visible.
    const QRect fade(textRect.right() - 28, textRect.top(), 29, textRect.height() - 1);
    QLinearGradient g(fade.topLeft(), fade.topRight());
    QColor clear = ToQColor(back);
    clear.setAlpha(0);
    g.setColorAt(0, clear);
    g.setColorAt(1, ToQColor(back));
    canvas.fillRect(fade, g);
}

int TrackIcon(const TaudioTag* tag) {
    if (!tag) return liStation;
    if (tag->MediaType() & mkVideo) return liVideo;
    if (tag->MediaType() & mkKaraoke) return liKaraoke;
    return liTrack;
}

int ListRowHeight(const TFont& font) {
    const QFontMetrics metrics(ScreenFont(font));
    return std::max(kTouchRowHeight, metrics.boundingRect(QStringLiteral("Yy")).height() + 24);
}

TtrackListViews::TtrackListViews(TtouchListBox& tracks, TtouchListBox& queue, const TfontContainer& fonts,
                                 const TformatStringContainer& formats,
                                 const TtagListDisplaySettings& trackSettings,
                                 const TtagListDisplaySettings& queueSettings)
    : Ftracks(tracks),
      Fqueue(queue),
      Ffonts(fonts),
      Fformats(formats),
      FtrackSettings(trackSettings),
      FqueueSettings(queueSettings) {
    for (TtouchListBox* list : {&Ftracks, &Fqueue}) {
        list->OnPaintItem = [this, list](TObject*, int index, const QRect& rect, QPainter& canvas,
                                         TtouchListItemState state) {
            PaintRow(*list, index, rect, canvas, InItemState(state, lisSelected));
        };
        list->installEventFilter(this);
    }
    Ftracks.MultiSelect = true;
}

TtrackListViews::~TtrackListViews() {
    for (TtouchListBox* list : {&Ftracks, &Fqueue}) {
        list->OnPaintItem = nullptr;
        list->removeEventFilter(this);
    }
}

TlistContext TtrackListViews::Context(const TtagListDisplaySettings& settings) const {
    TlistContext c;
    c.Formats = &Fformats;
    c.Fonts = &Ffonts;
    c.Settings = &settings;
    c.DisplayMode = DisplayMode;
    return c;
}

void TtrackListViews::SetRows(TtrackRows rows) {
    Frows = std::move(rows);
    Ftracks.MultiSelect = Frows.MultiSelect;
    Ftracks.SetCount(Frows.Count());
    Ftracks.update();
}

void TtrackListViews::ShowNode(const TmyNode* node) {
    SetRows(ChooseTrackRows(node, Context(FtrackSettings)));
}

void TtrackListViews::ShowAlbum(const TaudioTagAlbumPtr& album) {
    SetRows(ChooseAlbumRows(album, Context(FtrackSettings)));
}

void TtrackListViews::ClearTracks() {
    SetRows({});
}

void TtrackListViews::RefreshTracks() {
    if (Frows.Urls || Frows.Tracks.empty()) {
        Ftracks.update();
        return;
    }
    FormatTrackRows(Frows, Context(FtrackSettings));
    Ftracks.update();
}

void TtrackListViews::RefreshQueue(const TaudioTagList& queue) {
    const int row = Fqueue.ItemIndex();
    const int top = Fqueue.TopIndex();
    FqueueRows = MakeQueueRows(queue, Context(FqueueSettings), KeepTrackCount, &FqueueRows);
    Fqueue.BeginUpdate();
    Fqueue.SetCount(int(FqueueRows.Tracks.size()));
    // The person's place in the queue stays where it was; a list not laid out yet (no
    // room for a row) starts at the top.
    if (Fqueue.VisibleRowCount() > 0) {
        Fqueue.SetTopIndex(top);
        if (row >= 0 && row < Fqueue.Count()) Fqueue.SetItemIndex(row);
    }
    Fqueue.EndUpdate();
}

std::vector<TaudioTagPtr> TtrackListViews::SelectedTracks() const {
    std::vector<TaudioTagPtr> tracks;
    if (Frows.Urls) return tracks;
    for (int i = 0; i < int(Frows.Tracks.size()); ++i)
        if (Ftracks.Selected(i) || (Ftracks.SelectedCount() == 0 && i == Ftracks.ItemIndex()))
            tracks.push_back(Frows.Tracks[size_t(i)]);
    return tracks;
}

bool TtrackListViews::SelectedStation(std::string& name, std::string& url) const {
    const int row = Ftracks.ItemIndex();
    if (!Frows.Urls || row < 0 || row >= Frows.Urls->Count()) return false;
    name = Frows.Urls->GetName(row);
    url = Frows.Urls->GetURL(row);
    return true;
}

std::string TtrackListViews::HintAt(const TtouchListBox& list, int row) const {
    if (!ShowTrackDetails || row < 0) return "";
    if (&list == &Fqueue) {
        if (row >= int(FqueueRows.Tracks.size())) return "";
        return TrackHintText(*FqueueRows.Tracks[size_t(row)], ShowIndexes, ExtendedTrackDetails);
    }
    if (Frows.Urls) return row < Frows.Urls->Count() ? StationHintText(Frows.Urls->GetURL(row)) : "";
    if (row >= int(Frows.Tracks.size())) return "";
    return TrackHintText(*Frows.Tracks[size_t(row)], ShowIndexes, ExtendedTrackDetails);
}

bool TtrackListViews::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && (watched == &Ftracks || watched == &Fqueue)) {
        auto* list = static_cast<TtouchListBox*>(watched);
        auto* help = static_cast<QHelpEvent*>(event);
        const std::string hint = HintAt(*list, list->ItemAtY(help->pos().y()));
        if (hint.empty()) {
            QToolTip::hideText();
        } else {
            QString text = QString::fromStdString(hint);
            text.replace(QChar('\r'), QChar('\n'));
            QToolTip::showText(help->globalPos(), text, list);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TtrackListViews::ApplyListAppearance() {
    const TFont font = ListFont(Ffonts, lfnHeading);
    const TColor back = ListColor(Ffonts, lcBackground);
    const TColor focused = ListColor(Ffonts, lcBackgroundFocused);
    // Rows as high as the row text needs, and no lower than a finger.
    int height = ListRowHeight(font);
    for (int i = lfnArtist; i <= lfnTitle; ++i) height = std::max(height, ListRowHeight(ListFont(Ffonts, i)));
    for (TtouchListBox* list : {&Ftracks, &Fqueue}) {
        list->setFont(ScreenFont(font));
        list->SetItemHeight(height);
        list->SetColor(back);
        list->SetFocusColor(focused);
        list->SetChangeColorOnFocus(back != focused);
    }
    RefreshTracks();
    Fqueue.update();
}

void TtrackListViews::PaintRow(const TtouchListBox& list, int index, const QRect& rect, QPainter& canvas,
                               bool selected) {
    std::string text;
    int icon = liTrack;
    int fontIndex = lfnAlbum;
    if (&list == &Fqueue) {
        if (index < 0 || index >= int(FqueueRows.Texts.size())) return;
        text = FqueueRows.Texts[size_t(index)];
        icon = TrackIcon(FqueueRows.Tracks[size_t(index)].get());
    } else if (Frows.Urls) {
        if (index < 0 || index >= Frows.Urls->Count()) return;
        text = StationRowText(Ffonts, Frows.Urls->GetName(index));
        icon = liStation;
    } else {
        if (index < 0 || index >= int(Frows.Tracks.size())) return;
        text = Frows.Text(index);
        icon = TrackIcon(Frows.Tracks[size_t(index)].get());
        fontIndex = Frows.FontIndex;
    }
    const TColor back = selected ? ListColor(Ffonts, lcHighlightFontBackground) : list.CurrentBackColor();
    canvas.fillRect(rect, ToQColor(back));
    // A faint rule between rows helps the eye along a long list.
    canvas.setPen(ToQColor(ListColor(Ffonts, lcTreeLine)));
    canvas.drawLine(rect.left() + kTextLeft, rect.bottom(), rect.right() - 8, rect.bottom());
    ListIcons().Draw(canvas, rect.left() + kIconLeft, rect.top() + (rect.height() - kIconSize) / 2, icon);
    const QRect textRect = rect.adjusted(kTextLeft, 0, -8, 0);
    // A line too long for the row takes two when the row has room for them.
    const TFont font = ListFont(Ffonts, fontIndex);
    const int width = DrawHTMLText(canvas, text, textRect, font, Qt::AlignVCenter | WrapFlagToFit(text, font, textRect),
                                   selected, ListColor(Ffonts, lcHighlightFontColor));
    FadeOverflow(canvas, textRect, width, back);
}

}  // namespace tunecrest
