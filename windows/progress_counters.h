#pragma once
// The counting rules of the progress window, apart from the window so they are checked
// without a display. Two counters make nested and overlapping users safe: the window
// stays up until every user that showed it has let it go, and the progress panel until
// every progress operation has ended. Neither ever goes below 0.
namespace tunecrest {

class TprogressCounters {
public:
    int ShowCount() const { return FshowCount; }
    int ProgressCount() const { return FprogressCount; }
    bool MayCloseFlag() const { return FmayClose; }

    void ShowSplash() { ++FshowCount; }
    // True when the count has reached 0: the window is asked to close.
    bool CloseSplash()
    {
        if (--FshowCount > 0) return false;
        FshowCount = 0;
        return true;
    }
    void ForceClose() { FshowCount = 0; }
    // A progress operation begins; from the first one on, the window may close.
    void BeginProgress()
    {
        ++FprogressCount;
        FmayClose = true;
    }
    // True when the count has reached 0: the progress panel hides.
    bool EndProgress()
    {
        if (--FprogressCount > 0) return false;
        FprogressCount = 0;
        return true;
    }
    // A close is allowed when the flag is set and nobody holds the window; a hidden
    // window may always close.
    bool MayClose(bool visible) const { return (FmayClose && FshowCount == 0) || !visible; }
    // The window closed: whoever still held it has lost it.
    void Closed() { FshowCount = 0; }

private:
    int FshowCount = 0;
    int FprogressCount = 0;
    bool FmayClose = false;
};

}  // namespace tunecrest
