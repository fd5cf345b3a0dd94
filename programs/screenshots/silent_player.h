#pragma once
// A player for the screenshots that plays nothing: it reports starts and states as an
// engine does, at a fixed position and volume, so the main window shows a playing track;
// and the main window of the scenes that plays through it.
#include <QApplication>
#include <chrono>
#include <string>
#include <thread>

#include "core/tags/audio_tag.h"
#include "core/jukebox/media_player.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"

namespace tunecrest {

class TsilentPlayer : public TcustomMediaPlayer {
public:
    bool IsReady() const override { return true; }
    TmediaPlayState GetState() const override { return Fstate; }
    int GetEngineKind() const override { return 2; }
    TaudioTagPtr GetCurrentTag() const override { return Fcurrent; }
    void PlayTag(const TaudioTagPtr& tag) override {
        Fcurrent = tag ? tag->Clone() : nullptr;
        Fstate = Fcurrent ? psPlaying : psStopped;
        if (Fcurrent) DoPlaybackStart(Fcurrent);
        DoStateChange(Fstate);
    }
    uint32_t GetPosition() const override { return 61000; }
    void SetPosition(uint32_t) override {}
    uint8_t GetVolume() const override { return 200; }
    void Play() override { PlayNext(); }
    void Stop() override { PlayTag(nullptr); }
    void Pause() override {}
    void PlayNext() override {
        TaudioTagPtr next;
        DoGetNextTagger(next);
        PlayTag(next);
    }
    void PlayURL(const std::string&) override {}
    void ShowConfig() override {}
    void RefreshNextTrack() override {}
    void LoadCoverImage(const std::string&, bool, std::string& fileName, bool, TcoverPicture& picture) override {
        fileName.clear();
        picture.Clear();
    }

private:
    TaudioTagPtr Fcurrent;
    TmediaPlayState Fstate = psStopped;
};

// The main window over the jukebox root `root`, playing through a silent player.
class TsilentJukeboxForm : public TfrmCustomTunecrest {
  public:
    explicit TsilentJukeboxForm(const std::string& root)
        : TfrmCustomTunecrest({"-RootFolder=" + root}, root) {
        FormCreate();
    }

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new TsilentPlayer; }
};

// Lets the workers that read the covers of the window's views and of the playing track
// finish and hand their pictures back, for at most a few seconds.
inline void WaitForCovers(TfrmBaseJukebox& form) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents();
        if (!form.Layout().PicturesPending()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QApplication::processEvents();
}

}  // namespace tunecrest
