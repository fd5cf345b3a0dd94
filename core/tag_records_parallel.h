#pragma once
// The tag records of a large list held in memory, read on several threads. A record's
// end is only known by reading it, so the data is cut at guessed record starts (the
// bytes every tag record begins with, found near even splits); each piece is read on a
// thread of its own, and a guess counts only when the piece before it, read from a
// start already known to be true, ends exactly there. Anything else (damage, a record
// of another class, a guess that was not confirmed) leaves the read to the calling
// thread, which reads the records one after the other as before: the result is always
// the one a sequential read gives.
#include <cstdint>
#include <vector>

#include "core/audio_tag.h"
#include "core/safe_file.h"

namespace tunecrest {

// When the records are read on several threads.
struct TparallelReadLimits {
    // Lists with fewer records are read on the calling thread alone.
    int32_t MinRecords = 60000;
    // A list past MinRecords is read in two pieces, and in one more for every so many
    // records (each thread's heap keeps a few megabytes to itself).
    int32_t MinChunkRecords = 32768;
    // Threads at most, the calling thread included; 0 for the machine's cores (at most 8).
    unsigned Threads = 0;
};
TparallelReadLimits ParallelReadLimits();
// Tests lower the limits to take the parallel road with small lists.
void SetParallelReadLimits(const TparallelReadLimits& limits);

// Reads `count` tag records from `r` on several threads when the limits allow. True
// when every record was read and each is a tag: the tags are appended to `tags` (each
// with its stored position set to its place there) and `r` stands after the last
// record, exactly as a sequential read leaves them. False, with `r` and the tags held
// untouched, when the list is too small or anything else than the plain case was met:
// the caller then reads the records itself and meets the same damage.
bool ReadTagRecordsInParallel(TbyteReader& r, int32_t count, std::vector<TaudioTagPtr>& tags);

}  // namespace tunecrest
