#pragma once
// The tag records of a large list, read on several threads from the data at hand (the
// whole list held in memory, or the window of a file read a piece at a time). A
// record's end is only known by reading it, so the data is cut at guessed record starts
// (the bytes every tag record begins with, found near even splits); each piece is read
// on a thread of its own, and a guess counts only when the piece before it, read from a
// start already known to be true, ends exactly there. The records read so form a prefix
// of what a sequential read takes, read exactly as it would; what stopped them (damage,
// a record of another class, a guess not confirmed, the end of the data at hand) is
// left to the caller, who reads on one record at a time and meets it as before.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "core/tags/audio_tag.h"
#include "core/base/safe_file.h"

namespace tunecrest {

// When the records are read on several threads.
struct TparallelReadLimits {
    // Lists with fewer records are read on the calling thread alone.
    int32_t MinRecords = 60000;
    // A list past MinRecords is read on two threads, and on one more for every so many
    // records (each thread's heap keeps part of a large page to itself).
    int32_t MinChunkRecords = 32768;
    // Threads at most, the calling thread included; 0 for the machine's cores (at most 8).
    unsigned Threads = 0;
};
TparallelReadLimits ParallelReadLimits();
// Tests lower the limits to take the parallel road with small lists.
void SetParallelReadLimits(const TparallelReadLimits& limits);

// Reads one list's records; its threads start at the first read that needs them and
// end with it. Used from one thread.
class TparallelTagReader {
public:
    // `count`: the records the list holds, which decides whether it is read on several
    // threads and on how many.
    explicit TparallelTagReader(int32_t count);
    ~TparallelTagReader();
    TparallelTagReader(const TparallelTagReader&) = delete;
    TparallelTagReader& operator=(const TparallelTagReader&) = delete;

    bool Enabled() const { return Fthreads > 1; }
    // Reads at most `count` records from `r`'s position, as far as the data at hand
    // holds them whole and each is a tag. The tags are appended to `tags` (each with its
    // stored position set to its place there) and `r` stands after the last one read.
    // Returns how many were read: 0 (with `r` and the tags held untouched) when the data
    // at hand is too short to be worth splitting or its first record is no plain tag.
    size_t Read(TbyteReader& r, size_t count, std::vector<TaudioTagPtr>& tags);

    struct Tchunk;

private:
    void StartWorkers();
    void Work();

    // Takes the next of the `pieces` of `round`; false when none is left (or the round
    // is over).
    bool TakePiece(uint32_t round, size_t pieces, size_t& piece);
    void ReadPieces(uint32_t round, size_t pieces, std::string_view data, size_t limit);

    size_t Fthreads = 1;  // the calling thread included
    std::vector<std::thread> Fworkers;
    std::mutex Flock;
    std::condition_variable Fwake, Fdone;
    // The round (high half) and its next piece to take (low half): a worker late for a
    // round never takes a piece of the next one.
    std::atomic<uint64_t> Fnext{0};
    uint32_t Fround = 0;
    size_t Funfinished = 0;  // pieces of this round not read yet
    bool Fstop = false;
    std::vector<std::unique_ptr<Tchunk>> Fchunks;
    size_t FchunkCount = 0;  // pieces this round
    std::string_view Fdata;
    size_t Flimit = 0;
};

}  // namespace tunecrest
