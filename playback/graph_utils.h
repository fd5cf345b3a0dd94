#pragma once
// Helpers of the in-process player: the volume scale, the system's audio outputs and
// the file a karaoke track draws its graphics from.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

typedef struct _GstDevice GstDevice;
typedef struct _GstElement GstElement;

namespace tunecrest {

// The stored name that stands for the system's default audio output.
inline constexpr const char* kDefaultAudioDevice = "Default DirectSound Device";
// Environment variable naming a pipeline description for the audio output
// ("fakesink sync=true" in tests and benchmarks); it overrides the chosen device.
// An output chosen this way is never taken for the silent stand-in.
inline constexpr const char* kAudioSinkVariable = "TUNECREST_AUDIO_SINK";

// The automatic audio output, used when no device was chosen: "autoaudiosink", which
// takes the sound server or a sound card and, when it can open neither, a silent
// stand-in (a fakesink). Tests put their own maker in to stand for a machine with or
// without a sound device; an empty maker restores "autoaudiosink".
using TaudioSinkMaker = std::function<GstElement*()>;
void SetAutomaticAudioSinkMaker(TaudioSinkMaker maker);
GstElement* MakeAutomaticAudioSink();
// True when `sink` is, or holds, a fakesink: what an automatic output that found no
// sound device plays into.
bool HoldsSilentStandIn(GstElement* sink);

// The graph volume is in hundredths of a decibel, -8000 (byte 0) to 0 (byte 255).
int VolumeByteToGraph(uint8_t volume);
// Levels below -8000 read as 0; levels above 0 as 255.
uint8_t VolumeGraphToByte(int graphVolume);
// The linear gain of a level in hundredths of a decibel.
double GraphVolumeToLinear(int graphVolume);

// Display names of the system's audio outputs ("Audio/Sink" devices), in the order the
// system lists them. Empty when there are none (no sound server).
std::vector<std::string> GetAudioRendererNames();
// The audio output of that display name (a new reference), or null when there is none.
GstDevice* FindAudioDevice(const std::string& displayName);

// The ".cdg" file beside a media file (same name, extension ".cdg"), or "" when there
// is none. A ".cdg" file given itself has no companion.
std::string FindKaraokeGraphics(const std::string& mediaFile);

// Starts GStreamer once for the process. False (with the reason) when it cannot start.
bool EnsureGStreamer(std::string* error = nullptr);

}  // namespace tunecrest
