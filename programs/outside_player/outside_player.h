#pragma once
// The stand-in outside player: a playlist of its own played through a GStreamer
// playbin, driven by window messages. Runs entirely on the main thread: the window's
// handlers come through the dispatcher and the pipeline's bus is polled by Run().
#include <gst/gst.h>

#include <csignal>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "platform/window_messages.h"

namespace tunecrest {

class ToutsidePlayer {
public:
    enum class Tstate { Stopped, Playing, Paused };

    explicit ToutsidePlayer(const std::string& className);
    ~ToutsidePlayer();
    ToutsidePlayer(const ToutsidePlayer&) = delete;
    ToutsidePlayer& operator=(const ToutsidePlayer&) = delete;

    bool IsOpen() const;
    // Replaces the playlist and plays its first entry.
    void OpenPlaylist(const std::vector<std::string>& entries);
    // Serves messages (run by `dispatcher`, this thread's) and plays until the close
    // command comes or `stop` is set.
    void Run(TqueueDispatcher& dispatcher, const volatile std::sig_atomic_t& stop);

    LRESULT OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(uint64_t data, const std::string& bytes);

private:
    LRESULT OnCommand(WPARAM command);
    LRESULT OnUser(WPARAM argument, LPARAM code);
    void PlayEntry(size_t index);
    void StopPlayback();
    void SetPaused(bool paused);
    void Advance();
    void HandleBusMessage(GstMessage* message);
    int64_t PositionMs() const;
    void UpdateTitle();

    TmessageWindow Fwindow;
    GstElement* Fplaybin = nullptr;
    std::vector<std::string> Fplaylist;
    size_t Fposition = 0;
    Tstate Fstate = Tstate::Stopped;
    std::string FplayingTitle;  // what plays now, from its tags or its name
    int64_t FlengthMs = 0;      // of what plays now; 0 while unknown
    int Fvolume = 255;
    bool Fquit = false;
};

// The video sink for the display in use (X11 or Wayland, tried in turn until one opens);
// null when none works, and `why` says which was taken or why videos play as sound only.
GstElement* ChooseVideoSink(std::string& why);

// The entries of an M3U or plain-text playlist: one a line, "#" lines skipped,
// relative names taken from the playlist's folder.
std::vector<std::string> ReadPlaylistFile(const std::string& path);

}  // namespace tunecrest
