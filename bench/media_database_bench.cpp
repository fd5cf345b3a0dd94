// Building the media database for a 100,000-track library from its export, and
// running a typical rule against it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/tags/audio_tag.h"
#include "core/base/date_time.h"
#include "core/database/media_database.h"
#include "core/base/safe_file.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

using namespace tunecrest;
namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 100000;

struct Tlibrary {
    fs::path Folder;
    std::string Csv, Db;
    TfileNameIndex Index;
    std::vector<TaudioTagPtr> Tags;

    Tlibrary() {
        Folder = fs::temp_directory_path() / ("tunecrest-dbbench-" + std::to_string(::getpid()));
        fs::create_directories(Folder);
        Csv = (Folder / "jukebox.csv").string();
        Db = (Folder / "jukebox.mdb").string();
        std::vector<std::string> names;
        for (const auto& column : JukeboxTableColumns()) names.push_back(column.Name);
        std::string text = JoinCSV(names) + "\n";
        static const char* genres[] = {"Rock", "Pop", "Jazz", "Blues", "Folk", "Soul"};
        for (int i = 0; i < kTracks; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            const int artist = i / 40, album = i / 12;
            tag->SetArtist("Artist " + std::to_string(artist));
            tag->SetAlbum("Album " + std::to_string(album));
            tag->SetTitle("Song number " + std::to_string(i) + (i % 7 == 0 ? ", live" : ""));
            tag->SetFilename("/music/Artist " + std::to_string(artist) + "/Album " + std::to_string(album) + "/" +
                             std::to_string(i % 12 + 1) + " Song " + std::to_string(i) + ".mp3");
            tag->SetTrackNo(uint32_t(i % 12 + 1));
            tag->SetDate(std::to_string(1960 + i % 60));
            tag->SetGenreString(genres[i % 6]);
            tag->SetDuration(uint32_t(120 + i % 300));
            tag->SetBitRate(192);
            tag->SetSampleRate(44100);
            tag->SetChannels(2);
            tag->SetMediaType(mkAudio);
            tag->SetModDate(EncodeDate(2000 + i % 24, 1 + i % 12, 1 + i % 28));
            std::string row;
            tag->GetCSVRow(row);
            text += row + ",\n";
            Index.Add(tag);
            Tags.push_back(tag);
        }
        SafeWriteFile(Csv, text);
    }
    ~Tlibrary() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

Tlibrary& Library() {
    static Tlibrary library;
    return library;
}

void BM_BuildDatabase(benchmark::State& state) {
    Tlibrary& lib = Library();
    TjukeboxDB db;
    for (auto _ : state) {
        if (!db.Build(lib.Db, lib.Csv)) state.SkipWithError(db.LastError().c_str());
    }
}
BENCHMARK(BM_BuildDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RunTypicalRule(benchmark::State& state) {
    Tlibrary& lib = Library();
    TjukeboxDB db;
    if (!fs::exists(lib.Db) && !db.Build(lib.Db, lib.Csv)) return state.SkipWithError(db.LastError().c_str());
    db.Open(lib.Db);
    db.SetFileIndex(&lib.Index);
    size_t selected = 0;
    for (auto _ : state) {
        TaudioTagList target;
        std::string error;
        if (!db.SelectFiles("GenreString = 'rock' And Year(ModDate) >= 2010 And Title Like '%live'", "", "",
                            TdbTable::dtAudio, false, target, error))
            return state.SkipWithError(error.c_str());
        selected = size_t(target.Count());
    }
    state.counters["tracks"] = double(selected);
}
BENCHMARK(BM_RunTypicalRule)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
