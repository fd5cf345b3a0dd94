// Tag-list, list-of-lists and index files: exact bytes, round trips, damage, re-rooting.
#include "core/tags/tag_list_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <zlib.h>

#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "support/foreign_records.h"
#include "support/temp_dir.h"

using namespace tunecrest;
using namespace std::string_literals;

namespace {

TaudioTagPtr TagFor(const std::string& file, const std::string& title = "") {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    tag->SetTitle(title);
    return tag;
}

// A list "Mix", active, random and loop, saved from /d/mix.uatl, holding one tag with
// only a file name (numbered 1 by the list).
std::unique_ptr<TaudioTagList> SampleList() {
    auto list = std::make_unique<TaudioTagList>();
    list->SetTitle("Mix");
    list->SetActive(true);
    list->SetPlayMode(ModeSet(lmRandom) | ModeSet(lmLoop));
    list->SetFilename("/d/mix.uatl");
    list->Add(TagFor("/m/x.mp3"));
    return list;
}

// Written by hand from the file layout.
const std::string kSampleListStream =
    "UATL"
    "\x03\x00\x00\x00" "Mix"
    "\x01"
    "\x03"
    "\x0B\x00\x00\x00" "/d/mix.uatl"
    "\x01\x00\x00\x00"
    "TPF0" "\x09" "TaudioTag" "\x00"
    "\x08" "Filename" "\x06\x08" "/m/x.mp3"
    "\x07" "TrackNo" "\x02\x00"
    "\x07" "GenreID" "\x03\xFF\x00"
    "\x07" "BitRate" "\x02\x00"
    "\x08" "Duration" "\x02\x00"
    "\x0A" "SampleRate" "\x02\x00"
    "\x08" "Channels" "\x02\x00"
    "\x07" "ModDate" "\x11\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x09" "MediaType" "\x02\x00"
    "\x04" "Data" "\x02\x00"
    "\x0A" "TrackIndex" "\x02\x01"
    "\x00\x00"s;

// Two empty lists "A" and "B", not active, the default play mode (loop).
const std::string kSampleListsStream =
    "UALL" "\x02\x00\x00\x00"
    "UATL" "\x01\x00\x00\x00" "A" "\x00" "\x02" "\x00\x00\x00\x00" "\x00\x00\x00\x00"
    "UATL" "\x01\x00\x00\x00" "B" "\x00" "\x02" "\x00\x00\x00\x00" "\x00\x00\x00\x00"s;

// A zlib stream of `head` and then `zeros` zero bytes, made without holding the zeros.
std::string DeflateWithZeros(const std::string& head, uint64_t zeros) {
    z_stream zs{};
    deflateInit(&zs, Z_BEST_SPEED);
    std::string out, chunk(1 << 20, '\0'), buffer(1 << 16, '\0');
    const auto feed = [&](const std::string& in, int flush) {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        zs.avail_in = uInt(in.size());
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
            zs.avail_out = uInt(buffer.size());
            deflate(&zs, flush);
            out.append(buffer.data(), buffer.size() - zs.avail_out);
        } while (zs.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (uint64_t done = 0; done < zeros; done += chunk.size()) feed(chunk, Z_NO_FLUSH);
    feed(std::string(), Z_FINISH);
    deflateEnd(&zs);
    return out;
}

std::string Slurp(const std::string& path) {
    std::string data;
    ReadFileBytes(path, data);
    return data;
}

}  // namespace

TEST(TagListFile, MatchesTheLayoutByteForByteAndReadsBack) {
    auto list = SampleList();
    TbyteWriter w;
    EXPECT_EQ(list->SaveToStream(w), int64_t(kSampleListStream.size()));
    EXPECT_EQ(w.Bytes(), kSampleListStream);

    TaudioTagList back;
    int modeEvents = 0, finished = 0, progress = 0;
    back.OnModeChanged = [&](TObject*) { ++modeEvents; };
    back.OnListProcessFinished = [&](TObject*) { ++finished; };
    back.OnListProcess = [&](TObject*, int, int, const TaudioTagPtr&) { ++progress; };
    TbyteReader r(kSampleListStream);
    std::string error;
    ASSERT_TRUE(back.LoadFromStream(r, false, "", &error)) << error;
    EXPECT_EQ(back.Title(), "Mix");
    EXPECT_TRUE(back.Active());
    EXPECT_EQ(back.PlayMode(), ModeSet(lmRandom) | ModeSet(lmLoop));
    EXPECT_EQ(modeEvents, 0);  // the play mode is stored without its event
    EXPECT_EQ(back.Filename(), "/d/mix.uatl");
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetTag(0)->Filename(), "/m/x.mp3");
    EXPECT_EQ(back.GetTag(0)->StoredPosition(), 0);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(progress, 1);
    EXPECT_EQ(back.UpdateCount(), 0);
}

TEST(TagListFile, EmptyListKeepsItsSettingsAndManyTagsKeepTheirPositions) {
    TaudioTagList list;
    list.SetTitle("Empty");
    list.SetPlayMode(ModeSet(lmResetOnActivate));
    TbyteWriter w;
    list.SaveToStream(w);
    TaudioTagList back;
    back.Add(TagFor("/old.mp3"));
    TbyteReader r(w.Bytes());
    ASSERT_TRUE(back.LoadFromStream(r, false, ""));
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(back.Title(), "Empty");
    EXPECT_EQ(back.PlayMode(), ModeSet(lmResetOnActivate));

    for (int i = 0; i < 25; ++i) list.Add(TagFor("/m/" + std::to_string(i) + ".mp3"));
    TbyteWriter w2;
    list.SaveToStream(w2);
    int progress = 0;
    back.OnListProcess = [&](TObject*, int index, int count, const TaudioTagPtr&) {
        EXPECT_EQ(index % 10, 0);
        EXPECT_EQ(count, 25);
        ++progress;
    };
    TbyteReader r2(w2.Bytes());
    ASSERT_TRUE(back.LoadFromStream(r2, true, ""));
    ASSERT_EQ(back.Count(), 25);
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(back.GetTag(24)->StoredPosition(), 24);
    EXPECT_EQ(back.GetTag(24)->Filename(), "/m/24.mp3");
}

// A plain list takes a file's tracks whole; it must number and stamp them as adding
// them one by one does, and a list of another kind still files each through its own Add.
TEST(TagListFile, LoadedTracksAreStampedAsAddingThemOneByOne) {
    TaudioTagList list;
    for (int i = 0; i < 25; ++i) list.Add(TagFor("/m/" + std::to_string(i) + ".mp3"));
    // Unnumbered tracks in the file (and one numbered far ahead) take the next numbers.
    for (int i : {0, 3, 4, 7, 9, 24}) list.GetTag(i)->SetTrackIndex(0);
    list.GetTag(6)->SetTrackIndex(40);
    TbyteWriter w;
    list.SaveToStream(w);

    TaudioTagList loaded;
    TbyteReader r(w.Bytes());
    ASSERT_TRUE(loaded.LoadFromStream(r, false, ""));
    TaudioTagList added;
    for (int i = 0; i < 25; ++i) {
        auto tag = TagFor(list.GetTag(i)->Filename().str());
        tag->SetTrackIndex(list.GetTag(i)->TrackIndex());
        added.Add(tag);
    }
    ASSERT_EQ(loaded.Count(), 25);
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(loaded.GetTag(i)->Filename(), added.GetTag(i)->Filename());
        EXPECT_EQ(loaded.GetTag(i)->TrackIndex(), added.GetTag(i)->TrackIndex());
        EXPECT_EQ(loaded.GetTag(i)->Sequence(), added.GetTag(i)->Sequence());
    }
    EXPECT_EQ(loaded.GetTag(0)->TrackIndex(), 1);
    EXPECT_EQ(loaded.GetTag(7)->TrackIndex(), 41);

    // The history keeps its last entries however many the file holds.
    TaudioTagList many;
    for (int i = 0; i <= TaudioTagHistoryList::kKeptEntries; ++i) many.Add(TagFor("/h/" + std::to_string(i) + ".mp3"));
    TbyteWriter hw;
    many.SaveToStream(hw);
    TaudioTagHistoryList history;
    TbyteReader hr(hw.Bytes());
    ASSERT_TRUE(history.LoadFromStream(hr, false, ""));
    ASSERT_EQ(history.Count(), TaudioTagHistoryList::kKeptEntries);
    EXPECT_EQ(history.GetTag(0)->Filename(), "/h/1.mp3");
}

TEST(TagListFile, EveryTruncationFailsCleanly) {
    for (size_t n = 0; n < kSampleListStream.size(); ++n) {
        TaudioTagList list;
        TbyteReader r(std::string_view(kSampleListStream).substr(0, n));
        std::string error;
        EXPECT_FALSE(list.LoadFromStream(r, false, "", &error)) << "prefix " << n;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(list.UpdateCount(), 0);
    }
    for (size_t n = 0; n < kSampleListsStream.size(); ++n) {
        std::vector<TaudioTagListPtr> lists;
        TbyteReader r(std::string_view(kSampleListsStream).substr(0, n));
        EXPECT_FALSE(LoadTagListsFromStream(r, lists)) << "prefix " << n;
    }
}

TEST(TagListFile, DamageKeepsTheTagsReadBeforeIt) {
    TaudioTagList list;
    for (int i = 0; i < 3; ++i) list.Add(TagFor("/m/" + std::to_string(i) + ".mp3", "T" + std::to_string(i)));
    TbyteWriter w;
    list.SaveToStream(w);
    std::string bytes = w.Bytes();
    // Turn the third record into one of a foreign class.
    const size_t third = bytes.find("TPF0", bytes.find("TPF0", bytes.find("TPF0") + 1) + 1);
    bytes.replace(third + 5, 9, "Tforeign!");
    TaudioTagList back;
    int finished = 0;
    back.OnListProcessFinished = [&](TObject*) { ++finished; };
    TbyteReader r(bytes);
    std::string error;
    // The foreign record is read past and reported: the list is still damaged.
    EXPECT_FALSE(back.LoadFromStream(r, false, "", &error));
    EXPECT_NE(error.find("1 record of another class skipped"), std::string::npos) << error;
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetTag(1)->Title(), "T1");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(back.UpdateCount(), 0);

    // A huge count with nothing behind it neither allocates nor loops long.
    const std::string hugeCount = "UATL\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00\xFF\xFF\xFF\x7F"s;
    TbyteReader hr(hugeCount);
    EXPECT_FALSE(back.LoadFromStream(hr, false, "", &error));
    const std::string wrongMagic = "XATL"s + kSampleListStream.substr(4);
    TbyteReader wr(wrongMagic);
    EXPECT_FALSE(back.LoadFromStream(wr, false, "", &error));
}

TEST(TagListFile, CompressedFilesInflateInMemory) {
    test::TempDir dir;
    const std::string name = dir.File("global.dat");
    auto list = SampleList();
    ASSERT_TRUE(list->SaveToFile(name, true));
    const std::string file = Slurp(name);
    ASSERT_GT(file.size(), 12u);
    EXPECT_EQ(file.substr(0, 4), "ZATL");
    EXPECT_EQ(file.substr(4, 2), "\x78\x01"s);  // zlib, fastest level
    TbyteReader trailer(std::string_view(file).substr(file.size() - 8));
    int64_t length = 0;
    trailer.ReadI64(length);
    EXPECT_EQ(length, int64_t(kSampleListStream.size()));
    EXPECT_EQ(list->StoredSize(), length);

    for (int round = 0; round < 2; ++round) {
        TaudioTagList back;
        ASSERT_TRUE(back.LoadFromFile(name, false));
        ASSERT_EQ(back.Count(), 1);
        EXPECT_EQ(back.StoredSize(), int64_t(file.size()));
    }
    // Nothing is left beside the list.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    // A lying stored length is not trusted for an allocation.
    std::string lying = file;
    lying.replace(lying.size() - 8, 8, "\x00\x00\x00\x00\x00\x00\x00\x40"s);
    ASSERT_TRUE(SafeWriteFile(name, lying));
    TaudioTagList back;
    EXPECT_TRUE(back.LoadFromFile(name, false));
    EXPECT_EQ(back.Count(), 1);

    // A corrupt stream is refused with a reason.
    std::string corrupt = file;
    for (size_t i = 8; i < corrupt.size() - 10; i += 3) corrupt[i] ^= 0x5A;
    ASSERT_TRUE(SafeWriteFile(name, corrupt));
    std::string error;
    EXPECT_FALSE(back.LoadFromFile(name, false, "", &error));
    EXPECT_NE(error.find("global.dat"), std::string::npos);
    for (size_t n = 0; n < file.size(); ++n) {
        std::string stream;
        EXPECT_FALSE(UnpackTagListFile(std::string_view(file).substr(0, n), stream)) << "prefix " << n;
    }

    // Plain files read too; a missing file gives an empty list and false.
    ASSERT_TRUE(list->SaveToFile(name, false));
    EXPECT_EQ(Slurp(name), kSampleListStream);
    EXPECT_TRUE(back.LoadFromFile(name, false));
    back.Add(TagFor("/x.mp3"));
    EXPECT_FALSE(back.LoadFromFile(dir.File("missing.dat"), false));
    EXPECT_EQ(back.Count(), 0);
}

TEST(TagListFile, CompressedBombsAndTrailingDataAreRefused) {
    test::TempDir dir;
    const std::string name = dir.File("global.dat");
    const std::string zeros(16 << 20, '\0');
    const auto zipped = [](std::string_view magic, const std::string& stream, int64_t stored, bool trailer) {
        TbyteWriter w;
        w.WriteBytes(magic);
        w.WriteBytes(ZlibCompressFast(stream));
        if (trailer) w.WriteI64(stored);
        return w.Bytes();
    };
    struct Tcase {
        std::string File;
        const char* Error;
    } cases[] = {
        // A small list, then megabytes of zeros the stored length does not count.
        {zipped("ZATL", kSampleListStream + zeros, int64_t(kSampleListStream.size()), true),
         "data after the last track"},
        // A stored length shorter than the records.
        {zipped("ZATL", kSampleListStream, int64_t(kSampleListStream.size()) - 10, true),
         "compressed data inflates beyond its stored length"},
        // The same with the zeros counted: read, and refused once the tracks are read.
        {zipped("ZATL", kSampleListStream + zeros, int64_t(kSampleListStream.size() + zeros.size()), true),
         "data after the last track"},
        // Bytes between the compressed stream and its stored length.
        {[&] {
             std::string file = zipped("ZATL", kSampleListStream, 0, false) + "junk";
             TbyteWriter w;
             w.WriteI64(int64_t(kSampleListStream.size()));
             return file + w.Bytes();
         }(),
         "data after the end of the compressed list"},
        {kSampleListStream + "junk", "data after the last track"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SafeWriteFile(name, c.File));
        TaudioTagList list;
        std::string error;
        EXPECT_FALSE(list.LoadFromFile(name, false, "", &error)) << c.Error;
        EXPECT_EQ(error, name + ": " + c.Error);
    }
    // Lists of lists: zeros after the last list, zipped or plain.
    for (const std::string& file : {zipped("ZALL", kSampleListsStream + zeros, 0, false), kSampleListsStream + "x"}) {
        ASSERT_TRUE(SafeWriteFile(name, file));
        std::vector<TaudioTagListPtr> lists;
        std::string error;
        EXPECT_FALSE(LoadTagListsFromFile(name, lists, &error));
        EXPECT_EQ(error, name + ": data after the last list");
    }
    // Far more padding than any list may inflate to: refused once the records are read,
    // without inflating the padding (that would end at the size limit with another error).
    const uint64_t padding = uint64_t(600) << 20;
    ASSERT_TRUE(SafeWriteFile(name, "ZATL" + DeflateWithZeros(kSampleListStream, padding) +
                                        [&] {
                                            TbyteWriter w;
                                            w.WriteI64(int64_t(kSampleListStream.size() + padding));
                                            return w.Bytes();
                                        }()));
    {
        TaudioTagList list;
        std::string error;
        EXPECT_FALSE(list.LoadFromFile(name, false, "", &error));
        EXPECT_EQ(error, name + ": data after the last track");
    }
    ASSERT_TRUE(SafeWriteFile(name, "ZALL" + DeflateWithZeros(kSampleListsStream, padding)));
    {
        std::vector<TaudioTagListPtr> lists;
        std::string error;
        EXPECT_FALSE(LoadTagListsFromFile(name, lists, &error));
        EXPECT_EQ(error, name + ": data after the last list");
    }
    // The exact forms still load.
    ASSERT_TRUE(SafeWriteFile(name, zipped("ZATL", kSampleListStream, int64_t(kSampleListStream.size()), true)));
    TaudioTagList list;
    EXPECT_TRUE(list.LoadFromFile(name, false));
    EXPECT_EQ(list.Count(), 1);
}

TEST(TagListFile, FailedWritesReportAndKeepThePreviousFile) {
    test::TempDir dir;
    auto list = SampleList();
    std::string error;
    EXPECT_FALSE(list->SaveToFile(dir.File("no/such/folder/list.dat"), false, &error));
    EXPECT_FALSE(error.empty());

    struct Tcapture : Tprompt {
        std::vector<std::string> Messages;
        void ShowMessage(const std::string& text, const std::string&) override { Messages.push_back(text); }
    };
    auto capture = std::make_shared<Tcapture>();
    auto previous = SetPrompt(capture);
    EXPECT_FALSE(list->SaveToFile("", false));
    EXPECT_FALSE(SaveTagListsToFile({}, "", false));
    SetPrompt(previous);
    EXPECT_EQ(capture->Messages, (std::vector<std::string>{"No File Supplied", "No File Supplied"}));

    // The target is a folder: the write fails and the folder is untouched.
    const std::string folder = dir.File("taken");
    std::filesystem::create_directory(folder);
    std::ofstream(folder + "/keep.txt") << "x";
    EXPECT_FALSE(list->SaveToFile(folder, false, &error));
    EXPECT_TRUE(std::filesystem::exists(folder + "/keep.txt"));
}

TEST(TagListFile, MountRootReplacesTheSharedMountFolder) {
    std::vector<TaudioTagPtr> tags = {TagFor("/media/olduser/DISC/a/x.mp3"), TagFor("/media/olduser/DISC/y.mp3"),
                                      TagFor(""), TagFor("http://radio.example/s")};
    RerootFileNames(tags, "/run/media/me/DISC 2/");
    EXPECT_EQ(tags[0]->Filename(), "/run/media/me/DISC 2/a/x.mp3");
    EXPECT_EQ(tags[1]->Filename(), "/run/media/me/DISC 2/y.mp3");
    EXPECT_EQ(tags[2]->Filename(), "");
    EXPECT_EQ(tags[3]->Filename(), "http://radio.example/s");

    // Every track in one folder of the disc: the folder below the mount stays.
    std::vector<TaudioTagPtr> one = {TagFor("/media/u/CD/Album/1.mp3"), TagFor("/media/u/CD/Album/2.mp3")};
    RerootFileNames(one, "/mnt/cd");
    EXPECT_EQ(one[0]->Filename(), "/mnt/cd/Album/1.mp3");

    // Lists written on a system with drive letters.
    std::vector<TaudioTagPtr> drive = {TagFor("E:\\Music\\x.mp3")};
    RerootFileNames(drive, "F:");
    EXPECT_EQ(drive[0]->Filename(), "F:\\Music\\x.mp3");
    RerootFileNames(drive, "/media/me/USB");
    EXPECT_EQ(drive[0]->Filename(), "/media/me/USB/Music/x.mp3");

    // Through the reader.
    TaudioTagList list;
    list.Add(TagFor("/media/a/OLD/s/1.mp3"));
    list.Add(TagFor("/media/a/OLD/t/2.mp3"));
    TbyteWriter w;
    list.SaveToStream(w);
    TaudioTagList back;
    TbyteReader r(w.Bytes());
    ASSERT_TRUE(back.LoadFromStream(r, false, "/media/b/NEW"));
    EXPECT_EQ(back.GetTag(1)->Filename(), "/media/b/NEW/t/2.mp3");
}

TEST(TrackIndex, MatchesTheLayoutAndSkipsPositionsOutsideTheMaster) {
    TaudioTagList master;
    for (int i = 0; i < 4; ++i) {
        master.Add(TagFor("/m/" + std::to_string(i) + ".mp3"));
        master.GetTag(i)->SetStoredPosition(i);
    }
    TaudioTagList album;
    album.Add(master.GetTag(2));
    album.Add(master.GetTag(0));
    TbyteWriter w;
    album.SaveIndexToStream(w);
    EXPECT_EQ(w.Bytes(), "IXTL" "\x02\x00\x00\x00" "\x02\x00\x00\x00" "\x00\x00\x00\x00"s);

    const std::string withBad = "IXTL" "\x03\x00\x00\x00" "\x01\x00\x00\x00" "\xF4\x01\x00\x00" "\x03\x00\x00\x00"s;
    TaudioTagList back;
    TbyteReader r(withBad);
    ASSERT_TRUE(back.LoadIndexFromStream(r, master));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetTag(0), master.GetTag(1));  // the same object
    EXPECT_EQ(back.GetTag(1), master.GetTag(3));

    // Cut short: the entries read stay; a wrong magic or short stream gives an empty list.
    std::string error;
    TbyteReader cut(std::string_view(withBad).substr(0, 14));
    EXPECT_FALSE(back.LoadIndexFromStream(cut, master, &error));
    EXPECT_EQ(back.Count(), 1);
    const std::string negative = "IXTL\xFF\xFF\xFF\xFF"s;
    TbyteReader nr(negative);
    EXPECT_FALSE(back.LoadIndexFromStream(nr, master, &error));
    EXPECT_EQ(back.Count(), 0);
    for (size_t n = 0; n < 8; ++n) {
        TbyteReader pr(std::string_view(withBad).substr(0, n));
        EXPECT_FALSE(back.LoadIndexFromStream(pr, master));
    }
}

TEST(ListOfLists, MatchesTheLayoutAndReadsBothForms) {
    auto a = std::make_shared<TaudioTagList>();
    a->SetTitle("A");
    auto b = std::make_shared<TaudioTagList>();
    b->SetTitle("B");
    TbyteWriter w;
    SaveTagListsToStream({a, b}, w);
    EXPECT_EQ(w.Bytes(), kSampleListsStream);

    test::TempDir dir;
    for (const bool compressed : {false, true}) {
        const std::string name = dir.File(compressed ? "z.dat" : "u.dat");
        b->Add(TagFor("/m/b.mp3"));
        ASSERT_TRUE(SaveTagListsToFile({a, b}, name, compressed));
        EXPECT_EQ(Slurp(name).substr(0, 4), compressed ? "ZALL" : "UALL");
        std::vector<TaudioTagListPtr> lists;
        ASSERT_TRUE(LoadTagListsFromFile(name, lists));
        ASSERT_EQ(lists.size(), 2u);
        EXPECT_EQ(lists[0]->Title(), "A");
        EXPECT_EQ(lists[1]->Count(), b->Count());
    }

    // No lists: empty and false. A damaged second list keeps the first and what it read.
    std::vector<TaudioTagListPtr> lists;
    const std::string none = "UALL\x00\x00\x00\x00"s;
    TbyteReader nr(none);
    EXPECT_FALSE(LoadTagListsFromStream(nr, lists));
    EXPECT_TRUE(lists.empty());
    TbyteWriter w2;
    SaveTagListsToStream({a, b}, w2);
    std::string damaged = w2.Bytes().substr(0, w2.Bytes().size() - 3);
    TbyteReader dr(damaged);
    std::string error;
    EXPECT_FALSE(LoadTagListsFromStream(dr, lists, &error));
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[1]->Title(), "B");
    EXPECT_EQ(lists[1]->Count(), b->Count() - 1);
    EXPECT_NE(error.find("list 1 of 2"), std::string::npos);
}

TEST(TagListFile, ARecordOfAnotherClassIsSkippedAndTheRestRead) {
    const std::string stream = test::ListWithForeignRecord(
        "Mixed", {TagFor("/m/1.mp3", "One")}, {TagFor("/m/2.mp3", "Two"), TagFor("/m/3.mp3", "Three")});
    TaudioTagList list;
    std::string error;
    TbyteReader r(stream);
    EXPECT_FALSE(list.LoadFromStream(r, false, "", &error)) << "still reported as damaged";
    EXPECT_NE(error.find("1 record of another class skipped"), std::string::npos) << error;
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetTag(2)->Title(), "Three");
    EXPECT_EQ(list.GetTag(1)->StoredPosition(), 1);  // its place in the list read
    EXPECT_EQ(r.Remaining(), 0u);

    TtagListHeader header;
    std::vector<TaudioTagPtr> tags;
    TbyteReader again(stream);
    EXPECT_FALSE(ReadTagListStream(again, header, tags));
    EXPECT_EQ(tags.size(), 3u);

    // In a list of lists the lists after it are read too.
    TbyteWriter w;
    w.WriteBytes("UALL");
    w.WriteI32(2);
    w.WriteBytes(stream);
    TaudioTagList last;
    last.SetTitle("Last");
    last.Add(TagFor("/m/4.mp3", "Four"));
    last.SaveToStream(w);
    std::vector<TaudioTagListPtr> lists;
    TbyteReader lr(w.Bytes());
    EXPECT_FALSE(LoadTagListsFromStream(lr, lists, &error));
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0]->Count(), 3);
    EXPECT_EQ(lists[1]->Title(), "Last");
    EXPECT_EQ(lists[1]->Count(), 1);

    // A foreign record cut short is damage that ends the read.
    const std::string cut = stream.substr(0, stream.find("TforeignChild") + 5);
    TbyteReader cr(cut);
    EXPECT_FALSE(list.LoadFromStream(cr, false, "", &error));
    EXPECT_EQ(list.Count(), 1);
}

TEST(TagListFile, CdListsAreReRootedAtTheirMountRootNeverBelowIt) {
    struct Tcase {
        std::string OldRoot;
        std::vector<std::string> Rest;  // names below the mount root
    };
    const std::vector<std::string> single = {"/Album/1.mp3", "/Album/2.mp3"};
    const std::vector<std::string> multi = {"/Album A/1.mp3", "/Album B/Disc 1/2.mp3"};
    const std::vector<Tcase> cases = {
        {"/media/cdrom0", single},
        {"/media/cdrom0", multi},
        {"/media/me/MY DISC", single},
        {"/media/me/MY DISC", multi},
        {"/run/media/me/LABEL", single},
        {"/run/media/me/LABEL", multi},
        {"/mnt/disc", single},
        {"/mnt/disc", multi},
        {"/cdrom", single},
        {"/cdrom", multi},
        {"/srv/jukebox/discs/drive1", single},
        {"/srv/jukebox/discs/drive1", multi},
    };
    test::TempDir dir;
    for (const Tcase& c : cases) {
        for (const std::string newRoot : {"/media/cdrom1/", "/run/media/other/NEW LABEL"}) {
            TaudioTagList list;
            for (const auto& rest : c.Rest) list.Add(TagFor(c.OldRoot + rest));
            list.Add(TagFor("http://radio.example/s"));
            const std::string file = dir.File("cd.dat");
            ASSERT_TRUE(SaveCDListToFile(list, c.OldRoot + "/", file));
            TaudioTagList back;
            ASSERT_TRUE(back.LoadFromFile(file, false, newRoot));
            const std::string expectedRoot =
                newRoot.back() == '/' ? newRoot.substr(0, newRoot.size() - 1) : newRoot;
            for (size_t i = 0; i < c.Rest.size(); ++i)
                EXPECT_EQ(back.GetTag(int(i))->Filename(), expectedRoot + c.Rest[i])
                    << "stored root " << c.OldRoot;
            EXPECT_EQ(back.GetTag(int(c.Rest.size()))->Filename(), "http://radio.example/s");

            // Lists written without a stored root: the usual layouts are guessed (a
            // custom mount point cannot be told from its folders).
            if (c.OldRoot.starts_with("/srv/")) continue;
            std::vector<TaudioTagPtr> tags;
            for (const auto& rest : c.Rest) tags.push_back(TagFor(c.OldRoot + rest));
            RerootFileNames(tags, newRoot);
            for (size_t i = 0; i < c.Rest.size(); ++i)
                EXPECT_EQ(tags[i]->Filename(), expectedRoot + c.Rest[i]) << "guessed from " << c.OldRoot;
        }
    }

    // Names written with drive letters lose the letter, whatever the stored root.
    TaudioTagList drive;
    drive.Add(TagFor("E:\\Album\\1.mp3"));
    drive.Add(TagFor("E:\\Album\\2.mp3"));
    const std::string file = dir.File("drive.dat");
    ASSERT_TRUE(SaveTagListToFile(drive, file, false));
    TaudioTagList back;
    ASSERT_TRUE(back.LoadFromFile(file, false, "/media/cdrom0/"));
    EXPECT_EQ(back.GetTag(1)->Filename(), "/media/cdrom0/Album/2.mp3");
    ASSERT_TRUE(back.LoadFromFile(file, false, "F:"));
    EXPECT_EQ(back.GetTag(0)->Filename(), "F:\\Album\\1.mp3");

    // A stored root that does not hold the names is not used.
    std::vector<TaudioTagPtr> other = {TagFor("/mnt/cd/Album/1.mp3")};
    RerootFileNames(other, "/media/x", "/elsewhere/");
    EXPECT_EQ(other[0]->Filename(), "/media/x/Album/1.mp3");
}
