#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/launch_program.h"
#include "remote/screen_saver_disabler.h"

extern char** environ;

namespace tunecrest {
namespace {

// A virtual X display started for the test.
class X11Display : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed";
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The reading end is closed first: it may be descriptor 3 itself.
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "320x240x24", nullptr};
        const int spawned = ::posix_spawnp(&Fpid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        ASSERT_EQ(spawned, 0);
        char c;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') Display += c;
        ::close(pipeFds[0]);
        ASSERT_FALSE(Display.empty());
        Display = ":" + Display;
    }
    void TearDown() override {
        if (Fpid > 0) {
            ::kill(Fpid, SIGTERM);
            ::waitpid(Fpid, nullptr, 0);
        }
    }
    std::string Display;

private:
    pid_t Fpid = 0;
};

TEST_F(X11Display, TheDisplayTimeoutsAreSwitchedOffAndPutBack) {
    auto control = OpenX11ScreenTimeouts(Display);
    ASSERT_NE(control, nullptr);
    std::vector<int> start{300};
    ASSERT_TRUE(control->Read(start));
    // Screen saver 300 s; DPMS standby, suspend and off where the server has DPMS.
    for (size_t i = 0; i < start.size(); ++i) start[i] = 300 + 100 * int(i);
    ASSERT_TRUE(control->Write(start));

    auto observer = OpenX11ScreenTimeouts(Display);
    std::vector<int> seen;
    {
        TscreenSaverDisabler disabler(OpenX11ScreenTimeouts(Display), "unix:path=/nonexistent/bus");
        disabler.SetActive(true);
        ASSERT_TRUE(observer->Read(seen));
        EXPECT_EQ(seen, std::vector<int>(start.size(), 0));
        disabler.SetActive(false);
        ASSERT_TRUE(observer->Read(seen));
        EXPECT_EQ(seen, start);
    }
    EXPECT_FALSE(OpenX11ScreenTimeouts(":9999").get());
}

}  // namespace
}  // namespace tunecrest
