#pragma once
// A list of same-sized images drawn by index (row icons of the markup list box).
#include <QImage>
#include <QObject>
#include <vector>

#include "core/display/color.h"

class QPainter;

namespace tunecrest {

class TimageList : public QObject {
  public:
    TimageList(int width, int height, QObject* parent = nullptr)
        : QObject(parent), Fwidth(width), Fheight(height) {}

    int Width() const { return Fwidth; }
    int Height() const { return Fheight; }
    int Count() const { return int(Fimages.size()); }
    // Adds the image scaled to the list's size; returns its index.
    int Add(const QImage& image);
    // Replaces image `index` by `image` scaled to the list's size, its pixels of
    // `transparentColor` left out when drawn; nothing for a bad index.
    void Replace(int index, const QImage& image, TColor transparentColor);
    // Puts `image` back at `index` as Add takes it (its own alpha, no transparent colour).
    void Restore(int index, const QImage& image);
    // Image `index` as given (scaled, opaque), and its transparent colour; a null image
    // and clFuchsia for a bad index or an image added without one.
    QImage Image(int index) const;
    TColor TransparentColor(int index) const;
    // Draws image `index` with its top-left corner at (x, y); nothing for a bad index.
    void Draw(QPainter& painter, int x, int y, int index) const;

  private:
    int Fwidth, Fheight;
    QImage Scaled(const QImage& image) const;
    std::vector<QImage> Fimages;  // as drawn
    std::vector<QImage> Fsources;
    std::vector<TColor> Ftransparent;
};

}  // namespace tunecrest
