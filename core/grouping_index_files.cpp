// The grouping index files. They let a restart rebuild the album, artist, title, genre
// and year groupings from the global list without filing every track again:
//   "IXAL" albums:  "IXAL", a signed 32-bit count, then per album its Title (text),
//                   its album artist (text) and an "IXTL" block of its tracks.
//   "IXAR" artists: "IXAR", a signed 32-bit count, then per artist its name (text)
//                   and an "IXTL" block.
//   "IXGR" genres:  "IXGR", a signed 32-bit count, then per genre its name (text), an
//                   "IXTL" block, a whole "IXAR" stream of its artists and a whole
//                   "IXAL" stream of its albums.
//   "IXYR" years:   as "IXGR" with the year or decade name.
// The "IXTL" blocks hold the tracks' positions in the global list.
//
// Readers parse the whole stream before they touch the grouping: a short stream, a
// wrong signature or a position outside the global list (the index was written for
// another library) gives false with a reason and an empty grouping, so the caller can
// rebuild the groupings from the global list instead of using half of them.
#include <algorithm>
#include <string_view>
#include <vector>

#include "core/album_artist_groupings.h"
#include "core/genre_year_groupings.h"
#include "core/grouping_index_writer.h"
#include "core/list_file_io.h"
#include "core/tag_list_files.h"
#include "core/text_utils.h"

namespace tunecrest {

namespace {
constexpr std::string_view kAlbumsMagic = "IXAL";
constexpr std::string_view kArtistsMagic = "IXAR";
constexpr std::string_view kTrackIndexMagic = "IXTL";
// Smallest records: a name (and an album artist) as empty texts and an empty block.
constexpr size_t kMinBlock = 8;
constexpr size_t kMinArtistRecord = 4 + kMinBlock;
constexpr size_t kMinAlbumRecord = 4 + 4 + kMinBlock;
constexpr size_t kMinCategoryRecord = 4 + kMinBlock + 8 + 8;

// One album or artist as stored.
struct TindexRecord {
    std::string Name;
    std::string AlbumArtist;
    std::vector<int32_t> Positions;
};

// One genre or year as stored.
struct TcategoryRecord {
    std::string Name;
    std::vector<int32_t> Positions;
    std::vector<TindexRecord> Artists;
    std::vector<TindexRecord> Albums;
};

bool ReadHeader(TbyteReader& r, std::string_view magic, int32_t& count, std::string* error) {
    std::string_view bytes;
    if (r.Remaining() < 8 || !r.ReadBytes(4, bytes))
        return ReadFailure(error, "\"" + std::string(magic) + "\" stream shorter than 8 bytes");
    if (bytes != magic) return ReadFailure(error, "not a \"" + std::string(magic) + "\" stream");
    r.ReadI32(count);
    if (count < 0) return ReadFailure(error, "negative count in a \"" + std::string(magic) + "\" stream");
    return true;
}

// The count is not trusted for an allocation: reserve only what the data can hold.
template <typename T>
void ReserveFor(std::vector<T>& items, int32_t count, const TbyteReader& r, size_t minRecord) {
    items.reserve(std::min(size_t(count), r.Remaining() / minRecord));
}

bool ParseTrackIndex(TbyteReader& r, int masterCount, std::vector<int32_t>& positions, std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, kTrackIndexMagic, count, error)) return false;
    if (size_t(count) > r.Remaining() / 4)
        return ReadFailure(error, "track index of " + std::to_string(count) + " entries cut short");
    positions.resize(size_t(count));
    for (int32_t& position : positions) {
        r.ReadI32(position);
        if (position < 0 || position >= masterCount)
            return ReadFailure(error, "track position " + std::to_string(position) + " outside the " +
                                          std::to_string(masterCount) + " tracks of the library");
    }
    return true;
}

std::string RecordFailure(std::string_view kind, int32_t i, int32_t count, const std::string& reason) {
    return std::string(kind) + " " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + reason;
}

// An "IXAL" (with album artists) or "IXAR" stream.
bool ParseRecords(TbyteReader& r, bool albums, int masterCount, std::vector<TindexRecord>& records,
                  std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, albums ? kAlbumsMagic : kArtistsMagic, count, error)) return false;
    ReserveFor(records, count, r, albums ? kMinAlbumRecord : kMinArtistRecord);
    const std::string_view kind = albums ? "album" : "artist";
    for (int32_t i = 0; i < count; ++i) {
        TindexRecord& record = records.emplace_back();
        std::string reason;
        if (!ReadText(r, record.Name, &reason) || (albums && !ReadText(r, record.AlbumArtist, &reason)) ||
            !ParseTrackIndex(r, masterCount, record.Positions, &reason))
            return ReadFailure(error, RecordFailure(kind, i, count, reason));
    }
    return true;
}

bool ParseCategories(TbyteReader& r, std::string_view magic, int masterCount,
                     std::vector<TcategoryRecord>& records, std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, magic, count, error)) return false;
    ReserveFor(records, count, r, kMinCategoryRecord);
    for (int32_t i = 0; i < count; ++i) {
        TcategoryRecord& record = records.emplace_back();
        std::string reason;
        if (!ReadText(r, record.Name, &reason) ||
            !ParseTrackIndex(r, masterCount, record.Positions, &reason) ||
            !ParseRecords(r, false, masterCount, record.Artists, &reason) ||
            !ParseRecords(r, true, masterCount, record.Albums, &reason))
            return ReadFailure(error, RecordFailure(magic == "IXGR" ? "genre" : "year", i, count, reason));
    }
    return true;
}

void AddTracks(TaudioTagList& list, const std::vector<int32_t>& positions, const TaudioTagList& master) {
    const auto& tags = master.Items();
    list.Reserve(positions.size());
    // The positions jump about the library, and adding a track touches it: each is
    // asked for a few tracks ahead, so that the waits for memory overlap.
    constexpr size_t kSlotsAhead = 16, kTagsAhead = 8;
    const size_t n = positions.size();
    for (size_t i = 0; i < n; ++i) {
        if (i + kSlotsAhead < n) __builtin_prefetch(&tags[size_t(positions[i + kSlotsAhead])]);
        if (i + kTagsAhead < n) tags[size_t(positions[i + kTagsAhead])]->PrefetchForAdd();
        list.Add(tags[size_t(positions[i])]);
    }
}

// Albums are always created: two albums of one title (in two folders) stay apart.
void FillAlbums(TaudioTagAlbumList& albums, const std::vector<TindexRecord>& records,
                const TaudioTagList& master) {
    for (const auto& record : records) {
        const TaudioTagAlbumPtr album = albums.CreateAlbum(record.Name, record.AlbumArtist);
        // Filled in one bracket so that it sorts by track once.
        album->BeginUpdate();
        AddTracks(*album, record.Positions, master);
        album->EndUpdate();
    }
}

void FillArtists(TaudioTagArtistList& artists, const std::vector<TindexRecord>& records,
                 const TaudioTagList& master) {
    // The file lists the artists in order, each once: while the names rise, none can be
    // there yet, and the lookup (with the table of names it builds) is left out.
    bool rising = artists.Count() == 0;
    const std::string* previous = nullptr;
    for (const auto& record : records) {
        rising = rising && (!previous || CompareText(*previous, record.Name) < 0);
        previous = &record.Name;
        TaudioTagArtistPtr artist = rising ? nullptr : artists.FindArtist(record.Name);
        if (!artist) artist = artists.CreateArtist(record.Name);
        artist->BeginUpdate();
        AddTracks(*artist, record.Positions, master);
        artist->EndUpdate();
    }
}

template <typename Grouping>
bool SaveIndexFile(const Grouping& grouping, const std::string& name, std::string* error) {
    if (name.empty()) return ReadFailure(error, "no file name for the index");
    TbyteWriter w;
    grouping.SaveToStream(w);
    return SafeWriteFile(name, w.Bytes(), error);
}

// Clears the grouping and reads the file into it; the stream must take every byte.
template <typename Grouping>
bool LoadIndexFile(Grouping& grouping, const std::string& name, const TaudioTagList& master,
                   std::string* error) {
    grouping.Clear();
    std::string bytes;
    bool ok = ReadFileBytes(name, bytes, error, kMaxInflatedListBytes);
    if (ok) {
        TbyteReader r(bytes);
        ok = grouping.LoadFromStream(r, master, error);
        if (ok && !r.AtEnd()) {
            ok = ReadFailure(error, "unexpected data after the index");
            grouping.Clear();
        }
    }
    if (!ok && error) *error = name + ": " + *error;
    return ok;
}
}  // namespace

// ---- albums ----

void TaudioTagAlbumList::SaveToStream(TbyteWriter& w) const {
    TindexFileWriter writer(*this);
    while (writer.WriteNext(w)) {
    }
}

void TaudioTagAlbumList::SaveHeadToStream(TbyteWriter& w) const {
    w.WriteBytes(kAlbumsMagic);
    SortPending();
    w.WriteI32(int32_t(Flists.size()));
}


bool TaudioTagAlbumList::LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error) {
    BeginUpdate();
    Clear();
    std::vector<TindexRecord> records;
    const bool ok = ParseRecords(r, true, master.Count(), records, error);
    if (ok) FillAlbums(*this, records, master);
    EndUpdate();
    return ok;
}

bool TaudioTagAlbumList::SaveToFile(const std::string& name, std::string* error) const {
    return SaveIndexFile(*this, name, error);
}

bool TaudioTagAlbumList::LoadFromFile(const std::string& name, const TaudioTagList& master,
                                      std::string* error) {
    return LoadIndexFile(*this, name, master, error);
}

// ---- artists and the title index ----

void TaudioTagArtistList::SaveToStream(TbyteWriter& w) const {
    TindexFileWriter writer(*this);
    while (writer.WriteNext(w)) {
    }
}

void TaudioTagArtistList::SaveHeadToStream(TbyteWriter& w) const {
    w.WriteBytes(kArtistsMagic);
    SortPending();
    w.WriteI32(int32_t(Flists.size()));
}


bool TaudioTagArtistList::LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error) {
    BeginUpdate();
    Clear();
    std::vector<TindexRecord> records;
    const bool ok = ParseRecords(r, false, master.Count(), records, error);
    if (ok) FillArtists(*this, records, master);
    EndUpdate();
    return ok;
}

bool TaudioTagArtistList::SaveToFile(const std::string& name, std::string* error) const {
    return SaveIndexFile(*this, name, error);
}

bool TaudioTagArtistList::LoadFromFile(const std::string& name, const TaudioTagList& master,
                                       std::string* error) {
    return LoadIndexFile(*this, name, master, error);
}

// ---- genres and years ----

void TaudioTagCategoryList::SaveToStream(TbyteWriter& w) const {
    TindexFileWriter writer(*this);
    while (writer.WriteNext(w)) {
    }
}

void TaudioTagCategoryList::SaveHeadToStream(TbyteWriter& w) const {
    w.WriteBytes(IndexMagic());
    SortPending();
    w.WriteI32(int32_t(Flists.size()));
}


bool TaudioTagCategoryList::LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error) {
    BeginUpdate();
    Clear();
    std::vector<TcategoryRecord> records;
    const bool ok = ParseCategories(r, IndexMagic(), master.Count(), records, error);
    if (ok) {
        for (const auto& record : records) {
            TaudioTagCategoryPtr category = FindCategory(record.Name);
            if (!category) category = CreateCategory(record.Name);
            // Loading: the category's own Add must not file the tracks into its artists
            // and albums, which come from their own streams.
            category->Loading = true;
            AddTracks(*category, record.Positions, master);
            FillArtists(category->Artists(), record.Artists, master);
            FillAlbums(category->Albums(), record.Albums, master);
            category->Loading = false;
        }
    }
    EndUpdate();
    return ok;
}

bool TaudioTagCategoryList::SaveToFile(const std::string& name, std::string* error) const {
    return SaveIndexFile(*this, name, error);
}

bool TaudioTagCategoryList::LoadFromFile(const std::string& name, const TaudioTagList& master,
                                         std::string* error) {
    return LoadIndexFile(*this, name, master, error);
}

// ---- written a piece at a time ----

namespace {
// Positions written per piece of a long track list (a large genre holds many thousands).
constexpr size_t kPositionsPerPiece = 8192;
}  // namespace

TindexFileWriter::TindexFileWriter(const TaudioTagListList& grouping) { Push(grouping); }

void TindexFileWriter::Push(const TaudioTagListList& lists) {
    Tkind kind = ikArtists;
    if (dynamic_cast<const TaudioTagAlbumList*>(&lists)) kind = ikAlbums;
    else if (dynamic_cast<const TaudioTagCategoryList*>(&lists)) kind = ikCategories;
    Fstack.push_back({&lists, kind, -1, 0, 0});
}

bool TindexFileWriter::WriteNext(TbyteWriter& w) {
    while (!Fstack.empty()) {
        Tframe& f = Fstack.back();
        if (f.Entry < 0) {
            if (f.Kind == ikAlbums) static_cast<const TaudioTagAlbumList*>(f.Lists)->SaveHeadToStream(w);
            else if (f.Kind == ikArtists) static_cast<const TaudioTagArtistList*>(f.Lists)->SaveHeadToStream(w);
            else static_cast<const TaudioTagCategoryList*>(f.Lists)->SaveHeadToStream(w);
            f.Entry = 0;
            return true;
        }
        if (f.Entry >= f.Lists->Count()) {
            Fstack.pop_back();
            continue;
        }
        const TaudioTagListPtr list = f.Lists->GetList(f.Entry);
        switch (f.Part) {
            case 0:  // the name, then the head of the track block
                WriteText(w, list->Title());
                if (f.Kind == ikAlbums) {
                    const auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(list);
                    WriteText(w, album ? album->AlbumArtist : std::string());
                }
                w.WriteBytes(kTrackIndexMagic);
                w.WriteI32(int32_t(list->Count()));
                f.Part = 1;
                f.Pos = 0;
                return true;
            case 1: {
                const auto& items = list->Items();
                const size_t end = std::min(items.size(), f.Pos + kPositionsPerPiece);
                for (; f.Pos < end; ++f.Pos) w.WriteI32(items[f.Pos]->StoredPosition());
                if (f.Pos >= items.size()) f.Part = f.Kind == ikCategories ? 2 : 4;
                return true;
            }
            case 2: {  // a category's artists, then its albums, each a whole stream
                f.Part = 3;
                const auto category = std::static_pointer_cast<TaudioTagCategory>(list);
                Push(category->Artists());
                continue;
            }
            case 3: {
                f.Part = 4;
                const auto category = std::static_pointer_cast<TaudioTagCategory>(list);
                Push(category->Albums());
                continue;
            }
            default:
                ++f.Entry;
                f.Part = 0;
                continue;
        }
    }
    return false;
}

}  // namespace tunecrest
