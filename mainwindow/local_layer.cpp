// The local-library layer of the main window: media scans (from the menu, the command
// line, another start and the one-shot setting), queueing files named on the command
// line, and the jukebox's alarms switching play on and off.
#include <QApplication>
#include <filesystem>

#include "core/base/background_worker.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"
#include "mainwindow/command_line.h"
#include "mainwindow/guarded_step.h"
#include "mainwindow/main_form.h"
#include "playback/dshow_player.h"
#include "playback/shifters.h"

namespace tunecrest {

namespace {
constexpr int kScanCountdownMs = 15000;

// What a scan reads from the library's settings: the folder and import lists and the
// masks of both lists. A change of any of them calls for a new scan.
std::string ScanSettingsText(TcustomJukeboxList& list) {
    std::string text;
    auto add = [&text](const std::string& part) { text += part + '\x1f'; };
    for (TmyStringList* strings :
         {&list.AudioFolders(), &list.VideoFolders(), &list.AudioImportList(), &list.VideoImportList()}) {
        for (int i = 0; i < strings->Count(); ++i) add(strings->Strings(i));
        add("\x1e");
    }
    for (TaudioTagList* tags : {&list.GlobalList(), &list.VideoList()}) {
        add(tags->AudioFileMask());
        add(tags->VideoFileMask());
        add(std::to_string(tags->UseAudioFileMask()) + std::to_string(tags->AlbumFromParentFolder()) +
            std::to_string(tags->ArtistFromParentFolder()) + std::to_string(tags->OverrideTagInfo()));
    }
    return text;
}

}  // namespace

void TfrmBaseLocalJukebox::ReadPreferences(const TiniFile& ini) {
    TfrmBaseJukebox::ReadPreferences(ini);
    // A tag-reader folder that exists and differs from the current one becomes the loader's.
    const std::string current = TaggerLoader().PluginFolder();
    const std::string folder = ini.ReadString("Paths", "TagReaders", current);
    std::error_code ec;
    if (!folder.empty() && folder != current && std::filesystem::is_directory(folder, ec))
        TaggerLoader().SetPluginFolder(folder);
    FadvancedScan = ini.ReadBool("Settings", "AdvancedScan", false);
}

void TfrmBaseLocalJukebox::WritePreferences(TiniFile& ini) {
    TfrmBaseJukebox::WritePreferences(ini);
    ini.WriteString("Paths", "TagReaders", TaggerLoader().PluginFolder());
    ini.WriteBool("Settings", "AdvancedScan", FadvancedScan);
}

std::unique_ptr<Tshifter> TfrmBaseLocalJukebox::CreatePacemakerLink() {
    return std::make_unique<Tpacemaker>();
}

std::unique_ptr<Tshifter> TfrmBaseLocalJukebox::CreateAutomationLink() {
    // On this system the automation server is the in-process engine's pitch stage.
    if (auto* engine = dynamic_cast<TdshowPlayer*>(Controller().Player()))
        return std::make_unique<Tchronotron>(engine->PitchTempoConnector());
    return std::make_unique<Tchronotron>();
}

Tshifter* TfrmBaseLocalJukebox::ActiveShifter() {
    if (Fpacemaker && Fpacemaker->Connected()) return Fpacemaker.get();
    if (Fchronotron && Fchronotron->Connected()) return Fchronotron.get();
    return nullptr;
}

void TfrmBaseLocalJukebox::BindLocalActions() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Actions().Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bind("actnFileScanFolders", [this](Taction&) {
        if (!PartyPlayEnabled()) MediaScan(false, false);
    });
    bind("actnFileInstantScan", [this](Taction&) {
        if (!PartyPlayEnabled()) MediaScan(true, false);
    });
    bind("actnFileRefreshCDs", [this](Taction&) { RefreshCDs(false); });
    bind("actnSettingsMediaFolders", [this](Taction&) { EditMediaFolders(false); });
    bind("actnFileQueueFile", [this](Taction&) {
        std::string filter;
        TaggerLoader().GetFileFilter(filter);
        if (const auto file = Prompt().ChooseOpenFile("Queue File", filter, "")) QueueFiles({*file});
    });
    bind("actnReportsShowHistory", [this](Taction&) {
        if (JukeboxList()) DialogEntries().ShowHistory(*JukeboxList());
    });
    bind("actnReportsRun", [this](Taction&) {
        if (JukeboxList())
            DialogEntries().ShowReports(*JukeboxList(), Folders().ReportsFolder(),
                                        Folders().ReportsFileName());
    });
    // The tag-reader plug-in folder; a folder the dialog changed is the loader's from now on.
    auto plugins = [this](Taction&) {
        std::string folder = TaggerLoader().PluginFolder();
        DialogEntries().ConfigurePlugins(folder);
        if (!folder.empty() && folder != TaggerLoader().PluginFolder())
            TaggerLoader().SetPluginFolder(folder);
    };
    bind("actnSettingsPlugins", plugins);
    bind("actnSettingsConfigurePlugins", plugins);
    auto cartridge = [this](const char* name, int what) {
        Actions().Get(name).OnExecute = [this, what](Taction&) {
            auto* list = JukeboxList();
            if (!list) return;
            const std::string folder = Folders().CartridgesFolder();
            if (what == 2)
                list->Jukebox()->SaveStackerCartridge(folder);
            else
                list->Jukebox()->LoadStackerCartridge(what == 1, folder);
        };
    };
    cartridge("actnStackerLoadCartridge", 0);
    cartridge("actnStackerAddCartridge", 1);
    cartridge("actnStackerSaveCartridge", 2);
    auto shift = [this](const char* name, void (Tshifter::*operation)()) {
        Actions().Get(name).OnExecute = [this, operation](Taction&) {
            if (Tshifter* link = ActiveShifter()) (link->*operation)();
        };
    };
    shift("actnPacemakerPitchRaise", &Tshifter::PitchUp);
    shift("actnPacemakerPitchLower", &Tshifter::PitchDown);
    shift("actnPacemakerPitchReset", &Tshifter::Reset);
    shift("actnPacemakerTempoRaise", &Tshifter::TempoUp);
    shift("actnPacemakerTempoLower", &Tshifter::TempoDown);
    shift("actnPacemakerTempoReset", &Tshifter::ResetTempo);
}

void TfrmBaseLocalJukebox::QueueFiles(const std::vector<std::string>& files) {
    auto* list = JukeboxList();
    if (!list) return;
    // A file of the library is queued as its track; any other file is read as the scan
    // would read it and only queued: the library holds what its folders hold.
    for (const std::string& file : files) {
        TaudioTagPtr tag;
        int index = -1;
        if (list->FileIndex().Find(file, index)) tag = list->FileIndex().Tag(index);
        if (!tag) tag = list->GlobalList().ReadTagFromFile(file);
        if (tag) list->AddToQueue(*tag);
    }
}

void TfrmBaseLocalJukebox::EditMediaFolders(bool force) {
    auto* list = JukeboxList();
    if (!list || (PartyPlayEnabled() && !force) || Fscanning) return;
    const std::string before = ScanSettingsText(*list);
    Fscanning = true;
    const bool scanned = DialogEntries().EditMediaSearchOptions(*list, FadvancedScan);
    Fscanning = false;
    // The folders and masks live in the settings file: kept at once, not only at close.
    WriteDisplaySettings();
    if (scanned) {
        list->SaveGlobalList();
        list->SaveVideoList();
    }
    const bool changed = ScanSettingsText(*list) != before;
    const bool empty = list->GlobalList().Count() == 0 && list->VideoList().Count() == 0;
    const bool anyFolder = list->AudioFolders().Count() > 0 || list->VideoFolders().Count() > 0;
    // New folders are scanned at once, unless the window scanned them already.
    if (!scanned && anyFolder && (changed || empty)) MediaScan(false, false);
}

void TfrmBaseLocalJukebox::RefreshCDs(bool force) {
    auto* list = JukeboxList();
    if (!list || (PartyPlayEnabled() && !force)) return;
    bool anyDisc = false;
    std::vector<std::string> toScan;
    for (const std::string& root : SystemServices().ListCDDrives()) {
        const std::string serial = GetVolumeSerial(root);
        if (serial.empty()) continue;  // no readable disc in that drive
        anyDisc = true;
        std::error_code ec;
        if (std::filesystem::exists(list->DataFile(serial + ".dat"), ec)) continue;
        if (Prompt().AskYesNo("The CD in drive " + root + " has not been scanned before.\r\r" +
                                  "Do you wish to scan it for Mp3 files?",
                              "New CD", false))
            toScan.push_back(root);
    }
    if (!anyDisc) return;
    // Each new disc is read on a worker; its list is written and the discs reloaded on
    // the main thread once all are read.
    auto lists = std::make_shared<std::vector<std::pair<std::string, std::shared_ptr<TaudioTagList>>>>();
    for (const auto& root : toScan) {
        auto found = std::make_shared<TaudioTagList>();
        found->SetMediaSupportLevel(list->GlobalList().MediaSupportLevel());
        lists->emplace_back(root, found);
    }
    if (!FcdWorker) FcdWorker = std::make_shared<TbackgroundWorker>();
    std::weak_ptr<bool> alive = FlocalAlive;
    FcdWorker->Run([lists, alive, this] {
        for (auto& [root, found] : *lists) found->AddFolders({root}, false, nullptr);
        Dispatcher().Post([lists, alive, this] {
            if (!alive.lock()) return;
            auto* list = JukeboxList();
            if (!list) return;
            for (auto& [root, found] : *lists)
                if (!list->SaveCDList(*found, root))
                    LogError("The track list of the CD in " + root + " was not saved");
            list->LoadIndexes();  // the library again, with every disc's tracks
        });
    });
}

void TfrmBaseLocalJukebox::InitialiseLocalLayer() {
    RunGuardedStep("Error Creating Pitch Links", [&] {
        if (!Fpacemaker) Fpacemaker = CreatePacemakerLink();
        if (!Fchronotron) Fchronotron = CreateAutomationLink();
    });
    BindLocalActions();
    // The alarm clock: an on-alarm starts play, an off-alarm stops it; nothing while closing.
    Controller().JukeboxEvents().OnOnAlarm = [this](TObject*, TonOffTimerAlarm*) {
        if (!Closing() && Controller().Player()) PlayerPlay();
    };
    Controller().JukeboxEvents().OnOffAlarm = [this](TObject*, TonOffTimerAlarm*) {
        if (!Closing() && Controller().Player()) PlayerStop();
    };
    // A library that was never built (a new root) is scanned once from its audio folders,
    // off the main thread, so the window comes up and plays while it runs.
    auto* list = JukeboxList();
    if (list && list->GlobalList().Count() == 0 && list->AudioFolders().Count() > 0) MediaScan(false, false);
}

void TfrmBaseLocalJukebox::PostInitialise() {
    TfrmBaseJukebox::PostInitialise();
    RunOneShotScan();
}

void TfrmBaseLocalJukebox::RunOneShotScan() {
    // "RunScanAtStartup" asks for one scan at the next start; it is cleared at once, so a
    // scan that fails or is interrupted is not repeated at every start.
    if (StrToIntDef(ReadSettingsString("Settings", "RunScanAtStartup", "0"), 0) == 0) return;
    WriteSettingsString("Settings", "RunScanAtStartup", "0");
    MediaScan(false, false);
}

void TfrmBaseLocalJukebox::ProcessCommandLine(const std::vector<std::string>& lines) {
    TfrmBaseJukebox::ProcessCommandLine(lines);
    const bool remote = RemoteCommand();
    switch (ScanRequestOf(lines)) {
        case srRunScan:
            MediaScan(true, remote);
            break;
        case srRunScanAtStartup:
            MediaScan(false, remote);
            break;
        case srRunScanAndExit:
            // From another start it only scans (fully): closing a running jukebox because
            // someone started a second copy is not what that person asked for.
            if (remote)
                MediaScan(true, true);
            else
                MediaScan(false, false, [this] { close(); });
            break;
        case srNone:
            break;
    }
    std::error_code ec;
    const std::string folder = std::filesystem::current_path(ec).string();
    LogIgnoredCommandLineItems(lines, folder);
    QueueFiles(ExistingFileLines(lines, folder));
}

void TfrmBaseLocalJukebox::MediaScan(bool full, bool ask, std::function<void()> andThen) {
    auto* list = JukeboxList();
    if (!list) return;
    auto scan = [this, full, andThen = std::move(andThen)] {
        auto* list = JukeboxList();
        if (!list || Fscanning) return;
        Fscanning = true;
        DialogEntries().ShowMediaSearch(
            *list, true, full, [this](const std::string& text) { ShowProgressText(text); },
            [this, andThen] {
                Fscanning = false;
                ShowProgressText("");
                if (auto* l = JukeboxList()) {
                    // A library that saves itself after each change does so on its worker,
                    // from what the scan changed; writing it all here would hold the screen.
                    if (!(l->AutoSaveGlobal && l->SaveInBackground())) l->SaveGlobalList();
                    l->SaveVideoList();
                }
                if (andThen) andThen();
            });
    };
    if (!ask) {
        scan();
        return;
    }
    const std::string title = qApp->applicationName().toStdString();
    DialogEntries().StartCountdown(this, kScanCountdownMs, "Scheduled Media Scan", title + " Media Scan",
                                   title + " has received a Full Rescan request, " +
                                       "you can skip the media scan at this time by clicking \"Cancel\" in:",
                                   [scan](int result) {
                                       if (result == 1) scan();
                                   });
}

}  // namespace tunecrest
