#pragma once
// A player and a video output without sound, for tests of everything that drives a
// player: they keep their state in fields, fire the events an engine fires, and
// record each call by name in Calls.
#include <string>
#include <vector>

#include "core/jukebox/media_player.h"

namespace tunecrest::test {

class FakeMediaPlayer : public TcustomMediaPlayer {
  public:
    std::vector<std::string> Calls;
    int RefreshCount = 0;
    TmediaPlayState State = psStopped;
    TaudioTagPtr CurrentTag;
    uint32_t Position = 0;
    uint8_t Volume = 0;
    bool Ready = true;

    bool IsReady() const override { return Ready; }
    TmediaPlayState GetState() const override { return State; }
    int GetEngineKind() const override { return 2; }
    TaudioTagPtr GetCurrentTag() const override { return CurrentTag; }
    void PlayTag(const TaudioTagPtr& aTag) override {
        Calls.push_back("PlayTag");
        SetPlayingURL("");
        CurrentTag = aTag;
        Position = 0;
        if (!aTag) {
            ChangeState(psStopped);
            return;
        }
        ChangeState(psPlaying);
        DoPlaybackStart(aTag);
    }
    uint32_t GetPosition() const override { return Position; }
    void SetPosition(uint32_t ms) override { Position = ms; }
    uint8_t GetVolume() const override { return Volume; }
    void SetVolume(uint8_t volume) override {
        Volume = volume;
        TcustomMediaPlayer::SetVolume(volume);
    }
    // Starts the current track, or pulls the next one when there is none.
    void Play() override {
        Calls.push_back("Play");
        if (CurrentTag || !PlayingURL().empty()) {
            ChangeState(psPlaying);
            return;
        }
        TaudioTagPtr next;
        DoGetNextTagger(next);
        PlayTag(next);
    }
    void Stop() override {
        Calls.push_back("Stop");
        Position = 0;
        ChangeState(psStopped);
    }
    void Pause() override {
        Calls.push_back("Pause");
        if (State == psPlaying)
            ChangeState(psPaused);
        else if (State == psPaused)
            ChangeState(psPlaying);
    }
    void PlayNext() override {
        Calls.push_back("PlayNext");
        TaudioTagPtr next;
        DoGetNextTagger(next);
        PlayTag(next);
    }
    void PlayURL(const std::string& address) override {
        Calls.push_back("PlayURL");
        CurrentTag.reset();
        SetPlayingURL(address);
        ChangeState(psPlaying);
    }
    void ShowConfig() override { Calls.push_back("ShowConfig"); }
    void RefreshNextTrack() override { ++RefreshCount; }
    void LoadCoverImage(const std::string&, bool, std::string& fileName, bool,
                        TcoverPicture& picture) override {
        fileName.clear();
        picture.Clear();
    }

    // The current track reaches its end: finished, then the next one.
    void FinishTrack() {
        const TaudioTagPtr finished = CurrentTag;
        DoPlaybackFinished(finished);
        PlayNext();
    }
    // The current track's file is missing: reported, then the next one.
    void FileMissing() {
        DoFileNotFound(CurrentTag);
        PlayNext();
    }
    uint8_t VolumeBeforeMute() const { return SavedVolume(); }

  private:
    void ChangeState(TmediaPlayState state) {
        if (State == state) return;
        State = state;
        DoStateChange(state);
    }
};

class FakeVideoPlayer : public TcustomVideoPlayer {
  public:
    int Monitor = 0;
    bool AutoFullScreen = false;
    bool FullScreen = false;
    bool Ready = false;
    uint32_t Position = 0, Duration = 0;
    uint8_t Volume = 0;
    TmediaPlayState State = psStopped;
    std::string FileName;

    int GetMonitor() const override { return Monitor; }
    void SetMonitor(int index) override { Monitor = index; }
    bool GetAutoFullScreen() const override { return AutoFullScreen; }
    void SetAutoFullScreen(bool on) override { AutoFullScreen = on; }
    bool IsReady() const override { return Ready; }
    uint32_t GetPosition() const override { return Position; }
    void SetPosition(uint32_t ms) override { Position = ms; }
    uint32_t GetDuration() const override { return Duration; }
    TmediaPlayState GetState() const override { return Ready ? State : psStopped; }
    bool OpenFile(const std::string& fileName) override {
        FileName = fileName;
        Ready = true;
        return true;
    }
    uint8_t GetVolume() const override { return Volume; }
    void SetVolume(uint8_t volume) override {
        Volume = volume;
        if (Events()) Events()->DoVolumeChange(this, volume);
    }
    void SetFullScreen(bool on) override {
        if (on == FullScreen) return;
        FullScreen = on;
        if (!Events()) return;
        if (on)
            Events()->DoFullScreenEnable(this);
        else
            Events()->DoFullScreenDisable(this);
    }
    bool IsFullScreen() const override { return FullScreen; }
    void Play() override { SetState(psPlaying); }
    void Pause() override { SetState(psPaused); }
    void Stop() override { SetState(psStopped); }
    void Initialise() override {
        if (Events()) Events()->DoInitialise(this);
    }
    void Uninitialise() override {
        if (Events()) Events()->DoUninitialise(this);
    }
    bool OpenAndPlay(const std::string& fileName) override {
        OpenFile(fileName);
        Play();
        if (Events()) Events()->DoPlaybackStart(this);
        return true;
    }
    void ShowFiltersWindow() override {}

  private:
    void SetState(TmediaPlayState state) {
        State = state;
        if (Events()) Events()->DoStateChange(this, state);
    }
};

}  // namespace tunecrest::test
