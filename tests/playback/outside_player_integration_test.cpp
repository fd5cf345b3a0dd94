// The outside-player engine driving the real stand-in program, which plays to a fake sink.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "core/base/services.h"
#include "playback/outside_player_engine.h"
#include "support/env_scope.h"
#include "support/media_files.h"
#include "support/player_event_recorder.h"
#include "support/private_x_server.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
constexpr const char* kClass = "Integration Player";

class OutsidePlayerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", Ftemp.Path().c_str(), 1);
        ::setenv("TUNECREST_AUDIO_SINK", "fakesink", 1);
        ::setenv("TUNECREST_VIDEO_SINK", "fakesink", 1);
        SetWindowMessageFolder("");
        Fdispatcher = std::make_shared<TqueueDispatcher>();
        Fprevious = SetDispatcher(Fdispatcher);
    }
    void TearDown() override {
        SetDispatcher(Fprevious);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("TUNECREST_AUDIO_SINK");
        ::unsetenv("TUNECREST_VIDEO_SINK");
    }

    TaudioTagPtr Tone(const std::string& name, double seconds) {
        const std::string path = Ftemp.File(name);
        EXPECT_TRUE(test::MakeMediaFile(path, test::TmediaFormat::Wav, seconds));
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename(path);
        tag->SetMediaType(1);
        return tag;
    }
    // Runs the main thread (the engine's poll) until `done` or the time is up.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < deadline) Fdispatcher->WaitAndProcess(20);
        return done();
    }

    test::TempDir Ftemp;
    std::shared_ptr<TqueueDispatcher> Fdispatcher;
    std::shared_ptr<TmainThreadDispatcher> Fprevious;
    test::PlayerEventRecorder Frecorder;
};

TEST_F(OutsidePlayerIntegrationTest, PlaysTwoFilesAndRelaunchesAKilledPlayer) {
    TwinampMediaPlayer engine;
    engine.SetEvents(&Frecorder.Events);
    engine.SetWindowClass(kClass);
    engine.DataFolder = Ftemp.Path().string();
    engine.AutoRelaunch = true;
    // The end of the last track is only found once playing has been reported (after 2 s
    // of polls, which a loaded machine slows down). So b is long, and once playing is
    // reported it is moved to its last second to end there by itself.
    Frecorder.Queue = {Tone("a.wav", 1.0), Tone("b.wav", 30.0)};
    const auto c = Tone("c.wav", 10.0);  // still playing when it is checked

    engine.Initialise(0);
    const HWND first = FindWindow(kClass, std::nullopt);
    ASSERT_NE(0, first) << "the stand-in was not started from " << FindWinampFolder();
    ASSERT_TRUE(engine.Polling());
    engine.Play();
    ASSERT_TRUE(RunUntil([&] { return Frecorder.Starts.size() >= 2 && !Frecorder.States.empty(); }, 25000))
        << "started " << Frecorder.Starts.size() << ", states " << Frecorder.States.size();
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);
    // A seek the loaded player does not answer in time is lost: b then ends by itself, so
    // the wait outlasts its whole length.
    engine.SetPosition(29000);
    ASSERT_TRUE(RunUntil([&] { return Frecorder.Starts.size() >= 3; }, 45000))
        << "started " << Frecorder.Starts.size() << ", state " << int(engine.GetState());
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "<none>"}), Frecorder.Starts);
    EXPECT_EQ(psStopped, engine.GetState());

    // The player dies; the next message starts it again and playing goes on.
    Frecorder.Queue = {c};
    ::kill(pid_t(first >> 24), SIGKILL);
    ASSERT_TRUE(RunUntil([&] { return !IsWindow(first); }, 5000));
    ASSERT_TRUE(RunUntil([&] { return Frecorder.Starts.back() == "c.wav"; }, 20000));
    const HWND second = FindWindow(kClass, std::nullopt);
    EXPECT_NE(0, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(psPlaying, engine.GetState());

    // Closing down stops and closes the player.
    engine.Uninitialise();
    EXPECT_TRUE(RunUntil([&] { return !IsWindow(second); }, 5000));
}

TEST_F(OutsidePlayerIntegrationTest, AStoppedPlayerIsLeftAloneUntilItAnswersAgain) {
    TwinampMediaPlayer engine;
    engine.SetEvents(&Frecorder.Events);
    engine.SetWindowClass(kClass);
    engine.DataFolder = Ftemp.Path().string();
    engine.MessageTimeoutMs = 300;
    Frecorder.Queue = {Tone("long.wav", 8.0), Tone("next.wav", 1.0)};
    engine.Initialise(0);
    const HWND window = FindWindow(kClass, std::nullopt);
    ASSERT_NE(0, window);
    engine.Play();
    ASSERT_TRUE(RunUntil([&] { return !Frecorder.Starts.empty(); }, 5000));
    const pid_t player = pid_t(window >> 24);

    // The player stops answering (as a hung process would): the engine marks it and the
    // polls go on without advancing, asking, or starting a second player.
    ::kill(player, SIGSTOP);
    RunUntil([&] { return false; }, 1500);
    EXPECT_TRUE(engine.Unanswering());
    EXPECT_EQ(std::vector<std::string>{"long.wav"}, Frecorder.Starts);
    EXPECT_EQ(psStopped, engine.GetState());  // answered at once while unanswering

    ::kill(player, SIGCONT);
    EXPECT_TRUE(RunUntil([&] { return !engine.Unanswering() && engine.GetState() == psPlaying; }, 5000));
    EXPECT_EQ(window, FindWindow(kClass, std::nullopt));
    EXPECT_EQ(std::vector<std::string>{"long.wav"}, Frecorder.Starts);
    engine.Uninitialise();
    EXPECT_TRUE(RunUntil([&] { return !IsWindow(window); }, 5000));
}

// What the processes started while it lives write to standard error goes to `path` (they
// inherit this process's standard error).
class TstandardErrorTo {
public:
    explicit TstandardErrorTo(const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Fsaved = ::dup(2);
        if (fd >= 0) {
            ::dup2(fd, 2);
            ::close(fd);
        }
    }
    ~TstandardErrorTo() {
        ::dup2(Fsaved, 2);
        ::close(Fsaved);
    }

private:
    int Fsaved = -1;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A video through the outside-player engine on a machine whose display none of the video
// outputs can use: the player picks none, says so, and plays the sound; it never ends on
// the video, so the engine never finds it gone and asks to start it.
TEST_F(OutsidePlayerIntegrationTest, AVideoWithoutAUsableDisplayPlaysItsSoundAndNothingIsAsked) {
    const std::string video = Ftemp.File("clip.mkv");
    ASSERT_TRUE(test::MakeMediaFile(video, test::TmediaFormat::MkvVideo, 6.0));
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(video);
    tag->SetMediaType(2);
    test::TenvScope noVideoSink("TUNECREST_VIDEO_SINK", nullptr);
    test::TenvScope noX("DISPLAY", nullptr);
    test::TenvScope noWayland("WAYLAND_DISPLAY", nullptr);
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previousPrompt = SetPrompt(prompt);
    const std::string said = Ftemp.File("player.err");
    {
        TwinampMediaPlayer engine;
        engine.SetEvents(&Frecorder.Events);
        engine.SetWindowClass(kClass);
        engine.DataFolder = Ftemp.Path().string();
        Frecorder.Queue = {tag};
        {
            TstandardErrorTo capture(said);
            engine.Initialise(0);
        }
        const HWND window = FindWindow(kClass, std::nullopt);
        ASSERT_NE(0, window);
        engine.Play();
        ASSERT_TRUE(RunUntil([&] { return !Frecorder.Starts.empty() && engine.GetPosition() > 1500; }, 20000))
            << "position " << engine.GetPosition();
        EXPECT_EQ(std::vector<std::string>{"clip.mkv"}, Frecorder.Starts);
        EXPECT_EQ(psPlaying, engine.GetState());
        EXPECT_EQ(window, FindWindow(kClass, std::nullopt)) << "the player ended and was started again";
        engine.Uninitialise();
        EXPECT_TRUE(RunUntil([&] { return !IsWindow(window); }, 5000));
    }
    SetPrompt(previousPrompt);
    EXPECT_TRUE(prompt->Questions.empty()) << prompt->Questions.front();
    EXPECT_NE(ReadText(said).find("videos play as sound only"), std::string::npos) << ReadText(said);
}

// With an X display the player shows videos in a window of that display.
TEST_F(OutsidePlayerIntegrationTest, OnAnXDisplayVideosGoToAWindowOfIt) {
    test::TprivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    test::TenvScope noVideoSink("TUNECREST_VIDEO_SINK", nullptr);
    test::TenvScope x("DISPLAY", server.Name().c_str());
    test::TenvScope noWayland("WAYLAND_DISPLAY", nullptr);
    const std::string said = Ftemp.File("player.err");
    TwinampMediaPlayer engine;
    engine.SetEvents(&Frecorder.Events);
    engine.SetWindowClass(kClass);
    engine.DataFolder = Ftemp.Path().string();
    {
        TstandardErrorTo capture(said);
        engine.Initialise(0);
    }
    const HWND window = FindWindow(kClass, std::nullopt);
    ASSERT_NE(0, window);
    engine.Uninitialise();
    EXPECT_TRUE(RunUntil([&] { return !IsWindow(window); }, 5000));
    // Xvfb has no video overlay, so the plain X image output is the one that opens.
    EXPECT_NE(ReadText(said).find("videos show through ximagesink"), std::string::npos) << ReadText(said);
}

}  // namespace
}  // namespace tunecrest
