#include "windows/search/song_search.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "core/album_artist_groupings.h"
#include "core/jukebox_list.h"
#include "core/text_utils.h"

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

void TsongSearch::SetLibrary(TcustomJukeboxList* library) {
    Flibrary = library;
    Fresults.clear();
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

void TsongSearch::Search(const std::string& text) {
    Fresults.clear();
    if (text.empty() || !Flibrary) return;
    const uint32_t mask = SongFileTypeMask(FfileTypeMode);
    switch (FsearchMode) {
        case ssmArtist:
            SearchGroups(UpperCase(text), mask, true);
            break;
        case ssmAlbum:
            SearchGroups(UpperCase(text), mask, false);
            break;
        case ssmIndex:
            SearchIndex(text, mask);
            break;
        default:
            SearchTitles(UpperCase(text), mask);
            break;
    }
}

void TsongSearch::SearchTitles(const std::string& upper, uint32_t mask) {
    for (const TaudioTagPtr& tag : Flibrary->GlobalList().Items())
        if (InMask(*tag, mask) && ContainsFolded(tag->Title(), upper)) Fresults.push_back(tag);
    const TaudioTagList& video = Flibrary->VideoList();
    if (video.Count() == 0) return;
    // A file of the audio library that the video list holds too is listed once.
    std::unordered_set<std::string_view> seen;
    seen.reserve(Fresults.size());
    for (const TaudioTagPtr& tag : Fresults) seen.insert(tag->Filename());
    for (const TaudioTagPtr& tag : video.Items())
        if (InMask(*tag, mask) && ContainsFolded(tag->Title(), upper) && seen.insert(tag->Filename()).second)
            Fresults.push_back(tag);
}

void TsongSearch::SearchGroups(const std::string& upper, uint32_t mask, bool artists) {
    auto take = [&](const TaudioTagList& group) {
        if (!ContainsFolded(group.Title(), upper)) return;
        for (const TaudioTagPtr& tag : group.Items())
            if (InMask(*tag, mask)) Fresults.push_back(tag);
    };
    if (artists) {
        const TaudioTagArtistList& list = Flibrary->ArtistList();
        for (int i = 0; i < list.Count(); ++i)
            if (const auto artist = list.GetArtist(i)) take(*artist);
    } else {
        const TaudioTagAlbumList& list = Flibrary->AlbumList();
        for (int i = 0; i < list.Count(); ++i)
            if (const auto album = list.GetAlbum(i)) take(*album);
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
