#pragma once
// The main window as four layers: TfrmBaseJukebox (construction, settings, start-up and
// close-down, player and jukebox events, idle timer), TfrmBaseLocalJukebox (the local
// library), TfrmCustomTunecrest (the player engine and the product title) and
// TfrmTunecrestMain (the window class name). The logic lives in the owned plain
// classes; the window delegates and shows.
//
// Every command runs through the window's action table under the party-play guards: a
// key press goes to the table's shortcut handling, remote control runs an action by name
// (`TmainWindowActions`), and the WM_USER command messages reach the same actions.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/library/jukebox_list.h"
#include "core/library/jukebox_loader.h"
#include "core/display/color.h"
#include "mainwindow/window/dialog_entries.h"
#include "mainwindow/settings/display_settings.h"
#include "core/jukebox/party_play_settings.h"
#include "mainwindow/actions/action_table.h"
#include "mainwindow/settings/jukebox_folders.h"
#include "mainwindow/layout/layout_view_options.h"
#include "mainwindow/party_play/party_play_guards.h"
#include "mainwindow/window/playback_controller.h"
#include "remote/main_window_actions.h"
#include "playback/shifters.h"
#include "remote/wnd_proc_actions.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;

namespace tunecrest {
class Tcontroller;
class TcontrollerPlugin;
class TappLauncherList;
class TscreenSaverDisabler;
class TactionButtonPad;
class TbackgroundWorker;
}  // namespace tunecrest

namespace tunecrest {

class TiniFile;
class TfrmAbout2;
class TmySkinButton;
class TmySkinPanel;
class TmySkinScrollBar;
class TtouchListBox;
class TskinnedControl;
struct TprefsRec;
// The window's parts, each in a header of its own: a file includes the ones it uses.
class TidleMonitor;
class TmainLayout;
class TmainWindowSkin;
class TplayerBars;
struct TnowPlaying;

// Counts user input on every window of the application for the idle monitor.
class TinputActivityFilter : public QObject {
public:
    explicit TinputActivityFilter(TidleMonitor& monitor) : Fmonitor(monitor) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TidleMonitor& Fmonitor;
};

// The view actions of the layout's own options, which the View menu groups under "Layout".
const std::vector<std::string>& LayoutViewActionNames();

class TfrmBaseJukebox : public QWidget, public TpartyPlayHost, public TmainWindowActions {
public:
    // `args` are the program's parameters; `programFolder` the folder of the program.
    TfrmBaseJukebox(std::vector<std::string> args, std::string programFolder);
    ~TfrmBaseJukebox() override;

    // The entry routine's operations, in the order it calls them.
    // The progress window that shows the start-up phases (the about box); none by default.
    void SetProgressWindow(TfrmAbout2* window) { Fprogress = window; }
    TfrmAbout2* ProgressWindow() const { return Fprogress; }
    virtual QWidget* GetProgressForm();
    virtual void ShowProgressText(const std::string& text);
    virtual void ReadDisplaySettings();
    virtual void DoInitialise();
    virtual void HideProgress() {}
    virtual void PostInitialise();
    virtual std::string GetWindowClassName() const { return ""; }
    virtual void AskExitOrShutdown();
    virtual void WriteDisplaySettings();

    // Construction; the constructor of the most derived layer calls it.
    void FormCreate();
    // True when construction failed outside its steps' guards: the program ends.
    bool StartupFailed() const { return FstartupFailed; }
    bool Initialised() const { return Finitialised; }
    bool Closing() const { return Fcontroller.Closing(); }

    const TjukeboxFolders& Folders() const { return *Ffolders; }
    // The skins, help and plug-ins that ship with the program (beside it or installed).
    TshippedFolders ShippedFolders() const { return TshippedFolders(FprogramFolder); }
    TdisplaySettings& Settings() { return Fsettings; }
    TsettingsStore& SettingsStore() { return *FsettingsStore; }
    TcustomlocalJukeboxList* JukeboxList() const { return Flist.get(); }
    TplaybackController& Controller() { return Fcontroller; }
    TidleMonitor& IdleMonitor() { return *FidleMonitor; }
    bool FirstRun() const { return FfirstRun; }
    bool HasCreditModeSwitch() const;
    // The windows built elsewhere; the program may install its own entries.
    void SetDialogEntries(std::unique_ptr<TdialogEntries> entries);
    TdialogEntries& DialogEntries() { return *Fdialogs; }

    // Colours of the skin and scheme: panel, buttons, text (TColor values).
    void ApplySkinColors(uint32_t panel, uint32_t button, uint32_t text);
    // Loads the skin in `folder` (the folder holding skin.usk) through Skin(). Returns
    // false, changing nothing, when the folder holds no skin.usk.
    bool LoadSkin(const std::string& folder);
    // The skin the settings name (relative to the root's skins folder), else the
    // "Default" skin shipped beside the program; empty when neither exists.
    std::string SkinFolder() const;
    // The skins folder below the root, and the Default skin's file (the root's, else the
    // one shipped beside the program).
    std::string GetSkinsFolder() const;
    std::string GetDefaultSkinFile() const;
    // Switches to the skin file `name` (relative to the skins folder, or absolute); a
    // name whose file does not exist becomes the Default skin. The settings keep the
    // choice; the pictures are decoded off the main thread and applied when ready.
    // `done` (may be empty) runs once the new skin is applied.
    void SetSkinFile(const std::string& name, std::function<void(bool ok, const std::string& error)> done = nullptr);
    // The skin: its file, colours, font stores and the writer of the current look.
    TmainWindowSkin& Skin() { return *Fskin; }
    // The lines the queue list shows, in queue order.
    const std::vector<std::string>& QueueLines() const { return FqueueLines; }

    // The views: the browse tree, the cover matrices, the track and queue lists.
    TmainLayout& Layout() { return *Flayout; }
    bool HasLayout() const { return Flayout != nullptr; }
    // Preferences that act on the window (main_window_settings.cpp): the lists and cover
    // matrices follow the mouse; a click on the now-playing cover starts the screen saver
    // (0 never, 1 single click, 2 double click); covers are looked for in the cover art
    // folder before the file's own picture.
    void SetTrackMouse(bool on);
    void SetCoverArtClickAction(int action);
    void SetCoverArtFolderFirst(bool on);
    // Every change of the program's preferences: the keyboard takes the key size.
    void PreferencesChanged();
    // The preferences dialog's record: filled from the window's settings, and stored and
    // applied after OK (the idle monitor, the artist grouping); the settings file is
    // written at once so an OK is never lost.
    void GetGeneralSettings(TprefsRec& rec);
    void SetGeneralSettings(TprefsRec& rec);
    // 0 the tree, 1 the cover matrix, 2 the tree with the chosen artist's covers; a new
    // mode is stored and applied.
    void SetBrowseMode(int mode);
    int BrowseMode() const { return FbrowseMode; }
    virtual void ApplyBrowseMode();
    // Rebuilds the browse tree (while the views are active and the library not loading).
    void BuildTreeView();
    // The album list of the cover matrix in the present mode, shown from its start.
    void RefreshCoversList();
    // The track list follows the chosen node.
    void TreeSelectionChanged(TmyNode* node);
    // The chosen rows of the track list to the queue (a station is played at once).
    void QueueAddSelected();
    void QueueAddAll() override;
    uint32_t BrowseDisplayMode() const override;
    void SetBrowseDisplayMode(uint32_t mode) override;
    // The library's change events.
    void GlobalListChanged();
    void PlaylistsChanged();
    void VideoListChanged();
    void URLsChanged();

    // Actions.
    void PlayerPlay();
    void PlayerStop();
    void PlayerPause();
    void PlayerNext();
    // The command line of this start or of a later one: files are queued in order.
    virtual void ProcessCommandLine(const std::vector<std::string>& lines);

    // The window's message doors (main_window_messages.cpp): 0x401 answers the window's
    // handle, WM_APPCOMMAND runs the media-key action, every other message goes to the
    // message-bound actions (WM_USER command numbers) under the party-play guards.
    LRESULT WndProc(uint32_t msg, WPARAM wParam, LPARAM lParam);
    // A command line handed over by a later start: the remote-command flag is set while it runs.
    void RunRemoteCommandLine(const std::vector<std::string>& lines);
    bool RemoteCommand() const { return FremoteCommand; }
    // Shown for 2000 ms in the status window while "Show Messages" is on.
    void ShowStatusMessage(const std::string& text);
    // One value of settings.ini; the writer saves the file at once (false when it could not).
    std::string ReadSettingsString(const std::string& section, const std::string& key, const std::string& def);
    bool WriteSettingsString(const std::string& section, const std::string& key, const std::string& value);
    // Runs slot `slot` (1-based) of the jukebox and tells the outcome in the status.
    bool ExecuteSlotCommand(int slot);
    // The hub's callback: each command of a remote-control plug-in, before it is mapped,
    // on the main thread. A remote's button is someone at the jukebox: it counts as a key
    // press (a showing screen saver closes, the idle time starts again).
    void ControllerCommand(Tcontroller* sender, TcontrollerPlugin* plugin, std::string& command);
    // The remote-control hub, the programs started at start-up and at close, and the
    // switch that keeps the desktop's screen saver off during video.
    Tcontroller* ControllerHub() const { return FcontrollerHub.get(); }
    TappLauncherList& AppLaunchOpen() { return *FappLaunchOpen; }
    TappLauncherList& AppLaunchClose() { return *FappLaunchClose; }
    TscreenSaverDisabler* ScreenSaverDisabler() const { return FscreenSaverDisabler.get(); }
    // The message window other programs reach this window by; handed to the remote-control
    // plug-ins as the jukebox's window.
    void SetMessageWindow(HWND window) { FmessageWindow = window; }
    // The actions of the action button pad (names of the hub's actions).
    TactionButtonPad* ButtonList() const { return FbuttonList.get(); }

    // The path to power off after close, set by the exit question.
    bool ShutdownRequested() const { return FshutdownRequested; }
    // Runs once the window has closed (the program ends its event loop there).
    std::function<void()> OnClosed;
    // True once the close-down has run: the window does not come back.
    bool Closed() const { return FformClosed; }
    // Another start asks the window to come forward: it is shown and raised as it is
    // (full screen stays full screen); nothing once the window has closed.
    void BringForward();
    // The native window was destroyed by another program (`lost` is its id): a new one is
    // made in its place, as it was (full screen, on top), unless the window closed or the
    // toolkit made a new one itself.
    void NativeWindowLost(uint32_t lost);
    uint32_t NativeWindowId() const;
    // The programs of "LaunchClose" started at close: true once the last one has been
    // started (a waiting one holds the rest back). Waits for them up to `timeoutMs`,
    // processing events, so the process does not end before they started; -1 waits as
    // long as the waiting programs may hold the rest back.
    bool CloseProgramsStarted() const { return FcloseProgramsStarted; }
    bool WaitForClosePrograms(int timeoutMs = -1);

    // The window stays above others ("Always on Top", SetAlwaysOnTopOn).
    bool AlwaysOnTopState() const;
    // Reads "AlwaysOnTop" of "Preferences" and applies it (once the window is shown).
    void ApplyAlwaysOnTop();
    // The player reads its section "Player" again (after its own settings dialog).
    void ReloadPlayerSettings();
    // The song title banner scrolls ("SongTitle" "Scroll"); the action shows the state.
    void SetSongTitleScroll(bool on);
    // What plays, as the now-playing area shows it (a station's name and stream title).
    TnowPlaying NowPlayingState() const;
    // The engine reports the title a stream sends.
    void StreamTitleChanged(const std::string& title);
    // The station last chosen from the list; its stream title is cleared.
    void SetRadioName(const std::string& name);
    // The albums the cover view shows, in order (names with the album as object).
    const TmyStringList* CoversAlbumList() const { return FcoversAlbumList.get(); }

    // The action table, its party-play guards and the settings they ask.
    TactionList& Actions() { return *Factions; }
    TpartyPlayGuards& Guards() { return *Fguards; }
    TpartyPlaySettings& PartyPlaySettings() { return FpartyPlay; }
    // Switches party play through the password question; true when it changed.
    bool SetPartyPlay(bool enable) { return Fguards->SetPartyPlay(enable); }
    bool PartyPlayEnabled() const { return Fguards->IsPartyPlayEnabled(); }
    // The handler of the window's command messages; the program attaches it to its
    // message window.
    TmyWndProcComponent& WndProcComponent() { return *FwndProc; }

    // TmainWindowActions: remote control runs actions by name, as a click does.
    bool RunAction(const std::string& name) override;
    std::vector<TmyWndProcAction*> MessageActions() override;
    bool PlayerStopped() const override;

    // TpartyPlayHost: what the guards do to the player, the queue and the view.
    bool IsClosing() const override { return Closing(); }
    void Skip() override { PlayerNext(); }
    int PlayerVolume() const override;
    void PlayerSetVolume(int volume) override;
    void PlayerSetPosition(int milliseconds) override;
    int QueueCount() const override;
    int FocusedQueueRow() const override;
    bool ConfirmClearQueue() override;
    void ClearQueueNow() override;
    void QueueDeleteAt(int index) override;
    void QueueMoveUpAt(int index) override;
    void QueueMoveDownAt(int index) override;
    void QueueMoveToAt(int index, int newIndex) override;
    void QueueShuffle() override;
    void SetLoopQueue(bool on) override;
    bool LoopQueue() const override;
    void QueuePreviousTrack() override;
    void SetQueueMax(int max) override;
    void ShowPlaylistEditorWindow() override;
    void ShowStackerConfigWindow() override;
    void QueueAlbum() override;
    void Minimize() override;
    bool IsFullScreen() const override;
    void SetFullScreen(bool on) override;
    void SetPlayControlsVisible(bool visible) override;
    void ShowStatus(const std::string& text) override;
    void ShowCredits(int credits) override;
    // Credits from the numeric keypad in credit mode; outside it a key release clears them.
    // Seen for every control of the window before the control itself (key preview);
    // answers whether the key was taken.
    bool CreditKeyReleased(QKeyEvent* event);
    // A key pressed on the window or any of its controls: a media key or a shortcut of the
    // action table runs its action (before the control sees the key); answers whether it ran.
    bool ShortcutKeyPressed(QKeyEvent* event);
    void ShowHelp() override { Fdialogs->ShowHelp(); }
    bool CheckPassword(const std::string& prompt, const std::string& password) override;
    void SetRepeatTrack(bool on) override;
    void ToggleStackerEnabled() override;
    bool QueueControlsVisible() const override { return FqueueControlsShown; }
    void SetShowQueueControls(bool on) override;
    uint32_t RadioStationsMode() const override;

    // The window's own commands and settings (main_window_commands.cpp).
    // The cover picture beside now playing shown or hidden.
    void SetShowCoverArt(bool on);
    bool CoverArtShown() const { return Fsettings.CoverArtVisible; }
    // Hints (tool tips) of the window's controls, the track details among them.
    void SetShowHints(bool on);
    bool HintsShown() const { return Fsettings.ShowHints; }
    // The window stays above every other window.
    void SetAlwaysOnTopOn(bool on);
    // The sizes of the window (and any splitter) held while locked.
    void SetLockSizes(bool on);
    // 0 queue (the default), 1 instant play: how the song search hands its choice over.
    int PlayMode() const { return Fsettings.QueueMode == 1 ? 1 : 0; }
    // Every check mark of the action table from the state it shows.
    void UpdateCheckMarks();
    // The clean-screen countdown while it is up (null otherwise); tests give the clock.
    QWidget* CleanScreenWindow() const;
    std::function<int64_t()> CleanScreenClock;
    // The party-play settings window on the live settings; OK applies and stores them.
    void ShowPartyPlaySettings() override;
    // A touch on a button of the layout: the action runs; one that party play refused is
    // told in the status line.
    void TouchAction(const std::string& name);

    // The volume and position bars, the view options of the layout, the main menu bar and
    // the popup menus (main_window_view.cpp).
    TplayerBars& Bars() { return *Fbars; }
    TlayoutViewOptions& ViewOptions() { return FviewOptions; }
    // The layout follows the view options (bars shown, hidden or popped up, the stacker
    // panel, the song title, the extra gap, the queue-CD, search and back buttons).
    void ApplyViewOptions();
    // The stacker panel's line and switch from the jukebox (main_window_layout.cpp).
    void RefreshStackerTitle();
    // The menu height of the preferences ("MenuSize", 16 to 60): the menu bar and the menus'
    // items are that high plus 4, and never below a finger's 48 pixels.
    void SetMenuSize(int size);
    int MenuBarHeight() const;
    static constexpr int kMinMenuHeight = 48;
    // The player's time (milliseconds) onto the timer and the position bar.
    void PlayerTimeChanged(uint32_t position, uint32_t length);
    QMenuBar* MainMenuBar() const { return FmenuBar; }
    QMenu* MainPopupMenu() const { return FpopupMain; }
    QMenu* TrackListPopupMenu() const { return FpopupTracks; }
    QMenu* QueuePopupMenu() const { return FpopupQueue; }
    bool MainPopupActive() const { return FmainPopupOn; }
    bool ListPopupsActive() const { return FlistPopupsOn; }
    // Brings each menu item in line with its action (caption, visible, enabled, checked).
    static void SyncMenu(QMenu& menu, TactionList& actions);
    bool IsMainMenuVisible() const override;
    void SetMainMenuVisible(bool visible) override;
    void SetMainPopupMenu(bool on) override;
    void SetListPopupsAuto(bool on) override;
    // The view settings dialog; OK applies what changed.
    void ShowViewOptions();

protected:
    // The screen-saver switch; tests give one over fake time-outs and no bus.
    virtual std::unique_ptr<TscreenSaverDisabler> CreateScreenSaverDisabler();
    virtual void CreateFolders();
    virtual void CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) { (void)list; }
    virtual void CreatePlayer(TcustomMediaPlayer*& player) { (void)player; }
    virtual void ReadPreferences(const TiniFile& ini);
    virtual void WritePreferences(TiniFile& ini);
    virtual void RefreshNowPlaying();
    virtual void QueueChanged();
    virtual void UpdateSongTitle();
    virtual void StartScreenSaver();
    void SetInitialised(bool on);
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A minimise from outside (the window manager) is undone under party play when its
    // settings disable minimising.
    void changeEvent(QEvent* event) override;
    // The bounds the owner gives the window by moving or sizing it are kept for writing.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void FormClose();
    // Runs one construction step; a failure is reported with the step's text and
    // construction goes on.
    template <typename Step>
    void Guard(const char* text, Step step);

    std::vector<std::string> Fargs;
    std::string FprogramFolder;
    bool FfirstRun = false;
    bool FiniExistedAtStartup = false;
    // The product's party-play window offers the track-searching and volume boxes.
    bool FpartyPlayProductBoxes = false;

private:
    // Remote-control parts (main_window_messages.cpp), called from the form's phases.
    void CreateRemoteParts();
    void BindCommandActions();
    void ReadRemoteSettings(const TiniFile& ini);
    void WriteRemoteSettings(TiniFile& ini);
    void StartRemoteParts();
    void ReportDuplicateMessages();
    void StopRemoteParts();
    bool HandleMediaKey(int qtKey);

    void CreateParts();
    void BindWindowStateActions();
    std::string FstreamTitle, FradioName;
    void ApplySongTitleLook();
    // The library's long list operations reported to the progress window.
    void ListProcessStart(const std::string& text);
    void ListProcess(int position, int maximum);
    void ListProcessFinished();
    std::string FlistProcessText;
    bool FlistSplash = false;
    bool FstartupFailed = false;
    bool FremoteCommand = false;
    bool FcloseProgramsStarted = false;
    std::unique_ptr<TmyStringList> FcoversAlbumList;
    TMessage FcommandMessage;  // the message that runs the current message-bound action
    std::unique_ptr<Tcontroller> FcontrollerHub;
    std::unique_ptr<TappLauncherList> FappLaunchOpen, FappLaunchClose;
    std::unique_ptr<TscreenSaverDisabler> FscreenSaverDisabler;
    // After the hub: it names the hub's actions and goes first.
    std::unique_ptr<TactionButtonPad> FbuttonList;
    bool FhubLoaded = false;
    HWND FmessageWindow = 0;
    void BuildLayout();
    void BindViewActions();
    void BuildBarsAndMenus();
    QMenu* BuildActionMenu(QWidget* parent, const std::vector<std::string>& names);
    // Appends the menu item of the action `name` (nothing for a name the table lacks).
    void AddActionItem(QMenu& menu, const std::string& name);
    void BindLayoutActions();
    void SetActionChecked(const char* name, bool on);
    void UpdateLayoutCheckMarks();
    TColor FmenuPanelColor = 0, FmenuTextColor = 0;
    void ReadViewOptions(const TiniFile& ini);
    void WriteViewOptions(TiniFile& ini);
    void ViewStatesUpdated(bool party);
    // The layout's menu button: the main menu as a popup above it; with the menu behind
    // its password, the menu action (which asks it); under party play, the party-play
    // switch (which asks the party-play password).
    void MenuButtonClicked();
    void ApplyMenuColors(TColor panel, TColor text);
    // Sets the bar's text and padding so that every title fits the window's width.
    void FitMenuBar();
    std::pair<int, int> FmenuBarFit;  // the bar's text size and side padding in use
    std::unique_ptr<TplayerBars> Fbars;
    TlayoutViewOptions FviewOptions;
    TviewOptionsPartyPlay FviewParty;
    QMenuBar* FmenuBar = nullptr;
    QMenu* FpopupMain = nullptr;
    QMenu* FpopupTracks = nullptr;
    QMenu* FpopupQueue = nullptr;
    bool FmainPopupOn = true;
    bool FlistPopupsOn = true;
    void UpdateQueueHeader();
    void BindWindowCommands();
    void ApplyWindowSettings();
    void CollectWindowSettings();
    void ShowCleanScreen();
    void QueueDoubleClicked();
    void ApplySizeLock(bool on);
    void ShowQueueButtons();
    bool FqueueControlsShown = true;
    std::unique_ptr<QWidget> FcleanScreen;
    std::unique_ptr<QObject> FhintFilter;
    // The layout's buttons of the actions party play hides follow their action, the queue
    // edit buttons the queue controls, the play buttons the play-controls switch.
    void ApplyButtonVisibility();
    bool FplayControlsShown = true;
    std::vector<TskinnedControl*> SkinnedControls() const;
    void ApplyGeometry();
    // The window's bounds outside full screen (what leaving full screen returns to, and
    // what is written once the owner moved or sized the window); set while the program
    // places the window itself, so that its own placing is not taken for the owner's.
    QRect FnormalBounds;
    bool FplacingWindow = false;
    void NoteNormalBounds();
    void PlaceNormalBounds();
    void UndoMinimize();

    std::unique_ptr<TjukeboxFolders> Ffolders;
    std::unique_ptr<TsettingsStore> FsettingsStore;
    TdisplaySettings Fsettings;
    std::unique_ptr<TcustomlocalJukeboxList> Flist;
    TcustomJukeboxListEvents FlistEvents;
    TcustomJukeboxLoader Floader;
    TplaybackController Fcontroller;
    std::unique_ptr<TidleMonitor> FidleMonitor;
    std::unique_ptr<TinputActivityFilter> FactivityFilter;
    std::unique_ptr<QObject> FkeyPreview;
    std::unique_ptr<class TwindowLossWatch> FlossWatch;
    std::unique_ptr<QObject> FownedWindows;
    std::unique_ptr<TdialogEntries> Fdialogs;
    TfrmAbout2* Fprogress = nullptr;
    TpartyPlaySettings FpartyPlay;
    std::unique_ptr<TactionList> Factions;
    std::unique_ptr<TpartyPlayGuards> Fguards;
    std::vector<std::unique_ptr<TmyWndProcAction>> FmessageActions;
    std::unique_ptr<TmyWndProcComponent> FwndProc;
    QTimer FssTimer;
    QTimer FnextWait;
    bool Finitialised = false;
    bool FcloseAllowed = false;
    bool FshutdownRequested = false;
    bool FformClosed = false;
    QLabel* FnowPlaying = nullptr;
    QLabel* FstatusLine = nullptr;
    TmySkinPanel* FtopPanel = nullptr;
    TmySkinPanel* FbuttonPanel = nullptr;
    TtouchListBox* FqueueList = nullptr;
    TmySkinScrollBar* FqueueBar = nullptr;
    TmySkinButton* FplayButton = nullptr;
    TmySkinButton* FstopButton = nullptr;
    TmySkinButton* FnextButton = nullptr;
    std::vector<std::string> FqueueLines;
    TmainLayout* Flayout = nullptr;
    int FbrowseMode = bmNone;
    // The browse nodes the tree shows now. Party play may take some away (the internet
    // radio); the owner's own set, the one stored, stays in Fsettings.ViewJukeboxList.
    uint32_t FbrowseNodes = 3327;
    // The views are built only once start-up has loaded the library.
    bool FviewsActive = false;
    // The track whose cover now playing shows.
    TaudioTagPtr FnowPlayingCoverOf;
    std::unique_ptr<TmainWindowSkin> Fskin;
};

class TfrmBaseLocalJukebox : public TfrmBaseJukebox {
public:
    using TfrmBaseJukebox::TfrmBaseJukebox;
    void DoInitialise() override;
    void PostInitialise() override;
    // Inherited items, then the scan words and the files to queue (local_layer.cpp).
    void ProcessCommandLine(const std::vector<std::string>& lines) override;
    // A media scan of the library folders: `full` empties the library first; `ask`
    // first offers the 15-second countdown. `andThen` runs once the scan has finished
    // (not when the countdown was cancelled). The scan runs off the main thread.
    void MediaScan(bool full, bool ask, std::function<void()> andThen = {});
    bool Scanning() const { return Fscanning; }
    // The media folders: the scan window as an options dialog (folders, masks, files to
    // import), then a scan when what it scans changed and the window did not scan it
    // already. Refused under party play unless `force`.
    void EditMediaFolders(bool force);

    // Looks for discs whose tracks are not known yet, offers to scan each, and reloads
    // the CD lists (local_layer.cpp). Refused under party play unless `force`.
    void RefreshCDs(bool force);
    // The pitch and tempo links: the window-message program first, else the automation link.
    Tshifter* ActiveShifter();
    bool AdvancedScan() const { return FadvancedScan; }

protected:
    void CreateFolders() override;
    void CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) override;
    void ReadPreferences(const TiniFile& ini) override;
    void WritePreferences(TiniFile& ini) override;
    // The two pitch and tempo links; tests give their own.
    virtual std::unique_ptr<Tshifter> CreatePacemakerLink();
    virtual std::unique_ptr<Tshifter> CreateAutomationLink();
    bool FlocalReady = false;

private:
    void InitialiseLocalLayer();
    void BindLocalActions();
    void RunOneShotScan();
    void QueueFiles(const std::vector<std::string>& files);
    bool Fscanning = false;
    bool FadvancedScan = false;
    std::unique_ptr<Tshifter> Fpacemaker, Fchronotron;
    // Work handed back from the CD reader checks this is still there; the reader is
    // joined first when the window goes.
    std::shared_ptr<bool> FlocalAlive = std::make_shared<bool>(true);
    std::shared_ptr<TbackgroundWorker> FcdWorker;
};

class TfrmCustomTunecrest : public TfrmBaseLocalJukebox {
public:
    using TfrmBaseLocalJukebox::TfrmBaseLocalJukebox;
    void DoInitialise() override;
    virtual std::string GetProductTitle() const { return "Tunecrest Audio System Professional"; }
    virtual std::string GetProductWord() const { return "tunecrest"; }
    virtual std::string GetIniFileName() const { return "tunecrest.ini"; }
    // "DSHOW" or "WINAMP": the command-line switch, else "PlayerType" of "Player".
    std::string PlayerType() const { return FplayerType; }
    // The type the settings keep for the next start ("Use Winamp" shows it).
    std::string StoredPlayerType() const { return FstoredPlayerType; }
    // Stores another player type; outside start-up the change needs a restart, which the
    // person is told (product_layer.cpp).
    void SetPlayerType(const std::string& type);
    // Whether the party-play settings offer credit mode: the switch "-creditmode".
    bool CreditModeVisible() const { return HasCreditModeSwitch(); }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override;
    // The switch "-PlayerType=", else the first-run question when an outside player is
    // installed, else "PlayerType" of "Player"; the choice is stored at once.
    void ChoosePlayerType();
    // Where the outside player is installed; empty when it is not (tests fake it).
    virtual std::string FindOutsidePlayer() const;
    std::string FplayerType = "DSHOW";
    std::string FstoredPlayerType = "DSHOW";
    bool FsettingPlayerType = false;
};

class TfrmTunecrestMain : public TfrmCustomTunecrest {
public:
    TfrmTunecrestMain(std::vector<std::string> args, std::string programFolder);
    ~TfrmTunecrestMain() override;
    // The picture of a playing video, above the track list (hidden while no video plays);
    // null when the engine has no video output of its own.
    QWidget* VideoPanel() const { return FvideoPanel; }

private:
    QWidget* FvideoPanel = nullptr;
    std::string GetWindowClassName() const override { return "Tunecrest Main"; }
};

}  // namespace tunecrest
