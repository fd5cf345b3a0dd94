#pragma once
// The jukebox's own screen saver: a borderless, black, full-screen window showing the
// playing track's cover with its title, artist and album under it, or a slide show of
// ".jpg" pictures from a folder, and optionally a clock. The first touch or key closes
// it. One window for the whole program (ScreenSaverForm); the main window's entries keep
// it supplied with the player, the fonts and the "ScreenSaver" settings.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/tags/audio_tag.h"
#include "core/display/font_store.h"

namespace tunecrest {

class TcustomMediaPlayer;
class TcontrolTimer;
class ThtmlLabel;
class TimageColorPanel;

// The three label texts of the saver (markup). Every value that comes from a track, a
// station or a stream is escaped, so a title such as "<b>Live</b>" shows as written.
struct TscreenSaverTexts {
    std::string Artist, Title, Album;
    bool TrackShown = false;  // a local track: the timer runs and the cover loads
};
// `fonts` may be null (no font store); `playingURL` is the address the player plays.
TscreenSaverTexts ScreenSaverTexts(const TaudioTag* track, const std::string& stationName,
                                   const std::string& playingURL, const TfontContainer* fonts,
                                   const std::string& applicationTitle);
// The clock line: the time, then the long date, each in its font (0 and 1).
std::string ScreenSaverClockText(const TfontContainer* fonts, TDateTime now);
// The slide interval in milliseconds: 0 acts as 1; seconds, or minutes with `useMinutes`.
int SlideIntervalMs(int interval, bool useMinutes);
// The ".jpg" pictures of `folder` (any letter case of the extension), sorted; none
// when the folder is missing.
std::vector<std::string> SlideShowPictures(const std::string& folder);
// The fonts the saver uses when the skin gives none: large light text on black.
const TfontContainer& DefaultScreenSaverFonts();

class TfrmScreenSaver : public QWidget {
public:
    explicit TfrmScreenSaver(QWidget* parent = nullptr);
    ~TfrmScreenSaver() override;

    void SetPlayer(TcustomMediaPlayer* player) { Fplayer = player; }
    // Not owned; null uses no fonts.
    void SetFontContainer(const TfontContainer* fonts);
    void SetApplicationTitle(const std::string& title) { FapplicationTitle = title; }

    // The track playing now; checked every tick, so a saver left showing follows the
    // tracks the jukebox plays. May stay empty.
    std::function<TaudioTagPtr()> TrackSource;
    bool UseRandomImages = false;
    std::string RandomImagesFolder;
    bool UseMinutes = true;

    int GetImageScale() const;
    void SetImageScale(int size);
    bool SlideShow() const { return FslideShow; }
    void SetSlideShow(bool on);
    int SlideShowInterval() const { return FslideInterval; }
    void SetSlideShowInterval(int interval);
    int IntervalMs() const { return FintervalMs; }
    bool GetShowClock() const;
    void SetShowClock(bool on);

    // The main window calls it on every track start: what the labels show and the cover.
    void UpdateTrackDisplay(const TaudioTagPtr& track, const std::string& stationName, int flag,
                            const std::string& coverFolder);
    // Covers the screen, hides the cursor and starts the timer.
    void ShowSaver();
    // Closes like a touch does.
    void CloseSaver();

    // The picture shown now and whether it came from the slide-show folder.
    const std::string& PictureFile() const { return FpictureFile; }
    bool ShowingRandomImage() const { return FshowingRandomImage; }
    TcontrolTimer& Timer() { return *FtmrAnimate; }

    ThtmlLabel* lblClock;
    TimageColorPanel* pnlImage;
    QWidget* pnlLabelAdjustor;
    ThtmlLabel* lblArtist;
    ThtmlLabel* lblTitle;
    ThtmlLabel* lblAlbum;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadCover(int flag, const std::string& coverFolder);
    void LoadRandomImage();
    void DoLayout();
    void RefreshClock();
    void TimerTick();
    void ApplyLabelFonts();

    TcustomMediaPlayer* Fplayer = nullptr;
    const TfontContainer* Ffonts = nullptr;
    std::string FapplicationTitle = "Tunecrest";
    std::unique_ptr<TcontrolTimer> FtmrAnimate;
    bool FcloseAllowed = true;
    bool FslideShow = false;
    int FslideInterval = 1;
    int FintervalMs = 60000;
    int FslideElapsed = 0;
    bool FshowingRandomImage = false;
    bool FlayingOut = false;
    std::string FpictureFile;
    std::string FcoverFolder;
    TaudioTagPtr Ftrack;
};

// The program's one screen saver, made on first use (needs a widget application).
TfrmScreenSaver& ScreenSaverForm();
bool ScreenSaverFormExists();

}  // namespace tunecrest
