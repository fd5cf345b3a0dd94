#pragma once
// The folder tree under the jukebox's root: the root comes from "-RootFolder=PATH" on
// the command line when that names a directory (made absolute, given a trailing
// separator), otherwise it is the program's folder. Every name ends with a separator.
#include <string>
#include <vector>

namespace tunecrest {

class TjukeboxFolders {
public:
    // `args` are the program's parameters without the program name.
    TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder);
    explicit TjukeboxFolders(const std::string& root);

    // The value of "-RootFolder=" in `args` (quotes removed), or empty.
    static std::string RootSwitch(const std::vector<std::string>& args);

    const std::string& RootFolder() const { return Froot; }
    std::string DataFolder() const { return Froot + "Data/"; }
    std::string SettingsFolder() const { return Froot + "Settings/"; }
    std::string CartridgesFolder() const { return Froot + "Cartridges/"; }
    std::string ReportsFolder() const { return Froot + "Reports/"; }
    std::string PluginsFolder() const { return Froot + "Plugins/"; }
    std::string DocsFolder() const { return Froot + "Docs/"; }
    std::string ControlPluginsFolder() const { return Froot + "ControlPlugins/"; }
    std::string SkinsFolder() const { return Froot + "Skins/"; }
    std::string TagPluginsFolder() const { return Froot + "TagPlugins/"; }
    std::string SettingsFileName() const { return SettingsFolder() + "settings.ini"; }
    std::string ReportsFileName() const { return ReportsFolder() + "reports.ini"; }
    std::string MappingsFileName() const { return SettingsFolder() + "mappings.txt"; }

    // Creates every missing folder of the tree; false with the first failure's reason.
    bool CreateFolders(bool withTagPlugins, std::string* error = nullptr) const;

private:
    std::string Froot;
};

}  // namespace tunecrest
