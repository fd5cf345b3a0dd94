// Writes the two skins that ship with the program ("Default" and "Classic") into a
// skins folder: each a folder holding its grey-scale templates and its skin.usk,
// written by the same writer the program uses, naming every component of the main
// window and the fonts of the four font stores.
// Run by the build, so the art stays reviewable source; nothing binary is checked in.
//
//   tunecrest-skin-generator SKINS_FOLDER
#include <QBuffer>
#include <algorithm>
#include <QImage>
#include <filesystem>
#include <iostream>

#include "core/display/color_text.h"
#include "core/display/skin_file.h"
#include "core/base/safe_file.h"
#include "mainwindow/skin/skin_component_table.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "skin/skin_colors.h"
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

// The list colours of a skin: its stage a little darker than the panel, the
// highlight in the button colour.
void SetListColors(TfontContainer& lists, const TskinDescription& skin)
{
    auto set = [&](const char* name, TColor color) {
        if (TcolorItem* item = lists.Colors().FindByName(name)) item->color = color;
    };
    set("Background", DarkenColor(skin.PanelColor, 20));
    set("Background Focused", skin.PanelColor);
    set("Tree Line", skin.ButtonColor);
    set("Highlight Font Background", skin.ButtonColor);
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
    TskinFile file;
    file.SetInfo({skin.Title, skin.Description, "Tunecrest"});
    file.SetButtonColor(skin.ButtonColor);
    file.SetPanelColor(skin.PanelColor);
    file.SetDefaultButtonColor(skin.ButtonColor);
    file.SetDefaultPanelColor(skin.PanelColor);
    file.SetFontShadows(skin.FontShadows);
    if (!WriteBmp(folder / "KeyboardKey_Image.bmp", skin.KeyboardKey)) return false;
    file.SetKeyImage("KeyboardKey_Image.bmp");
    if (!WriteBmp(folder / "KeyboardBackspace_Image.bmp", skin.Backspace)) return false;
    file.SetBackspaceImage("KeyboardBackspace_Image.bmp");
    // One template per control kind; the controls tests and the dialogs read them.
    for (const TskinTemplate& t : skin.Templates) {
        if (!WriteBmp(folder / t.FileName, t.Image)) return false;
        file.SetImage(t.Section, t.FileName);
        if (t.HasStretchKey) file.SetStretchDraw(t.Section, false);
    }
    // Every component of the main window, by name, wearing its kind's template.
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        if (std::string(c.Bitmap).empty()) continue;
        const auto t = std::find_if(skin.Templates.begin(), skin.Templates.end(),
                                    [&](const TskinTemplate& t) { return t.Section == c.Bitmap; });
        if (t == skin.Templates.end()) {
            std::cerr << "No template \"" << c.Bitmap << "\" for " << c.Name << "\n";
            return false;
        }
        file.SetImage(c.Name, t->FileName, SkinImageKey(c.Kind));
        if (KindHasStretchDraw(c.Kind)) file.SetStretchDraw(c.Name, false);
    }
    for (int i = 0; i < fsCount; ++i) {
        TfontContainer store = DefaultFontStore(TfontStoreIndex(i));
        if (i == fsLists) SetListColors(store, skin);
        file.SaveFontStore(store);
    }
    std::string error;
    const std::string name = (folder / TskinFile::kFileName).string();
    if (!file.SaveToFile(name, &error)) {
        std::cerr << "Cannot write " << name << ": " << error << "\n";
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
