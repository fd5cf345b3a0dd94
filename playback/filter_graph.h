#pragma once
// The media graph of the in-process player: one GStreamer playbin per opened file or
// internet address, with the chosen audio output, video pictures handed to the panel,
// karaoke graphics drawn from a ".cdg" companion, an optional pitch-and-tempo stage,
// and a 500 ms poll that reports the time, reads the bus (errors, stream titles) and
// finds the end of the file. The end of a file (or a failure) is also acted on as soon
// as GStreamer reports it: the bus hands it to the main thread at once, so the next
// track starts without waiting for the poll; the poll stays as the fallback.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/base/event_lists.h"
#include "core/base/thread_timer.h"
#include "playback/filter_graph_panel.h"
#include "core/jukebox/media_player.h"

typedef struct _GstElement GstElement;
typedef struct _GstDevice GstDevice;
typedef struct _GstMessage GstMessage;

namespace tunecrest {

class TcdgDecoder;

using TgraphMessageEvent = std::function<void(TObject* Sender, const std::string& message)>;
using TgraphStateEvent = std::function<void(TObject* Sender, TmediaPlayState state)>;

// What a file that cannot be heard for want of a sound device reports.
inline constexpr const char* kNoSoundDevice =
    "No sound device or sound server was found, so nothing can be heard. The queue is kept; "
    "the next track tries the sound output again.";

class TmyFilterGraph : public TObject {
public:
    static constexpr int kPollIntervalMs = 500;
    static constexpr int kStateWaitMs = 100;
    // How long opening a file may take to find its streams before it counts as failed.
    static constexpr int kOpenTimeoutMs = 5000;

    TmyFilterGraph();
    ~TmyFilterGraph() override;
    TmyFilterGraph(const TmyFilterGraph&) = delete;
    TmyFilterGraph& operator=(const TmyFilterGraph&) = delete;

    // The panel that shows the pictures (not owned; may be null).
    void SetPanel(TcustomFilterGraphPanel* panel);
    TcustomFilterGraphPanel* Panel() const { return Fpanel.load(); }

    bool IsReady() const;
    TmediaPlayState GetState();
    // Builds a fresh graph for the file and prepares it (stopped at its start).
    bool OpenFile(const std::string& fileName);
    bool Play();
    void Pause();  // toggles between running and paused
    void Stop();
    bool OpenAndPlay(const std::string& fileName);
    // Prepares an internet address (an "http://" radio stream). Nothing waits for the
    // stream: Play starts it and the poll reports titles, failures and its end.
    bool OpenURL(const std::string& address);
    bool IsStream() const { return Fstream; }
    // The reason the last file or stream failed; empty when none did.
    const std::string& LastError() const { return FlastError; }

    // The pitch-and-tempo stage: with it on, every graph built from then on carries it
    // (when GStreamer has the "pitch" element). Pitch and tempo are ratios (1 = as
    // recorded); they are kept for every later graph and reach a running one at once.
    void SetPitchControl(bool on) { FpitchControl = on; }
    bool PitchControl() const { return FpitchControl; }
    bool HasPitchStage() const { return FpitchStage != nullptr; }
    void SetPitchAndTempo(double pitch, double tempo);
    double PitchRatio() const { return FpitchRatio; }
    double TempoRatio() const { return FtempoRatio; }
    // Whether GStreamer can build the pitch-and-tempo stage at all.
    static bool PitchStageAvailable();

    int64_t GetPosition();  // milliseconds; 0 when unknown
    bool SetPosition(int64_t ms);
    int64_t GetDuration();  // milliseconds; 0 when unknown
    double GetRate() const { return Frate; }
    bool SetRate(double rate);

    // Hundredths of a decibel, -10000 to 0.
    int GetVolume() const { return Fvolume; }
    bool SetVolume(int graphVolume);

    // Chooses the audio output by its display name; the default name means the system's default.
    void SetAudioDevice(const std::string& name);
    const std::string& AudioDevice() const { return FaudioDevice; }

    const std::string& FileName() const { return FfileName; }
    const std::string& KaraokeFile() const { return FkaraokeFile; }
    bool HasVideo() const { return FhasVideo; }
    // The last file could not be heard: it has sound, but no sound device or sound server
    // could be opened, so the automatic output fell back to a silent stand-in. A file
    // without pictures is then not played at all (OpenAndPlay fails, with kNoSoundDevice as its last error);
    // each file opens the output anew, so a device that comes back is used again.
    bool NoAudioDevice() const { return FnoAudioDevice; }
    // The pipeline of the open file (nullptr when none), for inspection.
    GstElement* Pipeline() const { return Fpipeline; }
    // Names of the elements in the current pipeline.
    std::vector<std::string> FilterNames() const;

    // The poll: runs every kPollIntervalMs on the main thread while the graph runs.
    void TimerTick();
    // Acts on an end of stream or a failure the bus has reported: the same end as the
    // poll finds, without a time report. Runs on the main thread; `generation` names the
    // pipeline the report came from (one released since is ignored).
    void BusReported(uint64_t generation);
    bool TimerEnabled() const { return Ftimer.Enabled(); }
    // The poll's period (kPollIntervalMs unless changed; tests lengthen it to show that
    // the bus alone ends a file).
    void SetPollInterval(int ms) { Ftimer.SetInterval(ms); }

    TgraphMessageEvent OnError;
    TgraphMessageEvent OnStatus;
    TgraphStateEvent OnStateChange;
    TNotifyEvent OnTimer;
    TNotifyEvent OnComplete;
    // A new title from the stream's tags (an internet radio's "now playing").
    TgraphMessageEvent OnTitle;

private:
    bool BuildGraph();
    bool StartNewGraph();
    void ReleaseGraph();
    GstElement* CreateAudioSink();
    GstElement* CreateVideoSink();
    void ReportState();
    void ReadBus();
    void Error(const std::string& message);
    void StartKaraoke();
    void StopKaraoke();
    void KaraokeLoop(std::stop_token stop);
    bool Seek(double rate, int64_t positionMs);
    void SetTimerEnabled(bool on);
    GstElement* CreateAudioOutput();
    bool AudioOutputIsStandIn() const;
    // The output with the pitch stage when pitch control is on.
    GstElement* CreateShiftedOutput();
    GstElement* WithVolumeStage(GstElement* output);
    void ReadTitle(GstMessage* message);
    // Reports the end when the graph was running and has now stopped.
    void CheckEnd();
    void WatchBus();

    GstElement* Fpipeline = nullptr;
    GstDevice* Fdevice = nullptr;  // the chosen audio output; null for the default
    std::string FaudioDevice = "Default DirectSound Device";
    std::string FfileName;
    std::string FkaraokeFile;
    std::atomic<TcustomFilterGraphPanel*> Fpanel{nullptr};
    std::unique_ptr<TcdgDecoder> Fkaraoke;
    std::jthread FkaraokeThread;
    GstElement* FpitchStage = nullptr;  // the "pitch" element of the current graph, when it has one
    bool FpitchControl = false;
    double FpitchRatio = 1.0;
    double FtempoRatio = 1.0;
    bool Fstream = false;  // an internet address is open
    std::string FlastError;
    std::string FlastTitle;
    bool FhasVideo = false;
    bool FnoAudioDevice = false;
    bool Fstopped = true;     // opened or stopped by a call: reported as stopped
    bool FendOfStream = false;
    TmediaPlayState FlastState = psStopped;
    tmyjvthreadTimer Ftimer;
    int Fvolume = 0;
    double Frate = 1.0;
    // Cleared at destruction: a bus report still queued for the main thread finds the
    // graph gone. The number tells reports of an earlier pipeline from the current one's.
    std::shared_ptr<TmyFilterGraph*> Falive;
    uint64_t Fgeneration = 0;
};

}  // namespace tunecrest
