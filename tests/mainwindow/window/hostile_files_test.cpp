// The files the main window reads at start-up, made hostile: numbers that overflow,
// FIFOs and devices where a file belongs, and files far larger than any the program
// writes. Each start goes through the real window; the jukebox must come up with its
// library whole and the fault in the log.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/skin/main_window_skin.h"
#include "skin/paint_regions.h"
#include "support/fake_media_player.h"
#include "support/special_files.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

constexpr int kLibraryTracks = 40;

class TtestForm : public TfrmCustomTunecrest {
public:
    explicit TtestForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

// A root with a library of kLibraryTracks tracks and the error log in a file of its own.
struct HostileRig {
    test::TempDir dir;
    std::string root, log;
    HostileRig() {
        test::App();
        root = (dir.Path() / "root").string();
        std::filesystem::create_directories(root + "/Settings");
        std::filesystem::create_directories(root + "/Data");
        TaudioTagList library;
        for (int i = 0; i < kLibraryTracks; ++i)
            library.Add(test::MakeLibraryTag("/m/a" + std::to_string(i % 7) + "/b" + std::to_string(i % 5) + "/" +
                                                 std::to_string(i) + ".mp3",
                                             "Artist " + std::to_string(i % 7), "Title " + std::to_string(i),
                                             "Album " + std::to_string(i % 5)));
        EXPECT_TRUE(SaveTagListToFile(library, root + "/Data/jukebox.dat", false));
        log = dir.File("log.log");
        SetErrorLogFile(log);
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
    }
    ~HostileRig() {
        SetErrorLogFile("");
        TaggerLoader().SetPluginFolder("");
    }
    std::string Settings() const { return root + "/Settings/settings.ini"; }
    void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Log() const {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Starts the window as the program does and checks that it stands on the screen with
    // the whole library loaded.
    void StartAndCheck(TtestForm& form) {
        form.ReadDisplaySettings();
        form.DoInitialise();
        ASSERT_TRUE(form.Initialised());
        ASSERT_NE(form.JukeboxList(), nullptr);
        EXPECT_EQ(form.JukeboxList()->GlobalList().Count(), kLibraryTracks);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_GE(form.width(), 100);
        EXPECT_GE(form.height(), 100);
        EXPECT_LE(form.width(), std::max(100, area.width()));
        EXPECT_LE(form.height(), std::max(100, area.height()));
        EXPECT_GE(form.geometry().x(), area.x());
        EXPECT_GE(form.geometry().y(), area.y());
    }
};

TEST(HostileSettings, NumbersThatOverflowAreClampedAndLogged) {
    for (const char* width : {"-2147483648", "2147483647", "0"}) {
        HostileRig r;
        r.Write(r.Settings(), std::string("[Geometry]\nWidth=") + width +
                                  "\nHeight=-2147483648\nFullScreen=0\n"
                                  "[View]\nKind=1\nCoverArtMatrixHorizontal=100000\nCoverArtMatrixVertical=100000\n"
                                  "ArtistsCoversMatrixHorizontal=-2147483648\nArtistsCoversMatrixVertical=2147483647\n");
        {
            TtestForm form({"-RootFolder=" + r.root + "/"});
            r.StartAndCheck(form);
            auto* matrix = form.Layout().CoverMatrix;
            ASSERT_NE(matrix, nullptr);
            EXPECT_EQ(form.BrowseMode(), 1);
            EXPECT_GE(matrix->XCount(), 1);
            EXPECT_LE(matrix->XCount(), kMaxCoverMatrixCells);
            EXPECT_LE(matrix->YCount(), kMaxCoverMatrixCells);
            EXPECT_LE(matrix->RegionCount(), kMaxCoverMatrixCells * kMaxCoverMatrixCells);
            form.close();
        }
        const std::string log = r.Log();
        EXPECT_NE(log.find("CoverArtMatrixHorizontal=100000"), std::string::npos) << log;
        EXPECT_NE(log.find("Height=-2147483648"), std::string::npos) << log;
    }
}

TEST(HostileSettings, EveryNumberAtItsExtremesStartsTheWindow) {
    // Every integer key the window and its objects read, at both ends of the range.
    const char* keys[][2] = {
        {"Preferences", "LastTipNo"},       {"Preferences", "ScreenCleanTimeout"},
        {"Preferences", "QueueMode"},       {"Preferences", "QueueDoubleClick"},
        {"Preferences", "MenuSize"},        {"Preferences", "SingleClickMultiSelectDelay"},
        {"ScreenSaver", "Timeout"},         {"ScreenSaver", "ImageSize"},
        {"ScreenSaver", "SlideShowTimeout"}, {"ScreenSaver", "CoverArtClick"},
        {"SongSearch", "Mode"},             {"View", "JukeboxList"},
        {"View", "Kind"},                   {"View", "CoverArtMatrixHorizontal"},
        {"View", "CoverArtMatrixVertical"}, {"Geometry", "Left"},
        {"Geometry", "Top"},                {"Geometry", "Width"},
        {"Geometry", "Height"},             {"Geometry", "CoverArtWidth"},
        {"Geometry", "QueueHeight"},        {"Geometry", "TrackListWidth"},
        {"Geometry", "SongTitleHeight"},    {"Geometry", "TimerWidth"},
        {"OnScreenKeyboards", "KeySize"},   {"Player", "Volume"},
        {"PartyPlay", "QueueLimit"},        {"ActionButtonPad", "Width"},
        {"ActionButtonPad", "Height"},      {"ActionButtonPad", "Timeout"},
        {"PlaylistEditor", "Width"},        {"PlaylistEditor", "Height"},
        {"PlaylistEditor", "Left"},         {"PlaylistEditor", "Top"},
        {"PlaylistEditor", "RightPanelWidth"}, {"PlaylistEditor", "TrackListHeight"},
        {"PlaylistEditor", "PLSelectionHeight"}, {"Stacker", "Width"},
        {"Stacker", "Height"},              {"Stacker", "Left"},
        {"Stacker", "Top"},                 {"Stacker", "RightPanelWidth"},
        {"Jukebox", "YearMode"},            {"Player", "FullScreenMonitor"},
    };
    for (const char* value : {"-2147483648", "2147483647", "99999999999999999999"}) {
        HostileRig r;
        TiniFile ini(r.Settings());
        for (const auto& key : keys) ini.WriteString(key[0], key[1], value);
        ini.WriteString("Geometry", "FullScreen", "0");
        ASSERT_TRUE(ini.UpdateFile());
        TtestForm form({"-RootFolder=" + r.root + "/"});
        r.StartAndCheck(form);
        for (int mode : {1, 2, 0}) form.SetBrowseMode(mode);
        form.close();
    }
}

TEST(HostileFiles, FifosAndDevicesWhereTheWindowsFilesBelongAreRefused) {
    const std::vector<std::string> files = {"Settings/settings.ini", "Settings/mappings.txt",
                                            "Settings/controlactions.ini", "ControlPlugins/settings.ini"};
    for (const std::string& file : files) {
        for (const bool fifo : {true, false}) {
            HostileRig r;
            const std::string path = r.root + "/" + file;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            if (fifo) {
                test::MakeFifo(path);
            } else {
                std::filesystem::create_symlink("/dev/zero", path);
            }
            std::vector<std::string> fifos;
            if (fifo) fifos.push_back(path);
            test::TfifoWatchdog watchdog(fifos);
            {
                TtestForm form({"-RootFolder=" + r.root + "/"});
                r.StartAndCheck(form);
                form.close();
            }
            EXPECT_FALSE(watchdog.Finish()) << file << " blocked the start";
            // Still the special file: nothing was written over it.
            std::error_code ec;
            EXPECT_FALSE(std::filesystem::is_regular_file(path, ec)) << file;
            if (file == "Settings/settings.ini") {
                EXPECT_NE(r.Log().find("is damaged"), std::string::npos) << r.Log();
            }
        }
    }
}

TEST(HostileFiles, ALogThatIsAFifoDoesNotBlock) {
    test::TempDir dir;
    const std::string fifo = test::MakeFifo(dir.File("log.log"));
    SetErrorLogFile(fifo);
    EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, [] { LogError("a line for nobody"); }));
    SetErrorLogFile("");
}

TEST(HostileFiles, ASettingsFileFarLargerThanAnyWrittenIsKeptAndNotRead) {
    HostileRig r;
    {
        std::ofstream out(r.Settings(), std::ios::binary);
        out << "[Geometry]\nWidth=640\nHeight=480\nFullScreen=0\n[Filler]\n";
        const std::string line = "Key=" + std::string(60, 'x') + "\n";
        for (size_t written = 0; written < (size_t(70) << 20); written += line.size()) out << line;
    }
    const auto size = std::filesystem::file_size(r.Settings());
    {
        TtestForm form({"-RootFolder=" + r.root + "/"});
        r.StartAndCheck(form);
        EXPECT_TRUE(form.SettingsStore().Damaged());
        form.close();
    }
    EXPECT_NE(r.Log().find("file too large"), std::string::npos) << r.Log();
    // The file is left as it was until the person changes a setting.
    EXPECT_EQ(std::filesystem::file_size(r.Settings()), size);
}

TEST(HostileFiles, ASettingsFileJustUnderTheLimitIsReadAndNeverWrittenPastIt) {
    HostileRig r;
    {
        std::ofstream out(r.Settings(), std::ios::binary);
        out << "[Geometry]\nWidth=640\nHeight=480\nFullScreen=0\n[Filler]\n";
        const std::string line = "Key=" + std::string(60, 'x') + "\n";  // CR LF once written
        while (out.tellp() + std::streamoff(line.size()) < std::streamoff(TsettingsStore::kMaxSettingsBytes - 64))
            out << line;
    }
    for (int start = 0; start < 2; ++start) {
        TtestForm form({"-RootFolder=" + r.root + "/"});
        r.StartAndCheck(form);
        EXPECT_FALSE(form.SettingsStore().Damaged()) << start;
        EXPECT_EQ(form.width(), 640) << start;
        form.WriteDisplaySettings();
        form.close();
        EXPECT_LE(std::filesystem::file_size(r.Settings()), TsettingsStore::kMaxSettingsBytes);
    }
    EXPECT_NE(r.Log().find("bytes a settings file may hold"), std::string::npos) << r.Log();
}

TEST(HostileFiles, MappingsOfTwoHundredThousandLinesAreAllApplied) {
    HostileRig r;
    {
        std::ofstream out(r.root + "/Settings/mappings.txt", std::ios::binary);
        for (int i = 199999; i >= 0; --i) out << "Someone " << i << "=Mapped " << i << "\r\n";
        out << "Artist 3=Zed mapping\r\n";
        out << "artist 3=Alpha mapping\r\n";
    }
    TtestForm form({"-RootFolder=" + r.root + "/"});
    r.StartAndCheck(form);
    const auto& artists = form.JukeboxList()->ArtistList();
    EXPECT_EQ(artists.Mappings().Count(), 200002);
    // Sorted without regard to case, as line-by-line adding sorts them.
    EXPECT_EQ(artists.Mappings().Strings(0), "artist 3=Alpha mapping");
    const auto& names = artists.DisplayNames();
    // The first line of a name (in sorted order) maps it; the other artists keep theirs.
    EXPECT_GE(names.IndexOf("Alpha mapping"), 0);
    EXPECT_LT(names.IndexOf("Zed mapping"), 0);
    EXPECT_GE(names.IndexOf("Artist 4"), 0);
    form.close();
}

TEST(HostileFiles, ControllerPluginsThatAreNoneAreSkippedWithALogLine) {
    namespace fs = std::filesystem;
    HostileRig r;
    const fs::path plugins = fs::path(r.root) / "ControlPlugins";
    fs::create_directories(plugins);
    r.Write((plugins / "ctrl_text.so").string(), "this is no shared object");
    r.Write((plugins / "ctrl_empty.so").string(), "");
    // A real shared object without the controller's entry point.
    for (const auto& entry : fs::directory_iterator(fs::path(TUNECREST_BIN_DIR) / "TagPlugins"))
        if (entry.path().extension() == ".so") {
            fs::copy_file(entry.path(), plugins / "ctrl_tagger.so");
            break;
        }
    test::MakeFifo((plugins / "ctrl_fifo.so").string());
    test::TfifoWatchdog watchdog({(plugins / "ctrl_fifo.so").string()});
    {
        TtestForm form({"-RootFolder=" + r.root + "/"});
        r.StartAndCheck(form);
        form.close();
    }
    EXPECT_FALSE(watchdog.Finish());
    const std::string log = r.Log();
    EXPECT_NE(log.find("ctrl_text.so does not load"), std::string::npos) << log;
    EXPECT_NE(log.find("ctrl_empty.so does not load"), std::string::npos) << log;
    if (fs::exists(plugins / "ctrl_tagger.so")) {
        EXPECT_NE(log.find("ctrl_tagger.so has no"), std::string::npos) << log;
    }
}

TEST(HostileFiles, CommandLinesOfAMegabyteOrNotUtf8AreIgnoredWithALogLine) {
    HostileRig r;
    const std::string megabyte(size_t(1) << 20, 'a');
    const std::string notUtf8 = "\xFF\xFE\x80 no file \xC3";
    TtestForm form({"-RootFolder=" + r.root + "/", megabyte, notUtf8, "-" + megabyte, "Message=" + megabyte});
    r.StartAndCheck(form);
    const int queued = form.JukeboxList()->Jukebox()->Queue().Count();
    form.ProcessCommandLine({megabyte, notUtf8, "ActivateSlot=" + megabyte, "ActivatePlaylist=" + notUtf8});
    form.RunRemoteCommandLine({notUtf8, megabyte});
    EXPECT_EQ(form.JukeboxList()->Jukebox()->Queue().Count(), queued);
    EXPECT_EQ(form.JukeboxList()->GlobalList().Count(), kLibraryTracks);
    const std::string log = r.Log();
    EXPECT_NE(log.find("A command-line item of 1048576 bytes is longer than any file name"), std::string::npos);
    EXPECT_NE(log.find("A command-line item that is not UTF-8 text names no file"), std::string::npos);
    form.close();
}

// A BMP header of 24-bit pixels, `width` x `height`, followed by `pixels` bytes.
std::string BmpHeader(int32_t width, int32_t height, size_t pixels) {
    std::string b(54, '\0');
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B', b[1] = 'M';
    put(2, uint32_t(54 + pixels));
    put(10, 54);
    put(14, 40);
    put(18, uint32_t(width));
    put(22, uint32_t(height));
    b[26] = 1, b[28] = 24;
    return b + std::string(pixels, '\x40');
}

TEST(HostileFiles, SkinsAPersonMightPickStartTheWindowWithTheLookLoggedAsNotTaken) {
    namespace fs = std::filesystem;
    std::string manyLines;
    for (int i = 0; i < 100000; ++i) manyLines += "[btnPlay" + std::to_string(i) + "]\r\n";
    const std::string pictures = "[btnPlay]\r\nImage=pic.bmp\r\n[pnlButtons]\r\nImage=../../x.bmp\r\n"
                                 "[Keyboard]\r\nKeyImage=pic.bmp\r\n";
    struct Tcase {
        std::string name, usk, picture;  // picture: the bytes of pic.bmp ("fifo" for a FIFO)
    };
    const std::vector<Tcase> cases = {
        {"empty", "", ""},
        {"binary", BmpHeader(2, 2, 16), ""},
        {"lines", manyLines, ""},
        {"truncated", pictures, BmpHeader(64, 64, 100)},
        {"zero", pictures, "empty"},
        {"huge", pictures, BmpHeader(30000, 30000, 64)},
        {"fifo", pictures, "fifo"},
        {"uskfifo", "fifo", ""},
    };
    for (const auto& c : cases) {
        HostileRig r;
        const fs::path skins = fs::path(r.root) / "Skins";
        fs::create_directories(skins);
        fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / "Default", skins / "Default", fs::copy_options::recursive);
        const fs::path folder = skins / "Bad";
        fs::create_directories(folder);
        std::vector<std::string> fifos;
        if (c.usk == "fifo") {
            fifos.push_back(test::MakeFifo((folder / "skin.usk").string()));
        } else {
            r.Write((folder / "skin.usk").string(), c.usk);
        }
        if (c.picture == "fifo") {
            fifos.push_back(test::MakeFifo((folder / "pic.bmp").string()));
        } else if (c.picture == "empty") {
            r.Write((folder / "pic.bmp").string(), "");
        } else if (!c.picture.empty()) {
            r.Write((folder / "pic.bmp").string(), c.picture);
        }
        r.Write(r.root + "/x.bmp", BmpHeader(4, 4, 48));
        r.Write(r.Settings(), "[Skins]\nSkinFile=Bad/skin.usk\n[Geometry]\nFullScreen=0\n");
        test::TfifoWatchdog watchdog(fifos);
        {
            TtestForm form({"-RootFolder=" + r.root + "/"});
            r.StartAndCheck(form);
            form.Skin().WaitForWorker();
            form.show();
            QApplication::processEvents();
            EXPECT_TRUE(form.isVisible()) << c.name;
            form.close();
        }
        EXPECT_FALSE(watchdog.Finish()) << c.name << " blocked the start";
        if (c.name != "empty" && c.name != "lines") {
            EXPECT_NE(r.Log().find("Skin"), std::string::npos) << c.name << ": " << r.Log();
        }
    }
}

}  // namespace
}  // namespace tunecrest
