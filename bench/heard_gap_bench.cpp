// The silence heard between two tracks, recorded from the sound server itself: the
// monitor of its default output is recorded with parec while two tone files play one
// after the other, and the longest silence between the first sound and the last is
// measured in the recording. Run it where a sound server runs (PulseAudio, or PipeWire
// with its PulseAudio service); bench/heard_gap_setup.sh starts both and runs it on each.
//
//   bench_heard_gap [--runs N]
//
// Players: the in-process engine, driven as the main window drives it (the end of a
// file asks for the next one); `gst-play-1.0 --gapless` on the same files (its about-to-
// finish hand-over, the best a player can do); and `gst-play-1.0` without it (a new
// stream for every file, as the engine did before its sound output lasted).
// Recordings: once with a 20 ms latency request (the sound server renders in short
// periods), once without (a null sink then renders in ~2 s periods: a server slow to
// start a stream, as Bluetooth speakers are).
//
// One line a case: "case=<player>/<format>/<recording> silence_ms min=... median=...
// max=... target_ms=... own_ms=..." where own_ms is the silence the two files carry
// themselves (an MP3 encoder's delay and padding), found by decoding them.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/media_files.h"
#include "../tests/support/temp_dir.h"
#include "bench/bench_process.h"
#include "bench/engine_files.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "playback/graph_utils.h"

extern char** environ;

using namespace tunecrest;
using Tclock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;
// Quieter than this (in 16-bit steps, about -50 dBFS) is silence: the tones are at -2 dBFS.
constexpr int kSilenceLevel = 100;
constexpr double kToneSeconds = 1.2;

// ---- samples --------------------------------------------------------------------

// 16-bit stereo frames, reduced to the louder channel's magnitude.
using Tlevels = std::vector<int>;

void AppendLevels(const uint8_t* data, size_t bytes, Tlevels& levels) {
    for (size_t at = 0; at + 4 <= bytes; at += 4) {
        const int left = int16_t(data[at] | data[at + 1] << 8),
                  right = int16_t(data[at + 2] | data[at + 3] << 8);
        levels.push_back(std::max(std::abs(left), std::abs(right)));
    }
}

// The levels of a WAV file parec wrote (16-bit stereo); the header's sizes are not trusted,
// since a recording stopped by a signal may not have them.
Tlevels ReadRecording(const std::string& path) {
    std::string bytes;
    Tlevels levels;
    if (!ReadFileBytes(path, bytes) || bytes.size() < 12) return levels;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (id == "data") {
            const size_t available = bytes.size() - at - 8;
            AppendLevels(reinterpret_cast<const uint8_t*>(bytes.data() + at + 8),
                         size == 0 || size > available ? available : size, levels);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return levels;
}

// The two files decoded one after the other by playbin's own gapless hand-over, as fast
// as they decode: the silence where they meet is what they carry themselves.
Tlevels DecodeGapless(const std::string& first, const std::string& second) {
    Tlevels levels;
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* sink = gst_parse_bin_from_description(
        ("audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=2,rate=" + std::to_string(kRate) +
         " ! appsink name=out sync=false")
            .c_str(),
        TRUE, nullptr);
    if (!playbin || !sink) return levels;
    g_object_set(playbin, "audio-sink", sink, "video-sink", gst_element_factory_make("fakesink", nullptr),
                 nullptr);
    gchar* firstUri = gst_filename_to_uri(first.c_str(), nullptr);
    gchar* secondUri = gst_filename_to_uri(second.c_str(), nullptr);
    g_object_set(playbin, "uri", firstUri, nullptr);
    g_free(firstUri);
    g_signal_connect(playbin, "about-to-finish", G_CALLBACK(+[](GstElement* bin, gpointer data) {
                         auto** next = static_cast<gchar**>(data);
                         if (!*next) return;
                         g_object_set(bin, "uri", *next, nullptr);
                         g_free(*next);
                         *next = nullptr;
                     }),
                     &secondUri);
    GstElement* out = gst_bin_get_by_name(GST_BIN(sink), "out");
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(out))) {
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            AppendLevels(map.data, map.size, levels);
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(out);
    gst_object_unref(playbin);
    g_free(secondUri);
    return levels;
}

double FramesToMs(size_t frames) {
    return double(frames) * 1000.0 / kRate;
}

struct Theard {
    double LongestSilenceMs = -1;  // -1: the recording has no two sounds
    double SoundMs = 0;            // from the first sound to the last
};

Theard Analyse(const Tlevels& levels) {
    Theard heard;
    size_t first = 0, last = levels.size();
    while (first < levels.size() && levels[first] < kSilenceLevel) ++first;
    while (last > first && levels[last - 1] < kSilenceLevel) --last;
    if (first >= last) return heard;
    heard.SoundMs = FramesToMs(last - first);
    size_t longest = 0, run = 0;
    for (size_t i = first; i < last; ++i) {
        run = levels[i] < kSilenceLevel ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    heard.LongestSilenceMs = FramesToMs(longest);
    return heard;
}

// ---- processes ------------------------------------------------------------------

// Starts a program; `quiet` sends what it prints to /dev/null.
pid_t Spawn(const std::vector<std::string>& args, bool quiet = false) {
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Wait(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// parec of the default output's monitor into `file`, with or without a latency request.
class Trecorder {
  public:
    Trecorder(const std::string& file, bool lowLatency) {
        std::vector<std::string> args = {"parec",
                                         "-d",
                                         "@DEFAULT_MONITOR@",
                                         "--file-format=wav",
                                         "--format=s16le",
                                         "--rate=" + std::to_string(kRate),
                                         "--channels=2"};
        if (lowLatency) args.push_back("--latency-msec=20");
        args.push_back(file);
        Fpid = Spawn(args);
        // The recording stream connects at once; give it a moment before anything plays.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    ~Trecorder() { Stop(); }
    bool Started() const { return Fpid > 0; }
    void Stop() {
        if (Fpid <= 0) return;
        kill(Fpid, SIGINT);
        Wait(Fpid);
        Fpid = -1;
    }

  private:
    pid_t Fpid = -1;
};

// ---- players --------------------------------------------------------------------

bool PlayWithGstPlay(const std::string& first, const std::string& second, bool gapless) {
    std::vector<std::string> args = {"gst-play-1.0", "-q", "--no-interactive"};
    if (gapless) args.push_back("--gapless");
    args.push_back(first);
    args.push_back(second);
    return Wait(Spawn(args)) == 0;
}

struct Tcase {
    const char* Player;
    const char* Format;
    bool LowLatency;
};

std::string Describe(const Tcase& c) {
    return std::string(c.Player) + "/" + c.Format + "/" +
           (c.LowLatency ? "latency-20ms" : "no-latency-request");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::Argument(argc, argv, "--runs", 3);
    EnsureGStreamer();
    unsetenv(kAudioSinkVariable);  // the engine plays to the system's own output
    if (Wait(Spawn({"pactl", "info"}, true)) != 0) {
        std::fprintf(stderr,
                     "bench_heard_gap: no sound server answers (start one: bench/heard_gap_setup.sh)\n");
        return 2;
    }
    test::TempDir dir;
    struct Tpair {
        std::string First, Second;
        double OwnMs = 0;
    };
    auto make = [&](const char* ext, test::TmediaFormat format) {
        Tpair pair{dir.File(std::string("one.") + ext), dir.File(std::string("two.") + ext)};
        test::MakeMediaFile(pair.First, format, kToneSeconds);
        test::MakeMediaFile(pair.Second, format, kToneSeconds);
        pair.OwnMs = Analyse(DecodeGapless(pair.First, pair.Second)).LongestSilenceMs;
        return pair;
    };
    const Tpair mp3 = make("mp3", test::TmediaFormat::Mp3), flac = make("flac", test::TmediaFormat::Flac);

    std::vector<Tcase> cases;
    for (bool lowLatency : {true, false})
        for (const char* format : {"mp3", "flac"})
            for (const char* player : {"engine", "gst-play-gapless", "gst-play"})
                cases.push_back({player, format, lowLatency});

    int failures = 0;
    for (const Tcase& c : cases) {
        const Tpair& files = std::strcmp(c.Format, "mp3") == 0 ? mp3 : flac;
        std::vector<double> silences;
        double soundMs = 0;
        for (int run = 0; run < runs; ++run) {
            const std::string recording = dir.File("recording.wav");
            std::remove(recording.c_str());
            bool played = false;
            {
                Trecorder recorder(recording, c.LowLatency);
                if (!recorder.Started()) {
                    std::fprintf(stderr, "bench_heard_gap: parec did not start\n");
                    return 2;
                }
                if (std::strcmp(c.Player, "engine") == 0)
                    // The end of the last file is reported while its sound still plays.
                    played = bench::PlayOneAfterTheOther({files.First, files.Second}, 600);
                else
                    played =
                        PlayWithGstPlay(files.First, files.Second, std::strcmp(c.Player, "gst-play") != 0);
                // What the server still holds reaches the recording (2 s periods without a request).
                std::this_thread::sleep_for(std::chrono::milliseconds(c.LowLatency ? 800 : 4500));
            }
            const Theard heard = Analyse(ReadRecording(recording));
            if (!played || heard.LongestSilenceMs < 0) {
                std::fprintf(stderr, "bench_heard_gap: %s run %d: %s\n", Describe(c).c_str(), run + 1,
                             played ? "nothing was heard" : "the player failed");
                ++failures;
                continue;
            }
            silences.push_back(heard.LongestSilenceMs);
            soundMs = heard.SoundMs;
        }
        if (silences.empty()) continue;
        std::sort(silences.begin(), silences.end());
        // The engine's targets: the files' own silence and 15 ms more, or 50 ms on a
        // server slow to start a stream. The other players are there to compare.
        char target[32] = "-";
        if (std::strcmp(c.Player, "engine") == 0)
            std::snprintf(target, sizeof target, "%.1f", c.LowLatency ? files.OwnMs + 15 : 50.0);
        std::printf(
            "case=%s silence_ms min=%.1f median=%.1f max=%.1f target_ms=%s own_ms=%.1f sound_ms=%.0f\n",
            Describe(c).c_str(), silences.front(), silences[silences.size() / 2], silences.back(), target,
            files.OwnMs, soundMs);
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
