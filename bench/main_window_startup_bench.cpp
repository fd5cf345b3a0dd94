// Start-up of the jukebox with a 100,000-track library (TUNECREST_STARTUP_TRACKS sets
// another size, e.g. 1000000), each start in a fresh process of its own as the program
// meets it: the library is made and saved once, then every run starts a new process that
// builds the main window phase by phase (construction, settings, initialisation with the
// library load, show and the first paint), waits until the browse tree holds all its
// nodes, and reports its times and resident memory. The parent prints each figure as
// min/median/max of the runs (TUNECREST_STARTUP_RUNS, 3 by default) beside its target.
// Targets at a million tracks: a painted window within 800 ms, the tree complete within
// 1000 ms, at most 500 MB resident.
// Links: tunecrest_mainwindow
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/heap_in_use.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "mainwindow/main_form.h"
#include "mainwindow/main_layout.h"
#include "mainwindow/qt_dispatcher.h"

using namespace tunecrest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : fallback;
}

int Tracks() { return EnvNumber("TUNECREST_STARTUP_TRACKS", 100000); }

void FillLibrary(TaudioTagList& list) {
    list.BeginUpdate();
    for (int i = 0; i < Tracks(); ++i) {
        const int album = i / 12, artist = album / 4;
        auto tag = std::make_shared<TaudioTag>();
        tag->SetArtist("Artist " + std::to_string(artist));
        tag->SetAlbum("Album " + std::to_string(album));
        tag->SetTitle("Title " + std::to_string(i));
        tag->SetDate(std::to_string(1960 + album % 60));
        tag->SetGenreString("Genre " + std::to_string(artist % 40));
        tag->SetFilename("/music/Artist " + std::to_string(artist) + "/Album " + std::to_string(album) + "/" +
                         std::to_string(i % 12 + 1) + " Title " + std::to_string(i) + ".mp3");
        tag->SetMediaType(mkAudio);
        list.Add(tag);
    }
    list.EndUpdate();
}

double ResidentMb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

double MsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Nanoseconds of the monotonic clock, which the parent and the child share.
long long Stamp(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// One start-up in this process; `forkedAt` is when the parent started it. Prints one line
// of figures, each in ms from the fork, or MB.
int RunChild(const std::string& root, long long forkedAt) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 0);
    const auto start = Clock::time_point(std::chrono::nanoseconds(forkedAt));
    QApplication app(argc, argv);
    InstallQtDispatcher();
    const auto t0 = Clock::now();
    auto form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root}, root);
    const auto t1 = Clock::now();
    form->ReadDisplaySettings();
    form->DoInitialise();
    const auto t2 = Clock::now();
    form->show();
    form->update();
    QApplication::processEvents();
    form->PostInitialise();
    QApplication::processEvents();
    const auto painted = Clock::now();
    const double paintedRss = ResidentMb();
    if (form->JukeboxList()->GlobalList().Count() != Tracks()) {
        std::fprintf(stderr, "the library did not load\n");
        return 1;
    }
    // The tree is built in steps through the event loop once the window is on show.
    TbrowseTreeView& browse = form->Layout().Browse();
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (browse.Building() && Clock::now() < deadline) QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (browse.Building()) {
        std::fprintf(stderr, "the browse tree was not complete within 120 s\n");
        return 1;
    }
    const auto treeDone = Clock::now();
    // A moment of idle loop, as a running window has, then the memory it keeps.
    for (const auto idle = Clock::now() + std::chrono::milliseconds(200); Clock::now() < idle;)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::printf("process_ms=%.1f create_ms=%.1f load_ms=%.1f painted_ms=%.1f tree_ms=%.1f painted_rss_mb=%.1f "
                "rss_mb=%.1f heap_mb=%.1f\n",
                MsBetween(start, t0), MsBetween(t0, t1), MsBetween(t1, t2), MsBetween(start, painted),
                MsBetween(start, treeDone), paintedRss, ResidentMb(), double(HeapInUseBytes()) / 1048576.0);
    std::fflush(stdout);
    form->Controller().SetClosing();
    // The process ends here: tearing a million tracks down is not part of a start.
    _exit(0);
}

struct Tfigures {
    double ProcessMs = 0, CreateMs = 0, LoadMs = 0, PaintedMs = 0, TreeMs = 0, PaintedRss = 0, Rss = 0, Heap = 0;
};

bool Spawn(const std::string& self, const std::string& root, Tfigures& f) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string stamp = std::to_string(Stamp(Clock::now()));
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self.c_str(), self.c_str(), "--child", root.c_str(), stamp.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    return std::sscanf(out.c_str(),
                       "process_ms=%lf create_ms=%lf load_ms=%lf painted_ms=%lf tree_ms=%lf painted_rss_mb=%lf "
                       "rss_mb=%lf heap_mb=%lf",
                       &f.ProcessMs, &f.CreateMs, &f.LoadMs, &f.PaintedMs, &f.TreeMs, &f.PaintedRss, &f.Rss,
                       &f.Heap) == 8;
}

void PrintRow(const char* name, std::vector<double> values, const char* unit, const char* target) {
    std::sort(values.begin(), values.end());
    std::printf("%-44s %9.1f %9.1f %9.1f %-3s %s\n", name, values.front(), values[values.size() / 2], values.back(),
                unit, target);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], std::atoll(argv[3]));
    const int runs = EnvNumber("TUNECREST_STARTUP_RUNS", 3);
    const fs::path root = fs::temp_directory_path() / ("tunecrest-startup-" + std::to_string(getpid()));
    fs::create_directories(root / "Data");
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder((root / "Data").string() + "/");
        FillLibrary(lib.GlobalList());
        lib.SaveAll();
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<Tfigures> all;
    for (int i = 0; i < runs; ++i) {
        Tfigures f;
        if (!Spawn(self, root.string(), f)) {
            std::fprintf(stderr, "start-up run %d failed\n", i + 1);
            fs::remove_all(root);
            return 1;
        }
        all.push_back(f);
    }
    fs::remove_all(root);
    auto column = [&](double Tfigures::*field) {
        std::vector<double> v;
        for (const Tfigures& f : all) v.push_back(f.*field);
        return v;
    };
    const bool million = Tracks() >= 1000000;
    std::printf("start-up at %d tracks, %d fresh processes      %9s %9s %9s\n", Tracks(), runs, "min", "median",
                "max");
    PrintRow("process start to the window's construction", column(&Tfigures::ProcessMs), "ms", "");
    PrintRow("window construction", column(&Tfigures::CreateMs), "ms", "");
    PrintRow("settings and initialise (the library load)", column(&Tfigures::LoadMs), "ms", "");
    PrintRow("start-up to a painted window", column(&Tfigures::PaintedMs), "ms", million ? "target <= 800 ms" : "");
    PrintRow("start-up until the browse tree is complete", column(&Tfigures::TreeMs), "ms",
             million ? "target <= 1000 ms" : "");
    PrintRow("resident memory when painted", column(&Tfigures::PaintedRss), "MB", "");
    PrintRow("resident memory of the running window", column(&Tfigures::Rss), "MB", million ? "target <= 500 MB" : "");
    PrintRow("heap committed", column(&Tfigures::Heap), "MB", "");
    return 0;
}
