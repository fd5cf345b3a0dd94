#include "remote/x11_input.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/base/services.h"

namespace tunecrest {

uint32_t VirtualKeyToKeysym(int32_t code) {
    switch (code) {
        case 0x08: return 0xFF08;  // BackSpace
        case 0x09: return 0xFF09;  // Tab
        case 0x0D: return 0xFF0D;  // Return
        case 0x10: return 0xFFE1;  // Shift_L
        case 0x11: return 0xFFE3;  // Control_L
        case 0x12: return 0xFFE9;  // Alt_L
        case 0x13: return 0xFF13;  // Pause
        case 0x1B: return 0xFF1B;  // Escape
        case 0x20: return 0x0020;  // space
        case 0x21: return 0xFF55;  // Prior
        case 0x22: return 0xFF56;  // Next
        case 0x23: return 0xFF57;  // End
        case 0x24: return 0xFF50;  // Home
        case 0x25: return 0xFF51;  // Left
        case 0x26: return 0xFF52;  // Up
        case 0x27: return 0xFF53;  // Right
        case 0x28: return 0xFF54;  // Down
        case 0x2C: return 0xFF61;  // Print
        case 0x2D: return 0xFF63;  // Insert
        case 0x2E: return 0xFFFF;  // Delete
        case 0xAD: return 0x1008FF12;  // AudioMute
        case 0xAE: return 0x1008FF11;  // AudioLowerVolume
        case 0xAF: return 0x1008FF13;  // AudioRaiseVolume
        case 0xB0: return 0x1008FF17;  // AudioNext
        case 0xB1: return 0x1008FF16;  // AudioPrev
        case 0xB2: return 0x1008FF15;  // AudioStop
        case 0xB3: return 0x1008FF14;  // AudioPlay
        default: break;
    }
    if (code >= 0x30 && code <= 0x39) return uint32_t(code);                  // digits
    if (code >= 0x41 && code <= 0x5A) return uint32_t(code);                  // letters
    if (code >= 0x60 && code <= 0x69) return 0xFFB0 + uint32_t(code - 0x60);  // keypad digits
    if (code >= 0x70 && code <= 0x87) return 0xFFBE + uint32_t(code - 0x70);  // F1 to F24
    return 0;
}

uint32_t CharacterToKeysym(int32_t code) {
    const uint32_t c = uint32_t(code) & 0xFFFF;
    if (c == 0) return 0;
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF)) return c;  // Latin-1 symbols are the code
    if (c == '\r' || c == '\n') return 0xFF0D;
    if (c == '\t') return 0xFF09;
    return 0x01000000 | c;  // Unicode key symbols
}

namespace {

// The XTest calls, declared here so that no XTest header is needed to build.
using XTestFakeKeyEventFn = int (*)(Display*, unsigned int, Bool, unsigned long);
using XTestFakeButtonEventFn = int (*)(Display*, unsigned int, Bool, unsigned long);
using XTestFakeMotionEventFn = int (*)(Display*, int, int, int, unsigned long);
using XTestQueryExtensionFn = Bool (*)(Display*, int*, int*, int*, int*);

struct Tx11 {
    bool Ready = false;
    void* X11 = nullptr;
    void* Xtst = nullptr;
    decltype(&XOpenDisplay) OpenDisplay = nullptr;
    decltype(&XCloseDisplay) CloseDisplay = nullptr;
    decltype(&XInternAtom) InternAtom = nullptr;
    decltype(&XGetWindowProperty) GetWindowProperty = nullptr;
    decltype(&XFree) Free = nullptr;
    decltype(&XGetClassHint) GetClassHint = nullptr;
    decltype(&XSendEvent) SendEvent = nullptr;
    decltype(&XSync) Sync = nullptr;
    decltype(&XQueryPointer) QueryPointer = nullptr;
    decltype(&XTranslateCoordinates) TranslateCoordinates = nullptr;
    decltype(&XKeysymToKeycode) KeysymToKeycode = nullptr;
    decltype(&XRaiseWindow) RaiseWindow = nullptr;
    decltype(&XSetInputFocus) SetInputFocus = nullptr;
    decltype(&XGetInputFocus) GetInputFocus = nullptr;
    decltype(&XQueryTree) QueryTree = nullptr;
    decltype(&XGetWindowAttributes) GetWindowAttributes = nullptr;
    decltype(&XIconifyWindow) IconifyWindow = nullptr;
    decltype(&XMoveResizeWindow) MoveResizeWindow = nullptr;
    XTestFakeKeyEventFn FakeKey = nullptr;
    XTestFakeButtonEventFn FakeButton = nullptr;
    XTestFakeMotionEventFn FakeMotion = nullptr;
    XTestQueryExtensionFn QueryExtension = nullptr;
};

template <typename F>
bool Bind(void* library, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(library, name));
    return fn != nullptr;
}

const Tx11* LoadX11(std::string& why) {
    static Tx11 x;
    static std::string failure;
    static std::once_flag once;
    std::call_once(once, [] {
        x.X11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        x.Xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x.X11 || !x.Xtst) {
            failure = "the X libraries (libX11, libXtst) are not installed";
            return;
        }
        const bool ok =
            Bind(x.X11, "XOpenDisplay", x.OpenDisplay) && Bind(x.X11, "XCloseDisplay", x.CloseDisplay) &&
            Bind(x.X11, "XInternAtom", x.InternAtom) && Bind(x.X11, "XGetWindowProperty", x.GetWindowProperty) &&
            Bind(x.X11, "XFree", x.Free) && Bind(x.X11, "XGetClassHint", x.GetClassHint) &&
            Bind(x.X11, "XSendEvent", x.SendEvent) && Bind(x.X11, "XSync", x.Sync) &&
            Bind(x.X11, "XQueryPointer", x.QueryPointer) &&
            Bind(x.X11, "XTranslateCoordinates", x.TranslateCoordinates) &&
            Bind(x.X11, "XKeysymToKeycode", x.KeysymToKeycode) && Bind(x.X11, "XRaiseWindow", x.RaiseWindow) &&
            Bind(x.X11, "XSetInputFocus", x.SetInputFocus) && Bind(x.X11, "XGetInputFocus", x.GetInputFocus) &&
            Bind(x.X11, "XQueryTree", x.QueryTree) && Bind(x.X11, "XGetWindowAttributes", x.GetWindowAttributes) &&
            Bind(x.X11, "XIconifyWindow", x.IconifyWindow) && Bind(x.X11, "XMoveResizeWindow", x.MoveResizeWindow) &&
            Bind(x.Xtst, "XTestFakeKeyEvent", x.FakeKey) && Bind(x.Xtst, "XTestFakeButtonEvent", x.FakeButton) &&
            Bind(x.Xtst, "XTestFakeMotionEvent", x.FakeMotion) &&
            Bind(x.Xtst, "XTestQueryExtension", x.QueryExtension);
        if (!ok) failure = "the X libraries lack the calls input needs";
        x.Ready = ok;
    });
    why = failure;
    return x.Ready ? &x : nullptr;
}

// One connection for one command: opened, used, closed.
class Tconnection {
public:
    Tconnection(const Tx11& x, const char* name) : Fx(x), Fdisplay(x.OpenDisplay(name)) {}
    ~Tconnection() {
        if (Fdisplay) Fx.CloseDisplay(Fdisplay);
    }
    Display* Get() const { return Fdisplay; }

private:
    const Tx11& Fx;
    Display* Fdisplay;
};

std::vector<Window> WindowListProperty(const Tx11& x, Display* d, Window w, const char* name) {
    std::vector<Window> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (x.GetWindowProperty(d, w, x.InternAtom(d, name, False), 0, 1 << 16, False, XA_WINDOW, &type, &format,
                            &count, &after, &data) == Success &&
        data) {
        if (format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            out.assign(items, items + count);
        }
        x.Free(data);
    }
    return out;
}

std::string TextProperty(const Tx11& x, Display* d, Window w, const char* name, Atom wanted) {
    std::string text;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (x.GetWindowProperty(d, w, x.InternAtom(d, name, False), 0, 4096, False, wanted, &type, &format, &count,
                            &after, &data) == Success &&
        data) {
        if (format == 8) text.assign(reinterpret_cast<const char*>(data), count);
        x.Free(data);
    }
    return text;
}

bool Matches(const Tx11& x, Display* d, Window w, const std::string& title, const std::string& className) {
    if (!className.empty()) {
        XClassHint hint{};
        if (!x.GetClassHint(d, w, &hint)) return false;
        const bool same = (hint.res_class && className == hint.res_class) ||
                          (hint.res_name && className == hint.res_name);
        if (hint.res_name) x.Free(hint.res_name);
        if (hint.res_class) x.Free(hint.res_class);
        if (!same) return false;
    }
    if (!title.empty()) {
        std::string name = TextProperty(x, d, w, "_NET_WM_NAME", x.InternAtom(d, "UTF8_STRING", False));
        if (name.empty()) name = TextProperty(x, d, w, "WM_NAME", XA_STRING);
        if (name != title) return false;
    }
    return true;
}

// The children of `w`, the top-most first; none when the window is gone.
std::vector<Window> ChildrenTopFirst(const Tx11& x, Display* d, Window w) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (!x.QueryTree(d, w, &root, &parent, &children, &count)) return out;
    if (children) {
        out.assign(children, children + count);
        x.Free(children);
    }
    std::reverse(out.begin(), out.end());  // XQueryTree lists bottom to top
    return out;
}

bool Viewable(const Tx11& x, Display* d, Window w) {
    XWindowAttributes attributes{};
    return x.GetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
}

// A program's own top window: one that carries a class or a name. Window managers that
// keep no client list put it one or two levels below their frame.
bool IsClientWindow(const Tx11& x, Display* d, Window w) {
    XClassHint hint{};
    if (x.GetClassHint(d, w, &hint)) {
        if (hint.res_name) x.Free(hint.res_name);
        if (hint.res_class) x.Free(hint.res_class);
        return true;
    }
    return !TextProperty(x, d, w, "WM_NAME", XA_STRING).empty() ||
           !TextProperty(x, d, w, "_NET_WM_NAME", x.InternAtom(d, "UTF8_STRING", False)).empty();
}

// The top windows of the display, the top-most first: the desktop's client list, then
// those found by walking the window tree, since a kiosk session often runs without a
// window manager, and so without the client list.
void CollectTreeClients(const Tx11& x, Display* d, Window parent, int depth, std::vector<Window>& out) {
    for (Window w : ChildrenTopFirst(x, d, parent)) {
        if (!Viewable(x, d, w)) continue;
        if (IsClientWindow(x, d, w)) out.push_back(w);  // its own child windows are not top windows
        else if (depth > 0) CollectTreeClients(x, d, w, depth - 1, out);
    }
}

std::vector<Window> TopWindows(const Tx11& x, Display* d) {
    std::vector<Window> out = WindowListProperty(x, d, DefaultRootWindow(d), "_NET_CLIENT_LIST");
    std::vector<Window> tree;
    CollectTreeClients(x, d, DefaultRootWindow(d), 2, tree);
    for (Window w : tree)
        if (std::find(out.begin(), out.end(), w) == out.end()) out.push_back(w);
    return out;
}

Window FindClient(const Tx11& x, Display* d, const std::string& title, const std::string& className) {
    for (Window w : TopWindows(x, d))
        if (Matches(x, d, w, title, className)) return w;
    return 0;
}

void LogNoTarget(const char* kind, const std::string& title, const std::string& className) {
    LogError(std::string(kind) + " command: no window titled \"" + title + "\" of class \"" + className +
             "\" is open; nothing was sent");
}

Window ActiveWindow(const Tx11& x, Display* d) {
    const auto list = WindowListProperty(x, d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW");
    if (!list.empty()) return list.front();
    // Without a window manager the active window is the one with the input focus.
    Window focus = 0;
    int revert = 0;
    x.GetInputFocus(d, &focus, &revert);
    return focus == PointerRoot || focus == None || focus == DefaultRootWindow(d) ? 0 : focus;
}

// Asks the window manager to activate the window; where none answers, raises and
// focuses it directly.
void Activate(const Tx11& x, Display* d, Window w) {
    if (!w) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = x.InternAtom(d, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager: the request is not second-guessed
    event.xclient.data.l[1] = CurrentTime;
    x.SendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    x.RaiseWindow(d, w);
    x.SetInputFocus(d, w, RevertToParent, CurrentTime);
    x.Sync(d, False);
}

// ---- the window of a started program

// The parent of process `pid` (0 when it cannot be read).
pid_t ParentOf(pid_t pid) {
    std::string stat;
    if (!ReadFileBytes("/proc/" + std::to_string(pid) + "/stat", stat, nullptr, 4096)) return 0;
    // "pid (name) state ppid ...": the name may hold blanks and brackets, so read after the last ")".
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    char state = 0;
    int parent = 0;
    return std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 ? pid_t(parent) : 0;
}

// True when `pid` is `started` or one of its descendants (a launcher that starts the
// program as its child).
bool StartedBy(pid_t pid, pid_t started) {
    for (int depth = 0; pid > 1 && depth < 8; ++depth, pid = ParentOf(pid))
        if (pid == started) return true;
    return false;
}

Window WindowOfProcess(const Tx11& x, Display* d, pid_t started) {
    for (Window w : TopWindows(x, d)) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = 0;
        if (x.GetWindowProperty(d, w, x.InternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type,
                                &format, &count, &after, &data) == Success &&
            data) {
            if (format == 32 && count == 1) pid = pid_t(*reinterpret_cast<const unsigned long*>(data));
            x.Free(data);
        }
        if (pid > 0 && StartedBy(pid, started)) return w;
    }
    return 0;
}

bool HasWindowManager(const Tx11& x, Display* d) {
    return !WindowListProperty(x, d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK").empty();
}

// Minimised (2, 7) or maximised (3): through the window manager; without one a window
// can be made as large as the screen, but there is nothing to minimise it into.
void ApplyShowCommand(const Tx11& x, Display* d, Window w, int32_t showCommand, const std::string& name) {
    const bool manager = HasWindowManager(x, d);
    if (showCommand == 3) {
        if (manager) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = w;
            event.xclient.message_type = x.InternAtom(d, "_NET_WM_STATE", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = 1;  // add
            event.xclient.data.l[1] = long(x.InternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
            event.xclient.data.l[2] = long(x.InternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
            event.xclient.data.l[3] = 1;  // from an application
            x.SendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else {
            const int screen = DefaultScreen(d);
            x.MoveResizeWindow(d, w, 0, 0, unsigned(DisplayWidth(d, screen)), unsigned(DisplayHeight(d, screen)));
        }
    } else if (manager) {
        x.IconifyWindow(d, w, DefaultScreen(d));
    } else {
        LogError("Exec command: \"" + name + "\" cannot be shown minimised without a window manager");
    }
    x.Sync(d, False);
}

constexpr int kStartedWindowWaitMs = 15000;

// Waits on a thread of its own (with its own connection) for the started program's
// window, then shows it as asked.
void ShowWhenItAppears(const Tx11* x, std::string display, pid_t pid, int32_t showCommand) {
    std::thread([x, display, pid, showCommand] {
        Tconnection connection(*x, display.c_str());
        Display* d = connection.Get();
        if (!d) return;
        const std::string name = "process " + std::to_string(pid);
        for (int waited = 0; waited < kStartedWindowWaitMs; waited += 100) {
            if (Window w = WindowOfProcess(*x, d, pid)) {
                ApplyShowCommand(*x, d, w, showCommand, name);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        LogError("Exec command: no window of " + name + " appeared; it is shown as it opened");
    }).detach();
}

class Tx11InputSender : public TinputSender {
public:
    void ShowStartedProgram(pid_t pid, int32_t showCommand) override {
        if (pid <= 0 || (showCommand != 2 && showCommand != 3 && showCommand != 7)) return;
        const Tx11* x = nullptr;
        if (!CanSend(x)) return;
        ShowWhenItAppears(x, std::getenv("DISPLAY"), pid, showCommand);
    }

    bool SendKey(const TkeyPress& key) override {
        const Tx11* x = nullptr;
        if (!CanSend(x)) return false;
        Tconnection connection(*x, nullptr);
        Display* display = connection.Get();
        const Window target = FindClient(*x, display, key.WindowTitle, key.WindowClass);
        if (!target) {
            LogNoTarget("Key", key.WindowTitle, key.WindowClass);
            return false;
        }
        const uint32_t sym = key.VirtualKey ? VirtualKeyToKeysym(key.Code) : CharacterToKeysym(key.Code);
        const KeyCode code = sym ? x->KeysymToKeycode(display, sym) : 0;
        if (!code) {
            LogError("Key command: the key " + std::to_string(key.Code) + " has no key on this keyboard");
            return false;
        }
        const Window previous = ActiveWindow(*x, display);
        Activate(*x, display, target);
        const KeyCode shift = x->KeysymToKeycode(display, VirtualKeyToKeysym(0x10));
        const KeyCode ctrl = x->KeysymToKeycode(display, VirtualKeyToKeysym(0x11));
        const KeyCode alt = x->KeysymToKeycode(display, VirtualKeyToKeysym(0x12));
        if (key.Shift) x->FakeKey(display, shift, True, CurrentTime);
        if (key.Ctrl) x->FakeKey(display, ctrl, True, CurrentTime);
        if (key.Alt) x->FakeKey(display, alt, True, CurrentTime);
        x->FakeKey(display, code, True, CurrentTime);
        x->FakeKey(display, code, False, CurrentTime);
        if (key.Alt) x->FakeKey(display, alt, False, CurrentTime);
        if (key.Ctrl) x->FakeKey(display, ctrl, False, CurrentTime);
        if (key.Shift) x->FakeKey(display, shift, False, CurrentTime);
        x->Sync(display, False);
        if (previous && previous != target) Activate(*x, display, previous);
        return true;
    }

    bool SendMouse(const TmouseClick& click) override {
        const Tx11* x = nullptr;
        if (!CanSend(x)) return false;
        Tconnection connection(*x, nullptr);
        Display* display = connection.Get();
        const Window root = DefaultRootWindow(display);
        const Window target = FindClient(*x, display, click.WindowTitle, click.WindowClass);
        if (!target) {
            LogNoTarget("Mouse", click.WindowTitle, click.WindowClass);
            return false;
        }
        const Window previous = ActiveWindow(*x, display);
        Window rootReturn = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned int mask = 0;
        const bool havePointer =
            x->QueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
        Activate(*x, display, target);
        int screenX = 0, screenY = 0;
        x->TranslateCoordinates(display, target, root, click.X, click.Y, &screenX, &screenY, &child);
        x->FakeMotion(display, -1, screenX, screenY, CurrentTime);
        if (click.Left) x->FakeButton(display, Button1, True, CurrentTime);
        if (click.Right) x->FakeButton(display, Button3, True, CurrentTime);
        if (click.Middle) x->FakeButton(display, Button2, True, CurrentTime);
        if (click.Middle) x->FakeButton(display, Button2, False, CurrentTime);
        if (click.Right) x->FakeButton(display, Button3, False, CurrentTime);
        if (click.Left) x->FakeButton(display, Button1, False, CurrentTime);
        x->Sync(display, False);
        if (previous && previous != target) Activate(*x, display, previous);
        if (havePointer) x->FakeMotion(display, -1, rootX, rootY, CurrentTime);
        x->Sync(display, False);
        return true;
    }

private:
    // Checks that input can be sent at all; logs why not.
    bool CanSend(const Tx11*& x) {
        const char* display = std::getenv("DISPLAY");
        std::string why;
        if (!display || !*display) {
            why = std::getenv("WAYLAND_DISPLAY") ? "a Wayland session without an X display"
                                                 : "no X display";
        } else if (!(x = LoadX11(why))) {
        } else {
            Tconnection probe(*x, nullptr);
            int event = 0, error = 0, major = 0, minor = 0;
            if (!probe.Get()) why = std::string("the X display ") + display + " cannot be opened";
            else if (!x->QueryExtension(probe.Get(), &event, &error, &major, &minor))
                why = "the X display has no XTest extension";
            else return true;
        }
        LogError("Input cannot be sent to other programs: " + why);
        return false;
    }
};

}  // namespace

std::shared_ptr<TinputSender> CreateX11InputSender() { return std::make_shared<Tx11InputSender>(); }

bool X11PointerOnActiveWindow(TpointerOnWindow& target) {
    const char* name = std::getenv("DISPLAY");
    std::string why;
    const Tx11* x = name && *name ? LoadX11(why) : nullptr;
    if (!x) return false;
    Tconnection connection(*x, nullptr);
    Display* display = connection.Get();
    if (!display) return false;
    const Window active = ActiveWindow(*x, display);
    if (!active) return false;
    const Window root = DefaultRootWindow(display);
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!x->QueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask)) return false;
    if (!x->TranslateCoordinates(display, root, active, rootX, rootY, &target.X, &target.Y, &child)) return false;
    XClassHint hint{};
    if (x->GetClassHint(display, active, &hint)) {
        target.WindowClass = hint.res_class ? hint.res_class : "";
        if (hint.res_name) x->Free(hint.res_name);
        if (hint.res_class) x->Free(hint.res_class);
    }
    target.WindowTitle = TextProperty(*x, display, active, "_NET_WM_NAME", x->InternAtom(display, "UTF8_STRING", False));
    if (target.WindowTitle.empty()) target.WindowTitle = TextProperty(*x, display, active, "WM_NAME", XA_STRING);
    return true;
}

}  // namespace tunecrest
