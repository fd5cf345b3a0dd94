#pragma once
// Bilinear resampling of 24-bit pictures in 15-bit fixed point, shared by the image
// getter and the skin's picture panels.
#include <functional>

#include "playback/bitmap.h"

namespace tunecrest {

// Called after a row whose share of the rows done is a new multiple of 25 percent.
using TresizeProgress = std::function<void(int percent)>;

// Resamples `source` into `target` at the size `target` already has. An empty source or
// target leaves `target` untouched. Every source read stays inside the picture, also for a
// source one pixel wide or tall.
void SmoothResize(const Tbitmap& source, Tbitmap& target, const TresizeProgress& progress = {});

}  // namespace tunecrest
