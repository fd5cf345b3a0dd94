#pragma once
// Skin colours and recolouring. Every skinned control is drawn from a grey-scale template
// bitmap recoloured at run time with up to four colours, so one set of templates serves
// every colour scheme:
//   grey pixels (B = G = R)  -> Color1 shaded to the pixel's level,
//   blue-only pixels         -> Color2 at the blue level,
//   green-only pixels        -> Color3 at the green level,
//   red-only pixels          -> Color4 at the red level,
//   anything else stays as it is. Level 128 is the colour itself, 255 white, 0 black.
// A template holds frames side by side (or stacked); the last frame is a mask choosing,
// pixel by pixel, which of two colour sets applies to the frames before it.
//
// Skin bitmaps are QImages in Format_BGR888: three bytes per pixel in the order blue,
// green, red, the order the rules below speak of, so every pixel rule is exact and
// testable without a display.
#include <array>
#include <cstdint>
#include <vector>

#include <QImage>

#include "core/display/color.h"
#include "core/base/event_lists.h"
#include "playback/bitmap.h"

namespace tunecrest {

// One pixel or colour as three bytes in bitmap order.
struct TcolorTriple {
    uint8_t B = 0, G = 0, R = 0;
    bool operator==(const TcolorTriple&) const = default;
};

constexpr TcolorTriple ColorToTriple(TColor c) { return {GetBValue(c), GetGValue(c), GetRValue(c)}; }
constexpr TColor TripleToColor(TcolorTriple t) { return RGBColor(t.R, t.G, t.B); }

// The four colours of one recolourable area of a control (its face, or its surroundings).
class TskinColors : public TObject {
public:
    TskinColors();
    TskinColors(const TskinColors&) = delete;
    TskinColors& operator=(const TskinColors&) = delete;

    TColor Color1() const { return Fcolor1; }
    TColor Color2() const { return Fcolor2; }
    TColor Color3() const { return Fcolor3; }
    TColor Color4() const { return Fcolor4; }
    // Every set notifies, even with the value it already had.
    void SetColor1(TColor c);
    void SetColor2(TColor c);
    void SetColor3(TColor c);
    void SetColor4(TColor c);

    // The triples the recolouring reads, kept equal to the colours.
    const TcolorTriple& Triple1() const { return Ftriple1; }
    const TcolorTriple& Triple2() const { return Ftriple2; }
    const TcolorTriple& Triple3() const { return Ftriple3; }
    const TcolorTriple& Triple4() const { return Ftriple4; }

    // Changes inside the bracket are reported once, at the outermost EndUpdate. An
    // EndUpdate without BeginUpdate leaves the counter at 0 and notifies.
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }

    // Copies the four colours of `source` with one notification.
    void Assign(const TskinColors& source);

    TNotifyEvent OnChange;

private:
    void Change();

    TColor Fcolor3, Fcolor1, Fcolor4, Fcolor2;
    TcolorTriple Ftriple2, Ftriple3, Ftriple1, Ftriple4;
    int FupdateCount = 0;
};

// Pixel tests on a triple.
constexpr bool IsGreyPixel(TcolorTriple p) { return p.B == p.G && p.G == p.R; }
constexpr bool IsBlueOnlyPixel(TcolorTriple p) { return p.G == 0 && p.R == 0; }
constexpr bool IsGreenOnlyPixel(TcolorTriple p) { return p.B == 0 && p.R == 0; }
constexpr bool IsRedOnlyPixel(TcolorTriple p) { return p.B == 0 && p.G == 0; }
constexpr bool IsMarkerPixel(TcolorTriple p) { return p.B > 254 && p.G > 254 && p.R > 254; }

// Rectangles of skin parts (Left, Top, Right, Bottom; right and bottom exclusive).
using TskinRect = Trect;
constexpr bool IsValidSkinRect(const TskinRect& r) { return 0 <= r.Left && r.Left < r.Right && 0 <= r.Top && r.Top < r.Bottom; }
constexpr int SkinRectWidth(const TskinRect& r) { return r.Right - r.Left; }
constexpr int SkinRectHeight(const TskinRect& r) { return r.Bottom - r.Top; }

bool ColorInList(TColor color, const std::vector<TColor>& list);

// `colour` shaded to `level`: 128 keeps it, above 128 moves each channel towards 255 by
// (level - 128) / 127, below 128 towards 0 by (128 - level) / 128; halves round to even.
TcolorTriple ShadeColor(uint8_t level, TcolorTriple colour);

// Each channel moved `percent` (0..100) of the way to white / to black, rounded.
TColor LightenColor(TColor color, int percent);
TColor DarkenColor(TColor color, int percent);

// The mask colours of the controls' templates.
extern const std::vector<TColor> kFaceMask;         // [$FFFFFF]: white marks the face
extern const std::vector<TColor> kMultiButtonMask;  // the four sub-button colours

// Recolours `bitmap` in place (switching it to Format_BGR888). The last of `frameCount`
// frames is the mask: where its pixel is in `maskColors` the frames before it take
// `colorsA`, elsewhere `colorsB`. With one frame everything takes `colorsA` and no mask
// is read. Frames stand side by side, or stacked when `vertical`. Columns (rows) left
// over by the division into frames are never touched. A frame of size 0, a frame count
// below 1 or an empty bitmap changes nothing; nothing is ever thrown.
void RecolourSkinBitmap(QImage& bitmap, int frameCount, const TskinColors& colorsA,
                        const TskinColors& colorsB, bool vertical, const std::vector<TColor>& maskColors);

// The pixel at (x, y) of a skin bitmap of any format as a triple; black outside the bitmap.
TcolorTriple SkinPixel(const QImage& bitmap, int x, int y);
// `image` as a Format_BGR888 bitmap (a shared copy when it already is one).
QImage ToSkinBitmap(const QImage& image);

}  // namespace tunecrest
