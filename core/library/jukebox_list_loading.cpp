// The library loading its data files at start-up: the list file, the grouping index
// files (read beside it on threads of their own), the CD lists, the video list, the
// playlists and the play counts; and the list file written whole (TcustomJukeboxList,
// jukebox_list.h).
#include "core/library/jukebox_list.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <unordered_set>
#include <utility>

#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/library/jukebox_data_files.h"
#include "core/library/jukebox_list_index_names.h"
#include "core/library/load_threads.h"
#include "core/tags/tag_list_files.h"

namespace tunecrest {

void TcustomJukeboxList::LoadLibrary() {
    LoadIndexes();
    LoadPopularList();
}

void TcustomJukeboxList::LoadIndexes() {
    // A save cut short by a crash or a power cut leaves its temporary file (as large as
    // the library file) in the data folder; the next start clears them away.
    if (!FdataFolder.empty()) RemoveAbandonedWrites(FdataFolder, std::chrono::minutes(10));
    // The library file's window, the index files and the file-name order's keys take
    // large blocks one after another: each reuses the pages of the one before.
    const TlargeBlockReuse reuse;
    SetLoading(true);
    FglobalList->BeginUpdate();
    FcdTracks.clear();
    // Large index files are read and checked on a thread of their own while the library
    // file loads.
    // Taken before the reads: a file changed after it is not the one read.
    std::array<TfileStamp, std::size(kIndexFiles)> indexStamps;
    bool indexesStamped = !FdataFolder.empty();
    for (size_t k = 0; k < indexStamps.size(); ++k)
        indexesStamped = indexesStamped && StampOfFile(DataFile(kIndexFiles[k]), indexStamps[k]);
    std::future<TgroupingIndexPrepPtr> prepared = PrepareIndexFiles();
    TfileStamp stamp;
    const bool stamped = !FdataFolder.empty() && StampOfFile(DataFile("jukebox.dat"), stamp);
    FglobalLoadFailed = LoadListFile(*FglobalList, DataFile("jukebox.dat")) == TlistFileState::lfsDamaged;
    if (LoadCDs) LoadCDLists();
    FindexesLoaded = prepared.valid() && LoadIndexFiles(prepared.get());
    FglobalList->EndUpdate();  // ProcessTags
    const bool indexesRead = FindexesLoaded;
    FindexesLoaded = false;
    // The list holds the file's records in their order: the first save copies those of the
    // tracks that do not change (the worker checks the file's records before it does).
    if (stamped && !FglobalLoadFailed && FcdTracks.empty() && FglobalList->UpdateCount() == 0) {
        const uint64_t write = ++FlistWrites;
        const uint32_t count = uint32_t(FglobalList->Items().size());
        FlistLedger->Set({write, stamp, count, 0, nullptr, nullptr});
        FlistMaps.push_back({write, {}});
        AppendListFilePiece(FlistMaps.back().Pieces, {0, count});
    }
    // The groupings hold the index files' entries in their order.
    if (indexesRead && indexesStamped && FglobalList->UpdateCount() == 0) {
        const uint64_t write = ++FlistWrites;
        for (size_t k = 0; k < FindexFiles.size(); ++k) {
            auto map = std::make_shared<TindexFileMap>();
            map->Write = write;
            const TaudioTagListList& grouping = *IndexGrouping(k);
            for (int i = 0; i < grouping.Count(); ++i) {
                const TaudioTagListPtr list = grouping.GetList(i);
                map->Lists.push_back(list.get());
                map->Changes.push_back(list->ChangeCount());
            }
            FindexFiles[k].Ledger->Set({write, indexStamps[k], uint32_t(map->Lists.size()), 0, nullptr, nullptr});
            FindexFiles[k].Maps.push_back(std::move(map));
        }
    }
    FpendingFileOrder = {};  // taken by the filing unless a handler changed the list first
    SetLoading(false);
    // From the event loop, once the start's own work on this thread is done.
    if (AutoSaveGlobal && (!FlistMaps.empty() || indexesRead)) {
        std::weak_ptr<bool> alive = Falive;
        Dispatcher().Post([this, alive] {
            const auto live = alive.lock();
            if (live && *live) LearnFilesOnDisk();
        });
    }
}

bool TcustomJukeboxList::IndexesWanted() const {
    return FenableIndexes && LoadArtistsAlbums && LoadGenres && LoadYears;
}

bool TcustomJukeboxList::IndexFilesWritten(uintmax_t& bytes) const {
    bytes = 0;
    if (!IndexesWanted()) return false;
    // The files are taken as what they are whatever their times: a folder copied without
    // its times, or put back from a backup, has its index files older than its list file.
    // They are of the list file beside them because a new list file takes them away first
    // (WriteGlobalList, ReleaseListFile); one that does not fit the list (another list
    // put in place by hand) is found out when it is filled, and the groupings are filed
    // anew.
    std::error_code ec;
    for (const char* name : kIndexFiles) {
        const uintmax_t size = std::filesystem::file_size(DataFile(name), ec);
        if (ec) return false;
        bytes += size;
    }
    return true;
}

namespace {
// From this many tracks on, helper threads share the filling of the groupings with the
// loading thread: one for every so many whole tracks, leaving one core to the file-name
// order's thread and two more spare (filling waits on memory more than on the cores: on
// eight cores, five helpers filled a million tracks faster than six or seven). Each
// helper's heap keeps two or three megabytes of partly used pages when it ends (the large
// lists take their memory on the loading thread), which a smaller library would feel in
// its memory more than it gains in time.
constexpr int kHelpedLoadTracks = 50000;
constexpr int kTracksPerHelper = 50000;
// Index files this large are read on a thread of their own while the library file loads.
// It holds a region of memory (see TthreadRegionHold) although it makes few objects: when
// it ends, the allocator hands its memory to the next thread that needs more, which is
// the loading thread, filling the groupings. Without the hold that memory comes page by
// page (thousands of small page faults at a hundred thousand tracks); with it, in large
// pages, for a few megabytes more.
constexpr uintmax_t kOwnThreadIndexBytes = uintmax_t(2) << 20;
// From this many tracks on, the file-name order is worked out on a thread of its own
// (for fewer, the thread costs more memory than it saves time).
constexpr size_t kOwnThreadFileOrder = 50000;

unsigned LoadHelpers(int tracks) {
    if (tracks < kHelpedLoadTracks) return 0;
    const unsigned spare = std::max(std::thread::hardware_concurrency(), 4u) - 3;
    return std::clamp(unsigned(tracks / kTracksPerHelper), 1u, std::min(spare, 7u));
}

}  // namespace

std::future<TgroupingIndexPrepPtr> TcustomJukeboxList::PrepareIndexFiles() {
    uintmax_t bytes = 0;
    if (!IndexFilesWritten(bytes)) return {};
    TgroupingIndexLoad load;
    load.Albums = FalbumList.get();
    load.Artists = FartistList.get();
    load.Titles = FtitleList.get();
    load.Genres = FgenreList.get();
    load.Years = FyearList.get();
    load.AlbumsFile = DataFile("albums.idx");
    load.ArtistsFile = DataFile("artists.idx");
    load.TitlesFile = DataFile("titles.idx");
    load.GenresFile = DataFile("genres.idx");
    load.YearsFile = DataFile("years.idx");
    load.Progress = [this](const std::string& text) { ProcessStart(text); };
    auto prepare = [load = std::move(load)] { return PrepareGroupingIndexFiles(load); };
    // Small files are read after the library file, on this thread: a thread's first
    // small pages of memory cost more than it would gain.
    if (bytes < kOwnThreadIndexBytes) return std::async(std::launch::deferred, std::move(prepare));
    return StartLoadThread(std::move(prepare), true);
}

bool TcustomJukeboxList::LoadIndexFiles(TgroupingIndexPrepPtr prepared) {
    // The files hold positions in the global list: a CD's tracks, appended after the
    // library's own, may be another disc's at the next start.
    if (!FcdTracks.empty() || FglobalLoadFailed) {
        AbandonGroupingIndexFiles(std::move(prepared));
        return false;
    }
    const TaudioTagList& master = *FglobalList;
    const unsigned helpers = FloadHelpers >= 0 ? unsigned(FloadHelpers) : LoadHelpers(master.Count());
    if (master.Items().size() >= kOwnThreadFileOrder) {
        // The file-name index is worked out on a thread of its own meanwhile.
        const TaudioTagPtr* const itemsAt = master.Items().data();
        const size_t itemsCount = master.Items().size();
        TfileNameMemory memory;
        memory.Keys.reserve(itemsCount);
        memory.Tracks.reserve(itemsCount);
        FpendingFileOrder.Order = StartLoadThread(
            [itemsAt, itemsCount, memory = std::move(memory)]() mutable {
                return OrderByFileName({itemsAt, itemsCount}, std::move(memory));
            },
            false);
        FpendingFileOrder.Of = itemsAt;
        FpendingFileOrder.Count = itemsCount;
    }
    std::string error;
    if (!FillGroupingIndexFiles(std::move(prepared), master, helpers, &error)) {
        // One bad file: every grouping is built again from the global list.
        LogError("Index file not used, rebuilding the groupings: " + error);
        return false;
    }
    return true;
}

std::vector<TaudioTagListList*> TcustomJukeboxList::Groupings() const {
    return {FalbumList.get(), FartistList.get(), FtitleList.get(), FgenreList.get(), FyearList.get()};
}

void TcustomJukeboxList::SaveIndexFiles() {
    if (FdataFolder.empty()) return;  // a library without a data folder keeps nothing
    ForgetIndexFiles();  // written here, not by the save worker
    if (!IndexesWanted()) {
        // A grouping left empty by its switch must not come back empty from its file
        // once the switch is on again.
        if (FenableIndexes)
            for (const char* file : kIndexFiles) {
                std::error_code ec;
                std::filesystem::remove(DataFile(file), ec);
            }
        return;
    }
    using Save = std::function<bool(const std::string&, std::string*)>;
    const std::pair<const char*, Save> files[] = {
        {"albums.idx", [this](const std::string& f, std::string* e) { return FalbumList->SaveToFile(f, e); }},
        {"artists.idx", [this](const std::string& f, std::string* e) { return FartistList->SaveToFile(f, e); }},
        {"titles.idx", [this](const std::string& f, std::string* e) { return FtitleList->SaveToFile(f, e); }},
        {"genres.idx", [this](const std::string& f, std::string* e) { return FgenreList->SaveToFile(f, e); }},
        {"years.idx", [this](const std::string& f, std::string* e) { return FyearList->SaveToFile(f, e); }},
    };
    for (const auto& file : files) {
        const std::string name = DataFile(file.first);
        SaveList(name, [&](std::string* e) { return file.second(name, e); });
    }
}

void TcustomJukeboxList::LoadCDLists() {
    FglobalList->BeginUpdate();
    for (const auto& root : SystemServices().ListCDDrives()) {
        const std::string serial = GetVolumeSerial(root);
        if (serial.empty()) continue;  // no disc: skipped quietly
        const std::string fileName = DataFile(serial + ".dat");
        std::error_code ec;
        if (!std::filesystem::exists(fileName, ec)) continue;
        // The list was written wherever the disc was mounted then; its names follow the
        // mount root where the disc is now.
        TaudioTagList cdList;
        cdList.SetOwnsObjects(true);
        LoadListFile(cdList, fileName, false, root);
        for (const auto& tag : cdList.Items()) {
            FcdTracks.push_back(tag);
            FglobalList->Add(tag);
        }
    }
    FglobalList->EndUpdate();
}

bool TcustomJukeboxList::SaveCDList(TaudioTagList& list, const std::string& root) {
    const std::string serial = GetVolumeSerial(root);
    if (serial.empty() || FdataFolder.empty()) return false;
    const std::string name = DataFile(serial + ".dat");
    return SaveList(name, [&](std::string* e) { return SaveCDListToFile(list, root, name, e); });
}

bool TcustomJukeboxList::IsCdListTrack(const TaudioTag* tag) const {
    // A CD track is held here, so its address never belongs to a newly scanned track.
    return tag && std::any_of(FcdTracks.begin(), FcdTracks.end(),
                              [tag](const TaudioTagPtr& cd) { return cd.get() == tag; });
}

void TcustomJukeboxList::LoadVideoList() {
    FloadingVideo = true;
    LoadListFile(*FvideoList, DataFile("vidlist.dat"));
    FloadingVideo = false;
}

void TcustomJukeboxList::LoadPlaylists() {
    FloadingPlaylists = true;
    // The load ends its update bracket, which reports the change once (PlaylistsChanged).
    FplaylistsLoadFailed = LoadListsFile(*Fplaylists, DataFile("playlists.dat")) == TlistFileState::lfsDamaged;
    FloadingPlaylists = false;
}

void TcustomJukeboxList::LoadPopularList() {
    TaudioTagList counts;
    FpopularLoadFailed = LoadListFile(counts, DataFile("poplist.dat")) == TlistFileState::lfsDamaged;
    // Stored entries keep their counts: taking a list over counts no plays.
    FpopularList->AddList(counts, false, false);
}

bool TcustomJukeboxList::SaveGlobalList() {
    const bool ok = WriteGlobalList();
    // The index files are only used when not older than "jukebox.dat": written again
    // after it while the groupings match the list (not in the middle of a change).
    if (ok && IndexesWanted() && !Floading && FglobalList->UpdateCount() == 0) SaveIndexFiles();
    return ok;
}

bool TcustomJukeboxList::WriteGlobalList() {
    const std::string name = DataFile("jukebox.dat");
    ForgetListFile();  // written here, not by the save worker
    // The index files on disk are of the list file being replaced: gone before it is, so
    // that no start ever takes them for the new one's (SaveIndexFiles writes them again).
    ForgetIndexFiles();
    for (const char* file : kIndexFiles) {
        std::error_code ec;
        std::filesystem::remove(DataFile(file), ec);
    }
    if (FcdTracks.empty()) return SaveListFile(*FglobalList, name);
    // CD tracks come back from their own lists at every start; writing them here
    // would add them a second time.
    TaudioTagList own;
    own.SetTitle(FglobalList->Title());
    for (const auto& tag : OwnTracks()) own.Add(tag);
    return SaveListFile(own, name);
}

std::vector<TaudioTagPtr> TcustomJukeboxList::OwnTracks() const {
    if (FcdTracks.empty()) return FglobalList->Items();
    std::unordered_set<const TaudioTag*> cd;
    for (const auto& tag : FcdTracks) cd.insert(tag.get());
    std::vector<TaudioTagPtr> own;
    own.reserve(FglobalList->Items().size());
    for (const auto& tag : FglobalList->Items())
        if (!cd.count(tag.get())) own.push_back(tag);
    return own;
}

}  // namespace tunecrest
