#pragma once
// The dialog pattern every window follows:
//  - an entry routine returns the values its callers expect (ShowOKCancel: 1 or 2,
//    CheckPassword: a boolean, ...);
//  - inside, it builds the form, fills it from a working copy, runs it through
//    RunModal, and copies back on OK only (EditWorkingCopy);
//  - the modal result becomes the caller's value in one place (IsOk, OkCancelResult).
// RunModal goes through a swappable runner: the program's runs the dialog's own modal
// loop; tests install one that presses the buttons and returns, so no test waits on a
// nested loop.
#include <memory>
#include <type_traits>
#include <utility>

class QDialog;
class QWidget;

namespace tunecrest {

// The modal results the dialogs close with.
enum TmodalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TmodalRunner {
public:
    virtual ~TmodalRunner() = default;
    // Shows `dialog` modally and returns its result once it has closed.
    virtual int Run(QDialog& dialog) = 0;
};

// Installs a runner; nullptr restores the one that runs QDialog::exec. Returns the
// previous one.
std::shared_ptr<TmodalRunner> SetModalRunner(std::shared_ptr<TmodalRunner> runner);
// Runs `dialog` through the installed runner, placed over its owner (PlaceOverOwner).
int RunModal(QDialog& dialog);

// The window the program's dialogs open over and stay above: the main window, set by
// the program (none until then, and then dialogs are placed as the window system
// likes).
void SetDialogOwner(QWidget* owner);
QWidget* DialogOwner();
// Places a window that is about to show over its owner (the dialog running now, else
// the dialog owner), dressed for touch (DressForTouch): it stays above the owner, takes its natural size limited to the
// owner's screen, and opens centred on the owner, moved only as far as it must to be
// wholly on the screen.
void PlaceOverOwner(QWidget& window);
// Only the first part of that: `window` stays above its owner (a full-screen window that
// sizes and places itself).
void KeepAboveOwner(QWidget& window);

// Installs a runner for the life of the scope and puts the previous one back.
class TmodalRunnerScope {
public:
    explicit TmodalRunnerScope(std::shared_ptr<TmodalRunner> runner) : Fprevious(SetModalRunner(std::move(runner))) {}
    ~TmodalRunnerScope() { SetModalRunner(std::move(Fprevious)); }
    TmodalRunnerScope(const TmodalRunnerScope&) = delete;
    TmodalRunnerScope& operator=(const TmodalRunnerScope&) = delete;

private:
    std::shared_ptr<TmodalRunner> Fprevious;
};

// The caller's values from a modal result. A dialog closed by any other road (the
// window manager, a parent going away) counts as Cancel.
constexpr bool IsOk(int modalResult) { return modalResult == mrOk; }
constexpr int OkCancelResult(int modalResult) { return modalResult == mrOk ? mrOk : mrCancel; }

// Edits a working copy of `target` with `runDialog(copy)` (which returns the modal
// result) and copies it back only on OK; Cancel leaves `target` untouched. Settings
// objects that cannot be copied are copied with their Assign.
template <typename T, typename TrunDialog>
bool EditWorkingCopy(T& target, TrunDialog&& runDialog)
{
    if constexpr (std::is_copy_constructible_v<T> && std::is_copy_assignable_v<T>) {
        T copy(target);
        if (!IsOk(runDialog(copy))) return false;
        target = std::move(copy);
    } else {
        T copy;
        copy.Assign(target);
        if (!IsOk(runDialog(copy))) return false;
        target.Assign(copy);
    }
    return true;
}

}  // namespace tunecrest
