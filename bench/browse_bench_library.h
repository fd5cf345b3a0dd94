#pragma once
// The library the browse-tree benchmarks build their trees from, made in memory at any
// size: twelve tracks an album, three albums an artist, names that start with letters,
// digits, "The ", a lower-case "dj ", a bracket or a non-ASCII letter, every seventh album
// a compilation, nine genres (one empty), seventy years (some albums undated), an
// untagged track now and then, and fifty playlists.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"

namespace tunecrest::bench {

struct TbrowseBenchLibrary {
    int Tracks = 0;
    std::filesystem::path folder;
    std::unique_ptr<TlocalJukeboxList> lib;

    explicit TbrowseBenchLibrary(int tracks) : Tracks(tracks) {
        folder = std::filesystem::temp_directory_path() /
                 ("browse_bench_" + std::to_string(getpid()) + "_" + std::to_string(tracks));
        std::filesystem::create_directories(folder);
        lib = std::make_unique<TlocalJukeboxList>();
        lib->SetDataFolder(folder.string());
        static const char* kGenres[] = {"Rock", "Pop", "Jazz", "Blues", "Soul", "Funk", "Metal", "Folk", ""};
        static const char* kStarts[] = {"", "The ", "dj ", "1", "(", "\xC3\x89"};
        auto& global = lib->GlobalList();
        global.BeginUpdate();
        for (int i = 0; i < tracks; ++i) {
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
            for (int i = 0; i < 40; ++i) list->Add(global.GetTag((p * 977 + i * 131) % tracks));
            lib->Playlists().AddList(list);
        }
    }
    ~TbrowseBenchLibrary() {
        lib.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // One library at a time: a benchmark of another size frees the last one first (a
    // million tracks take well over a gigabyte).
    static TbrowseBenchLibrary& OfSize(int tracks) {
        static std::unique_ptr<TbrowseBenchLibrary> current;
        if (!current || current->Tracks != tracks) {
            current.reset();
            current = std::make_unique<TbrowseBenchLibrary>(tracks);
        }
        return *current;
    }
};

}  // namespace tunecrest::bench
