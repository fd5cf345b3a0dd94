#pragma once
// The folder tree under the jukebox's root: the root comes from "-RootFolder=PATH" on
// the command line when that names a directory (made absolute, given a trailing
// separator); otherwise it is the program's folder where the user may write there (a
// build tree, a folder the owner made), and the per-user data folder
// ($XDG_DATA_HOME/tunecrest/, by default ~/.local/share/tunecrest/) for an installed
// program, whose folder (/usr/bin) no user can fill. Every name ends with a separator.
#include <string>
#include <vector>

namespace tunecrest {

class TjukeboxFolders {
public:
    // `args` are the program's parameters without the program name; the per-user
    // fallback is `PerUserRootFolder()`.
    TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder);
    // As above with the per-user fallback given (tests).
    TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder,
                    const std::string& perUserRoot);
    explicit TjukeboxFolders(const std::string& root);

    // The value of "-RootFolder=" in `args` (quotes removed), or empty.
    static std::string RootSwitch(const std::vector<std::string>& args);
    // "$XDG_DATA_HOME/tunecrest/" when that variable holds an absolute path, otherwise
    // "$HOME/.local/share/tunecrest/"; empty when neither can be known.
    static std::string PerUserRootFolder();

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

    // Creates the root when missing and every missing folder of the tree; false with the
    // first failure's reason.
    bool CreateFolders(bool withTagPlugins, std::string* error = nullptr) const;

private:
    std::string Froot;
};

// Where the files that ship with the program are found: beside the program in a build
// tree (bin/Skins, bin/Docs, bin/TagPlugins), or in the installed share/tunecrest/ and
// lib/tunecrest/ folders, found from the program's folder by the install layout's
// relative paths, so that a package installed under any prefix finds them.
class TshippedFolders {
public:
    explicit TshippedFolders(const std::string& programFolder);
    TshippedFolders(std::string dataFolder, std::string pluginFolder)
        : Fdata(std::move(dataFolder)), Fplugins(std::move(pluginFolder)) {}

    std::string SkinsFolder() const { return Fdata + "Skins/"; }
    std::string DocsFolder() const { return Fdata + "Docs/"; }
    std::string TagPluginsFolder() const { return Fplugins + "TagPlugins/"; }
    // True where the shipped files lie beside the program (a build tree).
    bool BesideProgram() const { return FbesideProgram; }

private:
    std::string Fdata;
    std::string Fplugins;
    bool FbesideProgram = false;
};

// Links each shipped tagger plug-in ("TAG_*.so") into the root's tag plug-in folder, so
// that the loader finds it there and its settings file is written where the user may
// write. A name the owner already uses is left alone; a link of ours is pointed at the
// shipped file again (after an upgrade moved it). Returns the names linked.
std::vector<std::string> LinkShippedTagPlugins(const std::string& shipped, const std::string& rootPlugins);

}  // namespace tunecrest
