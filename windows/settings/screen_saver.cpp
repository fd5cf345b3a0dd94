#include "windows/settings/screen_saver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTime>
#include <algorithm>

#include "core/display/markup_text.h"
#include "core/tags/media_kinds.h"
#include "core/jukebox/media_player.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"
#include "core/display/track_format.h"
#include "skin/color_panels.h"
#include "skin/control_timer.h"
#include "skin/html_label.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {

// Format strings by index: title, artist, album with track number, album, nothing.
const char* const kFormats[] = {"<FTI><TI>", "<FAR><AR>", "<FCH>[<FAL><AL><FCH> - <FTN>Track <TN><FCH>]",
                                "<FCH>[<FAL><AL><FCH>]", ""};
constexpr uint32_t kUrlMedia = 4;

std::string FontTag(const TfontContainer* fonts, int index)
{
    if (!fonts || fonts->Items().Count() == 0) return "";
    return fonts->Items().Items(index)->HTMLTag();
}

std::string WithUnknown(const TaudioTag& track, int format, const TfontContainer* fonts)
{
    // Empty fields read "Unknown" on the saver; the tag itself is not touched.
    auto copy = track.Clone();
    if (copy->Title().empty()) copy->SetTitle("Unknown");
    if (copy->Album().empty()) copy->SetAlbum("Unknown");
    TtrackFormat f(kFormats[format], fonts ? &fonts->Items() : nullptr);
    return f.Format(*copy, 0, "Unknown");
}

}  // namespace

TscreenSaverTexts ScreenSaverTexts(const TaudioTag* track, const std::string& stationName,
                                   const std::string& playingURL, const TfontContainer* fonts,
                                   const std::string& applicationTitle)
{
    TscreenSaverTexts t;
    const bool hasFonts = fonts && fonts->Items().Count() > 0;
    if (!track && !playingURL.empty() && hasFonts) {
        t.Title = FontTag(fonts, 5) + EscapeMarkup(stationName);
        t.Album = FontTag(fonts, 7) + " (" + FontTag(fonts, 1) + EscapeMarkup(playingURL) + FontTag(fonts, 7) + ")";
        return t;
    }
    if (track && track->MediaType() != kUrlMedia && hasFonts) {
        t.Title = WithUnknown(*track, 0, fonts);
        t.Artist = WithUnknown(*track, 1, fonts);
        const int albumFormat = track->Album().empty() ? 4 : (track->TrackNo() >= 1 ? 2 : 3);
        t.Album = WithUnknown(*track, albumFormat, fonts);
        t.TrackShown = true;
        return t;
    }
    if (!track || !hasFonts) {
        t.Title = (hasFonts ? FontTag(fonts, 0) : std::string("<font color=#ff0000 size=16>")) +
                  EscapeMarkup(applicationTitle);
        return t;
    }
    // An internet station held as a track: its name in Artist, its stream title in Title.
    t.Title = FontTag(fonts, 5) + EscapeMarkup(track->Artist());
    t.Album = FontTag(fonts, 7) + " [" + FontTag(fonts, 1) + EscapeMarkup(track->Title()) + FontTag(fonts, 7) + "]";
    return t;
}

std::string ScreenSaverClockText(const TfontContainer* fonts, TDateTime now)
{
    const TdateParts d = DecodeDate(now);
    const TtimeParts tm = DecodeTime(now);
    const QLocale locale;
    const QString time = locale.toString(QTime(tm.Hour, tm.Minute, tm.Second), QLocale::ShortFormat);
    const QString date = locale.toString(QDate(d.Year, d.Month, d.Day), QLocale::LongFormat);
    return FontTag(fonts, 0) + EscapeMarkup(time.toStdString()) + " " + FontTag(fonts, 1) + " " +
           EscapeMarkup(date.toStdString());
}

int SlideIntervalMs(int interval, bool useMinutes)
{
    const int n = std::max(interval, 1);
    return n * 1000 * (useMinutes ? 60 : 1);
}

// The largest picture file a slide is read from (a photo of a good camera is a tenth).
constexpr uint64_t kMaxSlideBytes = uint64_t(128) << 20;

std::vector<std::string> SlideShowPictures(const std::string& folder)
{
    std::vector<std::string> result;
    if (folder.empty()) return result;
    for (const std::string& name : FindFilesInFolder(folder, "*"))
        if (name.size() > 4 && SameText(name.substr(name.size() - 4), ".jpg")) result.push_back(name);
    return result;
}

const TfontContainer& DefaultScreenSaverFonts()
{
    static const TfontContainer fonts = [] {
        TfontContainer c;
        c.NiceName = "Screen Saver";
        struct Tdef {
            const char* Name;
            const char* Mask;
            TColor Color;
            int Size;
            bool Bold;
        };
        // 0 clock time / title, 1 date / address, 2 chrome, 3 album, 4 label size,
        // 5 station, 6 track number, 7 brackets.
        const Tdef defs[] = {{"Title", "FTI", 0xFFFFFF, 36, true},   {"Artist", "FAR", 0xC8C8C8, 28, false},
                             {"Brackets", "FCH", 0x808080, 22, false}, {"Album", "FAL", 0xE0B080, 22, false},
                             {"Labels", "", 0xFFFFFF, 28, false},      {"Station", "", 0xFFFFFF, 32, true},
                             {"Track", "FTN", 0xA0A0A0, 20, false},    {"Stream", "", 0x909090, 20, false}};
        for (const Tdef& def : defs) {
            TfontItem& item = c.Items().Add();
            item.NiceName = def.Name;
            item.Mask = def.Mask;
            TFont font;
            font.Name = "Arial";
            font.Color = def.Color;
            font.Size = def.Size;
            font.Bold = def.Bold;
            item.SetFont(font);
        }
        return c;
    }();
    return fonts;
}

TfrmScreenSaver::TfrmScreenSaver(QWidget* parent) : QWidget(parent), FtmrAnimate(MakeControlTimer())
{
    setObjectName("frmScreenSaver");
    setWindowTitle("Screen Saver");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setCursor(Qt::BlankCursor);

    lblClock = new ThtmlLabel(this);
    lblClock->setObjectName("lblClock");
    lblClock->SetAlignment(Qt::AlignHCenter);
    lblClock->hide();
    pnlImage = new TimageColorPanel(this);
    pnlImage->setObjectName("pnlImage");
    pnlImage->SetColor(clBlack);
    pnlImage->SetBevelOuter(bvNone);
    pnlImage->SetImageDrawStyle(idsScale);
    pnlImage->OnImageChanged = [this](TObject*) { DoLayout(); };
    pnlLabelAdjustor = new QWidget(this);
    pnlLabelAdjustor->setObjectName("pnlLabelAdjustor");
    lblArtist = new ThtmlLabel(this);
    lblArtist->setObjectName("lblArtist");
    lblTitle = new ThtmlLabel(this);
    lblTitle->setObjectName("lblTitle");
    lblAlbum = new ThtmlLabel(this);
    lblAlbum->setObjectName("lblAlbum");
    // The labels span the screen and centre their text: the layout places them, so a new
    // caption must not shrink one to its text (which put it at the left edge).
    for (ThtmlLabel* label : {lblClock, lblArtist, lblTitle, lblAlbum}) {
        label->SetAutoSize(false);
        label->SetAlignment(Qt::AlignHCenter);
    }
    // Every part closes the saver on a touch, and none shows a cursor.
    for (QWidget* w : {static_cast<QWidget*>(lblClock), static_cast<QWidget*>(pnlImage), pnlLabelAdjustor,
                       static_cast<QWidget*>(lblArtist), static_cast<QWidget*>(lblTitle),
                       static_cast<QWidget*>(lblAlbum)}) {
        w->installEventFilter(this);
        w->setCursor(Qt::BlankCursor);
    }
    FtmrAnimate->OnTimer = [this] { TimerTick(); };
    SetSlideShowInterval(FslideInterval);
}

TfrmScreenSaver::~TfrmScreenSaver() = default;

void TfrmScreenSaver::SetFontContainer(const TfontContainer* fonts)
{
    Ffonts = fonts;
    ApplyLabelFonts();
    DoLayout();
}

void TfrmScreenSaver::ApplyLabelFonts()
{
    if (!Ffonts || Ffonts->Items().Count() == 0) return;
    const TFont font = Ffonts->Items().Items(4)->font();
    const int height = QFontMetrics(ScreenFont(font)).height() + 8;
    for (ThtmlLabel* label : {lblArtist, lblTitle, lblAlbum}) {
        label->SetLabelFont(font);
        label->setFixedHeight(std::max(height, QFontMetrics(ScreenFont(Ffonts->Items().Items(0)->font())).height() + 8));
    }
}

int TfrmScreenSaver::GetImageScale() const { return pnlImage->ScaleImageWidth(); }

void TfrmScreenSaver::SetImageScale(int size)
{
    pnlImage->SetScaleImageWidth(size);
    pnlImage->SetScaleImageHeight(size);
}

void TfrmScreenSaver::SetSlideShow(bool on)
{
    FslideShow = on;
    DoLayout();
}

void TfrmScreenSaver::SetSlideShowInterval(int interval)
{
    FslideInterval = std::max(interval, 1);
    FintervalMs = SlideIntervalMs(FslideInterval, UseMinutes);
}

bool TfrmScreenSaver::GetShowClock() const { return !lblClock->isHidden(); }

void TfrmScreenSaver::SetShowClock(bool on)
{
    lblClock->setVisible(on);
    if (on) RefreshClock();
    DoLayout();
}

void TfrmScreenSaver::RefreshClock()
{
    lblClock->SetCaption(ScreenSaverClockText(Ffonts, Now()));
}

void TfrmScreenSaver::UpdateTrackDisplay(const TaudioTagPtr& track, const std::string& stationName, int flag,
                                         const std::string& coverFolder)
{
    Ftrack = track;
    const std::string url = Fplayer ? Fplayer->PlayingURL() : std::string();
    const TscreenSaverTexts texts = ScreenSaverTexts(track.get(), stationName, url, Ffonts, FapplicationTitle);
    lblArtist->SetCaption(texts.Artist);
    lblTitle->SetCaption(texts.Title);
    lblAlbum->SetCaption(texts.Album);
    if (texts.TrackShown || isVisible()) FtmrAnimate->Start(1000);
    FcoverFolder = coverFolder;
    if (!FslideShow) LoadCover(flag, coverFolder);
    else DoLayout();
}

void TfrmScreenSaver::LoadCover(int flag, const std::string& coverFolder)
{
    QImage image;
    FpictureFile.clear();
    if (Fplayer) {
        TcoverPicture picture;
        std::string fileName;
        Fplayer->LoadCoverImage(coverFolder, flag != 0, fileName, true, picture);
        if (!picture.Empty())
            image = QImage::fromData(reinterpret_cast<const uchar*>(picture.Bytes.data()), int(picture.Bytes.size()));
        if (!image.isNull()) FpictureFile = fileName;
    }
    FshowingRandomImage = false;
    pnlImage->SetImage(image);  // lays out through OnImageChanged
}

void TfrmScreenSaver::LoadRandomImage()
{
    pnlImage->show();
    const std::vector<std::string> files = SlideShowPictures(RandomImagesFolder);
    if (files.empty()) return;
    const std::string file = (std::filesystem::path(RandomImagesFolder) / files[size_t(Random(int(files.size())))]).string();
    // Through the reader of regular files: a FIFO or device named like a picture would
    // otherwise hold the screen for ever, and a file of gigabytes is no slide.
    std::string bytes, reason;
    if (!ReadFileBytes(file, bytes, &reason, kMaxSlideBytes)) {
        LogError("Slide show: " + reason);
        return;
    }
    QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()));
    if (image.isNull()) return;
    FpictureFile = file;
    FshowingRandomImage = true;
    pnlImage->SetImage(image);
}

void TfrmScreenSaver::DoLayout()
{
    if (FlayingOut) return;
    FlayingOut = true;
    if (pnlImage->Image().isNull() && (UseRandomImages || FslideShow)) LoadRandomImage();
    else if (pnlImage->Image().isNull()) FshowingRandomImage = false;
    const int w = width(), h = height();
    const int clockHeight = GetShowClock() ? std::max(lblClock->sizeHint().height(), 40) : 0;
    lblClock->setGeometry(0, 0, w, clockHeight);
    // The fonts give the labels their height; without fonts, the text's own height.
    int labelHeight = lblAlbum->height();
    if (lblAlbum->minimumHeight() != lblAlbum->maximumHeight())
        for (ThtmlLabel* l : {lblArtist, lblTitle, lblAlbum}) labelHeight = std::max(labelHeight, l->sizeHint().height());
    // Artist, title and album from the bottom up; in a slide show the labels stay below.
    int bottom = h;
    const bool withPicture = !pnlImage->Image().isNull();
    if (withPicture || FslideShow) {
        // The picture (a cover or a slide) takes the room above the three labels.
        pnlLabelAdjustor->hide();
        for (ThtmlLabel* l : {lblAlbum, lblTitle, lblArtist}) l->show();
        pnlImage->show();
        pnlImage->setGeometry(0, clockHeight, w, std::max(0, h - clockHeight - labelHeight * 3));
        bottom = h;
    } else {
        // No picture: the labels sit in the middle of the screen.
        pnlImage->hide();
        for (ThtmlLabel* l : {lblAlbum, lblTitle, lblArtist}) l->show();
        const int spacer = std::max(0, h / 2 - (labelHeight * 3) / 2);
        pnlLabelAdjustor->setGeometry(0, clockHeight, w, 0);
        pnlLabelAdjustor->show();
        bottom = std::min(h, clockHeight + spacer + labelHeight * 3);
    }
    lblAlbum->setGeometry(0, bottom - labelHeight, w, labelHeight);
    lblTitle->setGeometry(0, lblAlbum->y() - labelHeight, w, labelHeight);
    lblArtist->setGeometry(0, lblTitle->y() - labelHeight, w, labelHeight);
    FlayingOut = false;
}

void TfrmScreenSaver::TimerTick()
{
    if (TrackSource) {
        TaudioTagPtr playing = TrackSource();
        if (playing != Ftrack) UpdateTrackDisplay(playing, "", 1, FcoverFolder);
    }
    FslideElapsed += 1000;
    if (FslideElapsed >= FintervalMs) {
        if (FslideShow || FshowingRandomImage) LoadRandomImage();
        FslideElapsed = 0;
    }
    // Every tick: the clock shows what it shows (seconds too, in some locales) at the pace
    // it changes; the label is drawn only when its text did change.
    if (GetShowClock()) RefreshClock();
}

void TfrmScreenSaver::ShowSaver()
{
    FcloseAllowed = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
    FcloseAllowed = true;
    if (FslideShow) {
        LoadRandomImage();
    } else {
        LoadCover(1, FcoverFolder);
    }
    SetSlideShowInterval(FslideInterval);
    FslideElapsed = 0;
    FtmrAnimate->Start(1000);
    if (GetShowClock()) RefreshClock();
    show();
    DoLayout();
}

void TfrmScreenSaver::CloseSaver() { close(); }

void TfrmScreenSaver::keyPressEvent(QKeyEvent*) { CloseSaver(); }
void TfrmScreenSaver::mousePressEvent(QMouseEvent*) { CloseSaver(); }

bool TfrmScreenSaver::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::TouchBegin) {
        CloseSaver();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmScreenSaver::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    DoLayout();
}

void TfrmScreenSaver::closeEvent(QCloseEvent* event)
{
    if (!FcloseAllowed) {
        event->ignore();
        return;
    }
    FtmrAnimate->Stop();
    event->accept();
}

namespace {
QPointer<TfrmScreenSaver>& SaverPointer()
{
    static QPointer<TfrmScreenSaver> saver;
    return saver;
}
}  // namespace

TfrmScreenSaver& ScreenSaverForm()
{
    auto& saver = SaverPointer();
    if (!saver) {
        saver = new TfrmScreenSaver();
        saver->setAttribute(Qt::WA_DeleteOnClose, false);
        // Freed with the application.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, saver.data(), &QObject::deleteLater);
    }
    return *saver;
}

bool ScreenSaverFormExists() { return !SaverPointer().isNull(); }

}  // namespace tunecrest
