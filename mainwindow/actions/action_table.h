#pragma once
// The main window's actions as data: every user command with its name, category, caption,
// shortcut and window-message number, in one table. Menus, buttons, shortcuts, window
// messages and remote control all run the same `Taction`, under the same guard.
//
// `Taction` is our own small action rather than QAction: a hidden action whose shortcut
// switch is on must still run from its shortcut and its window message, and Qt drops the
// shortcuts of invisible actions. The window feeds key presses and messages to the list.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/exceptions.h"

namespace tunecrest {

class TiniFile;

// The message number that carries a command number in wParam.
inline constexpr int WM_USER_COMMAND = 1024;

struct TactionDef {
    const char* Name;
    const char* Category;
    const char* Caption;
    const char* ShortCut;  // "" for none; "Ctrl+P" form
    int Message;           // wParam of the command message; 0 when no message fires it
    bool Hidden = false;   // Visible false as the window is built
    int Tag = 0;
    bool AutoCheck = false;
    bool Checked = false;
};

// Every action of the main window, in menu order.
const std::vector<TactionDef>& MainActionTable();

// The road by which a command reaches an action.
enum class TactionRoad { arRun, arShortcut, arMessage };

class Taction {
  public:
    explicit Taction(const TactionDef& def);

    std::string Name, Category, Caption, Hint, ShortCut;
    int Tag = 0;
    int MessageID = 0;  // WM_USER_COMMAND when a message fires it, else 0
    int WParam = 0;
    bool AutoCheck = false;
    bool Checked = false;
    bool Visible = true;
    bool Enabled = true;
    std::function<void(Taction& sender)> OnExecute;
    // The road of the run in progress, for handlers that guard one road differently.
    TactionRoad Road = TactionRoad::arRun;

    // Runs the handler when the action is enabled (visible or not); an auto-check action
    // flips its check mark first. Answers whether it ran.
    bool Execute(TactionRoad road = TactionRoad::arRun);
};

class TactionList {
  public:
    TactionList();  // built from MainActionTable()

    int Count() const { return int(Factions.size()); }
    Taction& operator[](int i) { return *Factions.at(size_t(i)); }
    Taction* Find(const std::string& name) const;
    Taction& Get(const std::string& name) const;  // throws for an unknown name

    // A key press, as shortcut text ("Ctrl+S"): runs the one action bound to it.
    bool ExecuteShortcut(const std::string& shortcut);
    // A command message: runs the action whose wParam matches.
    bool ExecuteMessage(int wParam);
    // By name, as remote control and the message layer do; `road` says which way it came.
    bool ExecuteByName(const std::string& name, TactionRoad road = TactionRoad::arRun);

    // Shortcuts in section "Shortcuts": one key per action, its name without the first four
    // characters. Written: every action with a shortcut and every message-bound action.
    // Read: a missing key keeps the shortcut; an empty value clears it; a value that is no
    // shortcut leaves the action as it was.
    void ReadShortcuts(const TiniFile& ini);
    void WriteShortcuts(TiniFile& ini) const;

  private:
    std::vector<std::unique_ptr<Taction>> Factions;
};

// Normal form of shortcut text: modifiers in the order Ctrl, Alt, Shift, Meta, then the key;
// "" when the text is no shortcut (an unknown key or a modifier alone).
std::string NormalizeShortcut(const std::string& text);

}  // namespace tunecrest
