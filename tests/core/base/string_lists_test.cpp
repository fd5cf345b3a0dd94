#include "core/base/string_lists.h"

#include <gtest/gtest.h>

#include "core/base/exceptions.h"
#include "core/tags/genre_table.h"
#include "core/tags/media_kinds.h"
#include "core/base/text_utils.h"

using namespace tunecrest;

TEST(StringList, UnsortedSearchIgnoresCaseUnlessCaseSensitive) {
    TmyStringList list;
    list.Add("xyz");
    list.Add("abc");
    EXPECT_EQ(list.IndexOf("ABC"), 1);
    int index = -1;
    EXPECT_TRUE(list.Find("Xyz", index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.IndexOf("missing"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ABC"), -1);
}

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
    TmyStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("A"), 0);
    EXPECT_EQ(list.Add("c"), 2);
    EXPECT_EQ(list.Add("B"), 1);  // dupIgnore: the line already there
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_THROW(list.Insert(0, "z"), Exception);
    list.SetDuplicates(Tduplicates::dupError);
    EXPECT_THROW(list.Add("C"), Exception);
    list.SetDuplicates(Tduplicates::dupAccept);
    list.Add("b");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.IndexOf("B"), 1);

    // A file-name index compares exactly: A.mp3 and a.mp3 are two files.
    TmyStringList files;
    files.SetCaseSensitive(true);
    files.SetSorted(true);
    files.Add("a.mp3");
    files.Add("A.mp3");
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.IndexOf("a.mp3"), 1);
    EXPECT_EQ(files.IndexOf("A.MP3"), -1);
}

TEST(StringList, ManyLinesAtOnceLeaveTheListAsAddingThemOneByOne) {
    const std::vector<std::string> lines = {"b=2", "A=1", "B=2", "a=1", "c", "", "b=2", "C"};
    for (const Tduplicates dup : {Tduplicates::dupIgnore, Tduplicates::dupAccept}) {
        for (const bool sorted : {true, false}) {
            TmyStringList one, many;
            for (TmyStringList* list : {&one, &many}) {
                list->SetSorted(sorted);
                list->SetDuplicates(dup);
                list->Add("a=1");  // a line already held wins over an equal one added
            }
            for (const auto& line : lines) one.Add(line);
            int notices = 0;
            many.OnChange = [&](TObject*) { ++notices; };
            many.AddLines(lines);
            EXPECT_EQ(many.ToVector(), one.ToVector()) << sorted << int(dup);
            EXPECT_EQ(notices, 1);
        }
    }
    TmyStringList strict;
    strict.SetSorted(true);
    strict.SetDuplicates(Tduplicates::dupError);
    EXPECT_THROW(strict.AddLines({"x", "X"}), Exception);
    // SetText takes the same road: CR, LF and CR LF all end a line.
    TmyStringList text;
    text.SetSorted(true);
    text.SetText("z\r\ny\rx\nY");
    EXPECT_EQ(text.ToVector(), (std::vector<std::string>{"x", "y", "z"}));
}

TEST(StringList, ChangeNoticesReachListenersOnceAfterAnUpdateBracket) {
    TmyStringList list;
    int onChange = 0, listener = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++onChange;
    };
    const auto key = list.ChangeListeners().Add([&](TObject*) { ++listener; });
    list.Add("one");
    EXPECT_EQ(listener, 1);
    list.BeginUpdate();
    list.Add("two");
    list.Add("three");
    list.Delete(0);
    EXPECT_EQ(listener, 1);
    list.EndUpdate();
    list.EndUpdate();  // never below 0
    EXPECT_EQ(listener, 3);
    EXPECT_EQ(onChange, listener);
    list.ChangeListeners().Remove(key);
    list.Clear();
    EXPECT_EQ(listener, 3);
    EXPECT_THROW(list.Delete(5), Exception);
}

TEST(StringList, NameValueLinesAndText) {
    TmyStringList list;
    list.SetText("Composer=Someone\r\nBPM=120\nplain\rlast");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Values("bpm"), "120");
    EXPECT_EQ(list.Names(0), "Composer");
    EXPECT_EQ(list.ValueFromIndex(2), "");
    list.SetValue("BPM", "98");
    list.SetValue("Mood", "calm=ish");
    EXPECT_EQ(list.Values("Mood"), "calm=ish");
    list.SetValue("Composer", "");
    EXPECT_EQ(list.Text(), "BPM=98\nplain\nlast\nMood=calm=ish\n");
}

TEST(StringObjectList, OwnedObjectsGoWithTheirLines) {
    TmyStringObjectList owning;
    owning.SetOwnsObjects(true);
    auto object = std::make_shared<TObject>();
    std::weak_ptr<TObject> watch = object;
    owning.AddObject("x", std::move(object));
    owning.Delete(0);
    EXPECT_TRUE(watch.expired());

    // Without ownership the object lives on with its other holder.
    TmyStringObjectList sharing;
    auto kept = std::make_shared<TObject>();
    sharing.AddObject("y", kept);
    sharing.Clear();
    EXPECT_EQ(kept.use_count(), 1);

    owning.SetSorted(true);
    auto a = std::make_shared<TObject>(), b = std::make_shared<TObject>();
    std::weak_ptr<TObject> wa = a, wb = b;
    owning.AddObject("b", std::move(b));
    owning.AddObject("a", std::move(a));
    EXPECT_EQ(owning.IndexOfObject(wa.lock().get()), 0);
    owning.Clear();
    EXPECT_TRUE(wa.expired() && wb.expired());
}

TEST(MediaKinds, NamesWithoutRegardToCase) {
    EXPECT_EQ(MediaKindFromName("video"), 2);
    EXPECT_EQ(MediaKindFromName("AUDIO"), 1);
    EXPECT_EQ(MediaKindFromName("Url"), 4);
    EXPECT_EQ(MediaKindFromName("karaoke"), 8);
    EXPECT_EQ(MediaKindFromName(""), -1);
    EXPECT_EQ(MediaKindFromName("Audio "), -1);
}

TEST(GenreTable, LooksUpNamesAndIds) {
    TgenresList& genres = GenresList();
    ASSERT_EQ(genres.Count(), 148);
    EXPECT_EQ(genres.GenreIDOf("rock"), 17u);
    EXPECT_EQ(genres.GenreIDOf("Blues"), 0u);
    EXPECT_EQ(genres.GenreIDOf("synthPOP"), 147u);
    EXPECT_EQ(genres.GenreIDOf("R&B"), 14u);
    EXPECT_EQ(genres.GenreIDOf(""), 255u);
    EXPECT_EQ(genres.GenreIDOf("Polka Metal"), 255u);
    // The table's own spellings and the standard ones both work.
    EXPECT_EQ(genres.GenreIDOf("Ethinic"), 48u);
    EXPECT_EQ(genres.GenreIDOf("ethnic"), 48u);
    EXPECT_EQ(genres.GenreIDOf("Southern Rocky"), 56u);
    EXPECT_EQ(genres.GenreIDOf("Southern Rock"), 56u);
    EXPECT_EQ(genres.GetGenre(148), nullptr);
    EXPECT_EQ(genres.GetGenre(-1), nullptr);
    ASSERT_NE(genres.GetGenre(79), nullptr);
    EXPECT_EQ(genres.GetGenre(79)->Name, "Hard Rock");
    EXPECT_EQ(genres.FindGenre("jazz+funk")->ID, 29);

    TmyStringList names;
    names.Add("stale");
    genres.GetGenreNames(names);
    ASSERT_EQ(names.Count(), 148);
    EXPECT_EQ(names.Strings(0), "A Capella");
    for (int i = 1; i < names.Count(); ++i) EXPECT_LT(CompareText(names.Strings(i - 1), names.Strings(i)), 0);

    TgenresList local;
    EXPECT_EQ(local.Count(), 0);
    local.SetActive(true);
    EXPECT_EQ(local.Count(), 148);
    local.SetActive(false);
    EXPECT_EQ(local.Count(), 0);
    EXPECT_EQ(local.FindGenre("Rock"), nullptr);
}
