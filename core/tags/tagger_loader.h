#pragma once
// Tagger plug-ins: shared libraries "TAG_*.so" in the tag plug-in folder that read the tags
// of media files. The loader loads them, keeps those whose flags match the wanted kinds,
// maps file extensions to plug-ins and hands out the plug-in for a file. One loader serves
// the whole program (TaggerLoader()); tests make their own.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/base/event_lists.h"
#include "plugins/tagger_plugin.h"

namespace tunecrest {

// One loaded plug-in: its record, the library handle and whether the user has it on.
class TtaggerPlugin : public TObject {
public:
    TtaggerPlugin(TtaggerRecord* record, void* handle, std::string fileName);

    TtaggerRecord* Record = nullptr;
    void* Handle = nullptr;
    bool Enabled = true;

    const std::string& FileName() const { return FfileName; }
    std::string Description() const;
    std::string SupportedFileTypes() const;
    int MajorVersion() const;
    int MinorVersion() const;
    // The plug-in's extensions (without dot), read once when it was loaded.
    const std::vector<std::string>& Extensions() const { return Fextensions; }

private:
    std::string FfileName;
    std::vector<std::string> Fextensions;
};

class TtaggerLoader : public TObject {
public:
    TtaggerLoader();
    // Unloads every plug-in (writing the settings file first).
    ~TtaggerLoader() override;
    TtaggerLoader(const TtaggerLoader&) = delete;
    TtaggerLoader& operator=(const TtaggerLoader&) = delete;

    // Setting the folder or either level reloads every plug-in.
    const std::string& PluginFolder() const { return FpluginFolder; }
    void SetPluginFolder(const std::string& folder);
    uint32_t SupportLevel() const { return FsupportLevel; }
    void SetSupportLevel(uint32_t level);
    uint32_t MediaSupportLevel() const { return FmediaSupportLevel; }
    void SetMediaSupportLevel(uint32_t level);
    // Handed to every plug-in's Init; takes effect on the next load.
    intptr_t HostValue = 0;
    // Raised after the plug-ins were (re)loaded and after a plug-in was switched on or off.
    TNotifyEvent PluginsUpdated;

    // The settings file: PluginFolder/TAG_Settings.ini (empty when there is no folder).
    std::string SettingsFileName() const;

    void LoadPlugins();
    void UnloadPlugins();

    // The record of the enabled plug-in for the file's extension after it has read the
    // file; nullptr when there is none or the read fails.
    TtaggerRecord* FindPluginForFile(const std::string& name);
    // The record of the plug-in for the file's extension, without reading.
    TtaggerRecord* FindPluginRecord(const std::string& name) const;
    // Held around one tag read and the copy of its record: a plug-in fills one record,
    // so two threads (a scan on a worker, a file queued on the main thread) must not read
    // through it at once, and the plug-ins must not be unloaded meanwhile.
    struct TtagReadLock {
        std::unique_lock<std::mutex> Read;
        std::shared_lock<std::shared_mutex> Plugins;
    };
    TtagReadLock LockTagRead() const { return {std::unique_lock(FreadMutex), std::shared_lock(FpictureLock)}; }
    // Calls the record's ReadFile, swallowing anything the plug-in throws.
    static bool ReadWithPlugin(TtaggerRecord* record, const std::string& name);
    // The picture embedded in the file, through the enabled plug-in for its extension:
    // its bytes and MIME type; false when there is none or no plug-in reads pictures.
    // Safe from any thread: it waits while the plug-ins are being (un)loaded, and
    // loading waits for a read under way.
    bool ReadEmbeddedPicture(const std::string& fileName, std::string& bytes, std::string& mime) const;

    TtaggerPlugin* GetPlugin(int index) const;
    int PluginCount() const { return int(Fplugins.size()); }
    // The extension map's extensions in map order.
    void GetExtensions(std::vector<std::string>& list) const;
    // "All Supported Files|<masks>|<types> (<masks>)|<masks>..." for an open dialog.
    void GetFileFilter(std::string& filter) const;
    // The plug-in's extensions joined with ",".
    void GetSupportedExtensions(const TtaggerPlugin* plugin, std::string& text) const;

    // Switches a plug-in on or off; the extension map follows at once.
    void SetPluginEnabled(int index, bool enabled);
    void SaveSettings();
    // The four lines the plug-in window shows for one plug-in.
    std::string GetPluginInformation(int index) const;
    // Opens the plug-in's own settings dialog.
    void ConfigurePlugin(int index, uintptr_t ownerWindow);

    // The plug-in window. The interface installs it; until then the plug-ins are listed
    // through the prompt.
    using TpluginsDialog = std::function<void(TtaggerLoader& loader)>;
    static void SetPluginsDialog(TpluginsDialog dialog);
    void ShowPluginsDialog();

private:
    void BuildExtensionMap();
    void ReadSettings();
    static std::string PluginMasks(const TtaggerPlugin& plugin);

    std::string FpluginFolder;
    uint32_t FsupportLevel = 0xFFFFFFFFu;
    uint32_t FmediaSupportLevel = 0xFFFFFFFFu;
    // Sorted by description without regard to case.
    std::vector<std::unique_ptr<TtaggerPlugin>> Fplugins;
    std::vector<std::pair<std::string, TtaggerPlugin*>> FextensionMap;
    // Held shared by picture reads on other threads, exclusively while the plug-ins or
    // the extension map change.
    mutable std::shared_mutex FpictureLock;
    mutable std::mutex FreadMutex;
};

// The program's loader, created on first use with no folder (nothing loaded until the
// owner sets PluginFolder) and freed at exit.
TtaggerLoader& TaggerLoader();

}  // namespace tunecrest
