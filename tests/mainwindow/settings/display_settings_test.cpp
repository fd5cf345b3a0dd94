#include "mainwindow/settings/display_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

struct TkeyCase {
    const char* Section;
    const char* Key;
    const char* Default;  // as written for an empty file
    const char* Other;    // another value that must round-trip
};

// Every key the main window reads and writes, with the value an empty file gives.
const TkeyCase kKeys[] = {
    {"Preferences", "ShowTimeRemaining", "0", "1"},
    {"Preferences", "ShowTipsAtStartup", "1", "0"},
    {"Preferences", "LastTipNo", "0", "7"},
    {"Preferences", "AutoPlay", "0", "1"},
    {"Preferences", "RestoreAtStartup", "0", "1"},
    {"Preferences", "ConfirmExit", "0", "1"},
    {"Preferences", "ShutdownOnExit", "0", "1"},
    {"Preferences", "DefaultToShutdown", "1", "0"},
    {"Preferences", "CoverArtUseFolderDefault", "0", "1"},
    {"Preferences", "CoverArtOnlyCheckCoverArtFolder", "0", "1"},
    {"Preferences", "KeepQueueTrackCount", "0", "1"},
    {"Preferences", "ScreenCleanTimeout", "30", "45"},
    {"Preferences", "QueueMode", "0", "2"},
    {"Preferences", "NoQueueDuplications", "0", "1"},
    {"Preferences", "QueueDoubleClick", "0", "2"},
    {"ScreenSaver", "Enabled", "0", "1"},
    {"ScreenSaver", "Timeout", "5", "12"},
    {"ScreenSaver", "ImageSize", "0", "2"},
    {"ScreenSaver", "UseRandomImages", "0", "1"},
    {"ScreenSaver", "RandomImagesFolder", "", "/pictures/"},
    {"ScreenSaver", "SlideShow", "0", "1"},
    {"ScreenSaver", "SlideShowTimeout", "3", "9"},
    {"ScreenSaver", "UseMinutes", "1", "0"},
    {"ScreenSaver", "ShowClock", "0", "1"},
    {"ScreenSaver", "CoverArtClick", "0", "1"},
    {"Preferences", "ShowMessages", "0", "1"},
    {"Preferences", "TrackMouse", "0", "1"},
    {"Preferences", "MenuSize", "16", "24"},
    {"Preferences", "ShowHints", "1", "0"},
    {"Preferences", "HideCursorWithMenu", "0", "1"},
    {"Preferences", "DisableScreenSaverDuringVideoPlayback", "1", "0"},
    {"RandomPlay", "Enabled", "1", "0"},
    {"Paths", "CoverArt", "", "/covers/"},
    {"Stacker", "Enabled", "0", "1"},
    {"SongSearch", "Mode", "0", "3"},
    {"Skins", "SkinFile", "", "Classic/skin.usk"},
    {"Geometry", "Lock", "0", "1"},
    {"Geometry", "Width", "800", "1024"},
    {"Geometry", "Height", "600", "700"},
    {"Geometry", "FullScreen", "1", "0"},
    {"SongTitle", "Scroll", "0", "1"},
    {"QueueControls", "Visible", "1", "0"},
    {"MainMenu", "Visible", "0", "1"},
    {"MainMenu", "PasswordProtected", "0", "1"},
    {"CoverArt", "Visible", "1", "0"},
    {"View", "JukeboxList", "3327", "5"},
    {"View", "TrackNumbers", "0", "1"},
    {"View", "ShowTrackDetails", "0", "1"},
    {"View", "ExtendedTrackDetails", "0", "1"},
    {"View", "CoverArtMatrixHorizontal", "3", "4"},
    {"View", "CoverArtMatrixVertical", "3", "5"},
    {"View", "ArtistsCoversMatrixHorizontal", "3", "6"},
    {"View", "ArtistsCoversMatrixVertical", "1", "2"},
};

TEST(DisplaySettings, EveryKeyHasItsDefaultAndRoundTrips) {
    TiniFile empty;
    TdisplaySettings s;
    s.Read(empty);
    TiniFile written;
    s.Write(written);
    for (const auto& k : kKeys) {
        SCOPED_TRACE(std::string(k.Section) + "/" + k.Key);
        ASSERT_TRUE(written.ValueExists(k.Section, k.Key));
        EXPECT_EQ(written.ReadString(k.Section, k.Key, "?"), k.Default);
    }
    // Each key on its own: a changed value is read and written back unchanged.
    for (const auto& k : kKeys) {
        SCOPED_TRACE(std::string(k.Section) + "/" + k.Key);
        TiniFile in;
        in.WriteString(k.Section, k.Key, k.Other);
        TdisplaySettings t;
        t.Read(in);
        TiniFile out;
        t.Write(out);
        EXPECT_EQ(out.ReadString(k.Section, k.Key, "?"), k.Other);
    }
    EXPECT_EQ(written.ReadString("Preferences", "AlwaysOnTop", "?"), "0");
    // The browse mode is read but never written.
    EXPECT_FALSE(written.ValueExists("View", "Kind"));
}

TEST(DisplaySettings, LimitsAndLists) {
    TiniFile in;
    in.WriteInteger("ScreenSaver", "Timeout", 90);
    in.WriteInteger("View", "JukeboxList", 0x7FFFFFFF);
    in.WriteString("ButtonList", "Button0", "actnControlPlay");
    in.WriteString("ButtonList", "Whatever", "actnControlStop");
    in.WriteString("ButtonList", "Empty", "");
    TdisplaySettings s;
    s.Read(in);
    EXPECT_EQ(s.ScreenSaverTimeout, 60);
    EXPECT_EQ(s.ViewJukeboxList, 0x1FFFF);  // bits above node kind 16 are ignored
    EXPECT_EQ(s.ButtonList, (std::vector<std::string>{"actnControlPlay", "actnControlStop"}));
    EXPECT_TRUE(s.GeometryCentred);
    TiniFile out;
    out.WriteString("ButtonList", "Stale", "x");
    s.Write(out);
    EXPECT_EQ(out.ReadSectionValues("ButtonList"),
              (std::vector<std::string>{"Button0=actnControlPlay", "Button1=actnControlStop"}));
    EXPECT_EQ(ClampScreenSaverTimeout(-1), 60);
    EXPECT_EQ(ClampScreenSaverTimeout(0), 0);
}

TEST(DisplaySettings, GeometryKeepsAUsableSizeOnTheScreen) {
    // Stored far right: the old rule shrank the window to 100 pixels; it keeps its width
    // and moves onto the screen instead.
    auto g = ClampGeometry({900, 50, 800, 600}, 1280, 800);
    EXPECT_EQ(g.Width, 800);
    EXPECT_EQ(g.Left, 480);
    EXPECT_EQ(g.Top, 50);
    g = ClampGeometry({-20, -5, 40, 3000}, 1280, 800);
    EXPECT_EQ(g.Left, 0);
    EXPECT_EQ(g.Top, 0);
    EXPECT_EQ(g.Width, 100);
    EXPECT_EQ(g.Height, 800);
}

TEST(SettingsStore, UnknownKeysAndSectionsAreKept) {
    test::TempDir dir;
    const auto file = dir.File("settings.ini");
    {
        std::ofstream out(file);
        out << "; kept comment\n[Preferences]\nAutoPlay=1\nFutureKey=abc\n[Plugin X]\nA=1\n";
    }
    TsettingsStore store(file);
    TiniFile ini = store.Open();
    TdisplaySettings s;
    s.Read(ini);
    EXPECT_TRUE(s.AutoPlay);
    s.Write(ini);
    ASSERT_TRUE(store.Save(ini));
    TiniFile back(file);
    EXPECT_EQ(back.ReadString("Preferences", "FutureKey", ""), "abc");
    EXPECT_EQ(back.ReadString("Plugin X", "A", ""), "1");
    EXPECT_NE(back.GetText().find("; kept comment"), std::string::npos);
}

TEST(SettingsStore, DamagedFileGivesDefaultsAndIsKeptUntilASettingChanges) {
    test::TempDir dir;
    const auto file = dir.File("settings.ini");
    const std::string garbage("[Preferences]\nAutoPlay=1\n\0\0\x01\xff junk", 30);
    {
        std::ofstream out(file, std::ios::binary);
        out << garbage;
    }
    std::vector<std::string> logged;
    SetErrorLogFile(dir.File("log.log"));
    TsettingsStore store(file);
    TiniFile ini = store.Open();
    EXPECT_TRUE(store.Damaged());
    TdisplaySettings s;
    s.Read(ini);
    EXPECT_FALSE(s.AutoPlay);
    s.Write(ini);
    EXPECT_FALSE(store.Save(ini));
    {
        std::ifstream in(file, std::ios::binary);
        std::string body((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(body, garbage);
    }
    std::ifstream log(dir.File("log.log"));
    std::string line;
    std::getline(log, line);
    EXPECT_NE(line.find("damaged"), std::string::npos);
    store.MarkChanged();
    EXPECT_TRUE(store.Save(ini));
    EXPECT_EQ(TiniFile(file).ReadString("Preferences", "AutoPlay", "?"), "0");
    SetErrorLogFile("");
}

}  // namespace
}  // namespace tunecrest
