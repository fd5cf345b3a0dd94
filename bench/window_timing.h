#pragma once
// Small helpers of the benchmarks that drive a window as a person would and time it until
// it has painted: running the event loop until a condition holds, and counting a widget's
// paints.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <chrono>

namespace tunecrest::bench {

// Runs the event loop until `done` or `limit`; false when the limit came first.
template <typename Done>
bool RunUntil(Done done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Runs the event loop for `time`, as an idle window does.
inline void RunIdle(std::chrono::milliseconds time) {
    RunUntil([] { return false; }, time);
}

// Counts the paints of a widget.
class TpaintCounter : public QObject {
  public:
    explicit TpaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int Paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

}  // namespace tunecrest::bench
