#pragma once
// The five grouping index files loaded together (grouping_index_files.cpp).
#include <functional>
#include <string>

#include "core/album_artist_groupings.h"
#include "core/genre_year_groupings.h"

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

// Reads and checks all five files, then fills the groupings from them against `master`:
// on the calling thread alone when `helpers` is 0, else on that many helper threads
// besides it. Each genre and year also links its albums to its artists (as
// TaudioTagCategoryList::BuildArtists would). With helpers, no list stamps the tracks it
// takes (TtagStampPause); a track left without an index is numbered afterwards, from the
// groupings in the order the calling thread alone would have filed it.
// On damage in any file: false with a reason, and every grouping left empty.
bool LoadGroupingIndexFiles(const TgroupingIndexLoad& load, const TaudioTagList& master, unsigned helpers,
                            std::string* error);

}  // namespace tunecrest
