#pragma once
// Clean-screen mode: a borderless window over the whole screen, on top of everything,
// that counts down the seconds while the person wipes the touch screen. Touches land on
// it and do nothing. A timer ticks it (no nested loop), and it closes itself once the
// time is over.
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;

namespace tunecrest {

// The seconds shown after `elapsedMs` of `totalMs`: (total - elapsed) div 1000 + 1.
int CleanScreenSecondsShown(int64_t totalMs, int64_t elapsedMs);

class TcleanScreenWindow : public QWidget {
  public:
    using Tclock = std::function<int64_t()>;  // milliseconds
    // `seconds` of countdown (below 1 counts as 1); `clock` may be empty (steady clock).
    TcleanScreenWindow(int seconds, Tclock clock = {});

    // Reads the clock: shows the seconds left, closes once the time is over.
    void Tick();
    bool Finished() const { return Ffinished; }
    QString Text() const;
    // Runs once when the window has closed.
    std::function<void()> OnFinished;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Tclock Fclock;
    int64_t Fstart = 0;
    int64_t Ftotal = 0;
    QLabel* Fpanel = nullptr;
    QTimer Fticker;
    bool Ffinished = false;
};

}  // namespace tunecrest
