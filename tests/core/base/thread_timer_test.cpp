#include "core/base/thread_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "core/base/services.h"

using namespace tunecrest;
using namespace std::chrono_literals;

namespace {

// The queue dispatcher of core, counting what the workers hand to the main thread.
class CountingDispatcher : public TqueueDispatcher {
  public:
    void Post(std::function<void()> work) override {
        ++Posted;
        TqueueDispatcher::Post(std::move(work));
    }
    std::atomic<int> Posted{0};
};

class ThreadTimerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Fdispatcher = std::make_shared<CountingDispatcher>();
        SetDispatcher(Fdispatcher);
    }
    void TearDown() override { SetDispatcher(nullptr); }

    // Runs the main thread's queue until `done` holds (or a generous limit passes).
    template <typename Pred>
    bool ProcessUntil(Pred done) {
        const auto limit = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            Fdispatcher->WaitAndProcess(5);
        }
        return true;
    }
    template <typename Pred>
    static bool WaitUntil(Pred done) {
        const auto limit = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    std::shared_ptr<CountingDispatcher> Fdispatcher;
};

}  // namespace

TEST_F(ThreadTimerTest, HandlerRunsOnTheMainThreadWithTheTimerAsSender) {
    tmyjvthreadTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 100);
    const auto testThread = std::this_thread::get_id();
    int ticks = 0;
    bool allOnMain = true, senderOk = true;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject* sender) {
        ++ticks;
        allOnMain = allOnMain && std::this_thread::get_id() == testThread;
        senderOk = senderOk && sender == &timer;
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(ProcessUntil([&] { return ticks >= 3; }));
    timer.SetEnabled(false);
    EXPECT_TRUE(allOnMain);
    EXPECT_TRUE(senderOk);
}

TEST_F(ThreadTimerTest, NoSynchronizeRunsTheHandlerOnTheWorker) {
    tmyjvthreadTimer timer;
    std::atomic<int> ticks{0};
    std::atomic<bool> onMain{false};
    timer.SetInterval(5);
    timer.SetNoSynchronize(true);
    timer.SetOnTimer([&](TObject*) {
        if (Fdispatcher->IsMainThread()) onMain = true;
        ++ticks;
    });
    timer.SetEnabled(true);
    // Nobody processes the main thread's queue: the ticks come all the same.
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 2; }));
    EXPECT_FALSE(onMain);
    EXPECT_EQ(Fdispatcher->Posted, 0);
}

TEST_F(ThreadTimerTest, DisabledOrNeverEnabledTimersNeverTick) {
    int ticks = 0;
    auto count = [&](TObject*) { ++ticks; };
    tmyjvthreadTimer never, briefly, pending;
    for (auto* t : {&never, &briefly, &pending}) {
        t->SetInterval(1);
        t->SetOnTimer(count);
    }
    briefly.SetEnabled(true);
    briefly.SetEnabled(false);

    // A tick handed to the main thread is dropped when the timer is disabled before it runs.
    pending.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return Fdispatcher->Posted >= 1; }));
    pending.SetEnabled(false);
    Fdispatcher->ProcessPendingCalls();
    // Disabled and enabled again before the old tick runs: the old tick is void too.
    pending.SetInterval(60000);
    pending.SetEnabled(true);
    std::this_thread::sleep_for(30ms);
    Fdispatcher->ProcessPendingCalls();
    EXPECT_EQ(ticks, 0);
}

TEST_F(ThreadTimerTest, DestroyedWithATickPendingReturnsAndTheTickIsDropped) {
    int ticks = 0;
    for (bool disableFirst : {false, true}) {
        auto timer = std::make_unique<tmyjvthreadTimer>();
        timer->SetInterval(1);
        timer->SetOnTimer([&](TObject*) { ++ticks; });
        const int before = Fdispatcher->Posted;
        timer->SetEnabled(true);
        // The worker now waits for this (main) thread, which is not processing calls.
        ASSERT_TRUE(WaitUntil([&] { return Fdispatcher->Posted > before; }));
        if (disableFirst) timer->SetEnabled(false);
        timer.reset();  // must not wait for the main thread
        Fdispatcher->ProcessPendingCalls();
    }
    EXPECT_EQ(ticks, 0);
}

TEST_F(ThreadTimerTest, HandlerMayDestroyItsOwnTimer) {
    auto timer = std::make_unique<tmyjvthreadTimer>();
    int ticks = 0;
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) {
        ++ticks;
        timer.reset();
    });
    timer->SetEnabled(true);
    ASSERT_TRUE(ProcessUntil([&] { return timer == nullptr; }));
    Fdispatcher->WaitAndProcess(20);
    EXPECT_EQ(ticks, 1);
}

TEST_F(ThreadTimerTest, ReEnabledTimerWaitsAFullInterval) {
    tmyjvthreadTimer timer;
    std::mutex m;
    std::vector<std::chrono::steady_clock::time_point> ticks;
    timer.SetNoSynchronize(true);
    timer.SetInterval(400);
    timer.SetOnTimer([&](TObject*) {
        std::lock_guard lock(m);
        ticks.push_back(std::chrono::steady_clock::now());
    });
    timer.SetEnabled(true);
    std::this_thread::sleep_for(100ms);
    timer.SetEnabled(false);
    // On a busy machine the pause above may have lasted a whole interval: only the ticks
    // after the restart count.
    size_t before = 0;
    {
        std::lock_guard lock(m);
        before = ticks.size();
    }
    const auto restarted = std::chrono::steady_clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(m);
        return ticks.size() > before;
    }));
    std::lock_guard lock(m);
    EXPECT_GE(ticks[before] - restarted, 400ms);
}

TEST_F(ThreadTimerTest, FailingHandlerIsLoggedAndTheTimerGoesOn) {
    tmyjvthreadTimer timer;
    int ticks = 0;
    timer.SetInterval(1);
    timer.SetOnTimer([&](TObject*) {
        if (++ticks == 1) throw std::runtime_error("handler failure");
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(ProcessUntil([&] { return ticks >= 3; }));
}
