#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "core/tags/audio_tag.h"
#include "core/tags/tagger_loader.h"
#include "support/media_files.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeMediaFile;
using test::TmediaFormat;

// Loads TAG_taglib.so from a private copy of the plug-in folder (the loader writes its
// settings file there).
class TaglibTaggerTest : public ::testing::Test {
protected:
    test::TempDir Fdir;
    TtaggerLoader Floader;
    void SetUp() override {
        const auto plugins = Fdir.Path() / "TagPlugins";
        std::filesystem::create_directory(plugins);
        std::filesystem::copy_file(std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins" / "TAG_taglib.so",
                                   plugins / "TAG_taglib.so");
        Floader.SetPluginFolder(plugins.string());
        ASSERT_EQ(Floader.PluginCount(), 1);
    }
    TtaggerRecord* Read(const std::string& file) { return Floader.FindPluginForFile(file); }
    static std::string Text(TtaggerTextGetter getter) {
        const char* s = getter(0);
        return s ? s : "";
    }
};

void WriteTags(const std::string& file) {
    TagLib::FileRef ref(file.c_str());
    ASSERT_FALSE(ref.isNull()) << file;
    TagLib::Tag* tag = ref.tag();
    ASSERT_NE(tag, nullptr) << file;
    tag->setArtist(TagLib::String("Bänd", TagLib::String::UTF8));
    tag->setTitle("Song");
    tag->setAlbum("Album");
    tag->setComment("Note");
    tag->setGenre("Rock");
    tag->setYear(1999);
    tag->setTrack(3);
    ASSERT_TRUE(ref.save()) << file;
}

struct TformatCase {
    TmediaFormat Format;
    const char* Name;
    const char* TagType;
    int SampleRate;
};

TEST_F(TaglibTaggerTest, ReadsTagsAndPropertiesOfEveryAudioFormat) {
    const TformatCase cases[] = {
        {TmediaFormat::Mp3, "a.mp3", "ID3v2", 44100},      {TmediaFormat::OggVorbis, "a.ogg", "Xiph Comment", 44100},
        {TmediaFormat::Opus, "a.opus", "Xiph Comment", 48000}, {TmediaFormat::Flac, "a.flac", "Xiph Comment", 44100},
        {TmediaFormat::M4a, "a.m4a", "MP4", 44100},        {TmediaFormat::Wav, "a.wav", "ID3v2", 44100},
        {TmediaFormat::Wma, "a.wma", "ASF", 44100},
    };
    int tried = 0;
    for (const TformatCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Fdir.File(c.Name);
        if (!MakeMediaFile(file, c.Format, 2.0)) continue;  // the machine cannot encode it
        ++tried;
        WriteTags(file);
        TtaggerRecord* record = Read(file);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(Text(record->Artist), "Bänd");
        EXPECT_EQ(Text(record->Title), "Song");
        EXPECT_EQ(Text(record->Album), "Album");
        EXPECT_EQ(Text(record->Comment), "Note");
        EXPECT_EQ(Text(record->Date), "1999");
        EXPECT_EQ(Text(record->GenreString), "Rock");
        EXPECT_EQ(record->GenreID, 17);
        EXPECT_EQ(record->TrackNo, 3);
        EXPECT_EQ(Text(record->TagType), c.TagType);
        EXPECT_EQ(record->MediaType, TAGGER_MEDIA_AUDIO);
        EXPECT_GE(record->Duration, 1);
        EXPECT_LE(record->Duration, 3);
        EXPECT_EQ(record->SampleRate, c.SampleRate);
        EXPECT_EQ(record->Channels, 2);
        EXPECT_GT(record->BitRate, 0);
        EXPECT_EQ(record->ExtraFieldCount(), 0);
    }
    EXPECT_GE(tried, 4) << "too few formats could be encoded";
}

TEST_F(TaglibTaggerTest, UntaggedFileGivesEmptyTextsAndUnknownGenre) {
    const std::string file = Fdir.File("plain.flac");
    if (!MakeMediaFile(file, TmediaFormat::Flac)) GTEST_SKIP() << "no FLAC encoder";
    // The previous file's values must not leak into the next read.
    const std::string tagged = Fdir.File("tagged.flac");
    std::filesystem::copy_file(file, tagged);
    WriteTags(tagged);
    ASSERT_NE(Read(tagged), nullptr);
    TtaggerRecord* record = Read(file);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Text(record->Artist), "");
    EXPECT_EQ(Text(record->Title), "");
    EXPECT_EQ(Text(record->Date), "");
    EXPECT_EQ(record->TrackNo, 0);
    EXPECT_EQ(record->GenreID, 255);
}

TEST_F(TaglibTaggerTest, ReportsTheEmbeddedPicture) {
    static const char kJpeg[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xD9";
    const std::string jpeg(kJpeg, sizeof kJpeg - 1);
    const std::string mp3 = Fdir.File("cover.mp3");
    ASSERT_TRUE(MakeMediaFile(mp3, TmediaFormat::Mp3));
    {
        TagLib::MPEG::File f(mp3.c_str());
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setPicture(TagLib::ByteVector(jpeg.data(), unsigned(jpeg.size())));
        f.ID3v2Tag(true)->addFrame(frame);
        ASSERT_TRUE(f.save());
    }
    const std::string flac = Fdir.File("cover.flac");
    const bool haveFlac = MakeMediaFile(flac, TmediaFormat::Flac);
    if (haveFlac) {
        TagLib::FLAC::File f(flac.c_str());
        auto* picture = new TagLib::FLAC::Picture;
        picture->setMimeType("image/png");
        picture->setData(TagLib::ByteVector(100, 'x'));
        f.addPicture(picture);
        ASSERT_TRUE(f.save());
    }
    TtaggerRecord* record = Read(mp3);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->ExtraFieldCount(), 1);
    char name[TAGGER_EXTRA_FIELD_BUFFER] = {}, value[TAGGER_EXTRA_FIELD_BUFFER] = {};
    int32_t size = 0;
    record->GetExtraField(0, name, sizeof name, value, sizeof value, &size);
    EXPECT_STREQ(name, "Picture");
    EXPECT_STREQ(value, "image/jpeg");
    EXPECT_EQ(size, int32_t(jpeg.size()));
    // Small buffers get a terminated prefix, never an overrun.
    char small[4] = {'#', '#', '#', '#'};
    record->GetExtraField(0, small, 3, value, sizeof value, &size);
    EXPECT_STREQ(small, "Pi");
    EXPECT_EQ(small[3], '#');
    if (haveFlac) {
        record = Read(flac);
        ASSERT_NE(record, nullptr);
        ASSERT_EQ(record->ExtraFieldCount(), 1);
        record->GetExtraField(0, name, sizeof name, value, sizeof value, &size);
        EXPECT_STREQ(value, "image/png");
        EXPECT_EQ(size, 100);
    }
}

// Embeds `picture` in the file by the means of its format; `front` marks it as the front cover.
bool EmbedPicture(const std::string& file, TmediaFormat format, const std::string& mime,
                  const std::string& picture, bool front) {
    const TagLib::ByteVector data(picture.data(), unsigned(picture.size()));
    auto flacPicture = [&] {
        auto* p = new TagLib::FLAC::Picture;
        p->setMimeType(mime);
        p->setType(front ? TagLib::FLAC::Picture::FrontCover : TagLib::FLAC::Picture::BackCover);
        p->setData(data);
        return p;
    };
    auto apic = [&] {
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType(mime);
        frame->setType(front ? TagLib::ID3v2::AttachedPictureFrame::FrontCover
                             : TagLib::ID3v2::AttachedPictureFrame::BackCover);
        frame->setPicture(data);
        return frame;
    };
    switch (format) {
        case TmediaFormat::Mp3: {
            TagLib::MPEG::File f(file.c_str());
            f.ID3v2Tag(true)->addFrame(apic());
            return f.save();
        }
        case TmediaFormat::Wav: {
            TagLib::RIFF::WAV::File f(file.c_str());
            f.ID3v2Tag()->addFrame(apic());
            return f.save();
        }
        case TmediaFormat::Flac: {
            TagLib::FLAC::File f(file.c_str());
            f.addPicture(flacPicture());
            return f.save();
        }
        case TmediaFormat::OggVorbis: {
            TagLib::Ogg::Vorbis::File f(file.c_str());
            f.tag()->addPicture(flacPicture());
            return f.save();
        }
        case TmediaFormat::Opus: {
            TagLib::Ogg::Opus::File f(file.c_str());
            f.tag()->addPicture(flacPicture());
            return f.save();
        }
        case TmediaFormat::M4a: {
            TagLib::MP4::File f(file.c_str());
            TagLib::MP4::CoverArtList covers;
            if (f.tag()->contains("covr")) covers = f.tag()->item("covr").toCoverArtList();
            covers.append(TagLib::MP4::CoverArt(
                mime == "image/png" ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG, data));
            f.tag()->setItem("covr", covers);
            return f.save();
        }
        case TmediaFormat::Wma: {
            TagLib::ASF::File f(file.c_str());
            TagLib::ASF::Picture p;
            p.setMimeType(mime);
            p.setType(front ? TagLib::ASF::Picture::FrontCover : TagLib::ASF::Picture::BackCover);
            p.setPicture(data);
            f.tag()->addAttribute("WM/Picture", TagLib::ASF::Attribute(p));
            return f.save();
        }
        default:
            return false;
    }
}

TEST_F(TaglibTaggerTest, CoverArtComesFromThePictureOfEveryFormatOffTheMainThread) {
    // The program's own loader is the one the tracks ask.
    TaggerLoader().SetPluginFolder((Fdir.Path() / "TagPlugins").string());
    const std::string back =
        "\xFF\xD8\xFF\xE0"
        "back-cover\xFF\xD9";
    const std::string front =
        "\xFF\xD8\xFF\xE0"
        "front-cover\xFF\xD9";
    const struct {
        TmediaFormat Format;
        const char* Name;
    } cases[] = {{TmediaFormat::Mp3, "c.mp3"},       {TmediaFormat::Flac, "c.flac"},
                 {TmediaFormat::OggVorbis, "c.ogg"}, {TmediaFormat::Opus, "c.opus"},
                 {TmediaFormat::M4a, "c.m4a"},       {TmediaFormat::Wma, "c.wma"},
                 {TmediaFormat::Wav, "c.wav"}};
    std::vector<std::string> files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Fdir.File(c.Name);
        if (!MakeMediaFile(file, c.Format)) continue;  // the machine cannot encode it
        // A back cover first, then the front cover: the front cover is the one shown.
        ASSERT_TRUE(EmbedPicture(file, c.Format, "image/jpeg", back, false));
        ASSERT_TRUE(EmbedPicture(file, c.Format, "image/jpeg", front, true));
        files.push_back(file);
    }
    EXPECT_GE(files.size(), 5u) << "too few formats could be encoded";
    // Read on worker threads, several at once, as the picture fetcher does.
    std::vector<std::string> found(files.size());
    std::vector<std::thread> workers;
    for (size_t i = 0; i < files.size(); ++i)
        workers.emplace_back([&, i] {
            TaudioTag tag;
            tag.SetFilename(files[i]);
            TcoverPicture picture;
            for (int round = 0; round < 5; ++round)
                if (tag.LoadCoverImage(picture, false, true)) found[i] = picture.Bytes;
        });
    for (auto& worker : workers) worker.join();
    for (size_t i = 0; i < files.size(); ++i) {
        // MP4 marks no kinds, and the MP3 tag at the file's start is read directly: the
        // first JPEG there.
        const bool first = files[i].ends_with(".m4a") || files[i].ends_with(".mp3");
        EXPECT_EQ(found[i], first ? back : front) << files[i];
    }

    // A picture that is no JPEG is no cover; a file with no picture has none.
    const std::string png = Fdir.File("png.flac");
    if (MakeMediaFile(png, TmediaFormat::Flac)) {
        ASSERT_TRUE(EmbedPicture(png, TmediaFormat::Flac, "image/png", "\x89PNG\r\n\x1A\n....", true));
        TaudioTag tag;
        tag.SetFilename(png);
        std::string jpeg;
        EXPECT_FALSE(tag.GetEmbeddedPicture(jpeg));
        tag.SetFilename(Fdir.File("none.flac"));
        EXPECT_FALSE(tag.GetEmbeddedPicture(jpeg));
    }
    TaggerLoader().SetPluginFolder("");
}

TEST_F(TaglibTaggerTest, VideosGetTheirDurationAndMediaKindVideo) {
    const std::pair<TmediaFormat, const char*> videos[] = {{TmediaFormat::Mp4Video, "v.mp4"},
                                                           {TmediaFormat::MkvVideo, "v.mkv"},
                                                           {TmediaFormat::AviVideo, "v.avi"},
                                                           {TmediaFormat::MpegVideo, "v.mpg"}};
    int tried = 0;
    for (const auto& [format, name] : videos) {
        SCOPED_TRACE(name);
        const std::string file = Fdir.File(name);
        // Three seconds: the MPEG transport stream's duration is estimated from its time
        // stamps, which a shorter stream does not give.
        if (!MakeMediaFile(file, format, 3.0)) continue;
        ++tried;
        TtaggerRecord* record = Read(file);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->MediaType, TAGGER_MEDIA_VIDEO);
        EXPECT_GE(record->Duration, 2);
        EXPECT_LE(record->Duration, 4);
    }
    EXPECT_GE(tried, 2);
}

// MPEG audio frames written byte by byte: a 4-byte header (MPEG-1 or MPEG-2 layer 3,
// no checksum, stereo, no padding) and silence to the frame's length.
struct TmpegRun {
    int Frames;
    int BitrateIndex;  // into the layer 3 table of the version
};

std::string MpegFrames(bool mpeg1, const std::vector<TmpegRun>& runs) {
    static constexpr int kMpeg1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    std::string bytes;
    for (const TmpegRun& run : runs) {
        const int kbps = (mpeg1 ? kMpeg1 : kMpeg2)[run.BitrateIndex];
        const int length = mpeg1 ? 144 * kbps * 1000 / 44100 : 72 * kbps * 1000 / 22050;
        std::string frame(size_t(length), '\0');
        frame[0] = char(0xFF);
        frame[1] = char(mpeg1 ? 0xFB : 0xF3);
        frame[2] = char(run.BitrateIndex << 4);  // 44100 or 22050 Hz, no padding
        frame[3] = 0;
        for (int i = 0; i < run.Frames; ++i) bytes += frame;
    }
    return bytes;
}

// A variable bit rate MP3 without a Xing or VBRI header gets its true length, counted from
// its frames, not one estimated from its first frame's bit rate; a constant one keeps the
// estimate, which is right for it.
TEST_F(TaglibTaggerTest, VariableBitrateMp3WithoutAHeaderGetsItsTrueLength) {
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(Fdir.File(name), std::ios::binary) << bytes;
        return Fdir.File(name);
    };
    // A quiet start at 32 kbit/s, then 320 kbit/s: 1100 frames of 1152 samples at 44.1 kHz
    // are 28.7 s, where the first frame's rate would make 263 s.
    TtaggerRecord* record = Read(write("quiet-start.mp3", MpegFrames(true, {{100, 1}, {1000, 14}})));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Duration, 28);
    EXPECT_EQ(record->BitRate, int(int64_t(100 * 104 + 1000 * 1044) * 8 / (int64_t(1100) * 1152 * 1000 / 44100)));
    EXPECT_EQ(record->SampleRate, 44100);

    // The rate changes only after a long even start (found in the middle), with junk
    // between two frames and an ID3 version 1 tag at the end: 300 + 400 + 300 frames.
    std::string mixed = MpegFrames(true, {{300, 9}, {400, 5}});
    mixed += std::string(333, '\x55');
    mixed += MpegFrames(true, {{300, 13}});
    mixed += "TAG" + std::string(125, ' ');
    record = Read(write("mixed.mp3", mixed));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Duration, 1000 * 1152 / 44100);

    // MPEG-2: 576 samples a frame at 22.05 kHz; 8 then 160 kbit/s.
    record = Read(write("mpeg2.mp3", MpegFrames(false, {{50, 1}, {950, 14}})));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->SampleRate, 22050);
    EXPECT_EQ(record->Duration, 1000 * 576 / 22050);

    // A constant bit rate: 500 frames of 128 kbit/s, 13 s, as TagLib reads it.
    record = Read(write("constant.mp3", MpegFrames(true, {{500, 9}})));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Duration, 13);
    EXPECT_EQ(record->BitRate, 128);
}

TEST_F(TaglibTaggerTest, RefusesGarbageTruncatedAndMissingFilesWithoutCrashing) {
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(Fdir.File(name), std::ios::binary) << bytes;
        return Fdir.File(name);
    };
    const std::string zeros(4096, '\0');
    for (const char* name : {"z.mp3", "z.ogg", "z.opus", "z.flac", "z.m4a", "z.wav", "z.wma", "z.mp4", "z.mkv",
                             "z.avi", "z.mpg"}) {
        EXPECT_EQ(Read(write(name, zeros)), nullptr) << name;
        EXPECT_EQ(Read(write(std::string("e") + name, "")), nullptr) << name;
        EXPECT_EQ(Read(write(std::string("t") + name, "just some text, not media\n")), nullptr) << name;
    }
    EXPECT_EQ(Read(Fdir.File("missing.mp3")), nullptr);
    // The same plug-in is also asked for a name with a media extension that is a folder.
    std::filesystem::create_directory(Fdir.Path() / "folder.mp3");
    EXPECT_EQ(Read(Fdir.File("folder.mp3")), nullptr);

    // Random bytes and cut-off files: any answer is fine as long as nothing crashes.
    std::mt19937 random(42);
    for (const char* name : {"r.mp3", "r.ogg", "r.flac", "r.m4a", "r.wav", "r.wma", "r.mkv"}) {
        std::string bytes(8192, '\0');
        for (char& c : bytes) c = char(random());
        Read(write(name, bytes));
    }
    const std::pair<TmediaFormat, const char*> sources[] = {{TmediaFormat::Mp3, "c.mp3"},
                                                            {TmediaFormat::Flac, "c.flac"},
                                                            {TmediaFormat::OggVorbis, "c.ogg"},
                                                            {TmediaFormat::M4a, "c.m4a"},
                                                            {TmediaFormat::MkvVideo, "c.mkv"}};
    for (const auto& [format, name] : sources) {
        const std::string file = Fdir.File(name);
        if (!MakeMediaFile(file, format)) continue;
        std::string bytes;
        {
            std::ifstream in(file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        for (size_t cut : {size_t(10), size_t(100), bytes.size() / 2}) {
            write(name, bytes.substr(0, cut));
            TtaggerRecord* record = Read(file);
            if (cut <= 10) {
                EXPECT_EQ(record, nullptr) << name << " cut at " << cut;
            }
        }
    }
}

}  // namespace
}  // namespace tunecrest
