// tunecrest-outside-player [/class=NAME] [/config=NAME] [/NoCC] [playlist or media file...]
//
// Plays the given files (an .m3u or .txt playlist is read for its entries) and answers
// the outside player's window messages. When a player window of the same class is
// already running, the files are handed to it (its list replaced, playing from the
// first) and this copy exits.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "platform/outside_player_messages.h"
#include "programs/outside_player/outside_player.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

bool IsPlaylistFile(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = name.substr(dot);
    return tunecrest::SameText(extension, ".m3u") || tunecrest::SameText(extension, ".m3u8") ||
           tunecrest::SameText(extension, ".txt");
}

// A switch is "/name" or "/name=value" with one of the player's own names (any case);
// everything else is a file, including absolute paths that begin with "/".
bool TakeSwitch(const std::string& arg, const std::string& name, std::string* value) {
    if (arg.size() < name.size() + 1 || (arg[0] != '/' && arg[0] != '-')) return false;
    if (!tunecrest::SameText(arg.substr(1, name.size()), name)) return false;
    const std::string rest = arg.substr(1 + name.size());
    if (!value) return rest.empty();
    if (rest.empty() || rest[0] != '=') return false;
    *value = rest.substr(1);
    return true;
}

// Hands the entries to the running player: its list replaced, playing from the first.
void HandOver(tunecrest::HWND window, const std::vector<std::string>& entries) {
    using namespace tunecrest;
    SendMessage(window, WM_USER, 0, kPlayerClearList);
    for (const auto& entry : entries)
        SendCopyData(window, kPlayerCopyDataAddFile, entry + std::string(1, '\0'));
    SendMessage(window, WM_USER, 0, kPlayerSetListPosition);
    SendMessage(window, WM_COMMAND, kPlayerCommandPlay, 0);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tunecrest;
    // Before the window can be found, so a stop request never kills it half-way.
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::string className = kOutsidePlayerClass;
    std::string configName;  // accepted for the launcher's sake; this player keeps no settings
    std::vector<std::string> entries;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        if (TakeSwitch(arg, "class", &value)) {
            if (!value.empty()) className = value;
        } else if (TakeSwitch(arg, "config", &value)) {
            configName = value;
        } else if (TakeSwitch(arg, "NoCC", nullptr)) {
        } else if (IsPlaylistFile(arg)) {
            for (auto& entry : ReadPlaylistFile(arg)) entries.push_back(std::move(entry));
        } else {
            entries.push_back(arg);
        }
    }

    auto dispatcher = std::make_shared<TqueueDispatcher>();
    SetDispatcher(dispatcher);
    if (const HWND running = FindWindow(className, std::nullopt)) {
        if (!entries.empty()) HandOver(running, entries);
        return 0;
    }

    gst_init(&argc, &argv);
    int exitCode = 0;
    {
        ToutsidePlayer player(className);
        if (!player.IsOpen()) {
            std::cerr << "tunecrest-outside-player: cannot open the player window\n";
            exitCode = 1;
        } else {
            if (!entries.empty()) player.OpenPlaylist(entries);
            player.Run(*dispatcher, gStop);
        }
    }
    SetDispatcher(nullptr);
    return exitCode;
}
