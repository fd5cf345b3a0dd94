#pragma once
// Pushes a skin's button and panel colours into the skinned controls a form owns.
#include <QWidget>

#include "core/display/color.h"

namespace tunecrest {

// A control that takes part in ApplySkinToControls. Each kind keeps its own rule: a
// skinned panel takes the panel colour as Color1 and the button colour as Color2 of its
// skin colours; a skinned button the button colour for its face, the panel colour for
// its surroundings, both font colours and the focus colour (the font colour); a skinned
// scroll bar and a multi-button the face and surroundings; a plain panel the panel
// colour. Skinned controls change inside their own update bracket, so each rebuilds its
// skin once.
class TskinColorTarget {
public:
    virtual ~TskinColorTarget() = default;
    virtual void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor,
                                 TColor fontColor) = 0;
};

// The background colour of a form (its palette's window colour, filled).
void SetFormColor(QWidget& form, TColor color);
TColor FormColor(const QWidget& form);

// When `parent` is a form (a window) its colour becomes `panelColor`. Then every
// component `parent` owns (component_owner.h), in creation order, that is a
// TskinColorTarget takes the colours; other components are left alone. Only owned
// components are reached, at any depth of the layout; widgets placed on `parent` with
// another owner are not.
void ApplySkinToControls(QWidget& parent, TColor buttonColor, TColor panelColor, TColor checkedFontColor,
                         TColor fontColor);

}  // namespace tunecrest
