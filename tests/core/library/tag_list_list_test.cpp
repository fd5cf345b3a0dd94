// Lists of lists: member change notices, renaming into title order, lists added while
// updating, the current playlist, and finding the list that holds a tag.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/base/text_utils.h"
#include "core/library/tag_list_list.h"
#include "tests/support/tags.h"

namespace tunecrest {
namespace {

using test::MakeTag;

TaudioTagListPtr NamedList(const std::string& title) {
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle(title);
    return list;
}

TEST(TagListList, MemberChangesRaiseThePlaylistEventOnceAndNotInsideAnUpdate) {
    TaudioTagPlaylistList lists;
    std::vector<TaudioTagList*> changed;
    int listChanges = 0;
    lists.OnPlaylistChange = [&](TObject* sender, TaudioTagList* list) {
        EXPECT_EQ(sender, &lists);
        changed.push_back(list);
    };
    lists.OnChange = [&](TObject*) { ++listChanges; };
    const auto evening = NamedList("Evening");
    const auto morning = NamedList("Morning");
    lists.AddList(evening);
    lists.AddList(morning);
    EXPECT_EQ(listChanges, 2);
    EXPECT_TRUE(changed.empty()) << "adding a list is no change inside it";

    evening->Add(MakeTag("A", "One"));
    EXPECT_EQ(changed, std::vector<TaudioTagList*>{evening.get()});
    morning->SetRandom(true);  // a play-mode change
    EXPECT_EQ(changed, (std::vector<TaudioTagList*>{evening.get(), morning.get()}));
    morning->SetRandom(true);  // no change: no event
    EXPECT_EQ(changed.size(), 2u);
    EXPECT_EQ(listChanges, 2) << "a member's change is not a change of the set of lists";

    // Inside an update bracket of the list of lists the members are silent; the end of
    // the bracket reports the set once and no member change afterwards.
    changed.clear();
    lists.BeginUpdate();
    evening->Add(MakeTag("A", "Two"));
    morning->SetLoop(false);
    lists.EndUpdate();
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(listChanges, 3);

    // A list that left the set is no longer heard.
    lists.Remove(evening.get());
    evening->Add(MakeTag("A", "Three"));
    evening->SetLoop(false);
    EXPECT_TRUE(changed.empty());
}

TEST(TagListList, RenamedListMovesToItsPlaceInTitleOrder) {
    TaudioTagPlaylistList lists;
    for (const char* title : {"Alpha", "Beta", "Gamma", "Delta"}) lists.AddList(NamedList(title));
    EXPECT_EQ(lists.GetTitles(), (std::vector<std::string>{"Alpha", "Beta", "Delta", "Gamma"}));
    const auto alpha = lists.FindList("alpha");
    ASSERT_TRUE(alpha);
    alpha->Add(MakeTag("A", "Song"));
    int changes = 0;
    lists.OnChange = [&](TObject*) { ++changes; };

    lists.RenameList(alpha.get(), "Zulu");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lists.GetTitles(), (std::vector<std::string>{"Beta", "Delta", "Gamma", "Zulu"}));
    EXPECT_EQ(lists.FindList("zulu"), alpha);
    EXPECT_EQ(lists.FindList("Alpha"), nullptr);
    EXPECT_EQ(lists.IndexOfList(alpha.get()), 3);
    EXPECT_EQ(alpha->GetTag(0)->ListName(), "Zulu") << "the tags carry the new list name";

    // Back to the front, and a rename between two others.
    lists.RenameList(alpha.get(), "Aardvark");
    EXPECT_EQ(lists.GetTitles(), (std::vector<std::string>{"Aardvark", "Beta", "Delta", "Gamma"}));
    lists.RenameList(lists.FindList("Gamma").get(), "charlie");
    EXPECT_EQ(lists.GetTitles(), (std::vector<std::string>{"Aardvark", "Beta", "charlie", "Delta"}));
    for (const char* title : {"AARDVARK", "beta", "Charlie", "delta"}) EXPECT_TRUE(lists.FindList(title)) << title;

    // A list that is no member is left alone.
    const auto stranger = NamedList("Stranger");
    lists.RenameList(stranger.get(), "Alpha");
    EXPECT_EQ(stranger->Title(), "Stranger");
    EXPECT_EQ(lists.FindList("Alpha"), nullptr);
}

// Lists added inside an update bracket take their places in title order when it closes,
// as a stable sort of the members followed by the added lists puts them: equal titles
// (without regard to case) after those already there, in the order they were added.
// A few among many find their places one by one, many are merged: both the same.
TEST(TagListList, ListsAddedWhileUpdatingTakeTheirPlacesAsAStableSortWould) {
    const auto titleOf = [](int i) {
        // Pairs of equal titles in other cases, and titles out of order when added.
        const int k = (i * 37) % 200 / 2;
        return std::string(i % 2 ? "title " : "Title ") + (k < 10 ? "00" : k < 100 ? "0" : "") + std::to_string(k);
    };
    for (const int added : {1, 4, 60}) {
        SCOPED_TRACE(added);
        TaudioTagPlaylistList lists;
        std::vector<TaudioTagListPtr> all;
        lists.BeginUpdate();
        for (int i = 0; i < 200; ++i) {
            all.push_back(NamedList(titleOf(i)));
            lists.AddList(all.back());
        }
        lists.EndUpdate();
        const auto less = [](const TaudioTagListPtr& a, const TaudioTagListPtr& b) {
            return CompareText(a->Title(), b->Title()) < 0;
        };
        std::stable_sort(all.begin(), all.end(), less);
        ASSERT_EQ(lists.Lists(), all);
        int changes = 0;
        lists.OnChange = [&](TObject*) { ++changes; };
        lists.BeginUpdate();
        const char* firstTitles[] = {"TITLE 050", "aaa", "title 050", "zzz"};
        for (int i = 0; i < added; ++i) {
            all.push_back(NamedList(i < 4 ? firstTitles[i] : titleOf(i * 7 + 3) + (i % 3 ? "" : " b")));
            lists.AddList(all.back());
        }
        EXPECT_EQ(changes, 0);
        lists.EndUpdate();
        EXPECT_EQ(changes, 1);
        std::stable_sort(all.begin(), all.end(), less);
        EXPECT_EQ(lists.Lists(), all);
        // Found by halving, so only a list in its place is found.
        for (const auto& list : all) EXPECT_GE(lists.IndexOfTitle(list->Title()), 0) << list->Title();
        // The first of equal titles is the one found.
        EXPECT_EQ(lists.FindList(UpperCase(all.front()->Title())), all.front());
        if (added > 1) EXPECT_EQ(lists.FindList("AAA"), all.front());
    }
}

TEST(TagListList, DeletingOrRemovingTheCurrentPlaylistClearsIt) {
    TaudioTagPlaylistList lists;
    // The windows hold their own references, so the list outlives its removal.
    const auto a = NamedList("A"), b = NamedList("B"), c = NamedList("C");
    for (const auto& l : {a, b, c}) lists.AddList(l);
    lists.SetCurrent(b);
    lists.Delete(lists.IndexOfList(a.get()));
    EXPECT_EQ(lists.Current(), b) << "another list's deletion keeps the current one";
    lists.Delete(lists.IndexOfList(b.get()));
    EXPECT_EQ(lists.Current(), nullptr);

    lists.SetCurrent(c);
    lists.Remove(b.get());  // no longer a member: nothing happens
    EXPECT_EQ(lists.Current(), c);
    lists.Remove(c.get());
    EXPECT_EQ(lists.Current(), nullptr);
    EXPECT_EQ(lists.Count(), 0);
}

TEST(TagListList, FindListOfTagFindsTheFirstListHoldingThatObject) {
    TaudioTagPlaylistList lists;
    const auto tag = MakeTag("A", "Shared");
    const auto zulu = NamedList("Zulu"), mike = NamedList("Mike"), alpha = NamedList("Alpha");
    zulu->Add(tag);
    mike->Add(tag);
    alpha->Add(tag->Clone());  // the same file, another object
    for (const auto& l : {zulu, mike, alpha}) lists.AddList(l);
    EXPECT_EQ(lists.FindListOfTag(tag.get()), mike) << "the first in title order";
    EXPECT_EQ(lists.FindListOfTag(alpha->GetTag(0).get()), alpha);
    mike->Remove(tag.get());
    EXPECT_EQ(lists.FindListOfTag(tag.get()), zulu);
    EXPECT_EQ(lists.FindListOfTag(MakeTag("A", "Shared").get()), nullptr);
    EXPECT_EQ(lists.FindListOfTag(nullptr), nullptr);
}

}  // namespace
}  // namespace tunecrest
