#pragma once
// The groupings of a library as bytes, to compare the groupings after a change with
// those a filing of every track gives; and a library track of many albums, artists,
// genres and years.
#include <string>

#include "core/library/jukebox_list.h"
#include "core/base/safe_file.h"
#include "tests/support/tags.h"

namespace tunecrest::test {

// Every grouping as its index file would hold it (positions included), the artists'
// album links, the display names, the category names, which album of a title a lookup
// by title finds, and the file-name index.
inline std::string GroupingsImage(TcustomJukeboxList& lib) {
    TbyteWriter w;
    lib.AlbumList().SaveToStream(w);
    lib.ArtistList().SaveToStream(w);
    lib.TitleList().SaveToStream(w);
    lib.GenreList().SaveToStream(w);
    lib.YearList().SaveToStream(w);
    std::string text = w.Bytes();
    TmyStringList links;
    lib.ArtistList().GetArtistNames(links);
    for (int i = 0; i < links.Count(); ++i)
        text += links.Strings(i) + "|" + std::static_pointer_cast<TaudioTagList>(links.Objects(i))->Title() +
                "\n";
    for (auto* categories : {static_cast<TaudioTagCategoryList*>(&lib.GenreList()),
                             static_cast<TaudioTagCategoryList*>(&lib.YearList())}) {
        for (int c = 0; c < categories->Count(); ++c) {
            categories->GetCategory(c)->Artists().GetArtistNames(links);
            for (int i = 0; i < links.Count(); ++i)
                text += categories->GetCategory(c)->Title() + ":" + links.Strings(i) + "|" +
                        std::to_string(std::static_pointer_cast<TaudioTagList>(links.Objects(i))->Count()) +
                        "\n";
        }
        for (int i = 0; i < categories->Names().Count(); ++i)
            text += "name " + categories->Names().Strings(i) + "\n";
    }
    for (int i = 0; i < lib.TitleList().DisplayNames().Count(); ++i)
        text += "letter " + lib.TitleList().DisplayNames().Strings(i) + "\n";
    for (int i = 0; i < lib.AlbumList().Count(); ++i) {
        const auto album = lib.AlbumList().GetAlbum(i);
        text += "found " +
                std::to_string(lib.AlbumList().IndexOfList(lib.AlbumList().FindList(album->Title()).get())) +
                (album->Compilation ? " c" : "") + "\n";
    }
    for (int i = 0; i < lib.FileIndex().Count(); ++i) text += lib.FileIndex().Strings(i) + "\n";
    return text;
}

inline TaudioTagPtr LibraryTrack(int i) {
    static const char* genres[] = {"Rock", "Jazz", "Pop", ""};
    return MakeLibraryTag(
        "/m/" + std::to_string(i % 7) + "/" + std::to_string(i % 5) + "/" + std::to_string(i) + ".mp3",
        i % 11 == 0 ? "" : "Artist " + std::to_string(i % 7), "T" + std::to_string(i * 37 % 101),
        "Album " + std::to_string(i % 5), genres[i % 4], std::to_string(1990 + i % 3), uint32_t(i % 9));
}

}  // namespace tunecrest::test
