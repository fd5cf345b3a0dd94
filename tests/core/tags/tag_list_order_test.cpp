#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/base/services.h"
#include "core/tags/tag_list.h"
#include "support/tags.h"

using namespace tunecrest;

namespace {

TaudioTagPtr MakeTag(const std::string& title) { return test::MakeTag("", title); }
using test::Titles;

// Three tags per key: two share the key and differ by title, so every tie-break shows.
struct TsortCase {
    TaudioTagSortType Type;
    std::function<void(TaudioTag&, int)> SetKey;  // key rank 0 or 1
};

}  // namespace

TEST(TagListSort, EveryKeyInBothDirectionsWithItsTieBreak) {
    const uint32_t big = 0x80000000u;  // beyond a signed difference
    const std::vector<TsortCase> cases = {
        {tstArtist, [](TaudioTag& t, int r) { t.SetArtist(r ? "beta" : "ALPHA"); }},
        {tstAlbum, [](TaudioTag& t, int r) { t.SetAlbum(r ? "b" : "A"); }},
        {tstTrackTitle, [&](TaudioTag& t, int r) { t.SetTrackNo(r ? big + 5 : 3); }},
        {tstComment, [](TaudioTag& t, int r) { t.SetComment(r ? "z" : "Y"); }},
        {tstGenre, [](TaudioTag& t, int r) { t.SetGenreString(r ? "rock" : "Pop"); }},
        {tstYear, [](TaudioTag& t, int r) { t.SetDate(r ? "1999" : "1980"); }},
        {tstDuration, [&](TaudioTag& t, int r) { t.SetDuration(r ? big : 1); }},
        {tstSampleRate, [&](TaudioTag& t, int r) { t.SetSampleRate(r ? 0xFFFFFFFFu : 0); }},
        {tstBitrate, [&](TaudioTag& t, int r) { t.SetBitRate(r ? big : 128); }},
        {tstChannels, [](TaudioTag& t, int r) { t.SetChannels(r ? 6 : 2); }},
        {tstTagType, [](TaudioTag& t, int r) { t.SetTagType(r ? "vorbis" : "ID3v2"); }},
    };
    for (const auto& c : cases) {
        TaudioTagList list;
        // Added out of order: (key 1, "m"), (key 0, "z"), (key 0, "b").
        const std::pair<int, const char*> tags[] = {{1, "m"}, {0, "z"}, {0, "B"}};
        for (const auto& [rank, title] : tags) {
            auto tag = MakeTag(title);
            c.SetKey(*tag, rank);
            list.Add(tag);
        }
        list.SortBy(c.Type);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"B", "z", "m"})) << c.Type;
        list.SetSortOrder(tsoDescending);  // sorts by SortType (title) at once
        list.SortBy(c.Type);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"m", "z", "B"})) << c.Type;
        EXPECT_EQ(list.SortType(), tstTitle);
    }
}

TEST(TagListSort, TitleCaptionAndFilenameKeys) {
    TaudioTagList list;
    for (const char* t : {"beta", "Alpha", "gamma"}) list.Add(MakeTag(t));
    list.GetTag(0)->SetCaption("3");
    list.GetTag(1)->SetCaption("1");
    list.GetTag(2)->SetCaption("2");
    list.GetTag(0)->SetFilename("/b.mp3");
    list.GetTag(1)->SetFilename("/C.mp3");
    list.GetTag(2)->SetFilename("/a.mp3");
    list.SortBy(tstTitle);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    list.SortBy(tstCaption);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"Alpha", "gamma", "beta"}));
    list.SortBy(tstTrackFilename);  // equal track numbers: by file name
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    list.GetTag(0)->SetTrackNo(2);
    list.SetSortOrder(tsoDescending);
    list.SortBy(tstTrackFilename);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"gamma", "Alpha", "beta"}));
}

TEST(TagListSort, AlbumDescendingAndArtistCase) {
    TaudioTagList list;
    const std::tuple<const char*, uint32_t, const char*> rows[] = {
        {"Abbey", 1, "a1"}, {"Zoo", 2, "z2"}, {"abbey", 2, "a2"}, {"Zoo", 1, "z1"}};
    for (const auto& [album, track, title] : rows) {
        auto tag = MakeTag(title);
        tag->SetAlbum(album);
        tag->SetTrackNo(track);
        list.Add(tag);
    }
    list.SetSortType(tstAlbum);
    list.SetSortOrder(tsoDescending);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"z2", "z1", "a2", "a1"}));

    // Within an album the track number decides, whatever the titles say; the title
    // only parts equal numbers.
    TaudioTagList album;
    const std::pair<uint32_t, const char*> tracks[] = {{3, "Mango"}, {1, "Zebra"}, {2, "apple"}, {2, "Apple pie"},
                                                       {10, "Banana"}};
    for (const auto& [track, title] : tracks) {
        auto tag = MakeTag(title);
        tag->SetAlbum("Same");
        tag->SetTrackNo(track);
        album.Add(tag);
    }
    album.SortBy(tstAlbum);
    EXPECT_EQ(Titles(album), (std::vector<std::string>{"Zebra", "apple", "Apple pie", "Mango", "Banana"}));

    TaudioTagList artists;
    for (const auto& [artist, title] : std::vector<std::pair<const char*, const char*>>{
             {"abba", "SOS"}, {"ABBA", "Fernando"}, {"Abba", "Waterloo"}, {"ABBA", "Chiquitita"}}) {
        auto tag = MakeTag(title);
        tag->SetArtist(artist);
        artists.Add(tag);
    }
    artists.SortBy(tstArtist);
    EXPECT_EQ(Titles(artists), (std::vector<std::string>{"Chiquitita", "Fernando", "SOS", "Waterloo"}));
}

TEST(TagListSort, SortedListsSortAfterEachChangeWithOneNotice) {
    TaudioTagList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.SetSorted(true);  // empty: nothing happens
    EXPECT_EQ(changes, 0);
    for (const char* t : {"c", "a", "b"}) list.Add(MakeTag(t));
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(changes, 3);
    list.SetSortOrder(tsoDescending);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(changes, 4);

    // Without a change notice on sort, the next change still sorts.
    list.SetNoChangeOnSort(true);
    list.SetSortOrder(tsoAscending);
    EXPECT_EQ(changes, 4);
    list.Insert(MakeTag("0"), 3);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"0", "a", "b", "c"}));

    // An unsorted list only sorts when asked; a SortOrder change always sorts.
    TaudioTagList plain;
    for (const char* t : {"b", "a"}) plain.Add(MakeTag(t));
    plain.SetSortType(tstArtist);
    EXPECT_EQ(Titles(plain), (std::vector<std::string>{"b", "a"}));
    plain.SetSortOrder(tsoDescending);
    plain.SetSortOrder(tsoAscending);
    EXPECT_EQ(Titles(plain), (std::vector<std::string>{"a", "b"}));
}

TEST(TagListPlay, SequentialOnceAndLooping) {
    TaudioTagList list;
    for (const char* t : {"1", "2", "3"}) list.Add(MakeTag(t));
    EXPECT_EQ(list.PeekNext(), nullptr);  // inactive
    EXPECT_EQ(list.GetNext(), nullptr);
    list.SetActive(true);
    std::string played;
    for (int i = 0; i < 7; ++i) played += list.GetNext()->Title();
    EXPECT_EQ(played, "1231231");

    list.SetLoop(false);
    EXPECT_EQ(list.GetNext()->Title(), "2");
    EXPECT_EQ(list.GetNext()->Title(), "3");
    EXPECT_EQ(list.PeekNext(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);

    // Every change brings sequential play back to the first track.
    list.Add(MakeTag("4"));
    const TaudioTagPtr peeked = list.PeekNext();
    EXPECT_EQ(peeked->Title(), "1");
    EXPECT_EQ(list.GetNext(), peeked);
    EXPECT_EQ(list.GetNext()->Title(), "2");

    // Re-activation starts again only with lmResetOnActivate.
    list.SetActive(false);
    list.SetActive(true);
    EXPECT_EQ(list.PeekNext()->Title(), "3");
    list.SetResetOnActivate(true);
    list.SetActive(false);
    list.SetActive(true);
    EXPECT_EQ(list.PeekNext()->Title(), "1");

    TaudioTagList empty;
    empty.SetActive(true);
    EXPECT_EQ(empty.GetNext(), nullptr);
}

TEST(TagListPlay, RandomPassesVisitEveryTrackOnce) {
    SetRandomSeed(7);
    TaudioTagList list;
    for (int i = 0; i < 9; ++i) list.Add(MakeTag(std::to_string(i)));
    list.SetActive(true);
    list.SetRandom(true);
    list.SetLoop(false);  // random play does not stop at the end of a pass
    for (int pass = 0; pass < 3; ++pass) {
        std::set<TaudioTag*> seen;
        for (int i = 0; i < 9; ++i) {
            const TaudioTagPtr peeked = list.PeekNext();
            EXPECT_EQ(list.PeekNext(), peeked);
            const TaudioTagPtr tag = list.GetNext();
            ASSERT_EQ(tag, peeked);
            EXPECT_TRUE(seen.insert(tag.get()).second);
        }
    }

    // A rebuilt order is one cycle: no track keeps its place. A pass that has run out
    // is built anew, from every track, when the next one is asked for.
    for (int round = 0; round < 20; ++round) {
        list.Add(MakeTag("x"));
        EXPECT_EQ(list.RandomOrder().Count(), 0);
        list.PeekNext();
        ASSERT_EQ(list.RandomOrder().Count(), list.Count());
        for (int i = 0; i < list.Count(); ++i) EXPECT_NE(list.RandomOrder().Get(i), list.GetTag(i));
        while (list.RandomOrder().Count() > 0) list.GetNext();
    }
    TaudioTagList one;
    one.Add(MakeTag("only"));
    one.SetActive(true);
    one.SetRandom(true);
    EXPECT_EQ(one.GetNext()->Title(), "only");
    EXPECT_EQ(one.GetNext()->Title(), "only");
}

// The pending random order follows changes of the list: an added tag goes in at some
// place, a removed one leaves it, tracks already played this pass stay played, and only
// a list replaced as a whole starts a new pass.
TEST(TagListPlay, RandomOrderFollowsAddsAndRemovalsUntilTheListIsReplaced) {
    SetRandomSeed(11);
    TaudioTagList list;
    for (int i = 0; i < 8; ++i) list.Add(MakeTag(std::to_string(i)));
    list.SetActive(true);
    list.SetRandom(true);
    std::set<std::string> played;
    for (int i = 0; i < 3; ++i) played.insert(list.GetNext()->Title());
    const auto pending = [&] {
        std::multiset<std::string> titles;
        for (int i = 0; i < list.RandomOrder().Count(); ++i) titles.insert(list.RandomOrder().Get(i)->Title());
        return titles;
    };
    std::multiset<std::string> expected;
    for (int i = 0; i < 8; ++i)
        if (!played.count(std::to_string(i))) expected.insert(std::to_string(i));
    ASSERT_EQ(pending(), expected);

    // Added tags land at every place of the pending order, the front included.
    std::set<int> places;
    for (int round = 0; round < 60; ++round) {
        const TaudioTagPtr added = MakeTag("new");
        list.Add(added);
        for (int i = 0; i < list.RandomOrder().Count(); ++i)
            if (list.RandomOrder().Get(i) == added) places.insert(i);
        list.Remove(added.get());
        EXPECT_EQ(pending(), expected);
    }
    EXPECT_EQ(places.size(), expected.size() + 1);

    // Inside an update bracket: two added, one of the pending and one played removed,
    // one added and removed again.
    const std::string pendingTitle = *expected.begin();
    const std::string playedTitle = *played.begin();
    list.BeginUpdate();
    list.Add(MakeTag("a"));
    list.Add(MakeTag("b"));
    const TaudioTagPtr gone = MakeTag("gone");
    list.Add(gone);
    for (int i = list.Count() - 1; i >= 0; --i) {
        const std::string title = list.GetTag(i)->Title();
        if (title == pendingTitle || title == playedTitle || title == "gone") list.Delete(i);
    }
    list.EndUpdate();
    expected.erase(pendingTitle);
    expected.insert("a");
    expected.insert("b");
    EXPECT_EQ(pending(), expected);
    // Sorting and moving keep the pass.
    list.SetSortType(tstArtist);
    list.SetSorted(true);
    list.Move(0, 3);
    EXPECT_EQ(pending(), expected);

    // The rest of the pass is what was pending; then a new pass holds every track.
    std::multiset<std::string> rest;
    while (list.RandomOrder().Count() > 0) rest.insert(list.GetNext()->Title());
    EXPECT_EQ(rest, expected);
    EXPECT_EQ(list.PeekNext() != nullptr, true);
    EXPECT_EQ(list.RandomOrder().Count(), list.Count());

    // Replaced: cleared and filled again, the next pass starts from the new tracks.
    list.GetNext();
    list.BeginUpdate();
    list.Clear();
    for (const char* t : {"p", "q", "r"}) list.Add(MakeTag(t));
    list.EndUpdate();
    std::multiset<std::string> fresh;
    for (int i = 0; i < 3; ++i) fresh.insert(list.GetNext()->Title());
    EXPECT_EQ(fresh, (std::multiset<std::string>{"p", "q", "r"}));
}

// Every order is possible, the one it started from too: a shuffle that always moves every
// item (or favours some places) would never give back some orders, or give them rarely.
TEST(TagListPlay, ShuffleGivesEveryOrderIncludingTheFirst) {
    SetRandomSeed(11);
    TaudioTagList pair;
    pair.Add(MakeTag("a"));
    pair.Add(MakeTag("b"));
    const auto original = Titles(pair);
    int unchanged = 0;
    for (int i = 0; i < 200; ++i) {
        pair.Shuffle();
        if (Titles(pair) == original) ++unchanged;
    }
    EXPECT_GT(unchanged, 60);
    EXPECT_LT(unchanged, 140);

    TaudioTagList three;
    for (const char* t : {"a", "b", "c"}) three.Add(MakeTag(t));
    std::map<std::vector<std::string>, int> seen;
    for (int i = 0; i < 1200; ++i) {
        three.Shuffle();
        ++seen[Titles(three)];
    }
    ASSERT_EQ(seen.size(), 6u) << "all six orders of three items";
    for (const auto& [order, count] : seen) EXPECT_GT(count, 120) << order[0] << order[1] << order[2];
}

TEST(TagListPlay, ShuffleKeepsEveryTagEvenWithLimitsAndDuplicates) {
    SetRandomSeed(3);
    TaudioTagList list;
    for (int i = 0; i < 6; ++i) list.Add(MakeTag(i < 2 ? "same" : std::to_string(i)));
    list.SetMax(3);
    list.SetNoDuplicates(true);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    const auto original = Titles(list);
    const std::multiset<std::string> before(original.begin(), original.end());
    bool moved = false;
    for (int i = 0; i < 5; ++i) {
        list.Shuffle();
        moved = moved || Titles(list) != original;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(changes, 5);  // one notice per shuffle
    const auto after = Titles(list);
    EXPECT_EQ(std::multiset<std::string>(after.begin(), after.end()), before);

    // Each tag is filed again in its new place: an unnumbered tag takes the number after
    // the tag before it, and the insertion sequence follows the new order.
    TaudioTagList queue;
    for (int i = 0; i < 4; ++i) queue.Add(MakeTag(std::to_string(i)));
    queue.Insert(MakeTag("unnumbered"), 2);
    const uint32_t counter = queue.InsertionCounter();
    queue.Shuffle();
    for (int i = 0; i < queue.Count(); ++i) {
        const TaudioTagPtr tag = queue.GetTag(i);
        EXPECT_EQ(tag->Sequence(), counter + uint32_t(i) + 1);
        if (tag->Title() == "unnumbered") {
            EXPECT_EQ(tag->TrackIndex(), i == 0 ? 1 : queue.GetTag(i - 1)->TrackIndex() + 1);
        }
    }
    EXPECT_EQ(queue.InsertionCounter(), counter + 5);
}

// The random order is drawn as it is read, front to back: however it is read (taken one
// by one, or looked at from its far end first), a seed gives the same order; it is always
// one cycle through all the tracks; every cycle of a small list comes up; and adds and
// removals on an order partly drawn keep every pending track exactly once.
TEST(TagListPlay, ARandomOrderDrawnAsItIsReadIsOneCycleWhicheverWayItIsRead) {
    std::vector<TaudioTagPtr> items;
    for (int i = 0; i < 50; ++i) items.push_back(MakeTag(std::to_string(i)));
    auto positionOf = [&](const TaudioTagPtr& tag) {
        return int(std::find(items.begin(), items.end(), tag) - items.begin());
    };
    // Entry k of the order takes the place of item k: one cycle visits all 50.
    auto isOneCycle = [&](const std::vector<TaudioTagPtr>& order) {
        if (order.size() != items.size()) return false;
        std::vector<int> next(order.size());
        for (size_t k = 0; k < order.size(); ++k) next[k] = positionOf(order[k]);
        size_t length = 0;
        int at = 0;
        do {
            at = next[size_t(at)];
            ++length;
        } while (at != 0 && length <= order.size());
        return length == order.size();
    };
    SetRandomSeed(21);
    TrandomPointerList taken;
    taken.Rebuild(items);
    std::vector<TaudioTagPtr> byTaking;
    while (TaudioTagPtr tag = taken.TakeFirst()) byTaking.push_back(tag);
    EXPECT_EQ(taken.Count(), 0);
    EXPECT_TRUE(isOneCycle(byTaking));
    SetRandomSeed(21);
    TrandomPointerList looked;
    looked.Rebuild(items);
    EXPECT_EQ(looked.Get(49), byTaking[49]);
    EXPECT_EQ(looked.Get(50), nullptr);
    std::vector<TaudioTagPtr> byLooking;
    for (int i = 0; i < looked.Count(); ++i) byLooking.push_back(looked.Get(i));
    EXPECT_EQ(byLooking, byTaking);

    // Four tracks have six cycles through all four; each comes up, and nothing else.
    std::vector<TaudioTagPtr> four(items.begin(), items.begin() + 4);
    std::map<std::string, int> seen;
    for (int round = 0; round < 600; ++round) {
        TrandomPointerList order;
        order.Rebuild(four);
        std::string text;
        for (int i = 0; i < 4; ++i) text += order.Get(i)->Title();
        ++seen[text];
        for (int i = 0; i < 4; ++i) EXPECT_NE(order.Get(i), four[size_t(i)]) << text;
    }
    EXPECT_EQ(seen.size(), 6u);
    for (const auto& [text, count] : seen) EXPECT_GT(count, 40) << text;

    // Partly drawn, then followed: the removed tracks leave, the added ones come, and the
    // rest stay exactly once.
    SetRandomSeed(5);
    TrandomPointerList followed;
    followed.Rebuild(items);
    std::multiset<std::string> expected;
    for (int i = 0; i < 10; ++i) followed.TakeFirst();
    for (int i = 0; i < followed.Count(); ++i) expected.insert(followed.Get(i)->Title());
    (void)followed.Get(5);  // drawn this far
    const std::vector<TaudioTagPtr> added = {MakeTag("new1"), MakeTag("new2")};
    const std::vector<TaudioTagPtr> removed = {followed.Get(0), followed.Get(3), followed.Get(30)};
    for (const auto& tag : removed) expected.erase(expected.find(tag->Title()));
    for (const auto& tag : added) expected.insert(tag->Title());
    followed.Follow(added, removed);
    std::multiset<std::string> pending;
    while (TaudioTagPtr tag = followed.TakeFirst()) pending.insert(tag->Title());
    EXPECT_EQ(pending, expected);
}
