#pragma once
// Programs the jukebox starts when it starts up and when it closes. Each launcher starts its
// program detached; a launcher marked "wait" holds back the ones after it until its program
// ends or a time limit passes. The waiting is done by a watcher thread per process, and the
// next launcher is started on the main thread through the dispatcher, so the screen never
// stops responding while a program runs.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;

// How a waited-for program finished, as reported to the caller.
enum TlaunchOutcome { loEnded, loTimedOut };

class TappLauncher : public TObject {
public:
    // How long a waited-for program may run before the launchers after it go on.
    static constexpr int DefaultWaitLimitMs = 60000;

    int ShowCommand = 1;        // kept for the settings file; windows are placed by the desktop
    std::string WorkingFolder;  // used when the program is not waited for
    std::string FileName;       // a program (full path or a name on PATH) or a document
    std::string Parameters;     // blank-separated; double quotes group a parameter with blanks
    bool Wait = false;

    // The one-line text form: file|parameters|folder|show|wait.
    std::string Text() const;
    void SetText(const std::string& text);

    // Starts the program and returns whether it started; a program that cannot be started is
    // logged. With Wait, `onFinished` is called later on the main thread when the program
    // ends or `waitLimitMs` has passed, whichever comes first; it is not called when nothing
    // started or without Wait. A document (a file that is not executable) is opened with its
    // default application; there is no process to wait for, so `onFinished` follows at once.
    bool Execute(std::function<void(TlaunchOutcome)> onFinished = {},
                 int waitLimitMs = DefaultWaitLimitMs) const;
};

// The parameters text split into arguments: blanks separate, double quotes group.
std::vector<std::string> SplitLaunchParameters(const std::string& parameters);

class TappLauncherList : public TObject {
public:
    TappLauncherList();
    ~TappLauncherList() override;
    TappLauncherList(const TappLauncherList&) = delete;
    TappLauncherList& operator=(const TappLauncherList&) = delete;

    TappLauncher* Add(std::unique_ptr<TappLauncher> launcher);
    TappLauncher* Add();
    void Remove(int index);
    void Clear();
    void Move(int from, int to);
    void MoveUp(int index);    // only for 0 < index < Count
    void MoveDown(int index);  // only for 0 <= index < Count - 1
    int Count() const { return int(Fitems.size()); }
    TappLauncher* Items(int index) const;  // nullptr outside the range

    // Starts every launcher in list order and returns at once. A waiting launcher holds back
    // the ones after it until its program ends or the wait limit passes. `onFinished` runs on
    // the main thread once the last one has been started. The run works on copies made when
    // it begins; destroying the list stops a run that is still waiting.
    void ExecuteAll(std::function<void()> onFinished = {});
    int WaitLimitMs() const { return FwaitLimitMs; }
    void SetWaitLimitMs(int ms) { FwaitLimitMs = ms; }

    // Appends the launchers of `section` (one per key, in file order); the list is not cleared.
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    // Replaces `section` with keys Launcher0000, Launcher0001, ...
    void SaveToIni(TiniFile& ini, const std::string& section) const;

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    TNotifyEvent OnChange;

private:
    void Changed();

    std::vector<std::unique_ptr<TappLauncher>> Fitems;
    int FupdateCount = 0;
    bool FchangedWhileLocked = false;
    int FwaitLimitMs = TappLauncher::DefaultWaitLimitMs;
    // Runs still going hold a weak link to this token and stop when it is gone.
    std::shared_ptr<bool> Falive;
};

}  // namespace tunecrest
