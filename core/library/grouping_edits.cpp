// Filing edited, removed and appended tracks into the groupings by themselves, so that
// a change of a few tracks in a large library costs what it changed. The groupings end
// exactly as filing every track anew leaves them: each member keeps its tracks in the
// order a full filing gives (albums by track and title, genres and years by title,
// artists and letters in library order; equal keys in library order), a member's name
// and album artist come from its first track in library order, and members of one
// title stand in the order of their first tracks.
#include <algorithm>
#include <climits>
#include <unordered_map>
#include <unordered_set>

#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

int64_t FirstPosition(const TaudioTagList& list) {
    int64_t first = INT64_MAX;
    for (const auto& tag : list.Items()) first = std::min<int64_t>(first, tag->StoredPosition());
    return first;
}

TaudioTagPtr FirstFiled(const TaudioTagList& list) {
    TaudioTagPtr first;
    for (const auto& tag : list.Items())
        if (!first || tag->StoredPosition() < first->StoredPosition()) first = tag;
    return first;
}

int CompareTrackTitle(const TaudioTag& a, const TaudioTag& b) {
    if (a.TrackNo() != b.TrackNo()) return a.TrackNo() < b.TrackNo() ? -1 : 1;
    return CompareText(a.Title(), b.Title());
}

int CompareTitle(const TaudioTag& a, const TaudioTag& b) {
    return CompareText(a.Title(), b.Title());
}

int CompareNothing(const TaudioTag&, const TaudioTag&) {
    return 0;
}

// Puts the tag where a stable sort of the library's tracks by `compare` puts it.
void InsertInOrder(TaudioTagList& list, const TaudioTagPtr& tag,
                   int (*compare)(const TaudioTag&, const TaudioTag&)) {
    const auto& items = list.Items();
    const auto at =
        std::upper_bound(items.begin(), items.end(), tag, [&](const TaudioTagPtr& a, const TaudioTagPtr& b) {
            const int c = compare(*a, *b);
            return c != 0 ? c < 0 : a->StoredPosition() < b->StoredPosition();
        });
    list.Insert(tag, int(at - items.begin()));
}

bool RemoveTag(TaudioTagList& list, const TaudioTag* tag) {
    const int index = list.IndexOf(tag);
    if (index < 0) return false;
    list.Delete(index);
    return true;
}

bool IsSpecialArtist(const std::string& name) {
    return SameText(name, kCompilationsArtist) || SameText(name, kNotTaggedArtist);
}

// The changes made to one album list and the artist list beside it: the library's own
// pair, or a genre's or a year's.
class TpairEdit {
  public:
    TpairEdit(TaudioTagAlbumList* albums, TaudioTagArtistList* artists, bool linksAlbums)
        : Falbums(albums), Fartists(artists), FlinksAlbums(linksAlbums) {}

    // Whether the tag, filed as `before` says, is where that filing put it.
    bool Holds(const TaudioTag* tag, const TaudioTag& before, bool albums = true, bool artists = true) const {
        if (albums && Falbums && !before.Album().empty()) {
            const TaudioTagAlbumPtr album = Falbums->FindAlbumFor(before);
            if (!album || album->IndexOf(tag) < 0) return false;
        }
        if (artists && Fartists) {
            const std::string key = Fartists->KeyOf(before);
            if (!key.empty()) {
                const TaudioTagListPtr artist = Fartists->FindListCached(key);
                if (!artist || artist->IndexOf(tag) < 0) return false;
            }
        }
        return true;
    }

    void Unfile(const TaudioTag* tag, const TaudioTag& before, bool albums = true, bool artists = true) {
        if (albums && Falbums && !before.Album().empty())
            if (const TaudioTagAlbumPtr album = Falbums->FindAlbumFor(before)) {
                TouchAlbum(album, true);
                FtouchedAlbums[FalbumIndex[album.get()]].Folder = std::string(before.Filename().Folder());
                RemoveTag(*album, tag);
            }
        if (artists && Fartists) {
            const std::string key = Fartists->KeyOf(before);
            if (key.empty()) return;
            if (const auto artist =
                    std::static_pointer_cast<TaudioTagArtist>(Fartists->FindListCached(key))) {
                TouchArtist(artist);
                RemoveTag(*artist, tag);
            }
        }
    }

    // Files the tag at its place (its stored position set); lists made in this filing
    // are still in their first update bracket, in library order, and take it at the end.
    void File(const TaudioTagPtr& tag, bool albums = true, bool artists = true) {
        if (albums && Falbums && !tag->Album().empty()) {
            if (const TaudioTagAlbumPtr album = Falbums->FindAlbumFor(*tag)) {
                TouchAlbum(album, true);
                if (album->UpdateCount() > 0)
                    album->Add(tag);
                else
                    InsertInOrder(*album, tag, CompareTrackTitle);
            } else if (const TaudioTagAlbumPtr made = Falbums->AddTag(tag)) {
                TouchAlbum(made, false);
            }
        }
        if (artists && Fartists) {
            const std::string key = Fartists->KeyOf(*tag);
            if (key.empty()) return;
            if (const auto artist =
                    std::static_pointer_cast<TaudioTagArtist>(Fartists->FindListCached(key))) {
                TouchArtist(artist);
                InsertInOrder(*artist, tag, CompareNothing);
            } else {
                Fartists->AddTag(tag);
                FartistsRenamed = true;
            }
        }
    }

    // After filing: album names and album artists from their first tracks, albums and
    // artists left without tracks taken out, artists' links to their albums, and the
    // order of albums of one title. True when the artist names changed (the caller then
    // rebuilds the display names).
    bool Settle() {
        std::vector<const Ttouch*> emptied;
        for (auto& touch : FtouchedAlbums) {
            TaudioTagAlbum& album = *touch.Album;
            const TaudioTagPtr first = FirstFiled(album);
            if (!first) {
                emptied.push_back(&touch);
                continue;
            }
            if (album.Title() != first->Album()) album.SetTitle(first->Album());
            const std::string& artist = first->Artist();
            bool compilation = false;
            if (!artist.empty())
                for (const auto& tag : album.Items())
                    if (!SameText(tag->Artist(), artist)) {
                        compilation = true;
                        break;
                    }
            album.Compilation = compilation;
            album.AlbumArtist = compilation ? std::string(kCompilationsArtist) : artist;
        }
        if (Falbums) {
            for (const auto& touch : FtouchedAlbums) {
                const bool alive = touch.Album->Count() > 0;
                if (FlinksAlbums) Relink(touch, alive);
                if (alive) Falbums->OrderTitleRun(touch.Album->Title(), FirstPosition);
            }
            for (const Ttouch* touch : emptied)
                Falbums->DeleteEmptied(Falbums->IndexOfList(touch->Album.get()), touch->Folder);
        }
        for (const auto& artist : FtouchedArtists) {
            const TaudioTagPtr first = Fartists->IsAlphaList ? nullptr : FirstFiled(*artist);
            if (artist->Count() == 0) {
                const bool special =
                    !Fartists->IsAlphaList &&
                    ((Fartists->UseCompilations && SameText(artist->Title(), kCompilationsArtist)) ||
                     (Fartists->UseNoName && SameText(artist->Title(), kNotTaggedArtist)));
                if (special) continue;
                artist->Albums().Clear();
                Fartists->Delete(Fartists->IndexOfList(artist.get()));
                FartistsRenamed = true;
            } else if (first && artist->Title() != Fartists->KeyOf(*first)) {
                artist->SetTitle(Fartists->KeyOf(*first));
                FartistsRenamed = true;
                FartistsRetitled = true;
            }
        }
        return FartistsRenamed;
    }

    bool LinksChanged() const { return FlinksChanged; }
    // Whether Settle gave an artist another spelling (not only made or removed artists).
    bool ArtistsRetitled() const { return FartistsRetitled; }

  private:
    struct Ttouch {
        TaudioTagAlbumPtr Album;
        bool Existed;
        std::string AlbumArtist;  // as it was before this filing
        std::string Folder;       // of the tracks taken out
    };

    void TouchAlbum(const TaudioTagAlbumPtr& album, bool existed) {
        if (!FalbumIndex.emplace(album.get(), FtouchedAlbums.size()).second) return;
        FtouchedAlbums.push_back(
            {album, existed, existed ? album->AlbumArtist : std::string(), std::string()});
    }

    void TouchArtist(const TaudioTagArtistPtr& artist) {
        if (FartistSet.insert(artist.get()).second) FtouchedArtists.push_back(artist);
    }

    // Moves the album's link to the artist its album artist names now, and keeps the
    // links of one title in the order of their first tracks.
    void Relink(const Ttouch& touch, bool alive) {
        TaudioTagAlbum* album = touch.Album.get();
        const TaudioTagArtistPtr before = touch.Existed ? Fartists->FindArtist(touch.AlbumArtist) : nullptr;
        const TaudioTagArtistPtr after = alive ? Fartists->FindArtist(album->AlbumArtist) : nullptr;
        if (before != after) {
            FlinksChanged = true;
            if (before) {
                TaudioTagAlbumList& links = before->Albums();
                links.BeginUpdate();
                links.Delete(links.IndexOfList(album));
                links.RenewOnlyNewAlbumsOnce();
                links.EndUpdate();
            }
            if (after) {
                TaudioTagAlbumList& links = after->Albums();
                links.BeginUpdate();
                links.AddList(touch.Album, false);
                links.RenewOnlyNewAlbumsOnce();
                links.EndUpdate();
            }
        }
        if (after) after->Albums().OrderTitleRun(album->Title(), FirstPosition);
    }

    TaudioTagAlbumList* Falbums;
    TaudioTagArtistList* Fartists;
    bool FlinksAlbums;
    bool FartistsRenamed = false;
    bool FartistsRetitled = false;
    bool FlinksChanged = false;
    std::vector<Ttouch> FtouchedAlbums;
    std::unordered_map<const TaudioTagAlbum*, size_t> FalbumIndex;
    std::vector<TaudioTagArtistPtr> FtouchedArtists;
    std::unordered_set<const TaudioTagArtist*> FartistSet;
};

// The changes made to the genre or the year list.
class TcategoryEdit {
  public:
    explicit TcategoryEdit(TaudioTagCategoryList& list) : Flist(list) {}

    bool Holds(const TaudioTag* tag, TaudioTag& before) const {
        const TaudioTagCategoryPtr category = Flist.FindCategoryOf(before);
        if (!category || !category->UseArtists || !category->UseAlbums || category->IndexOf(tag) < 0)
            return false;
        // Lists still waiting are made from the category's tracks, so they hold it.
        if (category->ListsDeferred()) return true;
        return TpairEdit(&category->Albums(), &category->Artists(), false).Holds(tag, before);
    }

    void Unfile(const TaudioTag* tag, TaudioTag& before) {
        Begin();
        const TaudioTagCategoryPtr category = Flist.FindCategoryOf(before);
        if (!category) return;
        if (UnfileDeferred(*category, tag, before)) return;
        Tcategory& edit = Touch(category, true);
        RemoveTag(*category, tag);
        edit.Pair.Unfile(tag, before);
        // Its name comes from its first track: the one leaving may have been that.
        if (Flist.CategoryKey(before) == category->Title()) edit.CheckName = true;
    }

    void File(const TaudioTagPtr& tag) {
        Begin();
        const TaudioTagCategoryPtr category = Flist.FindCategoryOf(*tag);
        if (!category || category->UpdateCount() > 0) {
            TaudioTagCategory* filed = Flist.AddTag(tag);
            if (filed && !category) Touch(Flist.FindCategoryOf(*tag), false);
            return;
        }
        if (FileDeferred(*category, tag)) return;
        Tcategory& edit = Touch(category, true);
        InsertInOrder(*category, tag, CompareTitle);
        edit.Pair.File(tag);
        if (Flist.CategoryKey(*tag) != category->Title()) edit.CheckName = true;
    }

    void Finish() {
        if (!Fbegun) return;
        for (const TaudioTagCategoryPtr& waiting : Fwaiting) {
            TaudioTagCategory& category = *waiting;
            // Its lists were made in this filing after all: settled with the others.
            if (const auto made = Findex.find(&category); made != Findex.end()) {
                Fcategories[made->second].CheckName = true;
                continue;
            }
            if (category.Count() == 0) {
                Flist.Delete(Flist.IndexOfList(&category));
                continue;
            }
            const std::string name = Flist.CategoryKey(*FirstFiled(category));
            if (name != category.Title()) category.SetTitle(name);
            category.KeepTitleOrder();
        }
        for (auto& edit : Fcategories) {
            TaudioTagCategory& category = *edit.Category;
            if (!edit.Existed) {
                // Made in this filing: linked whole, as a full filing links it.
                TaudioTagCategoryList::RelinkArtists(category);
                continue;
            }
            if (edit.Pair.Settle()) category.Artists().ApplyMappings();
            TaudioTagAlbumList& albums = category.Albums();
            if (albums.UpdateCount() == 1) albums.RenewOnlyNewAlbumsOnce();
            albums.EndUpdate();
            if (category.Count() == 0) {
                Flist.Delete(Flist.IndexOfList(&category));
                continue;
            }
            if (edit.CheckName) {
                const std::string name = Flist.CategoryKey(*FirstFiled(category));
                if (name != category.Title()) category.SetTitle(name);
            }
            category.KeepTitleOrder();
        }
        Flist.EndUpdate();
    }

  private:
    struct Tcategory {
        TaudioTagCategoryPtr Category;
        bool Existed;
        TpairEdit Pair;
        bool CheckName = false;
    };

    // A category whose artists and albums still wait takes the change in its tracks
    // alone, and notes the track for the lists (TaudioTagCategory::EditWhileDeferred).
    bool UnfileDeferred(TaudioTagCategory& category, const TaudioTag* tag, const TaudioTag& before) {
        if (Findex.count(&category)) return false;  // its lists were made in this filing
        const bool waiting = category.EditWhileDeferred([&](std::vector<TaudioTagCategory::TdeferredTrack>& noted) {
            const int index = category.IndexOf(tag);
            if (index < 0) return;
            const TaudioTagPtr held = category.Items()[size_t(index)];
            const bool known = std::any_of(noted.begin(), noted.end(),
                                           [&](const auto& track) { return track.Tag.get() == tag; });
            if (!known) {
                TaudioTagPtr standIn = before.Clone();
                standIn->SetStoredPosition(before.StoredPosition());
                noted.push_back({held, std::move(standIn)});
            }
            category.Delete(index);
        });
        if (waiting) NoteWaiting(category);
        return waiting;
    }

    bool FileDeferred(TaudioTagCategory& category, const TaudioTagPtr& tag) {
        if (Findex.count(&category)) return false;
        const bool waiting = category.EditWhileDeferred([&](std::vector<TaudioTagCategory::TdeferredTrack>& noted) {
            const bool known = std::any_of(noted.begin(), noted.end(),
                                           [&](const auto& track) { return track.Tag == tag; });
            if (!known) noted.push_back({tag, nullptr});
            InsertInOrder(category, tag, CompareTitle);
        });
        if (waiting) NoteWaiting(category);
        return waiting;
    }

    void NoteWaiting(TaudioTagCategory& category) {
        for (const TaudioTagCategoryPtr& waiting : Fwaiting)
            if (waiting.get() == &category) return;
        Fwaiting.push_back(Flist.FindCategory(category.Title()));
    }

    void Begin() {
        if (!Fbegun) Flist.BeginUpdate();
        Fbegun = true;
    }

    Tcategory& Touch(const TaudioTagCategoryPtr& category, bool existed) {
        const auto [it, added] = Findex.emplace(category.get(), Fcategories.size());
        if (added) {
            Fcategories.push_back(
                {category, existed, TpairEdit(&category->Albums(), &category->Artists(), true)});
            // Its albums report once, at the end, and only the albums changed.
            if (existed) category->Albums().BeginUpdate();
        }
        return Fcategories[it->second];
    }

    TaudioTagCategoryList& Flist;
    bool Fbegun = false;
    std::vector<Tcategory> Fcategories;
    std::unordered_map<const TaudioTagCategory*, size_t> Findex;
    // Categories changed while their lists wait.
    std::vector<TaudioTagCategoryPtr> Fwaiting;
};

// What a grouping files of a track: an edited track moves only in the groupings whose
// fields changed.
bool AlbumFieldsDiffer(const TaudioTag& a, const TaudioTag& b) {
    return a.Album() != b.Album() || a.Filename().Folder() != b.Filename().Folder() ||
           a.Artist() != b.Artist() || a.TrackNo() != b.TrackNo() || a.Title() != b.Title();
}

}  // namespace

void FileDeferredEdits(TaudioTagArtistList& artists, TaudioTagAlbumList& albums, const TaudioTagList& tracks,
                       const std::vector<TaudioTagCategory::TdeferredTrack>& noted) {
    // As an edit files them into a category whose lists are made: the tracks as they were
    // taken out, then those there now filed in library order, then settled once.
    TpairEdit pair(&albums, &artists, true);
    albums.BeginUpdate();
    for (const auto& track : noted)
        if (track.StandIn) pair.Unfile(track.StandIn.get(), *track.StandIn);
    std::vector<TaudioTagPtr> filing;
    for (const auto& track : noted)
        if (tracks.IndexOf(track.Tag.get()) >= 0) filing.push_back(track.Tag);
    std::sort(filing.begin(), filing.end(),
              [](const TaudioTagPtr& a, const TaudioTagPtr& b) { return a->StoredPosition() < b->StoredPosition(); });
    for (const TaudioTagPtr& tag : filing) pair.File(tag);
    if (pair.Settle()) artists.ApplyMappings();
    if (albums.UpdateCount() == 1) albums.RenewOnlyNewAlbumsOnce();
    albums.EndUpdate();
}

void TcustomJukeboxList::NoteInFileIndex(const TaudioTagPtr& tag) {
    if (!FfileIndex->Add(tag)) FsharedFileNames.insert(tag->Filename().str());
}

void TcustomJukeboxList::NoteTrackEdit(const TaudioTagPtr& tag) {
    if (!tag) return;
    for (const auto& note : FeditNotes)
        if (note.first == tag) return;  // the first copy is the one filed
    // The file-name order stands on the names the tracks have now.
    FfileIndex->Ready();
    TaudioTagPtr before = tag->Clone();
    before->SetStoredPosition(tag->StoredPosition());
    FeditNotes.emplace_back(tag, std::move(before));
}

void TcustomJukeboxList::EditTrack(const TaudioTagPtr& tag, const TaudioTag& values) {
    if (!tag) return;
    NoteTrackEdit(tag);
    values.AssignTagInfo(*tag);
    FglobalList->Changed();
}

bool TcustomJukeboxList::FileChangedTracks() {
    if (Ffiled.empty() || FfiledSettings != FilingSettings()) return false;
    const auto& items = FglobalList->Items();
    // Each track taken out is looked for in lists of up to a decade's tracks: beyond a
    // thousand of them (or a twentieth of the library in all) a full filing is faster.
    constexpr size_t kMostTakenOut = 1000;
    const size_t limit = std::max<size_t>(kMostTakenOut, Ffiled.size() / 20);
    // The list as filed, less the removed tracks, then the appended ones: anything else
    // (a reorder, an insertion) is filed anew.
    const TfiledChange& change = FiledChange();
    if (change.Many || change.Removed.size() > kMostTakenOut) return false;
    const size_t kept = change.Kept;
    // Every track before the first one removed stays at its place.
    const size_t firstChange = change.Removed.empty() ? kept : std::min(change.Removed.front(), kept);
    std::vector<const TaudioTag*> removed;
    removed.reserve(change.Removed.size());
    for (const size_t p : change.Removed) removed.push_back(Ffiled[p]);
    if (removed.empty() && FeditNotes.empty() && kept == items.size()) return false;  // an edit nobody noted
    if (removed.size() + FeditNotes.size() > kMostTakenOut) return false;
    if (removed.size() + FeditNotes.size() + (items.size() - kept) > limit) return false;
    std::unordered_set<const TaudioTag*> removedSet(removed.begin(), removed.end());
    for (size_t i = kept; i < items.size(); ++i)
        if (removedSet.count(items[i].get())) return false;  // moved to the end

    // Each track to take out with its fields as filed, and each to file at its place.
    struct Tout {
        const TaudioTag* Tag;
        TaudioTag* Before;
        bool Album, Artist, Title, Genre, Year, File;
    };
    std::vector<Tout> outs;
    std::unordered_map<const TaudioTag*, TaudioTag*> noted;
    for (const auto& [tag, before] : FeditNotes) noted.emplace(tag.get(), before.get());
    for (const TaudioTag* tag : removed) {
        const auto note = noted.find(tag);
        TaudioTag* before = note != noted.end() ? note->second : const_cast<TaudioTag*>(tag);
        outs.push_back({tag, before, true, true, true, true, true, true});
    }
    std::unordered_set<const TaudioTag*> appended;
    for (size_t i = kept; i < items.size(); ++i) appended.insert(items[i].get());
    for (const auto& [tag, before] : FeditNotes) {
        if (removedSet.count(tag.get()) || appended.count(tag.get())) continue;
        // Filing has side effects for tracks without a title: such tracks are filed anew.
        if (tag->Title().empty()) return false;
        // A noted track that was never filed (or filed twice) is beyond these steps.
        if (before->StoredPosition() < 0 || size_t(before->StoredPosition()) >= Ffiled.size() ||
            Ffiled[size_t(before->StoredPosition())] != tag.get())
            return false;
        Tout out{tag.get(), before.get(), false, false, false, false, false, false};
        out.Album = AlbumFieldsDiffer(*tag, *before);
        out.Artist = tag->Artist() != before->Artist();
        out.Title = FtitleList->KeyOf(*tag) != FtitleList->KeyOf(*before);
        out.Genre = out.Album || FgenreList->CategoryKey(*tag) != FgenreList->CategoryKey(*before);
        out.Year = out.Album || FyearList->CategoryKey(*tag) != FyearList->CategoryKey(*before);
        out.File = tag->Filename() != before->Filename();
        if (!(out.Album || out.Artist || out.Title || out.Genre || out.Year || out.File)) continue;
        outs.push_back(out);
    }
    // The file-name index holds the tracks, not their names: an edited track stands
    // there under the name it had when filed until it is taken out.
    // (Views of the names the noted copies hold, which live through the filing.)
    std::unordered_map<const TaudioTag*, TfileNameText> filedNames;
    for (const Tout& out : outs)
        if (out.Before != out.Tag) filedNames.emplace(out.Tag, out.Before->Filename());
    const auto filedName = [&filedNames](const TaudioTag* tag) -> const TfileNameText* {
        const auto it = filedNames.find(tag);
        return it == filedNames.end() ? nullptr : &it->second;
    };
    // The names the library gives its own artists are not to be taken by tracks.
    // A file name of several tracks names the first of them in the file-name index:
    // which that is after the change is left to a full filing.
    FfileIndex->Ready();  // its order also gives the shared names
    for (const Tout& out : outs) {
        if (IsSpecialArtist(out.Tag->Artist()) || IsSpecialArtist(out.Before->Artist())) return false;
        if (out.File && FsharedFileNames.count(out.Before->Filename().str())) return false;
        if (out.File && !removedSet.count(out.Tag)) {
            int at = 0;
            if (FfileIndex->FindFiled(out.Tag->Filename(), at, filedName)) return false;
        }
    }
    for (size_t i = kept; i < items.size(); ++i)
        if (items[i]->Title().empty() || IsSpecialArtist(items[i]->Artist())) return false;

    // Nothing is changed before every track to take out is found where it was filed.
    TpairEdit library(FalbumList.get(), FartistList.get(), true);
    TpairEdit letters(nullptr, FtitleList.get(), false);
    TcategoryEdit genres(*FgenreList), years(*FyearList);
    for (const Tout& out : outs) {
        if (LoadArtistsAlbums && !library.Holds(out.Tag, *out.Before, out.Album, out.Artist)) return false;
        if (LoadArtistsAlbums && out.Title && !letters.Holds(out.Tag, *out.Before)) return false;
        if (LoadGenres && out.Genre && !genres.Holds(out.Tag, *out.Before)) return false;
        if (LoadYears && out.Year && !years.Holds(out.Tag, *out.Before)) return false;
        if (out.File) {
            int at = 0;
            if (!FfileIndex->FindFiled(out.Before->Filename(), at, filedName) || FfileIndex->Tag(at).get() != out.Tag)
                return false;
        }
    }

    // Only the groupings that change are bracketed, so only they report a change.
    bool albumsBegun = false, artistsBegun = false, lettersBegun = false, indexBegun = false;
    const auto begin = [](bool& begun, auto& list) {
        if (!begun) list.BeginUpdate();
        begun = true;
    };
    for (const Tout& out : outs) {
        if (LoadArtistsAlbums) {
            if (out.Album) begin(albumsBegun, *FalbumList);
            if (out.Artist) begin(artistsBegun, *FartistList);
            library.Unfile(out.Tag, *out.Before, out.Album, out.Artist);
            if (out.Title) {
                begin(lettersBegun, *FtitleList);
                letters.Unfile(out.Tag, *out.Before);
            }
        }
        if (LoadGenres && out.Genre) genres.Unfile(out.Tag, *out.Before);
        if (LoadYears && out.Year) years.Unfile(out.Tag, *out.Before);
        if (out.File) {
            begin(indexBegun, *FfileIndex);
            int at = 0;
            if (FfileIndex->FindFiled(out.Before->Filename(), at, filedName)) FfileIndex->Delete(at);
        }
    }
    // Positions after the first removal move up; appended tracks take theirs.
    for (size_t i = firstChange; i < items.size(); ++i) items[i]->SetStoredPosition(int32_t(i));
    // Filed in library order, so that lists made now take their tracks in that order.
    std::vector<std::pair<const Tout*, TaudioTagPtr>> filing;
    for (const Tout& out : outs)
        if (!removedSet.count(out.Tag)) filing.emplace_back(&out, items[size_t(out.Tag->StoredPosition())]);
    std::sort(filing.begin(), filing.end(), [](const auto& a, const auto& b) {
        return a.second->StoredPosition() < b.second->StoredPosition();
    });
    static const Tout kAppended{nullptr, nullptr, true, true, true, true, true, true};
    for (size_t i = kept; i < items.size(); ++i) filing.emplace_back(&kAppended, items[i]);
    for (const auto& [out, tag] : filing) {
        if (LoadArtistsAlbums) {
            if (out->Album) begin(albumsBegun, *FalbumList);
            if (out->Artist) begin(artistsBegun, *FartistList);
            library.File(tag, out->Album, out->Artist);
            if (out->Title) {
                begin(lettersBegun, *FtitleList);
                letters.File(tag);
            }
        }
        if (LoadGenres && out->Genre) genres.File(tag);
        if (LoadYears && out->Year) years.File(tag);
        if (out->File) {
            begin(indexBegun, *FfileIndex);
            NoteInFileIndex(tag);
        }
    }

    if (LoadArtistsAlbums) {
        const bool renamed = library.Settle();
        // Albums that moved to another artist change the artist grouping too.
        if (library.LinksChanged()) begin(artistsBegun, *FartistList);
        // Artists only made or removed: the display names of the new ones are added (a
        // removal, a mapping or a name met twice makes that a full rebuild by itself).
        if (renamed) library.ArtistsRetitled() ? FartistList->ApplyMappings() : FartistList->ApplyMappingsToNew();
        if (letters.Settle()) letters.ArtistsRetitled() ? FtitleList->ApplyMappings() : FtitleList->ApplyMappingsToNew();
    }
    if (indexBegun) FfileIndex->EndUpdate();
    if (albumsBegun) {
        // Each touched album had its own notice; only albums made now wait for theirs.
        if (FalbumList->UpdateCount() == 1) FalbumList->RenewOnlyNewAlbumsOnce();
        FalbumList->EndUpdate();
    }
    if (artistsBegun) FartistList->EndUpdate();
    if (lettersBegun) FtitleList->EndUpdate();
    genres.Finish();
    years.Finish();
    return true;
}

}  // namespace tunecrest
