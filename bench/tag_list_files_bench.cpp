// Saving and loading a 100,000-track library file: tracks per second each way, and
// how loading compares with merely reading the file's bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"

using namespace tunecrest;

namespace {

constexpr int kTracks = 100000;

const TaudioTagList& Library() {
    static TaudioTagList* list = [] {
        auto* l = new TaudioTagList;
        l->SetTitle("Global");
        l->BeginUpdate();
        for (int i = 0; i < kTracks; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            const std::string artist = "Artist Name " + std::to_string(i % 2000);
            const std::string album = "Album Title " + std::to_string(i % 9000);
            tag->SetFilename("/home/jukebox/Music/" + artist + "/" + album + "/" + std::to_string(i % 14 + 1) +
                             " - Track Title " + std::to_string(i) + ".mp3");
            tag->SetArtist(artist);
            tag->SetTitle("Track Title " + std::to_string(i));
            tag->SetAlbum(album);
            if (i % 3 == 0) tag->SetComment("Ripped from the original compact disc");
            tag->SetTrackNo(uint32_t(i % 14 + 1));
            tag->SetDate(std::to_string(1960 + i % 60));
            tag->SetGenreID(uint32_t(i % 120));
            tag->SetGenreString("Genre " + std::to_string(i % 120));
            tag->SetBitRate(320);
            tag->SetDuration(uint32_t(120 + i % 400));
            tag->SetSampleRate(44100);
            tag->SetChannels(2);
            tag->SetTagType("ID3v2");
            tag->SetModDate(40000.0 + i / 97.0);
            tag->SetMediaType(1);
            l->Add(tag);
        }
        l->EndUpdate();
        return l;
    }();
    return *list;
}

std::string FileName() {
    static const std::string name = (std::filesystem::temp_directory_path() / "tunecrest_bench_global.dat").string();
    return name;
}

void BM_SaveTagListToStream(benchmark::State& state) {
    const TaudioTagList& list = Library();
    for (auto _ : state) {
        TbyteWriter w;
        benchmark::DoNotOptimize(list.SaveToStream(w));
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}

void BM_SaveTagListFile(benchmark::State& state) {
    auto& list = const_cast<TaudioTagList&>(Library());
    for (auto _ : state) {
        if (!list.SaveToFile(FileName(), false)) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}

double SecondsPerRawRead() {
    std::string bytes;
    const auto start = std::chrono::steady_clock::now();
    constexpr int kRounds = 10;
    for (int i = 0; i < kRounds; ++i) ReadFileBytes(FileName(), bytes);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void BM_LoadTagListFile(benchmark::State& state) {
    auto& list = const_cast<TaudioTagList&>(Library());
    list.SaveToFile(FileName(), false);
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto back = std::make_unique<TaudioTagList>();
        if (!back->LoadFromFile(FileName(), false) || back->Count() != kTracks)
            state.SkipWithError("load failed");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // Freeing the loaded library is not part of loading it.
        state.PauseTiming();
        back.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
    state.counters["load_to_raw_read"] = (total / double(state.iterations())) / SecondsPerRawRead();
    state.counters["file_MB"] = double(std::filesystem::file_size(FileName())) / 1e6;
}

void BM_RawReadFile(benchmark::State& state) {
    SaveTagListToFile(const_cast<TaudioTagList&>(Library()), FileName(), false);
    std::string bytes;
    for (auto _ : state) benchmark::DoNotOptimize(ReadFileBytes(FileName(), bytes));
    state.SetItemsProcessed(state.iterations() * kTracks);
}

}  // namespace

BENCHMARK(BM_SaveTagListToStream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTagListFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTagListFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
