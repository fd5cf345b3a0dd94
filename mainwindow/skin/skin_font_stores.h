#pragma once
// The main window's four font stores: the fonts and colours of the lists, the screen
// saver, the song title and everything else ("Lists", "Screen Saver", "Song Title",
// "Other", each a section of skin.usk). They start from the window's defaults; a skin
// changes what it names. The named fonts carry the font-tag codes of the track format
// language ("Artist" is FAR, "Title" FTI, ...), so format strings find them.
#include <array>
#include <memory>

#include "core/display/font_store.h"

namespace tunecrest {

enum TfontStoreIndex { fsLists = 0, fsScreenSaver, fsSongTitle, fsOther, fsCount };

// The list store's colours, by index.
enum TlistStoreColor {
    lcBackground = 0,
    lcBackgroundFocused,
    lcTreeLine,
    lcHighlightFontColor,
    lcHighlightFontBackground,
};

class TmainWindowFontStores {
public:
    TmainWindowFontStores();

    TfontContainer& Store(TfontStoreIndex index) { return *Fstores[size_t(index)]; }
    const TfontContainer& Store(TfontStoreIndex index) const { return *Fstores[size_t(index)]; }
    TfontContainer& Lists() { return Store(fsLists); }
    TfontContainer& ScreenSaver() { return Store(fsScreenSaver); }
    TfontContainer& SongTitle() { return Store(fsSongTitle); }
    TfontContainer& Other() { return Store(fsOther); }

    // Every store back to the window's defaults (before a skin is loaded over them).
    void ResetToDefaults();

private:
    std::array<std::unique_ptr<TfontContainer>, fsCount> Fstores;
};

// The window's default store of that index, masks set.
TfontContainer DefaultFontStore(TfontStoreIndex index);
// Sets the font-tag codes of the named fonts of `store` ("Artist" FAR, "Album" FAL,
// "Duration/Details" FDU, "Genre" FGE, "Track Index" FTN, "Title" FTI, "Comment" FCO,
// "Characters" FCH, "Extra Fields" FXT).
void SetFontMasks(TfontContainer& store);

}  // namespace tunecrest
