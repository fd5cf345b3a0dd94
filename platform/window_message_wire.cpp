#include "platform/window_message_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/safe_file.h"

namespace tunecrest::wire {

namespace {

std::string Frame(const std::string& body) {
    TbyteWriter w;
    w.WriteU32(uint32_t(body.size()));
    w.WriteBytes(body);
    return std::move(w.Bytes());
}

bool ReadString(TbyteReader& r, std::string& out) {
    uint32_t n = 0;
    std::string_view bytes;
    if (!r.ReadU32(n) || !r.ReadBytes(n, bytes)) return false;
    out.assign(bytes);
    return true;
}

int RemainingMs(Tdeadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : int(left.count());
}

// Waits until `fd` is ready for `events`; false on timeout or error.
bool WaitFor(int fd, short events, Tdeadline deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, RemainingMs(deadline));
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

enum class Tchunk { Ok, Eof, Timeout };

Tchunk ReadExact(int fd, char* out, size_t n, Tdeadline deadline, size_t& got) {
    got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, out + got, n - got, 0);
        if (r > 0) {
            got += size_t(r);
            continue;
        }
        if (r == 0) return Tchunk::Eof;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return Tchunk::Eof;
        if (!WaitFor(fd, POLLIN, deadline)) return Tchunk::Timeout;
    }
    return Tchunk::Ok;
}

}  // namespace

std::string EncodeRequest(const Trequest& request) {
    TbyteWriter w;
    w.WriteU8(kVersion);
    w.WriteU8(uint8_t(request.kind));
    switch (request.kind) {
        case Tkind::Send:
        case Tkind::Post:
            w.WriteU32(request.msg);
            w.WriteI64(request.wParam);
            w.WriteI64(request.lParam);
            break;
        case Tkind::CopyData:
            w.WriteI64(request.wParam);
            w.WriteI64(int64_t(request.data));
            w.WriteBytes(request.bytes);
            break;
        case Tkind::Describe:
            break;
    }
    return Frame(w.Bytes());
}

std::string EncodeReply(Tkind kind, const Treply& reply) {
    TbyteWriter w;
    w.WriteU8(kVersion);
    w.WriteU8(uint8_t(reply.status));
    if (reply.status == Tstatus::Ok) {
        if (kind == Tkind::Describe) {
            w.WriteU32(uint32_t(reply.className.size()));
            w.WriteBytes(reply.className);
            w.WriteU32(uint32_t(reply.title.size()));
            w.WriteBytes(reply.title);
        } else {
            w.WriteI64(reply.result);
        }
    }
    return Frame(w.Bytes());
}

std::optional<Trequest> ParseRequest(std::string_view body) {
    TbyteReader r(body);
    uint8_t version = 0, kind = 0;
    if (!r.ReadU8(version) || version != kVersion || !r.ReadU8(kind)) return std::nullopt;
    Trequest request;
    request.kind = Tkind(kind);
    switch (request.kind) {
        case Tkind::Send:
        case Tkind::Post: {
            if (!r.ReadU32(request.msg) || !r.ReadI64(request.wParam) || !r.ReadI64(request.lParam))
                return std::nullopt;
            break;
        }
        case Tkind::CopyData: {
            int64_t data = 0;
            std::string_view bytes;
            if (!r.ReadI64(request.wParam) || !r.ReadI64(data) || !r.ReadBytes(r.Remaining(), bytes))
                return std::nullopt;
            request.data = uint64_t(data);
            request.bytes.assign(bytes);
            break;
        }
        case Tkind::Describe:
            break;
        default:
            return std::nullopt;
    }
    if (!r.AtEnd()) return std::nullopt;
    return request;
}

std::optional<Treply> ParseReply(Tkind kind, std::string_view body) {
    TbyteReader r(body);
    uint8_t version = 0, status = 0;
    if (!r.ReadU8(version) || version != kVersion || !r.ReadU8(status)) return std::nullopt;
    Treply reply;
    reply.status = Tstatus(status);
    if (reply.status == Tstatus::Ok) {
        if (kind == Tkind::Describe) {
            if (!ReadString(r, reply.className) || !ReadString(r, reply.title)) return std::nullopt;
        } else if (!r.ReadI64(reply.result)) {
            return std::nullopt;
        }
    } else if (reply.status != Tstatus::Refused && reply.status != Tstatus::Closing) {
        return std::nullopt;
    }
    if (!r.AtEnd()) return std::nullopt;
    return reply;
}

Tdeadline DeadlineIn(int timeoutMs) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
}

TreadResult ReadFrame(int fd, std::string& body, Tdeadline deadline) {
    char prefix[kLengthPrefix];
    size_t got = 0;
    switch (ReadExact(fd, prefix, kLengthPrefix, deadline, got)) {
        case Tchunk::Ok:
            break;
        case Tchunk::Timeout:
            return TreadResult::Timeout;
        case Tchunk::Eof:
            return got == 0 ? TreadResult::Closed : TreadResult::Malformed;
    }
    uint32_t length = 0;
    TbyteReader(std::string_view(prefix, kLengthPrefix)).ReadU32(length);
    if (length > kMaxBody) return TreadResult::Oversized;
    if (length == 0) return TreadResult::Malformed;
    body.resize(length);
    switch (ReadExact(fd, body.data(), length, deadline, got)) {
        case Tchunk::Ok:
            return TreadResult::Ok;
        case Tchunk::Timeout:
            return TreadResult::Timeout;
        case Tchunk::Eof:
            return TreadResult::Malformed;
    }
    return TreadResult::Malformed;
}

bool WriteAll(int fd, std::string_view bytes, Tdeadline deadline) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLOUT, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool PeerHasOurUid(int fd) {
    ucred cred{};
    socklen_t len = sizeof(cred);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof(cred)) return false;
    return cred.uid == ::geteuid();
}

}  // namespace tunecrest::wire
