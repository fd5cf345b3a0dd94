#include "core/tags/audio_tag.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "core/base/date_time.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list.h"
#include "support/date_formats.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;

namespace {

using test::MakeTag;

void WriteFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(SafeWriteFile(path, bytes));
}

}  // namespace

TEST(AudioTag, NewTagStartsEmptyWithNoGenre) {
    TaudioTag tag;
    EXPECT_EQ(tag.GenreID(), 255u);
    EXPECT_EQ(tag.TrackIndex(), 0);
    EXPECT_EQ(tag.MediaType(), 0u);
    EXPECT_EQ(tag.ExtraFields().Count(), 0);
    EXPECT_EQ(kAudioTagProperties.front().Name, std::string("Filename"));
    EXPECT_EQ(kAudioTagProperties.back().Name, std::string("TrackIndex"));
}

TEST(AudioTag, DisplayLayouts) {
    auto tag = MakeTag("Band", "Song", 185);
    tag->SetTrackNo(7);
    tag->SetAlbum("Record");
    tag->SetFilename("/music/song.mp3");
    tag->SetModDate(EncodeDate(2024, 3, 9) + EncodeTime(21, 5, 7, 0));
    test::TscopedDateFormats locale("%d.%m.%Y", "%H:%M:%S");
    const std::pair<TtagDisplayFormat, const char*> expected[] = {
        {tdfArtistTitle, "Band - Song"},
        {tdfTitleArtist, "Song - Band"},
        {tdfArtistTitleDuration, "Band - Song [3:05]"},
        {tdfTitleArtistDuration, "Song - Band [3:05]"},
        {tdfTitleDuration, "Song [3:05]"},
        {tdfTrackTitleDuration, "007 : Song [3:05]"},
        {tdfTrackArtistTitleDuration, "007 : Band - Song [3:05]"},
        {tdfTrackArtistTitle, "007 : Band - Song"},
        {tdfTracktitle, "007 : Song"},
        {tdfArtistTitleAlbumTrack, "Band - Song [Record - Track 7]"},
        {tdfTimeArtistTitleFilename, "09.03.2024 21:05:07 : Band - Song (/music/song.mp3)"},
        {tdfTitle, "Song"},
    };
    for (const auto& [format, text] : expected) EXPECT_EQ(tag->GetDisplayText(format), text) << int(format);
    EXPECT_EQ(tag->GetDisplayText(TtagDisplayFormat(99)), "Band - Song");

    tag->SetTrackNo(0);
    EXPECT_EQ(tag->GetDisplayText(tdfArtistTitleAlbumTrack), "Band - Song [Record]");
    tag->SetAlbum("");
    EXPECT_EQ(tag->GetDisplayText(tdfArtistTitleAlbumTrack), "Band - Song");
    tag->SetTrackNo(1234);
    EXPECT_EQ(tag->GetDisplayText(tdfTracktitle), "1234 : Song");
    tag->SetDuration(3600 * 2 + 5);
    EXPECT_EQ(tag->GetDisplayText(tdfTitleDuration), "Song [120:05]");
    EXPECT_EQ(FormatMS(59), "0:59");

    // A video with a title and no artist shows only its title in every layout.
    auto video = MakeTag("", "Clip", 60);
    video->SetMediaType(mkVideo);
    EXPECT_TRUE(video->HasDisplayName());
    for (int f = tdfArtistTitle; f <= tdfTitle; ++f) EXPECT_EQ(video->GetDisplayText(TtagDisplayFormat(f)), "Clip");
    auto audio = MakeTag("", "Clip", 60);
    EXPECT_FALSE(audio->HasDisplayName());
    EXPECT_EQ(audio->GetDisplayText(tdfArtistTitle), " - Clip");
}

TEST(AudioTag, ChannelModeCloneAndAssign) {
    TaudioTag tag;
    const std::pair<uint32_t, const char*> modes[] = {{0, "Unknown"}, {1, "Mono"}, {2, "Stereo"}, {5, "Multi"}};
    for (const auto& [channels, text] : modes) {
        tag.SetChannels(channels);
        EXPECT_EQ(tag.ChannelMode(), text);
    }
    tag.SetFilename("/a/b.mp3");
    tag.SetArtist("A");
    tag.SetTrackNo(4);
    tag.SetGenreID(17);
    tag.SetModDate(45000.5);
    tag.SetData(12);
    tag.SetTrackIndex(41);
    tag.SetCaption("cached");
    tag.SetStoredPosition(9);
    tag.ExtraFields().Add("BPM=120");
    tag.SetSequence(77);

    const TaudioTagPtr clone = tag.Clone();
    EXPECT_EQ(clone->Filename(), "/a/b.mp3");
    EXPECT_EQ(clone->TrackNo(), 4u);
    EXPECT_EQ(clone->Sequence(), 4u);  // through the TrackNo setter
    EXPECT_EQ(clone->GenreID(), 17u);
    EXPECT_EQ(clone->ModDate(), 45000.5);
    EXPECT_EQ(clone->Data(), 12u);
    EXPECT_EQ(clone->ExtraFields().Text(), "BPM=120\n");
    EXPECT_EQ(clone->TrackIndex(), 0);
    EXPECT_EQ(clone->Caption(), "");
    EXPECT_EQ(clone->StoredPosition(), 0);

    TaudioTag known;
    known.SetTrackIndex(5);
    known.ExtraFields().Add("Old=1");
    tag.AssignTagInfo(known);
    EXPECT_EQ(known.TrackIndex(), 5);
    EXPECT_EQ(known.Artist(), "A");
    EXPECT_EQ(known.Sequence(), 4u);
    EXPECT_EQ(known.ExtraFields().Text(), "BPM=120\n");
}

TEST(AudioTag, FileMask) {
    TaudioTag tag;
    tag.SetFilename("/Music/Song - Band - 07.mp3");
    tag.ApplyFileMask("%t - %a - %n", false, mkAll, false);
    EXPECT_EQ(tag.Title(), "Song");
    EXPECT_EQ(tag.Artist(), "Band");
    EXPECT_EQ(tag.TrackNo(), 7u);
    EXPECT_EQ(tag.GenreID(), 255u);

    // Both folder flags: the folder names replace the mask's values; above the
    // top folder there is no name.
    tag.ApplyFileMask("%t - %a - %n", true, mkAll, true);
    EXPECT_EQ(tag.Album(), "Music");
    EXPECT_EQ(tag.Artist(), "");

    TaudioTag deep;
    deep.SetFilename("/srv/Rock/Some Band/Best Of/03 - Opener.flac");
    deep.ApplyFileMask("%a\\%b/%n - %t", false, mkAll, false);
    EXPECT_EQ(deep.Artist(), "Some Band");
    EXPECT_EQ(deep.Album(), "Best Of");
    EXPECT_EQ(deep.TrackNo(), 3u);
    EXPECT_EQ(deep.Title(), "Opener");
    deep.ApplyFileMask("%t", true, 2, true);  // video library: the folder is the genre
    EXPECT_EQ(deep.GenreString(), "Best Of");
    EXPECT_EQ(deep.Artist(), "Some Band");
    deep.ApplyFileMask("%t", false, mkAll, true);
    EXPECT_EQ(deep.Artist(), "Best Of");

    // A missing separator puts the whole remaining name into the placeholder.
    TaudioTag loose;
    loose.SetFilename("/x/Just a title.ogg");
    loose.ApplyFileMask("%t - %a", false, mkAll, false);
    EXPECT_EQ(loose.Title(), "Just a title");
    EXPECT_EQ(loose.Artist(), "");
    TaudioTag prefixed;
    prefixed.SetFilename("/x/No prefix.ogg");
    prefixed.ApplyFileMask("[%n] %t", false, mkAll, false);
    EXPECT_EQ(prefixed.TrackNo(), 0u);  // "No prefix" is not a number
    // A track number of 0 (or none) from the name keeps the number the tag has.
    for (const char* name : {"/x/[00] Song.ogg", "/x/[0] Song.ogg", "/x/[x] Song.ogg", "/x/[] Song.ogg"}) {
        TaudioTag numbered;
        numbered.SetFilename(name);
        numbered.SetTrackNo(5);
        numbered.ApplyFileMask("[%n] %t", false, mkAll, false);
        EXPECT_EQ(numbered.TrackNo(), 5u) << name;
        EXPECT_EQ(numbered.Title(), "Song") << name;
    }
    TaudioTag renumbered;
    renumbered.SetFilename("/x/[09] Song.ogg");
    renumbered.SetTrackNo(5);
    renumbered.ApplyFileMask("[%n] %t", false, mkAll, false);
    EXPECT_EQ(renumbered.TrackNo(), 9u);
    EXPECT_EQ(prefixed.Title(), "");

    TaudioTag genre;
    genre.SetFilename("/x/hard rock - Tune.mp3");
    genre.ApplyFileMask("%g - %t", false, mkAll, false);
    EXPECT_EQ(genre.GenreString(), "hard rock");
    EXPECT_EQ(genre.GenreID(), 79u);
    EXPECT_EQ(genre.Title(), "Tune");
}

TEST(AudioTag, ImportColumnsAndFieldNames) {
    TmyStringList names;
    GetAudioTagFieldNames(names);
    ASSERT_EQ(names.Count(), 14);
    EXPECT_EQ(names.Strings(7), "Genre");
    EXPECT_EQ(names.Strings(13), "MediaType");

    const std::vector<std::string> row = {"Song", "/m/s.mp3", "Band", "12", "x9", "Video", "Pop", "-3"};
    std::vector<int> columns(14, 99);
    columns[0] = 1;
    columns[1] = 2;
    columns[2] = 0;
    columns[5] = 3;
    columns[7] = 6;
    columns[8] = 4;
    columns[9] = 7;
    columns[13] = 5;
    TaudioTag tag;
    tag.SetFieldsFromColumns(columns, row);
    EXPECT_EQ(tag.Filename(), "/m/s.mp3");
    EXPECT_EQ(tag.Artist(), "Band");
    EXPECT_EQ(tag.Title(), "Song");
    EXPECT_EQ(tag.TrackNo(), 12u);
    EXPECT_EQ(tag.GenreString(), "Pop");
    EXPECT_EQ(tag.BitRate(), 0u);   // not a number
    EXPECT_EQ(tag.Duration(), 0u);  // negative
    EXPECT_EQ(tag.MediaType(), mkVideo);

    // A missing or unknown media kind is audio, not every kind.
    columns[13] = -1;
    tag.SetFieldsFromColumns(columns, row);
    EXPECT_EQ(tag.MediaType(), mkAudio);
    columns[13] = 0;
    tag.SetFieldsFromColumns(columns, row);
    EXPECT_EQ(tag.MediaType(), mkAudio);

    // Any other number of columns changes nothing.
    tag.SetFieldsFromColumns(std::vector<int>(13, 0), row);
    EXPECT_EQ(tag.Title(), "Song");
}

TEST(AudioTag, CsvRowAndPathParts) {
    TaudioTag tag;
    tag.SetFilename("/music/Band, The/track.one.mp3");
    tag.SetTitle("Say \"Hi\"");
    tag.SetArtist("Band, The");
    tag.SetGenreID(17);
    tag.SetGenreString("Rock");
    tag.SetTrackNo(3);
    tag.SetBitRate(192);
    tag.SetDuration(61);
    tag.SetSampleRate(44100);
    tag.SetChannels(2);
    tag.SetMediaType(mkAudio);
    tag.SetTagType("ID3v2");
    tag.SetTrackIndex(-2);
    tag.SetModDate(EncodeDate(2023, 12, 31) + 0.75);
    tag.ExtraFields().Add("Mood=calm, slow");
    tag.ExtraFields().Add("BPM=90");
    EXPECT_EQ(tag.PathPart(), "/music/Band, The/");
    EXPECT_EQ(tag.FilePart(), "track.one.mp3");
    EXPECT_EQ(tag.ExtPart(), "mp3");
    EXPECT_EQ(tag.AlbumPath(), "/music/Band, The/[No Album]");
    std::string row = "X";
    test::TscopedDateFormats locale("%d/%m/%Y");
    tag.GetCSVRow(row);
    EXPECT_EQ(
        row,
        "X\"/music/Band, The/track.one.mp3\",\"/music/Band, The/\",track.one.mp3,mp3,"
        "\"/music/Band, The/[No Album]\",\"Say \"\"Hi\"\"\",\"Band, The\",,,,17,Rock,3,192,61000,44100,2,"
        "Stereo,1,ID3v2,-2,31/12/2023,\"\"\"Mood=calm, slow\"\",BPM=90\"");
    TaudioTag bare;
    bare.SetFilename("noext");
    EXPECT_EQ(bare.PathPart(), "");
    EXPECT_EQ(bare.ExtPart(), "");
}

TEST(AudioTag, CoverFileCandidatesInOrder) {
    test::TempDir dir;
    const fs::path music = fs::path(dir.Path()) / "music";
    const fs::path covers = fs::path(dir.Path()) / "covers";
    fs::create_directories(music);
    fs::create_directories(covers);
    TaudioTag tag;
    tag.SetFilename((music / "song.mp3").string());
    tag.SetArtist("Band");
    tag.SetAlbum("Record");
    EXPECT_EQ(tag.FindCoverFile(covers.string(), false), "");

    WriteFile((music / "zzz.bmp").string(), "b");
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "zzz.bmp").string());
    WriteFile((music / "aaa.JPG").string(), "j");
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "aaa.JPG").string());
    WriteFile((music / "folder.jpg").string(), "f");  // other letter case still found
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "folder.jpg").string());
    WriteFile((music / "Band.bmp").string(), "a");
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "Band.bmp").string());
    WriteFile((music / "Record.jpg").string(), "r");
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "Record.jpg").string());
    WriteFile((covers / "Soundtrack - Record.bmp").string(), "s");
    EXPECT_EQ(tag.FindCoverFile(covers.string(), false), (covers / "Soundtrack - Record.bmp").string());
    WriteFile((music / "(Band) - (Record).jpg").string(), "p");
    EXPECT_EQ(tag.FindCoverFile(covers.string(), false), (music / "(Band) - (Record).jpg").string());
    // The cover folder comes first for each candidate; with CoverFolderOnly the file's
    // folder is used for the last fall-back only.
    EXPECT_EQ(tag.FindCoverFile(covers.string(), true), (covers / "Soundtrack - Record.bmp").string());
    WriteFile((covers / "Band - Record.jpg").string(), "c");
    EXPECT_EQ(tag.FindCoverFile(covers.string(), false), (covers / "Band - Record.jpg").string());

    TcoverPicture picture;
    EXPECT_TRUE(tag.LoadCoverImage(picture, true, true, covers.string(), false));
    EXPECT_EQ(picture.Bytes, "c");
    EXPECT_EQ(picture.FileName, (covers / "Band - Record.jpg").string());
}

TEST(AudioTag, CoverCandidatesFromUnsafeTagTextAreSkipped) {
    test::TempDir dir;
    const fs::path music = fs::path(dir.Path()) / "a" / "b";
    fs::create_directories(music);
    WriteFile((fs::path(dir.Path()) / "a" / "secret.jpg").string(), "x");
    WriteFile((fs::path(dir.Path()) / "a" / "Record.jpg").string(), "x");
    TaudioTag tag;
    tag.SetFilename((music / "song.mp3").string());
    for (const char* artist : {"..", "../secret", "."}) {
        tag.SetArtist(artist);
        tag.SetAlbum("../Record");
        EXPECT_EQ(tag.FindCoverFile("", false), "") << artist;
    }
    WriteFile((music / "AC_DC.jpg").string(), "x");
    tag.SetArtist("AC/DC");
    tag.SetAlbum("");
    EXPECT_EQ(tag.FindCoverFile("", false), (music / "AC_DC.jpg").string());  // only the fall-back
}

namespace {

std::string SynchSafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}
std::string BigEndian32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "JFIF-body" + std::string("\xFF\xD9", 2);

// An ID3v2.3 tag with one APIC frame, followed by audio bytes.
std::string Id3v23File(const std::string& frameBody, uint8_t flags = 0, size_t audioBytes = 100) {
    const std::string frame = "APIC" + BigEndian32(uint32_t(frameBody.size())) + std::string(2, '\0') + frameBody;
    const std::string padding(16, '\0');
    return "ID3" + std::string{3, 0, char(flags)} + SynchSafe(uint32_t(frame.size() + padding.size())) + frame +
           padding + std::string(audioBytes, 'a');
}

bool Extract(const std::string& file, std::string& jpeg) { return ExtractId3Jpeg(file, file.size(), jpeg); }

}  // namespace

TEST(EmbeddedPicture, FramesOfEachVersion) {
    std::string jpeg;
    // Latin-1 description.
    EXPECT_TRUE(Extract(Id3v23File(std::string("\0image/jpeg\0\x03" "Front\0", 19) + kJpeg), jpeg));
    EXPECT_EQ(jpeg, kJpeg);
    // UTF-16 description with its two-byte terminator, and a MIME type spelt "image/jpg".
    EXPECT_TRUE(Extract(Id3v23File(std::string("\x01image/jpg\0\x03\xFF\xFE" "F\0\0\0", 17) + kJpeg), jpeg));
    EXPECT_EQ(jpeg, kJpeg);

    // Version 2.2: PIC frame with a three-letter image format.
    const std::string pic = std::string("\0JPG\x03\0", 6) + kJpeg;
    const std::string frame22 = "PIC" + std::string{0, 0, char(pic.size())} + pic;
    const std::string v22 = "ID3" + std::string{2, 0, 0} + SynchSafe(uint32_t(frame22.size())) + frame22 + "audio";
    EXPECT_TRUE(Extract(v22, jpeg));
    EXPECT_EQ(jpeg, kJpeg);

    // Version 2.4 with an unsynchronised frame: FF 00 pairs lose the 00.
    std::string unsync;
    const std::string apic = std::string("\0image/jpeg\0\x03\0", 14) + kJpeg;
    for (size_t i = 0; i < apic.size(); ++i) {
        unsync += apic[i];
        if (uint8_t(apic[i]) == 0xFF) unsync += '\0';
    }
    const std::string frame24 = "APIC" + SynchSafe(uint32_t(unsync.size())) + std::string{0, 0x02} + unsync;
    const std::string v24 = "ID3" + std::string{4, 0, 0} + SynchSafe(uint32_t(frame24.size())) + frame24 + "audio";
    EXPECT_TRUE(Extract(v24, jpeg));
    EXPECT_EQ(jpeg, kJpeg);

    // A PNG picture is no JPEG.
    EXPECT_FALSE(Extract(Id3v23File(std::string("\0image/png\0\x03\0\x89PNG", 17)), jpeg));
    EXPECT_TRUE(jpeg.empty());
}

TEST(EmbeddedPicture, BadTagsGiveNoPictureAndNoCrash) {
    std::string jpeg;
    const std::string good = Id3v23File(std::string("\0image/jpeg\0\x03\0", 14) + kJpeg);
    ASSERT_TRUE(Extract(good, jpeg));
    EXPECT_FALSE(Extract("ID", jpeg));
    EXPECT_FALSE(Extract("RIFF....WAVEfmt ", jpeg));
    // A tag as large as the file (no audio after it), or larger, gives nothing.
    const std::string noAudio = Id3v23File(std::string("\0image/jpeg\0\x03\0", 14) + kJpeg, 0, 0);
    EXPECT_FALSE(Extract(noAudio, jpeg));
    std::string oversized = good;
    oversized.replace(6, 4, SynchSafe(0x0FFFFFFF));
    EXPECT_FALSE(Extract(oversized, jpeg));
    EXPECT_FALSE(ExtractId3Jpeg(oversized, uint64_t(1) << 40, jpeg));
    // Every truncation of the tag, told the real file size, gives nothing or the picture.
    for (size_t n = 0; n < good.size(); ++n) {
        ExtractId3Jpeg(std::string_view(good).substr(0, n), good.size(), jpeg);
    }
    // A frame size running past the tag falls back to the scan after the MIME type.
    std::string broken = good;
    broken.replace(14, 4, BigEndian32(0x7FFFFFFF));
    EXPECT_TRUE(Extract(broken, jpeg));
    EXPECT_EQ(jpeg.substr(0, kJpeg.size()), kJpeg);
    // Size bytes with the high bit set are not synch-safe.
    std::string badSize = good;
    badSize[9] = char(0x80);
    EXPECT_FALSE(Extract(badSize, jpeg));
}

TEST(EmbeddedPicture, LoadCoverImageOrder) {
    test::TempDir dir;
    const fs::path file = fs::path(dir.Path()) / "song.mp3";
    WriteFile(file.string(), Id3v23File(std::string("\0image/jpeg\0\x03\0", 14) + kJpeg));
    TaudioTag tag;
    tag.SetFilename(file.string());
    TcoverPicture picture;
    picture.Bytes = "stale";
    EXPECT_FALSE(tag.LoadCoverImage(picture, false, false));
    EXPECT_TRUE(picture.Empty());
    EXPECT_TRUE(tag.LoadCoverImage(picture, false, true));
    EXPECT_EQ(picture.Bytes, kJpeg);
    EXPECT_EQ(picture.FileName, "");

    WriteFile((fs::path(dir.Path()) / "Folder.jpg").string(), "cover");
    EXPECT_TRUE(tag.LoadCoverImage(picture, false, true));
    EXPECT_EQ(picture.Bytes, kJpeg);  // embedded first
    EXPECT_TRUE(tag.LoadCoverImage(picture, true, true));
    EXPECT_EQ(picture.Bytes, "cover");  // file first
    EXPECT_TRUE(tag.LoadCoverImage(picture, false, false));
    EXPECT_EQ(picture.Bytes, "cover");

    TaudioTag missing;
    missing.SetFilename((fs::path(dir.Path()) / "nothere" / "x.mp3").string());
    std::string jpeg = "x";
    EXPECT_FALSE(missing.GetEmbeddedPicture(jpeg));
    EXPECT_TRUE(jpeg.empty());
}

namespace {
class TfakeSource : public TtagSource {
public:
    std::string Artist() override { return "Band"; }
    std::string Title() override { return "Song"; }
    std::string Album() override { return "Record"; }
    std::string Comment() override { return "note"; }
    uint32_t TrackNo() override { return 9; }
    std::string Date() override { return "1999"; }
    uint32_t GenreID() override { return 17; }
    std::string GenreString() override { return "Rock"; }
    uint32_t BitRate() override { return 320; }
    uint32_t Duration() override { return 200; }
    uint32_t SampleRate() override { return 48000; }
    uint32_t Channels() override { return 1; }
    uint32_t MediaType() override { return mkKaraoke; }
    std::string TagType() override { return "ID3v2.4"; }
    int ExtraFieldCount() override { return 2; }
    void GetExtraField(int index, std::string& name, std::string& value) override {
        name = index == 0 ? "BPM" : "Mood";
        value = index == 0 ? "120" : "";
    }
};
}  // namespace

TEST(AudioTag, ReadFromPluginReplacesValuesAndExtraFields) {
    TaudioTag tag;
    tag.SetFilename("/k/song.kar");
    tag.ExtraFields().Add("Stale=1");
    tag.SetTrackIndex(3);
    TfakeSource source;
    tag.ReadFromPlugin(source);
    EXPECT_EQ(tag.GetDisplayText(tdfTrackArtistTitleDuration), "009 : Band - Song [3:20]");
    EXPECT_EQ(tag.Album(), "Record");
    EXPECT_EQ(tag.Comment(), "note");
    EXPECT_EQ(tag.Date(), "1999");
    EXPECT_EQ(tag.GenreID(), 17u);
    EXPECT_EQ(tag.GenreString(), "Rock");
    EXPECT_EQ(tag.BitRate(), 320u);
    EXPECT_EQ(tag.SampleRate(), 48000u);
    EXPECT_EQ(tag.ChannelMode(), "Mono");
    EXPECT_EQ(tag.MediaType(), mkKaraoke);
    EXPECT_EQ(tag.TagType(), "ID3v2.4");
    EXPECT_EQ(tag.Sequence(), 9u);
    EXPECT_EQ(tag.TrackIndex(), 3);
    EXPECT_EQ(tag.Filename(), "/k/song.kar");
    EXPECT_EQ(tag.ExtraFields().Text(), "BPM=120\nMood=\n");
}

TEST(AudioTag, CaptionListNameAndExtraFieldsStayTheTagsOwn) {
    // Caption, list name and extra fields are kept apart from the values; each behaves
    // as a plain field: empty until set, set one by one, and copied (or not) as before.
    TaudioTag tag;
    EXPECT_EQ(tag.Caption(), "");
    EXPECT_EQ(tag.ListName(), "");
    EXPECT_EQ(std::as_const(tag).ExtraFields().Count(), 0);
    tag.SetCaption("");
    tag.SetListName("");
    EXPECT_EQ(tag.Caption(), "");

    tag.SetListName("Party");
    EXPECT_EQ(tag.ListName(), "Party");
    EXPECT_EQ(tag.Caption(), "");
    EXPECT_EQ(std::as_const(tag).ExtraFields().Count(), 0);
    tag.SetCaption("Ann - Song");
    tag.SetListName("");
    EXPECT_EQ(tag.ListName(), "");
    EXPECT_EQ(tag.Caption(), "Ann - Song");
    tag.SetTitle("Song");
    tag.SetGenreString("Singer/Songwriter");
    tag.SetTagType("ID3v2");

    // A clone has no caption or list name; extra fields only when the source has them.
    TaudioTagPtr clone = tag.Clone();
    EXPECT_EQ(clone->Caption(), "");
    EXPECT_EQ(clone->ListName(), "");
    EXPECT_EQ(clone->Title(), "Song");
    EXPECT_EQ(clone->GenreString(), "Singer/Songwriter");
    EXPECT_EQ(clone->TagType(), "ID3v2");
    EXPECT_EQ(std::as_const(*clone).ExtraFields().Count(), 0);

    // Assigning the values keeps the destination's caption and list name, and replaces
    // its extra fields (also by none).
    TaudioTag dest;
    dest.SetCaption("old line");
    dest.SetListName("Queue");
    dest.ExtraFields().Add("BPM=90");
    tag.AssignTagInfo(dest);
    EXPECT_EQ(dest.Caption(), "old line");
    EXPECT_EQ(dest.ListName(), "Queue");
    EXPECT_EQ(dest.Title(), "Song");
    EXPECT_EQ(dest.ExtraFields().Count(), 0);
    tag.ExtraFields().Add("Mood=calm");
    tag.AssignTagInfo(dest);
    EXPECT_EQ(dest.ExtraFields().Text(), "Mood=calm\n");
    EXPECT_EQ(tag.Caption(), "Ann - Song");

    // Pooled texts (artist, album, date, genre, tag kind): equal texts are one copy, and a
    // change of one tag's value leaves the other tags alone.
    TaudioTag first, second;
    for (TaudioTag* t : {&first, &second}) {
        t->SetArtist("Velvet Hour");
        t->SetAlbum("Harbour Lights");
        t->SetDate("1987");
    }
    EXPECT_EQ(&first.Artist(), &second.Artist());
    EXPECT_EQ(&first.Album(), &second.Album());
    EXPECT_EQ(&first.Date(), &second.Date());
    second.SetArtist("velvet hour");
    second.SetAlbum("");
    EXPECT_EQ(first.Artist(), "Velvet Hour");
    EXPECT_EQ(second.Artist(), "velvet hour");
    EXPECT_EQ(first.Album(), "Harbour Lights");
    EXPECT_EQ(second.Album(), "");
    clone->SetGenreString("Rock");
    EXPECT_EQ(tag.GenreString(), "Singer/Songwriter");
    EXPECT_EQ(dest.GenreString(), "Singer/Songwriter");
    EXPECT_EQ(&tag.GenreString(), &dest.GenreString());
    clone->SetTagType("");
    EXPECT_EQ(clone->TagType(), "");
    EXPECT_EQ(tag.TagType(), "ID3v2");
}

// The comment is kept with the rarer values (made only for a track that has one): it
// must come and go exactly as a field of its own would, in copies and the list file.
TEST(AudioTag, ACommentIsKeptCopiedClearedAndStoredLikeEveryOtherValue) {
    auto with = std::make_shared<TaudioTag>();
    with->SetFilename("/m/a.mp3");
    with->SetComment("live, 1971");
    auto without = std::make_shared<TaudioTag>();
    without->SetFilename("/m/b.mp3");
    without->SetCaption("shown");
    EXPECT_EQ(with->Comment(), "live, 1971");
    EXPECT_EQ(without->Comment(), "");
    without->SetComment("");  // no value: nothing to keep
    EXPECT_EQ(without->Comment(), "");
    EXPECT_EQ(without->Caption(), "shown");

    EXPECT_EQ(with->Clone()->Comment(), "live, 1971");
    EXPECT_EQ(without->Clone()->Comment(), "");
    // Copying a track without one over a track with one clears it; the other rare
    // values of the destination stay its own.
    TaudioTag dest;
    dest.SetComment("old");
    dest.SetCaption("caption");
    dest.SetListName("list");
    without->AssignTagInfo(dest);
    EXPECT_EQ(dest.Comment(), "");
    EXPECT_EQ(dest.Caption(), "caption");
    EXPECT_EQ(dest.ListName(), "list");
    with->AssignTagInfo(dest);
    EXPECT_EQ(dest.Comment(), "live, 1971");
    dest.SetComment("");
    EXPECT_EQ(dest.Comment(), "");

    std::string row;
    with->GetCSVRow(row);
    EXPECT_NE(row.find("\"live, 1971\""), std::string::npos) << row;

    TaudioTagList list;
    list.Add(with);
    list.Add(without);
    TbyteWriter w;
    list.SaveToStream(w);
    TaudioTagList back;
    TbyteReader r(w.Bytes());
    ASSERT_TRUE(back.LoadFromStream(r, false, ""));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetTag(0)->Comment(), "live, 1971");
    EXPECT_EQ(back.GetTag(1)->Comment(), "");
    TbyteWriter again;
    back.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), w.Bytes());
}
