// The song search's queue through the main window's guards: credit mode charges only the
// tracks the queue took and stops at the first track without a credit, the party-play
// queue limit holds (also for "Play Now", which inserts at the head), and "Play Now" is
// refused where party play forbids skipping the playing track.
#include "mainwindow/song_search_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/library/jukebox_list.h"
#include "core/jukebox/party_play_credits.h"
#include "mainwindow/party_play_guards.h"
#include "tests/support/recording_prompt.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Titles = std::vector<std::string>;

struct PasswordlessHost : TpartyPlayHost {
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
    void ShowCredits(int credits) override { shown = credits; }
    void SetQueueMax(int max) override { queueMax = max; }
    int shown = -1, queueMax = -1;
};

struct SongSearchQueue : ::testing::Test {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TactionList actions;
    TpartyPlaySettings settings;
    PasswordlessHost host;
    TpartyPlayGuards guards{actions, settings, host};
    TguardedSongQueue queue{lib, guards};
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previous;
    int nexts = 0;
    std::vector<std::string> status;
    std::vector<TaudioTagPtr> tracks{MakeTag("A", "One"), MakeTag("B", "Two"), MakeTag("C", "Three")};

    void SetUp() override {
        lib.SetDataFolder(dir.Path().string());
        previous = SetPrompt(prompt);
        queue.PlayNext = [this] { ++nexts; };
        queue.ShowStatus = [this](const std::string& text) { status.push_back(text); };
    }
    void TearDown() override { SetPrompt(previous); }
    TaudioTagList& Queue() { return lib.Jukebox()->Queue(); }
    void PartyPlay(bool creditMode, int credits) {
        settings.SetEnabledCreditMode(creditMode);
        ASSERT_TRUE(guards.SetPartyPlay(true));
        guards.SetCredits(credits);
    }
};

TEST_F(SongSearchQueue, OutsidePartyPlayEveryTrackIsQueuedAsCopies) {
    EXPECT_EQ(queue.AddTracks(tracks), 3);
    EXPECT_EQ(test::Titles(Queue()), (Titles{"One", "Two", "Three"}));
    EXPECT_NE(Queue().GetTag(0).get(), tracks[0].get()) << "the queue holds its own copies";
    EXPECT_EQ(status, (std::vector<std::string>{"Added 3 Tracks to the Queue"}));
    EXPECT_TRUE(prompt->Messages.empty());
}

TEST_F(SongSearchQueue, CreditModeChargesOnlyWhatWasQueued) {
    PartyPlay(true, 2);
    EXPECT_EQ(queue.AddTracks(tracks), 2);
    EXPECT_EQ(test::Titles(Queue()), (Titles{"One", "Two"}));
    EXPECT_EQ(guards.Credits(), 0);
    EXPECT_EQ(host.shown, 0);
    EXPECT_EQ(prompt->Messages, (std::vector<std::string>{QCoreApplication::applicationName().toStdString() + "|" + NoCreditsLeftText}));

    // A full queue takes nothing and costs nothing.
    guards.SetCredits(5);
    Queue().SetMax(3);
    EXPECT_EQ(queue.AddTracks(tracks), 1);
    EXPECT_EQ(guards.Credits(), 4);
    EXPECT_EQ(status.back(), "Added 1 Track to the Queue: the queue is full (3 Tracks)");
}

TEST_F(SongSearchQueue, PlayNowHonoursTheNextControlCreditsAndTheLimit) {
    EXPECT_TRUE(queue.CanPlayNow());
    EXPECT_TRUE(queue.PlayNow(tracks[1]));
    EXPECT_EQ(nexts, 1);
    EXPECT_EQ(test::Titles(Queue()), (Titles{"Two"}));

    settings.SetDisableNextControl(true);
    PartyPlay(false, 0);
    EXPECT_FALSE(queue.CanPlayNow());
    EXPECT_FALSE(queue.PlayNow(tracks[0]));
    EXPECT_EQ(nexts, 1);
    EXPECT_EQ(test::Titles(Queue()), (Titles{"Two"})) << "refused: not even queued";

    ASSERT_TRUE(guards.SetPartyPlay(false));
    settings.SetDisableNextControl(false);
    settings.SetEnabledCreditMode(true);
    PartyPlay(true, 0);
    EXPECT_TRUE(queue.CanPlayNow());
    EXPECT_FALSE(queue.PlayNow(tracks[0])) << "no credit left";
    EXPECT_EQ(prompt->Messages.size(), 1u);
    guards.SetCredits(1);
    Queue().SetMax(2);
    EXPECT_TRUE(queue.PlayNow(tracks[0]));
    EXPECT_EQ(guards.Credits(), 0);
    EXPECT_EQ(test::Titles(Queue()), (Titles{"One", "Two"}));
    guards.SetCredits(1);
    bool exceeded = false;
    Queue().OnMaxExceeded = [&](TObject*) { exceeded = true; };
    EXPECT_FALSE(queue.PlayNow(tracks[2])) << "the head insert keeps the queue limit";
    EXPECT_TRUE(exceeded);
    EXPECT_EQ(guards.Credits(), 1);
    EXPECT_EQ(nexts, 2);
}

}  // namespace
}  // namespace tunecrest
