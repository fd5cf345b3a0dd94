// A new owner's first start, through the real window and its real dialogs: from an empty
// root, Settings -> Media Folders opens the media search options, "Add" picks a folder in
// the touch chooser (which starts in the user's music folder), and closing the options
// scans it, so the generated files are in the library and its browse tree.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <QLabel>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/tags/media_kinds.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/entries/window_entries.h"
#include "playback/filter_graph.h"
#include "playback/video/filter_graph_panel.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/touch_list_box.h"
#include "support/env_scope.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/tree_text.h"
#include "windows/dialogs/file_chooser.h"
#include "windows/search/music_search_form.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::Pump;

// The user's folders: music in the test's own folder.
class TuserFolders : public TsystemServices {
public:
    std::string GetSpecialFolderPath(TspecialFolder folder) override {
        if (folder == TspecialFolder::sfMusic) return Music;
        if (folder == TspecialFolder::sfHome) return Home;
        return {};
    }
    std::string Music, Home;
};

// Runs the menu item `caption` of the menu bar's `menu` as a touch on it does.
bool TriggerMenuItem(TfrmBaseJukebox& form, const QString& menu, const QString& caption) {
    for (QAction* top : form.MainMenuBar()->actions()) {
        if (top->text() != menu || !top->menu()) continue;
        Q_EMIT top->menu()->aboutToShow();
        for (QAction* item : top->menu()->actions())
            if (item->text() == caption && item->isVisible() && item->isEnabled()) {
                item->trigger();
                return true;
            }
    }
    return false;
}

struct FirstRunRig {
    test::TempDir dir;
    std::string root, music;
    std::shared_ptr<TuserFolders> folders = std::make_shared<TuserFolders>();
    std::shared_ptr<TsystemServices> previousServices;
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    test::TenvScope silentSink{"TUNECREST_AUDIO_SINK", "fakesink sync=false"};

    FirstRunRig() {
        test::App();
        root = dir.File("root") + "/";
        music = dir.File("Music");
        fs::create_directories(root);
        fs::create_directories(music + "/Live");
        folders->Music = music;
        folders->Home = dir.File("");
        previousServices = SetSystemServices(folders);
        previousPrompt = SetPrompt(std::make_shared<TskinnedPrompt>());
        InstallQtDispatcher();
        TaggerLoader().SetPluginFolder((fs::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
    }
    ~FirstRunRig() {
        SetPrompt(previousPrompt);
        SetSystemServices(previousServices);
        TaggerLoader().SetPluginFolder("");
        SetDispatcher(nullptr);
    }
};

TEST(FirstRun, MediaFoldersFromTheMenuAddAFolderInTheChooserAndTheScanFillsTheTree) {
    FirstRunRig r;
    ASSERT_TRUE(test::MakeMediaFile(r.music + "/Opening Song.wav", test::TmediaFormat::Wav, 0.5));
    ASSERT_TRUE(test::MakeMediaFile(r.music + "/Second Song.ogg", test::TmediaFormat::OggVorbis, 0.5));
    ASSERT_TRUE(test::MakeMediaFile(r.music + "/Live/Encore.wav", test::TmediaFormat::Wav, 0.5));

    // The engine named, so the player question (covered by its own tests) is not asked.
    TfrmTunecrestMain form({"-RootFolder=" + r.root, "-PlayerType=DSHOW"}, TUNECREST_BIN_DIR);
    InstallWindowEntries(form);
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto* list = form.JukeboxList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GlobalList().Count(), 0);
    EXPECT_EQ(list->AudioFolders().Count(), 0);

    // The options: "Add" asks for a folder in the chooser, which starts in the music
    // folder, where "Choose" takes it.
    std::string chooserStart;
    r.runner->Push([&](QDialog& d) {
        auto& options = dynamic_cast<TfrmMusicSearch&>(d);
        EXPECT_EQ(options.windowTitle(), "Media Search");
        r.runner->Push([&](QDialog& c) {
            auto& chooser = dynamic_cast<TfrmFileChooser&>(c);
            EXPECT_EQ(chooser.windowTitle(), "Choose an Audio Folder");
            chooserStart = chooser.Folder();
            PressButton(*chooser.btnOK);
        });
        options.btnAdd->click();
        EXPECT_EQ(options.clbFolders->count(), 1);
        // Closing the options scans the new folder in the scan window, which closes itself.
        r.runner->Push([&](QDialog& scan) {
            EXPECT_NE(dynamic_cast<TfrmMusicSearch*>(&scan), nullptr);
            EXPECT_TRUE(Pump([&] { return !scan.isVisible(); }, 20000)) << "the scan window closes when done";
        });
        options.btnClose->click();
    });
    ASSERT_TRUE(TriggerMenuItem(form, "Settings", "&Media Folders"));
    EXPECT_EQ(r.runner->Pending(), 0);
    EXPECT_EQ(chooserStart, r.music);
    ASSERT_EQ(list->AudioFolders().Count(), 1);
    EXPECT_EQ(fs::path(list->AudioFolders().Strings(0)).lexically_normal(), fs::path(r.music).lexically_normal());
    EXPECT_EQ(list->GlobalList().Count(), 3);

    // The folder is in the settings file at once, and the tree shows the tracks.
    EXPECT_NE(TiniFile(r.root + "Settings/settings.ini").ReadString("Jukebox", "AudioFolders", "").find(r.music),
              std::string::npos);
    auto* tree = form.findChild<TtouchTreeView*>("tvJukeboxList");
    ASSERT_NE(tree, nullptr);
    ASSERT_TRUE(Pump([&] { return tree->Nodes().Count() > 0; }, 5000));
    const std::vector<std::string> nodes = test::Describe(tree->Nodes());
    // Letters at the top; the scanned tracks' names below them.
    std::string text;
    int below = 0;
    for (const auto& line : nodes) {
        text += line + "\n";
        if (!line.empty() && line[0] == ' ') ++below;
    }
    EXPECT_GE(below, 3) << text;

    // Opening the options again and closing them without a change scans nothing more.
    r.runner->Push([](QDialog& d) { dynamic_cast<TfrmMusicSearch&>(d).btnClose->click(); });
    ASSERT_TRUE(TriggerMenuItem(form, "Settings", "&Media Folders"));
    EXPECT_EQ(r.runner->Pending(), 0);
    EXPECT_EQ(r.runner->Titles.size(), 4u);
    form.close();
}

TEST(FirstRun, TheWindowTakesTheLayoutsSizeAndNoCaptionIsCutInEitherSkin) {
    FirstRunRig r;
    TfrmTunecrestMain form({"-RootFolder=" + r.root, "-PlayerType=DSHOW"}, TUNECREST_BIN_DIR);
    form.ReadDisplaySettings();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Settings().Geometry.Width, std::min(1280, area.width()));
    EXPECT_EQ(form.Settings().Geometry.Height, std::min(800, area.height()));
    form.WriteDisplaySettings();
    TiniFile ini(r.root + "Settings/settings.ini");
    EXPECT_EQ(ini.ReadInteger("Geometry", "Width", 0), std::min(1280, area.width()));
    // A size once stored is kept.
    ini.WriteInteger("Geometry", "Width", 1000);
    ini.WriteInteger("Geometry", "Height", 700);
    ASSERT_TRUE(ini.UpdateFile());
    form.ReadDisplaySettings();
    EXPECT_EQ(form.Settings().Geometry.Width, 1000);

    form.Settings().FullScreen = false;
    form.setWindowState(Qt::WindowNoState);
    form.show();
    for (const char* skin : {"Default/skin.usk", "Classic/skin.usk"}) {
        bool loaded = false;
        form.SetSkinFile(skin, [&](bool ok, const std::string&) { loaded = ok; });
        ASSERT_TRUE(Pump([&] { return loaded; }, 10000)) << skin;
        for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
            form.resize(size);
            Pump([] { return false; }, 50);
            for (QWidget* w : form.findChildren<QWidget*>()) {
                auto* b = dynamic_cast<TmySkinButton*>(w);
                if (!b || !b->isVisible() || b->Caption().empty() || !form.isAncestorOf(b)) continue;
                const int text = QFontMetrics(ScreenFont(b->Font())).horizontalAdvance(QString::fromStdString(b->Caption()));
                EXPECT_LE(text + 8, b->width()) << skin << " " << size.width() << " " << b->objectName().toStdString();
                EXPECT_GE(b->height(), 48) << b->objectName().toStdString();
            }
        }
    }
    form.close();
}

TEST(FirstRun, AVideoInTheAudioFoldersIsAVideoAndTheVideoFoldersFillTheVideoList) {
    FirstRunRig r;
    const std::string videos = r.dir.File("Videos");
    fs::create_directories(videos + "/Concerts");
    ASSERT_TRUE(test::MakeMediaFile(r.music + "/Song.wav", test::TmediaFormat::Wav, 0.5));
    ASSERT_TRUE(test::MakeMediaFile(r.music + "/Clip.mp4", test::TmediaFormat::Mp4Video, 1.0));
    ASSERT_TRUE(test::MakeMediaFile(videos + "/Concerts/Live.mp4", test::TmediaFormat::Mp4Video, 1.0));
    TfrmTunecrestMain form({"-RootFolder=" + r.root, "-PlayerType=DSHOW"}, TUNECREST_BIN_DIR);
    InstallWindowEntries(form);
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto* list = form.JukeboxList();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->VideoSupport());
    list->AudioFolders().Add(r.music);
    list->VideoFolders().Add(videos);
    r.runner->Push([&](QDialog& scan) {
        EXPECT_TRUE(Pump([&] { return !scan.isVisible(); }, 20000)) << "the scan window closes when done";
    });
    ASSERT_TRUE(form.RunAction("actnFileScanFolders"));
    // The audio folders' video joins the library as a video (kind 2), not as a song.
    ASSERT_EQ(list->GlobalList().Count(), 2);
    int videoKinds = 0;
    for (int i = 0; i < list->GlobalList().Count(); ++i)
        if (list->GlobalList().GetTag(i)->MediaType() == mkVideo) ++videoKinds;
    EXPECT_EQ(videoKinds, 1);
    // The video folders fill the video list, which the [Videos] branch shows.
    ASSERT_EQ(list->VideoList().Count(), 1);
    EXPECT_EQ(list->VideoList().GetTag(0)->MediaType(), mkVideo);
    EXPECT_EQ(fs::path(list->VideoList().GetTag(0)->Filename().str()).filename(), "Live.mp4");

    // Played, the video shows its picture in the window's video panel.
    auto* panel = dynamic_cast<TmyFilterGraphPanel*>(form.VideoPanel());
    ASSERT_NE(panel, nullptr);
    form.show();
    EXPECT_FALSE(panel->isVisible());
    list->AddToQueue(*list->VideoList().GetTag(0));
    form.PlayerPlay();
    EXPECT_TRUE(Pump([&] { return panel->isVisible() && !panel->CurrentFrame().isNull(); }, 10000));
    EXPECT_TRUE(form.isAncestorOf(panel));
    form.PlayerStop();
    form.close();
}

TEST(FirstRun, WithoutASoundDeviceTheStatusLineAndTheLogSaySoAndTheQueueIsKept) {
    FirstRunRig r;
    const std::string song = r.music + "/Unheard.wav";
    ASSERT_TRUE(test::MakeMediaFile(song, test::TmediaFormat::Wav, 0.5));
    // No sound server and no sound card: the automatic output has nothing to open.
    const std::string emptyAlsa = r.dir.File("asound.conf");
    std::ofstream(emptyAlsa) << "";
    test::TenvScope sink("TUNECREST_AUDIO_SINK", nullptr), pulse("PULSE_SERVER", "unix:/nonexistent/pulse"),
        alsa("ALSA_CONFIG_PATH", emptyAlsa.c_str()), pipewire("PIPEWIRE_REMOTE", "/nonexistent/pipewire"),
        runtime("XDG_RUNTIME_DIR", r.dir.File("").c_str());

    // The engine named, so the player question (covered by its own tests) is not asked.
    TfrmTunecrestMain form({"-RootFolder=" + r.root, "-PlayerType=DSHOW"}, TUNECREST_BIN_DIR);
    InstallWindowEntries(form);
    form.ReadDisplaySettings();
    form.DoInitialise();
    const std::string log = r.root + "Data/log.log";
    SetErrorLogFile(log);
    auto* list = form.JukeboxList();
    ASSERT_NE(list, nullptr);
    TaudioTagPtr tag = list->GlobalList().CreateTagFromFile(song);
    ASSERT_NE(tag, nullptr);
    list->AddToQueue(*tag);
    ASSERT_EQ(list->Jukebox()->Queue().Count(), 1);
    form.PlayerPlay();
    auto* status = form.findChild<QLabel*>("lblStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(Pump([&] { return status->text().toStdString() == kNoSoundDevice; }, 5000))
        << status->text().toStdString();
    EXPECT_EQ(list->Jukebox()->Queue().Count(), 1) << "the track waits for a sound device";
    EXPECT_EQ(list->Jukebox()->Player()->GetState(), psStopped) << "no clock runs in silence";
    EXPECT_EQ(form.Controller().CurrentTrack(), nullptr);
    SetErrorLogFile("");
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    EXPECT_NE(text.str().find(kNoSoundDevice), std::string::npos) << text.str();
    form.close();
}

}  // namespace
}  // namespace tunecrest
