// Start-up cost of a large library: loading every data file of a 100,000-track
// library, and rebuilding the groupings and indexes from its global list.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/jukebox_list.h"
#include "core/jukebox_loader.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

constexpr int kTracks = 100000;

void FillLibrary(TaudioTagList& list) {
    list.BeginUpdate();
    for (int i = 0; i < kTracks; ++i) {
        auto tag = std::make_shared<TaudioTag>();
        tag->SetArtist("Artist " + std::to_string(i % 2000));
        tag->SetAlbum("Album " + std::to_string(i % 8000));
        tag->SetTitle("Title " + std::to_string(i));
        tag->SetDate(std::to_string(1960 + i % 60));
        tag->SetGenreString("Genre " + std::to_string(i % 40));
        tag->SetFilename("/music/" + std::to_string(i % 8000) + "/" + std::to_string(i) + ".mp3");
        tag->SetMediaType(mkAudio);
        list.Add(tag);
    }
    list.EndUpdate();
}

void BM_LoadAll(benchmark::State& state) {
    test::TempDir dir;
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        FillLibrary(lib.GlobalList());
        lib.SaveAll();
    }
    for (auto _ : state) {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        TlocalJukeboxLoader loader;
        loader.JukeboxList = &lib;
        loader.LoadAll();
        benchmark::DoNotOptimize(lib.GlobalList().Count());
    }
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProcessTags(benchmark::State& state) {
    TlocalJukeboxList lib;
    FillLibrary(lib.GlobalList());
    for (auto _ : state) lib.ReprocessTags();
}
BENCHMARK(BM_ProcessTags)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tunecrest

BENCHMARK_MAIN();
