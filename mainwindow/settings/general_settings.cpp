#include "mainwindow/settings/general_settings.h"

#include "core/jukebox/global_prefs.h"
#include "core/library/album_artist_groupings.h"
#include "core/library/jukebox_list.h"

namespace tunecrest {

void ReadGeneralSettings(const TdisplaySettings& s, TcustomlocalJukeboxList* list, TprefsRec& rec)
{
    rec.JukeboxList = list;
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
    if (list) {
        rec.NoMappingDuplicates = list->ArtistList().MappingsNoDuplicates;
        rec.MapThe = list->ArtistList().MapThe;
    }
    rec.MappingsChanged = false;
}

void WriteGeneralSettings(TprefsRec& rec, TdisplaySettings& s)
{
    s.CoverArtFolder = rec.CoverArtFolder;
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
    s.ConfirmExit = rec.ConfirmExit;
    s.ShutdownOnExit = rec.ShutdownOnExit;
    s.DefaultToShutdown = rec.DefaultToShutdown;
    s.HideCursorWithMenu = rec.HideCursorWithMenu;
    s.DisableScreenSaverDuringVideoPlayback = rec.ScreenSaverOffDuringVideo;
    GlobalPrefs().BeginUpdate();
    GlobalPrefs().SetOnScreenKeyboardsEnabled(rec.KeyboardsOn);
    GlobalPrefs().SetKeySize(rec.KeySize);
    GlobalPrefs().EndUpdate();

    if (auto* list = rec.JukeboxList) {
        TaudioTagArtistList& artists = list->ArtistList();
        if (artists.MappingsNoDuplicates != rec.NoMappingDuplicates || artists.MapThe != rec.MapThe) {
            artists.MappingsNoDuplicates = rec.NoMappingDuplicates;
            artists.MapThe = rec.MapThe;
            rec.MappingsChanged = true;
        }
    }
}

}  // namespace tunecrest
