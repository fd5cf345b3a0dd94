#include "mainwindow/command_line.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "core/base/date_time.h"
#include "core/base/exceptions.h"
#include "core/base/services.h"
#include "mainwindow/exception_log.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

// This test program's application is the product's, so exceptions from slots reach its
// handler. Made before the first test asks for the application.
class TapplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "mainwindow_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new TtunecrestApplication(argc, argv);
    }
};
const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new TapplicationEnvironment);

TEST(CommandLineItems, ValuesAreFoundByNameWithoutRegardToCaseFirstLineWins) {
    const std::vector<std::string> lines = {"RunScan", "activateslot=3", "ActivateSlot=4", "Message=304:0",
                                            "ActivatePlaylist=Friday = Night"};
    EXPECT_EQ(CommandLineValue(lines, "ActivateSlot"), "3");
    EXPECT_EQ(CommandLineValue(lines, "ACTIVATEPLAYLIST"), "Friday = Night") << "split at the first =";
    EXPECT_EQ(CommandLineValue(lines, "Message"), "304:0");
    EXPECT_EQ(CommandLineValue(lines, "RunScan"), "") << "a word has no value";
    EXPECT_EQ(CommandLineValue(lines, "Missing"), "");
    EXPECT_TRUE(CommandLineHasWord(lines, "runscan"));
    EXPECT_FALSE(CommandLineHasWord(lines, "ActivateSlot"));
}

TEST(CommandLineItems, MessageValueGivesTwoNumbersZeroWhenNotANumber) {
    auto check = [](const std::string& value, int w, int l) {
        const TmessageItem item = ParseMessageItem(value);
        EXPECT_EQ(item.WParam, w) << value;
        EXPECT_EQ(item.LParam, l) << value;
    };
    check("304:0", 304, 0);
    check("4", 4, 0);
    check("500:7", 500, 7);
    check("500:7:9", 500, 0);  // only the first colon splits
    check("x:7", 0, 7);
    check("5:", 5, 0);
    check(":", 0, 0);
    check("99999999999:1", 0, 1);  // out of range counts 0
}

TEST(CommandLineItems, ScanWordsSwitchesAndFiles) {
    EXPECT_EQ(ScanRequestOf({"RunScanAndExit", "RunScan"}), srRunScan) << "RunScan goes first";
    EXPECT_EQ(ScanRequestOf({"RunScanAndExit", "runscanatstartup"}), srRunScanAtStartup);
    EXPECT_EQ(ScanRequestOf({"RunScanAndExit"}), srRunScanAndExit);
    EXPECT_EQ(ScanRequestOf({"RunScanNow", "x=RunScan"}), srNone);

    EXPECT_TRUE(HasSwitch({"-CreditMode"}, "creditmode"));
    EXPECT_FALSE(HasSwitch({"/creditmode"}, "creditmode")) << "a leading / is a path here";
    EXPECT_FALSE(HasSwitch({"creditmode", "-creditmodes"}, "creditmode"));

    test::TempDir dir;
    std::ofstream(dir.File("a.mp3")) << "x";
    std::filesystem::create_directory(dir.File("folder"));
    const std::string folder = dir.Path().string();
    const auto files =
        ExistingFileLines({"b.mp3", "a.mp3", "folder", "RunScan", "", dir.File("a.mp3")}, folder);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], dir.File("a.mp3")) << "a relative name is made absolute against the folder";
    EXPECT_EQ(files[1], dir.File("a.mp3"));

    // A second start hands over absolute names; switches and words pass unchanged.
    std::ofstream(dir.File("-x.mp3")) << "x";
    const auto params = AbsoluteFileParams({"a.mp3", "-x.mp3", "RunScan", "missing.mp3"}, folder);
    EXPECT_EQ(params, (std::vector<std::string>{dir.File("a.mp3"), "-x.mp3", "RunScan", "missing.mp3"}));
}

TEST(ExceptionLog, AnExceptionInASlotIsLoggedOnceAndTheLoopGoesOn) {
    test::App();
    auto* app = dynamic_cast<TtunecrestApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    test::TempDir dir;
    const std::string log = dir.File("log.log");
    std::ofstream(log) << "an earlier line\n";
    SetLocaleDateFormats(TlocaleDateFormats{"%Y-%m-%d", "%H:%M:%S"});
    SetClock([] { return EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0); });
    const std::string previous = app->ExceptionLogFile();
    app->SetExceptionLogFile(log);

    bool after = false;
    QTimer::singleShot(0, [] { throw Exception("The disc\r\nwas pulled"); });
    QTimer::singleShot(0, [] { throw std::runtime_error("second"); });
    QTimer::singleShot(5, [&] { after = true; });
    QElapsedTimer waited;
    waited.start();
    while (!after && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_TRUE(after) << "the loop went on after the exceptions";

    app->SetExceptionLogFile(previous);
    SetClock({});
    SetLocaleDateFormats(std::nullopt);
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << "one line each, earlier lines kept";
    EXPECT_EQ(lines[0], "an earlier line");
    EXPECT_EQ(lines[1], "2024-05-06 07:08:09: The disc  was pulled");
    EXPECT_EQ(lines[2], "2024-05-06 07:08:09: second");
}

// The exception log is the error log's file and stays within the same size.
TEST(ExceptionLog, KeepsWithinTheErrorLogsSize) {
    test::TempDir dir;
    const std::string log = dir.File("log.log");
    SetErrorLogFile(log, 400);
    for (int i = 0; i < 100; ++i) AppendExceptionLog(log, "a fault that keeps coming back " + std::to_string(i));
    LogError("and the error log after it");
    SetErrorLogFile("");
    EXPECT_LE(std::filesystem::file_size(log), 400u);
    EXPECT_LE(std::filesystem::file_size(log + kOlderLogSuffix), 400u);
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("and the error log after it\n"), std::string::npos);
}

}  // namespace
}  // namespace tunecrest
