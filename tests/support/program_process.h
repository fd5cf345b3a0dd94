#pragma once
// The real program started as a process of its own by a test: posix_spawn (no fork
// without exec in a test program, which runs threads), a root folder with settings for
// a quiet start, and a watch on the child that polls without waiting.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/pump_events.h"

extern char** environ;

namespace tunecrest::test {

// Runs the real program with `args` in `env`; returns the child's id, or 0.
inline pid_t SpawnProgram(const std::vector<std::string>& args, std::vector<std::string>& env) {
    const std::string program = std::string(TUNECREST_BIN_DIR) + "/tunecrest";
    std::vector<std::string> argvText = {program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
    return child;
}

// Makes the program's root folder `root` (ending in "/") with settings for a start that
// asks nothing (no tips, no exit question, not full screen, no random play), and `run`,
// the private runtime folder the program's single-instance socket goes in.
inline void MakeQuietRoot(const std::string& root, const std::string& run) {
    std::filesystem::create_directories(root + "Settings");
    std::filesystem::create_directory(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    std::ofstream(root + "Settings/settings.ini") << "[Preferences]\nShowTipsAtStartup=0\nConfirmExit=0\n["
                                                     "Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n";
}

// This process's environment without the entries that begin with one of `prefixes`
// ("NAME=").
inline std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& prefixes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool dropped = false;
        for (const std::string& prefix : prefixes) dropped = dropped || entry.rfind(prefix, 0) == 0;
        if (!dropped) env.push_back(entry);
    }
    return env;
}

// A spawned child: Ended() polls it without waiting and keeps its status once it ended.
class TchildProcess {
  public:
    explicit TchildProcess(pid_t pid) : Fpid(pid) {}
    bool Ended() { return Fended || (Fended = waitpid(Fpid, &Fstatus, WNOHANG) == Fpid); }
    // Kills the child when it has not ended, and collects it.
    void EndIfRunning() {
        if (Fended) return;
        kill(Fpid, SIGKILL);
        waitpid(Fpid, &Fstatus, 0);
    }
    // Whether it ended on its own with exit code 0.
    bool ExitedCleanly() const { return WIFEXITED(Fstatus) && WEXITSTATUS(Fstatus) == 0; }
    bool HasEnded() const { return Fended; }
    pid_t Pid() const { return Fpid; }

  private:
    pid_t Fpid;
    int Fstatus = -1;
    bool Fended = false;
};

struct TlaterExit {
    bool Started = false;       // the later start was spawned
    bool LaterEnded = false;    // it handed the message over and ended
    bool RunningEnded = false;  // the running copy ended on it
};

// Hands "Message=100:0" (Exit) to the `running` copy through a later start of the program
// in `env`, waits for the later start and then the running copy to end, and kills the
// running copy when it did not.
inline TlaterExit ExitThroughALaterStart(TchildProcess& running, std::vector<std::string>& env) {
    TlaterExit result;
    TchildProcess later(SpawnProgram({"Message=100:0"}, env));
    result.Started = later.Pid() != 0;
    if (!result.Started) return result;
    result.LaterEnded = Pump([&] { return later.Ended(); }, 30000);
    result.RunningEnded = Pump([&] { return running.Ended(); }, 60000);
    running.EndIfRunning();
    return result;
}

}  // namespace tunecrest::test
