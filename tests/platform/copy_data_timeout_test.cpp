// Copy-data with a verdict: a handler that answers 0 is told apart from a peer that
// never answers, which is what lets a caller stop talking to a hung program.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "core/base/services.h"
#include "platform/window_message_wire.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

TEST(CopyDataTimeout, AnsweredZeroIsNotATimeOut) {
    test::TempDir temp;
    const std::string folder = temp.File("windows");
    SetWindowMessageFolder(folder);
    {
        TmessageWindow window("Tcopy", "", false);
        std::string got;
        window.SetCopyDataHandler([&](uint64_t, const std::string& bytes) -> LRESULT {
            got = bytes;
            return 0;
        });
        LRESULT result = 99;
        EXPECT_TRUE(SendCopyDataTimeout(window.Handle(), 100, std::string("a.mp3\0", 6), 500, result));
        EXPECT_EQ(0, result);
        EXPECT_EQ(std::string("a.mp3\0", 6), got);
        // Over the cap: nothing is sent, and the caller hears so.
        result = 99;
        EXPECT_FALSE(SendCopyDataTimeout(window.Handle(), 100, std::string(wire::kMaxCopyDataBytes + 1, 'x'),
                                         500, result));
        EXPECT_EQ(0, result);
    }

    // A socket that takes connections but never answers: false once the time is up.
    const HWND silent = (HWND(::getpid()) << 24) | 0xFFFFF1;
    const std::string path = folder + "/" + std::to_string(silent) + ".sock";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(0, ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, ::listen(listener, 4));
    LRESULT result = 99;
    EXPECT_FALSE(SendCopyDataTimeout(silent, 100, "x", 100, result));
    EXPECT_EQ(0, result);
    ::close(listener);
    ::unlink(path.c_str());
    SetWindowMessageFolder("");
}

}  // namespace
}  // namespace tunecrest
