#pragma once
// Counts user input and idle time for the screen saver. Input raises an activity
// counter (a mouse move 1, any other mouse event 8, a key 6); every tick of the main
// window's idle timer reads and clears it. Five or more within one tick is activity:
// idle time restarts and a showing saver closes. Quiet ticks add the time the injected
// clock says has passed, while the main window is the active window and no saver shows;
// past the time-out the screen-saver hook runs once.
#include <cstdint>
#include <functional>

namespace tunecrest {

class TidleMonitor {
public:
    using Tclock = std::function<int64_t()>;  // milliseconds, never going back

    static constexpr int kInterval = 500;  // the idle timer's interval in milliseconds

    explicit TidleMonitor(Tclock clock);

    // Surroundings the tick looks at; each may be left empty (then false).
    std::function<bool()> HasScreenSaver;       // a screen saver exists at all
    std::function<bool()> ScreenSaverVisible;
    std::function<bool()> MainWindowActive;
    std::function<bool()> PlayingVideo;         // the current track is a video
    // Hooks: show the saver (StartScreenSaver's work) and close it.
    std::function<void()> OnStartScreenSaver;
    std::function<void()> OnCloseScreenSaver;
    // The idle timer should run (true) or stop (false).
    std::function<void(bool)> OnTimerEnabled;

    void MouseMoved() { Factivity += 1; }
    void MouseButton() { Factivity += 8; }
    void KeyDown() { Factivity += 6; }
    int Activity() const { return Factivity; }

    void SetEnabled(bool on);
    bool Enabled() const { return Fenabled; }
    // Minutes; above 60 or negative becomes 60.
    void SetTimeout(int minutes);
    int Timeout() const { return Ftimeout; }
    void SetDisableDuringVideo(bool on) { FdisableDuringVideo = on; }

    int64_t IdleTime() const { return FidleTime; }
    // One tick of the idle timer.
    void Tick();
    // Starts the saver now (also called by the tick at the time-out).
    void StartScreenSaver();

private:
    static bool Ask(const std::function<bool()>& f) { return f && f(); }
    Tclock Fclock;
    int64_t FlastTick = 0;
    int64_t FidleTime = 0;
    int Factivity = 0;
    int Ftimeout = 5;
    bool Fenabled = false;
    bool FdisableDuringVideo = true;
};

}  // namespace tunecrest
