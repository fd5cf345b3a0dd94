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
#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/grouping_index_files.h"
#include "core/library/grouping_index_writer.h"
#include "core/library/load_threads.h"
#include "core/tags/list_file_io.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
constexpr std::string_view kAlbumsMagic = "IXAL";
constexpr std::string_view kArtistsMagic = "IXAR";
// Smallest records: a name (and an album artist) as empty texts and an empty block.
constexpr size_t kMinBlock = 8;
constexpr size_t kMinArtistRecord = 4 + kMinBlock;
constexpr size_t kMinAlbumRecord = 4 + 4 + kMinBlock;
constexpr size_t kMinCategoryRecord = 4 + kMinBlock + 8 + 8;

// A block's track positions, read where they lie in the stream (signed 32-bit, least
// significant byte first) and checked against the library.
struct TpositionRun {
    const unsigned char* At = nullptr;
    size_t Count = 0;

    size_t size() const { return Count; }
    int32_t operator[](size_t i) const {
        const unsigned char* p = At + 4 * i;
        return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
};

// The stream's texts, where they lie in it; the few that are not UTF-8 are converted
// into a store that lives as long as the records.
using TtextStore = std::deque<std::string>;

// Memory for the records of one large index file: large blocks of its own (MapLargeBlock),
// given back whole with the records. A thread of its own reads large files while the
// library loads, and its first heap memory would come one small page at a time, each
// costing more than the record written into it; the heap would also keep those pages once
// the records are filed. Freeing a record list gives nothing back by itself.
class TrecordArena {
public:
    TrecordArena() = default;
    ~TrecordArena() {
        for (const auto& [block, size] : Fblocks) UnmapLargeBlock(block, size);
    }
    TrecordArena(const TrecordArena&) = delete;
    TrecordArena& operator=(const TrecordArena&) = delete;

    void* Allocate(size_t bytes, size_t align) {
        size_t at = (Fused + align - 1) / align * align;
        if (!Fcurrent || at + bytes > Fsize) {
            size_t size = bytes;
            char* block = MapLargeBlock(size);
            if (!block) throw std::bad_alloc();
            Fblocks.emplace_back(block, size);
            Fcurrent = block;
            Fsize = size;
            at = 0;
        }
        Fused = at + bytes;
        return Fcurrent + at;
    }

private:
    std::vector<std::pair<char*, size_t>> Fblocks;
    char* Fcurrent = nullptr;
    size_t Fsize = 0, Fused = 0;
};

// From an arena when given one, else from the heap (a small file's records).
template <typename T>
class TrecordAllocator {
public:
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    TrecordAllocator(TrecordArena* arena = nullptr) : Farena(arena) {}
    template <typename U>
    TrecordAllocator(const TrecordAllocator<U>& other) : Farena(other.Arena()) {}
    T* allocate(size_t n) {
        if (!Farena) return std::allocator<T>().allocate(n);
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(Farena->Allocate(n * sizeof(T), alignof(T)));
    }
    void deallocate(T* p, size_t n) {
        if (!Farena) std::allocator<T>().deallocate(p, n);
    }
    TrecordArena* Arena() const { return Farena; }
    friend bool operator==(const TrecordAllocator& a, const TrecordAllocator& b) { return a.Farena == b.Farena; }

private:
    TrecordArena* Farena;
};

// One album or artist as stored.
struct TindexRecord {
    std::string_view Name;
    std::string_view AlbumArtist;
    TpositionRun Positions;
};
using TrecordVector = std::vector<TindexRecord, TrecordAllocator<TindexRecord>>;

// One genre or year as stored.
struct TcategoryRecord {
    explicit TcategoryRecord(TrecordArena* arena) : Artists(arena), Albums(arena) {}
    std::string_view Name;
    TpositionRun Positions;
    TrecordVector Artists;
    TrecordVector Albums;
};
using TcategoryVector = std::vector<TcategoryRecord, TrecordAllocator<TcategoryRecord>>;

// Files this large have their records in an arena of their own.
constexpr size_t kArenaFileBytes = size_t(256) << 10;

// `before` "magic" `after`.
std::string AboutStream(std::string_view before, std::string_view magic, std::string_view after) {
    std::string text(before);
    text.append(1, '"').append(magic).append(1, '"').append(after);
    return text;
}

bool ReadHeader(TbyteReader& r, std::string_view magic, int32_t& count, std::string* error) {
    std::string_view bytes;
    if (r.Remaining() < 8 || !r.ReadBytes(4, bytes))
        return ReadFailure(error, AboutStream("", magic, " stream shorter than 8 bytes"));
    if (bytes != magic) return ReadFailure(error, AboutStream("not a ", magic, " stream"));
    r.ReadI32(count);
    if (count < 0) return ReadFailure(error, AboutStream("negative count in a ", magic, " stream"));
    return true;
}

// The count is not trusted for an allocation: reserve only what the data can hold.
template <typename T, typename A>
void ReserveFor(std::vector<T, A>& items, int32_t count, const TbyteReader& r, size_t minRecord) {
    items.reserve(std::min(size_t(count), r.Remaining() / minRecord));
}

// A text as ReadText reads it, without a copy where it is UTF-8 already.
bool ReadTextView(TbyteReader& r, std::string_view& text, TtextStore& store, std::string* error) {
    int32_t length = 0;
    if (!r.ReadI32(length)) return ReadFailure(error, "truncated text length");
    if (length < 0) return ReadFailure(error, "negative text length");
    if (size_t(length) > kMaxListText) return ReadFailure(error, "text longer than 8192 bytes");
    if (!r.ReadBytes(size_t(length), text)) return ReadFailure(error, "text runs past the end of the data");
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    if (!IsValidUtf8(text)) text = store.emplace_back(LegacyTextToUtf8(text));
    return true;
}

std::string OutsideFailure(int32_t position, int tracks) {
    return "track position " + std::to_string(position) + " outside the " + std::to_string(tracks) +
           " tracks of the library";
}

// The library's size, when it is known as the file is read. A file read while the library
// itself is still loading is checked for negative positions at once and for positions
// past the library's end once it has loaded, from the largest one it holds.
struct TpositionLimit {
    int Tracks = -1;  // unknown
    int32_t Largest = -1;
};

bool ParseTrackIndex(TbyteReader& r, TpositionLimit& limit, TpositionRun& positions, std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, kTrackIndexMagic, count, error)) return false;
    if (size_t(count) > r.Remaining() / 4)
        return ReadFailure(error, "track index of " + std::to_string(count) + " entries cut short");
    std::string_view bytes;
    r.ReadBytes(size_t(count) * 4, bytes);
    positions = TpositionRun{reinterpret_cast<const unsigned char*>(bytes.data()), size_t(count)};
    int32_t largest = limit.Largest;
    for (size_t i = 0; i < positions.size(); ++i) {
        const int32_t position = positions[i];
        if (position < 0 || (limit.Tracks >= 0 && position >= limit.Tracks))
            return ReadFailure(error, OutsideFailure(position, std::max(limit.Tracks, 0)));
        largest = std::max(largest, position);
    }
    limit.Largest = largest;
    return true;
}

std::string RecordFailure(std::string_view kind, int32_t i, int32_t count, const std::string& reason) {
    return std::string(kind) + " " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + reason;
}

// An "IXAL" (with album artists) or "IXAR" stream.
bool ParseRecords(TbyteReader& r, bool albums, TpositionLimit& limit, TrecordVector& records,
                  TtextStore& store, std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, albums ? kAlbumsMagic : kArtistsMagic, count, error)) return false;
    ReserveFor(records, count, r, albums ? kMinAlbumRecord : kMinArtistRecord);
    const std::string_view kind = albums ? "album" : "artist";
    for (int32_t i = 0; i < count; ++i) {
        TindexRecord& record = records.emplace_back();
        std::string reason;
        if (!ReadTextView(r, record.Name, store, &reason) ||
            (albums && !ReadTextView(r, record.AlbumArtist, store, &reason)) ||
            !ParseTrackIndex(r, limit, record.Positions, &reason))
            return ReadFailure(error, RecordFailure(kind, i, count, reason));
    }
    return true;
}

bool ParseCategories(TbyteReader& r, std::string_view magic, TpositionLimit& limit,
                     TcategoryVector& records, TtextStore& store, std::string* error) {
    int32_t count = 0;
    if (!ReadHeader(r, magic, count, error)) return false;
    ReserveFor(records, count, r, kMinCategoryRecord);
    for (int32_t i = 0; i < count; ++i) {
        TcategoryRecord& record = records.emplace_back(records.get_allocator().Arena());
        std::string reason;
        if (!ReadTextView(r, record.Name, store, &reason) ||
            !ParseTrackIndex(r, limit, record.Positions, &reason) ||
            !ParseRecords(r, false, limit, record.Artists, store, &reason) ||
            !ParseRecords(r, true, limit, record.Albums, store, &reason))
            return ReadFailure(error, RecordFailure(magic == "IXGR" ? "genre" : "year", i, count, reason));
    }
    return true;
}

// `tags`: the tracks the positions count (the global list's, or a category's).
void AddTracks(TaudioTagList& list, const TpositionRun& positions, const std::vector<TaudioTagPtr>& tags) {
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

// A list made on the loading thread, to be filled on any: the runs of tracks it takes,
// in the file's order (a list named twice in a file takes more than one). Its update
// bracket, opened when it was made, closes once filled.
struct TlistFill {
    TaudioTagList* List = nullptr;
    const TpositionRun* First = nullptr;
    std::vector<const TpositionRun*> More;
};

void Fill(const TlistFill& fill, const std::vector<TaudioTagPtr>& tags) {
    size_t total = fill.First->size();
    for (const TpositionRun* run : fill.More) total += run->size();
    fill.List->Reserve(total);
    AddTracks(*fill.List, *fill.First, tags);
    for (const TpositionRun* run : fill.More) AddTracks(*fill.List, *run, tags);
    fill.List->EndUpdate();
}

// A list made to be filled on another thread takes its memory here when it is large (a
// genre, a year, a letter of the title index): each thread's heap keeps a part-used page
// for each size of large block it gave out, and those pages are large. Small lists are
// left to the thread that fills them.
void ReserveLarge(TaudioTagList& list, size_t tracks) {
    constexpr size_t kLargeList = 64;
    if (tracks >= kLargeList) list.Reserve(tracks);
}

// The names of the lists an index file's records make, as the pool holds them. An
// artist's or an album's first track mostly names it so: its copy is taken from there,
// without a search of the pool, which thousands of lists made in a row would mostly miss
// in the processor's caches.
using TnameField = const TpooledText& (TaudioTag::*)() const;

class TlistNames {
public:
    TlistNames(const TrecordVector& records, const std::vector<TaudioTagPtr>& tags, TnameField field)
        : Frecords(records), Fitems(tags), Ffield(field) {}

    // The name of the list of record `i`, the records taken in order. Reaching the first
    // track's name takes four reads, each waiting for the one before: each is asked for
    // some records ahead, so that the waits overlap.
    TpooledText Of(size_t i) const {
        if (const TaudioTagPtr* slot = FirstTrack(i + 16)) __builtin_prefetch(slot);
        if (const TaudioTagPtr* slot = FirstTrack(i + 12)) __builtin_prefetch(slot->get());
        if (const TaudioTagPtr* slot = FirstTrack(i + 8)) __builtin_prefetch(&(**slot.*Ffield)().Text());
        if (const TaudioTagPtr* slot = FirstTrack(i + 4)) __builtin_prefetch((**slot.*Ffield)().Text().data());
        const std::string_view name = Frecords[i].Name;
        if (const TaudioTagPtr* slot = FirstTrack(i)) {
            const TpooledText& text = (**slot.*Ffield)();
            if (text.Text() == name) return text;
        }
        return TpooledText(name);
    }

private:
    const TaudioTagPtr* FirstTrack(size_t i) const {
        if (i >= Frecords.size() || Frecords[i].Positions.size() == 0) return nullptr;
        const int32_t first = Frecords[i].Positions[0];
        return first >= 0 && size_t(first) < Fitems.size() ? &Fitems[size_t(first)] : nullptr;
    }

    const TrecordVector& Frecords;
    const std::vector<TaudioTagPtr>& Fitems;
    TnameField Ffield;
};

// The artists of an artist file (or the letters of the title index), made as FillArtists
// makes them: a name the file gives twice is one artist, filled from both records.
void MakeArtists(TaudioTagArtistList& artists, const TrecordVector& records, const std::vector<TaudioTagPtr>& tags,
                 std::vector<TlistFill>& fills) {
    const size_t from = fills.size();
    // The file lists the artists in order, each once: while the names rise, none can be
    // there yet, and the lookup is left out.
    bool rising = artists.Count() == 0;
    const std::string_view* previous = nullptr;
    // Each artist's fill, made once a record names an artist already there.
    std::unordered_map<const TaudioTagList*, size_t> places;
    const TlistNames names(records, tags, &TaudioTag::ArtistText);
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        rising = rising && (!previous || CompareText(*previous, record.Name) < 0);
        previous = &record.Name;
        const TaudioTagArtistPtr known = rising ? nullptr : artists.FindArtist(std::string(record.Name));
        if (!known) {
            const TaudioTagArtistPtr artist = artists.CreateArtist(names.Of(i));
            ReserveLarge(*artist, record.Positions.size());
            artist->BeginUpdate();
            if (!places.empty()) places.emplace(artist.get(), fills.size());
            fills.push_back({artist.get(), &record.Positions, {}});
            continue;
        }
        if (places.empty())
            for (size_t i = from; i < fills.size(); ++i) places.emplace(fills[i].List, i);
        if (const auto place = places.find(known.get()); place != places.end()) {
            fills[place->second].More.push_back(&record.Positions);
            continue;
        }
        // Filled before this call (a category the file names twice): it takes these too.
        known->BeginUpdate();
        places.emplace(known.get(), fills.size());
        fills.push_back({known.get(), &record.Positions, {}});
    }
}

// Albums are always made: two albums of one title (in two folders) stay apart. Each is
// filled in one bracket, so that it sorts by track once.
void MakeAlbums(TaudioTagAlbumList& albums, const TrecordVector& records, const std::vector<TaudioTagPtr>& tags,
                std::vector<TlistFill>& fills) {
    const TlistNames names(records, tags, &TaudioTag::AlbumText);
    for (size_t i = 0; i < records.size(); ++i) {
        const TaudioTagAlbumPtr album = albums.CreateAlbum(names.Of(i), std::string(records[i].AlbumArtist));
        ReserveLarge(*album, records[i].Positions.size());
        album->BeginUpdate();
        fills.push_back({album.get(), &records[i].Positions, {}});
    }
}

void FillAlbums(TaudioTagAlbumList& albums, const TrecordVector& records, const std::vector<TaudioTagPtr>& tags) {
    std::vector<TlistFill> fills;
    MakeAlbums(albums, records, tags, fills);
    for (const TlistFill& fill : fills) Fill(fill, tags);
}

void FillArtists(TaudioTagArtistList& artists, const TrecordVector& records, const std::vector<TaudioTagPtr>& tags) {
    std::vector<TlistFill> fills;
    MakeArtists(artists, records, tags, fills);
    for (const TlistFill& fill : fills) Fill(fill, tags);
}

// A genre's or year's artists and albums as its index file gave them, kept until first
// asked for. Their names and positions are copied out of the file (which goes back to
// the system once the library has loaded); the positions count the library's tracks as
// it loaded, and `TracksAt` says which track each one was.
class TstoredCategoryLists final : public TaudioTagCategory::TdeferredLists {
public:
    using TtracksAt = std::shared_ptr<const std::vector<const TaudioTag*>>;

    TstoredCategoryLists(const std::vector<const TcategoryRecord*>& records, TtracksAt tracksAt)
        : FtracksAt(std::move(tracksAt)) {
        size_t texts = 0, positions = 0;
        for (const TcategoryRecord* record : records)
            for (const TrecordVector* lists : {&record->Artists, &record->Albums})
                for (const TindexRecord& list : *lists) {
                    texts += list.Name.size() + list.AlbumArtist.size();
                    positions += list.Positions.size();
                }
        // Reserved whole, so that the views into them stay where they are.
        Ftexts.reserve(texts);
        Fpositions.reserve(4 * positions);
        for (const TcategoryRecord* record : records) {
            Tpart& part = Fparts.emplace_back();
            Copy(record->Artists, part.Artists);
            Copy(record->Albums, part.Albums);
        }
    }

    void Make(TaudioTagArtistList& artists, TaudioTagAlbumList& albums,
              const std::vector<TaudioTagPtr>& tracks, const std::vector<const TaudioTag*>* keys) override {
        // Each position becomes the place of its track among the category's tracks. A
        // track that left the category since is left out: a stored address only serves
        // to find a track among the category's own, and is never followed.
        std::unordered_map<const TaudioTag*, int32_t> places;
        places.reserve(tracks.size());
        for (size_t i = 0; i < tracks.size(); ++i)
            places.emplace(keys ? (*keys)[i] : tracks[i].get(), int32_t(i));
        for (Tpart& part : Fparts) {
            Renumber(part.Artists, places);
            Renumber(part.Albums, places);
        }
        // As the index file's load would have filled them, a record at a time.
        for (const Tpart& part : Fparts) {
            FillArtists(artists, part.Artists, tracks);
            FillAlbums(albums, part.Albums, tracks);
        }
        if (albums.UpdateCount() > 0) albums.EndUpdate();
        if (artists.UpdateCount() > 0) artists.EndUpdate();
        artists.BuildFromList(albums);
        artists.ApplyMappings();
    }

private:
    struct Tpart {
        TrecordVector Artists, Albums;
    };

    void Copy(const TrecordVector& from, TrecordVector& to) {
        to.reserve(from.size());
        for (const TindexRecord& list : from) {
            TindexRecord& copy = to.emplace_back();
            copy.Name = Keep(list.Name);
            copy.AlbumArtist = Keep(list.AlbumArtist);
            const size_t at = Fpositions.size();
            Fpositions.insert(Fpositions.end(), list.Positions.At, list.Positions.At + 4 * list.Positions.size());
            copy.Positions = {Fpositions.data() + at, list.Positions.size()};
        }
    }
    std::string_view Keep(std::string_view text) {
        const size_t at = Ftexts.size();
        Ftexts.append(text);
        return std::string_view(Ftexts).substr(at, text.size());
    }
    void Renumber(TrecordVector& lists, const std::unordered_map<const TaudioTag*, int32_t>& places) {
        const std::vector<const TaudioTag*>& tracksAt = *FtracksAt;
        for (TindexRecord& list : lists) {
            // Rewritten in place: each place is written where a position was read before.
            auto* out = const_cast<unsigned char*>(list.Positions.At);
            size_t kept = 0;
            for (size_t i = 0; i < list.Positions.size(); ++i) {
                const int32_t position = list.Positions[i];
                if (position < 0 || size_t(position) >= tracksAt.size()) continue;
                const auto place = places.find(tracksAt[size_t(position)]);
                if (place == places.end()) continue;
                const auto value = uint32_t(place->second);
                unsigned char* p = out + 4 * kept++;
                p[0] = uint8_t(value);
                p[1] = uint8_t(value >> 8);
                p[2] = uint8_t(value >> 16);
                p[3] = uint8_t(value >> 24);
            }
            // A list whose every track has left is not made at all.
            list.Positions.Count = kept > 0 || list.Positions.size() == 0 ? kept : SIZE_MAX;
        }
        std::erase_if(lists, [](const TindexRecord& list) { return list.Positions.Count == SIZE_MAX; });
    }

    TtracksAt FtracksAt;
    std::string Ftexts;
    std::vector<unsigned char> Fpositions;
    std::vector<Tpart> Fparts;
};

template <typename Grouping>
bool SaveIndexFile(const Grouping& grouping, const std::string& name, std::string* error) {
    if (name.empty()) return ReadFailure(error, "no file name for the index");
    TbyteWriter w;
    grouping.SaveToStream(w);
    return SafeWriteFile(name, w.Bytes(), error);
}

// Reads a whole index file and hands it to `parse`, which must take every byte; on
// failure the reason names the file.
template <typename Parse>
bool ReadIndex(const std::string& name, TfileBytes& bytes, std::string* error, Parse parse) {
    bool ok = bytes.Read(name, kMaxInflatedListBytes, error);
    if (ok) {
        TbyteReader r(bytes.View());
        ok = parse(r);
        if (ok && !r.AtEnd()) ok = ReadFailure(error, "unexpected data after the index");
    }
    if (!ok && error) *error = name + ": " + *error;
    return ok;
}

// Clears the grouping and reads the file into it.
template <typename Grouping>
bool LoadIndexFile(Grouping& grouping, const std::string& name, const TaudioTagList& master,
                   std::string* error) {
    grouping.Clear();
    TfileBytes bytes;
    const bool ok =
        ReadIndex(name, bytes, error, [&](TbyteReader& r) { return grouping.LoadFromStream(r, master, error); });
    if (!ok) grouping.Clear();
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
    TrecordVector records;
    TtextStore store;
    TpositionLimit limit{master.Count()};
    const bool ok = ParseRecords(r, true, limit, records, store, error);
    if (ok) FillAlbums(*this, records, master.Items());
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
    TrecordVector records;
    TtextStore store;
    TpositionLimit limit{master.Count()};
    const bool ok = ParseRecords(r, false, limit, records, store, error);
    if (ok) FillArtists(*this, records, master.Items());
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


struct TaudioTagCategoryList::TstoredIndex {
    TrecordArena Arena;
    TfileBytes Bytes;  // what the records' texts and positions point into
    TtextStore Converted;
    TcategoryVector Records;
    int32_t LargestPosition = -1;
};

bool TaudioTagCategoryList::LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error) {
    auto stored = std::make_shared<TstoredIndex>();
    TpositionLimit limit{master.Count()};
    const bool ok = ParseCategories(r, IndexMagic(), limit, stored->Records, stored->Converted, error);
    if (!ok) stored->Records.clear();  // nothing of a damaged stream is filed
    FinishLoad(StartLoad(std::move(stored), master, false));
    return ok;
}

class TaudioTagCategoryList::Tload {
public:
    // The categories in the order the file first names them, each with its records (a
    // name the file gives twice fills one category).
    struct Tcategory {
        TaudioTagCategoryPtr Category;
        std::vector<const TcategoryRecord*> Records;
    };
    std::shared_ptr<const TstoredIndex> Stored;
    const TaudioTagList* Master = nullptr;
    bool Link = false;
    // With `Link`, each category's artists and albums are left to be made when first
    // asked for; the library's tracks by position as it loaded, for them.
    TstoredCategoryLists::TtracksAt TracksAt;
    std::vector<Tcategory> Categories;
    std::atomic<size_t> Next{0};
};

void TaudioTagCategoryList::TloadDelete::operator()(Tload* load) const { delete load; }

TaudioTagCategoryList::TloadPtr TaudioTagCategoryList::StartLoad(std::shared_ptr<const TstoredIndex> stored,
                                                                 const TaudioTagList& master, bool link) {
    TloadPtr load(new Tload);
    load->Master = &master;
    load->Link = link;
    BeginUpdate();
    Clear();
    std::unordered_map<const TaudioTagCategory*, size_t> places;
    for (const auto& record : stored->Records) {
        const std::string name(record.Name);
        TaudioTagCategoryPtr category = FindCategory(name);
        if (!category) category = CreateCategory(name);
        const auto [place, added] = places.emplace(category.get(), load->Categories.size());
        if (added) load->Categories.push_back({category, {}});
        load->Categories[place->second].Records.push_back(&record);
    }
    for (const Tload::Tcategory& entry : load->Categories) {
        size_t tracks = 0;
        for (const TcategoryRecord* record : entry.Records) tracks += record->Positions.size();
        ReserveLarge(*entry.Category, tracks);
    }
    load->Stored = std::move(stored);
    return load;
}

bool TaudioTagCategoryList::FillNext(Tload& load) {
    const size_t next = load.Next.fetch_add(1);
    if (next >= load.Categories.size()) return false;
    const Tload::Tcategory& entry = load.Categories[next];
    TaudioTagCategory& category = *entry.Category;
    // Loading: the category's own Add must not file the tracks into its artists and
    // albums, which come from their own streams.
    category.Loading = true;
    const std::vector<TaudioTagPtr>& tags = load.Master->Items();
    for (const TcategoryRecord* record : entry.Records) {
        AddTracks(category, record->Positions, tags);
        if (load.Link) continue;
        FillArtists(category.Artists(), record->Artists, tags);
        FillAlbums(category.Albums(), record->Albums, tags);
    }
    category.Loading = false;
    if (load.Link) {
        category.DeferLists(std::make_unique<TstoredCategoryLists>(entry.Records, load.TracksAt));
        // Closed here as the grouping's change notice would close it.
        category.CloseUpdates();
        category.SortByTitle();
    }
    return true;
}

void TaudioTagCategoryList::FinishLoad(TloadPtr load) {
    // What no thread took is filled here; the caller made sure no thread still fills one.
    while (FillNext(*load)) {
    }
    EndUpdate();
}

std::shared_ptr<const TaudioTagCategoryList::TstoredIndex> TaudioTagCategoryList::ReadIndexFile(
    const std::string& name, int masterCount, std::string* error) const {
    auto stored = std::make_shared<TstoredIndex>();
    TpositionLimit limit{masterCount};
    const bool ok = ReadIndex(name, stored->Bytes, error, [&](TbyteReader& r) {
        if (r.Remaining() >= kArenaFileBytes) stored->Records = TcategoryVector(&stored->Arena);
        return ParseCategories(r, IndexMagic(), limit, stored->Records, stored->Converted, error);
    });
    stored->LargestPosition = limit.Largest;
    return ok ? stored : nullptr;
}

bool TaudioTagCategoryList::SaveToFile(const std::string& name, std::string* error) const {
    return SaveIndexFile(*this, name, error);
}

bool TaudioTagCategoryList::LoadFromFile(const std::string& name, const TaudioTagList& master,
                                         std::string* error) {
    return LoadIndexFile(*this, name, master, error);
}

// ---- the five files together ----

namespace {
// One index file read and checked, not yet filed.
struct TstoredRecords {
    TrecordArena Arena;
    TfileBytes Bytes;  // what the records' texts and positions point into
    TtextStore Converted;
    TrecordVector Records;
    int32_t LargestPosition = -1;
};

// Read while the library may still be loading: positions past its end are found later.
bool ReadRecordsFile(const std::string& name, bool albums, TstoredRecords& stored, std::string* error) {
    TpositionLimit limit;
    const bool ok = ReadIndex(name, stored.Bytes, error, [&](TbyteReader& r) {
        if (r.Remaining() >= kArenaFileBytes) stored.Records = TrecordVector(&stored.Arena);
        return ParseRecords(r, albums, limit, stored.Records, stored.Converted, error);
    });
    stored.LargestPosition = limit.Largest;
    return ok;
}

void NumberUnnumbered(const TaudioTagList& list) {
    const auto& items = list.Items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->TrackIndex() == 0) items[i]->SetTrackIndex(i == 0 ? 1 : items[i - 1]->TrackIndex() + 1);
}

void NumberUnnumbered(const TaudioTagListList& grouping) {
    for (int i = 0; i < grouping.Count(); ++i) NumberUnnumbered(*grouping.GetList(i));
}

// The groupings made from the artist, title and album files.
std::vector<TaudioTagListList*> ThreeGroupings(const TgroupingIndexLoad& load) {
    return {load.Artists, load.Titles, load.Albums};
}

constexpr const char* kSteps[] = {"Loading Artist Index", "Loading Title Index", "Loading Album Index",
                                  "Loading Genre Index", "Loading Year Index"};
}  // namespace

struct TgroupingIndexPrep {
    TgroupingIndexLoad Load;
    // The files read whole, in the order of kSteps, before one could not be used.
    int FilesRead = 0;
    std::string Error;
    TstoredRecords Artists, Titles, Albums;
    std::shared_ptr<const TaudioTagCategoryList::TstoredIndex> Genres, Years;
    int32_t GenreLargest = -1, YearLargest = -1;  // kept once their streams are filed
    bool Read = false;  // all five, as far as they can be checked without the library

    // The first file (by its place in kSteps) with a position past the library's end,
    // or -1.
    int PastTheEnd(int tracks, int32_t& position) const {
        const int32_t largest[] = {Artists.LargestPosition, Titles.LargestPosition, Albums.LargestPosition,
                                   GenreLargest, YearLargest};
        for (int i = 0; i < int(std::size(largest)); ++i)
            if (largest[i] >= tracks) {
                position = largest[i];
                return i;
            }
        return -1;
    }
    const std::string& FileName(int step) const {
        const std::string* names[] = {&Load.ArtistsFile, &Load.TitlesFile, &Load.AlbumsFile, &Load.GenresFile,
                                      &Load.YearsFile};
        return *names[step];
    }
};

void TgroupingIndexPrepDelete::operator()(TgroupingIndexPrep* prep) const { delete prep; }

TgroupingIndexPrepPtr PrepareGroupingIndexFiles(const TgroupingIndexLoad& load) {
    TgroupingIndexPrepPtr prep(new TgroupingIndexPrep);
    TgroupingIndexPrep& p = *prep;
    p.Load = load;  // its Progress is told on the owner's thread, by the filling
    std::string* const error = &p.Error;
    // Every file is read and checked before any grouping is touched.
    bool ok = ReadRecordsFile(load.ArtistsFile, false, p.Artists, error);
    p.FilesRead += ok;
    ok = ok && ReadRecordsFile(load.TitlesFile, false, p.Titles, error);
    p.FilesRead += ok;
    ok = ok && ReadRecordsFile(load.AlbumsFile, true, p.Albums, error);
    p.FilesRead += ok;
    if (ok) {
        p.Genres = load.Genres->ReadIndexFile(load.GenresFile, -1, error);
        ok = p.Genres != nullptr;
        p.FilesRead += ok;
    }
    if (ok) {
        p.Years = load.Years->ReadIndexFile(load.YearsFile, -1, error);
        ok = p.Years != nullptr;
        p.FilesRead += ok;
    }
    if (!ok) return prep;
    p.GenreLargest = p.Genres->LargestPosition;
    p.YearLargest = p.Years->LargestPosition;
    p.Read = true;
    return prep;
}

void AbandonGroupingIndexFiles(TgroupingIndexPrepPtr prep) {
    if (!prep) return;
    const TgroupingIndexLoad& load = prep->Load;
    std::vector<TaudioTagListList*> all = ThreeGroupings(load);
    all.insert(all.end(), {load.Genres, load.Years});
    for (TaudioTagListList* grouping : all) grouping->Clear();
}

bool FillGroupingIndexFiles(TgroupingIndexPrepPtr prep, const TaudioTagList& master, unsigned helpers,
                            std::string* error) {
    TgroupingIndexPrep& p = *prep;
    const TgroupingIndexLoad& load = p.Load;
    int32_t position = 0;
    const int past = p.Read ? p.PastTheEnd(master.Count(), position) : -1;
    // The steps as if each file were read here, up to the one that cannot be used.
    const int steps = !p.Read ? p.FilesRead + 1 : past >= 0 ? past + 1 : int(std::size(kSteps));
    if (load.Progress)
        for (int i = 0; i < std::min(steps, int(std::size(kSteps))); ++i) load.Progress(kSteps[i]);
    if (!p.Read || past >= 0) {
        if (error) *error = past >= 0 ? p.FileName(past) + ": " + OutsideFailure(position, master.Count()) : p.Error;
        AbandonGroupingIndexFiles(std::move(prep));
        return false;
    }
    // Every track is filed under exactly one artist, one genre and one year: files that
    // hold another number of tracks are of another library (a list file put in place by
    // hand beside them).
    const auto total = [](const auto& records) {
        size_t tracks = 0;
        for (const auto& record : records) tracks += record.Positions.size();
        return tracks;
    };
    const size_t tracks[] = {total(p.Artists.Records), total(p.Genres->Records), total(p.Years->Records)};
    const std::string* files[] = {&load.ArtistsFile, &load.GenresFile, &load.YearsFile};
    for (size_t i = 0; i < std::size(tracks); ++i) {
        if (tracks[i] == master.Items().size()) continue;
        if (error)
            *error = *files[i] + ": " + std::to_string(tracks[i]) + " tracks filed, the library has " +
                     std::to_string(master.Items().size());
        AbandonGroupingIndexFiles(std::move(prep));
        return false;
    }

    // The lists are made here, in the files' order; filling them is shared out.
    for (TaudioTagListList* grouping : ThreeGroupings(load)) {
        grouping->BeginUpdate();
        grouping->Clear();
    }
    std::vector<TlistFill> fills;
    MakeArtists(*load.Artists, p.Artists.Records, master.Items(), fills);
    MakeArtists(*load.Titles, p.Titles.Records, master.Items(), fills);
    MakeAlbums(*load.Albums, p.Albums.Records, master.Items(), fills);
    TaudioTagCategoryList::TloadPtr genreLoad = load.Genres->StartLoad(std::move(p.Genres), master, true);
    TaudioTagCategoryList::TloadPtr yearLoad = load.Years->StartLoad(std::move(p.Years), master, true);
    {
        auto tracksAt = std::make_shared<std::vector<const TaudioTag*>>(master.Items().size());
        std::transform(master.Items().begin(), master.Items().end(), tracksAt->begin(),
                       [](const TaudioTagPtr& tag) { return tag.get(); });
        genreLoad->TracksAt = yearLoad->TracksAt = std::move(tracksAt);
    }
    std::atomic<size_t> nextFill{0};
    // The genres and years first: their categories are the largest pieces of work, and
    // the many small lists after them even out the threads' ends.
    const auto work = [&] {
        while (TaudioTagCategoryList::FillNext(*genreLoad)) {
        }
        while (TaudioTagCategoryList::FillNext(*yearLoad)) {
        }
        for (size_t i = nextFill++; i < fills.size(); i = nextFill++) Fill(fills[i], master.Items());
    };
    if (helpers == 0) {
        // Alone, in the order the files come: each list stamps the tracks it takes.
        for (size_t i = nextFill++; i < fills.size(); i = nextFill++) Fill(fills[i], master.Items());
        while (TaudioTagCategoryList::FillNext(*genreLoad)) {
        }
        while (TaudioTagCategoryList::FillNext(*yearLoad)) {
        }
    } else {
        const auto paused = [&work] {
            const TtagStampPause pause;
            work();
        };
        std::vector<std::future<void>> threads;
        for (unsigned k = 0; k < helpers; ++k) threads.push_back(StartLoadThread(paused, true));
        paused();
        // Waited for before anything else: a helper may still be filling its last list.
        for (auto& thread : threads) thread.wait();
        for (auto& thread : threads) thread.get();
    }
    load.Genres->FinishLoad(std::move(genreLoad));
    load.Years->FinishLoad(std::move(yearLoad));
    // Each album was sorted as it closed: closing the grouping renews none again.
    load.Albums->RenewOnlyNewAlbumsOnce();
    for (TaudioTagListList* grouping : ThreeGroupings(load)) grouping->EndUpdate();

    if (helpers > 0) {
        const auto& tags = master.Items();
        if (std::any_of(tags.begin(), tags.end(), [](const TaudioTagPtr& tag) { return tag->TrackIndex() == 0; })) {
            NumberUnnumbered(*load.Artists);
            NumberUnnumbered(*load.Titles);
            NumberUnnumbered(*load.Albums);
            for (TaudioTagCategoryList* grouping : {load.Genres, load.Years})
                for (int i = 0; i < grouping->Count(); ++i) {
                    const TaudioTagCategoryPtr category = grouping->GetCategory(i);
                    NumberUnnumbered(*category);
                    // Every track is numbered by now: lists still to be made need nothing.
                    if (category->ListsDeferred()) continue;
                    NumberUnnumbered(category->Artists());
                    NumberUnnumbered(category->Albums());
                }
        }
    }
    return true;
}

bool LoadGroupingIndexFiles(const TgroupingIndexLoad& load, const TaudioTagList& master, unsigned helpers,
                            std::string* error) {
    return FillGroupingIndexFiles(PrepareGroupingIndexFiles(load), master, helpers, error);
}

}  // namespace tunecrest
