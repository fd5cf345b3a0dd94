#pragma once
// The volume bar, the track-position bar and the timer of the main window.
//
// The volume bar runs 0..255 and follows the player's volume; moving it asks the
// party-play guards to set the volume (a bar running the other way gives 255 - position).
// The position bar runs 0..track length in milliseconds, steps 2 s and 10 s; moving it
// asks the guards to seek. Both are refused silently under party play by their settings,
// and then spring back to what the player holds. The timer shows the elapsed time, or
// with "Show Time Remaining" minus the time left, except for internet streams and video.
#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

#include "core/tags/audio_tag.h"


namespace tunecrest {

class TdigitalDisplay;
class TmySkinScrollBar;
class TpartyPlayGuards;

inline constexpr int kVolumeMax = 255;
inline constexpr int kPositionSmallStep = 2000;
inline constexpr int kPositionLargeStep = 10000;
// The media kind of an internet address (a station or stream).
inline constexpr uint32_t kMediaKindInternet = 4;

// The whole seconds the timer shows: elapsed, or minus the remaining seconds while
// `remaining` is asked and allowed. A position past the length shows no time left.
int TimerSeconds(uint32_t position, uint32_t length, bool remaining);
// Whether a track may be sought: a current track that is no internet address and whose
// file name does not begin with "http".
bool TrackSeekable(const TaudioTagPtr& track);

class TplayerBars {
  public:
    TplayerBars(TpartyPlayGuards& guards, TdigitalDisplay& timer, TmySkinScrollBar& position);
    // Volume bars (the bar at the top and the pop-up bar); each set to the range and bound.
    void AddVolumeBar(TmySkinScrollBar& bar);
    // Set: the bar's position is the volume; clear: the bar runs the other way.
    bool VolumeForward = true;

    // The player's volume onto every volume bar, without asking the player back.
    void ShowVolume(int volume);
    // The player stopped: the timer shows 0 and the position bar has no range.
    void Stopped();
    // A time change of the player (milliseconds). `showRemaining` is the checked state of
    // "Show Time Remaining"; `inVideo` whether the track is shown in a video output.
    void TimeChanged(uint32_t position, uint32_t length, const TaudioTagPtr& track, bool showRemaining,
                     bool inVideo);
    int ShownSeconds() const { return FshownSeconds; }

  private:
    void VolumeMoved(TmySkinScrollBar& bar);
    void PositionMoved();

    TpartyPlayGuards& Fguards;
    TdigitalDisplay& Ftimer;
    TmySkinScrollBar& Fposition;
    std::vector<TmySkinScrollBar*> Fvolume;
    int FshownSeconds = 0;
    bool FhasShown = false;
};

}  // namespace tunecrest
