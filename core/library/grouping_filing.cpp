#include "core/library/grouping_filing.h"

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
uint32_t NumberOf(std::unordered_map<std::string, uint32_t>& ids, std::string&& key) {
    return ids.emplace(std::move(key), uint32_t(ids.size())).first->second;
}
}  // namespace

TgroupingFiler::TgroupingFiler(TaudioTagAlbumList* albums, TaudioTagArtistList* artists, TaudioTagArtistList* titles,
                               TaudioTagCategoryList* genres, TaudioTagCategoryList* years) {
    Falbums.List = albums;
    Fartists.List = artists;
    Ftitles.List = titles;
    Fgenres.List = genres;
    Fyears.List = years;
}

TgroupingFiler::~TgroupingFiler() {
    // The categories filed their artists and albums through this filer; from now on
    // they file their own again.
    for (auto* categories : {&Fgenres, &Fyears})
        for (const auto& category : categories->ById) category->Category->Loading = false;
}

uint32_t TgroupingFiler::AlbumId(const TaudioTag& tag) {
    // As the album list tells albums apart: by title without regard to case, and by
    // the folder of the track (every track of an album shares its first track's).
    if (tag.Album().empty()) return kNone;
    const std::string_view folder = tag.Filename().Folder();
    TkeyTable& keys = FalbumKeys;
    if (keys.LastId != kNone && tag.Album() == keys.LastText && folder == keys.LastFolder) return keys.LastId;
    std::string key = UpperCase(tag.Album());
    key += '\n';
    key += folder;
    keys.LastId = NumberOf(keys.Ids, std::move(key));
    keys.LastText = tag.Album();
    keys.LastFolder = folder;
    return keys.LastId;
}

uint32_t TgroupingFiler::ArtistId(const std::string& name) {
    TkeyTable& keys = FartistKeys;
    if (keys.LastId != kNone && name == keys.LastText) return keys.LastId;
    keys.LastId = NumberOf(keys.Ids, UpperCase(name));
    keys.LastText = name;
    return keys.LastId;
}

void TgroupingFiler::FileAlbum(Talbums& albums, const TaudioTagPtr& tag, uint32_t id) {
    if (!albums.List || id == kNone) return;
    TaudioTagAlbum* album = albums.LastId == id ? albums.Last : nullptr;
    if (!album) album = albums.ById.Find(id);
    if (!album) {
        // As TaudioTagAlbumList::AddTag makes a new album.
        const TaudioTagAlbumPtr made = albums.List->CreateAlbum(tag->AlbumText(), tag->Artist());
        if (albums.List->UpdateCount() > 0) made->BeginUpdate();
        album = made.get();
        albums.ById.Insert(id, album);
    }
    album->Add(tag);
    albums.Last = album;
    albums.LastId = id;
}

void TgroupingFiler::FileArtist(Tartists& artists, const TaudioTagPtr& tag, uint32_t id, const std::string& name) {
    if (!artists.List) return;
    TaudioTagList* group = artists.LastId == id ? artists.Last : nullptr;
    if (!group) group = artists.ById.Find(id);
    if (group) {
        group->Add(tag);
    } else {
        // As TaudioTagArtistList::AddTag makes a new artist (or letter).
        auto artist = std::make_shared<TaudioTagArtist>();
        artist->BeginUpdate();
        artist->Add(tag);
        artist->IsAlpha = artists.List->IsAlphaList;
        // Named as its first track's artist mostly: the pool's copy is taken from the track.
        if (name == tag->Artist())
            artist->SetTitle(tag->ArtistText());
        else
            artist->SetTitle(name);
        group = artist.get();
        artists.List->AddList(std::move(artist));
        artists.ById.Insert(id, group);
    }
    artists.Last = group;
    artists.LastId = id;
}

void TgroupingFiler::FileCategory(Tcategories& categories, const TaudioTagPtr& tag, uint32_t albumId,
                                  uint32_t artistId, const std::string& artistName) {
    if (!categories.List) return;
    std::string key = categories.List->FilingKey(*tag);
    Tcategory* category = categories.Last && key == categories.LastKey ? categories.Last : nullptr;
    if (!category) {
        const uint32_t id = NumberOf(categories.Ids, UpperCase(key));
        if (id < categories.ById.size()) {
            category = categories.ById[id].get();
        } else {
            const TaudioTagCategoryPtr made = categories.List->CreateCategory(key);
            // Its artists and albums are filed here, by the keys already worked out.
            made->Loading = true;
            auto entry = std::make_unique<Tcategory>();
            entry->Category = made.get();
            entry->Albums.List = &made->Albums();
            entry->Artists.List = &made->Artists();
            category = entry.get();
            categories.ById.push_back(std::move(entry));
        }
        categories.Last = category;
        categories.LastKey = std::move(key);
    }
    // As TaudioTagCategory::Add files a track: artist, album, then the category itself.
    TaudioTagCategory& list = *category->Category;
    if (list.UseArtists) {
        FileArtist(category->Artists, tag, artistId, artistName);
        if (list.UseAlbums) FileAlbum(category->Albums, tag, albumId);
    }
    list.Add(tag);
}

void TgroupingFiler::File(const TaudioTagPtr& tag) {
    if (!tag) return;
    const uint32_t albumId = AlbumId(*tag);
    // The artist key as the artist lists file it; an untitled track without artist
    // takes its file name as title here, as it does there.
    std::string artistName = tag->Artist();
    if (artistName.empty()) {
        artistName = kNotTaggedArtist;
        if ((Fartists.List || Ftitles.List || Fgenres.List || Fyears.List) && tag->Title().empty())
            tag->SetTitle(tag->FilePart());
    }
    const uint32_t artistId = ArtistId(artistName);
    FileAlbum(Falbums, tag, albumId);
    FileArtist(Fartists, tag, artistId, artistName);
    if (Ftitles.List && !tag->Title().empty()) {
        // The title index: the first letter or digit, "~" for anything else.
        const char c = UpperCase(tag->Title().substr(0, 1))[0];
        const std::string letter = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? std::string(1, c) : "~";
        FileArtist(Ftitles, tag, uint32_t(static_cast<unsigned char>(letter[0])), letter);
    }
    FileCategory(Fgenres, tag, albumId, artistId, artistName);
    FileCategory(Fyears, tag, albumId, artistId, artistName);
}

}  // namespace tunecrest
