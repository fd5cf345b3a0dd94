#include "mainwindow/general_settings.h"

#include "core/album_artist_groupings.h"
#include "core/global_prefs.h"
#include "mainwindow/main_form.h"

namespace tunecrest {

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
    rec.HideBackButtonGroup = true;
}

void SetGeneralSettings(TfrmBaseJukebox& form, TprefsRec& rec)
{
    TdisplaySettings& s = form.Settings();
    s.CoverArtFolder = rec.CoverArtFolder;
    s.CoverArtUseFolderDefault = rec.CoverArtFolderFirst;
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
    s.CoverArtClick = rec.CoverArtClick;
    s.ConfirmExit = rec.ConfirmExit;
    s.ShutdownOnExit = rec.ShutdownOnExit;
    s.DefaultToShutdown = rec.DefaultToShutdown;
    s.TrackMouse = rec.TrackMouse;
    s.MenuSize = rec.MenuHeight;
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
        if (rec.MappingsChanged) artists.ApplyMappings();
    }
    form.SettingsStore().MarkChanged();
    form.WriteDisplaySettings();
}

}  // namespace tunecrest
