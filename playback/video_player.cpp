#include "playback/video_player.h"

#include "core/base/services.h"
#include "playback/graph_utils.h"

namespace tunecrest {

TVideoPlayer::TVideoPlayer() : Fgraph(std::make_unique<TmyFilterGraph>()) {
    OnError = [](const std::string& message) { LogError(message); };
    Fgraph->OnError = [this](TObject*, const std::string& message) {
        if (!OnError) return;
        OnError(FlastFile.empty() || message.find(FlastFile) != std::string::npos
                    ? message
                    : message + " (" + FlastFile + ")");
    };
    Fgraph->OnStatus = [this](TObject*, const std::string& message) {
        if (OnError) OnError(message);
    };
    Fgraph->OnStateChange = [this](TObject*, TmediaPlayState state) {
        if (Events()) Events()->DoStateChange(this, state);
    };
    Fgraph->OnTimer = [this](TObject*) {
        if (Events()) Events()->DoTimeChange(this, GetPosition(), GetDuration());
    };
    Fgraph->OnComplete = [this](TObject*) {
        if (Events()) Events()->DoPlaybackFinished(this);
    };
}

TVideoPlayer::~TVideoPlayer() {
    // The graph goes first, so no picture reaches a panel after this point.
    Fgraph.reset();
}

void TVideoPlayer::SetPanel(TcustomFilterGraphPanel* panel) {
    Fpanel = panel;
    Fgraph->SetPanel(panel);
    if (panel) {
        panel->SetMonitor(Fmonitor);
        panel->SetAutoFullScreen(FautoFullScreen);
        panel->SetDoubleClickFullScreen(DoubleClickFullScreen);
    }
}

void TVideoPlayer::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomVideoPlayer::LoadSettings(ini, section);
    if (Fpanel) Fpanel->SetDoubleClickFullScreen(DoubleClickFullScreen);
}

void TVideoPlayer::SetAudioDevice(const std::string& name) {
    TcustomVideoPlayer::SetAudioDevice(name);
    Fgraph->SetAudioDevice(name);
}

int TVideoPlayer::GetMonitor() const { return Fpanel ? Fpanel->GetMonitor() : Fmonitor; }

void TVideoPlayer::SetMonitor(int index) {
    Fmonitor = index;
    if (Fpanel) Fpanel->SetMonitor(index);
}

bool TVideoPlayer::GetAutoFullScreen() const { return Fpanel ? Fpanel->GetAutoFullScreen() : FautoFullScreen; }

void TVideoPlayer::SetAutoFullScreen(bool on) {
    FautoFullScreen = on;
    if (Fpanel) Fpanel->SetAutoFullScreen(on);
}

bool TVideoPlayer::IsReady() const { return Fgraph->IsReady(); }

uint32_t TVideoPlayer::GetPosition() const { return uint32_t(std::clamp<int64_t>(Fgraph->GetPosition(), 0, UINT32_MAX)); }

void TVideoPlayer::SetPosition(uint32_t ms) { Fgraph->SetPosition(ms); }

uint32_t TVideoPlayer::GetDuration() const { return uint32_t(std::clamp<int64_t>(Fgraph->GetDuration(), 0, UINT32_MAX)); }

double TVideoPlayer::GetRate() const { return Fgraph->GetRate(); }

void TVideoPlayer::SetRate(double rate) { Fgraph->SetRate(rate); }

TmediaPlayState TVideoPlayer::GetState() const { return Fgraph->GetState(); }

bool TVideoPlayer::OpenFile(const std::string& fileName) {
    FlastFile = fileName;
    return Fgraph->OpenFile(fileName);
}

uint8_t TVideoPlayer::GetVolume() const { return VolumeGraphToByte(Fgraph->GetVolume()); }

void TVideoPlayer::SetVolume(uint8_t volume) { Fgraph->SetVolume(VolumeByteToGraph(volume)); }

void TVideoPlayer::SetFullScreen(bool on) {
    if (!Fpanel || Fpanel->IsFullScreen() == on) return;
    Fpanel->SetFullScreen(on);
    if (!Events()) return;
    if (on)
        Events()->DoFullScreenEnable(this);
    else
        Events()->DoFullScreenDisable(this);
}

bool TVideoPlayer::IsFullScreen() const { return Fpanel && Fpanel->IsFullScreen(); }

void TVideoPlayer::Play() { Fgraph->Play(); }

void TVideoPlayer::Pause() { Fgraph->Pause(); }

void TVideoPlayer::Stop() { Fgraph->Stop(); }

bool TVideoPlayer::OpenAndPlay(const std::string& fileName) {
    FlastFile = fileName;
    if (!Fgraph->OpenAndPlay(fileName)) return false;
    if (Events()) Events()->DoPlaybackStart(this);
    return true;
}

bool TVideoPlayer::OpenURLAndPlay(const std::string& address) {
    FlastFile = address;
    const int volume = Fgraph->GetVolume();
    if (!Fgraph->OpenURL(address)) return false;
    Fgraph->SetVolume(volume);
    if (!Fgraph->Play()) return false;
    if (Events()) Events()->DoPlaybackStart(this);
    return true;
}

void TVideoPlayer::ShowFiltersWindow() {
    if (Fpanel) Fpanel->ShowFiltersWindow(Fgraph->FilterNames());
}

}  // namespace tunecrest
