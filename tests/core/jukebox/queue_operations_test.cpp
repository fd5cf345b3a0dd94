// What the windows do to the queue through the library: where each operation puts the
// tracks, which of them count a play, the one next-track request of "play now", and
// indexes outside the queue.
#include <gtest/gtest.h>

#include <set>

#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "tests/support/fake_media_player.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Titles = std::vector<std::string>;

struct QueueLibrary : ::testing::Test {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TaudioTagList& queue = lib.Jukebox()->Queue();

    void SetUp() override { lib.SetDataFolder(dir.Path().string()); }
    void Fill(const Titles& titles) {
        for (const auto& title : titles) queue.Add(MakeTag("X", title));
    }
    uint32_t Plays(const std::string& title) {
        const auto tag = lib.PopularList().FindFile("/m/X - " + title + ".mp3");
        return tag ? tag->Data() : 0;
    }
};

TEST_F(QueueLibrary, AddingAndInsertingCopiesAndCountsEachRequest) {
    Fill({"Q1", "Q2"});
    const auto wanted = MakeTag("X", "New");
    lib.InsertInQueue(*wanted);
    EXPECT_EQ(test::Titles(queue), (Titles{"New", "Q1", "Q2"}));
    EXPECT_NE(queue.GetTag(0).get(), wanted.get()) << "the queue holds a copy";
    EXPECT_EQ(Plays("New"), 1u);

    // A list and a set of chosen tags: a copy of each, one play each.
    TaudioTagList album;
    for (const char* title : {"A1", "A2", "A1"}) album.Add(MakeTag("X", title));
    lib.AddListToQueue(album);
    EXPECT_EQ(test::Titles(queue), (Titles{"New", "Q1", "Q2", "A1", "A2", "A1"}));
    EXPECT_EQ(Plays("A1"), 2u);
    EXPECT_EQ(Plays("A2"), 1u);
    EXPECT_NE(queue.GetTag(3).get(), album.GetTag(0).get());

    TmyStringList chosen;
    chosen.AddObject("first", MakeTag("X", "C1"));
    chosen.Add("a line without a tag");
    chosen.AddObject("second", MakeTag("X", "C2"));
    lib.AddTagsToQueue(chosen, true, true);
    EXPECT_EQ(test::Titles(queue), (Titles{"New", "Q1", "Q2", "A1", "A2", "A1", "C1", "C2"}));
    EXPECT_EQ(Plays("C1"), 1u);
    EXPECT_EQ(Plays("C2"), 1u);
    EXPECT_EQ(lib.PopularList().Count(), 5) << "one entry per file";
    // Without keeping: the queue holds only the chosen tags, each counted again.
    lib.AddTagsToQueue(chosen, false, true);
    EXPECT_EQ(test::Titles(queue), (Titles{"C1", "C2"}));
    EXPECT_EQ(Plays("C1"), 2u);
    EXPECT_EQ(Plays("Q1"), 0u) << "tracks queued otherwise are not counted";
}

TEST_F(QueueLibrary, ChosenTagsTheQueueRefusesAreNeitherCountedNorReported) {
    Fill({"Q1"});
    queue.SetNoDuplicates(true);
    queue.SetMax(3);
    TmyStringList chosen;
    for (const char* title : {"C1", "Q1", "C2", "C3"}) chosen.AddObject(title, MakeTag("X", title));
    // Q1 is a duplicate, C3 finds the queue full: two of the four are taken.
    EXPECT_EQ(lib.AddTagsToQueue(chosen, true, true), 2);
    EXPECT_EQ(test::Titles(queue), (Titles{"Q1", "C1", "C2"}));
    EXPECT_EQ(Plays("C1"), 1u);
    EXPECT_EQ(Plays("C2"), 1u);
    EXPECT_EQ(Plays("Q1"), 0u) << "a refused duplicate is no request";
    EXPECT_EQ(Plays("C3"), 0u) << "a track the full queue refused is no request";
    EXPECT_EQ(lib.AddTagsToQueue(chosen, true, true), 0);
    EXPECT_EQ(Plays("C1"), 1u);
}

TEST_F(QueueLibrary, PlayNowAsksThePlayerForTheNextTrackOnce) {
    TcustomJukebox& jb = *lib.Jukebox();
    auto* player = new test::FakeMediaPlayer;
    int requests = 0;
    TcustomMediaPlayerEvents events;
    events.OnGetNextTagger = [&](TObject*, TaudioTagPtr& t) {
        ++requests;
        jb.PlayerWantsNext(t);
    };
    events.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& t) { jb.TrackPlayed(t); };
    jb.SetPlayerEvents(&events);
    jb.SetMediaPlayer(player);
    Fill({"Q1", "Q2"});
    lib.PlayNow(*MakeTag("X", "Now"));
    // One play-next (the fake player starts what it was given with PlayTag).
    EXPECT_EQ(player->Calls, (Titles{"PlayNext", "PlayTag"}));
    EXPECT_EQ(requests, 1);
    ASSERT_TRUE(player->CurrentTag);
    EXPECT_EQ(player->CurrentTag->Title(), "Now");
    EXPECT_EQ(test::Titles(queue), (Titles{"Q1", "Q2"})) << "the played request left the queue";
    EXPECT_EQ(Plays("Now"), 1u);

    // "Play now" inserts through the overridable operation.
    struct Recording : TlocalJukeboxList {
        Titles Inserted;
        void InsertInQueue(const TaudioTag& tag) override {
            Inserted.push_back(tag.Title());
            TlocalJukeboxList::InsertInQueue(tag);
        }
    } recording;
    recording.PlayNow(*MakeTag("X", "Later"));
    EXPECT_EQ(recording.Inserted, Titles{"Later"});
    EXPECT_EQ(test::Titles(recording.Jukebox()->Queue()), Titles{"Later"});
}

TEST_F(QueueLibrary, MovesDeleteAndClear) {
    Fill({"A", "B", "C", "D"});
    lib.QueueMoveUp(queue.GetTag(1).get());
    EXPECT_EQ(test::Titles(queue), (Titles{"B", "A", "C", "D"})) << "the second entry goes to the top";
    lib.QueueMoveUp(queue.GetTag(0).get());  // already at the top
    lib.QueueMoveDown(queue.GetTag(3).get());  // already at the bottom
    EXPECT_EQ(test::Titles(queue), (Titles{"B", "A", "C", "D"}));
    lib.QueueMoveDown(queue.GetTag(0).get());
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "B", "C", "D"}));
    const auto stranger = MakeTag("X", "B");  // same file, not a queue entry
    lib.QueueMoveUp(stranger.get());
    lib.QueueMoveDown(stranger.get());
    lib.QueueMoveUp(nullptr);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "B", "C", "D"}));

    lib.QueueMove(0, 3);
    EXPECT_EQ(test::Titles(queue), (Titles{"B", "C", "D", "A"}));
    lib.QueueMove(3, 1);
    EXPECT_EQ(test::Titles(queue), (Titles{"B", "A", "C", "D"}));
    for (auto [from, to] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}, {9, 9}, {3, -1}}) {
        lib.QueueMove(from, to);
        EXPECT_EQ(test::Titles(queue), (Titles{"B", "A", "C", "D"})) << from << " to " << to;
    }

    for (int bad : {-1, 4, 100}) lib.QueueDelete(bad);
    EXPECT_EQ(queue.Count(), 4);
    lib.QueueDelete(3);
    lib.QueueDelete(0);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "C"}));
    lib.ClearQueue();
    EXPECT_EQ(queue.Count(), 0);
    lib.QueueDelete(0);
    lib.QueueMove(0, 0);
    EXPECT_EQ(queue.Count(), 0);
}

TEST_F(QueueLibrary, ShuffleKeepsEveryEntryAndChangesTheOrder) {
    Titles titles;
    for (int i = 0; i < 20; ++i) titles.push_back("T" + std::to_string(i));
    Fill(titles);
    SetRandomSeed(7);
    lib.ShuffleQueue();
    const Titles shuffled = test::Titles(queue);
    EXPECT_NE(shuffled, titles);
    EXPECT_EQ(std::multiset<std::string>(shuffled.begin(), shuffled.end()),
              std::multiset<std::string>(titles.begin(), titles.end()));
}

// The queue's no-duplicates option refuses a track of the same title and artist (in any
// letter case), whatever its file; other tracks of one file are distinct requests.
TEST_F(QueueLibrary, NoDuplicatesComparesTitleAndArtist) {
    lib.SetQueueNoDuplicates(true);
    lib.AddToQueue(*MakeTag("Band", "Song", 0, "/m/a.mp3"));
    lib.AddToQueue(*MakeTag("BAND", "song", 0, "/m/other.mp3"));
    EXPECT_EQ(queue.Count(), 1);
    lib.AddToQueue(*MakeTag("Band", "Other Song", 0, "/m/a.mp3"));
    lib.AddToQueue(*MakeTag("Other Band", "Song", 0, "/m/a.mp3"));
    EXPECT_EQ(test::Titles(queue), (Titles{"Song", "Other Song", "Song"}));
    lib.SetQueueNoDuplicates(false);
    lib.AddToQueue(*MakeTag("Band", "Song", 0, "/m/a.mp3"));
    EXPECT_EQ(queue.Count(), 4);
}

}  // namespace
}  // namespace tunecrest
