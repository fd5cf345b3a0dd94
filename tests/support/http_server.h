#pragma once
// A tiny HTTP/1.1 server on 127.0.0.1 (port chosen by the system) for tests that fetch
// over HTTP. Each connection is answered on its own thread by a handler that maps the
// request target to a reply; replies can trickle their body, cut it short or leave out
// the length, and the server counts replies the client broke off. A connection can be
// wrapped (tls_server.h speaks TLS over it).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tunecrest::test {

struct ThttpReply {
    int Status = 200;
    std::string ContentType;              // no Content-Type header when empty
    std::string Body;
    std::optional<size_t> DeclaredLength; // Content-Length sent; Body.size() when unset
    bool SendLength = true;               // false: no Content-Length, the close ends the body
    std::string Location;                 // Location header when set
    std::string ExtraHeaders;             // more header lines, each ending in CR LF
    int HeadDelayMs = 0;                  // wait before anything is sent
    int ChunkDelayMs = 0;                 // > 0: the body goes out ChunkSize bytes at a time
    size_t ChunkSize = 1;
};

// One accepted connection: reads what is there (waiting up to `waitMs`; 0 when nothing
// came, -1 when the peer closed or failed) and writes all of a buffer.
class ThttpConnection {
public:
    explicit ThttpConnection(int fd) : Ffd(fd) {}
    virtual ~ThttpConnection() = default;
    virtual long Read(char* buffer, size_t size, int waitMs) {
        pollfd p{Ffd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0) return 0;
        const ssize_t n = ::recv(Ffd, buffer, size, 0);
        return n <= 0 ? -1 : long(n);
    }
    virtual bool Write(const char* data, size_t n) {
        while (n > 0) {
            const ssize_t sent = ::send(Ffd, data, n, MSG_NOSIGNAL);
            if (sent <= 0) return false;
            data += sent;
            n -= size_t(sent);
        }
        return true;
    }

protected:
    int Ffd;
};

class TloopbackHttpServer {
public:
    using Handler = std::function<ThttpReply(const std::string& target)>;
    // Makes the connection for an accepted socket; nullptr drops it (a failed handshake).
    using Wrapper = std::function<std::unique_ptr<ThttpConnection>(int fd)>;

    explicit TloopbackHttpServer(Handler handler, Wrapper wrap = {})
        : Fhandler(std::move(handler)), Fwrap(std::move(wrap)) {
        Flistener = ::socket(AF_INET, SOCK_STREAM, 0);
        if (Flistener < 0) throw std::runtime_error("socket failed");
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        socklen_t len = sizeof addr;
        if (::bind(Flistener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(Flistener, 16) != 0 || ::getsockname(Flistener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            throw std::runtime_error("cannot listen on loopback");
        Fport = ntohs(addr.sin_port);
        Faccepter = std::thread([this] { AcceptLoop(); });
    }
    ~TloopbackHttpServer() {
        Fstop = true;
        Faccepter.join();
        for (auto& t : Fconnections) t.join();
        ::close(Flistener);
    }

    int Port() const { return Fport; }
    std::string Url(const std::string& target, const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(Fport) + target;
    }
    std::vector<std::string> Requests() const {
        std::lock_guard lock(Fmutex);
        return Frequests;
    }
    int AbortedReplies() const { return Faborted; }

private:
    void AcceptLoop() {
        while (!Fstop) {
            pollfd p{Flistener, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept(Flistener, nullptr, nullptr);
            if (fd < 0) continue;
            Fconnections.emplace_back([this, fd] {
                if (auto connection = Fwrap ? Fwrap(fd) : std::make_unique<ThttpConnection>(fd)) Serve(*connection);
                ::close(fd);
            });
        }
    }

    void Wait(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!Fstop && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    void Serve(ThttpConnection& connection) {
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 && !Fstop) {
            const long n = connection.Read(buffer, sizeof buffer, 20);
            if (n < 0) return;
            request.append(buffer, size_t(n));
        }
        const size_t first = request.find(' '), second = request.find(' ', first + 1);
        if (first == std::string::npos || second == std::string::npos) return;
        const std::string target = request.substr(first + 1, second - first - 1);
        {
            std::lock_guard lock(Fmutex);
            Frequests.push_back(target);
        }
        const ThttpReply reply = Fhandler(target);
        Wait(reply.HeadDelayMs);
        std::string head = "HTTP/1.1 " + std::to_string(reply.Status) + " Reply\r\nConnection: close\r\n";
        if (!reply.ContentType.empty()) head += "Content-Type: " + reply.ContentType + "\r\n";
        if (!reply.Location.empty()) head += "Location: " + reply.Location + "\r\n";
        head += reply.ExtraHeaders;
        if (reply.SendLength)
            head += "Content-Length: " + std::to_string(reply.DeclaredLength.value_or(reply.Body.size())) + "\r\n";
        head += "\r\n";
        if (!connection.Write(head.data(), head.size())) return;
        if (reply.ChunkDelayMs <= 0) {
            connection.Write(reply.Body.data(), reply.Body.size());
            return;
        }
        for (size_t at = 0; at < reply.Body.size() && !Fstop; at += reply.ChunkSize) {
            Wait(reply.ChunkDelayMs);
            if (!connection.Write(reply.Body.data() + at, std::min(reply.ChunkSize, reply.Body.size() - at))) {
                ++Faborted;
                return;
            }
        }
    }

    Handler Fhandler;
    Wrapper Fwrap;
    int Flistener = -1;
    int Fport = 0;
    std::atomic<bool> Fstop{false};
    std::atomic<int> Faborted{0};
    std::thread Faccepter;
    std::vector<std::thread> Fconnections;  // touched by the accepting thread, joined after it
    mutable std::mutex Fmutex;
    std::vector<std::string> Frequests;
};

}  // namespace tunecrest::test
