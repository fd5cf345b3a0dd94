#pragma once
// Keeps the desktop's screen saver and monitor power saving from starting while the jukebox
// plays (it shows its own screen saver instead). While active it holds an inhibit on the
// session's org.freedesktop.ScreenSaver service and switches off the display's screen-saver
// and power-saving time-outs; when it becomes inactive it releases the inhibit and puts back
// only the time-outs it switched off. An object that was never active changes nothing.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _GDBusConnection;  // GIO's bus connection

namespace tunecrest {

// The display's time-outs in seconds (0 = off), read and written as one set.
class TscreenTimeouts {
public:
    virtual ~TscreenTimeouts() = default;
    virtual bool Read(std::vector<int>& values) = 0;
    virtual bool Write(const std::vector<int>& values) = 0;
};

// The X11 screen-saver time-out and the three DPMS time-outs (standby, suspend, off) of the
// display named by DISPLAY (or `displayName`); nullptr when no display can be opened.
std::unique_ptr<TscreenTimeouts> OpenX11ScreenTimeouts(const std::string& displayName = "");

class TscreenSaverDisabler {
public:
    // `busAddress` empty: the session bus. `timeouts` may be null (no display).
    explicit TscreenSaverDisabler(std::unique_ptr<TscreenTimeouts> timeouts = OpenX11ScreenTimeouts(),
                                  std::string busAddress = "");
    ~TscreenSaverDisabler();
    TscreenSaverDisabler(const TscreenSaverDisabler&) = delete;
    TscreenSaverDisabler& operator=(const TscreenSaverDisabler&) = delete;

    bool Active() const { return Factive; }
    // Setting the value it already has does nothing. The D-Bus calls run on a worker
    // thread in the order they were asked for, so the caller never waits on the bus.
    void SetActive(bool active);
    // Waits until the bus work asked for so far is done.
    void WaitForBus();

private:
    void Post(std::function<void()> job);
    void WorkerLoop();
    void Inhibit();
    void UnInhibit();

    bool Factive = false;
    std::unique_ptr<TscreenTimeouts> Ftimeouts;
    std::vector<int> Fsaved;         // the values found when it became active
    std::vector<bool> FswitchedOff;  // which of them it set to 0

    // Bus side, used only by the worker thread.
    std::string FbusAddress;
    ::_GDBusConnection* Fbus = nullptr;
    bool FbusFailed = false;
    unsigned FcookieHeld = 0;
    bool FholdsInhibit = false;

    std::mutex Fmutex;
    std::condition_variable Fwake, Fidle;
    std::deque<std::function<void()>> Fjobs;
    bool Fbusy = false, Fstopping = false;
    std::thread Fworker;
};

}  // namespace tunecrest
