// The library container, its operations and the loader: round trips through the data
// folder, what survives a restart, damaged files, CD lists, and a whole evening of play
// with the fake player.
#include "core/library/jukebox_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "core/base/ini_file.h"
#include "core/library/jukebox_loader.h"
#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "tests/support/fake_media_player.h"
#include "tests/support/fake_tagger.h"
#include "tests/support/foreign_records.h"
#include "tests/support/groupings_image.h"
#include "tests/support/recording_prompt.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
namespace fs = std::filesystem;

std::unique_ptr<TlocalJukeboxList> NewLibrary(const test::TempDir& dir) {
    auto lib = std::make_unique<TlocalJukeboxList>();
    lib->SetDataFolder(dir.Path().string());
    lib->AutoSaveGlobal = true;
    lib->AutoSavePlaylists = true;
    lib->SetAutoSaveQueue(true);
    lib->SetAutoSaveStacker(true);
    return lib;
}

void LoadAll(TlocalJukeboxList& lib) {
    TlocalJukeboxLoader loader;
    loader.JukeboxList = &lib;
    loader.LoadAll();
}

std::map<std::string, fs::file_time_type> Times(const fs::path& folder) {
    std::map<std::string, fs::file_time_type> out;
    for (const auto& entry : fs::directory_iterator(folder)) out[entry.path().filename()] = entry.last_write_time();
    return out;
}

std::map<std::string, fs::file_time_type> Times(const test::TempDir& dir) { return Times(dir.Path()); }

void Drain() {
    static_cast<TqueueDispatcher&>(Dispatcher()).ProcessPendingCalls();
}

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

void WaitForBackgroundWork(TcustomJukeboxList& lib);

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
    EXPECT_EQ(fresh->PopularList().FindFile(Track(*lib, "Snow")->Filename())->Data(), 2u);
    EXPECT_EQ(fresh->PopularList().FindFile(Track(*lib, "Dawn")->Filename())->Data(), 1u);
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

    // One index file missing, one older than the library, one written for another
    // library: every grouping is built again and all five files are written.
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
    fs::last_write_time(Fdata / "genres.idx", library - std::chrono::seconds(1));
    EXPECT_FALSE(load());
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

namespace tunecrest {
namespace {

using test::GroupingsImage;
using test::LibraryTrack;

void WaitForBackgroundWork(TcustomJukeboxList& lib) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (int i = 0; i < 20000 && lib.BackgroundWorkPending(); ++i) dispatcher.WaitAndProcess(5);
    ASSERT_FALSE(lib.BackgroundWorkPending());
}

}  // namespace

// Tracks added at the end of the library are filed by themselves: the groupings come
// out exactly as filing every track again gives them, also when the addition makes
// new albums, artists, letters, genres and years or turns an album into a compilation.
TEST(JukeboxList, AddedTracksAreFiledAsAWholeRefileWould) {
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->AutoSaveGlobal = false;
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 300; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    std::vector<TaudioTagPtr> added = {
        LibraryTrack(300), LibraryTrack(301),
        test::MakeLibraryTag("/m/new/1.mp3", "Newcomer", "zebra", "Fresh", "Ska", "1977", 1),
        test::MakeLibraryTag("/m/new/2.mp3", "Newcomer", "0 Intro", "Fresh", "Ska", "1977", 2),
        test::MakeLibraryTag("/m/new/3.mp3", "", "", "", "", "", 0),
    };
    for (const auto& tag : added) lib->GlobalList().Add(tag);
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Add(LibraryTrack(302));
    lib->GlobalList().Add(LibraryTrack(303));
    lib->GlobalList().EndUpdate();
    const std::string incremental = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), incremental);
    // Another artist on the album of /m/0/0/: it becomes a compilation.
    lib->GlobalList().Add(test::MakeLibraryTag("/m/0/0/guest.mp3", "Guest", "Guest Song", "Album 0", "Rock", "1990", 3));
    const std::string compiled = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), compiled);
    EXPECT_EQ(lib->ArtistList().FindArtist("[Compilations]")->Albums().Count() > 0, true);

    // Edited tracks (new artist, album, genre, year and title) and removed ones.
    const TaudioTagPtr edited = lib->GlobalList().GetTag(10);
    edited->SetArtist("Newcomer");
    edited->SetAlbum("Fresh");
    edited->SetGenreString("Ska");
    edited->SetDate("1977");
    edited->SetTitle("a new title");
    lib->GlobalList().GetTag(20)->SetTrackNo(1);
    lib->GlobalList().Changed();
    const std::string afterEdit = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), afterEdit);
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Delete(5);
    lib->GlobalList().Delete(lib->GlobalList().Count() - 1);
    lib->GlobalList().EndUpdate();
    lib->GlobalList().Delete(0);
    const std::string afterRemoval = GroupingsImage(*lib);
    lib->ReprocessTags();
    EXPECT_EQ(GroupingsImage(*lib), afterRemoval);
}

// The random list follows the library track by track: an added track joins the pass
// being played, a removed one leaves it and an edit keeps it, so a change never starts
// the pass again; with a filter it is filled anew from the filter.
TEST(JukeboxList, RandomListFollowsTheLibraryWithoutANewPass) {
    SetRandomSeed(5);
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->AutoSaveGlobal = false;
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 40; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    TaudioTagList& random = lib->Jukebox()->RandomList();
    const auto sameAsLibrary = [&] { return random.Items() == lib->GlobalList().Items(); };
    ASSERT_TRUE(sameAsLibrary());
    std::set<TaudioTag*> played;
    for (int i = 0; i < 10; ++i) played.insert(random.GetNext().get());
    const auto pending = [&] {
        std::set<TaudioTag*> tags;
        for (int i = 0; i < random.RandomOrder().Count(); ++i) tags.insert(random.RandomOrder().Get(i).get());
        return tags;
    };
    EXPECT_EQ(pending().size(), 30u);

    const TaudioTagPtr added = LibraryTrack(40);
    lib->GlobalList().Add(added);
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 31u);
    EXPECT_EQ(pending().count(added.get()), 1u);

    TaudioTagPtr removedPending, removedPlayed;
    for (const auto& tag : lib->GlobalList().Items()) {
        if (!removedPending && !played.count(tag.get()) && tag != added) removedPending = tag;
        if (!removedPlayed && played.count(tag.get())) removedPlayed = tag;
    }
    lib->GlobalList().BeginUpdate();
    lib->GlobalList().Remove(removedPending.get());
    lib->GlobalList().Remove(removedPlayed.get());
    lib->GlobalList().EndUpdate();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 30u);
    EXPECT_EQ(pending().count(removedPending.get()), 0u);

    added->SetTitle("Edited");
    lib->GlobalList().Changed();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(pending().size(), 30u);
    for (TaudioTag* tag : pending()) EXPECT_EQ(played.count(tag), 0u);

    // Moved tracks: the random list takes the library's order again.
    lib->GlobalList().Move(0, 20);
    EXPECT_TRUE(sameAsLibrary());
    // Many removals at once fill it anew.
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 25; ++i) lib->GlobalList().Delete(0);
    lib->GlobalList().EndUpdate();
    EXPECT_TRUE(sameAsLibrary());
    EXPECT_EQ(random.Count(), 14);
}

// Saving in the background: the change handler returns before anything is written;
// "jukebox.dat", the index files, the export and the database then come out as the
// synchronous save writes them, and a later start reads the index files.
TEST(JukeboxList, BackgroundSaveWritesWhatTheSynchronousSaveWrites) {
    test::TempDir dir, reference;
    auto lib = NewLibrary(dir);
    lib->SetSaveInBackground(true);
    lib->SetDatabaseEnabled(true);
    auto sync = NewLibrary(reference);
    sync->SetDatabaseEnabled(true);
    for (auto* l : {lib.get(), sync.get()}) {
        l->GlobalList().BeginUpdate();
        for (int i = 0; i < 200; ++i) l->GlobalList().Add(LibraryTrack(i));
        l->GlobalList().EndUpdate();
    }
    EXPECT_TRUE(lib->BackgroundWorkPending());
    EXPECT_FALSE(fs::exists(dir.File("jukebox.dat")));
    // Changes in a burst make one save of the last state.
    lib->GlobalList().Add(LibraryTrack(200));
    lib->GlobalList().Add(LibraryTrack(201));
    sync->GlobalList().Add(LibraryTrack(200));
    sync->GlobalList().Add(LibraryTrack(201));
    WaitForBackgroundWork(*lib);
    for (const char* file : {"jukebox.dat", "albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"}) {
        std::string mine, theirs;
        ASSERT_TRUE(ReadFileBytes(dir.File(file), mine)) << file;
        ASSERT_TRUE(ReadFileBytes(reference.File(file), theirs)) << file;
        EXPECT_EQ(mine, theirs) << file;
    }
    EXPECT_TRUE(lib->Database().Connected());
    // The export is written by a rebuild only (the synchronous library followed its last
    // two tracks row by row): both databases hold the same rows.
    for (const char* condition : {"Filename <> ''", "GenreString = 'Rock'", "TrackNo > 4"}) {
        std::vector<std::string> mine, theirs;
        std::string error;
        ASSERT_TRUE(lib->Database().QueryFiles(condition, "", "Filename", TdbTable::dtAudio, mine, error)) << error;
        ASSERT_TRUE(sync->Database().QueryFiles(condition, "", "Filename", TdbTable::dtAudio, theirs, error)) << error;
        EXPECT_EQ(mine, theirs) << condition;
        EXPECT_FALSE(mine.empty()) << condition;
    }
    TaudioTagList rock;
    std::string error;
    ASSERT_TRUE(lib->Database().SelectFiles("GenreString = 'rock'", "", "", TdbTable::dtAudio, false, rock, error))
        << error;
    EXPECT_EQ(rock.Count(), 51);
    // A rebuild over the database in use: the connection moves to the new file and the
    // second name that kept the old file alive meanwhile is let go.
    lib->GlobalList().Add(LibraryTrack(202));
    WaitForBackgroundWork(*lib);
    EXPECT_TRUE(lib->Database().Connected());
    for (int i = 0; i < 500 && fs::exists(dir.File("jukebox.mdb.old")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(fs::exists(dir.File("jukebox.mdb.old")));
    TaudioTagList all;
    ASSERT_TRUE(lib->Database().SelectFiles("Filename <> ''", "", "", TdbTable::dtAudio, false, all, error)) << error;
    EXPECT_EQ(all.Count(), 203);
    // A change still waiting for its save is written at close-down.
    lib->GlobalList().Add(LibraryTrack(203));
    lib.reset();
    auto fresh = NewLibrary(dir);
    bool indexesRead = false;
    TcustomJukeboxListEvents events;
    events.OnListProcessStart = [&](TObject*, const std::string& t) { indexesRead |= t == "Loading Year Index"; };
    fresh->SetEvents(&events);
    fresh->LoadIndexes();
    fresh->SetEvents(nullptr);
    EXPECT_EQ(fresh->GlobalList().Count(), 204);
    EXPECT_TRUE(indexesRead);
}

namespace {
// The files a save writes, by name, and whether a temporary file is left beside them.
std::map<std::string, std::string> SavedFiles(const test::TempDir& dir, bool* temporary = nullptr) {
    std::map<std::string, std::string> files;
    for (const char* name : {"jukebox.dat", "albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx",
                             "jukebox.csv"})
        if (!ReadFileBytes(dir.File(name), files[name])) files[name] = "(missing)";
    if (temporary) {
        *temporary = false;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            *temporary |= entry.path().filename().string().rfind('.', 0) == 0;
    }
    return files;
}
}  // namespace

// A background save is made in slices with the library in use between them. Whatever
// changes between two slices (an edited track, one added, one removed), the files that
// come out are those of one state of the library, the last, as the synchronous save
// writes them; no temporary file is left behind. Also when the memory the save hands
// its bytes to the worker in is so small that it waits for the worker at every record.
TEST(JukeboxList, ChangesBetweenSaveSlicesLeaveTheFilesOfTheLastState) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (const bool tight : {false, true}) {
        SCOPED_TRACE(tight ? "tight memory" : "usual memory");
        test::TempDir dir, reference;
        auto lib = NewLibrary(dir);
        lib->SetSaveInBackground(true);
        lib->SetDatabaseEnabled(true);
        lib->SetSaveSliceTime(std::chrono::microseconds(0));  // the least work a slice can do
        if (tight) lib->SetSaveMemory(256, 2);
        auto sync = NewLibrary(reference);
        sync->SetDatabaseEnabled(true);
        for (auto* l : {lib.get(), sync.get()}) {
            l->GlobalList().BeginUpdate();
            for (int i = 0; i < 300; ++i) l->GlobalList().Add(LibraryTrack(i));
            l->GlobalList().EndUpdate();
        }
        const std::vector<std::function<void(TcustomJukeboxList&)>> changes = {
            [](TcustomJukeboxList& l) {
                l.GlobalList().GetTag(3)->SetTitle("Edited in the list's records");
                l.GlobalList().Changed();
            },
            [](TcustomJukeboxList& l) { l.GlobalList().Add(LibraryTrack(300)); },
            [](TcustomJukeboxList& l) { l.GlobalList().Delete(17); },
            [](TcustomJukeboxList& l) {
                l.GlobalList().GetTag(250)->SetArtist("Edited late");
                l.GlobalList().Changed();
            },
        };
        // Ever later in the save: the records, the index files, the export.
        const int slices[] = {2, 11, 16, 21};
        for (size_t c = 0; c < changes.size(); ++c) {
            for (int i = 0; i < slices[c]; ++i) dispatcher.WaitAndProcess(tight ? 2 : 0);
            changes[c](*lib);
            changes[c](*sync);
        }
        WaitForBackgroundWork(*lib);
        bool temporary = true;
        const auto mine = SavedFiles(dir, &temporary), theirs = SavedFiles(reference);
        for (const auto& [name, bytes] : theirs) EXPECT_EQ(mine.at(name), bytes) << name;
        EXPECT_FALSE(temporary);
        EXPECT_GE(lib->GlobalList().StoredSize(), 300);
    }
}

// A save dropped because the library changed under it leaves the files it had not
// finished as they were, and a library closed in the middle of a save writes the
// library file and the index files of its last state.
TEST(JukeboxList, ASaveCutShortLeavesTheEarlierFilesWhole) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    test::TempDir dir;
    auto lib = NewLibrary(dir);
    lib->SetSaveInBackground(true);
    lib->GlobalList().BeginUpdate();
    for (int i = 0; i < 100; ++i) lib->GlobalList().Add(LibraryTrack(i));
    lib->GlobalList().EndUpdate();
    WaitForBackgroundWork(*lib);
    const auto before = SavedFiles(dir);
    lib->SetSaveSliceTime(std::chrono::microseconds(0));
    lib->GlobalList().Add(LibraryTrack(100));
    for (int i = 0; i < 3; ++i) dispatcher.ProcessPendingCalls();
    ASSERT_TRUE(lib->BackgroundWorkPending());
    EXPECT_EQ(SavedFiles(dir), before);
    lib->GlobalList().Add(LibraryTrack(101));
    lib->GlobalList().GetTag(0)->SetTitle("Closed mid-save");
    lib->GlobalList().Changed();
    for (int i = 0; i < 3; ++i) dispatcher.ProcessPendingCalls();
    lib.reset();
    bool temporary = true;
    SavedFiles(dir, &temporary);
    EXPECT_FALSE(temporary);
    auto fresh = NewLibrary(dir);
    fresh->LoadIndexes();
    ASSERT_EQ(fresh->GlobalList().Count(), 102);
    EXPECT_EQ(fresh->GlobalList().GetTag(0)->Title(), "Closed mid-save");
    EXPECT_NE(fresh->FileIndex().IndexOf(LibraryTrack(101)->Filename()), -1);
}

}  // namespace tunecrest
