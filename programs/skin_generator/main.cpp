// Writes the two skins that ship with the program ("Default" and "Classic") into a
// skins folder: each a folder holding its grey-scale templates and its skin.usk.
// Run by the build, so the art stays reviewable source; nothing binary is checked in.
//
//   tunecrest-skin-generator SKINS_FOLDER
#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <iostream>

#include "core/color_text.h"
#include "core/ini_file.h"
#include "core/safe_file.h"
#include "skin_art.h"

using namespace tunecrest;

namespace {

bool WriteBmp(const std::filesystem::path& file, const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) {
        std::cerr << "Cannot encode " << file << "\n";
        return false;
    }
    std::string error;
    if (!SafeWriteFile(file.string(), std::string_view(bytes.constData(), size_t(bytes.size())), &error)) {
        std::cerr << "Cannot write " << file << ": " << error << "\n";
        return false;
    }
    return true;
}

bool WriteSkin(const std::filesystem::path& skins, const TskinDescription& skin)
{
    const std::filesystem::path folder = skins / skin.Folder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "Cannot create " << folder << ": " << ec.message() << "\n";
        return false;
    }
    TiniFile ini((folder / "skin.usk").string());
    ini.Clear();
    ini.WriteString("Info", "Title", skin.Title);
    ini.WriteString("Info", "Description", skin.Description);
    ini.WriteString("Info", "Creator", "Tunecrest");
    ini.WriteString("Colors", "ButtonColor", ColorToString(skin.ButtonColor));
    ini.WriteString("Colors", "PanelColor", ColorToString(skin.PanelColor));
    ini.WriteString("Colors", "DefaultButtonColor", ColorToString(skin.ButtonColor));
    ini.WriteString("Colors", "DefaultPanelColor", ColorToString(skin.PanelColor));
    ini.WriteBool("Settings", "FontShadows", skin.FontShadows);
    if (!WriteBmp(folder / "KeyboardKey_Image.bmp", skin.KeyboardKey)) return false;
    ini.WriteString("Keyboard", "KeyImage", "KeyboardKey_Image.bmp");
    for (const TskinTemplate& t : skin.Templates) {
        if (!WriteBmp(folder / t.FileName, t.Image)) return false;
        ini.WriteString(t.Section, "Image", t.FileName);
        if (t.HasStretchKey) ini.WriteBool(t.Section, "StretchDraw", false);
    }
    std::string error;
    if (!ini.UpdateFile(&error)) {
        std::cerr << "Cannot write " << ini.FileName() << ": " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tunecrest-skin-generator SKINS_FOLDER\n";
        return 2;
    }
    const std::filesystem::path skins = argv[1];
    for (TskinStyle style : {ssDefault, ssClassic})
        if (!WriteSkin(skins, MakeSkin(style))) return 1;
    return 0;
}
