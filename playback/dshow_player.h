#pragma once
// The in-process player engine: plays every track, audio or video, through its video
// output, asks the jukebox for a track only when one is to be played, and turns the
// output's events into player events (the end of a file becomes OnPlaybackFinished).
#include <functional>
#include <memory>
#include <vector>

#include "core/media_player.h"
#include "playback/video_player.h"

namespace tunecrest {

class TdshowPlayer : public TcustomMediaPlayer {
public:
    // Files that cannot be opened, one after another, before the engine gives up
    // asking for more (a playlist of missing files must not keep it busy for ever).
    static constexpr int kMaxMissesInARow = 10;

    TdshowPlayer();
    ~TdshowPlayer() override;

    // The video output in use; falls back to the first one when the index is out of range.
    TVideoPlayer& ActiveVideoPlayer();
    int VideoPlayerCount() const { return int(FvideoPlayers.size()); }
    TVideoPlayer& VideoPlayers(int index) { return *FvideoPlayers.at(size_t(index)); }

    bool IsReady() const override;
    TmediaPlayState GetState() const override;
    int GetEngineKind() const override { return 2; }
    TaudioTagPtr GetCurrentTag() const override { return FcurrentTag; }
    void PlayTag(const TaudioTagPtr& aTag) override;
    uint32_t GetPosition() const override;
    void SetPosition(uint32_t ms) override;
    uint8_t GetVolume() const override;
    void SetVolume(uint8_t volume) override;
    void Play() override;
    void Stop() override;
    void Pause() override;
    void PlayNext() override;
    // This engine plays no internet addresses.
    void PlayURL(const std::string&) override {}
    void ShowConfig() override;
    void LoadSettings(const TiniFile& ini, const std::string& section) override;
    void SaveSettings(TiniFile& ini, const std::string& section) const override;
    void Initialise(int64_t applicationWindow) override;
    void Uninitialise() override;
    void RefreshNextTrack() override {}
    void LoadCoverImage(const std::string& coverFolder, bool flagA, std::string& fileName, bool flagB,
                        TcoverPicture& picture) override;

    void VideoPlaybackFinished() override;
    void VideoStateChange(TmediaPlayState state) override;
    void VideoTimeChange(uint32_t msPos, uint32_t msLength) override;

    // The settings dialog lives with the widgets; the program installs it here.
    using TconfigDialog = std::function<void(TdshowPlayer& player)>;
    static void SetConfigDialog(TconfigDialog dialog);

private:
    TaudioTagPtr FcurrentTag;
    std::vector<std::unique_ptr<TVideoPlayer>> FvideoPlayers;
    mutable int FactiveIndex = 0;
};

}  // namespace tunecrest
