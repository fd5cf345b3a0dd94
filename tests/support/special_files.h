#pragma once
// Special files where data files belong: FIFOs that would block a reader forever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tunecrest::test {

inline std::string MakeFifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed: " + path);
    return path;
}

// Runs `work` on a thread of its own. True when it returns within two seconds; otherwise
// it is taken as blocked on `fifo`, which is then opened for writing and closed so that
// the blocked reader sees its end and the test can finish, and false is returned.
inline bool FinishesWithoutBlocking(const std::string& fifo, const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool finished = done;
    while (!done) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    worker.join();
    return finished;
}

// Watches FIFOs while work that must stay on the main thread (a window) runs: should a
// reader still block on one after a generous deadline, the FIFO is opened for writing
// and closed, so the reader sees its end and the test fails instead of hanging.
class TfifoWatchdog {
public:
    explicit TfifoWatchdog(std::vector<std::string> fifos) : Ffifos(std::move(fifos)) {
        Fthread = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!Fdone && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            while (!Fdone) {
                Freleased = true;
                for (const auto& fifo : Ffifos) {
                    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0) ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~TfifoWatchdog() { Finish(); }
    // True when a reader blocked and had to be released.
    bool Finish() {
        Fdone = true;
        if (Fthread.joinable()) Fthread.join();
        return Freleased;
    }

private:
    std::vector<std::string> Ffifos;
    std::atomic<bool> Fdone{false}, Freleased{false};
    std::thread Fthread;
};

}  // namespace tunecrest::test
