#include "core/tag_records_parallel.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string_view>
#include <thread>

#include "core/component_stream.h"
#include "core/tag_stream.h"

namespace tunecrest {

namespace {
// The first bytes of every tag record this system writes: the signature, the class name
// as a short text and the empty component name.
constexpr std::string_view kRecordStart("TPF0\x09TaudioTag\x00", 15);
// Records read on the calling thread before the data is cut: their mean length tells
// where the list ends, so that the pieces split the list and not what may follow it.
constexpr size_t kProbeRecords = 512;
constexpr unsigned kMaxThreads = 8;
// The smallest tag record: signature, class name, empty name and two end bytes.
constexpr size_t kMinTagRecordBytes = 4 + 1 + 9 + 1 + 2;

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

// One piece of the data and the tags read from it.
struct Tchunk {
    size_t Start = 0;  // where its first record begins (a guess, but for the first piece)
    size_t Bound = 0;  // the next piece's start; the data's end for the last piece
    size_t End = 0;    // after the last record read
    bool Stopped = false;  // a record could not be read as a tag (damage, another class, no data)
    std::vector<TaudioTagPtr, TmappedAllocator<TaudioTagPtr>> Tags;
};

// Reads records from `chunk.End` on, while they begin before the bound and fewer than
// `limit` are held. Only the calling thread of the read touches anything but the chunk
// (and the text pool, which is safe from any thread).
void ReadChunk(std::string_view data, Tchunk& chunk, size_t limit) noexcept {
    try {
        TbyteReader r(data);
        r.Seek(chunk.End);
        TcomponentValue scratch;
        while (r.Position() < chunk.Bound && chunk.Tags.size() < limit) {
            auto tag = std::make_shared<TaudioTag>();
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
    const size_t at = data.substr(0, std::min(data.size(), before + kRecordStart.size() - 1)).find(kRecordStart, from);
    return at == std::string_view::npos || at >= before ? 0 : at;
}

// What a reading thread holds, untouched, while it reads. Some allocators hand out a new
// thread's first region of memory page by page, so that threads that allocate little
// stay small (mimalloc delays committing a thread's first segment and maps it without
// large pages); a thread that allocates a hundred thousand tags would take most of them
// in small page faults. A block larger than such a region takes the region's place and
// the tags come from regions mapped whole. It costs address space only.
constexpr size_t kFirstRegionBytes = size_t(40) << 20;

void ReadChunkOnWorker(std::string_view data, Tchunk& chunk, size_t limit) noexcept {
    // Called as a function (not a new-expression), so the compiler keeps the block.
    void* placeholder = ::operator new(kFirstRegionBytes, std::nothrow);
    ReadChunk(data, chunk, limit);
    ::operator delete(placeholder);
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

bool ReadTagRecordsInParallel(TbyteReader& r, int32_t count, std::vector<TaudioTagPtr>& tags) {
    if (count <= 0 || count < gMinRecords.load()) return false;
    const size_t wanted = size_t(count);
    // Two pieces for any list past the limit, more as it grows: each thread leaves part of
    // its heap's last large page unused (about a megabyte), paid once per thread.
    const size_t pieces = std::min<size_t>(ThreadCount(), std::max<size_t>(2, wanted / size_t(gMinChunkRecords.load())));
    if (pieces < 2) return false;
    const std::string_view data = r.Data();
    const size_t begin = r.Position();
    // Room for the tags first, as the sequential read makes it (a count not borne out by
    // the data gets no more room than the data can hold).
    tags.reserve(tags.size() + std::min(wanted, r.Remaining() / kMinTagRecordBytes));

    std::vector<Tchunk> chunks;
    chunks.reserve(pieces);  // never moved: the threads and `first` hold on to them
    Tchunk& first = chunks.emplace_back();
    first.Start = first.End = begin;
    first.Bound = data.size();
    const size_t probe = std::clamp<size_t>(wanted / pieces / 2, 1, kProbeRecords);
    ReadChunk(data, first, probe);
    if (first.Stopped || first.Tags.size() < probe) return false;

    // Where the list ends if its records are as long as the first ones; a little beyond,
    // so that a list that is all there is splits over the whole data.
    const double mean = double(first.End - begin) / double(probe);
    const size_t listEnd = size_t(std::min(double(data.size()), double(begin) + mean * double(wanted) * 1.125));
    // Guessed starts near even splits of the list; a split without a record start is
    // left out (the piece before it reads on).
    for (size_t k = 1; k < pieces; ++k) {
        const size_t guess = begin + (listEnd - begin) / pieces * k;
        const size_t next = k + 1 < pieces ? begin + (listEnd - begin) / pieces * (k + 1) : listEnd;
        const size_t start = FindRecordStart(data, std::max(guess, chunks.back().Start + 1), next);
        if (start <= first.End) continue;
        chunks.back().Bound = start;
        Tchunk& chunk = chunks.emplace_back();
        chunk.Start = chunk.End = start;
        chunk.Bound = data.size();
    }
    if (chunks.size() < 2) return false;
    // Room for each piece's tags, made on this thread: vectors grown on the reading threads
    // would leave their outgrown blocks in those threads' heaps, resident after they end.
    for (Tchunk& chunk : chunks) {
        const double bytes = double(std::max(std::min(chunk.Bound, listEnd), chunk.Start) - chunk.Start);
        chunk.Tags.reserve(std::min(wanted, size_t(bytes / mean * 1.25) + 64));
    }

    // The pieces after the first on threads of their own, the first on this one.
    std::vector<std::thread> workers;
    workers.reserve(chunks.size() - 1);
    bool started = true;
    try {
        for (size_t k = 1; k < chunks.size(); ++k)
            workers.emplace_back([&chunks, data, k, wanted] { ReadChunkOnWorker(data, chunks[k], wanted); });
    } catch (...) {
        started = false;  // no thread to be had: read as before
    }
    if (started) ReadChunk(data, chunks[0], wanted);
    for (auto& worker : workers) worker.join();
    if (!started) return false;

    // Each piece counts only when the one before it ended exactly at its start, and every
    // piece before the one holding the last record wanted must have been read whole.
    size_t held = 0, last = 0, keep = 0;
    for (size_t k = 0;; ++k) {
        const Tchunk& chunk = chunks[k];
        if (held + chunk.Tags.size() >= wanted) {
            last = k;
            keep = wanted - held;
            break;
        }
        if (chunk.Stopped || k + 1 == chunks.size() || chunk.End != chunk.Bound) return false;
        held += chunk.Tags.size();
    }
    // The reader stops after the last record wanted: the end of the piece, or, when the
    // piece read on into what follows the list, that record's end found by reading again.
    size_t end = chunks[last].End;
    if (keep < chunks[last].Tags.size()) {
        TbyteReader again(data);
        again.Seek(chunks[last].Start);
        TcomponentValue scratch;
        TaudioTag ignored;
        for (size_t i = 0; i < keep; ++i)
            if (!ReadAudioTagRecord(again, ignored, scratch)) return false;
        end = again.Position();
    }

    for (size_t k = 0; k <= last; ++k) {
        auto& piece = chunks[k].Tags;
        const size_t n = k == last ? keep : piece.size();
        for (size_t i = 0; i < n; ++i) {
            piece[i]->SetStoredPosition(int32_t(tags.size()));
            tags.push_back(std::move(piece[i]));
        }
    }
    r.Seek(end);
    return true;
}

}  // namespace tunecrest
