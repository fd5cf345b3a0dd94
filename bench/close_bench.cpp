// Close-down of the jukebox with a large library, as a person meets it: the program itself
// starts in a fresh process on a generated library, settles, and is asked to close (the
// Exit command another start hands over, as a remote control or a second start sends it;
// the window's own Exit runs the same action). The time runs from that request to the
// process's exit. Each figure is printed as min/median/max of the runs beside its target.
//
//   bench_close [--tracks 1000000] [--runs 3] [--dir FOLDER] [--keep]
//
// The library comes from bench_scale's generator (the one place where the benchmarks make
// their realistic libraries), run once into FOLDER and kept there with --keep. With a
// DISPLAY the program shows its window there (an X server with a window manager, as the
// jukebox runs); without one it runs offscreen. Nothing changed, nothing may be written:
// the data files are checked to be as they were.
// Links: tunecrest_mainwindow
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "mainwindow/instance/single_instance.h"

extern char** environ;

using namespace tunecrest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kTargetMs = 300;
// The library's own files, as the generator leaves them.
const char* const kLibraryFiles[] = {"jukebox.dat", "playlists.dat", "albums.idx", "artists.idx",
                                     "titles.idx",  "genres.idx",    "years.idx"};

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Starts `args` in `env`; with `quiet`, its standard output and error go nowhere.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, bool quiet = false) {
    std::vector<std::string> a = args, e = env;
    std::vector<char*> argv, envp;
    for (auto& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    for (auto& s : e) envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : 0;
}

// The generated library in `cache`: bench_scale's generator, run once.
bool Generate(int tracks, const fs::path& cache) {
    if (fs::exists(cache / "jukebox.dat") && fs::exists(cache / "years.idx")) return true;
    fs::create_directories(cache);
    const fs::path scale = fs::read_symlink("/proc/self/exe").parent_path() / "bench_scale";
    std::printf("generating %d tracks with %s ...\n", tracks, scale.c_str());
    std::fflush(stdout);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    const pid_t child = Spawn({scale.string(), "--child", "gen", "--size", std::to_string(tracks), "--dir",
                               cache.string()},
                              env, true);
    int status = 0;
    if (child == 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    // Only the library's own files are used.
    std::error_code ec;
    fs::remove(cache / "peer.sqlite", ec);
    fs::remove(cache / "jukebox.csv", ec);
    return fs::exists(cache / "jukebox.dat");
}

// A root whose data folder holds the generated files (linked: every write replaces a file,
// so the generated ones are never changed), with settings that start quietly.
void MakeRoot(const fs::path& cache, const fs::path& root) {
    fs::remove_all(root);
    fs::create_directories(root / "Data");
    fs::create_directories(root / "Settings");
    for (const char* name : kLibraryFiles) {
        std::error_code ec;
        fs::create_hard_link(cache / name, root / "Data" / name, ec);
        if (ec) {
            fs::copy_file(cache / name, root / "Data" / name);
            fs::last_write_time(root / "Data" / name, fs::last_write_time(cache / name));
        }
    }
    std::ofstream(root / "Settings" / "settings.ini")
        << "[Preferences]\r\nShowTipsAtStartup=0\r\nConfirmExit=0\r\n[Geometry]\r\nFullScreen=0\r\n"
           "[RandomPlay]\r\nEnabled=0\r\n";
}

// Size, times and file of every entry of the data folder.
std::map<std::string, std::string> Stamps(const fs::path& folder) {
    std::map<std::string, std::string> stamps;
    for (const auto& entry : fs::directory_iterator(folder)) {
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0) continue;
        std::ostringstream text;
        text << st.st_ino << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << ' '
             << st.st_ctim.tv_sec << '.' << st.st_ctim.tv_nsec;
        stamps[entry.path().filename().string()] = text.str();
    }
    return stamps;
}

double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 1; fields >> field; ++i) {
        if (i == 12) utime = std::atol(field.c_str());
        if (i == 13) {
            stime = std::atol(field.c_str());
            break;
        }
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

struct Trun {
    bool Ok = false;
    double StartMs = 0, CloseMs = 0;
    bool Untouched = false;  // nothing changed: the data files are as they were
    std::string Failure;
};

// Starts the program on `root`, waits until it has settled (no work for a second), asks it
// to close and times the close.
Trun Run(const fs::path& program, const fs::path& root, const fs::path& runtime) {
    Trun run;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_RUNTIME_DIR=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        env.push_back(entry);
    }
    env.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    if (!std::getenv("DISPLAY")) env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("TUNECREST_AUDIO_SINK=fakesink");
    // The hand-over below finds the running copy through the same folder.
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const auto before = Stamps(root / "Data");
    const auto started = Clock::now();
    // Its messages (the offscreen platform's notes) would only mix with the table.
    const pid_t child = Spawn({program.string(), "-RootFolder=" + (root.string() + "/")}, env, true);
    if (child == 0) {
        run.Failure = "cannot start " + program.string();
        return run;
    }
    int status = 0;
    const auto ended = [&] { return waitpid(child, &status, WNOHANG) == child; };
    // Settled: less than 20 ms of processor time in each of two half seconds.
    double last = -1;
    for (int quiet = 0; quiet < 2;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (ended()) {
            run.Failure = "the program ended by itself";
            return run;
        }
        const double cpu = CpuSeconds(child);
        quiet = last >= 0 && cpu - last < 0.02 ? quiet + 1 : 0;
        last = cpu;
        if (MsSince(started) > 600000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            run.Failure = "the program did not settle";
            return run;
        }
    }
    run.StartMs = MsSince(started) - 1000;  // less the quiet second
    const auto request = Clock::now();
    if (!SendParamsToRunningInstance(kMainWindowClass, {"Message=100:0"})) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        run.Failure = "the close request was not taken";
        return run;
    }
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.Failure = "the program did not end cleanly";
        return run;
    }
    run.CloseMs = MsSince(request);
    auto after = Stamps(root / "Data");
    after.erase("log.log");
    auto expected = before;
    expected.erase("log.log");
    run.Untouched = after == expected;
    run.Ok = true;
    return run;
}

std::string Spread(std::vector<double> values, bool seconds = false) {
    if (values.empty()) return "-";
    std::sort(values.begin(), values.end());
    char text[96];
    const auto show = [seconds](double ms) {
        char one[32];
        if (seconds)
            std::snprintf(one, sizeof one, "%.2f s", ms / 1000);
        else
            std::snprintf(one, sizeof one, "%.0f ms", ms);
        return std::string(one);
    };
    std::snprintf(text, sizeof text, "%s / %s / %s", show(values.front()).c_str(),
                  show(values[values.size() / 2]).c_str(), show(values.back()).c_str());
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    int tracks = 1000000, runs = 3;
    fs::path dir = fs::temp_directory_path() / ("tunecrest-close-" + std::to_string(getpid()));
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--tracks")
            tracks = std::max(1, std::atoi(next().c_str()));
        else if (arg == "--runs")
            runs = std::max(1, std::atoi(next().c_str()));
        else if (arg == "--dir")
            dir = next();
        else if (arg == "--keep")
            keep = true;
        else {
            std::fprintf(stderr, "usage: %s [--tracks N] [--runs N] [--dir FOLDER] [--keep]\n", argv[0]);
            return 2;
        }
    }
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "tunecrest";
    const fs::path cache = dir / ("library-" + std::to_string(tracks));
    if (!Generate(tracks, cache)) {
        std::fprintf(stderr, "generating the library failed\n");
        return 1;
    }
    const fs::path runtime = dir / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    std::printf("close-down at %d tracks, %d runs, %s (min / median / max)\n", tracks, runs,
                std::getenv("DISPLAY") ? "on the X display" : "offscreen");
    int failed = 0;
    std::vector<double> close, start;
    bool untouched = true;
    for (int r = 0; r < runs; ++r) {
        const fs::path root = dir / "root";
        MakeRoot(cache, root);
        const Trun run = Run(program, root, runtime);
        if (!run.Ok) {
            std::printf("  run %d failed: %s\n", r + 1, run.Failure.c_str());
            ++failed;
            continue;
        }
        close.push_back(run.CloseMs);
        start.push_back(run.StartMs);
        untouched = untouched && run.Untouched;
    }
    std::printf("  %-42s %-26s target <= %.1f s\n", "close request -> exit, nothing changed", Spread(close).c_str(),
                kTargetMs / 1000);
    std::printf("  %-42s %s\n", "data files untouched", untouched ? "yes" : "NO");
    std::printf("  %-42s %s\n", "(start-up until settled)", Spread(start, true).c_str());
    if (!keep) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return failed == 0 && untouched ? 0 : 1;
}
