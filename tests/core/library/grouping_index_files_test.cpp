#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/grouping_index_files.h"
#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

using namespace tunecrest;
using test::MakeLibraryTag;
using namespace std::string_literals;

namespace {

// The global list: a compilation, same-named albums in two folders, untagged files,
// titles filed under digits and "~", and dates in several forms.
void FillMaster(TaudioTagList& master) {
    const std::vector<TaudioTagPtr> tags = {
        MakeLibraryTag("/m/Hits/01.mp3", "The Band", "Weight", "Hits", "Rock", "1968", 2),
        MakeLibraryTag("/m/Hits/02.mp3", "John Lee Hooker", "Boom Boom", "Hits", "Blues", "May 1962", 1),
        MakeLibraryTag("/m/Band/Greatest/02.mp3", "The Band", "Acadian Driftwood", "Greatest", "Rock", "1976",
                       2),
        MakeLibraryTag("/m/Band/Greatest/01.mp3", "The Band", "Ophelia", "Greatest", "Rock", "1976-01-01", 1),
        MakeLibraryTag("/m/Other/Greatest/01.mp3", "ABBA", "Waterloo", "greatest", "Pop", "1974", 1),
        MakeLibraryTag("/m/Other/Greatest/02.mp3", "abba", "SOS", "greatest", "pop", "1975", 2),
        MakeLibraryTag("/m/loose/untitled.mp3", "", "", "", "", "", 0),
        MakeLibraryTag("/m/loose/7 Seas.mp3", "", "7 Seas", "", "", "87", 0),
        MakeLibraryTag("/m/loose/elan.mp3", "", "\xc3\x89lan", "", "Pop", "", 0),
        MakeLibraryTag("/m/loose/bracket.mp3", "Nobody", "(Intro)", "Loose", "", "2001", 0),
    };
    for (const auto& t : tags) master.Add(t);
}

// Every grouping of a library, filled as the library fills them.
struct Tgroupings {
    TaudioTagAlbumList Albums;
    TaudioTagArtistList Artists;
    TaudioTagArtistList Titles;
    TaudioTagGenreList Genres;
    TaudioTagYearList Years;
    TaudioTagYearList Decades;

    Tgroupings() {
        Titles.IsAlphaList = true;
        Decades.Mode = ymDecades;
        for (auto* a : {&Artists, &Titles}) {
            a->MapThe = true;
            a->SetMappings({"John Lee Hooker="});
        }
    }
    std::vector<TaudioTagListList*> All() { return {&Albums, &Artists, &Titles, &Genres, &Years, &Decades}; }

    void Build(const TaudioTagList& master) {
        for (auto* g : All()) g->BeginUpdate();
        for (int i = 0; i < master.Count(); ++i) {
            const TaudioTagPtr tag = master.GetTag(i);
            tag->SetStoredPosition(i);
            Albums.AddTag(tag);
            Artists.AddTag(tag);
            Titles.AddTag(tag);
            Genres.AddTag(tag);
            Years.AddTag(tag);
            Decades.AddTag(tag);
        }
        for (auto* g : All()) g->EndUpdate();
        Finish();
    }
    // What the library does after filing or loading: links and display names.
    void Finish() {
        Artists.BuildFromList(Albums);
        Artists.ApplyMappings();
        Titles.ApplyMappings();
        Genres.BuildArtists();
        Years.BuildArtists();
        Decades.BuildArtists();
    }
};

std::string Files(const TaudioTagList& list) {
    std::string out;
    for (const auto& t : list.Items()) out += " " + t->Filename();
    return out;
}

std::string DumpAlbums(const TaudioTagAlbumList& albums) {
    std::string out;
    for (int i = 0; i < albums.Count(); ++i) {
        const auto album = albums.GetAlbum(i);
        out += album->Title() + " by " + album->AlbumArtist + (album->Compilation ? " (compilation)" : "") +
               ":" + Files(*album) + "\n";
    }
    return out;
}

std::string DumpArtists(const TaudioTagArtistList& artists) {
    std::string out;
    for (int i = 0; i < artists.Count(); ++i) {
        const auto artist = artists.GetArtist(i);
        out += artist->Title() + ":" + Files(*artist) + " albums:";
        for (int a = 0; a < artist->Albums().Count(); ++a)
            out += " " + artist->Albums().GetList(a)->Title() + Files(*artist->Albums().GetList(a));
        out += "\n";
    }
    out += "display:";
    for (int i = 0; i < artists.DisplayNames().Count(); ++i)
        out += " " + artists.DisplayNames().Strings(i) + "=" +
               artists.DisplayNames().ObjectAs<TaudioTagList>(i)->Title();
    return out + "\n";
}

std::string DumpCategories(const TaudioTagCategoryList& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        const auto c = list.GetCategory(i);
        out +=
            "[" + c->Title() + "]" + Files(*c) + "\n" + DumpArtists(c->Artists()) + DumpAlbums(c->Albums());
    }
    for (int i = 0; i < list.Names().Count(); ++i) out += " " + list.Names().Strings(i);
    return out + "\n";
}

std::string Dump(Tgroupings& g) {
    return DumpAlbums(g.Albums) + DumpArtists(g.Artists) + DumpArtists(g.Titles) + DumpCategories(g.Genres) +
           DumpCategories(g.Years) + DumpCategories(g.Decades);
}

// Saves each grouping of `from` to a stream and loads it into `to` against `master`.
struct TindexStreams {
    std::string Albums, Artists, Titles, Genres, Years, Decades;
};

TindexStreams Save(Tgroupings& g) {
    TindexStreams s;
    const auto bytes = [](const auto& grouping) {
        TbyteWriter w;
        grouping.SaveToStream(w);
        return w.Bytes();
    };
    s.Albums = bytes(g.Albums);
    s.Artists = bytes(g.Artists);
    s.Titles = bytes(g.Titles);
    s.Genres = bytes(g.Genres);
    s.Years = bytes(g.Years);
    s.Decades = bytes(g.Decades);
    return s;
}

template <typename Grouping>
bool Load(Grouping& g, const std::string& bytes, const TaudioTagList& master, std::string* error = nullptr) {
    TbyteReader r(bytes);
    const bool ok = g.LoadFromStream(r, master, error);
    return ok && r.AtEnd();
}
}  // namespace

TEST(GroupingIndexFiles, LoadedGroupingsEqualFreshlyBuiltOnes) {
    TaudioTagList master;
    FillMaster(master);
    Tgroupings built;
    built.Build(master);
    const TindexStreams s = Save(built);

    Tgroupings loaded;
    for (auto* g : loaded.All()) g->BeginUpdate();
    ASSERT_TRUE(Load(loaded.Albums, s.Albums, master));
    ASSERT_TRUE(Load(loaded.Artists, s.Artists, master));
    ASSERT_TRUE(Load(loaded.Titles, s.Titles, master));
    ASSERT_TRUE(Load(loaded.Genres, s.Genres, master));
    ASSERT_TRUE(Load(loaded.Years, s.Years, master));
    ASSERT_TRUE(Load(loaded.Decades, s.Decades, master));
    for (auto* g : loaded.All()) g->EndUpdate();
    loaded.Finish();

    const std::string expected = Dump(built);
    EXPECT_EQ(Dump(loaded), expected);
    // The fixture covers what the index must carry.
    EXPECT_NE(expected.find("Hits by [Compilations] (compilation)"), std::string::npos);
    EXPECT_NE(expected.find("Greatest by The Band: /m/Band/Greatest/01.mp3 /m/Band/Greatest/02.mp3"),
              std::string::npos);
    EXPECT_NE(expected.find("Band, The=The Band"), std::string::npos);
    EXPECT_NE(expected.find("Lee Hooker, John=John Lee Hooker"), std::string::npos);
    EXPECT_NE(expected.find("~: /m/loose/elan.mp3 /m/loose/bracket.mp3"), std::string::npos);
    EXPECT_NE(expected.find("[2000's]"), std::string::npos);
    EXPECT_NE(expected.find("[Not Tagged]:"), std::string::npos);

    // The loaded groupings hold the global list's own tags, and albums link to artists
    // through the loaded album objects.
    EXPECT_EQ(loaded.Albums.GetAlbum(0)->GetTag(0).get(), master.GetTag(3).get());
    EXPECT_EQ(loaded.Artists.FindArtist("[Compilations]")->Albums().GetList(0).get(),
              loaded.Albums.FindList("Hits").get());
    // A loaded genre files nothing twice: its artists and albums come from the index.
    EXPECT_EQ(loaded.Genres.FindGenre("Rock")->Albums().TrackCount(), 3);

    // Saving the loaded groupings gives the same bytes.
    const TindexStreams again = Save(loaded);
    EXPECT_EQ(again.Albums, s.Albums);
    EXPECT_EQ(again.Artists, s.Artists);
    EXPECT_EQ(again.Titles, s.Titles);
    EXPECT_EQ(again.Genres, s.Genres);
    EXPECT_EQ(again.Years, s.Years);
    EXPECT_EQ(again.Decades, s.Decades);
}

TEST(GroupingIndexFiles, ByteLayout) {
    TaudioTagList master;
    master.Add(MakeLibraryTag("/m/a/1.mp3", "Ann", "One", "Al", "Jazz", "1999", 2));
    master.Add(MakeLibraryTag("/m/a/2.mp3", "Ann", "Two", "Al", "Jazz", "1999", 1));
    master.GetTag(0)->SetStoredPosition(0);
    master.GetTag(1)->SetStoredPosition(1);
    TaudioTagGenreList genres;
    genres.BeginUpdate();
    for (const auto& t : master.Items()) genres.AddTag(t);
    genres.EndUpdate();
    TbyteWriter w;
    genres.SaveToStream(w);
    const std::string artists =
        "IXAR"
        "\x01\x00\x00\x00"
        "\x03\x00\x00\x00"
        "Ann"
        "IXTL"
        "\x02\x00\x00\x00"
        "\x00\x00\x00\x00"
        "\x01\x00\x00\x00"s;
    const std::string albums =
        "IXAL"
        "\x01\x00\x00\x00"
        "\x02\x00\x00\x00"
        "Al"
        "\x03\x00\x00\x00"
        "Ann"
        "IXTL"
        "\x02\x00\x00\x00"
        "\x01\x00\x00\x00"
        "\x00\x00\x00\x00"s;
    EXPECT_EQ(w.Bytes(),
              "IXGR"
              "\x01\x00\x00\x00"
              "\x04\x00\x00\x00"
              "Jazz"
              "IXTL"
              "\x02\x00\x00\x00"
              "\x00\x00\x00\x00"
              "\x01\x00\x00\x00"s +
                  artists + albums);
    TbyteWriter a;
    genres.GetGenre(0)->Albums().SaveToStream(a);
    EXPECT_EQ(a.Bytes(), albums);  // sorted by track: position 1 first

    TaudioTagYearList years;
    for (const auto& t : master.Items()) years.AddTag(t);
    TbyteWriter y;
    years.SaveToStream(y);
    EXPECT_EQ(y.Bytes().substr(0, 12),
              "IXYR"
              "\x01\x00\x00\x00"
              "\x04\x00\x00\x00"s);
    // A genre index is not read as a year index.
    std::string error;
    EXPECT_FALSE(Load(years, w.Bytes(), master, &error));
    EXPECT_EQ(years.Count(), 0);
    EXPECT_NE(error.find("IXYR"), std::string::npos);
}

TEST(GroupingIndexFiles, DamageFailsCleanlyAndBuildsNothing) {
    TaudioTagList master;
    FillMaster(master);
    Tgroupings built;
    built.Build(master);
    const TindexStreams s = Save(built);
    const std::vector<std::pair<std::string, std::function<int(const std::string&, std::string*)>>> cases = {
        {s.Albums,
         [&](const std::string& b, std::string* e) {
             TaudioTagAlbumList g;
             Load(g, s.Albums, master);  // not empty before the damaged load
             Load(g, b, master, e);
             return g.Count();
         }},
        {s.Titles,
         [&](const std::string& b, std::string* e) {
             TaudioTagArtistList g;
             Load(g, s.Titles, master);
             Load(g, b, master, e);
             return g.Count();
         }},
        {s.Genres,
         [&](const std::string& b, std::string* e) {
             TaudioTagGenreList g;
             Load(g, s.Genres, master);
             Load(g, b, master, e);
             return g.Count() + g.Names().Count();
         }},
        {s.Decades,
         [&](const std::string& b, std::string* e) {
             TaudioTagYearList g;
             Load(g, s.Decades, master);
             Load(g, b, master, e);
             return g.Count();
         }},
    };
    for (const auto& [full, load] : cases) {
        std::string error;
        ASSERT_GT(load(full, &error), 0);
        for (size_t n = 0; n < full.size(); ++n) {
            error.clear();
            EXPECT_EQ(load(full.substr(0, n), &error), 0) << "cut at " << n;
            EXPECT_FALSE(error.empty()) << "cut at " << n;
        }
    }

    // A position outside the global list: the index belongs to another library.
    TaudioTagList shorter;
    for (int i = 0; i < master.Count() - 1; ++i) shorter.Add(master.GetTag(i));
    TaudioTagAlbumList albums;
    std::string error;
    EXPECT_FALSE(Load(albums, s.Albums, shorter, &error));
    EXPECT_EQ(albums.Count(), 0);
    EXPECT_NE(error.find("track position 9 outside the 9 tracks"), std::string::npos) << error;
    TaudioTagGenreList genres;
    EXPECT_FALSE(Load(genres, s.Genres, shorter, &error));
    EXPECT_EQ(genres.Count(), 0);

    // Negative and oversized counts are refused without a large allocation.
    for (const std::string& bad : {"IXAR\xFF\xFF\xFF\xFF"s, "IXAR\xFF\xFF\xFF\x7F"s,
                                   "IXAR\x01\x00\x00\x00\x01\x00\x00\x00XIXTL\xFF\xFF\xFF\x7F"s}) {
        TaudioTagArtistList artists;
        EXPECT_FALSE(Load(artists, bad, master, &error));
        EXPECT_EQ(artists.Count(), 0);
    }
}

// A name is read up to the longest text the list files hold: one of exactly that length
// is read whole, one byte more refuses the file.
TEST(GroupingIndexFiles, ANameOfTheLongestTextIsReadOneByteMoreIsRefused) {
    TaudioTagList master;
    FillMaster(master);
    const auto file = [](const std::string& name) {
        TbyteWriter w;
        w.WriteBytes("IXAR");
        w.WriteI32(1);
        w.WriteI32(int32_t(name.size()));  // as it stands: the writer cuts a longer name
        w.WriteBytes(name);
        w.WriteBytes("IXTL");
        w.WriteI32(2);
        w.WriteI32(0);
        w.WriteI32(2);
        return w.Bytes();
    };
    const std::string longest(kMaxListText, 'n');
    TaudioTagArtistList artists;
    std::string error;
    ASSERT_TRUE(Load(artists, file(longest), master, &error)) << error;
    ASSERT_EQ(artists.Count(), 1);
    EXPECT_EQ(artists.GetList(0)->Title(), longest);
    EXPECT_EQ(artists.GetList(0)->Count(), 2);
    EXPECT_FALSE(Load(artists, file(longest + "n"), master, &error));
    EXPECT_EQ(artists.Count(), 0);
}

TEST(GroupingIndexFiles, Files) {
    test::TempDir dir;
    TaudioTagList master;
    FillMaster(master);
    Tgroupings built;
    built.Build(master);
    const std::string albumsFile = dir.File("albums.idx"), genresFile = dir.File("genres.idx");
    ASSERT_TRUE(built.Albums.SaveToFile(albumsFile));
    ASSERT_TRUE(built.Genres.SaveToFile(genresFile));
    std::string error;
    EXPECT_FALSE(built.Albums.SaveToFile("", &error));

    Tgroupings loaded;
    ASSERT_TRUE(loaded.Albums.LoadFromFile(albumsFile, master, &error)) << error;
    ASSERT_TRUE(loaded.Genres.LoadFromFile(genresFile, master, &error)) << error;
    EXPECT_EQ(DumpAlbums(loaded.Albums), DumpAlbums(built.Albums));
    loaded.Genres.BuildArtists();
    EXPECT_EQ(DumpCategories(loaded.Genres), DumpCategories(built.Genres));

    // A missing file and a file with data after the index leave the grouping empty.
    EXPECT_FALSE(loaded.Albums.LoadFromFile(dir.File("missing.idx"), master, &error));
    EXPECT_EQ(loaded.Albums.Count(), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(genresFile, bytes));
    ASSERT_TRUE(SafeWriteFile(genresFile, bytes + "x"));
    EXPECT_FALSE(loaded.Genres.LoadFromFile(genresFile, master, &error));
    EXPECT_NE(error.find("genres.idx"), std::string::npos);
}

TEST(GroupingIndexFiles, GenresAndYearsCarryArtistsAndAlbumsWhateverTheListSwitches) {
    TaudioTagList master;
    FillMaster(master);
    for (int i = 0; i < master.Count(); ++i) master.GetTag(i)->SetStoredPosition(i);
    // Written with the switches off, read with them on, and the other way round: the
    // same artists and albums both ways, and the same bytes as with the switches on.
    std::string streams[2];
    for (const bool on : {false, true}) {
        TaudioTagGenreList genres;
        genres.UseArtists = genres.UseAlbums = on;
        genres.BeginUpdate();
        for (const auto& tag : master.Items()) genres.AddTag(tag);
        genres.EndUpdate();
        genres.BuildArtists();
        TbyteWriter w;
        genres.SaveToStream(w);
        streams[on] = w.Bytes();
        TaudioTagGenreList loaded;
        loaded.UseArtists = loaded.UseAlbums = !on;
        ASSERT_TRUE(Load(loaded, streams[on], master));
        loaded.BuildArtists();
        const auto rock = loaded.FindGenre("Rock");
        ASSERT_TRUE(rock);
        EXPECT_GT(rock->Albums().Count(), 0) << "written with the switches " << (on ? "on" : "off");
        EXPECT_GT(rock->Artists().Count(), 0);
    }
    EXPECT_EQ(streams[0], streams[1]);
}

// Artists are read in the order the file gives them. Names that do not rise (written by
// hand, or differing in case only) meet the artist already read, as a lookup by name
// finds it: one artist of that name, holding the tracks of both records; and an album
// links to the first artist of its artist's name.
TEST(GroupingIndexFiles, ArtistsOutOfOrderOrOfOneNameMeetTheOneAlreadyRead) {
    TaudioTagList master;
    FillMaster(master);
    TbyteWriter w;
    w.WriteBytes("IXAR");
    w.WriteI32(4);
    const std::vector<std::pair<std::string, std::vector<int32_t>>> records = {
        {"Zed", {0}}, {"Abba", {4}}, {"ABBA", {5}}, {"Nobody", {9}}};
    for (const auto& [name, positions] : records) {
        WriteText(w, name);
        w.WriteBytes("IXTL");
        w.WriteI32(int32_t(positions.size()));
        for (const int32_t p : positions) w.WriteI32(p);
    }
    TaudioTagArtistList artists;
    ASSERT_TRUE(Load(artists, w.Bytes(), master));
    EXPECT_EQ(artists.GetTitles(), (std::vector<std::string>{"Abba", "Nobody", "Zed"}));
    ASSERT_TRUE(artists.FindArtist("abba"));
    EXPECT_EQ(artists.FindArtist("abba")->Count(), 2);

    TaudioTagAlbumList albums;
    const TaudioTagAlbumPtr album = albums.CreateAlbum("Greatest", "ABBA");
    album->Add(master.GetTag(4));
    albums.CreateAlbum("Loose", "Nobody")->Add(master.GetTag(9));
    albums.CreateAlbum("Elsewhere", "Nobody Else")->Add(master.GetTag(0));
    artists.BuildFromList(albums);
    EXPECT_EQ(artists.FindArtist("Abba")->Albums().GetTitles(), (std::vector<std::string>{"Greatest"}));
    EXPECT_EQ(artists.FindArtist("Nobody")->Albums().GetTitles(), (std::vector<std::string>{"Loose"}));
    EXPECT_EQ(artists.FindArtist("Zed")->Albums().Count(), 0);
    // The library's own artists are made once.
    EXPECT_TRUE(artists.FindArtist("[Compilations]"));
    artists.BuildFromList(albums);
    EXPECT_EQ(artists.Count(), 5);
}

namespace {
// A library large enough for every road: hundreds of albums (artists found by hashed
// name), album artists spelt in other cases, compilations, untagged tracks, many genres
// and years.
void FillLarge(TaudioTagList& master, int count) {
    static const char* genres[] = {"Rock", "jazz", "Jazz", "Pop", "", "Blues", "Soul", "Folk", "Metal", "Punk"};
    for (int i = 0; i < count; ++i) {
        const int album = i / 3, artist = album % 97;
        std::string name = "Artist " + std::to_string(artist);
        if (album % 5 == 1) name = "artist " + std::to_string(artist);  // another case, one artist
        if (i % 3 == 2 && album % 7 == 0) name = "Guest " + std::to_string(i);  // a compilation
        if (i % 41 == 0) name.clear();
        master.Add(MakeLibraryTag("/m/" + std::to_string(artist) + "/" + std::to_string(album) + "/" +
                                      std::to_string(i % 3 + 1) + ".mp3",
                                  name, "Song " + std::to_string(i * 7919 % 1009), "Album " + std::to_string(album),
                                  genres[album % 10], std::to_string(1950 + album % 71), uint32_t(i % 3 + 1)));
    }
}

// The five groupings the library loads from its index files, as it prints them.
std::string DumpFive(Tgroupings& g) {
    return DumpAlbums(g.Albums) + DumpArtists(g.Artists) + DumpArtists(g.Titles) + DumpCategories(g.Genres) +
           DumpCategories(g.Years);
}

struct TfiveFiles {
    test::TempDir Dir;
    TgroupingIndexLoad For(Tgroupings& g) {
        TgroupingIndexLoad load;
        load.Albums = &g.Albums;
        load.Artists = &g.Artists;
        load.Titles = &g.Titles;
        load.Genres = &g.Genres;
        load.Years = &g.Years;
        load.AlbumsFile = Dir.File("albums.idx");
        load.ArtistsFile = Dir.File("artists.idx");
        load.TitlesFile = Dir.File("titles.idx");
        load.GenresFile = Dir.File("genres.idx");
        load.YearsFile = Dir.File("years.idx");
        return load;
    }
    void Save(Tgroupings& g) {
        const TgroupingIndexLoad load = For(g);
        ASSERT_TRUE(g.Albums.SaveToFile(load.AlbumsFile));
        ASSERT_TRUE(g.Artists.SaveToFile(load.ArtistsFile));
        ASSERT_TRUE(g.Titles.SaveToFile(load.TitlesFile));
        ASSERT_TRUE(g.Genres.SaveToFile(load.GenresFile));
        ASSERT_TRUE(g.Years.SaveToFile(load.YearsFile));
    }
};
}  // namespace

// Loaded by the calling thread alone or with helpers, the groupings are those that were
// saved, down to the bytes they save again; the steps are reported in order.
TEST(GroupingIndexFiles, TheFiveFilesLoadAloneOrWithHelpersAsTheyWereBuilt) {
    TaudioTagList master;
    FillMaster(master);
    FillLarge(master, 1500);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    const std::string expected = DumpFive(built);
    ASSERT_GE(built.Albums.Count(), 256);
    EXPECT_NE(expected.find("(compilation)"), std::string::npos);
    const TindexStreams saved = Save(built);
    for (const unsigned helpers : {0u, 1u, 5u}) {
        Tgroupings loaded;
        TgroupingIndexLoad load = files.For(loaded);
        std::vector<std::string> steps;
        load.Progress = [&](const std::string& step) { steps.push_back(step); };
        std::string error;
        ASSERT_TRUE(LoadGroupingIndexFiles(load, master, helpers, &error)) << error;
        // What the library does after loading them.
        loaded.Artists.BuildFromList(loaded.Albums);
        loaded.Artists.ApplyMappings();
        loaded.Titles.ApplyMappings();
        EXPECT_EQ(DumpFive(loaded), expected) << helpers << " helpers";
        EXPECT_EQ(steps, (std::vector<std::string>{"Loading Artist Index", "Loading Title Index",
                                                   "Loading Album Index", "Loading Genre Index",
                                                   "Loading Year Index"}));
        const TindexStreams again = Save(loaded);
        EXPECT_EQ(again.Albums, saved.Albums);
        EXPECT_EQ(again.Artists, saved.Artists);
        EXPECT_EQ(again.Titles, saved.Titles);
        EXPECT_EQ(again.Genres, saved.Genres);
        EXPECT_EQ(again.Years, saved.Years);
    }
}

// Tracks without an index number are numbered alike with or without helpers: as the
// first list that takes them would number them.
TEST(GroupingIndexFiles, UnnumberedTracksAreNumberedAsAloneWithHelpers) {
    TaudioTagList master;
    FillLarge(master, 600);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    std::vector<int32_t> numbers[2];
    for (const unsigned helpers : {0u, 3u}) {
        for (int i = 0; i < master.Count(); i += 4) master.GetTag(i)->SetTrackIndex(0);
        Tgroupings loaded;
        std::string error;
        ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, helpers, &error)) << error;
        for (const auto& tag : master.Items()) numbers[helpers > 0].push_back(tag->TrackIndex());
    }
    EXPECT_EQ(numbers[0], numbers[1]);
    EXPECT_EQ(std::count(numbers[1].begin(), numbers[1].end(), 0), 0);
}

// A genre's or year's artists and albums wait until first asked for, and are then the
// ones that were saved: also after the library's tracks moved (their stored positions
// no longer match) and after a track left the category.
TEST(GroupingIndexFiles, CategoryArtistsAndAlbumsAreMadeWhenFirstAskedFor) {
    TaudioTagList master;
    FillMaster(master);
    FillLarge(master, 900);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    const std::string genres = DumpCategories(built.Genres), years = DumpCategories(built.Years);
    const TindexStreams saved = Save(built);

    Tgroupings loaded;
    std::string error;
    ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, 0, &error)) << error;
    const std::vector<const TaudioTagCategoryList*> categories = {&loaded.Genres, &loaded.Years};
    for (const TaudioTagCategoryList* grouping : categories)
        for (int i = 0; i < grouping->Count(); ++i) {
            const TaudioTagCategoryPtr category = grouping->GetCategory(i);
            EXPECT_TRUE(category->ListsDeferred()) << category->Title();
            EXPECT_EQ(0, category->UpdateCount()) << category->Title();
        }
    // One genre asked for: that one is made, the others still wait.
    const TaudioTagCategoryPtr rock = loaded.Genres.FindCategory("Rock");
    ASSERT_TRUE(rock);
    EXPECT_EQ(DumpArtists(built.Genres.FindCategory("Rock")->Artists()), DumpArtists(rock->Artists()));
    EXPECT_FALSE(rock->ListsDeferred());
    EXPECT_EQ(0, rock->Artists().UpdateCount());
    EXPECT_EQ(0, rock->Albums().UpdateCount());
    EXPECT_TRUE(loaded.Genres.FindCategory("Pop")->ListsDeferred());

    // The library loses its first tracks (the categories keep theirs): every stored
    // position after them now names another track.
    for (int i = 0; i < 5; ++i) master.Delete(0);
    EXPECT_EQ(genres, DumpCategories(loaded.Genres));
    // Saved again, they give the same bytes (positions are the tracks' stored ones).
    EXPECT_EQ(saved.Years, Save(loaded).Years);
    EXPECT_EQ(years, DumpCategories(loaded.Years));

    // A track that left its category before the lists were made is in none of them; an
    // album it alone made is not made.
    Tgroupings again;
    TaudioTagList fresh;
    FillMaster(fresh);
    FillLarge(fresh, 900);
    ASSERT_TRUE(LoadGroupingIndexFiles(files.For(again), fresh, 0, &error)) << error;
    const TaudioTagCategoryPtr loose = again.Years.FindCategory("2001");
    ASSERT_TRUE(loose);
    ASSERT_TRUE(loose->ListsDeferred());
    const auto& items = loose->Items();
    const auto bracket = std::find_if(items.begin(), items.end(),
                                      [](const TaudioTagPtr& tag) { return tag->Filename() == "/m/loose/bracket.mp3"; });
    ASSERT_NE(bracket, items.end());
    const int before = built.Years.FindCategory("2001")->Albums().Count();
    loose->TaudioTagList::Delete(int(bracket - items.begin()));
    EXPECT_EQ(before - 1, loose->Albums().Count());
    EXPECT_EQ(DumpAlbums(loose->Albums()).find("bracket.mp3"), std::string::npos);
    EXPECT_EQ(DumpArtists(loose->Artists()).find("bracket.mp3"), std::string::npos);
}

// Two threads asking for a category's artists at once get them made once.
TEST(GroupingIndexFiles, CategoryListsAskedForByTwoThreadsAreMadeOnce) {
    TaudioTagList master;
    FillLarge(master, 1200);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    Tgroupings loaded;
    std::string error;
    ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, 0, &error)) << error;
    for (int i = 0; i < loaded.Genres.Count(); ++i) {
        const TaudioTagCategoryPtr category = loaded.Genres.GetCategory(i);
        auto other = std::async(std::launch::async, [&] { return category->Albums().Count(); });
        const int artists = category->Artists().Count();
        const int albums = other.get();
        EXPECT_EQ(built.Genres.GetCategory(i)->Artists().Count(), artists);
        EXPECT_EQ(built.Genres.GetCategory(i)->Albums().Count(), albums);
    }
}

// Lists made ahead on a thread of their own are the ones made when asked for, and the
// thread leaves the tracks' numbers and insertion sequences as they are. Stopped at any
// moment, every category is either still waiting or whole; what is left is made on demand.
TEST(GroupingIndexFiles, CategoryListsMadeAheadAreTheOnesMadeOnDemand) {
    TaudioTagList master;
    FillMaster(master);
    FillLarge(master, 1500);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    const std::string genres = DumpCategories(built.Genres), years = DumpCategories(built.Years);
    auto categoriesOf = [](const Tgroupings& g) {
        std::vector<TaudioTagCategoryPtr> all;
        for (const TaudioTagCategoryList* list : {static_cast<const TaudioTagCategoryList*>(&g.Genres),
                                                   static_cast<const TaudioTagCategoryList*>(&g.Years)})
            for (int i = 0; i < list->Count(); ++i) all.push_back(list->GetCategory(i));
        return all;
    };
    for (const bool stopAtOnce : {false, true}) {
        Tgroupings loaded;
        std::string error;
        ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, 0, &error)) << error;
        std::vector<std::pair<int32_t, uint32_t>> stamps;
        for (const auto& tag : master.Items()) stamps.emplace_back(tag->TrackIndex(), tag->Sequence());
        const std::vector<TaudioTagCategoryPtr> all = categoriesOf(loaded);
        {
            TcategoryListsAhead ahead;
            ahead.Start(all);
            EXPECT_TRUE(ahead.Started());
            if (stopAtOnce) {
                ahead.Stop();
                EXPECT_FALSE(ahead.Started());
                ahead.Wait();
            } else {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (std::any_of(all.begin(), all.end(), [](const auto& c) { return c->ListsDeferred(); }) &&
                       std::chrono::steady_clock::now() < deadline)
                    std::this_thread::yield();
                for (const auto& category : all) EXPECT_FALSE(category->ListsDeferred()) << category->Title();
            }
        }
        std::vector<std::pair<int32_t, uint32_t>> after;
        for (const auto& tag : master.Items()) after.emplace_back(tag->TrackIndex(), tag->Sequence());
        EXPECT_EQ(after, stamps);
        EXPECT_EQ(DumpCategories(loaded.Genres), genres);
        EXPECT_EQ(DumpCategories(loaded.Years), years);
        for (const auto& category : all) {
            EXPECT_EQ(0, category->Artists().UpdateCount()) << category->Title();
            EXPECT_EQ(0, category->Albums().UpdateCount()) << category->Title();
        }
        // Nothing left to make: no thread is started.
        TcategoryListsAhead again;
        again.Start(all);
        EXPECT_FALSE(again.Started());
    }
}

// One damaged file: nothing is filled, whichever file it is and however many help.
TEST(GroupingIndexFiles, OneDamagedFileOfFiveFillsNothing) {
    TaudioTagList master;
    FillLarge(master, 300);
    Tgroupings built;
    built.Build(master);
    for (const unsigned helpers : {0u, 2u}) {
        for (const char* name : {"artists.idx", "albums.idx", "years.idx"}) {
            TfiveFiles files;
            files.Save(built);
            std::string bytes;
            ASSERT_TRUE(ReadFileBytes(files.Dir.File(name), bytes));
            ASSERT_TRUE(SafeWriteFile(files.Dir.File(name), bytes.substr(0, bytes.size() / 2)));
            Tgroupings loaded;
            loaded.Genres.AddTag(master.GetTag(0));  // not empty before
            std::string error;
            EXPECT_FALSE(LoadGroupingIndexFiles(files.For(loaded), master, helpers, &error));
            EXPECT_NE(error.find(name), std::string::npos) << error;
            for (TaudioTagListList* g : {static_cast<TaudioTagListList*>(&loaded.Albums),
                                         static_cast<TaudioTagListList*>(&loaded.Artists),
                                         static_cast<TaudioTagListList*>(&loaded.Titles),
                                         static_cast<TaudioTagListList*>(&loaded.Genres),
                                         static_cast<TaudioTagListList*>(&loaded.Years)})
                EXPECT_EQ(g->Count(), 0) << name << ", " << helpers << " helpers";
        }
    }
}

// The files read on another thread while the library fills, then filled from it: the same
// groupings as reading them afterwards. A file that names a track past the library's end
// (checked only once the library is there) fills nothing and tells the steps up to it; an
// abandoned read leaves every grouping empty.
TEST(GroupingIndexFiles, ReadWhileTheLibraryLoadsThenCheckedAgainstIt) {
    TaudioTagList master;
    FillLarge(master, 400);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    const auto empty = [](Tgroupings& g) {
        return g.Albums.Count() + g.Artists.Count() + g.Titles.Count() + g.Genres.Count() + g.Years.Count() == 0;
    };

    Tgroupings direct;
    std::string error;
    ASSERT_TRUE(LoadGroupingIndexFiles(files.For(direct), master, 0, &error)) << error;
    Tgroupings early;
    TaudioTagList filling;
    auto prepared = std::async(std::launch::async, [&] { return PrepareGroupingIndexFiles(files.For(early)); });
    for (const auto& tag : master.Items()) filling.Add(tag);
    ASSERT_TRUE(FillGroupingIndexFiles(prepared.get(), filling, 0, &error)) << error;
    EXPECT_EQ(DumpFive(early), DumpFive(direct));

    // The library lost its last track since the files were written.
    TaudioTagList shorter;
    for (int i = 0; i + 1 < master.Count(); ++i) shorter.Add(master.GetTag(i));
    for (const unsigned helpers : {0u, 2u}) {
        Tgroupings loaded;
        loaded.Genres.AddTag(master.GetTag(0));  // not empty before
        TgroupingIndexLoad load = files.For(loaded);
        std::vector<std::string> steps;
        load.Progress = [&](const std::string& step) { steps.push_back(step); };
        error.clear();
        EXPECT_FALSE(FillGroupingIndexFiles(PrepareGroupingIndexFiles(load), shorter, helpers, &error));
        EXPECT_TRUE(empty(loaded));
        // Every file names every track: the artist file, read first, is the one blamed.
        EXPECT_NE(error.find(files.Dir.File("artists.idx") + ": track position 399 outside the 399 tracks"),
                  std::string::npos)
            << error;
        EXPECT_EQ(steps, std::vector<std::string>{"Loading Artist Index"});
    }

    Tgroupings abandoned;
    abandoned.Genres.AddTag(master.GetTag(0));
    abandoned.Albums.AddTag(master.GetTag(0));
    AbandonGroupingIndexFiles(PrepareGroupingIndexFiles(files.For(abandoned)));
    EXPECT_TRUE(empty(abandoned));
}

// Files of hundreds of kilobytes keep their records in memory of their own: loaded
// through it, alone or with helpers, the groupings are saved again byte for byte.
TEST(GroupingIndexFiles, LargeFilesLoadAsSmallOnes) {
    TaudioTagList master;
    FillLarge(master, 900);
    // Long names make large files of a small library.
    for (const auto& tag : master.Items()) {
        tag->SetArtist(tag->Artist() + std::string(3000, 'x'));
        tag->SetAlbum(tag->Album() + std::string(1000, 'y'));
    }
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    for (const char* name : {"albums.idx", "artists.idx", "genres.idx", "years.idx"})
        ASSERT_GE(std::filesystem::file_size(files.Dir.File(name)), 256u << 10) << name;
    const TindexStreams saved = Save(built);
    for (const unsigned helpers : {0u, 2u}) {
        Tgroupings loaded;
        std::string error;
        ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, helpers, &error)) << error;
        const TindexStreams again = Save(loaded);
        EXPECT_TRUE(again.Albums == saved.Albums) << helpers << " helpers";
        EXPECT_TRUE(again.Artists == saved.Artists) << helpers << " helpers";
        EXPECT_TRUE(again.Titles == saved.Titles) << helpers << " helpers";
        EXPECT_TRUE(again.Genres == saved.Genres) << helpers << " helpers";
        EXPECT_TRUE(again.Years == saved.Years) << helpers << " helpers";
    }
}

// With hundreds of albums each artist is found by its name's hash: every album links to
// the artist a search by name finds, however its artist is spelt, and to no other.
TEST(GroupingIndexFiles, ManyAlbumsLinkToTheArtistASearchFinds) {
    TaudioTagArtistList artists;
    for (const char* name : {"Abba", "The Band", "Zed", "Émile"}) artists.CreateArtist(name);
    const char* spellings[] = {"ABBA", "abba", "Abba", "the band", "THE BAND", "Zed", "zed ", "émile", "Émile", "Nobody"};
    TaudioTagAlbumList albums;
    for (int i = 0; i < 300; ++i) albums.CreateAlbum("Album " + std::to_string(i), spellings[i % 10]);
    artists.BuildFromList(albums);
    for (int i = 0; i < albums.Count(); ++i) {
        const auto album = albums.GetAlbum(i);
        const TaudioTagArtistPtr found = artists.FindArtist(album->AlbumArtist);
        int links = 0;
        for (int a = 0; a < artists.Count(); ++a)
            if (artists.GetArtist(a)->Albums().IndexOfList(album.get()) >= 0) {
                ++links;
                EXPECT_EQ(artists.GetArtist(a), found) << album->AlbumArtist;
            }
        EXPECT_EQ(links, found ? 1 : 0) << album->AlbumArtist;
    }
    EXPECT_EQ(artists.FindArtist("abba")->Albums().Count(), 90);
    EXPECT_EQ(artists.FindArtist("zed")->Albums().Count(), 30) << "\"zed \" is another name";
    EXPECT_EQ(artists.FindArtist("Émile")->Albums().Count(), 30) << "only ASCII letters fold";
}

// Read with the other four files, an artist file whose names do not rise, or name one
// artist twice, gives what reading it alone gives: one artist holding both records'
// tracks, alone or with helpers.
TEST(GroupingIndexFiles, AnArtistNamedTwiceIsOneArtistAmongTheFiveFiles) {
    TaudioTagList master;
    FillMaster(master);
    Tgroupings built;
    built.Build(master);
    TfiveFiles files;
    files.Save(built);
    TbyteWriter w;
    w.WriteBytes("IXAR");
    w.WriteI32(5);
    const std::vector<std::pair<std::string, std::vector<int32_t>>> records = {
        {"Zed", {0}}, {"Abba", {4}}, {"Zed", {1, 2}}, {"ABBA", {5}}, {"Nobody", {3, 6, 7, 8, 9}}};
    for (const auto& [name, positions] : records) {
        WriteText(w, name);
        w.WriteBytes("IXTL");
        w.WriteI32(int32_t(positions.size()));
        for (const int32_t p : positions) w.WriteI32(p);
    }
    ASSERT_TRUE(SafeWriteFile(files.Dir.File("artists.idx"), w.Bytes()));
    TaudioTagArtistList alone;
    ASSERT_TRUE(Load(alone, w.Bytes(), master));
    for (const unsigned helpers : {0u, 2u}) {
        Tgroupings loaded;
        std::string error;
        ASSERT_TRUE(LoadGroupingIndexFiles(files.For(loaded), master, helpers, &error)) << error;
        EXPECT_EQ(DumpArtists(loaded.Artists), DumpArtists(alone)) << helpers << " helpers";
        EXPECT_EQ(loaded.Artists.FindArtist("zed")->Count(), 3);
        EXPECT_EQ(loaded.Artists.FindArtist("abba")->Count(), 2);
    }
}

// A genre the file names twice is one genre; an artist in both records is one artist
// holding the tracks of both, as when the genre was filed.
TEST(GroupingIndexFiles, AGenreNamedTwiceIsOneGenreWithOneArtistOfEachName) {
    TaudioTagList master;
    FillMaster(master);
    const auto block = [](TbyteWriter& w, const std::vector<int32_t>& positions) {
        w.WriteBytes("IXTL");
        w.WriteI32(int32_t(positions.size()));
        for (const int32_t p : positions) w.WriteI32(p);
    };
    TbyteWriter w;
    w.WriteBytes("IXGR");
    w.WriteI32(2);
    for (const std::vector<int32_t>& positions : {std::vector<int32_t>{2}, std::vector<int32_t>{3}}) {
        WriteText(w, "Rock");
        block(w, positions);
        w.WriteBytes("IXAR");
        w.WriteI32(1);
        WriteText(w, "The Band");
        block(w, positions);
        w.WriteBytes("IXAL");
        w.WriteI32(0);
    }
    TaudioTagGenreList genres;
    ASSERT_TRUE(Load(genres, w.Bytes(), master));
    ASSERT_EQ(genres.Count(), 1);
    const auto rock = genres.FindGenre("Rock");
    EXPECT_EQ(rock->Count(), 2);
    ASSERT_EQ(rock->Artists().Count(), 1);
    EXPECT_EQ(Files(*rock->Artists().GetArtist(0)), " /m/Band/Greatest/02.mp3 /m/Band/Greatest/01.mp3");
}
