#pragma once
// The process ending after its window closed: memory that only the end of the process
// would give back is not taken apart first. A large library is millions of small
// objects, and freeing them one by one took most of a second after everything was
// saved; the system takes the whole address space back at once.
#include <memory>

namespace tunecrest {

// Set by the program once its window has closed and every save is finished; never in
// tests, which go on after a window closes.
void SetProcessEnding();
bool ProcessEnding();
// Keeps `held` until the process ends (never destroyed). Only while ProcessEnding().
void KeepUntilProcessEnds(std::shared_ptr<const void> held);

}  // namespace tunecrest
