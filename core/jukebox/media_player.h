#pragma once
// The player abstraction: every sound engine is a TcustomMediaPlayer that plays one
// track at a time, pulls the next track from the jukebox through its event sink and
// reports what happens through that sink. An engine may have a video output
// (TcustomVideoPlayer) attached; the player relays the video output's events to its
// own relay operations, which pass them on to an optional outer video sink.
//
// The engines themselves live in playback/; core only knows this contract.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/tags/audio_tag.h"
#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;

// Raised by operations that need a player when none is assigned.
inline constexpr const char* kNoPlayerAssigned = "No Player has been assigned.";

enum TmediaPlayState : uint8_t { psStopped = 0, psPlaying = 1, psPaused = 2, psUnknown = 3 };

// The handler stores the track to play in aTag, or leaves it empty.
using TgetMediaTagEvent = std::function<void(TObject* Sender, TaudioTagPtr& aTag)>;
// aTag may be empty.
using TmediaTagEvent = std::function<void(TObject* Sender, const TaudioTagPtr& aTag)>;
using TmediaTagTimeEvent = std::function<void(TObject* Sender, uint32_t msPos, uint32_t msLength)>;
using TvolumeChangeEvent = std::function<void(TObject* Sender, uint8_t volume)>;
using TstateChangeEvent = std::function<void(TObject* Sender, TmediaPlayState state)>;
// Sender and the new title of an internet stream.
using TstreamTitleEvent = std::function<void(TObject* Sender, const std::string& title)>;

// The player's event sink. It has no behaviour: the library container owns it and
// the jukebox and the main window fill in the handlers.
class TcustomMediaPlayerEvents : public TObject {
  public:
    TgetMediaTagEvent OnGetNextTagger;
    TmediaTagEvent OnFileNotFound;
    TmediaTagEvent OnPlaybackStart;
    TmediaTagEvent OnPlaybackFinished;
    TmediaTagTimeEvent OnTimeChange;
    TNotifyEvent OnInitialise;
    TNotifyEvent OnUninitialise;
    TstateChangeEvent OnStateChange;
    TvolumeChangeEvent OnVolumeChange;
};

// The video output's event sink. Each Do* calls its handler when one is assigned.
class TvideoPlayerEvents : public TObject {
  public:
    TNotifyEvent OnPlaybackFinished;
    TmediaTagTimeEvent OnTimeChange;
    TNotifyEvent OnPlaybackStart;
    TNotifyEvent OnInitialise;
    TNotifyEvent OnUninitialise;
    TvolumeChangeEvent OnVolumeChange;
    TstateChangeEvent OnStateChange;
    TNotifyEvent OnFullScreenDisable;
    TNotifyEvent OnFullScreenEnable;

    void DoPlaybackFinished(TObject* sender) const;
    void DoTimeChange(TObject* sender, uint32_t msPos, uint32_t msLength) const;
    void DoPlaybackStart(TObject* sender) const;
    void DoInitialise(TObject* sender) const;
    void DoUninitialise(TObject* sender) const;
    void DoVolumeChange(TObject* sender, uint8_t volume) const;
    void DoStateChange(TObject* sender, TmediaPlayState state) const;
    void DoFullScreenDisable(TObject* sender) const;
    void DoFullScreenEnable(TObject* sender) const;
};

// The abstract video output. The base keeps the sink, the double-click option and the
// audio device name, and reads and writes the video settings.
class TcustomVideoPlayer : public TObject {
  public:
    static constexpr const char* kDefaultAudioDevice = "Default DirectSound Device";

    TcustomVideoPlayer() = default;
    // Tells everyone registered for the destruction notice that this output is gone.
    ~TcustomVideoPlayer() override;
    TcustomVideoPlayer(const TcustomVideoPlayer&) = delete;
    TcustomVideoPlayer& operator=(const TcustomVideoPlayer&) = delete;

    virtual void SetAudioDevice(const std::string& name) { FaudioDevice = name; }
    const std::string& AudioDevice() const { return FaudioDevice; }
    virtual int GetMonitor() const = 0;
    virtual void SetMonitor(int index) = 0;
    virtual bool GetAutoFullScreen() const = 0;
    virtual void SetAutoFullScreen(bool on) = 0;
    // The output is set up and has a file or renderer to play through.
    virtual bool IsReady() const = 0;
    virtual void SetEvents(TvideoPlayerEvents* events) { Fevents = events; }
    TvideoPlayerEvents* Events() const { return Fevents; }
    virtual uint32_t GetPosition() const = 0;
    virtual void SetPosition(uint32_t ms) = 0;
    virtual uint32_t GetDuration() const = 0;
    virtual TmediaPlayState GetState() const = 0;
    virtual bool OpenFile(const std::string& fileName) = 0;
    virtual uint8_t GetVolume() const = 0;
    virtual void SetVolume(uint8_t volume) = 0;
    virtual void SetFullScreen(bool on) = 0;
    virtual bool IsFullScreen() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Initialise() = 0;
    virtual void Uninitialise() = 0;
    virtual bool OpenAndPlay(const std::string& fileName) = 0;
    virtual void ShowFiltersWindow() = 0;
    // "AutoFullScreen", "DoubleClickFullScreen", "FullScreenMonitor", "VideoSoundCard"
    // under the caller's section.
    virtual void LoadSettings(const TiniFile& ini, const std::string& section);
    virtual void SaveSettings(TiniFile& ini, const std::string& section) const;

    bool DoubleClickFullScreen = true;

    // Destruction notice: the handler runs (with this output as sender) when it is destroyed.
    TnotifyEventList::Key AddFreeNotification(TNotifyEvent handler) {
        return FfreeNotices.Add(std::move(handler));
    }
    void RemoveFreeNotification(TnotifyEventList::Key key) { FfreeNotices.Remove(key); }

  private:
    TvideoPlayerEvents* Fevents = nullptr;
    std::string FaudioDevice = kDefaultAudioDevice;
    TnotifyEventList FfreeNotices;
};

class TcustomMediaPlayer : public TObject {
  public:
    TcustomMediaPlayer();
    ~TcustomMediaPlayer() override;
    TcustomMediaPlayer(const TcustomMediaPlayer&) = delete;
    TcustomMediaPlayer& operator=(const TcustomMediaPlayer&) = delete;

    // The sink is not owned and may be null.
    virtual void SetEvents(TcustomMediaPlayerEvents* events) { Fevents = events; }
    TcustomMediaPlayerEvents* Events() const { return Fevents; }

    // Relays of the attached video output's events: passed on to VideoEvents when set.
    virtual void VideoInitialise();
    virtual void VideoPlaybackFinished();
    virtual void VideoPlaybackStart();
    virtual void VideoStateChange(TmediaPlayState state);
    virtual void VideoTimeChange(uint32_t msPos, uint32_t msLength);
    virtual void VideoVolumeChange(uint8_t volume);
    virtual void VideoUninitialise();
    virtual void VideoFullScreenDisable();
    virtual void VideoFullScreenEnable();

    virtual bool IsReady() const = 0;
    virtual TmediaPlayState GetState() const = 0;
    // 0 here; the engines answer 2.
    virtual int GetEngineKind() const { return 0; }
    // The track now playing: the engine's own copy, or empty.
    virtual TaudioTagPtr GetCurrentTag() const = 0;
    // Plays this track; an empty pointer means nothing to play.
    virtual void PlayTag(const TaudioTagPtr& aTag) = 0;
    virtual uint32_t GetPosition() const = 0;
    virtual void SetPosition(uint32_t ms) = 0;
    virtual uint8_t GetVolume() const = 0;
    // Engines pass the value on first, then call this base, which reports the change.
    virtual void SetVolume(uint8_t volume);
    // Muting keeps the volume it had and sets 0; unmuting restores the kept volume.
    virtual void SetMute(bool on);
    virtual bool GetMute() const { return Fmute; }

    // Each fires the sink's event of that name (with this player as sender) when the
    // sink and the handler are there.
    virtual void DoFileNotFound(const TaudioTagPtr& aTag);
    // Empties aTag first, so no sink or no handler gives no track.
    virtual void DoGetNextTagger(TaudioTagPtr& aTag);
    virtual void DoInitialise();
    virtual void DoPlaybackFinished(const TaudioTagPtr& aTag);
    virtual void DoPlaybackStart(const TaudioTagPtr& aTag);
    virtual void DoStateChange(TmediaPlayState state);
    virtual void DoTimeChange(uint32_t msPos, uint32_t msLength);
    virtual void DoUninitialise();
    virtual void DoVolumeChange(uint8_t volume);

    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void PlayNext() = 0;
    // Plays an address that is no library track (an internet-radio station).
    virtual void PlayURL(const std::string& address) = 0;
    // The engine's own settings dialog.
    virtual void ShowConfig() = 0;
    // The title of the internet stream playing, as the engine hears it; an engine that
    // plays no streams never raises it.
    TstreamTitleEvent OnStreamTitleChange;

    // "Volume" (0 or missing at volume 0 gives 128), then the video output's settings.
    virtual void LoadSettings(const TiniFile& ini, const std::string& section);
    // "Volume" (the volume from before a mute while muted), then the video output's.
    virtual void SaveSettings(TiniFile& ini, const std::string& section) const;
    virtual void Initialise(int64_t applicationWindow);
    virtual void Uninitialise();
    // The jukebox's contents changed: an engine that prepares the next track asks again.
    virtual void RefreshNextTrack() = 0;
    // Fills `picture` with the current track's cover (through the track's own cover
    // loader) and returns its file name in `fileName`.
    virtual void LoadCoverImage(const std::string& coverFolder, bool flagA, std::string& fileName, bool flagB,
                                TcoverPicture& picture) = 0;

    // Attaches a video output (null detaches): it gets this player's own video sink,
    // and the player forgets it when it is destroyed.
    void SetVideoPlayer(TcustomVideoPlayer* videoPlayer);
    TcustomVideoPlayer* VideoPlayer() const { return FvideoPlayer; }
    // The outer sink the video events are relayed to; not owned, may be null.
    void SetVideoEvents(TvideoPlayerEvents* events) { FvideoEvents = events; }
    TvideoPlayerEvents* VideoEvents() const { return FvideoEvents; }
    // The sink this player hands to an attached video output.
    TvideoPlayerEvents& OwnVideoEvents() { return *FownVideoEvents; }

    const std::string& PlayingURL() const { return FplayingURL; }
    uint8_t CoverArtOption() const { return FcoverArtOption; }
    void SetCoverArtOption(uint8_t option) { FcoverArtOption = option; }

  protected:
    void SetPlayingURL(const std::string& url) { FplayingURL = url; }
    uint8_t SavedVolume() const { return FsavedVolume; }

  private:
    void DetachVideoPlayer();

    TcustomMediaPlayerEvents* Fevents = nullptr;
    TcustomVideoPlayer* FvideoPlayer = nullptr;
    TnotifyEventList::Key FvideoFreeKey = 0;
    TvideoPlayerEvents* FvideoEvents = nullptr;
    std::unique_ptr<TvideoPlayerEvents> FownVideoEvents;
    std::string FplayingURL;
    uint8_t FcoverArtOption = 0;
    uint8_t FsavedVolume = 0;
    bool Fmute = false;
};

// The player, or Exception(kNoPlayerAssigned) when there is none.
TcustomMediaPlayer& RequirePlayer(TcustomMediaPlayer* player);

}  // namespace tunecrest
