#include "remote/command_runner.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "platform/launch_program.h"
#include "remote/controller_commands.h"
#include "remote/x11_input.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

// One worker thread keeps the due times; each work item is posted to the main thread
// when its time comes, so the waits of running actions never hold the main thread.
class TthreadRemoteTimer : public TremoteTimer {
public:
    ~TthreadRemoteTimer() override {
        {
            std::lock_guard lock(Fmutex);
            Fstop = true;
        }
        Fwake.notify_all();
        if (Fworker.joinable()) Fworker.join();
    }

    void After(int ms, std::function<void()> work) override {
        std::lock_guard lock(Fmutex);
        Fdue.emplace(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0)), std::move(work));
        if (!Fworker.joinable()) Fworker = std::thread([this] { Loop(); });
        Fwake.notify_all();
    }

private:
    void Loop() {
        std::unique_lock lock(Fmutex);
        while (!Fstop) {
            if (Fdue.empty()) {
                Fwake.wait(lock);
                continue;
            }
            const auto first = Fdue.begin();
            if (Fwake.wait_until(lock, first->first) == std::cv_status::no_timeout && !Fstop) continue;
            if (Fstop) break;
            while (!Fdue.empty() && Fdue.begin()->first <= std::chrono::steady_clock::now()) {
                Dispatcher().Post(std::move(Fdue.begin()->second));
                Fdue.erase(Fdue.begin());
            }
        }
    }

    std::mutex Fmutex;
    std::condition_variable Fwake;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> Fdue;
    std::thread Fworker;
    bool Fstop = false;
};

std::mutex gServicesMutex;

std::shared_ptr<TremoteTimer>& TimerSlot() {
    static std::shared_ptr<TremoteTimer> timer;
    return timer;
}

std::shared_ptr<TinputSender>& SenderSlot() {
    static std::shared_ptr<TinputSender> sender;
    return sender;
}

}  // namespace

TremoteTimer& RemoteTimer() {
    std::lock_guard lock(gServicesMutex);
    if (!TimerSlot()) TimerSlot() = std::make_shared<TthreadRemoteTimer>();
    return *TimerSlot();
}

std::shared_ptr<TremoteTimer> SetRemoteTimer(std::shared_ptr<TremoteTimer> timer) {
    std::lock_guard lock(gServicesMutex);
    auto previous = TimerSlot();
    TimerSlot() = std::move(timer);
    return previous;
}

TinputSender& InputSender() {
    std::lock_guard lock(gServicesMutex);
    if (!SenderSlot()) SenderSlot() = CreateX11InputSender();
    return *SenderSlot();
}

std::shared_ptr<TinputSender> SetInputSender(std::shared_ptr<TinputSender> sender) {
    std::lock_guard lock(gServicesMutex);
    auto previous = SenderSlot();
    SenderSlot() = std::move(sender);
    return previous;
}

// ---- Sequences ----

struct TactionSequencer::Trun {
    struct Tframe {
        std::shared_ptr<TcontrollerAction> Action;
        int Next = 0;
    };
    std::vector<Tframe> Frames;
};

TactionSequencer::TactionSequencer(TcontrollerActionList& list)
    : Flist(list), Falive(std::make_shared<TactionSequencer*>(this)) {}

TactionSequencer::~TactionSequencer() { StopAll(); }

void TactionSequencer::Run(TcontrollerAction* action) {
    if (action->Frunning) {
        ++action->Fqueued;
        return;
    }
    Start(action->shared_from_this());
}

void TactionSequencer::Start(const std::shared_ptr<TcontrollerAction>& action) {
    auto run = std::make_shared<Trun>();
    run->Frames.push_back({action, 0});
    action->Frunning = true;
    Fruns.push_back(run);
    Continue(run);
}

void TactionSequencer::EndFrame(Trun& run) {
    std::shared_ptr<TcontrollerAction> action = run.Frames.back().Action;
    run.Frames.pop_back();
    action->Frunning = false;
    if (action->Fqueued > 0) {
        // The queued request starts once the main thread is free again, after this run
        // has gone as far as it can.
        --action->Fqueued;
        std::weak_ptr<TactionSequencer*> alive = Falive;
        std::weak_ptr<TcontrollerAction> weak = action;
        RemoteTimer().After(0, [alive, weak] {
            auto self = alive.lock();
            auto next = weak.lock();
            if (self && next && next->Owner()) (*self)->Run(next.get());
        });
    }
}

void TactionSequencer::Finish(const std::shared_ptr<Trun>& run) {
    std::erase(Fruns, run);
}

void TactionSequencer::Continue(const std::shared_ptr<Trun>& run) {
    while (!run->Frames.empty()) {
        auto& frame = run->Frames.back();
        const std::shared_ptr<TcontrollerAction> action = frame.Action;
        TcustomControllerCommand* command = action->Commands().Items(frame.Next);
        if (!command) {
            EndFrame(*run);
            continue;
        }
        ++frame.Next;
        try {
            if (auto* wait = dynamic_cast<TwaitCommand*>(command)) {
                wait->Execute();
                if (wait->Seconds > 0) {
                    std::weak_ptr<TactionSequencer*> alive = Falive;
                    RemoteTimer().After(wait->Seconds * 1000, [alive, run] {
                        auto self = alive.lock();
                        if (!self) return;
                        auto& runs = (*self)->Fruns;
                        if (std::find(runs.begin(), runs.end(), run) != runs.end()) (*self)->Continue(run);
                    });
                    return;
                }
                continue;
            }
            if (auto* call = dynamic_cast<TactionCommand*>(command)) {
                call->TcustomControllerCommand::Execute();
                auto target = call->FindTarget();
                if (!target) continue;
                const bool inSequence = std::any_of(run->Frames.begin(), run->Frames.end(),
                                                    [&](const Trun::Tframe& f) { return f.Action == target; });
                if (inSequence) {
                    LogError("Action \"" + action->Name() + "\" runs \"" + target->Name() +
                             "\", which is already running in this sequence; not run again");
                    continue;
                }
                if (int(run->Frames.size()) >= kMaxActionDepth) {
                    LogError("Action \"" + target->Name() + "\" not run: actions nested deeper than " +
                             std::to_string(kMaxActionDepth));
                    continue;
                }
                if (target->Frunning) {
                    ++target->Fqueued;
                    continue;
                }
                target->Frunning = true;
                run->Frames.push_back({target, 0});
                continue;
            }
            command->Execute();
        } catch (const std::exception& e) {
            LogError("Action \"" + action->Name() + "\" stopped: " + e.what());
            EndFrame(*run);
        } catch (...) {
            LogError("Action \"" + action->Name() + "\" stopped by an unknown failure");
            EndFrame(*run);
        }
    }
    Finish(run);
}

void TactionSequencer::StopAll() {
    for (auto& run : Fruns)
        for (auto& frame : run->Frames) {
            frame.Action->Frunning = false;
            frame.Action->Fqueued = 0;
        }
    Fruns.clear();
}

// ---- Exec ----

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool have = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (have) args.push_back(current);
            current.clear();
            have = false;
        } else {
            current.push_back(c);
            have = true;
        }
    }
    if (have) args.push_back(current);
    return args;
}

bool StartExecCommand(const std::string& fileName, const std::string& parameters, std::string* error,
                      pid_t* started) {
    if (fileName.empty()) {
        if (error) *error = "no file to start";
        return false;
    }
    const fs::path file(fileName);
    // The working folder is the file's own folder, handed over as it is.
    std::error_code ec;
    std::string folder = file.has_parent_path() ? file.parent_path().string() : std::string();
    if (!folder.empty() && !fs::is_directory(folder, ec)) folder.clear();
    std::vector<std::string> args = SplitCommandLine(parameters);
    std::string program = fileName;
    bool runnable = false;
    if (file.has_parent_path()) {
        runnable = access(fileName.c_str(), X_OK) == 0 && !fs::is_directory(file, ec);
    } else if (const std::string onPath = FindOnPath(fileName); !onPath.empty()) {
        program = (fs::path(onPath) / fileName).string();
        runnable = true;
    }
    if (!runnable) {
        // Not a program: the desktop opens the document (the parameters go with it).
        const std::string opener = FindOnPath("xdg-open");
        if (opener.empty()) {
            if (error) *error = "\"" + fileName + "\" is no program and no document opener is installed";
            return false;
        }
        program = (fs::path(opener) / "xdg-open").string();
        args.insert(args.begin(), fileName);
    }
    std::string reason;
    const pid_t pid = LaunchProgram(program, args, folder, &reason);
    if (pid == 0) {
        if (error) *error = "\"" + fileName + "\" could not be started: " + reason;
        return false;
    }
    if (started) *started = pid;
    return true;
}

}  // namespace tunecrest
