#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_rules.h"
#include "core/base/text_utils.h"
#include "tests/support/special_files.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

using namespace tunecrest;
using test::MakeLibraryTag;
namespace fs = std::filesystem;

namespace {

// A small library: a compilation, same-named albums in two folders, untagged files.
std::vector<TaudioTagPtr> Library() {
    return {
        MakeLibraryTag("/m/Hits/01.mp3", "The Band", "Weight", "Hits", "Rock", "1968", 2),
        MakeLibraryTag("/m/Hits/02.mp3", "John Lee Hooker", "Boom Boom", "Hits", "Blues", "May 1962", 1),
        MakeLibraryTag("/m/Band/Greatest/01.mp3", "The Band", "Ophelia", "Greatest", "Rock", "1976-01-01", 1),
        MakeLibraryTag("/m/Band/Greatest/02.mp3", "The Band", "Acadian Driftwood", "Greatest", "Rock", "1976",
                       2),
        MakeLibraryTag("/m/Other/Greatest/01.mp3", "ABBA", "Waterloo", "greatest", "Pop", "1974", 1),
        MakeLibraryTag("/m/loose/untitled.mp3", "", "", ""),
        MakeLibraryTag("/m/loose/7 Seas.mp3", "", "7 Seas", "", "", "87"),
        MakeLibraryTag("/m/loose/elan.mp3", "", "\xc3\x89lan", ""),
        MakeLibraryTag("/m/loose/bracket.mp3", "", "(Intro)", ""),
    };
}
}  // namespace

TEST(Groupings, AlbumsApartByFolderAndCompilations) {
    TaudioTagAlbumList albums;
    albums.BeginUpdate();
    for (const auto& t : Library()) albums.AddTag(t);
    albums.EndUpdate();
    ASSERT_EQ(albums.Count(), 3);  // Greatest twice (two folders), Hits once
    EXPECT_EQ(albums.GetTitles(), (std::vector<std::string>{"Greatest", "greatest", "Hits"}));
    auto hits = std::dynamic_pointer_cast<TaudioTagAlbum>(albums.FindList("hits"));
    ASSERT_TRUE(hits);
    EXPECT_TRUE(hits->Compilation);
    EXPECT_EQ(hits->AlbumArtist, "[Compilations]");
    EXPECT_EQ(hits->GetTag(0)->Title(), "Boom Boom");  // sorted by track
    EXPECT_EQ(albums.GetAlbum(0)->Count() + albums.GetAlbum(1)->Count(), 3);
    EXPECT_EQ(albums.TrackCount(), 5);
    // The last album of a title gets the folder test too: a third folder makes a new album.
    albums.AddTag(MakeLibraryTag("/m/Third/x.mp3", "ABBA", "SOS", "Hits"));
    EXPECT_EQ(albums.Count(), 4);
    EXPECT_EQ(albums.FindTagsOfFile("/m/Hits/02.mp3").size(), 1u);
}

TEST(Groupings, ArtistsDisplayNamesAndMappings) {
    TaudioTagAlbumList albums;
    TaudioTagArtistList artists;
    artists.MapThe = true;
    artists.SetMappings({"John Lee Hooker="});
    artists.BeginUpdate();
    albums.BeginUpdate();
    const auto library = Library();
    for (const auto& t : library) {
        albums.AddTag(t);
        artists.AddTag(t);
    }
    albums.EndUpdate();
    artists.EndUpdate();
    artists.BuildFromList(albums);
    artists.ApplyMappings();
    EXPECT_EQ(library[5]->Title(), "untitled.mp3");  // no artist, no title: the file name
    auto notTagged = artists.FindArtist("[Not Tagged]");
    ASSERT_TRUE(notTagged);
    EXPECT_EQ(notTagged->Count(), 4);
    std::vector<std::string> names;
    for (int i = 0; i < artists.DisplayNames().Count(); ++i)
        names.push_back(artists.DisplayNames().Strings(i));
    EXPECT_EQ(names, (std::vector<std::string>{"ABBA", "Band, The", "John Lee Hooker", "Lee Hooker, John",
                                               "The Band", "[Compilations]", "[Not Tagged]"}));
    EXPECT_EQ(artists.FindArtist("the band")->Albums().Count(), 1);  // Greatest
    EXPECT_EQ(artists.FindArtist("[Compilations]")->Albums().GetList(0)->Title(), "Hits");
    EXPECT_EQ(artists.FindArtist("The Band")->Count(), 3);
    // Without duplicates, the mapped names stand alone.
    artists.MappingsNoDuplicates = true;
    artists.ApplyMappings();
    EXPECT_EQ(artists.DisplayNames().IndexOf("The Band"), -1);
    EXPECT_EQ(artists.DisplayNames().IndexOf("John Lee Hooker"), -1);
    TmyStringList pairs;
    artists.GetArtistNames(pairs);
    EXPECT_EQ(pairs.Count(), 3);  // Compilations/Hits, ABBA/greatest, Band, The/Greatest
}

// Display lines of artists and albums, the display names with their albums, and the
// order of the mapping steps.
TEST(Groupings, MappingsFileIsReadOnlyWhenItIsARegularFileOfSaneSize) {
    test::TempDir dir;
    TaudioTagArtistList artists;
    // A FIFO or a device in its place gives no mappings, at once, and a log line.
    const std::string fifo = test::MakeFifo(dir.File("fifo.txt"));
    EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, [&] { artists.SetMappingListFile(fifo); }));
    EXPECT_EQ(artists.Mappings().Count(), 0);
    artists.SetMappingListFile("/dev/zero");
    EXPECT_EQ(artists.Mappings().Count(), 0);
    EXPECT_EQ(artists.MappingListFile(), "/dev/zero");
    // Name lookups fold letters and take the first line of a name in sorted order.
    std::ofstream(dir.File("m.txt"), std::ios::binary) << "beatles=Zz\r\nThe Beatles=\nBEATLES=Beatles, The\n";
    artists.SetMappingListFile(dir.File("m.txt"));
    ASSERT_EQ(artists.Mappings().Count(), 3);
    auto beatles = test::MakeLibraryTag("/m/1.mp3", "Beatles", "Something", "Abbey Road");
    artists.AddTag(beatles);
    artists.ApplyMappings();
    EXPECT_GE(artists.DisplayNames().IndexOf("Beatles, The"), 0);
    EXPECT_LT(artists.DisplayNames().IndexOf("Zz"), 0);
}

TEST(Groupings, SearchesArtistNamesAndTheMappingSteps) {
    TaudioTagAlbumList albums;
    TaudioTagArtistList artists;
    const auto library = Library();
    auto clip = MakeLibraryTag("/m/Band/Greatest/clip.mkv", "The Band", "Live Clip", "Greatest", "Rock", "1976", 3);
    clip->SetMediaType(mkVideo);
    albums.BeginUpdate();
    artists.BeginUpdate();
    for (const auto& t : library) albums.AddTag(t), artists.AddTag(t);
    albums.AddTag(clip);
    artists.AddTag(clip);
    albums.EndUpdate();
    artists.EndUpdate();
    artists.BuildFromList(albums);
    artists.MapThe = true;
    artists.SetMappings({"John Lee Hooker="});

    // Albums: every album whose title holds the text in any letter case, its tracks in
    // track order, the video left out by the mask.
    TmyStringList found;
    albums.SearchAlbums("REATES", found, mkAudio);
    EXPECT_EQ(found.Text(),
              "The Band - Ophelia [Greatest - Track 1]\n"
              "The Band - Acadian Driftwood [Greatest - Track 2]\n"
              "ABBA - Waterloo [greatest - Track 1]\n");
    EXPECT_EQ(found.ObjectAs<TaudioTag>(0), library[2]);
    albums.SearchAlbums("greatest", found, mkVideo);  // appends
    EXPECT_EQ(found.Count(), 4);
    EXPECT_EQ(found.Strings(3), "The Band - Live Clip [Greatest - Track 3]");
    TmyStringList none;
    albums.SearchAlbums("Nothing", none, mkAll);
    EXPECT_EQ(none.Count(), 0);

    // Artists: matched on the artist's own name (not a display name), lines of artist
    // and title in the artist's order.
    TmyStringList byArtist;
    artists.SearchArtists("the BAND", byArtist, mkAudio);
    EXPECT_EQ(byArtist.Text(), "The Band - Weight\nThe Band - Ophelia\nThe Band - Acadian Driftwood\n");
    EXPECT_EQ(byArtist.ObjectAs<TaudioTag>(0), library[0]);
    byArtist.Clear();
    artists.SearchArtists("band, the", byArtist, mkAll);
    EXPECT_EQ(byArtist.Count(), 0);
    artists.SearchArtists("hook", byArtist, mkAudio);
    EXPECT_EQ(byArtist.Text(), "John Lee Hooker - Boom Boom\n");

    // Each display name with each of its artist's albums; a mapped artist appears under
    // every name it is listed by.
    TmyStringList pairs;
    artists.GetArtistNames(pairs);
    std::vector<std::string> lines;
    for (int i = 0; i < pairs.Count(); ++i) {
        const auto album = pairs.ObjectAs<TaudioTagList>(i);
        lines.push_back(pairs.Strings(i) + " / " + (album ? album->Title() : "?"));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"ABBA / greatest", "Band, The / Greatest", "The Band / Greatest",
                                               "[Compilations] / Hits"}));
    EXPECT_EQ(pairs.ObjectAs<TaudioTagList>(1), albums.FindList("Greatest"));

    // A mapped name with MappingsNoDuplicates stands alone: the "The" step does not add
    // its own name for an artist already mapped, and without the option both follow.
    TaudioTagArtistList doors;
    doors.MapThe = true;
    doors.AddTag(MakeLibraryTag("/m/d/1.mp3", "The Doors", "Break On Through", "Doors"));
    doors.AddTag(MakeLibraryTag("/m/t/1.mp3", "The The", "Uncertain Smile", "Soul Mining"));
    doors.SetMappings({"The Doors=Doors (band)"});
    EXPECT_EQ(doors.DisplayNames().Text(), "Doors (band)\nDoors, The\nThe Doors\nThe The\nThe, The\n");
    doors.MappingsNoDuplicates = true;
    doors.ApplyMappings();
    EXPECT_EQ(doors.DisplayNames().Text(), "Doors (band)\nThe, The\n");
    EXPECT_EQ(doors.DisplayNames().ObjectAs<TaudioTagList>(0), doors.FindList("The Doors"));
}

// The mapping file: one "name=mapped name" line each, CR LF; old files in Windows-1252
// are read as such; a missing file empties the mappings.
TEST(Groupings, ArtistMappingFileRoundTrip) {
    test::TempDir dir;
    const std::string file = dir.File("mappings.txt");
    ASSERT_TRUE(SafeWriteFile(file, "Beyonc\xE9=Knowles, Beyonc\xE9\r\nJohn Lee Hooker=\r\n\r\nAbba=ABBA\n"));
    TaudioTagArtistList artists;
    artists.AddTag(MakeLibraryTag("/m/b.mp3", "Beyonc\xC3\xA9", "Halo", "I Am"));
    artists.AddTag(MakeLibraryTag("/m/j.mp3", "John Lee Hooker", "Boom Boom", "Hits"));
    artists.SetMappingListFile(file);
    EXPECT_EQ(artists.MappingListFile(), file);
    EXPECT_EQ(artists.Mappings().Text(),
              "Abba=ABBA\nBeyonc\xC3\xA9=Knowles, Beyonc\xC3\xA9\nJohn Lee Hooker=\n");
    EXPECT_NE(artists.DisplayNames().IndexOf("Knowles, Beyonc\xC3\xA9"), -1) << "mappings applied on load";
    EXPECT_NE(artists.DisplayNames().IndexOf("Lee Hooker, John"), -1);

    const std::string copy = dir.File("copy.txt");
    TaudioTagArtistList other;
    other.SetMappingListFile(copy);  // missing: nothing loaded
    other.SetMappings({"John Lee Hooker=", "Beyonc\xC3\xA9=Knowles, Beyonc\xC3\xA9"});
    std::string error;
    ASSERT_TRUE(other.SaveMappings(&error)) << error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(copy, bytes));
    EXPECT_EQ(bytes, "Beyonc\xC3\xA9=Knowles, Beyonc\xC3\xA9\r\nJohn Lee Hooker=\r\n");
    TaudioTagArtistList back;
    back.SetMappingListFile(copy);
    EXPECT_EQ(back.Mappings().Text(), other.Mappings().Text());

    // A file that is gone clears what the list held.
    fs::remove(file);
    artists.SetMappingListFile(file);
    EXPECT_EQ(artists.Mappings().Count(), 0);
    EXPECT_EQ(artists.DisplayNames().IndexOf("Lee Hooker, John"), -1);
    EXPECT_NE(artists.DisplayNames().IndexOf("John Lee Hooker"), -1);
}

// An album's cover is its first track's (in track order), in the cover folder or its own.
TEST(Groupings, AlbumCoverFileIsThatOfItsFirstTrack) {
    test::TempDir dir;
    const fs::path music = dir.Path() / "music", covers = dir.Path() / "covers";
    fs::create_directories(music);
    fs::create_directories(covers);
    TaudioTagAlbumList albums;
    albums.AddTag(MakeLibraryTag((music / "2.mp3").string(), "Beta", "Second", "Record", "", "", 2));
    albums.AddTag(MakeLibraryTag((music / "1.mp3").string(), "Alpha", "First", "Record", "", "", 1));
    const auto album = albums.GetAlbum(0);
    ASSERT_TRUE(album);
    EXPECT_EQ(album->GetCoverFile(covers.string(), false), "");
    ASSERT_TRUE(SafeWriteFile((covers / "Beta - Record.jpg").string(), "b"));
    ASSERT_TRUE(SafeWriteFile((covers / "Record.jpg").string(), "r"));
    ASSERT_TRUE(SafeWriteFile((music / "Alpha - Record.jpg").string(), "a"));
    EXPECT_EQ(album->GetCoverFile(covers.string(), false), (music / "Alpha - Record.jpg").string());
    EXPECT_EQ(album->GetCoverFile(covers.string(), true), (covers / "Record.jpg").string());
    TaudioTagAlbum empty;
    EXPECT_EQ(empty.GetCoverFile(covers.string(), false), "");
}

TEST(Groupings, TitleIndexFilesByFirstLetter) {
    TaudioTagArtistList index;
    index.IsAlphaList = true;
    for (const auto& t : Library()) index.AddTag(t);
    index.ApplyMappings();
    EXPECT_EQ(index.GetTitles(), (std::vector<std::string>{"7", "A", "B", "O", "U", "W", "~"}));
    EXPECT_EQ(index.FindArtist("~")->Count(), 2);  // an accented letter and a bracket
}

TEST(Groupings, GenresAndYearsWithTheirArtistsAndAlbums) {
    TaudioTagGenreList genres;
    TaudioTagYearList years, decades;
    decades.Mode = ymDecades;
    for (auto* l : std::initializer_list<TaudioTagCategoryList*>{&genres, &years, &decades}) {
        l->BeginUpdate();
        for (const auto& t : Library()) l->AddTag(t);
        l->EndUpdate();
        l->BuildArtists();
    }
    EXPECT_EQ(genres.GetTitles(), (std::vector<std::string>{"Blues", "Pop", "Rock", "[Undefined]"}));
    auto rock = genres.FindGenre("ROCK");
    ASSERT_TRUE(rock);
    EXPECT_EQ(rock->GetTag(0)->Title(), "Acadian Driftwood");  // title order after the notice
    EXPECT_EQ(rock->Albums().Count(), 2);
    EXPECT_TRUE(rock->Artists().FindArtist("The Band"));
    EXPECT_TRUE(rock->Artists().FindArtist("[Compilations]"));
    EXPECT_FALSE(rock->Artists().FindArtist("[Not Tagged]"));
    EXPECT_EQ(years.GetTitles(), (std::vector<std::string>{"1962", "1968", "1974", "1976", "[No Year]"}));
    EXPECT_EQ(decades.GetTitles(), (std::vector<std::string>{"1960's", "1970's", "[No Decade]"}));
    EXPECT_EQ(decades.FindYear("1970's")->Count(), 3);
    EXPECT_EQ(years.FindYear("[No Year]")->Count(), 4);  // "87" holds no four-digit year
    EXPECT_EQ(genres.Names().Count(), 4);

    // The list's switches only store: every new genre and year files artists and albums.
    TaudioTagGenreList noArtists;
    TaudioTagYearList noAlbums;
    noArtists.UseArtists = false;
    noAlbums.UseAlbums = false;
    for (const auto& t : Library()) noArtists.AddTag(t), noAlbums.AddTag(t);
    EXPECT_FALSE(noArtists.UseArtists);
    EXPECT_EQ(noArtists.FindGenre("Rock")->Albums().Count(), 2);
    EXPECT_TRUE(noArtists.FindGenre("Rock")->Artists().FindArtist("The Band"));
    EXPECT_EQ(noAlbums.FindYear("1976")->Albums().Count(), 1);

    // A genre's own switch: without artists it files no albums either.
    TaudioTagGenre bare;
    bare.UseArtists = false;
    for (const auto& t : Library()) bare.Add(t);
    EXPECT_EQ(bare.Count(), int(Library().size()));
    EXPECT_EQ(bare.Artists().Count(), 0);
    EXPECT_EQ(bare.Albums().Count(), 0);
}

TEST(Groupings, FilterAppliedToTheLibraryKeepsOrderAndSharesTags) {
    TaudioTagList library;
    for (const auto& t : Library()) library.Add(t);
    TtagListRules rules;
    rules.UseGenres = true;
    rules.Genres.Add("Rock");
    rules.Genres.Add("Pop");
    rules.UseYear = true;
    rules.FromYear = 1970;
    rules.ToYear = 1979;
    rules.UsePaths = true;
    rules.NotPaths = true;
    rules.Paths.Add("/M/OTHER/");
    std::vector<std::string> statuses;
    int progress = 0, finished = 0;
    rules.OnStatus = [&](TObject*, const std::string& s) { statuses.push_back(s); };
    rules.OnProgress = [&](TObject*, int, int, const TaudioTagPtr&) { ++progress; };
    rules.OnFinished = [&](TObject*) { ++finished; };
    TaudioTagList dest;
    rules.ApplyRules(library, dest, false);
    ASSERT_EQ(dest.Count(), 2);
    EXPECT_EQ(dest.GetTag(0)->Title(), "Ophelia");
    EXPECT_EQ(dest.GetTag(1)->Title(), "Acadian Driftwood");
    EXPECT_EQ(dest.GetTag(0).get(), library.GetTag(2).get());
    EXPECT_EQ(statuses, std::vector<std::string>{"Applying Rules"});
    EXPECT_EQ(progress, 9 + 4 + 3);  // each test sees what the one before kept
    EXPECT_EQ(finished, 1);
    rules.ApplyRules(library, dest, true);
    EXPECT_NE(dest.GetTag(0).get(), library.GetTag(2).get());
}

// Lists filed inside an update bracket are ordered once when it closes, exactly as
// inserting each in title order would have placed them: equal titles (without regard
// to case) in the order they came, after those already there. Lookups by title work
// while the bracket is open, and a list added outside a bracket goes to its place.
TEST(Groupings, ListsFiledWhileUpdatingTakeTheirTitleOrderOnce) {
    TaudioTagAlbumList albums;
    albums.AddTag(MakeLibraryTag("/m/a/Zed/1.mp3", "A", "One", "Zed"));
    albums.AddTag(MakeLibraryTag("/m/b/zed/1.mp3", "B", "Two", "zed"));
    albums.BeginUpdate();
    const char* titles[] = {"Mid", "ZED", "alpha", "Mid", "Beta", "zed"};
    int n = 0;
    for (const char* title : titles) {
        const std::string folder = "/m/f" + std::to_string(n++) + "/";
        albums.AddTag(MakeLibraryTag(folder + "1.mp3", "X", "T", title));
        // A second track of the same album, found while the bracket is open.
        albums.AddTag(MakeLibraryTag(folder + "2.mp3", "X", "U", title));
        ASSERT_TRUE(albums.FindList(title));
        EXPECT_TRUE(SameText(albums.FindList(title)->Title(), title));
    }
    albums.EndUpdate();
    EXPECT_EQ(albums.GetTitles(),
              (std::vector<std::string>{"alpha", "Beta", "Mid", "Mid", "Zed", "zed", "ZED", "zed"}));
    EXPECT_EQ(albums.GetAlbum(2)->GetTag(0)->Filename(), "/m/f0/1.mp3");
    EXPECT_EQ(albums.GetAlbum(3)->GetTag(0)->Filename(), "/m/f3/1.mp3");
    EXPECT_EQ(albums.GetAlbum(6)->GetTag(0)->Filename(), "/m/f1/1.mp3");
    for (int i = 0; i < albums.Count(); ++i) EXPECT_EQ(albums.GetAlbum(i)->Count(), i >= 4 && i < 6 ? 1 : 2);
    albums.AddTag(MakeLibraryTag("/m/g/1.mp3", "X", "T", "Gamma"));
    EXPECT_EQ(albums.GetTitles()[2], "Gamma");
    // Removing and renaming keep the lookups right.
    albums.Delete(0);
    EXPECT_FALSE(albums.FindList("ALPHA"));
    albums.RenameList(albums.FindList("gamma").get(), "Omega");
    EXPECT_FALSE(albums.FindList("Gamma"));
    EXPECT_EQ(albums.FindList("omega")->GetTag(0)->Filename(), "/m/g/1.mp3");
    EXPECT_EQ(albums.GetTitles(), (std::vector<std::string>{"Beta", "Mid", "Mid", "Omega", "Zed", "zed", "ZED", "zed"}));
}

// A genre puts its tracks in title order when tracks came in, also when they came in
// after the list was last ordered.
TEST(Groupings, GenreTracksKeepTitleOrderAcrossNotices) {
    TaudioTagGenreList genres;
    genres.BeginUpdate();
    genres.AddTag(MakeLibraryTag("/m/1.mp3", "A", "Kilo", "X", "Rock"));
    genres.AddTag(MakeLibraryTag("/m/2.mp3", "A", "alpha", "X", "Rock"));
    genres.EndUpdate();
    EXPECT_EQ(test::Titles(*genres.FindGenre("rock")), (std::vector<std::string>{"alpha", "Kilo"}));
    genres.BeginUpdate();
    genres.AddTag(MakeLibraryTag("/m/3.mp3", "A", "Echo", "X", "Rock"));
    genres.AddTag(MakeLibraryTag("/m/4.mp3", "A", "Zulu", "X", "Pop"));
    genres.EndUpdate();
    EXPECT_EQ(test::Titles(*genres.FindGenre("rock")), (std::vector<std::string>{"alpha", "Echo", "Kilo"}));
    EXPECT_EQ(genres.GetTitles(), (std::vector<std::string>{"Pop", "Rock"}));
}

TEST(Groupings, SearchesGiveOnlyTracksOfTheRequestedMediaKinds) {
    std::vector<TaudioTagPtr> tags = {
        MakeLibraryTag("/m/Live/01.mp3", "Crowd", "Audio Song", "Live"),
        MakeLibraryTag("/m/Live/02.mkv", "Crowd", "Video Song", "Live"),
        MakeLibraryTag("/m/Live/03.xyz", "Crowd", "Unknown Kind", "Live"),
    };
    tags[1]->SetMediaType(mkVideo);
    tags[2]->SetMediaType(0);
    TaudioTagAlbumList albums;
    TaudioTagArtistList artists;
    for (const auto& t : tags) albums.AddTag(t), artists.AddTag(t);
    artists.BuildFromList(albums);
    for (const uint32_t mask : {uint32_t(mkAudio), uint32_t(mkVideo), uint32_t(mkAudio | mkVideo)}) {
        TmyStringList found, byArtist;
        albums.SearchAlbums("liv", found, mask);
        artists.SearchArtists("CROWD", byArtist, mask);
        std::vector<std::string> titles, artistTitles;
        for (int i = 0; i < found.Count(); ++i) titles.push_back(found.ObjectAs<TaudioTag>(i)->Title());
        for (int i = 0; i < byArtist.Count(); ++i)
            artistTitles.push_back(byArtist.ObjectAs<TaudioTag>(i)->Title());
        std::vector<std::string> expected;
        if (mask & mkAudio) expected.push_back("Audio Song");
        if (mask & mkVideo) expected.push_back("Video Song");
        EXPECT_EQ(titles, expected) << "mask " << mask;
        EXPECT_EQ(artistTitles, expected) << "mask " << mask;
    }
}

// Artists added after the display names were built get theirs by themselves: the names,
// their order and the artist each stands for come out as a rebuild over every artist
// gives them, also for "The" names, a name already shown under another spelling, an
// artist removed meanwhile and mappings.
TEST(Groupings, DisplayNamesOfAddedArtistsAreThoseOfAFullRebuild) {
    const auto image = [](const TaudioTagArtistList& artists) {
        std::string text;
        for (int i = 0; i < artists.DisplayNames().Count(); ++i)
            text += artists.DisplayNames().Strings(i) + "|" +
                    std::static_pointer_cast<TaudioTagList>(artists.DisplayNames().Objects(i))->Title() + "\n";
        return text;
    };
    const std::vector<std::vector<std::string>> rounds = {
        {"Zappa", "The Doors", "abba"},
        {"Blondie", "The Beatles", "Cars"},          // new names only
        {"ABBA", "Doors, The"},                      // shown already, spelt otherwise
        {"the who", "Who, The", "Eels"},             // equal among the new ones
        {"Kinks", "The Zombies"},                    // new names again
    };
    for (const bool remove : {false, true})
        for (const bool mapped : {false, true}) {
            SCOPED_TRACE(std::string(remove ? "removal, " : "") + (mapped ? "mappings" : "no mappings"));
            TaudioTagArtistList artists, rebuilt;
            for (auto* a : {&artists, &rebuilt}) {
                a->MapThe = true;
                if (mapped) a->SetMappings({"Blondie=Harry, Debbie"});
            }
            int n = 0;
            for (const auto& round : rounds) {
                for (auto* a : {&artists, &rebuilt}) {
                    a->BeginUpdate();
                    for (const auto& name : round)
                        a->AddTag(MakeLibraryTag("/m/" + std::to_string(n) + ".mp3", name, "T", "A"));
                    if (remove && a->Count() > 3) a->Delete(1);
                    a->EndUpdate();
                }
                ++n;
                artists.ApplyMappingsToNew();
                rebuilt.ApplyMappings();
                EXPECT_EQ(image(artists), image(rebuilt));
                for (int i = 0; i < artists.Count(); ++i) EXPECT_EQ(artists.GetList(i)->UpdateCount(), 0);
            }
        }
}

// An album is found by its title and its first track's folder, without regard to case,
// the first of them in list order: whether the albums of that title are looked through
// or (after many lookups) indexed by title and folder, the answers are the same.
TEST(Groupings, AlbumLookupsByTitleAndFolderAnswerAlikeBeforeAndAfterIndexing) {
    TaudioTagAlbumList albums;
    std::vector<TaudioTagPtr> tags;
    for (const char* folder : {"/c", "/a", "/b"})
        tags.push_back(MakeLibraryTag(std::string(folder) + "/1.mp3", "Band", "One", "Greatest", "Rock", "1999", 1));
    for (int i = 0; i < 40; ++i)
        tags.push_back(MakeLibraryTag("/other/" + std::to_string(i) + "/1.mp3", "Band", "Two",
                                      "Album " + std::to_string(i), "Rock", "1999", 1));
    for (const auto& tag : tags) albums.AddTag(tag);
    ASSERT_EQ(albums.Count(), 43);
    const auto lookups = [&] {
        std::vector<std::string> found;
        for (const char* file : {"/a/2.mp3", "/b/9.mp3", "/c/1.mp3", "/d/1.mp3", "/other/7/3.mp3"}) {
            for (const char* title : {"Greatest", "GREATEST", "Album 7", "Nothing"}) {
                const auto probe = MakeLibraryTag(file, "Band", "x", title, "Rock", "1999", 1);
                const TaudioTagAlbumPtr album = albums.FindAlbumFor(*probe);
                found.push_back(album ? album->Title() + " " + album->GetTag(0)->Filename() : "-");
            }
        }
        return found;
    };
    const std::vector<std::string> first = lookups();
    EXPECT_EQ(first[0], "Greatest /a/1.mp3");
    EXPECT_EQ(first[5], "Greatest /b/1.mp3");
    EXPECT_EQ(first[3], "-");
    EXPECT_EQ(first[18], "Album 7 /other/7/1.mp3");
    for (int i = 0; i < 20; ++i) lookups();  // past what looking through may cost
    EXPECT_EQ(lookups(), first);
}
