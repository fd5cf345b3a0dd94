#include "mainwindow/skin/shipped_skins.h"

#include <algorithm>
#include <filesystem>

#include "core/base/services.h"
#include "core/display/skin_file.h"

namespace fs = std::filesystem;

namespace tunecrest {

std::vector<std::string> CopyShippedSkins(const std::string& shippedSkins, const std::string& rootSkins) {
    std::vector<std::string> copied;
    std::error_code ec;
    if (shippedSkins.empty() || rootSkins.empty() || !fs::is_directory(shippedSkins, ec) ||
        !fs::is_directory(rootSkins, ec) || fs::equivalent(shippedSkins, rootSkins, ec))
        return copied;
    std::vector<fs::path> skins;
    for (const auto& entry : fs::directory_iterator(shippedSkins, ec))
        if (entry.is_directory(ec) && fs::is_regular_file(entry.path() / TskinFile::kFileName, ec))
            skins.push_back(entry.path());
    std::sort(skins.begin(), skins.end());
    for (const fs::path& skin : skins) {
        const std::string name = skin.filename().string();
        const fs::path target = fs::path(rootSkins) / name;
        if (fs::exists(target, ec)) continue;  // the root's own, whatever it holds
        const fs::path partial = fs::path(rootSkins) / ("." + name + ".copying");
        fs::remove_all(partial, ec);
        std::error_code copyError;
        fs::copy(skin, partial, fs::copy_options::recursive, copyError);
        if (!copyError) fs::rename(partial, target, copyError);
        if (copyError) {
            fs::remove_all(partial, ec);
            LogError("The skin " + name + " was not copied to " + rootSkins + ": " + copyError.message());
            continue;
        }
        copied.push_back(name);
    }
    return copied;
}

}  // namespace tunecrest
