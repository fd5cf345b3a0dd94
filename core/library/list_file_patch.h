#pragma once
// "jukebox.dat" written again after a change of a few tracks without making every
// record anew: the records of the tracks that did not change are copied from the file
// as it is on disk, and only the records of the changed tracks are made (on the main
// thread, from the live tracks). The worker that writes the file checks first that the
// file on disk is the one the copy plan was made for (the same file, unchanged since it
// was read or written, with the records where they are expected); when it is not, it
// writes nothing and the library makes the whole file anew. The file that comes out is
// the one a full write gives, byte for byte, and is written through the safe writer.
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tunecrest {

// What tells one state of a file on disk from another: the file, its size, and the times
// of its last write and of its last change of any kind. Another program can put the write
// time back after changing a file in place; the change time it cannot set, as any write
// or any setting of the times moves it to the present.
struct TfileStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    int64_t Size = -1;
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0;
    bool operator==(const TfileStamp&) const = default;
};
TfileStamp StampOfStat(const struct stat& st);
bool StampOfFile(int fd, TfileStamp& stamp);
bool StampOfFile(const std::string& path, TfileStamp& stamp);

// A file that has lost its name (an index file released before the list file replaced
// its own), kept open for the copies of its next save.
class TheldFile {
public:
    explicit TheldFile(int fd) : Ffd(fd) {}
    ~TheldFile();
    TheldFile(const TheldFile&) = delete;
    TheldFile& operator=(const TheldFile&) = delete;
    int Fd() const { return Ffd; }

private:
    int Ffd;
};

// The list file on disk as the library last read or wrote it, shared by the main thread
// and the save worker.
class TlistFileLedger {
public:
    struct Tstate {
        uint64_t Write = 0;  // which read or write of the library it is; 0 when unknown
        TfileStamp Stamp;
        uint32_t Records = 0;
        // The length of the head before the records and of each record, and each record's
        // check value where the file kind has them (see TentryFinder); not known (null)
        // after a read until the worker has read the file through (LearnListFile).
        uint64_t HeadBytes = 0;
        std::shared_ptr<const std::vector<uint32_t>> Lengths;
        std::shared_ptr<const std::vector<uint64_t>> Checks;
        // The file, when it no longer has its name (ReleaseListFile).
        std::shared_ptr<const TheldFile> Held;
    };
    Tstate Get() const {
        std::lock_guard lock(Fmutex);
        return Fstate;
    }
    void Set(Tstate state) {
        std::lock_guard lock(Fmutex);
        Fstate = std::move(state);
    }
    // Sets `state` only while the ledger still holds read or write `write`.
    bool SetIf(uint64_t write, Tstate state) {
        std::lock_guard lock(Fmutex);
        if (write == 0 || Fstate.Write != write) return false;
        Fstate = std::move(state);
        return true;
    }
    void Forget() { Set({}); }

private:
    mutable std::mutex Fmutex;
    Tstate Fstate;
};

// A run of the records of the list file (First, the first of them), or Count records
// made anew (First negative), in the order of the new file.
struct TlistFilePiece {
    int64_t First = -1;
    uint32_t Count = 0;
    bool Fresh() const { return First < 0; }
};

// Appends a piece, joining it to the last one where they continue each other.
void AppendListFilePiece(std::vector<TlistFilePiece>& pieces, TlistFilePiece piece);

// The new file: its head, then the pieces, taking the fresh records one after the other
// from `Fresh` (their lengths in FreshLengths), of the file that read or write `Base` of
// the ledger left on disk. With Checks, each record copied (in the new file's order) must
// have that check value in the old file (see TentryFinder); FreshChecks are those of the
// fresh records, which the ledger keeps for the next patch of the new file.
struct TlistFilePatch {
    uint64_t Base = 0;
    std::string Head;
    std::vector<TlistFilePiece> Pieces;
    std::string Fresh;
    std::vector<uint32_t> FreshLengths;
    std::vector<uint64_t> Checks;
    std::vector<uint64_t> FreshChecks;
};

// Finds the length of the head and of each of `records` records of the open file `fd` of
// `size` bytes, and, where the file kind has them, each record's check value; false when
// the file is not one of that kind with that many records.
using TentryFinder = bool (*)(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                              std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks);

enum class TlistPatchResult {
    lprWritten,
    lprFailed,  // the file could not be written (the old one is left whole)
    lprStale,   // the file on disk is not the one the plan is for: nothing written
};

// On the worker: writes `path` from the patch, finding the old file's records with
// `find` when the ledger does not know them. Written, the ledger holds the new file as
// write `write` with its lengths (and checks, when the patch gives those of its fresh
// records), and `size` is its length. `beforeReplace` runs once the new file is on the
// disk, just before it takes the old one's place.
TlistPatchResult WriteListFilePatch(const std::string& path, const TlistFilePatch& patch, uint64_t write,
                                    TlistFileLedger& ledger, int64_t& size, std::string* error,
                                    TentryFinder find, const std::function<void()>& beforeReplace = nullptr);

// On the worker, just before the list file is replaced: the index file `path` describes
// the list that goes, so it loses its name now. A program stopped before the new index
// files are in place then finds none at its next start and files the groupings anew; an
// index file on disk is always one of the list file beside it. The file the ledger holds
// stays open (TheldFile) for the copies of its next save.
void ReleaseListFile(const std::string& path, TlistFileLedger& ledger);

// Runs after each piece a patch copied from the old file `path`; tests change the file
// there, as another program could while it is copied. Returns the one it replaces.
using TpatchCopyWatch = void (*)(const std::string& path);
TpatchCopyWatch SetPatchCopyWatch(TpatchCopyWatch watch);

// On the worker, ahead of the next change: reads the file the ledger holds through with
// `find`, so that the next patch of it copies at once. Its lengths (and checks) go into the
// ledger when it is still that file; a file whose records are not found (not in this
// system's own form) is forgotten, so that the next save writes it whole. False when
// nothing was learnt. Setting `stop` ends the reading soon (nothing learnt).
bool LearnListFile(const std::string& path, TlistFileLedger& ledger, TentryFinder find,
                   const std::atomic<bool>* stop = nullptr);

// The length of the head and of every record of a plain tag-list file of `records`
// records written by this system, read from the open file `fd` of `size` bytes. False
// when the file is anything else: another signature or count, a record of another class,
// one that is not in the writer's own form (a write of the track it reads as gives other
// bytes: another order or form of its values, a text the reader changes) or that has no
// track number (the track is numbered when loaded), or bytes after the last record.
bool FindListFileRecords(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                         std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks);

// The same for a grouping index file as TindexFileWriter writes it ("IXAL" albums, "IXAR"
// artists or the title index, "IXGR"/"IXYR" genres and years): its records are the
// entries of the grouping's top level. An entry's check value is IndexEntryCheck of the
// bytes of its name (and album artist) and of its track count.
bool FindAlbumIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                           std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks);
bool FindArtistIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                            std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks);
bool FindCategoryIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                              std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks);
// Of the bytes an entry begins with (its name texts, as WriteText writes them) and the
// count of its track block.
uint64_t IndexEntryCheck(std::string_view names, int32_t tracks);

}  // namespace tunecrest
