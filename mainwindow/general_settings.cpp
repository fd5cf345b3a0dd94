#include "mainwindow/general_settings.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <functional>

#include "core/library/album_artist_groupings.h"
#include "core/jukebox/global_prefs.h"
#include "mainwindow/cover_matrix.h"
#include "mainwindow/main_form.h"
#include "mainwindow/main_layout.h"
#include "skin/keyboard.h"
#include "skin/paint_regions.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

// Starts the screen saver from a click (1) or a double click (2) on the picture it
// watches; 0 lets every click through.
class TcoverClickStarter : public QObject {
public:
    TcoverClickStarter(QObject* parent, std::function<void()> start) : QObject(parent), Fstart(std::move(start)) {}
    int Action = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool single = Action == 1 && event->type() == QEvent::MouseButtonRelease;
        const bool twice = Action == 2 && event->type() == QEvent::MouseButtonDblClick;
        if ((single || twice) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Fstart();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> Fstart;
};

}  // namespace

void TfrmBaseJukebox::SetTrackMouse(bool on)
{
    Fsettings.TrackMouse = on;
    if (!Flayout) return;
    for (TcustomTouchListBox* list : {static_cast<TcustomTouchListBox*>(Flayout->Tree),
                                      static_cast<TcustomTouchListBox*>(Flayout->TrackList),
                                      static_cast<TcustomTouchListBox*>(Flayout->QueueList)})
        if (list) list->TrackMouse = on;
    for (TpaintRegionContainer* matrix : {Flayout->CoverMatrix, Flayout->ArtistCoverMatrix})
        if (matrix) matrix->SetTrackMouse(on);
}

void TfrmBaseJukebox::SetCoverArtClickAction(int action)
{
    Fsettings.CoverArtClick = std::clamp(action, 0, 2);
    if (!Flayout || !Flayout->NowPlayingCover) return;
    QLabel* cover = Flayout->NowPlayingCover;
    auto* starter = cover->findChild<TcoverClickStarter*>(QString(), Qt::FindDirectChildrenOnly);
    if (!starter) {
        starter = new TcoverClickStarter(cover, [this] { StartScreenSaver(); });
        cover->installEventFilter(starter);
    }
    starter->Action = Fsettings.CoverArtClick;
}

void TfrmBaseJukebox::SetCoverArtFolderFirst(bool on)
{
    Fsettings.CoverArtUseFolderDefault = on;
    if (!Flayout) return;
    Flayout->CoverFileFirst = on;
    Flayout->Covers().CoverFileFirst = on;
    Flayout->ArtistCovers().CoverFileFirst = on;
}

void TfrmBaseJukebox::PreferencesChanged()
{
    // Keys are square: the keyboard is ten keys wide.
    const int size = std::max(1, GlobalPrefs().KeySize());
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && keyboard->KeyboardWidth() != size * 10)
        keyboard->SetKeySize(size);
}

void GetGeneralSettings(TfrmBaseJukebox& form, TprefsRec& rec)
{
    const TdisplaySettings& s = form.Settings();
    rec.JukeboxList = form.JukeboxList();
    rec.CoverArtFolder = s.CoverArtFolder;
    rec.CoverArtFolderFirst = s.CoverArtUseFolderDefault;
    rec.OnlyCoverArtFolder = s.CoverArtOnlyCheckCoverArtFolder;
    rec.ScreenSaverEnabled = s.ScreenSaverEnabled;
    rec.ScreenSaverTimeout = s.ScreenSaverTimeout;
    rec.CoverArtSize = s.ImageSize;
    rec.UseRandomImages = s.UseRandomImages;
    rec.RandomImagesFolder = s.RandomImagesFolder;
    rec.SlideShow = s.SlideShow;
    rec.SlideTime = s.SlideShowTimeout;
    rec.SlideTimeUnit = s.UseMinutes ? 1 : 0;
    rec.ShowClock = s.ShowClock;
    rec.CoverArtClick = s.CoverArtClick;
    rec.ConfirmExit = s.ConfirmExit;
    rec.ShutdownOnExit = s.ShutdownOnExit;
    rec.DefaultToShutdown = s.DefaultToShutdown;
    rec.TrackMouse = s.TrackMouse;
    rec.MenuHeight = s.MenuSize;
    rec.HideCursorWithMenu = s.HideCursorWithMenu;
    rec.ScreenSaverOffDuringVideo = s.DisableScreenSaverDuringVideoPlayback;
    rec.KeyboardsOn = GlobalPrefs().OnScreenKeyboardsEnabled();
    rec.KeySize = GlobalPrefs().KeySize();
    if (auto* list = form.JukeboxList()) {
        rec.NoMappingDuplicates = list->ArtistList().MappingsNoDuplicates;
        rec.MapThe = list->ArtistList().MapThe;
    }
    rec.MappingsChanged = false;
    // The base window has no back button; the product layout has, with its three actions.
    const bool backButton = dynamic_cast<TfrmCustomTunecrest*>(&form) != nullptr;
    rec.HideBackButtonGroup = !backButton;
    rec.BackButtonAction = form.ViewOptions().BackButtonMode;
}

void SetGeneralSettings(TfrmBaseJukebox& form, TprefsRec& rec)
{
    TdisplaySettings& s = form.Settings();
    s.CoverArtFolder = rec.CoverArtFolder;
    form.SetCoverArtFolderFirst(rec.CoverArtFolderFirst);
    s.CoverArtOnlyCheckCoverArtFolder = rec.OnlyCoverArtFolder;
    s.ScreenSaverEnabled = rec.ScreenSaverEnabled;
    s.ScreenSaverTimeout = ClampScreenSaverTimeout(rec.ScreenSaverTimeout);
    s.ImageSize = rec.CoverArtSize;
    s.UseRandomImages = rec.UseRandomImages;
    s.RandomImagesFolder = rec.RandomImagesFolder;
    s.SlideShow = rec.SlideShow;
    s.SlideShowTimeout = rec.SlideTime;
    s.UseMinutes = rec.SlideTimeUnit != 0;
    s.ShowClock = rec.ShowClock;
    form.SetCoverArtClickAction(rec.CoverArtClick);
    s.ConfirmExit = rec.ConfirmExit;
    s.ShutdownOnExit = rec.ShutdownOnExit;
    s.DefaultToShutdown = rec.DefaultToShutdown;
    form.SetTrackMouse(rec.TrackMouse);
    form.SetMenuSize(rec.MenuHeight);
    if (dynamic_cast<TfrmCustomTunecrest*>(&form) && rec.BackButtonAction >= 0 && rec.BackButtonAction <= 2)
        form.ViewOptions().BackButtonMode = rec.BackButtonAction;
    s.HideCursorWithMenu = rec.HideCursorWithMenu;
    s.DisableScreenSaverDuringVideoPlayback = rec.ScreenSaverOffDuringVideo;
    GlobalPrefs().BeginUpdate();
    GlobalPrefs().SetOnScreenKeyboardsEnabled(rec.KeyboardsOn);
    GlobalPrefs().SetKeySize(rec.KeySize);
    GlobalPrefs().EndUpdate();

    TidleMonitor& idle = form.IdleMonitor();
    idle.SetTimeout(s.ScreenSaverTimeout);
    idle.SetDisableDuringVideo(s.DisableScreenSaverDuringVideoPlayback);
    idle.SetEnabled(s.ScreenSaverEnabled);
    form.Controller().DisableSaverDuringVideo = s.DisableScreenSaverDuringVideoPlayback;

    if (auto* list = rec.JukeboxList) {
        TaudioTagArtistList& artists = list->ArtistList();
        if (artists.MappingsNoDuplicates != rec.NoMappingDuplicates || artists.MapThe != rec.MapThe) {
            artists.MappingsNoDuplicates = rec.NoMappingDuplicates;
            artists.MapThe = rec.MapThe;
            rec.MappingsChanged = true;
        }
        if (rec.MappingsChanged) {
            artists.ApplyMappings();
            // The tree and the covers show the artists under their new names.
            form.BuildTreeView();
            form.RefreshCoversList();
        }
    }
    form.UpdateCheckMarks();
    form.SettingsStore().MarkChanged();
    form.WriteDisplaySettings();
}

}  // namespace tunecrest
