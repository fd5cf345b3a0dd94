// The silence between two tracks, as heard at the audio output: two short generated
// files (MP3, FLAC, Ogg Vorbis) are played one after the other by the in-process engine,
// driven the way the main window drives it (the end of a file asks for the next), into
// an output that records when each buffer of sound is rendered (the silence the lasting
// sound output plays between files is left out). The silence is the longest stretch
// between the end of one rendered buffer and the start of the next. bench_heard_gap
// measures the same at a real sound server.
//
// Beside it, the same files through a bare playbin: once handed over the way a shell
// script of two gst-launch-1.0 runs does it (end of stream, new address, play), and once
// with playbin's own about-to-finish hand-over (its gapless mode).
#include <benchmark/benchmark.h>
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

#include "bench/engine_files.h"
#include "playback/graph_utils.h"
#include "../tests/support/media_files.h"
#include "../tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using Tclock = std::chrono::steady_clock;

// What the recording output saw: when each buffer was rendered and how long it sounds.
struct Trendered {
    Tclock::time_point At;
    double Ms = 0;
};
std::mutex gRenderedMutex;
std::vector<Trendered> gRendered;

void ClearRendered() {
    std::lock_guard lock(gRenderedMutex);
    gRendered.clear();
}

// The longest silence between consecutive buffers, in milliseconds.
double LongestSilenceMs() {
    std::lock_guard lock(gRenderedMutex);
    double longest = 0;
    for (size_t i = 1; i < gRendered.size(); ++i) {
        const double gap = std::chrono::duration<double, std::milli>(gRendered[i].At - gRendered[i - 1].At).count() -
                           gRendered[i - 1].Ms;
        longest = std::max(longest, gap);
    }
    return longest;
}

// A synchronised audio output that keeps time stamps instead of making sound.
struct TgapRecorder {
    GstBaseSink Parent;
};
struct TgapRecorderClass {
    GstBaseSinkClass ParentClass;
};

GstFlowReturn RecorderRender(GstBaseSink*, GstBuffer* buffer) {
    if (GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_GAP)) return GST_FLOW_OK;  // silence
    Trendered item;
    item.At = Tclock::now();
    if (GST_BUFFER_DURATION_IS_VALID(buffer)) item.Ms = double(GST_BUFFER_DURATION(buffer)) / double(GST_MSECOND);
    std::lock_guard lock(gRenderedMutex);
    gRendered.push_back(item);
    return GST_FLOW_OK;
}

void RecorderClassInit(gpointer klass, gpointer) {
    auto* element = GST_ELEMENT_CLASS(klass);
    static GstStaticPadTemplate sinkTemplate =
        GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_set_static_metadata(element, "Gap recorder", "Sink/Audio", "Records render times",
                                          "bench");
    GST_BASE_SINK_CLASS(klass)->render = RecorderRender;
}

void RecorderInit(GTypeInstance* instance, gpointer) { gst_base_sink_set_sync(GST_BASE_SINK(instance), TRUE); }

void RegisterRecorder() {
    static bool done = false;
    if (done) return;
    done = true;
    EnsureGStreamer();
    const GType type = g_type_register_static_simple(GST_TYPE_BASE_SINK, "TunecrestGapRecorder",
                                                     sizeof(TgapRecorderClass), RecorderClassInit,
                                                     sizeof(TgapRecorder), RecorderInit, GTypeFlags(0));
    gst_element_register(nullptr, "gaprecorder", GST_RANK_NONE, type);
    setenv(kAudioSinkVariable, "gaprecorder", 1);
}

struct Tfiles {
    std::string First, Second;
};

struct Tmedia {
    test::TempDir Dir;
    Tfiles Mp3, Flac, Ogg;
    Tmedia() {
        auto make = [this](const char* stem, const char* ext, test::TmediaFormat format, double seconds) {
            Tfiles files{Dir.File(std::string(stem) + "1." + ext), Dir.File(std::string(stem) + "2." + ext)};
            test::MakeMediaFile(files.First, format, seconds);
            test::MakeMediaFile(files.Second, format, seconds);
            return files;
        };
        // Lengths that do not fall on the old 500 ms poll.
        Mp3 = make("tone", "mp3", test::TmediaFormat::Mp3, 1.3);
        Flac = make("tone", "flac", test::TmediaFormat::Flac, 1.1);
        Ogg = make("tone", "ogg", test::TmediaFormat::OggVorbis, 1.2);
    }
};

Tmedia& Media() {
    static Tmedia media;
    return media;
}

const Tfiles& FilesOf(int format) {
    switch (format) {
        case 0: return Media().Mp3;
        case 1: return Media().Flac;
        default: return Media().Ogg;
    }
}

const char* FormatName(int format) { return format == 0 ? "mp3" : format == 1 ? "flac" : "ogg"; }

void Report(benchmark::State& state, const std::vector<double>& gaps) {
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) return;
    state.counters["silence_ms_min"] = sorted.front();
    state.counters["silence_ms_median"] = sorted[sorted.size() / 2];
    state.counters["silence_ms_max"] = sorted.back();
    state.counters["target_ms"] = 15;
    state.SetLabel(FormatName(int(state.range(0))));
}

// The in-process engine, handed the next file by a jukebox stand-in when one ends.
void BM_EngineSilenceBetweenFiles(benchmark::State& state) {
    RegisterRecorder();
    const Tfiles& media = FilesOf(int(state.range(0)));
    std::vector<double> gaps;
    for (auto _ : state) {
        ClearRendered();
        if (!bench::PlayOneAfterTheOther({media.First, media.Second}, 400)) {
            state.SkipWithError("the second file did not play to its end");
            break;
        }
        gaps.push_back(LongestSilenceMs());
    }
    Report(state, gaps);
}
BENCHMARK(BM_EngineSilenceBetweenFiles)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// A bare playbin; `gapless` hands the second address over in about-to-finish,
// otherwise the second file is started after the end of stream of the first.
void PlaybinSilence(benchmark::State& state, bool gapless) {
    RegisterRecorder();
    const Tfiles& media = FilesOf(int(state.range(0)));
    std::vector<double> gaps;
    for (auto _ : state) {
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        GstElement* sink = gst_element_factory_make("gaprecorder", nullptr);
        GstElement* video = gst_element_factory_make("fakesink", nullptr);
        g_object_set(playbin, "audio-sink", sink, "video-sink", video, nullptr);
        gchar* first = gst_filename_to_uri(media.First.c_str(), nullptr);
        gchar* second = gst_filename_to_uri(media.Second.c_str(), nullptr);
        struct Thandover {
            gchar* Uri;
            bool Done = false;
        } handover{second};
        if (gapless)
            g_signal_connect(playbin, "about-to-finish", G_CALLBACK(+[](GstElement* bin, gpointer data) {
                                 auto* h = static_cast<Thandover*>(data);
                                 if (h->Done) return;
                                 h->Done = true;
                                 g_object_set(bin, "uri", h->Uri, nullptr);
                             }),
                             &handover);
        g_object_set(playbin, "uri", first, nullptr);
        ClearRendered();
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(playbin);
        int ends = gapless ? 1 : 2;
        while (ends > 0) {
            GstMessage* message = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                                             GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
            if (!message) break;
            const bool eos = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
            gst_message_unref(message);
            if (!eos) break;
            if (--ends > 0) {
                gst_element_set_state(playbin, GST_STATE_NULL);
                g_object_set(playbin, "uri", second, nullptr);
                gst_element_set_state(playbin, GST_STATE_PLAYING);
            }
        }
        gst_object_unref(bus);
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(playbin);
        g_free(first);
        g_free(second);
        if (ends != 0) {
            state.SkipWithError("playbin did not play both files");
            break;
        }
        gaps.push_back(LongestSilenceMs());
    }
    Report(state, gaps);
}

void BM_PlaybinOneAfterTheOther(benchmark::State& state) { PlaybinSilence(state, false); }
BENCHMARK(BM_PlaybinOneAfterTheOther)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlaybinAboutToFinish(benchmark::State& state) { PlaybinSilence(state, true); }
BENCHMARK(BM_PlaybinAboutToFinish)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tunecrest

BENCHMARK_MAIN();
