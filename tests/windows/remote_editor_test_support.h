#pragma once
// Finding, clicking and typing into the widgets of the remote-control editors by their
// object names, from inside a scripted modal answer.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace tunecrest::test {

template <typename T>
T* Find(QDialog& d, const char* name) {
    T* widget = d.findChild<T*>(name);
    EXPECT_NE(nullptr, widget) << name;
    return widget;
}
inline void Click(QDialog& d, const char* name) {
    QTest::mouseClick(Find<QPushButton>(d, name), Qt::LeftButton);
}
inline void Type(QDialog& d, const char* edit, const char* text) {
    QLineEdit* e = Find<QLineEdit>(d, edit);
    e->clear();
    QTest::keyClicks(e, text);
}

}  // namespace tunecrest::test
