#pragma once
// The outside-player engine: an outside player process (our stand-in,
// tunecrest-outside-player, or any program answering the same window messages) is the
// sound engine. The engine keeps the outside player's list at exactly two entries (the
// track playing and the one that follows), watches it with a 250 ms poll and turns
// what it sees into player events. Video tracks can be played in-process by an
// attached video output while the outside player is stopped.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/jukebox/media_player.h"
#include "core/base/thread_timer.h"
#include "platform/window_messages.h"

namespace tunecrest {

class TcustomWinampPlayer : public TcustomMediaPlayer {
public:
    static constexpr const char* kDefaultWindowClass = "Winamp v1.x";
    static constexpr const char* kDummyEntry = "Dummy Entry";
    static constexpr const char* kUrlPlaylistName = "~tmp.m3u";
    static constexpr const char* kProgramName = "tunecrest-outside-player";
    static constexpr int kPollInterval = 250;
    static constexpr int kStateChangeDelay = 2000;
    static constexpr int kMissingFileLimit = 11;

    TcustomWinampPlayer();
    ~TcustomWinampPlayer() override;

    bool IsReady() const override;
    TmediaPlayState GetState() const override;
    int GetEngineKind() const override { return 2; }
    TaudioTagPtr GetCurrentTag() const override { return Fcurrent; }
    void PlayTag(const TaudioTagPtr& aTag) override;
    uint32_t GetPosition() const override;
    void SetPosition(uint32_t ms) override;
    uint8_t GetVolume() const override;
    void SetVolume(uint8_t volume) override;
    void Play() override;
    void Stop() override;
    void Pause() override;
    void PlayNext() override;
    void PlayURL(const std::string& address) override;
    void ShowConfig() override {}
    void DoPlaybackFinished(const TaudioTagPtr& aTag) override;
    void DoStateChange(TmediaPlayState state) override;
    void VideoPlaybackFinished() override;
    void VideoStateChange(TmediaPlayState state) override;
    void VideoTimeChange(uint32_t msPos, uint32_t msLength) override;
    // The base's settings, then "UseDShowVideo".
    void LoadSettings(const TiniFile& ini, const std::string& section) override;
    void SaveSettings(TiniFile& ini, const std::string& section) const override;
    // Polling off, stop and close the outside player, the URL playlist deleted.
    void Uninitialise() override;
    void RefreshNextTrack() override;
    void LoadCoverImage(const std::string& coverFolder, bool flagA, std::string& fileName, bool flagB,
                        TcoverPicture& picture) override;

    // The outside player's main window: the stored one while it answers, else the
    // first of class WindowClass. With `ask`, a missing player is started again
    // (after asking, unless AutoRelaunch is set).
    HWND FindWinampWindow(bool ask);
    // Sends to the outside player; 0 while polling is off, no player is found or the
    // player is unanswering. A message that times out marks the player unanswering:
    // nothing more is sent to it until the next poll (or a new window) finds it
    // answering again, so a hung player costs the screen at most one time-out a poll.
    LRESULT SendWinampMessage(uint32_t msg, WPARAM wParam, LPARAM lParam);
    bool Unanswering() const { return Funanswering; }
    // The launch class; WindowClass follows unless the name is empty or the default.
    void SetWindowClass(const std::string& name);
    void SetUseDShowVideo(bool on);
    bool UsesDShowVideo() const { return FownedVideoPlayer != nullptr; }
    // The outside player shows no window of its own here: nothing to raise.
    void ShowWinampWindow() {}
    // The folder that holds the outside player program.
    virtual std::string GetWinampFolder() const;
    std::string GetWinampExePath() const;

    // One tick of the poll (the timer calls it every 250 ms).
    void Poll();
    bool Polling() const { return Fpolling; }
    tmyjvthreadTimer& Timer() { return *Ftimer; }

    // Makes the video output that SetUseDShowVideo attaches; the in-process engine's
    // TVideoPlayer unless another is installed (tests install doubles).
    using TvideoPlayerFactory = std::function<std::unique_ptr<TcustomVideoPlayer>()>;
    static void SetVideoPlayerFactory(TvideoPlayerFactory factory);

    std::string WindowClass = kDefaultWindowClass;
    std::string ConfigName;
    // Where the URL playlist is written (the data folder); when empty, the per-user
    // runtime folder the window messages use (private to this user, unlike /tmp).
    std::string DataFolder;
    // How long one message to the outside player may take.
    int MessageTimeoutMs = kDefaultMessageTimeoutMs;
    // Named in the question asked when the outside player is missing.
    std::string ApplicationTitle = "Tunecrest Audio System";
    TNotifyEvent OnVideoPlayerChange;

    // Settings of the concrete engine, kept here because the lookup and launch use them.
    std::string WinampPath;
    int LaunchTimeout = 10;  // seconds
    bool AutoRelaunch = false;

protected:
    void LaunchWinamp();
    void SetPolling(bool on);
    std::string UrlPlaylistPath() const;

    bool FcountMissingFiles = false;
    bool Factive = false;  // between Initialise and Uninitialise
    int64_t FapplicationWindow = 0;

private:
    bool VideoViaDShow() const;
    uint32_t TrackLength();
    void AddToPlaylist(const std::optional<std::string>& name);
    bool FetchNextTrack();
    void QueueTrack(const TaudioTagPtr& aTag);
    void PromoteNext();
    bool PlayCurrentVideo(bool stopTimer);
    void StartPlayback();
    void Advance();
    void ReadStreamTitle();
    void PollSteps();
    bool ProbeAnswers();
    void MarkUnanswering();
    LRESULT WinampUser(WPARAM argument, LPARAM code) { return SendWinampMessage(WM_USER, argument, code); }
    void WinampCommand(WPARAM command) { SendWinampMessage(WM_COMMAND, command, 0); }

    bool Fpolling = false;
    std::unique_ptr<tmyjvthreadTimer> Ftimer;
    TmediaPlayState FlastState = psStopped;
    TaudioTagPtr Fnext;
    TaudioTagPtr Fcurrent;
    HWND Fwindow = 0;
    int Felapsed = 0;
    int FstateChangeDelay = 0;
    uint32_t FlastPosition = 0;
    bool FstoppedByUser = false;
    uint8_t FlastVolume = 0;
    bool FvolumePending = false;  // FlastVolume was set while polling was off
    int FmissingFiles = 0;
    bool Fbusy = false;
    bool Funanswering = false;
    bool FunansweringLogged = false;
    bool Flaunching = false;
    bool Fdeclined = false;
    std::string FlastTitle;
    std::string FlaunchClass;
    std::unique_ptr<TcustomVideoPlayer> FownedVideoPlayer;
};

class TwinampMediaPlayer : public TcustomWinampPlayer {
public:
    TwinampMediaPlayer();
    // Starts the outside player and switches polling on once its window is found.
    void Initialise(int64_t applicationWindow) override;
    // The base's, then "LaunchTimeout", "WinampPath" and "AutoRelaunch".
    void LoadSettings(const TiniFile& ini, const std::string& section) override;
    void SaveSettings(TiniFile& ini, const std::string& section) const override;
    // Shows the settings dialog that the interface installs.
    void ShowConfig() override;
    static void SetConfigDialog(std::function<void(TwinampMediaPlayer&)> dialog);
};

// The folder that holds the outside player program: beside this program, else the
// first folder of PATH that has it; empty when neither has.
std::string FindWinampFolder();

}  // namespace tunecrest
