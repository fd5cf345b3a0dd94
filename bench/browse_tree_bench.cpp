// Builds the main window's default browse tree (artists with albums, title groups,
// playlists, compilations, untagged, genres with artists and albums, videos) for
// libraries of 100,000 and 1,000,000 tracks, as the window does after every library
// change: in one go (the tree of a window that has none), and a step at a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "bench/browse_bench_library.h"
#include "core/display/browse_tree.h"
#include "core/display/tree_nodes.h"

using namespace tunecrest;
using bench::TbrowseBenchLibrary;

namespace {

int CountNodes(const TmyNodeList& list) {
    int count = list.Count();
    for (int i = 0; i < list.Count(); ++i) count += CountNodes(list.Items(i)->Children());
    return count;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The whole tree in one call; the tree of the last iteration is cleared first.
void BM_DefaultBrowseTree(benchmark::State& state) {
    TbrowseBenchLibrary& library = TbrowseBenchLibrary::OfSize(int(state.range(0)));
    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(0xCFF);  // the main window's default set
    double longest = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        viewer.Rebuild(tree);
        longest = std::max(longest, MsSince(start));
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["nodes"] = CountNodes(tree.Nodes());
    state.counters["top_rows"] = tree.VisibleCount();
    state.counters["artists"] = library.lib->ArtistList().Count();
    state.counters["albums"] = library.lib->AlbumList().Count();
}
BENCHMARK(BM_DefaultBrowseTree)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same tree a step at a time as the window makes it over a shown tree: steps of
// 4 ms, the swap, then the replaced tree freed in steps; "longest_step_ms" is the
// longest of them, the time per iteration the sum.
void BM_SteppedBrowseTree(benchmark::State& state) {
    TbrowseBenchLibrary& library = TbrowseBenchLibrary::OfSize(int(state.range(0)));
    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(0xCFF);
    viewer.Rebuild(tree);
    constexpr auto kBudget = std::chrono::milliseconds(4);
    double longest = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        viewer.BeginRebuild(tree.Nodes());
        for (bool done = false; !done; ++steps) {
            done = viewer.ContinueRebuild(start + kBudget);
            if (done) viewer.FinishRebuild();
            longest = std::max(longest, MsSince(start));
            start = std::chrono::steady_clock::now();
        }
        for (bool done = false; !done; ++steps) {
            done = viewer.FreeDiscarded(start + kBudget);
            longest = std::max(longest, MsSince(start));
            start = std::chrono::steady_clock::now();
        }
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["steps"] = double(steps) / double(state.iterations());
    state.counters["nodes"] = CountNodes(tree.Nodes());
}
BENCHMARK(BM_SteppedBrowseTree)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
