#pragma once
// The controller hub: command names from remote-control plug-ins become actions. Each
// plug-in maps command names to action names, one map per control group; the current
// group picks the map ("DEFAULT" is the fallback). The hub owns the action list, the
// plug-in loader and the group names, loads them at start-up and saves them at close-down.
//
// Plug-ins call in from any thread: the command name is copied and handed to the main
// thread through Dispatcher(); actions only ever run on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/string_lists.h"
#include "remote/controller_commands.h"

namespace tunecrest {

class TcontrollerPlugin;
class TcontrollerPluginLoader;
class TmainWindowActions;

constexpr const char* kDefaultGroupName = "DEFAULT";

// The control-group names in the user's order.
class TcontrolGroupList : public TmyStringList {
public:
    const std::string& CurrentGroup() const { return FcurrentGroup; }
    // Stores the name (existing or not), then tells OnCurrentGroupChange.
    void SetCurrentGroup(const std::string& name);
    TNotifyEvent OnCurrentGroupChange;

private:
    std::string FcurrentGroup;
};

class TcontrollerCommandSetList;

// One control group's map of one plug-in: command name = action name.
class TcontrollerCommandSet : public TObject {
public:
    explicit TcontrollerCommandSet(std::string name) : Fname(std::move(name)) {}
    const std::string& Name() const { return Fname; }
    TmyStringList& Map() { return Fmap; }
    const TmyStringList& Map() const { return Fmap; }
    // True when the map names a non-empty action for the command (without regard to case).
    bool HasCommand(const std::string& command) const;
    std::string ActionNameFor(const std::string& command) const;
    // The mapped controller action, or nullptr.
    TcontrollerAction* FindAction(const std::string& command) const;
    // Runs the mapped action (a controller action, else a main-window action of that
    // name); returns HasCommand.
    bool Execute(const std::string& command) const;
    // Replaces the map with the keys of the section.
    void LoadFromIni(const TiniFile& ini, int sectionIndex);
    void SaveToIni(TiniFile& ini) const;

private:
    friend class TcontrollerCommandSetList;
    std::string Fname;
    TmyStringList Fmap;
    TcontrollerCommandSetList* Fowner = nullptr;
};

class TcontrollerCommandSetList : public TObject {
public:
    TcontrollerCommandSet* FindByName(const std::string& name) const;
    TcontrollerCommandSet* Add(const std::string& name);
    int Count() const { return int(Fitems.size()); }
    TcontrollerCommandSet* Items(int index) const;
    void LoadFromIni(const TiniFile& ini);
    void SaveToIni(TiniFile& ini) const;

    TcontrollerActionList* ActionList = nullptr;
    TmainWindowActions* MainWindowActions = nullptr;

private:
    std::vector<std::unique_ptr<TcontrollerCommandSet>> Fitems;
};

// One plug-in's sets; "DEFAULT" is created with it and is always the first.
class TcontrollerCommandGroup : public TObject {
public:
    TcontrollerCommandGroup();
    TcontrollerCommandSetList& Sets() { return Fsets; }
    TcontrollerCommandSet& DefaultSet() { return *Fsets.Items(0); }
    // Runs the command in the group's set (or "DEFAULT" when there is none); a command
    // the set does not map falls back to "DEFAULT".
    void ExecuteCommand(const std::string& command, const std::string& groupName);

private:
    TcontrollerCommandSetList Fsets;
};

class Tcontroller : public TObject {
public:
    Tcontroller();
    // Saves what changed, then unloads the plug-ins (Shutdown first).
    ~Tcontroller() override;
    Tcontroller(const Tcontroller&) = delete;
    Tcontroller& operator=(const Tcontroller&) = delete;

    void Load(const std::string& actionsFile, const std::string& pluginFolder, bool insertDefault,
              uintptr_t windowHandle, const std::string& settingsFile);
    // Writes the actions file (only when the actions changed since loading, so a file
    // that could not be read whole is kept as it is until the user edits), the plug-in
    // settings with the group names, and every plug-in's command maps. Close-down calls
    // it before any power-off. False (with a reason) when a file could not be written.
    bool Save(std::string* error = nullptr);
    // Maps and runs a command of a plug-in, on the calling (main) thread.
    void ProcessCommand(const std::string& command, TcontrollerPlugin* plugin);
    // From any thread: copies the command and runs ProcessCommand on the main thread.
    void QueueCommand(const std::string& command, TcontrollerPlugin* plugin);

    TcontrollerActionList& ActionList() { return *FactionList; }
    TcontrollerPluginLoader& PluginLoader() { return *Floader; }
    TcontrolGroupList& GroupList() { return *FgroupList; }
    const std::string& ActionsFile() const { return FactionsFile; }
    const std::string& SettingsFile() const { return FsettingsFile; }
    bool ActionsModified() const { return FactionsModified; }

    void SetMainWindowActions(TmainWindowActions* actions);

    // Called with each command before it is mapped; may change it.
    std::function<void(Tcontroller* sender, TcontrollerPlugin* plugin, std::string& command)> OnControllerCallback;

private:
    void RebuildGroupActions();

    std::unique_ptr<TcontrollerActionList> FactionList;
    std::unique_ptr<TcontrollerPluginLoader> Floader;
    std::string FactionsFile;
    std::string FsettingsFile;
    std::unique_ptr<TcontrolGroupList> FgroupList;
    TmainWindowActions* FmainWindowActions = nullptr;
    std::shared_ptr<TrenameListener> FrenameListener;
    bool FactionsModified = false;
    int FinternalChange = 0;
    // Work queued for the main thread holds a weak link and does nothing once the hub is gone.
    std::shared_ptr<Tcontroller*> Falive;
};

}  // namespace tunecrest
