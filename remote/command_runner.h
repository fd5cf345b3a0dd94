#pragma once
// What running controller commands needs from its surroundings: a timer that continues
// a sequence after a wait on the main thread, a way to press keys and click in another
// program's window, and the sequencer that runs actions with waits, nested actions and
// queued re-requests without blocking the main thread.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tunecrest {

class TcontrollerAction;
class TcontrollerActionList;

// Calls `work` on the main thread after `ms` milliseconds (0: as soon as the main
// thread gets to it). The default posts through Dispatcher() from a worker thread;
// tests install one they step by hand.
class TremoteTimer {
public:
    virtual ~TremoteTimer() = default;
    virtual void After(int ms, std::function<void()> work) = 0;
};
TremoteTimer& RemoteTimer();
// nullptr restores the default. Returns the previous one.
std::shared_ptr<TremoteTimer> SetRemoteTimer(std::shared_ptr<TremoteTimer> timer);

// One key press for another program's window: the window by title and class (empty
// matches any), the key as a virtual-key code or a character, and the modifiers.
struct TkeyPress {
    std::string WindowTitle;
    std::string WindowClass;
    int32_t Code = 0;
    bool VirtualKey = false;
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

// One click: client coordinates of the window and the buttons pressed.
struct TmouseClick {
    std::string WindowTitle;
    std::string WindowClass;
    int32_t X = 0;
    int32_t Y = 0;
    bool Left = false;
    bool Right = false;
    bool Middle = false;
};

// Presses keys and clicks in other programs' windows. The default works over an X
// display (XTest, windows found over the client list or the window tree); without one it logs
// that input cannot be sent and does nothing.
class TinputSender {
public:
    virtual ~TinputSender() = default;
    // False when the window was not found or input cannot be sent.
    virtual bool SendKey(const TkeyPress& key) = 0;
    virtual bool SendMouse(const TmouseClick& click) = 0;
    // Shows the window of a program an Exec command started as its show command asks
    // (2 and 7 minimised, 3 maximised; 1 leaves it as it opens), once the window appears.
    // Returns at once. The default does nothing.
    virtual void ShowStartedProgram(pid_t /*pid*/, int32_t /*showCommand*/) {}
};
TinputSender& InputSender();
std::shared_ptr<TinputSender> SetInputSender(std::shared_ptr<TinputSender> sender);

// Deepest nesting of actions run by Action commands within one sequence.
constexpr int kMaxActionDepth = 16;

// Runs actions as sequences: commands in order; a Wait hands the rest to the remote
// timer; an Action command runs the named action inside the same sequence (the caller's
// remaining commands follow it); an action already in the sequence is refused (and
// logged) instead of recursing. A request for an action that is running is queued and
// starts when that run ends. A failure stops the action it happened in; an action run by
// an Action command swallows it and its caller goes on.
class TactionSequencer {
public:
    explicit TactionSequencer(TcontrollerActionList& list);
    ~TactionSequencer();
    TactionSequencer(const TactionSequencer&) = delete;
    TactionSequencer& operator=(const TactionSequencer&) = delete;

    void Run(TcontrollerAction* action);
    // Drops every sequence; waits that come due afterwards do nothing.
    void StopAll();
    int RunningSequences() const { return int(Fruns.size()); }

private:
    struct Trun;
    void Start(const std::shared_ptr<TcontrollerAction>& action);
    void Continue(const std::shared_ptr<Trun>& run);
    void EndFrame(Trun& run);
    void Finish(const std::shared_ptr<Trun>& run);

    TcontrollerActionList& Flist;
    std::vector<std::shared_ptr<Trun>> Fruns;
    // Continuations hold a weak link: when the sequencer is gone they do nothing.
    std::shared_ptr<TactionSequencer*> Falive;
};

// Starts the program or document of an Exec command, detached, in the folder of the
// file (passed as it is, never quoted). An executable file runs with the parameters
// split into arguments (double quotes group words); any other file opens with the
// desktop's opener. False (with `error`) when nothing could be started; `started` gets
// the process id of what was started.
bool StartExecCommand(const std::string& fileName, const std::string& parameters, std::string* error = nullptr,
                      pid_t* started = nullptr);
// Splits a parameter line into arguments: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace tunecrest
