// Links: tunecrest_windows
// The touch file chooser opening a folder of 100,000 files (TUNECREST_BENCH_FILES sets
// another count), as a person sees it: how long the touch that opens it holds the screen
// (OpenFolder returning), the longest turn of the event loop while the rows come (each
// turn adds a piece of them), the time until every row is listed, and the touch that
// leaves the folder again.
// Target: no turn of the event loop over 16 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>

#include "windows/dialogs/file_chooser.h"

namespace fs = std::filesystem;
using namespace tunecrest;

namespace {

fs::path& FolderRoot() {
    static fs::path root;
    return root;
}

const std::string& BigFolder() {
    static const std::string folder = [] {
        const char* n = std::getenv("TUNECREST_BENCH_FILES");
        const int count = n ? std::max(1000, std::atoi(n)) : 100000;
        FolderRoot() = fs::temp_directory_path() / ("tunecrest-bench-chooser-" + std::to_string(getpid()));
        const fs::path big = FolderRoot() / "big";
        fs::create_directories(big);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(FolderRoot(), ec);
        });
        char name[64];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "/Artist %04d - Track %06d.mp3", i % 5000, i);
            const int fd = ::open((big.string() + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        }
        return big.string();
    }();
    return folder;
}

void OpenLargeFolder(benchmark::State& state) {
    const std::string& folder = BigFolder();
    TfrmFileChooser chooser(TchooserKind::ckOpenFile, "Queue File", "Music (*.mp3)", FolderRoot().string());
    chooser.show();
    double touchMs = 0, longestTurnMs = 0, listedMs = 0, leaveMs = 0;
    std::vector<double> turns;
    int longestAtRows = 0;  // rows listed when the longest turn ended
    for (auto _ : state) {
        QElapsedTimer whole;
        whole.start();
        QElapsedTimer turn;
        turn.start();
        chooser.OpenFolder(folder);
        touchMs = std::max(touchMs, turn.nsecsElapsed() / 1e6);
        while (chooser.Listing()) {
            turn.restart();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            turns.push_back(turn.nsecsElapsed() / 1e6);
            if (turns.back() > longestTurnMs) {
                longestTurnMs = turns.back();
                longestAtRows = chooser.lbEntries->count();
            }
        }
        listedMs = whole.nsecsElapsed() / 1e6;
        if (chooser.lbEntries->count() == 0) state.SkipWithError("nothing listed");
        state.PauseTiming();
        // Leaving the folder (a touch on "Up") drops its rows.
        turn.restart();
        chooser.OpenFolder(FolderRoot().string());
        leaveMs = std::max(leaveMs, turn.nsecsElapsed() / 1e6);
        while (chooser.Listing()) QCoreApplication::processEvents(QEventLoop::AllEvents);
        state.ResumeTiming();
    }
    state.counters["touch_ms"] = touchMs;
    state.counters["longest_turn_ms"] = longestTurnMs;
    state.counters["longest_turn_at_rows"] = longestAtRows;
    std::sort(turns.begin(), turns.end());
    if (!turns.empty()) {
        // The turns that did work (a piece of rows, the listing's end), not the idle ones
        // while the folder is read.
        std::vector<double> busy;
        for (double t : turns)
            if (t >= 1.0) busy.push_back(t);
        if (!busy.empty()) {
            state.counters["busy_turns"] = double(busy.size());
            state.counters["median_busy_turn_ms"] = busy[busy.size() / 2];
            state.counters["second_longest_turn_ms"] = busy.size() > 1 ? busy[busy.size() - 2] : busy.back();
        }
    }
    state.counters["listed_ms"] = listedMs;
    state.counters["leave_ms"] = leaveMs;
    state.counters["rows"] = chooser.lbEntries->count();
}

}  // namespace

BENCHMARK(OpenLargeFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
