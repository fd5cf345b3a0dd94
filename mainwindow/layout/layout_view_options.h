#pragma once
// The view options of the main window's layout and their stored keys, and what party play
// does to them: at switch-on the volume-bar mode, the track-position-bar mode, the back
// button and the stacker panel are saved, and the party-play settings switch off what they
// forbid; at switch-off the saved options come back.
#include "core/jukebox/party_play_settings.h"

namespace tunecrest {

// The browse modes of the left side.
enum TbrowseMode : int { bmTree = 0, bmCovers = 1, bmArtistsAndCovers = 2, bmNone = 3 };

class TiniFile;

struct TlayoutViewOptions {
    bool StackerVisible = false;
    bool SongTitleVisible = true;
    int VolumeMode = 0;  // 0 none, 1 bar at the top, 2 pop-up bar
    int TimerWidth = 110;
    bool QueueCDButton = false;
    bool SearchButton = false;
    int BackButtonMode = 0;  // 0 previous track queued, 1 restart, 2 previous track to the top
    bool BackButton = false;
    int TrackPositionMode = 0;  // 0 none, else the bar with the timer
    bool AddGap = false;

    // A missing key keeps the value held; out-of-range modes fall back to 0.
    void Read(const TiniFile& ini);
    // The keys in their stored order ("TrackPosScrollbar" right after "VolumeScrollbar").
    void Write(TiniFile& ini) const;
};

class TviewOptionsPartyPlay {
  public:
    // Party play on: the four options are saved at the first call after the switch-on
    // (a later change of the settings does not overwrite them) and the settings applied;
    // party play off: the saved options return once.
    void Update(bool party, const TpartyPlaySettings& settings, TlayoutViewOptions& options);
    bool Saved() const { return Fsaved; }

  private:
    bool Fsaved = false;
    int FvolumeMode = 0, FtrackPositionMode = 0;
    bool FbackButton = false, FstackerVisible = false;
};

}  // namespace tunecrest
