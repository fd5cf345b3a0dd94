// Every test program stops a test that hangs and names it (tests/support/test_main.cpp).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Runs only when asked for by name below: it never ends by itself.
TEST(TestProgramWatchdog, DISABLED_HangsForEver) {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

TEST(TestProgramWatchdog, AHangingTestEndsTheProgramWithItsName) {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    ASSERT_GT(length, 0);
    const std::string self(path, size_t(length));
    const std::string command = "TUNECREST_TEST_TIMEOUT=1 " + self +
                                " --gtest_also_run_disabled_tests"
                                " --gtest_filter=TestProgramWatchdog.DISABLED_HangsForEver 2>&1";
    const auto start = std::chrono::steady_clock::now();
    FILE* child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, child)) output.append(buffer, n);
    const int status = pclose(child);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 124) << output;
    EXPECT_NE(output.find("TestProgramWatchdog.DISABLED_HangsForEver did not finish within 1 s"), std::string::npos)
        << output;
    EXPECT_LT(seconds, 60) << "stopped near its second, not left to hang";
}

}  // namespace
