#include "mainwindow/general_settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <functional>

#include "core/library/album_artist_groupings.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "mainwindow/main_form.h"
#include "support/fake_media_player.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class TprefsForm : public TfrmCustomTunecrest {
public:
    explicit TprefsForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/")
    {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

// One field of the record: how to change it and the settings.ini key it lands in.
struct TfieldCase {
    const char* Field;
    std::function<void(TprefsRec&)> Change;
    const char* Section;  // nullptr: kept elsewhere than settings.ini
    const char* Key;
    const char* Stored;
};

const TfieldCase kFields[] = {
    {"CoverArtFolder", [](TprefsRec& r) { r.CoverArtFolder = "/covers/"; }, "Paths", "CoverArt", "/covers/"},
    {"CoverArtFolderFirst", [](TprefsRec& r) { r.CoverArtFolderFirst = true; }, "Preferences",
     "CoverArtUseFolderDefault", "1"},
    {"OnlyCoverArtFolder", [](TprefsRec& r) { r.OnlyCoverArtFolder = true; }, "Preferences",
     "CoverArtOnlyCheckCoverArtFolder", "1"},
    {"ScreenSaverEnabled", [](TprefsRec& r) { r.ScreenSaverEnabled = true; }, "ScreenSaver", "Enabled", "1"},
    {"ScreenSaverTimeout", [](TprefsRec& r) { r.ScreenSaverTimeout = 12; }, "ScreenSaver", "Timeout", "12"},
    {"CoverArtSize", [](TprefsRec& r) { r.CoverArtSize = 300; }, "ScreenSaver", "ImageSize", "300"},
    {"UseRandomImages", [](TprefsRec& r) { r.UseRandomImages = true; }, "ScreenSaver", "UseRandomImages", "1"},
    {"RandomImagesFolder", [](TprefsRec& r) { r.RandomImagesFolder = "/pics/"; }, "ScreenSaver",
     "RandomImagesFolder", "/pics/"},
    {"SlideShow", [](TprefsRec& r) { r.SlideShow = true; }, "ScreenSaver", "SlideShow", "1"},
    {"SlideTime", [](TprefsRec& r) { r.SlideTime = 9; }, "ScreenSaver", "SlideShowTimeout", "9"},
    {"SlideTimeUnit", [](TprefsRec& r) { r.SlideTimeUnit = 0; }, "ScreenSaver", "UseMinutes", "0"},
    {"ShowClock", [](TprefsRec& r) { r.ShowClock = true; }, "ScreenSaver", "ShowClock", "1"},
    {"CoverArtClick", [](TprefsRec& r) { r.CoverArtClick = 2; }, "ScreenSaver", "CoverArtClick", "2"},
    {"NoMappingDuplicates", [](TprefsRec& r) { r.NoMappingDuplicates = true; }, "Jukebox",
     "ArtistMappingsNoDuplicates", "1"},
    {"MapThe", [](TprefsRec& r) { r.MapThe = false; }, "Jukebox", "ArtistMappingsMapThe", "0"},
    {"ConfirmExit", [](TprefsRec& r) { r.ConfirmExit = true; }, "Preferences", "ConfirmExit", "1"},
    {"ShutdownOnExit", [](TprefsRec& r) { r.ShutdownOnExit = true; }, "Preferences", "ShutdownOnExit", "1"},
    {"DefaultToShutdown", [](TprefsRec& r) { r.DefaultToShutdown = false; }, "Preferences", "DefaultToShutdown",
     "0"},
    {"KeyboardsOn", [](TprefsRec& r) { r.KeyboardsOn = false; }, "OnScreenKeyboards", "Enabled", "0"},
    {"KeySize", [](TprefsRec& r) { r.KeySize = 77; }, "OnScreenKeyboards", "KeySize", "77"},
    {"TrackMouse", [](TprefsRec& r) { r.TrackMouse = true; }, "Preferences", "TrackMouse", "1"},
    {"MenuHeight", [](TprefsRec& r) { r.MenuHeight = 40; }, "Preferences", "MenuSize", "40"},
    {"HideCursorWithMenu", [](TprefsRec& r) { r.HideCursorWithMenu = true; }, "Preferences", "HideCursorWithMenu",
     "1"},
    {"ScreenSaverOffDuringVideo", [](TprefsRec& r) { r.ScreenSaverOffDuringVideo = false; }, "Preferences",
     "DisableScreenSaverDuringVideoPlayback", "0"},
    {"BackButtonAction", [](TprefsRec& r) { r.BackButtonAction = 2; }, "BackButton", "Mode", "2"},
};

// Every field of the record reaches its setting (and settings.ini) and comes back.
TEST(GeneralSettings, EveryFieldReachesItsSettingAndBack)
{
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    TprefsForm form({"-RootFolder=" + root});
    ASSERT_NE(form.JukeboxList(), nullptr);
    const int keySize = GlobalPrefs().KeySize();
    const bool keyboards = GlobalPrefs().OnScreenKeyboardsEnabled();
    for (const TfieldCase& c : kFields) {
        SCOPED_TRACE(c.Field);
        TprefsRec rec;
        GetGeneralSettings(form, rec);
        EXPECT_FALSE(rec.HideBackButtonGroup) << "the product window offers the back button's actions";
        EXPECT_FALSE(rec.MappingsChanged);
        TprefsRec changed = rec;
        c.Change(changed);
        SetGeneralSettings(form, changed);
        // Saved at once, in the form the next start reads.
        TiniFile ini(root + "/Settings/settings.ini");
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<missing>"), c.Stored);
        TprefsRec back;
        GetGeneralSettings(form, back);
        TprefsRec expected = changed;
        expected.MappingsChanged = false;
        const auto same = [](const TprefsRec& a, const TprefsRec& b) {
            return a.CoverArtFolder == b.CoverArtFolder && a.CoverArtFolderFirst == b.CoverArtFolderFirst &&
                   a.OnlyCoverArtFolder == b.OnlyCoverArtFolder && a.ScreenSaverEnabled == b.ScreenSaverEnabled &&
                   a.ScreenSaverTimeout == b.ScreenSaverTimeout && a.CoverArtSize == b.CoverArtSize &&
                   a.UseRandomImages == b.UseRandomImages && a.RandomImagesFolder == b.RandomImagesFolder &&
                   a.SlideShow == b.SlideShow && a.SlideTime == b.SlideTime && a.SlideTimeUnit == b.SlideTimeUnit &&
                   a.ShowClock == b.ShowClock && a.CoverArtClick == b.CoverArtClick &&
                   a.NoMappingDuplicates == b.NoMappingDuplicates && a.MapThe == b.MapThe &&
                   a.ConfirmExit == b.ConfirmExit && a.ShutdownOnExit == b.ShutdownOnExit &&
                   a.DefaultToShutdown == b.DefaultToShutdown && a.KeyboardsOn == b.KeyboardsOn &&
                   a.KeySize == b.KeySize && a.TrackMouse == b.TrackMouse && a.MenuHeight == b.MenuHeight &&
                   a.HideCursorWithMenu == b.HideCursorWithMenu &&
                   a.ScreenSaverOffDuringVideo == b.ScreenSaverOffDuringVideo &&
                   a.BackButtonAction == b.BackButtonAction;
        };
        EXPECT_TRUE(same(back, expected));
        SetGeneralSettings(form, rec);  // back to where it was for the next field
    }
    GlobalPrefs().SetKeySize(keySize);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(keyboards);
}

TEST(GeneralSettings, ScreenSaverSettingsReachTheIdleMonitorAndMappingOptionsRebuild)
{
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    TprefsForm form({"-RootFolder=" + root});
    TprefsRec rec;
    GetGeneralSettings(form, rec);
    rec.ScreenSaverEnabled = true;
    rec.ScreenSaverTimeout = 75;
    rec.ScreenSaverOffDuringVideo = false;
    SetGeneralSettings(form, rec);
    EXPECT_TRUE(form.IdleMonitor().Enabled());
    EXPECT_EQ(form.IdleMonitor().Timeout(), 60);
    EXPECT_FALSE(form.Controller().DisableSaverDuringVideo);
    EXPECT_FALSE(rec.MappingsChanged);
    rec.NoMappingDuplicates = !rec.NoMappingDuplicates;
    SetGeneralSettings(form, rec);
    EXPECT_TRUE(rec.MappingsChanged) << "changing only No Duplicates rebuilds the artist grouping";
    EXPECT_EQ(form.JukeboxList()->ArtistList().MappingsNoDuplicates, rec.NoMappingDuplicates);
}

}  // namespace
}  // namespace tunecrest
