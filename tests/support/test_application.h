#pragma once
// The one Qt application of a test program.
#include <QApplication>

namespace tunecrest::test {

// Made on first use and never destroyed: Qt's own exit-time clean-up must not run after
// the static objects it relies on are gone.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "tunecrest_tests";
    static char* argv[] = {name, nullptr};
    // A test program may make its own application object (of a derived class) first.
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                   ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

}  // namespace tunecrest::test
