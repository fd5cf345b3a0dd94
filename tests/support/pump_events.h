#pragma once
// Runs the Qt event loop until a condition holds or the time runs out: for tests whose
// work comes back from another thread or process through the event loop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace tunecrest::test {

// True as soon as the condition is seen to hold: a condition on something that moves on by
// itself (a playing track's position) may no longer hold when asked a second time.
inline bool Pump(const std::function<bool()>& until, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (until()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return until();
}

}  // namespace tunecrest::test
