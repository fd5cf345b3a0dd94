#pragma once
// Shared by the player tests: the test audio output, a panel that records what it is
// given, and media files made once per test.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "playback/filter_graph_panel.h"
#include "playback/graph_utils.h"

namespace tunecrest::test {

// Plays to a synchronised fake output: there is no sound device on the test machines.
inline void UseFakeAudioSink() { setenv(kAudioSinkVariable, "fakesink sync=true", 1); }

class TrecordingPanel : public TcustomFilterGraphPanel {
public:
    void PresentFrame(const TvideoFrame& frame) override {
        std::lock_guard lock(Fmutex);
        ++Frames;
        Width = frame.Width;
        Height = frame.Height;
        FirstPixel = frame.Data[0] | frame.Data[1] << 8 | frame.Data[2] << 16;
    }
    void ClearFrame() override {}
    void RefreshVideo(bool hasVideo, TmediaPlayState state) override {
        HasVideo = hasVideo;
        LastState = state;
    }
    void TimerTick(int) override { ++Ticks; }
    void SetFullScreen(bool on) override { FullScreen = on; }
    bool IsFullScreen() const override { return FullScreen; }
    void SetMonitor(int index) override { Monitor = index; }
    int GetMonitor() const override { return Monitor; }
    void SetAutoFullScreen(bool on) override { AutoFullScreen = on; }
    bool GetAutoFullScreen() const override { return AutoFullScreen; }
    void SetDoubleClickFullScreen(bool on) override { DoubleClickFullScreen = on; }
    void ShowFiltersWindow(const std::vector<std::string>& names) override { Filters = names; }

    int FrameCount() {
        std::lock_guard lock(Fmutex);
        return Frames;
    }
    uint32_t Pixel() {
        std::lock_guard lock(Fmutex);
        return FirstPixel;
    }

    std::mutex Fmutex;
    int Frames = 0, Width = 0, Height = 0;
    uint32_t FirstPixel = 0;  // 0xRRGGBB of the top-left pixel of the last frame
    bool HasVideo = false;
    TmediaPlayState LastState = psUnknown;
    int Ticks = 0;
    bool FullScreen = false, AutoFullScreen = false, DoubleClickFullScreen = true;
    int Monitor = 0;
    std::vector<std::string> Filters;
};

// Calls `tick` every 50 ms until `done` or the time runs out; true when done.
inline bool PollUntil(const std::function<void()>& tick, const std::function<bool()>& done, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        tick();
    }
    return true;
}

}  // namespace tunecrest::test
