#pragma once
// One worker thread that runs jobs in the order given: the library's file writes and
// database builds, which must not hold the main thread. A job gets only what it owns
// (bytes to write, file names); what it finds goes back to the main thread through
// the dispatcher. The destructor lets queued jobs finish, so nothing given to the
// worker is lost at close-down.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tunecrest {

class TbackgroundWorker {
public:
    TbackgroundWorker() = default;
    ~TbackgroundWorker();
    TbackgroundWorker(const TbackgroundWorker&) = delete;
    TbackgroundWorker& operator=(const TbackgroundWorker&) = delete;

    // Queues the job; the thread starts with the first one.
    void Run(std::function<void()> job);
    // True while a job is queued or running.
    bool Busy() const;
    // Blocks until every queued job has run (close-down and tests).
    void Wait();

private:
    void Loop();
    mutable std::mutex Fmutex;
    std::condition_variable Fwake, Fidle;
    std::deque<std::function<void()>> Fjobs;
    bool Frunning = false, Fstop = false;
    std::thread Fthread;
};

}  // namespace tunecrest
