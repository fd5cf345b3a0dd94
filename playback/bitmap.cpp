#include "playback/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tunecrest {

void Tbitmap::SetSize(int width, int height) {
    Fwidth = std::max(width, 0);
    Fheight = std::max(height, 0);
    if (Fwidth == 0 || Fheight == 0) Fwidth = Fheight = 0;
    Fpixels.assign(size_t(Fwidth) * size_t(Fheight) * 3, 0);
}

void Tbitmap::Fill(Trgb colour) {
    for (int y = 0; y < Fheight; ++y)
        for (int x = 0; x < Fwidth; ++x) SetPixel(x, y, colour);
}

void Tbitmap::Draw(const Tbitmap& source, int x, int y) {
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + source.Width(), Fwidth), bottom = std::min(y + source.Height(), Fheight);
    if (left >= right || top >= bottom) return;
    for (int row = top; row < bottom; ++row)
        std::memcpy(ScanLine(row) + size_t(left) * 3, source.ScanLine(row - y) + size_t(left - x) * 3,
                    size_t(right - left) * 3);
}

bool PictureSizeAllowed(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

TpictureSize FitPictureSize(int pictureWidth, int pictureHeight, int rectWidth, int rectHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || rectWidth <= 0 || rectHeight <= 0) return {};
    const double a = double(pictureWidth) / pictureHeight;
    const double b = double(rectWidth) / rectHeight;
    // Halves round to the even neighbour, as the rest of the system rounds.
    if (a >= b) {
        return {rectWidth, int(std::nearbyint(rectWidth / a))};
    }
    return {int(std::nearbyint(rectHeight * a)), rectHeight};
}

Trect PlacePicture(const Trect& target, TpictureSize picture, int horizontalAlign, int verticalAlign) {
    auto offset = [](int align, int room, int size) {
        switch (align) {
            case 1: return (room - size) / 2;  // C++ division truncates towards zero
            case 2: return room - size;
            default: return 0;
        }
    };
    const int x = target.Left + offset(horizontalAlign, target.Width(), picture.Width);
    const int y = target.Top + offset(verticalAlign, target.Height(), picture.Height);
    return {x, y, x + picture.Width, y + picture.Height};
}

}  // namespace tunecrest
