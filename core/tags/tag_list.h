#pragma once
// The ordered list of tags on which the whole library runs: the global list, the
// video list, playlists, the queue, the random list, the stacker play list, the
// history and every grouping. It numbers its tags, keeps an optional count limit,
// re-sorts itself after changes, hands out tracks for play in list or random order,
// and reports changes and progress through events.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/tags/audio_tag.h"
#include "core/base/event_lists.h"
#include "core/base/event_slot.h"
#include "core/base/string_lists.h"

namespace tunecrest {

class TvisitedFolders;
class TbyteReader;
class TbyteWriter;

enum TaudioTagSortType : int {
    tstTitle,
    tstArtist,
    tstAlbum,
    tstTrackTitle,
    tstComment,
    tstGenre,
    tstYear,
    tstDuration,
    tstSampleRate,
    tstBitrate,
    tstChannels,
    tstTagType,
    tstTrackFilename,
    tstCaption
};

enum TaudioTagSortOrder : int { tsoDescending = 0, tsoAscending = 1 };

// Play-order flags; a TaudioTagListMode is a set of them, one bit each, in one byte.
enum TaudioTagListModes : int { lmRandom = 0, lmLoop = 1, lmResetOnActivate = 2 };
using TaudioTagListMode = uint8_t;
constexpr TaudioTagListMode ModeSet(TaudioTagListModes mode) { return TaudioTagListMode(1u << mode); }
constexpr bool InModeSet(TaudioTagListMode set, TaudioTagListModes mode) { return (set & ModeSet(mode)) != 0; }

using TaudioTagListProcessStartEvent = std::function<void(TObject* Sender, const std::string& Text)>;
using TaudioTagListProcessEvent =
    std::function<void(TObject* Sender, int Index, int Count, const TaudioTagPtr& Tag)>;
using TdirProcessEvent = std::function<void(TObject* Sender, const std::string& Folder)>;
using TtagFoundEvent = std::function<void(TObject* Sender, bool Modified, const TaudioTagPtr& Tag)>;

// Tells whether a file lies on an audio CD; used to leave CD tracks out of display
// lists. Without an installed test, the CD drive set of the system services decides.
using TcdTrackTest = std::function<bool(const std::string& fileName)>;
void SetCdTrackTest(TcdTrackTest test);
bool IsCdTrack(const std::string& fileName);

// The pending random order: the list's tags, consumed from the front.
class TrandomPointerList {
public:
    // A copy of `items` permuted into one cycle: every tag leaves its place. The places
    // are drawn as they are first read, front to back (each one final once drawn), so
    // that a large list played at random costs a copy when the order is made, not a
    // million exchanges all over it before its first track.
    void Rebuild(const std::vector<TaudioTagPtr>& items);
    // Follows a change of the list without a rebuild: each added tag goes in at a
    // random place of the pending order, each removed one leaves it. An empty order
    // stays empty (it is built from the whole list when next needed).
    void Follow(const std::vector<TaudioTagPtr>& added, const std::vector<TaudioTagPtr>& removed);
    // Takes the first entry out; nullptr when empty.
    TaudioTagPtr TakeFirst();
    TaudioTagPtr Get(int index) const;
    int Count() const { return int(Fitems.size() - Ffirst); }
    void Clear() {
        Fitems.clear();
        Ffirst = 0;
        Fdrawn = 0;
    }

private:
    // Draws the places up to and including `index` (from the start of Fitems).
    void DrawUntil(size_t index) const;
    mutable std::vector<TaudioTagPtr> Fitems;
    size_t Ffirst = 0;          // entries before it have been taken
    mutable size_t Fdrawn = 0;  // entries before it are in their final places
};

// While one lives on a thread, the lists that thread fills leave the tags they take as
// they are. A list stamps each tag it takes with its insertion sequence and numbers a tag
// that has no index yet; lists filled on several threads at once share their tags, so
// all but one of those threads must leave that to the caller.
class TtagStampPause {
public:
    TtagStampPause();
    ~TtagStampPause();
    TtagStampPause(const TtagStampPause&) = delete;
    TtagStampPause& operator=(const TtagStampPause&) = delete;
    static bool Active();

private:
    bool Fwas;
};

class TaudioTagList : public TObject {
public:
    TaudioTagList();
    ~TaudioTagList() override;
    TaudioTagList(const TaudioTagList&) = delete;
    TaudioTagList& operator=(const TaudioTagList&) = delete;

    int Count() const { return int(Fitems.size()); }
    // Room for `more` further tags, so that filling a large list does not move it as it grows.
    void Reserve(size_t more) { Fitems.reserve(Fitems.size() + more); }
    // Takes `tags` (read from a file) as Add would take them one by one, when this is an
    // empty plain list that takes every track as it comes: the vector itself becomes the
    // list, with room for `spare` more, and `tags` is left empty. False (nothing done)
    // for any other list.
    bool AdoptLoaded(std::vector<TaudioTagPtr>& tags, size_t spare);
    // nullptr outside 0 .. Count-1.
    TaudioTagPtr GetTag(int index) const;
    int IndexOf(const TaudioTag* tag) const;
    const std::vector<TaudioTagPtr>& Items() const { return Fitems; }
    uint64_t TotalDuration() const;
    // Distinct Artist texts without regard to case; an empty artist counts as one.
    int ArtistCount() const;

    virtual void Add(TaudioTagPtr tag);
    virtual void Insert(TaudioTagPtr tag, int index);
    virtual void AddCopy(const TaudioTagPtr& tag);
    void Delete(int index);
    void Remove(const TaudioTag* tag);
    virtual void Clear();
    void Move(int from, int to);
    void MoveUp(int index);
    void MoveDown(int index);
    // Reorders the list itself at random; never drops a tag.
    void Shuffle();

    void Assign(const TaudioTagList& source, bool copies, bool keep);
    void AppendList(const TaudioTagList& source, bool copies) { Assign(source, copies, true); }
    // Adds every object of `items` that is a tag.
    void AddTags(const TmyStringList& items, bool keep, bool copies);
    // The tag of every name that is an existing file, through CreateTagFromFile.
    void AddFiles(const std::vector<std::string>& names, bool keep);
    // `index`: a sorted list of file names whose objects are the known tags.
    void MergeList(const TaudioTagList& source, const TmyStringList& index);
    // Deletes the tags whose files are gone; internet-radio addresses stay.
    void RemoveMissingFiles();
    void SearchText(const std::string& text, TmyStringList& dest, TmyStringList* seen, bool keep,
                    uint32_t mediaMask, bool anywhere) const;
    void FindByTrackIndex(const std::string& number, TmyStringList& dest, uint32_t mediaMask) const;
    void GetDisplayList(TmyStringList& dest, bool skipCDTracks, uint32_t mediaMask) const;
    void GetDisplayListEx(TmyStringList& dest, bool skipCDTracks, uint32_t mediaMask, bool numbered,
                          TtagDisplayFormat format) const;
    void GetAlbumArtist(std::string& artist) const;
    // A cheap fingerprint of the list: "0" when empty.
    std::string Hash() const;

    // The tag of one file, added to the list; nullptr when no tagger reads it.
    virtual TaudioTagPtr CreateTagFromFile(const std::string& fileName);
    // The tag this list's scan would make of one file (its masks applied), without adding
    // it: a file queued from outside the library stays out of it. nullptr when no tagger
    // reads it.
    TaudioTagPtr ReadTagFromFile(const std::string& fileName) const;

    // Folder scan (tag_list_scan.cpp). `known`: a sorted list of full file names whose
    // objects are the tags the caller already has (may be null); those are refreshed
    // when their file changed and never added again.
    // Scans every folder with its subfolders; StopScan stops it.
    void AddFolders(const std::vector<std::string>& folders, bool keep, const TmyStringList* known);
    // One folder and, depth first, its subfolders; each folder once, even through link loops.
    void ScanFolder(const std::string& folder, bool keep, const TmyStringList* known);
    // The files of one folder only; `force` ignores the folder's tag cache.
    void ScanFolderTree(const std::string& folder, bool keep, const TmyStringList* known, bool force);
    // True when the cache file exists and no file of its folder is newer; `fileCount`
    // counts the folder's files, the cache included.
    bool IsCacheCurrent(const std::string& cacheFile, int& fileCount) const;

    // List files (tag_list_files.cpp; the free functions there hold the details).
    // Writes the "UATL" stream; returns the number of bytes written.
    int64_t SaveToStream(TbyteWriter& w) const;
    // Reads a "UATL" stream, clearing the list first unless `keep`; a non-empty
    // `mountRoot` re-roots the file names of a removable medium.
    bool LoadFromStream(TbyteReader& r, bool keep, const std::string& mountRoot = "",
                        std::string* error = nullptr);
    // A "ZATL" file when `compressed`, else "UATL"; an empty name shows "No File Supplied".
    bool SaveToFile(const std::string& name, bool compressed, std::string* error = nullptr);
    // Reads a "UATL" or "ZATL" file; a missing file leaves the list empty and gives false.
    bool LoadFromFile(const std::string& name, bool keep, const std::string& mountRoot = "",
                      std::string* error = nullptr);
    // The "IXTL" block: the stored positions of the tags in the global list.
    void SaveIndexToStream(TbyteWriter& w) const;
    // Clears the list and adds `master`'s tags at the positions read (others skipped).
    bool LoadIndexFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error = nullptr);

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }
    // Goes up with every change notice (held or sent): a reader that keeps something
    // made from the list knows by it whether the list changed since.
    uint64_t ChangeCount() const { return FchangeCount; }
    void Changed();
    virtual void DoChange();
    void SetStatus(const std::string& text);
    void DoListProcess(int index, int count, const TaudioTagPtr& tag);
    void DoListProcessFinished();
    // Asks a running multi-folder scan to stop; does nothing when none runs (a stale
    // request would otherwise silence the next scan).
    void StopScan() {
        if (Fscanning) FstopRequest = true;
    }
    void ResetSequence() { FinsertionCounter = 0; }

    // Sorting and play order.
    void Sort();
    void SortBy(TaudioTagSortType sortType);
    TaudioTagPtr PeekNext();
    TaudioTagPtr GetNext();
    bool IsRandom() const { return InModeSet(FplayMode, lmRandom); }
    bool IsLoop() const { return InModeSet(FplayMode, lmLoop); }
    bool IsResetOnActivate() const { return InModeSet(FplayMode, lmResetOnActivate); }
    void SetRandom(bool value) { SetModeFlag(lmRandom, value); }
    void SetLoop(bool value) { SetModeFlag(lmLoop, value); }
    void SetResetOnActivate(bool value) { SetModeFlag(lmResetOnActivate, value); }
    int PlayPosition() const { return FplayPosition; }
    // The pending random order (empty until the list is first played at random).
    const TrandomPointerList& RandomOrder() const;

    // Properties.
    TtagDisplayFormat DisplayFormat() const { return FdisplayFormat; }
    void SetDisplayFormat(TtagDisplayFormat v) { FdisplayFormat = v; }
    bool Sorted() const { return Fsorted; }
    void SetSorted(bool v);
    TaudioTagSortType SortType() const { return FsortType; }
    void SetSortType(TaudioTagSortType v);
    TaudioTagSortOrder SortOrder() const { return FsortOrder; }
    void SetSortOrder(TaudioTagSortOrder v);
    const std::string& Title() const { return Ftitle.Text(); }
    void SetTitle(const std::string& v) { Ftitle = v; }
    void SetTitle(const TpooledText& v) { Ftitle = v; }
    // The list's file name and the folder-scan settings below are set on few lists (the
    // global and video lists, a list saved to its own file); the others return the defaults.
    bool SaveDataFiles() const { return Settings().SaveDataFiles; }
    void SetSaveDataFiles(bool v) { SetSetting(&TtagListSettings::SaveDataFiles, v); }
    const std::string& DataFileName() const { return Settings().DataFileName; }
    void SetDataFileName(const std::string& v) { SetSetting(&TtagListSettings::DataFileName, v); }
    int Max() const { return Fmax; }
    void SetMax(int v) { Fmax = v; }
    bool Active() const { return Factive; }
    void SetActive(bool v);
    TaudioTagListMode PlayMode() const { return FplayMode; }
    void SetPlayMode(TaudioTagListMode v);
    const std::string& Filename() const { return Settings().Filename; }
    void SetFilename(const std::string& v) { SetSetting(&TtagListSettings::Filename, v); }
    int ListProcessFactor() const { return Rare().ListProcessFactor; }
    void SetListProcessFactor(int v);
    bool UseVideoFileMask() const { return Settings().UseVideoFileMask; }
    void SetUseVideoFileMask(bool v) { SetSetting(&TtagListSettings::UseVideoFileMask, v); }
    bool UseAudioFileMask() const { return Settings().UseAudioFileMask; }
    void SetUseAudioFileMask(bool v) { SetSetting(&TtagListSettings::UseAudioFileMask, v); }
    const std::string& VideoFileMask() const { return Settings().VideoFileMask; }
    void SetVideoFileMask(const std::string& v) { SetSetting(&TtagListSettings::VideoFileMask, v); }
    const std::string& AudioFileMask() const { return Settings().AudioFileMask; }
    void SetAudioFileMask(const std::string& v) { SetSetting(&TtagListSettings::AudioFileMask, v); }
    bool AlbumFromParentFolder() const { return Settings().AlbumFromParentFolder; }
    void SetAlbumFromParentFolder(bool v) { SetSetting(&TtagListSettings::AlbumFromParentFolder, v); }
    bool ArtistFromParentFolder() const { return Settings().ArtistFromParentFolder; }
    void SetArtistFromParentFolder(bool v) { SetSetting(&TtagListSettings::ArtistFromParentFolder, v); }
    uint32_t MediaSupportLevel() const { return Settings().MediaSupportLevel; }
    void SetMediaSupportLevel(uint32_t v) { SetSetting(&TtagListSettings::MediaSupportLevel, v); }
    bool NoChangeOnSort() const { return FnoChangeOnSort; }
    void SetNoChangeOnSort(bool v) { FnoChangeOnSort = v; }
    bool OverrideTagInfo() const { return Settings().OverrideTagInfo; }
    void SetOverrideTagInfo(bool v) { SetSetting(&TtagListSettings::OverrideTagInfo, v); }
    bool NoDuplicates() const { return FnoDuplicates; }
    void SetNoDuplicates(bool v) { FnoDuplicates = v; }
    // "Owns its tags": copies of an owning list copy the tags, others share them.
    bool OwnsObjects() const { return FownsObjects; }
    void SetOwnsObjects(bool v) { FownsObjects = v; }

    // State used by the folder scan, the list files and the groupings.
    bool StopRequested() const { return FstopRequest; }
    void SetStopRequested(bool v) { FstopRequest = v; }
    bool Scanning() const { return Fscanning; }
    void SetScanning(bool v) { Fscanning = v; }
    bool NoRandomRebuild() const { return FnoRandomRebuild; }
    void SetNoRandomRebuild(bool v) { FnoRandomRebuild = v; }
    uint32_t InsertionCounter() const { return FinsertionCounter; }
    int64_t StoredSize() const { return Rare().StoredSize; }
    void SetStoredSize(int64_t v);
    bool MaxExceededPending() const { return FmaxExceeded; }

    // Events.
    TeventSlot<TNotifyEvent> OnChange;
    TeventSlot<TaudioTagListProcessStartEvent> OnListProcessStart;
    TeventSlot<TaudioTagListProcessEvent> OnListProcess;
    TeventSlot<TNotifyEvent> OnListProcessFinished;
    TeventSlot<TdirProcessEvent> OnDirProcess;
    TeventSlot<TNotifyEvent> OnMaxExceeded;
    TeventSlot<TtagFoundEvent> OnTagFound;
    TeventSlot<TNotifyEvent> OnActiveChanged;
    TeventSlot<TNotifyEvent> OnModeChanged;

protected:
    // Appends without any of Add's checks (numbering, limit, duplicates).
    void AppendItem(TaudioTagPtr tag);
    // What adding a tag stamps on it: an unnumbered tag takes the number after `last`
    // (the list's last tag, or none), and the tag appended last takes the next insertion
    // sequence and is noted for the random order.
    void NumberAfter(TaudioTag& tag, const TaudioTag* last);
    void NoteAppended(const TaudioTagPtr& tag);
    std::vector<TaudioTagPtr> Fitems;

private:
    void SortItems(TaudioTagSortType sortType);
    void ScanFolderOnce(const std::string& folder, bool keep, const TmyStringList* known,
                        TvisitedFolders& visited);
    void ApplyScanMasks(TaudioTag& tag) const;
    // CreateTagFromFile with the modification date the folder listing gave.
    TaudioTagPtr CreateTagFromListedFile(const std::string& fileName, TDateTime modDate);
    TaudioTagPtr ReadListedFile(const std::string& fileName, TDateTime modDate) const;
    bool RefreshKnownTag(TaudioTag& tag, TDateTime fileDate) const;
    void SetModeFlag(TaudioTagListModes mode, bool value);
    // Bookkeeping of the changes the pending random order follows at the next notice.
    void NoteRandomAdd(const TaudioTagPtr& tag);
    void NoteRandomRemove(const TaudioTagPtr& tag);
    void ResetRandomChanges();
    void FollowRandomOrder();

    // The values behind the file name and scan-setting properties.
    struct TtagListSettings {
        std::string Filename;
        std::string DataFileName = "tagcache.ubf";
        std::string VideoFileMask = "%t";
        std::string AudioFileMask = "%t - %a - %n";
        uint32_t MediaSupportLevel = 0xFFFFFFFF;
        bool SaveDataFiles = false;
        bool UseVideoFileMask = true;
        bool UseAudioFileMask = false;
        bool AlbumFromParentFolder = true;
        bool ArtistFromParentFolder = true;
        bool OverrideTagInfo = false;
    };
    // The pending random order and the tags added and removed since the last change notice
    // (kept only while an order is pending), how many, and the count at that notice.
    struct TrandomState {
        TrandomPointerList Order;
        std::vector<TaudioTagPtr> Added, Removed;
        uint32_t Adds = 0, Removes = 0, Base = 0;
    };
    // What few lists use (the global and video lists, lists saved to their own files,
    // lists played at random), made when one of its values is first set to other than
    // its default: a library holds a list for every album, artist, genre and year.
    struct Trare {
        TtagListSettings Settings;
        TrandomState Random;
        int64_t StoredSize = 0;
        int ListProcessFactor = 1;
    };
    static const Trare& Defaults();
    const Trare& Rare() const { return Frare ? *Frare : Defaults(); }
    Trare& EditRare();
    const TtagListSettings& Settings() const { return Rare().Settings; }
    template <typename T, typename V>
    void SetSetting(T TtagListSettings::*field, const V& v) {
        if (!Frare && Defaults().Settings.*field == v) return;
        EditRare().Settings.*field = v;
    }
    TrandomState& RandomState() { return EditRare().Random; }

    std::unique_ptr<Trare> Frare;
    // Titles are pooled: an album's or artist's list has the title its tags share.
    TpooledText Ftitle;
    TtagDisplayFormat FdisplayFormat = tdfArtistTitle;
    TaudioTagSortType FsortType = tstTitle;
    TaudioTagSortOrder FsortOrder = tsoAscending;
    int FupdateCount = 0;
    uint64_t FchangeCount = 0;
    int FplayPosition = 0;
    int Fmax = 0;
    uint32_t FinsertionCounter = 0;
    TaudioTagListMode FplayMode = ModeSet(lmLoop);
    // Flags, a bit each. Replaced: the list was replaced as a whole since the last notice.
    bool FrandomReplaced : 1 = false;
    bool Fsorted : 1 = false;
    bool FsortDone : 1 = false;
    bool FmaxExceeded : 1 = false;
    bool Factive : 1 = false;
    bool FnoChangeOnSort : 1 = false;
    bool FstopRequest : 1 = false;
    bool Fscanning : 1 = false;
    bool FnoRandomRebuild : 1 = false;
    bool FnoDuplicates : 1 = false;
    bool FownsObjects : 1 = false;
};

// The play history: every added tag is stamped with the time it was played. Memory
// keeps the latest kKeptEntries (more than a night's play and what the displays
// show); the text file keeps every track played since the program started.
class TaudioTagHistoryList : public TaudioTagList {
public:
    static constexpr int kKeptEntries = 1000;
    void Add(TaudioTagPtr tag) override;
    using TaudioTagList::GetDisplayList;
    // Every tag, "time : artist - title (file)".
    void GetDisplayList(TmyStringList& dest) const;
    // Writes those lines to `fileName`, creating its folder; false (with a reason) on failure.
    bool SaveToTextFile(const std::string& fileName, std::string* error = nullptr) const;
    // Keeps `fileName` equal to what SaveToTextFile would write for the whole history
    // of the run: the first call writes the file anew, later calls append the lines
    // of the tracks added since the last call (a played track costs one line, however
    // long the evening). False (with a reason) on failure; the next call then writes
    // the file anew from memory.
    bool AppendLastToTextFile(const std::string& fileName, std::string* error = nullptr);

private:
    std::string FappendedFile;
    uint64_t Fadded = 0, Fwritten = 0;
};

}  // namespace tunecrest
