// The library container, its operations and the loader: round trips through the data
// folder, what survives a restart, damaged files, CD lists, random play, query rules and
// the library's settings.
#include "core/library/jukebox_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/system_services.h"
#include "core/tags/tag_list_files.h"
#include "tests/core/library/jukebox_list_test_support.h"
#include "tests/support/fake_tagger.h"
#include "tests/support/foreign_records.h"
#include "tests/support/recording_prompt.h"
#include "tests/support/tags.h"

namespace tunecrest {
namespace {

using test::MakeTag;
namespace fs = std::filesystem;

using namespace test::library_files;

TEST(JukeboxList, RoundTripThroughTheDataFolderWritesNothingWhileLoading) {
    test::TempDir dir;
    TiniFile ini;
    {
        auto lib = NewLibrary(dir);
        lib->GlobalList().BeginUpdate();
        for (int i = 0; i < 6; ++i) lib->GlobalList().Add(MakeTag("Artist" + std::to_string(i % 2), "T" + std::to_string(i)));
        lib->GlobalList().EndUpdate();
        auto playlist = std::make_shared<TaudioTagList>();
        playlist->SetTitle("Evening");
        playlist->Add(MakeTag("A", "P1"));
        lib->Playlists().AddList(playlist);
        lib->AddToQueue(*MakeTag("A", "Q1"));
        lib->AddToQueue(*MakeTag("A", "Q2"));
        lib->AddToStacker(lib->Playlists().GetList(0).get());
        lib->Jukebox()->ActivatePlaylistByName("Evening");
        lib->SetInternetRadioURL("Station", "http://127.0.0.1/s");
        lib->SaveSettings(ini, "Jukebox");
        lib->SaveAll();
        lib->URLList().SaveToFile(lib->DataFile("internetradio.dat"));
        Drain();
    }
    const auto before = Times(dir);
    auto fresh = NewLibrary(dir);
    fresh->LoadSettings(ini, "Jukebox");  // before the playlists, as at start-up
    LoadAll(*fresh);
    Drain();
    EXPECT_EQ(Times(dir), before) << "loading rewrote a file";
    EXPECT_EQ(fresh->GlobalList().Count(), 6);
    EXPECT_EQ(fresh->ArtistList().GetTitles(), (std::vector<std::string>{"Artist0", "Artist1", "[Compilations]", "[Not Tagged]"}));
    EXPECT_EQ(fresh->FileIndex().Count(), 6);
    EXPECT_EQ(fresh->Jukebox()->RandomList().Count(), 6);
    EXPECT_EQ(test::Titles(fresh->Jukebox()->Queue()), (std::vector<std::string>{"Q1", "Q2"}));
    ASSERT_EQ(fresh->Jukebox()->Stacker().Count(), 1);
    EXPECT_EQ(fresh->Jukebox()->Stacker().GetList(0)->Title(), "Evening");
    ASSERT_NE(fresh->Jukebox()->ActivatedPlaylist(), nullptr) << "activated playlist lost at restart";
    EXPECT_EQ(fresh->Jukebox()->ActivatedPlaylist()->Title(), "Evening");
    EXPECT_EQ(fresh->URLList().GetValue("Station"), "http://127.0.0.1/s");
    ASSERT_NE(fresh->PopularList().FindFile("/m/A - Q1.mp3"), nullptr) << "play counts lost at restart";
    EXPECT_EQ(fresh->PopularList().FindFile("/m/A - Q1.mp3")->Data(), 1u);
}

TEST(JukeboxList, LoaderWithoutLibraryDoesNothing) {
    TlocalJukeboxLoader loader;
    int fired = 0;
    loader.OnStartGlobalLoad = [&](TObject*) { ++fired; };
    loader.LoadAll();
    EXPECT_EQ(fired, 0);
}

TEST(JukeboxList, LoaderForgetsALibraryThatIsDestroyed) {
    test::TempDir dir;
    TlocalJukeboxLoader loader;
    int fired = 0;
    loader.OnStartGlobalLoad = [&](TObject*) { ++fired; };
    {
        auto lib = NewLibrary(dir);
        loader.JukeboxList = lib.get();
        EXPECT_EQ(loader.JukeboxList, lib.get());
        loader.LoadLibrary();
        EXPECT_EQ(fired, 1);
    }
    EXPECT_EQ(loader.JukeboxList, nullptr);
    loader.LoadAll();  // no step reaches the freed library
    EXPECT_EQ(fired, 1);

    // A loader that goes first leaves nothing behind in the library; relinking moves the notice.
    auto first = NewLibrary(dir), second = NewLibrary(dir);
    {
        TlocalJukeboxLoader shortLived;
        shortLived.JukeboxList = first.get();
        shortLived.JukeboxList = second.get();
        first.reset();
        EXPECT_EQ(shortLived.JukeboxList, second.get());
    }
    second.reset();
}

TEST(JukeboxList, LoaderReadsTheVideoListOnlyWithVideoSupport) {
    test::TempDir dir;
    TaudioTagList videos;
    videos.Add(MakeTag("V", "Clip", 0, "/v/clip.mkv"));
    ASSERT_TRUE(SaveTagListToFile(videos, dir.File("vidlist.dat"), false));
    TaudioTagList library;
    library.Add(MakeTag("A", "Song"));
    ASSERT_TRUE(SaveTagListToFile(library, dir.File("jukebox.dat"), false));
    for (const bool video : {false, true}) {
        auto lib = NewLibrary(dir);
        lib->SetVideoSupport(video);
        TlocalJukeboxLoader loader;
        loader.JukeboxList = lib.get();
        int countAtStart = -1;
        loader.OnStartGlobalLoad = [&](TObject*) { countAtStart = lib->GlobalList().Count(); };
        loader.LoadAll();
        EXPECT_EQ(countAtStart, 0) << "fired before the library is loaded";
        EXPECT_EQ(lib->GlobalList().Count(), 1);
        EXPECT_EQ(lib->VideoList().Count(), video ? 1 : 0);
        lib->SetVideoSupport(false);
    }
}

TEST(JukeboxList, QueueingCountsEveryRequestAndWritesCountsOnce) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->SetQueueNoDuplicates(true);
    const auto tag = MakeTag("A", "Song");
    lib->AddToQueue(*tag);
    lib->AddToQueue(*tag);
    EXPECT_EQ(lib->Jukebox()->Queue().Count(), 1);
    EXPECT_FALSE(fs::exists(lib->DataFile("poplist.dat"))) << "written before the burst ended";
    Drain();
    auto fresh = NewLibrary(dir);
    fresh->LoadPopularList();
    ASSERT_EQ(fresh->PopularList().Count(), 1);
    EXPECT_EQ(fresh->PopularList().GetTag(0)->Data(), 2u);
}

TEST(JukeboxList, DamagedQueueFileSurvivesUntilAPersonChangesTheQueue) {
    test::TempDir dir;
    {
        std::ofstream(dir.File("queue.dat")) << "garbage that is no list";
    }
    auto lib = NewLibrary(dir);
    lib->Jukebox()->LoadQueue();
    EXPECT_TRUE(lib->Jukebox()->QueueLoadFailed());
    lib->Jukebox()->Queue().Add(MakeTag("A", "Internal"));  // not a person's action
    std::string text;
    ReadFileBytes(dir.File("queue.dat"), text);
    EXPECT_EQ(text, "garbage that is no list");
    lib->AddToQueue(*MakeTag("A", "Requested"));
    ReadFileBytes(dir.File("queue.dat"), text);
    EXPECT_NE(text, "garbage that is no list");
}

struct FakeDrives : TsystemServices {
    std::string Root;
    std::vector<std::string> ListCDDrives() override { return {Root}; }
    bool GetVolumeSerial(const std::string&, uint32_t& serial) override {
        serial = 0xAB12;
        return true;
    }
};

TEST(JukeboxList, CdListsFollowTheDiscAndStayOutOfTheLibraryFile) {
    test::TempDir dir;
    auto drives = std::make_shared<FakeDrives>();
    drives->Root = "/media/cd/";
    auto previous = SetSystemServices(drives);
    // Written while the disc was mounted elsewhere.
    TaudioTagList cd;
    cd.Add(MakeTag("CD", "Track1", 0, "/media/olduser/DISC/1.cda"));
    cd.Add(MakeTag("CD", "Track2", 0, "/media/olduser/DISC/sub/2.cda"));
    ASSERT_TRUE(SaveTagListToFile(cd, dir.File("0000AB12.dat"), false));
    auto lib = NewLibrary(dir);
    lib->GlobalList().Add(MakeTag("A", "Own"));
    lib->LoadCDs = true;
    lib->LoadIndexes();
    lib->LoadIndexes();  // a second start
    ASSERT_EQ(lib->GlobalList().Count(), 3);
    EXPECT_NE(lib->FileIndex().IndexOf("/media/cd/1.cda"), -1);
    EXPECT_NE(lib->FileIndex().IndexOf("/media/cd/sub/2.cda"), -1);
    lib->SaveGlobalList();
    TaudioTagList stored;
    ASSERT_TRUE(LoadTagListFromFile(stored, dir.File("jukebox.dat"), false));
    EXPECT_EQ(test::Titles(stored), (std::vector<std::string>{"Own"}));
    // So in the background, where the list's head, which holds the count, is written
    // before the records are.
    lib->SetSaveInBackground(true);
    lib->GlobalList().Add(MakeTag("A", "Own too"));
    WaitForBackgroundWork(*lib);
    ASSERT_TRUE(LoadTagListFromFile(stored, dir.File("jukebox.dat"), false));
    EXPECT_EQ(test::Titles(stored), (std::vector<std::string>{"Own", "Own too"}));
    lib->SetSaveInBackground(false);
    // Once the CD tracks have left the list, every new track is written, whatever
    // memory it took over.
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Clear();
    for (int i = 0; i < 40; ++i) lib->GlobalList().Add(MakeTag("New", std::to_string(i)));
    lib->GlobalList().EndUpdate();
    ASSERT_TRUE(LoadTagListFromFile(stored, dir.File("jukebox.dat"), false));
    EXPECT_EQ(stored.Count(), 40);
    SetSystemServices(previous);
}

TEST(JukeboxList, ACdListMadeInOneDriveReadsBackInAnother) {
    test::TempDir dir;
    auto drives = std::make_shared<FakeDrives>();
    drives->Root = "/media/cdrom0/";
    auto previous = SetSystemServices(drives);
    auto lib = NewLibrary(dir);
    // Every track in one folder of the disc.
    TaudioTagList cd;
    cd.Add(MakeTag("CD", "Track1", 0, "/media/cdrom0/Album/1.mp3"));
    cd.Add(MakeTag("CD", "Track2", 0, "/media/cdrom0/Album/2.mp3"));
    ASSERT_TRUE(lib->SaveCDList(cd, "/media/cdrom0/"));
    EXPECT_TRUE(fs::exists(dir.File("0000AB12.dat")));
    drives->Root = "/run/media/me/AUDIO CD/";
    lib->LoadCDs = true;
    lib->LoadIndexes();
    EXPECT_NE(lib->FileIndex().IndexOf("/run/media/me/AUDIO CD/Album/1.mp3"), -1);
    EXPECT_NE(lib->FileIndex().IndexOf("/run/media/me/AUDIO CD/Album/2.mp3"), -1);
    SetSystemServices(previous);
}

TEST(JukeboxList, RandomPlayFromFilterOrWholeLibrary) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    std::vector<std::string> status;
    TcustomJukeboxEvents events;
    events.OnStatusText = [&](TObject*, const std::string& t) { status.push_back(t); };
    lib->Jukebox()->SetEvents(&events);
    lib->GlobalList().Add(MakeTag("A", "One", 0, "/rock/1.mp3"));
    lib->GlobalList().Add(MakeTag("B", "Two", 0, "/jazz/2.mp3"));
    EXPECT_EQ(lib->Jukebox()->RandomList().Count(), 2);
    auto& filter = lib->Jukebox()->Filter();
    filter.UsePaths = true;
    filter.Paths.SetCommaText("/rock/");
    lib->RefillRandomList();
    EXPECT_EQ(test::Titles(lib->Jukebox()->RandomList()), (std::vector<std::string>{"One"}));
    filter.Paths.SetCommaText("/none/");
    lib->RefillRandomList();
    EXPECT_EQ(lib->Jukebox()->RandomList().Count(), 0);
    EXPECT_EQ(status, (std::vector<std::string>{kRandomPlayEmpty}));
    // A query rule without lines stands for the whole library.
    filter.Clear();
    lib->SetDatabaseEnabled(true);
    lib->Jukebox()->UseDBQueryRule = true;
    lib->RefillRandomList();
    EXPECT_EQ(lib->Jukebox()->RandomList().Count(), 2);
    lib->SetDatabaseEnabled(false);
    lib->Jukebox()->UseDBQueryRule = false;
    // A button slot's filter set: a known name copies that set; "[Deactivate]" (or any
    // name that is no set) leaves an empty filter, so the whole library plays again.
    auto jazz = std::make_unique<TtagListRules>();
    jazz->Name = "Jazz";
    jazz->UsePaths = true;
    jazz->Paths.SetCommaText("/jazz/");
    lib->RuleSets().Add(std::move(jazz));
    lib->Jukebox()->UseFilterSet("Jazz");
    EXPECT_EQ(test::Titles(lib->Jukebox()->RandomList()), (std::vector<std::string>{"Two"}));
    lib->Jukebox()->UseFilterSet("[Deactivate]");
    EXPECT_FALSE(lib->Jukebox()->Filter().HasRules());
    EXPECT_EQ(lib->Jukebox()->RandomList().Count(), 2);
}

TEST(JukeboxList, QueryRulesRunAgainstTheLibraryDatabase) {
    test::TempDir dir;
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previousPrompt = SetPrompt(prompt);
    {
        TiniFile rules(dir.File("dbrules.dat"));
        rules.WriteString("Abba only", "RuleName", "Abba only");
        rules.WriteString("Abba only", "Rule0", "Artist = 'ABBA'");
        rules.WriteString("Broken", "RuleName", "Broken");
        rules.WriteString("Broken", "Rule0", "NoSuchColumn = 1");
        rules.WriteString("Broken", "Rule1", "Title = 'Two'");
        rules.WriteString("Empty", "RuleName", "Empty");
        ASSERT_TRUE(rules.UpdateFile());
    }
    auto lib = NewLibrary(dir);
    lib->SetDatabaseEnabled(true);
    lib->LoadRules();
    ASSERT_NE(lib->FindDBRule("abba ONLY"), nullptr);
    EXPECT_EQ(lib->FindDBRule("Missing"), nullptr);
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Add(MakeTag("ABBA", "One", 0, "/m/1.mp3"));
    lib->GlobalList().Add(MakeTag("Queen", "Two", 0, "/m/2.mp3"));
    lib->GlobalList().Add(MakeTag("ABBA", "Three", 0, "/m/3.mp3"));
    lib->GlobalList().EndUpdate();  // builds the database from the export
    EXPECT_TRUE(fs::exists(dir.File("jukebox.csv")));
    EXPECT_TRUE(fs::exists(dir.File("jukebox.mdb")));
    TcustomJukebox& jb = *lib->Jukebox();
    jb.UseDBQueryRule = true;
    jb.SelectDBQueryRule("Abba only");
    jb.RefillRandomList();
    EXPECT_EQ(test::Titles(jb.RandomList()), (std::vector<std::string>{"One", "Three"}));
    // The working lines still fill the list; the broken one is shown.
    jb.SelectDBQueryRule("Broken");
    jb.RefillRandomList();
    EXPECT_EQ(test::Titles(jb.RandomList()), (std::vector<std::string>{"Two"}));
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(prompt->Messages[0].rfind("Query Error|There is an error in your Random Play Query:\r\n\r\n", 0), 0u);
    // A rule without lines is the whole library.
    jb.SelectDBQueryRule("Empty");
    EXPECT_EQ(jb.DBQueryRule().RuleName, "Empty");
    jb.RefillRandomList();
    EXPECT_EQ(jb.RandomList().Count(), 3);
    // An unknown rule empties the copy.
    jb.SelectDBQueryRule("Missing");
    EXPECT_EQ(jb.DBQueryRule().RuleName, "");
    // At the next start a current database is opened, not rebuilt.
    const auto built = fs::last_write_time(dir.File("jukebox.mdb"));
    lib->SaveGlobalList();
    fs::last_write_time(dir.File("jukebox.mdb"), built + std::chrono::seconds(5));
    const auto before = Times(dir);
    auto fresh = NewLibrary(dir);
    fresh->SetDatabaseEnabled(true);
    fresh->LoadIndexes();
    EXPECT_TRUE(fresh->Database().Connected());
    EXPECT_EQ(Times(dir), before);
    fresh->LoadRules();
    fresh->Jukebox()->UseDBQueryRule = true;
    fresh->Jukebox()->SelectDBQueryRule("Abba only");
    fresh->RefillRandomList();
    EXPECT_EQ(test::Titles(fresh->Jukebox()->RandomList()), (std::vector<std::string>{"One", "Three"}));
    SetPrompt(previousPrompt);
}

TEST(JukeboxList, DataFilesAreUncompressedListFilesAndAnEmptyStackerIsNoDamage) {
    test::TempDir dir;
    {
        auto lib = NewLibrary(dir);
        lib->AddToQueue(*MakeTag("A", "Q"));
        lib->AddToStacker(nullptr);
        lib->Jukebox()->SaveStacker();
        lib->SavePlaylists();
    }
    std::string queue, stacker, playlists;
    ASSERT_TRUE(ReadFileBytes(dir.File("queue.dat"), queue));
    ASSERT_TRUE(ReadFileBytes(dir.File("stacker.dat"), stacker));
    ASSERT_TRUE(ReadFileBytes(dir.File("playlists.dat"), playlists));
    EXPECT_EQ(queue.substr(0, 4), "UATL");
    EXPECT_EQ(stacker, std::string("UALL\0\0\0\0", 8)) << "no lists";
    EXPECT_EQ(playlists, stacker);
    auto fresh = NewLibrary(dir);
    LoadAll(*fresh);
    EXPECT_FALSE(fresh->Jukebox()->StackerLoadFailed());
    EXPECT_EQ(fresh->Jukebox()->Stacker().Count(), 0);
    EXPECT_EQ(test::Titles(fresh->Jukebox()->Queue()), (std::vector<std::string>{"Q"}));
}

TEST(JukeboxList, RemovingTheActivatedPlaylistClearsIt) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    std::vector<std::string> activations;
    TcustomJukeboxEvents events;
    events.OnActivePreloadedListChanged = [&](TObject*, TaudioTagList* list) {
        activations.push_back(list ? list->Title() : "-");
    };
    lib->Jukebox()->SetEvents(&events);
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle("Party");
    lib->Playlists().AddList(list);
    lib->ActivatePlaylist("Party");
    EXPECT_EQ(lib->Jukebox()->ActivatedPlaylist(), list.get());
    // Renaming keeps it activated, and the windows hear the new title.
    lib->Playlists().RenameList(list.get(), "Dance");
    EXPECT_EQ(lib->Jukebox()->ActivatedPlaylist(), list.get());
    EXPECT_EQ(activations, (std::vector<std::string>{"Party", "Dance"}));
    lib->ActivatePlaylist("Unknown");
    EXPECT_EQ(lib->Jukebox()->ActivatedPlaylist(), nullptr);
    // An unknown title chosen by a person is not remembered for later.
    auto later = std::make_shared<TaudioTagList>();
    later->SetTitle("Unknown");
    lib->Playlists().AddList(later);
    EXPECT_EQ(lib->Jukebox()->ActivatedPlaylist(), nullptr);
    TiniFile ini;
    lib->SaveSettings(ini, "Jukebox");
    EXPECT_EQ(ini.ReadString("Jukebox", "ActivePlaylist", "?"), "");
    lib->ActivatePlaylist("Dance");
    lib->RemovePlaylist(list.get());
    EXPECT_EQ(lib->Jukebox()->ActivatedPlaylist(), nullptr);
    EXPECT_EQ(activations.back(), "-");
}

TEST(JukeboxList, SettingsKeysDefaultsAndRoundTrip) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    // Defaults from an empty section.
    TiniFile empty;
    lib->LoadSettings(empty, "Jukebox");
    EXPECT_TRUE(lib->EnableIndexes());
    EXPECT_FALSE(lib->DatabaseEnabled());
    EXPECT_TRUE(lib->ArtistList().MapThe);
    EXPECT_FALSE(lib->ArtistList().MappingsNoDuplicates);
    EXPECT_EQ(lib->YearList().Mode, ymYears);
    EXPECT_EQ(lib->VideoList().VideoFileMask(), "%t");
    EXPECT_TRUE(lib->VideoList().AlbumFromParentFolder());
    EXPECT_FALSE(lib->Jukebox()->LoopQueue());
    EXPECT_FALSE(lib->Jukebox()->UseDBQueryRule);

    lib->AudioFolders().Add("/music/a b");
    lib->AudioFolders().Add("/music/c");
    lib->ArtistList().MapThe = false;
    lib->YearList().Mode = ymDecades;
    lib->SetEnableIndexes(false);
    lib->SetDatabaseEnabled(true);
    lib->Jukebox()->SetLoopQueue(true);
    lib->Jukebox()->UseDBQueryRule = true;
    lib->Jukebox()->DBQueryRule().RuleName = "Rock";
    TiniFile ini;
    lib->SaveSettings(ini, "Jukebox");
    const std::vector<std::string> keys = ini.ReadSection("Jukebox");
    const std::vector<std::string> expected = {
        "AudioFolders", "VideoFolders", "AudioImportList", "VideoImportList", "UseAudioMask", "AudioMask",
        "UseVideoMask", "VideoMask", "AlbumFromParentFolder", "ArtistFromParentFolder",
        "AlwaysOverrideWithFileMasks", "ArtistMappingsMapThe", "ArtistMappingsNoDuplicates", "YearMode",
        "EnableIndexes", "DatabaseEnabled", "VideoListMask", "VideoListFolderAsGenre", "UseDBQueryRule", "DBQueryRule",
        "ActivePlaylist", "LoopQueue"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(ini.ReadString("Jukebox", "AudioFolders", ""), "\"/music/a b\",/music/c");
    EXPECT_EQ(ini.ReadString("Jukebox", "YearMode", ""), "1");
    EXPECT_EQ(ini.ReadString("Jukebox", "LoopQueue", ""), "1");

    auto fresh = NewLibrary(dir);
    fresh->LoadSettings(ini, "Jukebox");
    EXPECT_EQ(fresh->AudioFolders().Count(), 2);
    EXPECT_EQ(fresh->AudioFolders().Strings(0), "/music/a b");
    EXPECT_FALSE(fresh->ArtistList().MapThe);
    EXPECT_EQ(fresh->YearList().Mode, ymDecades);
    EXPECT_FALSE(fresh->EnableIndexes());
    EXPECT_TRUE(fresh->DatabaseEnabled());
    EXPECT_TRUE(fresh->Jukebox()->LoopQueue());
    EXPECT_TRUE(fresh->Jukebox()->UseDBQueryRule);
    EXPECT_EQ(fresh->Jukebox()->DBQueryRule().RuleName, "Rock");
    EXPECT_EQ(fresh->Jukebox()->DBQueryRule().Count(), 0) << "the rule's lines are fetched later";
}

TEST(JukeboxList, AlarmEditorWorksOnTheJukeboxAlarms) {
    struct AlarmPrompt : Tprompt {
        TonOffTimerAlarmList* Edited = nullptr;
        bool EditAlarms(TonOffTimerAlarmList& alarms) override {
            Edited = &alarms;
            alarms.AddNew();
            return true;
        }
    };
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    EXPECT_FALSE(lib->EditAlarms()) << "nobody to ask: nothing confirmed";
    auto prompt = std::make_shared<AlarmPrompt>();
    auto previous = SetPrompt(prompt);
    EXPECT_TRUE(lib->EditAlarms());
    EXPECT_EQ(prompt->Edited, &lib->Jukebox()->Alarms());
    EXPECT_EQ(lib->Jukebox()->Alarms().Count(), 1);
    SetPrompt(previous);
}

TEST(JukeboxList, PlayCountsWaitingForTheirWriteAreKeptAtCloseDown) {
    test::TempDir dir;
    {
        auto lib = NewLibrary(dir);
        lib->AddToQueue(*MakeTag("A", "Song"));
    }  // closed before the dispatcher ran the write
    Drain();
    auto fresh = NewLibrary(dir);
    fresh->LoadPopularList();
    ASSERT_EQ(fresh->PopularList().Count(), 1);
    EXPECT_EQ(fresh->PopularList().GetTag(0)->Data(), 1u);
}

TEST(JukeboxList, VideoSupportReachesTheTaggerLoaderAndTheQueue) {
    const uint32_t previous = TaggerLoader().MediaSupportLevel();
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->SetVideoSupport(true);
    EXPECT_TRUE(lib->VideoSupport());
    EXPECT_EQ(TaggerLoader().MediaSupportLevel(), 3u);
    EXPECT_EQ(lib->Jukebox()->Queue().MediaSupportLevel(), 3u);
    lib->SetVideoSupport(false);
    EXPECT_EQ(TaggerLoader().MediaSupportLevel(), 1u);
    EXPECT_EQ(lib->Jukebox()->Queue().MediaSupportLevel(), 1u);
    TaggerLoader().SetMediaSupportLevel(previous);
}

TEST(JukeboxList, DamagedPlaylistsFileSurvivesUntilAPersonChangesThePlaylists) {
    test::TempDir dir;
    {
        std::ofstream(dir.File("playlists.dat")) << "garbage that is no list";
    }
    auto lib = NewLibrary(dir);
    int changes = 0;
    TcustomJukeboxListEvents events;
    events.OnPlaylistsChange = [&](TObject*) { ++changes; };
    lib->SetEvents(&events);
    lib->LoadPlaylists();
    EXPECT_EQ(changes, 1) << "a load is one change";
    EXPECT_TRUE(lib->PlaylistsLoadFailed());
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle("Loaded later");
    lib->Playlists().AddList(list);  // not a person's action
    std::string text;
    ReadFileBytes(dir.File("playlists.dat"), text);
    EXPECT_EQ(text, "garbage that is no list");
    lib->RemovePlaylist(list.get());
    EXPECT_FALSE(lib->PlaylistsLoadFailed());
    ReadFileBytes(dir.File("playlists.dat"), text);
    EXPECT_EQ(text, std::string("UALL\0\0\0\0", 8));
    lib->SetEvents(nullptr);
}

TEST(JukeboxList, ProgressOfTheGroupingsCarriesTheTrackCount) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->AutoSaveGlobal = false;
    lib->SetVideoSupport(true);
    std::vector<std::pair<int, int>> steps;
    TcustomJukeboxListEvents events;
    events.OnListProcess = [&](TObject*, int index, int count, const TaudioTagPtr&) {
        steps.push_back({index, count});
    };
    lib->SetEvents(&events);
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 12; ++i) lib->GlobalList().Add(MakeTag("A", "T" + std::to_string(i)));
    steps.clear();
    lib->GlobalList().EndUpdate();  // ProcessTags
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 12}, {10, 12}}));
    steps.clear();
    lib->ReprocessYears();
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 12}, {10, 12}}));
    steps.clear();
    lib->VideoList().BeginUpdate();
    for (int i = 0; i < 3; ++i)
        lib->VideoList().Add(MakeTag("V", "Clip" + std::to_string(i), 0, "/v/" + std::to_string(i) + ".mkv"));
    steps.clear();
    lib->VideoList().EndUpdate();  // ProcessVideo
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}));
    lib->SetEvents(nullptr);
    lib->SetVideoSupport(false);
}

TEST(JukeboxList, TheJukeboxReportsAPlaylistChangeWhenTheLibrarysPlaylistsChange) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    int changes = 0;
    TcustomJukeboxEvents events;
    events.OnPlaylistChange = [&](TObject* sender) {
        EXPECT_EQ(sender, lib->Jukebox());
        ++changes;
    };
    lib->Jukebox()->SetEvents(&events);
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle("Party");
    lib->Playlists().AddList(list);
    EXPECT_EQ(changes, 1);
    lib->RemovePlaylist(list.get());
    EXPECT_EQ(changes, 2);
    lib->Jukebox()->SetEvents(nullptr);
}

TEST(JukeboxList, AForeignRecordLosesNoTracksAndKeepsTheFileFromAutoSave) {
    test::TempDir dir;
    const std::string library =
        test::ListWithForeignRecord("", {MakeTag("A", "One")}, {MakeTag("A", "Two"), MakeTag("B", "Three")});
    const std::string queue = test::ListWithForeignRecord("", {MakeTag("A", "One")}, {MakeTag("B", "Three")});
    TbyteWriter lists;
    lists.WriteBytes("UALL");
    lists.WriteI32(2);
    lists.WriteBytes(test::ListWithForeignRecord("Evening", {MakeTag("A", "One")}, {MakeTag("A", "Two")}));
    TaudioTagList late;
    late.SetTitle("Late");
    late.Add(MakeTag("B", "Three"));
    late.SaveToStream(lists);
    ASSERT_TRUE(SafeWriteFile(dir.File("jukebox.dat"), library));
    ASSERT_TRUE(SafeWriteFile(dir.File("queue.dat"), queue));
    ASSERT_TRUE(SafeWriteFile(dir.File("playlists.dat"), lists.Bytes()));

    auto lib = NewLibrary(dir);
    LoadAll(*lib);
    EXPECT_EQ(test::Titles(lib->GlobalList()), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(test::Titles(lib->Jukebox()->Queue()), (std::vector<std::string>{"One", "Three"}));
    ASSERT_EQ(lib->Playlists().Count(), 2);
    EXPECT_EQ(lib->Playlists().FindList("Evening")->Count(), 2);
    EXPECT_EQ(lib->Playlists().FindList("Late")->Count(), 1);
    EXPECT_TRUE(lib->GlobalLoadFailed());
    EXPECT_TRUE(lib->Jukebox()->QueueLoadFailed());
    EXPECT_TRUE(lib->PlaylistsLoadFailed());

    // Changes the program makes by itself leave the damaged files as they are.
    lib->GlobalList().Add(MakeTag("C", "Scanned"));
    lib->Jukebox()->Queue().Add(MakeTag("C", "Internal"));
    auto extra = std::make_shared<TaudioTagList>();
    extra->SetTitle("Extra");
    lib->Playlists().AddList(extra);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir.File("jukebox.dat"), bytes));
    EXPECT_EQ(bytes, library);
    ASSERT_TRUE(ReadFileBytes(dir.File("queue.dat"), bytes));
    EXPECT_EQ(bytes, queue);
    ASSERT_TRUE(ReadFileBytes(dir.File("playlists.dat"), bytes));
    EXPECT_EQ(bytes, lists.Bytes());

    // Once a person changes the library, it is written again, whole.
    lib->MarkGlobalListUserChange();
    lib->GlobalList().Add(MakeTag("C", "Chosen"));
    TaudioTagList stored;
    ASSERT_TRUE(LoadTagListFromFile(stored, dir.File("jukebox.dat"), false));
    EXPECT_EQ(stored.Count(), 5);
}

}  // namespace
}  // namespace tunecrest
