// Folder scan speed on a generated corpus of tagged MP3 and FLAC files:
//   TagLibFloor   - a bare loop opening each file with TagLib and reading its tag and
//                   audio properties (the floor);
//   FullScan      - the library scan through the loader and TAG_taglib.so into a tag list;
//   CachedRescan  - the same scan with every folder's tag cache current.
// Files per second are reported as items_per_second. TUNECREST_BENCH_FILES sets the corpus
// size (default 5000, 100 files a folder).
#include <benchmark/benchmark.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mpegfile.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/tag_corpus.h"
#include "core/tags/folder_scan.h"
#include "core/tags/tag_list.h"
#include "core/tags/tagger_loader.h"

namespace fs = std::filesystem;
using namespace tunecrest;

namespace {

struct Tcorpus {
    fs::path Root;
    std::vector<std::string> Folders;
    std::vector<std::string> Files;
};

// One MP3 and one FLAC are encoded with GStreamer; the corpus is copies of them, each
// tagged with TagLib.
const Tcorpus& Corpus() {
    static Tcorpus corpus = [] {
        Tcorpus c;
        const char* n = std::getenv("TUNECREST_BENCH_FILES");
        const int count = n ? std::max(100, std::atoi(n)) : 5000;
        c.Root = bench::MakeCorpusFolder("tunecrest-bench-scan-");
        const std::string src = "audiotestsrc num-buffers=44 samplesperbuffer=1024 ! audioconvert ! ";
        const std::string mp3 = (c.Root / "seed.mp3").string(), flac = (c.Root / "seed.flac").string();
        if (!bench::RunQuietly("gst-launch-1.0 -q " + src + "lamemp3enc ! xingmux ! id3v2mux ! filesink location=" + mp3) ||
            !bench::RunQuietly("gst-launch-1.0 -q " + src + "flacenc ! filesink location=" + flac)) {
            std::fprintf(stderr, "cannot encode the corpus seeds\n");
            std::exit(1);
        }
        for (int i = 0; i < count; ++i) {
            const fs::path folder = c.Root / "library" / ("Artist " + std::to_string(i / 100)) /
                                    ("Album " + std::to_string(i / 100));
            if (i % 100 == 0) {
                fs::create_directories(folder);
                c.Folders.push_back(folder.string());
            }
            const bool isMp3 = i % 2 == 0;
            const fs::path file = folder / ("Song " + std::to_string(i) + (isMp3 ? ".mp3" : ".flac"));
            fs::copy_file(isMp3 ? mp3 : flac, file);
            TagLib::FileRef ref(file.c_str(), false);
            ref.tag()->setArtist("Artist " + std::to_string(i / 100));
            ref.tag()->setTitle("Song " + std::to_string(i));
            ref.tag()->setAlbum("Album " + std::to_string(i / 100));
            ref.tag()->setGenre("Rock");
            ref.tag()->setYear(2000 + i % 20);
            ref.tag()->setTrack(unsigned(i % 100 + 1));
            ref.save();
            c.Files.push_back(file.string());
        }
        fs::remove(mp3);
        fs::remove(flac);
        return c;
    }();
    return corpus;
}

void TagLibFloor(benchmark::State& state) {
    const Tcorpus& corpus = Corpus();
    for (auto _ : state) {
        for (const std::string& file : corpus.Files) {
            TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
            if (ref.isNull()) state.SkipWithError("unreadable corpus file");
            const TagLib::Tag* tag = ref.tag();
            std::string artist = tag->artist().to8Bit(true), title = tag->title().to8Bit(true);
            std::string album = tag->album().to8Bit(true), genre = tag->genre().to8Bit(true);
            const TagLib::AudioProperties* p = ref.audioProperties();
            int values = int(tag->track() + tag->year()) + p->bitrate() + p->lengthInSeconds() + p->sampleRate() +
                         p->channels();
            benchmark::DoNotOptimize(artist);
            benchmark::DoNotOptimize(title);
            benchmark::DoNotOptimize(album);
            benchmark::DoNotOptimize(genre);
            benchmark::DoNotOptimize(values);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(corpus.Files.size()));
}

void LoadTaggers() { bench::LoadTagLibTagger(Corpus().Root); }

void Scan(benchmark::State& state, bool cached) {
    const Tcorpus& corpus = Corpus();
    LoadTaggers();
    TaudioTagList list;
    list.SetSaveDataFiles(cached);
    if (cached) list.AddFolders(corpus.Folders, false, nullptr);  // writes every cache
    for (auto _ : state) {
        list.AddFolders(corpus.Folders, false, nullptr);
        if (list.Count() != int(corpus.Files.size())) state.SkipWithError("the scan lost files");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(corpus.Files.size()));
}

void FullScan(benchmark::State& state) { Scan(state, false); }
void CachedRescan(benchmark::State& state) { Scan(state, true); }

}  // namespace

BENCHMARK(TagLibFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FullScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CachedRescan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
