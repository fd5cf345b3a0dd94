#include "mainwindow/entries/window_entries.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>

#include "mainwindow/window/idle_monitor.h"
#include "mainwindow/window/main_form.h"
#include "skin/html_label.h"
#include "support/fake_media_player.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/scripted_modal_runner.h"
#include "windows/settings/screen_saver.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

class TentriesForm : public TfrmCustomTunecrest {
public:
    explicit TentriesForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/")
    {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

// The saver starts after the idle time-out (the clock is the test's) and the first
// touch, or activity counted by the monitor, closes it.
TEST(WindowEntries, ScreenSaverAfterIdleTimeoutClosedByTouch)
{
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    TentriesForm form({"-RootFolder=" + root});
    InstallWindowEntries(form);
    TdialogEntries& entries = form.DialogEntries();
    ASSERT_TRUE(entries.HasScreenSaver());

    int64_t now = 0;
    TidleMonitor monitor([&] { return now; });
    monitor.HasScreenSaver = [&] { return entries.HasScreenSaver(); };
    monitor.ScreenSaverVisible = [&] { return entries.ScreenSaverVisible(); };
    monitor.MainWindowActive = [] { return true; };
    monitor.OnStartScreenSaver = [&] { entries.ShowScreenSaver(); };
    monitor.OnCloseScreenSaver = [&] { entries.CloseScreenSaver(); };
    monitor.SetTimeout(1);
    monitor.SetEnabled(true);
    for (int i = 0; i < 120; ++i) {
        now += TidleMonitor::kInterval;
        monitor.Tick();
    }
    EXPECT_FALSE(entries.ScreenSaverVisible());
    now += TidleMonitor::kInterval;
    monitor.Tick();
    ASSERT_TRUE(entries.ScreenSaverVisible());
    // Nothing plays: the saver shows the program's title.
    EXPECT_NE(ScreenSaverForm().lblTitle->Caption().find(qApp->applicationName().toStdString()), std::string::npos);

    QTest::mouseClick(ScreenSaverForm().lblTitle, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(entries.ScreenSaverVisible());

    // Shown again; input counted by the monitor closes it on the next tick.
    now += TidleMonitor::kInterval;
    monitor.Tick();
    entries.ShowScreenSaver();
    ASSERT_TRUE(entries.ScreenSaverVisible());
    monitor.MouseButton();
    now += TidleMonitor::kInterval;
    monitor.Tick();
    EXPECT_FALSE(entries.ScreenSaverVisible());
}

// The settings commands open their windows; a cancelled window changes nothing.
TEST(WindowEntries, SettingsCommandsOpenTheirWindows)
{
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    std::filesystem::create_directories(root + "/Settings");
    TentriesForm form({"-RootFolder=" + root});
    InstallWindowEntries(form);
    auto previousPrompt = SetPrompt(std::make_shared<TskinnedPrompt>());
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    const char* commands[] = {"actnSettingsGeneral", "actnSettingsScreenSaver", "actnSettingsAlarmClock",
                              "actnSettingsEditSlots", "actnRandomPlayFilters", "actnSettingsSkins"};
    for (size_t i = 0; i < std::size(commands); ++i) runner->Push([](QDialog& d) { d.done(mrCancel); });
    for (const char* name : commands) EXPECT_TRUE(form.Actions().ExecuteByName(name)) << name;
    SetPrompt(previousPrompt);
    EXPECT_EQ(runner->Titles, (std::vector<std::string>{"Preferences", "Preferences", "Alarm Clock Settings",
                                                        "Slot Allocations", "Random Play Filters", "Skins"}));
    EXPECT_EQ(runner->Pending(), 0);
}

}  // namespace
}  // namespace tunecrest
