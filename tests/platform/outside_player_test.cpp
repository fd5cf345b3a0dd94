// The stand-in outside player, run as its own process and driven through window messages.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/outside_player_messages.h"
#include "platform/window_messages.h"
#include "support/media_files.h"
#include "support/temp_dir.h"

extern char** environ;

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 8000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

class OutsidePlayerTest : public ::testing::Test {
protected:
    static constexpr const char* kClass = "Test Player Class";

    void SetUp() override { SetWindowMessageFolder(Ftemp.File("tunecrest")); }

    void TearDown() override {
        for (pid_t pid : Fchildren) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        SetWindowMessageFolder("");
    }

    // Starts the player with `args`; its windows go to our folder, its sound to a fake sink.
    pid_t Launch(const std::vector<std::string>& args) {
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + Ftemp.Path().string(),
                                        "TUNECREST_AUDIO_SINK=fakesink", "TUNECREST_VIDEO_SINK=fakesink"};
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("TUNECREST_", 0) != 0)
                env.push_back(entry);
        }
        std::vector<std::string> argv = {std::string(TUNECREST_BIN_DIR) + "/tunecrest-outside-player"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp, envp;
        for (auto& a : argv) argp.push_back(a.data());
        argp.push_back(nullptr);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        EXPECT_EQ(0, ::posix_spawn(&pid, argp[0], nullptr, nullptr, argp.data(), envp.data()));
        Fchildren.push_back(pid);
        return pid;
    }

    HWND WaitForWindow(const std::string& className = kClass) {
        HWND window = 0;
        WaitUntil([&] { return (window = FindWindow(className, std::nullopt)) != 0; });
        return window;
    }

    // Waits for the process to end by itself; its exit status, or -1 when it did not end.
    int WaitForExit(pid_t pid) {
        int status = 0;
        const bool ended = WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) return -1;
        std::erase(Fchildren, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string Tone(const std::string& name, double seconds) {
        const std::string path = Ftemp.File(name);
        EXPECT_TRUE(test::MakeMediaFile(path, test::TmediaFormat::Wav, seconds));
        return path;
    }

    static LRESULT User(HWND w, WPARAM argument, LPARAM code) {
        return SendMessage(w, WM_USER, argument, code);
    }
    static LRESULT Command(HWND w, WPARAM command) { return SendMessage(w, WM_COMMAND, command, 0); }
    static void Add(HWND w, const std::string& name) {
        SendCopyData(w, kPlayerCopyDataAddFile, name + std::string(1, '\0'));
    }

    test::TempDir Ftemp;
    std::vector<pid_t> Fchildren;
};

TEST_F(OutsidePlayerTest, KeepsItsOwnListAndAdvancesByItself) {
    const std::string first = Tone("first.wav", 1.0);
    const std::string second = Tone("second.wav", 1.0);
    const pid_t pid = Launch({"/NoCC", std::string("/class=") + kClass, "/config=Test"});
    const HWND player = WaitForWindow();
    ASSERT_NE(0, player);
    EXPECT_EQ(kClass, GetWindowText(player));  // nothing listed yet

    // The engine's two-entry list: clear, add both, position 0.
    User(player, 0, kPlayerClearList);
    Add(player, first);
    Add(player, second);
    User(player, 0, kPlayerSetListPosition);
    EXPECT_EQ(2, User(player, 0, kPlayerGetListLength));
    EXPECT_EQ(0, User(player, 0, kPlayerGetListPosition));
    EXPECT_EQ(kPlayerStateStopped, User(player, 0, kPlayerGetState));
    EXPECT_EQ("1. first - Winamp", GetWindowText(player));

    Command(player, kPlayerCommandPlay);
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));
    EXPECT_TRUE(WaitUntil([&] { return User(player, 0, kPlayerGetTime) > 0; }));
    EXPECT_EQ(1, User(player, 1, kPlayerGetTime));  // length in seconds

    // At the end of the first entry it moves on to the second by itself...
    ASSERT_TRUE(WaitUntil([&] { return User(player, 0, kPlayerGetListPosition) == 1; }));
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));
    EXPECT_EQ("2. second - Winamp", GetWindowText(player));
    // ...and stops at the end of the list, keeping its position.
    ASSERT_TRUE(WaitUntil([&] { return User(player, 0, kPlayerGetState) == kPlayerStateStopped; }));
    EXPECT_EQ(1, User(player, 0, kPlayerGetListPosition));
    EXPECT_EQ(0, User(player, 0, kPlayerGetTime));

    Command(player, kPlayerCommandClose);
    EXPECT_EQ(0, WaitForExit(pid));
    EXPECT_EQ(0, FindWindow(kClass, std::nullopt));
}

TEST_F(OutsidePlayerTest, AnswersPauseStopSeekVolumeAndListCommands) {
    const std::string longer = Tone("longer.wav", 4.0);
    const std::string other = Tone("other.wav", 1.0);
    Launch({std::string("/class=") + kClass});
    const HWND player = WaitForWindow();
    ASSERT_NE(0, player);
    Add(player, longer);
    Add(player, other);
    Command(player, kPlayerCommandPlay);
    ASSERT_TRUE(WaitUntil([&] { return User(player, 0, kPlayerGetTime) > 0; }));
    EXPECT_EQ(4, User(player, 1, kPlayerGetTime));

    // Pause toggles; stop is stop.
    Command(player, kPlayerCommandPause);
    EXPECT_EQ(kPlayerStatePaused, User(player, 0, kPlayerGetState));
    Command(player, kPlayerCommandPause);
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));

    EXPECT_EQ(0, User(player, 2500, kPlayerSeek));
    EXPECT_TRUE(WaitUntil([&] { return User(player, 0, kPlayerGetTime) >= 2500; }));

    // Volume 0..255; -666 asks for it; values outside are held to the range.
    EXPECT_EQ(255, User(player, kPlayerVolumeQuery, kPlayerVolume));
    User(player, 100, kPlayerVolume);
    EXPECT_EQ(100, User(player, kPlayerVolumeQuery, kPlayerVolume));
    User(player, 300, kPlayerVolume);
    EXPECT_EQ(255, User(player, kPlayerVolumeQuery, kPlayerVolume));
    User(player, -5, kPlayerVolume);
    EXPECT_EQ(0, User(player, kPlayerVolumeQuery, kPlayerVolume));
    EXPECT_EQ(0, User(player, 0, kPlayerSetShuffle));
    EXPECT_EQ(0, User(player, 0, kPlayerSetRepeat));

    // Clearing the list leaves what plays playing.
    User(player, 0, kPlayerClearList);
    EXPECT_EQ(0, User(player, 0, kPlayerGetListLength));
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));

    Command(player, kPlayerCommandStop);
    EXPECT_EQ(kPlayerStateStopped, User(player, 0, kPlayerGetState));
    EXPECT_EQ(-1, User(player, 1000, kPlayerSeek));

    // Stopped, "next" and "set position" only move the position; nothing starts.
    Add(player, other);
    Add(player, longer);
    Command(player, kPlayerCommandNext);
    EXPECT_EQ(1, User(player, 0, kPlayerGetListPosition));
    Command(player, kPlayerCommandNext);  // already the last entry
    EXPECT_EQ(1, User(player, 0, kPlayerGetListPosition));
    User(player, 5, kPlayerSetListPosition);  // out of range: ignored
    EXPECT_EQ(1, User(player, 0, kPlayerGetListPosition));
    User(player, 0, kPlayerSetListPosition);
    EXPECT_EQ(0, User(player, 0, kPlayerGetListPosition));
    EXPECT_EQ(kPlayerStateStopped, User(player, 0, kPlayerGetState));

    // Playing, "next" starts the next entry.
    Command(player, kPlayerCommandPlay);
    Command(player, kPlayerCommandNext);
    EXPECT_EQ(1, User(player, 0, kPlayerGetListPosition));
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));
    EXPECT_EQ("2. longer - Winamp", GetWindowText(player));
}

TEST_F(OutsidePlayerTest, PlaysAPlaylistFileSkipsMissingEntriesAndHandsOverToTheRunningCopy) {
    Tone("a.wav", 1.0);
    const std::string b = Tone("b.wav", 4.0);
    const std::string list = Ftemp.File("list.m3u");
    std::ofstream(list) << "#EXTM3U\r\n#EXTINF:1,Missing\r\nmissing.wav\r\n\r\na.wav\r\n" << b << "\r\n";
    const pid_t pid = Launch({std::string("/class=") + kClass, list});
    const HWND player = WaitForWindow();
    ASSERT_NE(0, player);
    // The missing first entry is skipped; the relative names are found beside the list.
    EXPECT_TRUE(WaitUntil([&] {
        return User(player, 0, kPlayerGetListPosition) >= 1 &&
               User(player, 0, kPlayerGetState) == kPlayerStatePlaying;
    }));
    EXPECT_EQ(3, User(player, 0, kPlayerGetListLength));

    // A second start with a file hands it to the running player and ends.
    const std::string url = Ftemp.File("url.m3u");
    std::ofstream(url) << b << "\n";
    const pid_t second = Launch({std::string("/class=") + kClass, url});
    EXPECT_EQ(0, WaitForExit(second));
    EXPECT_EQ(1, User(player, 0, kPlayerGetListLength));
    EXPECT_EQ(0, User(player, 0, kPlayerGetListPosition));
    EXPECT_EQ(kPlayerStatePlaying, User(player, 0, kPlayerGetState));
    EXPECT_EQ("1. b - Winamp", GetWindowText(player));
    EXPECT_EQ(1u, EnumWindows().size());

    // Another class is another player.
    const pid_t third = Launch({"/class=Another Class"});
    const HWND another = WaitForWindow("Another Class");
    EXPECT_NE(0, another);
    EXPECT_NE(player, another);
    ::kill(third, SIGTERM);
    EXPECT_EQ(0, WaitForExit(third));

    Command(player, kPlayerCommandClose);
    EXPECT_EQ(0, WaitForExit(pid));
}

}  // namespace
}  // namespace tunecrest
