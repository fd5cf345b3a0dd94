#include "core/jukebox/media_player.h"

#include <algorithm>

#include "core/base/exceptions.h"
#include "core/base/ini_file.h"

namespace tunecrest {

namespace {

constexpr const char* kVolumeKey = "Volume";
constexpr const char* kAutoFullScreenKey = "AutoFullScreen";
constexpr const char* kDoubleClickFullScreenKey = "DoubleClickFullScreen";
constexpr const char* kFullScreenMonitorKey = "FullScreenMonitor";
constexpr const char* kVideoSoundCardKey = "VideoSoundCard";
// The volume a player starts with when none (or silence) was stored.
constexpr uint8_t kDefaultVolume = 128;

template <typename Handler, typename... Args>
void Fire(const Handler& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

}  // namespace

// ---- TvideoPlayerEvents ----

void TvideoPlayerEvents::DoPlaybackFinished(TObject* sender) const {
    Fire(OnPlaybackFinished, sender);
}
void TvideoPlayerEvents::DoTimeChange(TObject* sender, uint32_t msPos, uint32_t msLength) const {
    Fire(OnTimeChange, sender, msPos, msLength);
}
void TvideoPlayerEvents::DoPlaybackStart(TObject* sender) const {
    Fire(OnPlaybackStart, sender);
}
void TvideoPlayerEvents::DoInitialise(TObject* sender) const {
    Fire(OnInitialise, sender);
}
void TvideoPlayerEvents::DoUninitialise(TObject* sender) const {
    Fire(OnUninitialise, sender);
}
void TvideoPlayerEvents::DoVolumeChange(TObject* sender, uint8_t volume) const {
    Fire(OnVolumeChange, sender, volume);
}
void TvideoPlayerEvents::DoStateChange(TObject* sender, TmediaPlayState state) const {
    Fire(OnStateChange, sender, state);
}
void TvideoPlayerEvents::DoFullScreenDisable(TObject* sender) const {
    Fire(OnFullScreenDisable, sender);
}
void TvideoPlayerEvents::DoFullScreenEnable(TObject* sender) const {
    Fire(OnFullScreenEnable, sender);
}

// ---- TcustomVideoPlayer ----

TcustomVideoPlayer::~TcustomVideoPlayer() {
    FfreeNotices.Notify(this);
}

void TcustomVideoPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    SetAutoFullScreen(ini.ReadBool(section, kAutoFullScreenKey, false));
    DoubleClickFullScreen = ini.ReadBool(section, kDoubleClickFullScreenKey, true);
    SetMonitor(ini.ReadInteger(section, kFullScreenMonitorKey, 0));
    SetAudioDevice(ini.ReadString(section, kVideoSoundCardKey, kDefaultAudioDevice));
}

void TcustomVideoPlayer::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteBool(section, kAutoFullScreenKey, GetAutoFullScreen());
    ini.WriteBool(section, kDoubleClickFullScreenKey, DoubleClickFullScreen);
    ini.WriteInteger(section, kFullScreenMonitorKey, GetMonitor());
    ini.WriteString(section, kVideoSoundCardKey, FaudioDevice);
}

// ---- TcustomMediaPlayer ----

TcustomMediaPlayer::TcustomMediaPlayer() : FownVideoEvents(std::make_unique<TvideoPlayerEvents>()) {
    auto& ev = *FownVideoEvents;
    ev.OnInitialise = [this](TObject*) { VideoInitialise(); };
    ev.OnPlaybackFinished = [this](TObject*) { VideoPlaybackFinished(); };
    ev.OnPlaybackStart = [this](TObject*) { VideoPlaybackStart(); };
    ev.OnStateChange = [this](TObject*, TmediaPlayState state) { VideoStateChange(state); };
    ev.OnTimeChange = [this](TObject*, uint32_t pos, uint32_t len) { VideoTimeChange(pos, len); };
    ev.OnVolumeChange = [this](TObject*, uint8_t volume) { VideoVolumeChange(volume); };
    ev.OnUninitialise = [this](TObject*) { VideoUninitialise(); };
    ev.OnFullScreenDisable = [this](TObject*) { VideoFullScreenDisable(); };
    ev.OnFullScreenEnable = [this](TObject*) { VideoFullScreenEnable(); };
}

TcustomMediaPlayer::~TcustomMediaPlayer() {
    DetachVideoPlayer();
}

void TcustomMediaPlayer::DetachVideoPlayer() {
    if (!FvideoPlayer) return;
    FvideoPlayer->RemoveFreeNotification(FvideoFreeKey);
    // The output must not keep calling into a sink that is about to go.
    if (FvideoPlayer->Events() == FownVideoEvents.get()) FvideoPlayer->SetEvents(nullptr);
    FvideoPlayer = nullptr;
    FvideoFreeKey = 0;
}

void TcustomMediaPlayer::SetVideoPlayer(TcustomVideoPlayer* videoPlayer) {
    if (videoPlayer == FvideoPlayer) return;
    DetachVideoPlayer();
    FvideoPlayer = videoPlayer;
    if (!FvideoPlayer) return;
    FvideoPlayer->SetEvents(FownVideoEvents.get());
    FvideoFreeKey = FvideoPlayer->AddFreeNotification([this](TObject*) {
        FvideoPlayer = nullptr;
        FvideoFreeKey = 0;
    });
}

void TcustomMediaPlayer::VideoInitialise() {
    if (FvideoEvents) FvideoEvents->DoInitialise(this);
}
void TcustomMediaPlayer::VideoPlaybackFinished() {
    if (FvideoEvents) FvideoEvents->DoPlaybackFinished(this);
}
void TcustomMediaPlayer::VideoPlaybackStart() {
    if (FvideoEvents) FvideoEvents->DoPlaybackStart(this);
}
void TcustomMediaPlayer::VideoStateChange(TmediaPlayState state) {
    if (FvideoEvents) FvideoEvents->DoStateChange(this, state);
}
void TcustomMediaPlayer::VideoTimeChange(uint32_t msPos, uint32_t msLength) {
    if (FvideoEvents) FvideoEvents->DoTimeChange(this, msPos, msLength);
}
void TcustomMediaPlayer::VideoVolumeChange(uint8_t volume) {
    if (FvideoEvents) FvideoEvents->DoVolumeChange(this, volume);
}
void TcustomMediaPlayer::VideoUninitialise() {
    if (FvideoEvents) FvideoEvents->DoUninitialise(this);
}
void TcustomMediaPlayer::VideoFullScreenDisable() {
    if (FvideoEvents) FvideoEvents->DoFullScreenDisable(this);
}
void TcustomMediaPlayer::VideoFullScreenEnable() {
    if (FvideoEvents) FvideoEvents->DoFullScreenEnable(this);
}

void TcustomMediaPlayer::SetVolume(uint8_t volume) {
    DoVolumeChange(volume);
}

void TcustomMediaPlayer::SetMute(bool on) {
    if (on == Fmute) return;
    Fmute = on;
    if (on) {
        FsavedVolume = GetVolume();
        SetVolume(0);
    } else {
        SetVolume(FsavedVolume);
    }
}

void TcustomMediaPlayer::DoFileNotFound(const TaudioTagPtr& aTag) {
    if (Fevents) Fire(Fevents->OnFileNotFound, this, aTag);
}
void TcustomMediaPlayer::DoGetNextTagger(TaudioTagPtr& aTag) {
    aTag.reset();
    if (Fevents) Fire(Fevents->OnGetNextTagger, this, aTag);
}
void TcustomMediaPlayer::DoInitialise() {
    if (Fevents) Fire(Fevents->OnInitialise, this);
}
void TcustomMediaPlayer::DoPlaybackFinished(const TaudioTagPtr& aTag) {
    if (Fevents) Fire(Fevents->OnPlaybackFinished, this, aTag);
}
void TcustomMediaPlayer::DoPlaybackStart(const TaudioTagPtr& aTag) {
    if (Fevents) Fire(Fevents->OnPlaybackStart, this, aTag);
}
void TcustomMediaPlayer::DoStateChange(TmediaPlayState state) {
    if (Fevents) Fire(Fevents->OnStateChange, this, state);
}
void TcustomMediaPlayer::DoTimeChange(uint32_t msPos, uint32_t msLength) {
    if (Fevents) Fire(Fevents->OnTimeChange, this, msPos, msLength);
}
void TcustomMediaPlayer::DoUninitialise() {
    if (Fevents) Fire(Fevents->OnUninitialise, this);
}
void TcustomMediaPlayer::DoVolumeChange(uint8_t volume) {
    if (Fevents) Fire(Fevents->OnVolumeChange, this, volume);
}

void TcustomMediaPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    int volume = ini.ReadInteger(section, kVolumeKey, GetVolume());
    // A stored silence (or a broken value) would start the jukebox inaudible.
    if (volume <= 0) volume = kDefaultVolume;
    SetVolume(uint8_t(std::min(volume, 255)));
    if (FvideoPlayer) FvideoPlayer->LoadSettings(ini, section);
}

void TcustomMediaPlayer::SaveSettings(TiniFile& ini, const std::string& section) const {
    // While muted the engine's volume is 0; the volume to keep is the one before the mute.
    ini.WriteInteger(section, kVolumeKey, Fmute ? FsavedVolume : GetVolume());
    if (FvideoPlayer) FvideoPlayer->SaveSettings(ini, section);
}

void TcustomMediaPlayer::Initialise(int64_t) {
    DoInitialise();
}
void TcustomMediaPlayer::Uninitialise() {
    DoUninitialise();
}

TcustomMediaPlayer& RequirePlayer(TcustomMediaPlayer* player) {
    if (!player) throw Exception(kNoPlayerAssigned);
    return *player;
}

}  // namespace tunecrest
