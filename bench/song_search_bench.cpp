// Links: tunecrest_windows
// The song search over a 1,000,000-track library: the first key (every title matches),
// the keys that narrow it, each keystroke of a word in each search mode (the search
// alone), making the title search's copy of the library (when the window opens), and
// through the window (the search, the new row count and painting the visible rows).
// Targets: a narrowing key within 10 ms, the first key within 30 ms.
#include <benchmark/benchmark.h>

#include <chrono>

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"
#include "skin/touch_list_box.h"
#include "windows/search/song_search_form.h"

using namespace tunecrest;

namespace {

const char* const kWords[] = {"Love", "Night", "Blue",  "Dance", "Heart", "River", "Fire",  "Summer",
                              "Road", "Moon",  "Dream", "Rain",  "Gold",  "Light", "Train", "Home"};

constexpr int kTracks = 1000000;

TlocalJukeboxList& Library() {
    static TlocalJukeboxList* lib = [] {
        auto* l = new TlocalJukeboxList();
        TaudioTagList& global = l->GlobalList();
        global.BeginUpdate();
        global.Reserve(kTracks);
        for (int i = 0; i < kTracks; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            tag->SetArtist(Format("Artist %d %s", i / 20, kWords[(i / 20) % 16]));
            tag->SetAlbum(Format("%s %s %d", kWords[(i / 10) % 16], kWords[(i / 7) % 16], i / 10));
            tag->SetTitle(Format("%s of the %s %d", kWords[i % 16], kWords[(i * 7 + 3) % 16], i));
            tag->SetFilename(Format("/music/%d/%d/%d.mp3", i / 1000, i / 10, i));
            tag->SetMediaType(1);
            tag->SetDuration(200 + i % 100);
            global.Add(tag);
        }
        global.EndUpdate();
        return l;
    }();
    return *lib;
}

// Types "river" one key at a time: one iteration is one keystroke.
void Keystrokes(benchmark::State& state, int mode) {
    TsongSearch search;
    search.UseTrackIndex = true;
    search.SetLibrary(&Library());
    search.SetSearchMode(mode);
    const std::string word = mode == ssmIndex ? "12345" : "river";
    size_t length = 0, found = 0;
    for (auto _ : state) {
        length = length % word.size() + 1;
        search.Search(word.substr(0, length));
        found += search.Results().size();
    }
    state.counters["results_per_key"] = double(found) / double(state.iterations());
}

// The first key: "o" is in every title ("... of the ...").
void BM_TitleFirstKey(benchmark::State& state) {
    TsongSearch search;
    search.SetLibrary(&Library());
    search.PrepareIndex();
    size_t found = 0;
    for (auto _ : state) {
        search.ClearResults();
        search.Search("o");
        found = size_t(search.ResultCount());
    }
    state.counters["results"] = double(found);
    state.counters["target_ms"] = 30;
}

// The keys after the first while "river" is typed: each narrows the one before.
void BM_TitleNarrowingKey(benchmark::State& state) {
    TsongSearch search;
    search.SetLibrary(&Library());
    search.PrepareIndex();
    const std::string word = "river";
    for (auto _ : state) {
        search.ClearResults();
        search.Search(word.substr(0, 1));
        const auto started = std::chrono::steady_clock::now();
        for (size_t length = 2; length <= word.size(); ++length) search.Search(word.substr(0, length));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.SetIterationTime(seconds / double(word.size() - 1));
        if (!search.LastSearchNarrowed()) state.SkipWithError("the search did not narrow");
    }
    state.counters["target_ms"] = 10;
}

// Making the title search's copy of the library, as the window does when it opens.
void BM_PrepareTitleIndex(benchmark::State& state) {
    for (auto _ : state) {
        TsongSearch search;
        search.SetLibrary(&Library());
        search.PrepareIndex();
    }
}

void BM_TitleKeystroke(benchmark::State& state) {
    Keystrokes(state, ssmTitle);
}
void BM_ArtistKeystroke(benchmark::State& state) {
    Keystrokes(state, ssmArtist);
}
void BM_AlbumKeystroke(benchmark::State& state) {
    Keystrokes(state, ssmAlbum);
}
void BM_IndexKeystroke(benchmark::State& state) {
    Keystrokes(state, ssmIndex);
}

void BM_WindowKeystrokeWithPaint(benchmark::State& state) {
    TfrmSongSearch2 window;
    window.Prepare(&Library(), nullptr, sswAdd, ssmTitle);
    QImage frame(window.lbResults->size(), QImage::Format_RGB32);
    const QString word = "river";
    int length = 0;
    for (auto _ : state) {
        length = length % word.size() + 1;
        window.edSearch->setText(word.left(length));
        window.lbResults->render(&frame);
    }
}

}  // namespace

BENCHMARK(BM_TitleFirstKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleNarrowingKey)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PrepareTitleIndex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TitleKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArtistKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowKeystrokeWithPaint)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
