// Large tag lists read on several threads: the tags, the damage reported, the tags kept
// before it and the reader's place are exactly those of a read one record at a time.
#include "core/tags/tag_records_parallel.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tag_stream.h"
#include "support/foreign_records.h"
#include "support/temp_dir.h"

using namespace tunecrest;
using namespace std::string_literals;

namespace {

// Sets the limits for one test and puts the previous ones back.
class TlimitsScope {
public:
    explicit TlimitsScope(const TparallelReadLimits& limits) : Fprevious(ParallelReadLimits()) {
        SetParallelReadLimits(limits);
    }
    ~TlimitsScope() { SetParallelReadLimits(Fprevious); }

private:
    TparallelReadLimits Fprevious;
};

// Four threads and pieces of at least 100 records: small lists take the parallel road.
constexpr TparallelReadLimits kForced{0, 100, 4};
constexpr TparallelReadLimits kSequential{INT32_MAX, 100, 4};
constexpr int kCount = 2000;

// Tags with every kind of value: long and non-ASCII texts, extra fields, dates.
std::vector<TaudioTagPtr> MakeTags(int n, int first = 0, const std::string& comment = "") {
    std::vector<TaudioTagPtr> tags;
    for (int i = first; i < first + n; ++i) {
        auto tag = std::make_shared<TaudioTag>();
        const std::string artist = "Artist " + std::to_string(i % 97) + (i % 13 == 0 ? " Ünïcödé" : "");
        const std::string album = "Album " + std::to_string(i % 211);
        tag->SetFilename("/music/" + artist + "/" + album + "/" + std::to_string(i) + " Track.mp3");
        tag->SetArtist(artist);
        tag->SetTitle(i % 101 == 0 ? std::string(300 + i % 50, 't') : "Title " + std::to_string(i));
        tag->SetAlbum(album);
        tag->SetComment(!comment.empty() ? comment : i % 7 == 0 ? "Comment " + std::to_string(i) : "");
        tag->SetTrackNo(uint32_t(i % 20 + 1));
        tag->SetDate(std::to_string(1950 + i % 50));
        tag->SetGenreID(uint32_t(i % 80));
        tag->SetGenreString(i % 3 == 0 ? "Rock" : "Jazz");
        tag->SetBitRate(uint32_t(128 + i % 5 * 64));
        tag->SetDuration(uint32_t(100 + i % 400));
        tag->SetSampleRate(i % 2 ? 44100 : 48000);
        tag->SetChannels(2);
        tag->SetTagType("ID3v2");
        tag->SetModDate(40000 + i * 0.25);
        tag->SetMediaType(1);
        tag->SetData(uint32_t(i * 3));
        if (i % 50 == 0) {
            tag->ExtraFields().Add("Mood=Calm");
            tag->ExtraFields().Add("Rating=" + std::to_string(i % 5));
        }
        tag->SetTrackIndex(i + 1);
        tags.push_back(tag);
    }
    return tags;
}

std::string ListStream(const std::vector<TaudioTagPtr>& tags, const std::string& title = "Big") {
    TtagListHeader header;
    header.Title = title;
    TbyteWriter w;
    WriteTagListStream(header, tags, w);
    return w.Bytes();
}

// The stream with its count of records set to `count`.
std::string WithCount(std::string bytes, int32_t count) {
    TbyteWriter w;
    w.WriteI32(count);
    bytes.replace(bytes.find("TPF0") - 4, 4, w.Bytes());
    return bytes;
}

std::string RecordBytes(const TaudioTag& tag) {
    TbyteWriter w;
    WriteAudioTagRecord(w, tag);
    return w.Bytes();
}

// Where each tag record of `bytes` begins (none of these texts holds a record's start).
std::vector<size_t> RecordStarts(const std::string& bytes) {
    std::vector<size_t> starts;
    for (size_t at = bytes.find("TPF0"); at != std::string::npos; at = bytes.find("TPF0", at + 1)) starts.push_back(at);
    return starts;
}

struct Tread {
    bool Ok = false;
    std::string Error;
    std::vector<std::string> Records;  // every stored field of each tag, as written
    std::vector<int32_t> Positions;
    size_t ReaderAt = 0;
};

// Reads the "UATL" stream at `start` with ReadTagListStream after a tag already held.
Tread ReadWith(const TparallelReadLimits& limits, const std::string& bytes, size_t start = 0) {
    TlimitsScope scope(limits);
    TbyteReader r(bytes);
    r.Seek(start);
    Tread out;
    TtagListHeader header;
    std::vector<TaudioTagPtr> tags = MakeTags(1, 99999);
    tags[0]->SetStoredPosition(0);
    out.Ok = ReadTagListStream(r, header, tags, &out.Error);
    for (const auto& tag : tags) {
        out.Records.push_back(RecordBytes(*tag));
        out.Positions.push_back(tag->StoredPosition());
    }
    out.ReaderAt = r.Position();
    return out;
}

void ExpectSameAsSequential(const std::string& bytes, size_t start = 0) {
    const Tread sequential = ReadWith(kSequential, bytes, start);
    const Tread parallel = ReadWith(kForced, bytes, start);
    EXPECT_EQ(parallel.Ok, sequential.Ok);
    EXPECT_EQ(parallel.Error, sequential.Error);
    ASSERT_EQ(parallel.Records.size(), sequential.Records.size());
    for (size_t i = 0; i < sequential.Records.size(); ++i) {
        ASSERT_EQ(parallel.Records[i], sequential.Records[i]) << "tag " << i;
        ASSERT_EQ(parallel.Positions[i], int32_t(i)) << "tag " << i;
        ASSERT_EQ(sequential.Positions[i], int32_t(i)) << "tag " << i;
    }
    EXPECT_EQ(parallel.ReaderAt, sequential.ReaderAt);
}

// How many records of the list at `start` the threads read, forced to split; when none,
// the reader and the tags are as they were.
size_t ReadInParallel(const std::string& bytes, int32_t count, size_t start = 0) {
    TlimitsScope scope(kForced);
    const size_t records = bytes.find("TPF0", start);
    TbyteReader r(bytes);
    r.Seek(records);
    std::vector<TaudioTagPtr> tags;
    TparallelTagReader reader(count);
    const size_t read = reader.Read(r, size_t(count), tags);
    EXPECT_EQ(tags.size(), read);
    if (read == 0) {
        EXPECT_EQ(r.Position(), records);
    }
    return read;
}

TEST(ParallelTagRead, ALargeListReadsAsTheSequentialReadFieldByField) {
    const auto tags = MakeTags(kCount);
    const std::string bytes = ListStream(tags);
    EXPECT_EQ(ReadInParallel(bytes, kCount), size_t(kCount));
    ExpectSameAsSequential(bytes);
    const Tread parallel = ReadWith(kForced, bytes);
    EXPECT_TRUE(parallel.Ok);
    ASSERT_EQ(parallel.Records.size(), size_t(kCount + 1));
    EXPECT_EQ(parallel.Records[kCount], RecordBytes(*tags.back()));
    EXPECT_EQ(parallel.ReaderAt, bytes.size());

    // One thread to read with, or fewer records than the limit: read as before.
    {
        TlimitsScope scope({0, 100, 1});
        EXPECT_FALSE(TparallelTagReader(kCount).Enabled());
        SetParallelReadLimits({kCount + 1, 100, 4});
        EXPECT_FALSE(TparallelTagReader(kCount).Enabled());
        SetParallelReadLimits({kCount, 100, 4});
        EXPECT_TRUE(TparallelTagReader(kCount).Enabled());
    }

    // Through the file: the list gets the same tags, numbered and reported alike.
    test::TempDir dir;
    const std::string file = dir.File("big.uatl");
    ASSERT_TRUE(SafeWriteFile(file, bytes));
    const auto load = [&](const TparallelReadLimits& limits, int& reports) {
        TlimitsScope scope(limits);
        auto list = std::make_unique<TaudioTagList>();
        list->OnListProcess = [&](TObject*, int, int, const TaudioTagPtr&) { ++reports; };
        EXPECT_TRUE(list->LoadFromFile(file, false));
        return list;
    };
    int sequentialReports = 0, parallelReports = 0;
    const auto sequential = load(kSequential, sequentialReports);
    const auto parallelList = load(kForced, parallelReports);
    EXPECT_EQ(parallelReports, sequentialReports);
    ASSERT_EQ(parallelList->Count(), kCount);
    for (int i = 0; i < kCount; ++i) {
        const TaudioTag& a = *parallelList->GetTag(i);
        const TaudioTag& b = *sequential->GetTag(i);
        ASSERT_EQ(RecordBytes(a), RecordBytes(b)) << i;
        ASSERT_EQ(a.StoredPosition(), i);
        ASSERT_EQ(a.Sequence(), b.Sequence());
    }
}

TEST(ParallelTagRead, DamageGivesTheSequentialErrorAndKeepsTheSameTags) {
    const std::string good = ListStream(MakeTags(kCount));
    const auto starts = RecordStarts(good);
    ASSERT_EQ(starts.size(), size_t(kCount));
    // In the records read before the data is cut, later in the first piece, in the
    // middle, in the last piece and in the very last record.
    for (const int index : {3, kCount * 3 / 16, kCount / 2, kCount * 7 / 8, kCount - 1}) {
        SCOPED_TRACE(index);
        // A value of a type the format does not have.
        std::string bytes = good;
        const size_t trackNo = bytes.find("\x07TrackNo", starts[size_t(index)]);
        bytes[trackNo + 8] = '\x63';
        EXPECT_EQ(ReadInParallel(bytes, kCount), size_t(index)) << "the records before the damage";
        ExpectSameAsSequential(bytes);
        EXPECT_EQ(ReadWith(kForced, bytes).Error,
                  "tag " + std::to_string(index) + " of " + std::to_string(kCount) +
                      ": unsupported value type 99 in component record");
        EXPECT_EQ(ReadWith(kForced, bytes).Records.size(), size_t(index + 1));

        // A record without its signature.
        bytes = good;
        bytes[starts[size_t(index)] + 1] = 'X';
        EXPECT_EQ(ReadInParallel(bytes, kCount), size_t(index));
        ExpectSameAsSequential(bytes);

        // The data cut short inside the record.
        bytes = good.substr(0, starts[size_t(index)] + 40);
        EXPECT_EQ(ReadInParallel(bytes, kCount), size_t(index));
        ExpectSameAsSequential(bytes);
    }
    // A count larger than the records held.
    const std::string more = WithCount(good, kCount + 1);
    ExpectSameAsSequential(more);
    EXPECT_EQ(ReadWith(kForced, more).Error, "tag " + std::to_string(kCount) + " of " + std::to_string(kCount + 1) +
                                                 ": truncated component record");
}

TEST(ParallelTagRead, ARecordOfAnotherClassInAMiddlePieceIsSkippedAsBefore) {
    const std::string bytes = test::ListWithForeignRecord("Mixed", MakeTags(kCount / 2), MakeTags(kCount / 2, kCount));
    EXPECT_EQ(ReadInParallel(bytes, kCount + 1), size_t(kCount / 2));
    ExpectSameAsSequential(bytes);
    const Tread parallel = ReadWith(kForced, bytes);
    EXPECT_EQ(parallel.Error, "1 record of another class skipped");
    EXPECT_EQ(parallel.Records.size(), size_t(kCount + 1));
    EXPECT_EQ(parallel.ReaderAt, bytes.size());
}

TEST(ParallelTagRead, TheReaderStopsWhereTheListEnds) {
    // Lists of lists: each list read where the one before it ended.
    const auto lists = [](const TparallelReadLimits& limits, const std::string& bytes) {
        TlimitsScope scope(limits);
        std::vector<TaudioTagListPtr> read;
        TbyteReader r(bytes);
        std::string error;
        EXPECT_TRUE(LoadTagListsFromStream(r, read, &error)) << error;
        EXPECT_TRUE(r.AtEnd());
        std::vector<std::string> out;
        for (const auto& list : read) {
            out.push_back(list->Title());
            for (const auto& tag : list->Items()) out.push_back(RecordBytes(*tag));
        }
        return out;
    };
    TbyteWriter w;
    w.WriteBytes("UALL");
    w.WriteI32(3);
    w.WriteBytes(ListStream(MakeTags(1500), "First"));
    w.WriteBytes(ListStream(MakeTags(10, 5000), "Small"));
    // Longer records than the first list's, then a list of short ones.
    w.WriteBytes(ListStream(MakeTags(1200, 0, std::string(400, 'c')), "Third"));
    const std::string listOfLists = w.Bytes();
    const auto sequential = lists(kSequential, listOfLists);
    EXPECT_EQ(lists(kForced, listOfLists), sequential);
    ASSERT_EQ(sequential.size(), 3u + 1500 + 10 + 1200);
    EXPECT_EQ(ReadInParallel(listOfLists, 1500, 8), 1500u);

    // A count smaller than the tag records that follow: the read stops after the
    // counted ones, before records that belong to what comes next.
    constexpr int kCounted = kCount * 9 / 10;
    std::string shortCount = WithCount(ListStream(MakeTags(kCount)), kCounted);
    shortCount += ListStream(MakeTags(5, 7000), "Next");
    EXPECT_EQ(ReadInParallel(shortCount, kCounted), size_t(kCounted));
    ExpectSameAsSequential(shortCount);
    const Tread parallel = ReadWith(kForced, shortCount);
    EXPECT_TRUE(parallel.Ok);
    EXPECT_EQ(parallel.ReaderAt, RecordStarts(shortCount)[kCounted]);
    // And the stream after it reads from there.
    TbyteReader r(shortCount);
    r.Seek(parallel.ReaderAt);
    TtagListHeader header;
    std::vector<TaudioTagPtr> tags;
    EXPECT_FALSE(ReadTagListStream(r, header, tags)) << "tag records where a list begins";
    r.Seek(shortCount.find("UATL", 4));
    EXPECT_TRUE(ReadTagListStream(r, header, tags));
    EXPECT_EQ(header.Title, "Next");
}

TEST(ParallelTagRead, AFileReadAWindowAtATimeIsReadAsBefore) {
    // Larger than the window a library file is read through: the threads read each
    // window's records, the record cut by the window's end is read as the window slides.
    test::TempDir dir;
    const std::string file = dir.File("big.uatl");
    const std::string good = ListStream(MakeTags(3000, 0, std::string(1500, 'c')));
    ASSERT_GT(good.size(), size_t(4) << 20);
    const auto load = [&](const TparallelReadLimits& limits, std::string& error) {
        TlimitsScope scope(limits);
        auto list = std::make_unique<TaudioTagList>();
        const bool ok = list->LoadFromFile(file, false, "", &error);
        std::vector<std::string> out{ok ? "ok" : "failed"};
        for (const auto& tag : list->Items()) out.push_back(RecordBytes(*tag) + std::to_string(tag->StoredPosition()));
        return out;
    };
    std::string bytes = good;
    for (int damaged = 0; damaged < 2; ++damaged) {
        SCOPED_TRACE(damaged);
        ASSERT_TRUE(SafeWriteFile(file, bytes));
        std::string sequentialError, parallelError;
        const auto sequential = load(kSequential, sequentialError);
        EXPECT_EQ(load(kForced, parallelError), sequential);
        EXPECT_EQ(parallelError, sequentialError);
        EXPECT_EQ(sequential.size(), damaged ? 2901u : 3001u);
        // A record in the second window damaged.
        const size_t trackNo = bytes.find("\x07TrackNo", RecordStarts(bytes)[2900]);
        bytes[trackNo + 8] = '\x63';
    }
}

TEST(ParallelTagRead, RecordStartsInsideTextsAreNotTakenForRecords) {
    // Every comment holds what looks like a record's start, and a whole record: the
    // guessed starts land in texts, the pieces before them do not end there, and the
    // list is read as before.
    TbyteWriter inner;
    WriteAudioTagRecord(inner, *MakeTags(1, 424242)[0]);
    const std::string comment = std::string(600, 'x') + "TPF0\x09TaudioTag\x00"s + std::string(50, 'y') + inner.Bytes();
    const std::string bytes = ListStream(MakeTags(kCount, 0, comment));
    EXPECT_LT(ReadInParallel(bytes, kCount), size_t(kCount)) << "a piece before a guess ran past it";
    ExpectSameAsSequential(bytes);
    const Tread parallel = ReadWith(kForced, bytes);
    EXPECT_TRUE(parallel.Ok);
    EXPECT_EQ(parallel.Records.size(), size_t(kCount + 1));
}

size_t ThreadsNow() {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) n += entry.is_directory();
    return n;
}

// The threads start with the first data that splits into pieces: a damaged or hostile file
// whose count claims a million records but holds three is read on the calling thread.
TEST(ParallelTagRead, AFileThatOnlyClaimsManyRecordsStartsNoThreads) {
    TlimitsScope scope(kForced);
    const size_t before = ThreadsNow();
    {
        const std::string bytes = WithCount(ListStream(MakeTags(3)), 1000000);
        TbyteReader r(bytes);
        r.Seek(bytes.find("TPF0"));
        std::vector<TaudioTagPtr> tags;
        TparallelTagReader reader(1000000);
        ASSERT_TRUE(reader.Enabled());
        reader.Read(r, 1000000, tags);
        EXPECT_EQ(ThreadsNow(), before);
    }
    const std::string bytes = ListStream(MakeTags(kCount));
    TbyteReader r(bytes);
    r.Seek(bytes.find("TPF0"));
    std::vector<TaudioTagPtr> tags;
    TparallelTagReader reader(kCount);
    EXPECT_EQ(reader.Read(r, kCount, tags), size_t(kCount));
    EXPECT_EQ(ThreadsNow(), before + kForced.Threads - 1) << "a list that splits is read on every thread";
}

}  // namespace
