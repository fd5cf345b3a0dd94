#include "mainwindow/settings/display_settings.h"

#include <algorithm>
#include <cerrno>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"

namespace tunecrest {

namespace {
constexpr const char* kPrefs = "Preferences";
constexpr const char* kSaver = "ScreenSaver";
constexpr const char* kGeometry = "Geometry";
constexpr const char* kView = "View";

}  // namespace


int ClampCoverMatrixCount(int count) { return std::clamp(count, 1, kMaxCoverMatrixCells); }

Tgeometry ClampGeometry(const Tgeometry& stored, int screenWidth, int screenHeight) {
    Tgeometry g;
    g.Width = std::clamp(stored.Width, 100, std::max(100, screenWidth));
    g.Height = std::clamp(stored.Height, 100, std::max(100, screenHeight));
    g.Left = std::clamp(stored.Left, 0, std::max(0, screenWidth - g.Width));
    g.Top = std::clamp(stored.Top, 0, std::max(0, screenHeight - g.Height));
    return g;
}

int ClampScreenSaverTimeout(int minutes) {
    return unsigned(minutes) > 60u ? 60 : minutes;
}

void TdisplaySettings::Read(const TiniFile& ini) {
    ShowTimeRemaining = ini.ReadBool(kPrefs, "ShowTimeRemaining", false);
    ShowTipsAtStartup = ini.ReadBool(kPrefs, "ShowTipsAtStartup", true);
    LastTipNo = ini.ReadIntegerWithin(kPrefs, "LastTipNo", 0, 0, 1 << 20);
    AutoPlay = ini.ReadBool(kPrefs, "AutoPlay", false);
    RestoreAtStartup = ini.ReadBool(kPrefs, "RestoreAtStartup", false);
    ConfirmExit = ini.ReadBool(kPrefs, "ConfirmExit", false);
    ShutdownOnExit = ini.ReadBool(kPrefs, "ShutdownOnExit", false);
    DefaultToShutdown = ini.ReadBool(kPrefs, "DefaultToShutdown", true);
    CoverArtUseFolderDefault = ini.ReadBool(kPrefs, "CoverArtUseFolderDefault", false);
    CoverArtOnlyCheckCoverArtFolder = ini.ReadBool(kPrefs, "CoverArtOnlyCheckCoverArtFolder", false);
    KeepQueueTrackCount = ini.ReadBool(kPrefs, "KeepQueueTrackCount", false);
    ScreenCleanTimeout = ini.ReadIntegerWithin(kPrefs, "ScreenCleanTimeout", 30, 0, 24 * 3600);
    QueueMode = ini.ReadIntegerWithin(kPrefs, "QueueMode", 0, 0, 16);
    NoQueueDuplications = ini.ReadBool(kPrefs, "NoQueueDuplications", false);
    QueueDoubleClick = ini.ReadIntegerWithin(kPrefs, "QueueDoubleClick", QueueDoubleClick, 0, 16);
    ScreenSaverEnabled = ini.ReadBool(kSaver, "Enabled", false);
    ScreenSaverTimeout = ClampScreenSaverTimeout(ini.ReadInteger(kSaver, "Timeout", 5));
    ImageSize = ini.ReadIntegerWithin(kSaver, "ImageSize", 0, 0, 1000);
    UseRandomImages = ini.ReadBool(kSaver, "UseRandomImages", false);
    RandomImagesFolder = ini.ReadString(kSaver, "RandomImagesFolder", "");
    SlideShow = ini.ReadBool(kSaver, "SlideShow", false);
    SlideShowTimeout = ini.ReadIntegerWithin(kSaver, "SlideShowTimeout", 3, 1, 60);
    UseMinutes = ini.ReadBool(kSaver, "UseMinutes", true);
    ShowClock = ini.ReadBool(kSaver, "ShowClock", false);
    CoverArtClick = ini.ReadIntegerWithin(kSaver, "CoverArtClick", 0, 0, 2);
    ShowMessages = ini.ReadBool(kPrefs, "ShowMessages", false);
    TrackMouse = ini.ReadBool(kPrefs, "TrackMouse", false);
    MenuSize = ini.ReadIntegerWithin(kPrefs, "MenuSize", 16, 16, 60);
    ShowHints = ini.ReadBool(kPrefs, "ShowHints", true);
    HideCursorWithMenu = ini.ReadBool(kPrefs, "HideCursorWithMenu", false);
    DisableScreenSaverDuringVideoPlayback = ini.ReadBool(kPrefs, "DisableScreenSaverDuringVideoPlayback", true);
    RandomPlayEnabled = ini.ReadBool("RandomPlay", "Enabled", true);
    CoverArtFolder = ini.ReadString("Paths", "CoverArt", "");
    StackerEnabled = ini.ReadBool("Stacker", "Enabled", false);
    SongSearchMode = ini.ReadIntegerWithin("SongSearch", "Mode", 0, 0, 16);
    SkinFile = ini.ReadString("Skins", "SkinFile", "");
    ButtonList.clear();
    for (const auto& line : ini.ReadSectionValues("ButtonList")) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && eq + 1 < line.size()) ButtonList.push_back(line.substr(eq + 1));
    }
    GeometryLock = ini.ReadBool(kGeometry, "Lock", GeometryLock);
    Geometry.Width = ini.ReadIntegerWithin(kGeometry, "Width", 800, 100, kMaxWindowSize);
    Geometry.Height = ini.ReadIntegerWithin(kGeometry, "Height", 600, 100, kMaxWindowSize);
    GeometryCentred = !ini.ValueExists(kGeometry, "Left") || !ini.ValueExists(kGeometry, "Top");
    GeometrySized = ini.ValueExists(kGeometry, "Width") && ini.ValueExists(kGeometry, "Height");
    Geometry.Left = ini.ReadIntegerWithin(kGeometry, "Left", 0, -kMaxWindowSize, kMaxWindowSize);
    Geometry.Top = ini.ReadIntegerWithin(kGeometry, "Top", 0, -kMaxWindowSize, kMaxWindowSize);
    FullScreen = ini.ReadBool(kGeometry, "FullScreen", true);
    SongTitleScroll = ini.ReadBool("SongTitle", "Scroll", SongTitleScroll);
    QueueControlsVisible = ini.ReadBool("QueueControls", "Visible", true);
    MainMenuPasswordProtected = ini.ReadBool("MainMenu", "PasswordProtected", false);
    MainMenuVisible = ini.ReadBool("MainMenu", "Visible", MainMenuVisible);
    CoverArtVisible = ini.ReadBool("CoverArt", "Visible", true);
    ViewJukeboxList = ini.ReadInteger(kView, "JukeboxList", 3327) & 0x1FFFF;
    ViewKind = ini.ReadInteger(kView, "Kind", 0);
    TrackNumbers = ini.ReadBool(kView, "TrackNumbers", TrackNumbers);
    ShowTrackDetails = ini.ReadBool(kView, "ShowTrackDetails", ShowTrackDetails);
    ExtendedTrackDetails = ini.ReadBool(kView, "ExtendedTrackDetails", ExtendedTrackDetails);
    CoverArtMatrixHorizontal = ini.ReadIntegerWithin(kView, "CoverArtMatrixHorizontal", 3, 1, kMaxCoverMatrixCells);
    CoverArtMatrixVertical = ini.ReadIntegerWithin(kView, "CoverArtMatrixVertical", 3, 1, kMaxCoverMatrixCells);
    ArtistsCoversMatrixHorizontal = ini.ReadIntegerWithin(kView, "ArtistsCoversMatrixHorizontal", 3, 1, kMaxCoverMatrixCells);
    ArtistsCoversMatrixVertical = ini.ReadIntegerWithin(kView, "ArtistsCoversMatrixVertical", 1, 1, kMaxCoverMatrixCells);
}

void TdisplaySettings::Write(TiniFile& ini) const {
    ini.WriteBool(kPrefs, "ShowTimeRemaining", ShowTimeRemaining);
    ini.WriteBool(kPrefs, "AlwaysOnTop", AlwaysOnTop);
    ini.WriteBool(kPrefs, "ShowTipsAtStartup", ShowTipsAtStartup);
    ini.WriteInteger(kPrefs, "LastTipNo", LastTipNo);
    ini.WriteBool(kPrefs, "AutoPlay", AutoPlay);
    ini.WriteBool(kPrefs, "RestoreAtStartup", RestoreAtStartup);
    ini.WriteBool(kPrefs, "ConfirmExit", ConfirmExit);
    ini.WriteBool(kPrefs, "ShutdownOnExit", ShutdownOnExit);
    ini.WriteBool(kPrefs, "DefaultToShutdown", DefaultToShutdown);
    ini.WriteBool(kPrefs, "CoverArtUseFolderDefault", CoverArtUseFolderDefault);
    ini.WriteBool(kPrefs, "CoverArtOnlyCheckCoverArtFolder", CoverArtOnlyCheckCoverArtFolder);
    ini.WriteBool(kPrefs, "KeepQueueTrackCount", KeepQueueTrackCount);
    ini.WriteInteger(kPrefs, "QueueDoubleClick", QueueDoubleClick);
    ini.WriteInteger(kPrefs, "ScreenCleanTimeout", ScreenCleanTimeout);
    ini.WriteInteger(kPrefs, "QueueMode", QueueMode);
    ini.WriteBool(kPrefs, "ShowMessages", ShowMessages);
    ini.WriteBool(kPrefs, "TrackMouse", TrackMouse);
    ini.WriteInteger(kPrefs, "MenuSize", MenuSize);
    ini.WriteBool(kPrefs, "ShowHints", ShowHints);
    ini.WriteBool(kPrefs, "HideCursorWithMenu", HideCursorWithMenu);
    ini.WriteBool(kPrefs, "NoQueueDuplications", NoQueueDuplications);
    ini.WriteBool(kPrefs, "DisableScreenSaverDuringVideoPlayback", DisableScreenSaverDuringVideoPlayback);
    ini.WriteBool(kGeometry, "Lock", GeometryLock);
    ini.WriteString("Skins", "SkinFile", SkinFile);
    ini.WriteBool(kSaver, "Enabled", ScreenSaverEnabled);
    ini.WriteInteger(kSaver, "Timeout", ScreenSaverTimeout);
    ini.WriteInteger(kSaver, "ImageSize", ImageSize);
    ini.WriteBool(kSaver, "UseRandomImages", UseRandomImages);
    ini.WriteString(kSaver, "RandomImagesFolder", RandomImagesFolder);
    ini.WriteBool(kSaver, "SlideShow", SlideShow);
    ini.WriteInteger(kSaver, "SlideShowTimeout", SlideShowTimeout);
    ini.WriteBool(kSaver, "UseMinutes", UseMinutes);
    ini.WriteBool(kSaver, "ShowClock", ShowClock);
    ini.WriteInteger(kSaver, "CoverArtClick", CoverArtClick);
    ini.WriteBool("Stacker", "Enabled", StackerEnabled);
    ini.WriteInteger("SongSearch", "Mode", SongSearchMode);
    ini.WriteBool("RandomPlay", "Enabled", RandomPlayEnabled);
    ini.WriteString("Paths", "CoverArt", CoverArtFolder);
    ini.EraseSection("ButtonList");
    for (size_t i = 0; i < ButtonList.size(); ++i)
        ini.WriteString("ButtonList", "Button" + std::to_string(i), ButtonList[i]);
    ini.WriteInteger(kGeometry, "Width", Geometry.Width);
    ini.WriteInteger(kGeometry, "Height", Geometry.Height);
    ini.WriteInteger(kGeometry, "Left", Geometry.Left);
    ini.WriteInteger(kGeometry, "Top", Geometry.Top);
    ini.WriteBool(kGeometry, "FullScreen", FullScreen);
    ini.WriteBool("SongTitle", "Scroll", SongTitleScroll);
    ini.WriteBool("QueueControls", "Visible", QueueControlsVisible);
    ini.WriteBool("MainMenu", "Visible", MainMenuVisible);
    ini.WriteBool("MainMenu", "PasswordProtected", MainMenuPasswordProtected);
    ini.WriteBool("CoverArt", "Visible", CoverArtVisible);
    ini.WriteInteger(kView, "JukeboxList", ViewJukeboxList);
    ini.WriteBool(kView, "TrackNumbers", TrackNumbers);
    ini.WriteBool(kView, "ShowTrackDetails", ShowTrackDetails);
    ini.WriteBool(kView, "ExtendedTrackDetails", ExtendedTrackDetails);
    ini.WriteInteger(kView, "CoverArtMatrixHorizontal", CoverArtMatrixHorizontal);
    ini.WriteInteger(kView, "CoverArtMatrixVertical", CoverArtMatrixVertical);
    ini.WriteInteger(kView, "ArtistsCoversMatrixHorizontal", ArtistsCoversMatrixHorizontal);
    ini.WriteInteger(kView, "ArtistsCoversMatrixVertical", ArtistsCoversMatrixVertical);
}

TsettingsStore::TsettingsStore(std::string fileName) : FfileName(std::move(fileName)) {}

TiniFile TsettingsStore::Open() {
    Fdamaged = false;
    std::string body, error;
    int code = 0;
    // Through the one reader of regular files: a FIFO or device in its place is refused at
    // once, and a file larger than any the program writes is not read at all.
    if (!ReadFileBytes(FfileName, body, &error, kMaxSettingsBytes, &code)) {
        if (code == ENOENT) return TiniFile(FfileName);
        body.clear();
    } else if (body.find('\0') == std::string::npos) {
        TiniFile ini;
        ini.Rename(FfileName, false);
        ini.SetText(body);
        return ini;
    } else {
        error = "it holds bytes no settings file has";
    }
    Fdamaged = true;
    LogError("The settings file " + FfileName + " is damaged (" + error +
             "); the defaults are used and the file is kept until a setting changes");
    TiniFile empty;
    empty.Rename(FfileName, false);
    return empty;
}

bool TsettingsStore::Save(const TiniFile& ini, std::string* error) {
    if (Fdamaged && !FuserChanged) {
        if (error) *error = "the damaged settings file is kept until a setting changes";
        return false;
    }
    // A file the next start would refuse as too large is not written: the one on disk
    // (read at this start) stays readable.
    if (ini.GetText().size() > kMaxSettingsBytes) {
        if (error)
            *error = "it would be larger than the " + std::to_string(kMaxSettingsBytes) +
                     " bytes a settings file may hold";
        return false;
    }
    if (!ini.UpdateFile(error)) return false;
    Fdamaged = false;
    return true;
}

}  // namespace tunecrest
