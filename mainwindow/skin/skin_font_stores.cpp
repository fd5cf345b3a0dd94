#include "mainwindow/skin/skin_font_stores.h"

namespace tunecrest {

namespace {

struct TfontDefault {
    const char* NiceName;
    const char* Mask;  // "" none; the format codes are set by SetFontMasks
    int Size;
    bool Bold;
    bool Italic;
    TColor Color;
};

struct TstoreDefault {
    const char* NiceName;
    std::vector<TfontDefault> Fonts;
    std::vector<std::pair<const char*, TColor>> Colors;
};

// Light text on the dark stage the shipped skins set; sizes are for a touch screen
// read from a step away.
const TstoreDefault kStores[fsCount] = {
    {"Lists",
     {{"Heading", "HD", 16, true, false, RGBColor(240, 240, 240)},
      {"Sub Heading", "SH", 12, false, false, RGBColor(200, 204, 210)},
      {"Artist", "", 14, true, false, RGBColor(240, 240, 240)},
      {"Album", "", 12, false, false, RGBColor(200, 204, 210)},
      {"Title", "", 14, false, false, RGBColor(240, 240, 240)},
      {"Duration/Details", "", 11, false, false, RGBColor(170, 176, 186)},
      {"Track Index", "", 11, false, false, RGBColor(170, 176, 186)},
      {"Genre", "", 11, false, false, RGBColor(170, 176, 186)},
      {"Comment", "", 11, false, true, RGBColor(170, 176, 186)},
      {"Characters", "", 14, false, false, RGBColor(240, 240, 240)},
      {"Extra Fields", "", 11, false, false, RGBColor(170, 176, 186)}},
     {{"Background", RGBColor(24, 27, 32)},
      {"Background Focused", RGBColor(30, 34, 40)},
      {"Tree Line", RGBColor(78, 88, 104)},
      {"Highlight Font Color", RGBColor(255, 255, 255)},
      {"Highlight Font Background", RGBColor(78, 88, 104)}}},
    {"Screen Saver",
     {{"Title", "", 36, true, false, RGBColor(240, 240, 240)},
      {"Artist", "", 28, false, false, RGBColor(200, 204, 210)},
      {"Album", "", 20, false, false, RGBColor(170, 176, 186)}},
     {{"Background", RGBColor(0, 0, 0)}}},
    {"Song Title",
     {{"Characters", "", 22, true, false, RGBColor(240, 240, 240)},
      {"Title", "", 22, true, false, RGBColor(240, 240, 240)},
      {"Artist", "", 22, false, false, RGBColor(200, 204, 210)},
      {"Album", "", 16, false, false, RGBColor(170, 176, 186)},
      {"Track Index", "", 16, false, false, RGBColor(170, 176, 186)}},
     {}},
    {"Other",
     {{"Menu", "", 14, false, false, RGBColor(240, 240, 240)},
      {"Status", "", 13, false, false, RGBColor(200, 204, 210)}},
     {}},
};

}  // namespace

void SetFontMasks(TfontContainer& store) {
    static const std::pair<const char*, const char*> kMasks[] = {
        {"Artist", "FAR"},      {"Album", "FAL"}, {"Duration/Details", "FDU"},
        {"Genre", "FGE"},       {"Track Index", "FTN"}, {"Title", "FTI"},
        {"Comment", "FCO"},     {"Characters", "FCH"},  {"Extra Fields", "FXT"},
    };
    for (const auto& [name, mask] : kMasks)
        if (TfontItem* item = store.Items().FindByName(name)) item->Mask = mask;
}

TfontContainer DefaultFontStore(TfontStoreIndex index) {
    const TstoreDefault& d = kStores[size_t(index)];
    TfontContainer store;
    store.NiceName = d.NiceName;
    for (const TfontDefault& f : d.Fonts) {
        TfontItem& item = store.Items().Add();
        item.NiceName = f.NiceName;
        item.Mask = f.Mask;
        TFont font;
        font.Name = "Tahoma";
        font.Size = f.Size;
        font.Bold = f.Bold;
        font.Italic = f.Italic;
        font.Color = f.Color;
        item.SetFont(font);
    }
    for (const auto& [name, color] : d.Colors) {
        TcolorItem& item = store.Colors().Add();
        item.NiceName = name;
        item.color = color;
    }
    SetFontMasks(store);
    return store;
}

TmainWindowFontStores::TmainWindowFontStores() {
    for (auto& store : Fstores) store = std::make_unique<TfontContainer>();
    ResetToDefaults();
}

void TmainWindowFontStores::ResetToDefaults() {
    for (int i = 0; i < fsCount; ++i) Fstores[size_t(i)]->Assign(DefaultFontStore(TfontStoreIndex(i)));
}

}  // namespace tunecrest
