#pragma once
// The lasting sound output of the in-process player: one stream to the sound server (or
// the chosen device) that stays open from one track to the next. Each track's pipeline
// hands its decoded sound over (playback/hand_over_elements.h); the output plays it
// and, while no track has sound for it, silence. A track change therefore never waits
// for the sound server to start a stream (a server that renders in long periods, or a
// Bluetooth speaker, takes up to seconds for that), and the next track's sound follows
// the last one's as soon as the file has opened.
//
// The volume and the pitch-and-tempo stage belong to the output, so they hold from
// track to track and a change is heard at once.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/hand_over_elements.h"

namespace tunecrest {

class TsoundOutput {
  public:
    // The rate the output opens at when the first thing it plays is an internet stream,
    // whose rate is not known until it has connected.
    static constexpr int kStreamRate = 44100;

    TsoundOutput();
    ~TsoundOutput();
    TsoundOutput(const TsoundOutput&) = delete;
    TsoundOutput& operator=(const TsoundOutput&) = delete;

    // A new audio output for a track's pipeline (playbin's audio-sink): converts whatever
    // the file decodes to the output's format and hands it over. Before the output is
    // open the track keeps its own rate, and the output then opens at it.
    GstElement* MakeTrackSink() const;
    // The rate a track's sink made by MakeTrackSink was given (0 before it prerolled).
    static int TrackSinkRate(GstElement* trackSink);

    // Opens the stream at `rate` through `sink` (which the output takes), with the
    // pitch-and-tempo stage when `pitch`. Waits only for the sink to open its device,
    // not for the stream to start. False, with the reason, when the sink cannot open.
    bool Open(GstElement* sink, int rate, bool pitch, std::string& why);
    void Close();
    bool IsOpen() const { return Fpipeline != nullptr; }
    int Rate() const { return Frate; }
    // The sink in use (null when closed), for the stand-in check.
    GstElement* Sink() const { return Fsink; }
    GstElement* Pipeline() const { return Fpipeline; }
    bool HasPitchStage() const { return Fpitch != nullptr; }
    // An error stopped the output since it opened; the next track opens a new one.
    bool Failed() const;

    // Drops the sound a track has queued and not yet handed on (a stop, a seek).
    void Flush();
    void SetPaused(bool paused);
    bool Paused() const { return Fpaused; }
    // Linear gain, 1 = as recorded.
    void SetVolume(double linear);
    void SetPitchAndTempo(double pitch, double tempo);
    // Sound a track has decoded that is still waiting to be handed on.
    int64_t QueuedMs() const;
    // How long sound handed on now takes to be heard (the sink's and the server's buffers).
    int64_t LatencyMs() const;
    // The clock the output plays by (a new reference), or null while it has none.
    GstClock* Clock() const;

    // Runs on the main thread, once, when the open output fails (a device lost, a
    // server gone): as soon as the failure is handed to the main thread, or at the
    // next CheckFailure, whichever comes first.
    std::function<void(const std::string& reason)> OnFailure;
    // Calls OnFailure when the open output failed and it has not been told (the poll
    // calls it; nothing then hangs on the main thread's queue).
    void CheckFailure();

    // What the streaming threads note of a failure of one stream.
    struct TfailureNote {
        std::mutex Mutex;
        bool Failed = false;
        bool Told = false;
        std::string Reason;
    };

  private:
    std::shared_ptr<ThandOverQueue> Fqueue;
    GstElement* Fpipeline = nullptr;
    GstElement* Fsource = nullptr;  // not owned: the pipeline holds them
    GstElement* Fsink = nullptr;
    GstElement* Fvolume = nullptr;
    GstElement* Fpitch = nullptr;
    int Frate = 0;
    bool Fpaused = false;
    std::shared_ptr<TfailureNote> Fnote;  // of the open stream
    double FvolumeLevel = 1.0;
    double FpitchRatio = 1.0;
    double FtempoRatio = 1.0;
    // Cleared at destruction: a failure report still queued for the main thread finds the
    // output gone.
    std::shared_ptr<TsoundOutput*> Falive;
};

}  // namespace tunecrest
