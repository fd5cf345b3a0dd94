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
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <cstring>
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
