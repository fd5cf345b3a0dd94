#pragma once
// Runs the Qt event loop until a condition holds or the time runs out: for tests whose
// work comes back from another thread or process through the event loop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace tunecrest::test {

inline bool Pump(const std::function<bool()>& until, int ms) {
    QElapsedTimer t;
    t.start();
    while (!until() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return until();
}

}  // namespace tunecrest::test
