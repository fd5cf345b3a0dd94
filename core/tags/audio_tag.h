#pragma once
// The record of one media file as the library knows it (audio track, video,
// internet-radio address or karaoke file): file name, tag values, technical values,
// a counter for the owner and free name=value extra fields.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/tags/media_kinds.h"
#include "core/base/pooled_text.h"
#include "core/base/string_lists.h"

namespace tunecrest {

class TaudioTag;
using TaudioTagPtr = std::shared_ptr<TaudioTag>;

// The twelve layouts of a tag's display line.
enum TtagDisplayFormat : int {
    tdfArtistTitle,
    tdfTitleArtist,
    tdfArtistTitleDuration,
    tdfTitleArtistDuration,
    tdfTitleDuration,
    tdfTrackTitleDuration,
    tdfTrackArtistTitleDuration,
    tdfTrackArtistTitle,
    tdfTracktitle,
    tdfArtistTitleAlbumTrack,
    tdfTimeArtistTitleFilename,
    tdfTitle
};

// The published properties of a tag, in the order in which stored forms (the binary
// tag record, the XML pairs) write them.
enum class TtagPropertyKind { Text, UInt32, Int32, DateTime, Strings };
struct TtagPropertyInfo {
    const char* Name;
    TtagPropertyKind Kind;
    bool ReadOnly;
};
inline constexpr std::array<TtagPropertyInfo, 20> kAudioTagProperties = {{
    {"Filename", TtagPropertyKind::Text, false},
    {"Artist", TtagPropertyKind::Text, false},
    {"Title", TtagPropertyKind::Text, false},
    {"Album", TtagPropertyKind::Text, false},
    {"Comment", TtagPropertyKind::Text, false},
    {"TrackNo", TtagPropertyKind::UInt32, false},
    {"Date", TtagPropertyKind::Text, false},
    {"GenreID", TtagPropertyKind::UInt32, false},
    {"GenreString", TtagPropertyKind::Text, false},
    {"BitRate", TtagPropertyKind::UInt32, false},
    {"Duration", TtagPropertyKind::UInt32, false},
    {"SampleRate", TtagPropertyKind::UInt32, false},
    {"Channels", TtagPropertyKind::UInt32, false},
    {"ChannelMode", TtagPropertyKind::Text, true},  // derived from Channels
    {"TagType", TtagPropertyKind::Text, false},
    {"ModDate", TtagPropertyKind::DateTime, false},
    {"MediaType", TtagPropertyKind::UInt32, false},
    {"Data", TtagPropertyKind::UInt32, false},
    {"ExtraFields", TtagPropertyKind::Strings, false},  // name=value lines, edited in place
    {"TrackIndex", TtagPropertyKind::Int32, false},
}};

// What a tagger plug-in offers after it has read a file. The plug-in loader
// implements it over the plug-in's record.
class TtagSource {
public:
    virtual ~TtagSource() = default;
    virtual std::string Artist() = 0;
    virtual std::string Title() = 0;
    virtual std::string Album() = 0;
    virtual std::string Comment() = 0;
    virtual uint32_t TrackNo() = 0;
    virtual std::string Date() = 0;
    virtual uint32_t GenreID() = 0;
    virtual std::string GenreString() = 0;
    virtual uint32_t BitRate() = 0;
    virtual uint32_t Duration() = 0;
    virtual uint32_t SampleRate() = 0;
    virtual uint32_t Channels() = 0;
    virtual uint32_t MediaType() = 0;
    virtual std::string TagType() = 0;
    virtual int ExtraFieldCount() = 0;
    // Entry `index` (0 .. ExtraFieldCount-1) as a name and a value.
    virtual void GetExtraField(int index, std::string& name, std::string& value) = 0;
};

// A cover picture as found: the file it came from, or the JPEG bytes embedded in the
// media file. Decoding is left to the interface.
struct TcoverPicture {
    std::string FileName;  // empty for an embedded picture
    std::string Bytes;
    bool Empty() const { return Bytes.empty(); }
    void Clear() {
        FileName.clear();
        Bytes.clear();
    }
};

class TaudioTag : public TObject {
public:
    TaudioTag();
    TaudioTag(const TaudioTag&) = delete;
    TaudioTag& operator=(const TaudioTag&) = delete;

    // A new tag with the same values and extra fields; not numbered (TrackIndex 0),
    // no caption, no stored position.
    TaudioTagPtr Clone() const;
    // Copies the values and extra fields into `dest`, keeping dest's TrackIndex.
    void AssignTagInfo(TaudioTag& dest) const;

    std::string GetDisplayText(TtagDisplayFormat format) const;
    // A video needs a title, anything else an artist.
    bool HasDisplayName() const;

    void ReadFromPlugin(TtagSource& plugin);
    // Fills fields from the file path through a mask of "%a", "%b", "%t", "%n", "%g".
    void ApplyFileMask(const std::string& mask, bool albumFromParentFolder, uint32_t mediaSupportLevel,
                       bool artistFromParentFolder);
    // `columns` holds one column index per importable field (GetAudioTagFieldNames order);
    // any other number of indexes changes nothing.
    void SetFieldsFromColumns(const std::vector<int>& columns, const std::vector<std::string>& values);
    // Appends the tag's comma-separated row (23 columns) to `row`.
    void GetCSVRow(std::string& row) const;

    // The file's folder with a trailing separator; name with extension; extension
    // without its dot; PathPart followed by Album, or by "[No Album]".
    std::string PathPart() const;
    std::string FilePart() const;
    std::string ExtPart() const;
    std::string AlbumPath() const;

    // The first existing cover file for this tag's artist and album, or empty.
    std::string FindCoverFile(const std::string& coverFolder, bool coverFolderOnly) const;
    // The JPEG picture of the ID3v2 tag at the start of the file; false when none.
    bool GetEmbeddedPicture(std::string& jpeg) const;
    // Fills `picture` from the cover file and/or the embedded picture in the order
    // the flags give; true when it holds a picture.
    bool LoadCoverImage(TcoverPicture& picture, bool fileFirst, bool useEmbedded,
                        const std::string& coverFolder = "", bool coverFolderOnly = false) const;

    // Published properties.
    const std::string& Filename() const { return Ffilename; }
    void SetFilename(std::string_view v) { Ffilename = v; }
    const std::string& Artist() const { return Fartist.Text(); }
    const TpooledText& ArtistText() const { return Fartist; }  // the pool's copy, to share
    void SetArtist(std::string_view v) { Fartist = v; }
    void SetArtist(const TpooledText& v) { Fartist = v; }
    const std::string& Title() const { return Ftitle; }
    void SetTitle(std::string_view v) { Ftitle = v; }
    const std::string& Album() const { return Falbum.Text(); }
    const TpooledText& AlbumText() const { return Falbum; }
    void SetAlbum(std::string_view v) { Falbum = v; }
    void SetAlbum(const TpooledText& v) { Falbum = v; }
    // Kept with the rarer values: most tracks have none, and an empty text in every
    // track of a million would cost 32 MB.
    const std::string& Comment() const { return Fextras ? Fextras->Comment : EmptyText(); }
    void SetComment(std::string_view v) {
        if (Fextras || !v.empty()) Extras().Comment = v;
    }
    uint32_t TrackNo() const { return FtrackNo; }
    // Also makes the track number the insertion sequence.
    void SetTrackNo(uint32_t v) {
        FtrackNo = v;
        Fsequence = v;
    }
    const std::string& Date() const { return Fdate.Text(); }
    void SetDate(std::string_view v) { Fdate = v; }
    void SetDate(const TpooledText& v) { Fdate = v; }
    uint32_t GenreID() const { return FgenreID; }
    void SetGenreID(uint32_t v) { FgenreID = v; }
    const std::string& GenreString() const { return FgenreString.Text(); }
    void SetGenreString(std::string_view v) { FgenreString = v; }
    void SetGenreString(const TpooledText& v) { FgenreString = v; }
    uint32_t BitRate() const { return FbitRate; }
    void SetBitRate(uint32_t v) { FbitRate = v; }
    uint32_t Duration() const { return Fduration; }
    void SetDuration(uint32_t v) { Fduration = v; }
    uint32_t SampleRate() const { return FsampleRate; }
    void SetSampleRate(uint32_t v) { FsampleRate = v; }
    uint32_t Channels() const { return Fchannels; }
    void SetChannels(uint32_t v) { Fchannels = v; }
    // "Mono", "Stereo", "Unknown" (0 channels) or "Multi".
    std::string ChannelMode() const;
    const std::string& TagType() const { return FtagType.Text(); }
    void SetTagType(std::string_view v) { FtagType = v; }
    void SetTagType(const TpooledText& v) { FtagType = v; }
    TDateTime ModDate() const { return FmodDate; }
    void SetModDate(TDateTime v) { FmodDate = v; }
    uint32_t MediaType() const { return FmediaType; }
    void SetMediaType(uint32_t v) { FmediaType = v; }
    uint32_t Data() const { return Fdata; }
    void SetData(uint32_t v) { Fdata = v; }
    // Owned by the tag and always edited in place.
    // Made on first use: most tracks have none, and a library holds a million tags.
    TmyStringList& ExtraFields();
    const TmyStringList& ExtraFields() const;
    int32_t TrackIndex() const { return FtrackIndex; }
    void SetTrackIndex(int32_t v) { FtrackIndex = v; }
    // Asks for what adding the tag to a list touches (its share count, which make_shared
    // keeps just before it, and its track index) ahead of time: loops that add tags
    // from all over a large library call it a few tags in advance.
    void PrefetchForAdd() const {
        __builtin_prefetch(reinterpret_cast<const char*>(this) - 16, 1);
        __builtin_prefetch(&FtrackIndex);
    }
    // The same for comparing tags by title and number: first the tag itself, then (a few
    // tags later, once the tag is at hand) the title's letters.
    void PrefetchSortKeys() const {
        __builtin_prefetch(&Ftitle);
        __builtin_prefetch(&FtrackNo);
    }
    void PrefetchTitleText() const { __builtin_prefetch(Ftitle.data()); }

    // Unpublished values.
    // Insertion sequence: the track number until a list numbers the tag on Add/Insert.
    uint32_t Sequence() const { return Fsequence; }
    void SetSequence(uint32_t v) { Fsequence = v; }
    // The cached display line written by the display formatting.
    const std::string& Caption() const { return Fextras ? Fextras->Caption : EmptyText(); }
    void SetCaption(const std::string& v) {
        if (Fextras || !v.empty()) Extras().Caption = v;
    }
    // Position (from 0) in the master list.
    int32_t StoredPosition() const { return FstoredPosition; }
    void SetStoredPosition(int32_t v) { FstoredPosition = v; }
    // Title of the member list under which a list of lists last filed the tag.
    const std::string& ListName() const { return Fextras ? Fextras->ListName : EmptyText(); }
    void SetListName(const std::string& v) {
        if (Fextras || !v.empty()) Extras().ListName = v;
    }

private:
    // The values most tags never have, made on first use: a library holds a million tags.
    struct Textras {
        std::string Comment;
        std::string Caption;
        std::string ListName;
        std::unique_ptr<TmyStringList> ExtraFields;
    };
    Textras& Extras();
    static const std::string& EmptyText();
    bool HasExtraFields() const { return Fextras && Fextras->ExtraFields; }
    void CopyValuesTo(TaudioTag& dest) const;

    // Texts first, then the numbers together, so that no field is padded. Artists, albums,
    // dates, genre names and tag kinds repeat from track to track (an album's tracks share
    // all five): they are pooled, one copy of each text for the whole library.
    std::string Ffilename, Ftitle;
    TpooledText Fartist, Falbum, Fdate, FgenreString, FtagType;
    TDateTime FmodDate = 0;
    std::unique_ptr<Textras> Fextras;
    uint32_t FtrackNo = 0;
    uint32_t FgenreID = 255;  // none
    uint32_t FbitRate = 0, Fduration = 0, FsampleRate = 0, Fchannels = 0;
    uint32_t FmediaType = 0;
    uint32_t Fdata = 0;
    int32_t FtrackIndex = 0;
    uint32_t Fsequence = 0;
    int32_t FstoredPosition = 0;
};

// Clears `list` and fills it with the 14 importable field names, in column order.
void GetAudioTagFieldNames(TmyStringList& list);
constexpr int kImportFieldCount = 14;
// Minutes and seconds: "%d:%2.2d".
std::string FormatMS(int64_t seconds);

// The JPEG picture of an ID3v2 tag, given the first bytes of a file (at least the
// whole tag) and the file's size. Bounded by the tag and the bytes given; false when
// there is none.
bool ExtractId3Jpeg(std::string_view fileStart, uint64_t fileSize, std::string& jpeg);

}  // namespace tunecrest
