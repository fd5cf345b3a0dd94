#include "mainwindow/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/base/services.h"
#include "core/base/shared_utils.h"
#include "mainwindow/qt_dispatcher.h"
#include "support/fresh_process.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        FoldFolder = WindowMessageFolder();
        SetWindowMessageFolder(Fdir.File("run"));
        std::filesystem::create_directory(Fdir.File("run"));
        std::filesystem::permissions(Fdir.File("run"), std::filesystem::perms::owner_all);
        InstallQtDispatcher();
    }
    void TearDown() override {
        SetDispatcher(nullptr);
        SetWindowMessageFolder(FoldFolder);
    }
    static void Pump(const std::function<bool()>& until, int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (!until() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    test::TempDir Fdir;
    std::string FoldFolder;
};

TEST(CommandLineText, OneManyOrNone) {
    EXPECT_EQ(GetCommandLineText({}), "");
    EXPECT_EQ(GetCommandLineText({"-play"}), "play");
    // A leading "/" begins a path and stays.
    EXPECT_EQ(GetCommandLineText({"/music/a.mp3", "-x", "--y"}), "/music/a.mp3\r\nx\r\n-y\r\n");
    EXPECT_EQ(MakeAlphaNumName(std::string(kApplicationTitle)), "TunecrestAudioSystem");
    struct R {
        int left, top, right, bottom;
    } r{10, 20, 110, 70};
    EXPECT_EQ(RectWidth(r), 100);
    EXPECT_EQ(RectHeight(r), 50);
}

TEST(CommandLineText, HandOverIsCheckedBeforeUse) {
    std::vector<std::string> lines;
    EXPECT_TRUE(DecodeHandOver(0, std::string(1, '\0'), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(DecodeHandOver(2, std::string("a\r\nb\r\n") + '\0', lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(DecodeHandOver(1, std::string("x y") + '\0', lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"x y"}));
    std::string reason;
    EXPECT_FALSE(DecodeHandOver(1, "no zero", lines, &reason));
    EXPECT_FALSE(DecodeHandOver(3, std::string("a\r\nb\r\n") + '\0', lines, &reason));
    EXPECT_FALSE(DecodeHandOver(2, std::string("a\r\nb") + '\0', lines, &reason));
    EXPECT_FALSE(DecodeHandOver(1, std::string("a\0b", 3) + '\0', lines, &reason));
    EXPECT_FALSE(DecodeHandOver(0, "", lines, &reason));
    EXPECT_FALSE(DecodeHandOver(1, std::string(kMaxHandOverBytes + 1, 'a'), lines, &reason));
    // A block refused half-way through its lines leaves none of them behind.
    EXPECT_FALSE(DecodeHandOver(5, std::string("a\r\nb\r\nc\r\n") + '\0', lines, &reason));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(DecodeHandOver(3, std::string("a\r\nb\r\nc") + '\0', lines, &reason));
    EXPECT_TRUE(lines.empty());
}

TEST_F(SingleInstance, LockIsExclusiveAndADeadCopysLockIsTakenOver) {
    int64_t first = 0, second = 0;
    ASSERT_TRUE(CreateInstanceMutex(first, ""));
    EXPECT_FALSE(CreateInstanceMutex(second, ""));
    EXPECT_EQ(second, 0);
    // Another copy of the program, with this test's folder, finds the lock taken.
    const std::string folder = WindowMessageFolder();
    const test::TfreshProcess other = test::RunInFreshProcess(
        [] {
            SetWindowMessageFolder(test::FreshProcessArgument());
            int64_t handle = 0;
            return CreateInstanceMutex(handle, "") ? 1 : 0;
        },
        folder);
    EXPECT_TRUE(other.Exited(0)) << "another copy took the lock held here\n" << other.Output;
    CloseInstanceMutex(first);
    // A copy killed while holding the lock leaves the file; the next start takes it.
    const test::TfreshProcess killed = test::RunInFreshProcess(
        [] {
            SetWindowMessageFolder(test::FreshProcessArgument());
            int64_t handle = 0;
            if (!CreateInstanceMutex(handle, "")) return 1;
            ::kill(::getpid(), SIGKILL);
            return 2;
        },
        folder);
    EXPECT_EQ(killed.Signal, SIGKILL) << "the other copy never took the lock: " << killed.ExitCode << "\n"
                                      << killed.Output;
    EXPECT_TRUE(std::filesystem::exists(InstanceLockFileName(kApplicationTitle, "")));
    int64_t probe = 0;
    EXPECT_TRUE(CreateInstanceMutex(probe, ""));
    CloseInstanceMutex(probe);
}

TEST_F(SingleInstance, RacingStartsLeaveExactlyOneFirstCopy) {
    std::atomic<int> winners{0};
    std::vector<std::thread> starts;
    std::vector<int64_t> handles(8, 0);
    for (int i = 0; i < 8; ++i)
        starts.emplace_back([&, i] {
            if (CreateInstanceMutex(handles[size_t(i)], "")) ++winners;
        });
    for (auto& t : starts) t.join();
    EXPECT_EQ(winners.load(), 1);
    for (auto& h : handles) CloseInstanceMutex(h);
}

TEST_F(SingleInstance, HandOverWhileLoadingIsAcknowledgedAtOnceAndRunLater) {
    TcommandLineReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    // The first copy is still loading: nothing has called SetReady and the main thread
    // is not pumping. The second start must still return promptly.
    bool sent = false;
    std::thread second([&] { sent = SendParamsToRunningInstance(kMainWindowClass, {"/m/a.wav", "/m/b.wav"}); });
    second.join();
    EXPECT_TRUE(sent);
    std::vector<std::vector<std::string>> got;
    receiver.SetReady([&](const std::vector<std::string>& lines) { got.push_back(lines); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (std::vector<std::string>{"/m/a.wav", "/m/b.wav"}));
    // After start-up a hand-over runs on the main thread through the event loop.
    std::thread([&] { SendParamsToRunningInstance(kMainWindowClass, {"-x"}); }).join();
    Pump([&] { return got.size() == 2; });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], (std::vector<std::string>{"x"}));
    // A malformed block is refused and never reaches the handler.
    EXPECT_EQ(SendCopyData(receiver.Handle(), 5, std::string("a\r\n") + '\0'), 0);
    bool forward = false;
    receiver.OnBringForward = [&] { forward = true; };
    LRESULT answer = 0;
    std::thread([&] { answer = SendMessage(FindWindow(std::string(kMainWindowClass), std::nullopt),
                                             kBringForwardMessage, 0, 0); }).join();
    EXPECT_EQ(answer, receiver.Handle());
    Pump([&] { return forward; });
    EXPECT_TRUE(forward);
    EXPECT_EQ(got.size(), 2u);
}

TEST_F(SingleInstance, HandOverOfExactlyTheLimitIsSentAndOneByteOverIsRefusedForItsSize) {
    TcommandLineReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    // One parameter: the text is the parameter itself, then its zero.
    const std::string atLimit(kMaxHandOverBytes - 1, 'a');
    std::vector<std::string> lines;
    std::string reason;
    EXPECT_TRUE(DecodeHandOver(1, atLimit + '\0', lines, &reason)) << reason;
    EXPECT_FALSE(DecodeHandOver(1, atLimit + 'a' + '\0', lines, &reason));
    EXPECT_EQ(reason, "length out of bounds");

    bool sent = false;
    std::thread([&] { sent = SendParamsToRunningInstance(kMainWindowClass, {atLimit}); }).join();
    EXPECT_TRUE(sent);
    bool overSent = true;
    std::thread([&] { overSent = SendParamsToRunningInstance(kMainWindowClass, {atLimit + "a"}); }).join();
    EXPECT_FALSE(overSent) << "refused by the sender for its size";
    std::vector<std::vector<std::string>> got;
    receiver.SetReady([&](const std::vector<std::string>& l) { got.push_back(l); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (std::vector<std::string>{atLimit}));
}

TEST_F(SingleInstance, WhatArrivesBeforeStartUpEndsIsBounded) {
    TcommandLineReceiver receiver;
    ASSERT_TRUE(receiver.IsOpen());
    std::thread([&] {
        for (int i = 0; i < 300; ++i) {
            SendMessage(receiver.Handle(), WM_USER, WPARAM(i), 0);
            SendCopyData(receiver.Handle(), 1, "x" + std::to_string(i) + '\0');
        }
    }).join();
    std::vector<WPARAM> messages;
    receiver.SetMessageHandler([&](uint32_t, WPARAM w, LPARAM) { messages.push_back(w); });
    std::vector<std::string> handOvers;
    receiver.SetReady([&](const std::vector<std::string>& l) { handOvers.push_back(l.at(0)); });
    ASSERT_EQ(messages.size(), kMaxPendingHandOvers);
    ASSERT_EQ(handOvers.size(), kMaxPendingHandOvers);
    // The first ones are kept, in the order they came.
    EXPECT_EQ(messages.front(), 0u);
    EXPECT_EQ(messages.back(), WPARAM(kMaxPendingHandOvers - 1));
    EXPECT_EQ(handOvers.front(), "x0");
    EXPECT_EQ(handOvers.back(), "x" + std::to_string(kMaxPendingHandOvers - 1));
}

// A second start that hands over its command line is the normal road: the log does not
// hear of it, however often it comes; a hand-over that is refused is logged.
TEST_F(SingleInstance, NormalHandOversAreNotLoggedRefusedOnesAre) {
    const std::string log = Fdir.File("log.log");
    SetErrorLogFile(log);
    {
        TcommandLineReceiver receiver;
        ASSERT_TRUE(receiver.IsOpen());
        int got = 0;
        receiver.SetReady([&](const std::vector<std::string>&) { ++got; });
        std::thread([&] {
            for (int i = 0; i < 50; ++i) SendParamsToRunningInstance(kMainWindowClass, {"-Message=4"});
        }).join();
        Pump([&] { return got == 50; });
        EXPECT_EQ(got, 50);
        EXPECT_FALSE(std::filesystem::exists(log) && std::filesystem::file_size(log) > 0);
        EXPECT_EQ(SendCopyData(receiver.Handle(), 2, std::string("a\r\n") + '\0'), 0);
    }
    SetErrorLogFile("");
    ASSERT_TRUE(std::filesystem::exists(log));
    std::ifstream in(log);
    std::string line, all;
    int lines = 0;
    while (std::getline(in, line)) ++lines, all += line;
    EXPECT_EQ(lines, 1);
    EXPECT_NE(all.find("was refused"), std::string::npos) << all;
}

TEST_F(SingleInstance, SecondStartWaitsForAWindowThatAppearsLate) {
    std::unique_ptr<TcommandLineReceiver> receiver;
    bool sent = false;
    std::thread second([&] { sent = SendParamsToRunningInstance(kMainWindowClass, {}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    receiver = std::make_unique<TcommandLineReceiver>();
    second.join();
    EXPECT_TRUE(sent);
    int calls = 0;
    receiver->SetReady([&](const std::vector<std::string>& lines) {
        ++calls;
        EXPECT_TRUE(lines.empty());
    });
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tunecrest
