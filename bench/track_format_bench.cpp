// Formats the display lines of a 100,000-track list with a four-font format string, as
// the main window does when a list is shown or the format changes (target: under
// 150 ms for the whole list).
#include <benchmark/benchmark.h>

#include "core/tags/audio_tag.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/text_utils.h"
#include "core/display/track_format.h"

using namespace tunecrest;

namespace {
constexpr int kTracks = 100000;
constexpr const char* kFormat = "<FTN><TN,. ><FAR><AR><FCH> - <FTI><TI> <FDU>(<DU>)<FCH>";

std::vector<TaudioTagPtr> MakeTracks() {
    std::vector<TaudioTagPtr> tags;
    tags.reserve(kTracks);
    for (int i = 0; i < kTracks; ++i) {
        auto t = std::make_shared<TaudioTag>();
        t->SetArtist(i % 97 == 0 ? std::string() : Format("Artist & Band %05d", i / 48));
        t->SetTitle(Format("Track %d of <album> %d", i % 12 + 1, i / 12));
        t->SetTrackNo(uint32_t(i % 12 + 1));
        t->SetDuration(uint32_t(120 + i % 300));
        tags.push_back(std::move(t));
    }
    return tags;
}

TfontContainer MakeFonts() {
    TfontContainer fonts;
    const char* codes[] = {"FCH", "FTN", "FAR", "FTI", "FDU"};
    for (int i = 0; i < 5; ++i) {
        TfontItem& item = fonts.Items().Add();
        item.Mask = codes[i];
        item.FontRef() = TFont{
            i % 2 ? "Arial" : "Tahoma", RGBColor(uint8_t(i * 40), 200, 30), 10 + i, i == 3, false, false};
    }
    return fonts;
}

// One format read once, then applied to every track; the line goes into each tag's
// cached display text.
void BM_FormatTrackLines(benchmark::State& state) {
    const auto tags = MakeTracks();
    const TfontContainer fonts = MakeFonts();
    std::string line;
    for (auto _ : state) {
        const TtrackFormat format(kFormat, &fonts.Items());
        for (const auto& tag : tags) {
            line.clear();
            format.Format(*tag, 2, "Unknown Artist", line);
            tag->SetCaption(line);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}
BENCHMARK(BM_FormatTrackLines)->Unit(benchmark::kMillisecond);

// The one-line call that reads the format string again for every track.
void BM_FormatTagFontsPerLine(benchmark::State& state) {
    const auto tags = MakeTracks();
    TfontContainer fonts = MakeFonts();
    TglobalPrefs prefs;
    prefs.SetFontContainer(&fonts);
    for (auto _ : state) {
        for (const auto& tag : tags) SetTagDisplayText(*tag, kFormat, prefs, 2, "Unknown Artist");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}
BENCHMARK(BM_FormatTagFontsPerLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
