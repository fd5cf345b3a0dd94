#pragma once
// The rows of the skinned library tree shared by the stacker window and the choose-CD
// window: indentation and dotted tree lines, expand boxes, node images and the node
// captions with their counts, in the skin's fonts and colours.
#include <QRect>
#include <string>

#include "skin/touch_list_box.h"

class QPainter;

namespace tunecrest {

class TcustomJukebox;
class TcustomJukeboxListViewer2;
class TfontContainer;
class TimageList;
class TmyNode;

// Pixels per tree level.
inline constexpr int kTreeLevelIndent = 18;

struct TlibraryTreeLook {
    const TfontContainer* Skin = nullptr;               // fonts by name and index, colours by index
    const TimageList* Images = nullptr;                 // node images; none drawn without them
    const TcustomJukebox* Jukebox = nullptr;            // its activated playlist gets image 8
    const TcustomJukeboxListViewer2* Viewer = nullptr;  // category texts of the last build
    std::string MissingArtist;                          // the display settings' text for no artist
};

// The node's caption as markup (values escaped).
std::string LibraryTreeCaption(const TmyNode& node, const TlibraryTreeLook& look, bool selected);
// The index of the node's image.
int LibraryTreeImage(const TmyNode& node, const TlibraryTreeLook& look, bool selectedNode);
// Paints row `index` of `tree`.
void PaintLibraryTreeRow(TtouchTreeView& tree, const TlibraryTreeLook& look, int index, const QRect& rect,
                         QPainter& canvas, TtouchListItemState state);
// "s" unless exactly one.
inline std::string PluralS(int count) {
    return count == 1 ? "" : "s";
}

}  // namespace tunecrest
