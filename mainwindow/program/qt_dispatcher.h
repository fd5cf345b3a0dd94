#pragma once
// The main-thread dispatcher over Qt's event loop. The main thread is bound when the
// dispatcher is made (on the thread that runs QApplication), not by whichever thread
// first asks, so a worker that starts before anything else touched the dispatcher still
// hands its work to the main thread.
#include <memory>
#include <thread>

#include "core/base/services.h"

class QObject;

namespace tunecrest {

class TqtDispatcher : public TmainThreadDispatcher {
public:
    // Call on the main thread after the application object exists.
    TqtDispatcher();
    ~TqtDispatcher() override;
    bool IsMainThread() const override;
    void Post(std::function<void()> work) override;

private:
    std::thread::id FmainThread;
    std::unique_ptr<QObject> Freceiver;
};

// Makes a TqtDispatcher on the calling thread and installs it; returns it.
std::shared_ptr<TqtDispatcher> InstallQtDispatcher();

}  // namespace tunecrest
