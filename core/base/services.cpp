#include "core/base/services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/append_file.h"
#include "core/base/text_utils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>

namespace tunecrest {

// ---- prompt ----

void Tprompt::ShowMessage(const std::string& text, const std::string& title) {
    LogError(title.empty() ? text : title + ": " + text);
}

bool Tprompt::AskYesNo(const std::string& text, const std::string& title, bool defaultAnswer) {
    LogError((title.empty() ? text : title + ": " + text) + (defaultAnswer ? " [Yes]" : " [No]"));
    return defaultAnswer;
}

std::optional<std::string> Tprompt::ChooseOpenFile(const std::string&, const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> Tprompt::ChooseSaveFile(const std::string&, const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> Tprompt::ChooseFolder(const std::string&, const std::string&) { return std::nullopt; }

std::optional<std::string> Tprompt::AskText(const std::string&, const std::string&, const std::string&) {
    return std::nullopt;
}

bool Tprompt::CheckPassword(const std::string& password, const std::string&) { return password.empty(); }

bool PasswordMatches(const std::string& password, const std::string& typed) { return SameText(password, typed); }

bool Tprompt::EditSlot(TjukeboxSlot&, bool) { return false; }

bool Tprompt::EditSlotList(TjukeboxSlotList&) { return false; }

bool Tprompt::EditAlarms(TonOffTimerAlarmList&) { return false; }

namespace {
std::mutex gServicesMutex;
std::shared_ptr<Tprompt> gPrompt;
TclockFunction gClock;
std::shared_ptr<TmainThreadDispatcher> gDispatcher;
std::string gLogFile;
int64_t gLogMaxBytes = kMaxErrorLogBytes;

std::mt19937_64& RandomEngine() {
    static std::mt19937_64 engine{std::random_device{}()};
    return engine;
}
}  // namespace

Tprompt& Prompt() {
    std::lock_guard lock(gServicesMutex);
    if (!gPrompt) gPrompt = std::make_shared<Tprompt>();
    return *gPrompt;
}

std::shared_ptr<Tprompt> SetPrompt(std::shared_ptr<Tprompt> prompt) {
    std::lock_guard lock(gServicesMutex);
    auto old = gPrompt;
    gPrompt = prompt ? std::move(prompt) : std::make_shared<Tprompt>();
    return old;
}

// ---- clock and random ----

TDateTime Now() {
    TclockFunction clock;
    {
        std::lock_guard lock(gServicesMutex);
        clock = gClock;
    }
    if (clock) return clock();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(now);
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(now - secs);
    return UnixToDateTime(std::time_t(secs.count()), nanos.count());
}

void SetClock(TclockFunction clock) {
    std::lock_guard lock(gServicesMutex);
    gClock = std::move(clock);
}

int Random(int range) {
    if (range <= 0) return 0;
    std::lock_guard lock(gServicesMutex);
    std::uniform_int_distribution<int> dist(0, range - 1);
    return dist(RandomEngine());
}

void SetRandomSeed(uint64_t seed) {
    std::lock_guard lock(gServicesMutex);
    RandomEngine().seed(seed);
}

// ---- dispatcher ----

bool TmainThreadDispatcher::Synchronize(const std::function<void()>& work, const std::atomic<bool>* cancel) {
    if (IsMainThread()) {
        work();
        return true;
    }
    struct State {
        std::mutex m;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        std::exception_ptr error;
    };
    auto state = std::make_shared<State>();
    Post([state, work] {
        {
            std::lock_guard lock(state->m);
            if (state->abandoned) return;
        }
        try {
            work();
        } catch (...) {
            state->error = std::current_exception();
        }
        std::lock_guard lock(state->m);
        state->finished = true;
        state->done.notify_all();
    });
    std::unique_lock lock(state->m);
    while (!state->finished) {
        if (cancel && cancel->load()) {
            state->abandoned = true;
            return false;
        }
        state->done.wait_for(lock, std::chrono::milliseconds(10));
    }
    if (state->error) std::rethrow_exception(state->error);
    return true;
}

TqueueDispatcher::TqueueDispatcher() : FmainThread(std::this_thread::get_id()) {}

bool TqueueDispatcher::IsMainThread() const { return std::this_thread::get_id() == FmainThread; }

void TqueueDispatcher::Post(std::function<void()> work) {
    std::lock_guard lock(Fmutex);
    Fqueue.push_back(std::move(work));
    Farrived.notify_all();
}

int TqueueDispatcher::ProcessPendingCalls() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(Fmutex);
        batch.swap(Fqueue);
    }
    for (auto& work : batch) work();
    return int(batch.size());
}

int TqueueDispatcher::WaitAndProcess(int timeoutMs) {
    {
        std::unique_lock lock(Fmutex);
        Farrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !Fqueue.empty(); });
    }
    return ProcessPendingCalls();
}

TmainThreadDispatcher& Dispatcher() {
    std::lock_guard lock(gServicesMutex);
    if (!gDispatcher) gDispatcher = std::make_shared<TqueueDispatcher>();
    return *gDispatcher;
}

std::shared_ptr<TmainThreadDispatcher> SetDispatcher(std::shared_ptr<TmainThreadDispatcher> dispatcher) {
    std::lock_guard lock(gServicesMutex);
    auto old = gDispatcher;
    gDispatcher = std::move(dispatcher);
    return old;
}

// ---- error log ----

void SetErrorLogFile(const std::string& path, int64_t maxBytes) {
    std::lock_guard lock(gServicesMutex);
    gLogFile = path;
    gLogMaxBytes = std::max<int64_t>(maxBytes, 1);
}

int64_t ErrorLogLimit() {
    std::lock_guard lock(gServicesMutex);
    return gLogMaxBytes;
}

void LogError(const std::string& message) {
    const std::string line = FormatDateTimeIso(Now()) + ": " + message;
    std::string file;
    int64_t limit = 0;
    {
        std::lock_guard lock(gServicesMutex);
        file = gLogFile;
        limit = gLogMaxBytes;
    }
    // Appending never blocks: a FIFO or device put where the log belongs is not written to.
    if (!file.empty() && AppendLogBytes(file, line + "\n", limit, kOlderLogSuffix)) return;
    std::cerr << line << std::endl;
}

}  // namespace tunecrest
