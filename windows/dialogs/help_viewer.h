#pragma once
// The help link: opens the program's HTML help with the desktop's viewer, or, where the
// desktop has none (a kiosk without a browser), in a plain read-only viewer of its own.
// The opening goes through a swappable opener, so tests see what would be opened and
// nothing starts. While hooked, a context-help request anywhere in the program opens the
// help too. A guest is never shown where the program is installed: a help file that is
// missing or unreadable is told in plain words, and its path goes to the log.
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QRectF>
#include <QString>

#include "windows/dialogs/dialog_form.h"

class QTextBrowser;
class QTextDocument;

namespace tunecrest {

class ThelpOpener {
public:
    virtual ~ThelpOpener() = default;
    // Opens `fileName` in the desktop's viewer; false when the desktop has no viewer for
    // web pages or it cannot be handed over.
    virtual bool Open(const std::string& fileName);
};

// True when the desktop can open a web page: its opener (xdg-open) is installed and a
// program is registered for "text/html".
bool DesktopHasHtmlViewer();

// The text size of the help page and the least height of a line that holds a link.
inline constexpr int kHelpTextPixels = 19;
inline constexpr int kHelpLinkLineHeight = 48;

// Where a finger may tap a link: a band `height` high (at least the line's own)
// centred on each line of the link's text, as wide as the text, in the document's
// coordinates.
struct ThelpLinkTarget {
    QString Href;
    QRectF Rect;
};
std::vector<ThelpLinkTarget> HelpLinkTargets(QTextDocument& document, int height);
// Gives every line of the page that holds a link at least `height` pixels.
void SpaceLinkLines(QTextDocument& document, int height);

// The help inside the program ("Help"): the page in readable type, its links within the
// page followed by a tap anywhere on a finger-high band over them, nothing outside it
// opened; "Close" closes it.
class TfrmHelpViewer : public TfrmPlainDialog {
public:
    explicit TfrmHelpViewer(QWidget* parent = nullptr);
    // The page from the HTML text, its pictures looked for in `folder`.
    void SetPage(const std::string& html, const std::string& folder);
    // The link whose target holds `at` (a point of the page's viewport); empty for none.
    QString LinkAt(const QPoint& at) const;
    QTextBrowser* tbHelp;
    TmySkinButton* btnClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(const QUrl& url);

    QPoint FpressedAt;
    QString FpressedLink, FpendingLink;
};

// Shows `fileName` in TfrmHelpViewer; false (logged) when it cannot be read.
bool ShowHelpInside(const std::string& fileName);

ThelpOpener& HelpOpener();
// Installs an opener; nullptr restores the desktop one. Returns the previous one.
std::shared_ptr<ThelpOpener> SetHelpOpener(std::shared_ptr<ThelpOpener> opener);

class TmyHH : public QObject {
public:
    explicit TmyHH(QObject* owner = nullptr);
    ~TmyHH() override;

    const std::string& FileName() const { return FfileName; }
    void SetFileName(const std::string& fileName) { FfileName = fileName; }
    // Takes the program's context-help requests when the help file exists; a missing
    // file leaves them alone and says nothing.
    void HookHelp();
    void UnhookHelp();
    bool Hooked() const { return Fhooked; }
    // Opens the help file in the desktop's viewer, else in the program's own; a missing
    // or unreadable file is told through the prompt (without its path) and answers false.
    bool ShowHelp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string FfileName;
    bool Fhooked = false;
};

}  // namespace tunecrest
