#include "core/tags/file_keyed_tag_lists.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {
TaudioTagPtr Tag(const std::string& file, uint32_t data = 0) {
    auto t = std::make_shared<TaudioTag>();
    t->SetFilename(file);
    t->SetData(data);
    return t;
}
}  // namespace

TEST(FileKeyedTagLists, PlayCountsOnePerFileWithTheLastPlayTime) {
    TDateTime clock = 45000.25;
    SetClock([&clock] { return clock; });
    TpopularityTagList pop;
    int changes = 0;
    pop.OnChange = [&](TObject*) { ++changes; };
    const auto first = Tag("/m/a.mp3");
    pop.Add(first);
    clock += 1;
    pop.Add(Tag("/m/a.mp3", 7));  // another object for the same file
    clock += 1;
    pop.Add(Tag("/m/a.mp3"));
    pop.Add(Tag("/m/A.mp3"));  // another file on Linux
    ASSERT_EQ(pop.Count(), 2);
    const auto entry = pop.FindFile("/m/a.mp3");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Data(), 3u);
    EXPECT_EQ(entry->ModDate(), 45002.25);
    EXPECT_NE(entry.get(), first.get());  // the given tag is never stored
    EXPECT_EQ(first->Data(), 0u);
    EXPECT_EQ(changes, 4);
    SetClock(nullptr);
}

TEST(FileKeyedTagLists, SortedByFileAndDeletingReleasesTheTag) {
    TaudioTagFileList files;
    TaudioTagList list;
    for (const char* f : {"/m/c.mp3", "/m/a.mp3", "/m/b.mp3", "/m/a.mp3"}) list.Add(Tag(f));
    files.AddList(list, false, false);
    ASSERT_EQ(files.Count(), 4);  // duplicates allowed
    EXPECT_EQ(files.GetTag(0)->Filename(), "/m/a.mp3");
    EXPECT_EQ(files.GetTag(3)->Filename(), "/m/c.mp3");
    EXPECT_EQ(files.GetTag(4), nullptr);
    const TaudioTagPtr watched = files.GetTag(3);
    list.Clear();
    EXPECT_EQ(watched.use_count(), 2);  // the file list's and this one
    files.Delete(3);
    EXPECT_EQ(watched.use_count(), 1) << "the file list let go of the tag";
    files.AddList(list, false, false);
    EXPECT_EQ(files.Count(), 0);
}

TEST(FileKeyedTagLists, LoadFromListFile) {
    test::TempDir dir;
    const std::string name = dir.File("poplist.dat");
    TaudioTagList written;
    written.Add(Tag("/m/b.mp3", 2));
    written.Add(Tag("/m/a.mp3", 5));
    ASSERT_TRUE(written.SaveToFile(name, false));

    TaudioTagFileList files;
    files.Add(Tag("/m/old.mp3"));
    int changes = 0;
    files.OnChange = [&](TObject*) { ++changes; };
    ASSERT_TRUE(files.LoadFromListFile(name, false));
    EXPECT_EQ(changes, 1);  // one bracket
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(files.GetTag(0)->Filename(), "/m/a.mp3");  // sorted by file
    EXPECT_EQ(files.FindFile("/m/b.mp3")->Data(), 2u);
    // The tags are taken over, not copied: the list holds the only reference.
    EXPECT_EQ(files.GetTag(0).use_count(), 2);  // the list's and this expression's

    // Keep adds to the present entries.
    ASSERT_TRUE(files.LoadFromListFile(name, true));
    EXPECT_EQ(files.Count(), 4);

    // A missing file or a file of no tags at all changes nothing.
    std::string error;
    EXPECT_FALSE(files.LoadFromListFile(dir.File("missing.dat"), false, &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(SafeWriteFile(dir.File("junk.dat"), "not a list"));
    EXPECT_FALSE(files.LoadFromListFile(dir.File("junk.dat"), false, &error));
    EXPECT_NE(error.find("junk.dat"), std::string::npos);
    EXPECT_EQ(files.Count(), 4);

    // A damaged file: the tags before the damage are taken and the load reports it.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(name, bytes));
    ASSERT_TRUE(SafeWriteFile(name, bytes.substr(0, bytes.size() - 3)));
    EXPECT_FALSE(files.LoadFromListFile(name, false, &error));
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files.GetTag(0)->Filename(), "/m/b.mp3");
}

TEST(FileKeyedTagLists, PlayCountsKeepTheirStoredCountsWhenLoadedOrTakenOver) {
    test::TempDir dir;
    const std::string name = dir.File("poplist.dat");
    TaudioTagList written;
    written.Add(Tag("/m/a.mp3", 5));
    written.GetTag(0)->SetModDate(44000.5);
    written.Add(Tag("/m/b.mp3", 1));
    written.GetTag(1)->SetModDate(44001.5);
    ASSERT_TRUE(written.SaveToFile(name, false));

    SetClock([] { return TDateTime(46000); });
    TpopularityTagList pop;
    ASSERT_TRUE(pop.LoadFromListFile(name, false));
    ASSERT_EQ(pop.Count(), 2);
    EXPECT_EQ(pop.FindFile("/m/a.mp3")->Data(), 5u);
    EXPECT_EQ(pop.FindFile("/m/a.mp3")->ModDate(), 44000.5);
    EXPECT_EQ(pop.FindFile("/m/b.mp3")->Data(), 1u);

    // Written back and read again: byte for byte the same file.
    TaudioTagList again;
    for (int i = 0; i < pop.Count(); ++i) again.Add(pop.GetTag(i));
    TbyteWriter first, second;
    written.SaveToStream(first);
    again.SaveToStream(second);
    EXPECT_EQ(first.Bytes(), second.Bytes());

    // AddList and AddTags take stored counts over too (copies or not); a later play counts.
    TpopularityTagList taken;
    taken.AddList(written, false, true);
    EXPECT_EQ(taken.FindFile("/m/a.mp3")->Data(), 5u);
    TmyStringList items;
    items.AddObject("x", Tag("/m/c.mp3", 9));
    taken.AddTags(items, true, false);
    EXPECT_EQ(taken.FindFile("/m/c.mp3")->Data(), 9u);
    taken.Add(Tag("/m/a.mp3"));
    EXPECT_EQ(taken.FindFile("/m/a.mp3")->Data(), 6u);
    EXPECT_EQ(taken.FindFile("/m/a.mp3")->ModDate(), 46000);
    SetClock(nullptr);
}
