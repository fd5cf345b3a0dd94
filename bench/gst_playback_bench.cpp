// Playback costs of the in-process player, to a synchronised fake audio output:
// CPU time per second of MP3 played, and the gap between the end of one file and
// the start of the next (reported by the bus, then opened and started).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <deque>
#include <thread>

#include "core/tags/audio_tag.h"
#include "core/base/services.h"
#include "playback/dshow_player.h"
#include "playback/filter_graph.h"
#include "playback/graph_utils.h"
#include "../tests/support/media_files.h"
#include "../tests/support/temp_dir.h"

namespace tunecrest {
namespace {

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Tmedia {
    test::TempDir Dir;
    std::string Mp3, First, Second;
    Tmedia() {
        setenv(kAudioSinkVariable, "fakesink sync=true", 1);
        Mp3 = Dir.File("tone.mp3");
        First = Dir.File("first.mp3");
        Second = Dir.File("second.mp3");
        test::MakeMediaFile(Mp3, test::TmediaFormat::Mp3, 5.0);
        test::MakeMediaFile(First, test::TmediaFormat::Mp3, 1.0);
        test::MakeMediaFile(Second, test::TmediaFormat::Mp3, 1.0);
    }
};

Tmedia& Media() {
    static Tmedia media;
    return media;
}

void BM_Mp3CpuPerSecondPlayed(benchmark::State& state) {
    const std::string file = Media().Mp3;
    double cpu = 0, audio = 0, wall = 0;
    {
        // Loads the decoders' plug-ins once, so that only playing is measured.
        TmyFilterGraph warmUp;
        warmUp.OpenFile(file);
    }
    for (auto _ : state) {
        TmyFilterGraph graph;
        bool done = false;
        graph.OnComplete = [&](TObject*) { done = true; };
        const double before = ProcessCpuSeconds();
        const auto started = std::chrono::steady_clock::now();
        if (!graph.OpenAndPlay(file)) {
            state.SkipWithError("cannot play");
            return;
        }
        int64_t length = 0;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            length = std::max(length, graph.GetDuration());
            graph.TimerTick();
        }
        // CPU of every thread of the process (decoding runs on GStreamer's threads).
        cpu += ProcessCpuSeconds() - before;
        audio += double(length) / 1000.0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    state.counters["cpu_percent_of_one_core"] = audio > 0 ? cpu / audio * 100.0 : 0;
    state.counters["audio_seconds"] = audio;
    state.counters["wall_seconds"] = wall;
}
BENCHMARK(BM_Mp3CpuPerSecondPlayed)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GapBetweenFiles(benchmark::State& state) {
    auto queue = std::make_shared<TqueueDispatcher>();
    SetDispatcher(queue);
    double totalGapMs = 0, worstGapMs = 0;
    int gaps = 0;
    for (auto _ : state) {
        TcustomMediaPlayerEvents events;
        TdshowPlayer player;
        std::deque<std::string> files = {Media().First, Media().Second};
        std::vector<std::chrono::steady_clock::time_point> starts;
        uint32_t firstLength = 0;
        bool finished = false;
        events.OnGetNextTagger = [&](TObject*, TaudioTagPtr& tag) {
            if (files.empty()) return;
            tag = std::make_shared<TaudioTag>();
            tag->SetFilename(files.front());
            files.pop_front();
        };
        events.OnPlaybackStart = [&](TObject*, const TaudioTagPtr&) {
            starts.push_back(std::chrono::steady_clock::now());
        };
        events.OnTimeChange = [&](TObject*, uint32_t, uint32_t length) {
            if (starts.size() == 1) firstLength = std::max(firstLength, length);
        };
        events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr&) {
            if (files.empty()) finished = true;
            player.PlayNext();
        };
        player.SetEvents(&events);
        player.Play();
        while (!finished) queue->WaitAndProcess(10);
        if (starts.size() != 2) {
            state.SkipWithError("the second file did not start");
            break;
        }
        // The first file's sound ends its length after it started.
        const double gapMs =
            std::chrono::duration<double, std::milli>(starts[1] - starts[0]).count() - double(firstLength);
        totalGapMs += gapMs;
        worstGapMs = std::max(worstGapMs, gapMs);
        ++gaps;
    }
    SetDispatcher(nullptr);
    state.counters["gap_ms_mean"] = gaps ? totalGapMs / gaps : 0;
    state.counters["gap_ms_worst"] = worstGapMs;
}
BENCHMARK(BM_GapBetweenFiles)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tunecrest

BENCHMARK_MAIN();
