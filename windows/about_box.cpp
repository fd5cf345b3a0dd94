#include "windows/about_box.h"

#include <cmath>

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QUrl>

#include "core/base/system_services.h"
#include "core/base/text_utils.h"
#include "skin/control_timer.h"
#include "skin/input_gate.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_colors.h"
#include "skin/skin_forms.h"

namespace tunecrest {

namespace {

constexpr int kAboutWidth = 300, kAboutHeight = 175;
const QRect kProgressPanel(20, 88, 260, 72);

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The value of `key` in a tag part "K1:v1;K2:v2": only its first occurrence counts.
bool TagValue(const std::string& tags, const std::string& key, std::string& value)
{
    size_t start = 0;
    while (start <= tags.size()) {
        size_t end = tags.find(';', start);
        if (end == std::string::npos) end = tags.size();
        const std::string item = tags.substr(start, end - start);
        const size_t colon = item.find(':');
        if (colon != std::string::npos && SameText(Trim(item.substr(0, colon)), key)) {
            value = item.substr(colon + 1);
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

TcreditsLine ParseCreditsLine(const std::string& line, const QFont& font, TColor color, const std::string& version,
                              const std::string& title)
{
    TcreditsLine out;
    out.Font = font;
    out.Color = color;
    std::string text = ReplaceAll(ReplaceAll(line, "%V%", version), "%A%", title);
    const size_t close = text.find(']');
    if (text.size() >= 2 && text[0] == '[' && close != std::string::npos) {
        const std::string tags = text.substr(1, close - 1);
        text = text.substr(close + 1);
        std::string value;
        if (TagValue(tags, "FN", value)) out.Font.setFamily(QString::fromStdString(value));
        if (TagValue(tags, "FS", value)) {
            try {
                const int size = std::stoi(value);
                if (size > 0 && size < 500) out.Font.setPointSize(size);
            } catch (...) {
                // an invalid size keeps the current one
            }
        }
        out.Color = clBlack;
        if (TagValue(tags, "FC", value)) {
            try {
                out.Color = !value.empty() && value[0] == '$' ? TColor(std::stoul(value.substr(1), nullptr, 16))
                                                              : TColor(std::stoul(value));
            } catch (...) {
                out.Color = clBlack;
            }
        }
        if (TagValue(tags, "FP", value)) {
            const std::string style = UpperCase(value);
            out.Font.setUnderline(style.find('U') != std::string::npos);
            out.Font.setBold(style.find('B') != std::string::npos);
            out.Font.setItalic(style.find('I') != std::string::npos);
        }
        if (TagValue(tags, "HL", value)) out.Hyperlink = value;
        if (TagValue(tags, "J", value)) {
            try {
                const int j = std::stoi(value);
                out.Justify = j >= 0 && j <= 2 ? j : 0;
            } catch (...) {
                out.Justify = 0;
            }
        }
    }
    out.Text = text;
    return out;
}

// ---- credits

TmyCredits::TmyCredits(QWidget* parent) : QWidget(parent), Ftimer(MakeControlTimer())
{
    setMouseTracking(true);
    Ftimer->OnTimer = [this] { Step(); };
    setFont(ScreenFont(TFont{"Arial", clBlack, 10}));
}

TmyCredits::~TmyCredits() { Ftimer->Stop(); }

void TmyCredits::SetLines(const std::vector<std::string>& lines)
{
    Flines = lines;
    Relayout();
}

void TmyCredits::SetBackImage(const QImage& image)
{
    FbackImage = image;
    update();
}

void TmyCredits::SetBackColor(TColor color)
{
    FbackColor = color;
    update();
}

void TmyCredits::SetScrollSpeed(int ms)
{
    FscrollSpeed = ms < 1 ? 1 : ms;
    if (Ftimer->IsActive()) Ftimer->Start(FscrollSpeed);
}

void TmyCredits::SetScrollEnabled(bool value)
{
    FscrollEnabled = value;
    if (value)
        Ftimer->Start(FscrollSpeed);
    else
        Ftimer->Stop();
}

void TmyCredits::Step()
{
    if (Fpaused || FtotalHeight <= 0) return;
    --Foffset;
    if (std::abs(Foffset) >= FtotalHeight) Foffset = 0;
    update();
}

std::string ProgramVersionText(TversionStyle style)
{
    TfileVersion v;
    if (!SystemServices().GetFileVersion("", v)) return {};
    switch (style) {
        case vsMjMnRlBd:
            return Format("%d.%d.%d.%d", v.Major, v.Minor, v.Release, v.Build);
        case vsMjMnBd:
            return Format("%d.%d.%d", v.Major, v.Minor, v.Build);
        case vsMjMn:
            return Format("%d.%d", v.Major, v.Minor);
        case vsMjBd:
            return Format("%d.%d", v.Major, v.Build);
        case vsFormatMjMnRlBd:
            return Format("%d.%d (Release %d, Build %d)", v.Major, v.Minor, v.Release, v.Build);
    }
    return {};
}

void TmyCredits::Relayout()
{
    Flaid.clear();
    Frects.clear();
    FtotalHeight = 0;
    const std::string version = Version.empty() ? ProgramVersionText(VersionStyle) : Version;
    for (const std::string& line : Flines) {
        TcreditsLine laid = ParseCreditsLine(line, font(), clBlack, version, Title);
        if (!laid.Hyperlink.empty() && line.find("FC:") == std::string::npos) laid.Color = HyperlinkColor;
        const QFontMetrics metrics(laid.Font);
        const int h = metrics.boundingRect("Yy").height();
        const int w = metrics.horizontalAdvance(QString::fromStdString(laid.Text));
        const int x = laid.Justify == 1 ? (width() - 4 - w) / 2 : laid.Justify == 2 ? width() - 2 - w : 2;
        Frects.emplace_back(x, FtotalHeight, w, h);
        FtotalHeight += h;
        Flaid.push_back(std::move(laid));
    }
    update();
}

int TmyCredits::LineAt(QPoint p) const
{
    for (int block = Foffset; block < height() && FtotalHeight > 0; block += FtotalHeight)
        for (size_t i = 0; i < Frects.size(); ++i)
            if (Frects[i].translated(0, block).contains(p)) return int(i);
    return -1;
}

void TmyCredits::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(FbackColor));
    if (!FbackImage.isNull())
        p.drawImage((width() - FbackImage.width()) / 2, (height() - FbackImage.height()) / 2, FbackImage);
    if (FtotalHeight <= 0) return;
    for (int block = Foffset; block < height(); block += FtotalHeight) {
        for (size_t i = 0; i < Flaid.size(); ++i) {
            const QRect r = Frects[i].translated(0, block);
            if (r.bottom() < 0 || r.top() > height()) continue;
            p.setFont(Flaid[i].Font);
            p.setPen(ToQColor(Flaid[i].Color));
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(Flaid[i].Text));
        }
    }
}

void TmyCredits::resizeEvent(QResizeEvent*) { Relayout(); }

void TmyCredits::mouseMoveEvent(QMouseEvent* e)
{
    const int line = LineAt(e->position().toPoint());
    Fpaused = line >= 0 && !Flaid[size_t(line)].Hyperlink.empty();
    setCursor(Fpaused ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TmyCredits::mousePressEvent(QMouseEvent* e)
{
    const int line = LineAt(e->position().toPoint());
    if (line >= 0 && !Flaid[size_t(line)].Hyperlink.empty()) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(Flaid[size_t(line)].Hyperlink)));
        return;
    }
    e->ignore();  // a click elsewhere closes the about box
}

void TmyCredits::leaveEvent(QEvent*) { Fpaused = false; }

// ---- the window

QImage WashOutPicture(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < out.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int i = 0; i < out.width() * 3; ++i) line[i] = uchar(std::lround(line[i] + (255 - line[i]) * 0.65));
    }
    if (out.width() > 0 && out.height() > 0) {
        QPainter p(&out);
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawLine(0, 0, out.width() - 1, 0);
        p.drawLine(0, 0, 0, out.height() - 1);
        p.setPen(QColor(0xA0, 0xA0, 0xA0));
        p.drawLine(out.width() - 1, 0, out.width() - 1, out.height() - 1);
        p.drawLine(0, out.height() - 1, out.width() - 1, out.height() - 1);
    }
    return out;
}

TfrmAbout2::TfrmAbout2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmAbout2");
    setWindowTitle("About");
    resize(kAboutWidth, kAboutHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    skinImage = new TmySkinForm(this);
    skinImage->setObjectName("skinImage");
    skinImage->SetTransparentColor(clLime);
    credits = new TmyCredits(this);
    credits->setObjectName("credits");
    credits->SetScrollSpeed(40);
    credits->HyperlinkColor = clBlue;
    credits->VersionStyle = vsMjMnRlBd;
    pnlProgress = new QWidget(this);
    pnlProgress->setObjectName("pnlProgress");
    imgWashout = new QLabel(pnlProgress);
    imgWashout->setObjectName("imgWashout");
    lblProgress = new QLabel("Processing ... Please Wait", pnlProgress);
    lblProgress->setObjectName("lblProgress");
    lblMessage = new QLabel("Message ...", pnlProgress);
    lblMessage->setObjectName("lblMessage");
    Guage = new QProgressBar(pnlProgress);
    Guage->setObjectName("Guage");
    Guage->setTextVisible(false);
    Guage->setRange(0, 100);
    Guage->setValue(0);
    lblProgress->setFont(ScreenFont(TFont{"Arial", clBlack, 10, true}));
    lblMessage->setFont(ScreenFont(TFont{"Arial", clBlack, 9}));
    lblDiagProgress = new QLabel(this);
    lblDiagShow = new QLabel(this);
    lblDiagClose = new QLabel(this);
    for (QLabel* diag : {lblDiagProgress, lblDiagShow, lblDiagClose}) diag->hide();
    Setup();
}

TfrmAbout2::~TfrmAbout2() = default;

void TfrmAbout2::Setup()
{
    skinImage->SetBitmap(SkinPicture());
    FprogressRect = kProgressPanel;
    pnlProgress->setGeometry(FprogressRect);
    const QImage washed = WashOutPicture(skinImage->Bitmap().copy(FprogressRect));
    imgWashout->setGeometry(0, 0, FprogressRect.width(), FprogressRect.height());
    imgWashout->setPixmap(QPixmap::fromImage(washed));
    lblProgress->setGeometry(8, 6, FprogressRect.width() - 16, 18);
    lblMessage->setGeometry(8, 26, FprogressRect.width() - 16, 18);
    Guage->setGeometry(8, 48, FprogressRect.width() - 16, 14);
    credits->setGeometry(FprogressRect);
    credits->SetBackImage(washed);
    credits->SetLines(CreditsLines());
    pnlProgress->hide();
    UpdateDiagnostics();
}

QImage TfrmAbout2::SkinPicture() const
{
    QImage picture(kAboutWidth, kAboutHeight, QImage::Format_RGB32);
    picture.fill(ToQColor(clLime));
    return picture;
}

std::vector<std::string> TfrmAbout2::CreditsLines() const { return {}; }

void TfrmAbout2::AddLiveControl(QWidget* control) { Flive.emplace_back(control); }

void TfrmAbout2::UpdateDiagnostics()
{
    lblDiagProgress->setText(QString("Progress : %1").arg(Fcounters.ProgressCount()));
    lblDiagShow->setText(QString("Show : %1").arg(Fcounters.ShowCount()));
    lblDiagClose->setText(QString("Close : %1").arg(Fcounters.MayCloseFlag() ? 1 : 0));
}

void TfrmAbout2::ShowProgressPanel()
{
    credits->hide();
    credits->SetScrollEnabled(false);
    pnlProgress->show();
}

void TfrmAbout2::BeginProgress(const std::string& text)
{
    Fcounters.BeginProgress();
    FlastRepaint = {};  // a new operation's first step shows at once
    credits->hide();
    credits->SetScrollEnabled(false);
    SetStatusText(text);
    ShowSplash();
    UpdateDiagnostics();
}

void TfrmAbout2::SetStatusText(const std::string& text)
{
    ShowProgressPanel();
    lblMessage->setText(QString::fromStdString(text));
}

void TfrmAbout2::SetProgress(int position, int maximum)
{
    const auto now = std::chrono::steady_clock::now();
    if (position < maximum && now - FlastRepaint < kProgressRepaintInterval) return;
    FlastRepaint = now;
    ShowProgressPanel();
    if (Guage->maximum() != maximum) Guage->setMaximum(maximum < 0 ? 0 : maximum);
    if (Guage->value() != position) Guage->setValue(position);
    ProcessEventsWithoutUserInput(Flive);
}

void TfrmAbout2::EndProgress()
{
    if (Fcounters.EndProgress()) pnlProgress->hide();
    UpdateDiagnostics();
    CloseSplash();
}

void TfrmAbout2::ShowSplash()
{
    Fcounters.ShowSplash();
    if (!isVisible()) show();
    UpdateDiagnostics();
}

void TfrmAbout2::CloseSplash()
{
    if (Fcounters.CloseSplash()) close();
    UpdateDiagnostics();
}

void TfrmAbout2::ForceClose()
{
    Fcounters.ForceClose();
    CloseSplash();
}

void TfrmAbout2::ShowAbout()
{
    pnlProgress->hide();
    credits->show();
    credits->SetScrollEnabled(true);
    show();
}

bool TfrmAbout2::ProgressVisible() const { return !pnlProgress->isHidden(); }
bool TfrmAbout2::CreditsVisible() const { return !credits->isHidden(); }
int TfrmAbout2::GaugePosition() const { return Guage->value(); }
int TfrmAbout2::GaugeMaximum() const { return Guage->maximum(); }
std::string TfrmAbout2::StatusText() const { return lblMessage->text().toStdString(); }

void TfrmAbout2::closeEvent(QCloseEvent* e)
{
    if (!Fcounters.MayClose(isVisible())) {
        e->ignore();
        return;
    }
    Fcounters.Closed();
    credits->SetScrollEnabled(false);
    UpdateDiagnostics();
    e->accept();
}

void TfrmAbout2::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TfrmAbout2::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) close();
}

void TfrmAbout2::showEvent(QShowEvent* e)
{
    // Every show centres the window on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize s = screen->size();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
    QWidget::showEvent(e);
}

// ---- the product's about box

TfrmTunecrestAbout2::TfrmTunecrestAbout2(QWidget* parent) : TfrmAbout2(parent) { Setup(); }

QImage TfrmTunecrestAbout2::SkinPicture() const
{
    // Our own picture: a rounded card with a soft gradient and the name, lime outside
    // its corners so the window takes the card's shape.
    QImage picture(kAboutWidth, kAboutHeight, QImage::Format_RGB32);
    picture.fill(ToQColor(clLime));
    QPainter p(&picture);
    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, kAboutWidth, kAboutHeight), 18, 18);
    QLinearGradient gradient(0, 0, 0, kAboutHeight);
    gradient.setColorAt(0, QColor(0x2B, 0x4E, 0x8C));
    gradient.setColorAt(1, QColor(0x12, 0x22, 0x40));
    p.fillPath(card, gradient);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xF2, 0xB6, 0x3C), 3));
    for (int i = 0; i < 5; ++i) {
        const int x = 30 + i * 14, h = 14 + (i * 7) % 22;
        p.drawLine(x, 62 - h, x, 62);
    }
    QFont font("DejaVu Sans");
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(110, 18, 180, 30), Qt::AlignLeft | Qt::AlignVCenter, "Tunecrest");
    font.setPixelSize(13);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0xC8, 0xD6, 0xF0));
    p.drawText(QRect(110, 46, 180, 20), Qt::AlignLeft | Qt::AlignVCenter, "Audio System");
    p.end();
    // The antialiased edge must not leave near-lime pixels: restore exact lime outside.
    QImage mask(picture.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter m(&mask);
    m.fillPath(card, Qt::white);
    m.end();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(mask.pixel(x, y)) < 128) picture.setPixel(x, y, ToQRgb(clLime));
    return picture;
}

std::vector<std::string> TfrmTunecrestAbout2::CreditsLines() const
{
    return {"",
            "",
            "",
            "",
            "[FN:Arial;FS:12;FP:B;FC:0;J:1]Tunecrest Audio System",
            "[FN:Arial;FS:10;FP:B;FC:0;J:1]Version %V%",
            "[FN:Arial;FS:10;FP:U;FC:$C00000;J:1;HL:https://tunecrest.example/]tunecrest.example"};
}

}  // namespace tunecrest
