#pragma once
// What the model needs from its surroundings, injected so that core runs without a
// display and tests are deterministic: a way to ask a person (prompt), the clock,
// the random generator, the main-thread dispatcher and the error log.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <deque>
#include <condition_variable>

#include "core/base/date_time.h"

namespace tunecrest {

class TjukeboxSlot;
class TjukeboxSlotList;
class TonOffTimerAlarmList;

// Everything core must ask of a person. The default answers without a person:
// messages go to the error log, questions get their default answer, file choices none.
class Tprompt {
public:
    virtual ~Tprompt() = default;
    virtual void ShowMessage(const std::string& text, const std::string& title);
    // Returns the answer; `defaultAnswer` when nobody can be asked.
    virtual bool AskYesNo(const std::string& text, const std::string& title, bool defaultAnswer);
    // A file to open or save; filter is a description such as "Cartridges (*.ctg)".
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                                      const std::string& folder);
    virtual std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                                      const std::string& folder);
    // A folder, starting in `folder`; nullopt when cancelled or nobody can be asked.
    virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& folder);
    // Text entry (a name, a password); nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                               const std::string& initial);
    // The party-play password: True when `password` is empty (nobody is asked) or when
    // the person typed it. The default asks nobody and refuses any other password.
    virtual bool CheckPassword(const std::string& password, const std::string& prompt);
    // The button-slot editors: one slot (new or existing) and the whole list. True when
    // the person confirmed the changes; the default changes nothing and answers False.
    virtual bool EditSlot(TjukeboxSlot& slot, bool isNew);
    virtual bool EditSlotList(TjukeboxSlotList& slots);
    // The alarm editor on a jukebox's alarms; the same answers as the slot editors.
    virtual bool EditAlarms(TonOffTimerAlarmList& alarms);
};

// A typed password against the stored one: the whole text must match, letters without
// regard to case (a prefix of the password, or the password with more after it, fails).
bool PasswordMatches(const std::string& password, const std::string& typed);

Tprompt& Prompt();
// Installs a prompt; nullptr restores the default. Returns the previous one.
std::shared_ptr<Tprompt> SetPrompt(std::shared_ptr<Tprompt> prompt);

// Local time now, through the installed clock (tests install a fixed or stepping one).
TDateTime Now();
using TclockFunction = std::function<TDateTime()>;
// Installs a clock; an empty function restores the system clock.
void SetClock(TclockFunction clock);

// Uniform integer in [0, range); 0 when range <= 0. Seeded from the system unless
// a seed is set (tests), after which the sequence is fixed.
int Random(int range);
void SetRandomSeed(uint64_t seed);

// Runs work on the main thread. Core's own default keeps a queue that the main
// thread drains with ProcessPendingCalls(); the GUI installs one over its event loop.
class TmainThreadDispatcher {
public:
    virtual ~TmainThreadDispatcher() = default;
    virtual bool IsMainThread() const = 0;
    // Queues `work` for the main thread and returns at once.
    virtual void Post(std::function<void()> work) = 0;
    // Runs `work` on the main thread and waits for it. Runs inline on the main thread.
    // Returns false without running it when `cancel` becomes true first, so a worker
    // that is being stopped never waits on a main thread that is waiting for it.
    bool Synchronize(const std::function<void()>& work, const std::atomic<bool>* cancel = nullptr);
};

// The queue-based dispatcher of core: the thread that created it is the main thread.
class TqueueDispatcher : public TmainThreadDispatcher {
public:
    TqueueDispatcher();
    bool IsMainThread() const override;
    void Post(std::function<void()> work) override;
    // Runs every queued call; returns how many ran. Call from the main thread.
    int ProcessPendingCalls();
    // Waits up to `timeoutMs` for a call to arrive, then runs the pending ones.
    int WaitAndProcess(int timeoutMs);

private:
    std::thread::id FmainThread;
    std::mutex Fmutex;
    std::condition_variable Farrived;
    std::deque<std::function<void()>> Fqueue;
};

TmainThreadDispatcher& Dispatcher();
// Installs a dispatcher; nullptr restores the default queue dispatcher (whose main
// thread is the thread that first used it). Returns the previous one.
std::shared_ptr<TmainThreadDispatcher> SetDispatcher(std::shared_ptr<TmainThreadDispatcher> dispatcher);

// The error log (`log.log` in the data folder once the program sets it; standard error before).
// Each line: date and time, ": ", the message. A line that would take the log past
// `maxBytes` first moves it aside to the name with kOlderLogSuffix (replacing the older
// one), so the log and its predecessor together stay under twice that size.
constexpr int64_t kMaxErrorLogBytes = int64_t(1) << 20;
constexpr const char* kOlderLogSuffix = ".1";
void SetErrorLogFile(const std::string& path, int64_t maxBytes = kMaxErrorLogBytes);
// The size the error log is kept within (what SetErrorLogFile was given).
int64_t ErrorLogLimit();
void LogError(const std::string& message);

}  // namespace tunecrest
