#include "mainwindow/window_loss_watch.h"

#include <xcb/xcb.h>

#include <QTimer>

namespace tunecrest {

bool IsDestroyNotifyOf(const void* event, uint32_t window) {
    if (!event || window == 0) return false;
    const auto* generic = static_cast<const xcb_generic_event_t*>(event);
    // The high bit marks an event sent by another client (SendEvent): a real destruction
    // comes from the server.
    if ((generic->response_type & 0x7f) != XCB_DESTROY_NOTIFY || (generic->response_type & 0x80) != 0)
        return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(event);
    return destroyed->window == window;
}

TwindowLossWatch::TwindowLossWatch(std::function<uint32_t()> window, std::function<void(uint32_t)> lost)
    : Fwindow(std::move(window)), Flost(std::move(lost)) {}

bool TwindowLossWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !Fwindow || !Flost) return false;
    const uint32_t window = Fwindow();
    if (IsDestroyNotifyOf(message, window)) QTimer::singleShot(0, [lost = Flost, window] { lost(window); });
    // Qt goes on to see the notice as well.
    return false;
}

}  // namespace tunecrest
