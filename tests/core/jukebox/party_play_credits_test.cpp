// Queueing the selected track rows with credits: one credit per track the queue took, the
// queue limit, refused duplicates, a full queue, too few credits for the selection, the
// status texts and the keypad credit keys.
#include "core/jukebox/party_play_credits.h"

#include <gtest/gtest.h>

#include <set>

#include "core/library/jukebox_list.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeTag;
using Titles = std::vector<std::string>;

struct CreditQueue : ::testing::Test {
    test::TempDir dir;
    TlocalJukeboxList lib;
    TaudioTagList& queue = lib.Jukebox()->Queue();
    std::vector<TaudioTagPtr> rows;
    std::set<int> selected;
    int noCreditMessages = 0;

    void SetUp() override { lib.SetDataFolder(dir.Path().string()); }
    void Rows(const Titles& titles) {
        for (const auto& t : titles) rows.push_back(MakeTag("X", t));
    }
    TaddSelectedRows Walk() {
        TaddSelectedRows w;
        w.RowCount = int(rows.size());
        w.IsSelected = [this](int r) { return selected.count(r) > 0; };
        w.TagOf = [this](int r) { return rows[size_t(r)]; };
        w.Deselect = [this](int r) { selected.erase(r); };
        w.AddToQueue = [this](const TmyStringList& tags) {
            const int before = queue.Count();
            lib.AddTagsToQueue(tags, true, true);
            return queue.Count() - before;
        };
        w.ShowNoCredits = [this] { ++noCreditMessages; };
        return w;
    }
};

TEST_F(CreditQueue, TooFewCreditsForTheSelection) {
    Rows({"A", "B", "C", "D", "E"});
    selected = {0, 1, 2, 3, 4};
    const auto r = AddSelectedRowsToQueue(Walk(), true, 2);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "B"}));
    EXPECT_EQ(r.Queued, 2);
    EXPECT_EQ(r.CreditsLeft, 0);
    EXPECT_TRUE(r.OutOfCredits);
    EXPECT_EQ(noCreditMessages, 1) << "the message is shown once";
    EXPECT_EQ(selected, (std::set<int>{2, 3, 4})) << "rows not queued stay selected";
    EXPECT_EQ(AddedTracksStatusText(r.Queued), "Added 2 Tracks to the Queue");

    // With no credits at all nothing is queued and the message still comes once.
    const auto none = AddSelectedRowsToQueue(Walk(), true, 0);
    EXPECT_EQ(none.Queued, 0);
    EXPECT_EQ(noCreditMessages, 2);
    EXPECT_EQ(queue.Count(), 2);
}

TEST_F(CreditQueue, AFullQueueCostsNothing) {
    queue.SetMax(3);
    queue.Add(MakeTag("X", "Old1"));
    queue.Add(MakeTag("X", "Old2"));
    Rows({"A", "B", "C"});
    selected = {0, 1, 2};
    const auto r = AddSelectedRowsToQueue(Walk(), true, 5);
    EXPECT_EQ(queue.Count(), 3) << "the queue limit holds";
    EXPECT_EQ(r.Collected, 3);
    EXPECT_EQ(r.Queued, 1);
    EXPECT_EQ(r.CreditsLeft, 4) << "only the accepted track is charged";
    EXPECT_FALSE(r.OutOfCredits);
    EXPECT_EQ(AddedTracksStatusText(r.Queued), "Added 1 Track to the Queue");

    const auto full = AddSelectedRowsToQueue((selected = {0}, Walk()), true, 4);
    EXPECT_EQ(full.Queued, 0);
    EXPECT_EQ(full.CreditsLeft, 4);
    EXPECT_EQ(AddedTracksStatusText(full.Queued), "Added 0 Tracks to the Queue");
}

TEST_F(CreditQueue, RefusedDuplicatesCostNothing) {
    queue.SetNoDuplicates(true);
    Rows({"A", "B"});
    queue.Add(MakeTag("X", "A"));
    selected = {0, 1};
    const auto r = AddSelectedRowsToQueue(Walk(), true, 3);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "B"}));
    EXPECT_EQ(r.Queued, 1);
    EXPECT_EQ(r.CreditsLeft, 2);
}

TEST_F(CreditQueue, OutsideCreditModeCreditsAreUntouched) {
    Rows({"A", "B", "C"});
    selected = {0, 2};
    const auto r = AddSelectedRowsToQueue(Walk(), false, 0);
    EXPECT_EQ(test::Titles(queue), (Titles{"A", "C"}));
    EXPECT_EQ(r.Queued, 2);
    EXPECT_EQ(r.CreditsLeft, 0);
    EXPECT_FALSE(r.OutOfCredits);
    EXPECT_EQ(noCreditMessages, 0);
    EXPECT_TRUE(selected.empty());

    const auto nothing = AddSelectedRowsToQueue(Walk(), false, 0);
    EXPECT_EQ(nothing.Queued, 0);
    EXPECT_EQ(AddedTracksStatusText(nothing.Queued), "Added 0 Tracks to the Queue");
}

TEST(Credits, KeypadKeys) {
    EXPECT_EQ(CreditsAfterKey(0, TcreditKey::ckDigit, 3), 3);
    EXPECT_EQ(CreditsAfterKey(2, TcreditKey::ckDigit, 0), 12) << "keypad 0 adds ten";
    EXPECT_EQ(CreditsAfterKey(2, TcreditKey::ckPlus), 3);
    EXPECT_EQ(CreditsAfterKey(2, TcreditKey::ckMinus), 1);
    EXPECT_EQ(CreditsAfterKey(0, TcreditKey::ckMinus), 0) << "never below zero";
    EXPECT_EQ(CreditsAfterKey(9, TcreditKey::ckDecimal), 0);
    EXPECT_EQ(CreditsAfterKey(0x7fffffff, TcreditKey::ckDigit, 9), 0x7fffffff) << "no overflow";
}

}  // namespace
}  // namespace tunecrest
