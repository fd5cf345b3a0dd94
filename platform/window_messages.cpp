#include "platform/window_messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "core/base/services.h"
#include "platform/window_message_wire.h"

namespace tunecrest {

namespace {

using wire::Tdeadline;
using wire::Tkind;
using wire::Treply;
using wire::Trequest;
using wire::Tstatus;

constexpr size_t kMaxClassName = 256;
constexpr size_t kMaxTitle = 8192;
// Connections one window serves at once; more are closed at once, so a flood of
// callers that never send anything cannot tie up the process.
constexpr size_t kMaxConnections = 32;
// How long the window side waits for a caller's request after it connected.
constexpr int kRequestReadTimeoutMs = kDefaultMessageTimeoutMs;

// ---- the folder ----

std::mutex gFolderMutex;
std::string gFolder;  // set by SetWindowMessageFolder; empty = the default

// The folder must be a real folder (not a link) of our own that nobody else can
// enter; one we own with looser rights is tightened. Creates it when `create`.
bool CheckPrivateFolder(const std::string& folder, bool create) {
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return false;
    return true;
}

// Makes `folder` and any missing parents (each 0700); true when it then is a private
// folder of this user.
bool MakePrivateFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    return CheckPrivateFolder(folder, true);
}

// Called with gFolderMutex held.
std::string DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return ChooseWindowMessageFolder(runtime, "/tmp", "");
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string cacheDir;
    if (cache && cache[0] == '/') cacheDir = cache;
    else if (home && home[0] == '/') cacheDir = std::string(home) + "/.cache";
    // The choice is made (and a fallback logged) once for a given home.
    static std::string chosenFor, chosen;
    if (chosen.empty() || chosenFor != cacheDir) {
        chosen = ChooseWindowMessageFolder("", "/tmp", cacheDir);
        chosenFor = cacheDir;
    }
    return chosen;
}

std::string SocketPath(const std::string& folder, HWND window) {
    return folder + "/" + std::to_string(window) + ".sock";
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A handle carries its owner's process id, so a socket left by a dead process can be told.
pid_t OwnerOf(HWND window) {
    return pid_t(window >> 24);
}

bool ProcessIsGone(pid_t pid) {
    return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

std::optional<HWND> HandleFromFileName(const std::string& name) {
    const std::string suffix = ".sock";
    if (name.size() <= suffix.size() || name.size() > 19 + suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    HWND value = 0;
    for (size_t i = 0; i < name.size() - suffix.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        const int digit = name[i] - '0';
        // A name beyond the handle range is no window of ours (and must not overflow).
        if (value > (std::numeric_limits<HWND>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value > 0 ? std::optional<HWND>(value) : std::nullopt;
}

std::string TruncateUtf8(std::string text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

class TfileDescriptor {
public:
    explicit TfileDescriptor(int fd = -1) : Ffd(fd) {}
    ~TfileDescriptor() { Reset(); }
    TfileDescriptor(const TfileDescriptor&) = delete;
    TfileDescriptor& operator=(const TfileDescriptor&) = delete;
    int Get() const { return Ffd; }
    void Reset(int fd = -1) {
        if (Ffd >= 0) ::close(Ffd);
        Ffd = fd;
    }

private:
    int Ffd;
};

// ---- what a window's handlers see ----

// The part of a window shared with the work queued for its handlers, so queued work
// that runs after the window is gone finds it closed instead of freed.
struct TwindowCore {
    std::string className;
    HWND handle = 0;
    bool onMainThread = true;
    std::atomic<bool> alive{true};
    std::mutex mutex;
    std::string title;
    TmessageWindow::TmessageHandler onMessage;
    TmessageWindow::TcopyDataHandler onCopyData;
    std::thread::id handlerThread;  // when the handlers run on the window's own thread

    LRESULT Handle(const Trequest& request) {
        if (!alive) return 0;
        try {
            if (request.kind == Tkind::CopyData) {
                TmessageWindow::TcopyDataHandler handler;
                {
                    std::lock_guard lock(mutex);
                    handler = onCopyData;
                }
                return handler ? handler(request.data, request.bytes) : 0;
            }
            TmessageWindow::TmessageHandler handler;
            {
                std::lock_guard lock(mutex);
                handler = onMessage;
            }
            return handler ? handler(request.msg, request.wParam, request.lParam) : 0;
        } catch (const std::exception& e) {
            LogError("Window message handler failed: " + std::string(e.what()));
        } catch (...) {
            LogError("Window message handler failed");
        }
        return 0;
    }

    // True when a call from this thread must run the handler itself: its answer
    // could never come back through the queue this thread would be waiting on.
    bool RunsOnThisThread() const {
        return onMainThread ? Dispatcher().IsMainThread() : std::this_thread::get_id() == handlerThread;
    }
};

// Windows of this process, so a window messaging itself from its handler thread is
// answered directly instead of waiting on itself.
std::mutex gLocalMutex;
std::map<HWND, std::weak_ptr<TwindowCore>> gLocalWindows;
std::atomic<uint32_t> gNextSerial{1};

std::shared_ptr<TwindowCore> LocalWindow(HWND window) {
    std::lock_guard lock(gLocalMutex);
    auto it = gLocalWindows.find(window);
    return it == gLocalWindows.end() ? nullptr : it->second.lock();
}

// The answer of one delivered request, waited for by the connection that brought it.
struct TpendingAnswer {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    LRESULT result = 0;
};

// ---- the caller side ----

enum class Tconnect { Ok, Refused, Failed };

Tconnect ConnectTo(HWND window, Tdeadline deadline, TfileDescriptor& socketFd) {
    if (window <= 0) return Tconnect::Failed;
    const std::string folder = WindowMessageFolder();
    if (!CheckPrivateFolder(folder, false)) return Tconnect::Failed;
    sockaddr_un address{};
    if (!MakeAddress(SocketPath(folder, window), address)) return Tconnect::Failed;
    for (;;) {
        socketFd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (socketFd.Get() < 0) return Tconnect::Failed;
        if (::connect(socketFd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) break;
        if (errno == ECONNREFUSED || errno == ENOENT) return Tconnect::Refused;
        // A full backlog (the window is not accepting): try again until the deadline.
        if (errno != EAGAIN && errno != EINTR) return Tconnect::Failed;
        if (std::chrono::steady_clock::now() >= deadline) return Tconnect::Failed;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return wire::PeerHasOurUid(socketFd.Get()) ? Tconnect::Ok : Tconnect::Failed;
}

// Removes the socket of a window whose process has died without removing it.
void RemoveIfStale(HWND window) {
    const pid_t owner = OwnerOf(window);
    if (owner == ::getpid() || !ProcessIsGone(owner)) return;
    ::unlink(SocketPath(WindowMessageFolder(), window).c_str());
}

std::optional<Treply> Call(HWND window, const Trequest& request, int timeoutMs) {
    const Tdeadline deadline = wire::DeadlineIn(timeoutMs);
    TfileDescriptor fd;
    switch (ConnectTo(window, deadline, fd)) {
        case Tconnect::Ok:
            break;
        case Tconnect::Refused:
            RemoveIfStale(window);
            return std::nullopt;
        case Tconnect::Failed:
            return std::nullopt;
    }
    if (!wire::WriteAll(fd.Get(), wire::EncodeRequest(request), deadline)) return std::nullopt;
    std::string body;
    if (wire::ReadFrame(fd.Get(), body, deadline) != wire::TreadResult::Ok) return std::nullopt;
    auto reply = wire::ParseReply(request.kind, body);
    if (!reply || reply->status != Tstatus::Ok) return std::nullopt;
    return reply;
}

// Sends, or runs the handler directly when the caller is the target's own handler
// thread (its answer could never come back through the queue that thread serves).
// A post never waits for the handler, so it always goes through the socket.
bool Deliver(HWND window, const Trequest& request, int timeoutMs, LRESULT& result) {
    result = 0;
    if (request.kind != Tkind::Post) {
        if (auto local = LocalWindow(window); local && local->alive && local->RunsOnThisThread()) {
            result = local->Handle(request);
            return true;
        }
    }
    auto reply = Call(window, request, timeoutMs);
    if (!reply) return false;
    result = reply->result;
    return true;
}

// Removes the sockets of windows whose processes died without removing them.
void RemoveStaleSockets(const std::string& folder, std::vector<HWND>& windows) {
    std::erase_if(windows, [&](HWND window) {
        if (!ProcessIsGone(OwnerOf(window))) return false;
        ::unlink(SocketPath(folder, window).c_str());
        return true;
    });
}

std::vector<HWND> ListSocketFiles() {
    std::vector<HWND> windows;
    const std::string folder = WindowMessageFolder();
    if (!CheckPrivateFolder(folder, false)) return windows;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return windows;
    while (dirent* entry = ::readdir(dir)) {
        if (auto window = HandleFromFileName(entry->d_name)) windows.push_back(*window);
    }
    ::closedir(dir);
    RemoveStaleSockets(folder, windows);
    std::sort(windows.begin(), windows.end());
    return windows;
}

}  // namespace

// ---- the window side ----

struct TmessageWindow::Impl {
    std::shared_ptr<TwindowCore> core = std::make_shared<TwindowCore>();
    std::string path;
    TfileDescriptor listenFd;
    TfileDescriptor wakeFd;  // eventfd that ends the listener's wait
    std::atomic<bool> stopping{false};
    std::thread listener;

    struct Tconnection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
        std::atomic<bool> requestRead{false};  // the caller's request has arrived
        bool evicted = false;                  // shut down to make room for a new caller
    };
    std::mutex connectionsMutex;
    std::list<Tconnection> connections;

    // The window's own handler thread (when the handlers do not run on the main thread).
    std::thread handlerThread;
    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<std::function<void()>> queue;

    bool Open(const std::string& className, const std::string& title, bool onMainThread);
    void Close();
    void Listen();
    void Serve(int fd, std::atomic<bool>& requestRead);
    void Queue(std::function<void()> work);
    void RunHandlerQueue();
    void ReapFinished(bool all);
};

bool TmessageWindow::Impl::Open(const std::string& className, const std::string& title, bool onMainThread) {
    core->className = TruncateUtf8(className, kMaxClassName);
    core->title = TruncateUtf8(title, kMaxTitle);
    core->onMainThread = onMainThread;
    const std::string folder = WindowMessageFolder();
    if (!CheckPrivateFolder(folder, true)) {
        LogError("Window messages: the folder " + folder + " is not a private folder of this user");
        return false;
    }
    // Sockets left by processes that died without closing their windows.
    ListSocketFiles();

    const HWND handle = (HWND(::getpid()) << 24) | (gNextSerial.fetch_add(1) & 0xFFFFFF);
    path = SocketPath(folder, handle);
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        LogError("Window messages: the socket path is too long: " + path);
        return false;
    }
    listenFd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (listenFd.Get() < 0) return false;
    // The name holds our process id, so a file of that name is left from an earlier
    // process with the same id.
    ::unlink(path.c_str());
    if (::bind(listenFd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(listenFd.Get(), 64) != 0) {
        LogError("Window messages: cannot listen on " + path + ": " + std::strerror(errno));
        ::unlink(path.c_str());
        path.clear();
        return false;
    }
    wakeFd.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (wakeFd.Get() < 0) {
        ::unlink(path.c_str());
        path.clear();
        return false;
    }
    core->handle = handle;
    if (!onMainThread) {
        handlerThread = std::thread([this] { RunHandlerQueue(); });
        core->handlerThread = handlerThread.get_id();
    }
    {
        std::lock_guard lock(gLocalMutex);
        gLocalWindows[handle] = core;
    }
    listener = std::thread([this] { Listen(); });
    return true;
}

void TmessageWindow::Impl::Close() {
    stopping = true;
    if (listener.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wakeFd.Get(), &one, sizeof(one));
        listener.join();
    }
    ReapFinished(true);
    {
        std::lock_guard lock(gLocalMutex);
        gLocalWindows.erase(core->handle);
    }
    {
        // Under the queue's lock: the handler thread checks the flag and starts waiting
        // under it, so the wake-up below cannot fall between the two and be lost.
        std::lock_guard lock(queueMutex);
        core->alive = false;
    }
    if (handlerThread.joinable()) {
        queueChanged.notify_all();
        if (handlerThread.get_id() == std::this_thread::get_id())
            handlerThread.detach();  // closed from one of its own handlers
        else
            handlerThread.join();
    }
    if (!path.empty()) ::unlink(path.c_str());
    listenFd.Reset();
}

void TmessageWindow::Impl::Listen() {
    while (!stopping) {
        pollfd fds[2] = {{listenFd.Get(), POLLIN, 0}, {wakeFd.Get(), POLLIN, 0}};
        const int n = ::poll(fds, 2, 1000);
        ReapFinished(false);
        if (n <= 0 || stopping) continue;
        if (!(fds[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(connectionsMutex);
        const auto active = std::count_if(connections.begin(), connections.end(),
                                          [](const Tconnection& c) { return !c.finished && !c.evicted; });
        if (size_t(active) >= kMaxConnections) {
            // Callers that connected and never sent their request hold slots for nothing:
            // the oldest of them makes room, so a real message is not refused.
            auto idle = std::find_if(connections.begin(), connections.end(), [](const Tconnection& c) {
                return !c.finished && !c.evicted && !c.requestRead;
            });
            if (idle == connections.end()) {
                ::close(fd);
                continue;
            }
            idle->evicted = true;
            ::shutdown(idle->fd, SHUT_RDWR);
        }
        auto& connection = connections.emplace_back();
        connection.fd = fd;
        connection.thread = std::thread([this, fd, &connection] {
            Serve(fd, connection.requestRead);
            // Ends the exchange now; the descriptor is closed when the thread is reaped.
            ::shutdown(fd, SHUT_RDWR);
            connection.finished = true;
        });
    }
}

void TmessageWindow::Impl::ReapFinished(bool all) {
    std::list<Tconnection> done;
    {
        std::lock_guard lock(connectionsMutex);
        for (auto it = connections.begin(); it != connections.end();) {
            auto next = std::next(it);
            // Closing: wake connections still waiting for a caller's bytes.
            if (all && !it->finished) ::shutdown(it->fd, SHUT_RDWR);
            if (all || it->finished) done.splice(done.end(), connections, it);
            it = next;
        }
    }
    for (auto& connection : done) {
        connection.thread.join();
        ::close(connection.fd);
    }
}

void TmessageWindow::Impl::Queue(std::function<void()> work) {
    if (core->onMainThread) {
        Dispatcher().Post(std::move(work));
        return;
    }
    std::lock_guard lock(queueMutex);
    queue.push_back(std::move(work));
    queueChanged.notify_all();
}

void TmessageWindow::Impl::RunHandlerQueue() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(queueMutex);
            queueChanged.wait(lock, [this] { return !queue.empty() || !core->alive; });
            if (!core->alive) return;
            work = std::move(queue.front());
            queue.pop_front();
        }
        work();
    }
}

void TmessageWindow::Impl::Serve(int fd, std::atomic<bool>& requestRead) {
    // Only processes of our own user may message our windows.
    if (!wire::PeerHasOurUid(fd)) return;
    const Tdeadline deadline = wire::DeadlineIn(kRequestReadTimeoutMs);
    std::string body;
    const auto read = wire::ReadFrame(fd, body, deadline);
    if (read == wire::TreadResult::Closed || read == wire::TreadResult::Timeout) return;
    requestRead = true;
    const auto request = read == wire::TreadResult::Ok ? wire::ParseRequest(body) : std::nullopt;
    if (!request) {
        Treply refused;
        refused.status = Tstatus::Refused;
        wire::WriteAll(fd, wire::EncodeReply(Tkind::Send, refused), wire::DeadlineIn(kRequestReadTimeoutMs));
        return;
    }
    Treply reply;
    reply.status = Tstatus::Ok;
    switch (request->kind) {
        case Tkind::Describe: {
            std::lock_guard lock(core->mutex);
            reply.className = core->className;
            reply.title = core->title;
            break;
        }
        case Tkind::Post: {
            auto target = core;
            Queue([target, r = *request] { target->Handle(r); });
            break;
        }
        case Tkind::Send:
        case Tkind::CopyData: {
            auto answer = std::make_shared<TpendingAnswer>();
            auto target = core;
            Queue([target, answer, r = *request] {
                const LRESULT result = target->Handle(r);
                std::lock_guard lock(answer->mutex);
                answer->result = result;
                answer->finished = true;
                answer->done.notify_all();
            });
            std::unique_lock lock(answer->mutex);
            while (!answer->finished && !stopping) answer->done.wait_for(lock, std::chrono::milliseconds(20));
            if (!answer->finished) {
                reply.status = Tstatus::Closing;
            } else {
                reply.result = answer->result;
            }
            break;
        }
    }
    wire::WriteAll(fd, wire::EncodeReply(request->kind, reply), wire::DeadlineIn(kRequestReadTimeoutMs));
}

TmessageWindow::TmessageWindow(std::string className, std::string title, bool onMainThread)
    : TmessageWindow(std::move(className), std::move(title), onMainThread, nullptr, nullptr) {}

TmessageWindow::TmessageWindow(std::string className, std::string title, bool onMainThread,
                               TmessageHandler onMessage, TcopyDataHandler onCopyData)
    : Fimpl(std::make_unique<Impl>()) {
    Fimpl->core->onMessage = std::move(onMessage);
    Fimpl->core->onCopyData = std::move(onCopyData);
    if (!Fimpl->Open(className, title, onMainThread)) Fimpl->core->handle = 0;
}

TmessageWindow::~TmessageWindow() {
    Fimpl->Close();
}

HWND TmessageWindow::Handle() const {
    return Fimpl->core->handle;
}
bool TmessageWindow::IsOpen() const {
    return Fimpl->core->handle != 0;
}
const std::string& TmessageWindow::ClassName() const {
    return Fimpl->core->className;
}

std::string TmessageWindow::Title() const {
    std::lock_guard lock(Fimpl->core->mutex);
    return Fimpl->core->title;
}

void TmessageWindow::SetTitle(const std::string& title) {
    std::lock_guard lock(Fimpl->core->mutex);
    Fimpl->core->title = TruncateUtf8(title, kMaxTitle);
}

void TmessageWindow::SetMessageHandler(TmessageHandler handler) {
    std::lock_guard lock(Fimpl->core->mutex);
    Fimpl->core->onMessage = std::move(handler);
}

void TmessageWindow::SetCopyDataHandler(TcopyDataHandler handler) {
    std::lock_guard lock(Fimpl->core->mutex);
    Fimpl->core->onCopyData = std::move(handler);
}

// ---- the caller side ----

namespace {

struct Tdescription {
    std::string className;
    std::string title;
};

std::optional<Tdescription> Describe(HWND window, int timeoutMs = kDefaultMessageTimeoutMs) {
    if (auto local = LocalWindow(window); local && local->alive) {
        std::lock_guard lock(local->mutex);
        return Tdescription{local->className, local->title};
    }
    Trequest request;
    request.kind = Tkind::Describe;
    auto reply = Call(window, request, timeoutMs);
    if (!reply) return std::nullopt;
    return Tdescription{reply->className, reply->title};
}

}  // namespace

HWND FindWindow(const std::optional<std::string>& className, const std::optional<std::string>& title) {
    for (HWND window : ListSocketFiles()) {
        auto description = Describe(window);
        if (!description) continue;
        if (className && description->className != *className) continue;
        if (title && description->title != *title) continue;
        return window;
    }
    return 0;
}

std::vector<HWND> EnumWindows() {
    std::vector<HWND> windows;
    for (HWND window : ListSocketFiles()) {
        if (Describe(window)) windows.push_back(window);
    }
    return windows;
}

bool IsWindow(HWND window) {
    if (window <= 0) return false;
    if (auto local = LocalWindow(window)) return local->alive.load();
    TfileDescriptor fd;
    switch (ConnectTo(window, wire::DeadlineIn(kDefaultMessageTimeoutMs), fd)) {
        case Tconnect::Ok:
            return true;
        case Tconnect::Refused:
            RemoveIfStale(window);
            return false;
        case Tconnect::Failed:
            return false;
    }
    return false;
}

std::string GetWindowText(HWND window) {
    auto description = Describe(window);
    return description ? description->title : std::string();
}

std::string GetClassName(HWND window) {
    auto description = Describe(window);
    return description ? description->className : std::string();
}

bool SendMessageTimeout(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam, int timeoutMs,
                        LRESULT& result) {
    Trequest request;
    request.kind = Tkind::Send;
    request.msg = msg;
    request.wParam = wParam;
    request.lParam = lParam;
    return Deliver(window, request, timeoutMs, result);
}

LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return SendMessageTimeout(window, msg, wParam, lParam, kDefaultMessageTimeoutMs, result) ? result : 0;
}

bool PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    Trequest request;
    request.kind = Tkind::Post;
    request.msg = msg;
    request.wParam = wParam;
    request.lParam = lParam;
    LRESULT ignored = 0;
    return Deliver(window, request, kDefaultMessageTimeoutMs, ignored);
}

bool SendCopyDataTimeout(HWND window, uint64_t data, std::string_view bytes, int timeoutMs, LRESULT& result) {
    result = 0;
    if (bytes.size() > wire::kMaxCopyDataBytes) return false;
    Trequest request;
    request.kind = Tkind::CopyData;
    request.data = data;
    request.bytes.assign(bytes);
    return Deliver(window, request, timeoutMs, result);
}

LRESULT SendCopyData(HWND window, uint64_t data, std::string_view bytes, int timeoutMs) {
    LRESULT result = 0;
    return SendCopyDataTimeout(window, data, bytes, timeoutMs, result) ? result : 0;
}

std::string WindowMessageFolder() {
    std::lock_guard lock(gFolderMutex);
    return gFolder.empty() ? DefaultFolder() : gFolder;
}

void SetWindowMessageFolder(const std::string& folder) {
    std::lock_guard lock(gFolderMutex);
    gFolder = folder;
}

std::string ChooseWindowMessageFolder(const std::string& runtimeDir, const std::string& tempDir,
                                      const std::string& cacheDir) {
    if (!runtimeDir.empty() && runtimeDir[0] == '/') return runtimeDir + "/tunecrest";
    // The shared temporary folder serves while the name is ours; anyone may make that
    // name first, so a folder held by another user (or a link) sends us elsewhere.
    const std::string shared = tempDir + "/tunecrest-" + std::to_string(::geteuid());
    if (CheckPrivateFolder(shared, true)) return shared;
    char host[256] = {};
    if (::gethostname(host, sizeof(host) - 1) != 0) host[0] = 0;
    // Only this user can make folders in the home folder's cache.
    const std::string own = cacheDir.empty() ? std::string() : cacheDir + "/tunecrest-sockets-" + host;
    if (!own.empty() && MakePrivateFolders(own)) {
        LogError("Window messages: " + shared + " is not a private folder of this user; using " + own);
        return own;
    }
    LogError("Window messages: no private folder for this user's sockets (" + shared +
             " is held by another user or is no folder" + (own.empty() ? std::string(", and there is no home folder")
                                                                         : ", and " + own + " cannot be made") +
             "); other programs cannot message this one");
    return shared;
}

}  // namespace tunecrest
