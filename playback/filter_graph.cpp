#include "playback/filter_graph.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
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

TmyFilterGraph::TmyFilterGraph() : Falive(std::make_shared<TmyFilterGraph*>(this)) {
    Ftimer.SetInterval(kPollIntervalMs);
    Ftimer.SetOnTimer([this](TObject*) { TimerTick(); });
    BuildGraph();
}

TmyFilterGraph::~TmyFilterGraph() {
    *Falive = nullptr;
    Ftimer.SetEnabled(false);
    ReleaseGraph();
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
    if (GstElement* audio = CreateAudioOutput()) g_object_set(Fpipeline, "audio-sink", audio, nullptr);
    g_object_set(Fpipeline, "video-sink", CreateVideoSink(), nullptr);
    g_object_set(Fpipeline, "volume", GraphVolumeToLinear(Fvolume), nullptr);
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
        const auto* link = static_cast<const TbusLink*>(data);
        Dispatcher().Post([graph = link->Graph, generation = link->Generation] {
            const auto alive = graph.lock();
            if (alive && *alive) (*alive)->BusReported(generation);
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
    gst_bus_set_sync_handler(bus, BusSyncHandler, link, [](gpointer data) { delete static_cast<TbusLink*>(data); });
    gst_object_unref(bus);
}

void TmyFilterGraph::ReleaseGraph() {
    StopKaraoke();
    ++Fgeneration;  // reports of this pipeline still on their way are void
    if (Fpipeline) {
        gst_element_set_state(Fpipeline, GST_STATE_NULL);
        gst_object_unref(Fpipeline);
        Fpipeline = nullptr;
    }
    if (FpitchStage) {
        gst_object_unref(FpitchStage);
        FpitchStage = nullptr;
    }
    FhasVideo = false;
    Fstream = false;
    FlastTitle.clear();
    Fstopped = true;
    FendOfStream = false;
}

GstElement* TmyFilterGraph::CreateAudioSink() {
    if (const char* override = std::getenv(kAudioSinkVariable); override && *override) {
        GError* failure = nullptr;
        GstElement* sink = gst_parse_bin_from_description(override, TRUE, &failure);
        if (failure) g_error_free(failure);
        if (sink) return sink;
    }
    if (!Fdevice) return nullptr;  // playbin's own choice: the system's default output
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

// The audio output, behind the pitch-and-tempo stage when that is on. The stage sits
// in the output itself, after playbin's own buffering, so that a change is heard at
// once rather than a second later. The pitch element takes only 32-bit float samples:
// converters on both sides let any decoder feed it and any output take its result.
namespace {
// True when `element`, or an element inside it, has a "volume" property of its own.
bool HasOwnVolume(GstElement* element) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "volume")) return true;
    if (!GST_IS_BIN(element)) return false;
    bool found = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        found = g_object_class_find_property(G_OBJECT_GET_CLASS(g_value_get_object(&item)), "volume") != nullptr;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}
}  // namespace

// playbin's sink stage adds a software volume element of its own when the audio output
// has no "volume" property, and GStreamer 1.22 never frees that element: a few kilobytes
// were lost with every track, megabytes over an evening. An output without a volume of
// its own therefore gets ours, in a bin that is freed with the pipeline; playbin's volume
// and mute then work through it.
GstElement* TmyFilterGraph::WithVolumeStage(GstElement* output) {
    if (!output) output = gst_element_factory_make("autoaudiosink", nullptr);
    if (!output || HasOwnVolume(output)) return output;
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    if (!volume) return output;
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), volume, output, nullptr);
    GstPad* input = gst_element_get_static_pad(volume, "sink");
    const bool built = gst_element_link(volume, output) && input &&
                       gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    if (input) gst_object_unref(input);
    if (built) return bin;
    // Unlikely (both are plain audio elements); the output as it was, leak and all,
    // is better than no sound.
    gst_object_unref(gst_object_ref_sink(bin));
    return CreateShiftedOutput();
}

namespace {
// True when `element` is, or holds, a fakesink: the stand-in the automatic audio output
// takes when no device or sound server can be opened.
bool HoldsFakeSink(GstElement* element) {
    auto isFake = [](GstElement* e) {
        GstElementFactory* factory = gst_element_get_factory(e);
        return factory && g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") == 0;
    };
    if (isFake(element)) return true;
    if (!GST_IS_BIN(element)) return false;
    bool found = false;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        found = isFake(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}
}  // namespace

bool TmyFilterGraph::AudioOutputIsStandIn() const {
    // A sink chosen on purpose (tests, benchmarks) is never the stand-in.
    if (const char* override = std::getenv(kAudioSinkVariable); override && *override) return false;
    if (!Fpipeline) return false;
    gint audioStreams = 0;
    g_object_get(Fpipeline, "n-audio", &audioStreams, nullptr);
    if (audioStreams <= 0) return false;
    GstElement* sink = nullptr;
    g_object_get(Fpipeline, "audio-sink", &sink, nullptr);
    if (!sink) return false;
    const bool standIn = HoldsFakeSink(sink);
    gst_object_unref(sink);
    return standIn;
}

GstElement* TmyFilterGraph::CreateAudioOutput() { return WithVolumeStage(CreateShiftedOutput()); }

GstElement* TmyFilterGraph::CreateShiftedOutput() {
    GstElement* sink = CreateAudioSink();
    if (FpitchStage) {
        gst_object_unref(FpitchStage);
        FpitchStage = nullptr;
    }
    if (!FpitchControl || !PitchStageAvailable()) return sink;
    if (!sink) sink = gst_element_factory_make("autoaudiosink", nullptr);
    GstElement* before = gst_element_factory_make("audioconvert", nullptr);
    GstElement* shifter = gst_element_factory_make("pitch", nullptr);
    GstElement* after = gst_element_factory_make("audioconvert", nullptr);
    if (!sink || !before || !shifter || !after) {
        for (GstElement* element : {before, shifter, after})
            if (element) gst_object_unref(gst_object_ref_sink(element));
        if (!sink) Error(kDeviceNotConfigured);
        return sink;
    }
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), before, shifter, after, sink, nullptr);
    GstPad* input = gst_element_get_static_pad(before, "sink");
    if (!gst_element_link_many(before, shifter, after, sink, nullptr) || !input ||
        !gst_element_add_pad(bin, gst_ghost_pad_new("sink", input))) {
        if (input) gst_object_unref(input);
        gst_object_unref(gst_object_ref_sink(bin));
        Error("Pitch and tempo: the audio output could not be set up.");
        return CreateAudioSink();
    }
    gst_object_unref(input);
    FpitchStage = GST_ELEMENT(gst_object_ref(shifter));
    g_object_set(FpitchStage, "pitch", FpitchRatio, "tempo", FtempoRatio, nullptr);
    return bin;
}

void TmyFilterGraph::SetPitchAndTempo(double pitch, double tempo) {
    // The element's own limits; the shifters keep far inside them.
    FpitchRatio = std::clamp(pitch, 0.1, 10.0);
    FtempoRatio = std::clamp(tempo, 0.1, 10.0);
    if (FpitchStage) g_object_set(FpitchStage, "pitch", FpitchRatio, "tempo", FtempoRatio, nullptr);
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
    gint videoStreams = 0;
    g_object_get(Fpipeline, "n-video", &videoStreams, nullptr);
    FhasVideo = videoStreams > 0 || Fkaraoke != nullptr;
    FnoAudioDevice = AudioOutputIsStandIn();
    StartKaraoke();
    ReportState();
    return true;
}

bool TmyFilterGraph::OpenURL(const std::string& address) {
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
    Fstopped = false;
    FendOfStream = false;
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
    if (state == psPlaying)
        gst_element_set_state(Fpipeline, GST_STATE_PAUSED);
    else if (state == psPaused)
        gst_element_set_state(Fpipeline, GST_STATE_PLAYING);
    else
        return;
    ReportState();
}

void TmyFilterGraph::Stop() {
    if (!IsReady()) return;
    if (GetState() != psStopped || !Fstopped) {
        gst_element_set_state(Fpipeline, GST_STATE_READY);
        Fstopped = true;
    }
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
    gint64 position = 0;
    if (!IsReady() || !gst_element_query_position(Fpipeline, GST_FORMAT_TIME, &position)) return 0;
    return NanoToMs(position);
}

int64_t TmyFilterGraph::GetDuration() {
    gint64 duration = 0;
    if (!IsReady() || !gst_element_query_duration(Fpipeline, GST_FORMAT_TIME, &duration)) return 0;
    return NanoToMs(duration);
}

bool TmyFilterGraph::Seek(double rate, int64_t positionMs) {
    if (!IsReady() || FfileName.empty()) return false;
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
    g_object_set(Fpipeline, "volume", GraphVolumeToLinear(Fvolume), nullptr);
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
    if (!IsReady()) return;
    GstState current = GST_STATE_NULL;
    gst_element_get_state(Fpipeline, &current, nullptr, 0);
    // playbin takes a new output only while it is not running; the next file uses it anyway.
    if (current > GST_STATE_READY) {
        Error(kDeviceNotNow);
        return;
    }
    GstElement* sink = CreateAudioOutput();
    g_object_set(Fpipeline, "audio-sink", sink, nullptr);
}

std::vector<std::string> TmyFilterGraph::FilterNames() const {
    std::vector<std::string> names;
    if (!Fpipeline) return names;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(Fpipeline));
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
                names.clear();
                break;
            default: more = false; break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return names;
}

void TmyFilterGraph::ReportState() {
    const TmediaPlayState state = GetState();
    // A stream's poll runs from Play on, so that a failure while it connects is read.
    SetTimerEnabled(state == psPlaying || (Fstream && !Fstopped && !FendOfStream));
    FlastState = state;
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
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            FendOfStream = true;
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_TAG) {
            ReadTitle(message);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && !Fstopped && !FendOfStream) {
            // One failure usually brings more from the elements behind it: the first tells why.
            GError* failure = nullptr;
            gst_message_parse_error(message, &failure, nullptr);
            const std::string text = failure ? failure->message : "unknown error";
            if (failure) g_error_free(failure);
            FlastError = text;
            // The track ends here; the poll then reports it finished like any other end.
            gst_element_set_state(Fpipeline, GST_STATE_READY);
            FendOfStream = true;
            Error(Format("%s: %s", FfileName.c_str(), text.c_str()));
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
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
        ReadBus();
        if (auto* panel = Panel()) panel->TimerTick(kPollIntervalMs);
        if (OnTimer) OnTimer(this);
        CheckEnd();
    } catch (...) {
        // The poll goes on whatever a handler does.
    }
}

void TmyFilterGraph::BusReported(uint64_t generation) {
    if (generation != Fgeneration) return;  // about a pipeline that is gone
    try {
        ReadBus();
        CheckEnd();
    } catch (...) {
    }
}

void TmyFilterGraph::CheckEnd() {
    // A stream that failed before it ever played ends here too.
    const bool streamEnded = Fstream && FendOfStream && !Fstopped;
    if ((FlastState != psStopped || streamEnded) && GetState() == psStopped) {
        FlastState = psStopped;
        if (Fpipeline) gst_element_set_state(Fpipeline, GST_STATE_READY);
        Fstopped = true;
        ReportState();
        if (OnComplete) OnComplete(this);
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
        if (gst_element_query_position(Fpipeline, GST_FORMAT_TIME, &position) &&
            Fkaraoke->AdvanceTo(NanoToMs(position))) {
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
