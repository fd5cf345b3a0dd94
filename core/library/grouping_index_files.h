#pragma once
// The five grouping index files loaded together (grouping_index_files.cpp).
#include <functional>
#include <memory>
#include <string>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"

namespace tunecrest {

struct TgroupingIndexLoad {
    TaudioTagAlbumList* Albums = nullptr;
    TaudioTagArtistList* Artists = nullptr;
    TaudioTagArtistList* Titles = nullptr;
    TaudioTagCategoryList* Genres = nullptr;
    TaudioTagCategoryList* Years = nullptr;
    // "albums.idx", "artists.idx", "titles.idx", "genres.idx" and "years.idx".
    std::string AlbumsFile, ArtistsFile, TitlesFile, GenresFile, YearsFile;
    // Told the step being taken ("Loading Artist Index" and on).
    std::function<void(const std::string&)> Progress;
};

// The five files in two steps, so that the first can run while the library itself loads.
//
// PrepareGroupingIndexFiles reads and checks all five files. It touches no grouping and
// tells no progress, so it may run on any thread.
//
// FillGroupingIndexFiles then runs on the thread that owns the groupings, once `master`
// holds the library: it tells the steps, checks the files' positions against the library,
// clears the groupings and makes their lists in the files' order, and fills the lists
// from `master`: on the calling thread alone when `helpers` is 0, else on that many helper
// threads besides it. Each genre and year also links its albums to its artists (as
// TaudioTagCategoryList::BuildArtists would). With helpers, no list stamps the tracks it
// takes (TtagStampPause); a track left without an index is numbered afterwards, from the
// groupings in the order the calling thread alone would have filed it. On damage in any
// file, or a position past the library's end: false with a reason, and every grouping left
// empty.
//
// AbandonGroupingIndexFiles, on the owner's thread, leaves every grouping empty instead
// (the library turned out not to be the one the files were written for).
struct TgroupingIndexPrep;
struct TgroupingIndexPrepDelete {
    void operator()(TgroupingIndexPrep* prep) const;
};
using TgroupingIndexPrepPtr = std::unique_ptr<TgroupingIndexPrep, TgroupingIndexPrepDelete>;

TgroupingIndexPrepPtr PrepareGroupingIndexFiles(const TgroupingIndexLoad& load);
bool FillGroupingIndexFiles(TgroupingIndexPrepPtr prep, const TaudioTagList& master, unsigned helpers,
                            std::string* error);
void AbandonGroupingIndexFiles(TgroupingIndexPrepPtr prep);

// Both steps at once.
bool LoadGroupingIndexFiles(const TgroupingIndexLoad& load, const TaudioTagList& master, unsigned helpers,
                            std::string* error);

}  // namespace tunecrest
