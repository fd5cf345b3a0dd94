#include "playback/hand_over_elements.h"

#include <gst/audio/audio.h>
#include <gst/base/gstbasesink.h>
#include <gst/base/gstbasesrc.h>

#include <algorithm>
#include <chrono>

#include "playback/graph_utils.h"

namespace tunecrest {

// ---- the queue ------------------------------------------------------------------

ThandOverQueue::~ThandOverQueue() {
    Flush();
}

void ThandOverQueue::SetRate(int rate) {
    std::lock_guard lock(Fmutex);
    Frate = rate;
    Fchanged.notify_all();
}

int ThandOverQueue::Rate() const {
    std::lock_guard lock(Fmutex);
    return Frate;
}

GstFlowReturn ThandOverQueue::Push(GstBuffer* buffer, const std::atomic<uint64_t>& unlocks, uint64_t seen) {
    std::unique_lock lock(Fmutex);
    Fchanged.wait(lock, [&] {
        const int64_t capacity = int64_t(Frate) * kQueueMs / 1000 * kBytesPerFrame;
        return unlocks.load() != seen || FqueuedBytes < capacity;
    });
    if (unlocks.load() != seen) return GST_FLOW_FLUSHING;
    FqueuedBytes += int64_t(gst_buffer_get_size(buffer));
    Fbuffers.push_back(gst_buffer_ref(buffer));
    Fchanged.notify_all();
    return GST_FLOW_OK;
}

GstBuffer* ThandOverQueue::Take(int maxFrames, int waitMs, const std::atomic<bool>& cancel) {
    std::unique_lock lock(Fmutex);
    Fchanged.wait_for(lock, std::chrono::milliseconds(waitMs),
                      [&] { return cancel.load() || !Fbuffers.empty(); });
    if (cancel || Fbuffers.empty()) return nullptr;
    GstBuffer* head = Fbuffers.front();
    const size_t size = gst_buffer_get_size(head);
    const size_t wanted = size_t(std::max(maxFrames, 1)) * kBytesPerFrame;
    const size_t take = std::min(size - FheadOffset, wanted);
    GstBuffer* piece;
    if (FheadOffset == 0 && take == size) {
        piece = head;
        Fbuffers.pop_front();
    } else {
        // A piece that shares the decoded memory: nothing is copied.
        piece = gst_buffer_copy_region(head, GST_BUFFER_COPY_MEMORY, FheadOffset, take);
        FheadOffset += take;
        if (FheadOffset >= size) {
            gst_buffer_unref(head);
            Fbuffers.pop_front();
            FheadOffset = 0;
        }
    }
    FqueuedBytes -= int64_t(take);
    Fchanged.notify_all();
    return piece;
}

void ThandOverQueue::Flush() {
    std::deque<GstBuffer*> dropped;
    {
        std::lock_guard lock(Fmutex);
        dropped.swap(Fbuffers);
        FheadOffset = 0;
        FqueuedBytes = 0;
        Fchanged.notify_all();
    }
    for (GstBuffer* buffer : dropped) gst_buffer_unref(buffer);
}

void ThandOverQueue::WakeAll() {
    std::lock_guard lock(Fmutex);
    Fchanged.notify_all();
}

int64_t ThandOverQueue::QueuedFrames() const {
    std::lock_guard lock(Fmutex);
    return FqueuedBytes / kBytesPerFrame;
}

int64_t ThandOverQueue::QueuedMs() const {
    std::lock_guard lock(Fmutex);
    return Frate > 0 ? FqueuedBytes / kBytesPerFrame * 1000 / Frate : 0;
}

namespace {

// What both elements keep beside their GObject structure (which GLib allocates and
// clears, so C++ members live here, made in init and freed in finalize).
struct ThandOverState {
    std::shared_ptr<ThandOverQueue> Queue;
    std::atomic<bool> Cancel{false};   // the source: unblock and stop
    std::atomic<uint64_t> Unlocks{0};  // the sink: times it was told to unblock
    std::atomic<int> Rate{0};
    std::atomic<int64_t> Frames{0};  // the source's frames handed on
};

constexpr const char* kFloatStereoCaps =
    "audio/x-raw, format=(string)F32LE, layout=(string)interleaved, channels=(int)2, rate=(int)[ 1, max ]";

// How much queued sound the source hands on at once, and how much silence it makes
// when nothing was queued within that long.
constexpr int kPieceMs = 20;
constexpr int kSilenceMs = 10;

// The pad and the description an element class gives.
void DescribeElementClass(gpointer klass, GstStaticPadTemplate* pad, const char* name, const char* kind,
                          const char* what) {
    gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(klass), pad);
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), name, kind, what, "Tunecrest");
}

// ---- the hand-over sink ---------------------------------------------------------

struct ThandOverSink {
    GstBaseSink Parent;
    ThandOverState* State;
};
struct ThandOverSinkClass {
    GstBaseSinkClass ParentClass;
};
GstBaseSinkClass* gSinkParent = nullptr;

ThandOverState& SinkState(GstBaseSink* sink) {
    return *reinterpret_cast<ThandOverSink*>(sink)->State;
}

gboolean SinkSetCaps(GstBaseSink* sink, GstCaps* caps) {
    GstAudioInfo info;
    if (!gst_audio_info_from_caps(&info, caps) || GST_AUDIO_INFO_CHANNELS(&info) != ThandOverQueue::kChannels)
        return FALSE;
    SinkState(sink).Rate = GST_AUDIO_INFO_RATE(&info);
    SinkState(sink).Queue->SetRate(GST_AUDIO_INFO_RATE(&info));
    return TRUE;
}

GstFlowReturn SinkRender(GstBaseSink* sink, GstBuffer* buffer) {
    ThandOverState& state = SinkState(sink);
    for (;;) {
        const uint64_t seen = state.Unlocks;
        const GstFlowReturn result = state.Queue->Push(buffer, state.Unlocks, seen);
        if (result != GST_FLOW_FLUSHING) return result;
        // Told to unblock while the queue was full: a pause goes on with this buffer
        // once playing again; a stop or a flush ends here.
        const GstFlowReturn resumed = gst_base_sink_wait_preroll(sink);
        if (resumed != GST_FLOW_OK) return resumed;
    }
}

gboolean SinkUnlock(GstBaseSink* sink) {
    ++SinkState(sink).Unlocks;
    SinkState(sink).Queue->WakeAll();
    return TRUE;
}

gboolean SinkUnlockStop(GstBaseSink*) {
    return TRUE;
}

gboolean SinkEvent(GstBaseSink* sink, GstEvent* event) {
    // A flushing seek: what was decoded before it is not to be heard.
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_START) SinkState(sink).Queue->Flush();
    return gSinkParent->event(sink, event);
}

void SinkFinalize(GObject* object) {
    delete reinterpret_cast<ThandOverSink*>(object)->State;
    G_OBJECT_CLASS(gSinkParent)->finalize(object);
}

void SinkClassInit(gpointer klass, gpointer) {
    gSinkParent = static_cast<GstBaseSinkClass*>(g_type_class_peek_parent(klass));
    G_OBJECT_CLASS(klass)->finalize = SinkFinalize;
    static GstStaticPadTemplate sinkTemplate =
        GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(kFloatStereoCaps));
    DescribeElementClass(klass, &sinkTemplate, "Sound hand-over sink", "Sink/Audio",
                         "Queues a track's sound for the lasting sound output");
    auto* base = GST_BASE_SINK_CLASS(klass);
    base->set_caps = SinkSetCaps;
    base->render = SinkRender;
    base->unlock = SinkUnlock;
    base->unlock_stop = SinkUnlockStop;
    base->event = SinkEvent;
}

void SinkInit(GTypeInstance* instance, gpointer) {
    reinterpret_cast<ThandOverSink*>(instance)->State = new ThandOverState;
    auto* sink = GST_BASE_SINK(instance);
    // The output's pace holds the track back (the queue fills); the sink itself never waits on a clock.
    gst_base_sink_set_sync(sink, FALSE);
    gst_base_sink_set_last_sample_enabled(sink, FALSE);
}

// ---- the hand-over source -------------------------------------------------------

struct ThandOverSource {
    GstBaseSrc Parent;
    ThandOverState* State;
};
struct ThandOverSourceClass {
    GstBaseSrcClass ParentClass;
};
GstBaseSrcClass* gSourceParent = nullptr;

ThandOverState& SourceState(GstBaseSrc* source) {
    return *reinterpret_cast<ThandOverSource*>(source)->State;
}

gboolean SourceNegotiate(GstBaseSrc* source) {
    GstAudioInfo info;
    gst_audio_info_set_format(&info, GST_AUDIO_FORMAT_F32LE, SourceState(source).Rate,
                              ThandOverQueue::kChannels, nullptr);
    GstCaps* caps = gst_audio_info_to_caps(&info);
    const gboolean done = gst_base_src_set_caps(source, caps);
    gst_caps_unref(caps);
    return done;
}

GstFlowReturn SourceCreate(GstBaseSrc* source, guint64, guint, GstBuffer** out) {
    ThandOverState& state = SourceState(source);
    const int rate = state.Rate;
    GstBuffer* buffer = state.Queue->Take(rate * kPieceMs / 1000, kSilenceMs, state.Cancel);
    if (state.Cancel) {
        if (buffer) gst_buffer_unref(buffer);
        return GST_FLOW_FLUSHING;
    }
    if (buffer) {
        buffer = gst_buffer_make_writable(buffer);
        // The output's stream is one unbroken line: the track's own times and marks stay behind.
        GST_BUFFER_FLAGS(buffer) = 0;
    } else {
        const gsize size = gsize(rate * kSilenceMs / 1000) * ThandOverQueue::kBytesPerFrame;
        buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
        gst_buffer_memset(buffer, 0, 0, size);
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_GAP);
    }
    const int64_t frames = int64_t(gst_buffer_get_size(buffer)) / ThandOverQueue::kBytesPerFrame;
    const int64_t first = state.Frames.fetch_add(frames);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale_int(guint64(first), GST_SECOND, rate);
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_DURATION(buffer) =
        gst_util_uint64_scale_int(guint64(first + frames), GST_SECOND, rate) - GST_BUFFER_PTS(buffer);
    GST_BUFFER_OFFSET(buffer) = guint64(first);
    GST_BUFFER_OFFSET_END(buffer) = guint64(first + frames);
    *out = buffer;
    return GST_FLOW_OK;
}

gboolean SourceUnlock(GstBaseSrc* source) {
    SourceState(source).Cancel = true;
    SourceState(source).Queue->WakeAll();
    return TRUE;
}

gboolean SourceUnlockStop(GstBaseSrc* source) {
    SourceState(source).Cancel = false;
    return TRUE;
}

gboolean SourceIsSeekable(GstBaseSrc*) {
    return FALSE;
}

void SourceFinalize(GObject* object) {
    delete reinterpret_cast<ThandOverSource*>(object)->State;
    G_OBJECT_CLASS(gSourceParent)->finalize(object);
}

void SourceClassInit(gpointer klass, gpointer) {
    gSourceParent = static_cast<GstBaseSrcClass*>(g_type_class_peek_parent(klass));
    G_OBJECT_CLASS(klass)->finalize = SourceFinalize;
    static GstStaticPadTemplate sourceTemplate =
        GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(kFloatStereoCaps));
    DescribeElementClass(klass, &sourceTemplate, "Sound hand-over source", "Source/Audio",
                         "Plays the queued sound of the track playing, or silence");
    auto* base = GST_BASE_SRC_CLASS(klass);
    base->negotiate = SourceNegotiate;
    base->create = SourceCreate;
    base->unlock = SourceUnlock;
    base->unlock_stop = SourceUnlockStop;
    base->is_seekable = SourceIsSeekable;
}

void SourceInit(GTypeInstance* instance, gpointer) {
    reinterpret_cast<ThandOverSource*>(instance)->State = new ThandOverState;
    gst_base_src_set_format(GST_BASE_SRC(instance), GST_FORMAT_TIME);
}

GType SinkType() {
    static const GType type = [] {
        EnsureGStreamer();
        return g_type_register_static_simple(GST_TYPE_BASE_SINK, "TunecrestHandOverSink",
                                             sizeof(ThandOverSinkClass), SinkClassInit, sizeof(ThandOverSink),
                                             SinkInit, GTypeFlags(0));
    }();
    return type;
}

GType SourceType() {
    static const GType type = [] {
        EnsureGStreamer();
        return g_type_register_static_simple(GST_TYPE_BASE_SRC, "TunecrestHandOverSource",
                                             sizeof(ThandOverSourceClass), SourceClassInit,
                                             sizeof(ThandOverSource), SourceInit, GTypeFlags(0));
    }();
    return type;
}

}  // namespace

GstElement* MakeHandOverSink(std::shared_ptr<ThandOverQueue> queue) {
    auto* sink = reinterpret_cast<ThandOverSink*>(g_object_new(SinkType(), nullptr));
    sink->State->Queue = std::move(queue);
    return GST_ELEMENT(sink);
}

GstElement* MakeHandOverSource(std::shared_ptr<ThandOverQueue> queue, int rate) {
    auto* source = reinterpret_cast<ThandOverSource*>(g_object_new(SourceType(), nullptr));
    source->State->Queue = std::move(queue);
    source->State->Rate = rate;
    return GST_ELEMENT(source);
}

int64_t HandOverSourceFrames(GstElement* source) {
    return source ? reinterpret_cast<ThandOverSource*>(source)->State->Frames.load() : 0;
}

int HandOverSinkRate(GstElement* sink) {
    return sink ? reinterpret_cast<ThandOverSink*>(sink)->State->Rate.load() : 0;
}

}  // namespace tunecrest
