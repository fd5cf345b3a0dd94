// The main window destroyed from outside (what `xdotool windowclose` does to it): the real
// program on a private X display makes a new window in its place and plays on, and a later
// start still reaches it. And the notice the watch looks for, told from the others.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mainwindow/window_loss_watch.h"
#include "support/private_x_server.h"
#include "support/pump_events.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

// Xlib's macros (None, Bool, Status) must come after every other header.
#include <X11/Xlib.h>

extern char** environ;

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

// Runs the real program with `args` in `env`; returns the child's id.
pid_t Spawn(const std::vector<std::string>& args, std::vector<std::string>& env) {
    const std::string program = std::string(TUNECREST_BIN_DIR) + "/tunecrest";
    std::vector<std::string> argvText = {program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
    return child;
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
    std::filesystem::create_directories(root + "Settings");
    std::filesystem::create_directory(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    std::ofstream(root + "Settings/settings.ini")
        << "[Preferences]\nShowTipsAtStartup=0\nConfirmExit=0\n[Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("DISPLAY=", 0) != 0 &&
            entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("XDG_RUNTIME_DIR=" + run);
    env.push_back("DISPLAY=" + server.Name());
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("TUNECREST_AUDIO_SINK=fakesink");
    Display* display = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(display, nullptr);
    XSetErrorHandler(IgnoreXErrors);

    const pid_t program = Spawn({"-RootFolder=" + root}, env);
    ASSERT_NE(program, 0);
    int status = -1;
    bool ended = false;
    auto programEnded = [&] { return ended || (ended = waitpid(program, &status, WNOHANG) == program); };
    Window first = 0;
    ASSERT_TRUE(Pump([&] { return programEnded() || (first = MainWindowOn(display)) != 0; }, 60000))
        << "the program showed its window";
    ASSERT_FALSE(ended);

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
    EXPECT_FALSE(ended) << "the program plays on";
    EXPECT_NE(second, first);

    // A later start still reaches the program: its Exit message ends it.
    const pid_t later = Spawn({"Message=100:0"}, env);
    ASSERT_NE(later, 0);
    int laterStatus = -1;
    bool laterEnded = false;
    EXPECT_TRUE(Pump([&] { return laterEnded || (laterEnded = waitpid(later, &laterStatus, WNOHANG) == later); },
                     30000));
    EXPECT_TRUE(Pump(programEnded, 60000)) << "the running copy ended";
    if (!ended) {
        kill(program, SIGKILL);
        waitpid(program, &status, 0);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace tunecrest
