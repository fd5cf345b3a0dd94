#pragma once
// A plain 24-bit picture in memory and the arithmetic that fits a picture into a
// rectangle. The image getter decodes into it and the interface wraps it for drawing
// (rows top to bottom, three bytes per pixel in the order red, green, blue, no padding).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tunecrest {

// The largest picture the decoders accept: pictures come from files and answers the
// system does not control, so a header that claims more is refused before memory is taken.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t(32) * 1024 * 1024;

struct Trgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const Trgb&) const = default;
};

class Tbitmap {
public:
    Tbitmap() = default;
    Tbitmap(int width, int height) { SetSize(width, height); }

    int Width() const { return Fwidth; }
    int Height() const { return Fheight; }
    bool Empty() const { return Fwidth <= 0 || Fheight <= 0; }
    // Resizes to width x height, every pixel black. Negative sizes count as 0.
    void SetSize(int width, int height);
    void Clear() { SetSize(0, 0); }
    void Fill(Trgb colour);

    // Caller keeps 0 <= x < Width(), 0 <= y < Height().
    Trgb Pixel(int x, int y) const {
        const uint8_t* p = &Fpixels[Offset(x, y)];
        return {p[0], p[1], p[2]};
    }
    void SetPixel(int x, int y, Trgb c) {
        uint8_t* p = &Fpixels[Offset(x, y)];
        p[0] = c.R;
        p[1] = c.G;
        p[2] = c.B;
    }
    uint8_t* ScanLine(int y) { return &Fpixels[Offset(0, y)]; }
    const uint8_t* ScanLine(int y) const { return &Fpixels[Offset(0, y)]; }
    int BytesPerLine() const { return Fwidth * 3; }

    // Copies `source` unscaled with its top-left corner at (x, y); what falls outside is cut off.
    void Draw(const Tbitmap& source, int x, int y);

    bool operator==(const Tbitmap&) const = default;

private:
    size_t Offset(int x, int y) const { return (size_t(y) * size_t(Fwidth) + size_t(x)) * 3; }
    int Fwidth = 0;
    int Fheight = 0;
    std::vector<uint8_t> Fpixels;
};

// True when a picture of width x height may be decoded (both sides 1..kMaxPictureSide and
// the pixel count within kMaxPicturePixels).
bool PictureSizeAllowed(int64_t width, int64_t height);

struct TpictureSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TpictureSize&) const = default;
};

struct Trect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const Trect&) const = default;
};

// The size of a picture fitted into a rectangle keeping its proportions: the full width of
// the rectangle when the picture is relatively wider, else its full height. 0 x 0 when the
// picture or the rectangle has no width or no height.
TpictureSize FitPictureSize(int pictureWidth, int pictureHeight, int rectWidth, int rectHeight);

// Where a fitted picture is drawn inside `target`: horizontal 0 left, 1 centre, 2 right;
// vertical 0 top, 1 centre, 2 bottom; other values act as 0.
Trect PlacePicture(const Trect& target, TpictureSize picture, int horizontalAlign, int verticalAlign);

}  // namespace tunecrest
