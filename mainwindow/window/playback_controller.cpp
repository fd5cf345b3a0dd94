#include "mainwindow/window/playback_controller.h"

#include "core/library/jukebox_list.h"
#include "core/tags/media_kinds.h"

namespace tunecrest {

namespace {
constexpr uint32_t kVideoMediaKind = 2;
}

TplaybackController::TplaybackController() {
    FplayerEvents.OnGetNextTagger = [this](TObject*, TaudioTagPtr& tag) {
        tag.reset();
        if (Fclosing) return;
        if (auto* jukebox = Jukebox()) jukebox->PlayerWantsNext(tag);
    };
    FplayerEvents.OnFileNotFound = [this](TObject*, const TaudioTagPtr& tag) {
        if (Fclosing) return;
        if (auto* jukebox = Jukebox()) jukebox->TrackNotFound(tag);
    };
    FplayerEvents.OnPlaybackStart = [this](TObject*, const TaudioTagPtr& tag) {
        if (Fclosing) return;
        PlaybackStarted(tag);
        FwaitingForStart = false;
    };
    FplayerEvents.OnPlaybackFinished = [this](TObject*, const TaudioTagPtr&) {
        if (Fclosing) return;
        if (auto* player = Player()) player->PlayNext();
    };
    FplayerEvents.OnStateChange = [this](TObject*, TmediaPlayState state) {
        if (Fclosing) return;
        Emit(OnRefreshNowPlaying);
        PlayerStateChanged(state);
    };
    FplayerEvents.OnVolumeChange = [this](TObject*, uint8_t volume) {
        if (OnVolume) OnVolume(volume);
    };
    FplayerEvents.OnTimeChange = [this](TObject*, uint32_t pos, uint32_t length) {
        if (!Fclosing && OnTime) OnTime(pos, length);
    };
    FjukeboxEvents.OnQueueChange = [this](TObject*) {
        if (!Fclosing) Emit(OnQueueChanged);
    };
    FjukeboxEvents.OnPlaylistChange = [this](TObject*) {
        if (!Fclosing) Emit(OnPlaylistChanged);
    };
    FjukeboxEvents.OnStackerChange = [this](TObject*) {
        if (Fclosing) return;
        Emit(OnStackerChanged);
        Emit(OnRefreshNowPlaying);
    };
    FjukeboxEvents.OnStatusText = [this](TObject*, const std::string& text) {
        if (OnStatusText) OnStatusText(text);
    };
}

void TplaybackController::SetJukeboxList(TcustomlocalJukeboxList* list) { Flist = list; }

TcustomJukebox* TplaybackController::Jukebox() const { return Flist ? Flist->Jukebox() : nullptr; }

TcustomMediaPlayer* TplaybackController::Player() const {
    auto* jukebox = Jukebox();
    return jukebox ? jukebox->Player() : nullptr;
}

TcustomMediaPlayer& TplaybackController::GetPlayer() const { return RequirePlayer(Player()); }

void TplaybackController::Play() { GetPlayer().Play(); }
void TplaybackController::Stop() { GetPlayer().Stop(); }
void TplaybackController::Pause() { GetPlayer().Pause(); }

bool TplaybackController::Next() {
    if (FwaitingForStart) return false;
    FwaitingForStart = true;
    auto& player = GetPlayer();
    if (Jukebox() && Jukebox()->CurrentTrack()) {
        player.PlayNext();
        return true;
    }
    return false;
}

void TplaybackController::PlaybackStarted(const TaudioTagPtr& tag) {
    if (Fclosing) {
        FcurrentTrack.reset();
        return;
    }
    if (tag != FcurrentTrack) {
        FcurrentTrack = tag;
        if (OnBlockScreenSaver)
            OnBlockScreenSaver(tag && tag->MediaType() == kVideoMediaKind && DisableSaverDuringVideo);
        // The engine's copy of a track is held here, so the same start reported again
        // (a stop and a playing state around the change of track) is never counted twice.
        if (tag && tag != FlastCounted) {
            FlastCounted = tag;
            if (auto* jukebox = Jukebox()) jukebox->TrackPlayed(tag);
        }
    }
    Emit(OnRefreshNowPlaying);
    if (tag) {
        Emit(OnUpdateSongTitle);
        Findicator = piPlaying;
        if (OnIndicator) OnIndicator(Findicator);
    } else if (auto* player = Player(); player && !player->PlayingURL().empty()) {
        // A station starts without a track of the library: the banner shows the station.
        Emit(OnUpdateSongTitle);
    } else {
        PlayerStateChanged(psStopped);
    }
}

void TplaybackController::PlayerStateChanged(TmediaPlayState state) {
    int indicator = piUnknown;
    if (!Fclosing) {
        switch (state) {
            case psStopped:
                FcurrentTrack.reset();
                indicator = piStopped;
                Emit(OnUpdateSongTitle);
                if (OnBlockScreenSaver) OnBlockScreenSaver(false);
                break;
            case psPlaying:
                indicator = piPlaying;
                if (auto* player = Player()) {
                    const auto tag = player->GetCurrentTag();
                    if (tag) PlaybackStarted(tag);
                }
                break;
            case psPaused:
                indicator = piPaused;
                break;
            default:
                break;
        }
    }
    Findicator = indicator;
    if (OnIndicator) OnIndicator(Findicator);
}

}  // namespace tunecrest
