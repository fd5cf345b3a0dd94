#pragma once
// The in-process player engine: plays every track, audio or video, and internet radio
// streams through its video output, asks the jukebox for a track only when one is to
// be played, and turns the output's events into player events (the end of a file
// becomes OnPlaybackFinished). It also carries the pitch-and-tempo stage that the
// automation shifter drives.
#include <functional>
#include <memory>
#include <vector>

#include "core/jukebox/media_player.h"
#include "playback/shifters.h"
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
    // Plays an internet address (a radio stream): PlayingURL is set, the start event
    // fires with no track and the stream's titles come through OnStreamTitleChange.
    // A stream that cannot be played, or ends, says so through OnStatusText.
    void PlayURL(const std::string& address) override;
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

    // The connector the automation shifter (Tchronotron) uses to drive this engine's
    // pitch and tempo. From the first call on, every track is played through the
    // pitch-and-tempo stage. The connector answers no server when GStreamer has no
    // "pitch" element or the engine is gone.
    TchronoConnector PitchTempoConnector();
    // Ratios (1 = as recorded), applied to the playing track and kept for later ones.
    void SetPitchRatio(double ratio);
    void SetTempoRatio(double ratio);

    // The radio stream's titles come through OnStreamTitleChange (the player's).
    // A short text for the status line (a radio stream failed or ended).
    TgraphMessageEvent OnStatusText;

    // The settings dialog lives with the widgets; the program installs it here.
    using TconfigDialog = std::function<void(TdshowPlayer& player)>;
    static void SetConfigDialog(TconfigDialog dialog);

private:
    void HookGraph(TVideoPlayer& player);
    void StreamTitleChanged(const std::string& title);
    void StatusText(const std::string& text);
    void ApplyPitchAndTempo();

    TaudioTagPtr FcurrentTag;
    // Shared with the connectors handed out, so that a shifter outliving the engine
    // finds it gone instead of touching a freed object.
    std::shared_ptr<TdshowPlayer*> Fself;
    double FpitchRatio = 1.0;
    double FtempoRatio = 1.0;
    std::vector<std::unique_ptr<TVideoPlayer>> FvideoPlayers;
    mutable int FactiveIndex = 0;
};

}  // namespace tunecrest
