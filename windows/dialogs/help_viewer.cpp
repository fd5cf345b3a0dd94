#include "windows/dialogs/help_viewer.h"

#include <filesystem>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QScroller>
#include <QScrollerProperties>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "platform/launch_program.h"
#include "skin/modal_runner.h"
#include "skin/touch_dress.h"

namespace tunecrest {

namespace {
std::shared_ptr<ThelpOpener>& InstalledOpener()
{
    static std::shared_ptr<ThelpOpener> opener = std::make_shared<ThelpOpener>();
    return opener;
}
}  // namespace

namespace {
constexpr uint64_t kMaxHelpBytes = 4 << 20;
constexpr uint64_t kMaxMimeListBytes = 1 << 20;

// A "text/html=" entry with a program in one of the desktop's lists of default and known
// applications.
bool ListsHtmlProgram(const std::string& file)
{
    std::string text;
    if (!ReadFileBytes(file, text, nullptr, kMaxMimeListBytes)) return false;
    for (const std::string& line : SplitString(text, '\n')) {
        const std::string entry = Trim(line);
        if (entry.rfind("text/html=", 0) == 0 && entry.size() > 10) return true;
    }
    return false;
}
}  // namespace

bool DesktopHasHtmlViewer()
{
    if (FindOnPath("xdg-open").empty()) return false;
    std::vector<std::string> lists;
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) lists.push_back(std::string(config) + "/mimeapps.list");
    else if (home && *home) lists.push_back(std::string(home) + "/.config/mimeapps.list");
    if (home && *home) lists.push_back(std::string(home) + "/.local/share/applications/mimeapps.list");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::vector<std::string> data = SplitString(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share", ':');
    lists.push_back("/etc/xdg/mimeapps.list");
    for (const std::string& d : data) {
        if (d.empty()) continue;
        lists.push_back(d + "/applications/mimeapps.list");
        lists.push_back(d + "/applications/mimeinfo.cache");
    }
    for (const std::string& list : lists)
        if (ListsHtmlProgram(list)) return true;
    return false;
}

bool ThelpOpener::Open(const std::string& fileName)
{
    if (!DesktopHasHtmlViewer()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
}

TfrmHelpViewer::TfrmHelpViewer(QWidget* parent) : TfrmPlainDialog("Help", parent)
{
    setObjectName("frmHelpViewer");
    tbHelp = new QTextBrowser(Body());
    tbHelp->setObjectName("tbHelp");
    tbHelp->setReadOnly(true);
    // Only the page's own links: nothing outside it is opened on a guest's screen.
    tbHelp->setOpenLinks(false);
    tbHelp->setOpenExternalLinks(false);
    tbHelp->setStyleSheet("QTextBrowser { background: #fafafa; color: #000000; border: none; padding: 12px; }");
    // A swipe scrolls the page. The press reaches the page at once rather than after the
    // swipe's wait, so a tap on a link follows it (a held-back press, handed on later,
    // does not reach the page's links on an X display).
    EnableSwipe(*tbHelp);
    QScroller* scroller = QScroller::scroller(tbHelp->viewport());
    QScrollerProperties properties = scroller->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0.0);
    scroller->setScrollerProperties(properties);
    // A link is followed by a tap anywhere on its finger-high band, not only on its
    // letters: the browser follows a tap on the letters itself, the rest is followed here.
    connect(tbHelp, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        FpendingLink.clear();
        Follow(url);
    });
    tbHelp->viewport()->installEventFilter(this);
    BodyLayout()->addWidget(tbHelp, 1);
    btnClose = AddCloseButton("Close");
    resize(900, 680);
}

void TfrmHelpViewer::SetPage(const std::string& html, const std::string& folder)
{
    QTextDocument* document = tbHelp->document();
    document->setMetaInformation(QTextDocument::DocumentUrl,
                                 QUrl::fromLocalFile(QString::fromStdString(folder + "/")).toString());
    QFont font = document->defaultFont();
    font.setPixelSize(kHelpTextPixels);
    document->setDefaultFont(font);
    tbHelp->setHtml(QString::fromStdString(html));
    SpaceLinkLines(*document, kHelpLinkLineHeight);
}

void TfrmHelpViewer::Follow(const QUrl& url)
{
    if (url.isRelative() && url.path().isEmpty() && !url.fragment().isEmpty()) tbHelp->scrollToAnchor(url.fragment());
}

QString TfrmHelpViewer::LinkAt(const QPoint& at) const
{
    const QPointF inDocument(at.x() + tbHelp->horizontalScrollBar()->value(),
                             at.y() + tbHelp->verticalScrollBar()->value());
    for (const ThelpLinkTarget& target : HelpLinkTargets(*tbHelp->document(), kHelpLinkLineHeight))
        if (target.Rect.contains(inDocument)) return target.Href;
    return {};
}

bool TfrmHelpViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != tbHelp->viewport() ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease))
        return TfrmPlainDialog::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    const QPoint at = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        FpressedAt = at;
        FpressedLink = LinkAt(at);
        return false;
    }
    // A tap: lifted on the link it went down on, without a swipe between.
    constexpr int kTapSlack = 16;
    const QString link = LinkAt(at);
    if (!link.isEmpty() && link == FpressedLink && (at - FpressedAt).manhattanLength() <= kTapSlack) {
        FpendingLink = link;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (FpendingLink.isEmpty()) return;
                const QUrl url(FpendingLink);
                FpendingLink.clear();
                Follow(url);
            },
            Qt::QueuedConnection);
    }
    FpressedLink.clear();
    return false;
}

void SpaceLinkLines(QTextDocument& document, int height)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        bool link = false;
        for (auto it = block.begin(); !it.atEnd() && !link; ++it)
            link = it.fragment().charFormat().isAnchor() && !it.fragment().charFormat().anchorHref().isEmpty();
        if (!link) continue;
        QTextBlockFormat format = block.blockFormat();
        format.setLineHeight(height, QTextBlockFormat::MinimumHeight);
        QTextCursor(block).setBlockFormat(format);
    }
}

std::vector<ThelpLinkTarget> HelpLinkTargets(QTextDocument& document, int height)
{
    std::vector<ThelpLinkTarget> targets;
    document.documentLayout();  // lays the page out when it was not yet
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout) continue;
        const QPointF origin = layout->position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty()) continue;
            const int start = fragment.position() - block.position(), end = start + fragment.length();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int from = std::max(start, line.textStart());
                const int to = std::min(end, line.textStart() + line.textLength());
                if (from >= to) continue;
                const qreal x1 = line.cursorToX(from), x2 = line.cursorToX(to);
                const qreal band = std::max<qreal>(height, line.height());
                const qreal middle = origin.y() + line.y() + line.height() / 2;
                const QRectF rect(origin.x() + std::min(x1, x2), middle - band / 2, std::abs(x2 - x1), band);
                // A link in several pieces (runs of other formats) is one target a line.
                if (!targets.empty() && targets.back().Href == format.anchorHref() &&
                    std::abs(targets.back().Rect.center().y() - rect.center().y()) < 1)
                    targets.back().Rect |= rect;
                else
                    targets.push_back({format.anchorHref(), rect});
            }
        }
    }
    return targets;
}

bool ShowHelpInside(const std::string& fileName)
{
    std::string html, reason;
    if (!ReadFileBytes(fileName, html, &reason, kMaxHelpBytes)) {
        LogError("Help: " + reason);
        return false;
    }
    TfrmHelpViewer viewer;
    viewer.SetPage(html, std::filesystem::path(fileName).parent_path().string());
    RunModal(viewer);
    return true;
}

ThelpOpener& HelpOpener() { return *InstalledOpener(); }

std::shared_ptr<ThelpOpener> SetHelpOpener(std::shared_ptr<ThelpOpener> opener)
{
    std::shared_ptr<ThelpOpener> previous = InstalledOpener();
    InstalledOpener() = opener ? std::move(opener) : std::make_shared<ThelpOpener>();
    return previous;
}

TmyHH::TmyHH(QObject* owner) : QObject(owner) {}

TmyHH::~TmyHH() { UnhookHelp(); }

void TmyHH::HookHelp()
{
    std::error_code ec;
    if (Fhooked || FfileName.empty() || !std::filesystem::is_regular_file(FfileName, ec)) return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        Fhooked = true;
    }
}

void TmyHH::UnhookHelp()
{
    if (!Fhooked) return;
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    Fhooked = false;
}

bool TmyHH::ShowHelp()
{
    std::error_code ec;
    if (FfileName.empty() || !std::filesystem::is_regular_file(FfileName, ec)) {
        LogError("Help: the help file \"" + FfileName + "\" is missing");
        Prompt().ShowMessage("The help is not installed.", "Help");
        return false;
    }
    if (HelpOpener().Open(FfileName)) return true;
    // No viewer on this desktop: the program shows the page itself.
    if (ShowHelpInside(FfileName)) return true;
    Prompt().ShowMessage("The help cannot be shown.", "Help");
    return false;
}

bool TmyHH::eventFilter(QObject* watched, QEvent* event)
{
    // A context-help request opens the help, whatever its context, and goes no further.
    if (event->type() == QEvent::WhatsThis) {
        ShowHelp();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tunecrest
