// The index files written a piece at a time (grouping_index_writer.h).
#include "core/library/grouping_index_writer.h"

#include <algorithm>
#include <memory>
#include <string>

#include "core/base/safe_file.h"
#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/tags/list_file_io.h"
#include "core/tags/tag_list_files.h"

namespace tunecrest {

namespace {
// Positions written per piece of a long track list (a large genre holds many thousands).
constexpr size_t kPositionsPerPiece = 8192;
}  // namespace

TindexFileWriter::TindexFileWriter(const TaudioTagListList& grouping) { Push(grouping); }

TindexFileWriter::TindexFileWriter(const TaudioTagListList& grouping, int entry) { Push(grouping, entry, entry + 1); }

void TindexFileWriter::Push(const TaudioTagListList& lists, int entry, int end) {
    Tkind kind = ikArtists;
    if (dynamic_cast<const TaudioTagAlbumList*>(&lists)) kind = ikAlbums;
    else if (dynamic_cast<const TaudioTagCategoryList*>(&lists)) kind = ikCategories;
    Fstack.push_back({&lists, kind, entry, 0, 0, end});
}

bool TindexFileWriter::WriteNext(TbyteWriter& w) {
    while (!Fstack.empty()) {
        Tframe& f = Fstack.back();
        if (f.Entry < 0) {
            if (f.Kind == ikAlbums) static_cast<const TaudioTagAlbumList*>(f.Lists)->SaveHeadToStream(w);
            else if (f.Kind == ikArtists) static_cast<const TaudioTagArtistList*>(f.Lists)->SaveHeadToStream(w);
            else static_cast<const TaudioTagCategoryList*>(f.Lists)->SaveHeadToStream(w);
            f.Entry = 0;
            return true;
        }
        if (f.Entry >= f.Lists->Count() || (f.End >= 0 && f.Entry >= f.End)) {
            Fstack.pop_back();
            continue;
        }
        const TaudioTagListPtr list = f.Lists->GetList(f.Entry);
        switch (f.Part) {
            case 0:  // the name, then the head of the track block
                WriteText(w, list->Title());
                if (f.Kind == ikAlbums) {
                    const auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(list);
                    WriteText(w, album ? album->AlbumArtist : std::string());
                }
                w.WriteBytes(kTrackIndexMagic);
                w.WriteI32(int32_t(list->Count()));
                f.Part = 1;
                f.Pos = 0;
                return true;
            case 1: {
                const auto& items = list->Items();
                const size_t end = std::min(items.size(), f.Pos + kPositionsPerPiece);
                for (; f.Pos < end; ++f.Pos) w.WriteI32(items[f.Pos]->StoredPosition());
                if (f.Pos >= items.size()) f.Part = f.Kind == ikCategories ? 2 : 4;
                return true;
            }
            case 2: {  // a category's artists, then its albums, each a whole stream
                f.Part = 3;
                const auto category = std::static_pointer_cast<TaudioTagCategory>(list);
                Push(category->Artists());
                continue;
            }
            case 3: {
                f.Part = 4;
                const auto category = std::static_pointer_cast<TaudioTagCategory>(list);
                Push(category->Albums());
                continue;
            }
            default:
                ++f.Entry;
                f.Part = 0;
                continue;
        }
    }
    return false;
}

}  // namespace tunecrest
