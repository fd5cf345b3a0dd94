// A grouping index file from arbitrary bytes, against a master list of 16 tags. The
// first byte picks the grouping: albums, artists, genres or years.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/library/genre_year_groupings.h"
#include "fuzz/master_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tunecrest::TaudioTagList* master = &tunecrest::fuzz::MasterList();
    if (size == 0) return 0;
    tunecrest::TbyteReader r(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    std::string error;
    bool ok = false;
    int count = 0;
    switch (data[0] % 4) {
        case 0: {
            tunecrest::TaudioTagAlbumList albums;
            ok = albums.LoadFromStream(r, *master, &error);
            count = albums.Count();
            break;
        }
        case 1: {
            tunecrest::TaudioTagArtistList artists;
            ok = artists.LoadFromStream(r, *master, &error);
            count = artists.Count();
            break;
        }
        case 2: {
            tunecrest::TaudioTagGenreList genres;
            ok = genres.LoadFromStream(r, *master, &error);
            count = genres.Count();
            break;
        }
        default: {
            tunecrest::TaudioTagYearList years;
            ok = years.LoadFromStream(r, *master, &error);
            count = years.Count();
        }
    }
    // A failed read builds nothing.
    if (!ok && count != 0) __builtin_trap();
    return 0;
}
