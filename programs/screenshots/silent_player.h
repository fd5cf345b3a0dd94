#pragma once
// A player for the screenshots that plays nothing: it reports starts and states as an
// engine does, at a fixed position and volume, so the main window shows a playing track.
#include "core/audio_tag.h"
#include "core/media_player.h"

namespace tunecrest {

class TsilentPlayer : public TcustomMediaPlayer {
public:
    bool IsReady() const override { return true; }
    TmediaPlayState GetState() const override { return Fstate; }
    int GetEngineKind() const override { return 2; }
    TaudioTagPtr GetCurrentTag() const override { return Fcurrent; }
    void PlayTag(const TaudioTagPtr& tag) override {
        Fcurrent = tag ? tag->Clone() : nullptr;
        Fstate = Fcurrent ? psPlaying : psStopped;
        if (Fcurrent) DoPlaybackStart(Fcurrent);
        DoStateChange(Fstate);
    }
    uint32_t GetPosition() const override { return 61000; }
    void SetPosition(uint32_t) override {}
    uint8_t GetVolume() const override { return 200; }
    void Play() override { PlayNext(); }
    void Stop() override { PlayTag(nullptr); }
    void Pause() override {}
    void PlayNext() override {
        TaudioTagPtr next;
        DoGetNextTagger(next);
        PlayTag(next);
    }
    void PlayURL(const std::string&) override {}
    void ShowConfig() override {}
    void RefreshNextTrack() override {}
    void LoadCoverImage(const std::string&, bool, std::string& fileName, bool, TcoverPicture& picture) override {
        fileName.clear();
        picture.Clear();
    }

private:
    TaudioTagPtr Fcurrent;
    TmediaPlayState Fstate = psStopped;
};

}  // namespace tunecrest
