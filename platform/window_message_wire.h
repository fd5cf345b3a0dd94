#pragma once
// The bytes on a window's socket: length-prefixed frames, one request and one reply
// per connection (docs/window-messages.md). Shared by the window side, the caller side
// and the tests that feed the window bad input.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/window_messages.h"

namespace tunecrest::wire {

constexpr uint8_t kVersion = 1;
constexpr size_t kLengthPrefix = 4;
// Largest body a frame may carry: the frame cap less its length prefix.
constexpr size_t kMaxBody = kMaxMessageFrame - kLengthPrefix;

enum class Tkind : uint8_t { Send = 1, Post = 2, CopyData = 3, Describe = 4 };
enum class Tstatus : uint8_t { Ok = 0, Refused = 1, Closing = 2 };

// Fixed part of a copy-data request body: version, kind, sender, data value.
constexpr size_t kCopyDataHeader = 2 + 8 + 8;
constexpr size_t kMaxCopyDataBytes = kMaxBody - kCopyDataHeader;

struct Trequest {
    Tkind kind = Tkind::Describe;
    uint32_t msg = 0;
    WPARAM wParam = 0;  // for copy-data: the sender's window handle
    LPARAM lParam = 0;
    uint64_t data = 0;  // copy-data value
    std::string bytes;  // copy-data block
};

struct Treply {
    Tstatus status = Tstatus::Refused;
    LRESULT result = 0;
    std::string className;  // Describe only
    std::string title;      // Describe only
};

// A whole frame (length prefix and body).
std::string EncodeRequest(const Trequest& request);
std::string EncodeReply(Tkind kind, const Treply& reply);
// Parse a frame body; nullopt when it is malformed (wrong version, unknown kind,
// wrong size for its kind, trailing bytes).
std::optional<Trequest> ParseRequest(std::string_view body);
std::optional<Treply> ParseReply(Tkind kind, std::string_view body);

using Tdeadline = std::chrono::steady_clock::time_point;
Tdeadline DeadlineIn(int timeoutMs);

enum class TreadResult { Ok, Closed, Timeout, Oversized, Malformed };
// Reads one frame body from a non-blocking socket before the deadline. `Closed` means
// the peer closed before the first byte; a frame cut short is `Malformed`.
TreadResult ReadFrame(int fd, std::string& body, Tdeadline deadline);
// Writes all of `bytes` before the deadline; false on timeout or a lost peer.
bool WriteAll(int fd, std::string_view bytes, Tdeadline deadline);

// True when the process at the other end of a connected local socket runs as our user.
bool PeerHasOurUid(int fd);

}  // namespace tunecrest::wire
