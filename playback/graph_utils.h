#pragma once
// Helpers of the in-process player: the volume scale, the system's audio outputs and
// the file a karaoke track draws its graphics from.
#include <cstdint>
#include <string>
#include <vector>

typedef struct _GstDevice GstDevice;

namespace tunecrest {

// The stored name that stands for the system's default audio output.
inline constexpr const char* kDefaultAudioDevice = "Default DirectSound Device";
// Environment variable naming a pipeline description for the audio output
// ("fakesink sync=true" in tests and benchmarks); it overrides the chosen device.
inline constexpr const char* kAudioSinkVariable = "TUNECREST_AUDIO_SINK";

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
