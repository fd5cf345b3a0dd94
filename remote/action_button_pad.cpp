#include "remote/action_button_pad.h"

#include <algorithm>

#include "core/base/ini_file.h"
#include "remote/controller_commands.h"

namespace tunecrest {

TactionButtonPad::TactionButtonPad(TcontrollerActionList* source) { SetSource(source); }

void TactionButtonPad::SetSource(TcontrollerActionList* source) {
    Fsource = source;
    // A new listener: the one the old list held goes with the old pointer.
    FrenameListener.reset();
    if (!source) return;
    FrenameListener = std::make_shared<TrenameListener>([this](const TactionRenames& renames) {
        bool changed = false;
        for (std::string& name : Fnames) {
            std::string renamed = RenamedAction(renames, name);
            if (renamed != name) {
                name = std::move(renamed);
                changed = true;
            }
        }
        if (changed) Changed();
    });
    source->AddRenameListener(FrenameListener);
}

TactionButtonPad::~TactionButtonPad() {
    if (OnDestroy) OnDestroy(this);
}

std::string TactionButtonPad::Names(int index) const {
    return index >= 0 && index < Count() ? Fnames[size_t(index)] : std::string();
}

void TactionButtonPad::SetNames(std::vector<std::string> names) {
    Fnames = std::move(names);
    Changed();
}

void TactionButtonPad::Add(const std::string& actionName) {
    Fnames.push_back(actionName);
    Changed();
}

void TactionButtonPad::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    Fnames.erase(Fnames.begin() + index);
    Changed();
}

void TactionButtonPad::Clear() {
    Fnames.clear();
    Changed();
}

void TactionButtonPad::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    std::string name = std::move(Fnames[size_t(from)]);
    Fnames.erase(Fnames.begin() + from);
    Fnames.insert(Fnames.begin() + to, std::move(name));
    Changed();
}

void TactionButtonPad::MoveUp(int index) {
    if (index > 0 && index < Count()) Move(index, index - 1);
}

void TactionButtonPad::MoveDown(int index) {
    if (index >= 0 && index < Count() - 1) Move(index, index + 1);
}

TcontrollerAction* TactionButtonPad::Resolve(int index) const {
    if (!Fsource || index < 0 || index >= Count()) return nullptr;
    return Fsource->FindByName(Fnames[size_t(index)]);
}

bool TactionButtonPad::Run(int index) {
    FidleCount = 0;
    TcontrollerAction* action = Resolve(index);
    if (!action) return false;
    action->Execute();
    return true;
}

std::vector<std::string> TactionButtonPad::FillList() const {
    std::vector<std::string> lines;
    for (int i = 0; i < Count(); ++i) {
        std::string line = Fnames[size_t(i)];
        if (const TcontrollerAction* action = Resolve(i); action && !action->Description().empty())
            line += " [" + action->Description() + "]";
        lines.push_back(line);
    }
    return lines;
}

void TactionButtonPad::LoadFromIni(const TiniFile& ini, const std::string& section) {
    bool added = false;
    for (const std::string& key : ini.ReadSection(section)) {
        const std::string name = ini.ReadString(section, key, "");
        if (name.empty() || (Fsource && !Fsource->Exists(name))) continue;
        Fnames.push_back(name);
        added = true;
    }
    if (added) Changed();
}

void TactionButtonPad::SaveToIni(TiniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    for (size_t i = 0; i < Fnames.size(); ++i)
        ini.WriteString(section, "Button" + std::to_string(i), Fnames[i]);
}

void TactionButtonPad::LoadSettings(const TiniFile& ini, const std::string& section) {
    // A pad larger than any screen, or a time-out past a day, is a damaged value.
    Width = std::clamp(ini.ReadInteger(section, "Width", Width), 0, 32768);
    Height = std::clamp(ini.ReadInteger(section, "Height", Height), 0, 32768);
    Timeout = std::clamp(ini.ReadInteger(section, "Timeout", DefaultTimeout), 0, 24 * 3600);
}

void TactionButtonPad::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Width", Width);
    ini.WriteInteger(section, "Height", Height);
    ini.WriteInteger(section, "Timeout", Timeout);
}

bool TactionButtonPad::Tick() {
    return ++FidleCount > Timeout;
}

void TactionButtonPad::Changed() {
    if (OnChange) OnChange(this);
}

std::vector<TpadCell> LayOutPadButtons(int count, int padWidth, int buttonWidth, int buttonHeight) {
    std::vector<TpadCell> cells;
    if (buttonWidth <= 0 || buttonHeight <= 0) return cells;
    const int columns = padWidth / buttonWidth;
    if (columns <= 0) return cells;
    for (int i = 0; i < count; ++i)
        cells.push_back({(i % columns) * buttonWidth, (i / columns) * buttonHeight});
    return cells;
}

}  // namespace tunecrest
