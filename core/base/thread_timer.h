#pragma once
// A timer whose ticks come from a worker thread. The handler runs on the main thread
// through Dispatcher() (the worker waits for it), or, with NoSynchronize, on the
// worker thread itself, where it must guard whatever it touches.
//
// Stopping is cooperative: the worker sleeps on a condition variable, so disabling
// or destroying wakes it at once instead of freezing it wherever it happens to be.
// A tick that was handed to the main thread but has not run yet is dropped when the
// timer is disabled or destroyed, and destroying never waits on the main thread, so
// a timer can be destroyed on the main thread while its tick is pending.
//
// Destroy the timer on the main thread (or, with NoSynchronize, anywhere but inside
// its own handler).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/base/event_lists.h"

namespace tunecrest {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class tmyjvthreadTimer : public TObject {
  public:
    static constexpr int kDefaultInterval = 100;

    tmyjvthreadTimer();
    ~tmyjvthreadTimer() override;
    tmyjvthreadTimer(const tmyjvthreadTimer&) = delete;
    tmyjvthreadTimer& operator=(const tmyjvthreadTimer&) = delete;

    bool Enabled() const;
    // Enabling waits a full interval before the first tick, also after a pause.
    void SetEnabled(bool on);
    int Interval() const;
    // Milliseconds between ticks (the time the handler takes comes on top); values
    // below 1 are taken as 1.
    void SetInterval(int ms);
    TNotifyEvent OnTimer() const;
    // Sender is this timer.
    void SetOnTimer(TNotifyEvent handler);
    // Kept for the settings that name it; the worker runs at the normal priority.
    TThreadPriority ThreadPriority() const { return FthreadPriority; }
    void SetThreadPriority(TThreadPriority priority) { FthreadPriority = priority; }
    bool NoSynchronize() const;
    void SetNoSynchronize(bool on);

  private:
    void Execute();
    // Calls the handler unless the period it belongs to has ended (disabled or restarted).
    void Tick(uint64_t period);

    mutable std::mutex Fmutex;
    std::condition_variable Fwake;
    std::thread Fworker;  // started at the first enabling
    bool Fenabled = false;
    bool Fterminated = false;
    int Finterval = kDefaultInterval;
    bool FnoSynchronize = false;
    TNotifyEvent FonTimer;
    // Counts enablings and disablings: a wait or a pending tick of an earlier period is void.
    std::atomic<uint64_t> Fperiod{0};
    // Set at destruction: a synchronised call still waiting for the main thread gives up.
    std::atomic<bool> Fcancel{false};
    TThreadPriority FthreadPriority = tpNormal;
};

}  // namespace tunecrest
