#pragma once
// The library scan behind the media search window, without the window. The scan runs on
// a worker thread into a list of its own; the library is touched only on the main
// thread, once the scan has completed:
//  - new files are added, changed files take their new tags, and with "Remove Missing
//    Files" the tracks whose files are gone are dropped, all in one update;
//  - a full rescan replaces the whole list by what the scan found;
//  - a stopped scan changes nothing at all, in memory or on disk (the scan writes no
//    tag caches and the library saves only after a change).
// Progress reaches the main thread through Dispatcher(), at most one report waiting at a
// time, so that a fast scan does not flood the event loop.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/background_worker.h"

namespace tunecrest {

class TcustomJukeboxList;
class TaudioTagList;

struct TmediaScanRequest {
    bool Video = false;                // the video list, else the global (audio) list
    std::vector<std::string> Folders;  // scanned with their subfolders
    bool FullRescan = false;           // replace the list instead of adding to it
    bool RemoveMissing = false;        // drop tracks whose files are gone
    bool Imports = true;               // merge the library's import files afterwards
};

struct TmediaScanProgress {
    std::string Folder;  // the folder being read
    std::string Action;  // the list operation under way ("Scanning Folder...")
    int Position = 0, Max = 0;
    int NewFiles = 0, ModifiedFiles = 0;
};

class TmediaScan {
  public:
    explicit TmediaScan(TcustomJukeboxList& library);
    // Stops a running scan and waits for the worker; nothing is applied.
    ~TmediaScan();
    TmediaScan(const TmediaScan&) = delete;
    TmediaScan& operator=(const TmediaScan&) = delete;

    // Main thread. Progress while the scan runs; Finished once, with true when the scan
    // completed and was applied to the library, false when it was stopped.
    std::function<void(const TmediaScanProgress&)> OnProgress;
    std::function<void(bool completed)> OnFinished;

    // Starts a scan; false (nothing started) while one runs.
    bool Start(const TmediaScanRequest& request);
    // Asks the running scan to stop; the library stays as it was.
    void Stop();
    bool Running() const { return Frun != nullptr; }
    bool StopRequested() const;
    // The figures of the last progress report (and of the finished scan).
    const TmediaScanProgress& Progress() const { return Fprogress; }

    // Blocks until the worker is idle (tests and close-down); results still arrive
    // through the dispatcher.
    void WaitForWorker() { Fworker.Wait(); }

  private:
    struct Trun;
    static void Work(const std::shared_ptr<Trun>& run);
    static void PostProgress(const std::shared_ptr<Trun>& run);
    void TakeProgress(Trun& run);
    void Finish(const std::shared_ptr<Trun>& run);
    void Apply(Trun& run);

    TcustomJukeboxList& Flibrary;
    std::shared_ptr<Trun> Frun;
    TmediaScanProgress Fprogress;
    // Checked by posted calls, which do nothing once the scan object is gone.
    std::shared_ptr<TmediaScan*> Fself;
    TbackgroundWorker Fworker;
};

}  // namespace tunecrest
