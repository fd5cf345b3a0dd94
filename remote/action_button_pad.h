#pragma once
// The action button pad's model: the actions it shows, kept as names of the controller's
// actions and looked up each time they are used, so a pad never holds an action that a
// rebuild of the generated group actions (or the action editors) has freed. A name that
// no longer finds an action shows as a disabled button. Also the pad's size and idle
// time-out (section "ActionButtonPad") and the arithmetic of its button grid.
//
// Plain C++: the skinned pad window (windows/remote/) shows and runs what this holds.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"
#include "remote/controller_commands.h"

namespace tunecrest {

class TiniFile;
class TcontrollerAction;
class TcontrollerActionList;

class TactionButtonPad : public TObject {
  public:
    static constexpr int DefaultTimeout = 10;

    explicit TactionButtonPad(TcontrollerActionList* source = nullptr);
    // Tells OnDestroy, so a window showing the pad lets go of it.
    ~TactionButtonPad() override;
    TactionButtonPad(const TactionButtonPad&) = delete;
    TactionButtonPad& operator=(const TactionButtonPad&) = delete;

    // The controller's action list, in which the names are looked up.
    TcontrollerActionList* Source() const { return Fsource; }
    // Also hears the list's renames: an entry of a renamed action takes its new name.
    void SetSource(TcontrollerActionList* source);

    int Count() const { return int(Fnames.size()); }
    // Empty outside the range.
    std::string Names(int index) const;
    const std::vector<std::string>& NameList() const { return Fnames; }
    // Replaces every entry at once (one change notice).
    void SetNames(std::vector<std::string> names);
    void Add(const std::string& actionName);
    void Delete(int index);  // a bad index is ignored
    void Clear();
    void Move(int from, int to);
    void MoveUp(int index);    // only for 0 < index < Count
    void MoveDown(int index);  // only for 0 <= index < Count - 1
    // The action the entry names, looked up now (without regard to case); nullptr when
    // the controller has no such action any more.
    TcontrollerAction* Resolve(int index) const;
    // Runs the entry's action and restarts the idle count; false when the name finds none.
    bool Run(int index);
    // The entries as the list editor shows them: the name, and " [description]" when the
    // action has one.
    std::vector<std::string> FillList() const;

    // "ButtonList": Button0, Button1, ... naming actions. Reading appends the names the
    // controller has (all when no source is set); names without an action are skipped.
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    // Replaces the section with the entries.
    void SaveToIni(TiniFile& ini, const std::string& section) const;

    // Size and idle time-out (seconds). LoadSettings keeps the present size for keys that
    // are missing.
    int Width = 0;
    int Height = 0;
    int Timeout = DefaultTimeout;
    void LoadSettings(const TiniFile& ini, const std::string& section);
    void SaveSettings(TiniFile& ini, const std::string& section) const;

    // Seconds since the pad was last used.
    int IdleCount() const { return FidleCount; }
    void ResetIdle() { FidleCount = 0; }
    // One second without use; true when the pad should hide (the count passed Timeout).
    bool Tick();

    TNotifyEvent OnChange;
    TNotifyEvent OnDestroy;

  private:
    void Changed();
    TcontrollerActionList* Fsource = nullptr;
    std::shared_ptr<TrenameListener> FrenameListener;
    std::vector<std::string> Fnames;
    int FidleCount = 0;
};

// Where the buttons of the pad go: `count` buttons of `buttonWidth` x `buttonHeight`, left
// to right and top to bottom in rows as wide as `padWidth` allows. Empty when not even one
// button fits across.
struct TpadCell {
    int Left = 0;
    int Top = 0;
};
std::vector<TpadCell> LayOutPadButtons(int count, int padWidth, int buttonWidth, int buttonHeight);

}  // namespace tunecrest
