#pragma once
// When the program's heap gives freed memory back to the system.
//
// While the library loads, the heap keeps memory it freed a little while, for the next
// allocation: a load frees and takes again all the time. mimalloc gives such memory back
// only when it next works in that part of the heap, and a running jukebox is mostly
// idle: what a browse freed (the temporary tables of a genre's artists and albums made
// on opening it) stayed resident for good, some 10 MB at a million tracks.
namespace tunecrest {

// Called by the program's heap (platform/fast_allocator.cpp) before main: how to make it
// give freed memory back at once.
void SetHeapReleaseAtOnce(void (*release)());

// From now on the heap gives memory back to the system as soon as it is free. Nothing
// happens on the C library's heap (tests, sanitizer builds), which trims by itself.
void ReleaseFreedMemoryAtOnce();

}  // namespace tunecrest
