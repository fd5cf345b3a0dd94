#pragma once
// What a finger needs of a window, checked on the window as it is shown: it fits the
// screen with every control on it, it stays above the main window, every enabled control
// a finger uses is at least 48 pixels in the direction it is tapped (check boxes and
// radio buttons over their whole row), lists and texts scroll with a swipe, numbers are
// typed on a keypad rather than nudged with tiny arrows, and no label's or button's text
// is wider than the room it is drawn in.
#include <QRect>
#include <string>
#include <vector>

class QWidget;

namespace tunecrest::test {

inline constexpr int kFingerSize = 48;

struct TtouchFault {
    std::string Widget;  // the widget's name and where it sits
    std::string Rule;    // "fit", "size", "row", "swipe", "keypad", "text", "above"
    std::string Text;    // what is wrong, with the sizes measured
};

// A fault the check lets pass, with the reason why.
struct TtouchException {
    const char* Window;  // the start of a window's title (or object name); "*" for every window
    const char* Widget;  // the start of the widget's name as TtouchFault gives it
    const char* Rule;
    const char* Reason;
};

// The faults of the shown top-level `window` on a screen of `screen`; `owner` is the
// window it should stay above and open centred on (none for the main window itself).
// Check boxes and radio buttons are probed with a press (and a release away from them,
// so nothing is clicked).
std::vector<TtouchFault> TouchFaults(QWidget& window, const QRect& screen, const QWidget* owner);

// A short name of a widget for the reports: its object name, else its class and text,
// with the nearest named ancestor.
std::string WidgetName(const QWidget& widget);

}  // namespace tunecrest::test
