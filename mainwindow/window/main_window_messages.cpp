// The main window's doors for other programs and for remote control: the command-line
// items, the window messages (0x401, WM_APPCOMMAND, WM_USER command numbers), the media
// keys, the status messages, and the parts that remote control adds to the window's life:
// the controller hub, the programs started at start-up and at close, and the switch that
// keeps the desktop's screen saver off during video.
#include <QKeyEvent>
#include <cstdio>

#include "core/base/ini_file.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "mainwindow/instance/command_line.h"
#include "mainwindow/window/guarded_step.h"
#include "mainwindow/window/idle_monitor.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/instance/single_instance.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "remote/screen_saver_disabler.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {
// The prefix that gives status messages their look in the status window.
constexpr const char* kStatusFont = "<font color=#FFFFFF size=14 name=\"arial\">";
constexpr int kStatusMessageMs = 2000;

// The WM_APPCOMMAND command of a media key; 0 for any other key.
uint32_t AppCommandOfKey(int key) {
    switch (key) {
        case Qt::Key_VolumeDown:
            return APPCOMMAND_VOLUME_DOWN;
        case Qt::Key_VolumeUp:
            return APPCOMMAND_VOLUME_UP;
        case Qt::Key_MediaNext:
            return APPCOMMAND_MEDIA_NEXTTRACK;
        case Qt::Key_MediaPrevious:
            return APPCOMMAND_MEDIA_PREVIOUSTRACK;
        case Qt::Key_MediaStop:
            return APPCOMMAND_MEDIA_STOP;
        case Qt::Key_MediaPlay:
        case Qt::Key_MediaPause:
        case Qt::Key_MediaTogglePlayPause:
            return APPCOMMAND_MEDIA_PLAY_PAUSE;
        default:
            return 0;
    }
}
}  // namespace

LRESULT TfrmBaseJukebox::WndProc(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kBringForwardMessage) return LRESULT(winId());
    if (msg == WM_APPCOMMAND) return HandleAppCommand(*this, lParam) ? 1 : 0;
    return FwndProc->WndProc(msg, wParam, lParam);
}

bool TfrmBaseJukebox::HandleMediaKey(int qtKey) {
    const uint32_t command = AppCommandOfKey(qtKey);
    if (command == 0) return false;
    // The same road as the message from outside: the key's action runs like a click.
    WndProc(WM_APPCOMMAND, 0, LPARAM(command) << 16);
    return true;
}

void TfrmBaseJukebox::ProcessCommandLine(const std::vector<std::string>& lines) {
    if (const std::string slot = CommandLineValue(lines, "ActivateSlot"); !slot.empty())
        ExecuteSlotCommand(StrToIntDef(slot, 0));
    if (const std::string playlist = CommandLineValue(lines, "ActivatePlaylist");
        !playlist.empty() && JukeboxList())
        JukeboxList()->ActivatePlaylist(playlist);
    if (const std::string message = CommandLineValue(lines, "Message"); !message.empty()) {
        // Sent to this window, so it runs at once, inside the command line's processing.
        const TmessageItem item = ParseMessageItem(message);
        WndProc(WM_USER, item.WParam, item.LParam);
    }
}

void TfrmBaseJukebox::RunRemoteCommandLine(const std::vector<std::string>& lines) {
    struct Tflag {
        bool& flag;
        explicit Tflag(bool& f) : flag(f) { flag = true; }
        ~Tflag() { flag = false; }
    } remote(FremoteCommand);
    ProcessCommandLine(lines);
}

void TfrmBaseJukebox::ShowStatusMessage(const std::string& text) {
    if (!Fsettings.ShowMessages) return;
    ::tunecrest::ShowStatusMessage(*this, kStatusFont + text, kStatusMessageMs);
}

std::string TfrmBaseJukebox::ReadSettingsString(const std::string& section, const std::string& key,
                                                const std::string& def) {
    return FsettingsStore->Open().ReadString(section, key, def);
}

bool TfrmBaseJukebox::WriteSettingsString(const std::string& section, const std::string& key,
                                          const std::string& value) {
    TiniFile ini = FsettingsStore->Open();
    ini.WriteString(section, key, value);
    std::string error;
    if (FsettingsStore->Save(ini, &error)) return true;
    LogError("settings.ini was not written: " + error);
    return false;
}

bool TfrmBaseJukebox::ExecuteSlotCommand(int slot) {
    bool done = false;
    if (slot >= 1 && JukeboxList()) done = JukeboxList()->Jukebox()->Slots().ExecuteSlot(slot - 1);
    ShowStatus((done ? "Activated Slot " : "Couldn't Activate Slot ") + std::to_string(slot));
    return done;
}

void TfrmBaseJukebox::ControllerCommand(Tcontroller*, TcontrollerPlugin*, std::string&) {
    if (FidleMonitor) FidleMonitor->KeyDown();
}

std::unique_ptr<TscreenSaverDisabler> TfrmBaseJukebox::CreateScreenSaverDisabler() {
    return std::make_unique<TscreenSaverDisabler>();
}

void TfrmBaseJukebox::CreateRemoteParts() {
    RunGuardedStep("Error Creating FscreenSaverDisabler",
                   [&] { FscreenSaverDisabler = CreateScreenSaverDisabler(); });
    RunGuardedStep("Error Creating FappLaunchOpen",
                   [&] { FappLaunchOpen = std::make_unique<TappLauncherList>(); });
    RunGuardedStep("Error Creating FappLaunchClose",
                   [&] { FappLaunchClose = std::make_unique<TappLauncherList>(); });
    RunGuardedStep("Error Creating Fcontroller", [&] {
        FcontrollerHub = std::make_unique<Tcontroller>();
        FcontrollerHub->SetMainWindowActions(this);
        FcontrollerHub->OnControllerCallback = [this](Tcontroller* sender, TcontrollerPlugin* plugin,
                                                      std::string& command) {
            ControllerCommand(sender, plugin, command);
        };
    });
    RunGuardedStep("Error Creating FbuttonList", [&] {
        FbuttonList =
            std::make_unique<TactionButtonPad>(FcontrollerHub ? &FcontrollerHub->ActionList() : nullptr);
    });
    Fcontroller.OnBlockScreenSaver = [this](bool on) {
        if (FscreenSaverDisabler) FscreenSaverDisabler->SetActive(on);
    };
    // The message component listens to every message; WM_USER itself shows what came.
    FwndProc->OnDoWndProc = [this](TMessage& msg) {
        if (msg.Msg != WM_USER) return;
        char text[64];
        std::snprintf(text, sizeof text, "Got Message - w:%d, l:%d", int(msg.WParam), int(msg.LParam));
        ShowStatusMessage(text);
    };
    BindCommandActions();
}

void TfrmBaseJukebox::BindCommandActions() {
    // Handlers other parts of the window have not given already.
    auto bindIfFree = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bindIfFree("actnActivateSlot", [this](Taction&) { ExecuteSlotCommand(int(FcommandMessage.LParam)); });
    for (int i = 1; i <= 12; ++i)
        bindIfFree(("actnSlotActivate" + std::to_string(i)).c_str(),
                   [this](Taction& a) { ExecuteSlotCommand(a.Tag); });
    bindIfFree("actnFileLaunchAtStart", [this](Taction&) {
        if (FappLaunchOpen) Fdialogs->EditLaunchers(*FappLaunchOpen, "Launch on Open");
    });
    bindIfFree("actnFileLaunchAtClose", [this](Taction&) {
        if (FappLaunchClose) Fdialogs->EditLaunchers(*FappLaunchClose, "Launch on Close");
    });
    bindIfFree("actnViewShowActionButtonPad", [this](Taction&) {
        if (FbuttonList) Fdialogs->ShowActionButtonPad(*FbuttonList);
    });
    bindIfFree("actnSettingsShowMessages", [this](Taction& a) {
        Fsettings.ShowMessages = !Fsettings.ShowMessages;
        a.Checked = Fsettings.ShowMessages;
    });
    bindIfFree("actnRandomPlayEnabled", [this](Taction& a) {
        if (!JukeboxList()) return;
        const bool on = !JukeboxList()->Jukebox()->RandomPlayActive();
        JukeboxList()->SetRandomPlayActive(on);
        a.Checked = JukeboxList()->Jukebox()->RandomPlayActive();
        ShowStatus(std::string("Random Play ") + (a.Checked ? "Enabled" : "Disabled"));
    });
    bindIfFree("actnPlaylistEnabled", [this](Taction&) {
        if (!JukeboxList()) return;
        JukeboxList()->ActivatePlaylist("");
        ShowStatus("Playlist Deactivated");
    });
    bindIfFree("actnRandomPlayClearFilters", [this](Taction&) {
        if (!JukeboxList()) return;
        JukeboxList()->Jukebox()->Filter().Clear();
        JukeboxList()->SaveRules();
        JukeboxList()->Jukebox()->RefillRandomList();
        ShowStatus("Filters Cleared");
    });
}

void TfrmBaseJukebox::ReadRemoteSettings(const TiniFile& ini) {
    // The hub's actions come first: the pad's list keeps only names the hub has.
    if (!FhubLoaded) {
        FhubLoaded = true;
        RunGuardedStep("Error Loading Fcontroller", [&] {
            if (!FcontrollerHub) return;
            const std::string plugins = Folders().ControlPluginsFolder();
            FcontrollerHub->Load(Folders().SettingsFolder() + "controlactions.ini", plugins, false,
                                 uintptr_t(FmessageWindow), plugins + "settings.ini");
        });
    }
    if (FbuttonList) {
        FbuttonList->Clear();
        FbuttonList->LoadFromIni(ini, "ButtonList");
        FbuttonList->LoadSettings(ini, "ActionButtonPad");
    }
    // Read afresh each time, so reading the settings again does not start programs twice.
    if (FappLaunchOpen) {
        FappLaunchOpen->Clear();
        FappLaunchOpen->LoadFromIni(ini, "LaunchStartup");
    }
    if (FappLaunchClose) {
        FappLaunchClose->Clear();
        FappLaunchClose->LoadFromIni(ini, "LaunchClose");
    }
    if (Taction* a = Factions->Find("actnSettingsShowMessages")) a->Checked = Fsettings.ShowMessages;
}

void TfrmBaseJukebox::WriteRemoteSettings(TiniFile& ini) {
    if (FappLaunchOpen) FappLaunchOpen->SaveToIni(ini, "LaunchStartup");
    if (FappLaunchClose) FappLaunchClose->SaveToIni(ini, "LaunchClose");
    if (FbuttonList) {
        FbuttonList->SaveToIni(ini, "ButtonList");
        FbuttonList->SaveSettings(ini, "ActionButtonPad");
    }
}

void TfrmBaseJukebox::StartRemoteParts() {
    // Started detached; a program waited for holds back only the ones after it.
    RunGuardedStep("Error Launching Startup Programs", [&] {
        if (FappLaunchOpen) FappLaunchOpen->ExecuteAll();
    });
}

void TfrmBaseJukebox::ReportDuplicateMessages() {
    std::vector<std::string> list;
    if (!FindDuplicateWndProcActions(MessageActions(), list)) return;
    std::string text = "Duplicate Messages Found\r\n";
    for (const auto& line : list) text += line + "\r\n";
    Prompt().ShowMessage(text, kApplicationTitle);
}

void TfrmBaseJukebox::StopRemoteParts() {
    if (FscreenSaverDisabler) FscreenSaverDisabler->SetActive(false);
    RunGuardedStep("Error saving Fcontroller", [&] {
        std::string error;
        if (FcontrollerHub && !FcontrollerHub->Save(&error))
            LogError("The remote-control settings were not saved: " + error);
    });
    // A waiting program holds back the ones after it; the program waits for the run to
    // reach its end before the process ends (WaitForClosePrograms).
    FcloseProgramsStarted = !FappLaunchClose;
    RunGuardedStep("Error Launching Close Programs", [&] {
        if (FappLaunchClose) FappLaunchClose->ExecuteAll([this] { FcloseProgramsStarted = true; });
    });
    if (!FappLaunchClose) FcloseProgramsStarted = true;
}

}  // namespace tunecrest
