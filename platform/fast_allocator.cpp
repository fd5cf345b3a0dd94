// The program's heap: mimalloc in place of the C library's allocator, drawing its
// memory in 2 MB pages. A library of a million tracks is millions of small objects;
// with 4 KB pages most of its loading time went into first-touch page faults, and
// the C allocator's free lists made it slower still.
//
// Linked only into the programs (the jukebox and the benchmarks that time it), never
// into sanitizer builds, whose own allocator must see every allocation.
#include <mimalloc.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

// The C library's headers may be older than the request (Linux 6.1).
#ifndef MADV_COLLAPSE
#define MADV_COLLAPSE 25
#endif

namespace {
// mimalloc's segments are 32 MB, aligned to their size.
constexpr uintptr_t kSegmentSize = uintptr_t(32) << 20;

constexpr uintptr_t kLargePage = uintptr_t(2) << 20;

// Runs before main and before any static object of ours allocates much. Segments
// reserved from here on come from large pages where the system grants them (and from
// ordinary pages where it does not); the first segment, reserved while the process
// started, is advised to use them too.
//
// Its first 2 MB were already touched by then (the allocator's own bookkeeping and the
// libraries' first objects), so the system keeps filling that stretch in 4 KB pages: the
// first megabyte or two a program allocates would cost a few hundred page faults, about
// a third of loading a library of ten thousand tracks. The stretch is collapsed into one
// large page now, at the cost of one 2 MB copy. Systems older than the request (Linux
// 6.1) refuse it and go on as before.
__attribute__((constructor(101))) void UseLargePages() {
    mi_option_enable(mi_option_large_os_pages);
    void* probe = mi_malloc(16);
    const uintptr_t segment = reinterpret_cast<uintptr_t>(probe) & ~(kSegmentSize - 1);
    ::madvise(reinterpret_cast<void*>(segment), kSegmentSize, MADV_HUGEPAGE);
    ::madvise(reinterpret_cast<void*>(segment), kLargePage, MADV_COLLAPSE);
    mi_free(probe);
}
}  // namespace
