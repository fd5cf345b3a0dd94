// The error log stays within its size: a line that would take it past the limit first
// moves it aside as the one older log, so a fault that keeps repeating cannot fill the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/base/date_time.h"
#include "core/base/services.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

struct ErrorLog : ::testing::Test {
    void TearDown() override {
        SetErrorLogFile("");
        SetClock(nullptr);
    }
    test::TempDir dir;
    std::string log = dir.File("log.log"), older = dir.File("log.log") + kOlderLogSuffix;
};

TEST_F(ErrorLog, PastItsSizeTheLogStartsAgainAndKeepsOneOlderLog) {
    SetClock([] { return 45000.5; });
    const std::string prefix = FormatDateTimeIso(45000.5) + ": ";  // what each line starts with
    SetErrorLogFile(log, 1000);
    const std::string message(79 - prefix.size(), 'a');  // 80 bytes a line, with its line end
    for (int i = 0; i < 12; ++i) LogError(message);
    // Twelve lines take 960 bytes; a thirteenth of 80 would pass 1000.
    EXPECT_FALSE(std::filesystem::exists(older));
    EXPECT_EQ(std::filesystem::file_size(log), 960u);
    const std::string thirteenth = "thirteenth " + std::string(68 - prefix.size(), 'b');
    LogError(thirteenth);
    ASSERT_TRUE(std::filesystem::exists(older));
    EXPECT_EQ(std::filesystem::file_size(older), 960u);
    EXPECT_EQ(Read(log), prefix + thirteenth + "\n");

    // However many lines follow, the two logs never hold more than twice the limit, and
    // the newest line is always at the end of the log.
    for (int i = 0; i < 5000; ++i) LogError("repeated fault " + std::to_string(i));
    EXPECT_LE(std::filesystem::file_size(log), 1000u);
    EXPECT_LE(std::filesystem::file_size(older), 1000u);
    const std::string text = Read(log);
    EXPECT_NE(text.find("repeated fault 4999\n"), std::string::npos);
    EXPECT_EQ(text.size() - text.rfind("repeated fault 4999\n"), std::string("repeated fault 4999\n").size());
    // Nothing is lost between the two: the older log ends where the log begins.
    const std::string before = Read(older);
    const int lastBefore = std::stoi(before.substr(before.rfind("fault ") + 6));
    const int firstNow = std::stoi(text.substr(text.find("fault ") + 6));
    EXPECT_EQ(firstNow, lastBefore + 1);
}

TEST_F(ErrorLog, OneLineLongerThanTheLimitIsStillWritten) {
    SetErrorLogFile(log, 100);
    LogError(std::string(300, 'x'));
    EXPECT_EQ(Lines(Read(log)), 1);
    LogError("next");
    EXPECT_EQ(Lines(Read(log)), 1);
    EXPECT_NE(Read(log).find("next"), std::string::npos);
    EXPECT_NE(Read(older).find(std::string(300, 'x')), std::string::npos);
}

}  // namespace
}  // namespace tunecrest
