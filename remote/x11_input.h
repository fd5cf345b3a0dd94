#pragma once
// Keys and clicks into other programs' windows over an X display: the window is found
// over the desktop's client list (_NET_CLIENT_LIST, by WM_CLASS and _NET_WM_NAME) or,
// where no window manager keeps one (a kiosk session), by walking the display's top
// windows; it is raised with _NET_ACTIVE_WINDOW (or focused directly), and the input is
// synthesised with XTest. A command whose window is not open is logged. libX11 and
// libXtst are loaded when first needed, so the program runs without them; with no X
// display (a Wayland-only session, a service) the sender logs that input cannot be
// sent and does nothing else.
#include <cstdint>
#include <memory>
#include <string>

#include "remote/command_runner.h"

namespace tunecrest {

std::shared_ptr<TinputSender> CreateX11InputSender();

// The active window of the X display (the one the user last clicked), its class and
// title, and the pointer in that window's client coordinates; false without an X display
// or an active window. The mouse editor takes its target from here.
struct TpointerOnWindow {
    int X = 0;
    int Y = 0;
    std::string WindowClass;
    std::string WindowTitle;
};
bool X11PointerOnActiveWindow(TpointerOnWindow& target);

// The X key symbol for a virtual-key code (0 when there is none), and for a character
// key (a to z taken upper-case, as the key itself is meant, not the letter's case).
uint32_t VirtualKeyToKeysym(int32_t code);
uint32_t CharacterToKeysym(int32_t code);

}  // namespace tunecrest
