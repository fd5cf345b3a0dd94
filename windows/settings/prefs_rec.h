#pragma once
// The settings record of the preferences dialog: the main window fills it
// (GetGeneralSettings), the dialog edits it, and the main window applies it on OK
// (SetGeneralSettings).
#include <cstdint>
#include <string>

namespace tunecrest {

class TcustomJukeboxList;

struct TprefsRec {
    // The library: source of the artist list and its mappings. Without one the dialog
    // leaves everything that needs it alone.
    TcustomJukeboxList* JukeboxList = nullptr;
    std::string CoverArtFolder;
    bool CoverArtFolderFirst = false;   // look in the folder before the file's own picture
    bool OnlyCoverArtFolder = false;    // look only in the cover art folder
    bool ScreenSaverEnabled = false;
    int ScreenSaverTimeout = 5;         // minutes, 0 to 60
    int CoverArtSize = 0;               // pixels, 0 to 1000 in steps of 10; 0 the whole screen
    bool UseRandomImages = false;       // slide show when there is no cover art
    std::string RandomImagesFolder;
    bool SlideShow = false;             // false "Cover Art Images", true "Slide Show"
    int SlideTime = 3;                  // 1 to 60
    uint8_t SlideTimeUnit = 1;          // 0 "Seconds", 1 "Minutes"
    bool ShowClock = false;
    int CoverArtClick = 0;              // 0 never, 1 single click, 2 double click starts the saver
    bool HideSlideShowPanels = false;
    bool MappingsChanged = false;       // set by the dialog on OK
    bool NoMappingDuplicates = false;
    bool MapThe = false;
    bool ConfirmExit = false;
    bool ShutdownOnExit = false;
    bool DefaultToShutdown = false;
    bool KeyboardsOn = true;
    int KeySize = 60;                   // 10 to 100
    bool HideCoverArtGroup = false;
    bool HideExitGroup = false;
    bool HideScreenSaverPage = false;
    bool HideKeyboardsGroup = false;
    bool HideInterfaceGroup = false;
    bool HideBackButtonGroup = false;
    int BackButtonAction = 0;           // 0 previous to the queue, 1 restart, 2 previous to the top
    bool TrackMouse = false;
    int MenuHeight = 16;                // 16 to 60
    bool HideCursorWithMenu = false;
    bool ScreenSaverOffDuringVideo = true;
};

}  // namespace tunecrest
