#pragma once
// Input as a person's arrives: a tap goes to the widget under the finger (and gives a list
// the focus, as a tap does), a key to the widget of the window that has the focus, never to
// the window itself, so that a control that keeps a key it does not use shows in a test.
#include <QApplication>
#include <QKeySequence>
#include <QTest>
#include <QWidget>

#include "skin/touch_list_box.h"

namespace tunecrest::test {

// The widget of `window` a key reaches: the one with the focus, else the window.
inline QWidget* KeyTarget(QWidget& window) {
    QWidget* top = window.window();
    if (QWidget* focused = QApplication::focusWidget(); focused && focused->window() == top) return focused;
    if (QWidget* focused = top->focusWidget()) return focused;
    return top;
}

// One key pressed and released, as the keyboard sends it. Keys without a character (media
// keys, F-keys) are sent without text; QTest would otherwise look for one.
inline void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = KeyTarget(window);
    if (key >= 0x20 && key <= 0x7e)
        QTest::keyClick(target, key, modifiers);
    else
        QTest::sendKeyEvent(QTest::Click, target, key, QString(), modifiers);
}

inline void PressKeys(QWidget& window, const QKeySequence& keys) {
    for (int i = 0; i < keys.count(); ++i)
        PressKey(window, keys[i].key(), keys[i].keyboardModifiers());
}

// A tap on a row of a list or of the browse tree: the list has the focus afterwards, as
// after a person's tap (a window the test system has not made active takes no focus from
// a click; the list is then given the focus the tap gives).
inline void TapRow(TcustomTouchListBox& list, int row) {
    const int y = (row - list.TopIndex()) * list.ItemHeight() + list.ItemHeight() / 2;
    QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(list.width() / 2, y));
    if (QApplication::focusWidget() != &list) list.setFocus(Qt::MouseFocusReason);
}

}  // namespace tunecrest::test
