// The program's heap: mimalloc in place of the C library's allocator. A library of a
// million tracks is millions of small objects, which the C allocator's free lists made
// slow to make and to fill.
//
// The heap stays on ordinary 4 KB pages. Large (2 MB) pages were tried: the system clears
// each one whole when it is first touched, and on virtual machines, where the host gives
// the guest its memory only as it is touched, that costs several times what the small
// pages of the same memory cost, and from one start to the next anything from as much to
// ten times as much (a million-track start-up spent two fifths of its time there). The
// large pages also kept about 40 MB more resident, the unused rest of partly filled ones.
//
// Linked only into the programs (the jukebox and the benchmarks that time it), never
// into sanitizer builds, whose own allocator must see every allocation.
//
// Memory freed while the library loads is kept for a moment, to be taken again (mimalloc's
// delay). Once the library is loaded the program asks for freed memory to go back at once
// (platform/heap_release.h): otherwise an idle window kept what a browse freed.
#include <mimalloc.h>

#include "platform/heap_release.h"

namespace {
// A call into the allocator, so that the program keeps it as its heap even where the
// linker drops libraries that nothing calls.
__attribute__((constructor(101))) void UseFastHeap() {
    (void)mi_version();
    tunecrest::SetHeapReleaseAtOnce([] { mi_option_set(mi_option_decommit_delay, 0); });
}
}  // namespace
