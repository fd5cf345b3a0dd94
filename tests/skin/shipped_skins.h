#pragma once
// The templates of the skins the build draws, for control tests that run on real art.
#include <filesystem>
#include <string>

#include <QImage>

#include "core/base/ini_file.h"
#include "skin/skin_colors.h"

namespace tunecrest::test {

inline const char* const kShippedSkins[] = {"Default", "Classic"};

inline QImage ShippedSkinImage(const std::string& skin, const std::string& section, const std::string& key = "Image")
{
    const std::filesystem::path folder = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins" / skin;
    TiniFile ini((folder / "skin.usk").string());
    const std::string name = ini.ReadString(section, key, "");
    if (name.empty()) return QImage();
    return ToSkinBitmap(QImage(QString::fromStdString((folder / name).string())));
}

}  // namespace tunecrest::test
