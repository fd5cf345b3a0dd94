// Builds the main window's default browse tree (artists with albums, title groups,
// playlists, compilations, untagged, genres with artists and albums, videos) for a
// 100,000-track library, as the window does after every library change.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "core/browse_tree.h"
#include "core/jukebox_list.h"
#include "core/text_utils.h"
#include "core/tree_nodes.h"

using namespace tunecrest;

namespace {
constexpr int kTracks = 100000;

struct Library {
    std::filesystem::path folder;
    std::unique_ptr<TlocalJukeboxList> lib;
    Library() {
        folder = std::filesystem::temp_directory_path() / ("browse_tree_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        lib = std::make_unique<TlocalJukeboxList>();
        lib->SetDataFolder(folder.string());
        static const char* kGenres[] = {"Rock", "Pop", "Jazz", "Blues", "Soul", "Funk", "Metal", "Folk", ""};
        static const char* kStarts[] = {"", "The ", "dj ", "1", "(", "\xC3\x89"};
        auto& global = lib->GlobalList();
        global.BeginUpdate();
        for (int i = 0; i < kTracks; ++i) {
            const int album = i / 12, artist = album / 3;
            auto t = std::make_shared<TaudioTag>();
            t->SetFilename(
                Format("/music/Artist %05d/Album %05d/%02d - Track %d.mp3", artist, album, i % 12 + 1, i));
            t->SetArtist(i % 97 == 0
                             ? std::string()
                             : Format("%s%c Artist %05d", kStarts[artist % 6], 'A' + artist % 26, artist));
            // Every seventh album holds several artists: a compilation.
            if (album % 7 == 0) t->SetArtist(Format("Guest %d", i % 5));
            t->SetTitle(Format("%c Track %d of album %d", 'A' + i % 30, i % 12 + 1, album));
            t->SetAlbum(Format("Album %05d", album));
            t->SetGenreString(kGenres[album % 9]);
            t->SetDate(album % 13 == 0 ? std::string() : Format("%d-05-01", 1950 + album % 70));
            t->SetTrackNo(uint32_t(i % 12 + 1));
            t->SetDuration(200);
            t->SetMediaType(1);
            global.Add(std::move(t));
        }
        global.EndUpdate();  // the groupings
        for (int p = 0; p < 50; ++p) {
            auto list = std::make_shared<TaudioTagList>();
            list->SetTitle(Format("Playlist %d", p));
            for (int i = 0; i < 40; ++i) list->Add(global.GetTag((p * 977 + i * 131) % kTracks));
            lib->Playlists().AddList(list);
        }
    }
    ~Library() {
        lib.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void BM_DefaultBrowseTree100k(benchmark::State& state) {
    Library library;
    TmyTreeModel tree;
    TcustomJukeboxListViewer2 viewer;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(0xCFF);  // the main window's default set
    int nodes = 0;
    for (auto _ : state) {
        viewer.Rebuild(tree);
        nodes = tree.VisibleCount();
    }
    state.counters["top_rows"] = nodes;
    state.counters["artists"] = library.lib->ArtistList().Count();
    state.counters["albums"] = library.lib->AlbumList().Count();
}
BENCHMARK(BM_DefaultBrowseTree100k)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
