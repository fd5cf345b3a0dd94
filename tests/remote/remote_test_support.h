#pragma once
// Doubles for the remote-control tests: a timer stepped by hand, a recording input
// sender, a fake main-window action table, and a log read back from a file.
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "remote/command_runner.h"
#include "remote/main_window_actions.h"
#include "remote/wnd_proc_actions.h"
#include "support/temp_dir.h"

namespace tunecrest::test {

// Work runs only when the test advances the clock, in due order (ties in request order).
class TmanualTimer : public TremoteTimer {
public:
    void After(int ms, std::function<void()> work) override {
        Fdue.emplace(std::make_pair(Fnow + ms, Fseq++), std::move(work));
        Requests.push_back(ms);
    }
    // Runs everything due up to now + ms, including work scheduled meanwhile.
    void Advance(int ms) {
        const long target = Fnow + ms;
        while (!Fdue.empty() && Fdue.begin()->first.first <= target) {
            auto node = Fdue.extract(Fdue.begin());
            Fnow = node.key().first;
            node.mapped()();
        }
        Fnow = target;
    }
    int Pending() const { return int(Fdue.size()); }
    std::vector<int> Requests;

private:
    long Fnow = 0;
    long Fseq = 0;
    std::map<std::pair<long, long>, std::function<void()>> Fdue;
};

class TrecordingSender : public TinputSender {
public:
    bool SendKey(const TkeyPress& key) override {
        Keys.push_back(key);
        return true;
    }
    bool SendMouse(const TmouseClick& click) override {
        Clicks.push_back(click);
        return true;
    }
    void ShowStartedProgram(pid_t pid, int32_t showCommand) override { Shown.emplace_back(pid, showCommand); }
    std::vector<TkeyPress> Keys;
    std::vector<TmouseClick> Clicks;
    std::vector<std::pair<pid_t, int32_t>> Shown;
};

class TfakeMainWindow : public TmainWindowActions {
public:
    bool RunAction(const std::string& name) override {
        if (!Known.empty() && !Known.count(name)) return false;
        Ran.push_back(name);
        return true;
    }
    std::vector<TmyWndProcAction*> MessageActions() override { return Bound; }
    bool PlayerStopped() const override { return Stopped; }

    std::set<std::string> Known;  // empty: every name is known
    std::vector<std::string> Ran;
    std::vector<TmyWndProcAction*> Bound;
    bool Stopped = true;
};

// Installs the manual timer, the recording sender, a queue dispatcher and a log file.
class TremoteEnvironment {
public:
    TremoteEnvironment()
        : Timer(std::make_shared<TmanualTimer>()),
          Sender(std::make_shared<TrecordingSender>()),
          Queue(std::make_shared<TqueueDispatcher>()) {
        FoldTimer = SetRemoteTimer(Timer);
        FoldSender = SetInputSender(Sender);
        FoldDispatcher = SetDispatcher(Queue);
        SetErrorLogFile(Dir.File("log.log"));
    }
    ~TremoteEnvironment() {
        SetErrorLogFile("");
        SetDispatcher(FoldDispatcher);
        SetInputSender(FoldSender);
        SetRemoteTimer(FoldTimer);
    }
    std::string Log() const {
        std::string text;
        ReadFileBytes(Dir.File("log.log"), text);
        return text;
    }

    TempDir Dir;
    std::shared_ptr<TmanualTimer> Timer;
    std::shared_ptr<TrecordingSender> Sender;
    std::shared_ptr<TqueueDispatcher> Queue;

private:
    std::shared_ptr<TremoteTimer> FoldTimer;
    std::shared_ptr<TinputSender> FoldSender;
    std::shared_ptr<TmainThreadDispatcher> FoldDispatcher;
};

}  // namespace tunecrest::test
