#include <gtest/gtest.h>

#include <string>

#include "platform/launch_program.h"
#include "remote/screen_saver_disabler.h"
#include "support/private_x_server.h"

namespace tunecrest {
namespace {

// A virtual X display started for the test.
class X11Display : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_FALSE(Fserver.Name().empty()) << "Xvfb did not start";
        Display = Fserver.Name();
    }
    test::TprivateXServer Fserver;
    std::string Display;
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
