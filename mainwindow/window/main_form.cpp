// The main window's life: its construction and start-up, its close-down, and the window
// classes of the program (the local library, the product, the main window).
#include "mainwindow/window/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/base/exceptions.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"
#include "mainwindow/instance/command_line.h"
#include "mainwindow/window/main_form_guard.h"
#include "mainwindow/views/now_playing.h"
#include "mainwindow/instance/single_instance.h"
#include "mainwindow/window/window_loss_watch.h"
#include "mainwindow/skin/shipped_skins.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/layout/player_bars.h"
#include "mainwindow/skin/main_window_skin.h"
#include "mainwindow/window/idle_monitor.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "remote/screen_saver_disabler.h"
#include "playback/dshow_player.h"
#include "playback/outside_player_engine.h"
#include "playback/video/filter_graph_panel.h"
#include "platform/heap_release.h"
#include "core/display/color_text.h"
#include "skin/display_controls.h"
#include "skin/screen_fonts.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "windows/about_box.h"

namespace tunecrest {

namespace {
// How long a Next waits for the following start before it accepts another press.
constexpr int kNextWaitMs = 2100;
// The size of the shipped skins' button and scroll bar art (well above the 48 pixels a
// finger needs) and the height of a queue row.
constexpr int kControlSize = 64;
constexpr int kQueueRowHeight = 56;

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

// The window's key preview: a key pressed on any of its controls reaches the window's
// shortcuts and media keys first (a shortcut of the window wins over a control's own use
// of the key), and key releases reach the credits first.
class TkeyPreviewFilter : public QObject {
public:
    explicit TkeyPreviewFilter(TfrmBaseJukebox& form) : Fform(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyRelease && type != QEvent::KeyPress) || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &Fform) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        return type == QEvent::KeyPress ? Fform.ShortcutKeyPressed(key) : Fform.CreditKeyReleased(key);
    }

private:
    TfrmBaseJukebox& Fform;
};

// The windows the program opens (dialogs, the song search, the screen saver) belong to the
// main window: each is made a transient of it as it is shown, so the window manager keeps
// it above the main window also while that one is full screen or always on top.
class TownedWindowsFilter : public QObject {
public:
    explicit TownedWindowsFilter(QWidget& form) : Fform(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == &Fform || !widget->isWindow() || widget->windowType() == Qt::Popup ||
            widget->windowType() == Qt::ToolTip)
            return false;
        QWindow* window = widget->windowHandle();
        QWindow* main = Fform.windowHandle();
        if (window && main && !window->transientParent() && Fform.isVisible()) window->setTransientParent(main);
        return false;
    }

private:
    QWidget& Fform;
};

bool TinputActivityFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched && watched->isWidgetType()) {
        switch (event->type()) {
            case QEvent::MouseMove:
                Fmonitor.MouseMoved();
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
                Fmonitor.MouseButton();
                break;
            case QEvent::KeyPress:
                Fmonitor.KeyDown();
                break;
            default:
                break;
        }
    }
    return false;
}

TfrmBaseJukebox::TfrmBaseJukebox(std::vector<std::string> args, std::string programFolder)
    : Fargs(std::move(args)), FprogramFolder(std::move(programFolder)),
      Fdialogs(std::make_unique<TdialogEntries>()) {
    setObjectName("frmTunecrestMain");
    Factions = std::make_unique<TactionList>();
    Fguards = std::make_unique<TpartyPlayGuards>(*Factions, FpartyPlay, *this);
    // The command messages run the table's actions by name, under the same guards as a click.
    FmessageActions = BuildUserMessageActions([this](const std::string& action, const TMessage& msg) {
        FcommandMessage = msg;  // slot activation reads the slot number from lParam
        Factions->ExecuteByName(action, TactionRoad::arMessage);
        FcommandMessage = TMessage{};
    });
    FwndProc = std::make_unique<TmyWndProcComponent>(*this);
    Fskin = std::make_unique<TmainWindowSkin>(*this);
    Fskin->OnApplyColors = [this](TColor button, TColor panel, TColor text) { ApplySkinColors(panel, button, text); };
    Fskin->OnApplyListAppearance = [this] {
        if (Flayout) {
            Flayout->CaptionShadows = Fskin->FontShadows();
            Flayout->ApplyListAppearance();
        }
        ApplySongTitleLook();
    };
    FkeyPreview = std::make_unique<TkeyPreviewFilter>(*this);
    qApp->installEventFilter(FkeyPreview.get());
    FownedWindows = std::make_unique<TownedWindowsFilter>(*this);
    qApp->installEventFilter(FownedWindows.get());
    FlossWatch = std::make_unique<TwindowLossWatch>([this] { return NativeWindowId(); },
                                                    [this](uint32_t lost) { NativeWindowLost(lost); });
    qApp->installNativeEventFilter(FlossWatch.get());
    Fskin->SetIconList(&ListIcons());
    FssTimer.setInterval(TidleMonitor::kInterval);
    FnextWait.setSingleShot(true);
    FnextWait.setInterval(kNextWaitMs);
    QObject::connect(&FnextWait, &QTimer::timeout, [this] { Fcontroller.EndNextWait(); });
}

TfrmBaseJukebox::~TfrmBaseJukebox() {
    GlobalPrefs().RemoveChangeListener(this);
    if (FactivityFilter) qApp->removeEventFilter(FactivityFilter.get());
    if (FkeyPreview) qApp->removeEventFilter(FkeyPreview.get());
    if (FlossWatch) qApp->removeNativeEventFilter(FlossWatch.get());
    if (FownedWindows) qApp->removeEventFilter(FownedWindows.get());
    FssTimer.stop();
    if (Flist) Flist->SetEvents(nullptr);
    Flist.reset();  // frees the jukebox and its player
}

void TfrmBaseJukebox::SetDialogEntries(std::unique_ptr<TdialogEntries> entries) {
    if (entries) Fdialogs = std::move(entries);
}

void TfrmBaseJukebox::FormCreate() {
    // A failure that no step's own guard catches ends the program after saying so.
    try {
        CreateParts();
    } catch (const std::exception& e) {
        FstartupFailed = true;
        const std::string text = std::string(kApplicationTitle) +
                                 " has encountered an error starting up and will now close:\r\n\r\n" + e.what();
        LogError(text);
        Prompt().ShowMessage(text, "Application Error");
    }
}

void TfrmBaseJukebox::CreateParts() {
    Ffolders = std::make_unique<TjukeboxFolders>(Fargs, FprogramFolder);
    FsettingsStore = std::make_unique<TsettingsStore>(Ffolders->SettingsFileName());
    Guard("Error Setting FiniExistedAtStartup",
          [&] { FiniExistedAtStartup = std::filesystem::exists(Ffolders->SettingsFileName()); });
    FfirstRun = !FiniExistedAtStartup;
    Guard("Error Creating FcoversAlbumList", [&] { FcoversAlbumList = std::make_unique<TmyStringList>(); });
    FidleMonitor = std::make_unique<TidleMonitor>(SteadyMs);
    FidleMonitor->HasScreenSaver = [this] { return Fdialogs->HasScreenSaver(); };
    FidleMonitor->ScreenSaverVisible = [this] { return Fdialogs->ScreenSaverVisible(); };
    FidleMonitor->MainWindowActive = [this] { return QApplication::activeWindow() == this; };
    FidleMonitor->PlayingVideo = [this] {
        const auto& t = Fcontroller.CurrentTrack();
        return t && t->MediaType() == 2;
    };
    FidleMonitor->OnStartScreenSaver = [this] { StartScreenSaver(); };
    FidleMonitor->OnCloseScreenSaver = [this] { Fdialogs->CloseScreenSaver(); };
    FidleMonitor->OnTimerEnabled = [this](bool on) { on ? FssTimer.start() : FssTimer.stop(); };
    QObject::connect(&FssTimer, &QTimer::timeout, [this] { FidleMonitor->Tick(); });
    CreateRemoteParts();
    Guard("Error in MakeFolders", [&] { CreateFolders(); });
    if (!Flist) {
        Guard("Error in CreateJukebox", [&] { CreateJukeboxList(Flist); });
        if (Flist) {
            FlistEvents.PlayerEvents = &Fcontroller.PlayerEvents();
            FlistEvents.JukeboxEvents = &Fcontroller.JukeboxEvents();
            FlistEvents.OnListProcessStart = [this](TObject*, const std::string& text) { ListProcessStart(text); };
            FlistEvents.OnListProcess = [this](TObject*, int position, int maximum, const TaudioTagPtr&) {
                ListProcess(position, maximum);
            };
            FlistEvents.OnListProcessFinished = [this](TObject*) { ListProcessFinished(); };
            FlistEvents.OnGlobalListChange = [this](TObject*) { GlobalListChanged(); };
            FlistEvents.OnPlaylistsChange = [this](TObject*) { PlaylistsChanged(); };
            FlistEvents.OnVideoListChange = [this](TObject*) { VideoListChanged(); };
            FlistEvents.OnURLsChange = [this](TObject*) { URLsChanged(); };
            Guard("Error setting Jukebox.Events", [&] { Flist->SetEvents(&FlistEvents); });
            // The library files follow a change from a worker, so the playing screen never
            // waits on a write; what is still pending is written when the list closes.
            Flist->SetSaveInBackground(true);
            Guard("Error setting Loader.JukeboxList", [&] { Floader.JukeboxList = Flist.get(); });
            Guard("Error setting Jukebox.Jukebox.Playlist.Title",
                  [&] { Flist->Jukebox()->Playlist().SetTitle("RUNNING"); });
            Fcontroller.SetJukeboxList(Flist.get());
        }
    }
    Guard("Error configuring Jukebox Mappings and DataFolder", [&] {
        if (!Flist) return;
        // Read through the artist list's own reader (regular files only, under a size cap),
        // which also keeps the name for saving the mappings the preferences edit.
        Flist->ArtistList().SetMappingListFile(Ffolders->MappingsFileName());
        Flist->SetDataFolder(Ffolders->DataFolder());
    });
    TcustomMediaPlayer* player = nullptr;
    Guard("Error in CreatePlayer", [&] { CreatePlayer(player); });
    Guard("Error Configuring Player", [&] {
        if (player && Flist) Flist->Jukebox()->SetMediaPlayer(player);
        else delete player;
    });
    // The engines report a stream's title; the banner shows it.
    if (auto* p = Fcontroller.Player())
        p->OnStreamTitleChange = [this](TObject*, const std::string& title) { StreamTitleChanged(title); };
    Guard("Error Configuring TaggerLoader.SupportLevel", [&] {
        if (auto* p = Fcontroller.Player()) TaggerLoader().SetSupportLevel(uint32_t(p->GetEngineKind()));
    });
    Fcontroller.OnRefreshNowPlaying = [this] { RefreshNowPlaying(); };
    Fcontroller.OnUpdateSongTitle = [this] { UpdateSongTitle(); };
    Fcontroller.OnQueueChanged = [this] { QueueChanged(); };
    // A stopped player: the timer back to 0 and no position to seek.
    Fcontroller.OnIndicator = [this](int indicator) {
        if (Closing()) return;
        if (indicator == piStopped && Fbars) Fbars->Stopped();
        // The pause button shows the paused state.
        if (Flayout) Flayout->SetPaused(indicator == piPaused);
    };
    // The volume the player reports (its own settings, a remote control) moves the bars.
    Fcontroller.OnVolume = [this](uint8_t volume) {
        if (Fbars && !Closing()) Fbars->ShowVolume(volume);
    };
    Fcontroller.OnStatusText = [this](const std::string& text) {
        if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    };
    BuildLayout();
    GlobalPrefs().AddChangeListener(this, [this](TObject*) { PreferencesChanged(); });
    BindWindowCommands();
    BindWindowStateActions();
}

void TfrmBaseJukebox::BuildLayout() {
    // The touch layout (main_layout): browse area, track list, now playing and queue, and
    // the play controls; every target at least 48 pixels in both directions.
    setAutoFillBackground(true);
    Flayout = new TmainLayout(*this, Fskin->FontStores().Lists());
    FtopPanel = Flayout->NowPlayingPanel;
    FbuttonPanel = Flayout->ButtonPanel;
    FnowPlaying = Flayout->NowPlaying;
    FstatusLine = Flayout->StatusLine;
    FqueueList = Flayout->QueueList;
    FqueueBar = Flayout->QueueBar;
    FplayButton = Flayout->PlayButton;
    FstopButton = Flayout->StopButton;
    FnextButton = Flayout->NextButton;
    Flayout->RunAction = [this](const std::string& action) {
        try {
            TouchAction(action);
        } catch (const std::exception& e) {
            Prompt().ShowMessage(e.what(), "Error");
        }
    };
    TbrowseTreeView& browse = Flayout->Browse();
    browse.SetJukeboxList(Flist.get());
    FbrowseNodes = uint32_t(Fsettings.ViewJukeboxList);
    browse.Viewer().SetDisplayMode(TtreeViewDisplayMode(FbrowseNodes));
    browse.OnSelectNode = [this](TmyNode* node) { TreeSelectionChanged(node); };
    browse.OnBuildEnded = [this] { ShowProgressText(""); };
    Flayout->Covers().OnAlbumClick = [this](const TaudioTagAlbumPtr& album) {
        Flayout->Lists().ShowAlbum(album);
        Flayout->SetTrackListHeader(TrackListHeaderText(Flayout->ListFonts, album.get()));
    };
    Flayout->ArtistCovers().OnAlbumClick = Flayout->Covers().OnAlbumClick;
    BindViewActions();
    BindLayoutActions();
    // A changed display setting shows the lists again.
    Flayout->TrackListDisplay.OnChange = [this](TObject*) { Flayout->Lists().RefreshTracks(); };
    Flayout->QueueListDisplay.OnChange = [this](TObject*) { QueueChanged(); };
    ApplySkinColors(RGBColor(30, 34, 40), RGBColor(78, 88, 104), clWhite);
    for (TskinnedControl* c : SkinnedControls()) c->SetupFinished();
    UpdateQueueHeader();
    Flayout->SetTrackListHeader(TrackListHeaderText(Flayout->ListFonts, nullptr));
    ApplySongTitleLook();
    UpdateSongTitle();
    BuildBarsAndMenus();
}

void TfrmBaseJukebox::CreateFolders() {
    std::string error;
    if (!Ffolders->CreateFolders(false, &error)) throw Exception(error);
    // Both shipped skins are offered in every root, the user's own skins left as they are.
    CopyShippedSkins(ShippedFolders().SkinsFolder(), Ffolders->SkinsFolder());
}

void TfrmBaseJukebox::DoInitialise() {
    Fcontroller.PlaybackStarted(nullptr);
    TiniFile ini = FsettingsStore->Open();
    if (Flist) Flist->LoadSettings(ini, "Jukebox");
    if (auto* p = Fcontroller.Player()) {
        p->LoadSettings(ini, "Player");
        p->Initialise(int64_t(winId()));
    }
    Guard("Error Loading PlaylistEditor and Stacker", [&] { Fdialogs->LoadWindowSettings(ini); });
    if (Flist) {
        Flist->Jukebox()->SetLibraryLoading(true);
        Floader.LoadAll();
        Flist->Jukebox()->SetLibraryLoading(false);
        // The saved query rule limits random play again after a restart.
        Flist->Jukebox()->ApplyDBQueryRule();
    }
    // The views show the loaded library: the browse mode the settings keep (the tree
    // when none), built once.
    FviewsActive = true;
    FbrowseMode = bmNone;
    SetBrowseMode(Fsettings.ViewKind >= bmTree && Fsettings.ViewKind <= bmArtistsAndCovers ? Fsettings.ViewKind
                                                                                            : int(bmTree));
    RefreshNowPlaying();
    if (auto* p = Fcontroller.Player()) Fcontroller.PlayerStateChanged(p->GetState());
    if (Flist) Flist->Jukebox()->NextTrack();
    FactivityFilter = std::make_unique<TinputActivityFilter>(*FidleMonitor);
    qApp->installEventFilter(FactivityFilter.get());
    if (Fsettings.AutoPlay) {
        if (auto* p = Fcontroller.Player(); p && p->GetState() != psPlaying) PlayerPlay();
    }
    QueueChanged();
    StartRemoteParts();
    UpdateCheckMarks();
    // The library is in: from here on freed memory goes back to the system at once.
    ReleaseFreedMemoryAtOnce();
}

void TfrmBaseJukebox::SetInitialised(bool on) { Finitialised = on; }

void TfrmBaseJukebox::PostInitialise() {
    std::vector<std::string> lines;
    for (const auto& a : Fargs)
        if (TjukeboxFolders::RootSwitch({a}).empty()) lines.push_back(StripSwitchPrefix(a));
    ProcessCommandLine(lines);
    ReportDuplicateMessages();
    // The tip of the day opens once the window is on screen, not inside start-up.
    if (Fsettings.ShowTipsAtStartup) QTimer::singleShot(0, this, [this] { Fdialogs->ShowTips(); });
    ApplyAlwaysOnTop();
}

void TfrmBaseJukebox::ApplyAlwaysOnTop() {
    SetAlwaysOnTopOn(FsettingsStore->Open().ReadBool("Preferences", "AlwaysOnTop", false));
}

bool TfrmBaseJukebox::AlwaysOnTopState() const { return (windowFlags() & Qt::WindowStaysOnTopHint) != 0; }

void TfrmBaseJukebox::BringForward() {
    if (FformClosed || Closing()) return;
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

uint32_t TfrmBaseJukebox::NativeWindowId() const {
    // The window system's own id of the window now: the toolkit may replace the native
    // window under the widget (a changed "stay on top"), and the widget's own id lags.
    const QWindow* window = windowHandle();
    return window && window->handle() ? uint32_t(window->winId()) : 0;
}

void TfrmBaseJukebox::NativeWindowLost(uint32_t lost) {
    if (FformClosed || Closing() || lost == 0 || NativeWindowId() != lost) return;
    LogError("The main window was destroyed by another program; it is made anew");
    const Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
    const QRect bounds = FnormalBounds.isValid() ? FnormalBounds : geometry();
    // The widget forgets the lost window (the toolkit's own call to destroy it fails
    // quietly) and gets a new one, shown as the old one was.
    destroy(true, true);
    create();
    FplacingWindow = true;
    setGeometry(bounds);
    setWindowState(state);
    FplacingWindow = false;
    show();
    raise();
    activateWindow();
}

bool TfrmBaseJukebox::WaitForClosePrograms(int timeoutMs) {
    if (FcloseProgramsStarted || !FformClosed) return FcloseProgramsStarted;
    // The window is gone: nothing plays, so waiting here holds up no one.
    if (timeoutMs < 0)
        timeoutMs = FappLaunchClose ? FappLaunchClose->WaitLimitMs() * (FappLaunchClose->Count() + 1) : 0;
    QEventLoop loop;
    QTimer check;
    const int64_t end = SteadyMs() + timeoutMs;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (FcloseProgramsStarted || SteadyMs() >= end) loop.quit();
    });
    check.start(20);
    loop.exec();
    return FcloseProgramsStarted;
}

void TfrmBaseJukebox::StartScreenSaver() {
    FssTimer.stop();
    Fdialogs->ShowScreenSaver();
    FssTimer.start();
}

void TfrmBaseJukebox::AskExitOrShutdown() {
    const bool party = Fguards->IsPartyPlayEnabled();
    FcloseAllowed = !party || !FpartyPlay.GetDisabledApplicationClose();
    // Under party play the owner is offered to leave it (the password decides); a refused
    // exit stays refused until the next request.
    if (party) Fguards->SetPartyPlay(false);
    bool shutdown = false;
    if (FcloseAllowed && Fsettings.ConfirmExit) {
        std::vector<std::string> items = {std::string("Exit ") + qApp->applicationName().toStdString()};
        int selected = 0;
        if (Fsettings.ShutdownOnExit) {
            items.push_back("Shut Down the computer");
            if (Fsettings.DefaultToShutdown) selected = 1;
        }
        const int picked = Fdialogs->SelectString("What do you want to do?", items, selected);
        FcloseAllowed = picked >= 0;
        if (FcloseAllowed) WriteDisplaySettings();
        shutdown = picked == 1;
    }
    // The power-off waits until the window has closed and saved everything.
    FshutdownRequested = FcloseAllowed && shutdown;
    if (FcloseAllowed) close();
}

void TfrmBaseJukebox::closeEvent(QCloseEvent* event) {
    // Every road to closing meets this question (Alt+F4, the window manager's close, the
    // Exit action): under party play with the application close disabled only the exit
    // question, after the password, lets the window go.
    const bool mayClose = FcloseAllowed || !Fguards->IsPartyPlayEnabled() || !FpartyPlay.GetDisabledApplicationClose();
    if (!mayClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    if (OnClosed) OnClosed();
}

void TfrmBaseJukebox::FormClose() {
    if (FformClosed) return;
    FformClosed = true;
    Fcontroller.SetClosing();
    if (Fsettings.RestoreAtStartup && Flist) {
        if (const auto current = Fcontroller.Player() ? Fcontroller.Player()->GetCurrentTag() : nullptr) {
            Flist->InsertInQueue(*current);
            auto& queue = Flist->Jukebox()->Queue();
            if (Flist->Jukebox()->LoopQueue() && queue.Count() > 1 &&
                queue.GetTag(queue.Count() - 1)->Filename() == current->Filename())
                Flist->QueueDelete(queue.Count() - 1);
        }
    }
    WriteDisplaySettings();
    FssTimer.stop();
    FnextWait.stop();
    if (auto* p = Fcontroller.Player()) p->Uninitialise();
    // Every list wrote its file after its last change: only saves still under way are
    // finished here, so a close writes what is pending and nothing else.
    if (Flist) Flist->FinishPendingSaves();
    StopRemoteParts();
}

void TfrmBaseLocalJukebox::CreateFolders() {
    TfrmBaseJukebox::CreateFolders();
    std::string error;
    if (TaggerLoader().PluginFolder().empty()) {
        if (!Folders().CreateFolders(true, &error)) throw Exception(error);
        // An installed program's tagger plug-ins are linked in; the owner's own stay.
        if (!ShippedFolders().BesideProgram())
            LinkShippedTagPlugins(ShippedFolders().TagPluginsFolder(), Folders().TagPluginsFolder());
        TaggerLoader().SetPluginFolder(Folders().TagPluginsFolder());
    }
}

void TfrmBaseLocalJukebox::CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) {
    auto local = std::make_unique<TlocalJukeboxList>();
    // The library keeps its own files up to date after each change, except the jukebox's
    // running playlist; the tracks of known discs are part of the library.
    local->AutoSaveGlobal = true;
    local->AutoSavePlaylists = true;
    // The internet-radio stations ("internetradio.dat") after each change of them.
    local->AutoSaveURLs = true;
    local->LoadCDs = true;
    // Videos are part of the jukebox: the video folders, masks and [Videos] branch, and a
    // video found among the music is filed as a video.
    local->SetVideoSupport(true);
    local->AutoSaveVideoList = true;
    local->Jukebox()->AutoSavePlaylist = false;
    local->Jukebox()->AutoSaveQueue = true;
    local->Jukebox()->AutoSaveStacker = true;
    list = std::move(local);
}

void TfrmBaseLocalJukebox::DoInitialise() {
    TfrmBaseJukebox::DoInitialise();
    InitialiseLocalLayer();
    FlocalReady = true;
}

void TfrmCustomTunecrest::CreatePlayer(TcustomMediaPlayer*& player) {
    ChoosePlayerType();
    if (FplayerType == "WINAMP") {
        auto* engine = new TwinampMediaPlayer;
        if (!HasSwitch(Fargs, "NOCLASS")) {
            engine->SetWindowClass(GetProductWord());
            engine->ConfigName = GetIniFileName();
        }
        player = engine;
    } else {
        auto* engine = new TdshowPlayer;
        // What the engine says about its output (no sound device, a stream that ended)
        // reaches the status line; the engine has written it to the log already.
        engine->OnStatusText = [this](TObject*, const std::string& text) {
            if (Controller().OnStatusText) Controller().OnStatusText(text);
        };
        player = engine;
    }
}

void TfrmCustomTunecrest::DoInitialise() {
    TfrmBaseLocalJukebox::DoInitialise();
    FpartyPlayProductBoxes = true;
    qApp->setApplicationName(QString::fromStdString(GetProductTitle()));
    setWindowTitle(QString::fromStdString(GetProductTitle()));
    UpdateSongTitle();
    SetInitialised(true);
}

TfrmTunecrestMain::TfrmTunecrestMain(std::vector<std::string> args, std::string programFolder)
    : TfrmCustomTunecrest(std::move(args), std::move(programFolder)) {
    FormCreate();
    // The engine's video outputs draw into one panel of the layout, above the track list
    // in the middle column; the panel shows itself while a video plays.
    auto* engine = dynamic_cast<TdshowPlayer*>(Controller().Player());
    QWidget* column = Layout().TrackPanel ? Layout().TrackPanel->parentWidget() : nullptr;
    auto* columnLayout = column ? qobject_cast<QVBoxLayout*>(column->layout()) : nullptr;
    if (!engine || !columnLayout) return;
    auto* panel = new TmyFilterGraphPanel(column);
    panel->setObjectName("pnlVideo");
    panel->hide();
    columnLayout->insertWidget(0, panel, 2);
    columnLayout->setStretchFactor(Layout().TrackPanel, 1);
    for (int i = 0; i < engine->VideoPlayerCount(); ++i) engine->VideoPlayers(i).SetPanel(panel);
    FvideoPanel = panel;
}

TfrmTunecrestMain::~TfrmTunecrestMain() {
    // The panel goes with the window's widgets; the engine lives on a little longer.
    if (auto* engine = dynamic_cast<TdshowPlayer*>(Controller().Player()))
        for (int i = 0; i < engine->VideoPlayerCount(); ++i) engine->VideoPlayers(i).SetPanel(nullptr);
}

}  // namespace tunecrest
