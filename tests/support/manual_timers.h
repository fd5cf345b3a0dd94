#pragma once
// Manual control timers: while a TmanualTimers lives, every control timer made is one of
// its own, and time moves only when the test calls Advance. Timers fire in time order,
// each at its due moment, so held-repeat timing is checked exactly and without sleeping.
#include <algorithm>
#include <memory>
#include <vector>

#include "skin/control_timer.h"

namespace tunecrest::test {

class TmanualTimers {
public:
    class Ttimer : public TcontrolTimer {
    public:
        explicit Ttimer(TmanualTimers* owner) : Fowner(owner) { owner->Ftimers.push_back(this); }
        ~Ttimer() override
        {
            auto& list = Fowner->Ftimers;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
        void Start(int ms) override
        {
            Factive = true;
            Finterval = ms;
            Fdue = Fowner->Fnow + std::max(ms, 1);
        }
        void Stop() override { Factive = false; }
        bool IsActive() const override { return Factive; }
        int Interval() const override { return Finterval; }
        long long Due() const { return Fdue; }

    private:
        friend class TmanualTimers;
        TmanualTimers* Fowner;
        long long Fdue = 0;
        int Finterval = 0;
        bool Factive = false;
    };

    TmanualTimers()
    {
        Fprevious = SetControlTimerFactory([this] { return std::unique_ptr<TcontrolTimer>(new Ttimer(this)); });
    }
    ~TmanualTimers() { SetControlTimerFactory(Fprevious); }

    long long Now() const { return Fnow; }
    // Moves time on by `ms`, firing every timer that falls due, in order.
    void Advance(long long ms)
    {
        const long long end = Fnow + ms;
        for (;;) {
            Ttimer* next = nullptr;
            for (Ttimer* t : Ftimers)
                if (t->Factive && t->Fdue <= end && (!next || t->Fdue < next->Fdue)) next = t;
            if (!next) break;
            Fnow = next->Fdue;
            next->Fdue += std::max(next->Finterval, 1);
            if (next->OnTimer) next->OnTimer();
        }
        Fnow = end;
    }
    int ActiveCount() const
    {
        return int(std::count_if(Ftimers.begin(), Ftimers.end(), [](Ttimer* t) { return t->IsActive(); }));
    }

private:
    std::vector<Ttimer*> Ftimers;
    TcontrolTimerFactory Fprevious;
    long long Fnow = 0;
};

}  // namespace tunecrest::test
