#include "core/file_buffer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/safe_file.h"
#include "core/tag_list_files.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;

// Small files, files past the mapping threshold and empty files read back exactly;
// a FIFO, a folder and a missing file are refused with a reason, without blocking.
TEST(FileBuffer, ReadsRegularFilesWholeAndRefusesTheRest) {
    test::TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 131 % 251);
    const std::string small = "small file";
    ASSERT_TRUE(SafeWriteFile(dir.File("big"), big));
    ASSERT_TRUE(SafeWriteFile(dir.File("small"), small));
    ASSERT_TRUE(SafeWriteFile(dir.File("empty"), ""));
    TfileBuffer buffer;
    ASSERT_TRUE(buffer.Read(dir.File("big")));
    EXPECT_TRUE(buffer.Bytes() == big);
    ASSERT_TRUE(buffer.Read(dir.File("small")));
    EXPECT_EQ(buffer.Bytes(), small);
    ASSERT_TRUE(buffer.Read(dir.File("empty")));
    EXPECT_TRUE(buffer.Bytes().empty());
    std::string error;
    EXPECT_FALSE(buffer.Read(dir.File("big"), &error, 1024));
    EXPECT_NE(error.find("too large"), std::string::npos);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const char* name : {"fifo", "missing", ""}) {
        error.clear();
        EXPECT_FALSE(buffer.Read(name[0] ? dir.File(name) : dir.Path().string(), &error)) << name;
        EXPECT_EQ(error.rfind("Cannot read ", 0), 0u) << name;
        EXPECT_TRUE(buffer.Bytes().empty());
    }
}

// A library file large enough to be read through the mapped buffer loads every tag.
TEST(FileBuffer, LargeLibraryFileLoadsWhole) {
    test::TempDir dir;
    TaudioTagList list;
    list.BeginUpdate();
    for (int i = 0; i < 6000; ++i)
        list.Add(test::MakeLibraryTag("/music/some/long/folder/name/" + std::to_string(i) + " - a song title.mp3",
                                      "Artist " + std::to_string(i % 40), "Song " + std::to_string(i),
                                      "Album " + std::to_string(i % 300), "Rock", "1999", uint32_t(i % 12)));
    list.EndUpdate();
    ASSERT_TRUE(SaveTagListToFile(list, dir.File("jukebox.dat"), false));
    ASSERT_GT(std::filesystem::file_size(dir.File("jukebox.dat")), size_t(1) << 20);
    TaudioTagList back;
    ASSERT_TRUE(LoadTagListFromFile(back, dir.File("jukebox.dat"), false));
    ASSERT_EQ(back.Count(), 6000);
    EXPECT_EQ(back.GetTag(5999)->Filename(), list.GetTag(5999)->Filename());
    EXPECT_EQ(back.GetTag(5999)->StoredPosition(), 5999);
    TbyteWriter a, b;
    SaveTagListToStream(list, a);
    SaveTagListToStream(back, b);
    EXPECT_TRUE(a.Bytes() == b.Bytes());
}
