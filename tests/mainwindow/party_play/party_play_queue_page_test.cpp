// The jukebox-control page of the party-play settings: its edits bypass the guards, the moved
// track is selected again by identity even when two rows share a text, and a delete of
// several rows removes exactly those rows.
#include "mainwindow/party_play/party_play_queue_page.h"

#include <gtest/gtest.h>

#include "tests/support/tags.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Titles = std::vector<std::string>;

// A host whose queue operations act on a real track list.
struct QueueHost : TpartyPlayHost {
    TaudioTagList queue;
    int QueueCount() const override { return queue.Count(); }
    void ClearQueueNow() override { queue.Clear(); }
    void QueueDeleteAt(int i) override { queue.Delete(i); }
    void QueueMoveUpAt(int i) override { queue.Move(i, i - 1); }
    void QueueMoveDownAt(int i) override { queue.Move(i, i + 1); }
    void QueueMoveToAt(int i, int n) override { queue.Move(i, n); }
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
};

struct QueuePage : ::testing::Test {
    TactionList actions;
    TpartyPlaySettings settings;  // every queue control disabled by default
    QueueHost host;
    TpartyPlayGuards guards{actions, settings, host};
    TpartyPlayQueuePage page{guards, host.queue};

    void SetUp() override {
        // Two entries with the same text: "X - Same" at rows 1 and 3.
        for (const char* t : {"A", "Same", "B", "Same", "C"})
            host.queue.Add(
                MakeTag("X", t, 0, std::string("/m/") + t + std::to_string(host.queue.Count()) + ".mp3"));
        guards.SetPartyPlay(true);
    }
    std::string FileAt(int i) { return host.queue.GetTag(i)->Filename().str(); }
};

TEST_F(QueuePage, MovesBypassTheGuardsAndReselectByIdentity) {
    ASSERT_TRUE(settings.GetDisableQueueControls());
    const std::string second = FileAt(3);
    EXPECT_EQ(page.MoveUp(3), 2);
    EXPECT_EQ(FileAt(2), second) << "the second \"Same\" moved, not the first";
    EXPECT_EQ(page.MoveDown(2), 3);
    EXPECT_EQ(FileAt(3), second);
    EXPECT_EQ(page.MoveUp(0), 0) << "nothing above the first row";
    EXPECT_EQ(page.MoveDown(4), 4) << "nothing below the last row";
    EXPECT_EQ(page.MoveTo(3, 1), 0);
    EXPECT_EQ(FileAt(0), second);
    EXPECT_EQ(page.MoveTo(0, 99), 4) << "bounded by the queue";
    EXPECT_EQ(page.Drop(4, -1), 4);
    EXPECT_EQ(page.Drop(4, 1), 1);
    EXPECT_EQ(FileAt(1), second);
    EXPECT_EQ(page.MoveUp(7), -1);
}

TEST_F(QueuePage, DeletesExactlyTheSelectedRows) {
    page.DeleteRows({1, 2, 4});
    EXPECT_EQ(test::Titles(host.queue), (Titles{"A", "Same"}));
    EXPECT_EQ(FileAt(1), "/m/Same3.mp3");
    EXPECT_EQ(page.Rows().size(), 2u);
    EXPECT_EQ(page.MoveToMax(), 2);
    page.Clear();
    EXPECT_EQ(host.queue.Count(), 0);
}

}  // namespace
}  // namespace tunecrest
