#include "remote/wnd_proc_actions.h"

#include <algorithm>
#include <map>

#include "remote/main_window_actions.h"

namespace tunecrest {

void TmyWndProcAction::Execute() {
    if (OnExecute) OnExecute(this);
}

void HandleMessage(TmyWndProcAction& action, TMessage& msg, bool& handled) {
    // Both sides as unsigned 32-bit values: a field with its top bit set matches the
    // action that stores the same 32 bits.
    // MessageID 0 means "not bound": such an action never runs from a message.
    bool execute = action.MessageID != 0 && msg.Msg == action.MessageID;
    if (!execute) return;
    if (action.ExecuteOn & wpeWparam) execute = execute && uint32_t(msg.WParam) == action.wParam;
    if (action.ExecuteOn & wpeLparam) execute = execute && uint32_t(msg.LParam) == action.lParam;
    if (action.OnWndProc) action.OnWndProc(&action, msg, execute, handled);
    if (execute) {
        action.Fmessage = msg;
        action.Execute();
    }
    action.Fmessage = TMessage{};
}

TmyWndProcComponent::TmyWndProcComponent(TmainWindowActions& actions, TmessageWindow::TmessageHandler previous)
    : Factions(actions), Fprevious(std::move(previous)) {}

LRESULT TmyWndProcComponent::WndProc(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    bool handled = false;
    if (msg >= MinMessage && (MaxMessage == 0 || msg <= MaxMessage)) {
        if (OnDoWndProc) OnDoWndProc(message);
        for (TmyWndProcAction* action : Factions.MessageActions())
            if (action) HandleMessage(*action, message, handled);
    }
    if (!handled && Fprevious) return Fprevious(msg, wParam, lParam);
    return message.Result;
}

void TmyWndProcComponent::Attach(TmessageWindow& window) {
    window.SetMessageHandler([this](uint32_t msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); });
}

bool FindDuplicateWndProcActions(const std::vector<TmyWndProcAction*>& actions, std::vector<std::string>& list) {
    std::map<std::string, const TmyWndProcAction*> seen;
    for (const TmyWndProcAction* action : actions) {
        if (!action || action->MessageID == 0) continue;
        std::string key = std::to_string(action->MessageID);
        if (action->ExecuteOn & wpeWparam) key += ", W:" + std::to_string(action->wParam);
        if (action->ExecuteOn & wpeLparam) key += ", L:" + std::to_string(action->lParam);
        auto found = seen.find(key);
        if (found != seen.end()) list.push_back(action->Name + ", " + found->second->Name + " (" + key + ")");
        else seen.emplace(key, action);
    }
    return !list.empty();
}

std::string AppCommandAction(uint32_t command, bool playerStopped) {
    switch (command) {
        case APPCOMMAND_VOLUME_DOWN: return "actnControlLowerVolume";
        case APPCOMMAND_VOLUME_UP: return "actnControlRaiseVolume";
        case APPCOMMAND_MEDIA_NEXTTRACK: return "actnControlNext";
        case APPCOMMAND_MEDIA_STOP: return "actnControlStop";
        case APPCOMMAND_MEDIA_PLAY_PAUSE: return playerStopped ? "actnControlPlay" : "actnControlPause";
        default: return {};
    }
}

bool HandleAppCommand(TmainWindowActions& actions, LPARAM lParam) {
    const std::string name = AppCommandAction(GET_APPCOMMAND_LPARAM(lParam), actions.PlayerStopped());
    return !name.empty() && actions.RunAction(name);
}

const std::vector<TuserMessageAction>& UserMessageActions() {
    static const std::vector<TuserMessageAction> table = {
        {1, "actnControlPlayShortcut"},    {2, "actnControlPauseShortcut"},  {3, "actnControlStopShortcut"},
        {4, "actnControlNextShortcut"},    {5, "actnControlRestartTrack"},   {6, "actnControlRepeatPlay"},
        {7, "actnControlRaiseVolume"},     {8, "actnControlLowerVolume"},    {100, "actnFileExit"},
        {101, "actnViewMinimize"},         {102, "actnViewFullScreen"},      {200, "actnRandomPlayEnabled"},
        {201, "actnPlaylistEnabled"},      {202, "actnStackerEnabled"},      {203, "actnRandomPlayClearFilters"},
        {300, "actnQueueMoveTop"},         {301, "actnQueueMoveUp"},         {302, "actnQueueMoveDown"},
        {303, "actnQueueDelete"},          {304, "actnQueueClearNoConfirm"}, {305, "actnQueuePreviousTrack"},
        {310, "actnQueueRandomize"},       {311, "actnQueueLoop"},           {400, "actnQueueAddSelected"},
        {401, "actnQueueAddAll"},          {500, "actnActivateSlot"},        {1000, "actnActivateJukeboxList"},
        {1001, "actnActivateTrackList"},   {1002, "actnActivateQueueList"}};
    return table;
}

std::vector<std::unique_ptr<TmyWndProcAction>> BuildUserMessageActions(TmessageActionRunner run) {
    std::vector<std::unique_ptr<TmyWndProcAction>> actions;
    for (const TuserMessageAction& row : UserMessageActions()) {
        auto action = std::make_unique<TmyWndProcAction>(row.Action, WM_USER, row.WParam, wpeWparam);
        action->OnExecute = [run](TmyWndProcAction* sender) {
            if (run) run(sender->Name, sender->Message());
        };
        actions.push_back(std::move(action));
    }
    return actions;
}

}  // namespace tunecrest
