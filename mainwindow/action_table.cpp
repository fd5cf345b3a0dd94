#include "mainwindow/action_table.h"

#include <algorithm>
#include <cctype>

#include "core/base/exceptions.h"
#include "core/base/ini_file.h"
#include "core/base/text_utils.h"

namespace tunecrest {

const std::vector<TactionDef>& MainActionTable() {
    // name, category, caption, shortcut, message, hidden, tag, auto-check, checked
    static const std::vector<TactionDef> table = {
        {"actnControlPlay", "Control", "&Play", "", 0},
        {"actnControlPlayShortcut", "Control", "&Play", "Ctrl+P", 1},
        {"actnControlStop", "Control", "&Stop", "", 0},
        {"actnControlStopShortcut", "Control", "&Stop", "Ctrl+S", 3},
        {"actnControlPause", "Control", "P&ause", "", 0},
        {"actnControlPauseShortcut", "Control", "P&ause", "Ctrl+A", 2},
        {"actnControlNext", "Control", "&Next", "", 0},
        {"actnControlNextShortcut", "Control", "&Next", "Ctrl+N", 4},
        {"actnControlRaiseVolume", "Control", "&Raise Volume", "F11", 7},
        {"actnControlLowerVolume", "Control", "&Lower Volume", "F12", 8},
        {"actnControlRestartTrack", "Control", "Restar&t Track", "", 5},
        {"actnControlRepeatPlay", "Control", "Repea&t Play", "", 6, false, 0, true},
        {"actnFileExit", "File", "E&xit", "Ctrl+Alt+X", 100},
        {"actnFileInformation", "File", "&Information", "Ctrl+I", 0},
        {"actnFileEnableIndexes", "File", "Enable File Indexes", "", 0},
        {"actnFileRecreateIndexes", "File", "Recreate Indexes", "", 0, true},
        {"actnFileEnableDatabase", "File", "Use the Media Database for Query Rules", "", 0},
        {"actnFileLaunchAtStart", "File", "\"Launch on Open\" Setup", "", 0},
        {"actnFileLaunchAtClose", "File", "\"Launch on Close\" Setup", "", 0},
        {"actnFileShowWinamp", "File", "Use Winamp", "", 0},
        {"actnViewShortcutList", "File", "Shortcut List", "", 0},
        {"actnHelpHelp", "Help", "&Help", "F1", 0},
        {"actnHelpTips", "Help", "&Tips", "", 0},
        {"actnHelpAbout", "Help", "&About", "", 0},
        {"actnActivateJukeboxList", "Other", "Activate Jukebox List", "", 1000},
        {"actnActivateTrackList", "Other", "Activate Track List", "", 1001},
        {"actnActivateQueueList", "Other", "Activate Queue List", "", 1002},
        {"actnCleanScreen", "Other", "Clean Screen Mode", "", 0},
        {"actnSearch", "Other", "&Search", "Ctrl+F", 0},
        {"actnSongScrollerClick", "Other", "Song Scroller Options", "", 0},
        {"actnPartyPlayEnabled", "Party Play", "&Enabled", "", 0},
        {"actnPartyPlayConfigure", "Party Play", "&Configure", "", 0},
        {"actnPlaylistsShow", "Playlists", "Show Active &Playlist", "", 0},
        {"actnPlaylistsShowEditor", "Playlists", "Show Playlist &Editor", "", 0},
        {"actnPlaylistEnabled", "Playlists", "&Deactivate", "", 201},
        {"actnPlaylistsActivate", "Playlists", "Activate Playlist", "", 0},
        {"actnPlaylistsAddCurrentTrackToPlaylist", "Playlists", "Add Current Track to Playlist", "", 0},
        {"actnQueue", "Queue", "&Queue", "", 0},
        {"actnQueueAddSelected", "Queue", "Add &Selected", "F6", 400, true},
        {"actnQueueAddAll", "Queue", "&Add All", "F7", 401, true},
        {"actnQueueAddToTop", "Queue", "Add to Top of Queue", "", 0},
        {"actnQueueQueueAndPlay", "Queue", "Play Track List Item Now", "", 0},
        {"actnQueueAlbum", "Queue", "Queue Al&bum", "", 0},
        {"actnQueueClear", "Queue", "&Clear", "", 0},
        {"actnQueueClearNoConfirm", "Queue", "&Clear", "", 304},
        {"actnQueueDelete", "Queue", "&Delete", "Ctrl+D", 303},
        {"actnQueueMoveTop", "Queue", "Move to &Top", "", 300},
        {"actnQueueMoveUp", "Queue", "Move &Up", "Ctrl+U", 301},
        {"actnQueueMoveDown", "Queue", "Move &Down", "Ctrl+W", 302},
        {"actnQueuePlayNow", "Queue", "Play Queue Item Now", "", 0},
        {"actnQueuePreviousTrack", "Queue", "&Previous Track", "", 305},
        {"actnQueuepreviousTrackAtTop", "Queue", "Previous Track at Top", "", 0},
        {"actnQueueRandomize", "Queue", "&Randomize", "", 310},
        {"actnQueueLoop", "Queue", "&Loop Queue", "", 311},
        {"actnQueueNoDuplicates", "Queue", "No Duplicates", "", 0},
        {"actnQueueKeepTrackCount", "Queue", "Keep Track Count", "", 0, false, 0, true},
        {"actnQueueMakePlaylist", "Queue", "Make &Playlist", "", 0},
        {"actnQueueDCNone", "Queue", "None", "", 0},
        {"actnQueueDCMoveToTop", "Queue", "Move To Top", "", 0},
        {"actnQueueDCPlayNow", "Queue", "Play Now", "", 0},
        {"actnRandomPlayEnabled", "Random Play", "&Enabled", "", 200},
        {"actnRandomPlayFilters", "Random Play", "&Set Filters", "", 0},
        {"actnRandomPlayClearFilters", "Random Play", "&Clear Filters", "", 203},
        {"actnSettingsMediaFolders", "Settings", "&Media Folders", "", 0},
        {"actnSettingsGeneral", "Settings", "&General", "", 0},
        {"actnSettingsScreenSaver", "Settings", "Screen Saver", "", 0},
        {"actnSettingsAlarmClock", "Settings", "Alarm &Clock", "", 0},
        {"actnSettingsEditSlots", "Settings", "Configure Slots", "", 0},
        {"actnSettingsInternetRadio", "Settings", "&Internet Radio Stations", "", 0},
        {"actnSettingsMenuByPassword", "Settings", "Password Protect Main Menu", "", 0},
        {"actnSettingsAutoPlay", "Settings", "A&uto Play on Startup", "", 0},
        {"actnSettingsRestoreTrack", "Settings", "Queue Previous Track at Startup", "", 0},
        {"actnSettingsScrollSongTitle", "Settings", "&Scroll Song Title", "", 0, true},
        {"actnSettingsShowTimeRemaining", "Settings", "Show Time &Remaining", "", 0},
        {"actnSettingsAlwaysOnTop", "Settings", "Always on &Top", "Ctrl+Alt+A", 0},
        {"actnSettingsShowHints", "Settings", "Show Hints", "", 0},
        {"actnSettingsShowMessages", "Settings", "Show Messages", "", 0},
        {"actnSettingsSkins", "Settings", "S&kins", "", 0},
        {"actnSettingsPlayer", "Settings", "&Audio Player", "", 0},
        {"actnSettingsPMQueue", "Settings", "Queue (default)", "", 0},
        {"actnSettingsPMInstantPlay", "Settings", "Instant Play (no queue)", "", 0},
        {"actnSettingsActions", "Settings", "Configure Home Center Button", "", 0},
        {"actnActivateSlot", "Slots", "Activate Slot", "", 500},
        {"actnSlotActivate1", "Slots", "Activate Slot 1", "Ctrl+F1", 0, false, 1},
        {"actnSlotActivate2", "Slots", "Activate Slot 2", "Ctrl+F2", 0, false, 2},
        {"actnSlotActivate3", "Slots", "Activate Slot 3", "Ctrl+F3", 0, false, 3},
        {"actnSlotActivate4", "Slots", "Activate Slot 4", "Ctrl+F4", 0, false, 4},
        {"actnSlotActivate5", "Slots", "Activate Slot 5", "Ctrl+F5", 0, false, 5},
        {"actnSlotActivate6", "Slots", "Activate Slot 6", "Ctrl+F6", 0, false, 6},
        {"actnSlotActivate7", "Slots", "Activate Slot 7", "Ctrl+F7", 0, false, 7},
        {"actnSlotActivate8", "Slots", "Activate Slot 8", "Ctrl+F8", 0, false, 8},
        {"actnSlotActivate9", "Slots", "Activate Slot 9", "Ctrl+F9", 0, false, 9},
        {"actnSlotActivate10", "Slots", "Activate Slot 10", "Ctrl+F10", 0, false, 10},
        {"actnSlotActivate11", "Slots", "Activate Slot 11", "Ctrl+F11", 0, false, 11},
        {"actnSlotActivate12", "Slots", "Activate Slot 12", "Ctrl+F12", 0, false, 12},
        {"actnViewShowActionButtonPad", "Slots", "actnViewShowActionButtonPad", "", 0},
        {"actnStackerConfigure", "Stacker", "&Configure", "Ctrl+K", 0},
        {"actnStackerEnabled", "Stacker", "&Enabled", "Ctrl+Alt+K", 202},
        {"actnVideoFullScreen", "Video", "&Full Screen", "", 0},
        {"actnVideoConfigureFilters", "Video", "&Configure Filters", "", 0},
        {"actnViewMainMenu", "View", "&Main Menu", "Ctrl+Alt+M", 0},
        {"actnViewQueueControls", "View", "&Queue Controls", "", 0},
        {"actnViewCoverArt", "View", "&Cover Art", "", 0},
        {"actnViewKeyboards", "View", "On Screen &Keyboards", "", 0},
        {"actnViewFullScreen", "View", "&Full Screen", "Ctrl+Alt+F", 102},
        {"actnViewMinimize", "View", "Minimi&ze", "Ctrl+Alt+Z", 101, true},
        {"actnViewLockSizes", "View", "Lock Sizes", "", 0},
        {"actnViewOptions", "View", "&Options...", "", 0},
        {"actnViewTrackNumbers", "View", "&Track Numbers", "", 0, false, 0, false, true},
        {"actnViewTrackDetails", "View", "Track &Details", "Ctrl+Alt+D", 0},
        {"actnViewExtendedTrackDetails", "View", "&Extended Details", "", 0},
        {"actnViewJukeboxArtists", "View", "&Artists", "", 0, false, 0},
        {"actnViewJukeboxTracks", "View", "&Tracks", "", 0, false, 1},
        {"actnViewJukeboxAlbums", "View", "A&lbums", "", 0, false, 2},
        {"actnViewJukeboxPlaylists", "View", "&Playlists", "", 0, false, 3},
        {"actnViewJukeboxCompilations", "View", "&Compilations", "", 0, false, 4},
        {"actnViewJukeboxNotTagged", "View", "&Not Tagged", "", 0, false, 5},
        {"actnViewJukeboxGenres", "View", "&Genres", "", 0, false, 6},
        {"actnViewJukeboxVideos", "View", "&Videos", "", 0, false, 7},
        {"actnViewJukeboxlistView", "View", "Jukebox List View", "Ctrl+Alt+J", 0, true, 0},
        {"actnViewCoverArtView", "View", "Cover Art View", "Ctrl+Alt+C", 0, true, 1},
        {"actnViewArtistsAndCovers", "View", "Artists with Covers", "", 0, false, 2},
        // The product layout's own controls: the back button and the pop-up volume bar's
        // button, and the view options that show and hide the layout's panels and buttons
        // (the volume-bar modes and the back button's actions by their Tag).
        {"actnControlBack", "Control", "&Back", "", 0},
        {"actnViewVolumePopupShow", "Control", "&Volume", "", 0, true},
        {"actnViewSongTitle", "View", "Song &Title", "", 0},
        {"actnViewStacker", "View", "&Stacker Panel", "", 0},
        {"actnViewQueueCDButton", "View", "Queue C&D Button", "", 0},
        {"actnViewSearchButton", "View", "Searc&h Button", "", 0},
        {"actnViewBackButton", "View", "&Back Button", "", 0},
        {"actnViewAddGap", "View", "Add &Gap", "", 0},
        {"actnViewTrackPosition", "View", "Track &Position Bar", "", 0},
        {"actnViewVolumeNone", "View", "No &Volume Bar", "", 0, false, 0},
        {"actnViewVolumeTop", "View", "Volume Bar at the Top", "", 0, false, 1},
        {"actnViewVolumePopup", "View", "Pop-up Volume Bar", "", 0, false, 2},
        {"actnViewBackPrevious", "View", "Back: Add Previous Track to the Queue", "", 0, false, 0},
        {"actnViewBackRestart", "View", "Back: Restart the Current Track", "", 0, false, 1},
        {"actnViewBackPreviousAtTop", "View", "Back: Add Previous Track to the Top of the Queue", "", 0, false, 2},
        // The local library's own commands: scans, CDs, files, reports, cartridges, and
        // the pitch and tempo of the outside sound processors.
        {"actnFileScanFolders", "File", "&Scan Media Folders", "Ctrl+Shift+F5", 0},
        {"actnFileInstantScan", "File", "&Instant Rescan", "", 0},
        {"actnFileRefreshCDs", "File", "&Refresh CDs", "", 0},
        {"actnFileQueueFile", "File", "&Queue File", "", 0},
        {"actnReportsShowHistory", "Reports", "Show &History", "", 0},
        {"actnReportsRun", "Reports", "&Run Reports", "", 0},
        {"actnStackerLoadCartridge", "Stacker", "&Load Cartridge", "", 0},
        {"actnStackerAddCartridge", "Stacker", "&Add Cartridge", "", 0},
        {"actnStackerSaveCartridge", "Stacker", "&Save Cartridge", "", 0},
        {"actnSettingsPlugins", "Settings", "Tag Reader &Plugins", "", 0},
        {"actnSettingsConfigurePlugins", "Settings", "Configure Tag Reader Plugins", "", 0},
        {"actnPacemakerPitchRaise", "Pitch and Tempo", "Raise Pitch", "", 0},
        {"actnPacemakerPitchLower", "Pitch and Tempo", "Lower Pitch", "", 0},
        {"actnPacemakerPitchReset", "Pitch and Tempo", "Reset Pitch", "", 0},
        {"actnPacemakerTempoRaise", "Pitch and Tempo", "Raise Tempo", "", 0},
        {"actnPacemakerTempoLower", "Pitch and Tempo", "Lower Tempo", "", 0},
        {"actnPacemakerTempoReset", "Pitch and Tempo", "Reset Tempo", "", 0},
    };
    return table;
}

Taction::Taction(const TactionDef& def)
    : Name(def.Name),
      Category(def.Category),
      Caption(def.Caption),
      ShortCut(def.ShortCut),
      Tag(def.Tag),
      MessageID(def.Message != 0 ? WM_USER_COMMAND : 0),
      WParam(def.Message),
      AutoCheck(def.AutoCheck),
      Checked(def.Checked),
      Visible(!def.Hidden) {}

bool Taction::Execute(TactionRoad road) {
    if (!Enabled) return false;
    const TactionRoad outer = Road;
    Road = road;
    if (AutoCheck) Checked = !Checked;
    if (OnExecute) OnExecute(*this);
    Road = outer;
    return true;
}

TactionList::TactionList() {
    for (const auto& def : MainActionTable()) Factions.push_back(std::make_unique<Taction>(def));
}

Taction* TactionList::Find(const std::string& name) const {
    for (const auto& a : Factions)
        if (SameText(a->Name, name)) return a.get();
    return nullptr;
}

Taction& TactionList::Get(const std::string& name) const {
    if (Taction* a = Find(name)) return *a;
    throw Exception("Unknown action: " + name);
}

bool TactionList::ExecuteShortcut(const std::string& shortcut) {
    const std::string key = NormalizeShortcut(shortcut);
    if (key.empty()) return false;
    for (const auto& a : Factions)
        if (!a->ShortCut.empty() && NormalizeShortcut(a->ShortCut) == key)
            return a->Execute(TactionRoad::arShortcut);
    return false;
}

bool TactionList::ExecuteMessage(int wParam) {
    if (wParam == 0) return false;
    for (const auto& a : Factions)
        if (a->MessageID == WM_USER_COMMAND && a->WParam == wParam) return a->Execute(TactionRoad::arMessage);
    return false;
}

bool TactionList::ExecuteByName(const std::string& name, TactionRoad road) {
    Taction* a = Find(name);
    return a && a->Execute(road);
}

namespace {
constexpr const char* ShortcutSection = "Shortcuts";
std::string ShortcutKey(const Taction& a) {
    return a.Name.size() > 4 ? a.Name.substr(4) : a.Name;
}
}  // namespace

void TactionList::ReadShortcuts(const TiniFile& ini) {
    for (const auto& a : Factions) {
        const std::string value = ini.ReadString(ShortcutSection, ShortcutKey(*a), a->ShortCut);
        if (value.empty()) {
            a->ShortCut.clear();
            continue;
        }
        const std::string normal = NormalizeShortcut(value);
        if (!normal.empty()) a->ShortCut = normal;
    }
}

void TactionList::WriteShortcuts(TiniFile& ini) const {
    for (const auto& a : Factions)
        if (!a->ShortCut.empty() || (a->MessageID != 0 && a->WParam != 0))
            ini.WriteString(ShortcutSection, ShortcutKey(*a), a->ShortCut);
}

std::string NormalizeShortcut(const std::string& text) {
    static const char* const modifiers[] = {"Ctrl", "Alt", "Shift", "Meta"};
    static const char* const namedKeys[] = {"Esc",   "Tab",   "Backspace", "Return", "Enter", "Ins",
                                            "Del",   "Pause", "Home",      "End",    "Left",  "Up",
                                            "Right", "Down",  "PgUp",      "PgDown", "Space"};
    bool has[4] = {false, false, false, false};
    std::string key;
    size_t start = 0;
    while (start <= text.size()) {
        size_t plus = text.find('+', start);
        // A trailing "+" is the plus key itself ("Ctrl++").
        if (plus == start && plus + 1 == text.size()) plus = std::string::npos;
        std::string part = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        part = Trim(part);
        if (part.empty()) return "";
        bool isModifier = false;
        for (int i = 0; i < 4; ++i)
            if (SameText(part, modifiers[i])) has[i] = isModifier = true;
        if (!isModifier) {
            if (!key.empty()) return "";
            if (part.size() == 1 && std::isprint(static_cast<unsigned char>(part[0]))) {
                key = std::string(1, char(std::toupper(static_cast<unsigned char>(part[0]))));
            } else if ((part[0] == 'F' || part[0] == 'f') && part.size() <= 3 &&
                       std::all_of(part.begin() + 1, part.end(),
                                   [](char c) { return std::isdigit(uint8_t(c)); })) {
                const int n = std::stoi(part.substr(1));
                if (n < 1 || n > 35) return "";
                key = "F" + std::to_string(n);
            } else {
                for (const char* k : namedKeys)
                    if (SameText(part, k)) key = k;
                if (key.empty()) return "";
            }
        }
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    if (key.empty()) return "";
    std::string out;
    for (int i = 0; i < 4; ++i)
        if (has[i]) out += std::string(modifiers[i]) + "+";
    return out + key;
}

}  // namespace tunecrest
