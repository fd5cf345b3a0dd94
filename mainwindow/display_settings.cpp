#include "mainwindow/display_settings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/ini_file.h"
#include "core/services.h"

namespace tunecrest {

namespace {
constexpr const char* kPrefs = "Preferences";
constexpr const char* kSaver = "ScreenSaver";
constexpr const char* kGeometry = "Geometry";
constexpr const char* kView = "View";
}  // namespace

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
    LastTipNo = ini.ReadInteger(kPrefs, "LastTipNo", 0);
    AutoPlay = ini.ReadBool(kPrefs, "AutoPlay", false);
    RestoreAtStartup = ini.ReadBool(kPrefs, "RestoreAtStartup", false);
    ConfirmExit = ini.ReadBool(kPrefs, "ConfirmExit", false);
    ShutdownOnExit = ini.ReadBool(kPrefs, "ShutdownOnExit", false);
    DefaultToShutdown = ini.ReadBool(kPrefs, "DefaultToShutdown", true);
    CoverArtUseFolderDefault = ini.ReadBool(kPrefs, "CoverArtUseFolderDefault", false);
    CoverArtOnlyCheckCoverArtFolder = ini.ReadBool(kPrefs, "CoverArtOnlyCheckCoverArtFolder", false);
    KeepQueueTrackCount = ini.ReadBool(kPrefs, "KeepQueueTrackCount", false);
    ScreenCleanTimeout = ini.ReadInteger(kPrefs, "ScreenCleanTimeout", 30);
    QueueMode = ini.ReadInteger(kPrefs, "QueueMode", 0);
    NoQueueDuplications = ini.ReadBool(kPrefs, "NoQueueDuplications", false);
    QueueDoubleClick = ini.ReadInteger(kPrefs, "QueueDoubleClick", QueueDoubleClick);
    ScreenSaverEnabled = ini.ReadBool(kSaver, "Enabled", false);
    ScreenSaverTimeout = ClampScreenSaverTimeout(ini.ReadInteger(kSaver, "Timeout", 5));
    ImageSize = ini.ReadInteger(kSaver, "ImageSize", 0);
    UseRandomImages = ini.ReadBool(kSaver, "UseRandomImages", false);
    RandomImagesFolder = ini.ReadString(kSaver, "RandomImagesFolder", "");
    SlideShow = ini.ReadBool(kSaver, "SlideShow", false);
    SlideShowTimeout = ini.ReadInteger(kSaver, "SlideShowTimeout", 3);
    UseMinutes = ini.ReadBool(kSaver, "UseMinutes", true);
    ShowClock = ini.ReadBool(kSaver, "ShowClock", false);
    CoverArtClick = ini.ReadInteger(kSaver, "CoverArtClick", 0);
    ShowMessages = ini.ReadBool(kPrefs, "ShowMessages", false);
    TrackMouse = ini.ReadBool(kPrefs, "TrackMouse", false);
    MenuSize = ini.ReadInteger(kPrefs, "MenuSize", 16);
    ShowHints = ini.ReadBool(kPrefs, "ShowHints", true);
    HideCursorWithMenu = ini.ReadBool(kPrefs, "HideCursorWithMenu", false);
    DisableScreenSaverDuringVideoPlayback = ini.ReadBool(kPrefs, "DisableScreenSaverDuringVideoPlayback", true);
    RandomPlayEnabled = ini.ReadBool("RandomPlay", "Enabled", true);
    CoverArtFolder = ini.ReadString("Paths", "CoverArt", "");
    StackerEnabled = ini.ReadBool("Stacker", "Enabled", false);
    SongSearchMode = ini.ReadInteger("SongSearch", "Mode", 0);
    SkinFile = ini.ReadString("Skins", "SkinFile", "");
    ButtonList.clear();
    for (const auto& line : ini.ReadSectionValues("ButtonList")) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && eq + 1 < line.size()) ButtonList.push_back(line.substr(eq + 1));
    }
    GeometryLock = ini.ReadBool(kGeometry, "Lock", GeometryLock);
    Geometry.Width = ini.ReadInteger(kGeometry, "Width", 800);
    Geometry.Height = ini.ReadInteger(kGeometry, "Height", 600);
    GeometryCentred = !ini.ValueExists(kGeometry, "Left") || !ini.ValueExists(kGeometry, "Top");
    Geometry.Left = ini.ReadInteger(kGeometry, "Left", 0);
    Geometry.Top = ini.ReadInteger(kGeometry, "Top", 0);
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
    CoverArtMatrixHorizontal = ini.ReadInteger(kView, "CoverArtMatrixHorizontal", 3);
    CoverArtMatrixVertical = ini.ReadInteger(kView, "CoverArtMatrixVertical", 3);
    ArtistsCoversMatrixHorizontal = ini.ReadInteger(kView, "ArtistsCoversMatrixHorizontal", 3);
    ArtistsCoversMatrixVertical = ini.ReadInteger(kView, "ArtistsCoversMatrixVertical", 1);
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
    std::error_code ec;
    if (!std::filesystem::exists(FfileName, ec)) return TiniFile(FfileName);
    std::ifstream in(FfileName, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    const std::string body = text.str();
    if (!in || body.find('\0') != std::string::npos) {
        Fdamaged = true;
        LogError("The settings file " + FfileName +
                 " is damaged; the defaults are used and the file is kept until a setting changes");
        TiniFile empty;
        empty.Rename(FfileName, false);
        return empty;
    }
    TiniFile ini;
    ini.Rename(FfileName, false);
    ini.SetText(body);
    return ini;
}

bool TsettingsStore::Save(const TiniFile& ini, std::string* error) {
    if (Fdamaged && !FuserChanged) {
        if (error) *error = "the damaged settings file is kept until a setting changes";
        return false;
    }
    if (!ini.UpdateFile(error)) return false;
    Fdamaged = false;
    return true;
}

}  // namespace tunecrest
