#include "core/tags/tagger_loader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {
// A plug-in opens the file as it likes: a FIFO or device named as media would block it
// for good, so only regular files (or links to them) are handed over.
bool IsRegularFile(const std::string& name) {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const char* const kPluginPrefix = "TAG_";
const char* const kPluginSuffix = ".so";
const char* const kSettingsName = "TAG_Settings.ini";

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

// Runs one call into a plug-in; anything it throws stays here.
template <typename F>
bool CallPlugin(F&& call) {
    try {
        call();
        return true;
    } catch (...) {
        return false;
    }
}

TtaggerLoader::TpluginsDialog& PluginsDialog() {
    static TtaggerLoader::TpluginsDialog dialog;
    return dialog;
}

// The extension of a file name without its dot, as std::filesystem::path::extension gives
// it (a name that starts with its only dot, such as ".mp3", has none); empty when it has
// none. A view into `name`: this runs for every file of a scan.
std::string_view ExtensionOf(std::string_view name) {
    const size_t slash = name.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    if (file == "." || file == "..") return {};
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return file.substr(dot + 1);
}

}  // namespace

TtaggerPlugin::TtaggerPlugin(TtaggerRecord* record, void* handle, std::string fileName)
    : Record(record), Handle(handle), FfileName(std::move(fileName)) {
    if (!Record->ExtensionCount || !Record->GetExtension) return;
    int32_t count = 0;
    if (!CallPlugin([&] { count = Record->ExtensionCount(); })) return;
    for (int32_t i = 0; i < count; ++i) {
        char buffer[TAGGER_EXTENSION_BUFFER] = {};
        if (!CallPlugin([&] { Record->GetExtension(i, buffer, sizeof buffer); })) continue;
        buffer[sizeof buffer - 1] = 0;
        std::string ext = buffer;
        if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
        if (!ext.empty()) Fextensions.push_back(ext);
    }
}

std::string TtaggerPlugin::Description() const { return TextOf(Record->Description); }
std::string TtaggerPlugin::SupportedFileTypes() const { return TextOf(Record->SupportedFileTypes); }
int TtaggerPlugin::MajorVersion() const { return int((Record->Version >> 8) & 0xFF); }
int TtaggerPlugin::MinorVersion() const { return int(Record->Version & 0xFF); }

TtaggerLoader::TtaggerLoader() = default;

TtaggerLoader::~TtaggerLoader() { UnloadPlugins(); }

void TtaggerLoader::SetPluginFolder(const std::string& folder) {
    FpluginFolder = folder;
    LoadPlugins();
}

void TtaggerLoader::SetSupportLevel(uint32_t level) {
    FsupportLevel = level;
    LoadPlugins();
}

void TtaggerLoader::SetMediaSupportLevel(uint32_t level) {
    FmediaSupportLevel = level;
    LoadPlugins();
}

std::string TtaggerLoader::SettingsFileName() const {
    if (FpluginFolder.empty()) return {};
    return (fs::path(FpluginFolder) / kSettingsName).string();
}

void TtaggerLoader::UnloadPlugins() {
    if (!Fplugins.empty()) SaveSettings();
    std::unique_lock lock(FpictureLock);
    FextensionMap.clear();
    for (auto& plugin : Fplugins) {
        if (plugin->Record->Finalise) CallPlugin([&] { plugin->Record->Finalise(); });
        dlclose(plugin->Handle);
    }
    Fplugins.clear();
}

void TtaggerLoader::LoadPlugins() {
    UnloadPlugins();
    if (!FpluginFolder.empty()) {
        // Sorted by name so that loading does not depend on the directory's order.
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::directory_iterator it(FpluginFolder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 7 && name.starts_with(kPluginPrefix) && name.ends_with(kPluginSuffix) &&
                it->is_regular_file(ec))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());

        for (const fs::path& file : files) {
            void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                LogError("Tagger plug-in " + file.string() + " does not load: " + TextOf(dlerror()));
                continue;
            }
            auto getTagger = reinterpret_cast<TgetTaggerFunction>(dlsym(handle, TAGGER_EXPORT_NAME));
            TtaggerRecord* record = nullptr;
            if (getTagger) CallPlugin([&] { record = getTagger(); });
            // A record without a name or a reader cannot be used (and calling a null
            // reader would crash the program).
            if (!record || !record->Description || !record->ReadFile) {
                dlclose(handle);
                continue;
            }
            if (record->Init && !CallPlugin([&] { record->Init(HostValue, handle); })) {
                dlclose(handle);
                continue;
            }
            auto plugin = std::make_unique<TtaggerPlugin>(record, handle, file.string());
            const std::string description = plugin->Description();
            const bool wanted = (record->SupportFlags & FsupportLevel) != 0 &&
                                (record->MediaFlags & FmediaSupportLevel) != 0;
            auto pos = std::lower_bound(Fplugins.begin(), Fplugins.end(), description,
                                        [](const std::unique_ptr<TtaggerPlugin>& p, const std::string& d) {
                                            return CompareText(p->Description(), d) < 0;
                                        });
            // Two plug-ins of one name would share one settings section: the first stays.
            const bool duplicate = pos != Fplugins.end() && SameText((*pos)->Description(), description);
            if (!wanted || duplicate) {
                if (duplicate) LogError("Tagger plug-in " + file.string() + " repeats the name " + description);
                if (record->Finalise) CallPlugin([&] { record->Finalise(); });
                dlclose(handle);
                continue;
            }
            Fplugins.insert(pos, std::move(plugin));
        }
    }
    ReadSettings();
    BuildExtensionMap();
    if (PluginsUpdated) PluginsUpdated(this);
}

void TtaggerLoader::ReadSettings() {
    if (Fplugins.empty()) return;
    const std::string fileName = SettingsFileName();
    TiniFile ini(fileName);
    for (auto& plugin : Fplugins) {
        plugin->Enabled = ini.ReadBool(plugin->Description(), "Enabled", true);
        if (plugin->Record->LoadSettings)
            CallPlugin([&] { plugin->Record->LoadSettings(fileName.c_str()); });
    }
}

void TtaggerLoader::SaveSettings() {
    const std::string fileName = SettingsFileName();
    if (fileName.empty() || Fplugins.empty()) return;
    TiniFile ini(fileName);
    for (auto& plugin : Fplugins) ini.WriteBool(plugin->Description(), "Enabled", plugin->Enabled);
    std::string error;
    if (!ini.UpdateFile(&error)) LogError("Cannot write " + fileName + ": " + error);
    // Each plug-in then adds its own keys to the file written above.
    for (auto& plugin : Fplugins)
        if (plugin->Record->SaveSettings)
            CallPlugin([&] { plugin->Record->SaveSettings(fileName.c_str()); });
}

void TtaggerLoader::BuildExtensionMap() {
    std::unique_lock lock(FpictureLock);
    FextensionMap.clear();
    for (auto& plugin : Fplugins) {
        if (!plugin->Enabled) continue;
        for (const std::string& ext : plugin->Extensions()) FextensionMap.emplace_back(ext, plugin.get());
    }
}

TtaggerRecord* TtaggerLoader::FindPluginRecord(const std::string& name) const {
    const std::string_view ext = ExtensionOf(name);
    if (ext.empty()) return nullptr;
    // The first entry wins: plug-ins were added in description order.
    for (const auto& [mapped, plugin] : FextensionMap)
        if (SameText(mapped, ext)) return plugin->Record;
    return nullptr;
}

bool TtaggerLoader::ReadWithPlugin(TtaggerRecord* record, const std::string& name) {
    if (!record || !record->ReadFile) return false;
    if (!IsRegularFile(name)) return false;
    int32_t ok = 0;
    if (!CallPlugin([&] { ok = record->ReadFile(name.c_str()); })) return false;
    return ok != 0;
}

bool TtaggerLoader::ReadEmbeddedPicture(const std::string& fileName, std::string& bytes,
                                        std::string& mime) const {
    bytes.clear();
    mime.clear();
    std::shared_lock lock(FpictureLock);
    TtaggerRecord* record = FindPluginRecord(fileName);
    if (!record || !record->ReadPicture || !IsRegularFile(fileName)) return false;
    struct Tfound {
        std::string *Bytes, *Mime;
        bool Failed = false;
    } found{&bytes, &mime};
    // The sink runs inside the plug-in: nothing may be thrown through it.
    const TtaggerPictureSink sink = [](void* context, const char* type, const void* data, size_t size) {
        auto* into = static_cast<Tfound*>(context);
        try {
            into->Mime->assign(type ? type : "");
            into->Bytes->assign(static_cast<const char*>(data), data ? size : 0);
        } catch (...) {
            into->Failed = true;
        }
    };
    int32_t ok = 0;
    if (!CallPlugin([&] { ok = record->ReadPicture(fileName.c_str(), sink, &found); }) || !ok ||
        found.Failed || bytes.empty()) {
        bytes.clear();
        mime.clear();
        return false;
    }
    return true;
}

TtaggerRecord* TtaggerLoader::FindPluginForFile(const std::string& name) {
    TtaggerRecord* record = FindPluginRecord(name);
    return ReadWithPlugin(record, name) ? record : nullptr;
}

TtaggerPlugin* TtaggerLoader::GetPlugin(int index) const {
    if (index < 0 || index >= PluginCount()) return nullptr;
    return Fplugins[size_t(index)].get();
}

void TtaggerLoader::GetExtensions(std::vector<std::string>& list) const {
    list.clear();
    for (const auto& entry : FextensionMap) list.push_back(entry.first);
}

std::string TtaggerLoader::PluginMasks(const TtaggerPlugin& plugin) {
    std::string masks;
    for (const std::string& ext : plugin.Extensions()) {
        if (!masks.empty()) masks += ';';
        masks += "*." + ext;
    }
    return masks;
}

void TtaggerLoader::GetFileFilter(std::string& filter) const {
    std::string all;
    std::string each;
    for (const auto& plugin : Fplugins) {
        const std::string masks = PluginMasks(*plugin);
        if (!all.empty() && !masks.empty()) all += ';';
        all += masks;
        each += "|" + plugin->SupportedFileTypes() + " (" + masks + ")|" + masks;
    }
    filter = "All Supported Files|" + all + each;
}

void TtaggerLoader::GetSupportedExtensions(const TtaggerPlugin* plugin, std::string& text) const {
    text.clear();
    if (!plugin) return;
    for (const std::string& ext : plugin->Extensions()) {
        if (!text.empty()) text += ',';
        text += ext;
    }
}

void TtaggerLoader::SetPluginEnabled(int index, bool enabled) {
    TtaggerPlugin* plugin = GetPlugin(index);
    if (!plugin || plugin->Enabled == enabled) return;
    plugin->Enabled = enabled;
    BuildExtensionMap();
    if (PluginsUpdated) PluginsUpdated(this);
}

std::string TtaggerLoader::GetPluginInformation(int index) const {
    const TtaggerPlugin* plugin = GetPlugin(index);
    if (!plugin) return {};
    std::string extensions;
    GetSupportedExtensions(plugin, extensions);
    return "Description          : " + plugin->Description() + "\n" +
           "Supported File Types : " + plugin->SupportedFileTypes() + "\n" +
           "Supported Extensions : " + extensions + "\n" +
           Format("Version              : %d.%d", plugin->MajorVersion(), plugin->MinorVersion());
}

void TtaggerLoader::ConfigurePlugin(int index, uintptr_t ownerWindow) {
    TtaggerPlugin* plugin = GetPlugin(index);
    if (plugin && plugin->Record->Configure) CallPlugin([&] { plugin->Record->Configure(ownerWindow); });
}

void TtaggerLoader::SetPluginsDialog(TpluginsDialog dialog) { PluginsDialog() = std::move(dialog); }

void TtaggerLoader::ShowPluginsDialog() {
    if (PluginsDialog()) {
        PluginsDialog()(*this);
        return;
    }
    std::string text;
    for (int i = 0; i < PluginCount(); ++i) {
        if (!text.empty()) text += "\n\n";
        text += GetPluginInformation(i);
    }
    Prompt().ShowMessage(text, "Tag Reader Plugins");
}

TtaggerLoader& TaggerLoader() {
    static TtaggerLoader loader;
    return loader;
}

}  // namespace tunecrest
