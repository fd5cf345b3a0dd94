// The product layer's player choice: which engine plays, asked once on the first run when
// an outside player is installed, and kept in the settings.
#include <QApplication>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "mainwindow/command_line.h"
#include "mainwindow/main_form.h"
#include "mainwindow/single_instance.h"
#include "platform/launch_program.h"
#include "playback/outside_player_engine.h"

namespace tunecrest {

bool TfrmBaseJukebox::HasCreditModeSwitch() const {
    return HasSwitch(Fargs, "creditmode");
}

std::string TfrmCustomTunecrest::FindOutsidePlayer() const {
    // Only an outside player the owner installed counts; the stand-in that ships beside
    // this program is not one, so a first start asks nothing and plays in-process.
    const std::string installed = FindOnPath(TcustomWinampPlayer::kProgramName);
    if (installed.empty()) return "";
    std::error_code ec;
    const auto folder = std::filesystem::weakly_canonical(installed, ec);
    const auto ours = std::filesystem::weakly_canonical(ProgramFolder(), ec);
    return folder == ours ? "" : installed;
}

void TfrmCustomTunecrest::ChoosePlayerType() {
    std::vector<std::string> items;
    for (const auto& a : Fargs) items.push_back(StripSwitchPrefix(a));
    std::string type = CommandLineValue(items, "PlayerType");
    if (type.empty()) {
        type = "DSHOW";
        const std::string title = kApplicationTitle;
        if (FirstRun() && !FindOutsidePlayer().empty()) {
            const std::string question =
                "This is the first time that you have run " + title + "\r\n\r\n" + title +
                " can use DirectShow (default) for audio playback but " +
                "it is recommended that you use Winamp for greater flexibility and support for more file "
                "formats." +
                "\r\n\r\nWould you like to use Winamp for audio playback?\r\n\r\n" +
                "* Note that the use of Winamp requires Winamp (2.9+ or 5.0+) to be already installed.";
            if (Prompt().AskYesNo(question, "Initial Configuration", false)) type = "WINAMP";
        } else if (!FirstRun()) {
            type = SettingsStore().Open().ReadString("Player", "PlayerType", "DSHOW");
        }
    }
    // Stored at start-up without the restart message.
    FsettingPlayerType = true;
    SetPlayerType(type);
    FsettingPlayerType = false;
}

void TfrmCustomTunecrest::SetPlayerType(const std::string& type) {
    const std::string stored = SameText(type, "WINAMP") ? "WINAMP" : "DSHOW";
    TiniFile ini = SettingsStore().Open();
    const std::string before = ini.ReadString("Player", "PlayerType", "");
    FplayerType = FsettingPlayerType ? stored : FplayerType;
    FstoredPlayerType = stored;
    if (Taction* a = Actions().Find("actnFileShowWinamp")) a->Checked = stored == "WINAMP";
    if (before == stored) return;
    ini.WriteString("Player", "PlayerType", stored);
    std::string error;
    if (!SettingsStore().Save(ini, &error)) LogError("settings.ini was not written: " + error);
    if (!FsettingPlayerType)
        Prompt().ShowMessage("You must close and restart " + GetProductTitle() +
                                 " for this setting change to take effect.",
                             "Close Application");
}

}  // namespace tunecrest
