#pragma once
// A sound card for the player tests: a GStreamer audio sink that keeps what it is given
// (the left channel's samples) instead of making sound, in real time like a device or as
// fast as it is fed. Tests hand it to the engine as the automatic audio output
// (SetAutomaticAudioSinkMaker), which is also how they stand for a machine whose sound
// device comes and goes.
#include <gst/audio/audio.h>
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "playback/graph_utils.h"
#include "support/env_scope.h"

namespace tunecrest::test {

// What one sound card heard.
class TsoundRecording {
  public:
    void Add(const float* interleaved, size_t frames, int channels, int rate) {
        std::lock_guard lock(Fmutex);
        Frate = rate;
        for (size_t i = 0; i < frames; ++i) Fsamples.push_back(interleaved[i * size_t(channels)]);
        ++Fbuffers;
    }
    int Rate() const {
        std::lock_guard lock(Fmutex);
        return Frate;
    }
    size_t Frames() const {
        std::lock_guard lock(Fmutex);
        return Fsamples.size();
    }
    int Buffers() const {
        std::lock_guard lock(Fmutex);
        return Fbuffers;
    }
    std::vector<float> Samples() const {
        std::lock_guard lock(Fmutex);
        return Fsamples;
    }
    void Clear() {
        std::lock_guard lock(Fmutex);
        Fsamples.clear();
    }
    // Frames louder than `level` (the test tones are at 0.8).
    size_t SoundFrames(float level = 0.05f) const {
        std::lock_guard lock(Fmutex);
        return size_t(
            std::count_if(Fsamples.begin(), Fsamples.end(), [&](float s) { return std::fabs(s) >= level; }));
    }
    // Stretches of sound, in frames [first, last), split where at least `gapFrames` frames are quiet.
    std::vector<std::pair<size_t, size_t>> SoundRuns(size_t gapFrames, float level = 0.05f) const {
        std::lock_guard lock(Fmutex);
        std::vector<std::pair<size_t, size_t>> runs;
        size_t quiet = gapFrames;
        for (size_t i = 0; i < Fsamples.size(); ++i) {
            if (std::fabs(Fsamples[i]) < level) {
                ++quiet;
                continue;
            }
            if (quiet >= gapFrames || runs.empty())
                runs.push_back({i, i + 1});
            else
                runs.back().second = i + 1;
            quiet = 0;
        }
        return runs;
    }
    // The tone's frequency between two frames, from its rising zero crossings.
    double Frequency(size_t from, size_t to) const {
        std::lock_guard lock(Fmutex);
        to = std::min(to, Fsamples.size());
        int rising = 0;
        for (size_t i = from + 1; i < to; ++i)
            if (Fsamples[i - 1] < 0 && Fsamples[i] >= 0) ++rising;
        return to > from && Frate > 0 ? rising / (double(to - from) / Frate) : 0;
    }
    // The loudest sample between two frames.
    float Peak(size_t from, size_t to) const {
        std::lock_guard lock(Fmutex);
        float peak = 0;
        for (size_t i = from; i < std::min(to, Fsamples.size()); ++i)
            peak = std::max(peak, std::fabs(Fsamples[i]));
        return peak;
    }

  private:
    mutable std::mutex Fmutex;
    std::vector<float> Fsamples;
    int Frate = 0;
    int Fbuffers = 0;
};

namespace sound_card_detail {
struct TcardState {
    std::shared_ptr<TsoundRecording> Recording;
    int Channels = 2;
    int Rate = 0;
};
struct Tcard {
    GstBaseSink Parent;
    TcardState* State;
};
struct TcardClass {
    GstBaseSinkClass ParentClass;
};
inline GstBaseSinkClass*& Parent() {
    static GstBaseSinkClass* parent = nullptr;
    return parent;
}
inline TcardState& State(GstBaseSink* sink) {
    return *reinterpret_cast<Tcard*>(sink)->State;
}
inline gboolean SetCaps(GstBaseSink* sink, GstCaps* caps) {
    GstAudioInfo info;
    if (!gst_audio_info_from_caps(&info, caps)) return FALSE;
    State(sink).Channels = GST_AUDIO_INFO_CHANNELS(&info);
    State(sink).Rate = GST_AUDIO_INFO_RATE(&info);
    return TRUE;
}
inline GstFlowReturn Render(GstBaseSink* sink, GstBuffer* buffer) {
    GstMapInfo map;
    if (State(sink).Recording && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const int channels = std::max(State(sink).Channels, 1);
        State(sink).Recording->Add(reinterpret_cast<const float*>(map.data),
                                   map.size / (4 * size_t(channels)), channels, State(sink).Rate);
        gst_buffer_unmap(buffer, &map);
    }
    return GST_FLOW_OK;
}
inline void Finalize(GObject* object) {
    delete reinterpret_cast<Tcard*>(object)->State;
    G_OBJECT_CLASS(Parent())->finalize(object);
}
inline void ClassInit(gpointer klass, gpointer) {
    Parent() = static_cast<GstBaseSinkClass*>(g_type_class_peek_parent(klass));
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    static GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE(
        "sink", GST_PAD_SINK, GST_PAD_ALWAYS,
        GST_STATIC_CAPS("audio/x-raw, format=(string)F32LE, layout=(string)interleaved, rate=(int)[1, max], "
                        "channels=(int)[1, 8]"));
    gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(klass), &sinkTemplate);
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Test sound card", "Sink/Audio",
                                          "Keeps what it is given", "tests");
    GST_BASE_SINK_CLASS(klass)->set_caps = SetCaps;
    GST_BASE_SINK_CLASS(klass)->render = Render;
}
inline void Init(GTypeInstance* instance, gpointer) {
    reinterpret_cast<Tcard*>(instance)->State = new TcardState;
    gst_base_sink_set_sync(GST_BASE_SINK(instance), TRUE);
}
inline GType Type() {
    static const GType type = [] {
        EnsureGStreamer();
        return g_type_register_static_simple(GST_TYPE_BASE_SINK, "TunecrestTestSoundCard", sizeof(TcardClass),
                                             ClassInit, sizeof(Tcard), Init, GTypeFlags(0));
    }();
    return type;
}
}  // namespace sound_card_detail

// A new sound card that adds what it plays to `recording`; in real time unless `realTime` is false.
inline GstElement* MakeSoundCard(std::shared_ptr<TsoundRecording> recording, bool realTime = true) {
    auto* card =
        reinterpret_cast<sound_card_detail::Tcard*>(g_object_new(sound_card_detail::Type(), nullptr));
    card->State->Recording = std::move(recording);
    gst_base_sink_set_sync(GST_BASE_SINK(card), realTime);
    return GST_ELEMENT(card);
}

// For the length of a test: no audio-sink override, and the automatic output is `maker`
// (a machine with this sound device, or none). Counts the outputs made.
class TautomaticOutputScope {
public:
    explicit TautomaticOutputScope(TaudioSinkMaker maker) {
        SetAutomaticAudioSinkMaker([this, maker = std::move(maker)] {
            ++Made;
            return maker();
        });
    }
    ~TautomaticOutputScope() { SetAutomaticAudioSinkMaker(nullptr); }
    TautomaticOutputScope(const TautomaticOutputScope&) = delete;
    TautomaticOutputScope& operator=(const TautomaticOutputScope&) = delete;
    int Made = 0;

private:
    TenvScope FnoOverride{kAudioSinkVariable, nullptr};
};

// The stand-in an automatic output takes on a machine without sound: a fakesink.
inline GstElement* MakeNoSoundDevice() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

}  // namespace tunecrest::test
