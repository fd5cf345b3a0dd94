#pragma once
// The main window's side of the preferences dialog: the settings record filled from the
// window's settings, its screen saver settings, the artist grouping and the global
// preferences, and applied back after OK.
#include "windows/settings/prefs_rec.h"

namespace tunecrest {

class TfrmBaseJukebox;

// Fills every field; clears MappingsChanged; the base window hides the back-button group.
void GetGeneralSettings(TfrmBaseJukebox& form, TprefsRec& rec);
// Writes the fields back and applies them (idle monitor, artist grouping); stores the
// settings file at once so an OK is never lost.
void SetGeneralSettings(TfrmBaseJukebox& form, TprefsRec& rec);

}  // namespace tunecrest
