#include "skin/modal_runner.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "skin/touch_dress.h"

namespace tunecrest {

namespace {

class TexecRunner : public TmodalRunner {
public:
    int Run(QDialog& dialog) override { return dialog.exec(); }
};

std::shared_ptr<TmodalRunner>& InstalledRunner()
{
    static std::shared_ptr<TmodalRunner> runner = std::make_shared<TexecRunner>();
    return runner;
}

QPointer<QWidget>& Owner()
{
    static QPointer<QWidget> owner;
    return owner;
}

// The dialogs running now, the latest last: a dialog opened from another stays above it.
std::vector<QPointer<QDialog>>& Running()
{
    static std::vector<QPointer<QDialog>> running;
    return running;
}

QWidget* OwnerOf(const QWidget& window)
{
    for (auto it = Running().rbegin(); it != Running().rend(); ++it)
        if (*it && it->data() != &window && (*it)->isVisible()) return it->data();
    QWidget* owner = Owner().data();
    return owner && owner != &window ? owner->window() : nullptr;
}

}  // namespace

std::shared_ptr<TmodalRunner> SetModalRunner(std::shared_ptr<TmodalRunner> runner)
{
    auto previous = InstalledRunner();
    InstalledRunner() = runner ? std::move(runner) : std::make_shared<TexecRunner>();
    return previous;
}

void SetDialogOwner(QWidget* owner) { Owner() = owner; }

QWidget* DialogOwner() { return Owner().data(); }

namespace {

// Above the owner: a window kept on top passes that on, and the window system keeps a
// window over the one it is transient for.
void StayAbove(QWidget& window, QWidget& owner)
{
    if (owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
        !window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !window.isVisible())
        window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (window.parentWidget()) return;
    owner.winId();
    window.winId();
    if (window.windowHandle() && owner.windowHandle()) window.windowHandle()->setTransientParent(owner.windowHandle());
}

// Moves `window` to the centre of `owner` (or keeps its place), then as far as it must to
// be wholly inside `area`.
void MoveOnScreen(QWidget& window, const QWidget& owner, const QRect& area, bool centre)
{
    const QRect frame = window.frameGeometry();
    const QSize margins = frame.size() - window.size();
    QRect placed(frame.topLeft(), window.size() + margins);
    if (centre) placed.moveCenter(owner.frameGeometry().center());
    placed.moveLeft(std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() + 1 - placed.height())));
    window.move(placed.topLeft());
}

// Centres a window once more when it shows, and again when its size changes while it
// shows (a layout that finds more to show, a page that grows): it stays centred and on
// the screen.
class TcentreOnShow : public QObject {
public:
    static constexpr const char* kName = "centreOverOwner";
    TcentreOnShow(QWidget& window, const QWidget& owner, const QRect& area)
        : QObject(&window), Fwindow(window), Fowner(&owner), Farea(area)
    {
        setObjectName(kName);
        window.installEventFilter(this);
    }
    void SetOwner(const QWidget& owner, const QRect& area)
    {
        Fowner = &owner;
        Farea = area;
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (Fowner && Fwindow.isVisible() && (e->type() == QEvent::Show || e->type() == QEvent::Resize))
            MoveOnScreen(Fwindow, *Fowner, Farea, true);
        return false;
    }

private:
    QWidget& Fwindow;
    QPointer<const QWidget> Fowner;
    QRect Farea;
};

}  // namespace

void KeepAboveOwner(QWidget& window)
{
    if (QWidget* owner = OwnerOf(window); owner && window.isWindow()) StayAbove(window, *owner);
}

void PlaceOverOwner(QWidget& window)
{
    // Whatever the window's own base gave it, its ordinary widgets take a finger.
    DressForTouch(window);
    QWidget* owner = OwnerOf(window);
    if (!owner || !window.isWindow()) return;
    StayAbove(window, *owner);
    QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // What the window's dress adds as it is polished (a heading) counts in its size.
    window.ensurePolished();
    const QRect area = screen->availableGeometry();
    // Its natural size unless its code chose one, never more than the screen.
    QSize size = window.size();
    if (!window.testAttribute(Qt::WA_Resized)) {
        if (QLayout* layout = window.layout()) layout->activate();
        size = window.sizeHint().expandedTo(window.minimumSizeHint());
        if (window.hasHeightForWidth()) size.setHeight(std::max(size.height(), window.heightForWidth(size.width())));
    }
    // The layout will not let it be smaller than its minimum once shown; with its frame it
    // is no larger than the screen.
    if (QLayout* layout = window.layout()) layout->activate();
    if (!window.parentWidget()) window.winId();
    const QSize frame = window.frameGeometry().size() - window.size();
    size = size.expandedTo(window.minimumSizeHint())
               .boundedTo(area.size() - frame)
               .expandedTo(window.minimumSize());
    window.resize(size);
    // A window its code placed keeps its place, on the screen.
    const bool centre = !window.testAttribute(Qt::WA_Moved);
    MoveOnScreen(window, *owner, area, centre);
    // Its size settles as it shows; it is centred again then, and whenever it grows.
    if (!centre) return;
    if (auto* keeper = dynamic_cast<TcentreOnShow*>(
            window.findChild<QObject*>(TcentreOnShow::kName, Qt::FindDirectChildrenOnly)))
        keeper->SetOwner(*owner, area);
    else
        new TcentreOnShow(window, *owner, area);
}

int RunModal(QDialog& dialog)
{
    PlaceOverOwner(dialog);
    // Keep the runner alive even if the dialog installs another while it runs.
    const std::shared_ptr<TmodalRunner> runner = InstalledRunner();
    Running().emplace_back(&dialog);
    const int result = runner->Run(dialog);
    auto& running = Running();
    running.erase(std::remove_if(running.begin(), running.end(),
                                 [&dialog](const QPointer<QDialog>& d) { return !d || d.data() == &dialog; }),
                  running.end());
    return result;
}

}  // namespace tunecrest
