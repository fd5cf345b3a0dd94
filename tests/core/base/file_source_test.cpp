#include "core/base/file_source.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 131 % 251);
    return bytes;
}
}  // namespace

// The window slides past what the reader no longer needs, grows when one record fills
// it, and hands every byte of the file over exactly once; the rest of a file can be
// taken whole. A FIFO, a folder, a missing and a too large file are refused with a
// reason, without blocking.
TEST(FileSource, WindowSlidesGrowsAndRefusesWhatIsNoFile) {
    test::TempDir dir;
    const std::string bytes = Pattern(1000);
    ASSERT_TRUE(SafeWriteFile(dir.File("data"), bytes));
    {
        TfileSource file(64);
        ASSERT_TRUE(file.Open(dir.File("data")));
        EXPECT_EQ(file.Size(), 1000u);
        EXPECT_EQ(file.Data(), std::string_view(bytes).substr(0, 64));
        EXPECT_EQ(file.Unread(), 936u);
        // Bytes from 40 on are still needed: they move to the front.
        size_t keep = 40;
        ASSERT_TRUE(file.More(keep));
        EXPECT_EQ(keep, 0u);
        EXPECT_EQ(file.Data(), std::string_view(bytes).substr(40, 64));
        // A window full of one record: it grows and keeps all of it.
        keep = 0;
        ASSERT_TRUE(file.More(keep));
        EXPECT_EQ(keep, 0u);
        EXPECT_EQ(file.Data(), std::string_view(bytes).substr(40, 128));
        // Everything taken: the rest comes a window at a time.
        std::string seen(file.Data());
        size_t taken = file.Data().size();
        while (file.More(taken)) {
            seen += file.Data();
            taken = file.Data().size();
        }
        EXPECT_EQ(seen, bytes.substr(40));
        EXPECT_TRUE(file.Exhausted());
        EXPECT_EQ(file.Unread(), 0u);
    }
    {
        TfileSource file(64);
        ASSERT_TRUE(file.Open(dir.File("data")));
        std::string rest;
        ASSERT_TRUE(file.ReadRest(10, rest));
        EXPECT_EQ(rest, bytes.substr(10));
        EXPECT_TRUE(file.Exhausted());
    }
    ASSERT_TRUE(SafeWriteFile(dir.File("empty"), ""));
    TfileSource empty;
    ASSERT_TRUE(empty.Open(dir.File("empty")));
    EXPECT_TRUE(empty.Data().empty());
    EXPECT_TRUE(empty.Exhausted());
    size_t keep = 0;
    EXPECT_FALSE(empty.More(keep));

    std::string error;
    TfileSource tooLarge;
    EXPECT_FALSE(tooLarge.Open(dir.File("data"), &error, 999));
    EXPECT_NE(error.find("too large"), std::string::npos);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const char* name : {"fifo", "missing", ""}) {
        error.clear();
        TfileSource file;
        EXPECT_FALSE(file.Open(name[0] ? dir.File(name) : dir.Path().string(), &error)) << name;
        EXPECT_EQ(error.rfind("Cannot read ", 0), 0u) << name;
        EXPECT_TRUE(file.Data().empty());
    }
}

namespace {
// A library file several windows long (the window is 4 MB).
TaudioTagList& BigLibrary() {
    static TaudioTagList* list = [] {
        auto* made = new TaudioTagList;
        made->SetOwnsObjects(true);
        made->BeginUpdate();
        const std::string folder = "/music/" + std::string(200, 'f') + "/";
        for (int i = 0; i < 16000; ++i)
            made->Add(test::MakeLibraryTag(folder + std::to_string(i) + " - a song title.mp3",
                                           "Artist " + std::to_string(i % 40), "Song " + std::to_string(i),
                                           "Album " + std::to_string(i % 300), "Rock", "1999", uint32_t(i % 12)));
        made->EndUpdate();
        return made;
    }();
    return *list;
}
}  // namespace

// A library file longer than the read window loads every tag, and byte for byte as
// the stream was written; records cross the window's edges.
// A window of its own memory (from 256 KB): it slides, grows to twice its size for one
// record that fills it, and hands over every byte as a small window does.
TEST(FileSource, LargeWindowSlidesAndGrowsInItsOwnMemory) {
    test::TempDir dir;
    const std::string bytes = Pattern(1500000);
    ASSERT_TRUE(SafeWriteFile(dir.File("data"), bytes));
    TfileSource file(300000);
    ASSERT_TRUE(file.Open(dir.File("data")));
    EXPECT_EQ(file.Data(), std::string_view(bytes).substr(0, 300000));
    size_t keep = 0;
    ASSERT_TRUE(file.More(keep));
    EXPECT_EQ(file.Data(), std::string_view(bytes).substr(0, 600000));
    keep = 100000;
    ASSERT_TRUE(file.More(keep));
    EXPECT_EQ(file.Data(), std::string_view(bytes).substr(100000, 600000));
    std::string seen(file.Data());
    size_t taken = file.Data().size();
    while (file.More(taken)) {
        seen += file.Data();
        taken = file.Data().size();
    }
    EXPECT_TRUE(seen == bytes.substr(100000));
    EXPECT_TRUE(file.Exhausted());
}

// Memory of its own in whole large pages: the size rounded up, aligned, every byte usable.
TEST(FileSource, LargeBlocksComeInWholeAlignedLargePages) {
    constexpr size_t kLarge = size_t(2) << 20;
    for (const size_t asked : {size_t(1), size_t(300000), kLarge, kLarge + 1}) {
        size_t size = asked;
        char* block = MapLargeBlock(size);
        ASSERT_NE(block, nullptr) << asked;
        EXPECT_EQ(size, (asked + kLarge - 1) / kLarge * kLarge);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kLarge, 0u);
        block[0] = 1;
        block[size - 1] = 2;
        EXPECT_EQ(block[0] + block[size - 1], 3);
        UnmapLargeBlock(block, size);
    }
    UnmapLargeBlock(nullptr, 0);  // nothing to give back
}

// While a reuse lives, a block given back serves the next ones from its pages as they
// were left; when it ends, what was kept goes back to the system.
TEST(FileSource, BlocksGivenBackDuringAReuseServeTheNextOnes) {
    constexpr size_t kLarge = size_t(2) << 20;
    char* first = nullptr;
    {
        const TlargeBlockReuse reuse;
        size_t size = 2 * kLarge;
        first = MapLargeBlock(size);
        ASSERT_NE(first, nullptr);
        std::memset(first, 7, size);
        UnmapLargeBlock(first, size);

        size_t small = 300000;
        char* a = MapLargeBlock(small);
        EXPECT_EQ(a, first);
        EXPECT_EQ(small, kLarge);
        EXPECT_EQ(a[kLarge - 1], 7);
        size_t next = kLarge;
        char* b = MapLargeBlock(next);
        EXPECT_EQ(b, first + kLarge);
        // Nothing is kept now: another block is mapped anew.
        size_t more = kLarge;
        char* c = MapLargeBlock(more);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c + kLarge <= first || c >= first + 2 * kLarge);
        c[0] = 1;
        UnmapLargeBlock(a, small);
        UnmapLargeBlock(b, next);
        UnmapLargeBlock(c, more);
    }
    unsigned char resident[1];
    EXPECT_EQ(mincore(first, 4096, resident), -1);
    EXPECT_EQ(errno, ENOMEM);
}

TEST(FileSource, LibraryFileLongerThanTheWindowLoadsWhole) {
    test::TempDir dir;
    TaudioTagList& list = BigLibrary();
    ASSERT_TRUE(SaveTagListToFile(list, dir.File("jukebox.dat"), false));
    ASSERT_GT(std::filesystem::file_size(dir.File("jukebox.dat")), uintmax_t(6) << 20);
    TaudioTagList back;
    back.SetOwnsObjects(true);
    ASSERT_TRUE(LoadTagListFromFile(back, dir.File("jukebox.dat"), false));
    ASSERT_EQ(back.Count(), list.Count());
    EXPECT_EQ(back.GetTag(15999)->StoredPosition(), 15999);
    EXPECT_EQ(back.StoredSize(), int64_t(std::filesystem::file_size(dir.File("jukebox.dat"))));
    TbyteWriter a, b;
    SaveTagListToStream(list, a);
    SaveTagListToStream(back, b);
    EXPECT_TRUE(a.Bytes() == b.Bytes());
}

// Damage past the first window reads as it does from the whole file in memory: the
// same reason, and the tags before the damage kept; bytes after the last track are
// found even when they start in a later window.
TEST(FileSource, DamageInALaterWindowReadsAsFromTheWholeFile) {
    test::TempDir dir;
    TbyteWriter w;
    SaveTagListToStream(BigLibrary(), w);
    const std::string whole = w.Bytes();
    const auto expectSameAsWhole = [&](const std::string& bytes, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(SafeWriteFile(dir.File("jukebox.dat"), bytes));
        TaudioTagList fromFile, fromBytes;
        fromFile.SetOwnsObjects(true);
        fromBytes.SetOwnsObjects(true);
        std::string fileError, bytesError;
        EXPECT_FALSE(LoadTagListFromFile(fromFile, dir.File("jukebox.dat"), false, "", &fileError));
        EXPECT_FALSE(LoadTagListFromFileBytes(fromBytes, bytes, "", &bytesError));
        EXPECT_EQ(fileError, dir.File("jukebox.dat") + ": " + bytesError);
        EXPECT_EQ(fromFile.Count(), fromBytes.Count());
        return fromFile.Count();
    };
    // Cut in the middle of a record some 6 MB in.
    EXPECT_GT(expectSameAsWhole(whole.substr(0, (size_t(6) << 20) + 101), "cut short"), 0);
    // A property name no tag has, in a record past the first window.
    std::string renamed = whole;
    const size_t at = renamed.find("TrackNo", size_t(5) << 20);
    ASSERT_NE(at, std::string::npos);
    renamed.replace(at, 7, "TrackNa");
    EXPECT_GT(expectSameAsWhole(renamed, "unknown property"), 0);
    EXPECT_EQ(expectSameAsWhole(whole + "extra", "data after the last track"), BigLibrary().Count());
}
