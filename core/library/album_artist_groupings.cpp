#include "core/library/album_artist_groupings.h"

#include <cerrno>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
// A search asks for media kinds: a track of no known kind (0) is none of them.
bool InMediaMask(const TaudioTag& tag, uint32_t mask) {
    return (tag.MediaType() & mask) != 0;
}

void AppendDisplayLines(const TaudioTagList& list, TtagDisplayFormat format, uint32_t mediaMask, TmyStringList& dest) {
    for (const auto& tag : list.Items())
        if (InMediaMask(*tag, mediaMask)) dest.AddObject(tag->GetDisplayText(format), tag);
}
}  // namespace

// ---- albums ----

TaudioTagAlbum::TaudioTagAlbum() {
    SetNoRandomRebuild(true);
    SetSortType(tstTrackTitle);
}

void TaudioTagAlbum::Add(TaudioTagPtr tag) {
    if (!tag) return;
    if (!AlbumArtist.empty() && !SameText(AlbumArtist, tag->Artist())) {
        AlbumArtist = kCompilationsArtist;
        Compilation = true;
    }
    SetSortType(SortByTrack ? tstTrackTitle : tstArtist);
    TaudioTagList::Add(std::move(tag));
}

std::string TaudioTagAlbum::GetCoverFile(const std::string& coverFolder, bool coverFolderOnly) const {
    const TaudioTagPtr first = GetTag(0);
    return first ? first->FindCoverFile(coverFolder, coverFolderOnly) : std::string();
}

TaudioTagAlbumPtr TaudioTagAlbumList::CreateAlbum(const std::string& title, const std::string& albumArtist) {
    return CreateAlbum(TpooledText(title), albumArtist);
}

TaudioTagAlbumPtr TaudioTagAlbumList::CreateAlbum(const TpooledText& title, const std::string& albumArtist) {
    auto album = std::make_shared<TaudioTagAlbum>();
    album->SetTitle(title);
    album->AlbumArtist = albumArtist;
    album->SetSortType(tstTrackTitle);
    album->SetSorted(true);
    AddList(album);
    return album;
}

namespace {
std::string AlbumKey(std::string_view title, std::string_view folder) {
    std::string key = UpperCase(title);
    key += '\n';
    key += folder;
    return key;
}
}  // namespace

TaudioTagAlbumPtr TaudioTagAlbumList::FindAlbumFor(const TaudioTag& tag) const {
    if (tag.Album().empty()) return nullptr;
    // The album whose title is the tag's and whose first tag shares its folder.
    const std::string_view folder = tag.Filename().Folder();
    // Two albums of one title never share a folder, so the album used last, when it
    // has this title and folder, is the one the lookup below would find.
    if (const TaudioTagListPtr last = FindListCached(tag.Album())) {
        const TaudioTagPtr first = last->GetTag(0);
        if (first && first->Filename().Folder() == folder) return std::static_pointer_cast<TaudioTagAlbum>(last);
    } else {
        return nullptr;  // no album of this title at all
    }
    if (FbyFolderCount != Flists.size() && FfolderScans < Flists.size()) {
        // Albums of one title are few: they are looked through, in list order, until such
        // lookups have cost about what indexing every album by title and folder costs once.
        // The first change after start-up does not pay a pass over every album.
        for (size_t i = size_t(std::max(IndexOfTitle(tag.Album()), 0));
             i < Flists.size() && SameText(Flists[i]->Title(), tag.Album()); ++i) {
            ++FfolderScans;
            const TaudioTagPtr first = Flists[i]->GetTag(0);
            if (first && first->Filename().Folder() == folder) return std::static_pointer_cast<TaudioTagAlbum>(Flists[i]);
        }
        return nullptr;
    }
    if (FbyFolderCount != Flists.size()) {
        SortPending();
        FbyFolder.clear();
        for (const auto& list : Flists)  // in list order: the first of a title and folder wins
            if (const TaudioTagPtr first = list->GetTag(0))
                FbyFolder.emplace(AlbumKey(list->Title(), first->Filename().Folder()),
                                  std::static_pointer_cast<TaudioTagAlbum>(list));
        FbyFolderCount = Flists.size();
    }
    const auto it = FbyFolder.find(AlbumKey(tag.Album(), folder));
    return it == FbyFolder.end() ? nullptr : it->second;
}

void TaudioTagAlbumList::Clear() {
    ForgetFolders();
    TaudioTagListList::Clear();
}

void TaudioTagAlbumList::Delete(int index) { DeleteEmptied(index, std::string_view()); }

void TaudioTagAlbumList::DeleteEmptied(int index, std::string_view folder) {
    const TaudioTagListPtr album = GetList(index);
    if (!album || FbyFolderCount != Flists.size()) {
        ForgetFolders();
        TaudioTagListList::Delete(index);
        return;
    }
    // Only that album leaves the lookup by title and folder (found by its key, or, for
    // an album without tracks, by a walk over the lookup).
    const TaudioTagPtr first = album->GetTag(0);
    if (first) folder = first->Filename().Folder();
    const auto keyed = first || !folder.empty() ? FbyFolder.find(AlbumKey(album->Title(), folder)) : FbyFolder.end();
    if (keyed != FbyFolder.end() && keyed->second == album) {
        FbyFolder.erase(keyed);
    } else {
        for (auto it = FbyFolder.begin(); it != FbyFolder.end();)
            it = it->second == album ? FbyFolder.erase(it) : std::next(it);
    }
    TaudioTagListList::Delete(index);
    FbyFolderCount = Flists.size();
}

void TaudioTagAlbumList::ForgetFolders() {
    // As for the titles: an empty map is not cleared again at every deleted album.
    if (!FbyFolder.empty()) FbyFolder.clear();
    FbyFolderCount = size_t(-1);
}

TaudioTagAlbumPtr TaudioTagAlbumList::AddTag(const TaudioTagPtr& tag) {
    if (!tag || tag->Album().empty()) return nullptr;
    if (TaudioTagAlbumPtr album = FindAlbumFor(*tag)) {
        album->Add(tag);
        return album;
    }
    const bool indexed = FbyFolderCount == Flists.size();
    const TaudioTagAlbumPtr album = CreateAlbum(tag->AlbumText(), tag->Artist());
    if (indexed) {
        FbyFolder.emplace(AlbumKey(tag->Album(), tag->Filename().Folder()), album);
        FbyFolderCount = Flists.size();
    }
    // While the album list is being filled, a new album stays inside its own update
    // bracket and sorts once, at the album list's change notice.
    if (UpdateCount() > 0) album->BeginUpdate();
    album->Add(tag);
    return album;
}

TaudioTagAlbumPtr TaudioTagAlbumList::GetAlbum(int index) const {
    return std::dynamic_pointer_cast<TaudioTagAlbum>(GetList(index));
}

void TaudioTagAlbumList::SearchAlbums(const std::string& text, TmyStringList& dest, uint32_t mediaMask) const {
    const std::string upper = UpperCase(text);
    SortPending();
    for (const auto& album : Flists)
        if (UpperCase(album->Title()).find(upper) != std::string::npos)
            AppendDisplayLines(*album, tdfArtistTitleAlbumTrack, mediaMask, dest);
}

void TaudioTagAlbumList::DoChange() {
    SortPending();
    const bool renewAll = FrenewAll;
    FrenewAll = true;
    for (const auto& album : Flists) {
        if (album->UpdateCount() > 0)
            album->EndUpdate();
        else if (renewAll)
            album->Changed();
    }
    TaudioTagListList::DoChange();
}

// ---- artists ----

TaudioTagArtist::TaudioTagArtist() : Falbums(std::make_unique<TaudioTagAlbumList>()) { SetNoRandomRebuild(true); }

TaudioTagArtistList::TaudioTagArtistList() {
    FwritesListNames = false;
    FdisplayNames.SetSorted(true);
    FdisplayNames.SetDuplicates(Tduplicates::dupIgnore);
    Fmappings.SetSorted(true);
    Fmappings.SetDuplicates(Tduplicates::dupIgnore);
}

TaudioTagArtistPtr TaudioTagArtistList::CreateArtist(const std::string& name) {
    return CreateArtist(TpooledText(name));
}

TaudioTagArtistPtr TaudioTagArtistList::CreateArtist(const TpooledText& name) {
    FnamesCurrent = false;
    auto artist = std::make_shared<TaudioTagArtist>();
    artist->IsAlpha = IsAlphaList;
    artist->SetTitle(name);
    AddList(artist);
    return artist;
}

std::string TaudioTagArtistList::KeyOf(const TaudioTag& tag) const {
    if (IsAlphaList) {
        if (tag.Title().empty()) return std::string();
        const char c = UpperCase(tag.Title().substr(0, 1))[0];
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? std::string(1, c) : std::string("~");
    }
    return tag.Artist().empty() ? std::string(kNotTaggedArtist) : tag.Artist();
}

void TaudioTagArtistList::AddTag(const TaudioTagPtr& tag) {
    if (!tag) return;
    if (tag->Artist().empty() && tag->Title().empty()) tag->SetTitle(tag->FilePart());
    const std::string key = KeyOf(*tag);
    if (key.empty()) return;
    if (const TaudioTagListPtr existing = FindListCached(key)) {
        existing->Add(tag);
        return;
    }
    // A new artist stays inside its own update bracket until the display names are
    // rebuilt, so that it sorts and notifies once however many tracks it gets.
    auto artist = std::make_shared<TaudioTagArtist>();
    artist->BeginUpdate();
    artist->Add(tag);
    artist->IsAlpha = IsAlphaList;
    artist->SetTitle(key);
    AddList(artist);
    Fnew.push_back(std::move(artist));
}

void TaudioTagArtistList::BuildFromList(const TaudioTagAlbumList& albums) {
    BeginUpdate();
    if (UseCompilations && !FindList(kCompilationsArtist)) CreateArtist(kCompilationsArtist);
    if (UseNoName && !FindList(kNotTaggedArtist)) CreateArtist(kNotTaggedArtist);
    // Each artist's album list takes its albums inside one bracket, so that its change
    // notice (which renews every album it holds) runs once, not once per album.
    std::vector<std::pair<TaudioTagArtist*, TaudioTagListPtr>> links;
    links.reserve(size_t(albums.Count()));
    // Many albums: each artist is found by its name's hash. A search through the sorted
    // artists waits for memory at every step, and a library holds tens of thousands; the
    // names some lists ahead are asked for early, so that those waits overlap.
    constexpr int kHashedFrom = 256;
    constexpr size_t kListsAhead = 12, kTextsAhead = 8, kNamesAhead = 4;
    std::unordered_map<std::string_view, TaudioTagArtist*, TtextHash, TtextKeyEqual> byName;
    if (albums.Count() >= kHashedFrom) {
        SortPending();
        byName.reserve(Flists.size());
        // Of names equal but for case the first in order is the one a search finds.
        for (size_t i = 0; i < Flists.size(); ++i) {
            // The list, then its pooled name, then the name's letters.
            if (i + kListsAhead < Flists.size()) __builtin_prefetch(Flists[i + kListsAhead].get());
            if (i + kTextsAhead < Flists.size()) __builtin_prefetch(&Flists[i + kTextsAhead]->Title());
            if (i + kNamesAhead < Flists.size()) __builtin_prefetch(Flists[i + kNamesAhead]->Title().data());
            if (auto* artist = dynamic_cast<TaudioTagArtist*>(Flists[i].get())) byName.emplace(artist->Title(), artist);
        }
    }
    const std::vector<TaudioTagListPtr>& members = albums.Lists();
    for (size_t i = 0; i < members.size(); ++i) {
        // The album, then its artist's letters (an album of a kind of its own is not
        // asked for early).
        if (i + kTextsAhead < members.size()) __builtin_prefetch(members[i + kTextsAhead].get());
        if (i + kNamesAhead < members.size() && typeid(*members[i + kNamesAhead]) == typeid(TaudioTagAlbum))
            __builtin_prefetch(static_cast<const TaudioTagAlbum&>(*members[i + kNamesAhead]).AlbumArtist.data());
        const auto* album = dynamic_cast<const TaudioTagAlbum*>(members[i].get());
        if (!album) continue;
        if (byName.empty()) {
            if (const TaudioTagArtistPtr artist = FindArtist(album->AlbumArtist)) links.emplace_back(artist.get(), members[i]);
        } else if (const auto found = byName.find(std::string_view(album->AlbumArtist)); found != byName.end()) {
            links.emplace_back(found->second, members[i]);
        }
    }
    std::vector<TaudioTagArtist*> linked;  // in the order first linked
    std::unordered_set<TaudioTagArtist*> seen;
    for (const auto& link : links)
        if (seen.insert(link.first).second) linked.push_back(link.first);
    for (TaudioTagArtist* artist : linked) artist->Albums().BeginUpdate();
    for (auto& [artist, album] : links) artist->Albums().AddList(std::move(album), false);
    // The albums are filed and sorted in their own grouping: linking them to an artist
    // renews none of them (each renewal checks the order of every track again).
    for (TaudioTagArtist* artist : linked) {
        artist->Albums().RenewOnlyNewAlbumsOnce();
        artist->Albums().EndUpdate();
    }
    EndUpdate();
}

void TaudioTagArtistList::DisplayNamesOf(const TaudioTagList& artist, std::vector<std::string>& names) const {
    names.clear();
    const std::string& name = artist.Title();
    bool addPlain = true;
    const int m = artist.Count() > 0 ? MappingOf(name) : -1;
    if (m >= 0) {
        std::string mapped = Fmappings.ValueFromIndex(m);
        if (mapped.empty()) {
            const size_t space = name.find(' ');
            mapped = space == std::string::npos ? name : name.substr(space + 1) + ", " + name.substr(0, space);
        }
        names.push_back(std::move(mapped));
        if (MappingsNoDuplicates) addPlain = false;
    }
    if (MapThe && addPlain && StartsText("the ", name)) {
        names.push_back(name.substr(4) + ", The");
        if (MappingsNoDuplicates) addPlain = false;
    }
    if (addPlain) names.push_back(name);
}

void TaudioTagArtistList::ApplyMappings() {
    FdisplayNames.BeginUpdate();
    FdisplayNames.Clear();
    // Collected as they come and sorted once (stable, so of equal names the first one
    // stays, as a sorted list that ignores duplicates keeps it): inserting each name
    // in order would move the list at every artist.
    FdisplayNames.SetSorted(false);
    SortPending();
    std::vector<std::string> names;
    for (const auto& list : Flists) {
        if (list->UpdateCount() > 0) list->EndUpdate();
        DisplayNamesOf(*list, names);
        for (auto& name : names) FdisplayNames.AddObject(std::move(name), list);
    }
    FdisplayNames.SetSorted(true);
    for (int i = FdisplayNames.Count() - 1; i > 0; --i)
        if (SameText(FdisplayNames.Strings(i), FdisplayNames.Strings(i - 1))) FdisplayNames.Delete(i);
    FdisplayNames.EndUpdate();
    FnamedCount = Flists.size();
    FnamedMapThe = MapThe;
    FnamedNoDuplicates = MappingsNoDuplicates;
    FnamesCurrent = true;
    Fnew.clear();
}

void TaudioTagArtistList::ApplyMappingsToNew() {
    // A mapping applies to an artist with tracks only: with mappings, an artist that
    // gained or lost its tracks may show other names now.
    if (!FnamesCurrent || FnamedMapThe != MapThe || FnamedNoDuplicates != MappingsNoDuplicates ||
        FnamedCount + Fnew.size() != Flists.size() || Fmappings.Count() > 0)
        return ApplyMappings();
    std::vector<std::pair<std::string, TaudioTagListPtr>> added;
    std::vector<std::string> names;
    for (const auto& list : Fnew) {
        if (list->UpdateCount() > 0) list->EndUpdate();
        DisplayNamesOf(*list, names);
        for (auto& name : names) {
            // Of equal names the one of the artist first in order stays: only a pass
            // over every artist knows which.
            if (FdisplayNames.IndexOf(name) >= 0) return ApplyMappings();
            for (const auto& other : added)
                if (SameText(other.first, name)) return ApplyMappings();
            added.emplace_back(std::move(name), list);
        }
    }
    FdisplayNames.BeginUpdate();
    for (auto& [name, list] : added) FdisplayNames.AddObject(name, list);
    FdisplayNames.EndUpdate();
    FnamedCount = Flists.size();
    Fnew.clear();
}

TaudioTagArtistPtr TaudioTagArtistList::GetArtist(int index) const {
    return std::dynamic_pointer_cast<TaudioTagArtist>(GetList(index));
}

TaudioTagArtistPtr TaudioTagArtistList::FindArtist(const std::string& name) const {
    return std::dynamic_pointer_cast<TaudioTagArtist>(FindList(name));
}

void TaudioTagArtistList::GetNames(TmyStringList& list) const { list.Assign(FdisplayNames); }

void TaudioTagArtistList::GetArtistNames(TmyStringList& list) const {
    list.BeginUpdate();
    list.Clear();
    for (int i = 0; i < FdisplayNames.Count(); ++i) {
        const auto artist = std::dynamic_pointer_cast<TaudioTagArtist>(FdisplayNames.Objects(i));
        if (!artist) continue;
        for (int a = 0; a < artist->Albums().Count(); ++a)
            list.AddObject(FdisplayNames.Strings(i), artist->Albums().GetList(a));
    }
    list.EndUpdate();
}

void TaudioTagArtistList::SearchArtists(const std::string& text, TmyStringList& dest, uint32_t mediaMask) const {
    const std::string upper = UpperCase(text);
    SortPending();
    for (const auto& artist : Flists)
        if (UpperCase(artist->Title()).find(upper) != std::string::npos)
            AppendDisplayLines(*artist, tdfArtistTitle, mediaMask, dest);
}

void TaudioTagArtistList::SetMappings(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    for (const auto& line : lines)
        if (!line.empty()) kept.push_back(line);
    Fmappings.BeginUpdate();
    Fmappings.Clear();
    Fmappings.AddLines(std::move(kept));
    // The first line of each name, as a scan of the sorted lines finds it: every artist
    // looks its name up when the display names are rebuilt.
    FmappingIndex.clear();
    FmappingIndex.reserve(size_t(Fmappings.Count()));
    for (int i = 0; i < Fmappings.Count(); ++i) {
        const std::string& line = Fmappings.Strings(i);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) FmappingIndex.emplace(UpperCase(line.substr(0, eq)), i);
    }
    Fmappings.EndUpdate();
    FnamesCurrent = false;
    if (UpdateCount() == 0) ApplyMappings();
}

int TaudioTagArtistList::MappingOf(const std::string& name) const {
    if (FmappingIndex.empty()) return -1;
    const auto it = FmappingIndex.find(UpperCase(name));
    return it == FmappingIndex.end() ? -1 : it->second;
}

void TaudioTagArtistList::SetMappingListFile(const std::string& fileName) {
    FmappingListFile = fileName;
    std::string text, error;
    int code = 0;
    std::vector<std::string> lines;
    if (!fileName.empty()) {
        if (ReadFileBytes(fileName, text, &error, kMaxMappingBytes, &code)) {
            lines = SplitString(text, '\n');
            for (auto& line : lines) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                line = LegacyTextToUtf8(line);
            }
        } else if (code != ENOENT) {
            LogError("The artist mappings are not used: " + error);
        }
    }
    SetMappings(lines);
}

bool TaudioTagArtistList::SaveMappings(std::string* error) const {
    std::string text;
    for (int i = 0; i < Fmappings.Count(); ++i) text += Fmappings.Strings(i) + "\r\n";
    return SafeWriteFile(FmappingListFile, text, error);
}

void TaudioTagArtistList::Clear() {
    TaudioTagListList::Clear();
    FdisplayNames.Clear();
    FnamesCurrent = false;
    Fnew.clear();
}

void TaudioTagArtistList::Delete(int index) {
    FnamesCurrent = false;
    TaudioTagListList::Delete(index);
}

}  // namespace tunecrest
