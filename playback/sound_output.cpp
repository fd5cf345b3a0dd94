#include "playback/sound_output.h"

#include <algorithm>

#include "core/base/services.h"

namespace tunecrest {

namespace {
constexpr const char* kHandOverName = "handover";

// What the output pipeline's bus handler needs to reach its output from a streaming thread.
struct ToutputLink {
    std::weak_ptr<TsoundOutput*> Output;
    std::shared_ptr<TsoundOutput::TfailureNote> Note;
};

// Frames on the output's time line, in milliseconds.
int64_t FramesToMs(int64_t frames, int rate) {
    return rate > 0 ? frames * 1000 / rate : 0;
}
}  // namespace

TsoundOutput::TsoundOutput()
    : Fqueue(std::make_shared<ThandOverQueue>()), Falive(std::make_shared<TsoundOutput*>(this)) {}

TsoundOutput::~TsoundOutput() {
    *Falive = nullptr;
    Close();
}

GstElement* TsoundOutput::MakeTrackSink() const {
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* format = gst_element_factory_make("capsfilter", nullptr);
    if (!convert || !resample || !format) {
        for (GstElement* element : {convert, resample, format})
            if (element) gst_object_unref(gst_object_ref_sink(element));
        return nullptr;
    }
    GstElement* handOver = MakeHandOverSink(Fqueue);
    gst_object_set_name(GST_OBJECT(handOver), kHandOverName);
    GstCaps* caps = gst_caps_from_string("audio/x-raw,format=F32LE,layout=interleaved,channels=2");
    if (Frate > 0) gst_caps_set_simple(caps, "rate", G_TYPE_INT, Frate, nullptr);
    g_object_set(format, "caps", caps, nullptr);
    gst_caps_unref(caps);
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), convert, resample, format, handOver, nullptr);
    GstPad* input = gst_element_get_static_pad(convert, "sink");
    const bool built = gst_element_link_many(convert, resample, format, handOver, nullptr) && input &&
                       gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    if (input) gst_object_unref(input);
    if (built) return bin;
    gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
}

int TsoundOutput::TrackSinkRate(GstElement* trackSink) {
    if (!trackSink || !GST_IS_BIN(trackSink)) return 0;
    GstElement* handOver = gst_bin_get_by_name(GST_BIN(trackSink), kHandOverName);
    if (!handOver) return 0;
    const int rate = HandOverSinkRate(handOver);
    gst_object_unref(handOver);
    return rate;
}

namespace {
GstBusSyncReply OutputBusHandler(GstBus*, GstMessage* message, gpointer data) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        std::string reason = failure && failure->message ? failure->message : "the sound output failed";
        if (failure) g_error_free(failure);
        const auto* link = static_cast<const ToutputLink*>(data);
        {
            std::lock_guard lock(link->Note->Mutex);
            if (link->Note->Failed) return GST_BUS_DROP;  // the first failure tells why
            link->Note->Failed = true;
            link->Note->Reason = reason;
        }
        Dispatcher().Post([output = link->Output] {
            const auto alive = output.lock();
            if (alive && *alive) (*alive)->CheckFailure();
        });
    }
    // Nothing waits on this bus: no message is kept.
    return GST_BUS_DROP;
}

// The first error on `bus`, read after a state change failed.
std::string FirstError(GstBus* bus) {
    std::string reason;
    while (GstMessage* message = gst_bus_pop(bus)) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && reason.empty()) {
            GError* failure = nullptr;
            gst_message_parse_error(message, &failure, nullptr);
            if (failure && failure->message) reason = failure->message;
            if (failure) g_error_free(failure);
        }
        gst_message_unref(message);
    }
    return reason;
}
}  // namespace

bool TsoundOutput::Open(GstElement* sink, int rate, bool pitch, std::string& why) {
    Close();
    if (!sink || rate <= 0) {
        if (sink) gst_object_unref(gst_object_ref_sink(sink));
        why = "no sound output could be made";
        return false;
    }
    GstElement* pipeline = gst_pipeline_new("sound-output");
    GstElement* source = MakeHandOverSource(Fqueue, rate);
    GstElement* shifter = pitch ? gst_element_factory_make("pitch", nullptr) : nullptr;
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    gst_object_ref_sink(pipeline);
    bool built = volume && convert && resample;
    if (built) {
        gst_bin_add_many(GST_BIN(pipeline), source, volume, convert, resample, sink, nullptr);
        if (shifter) gst_bin_add(GST_BIN(pipeline), shifter);
        built = shifter ? gst_element_link_many(source, shifter, volume, convert, resample, sink, nullptr)
                        : gst_element_link_many(source, volume, convert, resample, sink, nullptr);
    } else {
        for (GstElement* element : {source, shifter, volume, convert, resample, sink})
            if (element) gst_object_unref(gst_object_ref_sink(element));
    }
    if (!built) {
        gst_object_unref(pipeline);
        why = "the sound output could not be set up";
        return false;
    }
    g_object_set(volume, "volume", FvolumeLevel, nullptr);
    if (shifter) g_object_set(shifter, "pitch", FpitchRatio, "tempo", FtempoRatio, nullptr);
    // Opening the device is the one wait: an automatic output picks its device here.
    GstBus* bus = gst_element_get_bus(pipeline);
    if (gst_element_set_state(pipeline, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        const std::string reason = FirstError(bus);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        why = reason.empty() ? "the sound output could not be opened" : reason;
        return false;
    }
    FirstError(bus);  // what opening said is no failure
    Fnote = std::make_shared<TfailureNote>();
    gst_bus_set_sync_handler(bus, OutputBusHandler, new ToutputLink{Falive, Fnote},
                             [](gpointer data) { delete static_cast<ToutputLink*>(data); });
    gst_object_unref(bus);
    Fpipeline = pipeline;
    Fsource = source;
    Fsink = sink;
    Fvolume = volume;
    Fpitch = shifter;
    Frate = rate;
    Fpaused = false;
    // The stream starts on its own time: nothing waits for the server here.
    gst_element_set_state(Fpipeline, GST_STATE_PLAYING);
    return true;
}

void TsoundOutput::Close() {
    Fnote.reset();  // failure reports of this stream on their way are void
    Fqueue->Flush();
    if (!Fpipeline) return;
    gst_element_set_state(Fpipeline, GST_STATE_NULL);
    gst_object_unref(Fpipeline);
    Fpipeline = Fsource = Fsink = Fvolume = Fpitch = nullptr;
    Frate = 0;
    Fpaused = false;
}

bool TsoundOutput::Failed() const {
    if (!Fnote) return false;
    std::lock_guard lock(Fnote->Mutex);
    return Fnote->Failed;
}

void TsoundOutput::CheckFailure() {
    if (!Fnote) return;
    std::string reason;
    {
        std::lock_guard lock(Fnote->Mutex);
        if (!Fnote->Failed || Fnote->Told) return;
        Fnote->Told = true;
        reason = Fnote->Reason;
    }
    if (OnFailure) OnFailure(reason);
}

void TsoundOutput::Flush() {
    Fqueue->Flush();
}

void TsoundOutput::SetPaused(bool paused) {
    if (!Fpipeline || paused == Fpaused) return;
    Fpaused = paused;
    // A state asked for while the last change is still under way can be lost (the
    // pipeline then stays paused for good): the last one is let finish first. It has
    // as soon as the output has its first sound, so only a pause at once after the
    // output opened waits at all.
    constexpr GstClockTime kSettle = 500 * GST_MSECOND;
    gst_element_get_state(Fpipeline, nullptr, nullptr, kSettle);
    gst_element_set_state(Fpipeline, paused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

void TsoundOutput::SetVolume(double linear) {
    FvolumeLevel = std::clamp(linear, 0.0, 10.0);
    if (Fvolume) g_object_set(Fvolume, "volume", FvolumeLevel, nullptr);
}

void TsoundOutput::SetPitchAndTempo(double pitch, double tempo) {
    FpitchRatio = pitch;
    FtempoRatio = tempo;
    if (Fpitch) g_object_set(Fpitch, "pitch", FpitchRatio, "tempo", FtempoRatio, nullptr);
}

int64_t TsoundOutput::QueuedMs() const {
    return Fqueue->QueuedMs();
}

int64_t TsoundOutput::LatencyMs() const {
    if (!Fpipeline) return 0;
    gint64 heard = 0;
    if (!gst_element_query_position(Fpipeline, GST_FORMAT_TIME, &heard) || heard < 0) return 0;
    const int64_t handedOn = FramesToMs(HandOverSourceFrames(Fsource), Frate);
    return std::clamp<int64_t>(handedOn - int64_t(heard / GST_MSECOND), 0, 10000);
}

GstClock* TsoundOutput::Clock() const {
    return Fpipeline ? gst_element_get_clock(Fpipeline) : nullptr;
}

}  // namespace tunecrest
