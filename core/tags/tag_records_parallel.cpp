#include "core/tags/tag_records_parallel.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string_view>
#include <thread>

#include "core/tags/component_stream.h"
#include "core/library/load_threads.h"
#include "core/tags/tag_stream.h"

namespace tunecrest {

namespace {
// Records read on the calling thread before the data at hand is cut.
constexpr size_t kProbeRecords = 64;
// Fewer records at hand than this for each piece are not worth splitting further.
constexpr size_t kMinPieceRecords = 256;
// The data at hand is cut into several pieces for each thread, taken by whichever thread
// is free: a thread that starts late or is held up by the system delays the others by
// one small piece at most.
constexpr size_t kPiecesPerThread = 4;
constexpr unsigned kMaxThreads = 8;

std::atomic<int32_t> gMinRecords{TparallelReadLimits().MinRecords};
std::atomic<int32_t> gMinChunkRecords{TparallelReadLimits().MinChunkRecords};
std::atomic<unsigned> gThreads{TparallelReadLimits().Threads};

// Memory for the pieces' lists of tags, mapped for the read and unmapped after it. The
// tags move on to the caller's list; a heap on large pages would keep the lists' freed
// pages resident until it reuses them, megabytes for a large library.
template <typename T>
struct TmappedAllocator {
    using value_type = T;
    TmappedAllocator() = default;
    template <typename U>
    TmappedAllocator(const TmappedAllocator<U>&) {}
    T* allocate(size_t n) {
        void* p = ::mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) { ::munmap(p, n * sizeof(T)); }
    friend bool operator==(const TmappedAllocator&, const TmappedAllocator&) { return true; }
};

}  // namespace

// One piece of the data at hand and the tags read from it.
struct TparallelTagReader::Tchunk {
    size_t Start = 0;  // where its first record begins (a guess, but for the first piece)
    size_t Bound = 0;  // the next piece's start; the data's end for the last piece
    size_t End = 0;    // after the last record read
    bool Stopped = false;  // a record could not be read whole as a tag (damage, another class, no data)
    std::vector<TaudioTagPtr, TmappedAllocator<TaudioTagPtr>> Tags;

    void Reset(size_t start, size_t bound) {
        Start = End = start;
        Bound = bound;
        Stopped = false;
        Tags.clear();
    }
};

namespace {
using Tchunk = TparallelTagReader::Tchunk;

// Reads records from `chunk.End` on, while they begin before the bound and fewer than
// `limit` are held. A reading thread touches nothing shared but the data (read only)
// and the text pool, which is safe from any thread.
void ReadChunk(std::string_view data, Tchunk& chunk, size_t limit) noexcept {
    try {
        TbyteReader r(data);
        r.Seek(chunk.End);
        TcomponentValue scratch;
        while (r.Position() < chunk.Bound && chunk.Tags.size() < limit) {
            TaudioTagPtr tag = NewAudioTag();
            bool foreign = false;
            if (!ReadAudioTagRecord(r, *tag, scratch, nullptr, foreign)) {
                chunk.Stopped = true;
                return;
            }
            chunk.End = r.Position();
            chunk.Tags.push_back(std::move(tag));
        }
    } catch (...) {
        chunk.Stopped = true;  // out of memory: the sequential read meets it again
    }
}

// The start of the first record at or after `from` and before `before`, or 0.
size_t FindRecordStart(std::string_view data, size_t from, size_t before) {
    if (from >= before) return 0;
    const size_t at = data.substr(0, std::min(data.size(), before + kAudioTagRecordStart.size() - 1)).find(kAudioTagRecordStart, from);
    return at == std::string_view::npos || at >= before ? 0 : at;
}


unsigned ThreadCount() {
    if (const unsigned forced = gThreads.load()) return forced;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}
}  // namespace

TparallelReadLimits ParallelReadLimits() { return {gMinRecords.load(), gMinChunkRecords.load(), gThreads.load()}; }

void SetParallelReadLimits(const TparallelReadLimits& limits) {
    gMinRecords = limits.MinRecords;
    gMinChunkRecords = std::max<int32_t>(limits.MinChunkRecords, 1);
    gThreads = limits.Threads;
}

TparallelTagReader::TparallelTagReader(int32_t count) {
    if (count <= 0 || count < gMinRecords.load()) return;
    // Two threads for any list past the limit, more as it grows: each thread leaves part
    // of its heap's last large page unused (about a megabyte), paid once per thread.
    Fthreads = std::min<size_t>(ThreadCount(), std::max<size_t>(2, size_t(count) / size_t(gMinChunkRecords.load())));
}

TparallelTagReader::~TparallelTagReader() {
    {
        std::lock_guard<std::mutex> guard(Flock);
        Fstop = true;
    }
    Fwake.notify_all();
    for (auto& worker : Fworkers) worker.join();
}

void TparallelTagReader::StartWorkers() {
    try {
        for (size_t k = 1; k < Fthreads; ++k) Fworkers.emplace_back([this] { Work(); });
    } catch (...) {
        Fthreads = Fworkers.size() + 1;  // no more threads to be had: read with those there are
    }
}

bool TparallelTagReader::TakePiece(uint32_t round, size_t pieces, size_t& piece) {
    uint64_t next = Fnext.load();
    while (true) {
        if (uint32_t(next >> 32) != round || (next & 0xFFFFFFFFu) >= pieces) return false;
        if (Fnext.compare_exchange_weak(next, next + 1)) break;
    }
    piece = size_t(next & 0xFFFFFFFFu);
    return true;
}

void TparallelTagReader::ReadPieces(uint32_t round, size_t pieces, std::string_view data, size_t limit) {
    size_t piece = 0;
    while (TakePiece(round, pieces, piece)) {
        ReadChunk(data, *Fchunks[piece], limit);
        std::lock_guard<std::mutex> guard(Flock);
        if (--Funfinished == 0) Fdone.notify_one();
    }
}

void TparallelTagReader::Work() {
    const TthreadRegionHold hold;
    uint32_t seen = 0;
    std::unique_lock<std::mutex> lock(Flock);
    while (true) {
        Fwake.wait(lock, [&] { return Fstop || Fround != seen; });
        if (Fstop) break;
        seen = Fround;
        const std::string_view data = Fdata;
        const size_t limit = Flimit, pieces = FchunkCount;
        lock.unlock();
        ReadPieces(seen, pieces, data, limit);
        lock.lock();
    }
}

size_t TparallelTagReader::Read(TbyteReader& r, size_t count, std::vector<TaudioTagPtr>& tags) {
    if (!Enabled() || count == 0) return 0;
    if (Fchunks.empty())
        for (size_t k = 0; k < Fthreads * kPiecesPerThread; ++k) Fchunks.push_back(std::make_unique<Tchunk>());
    const std::string_view data = r.Data();
    const size_t begin = r.Position();

    // The first records on this thread: their mean length tells where the list ends, so
    // that the pieces split the list and not what may follow it.
    Tchunk& first = *Fchunks[0];
    first.Reset(begin, data.size());
    const size_t probe = std::min(kProbeRecords, count);
    ReadChunk(data, first, probe);
    size_t pieces = 1;
    if (!first.Stopped && first.Tags.size() == probe && probe < count) {
        const double mean = double(first.End - begin) / double(probe);
        const size_t listEnd = size_t(std::min(double(data.size()), double(begin) + mean * double(count) * 1.125));
        const size_t wantedPieces =
            std::min(Fchunks.size(), size_t(double(listEnd - first.End) / mean) / kMinPieceRecords);
        // Guessed starts near even splits; a split without a record start is left out
        // (the piece before it reads on).
        for (size_t k = 1; k < wantedPieces; ++k) {
            const size_t guess = begin + (listEnd - begin) / wantedPieces * k;
            const size_t next = k + 1 < wantedPieces ? begin + (listEnd - begin) / wantedPieces * (k + 1) : listEnd;
            const size_t start = FindRecordStart(data, std::max(guess, Fchunks[pieces - 1]->Start + 1), next);
            if (start <= first.End) continue;
            Fchunks[pieces - 1]->Bound = start;
            Fchunks[pieces++]->Reset(start, data.size());
        }
        // Room for each piece's tags, made on this thread (see TmappedAllocator).
        for (size_t k = 0; k < pieces; ++k) {
            Tchunk& chunk = *Fchunks[k];
            const double bytes = double(std::max(std::min(chunk.Bound, listEnd), chunk.Start) - chunk.Start);
            chunk.Tags.reserve(std::min(count, size_t(bytes / mean * 1.25) + 64));
        }
    }
    if (pieces > 1) {
        // The threads start with the first data that splits: a file that only claims many
        // records, and holds few, is read on this thread alone. Without threads to be had
        // this thread reads every piece.
        if (Fworkers.empty() && Fthreads > 1) StartWorkers();
        // This thread reads on from the first records, then takes pieces as the others do.
        uint32_t round = 0;
        {
            std::lock_guard<std::mutex> guard(Flock);
            Fdata = data;
            Flimit = count;
            FchunkCount = pieces;
            Funfinished = pieces;
            round = ++Fround;
            Fnext = (uint64_t(round) << 32) | 1;
        }
        Fwake.notify_all();
        ReadChunk(data, first, count);
        {
            std::lock_guard<std::mutex> guard(Flock);
            --Funfinished;
        }
        ReadPieces(round, pieces, data, count);
        std::unique_lock<std::mutex> lock(Flock);
        Fdone.wait(lock, [&] { return Funfinished == 0; });
    } else if (!first.Stopped) {
        ReadChunk(data, first, count);  // too little at hand to split: read on here
    }

    // The pieces taken: the first, and each after it whose start the piece before it
    // reached exactly, up to the first that stopped short and the last record wanted.
    size_t held = 0, last = 0, keep = 0;
    for (size_t k = 0; k < pieces; ++k) {
        const Tchunk& chunk = *Fchunks[k];
        last = k;
        if (held + chunk.Tags.size() >= count) {
            keep = count - held;
            break;
        }
        keep = chunk.Tags.size();
        if (chunk.Stopped || chunk.End != chunk.Bound) break;
        held += chunk.Tags.size();
    }
    // The reader stops after the last record taken: the end of its piece, or, when the
    // piece read on past the last record wanted, that record's end found by reading again.
    size_t end = Fchunks[last]->End;
    if (keep < Fchunks[last]->Tags.size()) {
        TbyteReader again(data);
        again.Seek(Fchunks[last]->Start);
        TcomponentValue scratch;
        TaudioTag ignored;
        for (size_t i = 0; i < keep; ++i) ReadAudioTagRecord(again, ignored, scratch);
        end = again.Position();
    }
    const size_t before = tags.size();
    for (size_t k = 0; k <= last; ++k) {
        auto& piece = Fchunks[k]->Tags;
        const size_t n = k == last ? keep : piece.size();
        for (size_t i = 0; i < n; ++i) {
            piece[i]->SetStoredPosition(int32_t(tags.size()));
            tags.push_back(std::move(piece[i]));
        }
    }
    for (size_t k = 0; k < pieces; ++k) Fchunks[k]->Tags.clear();
    r.Seek(end);
    return tags.size() - before;
}

}  // namespace tunecrest
