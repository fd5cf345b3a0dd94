#include "windows/dialogs/help_viewer.h"

#include <filesystem>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QUrl>

#include "core/base/services.h"

namespace tunecrest {

namespace {
std::shared_ptr<ThelpOpener>& InstalledOpener()
{
    static std::shared_ptr<ThelpOpener> opener = std::make_shared<ThelpOpener>();
    return opener;
}
}  // namespace

bool ThelpOpener::Open(const std::string& fileName)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
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
        Prompt().ShowMessage("The help file " + FfileName + " cannot be found.", "Help");
        return false;
    }
    if (!HelpOpener().Open(FfileName)) {
        Prompt().ShowMessage("The help file " + FfileName + " could not be opened.", "Help");
        return false;
    }
    return true;
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
