#pragma once
// Input where a person's input goes, for the tests of the running window: the window shown
// and active as the program shows it, taps on the middle of the control under the finger,
// keys to the widget that has the focus, and menu items touched through the menu bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>

namespace tunecrest::test {

// Shows the window as the program does and waits until it has the keyboard.
inline void ShowActive(QWidget& form) {
    form.show();
    QApplication::setActiveWindow(&form);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

// A tap in the middle of a control, where a finger lands.
inline void Tap(QWidget& widget) {
    ASSERT_TRUE(widget.isVisibleTo(widget.window())) << widget.objectName().toStdString();
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
    QApplication::processEvents();
}

// A key to the widget that has the focus (the active window when none has), as a keyboard
// sends it.
inline void KeyToFocus(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key, mods);
    QApplication::processEvents();
}

// The menu of `bar` reached through the titles in `path` ("View", then "Layout"), each
// opened as a touch opens it; null when one is missing.
inline QMenu* OpenMenu(QMenuBar& bar, std::initializer_list<QString> path) {
    QMenu* menu = nullptr;
    for (const QString& title : path) {
        QMenu* next = nullptr;
        for (QAction* item : menu ? menu->actions() : bar.actions())
            if (item->text() == title && item->menu()) next = item->menu();
        if (!next) return nullptr;
        Q_EMIT next->aboutToShow();
        menu = next;
    }
    return menu;
}

// Runs the visible, enabled item `caption` of the menu at `path`, as a touch on it does.
inline bool TouchMenuItem(QMenuBar& bar, std::initializer_list<QString> path, const QString& caption) {
    QMenu* menu = OpenMenu(bar, path);
    if (!menu) return false;
    for (QAction* item : menu->actions())
        if (item->text() == caption && item->isVisible() && item->isEnabled()) {
            item->trigger();
            return true;
        }
    return false;
}

}  // namespace tunecrest::test
