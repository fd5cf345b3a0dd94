// The next-track choice and its bookkeeping: source order, repeat, looping queue,
// head matching, missing files, waiting while the library loads, history file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "core/library/jukebox_list.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "tests/support/date_formats.h"
#include "tests/support/fake_media_player.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Step = std::pair<std::string, int>;  // title, source

struct Library {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TcustomJukebox& jb;
    std::vector<std::string> status;
    TcustomJukeboxEvents events;

    Library() : jb(*lib.Jukebox()) {
        lib.SetDataFolder(dir.Path().string());
        events.OnStatusText = [this](TObject*, const std::string& text) { status.push_back(text); };
        jb.SetEvents(&events);
    }
    static std::unique_ptr<TaudioTagList> List(const std::string& title, std::vector<std::string> names) {
        auto list = std::make_unique<TaudioTagList>();
        list->SetTitle(title);
        list->SetPlayMode(0);
        list->SetActive(true);
        for (const auto& name : names) list->Add(MakeTag("X", name));
        return list;
    }
    void Fill(std::vector<std::string> queue, std::vector<std::string> playlist, std::vector<std::string> activated,
              std::vector<std::string> random) {
        for (const auto& name : queue) jb.Queue().Add(MakeTag("X", name));
        for (const auto& name : playlist) jb.Playlist().Add(MakeTag("X", name));
        jb.Playlist().SetPlayMode(0);
        jb.Playlist().SetActive(true);
        if (!activated.empty()) {
            lib.Playlists().AddList(TaudioTagListPtr(List("Party", activated)));
            jb.ActivatePlaylistByName("Party");
        }
        for (const auto& name : random) lib.GlobalList().Add(MakeTag("X", name));
    }
    // NextTrack then TrackPlayed, `count` times or until nothing comes.
    std::vector<Step> Play(int count) {
        std::vector<Step> out;
        for (int i = 0; i < count; ++i) {
            const TaudioTagPtr tag = jb.NextTrack();
            if (!tag) {
                out.emplace_back("-", jb.Source());
                break;
            }
            out.emplace_back(tag->Title(), jb.Source());
            jb.TrackPlayed(tag);
        }
        return out;
    }
};

struct Scenario {
    const char* name;
    std::function<void(Library&)> setup;
    int steps;
    std::vector<Step> expected;
};

TEST(Jukebox, NextTrackScenarioTable) {
    const std::vector<Scenario> table = {
        {"every source in its order",
         [](Library& l) { l.Fill({"Q1", "Q2"}, {"P1", "P2"}, {"A1", "A2"}, {"R1"}); }, 9,
         {{"Q1", 2}, {"Q2", 2}, {"P1", 3}, {"P2", 3}, {"A1", 4}, {"A2", 4}, {"R1", 1}, {"R1", 1}, {"R1", 1}}},
        {"repeat before anything played falls through, then repeats without eating the queue",
         [](Library& l) {
             l.Fill({"Q1", "Q1", "Q2"}, {}, {}, {});
             l.jb.SetRepeatTrack(true);
         },
         4, {{"Q1", 2}, {"Q1", 2}, {"Q1", 2}, {"Q1", 2}}},
        {"loop queue moves each played entry to the end",
         [](Library& l) {
             l.Fill({"Q1", "Q2"}, {"P1"}, {}, {});
             l.jb.SetLoopQueue(true);
         },
         5, {{"Q1", 2}, {"Q2", 2}, {"Q1", 2}, {"Q2", 2}, {"Q1", 2}}},
        {"without loop queue the entries are used up",
         [](Library& l) { l.Fill({"Q1", "Q2"}, {"P1"}, {}, {}); }, 4, {{"Q1", 2}, {"Q2", 2}, {"P1", 3}, {"-", 0}}},
        {"an inactive queue is passed over",
         [](Library& l) {
             l.Fill({"Q1"}, {"P1"}, {}, {});
             l.jb.Queue().SetActive(false);
         },
         2, {{"P1", 3}, {"-", 0}}},
        {"random play off leaves nothing",
         [](Library& l) {
             l.Fill({}, {}, {}, {"R1"});
             l.jb.SetRandomPlayActive(false);
         },
         1, {{"-", 0}}},
        {"stacker comes after the queue and before the playlist",
         [](Library& l) {
             l.Fill({"Q1"}, {"P1"}, {}, {});
             l.lib.AddToStacker(Library::List("Cart", {"S1"}).get());
             l.lib.SetStackerActive(true);
         },
         3, {{"Q1", 2}, {"S1", 5}, {"S1", 5}}},
        {"stacker off gives no stacker tracks",
         [](Library& l) {
             l.Fill({}, {"P1"}, {}, {});
             l.lib.AddToStacker(Library::List("Cart", {"S1"}).get());
         },
         2, {{"P1", 3}, {"-", 0}}},
    };
    for (const auto& row : table) {
        Library l;
        row.setup(l);
        EXPECT_EQ(l.Play(row.steps), row.expected) << row.name;
    }
}

TEST(Jukebox, ASavedQueueLoadsWholeUnderALimitAndTheLimitHoldsAfterwards) {
    Library l;
    for (int i = 0; i < 8; ++i) l.jb.Queue().Add(MakeTag("X", i < 4 ? "twice" : "t" + std::to_string(i)));
    ASSERT_EQ(l.jb.Queue().Count(), 8);
    ASSERT_TRUE(l.jb.SaveQueue());
    l.jb.Queue().Clear();
    // Party play's limit and the no-duplicates rule were set before the queue loaded.
    l.jb.Queue().SetMax(3);
    l.jb.Queue().SetNoDuplicates(true);
    l.jb.LoadQueue();
    EXPECT_EQ(l.jb.Queue().Count(), 8);
    EXPECT_EQ(l.jb.Queue().Max(), 3);
    EXPECT_TRUE(l.jb.Queue().NoDuplicates());
    l.jb.Queue().Add(MakeTag("X", "new"));
    EXPECT_EQ(l.jb.Queue().Count(), 8);
}

TEST(Jukebox, HeadThatDoesNotMatchRemovesNothing) {
    Library l;
    l.Fill({"Q1", "Q2"}, {}, {"A1", "A2"}, {});
    TaudioTagPtr next = l.jb.NextTrack();
    l.jb.Queue().Insert(MakeTag("X", "Z"), 0);  // edited meanwhile
    l.jb.TrackPlayed(next);
    EXPECT_EQ(test::Titles(l.jb.Queue()), (std::vector<std::string>{"Z", "Q1", "Q2"}));
    EXPECT_EQ(l.jb.History().Count(), 1);

    // The activated playlist too advances only past the track that played.
    l.jb.Queue().Clear();
    next = l.jb.NextTrack();
    ASSERT_EQ(l.jb.Source(), jpsActivatedPlaylist);
    l.jb.TrackPlayed(MakeTag("X", "Other"));
    EXPECT_EQ(l.jb.NextTrack()->Title(), "A1");
}

TEST(Jukebox, StackerStatusAndCartridgeNames) {
    Library l;
    EXPECT_EQ(l.jb.StackerStatusText(), "");
    l.lib.SetStackerActive(true);
    EXPECT_EQ(l.jb.StackerStatusText(), "Empty");
    const auto source = Library::List("Cart", {"S1"});
    l.lib.AddToStacker(source.get());
    EXPECT_EQ(l.jb.StackerStatusText(), "::::START::::");
    const auto tag = l.jb.NextTrack();
    EXPECT_EQ(l.jb.NextCartridgeName(), "Cart");
    l.jb.TrackPlayed(tag);
    EXPECT_EQ(l.jb.StackerStatusText(), "Cart");
    // A cartridge is a copy of its source list.
    EXPECT_NE(source->GetTag(0).get(), tag.get());
    source->GetTag(0)->SetTitle("Changed");
    EXPECT_EQ(tag->Title(), "S1");
}

TEST(Jukebox, HistoryFileHasOneLinePerPlayedTrack) {
    test::TscopedDateFormats locale("%m/%d/%Y", "%I:%M:%S %p");
    Library l;
    l.Fill({"Q1", "Q2"}, {}, {}, {});
    SetClock([] { return EncodeDate(2024, 5, 1) + EncodeTime(20, 0, 0, 0); });
    l.Play(2);
    SetClock({});
    std::string text;
    ASSERT_TRUE(ReadFileBytes(l.jb.GetHistoryFileName(), text));
    EXPECT_EQ(text,
              "05/01/2024 08:00:00 PM : X - Q1 (/m/X - Q1.mp3)\n"
              "05/01/2024 08:00:00 PM : X - Q2 (/m/X - Q2.mp3)\n");
    EXPECT_EQ(l.jb.History().GetTag(1)->ModDate(), EncodeDate(2024, 5, 1) + EncodeTime(20, 0, 0, 0));
}

// A repeat plays the last track again: a paid request for the same track at the head of
// the queue, or the head of any other source, is still to come afterwards.
TEST(Jukebox, RepeatedTrackTakesNothingOffAnySource) {
    Library l;
    l.Fill({"Q1", "Q2"}, {}, {}, {});
    EXPECT_EQ(l.Play(1), (std::vector<Step>{{"Q1", 2}}));
    l.jb.SetRepeatTrack(true);
    l.jb.Queue().Insert(MakeTag("X", "Q1"), 0);
    EXPECT_EQ(l.Play(2), (std::vector<Step>{{"Q1", 2}, {"Q1", 2}}));
    EXPECT_EQ(test::Titles(l.jb.Queue()), (std::vector<std::string>{"Q1", "Q2"}));
    EXPECT_EQ(l.jb.History().Count(), 3);
    l.jb.SetRepeatTrack(false);
    EXPECT_EQ(l.Play(3), (std::vector<Step>{{"Q1", 2}, {"Q2", 2}, {"-", 0}}));
}

TEST(Jukebox, SwitchingACartridgeOffTakesItsTracksOutOfTheStacker) {
    Library l;
    int stackerChanges = 0;
    l.events.OnStackerChange = [&](TObject*) { ++stackerChanges; };
    l.lib.AddToStacker(Library::List("A", {"S1"}).get());
    l.lib.AddToStacker(Library::List("B", {"S2"}).get());
    l.lib.SetStackerActive(true);
    EXPECT_EQ(l.jb.StackerPlayList().Count(), 2);
    const int before = stackerChanges;
    l.jb.Stacker().FindList("A")->SetActive(false);
    EXPECT_EQ(test::Titles(l.jb.StackerPlayList()), (std::vector<std::string>{"S2"}));
    EXPECT_EQ(stackerChanges, before + 1);
    EXPECT_EQ(l.Play(2), (std::vector<Step>{{"S2", 5}, {"S2", 5}}));
    EXPECT_EQ(l.jb.StackerStatusText(), "B");
    l.jb.Stacker().FindList("A")->SetActive(true);
    EXPECT_EQ(l.jb.StackerPlayList().Count(), 2);
    // A removed cartridge held elsewhere no longer reaches the stacker.
    const TaudioTagListPtr removed = l.jb.Stacker().FindList("A");
    l.lib.RemoveFromStacker(removed.get());
    removed->SetActive(false);
    removed->SetActive(true);
    EXPECT_EQ(test::Titles(l.jb.StackerPlayList()), (std::vector<std::string>{"S2"}));
}

// A prompt that answers the cartridge dialogs with a fixed file.
struct CartridgePrompt : Tprompt {
    std::string File;
    std::vector<std::string> Messages;
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return File;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return File;
    }
    void ShowMessage(const std::string& text, const std::string& title) override { Messages.push_back(title + "|" + text); }
};

TEST(Jukebox, CartridgeFilesAppendReplaceAndADamagedOneChangesNothing) {
    Library l;
    l.lib.SetAutoSaveStacker(true);
    auto prompt = std::make_shared<CartridgePrompt>();
    auto previous = SetPrompt(prompt);
    l.lib.AddToStacker(Library::List("Mine", {"S1"}).get());
    prompt->File = (l.dir.Path() / "party").string();
    l.jb.SaveStackerCartridge(l.dir.Path().string());
    ASSERT_TRUE(std::filesystem::exists(l.dir.Path() / "party.ctg"));
    std::string stored;
    ASSERT_TRUE(ReadFileBytes(l.dir.File("stacker.dat"), stored));

    prompt->File = l.dir.File("broken.ctg");
    { std::ofstream(prompt->File) << "no cartridge"; }
    l.jb.LoadStackerCartridge(false, l.dir.Path().string());
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(l.jb.Stacker().GetTitles(), (std::vector<std::string>{"Mine"}));
    std::string after;
    ASSERT_TRUE(ReadFileBytes(l.dir.File("stacker.dat"), after));
    EXPECT_EQ(after, stored);

    prompt->File = l.dir.File("party.ctg");
    l.jb.LoadStackerCartridge(true, l.dir.Path().string());
    EXPECT_EQ(l.jb.Stacker().GetTitles(), (std::vector<std::string>{"Mine", "Mine"}));
    l.jb.LoadStackerCartridge(false, l.dir.Path().string());
    EXPECT_EQ(l.jb.Stacker().GetTitles(), (std::vector<std::string>{"Mine"}));
    SetPrompt(previous);
}

TEST(Jukebox, MissingFilesArePassedOverAndAllMissingStops) {
    Library l;
    l.Fill({"Q1"}, {"P1", "P2"}, {}, {});
    TaudioTagPtr tag = l.jb.NextTrack();
    l.jb.TrackNotFound(tag);
    EXPECT_EQ(l.jb.Queue().Count(), 0) << "a queue entry is used up";
    tag = l.jb.NextTrack();
    EXPECT_EQ(tag->Title(), "P1");
    l.jb.TrackNotFound(tag);
    EXPECT_EQ(l.jb.Playlist().Count(), 2) << "a playlist keeps the missing file";
    tag = l.jb.NextTrack();
    EXPECT_EQ(tag->Title(), "P2");
    l.jb.TrackPlayed(tag);
    EXPECT_EQ(l.jb.MissesInARow(), 0);

    // Every candidate missing: the request gets nothing and a status text.
    Library all;
    all.Fill({}, {}, {}, {"R1", "R2"});
    TaudioTagPtr next;
    for (int i = 0; i < 10; ++i) {
        all.jb.PlayerWantsNext(next);
        if (!next) break;
        all.jb.TrackNotFound(next);
    }
    EXPECT_EQ(next, nullptr);
    ASSERT_EQ(all.status.size(), 1u);
    EXPECT_EQ(all.status[0], kAllTracksMissing);
    EXPECT_EQ(all.jb.RandomList().Count(), 2);
}

// Offers made to a player whose every file is missing, until the jukebox gives up.
std::vector<std::string> OffersUntilNothing(Library& l) {
    std::vector<std::string> offered;
    for (int i = 0; i < 20; ++i) {
        TaudioTagPtr next;
        l.jb.PlayerWantsNext(next);
        if (!next) break;
        offered.push_back(next->Title());
        l.jb.TrackNotFound(next);
    }
    return offered;
}

TEST(Jukebox, EveryCandidateIsOfferedBeforeAllMissingStopsPlay) {
    // Two random tracks: one round of both, and one more offer, before play stops.
    Library random;
    random.Fill({}, {}, {}, {"R1", "R2"});
    const auto offered = OffersUntilNothing(random);
    EXPECT_EQ(offered.size(), 3u);
    EXPECT_EQ(std::set<std::string>(offered.begin(), offered.begin() + 2), (std::set<std::string>{"R1", "R2"}));
    EXPECT_EQ(random.status, std::vector<std::string>{kAllTracksMissing});
    // The next request starts afresh.
    TaudioTagPtr next;
    random.jb.PlayerWantsNext(next);
    ASSERT_TRUE(next);

    // A missing queue entry is used up and no longer counts: the playlist's track is
    // still offered once before play stops.
    Library mixed;
    mixed.Fill({"Q1"}, {"P1"}, {}, {});
    EXPECT_EQ(OffersUntilNothing(mixed), (std::vector<std::string>{"Q1", "P1"}));
    EXPECT_EQ(mixed.status.size(), 1u);
    EXPECT_EQ(mixed.jb.Playlist().Count(), 1);

    // A track that plays ends the run of misses.
    Library found;
    found.Fill({"Q1", "Q2", "Q3"}, {}, {}, {});
    TaudioTagPtr tag;
    found.jb.PlayerWantsNext(tag);
    found.jb.TrackNotFound(tag);
    found.jb.PlayerWantsNext(tag);
    ASSERT_TRUE(tag);
    found.jb.TrackPlayed(tag);
    EXPECT_EQ(found.jb.MissesInARow(), 0);
    found.jb.PlayerWantsNext(tag);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Title(), "Q3");
    EXPECT_TRUE(found.status.empty());
}

// With repeat on, a repeated track whose file has gone is not offered again: play goes
// on with the next track, which is then repeated in its place.
TEST(Jukebox, RepeatedTrackReportedMissingIsNotOfferedAgain) {
    Library l;
    l.Fill({"Q1", "Q2"}, {}, {}, {});
    EXPECT_EQ(l.Play(1), (std::vector<Step>{{"Q1", 2}}));
    l.jb.SetRepeatTrack(true);
    TaudioTagPtr next;
    l.jb.PlayerWantsNext(next);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Title(), "Q1");
    l.jb.TrackNotFound(next);
    EXPECT_EQ(test::Titles(l.jb.Queue()), std::vector<std::string>{"Q2"}) << "a repeat takes nothing off";
    l.jb.PlayerWantsNext(next);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Title(), "Q2");
    EXPECT_EQ(l.jb.Source(), jpsQueue);
    l.jb.TrackPlayed(next);
    EXPECT_EQ(l.Play(2), (std::vector<Step>{{"Q2", 2}, {"Q2", 2}}));
    EXPECT_TRUE(l.status.empty());

    // The only track, repeated and missing: nothing else to offer, so play stops.
    Library alone;
    alone.Fill({"Q1"}, {}, {}, {});
    alone.Play(1);
    alone.jb.SetRepeatTrack(true);
    EXPECT_EQ(OffersUntilNothing(alone), std::vector<std::string>{"Q1"});
    EXPECT_EQ(alone.status, std::vector<std::string>{kAllTracksMissing});
}

TEST(Jukebox, RequestsAndAlarmsWaitWhileTheLibraryLoads) {
    Library l;
    l.Fill({"Q1"}, {}, {}, {});
    auto* player = new test::FakeMediaPlayer;
    TcustomMediaPlayerEvents pe;
    pe.OnGetNextTagger = [&](TObject*, TaudioTagPtr& t) { l.jb.PlayerWantsNext(t); };
    pe.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& t) { l.jb.TrackPlayed(t); };
    l.jb.SetPlayerEvents(&pe);
    l.jb.SetMediaPlayer(player);
    int alarms = 0;
    l.events.OnOnAlarm = [&](TObject*, TonOffTimerAlarm*) { ++alarms; };
    l.jb.SetLibraryLoading(true);
    TaudioTagPtr next;
    l.jb.PlayerWantsNext(next);
    EXPECT_EQ(next, nullptr);
    l.jb.Alarms().AddNew()->SetOnEventEnabled(true);
    l.jb.Alarms().OnOnAlarm(&l.jb.Alarms(), l.jb.Alarms().GetAlarm(0));
    EXPECT_EQ(alarms, 0);
    l.jb.SetLibraryLoading(false);
    EXPECT_EQ(alarms, 1);
    EXPECT_EQ(player->Calls, (std::vector<std::string>{"PlayNext", "PlayTag"}));
    ASSERT_TRUE(player->CurrentTag);
    EXPECT_EQ(player->CurrentTag->Title(), "Q1");
}

TEST(Jukebox, EveryChangeRefreshesThePlayerAndTheJukeboxFreesIt) {
    struct FreedPlayer : test::FakeMediaPlayer {
        bool* freed = nullptr;
        ~FreedPlayer() override { *freed = true; }
    };
    bool freed = false;
    auto* player = new FreedPlayer;
    player->freed = &freed;
    {
        Library l;
        l.jb.SetMediaPlayer(player);
        const int before = player->RefreshCount;
        l.lib.AddToQueue(*MakeTag("X", "Q1"));
        l.jb.SetRepeatTrack(true);
        l.jb.SetRandomPlayActive(false);
        EXPECT_GE(player->RefreshCount, before + 3);
        EXPECT_TRUE(player->Calls.empty()) << "queueing never starts the player";
    }
    EXPECT_TRUE(freed);
}

}  // namespace
}  // namespace tunecrest
