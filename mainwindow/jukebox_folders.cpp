#include "mainwindow/jukebox_folders.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/base/services.h"
#include "core/base/text_utils.h"

// The install layout's paths from the program's folder to the shipped data and plug-ins
// (set by the build from GNUInstallDirs; these defaults are the layout under any prefix).
#ifndef TUNECREST_DATA_FROM_BIN
#define TUNECREST_DATA_FROM_BIN "../share/tunecrest"
#endif
#ifndef TUNECREST_PLUGINS_FROM_BIN
#define TUNECREST_PLUGINS_FROM_BIN "../lib/tunecrest"
#endif

namespace tunecrest {

namespace fs = std::filesystem;

namespace {
std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// The user may create files in `folder` (the test the kernel makes, not the mode bits).
bool Writable(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

// The program was installed: its shipped files are in the installed share folder, not
// beside it. Its folder (/usr/bin) is never the root, even for a user who may write there.
bool Installed(const std::string& programFolder) {
    const TshippedFolders shipped(programFolder);
    std::error_code ec;
    return !shipped.BesideProgram() && fs::is_directory(shipped.SkinsFolder(), ec);
}
}  // namespace

std::string TjukeboxFolders::RootSwitch(const std::vector<std::string>& args) {
    static const std::string kName = "-RootFolder=";
    for (const auto& arg : args) {
        if (arg.size() < kName.size() || !SameText(arg.substr(0, kName.size()), kName)) continue;
        std::string value = arg.substr(kName.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

std::string TjukeboxFolders::PerUserRootFolder() {
    // Relative values are invalid by the base-directory rules and are ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return WithSeparator((fs::path(data) / "tunecrest").lexically_normal().string());
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return WithSeparator((fs::path(home) / ".local" / "share" / "tunecrest").lexically_normal().string());
    return {};
}

TjukeboxFolders::TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder)
    : TjukeboxFolders(args, programFolder, PerUserRootFolder()) {}

TjukeboxFolders::TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder,
                                 const std::string& perUserRoot) {
    const std::string value = RootSwitch(args);
    std::error_code ec;
    if (!value.empty() && fs::is_directory(value, ec)) {
        Froot = WithSeparator(fs::absolute(value, ec).lexically_normal().string());
    } else if (perUserRoot.empty() || (Writable(programFolder) && !Installed(programFolder))) {
        Froot = WithSeparator(programFolder);
    } else {
        Froot = WithSeparator(perUserRoot);
    }
}

TjukeboxFolders::TjukeboxFolders(const std::string& root) : Froot(WithSeparator(root)) {}

bool TjukeboxFolders::CreateFolders(bool withTagPlugins, std::string* error) const {
    std::vector<std::string> folders = {DataFolder(),    SettingsFolder(),       CartridgesFolder(),
                                        ReportsFolder(), PluginsFolder(),        DocsFolder(),
                                        ControlPluginsFolder(), SkinsFolder()};
    if (withTagPlugins) folders.push_back(TagPluginsFolder());
    for (const auto& folder : folders) {
        std::error_code ec;
        // The per-user root and its parents (~/.local/share) may not exist yet.
        fs::create_directories(folder, ec);
        if (ec && !fs::is_directory(folder)) {
            if (error) *error = "Cannot create " + folder + ": " + ec.message();
            return false;
        }
    }
    return true;
}

TshippedFolders::TshippedFolders(const std::string& programFolder) {
    std::error_code ec;
    const fs::path program(programFolder);
    if (fs::is_directory(program / "Skins", ec) || fs::is_directory(program / "TagPlugins", ec)) {
        Fdata = Fplugins = WithSeparator(programFolder);
        FbesideProgram = true;
        return;
    }
    Fdata = WithSeparator((program / TUNECREST_DATA_FROM_BIN).lexically_normal().string());
    Fplugins = WithSeparator((program / TUNECREST_PLUGINS_FROM_BIN).lexically_normal().string());
}

std::vector<std::string> LinkShippedTagPlugins(const std::string& shipped, const std::string& rootPlugins) {
    std::vector<std::string> linked;
    std::error_code ec;
    if (shipped.empty() || rootPlugins.empty() || !fs::is_directory(shipped, ec) ||
        !fs::is_directory(rootPlugins, ec) || fs::equivalent(shipped, rootPlugins, ec))
        return linked;
    std::vector<fs::path> plugins;
    for (const auto& entry : fs::directory_iterator(shipped, ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && name.rfind("TAG_", 0) == 0 && entry.path().extension() == ".so")
            plugins.push_back(entry.path());
    }
    std::sort(plugins.begin(), plugins.end());
    fs::path shippedFolder = fs::absolute(shipped, ec).lexically_normal();
    if (!shippedFolder.has_filename()) shippedFolder = shippedFolder.parent_path();
    for (const fs::path& plugin : plugins) {
        const fs::path target = fs::path(rootPlugins) / plugin.filename();
        const fs::path source = fs::absolute(plugin, ec).lexically_normal();
        const auto status = fs::symlink_status(target, ec);
        if (fs::exists(status)) {
            if (!fs::is_symlink(status)) continue;  // the owner's own file
            const fs::path points = fs::read_symlink(target, ec);
            if (points == source) continue;
            // Only a link into the shipped folder is ours to move (also one left dangling by
            // an upgrade); any other is the owner's.
            if (ec || points.parent_path().lexically_normal() != shippedFolder) continue;
            fs::remove(target, ec);
        }
        std::error_code linkError;
        fs::create_symlink(source, target, linkError);
        if (linkError) {
            LogError("The tag plug-in " + plugin.filename().string() + " was not linked into " + rootPlugins +
                     ": " + linkError.message());
            continue;
        }
        linked.push_back(plugin.filename().string());
    }
    return linked;
}

}  // namespace tunecrest
