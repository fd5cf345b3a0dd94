#pragma once
// The main window's own keys of settings.ini, held in one plain record so that reading,
// writing and their defaults are testable without a window. TsettingsStore opens the
// file: a damaged file gives defaults, one log line, and is left alone until the user
// changes a setting, so a bad read never overwrites what the user may still recover.
#include <cstdint>
#include <string>
#include <vector>

namespace tunecrest {

class TiniFile;

// The largest window side (and the farthest offset) a stored geometry may hold; the
// window is fitted to the screen after that.
constexpr int kMaxWindowSize = 32768;
// The most cover cells across or down: more than a screen can show at a readable size.
constexpr int kMaxCoverMatrixCells = 40;
// A cover matrix count within 1 .. kMaxCoverMatrixCells.
int ClampCoverMatrixCount(int count);

struct Tgeometry {
    int Left = 0;
    int Top = 0;
    int Width = 800;
    int Height = 600;
};

// The bounds a window is given from stored geometry: at least 100 x 100 pixels (a stored
// width below Left + 100 keeps its stored size rather than shrinking to 100) and placed so
// that at least 100 pixels of it lie on the screen.
// The window's size when none is stored: the size the touch layout is made for.
inline constexpr int kFirstRunWidth = 1280;
inline constexpr int kFirstRunHeight = 800;
Tgeometry ClampGeometry(const Tgeometry& stored, int screenWidth, int screenHeight);

struct TdisplaySettings {
    // Preferences
    bool ShowTimeRemaining = false;
    bool AlwaysOnTop = false;  // written here, read by ApplyAlwaysOnTop
    bool ShowTipsAtStartup = true;
    int LastTipNo = 0;
    bool AutoPlay = false;
    bool RestoreAtStartup = false;
    bool ConfirmExit = false;
    bool ShutdownOnExit = false;
    bool DefaultToShutdown = true;
    bool CoverArtUseFolderDefault = false;
    bool CoverArtOnlyCheckCoverArtFolder = false;
    bool KeepQueueTrackCount = false;
    int ScreenCleanTimeout = 30;
    int QueueMode = 0;
    bool NoQueueDuplications = false;
    int QueueDoubleClick = 0;
    bool ShowMessages = false;
    bool TrackMouse = false;
    int MenuSize = 16;
    bool ShowHints = true;
    bool HideCursorWithMenu = false;
    bool DisableScreenSaverDuringVideoPlayback = true;
    // ScreenSaver
    bool ScreenSaverEnabled = false;
    int ScreenSaverTimeout = 5;  // minutes, at most 60
    int ImageSize = 0;
    bool UseRandomImages = false;
    std::string RandomImagesFolder;
    bool SlideShow = false;
    int SlideShowTimeout = 3;
    bool UseMinutes = true;
    bool ShowClock = false;
    int CoverArtClick = 0;
    // Other sections
    bool RandomPlayEnabled = true;
    std::string CoverArtFolder;
    bool StackerEnabled = false;
    int SongSearchMode = 0;
    std::string SkinFile;
    std::vector<std::string> ButtonList;  // action names in section order
    bool GeometryLock = false;
    Tgeometry Geometry;
    bool GeometryCentred = true;  // Left/Top were missing: centre on the screen
    bool GeometrySized = false;   // Width and Height were stored (not a first run)
    bool FullScreen = true;
    bool SongTitleScroll = false;
    bool QueueControlsVisible = true;
    bool MainMenuVisible = false;
    bool MainMenuPasswordProtected = false;
    bool CoverArtVisible = true;
    int ViewJukeboxList = 3327;
    int ViewKind = 0;
    bool TrackNumbers = false;
    bool ShowTrackDetails = false;
    bool ExtendedTrackDetails = false;
    int CoverArtMatrixHorizontal = 3;
    int CoverArtMatrixVertical = 3;
    int ArtistsCoversMatrixHorizontal = 3;
    int ArtistsCoversMatrixVertical = 1;

    // Reads every key; a missing key keeps the value the record holds ("current"), except
    // those whose default is fixed, which take it.
    void Read(const TiniFile& ini);
    void Write(TiniFile& ini) const;
};

// Stores a time-out in minutes: above 60 (or negative) becomes 60.
int ClampScreenSaverTimeout(int minutes);

// settings.ini on disk. Open() reads it; a file that cannot be read or holds bytes no
// settings file has (NUL) is damaged: an empty image is used, the fault is logged and
// Save() writes nothing until MarkChanged() says the user changed a setting.
class TsettingsStore {
public:
    // The largest settings file read: the program's own stay far below it, so a larger one
    // is damaged (it would hold the main thread for seconds at every reading).
    static constexpr uint64_t kMaxSettingsBytes = uint64_t(1) << 20;
    explicit TsettingsStore(std::string fileName);
    const std::string& FileName() const { return FfileName; }
    bool Damaged() const { return Fdamaged; }
    // The file's image, or an empty image for a damaged file.
    TiniFile Open();
    void MarkChanged() { FuserChanged = true; }
    // Writes the image; false without writing while the damaged file is protected.
    bool Save(const TiniFile& ini, std::string* error = nullptr);

private:
    std::string FfileName;
    bool Fdamaged = false;
    bool FuserChanged = false;
};

}  // namespace tunecrest
