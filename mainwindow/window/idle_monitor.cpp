#include "mainwindow/window/idle_monitor.h"

#include <algorithm>

#include "mainwindow/settings/display_settings.h"

namespace tunecrest {

TidleMonitor::TidleMonitor(Tclock clock) : Fclock(std::move(clock)) { FlastTick = Fclock(); }

void TidleMonitor::SetEnabled(bool on) {
    Fenabled = on;
    FlastTick = Fclock();
    if (OnTimerEnabled) OnTimerEnabled(on);
}

void TidleMonitor::SetTimeout(int minutes) { Ftimeout = ClampScreenSaverTimeout(minutes); }

void TidleMonitor::Tick() {
    const int64_t now = Fclock();
    // A stalled event loop must not count as a long quiet spell: at most two intervals.
    const int64_t elapsed = std::clamp<int64_t>(now - FlastTick, 0, 2 * kInterval);
    FlastTick = now;
    if (!Ask(HasScreenSaver)) {
        Factivity = 0;
        return;
    }
    if (Factivity >= 5 || (FdisableDuringVideo && Ask(PlayingVideo))) {
        FidleTime = 0;
        if (Ask(ScreenSaverVisible)) {
            if (OnCloseScreenSaver) OnCloseScreenSaver();
            if (!Fenabled) SetEnabled(false);
        }
        Factivity = 0;
        return;
    }
    if (Ask(ScreenSaverVisible)) {
        FidleTime = 0;
        Factivity = 0;
        return;
    }
    FidleTime += elapsed;
    const double minutes = Ftimeout == 0 ? 0.1 : double(Ftimeout);
    if (!Ask(MainWindowActive)) {
        FidleTime = 0;
        Factivity = 0;
        return;
    }
    if (minutes * 1000 * 60 >= double(FidleTime)) {
        Factivity = 0;
        return;
    }
    StartScreenSaver();
    Factivity = 0;
}

void TidleMonitor::StartScreenSaver() {
    Factivity = -12;
    if (OnStartScreenSaver) OnStartScreenSaver();
    FidleTime = 0;
    FlastTick = Fclock();
}

}  // namespace tunecrest
