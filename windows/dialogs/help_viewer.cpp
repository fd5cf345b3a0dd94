#include "windows/dialogs/help_viewer.h"

#include <filesystem>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QScroller>
#include <QScrollerProperties>
#include <QTextBrowser>
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
    connect(tbHelp, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isRelative() && url.path().isEmpty() && !url.fragment().isEmpty())
            tbHelp->scrollToAnchor(url.fragment());
    });
    BodyLayout()->addWidget(tbHelp, 1);
    btnClose = AddCloseButton("Close");
    resize(900, 680);
}

void TfrmHelpViewer::SetPage(const std::string& html, const std::string& folder)
{
    tbHelp->document()->setMetaInformation(QTextDocument::DocumentUrl,
                                           QUrl::fromLocalFile(QString::fromStdString(folder + "/")).toString());
    tbHelp->setHtml(QString::fromStdString(html));
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
