#pragma once
// The timers of the skinned controls (held repeat of buttons and scroll bars, the
// scrolling banner). Controls never wait in a loop: they start a timer and act when it
// fires, so the screen keeps playing while a finger rests on a button. Tests install a
// factory of manual timers and fire them by hand, so timing is checked without sleeping.
#include <functional>
#include <memory>

namespace tunecrest {

class TcontrolTimer {
public:
    virtual ~TcontrolTimer() = default;
    // (Re)starts the timer: it fires every `milliseconds` until stopped.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
    // Called on the main thread each time the timer fires.
    std::function<void()> OnTimer;
};

using TcontrolTimerFactory = std::function<std::unique_ptr<TcontrolTimer>()>;

// A timer from the installed factory (QTimer-based unless a test installed its own).
std::unique_ptr<TcontrolTimer> MakeControlTimer();
// Installs `factory`; an empty function restores the QTimer one. Returns the previous one.
TcontrolTimerFactory SetControlTimerFactory(TcontrolTimerFactory factory);

// Held repeat: a first wait, then an action at a steady interval, as long as the finger
// rests. The action runs only from the timer, never after Stop.
class TholdRepeat {
public:
    TholdRepeat();
    // Starts waiting `firstDelay` ms; then `action` runs every `interval` ms.
    void Start(int firstDelay, int interval, std::function<void()> action);
    void Stop();
    bool IsActive() const { return Ftimer->IsActive(); }
    TcontrolTimer& Timer() { return *Ftimer; }

private:
    void Fire();

    std::unique_ptr<TcontrolTimer> Ftimer;
    std::function<void()> Faction;
    int Finterval = 0;
    bool Fwaiting = false;
};

}  // namespace tunecrest
