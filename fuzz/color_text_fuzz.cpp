// Colour text from skin and settings files: any text either reads as a colour whose
// written form reads back to the same colour, or is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/display/color_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto color = tunecrest::StringToColor(text);
    if (color && tunecrest::StringToColor(tunecrest::ColorToString(*color)) != color) std::abort();
    return 0;
}
