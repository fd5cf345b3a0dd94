#include "mainwindow/skin_component_table.h"

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

// One line per component, in the order the layout creates them.
const std::vector<TskinComponent> kMainWindowSkinComponents = {
    {"pnlVolume", skcPanel, "Panel"},
    {"pnlBrowseModes", skcPanel, "Panel"},
    {"btnViewTree", skcButton, "CheckButton"},
    {"btnViewCovers", skcButton, "CheckButton"},
    {"btnViewArtistCovers", skcButton, "CheckButton"},
    {"btnSearch", skcButton, "Button"},
    {"pnlBrowse", skcPanel, "Panel"},
    {"tvJukeboxList", skcListBox, ""},
    {"sbJukeboxList", skcScrollBar, "ScrollBarVertical"},
    {"sbCoverArt", skcScrollBar, "ScrollBarVertical"},
    {"pnlTrackList", skcPanel, "Panel"},
    {"lstTracks", skcListBox, ""},
    {"sbTracks", skcScrollBar, "ScrollBarVertical"},
    {"btnQueue", skcButton, "Button"},
    {"btnQueueAll", skcButton, "Button"},
    {"btnQueueCD", skcButton, "Button"},
    {"pnlNowPlaying", skcPanel, "Panel"},
    {"pnlStacker", skcPanel, "Panel"},
    {"btnStacker", skcButton, "CheckButton"},
    {"btnStackerConfigure", skcButton, "Button"},
    {"pnlQueue", skcPanel, "Panel"},
    {"lstQueue", skcListBox, ""},
    {"sbQueue", skcScrollBar, "ScrollBarVertical"},
    {"btnQueueUp", skcButton, "Button"},
    {"btnQueueDown", skcButton, "Button"},
    {"btnQueueDelete", skcButton, "Button"},
    {"pnlButtons", skcPanel, "Panel"},
    {"btnMenu", skcButton, "Button"},
    {"btnBack", skcButton, "Button"},
    {"btnPlay", skcButton, "Button"},
    {"btnPause", skcButton, "CheckButton"},
    {"btnStop", skcButton, "Button"},
    {"btnNext", skcButton, "Button"},
    {"btnVolume", skcButton, "CheckButton"},
    {"pnlVolumePopup", skcPanel, "Panel"},
    {"sbVolume", skcScrollBar, "ScrollBarHorizontal"},
    {"sbTrackPosition", skcScrollBar, "ScrollBarHorizontal"},
    {"sbVolumePopup", skcScrollBar, "ScrollBarHorizontal"},
};

}  // namespace

const std::vector<TskinComponent>& MainWindowSkinComponents() { return kMainWindowSkinComponents; }

const TskinComponent* FindSkinComponent(std::string_view name) {
    for (const TskinComponent& c : kMainWindowSkinComponents)
        if (SameText(c.Name, name)) return &c;
    return nullptr;
}

bool KindHasStretchDraw(TskinComponentKind kind) {
    return kind == skcPanel || kind == skcSplitter || kind == skcScrollBar;
}

const char* SkinImageKey(TskinComponentKind kind) { return kind == skcListBox ? "BackImage" : "Image"; }

std::string SkinImageFileName(const TskinComponent& component, bool jpeg) {
    const std::string name = component.Name;
    switch (component.Kind) {
        case skcButton:
        case skcPanel:
            return name + "_Image.bmp";
        case skcListBox:
            return name + "_BackImage." + (jpeg ? "jpg" : "bmp");
        default:
            return name + "_image.bmp";
    }
}

}  // namespace tunecrest
