#pragma once
// A countdown before a scheduled action (a media scan asked for by another start): the
// person sees the seconds left and may cancel or run it at once. The timing is a plain
// class over an injected clock; the panel shows it in the skinned OK/Cancel form without
// holding the event loop (a timer ticks it, the caller hears the answer later).
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tunecrest {

class TfrmSkinnedOKCancel;

class TcountdownTimer {
  public:
    using Tclock = std::function<int64_t()>;  // milliseconds
    TcountdownTimer(int totalMs, Tclock clock);
    // Whole seconds left, rounded up (15 at the start of 15000 ms, 0 once it ran out).
    int SecondsLeft() const;
    bool Expired() const { return SecondsLeft() == 0; }

  private:
    Tclock Fclock;
    int64_t Fend;
};

// The answers: 1 when the time ran out or "Run Now" was pressed, 2 for "Cancel".
constexpr int kCountdownRun = 1;
constexpr int kCountdownCancel = 2;

class TcountdownPanel : public QObject {
  public:
    TcountdownPanel(QWidget* owner, int totalMs, const std::string& caption, const std::string& groupCaption,
                    const std::string& message, TcountdownTimer::Tclock clock, std::function<void(int)> done);
    ~TcountdownPanel() override;

    // Reads the clock: updates the seconds shown, answers 1 once the time is out.
    void Tick();
    void RunNow() { Finish(kCountdownRun); }
    void Cancel() { Finish(kCountdownCancel); }
    bool Finished() const { return Ffinished; }
    int SecondsLeft() const { return Ftimer.SecondsLeft(); }
    TfrmSkinnedOKCancel* Form() const { return Fform.get(); }
    // The text shown for `seconds` left.
    std::string Text(int seconds) const;

  private:
    void Finish(int result);
    TcountdownTimer Ftimer;
    std::string FgroupCaption, Fmessage;
    std::function<void(int)> Fdone;
    std::unique_ptr<TfrmSkinnedOKCancel> Fform;
    QTimer Fticker;
    bool Ffinished = false;
    int Fshown = -1;
};

}  // namespace tunecrest
