#pragma once
// Nine-part skin painting. White marker pixels in row 0 and column 0 of a template cut
// each frame into three columns and three rows: corners keep their size, edges and the
// centre follow the size of the control (tiled or stretched). The marker column and
// row belong to no part.
//
//   0 top-left     1 top     2 top-right
//   3 left         4 centre  5 right
//   6 bottom-left  7 bottom  8 bottom-right
#include <array>

#include <QImage>

#include "skin/skin_colors.h"

class QPainter;
class QWidget;

namespace tunecrest {

using TskinRects = std::array<TskinRect, 9>;

// Cuts `src` (frames side by side) and recolours a copy into `dest` (Format_BGR888),
// the face with `colorsA` and the rest with `colorsB` as the white mask frame says.
// Markers are found on the uncoloured template. A template without markers is all
// centre: rectangle 4 covers the frame and every other rectangle is out of use. An
// empty template, a frame count below 1 or a frame 0 pixels wide gives an empty
// `dest` or unusable rectangles, so painting draws nothing.
void ComputeSkinRects(const QImage& src, QImage& dest, TskinRects& rects, const TskinColors& colorsA,
                      int frameCount, const TskinColors& colorsB);

// Paints the nine parts of `src` into the area (left, top)-(right, bottom) of `dest`:
// the centre first (stretched or tiled from the top-left of the area), then the bottom,
// right, left and top edges, then the four corners at their own size. Parts out of use
// are skipped; rectangles reaching outside `src` are cut to it.
void DrawSkinParts(int right, int bottom, int left, int top, QPainter& dest, const QImage& src,
                   const TskinRects& rects, bool stretch);

// The natural width (height) of a nine-part skin: the control's client width (height)
// when the middle column (row) is in use, otherwise the size of the first corner or edge
// in use; 0 when none is.
int SkinPartWidth(int clientWidth, const TskinRects& rects);
int SkinPartHeight(int clientHeight, const TskinRects& rects);
int SkinPartWidth(const QWidget& control, const TskinRects& rects);
int SkinPartHeight(const QWidget& control, const TskinRects& rects);

// A recoloured skin made ready for painting: painting from a 32-bit image avoids a
// conversion on every copy. Controls keep one of these per rebuild.
QImage PaintableSkin(const QImage& skin);

}  // namespace tunecrest
