#pragma once
// The in-process video output: one file at a time through the media graph, pictures
// on the panel the program gives it, and start, state, time and end reported through
// its video event sink.
#include <functional>
#include <memory>
#include <string>

#include "core/jukebox/media_player.h"
#include "playback/filter_graph.h"

namespace tunecrest {

class TVideoPlayer : public TcustomVideoPlayer {
public:
    TVideoPlayer();
    ~TVideoPlayer() override;

    // The panel that shows the video (not owned; null plays video unseen). The monitor
    // automatic full-screen and double-click choices made before are handed to it.
    void SetPanel(TcustomFilterGraphPanel* panel);
    TcustomFilterGraphPanel* Panel() const { return Fpanel; }
    TmyFilterGraph& Graph() { return *Fgraph; }

    void SetAudioDevice(const std::string& name) override;
    int GetMonitor() const override;
    void SetMonitor(int index) override;
    bool GetAutoFullScreen() const override;
    void SetAutoFullScreen(bool on) override;
    bool IsReady() const override;
    uint32_t GetPosition() const override;
    void SetPosition(uint32_t ms) override;
    uint32_t GetDuration() const override;
    double GetRate() const;
    void SetRate(double rate);
    TmediaPlayState GetState() const override;
    bool OpenFile(const std::string& fileName) override;
    uint8_t GetVolume() const override;
    void SetVolume(uint8_t volume) override;
    void SetFullScreen(bool on) override;
    bool IsFullScreen() const override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Initialise() override {}
    void Uninitialise() override {}
    bool OpenAndPlay(const std::string& fileName) override;
    // Starts an internet address (a radio stream) without waiting for it to connect.
    bool OpenURLAndPlay(const std::string& address);
    void ShowFiltersWindow() override;
    // The base's settings; the double-click choice then reaches the panel.
    void LoadSettings(const TiniFile& ini, const std::string& section) override;

    // Where the graph's error texts go; the error log unless replaced.
    std::function<void(const std::string& message)> OnError;

private:
    std::unique_ptr<TmyFilterGraph> Fgraph;
    TcustomFilterGraphPanel* Fpanel = nullptr;
    std::string FlastFile;  // the file being opened, for the error log
    int Fmonitor = 0;
    bool FautoFullScreen = false;
};

}  // namespace tunecrest
