#include "windows/search/song_search.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <future>
#include <memory>
#include <unordered_map>

#include "core/library/album_artist_groupings.h"
#include "core/library/jukebox_list.h"
#include "core/base/search_folding.h"
#include "core/base/text_utils.h"
#include "windows/search/folded_names.h"

namespace tunecrest {

namespace {

constexpr const char* kSearchModes[] = {"Title", "Artist", "Album", "Index"};
constexpr const char* kFileTypes[] = {"Search  All", "Search Audio", "Search Karaoke", "Search Video"};
constexpr uint32_t kFileTypeMasks[] = {0xFFFFFFFFu, 1u, 8u, 2u};

bool InMask(const TaudioTag& tag, uint32_t mask) {
    return (tag.MediaType() & mask) != 0;
}

// From this many tracks on, the synchronous PrepareIndex folds the artists and albums on
// threads of their own beside the titles.
constexpr size_t kThreadedNames = 50000;

// The audio tracks whose file names are looked up among the video tracks' between two
// looks at the clock.
constexpr size_t kTwinRun = 8192;
// The room for results touched between two looks at the clock (in results).
constexpr size_t kRoomRun = 65536;

// A track's media kind in a byte, as the file-type masks test it: the four kinds' bits
// as they are, and any higher bit as the top one (which only the "all" mask holds).
uint8_t KindByte(uint32_t kind) {
    return uint8_t((kind & 0x7F) | (kind > 0x7F ? 0x80 : 0));
}

}  // namespace

const char* SongSearchModeCaption(int mode) {
    return mode >= 0 && mode < 4 ? kSearchModes[mode] : kSearchModes[0];
}
const char* SongFileTypeCaption(int mode) {
    return mode >= 0 && mode < 4 ? kFileTypes[mode] : kFileTypes[0];
}
uint32_t SongFileTypeMask(int mode) {
    return mode >= 0 && mode < 4 ? kFileTypeMasks[mode] : kFileTypeMasks[0];
}

bool LibraryKeepsTrackIndexes(TcustomJukeboxList& library) {
    const TaudioTagList& global = library.GlobalList();
    for (int i = 0; i < global.Count(); ++i)
        if (global.GetTag(i)->TrackIndex() != 0) return true;
    return false;
}

void TsongSearch::SetLibrary(TcustomJukeboxList* library) {
    if (library != Flibrary) {
        Findex.reset();
        Fartists.reset();
        Falbums.reset();
        FtitleMaking.reset();
        FartistsMaking.reset();
        FalbumsMaking.reset();
    }
    Flibrary = library;
    ClearResults();
    SetFileTypeMode(FfileTypeMode);
}

void TsongSearch::SetSearchMode(int mode) {
    FsearchMode = mode >= 0 && mode < SearchModeCount() ? mode : ssmTitle;
}

int TsongSearch::FileTypeModeCount() const {
    return Flibrary && Flibrary->VideoSupport() ? 4 : 3;
}

void TsongSearch::SetFileTypeMode(int mode) {
    FfileTypeMode = mode >= 0 && mode < FileTypeModeCount() ? mode : sftAll;
}

// The titles of the library (the global list, then the video list), folded, as they were
// when its change counts were taken: the tracks are the lists' own, read while the lists
// are unchanged (made a run at a time, the index is begun again when they have changed).
struct TsongSearch::TtitleIndex : TfoldedNames {
    TcustomJukeboxList* Library = nullptr;
    uint64_t GlobalChanges = 0, VideoChanges = 0;
    size_t AudioCount = 0, VideoCount = 0;
    std::unique_ptr<uint8_t[]> Kinds;  // each track's media kind (KindByte), written as made
    // For a video track whose file an earlier track has too: those earlier tracks.
    std::unordered_map<uint32_t, std::vector<uint32_t>> Twins;
    // While the twins are found a run at a time: the video tracks by file name, and how
    // many audio tracks have been looked up among them.
    std::unordered_map<TfileNameText, std::vector<uint32_t>, TfileNameHash> VideoNames;
    bool VideoNamed = false;
    size_t TwinsLooked = 0;
    // Made a run at a time, room for two lists of results as long as the titles, its memory
    // touched: the first keys after an opening then find their results' memory ready.
    std::vector<uint32_t> Room[2];

    explicit TtitleIndex(TcustomJukeboxList& library)
        : Library(&library),
          GlobalChanges(library.GlobalList().ChangeCount()),
          VideoChanges(library.VideoList().ChangeCount()),
          AudioCount(size_t(library.GlobalList().Count())),
          VideoCount(size_t(library.VideoList().Count())) {
        Kinds.reset(new uint8_t[AudioCount + VideoCount]);
    }

    // Whether `library` is the one the index is of, unchanged since.
    bool Of(TcustomJukeboxList* library) const {
        if (library != Library || !library) return false;
        TaudioTagList& global = library->GlobalList();
        TaudioTagList& video = library->VideoList();
        return GlobalChanges == global.ChangeCount() && VideoChanges == video.ChangeCount() &&
               AudioCount == size_t(global.Count()) && VideoCount == size_t(video.Count());
    }

    const TaudioTag& Track(size_t i) const {
        return i < AudioCount ? *Library->GlobalList().Items()[i] : *Library->VideoList().Items()[i - AudioCount];
    }

    TnameOf Names() {
        return [this](size_t i) -> std::string_view {
            const TaudioTag& tag = Track(i);
            Kinds[i] = KindByte(tag.MediaType());
            return tag.Title();
        };
    }

    // Finds the twins until `deadline` (at least one run); true once all are found. A
    // file of the audio library that the video list holds too is listed once: each video
    // track remembers the earlier tracks with its file name.
    bool FindTwins(std::chrono::steady_clock::time_point deadline) {
        if (VideoCount == 0) return true;
        const size_t count = AudioCount + VideoCount;
        if (!VideoNamed) {
            for (uint32_t i = uint32_t(AudioCount); i < count; ++i) VideoNames[Track(i).Filename()].push_back(i);
            VideoNamed = true;
        }
        while (TwinsLooked < AudioCount) {
            const size_t to = std::min(AudioCount, TwinsLooked + kTwinRun);
            for (size_t i = TwinsLooked; i < to; ++i) {
                const auto found = VideoNames.find(Track(i).Filename());
                if (found == VideoNames.end()) continue;
                for (uint32_t v : found->second) Twins[v].push_back(uint32_t(i));
            }
            TwinsLooked = to;
            if (TwinsLooked < AudioCount && std::chrono::steady_clock::now() >= deadline) return false;
        }
        for (const auto& [name, twins] : VideoNames)
            for (size_t k = 1; k < twins.size(); ++k)
                for (size_t e = 0; e < k; ++e) Twins[twins[k]].push_back(twins[e]);
        for (auto& [t, twins] : Twins) std::sort(twins.begin(), twins.end());
        VideoNames.clear();
        return true;
    }

    bool MakeRoom(std::chrono::steady_clock::time_point deadline) {
        const size_t need = size_t(Total) + 1;
        for (std::vector<uint32_t>& room : Room) {
            room.reserve(need);
            while (room.size() < need) {
                room.resize(std::min(need, room.size() + kRoomRun));
                if (std::chrono::steady_clock::now() >= deadline) return false;
            }
        }
        return true;
    }

    // Makes further runs of the index until `deadline`; true once it is whole.
    bool MakeSome(std::chrono::steady_clock::time_point deadline) {
        if (!TfoldedNames::MakeSome(Names(), deadline)) return false;
        return FindTwins(deadline) && MakeRoom(deadline);
    }
};

// The names of the artists or of the albums, folded, with the groups themselves.
struct TsongSearch::TgroupIndex : TfoldedNames {
    const TaudioTagListList* Groups = nullptr;
    uint64_t GlobalChanges = 0;
    std::vector<TaudioTagListPtr> Lists;

    TgroupIndex(const TaudioTagListList& groups, uint64_t changes)
        : Groups(&groups), GlobalChanges(changes), Lists(groups.Lists()) {}
    bool Of(const TaudioTagListList& groups, uint64_t changes) const {
        return Groups == &groups && GlobalChanges == changes && Lists.size() == size_t(groups.Count());
    }
    TnameOf Names() const {
        return [this](size_t i) -> std::string_view { return Lists[i]->Title(); };
    }
};

bool TsongSearch::IndexCurrent() const {
    return Findex && Findex->Of(Flibrary);
}

TaudioTagPtr TsongSearch::IndexTrack(uint32_t track) const {
    if (!IndexCurrent()) return nullptr;
    return track < Findex->AudioCount ? Flibrary->GlobalList().Items()[track]
                                      : Flibrary->VideoList().Items()[track - Findex->AudioCount];
}

void TsongSearch::PrepareIndex() {
    if (!Flibrary) return;
    const size_t count = size_t(Flibrary->GlobalList().Count()) + size_t(Flibrary->VideoList().Count());
    // A large library's artists and albums are folded meanwhile on threads of their own.
    const bool ahead = count >= kThreadedNames;
    std::future<void> artists, albums;
    if (ahead) {
        artists = std::async(std::launch::async, [this] { GroupIndex(true); });
        albums = std::async(std::launch::async, [this] { GroupIndex(false); });
    }
    if (!IndexCurrent()) {
        auto index = std::make_shared<TtitleIndex>(*Flibrary);
        index->Fill(count, index->Names());
        index->FindTwins(std::chrono::steady_clock::time_point::max());
        UseTitleIndex(std::move(index));
    }
    if (ahead) {
        artists.get();
        albums.get();
    }
}

const TaudioTagListList& TsongSearch::Groups(bool artists) const {
    return artists ? static_cast<const TaudioTagListList&>(Flibrary->ArtistList())
                   : static_cast<const TaudioTagListList&>(Flibrary->AlbumList());
}

bool TsongSearch::GroupIndexCurrent(bool artists) const {
    const std::shared_ptr<TgroupIndex>& kept = artists ? Fartists : Falbums;
    return Flibrary && kept && kept->Of(Groups(artists), Flibrary->GlobalList().ChangeCount());
}

const TsongSearch::TgroupIndex& TsongSearch::GroupIndex(bool artists) {
    std::shared_ptr<TgroupIndex>& kept = artists ? Fartists : Falbums;
    if (GroupIndexCurrent(artists)) return *kept;
    auto index = std::make_shared<TgroupIndex>(Groups(artists), Flibrary->GlobalList().ChangeCount());
    index->Fill(index->Lists.size(), index->Names());
    kept = std::move(index);
    return *kept;
}

bool TsongSearch::IndexReady() const {
    if (!Flibrary) return true;
    switch (FsearchMode) {
        case ssmArtist:
            return GroupIndexCurrent(true);
        case ssmAlbum:
            return GroupIndexCurrent(false);
        case ssmIndex:
            return true;
        default:
            return IndexCurrent();
    }
}

bool TsongSearch::MakeTitlesSome(std::chrono::steady_clock::time_point deadline) {
    if (IndexCurrent()) return true;
    if (!FtitleMaking || !FtitleMaking->Of(Flibrary)) {
        FtitleMaking = std::make_shared<TtitleIndex>(*Flibrary);
        FtitleMaking->Begin(FtitleMaking->AudioCount + FtitleMaking->VideoCount);
    }
    if (!FtitleMaking->MakeSome(deadline)) return false;
    UseTitleIndex(std::move(FtitleMaking));
    return true;
}

void TsongSearch::UseTitleIndex(std::shared_ptr<TtitleIndex> index) {
    // The title results name places in the copy they were found in: they go with it.
    if (FtitleSearch) ClearResults();
    std::vector<uint32_t>* results[] = {&FtitleSpare, &FtitleMatches};
    for (size_t k = 0; k < 2; ++k) {
        std::vector<uint32_t>& room = index->Room[k];
        if (room.capacity() <= results[k]->capacity()) continue;
        room.clear();
        room.swap(*results[k]);
        room = std::vector<uint32_t>();
    }
    Findex = std::move(index);
    FtitleMaking.reset();
}

bool TsongSearch::MakeGroupsSome(bool artists, std::chrono::steady_clock::time_point deadline) {
    if (GroupIndexCurrent(artists)) return true;
    std::shared_ptr<TgroupIndex>& making = artists ? FartistsMaking : FalbumsMaking;
    const TaudioTagListList& groups = Groups(artists);
    const uint64_t changes = Flibrary->GlobalList().ChangeCount();
    if (!making || !making->Of(groups, changes)) {
        making = std::make_shared<TgroupIndex>(groups, changes);
        making->Begin(making->Lists.size());
    }
    if (!making->MakeSome(making->Names(), deadline)) return false;
    (artists ? Fartists : Falbums) = std::move(making);
    return true;
}

bool TsongSearch::PrepareIndexSome(std::chrono::steady_clock::time_point deadline) {
    if (!Flibrary) return true;
    // The copy the current mode searches first: the next key needs it.
    const int mine = FsearchMode == ssmArtist ? 1 : FsearchMode == ssmAlbum ? 2 : 0;
    bool worked = false;
    for (const int which : {mine, mine == 0 ? 1 : 0, mine == 2 ? 1 : 2}) {
        const bool current = which == 0 ? IndexCurrent() : GroupIndexCurrent(which == 1);
        if (current) continue;
        // At least one run in each call; a further copy only while there is time left.
        if (worked && std::chrono::steady_clock::now() >= deadline) return false;
        worked = true;
        const bool made = which == 0 ? MakeTitlesSome(deadline) : MakeGroupsSome(which == 1, deadline);
        if (!made) return false;
    }
    return true;
}

int TsongSearch::ResultCount() const {
    if (FgroupSearch) return FgroupEnds.empty() ? 0 : int(FgroupEnds.back());
    if (!FtitleSearch) return int(Fresults.size());
    return int(FtitleResultsAreMatches ? FtitleMatches.size() : FtitleResults.size());
}

TaudioTagPtr TsongSearch::Result(int index) const {
    if (index < 0 || index >= ResultCount()) return nullptr;
    if (FgroupSearch) {
        // The group the row falls in, then the track in it (a group the library has
        // changed since may hold fewer tracks: that row is none).
        const size_t group = size_t(std::upper_bound(FgroupEnds.begin(), FgroupEnds.end(), uint32_t(index)) -
                                    FgroupEnds.begin());
        const uint32_t first = group == 0 ? 0 : FgroupEnds[group - 1];
        const uint32_t place = FgroupTracks.empty() ? uint32_t(index) - first : FgroupTracks[size_t(index)];
        return FgroupLists[group]->GetTag(int(place));
    }
    if (!FtitleSearch) return Fresults[size_t(index)];
    return IndexTrack(FtitleResultsAreMatches ? FtitleMatches[size_t(index)] : FtitleResults[size_t(index)]);
}

std::vector<TaudioTagPtr> TsongSearch::Results() const {
    std::vector<TaudioTagPtr> all;
    const int count = ResultCount();
    all.reserve(size_t(count));
    for (int i = 0; i < count; ++i) all.push_back(Result(i));
    return all;
}

bool TsongSearch::ResultsStale() const {
    return Flibrary && FlastMode >= 0 && (FlastGlobalChanges != Flibrary->GlobalList().ChangeCount() ||
                                          FlastVideoChanges != Flibrary->VideoList().ChangeCount());
}

void TsongSearch::ClearResults() {
    Fresults.clear();
    FtitleMatches.clear();
    FtitleResults.clear();
    FgroupMatches.clear();
    FgroupLists.clear();
    FgroupEnds.clear();
    FgroupTracks.clear();
    FtitleResultsAreMatches = true;
    FtitleSearch = false;
    FgroupSearch = false;
    FlastFolded.clear();
    FlastMode = -1;
    Fnarrowed = false;
}

void TsongSearch::Search(const std::string& text) {
    const std::string folded = SearchFolded(text);
    const bool mayNarrow = Flibrary && !FlastFolded.empty() && FlastMode == FsearchMode &&
                           FlastFileType == FfileTypeMode &&
                           FlastGlobalChanges == Flibrary->GlobalList().ChangeCount() &&
                           FlastVideoChanges == Flibrary->VideoList().ChangeCount() &&
                           folded.find(FlastFolded) != std::string::npos;
    std::vector<uint32_t> lastTitles;
    if (mayNarrow) lastTitles.swap(FtitleMatches);
    std::vector<int> lastGroups;
    if (mayNarrow) lastGroups.swap(FgroupMatches);
    ClearResults();
    if (text.empty() || !Flibrary) return;
    const uint32_t mask = SongFileTypeMask(FfileTypeMode);
    switch (FsearchMode) {
        case ssmArtist:
        case ssmAlbum:
            FgroupMatches.swap(lastGroups);
            SearchGroups(folded, mask, FsearchMode == ssmArtist, mayNarrow);
            break;
        case ssmIndex:
            SearchIndex(text, mask);
            break;
        default:
            FtitleMatches.swap(lastTitles);
            SearchTitles(folded, mask, mayNarrow);
            break;
    }
    FlastFolded = folded;
    FlastMode = FsearchMode;
    FlastFileType = FfileTypeMode;
    FlastGlobalChanges = Flibrary->GlobalList().ChangeCount();
    FlastVideoChanges = Flibrary->VideoList().ChangeCount();
}

void TsongSearch::SearchTitles(const std::string& folded, uint32_t mask, bool narrow) {
    const bool current = IndexCurrent();
    if (!current) PrepareIndex();
    FtitleSearch = true;
    const TtitleIndex& index = *Findex;
    const TfoldedNames::Twanted wanted{index.Kinds.get(), mask};
    // The text grew: what holds it now held the shorter text before.
    const bool narrowing = narrow && current;
    // The results go into the room of the results before the last, kept for this.
    index.Find(folded, wanted, narrowing ? &FtitleMatches : nullptr, FtitleSpare);
    Fnarrowed = narrowing;
    FtitleMatches.swap(FtitleSpare);
    if (index.Twins.empty()) return;
    // A file found earlier in the list (audio library first) is not listed again.
    FtitleResultsAreMatches = false;
    FtitleResults.reserve(FtitleMatches.size());
    for (uint32_t track : FtitleMatches) {
        const auto twins = index.Twins.find(track);
        const bool listed = twins != index.Twins.end() &&
                            std::any_of(twins->second.begin(), twins->second.end(), [&](uint32_t earlier) {
                                return wanted(earlier) && index.Holds(earlier, folded);
                            });
        if (!listed) FtitleResults.push_back(track);
    }
}

void TsongSearch::SearchGroups(const std::string& folded, uint32_t mask, bool artists, bool narrow) {
    FgroupSearch = true;
    const TgroupIndex& index = GroupIndex(artists);
    std::vector<int> groups;
    if (narrow) {
        // The groups whose names hold the longer text are among those that held the shorter.
        for (int i : FgroupMatches)
            if (uint32_t(i) < index.Total && index.Holds(uint32_t(i), folded)) groups.push_back(i);
        Fnarrowed = true;
    } else {
        std::vector<uint32_t> found;
        index.Find(folded, {}, nullptr, found);
        for (uint32_t i : found) groups.push_back(int(i));
    }
    FgroupMatches.swap(groups);
    // The results are the groups' tracks of the mask: counted now, made when shown.
    const bool everyKind = mask == kFileTypeMasks[sftAll];
    uint32_t total = 0;
    FgroupLists.reserve(FgroupMatches.size());
    FgroupEnds.reserve(FgroupMatches.size());
    for (int i : FgroupMatches) {
        const TaudioTagListPtr& group = index.Lists[size_t(i)];
        if (everyKind) {
            total += uint32_t(group->Count());
        } else {
            const std::vector<TaudioTagPtr>& items = group->Items();
            for (size_t k = 0; k < items.size(); ++k)
                if (InMask(*items[k], mask)) {
                    FgroupTracks.push_back(uint32_t(k));
                    ++total;
                }
        }
        FgroupLists.push_back(group);
        FgroupEnds.push_back(total);
    }
}

void TsongSearch::SearchIndex(const std::string& text, uint32_t mask) {
    // Only a whole number is a track number: "12a" or "x" find nothing (not track 0).
    int wanted = 0;
    const std::string trimmed = Trim(text);
    const char* end = trimmed.data() + trimmed.size();
    const auto [ptr, ec] = std::from_chars(trimmed.data(), end, wanted);
    if (trimmed.empty() || ec != std::errc() || ptr != end) return;
    for (const TaudioTagPtr& tag : Flibrary->GlobalList().Items())
        if (InMask(*tag, mask) && tag->TrackIndex() == wanted) Fresults.push_back(tag);
}

std::string TsongSearch::RowFormat(const TaudioTag& tag) const {
    std::string format = FsearchMode == ssmArtist || FsearchMode == ssmAlbum ? "<far><ar><fch> - <fti><ti>"
                                                                             : "<fti><ti><fch> - <far><ar>";
    if (!tag.Album().empty()) format += " <fch>[<fal><al><fch>]";
    return format;
}

}  // namespace tunecrest
