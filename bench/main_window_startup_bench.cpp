// Start-up of the jukebox with a 100,000-track library (TUNECREST_STARTUP_TRACKS sets
// another size, e.g. 1000000): from constructing the main window to a shown, interactive
// window, phase by phase (construction, settings, initialisation with the library load,
// show), the whole of it as min/median/max, and the resident memory afterwards.
// Targets at a million tracks: a painted window within 800 ms, at most 500 MB.
// Links: tunecrest_mainwindow
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/library/jukebox_list.h"
#include "mainwindow/main_form.h"
#include "mainwindow/qt_dispatcher.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

int Tracks() {
    static const int tracks = [] {
        const char* size = std::getenv("TUNECREST_STARTUP_TRACKS");
        const int n = size ? std::atoi(size) : 0;
        return n > 0 ? n : 100000;
    }();
    return tracks;
}

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

void BM_StartUpToInteractiveWindow(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 0);
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    InstallQtDispatcher();
    test::TempDir dir;
    const std::string root = dir.Path().string();
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(root + "/Data/");
        std::filesystem::create_directories(root + "/Data");
        FillLibrary(lib.GlobalList());
        lib.SaveAll();
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    double create = 0, settings = 0, init = 0, show = 0, rss = 0;
    std::vector<double> totals;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root}, root);
        const auto t1 = Clock::now();
        form->ReadDisplaySettings();
        const auto t2 = Clock::now();
        form->DoInitialise();
        const auto t3 = Clock::now();
        form->show();
        QApplication::processEvents();
        form->PostInitialise();
        const auto t4 = Clock::now();
        if (form->JukeboxList()->GlobalList().Count() != Tracks()) state.SkipWithError("the library did not load");
        create += ms(t0, t1), settings += ms(t1, t2), init += ms(t2, t3), show += ms(t3, t4);
        totals.push_back(ms(t0, t4));
        rss = std::max(rss, ResidentMb());
        form->Controller().SetClosing();
        form.reset();
    }
    const double n = double(state.iterations());
    state.counters["create_ms"] = create / n;
    state.counters["settings_ms"] = settings / n;
    state.counters["initialise_ms"] = init / n;
    state.counters["show_ms"] = show / n;
    state.counters["rss_mb"] = rss;
    std::sort(totals.begin(), totals.end());
    if (!totals.empty()) {
        state.counters["total_ms_min"] = totals.front();
        state.counters["total_ms_median"] = totals[totals.size() / 2];
        state.counters["total_ms_max"] = totals.back();
    }
    state.counters["tracks"] = Tracks();
    SetDispatcher(nullptr);
}
BENCHMARK(BM_StartUpToInteractiveWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tunecrest

BENCHMARK_MAIN();
