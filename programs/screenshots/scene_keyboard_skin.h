#pragma once
// The skin a scene gives to the preferences, the shared keyboard and the skinned forms:
// the skin's key template, a backspace glyph in the font colour, key size 60 and the
// scene's colours. Scenes of windows with the keyboard or key-dressed buttons call it
// first.
#include <QImage>
#include <QPainter>

#include "core/global_prefs.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "skin/skin_forms.h"

namespace tunecrest {

// The backspace glyph: an arrow on the glyph transparent colour.
inline QImage BackspaceGlyph(TColor colour) {
    QImage glyph(28, 20, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    p.drawPolygon(QPolygon({{2, 10}, {11, 2}, {11, 7}, {26, 7}, {26, 13}, {11, 13}, {11, 18}}));
    return glyph;
}

inline void UseKeyboardSkin(const TsceneContext& ctx) {
    static TbitmapContainer store;
    store.Items().Clear();
    store.Items().Add()->SetBitmap(ctx.SkinImage("Keyboard", "KeyImage"));
    store.Items().Add()->SetBitmap(BackspaceGlyph(ctx.FontColor));
    GlobalPrefs().SetKeySize(60);
    GlobalPrefs().SetBitmapContainer(&store);
    SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
    Keyboard().SetKeySize(60);
    SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);
}

}  // namespace tunecrest
