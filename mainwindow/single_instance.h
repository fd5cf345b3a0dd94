#pragma once
// One running copy per user. The first copy holds a lock file in the per-user runtime
// folder (the kernel releases it when the process dies, so a killed copy leaves no
// stale lock) and opens a message window of class "Tunecrest Main". A later start
// hands its command line to that window as copy-data and asks it to come forward.
// The receiver checks the hand-over, acknowledges at once and runs it afterwards on
// the main thread, so the second start never waits through a scan.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window_messages.h"

namespace tunecrest {

constexpr const char* kApplicationTitle = "Tunecrest Audio System";
constexpr const char* kMainWindowClass = "Tunecrest Main";
constexpr uint32_t kBringForwardMessage = 0x401;
// The largest command-line text a hand-over carries (with its terminating zero).
constexpr size_t kMaxHandOverBytes = 60 * 1024;
// Hand-overs and messages kept while the first copy is still starting up; more are dropped.
constexpr size_t kMaxPendingHandOvers = 256;

// The lock of the instance named by the title and `suffix` (letters and digits kept).
// True and a handle when this is the first copy; false and handle 0 otherwise.
bool CreateInstanceMutex(int64_t& handle, const std::string& suffix,
                         const std::string& title = kApplicationTitle);
void CloseInstanceMutex(int64_t& handle);
// The lock file's name for a title and suffix.
std::string InstanceLockFileName(const std::string& title, const std::string& suffix);

// One leading "-" of a switch removed. A leading "/" is kept: it starts a path here.
std::string StripSwitchPrefix(const std::string& param);
// One parameter as it is; several as CR LF ended lines; none as "".
std::string GetCommandLineText(const std::vector<std::string>& params);
// Sends the command line to the running copy's window of `className`, looking for it
// for about two seconds. False when no window was found, the text is too long or the
// window refused it.
bool SendParamsToRunningInstance(const std::string& className, const std::vector<std::string>& params);

template <typename Rect>
int RectWidth(const Rect& r) { return r.right - r.left; }
template <typename Rect>
int RectHeight(const Rect& r) { return r.bottom - r.top; }

// Checks a hand-over: dwData is the parameter count, the bytes the text with its zero.
// Returns the parameters (lines) or false, with no lines, when the block is malformed.
bool DecodeHandOver(uint64_t count, const std::string& bytes, std::vector<std::string>& lines,
                    std::string* reason = nullptr);

// The running copy's side: the message window that receives hand-overs.
class TcommandLineReceiver {
public:
    using ThandOver = std::function<void(const std::vector<std::string>& lines)>;
    explicit TcommandLineReceiver(const std::string& className = kMainWindowClass);
    ~TcommandLineReceiver();

    bool IsOpen() const { return Fwindow && Fwindow->IsOpen(); }
    HWND Handle() const { return Fhandle.load(); }
    // From now on hand-overs run `handler` on the main thread; ones that arrived
    // earlier run first, in arrival order.
    void SetReady(ThandOver handler);
    // Runs on the main thread when another start asks the window to come forward.
    std::function<void()> OnBringForward;
    // Every other numbered message (WM_USER commands, WM_APPCOMMAND) runs `handler` on the
    // main thread; the sender is answered 1 at once ("taken"). Messages that arrived before
    // a handler was set run first, in arrival order. An empty handler drops them.
    using TmessageHandler = std::function<void(uint32_t msg, WPARAM wParam, LPARAM lParam)>;
    void SetMessageHandler(TmessageHandler handler);

private:
    void Arrived(std::vector<std::string> lines);
    std::unique_ptr<TmessageWindow> Fwindow;
    // The window's handle, readable by its handlers from the moment it listens.
    std::atomic<HWND> Fhandle{0};
    std::mutex Fmutex;
    ThandOver Fhandler;
    std::vector<std::vector<std::string>> Fpending;
    struct TpendingMessage {
        uint32_t Msg;
        WPARAM WParam;
        LPARAM LParam;
    };
    void MessageArrived(const TpendingMessage& message);
    TmessageHandler FmessageHandler;
    bool FmessageHandlerSet = false;
    std::vector<TpendingMessage> FpendingMessages;
    std::shared_ptr<bool> Falive;
};

}  // namespace tunecrest
