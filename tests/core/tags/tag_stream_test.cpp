// The component record of one tag: exact bytes, reading back, damage.
#include <gtest/gtest.h>

#include "core/tags/tag_stream.h"

using namespace tunecrest;
using namespace std::string_literals;

namespace {

// A tag with every kind of value: texts (one with a non-ASCII letter, two empty ones
// that must not be written), integers of one, two and four bytes, a date, extra fields.
TaudioTagPtr SampleTag() {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename("/m/a.mp3");
    tag->SetArtist("Band");
    tag->SetTitle("Song");
    tag->SetAlbum("Caf\xC3\xA9");
    tag->SetTrackNo(7);
    tag->SetDate("1999");
    tag->SetGenreID(255);
    tag->SetGenreString("Rock");
    tag->SetBitRate(320);
    tag->SetDuration(215);
    tag->SetSampleRate(44100);
    tag->SetChannels(2);
    tag->SetTagType("ID3v2");
    tag->SetModDate(36526.5);  // 2000-01-01 12:00
    tag->SetMediaType(1);
    tag->SetData(0);
    tag->ExtraFields().Add("Mood=Calm");
    tag->SetTrackIndex(70000);
    return tag;
}

// Written out by hand from the record layout.
const std::string kSampleRecord =
    "TPF0"
    "\x09" "TaudioTag"
    "\x00"
    "\x08" "Filename" "\x06\x08" "/m/a.mp3"
    "\x06" "Artist" "\x06\x04" "Band"
    "\x05" "Title" "\x06\x04" "Song"
    "\x05" "Album" "\x06\x05" "Caf\xC3\xA9"
    "\x07" "TrackNo" "\x02\x07"
    "\x04" "Date" "\x06\x04" "1999"
    "\x07" "GenreID" "\x03\xFF\x00"
    "\x0B" "GenreString" "\x06\x04" "Rock"
    "\x07" "BitRate" "\x03\x40\x01"
    "\x08" "Duration" "\x03\xD7\x00"
    "\x0A" "SampleRate" "\x04\x44\xAC\x00\x00"
    "\x08" "Channels" "\x02\x02"
    "\x07" "TagType" "\x06\x05" "ID3v2"
    "\x07" "ModDate" "\x11\x00\x00\x00\x00\xD0\xD5\xE1\x40"
    "\x09" "MediaType" "\x02\x01"
    "\x04" "Data" "\x02\x00"
    "\x13" "ExtraFields.Strings" "\x01\x06\x09" "Mood=Calm" "\x00"
    "\x0A" "TrackIndex" "\x04\x70\x11\x01\x00"
    "\x00\x00"s;

void ExpectSameTag(const TaudioTag& a, const TaudioTag& b) {
    EXPECT_EQ(a.Filename(), b.Filename());
    EXPECT_EQ(a.Artist(), b.Artist());
    EXPECT_EQ(a.Title(), b.Title());
    EXPECT_EQ(a.Album(), b.Album());
    EXPECT_EQ(a.Comment(), b.Comment());
    EXPECT_EQ(a.TrackNo(), b.TrackNo());
    EXPECT_EQ(a.Date(), b.Date());
    EXPECT_EQ(a.GenreID(), b.GenreID());
    EXPECT_EQ(a.GenreString(), b.GenreString());
    EXPECT_EQ(a.BitRate(), b.BitRate());
    EXPECT_EQ(a.Duration(), b.Duration());
    EXPECT_EQ(a.SampleRate(), b.SampleRate());
    EXPECT_EQ(a.Channels(), b.Channels());
    EXPECT_EQ(a.TagType(), b.TagType());
    EXPECT_EQ(a.ModDate(), b.ModDate());
    EXPECT_EQ(a.MediaType(), b.MediaType());
    EXPECT_EQ(a.Data(), b.Data());
    EXPECT_EQ(a.ExtraFields().ToVector(), b.ExtraFields().ToVector());
    EXPECT_EQ(a.TrackIndex(), b.TrackIndex());
}

}  // namespace

TEST(TagRecord, MatchesTheRecordLayoutByteForByteAndReadsBack) {
    const auto tag = SampleTag();
    TbyteWriter w;
    WriteAudioTagRecord(w, *tag);
    EXPECT_EQ(w.Bytes(), kSampleRecord);

    TaudioTag back;
    TbyteReader r(kSampleRecord);
    std::string error;
    ASSERT_TRUE(ReadAudioTagRecord(r, back, &error)) << error;
    EXPECT_TRUE(r.AtEnd());
    ExpectSameTag(back, *tag);
    EXPECT_EQ(back.Sequence(), 7u);  // TrackNo went through its setter
}

TEST(TagRecord, LongTextsLargeNumbersAndLegacyBytesRoundTrip) {
    TaudioTag tag;
    tag.SetComment(std::string(300, 'c'));
    tag.SetData(0xFFFFFFFFu);    // stored as the 32-bit value -1, one byte
    tag.SetMediaType(0x80000000u);
    tag.SetTrackIndex(-5);
    TbyteWriter w;
    WriteAudioTagRecord(w, tag);
    EXPECT_NE(w.Bytes().find("\x04" "Data" "\x02\xFF"s), std::string::npos);
    EXPECT_NE(w.Bytes().find("\x07" "Comment" "\x0C\x2C\x01\x00\x00"s), std::string::npos);
    TaudioTag back;
    TbyteReader r(w.Bytes());
    ASSERT_TRUE(ReadAudioTagRecord(r, back));
    ExpectSameTag(back, tag);

    // An older writer stored 8-bit Windows-1252 text.
    const std::string legacy = "TPF0\x09TaudioTag\x00\x06" "Artist" "\x06\x05" "Bj\xF6rk\x00\x00"s;
    TbyteReader lr(legacy);
    TaudioTag old;
    ASSERT_TRUE(ReadAudioTagRecord(lr, old));
    EXPECT_EQ(old.Artist(), "Bj\xC3\xB6rk");
}

// Values at the edges of each stored form come back exactly and are written again
// byte for byte: texts of 255 bytes (short form) and 256 (long form), integers either
// side of the one-, two- and four-byte forms.
TEST(TagRecord, ValuesAtTheFormBoundariesRoundTripByteForByte) {
    TaudioTag tag;
    tag.SetTitle(std::string(254, 't') + "\xC3\xA9");  // 256 bytes
    tag.SetArtist(std::string(255, 'a'));
    tag.SetAlbum(std::string(256, 'b'));
    tag.SetComment(std::string(8192, 'c'));
    tag.SetTrackNo(127);
    tag.SetBitRate(128);
    tag.SetDuration(32767);
    tag.SetSampleRate(32768);
    tag.SetTrackIndex(-129);
    tag.SetData(65535);
    TbyteWriter w;
    WriteAudioTagRecord(w, tag);
    const std::string& bytes = w.Bytes();
    EXPECT_NE(bytes.find("\x06" "Artist" "\x06\xFF"s + std::string(255, 'a')), std::string::npos);
    EXPECT_NE(bytes.find("\x05" "Album" "\x0C\x00\x01\x00\x00"s + std::string(256, 'b')), std::string::npos);
    EXPECT_NE(bytes.find("\x05" "Title" "\x0C\x00\x01\x00\x00"s), std::string::npos);
    EXPECT_NE(bytes.find("\x07" "Comment" "\x0C\x00\x20\x00\x00"s), std::string::npos);
    EXPECT_NE(bytes.find("\x07" "TrackNo" "\x02\x7F"s), std::string::npos);
    EXPECT_NE(bytes.find("\x07" "BitRate" "\x03\x80\x00"s), std::string::npos);
    EXPECT_NE(bytes.find("\x08" "Duration" "\x03\xFF\x7F"s), std::string::npos);
    EXPECT_NE(bytes.find("\x0A" "SampleRate" "\x04\x00\x80\x00\x00"s), std::string::npos);
    EXPECT_NE(bytes.find("\x0A" "TrackIndex" "\x03\x7F\xFF"s), std::string::npos);
    EXPECT_NE(bytes.find("\x04" "Data" "\x04\xFF\xFF\x00\x00"s), std::string::npos);

    TaudioTag back;
    TbyteReader r(bytes);
    std::string error;
    ASSERT_TRUE(ReadAudioTagRecord(r, back, &error)) << error;
    EXPECT_TRUE(r.AtEnd());
    ExpectSameTag(back, tag);
    TbyteWriter again;
    WriteAudioTagRecord(again, back);
    EXPECT_EQ(again.Bytes(), bytes);
}

// Records that start other than this system writes them (the class name in other case, a
// component name, filer flags with a child position) read as the usual start reads, and
// so does a record cut off right after its start.
TEST(TagRecord, OtherRecordStartsReadAsTheUsualOne) {
    const std::string body = "\x06" "Artist" "\x06\x03" "Abc" "\x05" "Title" "\x06\x02" "Hi" "\x00\x00"s;
    const std::string starts[] = {"TPF0\x09TaudioTag\x00"s, "TPF0\x09TAUDIOTAG\x00"s, "TPF0\x09TaudioTag\x04Name"s,
                                  "TPF0\xF2\x02\x05\x09TaudioTag\x00"s};
    for (const std::string& start : starts) {
        const std::string record = start + body;
        TbyteReader r(record);
        TaudioTag tag;
        std::string error;
        ASSERT_TRUE(ReadAudioTagRecord(r, tag, &error)) << error;
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(tag.Artist(), "Abc");
        EXPECT_EQ(tag.Title(), "Hi");
        TbyteReader cut(start);
        EXPECT_FALSE(ReadAudioTagRecord(cut, tag, &error));
    }
}

TEST(TagRecord, DamageIsReportedAndKeepsWhatWasRead) {
    std::string error;
    {
        const std::string foreign = "TPF0\x0ATsomething\x00\x00\x00"s;
        TbyteReader r(foreign);
        TaudioTag tag;
        EXPECT_FALSE(ReadAudioTagRecord(r, tag, &error));
        EXPECT_NE(error.find("Tsomething"), std::string::npos);
    }
    {
        const std::string unknown = "TPF0\x09TaudioTag\x00\x06" "Artist" "\x06\x01" "A" "\x05" "Bogus" "\x02\x01\x00\x00"s;
        TbyteReader r(unknown);
        TaudioTag tag;
        EXPECT_FALSE(ReadAudioTagRecord(r, tag, &error));
        EXPECT_NE(error.find("Bogus"), std::string::npos);
        EXPECT_EQ(tag.Artist(), "A");
    }
    {
        const std::string wrongKind = "TPF0\x09TaudioTag\x00\x07" "TrackNo" "\x06\x01" "7\x00\x00"s;
        TbyteReader r(wrongKind);
        TaudioTag tag;
        EXPECT_FALSE(ReadAudioTagRecord(r, tag, &error));
    }
    // Every cut of a valid record fails cleanly.
    for (size_t n = 0; n < kSampleRecord.size(); ++n) {
        TbyteReader r(std::string_view(kSampleRecord).substr(0, n));
        TaudioTag tag;
        EXPECT_FALSE(ReadAudioTagRecord(r, tag, &error)) << "prefix " << n;
    }
}
