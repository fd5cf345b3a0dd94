#include "mainwindow/layout/player_bars.h"

#include <algorithm>

#include "core/base/text_utils.h"
#include "mainwindow/party_play/party_play_guards.h"
#include "skin/display_controls.h"
#include "skin/skin_scroll_bar.h"

namespace tunecrest {

int TimerSeconds(uint32_t position, uint32_t length, bool remaining) {
    if (!remaining) return int(position / 1000);
    const uint32_t left = length > position ? length - position : 0;
    return -int(left / 1000);
}

bool TrackSeekable(const TaudioTagPtr& track) {
    if (!track || track->MediaType() == kMediaKindInternet) return false;
    return !SameText(track->Filename().substr(0, 4), "http");
}

TplayerBars::TplayerBars(TpartyPlayGuards& guards, TdigitalDisplay& timer, TmySkinScrollBar& position)
    : Fguards(guards), Ftimer(timer), Fposition(position) {
    Fposition.SetMin(0);
    Fposition.SetMax(0);
    Fposition.SetSmallStep(kPositionSmallStep);
    Fposition.SetLargeStep(kPositionLargeStep);
    Fposition.PositionChanged = [this](TObject*) { PositionMoved(); };
    Ftimer.SetSeconds(0);
}

void TplayerBars::AddVolumeBar(TmySkinScrollBar& bar) {
    bar.SetMin(0);
    bar.SetMax(kVolumeMax);
    bar.SetSmallStep(5);
    bar.SetLargeStep(25);
    bar.PositionChanged = [this, &bar](TObject*) { VolumeMoved(bar); };
    Fvolume.push_back(&bar);
}

void TplayerBars::ShowVolume(int volume) {
    const int v = std::clamp(volume, 0, kVolumeMax);
    for (TmySkinScrollBar* bar : Fvolume) bar->SetPositionSilently(VolumeForward ? v : kVolumeMax - v);
}

void TplayerBars::Stopped() {
    FhasShown = true;
    FshownSeconds = 0;
    Ftimer.SetSeconds(0);
    Fposition.SetPositionSilently(0);
    Fposition.SetMax(0);
}

void TplayerBars::VolumeMoved(TmySkinScrollBar& bar) {
    const int volume = VolumeForward ? bar.Position() : kVolumeMax - bar.Position();
    // A refused change (party play) puts the bars back on the player's volume.
    Fguards.SetPlayerVolume(volume, false);
    ShowVolume(Fguards.Host().PlayerVolume());
}

void TplayerBars::PositionMoved() {
    if (Fposition.Max() <= 0) return;
    Fguards.SetPlayerPosition(Fposition.Position(), false);
}

void TplayerBars::TimeChanged(uint32_t position, uint32_t length, const TaudioTagPtr& track, bool showRemaining,
                              bool inVideo) {
    if (Fguards.Host().IsClosing()) return;
    const bool seekable = TrackSeekable(track);
    const bool remaining = showRemaining && !inVideo && !(track && track->MediaType() == kMediaKindInternet);
    const int seconds = TimerSeconds(position, length, remaining);
    if (!FhasShown || seconds != FshownSeconds) {
        FhasShown = true;
        FshownSeconds = seconds;
        Ftimer.SetSeconds(seconds);
    }
    if (!seekable) {
        Fposition.SetPositionSilently(0);
        Fposition.SetMax(0);
        return;
    }
    // Lengths past what the bar holds are cut; a finger on the thumb keeps it.
    const int max = int(std::min<uint32_t>(length, 0x7fffffff));
    if (Fposition.Max() != max) {
        if (max < Fposition.Position()) Fposition.SetPositionSilently(max);
        Fposition.SetMax(max);
    }
    const int pos = int(std::min<uint32_t>(position, uint32_t(max)));
    if (Fposition.PressedPart() == TmySkinScrollBar::ppNone && Fposition.Position() != pos)
        Fposition.SetPositionSilently(pos);
}

}  // namespace tunecrest
