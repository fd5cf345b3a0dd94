#include "remote/x11_input.h"

#include "remote/controller_commands.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <filesystem>
#include <thread>
#include <vector>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/launch_program.h"
#include "remote_test_support.h"
#include "support/env_scope.h"
#include "support/private_x_server.h"

// Xlib's macros (None, Bool, Status) must come after every other header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace tunecrest {
namespace {

TEST(X11Input, NamedKeysAndCharactersHaveKeySymbols) {
    for (int i = 0; i < KeyboardKeys().Count(); ++i)
        EXPECT_NE(0u, VirtualKeyToKeysym(KeyboardKeys().Items(i)->Code)) << KeyboardKeys().Items(i)->Name;
    EXPECT_EQ(0xFF0Du, VirtualKeyToKeysym(0x0D));
    EXPECT_EQ(0xFFC9u, VirtualKeyToKeysym(0x7B));  // F12
    EXPECT_EQ(0x41u, VirtualKeyToKeysym(0x41));
    EXPECT_EQ(0u, VirtualKeyToKeysym(0xFF));
    EXPECT_EQ(0x41u, CharacterToKeysym('a'));  // the key, not the letter's case
    EXPECT_EQ(0x41u, CharacterToKeysym('A'));
    EXPECT_EQ(0xE9u, CharacterToKeysym(0xE9));
    EXPECT_EQ(0x010020ACu, CharacterToKeysym(0x20AC));
    EXPECT_EQ(0u, CharacterToKeysym(0));
}

TEST(X11Input, WithoutAnXDisplayInputIsLoggedAndNotSent) {
    test::TremoteEnvironment env;
    test::TenvScope display("DISPLAY", nullptr);
    test::TenvScope wayland("WAYLAND_DISPLAY", "wayland-0");
    auto sender = CreateX11InputSender();
    TkeyPress key;
    key.Code = 'a';
    EXPECT_FALSE(sender->SendKey(key));
    EXPECT_FALSE(sender->SendMouse(TmouseClick{}));
    EXPECT_NE(std::string::npos,
              env.Log().find("Input cannot be sent to other programs: a Wayland session without an X display"));
}

// An X display for the test: a private Xvfb when that is installed, else the one the
// test runs under; none otherwise. The private one comes first: on a desktop, another
// window over the test's own would take its clicks, and the tests set the root's active
// window, which is not theirs to set on someone's desktop.
class TtestDisplay {
public:
    TtestDisplay() {
        Fserver.emplace();
        Fname = Fserver->Name();
        if (!Fname.empty()) return;
        Fserver.reset();
        if (const char* display = std::getenv("DISPLAY"); display && *display) Fname = display;
    }
    const std::string& Name() const { return Fname; }

private:
    std::optional<test::TprivateXServer> Fserver;
    std::string Fname;
};

struct QSizeLike {
    int Width, Height;
    bool operator==(const QSizeLike& o) const { return Width == o.Width && Height == o.Height; }
};

// A client window as a desktop would list it: class, title and the root's client list.
class TclientWindow {
public:
    // `listed`: named in the root's client list, as a window manager would; otherwise
    // the display has no such list, as in a kiosk session without a window manager.
    explicit TclientWindow(const std::string& display, bool listed = true) : Fd(XOpenDisplay(display.c_str())) {
        if (!Fd) throw std::runtime_error("cannot open the X display " + display);
        const Window root = DefaultRootWindow(Fd);
        Fw = XCreateSimpleWindow(Fd, root, 20, 30, 200, 100, 0, 0, 0);
        XSelectInput(Fd, Fw, KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | ExposureMask);
        XClassHint hint{const_cast<char*>("tunecrest-test"), const_cast<char*>("TestPlayer")};
        XSetClassHint(Fd, Fw, &hint);
        const std::string title = "Test Player \xE2\x99\xAB";
        XChangeProperty(Fd, Fw, XInternAtom(Fd, "_NET_WM_NAME", False), XInternAtom(Fd, "UTF8_STRING", False), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
        XMapWindow(Fd, Fw);
        const unsigned long list[] = {Fw};
        if (listed)
            XChangeProperty(Fd, root, XInternAtom(Fd, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(list), 1);
        else
            XDeleteProperty(Fd, root, XInternAtom(Fd, "_NET_CLIENT_LIST", False));
        XEvent event;
        XWindowEvent(Fd, Fw, ExposureMask, &event);  // mapped and viewable
        XSync(Fd, False);
    }
    ~TclientWindow() {
        XDestroyWindow(Fd, Fw);
        XCloseDisplay(Fd);
    }
    // The events of one kind that arrived, waiting briefly for them.
    std::vector<XEvent> Events() {
        std::vector<XEvent> events;
        for (int i = 0; i < 40; ++i) {
            while (XPending(Fd)) {
                XEvent event;
                XNextEvent(Fd, &event);
                if (event.type != Expose) events.push_back(event);
            }
            if (!events.empty() && i > 4) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return events;
    }
    KeyCode Code(KeySym sym) const { return XKeysymToKeycode(Fd, sym); }
    // Marks the window as one of process `pid`, as toolkits do.
    void SetProcess(long pid) {
        const unsigned long value = static_cast<unsigned long>(pid);
        XChangeProperty(Fd, Fw, XInternAtom(Fd, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(Fd, False);
    }
    QSizeLike Size() {
        XWindowAttributes a{};
        XGetWindowAttributes(Fd, Fw, &a);
        return {a.width, a.height};
    }
    Window Id() const { return Fw; }

private:
    Display* Fd;
    Window Fw = 0;
};

TEST(X11Input, KeysAndClicksReachAWindowOverXTest) {
    TtestDisplay display;
    if (display.Name().empty())
        GTEST_SKIP() << "No X display and no Xvfb installed: key and mouse commands through XTest not tested";
    test::TenvScope env("DISPLAY", display.Name().c_str());
    test::TremoteEnvironment remote;
    TclientWindow window(display.Name());
    auto sender = CreateX11InputSender();

    TkeyPress key;
    key.WindowTitle = "Test Player \xE2\x99\xAB";
    key.WindowClass = "TestPlayer";
    key.Code = 'q';
    key.Ctrl = true;
    ASSERT_TRUE(sender->SendKey(key)) << remote.Log();
    std::vector<std::pair<int, unsigned>> keys;
    for (const XEvent& e : window.Events())
        if (e.type == KeyPress || e.type == KeyRelease) keys.emplace_back(e.type, e.xkey.keycode);
    const unsigned ctrl = window.Code(XK_Control_L), q = window.Code(XK_Q);
    EXPECT_EQ((std::vector<std::pair<int, unsigned>>{
                  {KeyPress, ctrl}, {KeyPress, q}, {KeyRelease, q}, {KeyRelease, ctrl}}),
              keys);

    TmouseClick click;
    click.WindowClass = "tunecrest-test";
    click.X = 15;
    click.Y = 25;
    click.Left = true;
    click.Right = true;
    ASSERT_TRUE(sender->SendMouse(click));
    std::vector<std::pair<int, unsigned>> buttons;
    for (const XEvent& e : window.Events())
        if (e.type == ButtonPress || e.type == ButtonRelease) {
            buttons.emplace_back(e.type, e.xbutton.button);
            EXPECT_EQ(15, e.xbutton.x);
            EXPECT_EQ(25, e.xbutton.y);
        }
    EXPECT_EQ((std::vector<std::pair<int, unsigned>>{
                  {ButtonPress, 1}, {ButtonPress, 3}, {ButtonRelease, 3}, {ButtonRelease, 1}}),
              buttons);

    // A window that is not listed: nothing is sent.
    key.WindowTitle = "No Such Window";
    EXPECT_FALSE(sender->SendKey(key));
}

// A bar's kiosk session often runs without a window manager: no client list, no active
// window property. The target is found by walking the display's top windows.
TEST(X11Input, WithoutAWindowManagerKeysReachAWindowFoundInTheTree) {
    test::TprivateXServer server;  // never the desktop's display: it has a window manager
    if (server.Name().empty())
        GTEST_SKIP() << "Xvfb cannot start here: key commands without a window manager not tested";
    test::TenvScope env("DISPLAY", server.Name().c_str());
    test::TremoteEnvironment remote;
    TclientWindow window(server.Name(), false);
    auto sender = CreateX11InputSender();
    TkeyPress key;
    key.WindowTitle = "Test Player \xE2\x99\xAB";
    key.Code = 0x0D;
    key.VirtualKey = true;
    ASSERT_TRUE(sender->SendKey(key)) << remote.Log();
    std::vector<std::pair<int, unsigned>> keys;
    for (const XEvent& e : window.Events())
        if (e.type == KeyPress || e.type == KeyRelease) keys.emplace_back(e.type, e.xkey.keycode);
    const unsigned enter = window.Code(XK_Return);
    EXPECT_EQ((std::vector<std::pair<int, unsigned>>{{KeyPress, enter}, {KeyRelease, enter}}), keys);

    TmouseClick click;
    click.WindowClass = "TestPlayer";
    click.X = 5;
    click.Y = 6;
    click.Left = true;
    ASSERT_TRUE(sender->SendMouse(click)) << remote.Log();
    int presses = 0;
    for (const XEvent& e : window.Events()) presses += e.type == ButtonPress;
    EXPECT_EQ(presses, 1);

    // A command whose window is not open says so in the log.
    key.WindowTitle = "Closed Player";
    EXPECT_FALSE(sender->SendKey(key));
    click.WindowClass = "NoSuchClass";
    EXPECT_FALSE(sender->SendMouse(click));
    EXPECT_NE(remote.Log().find("Key command: no window titled \"Closed Player\""), std::string::npos)
        << remote.Log();
    EXPECT_NE(remote.Log().find("Mouse command: no window titled \"\" of class \"NoSuchClass\""),
              std::string::npos)
        << remote.Log();
}

// Exec's show value: the started program's window (found by its process) is maximised or
// minimised once it appears.
TEST(X11Input, AStartedProgramsWindowIsShownAsItsExecCommandAsks) {
    test::TprivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb cannot start here: Exec's show value not tested";
    test::TenvScope env("DISPLAY", server.Name().c_str());
    test::TremoteEnvironment remote;
    TclientWindow window(server.Name(), false);
    window.SetProcess(long(::getpid()));
    auto sender = CreateX11InputSender();
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return done();
    };
    // No window manager: maximised is the whole screen; minimised cannot be, and says so.
    sender->ShowStartedProgram(::getpid(), 3);
    EXPECT_TRUE(waitFor([&] { return window.Size() == QSizeLike{640, 480}; }));
    sender->ShowStartedProgram(::getpid(), 2);
    EXPECT_TRUE(waitFor([&] { return remote.Log().find("cannot be shown minimised") != std::string::npos; }))
        << remote.Log();

    // With a window manager (the test plays it: it holds the root's redirection), the
    // requests go to it.
    Display* manager = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(manager, nullptr);
    const Window root = DefaultRootWindow(manager);
    XSelectInput(manager, root, SubstructureRedirectMask);
    const unsigned long check = root;
    XChangeProperty(manager, root, XInternAtom(manager, "_NET_SUPPORTING_WM_CHECK", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&check), 1);
    XSync(manager, False);
    std::vector<std::pair<std::string, long>> requests;
    auto collect = [&] {
        while (XPending(manager)) {
            XEvent e;
            XNextEvent(manager, &e);
            if (e.type != ClientMessage || e.xclient.window != window.Id()) continue;
            char* name = XGetAtomName(manager, e.xclient.message_type);
            requests.emplace_back(name, e.xclient.data.l[0]);
            XFree(name);
        }
        return requests.size() >= 2;
    };
    sender->ShowStartedProgram(::getpid(), 7);
    sender->ShowStartedProgram(::getpid(), 3);
    sender->ShowStartedProgram(::getpid(), 1);  // normal: nothing to ask
    EXPECT_TRUE(waitFor(collect));
    std::sort(requests.begin(), requests.end());
    EXPECT_EQ(requests, (std::vector<std::pair<std::string, long>>{{"WM_CHANGE_STATE", IconicState},
                                                                    {"_NET_WM_STATE", 1}}));
    XCloseDisplay(manager);
}

TEST(X11Input, PointerTargetIsTheActiveWindowInItsClientCoordinates) {
    TtestDisplay display;
    if (display.Name().empty()) GTEST_SKIP() << "No X display and no Xvfb installed: pointer target not tested";
    test::TenvScope env("DISPLAY", display.Name().c_str());
    TclientWindow window(display.Name());
    Display* d = XOpenDisplay(display.Name().c_str());
    ASSERT_NE(nullptr, d);
    const Window root = DefaultRootWindow(d);
    TpointerOnWindow target;
    // No window is active yet: there is no target.
    XDeleteProperty(d, root, XInternAtom(d, "_NET_ACTIVE_WINDOW", False));
    XSync(d, False);
    EXPECT_FALSE(X11PointerOnActiveWindow(target));

    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), 0, 1, False, XA_WINDOW, &type, &format,
                       &count, &after, &data);
    ASSERT_EQ(1u, count);
    const unsigned long active = *reinterpret_cast<unsigned long*>(data);
    XFree(data);
    XChangeProperty(d, root, XInternAtom(d, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&active), 1);
    XWarpPointer(d, 0, root, 0, 0, 0, 0, 20 + 42, 30 + 17);
    XSync(d, False);
    ASSERT_TRUE(X11PointerOnActiveWindow(target));
    EXPECT_EQ(42, target.X);
    EXPECT_EQ(17, target.Y);
    EXPECT_EQ("TestPlayer", target.WindowClass);
    EXPECT_EQ("Test Player \xE2\x99\xAB", target.WindowTitle);
    XCloseDisplay(d);
}

}  // namespace
}  // namespace tunecrest
