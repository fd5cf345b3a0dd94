#pragma once
// What the library's background save shares between the files that make it
// (jukebox_list_saving.cpp, on the main thread in slices) and hand it to the save worker
// (jukebox_list_save_worker.cpp): the blocks its files are made in, each file as it is
// made, and the save itself. Only those two files include it.
#include <sys/mman.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/base/background_worker.h"
#include "core/base/safe_file.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/grouping_index_writer.h"
#include "core/library/jukebox_list.h"
#include "core/library/jukebox_list_index_names.h"
#include "core/library/list_file_patch.h"

namespace tunecrest {


// How the entries of each index file ("albums.idx" ... "years.idx") are found.
inline constexpr TentryFinder kIndexFinders[] = {FindAlbumIndexEntries, FindArtistIndexEntries, FindArtistIndexEntries,
                                          FindCategoryIndexEntries, FindCategoryIndexEntries};
static_assert(std::size(kIndexFinders) == std::size(kIndexFiles));

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
        if (Fmapped < FmaxBlocks || !mayWait || FneverWait) {
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
    // From now on a save takes fresh memory rather than wait for a block (close-down:
    // nothing runs the event loop that would tell it one came back).
    void NeverWait() {
        std::lock_guard lock(Fmutex);
        FneverWait = true;
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
            std::function<void()> wake;
            {
                std::lock_guard lock(Fmutex);
                Ffree.push_back(std::move(block));
                wake = std::exchange(Fwake, nullptr);
            }
            // A save may have found every block counted and none free while this one
            // was being made: nothing else would tell it.
            if (wake) wake();
        }
    }

private:
    const size_t FblockBytes, FmaxBlocks;
    std::mutex Fmutex;
    std::vector<TbyteBlock> Ffree;
    size_t Fmapped = 0;  // blocks of FblockBytes, free or out
    bool FneverWait = false;
    std::function<void()> Fwake;
};

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
    // A save dropped by a newer change gives back the block it was filling: otherwise
    // the pool would count it as out for ever, and a later save could wait for a block
    // that never comes back.
    ~TfileStream() {
        if (Fblock) Fpool->Give(std::move(*Fblock));
    }

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
    bool Waiting = false;  // for the worker to give a block back, or for the lists below
    // The list file handed to the worker (its records made), and, once the worker has
    // written it, whether it was (for the index files, which follow only a written one).
    bool ListHanded = false;
    bool ListWritten = false;
    // The artists and albums of the genres and years to be written that their index
    // files left for later, made on a thread of their own (making those of a large genre
    // would hold this thread for tens of milliseconds).
    std::unique_ptr<TcategoryListsAhead> ListsAhead;
    std::unordered_set<const TaudioTagList*> ListsMaking;
    bool ListsAsked = false;
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
        // The entry a slice was ended before, so that it starts the next one (once).
        size_t YieldedAt = SIZE_MAX;
        std::shared_ptr<TindexFileMap> Map;
        // An entry made anew over several slices (a large genre's runs to hundreds of
        // thousands of positions), the last of Map's lists, and its bytes so far.
        std::unique_ptr<TindexFileWriter> Entry;
        TbyteWriter EntryBytes;
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

}  // namespace tunecrest
