#pragma once
// The preferences dialog's record and the settings it edits, without the window: the main
// window's own keys, the program's keyboard preferences and the artist grouping's options.
// The window fills the record through ReadGeneralSettings, and after OK stores it through
// WriteGeneralSettings before it applies what changed to its parts.
#include "mainwindow/settings/display_settings.h"
#include "windows/settings/prefs_rec.h"

namespace tunecrest {

class TcustomlocalJukeboxList;

// Fills every field the settings hold (`list` may be null: no mapping options); clears
// MappingsChanged. The back button's fields are the window's to fill.
void ReadGeneralSettings(const TdisplaySettings& settings, TcustomlocalJukeboxList* list, TprefsRec& rec);
// Stores the plain fields in `settings` (the screen saver's time-out clamped), the
// keyboards in the program's preferences, and the mapping options in rec.JukeboxList's
// artist grouping: a change there sets MappingsChanged. The fields whose change acts on
// a part of the window (mouse tracking, the cover's click and folder, the menu size,
// the back button) are left to the window.
void WriteGeneralSettings(TprefsRec& rec, TdisplaySettings& settings);

}  // namespace tunecrest
