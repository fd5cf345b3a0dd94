// The local-library layer of the main window: media scans (from the menu, the command
// line, another start and the one-shot setting), queueing files named on the command
// line, and the jukebox's alarms switching play on and off.
#include <QApplication>
#include <filesystem>

#include "core/ini_file.h"
#include "core/services.h"
#include "mainwindow/command_line.h"
#include "mainwindow/main_form.h"

namespace tunecrest {

namespace {
constexpr int kScanCountdownMs = 15000;
}

void TfrmBaseLocalJukebox::InitialiseLocalLayer() {
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
    TiniFile ini = SettingsStore().Open();
    if (!ini.ReadBool("Settings", "RunScanAtStartup", false)) return;
    ini.WriteBool("Settings", "RunScanAtStartup", false);
    std::string error;
    if (!SettingsStore().Save(ini, &error)) LogError("settings.ini was not written: " + error);
    MediaScan(false, false);
}

void TfrmBaseLocalJukebox::ProcessCommandLine(const std::vector<std::string>& lines) {
    TfrmBaseJukebox::ProcessCommandLine(lines);
    const bool remote = RemoteCommand();
    switch (ScanRequestOf(lines)) {
        case srRunScan: MediaScan(true, remote); break;
        case srRunScanAtStartup: MediaScan(false, remote); break;
        case srRunScanAndExit:
            // From another start it only scans (fully): closing a running jukebox because
            // someone started a second copy is not what that person asked for.
            if (remote) MediaScan(true, true);
            else MediaScan(false, false, [this] { close(); });
            break;
        case srNone: break;
    }
    auto* list = JukeboxList();
    if (!list) return;
    for (const std::string& file : ExistingFileLines(lines, std::filesystem::current_path().string())) {
        TaudioTagPtr tag;
        int index = -1;
        if (list->FileIndex().Find(file, index)) tag = list->FileIndex().ObjectAs<TaudioTag>(index);
        if (!tag) tag = list->GlobalList().CreateTagFromFile(file);
        if (tag) list->AddToQueue(*tag);
    }
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
                if (auto* l = JukeboxList()) l->SaveGlobalList();
                if (andThen) andThen();
            });
    };
    if (!ask) {
        scan();
        return;
    }
    const std::string title = qApp->applicationName().toStdString();
    DialogEntries().StartCountdown(
        this, kScanCountdownMs, "Scheduled Media Scan", title + " Media Scan",
        title + " has received a Full Rescan request, " +
            "you can skip the media scan at this time by clicking \"Cancel\" in:",
        [scan](int result) {
            if (result == 1) scan();
        });
}

}  // namespace tunecrest
