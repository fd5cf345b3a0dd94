#pragma once
// Slows down guessing of the party-play password at the touch screen. The first
// kFreeTries wrong tries in a row cost nothing (a typo or two); after each further one the
// next try must wait, twice as long each time from kFirstWaitMs up to kLongestWaitMs.
// A right password clears the count. The wait never grows past a minute, so the owner
// standing at the screen is never locked out for good.
#include <algorithm>
#include <cstdint>

namespace tunecrest {

class TpasswordThrottle {
public:
    static constexpr int kFreeTries = 3;
    static constexpr int64_t kFirstWaitMs = 2000;
    static constexpr int64_t kLongestWaitMs = 60000;

    // The wait that follows the `failures`-th wrong try in a row.
    static int64_t WaitAfter(int failures)
    {
        if (failures <= kFreeTries) return 0;
        int64_t wait = kFirstWaitMs;
        for (int i = kFreeTries + 1; i < failures && wait < kLongestWaitMs; ++i) wait *= 2;
        return std::min(wait, kLongestWaitMs);
    }

    // `now` in milliseconds.
    void Failed(int64_t now)
    {
        ++Ffailures;
        Fwait = WaitAfter(Ffailures);
        FnextTry = now + Fwait;
    }
    void Succeeded()
    {
        Ffailures = 0;
        Fwait = 0;
        FnextTry = 0;
    }
    // Milliseconds before the next try may be made; 0 when it may be made now. A clock
    // set back never makes it longer than the wait that was set.
    int64_t WaitLeft(int64_t now) const { return std::clamp<int64_t>(FnextTry - now, 0, Fwait); }
    int Failures() const { return Ffailures; }

private:
    int Ffailures = 0;
    int64_t Fwait = 0;
    int64_t FnextTry = 0;
};

}  // namespace tunecrest
