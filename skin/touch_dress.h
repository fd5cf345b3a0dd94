#pragma once
// The touch dress of ordinary widgets, for every window that uses them: check boxes and
// radio buttons take a tap anywhere on their row, numbers and times are typed on the
// on-screen keyboard's digits instead of being nudged with small arrows, lists, trees and
// text areas scroll with a swipe (a tap still selects), trees open with 48-pixel
// expanders and drop-down lists take the style sheet's row height.
#include <optional>
#include <string>

class QAbstractScrollArea;
class QAbstractSpinBox;
class QScrollArea;
class QWidget;

namespace tunecrest {

// How long (ms) a swipe's scroller holds a press back before handing it on when the
// finger stays put; a press and release handed on within the slack came together (a tap).
inline constexpr int kSwipePressDelayMs = 150;
inline constexpr unsigned kSwipeTapSlackMs = 5;

// The width of a tree's expander column (its indentation) for a finger, and the size of
// the arrow drawn in it.
inline constexpr int kTouchExpanderWidth = 48;
inline constexpr int kTouchExpanderArrow = 22;

// A frameless dialog with this property set true gets its window title as a heading on
// top of its (vertical) layout when it is dressed.
inline constexpr const char* kWantsHeading = "wantsHeading";

// Dresses `root` and everything on it (again after more widgets were added: each widget
// is dressed once).
void DressForTouch(QWidget& root);

// While the on-screen keyboards are on, a tap on `spin` asks for its value in the
// text-entry window (digits on the keyboard); the arrows go. An answer that is no value
// of the box is refused with a message and the value stays.
void UseKeypadEntry(QAbstractSpinBox& spin);

// A swipe scrolls `area` (kinetic); a tap still reaches the rows under it.
void EnableSwipe(QAbstractScrollArea& area);
// The same for any widget that handles the scroller's events itself (the touch list).
void EnableSwipe(QWidget& target);

// A frameless, see-through holder of `content` on `parent` that asks for the content's
// whole size yet lets its window shrink to a small screen, where the content scrolls
// with a swipe (up and down only): a window's body goes in one, its buttons stay out.
QScrollArea* MakeTouchScroll(QWidget* parent, QWidget* content);

// What the keypad entry reads. A whole number within min..max, blanks around it allowed.
std::optional<int> ParseKeypadNumber(const std::string& text, int min, int max);
// A time of day as seconds after midnight: "18:30", "18:30:15", "1830", "7" (7:00) and
// "7.30" are read; hours 0-23, minutes and seconds 0-59.
std::optional<int> ParseKeypadTime(const std::string& text);

}  // namespace tunecrest
