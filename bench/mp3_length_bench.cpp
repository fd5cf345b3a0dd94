// What reading MP3 lengths costs the library scan, on tracks of four minutes of three
// kinds: a variable bit rate with a Xing header (what encoders write today), a constant
// bit rate without any header (older rips), and a variable bit rate without a header
// (whose length is counted from its frames):
//   Floor/<kind>     - a bare loop opening each file with TagLib (the floor);
//   Plugin/<kind>    - TAG_taglib.so reading each file through the loader;
//   LibraryScan      - the folder scan of a library of 500 tracks mixed as a collection
//                      of many years is: 90 % with a header, 8 % constant without,
//                      2 % variable without.
// Files a second are items_per_second. TUNECREST_BENCH_FILES sets the tracks a kind
// (default 100; copies of one encoding, so the page cache holds them as it holds the
// files of a library that was just scanned).
#include <benchmark/benchmark.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/tag_corpus.h"
#include "core/tags/tag_list.h"
#include "core/tags/tagger_loader.h"

namespace fs = std::filesystem;
using namespace tunecrest;

namespace {

enum Tkind { kXing, kConstant, kVariable, kKinds };
const char* const kKindNames[] = {"XingHeader", "ConstantNoHeader", "VariableNoHeader"};

struct Tcorpus {
    fs::path Root;
    std::vector<std::string> Files[kKinds];
    std::vector<std::string> LibraryFolders;
};

bool HasXingHeader(const std::string& file) {
    TagLib::MPEG::File mpeg(file.c_str(), true, TagLib::AudioProperties::Average);
    return mpeg.isValid() && mpeg.audioProperties() && mpeg.audioProperties()->xingHeader();
}

const Tcorpus& Corpus() {
    static Tcorpus corpus = [] {
        Tcorpus c;
        const char* n = std::getenv("TUNECREST_BENCH_FILES");
        const int count = n ? std::max(10, std::atoi(n)) : 100;
        c.Root = bench::MakeCorpusFolder("tunecrest-bench-mp3-");
        // Four minutes of pink noise: its bit rate varies from frame to frame.
        const std::string source = "audiotestsrc wave=pink-noise num-buffers=10336 samplesperbuffer=1024 ! "
                                   "audio/x-raw,rate=44100,channels=2 ! audioconvert ! ";
        const std::string seeds[kKinds] = {(c.Root / "xing.mp3").string(), (c.Root / "constant.mp3").string(),
                                           (c.Root / "variable.mp3").string()};
        const std::string encoders[kKinds] = {"lamemp3enc target=quality quality=4 ! xingmux",
                                              "lamemp3enc target=bitrate bitrate=192 cbr=true",
                                              "lamemp3enc target=quality quality=4"};
        for (int k = 0; k < kKinds; ++k) {
            if (!bench::RunQuietly("gst-launch-1.0 -q " + source + encoders[k] + " ! filesink location=" + seeds[k])) {
                std::fprintf(stderr, "cannot encode %s\n", seeds[k].c_str());
                std::exit(1);
            }
            if (HasXingHeader(seeds[k]) != (k == kXing)) {
                std::fprintf(stderr, "%s: the encoder's header is not as expected\n", seeds[k].c_str());
                std::exit(1);
            }
            const fs::path folder = c.Root / kKindNames[k];
            fs::create_directories(folder);
            for (int i = 0; i < count; ++i) {
                const fs::path file = folder / ("Track " + std::to_string(i) + ".mp3");
                fs::create_hard_link(seeds[k], file);
                c.Files[k].push_back(file.string());
            }
        }
        // The mixed library: 500 tracks, 50 a folder.
        for (int i = 0; i < 500; ++i) {
            const int k = i % 50 == 0 ? kVariable : i % 50 <= 4 ? kConstant : kXing;
            const fs::path folder = c.Root / "library" / ("Album " + std::to_string(i / 50));
            if (i % 50 == 0) {
                fs::create_directories(folder);
                c.LibraryFolders.push_back(folder.string());
            }
            fs::create_hard_link(seeds[k], folder / ("Track " + std::to_string(i) + ".mp3"));
        }
        return c;
    }();
    return corpus;
}

void LoadTaggers() { bench::LoadTagLibTagger(Corpus().Root); }

void Floor(benchmark::State& state, Tkind kind) {
    const auto& files = Corpus().Files[kind];
    for (auto _ : state) {
        for (const std::string& file : files) {
            TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
            if (ref.isNull()) state.SkipWithError("unreadable corpus file");
            int values = ref.audioProperties()->lengthInSeconds() + ref.audioProperties()->bitrate();
            benchmark::DoNotOptimize(values);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(files.size()));
}

void Plugin(benchmark::State& state, Tkind kind) {
    const auto& files = Corpus().Files[kind];
    LoadTaggers();
    int64_t seconds = 0;
    for (auto _ : state) {
        for (const std::string& file : files) {
            TtaggerRecord* record = TaggerLoader().FindPluginForFile(file);
            if (!record) state.SkipWithError("the plug-in refused a corpus file");
            else seconds = record->Duration;
        }
    }
    state.counters["track_seconds"] = double(seconds);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(files.size()));
}

void LibraryScan(benchmark::State& state) {
    const Tcorpus& corpus = Corpus();
    LoadTaggers();
    TaudioTagList list;
    for (auto _ : state) {
        list.AddFolders(corpus.LibraryFolders, false, nullptr);
        if (list.Count() != 500) state.SkipWithError("the scan lost files");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 500);
}

}  // namespace

BENCHMARK_CAPTURE(Floor, XingHeader, kXing)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Floor, ConstantNoHeader, kConstant)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Floor, VariableNoHeader, kVariable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Plugin, XingHeader, kXing)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Plugin, ConstantNoHeader, kConstant)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(Plugin, VariableNoHeader, kVariable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(LibraryScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
