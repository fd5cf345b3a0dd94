#include "core/file_keyed_tag_lists.h"

#include <gtest/gtest.h>

#include "core/services.h"

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
    std::weak_ptr<TaudioTag> watched = files.GetTag(3);
    list.Clear();
    files.Delete(3);
    EXPECT_TRUE(watched.expired());
    files.AddList(list, false, false);
    EXPECT_EQ(files.Count(), 0);
}
