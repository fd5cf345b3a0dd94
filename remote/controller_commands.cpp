#include "remote/controller_commands.h"

#include <algorithm>
#include <optional>

#include "core/base/exceptions.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/base/text_utils.h"
#include "platform/window_messages.h"
#include "remote/command_runner.h"
#include "remote/controller_hub.h"

namespace tunecrest {

namespace {

const char* const kSeparator = "\":\"";
const char* const kNoGroupLabel = "[Group Not Assigned]";

std::string StripQuotes(std::string field) {
    if (!field.empty() && field.front() == '"') field.erase(0, 1);
    if (!field.empty() && field.back() == '"') field.pop_back();
    return field;
}

TcommandEditor& CommandEditor() {
    static TcommandEditor editor;
    return editor;
}

TactionEditor& ActionEditor() {
    static TactionEditor editor;
    return editor;
}

TactionListEditor& ActionListEditor() {
    static TactionListEditor editor;
    return editor;
}

std::optional<std::string> AnyWhenEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

// A code point as UTF-8 (the character of a character-key command).
std::string Utf8Of(uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
    return out;
}

}  // namespace

std::vector<std::string> SplitParamText(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(kSeparator, start);
        if (pos == std::string::npos) {
            fields.push_back(StripQuotes(text.substr(start)));
            return fields;
        }
        fields.push_back(StripQuotes(text.substr(start, pos - start)));
        start = pos + 3;
    }
}

std::string JoinParamText(const std::vector<std::string>& fields) {
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) text += kSeparator;
        else text += '"';
        text += fields[i];
    }
    return text + '"';
}

const std::vector<TshowCommand>& ShowCommands() {
    static const std::vector<TshowCommand> table = {
        {"Show Normal", 1}, {"Show Maximized", 3}, {"Show Minimized", 2}, {"Show Minimized and Not Active", 7}};
    return table;
}

std::string ShowCommandName(int32_t value) {
    for (const TshowCommand& row : ShowCommands())
        if (row.Value == value) return row.Name;
    return {};
}

// ---- Named keys ----

TkeyboardKeys::TkeyboardKeys() {
    Fkeys = {{0x10, "Shift"},      {0x11, "Ctrl"},        {0x12, "Alt"},        {0x08, "Backspace"},
             {0x09, "Tab"},        {0x0D, "Enter"},       {0x1B, "Escape"},     {0x20, "Spacebar"},
             {0x21, "Page Up"},    {0x22, "Page Down"},   {0x23, "End"},        {0x24, "Home"},
             {0x2D, "Insert"},     {0x2E, "Delete"},      {0x26, "Up Arrow"},   {0x28, "Down Arrow"},
             {0x25, "Left Arrow"}, {0x27, "Right Arrow"}, {0x2C, "Print Screen"}};
    for (int i = 0; i < 12; ++i) Fkeys.push_back({0x70 + i, "F" + std::to_string(i + 1)});
}

const TkeyboardKeys& KeyboardKeys() {
    static const TkeyboardKeys keys;
    return keys;
}

const TnamedKey* TkeyboardKeys::Items(int index) const {
    return index >= 0 && index < Count() ? &Fkeys[size_t(index)] : nullptr;
}

const TnamedKey* TkeyboardKeys::FindByName(const std::string& name) const {
    for (const TnamedKey& key : Fkeys)
        if (SameText(key.Name, name)) return &key;
    return nullptr;
}

const TnamedKey* TkeyboardKeys::FindByCode(int32_t code) const { return Items(IndexOfCode(code)); }

int TkeyboardKeys::IndexOfCode(int32_t code) const {
    for (size_t i = 0; i < Fkeys.size(); ++i)
        if (Fkeys[i].Code == code) return int(i);
    return -1;
}

void TkeyboardKeys::FillList(TmyStringList& list) const {
    list.BeginUpdate();
    list.Clear();
    for (int i = kFirstOfferedKey; i < Count(); ++i) list.Add(Fkeys[size_t(i)].Name);
    list.EndUpdate();
}

// ---- Commands ----

void SetCommandEditor(TcommandEditor editor) { CommandEditor() = std::move(editor); }
void SetActionEditor(TactionEditor editor) { ActionEditor() = std::move(editor); }
void SetActionListEditor(TactionListEditor editor) { ActionListEditor() = std::move(editor); }

void TcustomControllerCommand::Execute() {
    if (OnExecute) OnExecute(this);
}

bool TcustomControllerCommand::Edit() { return CommandEditor() ? CommandEditor()(*this) : false; }

std::unique_ptr<TcustomControllerCommand> TcustomControllerCommand::Clone() const {
    std::unique_ptr<TcustomControllerCommand> copy;
    if (auto* group = dynamic_cast<const TgroupActivateCommand*>(this)) {
        auto g = std::make_unique<TgroupActivateCommand>();
        g->GroupName = group->GroupName;
        return g;
    }
    copy = CreateCommandOfKind(KindWord());
    if (copy) copy->SetParamText(GetParamText());
    return copy;
}

TcontrollerAction* TcustomControllerCommand::Action() const { return Fowner ? Fowner->Action() : nullptr; }

int32_t TmouseCommand::Buttons() const {
    return (LeftButton ? kMouseLeft : 0) | (MiddleButton ? kMouseMiddle : 0) | (RightButton ? kMouseRight : 0);
}

void TmouseCommand::SetButtons(int32_t packed) {
    LeftButton = packed & kMouseLeft;
    MiddleButton = packed & kMouseMiddle;
    RightButton = packed & kMouseRight;
}

std::string TmouseCommand::GetDescription() const {
    std::vector<std::string> names;
    if (LeftButton) names.push_back("Left");
    if (MiddleButton) names.push_back("Middle");
    if (RightButton) names.push_back("Right");
    std::string buttons;
    for (size_t i = 0; i < names.size(); ++i) buttons += (i ? ", " : "") + names[i];
    return Format("Mouse Click (%s:%s:<%s>(%d,%d))", WindowTitle.c_str(), WindowClass.c_str(), buttons.c_str(),
                  X, Y);
}

std::string TmouseCommand::GetParamText() const {
    return JoinParamText(
        {WindowTitle, WindowClass, std::to_string(Buttons()), std::to_string(X), std::to_string(Y)});
}

bool TmouseCommand::SetParamText(const std::string& text) {
    WindowTitle.clear();
    WindowClass.clear();
    SetButtons(0);
    X = Y = 0;
    const auto f = SplitParamText(text);
    if (f.size() != 5) return false;
    WindowTitle = f[0];
    WindowClass = f[1];
    SetButtons(StrToIntDef(f[2], 0));
    X = StrToIntDef(f[3], 0);
    Y = StrToIntDef(f[4], 0);
    return true;
}

void TmouseCommand::Execute() {
    TcustomControllerCommand::Execute();
    TmouseClick click;
    click.WindowTitle = WindowTitle;
    click.WindowClass = WindowClass;
    click.X = X;
    click.Y = Y;
    click.Left = LeftButton;
    click.Right = RightButton;
    click.Middle = MiddleButton;
    InputSender().SendMouse(click);
}

std::string TsendMessageCommand::GetDescription() const {
    return Format("Send Message (%s:%s:%u:%d:%d)", WindowTitle.c_str(), WindowClass.c_str(), MessageID, WParam,
                  LParam);
}

std::string TsendMessageCommand::GetParamText() const {
    return JoinParamText({WindowTitle, WindowClass, std::to_string(MessageID), std::to_string(WParam),
                          std::to_string(LParam)});
}

bool TsendMessageCommand::SetParamText(const std::string& text) {
    WindowTitle.clear();
    WindowClass.clear();
    MessageID = 0;
    WParam = LParam = 0;
    const auto f = SplitParamText(text);
    if (f.size() != 5) return false;
    WindowTitle = f[0];
    WindowClass = f[1];
    // Stored unsigned; a negative text gives the same 32 bits.
    MessageID = uint32_t(StrToInt64Def(f[2], 0));
    WParam = StrToIntDef(f[3], 0);
    LParam = StrToIntDef(f[4], 0);
    return true;
}

void TsendMessageCommand::Execute() {
    TcustomControllerCommand::Execute();
    const HWND window = FindWindow(AnyWhenEmpty(WindowClass), AnyWhenEmpty(WindowTitle));
    if (!window) return;
    // Posted: the answer is not used, and waiting for it would stall the main thread (or
    // wait on itself when the window is our own).
    PostMessage(window, MessageID, WPARAM(uint32_t(WParam)), LPARAM(uint32_t(LParam)));
}

int32_t TsendKeyCommand::KeyValue() const {
    return (KeyCode & 0xFFFF) | (Shift ? kKeyShift : 0) | (Ctrl ? kKeyCtrl : 0) | (Alt ? kKeyAlt : 0) |
           (VirtualKey ? kKeyVirtual : 0);
}

void TsendKeyCommand::SetKeyValue(int32_t packed) {
    KeyCode = packed & 0xFFFF;
    if (packed & kKeyShift) Shift = true;
    if (packed & kKeyCtrl) Ctrl = true;
    if (packed & kKeyAlt) Alt = true;
    if (packed & kKeyVirtual) VirtualKey = true;
}

std::string TsendKeyCommand::KeyText() const {
    std::string text;
    if (Shift) text += "[Shift]";
    if (Ctrl) text += "[Ctrl]";
    if (Alt) text += "[Alt]";
    const int32_t code = KeyCode & 0xFFFF;
    if (VirtualKey) {
        const TnamedKey* key = KeyboardKeys().FindByCode(code);
        text += key ? key->Name : "[Undefined]";
    } else if (code != 0) {
        text += Utf8Of(uint32_t(code));
    }
    return text;
}

std::string TsendKeyCommand::GetDescription() const {
    return Format("%s(%s:%s:%s)", "Send Key", WindowTitle.c_str(), WindowClass.c_str(), KeyText().c_str());
}

std::string TsendKeyCommand::GetParamText() const {
    return JoinParamText({WindowTitle, WindowClass, std::to_string(KeyValue())});
}

bool TsendKeyCommand::SetParamText(const std::string& text) {
    WindowTitle.clear();
    WindowClass.clear();
    KeyCode = 0;
    Alt = Shift = Ctrl = VirtualKey = false;
    const auto f = SplitParamText(text);
    if (f.size() != 3) return false;
    WindowTitle = f[0];
    WindowClass = f[1];
    SetKeyValue(StrToIntDef(f[2], 0));
    return true;
}

void TsendKeyCommand::Execute() {
    TcustomControllerCommand::Execute();
    TkeyPress key;
    key.WindowTitle = WindowTitle;
    key.WindowClass = WindowClass;
    key.Code = KeyCode & 0xFFFF;
    key.VirtualKey = VirtualKey;
    key.Shift = Shift;
    key.Ctrl = Ctrl;
    key.Alt = Alt;
    InputSender().SendKey(key);
}

std::string TappExecCommand::GetDescription() const {
    return Format("Exec (%s:%s:%s)", FileName.c_str(), Parameters.c_str(), ShowCommandName(ShowCommand).c_str());
}

std::string TappExecCommand::GetParamText() const {
    return JoinParamText({FileName, Parameters, std::to_string(ShowCommand)});
}

bool TappExecCommand::SetParamText(const std::string& text) {
    ShowCommand = 1;
    FileName.clear();
    Parameters.clear();
    const auto f = SplitParamText(text);
    if (f.size() != 3) return false;
    FileName = f[0];
    Parameters = f[1];
    ShowCommand = StrToIntDef(f[2], 1);
    return true;
}

void TappExecCommand::Execute() {
    TcustomControllerCommand::Execute();
    if (FileName.empty()) return;
    std::string error;
    pid_t pid = 0;
    if (!StartExecCommand(FileName, Parameters, &error, &pid)) LogError("Exec command: " + error);
    else if (ShowCommand != 1) InputSender().ShowStartedProgram(pid, ShowCommand);
}

std::string TwaitCommand::GetDescription() const { return "Wait (" + std::to_string(Seconds) + ")"; }
std::string TwaitCommand::GetParamText() const { return JoinParamText({std::to_string(Seconds)}); }

bool TwaitCommand::SetParamText(const std::string& text) {
    Seconds = 1;
    const auto f = SplitParamText(text);
    if (f.size() != 1) return false;
    Seconds = StrToIntDef(f[0], 1);
    return true;
}

std::string TactionCommand::GetDescription() const { return Format("Action (%s)", ActionName.c_str()); }
std::string TactionCommand::GetParamText() const { return JoinParamText({ActionName}); }

bool TactionCommand::SetParamText(const std::string& text) {
    ActionName.clear();
    const auto f = SplitParamText(text);
    if (f.size() != 1) return false;
    ActionName = f[0];
    return true;
}

std::shared_ptr<TcontrollerAction> TactionCommand::FindTarget() const {
    TcontrollerAction* action = Action();
    TcontrollerActionList* list = action ? action->LookupList() : nullptr;
    TcontrollerAction* target = list ? list->FindByName(ActionName) : nullptr;
    return target ? target->shared_from_this() : nullptr;
}

void TactionCommand::Execute() {
    TcustomControllerCommand::Execute();
    auto target = FindTarget();
    if (target && target->Owner()) target->Owner()->Run(target.get());
}

std::string TgroupActivateCommand::GetDescription() const {
    return Format("Control Group (%s)", GroupName.c_str());
}
std::string TgroupActivateCommand::GetParamText() const { return JoinParamText({GroupName}); }

bool TgroupActivateCommand::SetParamText(const std::string& text) {
    GroupName.clear();
    const auto f = SplitParamText(text);
    if (f.size() != 1) return false;
    GroupName = f[0];
    return true;
}

void TgroupActivateCommand::Execute() {
    TcustomControllerCommand::Execute();
    try {
        TcontrollerAction* action = Action();
        TcontrollerActionList* list = action ? action->Owner() : nullptr;
        if (list && list->GroupList()) list->GroupList()->SetCurrentGroup(GroupName);
    } catch (const std::exception& e) {
        LogError("Control group \"" + GroupName + "\" not activated: " + e.what());
    }
}

std::unique_ptr<TcustomControllerCommand> CreateCommandOfKind(const std::string& kindWord) {
    if (SameText(kindWord, "Key")) return std::make_unique<TsendKeyCommand>();
    if (SameText(kindWord, "Mouse")) return std::make_unique<TmouseCommand>();
    if (SameText(kindWord, "Message")) return std::make_unique<TsendMessageCommand>();
    if (SameText(kindWord, "Exec")) return std::make_unique<TappExecCommand>();
    if (SameText(kindWord, "Wait")) return std::make_unique<TwaitCommand>();
    if (SameText(kindWord, "Action")) return std::make_unique<TactionCommand>();
    return nullptr;
}

// ---- Command list ----

TcustomControllerCommand* TcontrollerCommandList::Add(std::unique_ptr<TcustomControllerCommand> command) {
    command->Fowner = this;
    Fitems.push_back(std::move(command));
    Changed();
    return Fitems.back().get();
}

void TcontrollerCommandList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    Fitems.erase(Fitems.begin() + index);
}

void TcontrollerCommandList::Clear() {
    Fitems.clear();
    Changed();
}

void TcontrollerCommandList::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) return;
    auto item = std::move(Fitems[size_t(from)]);
    Fitems.erase(Fitems.begin() + from);
    Fitems.insert(Fitems.begin() + to, std::move(item));
    Changed();
}

void TcontrollerCommandList::MoveUp(int index) {
    if (index > 0 && index < Count()) Move(index, index - 1);
}

void TcontrollerCommandList::MoveDown(int index) {
    if (index >= 0 && index < Count() - 1) Move(index, index + 1);
}

TcustomControllerCommand* TcontrollerCommandList::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)].get() : nullptr;
}

void TcontrollerCommandList::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0) Changed();
}

void TcontrollerCommandList::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

void TcontrollerCommandList::FillList(std::vector<std::string>& list) const {
    list.clear();
    for (const auto& command : Fitems) list.push_back(command->GetDescription());
}

void TcontrollerCommandList::LoadFromIni(const TiniFile& ini, int sectionIndex, const TloadProblem& problem) {
    const std::string section = ini.SectionName(sectionIndex);
    const auto report = [&](const std::string& key, const std::string& what) {
        const std::string line = "Action \"" + section + "\", " + key + ": " + what;
        if (problem) problem(line);
        else LogError(line);
    };
    BeginUpdate();
    for (const std::string& key : ini.ReadSectionAt(sectionIndex)) {
        if (!StartsText("com", key)) continue;
        const std::string value = ini.ReadStringAt(sectionIndex, key, "");
        const size_t close = value.find('}');
        if (value.empty() || value[0] != '{' || close == std::string::npos) {
            report(key, "no command in \"" + value + "\"; skipped");
            continue;
        }
        const std::string kind = value.substr(1, close - 1);
        auto command = CreateCommandOfKind(kind);
        if (!command) {
            report(key, "unknown command kind \"" + kind + "\"; skipped");
            continue;
        }
        if (!command->SetParamText(value.substr(close + 1)))
            report(key, "wrong number of values for " + command->KindWord() + "; read as empty");
        Add(std::move(command));
    }
    EndUpdate();
}

void TcontrollerCommandList::SaveToIni(TiniFile& ini, const std::string& section) const {
    for (size_t i = 0; i < Fitems.size(); ++i) {
        const std::string kind = Fitems[i]->KindWord();
        if (kind.empty()) continue;  // generated group switches are never stored; the numbering still counts them
        ini.WriteString(section, "com" + std::to_string(i), "{" + kind + "}" + Fitems[i]->GetParamText());
    }
}

// ---- Action ----

TcontrollerAction::TcontrollerAction() : Fcommands(this) {
    Fcommands.OnChange = [this](TObject*) { Changed(); };
}

void TcontrollerAction::SetName(const std::string& name) {
    Fname = name;
    Changed();
}

void TcontrollerAction::SetDescription(const std::string& description) {
    Fdescription = description;
    Changed();
}

void TcontrollerAction::SetGroup(const std::string& group) {
    Fgroup = group;
    Changed();
}

void TcontrollerAction::Execute() {
    if (Fowner) {
        Fowner->Run(this);
        return;
    }
    // Outside a list there is no sequence: the commands run at once, waits skipped.
    for (int i = 0; i < Fcommands.Count(); ++i) Fcommands.Items(i)->Execute();
}

bool TcontrollerAction::Edit() {
    if (ReadOnly) {
        Prompt().ShowMessage("This action is Read-Only and cannot be edited.", "Read-Only Action");
        return false;
    }
    return ActionEditor() ? ActionEditor()(*this) : false;
}

void TcontrollerAction::LoadFromIni(const TiniFile& ini, int sectionIndex, const TloadProblem& problem) {
    BeginUpdate();
    Fdescription = ini.ReadStringAt(sectionIndex, "Description", "");
    Fgroup = ini.ReadStringAt(sectionIndex, "Group", "");
    Fcommands.LoadFromIni(ini, sectionIndex, problem);
    EndUpdate();
}

void TcontrollerAction::SaveToIni(TiniFile& ini) const {
    if (ReadOnly) return;
    ini.WriteString(Fname, "Description", Fdescription);
    ini.WriteString(Fname, "Group", Fgroup);
    Fcommands.SaveToIni(ini, Fname);
}

void TcontrollerAction::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0) Changed();
}

void TcontrollerAction::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

// ---- Action list ----

TcontrollerActionList::TcontrollerActionList() : Fsequencer(std::make_unique<TactionSequencer>(*this)) {}

TcontrollerActionList::~TcontrollerActionList() {
    Fsequencer.reset();
    for (auto& action : Fitems) {
        action->Fowner = nullptr;
        action->OnChange = nullptr;
    }
}

TcontrollerAction* TcontrollerActionList::Add(TcontrollerActionPtr action) {
    action->Fowner = this;
    action->OnChange = [this](TObject*) { Changed(); };
    Fitems.push_back(std::move(action));
    TcontrollerAction* added = Fitems.back().get();
    Changed();
    return added;
}

TcontrollerAction* TcontrollerActionList::AddNew() { return Add(std::make_shared<TcontrollerAction>()); }

void TcontrollerActionList::Remove(TcontrollerAction* action) {
    for (size_t i = 0; i < Fitems.size(); ++i)
        if (Fitems[i].get() == action) {
            Delete(int(i));
            return;
        }
}

void TcontrollerActionList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    // A sequence may still hold the action; it keeps it alive but no longer reaches this list.
    Fitems[size_t(index)]->Fowner = nullptr;
    Fitems[size_t(index)]->OnChange = nullptr;
    Fitems.erase(Fitems.begin() + index);
    Changed();
}

void TcontrollerActionList::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) return;
    auto item = std::move(Fitems[size_t(from)]);
    Fitems.erase(Fitems.begin() + from);
    Fitems.insert(Fitems.begin() + to, std::move(item));
    Changed();
}

void TcontrollerActionList::MoveUp(int index) {
    if (index > 0 && index < Count()) Move(index, index - 1);
}

void TcontrollerActionList::MoveDown(int index) {
    if (index >= 0 && index < Count() - 1) Move(index, index + 1);
}

TcontrollerAction* TcontrollerActionList::Items(int index) const { return ItemPtr(index).get(); }

TcontrollerActionPtr TcontrollerActionList::ItemPtr(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)] : nullptr;
}

TcontrollerAction* TcontrollerActionList::FindByName(const std::string& name) const {
    for (const auto& action : Fitems)
        if (SameText(action->Name(), name)) return action.get();
    return nullptr;
}

std::string TcontrollerActionList::GetNewActionName() const {
    for (int i = 0; i < Count(); ++i) {
        const std::string name = Format("Action%3.3d", i);
        if (!Exists(name)) return name;
    }
    return Format("Action%3.3d", Count());
}

void TcontrollerActionList::FillList(std::vector<std::string>& list, bool includeReadOnly) const {
    list.clear();
    for (const auto& action : Fitems) {
        if (action->ReadOnly && !includeReadOnly) continue;
        std::string line = action->Name();
        if (!action->Description().empty()) line += " [" + action->Description() + "]";
        list.push_back(line);
    }
}

std::vector<TactionTreeGroup> TcontrollerActionList::FillTreeView(bool includeReadOnly) const {
    std::vector<TactionTreeGroup> tree;
    for (const auto& action : Fitems) {
        if (action->ReadOnly && !includeReadOnly) continue;
        const std::string label = action->Group().empty() ? kNoGroupLabel : action->Group();
        auto node = std::find_if(tree.begin(), tree.end(),
                                 [&](const TactionTreeGroup& g) { return SameText(g.Label, label); });
        if (node == tree.end())
            node = label == kNoGroupLabel ? tree.insert(tree.begin(), {label, {}})
                                          : tree.insert(tree.end(), {label, {}});
        node->Actions.push_back(action.get());
    }
    return tree;
}

void TcontrollerActionList::LoadFromIni(const TiniFile& ini, const TloadProblem& problem) {
    BeginUpdate();
    for (int i = 0; i < ini.SectionCount(); ++i) {
        const std::string& name = ini.SectionName(i);
        if (Exists(name)) {
            const std::string line = "Action \"" + name + "\" appears twice; the later one is skipped";
            if (problem) problem(line);
            else LogError(line);
            continue;
        }
        TcontrollerAction* action = AddNew();
        action->SetName(name);
        action->LoadFromIni(ini, i, problem);
    }
    EndUpdate();
}

void TcontrollerActionList::SaveToIni(TiniFile& ini) const {
    for (const auto& action : Fitems) action->SaveToIni(ini);
}

bool TcontrollerActionList::Edit() { return ActionListEditor() ? ActionListEditor()(*this) : false; }

TcontrollerActionPtr CloneAction(const TcontrollerAction& action) {
    auto copy = std::make_shared<TcontrollerAction>();
    copy->BeginUpdate();
    copy->SetName(action.Name());
    copy->SetDescription(action.Description());
    copy->SetGroup(action.Group());
    copy->ReadOnly = action.ReadOnly;
    for (int i = 0; i < action.Commands().Count(); ++i)
        if (auto command = action.Commands().Items(i)->Clone()) copy->Commands().Add(std::move(command));
    copy->EndUpdate();
    return copy;
}

void TcontrollerActionList::SetSorted(bool value) {
    Fsorted = value;
    Changed();
}

void TcontrollerActionList::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0) Changed();
}

std::string RenamedAction(const TactionRenames& renames, const std::string& name) {
    for (const auto& [from, to] : renames)
        if (SameText(from, name)) return to;
    return name;
}

void TcontrollerActionList::RenameReferences(const TactionRenames& renames) {
    if (renames.empty()) return;
    BeginUpdate();
    for (const TcontrollerActionPtr& action : Fitems)
        for (int i = 0; i < action->Commands().Count(); ++i)
            if (auto* command = dynamic_cast<TactionCommand*>(action->Commands().Items(i)))
                command->ActionName = RenamedAction(renames, command->ActionName);
    EndUpdate();
    // Listeners gone since are dropped as they are met.
    for (size_t i = 0; i < FrenameListeners.size();) {
        if (const auto listener = FrenameListeners[i].lock()) {
            (*listener)(renames);
            ++i;
        } else {
            FrenameListeners.erase(FrenameListeners.begin() + ptrdiff_t(i));
        }
    }
}

void TcontrollerActionList::AddRenameListener(const std::shared_ptr<TrenameListener>& listener) {
    FrenameListeners.push_back(listener);
}

void TcontrollerActionList::Changed() {
    if (FupdateCount > 0) return;
    if (Fsorted) SortItems();
    if (OnChange) OnChange(this);
}

void TcontrollerActionList::SortItems() {
    std::stable_sort(Fitems.begin(), Fitems.end(), [](const TcontrollerActionPtr& a, const TcontrollerActionPtr& b) {
        if (a->ReadOnly != b->ReadOnly) return a->ReadOnly;
        return CompareText(a->Name(), b->Name()) < 0;
    });
}

void TcontrollerActionList::Run(TcontrollerAction* action) {
    if (action) Fsequencer->Run(action);
}

void TcontrollerActionList::StopAll() { Fsequencer->StopAll(); }

}  // namespace tunecrest
