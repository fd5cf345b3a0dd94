#pragma once
// The one list of the main window's skinned components: the name every skin knows a
// component by (its object name and its section in skin.usk), what kind of control it
// is, and which bitmap of the shipped skins it wears. The layout names its controls
// from this table, the skin reader and writer walk it, and a skin with a missing or
// damaged bitmap falls back to the shipped bitmap named here.
//
// To add a component: one line in kMainWindowSkinComponents (skin_component_table.cpp).
// The shipped skins, the skin file and the fallback follow without further edits.
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

enum TskinComponentKind {
    skcPanel,        // TmySkinPanel: nine-part skin, "StretchDraw"
    skcSplitter,     // TmySkinSplitter: nine-part skin, "StretchDraw"
    skcButton,       // TmySkinButton (push or check button)
    skcMultiButton,  // TmySkinMultiButton
    skcScrollBar,    // TmySkinScrollBar: "StretchDraw"
    skcListBox,      // an owner-drawn list box or tree: "BackImage", its background picture
};

struct TskinComponent {
    const char* Name;         // object name of the control and its section of skin.usk
    TskinComponentKind Kind;
    // The bitmap of the shipped skins this component wears: the section of the skin
    // generator's template ("Button", "Panel", "ScrollBarVertical", ...); "" for none
    // (a list box has no shipped background picture).
    const char* Bitmap;
};

// Every skinned component of the main window, in creation order.
const std::vector<TskinComponent>& MainWindowSkinComponents();
// The entry named `name`, compared without regard to case (skins travel between file
// systems and editors); nullptr when the window has no such component.
const TskinComponent* FindSkinComponent(std::string_view name);

// Kinds whose section carries "StretchDraw" (panels, splitters, scroll bars).
bool KindHasStretchDraw(TskinComponentKind kind);
// The skin-file key that names the component's picture: "BackImage" for list boxes,
// else "Image".
const char* SkinImageKey(TskinComponentKind kind);
// The file name the program gives a component's bitmap when it writes a skin: the
// name followed by "_Image.bmp" for buttons and panels and "_image.bmp" for the other
// kinds; a list box's picture is the name, "_BackImage." and "jpg" or "bmp".
std::string SkinImageFileName(const TskinComponent& component, bool jpeg = false);

}  // namespace tunecrest
