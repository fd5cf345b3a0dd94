#include "windows/search/song_search.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <future>
#include <memory>
#include <thread>
#include <unordered_map>

#include "core/library/album_artist_groupings.h"
#include "core/library/jukebox_list.h"
#include "core/base/search_folding.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

constexpr const char* kSearchModes[] = {"Title", "Artist", "Album", "Index"};
constexpr const char* kFileTypes[] = {"Search  All", "Search Audio", "Search Karaoke", "Search Video"};
constexpr uint32_t kFileTypeMasks[] = {0xFFFFFFFFu, 1u, 8u, 2u};

bool InMask(const TaudioTag& tag, uint32_t mask) {
    return (tag.MediaType() & mask) != 0;
}

// From this many names on, the folded copies are made, and searched through, on several
// threads, each with a run of the names.
constexpr size_t kThreadedNames = 50000;
constexpr unsigned kMaxSearchThreads = 4;

// Runs `work(part)` for each of `parts` parts, on threads of their own beside this one
// when there is more than one.
template <typename Work>
void ForEachPart(size_t parts, const Work& work) {
    std::vector<std::future<void>> helpers;
    for (size_t p = 1; p < parts; ++p) helpers.push_back(std::async(std::launch::async, work, p));
    if (parts > 0) work(size_t(0));
    for (auto& helper : helpers) helper.get();
}

// Names folded (SearchFolded) into blocks that a search reads straight through, instead of
// visiting a million tracks scattered over the heap on every key. A large list is kept in
// a few runs of names (parts), made and searched on threads of their own; in each, every
// name is followed by a zero byte, and Starts holds where each begins (one more for the end).
struct TfoldedNames {
    struct Tpart {
        uint32_t First = 0;  // the number of the part's first name
        std::unique_ptr<char[]> Folded;
        std::vector<uint32_t> Starts;
        std::string_view All() const { return {Folded.get(), Starts.back()}; }
        std::string_view NameAt(uint32_t i) const {
            return {Folded.get() + Starts[i], size_t(Starts[i + 1] - Starts[i] - 1)};
        }
        uint32_t Count() const { return uint32_t(Starts.size() - 1); }
    };
    std::vector<Tpart> Parts;
    uint32_t Total = 0;

    const Tpart& PartOf(uint32_t i) const {
        size_t p = Parts.size() - 1;
        while (Parts[p].First > i) --p;
        return Parts[p];
    }
    bool Holds(uint32_t i, std::string_view folded) const {
        const Tpart& part = PartOf(i);
        return part.NameAt(i - part.First).find(folded) != std::string_view::npos;
    }

    // The names `name(i)` for i in [0, count), folded, in up to `maxParts` parts; `name` may
    // be called on any thread, once for each i. A part's names beyond 4 GB of text are kept
    // as empty.
    template <typename Name>
    void Fill(size_t count, const Name& name, size_t maxParts) {
        const size_t parts =
            count < kThreadedNames ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, maxParts);
        Parts.clear();
        Parts.resize(parts);
        Total = uint32_t(count);
        ForEachPart(parts, [&](size_t p) {
            Tpart& part = Parts[p];
            const size_t first = count * p / parts, last = count * (p + 1) / parts;
            part.First = uint32_t(first);
            part.Starts.resize(last - first + 1);
            // The names are copied as they are into room for names of a usual length (made
            // larger when they run over it), then folded there all at once.
            size_t room = (last - first) * 32 + 64, used = 0;
            part.Folded.reset(new char[room]);
            for (size_t i = first; i < last; ++i) {
                part.Starts[i - first] = uint32_t(used);
                const std::string_view text = name(i);
                if (used + text.size() + 1 > room) {
                    const size_t larger = std::max(room * 2, used + text.size() + 1);
                    std::unique_ptr<char[]> moved(new char[larger]);
                    std::memcpy(moved.get(), part.Folded.get(), used);
                    part.Folded = std::move(moved);
                    room = larger;
                }
                if (used + text.size() + 1 < UINT32_MAX) {
                    std::memcpy(part.Folded.get() + used, text.data(), text.size());
                    used += text.size();
                }
                part.Folded[used++] = '\0';
                if (used >= UINT32_MAX - 1) used = UINT32_MAX - 2;  // the rest stay empty
            }
            part.Starts[last - first] = uint32_t(used);
            FoldNamesForSearch(part.Folded.get(), used, part.Starts.data(), last - first);
        });
    }

    // The names, in order, that hold `folded` and for which `wanted(i)` holds: of all
    // names, or (narrowing) of `among` (in order).
    template <typename Wanted>
    std::vector<uint32_t> Find(std::string_view folded, const Wanted& wanted,
                               const std::vector<uint32_t>* among = nullptr) const {
        std::vector<std::vector<uint32_t>> found(Parts.size());
        ForEachPart(Parts.size(), [&](size_t p) {
            const Tpart& part = Parts[p];
            std::vector<uint32_t>& out = found[p];
            if (among) {
                const uint32_t end = part.First + part.Count();
                auto i = std::lower_bound(among->begin(), among->end(), part.First);
                for (; i != among->end() && *i < end; ++i)
                    if (part.NameAt(*i - part.First).find(folded) != std::string_view::npos) out.push_back(*i);
                return;
            }
            if (folded.find('\0') != std::string_view::npos) {
                // A zero byte would match across the ends of names: name by name instead.
                for (uint32_t i = 0; i < part.Count(); ++i)
                    if (wanted(part.First + i) && part.NameAt(i).find(folded) != std::string_view::npos)
                        out.push_back(part.First + i);
                return;
            }
            const std::string_view all = part.All();
            uint32_t i = 0;
            for (size_t at = all.find(folded); at != std::string_view::npos; at = all.find(folded, at)) {
                while (part.Starts[i + 1] <= at) ++i;  // the name the hit lies in
                if (wanted(part.First + i)) out.push_back(part.First + i);
                at = part.Starts[i + 1];  // one hit is enough for a name
            }
        });
        if (found.size() == 1) return std::move(found[0]);
        size_t total = 0;
        for (const auto& f : found) total += f.size();
        std::vector<uint32_t> all;
        all.reserve(total);
        for (const auto& f : found) all.insert(all.end(), f.begin(), f.end());
        return all;
    }
};

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
// are unchanged.
struct TsongSearch::TtitleIndex : TfoldedNames {
    const TcustomJukeboxList* Library = nullptr;
    uint64_t GlobalChanges = 0, VideoChanges = 0;
    size_t AudioCount = 0, VideoCount = 0;
    std::vector<uint8_t> Kinds;  // each track's media kind (KindByte)
    // For a video track whose file an earlier track has too: those earlier tracks.
    std::unordered_map<uint32_t, std::vector<uint32_t>> Twins;
};

// The names of the artists or of the albums, folded, with the groups themselves.
struct TsongSearch::TgroupIndex : TfoldedNames {
    const TaudioTagListList* Groups = nullptr;
    uint64_t GlobalChanges = 0;
    std::vector<TaudioTagListPtr> Lists;
};

bool TsongSearch::IndexCurrent() const {
    if (!Findex || !Flibrary || Findex->Library != Flibrary) return false;
    const TaudioTagList& global = Flibrary->GlobalList();
    const TaudioTagList& video = Flibrary->VideoList();
    return Findex->GlobalChanges == global.ChangeCount() && Findex->VideoChanges == video.ChangeCount() &&
           Findex->AudioCount == size_t(global.Count()) && Findex->VideoCount == size_t(video.Count());
}

TaudioTagPtr TsongSearch::IndexTrack(uint32_t track) const {
    if (!IndexCurrent()) return nullptr;
    return track < Findex->AudioCount ? Flibrary->GlobalList().Items()[track]
                                      : Flibrary->VideoList().Items()[track - Findex->AudioCount];
}

void TsongSearch::PrepareIndex() {
    if (!Flibrary) return;
    const TaudioTagList& global = Flibrary->GlobalList();
    const TaudioTagList& video = Flibrary->VideoList();
    const size_t count = size_t(global.Count()) + size_t(video.Count());
    // A large library's artists and albums are folded meanwhile on threads of their own.
    const bool ahead = count >= kThreadedNames;
    std::future<void> artists, albums;
    if (ahead) {
        artists = std::async(std::launch::async, [this] { GroupIndex(true); });
        albums = std::async(std::launch::async, [this] { GroupIndex(false); });
    }
    if (!IndexCurrent()) {
        auto index = std::make_shared<TtitleIndex>();
        index->Library = Flibrary;
        index->GlobalChanges = global.ChangeCount();
        index->VideoChanges = video.ChangeCount();
        index->AudioCount = size_t(global.Count());
        index->VideoCount = size_t(video.Count());
        const std::vector<TaudioTagPtr>& audio = global.Items();
        const std::vector<TaudioTagPtr>& videos = video.Items();
        const size_t audioCount = index->AudioCount;
        const auto track = [&](size_t i) -> const TaudioTag& {
            return i < audioCount ? *audio[i] : *videos[i - audioCount];
        };
        TtitleIndex& made = *index;
        made.Kinds.resize(count);
        made.Fill(
            count,
            [&](size_t i) -> std::string_view {
                const TaudioTag& tag = track(i);
                made.Kinds[i] = KindByte(tag.MediaType());
                return tag.Title();
            },
            kMaxSearchThreads);
        if (video.Count() > 0) {
            // A file of the audio library that the video list holds too is listed once:
            // each video track remembers the earlier tracks with its file name.
            std::unordered_map<TfileNameText, std::vector<uint32_t>, TfileNameHash> videoNames;
            for (uint32_t i = uint32_t(audioCount); i < count; ++i) videoNames[track(i).Filename()].push_back(i);
            for (uint32_t i = 0; i < audioCount; ++i) {
                const auto found = videoNames.find(track(i).Filename());
                if (found == videoNames.end()) continue;
                for (uint32_t v : found->second) index->Twins[v].push_back(i);
            }
            for (const auto& [name, twins] : videoNames)
                for (size_t k = 1; k < twins.size(); ++k)
                    for (size_t e = 0; e < k; ++e) index->Twins[twins[k]].push_back(twins[e]);
            for (auto& [t, twins] : index->Twins) std::sort(twins.begin(), twins.end());
        }
        Findex = std::move(index);
    }
    if (ahead) {
        artists.get();
        albums.get();
    }
}

const TsongSearch::TgroupIndex& TsongSearch::GroupIndex(bool artists) {
    std::shared_ptr<TgroupIndex>& kept = artists ? Fartists : Falbums;
    const TaudioTagListList& groups = artists ? static_cast<const TaudioTagListList&>(Flibrary->ArtistList())
                                              : static_cast<const TaudioTagListList&>(Flibrary->AlbumList());
    const uint64_t changes = Flibrary->GlobalList().ChangeCount();
    if (kept && kept->Groups == &groups && kept->GlobalChanges == changes && kept->Lists.size() == size_t(groups.Count()))
        return *kept;
    auto index = std::make_shared<TgroupIndex>();
    index->Groups = &groups;
    index->GlobalChanges = changes;
    index->Lists = groups.Lists();
    // One part: the title index is made on the other threads meanwhile.
    index->Fill(
        index->Lists.size(), [&](size_t i) -> const std::string& { return index->Lists[i]->Title(); }, 1);
    kept = std::move(index);
    return *kept;
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
    FtitleSearch = true;
    const bool current = IndexCurrent();
    if (!current) PrepareIndex();
    const TtitleIndex& index = *Findex;
    const auto wanted = [&](uint32_t track) { return (index.Kinds[track] & mask) != 0; };
    // The text grew: what holds it now held the shorter text before.
    const bool narrowing = narrow && current;
    std::vector<uint32_t> matches = index.Find(folded, wanted, narrowing ? &FtitleMatches : nullptr);
    Fnarrowed = narrowing;
    FtitleMatches.swap(matches);
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
        for (uint32_t i : index.Find(folded, [](uint32_t) { return true; })) groups.push_back(int(i));
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
