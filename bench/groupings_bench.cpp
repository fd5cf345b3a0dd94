// Builds every grouping of a 100,000-track library: albums, artists (with display
// names and album links), the title index, genres and years with their own artists
// and albums, as the library does after a scan.
#include <benchmark/benchmark.h>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/base/text_utils.h"

using namespace tunecrest;

namespace {
constexpr int kTracks = 100000;

std::vector<TaudioTagPtr> MakeLibrary() {
    static const char* kGenres[] = {"Rock", "Pop", "Jazz", "Blues", "Soul", "Funk", "Metal", "Folk", ""};
    std::vector<TaudioTagPtr> tags;
    tags.reserve(kTracks);
    for (int i = 0; i < kTracks; ++i) {
        const int album = i / 12, artist = album / 4;
        auto t = std::make_shared<TaudioTag>();
        t->SetFilename(Format("/music/Artist %05d/Album %05d/%02d - Track %d.mp3", artist, album, i % 12 + 1, i));
        t->SetArtist(i % 97 == 0 ? std::string() : Format("%sArtist %05d", artist % 10 == 0 ? "The " : "", artist));
        t->SetTitle(Format("Track %d of album %d", i % 12 + 1, album));
        t->SetAlbum(Format("Album %05d", album));
        t->SetGenreString(kGenres[album % 9]);
        t->SetDate(album % 13 == 0 ? std::string() : Format("%d-05-01", 1950 + album % 70));
        t->SetTrackNo(uint32_t(i % 12 + 1));
        t->SetDuration(200);
        t->SetMediaType(1);
        tags.push_back(std::move(t));
    }
    return tags;
}

void BM_BuildAllGroupings(benchmark::State& state) {
    const auto library = MakeLibrary();
    for (auto _ : state) {
        TaudioTagAlbumList albums;
        TaudioTagArtistList artists, titles;
        titles.IsAlphaList = true;
        artists.MapThe = true;
        TaudioTagGenreList genres;
        TaudioTagYearList years, decades;
        decades.Mode = ymDecades;
        for (TaudioTagListList* l : std::initializer_list<TaudioTagListList*>{&albums, &artists, &titles, &genres,
                                                                              &years, &decades})
            l->BeginUpdate();
        for (const auto& tag : library) {
            albums.AddTag(tag);
            artists.AddTag(tag);
            titles.AddTag(tag);
            genres.AddTag(tag);
            years.AddTag(tag);
            decades.AddTag(tag);
        }
        for (TaudioTagListList* l : std::initializer_list<TaudioTagListList*>{&albums, &artists, &titles, &genres,
                                                                              &years, &decades})
            l->EndUpdate();
        artists.BuildFromList(albums);
        artists.ApplyMappings();
        titles.ApplyMappings();
        genres.BuildArtists();
        years.BuildArtists();
        decades.BuildArtists();
        benchmark::DoNotOptimize(artists.DisplayNames().Count());
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}
BENCHMARK(BM_BuildAllGroupings)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
