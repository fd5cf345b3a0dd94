#pragma once
// Controller plug-ins: libraries "ctrl_*.so" in the ControlPlugins folder, each returning
// the record of plugins/controller_plugin.h. The loader loads them, hands each the hub and
// the host callback, keeps one command group (the command maps) per plug-in, and reads and
// writes the plug-ins' settings and map files.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugins/controller_plugin.h"
#include "remote/controller_hub.h"

namespace tunecrest {

class TcontrollerPlugin : public TObject {
public:
    // Loads the library and initialises it; Loaded() tells whether it is kept.
    TcontrollerPlugin(const std::string& fileName, Tcontroller* controller, uintptr_t windowHandle,
                      TcontrollerHostCallback callback);
    // Stops callbacks, calls Shutdown and unloads the library.
    ~TcontrollerPlugin() override;
    TcontrollerPlugin(const TcontrollerPlugin&) = delete;
    TcontrollerPlugin& operator=(const TcontrollerPlugin&) = delete;

    bool Loaded() const { return Frecord != nullptr; }
    ControllerPluginRecord* Record() const { return Frecord; }
    // The library's full file name (empty when it did not load).
    const std::string& FileName() const { return FfileName; }
    TcontrollerCommandGroup& CommandGroup() { return *FcommandGroup; }
    // The map file: the library's name without folder and extension, + ".ini", in `folder`.
    std::string MapFileName(const std::string& folder) const;
    // Calls Shutdown (once); from then on the plug-in's callbacks are ignored.
    void Shutdown();
    bool AcceptsCallbacks() const { return Faccepting; }

private:
    void* Fmodule = nullptr;
    ControllerPluginRecord* Frecord = nullptr;
    std::string FfileName;
    std::unique_ptr<TcontrollerCommandGroup> FcommandGroup;
    std::atomic<bool> Faccepting{false};
};

// The host callback every plug-in gets: safe from any thread; ignores records of
// plug-ins that are shut down or gone.
extern "C" void ControllerHostCallback(const char* command, ControllerPluginRecord* record);

class TcontrollerPluginLoader : public TObject {
public:
    TcontrollerPluginLoader() = default;
    ~TcontrollerPluginLoader() override;
    TcontrollerPluginLoader(const TcontrollerPluginLoader&) = delete;
    TcontrollerPluginLoader& operator=(const TcontrollerPluginLoader&) = delete;

    // Frees the current plug-ins and loads "ctrl_*.so" of the folder, in name order.
    void LoadPlugins(const std::string& folder, uintptr_t windowHandle);
    // Shuts every plug-in down and unloads it.
    void UnloadPlugins();
    int Count() const { return int(Fplugins.size()); }
    TcontrollerPlugin* Items(int index) const;
    bool Contains(const TcontrollerPlugin* plugin) const;

    void SetCallback(TcontrollerHostCallback callback);
    void SetController(Tcontroller* controller);
    void SetActionList(TcontrollerActionList* list);
    void SetMainWindowActions(TmainWindowActions* actions);

    void LoadPluginSettings(const std::string& settingsFile);
    void SavePluginSettings(const std::string& settingsFile);
    void LoadCommandMaps(const std::string& folder);
    // Writes every plug-in's map file whole (also for one that had none). False when
    // one could not be written.
    bool SaveCommandMaps(const std::string& folder, std::string* error = nullptr);

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    TNotifyEvent OnChange;

private:
    void Changed();
    std::vector<std::unique_ptr<TcontrollerPlugin>> Fplugins;
    int FupdateCount = 0;
    TcontrollerHostCallback Fcallback = ControllerHostCallback;
    std::string Ffolder;
    uintptr_t FwindowHandle = 0;
    Tcontroller* Fcontroller = nullptr;
    TcontrollerActionList* FactionList = nullptr;
    TmainWindowActions* FmainWindowActions = nullptr;
};

}  // namespace tunecrest
