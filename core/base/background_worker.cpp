#include "core/base/background_worker.h"

#include <exception>

#include "core/base/services.h"

namespace tunecrest {

TbackgroundWorker::~TbackgroundWorker() {
    {
        std::lock_guard<std::mutex> lock(Fmutex);
        Fstop = true;
    }
    Fwake.notify_all();
    if (Fthread.joinable()) Fthread.join();
}

void TbackgroundWorker::Run(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(Fmutex);
        Fjobs.push_back(std::move(job));
        if (!Fthread.joinable()) Fthread = std::thread([this] { Loop(); });
    }
    Fwake.notify_one();
}

bool TbackgroundWorker::Busy() const {
    std::lock_guard<std::mutex> lock(Fmutex);
    return Frunning || !Fjobs.empty();
}

void TbackgroundWorker::Wait() {
    std::unique_lock<std::mutex> lock(Fmutex);
    Fidle.wait(lock, [this] { return !Frunning && Fjobs.empty(); });
}

void TbackgroundWorker::Loop() {
    std::unique_lock<std::mutex> lock(Fmutex);
    while (true) {
        Fwake.wait(lock, [this] { return Fstop || !Fjobs.empty(); });
        if (Fjobs.empty()) return;  // stopping, and every job has run
        std::function<void()> job = std::move(Fjobs.front());
        Fjobs.pop_front();
        Frunning = true;
        lock.unlock();
        try {
            job();
        } catch (const std::exception& e) {
            LogError(std::string("Background work failed: ") + e.what());
        }
        lock.lock();
        Frunning = false;
        if (Fjobs.empty()) Fidle.notify_all();
    }
}

}  // namespace tunecrest
