#pragma once
// The library by album and by artist. Albums are told apart by title and folder, so
// two albums of one name in two folders stay apart, and several artists in one
// album make it a compilation. Artists (or, as the title index, first letters) link
// to their albums and keep sorted display names that apply the user's artist-name
// mappings and can move a leading "The" to the end.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/base/safe_file.h"
#include "core/base/string_lists.h"
#include "core/library/tag_list_list.h"

namespace tunecrest {

class TmyNode;
class TmyNodeList;
class TaudioTagAlbum;
// Chooses which albums a tree shows (all when empty).
using TalbumNodeFilter = std::function<bool(const TaudioTagAlbum& album)>;

inline constexpr const char* kCompilationsArtist = "[Compilations]";
inline constexpr const char* kNotTaggedArtist = "[Not Tagged]";

class TaudioTagAlbum : public TaudioTagList {
public:
    TaudioTagAlbum();
    bool Compilation = false;
    std::string AlbumArtist;
    bool SortByTrack = true;
    // A tag of another artist than the album artist makes the album a compilation.
    void Add(TaudioTagPtr tag) override;
    // The cover file of its first tag; empty for an empty album.
    std::string GetCoverFile(const std::string& coverFolder, bool coverFolderOnly) const;
};
using TaudioTagAlbumPtr = std::shared_ptr<TaudioTagAlbum>;

class TaudioTagAlbumList : public TaudioTagListList {
public:
    TaudioTagAlbumList() { FwritesListNames = false; }
    // Files a tag under the album of its title whose first tag lies in the same folder,
    // or under a new album; returns that album (null for a tag without album).
    TaudioTagAlbumPtr AddTag(const TaudioTagPtr& tag);
    // The album AddTag would file the tag under, or null when it would make a new one.
    TaudioTagAlbumPtr FindAlbumFor(const TaudioTag& tag) const;
    // A new album with that title and album artist, sorted by track, added.
    TaudioTagAlbumPtr CreateAlbum(const std::string& title, const std::string& albumArtist);
    // The same with the title as the pool holds it (a track's album, shared without a
    // search of the pool).
    TaudioTagAlbumPtr CreateAlbum(const TpooledText& title, const std::string& albumArtist);
    TaudioTagAlbumPtr GetAlbum(int index) const;
    // Display lines (artist, title, album and track) with their tags, of every album whose
    // title contains `text` (without regard to case), for tags of the media mask.
    void SearchAlbums(const std::string& text, TmyStringList& dest, uint32_t mediaMask) const;
    // Tree nodes: every album (of the filter) appended to `nodes` (a tree's node list or
    // a node's children), collapsed, captioned with its title, the album as its data.
    void AddToTree(TmyNodeList& nodes, const TalbumNodeFilter& filter = {}) const;

    // The album index file "IXAL": per album its title, album artist and the positions
    // of its tracks in the global list (grouping_index_files.cpp).
    void SaveToStream(TbyteWriter& w) const;
    // The signature and the count, the start of SaveToStream (see TindexFileWriter).
    void SaveHeadToStream(TbyteWriter& w) const;
    // Clears the albums and rebuilds them from an "IXAL" stream against `master`. On
    // damage (a short stream, a wrong signature, a position outside `master`) it returns
    // false with a reason and leaves the album list empty.
    bool LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error = nullptr);
    // An empty name writes nothing and gives false.
    bool SaveToFile(const std::string& name, std::string* error = nullptr) const;
    // Clears the albums; reads the file when it exists (false when missing or damaged).
    bool LoadFromFile(const std::string& name, const TaudioTagList& master, std::string* error = nullptr);

    void Clear() override;
    void Delete(int index) override;
    // Delete for an album whose tracks, all of `folder`, have left it.
    void DeleteEmptied(int index, std::string_view folder);
    // The next change notice closes the brackets of new albums but leaves the others
    // as they are: for tracks filed one by one, whose albums had their own notices.
    void RenewOnlyNewAlbumsOnce() { FrenewAll = false; }

protected:
    void DoChange() override;

private:
    void ForgetFolders();
    // The albums by upper-cased title and folder of their first tag: many albums share
    // a title ("Greatest Hits"), and filing a track must not walk all of them. Built on
    // first use and again whenever albums were added or removed other than by AddTag.
    mutable TlazyMap<std::unordered_map<std::string, TaudioTagAlbumPtr>> FbyFolder;
    bool FrenewAll = true;
    mutable size_t FbyFolderCount = size_t(-1);
    // Albums looked through by FindAlbumFor without the index above.
    mutable size_t FfolderScans = 0;
};

class TaudioTagArtist : public TaudioTagList {
public:
    TaudioTagArtist();
    // Albums of the library's album list (not owned by this list's events).
    TaudioTagAlbumList& Albums() { return *Falbums; }
    const TaudioTagAlbumList& Albums() const { return *Falbums; }
    bool IsAlpha = false;

private:
    std::unique_ptr<TaudioTagAlbumList> Falbums;
};
using TaudioTagArtistPtr = std::shared_ptr<TaudioTagArtist>;

class TaudioTagArtistList : public TaudioTagListList {
public:
    TaudioTagArtistList();
    bool IsAlphaList = false;
    bool UseCompilations = true;
    bool UseNoName = true;
    bool MapThe = false;
    bool MappingsNoDuplicates = false;

    // Files a tag under its artist ("[Not Tagged]" without one) or, as the title
    // index, under the first letter of its title ("~" for anything but A-Z and 0-9).
    void AddTag(const TaudioTagPtr& tag);
    // The name AddTag files a filed tag under; empty for a tag the title index leaves out.
    std::string KeyOf(const TaudioTag& tag) const;
    // Links every album whose album artist names an artist to that artist.
    void BuildFromList(const TaudioTagAlbumList& albums);
    // Rebuilds the display names from the artists and the mappings.
    void ApplyMappings();
    // Adds the display names of the artists AddTag made since the names were last
    // rebuilt, exactly as ApplyMappings would show them, without a pass over every
    // artist; rebuilds them all where that could give another result (a name shown
    // already, where the order of all artists decides which stays).
    void ApplyMappingsToNew();
    TaudioTagArtistPtr GetArtist(int index) const;
    TaudioTagArtistPtr FindArtist(const std::string& name) const;
    // A new artist of that name, added (used by BuildFromList and the index files).
    TaudioTagArtistPtr CreateArtist(const std::string& name);
    TaudioTagArtistPtr CreateArtist(const TpooledText& name);
    // Tree node of an artist: appended to `nodes`, captioned with its name, the artist
    // as its data, with its albums (of the filter) as children when `withAlbums`.
    static TmyNode* AddArtistNode(TmyNodeList& nodes, const TaudioTagArtistPtr& artist, bool withAlbums,
                                  const TalbumNodeFilter& filter = {});
    // Every artist in list order, as above.
    void AddToTree(TmyNodeList& nodes, bool withAlbums, const TalbumNodeFilter& filter = {}) const;

    // Display names with their artists, sorted without regard to case.
    const TmyStringList& DisplayNames() const { return FdisplayNames; }
    void GetNames(TmyStringList& list) const;
    // One line per (display name, album of that artist), the album as object.
    void GetArtistNames(TmyStringList& list) const;
    void SearchArtists(const std::string& text, TmyStringList& dest, uint32_t mediaMask) const;

    // Mapping lines "name=mapped name"; a change re-applies the mappings (unless updating).
    const TmyStringList& Mappings() const { return Fmappings; }
    void SetMappings(const std::vector<std::string>& lines);
    const std::string& MappingListFile() const { return FmappingListFile; }
    // Stores the name; loads the mappings from the file when it exists, else clears them.
    void SetMappingListFile(const std::string& fileName);
    bool SaveMappings(std::string* error = nullptr) const;
    // The largest mappings file read (far more than anyone types; a larger one is refused).
    static constexpr uint64_t kMaxMappingBytes = uint64_t(32) << 20;

    // The artist (or title) index file "IXAR": per artist its name and the positions of
    // its tracks in the global list. Links to albums and display names are not stored:
    // BuildFromList and ApplyMappings make them after loading. Reading as for albums.
    void SaveToStream(TbyteWriter& w) const;
    // The signature and the count, the start of SaveToStream (see TindexFileWriter).
    void SaveHeadToStream(TbyteWriter& w) const;
    bool LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error = nullptr);
    bool SaveToFile(const std::string& name, std::string* error = nullptr) const;
    bool LoadFromFile(const std::string& name, const TaudioTagList& master, std::string* error = nullptr);

    void Clear() override;
    void Delete(int index) override;

private:
    // The names an artist is shown under, after the mappings.
    void DisplayNamesOf(const TaudioTagList& artist, std::vector<std::string>& names) const;
    // The index of the mapping line of `name` (letters folded), -1 when none.
    int MappingOf(const std::string& name) const;
    TmyStringList FdisplayNames;
    // What the display names were last rebuilt from: the count of artists, the switches,
    // and whether nothing but AddTag changed the artists since (then `Fnew` are the ones
    // it made).
    size_t FnamedCount = 0;
    bool FnamedMapThe = false, FnamedNoDuplicates = false, FnamesCurrent = false;
    std::vector<TaudioTagListPtr> Fnew;
    TmyStringList Fmappings;
    std::unordered_map<std::string, int> FmappingIndex;  // upper-cased name -> line
    std::string FmappingListFile;
};

}  // namespace tunecrest
