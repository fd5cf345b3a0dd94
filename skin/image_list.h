#pragma once
// A list of same-sized images drawn by index (row icons of the markup list box).
#include <QImage>
#include <QObject>
#include <vector>

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
    // Draws image `index` with its top-left corner at (x, y); nothing for a bad index.
    void Draw(QPainter& painter, int x, int y, int index) const;

  private:
    int Fwidth, Fheight;
    std::vector<QImage> Fimages;
};

}  // namespace tunecrest
