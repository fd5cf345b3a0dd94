#include "platform/heap_release.h"

namespace tunecrest {

namespace {
// Set before main by the allocator, read on the main thread only after.
void (*gReleaseAtOnce)() = nullptr;
}  // namespace

void SetHeapReleaseAtOnce(void (*release)()) {
    gReleaseAtOnce = release;
}

void ReleaseFreedMemoryAtOnce() {
    if (gReleaseAtOnce) gReleaseAtOnce();
}

}  // namespace tunecrest
