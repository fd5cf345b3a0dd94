#include "playback/filter_graph.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>

#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "playback/cdg_decoder.h"
#include "playback/graph_utils.h"

namespace tunecrest {

namespace {
const char* const kNotInitialised = "The graph has not been properly initialised.";
const char* const kCannotOpen = "The specified file could not be opened.";
const char* const kCannotRender = "The file could not be rendered.";
const char* const kNoFile = "No File Specified";
const char* const kCannotSetPositions = "Could not set positions.";
const char* const kDeviceNotFound =
    "The specified sound output device could not be located, using default device.";
const char* const kDeviceNotConfigured = "The specified sound output device could not be configured.";
const char* const kDeviceNotNow = "The specified output device could not be set at this time.";

// playbin's stream flags (GstPlayFlags is not in the public headers).
constexpr int kPlayFlagVideo = 1 << 0;
constexpr int kPlayFlagText = 1 << 2;
constexpr int kPlayFlagSoftVolume = 1 << 4;

// How often karaoke graphics are brought up to the play position.
constexpr int kKaraokeFrameMs = 40;

int64_t NanoToMs(gint64 ns) { return ns < 0 ? 0 : int64_t(ns / GST_MSECOND); }

// Hands one decoded picture from the appsink to the panel.
GstFlowReturn PresentSample(GstSample* sample, TcustomFilterGraphPanel* panel) {
    if (!sample) return GST_FLOW_OK;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (panel && buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        TvideoFrame frame;
        frame.Width = GST_VIDEO_INFO_WIDTH(&info);
        frame.Height = GST_VIDEO_INFO_HEIGHT(&info);
        frame.Stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
        frame.Data = map.data;
        if (map.size >= size_t(frame.Stride) * size_t(frame.Height)) panel->PresentFrame(frame);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer graph) {
    return PresentSample(gst_app_sink_pull_sample(sink), static_cast<TmyFilterGraph*>(graph)->Panel());
}

GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer graph) {
    return PresentSample(gst_app_sink_pull_preroll(sink), static_cast<TmyFilterGraph*>(graph)->Panel());
}
}  // namespace

TmyFilterGraph::TmyFilterGraph()
    : Foutput(std::make_unique<TsoundOutput>()), Falive(std::make_shared<TmyFilterGraph*>(this)) {
    Ftimer.SetInterval(kPollIntervalMs);
    Ftimer.SetOnTimer([this](TObject*) { TimerTick(); });
    FidleTimer.SetInterval(kOutputIdleMs);
    FidleTimer.SetOnTimer([this](TObject*) {
        FidleTimer.SetEnabled(false);
        if (GetState() == psStopped) Foutput->Close();
    });
    Foutput->OnFailure = [this](const std::string& reason) { OutputFailed(reason); };
    BuildGraph();
}

TmyFilterGraph::~TmyFilterGraph() {
    *Falive = nullptr;
    Ftimer.SetEnabled(false);
    FidleTimer.SetEnabled(false);
    ReleaseGraph();
    Foutput.reset();
    if (Fdevice) gst_object_unref(Fdevice);
}

void TmyFilterGraph::SetPanel(TcustomFilterGraphPanel* panel) { Fpanel = panel; }

bool TmyFilterGraph::BuildGraph() {
    ReleaseGraph();
    std::string reason;
    if (!EnsureGStreamer(&reason)) {
        Error(reason);
        return false;
    }
    Fpipeline = gst_element_factory_make("playbin", nullptr);
    if (!Fpipeline) return false;
    gst_object_ref_sink(Fpipeline);
    if (GstElement* audio = Foutput->MakeTrackSink()) g_object_set(Fpipeline, "audio-sink", audio, nullptr);
    g_object_set(Fpipeline, "video-sink", CreateVideoSink(), nullptr);
    // The volume is the sound output's: playbin needs no volume element of its own.
    int flags = 0;
    g_object_get(Fpipeline, "flags", &flags, nullptr);
    g_object_set(Fpipeline, "flags", flags & ~kPlayFlagSoftVolume, nullptr);
    Frate = 1.0;
    WatchBus();
    return true;
}

namespace {
// What a pipeline's bus handler needs to reach its graph from a streaming thread.
struct TbusLink {
    std::weak_ptr<TmyFilterGraph*> Graph;
    uint64_t Generation;
};

GstBusSyncReply BusSyncHandler(GstBus*, GstMessage* message, gpointer data) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR) {
        // The report carries what happened: the main thread may run it before the
        // message itself has reached the bus.
        std::string reason;
        if (type == GST_MESSAGE_ERROR) {
            GError* failure = nullptr;
            gst_message_parse_error(message, &failure, nullptr);
            reason = failure && failure->message ? failure->message : "unknown error";
            if (failure) g_error_free(failure);
        }
        const auto* link = static_cast<const TbusLink*>(data);
        Dispatcher().Post([graph = link->Graph, generation = link->Generation, failed = type == GST_MESSAGE_ERROR,
                           reason] {
            const auto alive = graph.lock();
            if (alive && *alive) (*alive)->BusReported(generation, failed, reason);
        });
    }
    // The message stays on the bus: the main thread reads it there.
    return GST_BUS_PASS;
}
}  // namespace

void TmyFilterGraph::WatchBus() {
    // Made here, on the main thread, when nothing made it yet: the default dispatcher
    // takes the thread that first asks for it as the main thread.
    Dispatcher();
    GstBus* bus = gst_element_get_bus(Fpipeline);
    auto* link = new TbusLink{Falive, ++Fgeneration};
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_bus_set_sync_handler(bus, BusSyncHandler, link, [](gpointer data) { delete static_cast<TbusLink*>(data); });
    gst_object_unref(bus);
}

void TmyFilterGraph::ReleaseGraph() {
    StopKaraoke();
    ++Fgeneration;  // reports of this pipeline still on their way are void
    if (Fpipeline) {
        // A file cut short is not heard to the end of what it queued; the end of one
        // that finished still plays while the next one opens.
        if (!Fstopped && !FendOfStream) Foutput->Flush();
        gst_element_set_state(Fpipeline, GST_STATE_NULL);
        gst_object_unref(Fpipeline);
        Fpipeline = nullptr;
    }
    FhasVideo = false;
    Fstream = false;
    FlastTitle.clear();
    Fstopped = true;
    FendOfStream = false;
    FpausedAt = -1;
}

GstElement* TmyFilterGraph::CreateAudioSink() {
    if (const char* override = std::getenv(kAudioSinkVariable); override && *override) {
        GError* failure = nullptr;
        GstElement* sink = gst_parse_bin_from_description(override, TRUE, &failure);
        if (failure) g_error_free(failure);
        if (sink) return sink;
    }
    if (!Fdevice) return MakeAutomaticAudioSink();
    GstElement* sink = gst_device_create_element(Fdevice, nullptr);
    if (!sink) Error(kDeviceNotConfigured);
    return sink;
}

bool TmyFilterGraph::PitchStageAvailable() {
    if (!EnsureGStreamer()) return false;
    GstElementFactory* factory = gst_element_factory_find("pitch");
    if (!factory) return false;
    gst_object_unref(factory);
    return true;
}

std::string TmyFilterGraph::OutputChoice() const {
    std::string choice;
    if (const char* override = std::getenv(kAudioSinkVariable); override && *override)
        choice = std::string("sink:") + override;
    else
        choice = Fdevice ? "device:" + FaudioDevice : std::string("automatic");
    if (FpitchControl && PitchStageAvailable()) choice += "|pitch";
    return choice;
}

bool TmyFilterGraph::OutputIsStandIn() const {
    // Only the automatic output stands in: a sink chosen on purpose (tests, benchmarks)
    // or a chosen device never does.
    return Foutput->IsOpen() && FoutputChoice.rfind("automatic", 0) == 0 && HoldsSilentStandIn(Foutput->Sink());
}

void TmyFilterGraph::PrepareOutput() {
    if (Foutput->IsOpen() && (Foutput->Failed() || OutputIsStandIn() || FoutputChoice != OutputChoice()))
        Foutput->Close();
}

bool TmyFilterGraph::EnsureOutput(int rate, std::string& why) {
    if (Foutput->IsOpen()) return true;
    FoutputChoice = OutputChoice();
    GstElement* sink = CreateAudioSink();
    if (!sink) {
        why = kDeviceNotConfigured;
        return false;
    }
    return Foutput->Open(sink, rate, FoutputChoice.find("|pitch") != std::string::npos, why);
}

void TmyFilterGraph::OutputFailed(const std::string& reason) {
    if (!Fpipeline || Fstopped || FendOfStream) return;  // nothing plays: the next file opens a new output
    Fail(reason);
    CheckEnd();
}

void TmyFilterGraph::FollowOutput() {
    if (GstClock* clock = Foutput->Clock()) {
        gst_pipeline_use_clock(GST_PIPELINE(Fpipeline), clock);
        gst_object_unref(clock);
    }
    if (!FhasVideo || Fkaraoke) return;
    GstElement* video = nullptr;
    g_object_get(Fpipeline, "video-sink", &video, nullptr);
    if (!video) return;
    // The file's sound is heard once the end of the file before it (still queued) and
    // the output's own buffers have played: its pictures wait as long.
    const int64_t soundDelayMs = Foutput->LatencyMs() + Foutput->QueuedMs();
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(video), "ts-offset"))
        g_object_set(video, "ts-offset", gint64(soundDelayMs) * GST_MSECOND, nullptr);
    gst_object_unref(video);
}

void TmyFilterGraph::SetPitchAndTempo(double pitch, double tempo) {
    // The element's own limits; the shifters keep far inside them.
    FpitchRatio = std::clamp(pitch, 0.1, 10.0);
    FtempoRatio = std::clamp(tempo, 0.1, 10.0);
    Foutput->SetPitchAndTempo(FpitchRatio, FtempoRatio);
}

GstElement* TmyFilterGraph::CreateVideoSink() {
    if (!Panel()) {
        // Without a panel, video plays unseen rather than opening a window of its own.
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, nullptr);
        return sink;
    }
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    gst_app_sink_set_caps(GST_APP_SINK(sink), caps);
    gst_caps_unref(caps);
    gst_app_sink_set_max_buffers(GST_APP_SINK(sink), 2);
    gst_app_sink_set_drop(GST_APP_SINK(sink), TRUE);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = OnNewSample;
    callbacks.new_preroll = OnNewPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    return sink;
}

bool TmyFilterGraph::IsReady() const { return Fpipeline != nullptr; }

TmediaPlayState TmyFilterGraph::GetState() {
    if (!IsReady() || Fstopped || FendOfStream) return psStopped;
    GstState current = GST_STATE_NULL, pending = GST_STATE_VOID_PENDING;
    // A stream may take long to connect and fill: its state is read without waiting.
    const GstClockTime wait = Fstream ? 0 : GstClockTime(kStateWaitMs) * GST_MSECOND;
    const GstStateChangeReturn result = gst_element_get_state(Fpipeline, &current, &pending, wait);
    if (result == GST_STATE_CHANGE_FAILURE) return psStopped;
    // A change still under way is reported as the state it is going to.
    const GstState state = (result == GST_STATE_CHANGE_ASYNC && pending != GST_STATE_VOID_PENDING) ? pending : current;
    switch (state) {
        case GST_STATE_NULL:
        case GST_STATE_READY: return psStopped;
        case GST_STATE_PAUSED: return psPaused;
        case GST_STATE_PLAYING: return psPlaying;
        default: return psUnknown;
    }
}

// Forgets the file open now and builds a fresh graph for the next one.
bool TmyFilterGraph::StartNewGraph() {
    FfileName.clear();
    FkaraokeFile.clear();
    FlastError.clear();
    if (auto* panel = Panel()) panel->ClearFrame();
    if (BuildGraph()) return true;
    Error(kNotInitialised);
    return false;
}

bool TmyFilterGraph::OpenFile(const std::string& fileName) {
    FnoAudioDevice = false;
    PrepareOutput();
    if (!StartNewGraph()) return false;
    // A karaoke track plays its own audio while the graphics come from the ".cdg" file.
    const std::string graphics = FindKaraokeGraphics(fileName);
    if (!graphics.empty()) {
        auto decoder = std::make_unique<TcdgDecoder>();
        std::string why;
        if (decoder->LoadFromFile(graphics, &why)) {
            Fkaraoke = std::move(decoder);
            FkaraokeFile = graphics;
            int flags = 0;
            g_object_get(Fpipeline, "flags", &flags, nullptr);
            g_object_set(Fpipeline, "flags", flags & ~(kPlayFlagVideo | kPlayFlagText), nullptr);
        } else if (OnStatus) {
            OnStatus(this, graphics + ": " + why);
        }
    }
    GError* uriError = nullptr;
    gchar* uri = gst_filename_to_uri(fileName.c_str(), &uriError);
    if (uriError) g_error_free(uriError);
    bool opened = false;
    std::string detail;
    if (uri) {
        g_object_set(Fpipeline, "uri", uri, nullptr);
        g_free(uri);
        // Opening waits until the streams are found and the first data is ready, so a
        // missing or unreadable file is known here rather than later in the poll.
        opened = gst_element_set_state(Fpipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
                 gst_element_get_state(Fpipeline, nullptr, nullptr,
                                       GstClockTime(kOpenTimeoutMs) * GST_MSECOND) == GST_STATE_CHANGE_SUCCESS;
        GstBus* bus = gst_element_get_bus(Fpipeline);
        while (GstMessage* message = gst_bus_pop(bus)) {
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError* failure = nullptr;
                gst_message_parse_error(message, &failure, nullptr);
                if (failure && detail.empty()) detail = failure->message;
                if (failure) g_error_free(failure);
                opened = false;
            }
            gst_message_unref(message);
        }
        gst_object_unref(bus);
    }
    gint audioStreams = 0, videoStreams = 0;
    if (opened) {
        g_object_get(Fpipeline, "n-audio", &audioStreams, "n-video", &videoStreams, nullptr);
        // The sound output opens with the first file that has sound, at that file's rate.
        if (audioStreams > 0) {
            GstElement* trackSink = nullptr;
            g_object_get(Fpipeline, "audio-sink", &trackSink, nullptr);
            const int rate = TsoundOutput::TrackSinkRate(trackSink);
            if (trackSink) gst_object_unref(trackSink);
            std::string why;
            if (!EnsureOutput(rate > 0 ? rate : TsoundOutput::kStreamRate, why)) {
                opened = false;
                detail = why;
            }
        }
    }
    if (!opened) {
        StopKaraoke();
        Fkaraoke.reset();
        FkaraokeFile.clear();
        gst_element_set_state(Fpipeline, GST_STATE_NULL);
        FlastError = detail.empty() ? kCannotOpen : detail;
        if (OnStatus && !detail.empty()) OnStatus(this, fileName + ": " + detail);
        Error(kCannotOpen);
        ReportState();
        return false;
    }
    FfileName = fileName;
    FhasVideo = videoStreams > 0 || Fkaraoke != nullptr;
    FnoAudioDevice = audioStreams > 0 && OutputIsStandIn();
    StartKaraoke();
    ReportState();
    return true;
}

bool TmyFilterGraph::OpenURL(const std::string& address) {
    // A stream's rate is known only once it has connected: an output not yet open
    // opens at the usual rate, and the track's sink converts to whatever it is.
    PrepareOutput();
    std::string why;
    if (!EnsureOutput(TsoundOutput::kStreamRate, why)) {
        StartNewGraph();
        FlastError = why;
        Error(kCannotOpen);
        return false;
    }
    if (!StartNewGraph()) return false;
    if (!gst_uri_is_valid(address.c_str())) {
        FlastError = "not an internet address";
        Error(kCannotOpen);
        return false;
    }
    g_object_set(Fpipeline, "uri", address.c_str(), nullptr);
    FfileName = address;
    Fstream = true;
    return true;
}

bool TmyFilterGraph::Play() {
    if (!IsReady()) {
        Error(kNotInitialised);
        return false;
    }
    if (FfileName.empty()) {
        Error(kNoFile);
        return false;
    }
    if (Fstopped) ReadBus();  // what an earlier run left on the bus is no news now
    FpausedAt = -1;
    Fstopped = false;
    FendOfStream = false;
    Foutput->SetPaused(false);
    FollowOutput();
    if (gst_element_set_state(Fpipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        ReadBus();  // the element that failed says why
        gst_element_set_state(Fpipeline, GST_STATE_NULL);
        Fstopped = true;
        if (FlastError.empty()) FlastError = kCannotRender;
        Error(kCannotRender);
        ReportState();
        return false;
    }
    ReportState();
    return true;
}

void TmyFilterGraph::Pause() {
    const TmediaPlayState state = GetState();
    if (state == psPlaying) {
        FpausedAt = GetPosition();
        gst_element_set_state(Fpipeline, GST_STATE_PAUSED);
        Foutput->SetPaused(true);
    } else if (state == psPaused) {
        FpausedAt = -1;
        Foutput->SetPaused(false);
        gst_element_set_state(Fpipeline, GST_STATE_PLAYING);
    } else {
        return;
    }
    ReportState();
}

void TmyFilterGraph::Stop() {
    if (!IsReady()) return;
    FpausedAt = -1;
    if (GetState() != psStopped || !Fstopped) {
        gst_element_set_state(Fpipeline, GST_STATE_READY);
        Fstopped = true;
        // Reports of the run stopped here are void, whenever they reach the main thread.
        WatchBus();
    }
    // What the file queued is not heard after a stop; the output plays silence.
    Foutput->Flush();
    Foutput->SetPaused(false);
    // Reporting the stop here keeps the poll from taking it for the end of the file.
    ReportState();
}

bool TmyFilterGraph::OpenAndPlay(const std::string& fileName) {
    const int volume = Fvolume;
    if (!OpenFile(fileName)) return false;
    // Sound nobody can hear is not played: the clock would run and the queue empty in
    // silence. A video still shows its pictures.
    if (FnoAudioDevice && !FhasVideo) {
        StopKaraoke();
        gst_element_set_state(Fpipeline, GST_STATE_NULL);
        FfileName.clear();
        FlastError = kNoSoundDevice;
        Error(kNoSoundDevice);
        ReportState();
        return false;
    }
    SetVolume(volume);
    return Play();
}

int64_t TmyFilterGraph::GetPosition() {
    if (FpausedAt >= 0) return FpausedAt;
    gint64 position = 0;
    if (!IsReady() || !gst_element_query_position(Fpipeline, GST_FORMAT_TIME, &position)) return 0;
    return std::max<int64_t>(NanoToMs(position) - Foutput->QueuedMs(), 0);
}

int64_t TmyFilterGraph::GetDuration() {
    gint64 duration = 0;
    if (!IsReady() || !gst_element_query_duration(Fpipeline, GST_FORMAT_TIME, &duration)) return 0;
    return NanoToMs(duration);
}

bool TmyFilterGraph::Seek(double rate, int64_t positionMs) {
    if (!IsReady() || FfileName.empty()) return false;
    FpausedAt = -1;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(Fpipeline, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          gint64(std::max<int64_t>(positionMs, 0)) * GST_MSECOND, GST_SEEK_TYPE_NONE,
                          GST_CLOCK_TIME_NONE))
        return false;
    // A flushing seek prerolls again; waiting for it makes the new position readable at once.
    gst_element_get_state(Fpipeline, nullptr, nullptr, GstClockTime(kOpenTimeoutMs) * GST_MSECOND);
    return true;
}

bool TmyFilterGraph::SetPosition(int64_t ms) {
    if (Seek(Frate, ms)) return true;
    Error(kCannotSetPositions);
    return false;
}

bool TmyFilterGraph::SetRate(double rate) {
    if (rate <= 0 || !Seek(rate, GetPosition())) {
        Error(kCannotSetPositions);
        return false;
    }
    Frate = rate;
    return true;
}

bool TmyFilterGraph::SetVolume(int graphVolume) {
    if (!IsReady()) {
        Error(kNotInitialised);
        return false;
    }
    Fvolume = std::clamp(graphVolume, -10000, 0);
    Foutput->SetVolume(GraphVolumeToLinear(Fvolume));
    return true;
}

void TmyFilterGraph::SetAudioDevice(const std::string& name) {
    FaudioDevice = name;
    if (Fdevice) gst_object_unref(Fdevice);
    Fdevice = nullptr;
    if (!name.empty() && name != kDefaultAudioDevice) {
        Fdevice = FindAudioDevice(name);
        if (!Fdevice) Error(kDeviceNotFound);
    }
    // The sound output follows the choice with the next file; one playing now keeps its output.
    if (IsReady() && GetState() != psStopped) Error(kDeviceNotNow);
}

namespace {
// Appends the names of the elements in `bin` ("long name (element name)").
void AppendElementNames(GstElement* bin, std::vector<std::string>& names) {
    if (!bin) return;
    const size_t first = names.size();
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    bool more = true;
    while (more) {
        switch (gst_iterator_next(it, &item)) {
            case GST_ITERATOR_OK: {
                auto* element = GST_ELEMENT(g_value_get_object(&item));
                GstElementFactory* factory = gst_element_get_factory(element);
                gchar* name = gst_element_get_name(element);
                const char* longName =
                    factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME) : nullptr;
                names.push_back(longName ? Format("%s (%s)", longName, name) : std::string(name));
                g_free(name);
                g_value_reset(&item);
                break;
            }
            case GST_ITERATOR_RESYNC:
                gst_iterator_resync(it);
                names.resize(first);
                break;
            default: more = false; break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}
}  // namespace

std::vector<std::string> TmyFilterGraph::FilterNames() const {
    std::vector<std::string> names;
    AppendElementNames(Fpipeline, names);
    AppendElementNames(Foutput->Pipeline(), names);
    return names;
}

void TmyFilterGraph::ReportState() {
    const TmediaPlayState state = GetState();
    // A stream's poll runs from Play on, so that a failure while it connects is read.
    SetTimerEnabled(state == psPlaying || (Fstream && !Fstopped && !FendOfStream));
    // An output with nothing to play closes after a while; anything played keeps it.
    const bool idle = state == psStopped && Fstopped && Foutput->IsOpen();
    if (idle != FidleTimer.Enabled()) FidleTimer.SetEnabled(idle);
    try {
        if (OnStateChange) OnStateChange(this, state);
        if (auto* panel = Panel()) panel->RefreshVideo(FhasVideo, state);
    } catch (...) {
        // A failing handler must not stop the graph's own bookkeeping.
    }
}

void TmyFilterGraph::ReadBus() {
    if (!Fpipeline) return;
    GstBus* bus = gst_element_get_bus(Fpipeline);
    // Every message is taken off the bus so that none piles up while a file plays.
    while (GstMessage* message = gst_bus_pop(bus)) {
        HandleMessage(message);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

void TmyFilterGraph::HandleMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            if (!Fstopped) FendOfStream = true;
            break;
        case GST_MESSAGE_TAG: ReadTitle(message); break;
        case GST_MESSAGE_ERROR: {
            GError* failure = nullptr;
            gst_message_parse_error(message, &failure, nullptr);
            const std::string text = failure && failure->message ? failure->message : "unknown error";
            if (failure) g_error_free(failure);
            Fail(text);
            break;
        }
        default: break;
    }
}

void TmyFilterGraph::Fail(const std::string& reason) {
    // One failure usually brings more from the elements behind it: the first tells why.
    if (!Fpipeline || Fstopped || FendOfStream) return;
    FlastError = reason;
    gst_element_set_state(Fpipeline, GST_STATE_READY);
    FendOfStream = true;
    Error(Format("%s: %s", FfileName.c_str(), reason.c_str()));
}

void TmyFilterGraph::ReadTitle(GstMessage* message) {
    GstTagList* tags = nullptr;
    gst_message_parse_tag(message, &tags);
    if (!tags) return;
    gchar* value = nullptr;
    std::string title;
    if (gst_tag_list_get_string(tags, GST_TAG_TITLE, &value) && value) title = value;
    g_free(value);
    gst_tag_list_unref(tags);
    // Decoders repeat the tags they have seen; only a new title is news.
    if (title.empty() || title == FlastTitle) return;
    FlastTitle = title;
    try {
        if (OnTitle) OnTitle(this, title);
    } catch (...) {
    }
}

void TmyFilterGraph::TimerTick() {
    try {
        Foutput->CheckFailure();
        ReadBus();
        if (auto* panel = Panel()) panel->TimerTick(kPollIntervalMs);
        if (OnTimer) OnTimer(this);
        CheckEnd();
    } catch (...) {
        // The poll goes on whatever a handler does.
    }
}

void TmyFilterGraph::BusReported(uint64_t generation, bool failure, const std::string& reason) {
    if (generation != Fgeneration) return;  // about a pipeline or a run that is gone
    try {
        if (failure)
            Fail(reason);
        else if (!Fstopped)
            FendOfStream = true;
        ReadBus();
        CheckEnd();
    } catch (...) {
    }
}

void TmyFilterGraph::CheckEnd() {
    // Stopped by a call, or its end reported already: there is nothing to report.
    if (!Fpipeline || Fstopped) return;
    if (!FendOfStream) {
        if (GetState() != psStopped) return;  // playing, paused, or a stream still connecting
        AwaitReport();
    }
    gst_element_set_state(Fpipeline, GST_STATE_READY);
    Fstopped = true;
    ReportState();
    if (OnComplete) OnComplete(this);
}

void TmyFilterGraph::AwaitReport() {
    // A pipeline counts itself failed as soon as an element's error passes through it,
    // a moment before the error reaches the bus: the reason is read there, not lost.
    constexpr auto kReportWait = std::chrono::milliseconds(1000);
    const auto deadline = std::chrono::steady_clock::now() + kReportWait;
    GstBus* bus = gst_element_get_bus(Fpipeline);
    while (!FendOfStream) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) break;
        GstMessage* message =
            gst_bus_timed_pop(bus, GstClockTime(std::chrono::duration_cast<std::chrono::nanoseconds>(left).count()));
        if (!message) break;
        HandleMessage(message);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (!FendOfStream) {
        if (FlastError.empty()) FlastError = kCannotRender;
        FendOfStream = true;
    }
}

void TmyFilterGraph::SetTimerEnabled(bool on) { Ftimer.SetEnabled(on); }

void TmyFilterGraph::Error(const std::string& message) {
    try {
        if (OnError) OnError(this, message);
    } catch (...) {
    }
}

void TmyFilterGraph::StartKaraoke() {
    if (!Fkaraoke) return;
    FkaraokeThread = std::jthread([this](std::stop_token stop) { KaraokeLoop(stop); });
}

void TmyFilterGraph::StopKaraoke() {
    if (FkaraokeThread.joinable()) {
        FkaraokeThread.request_stop();
        FkaraokeThread.join();
    }
    Fkaraoke.reset();
}

// Draws the karaoke graphics in step with the audio: the position query is safe from
// any thread, and the decoder belongs to this thread while it runs.
void TmyFilterGraph::KaraokeLoop(std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::vector<uint32_t> pixels;
    while (!stop.stop_requested()) {
        gint64 position = 0;
        // The graphics follow what is heard: sound queued for the output is still to come.
        if (gst_element_query_position(Fpipeline, GST_FORMAT_TIME, &position) &&
            Fkaraoke->AdvanceTo(std::max<int64_t>(NanoToMs(position) - Foutput->QueuedMs(), 0))) {
            Fkaraoke->Render(pixels);
            if (auto* panel = Panel()) {
                TvideoFrame frame;
                frame.Width = TcdgDecoder::kWidth;
                frame.Height = TcdgDecoder::kHeight;
                frame.Stride = TcdgDecoder::kWidth * 4;
                frame.Data = reinterpret_cast<const uint8_t*>(pixels.data());
                panel->PresentFrame(frame);
            }
        }
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, std::chrono::milliseconds(kKaraokeFrameMs), [] { return false; });
    }
}

}  // namespace tunecrest
