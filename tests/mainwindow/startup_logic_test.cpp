// The folder tree, the idle monitor and the main-thread dispatcher.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <thread>

#include "core/base/thread_timer.h"
#include "mainwindow/idle_monitor.h"
#include "mainwindow/jukebox_folders.h"
#include "mainwindow/qt_dispatcher.h"
#include "playback/image_getter.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

TEST(JukeboxFolders, RootSwitchIsAbsoluteWithSeparator) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "root");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    TjukeboxFolders relative({"-rootfolder=root"}, "/opt/prog/");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(relative.RootFolder(), (dir.Path() / "root").string() + "/");

    TjukeboxFolders quoted({"x.mp3", "-RootFolder=\"" + (dir.Path() / "root").string() + "\""}, "/opt/prog");
    EXPECT_EQ(quoted.RootFolder(), (dir.Path() / "root").string() + "/");
    EXPECT_EQ(quoted.SettingsFileName(), quoted.RootFolder() + "Settings/settings.ini");
    EXPECT_EQ(quoted.MappingsFileName(), quoted.RootFolder() + "Settings/mappings.txt");

    // Only the "-" form: "/RootFolder=" is a path here. A missing folder falls back to the
    // program's folder where the user may write there, else to the per-user folder.
    const std::string program = dir.Path().string();
    TjukeboxFolders slash({"/RootFolder=" + dir.Path().string()}, program, "/home/u/.local/share/tunecrest");
    EXPECT_EQ(slash.RootFolder(), program + "/");
    TjukeboxFolders missing({"-RootFolder=" + (dir.Path() / "nope").string()}, "/opt/prog/", "/home/u/data/");
    EXPECT_EQ(missing.RootFolder(), "/home/u/data/");

    ASSERT_TRUE(quoted.CreateFolders(true));
    for (const char* name : {"Data", "Settings", "Cartridges", "Reports", "Plugins", "Docs", "ControlPlugins",
                             "Skins", "TagPlugins"})
        EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "root" / name)) << name;
}

struct TidleRig {
    int64_t Clock = 0;
    bool Saver = false;
    bool Active = true;
    bool Video = false;
    int Starts = 0;
    int Closes = 0;
    TidleMonitor Monitor{[this] { return Clock; }};
    TidleRig() {
        Monitor.HasScreenSaver = [] { return true; };
        Monitor.ScreenSaverVisible = [this] { return Saver; };
        Monitor.MainWindowActive = [this] { return Active; };
        Monitor.PlayingVideo = [this] { return Video; };
        Monitor.OnStartScreenSaver = [this] { ++Starts, Saver = true; };
        Monitor.OnCloseScreenSaver = [this] { ++Closes, Saver = false; };
        Monitor.SetEnabled(true);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            Clock += 500;
            Monitor.Tick();
        }
    }
};

TEST(IdleMonitor, TimeoutStartsTheSaverOnceAndActivityEndsIt) {
    TidleRig rig;
    rig.Monitor.SetTimeout(1);
    rig.Ticks(120);  // exactly one minute: not yet
    EXPECT_EQ(rig.Starts, 0);
    rig.Ticks(1);
    EXPECT_EQ(rig.Starts, 1);
    rig.Ticks(500);  // the showing saver is left alone
    EXPECT_EQ(rig.Starts, 1);
    // Four moves are not activity, a click is.
    for (int i = 0; i < 4; ++i) rig.Monitor.MouseMoved();
    rig.Ticks(1);
    EXPECT_EQ(rig.Closes, 0);
    rig.Monitor.MouseButton();
    rig.Ticks(1);
    EXPECT_EQ(rig.Closes, 1);
    EXPECT_EQ(rig.Monitor.IdleTime(), 0);
}

TEST(IdleMonitor, ActivityAndOtherWindowsResetIdleTime) {
    TidleRig rig;
    rig.Monitor.SetTimeout(0);  // 0.1 minute: six seconds
    rig.Ticks(10);
    rig.Monitor.KeyDown();
    rig.Ticks(1);
    EXPECT_EQ(rig.Monitor.IdleTime(), 0);
    rig.Active = false;  // a dialog is active
    rig.Ticks(50);
    EXPECT_EQ(rig.Starts, 0);
    rig.Active = true;
    rig.Ticks(12);
    EXPECT_EQ(rig.Starts, 0);
    rig.Ticks(1);
    EXPECT_EQ(rig.Starts, 1);
    // A video keeps the saver off and closes a showing one.
    rig.Video = true;
    rig.Ticks(1);
    EXPECT_EQ(rig.Closes, 1);
    rig.Ticks(100);
    EXPECT_EQ(rig.Starts, 1);
    rig.Monitor.SetDisableDuringVideo(false);
    rig.Ticks(13);
    EXPECT_EQ(rig.Starts, 2);
}

TEST(IdleMonitor, AStalledLoopIsNotALongQuietSpell) {
    TidleRig rig;
    rig.Monitor.SetTimeout(1);
    rig.Clock += 10 * 60 * 1000;
    rig.Monitor.Tick();
    EXPECT_EQ(rig.Starts, 0);
    EXPECT_EQ(rig.Monitor.IdleTime(), 1000);
}

TEST(QtDispatcher, WorkersStartedFirstStillRunHandlersOnTheMainThread) {
    test::App();
    InstallQtDispatcher();
    const auto mainThread = std::this_thread::get_id();
    // A worker touches the dispatcher before the main thread does anything else with it.
    std::thread::id timerThread;
    bool fromWorker = true;
    std::thread([&] { fromWorker = Dispatcher().IsMainThread(); }).join();
    EXPECT_FALSE(fromWorker);

    tmyjvthreadTimer timer;
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](TObject*) {
        timerThread = std::this_thread::get_id();
        ++ticks;
    });
    timer.SetEnabled(true);

    TimageGetter getter;
    std::thread::id imageThread;
    bool imageDone = false;
    getter.OnChange = [&](TObject*) {
        imageThread = std::this_thread::get_id();
        imageDone = true;
    };
    getter.GetImage("/nonexistent/picture.jpg");

    QElapsedTimer wait;
    wait.start();
    while ((ticks < 2 || !imageDone) && wait.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    timer.SetEnabled(false);
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(timerThread, mainThread);
    EXPECT_TRUE(imageDone);
    EXPECT_EQ(imageThread, mainThread);
    SetDispatcher(nullptr);
}

}  // namespace
}  // namespace tunecrest
