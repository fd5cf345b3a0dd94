// The main of every test program: GoogleTest with a watchdog, so that a test that hangs
// (a thread left waiting after a failed assertion, a wait with no deadline) ends the
// program with the test's name instead of holding it, and the run, for ever.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "support/fresh_process.h"

namespace {

// Seconds one test may take; TUNECREST_TEST_TIMEOUT sets another (0: no watchdog).
int TestTimeoutSeconds() {
    if (const char* text = std::getenv("TUNECREST_TEST_TIMEOUT")) return std::atoi(text);
    return 240;
}

class Watchdog : public ::testing::EmptyTestEventListener {
public:
    explicit Watchdog(int seconds) : Fseconds(seconds), Fthread([this] { Run(); }) {}
    ~Watchdog() override {
        {
            std::lock_guard lock(Fmutex);
            Fstop = true;
        }
        Fwake.notify_all();
        Fthread.join();
    }

    void OnTestStart(const ::testing::TestInfo& info) override {
        std::lock_guard lock(Fmutex);
        Fname = std::string(info.test_suite_name()) + "." + info.name();
        Fdeadline = std::chrono::steady_clock::now() + std::chrono::seconds(Fseconds);
        Farmed = true;
        Fwake.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard lock(Fmutex);
        Farmed = false;
    }

private:
    void Run() {
        std::unique_lock lock(Fmutex);
        while (!Fstop) {
            if (!Farmed) {
                Fwake.wait(lock);
                continue;
            }
            const auto deadline = Fdeadline;
            if (Fwake.wait_until(lock, deadline) == std::cv_status::timeout && Farmed && !Fstop &&
                deadline == Fdeadline) {
                std::fprintf(stderr, "\n*** %s did not finish within %d s: the test program is stopped.\n",
                             Fname.c_str(), Fseconds);
                std::fflush(stderr);
                std::_Exit(124);
            }
        }
    }

    const int Fseconds;
    std::mutex Fmutex;
    std::condition_variable Fwake;
    std::string Fname;
    std::chrono::steady_clock::time_point Fdeadline;
    bool Farmed = false;
    bool Fstop = false;
    std::thread Fthread;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int seconds = TestTimeoutSeconds();
    if (seconds > 0 && !::testing::GTEST_FLAG(list_tests))
        ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(seconds));
    const int result = RUN_ALL_TESTS();
    // A fresh process started for one call of one test ends at that call; coming here, the
    // test took another road (its report says why).
    if (std::getenv(tunecrest::test::fresh_process::kCallVariable)) return tunecrest::test::fresh_process::kNotReached;
    return result;
}
