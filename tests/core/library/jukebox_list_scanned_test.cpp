// A library scanned from music folders through the fake tagger: an evening of play, what
// comes back after a restart, the switches of the groupings and their update brackets.
#include "core/library/jukebox_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/base/ini_file.h"
#include "tests/core/library/jukebox_list_test_support.h"
#include "tests/support/fake_media_player.h"
#include "tests/support/fake_tagger.h"
#include "tests/support/foreign_records.h"
#include "tests/support/tags.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using namespace test::library_files;

// A library scanned from a music folder through the fake tagger ("fake" files are text
// files of Field=value lines).
class ScannedLibrary : public ::testing::Test {
protected:
    test::TempDir Fdir;
    fs::path Fmusic = Fdir.Path() / "Music";
    fs::path Fdata = Fdir.Path() / "Data";
    void SetUp() override {
        const fs::path plugins = Fdir.Path() / "TagPlugins";
        fs::create_directories(plugins);
        fs::create_directories(Fdata);
        test::InstallFakeTagger(plugins, "fake", "Description=Fake\nExtensions=fake\n");
        TaggerLoader().SetPluginFolder(plugins.string());
        ASSERT_EQ(TaggerLoader().PluginCount(), 1);
        // Two artists, three albums, two genres, three years.
        const char* tracks[][5] = {{"Ann", "Dawn", "First", "Rock", "1999"},  {"Ann", "Noon", "First", "Rock", "1999"},
                                   {"Ann", "Dusk", "Second", "Jazz", "2004"}, {"Bob", "Rain", "Storms", "Rock", "2010"},
                                   {"Bob", "Hail", "Storms", "Rock", "2010"}, {"Bob", "Snow", "Storms", "Jazz", "2010"}};
        int n = 0;
        for (const auto& t : tracks) {
            const fs::path file = Fmusic / t[0] / t[2] / (std::to_string(n++) + ".fake");
            fs::create_directories(file.parent_path());
            test::WriteTextFile(file, std::string("Artist=") + t[0] + "\nTitle=" + t[1] + "\nAlbum=" + t[2] +
                                          "\nGenre=" + t[3] + "\nDate=" + t[4] + "\nDuration=180\n");
        }
    }
    void TearDown() override { TaggerLoader().SetPluginFolder(""); }
    std::unique_ptr<TlocalJukeboxList> NewScannedLibrary() {
        auto lib = std::make_unique<TlocalJukeboxList>();
        lib->SetDataFolder(Fdata.string());
        lib->AutoSaveGlobal = true;
        lib->AutoSavePlaylists = true;
        lib->SetAutoSaveQueue(true);
        lib->SetAutoSaveStacker(true);
        lib->AudioFolders().Add(Fmusic.string());
        lib->GlobalList().AddFolders({Fmusic.string()}, false, nullptr);
        return lib;
    }
    TaudioTagPtr Track(TcustomJukeboxList& lib, const std::string& title) {
        for (const auto& tag : lib.GlobalList().Items())
            if (tag->Title() == title) return tag;
        ADD_FAILURE() << title << " not scanned";
        return std::make_shared<TaudioTag>();
    }
};

TEST_F(ScannedLibrary, EveningWithTheFakePlayer) {
    auto lib = NewScannedLibrary();
    ASSERT_EQ(lib->GlobalList().Count(), 6);
    ASSERT_EQ(lib->FileIndex().Count(), 6);
    TcustomJukebox& jb = *lib->Jukebox();
    TcustomMediaPlayerEvents pe;
    pe.OnGetNextTagger = [&](TObject*, TaudioTagPtr& t) { jb.PlayerWantsNext(t); };
    pe.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& t) { jb.TrackPlayed(t); };
    pe.OnFileNotFound = [&](TObject*, const TaudioTagPtr& t) { jb.TrackNotFound(t); };
    TcustomJukeboxListEvents le;
    le.PlayerEvents = &pe;
    lib->SetEvents(&le);
    auto* player = new test::FakeMediaPlayer;
    jb.SetMediaPlayer(player);
    for (const char* title : {"Snow", "Dawn", "Snow"}) lib->AddToQueue(*Track(*lib, title));
    EXPECT_EQ(player->State, psStopped);
    player->Play();
    std::vector<std::string> played{player->CurrentTag->Title()};
    std::vector<int> sources{jb.PlayedSource()};
    for (int i = 0; i < 5; ++i) {
        player->FinishTrack();
        played.push_back(player->CurrentTag->Title());
        sources.push_back(jb.PlayedSource());
    }
    EXPECT_EQ(std::vector<std::string>(played.begin(), played.begin() + 3),
              (std::vector<std::string>{"Snow", "Dawn", "Snow"}));
    EXPECT_EQ(sources, (std::vector<int>{2, 2, 2, 1, 1, 1}));
    EXPECT_EQ(jb.Queue().Count(), 0);
    // Random play goes on through the library without repeating within a round.
    std::set<std::string> randomTitles(played.begin() + 3, played.end());
    EXPECT_EQ(randomTitles.size(), 3u);
    ASSERT_EQ(jb.History().Count(), 6);
    std::string history;
    ASSERT_TRUE(ReadFileBytes(jb.GetHistoryFileName(), history));
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 6);
    EXPECT_NE(history.find("Bob - Snow"), std::string::npos);
    Drain();
    // Requests are counted, not plays from random.
    auto fresh = std::make_unique<TlocalJukeboxList>();
    fresh->SetDataFolder(Fdata.string());
    fresh->LoadPopularList();
    ASSERT_EQ(fresh->PopularList().Count(), 2);
    EXPECT_EQ(fresh->PopularList().FindFile(Track(*lib, "Snow")->Filename().str())->Data(), 2u);
    EXPECT_EQ(fresh->PopularList().FindFile(Track(*lib, "Dawn")->Filename().str())->Data(), 1u);
}

// Everything a restart must bring back, as text.
std::vector<std::string> Snapshot(TlocalJukeboxList& lib) {
    std::vector<std::string> out;
    auto tracks = [&](const std::string& name, const TaudioTagList& list) {
        out.push_back(name + " " + list.Title() + (list.Active() ? " active" : ""));
        for (const auto& tag : list.Items())
            out.push_back("  " + tag->Filename() + "|" + tag->Artist() + "|" + tag->Title() + "|" + tag->Album() + "|" +
                          tag->Date() + "|" + tag->GenreString() + "|" + std::to_string(tag->Duration()));
    };
    auto lists = [&](const std::string& name, const TaudioTagListList& all) {
        for (int i = 0; i < all.Count(); ++i) tracks(name, *all.GetList(i));
    };
    tracks("global", lib.GlobalList());
    lists("album", lib.AlbumList());
    lists("artist", lib.ArtistList());
    for (int i = 0; i < lib.ArtistList().Count(); ++i) lists("artist-album", lib.ArtistList().GetArtist(i)->Albums());
    lists("title", lib.TitleList());
    lists("genre", lib.GenreList());
    lists("year", lib.YearList());
    for (int i = 0; i < lib.ArtistList().DisplayNames().Count(); ++i)
        out.push_back("display " + lib.ArtistList().DisplayNames().Strings(i));
    lists("playlist", lib.Playlists());
    TcustomJukebox& jb = *lib.Jukebox();
    tracks("queue", jb.Queue());
    tracks("own playlist", jb.Playlist());
    lists("cartridge", jb.Stacker());
    out.push_back("activated " + (jb.ActivatedPlaylist() ? jb.ActivatedPlaylist()->Title() : std::string()));
    out.push_back("random " + std::to_string(jb.RandomList().Count()));
    for (int i = 0; i < lib.PopularList().Count(); ++i)
        out.push_back("count " + lib.PopularList().GetTag(i)->Filename() + " " + std::to_string(lib.PopularList().GetTag(i)->Data()));
    out.push_back("station " + lib.URLList().GetValue("Local"));
    out.push_back("filters " + std::to_string(lib.RuleSets().Count()));
    out.push_back("query rules " + std::to_string(lib.DBRules().Count()));
    return out;
}

TEST_F(ScannedLibrary, EverythingSavedComesBackWithLoadAll) {
    TiniFile ini;
    std::vector<std::string> saved;
    {
        auto lib = NewScannedLibrary();
        lib->Playlists().AddCopyOfList(lib->GlobalList(), "Everything");
        auto party = std::make_shared<TaudioTagList>();
        party->SetTitle("Party");
        party->Add(Track(*lib, "Hail")->Clone());
        lib->Playlists().AddList(party);
        lib->AddToQueue(*Track(*lib, "Noon"));
        lib->AddToQueue(*Track(*lib, "Rain"));
        lib->AddToStacker(party.get());
        lib->Jukebox()->Playlist().Add(Track(*lib, "Dusk")->Clone());
        lib->ActivatePlaylist("Party");
        lib->SetInternetRadioURL("Local", "http://127.0.0.1:8000/stream");
        lib->DBRules().Add("Rock")->Add("Genre = 'Rock'");
        lib->SaveAll();
        lib->Jukebox()->SaveAll();
        lib->URLList().SaveToFile(lib->DataFile("internetradio.dat"));
        lib->SaveRules();
        lib->SaveSettings(ini, "Jukebox");
        Drain();
        saved = Snapshot(*lib);
    }
    EXPECT_NE(std::find(saved.begin(), saved.end(), "activated Party"), saved.end());
    EXPECT_NE(std::find(saved.begin(), saved.end(), "genre Jazz"), saved.end());
    EXPECT_NE(std::find(saved.begin(), saved.end(), "year 2010"), saved.end());
    EXPECT_NE(std::find(saved.begin(), saved.end(), "artist-album Storms"), saved.end());
    // Loads into a fresh library; gives the progress texts.
    auto load = [&] {
        std::vector<std::string> texts;
        TcustomJukeboxListEvents events;
        events.OnListProcessStart = [&](TObject*, const std::string& text) { texts.push_back(text); };
        auto fresh = std::make_unique<TlocalJukeboxList>();
        fresh->SetDataFolder(Fdata.string());
        fresh->SetEvents(&events);
        fresh->LoadSettings(ini, "Jukebox");
        LoadAll(*fresh);
        Drain();
        EXPECT_EQ(Snapshot(*fresh), saved);
        fresh->SetEvents(nullptr);
        return std::count(texts.begin(), texts.end(), "Loading Year Index") == 1;
    };
    const auto before = Times(Fdata);
    EXPECT_TRUE(load()) << "the index files were not used";
    EXPECT_EQ(Times(Fdata), before) << "loading rewrote a file";

    // One index file missing, or one written for another library: every grouping is
    // built again and all five files are written. One older than the library (a folder
    // copied without its times) is taken as it is.
    const auto indexTime = fs::last_write_time(Fdata / "albums.idx");
    auto rebuiltAll = [&] {
        for (const char* name : {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"})
            if (!fs::exists(Fdata / name) || fs::last_write_time(Fdata / name) <= indexTime) return false;
        return true;
    };
    fs::remove(Fdata / "titles.idx");
    EXPECT_FALSE(load());
    EXPECT_TRUE(rebuiltAll());
    EXPECT_TRUE(load());

    const auto library = fs::last_write_time(Fdata / "jukebox.dat");
    fs::last_write_time(Fdata / "genres.idx", library - std::chrono::hours(1));
    EXPECT_TRUE(load());

    TbyteWriter foreign;
    foreign.WriteBytes("IXAL");
    foreign.WriteI32(1);
    WriteText(foreign, "Far");
    WriteText(foreign, "");
    foreign.WriteBytes("IXTL");
    foreign.WriteI32(1);
    foreign.WriteI32(999);
    ASSERT_TRUE(SafeWriteFile((Fdata / "albums.idx").string(), foreign.Bytes()));
    EXPECT_FALSE(load());
    EXPECT_TRUE(load());
}

TEST_F(ScannedLibrary, SwitchesLeaveGroupingsEmptyAndYearsReprocessAlone) {
    auto lib = NewScannedLibrary();
    EXPECT_EQ(lib->YearList().GetTitles(), (std::vector<std::string>{"1999", "2004", "2010"}));
    const auto genres = lib->GenreList().GetTitles();
    lib->YearList().Mode = ymDecades;
    lib->ReprocessYears();
    EXPECT_EQ(lib->YearList().GetTitles(), (std::vector<std::string>{"1990's", "2000's", "2010's"}));
    EXPECT_EQ(lib->GenreList().GetTitles(), genres);
    lib->LoadGenres = false;
    lib->LoadArtistsAlbums = false;
    lib->ReprocessTags();
    EXPECT_EQ(lib->GenreList().Count(), 0);
    EXPECT_EQ(lib->AlbumList().Count(), 0);
    EXPECT_EQ(lib->ArtistList().Count(), 0);
    EXPECT_EQ(lib->TitleList().Count(), 0);
    EXPECT_EQ(lib->YearList().Count(), 3);
}

// Every grouping's lists leave their update brackets once processing ends, whether the
// groupings were built from the tracks or read from the index files; otherwise a group
// would never sort or report its changes.
TEST_F(ScannedLibrary, GroupsAreOutOfTheirUpdateBracketsAfterProcessing) {
    auto allClosed = [](TcustomJukeboxList& lib) {
        for (TaudioTagListList* grouping : {static_cast<TaudioTagListList*>(&lib.TitleList()),
                                            static_cast<TaudioTagListList*>(&lib.ArtistList()),
                                            static_cast<TaudioTagListList*>(&lib.AlbumList())})
            for (int i = 0; i < grouping->Count(); ++i)
                if (grouping->GetList(i)->UpdateCount() != 0) return false;
        return lib.TitleList().Count() > 0;
    };
    {
        auto lib = NewScannedLibrary();
        EXPECT_TRUE(allClosed(*lib));
        lib->SaveAll();
        Drain();
    }
    auto fresh = std::make_unique<TlocalJukeboxList>();
    fresh->SetDataFolder(Fdata.string());
    LoadAll(*fresh);
    Drain();
    EXPECT_TRUE(allClosed(*fresh));
}

}  // namespace
}  // namespace tunecrest
