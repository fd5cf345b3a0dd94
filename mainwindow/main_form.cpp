#include "mainwindow/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "core/base/exceptions.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"
#include "mainwindow/command_line.h"
#include "mainwindow/guarded_step.h"
#include "mainwindow/now_playing.h"
#include "mainwindow/party_play_form.h"
#include "mainwindow/queue_actions.h"
#include "mainwindow/single_instance.h"
#include "mainwindow/song_search_queue.h"
#include "mainwindow/shipped_skins.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "remote/screen_saver_disabler.h"
#include "playback/dshow_player.h"
#include "playback/video/filter_graph_panel.h"
#include "playback/outside_player_engine.h"
#include "core/display/color_text.h"
#include "skin/display_controls.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "windows/about_box.h"

namespace tunecrest {

namespace {
// How long a Next waits for the following start before it accepts another press.
constexpr int kNextWaitMs = 2100;
// How often a scrolling song title moves.
constexpr int kSongTitleScrollMs = 40;
// The list operations from this many items up show the progress window.
constexpr int kListProgressMinimum = 251;
// The size of the shipped skins' button and scroll bar art (well above the 48 pixels a
// finger needs) and the height of a queue row.
constexpr int kControlSize = 64;
constexpr int kQueueRowHeight = 56;

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string TrackLine(const TaudioTag& tag) {
    std::string line = tag.Artist().empty() ? tag.Title() : tag.Artist() + " - " + tag.Title();
    if (line.empty()) line = std::filesystem::path(tag.Filename()).filename().string();
    return line;
}
}  // namespace

// The window's key preview: key releases on any of its controls reach the credits first.
class TkeyPreviewFilter : public QObject {
public:
    explicit TkeyPreviewFilter(TfrmBaseJukebox& form) : Fform(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyRelease || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &Fform) return false;
        return Fform.CreditKeyReleased(static_cast<QKeyEvent*>(event));
    }

private:
    TfrmBaseJukebox& Fform;
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
    FssTimer.stop();
    if (Flist) Flist->SetEvents(nullptr);
    Flist.reset();  // frees the jukebox and its player
}

template <typename Step>
void TfrmBaseJukebox::Guard(const char* text, Step step) {
    RunGuardedStep(text, std::move(step));
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
    if (auto* engine = dynamic_cast<TdshowPlayer*>(Fcontroller.Player()))
        engine->OnStreamTitleChange = [this](TObject*, const std::string& title) { StreamTitleChanged(title); };
    else if (auto* outside = dynamic_cast<TcustomWinampPlayer*>(Fcontroller.Player()))
        outside->OnStreamTitleChange = [this](TObject*, const std::string& title) { StreamTitleChanged(title); };
    Guard("Error Configuring TaggerLoader.SupportLevel", [&] {
        if (auto* p = Fcontroller.Player()) TaggerLoader().SetSupportLevel(uint32_t(p->GetEngineKind()));
    });
    Fcontroller.OnRefreshNowPlaying = [this] { RefreshNowPlaying(); };
    Fcontroller.OnUpdateSongTitle = [this] { UpdateSongTitle(); };
    Fcontroller.OnQueueChanged = [this] { QueueChanged(); };
    // A stopped player: the timer back to 0 and no position to seek.
    Fcontroller.OnIndicator = [this](int indicator) {
        if (indicator == piStopped && Fbars && !Closing()) Fbars->Stopped();
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
    browse.Viewer().SetDisplayMode(TtreeViewDisplayMode(Fsettings.ViewJukeboxList));
    browse.OnSelectNode = [this](TmyNode* node) { TreeSelectionChanged(node); };
    browse.OnBuildEnded = [this] { ShowProgressText(""); };
    Flayout->Covers().OnAlbumClick = [this](const TaudioTagAlbumPtr& album) {
        Flayout->Lists().ShowAlbum(album);
        Flayout->SetTrackListHeader(TrackListHeaderText(Flayout->ListFonts, album.get()));
    };
    Flayout->ArtistCovers().OnAlbumClick = Flayout->Covers().OnAlbumClick;
    BindViewActions();
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

void TfrmBaseJukebox::BindViewActions() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bind("actnViewJukeboxlistView", [this](Taction&) { SetBrowseMode(bmTree); });
    bind("actnViewCoverArtView", [this](Taction&) { SetBrowseMode(bmCovers); });
    bind("actnViewArtistsAndCovers", [this](Taction&) { SetBrowseMode(bmArtistsAndCovers); });
    bind("actnQueueAddSelected", [this](Taction&) { QueueAddSelected(); });
}

std::vector<TskinnedControl*> TfrmBaseJukebox::SkinnedControls() const {
    return Flayout ? Flayout->SkinnedControls() : std::vector<TskinnedControl*>{};
}

void TfrmBaseJukebox::SetBrowseMode(int mode) {
    if (mode < bmTree || mode > bmArtistsAndCovers || mode == FbrowseMode) return;
    FbrowseMode = mode;
    Fsettings.ViewKind = mode;
    ApplyBrowseMode();
}

void TfrmBaseJukebox::ApplyBrowseMode() {
    for (const auto& [name, mode] : {std::pair{"actnViewJukeboxlistView", bmTree}, std::pair{"actnViewCoverArtView", bmCovers},
                                     std::pair{"actnViewArtistsAndCovers", bmArtistsAndCovers}})
        if (Taction* a = Factions->Find(name)) a->Checked = FbrowseMode == mode;
    TbrowseTreeView& browse = Flayout->Browse();
    TtreeViewDisplayMode display = TtreeViewDisplayMode(Fsettings.ViewJukeboxList);
    // Beside the artist's covers the tree shows artists without their albums.
    if (FbrowseMode == bmArtistsAndCovers) display &= ~DisplayModeBit(dmAlbums);
    browse.Viewer().SetDisplayMode(display);
    Flayout->Lists().DisplayMode = display;
    Flayout->ApplyBrowseMode(FbrowseMode);
    if (FbrowseMode == bmCovers) {
        browse.ClearTree();
    } else {
        BuildTreeView();
    }
    if (FbrowseMode != bmTree) RefreshCoversList();
}

void TfrmBaseJukebox::BuildTreeView() {
    if (!Flayout || !FviewsActive || Closing() || FbrowseMode == bmCovers) return;
    if (Flist && Flist->Jukebox()->LibraryLoading()) return;
    // The text stays while a large library's tree is finished in later steps.
    ShowProgressText("Updating Tree View");
    Flayout->Browse().BuildTreeView();
    if (!Flayout->Browse().Viewer().Rebuilding()) ShowProgressText("");
}

void TfrmBaseJukebox::RefreshCoversList() {
    if (!Flayout || !FviewsActive || Closing() || !Flist) return;
    // The cover view's album list: each album by its title, in the order shown.
    auto keep = [this](const TcoverAlbums& albums) {
        if (!FcoversAlbumList) return;
        FcoversAlbumList->Clear();
        for (const auto& album : albums)
            if (album) FcoversAlbumList->AddObject(album->Title(), album);
    };
    if (FbrowseMode == bmCovers) {
        Flayout->Covers().CoverFolder = Fsettings.CoverArtFolder;
        Flayout->Covers().CoverFolderOnly = Fsettings.CoverArtOnlyCheckCoverArtFolder;
        TcoverAlbums albums = AllCoverAlbums(*Flist);
        keep(albums);
        Flayout->Covers().SetAlbums(std::move(albums));
    } else if (FbrowseMode == bmArtistsAndCovers) {
        TcoverAlbums albums = ArtistCoverAlbums(Flayout->Browse().SelectedNode(), *Flist);
        keep(albums);
        Flayout->SetAlbumCoversVisible(!albums.empty());
        Flayout->ArtistCovers().CoverFolder = Fsettings.CoverArtFolder;
        Flayout->ArtistCovers().CoverFolderOnly = Fsettings.CoverArtOnlyCheckCoverArtFolder;
        Flayout->ArtistCovers().SetAlbums(std::move(albums));
    }
}

void TfrmBaseJukebox::TreeSelectionChanged(TmyNode* node) {
    if (!Flayout || Closing()) return;
    Flayout->Lists().ShowNode(node);
    Flayout->SetTrackListHeader(TrackListHeaderText(Flayout->ListFonts, node ? node->Data.get() : nullptr));
    if (FbrowseMode == bmArtistsAndCovers) RefreshCoversList();
}

void TfrmBaseJukebox::QueueAddSelected() {
    if (!Flist || !Flayout) return;
    TtouchListBox& list = *Flayout->TrackList;
    const TtrackRows& rows = Flayout->Lists().Rows();
    // A tap marks the current row; with nothing else selected it is the row meant.
    auto selected = [&](int row) {
        return list.Selected(row) || (list.SelectedCount() == 0 && row == list.ItemIndex());
    };
    list.BeginUpdate();
    if (rows.Urls) {
        // A station is not queued: it plays at once.
        for (int i = 0; i < rows.Count(); ++i) {
            if (!selected(i)) continue;
            if (auto* p = Fcontroller.Player()) {
                SetRadioName(rows.Urls->GetName(i));
                p->PlayURL(rows.Urls->GetURL(i));
                UpdateSongTitle();
            }
            list.SetSelected(i, false);
            break;
        }
        list.EndUpdate();
        return;
    }
    if (!rows.Source) {
        list.EndUpdate();
        return;
    }
    // The rows go the one road of every chosen track: credits, the queue's limit, and
    // a status that names the tracks the queue really took.
    TaddSelectedRows walk;
    walk.RowCount = rows.Count();
    walk.IsSelected = selected;
    walk.TagOf = [&rows](int row) { return rows.Tracks[size_t(row)]; };
    walk.Deselect = [&list](int row) { list.SetSelected(row, false); };
    QueueChosenRows(*Flist, *Fguards, std::move(walk), [this](const std::string& text) { ShowStatus(text); });
    list.EndUpdate();
}

void TfrmBaseJukebox::QueueAddAll() {
    if (!Flist || !Flayout) return;
    const auto* shown = dynamic_cast<const TaudioTagList*>(Flayout->Lists().Rows().Source.get());
    if (shown) Flist->AddListToQueue(*shown);
}

uint32_t TfrmBaseJukebox::BrowseDisplayMode() const { return uint32_t(Fsettings.ViewJukeboxList); }

void TfrmBaseJukebox::SetBrowseDisplayMode(uint32_t mode) {
    Fsettings.ViewJukeboxList = int(mode & kAllDisplayModes);
    if (Flayout && FbrowseMode != bmNone) ApplyBrowseMode();
}

void TfrmBaseJukebox::GlobalListChanged() {
    if (Closing() || !Flayout) return;
    Flayout->Lists().ClearTracks();
    Fdialogs->RefreshLibraryViews();
    BuildTreeView();
    RefreshCoversList();
}

void TfrmBaseJukebox::PlaylistsChanged() {
    if (Closing()) return;
    BuildTreeView();
}

void TfrmBaseJukebox::VideoListChanged() {
    if (Closing()) return;
    BuildTreeView();
}

void TfrmBaseJukebox::URLsChanged() {
    if (Closing() || !Flayout) return;
    const TtrackRows& rows = Flayout->Lists().Rows();
    if (rows.Urls) Flayout->TrackList->SetCount(rows.Urls->Count());
}

void TfrmBaseJukebox::UpdateQueueHeader() {
    if (!Flayout) return;
    const TaudioTagList* queue = Flist ? &Flist->Jukebox()->Queue() : nullptr;
    Flayout->SetQueueHeader(QueueHeaderText(Flayout->ListFonts, queue ? queue->Count() : 0,
                                            queue ? queue->TotalDuration() : 0));
}

void TfrmBaseJukebox::ApplySkinColors(uint32_t panel, uint32_t button, uint32_t text) {
    const QColor back = ToQColor(TColor(panel));
    const QColor face = ToQColor(TColor(button));
    const QColor fore = ToQColor(TColor(text));
    // Text on the panel must stand out from it: black or white where the scheme's text
    // colour (chosen for the buttons) would not.
    auto luma = [](const QColor& c) { return (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000; };
    const QColor panelText = std::abs(luma(fore) - luma(back)) >= 110 ? fore
                             : luma(back) > 128                       ? QColor(Qt::black)
                                                                      : QColor(Qt::white);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Base, back.darker(125));
    pal.setColor(QPalette::WindowText, panelText);
    pal.setColor(QPalette::Text, panelText);
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::ButtonText, fore);
    pal.setColor(QPalette::Highlight, face);
    setPalette(pal);
    const TColor checkedFont = DarkenColor(TColor(button), 30);
    for (TskinnedControl* c : SkinnedControls())
        if (auto* target = dynamic_cast<TskinColorTarget*>(c))
            target->ApplySkinColors(TColor(button), TColor(panel), checkedFont, TColor(text));
    ApplyMenuColors(TColor(panel), TColor(text));
}

bool TfrmBaseJukebox::LoadSkin(const std::string& folder) {
    const std::filesystem::path base(folder);
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_regular_file(base / TskinFile::kFileName, ec)) return false;
    Fskin->SetDefaultSkinFile(GetDefaultSkinFile());
    return Fskin->LoadSkin((base / TskinFile::kFileName).string());
}

std::string TfrmBaseJukebox::GetSkinsFolder() const { return Ffolders ? Ffolders->SkinsFolder() : ""; }

std::string TfrmBaseJukebox::GetDefaultSkinFile() const {
    std::error_code ec;
    for (const auto& skins : {std::filesystem::path(GetSkinsFolder()), std::filesystem::path(FprogramFolder) / "Skins"}) {
        if (skins.empty()) continue;
        const auto file = skins / "Default" / TskinFile::kFileName;
        if (std::filesystem::is_regular_file(file, ec)) return file.string();
    }
    return "";
}

void TfrmBaseJukebox::SetSkinFile(const std::string& name,
                                  std::function<void(bool ok, const std::string& error)> done) {
    std::error_code ec;
    std::filesystem::path file = std::filesystem::path(GetSkinsFolder()) / name;
    if (name.empty() || !std::filesystem::is_regular_file(file, ec)) file = GetDefaultSkinFile();
    if (file.empty()) {
        if (done) done(false, "There is no skin to load.");
        return;
    }
    const auto relative = file.lexically_relative(GetSkinsFolder());
    Fsettings.SkinFile = relative.empty() || *relative.begin() == ".." ? file.string() : relative.string();
    Fskin->SetDefaultSkinFile(GetDefaultSkinFile());
    Fskin->ChangeSkin(file.string(), std::move(done));
}

std::string TfrmBaseJukebox::SkinFolder() const {
    std::error_code ec;
    if (!Fsettings.SkinFile.empty()) {
        const auto named = std::filesystem::path(Ffolders->SkinsFolder()) / Fsettings.SkinFile;
        if (std::filesystem::is_regular_file(named, ec)) return named.parent_path().string();
    }
    const auto shipped = std::filesystem::path(FprogramFolder) / "Skins" / "Default";
    if (std::filesystem::is_regular_file(shipped / "skin.usk", ec)) return shipped.string();
    return "";
}

void TfrmBaseJukebox::CreateFolders() {
    std::string error;
    if (!Ffolders->CreateFolders(false, &error)) throw Exception(error);
    // Both shipped skins are offered in every root, the user's own skins left as they are.
    CopyShippedSkins((std::filesystem::path(FprogramFolder) / "Skins").string(), Ffolders->SkinsFolder());
}

QWidget* TfrmBaseJukebox::GetProgressForm() { return Fprogress; }

void TfrmBaseJukebox::ShowProgressText(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    // While start-up or list work shows the progress window, its message line follows.
    if (Fprogress && Fprogress->ProgressVisible() && !text.empty()) Fprogress->SetStatusText(text);
}

void TfrmBaseJukebox::ListProcessStart(const std::string& text) {
    FlistProcessText = text;
    ShowProgressText(text);
}

void TfrmBaseJukebox::ListProcess(int position, int maximum) {
    if (!Fprogress || Closing()) return;
    // A long list operation brings the progress window up; a short one does not flash it.
    if (!Fprogress->isVisible()) {
        if (maximum < kListProgressMinimum) return;
        // As a progress operation: the credits make way and the window may close after it.
        Fprogress->BeginProgress(FlistProcessText.empty() ? std::string("Processing") : FlistProcessText);
        FlistSplash = true;
    }
    Fprogress->SetProgress(position, maximum);
}

void TfrmBaseJukebox::ListProcessFinished() {
    ShowProgressText("");
    FlistProcessText.clear();
    if (FlistSplash && Fprogress) Fprogress->EndProgress();
    FlistSplash = false;
}

void TfrmBaseJukebox::ReadDisplaySettings() {
    ReloadPlayerSettings();
    TiniFile ini = FsettingsStore->Open();
    ReadPreferences(ini);
}

void TfrmBaseJukebox::ReadPreferences(const TiniFile& ini) {
    Fsettings.Read(ini);
    SetSongTitleScroll(Fsettings.SongTitleScroll);
    if (Flayout) {
        Flayout->Keys.Read(ini);
        Flayout->FormatStrings.LoadFromSettings(ini, kFormatStringsSection);
        Flayout->TrackListDisplay.LoadFromSettings(ini, "TrackListDisplaySettings");
        Flayout->QueueListDisplay.LoadFromSettings(ini, "QueueListDisplaySettings");
        Flayout->CoverAcross = Fsettings.CoverArtMatrixHorizontal;
        Flayout->CoverDown = Fsettings.CoverArtMatrixVertical;
        Flayout->Lists().ShowTrackDetails = Fsettings.ShowTrackDetails;
        Flayout->Lists().ExtendedTrackDetails = Fsettings.ExtendedTrackDetails;
        Flayout->Browse().Viewer().SetDisplayMode(TtreeViewDisplayMode(Fsettings.ViewJukeboxList));
    }
    SetTrackMouse(Fsettings.TrackMouse);
    SetCoverArtClickAction(Fsettings.CoverArtClick);
    SetCoverArtFolderFirst(Fsettings.CoverArtUseFolderDefault);
    GlobalPrefs().LoadFromIni(ini);
    FidleMonitor->SetTimeout(Fsettings.ScreenSaverTimeout);
    FidleMonitor->SetDisableDuringVideo(Fsettings.DisableScreenSaverDuringVideoPlayback);
    FidleMonitor->SetEnabled(Fsettings.ScreenSaverEnabled);
    Fcontroller.DisableSaverDuringVideo = Fsettings.DisableScreenSaverDuringVideoPlayback;
    if (Flist) {
        Flist->SetRandomPlayActive(Fsettings.RandomPlayEnabled);
        Flist->SetStackerActive(Fsettings.StackerEnabled);
        Flist->SetQueueNoDuplicates(Fsettings.NoQueueDuplications);
    }
    {
        // A skin the settings name that is gone, or is no regular file, is not loaded: say so.
        std::error_code ec;
        const auto named = std::filesystem::path(Ffolders->SkinsFolder()) / Fsettings.SkinFile;
        if (!Fsettings.SkinFile.empty() && !std::filesystem::is_regular_file(named, ec))
            LogError("Skin \"" + named.string() + "\" is missing or no file; the Default skin is used");
    }
    LoadSkin(SkinFolder());
    ApplyGeometry();
    ReadViewOptions(ini);
    Factions->ReadShortcuts(ini);
    FpartyPlay.LoadFromIni(ini, "PartyPlay");
    // Party play set to start with the program needs no password; a later reading of the
    // settings leaves the switch as the person left it.
    if (!Finitialised && FpartyPlay.GetStartInPartyPlay()) Fguards->StartInPartyPlay();
    else Fguards->UpdateActionStates();
    ReadRemoteSettings(ini);
    ApplyWindowSettings();
}

void TfrmBaseJukebox::ApplyGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    Tgeometry stored = Fsettings.Geometry;
    // Without a stored size (a first run) the window takes the size its layout is made
    // for, as far as the screen allows: 800 x 600 cut the labels of the three columns.
    if (!Fsettings.GeometrySized) {
        stored.Width = Fsettings.Geometry.Width = std::min(kFirstRunWidth, area.width());
        stored.Height = Fsettings.Geometry.Height = std::min(kFirstRunHeight, area.height());
    }
    if (Fsettings.GeometryCentred) {
        stored.Left = (area.width() - stored.Width) / 2;
        stored.Top = (area.height() - stored.Height) / 2;
    }
    const Tgeometry g = ClampGeometry(stored, area.width(), area.height());
    setGeometry(area.x() + g.Left, area.y() + g.Top, g.Width, g.Height);
    if (Fsettings.FullScreen) setWindowState(windowState() | Qt::WindowFullScreen);
    else setWindowState(windowState() & ~Qt::WindowFullScreen);
}

void TfrmBaseJukebox::WritePreferences(TiniFile& ini) {
    CollectWindowSettings();
    Fsettings.Write(ini);
    if (Flayout) {
        Flayout->Keys.Write(ini);
        WriteViewOptions(ini);
        Flayout->FormatStrings.SaveToSettings(ini, kFormatStringsSection);
        Flayout->TrackListDisplay.SaveToSettings(ini, "TrackListDisplaySettings");
        Flayout->QueueListDisplay.SaveToSettings(ini, "QueueListDisplaySettings");
    }
    GlobalPrefs().SaveToIni(ini);
    Factions->WriteShortcuts(ini);
    FpartyPlay.SaveToIni(ini, "PartyPlay");
    WriteRemoteSettings(ini);
    // The five object sections, each on its own so one failure does not stop the rest.
    Guard("Error saving Player", [&] {
        if (auto* p = Fcontroller.Player()) p->SaveSettings(ini, "Player");
    });
    Guard("Error saving Jukebox", [&] {
        if (Flist) Flist->SaveSettings(ini, "Jukebox");
    });
    Guard("Error saving PlaylistEditor and Stacker", [&] { Fdialogs->SaveWindowSettings(ini); });
}

void TfrmBaseJukebox::WriteDisplaySettings() {
    TiniFile ini = FsettingsStore->Open();
    WritePreferences(ini);
    std::string error;
    if (!FsettingsStore->Save(ini, &error)) LogError("settings.ini was not written: " + error);
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

void TfrmBaseJukebox::ReloadPlayerSettings() {
    if (auto* p = Fcontroller.Player()) p->LoadSettings(FsettingsStore->Open(), "Player");
}

void TfrmBaseJukebox::BringForward() {
    if (FformClosed || Closing()) return;
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
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

void TfrmBaseJukebox::PlayerPlay() { Fcontroller.Play(); }
void TfrmBaseJukebox::PlayerStop() { Fcontroller.Stop(); }
void TfrmBaseJukebox::PlayerPause() { Fcontroller.Pause(); }

void TfrmBaseJukebox::PlayerNext() {
    if (Fcontroller.WaitingForStart()) return;
    Fcontroller.Next();
    if (Fcontroller.WaitingForStart()) FnextWait.start();
}

TnowPlaying TfrmBaseJukebox::NowPlayingState() const {
    TnowPlaying now;
    now.Track = Fcontroller.CurrentTrack();
    if (const auto* p = Fcontroller.Player()) {
        now.State = p->GetState();
        now.PlayingURL = p->PlayingURL();
        // The engine keeps a station's entry (media kind 4) as its current track.
        if (!now.Track && !now.PlayingURL.empty() && now.State != psStopped) {
            const auto tag = p->GetCurrentTag();
            if (tag && tag->MediaType() == kRadioMediaKind) now.Track = tag;
        }
    }
    now.StreamTitle = FstreamTitle;
    now.RadioName = FradioName;
    return now;
}

void TfrmBaseJukebox::RefreshNowPlaying() {
    if (!Flayout) return;
    const TnowPlaying now = NowPlayingState();
    const TtrackTextLines lines = TrackTextLines(now, Flist ? &Flist->URLList() : nullptr);
    Flayout->SetNowPlaying(lines.Title, lines.Details);
    const auto& t = Fcontroller.CurrentTrack();
    if (!t || t->MediaType() == kRadioMediaKind) {
        FnowPlayingCoverOf = nullptr;
        Flayout->ShowNowPlayingCover(nullptr, "", false);
        return;
    }
    // The cover is found and scaled on the getter's worker and shown when it is back.
    if (!FnowPlayingCoverOf || FnowPlayingCoverOf->Filename() != t->Filename()) {
        FnowPlayingCoverOf = t;
        Flayout->ShowNowPlayingCover(t, Fsettings.CoverArtFolder, Fsettings.CoverArtOnlyCheckCoverArtFolder);
    }
}

void TfrmBaseJukebox::UpdateSongTitle() {
    setWindowTitle(qApp->applicationName());
    RefreshNowPlaying();
    if (!Flayout || !Flayout->SongTitle) return;
    const TfontContainer& fonts = Fskin->FontStores().SongTitle();
    const std::string text = SongTitleText(fonts, Flayout->FormatStrings, qApp->applicationName().toStdString(),
                                           NowPlayingState(), Flist ? &Flist->URLList() : nullptr);
    // Set only when it changed, so a scrolling title does not jump back to its start.
    if (text != Flayout->SongTitle->Caption()) Flayout->SongTitle->SetCaption(text);
}

void TfrmBaseJukebox::StreamTitleChanged(const std::string& title) {
    if (Closing()) return;
    FstreamTitle = title;
    UpdateSongTitle();
}

void TfrmBaseJukebox::ApplySongTitleLook() {
    if (!Flayout || !Flayout->SongTitle) return;
    // The banner: the song title store's first font on the lists' background.
    const TfontContainer& fonts = Fskin->FontStores().SongTitle();
    if (const TfontItem* font = fonts.Items().Items(0)) Flayout->SongTitle->SetFont(font->font());
    Flayout->SongTitle->SetColor(ListColor(Fskin->FontStores().Lists(), lcBackground));
}

void TfrmBaseJukebox::SetRadioName(const std::string& name) {
    FradioName = name;
    FstreamTitle.clear();
}

void TfrmBaseJukebox::SetSongTitleScroll(bool on) {
    Fsettings.SongTitleScroll = on;
    if (Taction* a = Factions->Find("actnSettingsScrollSongTitle")) a->Checked = on;
    if (Flayout && Flayout->SongTitle) {
        Flayout->SongTitle->SetScrollDelay(on ? kSongTitleScrollMs : 0);
        Flayout->SongTitle->SetScrollEnabled(on);
    }
}

void TfrmBaseJukebox::QueueChanged() {
    if (!FqueueList || !Flist || Closing()) return;
    FqueueLines.clear();
    auto& queue = Flist->Jukebox()->Queue();
    for (int i = 0; i < queue.Count(); ++i)
        if (auto tag = queue.GetTag(i)) FqueueLines.push_back(TrackLine(*tag));
    Flayout->Lists().KeepTrackCount = Fsettings.KeepQueueTrackCount;
    Flayout->Lists().RefreshQueue(queue);
    UpdateQueueHeader();
    // The party-play window's queue page, while it is open.
    RefreshPartyPlayQueueList();
}

void TfrmBaseJukebox::StartScreenSaver() {
    FssTimer.stop();
    Fdialogs->ShowScreenSaver();
    FssTimer.start();
}

void TfrmBaseJukebox::keyPressEvent(QKeyEvent* event) {
    // Keys go to the action table, which runs hidden actions too while their shortcut
    // switch allows it. Media keys take the multimedia-command road.
    if (HandleMediaKey(event->key())) {
        event->accept();
        return;
    }
    const QString key = QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText);
    if (!key.isEmpty() && Factions->ExecuteShortcut(key.toStdString())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TfrmBaseJukebox::CreditKeyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) return false;
    if (!Fguards->IsCreditMode()) {
        if (Fguards->Credits() != 0) Fguards->SetCredits(0);
        return false;
    }
    if ((event->modifiers() & Qt::KeypadModifier) != 0) {
        const int key = event->key();
        std::optional<int> credits;
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckDigit, key - Qt::Key_0);
        else if (key == Qt::Key_Plus)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckPlus);
        else if (key == Qt::Key_Minus)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckMinus);
        else if (key == Qt::Key_Period || key == Qt::Key_Comma || key == Qt::Key_Delete)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckDecimal);
        if (credits) {
            Fguards->SetCredits(*credits);
            return true;
        }
    }
    return false;
}

bool TfrmBaseJukebox::RunAction(const std::string& name) {
    return Factions->ExecuteByName(name, TactionRoad::arRun);
}

std::vector<TmyWndProcAction*> TfrmBaseJukebox::MessageActions() {
    std::vector<TmyWndProcAction*> list;
    for (const auto& a : FmessageActions) list.push_back(a.get());
    return list;
}

bool TfrmBaseJukebox::PlayerStopped() const {
    const auto* p = Fcontroller.Player();
    return !p || p->GetState() == psStopped;
}

int TfrmBaseJukebox::PlayerVolume() const {
    const auto* p = Fcontroller.Player();
    return p ? p->GetVolume() : 0;
}

void TfrmBaseJukebox::PlayerSetVolume(int volume) {
    if (auto* p = Fcontroller.Player()) p->SetVolume(uint8_t(std::clamp(volume, 0, 255)));
}

void TfrmBaseJukebox::PlayerSetPosition(int milliseconds) {
    if (auto* p = Fcontroller.Player()) p->SetPosition(uint32_t(std::max(milliseconds, 0)));
}

int TfrmBaseJukebox::QueueCount() const { return Flist ? Flist->Jukebox()->Queue().Count() : 0; }

int TfrmBaseJukebox::FocusedQueueRow() const { return FqueueList ? FqueueList->ItemIndex() : -1; }

bool TfrmBaseJukebox::ConfirmClearQueue() {
    return Prompt().AskYesNo("Are you sure you want to clear the queue?", qApp->applicationName().toStdString(),
                             false);
}

void TfrmBaseJukebox::ClearQueueNow() {
    if (Flist) TqueueActions(*Flist).ClearQueueNow();
}

void TfrmBaseJukebox::QueueDeleteAt(int index) {
    if (Flist) Flist->QueueDelete(index);
}

void TfrmBaseJukebox::QueueMoveUpAt(int index) { QueueMoveToAt(index, index - 1); }
void TfrmBaseJukebox::QueueMoveDownAt(int index) { QueueMoveToAt(index, index + 1); }

void TfrmBaseJukebox::QueueMoveToAt(int index, int newIndex) {
    if (!Flist) return;
    const int row = TqueueActions(*Flist).EditKeepingSelection(index, [&] { Flist->QueueMove(index, newIndex); });
    if (FqueueList && row >= 0) FqueueList->SetItemIndex(row);
}

void TfrmBaseJukebox::QueueShuffle() {
    if (Flist) Flist->ShuffleQueue();
}

void TfrmBaseJukebox::SetLoopQueue(bool on) {
    if (Flist) Flist->SetLoopQueue(on);
}

bool TfrmBaseJukebox::LoopQueue() const { return Flist && Flist->Jukebox()->LoopQueue(); }

void TfrmBaseJukebox::QueuePreviousTrack() {
    if (Flist) TqueueActions(*Flist).PreviousTrack(false);
}

void TfrmBaseJukebox::SetQueueMax(int max) {
    if (Flist) Flist->Jukebox()->Queue().SetMax(max);
}

void TfrmBaseJukebox::ShowPlaylistEditorWindow() { Fdialogs->ShowPlaylistEditor(); }
void TfrmBaseJukebox::ShowStackerConfigWindow() { Fdialogs->ShowStackerList(); }

void TfrmBaseJukebox::QueueAlbum() {
    TaudioTagAlbumPtr album;
    if (Flist && Fdialogs->ChooseAlbum(true, album) && album) Flist->AddListToQueue(*album);
}

void TfrmBaseJukebox::Minimize() { showMinimized(); }

bool TfrmBaseJukebox::IsFullScreen() const { return (windowState() & Qt::WindowFullScreen) != 0; }

void TfrmBaseJukebox::SetFullScreen(bool on) {
    // The stored choice is the person's own; the full screen party play forces is not.
    if (!Fguards->IsPartyPlayEnabled()) Fsettings.FullScreen = on;
    // A locked size holds the window outside full screen only.
    if (on) ApplySizeLock(false);
    setWindowState(on ? (windowState() | Qt::WindowFullScreen) : (windowState() & ~Qt::WindowFullScreen));
    if (!on) ApplySizeLock(Fsettings.GeometryLock);
}

void TfrmBaseJukebox::SetPlayControlsVisible(bool visible) {
    // Only the play buttons go: the panel also holds the party-play button (the owner's
    // way out by touch), the timer and the volume button.
    FplayControlsShown = visible;
    ApplyButtonVisibility();
}

void TfrmBaseJukebox::ApplyButtonVisibility() {
    if (!Flayout) return;
    static const std::set<std::string> kPlayButtons = {"btnPlay", "btnStop", "btnNext", "btnPause"};
    static const std::set<std::string> kQueueButtons = {"btnQueueUp", "btnQueueDown", "btnQueueDelete"};
    // The actions whose visibility party play decides; the others keep their buttons.
    static const std::set<std::string> kGuarded = {
        "actnQueueAddAll",  "actnControlStop",  "actnControlNext",    "actnControlPause",
        "actnQueueDelete",  "actnQueueClear",   "actnQueueRandomize", "actnQueueLoop",
        "actnQueueMoveTop", "actnQueueMoveUp",  "actnQueueMoveDown"};
    for (TmySkinButton* b : Flayout->Buttons) {
        const std::string name = b->objectName().toStdString();
        const std::string action = b->property("action").toString().toStdString();
        // The other buttons (browse modes, volume, menu) are the layout's own to show.
        if (!kGuarded.count(action) && !kPlayButtons.count(name) && !kQueueButtons.count(name)) continue;
        bool visible = true;
        if (kGuarded.count(action)) visible = Factions->Get(action).Visible;
        if (kPlayButtons.count(name)) visible = visible && FplayControlsShown;
        if (kQueueButtons.count(name)) visible = visible && FqueueControlsShown;
        b->setVisible(visible);
    }
}

void TfrmBaseJukebox::TouchAction(const std::string& name) {
    const int refusals = Fguards->Refusals();
    const bool ran = RunAction(name);
    if (Fguards->IsPartyPlayEnabled() && (!ran || Fguards->Refusals() != refusals))
        ShowStatus("Not available in Party Play Mode");
}

void TfrmBaseJukebox::ShowPartyPlaySettings() {
    TaudioTagList* queue = Flist ? &Flist->Jukebox()->Queue() : nullptr;
    if (!EditPartyPlaySettings(FpartyPlay, HasCreditModeSwitch(), Fguards.get(), queue, FpartyPlayProductBoxes))
        return;
    // What the owner set up holds from now on, also after a power cut.
    FsettingsStore->MarkChanged();
    WriteDisplaySettings();
}

void TfrmBaseJukebox::ShowStatus(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    ShowStatusMessage(text);
}

void TfrmBaseJukebox::ShowCredits(int credits) {
    if (Flayout) Flayout->ShowCredits(credits, Fguards->IsCreditMode());
}

bool TfrmBaseJukebox::CheckPassword(const std::string& prompt, const std::string& password) {
    return Prompt().CheckPassword(password, prompt);
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
    if (Flist) {
        Flist->SaveAll();
        Flist->Jukebox()->SaveQueue();
    }
    StopRemoteParts();
}

void TfrmBaseLocalJukebox::CreateFolders() {
    TfrmBaseJukebox::CreateFolders();
    std::string error;
    if (TaggerLoader().PluginFolder().empty()) {
        if (!Folders().CreateFolders(true, &error)) throw Exception(error);
        TaggerLoader().SetPluginFolder(Folders().TagPluginsFolder());
    }
}

void TfrmBaseLocalJukebox::CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) {
    auto local = std::make_unique<TlocalJukeboxList>();
    // The library keeps its own files up to date after each change, except the jukebox's
    // running playlist; the tracks of known discs are part of the library.
    local->AutoSaveGlobal = true;
    local->AutoSavePlaylists = true;
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
