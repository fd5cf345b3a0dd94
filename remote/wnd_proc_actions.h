#pragma once
// Actions driven by window messages: other programs (and the command line's "Message"
// item) send the main window numbered messages; every action bound to that message id
// (and, where asked, to its wParam and lParam) runs. Multimedia keys arrive as
// WM_APPCOMMAND and run the matching player action.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_messages.h"

namespace tunecrest {

class TmainWindowActions;

// One message as the window received it.
struct TMessage {
    uint32_t Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

enum TmyWndProcExecOption { wpeWparam = 1, wpeLparam = 2 };
using TmyWndProcExecOptions = unsigned;

class TmyWndProcAction {
public:
    using TmyWndProcEvent = std::function<void(TmyWndProcAction* sender, TMessage& msg, bool& execute, bool& handled)>;

    TmyWndProcAction() = default;
    TmyWndProcAction(std::string name, uint32_t messageId, uint32_t wParam, TmyWndProcExecOptions executeOn)
        : Name(std::move(name)), wParam(wParam), MessageID(messageId), ExecuteOn(executeOn) {}

    std::string Name;
    TmyWndProcEvent OnWndProc;
    uint32_t lParam = 0;
    uint32_t wParam = 0;
    uint32_t MessageID = 0;  // 0: not bound to a message
    TmyWndProcExecOptions ExecuteOn = 0;
    // The action's own work, as from a menu or button.
    std::function<void(TmyWndProcAction* sender)> OnExecute;

    // The message that made the action run; filled just before it runs and cleared after.
    const TMessage& Message() const { return Fmessage; }
    void Execute();

private:
    friend void HandleMessage(TmyWndProcAction& action, TMessage& msg, bool& handled);
    TMessage Fmessage;
};

// Offers one message to one action; runs it when its id (and wParam/lParam, where
// asked) match. The values are compared as unsigned 32-bit numbers.
void HandleMessage(TmyWndProcAction& action, TMessage& msg, bool& handled);

// Hooks a message window: every message in [MinMessage, MaxMessage] (no upper bound when
// MaxMessage is 0) is offered to OnDoWndProc and then to each message-bound action of the
// main window; a message no action handled goes on to the previous handler.
class TmyWndProcComponent {
public:
    TmyWndProcComponent(TmainWindowActions& actions, TmessageWindow::TmessageHandler previous = {});
    uint32_t MinMessage = 0;
    uint32_t MaxMessage = 0;
    std::function<void(TMessage& msg)> OnDoWndProc;

    // Handles one message and answers it.
    LRESULT WndProc(uint32_t msg, WPARAM wParam, LPARAM lParam);
    // Makes this component the window's message handler.
    void Attach(TmessageWindow& window);

private:
    TmainWindowActions& Factions;
    TmessageWindow::TmessageHandler Fprevious;
};

// Lines "name, earlier name (key)" for every two message-bound actions that answer the
// same message; true when there is any.
bool FindDuplicateWndProcActions(const std::vector<TmyWndProcAction*>& actions, std::vector<std::string>& list);

// The command of a WM_APPCOMMAND message: the high word of lParam without its top four bits.
constexpr uint32_t GET_APPCOMMAND_LPARAM(LPARAM lParam) { return (uint32_t(lParam) >> 16) & 0x0FFF; }

constexpr uint32_t APPCOMMAND_VOLUME_DOWN = 9;
constexpr uint32_t APPCOMMAND_VOLUME_UP = 10;
constexpr uint32_t APPCOMMAND_MEDIA_NEXTTRACK = 11;
constexpr uint32_t APPCOMMAND_MEDIA_PREVIOUSTRACK = 12;
constexpr uint32_t APPCOMMAND_MEDIA_STOP = 13;
constexpr uint32_t APPCOMMAND_MEDIA_PLAY_PAUSE = 14;

// The main-window action a multimedia key runs (empty for none).
std::string AppCommandAction(uint32_t command, bool playerStopped);
// Runs the action of a WM_APPCOMMAND message; true when one ran.
bool HandleAppCommand(TmainWindowActions& actions, LPARAM lParam);

// The main window's message-bound actions: WM_USER with the wParam as command number.
struct TuserMessageAction {
    uint32_t WParam;
    const char* Action;
};
const std::vector<TuserMessageAction>& UserMessageActions();
// One message-bound action per row of the table (WM_USER, matched on wParam); each runs
// `run` with its action name and the message that fired it (slot activation reads lParam).
using TmessageActionRunner = std::function<void(const std::string& action, const TMessage& msg)>;
std::vector<std::unique_ptr<TmyWndProcAction>> BuildUserMessageActions(TmessageActionRunner run);

}  // namespace tunecrest
