#include "mainwindow/main_form.h"

#include <QApplication>
#include <QCloseEvent>
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

#include "core/exceptions.h"
#include "core/global_prefs.h"
#include "core/ini_file.h"
#include "core/services.h"
#include "core/system_services.h"
#include "core/tagger_loader.h"
#include "core/text_utils.h"
#include "mainwindow/queue_actions.h"
#include "mainwindow/single_instance.h"
#include "playback/dshow_player.h"
#include "playback/outside_player_engine.h"
#include "core/color_text.h"
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
    FmessageActions = BuildUserMessageActions([this](const std::string& action, const TMessage&) {
        Factions->ExecuteByName(action, TactionRoad::arMessage);
    });
    FwndProc = std::make_unique<TmyWndProcComponent>(*this);
    Fskin = std::make_unique<TmainWindowSkin>(*this);
    Fskin->OnApplyColors = [this](TColor button, TColor panel, TColor text) { ApplySkinColors(panel, button, text); };
    Fskin->OnApplyListAppearance = [this] {
        if (!FqueueList) return;
        const TfontContainer& lists = Fskin->FontStores().Lists();
        if (const TfontItem* title = lists.Items().FindByName("Title")) FqueueList->setFont(ScreenFont(title->font()));
        if (const TcolorItem* back = lists.Colors().FindByName("Background")) FqueueList->SetColor(back->color);
    };
    FssTimer.setInterval(TidleMonitor::kInterval);
    FnextWait.setSingleShot(true);
    FnextWait.setInterval(kNextWaitMs);
    QObject::connect(&FnextWait, &QTimer::timeout, [this] { Fcontroller.EndNextWait(); });
}

TfrmBaseJukebox::~TfrmBaseJukebox() {
    if (FactivityFilter) qApp->removeEventFilter(FactivityFilter.get());
    FssTimer.stop();
    if (Flist) Flist->SetEvents(nullptr);
    Flist.reset();  // frees the jukebox and its player
}

template <typename Step>
void TfrmBaseJukebox::Guard(const char* text, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        LogError(std::string(text) + ":\r\n\r\n" + e.what());
        Prompt().ShowMessage(std::string(text) + ":\r\n\r\n" + e.what(), "Application Error");
    }
}

void TfrmBaseJukebox::SetDialogEntries(std::unique_ptr<TdialogEntries> entries) {
    if (entries) Fdialogs = std::move(entries);
}

void TfrmBaseJukebox::FormCreate() {
    Ffolders = std::make_unique<TjukeboxFolders>(Fargs, FprogramFolder);
    FsettingsStore = std::make_unique<TsettingsStore>(Ffolders->SettingsFileName());
    Guard("Error Setting FiniExistedAtStartup",
          [&] { FiniExistedAtStartup = std::filesystem::exists(Ffolders->SettingsFileName()); });
    FfirstRun = !FiniExistedAtStartup;
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
    Guard("Error in MakeFolders", [&] { CreateFolders(); });
    if (!Flist) {
        Guard("Error in CreateJukebox", [&] { CreateJukeboxList(Flist); });
        if (Flist) {
            FlistEvents.PlayerEvents = &Fcontroller.PlayerEvents();
            FlistEvents.JukeboxEvents = &Fcontroller.JukeboxEvents();
            FlistEvents.OnListProcessStart = [this](TObject*, const std::string& text) { ShowProgressText(text); };
            FlistEvents.OnListProcessFinished = [this](TObject*) { ShowProgressText(""); };
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
        std::ifstream in(Ffolders->MappingsFileName());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        Flist->ArtistList().SetMappings(lines);
        Flist->SetDataFolder(Ffolders->DataFolder());
    });
    TcustomMediaPlayer* player = nullptr;
    Guard("Error in CreatePlayer", [&] { CreatePlayer(player); });
    Guard("Error Configuring Player", [&] {
        if (player && Flist) Flist->Jukebox()->SetMediaPlayer(player);
        else delete player;
    });
    Guard("Error Configuring TaggerLoader.SupportLevel", [&] {
        if (auto* p = Fcontroller.Player()) TaggerLoader().SetSupportLevel(uint32_t(p->GetEngineKind()));
    });
    Fcontroller.OnRefreshNowPlaying = [this] { RefreshNowPlaying(); };
    Fcontroller.OnUpdateSongTitle = [this] { UpdateSongTitle(); };
    Fcontroller.OnQueueChanged = [this] { QueueChanged(); };
    Fcontroller.OnStatusText = [this](const std::string& text) {
        if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    };
    BuildLayout();
}

void TfrmBaseJukebox::BuildLayout() {
    // The touch layout: a skinned panel with the now-playing line and the status, the
    // queue as a touch list with its skinned scroll bar, and a skinned panel with three
    // big skinned buttons. Every target is at least 48 pixels in both directions.
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);

    FtopPanel = new TmySkinPanel(this);
    FtopPanel->setObjectName("pnlNowPlaying");
    auto* top = new QVBoxLayout(FtopPanel);
    top->setContentsMargins(24, 16, 24, 16);
    top->setSpacing(4);
    FnowPlaying = new QLabel(FtopPanel);
    FnowPlaying->setObjectName("lblNowPlaying");
    QFont big = font();
    big.setPointSize(22);
    big.setBold(true);
    FnowPlaying->setFont(big);
    top->addWidget(FnowPlaying);
    FstatusLine = new QLabel(FtopPanel);
    FstatusLine->setObjectName("lblStatus");
    QFont small = font();
    small.setPointSize(13);
    FstatusLine->setFont(small);
    top->addWidget(FstatusLine);
    layout->addWidget(FtopPanel);

    auto* queueRow = new QHBoxLayout;
    queueRow->setSpacing(8);
    FqueueList = new TtouchListBox(this);
    FqueueList->setObjectName("lstQueue");
    FqueueList->SetItemHeight(kQueueRowHeight);
    QFont listFont = font();
    listFont.setPointSize(16);
    FqueueList->setFont(listFont);
    FqueueList->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                     TtouchListItemState state) { PaintQueueRow(index, rect, canvas, state); };
    queueRow->addWidget(FqueueList, 1);
    FqueueBar = new TmySkinScrollBar(this);
    FqueueBar->setObjectName("sbQueue");
    FqueueBar->setFixedWidth(kControlSize);
    BindScrollBar(*FqueueBar, *FqueueList);
    queueRow->addWidget(FqueueBar);
    layout->addLayout(queueRow, 1);

    FbuttonPanel = new TmySkinPanel(this);
    FbuttonPanel->setObjectName("pnlButtons");
    auto* buttons = new QHBoxLayout(FbuttonPanel);
    buttons->setContentsMargins(16, 12, 16, 12);
    buttons->setSpacing(16);
    // A button runs its action, so the party-play guards hold for it as for every other road in.
    auto makeButton = [&](const char* name, const char* caption, const char* action) {
        auto* b = new TmySkinButton(FbuttonPanel);
        b->setObjectName(name);
        b->SetIsStretchButton(true);
        b->SetCaption(caption);
        b->SetShowCaption(true);
        TFont f;
        f.Name = "Tahoma";
        f.Size = 18;
        f.Bold = true;
        f.Color = clWhite;
        b->SetFont(f);
        // The height of the skins' button art, so only the middle is stretched sideways.
        b->setMinimumWidth(160);
        b->setFixedHeight(kControlSize);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->OnClick = [this, action = std::string(action)](TObject*) {
            try {
                RunAction(action);
            } catch (const std::exception& e) {
                Prompt().ShowMessage(e.what(), "Error");
            }
        };
        buttons->addWidget(b);
        return b;
    };
    FplayButton = makeButton("btnPlay", "Play", "actnControlPlay");
    FstopButton = makeButton("btnStop", "Stop", "actnControlStop");
    FnextButton = makeButton("btnNext", "Next", "actnControlNext");
    layout->addWidget(FbuttonPanel);

    ApplySkinColors(RGBColor(30, 34, 40), RGBColor(78, 88, 104), clWhite);
    for (TskinnedControl* c : SkinnedControls()) c->SetupFinished();
}

std::vector<TskinnedControl*> TfrmBaseJukebox::SkinnedControls() const {
    return {FtopPanel, FbuttonPanel, FqueueBar, FplayButton, FstopButton, FnextButton};
}

void TfrmBaseJukebox::PaintQueueRow(int index, const QRect& rect, QPainter& canvas, TtouchListItemState state) {
    if (index < 0 || index >= int(FqueueLines.size())) return;
    const QPalette& pal = palette();
    const bool current = InItemState(state, lisSelected);
    QColor back = pal.color(QPalette::Base);
    if (index % 2) back = back.lighter(112);
    if (current) back = pal.color(QPalette::Highlight);
    canvas.fillRect(rect, back);
    canvas.setPen(back.darker(140));
    canvas.drawLine(rect.bottomLeft(), rect.bottomRight());
    canvas.setFont(FqueueList->font());
    canvas.setPen(current ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Text));
    const QRect text = rect.adjusted(20, 0, -12, 0);
    const QString number = QString::number(index + 1) + QStringLiteral(".");
    canvas.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, number);
    const QRect title = text.adjusted(canvas.fontMetrics().horizontalAdvance(QStringLiteral("000.")) + 8, 0, 0, 0);
    canvas.drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
                    canvas.fontMetrics().elidedText(QString::fromStdString(FqueueLines[size_t(index)]),
                                                    Qt::ElideRight, title.width()));
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
    if (FqueueList) FqueueList->SetColor(FromQColor(back.darker(125)));
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
}

QWidget* TfrmBaseJukebox::GetProgressForm() { return Fprogress; }

void TfrmBaseJukebox::ShowProgressText(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    // While start-up or list work shows the progress window, its message line follows.
    if (Fprogress && Fprogress->ProgressVisible() && !text.empty()) Fprogress->SetStatusText(text);
}

void TfrmBaseJukebox::ReadDisplaySettings() {
    TiniFile ini = FsettingsStore->Open();
    ReadPreferences(ini);
}

void TfrmBaseJukebox::ReadPreferences(const TiniFile& ini) {
    Fsettings.Read(ini);
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
    LoadSkin(SkinFolder());
    ApplyGeometry();
    Factions->ReadShortcuts(ini);
    FpartyPlay.LoadFromIni(ini, "PartyPlay");
    // Party play set to start with the program needs no password; a later reading of the
    // settings leaves the switch as the person left it.
    if (!Finitialised && FpartyPlay.GetStartInPartyPlay()) Fguards->StartInPartyPlay();
    else Fguards->UpdateActionStates();
}

void TfrmBaseJukebox::ApplyGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    Tgeometry stored = Fsettings.Geometry;
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
    Fsettings.Write(ini);
    GlobalPrefs().SaveToIni(ini);
    Factions->WriteShortcuts(ini);
    FpartyPlay.SaveToIni(ini, "PartyPlay");
    // The five object sections, each on its own so one failure does not stop the rest.
    Guard("Error saving Player", [&] {
        if (auto* p = Fcontroller.Player()) p->SaveSettings(ini, "Player");
    });
    Guard("Error saving Jukebox", [&] {
        if (Flist) Flist->SaveSettings(ini, "Jukebox");
    });
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
    if (Flist) {
        Flist->Jukebox()->SetLibraryLoading(true);
        Floader.LoadAll();
        ScanWhenEmpty();
        Flist->Jukebox()->SetLibraryLoading(false);
        // The saved query rule limits random play again after a restart.
        Flist->Jukebox()->ApplyDBQueryRule();
    }
    RefreshNowPlaying();
    if (auto* p = Fcontroller.Player()) Fcontroller.PlayerStateChanged(p->GetState());
    if (Flist) Flist->Jukebox()->NextTrack();
    FactivityFilter = std::make_unique<TinputActivityFilter>(*FidleMonitor);
    qApp->installEventFilter(FactivityFilter.get());
    if (Fsettings.AutoPlay) {
        if (auto* p = Fcontroller.Player(); p && p->GetState() != psPlaying) PlayerPlay();
    }
    QueueChanged();
}

void TfrmBaseJukebox::ScanWhenEmpty() {
    // A library that was never built (a new root) is scanned once from its audio folders.
    if (!Flist || Flist->GlobalList().Count() > 0 || Flist->AudioFolders().Count() == 0) return;
    std::vector<std::string> folders;
    for (int i = 0; i < Flist->AudioFolders().Count(); ++i) folders.push_back(Flist->AudioFolders().Strings(i));
    ShowProgressText("Scanning the music folders");
    Flist->GlobalList().AddFolders(folders, true, nullptr);
    Flist->SaveGlobalList();
}

void TfrmBaseJukebox::SetInitialised(bool on) { Finitialised = on; }

void TfrmBaseJukebox::PostInitialise() {
    std::vector<std::string> lines;
    for (const auto& a : Fargs)
        if (TjukeboxFolders::RootSwitch({a}).empty()) lines.push_back(StripSwitchPrefix(a));
    ProcessCommandLine(lines);
    TiniFile ini = FsettingsStore->Open();
    if (ini.ReadBool("Preferences", "AlwaysOnTop", false)) {
        Fsettings.AlwaysOnTop = true;
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
}

void TfrmBaseJukebox::ProcessCommandLine(const std::vector<std::string>& lines) {
    if (!Flist) return;
    for (const auto& line : lines) {
        std::error_code ec;
        if (line.empty() || !std::filesystem::is_regular_file(line, ec)) continue;
        const std::string file = std::filesystem::absolute(line, ec).lexically_normal().string();
        TaudioTagPtr tag;
        int index = -1;
        if (Flist->FileIndex().Find(file, index)) tag = Flist->FileIndex().ObjectAs<TaudioTag>(index);
        if (!tag) tag = Flist->GlobalList().CreateTagFromFile(file);
        if (tag) Flist->AddToQueue(*tag);
    }
}

void TfrmBaseJukebox::PlayerPlay() { Fcontroller.Play(); }
void TfrmBaseJukebox::PlayerStop() { Fcontroller.Stop(); }
void TfrmBaseJukebox::PlayerPause() { Fcontroller.Pause(); }

void TfrmBaseJukebox::PlayerNext() {
    if (Fcontroller.WaitingForStart()) return;
    Fcontroller.Next();
    if (Fcontroller.WaitingForStart()) FnextWait.start();
}

void TfrmBaseJukebox::RefreshNowPlaying() {
    if (!FnowPlaying) return;
    const auto& t = Fcontroller.CurrentTrack();
    FnowPlaying->setText(t ? QString::fromStdString(TrackLine(*t)) : QStringLiteral("Nothing playing"));
}

void TfrmBaseJukebox::UpdateSongTitle() {
    setWindowTitle(qApp->applicationName());
    RefreshNowPlaying();
}

void TfrmBaseJukebox::QueueChanged() {
    if (!FqueueList || !Flist || Closing()) return;
    FqueueLines.clear();
    auto& queue = Flist->Jukebox()->Queue();
    for (int i = 0; i < queue.Count(); ++i)
        if (auto tag = queue.GetTag(i)) FqueueLines.push_back(TrackLine(*tag));
    FqueueList->SetCount(int(FqueueLines.size()));
    FqueueList->update();
}

void TfrmBaseJukebox::StartScreenSaver() {
    FssTimer.stop();
    Fdialogs->ShowScreenSaver();
    FssTimer.start();
}

void TfrmBaseJukebox::keyPressEvent(QKeyEvent* event) {
    // Keys go to the action table, which runs hidden actions too while their shortcut
    // switch allows it.
    const QString key = QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText);
    if (!key.isEmpty() && Factions->ExecuteShortcut(key.toStdString())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
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
    setWindowState(on ? (windowState() | Qt::WindowFullScreen) : (windowState() & ~Qt::WindowFullScreen));
}

void TfrmBaseJukebox::SetPlayControlsVisible(bool visible) {
    for (const char* name : {"btnPlay", "btnStop", "btnNext", "btnPause"})
        if (auto* b = findChild<QWidget*>(name)) b->setVisible(visible);
    // Without its buttons the button panel would stay behind as an empty strip.
    if (FbuttonPanel) FbuttonPanel->setVisible(visible);
}

void TfrmBaseJukebox::ShowStatus(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
}

bool TfrmBaseJukebox::CheckPassword(const std::string& prompt, const std::string& password) {
    return Prompt().CheckPassword(password, prompt);
}

void TfrmBaseJukebox::AskExitOrShutdown() {
    FcloseAllowed = true;
    bool shutdown = false;
    if (Fsettings.ConfirmExit) {
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
    FormClose();
    event->accept();
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
    list = std::make_unique<TlocalJukeboxList>();
}

void TfrmBaseLocalJukebox::DoInitialise() {
    TfrmBaseJukebox::DoInitialise();
    FlocalReady = true;
}

void TfrmCustomTunecrest::CreatePlayer(TcustomMediaPlayer*& player) {
    std::string type;
    for (const auto& a : Fargs) {
        static const std::string kSwitch = "-PlayerType=";
        if (a.size() > kSwitch.size() && SameText(a.substr(0, kSwitch.size()), kSwitch))
            type = a.substr(kSwitch.size());
    }
    if (type.empty()) type = TiniFile(Folders().SettingsFileName()).ReadString("Player", "PlayerType", "DSHOW");
    FplayerType = SameText(type, "WINAMP") ? "WINAMP" : "DSHOW";
    if (FplayerType == "WINAMP")
        player = new TwinampMediaPlayer;
    else
        player = new TdshowPlayer;
}

void TfrmCustomTunecrest::DoInitialise() {
    TfrmBaseLocalJukebox::DoInitialise();
    qApp->setApplicationName(QString::fromStdString(GetProductTitle()));
    setWindowTitle(QString::fromStdString(GetProductTitle()));
    UpdateSongTitle();
    SetInitialised(true);
}

TfrmTunecrestMain::TfrmTunecrestMain(std::vector<std::string> args, std::string programFolder)
    : TfrmCustomTunecrest(std::move(args), std::move(programFolder)) {
    FormCreate();
}

}  // namespace tunecrest
