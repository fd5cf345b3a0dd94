// The main window destroyed from outside (what `xdotool windowclose` does to it): the real
// program on a private X display makes a new window in its place and plays on, and a later
// start still reaches it. And the notice the watch looks for, told from the others.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mainwindow/window/window_loss_watch.h"
#include "support/private_x_server.h"
#include "support/program_process.h"
#include "support/pump_events.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

// Xlib's macros (None, Bool, Status) must come after every other header.
#include <X11/Xlib.h>

namespace tunecrest {
namespace {

using test::Pump;

TEST(WindowLossWatch, OnlyTheServersDestroyNoticeOfTheWatchedWindowCounts) {
    xcb_destroy_notify_event_t notice;
    std::memset(&notice, 0, sizeof notice);
    notice.response_type = XCB_DESTROY_NOTIFY;
    notice.event = 0x400010;
    notice.window = 0x400010;
    EXPECT_TRUE(IsDestroyNotifyOf(&notice, 0x400010));
    EXPECT_FALSE(IsDestroyNotifyOf(&notice, 0x400011)) << "another window";
    EXPECT_FALSE(IsDestroyNotifyOf(&notice, 0)) << "no window yet";
    EXPECT_FALSE(IsDestroyNotifyOf(nullptr, 0x400010));
    // A child's end reported to its parent names the child.
    notice.window = 0x400099;
    EXPECT_FALSE(IsDestroyNotifyOf(&notice, 0x400010));
    notice.window = 0x400010;
    // A notice another client sent (SendEvent) is no destruction.
    notice.response_type = XCB_DESTROY_NOTIFY | 0x80;
    EXPECT_FALSE(IsDestroyNotifyOf(&notice, 0x400010));
    notice.response_type = XCB_UNMAP_NOTIFY;
    EXPECT_FALSE(IsDestroyNotifyOf(&notice, 0x400010)) << "an unmapped window is still there";
}

// Windows come and go while the test looks at them: an error about one that went is no
// failure (Xlib's own handler would end the test program).
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The shown main window of the program on `display` (a top-level of that title and a
// window's size, not the small status window), or 0.
Window MainWindowOn(Display* display) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable ||
            attributes.width < 400)
            continue;
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == "Tunecrest Audio System Professional") found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

TEST(WindowLoss, AWindowDestroyedFromOutsideComesBackAndALaterStartStillReachesTheProgram) {
    test::App();
    test::TprivateXServer server;
    ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
    test::TempDir dir;
    const std::string root = dir.File("root") + "/", run = dir.File("run");
    test::MakeQuietRoot(root, run);
    std::vector<std::string> env = test::EnvironmentWithout({"XDG_RUNTIME_DIR=", "DISPLAY=", "QT_QPA_PLATFORM="});
    env.push_back("XDG_RUNTIME_DIR=" + run);
    env.push_back("DISPLAY=" + server.Name());
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("TUNECREST_AUDIO_SINK=fakesink");
    Display* display = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(display, nullptr);
    XSetErrorHandler(IgnoreXErrors);

    test::TchildProcess program(test::SpawnProgram({"-RootFolder=" + root}, env));
    ASSERT_NE(program.Pid(), 0);
    auto programEnded = [&] { return program.Ended(); };
    Window first = 0;
    ASSERT_TRUE(Pump([&] { return programEnded() || (first = MainWindowOn(display)) != 0; }, 60000))
        << "the program showed its window";
    ASSERT_FALSE(program.HasEnded());

    // Another program destroys the window.
    XDestroyWindow(display, first);
    XSync(display, False);
    Window second = 0;
    EXPECT_TRUE(Pump(
        [&] {
            second = MainWindowOn(display);
            return programEnded() || (second != 0 && second != first);
        },
        30000))
        << "a new window came";
    EXPECT_FALSE(program.HasEnded()) << "the program plays on";
    EXPECT_NE(second, first);

    // A later start still reaches the program: its Exit message ends it.
    const test::TlaterExit exit = test::ExitThroughALaterStart(program, env);
    ASSERT_TRUE(exit.Started);
    EXPECT_TRUE(exit.LaterEnded);
    EXPECT_TRUE(exit.RunningEnded) << "the running copy ended";
    EXPECT_TRUE(program.ExitedCleanly());
    XCloseDisplay(display);
}

}  // namespace
}  // namespace tunecrest
