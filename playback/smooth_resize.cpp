#include "playback/smooth_resize.h"

#include <algorithm>
#include <cstdint>

namespace tunecrest {

namespace {
constexpr int64_t kOne = 32768;  // 1.0 in 15-bit fixed point
constexpr int kShift = 15;
constexpr int64_t kFraction = kOne - 1;
}  // namespace

void SmoothResize(const Tbitmap& source, Tbitmap& target, const TresizeProgress& progress) {
    if (source.Empty() || target.Empty()) return;
    const int sw = source.Width(), sh = source.Height();
    const int tw = target.Width(), th = target.Height();
    const int64_t xStep = (int64_t(sw - 1) * kOne) / tw;
    const int64_t yStep = (int64_t(sh - 1) * kOne) / th;
    int lastReported = -1;
    for (int y = 0; y < th; ++y) {
        const int64_t yPos = y * yStep;
        const int sy = int(yPos >> kShift);
        const int64_t fy = yPos & kFraction, fy2 = kOne - fy;
        // The next row, held at the last one so a picture one row tall is never overrun.
        const uint8_t* row1 = source.ScanLine(sy);
        const uint8_t* row2 = source.ScanLine(std::min(sy + 1, sh - 1));
        uint8_t* out = target.ScanLine(y);
        for (int x = 0; x < tw; ++x) {
            const int64_t xPos = x * xStep;
            const int sx = int(xPos >> kShift);
            const int64_t fx = xPos & kFraction, fx2 = kOne - fx;
            const int sx2 = std::min(sx + 1, sw - 1);
            // The four weights add up to exactly 1.0, so a plain area keeps its colour.
            const int64_t w2 = (fx * fy2) >> kShift, w3 = (fx2 * fy) >> kShift, w4 = (fx * fy) >> kShift;
            const int64_t w1 = kOne - w2 - w3 - w4;
            const uint8_t* c1 = row1 + size_t(sx) * 3;
            const uint8_t* c2 = row1 + size_t(sx2) * 3;
            const uint8_t* c3 = row2 + size_t(sx) * 3;
            const uint8_t* c4 = row2 + size_t(sx2) * 3;
            for (int c = 0; c < 3; ++c)
                out[size_t(x) * 3 + c] = uint8_t((c1[c] * w1 + c2[c] * w2 + c3[c] * w3 + c4[c] * w4) >> kShift);
        }
        if (progress) {
            const int percent = int(int64_t(y + 1) * 100 / th);
            if (percent % 25 == 0 && percent != lastReported) {
                lastReported = percent;
                progress(percent);
            }
        }
    }
}

}  // namespace tunecrest
