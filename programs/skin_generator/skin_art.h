#pragma once
// The art of the two skins that ship with the program, drawn from code as grey-scale
// templates. Grey levels are recoloured at run time: 128 becomes the colour itself,
// lighter levels tint towards white, darker ones towards black. Outside a control's
// face the templates keep level 128, so the surroundings take the panel colour exactly
// and a button sits seamlessly on its panel.
#include <string>
#include <vector>

#include <QImage>

#include "core/display/color.h"

namespace tunecrest {

enum TskinStyle { ssDefault, ssClassic };

// One template of a skin: the file it is written to, the skin-file section that names
// it, and what the loader and the test expect of it.
struct TskinTemplate {
    std::string Section;      // section of skin.usk (the control kind)
    std::string FileName;     // bare file name inside the skin folder
    int Frames;               // frames side by side (stacked when Vertical)
    bool Vertical;            // frames stacked (horizontal scroll bar)
    int Markers;              // white markers the control cuts the first frame with
    bool HasStretchKey;       // writes "StretchDraw"
    std::vector<TColor> Mask; // colours of the mask frame that mark faces (empty: no mask)
    QImage Image;             // Format_BGR888
};

struct TskinDescription {
    std::string Folder;  // "Default" or "Classic"
    std::string Title;
    std::string Description;
    TColor ButtonColor;
    TColor PanelColor;
    bool FontShadows;
    std::vector<TskinTemplate> Templates;
    QImage KeyboardKey;  // a stretch-button template of 3 frames
    QImage Backspace;    // the backspace key's glyph on the glyph transparent colour $FF00FF
};

TskinDescription MakeSkin(TskinStyle style);

}  // namespace tunecrest
