#pragma once
// Fetches one picture at a time for a rectangle of the screen (a cell of the cover grid):
// from an "http://" or "https://" address, from a ".bmp" or ".jpg" file, or as a track's cover. Each
// request runs on a worker thread of its own that decodes the picture and fits it into
// the rectangle; the result comes back on the main thread through Dispatcher(). A new
// request cancels the one in progress, and a result that arrives after a newer request
// was made is dropped, so a fast-scrolling grid never waits for stale downloads.
//
// The getter itself is a main-thread object: create it, call it and destroy it there.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/tags/audio_tag.h"
#include "core/base/event_lists.h"
#include "playback/bitmap.h"
#include "playback/http_get.h"

namespace tunecrest {

class TimageGetter;

enum TpictureFormat { pfNone, pfJpeg, pfBmp };

// Encoded picture bytes and how to read them.
struct TencodedPicture {
    TpictureFormat Format = pfNone;
    std::string Bytes;
};

// What the worker needs to find a track's cover. The track is a private copy made when
// the request is made, so that the library may change or rebuild its tracks while the
// fetch runs; the worker only reads files through it and never calls a tagger plug-in.
struct TcoverRequest {
    TaudioTagPtr Track;
    std::string CoverFolder;
    bool CoverFolderOnly = false;
    bool CoverFileFirst = false;
    bool CoverUseEmbedded = false;
};

using TimageProgressEvent = std::function<void(TObject* Sender, const std::string& text, int percent)>;

// One request on its own thread. Created by the getter, freed by it once the thread ended.
class TgetImageThread {
public:
    struct Trequest {
        std::string Source;
        std::optional<TcoverRequest> Cover;
        Trect Rect;
        bool Enlarge = false;
        bool AddressEncoded = false;
        ThttpLimits Limits;
    };

    TgetImageThread(TimageGetter* owner, Trequest request);
    ~TgetImageThread();  // asks the thread to stop and waits for it
    TgetImageThread(const TgetImageThread&) = delete;
    TgetImageThread& operator=(const TgetImageThread&) = delete;

    void Start();
    // Asks the worker to stop: the steps still to come are skipped, a transfer is aborted.
    void Terminate() { Fterminated = true; }
    bool Terminated() const { return Fterminated; }
    bool Ended() const { return Fended; }

private:
    friend class TimageGetter;
    void Execute();
    TencodedPicture Load();
    void Fit(const Tbitmap& picture);
    void Report(const std::string& text, int percent);

    TimageGetter* Fowner;
    Trequest Frequest;
    Tbitmap Fresult;
    std::string FstatusText;
    int Fpercent = -1;
    std::atomic<bool> Fterminated{false};
    std::atomic<bool> Fended{false};
    std::thread Fthread;
};

class TimageGetter : public TObject {
public:
    TimageGetter();
    ~TimageGetter() override;
    TimageGetter(const TimageGetter&) = delete;
    TimageGetter& operator=(const TimageGetter&) = delete;

    // Fetches `source` (an "http://" or "https://" address or a file name); empty finishes at once.
    void GetImage(const std::string& source);
    // Fetches a track's cover; no track finishes at once.
    void GetCoverImage(const TaudioTagPtr& track);
    // Stops the request in progress; its result will not be delivered.
    void Cancel();
    void AssignPicture(const Tbitmap& graphic) { FassignedPicture = graphic; }

    // The last result, fitted into the rectangle; empty when there was none.
    const Tbitmap& Picture() const { return Fpicture; }
    const Tbitmap& AssignedPicture() const { return FassignedPicture; }
    const std::string& Source() const { return Fsource; }
    bool Busy() const { return Fcurrent != nullptr; }

    // Settings copied into each request.
    Trect Rect;
    bool Enlarge = false;          // pictures smaller than the rectangle are scaled up too
    bool AddressEncoded = false;   // the address is sent as given, not percent-encoded
    std::string CoverFolder;
    bool CoverFolderOnly = false;
    bool CoverFileFirst = false;
    bool CoverUseEmbedded = false;
    ThttpLimits Limits;

    // Fired on the main thread when a new picture is in Picture() or a request ended.
    TNotifyEvent OnChange;
    TimageProgressEvent OnProgress;

private:
    friend class TgetImageThread;
    void StartRequest(const TaudioTagPtr& track);
    void WorkerDone(TgetImageThread* worker);
    void WorkerProgress(TgetImageThread* worker, const std::string& text, int percent);
    void Finish();
    void FreeEndedWorkers();

    TgetImageThread* Fcurrent = nullptr;
    std::vector<std::unique_ptr<TgetImageThread>> Fworkers;
    Tbitmap Fpicture;
    Tbitmap FassignedPicture;
    std::string Fsource;
    bool Fdestroying = false;
};

}  // namespace tunecrest
