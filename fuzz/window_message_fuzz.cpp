// Window-message frames from arbitrary bytes. The first byte picks what reads the rest:
// 0 a request body, 1-4 a reply body for that request kind, anything else the stream of a
// socket (length prefix and body) read by ReadFrame. A body that parses must encode back
// to the same bytes.
// Links: tunecrest_platform
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/window_message_wire.h"

namespace wire = tunecrest::wire;

namespace {

void CheckRequest(std::string_view body) {
    const auto request = wire::ParseRequest(body);
    if (!request) return;
    if (wire::EncodeRequest(*request).substr(wire::kLengthPrefix) != body) std::abort();
}

void CheckReply(wire::Tkind kind, std::string_view body) {
    const auto reply = wire::ParseReply(kind, body);
    if (!reply) return;
    if (wire::EncodeReply(kind, *reply).substr(wire::kLengthPrefix) != body) std::abort();
}

void CheckStream(std::string_view stream) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds) != 0) return;
    const bool sent = wire::WriteAll(fds[0], stream, wire::DeadlineIn(1000));
    ::shutdown(fds[0], SHUT_WR);
    std::string body;
    const auto result = wire::ReadFrame(fds[1], body, wire::DeadlineIn(1000));
    ::close(fds[0]);
    ::close(fds[1]);
    if (!sent) return;
    // The whole stream is there and closed: the reader never waits for more.
    if (result == wire::TreadResult::Timeout) std::abort();
    if (result == wire::TreadResult::Ok) {
        if (body.empty() || body.size() > wire::kMaxBody) std::abort();
        CheckRequest(body);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] == 0)
        CheckRequest(rest);
    else if (data[0] <= 4)
        CheckReply(wire::Tkind(data[0]), rest);
    else
        CheckStream(rest);
    return 0;
}
