#pragma once
// What the remote-control side needs of the main window's action table: run an action
// by name (as a click does, so its guards apply), list the actions bound to window
// messages, and tell whether the player is stopped (for the play/pause media key).
// The main window implements it; tests use a fake.
#include <string>
#include <vector>

namespace tunecrest {

class TmyWndProcAction;

class TmainWindowActions {
public:
    virtual ~TmainWindowActions() = default;
    // False when the window has no action of that name.
    virtual bool RunAction(const std::string& name) = 0;
    // The message-bound actions, in the order the window declares them.
    virtual std::vector<TmyWndProcAction*> MessageActions() = 0;
    virtual bool PlayerStopped() const = 0;
};

}  // namespace tunecrest
