// Skin description files from arbitrary bytes: the reader either refuses them with a
// reason and an empty image, or reads every value without reading past its input; what
// it read, written again and read back, gives the same text and the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/display/font_store.h"
#include "core/display/skin_file.h"

namespace {

using namespace tunecrest;

struct Tvalues {
    TskinInfo Info;
    std::optional<TColor> Button, Panel, DefaultButton, DefaultPanel;
    bool Shadows;
    std::string Key;
    std::vector<std::string> Images;
    std::vector<std::optional<bool>> Stretch;
    std::vector<TskinIcon> Icons;
    std::string Fonts;
    bool operator==(const Tvalues&) const = default;
};

std::string FontText(const TfontContainer& store) {
    std::string text;
    for (int i = 0; i < store.Items().Count(); ++i) {
        const TFont& f = store.Items().Items(i)->font();
        text += f.Name + ColorToHTML(f.Color) + std::to_string(f.Size) + (f.Bold ? "b" : "") + (f.Italic ? "i" : "") +
                ColorToHTML(store.Items().Items(i)->Color) + "|";
    }
    for (int i = 0; i < store.Colors().Count(); ++i) text += ColorToHTML(store.Colors().Items(i)->color) + "|";
    return text;
}

Tvalues Read(const TskinFile& skin) {
    Tvalues v;
    v.Info = skin.Info();
    v.Button = skin.ButtonColor();
    v.Panel = skin.PanelColor();
    v.DefaultButton = skin.DefaultButtonColor();
    v.DefaultPanel = skin.DefaultPanelColor();
    v.Shadows = skin.FontShadows(false);
    v.Key = skin.KeyImage();
    for (const std::string& section : skin.Ini().ReadSections()) {
        for (const char* key : {"Image", "BackImage"}) {
            const std::string name = skin.Image(section, key);
            v.Images.push_back(name);
            // A name is either bare or refused; never both.
            if (IsBareFileName(name) && (name.find('/') != std::string::npos || name == ".." || name == "."))
                std::abort();
        }
        v.Stretch.push_back(skin.StretchDraw(section));
    }
    v.Icons = skin.Icons();
    TfontContainer store;
    store.NiceName = "Lists";
    for (const char* name : {"Artist", "Title", "Duration/Details"}) {
        TfontItem& item = store.Items().Add();
        item.NiceName = name;
        item.ColorNiceName = "Back";
    }
    store.Colors().Add().NiceName = "Background";
    skin.LoadFontStore(store);
    v.Fonts = FontText(store);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TskinFile first;
    std::string error;
    if (!first.LoadFromText(text, &error)) {
        if (error.empty() || first.Ini().SectionCount() != 0 || !first.GetText().empty()) std::abort();
        return 0;
    }
    if (first.Icons().size() > size_t(kMaxSkinIcons)) std::abort();
    const Tvalues values = Read(first);
    const std::string written = first.GetText();
    TskinFile second;
    if (!second.LoadFromText(written, &error)) std::abort();
    if (second.GetText() != written) std::abort();
    if (!(Read(second) == values)) std::abort();
    return 0;
}
