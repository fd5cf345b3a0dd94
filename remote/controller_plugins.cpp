#include "remote/controller_plugins.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <set>

#include "core/base/ini_file.h"
#include "core/base/services.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

const char* const kPluginPrefix = "ctrl_";
const char* const kPluginSuffix = ".so";

// The plug-ins that may call in. The host callback runs on the plug-ins' threads and
// checks here, under the lock, that the record's plug-in is alive and not shut down.
std::mutex gLiveMutex;
std::set<const TcontrollerPlugin*>& LivePlugins() {
    static std::set<const TcontrollerPlugin*> live;
    return live;
}

template <typename F>
bool CallPlugin(F&& call) {
    try {
        call();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

extern "C" void ControllerHostCallback(const char* command, ControllerPluginRecord* record) {
    if (!command || !record) return;
    std::lock_guard lock(gLiveMutex);
    auto* plugin = static_cast<TcontrollerPlugin*>(record->HostPlugin);
    auto* controller = static_cast<Tcontroller*>(record->Controller);
    if (!plugin || !controller || !LivePlugins().contains(plugin) || !plugin->AcceptsCallbacks()) return;
    try {
        controller->QueueCommand(std::string(command), plugin);
    } catch (...) {
        // Nothing may leave the callback into the plug-in.
    }
}

TcontrollerPlugin::TcontrollerPlugin(const std::string& fileName, Tcontroller* controller, uintptr_t windowHandle,
                                     TcontrollerHostCallback callback)
    : FcommandGroup(std::make_unique<TcontrollerCommandGroup>()) {
    std::error_code ec;
    if (!fs::is_regular_file(fileName, ec)) return;
    Fmodule = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Fmodule) {
        const char* why = dlerror();
        LogError("Controller plug-in " + fileName + " does not load: " + (why ? why : ""));
        return;
    }
    auto get = reinterpret_cast<TgetControllerPluginFunction>(dlsym(Fmodule, CONTROLLER_PLUGIN_EXPORT_NAME));
    ControllerPluginRecord* record = nullptr;
    if (!get) {
        LogError("Controller plug-in " + fileName + " has no " + CONTROLLER_PLUGIN_EXPORT_NAME + "; skipped");
    } else if (!CallPlugin([&] { record = get(); }) || !record) {
        LogError("Controller plug-in " + fileName + " gave no record; skipped");
        record = nullptr;
    } else if (!record->Init) {
        LogError("Controller plug-in " + fileName + " has no Init; skipped");
        record = nullptr;
    }
    if (record) {
        record->WindowHandle = windowHandle;
        record->Controller = controller;
        record->HostPlugin = this;
        // The callback is in place before Init, so a plug-in that starts sending at once
        // never calls through an empty slot.
        record->Callback = callback;
        {
            std::lock_guard lock(gLiveMutex);
            LivePlugins().insert(this);
        }
        Faccepting = true;
        int32_t ok = 0;
        if (!CallPlugin([&] { ok = record->Init(); }) || ok == 0) {
            LogError("Controller plug-in " + fileName + " did not initialise; skipped");
            std::lock_guard lock(gLiveMutex);
            Faccepting = false;
            LivePlugins().erase(this);
            record = nullptr;
        }
    }
    if (record) {
        Frecord = record;
        FfileName = fileName;
    } else {
        dlclose(Fmodule);
        Fmodule = nullptr;
    }
}

void TcontrollerPlugin::Shutdown() {
    {
        std::lock_guard lock(gLiveMutex);
        if (!Faccepting) return;
        Faccepting = false;
        LivePlugins().erase(this);
    }
    if (Frecord && Frecord->Shutdown) CallPlugin([&] { Frecord->Shutdown(); });
}

TcontrollerPlugin::~TcontrollerPlugin() {
    if (Loaded()) Shutdown();
    if (Fmodule) dlclose(Fmodule);
}

std::string TcontrollerPlugin::MapFileName(const std::string& folder) const {
    return (fs::path(folder) / (fs::path(FfileName).stem().string() + ".ini")).string();
}

TcontrollerPluginLoader::~TcontrollerPluginLoader() { UnloadPlugins(); }

void TcontrollerPluginLoader::UnloadPlugins() {
    // Every plug-in stops sending before any library goes.
    for (auto& plugin : Fplugins) plugin->Shutdown();
    Fplugins.clear();
}

void TcontrollerPluginLoader::LoadPlugins(const std::string& folder, uintptr_t windowHandle) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return;
    FwindowHandle = windowHandle;
    Ffolder = folder;
    BeginUpdate();
    UnloadPlugins();
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 8 && name.starts_with(kPluginPrefix) && name.ends_with(kPluginSuffix))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        auto plugin = std::make_unique<TcontrollerPlugin>(file.string(), Fcontroller, windowHandle, Fcallback);
        if (!plugin->Loaded()) continue;
        plugin->CommandGroup().Sets().ActionList = FactionList;
        plugin->CommandGroup().Sets().MainWindowActions = FmainWindowActions;
        Fplugins.push_back(std::move(plugin));
        Changed();
    }
    EndUpdate();
}

TcontrollerPlugin* TcontrollerPluginLoader::Items(int index) const {
    return index >= 0 && index < Count() ? Fplugins[size_t(index)].get() : nullptr;
}

bool TcontrollerPluginLoader::Contains(const TcontrollerPlugin* plugin) const {
    return std::any_of(Fplugins.begin(), Fplugins.end(), [plugin](const auto& p) { return p.get() == plugin; });
}

void TcontrollerPluginLoader::SetCallback(TcontrollerHostCallback callback) {
    Fcallback = callback;
    for (auto& plugin : Fplugins) plugin->Record()->Callback = callback;
}

void TcontrollerPluginLoader::SetController(Tcontroller* controller) {
    Fcontroller = controller;
    for (auto& plugin : Fplugins) plugin->Record()->Controller = controller;
}

void TcontrollerPluginLoader::SetActionList(TcontrollerActionList* list) {
    FactionList = list;
    for (auto& plugin : Fplugins) plugin->CommandGroup().Sets().ActionList = list;
}

void TcontrollerPluginLoader::SetMainWindowActions(TmainWindowActions* actions) {
    FmainWindowActions = actions;
    for (auto& plugin : Fplugins) plugin->CommandGroup().Sets().MainWindowActions = actions;
}

void TcontrollerPluginLoader::LoadPluginSettings(const std::string& settingsFile) {
    for (auto& plugin : Fplugins)
        if (plugin->Record()->LoadSettings)
            CallPlugin([&] { plugin->Record()->LoadSettings(settingsFile.c_str()); });
}

void TcontrollerPluginLoader::SavePluginSettings(const std::string& settingsFile) {
    for (auto& plugin : Fplugins)
        if (plugin->Record()->SaveSettings)
            CallPlugin([&] { plugin->Record()->SaveSettings(settingsFile.c_str()); });
}

void TcontrollerPluginLoader::LoadCommandMaps(const std::string& folder) {
    std::error_code ec;
    for (auto& plugin : Fplugins) {
        const std::string file = plugin->MapFileName(folder);
        if (!fs::exists(file, ec)) continue;
        try {
            const TiniFile ini(file);
            plugin->CommandGroup().Sets().LoadFromIni(ini);
        } catch (const std::exception& e) {
            LogError("Command map " + file + " not read: " + e.what());
        }
    }
}

bool TcontrollerPluginLoader::SaveCommandMaps(const std::string& folder, std::string* error) {
    bool ok = true;
    for (auto& plugin : Fplugins) {
        TiniFile ini;
        ini.Rename(plugin->MapFileName(folder), false);
        plugin->CommandGroup().Sets().SaveToIni(ini);
        std::string reason;
        if (!ini.UpdateFile(&reason)) {
            if (ok && error) *error = reason;
            ok = false;
        }
    }
    return ok;
}

void TcontrollerPluginLoader::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0) Changed();
}

void TcontrollerPluginLoader::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

}  // namespace tunecrest
