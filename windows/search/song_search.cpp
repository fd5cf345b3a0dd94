#include "windows/search/song_search.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "core/library/album_artist_groupings.h"
#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

constexpr const char* kSearchModes[] = {"Title", "Artist", "Album", "Index"};
constexpr const char* kFileTypes[] = {"Search  All", "Search Audio", "Search Karaoke", "Search Video"};
constexpr uint32_t kFileTypeMasks[] = {0xFFFFFFFFu, 1u, 8u, 2u};

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Whether `text` contains `upper` (already upper-cased), ASCII letters folded. Runs once
// per track on every keystroke, so it compares in place instead of copying the text.
bool ContainsFolded(std::string_view text, std::string_view upper) {
    if (upper.empty()) return true;
    if (text.size() < upper.size()) return false;
    const size_t last = text.size() - upper.size();
    const char first = upper[0];
    for (size_t i = 0; i <= last; ++i) {
        if (FoldAscii(text[i]) != first) continue;
        size_t k = 1;
        while (k < upper.size() && FoldAscii(text[i + k]) == upper[k]) ++k;
        if (k == upper.size()) return true;
    }
    return false;
}

bool InMask(const TaudioTag& tag, uint32_t mask) {
    return (tag.MediaType() & mask) != 0;
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
    if (library != Flibrary) Findex.reset();
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

// The titles of the library, upper-cased into one block that a search reads straight
// through, instead of visiting a million tracks scattered over the heap on every key.
struct TsongSearch::TtitleIndex {
    const TcustomJukeboxList* Library = nullptr;
    uint64_t GlobalChanges = 0, VideoChanges = 0;
    std::vector<TaudioTagPtr> Tracks;  // the global list, then the video list
    size_t AudioCount = 0;
    std::string Folded;            // every title, each followed by a zero byte
    std::vector<uint32_t> Starts;  // where each title starts, and one more for the end
    std::vector<uint32_t> Kinds;   // each track's media kind
    // For a video track whose file an earlier track has too: those earlier tracks.
    std::unordered_map<uint32_t, std::vector<uint32_t>> Twins;

    std::string_view TitleAt(uint32_t i) const {
        return {Folded.data() + Starts[i], size_t(Starts[i + 1] - Starts[i] - 1)};
    }
    bool Holds(uint32_t i, std::string_view upper) const { return TitleAt(i).find(upper) != std::string_view::npos; }
};

bool TsongSearch::IndexCurrent() const {
    if (!Findex || !Flibrary || Findex->Library != Flibrary) return false;
    const TaudioTagList& global = Flibrary->GlobalList();
    const TaudioTagList& video = Flibrary->VideoList();
    return Findex->GlobalChanges == global.ChangeCount() && Findex->VideoChanges == video.ChangeCount() &&
           Findex->AudioCount == size_t(global.Count()) &&
           Findex->Tracks.size() == size_t(global.Count()) + size_t(video.Count());
}

void TsongSearch::PrepareIndex() {
    if (!Flibrary || IndexCurrent()) return;
    auto index = std::make_shared<TtitleIndex>();
    const TaudioTagList& global = Flibrary->GlobalList();
    const TaudioTagList& video = Flibrary->VideoList();
    index->Library = Flibrary;
    index->GlobalChanges = global.ChangeCount();
    index->VideoChanges = video.ChangeCount();
    index->AudioCount = size_t(global.Count());
    const size_t count = size_t(global.Count()) + size_t(video.Count());
    index->Tracks.reserve(count);
    index->Starts.reserve(count + 1);
    index->Kinds.reserve(count);
    index->Folded.reserve(count * 24);
    auto add = [&index](const TaudioTagPtr& tag) {
        const std::string& title = tag->Title();
        index->Starts.push_back(uint32_t(index->Folded.size()));
        // A block past 4 GB cannot be addressed: titles beyond it are searched as empty.
        if (index->Folded.size() + title.size() + 1 < UINT32_MAX)
            for (char c : title) index->Folded.push_back(FoldAscii(c));
        index->Folded.push_back('\0');
        index->Kinds.push_back(tag->MediaType());
        index->Tracks.push_back(tag);
    };
    for (const TaudioTagPtr& tag : global.Items()) add(tag);
    for (const TaudioTagPtr& tag : video.Items()) add(tag);
    index->Starts.push_back(uint32_t(index->Folded.size()));
    if (video.Count() > 0) {
        // A file of the audio library that the video list holds too is listed once:
        // each video track remembers the earlier tracks with its file name.
        std::unordered_map<std::string_view, std::vector<uint32_t>> videoNames;
        for (uint32_t i = uint32_t(index->AudioCount); i < count; ++i)
            videoNames[index->Tracks[i]->Filename()].push_back(i);
        for (uint32_t i = 0; i < index->AudioCount; ++i) {
            const auto found = videoNames.find(index->Tracks[i]->Filename());
            if (found == videoNames.end()) continue;
            for (uint32_t v : found->second) index->Twins[v].push_back(i);
        }
        for (const auto& [name, tracks] : videoNames)
            for (size_t k = 1; k < tracks.size(); ++k)
                for (size_t e = 0; e < k; ++e) index->Twins[tracks[k]].push_back(tracks[e]);
        for (auto& [track, twins] : index->Twins) std::sort(twins.begin(), twins.end());
    }
    Findex = std::move(index);
}

int TsongSearch::ResultCount() const {
    if (!FtitleSearch) return int(Fresults.size());
    return int(FtitleResultsAreMatches ? FtitleMatches.size() : FtitleResults.size());
}

TaudioTagPtr TsongSearch::Result(int index) const {
    if (index < 0 || index >= ResultCount()) return nullptr;
    if (!FtitleSearch) return Fresults[size_t(index)];
    const uint32_t track = FtitleResultsAreMatches ? FtitleMatches[size_t(index)] : FtitleResults[size_t(index)];
    return Findex->Tracks[track];
}

std::vector<TaudioTagPtr> TsongSearch::Results() const {
    std::vector<TaudioTagPtr> all;
    const int count = ResultCount();
    all.reserve(size_t(count));
    for (int i = 0; i < count; ++i) all.push_back(Result(i));
    return all;
}

void TsongSearch::ClearResults() {
    Fresults.clear();
    FtitleMatches.clear();
    FtitleResults.clear();
    FgroupMatches.clear();
    FtitleResultsAreMatches = true;
    FtitleSearch = false;
    FlastUpper.clear();
    FlastMode = -1;
    Fnarrowed = false;
}

void TsongSearch::Search(const std::string& text) {
    const std::string upper = UpperCase(text);
    const bool mayNarrow = Flibrary && !FlastUpper.empty() && FlastMode == FsearchMode &&
                           FlastFileType == FfileTypeMode &&
                           FlastGlobalChanges == Flibrary->GlobalList().ChangeCount() &&
                           FlastVideoChanges == Flibrary->VideoList().ChangeCount() &&
                           upper.find(FlastUpper) != std::string::npos;
    std::vector<uint32_t> lastTitles;
    if (mayNarrow) lastTitles.swap(FtitleMatches);
    std::vector<int> lastGroups;
    if (mayNarrow) lastGroups.swap(FgroupMatches);
    ClearResults();
    if (text.empty() || !Flibrary) return;
    const uint32_t mask = SongFileTypeMask(FfileTypeMode);
    switch (FsearchMode) {
        case ssmArtist:
            FgroupMatches.swap(lastGroups);
            SearchGroups(upper, mask, true, mayNarrow);
            break;
        case ssmAlbum:
            FgroupMatches.swap(lastGroups);
            SearchGroups(upper, mask, false, mayNarrow);
            break;
        case ssmIndex:
            SearchIndex(text, mask);
            break;
        default:
            FtitleMatches.swap(lastTitles);
            SearchTitles(upper, mask, mayNarrow);
            break;
    }
    FlastUpper = upper;
    FlastMode = FsearchMode;
    FlastFileType = FfileTypeMode;
    FlastGlobalChanges = Flibrary->GlobalList().ChangeCount();
    FlastVideoChanges = Flibrary->VideoList().ChangeCount();
}

void TsongSearch::SearchTitles(const std::string& upper, uint32_t mask, bool narrow) {
    FtitleSearch = true;
    const bool current = IndexCurrent();
    if (!current) PrepareIndex();
    const TtitleIndex& index = *Findex;
    std::vector<uint32_t> matches;
    if (narrow && current) {
        // The text grew: what holds it now held the shorter text before.
        matches.reserve(FtitleMatches.size());
        for (uint32_t track : FtitleMatches)
            if (index.Holds(track, upper)) matches.push_back(track);
        Fnarrowed = true;
    } else if (upper.find('\0') != std::string::npos) {
        // A zero byte would match across the ends of titles: title by title instead.
        for (uint32_t track = 0; track < index.Tracks.size(); ++track)
            if ((index.Kinds[track] & mask) && index.Holds(track, upper)) matches.push_back(track);
    } else {
        const std::string_view all(index.Folded);
        uint32_t track = 0;
        for (size_t at = all.find(upper); at != std::string_view::npos; at = all.find(upper, at)) {
            while (index.Starts[track + 1] <= at) ++track;
            if (index.Kinds[track] & mask) matches.push_back(track);
            at = index.Starts[track + 1];  // one hit is enough for a title
        }
    }
    FtitleMatches.swap(matches);
    if (index.Twins.empty()) return;
    // A file found earlier in the list (audio library first) is not listed again.
    FtitleResultsAreMatches = false;
    FtitleResults.reserve(FtitleMatches.size());
    for (uint32_t track : FtitleMatches) {
        const auto twins = index.Twins.find(track);
        const bool listed = twins != index.Twins.end() &&
                            std::any_of(twins->second.begin(), twins->second.end(), [&](uint32_t earlier) {
                                return (index.Kinds[earlier] & mask) && index.Holds(earlier, upper);
                            });
        if (!listed) FtitleResults.push_back(track);
    }
}

void TsongSearch::SearchGroups(const std::string& upper, uint32_t mask, bool artists, bool narrow) {
    std::vector<int> groups;
    auto consider = [&](int i, const TaudioTagList* group) {
        if (!group || !ContainsFolded(group->Title(), upper)) return;
        groups.push_back(i);
        for (const TaudioTagPtr& tag : group->Items())
            if (InMask(*tag, mask)) Fresults.push_back(tag);
    };
    auto groupAt = [&](int i) -> const TaudioTagList* {
        if (artists) return Flibrary->ArtistList().GetArtist(i).get();
        return Flibrary->AlbumList().GetAlbum(i).get();
    };
    if (narrow) {
        // The groups whose names hold the longer text are among those that held the shorter.
        for (int i : FgroupMatches) consider(i, groupAt(i));
        Fnarrowed = true;
    } else {
        const int count = artists ? Flibrary->ArtistList().Count() : Flibrary->AlbumList().Count();
        for (int i = 0; i < count; ++i) consider(i, groupAt(i));
    }
    FgroupMatches.swap(groups);
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
