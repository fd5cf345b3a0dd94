#include "skin/apply_skin.h"

#include "skin/component_owner.h"
#include "skin/qt_color.h"

namespace tunecrest {

void SetFormColor(QWidget& form, TColor color)
{
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    form.setPalette(palette);
    form.setAutoFillBackground(true);
}

TColor FormColor(const QWidget& form)
{
    return FromQColor(form.palette().color(QPalette::Window));
}

void ApplySkinToControls(QWidget& parent, TColor buttonColor, TColor panelColor, TColor checkedFontColor,
                         TColor fontColor)
{
    if (parent.isWindow()) SetFormColor(parent, panelColor);
    for (QObject* component : OwnedComponents(&parent))
        if (auto* target = dynamic_cast<TskinColorTarget*>(component))
            target->ApplySkinColors(buttonColor, panelColor, checkedFontColor, fontColor);
}

}  // namespace tunecrest
