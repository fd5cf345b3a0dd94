// The program entry: one running copy per user, the main window's start-up phases, the
// event loop, and the close-down with an optional power-off once everything is saved.
#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/command_line.h"
#include "mainwindow/exception_log.h"
#include "mainwindow/jukebox_folders.h"
#include "mainwindow/main_form.h"
#include "mainwindow/qt_dispatcher.h"
#include "mainwindow/qt_prompt.h"
#include "mainwindow/single_instance.h"
#include "mainwindow/window_entries.h"
#include "platform/launch_program.h"
#include "platform/linux_system_services.h"
#include "windows/about_box.h"
#include "windows/skinned_prompt.h"

using namespace tunecrest;

namespace {
// Runs one start-up phase; a failure shows "Error" with the phase's text and start-up goes on.
template <typename Phase>
void RunPhase(const char* text, Phase phase) {
    try {
        phase();
    } catch (const std::exception& e) {
        LogError(std::string(text) + ": " + e.what());
        Prompt().ShowMessage(std::string(text) + "\r\n\r\n" + e.what(), "Error");
    }
}
}  // namespace

int main(int argc, char** argv) {
    // Exceptions that escape an event handler are logged and the loop goes on.
    TtunecrestApplication app(argc, argv);
    app.setApplicationName(kApplicationTitle);
    // Bound here, on the thread that runs the event loop, before any worker exists.
    InstallQtDispatcher();
    SetPrompt(std::make_shared<TqtPrompt>());
    // Core's messages and questions appear as the skinned dialogs of the touch screen. An
    // unattended run (no real display) keeps the prompt that answers without waiting.
    if (QGuiApplication::platformName() != QLatin1String("offscreen") &&
        QGuiApplication::platformName() != QLatin1String("minimal"))
        InstallSkinnedPrompt();
    SetSystemServices(std::make_shared<TlinuxSystemServices>());

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // The folder of the program file itself: argv[0] is only the name typed, which for a
    // program found on PATH (an installed one, a desktop entry's "tunecrest") has no folder.
    std::string programFolder = ProgramFolder();
    if (programFolder.empty())
        programFolder = std::filesystem::absolute(argv[0]).parent_path().string();

    int64_t mutex = 0;
    if (!CreateInstanceMutex(mutex, "")) {
        RunPhase("Error Passing info to Main Window", [&] {
            // File names are made absolute here: the running copy has its own working folder.
            std::error_code ec;
            const auto params = AbsoluteFileParams(args, std::filesystem::current_path(ec).string());
            if (!SendParamsToRunningInstance(kMainWindowClass, params)) return;
            if (HWND window = FindWindow(std::string(kMainWindowClass), std::nullopt))
                SendMessage(window, kBringForwardMessage, 0, 0);
        });
        return 0;
    }
    // The message window opens before the library loads, so a second start is answered
    // at once; what it hands over runs after start-up.
    TcommandLineReceiver receiver(kMainWindowClass);

    // In a build tree the tag plug-ins beside the program are the loader's, unless the root
    // brings its own. An installed program's shipped folder is not the user's to write
    // (the plug-ins' settings file lives there): they are linked into the root's folder.
    const TshippedFolders shipped(programFolder);
    if (shipped.BesideProgram() && std::filesystem::is_directory(shipped.TagPluginsFolder()))
        TaggerLoader().SetPluginFolder(shipped.TagPluginsFolder());

    // The log of the root from the start: what the window finds while it is built (a
    // mappings file that is no file) is logged there too once the data folder exists.
    SetErrorLogFile(TjukeboxFolders(args, programFolder).DataFolder() + "log.log");

    int result = 0;
    bool shutdown = false;
    {
        // Made before the window and gone after it: the window and its windows report
        // to it to the end.
        TfrmTunecrestAbout2 about;
        TfrmTunecrestMain form(args, programFolder);
        if (form.StartupFailed()) return 1;
        InstallWindowEntries(form);
        form.SetMessageWindow(receiver.Handle());
        SetErrorLogFile(form.Folders().DataFolder() + "log.log");
        app.SetExceptionLogFile(form.Folders().DataFolder() + "log.log");
        // The about box shows the start-up phases as its progress window and closes once
        // the library is ready, also when a phase failed.
        form.SetProgressWindow(&about);
        std::optional<TprogressScope> progress;
        constexpr int kPhases = 3;
        RunPhase("Error Starting Progress Info", [&] {
            progress.emplace(&about, qApp->applicationName().toStdString() + " is Starting Up");
            about.SetProgress(0, kPhases);
        });
        RunPhase("Error Loading Settings", [&] {
            about.SetStatusText("Loading Settings");
            form.ReadDisplaySettings();
            about.SetProgress(1, kPhases);
        });
        RunPhase("Error in DoInitialise", [&] {
            about.SetStatusText("Loading the Library");
            form.DoInitialise();
            about.SetProgress(2, kPhases);
        });
        RunPhase("Error in Ready Code", [&] {
            about.SetProgress(kPhases, kPhases);
            progress.reset();
            form.HideProgress();
        });
        // The about box stays the progress window: list work and tree rebuilds report to it.
        RunPhase("Error on Show", [&] { form.show(); });
        RunPhase("Error on Update", [&] { form.update(); });
        RunPhase("Error on Post Initialise", [&] { form.PostInitialise(); });
        // Another start brings the window forward as it is: full screen stays full screen.
        receiver.OnBringForward = [&form] { form.BringForward(); };
        // The program ends with its window, also when other windows are still open.
        form.OnClosed = [] { QCoreApplication::exit(0); };
        // Other programs' messages (WM_USER commands, media-key commands) reach the
        // window's message doors on the main thread.
        receiver.SetMessageHandler(
            [&form](uint32_t msg, WPARAM wParam, LPARAM lParam) { form.WndProc(msg, wParam, lParam); });
        receiver.SetReady([&form](const std::vector<std::string>& lines) { form.RunRemoteCommandLine(lines); });
        if (!form.Closed()) result = app.exec();
        shutdown = form.ShutdownRequested();
        receiver.OnBringForward = nullptr;
        receiver.SetReady([](const std::vector<std::string>&) {});
        receiver.SetMessageHandler({});
        form.OnClosed = nullptr;
        // The close-down programs are started before the process ends (a waiting one
        // holds the rest back, up to its limit).
        form.WaitForClosePrograms();
        form.SetProgressWindow(nullptr);
    }
    CloseInstanceMutex(mutex);
    if (shutdown) {
        std::string message = "Shutting Down";
        if (!ShutdownWindows(message)) LogError(message);
    }
    return result;
}
