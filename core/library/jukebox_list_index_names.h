#pragma once
// The five grouping index files of the data folder, in the order of
// TcustomJukeboxList::IndexGrouping; the loading and the saving of the library share them.

namespace tunecrest {

inline constexpr const char* kIndexFiles[] = {"albums.idx", "artists.idx", "titles.idx", "genres.idx",
                                              "years.idx"};

}  // namespace tunecrest
