#include "skin/image_list.h"

#include <QPainter>

namespace tunecrest {

int TimageList::Add(const QImage& image) {
    Fimages.push_back(image.size() == QSize(Fwidth, Fheight)
                          ? image
                          : image.scaled(Fwidth, Fheight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return Count() - 1;
}

void TimageList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index < 0 || index >= Count()) return;
    painter.drawImage(x, y, Fimages[size_t(index)]);
}

}  // namespace tunecrest
