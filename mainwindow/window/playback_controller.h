#pragma once
// The main window's side of the continuous-play loop, without a window: it answers the
// player's next-track request through the jukebox (PlayerWantsNext, so a list of
// missing files is not offered for ever), reports missing files (TrackNotFound), records
// the started track (held shared, never as a pointer into the engine), tells the jukebox
// it was played, and goes inert at close so that close-down starts nothing new.
#include <functional>
#include <memory>

#include "core/tags/audio_tag.h"
#include "core/jukebox/jukebox.h"
#include "core/jukebox/media_player.h"

namespace tunecrest {

class TcustomlocalJukeboxList;

enum TplayIndicator { piPlaying = 0, piPaused = 2, piStopped = 3, piUnknown = 4 };

class TplaybackController {
public:
    TplaybackController();

    // The library container and its player; both may be null.
    void SetJukeboxList(TcustomlocalJukeboxList* list);
    TcustomlocalJukeboxList* JukeboxList() const { return Flist; }
    TcustomJukebox* Jukebox() const;
    // The player, or Exception("No Player has been assigned.").
    TcustomMediaPlayer& GetPlayer() const;
    TcustomMediaPlayer* Player() const;

    // The sinks handed to the jukebox list; their handlers are this controller's.
    TcustomMediaPlayerEvents& PlayerEvents() { return FplayerEvents; }
    TcustomJukeboxEvents& JukeboxEvents() { return FjukeboxEvents; }

    // Display hooks the window fills in (each may stay empty).
    std::function<void()> OnRefreshNowPlaying;   // now-playing area
    std::function<void()> OnUpdateSongTitle;
    std::function<void()> OnQueueChanged;
    std::function<void()> OnPlaylistChanged;
    std::function<void()> OnStackerChanged;
    std::function<void(int)> OnIndicator;        // TplayIndicator
    std::function<void(bool)> OnBlockScreenSaver;  // video playing with the option on
    std::function<void(uint8_t)> OnVolume;
    std::function<void(uint32_t, uint32_t)> OnTime;
    std::function<void(const std::string&)> OnStatusText;

    bool DisableSaverDuringVideo = true;

    void SetClosing() { Fclosing = true; }
    bool Closing() const { return Fclosing; }
    const TaudioTagPtr& CurrentTrack() const { return FcurrentTrack; }
    int Indicator() const { return Findicator; }

    // Actions.
    void Play();
    void Stop();
    void Pause();
    // Asks for the next track unless a Next is still waiting for its start. Returns
    // true when the player was asked. The wait ends with the next playback start or
    // with EndNextWait (the window's time-out), never by a nested event loop.
    bool Next();
    bool WaitingForStart() const { return FwaitingForStart; }
    void EndNextWait() { FwaitingForStart = false; }

    // The handlers (public for the window's own calls).
    void PlaybackStarted(const TaudioTagPtr& tag);
    void PlayerStateChanged(TmediaPlayState state);

private:
    void Emit(const std::function<void()>& f) {
        if (f) f();
    }
    TcustomlocalJukeboxList* Flist = nullptr;
    TcustomMediaPlayerEvents FplayerEvents;
    TcustomJukeboxEvents FjukeboxEvents;
    TaudioTagPtr FcurrentTrack;
    TaudioTagPtr FlastCounted;  // the last start told to the jukebox
    bool Fclosing = false;
    bool FwaitingForStart = false;
    int Findicator = piUnknown;
};

}  // namespace tunecrest
