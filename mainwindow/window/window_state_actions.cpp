// The song title banner's own action: its scrolling switched on and off.
#include "mainwindow/window/main_form.h"

namespace tunecrest {

void TfrmBaseJukebox::BindWindowStateActions() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bind("actnSettingsScrollSongTitle", [this](Taction&) { SetSongTitleScroll(!Fsettings.SongTitleScroll); });
}

}  // namespace tunecrest
