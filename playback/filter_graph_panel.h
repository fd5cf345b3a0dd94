#pragma once
// What the filter graph needs of the video panel that shows its pictures. The panel
// itself is a widget (in playback/video); the graph only sees this interface, so the
// playback library builds and runs without a display.
#include <cstdint>
#include <string>
#include <vector>

#include "core/jukebox/media_player.h"

namespace tunecrest {

// One picture in 32-bit BGRx (byte order blue, green, red, unused), row by row.
struct TvideoFrame {
    int Width = 0;
    int Height = 0;
    int Stride = 0;  // bytes from one row to the next
    const uint8_t* Data = nullptr;
};

class TcustomFilterGraphPanel {
public:
    virtual ~TcustomFilterGraphPanel() = default;
    // A new picture to paint. Called from streaming threads: copies the picture and
    // repaints later on the main thread.
    virtual void PresentFrame(const TvideoFrame& frame) = 0;
    // Forgets the picture (a new file is opened). Any thread.
    virtual void ClearFrame() = 0;
    // After each state report: shows or hides the panel and switches automatic full screen.
    virtual void RefreshVideo(bool hasVideo, TmediaPlayState state) = 0;
    // Each poll tick while the graph runs: counts idle time while full screen.
    virtual void TimerTick(int intervalMs) = 0;
    virtual void SetFullScreen(bool on) = 0;
    virtual bool IsFullScreen() const = 0;
    virtual void SetMonitor(int index) = 0;
    virtual int GetMonitor() const = 0;
    virtual void SetAutoFullScreen(bool on) = 0;
    virtual bool GetAutoFullScreen() const = 0;
    // Whether a double-click on the panel switches full screen on and off.
    virtual void SetDoubleClickFullScreen(bool on) = 0;
    // The window that lists the elements of the running pipeline.
    virtual void ShowFiltersWindow(const std::vector<std::string>& filterNames) = 0;
};

}  // namespace tunecrest
