#pragma once
// Media kinds: a tag holds one of them, lists and tagger plug-ins hold masks of them
// (a list or a plug-in takes a tag when its kind and the mask have a bit in common).
#include <cstdint>
#include <string_view>

namespace tunecrest {

constexpr uint32_t mkAudio = 1;
constexpr uint32_t mkVideo = 2;
constexpr uint32_t mkURL = 4;
constexpr uint32_t mkKaraoke = 8;
constexpr uint32_t mkAll = 0xFFFFFFFF;

// "Audio" 1, "Video" 2, "URL" 4, "Karaoke" 8 (without regard to case), anything else -1.
int MediaKindFromName(std::string_view name);

}  // namespace tunecrest
