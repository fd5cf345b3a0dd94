#pragma once
// A library as a real collection has it, for the benchmarks that measure what a user
// sees: artist, album and title names of the lengths real tags have (a few words, some
// long, some with accented letters or a leading "The"), artists of one to eight albums
// of eight to twenty tracks, one album in twelve a compilation of several artists,
// nine genres of about equal size (an artist keeps one), years from 1955 on (some albums
// undated), a comment on every third track, file names of the "artist/year - album/nn -
// title.ext" form a ripper gives, and the technical values of MP3 and FLAC files. At a
// million tracks its "jukebox.dat" is about 374 MB.
//
// The same count and seed always give the same library. MakeRealisticLibrary makes the
// tracks in memory; WriteRealisticLibrary saves them into a data folder as the program
// keeps them ("jukebox.dat" and the five index files), so a benchmark can start the
// program on it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/library/jukebox_list.h"
#include "core/tags/audio_tag.h"

namespace tunecrest::bench {

// The nine genres, each about a ninth of the library.
inline constexpr const char* kRealisticGenres[] = {"Rock", "Pop", "Jazz", "Electronic", "Hip-Hop",
                                                   "Classical", "Folk", "Soul", "Metal"};

class TrealisticNames {
  public:
    explicit TrealisticNames(uint64_t seed) : Frng(seed) {}
    int Below(int n) { return int(Frng() % uint64_t(n)); }
    bool OneIn(int n) { return Below(n) == 0; }

    // `n` words, the first capitalised as tags write them.
    std::string Words(int n) {
        static const char* const kWords[] = {
            "midnight", "velvet",   "echo",     "river",    "crimson",   "silver",   "hollow",  "northern",
            "paper",    "electric", "golden",   "broken",   "wild",      "quiet",    "neon",    "stone",
            "ocean",    "black",    "sunday",   "lonely",   "heart",     "fire",     "glass",   "summer",
            "winter",   "little",   "atlas",    "harbor",   "drift",     "lantern",  "orchard", "signal",
            "canyon",   "feather",  "static",   "violet",   "copper",    "ember",    "cathedral", "motel",
            "radio",    "desert",   "island",   "thunder",  "saint",     "ghost",    "mirror",  "highway",
            "garden",   "blue",     "red",      "morning",  "shadow",    "dream",    "savage",  "honey",
            "iron",     "lucky",    "wolves",   "sparrow",  "comet",     "avenue",   "parade",  "cosmic",
            "ritual",   "tiger",    "fever",    "mountain", "satellite", "cherry",   "crystal", "dusty",
            "hungry",   "empire",   "kingdom",  "bridges",  "rain",      "weather",  "waves",   "lights",
            "machine",  "ballroom", "circus",   "angels",   "season",    "thieves",  "rebels",  "love",
            "night",    "road",     "moon",     "home",     "train",     "city",     "girl",    "boy",
            "time",     "world",    "light",    "day",      "song",      "dance",    "tonight", "forever",
            "of",       "the",      "in",       "my",       "your",      "and",      "on",      "me",
            "you",      "we",       "all",      "away",     "again",     "down",     "back",    "over"};
        static const char* const kAccented[] = {"café", "déjà", "señor", "über", "garçon", "gelées", "élan",
                                                "niño", "façade", "müde", "são", "blå"};
        std::string s;
        for (int i = 0; i < n; ++i) {
            if (i) s += ' ';
            std::string word = OneIn(40) ? kAccented[Below(int(std::size(kAccented)))]
                                         : kWords[Below(int(std::size(kWords)))];
            if (i == 0 || OneIn(2)) word[0] = char(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 32 : word[0]);
            s += word;
        }
        return s;
    }
    // Title lengths of a real collection: mostly two to four words, now and then one word
    // or a long one with a part in brackets.
    std::string Title() {
        const int roll = Below(100);
        std::string title = Words(roll < 8 ? 1 : roll < 35 ? 2 : roll < 65 ? 3 : roll < 85 ? 4 : roll < 95 ? 5 : 7);
        if (OneIn(12)) title += " (" + Words(1 + Below(2)) + (OneIn(2) ? " Mix)" : " Version)");
        return title;
    }
    std::mt19937_64& Rng() { return Frng; }

  private:
    std::mt19937_64 Frng;
};

// The tracks, in the order a folder scan lists them (one album's tracks together, the
// artists in no order).
inline std::vector<TaudioTagPtr> MakeRealisticLibrary(int count, uint64_t seed = 20260530) {
    static const char* const kComments[] = {"Ripped with EAC in secure mode", "Amazon.com Song ID: 2031457788",
                                            "Remastered", "Visit the band's site for tour dates",
                                            "Bought at the merch stand", "From the original vinyl"};
    TrealisticNames names(seed);
    std::vector<TaudioTagPtr> tags;
    tags.reserve(size_t(count));
    int artistNo = 0;
    while (int(tags.size()) < count) {
        std::string artist = names.Words(1 + names.Below(3));
        if (names.OneIn(8)) artist = "The " + artist;
        // Names repeat words; a number here and there keeps the artists apart as real
        // names are ("Blink-182"), and the library keeps about its real count of artists.
        if (names.OneIn(3)) artist += ' ' + std::to_string(artistNo);
        ++artistNo;
        const char* genre = kRealisticGenres[names.Below(int(std::size(kRealisticGenres)))];
        const int albums = 1 + names.Below(8);
        const int firstYear = 1955 + names.Below(65);
        const bool flac = names.OneIn(3);
        for (int a = 0; a < albums && int(tags.size()) < count; ++a) {
            const bool compilation = names.OneIn(12);
            std::string album = names.Words(1 + names.Below(4));
            if (names.OneIn(8)) album += " (Deluxe Edition)";
            const int year = names.OneIn(15) ? 0 : firstYear + a * 2;
            const std::string folder =
                "/home/jukebox/Music/" + (compilation ? std::string("Various Artists") : artist) + "/" +
                (year ? std::to_string(year) + " - " : std::string()) + album;
            const int tracks = 8 + names.Below(13);
            for (int t = 1; t <= tracks && int(tags.size()) < count; ++t) {
                auto tag = std::make_shared<TaudioTag>();
                const std::string title = names.Title();
                tag->SetArtist(compilation ? names.Words(1 + names.Below(3)) : artist);
                tag->SetTitle(title);
                tag->SetAlbum(album);
                if (tags.size() % 3 == 0) tag->SetComment(kComments[names.Below(int(std::size(kComments)))]);
                tag->SetTrackNo(uint32_t(t));
                if (year) tag->SetDate(std::to_string(year));
                tag->SetGenreID(255);
                tag->SetGenreString(genre);
                tag->SetBitRate(flac ? uint32_t(800 + names.Below(500)) : names.OneIn(4) ? 192 : 320);
                tag->SetDuration(uint32_t(90 + names.Below(400)));
                tag->SetSampleRate(names.OneIn(10) ? 48000 : 44100);
                tag->SetChannels(2);
                tag->SetTagType(flac ? "FLAC" : "ID3v2.4");
                tag->SetModDate(41000.0 + double(names.Below(5000)) + double(names.Below(86400)) / 86400.0);
                tag->SetMediaType(mkAudio);
                char number[8];
                std::snprintf(number, sizeof number, "%02d", t);
                tag->SetFilename(folder + "/" + number + " - " + title + (flac ? ".flac" : ".mp3"));
                tags.push_back(std::move(tag));
            }
        }
    }
    return tags;
}

// Saves the library of `count` tracks into `dataFolder` as the program keeps it: the
// library file and the five index files. Returns the library file's size in bytes.
inline uintmax_t WriteRealisticLibrary(const std::filesystem::path& dataFolder, int count,
                                       uint64_t seed = 20260530) {
    std::filesystem::create_directories(dataFolder);
    TlocalJukeboxList lib;
    lib.SetDataFolder(dataFolder.string() + "/");
    {
        auto tags = MakeRealisticLibrary(count, seed);
        TaudioTagList& global = lib.GlobalList();
        global.BeginUpdate();
        global.Reserve(tags.size());
        for (auto& tag : tags) global.Add(std::move(tag));
        global.EndUpdate();  // the groupings
    }
    lib.SaveAll();  // "jukebox.dat", then the index files
    std::error_code ec;
    return std::filesystem::file_size(dataFolder / "jukebox.dat", ec);
}

// The root folder of a realistic library for a benchmark that starts the program (or
// itself) afresh on it, run after run: the folder the environment variable `keptVariable`
// names when it is set (the library is written once and kept for later runs), else a
// temporary folder of this process, removed again when this object goes.
class TrealisticRoot {
  public:
    TrealisticRoot(const char* keptVariable, const std::string& tempPrefix, int tracks) {
        const char* kept = std::getenv(keptVariable);
        Fkept = kept != nullptr;
        Fpath = Fkept ? std::filesystem::path(kept)
                      : std::filesystem::temp_directory_path() / (tempPrefix + std::to_string(getpid()));
        if (!Fkept || !std::filesystem::exists(Fpath / "Data" / "jukebox.dat"))
            WriteRealisticLibrary(Fpath / "Data", tracks);
    }
    ~TrealisticRoot() {
        std::error_code ec;
        if (!Fkept) std::filesystem::remove_all(Fpath, ec);
    }
    TrealisticRoot(const TrealisticRoot&) = delete;
    TrealisticRoot& operator=(const TrealisticRoot&) = delete;

    const std::filesystem::path& Path() const { return Fpath; }

  private:
    bool Fkept = false;
    std::filesystem::path Fpath;
};

// Runs `runs` fresh processes through `spawn` (true with the figures of one run filled in)
// and collects their figures in `all`; false, after saying which `what` run failed, when one fails.
template <class Tfigures, class Tspawn>
bool RunFreshProcesses(int runs, const char* what, Tspawn spawn, std::vector<Tfigures>& all) {
    for (int i = 0; i < runs; ++i) {
        Tfigures figures;
        if (!spawn(figures)) {
            std::fprintf(stderr, "%s run %d failed\n", what, i + 1);
            return false;
        }
        all.push_back(figures);
    }
    return true;
}

// One figure of every run, for a min/median/max row.
template <class Tfigures>
std::vector<double> Column(const std::vector<Tfigures>& all, double Tfigures::*field) {
    std::vector<double> values;
    for (const Tfigures& figures : all) values.push_back(figures.*field);
    return values;
}

}  // namespace tunecrest::bench
