#pragma once
// Watches for the main window's own native window being destroyed by another program (an
// X client calling XDestroyWindow on it, as `xdotool windowclose` does). Qt does not notice:
// the widget still thinks it is shown, so the process would run on with no window and a
// later start could not bring it forward. The watch tells the window, which makes a new
// native window in place of the lost one.
#include <QAbstractNativeEventFilter>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace tunecrest {

// True when `event`, an event of the X server as xcb delivers it, says that `window` was
// destroyed (a DestroyNotify about that window itself).
bool IsDestroyNotifyOf(const void* event, uint32_t window);

class TwindowLossWatch : public QAbstractNativeEventFilter {
  public:
    // `window` answers the native window to watch (0 while there is none); `lost` runs with
    // the lost window's id from the event loop after the notice, never inside the filter.
    TwindowLossWatch(std::function<uint32_t()> window, std::function<void(uint32_t)> lost);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<uint32_t()> Fwindow;
    std::function<void(uint32_t)> Flost;
};

}  // namespace tunecrest
