#pragma once
// The play state every engine reports.
#include <cstdint>

namespace tunecrest {

enum TmediaPlayState : uint8_t { psStopped = 0, psPlaying = 1, psPaused = 2, psUnknown = 3 };

}  // namespace tunecrest
