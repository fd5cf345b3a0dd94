#include "playback/outside_player_engine.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "platform/launch_program.h"
#include "platform/outside_player_messages.h"
#include "playback/video_player.h"

namespace tunecrest {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMediaAudio = 1;
constexpr uint32_t kMediaVideo = 2;
constexpr uint32_t kMediaStream = 4;

std::mutex gFactoryMutex;
TcustomWinampPlayer::TvideoPlayerFactory gVideoPlayerFactory;
std::function<void(TwinampMediaPlayer&)> gConfigDialog;

bool HoldsProgram(const std::string& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(folder) / TcustomWinampPlayer::kProgramName, ec);
}

bool FileExists(const std::string& name) {
    std::error_code ec;
    return fs::exists(name, ec);
}

bool IsVideo(const TaudioTagPtr& tag) {
    return tag && tag->MediaType() == kMediaVideo;
}

}  // namespace

std::string FindWinampFolder() {
    const std::string beside = ProgramFolder();
    if (HoldsProgram(beside)) return beside;
    return FindOnPath(TcustomWinampPlayer::kProgramName);
}

// ---- construction ----

TcustomWinampPlayer::TcustomWinampPlayer() : Ftimer(std::make_unique<tmyjvthreadTimer>()) {
    Ftimer->SetNoSynchronize(true);
    Ftimer->SetEnabled(false);
    Ftimer->SetInterval(kPollInterval);
    Ftimer->SetOnTimer([this](TObject*) { Poll(); });
}

TcustomWinampPlayer::~TcustomWinampPlayer() {
    if (Factive) Uninitialise();
    Ftimer.reset();
    SetVideoPlayer(nullptr);
}

void TcustomWinampPlayer::SetVideoPlayerFactory(TvideoPlayerFactory factory) {
    std::lock_guard lock(gFactoryMutex);
    gVideoPlayerFactory = std::move(factory);
}

// ---- the outside player's window ----

void TcustomWinampPlayer::SetPolling(bool on) {
    Fpolling = on;
    Ftimer->SetEnabled(on);
    // A volume set while nothing could be sent (the stored one, loaded before the player
    // was started) goes out now: the outside player starts at a volume of its own, which
    // the poll would otherwise take over in place of the stored one.
    if (on && FvolumePending) {
        FvolumePending = false;
        WinampUser(FlastVolume, kPlayerVolume);
    }
}

HWND TcustomWinampPlayer::FindWinampWindow(bool ask) {
    if (Fwindow != 0 && IsWindow(Fwindow)) return Fwindow;
    Fwindow = FindWindow(WindowClass, std::nullopt);
    if (Fwindow != 0) Funanswering = false;  // a new window: nothing is known against it
    if (Fwindow != 0 || !ask || Fdeclined || Flaunching) return Fwindow;
    if (!AutoRelaunch) {
        const std::string text = "Winamp cannot be located, it might not be running.\r" + ApplicationTitle +
                                 " will not be functional without Winamp running.\r"
                                 "Would you like to try to run Winamp?";
        if (!Prompt().AskYesNo(text, "Cannot find Winamp", true)) {
            Fdeclined = true;
            return 0;
        }
    }
    Fdeclined = false;
    LaunchWinamp();
    // Found after the question or a relaunch: watch it again.
    if (Fwindow != 0 && Factive) SetPolling(true);
    if (AutoRelaunch && Fwindow != 0) {
        for (int i = 0; i < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        FetchNextTrack();
        Play();
    }
    return Fwindow;
}

LRESULT TcustomWinampPlayer::SendWinampMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (!Fpolling || Funanswering) return 0;
    const HWND window = FindWinampWindow(true);
    if (window == 0) return 0;
    LRESULT result = 0;
    if (SendMessageTimeout(window, msg, wParam, lParam, MessageTimeoutMs, result)) {
        FunansweringLogged = false;
        return result;
    }
    MarkUnanswering();
    return 0;
}

void TcustomWinampPlayer::MarkUnanswering() {
    Funanswering = true;
    if (FunansweringLogged) return;
    FunansweringLogged = true;
    LogError("The outside player does not answer; it is asked again at the next poll.");
}

void TcustomWinampPlayer::SetWindowClass(const std::string& name) {
    FlaunchClass = name;
    if (!name.empty() && !SameText(name, kDefaultWindowClass)) {
        WindowClass = name;
    } else {
        WindowClass = kDefaultWindowClass;
        FlaunchClass.clear();
    }
}

std::string TcustomWinampPlayer::GetWinampFolder() const {
    return HoldsProgram(WinampPath) ? WinampPath : FindWinampFolder();
}

std::string TcustomWinampPlayer::GetWinampExePath() const {
    const std::string folder = GetWinampFolder();
    return folder.empty() ? std::string() : (fs::path(folder) / kProgramName).string();
}

void TcustomWinampPlayer::LaunchWinamp() {
    // A player that is already running is not started twice.
    if (FindWinampWindow(false) != 0) return;
    std::vector<std::string> args;
    if (!FlaunchClass.empty()) {
        args = {"/NoCC", "/class=" + FlaunchClass};
        if (!ConfigName.empty()) args.push_back("/config=" + ConfigName);
    }
    const std::string program = GetWinampExePath();
    std::string error;
    if (program.empty() || LaunchProgram(program, args, GetWinampFolder(), &error) == 0) {
        // Nothing was started: waiting for its window would only freeze the screen.
        LogError("Cannot start the outside player " + (program.empty() ? std::string(kProgramName) : error));
        return;
    }
    const int timeout = LaunchTimeout * 1000 < 1000 ? 7000 : LaunchTimeout * 1000;
    Flaunching = true;
    int elapsed = 0;
    do {
        if (FindWinampWindow(false) != 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        elapsed += 10;
    } while (elapsed <= timeout);
    Flaunching = false;
}

bool TcustomWinampPlayer::IsReady() const {
    return const_cast<TcustomWinampPlayer*>(this)->FindWinampWindow(false) != 0;
}

// ---- state, position, volume ----

bool TcustomWinampPlayer::VideoViaDShow() const {
    return VideoPlayer() && IsVideo(Fcurrent);
}

TmediaPlayState TcustomWinampPlayer::GetState() const {
    if (VideoViaDShow()) return VideoPlayer()->GetState();
    switch (const_cast<TcustomWinampPlayer*>(this)->WinampUser(0, kPlayerGetState)) {
        case kPlayerStatePlaying:
            return psPlaying;
        case kPlayerStatePaused:
            return psPaused;
        default:
            return psStopped;
    }
}

uint32_t TcustomWinampPlayer::GetPosition() const {
    if (GetState() == psStopped) return 0;
    if (VideoViaDShow()) return VideoPlayer()->GetPosition();
    const LRESULT ms = const_cast<TcustomWinampPlayer*>(this)->WinampUser(0, kPlayerGetTime);
    return ms > 0 ? uint32_t(ms) : 0;
}

uint32_t TcustomWinampPlayer::TrackLength() {
    if (VideoViaDShow()) return VideoPlayer()->GetDuration();
    if (!Fcurrent) return 0;
    const LRESULT seconds = WinampUser(1, kPlayerGetTime);
    return seconds > 0 ? uint32_t(seconds) * 1000 : 0;
}

void TcustomWinampPlayer::SetPosition(uint32_t ms) {
    if (VideoPlayer()) VideoPlayer()->SetPosition(ms);
    WinampUser(ms, kPlayerSeek);
}

uint8_t TcustomWinampPlayer::GetVolume() const {
    if (VideoViaDShow()) return VideoPlayer()->GetVolume();
    // Nothing is asked while polling is off (before Initialise, after Uninitialise, when
    // the user declined to start the player): the last volume stands, so the settings
    // written at close keep it instead of the 0 an unanswered message gives.
    if (!Fpolling) return FlastVolume;
    const LRESULT volume =
        const_cast<TcustomWinampPlayer*>(this)->WinampUser(kPlayerVolumeQuery, kPlayerVolume);
    return uint8_t(std::clamp<LRESULT>(volume, 0, 255));
}

void TcustomWinampPlayer::SetVolume(uint8_t volume) {
    FlastVolume = volume;
    FvolumePending = !Fpolling;
    WinampUser(volume, kPlayerVolume);
    if (VideoPlayer()) VideoPlayer()->SetVolume(volume);
    TcustomMediaPlayer::SetVolume(volume);
}

// ---- the two-entry list ----

void TcustomWinampPlayer::AddToPlaylist(const std::optional<std::string>& name) {
    WinampUser(0, kPlayerClearList);
    const HWND window = Fpolling && !Funanswering ? FindWinampWindow(true) : 0;
    // Each name goes whole, however long, as one zero-terminated block.
    auto add = [&](const std::string& entry) {
        if (window == 0 || Funanswering) return;
        const std::string block = entry + std::string(1, '\0');
        if (block.size() > kMaxMessageFrame / 2) {
            LogError("A file name too long for the outside player was left out: " + entry.substr(0, 200));
            return;
        }
        LRESULT ignored = 0;
        if (!SendCopyDataTimeout(window, kPlayerCopyDataAddFile, block, MessageTimeoutMs, ignored))
            MarkUnanswering();
    };
    add(Fcurrent && !VideoViaDShow() ? Fcurrent->Filename().str() : std::string(kDummyEntry));
    if (name) add(*name);
    WinampUser(0, kPlayerSetListPosition);
}

bool TcustomWinampPlayer::FetchNextTrack() {
    TaudioTagPtr tag;
    DoGetNextTagger(tag);
    if (tag) {
        QueueTrack(tag);
        return true;
    }
    Fnext.reset();
    AddToPlaylist(std::nullopt);
    return false;
}

void TcustomWinampPlayer::QueueTrack(const TaudioTagPtr& aTag) {
    if (!aTag || !Ftimer) return;
    try {
        if (aTag != Fnext) Fnext = aTag->Clone();
        const std::string name = Fnext->Filename().str();
        if (name.empty() || name.rfind("http", 0) == 0 || FileExists(name)) {
            FmissingFiles = 0;  // only missing files in a row count
            AddToPlaylist(VideoPlayer() && IsVideo(Fnext) ? std::nullopt : std::optional<std::string>(name));
            return;
        }
        // A missing file: the jukebox hears of it and the next track is asked for.
        const TaudioTagPtr missing = Fnext;
        DoFileNotFound(missing);
        if (!FcountMissingFiles) {
            FetchNextTrack();
            return;
        }
        if (++FmissingFiles >= kMissingFileLimit) {
            FmissingFiles = 0;
            Prompt().ShowMessage("The file " + name +
                                     " could not be located.\rMake sure that all removable/network devices "
                                     "where your files are "
                                     "stored are connected.  Rescan your Music Folders if you have moved or "
                                     "removed files from "
                                     "your search paths.",
                                 "Could not locate file");
            return;
        }
        FetchNextTrack();
    } catch (const std::exception& e) {
        LogError(std::string("Queueing a track failed: ") + e.what());
    }
}

void TcustomWinampPlayer::PromoteNext() {
    Fcurrent = std::move(Fnext);
    Fnext.reset();
    DoPlaybackStart(Fcurrent);
}

bool TcustomWinampPlayer::PlayCurrentVideo(bool stopTimer) {
    if (IsVideo(Fcurrent) && VideoPlayer()) {
        if (stopTimer) Ftimer->SetEnabled(false);
        VideoPlayer()->OpenAndPlay(Fcurrent->Filename().str());
        VideoPlayer()->SetVolume(FlastVolume);
        WinampUser(0, kPlayerSetListPosition);
        WinampCommand(kPlayerCommandStop);
        FetchNextTrack();
        return true;
    }
    Ftimer->SetEnabled(Fpolling);
    return false;
}

void TcustomWinampPlayer::StartPlayback() {
    if (GetState() == psStopped) {
        Play();
    } else if (IsVideo(Fnext) && VideoPlayer()) {
        PromoteNext();
        PlayCurrentVideo(true);
    } else if (WinampUser(0, kPlayerGetListLength) > 1) {
        const bool fromVideo = VideoViaDShow();
        if (fromVideo) VideoPlayer()->Stop();
        WinampCommand(fromVideo && Fnext && Fnext->MediaType() == kMediaAudio ? kPlayerCommandPlay
                                                                              : kPlayerCommandNext);
        Ftimer->SetEnabled(Fpolling);
    }
    SetPlayingURL("");
}

// ---- play control ----

void TcustomWinampPlayer::PlayTag(const TaudioTagPtr& aTag) {
    QueueTrack(aTag);
    StartPlayback();
}

void TcustomWinampPlayer::Play() {
    const TmediaPlayState state = GetState();
    FstoppedByUser = false;
    if (state == psPaused) {
        if (VideoViaDShow())
            VideoPlayer()->Pause();
        else
            WinampCommand(kPlayerCommandPlay);
    } else if (state == psStopped) {
        SetPlayingURL("");
        if (!Fnext) FetchNextTrack();
        if (IsVideo(Fnext) && VideoPlayer()) {
            PromoteNext();
            PlayCurrentVideo(true);
        } else if (WinampUser(0, kPlayerGetListLength) > 1) {
            WinampCommand(kPlayerCommandNext);
            WinampCommand(kPlayerCommandPlay);
            Ftimer->SetEnabled(Fpolling);
        }
    }
}

void TcustomWinampPlayer::Stop() {
    FstoppedByUser = true;
    if (VideoPlayer()) VideoPlayer()->Stop();
    WinampCommand(kPlayerCommandStop);
    SetPlayingURL("");
}

void TcustomWinampPlayer::Pause() {
    if (VideoViaDShow())
        VideoPlayer()->Pause();
    else
        WinampCommand(kPlayerCommandPause);
}

void TcustomWinampPlayer::PlayNext() {
    if (GetState() == psStopped)
        Play();
    else
        StartPlayback();
}

std::string TcustomWinampPlayer::UrlPlaylistPath() const {
    // Not /tmp: a file of that name left there by another user would make the write
    // fail and the radio stay silent. The message folder is this user's own.
    const fs::path folder = DataFolder.empty() ? fs::path(WindowMessageFolder()) : fs::path(DataFolder);
    return (folder / kUrlPlaylistName).string();
}

void TcustomWinampPlayer::PlayURL(const std::string& address) {
    Fcurrent = std::make_shared<TaudioTag>();
    Fcurrent->SetMediaType(kMediaStream);
    Fcurrent->SetFilename(address);
    if (FindWinampWindow(true) == 0) return;
    std::string list = address + "\n";
    if (Fnext) list += Fnext->Filename() + "\n";
    const std::string path = UrlPlaylistPath();
    std::string error;
    if (!SafeWriteFile(path, list, &error)) {
        LogError("Cannot write the stream playlist: " + error);
        return;
    }
    std::vector<std::string> args;
    if (!WindowClass.empty()) args.push_back("/class=" + WindowClass);
    args.push_back(path);
    if (LaunchProgram(GetWinampExePath(), args, GetWinampFolder(), &error) == 0) {
        LogError("Cannot start the outside player " + error);
        return;
    }
    SetPlayingURL(address);
    DoPlaybackStart(nullptr);
    if (Fnext) QueueTrack(Fnext);
}

void TcustomWinampPlayer::RefreshNextTrack() {
    FetchNextTrack();
}

void TcustomWinampPlayer::DoPlaybackFinished(const TaudioTagPtr& aTag) {
    PlayNext();
    TcustomMediaPlayer::DoPlaybackFinished(aTag);
}

void TcustomWinampPlayer::DoStateChange(TmediaPlayState state) {
    TcustomMediaPlayer::DoStateChange(state);
    if (VideoViaDShow() && VideoPlayer()->GetState() == psPlaying) Ftimer->SetEnabled(false);
    if (state == psStopped) Ftimer->SetEnabled(Fpolling);
}

void TcustomWinampPlayer::VideoPlaybackFinished() {
    PlayNext();
    TcustomMediaPlayer::VideoPlaybackFinished();
}

void TcustomWinampPlayer::VideoStateChange(TmediaPlayState state) {
    if (VideoViaDShow()) {
        DoStateChange(state);
        FlastState = state;
    }
    TcustomMediaPlayer::VideoStateChange(state);
}

void TcustomWinampPlayer::VideoTimeChange(uint32_t msPos, uint32_t msLength) {
    if (VideoViaDShow()) DoTimeChange(msPos, msLength);
    TcustomMediaPlayer::VideoTimeChange(msPos, msLength);
}

// ---- the poll ----

void TcustomWinampPlayer::Advance() {
    FstoppedByUser = false;
    PromoteNext();
    // The track that ended is done with: its position must not trigger a second advance.
    // The state-change delay goes on counting: a player that moved from one entry to the
    // next has been playing all along, and that time counts towards reporting it.
    FlastPosition = 0;
    if (!PlayCurrentVideo(false)) {
        WinampUser(0, kPlayerSetListPosition);
        FetchNextTrack();
    }
}

void TcustomWinampPlayer::ReadStreamTitle() {
    const HWND window = FindWinampWindow(true);
    std::string title = window == 0 ? std::string() : GetWindowText(window);
    if (title.size() > 4094) title.resize(4094);
    if (title == FlastTitle) return;
    FlastTitle = title;
    const size_t dot = title.find('.');
    std::string text = dot == std::string::npos ? title : title.substr(dot + 1);
    const std::string suffix = kOutsidePlayerTitleSuffix;
    if (text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix))
        text.resize(text.size() - suffix.size());
    if (Fcurrent) Fcurrent->SetTitle(text);
    if (OnStreamTitleChange) OnStreamTitleChange(this, text);
}

void TcustomWinampPlayer::Poll() {
    if (Fbusy) return;
    if (VideoViaDShow() && VideoPlayer()->GetState() != psStopped) return;
    Fbusy = true;
    try {
        if (!Funanswering || ProbeAnswers()) PollSteps();
    } catch (const std::exception& e) {
        LogError(std::string("Outside player poll failed: ") + e.what());
    } catch (...) {
    }
    Fbusy = false;
}

// An unanswering player is tried once by every poll, on the window it had, without the
// lookup (whose own calls could wait again). True when the poll may go on: the player
// answers again, or its window is gone and the lookup is to find or start a new one.
bool TcustomWinampPlayer::ProbeAnswers() {
    const auto started = std::chrono::steady_clock::now();
    LRESULT ignored = 0;
    if (SendMessageTimeout(Fwindow, WM_USER, 0, kPlayerSetRepeat, MessageTimeoutMs, ignored)) {
        Funanswering = false;
        FunansweringLogged = false;
        return true;
    }
    // Waited the whole time-out: still hung. A quick refusal is checked against the window.
    const auto waited = std::chrono::steady_clock::now() - started;
    if (waited >= std::chrono::milliseconds(MessageTimeoutMs) || IsWindow(Fwindow)) return false;
    Funanswering = false;
    return true;
}

// The steps of one poll. After a time-out the messages that follow would all answer 0
// (read as "stopped", which could even advance the list): the poll stops there instead.
void TcustomWinampPlayer::PollSteps() {
    const int interval = Ftimer->Interval();
    Felapsed += interval;
    WinampUser(0, kPlayerSetRepeat);
    if (Funanswering) return;
    WinampUser(0, kPlayerSetShuffle);

    const TmediaPlayState state = GetState();
    const LRESULT listPosition = WinampUser(0, kPlayerGetListPosition);
    if (Funanswering) return;
    if (listPosition != 0 ||
        (FlastPosition > 0 && FlastState == psPlaying && state == psStopped && !FstoppedByUser))
        Advance();

    if (!Funanswering && !PlayingURL().empty()) ReadStreamTitle();

    if (Fcurrent && !Funanswering) {
        const uint32_t seconds = TrackLength() / 1000;
        if (!Funanswering && seconds != Fcurrent->Duration()) Fcurrent->SetDuration(seconds);
    }

    if (Felapsed % 500 == 0 && !Funanswering) {
        const uint32_t position = GetPosition();
        if (!Funanswering && position != FlastPosition) {
            const uint32_t length = TrackLength();
            if (Funanswering) return;
            DoTimeChange(position, length);
            // Found stopped here although this poll's first look found it playing: the
            // track ended in between. Its last position is kept, so that the next poll
            // still sees a track that played and ended, and moves on.
            if (position > 0 || state != psPlaying) FlastPosition = position;
        }
    }

    const TmediaPlayState now = GetState();
    if (Funanswering) return;
    if (now != FlastState) {
        // Reported only once it has lasted over the delay without a break.
        FstateChangeDelay += interval;
        if (FstateChangeDelay > kStateChangeDelay) {
            FstateChangeDelay = 0;
            if (!VideoViaDShow()) DoStateChange(now);
            FlastState = now;
        }
    } else {
        FstateChangeDelay = 0;
    }

    const uint8_t volume = GetVolume();
    if (!Funanswering && volume != FlastVolume) {
        FlastVolume = volume;
        DoVolumeChange(volume);
    }

    if (Felapsed % 10000 == 0) Felapsed = 0;
}

// ---- settings and lifetime ----

void TcustomWinampPlayer::SetUseDShowVideo(bool on) {
    if (on) {
        if (FownedVideoPlayer) return;
        TvideoPlayerFactory factory;
        {
            std::lock_guard lock(gFactoryMutex);
            factory = gVideoPlayerFactory;
        }
        std::unique_ptr<TcustomVideoPlayer> video = factory ? factory() : std::make_unique<TVideoPlayer>();
        if (video && video->IsReady()) {
            FownedVideoPlayer = std::move(video);
            SetVideoPlayer(FownedVideoPlayer.get());
            if (OnVideoPlayerChange) OnVideoPlayerChange(this);
        } else {
            Prompt().ShowMessage(
                "DirectShow could not be initialised.\r\n\r\nUsing Winamp for video playback.",
                "DirectShow Error");
        }
    } else if (FownedVideoPlayer) {
        SetVideoPlayer(nullptr);
        FownedVideoPlayer->Uninitialise();
        FownedVideoPlayer.reset();
    }
}

void TcustomWinampPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomMediaPlayer::LoadSettings(ini, section);
    const bool hadVideo = VideoPlayer() != nullptr;
    SetUseDShowVideo(ini.ReadBool(section, "UseDShowVideo", false));
    // A video output made just now missed the video settings the base has read: it
    // takes them here, so that they are not reset to their defaults at every start.
    if (!hadVideo && VideoPlayer()) VideoPlayer()->LoadSettings(ini, section);
}

void TcustomWinampPlayer::SaveSettings(TiniFile& ini, const std::string& section) const {
    TcustomMediaPlayer::SaveSettings(ini, section);
    ini.WriteBool(section, "UseDShowVideo", UsesDShowVideo());
}

void TcustomWinampPlayer::Uninitialise() {
    // Stopped and closed while the messages still go out, so it does not play on. Each
    // is tried even after an earlier time-out: a player left running would go on
    // playing after the jukebox has closed.
    Funanswering = false;
    Stop();
    Funanswering = false;
    WinampCommand(kPlayerCommandClose);
    SetPolling(false);
    Factive = false;
    Fwindow = 0;
    std::error_code ec;
    fs::remove(UrlPlaylistPath(), ec);
    TcustomMediaPlayer::Uninitialise();
}

void TcustomWinampPlayer::LoadCoverImage(const std::string& coverFolder, bool flagA, std::string& fileName,
                                         bool flagB, TcoverPicture& picture) {
    if (!Fcurrent) {
        fileName.clear();
        picture.Clear();
        return;
    }
    Fcurrent->LoadCoverImage(picture, flagA, CoverArtOption() != 0, coverFolder, flagB);
    fileName = picture.FileName;
}

// ---- the concrete engine ----

TwinampMediaPlayer::TwinampMediaPlayer() {
    FcountMissingFiles = true;
    // Its ticks run on the main thread, where the model lives.
    Timer().SetNoSynchronize(false);
}

void TwinampMediaPlayer::Initialise(int64_t applicationWindow) {
    Factive = true;
    LaunchWinamp();
    if (FindWinampWindow(false) != 0)
        SetPolling(true);
    else
        FindWinampWindow(true);
    FapplicationWindow = applicationWindow;
    TcustomMediaPlayer::Initialise(applicationWindow);
}

void TwinampMediaPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomWinampPlayer::LoadSettings(ini, section);
    LaunchTimeout = ini.ReadInteger(section, "LaunchTimeout", 10);
    if (LaunchTimeout < 1) LaunchTimeout = 10;
    WinampPath = ini.ReadString(section, "WinampPath", "");
    AutoRelaunch = ini.ReadBool(section, "AutoRelaunch", false);
}

void TwinampMediaPlayer::SaveSettings(TiniFile& ini, const std::string& section) const {
    TcustomWinampPlayer::SaveSettings(ini, section);
    ini.WriteInteger(section, "LaunchTimeout", LaunchTimeout);
    ini.WriteString(section, "WinampPath", GetWinampFolder());
    ini.WriteBool(section, "AutoRelaunch", AutoRelaunch);
}

void TwinampMediaPlayer::ShowConfig() {
    std::function<void(TwinampMediaPlayer&)> dialog;
    {
        std::lock_guard lock(gFactoryMutex);
        dialog = gConfigDialog;
    }
    if (dialog) dialog(*this);
}

void TwinampMediaPlayer::SetConfigDialog(std::function<void(TwinampMediaPlayer&)> dialog) {
    std::lock_guard lock(gFactoryMutex);
    gConfigDialog = std::move(dialog);
}

}  // namespace tunecrest
