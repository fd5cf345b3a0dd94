#include "playback/dshow_player.h"

#include <cmath>

#include "core/tags/audio_tag.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
TdshowPlayer::TconfigDialog& ConfigDialog() {
    static TdshowPlayer::TconfigDialog dialog;
    return dialog;
}

constexpr uint32_t kMediaStream = 4;

// The automation shifter's server, played by the engine's pitch-and-tempo stage.
class TenginePitchApi : public TchronoApi {
public:
    explicit TenginePitchApi(TdshowPlayer& player) : Fplayer(player) {}
    double CentsToRate(double cents) override { return std::pow(2.0, cents / 1200.0); }
    void SetPitch(double rate) override { Fplayer.SetPitchRatio(rate); }
    void SetTempo(double ratio) override { Fplayer.SetTempoRatio(ratio); }

private:
    TdshowPlayer& Fplayer;
};
}  // namespace

void TdshowPlayer::SetConfigDialog(TconfigDialog dialog) { ConfigDialog() = std::move(dialog); }

TdshowPlayer::TdshowPlayer() : Fself(std::make_shared<TdshowPlayer*>(this)) {
    FvideoPlayers.push_back(std::make_unique<TVideoPlayer>());
    HookGraph(*FvideoPlayers.front());
    SetVideoPlayer(FvideoPlayers.front().get());
}

TdshowPlayer::~TdshowPlayer() {
    *Fself = nullptr;
    SetVideoPlayer(nullptr);
    FvideoPlayers.clear();
}

TVideoPlayer& TdshowPlayer::ActiveVideoPlayer() {
    if (FactiveIndex < 0 || FactiveIndex >= int(FvideoPlayers.size())) FactiveIndex = 0;
    return *FvideoPlayers[size_t(FactiveIndex)];
}

bool TdshowPlayer::IsReady() const { return const_cast<TdshowPlayer*>(this)->ActiveVideoPlayer().IsReady(); }

TmediaPlayState TdshowPlayer::GetState() const {
    return const_cast<TdshowPlayer*>(this)->ActiveVideoPlayer().GetState();
}

uint32_t TdshowPlayer::GetPosition() const {
    return const_cast<TdshowPlayer*>(this)->ActiveVideoPlayer().GetPosition();
}

void TdshowPlayer::SetPosition(uint32_t ms) { ActiveVideoPlayer().SetPosition(ms); }

uint8_t TdshowPlayer::GetVolume() const { return const_cast<TdshowPlayer*>(this)->ActiveVideoPlayer().GetVolume(); }

void TdshowPlayer::SetVolume(uint8_t volume) {
    ActiveVideoPlayer().SetVolume(volume);
    TcustomMediaPlayer::SetVolume(volume);
}

void TdshowPlayer::HookGraph(TVideoPlayer& player) {
    player.Graph().OnTitle = [this](TObject*, const std::string& title) { StreamTitleChanged(title); };
}

void TdshowPlayer::PlayTag(const TaudioTagPtr& aTag) {
    const uint8_t volume = GetVolume();
    if (!IsReady()) return;
    SetPlayingURL("");
    TaudioTagPtr tag = aTag;
    int misses = 0;
    // A track whose file cannot be opened is reported and passed over: the jukebox is
    // asked for the next one, up to a bound of misses in a row.
    while (tag) {
        TaudioTagPtr copy = tag->Clone();
        if (ActiveVideoPlayer().OpenAndPlay(copy->Filename().str())) {
            FcurrentTag = copy;
            DoPlaybackStart(FcurrentTag);
            SetVolume(volume);
            return;
        }
        // Nothing can be heard: said on the screen and in the log, and the track stays
        // where it was (nothing counts it as played). The next track opens the output anew.
        if (ActiveVideoPlayer().Graph().NoAudioDevice()) {
            StatusText(kNoSoundDevice);
            break;
        }
        DoFileNotFound(tag);
        if (++misses >= kMaxMissesInARow) {
            LogError(Format("%d files in a row could not be played; playback stops.", misses));
            tag.reset();
            break;
        }
        DoGetNextTagger(tag);
    }
    FcurrentTag.reset();
}

void TdshowPlayer::Play() {
    switch (GetState()) {
        case psPaused: ActiveVideoPlayer().Play(); break;
        case psStopped: PlayNext(); break;
        default: break;
    }
}

void TdshowPlayer::Stop() {
    ActiveVideoPlayer().Stop();
    SetPlayingURL("");
}

void TdshowPlayer::PlayURL(const std::string& address) {
    const uint8_t volume = GetVolume();
    if (!IsReady()) return;
    auto stream = std::make_shared<TaudioTag>();
    stream->SetMediaType(kMediaStream);
    stream->SetFilename(address);
    TVideoPlayer& output = ActiveVideoPlayer();
    if (!output.OpenURLAndPlay(address)) {
        FcurrentTag.reset();
        SetPlayingURL("");
        StatusText(Format("The stream %s could not be played: %s", address.c_str(),
                          output.Graph().LastError().c_str()));
        return;
    }
    FcurrentTag = stream;
    SetPlayingURL(address);
    DoPlaybackStart(nullptr);
    SetVolume(volume);
}

void TdshowPlayer::StreamTitleChanged(const std::string& title) {
    // Tags of library files come through the same graph; only a stream's are titles to show.
    if (PlayingURL().empty()) return;
    if (FcurrentTag) FcurrentTag->SetTitle(title);
    if (OnStreamTitleChange) OnStreamTitleChange(this, title);
}

void TdshowPlayer::StatusText(const std::string& text) {
    LogError(text);
    if (OnStatusText) OnStatusText(this, text);
}

TchronoConnector TdshowPlayer::PitchTempoConnector() {
    for (auto& player : FvideoPlayers) player->Graph().SetPitchControl(true);
    std::weak_ptr<TdshowPlayer*> self = Fself;
    return [self]() -> std::unique_ptr<TchronoApi> {
        const auto alive = self.lock();
        if (!alive || !*alive || !TmyFilterGraph::PitchStageAvailable()) return nullptr;
        return std::make_unique<TenginePitchApi>(**alive);
    };
}

void TdshowPlayer::SetPitchRatio(double ratio) {
    FpitchRatio = ratio;
    ApplyPitchAndTempo();
}

void TdshowPlayer::SetTempoRatio(double ratio) {
    FtempoRatio = ratio;
    ApplyPitchAndTempo();
}

void TdshowPlayer::ApplyPitchAndTempo() {
    for (auto& player : FvideoPlayers) player->Graph().SetPitchAndTempo(FpitchRatio, FtempoRatio);
}

void TdshowPlayer::Pause() {
    for (auto& player : FvideoPlayers) player->Pause();
}

void TdshowPlayer::PlayNext() {
    TaudioTagPtr next;
    DoGetNextTagger(next);
    PlayTag(next);
}

void TdshowPlayer::ShowConfig() {
    if (ConfigDialog()) ConfigDialog()(*this);
}

void TdshowPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomMediaPlayer::LoadSettings(ini, section);
    for (auto& player : FvideoPlayers) player->LoadSettings(ini, section);
}

void TdshowPlayer::SaveSettings(TiniFile& ini, const std::string& section) const {
    TcustomMediaPlayer::SaveSettings(ini, section);
    const_cast<TdshowPlayer*>(this)->ActiveVideoPlayer().SaveSettings(ini, section);
}

void TdshowPlayer::Initialise(int64_t applicationWindow) {
    TcustomMediaPlayer::Initialise(applicationWindow);
    for (auto& player : FvideoPlayers) player->Initialise();
}

void TdshowPlayer::Uninitialise() {
    TcustomMediaPlayer::Uninitialise();
    ActiveVideoPlayer().Uninitialise();
}

void TdshowPlayer::LoadCoverImage(const std::string& coverFolder, bool flagA, std::string& fileName, bool flagB,
                                  TcoverPicture& picture) {
    // Without a current track only the name is cleared; the caller's picture stays.
    if (!FcurrentTag) {
        fileName.clear();
        return;
    }
    picture.Clear();
    if (FcurrentTag->LoadCoverImage(picture, flagA, CoverArtOption() != 0, coverFolder, flagB))
        fileName = picture.FileName;
    else
        fileName.clear();
}

void TdshowPlayer::VideoPlaybackFinished() {
    if (!PlayingURL().empty()) {
        // A radio stream has no end of its own: it failed or its station stopped sending.
        // The finished event carries no track, as the start event did.
        const std::string address = PlayingURL();
        const std::string reason = ActiveVideoPlayer().Graph().LastError();
        SetPlayingURL("");
        FcurrentTag.reset();
        StatusText(reason.empty() ? Format("The stream %s has ended.", address.c_str())
                                  : Format("The stream %s could not be played: %s", address.c_str(),
                                           reason.c_str()));
        DoPlaybackFinished(nullptr);
        TcustomMediaPlayer::VideoPlaybackFinished();
        return;
    }
    DoPlaybackFinished(FcurrentTag);
    TcustomMediaPlayer::VideoPlaybackFinished();
}

void TdshowPlayer::VideoStateChange(TmediaPlayState state) {
    DoStateChange(state);
    TcustomMediaPlayer::VideoStateChange(state);
}

void TdshowPlayer::VideoTimeChange(uint32_t msPos, uint32_t msLength) {
    DoTimeChange(msPos, msLength);
    TcustomMediaPlayer::VideoTimeChange(msPos, msLength);
}

}  // namespace tunecrest
