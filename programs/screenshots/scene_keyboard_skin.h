#pragma once
// The skin a scene gives to the preferences, the shared keyboard and the skinned forms:
// the skin's keyboard store as the program makes it (key template and backspace glyph),
// key size 60 and the scene's colours. Scenes of windows with the keyboard or
// key-dressed buttons call it first.
#include "core/jukebox/global_prefs.h"
#include "mainwindow/skin/main_window_skin.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "skin/skin_forms.h"

namespace tunecrest {

inline void UseKeyboardSkin(const TsceneContext& ctx) {
    static TbitmapContainer store;
    LoadSkinStore(store, ctx.SkinFolder.string());
    GlobalPrefs().SetKeySize(60);
    GlobalPrefs().SetBitmapContainer(&store);
    SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
    Keyboard().SetKeySize(60);
    SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);
}

}  // namespace tunecrest
