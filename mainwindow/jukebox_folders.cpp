#include "mainwindow/jukebox_folders.h"

#include <filesystem>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace fs = std::filesystem;

namespace {
std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
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

TjukeboxFolders::TjukeboxFolders(const std::vector<std::string>& args, const std::string& programFolder) {
    const std::string value = RootSwitch(args);
    std::error_code ec;
    if (!value.empty() && fs::is_directory(value, ec)) {
        Froot = WithSeparator(fs::absolute(value, ec).lexically_normal().string());
    } else {
        Froot = WithSeparator(programFolder);
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
        fs::create_directories(folder, ec);
        if (ec && !fs::is_directory(folder)) {
            if (error) *error = "Cannot create " + folder + ": " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace tunecrest
