#pragma once
// A scan of the library's audio folders that keeps the screen alive: the folders are read
// into a list of the scan's own on a worker thread (the tagger plug-ins, the per-folder tag
// caches), and only the merge into the library runs on the main thread, once, at the end.
// Progress texts reach the main thread through the dispatcher, at most a few per second.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tunecrest {

class TcustomJukeboxList;
class TaudioTagList;

class TbackgroundScan {
  public:
    using TstatusEvent = std::function<void(const std::string&)>;
    // Starts at once. `full` empties the library's track list before the found tracks go in.
    TbackgroundScan(TcustomJukeboxList& library, bool full, TstatusEvent status,
                    std::function<void()> finished);
    // Stops a scan still running and waits for its thread; nothing is merged then.
    ~TbackgroundScan();
    TbackgroundScan(const TbackgroundScan&) = delete;
    TbackgroundScan& operator=(const TbackgroundScan&) = delete;

    bool Running() const { return !*Fdone; }
    // Asks the worker to stop; what it found so far is merged.
    void Stop();

    // The merge step alone (main thread): the found tracks into the library.
    static void MergeInto(TcustomJukeboxList& library, TaudioTagList& found, bool full);

  private:
    std::shared_ptr<std::atomic<bool>> Falive, Fdone;
    std::shared_ptr<TaudioTagList> Ffound;
    std::thread Fworker;
};

}  // namespace tunecrest
