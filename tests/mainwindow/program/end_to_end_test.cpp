// The jukebox from start to close: the real window with the real engine (GStreamer into a
// fakesink), the real tag reader, a library scanned from generated files, and a second
// start of the real program that hands two files over.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/instance/single_instance.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

extern char** environ;

namespace tunecrest {
namespace {

using test::Pump;

std::vector<std::string> Lines(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line != "\r") out.push_back(line);
    return out;
}

TEST(EndToEnd, SecondStartQueuesTwoTracksThatPlayOnceEachAndAllIsSavedAtClose) {
    test::App();
    test::TempDir dir;
    const std::string root = dir.File("root");
    const std::string music = dir.File("music");
    const std::string run = dir.File("run");
    std::filesystem::create_directories(root + "/Settings");
    std::filesystem::create_directories(music);
    std::filesystem::create_directory(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    const std::string first = music + "/first.wav", second = music + "/second.wav", third = music + "/third.wav";
    for (const auto& f : {first, second, third}) ASSERT_TRUE(test::MakeMediaFile(f, test::TmediaFormat::Wav, 1.5));
    {
        std::ofstream ini(root + "/Settings/settings.ini");
        ini << "[Jukebox]\nAudioFolders=" << music << "/\n[RandomPlay]\nEnabled=0\n[Geometry]\nFullScreen=0\n";
    }
    setenv("TUNECREST_AUDIO_SINK", "fakesink sync=true", 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    const std::string oldFolder = WindowMessageFolder();
    SetWindowMessageFolder(run + "/tunecrest");
    InstallQtDispatcher();
    TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());

    int64_t mutex = 0;
    ASSERT_TRUE(CreateInstanceMutex(mutex, ""));
    TcommandLineReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    std::vector<std::string> started;
    {
        TfrmTunecrestMain form({"-RootFolder=" + root}, TUNECREST_BIN_DIR);
        form.ReadDisplaySettings();
        form.DoInitialise();
        auto* list = form.JukeboxList();
        ASSERT_NE(list, nullptr);
        // The new root's folder is scanned off the main thread; the window is up meanwhile.
        EXPECT_TRUE(Pump([&] { return list->GlobalList().Count() == 3; }, 10000)) << "the new root's folder was scanned";
        form.PostInitialise();
        receiver.SetReady([&form](const std::vector<std::string>& lines) { form.RunRemoteCommandLine(lines); });

        // The second start of the real program hands its two files over and ends.
        const std::string program = std::string(TUNECREST_BIN_DIR) + "/tunecrest";
        // Started in the music folder with names relative to it: the running copy, whose
        // working folder is another, still finds the files.
        std::vector<std::string> argvText = {program, "first.wav", "second.wav"};
        std::vector<char*> argv;
        for (auto& a : argvText) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, music.c_str());
        pid_t child = 0;
        const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(spawned, 0);
        int status = -1;
        bool ended = false;
        ASSERT_TRUE(Pump([&] { return ended || (ended = waitpid(child, &status, WNOHANG) == child); }, 15000));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_TRUE(Pump([&] { return list->Jukebox()->Queue().Count() == 2; }, 3000));

        auto* player = list->Jukebox()->Player();
        ASSERT_NE(player, nullptr);
        list->Jukebox()->PlayerEvents()->OnPlaybackStart = [&, inner = list->Jukebox()->PlayerEvents()->OnPlaybackStart](
                                                               TObject* s, const TaudioTagPtr& t) {
            if (t) started.push_back(std::filesystem::path(t->Filename().str()).filename().string());
            inner(s, t);
        };
        form.PlayerPlay();
        ASSERT_TRUE(Pump([&] { return started.size() == 1; }, 5000));
        EXPECT_EQ(started[0], "first.wav");
        ASSERT_TRUE(Pump([&] { return player->GetState() == psPlaying; }, 5000));
        form.PlayerNext();
        ASSERT_TRUE(Pump([&] { return started.size() == 2; }, 5000));
        EXPECT_EQ(started[1], "second.wav");
        ASSERT_TRUE(Pump([&] { return player->GetState() == psStopped; }, 8000)) << "the last track ends";
        EXPECT_EQ(form.Controller().CurrentTrack(), nullptr);
        form.close();
        Pump([] { return false; }, 300);
        EXPECT_EQ(started.size(), 2u) << "closing starts no new track";
    }
    SetDispatcher(nullptr);
    CloseInstanceMutex(mutex);
    SetWindowMessageFolder(oldFolder);
    TaggerLoader().SetPluginFolder("");

    const auto history = Lines(root + "/Data/history.txt");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_NE(history[0].find("first.wav"), std::string::npos);
    EXPECT_NE(history[1].find("second.wav"), std::string::npos);
    TlocalJukeboxList reloaded;
    reloaded.SetDataFolder(root + "/Data/");
    ASSERT_TRUE(std::filesystem::exists(root + "/Data/queue.dat"));
    reloaded.Jukebox()->LoadQueue();
    EXPECT_EQ(reloaded.Jukebox()->Queue().Count(), 0);
    reloaded.LoadPopularList();
    EXPECT_EQ(reloaded.PopularList().Count(), 2) << "each queued track counted once";
    const TiniFile ini(root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadString("Jukebox", "AudioFolders", ""), music + "/");
    EXPECT_TRUE(ini.ValueExists("Geometry", "Width"));
    EXPECT_TRUE(std::filesystem::exists(root + "/Data/jukebox.dat"));
}

}  // namespace
}  // namespace tunecrest
