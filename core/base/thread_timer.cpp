#include "core/base/thread_timer.h"

#include <chrono>
#include <exception>
#include <string>

#include "core/base/services.h"

namespace tunecrest {

tmyjvthreadTimer::tmyjvthreadTimer() = default;

tmyjvthreadTimer::~tmyjvthreadTimer() {
    {
        std::lock_guard lock(Fmutex);
        Fterminated = true;
        Fenabled = false;
        ++Fperiod;
    }
    // A worker waiting for the main thread to run its tick gives up instead of
    // waiting for a main thread that is busy destroying this timer.
    Fcancel = true;
    Fwake.notify_all();
    if (Fworker.joinable()) Fworker.join();
}

bool tmyjvthreadTimer::Enabled() const {
    std::lock_guard lock(Fmutex);
    return Fenabled;
}

void tmyjvthreadTimer::SetEnabled(bool on) {
    {
        std::lock_guard lock(Fmutex);
        if (on == Fenabled) return;
        Fenabled = on;
        ++Fperiod;
        if (on && !Fworker.joinable()) Fworker = std::thread([this] { Execute(); });
    }
    Fwake.notify_all();
}

int tmyjvthreadTimer::Interval() const {
    std::lock_guard lock(Fmutex);
    return Finterval;
}

void tmyjvthreadTimer::SetInterval(int ms) {
    std::lock_guard lock(Fmutex);
    Finterval = ms < 1 ? 1 : ms;
}

TNotifyEvent tmyjvthreadTimer::OnTimer() const {
    std::lock_guard lock(Fmutex);
    return FonTimer;
}

void tmyjvthreadTimer::SetOnTimer(TNotifyEvent handler) {
    std::lock_guard lock(Fmutex);
    FonTimer = std::move(handler);
}

bool tmyjvthreadTimer::NoSynchronize() const {
    std::lock_guard lock(Fmutex);
    return FnoSynchronize;
}

void tmyjvthreadTimer::SetNoSynchronize(bool on) {
    std::lock_guard lock(Fmutex);
    FnoSynchronize = on;
}

void tmyjvthreadTimer::Execute() {
    std::unique_lock lock(Fmutex);
    while (!Fterminated) {
        if (!Fenabled) {
            Fwake.wait(lock, [this] { return Fterminated || Fenabled; });
            continue;
        }
        // One period: a full interval counted from now, ended early by disabling,
        // re-enabling or destruction (each changes Fperiod).
        const uint64_t period = Fperiod;
        const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(Finterval);
        if (Fwake.wait_until(lock, due, [&] { return Fterminated || Fperiod != period; })) continue;

        const bool direct = FnoSynchronize;
        lock.unlock();
        // A failing handler is logged; it must not end the worker (and with it the program).
        try {
            if (direct)
                Tick(period);
            else
                Dispatcher().Synchronize([this, period] { Tick(period); }, &Fcancel);
        } catch (const std::exception& e) {
            LogError(std::string("Timer handler failed: ") + e.what());
        } catch (...) {
            LogError("Timer handler failed");
        }
        lock.lock();
    }
}

void tmyjvthreadTimer::Tick(uint64_t period) {
    TNotifyEvent handler;
    {
        std::lock_guard lock(Fmutex);
        // Disabled (or disabled and enabled again) while this tick waited for the main thread.
        if (Fperiod != period || !Fenabled) return;
        handler = FonTimer;
    }
    if (handler) handler(this);
}

}  // namespace tunecrest
