// The library filing its tracks: into the groupings, the file-name index and the video
// list, whole or by what changed (TcustomJukeboxList, jukebox_list.h).
#include "core/library/jukebox_list.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/library/grouping_filing.h"

namespace tunecrest {

const TcustomJukeboxList::TfiledChange& TcustomJukeboxList::FiledChange() {
    if (FfiledChange) return *FfiledChange;
    // Beyond this many removals the followers make everything anew anyway.
    constexpr size_t kMostRemoved = 20000;
    // Assigned, not emplaced: clang decides whether the optional's type can be made from
    // nothing where the class declares the optional, before its member initializers count.
    FfiledChange = TfiledChange{};
    TfiledChange& change = *FfiledChange;
    const auto& items = FglobalList->Items();
    const size_t same = std::min(items.size(), Ffiled.size());
    size_t p = 0;
    // Mostly every track is where it was filed.
    while (p < same && items[p].get() == Ffiled[p]) ++p;
    change.Same = p;
    size_t kept = p;
    for (; p < Ffiled.size(); ++p) {
        if (kept < items.size() && items[kept].get() == Ffiled[p]) {
            ++kept;
            continue;
        }
        if (change.Removed.size() == kMostRemoved) {
            change.Many = true;
            break;
        }
        change.Removed.push_back(p);
    }
    change.Kept = kept;
    return change;
}

void TcustomJukeboxList::ProcessTags() {
    FfiledChange.reset();
    bool saveList = AutoSaveGlobal && !Floading && !FglobalLoadFailed, buildDatabase = false;
    bool followDatabase = false;
    if (FdatabaseEnabled) {
        // While loading, a database not older than "jukebox.dat" is opened as it is.
        // Otherwise the database follows the tracks that changed, when it held the list
        // as last filed and the change is one the filing can name; else it is rebuilt.
        if (Floading)
            buildDatabase = TjukeboxDB::NeedsRebuild(DataFile("jukebox.mdb"), DataFile("jukebox.dat")) ||
                            !OpenDatabase();
        else
            followDatabase = FdatabaseFollows && NoteDatabaseChanges();
        if (!followDatabase && !buildDatabase && !Floading) buildDatabase = true;
        if (buildDatabase) {
            // The rebuild holds every change up to it.
            FdbRemovedFiles.clear();
            FdbWrites.clear();
        }
        FdatabaseFollows = true;
    }
    if (!FsaveInBackground) {
        if (saveList) WriteGlobalList();  // the index files follow below
        if (buildDatabase) BuildDatabase();
        saveList = buildDatabase = false;
    }
    ProcessStart("Processing Tag Information");
    // Tracks added at the end of an unchanged list are filed by themselves, and so are
    // noted edits and removals; any other change files every track again.
    const bool incremental = !FindexesLoaded && (FileChangedTracks() || FileAppendedTracks());
    if (!incremental) FileAllTracks();
    // A load (or a filing asked for with the list as it stands) leaves no notes to follow.
    if (Floading)
        ForgetListFile();
    else
        FollowListFile();
    // Lists made anew are not the entries of the index files on disk.
    if (Floading || !incremental) ForgetIndexFiles();
    FeditNotes.clear();
    const auto& filed = FglobalList->Items();
    // Only edits (every track where it was filed): the list as filed is the same.
    const bool moved = !FfiledChange || FfiledChange->Many || !FfiledChange->Removed.empty() ||
                       FfiledChange->Kept != filed.size() || Ffiled.size() != filed.size();
    // Room to spare: one more track must not move a list of a million pointers to
    // fresh memory at every change.
    if (moved && Ffiled.capacity() < filed.size()) Ffiled.reserve(filed.size() + filed.size() / 16 + 16);
    if (moved) {
        // Only from the first track that is not where it was filed: a track added to a
        // million copies one pointer, not a million.
        const size_t same = FfiledChange ? std::min(FfiledChange->Same, filed.size()) : 0;
        Ffiled.resize(filed.size());
        for (size_t i = same; i < filed.size(); ++i) Ffiled[i] = filed[i].get();
    }
    FfiledChange.reset();
    FfiledSettings = FilingSettings();
    if (FsaveInBackground) {
        if (saveList || buildDatabase || followDatabase || !FindexesLoaded)
            ScheduleSave(saveList, !FindexesLoaded, buildDatabase);
    } else {
        if (!FindexesLoaded) SaveIndexFiles();
        // After "jukebox.dat", so the database is not older than the list it follows.
        if (followDatabase) ApplyDatabaseChangesNow();
    }
    ProcessFinished();
    if (Fevents && Fevents->OnGlobalListChange) Fevents->OnGlobalListChange(this);
}

void TcustomJukeboxList::FileAllTracks() {
    const std::vector<TaudioTagListList*> groupings = Groupings();
    for (auto* grouping : groupings) grouping->BeginUpdate();
    FfileIndex->BeginUpdate();
    FfileIndex->Clear();
    if (!FindexesLoaded)
        for (auto* grouping : groupings) grouping->Clear();
    const auto& items = FglobalList->Items();
    const int count = int(items.size());
    if (!FindexesLoaded) {
        // Each track's keys are worked out once for all groupings (grouping_filing.h).
        TgroupingFiler filer(LoadArtistsAlbums ? FalbumList.get() : nullptr,
                             LoadArtistsAlbums ? FartistList.get() : nullptr,
                             LoadArtistsAlbums ? FtitleList.get() : nullptr, LoadGenres ? FgenreList.get() : nullptr,
                             LoadYears ? FyearList.get() : nullptr);
        for (int i = 0; i < count; ++i) {
            const TaudioTagPtr& tag = items[size_t(i)];
            if (i % 10 == 0) Process(i, count, tag);
            tag->SetStoredPosition(i);
            filer.File(tag);
        }
    }
    FillFileIndex(items);
    // Albums are linked to their artists and display names rebuilt, also after the
    // groupings came from the index files.
    if (LoadArtistsAlbums) {
        FartistList->BuildFromList(*FalbumList);
        FartistList->ApplyMappings();
        // The title index keeps each new letter group in an update bracket while tracks
        // are filed; rebuilding its display names closes them, so the groups sort.
        FtitleList->ApplyMappings();
    }
    FfileIndex->EndUpdate();
    // Loaded from the index files, the albums were sorted as they closed: closing the
    // bracket renews none of them again.
    if (FindexesLoaded && FalbumList->UpdateCount() == 1) FalbumList->RenewOnlyNewAlbumsOnce();
    for (auto* grouping : groupings) grouping->EndUpdate();
    // Loaded from their index files, the genres and years linked their albums then.
    if (FindexesLoaded) return;
    if (LoadGenres) FgenreList->BuildArtists();
    if (LoadYears) FyearList->BuildArtists();
}

void TcustomJukeboxList::FillFileIndex(const std::vector<TaudioTagPtr>& items) {
    TpendingFileOrder pending = std::move(FpendingFileOrder);
    FpendingFileOrder = {};
    const bool worked = pending.Order.valid() && pending.Of == items.data() && pending.Count == items.size();
    if (!worked && FindexesLoaded) {
        // Just loaded from the index files: the order is worked out at the first lookup,
        // from the tracks as they are now (an edit makes it before it renames a track).
        FsharedFileNames.clear();
        FfileIndex->Defer([this, tracks = items](TfileNameIndex& index) {
            TfileNameOrder order = OrderByFileName(tracks);
            FsharedFileNames = std::move(order.Shared);
            index.Assign(std::move(order.Tracks));
        });
        return;
    }
    TfileNameOrder order = worked ? pending.Order.get() : OrderByFileName(items);
    FsharedFileNames = std::move(order.Shared);
    FfileIndex->Assign(std::move(order.Tracks));
}

namespace {
// The folders of a list of tracks in byte order, found by their pooled texts' numbers;
// each with the last folder after it that lies within it (a folder's subfolders, at any
// depth, follow it in that order).
class TfolderOrder {
  public:
    explicit TfolderOrder(std::span<const TaudioTagPtr> items) {
        uint32_t most = 0;
        for (const auto& tag : items) most = std::max(most, tag->FolderText().Number());
        FrankOf.assign(size_t(most) + 1, kNone);
        std::vector<std::pair<std::string_view, uint32_t>> folders;
        for (const auto& tag : items) {
            const TpooledText& folder = tag->FolderText();
            if (FrankOf[folder.Number()] != kNone) continue;
            FrankOf[folder.Number()] = 0;
            folders.emplace_back(folder.Text(), folder.Number());
        }
        std::sort(folders.begin(), folders.end());
        Ffolders.reserve(folders.size());
        for (const auto& [text, number] : folders) {
            FrankOf[number] = uint32_t(Ffolders.size());
            Ffolders.push_back(text);
        }
        FlastWithin.resize(Ffolders.size());
        std::vector<uint32_t> open;  // the folders the one at hand may lie within, outermost first
        for (uint32_t rank = 0; rank < Ffolders.size(); ++rank) {
            while (!open.empty() && !Ffolders[rank].starts_with(Ffolders[open.back()])) {
                FlastWithin[open.back()] = rank - 1;
                open.pop_back();
            }
            open.push_back(rank);
        }
        for (const uint32_t rank : open) FlastWithin[rank] = uint32_t(Ffolders.size() - 1);
    }

    // The track's place, as a number that orders as its whole name does where two numbers
    // differ (equal numbers need the names): the rank of the last folder whose tracks all
    // come before or with it, then, for the folder's own tracks, the first bytes of the name;
    // a name that sorts among its folder's subfolders comes after the tracks of the last one
    // before it (a folder ends in "/" and a name holds none, so the part of a subfolder
    // beyond the folder decides against the name alone).
    uint64_t Key(const TaudioTag& tag) const {
        const uint32_t rank = FrankOf[tag.FolderText().Number()];
        const std::string_view name = tag.Filename().Name();
        if (FlastWithin[rank] > rank) {
            const size_t within = Ffolders[rank].size();
            const auto first = Ffolders.begin() + rank + 1, last = Ffolders.begin() + FlastWithin[rank] + 1;
            const auto after = std::partition_point(
                first, last, [&](std::string_view folder) { return folder.substr(within) < name; });
            if (after != first) return uint64_t(after - 1 - Ffolders.begin()) << 32 | kAmongSubfolders;
        }
        uint32_t start = 0;
        for (size_t b = 0; b < 4 && b < name.size(); ++b)
            start |= uint32_t(static_cast<unsigned char>(name[b])) << (24 - 8 * b);
        return uint64_t(rank) << 32 | start >> 1;
    }

  private:
    static constexpr uint32_t kNone = UINT32_MAX;
    static constexpr uint32_t kAmongSubfolders = uint32_t(1) << 31;  // after the folder's own tracks
    std::vector<uint32_t> FrankOf;  // by the folder text's number
    std::vector<std::string_view> Ffolders;
    std::vector<uint32_t> FlastWithin;
};
}  // namespace

TcustomJukeboxList::TfileNameOrder TcustomJukeboxList::OrderByFileName(std::span<const TaudioTagPtr> items,
                                                                       TfileNameMemory memory) {
    // Sorted on the names (ties by position, as a stable sort leaves them). Most
    // comparisons are settled by each track's key, made from its folder's rank among the
    // folders and the start of its name, so few read a name.
    const auto nameAt = [&items](uint32_t position) { return items[position]->Filename(); };
    auto& names = memory.Keys;
    names.clear();
    names.reserve(items.size());
    {
        const TfolderOrder folders(items);
        for (size_t i = 0; i < items.size(); ++i) names.push_back(TfileNameKey{folders.Key(*items[i]), uint32_t(i)});
    }
    std::sort(names.begin(), names.end(), [&nameAt](const TfileNameKey& a, const TfileNameKey& b) {
        if (a.Key != b.Key) return a.Key < b.Key;
        const int c = nameAt(a.Position).compare(nameAt(b.Position));
        if (c != 0) return c < 0;
        return a.Position < b.Position;
    });
    TfileNameOrder order;
    order.Tracks = std::move(memory.Tracks);
    order.Tracks.clear();
    order.Tracks.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const TfileNameKey& a = names[i];
        if (i == 0 || a.Key != names[i - 1].Key || nameAt(a.Position) != nameAt(names[i - 1].Position))
            order.Tracks.push_back(items[a.Position]);
        else
            order.Shared.emplace(nameAt(a.Position).str());
    }
    return order;
}

uint32_t TcustomJukeboxList::FilingSettings() const {
    return (LoadArtistsAlbums ? 1u : 0u) | (LoadGenres ? 2u : 0u) | (LoadYears ? 4u : 0u) |
           (FyearList->Mode == ymDecades ? 8u : 0u) | 16u;
}

bool TcustomJukeboxList::FileAppendedTracks() {
    const auto& items = FglobalList->Items();
    const size_t from = Ffiled.size(), count = items.size();
    // A large addition (a first scan) files as fast all at once.
    if (!FeditNotes.empty() || from == 0 || count <= from || count - from > std::max<size_t>(1000, from / 20)) return false;
    if (FfiledSettings != FilingSettings()) return false;
    for (size_t i = 0; i < from; ++i)
        if (items[i].get() != Ffiled[i]) return false;
    const std::vector<TaudioTagListList*> groupings = Groupings();
    for (auto* grouping : groupings) grouping->BeginUpdate();
    FfileIndex->BeginUpdate();
    const int artists = FartistList->Count(), letters = FtitleList->Count();
    std::vector<TaudioTagAlbumPtr> newAlbums;
    std::unordered_set<TaudioTagCategory*> categories;
    bool refile = false;
    for (size_t i = from; i < count; ++i) {
        const TaudioTagPtr& tag = items[i];
        tag->SetStoredPosition(int32_t(i));
        if (LoadArtistsAlbums) {
            const TaudioTagAlbumPtr existing = FalbumList->FindAlbumFor(*tag);
            const std::string albumArtist = existing ? existing->AlbumArtist : std::string();
            TaudioTagAlbumPtr album = FalbumList->AddTag(tag);
            // An album that turns into a compilation moves to another artist: all again.
            if (existing && existing->AlbumArtist != albumArtist) refile = true;
            if (album && !existing) newAlbums.push_back(std::move(album));
            FartistList->AddTag(tag);
            FtitleList->AddTag(tag);
        }
        if (LoadGenres) categories.insert(FgenreList->AddTag(tag));
        if (LoadYears) categories.insert(FyearList->AddTag(tag));
        NoteInFileIndex(tag);
    }
    if (LoadArtistsAlbums && !refile) {
        for (const TaudioTagAlbumPtr& album : newAlbums)
            if (const TaudioTagArtistPtr artist = FartistList->FindArtist(album->AlbumArtist))
                artist->Albums().AddList(album, false);
        if (FartistList->Count() != artists) FartistList->ApplyMappingsToNew();
        if (FtitleList->Count() != letters) FtitleList->ApplyMappingsToNew();
    }
    FfileIndex->EndUpdate();
    // Each filed track's album sorted it in at its own notice; only new albums wait.
    if (LoadArtistsAlbums && !refile && FalbumList->UpdateCount() == 1) FalbumList->RenewOnlyNewAlbumsOnce();
    for (auto* grouping : groupings) grouping->EndUpdate();
    if (refile) {
        FileAllTracks();
        return true;
    }
    for (TaudioTagCategory* category : categories)
        if (category) TaudioTagCategoryList::RelinkArtists(*category);
    return true;
}

void TcustomJukeboxList::ProcessVideo() {
    if (VideoSupport() && AutoSaveVideoList && !FloadingVideo) SaveVideoList();
    ProcessStart("Processing Video File Information");
    FvideoFileIndex->BeginUpdate();
    FvideoFileIndex->Clear();
    FvideoGenreList->BeginUpdate();
    FvideoGenreList->Clear();
    const auto& items = FvideoList->Items();
    for (size_t i = 0; i < items.size(); ++i) {
        Process(int(i), int(items.size()), items[i]);
        FvideoFileIndex->Add(items[i]);
        FvideoGenreList->AddTag(items[i]);
    }
    FvideoFileIndex->EndUpdate();
    FvideoGenreList->EndUpdate();
    FvideoGenreList->BuildArtists();
    ProcessFinished();
    if (Fevents && Fevents->OnVideoListChange) Fevents->OnVideoListChange(this);
}

void TcustomJukeboxList::ReprocessTags() {
    SetLoading(true);
    ProcessTags();
    SetLoading(false);
}

void TcustomJukeboxList::ReprocessYears() {
    if (!LoadYears || FindexesLoaded) return;
    // A save being prepared may be in the middle of the year list's index file.
    RestartSave();
    if (FpendingList || FpendingIndexes || FpendingDatabase) PostSaveStep();
    ProcessStart("Reprocessing Years");
    FyearList->BeginUpdate();
    FyearList->Clear();
    const auto& items = FglobalList->Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (i % 10 == 0) Process(int(i), int(items.size()), items[i]);
        FyearList->AddTag(items[i]);
    }
    FyearList->EndUpdate();
    FyearList->BuildArtists();
    if (IndexesWanted()) {
        const std::string name = DataFile("years.idx");
        SaveList(name, [&](std::string* e) { return FyearList->SaveToFile(name, e); });
    }
    ProcessFinished();
}

void TcustomJukeboxList::MarkPlaylistsUserChange() { FplaylistsLoadFailed = false; }

void TcustomJukeboxList::PlaylistsChanged() {
    if (AutoSavePlaylists && !FloadingPlaylists && !FplaylistsLoadFailed) SavePlaylists();
    if (Fevents && Fevents->OnPlaylistsChange) Fevents->OnPlaylistsChange(this);
}

}  // namespace tunecrest
