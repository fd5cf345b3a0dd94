#include "mainwindow/window/playback_controller.h"

#include <gtest/gtest.h>

#include "core/library/jukebox_list.h"
#include "support/fake_media_player.h"
#include "support/tags.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;

// Ends a track the way an engine does: only the finished report; the loop is the window's.
struct EndingPlayer : test::FakeMediaPlayer {
    void EndTrack() { DoPlaybackFinished(CurrentTag); }
    void Missing(const TaudioTagPtr& tag) { DoFileNotFound(tag); }
};

struct Rig {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TcustomJukeboxListEvents listEvents;
    TplaybackController controller;
    EndingPlayer* player = new EndingPlayer;
    std::vector<int> indicators;
    std::vector<std::string> status;
    Rig() {
        lib.SetDataFolder(dir.Path().string() + "/");
        listEvents.PlayerEvents = &controller.PlayerEvents();
        listEvents.JukeboxEvents = &controller.JukeboxEvents();
        lib.SetEvents(&listEvents);
        lib.Jukebox()->SetMediaPlayer(player);
        lib.SetRandomPlayActive(false);
        controller.SetJukeboxList(&lib);
        controller.OnIndicator = [this](int i) { indicators.push_back(i); };
        controller.OnStatusText = [this](const std::string& t) { status.push_back(t); };
    }
    ~Rig() { lib.SetEvents(nullptr); }
    std::string Playing() const { return player->CurrentTag ? player->CurrentTag->Title().str() : std::string(); }
};

TEST(PlaybackController, QueueThenNextThenEndStopsAndEachTrackCountsOnce) {
    Rig r;
    r.lib.AddToQueue(*MakeTag("A", "One"));
    r.lib.AddToQueue(*MakeTag("A", "Two"));
    r.controller.Play();
    EXPECT_EQ(r.Playing(), "One");
    ASSERT_TRUE(r.controller.CurrentTrack());
    const TaudioTagPtr first = r.controller.CurrentTrack();
    EXPECT_EQ(r.lib.Jukebox()->Queue().Count(), 1);
    // An engine that reports stopped and then playing again around a change of track,
    // with its same copy of the track: counted once.
    r.controller.PlayerStateChanged(psStopped);
    r.controller.PlayerStateChanged(psPlaying);
    EXPECT_EQ(r.controller.CurrentTrack(), first);
    EXPECT_EQ(r.lib.Jukebox()->History().Count(), 1);
    EXPECT_TRUE(r.controller.Next());
    EXPECT_EQ(r.Playing(), "Two");
    // The first track stays valid after the engine moved on (shared, not borrowed).
    EXPECT_EQ(first->Title(), "One");
    EXPECT_FALSE(r.controller.WaitingForStart());
    r.player->EndTrack();
    EXPECT_EQ(r.player->State, psStopped);
    EXPECT_EQ(r.controller.CurrentTrack(), nullptr);
    EXPECT_EQ(r.controller.Indicator(), piStopped);
    EXPECT_EQ(r.lib.Jukebox()->History().Count(), 2);
    // A later queue entry does not restart playback by itself.
    r.lib.AddToQueue(*MakeTag("A", "Three"));
    EXPECT_EQ(r.player->State, psStopped);
}

TEST(PlaybackController, NextTwiceWhileWaitingAsksOnce) {
    Rig r;
    r.lib.AddToQueue(*MakeTag("A", "One"));
    r.lib.AddToQueue(*MakeTag("A", "Two"));
    r.lib.AddToQueue(*MakeTag("A", "Three"));
    r.controller.Play();
    r.player->Calls.clear();
    // An engine that starts asynchronously: the start has not come yet.
    r.controller.PlayerEvents().OnPlaybackStart = nullptr;
    r.player->State = psStopped;
    r.controller.Next();
    const auto calls = r.player->Calls.size();
    EXPECT_FALSE(r.controller.Next());
    EXPECT_EQ(r.player->Calls.size(), calls);
    r.controller.EndNextWait();
    // Nothing current and nothing asked of the player when the jukebox has nothing.
    Rig empty;
    EXPECT_FALSE(empty.controller.Next());
    EXPECT_TRUE(empty.player->Calls.empty());
}

TEST(PlaybackController, ClosingStartsNothingNew) {
    Rig r;
    r.lib.AddToQueue(*MakeTag("A", "One"));
    r.lib.AddToQueue(*MakeTag("A", "Two"));
    r.controller.Play();
    r.controller.SetClosing();
    r.player->EndTrack();
    EXPECT_EQ(r.Playing(), "One");
    EXPECT_EQ(r.lib.Jukebox()->Queue().Count(), 1);
    TaudioTagPtr next = MakeTag("X", "Y");
    r.controller.PlayerEvents().OnGetNextTagger(nullptr, next);
    EXPECT_EQ(next, nullptr);
}

TEST(PlaybackController, MissingFilesGoThroughTheJukeboxAndStop) {
    Rig r;
    r.lib.AddToQueue(*MakeTag("A", "Gone1"));
    r.lib.AddToQueue(*MakeTag("A", "Gone2"));
    r.controller.Play();
    for (int i = 0; i < 5 && r.player->CurrentTag; ++i) {
        r.player->Missing(r.player->CurrentTag);
        r.player->PlayNext();
    }
    EXPECT_EQ(r.player->CurrentTag, nullptr);
    EXPECT_EQ(r.player->State, psStopped);
}

TEST(PlaybackController, NoPlayerIsAClearError) {
    TplaybackController c;
    try {
        c.Play();
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "No Player has been assigned.");
    }
}

}  // namespace
}  // namespace tunecrest
