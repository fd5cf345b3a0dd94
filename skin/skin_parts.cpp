#include "skin/skin_parts.h"

#include <algorithm>

#include <QPainter>
#include <QWidget>

namespace tunecrest {

namespace {

struct TmarkerScan {
    int First;
    int Second;
    bool Found;
};

// Walks `count` pixels and returns the first two markers (defaulting to `count`). When
// every pixel walked was a marker both become `count`.
template <typename Probe>
TmarkerScan ScanMarkers(int count, Probe isMarker)
{
    TmarkerScan scan{count, count, false};
    bool allWhite = true;
    int walked = 0;
    for (int i = 0; i < count; ++i) {
        ++walked;
        if (!isMarker(i)) {
            allWhite = false;
            continue;
        }
        if (!scan.Found) {
            scan.First = i;
            scan.Found = true;
        } else {
            scan.Second = i;
            break;
        }
    }
    if (walked > 0 && allWhite) scan.First = scan.Second = count;
    return scan;
}

void Clear(TskinRects& rects)
{
    rects.fill(TskinRect{});
}

// `r` cut to the picture; an empty result means nothing to copy.
TskinRect CutToImage(const TskinRect& r, const QImage& image)
{
    return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, image.width()),
            std::min(r.Bottom, image.height())};
}

QRect ToQRect(const TskinRect& r) { return QRect(r.Left, r.Top, SkinRectWidth(r), SkinRectHeight(r)); }

void Stretch(QPainter& dest, const QImage& src, const TskinRect& part, int l, int t, int r, int b)
{
    if (r <= l || b <= t) return;
    const QRect target(l, t, r - l, b - t);
    if (target.size() == QSize(SkinRectWidth(part), SkinRectHeight(part)))
        dest.drawImage(target.topLeft(), src, ToQRect(part));
    else
        dest.drawImage(target, src, ToQRect(part));
}

// Copies of `part` at its own size over (l, t)-(r, b), starting at the top-left; the
// last row and column are cut at the far edge.
void Tile(QPainter& dest, const QImage& src, const TskinRect& part, int l, int t, int r, int b)
{
    if (r <= l || b <= t) return;
    const int w = SkinRectWidth(part), h = SkinRectHeight(part);
    const int areaW = r - l, areaH = b - t;
    if (w >= areaW && h >= areaH) {
        dest.drawImage(QPoint(l, t), src, QRect(part.Left, part.Top, areaW, areaH));
        return;
    }
    // One band as wide as the area and a whole number of parts high (about 64 rows) is
    // laid with copies of the part, then copied down the area: a few large copies
    // instead of one per part, however small the part.
    const int bandH = std::min(h * std::max(1, 64 / h), ((areaH + h - 1) / h) * h);
    QImage band(areaW, bandH, src.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    {
        QPainter painter(&band);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (int y = 0; y < bandH; y += h)
            for (int x = 0; x < areaW; x += w) painter.drawImage(QPoint(x, y), src, ToQRect(part));
    }
    for (int y = t; y < b; y += bandH) dest.drawImage(QPoint(l, y), band, QRect(0, 0, areaW, std::min(bandH, b - y)));
}

}  // namespace

void ComputeSkinRects(const QImage& src, QImage& dest, TskinRects& rects, const TskinColors& colorsA,
                      int frameCount, const TskinColors& colorsB)
{
    Clear(rects);
    if (src.isNull() || src.width() == 0 || src.height() == 0) {
        dest = QImage();
        return;
    }
    dest = ToSkinBitmap(src);
    if (frameCount < 1) return;
    const int fw = dest.width() / frameCount;
    const int h = dest.height();
    if (fw == 0) return;

    const TmarkerScan cols = ScanMarkers(fw, [&](int x) { return IsMarkerPixel(SkinPixel(dest, x, 0)); });
    const TmarkerScan rows = ScanMarkers(h, [&](int y) { return IsMarkerPixel(SkinPixel(dest, 0, y)); });
    const int x1 = cols.First, x2 = cols.Second, y1 = rows.First, y2 = rows.Second;

    RecolourSkinBitmap(dest, frameCount, colorsA, colorsB, false, kFaceMask);

    if (!cols.Found && !rows.Found) {
        // No markers: the whole frame is centre and nothing else is painted over it.
        rects[4] = {0, 0, fw, h};
        return;
    }
    rects[0] = {0, 0, x1, y1};
    rects[1] = {x1 + 1, 0, x2, y1};
    rects[2] = {x2 + 1, 0, fw, y1};
    rects[3] = {0, y1 + 1, x1, y2};
    rects[4] = {x1 + 1, y1 + 1, x2, y2};
    rects[5] = {x2 + 1, y1 + 1, fw, y2};
    rects[6] = {0, y2 + 1, x1, h};
    rects[7] = {x1 + 1, y2 + 1, x2, h};
    rects[8] = {x2 + 1, y2 + 1, fw, h};
}

void DrawSkinParts(int right, int bottom, int left, int top, QPainter& dest, const QImage& src,
                   const TskinRects& rects, bool stretch)
{
    if (src.isNull() || right <= left || bottom <= top) return;
    TskinRects r;
    for (size_t i = 0; i < r.size(); ++i) {
        r[i] = IsValidSkinRect(rects[i]) ? CutToImage(rects[i], src) : TskinRect{};
        if (!IsValidSkinRect(r[i])) r[i] = TskinRect{};
    }
    auto used = [&](int n) { return IsValidSkinRect(r[n]); };
    auto w = [&](int n) { return SkinRectWidth(r[n]); };
    auto h = [&](int n) { return SkinRectHeight(r[n]); };
    auto paint = [&](int n, int l, int t, int rr, int b) {
        if (!used(n)) return;
        if (stretch)
            Stretch(dest, src, r[n], l, t, rr, b);
        else
            Tile(dest, src, r[n], l, t, rr, b);
    };

    // Centre.
    if (used(4)) {
        if (stretch)
            Stretch(dest, src, r[4], left + r[0].Right, top + r[1].Bottom, right - w(5), bottom - h(7));
        else
            Tile(dest, src, r[4], left, top, right, bottom);
    }
    // Edges: bottom, right, left, top. Stretched edges run between the corners; tiled
    // ones from the start of the area to its far end (the corners cover the overshoot).
    if (stretch) {
        paint(7, left + r[6].Right, bottom - h(7), right - w(8), bottom);
        paint(5, right - w(5), top + r[2].Bottom, right, bottom - h(8));
        paint(3, left, top + r[0].Bottom, left + w(3), bottom - h(6));
        paint(1, left + r[0].Right, top, right - w(2), top + h(1));
    } else {
        paint(7, left, bottom - h(7), right, bottom);
        paint(5, right - w(5), top, right, bottom);
        paint(3, left, top, left + w(3), bottom);
        paint(1, left, top, right, top + h(1));
    }
    // Corners at their own size, never stretched.
    auto corner = [&](int n, int x, int y) {
        if (used(n)) dest.drawImage(QPoint(x, y), src, ToQRect(r[n]));
    };
    corner(8, right - w(8), bottom - h(8));
    corner(6, left, bottom - h(6));
    corner(0, left, top);
    corner(2, right - w(2), top);
}

int SkinPartWidth(int clientWidth, const TskinRects& rects)
{
    if (IsValidSkinRect(rects[1]) || IsValidSkinRect(rects[4]) || IsValidSkinRect(rects[7])) return clientWidth;
    for (int n : {0, 3, 2, 6, 5, 8})
        if (IsValidSkinRect(rects[n])) return SkinRectWidth(rects[n]);
    return 0;
}

int SkinPartHeight(int clientHeight, const TskinRects& rects)
{
    if (IsValidSkinRect(rects[3]) || IsValidSkinRect(rects[4]) || IsValidSkinRect(rects[5])) return clientHeight;
    for (int n : {0, 1, 2, 6, 7, 8})
        if (IsValidSkinRect(rects[n])) return SkinRectHeight(rects[n]);
    return 0;
}

int SkinPartWidth(const QWidget& control, const TskinRects& rects)
{
    return SkinPartWidth(control.contentsRect().width(), rects);
}

int SkinPartHeight(const QWidget& control, const TskinRects& rects)
{
    return SkinPartHeight(control.contentsRect().height(), rects);
}

QImage PaintableSkin(const QImage& skin)
{
    if (skin.isNull() || skin.format() == QImage::Format_RGB32) return skin;
    return skin.convertToFormat(QImage::Format_RGB32);
}

}  // namespace tunecrest
