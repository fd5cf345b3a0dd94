// The main window's player: play, stop, pause and next, the volume and position, the
// now-playing panel and the song title banner.
#include <QApplication>
#include <algorithm>
#include <string>

#include "mainwindow/list_display.h"
#include "mainwindow/main_form.h"
#include "mainwindow/now_playing.h"
#include "skin/display_controls.h"

namespace tunecrest {

namespace {
// How often a scrolling song title moves.
constexpr int kSongTitleScrollMs = 40;
}  // namespace

void TfrmBaseJukebox::PlayerPlay() { Fcontroller.Play(); }

void TfrmBaseJukebox::PlayerStop() { Fcontroller.Stop(); }

void TfrmBaseJukebox::PlayerPause() { Fcontroller.Pause(); }

void TfrmBaseJukebox::PlayerNext() {
    if (Fcontroller.WaitingForStart()) return;
    Fcontroller.Next();
    if (Fcontroller.WaitingForStart()) FnextWait.start();
}

TnowPlaying TfrmBaseJukebox::NowPlayingState() const {
    TnowPlaying now;
    now.Track = Fcontroller.CurrentTrack();
    if (const auto* p = Fcontroller.Player()) {
        now.State = p->GetState();
        now.PlayingURL = p->PlayingURL();
        // The engine keeps a station's entry (media kind 4) as its current track.
        if (!now.Track && !now.PlayingURL.empty() && now.State != psStopped) {
            const auto tag = p->GetCurrentTag();
            if (tag && tag->MediaType() == kRadioMediaKind) now.Track = tag;
        }
    }
    now.StreamTitle = FstreamTitle;
    now.RadioName = FradioName;
    return now;
}

void TfrmBaseJukebox::RefreshNowPlaying() {
    if (!Flayout) return;
    const TnowPlaying now = NowPlayingState();
    const TtrackTextLines lines = TrackTextLines(now, Flist ? &Flist->URLList() : nullptr);
    Flayout->SetNowPlaying(lines.Title, lines.Details);
    // A new track may come from another cartridge of the stacker.
    RefreshStackerTitle();
    const auto& t = Fcontroller.CurrentTrack();
    if (!t || t->MediaType() == kRadioMediaKind) {
        FnowPlayingCoverOf = nullptr;
        Flayout->ShowNowPlayingCover(nullptr, "", false);
        return;
    }
    // The cover is found and scaled on the getter's worker and shown when it is back.
    if (!FnowPlayingCoverOf || FnowPlayingCoverOf->Filename() != t->Filename()) {
        FnowPlayingCoverOf = t;
        Flayout->ShowNowPlayingCover(t, Fsettings.CoverArtFolder, Fsettings.CoverArtOnlyCheckCoverArtFolder);
    }
}

void TfrmBaseJukebox::UpdateSongTitle() {
    setWindowTitle(qApp->applicationName());
    RefreshNowPlaying();
    if (!Flayout || !Flayout->SongTitle) return;
    const TfontContainer& fonts = Fskin->FontStores().SongTitle();
    const std::string text = SongTitleText(fonts, Flayout->FormatStrings, qApp->applicationName().toStdString(),
                                           NowPlayingState(), Flist ? &Flist->URLList() : nullptr);
    // Set only when it changed, so a scrolling title does not jump back to its start.
    if (text != Flayout->SongTitle->Caption()) Flayout->SongTitle->SetCaption(text);
}

void TfrmBaseJukebox::StreamTitleChanged(const std::string& title) {
    if (Closing()) return;
    FstreamTitle = title;
    UpdateSongTitle();
}

void TfrmBaseJukebox::ApplySongTitleLook() {
    if (!Flayout || !Flayout->SongTitle) return;
    // The banner: the song title store's first font on the lists' background.
    const TfontContainer& fonts = Fskin->FontStores().SongTitle();
    if (const TfontItem* font = fonts.Items().Items(0)) Flayout->SongTitle->SetFont(font->font());
    Flayout->SongTitle->SetColor(ListColor(Fskin->FontStores().Lists(), lcBackground));
}

void TfrmBaseJukebox::SetRadioName(const std::string& name) {
    FradioName = name;
    FstreamTitle.clear();
}

void TfrmBaseJukebox::SetSongTitleScroll(bool on) {
    Fsettings.SongTitleScroll = on;
    if (Taction* a = Factions->Find("actnSettingsScrollSongTitle")) a->Checked = on;
    if (Flayout && Flayout->SongTitle) {
        Flayout->SongTitle->SetScrollDelay(on ? kSongTitleScrollMs : 0);
        Flayout->SongTitle->SetScrollEnabled(on);
    }
}

bool TfrmBaseJukebox::PlayerStopped() const {
    const auto* p = Fcontroller.Player();
    return !p || p->GetState() == psStopped;
}

int TfrmBaseJukebox::PlayerVolume() const {
    const auto* p = Fcontroller.Player();
    return p ? p->GetVolume() : 0;
}

void TfrmBaseJukebox::PlayerSetVolume(int volume) {
    if (auto* p = Fcontroller.Player()) p->SetVolume(uint8_t(std::clamp(volume, 0, 255)));
}

void TfrmBaseJukebox::PlayerSetPosition(int milliseconds) {
    if (auto* p = Fcontroller.Player()) p->SetPosition(uint32_t(std::max(milliseconds, 0)));
}

}  // namespace tunecrest
