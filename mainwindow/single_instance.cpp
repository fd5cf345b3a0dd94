#include "mainwindow/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/base/services.h"
#include "core/base/shared_utils.h"

namespace tunecrest {

std::string InstanceLockFileName(const std::string& title, const std::string& suffix) {
    const std::string folder = WindowMessageFolder();
    ::mkdir(folder.c_str(), 0700);
    return (std::filesystem::path(folder) / (MakeAlphaNumName(title + suffix) + ".lock")).string();
}

bool CreateInstanceMutex(int64_t& handle, const std::string& suffix, const std::string& title) {
    handle = 0;
    const std::string name = InstanceLockFileName(title, suffix);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        LogError("Cannot open the instance lock " + name);
        return false;
    }
    // flock belongs to the open file: a copy that dies (even killed) releases it, so a
    // lock file left behind is simply taken over by the next start.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle = fd;
    return true;
}

void CloseInstanceMutex(int64_t& handle) {
    if (handle > 0) ::close(int(handle));
    handle = 0;
}

std::string StripSwitchPrefix(const std::string& param) {
    if (!param.empty() && param.front() == '-') return param.substr(1);
    return param;
}

std::string GetCommandLineText(const std::vector<std::string>& params) {
    if (params.size() == 1) return StripSwitchPrefix(params.front());
    std::string text;
    for (const auto& p : params) text += StripSwitchPrefix(p) + "\r\n";
    return text;
}

bool SendParamsToRunningInstance(const std::string& className, const std::vector<std::string>& params) {
    std::string text = GetCommandLineText(params);
    text.push_back('\0');
    if (text.size() > kMaxHandOverBytes) {
        LogError("The command line is too long to hand to the running copy (" + std::to_string(text.size()) +
                 " bytes)");
        return false;
    }
    HWND window = 0;
    for (int failures = 0;;) {
        window = FindWindow(className, std::nullopt);
        if (window) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (++failures > 200) return false;
    }
    return SendCopyData(window, params.size(), text) != 0;
}

bool DecodeHandOver(uint64_t count, const std::string& bytes, std::vector<std::string>& lines,
                    std::string* reason) {
    auto fail = [&](const std::string& why) {
        if (reason) *reason = why;
        lines.clear();  // nothing of a refused block is handed on
        return false;
    };
    lines.clear();
    if (bytes.empty() || bytes.size() > kMaxHandOverBytes) return fail("length out of bounds");
    if (bytes.back() != '\0') return fail("no terminating zero");
    const std::string text = bytes.substr(0, bytes.size() - 1);
    if (text.find('\0') != std::string::npos) return fail("a zero inside the text");
    if (count == 0) {
        if (!text.empty()) return fail("text without parameters");
        return true;
    }
    if (count == 1) {
        lines.push_back(text);
        return true;
    }
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) return fail("a line without its CR LF");
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (lines.size() != count) return fail("the parameter count does not match the lines");
    return true;
}

TcommandLineReceiver::TcommandLineReceiver(const std::string& className)
    : Falive(std::make_shared<bool>(true)) {
    // The handlers run on the window's own thread: they only check and queue, so the
    // sender is answered at once whatever the main thread is busy with. The window
    // opens with them in place, as a second start may find it and send the moment it
    // listens.
    auto onCopyData = [this](uint64_t data, const std::string& bytes) -> LRESULT {
        std::vector<std::string> lines;
        std::string reason;
        if (!DecodeHandOver(data, bytes, lines, &reason)) {
            LogError("A command line handed over by another start was refused: " + reason);
            return 0;
        }
        Arrived(std::move(lines));
        return 1;
    };
    auto onMessage = [this](uint32_t msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg != kBringForwardMessage) {
            MessageArrived({msg, wParam, lParam});
            return 1;
        }
        std::weak_ptr<bool> alive = Falive;
        Dispatcher().Post([this, alive] {
            if (alive.lock() && OnBringForward) OnBringForward();
        });
        return Fhandle.load();
    };
    Fwindow = std::make_unique<TmessageWindow>(className, kApplicationTitle, false, onMessage, onCopyData);
    Fhandle = Fwindow->Handle();
}

TcommandLineReceiver::~TcommandLineReceiver() {
    Fwindow.reset();  // no handler runs after this
    Falive.reset();
}

void TcommandLineReceiver::Arrived(std::vector<std::string> lines) {
    std::lock_guard lock(Fmutex);
    if (!Fhandler) {
        // Bounded, like the messages below: a flood before start-up ends is dropped.
        if (Fpending.size() < kMaxPendingHandOvers) Fpending.push_back(std::move(lines));
        else LogError("A command line handed over while starting up was dropped: too many are waiting");
        return;
    }
    std::weak_ptr<bool> alive = Falive;
    Dispatcher().Post([this, alive, lines = std::move(lines)] {
        if (!alive.lock()) return;
        ThandOver handler;
        {
            std::lock_guard lock(Fmutex);
            handler = Fhandler;
        }
        if (handler) handler(lines);
    });
}

void TcommandLineReceiver::MessageArrived(const TpendingMessage& message) {
    std::lock_guard lock(Fmutex);
    if (!FmessageHandlerSet) {
        // Bounded, so a flood before start-up ends cannot grow without limit.
        if (FpendingMessages.size() < kMaxPendingHandOvers) FpendingMessages.push_back(message);
        return;
    }
    std::weak_ptr<bool> alive = Falive;
    Dispatcher().Post([this, alive, message] {
        if (!alive.lock()) return;
        TmessageHandler handler;
        {
            std::lock_guard lock(Fmutex);
            handler = FmessageHandler;
        }
        if (handler) handler(message.Msg, message.WParam, message.LParam);
    });
}

void TcommandLineReceiver::SetMessageHandler(TmessageHandler handler) {
    std::vector<TpendingMessage> pending;
    {
        std::lock_guard lock(Fmutex);
        FmessageHandler = handler;
        FmessageHandlerSet = true;
        pending.swap(FpendingMessages);
    }
    if (handler)
        for (const auto& m : pending) handler(m.Msg, m.WParam, m.LParam);
}

void TcommandLineReceiver::SetReady(ThandOver handler) {
    std::vector<std::vector<std::string>> pending;
    {
        std::lock_guard lock(Fmutex);
        Fhandler = handler;
        pending.swap(Fpending);
    }
    for (const auto& lines : pending) handler(lines);
}

}  // namespace tunecrest
