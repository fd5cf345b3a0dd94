#pragma once
// The record of one media file as the library knows it (audio track, video,
// internet-radio address or karaoke file): file name, tag values, technical values,
// a counter for the owner and free name=value extra fields.
#include <array>
#include <atomic>
#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/tags/media_kinds.h"
#include "core/base/pooled_text.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_text.h"

namespace tunecrest {

class TaudioTag;

// A counted reference to a track: the track lives while any reference (in any list, the
// current track, a history entry) holds it, so no list can point at a freed track. The
// count lives in the track itself, so a reference is one pointer: a library of a million
// tracks holds ten of them for every track (its lists and groupings), where a shared
// pointer's two words (and its control block in each track) took twice the room.
//
// Tracks are made by NewAudioTag. One made by std::make_shared (tests, rare callers) is
// taken over when first referenced: a table keeps it (its shared pointer) while references
// to it exist, so both kinds of holder can share it.
class TaudioTagPtr {
  public:
    TaudioTagPtr() noexcept = default;
    TaudioTagPtr(std::nullptr_t) noexcept {}
    // A further reference to a track that references hold already (one made by NewAudioTag,
    // or taken over); a track held by nothing but shared pointers is refused (the program
    // stops: a reference must never free a track its owner still holds).
    explicit TaudioTagPtr(TaudioTag* tag);
    TaudioTagPtr(const std::shared_ptr<TaudioTag>& tag);
    TaudioTagPtr(const TaudioTagPtr& other) noexcept : Ftag(other.Ftag) { AddRef(Ftag); }
    TaudioTagPtr(TaudioTagPtr&& other) noexcept : Ftag(other.Ftag) { other.Ftag = nullptr; }
    ~TaudioTagPtr() { Release(Ftag); }
    TaudioTagPtr& operator=(const TaudioTagPtr& other) noexcept {
        TaudioTagPtr(other).swap(*this);
        return *this;
    }
    TaudioTagPtr& operator=(TaudioTagPtr&& other) noexcept {
        TaudioTagPtr(std::move(other)).swap(*this);
        return *this;
    }
    TaudioTagPtr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }
    void swap(TaudioTagPtr& other) noexcept { std::swap(Ftag, other.Ftag); }
    void reset() noexcept {
        Release(Ftag);
        Ftag = nullptr;
    }
    TaudioTag* get() const noexcept { return Ftag; }
    TaudioTag& operator*() const noexcept { return *Ftag; }
    TaudioTag* operator->() const noexcept { return Ftag; }
    explicit operator bool() const noexcept { return Ftag != nullptr; }
    // How many references hold the track.
    long use_count() const noexcept;
    // The track as a shared object (the object of a string list's line, an event's
    // argument): it holds a reference while any copy of it lives.
    operator std::shared_ptr<TObject>() const;
    explicit operator std::shared_ptr<TaudioTag>() const;

    friend bool operator==(const TaudioTagPtr& a, const TaudioTagPtr& b) noexcept { return a.Ftag == b.Ftag; }
    friend bool operator==(const TaudioTagPtr& a, std::nullptr_t) noexcept { return a.Ftag == nullptr; }
    friend std::strong_ordering operator<=>(const TaudioTagPtr& a, const TaudioTagPtr& b) noexcept {
        return std::compare_three_way()(a.Ftag, b.Ftag);
    }

  private:
    friend TaudioTagPtr NewAudioTag();
    static void AddRef(const TaudioTag* tag) noexcept;
    static void Release(TaudioTag* tag) noexcept;
    TaudioTag* Ftag = nullptr;
};

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
    // A tag on the stack or in a member (a working copy); tracks that lists hold are made
    // by NewAudioTag.
    TaudioTag();
    ~TaudioTag() override;
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
    // The file's folder and its name within it (see TfileNameText); a std::string where one is
    // asked for.
    TfileNameText Filename() const {
        return {Ffolder.Text(), Ftexts ? std::string_view(Ftexts->Name(), Ftexts->NameSize) : std::string_view()};
    }
    void SetFilename(std::string_view v);
    const TpooledText& FolderText() const { return Ffolder; }  // the folder, ending in "/", or empty
    const std::string& Artist() const { return Fartist.Text(); }
    const TpooledText& ArtistText() const { return Fartist; }  // the pool's copy, to share
    void SetArtist(std::string_view v) { Fartist = v; }
    void SetArtist(const TpooledText& v) { Fartist = v; }
    TtagText Title() const { return Ftexts ? TtagText({Ftexts->Title(), Ftexts->TitleSize}) : TtagText(); }
    void SetTitle(std::string_view v);
    const std::string& Album() const { return Falbum.Text(); }
    const TpooledText& AlbumText() const { return Falbum; }
    void SetAlbum(std::string_view v) { Falbum = v; }
    void SetAlbum(const TpooledText& v) { Falbum = v; }
    // Kept apart with the rarer values: most tracks have none, and an empty text in every
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
    // Asks for what adding the tag to a list touches (its reference count and its track
    // index) ahead of time: loops that add tags from all over a large library call it a
    // few tags in advance.
    void PrefetchForAdd() const {
        __builtin_prefetch(&Frefs, 1);
        __builtin_prefetch(&FtrackIndex);
    }
    // The same for comparing tags by title and number: first the tag itself, then (a few
    // tags later, once the tag is at hand) the title's letters.
    void PrefetchSortKeys() const {
        __builtin_prefetch(&Ftexts);
        __builtin_prefetch(&FtrackNo);
    }
    void PrefetchTitleText() const { __builtin_prefetch(Ftexts); }

    // Unpublished values.
    // Insertion sequence: the track number until a list numbers the tag on Add/Insert.
    uint32_t Sequence() const { return Fsequence; }
    void SetSequence(uint32_t v) { Fsequence = v; }
    // The cached display line written by the display formatting.
    const std::string& Caption() const { return HasRarer() ? Fextras->Rarer->Caption : EmptyText(); }
    void SetCaption(const std::string& v) {
        if (HasRarer() || !v.empty()) Rarer().Caption = v;
    }
    // Position (from 0) in the master list.
    int32_t StoredPosition() const { return FstoredPosition; }
    void SetStoredPosition(int32_t v) { FstoredPosition = v; }
    // Title of the member list under which a list of lists last filed the tag.
    const std::string& ListName() const { return HasRarer() ? Fextras->Rarer->ListName : EmptyText(); }
    void SetListName(const std::string& v) {
        if (HasRarer() || !v.empty()) Rarer().ListName = v;
    }

private:
    // The values most tags never have, made on first use: a library holds a million tags.
    // A comment is the commonest of them (a ripper's note on every few tracks): a tag with
    // only a comment takes the comment and one pointer more.
    struct Trarer {
        std::string Caption;
        std::string ListName;
        std::unique_ptr<TmyStringList> ExtraFields;
    };
    struct Textras {
        std::string Comment;
        std::unique_ptr<Trarer> Rarer;
    };
    Textras& Extras();
    Trarer& Rarer();
    static const std::string& EmptyText();
    bool HasRarer() const { return Fextras && Fextras->Rarer; }
    bool HasExtraFields() const { return HasRarer() && Fextras->Rarer->ExtraFields; }
    void CopyValuesTo(TaudioTag& dest) const;

    friend class TaudioTagPtr;
    friend TaudioTagPtr NewAudioTag();

    // The title and the name of the file within its folder, in one block: their sizes, then
    // each text followed by a zero byte. Null when both are empty.
    struct Ttexts {
        uint32_t TitleSize, NameSize;
        const char* Title() const { return reinterpret_cast<const char*>(this + 1); }
        const char* Name() const { return Title() + TitleSize + 1; }
        static Ttexts* Make(std::string_view title, std::string_view name);
    };
    void SetTexts(std::string_view title, std::string_view name);

    // A track takes 112 bytes, one of the allocator's sizes, and its block of texts. Artists,
    // albums, dates, genre names, tag kinds and the files' folders repeat from track to track
    // (an album's tracks share all six): they are pooled, one copy of each text for the
    // whole library, each field its number there.
    Ttexts* Ftexts = nullptr;
    TpooledText Ffolder, Fartist, Falbum, Fdate, FgenreString, FtagType;
    // The references that hold the track (TaudioTagPtr).
    mutable std::atomic<uint32_t> Frefs{0};
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
    // What keeps the track: nothing yet (on the stack, or held by shared pointers alone),
    // its references (made by NewAudioTag), or the table of tracks taken over from shared
    // pointers while references hold them.
    enum : uint8_t { kKeptByOwner = 0, kKeptByRefs = 1, kKeptByTable = 2 };
    mutable std::atomic<uint8_t> Fkeeper{kKeptByOwner};
};

// A new track, held by the reference returned.
TaudioTagPtr NewAudioTag();

inline void TaudioTagPtr::AddRef(const TaudioTag* tag) noexcept {
    if (tag) tag->Frefs.fetch_add(1, std::memory_order_relaxed);
}

inline long TaudioTagPtr::use_count() const noexcept {
    return Ftag ? long(Ftag->Frefs.load(std::memory_order_relaxed)) : 0;
}

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

template <>
struct std::hash<tunecrest::TaudioTagPtr> {
    size_t operator()(const tunecrest::TaudioTagPtr& tag) const noexcept { return std::hash<void*>()(tag.get()); }
};
