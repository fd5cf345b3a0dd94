#include "remote/program_launcher.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/base/document_opener.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "platform/launch_program.h"

namespace tunecrest {

namespace fs = std::filesystem;

std::string TappLauncher::Text() const {
    return Format("%s|%s|%s|%d|%d", FileName.c_str(), Parameters.c_str(), WorkingFolder.c_str(), ShowCommand,
                  Wait ? 1 : 0);
}

void TappLauncher::SetText(const std::string& text) {
    const auto fields = SplitString(text, '|');
    auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    FileName = field(0);
    Parameters = field(1);
    WorkingFolder = field(2);
    ShowCommand = StrToIntDef(field(3), 1);
    Wait = StrToIntDef(field(4), 0) != 0;
}

std::vector<std::string> SplitLaunchParameters(const std::string& parameters) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, haveArg = false;
    for (const char c : parameters) {
        if (c == '"') {
            inQuotes = !inQuotes;
            haveArg = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (haveArg) args.push_back(std::move(current));
            current.clear();
            haveArg = false;
        } else {
            current += c;
            haveArg = true;
        }
    }
    if (haveArg) args.push_back(std::move(current));
    return args;
}

namespace {

// The file a launcher names: a bare name is looked up on PATH like a shell would.
std::string ResolveProgram(const std::string& fileName) {
    if (fileName.find('/') == std::string::npos) {
        const std::string folder = FindOnPath(fileName);
        if (!folder.empty()) return (fs::path(folder) / fileName).string();
    }
    return fileName;
}

// What the watcher of one waited-for process shares with the thread that collects its exit.
struct TprocessWatch {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

}  // namespace

bool TappLauncher::Execute(std::function<void(TlaunchOutcome)> onFinished, int waitLimitMs) const {
    if (FileName.empty()) {
        LogError("Program launcher: no program given");
        return false;
    }
    const std::string program = ResolveProgram(FileName);
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) {
        LogError("Program launcher: \"" + FileName + "\" was not found");
        return false;
    }
    if (::access(program.c_str(), X_OK) != 0) {
        // A document: its default application opens it; there is no process to wait for.
        std::string error;
        if (!DocumentOpener().OpenDocument(program, error)) {
            LogError("Program launcher: cannot open \"" + FileName + "\": " + error);
            return false;
        }
        // Nothing to wait for: a waiting caller hears at once that it may go on.
        if (Wait && onFinished) Dispatcher().Post([onFinished = std::move(onFinished)] { onFinished(loEnded); });
        return true;
    }
    const auto args = SplitLaunchParameters(Parameters);
    std::string error;
    if (!Wait) {
        if (LaunchProgram(program, args, WorkingFolder, &error) == 0) {
            LogError("Program launcher: " + error);
            return false;
        }
        return true;
    }
    auto watch = std::make_shared<TprocessWatch>();
    const std::string folder = fs::path(program).parent_path().string();
    const pid_t pid = LaunchProgram(program, args, folder, &error, [watch](int) {
        std::lock_guard lock(watch->mutex);
        watch->done = true;
        watch->ended.notify_all();
    });
    if (pid == 0) {
        LogError("Program launcher: " + error);
        return false;
    }
    // The watcher waits off the main thread and reports back through the dispatcher.
    std::thread([watch, waitLimitMs, onFinished = std::move(onFinished), name = FileName] {
        bool ended;
        {
            std::unique_lock lock(watch->mutex);
            ended = watch->ended.wait_for(lock, std::chrono::milliseconds(std::max(0, waitLimitMs)),
                                          [&] { return watch->done; });
        }
        if (!ended)
            LogError(Format("Program launcher: \"%s\" still runs after %d s; going on", name.c_str(),
                            std::max(0, waitLimitMs) / 1000));
        if (onFinished) Dispatcher().Post([onFinished, ended] { onFinished(ended ? loEnded : loTimedOut); });
    }).detach();
    return true;
}

// One run of ExecuteAll: copies of the launchers and the position reached.
namespace {
struct TlaunchRun : std::enable_shared_from_this<TlaunchRun> {
    std::vector<TappLauncher> launchers;
    size_t next = 0;
    int waitLimitMs = 0;
    std::weak_ptr<bool> listAlive;
    std::function<void()> onFinished;

    void Step() {
        while (next < launchers.size()) {
            if (listAlive.expired()) return;
            const TappLauncher& launcher = launchers[next++];
            if (!launcher.Wait) {
                launcher.Execute();
                continue;
            }
            auto self = shared_from_this();
            if (launcher.Execute([self](TlaunchOutcome) { self->Step(); }, waitLimitMs)) return;
        }
        if (!listAlive.expired() && onFinished) onFinished();
        onFinished = nullptr;
    }
};
}  // namespace

TappLauncherList::TappLauncherList() : Falive(std::make_shared<bool>(true)) {}

TappLauncherList::~TappLauncherList() = default;

TappLauncher* TappLauncherList::Add(std::unique_ptr<TappLauncher> launcher) {
    Fitems.push_back(std::move(launcher));
    Changed();
    return Fitems.back().get();
}

TappLauncher* TappLauncherList::Add() { return Add(std::make_unique<TappLauncher>()); }

void TappLauncherList::Remove(int index) {
    if (index < 0 || index >= Count()) return;
    Fitems.erase(Fitems.begin() + index);
    Changed();
}

void TappLauncherList::Clear() {
    Fitems.clear();
    Changed();
}

void TappLauncherList::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    auto item = std::move(Fitems[from]);
    Fitems.erase(Fitems.begin() + from);
    Fitems.insert(Fitems.begin() + to, std::move(item));
    Changed();
}

void TappLauncherList::MoveUp(int index) {
    if (index > 0 && index < Count()) Move(index, index - 1);
}

void TappLauncherList::MoveDown(int index) {
    if (index >= 0 && index < Count() - 1) Move(index, index + 1);
}

TappLauncher* TappLauncherList::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[index].get() : nullptr;
}

void TappLauncherList::ExecuteAll(std::function<void()> onFinished) {
    auto run = std::make_shared<TlaunchRun>();
    for (const auto& item : Fitems) run->launchers.push_back(*item);
    run->waitLimitMs = FwaitLimitMs;
    run->listAlive = Falive;
    run->onFinished = std::move(onFinished);
    run->Step();
}

void TappLauncherList::LoadFromIni(const TiniFile& ini, const std::string& section) {
    BeginUpdate();
    for (const auto& key : ini.ReadSection(section)) Add()->SetText(ini.ReadString(section, key, ""));
    EndUpdate();
}

void TappLauncherList::SaveToIni(TiniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    for (int i = 0; i < Count(); ++i) ini.WriteString(section, Format("Launcher%04X", i), Fitems[i]->Text());
}

void TappLauncherList::EndUpdate() {
    if (FupdateCount == 0) return;
    if (--FupdateCount == 0 && FchangedWhileLocked) {
        FchangedWhileLocked = false;
        if (OnChange) OnChange(this);
    }
}

void TappLauncherList::Changed() {
    if (FupdateCount > 0) {
        FchangedWhileLocked = true;
        return;
    }
    if (OnChange) OnChange(this);
}

}  // namespace tunecrest
