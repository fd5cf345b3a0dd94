#include "playback/dshow_player.h"

#include "core/audio_tag.h"
#include "core/services.h"
#include "core/text_utils.h"

namespace tunecrest {

namespace {
TdshowPlayer::TconfigDialog& ConfigDialog() {
    static TdshowPlayer::TconfigDialog dialog;
    return dialog;
}
}  // namespace

void TdshowPlayer::SetConfigDialog(TconfigDialog dialog) { ConfigDialog() = std::move(dialog); }

TdshowPlayer::TdshowPlayer() {
    FvideoPlayers.push_back(std::make_unique<TVideoPlayer>());
    SetVideoPlayer(FvideoPlayers.front().get());
}

TdshowPlayer::~TdshowPlayer() {
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

void TdshowPlayer::PlayTag(const TaudioTagPtr& aTag) {
    const uint8_t volume = GetVolume();
    if (!IsReady()) return;
    TaudioTagPtr tag = aTag;
    int misses = 0;
    // A track whose file cannot be opened is reported and passed over: the jukebox is
    // asked for the next one, up to a bound of misses in a row.
    while (tag) {
        TaudioTagPtr copy = tag->Clone();
        if (ActiveVideoPlayer().OpenAndPlay(copy->Filename())) {
            FcurrentTag = copy;
            DoPlaybackStart(FcurrentTag);
            SetVolume(volume);
            return;
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

void TdshowPlayer::Stop() { ActiveVideoPlayer().Stop(); }

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
