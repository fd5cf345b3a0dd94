#pragma once
// Memory the heap holds for the process, for benchmarks that watch it grow: what
// mimalloc has committed when the programs' allocator is linked, else what the C
// library's allocator has handed out.
#include <cstddef>

#if defined(TUNECREST_MIMALLOC)
#include <mimalloc.h>
inline size_t HeapInUseBytes() {
    size_t elapsed = 0, user = 0, system = 0, rss = 0, peakRss = 0, commit = 0, peakCommit = 0, faults = 0;
    mi_process_info(&elapsed, &user, &system, &rss, &peakRss, &commit, &peakCommit, &faults);
    return commit;
}
#else
#include <malloc.h>
inline size_t HeapInUseBytes() { return mallinfo2().uordblks; }
#endif
