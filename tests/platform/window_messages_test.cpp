#include "platform/window_messages.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "platform/window_message_wire.h"
#include "support/fresh_process.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

sockaddr_un UnixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    return address;
}

// Binds a socket at `path` without a window behind it; listens when asked.
int BindBare(const std::string& path, bool listen) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = UnixAddress(path);
    EXPECT_EQ(0, ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    if (listen) {
        EXPECT_EQ(0, ::listen(fd, 4));
    }
    return fd;
}

int ElapsedMs(Clock::time_point start) {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ffolder = Ftemp.File("windows");
        SetWindowMessageFolder(Ffolder);
        Fdispatcher = std::make_shared<TqueueDispatcher>();
        Fprevious = SetDispatcher(Fdispatcher);
    }
    void TearDown() override {
        SetDispatcher(Fprevious);
        SetWindowMessageFolder("");
    }

    // A raw connection to a window's socket, for feeding it bytes no caller would send.
    int RawConnect(HWND window) {
        const std::string path = Ffolder + "/" + std::to_string(window) + ".sock";
        const sockaddr_un address = UnixAddress(path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        EXPECT_EQ(0, ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
        return fd;
    }

    // Sends raw bytes and returns the window's reply status (nullopt when it closed without one).
    std::optional<wire::Tstatus> RawExchange(HWND window, const std::string& bytes, bool endWrite = false) {
        const int fd = RawConnect(window);
        EXPECT_TRUE(wire::WriteAll(fd, bytes, wire::DeadlineIn(1000)));
        if (endWrite) ::shutdown(fd, SHUT_WR);
        std::string body;
        const auto read = wire::ReadFrame(fd, body, wire::DeadlineIn(2000));
        ::close(fd);
        if (read != wire::TreadResult::Ok || body.size() < 2) return std::nullopt;
        return wire::Tstatus(uint8_t(body[1]));
    }

    static std::string LengthPrefix(uint32_t length) {
        TbyteWriter w;
        w.WriteU32(length);
        return w.Bytes();
    }

    test::TempDir Ftemp;
    std::string Ffolder;
    std::shared_ptr<TqueueDispatcher> Fdispatcher;
    std::shared_ptr<TmainThreadDispatcher> Fprevious;
};

TEST_F(WindowMessagesTest, FolderIsPrivateAndSocketGoesWithTheWindow) {
    std::string socketPath;
    {
        TmessageWindow window("Tclass", "Title", false);
        ASSERT_TRUE(window.IsOpen());
        struct stat st {};
        ASSERT_EQ(0, ::stat(Ffolder.c_str(), &st));
        EXPECT_EQ(0700u, st.st_mode & 0777);
        socketPath = Ffolder + "/" + std::to_string(window.Handle()) + ".sock";
        EXPECT_TRUE(fs::exists(socketPath));
        EXPECT_TRUE(IsWindow(window.Handle()));
    }
    EXPECT_FALSE(fs::exists(socketPath));
    EXPECT_EQ(0, FindWindow("Tclass", std::nullopt));

    // A folder of ours with loose rights is tightened; a link in its place is refused.
    ASSERT_EQ(0, ::chmod(Ffolder.c_str(), 0755));
    {
        TmessageWindow window("Tclass", "Title", false);
        struct stat st {};
        ASSERT_EQ(0, ::stat(Ffolder.c_str(), &st));
        EXPECT_EQ(0700u, st.st_mode & 0777);
    }
    const std::string link = Ftemp.File("link");
    fs::create_directory_symlink(Ffolder, link);
    SetWindowMessageFolder(link);
    TmessageWindow refused("Tclass", "Title", false);
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(0, FindWindow("Tclass", std::nullopt));
}

TEST_F(WindowMessagesTest, FindsSendsAndReadsTitlesOfTwoWindowsOfOneClass) {
    TmessageWindow first("Shared Class", "first", false);
    TmessageWindow second("Shared Class", "second", false);
    TmessageWindow other("Other", "first", false);
    first.SetMessageHandler([](uint32_t msg, WPARAM w, LPARAM l) -> LRESULT { return 1000 + msg + w * l; });
    second.SetMessageHandler([](uint32_t msg, WPARAM, LPARAM) -> LRESULT { return 2000 + msg; });

    const HWND byClass = FindWindow("Shared Class", std::nullopt);
    EXPECT_TRUE(byClass == first.Handle() || byClass == second.Handle());
    EXPECT_EQ(second.Handle(), FindWindow("Shared Class", "second"));
    EXPECT_EQ(other.Handle(), FindWindow("Other", "first"));
    EXPECT_EQ(first.Handle(), FindWindow("Shared Class", "first"));
    EXPECT_EQ(0, FindWindow("Shared Class", "third"));
    EXPECT_EQ(0, FindWindow("shared class", std::nullopt));  // compared exactly

    const auto all = EnumWindows();
    EXPECT_EQ(3u, all.size());

    EXPECT_EQ(1000 + WM_USER + 6 * 7, SendMessage(first.Handle(), WM_USER, 6, 7));
    EXPECT_EQ(2000 + WM_COMMAND, SendMessage(second.Handle(), WM_COMMAND, 40045, 0));
    EXPECT_EQ(0, SendMessage(other.Handle(), WM_USER, 0, 0));  // no handler answers 0

    EXPECT_EQ("second", GetWindowText(second.Handle()));
    EXPECT_EQ("Shared Class", GetClassName(second.Handle()));
    second.SetTitle("1. Tune \xC3\xA9t\xC3\xA9 - Player");
    EXPECT_EQ("1. Tune \xC3\xA9t\xC3\xA9 - Player", GetWindowText(second.Handle()));
    EXPECT_EQ(second.Handle(), FindWindow(std::nullopt, "1. Tune \xC3\xA9t\xC3\xA9 - Player"));

    // A very long title is cut at a whole character, never inside one.
    std::string longTitle(8191, 'x');
    longTitle += "\xC3\xA9";
    second.SetTitle(longTitle);
    EXPECT_EQ(std::string(8191, 'x'), GetWindowText(second.Handle()));

    EXPECT_EQ("", GetWindowText(0));
    EXPECT_EQ(0, SendMessage(0, WM_USER, 0, 0));
}

TEST_F(WindowMessagesTest, CopyDataCarriesBytesExactlyUpToTheFrameCap) {
    TmessageWindow window("Tcopy", "", false);
    std::vector<std::pair<uint64_t, std::string>> received;
    window.SetCopyDataHandler([&](uint64_t data, const std::string& bytes) -> LRESULT {
        received.emplace_back(data, bytes);
        return LRESULT(bytes.size());
    });
    const std::string name("/music/a\0b.mp3\0", 15);
    EXPECT_EQ(15, SendCopyData(window.Handle(), 100, name));
    const std::string largest(wire::kMaxCopyDataBytes, 'z');
    EXPECT_EQ(LRESULT(largest.size()), SendCopyData(window.Handle(), 7, largest));
    EXPECT_EQ(0, SendCopyData(window.Handle(), 7, largest + "z"));  // over the cap: not sent
    EXPECT_EQ(0, SendCopyData(window.Handle(), 8, ""));
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(100u, received[0].first);
    EXPECT_EQ(name, received[0].second);
    EXPECT_EQ(largest, received[1].second);
    EXPECT_EQ(8u, received[2].first);
    EXPECT_EQ("", received[2].second);
}

TEST_F(WindowMessagesTest, TimeoutsAgainstHungPeers) {
    // A window whose handler hangs: the caller gets 0 when its timeout runs out.
    std::atomic<bool> release{false};
    TmessageWindow hung("Thung", "hung", false);
    hung.SetMessageHandler([&](uint32_t, WPARAM, LPARAM) -> LRESULT {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 5;
    });
    LRESULT result = 99;
    auto start = Clock::now();
    EXPECT_FALSE(SendMessageTimeout(hung.Handle(), WM_USER, 0, 0, 200, result));
    EXPECT_EQ(0, result);
    EXPECT_LT(ElapsedMs(start), 900);
    // Title reads do not wait for the handlers.
    EXPECT_EQ("hung", GetWindowText(hung.Handle()));
    release = true;

    // A socket that accepts connections into its backlog but never answers.
    const HWND silent = (HWND(::getpid()) << 24) | 0xFFFFF0;
    const std::string path = Ffolder + "/" + std::to_string(silent) + ".sock";
    const int listener = BindBare(path, true);
    start = Clock::now();
    EXPECT_EQ(0, SendMessage(silent, WM_USER, 0, 104));
    const int waited = ElapsedMs(start);
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 3000);
    EXPECT_EQ(0, SendCopyData(silent, 100, "x", 100));
    EXPECT_EQ("", GetWindowText(silent));
    // Finding skips it and still finds the window that answers.
    EXPECT_EQ(hung.Handle(), FindWindow("Thung", std::nullopt));
    ::close(listener);
    ::unlink(path.c_str());
}

TEST_F(WindowMessagesTest, OversizedAndMalformedFramesAreRefused) {
    TmessageWindow window("Tframes", "t", false);
    int calls = 0;
    window.SetMessageHandler([&](uint32_t, WPARAM, LPARAM) -> LRESULT { return ++calls; });

    wire::Trequest send;
    send.kind = wire::Tkind::Send;
    send.msg = WM_USER;
    const std::string good = wire::EncodeRequest(send);
    ASSERT_EQ(wire::Tstatus::Ok, RawExchange(window.Handle(), good));

    // Over the cap: refused from the length alone, the body is never read.
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), LengthPrefix(wire::kMaxBody + 1)));
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), LengthPrefix(0xFFFFFFFF)));
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), LengthPrefix(0)));

    const std::string body = good.substr(wire::kLengthPrefix);
    auto frame = [](const std::string& b) { return LengthPrefix(uint32_t(b.size())) + b; };
    std::string badVersion = body;
    badVersion[0] = 2;
    std::string badKind = body;
    badKind[1] = 9;
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), frame(badVersion)));
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), frame(badKind)));
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), frame(body.substr(0, body.size() - 1))));
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), frame(body + "x")));
    // A frame cut short by the caller ending its side.
    EXPECT_EQ(wire::Tstatus::Refused, RawExchange(window.Handle(), LengthPrefix(100) + "abc", true));

    // A caller that connects and sends nothing does not hold up others.
    const int idle = RawConnect(window.Handle());
    const auto start = Clock::now();
    EXPECT_EQ(2, SendMessage(window.Handle(), WM_USER, 0, 0));
    EXPECT_LT(ElapsedMs(start), 500);
    ::close(idle);
    EXPECT_EQ(2, calls);  // only the two good frames reached the handler
}

TEST_F(WindowMessagesTest, PostsKeepTheirOrder) {
    TmessageWindow window("Tposts", "", false);
    std::vector<WPARAM> seen;
    window.SetMessageHandler([&](uint32_t msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_USER) seen.push_back(w);
        return 1;
    });
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(PostMessage(window.Handle(), WM_USER, i, 0));
    EXPECT_EQ(1, SendMessage(window.Handle(), WM_CLOSE, 0, 0));  // queued behind the posts
    ASSERT_EQ(50u, seen.size());
    for (int i = 0; i < 50; ++i) EXPECT_EQ(i, seen[i]);
}

TEST_F(WindowMessagesTest, MainThreadHandlersAndSelfMessages) {
    TmessageWindow window("Tmain", "", true);
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> ranOnMain{false};
    window.SetMessageHandler([&](uint32_t msg, WPARAM w, LPARAM) -> LRESULT {
        ranOnMain = std::this_thread::get_id() == mainThread;
        // A handler may message its own window: answered at once, not after a timeout.
        if (msg == WM_USER + 1) return SendMessage(window.Handle(), WM_USER, w + 1, 0);
        return w * 2;
    });
    std::atomic<LRESULT> answer{-1};
    std::thread caller([&] { answer = SendMessage(window.Handle(), WM_USER + 1, 20, 0); });
    const auto start = Clock::now();
    while (answer == -1 && ElapsedMs(start) < 5000) Fdispatcher->WaitAndProcess(10);
    caller.join();
    EXPECT_EQ(42, answer);
    EXPECT_TRUE(ranOnMain);
    EXPECT_LT(ElapsedMs(start), 900);

    // The main thread messaging its own window does not wait on itself.
    EXPECT_EQ(8, SendMessage(window.Handle(), WM_USER, 4, 0));
}

TEST_F(WindowMessagesTest, ClosingAWindowAnswersWaitingCallersAndCleansStaleSockets) {
    auto window = std::make_unique<TmessageWindow>("Tclosing", "", true);
    window->SetMessageHandler([](uint32_t, WPARAM, LPARAM) -> LRESULT { return 1; });
    const HWND handle = window->Handle();
    std::atomic<bool> done{false};
    std::atomic<bool> delivered{true};
    std::thread caller([&] {
        LRESULT result = 0;
        delivered = SendMessageTimeout(handle, WM_USER, 0, 0, 10000, result);
        done = true;
    });
    // The main thread never runs the queued handler; closing the window answers the caller.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    window.reset();
    caller.join();
    EXPECT_TRUE(done);
    EXPECT_FALSE(delivered);
    EXPECT_LT(ElapsedMs(start), 2000);
    Fdispatcher->ProcessPendingCalls();  // the late handler call finds the window gone
    EXPECT_FALSE(IsWindow(handle));

    // A socket left by a process that died is removed by the next search.
    pid_t child = 0;
    const char* trueArgs[] = {"true", nullptr};
    ASSERT_EQ(0, ::posix_spawnp(&child, "true", nullptr, nullptr, const_cast<char**>(trueArgs), environ));
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const HWND stale = (HWND(child) << 24) | 1;
    const std::string path = Ffolder + "/" + std::to_string(stale) + ".sock";
    ::close(BindBare(path, false));
    ASSERT_TRUE(fs::exists(path));
    EXPECT_TRUE(EnumWindows().empty());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(WindowMessagesTest, AWindowClosedAtOnceAfterOpeningNeverHangs) {
    // Closing while the window's handler thread is only starting to wait: its wake-up
    // must not be lost, or closing waits for that thread for ever.
    // Several threads at once make it likely that one is put aside at that moment.
    constexpr int kOpeners = 8;
    auto finished = std::make_shared<std::atomic<int>>(0);
    std::vector<std::thread> openers;
    for (int t = 0; t < kOpeners; ++t) {
        openers.emplace_back([finished] {
            for (int i = 0; i < 150; ++i) {
                TmessageWindow window("Tbrief", "", false);
                EXPECT_TRUE(window.IsOpen());
            }
            ++*finished;
        });
    }
    const auto start = Clock::now();
    while (*finished < kOpeners && ElapsedMs(start) < 60000) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (*finished < kOpeners) {
        // Stuck in a close: report it instead of waiting out the test's time.
        for (auto& opener : openers) opener.detach();
        FAIL() << "closing a window hung";
    }
    for (auto& opener : openers) opener.join();
}

TEST_F(WindowMessagesTest, AWindowOpenedWithItsHandlersAnswersTheFirstCallerThatFindsIt) {
    // A caller polling for the window sends the moment the window can be found; the
    // window's own thread must already have the handlers to answer with.
    for (int round = 0; round < 20; ++round) {
        std::atomic<LRESULT> copied{-1}, numbered{-1};
        std::thread caller([&] {
            HWND found = 0;
            const auto start = Clock::now();
            while (!found && ElapsedMs(start) < 5000) found = FindWindow(std::string("Tfirst"), std::nullopt);
            copied = SendCopyData(found, 3, std::string("abc"));
            numbered = SendMessage(found, WM_USER, 2, 0);
        });
        TmessageWindow window(
            "Tfirst", "", false, [](uint32_t, WPARAM w, LPARAM) -> LRESULT { return LRESULT(w) * 10; },
            [](uint64_t data, const std::string& bytes) -> LRESULT { return LRESULT(data + bytes.size()); });
        ASSERT_TRUE(window.IsOpen());
        caller.join();
        EXPECT_EQ(copied, 6) << "round " << round;
        EXPECT_EQ(numbered, 20) << "round " << round;
    }
}

TEST_F(WindowMessagesTest, RefusesCallersOfAnotherUser) {
    TmessageWindow window("Tuid", "secret", false);
    // Let any user reach the socket, so only the credential check stands in the way.
    ASSERT_EQ(0, ::chmod(Ftemp.Path().c_str(), 0711));
    ASSERT_EQ(0, ::chmod(Ffolder.c_str(), 0711));
    const std::string path = Ffolder + "/" + std::to_string(window.Handle()) + ".sock";
    ASSERT_EQ(0, ::chmod(path.c_str(), 0666));

    wire::Trequest describe;
    describe.kind = wire::Tkind::Describe;
    const std::string request = wire::EncodeRequest(describe);
    // The caller is another process (given this window's socket), as the user `uid`.
    // Returns its verdict: 0 answered, 1 refused, 2 could not connect.
    auto askAs = [&](uid_t uid) {
        const test::TfreshProcess caller = test::RunInFreshProcess(
            [&] {
                if (uid != ::geteuid() && (::setgid(uid) != 0 || ::setuid(uid) != 0)) return 2;
                const sockaddr_un address = UnixAddress(test::FreshProcessArgument());
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) return 2;
                // A refused caller may find the connection closed before it writes: no SIGPIPE.
                if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) return 1;
                char reply[64];
                return ::read(fd, reply, sizeof(reply)) > 0 ? 0 : 1;
            },
            path);
        return caller.Started && caller.Signal == 0 ? caller.ExitCode : -1;
    };
    EXPECT_EQ(0, askAs(::geteuid()));
    if (::geteuid() != 0) GTEST_SKIP() << "changing user needs root";
    EXPECT_EQ(1, askAs(65534));
}

TEST_F(WindowMessagesTest, IdleCallersDoNotCrowdOutARealMessage) {
    TmessageWindow window("Tidle", "Busy", false);
    ASSERT_TRUE(window.IsOpen());
    window.SetMessageHandler([](uint32_t msg, WPARAM wParam, LPARAM) { return LRESULT(msg + wParam); });
    // Every slot taken by a caller that connects and never says anything.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) idle.push_back(RawConnect(window.Handle()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    LRESULT result = 0;
    EXPECT_TRUE(SendMessageTimeout(window.Handle(), WM_USER, 5, 0, 900, result));
    EXPECT_EQ(LRESULT(WM_USER + 5), result);
    EXPECT_LT(ElapsedMs(start), 900);
    for (int fd : idle) ::close(fd);
}

TEST_F(WindowMessagesTest, SocketNamesBeyondTheHandleRangeAreIgnored) {
    TmessageWindow window("Tnames", "Real", false);
    ASSERT_TRUE(window.IsOpen());
    // Nineteen digits above the largest handle, and the largest handle plus one.
    for (const char* name : {"9999999999999999999.sock", "9223372036854775808.sock"})
        ASSERT_TRUE(SafeWriteFile(Ffolder + "/" + name, ""));
    EXPECT_EQ(std::vector<HWND>{window.Handle()}, EnumWindows());
}

TEST(WindowMessageFolder, FallsBackToAFolderOfOurOwnWhenTheSharedNameIsTaken) {
    test::TempDir temp;
    const std::string tmp = temp.File("tmp"), cache = temp.File("home/.cache");
    fs::create_directory(tmp);
    const std::string shared = tmp + "/tunecrest-" + std::to_string(::geteuid());
    // A runtime folder wins; a free shared name is made private and used.
    EXPECT_EQ("/run/user/7/tunecrest", ChooseWindowMessageFolder("/run/user/7", tmp, cache));
    EXPECT_EQ(shared, ChooseWindowMessageFolder("", tmp, cache));
    fs::remove(shared);
    // Somebody else's link in its place: our own cache folder is used, made 0700.
    fs::create_directory_symlink(temp.File("elsewhere"), shared);
    char host[256] = {};
    ::gethostname(host, sizeof(host) - 1);
    const std::string own = cache + "/tunecrest-sockets-" + host;
    EXPECT_EQ(own, ChooseWindowMessageFolder("", tmp, cache));
    struct stat st {};
    ASSERT_EQ(0, ::lstat(own.c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    if (::geteuid() == 0) {
        // A real folder of another user (only root can make one for the test).
        fs::remove(shared);
        fs::create_directory(shared);
        ASSERT_EQ(0, ::chown(shared.c_str(), 65534, 65534));
        EXPECT_EQ(own, ChooseWindowMessageFolder("", tmp, cache));
    }
    // No home folder either: the shared name comes back and messaging fails visibly.
    EXPECT_EQ(shared, ChooseWindowMessageFolder("", tmp, ""));
}

}  // namespace
}  // namespace tunecrest
