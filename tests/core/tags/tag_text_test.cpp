// A track keeps its title and the name of its file within the folder in one block, and the
// folder pooled: the whole name must still compare, order, hash and search as the one text
// it was (the file-name index and the list files are in byte order of whole names), and
// setting one text must leave the other as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/tags/audio_tag.h"
#include "core/tags/tag_text.h"

namespace tunecrest {
namespace {

TfileNameText Split(const std::string& whole) {
    const size_t slash = whole.rfind('/');
    const size_t cut = slash == std::string::npos ? 0 : slash + 1;
    return TfileNameText(std::string_view(whole).substr(0, cut), std::string_view(whole).substr(cut));
}

TEST(TfileNameText, OrdersAndComparesAsTheWholeNameByteForByte) {
    // Folders that are starts of one another, names that run past a folder's end, bytes
    // above 0x7F (which must order after "/" and after ASCII letters), names without folder.
    const std::vector<std::string> names = {
        "",         "a",        "/a",        "/a/",       "/a/b",     "/a/b/c",    "/a/bc",      "/a/b/\xC3\xA9",
        "/ab/c",    "/a b/c",   "/a-b/c",    "/A/b",      "/\xC3\xA9/a", "/a/b/c.mp3", "/a/b.mp3/c", "/a/b/C",
    };
    for (const std::string& a : names)
        for (const std::string& b : names) {
            const TfileNameText sa = Split(a), sb = Split(b);
            const int whole = a.compare(b);
            const int sign = whole < 0 ? -1 : whole > 0 ? 1 : 0;
            const int split = sa.compare(sb), mixed = sa.compare(std::string_view(b));
            EXPECT_EQ(split < 0 ? -1 : split > 0 ? 1 : 0, sign) << a << " against " << b;
            EXPECT_EQ(mixed < 0 ? -1 : mixed > 0 ? 1 : 0, sign) << a << " against " << b;
            EXPECT_EQ(sa == sb, a == b);
            EXPECT_EQ(sa < sb, a < b);
            EXPECT_EQ(sa.starts_with(b), a.starts_with(b)) << a << " starts with " << b;
            EXPECT_EQ(sa.ends_with(b), a.ends_with(b)) << a << " ends with " << b;
            if (a == b) EXPECT_EQ(TfileNameHash()(sa), TfileNameHash()(sb));
        }
    // The same whole name cut at another place is the same name.
    const TfileNameText cutEarly("/a/", "b/c"), cutLate("/a/b/", "c");
    EXPECT_EQ(cutEarly, cutLate);
    EXPECT_EQ(TfileNameHash()(cutEarly), TfileNameHash()(cutLate));
    EXPECT_EQ(cutLate.str(), "/a/b/c");
    EXPECT_EQ(cutLate[2], '/');
    EXPECT_EQ(cutLate[5], 'c');
}

TEST(TfileNameText, ATracksTitleAndFileNameAreSetEachWithoutTheOther) {
    TaudioTag tag;
    EXPECT_TRUE(tag.Title().empty());
    EXPECT_TRUE(tag.Filename().empty());
    EXPECT_STREQ(tag.Title().c_str(), "");

    tag.SetFilename("/music/Artist/Album/01 Song.mp3");
    EXPECT_EQ(tag.Filename(), "/music/Artist/Album/01 Song.mp3");
    EXPECT_EQ(tag.Filename().Folder(), "/music/Artist/Album/");
    EXPECT_EQ(tag.PathPart(), "/music/Artist/Album/");
    EXPECT_EQ(tag.FilePart(), "01 Song.mp3");
    EXPECT_TRUE(tag.Title().empty());

    tag.SetTitle("Bulles gel\xC3\xA9" "es");
    EXPECT_EQ(tag.Title(), "Bulles gel\xC3\xA9" "es");
    EXPECT_STREQ(tag.Title().c_str(), "Bulles gel\xC3\xA9" "es");  // followed by its zero byte
    EXPECT_EQ(tag.Filename(), "/music/Artist/Album/01 Song.mp3");

    // A name without a folder; a title set from the track's own text.
    tag.SetFilename("loose.wav");
    EXPECT_EQ(tag.Filename().Folder(), "");
    EXPECT_EQ(tag.Filename(), "loose.wav");
    tag.SetTitle(tag.Title());
    tag.SetTitle(tag.Title().substr(7));
    EXPECT_EQ(tag.Title(), "gel\xC3\xA9" "es");
    EXPECT_EQ(tag.Filename(), "loose.wav");

    // Both emptied, then a copy keeps both texts of the original.
    TaudioTag copy;
    tag.AssignTagInfo(copy);
    EXPECT_EQ(copy.Title(), tag.Title());
    EXPECT_EQ(copy.Filename(), tag.Filename());
    tag.SetTitle("");
    tag.SetFilename("");
    EXPECT_TRUE(tag.Title().empty());
    EXPECT_TRUE(tag.Filename().empty());
    EXPECT_EQ(copy.Filename(), "loose.wav");
}

}  // namespace
}  // namespace tunecrest
