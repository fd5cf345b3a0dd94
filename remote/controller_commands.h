#pragma once
// Controller actions: named, ordered lists of commands (press a key or click in another
// program's window, send it a window message, start a program, wait, run another action,
// switch the control group). The actions are kept in controlactions.ini, one section per
// action, one "comN" key per command holding "{Kind}" and the command's parameter text.
//
// Plain C++: no Qt here. Running an action never blocks the caller: commands run in
// order until a Wait, and the rest follows from the remote timer (command_runner.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;
class TmyStringList;
class TcontrollerCommandList;
class TcontrollerAction;
class TcontrollerActionList;
class TcontrolGroupList;

// Splits a parameter text at every `":"`, removing one leading and one trailing
// double quote of each field. There is no escaping.
std::vector<std::string> SplitParamText(const std::string& text);
// Joins fields into a parameter text: each in double quotes, joined by `":"`.
std::string JoinParamText(const std::vector<std::string>& fields);

// Mouse buttons packed into one value.
constexpr int32_t kMouseLeft = 1;
constexpr int32_t kMouseMiddle = 2;
constexpr int32_t kMouseRight = 4;
// Send-key value: key code in the low 16 bits, then the flags.
constexpr int32_t kKeyShift = 0x10000;
constexpr int32_t kKeyCtrl = 0x20000;
constexpr int32_t kKeyAlt = 0x40000;
constexpr int32_t kKeyVirtual = 0x80000;

// Show commands of an Exec command (stored only; Linux has no show state to pass on).
struct TshowCommand {
    const char* Name;
    int32_t Value;
};
const std::vector<TshowCommand>& ShowCommands();
// The name of a show value; empty for a value not in the table.
std::string ShowCommandName(int32_t value);

// The named keys offered for virtual-key commands; the first three are the modifiers.
struct TnamedKey {
    int32_t Code;
    std::string Name;
};
class TkeyboardKeys {
public:
    static constexpr int kFirstOfferedKey = 3;
    int Count() const { return int(Fkeys.size()); }
    // nullptr outside the table.
    const TnamedKey* Items(int index) const;
    const TnamedKey* FindByName(const std::string& name) const;  // without regard to case
    const TnamedKey* FindByCode(int32_t code) const;             // the first row with that code
    int IndexOfCode(int32_t code) const;                            // -1 when absent
    // Clears `list`, then adds the names from the fourth row on.
    void FillList(TmyStringList& list) const;

private:
    friend const TkeyboardKeys& KeyboardKeys();
    TkeyboardKeys();
    std::vector<TnamedKey> Fkeys;
};
const TkeyboardKeys& KeyboardKeys();

class TcustomControllerCommand : public TObject {
public:
    ~TcustomControllerCommand() override = default;
    TcontrollerCommandList* Owner() const { return Fowner; }
    // Fired at the start of every execution; Sender is the command.
    TNotifyEvent OnExecute;

    virtual std::string GetDescription() const = 0;
    virtual std::string GetParamText() const = 0;
    // Resets the fields, then takes the fields of `text` when their count is exact.
    virtual bool SetParamText(const std::string& text) = 0;
    // The word between the braces of the stored value; empty for a kind never stored.
    virtual std::string KindWord() const = 0;
    // Runs the command on its own (an action runs its commands through its sequence).
    // The base fires OnExecute; every kind calls it first.
    virtual void Execute();
    // Opens the kind's editor (installed by the interface); true when confirmed.
    bool Edit();
    // A fresh command of the same kind with the same fields.
    std::unique_ptr<TcustomControllerCommand> Clone() const;

    // The action whose list holds this command, or nullptr.
    TcontrollerAction* Action() const;

private:
    friend class TcontrollerCommandList;
    TcontrollerCommandList* Fowner = nullptr;
};

// The interface installs the command editors; without them Edit answers false.
using TcommandEditor = std::function<bool(TcustomControllerCommand& command)>;
void SetCommandEditor(TcommandEditor editor);

// Target window: an empty title or class matches any window.
class TwindowCommand : public TcustomControllerCommand {
public:
    std::string WindowTitle;
    std::string WindowClass;
};

class TmouseCommand : public TwindowCommand {
public:
    bool LeftButton = false;
    bool RightButton = false;
    bool MiddleButton = false;
    int32_t X = 0;
    int32_t Y = 0;

    int32_t Buttons() const;
    void SetButtons(int32_t packed);
    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Mouse"; }
    void Execute() override;
};

class TsendMessageCommand : public TwindowCommand {
public:
    uint32_t MessageID = 0;
    int32_t LParam = 0;
    int32_t WParam = 0;

    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Message"; }
    void Execute() override;
};

class TsendKeyCommand : public TwindowCommand {
public:
    int32_t KeyCode = 0;  // only the low 16 bits are used
    bool Alt = false;
    bool Shift = false;
    bool Ctrl = false;
    bool VirtualKey = false;

    int32_t KeyValue() const;
    // Sets the code and every flag whose bit is on; never clears a flag.
    void SetKeyValue(int32_t packed);
    // "[Shift][Ctrl][Alt]" as set, then the key's name or character.
    std::string KeyText() const;
    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Key"; }
    void Execute() override;
};

class TappExecCommand : public TcustomControllerCommand {
public:
    int32_t ShowCommand = 1;
    std::string FileName;
    std::string Parameters;

    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Exec"; }
    void Execute() override;
};

// Inside an action the wait is kept by the action's sequence; on its own it only
// fires OnExecute.
class TwaitCommand : public TcustomControllerCommand {
public:
    int32_t Seconds = 1;

    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Wait"; }
};

class TactionCommand : public TcustomControllerCommand {
public:
    std::string ActionName;

    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return "Action"; }
    // On its own: asks the owning list to run the named action.
    void Execute() override;
    // The named action in the list that owns this command's action, or nullptr.
    std::shared_ptr<TcontrollerAction> FindTarget() const;
};

// Built by the hub for its generated actions; never stored.
class TgroupActivateCommand : public TcustomControllerCommand {
public:
    std::string GroupName;

    std::string GetDescription() const override;
    std::string GetParamText() const override;
    bool SetParamText(const std::string& text) override;
    std::string KindWord() const override { return {}; }
    void Execute() override;
};

// A new command of the stored kind word (without regard to case); nullptr when unknown.
std::unique_ptr<TcustomControllerCommand> CreateCommandOfKind(const std::string& kindWord);

// Where the reader reports what it could not take; LogError when not set.
using TloadProblem = std::function<void(const std::string& message)>;

class TcontrollerCommandList : public TObject {
public:
    explicit TcontrollerCommandList(TcontrollerAction* action = nullptr) : Faction(action) {}
    TcontrollerCommandList(const TcontrollerCommandList&) = delete;
    TcontrollerCommandList& operator=(const TcontrollerCommandList&) = delete;

    TcustomControllerCommand* Add(std::unique_ptr<TcustomControllerCommand> command);
    template <typename T>
    T* AddNew() {
        return static_cast<T*>(Add(std::make_unique<T>()));
    }
    // Removes and frees; a bad index is ignored; no notification.
    void Delete(int index);
    void Clear();
    void Move(int from, int to);
    void MoveUp(int index);
    void MoveDown(int index);
    int Count() const { return int(Fitems.size()); }
    TcustomControllerCommand* Items(int index) const;
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    // Clears `list`, then adds each command's description with the command's index.
    void FillList(std::vector<std::string>& list) const;
    // Appends the commands of the section's "com" keys; reports what it skips.
    void LoadFromIni(const TiniFile& ini, int sectionIndex, const TloadProblem& problem = {});
    void SaveToIni(TiniFile& ini, const std::string& section) const;

    TcontrollerAction* Action() const { return Faction; }
    TNotifyEvent OnChange;

private:
    void Changed();
    TcontrollerAction* Faction;
    std::vector<std::unique_ptr<TcustomControllerCommand>> Fitems;
    int FupdateCount = 0;
};

class TcontrollerAction : public TObject, public std::enable_shared_from_this<TcontrollerAction> {
public:
    TcontrollerAction();
    TcontrollerAction(const TcontrollerAction&) = delete;
    TcontrollerAction& operator=(const TcontrollerAction&) = delete;

    TcontrollerCommandList& Commands() { return Fcommands; }
    const TcontrollerCommandList& Commands() const { return Fcommands; }
    TcontrollerActionList* Owner() const { return Fowner; }
    // The list in which Action commands of this action look up their targets: the owner,
    // or, for a working copy that an editor holds outside any list, the list it was
    // copied from.
    TcontrollerActionList* LookupList() const { return Fowner ? Fowner : FlookupList; }
    void SetLookupList(TcontrollerActionList* list) { FlookupList = list; }

    const std::string& Name() const { return Fname; }
    void SetName(const std::string& name);
    const std::string& Description() const { return Fdescription; }
    void SetDescription(const std::string& description);
    const std::string& Group() const { return Fgroup; }
    void SetGroup(const std::string& group);
    bool ReadOnly = false;

    // Runs the commands in order (through the owning list's sequence when there is one,
    // so waits never block); a request while the action runs is queued behind it.
    void Execute();
    // True while a sequence is running this action.
    bool Running() const { return Frunning; }
    int QueuedRequests() const { return Fqueued; }
    // A read-only action shows an error box; otherwise the installed action editor.
    bool Edit();
    void LoadFromIni(const TiniFile& ini, int sectionIndex, const TloadProblem& problem = {});
    void SaveToIni(TiniFile& ini) const;
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;

private:
    friend class TcontrollerActionList;
    friend class TactionSequencer;
    void Changed();
    TcontrollerCommandList Fcommands;
    TcontrollerActionList* Fowner = nullptr;
    TcontrollerActionList* FlookupList = nullptr;
    std::string Fdescription;
    std::string Fname;
    int FupdateCount = 0;
    std::string Fgroup;
    bool Frunning = false;
    int Fqueued = 0;
};
using TcontrollerActionPtr = std::shared_ptr<TcontrollerAction>;

using TactionEditor = std::function<bool(TcontrollerAction& action)>;
void SetActionEditor(TactionEditor editor);
// A copy of `action` outside any list: same name, description, group, read-only flag and
// commands (the editors work on such copies and copy back on OK).
TcontrollerActionPtr CloneAction(const TcontrollerAction& action);

using TactionListEditor = std::function<bool(TcontrollerActionList& list)>;
void SetActionListEditor(TactionListEditor editor);

// Action renames: (old name, new name) pairs, applied together.
using TactionRenames = std::vector<std::pair<std::string, std::string>>;
using TrenameListener = std::function<void(const TactionRenames& renames)>;
// The new name of `name` (matched without regard to case), or `name` itself.
std::string RenamedAction(const TactionRenames& renames, const std::string& name);

struct TactionTreeGroup {
    std::string Label;
    std::vector<TcontrollerAction*> Actions;
};

class TcontrollerActionList : public TObject {
public:
    TcontrollerActionList();
    ~TcontrollerActionList() override;
    TcontrollerActionList(const TcontrollerActionList&) = delete;
    TcontrollerActionList& operator=(const TcontrollerActionList&) = delete;

    TcontrollerAction* Add(TcontrollerActionPtr action);
    // A new empty action appended to this list.
    TcontrollerAction* AddNew();
    void Remove(TcontrollerAction* action);
    void Delete(int index);
    void Move(int from, int to);
    void MoveUp(int index);
    void MoveDown(int index);
    int Count() const { return int(Fitems.size()); }
    TcontrollerAction* Items(int index) const;
    TcontrollerActionPtr ItemPtr(int index) const;
    TcontrollerAction* FindByName(const std::string& name) const;
    bool Exists(const std::string& name) const { return FindByName(name) != nullptr; }
    std::string GetNewActionName() const;
    // Names (with " [description]") of the actions, read-only ones only when asked.
    void FillList(std::vector<std::string>& list, bool includeReadOnly) const;
    // The actions under their group labels: "[Group Not Assigned]" first, the others
    // in the order they first appear.
    std::vector<TactionTreeGroup> FillTreeView(bool includeReadOnly) const;
    // Appends one action per section; a section whose name an action already has is
    // skipped and reported, as is every entry that cannot be read.
    void LoadFromIni(const TiniFile& ini, const TloadProblem& problem = {});
    void SaveToIni(TiniFile& ini) const;
    // Opens the installed action-list editor; false without one or when cancelled.
    bool Edit();

    bool Sorted() const { return Fsorted; }
    void SetSorted(bool value);
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    TNotifyEvent OnChange;

    TcontrolGroupList* GroupList() const { return FgroupList; }
    void SetGroupList(TcontrolGroupList* groups) { FgroupList = groups; }

    // Renames what names actions after the actions were renamed: the Action commands of
    // this list's actions, then every listener still alive (the plug-ins' command maps,
    // the action button pad). Each name is renamed by one pass over the pairs, so names
    // that trade places stay right.
    void RenameReferences(const TactionRenames& renames);
    // The list keeps a weak link only: the listener hears renames for as long as its
    // owner keeps it.
    void AddRenameListener(const std::shared_ptr<TrenameListener>& listener);

    // Runs the action (queued behind a run of the same action still under way).
    void Run(TcontrollerAction* action);
    // Cancels every sequence: pending waits are dropped.
    void StopAll();

private:
    friend class TcontrollerAction;
    void Changed();
    void SortItems();
    std::vector<TcontrollerActionPtr> Fitems;
    int FupdateCount = 0;
    TcontrolGroupList* FgroupList = nullptr;
    bool Fsorted = true;
    std::unique_ptr<class TactionSequencer> Fsequencer;
    std::vector<std::weak_ptr<TrenameListener>> FrenameListeners;
};

}  // namespace tunecrest
