// Remote control reaching the real window: a controller plug-in loaded from the root's
// ControlPlugins folder sends a command from a thread of its own, as an infrared receiver
// does, and the window hears it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "core/base/services.h"
#include "mainwindow/window/idle_monitor.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/entries/window_entries.h"
#include "remote/controller_hub.h"
#include "remote/controller_plugins.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

TEST(RemoteControl, APlugInsCommandFromItsOwnThreadReachesTheWindowAndWakesTheScreen)
{
    test::App();
    test::TempDir dir;
    const fs::path root = dir.Path() / "root";
    for (const char* name : {"Data", "Settings", "ControlPlugins"}) fs::create_directories(root / name);
    const fs::path plugin = root / "ControlPlugins" / "ctrl_ir.so";
    fs::copy_file(fs::path(TUNECREST_LIB_DIR) / "fake_controller.so", plugin);
    std::ofstream(root / "Settings" / "settings.ini") << "[Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n";
    std::ofstream(root / "Settings" / "ctrl_ir.ini") << "[DEFAULT]\nSTOP=actnControlStop\n";
    const auto dispatcher = InstallQtDispatcher();
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 1);
    {
        TfrmTunecrestMain form({"-RootFolder=" + root.string() + "/"}, TUNECREST_BIN_DIR);
        InstallWindowEntries(form);
        form.ReadDisplaySettings();
        form.DoInitialise();
        form.show();
        ASSERT_NE(form.ControllerHub(), nullptr);
        ASSERT_EQ(form.ControllerHub()->PluginLoader().Count(), 1);

        std::vector<std::string> heard;
        const auto callback = form.ControllerHub()->OnControllerCallback;
        ASSERT_TRUE(callback) << "the window gave the hub no callback";
        form.ControllerHub()->OnControllerCallback = [&](Tcontroller* hub, TcontrollerPlugin* from,
                                                          std::string& command) {
            heard.push_back(command);
            callback(hub, from, command);
        };

        form.IdleMonitor().StartScreenSaver();
        ASSERT_TRUE(form.DialogEntries().ScreenSaverVisible());
        // The touch that started it is spent at the idle timer's first tick.
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.IdleMonitor().Activity() == 0; }, 5000));
        void* handle = dlopen(plugin.c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(handle, nullptr);
        const char* commands[] = {"STOP"};
        reinterpret_cast<void (*)(const char* const*, int)>(dlsym(handle, "FakeControllerSendFromThread"))(commands,
                                                                                                           1);
        dlclose(handle);
        // The button press is someone at the jukebox: the saver closes at the idle timer's next tick.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form.DialogEntries().ScreenSaverVisible(); }, 5000));
        EXPECT_EQ(heard, (std::vector<std::string>{"STOP"}));
        form.close();
    }
    unsetenv("TUNECREST_AUDIO_SINK");
}

}  // namespace
}  // namespace tunecrest
