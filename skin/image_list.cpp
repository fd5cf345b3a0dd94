#include "skin/image_list.h"

#include <QPainter>

namespace tunecrest {

QImage TimageList::Scaled(const QImage& image) const {
    return image.size() == QSize(Fwidth, Fheight)
               ? image
               : image.scaled(Fwidth, Fheight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int TimageList::Add(const QImage& image) {
    Fimages.push_back(Scaled(image));
    Fsources.push_back(Fimages.back());
    Ftransparent.push_back(clFuchsia);
    return Count() - 1;
}

void TimageList::Replace(int index, const QImage& image, TColor transparentColor) {
    if (index < 0 || index >= Count() || image.isNull()) return;
    // Scaled without smoothing, so the transparent colour stays exact at the edges.
    const QImage source = (image.size() == QSize(Fwidth, Fheight) ? image : image.scaled(Fwidth, Fheight))
                              .convertToFormat(QImage::Format_RGB32);
    QImage drawn = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = qRgb(int(transparentColor & 0xFF), int((transparentColor >> 8) & 0xFF),
                            int((transparentColor >> 16) & 0xFF));
    for (int y = 0; y < drawn.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (clear & 0xFFFFFF)) line[x] = 0;
    }
    Fimages[size_t(index)] = drawn;
    Fsources[size_t(index)] = source;
    Ftransparent[size_t(index)] = transparentColor;
}

void TimageList::Restore(int index, const QImage& image) {
    if (index < 0 || index >= Count() || image.isNull()) return;
    Fimages[size_t(index)] = Scaled(image);
    Fsources[size_t(index)] = Fimages[size_t(index)];
    Ftransparent[size_t(index)] = clFuchsia;
}

QImage TimageList::Image(int index) const {
    return index >= 0 && index < Count() ? Fsources[size_t(index)] : QImage();
}

TColor TimageList::TransparentColor(int index) const {
    return index >= 0 && index < Count() ? Ftransparent[size_t(index)] : clFuchsia;
}

void TimageList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index < 0 || index >= Count()) return;
    painter.drawImage(x, y, Fimages[size_t(index)]);
}

}  // namespace tunecrest
