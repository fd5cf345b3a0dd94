#include "core/library/jukebox_list.h"

#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/base/csv_text.h"
#include "core/base/date_time.h"
#include "core/base/ini_file.h"
#include "core/library/grouping_filing.h"
#include "core/library/grouping_index_files.h"
#include "core/library/grouping_index_writer.h"
#include "core/library/jukebox_data_files.h"
#include "core/library/load_threads.h"
#include "core/tags/list_file_io.h"
#include "core/tags/playlist_files.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tag_stream.h"
#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
// In the order of IndexGrouping.
constexpr const char* kIndexFiles[] = {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"};
}  // namespace

namespace {

// Comma text: items separated by ",", an item with a comma, a quote or surrounding
// blanks is quoted with doubled inner quotes.
std::string ToCommaText(const TmyStringList& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& item = list.Strings(i);
        if (i) out += ',';
        const bool quote = item.empty() || item.find_first_of(",\" ") != std::string::npos;
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    }
    return out;
}

void FromCommaText(TmyStringList& list, const std::string& text) {
    list.BeginUpdate();
    list.Clear();
    size_t i = 0;
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i];
            }
            while (i < text.size() && text[i] != ',') ++i;
        } else {
            const size_t end = std::min(text.find(',', i), text.size());
            item = Trim(text.substr(i, end - i));
            i = end;
        }
        list.Add(item);
        if (i < text.size()) ++i;  // the comma
    }
    list.EndUpdate();
}

TDateTime FileDate(const std::string& fileName) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(fileName, ec);
    if (ec) return 0;
    const auto sys = std::chrono::file_clock::to_sys(time);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
    return UnixToDateTime(std::time_t(ns / 1000000000), ns % 1000000000);
}

}  // namespace

template <typename Step>
void TcustomJukeboxList::Guarded(const char* name, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        Prompt().ShowMessage(std::string(name) + ":\r\n\r\n" + e.what(), "Application Error");
    }
}

TcustomJukeboxList::TcustomJukeboxList() : FpopularSavePending(std::make_shared<bool>(false)) {
    Guarded("Error Creating FaudioFolders", [this] { FaudioFolders = std::make_unique<TmyStringList>(); });
    Guarded("Error Creating FvideoFolders", [this] { FvideoFolders = std::make_unique<TmyStringList>(); });
    Guarded("Error Creating FalbumList", [this] { FalbumList = std::make_unique<TaudioTagAlbumList>(); });
    Guarded("Error Creating FartistList", [this] { FartistList = std::make_unique<TaudioTagArtistList>(); });
    Guarded("Error Creating FtitleList", [this] {
        FtitleList = std::make_unique<TaudioTagArtistList>();
        FtitleList->IsAlphaList = true;
    });
    Guarded("Error Creating FglobalList", [this] {
        FglobalList = std::make_unique<TaudioTagList>();
        FglobalList->SetOwnsObjects(true);
        FglobalList->SetMediaSupportLevel(1);
        FglobalList->OnChange = [this](TObject*) { ProcessTags(); };
        FglobalList->OnListProcessStart = [this](TObject*, const std::string& text) { ProcessStart(text); };
        FglobalList->OnListProcess = [this](TObject*, int i, int n, const TaudioTagPtr& t) { Process(i, n, t); };
        FglobalList->OnListProcessFinished = [this](TObject*) { ProcessFinished(); };
    });
    Guarded("Error Creating Fplaylists", [this] {
        Fplaylists = std::make_unique<TaudioTagPlaylistList>();
        Fplaylists->SetListsOwnObjects(true);
        Fplaylists->SetActive(true);
        Fplaylists->OnChange = [this](TObject*) { PlaylistsChanged(); };
        Fplaylists->OnPlaylistChange = [this](TObject*, TaudioTagList* list) {
            if (AutoSavePlaylists && !FloadingPlaylists && !FplaylistsLoadFailed) SavePlaylists();
            if (Fevents && Fevents->OnPlaylistListChange) Fevents->OnPlaylistListChange(this, list);
        };
    });
    Guarded("Error Creating FvideoList", [this] {
        FvideoList = std::make_unique<TaudioTagList>();
        FvideoList->SetOwnsObjects(true);
        FvideoList->SetMediaSupportLevel(2);
        FvideoList->SetNoChangeOnSort(true);
        FvideoList->OnChange = [this](TObject*) { ProcessVideo(); };
        FvideoList->OnListProcessStart = FglobalList->OnListProcessStart;
        FvideoList->OnListProcess = FglobalList->OnListProcess;
        FvideoList->OnListProcessFinished = FglobalList->OnListProcessFinished;
    });
    Guarded("Error Creating FgenreList", [this] { FgenreList = std::make_unique<TaudioTagGenreList>(); });
    Guarded("Error Creating FvideoGenreList", [this] {
        FvideoGenreList = std::make_unique<TaudioTagGenreList>();
        FvideoGenreList->UseAlbums = false;
        FvideoGenreList->UseArtists = false;
    });
    FyearList = std::make_unique<TaudioTagYearList>();
    FfileIndex = std::make_unique<TfileNameIndex>();
    FvideoFileIndex = std::make_unique<TfileNameIndex>();
    FurlList = std::make_unique<TurlList>();
    FurlList->OnChange = [this](TObject*) {
        if (Fevents && Fevents->OnURLsChange) Fevents->OnURLsChange(this);
        if (FloadingURLs || !AutoSaveURLs) return;
        const std::string name = DataFile("internetradio.dat");
        SaveList(name, [&](std::string* e) { return FurlList->SaveToFile(name, e); });
    };
    FpopularList = std::make_unique<TpopularityTagList>();
    FruleSets = std::make_unique<TtagListRulesCollection>();
    FaudioImportList = std::make_unique<TmyStringList>();
    FvideoImportList = std::make_unique<TmyStringList>();
    Fdatabase = std::make_unique<TjukeboxDB>();
    Fdatabase->SetFileIndex(FfileIndex.get());
    FdbRules = std::make_unique<TdbRulesList>();
}

TcustomJukeboxList::~TcustomJukeboxList() {
    FfreeNotices.Notify(this);
    *Falive = false;
    FinishPendingSaves();
    // Counts still waiting for their debounced write are not lost at close-down.
    if (*FpopularSavePending && !FpopularLoadFailed && !FdataFolder.empty()) SavePopularList();
    *FpopularSavePending = false;
    if (FglobalList) FglobalList->OnChange = nullptr;
    if (FvideoList) FvideoList->OnChange = nullptr;
    if (Fplaylists) Fplaylists->OnChange = nullptr, Fplaylists->OnPlaylistChange = nullptr;
    if (FurlList) FurlList->OnChange = nullptr;
}

std::string TcustomJukeboxList::DataFile(const std::string& name) const {
    return (std::filesystem::path(FdataFolder) / name).string();
}

void TcustomJukeboxList::SetVideoSupport(bool on) {
    const uint32_t level = FglobalList->MediaSupportLevel();
    FglobalList->SetMediaSupportLevel(on ? level | 2u : level & ~2u);
    // The tagger plug-ins are chosen by the media kinds the library takes (a change
    // reloads them, so an unchanged level is not passed again).
    if (TaggerLoader().MediaSupportLevel() != FglobalList->MediaSupportLevel())
        TaggerLoader().SetMediaSupportLevel(FglobalList->MediaSupportLevel());
}

void TcustomJukeboxList::ProcessStart(const std::string& text) {
    if (Fevents && Fevents->OnListProcessStart) Fevents->OnListProcessStart(this, text);
}

void TcustomJukeboxList::Process(int index, int count, const TaudioTagPtr& tag) {
    if (Fevents && Fevents->OnListProcess) Fevents->OnListProcess(this, index, count, tag);
}

void TcustomJukeboxList::ProcessFinished() {
    if (Fevents && Fevents->OnListProcessFinished) Fevents->OnListProcessFinished(this);
}

bool TcustomJukeboxList::SaveList(const std::string& fileName, const std::function<bool(std::string*)>& save) {
    std::error_code ec;
    std::filesystem::create_directories(FdataFolder, ec);
    std::string error;
    if (save(&error)) return true;
    LogError("Cannot write " + fileName + ": " + error);
    return false;
}

// ---- Processing -----------------------------------------------------------------

void TcustomJukeboxList::ProcessTags() {
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
    // Room to spare: one more track must not move a list of a million pointers to
    // fresh memory at every change.
    if (Ffiled.capacity() < filed.size()) Ffiled.reserve(filed.size() + filed.size() / 16 + 16);
    Ffiled.resize(filed.size());
    for (size_t i = 0; i < filed.size(); ++i) Ffiled[i] = filed[i].get();
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

TcustomJukeboxList::TfileNameOrder TcustomJukeboxList::OrderByFileName(std::span<const TaudioTagPtr> items,
                                                                       TfileNameMemory memory) {
    // Sorted on views of the names (ties by position, as a stable sort leaves them). The
    // names share a long start (the music folder): each view keeps the eight bytes after
    // it as a key beside it, so most comparisons read no name.
    size_t common = items.empty() ? 0 : items[0]->Filename().size();
    for (const auto& tag : items) {
        const std::string& name = tag->Filename();
        const std::string& first = items[0]->Filename();
        const size_t n = std::min(common, name.size());
        size_t same = 0;
        while (same < n && name[same] == first[same]) ++same;
        common = same;
    }
    auto& names = memory.Keys;
    names.clear();
    names.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& name = items[i]->Filename();
        uint64_t key = 0;
        for (size_t b = 0; b < 8 && common + b < name.size(); ++b)
            key |= uint64_t(static_cast<unsigned char>(name[common + b])) << (56 - 8 * b);
        names.push_back(TfileNameKey{key, name, uint32_t(i)});
    }
    // Two names of one key agree up to the key's end: when both go past it, only the
    // rest is compared.
    const size_t keyed = common + 8;
    const auto rest = [keyed](std::string_view name) { return name.substr(std::min(keyed, name.size())); };
    std::sort(names.begin(), names.end(), [&rest, keyed](const TfileNameKey& a, const TfileNameKey& b) {
        if (a.Key != b.Key) return a.Key < b.Key;
        const int c = a.Name.size() >= keyed && b.Name.size() >= keyed ? rest(a.Name).compare(rest(b.Name))
                                                                       : a.Name.compare(b.Name);
        if (c != 0) return c < 0;
        return a.Position < b.Position;
    });
    TfileNameOrder order;
    order.Tracks = std::move(memory.Tracks);
    order.Tracks.clear();
    order.Tracks.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        // Of one key and one length, names agree up to the key's end.
        const TfileNameKey& a = names[i];
        if (i == 0 || a.Key != names[i - 1].Key || a.Name.size() != names[i - 1].Name.size() ||
            rest(a.Name) != rest(names[i - 1].Name))
            order.Tracks.push_back(items[names[i].Position]);
        else
            order.Shared.emplace(names[i].Name);
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

// ---- Loading --------------------------------------------------------------------

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
        FlistLedger->Set({write, stamp, count, 0, nullptr});
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
            FindexFiles[k].Ledger->Set({write, indexStamps[k], uint32_t(map->Lists.size()), 0, nullptr});
            FindexFiles[k].Maps.push_back(std::move(map));
        }
    }
    FpendingFileOrder = {};  // taken by the filing unless a handler changed the list first
    SetLoading(false);
}

bool TcustomJukeboxList::IndexesWanted() const {
    return FenableIndexes && LoadArtistsAlbums && LoadGenres && LoadYears;
}

bool TcustomJukeboxList::IndexFilesWritten(uintmax_t& bytes) const {
    bytes = 0;
    if (!IndexesWanted()) return false;
    std::error_code ec;
    const auto library = std::filesystem::last_write_time(DataFile("jukebox.dat"), ec);
    if (ec) return false;
    for (const char* name : kIndexFiles) {
        const std::string file = DataFile(name);
        const auto written = std::filesystem::last_write_time(file, ec);
        if (ec || written < library) return false;
        const uintmax_t size = std::filesystem::file_size(file, ec);
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
    // A CD track that left the global list is gone for good: its address may belong to
    // a newly scanned track, which must not be taken for it.
    return tag && std::any_of(FcdTracks.begin(), FcdTracks.end(),
                              [tag](const std::weak_ptr<TaudioTag>& cd) { return cd.lock().get() == tag; });
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
    for (const auto& weak : FcdTracks)
        if (const auto tag = weak.lock()) cd.insert(tag.get());
    std::vector<TaudioTagPtr> own;
    own.reserve(FglobalList->Items().size());
    for (const auto& tag : FglobalList->Items())
        if (!cd.count(tag.get())) own.push_back(tag);
    return own;
}

// ---- Saving in the background ---------------------------------------------------

void TcustomJukeboxList::ForgetListFile() {
    FlistMaps.clear();
    FlistLedger->Forget();
}

void TcustomJukeboxList::ForgetIndexFiles() {
    for (TindexFileState& file : FindexFiles) {
        file.Maps.clear();
        file.Ledger->Forget();
    }
}

TaudioTagListList* TcustomJukeboxList::IndexGrouping(size_t file) const {
    TaudioTagListList* const groupings[] = {FalbumList.get(), FartistList.get(), FtitleList.get(), FgenreList.get(),
                                            FyearList.get()};
    return file < std::size(groupings) ? groupings[file] : nullptr;
}

void TcustomJukeboxList::FollowListFile() {
    const bool indexMaps = std::any_of(FindexFiles.begin(), FindexFiles.end(),
                                       [](const TindexFileState& file) { return !file.Maps.empty(); });
    if (FlistMaps.empty() && !indexMaps) return;
    const auto& items = FglobalList->Items();
    // Beyond this many tracks removed or edited, the whole file is made anew anyway.
    constexpr size_t kMostChanges = 20000;
    const auto forget = [this] {
        ForgetListFile();
        ForgetIndexFiles();
    };
    if (!FcdTracks.empty()) return forget();
    // The positions of the list as filed that changed: a track removed, or one edited.
    struct Tchange {
        size_t Position;
        bool Removed;
    };
    std::vector<Tchange> changes;
    size_t kept = 0;
    for (size_t p = 0; p < Ffiled.size(); ++p) {
        if (kept < items.size() && items[kept].get() == Ffiled[p]) {
            ++kept;
            continue;
        }
        changes.push_back({p, true});
        if (changes.size() > kMostChanges) return forget();
    }
    // A change nobody noted may have changed any track.
    if (changes.empty() && FeditNotes.empty() && kept == items.size()) return forget();
    // A track taken out moves every later one: the positions in the index files change.
    if (!changes.empty()) ForgetIndexFiles();
    for (const auto& [tag, before] : FeditNotes) {
        const int32_t p = before->StoredPosition();
        if (p >= 0 && size_t(p) < Ffiled.size() && Ffiled[size_t(p)] == tag.get()) {
            changes.push_back({size_t(p), false});
            continue;
        }
        // Noted before it was ever filed: only a track added now is written anew anyway.
        if (std::find(items.begin() + std::ptrdiff_t(kept), items.end(), tag) == items.end()) return forget();
    }
    if (changes.size() > kMostChanges) return forget();
    // By position; at one position a removal holds over an edit.
    std::sort(changes.begin(), changes.end(), [](const Tchange& a, const Tchange& b) {
        return a.Position != b.Position ? a.Position < b.Position : a.Removed > b.Removed;
    });
    for (TlistFileMap& map : FlistMaps) {
        std::vector<TlistFilePiece> pieces;
        size_t position = 0, next = 0;
        for (const TlistFilePiece& piece : map.Pieces) {
            const size_t end = position + piece.Count;
            while (position < end) {
                // The unchanged tracks up to the next change inside this piece.
                while (next < changes.size() && changes[next].Position < position) ++next;
                const size_t stop = next < changes.size() ? std::min(end, changes[next].Position) : end;
                if (stop > position) {
                    const int64_t first = piece.Fresh() ? -1 : piece.First + int64_t(position - (end - piece.Count));
                    AppendListFilePiece(pieces, {first, uint32_t(stop - position)});
                    position = stop;
                    continue;
                }
                if (!changes[next].Removed) AppendListFilePiece(pieces, {-1, 1});
                ++position;
                ++next;
            }
        }
        if (position != Ffiled.size()) return forget();  // the map was not of this list
        AppendListFilePiece(pieces, {-1, uint32_t(items.size() - kept)});
        map.Pieces = std::move(pieces);
    }
}

namespace {
// Tracks (or index pieces) made between two looks at the clock.
constexpr size_t kTracksPerClockCheck = 32;
// Records made anew (at most, or a fiftieth of the list) when the rest are copied from
// the list file as it is; beyond them the whole file is made anew.
constexpr size_t kMostFreshRecords = 20000;

// One block of a file's bytes, mapped in ordinary pages and unmapped whole.
class TbyteBlock {
public:
    explicit TbyteBlock(size_t capacity) : Fcapacity(capacity) {
        void* data = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED) throw std::bad_alloc();
        Fdata = static_cast<char*>(data);
    }
    TbyteBlock(TbyteBlock&& other) noexcept
        : Fdata(std::exchange(other.Fdata, nullptr)), Fsize(other.Fsize), Fcapacity(other.Fcapacity) {}
    TbyteBlock& operator=(TbyteBlock&& other) noexcept {
        std::swap(Fdata, other.Fdata);
        std::swap(Fsize, other.Fsize);
        std::swap(Fcapacity, other.Fcapacity);
        return *this;
    }
    ~TbyteBlock() {
        if (Fdata) ::munmap(Fdata, Fcapacity);
    }
    size_t Capacity() const { return Fcapacity; }
    bool Fits(size_t bytes) const { return Fcapacity - Fsize >= bytes; }
    void Append(std::string_view bytes) {
        std::memcpy(Fdata + Fsize, bytes.data(), bytes.size());
        Fsize += bytes.size();
    }
    void Clear() { Fsize = 0; }
    // Writes every page once, so that its first touch happens on this thread.
    void Touch() {
        for (size_t i = 0; i < Fcapacity; i += 4096) Fdata[i] = 0;
    }
    std::string_view View() const { return {Fdata, Fsize}; }

private:
    char* Fdata = nullptr;
    size_t Fsize = 0, Fcapacity = 0;
};
}  // namespace

// The blocks of the background save, shared by the main thread and the worker. The
// files a save makes are handed to the worker in blocks as they fill; the worker gives
// each block back once written, and the save reuses it. Fresh memory is what costs:
// the first touch of a page can hold a thread far longer than filling it, and a save
// at a million tracks makes hundreds of megabytes. So a save keeps a few blocks; with
// all of them out it waits for the worker to give one back rather than take new
// memory on the main thread.
class TsaveBlockPool {
public:
    TsaveBlockPool(size_t blockBytes, size_t maxBlocks) : FblockBytes(blockBytes), FmaxBlocks(maxBlocks) {}

    // A free block for a record of `bytes` (a larger record gets a block of its own).
    // With every block out: none, unless `mayWait` is false; `wake` then runs on the
    // worker once a block comes back.
    std::optional<TbyteBlock> Take(size_t bytes, bool mayWait, std::function<void()> wake) {
        if (bytes > FblockBytes) return TbyteBlock(bytes);
        std::lock_guard lock(Fmutex);
        if (!Ffree.empty()) {
            TbyteBlock block = std::move(Ffree.back());
            Ffree.pop_back();
            return block;
        }
        if (Fmapped < FmaxBlocks || !mayWait) {
            ++Fmapped;
            return TbyteBlock(FblockBytes);
        }
        Fwake = std::move(wake);
        return std::nullopt;
    }
    // A written block comes back (on the worker).
    void Give(TbyteBlock block) {
        if (block.Capacity() != FblockBytes) return;  // unmapped here
        block.Clear();
        std::function<void()> wake;
        {
            std::lock_guard lock(Fmutex);
            if (Ffree.size() + 1 > FmaxBlocks) {
                --Fmapped;
                return;
            }
            Ffree.push_back(std::move(block));
            wake = std::exchange(Fwake, nullptr);
        }
        if (wake) wake();
    }
    // Maps and touches the blocks not made yet (on the worker, before a save needs them).
    void Fill() {
        while (true) {
            {
                std::lock_guard lock(Fmutex);
                if (Fmapped >= FmaxBlocks) return;
                ++Fmapped;
            }
            TbyteBlock block(FblockBytes);
            block.Touch();
            std::lock_guard lock(Fmutex);
            Ffree.push_back(std::move(block));
        }
    }

private:
    const size_t FblockBytes, FmaxBlocks;
    std::mutex Fmutex;
    std::vector<TbyteBlock> Ffree;
    size_t Fmapped = 0;  // blocks of FblockBytes, free or out
    std::function<void()> Fwake;
};

namespace {
// One file a save writes, made on the main thread and written by the worker as it
// goes: each record is made in a scratch writer that keeps its memory, copied to the
// block being filled, and a full block goes to the worker.
class TfileStream {
public:
    TfileStream(std::string path, TbackgroundWorker& worker, std::shared_ptr<TsaveBlockPool> pool,
                std::function<void()> wake)
        : Fpath(path), Ffile(std::make_shared<TsafeFileWriter>(std::move(path))), Fworker(worker),
          Fpool(std::move(pool)), Fwake(std::move(wake)) {}
    TfileStream(const TfileStream&) = delete;
    TfileStream& operator=(const TfileStream&) = delete;

    // The scratch writer, emptied, for the next record.
    TbyteWriter& Record() {
        Fscratch.Bytes().clear();
        return Fscratch;
    }
    // Adds the record made in the scratch writer. False when it has to wait for a block:
    // it stays in the scratch writer until Resume adds it.
    bool Keep(bool mayWait = true) {
        const std::string& bytes = Fscratch.Bytes();
        Fwaiting = false;
        if (bytes.empty()) return true;
        if (Fblock && !Fblock->Fits(bytes.size())) Flush();
        if (!Fblock) Fblock = Fpool->Take(bytes.size(), mayWait, Fwake);
        if (!Fblock) return !(Fwaiting = true);
        Fblock->Append(bytes);
        Fsize += int64_t(bytes.size());
        Fscratch.Bytes().clear();
        return true;
    }
    // Adds a record that had to wait; false while it still waits.
    bool Resume() { return !Fwaiting || Keep(); }
    // Hands the block being filled to the worker.
    void Flush() {
        if (!Fblock) return;
        Fworker.Run([file = Ffile, pool = Fpool, block = std::make_shared<TbyteBlock>(std::move(*Fblock))] {
            file->Append(block->View());
            pool->Give(std::move(*block));
        });
        Fblock.reset();
    }
    int64_t Size() const { return Fsize; }
    const std::string& Path() const { return Fpath; }
    // The file, for the worker once every block is flushed.
    const std::shared_ptr<TsafeFileWriter>& File() const { return Ffile; }

private:
    std::string Fpath;
    std::shared_ptr<TsafeFileWriter> Ffile;
    TbackgroundWorker& Fworker;
    std::shared_ptr<TsaveBlockPool> Fpool;
    std::function<void()> Fwake;
    std::optional<TbyteBlock> Fblock;
    TbyteWriter Fscratch;
    int64_t Fsize = 0;
    bool Fwaiting = false;
};
}  // namespace

// One save as it is prepared: the bytes of every file it writes, made on the main
// thread in short slices from the lists as they are when it starts, and written by
// the worker into temporary files as they come. A newer change starts it again (its
// temporary files are dropped), so what is renamed into place is one state of the
// library.
struct TcustomJukeboxList::TsaveRun {
    uint64_t Change = 0;
    bool List = false, Indexes = false, Database = false;
    // CD tracks are left out of "jukebox.dat"; then the count in the list's head, written
    // first, is mended once the records are written.
    std::unordered_set<const TaudioTag*> CdTracks;
    int32_t Written = 0;
    size_t CountOffset = 0;
    const TaudioTagPtr* ItemsData = nullptr;  // the global list when the run started
    size_t ItemsCount = 0;
    size_t Next = 0;
    int Stage = 0;  // 0 the list's records, 1 the index files, 2 the export rows, 3 ready
    bool Waiting = false;  // for the worker to give a block back
    std::unique_ptr<TfileStream> Library;
    // Made anew: the length of the head and of each record, for the next save to copy
    // from (not kept with CD tracks left out).
    size_t HeadBytes = 0;
    std::shared_ptr<std::vector<uint32_t>> Lengths;
    // Or the records of the tracks that changed, the rest copied by the worker from the
    // file as it is: the piece being made and how far into it.
    std::unique_ptr<TlistFilePatch> Patch;
    size_t Piece = 0, InPiece = 0;
    TbyteWriter Scratch;
    uint64_t ListWrite = 0;  // which write of "jukebox.dat" it is
    std::unique_ptr<TindexFileWriter> IndexWriter;  // the index file being written
    std::unique_ptr<TfileStream> Index;
    // Each index file: made whole (Stream), or its changed entries made and the rest
    // copied (Patch, from the file Old is the map of; At the next list of the grouping,
    // OldAt the next entry of Old to look for it from); Map its lists as written.
    struct TindexSave {
        bool Started = false;
        std::unique_ptr<TfileStream> Stream;
        std::unique_ptr<TlistFilePatch> Patch;
        std::shared_ptr<const TindexFileMap> Old;
        size_t At = 0, OldAt = 0;
        std::shared_ptr<TindexFileMap> Map;
    };
    std::array<TindexSave, std::size(kIndexFiles)> IndexSaves;
    bool RemoveIndexFiles = false;
    std::unique_ptr<TfileStream> Csv;
    std::string DatabaseFile;
    // The database following the change row by row instead of a rebuild.
    bool DbChanges = false;
    std::vector<std::string> DbRemovedFiles;
    std::string DbRows;
};

void TcustomJukeboxList::ScheduleSave(bool list, bool indexes, bool database) {
    ++FchangeCount;
    FpendingList |= list;
    FpendingIndexes |= indexes;
    FpendingDatabase |= database;
    PostSaveStep();
}

void TcustomJukeboxList::PostSaveStep() {
    if (FsavePosted) return;
    FsavePosted = true;
    std::weak_ptr<bool> alive = Falive;
    Dispatcher().Post([this, alive] {
        const auto live = alive.lock();
        if (!live || !*live) return;
        FsavePosted = false;
        SaveStep();
    });
}

bool TcustomJukeboxList::BackgroundWorkPending() const {
    return FsavePosted || Frun || FworkerResults > 0 || FpendingList || FpendingIndexes || FpendingDatabase ||
           DatabaseChangesPending();
}

void TcustomJukeboxList::SetSaveSliceTime(std::chrono::microseconds time) {
    FsaveSliceTime = time.count() < 0 ? kSaveSliceTime : time;
}

void TcustomJukeboxList::SetSaveMemory(size_t blockBytes, size_t blocks) {
    FsaveBlockBytes = std::max<size_t>(blockBytes, 64);
    FsaveBlocks = std::max<size_t>(blocks, 1);
    FblockPool.reset();  // a save under way keeps the one it has
}

void TcustomJukeboxList::RestartSave() {
    if (!Frun) return;
    FpendingList |= Frun->List;
    FpendingIndexes |= Frun->Indexes;
    FpendingDatabase |= Frun->Database;
    // Its temporary files, hundreds of megabytes at a million tracks, are removed on
    // the worker, after the blocks already handed to it.
    Fworker->Run([run = std::move(Frun)]() mutable { run.reset(); });
    Frun.reset();
}

void TcustomJukeboxList::SaveStep() {
    // In the middle of a change the lists are not what will be saved; its end runs the
    // change handler, which asks again.
    if (FglobalList->UpdateCount() > 0 || Floading) return;
    const auto& items = FglobalList->Items();
    // Changed while being prepared: what it was to write is written from the new state.
    if (Frun && (Frun->Change != FchangeCount || Frun->ItemsData != items.data() || Frun->ItemsCount != items.size()))
        RestartSave();
    if (!Frun) {
        if (!FpendingList && !FpendingIndexes && !FpendingDatabase && !DatabaseChangesPending()) return;
        if (!Fworker) Fworker = std::make_unique<TbackgroundWorker>();
        if (!FblockPool) FblockPool = std::make_shared<TsaveBlockPool>(FsaveBlockBytes, FsaveBlocks);
        std::weak_ptr<bool> alive = Falive;
        Fwake = [this, alive] {
            Dispatcher().Post([this, alive] {
                const auto live = alive.lock();
                if (live && *live && Frun && Frun->Waiting) PostSaveStep();
            });
        };
        Frun = std::make_shared<TsaveRun>();
        TsaveRun& run = *Frun;
        run.Change = FchangeCount;
        run.ItemsData = items.data();
        run.ItemsCount = items.size();
        run.List = FpendingList && !FdataFolder.empty();
        run.Indexes = FpendingIndexes && !FdataFolder.empty();
        run.Database = FpendingDatabase && FdatabaseEnabled;
        FpendingList = FpendingIndexes = FpendingDatabase = false;
        if (run.Database) {
            // The rebuild holds every change up to it.
            FdbRemovedFiles.clear();
            FdbWrites.clear();
        }
        run.DatabaseFile = DataFile("jukebox.mdb");
        if (run.List) {
            for (const auto& weak : FcdTracks)
                if (const auto tag = weak.lock()) run.CdTracks.insert(tag.get());
            const TtagListHeader header{FglobalList->Title(), FglobalList->Active(), FglobalList->PlayMode(),
                                        FglobalList->Filename()};
            // A few tracks written anew (their records made here), the rest copied.
            size_t fresh = 0, covered = 0;
            if (!FlistMaps.empty())
                for (const TlistFilePiece& piece : FlistMaps.back().Pieces) {
                    covered += piece.Count;
                    if (piece.Fresh()) fresh += piece.Count;
                }
            if (!FlistMaps.empty() && run.CdTracks.empty() && covered == items.size() &&
                fresh <= std::max<size_t>(kMostFreshRecords, items.size() / 50)) {
                run.Patch = std::make_unique<TlistFilePatch>();
                run.Patch->Base = FlistMaps.back().Write;
                run.Patch->Pieces = FlistMaps.back().Pieces;
                run.Patch->FreshLengths.reserve(fresh);
                TbyteWriter head;
                WriteTagListHeader(header, int32_t(items.size()), head);
                run.Patch->Head = std::move(head.Bytes());
            } else {
                run.Library = std::make_unique<TfileStream>(DataFile("jukebox.dat"), *Fworker, FblockPool, Fwake);
                TbyteWriter& head = run.Library->Record();
                WriteTagListHeader(header, int32_t(items.size()), head);
                run.CountOffset = head.Bytes().size() - sizeof(int32_t);  // the head ends with the count
                run.HeadBytes = head.Bytes().size();
                run.Library->Keep(false);
                if (run.CdTracks.empty()) {
                    run.Lengths = std::make_shared<std::vector<uint32_t>>();
                    run.Lengths->reserve(items.size());
                }
            }
        }
        if (run.Database) {
            run.Csv = std::make_unique<TfileStream>(DataFile("jukebox.csv"), *Fworker, FblockPool, Fwake);
            std::string& header = run.Csv->Record().Bytes();
            GetCSVHeader(header);
            header += "\n";
            run.Csv->Keep(false);
        }
        // Blocks ready for the files made whole (a save that copies needs none).
        const bool wholeIndexes =
            run.Indexes && std::any_of(FindexFiles.begin(), FindexFiles.end(),
                                       [](const TindexFileState& file) { return file.Maps.empty(); });
        if (run.Library || run.Csv || wholeIndexes) Fworker->Run([pool = FblockPool] { pool->Fill(); });
    }
    if (!SaveSlice(*Frun)) {
        // A run waiting for a block goes on when the worker gives one back.
        if (!Frun->Waiting) PostSaveStep();
        return;
    }
    std::shared_ptr<TsaveRun> ready = std::move(Frun);
    if (ready->List && ready->Library) FglobalList->SetStoredSize(ready->Library->Size());
    if (ready->List) FlastSaveRecordsMade = ready->Patch ? ready->Patch->FreshLengths.size() : size_t(ready->Written);
    if (std::any_of(ready->IndexSaves.begin(), ready->IndexSaves.end(), [](const auto& save) { return save.Started; })) {
        FlastSaveEntriesMade = 0;
        for (const auto& save : ready->IndexSaves)
            if (save.Started)
                FlastSaveEntriesMade += save.Patch ? save.Patch->FreshLengths.size() : save.Map->Lists.size();
    }
    // The rows of the tracks that changed, as they are now: a few, made at once.
    if (!ready->Database && DatabaseChangesPending()) {
        if (!FdatabaseEnabled) {
            FdbRemovedFiles.clear();
            FdbWrites.clear();
        } else if (TakeDatabaseChanges(ready->DbRemovedFiles, ready->DbRows)) {
            ready->DbChanges = true;
        } else {
            FpendingDatabase = true;  // a rebuild follows this save
            PostSaveStep();
        }
    }
    HandToWorker(std::move(ready));
}

bool TcustomJukeboxList::SaveSlice(TsaveRun& run) {
    const auto start = std::chrono::steady_clock::now();
    const auto sliceTime = FsaveSliceTime;
    auto timeUp = [&] { return std::chrono::steady_clock::now() - start >= sliceTime; };
    auto wait = [&] { return !(run.Waiting = true); };
    run.Waiting = false;
    const std::vector<TaudioTagPtr>& tags = FglobalList->Items();
    if (run.Stage == 0) {
        if (run.List && run.Patch) {
            // Run.Next is the list position where the piece being made starts.
            TlistFilePatch& patch = *run.Patch;
            while (run.Piece < patch.Pieces.size()) {
                const TlistFilePiece& piece = patch.Pieces[run.Piece];
                for (size_t n = 0; piece.Fresh() && run.InPiece < piece.Count; ++n) {
                    if (n == kTracksPerClockCheck) {
                        if (timeUp()) return false;
                        n = 0;
                    }
                    TbyteWriter& record = run.Scratch;
                    record.Bytes().clear();
                    WriteAudioTagRecord(record, *tags[run.Next + run.InPiece++]);
                    patch.Fresh += record.Bytes();
                    patch.FreshLengths.push_back(uint32_t(record.Bytes().size()));
                }
                run.Next += piece.Count;
                ++run.Piece;
                run.InPiece = 0;
            }
        } else if (run.List) {
            if (!run.Library->Resume()) return wait();
            while (run.Next < tags.size()) {
                const size_t end = std::min(tags.size(), run.Next + kTracksPerClockCheck);
                while (run.Next < end) {
                    const TaudioTag& tag = *tags[run.Next++];
                    if (!run.CdTracks.empty() && run.CdTracks.count(&tag)) continue;
                    TbyteWriter& record = run.Library->Record();
                    WriteAudioTagRecord(record, tag);
                    if (run.Lengths) run.Lengths->push_back(uint32_t(record.Bytes().size()));
                    ++run.Written;
                    if (!run.Library->Keep()) return wait();
                }
                if (run.Next < tags.size() && timeUp()) return false;
            }
            run.Library->Flush();
        }
        run.Stage = 1;
        run.Next = 0;
        if (timeUp()) return false;
    }
    if (run.Stage == 1) {
        if (run.Indexes && IndexesWanted()) {
            const std::pair<const char*, TaudioTagListList*> files[] = {
                {"albums.idx", FalbumList.get()}, {"artists.idx", FartistList.get()},
                {"titles.idx", FtitleList.get()}, {"genres.idx", FgenreList.get()},
                {"years.idx", FyearList.get()}};
            // A bounded piece at a time: a large library has hundreds of thousands of
            // albums, and a genre many thousands of tracks.
            if (run.Index && !run.Index->Resume()) return wait();
            while (run.Next < std::size(files)) {
                const TaudioTagListList& grouping = *files[run.Next].second;
                TsaveRun::TindexSave& save = run.IndexSaves[run.Next];
                if (!save.Started) {
                    save.Started = true;
                    save.Map = std::make_shared<TindexFileMap>();
                    save.Map->Lists.reserve(size_t(grouping.Count()));
                    save.Map->Changes.reserve(size_t(grouping.Count()));
                    if (!FindexFiles[run.Next].Maps.empty()) {
                        save.Old = FindexFiles[run.Next].Maps.back();
                        save.Patch = std::make_unique<TlistFilePatch>();
                        save.Patch->Base = save.Old->Write;
                        TbyteWriter head;
                        TindexFileWriter(grouping).WriteNext(head);
                        save.Patch->Head = std::move(head.Bytes());
                    } else {
                        run.IndexWriter = std::make_unique<TindexFileWriter>(grouping);
                        run.Index = std::make_unique<TfileStream>(DataFile(files[run.Next].first), *Fworker,
                                                                  FblockPool, Fwake);
                    }
                }
                if (save.Patch) {
                    // An entry whose list is where it was, unchanged, is copied (the worker
                    // checks its name and track count); any other is made here.
                    constexpr size_t kLookAhead = 16;
                    TlistFilePatch& patch = *save.Patch;
                    const TindexFileMap& old = *save.Old;
                    for (size_t n = 0; save.At < size_t(grouping.Count()); ++n) {
                        if (n == kTracksPerClockCheck) {
                            if (timeUp()) return false;
                            n = 0;
                        }
                        const int i = int(save.At++);
                        const TaudioTagListPtr list = grouping.GetList(i);
                        save.Map->Lists.push_back(list.get());
                        save.Map->Changes.push_back(list->ChangeCount());
                        size_t j = save.OldAt;
                        const size_t last = std::min(old.Lists.size(), j + kLookAhead);
                        while (j < last && old.Lists[j] != list.get()) ++j;
                        if (j < last) {
                            save.OldAt = j + 1;
                            if (old.Changes[j] == list->ChangeCount()) {
                                TbyteWriter& names = run.Scratch;
                                names.Bytes().clear();
                                WriteText(names, list->Title());
                                if (run.Next == 0) {
                                    const auto* album = dynamic_cast<const TaudioTagAlbum*>(list.get());
                                    WriteText(names, album ? album->AlbumArtist : std::string());
                                }
                                patch.Checks.push_back(IndexEntryCheck(names.Bytes(), int32_t(list->Count())));
                                AppendListFilePiece(patch.Pieces, {int64_t(j), 1});
                                continue;
                            }
                        }
                        TbyteWriter& entry = run.Scratch;
                        entry.Bytes().clear();
                        TindexFileWriter one(grouping, i);
                        while (one.WriteNext(entry)) {
                        }
                        patch.Fresh += entry.Bytes();
                        patch.FreshLengths.push_back(uint32_t(entry.Bytes().size()));
                        AppendListFilePiece(patch.Pieces, {-1, 1});
                    }
                } else {
                    bool more = true;
                    for (size_t n = 0; more && n < kTracksPerClockCheck; ++n) {
                        more = run.IndexWriter->WriteNext(run.Index->Record());
                        if (!run.Index->Keep()) return wait();
                    }
                    if (more) {
                        if (timeUp()) return false;
                        continue;
                    }
                    run.Index->Flush();
                    save.Stream = std::move(run.Index);
                    run.IndexWriter.reset();
                    // The lists as written, for the next save to copy their entries.
                    for (int i = 0; i < grouping.Count(); ++i) {
                        const TaudioTagListPtr list = grouping.GetList(i);
                        save.Map->Lists.push_back(list.get());
                        save.Map->Changes.push_back(list->ChangeCount());
                    }
                }
                ++run.Next;
                if (timeUp()) return false;
            }
        } else if (run.Indexes && FenableIndexes) {
            run.RemoveIndexFiles = true;
        }
        run.Stage = 2;
        run.Next = 0;
    }
    if (run.Stage == 2) {
        // The export holds the whole global list, CD tracks too.
        if (run.Database) {
            if (!run.Csv->Resume()) return wait();
            while (run.Next < tags.size()) {
                const size_t end = std::min(tags.size(), run.Next + kTracksPerClockCheck);
                while (run.Next < end) {
                    std::string& row = run.Csv->Record().Bytes();
                    tags[run.Next++]->GetCSVRow(row);
                    row += ",\n";  // an empty playlist name
                    if (!run.Csv->Keep()) return wait();
                }
                if (run.Next < tags.size() && timeUp()) return false;
            }
            run.Csv->Flush();
        }
        run.Stage = 3;
    }
    return true;
}

namespace {
// The second name of the database a background rebuild replaces, until it is let go.
std::string RetiredDatabaseName(const std::string& databaseFile) { return databaseFile + ".old"; }
}  // namespace

void TcustomJukeboxList::HandToWorker(std::shared_ptr<TsaveRun> run) {
    const bool indexes = std::any_of(run->IndexSaves.begin(), run->IndexSaves.end(),
                                     [](const TsaveRun::TindexSave& save) { return save.Started; });
    if (!run->List && !indexes && !run->RemoveIndexFiles && !run->Database && !run->DbChanges) return;
    ++FworkerResults;
    std::weak_ptr<bool> alive = Falive;
    const std::string folder = FdataFolder;
    const size_t total = FglobalList->Items().size();
    // The list and the groupings as they are now stand to this write as it is.
    run->ListWrite = ++FlistWrites;
    if (run->List && run->CdTracks.empty()) {
        FlistMaps.push_back({run->ListWrite, {}});
        AppendListFilePiece(FlistMaps.back().Pieces, {0, uint32_t(total)});
    }
    std::array<std::shared_ptr<TlistFileLedger>, std::size(kIndexFiles)> indexLedgers;
    for (size_t k = 0; k < indexLedgers.size(); ++k) {
        indexLedgers[k] = FindexFiles[k].Ledger;
        if (!run->IndexSaves[k].Started) continue;
        run->IndexSaves[k].Map->Write = run->ListWrite;
        FindexFiles[k].Maps.push_back(run->IndexSaves[k].Map);
    }
    // Runs after the blocks of every file: the worker takes jobs in order.
    Fworker->Run([this, alive, run, folder, total, ledger = FlistLedger, listFile = DataFile("jukebox.dat"),
                  indexLedgers] {
        std::vector<std::string> errors;
        std::error_code ec;
        std::string error;
        bool listWritten = true, listStale = false;
        int64_t storedSize = -1;
        if (run->List && run->Patch) {
            switch (WriteListFilePatch(listFile, *run->Patch, run->ListWrite, *ledger, storedSize, &error,
                                       FindListFileRecords)) {
                case TlistPatchResult::lprWritten:
                    break;
                case TlistPatchResult::lprFailed:
                    errors.push_back("Cannot write " + listFile + ": " + error);
                    listWritten = false;
                    break;
                case TlistPatchResult::lprStale:
                    // Not the file the records were to be copied from: made anew instead.
                    listWritten = false;
                    listStale = true;
                    break;
            }
        } else if (run->List) {
            const std::shared_ptr<TsafeFileWriter>& file = run->Library->File();
            if (size_t(run->Written) != total) {
                TbyteWriter count;
                count.WriteI32(run->Written);
                file->Patch(run->CountOffset, count.Bytes());
            }
            if (!file->Commit(&error)) {
                errors.push_back("Cannot write " + run->Library->Path() + ": " + error);
                listWritten = false;
            } else {
                TfileStamp stamp;
                if (run->Lengths && StampOfFile(listFile, stamp))
                    ledger->Set({run->ListWrite, stamp, uint32_t(run->Lengths->size()), run->HeadBytes,
                                 std::move(run->Lengths)});
                else
                    ledger->Forget();
            }
        }
        // The index files are only used when not older than "jukebox.dat".
        enum : uint8_t { kNone, kWritten, kFailed, kStale };
        std::array<uint8_t, std::size(kIndexFiles)> indexResults{};
        constexpr TentryFinder kFinders[] = {FindAlbumIndexEntries, FindArtistIndexEntries, FindArtistIndexEntries,
                                             FindCategoryIndexEntries, FindCategoryIndexEntries};
        for (size_t k = 0; k < run->IndexSaves.size(); ++k) {
            TsaveRun::TindexSave& save = run->IndexSaves[k];
            if (!save.Started) continue;
            indexResults[k] = kFailed;
            if (!listWritten) continue;
            const std::string path = (std::filesystem::path(folder) / kIndexFiles[k]).string();
            if (save.Patch) {
                int64_t size = 0;
                switch (WriteListFilePatch(path, *save.Patch, run->ListWrite, *indexLedgers[k], size, &error,
                                           kFinders[k])) {
                    case TlistPatchResult::lprWritten:
                        indexResults[k] = kWritten;
                        break;
                    case TlistPatchResult::lprFailed:
                        errors.push_back("Cannot write " + path + ": " + error);
                        break;
                    case TlistPatchResult::lprStale:
                        indexResults[k] = kStale;
                        break;
                }
            } else if (save.Stream) {
                if (!save.Stream->File()->Commit(&error)) {
                    errors.push_back("Cannot write " + save.Stream->Path() + ": " + error);
                    continue;
                }
                indexResults[k] = kWritten;
                TfileStamp stamp;
                if (StampOfFile(path, stamp))
                    indexLedgers[k]->Set({run->ListWrite, stamp, uint32_t(save.Map->Lists.size()), 0, nullptr});
                else
                    indexLedgers[k]->Forget();
            }
            save.Stream.reset();
        }
        if (run->RemoveIndexFiles)
            for (const char* file : kIndexFiles) std::filesystem::remove(std::filesystem::path(folder) / file, ec);
        bool built = false;
        if (run->Database) {
            const std::string& csvFile = run->Csv->Path();
            if (!run->Csv->File()->Commit(&error)) {
                errors.push_back("Cannot export the library to " + csvFile + ": " + error);
            } else {
                // The connection in use holds the old file open. A second name for it means
                // that closing that connection on the main thread does not make the file
                // system free a large file there; the name is removed here, afterwards.
                std::filesystem::remove(RetiredDatabaseName(run->DatabaseFile), ec);
                std::filesystem::create_hard_link(run->DatabaseFile, RetiredDatabaseName(run->DatabaseFile), ec);
                TjukeboxDB database;  // built beside the one in use and renamed over it
                built = database.Build(run->DatabaseFile, csvFile);
                if (!built) errors.push_back("Cannot build " + run->DatabaseFile + ": " + database.LastError());
            }
        }
        // Written after "jukebox.dat", so the database is not older than the list it holds.
        bool followed = true;
        if (run->DbChanges) {
            TjukeboxDB writer;
            followed = writer.ApplyChanges(run->DatabaseFile, run->DbRemovedFiles, run->DbRows);
            if (!followed) errors.push_back("Cannot update " + run->DatabaseFile + ": " + writer.LastError());
        }
        const bool rebuilt = run->Database;
        const bool list = run->List, indexes = run->Indexes;
        const uint64_t listWrite = run->ListWrite;
        Dispatcher().Post([this, alive, errors, built, rebuilt, followed, database = run->DatabaseFile, list, indexes,
                           listWrite, listWritten, listStale, storedSize, indexResults] {
            const auto live = alive.lock();
            if (!live || !*live) return;
            --FworkerResults;
            for (const auto& e : errors) LogError(e);
            if (list) {
                // Written: the file on disk is this write; else the one before is still there.
                std::erase_if(FlistMaps, [&](const TlistFileMap& map) {
                    return listWritten ? map.Write < listWrite : map.Write == listWrite;
                });
                if (listWritten && storedSize >= 0) FglobalList->SetStoredSize(storedSize);
                if (listStale) {
                    ForgetListFile();
                    FpendingList = true;
                    FpendingIndexes |= indexes;  // not written before the list file is
                    PostSaveStep();
                }
            }
            for (size_t k = 0; k < indexResults.size(); ++k) {
                if (indexResults[k] == kNone) continue;
                auto& maps = FindexFiles[k].Maps;
                if (indexResults[k] == kStale) {
                    // Not the file its entries were to be copied from: written whole next.
                    maps.clear();
                    FindexFiles[k].Ledger->Forget();
                    FpendingIndexes = true;
                    PostSaveStep();
                    continue;
                }
                const bool written = indexResults[k] == kWritten;
                std::erase_if(maps, [&](const std::shared_ptr<TindexFileMap>& map) {
                    return written ? map->Write < listWrite : map->Write == listWrite;
                });
            }
            // A rebuild holds the list as it was handed over; later changes were noted
            // or asked for a rebuild of their own.
            if (rebuilt && built && followed) FdatabaseFollows = true;
            if ((rebuilt && !built) || !followed) {
                // The database no longer holds the list as filed: the next change rebuilds
                // it, and a failed update (its old rows kept) is mended by a rebuild now.
                FdatabaseFollows = false;
                if (!followed && FdatabaseEnabled) ScheduleSave(false, false, true);
            }
            // The connection moves to the new file; queries until now ran on the old one.
            if (built && FdatabaseEnabled) Fdatabase->Open(database);
            if (Fworker)
                Fworker->Run([retired = RetiredDatabaseName(database)] {
                    std::error_code ignored;
                    std::filesystem::remove(retired, ignored);
                });
        });
    });
}

void TcustomJukeboxList::SetLoading(bool loading) {
    Floading = loading;
    // A save asked for while loading waits for the load to end.
    if (!loading && FsaveInBackground && (FpendingList || FpendingIndexes || FpendingDatabase)) PostSaveStep();
}

void TcustomJukeboxList::FinishPendingSaves() {
    if (Fworker) Fworker->Wait();
    const bool list = FpendingList || (Frun && Frun->List);
    const bool indexes = FpendingIndexes || (Frun && Frun->Indexes);
    FpendingList = FpendingIndexes = FpendingDatabase = false;
    Frun.reset();
    // What a change asked for is not lost at close-down; the database, older than
    // "jukebox.dat" then, is built again at the next start.
    if (list && !FdataFolder.empty()) WriteGlobalList();
    if ((list || indexes) && IndexesWanted() && FglobalList->UpdateCount() == 0) SaveIndexFiles();
    if (FdatabaseEnabled && DatabaseChangesPending() && FglobalList->UpdateCount() == 0) {
        std::vector<std::string> removedFiles;
        std::string rows;
        TjukeboxDB writer;
        const std::string database = DataFile("jukebox.mdb");
        if (!TakeDatabaseChanges(removedFiles, rows) || !writer.ApplyChanges(database, removedFiles, rows)) {
            // A database that misses changes must not be taken as current at the next start.
            std::error_code ec;
            std::filesystem::remove(database, ec);
        }
    }
}

bool TcustomJukeboxList::SaveVideoList() { return SaveListFile(*FvideoList, DataFile("vidlist.dat")); }

bool TcustomJukeboxList::SavePlaylists() { return SaveListsFile(*Fplaylists, DataFile("playlists.dat")); }

bool TcustomJukeboxList::SavePopularList() {
    TaudioTagList counts;
    for (int i = 0; i < FpopularList->Count(); ++i) counts.Add(FpopularList->GetTag(i));
    return SaveListFile(counts, DataFile("poplist.dat"));
}

void TcustomJukeboxList::LoadInternetRadio() {
    const std::string name = DataFile("internetradio.dat");
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return;
    FloadingURLs = true;
    FurlList->LoadFromFile(name);
    FloadingURLs = false;
}

void TcustomJukeboxList::LoadRules() {
    FruleSets->LoadFromFile(DataFile("rules.dat"));
    FdbRules->LoadFromFile(DataFile("dbrules.dat"));
}

bool TcustomJukeboxList::SaveRules() {
    const std::string rules = DataFile("rules.dat"), dbRules = DataFile("dbrules.dat");
    const bool ok = SaveList(rules, [&](std::string* e) { return FruleSets->SaveToFile(rules, e); });
    return SaveList(dbRules, [&](std::string* e) { return FdbRules->SaveToFile(dbRules, e); }) && ok;
}

void TcustomJukeboxList::SaveAll() {
    SaveGlobalList();
    SavePlaylists();
}

void TcustomJukeboxList::CountPlay(const TaudioTag& tag) {
    FpopularList->Add(tag.Clone());
    // A damaged play-count file is kept until it can be read again.
    if (FpopularLoadFailed || *FpopularSavePending) return;
    *FpopularSavePending = true;
    std::weak_ptr<bool> pending = FpopularSavePending;
    Dispatcher().Post([this, pending] {
        const auto alive = pending.lock();
        if (!alive || !*alive) return;
        *alive = false;
        SavePopularList();
    });
}

TDateTime TcustomJukeboxList::GetJukeboxFileDate() const { return FileDate(DataFile("jukebox.dat")); }
TDateTime TcustomJukeboxList::GetPlaylistsFileDate() const { return FileDate(DataFile("playlists.dat")); }

const TdbRules* TcustomJukeboxList::FindDBRule(const std::string& name) const {
    return FdbRules->RuleByName(name).get();
}

bool TcustomJukeboxList::RunQueryRule(const TdbRules& rule, TaudioTagList& dest) {
    if (!Fdatabase->Connected() && !OpenDatabase()) {
        dest.Clear();
        const std::string reason = Fdatabase->LastError().empty() ? "Not Connected" : Fdatabase->LastError();
        Prompt().ShowMessage(QueryErrorText(reason + "\r\n"), kQueryErrorTitle);
        return false;
    }
    return FillFromQueryRule(rule, *Fdatabase, dest);
}

// ---- Database -------------------------------------------------------------------

void TcustomJukeboxList::SwitchDatabase(bool on) {
    if (on == FdatabaseEnabled) return;
    SetDatabaseEnabled(on);
    if (!on) {
        CloseDatabase();
        return;
    }
    if (Floading) return;  // the load that is under way opens or builds it
    // Built on the save worker when the library saves in the background, so the playing
    // screen never waits on a large library's export.
    if (FsaveInBackground)
        ScheduleSave(false, false, true);
    else
        BuildDatabase();
}

void TcustomJukeboxList::BuildDatabase() {
    if (!FdatabaseEnabled) return;
    CloseDatabase();
    const std::string csv = DataFile("jukebox.csv"), database = DataFile("jukebox.mdb");
    std::string error;
    std::error_code ec;
    std::filesystem::create_directories(FdataFolder, ec);
    FdbRemovedFiles.clear();
    FdbWrites.clear();
    FdatabaseFollows = false;
    if (!ExportCSV(*FglobalList, csv, false, "", &error)) {
        LogError("Cannot export the library to " + csv + ": " + error);
        OpenDatabase();  // the previous database still answers
        return;
    }
    if (!Fdatabase->Build(database, csv)) {
        LogError("Cannot build " + database + ": " + Fdatabase->LastError());
        return;
    }
    FdatabaseFollows = true;
}

bool TcustomJukeboxList::NoteDatabaseChanges() {
    if (Ffiled.empty()) return false;
    const auto& items = FglobalList->Items();
    // Beyond this many tracks a rebuild is as quick and surely right.
    constexpr size_t kMostRows = 1000;
    // The list as filed, less the removed tracks, then the appended ones: anything else
    // (a reorder, an insertion) is rebuilt.
    std::vector<const TaudioTag*> removed;
    size_t kept = 0;
    for (const TaudioTag* filed : Ffiled) {
        if (kept < items.size() && items[kept].get() == filed) {
            ++kept;
            continue;
        }
        removed.push_back(filed);
        if (removed.size() > kMostRows) return false;
    }
    if (removed.empty() && FeditNotes.empty() && kept == items.size()) return false;  // an edit nobody noted
    if (removed.size() + FeditNotes.size() + (items.size() - kept) > kMostRows) return false;
    std::unordered_set<const TaudioTag*> removedSet(removed.begin(), removed.end());
    for (size_t i = kept; i < items.size(); ++i)
        if (removedSet.count(items[i].get())) return false;  // moved to the end
    // The rows stand under the names the tracks had when filed.
    std::unordered_map<const TaudioTag*, const TaudioTag*> before;
    for (const auto& [tag, copy] : FeditNotes) before.emplace(tag.get(), copy.get());
    auto filedName = [&before](const TaudioTag* tag) -> const std::string& {
        const auto it = before.find(tag);
        return it == before.end() ? tag->Filename() : it->second->Filename();
    };
    auto write = [this](const TaudioTagPtr& tag) {
        for (const TaudioTagPtr& pending : FdbWrites)
            if (pending == tag) return;
        FdbWrites.push_back(tag);
    };
    for (const TaudioTag* tag : removed) {
        FdbRemovedFiles.push_back(filedName(tag));
        std::erase_if(FdbWrites, [tag](const TaudioTagPtr& pending) { return pending.get() == tag; });
    }
    for (const auto& [tag, copy] : FeditNotes) {
        if (removedSet.count(tag.get())) continue;
        FdbRemovedFiles.push_back(copy->Filename());
        write(tag);
    }
    for (size_t i = kept; i < items.size(); ++i) write(items[i]);
    return true;
}

bool TcustomJukeboxList::TakeDatabaseChanges(std::vector<std::string>& removedFiles, std::string& rows) {
    removedFiles = std::move(FdbRemovedFiles);
    std::vector<TaudioTagPtr> writes = std::move(FdbWrites);
    FdbRemovedFiles.clear();
    FdbWrites.clear();
    std::unordered_set<const TaudioTag*> writing;
    for (const TaudioTagPtr& tag : writes) writing.insert(tag.get());
    // Removing a file's rows removes those of every track of that name: the one the
    // library still has under it is written again. A name of several tracks is left
    // to a rebuild.
    FfileIndex->Ready();
    for (const std::string& file : removedFiles) {
        if (FsharedFileNames.count(file)) return false;
        int at = 0;
        if (!FfileIndex->Find(file, at)) continue;
        const TaudioTagPtr& tag = FfileIndex->Tag(at);
        if (writing.insert(tag.get()).second) writes.push_back(tag);
    }
    rows.clear();
    for (const TaudioTagPtr& tag : writes) {
        tag->GetCSVRow(rows);
        rows += ",\n";  // an empty playlist name
    }
    return true;
}

void TcustomJukeboxList::ApplyDatabaseChangesNow() {
    if (!DatabaseChangesPending()) return;
    std::vector<std::string> removedFiles;
    std::string rows;
    if (!TakeDatabaseChanges(removedFiles, rows)) {
        BuildDatabase();
        return;
    }
    TjukeboxDB writer;
    if (writer.ApplyChanges(DataFile("jukebox.mdb"), removedFiles, rows)) return;
    LogError("Cannot update " + DataFile("jukebox.mdb") + ": " + writer.LastError());
    BuildDatabase();
}

bool TcustomJukeboxList::OpenDatabase() { return Fdatabase->Open(DataFile("jukebox.mdb")); }

void TcustomJukeboxList::CloseDatabase() { Fdatabase->Close(); }

// ---- Settings -------------------------------------------------------------------

void TcustomJukeboxList::LoadSettings(const TiniFile& ini, const std::string& section) {
    FromCommaText(*FaudioFolders, ini.ReadString(section, "AudioFolders", ""));
    FromCommaText(*FvideoFolders, ini.ReadString(section, "VideoFolders", ""));
    FromCommaText(*FaudioImportList, ini.ReadString(section, "AudioImportList", ""));
    FromCommaText(*FvideoImportList, ini.ReadString(section, "VideoImportList", ""));
    TaudioTagList& g = *FglobalList;
    g.SetUseAudioFileMask(ini.ReadBool(section, "UseAudioMask", false));
    g.SetAudioFileMask(ini.ReadString(section, "AudioMask", g.AudioFileMask()));
    g.SetUseVideoFileMask(ini.ReadBool(section, "UseVideoMask", false));
    g.SetVideoFileMask(ini.ReadString(section, "VideoMask", g.VideoFileMask()));
    g.SetAlbumFromParentFolder(ini.ReadBool(section, "AlbumFromParentFolder", g.AlbumFromParentFolder()));
    g.SetArtistFromParentFolder(ini.ReadBool(section, "ArtistFromParentFolder", g.ArtistFromParentFolder()));
    g.SetOverrideTagInfo(ini.ReadBool(section, "AlwaysOverrideWithFileMasks", false));
    FartistList->MapThe = ini.ReadBool(section, "ArtistMappingsMapThe", true);
    FartistList->MappingsNoDuplicates = ini.ReadBool(section, "ArtistMappingsNoDuplicates", false);
    FyearList->Mode = ini.ReadInteger(section, "YearMode", 0) == 1 ? ymDecades : ymYears;
    FenableIndexes = ini.ReadBool(section, "EnableIndexes", true);
    SetDatabaseEnabled(ini.ReadBool(section, "DatabaseEnabled", false));
    FvideoList->SetVideoFileMask(ini.ReadString(section, "VideoListMask", "%t"));
    FvideoList->SetAlbumFromParentFolder(ini.ReadBool(section, "VideoListFolderAsGenre", true));
}

void TcustomJukeboxList::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteString(section, "AudioFolders", ToCommaText(*FaudioFolders));
    ini.WriteString(section, "VideoFolders", ToCommaText(*FvideoFolders));
    ini.WriteString(section, "AudioImportList", ToCommaText(*FaudioImportList));
    ini.WriteString(section, "VideoImportList", ToCommaText(*FvideoImportList));
    const TaudioTagList& g = *FglobalList;
    ini.WriteBool(section, "UseAudioMask", g.UseAudioFileMask());
    ini.WriteString(section, "AudioMask", g.AudioFileMask());
    ini.WriteBool(section, "UseVideoMask", g.UseVideoFileMask());
    ini.WriteString(section, "VideoMask", g.VideoFileMask());
    ini.WriteBool(section, "AlbumFromParentFolder", g.AlbumFromParentFolder());
    ini.WriteBool(section, "ArtistFromParentFolder", g.ArtistFromParentFolder());
    ini.WriteBool(section, "AlwaysOverrideWithFileMasks", g.OverrideTagInfo());
    ini.WriteBool(section, "ArtistMappingsMapThe", FartistList->MapThe);
    ini.WriteBool(section, "ArtistMappingsNoDuplicates", FartistList->MappingsNoDuplicates);
    ini.WriteInteger(section, "YearMode", FyearList->Mode == ymDecades ? 1 : 0);
    ini.WriteBool(section, "EnableIndexes", FenableIndexes);
    ini.WriteBool(section, "DatabaseEnabled", FdatabaseEnabled);
    ini.WriteString(section, "VideoListMask", FvideoList->VideoFileMask());
    ini.WriteBool(section, "VideoListFolderAsGenre", FvideoList->AlbumFromParentFolder());
}

// ---- The local form -------------------------------------------------------------

TcustomlocalJukeboxList::TcustomlocalJukeboxList() {
    Fjukebox = std::make_unique<TlocalJukebox>();
    Fjukebox->SetOwner(this);
    auto relay = [this](TaudioTagList& list) {
        list.OnListProcessStart = [this](TObject*, const std::string& text) { ProcessStart(text); };
        list.OnListProcess = [this](TObject*, int i, int n, const TaudioTagPtr& t) { Process(i, n, t); };
        list.OnListProcessFinished = [this](TObject*) { ProcessFinished(); };
    };
    relay(Fjukebox->Queue());
    relay(Fjukebox->Playlist());
    relay(Fjukebox->RandomList());
}

TcustomlocalJukeboxList::~TcustomlocalJukeboxList() {
    Fdestroying = true;
    Fjukebox.reset();
}

void TcustomlocalJukeboxList::JukeboxDestroyed(TcustomJukebox* jukebox) {
    if (jukebox == Fjukebox.get() && !Fdestroying) Fjukebox.release();
}

void TcustomlocalJukeboxList::SetVideoSupport(bool on) {
    TcustomJukeboxList::SetVideoSupport(on);
    if (Fjukebox) Fjukebox->Queue().SetMediaSupportLevel(GlobalList().MediaSupportLevel());
}

void TcustomlocalJukeboxList::SetEvents(TcustomJukeboxListEvents* events) {
    TcustomJukeboxList::SetEvents(events);
    if (!Fjukebox) return;
    Fjukebox->SetPlayerEvents(events ? events->PlayerEvents : nullptr);
    Fjukebox->SetEvents(events ? events->JukeboxEvents : nullptr);
}

void TcustomlocalJukeboxList::SetLoading(bool loading) {
    TcustomJukeboxList::SetLoading(loading);
    if (Fjukebox) Fjukebox->SetLibraryLoading(loading);
}

void TcustomlocalJukeboxList::ProcessTags() {
    TcustomJukeboxList::ProcessTags();
    if (Fjukebox) Fjukebox->RefillRandomList();
}

void TcustomlocalJukeboxList::PlaylistsChanged() {
    TcustomJukeboxList::PlaylistsChanged();
    if (Fjukebox) Fjukebox->PlaylistsChanged();
}

void TcustomlocalJukeboxList::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomJukeboxList::LoadSettings(ini, section);
    if (Fjukebox) Fjukebox->LoadSettings(ini, section);
}

void TcustomlocalJukeboxList::SaveSettings(TiniFile& ini, const std::string& section) const {
    TcustomJukeboxList::SaveSettings(ini, section);
    if (Fjukebox) Fjukebox->SaveSettings(ini, section);
}

}  // namespace tunecrest
