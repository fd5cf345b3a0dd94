#pragma once
// The standard (not skinned) dialogs that maintain the remote-control actions and the
// programs started with the jukebox. Each entry routine builds its dialog, fills it from
// a working copy, runs it through RunModal and copies back only on OK, so Cancel leaves
// the object (and the files saved from it) exactly as it was.
#include <functional>
#include <string>

namespace tunecrest {

class TcustomControllerCommand;
class TsendKeyCommand;
class TwaitCommand;
class TappExecCommand;
class TactionCommand;
class TsendMessageCommand;
class TmouseCommand;
class TgroupActivateCommand;
class TcontrollerAction;
class TcontrollerActionList;
class TcontrolGroupList;
class TappLauncher;
class TappLauncherList;

// The kind word of a new command ("Mouse", "Key", "Message", "Exec", "Wait", "Action");
// true on OK with a row selected.
bool ChooseCommandType(std::string& kind);

// One action: description, group and its commands. The commands are edited on a copy too;
// OK puts description, group and commands back in one change.
bool EditAction(TcontrollerAction& action);
// The user's actions of a list (the generated read-only ones are neither shown nor
// touched). OK replaces the user's actions with the edited ones.
bool EditActions(TcontrollerActionList& list);
// Picks an action of `list` (read-only ones included); Cancel returns `current`.
TcontrollerAction* SelectAction(TcontrollerActionList& list, TcontrollerAction* current);

bool EditSendKey(TsendKeyCommand& command);
bool EditWait(TwaitCommand& command);
bool EditAppLaunch(TappExecCommand& command);
// The target is looked up in the list the command's action looks up its targets in.
bool EditActionCommand(TactionCommand& command);
bool EditSendMessage(TsendMessageCommand& command);
bool EditMouse(TmouseCommand& command);
// The names offered are those of `groups` (the hub's control groups), when given.
bool EditActivateGroup(TgroupActivateCommand& command, const TcontrolGroupList* groups);
// The editor of the command's kind.
bool EditCommand(TcustomControllerCommand& command);

// Makes the model's Edit operations (command, action, action list) open these dialogs.
void InstallRemoteEditors();

// Where the mouse editor's "Get" finds its target: the window under the pointer, its
// class and title, and the pointer in that window's client coordinates. False when there
// is none (no display, no window).
struct TpointerTarget {
    int X = 0;
    int Y = 0;
    std::string WindowClass;
    std::string WindowTitle;
};
using TpointerTargetProbe = std::function<bool(TpointerTarget& target)>;
// Installs a probe (tests); an empty function restores the display's own. Returns the
// previous one.
TpointerTargetProbe SetPointerTargetProbe(TpointerTargetProbe probe);
// How long "Get" waits for the user to point at the target.
constexpr int kPointerCaptureDelayMs = 10000;

// One program started with the jukebox: file, parameters and whether to wait for it.
bool EditAppLauncher(TappLauncher& launcher);
// The whole list under `caption`; OK puts the edited list back in one change.
bool EditAppLauncherList(TappLauncherList& list, const std::string& caption = "Programs");

}  // namespace tunecrest
