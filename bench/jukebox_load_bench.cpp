// Start-up cost of a large library: loading every data file of a 100,000-track
// library with its grouping index files, and rebuilding the groupings (and writing
// the index files) from its global list.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/library/jukebox_list.h"
#include "core/library/jukebox_loader.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

constexpr int kTracks = 100000;

// As a folder scan gives it: the tracks of one album (12 each) together, four albums
// per artist, in folder order.
void FillLibrary(TaudioTagList& list) {
    list.BeginUpdate();
    for (int i = 0; i < kTracks; ++i) {
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
        bool indexesRead = false;
        TcustomJukeboxListEvents events;
        events.OnListProcessStart = [&](TObject*, const std::string& t) { indexesRead |= t == "Loading Year Index"; };
        lib.SetEvents(&events);
        TlocalJukeboxLoader loader;
        loader.JukeboxList = &lib;
        loader.LoadAll();
        benchmark::DoNotOptimize(lib.GlobalList().Count());
        lib.SetEvents(nullptr);
        if (!indexesRead) state.SkipWithError("the index files were not used");
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
