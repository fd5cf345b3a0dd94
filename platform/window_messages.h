#pragma once
// Window messages between programs of one user, in place of the desktop's
// window-finding and message calls. A program "owns a window" by registering a
// class name and a title; other programs find it by class and/or title and send it
// numbered messages (number, wParam, lParam) answered synchronously with a result,
// copy-data (a number and bytes), and title reads. The transport is a local socket
// per window in a per-user runtime folder; docs/window-messages.md gives the protocol.
// Every call has a timeout and answers 0 when it runs out, so a hung peer never
// freezes the caller.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

using HWND = int64_t;          // 0 is no window
using WPARAM = int64_t;
using LPARAM = int64_t;
using LRESULT = int64_t;

constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_COPYDATA = 0x004A;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_APPCOMMAND = 0x0319;

constexpr int kDefaultMessageTimeoutMs = 1000;
constexpr size_t kMaxMessageFrame = 64 * 1024;

// The window side: while this object lives, the window can be found and messaged.
class TmessageWindow {
public:
    // Answers one numbered message.
    using TmessageHandler = std::function<LRESULT(uint32_t msg, WPARAM wParam, LPARAM lParam)>;
    // Answers one copy-data message (dwData and the bytes).
    using TcopyDataHandler = std::function<LRESULT(uint64_t data, const std::string& bytes)>;

    // With `onMainThread`, the handlers run on the main thread through Dispatcher();
    // otherwise on a thread of the window's own. Either way one window's handlers run
    // one at a time, in the order the messages arrived.
    TmessageWindow(std::string className, std::string title, bool onMainThread = true);
    // Opens with its handlers already in place, so no message that arrives in the
    // moment after the window can be found goes unanswered. Needed where the
    // handlers run on the window's own thread: it answers as soon as it listens.
    TmessageWindow(std::string className, std::string title, bool onMainThread, TmessageHandler onMessage,
                   TcopyDataHandler onCopyData);
    ~TmessageWindow();
    TmessageWindow(const TmessageWindow&) = delete;
    TmessageWindow& operator=(const TmessageWindow&) = delete;

    HWND Handle() const;
    bool IsOpen() const;  // false when the window could not be registered
    const std::string& ClassName() const;
    std::string Title() const;
    void SetTitle(const std::string& title);
    void SetMessageHandler(TmessageHandler handler);
    void SetCopyDataHandler(TcopyDataHandler handler);

private:
    struct Impl;
    std::unique_ptr<Impl> Fimpl;
};

// The caller side. Class and title are compared exactly; an empty optional matches any.
HWND FindWindow(const std::optional<std::string>& className, const std::optional<std::string>& title);
// Every registered window of this user that answers, in no particular order.
std::vector<HWND> EnumWindows();
bool IsWindow(HWND window);
std::string GetWindowText(HWND window);
std::string GetClassName(HWND window);
// Sends and waits for the answer; false (result 0) on timeout or a lost peer.
bool SendMessageTimeout(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam, int timeoutMs, LRESULT& result);
// As above with the default timeout; 0 on timeout.
LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam);
// Delivers without waiting for the handler's answer.
bool PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam);
// WM_COPYDATA: `data` is dwData, `bytes` the block (at most the frame cap less the header).
LRESULT SendCopyData(HWND window, uint64_t data, std::string_view bytes,
                     int timeoutMs = kDefaultMessageTimeoutMs);
// As SendCopyData, but false on a timeout, a lost peer or a block over the cap, so a
// caller can tell an unanswering window from a handler that answered 0.
bool SendCopyDataTimeout(HWND window, uint64_t data, std::string_view bytes, int timeoutMs, LRESULT& result);

// The folder that holds the windows' sockets; tests point it elsewhere.
std::string WindowMessageFolder();
void SetWindowMessageFolder(const std::string& folder);
// The default folder: <runtimeDir>/tunecrest when there is a runtime folder; otherwise
// <tempDir>/tunecrest-<uid> while that is (or can be made) a private folder of this
// user, else <cacheDir>/tunecrest-sockets-<host name> (made with 0700). When none can
// be used the reason is logged and the temporary name returned (messaging then fails).
std::string ChooseWindowMessageFolder(const std::string& runtimeDir, const std::string& tempDir,
                                      const std::string& cacheDir);

}  // namespace tunecrest
