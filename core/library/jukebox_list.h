#pragma once
// The media library: the data folder, the audio and video folders, the global list of
// all audio tracks with its file-name index, the video list, the named playlists, the
// play counts and the import lists. It loads and saves them in the data folder,
// rebuilds what depends on the global list when it changes and reports changes and
// progress through its event sink. The local form owns the one jukebox and carries
// out everything the windows do to the play state (queue, stacker, playlists).
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/background_worker.h"
#include "core/jukebox/jukebox.h"
#include "core/library/album_artist_groupings.h"
#include "core/tags/file_keyed_tag_lists.h"
#include "core/library/file_name_index.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/grouping_index_files.h"
#include "core/library/list_file_patch.h"
#include "core/database/media_database.h"
#include "core/database/query_rules.h"
#include "core/base/safe_file.h"
#include "core/library/url_list.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"

namespace tunecrest {

class TiniFile;
class TsaveBlockPool;

// The library's event sink; each event fires only when assigned, with the library as sender.
class TcustomJukeboxListEvents : public TObject {
  public:
    TNotifyEvent OnGlobalListChange;
    TNotifyEvent OnPlaylistsChange;
    TNotifyEvent OnVideoListChange;
    TNotifyEvent OnURLsChange;
    TNotifyEvent OnListProcessFinished;
    TaudioTagListProcessEvent OnListProcess;
    TaudioTagListProcessStartEvent OnListProcessStart;
    TlistPlaylistChangeEvent OnPlaylistListChange;
    TcustomJukeboxEvents* JukeboxEvents = nullptr;
    TcustomMediaPlayerEvents* PlayerEvents = nullptr;
};

class TcustomJukeboxList : public TObject {
  public:
    TcustomJukeboxList();
    ~TcustomJukeboxList() override;
    TcustomJukeboxList(const TcustomJukeboxList&) = delete;
    TcustomJukeboxList& operator=(const TcustomJukeboxList&) = delete;

    const std::string& DataFolder() const { return FdataFolder; }
    virtual void SetDataFolder(const std::string& folder) { FdataFolder = folder; }
    std::string DataFile(const std::string& name) const;

    TaudioTagList& GlobalList() { return *FglobalList; }
    TaudioTagList& VideoList() { return *FvideoList; }
    TaudioTagPlaylistList& Playlists() { return *Fplaylists; }
    TfileNameIndex& FileIndex() { return *FfileIndex; }
    TfileNameIndex& VideoFileIndex() { return *FvideoFileIndex; }
    TmyStringList& AudioFolders() { return *FaudioFolders; }
    TmyStringList& VideoFolders() { return *FvideoFolders; }
    TmyStringList& AudioImportList() { return *FaudioImportList; }
    TmyStringList& VideoImportList() { return *FvideoImportList; }
    TpopularityTagList& PopularList() { return *FpopularList; }
    TaudioTagAlbumList& AlbumList() { return *FalbumList; }
    TaudioTagArtistList& ArtistList() { return *FartistList; }
    TaudioTagArtistList& TitleList() { return *FtitleList; }
    TaudioTagGenreList& GenreList() { return *FgenreList; }
    TaudioTagGenreList& VideoGenreList() { return *FvideoGenreList; }
    TaudioTagYearList& YearList() { return *FyearList; }
    TurlList& URLList() { return *FurlList; }
    TtagListRulesCollection& RuleSets() { return *FruleSets; }
    TjukeboxDB& Database() { return *Fdatabase; }
    TdbRulesList& DBRules() { return *FdbRules; }

    // Destruction notice: each handler runs (with the library as sender) when the library
    // is destroyed, so that objects linking to it can forget it.
    TnotifyEventList::Key AddFreeNotification(TNotifyEvent handler) {
        return FfreeNotices.Add(std::move(handler));
    }
    void RemoveFreeNotification(TnotifyEventList::Key key) { FfreeNotices.Remove(key); }

    TcustomJukeboxListEvents* Events() const { return Fevents; }
    virtual void SetEvents(TcustomJukeboxListEvents* events) { Fevents = events; }

    bool VideoSupport() const { return (FglobalList->MediaSupportLevel() & 2) != 0; }
    virtual void SetVideoSupport(bool on);
    bool Loading() const { return Floading; }
    bool LoadingPlaylists() const { return FloadingPlaylists; }
    bool LoadingVideo() const { return FloadingVideo; }
    bool IndexesLoaded() const { return FindexesLoaded; }
    bool EnableIndexes() const { return FenableIndexes; }
    void SetEnableIndexes(bool on) { FenableIndexes = on; }
    // Helper threads that load the index files with the loading thread; -1 (the start)
    // lets the library's size decide. Tests set it to take either road with a small library.
    void SetLoadHelpers(int helpers) { FloadHelpers = helpers; }
    bool DatabaseEnabled() const { return FdatabaseEnabled; }
    void SetDatabaseEnabled(bool on) {
        if (on && !FdatabaseEnabled) FdatabaseFollows = false;  // built anew at the next change
        FdatabaseEnabled = on;
    }
    // Switched by the person: on, the database is built at once (on the save worker when
    // saving in the background), so that query rules answer without waiting for a change
    // of the library; off, it is closed.
    void SwitchDatabase(bool on);

    bool AutoSaveGlobal = false;
    bool AutoSaveURLs = false;
    bool LoadGenres = true;
    bool LoadYears = true;
    bool LoadCDs = false;
    bool AutoSavePlaylists = false;
    bool AutoSaveVideoList = false;
    bool IsUpdating = false;
    bool LoadArtistsAlbums = true;

    virtual void ProcessTags();
    virtual void ProcessVideo();
    virtual void PlaylistsChanged();
    virtual void JukeboxDestroyed(TcustomJukebox* jukebox) = 0;
    virtual void LoadLibrary();
    virtual void SaveAll();
    virtual void LoadSettings(const TiniFile& ini, const std::string& section);
    virtual void SaveSettings(TiniFile& ini, const std::string& section) const;

    // Edits of tracks in place. NoteTrackEdit goes before a track of the global list is
    // changed (its filing fields as they are now are kept); the next change notice of the
    // global list then moves only the noted tracks in the groupings. A change notice with
    // no noted edit and no track added or removed files every track anew.
    void NoteTrackEdit(const TaudioTagPtr& tag);
    // Notes the edit, copies `values` into the track (keeping its number) and reports
    // the change of the global list (once, at the end of an update bracket).
    void EditTrack(const TaudioTagPtr& tag, const TaudioTag& values);

    void LoadIndexes();
    void LoadCDLists();
    // Writes the list of the disc mounted at `root` as its CD list (named by the disc's
    // volume serial, with the mount root stored for LoadCDLists). False when the disc's
    // serial cannot be read or the write fails.
    bool SaveCDList(TaudioTagList& list, const std::string& root);
    void LoadVideoList();
    void LoadPlaylists();
    void LoadPopularList();
    void LoadInternetRadio();
    void LoadRules();
    bool SaveGlobalList();
    bool SaveVideoList();
    bool SavePlaylists();
    bool SavePopularList();
    bool SaveRules();
    void ReprocessTags();
    // Rebuilds only the year list (after its mode changed).
    void ReprocessYears();
    // "jukebox.csv" exported from the global list and "jukebox.mdb" built from it; only
    // with the database enabled. A failed build keeps the previous database. After a
    // build the database follows each change of the global list by the rows that
    // changed (one transaction, on the worker when saving in the background); a large
    // change, a reorder or one nobody noted is rebuilt.
    void BuildDatabase();
    bool OpenDatabase();
    void CloseDatabase();
    // Saving after a change of the global list. With SaveInBackground (the program's
    // setting) the change handler only files the groupings: "jukebox.dat", the index
    // files, the export and the database follow once the burst of changes is over,
    // prepared on the main thread in short slices from the list as it then is and
    // written by a worker thread (the database built beside the old one and swapped
    // in). Without it they are written while the change handler runs.
    bool SaveInBackground() const { return FsaveInBackground; }
    void SetSaveInBackground(bool on) { FsaveInBackground = on; }
    // The longest one slice of that preparation holds the main thread (a few
    // milliseconds; a negative time restores that). Zero makes every slice do the
    // least it can, so that tests can change the library between any two slices.
    void SetSaveSliceTime(std::chrono::microseconds time);
    // The memory that preparation hands its bytes to the worker in: `blocks` blocks of
    // `blockBytes`, reused as the worker writes them (8 MB unless set otherwise); with
    // all of them out it waits for the worker.
    void SetSaveMemory(size_t blockBytes, size_t blocks);
    // True while such a save is still to finish (its result comes back through the
    // dispatcher).
    bool BackgroundWorkPending() const;
    // True while the save worker has work: a save, or reading the files on disk ahead of
    // the first change after a start.
    bool WorkerBusy() const { return Fworker && Fworker->Busy(); }
    // Finishes every write still pending, and writes nothing else: the background save
    // being prepared or on the worker (made from what changed, as it would have been),
    // the row changes of the database and the play counts' write. A rebuild of the
    // database still to come is left to the next start (the database is removed, so
    // that start builds it). The window calls this at close-down, the destructor too.
    void FinishPendingSaves();
    // The records of "jukebox.dat" the last such save made itself; the others it copied
    // from the file as it was.
    size_t LastSaveRecordsMade() const { return FlastSaveRecordsMade; }
    // The same for the entries of the five index files (the top level of each grouping).
    size_t LastSaveIndexEntriesMade() const { return FlastSaveEntriesMade; }
    TDateTime GetJukeboxFileDate() const;
    TDateTime GetPlaylistsFileDate() const;
    void Refresh() {}

    // Counts one request of the track in the play counts; "poplist.dat" is written
    // once the current burst of requests is over (through the dispatcher).
    void CountPlay(const TaudioTag& tag);
    // A "playlists.dat" that could not be read is not written automatically until a
    // person changes the playlists (the playlist windows call this before editing).
    bool PlaylistsLoadFailed() const { return FplaylistsLoadFailed; }
    void MarkPlaylistsUserChange();
    // The same for a damaged "jukebox.dat" (the scan windows call this before a scan);
    // meanwhile the grouping index files, which point into it by position, are not used.
    bool GlobalLoadFailed() const { return FglobalLoadFailed; }
    void MarkGlobalListUserChange() { FglobalLoadFailed = false; }
    // A save after a change copies the records of the tracks that did not change from
    // "jukebox.dat" as it is. Code that changes a stored field of many tracks in place
    // without noting each edit (the scan renumbering the tracks) calls this first: the
    // next save then writes every record anew.
    void RewriteListFileAtNextSave() { ForgetListFile(); }
    // Tracks that came from a CD list: never written into "jukebox.dat".
    bool IsCdListTrack(const TaudioTag* tag) const;

    // The query rule of that name, or null.
    const TdbRules* FindDBRule(const std::string& name) const;
    // Runs the rule against the database into `dest` (opening the database first when it
    // is closed); failures show the "Query Error" box. True when every line ran.
    bool RunQueryRule(const TdbRules& rule, TaudioTagList& dest);

  protected:
    template <typename Step>
    void Guarded(const char* name, Step step);
    // Loading starts or ends (the local form holds the jukebox's requests meanwhile).
    virtual void SetLoading(bool loading);
    void ProcessStart(const std::string& text);
    void Process(int index, int count, const TaudioTagPtr& tag);
    void ProcessFinished();
    bool SaveList(const std::string& fileName, const std::function<bool(std::string*)>& save);

  private:
    // The grouping index files are read only when all five are there and no CD list was
    // added; one bad file makes all be rebuilt. With EnableIndexes and every grouping
    // switched on.
    bool IndexesWanted() const;
    // The five index files are there; `bytes` their size.
    bool IndexFilesWritten(uintmax_t& bytes) const;
    // Starts reading them while the library file loads (no future when they are not there).
    std::future<TgroupingIndexPrepPtr> PrepareIndexFiles();
    // Fills the groupings from them once the library has loaded; false when it is not the
    // library they were written for or one is damaged (the groupings are then empty).
    bool LoadIndexFiles(TgroupingIndexPrepPtr prepared);
    void SaveIndexFiles();
    // Every track in file-name order, each name once with the first track of that name,
    // and the names more than one track has: what the file-name index is filled from.
    struct TfileNameOrder {
        std::vector<TaudioTagPtr> Tracks;
        std::unordered_set<std::string> Shared;
    };
    // A name's place in the sort: a number from its folder's place and the start of its
    // name, then the whole name (of the track at the position), then the position.
    struct TfileNameKey {
        uint64_t Key;
        uint32_t Position;
    };
    // The memory OrderByFileName fills, reserved for as many tracks as it is given. A
    // thread of its own is handed it from the loading thread, whose heap keeps the order;
    // the keys are given back to the system when sorted.
    struct TfileNameMemory {
        std::vector<TfileNameKey, TlargeBlockAllocator<TfileNameKey>> Keys;
        std::vector<TaudioTagPtr> Tracks;
    };
    static TfileNameOrder OrderByFileName(std::span<const TaudioTagPtr> items, TfileNameMemory memory = {});
    // Fills the (cleared) file-name index with every track in file-name order, taking the
    // order worked out while the index files loaded when it is of these tracks.
    void FillFileIndex(const std::vector<TaudioTagPtr>& items);
    // Worked out on a thread of its own while the index files load.
    struct TpendingFileOrder {
        std::future<TfileNameOrder> Order;
        const TaudioTagPtr* Of = nullptr;
        size_t Count = 0;
    };
    // "jukebox.dat" alone (without the CD tracks).
    bool WriteGlobalList();
    // Files every track of the global list into the groupings anew (or, with the index
    // files loaded, only rebuilds the file-name index and the links).
    void FileAllTracks();
    // Files only the tracks added at the end of the list since the last filing; false
    // when the change was anything else.
    bool FileAppendedTracks();
    // Files only the tracks edited (as noted), removed or appended since the last
    // filing; false, with every grouping still to be filed anew, when the change was
    // large, a reorder, or anything the groupings cannot be sure of (grouping_edits.cpp).
    bool FileChangedTracks();
    uint32_t FilingSettings() const;
    // Adds a track filed after the others to the file-name index (a file name already
    // there is noted as shared).
    void NoteInFileIndex(const TaudioTagPtr& tag);
    // The tracks "jukebox.dat" holds: the global list without the CD tracks.
    std::vector<TaudioTagPtr> OwnTracks() const;
    // Notes what the database must do to follow a change of the global list since the
    // last filing (rows to remove, tracks to write); false when the change is large, a
    // reorder, or one nobody noted, which the database follows by a rebuild.
    bool NoteDatabaseChanges();
    bool DatabaseChangesPending() const { return !FdbRemovedFiles.empty() || !FdbWrites.empty(); }
    // Takes the noted changes as the file names whose rows go and the export rows that
    // come; false (the notes dropped) when only a rebuild can follow them.
    bool TakeDatabaseChanges(std::vector<std::string>& removedFiles, std::string& rows);
    // The noted changes applied at once, on this thread; a failure rebuilds.
    void ApplyDatabaseChangesNow();
    // Follows a change of the global list in how the list as filed stands to
    // "jukebox.dat" on disk (and to each write of it still on the worker): the tracks
    // kept, those removed, and those written anew (edited as noted, or added). Before
    // the filing forgets the list as filed and the noted edits.
    void FollowListFile();
    // The next save makes every record of "jukebox.dat" anew.
    void ForgetListFile();
    // The next save makes every entry of the index files anew.
    void ForgetIndexFiles();
    // The grouping "albums.idx" (0) ... "years.idx" (4) is written from.
    TaudioTagListList* IndexGrouping(size_t file) const;
    // The background save: asked for by the change handler, run in slices.
    struct TsaveRun;
    void ScheduleSave(bool list, bool indexes, bool database);
    // Starts making, on a thread of their own, the artists and albums that the index files
    // left for later of the genres and years the run is to write anew.
    void MakeCategoryListsAhead(TsaveRun& run);
    void PostSaveStep();
    void SaveStep();
    bool SaveSlice(TsaveRun& run);
    // The list file of a run whose records are made; then the rest of the finished run.
    void HandListToWorker(const std::shared_ptr<TsaveRun>& run);
    void HandToWorker(std::shared_ptr<TsaveRun> run);
    // Takes the database's row changes for the run (or asks for a rebuild).
    void TakeRunDatabaseChanges(TsaveRun& run);
    // Hands a worker job's result back to the main thread (TakeWorkerResults runs it).
    void PostWorkerResult(std::function<void()> result);
    // Drops the save being prepared; what it was to write is asked for again.
    void RestartSave();
    // Runs what the worker's finished jobs hand back to the main thread.
    void TakeWorkerResults();
    // Has the worker read the list file and the index files as the library holds them
    // through, so that the first change after a start copies from them at once.
    void LearnFilesOnDisk();
    std::vector<TaudioTagListList*> Groupings() const;

    std::string FdataFolder;
    std::unique_ptr<TfileNameIndex> FfileIndex, FvideoFileIndex;
    std::unique_ptr<TaudioTagList> FglobalList, FvideoList;
    std::unique_ptr<TaudioTagPlaylistList> Fplaylists;
    std::unique_ptr<TmyStringList> FaudioFolders, FvideoFolders;
    std::unique_ptr<TpopularityTagList> FpopularList;
    std::unique_ptr<TmyStringList> FaudioImportList, FvideoImportList;
    std::unique_ptr<TaudioTagAlbumList> FalbumList;
    std::unique_ptr<TaudioTagArtistList> FartistList, FtitleList;
    std::unique_ptr<TaudioTagGenreList> FgenreList, FvideoGenreList;
    std::unique_ptr<TaudioTagYearList> FyearList;
    std::unique_ptr<TurlList> FurlList;
    std::unique_ptr<TtagListRulesCollection> FruleSets;
    std::unique_ptr<TjukeboxDB> Fdatabase;
    std::unique_ptr<TdbRulesList> FdbRules;
    bool FloadingURLs = false;
    TcustomJukeboxListEvents* Fevents = nullptr;
    // The tracks that came from CD lists (held, so that no new track can take the address
    // of one that left).
    std::vector<TaudioTagPtr> FcdTracks;
    bool Floading = false, FloadingPlaylists = false, FloadingVideo = false;
    bool FindexesLoaded = false;
    bool FenableIndexes = true;
    bool FdatabaseEnabled = false;
    bool FplaylistsLoadFailed = false;
    bool FglobalLoadFailed = false;
    bool FpopularLoadFailed = false;
    // Shared with the posted save, which does nothing once the library is gone.
    std::shared_ptr<bool> FpopularSavePending;
    // How the global list stands to the list as last filed: the filed tracks still there
    // in order from its front (Kept), and the places in Ffiled of those no longer there
    // (Removed; with Many, more than any follower takes, and not all listed). Worked out
    // once per change notice for the groupings, the database and the list file, which
    // would each walk a million tracks for it.
    struct TfiledChange {
        size_t Same = 0;  // the tracks from the start that are where they were filed
        size_t Kept = 0;
        std::vector<size_t> Removed;
        bool Many = false;
    };
    const TfiledChange& FiledChange();
    // The global list as last filed into the groupings, and the switches it was filed with.
    std::vector<const TaudioTag*> Ffiled;
    std::optional<TfiledChange> FfiledChange;
    uint32_t FfiledSettings = 0;
    // File names of more than one track of the global list, as last filed: the file-name
    // index holds the first of them.
    std::unordered_set<std::string> FsharedFileNames;
    TpendingFileOrder FpendingFileOrder;
    int FloadHelpers = -1;
    // The database holds the global list as last filed, once the work queued for it is
    // done: a change is then followed row by row. Database changes still to make: the
    // files whose rows go, then the tracks whose rows come (as they are when written).
    bool FdatabaseFollows = false;
    std::vector<std::string> FdbRemovedFiles;
    std::vector<TaudioTagPtr> FdbWrites;
    // Noted edits since the last filing: the track and a copy of it as it was filed.
    std::vector<std::pair<TaudioTagPtr, TaudioTagPtr>> FeditNotes;
    // "jukebox.dat" as the last read or write left it on disk (the save worker keeps it),
    // and the global list as filed in pieces of that file and of each write still on
    // the worker, the newest last; a save copies the records of the newest.
    struct TlistFileMap {
        uint64_t Write = 0;
        std::vector<TlistFilePiece> Pieces;
    };
    std::shared_ptr<TlistFileLedger> FlistLedger = std::make_shared<TlistFileLedger>();
    std::vector<TlistFileMap> FlistMaps;
    // The five index files likewise, each with its entries as the last read or write
    // left them: the grouping's lists and their change counts then. An entry whose list
    // is still there, unchanged, is copied. Only while no track has moved (a removal or
    // a reorder changes the positions every entry holds).
    struct TindexFileMap {
        uint64_t Write = 0;
        std::vector<const TaudioTagList*> Lists;
        std::vector<uint64_t> Changes;
    };
    struct TindexFileState {
        std::shared_ptr<TlistFileLedger> Ledger = std::make_shared<TlistFileLedger>();
        std::vector<std::shared_ptr<TindexFileMap>> Maps;
    };
    std::array<TindexFileState, 5> FindexFiles;
    uint64_t FlistWrites = 0;
    size_t FlastSaveRecordsMade = 0, FlastSaveEntriesMade = 0;
    bool FsaveInBackground = false;
    static constexpr std::chrono::microseconds kSaveSliceTime{6000};
    std::chrono::microseconds FsaveSliceTime = kSaveSliceTime;
    bool FsavePosted = false;
    bool FfinishingSaves = false;  // at close-down: no block of memory is waited for
    bool FpendingList = false, FpendingIndexes = false, FpendingDatabase = false;
    uint64_t FchangeCount = 0;
    int FworkerResults = 0;  // worker jobs whose result has not come back yet
    std::shared_ptr<TsaveRun> Frun;
    // Checked by posted calls, which do nothing once the library is gone.
    std::shared_ptr<bool> Falive = std::make_shared<bool>(true);
    std::unique_ptr<TbackgroundWorker> Fworker;
    // Stops the worker's reading of the files ahead of a change (LearnFilesOnDisk).
    std::shared_ptr<std::atomic<bool>> FlearnStop = std::make_shared<std::atomic<bool>>(false);
    // What the worker's jobs hand back, run on the main thread through the dispatcher, or
    // at once when the saves are finished at close-down (the event loop has stopped).
    struct TworkerResults {
        std::mutex Lock;
        std::vector<std::function<void()>> Done;
    };
    std::shared_ptr<TworkerResults> FworkerResultQueue = std::make_shared<TworkerResults>();
    size_t FsaveBlockBytes = size_t(512) << 10, FsaveBlocks = 16;
    std::shared_ptr<TsaveBlockPool> FblockPool;  // memory the background save reuses
    std::function<void()> Fwake;                  // a block came back (on the worker)
    TnotifyEventList FfreeNotices;
};

class TcustomlocalJukeboxList : public TcustomJukeboxList {
  public:
    TcustomlocalJukeboxList();
    ~TcustomlocalJukeboxList() override;

    TlocalJukebox* Jukebox() const { return Fjukebox.get(); }
    bool Destroying() const { return Fdestroying; }

    void SetVideoSupport(bool on) override;
    void SetEvents(TcustomJukeboxListEvents* events) override;
    void JukeboxDestroyed(TcustomJukebox* jukebox) override;
    void ProcessTags() override;
    void PlaylistsChanged() override;
    void LoadSettings(const TiniFile& ini, const std::string& section) override;
    void SaveSettings(TiniFile& ini, const std::string& section) const override;

    // The operations of the windows on the play state.
    // Answers how many of `tags` the queue took (its limit and its duplicate check may
    // refuse some); only those count as requested in the play counts.
    virtual int AddTagsToQueue(const TmyStringList& tags, bool keep, bool copies) = 0;
    virtual void AddToQueue(const TaudioTag& tag) = 0;
    virtual void InsertInQueue(const TaudioTag& tag) = 0;
    virtual void PlayNow(const TaudioTag& tag) = 0;
    virtual void SetStackerActive(bool on) = 0;
    virtual void ActivatePlaylist(const std::string& title) = 0;
    virtual void RemovePlaylist(TaudioTagList* list) = 0;
    virtual void AddToStacker(const TaudioTagList* list) = 0;
    virtual void RemoveFromStacker(TaudioTagList* cartridge) = 0;
    virtual void ClearStacker() = 0;
    virtual void AddListToQueue(const TaudioTagList& list) = 0;
    virtual void QueueMoveUp(const TaudioTag* tag) = 0;
    virtual void QueueMoveDown(const TaudioTag* tag) = 0;
    virtual void QueueDelete(int index) = 0;
    virtual void ClearQueue() = 0;
    virtual void QueueMove(int from, int to) = 0;
    virtual void ShuffleQueue() = 0;
    virtual void SetQueueNoDuplicates(bool on) = 0;
    virtual void SetLoopQueue(bool on) = 0;
    virtual void SetRandomPlayActive(bool on) = 0;
    virtual void RefillRandomList() = 0;
    virtual bool EditAlarms() = 0;
    virtual void SetRepeatTrack(bool on) = 0;
    virtual void SetInternetRadioURL(const std::string& name, const std::string& url) = 0;
    virtual void DeleteInternetRadioURL(const std::string& name) = 0;

  protected:
    void SetLoading(bool loading) override;

  private:
    std::unique_ptr<TlocalJukebox> Fjukebox;
    bool Fdestroying = false;
};

class TlocalJukeboxList : public TcustomlocalJukeboxList {
  public:
    bool AutoSavePlaylist() const { return FautoSavePlaylist; }
    void SetAutoSavePlaylist(bool on);
    bool AutoSaveQueue() const { return FautoSaveQueue; }
    void SetAutoSaveQueue(bool on);
    bool AutoSaveStacker() const { return FautoSaveStacker; }
    void SetAutoSaveStacker(bool on);

    int AddTagsToQueue(const TmyStringList& tags, bool keep, bool copies) override;
    void AddToQueue(const TaudioTag& tag) override;
    void InsertInQueue(const TaudioTag& tag) override;
    void PlayNow(const TaudioTag& tag) override;
    void SetStackerActive(bool on) override;
    void ActivatePlaylist(const std::string& title) override;
    void RemovePlaylist(TaudioTagList* list) override;
    void AddToStacker(const TaudioTagList* list) override;
    void RemoveFromStacker(TaudioTagList* cartridge) override;
    void ClearStacker() override;
    void AddListToQueue(const TaudioTagList& list) override;
    void QueueMoveUp(const TaudioTag* tag) override;
    void QueueMoveDown(const TaudioTag* tag) override;
    void QueueDelete(int index) override;
    void ClearQueue() override;
    void QueueMove(int from, int to) override;
    void ShuffleQueue() override;
    void SetQueueNoDuplicates(bool on) override;
    void SetLoopQueue(bool on) override;
    void SetRandomPlayActive(bool on) override;
    void RefillRandomList() override;
    bool EditAlarms() override;
    void SetRepeatTrack(bool on) override;
    void SetInternetRadioURL(const std::string& name, const std::string& url) override;
    void DeleteInternetRadioURL(const std::string& name) override;

  private:
    TaudioTagList& Queue();
    bool FautoSavePlaylist = false, FautoSaveQueue = false, FautoSaveStacker = false;
};

}  // namespace tunecrest
