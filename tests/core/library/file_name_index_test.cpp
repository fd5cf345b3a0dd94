#include "core/library/file_name_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_set>

#include "core/library/jukebox_list.h"

#include "support/tags.h"

using namespace tunecrest;

namespace {
TaudioTagPtr Named(const std::string& name) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(name);
    return tag;
}

// A library with a track of each name, in that order: its file-name index holds the names
// in plain byte order, each once with its first track.
void ExpectByteOrderWithTheFirstTrackOfEachName(const std::vector<std::string>& names) {
    TlocalJukeboxList lib;
    lib.GlobalList().BeginUpdate();
    std::vector<TaudioTagPtr> tracks;
    for (const auto& name : names) {
        tracks.push_back(Named(name));
        tracks.back()->SetTitle("t");
        lib.GlobalList().Add(tracks.back());
    }
    lib.GlobalList().EndUpdate();

    std::vector<std::pair<std::string, size_t>> expected;
    std::unordered_set<std::string> seen;
    for (size_t i = 0; i < names.size(); ++i)
        if (seen.insert(names[i]).second) expected.emplace_back(names[i], i);
    std::sort(expected.begin(), expected.end());
    const TfileNameIndex& index = lib.FileIndex();
    ASSERT_EQ(index.Count(), int(expected.size()));
    for (int i = 0; i < index.Count(); ++i) {
        ASSERT_EQ(index.Strings(i), expected[size_t(i)].first) << i;
        ASSERT_EQ(index.Tag(i), tracks[expected[size_t(i)].second]) << i;
    }
}

std::string Names(const TfileNameIndex& index) {
    std::string text;
    for (int i = 0; i < index.Count(); ++i) text += index.Strings(i) + ";";
    return text;
}
}  // namespace

// Names in byte order (upper case before lower, "/" before letters), each once with its
// first track; a lookup tells where a missing name would go.
TEST(FileNameIndex, ByteOrderFirstTrackOfANameAndLookups) {
    TfileNameIndex index;
    const TaudioTagPtr b = Named("/m/b.mp3"), upper = Named("/m/B.mp3"), sub = Named("/m/a/z.mp3");
    EXPECT_TRUE(index.Add(b));
    EXPECT_TRUE(index.Add(upper));
    EXPECT_TRUE(index.Add(sub));
    EXPECT_FALSE(index.Add(Named("/m/b.mp3"))) << "a second track of a name stays out";
    EXPECT_FALSE(index.Add(nullptr));
    EXPECT_EQ(Names(index), "/m/B.mp3;/m/a/z.mp3;/m/b.mp3;");
    EXPECT_EQ(index.Tag(index.IndexOf("/m/b.mp3")), b);
    int at = -1;
    EXPECT_FALSE(index.Find("/m/a.mp3", at));
    EXPECT_EQ(at, 1);
    EXPECT_EQ(index.IndexOf("/m/zz.mp3"), -1);
    index.Delete(0);
    index.Delete(7);  // outside: nothing
    EXPECT_EQ(Names(index), "/m/a/z.mp3;/m/b.mp3;");
    index.Clear();
    index.Reserve(2);
    index.Append(upper);
    index.Append(b);
    EXPECT_EQ(Names(index), "/m/B.mp3;/m/b.mp3;");
}

// A track renamed in place still stands where its old name put it: a lookup that knows
// the old name finds it there, and the names around it stay found.
TEST(FileNameIndex, ARenamedTrackIsFoundUnderTheNameItWasFiledUnder) {
    TfileNameIndex index;
    std::vector<TaudioTagPtr> tags;
    for (const char* name : {"/a", "/c", "/e", "/g", "/i", "/k"}) {
        tags.push_back(Named(name));
        index.Add(tags.back());
    }
    const TfileNameText old("/", "c");
    tags[1]->SetFilename("/z");
    const auto filed = [&](const TaudioTag* tag) -> const TfileNameText* { return tag == tags[1].get() ? &old : nullptr; };
    int at = -1;
    ASSERT_TRUE(index.FindFiled("/c", at, filed));
    EXPECT_EQ(index.Tag(at), tags[1]);
    EXPECT_FALSE(index.FindFiled("/z", at, filed));
    for (const char* name : {"/a", "/e", "/g", "/i", "/k"}) EXPECT_TRUE(index.FindFiled(name, at, filed)) << name;
}

// The library's file-name order, worked out in one sort, is plain byte order with the
// first track of each name, also for names that end near the start they all share, that
// share it and the eight bytes after, or that hold a zero byte.
TEST(FileNameIndex, ALibrarysOrderIsByteOrderWithTheFirstTrackOfEachName) {
    const std::vector<std::string> names = {
        "/m/abcdefghij/2", "/m/abcdefgh", "/m/b", "/m/abcdefghij/1", "/m/abcdefgh", "/m/a",
        "/m/abcdefg", std::string("/m/abcdefg\0", 11), "/m/abcdefghij/1", "/m/abcdefghi", "/m/",
        std::string("/m/abcdefgh\0x", 13), "/m/abcdefghij/10", "/m/B",
    };
    ExpectByteOrderWithTheFirstTrackOfEachName(names);
}

// The order is worked out from each folder's place among the folders: names of a folder
// that sort among its subfolders' names (before, between or after them, at any depth),
// names without a folder, empty names and bytes above 0x7F still come in plain byte order.
TEST(FileNameIndex, NamesAmongTheirFoldersSubfoldersComeInByteOrder) {
    // Every path of up to six bytes from a small alphabet that makes folders within
    // folders, drawn in a fixed order, some of them twice.
    const std::string alphabet = {'a', 'b', ' ', '/', char(0xE9)};
    std::vector<std::string> names;
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        for (int n = 1 + int(next() % 6); n > 0; --n) name += alphabet[next() % alphabet.size()];
        names.push_back(name);
    }
    ExpectByteOrderWithTheFirstTrackOfEachName(names);
}
