#include "skin/control_timer.h"

#include <QTimer>

namespace tunecrest {

namespace {

class TqtControlTimer : public TcontrolTimer {
public:
    TqtControlTimer()
    {
        Ftimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&Ftimer, &QTimer::timeout, [this] {
            if (OnTimer) OnTimer();
        });
    }
    void Start(int milliseconds) override { Ftimer.start(milliseconds < 0 ? 0 : milliseconds); }
    void Stop() override { Ftimer.stop(); }
    bool IsActive() const override { return Ftimer.isActive(); }
    int Interval() const override { return Ftimer.interval(); }

private:
    QTimer Ftimer;
};

TcontrolTimerFactory& Factory()
{
    static TcontrolTimerFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<TcontrolTimer> MakeControlTimer()
{
    if (Factory()) return Factory()();
    return std::make_unique<TqtControlTimer>();
}

TcontrolTimerFactory SetControlTimerFactory(TcontrolTimerFactory factory)
{
    TcontrolTimerFactory old = std::move(Factory());
    Factory() = std::move(factory);
    return old;
}

TholdRepeat::TholdRepeat() : Ftimer(MakeControlTimer())
{
    Ftimer->OnTimer = [this] { Fire(); };
}

void TholdRepeat::Start(int firstDelay, int interval, std::function<void()> action)
{
    Faction = std::move(action);
    Finterval = interval < 1 ? 1 : interval;
    Fwaiting = true;
    Ftimer->Start(firstDelay);
}

void TholdRepeat::Stop()
{
    Ftimer->Stop();
    Fwaiting = false;
}

void TholdRepeat::Fire()
{
    if (!Ftimer->IsActive()) return;
    if (Fwaiting) {
        // The first wait is over: from now on act at the steady interval.
        Fwaiting = false;
        Ftimer->Start(Finterval);
        return;
    }
    // The action may stop the repeat (or destroy its owner's state): copy it first.
    std::function<void()> action = Faction;
    if (action) action();
}

}  // namespace tunecrest
