#pragma once
// What the X server shows, read back from it: the benchmarks that time a window "until a
// person sees it" ask the server for the picture of the window's area, as the screen
// has it, instead of trusting the program's own word that it painted. Rows of the area
// are read (a few lines across the window), which costs well under a millisecond, so the
// server can be asked every millisecond or two.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <set>
#include <vector>

namespace tunecrest::bench {

class TxScreen {
  public:
    TxScreen() : Fdisplay(XOpenDisplay(nullptr)) {
        if (Fdisplay) XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~TxScreen() {
        if (Fdisplay) XCloseDisplay(Fdisplay);
    }
    TxScreen(const TxScreen&) = delete;
    TxScreen& operator=(const TxScreen&) = delete;

    bool Open() const { return Fdisplay != nullptr; }

    // The window is mapped and every ancestor too (the screen can show it).
    bool Viewable(unsigned long window) const {
        XWindowAttributes a{};
        return Fdisplay && XGetWindowAttributes(Fdisplay, window, &a) && a.map_state == IsViewable;
    }

    // The pixels of `rows` rows of the window's area, evenly spaced between `top` and
    // `top + height`, from `left` across `width` pixels (the window's own coordinates), as
    // the screen shows them. Empty when the server cannot give them (not shown yet).
    std::vector<uint32_t> Rows(unsigned long window, int left, int top, int width, int height, int rows) const {
        std::vector<uint32_t> pixels;
        if (!Viewable(window) || width <= 0 || height <= 0) return pixels;
        pixels.reserve(size_t(width) * size_t(rows));
        for (int r = 0; r < rows; ++r) {
            const int y = top + int((long(height) * (2 * r + 1)) / (2 * rows));
            XImage* image = XGetImage(Fdisplay, window, left, y, unsigned(width), 1, AllPlanes, ZPixmap);
            if (!image) return {};
            for (int x = 0; x < width; ++x) pixels.push_back(uint32_t(XGetPixel(image, x, 0)) & 0xFFFFFF);
            XDestroyImage(image);
        }
        return pixels;
    }

    // The size of the window; false when the server does not know it.
    bool Size(unsigned long window, int& width, int& height) const {
        XWindowAttributes a{};
        if (!Fdisplay || !XGetWindowAttributes(Fdisplay, window, &a)) return false;
        width = a.width;
        height = a.height;
        return true;
    }

    // How many colours the pixels hold (counting stops at `enough`). A window mapped but
    // not yet painted shows one colour (its background, or what lay under it); a painted
    // skin shows dozens.
    static int Colours(const std::vector<uint32_t>& pixels, int enough = 64) {
        std::set<uint32_t> seen;
        for (uint32_t p : pixels) {
            seen.insert(p);
            if (int(seen.size()) >= enough) break;
        }
        return int(seen.size());
    }

  private:
    Display* Fdisplay;
};

}  // namespace tunecrest::bench
