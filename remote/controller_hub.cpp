#include "remote/controller_hub.h"

#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "remote/controller_plugins.h"
#include "remote/main_window_actions.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

const char* const kGroupSection = "GroupNames";
const char* const kGroupKey = "Names";
const char* const kSystemGroup = "System";

std::string GroupActionName(const std::string& group) { return "Activate Group '" + group + "'"; }

bool FolderOfFileExists(const std::string& file) {
    std::error_code ec;
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() || fs::is_directory(folder, ec);
}

}  // namespace

void TcontrolGroupList::SetCurrentGroup(const std::string& name) {
    FcurrentGroup = name;
    if (OnCurrentGroupChange) OnCurrentGroupChange(this);
}

// ---- Command sets ----

std::string TcontrollerCommandSet::ActionNameFor(const std::string& command) const {
    const int index = Fmap.IndexOfName(command);
    return index < 0 ? std::string() : Fmap.ValueFromIndex(index);
}

bool TcontrollerCommandSet::HasCommand(const std::string& command) const { return !ActionNameFor(command).empty(); }

TcontrollerAction* TcontrollerCommandSet::FindAction(const std::string& command) const {
    if (!Fowner || !Fowner->ActionList) return nullptr;
    const std::string name = ActionNameFor(command);
    return name.empty() ? nullptr : Fowner->ActionList->FindByName(name);
}

bool TcontrollerCommandSet::Execute(const std::string& command) const {
    const bool has = HasCommand(command);
    if (TcontrollerAction* action = FindAction(command)) {
        action->Execute();
    } else if (has && Fowner && Fowner->MainWindowActions) {
        Fowner->MainWindowActions->RunAction(ActionNameFor(command));
    }
    return has;
}

void TcontrollerCommandSet::LoadFromIni(const TiniFile& ini, int sectionIndex) {
    Fmap.BeginUpdate();
    Fmap.Clear();
    for (const std::string& key : ini.ReadSectionAt(sectionIndex))
        Fmap.Add(key + "=" + ini.ReadStringAt(sectionIndex, key, ""));
    Fmap.EndUpdate();
}

void TcontrollerCommandSet::SaveToIni(TiniFile& ini) const {
    for (int i = 0; i < Fmap.Count(); ++i) ini.WriteString(Fname, Fmap.Names(i), Fmap.ValueFromIndex(i));
}

TcontrollerCommandSet* TcontrollerCommandSetList::FindByName(const std::string& name) const {
    for (const auto& set : Fitems)
        if (SameText(set->Name(), name)) return set.get();
    return nullptr;
}

TcontrollerCommandSet* TcontrollerCommandSetList::Add(const std::string& name) {
    Fitems.push_back(std::make_unique<TcontrollerCommandSet>(name));
    Fitems.back()->Fowner = this;
    return Fitems.back().get();
}

TcontrollerCommandSet* TcontrollerCommandSetList::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)].get() : nullptr;
}

void TcontrollerCommandSetList::LoadFromIni(const TiniFile& ini) {
    for (int i = 0; i < ini.SectionCount(); ++i) {
        TcontrollerCommandSet* set = FindByName(ini.SectionName(i));
        if (!set) set = Add(ini.SectionName(i));
        set->LoadFromIni(ini, i);
    }
}

void TcontrollerCommandSetList::SaveToIni(TiniFile& ini) const {
    for (const auto& set : Fitems) set->SaveToIni(ini);
}

TcontrollerCommandGroup::TcontrollerCommandGroup() { Fsets.Add(kDefaultGroupName); }

void TcontrollerCommandGroup::ExecuteCommand(const std::string& command, const std::string& groupName) {
    TcontrollerCommandSet* set = groupName.empty() ? nullptr : Fsets.FindByName(groupName);
    if (!set) set = &DefaultSet();
    if (!set->Execute(command) && set != &DefaultSet()) DefaultSet().Execute(command);
}

// ---- Hub ----

Tcontroller::Tcontroller()
    : FactionList(std::make_unique<TcontrollerActionList>()),
      Floader(std::make_unique<TcontrollerPluginLoader>()),
      FgroupList(std::make_unique<TcontrolGroupList>()),
      Falive(std::make_shared<Tcontroller*>(this)) {
    FgroupList->OnChange = [this](TObject*) { RebuildGroupActions(); };
    FactionList->SetGroupList(FgroupList.get());
    FactionList->OnChange = [this](TObject*) {
        if (FinternalChange == 0) FactionsModified = true;
    };
    Floader->SetCallback(ControllerHostCallback);
    Floader->SetController(this);
    Floader->SetActionList(FactionList.get());
    // Renamed actions keep their place in every plug-in's maps.
    FrenameListener = std::make_shared<TrenameListener>([this](const TactionRenames& renames) {
        for (int p = 0; p < Floader->Count(); ++p) {
            TcontrollerCommandSetList& sets = Floader->Items(p)->CommandGroup().Sets();
            for (int s = 0; s < sets.Count(); ++s) {
                TmyStringList& map = sets.Items(s)->Map();
                for (int i = 0; i < map.Count(); ++i) {
                    const std::string value = map.ValueFromIndex(i);
                    const std::string renamed = RenamedAction(renames, value);
                    if (renamed != value) map.SetString(i, map.Names(i) + "=" + renamed);
                }
            }
        }
    });
    FactionList->AddRenameListener(FrenameListener);
}

Tcontroller::~Tcontroller() {
    FgroupList->OnChange = nullptr;
    std::string error;
    if (!Save(&error)) LogError("Remote control settings not saved: " + error);
    // No callback reaches the hub after this; commands still queued find it gone.
    Floader->UnloadPlugins();
    Falive.reset();
    FactionList->StopAll();
}

void Tcontroller::SetMainWindowActions(TmainWindowActions* actions) {
    FmainWindowActions = actions;
    Floader->SetMainWindowActions(actions);
}

void Tcontroller::Load(const std::string& actionsFile, const std::string& pluginFolder, bool insertDefault,
                       uintptr_t windowHandle, const std::string& settingsFile) {
    FactionsFile = actionsFile;
    Floader->LoadPlugins(pluginFolder, windowHandle);
    FsettingsFile = settingsFile;
    std::error_code ec;
    ++FinternalChange;
    if (!actionsFile.empty() && fs::exists(actionsFile, ec)) {
        const TiniFile ini(actionsFile);
        FactionList->LoadFromIni(ini, [&](const std::string& problem) {
            LogError(fs::path(actionsFile).filename().string() + ": " + problem);
        });
    }
    if (!settingsFile.empty() && fs::exists(settingsFile, ec)) {
        const TiniFile ini(settingsFile);
        FgroupList->BeginUpdate();
        FgroupList->Clear();
        for (const std::string& name : SplitCommaText(ini.ReadString(kGroupSection, kGroupKey, "")))
            FgroupList->Add(name);
        FgroupList->EndUpdate();
        Floader->LoadPluginSettings(settingsFile);
    }
    if (insertDefault) FgroupList->Insert(0, kDefaultGroupName);
    if (!actionsFile.empty() && FolderOfFileExists(actionsFile))
        Floader->LoadCommandMaps(fs::path(actionsFile).parent_path().string());
    if (insertDefault) FgroupList->SetCurrentGroup(kDefaultGroupName);
    --FinternalChange;
    FactionsModified = false;
}

bool Tcontroller::Save(std::string* error) {
    if (FactionsFile.empty() || !FolderOfFileExists(FactionsFile)) return true;
    bool ok = true;
    std::string reason;
    const auto fail = [&](const std::string& why) {
        if (ok && error) *error = why;
        ok = false;
    };
    if (FactionsModified) {
        // A fresh image written over the old file in one step: the old file stays whole
        // until the new one is on disk.
        TiniFile ini;
        ini.Rename(FactionsFile, false);
        FactionList->SaveToIni(ini);
        if (ini.UpdateFile(&reason)) FactionsModified = false;
        else fail(reason);
    }
    if (!FsettingsFile.empty() && FolderOfFileExists(FsettingsFile)) {
        Floader->SavePluginSettings(FsettingsFile);
        std::vector<std::string> names;
        for (int i = 0; i < FgroupList->Count(); ++i)
            if (FgroupList->Strings(i) != kDefaultGroupName) names.push_back(FgroupList->Strings(i));
        TiniFile settings(FsettingsFile);
        settings.WriteString(kGroupSection, kGroupKey, CommaText(names));
        if (!settings.UpdateFile(&reason)) fail(reason);
    }
    if (!Floader->SaveCommandMaps(fs::path(FactionsFile).parent_path().string(), &reason)) fail(reason);
    return ok;
}

void Tcontroller::RebuildGroupActions() {
    ++FinternalChange;
    FactionList->BeginUpdate();
    for (int i = FactionList->Count() - 1; i >= 0; --i) {
        TcontrollerAction* action = FactionList->Items(i);
        if (action->ReadOnly && action->Commands().Count() == 1 &&
            dynamic_cast<TgroupActivateCommand*>(action->Commands().Items(0)))
            FactionList->Delete(i);
    }
    for (int i = 0; i < FgroupList->Count(); ++i) {
        auto action = std::make_shared<TcontrollerAction>();
        action->ReadOnly = true;
        action->SetName(GroupActionName(FgroupList->Strings(i)));
        action->SetGroup(kSystemGroup);
        FactionList->Add(action);
        action->Commands().AddNew<TgroupActivateCommand>()->GroupName = FgroupList->Strings(i);
    }
    FactionList->EndUpdate();
    --FinternalChange;
}

void Tcontroller::ProcessCommand(const std::string& command, TcontrollerPlugin* plugin) {
    std::string name = command;
    try {
        if (OnControllerCallback) OnControllerCallback(this, plugin, name);
    } catch (const std::exception& e) {
        LogError("Remote command \"" + name + "\": " + e.what());
    }
    try {
        if (plugin) plugin->CommandGroup().ExecuteCommand(name, FgroupList->CurrentGroup());
        else Prompt().ShowMessage("Command Group is NIL", "");
    } catch (const std::exception& e) {
        LogError("Remote command \"" + name + "\": " + e.what());
    }
}

void Tcontroller::QueueCommand(const std::string& command, TcontrollerPlugin* plugin) {
    std::weak_ptr<Tcontroller*> alive = Falive;
    Dispatcher().Post([alive, command, plugin] {
        auto self = alive.lock();
        if (!self) return;
        Tcontroller* hub = *self;
        // The plug-in may have been unloaded while the command waited.
        if (!hub->Floader->Contains(plugin) || !plugin->AcceptsCallbacks()) return;
        hub->ProcessCommand(command, plugin);
    });
}

}  // namespace tunecrest
