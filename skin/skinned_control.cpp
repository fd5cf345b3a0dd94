#include "skin/skinned_control.h"

#include <QEvent>

namespace tunecrest {

TskinnedControl::TskinnedControl(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted from the skin: no background erase before each paint.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TskinnedControl::SetDefaultSkinBitmap(const QImage& bitmap)
{
    FdefaultSkin = bitmap.isNull() ? QImage() : ToSkinBitmap(bitmap);
    Rebuild();
}

void TskinnedControl::SetSkinBitmap(const QImage& bitmap)
{
    Fskin = bitmap.isNull() ? QImage() : ToSkinBitmap(bitmap);
    Rebuild();
}

bool TskinnedControl::event(QEvent* e)
{
    switch (e->type()) {
        case QEvent::Hide:
        case QEvent::UngrabMouse:
        case QEvent::WindowDeactivate: CancelPress(); break;
        case QEvent::EnabledChange:
            if (!isEnabled()) CancelPress();
            break;
        default: break;
    }
    return QWidget::event(e);
}

const QImage& TskinnedControl::EffectiveSkin() const
{
    return Fskin.isNull() || Fskin.width() == 0 || Fskin.height() == 0 ? FdefaultSkin : Fskin;
}

void TskinnedControl::EndUpdate()
{
    --FupdateCount;
    if (FupdateCount < 1) {
        FupdateCount = 0;
        Rebuild();
    }
}

void TskinnedControl::SetupFinished()
{
    FsetUp = true;
    Rebuild();
}

void TskinnedControl::Rebuild()
{
    if (!FsetUp || FupdateCount > 0) return;
    ++FbuildCount;
    BuildSkin();
    update();
}

void TskinnedControl::WatchColors(TskinColors& colors)
{
    colors.OnChange = [this](TObject*) { Rebuild(); };
}

QImage SkinFrame(const QImage& image, int frames, int index)
{
    if (image.isNull() || frames < 1) return QImage();
    const int fw = image.width() / frames;
    if (fw < 1) return QImage();
    if (frames == 1) return image;
    return image.copy(index * fw, 0, fw, image.height());
}

}  // namespace tunecrest
