#pragma once
// The media graph of the in-process player: one GStreamer playbin per opened file or
// internet address, whose sound goes to a sound output that lasts from track to track
// (playback/sound_output.h), with video pictures handed to the panel, karaoke graphics
// drawn from a ".cdg" companion, and a 500 ms poll that reports the time, reads the bus
// (errors, stream titles) and finds the end of the file. The end of a file (or a
// failure) is also acted on as soon as GStreamer reports it: the bus hands it to the
// main thread at once, so the next track starts without waiting for the poll; the poll
// stays as the fallback.
//
// A file's decoding runs a little ahead of what is heard, so its end is reported while
// its last sound still plays; the next file then opens and its sound follows on the
// same stream, with no new stream for the sound server to start.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/base/event_lists.h"
#include "core/base/thread_timer.h"
#include "core/jukebox/media_player.h"
#include "playback/filter_graph_panel.h"
#include "playback/sound_output.h"

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
    // How long the sound output stays open with nothing to play (its stream keeps a
    // Bluetooth speaker awake and a sound card taken).
    static constexpr int kOutputIdleMs = 10000;

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

    // The pitch-and-tempo stage: with it on, the sound output carries it from the next
    // file on (when GStreamer has the "pitch" element). Pitch and tempo are ratios (1 =
    // as recorded); they hold for every later file and reach the playing one at once.
    void SetPitchControl(bool on) { FpitchControl = on; }
    bool PitchControl() const { return FpitchControl; }
    bool HasPitchStage() const { return Foutput->HasPitchStage(); }
    void SetPitchAndTempo(double pitch, double tempo);
    double PitchRatio() const { return FpitchRatio; }
    double TempoRatio() const { return FtempoRatio; }
    // Whether GStreamer can build the pitch-and-tempo stage at all.
    static bool PitchStageAvailable();

    // Milliseconds; 0 when unknown. The position handed to the sound output: decoded
    // sound still queued for it does not count.
    int64_t GetPosition();
    bool SetPosition(int64_t ms);
    int64_t GetDuration();  // milliseconds; 0 when unknown
    double GetRate() const { return Frate; }
    bool SetRate(double rate);

    // Hundredths of a decibel, -10000 to 0.
    int GetVolume() const { return Fvolume; }
    bool SetVolume(int graphVolume);

    // Chooses the audio output by its display name; the default name means the system's
    // default. The sound output opens it with the next file.
    void SetAudioDevice(const std::string& name);
    const std::string& AudioDevice() const { return FaudioDevice; }

    const std::string& FileName() const { return FfileName; }
    const std::string& KaraokeFile() const { return FkaraokeFile; }
    bool HasVideo() const { return FhasVideo; }
    // The last file could not be heard: it has sound, but no sound device or sound server
    // could be opened, so the automatic output fell back to a silent stand-in. A file
    // without pictures is then not played at all (OpenAndPlay fails, with kNoSoundDevice as its last error);
    // the next file opens the output anew, so a device that comes back is used again.
    bool NoAudioDevice() const { return FnoAudioDevice; }
    // The pipeline of the open file (nullptr when none), for inspection.
    GstElement* Pipeline() const { return Fpipeline; }
    TsoundOutput& Output() { return *Foutput; }
    // Names of the elements of the current pipeline, then of the sound output.
    std::vector<std::string> FilterNames() const;

    // The poll: runs every kPollIntervalMs on the main thread while the graph runs.
    void TimerTick();
    // Acts on an end of stream (`failure` false) or a failure the bus has reported: the
    // same end as the poll finds, without a time report. Runs on the main thread;
    // `generation` names the pipeline and run the report came from (a pipeline released
    // or a run stopped since is ignored).
    void BusReported(uint64_t generation, bool failure, const std::string& reason);
    bool TimerEnabled() const { return Ftimer.Enabled(); }
    // The poll's period (kPollIntervalMs unless changed; tests lengthen it to show that
    // the bus alone ends a file).
    void SetPollInterval(int ms) { Ftimer.SetInterval(ms); }
    // How long the sound output stays open with nothing to play (kOutputIdleMs unless changed).
    void SetOutputIdleTime(int ms) { FidleTimer.SetInterval(ms); }

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
    void HandleMessage(GstMessage* message);
    // The file stops here with `reason`; the end is then reported like any other.
    void Fail(const std::string& reason);
    void Error(const std::string& message);
    void StartKaraoke();
    void StopKaraoke();
    void KaraokeLoop(std::stop_token stop);
    bool Seek(double rate, int64_t positionMs);
    void SetTimerEnabled(bool on);
    // What the sound output is to be opened with now (the override, the chosen device,
    // the pitch stage), to tell whether the open one still fits.
    std::string OutputChoice() const;
    // Closes an output that failed, found no device, or no longer fits the choice.
    void PrepareOutput();
    // Opens the sound output at `rate` unless it is open. False, with the reason.
    bool EnsureOutput(int rate, std::string& why);
    bool OutputIsStandIn() const;
    // The output stopped while a file played: the file ends with the output's reason.
    void OutputFailed(const std::string& reason);
    // Plays by the output's clock, with the pictures held back as long as the sound
    // takes to be heard (set at the start; both then keep the output's pace).
    void FollowOutput();
    void ReadTitle(GstMessage* message);
    // Reports the end once the file has ended, failed or stopped on its own.
    void CheckEnd();
    // The pipeline stopped on its own with no report read yet: waits a moment for the
    // report of the failure that stopped it, which is on its way to the bus.
    void AwaitReport();
    void WatchBus();

    GstElement* Fpipeline = nullptr;
    std::unique_ptr<TsoundOutput> Foutput;
    std::string FoutputChoice;  // what the open output was opened with
    GstDevice* Fdevice = nullptr;  // the chosen audio output; null for the default
    std::string FaudioDevice = "Default DirectSound Device";
    std::string FfileName;
    std::string FkaraokeFile;
    std::atomic<TcustomFilterGraphPanel*> Fpanel{nullptr};
    std::unique_ptr<TcdgDecoder> Fkaraoke;
    std::jthread FkaraokeThread;
    bool FpitchControl = false;
    double FpitchRatio = 1.0;
    double FtempoRatio = 1.0;
    bool Fstream = false;  // an internet address is open
    std::string FlastError;
    std::string FlastTitle;
    bool FhasVideo = false;
    bool FnoAudioDevice = false;
    // Opened or stopped by a call, or its end reported: nothing more is to be reported.
    bool Fstopped = true;
    bool FendOfStream = false;  // the file ended or failed; its end is yet to be reported
    tmyjvthreadTimer Ftimer;
    tmyjvthreadTimer FidleTimer;  // closes the sound output after a while with nothing to play
    int Fvolume = 0;
    double Frate = 1.0;
    // The position when paused (-1 while not): a paused track's pipeline reports where
    // it will go on from, not what was heard.
    int64_t FpausedAt = -1;
    // Cleared at destruction: a bus report still queued for the main thread finds the
    // graph gone. The number tells reports of an earlier pipeline from the current one's.
    std::shared_ptr<TmyFilterGraph*> Falive;
    uint64_t Fgeneration = 0;
};

}  // namespace tunecrest
