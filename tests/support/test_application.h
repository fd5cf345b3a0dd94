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
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace tunecrest::test
