#pragma once
// What every skinned control shares: the skin it was given (or its default), the
// update bracket, and the "setup finished" point. A control builds its recoloured
// working image once, when its form calls SetupFinished, and again after each change of
// its skin or colours (once per outermost EndUpdate); painting only copies from it.
#include <functional>

#include <QImage>
#include <QWidget>

#include "core/base/event_lists.h"
#include "skin/skin_colors.h"

class QMouseEvent;

namespace tunecrest {

using TcontrolMouseEvent = std::function<void(TObject* Sender, QMouseEvent* Event)>;

class TskinnedControl : public QWidget, public TObject {
public:
    explicit TskinnedControl(QWidget* parent = nullptr);

    // The skin shipped with the control, used while no skin is assigned.
    const QImage& DefaultSkinBitmap() const { return FdefaultSkin; }
    void SetDefaultSkinBitmap(const QImage& bitmap);
    // The skin the skin loader assigned; a null image means "use the default".
    const QImage& SkinBitmap() const { return Fskin; }
    void SetSkinBitmap(const QImage& bitmap);
    // SkinBitmap unless it is empty, else DefaultSkinBitmap.
    const QImage& EffectiveSkin() const;

    void BeginUpdate() { ++FupdateCount; }
    // The outermost EndUpdate rebuilds once; extra calls leave the counter at 0.
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }

    // The form has set every property: build the skin for the first time. Until then
    // changes only store their values.
    void SetupFinished();
    bool IsSetUp() const { return FsetUp; }
    // Builds the skin and repaints, unless inside an update bracket or not set up yet.
    void Rebuild();
    // How many times the skin was built (tests and benchmarks count rebuilds).
    int BuildCount() const { return FbuildCount; }

    // Ends a press without a click. A control that holds presses (a pressed button, a
    // scroll-bar part that repeats) ends its press here; the default holds none. It runs
    // whenever the release can no longer come: the control is hidden or disabled, it
    // loses the mouse grab, or its window stops being the active one.
    virtual void CancelPress() {}

protected:
    virtual void BuildSkin() = 0;
    bool event(QEvent* e) override;
    // Subscribes `colors` so that each of its changes rebuilds this control.
    void WatchColors(TskinColors& colors);

private:
    QImage FdefaultSkin, Fskin;
    int FupdateCount = 0;
    int FbuildCount = 0;
    bool FsetUp = false;
};

// The frame `index` of `frames` side-by-side frames of `image` (no copy of the pixels
// when the frame count is 1).
QImage SkinFrame(const QImage& image, int frames, int index);

}  // namespace tunecrest
