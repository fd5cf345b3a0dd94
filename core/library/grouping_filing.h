#pragma once
// Filing a whole library into empty groupings at once. Each track's keys (its album by
// title and folder, its artist, its genre and its year, all without regard to case)
// are worked out once and shared by every grouping that files by them, instead of
// each grouping (and each genre's and year's own artist and album lists) looking the
// track up by its texts again. The groupings receive exactly the calls one-by-one
// filing makes (the same lists created in the same order, the same tracks added), so
// they come out the same, down to the order of names that differ only by case.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"

namespace tunecrest {

class TgroupingFiler {
public:
    // The groupings to fill, each empty and inside its update bracket; a null one is
    // switched off. `titles` is the title index (an artist list of first letters).
    TgroupingFiler(TaudioTagAlbumList* albums, TaudioTagArtistList* artists, TaudioTagArtistList* titles,
                   TaudioTagCategoryList* genres, TaudioTagCategoryList* years);
    ~TgroupingFiler();
    TgroupingFiler(const TgroupingFiler&) = delete;
    TgroupingFiler& operator=(const TgroupingFiler&) = delete;

    // Files one track; tracks come in library order.
    void File(const TaudioTagPtr& tag);

private:
    static constexpr uint32_t kNone = uint32_t(-1);
    // Lists by key number: open addressing in one block, so that a genre's or year's
    // thousands of albums cost no allocation each, to make or to free.
    template <typename T>
    class TidTable {
    public:
        T* Find(uint32_t id) const {
            if (Fslots.empty()) return nullptr;
            const size_t mask = Fslots.size() - 1;
            for (size_t i = Slot(id, mask);; i = (i + 1) & mask) {
                if (!Fslots[i].second) return nullptr;
                if (Fslots[i].first == id) return Fslots[i].second;
            }
        }
        void Insert(uint32_t id, T* list) {
            if ((Fcount + 1) * 2 > Fslots.size()) {
                std::vector<std::pair<uint32_t, T*>> old(std::max<size_t>(16, Fslots.size() * 2));
                old.swap(Fslots);
                for (const auto& slot : old)
                    if (slot.second) Place(slot.first, slot.second);
            }
            Place(id, list);
            ++Fcount;
        }

    private:
        static size_t Slot(uint32_t id, size_t mask) { return size_t((uint64_t(id) * 0x9E3779B97F4A7C15ull) >> 32) & mask; }
        void Place(uint32_t id, T* list) {
            const size_t mask = Fslots.size() - 1;
            size_t i = Slot(id, mask);
            while (Fslots[i].second) i = (i + 1) & mask;
            Fslots[i] = {id, list};
        }
        std::vector<std::pair<uint32_t, T*>> Fslots;
        size_t Fcount = 0;
    };
    // One album list and the albums it made, by album key.
    struct Talbums {
        TaudioTagAlbumList* List = nullptr;
        TidTable<TaudioTagAlbum> ById;
        uint32_t LastId = kNone;
        TaudioTagAlbum* Last = nullptr;
    };
    // One artist list (or the title index) and the groups it made, by key.
    struct Tartists {
        TaudioTagArtistList* List = nullptr;
        TidTable<TaudioTagList> ById;
        uint32_t LastId = kNone;
        TaudioTagList* Last = nullptr;
    };
    struct Tcategory {
        TaudioTagCategory* Category = nullptr;
        Talbums Albums;
        Tartists Artists;
    };
    // A genre or year list and its categories, by key.
    struct Tcategories {
        TaudioTagCategoryList* List = nullptr;
        std::unordered_map<std::string, uint32_t> Ids;
        std::vector<std::unique_ptr<Tcategory>> ById;
        std::string LastKey;
        Tcategory* Last = nullptr;
    };
    // Keys met so far, each numbered in order of first use.
    struct TkeyTable {
        std::unordered_map<std::string, uint32_t> Ids;
        std::string LastText, LastFolder;
        uint32_t LastId = kNone;
    };

    uint32_t AlbumId(const TaudioTag& tag);
    uint32_t ArtistId(const std::string& key);
    static void FileAlbum(Talbums& albums, const TaudioTagPtr& tag, uint32_t id);
    static void FileArtist(Tartists& artists, const TaudioTagPtr& tag, uint32_t id, const std::string& name);
    void FileCategory(Tcategories& categories, const TaudioTagPtr& tag, uint32_t albumId, uint32_t artistId,
                      const std::string& artistName);

    Talbums Falbums;
    Tartists Fartists, Ftitles;
    Tcategories Fgenres, Fyears;
    TkeyTable FalbumKeys, FartistKeys;
};

}  // namespace tunecrest
