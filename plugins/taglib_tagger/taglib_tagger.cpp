// TAG_taglib.so: reads tags and audio properties with TagLib (MP3 with ID3v1/ID3v2, Ogg
// Vorbis, Opus, FLAC, MP4/M4A, WAV, WMA; MP4 video) and the duration of the video
// containers TagLib cannot read (MKV, AVI, MPEG) with GStreamer's discoverer. A file that
// neither can read is refused.
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "plugins/tagger_plugin.h"

namespace {

enum class Treader { TagLib, Discoverer };

struct Textension {
    const char* Name;
    Treader Reader;
    intptr_t Media;
};

const Textension kExtensions[] = {
    {"mp3", Treader::TagLib, TAGGER_MEDIA_AUDIO},      {"ogg", Treader::TagLib, TAGGER_MEDIA_AUDIO},
    {"oga", Treader::TagLib, TAGGER_MEDIA_AUDIO},      {"opus", Treader::TagLib, TAGGER_MEDIA_AUDIO},
    {"flac", Treader::TagLib, TAGGER_MEDIA_AUDIO},     {"m4a", Treader::TagLib, TAGGER_MEDIA_AUDIO},
    {"wav", Treader::TagLib, TAGGER_MEDIA_AUDIO},      {"wma", Treader::TagLib, TAGGER_MEDIA_AUDIO},
    {"mp4", Treader::TagLib, TAGGER_MEDIA_VIDEO},      {"m4v", Treader::TagLib, TAGGER_MEDIA_VIDEO},
    {"mkv", Treader::Discoverer, TAGGER_MEDIA_VIDEO},  {"avi", Treader::Discoverer, TAGGER_MEDIA_VIDEO},
    {"mpg", Treader::Discoverer, TAGGER_MEDIA_VIDEO},  {"mpeg", Treader::Discoverer, TAGGER_MEDIA_VIDEO},
};

// Values of the file last read; the record's getters hand out pointers into these.
struct Tvalues {
    std::string Artist, Title, Album, Comment, Date, Genre, TagType;
    std::string PictureMime;
    int32_t PictureSize = 0;
};

Tvalues Values;
TtaggerRecord Record;
GstDiscoverer* Discoverer = nullptr;

const char* GetArtist(int32_t) { return Values.Artist.c_str(); }
const char* GetTitle(int32_t) { return Values.Title.c_str(); }
const char* GetAlbum(int32_t) { return Values.Album.c_str(); }
const char* GetComment(int32_t) { return Values.Comment.c_str(); }
const char* GetDate(int32_t) { return Values.Date.c_str(); }
const char* GetGenre(int32_t) { return Values.Genre.c_str(); }
const char* GetTagType(int32_t) { return Values.TagType.c_str(); }

void CopyOut(const std::string& text, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
}

// One extra field: the embedded picture ("Picture" = its MIME type, number = its size).
int32_t ExtraFieldCount() { return Values.PictureSize > 0 ? 1 : 0; }
void GetExtraField(int32_t index, char* name, size_t nameSize, char* value, size_t valueSize, int32_t* number) {
    if (index != 0 || Values.PictureSize <= 0) return;
    CopyOut("Picture", name, nameSize);
    CopyOut(Values.PictureMime, value, valueSize);
    if (number) *number = Values.PictureSize;
}

int32_t ExtensionCount() { return int32_t(std::size(kExtensions)); }
void GetExtension(int32_t index, char* buffer, size_t size) {
    if (index >= 0 && size_t(index) < std::size(kExtensions)) CopyOut(kExtensions[index].Name, buffer, size);
}

const Textension* FindExtension(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    std::string ext = fileName.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const Textension& e : kExtensions)
        if (ext == e.Name) return &e;
    return nullptr;
}

void ClearValues() {
    Values = Tvalues{};
    Record.TrackNo = Record.BitRate = Record.Duration = Record.SampleRate = Record.Channels = 0;
    Record.GenreID = 255;
    Record.MediaType = TAGGER_MEDIA_AUDIO;
}

std::string Utf8(const TagLib::String& s) { return s.to8Bit(true); }

void TakePicture(const TagLib::String& mime, unsigned size) {
    if (Values.PictureSize > 0 || size == 0) return;
    Values.PictureMime = Utf8(mime);
    Values.PictureSize = int32_t(std::min<unsigned>(size, 0x7FFFFFFF));
}

// Calls `take(mime, data, frontCover)` for every picture embedded in the file, in file
// order. Reads nothing but the file object given, so it serves both the record's read and
// the stateless picture read.
template <typename Take>
void ForEachPicture(TagLib::File* file, Take&& take) {
    using TagLib::ID3v2::AttachedPictureFrame;
    auto fromId3v2 = [&](TagLib::ID3v2::Tag* tag) {
        if (!tag) return;
        for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC"))
            if (auto* apic = dynamic_cast<AttachedPictureFrame*>(frame))
                take(apic->mimeType(), apic->picture(), apic->type() == AttachedPictureFrame::FrontCover);
    };
    auto fromFlacList = [&](const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
        for (const TagLib::FLAC::Picture* picture : pictures)
            take(picture->mimeType(), picture->data(), picture->type() == TagLib::FLAC::Picture::FrontCover);
    };
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        if (mpeg->hasID3v2Tag()) fromId3v2(mpeg->ID3v2Tag());
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        fromFlacList(flac->pictureList());
    } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
        if (vorbis->tag()) fromFlacList(vorbis->tag()->pictureList());
    } else if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) {
        if (opus->tag()) fromFlacList(opus->tag()->pictureList());
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (mp4->tag()) {
            const TagLib::MP4::ItemMap& items = mp4->tag()->itemMap();
            auto it = items.find("covr");
            if (it != items.end())
                for (const TagLib::MP4::CoverArt& art : it->second.toCoverArtList())
                    take(art.format() == TagLib::MP4::CoverArt::PNG ? "image/png" : "image/jpeg", art.data(),
                         false);
        }
    } else if (auto* asf = dynamic_cast<TagLib::ASF::File*>(file)) {
        if (asf->tag()) {
            const TagLib::ASF::AttributeListMap& attributes = asf->tag()->attributeListMap();
            auto it = attributes.find("WM/Picture");
            if (it != attributes.end())
                for (const TagLib::ASF::Attribute& attribute : it->second) {
                    const TagLib::ASF::Picture picture = attribute.toPicture();
                    if (picture.isValid())
                        take(picture.mimeType(), picture.picture(),
                             picture.type() == TagLib::ASF::Picture::FrontCover);
                }
        }
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        if (wav->hasID3v2Tag()) fromId3v2(wav->ID3v2Tag());
    }
}

// The tag type and embedded picture, which depend on the file's format.
void ReadFormatDetails(TagLib::File* file) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        if (mpeg->hasID3v2Tag())
            Values.TagType = "ID3v2";
        else if (mpeg->hasID3v1Tag())
            Values.TagType = "ID3v1";
        else if (mpeg->hasAPETag())
            Values.TagType = "APE";
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        if (flac->hasXiphComment())
            Values.TagType = "Xiph Comment";
        else if (flac->hasID3v2Tag())
            Values.TagType = "ID3v2";
    } else if (dynamic_cast<TagLib::Ogg::Vorbis::File*>(file) ||
               dynamic_cast<TagLib::Ogg::Opus::File*>(file)) {
        Values.TagType = "Xiph Comment";
    } else if (dynamic_cast<TagLib::MP4::File*>(file)) {
        Values.TagType = "MP4";
    } else if (dynamic_cast<TagLib::ASF::File*>(file)) {
        Values.TagType = "ASF";
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        if (wav->hasID3v2Tag()) Values.TagType = "ID3v2";
        else if (wav->hasInfoTag())
            Values.TagType = "RIFF INFO";
    }
    ForEachPicture(file, [](const TagLib::String& mime, const TagLib::ByteVector& data, bool) {
        TakePicture(mime, data.size());
    });
}

// The ID3v1 number of a genre name (255 when it has none). TagLib's own lookup builds a
// text for every entry of its table on each call, so the answers are remembered.
intptr_t GenreIndex(const std::string& genre) {
    static std::unordered_map<std::string, intptr_t> known;
    auto it = known.find(genre);
    if (it != known.end()) return it->second;
    if (known.size() > 4096) known.clear();
    return known[genre] = intptr_t(TagLib::ID3v1::genreIndex(TagLib::String(genre, TagLib::String::UTF8)));
}

// ---- MPEG audio lengths ----
//
// TagLib takes the length of an MP3 without a Xing or VBRI header from the file's size
// and its first frame's bit rate: right for a constant bit rate, far off for a variable
// one (a quiet first frame of 32 kbit/s makes a 4-minute track last half an hour). Such a
// file is told apart by the bit rates of a few frames at its start and in its middle;
// when they differ, its frames are counted through to the end.

struct TmpegFrame {
    int Version = 0;     // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int Layer = 0;       // 1, 2 or 3
    int SampleRate = 0;  // Hz
    int Bitrate = 0;     // kbit/s
    int Samples = 0;     // a frame's samples a channel
    int Length = 0;      // bytes, header included
    bool SameStream(const TmpegFrame& o) const {
        return Version == o.Version && Layer == o.Layer && SampleRate == o.SampleRate;
    }
};

// The frame whose header starts at `h` (4 bytes); false when it is none (free-format
// frames, which carry no bit rate, included).
bool ParseMpegHeader(const uint8_t* h, TmpegFrame& f) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int version = (h[1] >> 3) & 3, layerBits = (h[1] >> 1) & 3;
    const int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    static constexpr int kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer 1
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer 2
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer 3
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 layer 1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 layers 2, 3
    };
    static constexpr int kRates[3] = {44100, 48000, 32000};
    f.Version = version;
    f.Layer = 4 - layerBits;
    const bool mpeg1 = version == 3;
    f.Bitrate = kBitrates[mpeg1 ? f.Layer - 1 : (f.Layer == 1 ? 3 : 4)][bitrateIndex];
    f.SampleRate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    f.Samples = f.Layer == 1 ? 384 : (f.Layer == 3 && !mpeg1) ? 576 : 1152;
    f.Length = f.Layer == 1 ? (12 * f.Bitrate * 1000 / f.SampleRate + padding) * 4
                            : f.Samples / 8 * f.Bitrate * 1000 / f.SampleRate + padding;
    return f.Length >= 4;
}

// Reads the file by blocks of `block` bytes: what a frame walk needs of it. Small blocks
// for the few frames of a sample, large ones for a walk through the whole file.
class TblockReader {
public:
    TblockReader(int fd, size_t block) : Ffd(fd), Fblock(block), Fbuffer(new uint8_t[block]) {}
    // The `n` bytes (at most a block) at `offset`, fewer at the file's end; null when none
    // can be read.
    const uint8_t* At(int64_t offset, size_t n, size_t& got) {
        if (offset < Fstart || offset + int64_t(n) > Fstart + int64_t(Fsize)) {
            const ssize_t r = ::pread(Ffd, Fbuffer.get(), Fblock, off_t(offset));
            Fsize = r > 0 ? size_t(r) : 0;
            Fstart = offset;
        }
        const int64_t inside = offset - Fstart;
        got = size_t(std::max<int64_t>(0, std::min<int64_t>(int64_t(n), int64_t(Fsize) - inside)));
        return got > 0 ? Fbuffer.get() + inside : nullptr;
    }

private:
    int Ffd;
    size_t Fblock;
    std::unique_ptr<uint8_t[]> Fbuffer;
    int64_t Fstart = 0;
    size_t Fsize = 0;
};

// The file opened for reading, closed at the end of its scope.
struct TreadOnlyFile {
    explicit TreadOnlyFile(const char* name) : Fd(::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~TreadOnlyFile() {
        if (Fd >= 0) ::close(Fd);
    }
    TreadOnlyFile(const TreadOnlyFile&) = delete;
    TreadOnlyFile& operator=(const TreadOnlyFile&) = delete;
    int Fd;
};

// The frame at `offset` when it is one of the stream `like` (any stream when null).
bool FrameAt(TblockReader& in, int64_t offset, const TmpegFrame* like, TmpegFrame& frame) {
    size_t got = 0;
    const uint8_t* h = in.At(offset, 4, got);
    return h && got == 4 && ParseMpegHeader(h, frame) && (!like || frame.SameStream(*like));
}

// The first frame at or after `offset` (within `window` bytes) that the frame after it
// confirms; -1 when there is none.
int64_t FindFrame(TblockReader& in, int64_t offset, int64_t end, const TmpegFrame& like, int64_t window) {
    TmpegFrame frame, next;
    for (int64_t at = offset; at + 4 <= end && at < offset + window; ++at)
        if (FrameAt(in, at, &like, frame) && (at + frame.Length + 4 > end || FrameAt(in, at + frame.Length, &like, next)))
            return at;
    return -1;
}

// Whether the frames at the start and in the middle of the stream all have one bit rate.
bool SameBitrateThroughout(TblockReader& in, int64_t first, int64_t end, const TmpegFrame& head) {
    constexpr int kFramesEach = 12;
    for (const int64_t start : {first, first + (end - first) / 3, first + (end - first) * 2 / 3}) {
        int64_t at = start == first ? start : FindFrame(in, start, end, head, 64 * 1024);
        if (at < 0) continue;
        TmpegFrame frame;
        for (int i = 0; i < kFramesEach && at + 4 <= end && FrameAt(in, at, &head, frame); ++i) {
            if (frame.Bitrate != head.Bitrate) return false;
            at += frame.Length;
        }
    }
    return true;
}

// Counts the frames from `first` to `end`, stepping over junk between frames; the length
// in milliseconds and the average bit rate. False when no frame is found. A frame's length
// depends on the third byte of its header alone once the first two are the stream's, so
// each such byte is worked out once: a four-minute file has some ten thousand frames.
bool CountFrames(TblockReader& in, int64_t first, int64_t end, const TmpegFrame& head, int64_t& lengthMs,
                 int& bitrate) {
    size_t got = 0;
    const uint8_t* start = in.At(first, 4, got);
    if (!start || got < 4) return false;
    const uint8_t streamByte = start[1];
    int lengths[256] = {};  // by the third byte: 0 not yet known, -1 no frame of the stream
    int64_t frames = 0, bytes = 0;
    for (int64_t at = first; at + 4 <= end;) {
        const uint8_t* h = in.At(at, 4, got);
        if (!h || got < 4) break;
        int length = -1;
        if (h[0] == 0xFF && h[1] == streamByte) {
            int& known = lengths[h[2]];
            if (known == 0) {
                TmpegFrame frame;
                known = ParseMpegHeader(h, frame) && frame.SameStream(head) ? frame.Length : -1;
            }
            length = known;
        }
        if (length > 0 && at + length <= end) {
            ++frames;
            bytes += length;
            at += length;
            continue;
        }
        at = FindFrame(in, at + 1, end, head, 64 * 1024);
        if (at < 0) break;
    }
    if (frames == 0) return false;
    lengthMs = frames * head.Samples * 1000 / head.SampleRate;
    bitrate = lengthMs > 0 ? int(bytes * 8 / lengthMs) : head.Bitrate;
    return true;
}

// The true length and average bit rate of an MP3 whose length TagLib estimated without a
// Xing or VBRI header; false when the estimate stands (a constant bit rate) or the file
// cannot be walked.
bool AccurateMpegLength(const char* fileName, TagLib::MPEG::File& mpeg, int64_t& lengthMs, int& bitrate) {
    const TagLib::MPEG::Properties* properties = mpeg.audioProperties();
    if (!properties || properties->xingHeader()) return false;
    const int64_t first = mpeg.firstFrameOffset();
    int64_t end = mpeg.length();
    if (first < 0 || end <= first) return false;
    // The tags after the audio are not frames.
    if (mpeg.hasID3v1Tag()) end -= 128;
    TreadOnlyFile file(fileName);
    if (file.Fd < 0) return false;
    TblockReader samples(file.Fd, 8 * 1024);
    TmpegFrame head;
    if (!FrameAt(samples, first, nullptr, head)) return false;
    if (SameBitrateThroughout(samples, first, end, head)) return false;
    TblockReader whole(file.Fd, 1024 * 1024);
    return CountFrames(whole, first, end, head, lengthMs, bitrate);
}

bool ReadWithTagLib(const char* fileName, const Textension& ext) {
    TagLib::FileRef ref(fileName, true, TagLib::AudioProperties::Average);
    if (ref.isNull() || !ref.file()->isValid()) return false;
    const TagLib::AudioProperties* properties = ref.audioProperties();
    // A file with no recognisable audio (a garbage file with a media name) is refused; a
    // video may have no sound track.
    if (ext.Media == TAGGER_MEDIA_AUDIO && (!properties || properties->sampleRate() <= 0)) return false;
    // Each getter once: on a file with several tags every call walks them all.
    if (const TagLib::Tag* tag = ref.tag()) {
        Values.Artist = Utf8(tag->artist());
        Values.Title = Utf8(tag->title());
        Values.Album = Utf8(tag->album());
        Values.Comment = Utf8(tag->comment());
        Values.Genre = Utf8(tag->genre());
        if (const unsigned year = tag->year(); year > 0) Values.Date = std::to_string(year);
        Record.TrackNo = intptr_t(tag->track());
        if (!Values.Genre.empty()) Record.GenreID = GenreIndex(Values.Genre);
    }
    if (properties) {
        Record.BitRate = properties->bitrate();
        Record.Duration = properties->lengthInSeconds();
        Record.SampleRate = properties->sampleRate();
        Record.Channels = properties->channels();
    }
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file())) {
        int64_t lengthMs = 0;
        int bitrate = 0;
        if (AccurateMpegLength(fileName, *mpeg, lengthMs, bitrate)) {
            Record.Duration = intptr_t(lengthMs / 1000);
            Record.BitRate = bitrate;
        }
    }
    ReadFormatDetails(ref.file());
    Record.MediaType = ext.Media;
    return true;
}

void TakeTagString(const GstTagList* tags, const char* name, std::string& out) {
    gchar* value = nullptr;
    if (tags && gst_tag_list_get_string(tags, name, &value) && value) out = value;
    g_free(value);
}

bool ReadWithDiscoverer(const char* fileName, const Textension& ext) {
    if (!Discoverer) return false;
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(fileName, &error);
    if (!uri) {
        g_clear_error(&error);
        return false;
    }
    GstDiscovererInfo* info = gst_discoverer_discover_uri(Discoverer, uri, &error);
    g_free(uri);
    g_clear_error(&error);
    if (!info) return false;
    bool ok = gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK;
    GList* video = ok ? gst_discoverer_info_get_video_streams(info) : nullptr;
    GList* audio = ok ? gst_discoverer_info_get_audio_streams(info) : nullptr;
    // A container without any stream is no media file.
    if (ok && !video && !audio) ok = false;
    if (ok) {
        Record.Duration = intptr_t(gst_discoverer_info_get_duration(info) / GST_SECOND);
        if (audio) {
            auto* a = GST_DISCOVERER_AUDIO_INFO(audio->data);
            Record.SampleRate = gst_discoverer_audio_info_get_sample_rate(a);
            Record.Channels = gst_discoverer_audio_info_get_channels(a);
            Record.BitRate = gst_discoverer_audio_info_get_bitrate(a) / 1000;
        }
        const GstTagList* tags = gst_discoverer_info_get_tags(info);
        TakeTagString(tags, GST_TAG_ARTIST, Values.Artist);
        TakeTagString(tags, GST_TAG_TITLE, Values.Title);
        TakeTagString(tags, GST_TAG_ALBUM, Values.Album);
        TakeTagString(tags, GST_TAG_COMMENT, Values.Comment);
        TakeTagString(tags, GST_TAG_GENRE, Values.Genre);
        Record.MediaType = ext.Media;
    }
    gst_discoverer_stream_info_list_free(video);
    gst_discoverer_stream_info_list_free(audio);
    gst_discoverer_info_unref(info);
    return ok;
}

int32_t ReadFile(const char* fileName) {
    try {
        ClearValues();
        if (!fileName) return 0;
        const Textension* ext = FindExtension(fileName);
        if (!ext) return 0;
        bool ok = ext->Reader == Treader::TagLib ? ReadWithTagLib(fileName, *ext) : ReadWithDiscoverer(fileName, *ext);
        // An MP4 video without a sound track gets its duration from the discoverer.
        if (ok && ext->Media == TAGGER_MEDIA_VIDEO && Record.Duration == 0 && ext->Reader == Treader::TagLib) {
            Tvalues kept = Values;
            if (ReadWithDiscoverer(fileName, *ext)) {
                const intptr_t duration = Record.Duration;
                Values = kept;
                Record.Duration = duration;
            } else {
                Values = kept;
            }
        }
        if (!ok) ClearValues();
        return ok ? 1 : 0;
    } catch (...) {
        ClearValues();
        return 0;
    }
}

// The picture of one file, read on its own: a FileRef of this call only, no shared values.
int32_t ReadPicture(const char* fileName, TtaggerPictureSink sink, void* context) {
    try {
        if (!fileName || !sink) return 0;
        const Textension* ext = FindExtension(fileName);
        if (!ext || ext->Reader != Treader::TagLib) return 0;
        TagLib::FileRef ref(fileName, false);
        if (ref.isNull() || !ref.file()->isValid()) return 0;
        std::string mime;
        TagLib::ByteVector chosen;
        bool front = false;
        ForEachPicture(ref.file(),
                       [&](const TagLib::String& type, const TagLib::ByteVector& data, bool isFront) {
                           if (data.isEmpty() || front || (!chosen.isEmpty() && !isFront)) return;
                           mime = Utf8(type);
                           chosen = data;
                           front = isFront;
                       });
        if (chosen.isEmpty()) return 0;
        sink(context, mime.c_str(), chosen.data(), chosen.size());
        return 1;
    } catch (...) {
        return 0;
    }
}

void Init(intptr_t, void*) {
    if (Discoverer) return;
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        g_clear_error(&error);
        return;
    }
    Discoverer = gst_discoverer_new(5 * GST_SECOND, &error);
    g_clear_error(&error);
}

void Finalise() {
    if (Discoverer) g_object_unref(Discoverer);
    Discoverer = nullptr;
}

// No settings of its own.
void Configure(uintptr_t) {}
void LoadSettings(const char*) {}
void SaveSettings(const char*) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) TtaggerRecord* GetTagger(void) {
    Record = TtaggerRecord{};
    Record.Description = "TagLib Tagger";
    Record.SupportedFileTypes = "MP3, Ogg Vorbis, Opus, FLAC, MP4/M4A, WAV, WMA, MKV, AVI, MPEG";
    Record.Version = TAGGER_VERSION(1, 1);
    // Readable for every player engine: bit 1 the engine-less base, bit 2 both playing engines,
    // whose kind the main window sets as the loader's support level.
    Record.SupportFlags = 3;
    Record.MediaFlags = TAGGER_MEDIA_AUDIO | TAGGER_MEDIA_VIDEO;
    Record.Artist = GetArtist;
    Record.Title = GetTitle;
    Record.Album = GetAlbum;
    Record.Comment = GetComment;
    Record.Date = GetDate;
    Record.GenreString = GetGenre;
    Record.TagType = GetTagType;
    Record.ExtraFieldCount = ExtraFieldCount;
    Record.GetExtraField = GetExtraField;
    Record.Configure = Configure;
    Record.Init = Init;
    Record.ReadFile = ReadFile;
    Record.ReadPicture = ReadPicture;
    Record.Finalise = Finalise;
    Record.LoadSettings = LoadSettings;
    Record.SaveSettings = SaveSettings;
    Record.ExtensionCount = ExtensionCount;
    Record.GetExtension = GetExtension;
    ClearValues();
    return &Record;
}
