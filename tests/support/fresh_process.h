#pragma once
// A part of a test run in a process of its own, started afresh.
//
// A test program runs threads (its watchdog, Qt, GStreamer, the library's workers). A child
// made by fork alone inherits every lock such a thread held at that moment (the allocator's,
// the sanitizer's) with nobody left to release it, and can wait on one for ever. So the
// child here is a new start of this very test program, asked to run only the current test:
// it runs the test from its start up to the same call, runs `body` there and ends with the
// body's result, which this process's test then goes on with.
//
// What the child made before the call is its own: its own `TempDir`s (under a folder this
// process removes afterwards), its own objects. The test may hand it one text as `argument`
// (a folder of this process to work in, a socket's path), read there by
// `FreshProcessArgument()`. A test may make several such calls; in the child the earlier
// ones give back what they gave here, so that it comes to the same call on the same road.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

extern char** environ;

namespace tunecrest::test {

// How a child ended and what it wrote (GoogleTest's report of its checks included).
struct TfreshProcess {
    bool Started = false;
    int ExitCode = -1;  // its exit status when it ended by itself
    int Signal = 0;     // the signal that ended it, else 0
    std::string Output;

    bool Exited(int code) const { return Started && Signal == 0 && ExitCode == code; }
};

namespace fresh_process {

// "<suite>.<test>#<call>" in the child: which call of which test runs its body.
inline constexpr const char* kCallVariable = "TUNECREST_FRESH_PROCESS";
inline constexpr const char* kArgumentVariable = "TUNECREST_FRESH_PROCESS_ARGUMENT";
// How the earlier calls of the test ended here: "<exit>:<signal>,..." in call order.
inline constexpr const char* kEarlierVariable = "TUNECREST_FRESH_PROCESS_EARLIER";
// The child's exit status when its test ended without coming to the call.
inline constexpr int kNotReached = 121;

inline std::string CurrentTest() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
}

// The calls made so far by the running test.
struct Tcalls {
    std::string Test;
    std::vector<TfreshProcess> Ended;
};
inline Tcalls& Calls() {
    static Tcalls calls;
    const std::string test = CurrentTest();
    if (calls.Test != test) calls = Tcalls{test, {}};
    return calls;
}

inline std::string Encode(const std::vector<TfreshProcess>& ended) {
    std::string text;
    for (const TfreshProcess& e : ended)
        text += (text.empty() ? "" : ",") + std::to_string(e.ExitCode) + ":" + std::to_string(e.Signal);
    return text;
}

inline TfreshProcess Decode(const std::string& text, size_t index) {
    TfreshProcess result;
    result.Started = true;
    size_t start = 0;
    for (size_t i = 0; i < index && start != std::string::npos; ++i) {
        start = text.find(',', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos || start >= text.size()) return TfreshProcess{};
    std::sscanf(text.c_str() + start, "%d:%d", &result.ExitCode, &result.Signal);
    return result;
}

// Every folder below `folder` made removable again (a test may leave one read-only), then
// the whole removed.
inline void RemoveTree(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder, ec);
}

inline std::string OwnProgram() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

// Starts the child (posix_spawn: nothing runs in the child before the new program), reads
// what it writes until it ends and reports how it ended.
inline TfreshProcess Spawn(const std::string& call, const std::string& argument, const std::string& earlier,
                           const std::string& tempFolder) {
    TfreshProcess result;
    const std::string program = OwnProgram();
    const std::string filter = "--gtest_filter=" + call.substr(0, call.rfind('#'));
    std::vector<std::string> args = {program, filter, "--gtest_color=no"};
    // GoogleTest's own settings (sharding above all, which could leave the test out) and
    // the parent's place for temporary files stay behind.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("GTEST_", 0) == 0 || entry.rfind("XML_OUTPUT_FILE=", 0) == 0 ||
            entry.rfind("TMPDIR=", 0) == 0 || entry.rfind("TUNECREST_FRESH_PROCESS", 0) == 0)
            continue;
        env.push_back(entry);
    }
    env.push_back(std::string(kCallVariable) + "=" + call);
    env.push_back(std::string(kArgumentVariable) + "=" + argument);
    env.push_back(std::string(kEarlierVariable) + "=" + earlier);
    env.push_back("TMPDIR=" + tempFolder);
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t child = 0;
    const int failed = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (failed != 0) {
        ::close(out[0]);
        result.Output = "cannot start " + program + ": " + std::to_string(failed);
        return result;
    }
    result.Started = true;
    // Read until the child has ended and nothing more waits in the pipe: a process the
    // child left behind may hold the pipe open, and must not hold this test.
    int status = 0;
    bool ended = false;
    char buffer[4096];
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, ended ? 0 : 100);
        if (ready > 0) {
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n > 0) {
                result.Output.append(buffer, size_t(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n == 0 && !ended) {  // the pipe closed: wait for the child itself
                while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
                }
                ended = true;
            }
            if (ended) break;
        } else if (ended) {
            break;
        }
        if (!ended && ::waitpid(child, &status, WNOHANG) == child) ended = true;
    }
    ::close(out[0]);
    if (WIFEXITED(status)) result.ExitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.Signal = WTERMSIG(status);
    return result;
}

}  // namespace fresh_process

// The text the test handed to this child; empty in a test's own process.
inline std::string FreshProcessArgument() {
    const char* text = std::getenv(fresh_process::kArgumentVariable);
    return text ? text : "";
}

// Runs `body` in a fresh start of this test program (see above) and reports how it ended;
// the body's return value is the child's exit status.
inline TfreshProcess RunInFreshProcess(const std::function<int()>& body, const std::string& argument = {}) {
    namespace fp = fresh_process;
    fp::Tcalls& calls = fp::Calls();
    const std::string call = calls.Test + "#" + std::to_string(calls.Ended.size() + 1);
    if (const char* chosen = std::getenv(fp::kCallVariable); chosen && std::string(chosen).rfind(calls.Test + "#", 0) == 0) {
        // This process is the child.
        if (call == chosen) {
            const int code = body();
            std::cout.flush();
            std::fflush(nullptr);
            ::_exit(code);
        }
        const char* earlier = std::getenv(fp::kEarlierVariable);
        calls.Ended.push_back(fp::Decode(earlier ? earlier : "", calls.Ended.size()));
        return calls.Ended.back();
    }
    std::error_code ec;
    std::string folder = (std::filesystem::temp_directory_path(ec) / "tunecrest-fresh-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        ADD_FAILURE() << "cannot make a folder for the child's temporary files";
        return TfreshProcess{};
    }
    // Any user may pass through (a child that gives up root rights works below it).
    ::chmod(folder.c_str(), 0711);
    TfreshProcess result = fp::Spawn(call, argument, fp::Encode(calls.Ended), folder);
    fp::RemoveTree(folder);
    if (result.Exited(fp::kNotReached))
        ADD_FAILURE() << "the test never came to the same call in its fresh process:\n" << result.Output;
    calls.Ended.push_back(result);
    return result;
}

}  // namespace tunecrest::test
