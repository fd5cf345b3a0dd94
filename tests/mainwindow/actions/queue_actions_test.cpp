// The queue actions of the main window: add all, add to top, play now, the previous track
// (nothing with one history entry), clearing resets the insertion counter, and edits that
// find the focused track again by identity when two entries share a text.
#include "mainwindow/actions/queue_actions.h"

#include <gtest/gtest.h>

#include "core/jukebox/jukebox.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Titles = std::vector<std::string>;

struct QueueActions : ::testing::Test {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TqueueActions actions{lib};
    TaudioTagList shown;

    void SetUp() override {
        lib.SetDataFolder(dir.Path().string());
        for (const char* t : {"S1", "S2", "S3"}) shown.Add(MakeTag("X", t));
    }
};

TEST_F(QueueActions, AddingFromTheShownList) {
    EXPECT_FALSE(actions.AddAll(nullptr));
    EXPECT_TRUE(actions.AddAll(&shown));
    EXPECT_TRUE(actions.AddToTop(&shown, 2));
    EXPECT_FALSE(actions.AddToTop(&shown, 3));
    EXPECT_FALSE(actions.AddToTop(&shown, -1));
    EXPECT_TRUE(actions.QueueAndPlay(&shown, 1));
    EXPECT_FALSE(actions.QueueAndPlay(nullptr, 0));
    EXPECT_EQ(test::Titles(actions.Queue()), (Titles{"S2", "S3", "S1", "S2", "S3"}));
}

TEST_F(QueueActions, PreviousTrack) {
    TaudioTagList& history = lib.Jukebox()->History();
    history.Add(MakeTag("X", "H1"));
    EXPECT_FALSE(actions.PreviousTrack(false)) << "one history entry: nothing";
    history.Add(MakeTag("X", "H2"));
    history.Add(MakeTag("X", "H3"));
    actions.Queue().Add(MakeTag("X", "Q"));
    EXPECT_TRUE(actions.PreviousTrack(false));
    EXPECT_TRUE(actions.PreviousTrack(true));
    EXPECT_EQ(test::Titles(actions.Queue()), (Titles{"H2", "Q", "H2"}));
}

TEST_F(QueueActions, ClearAndEditsKeepingTheSelection) {
    TaudioTagList& queue = actions.Queue();
    for (const char* t : {"A", "Same", "B", "Same"})
        queue.Add(MakeTag("X", t, 0, std::string("/m/") + t + std::to_string(queue.Count()) + ".mp3"));
    EXPECT_EQ(actions.EditKeepingSelection(3, [&] { lib.QueueMove(3, 0); }), 0);
    EXPECT_EQ(queue.GetTag(0)->Filename(), "/m/Same3.mp3");
    EXPECT_EQ(actions.EditKeepingSelection(9, [] {}), -1);
    EXPECT_EQ(actions.DeleteKeepingSelection(2), 1);
    EXPECT_EQ(actions.DeleteKeepingSelection(0), 0);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "B"}));
    EXPECT_GT(queue.InsertionCounter(), 0u);
    actions.ClearQueueNow();
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(queue.InsertionCounter(), 0u);
    EXPECT_EQ(actions.DeleteKeepingSelection(0), -1);
}

}  // namespace
}  // namespace tunecrest
