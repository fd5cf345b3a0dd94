#pragma once
// Decoders for the picture formats the system reads (JPEG and BMP) into a 24-bit
// bitmap. Input is untrusted: a malformed, truncated or oversize picture gives false
// and a reason, never a read past the buffer or an unbounded allocation.
#include <string>
#include <string_view>

#include "playback/bitmap.h"

namespace tunecrest {

bool DecodeJpeg(std::string_view data, Tbitmap& picture, std::string* error = nullptr);
bool DecodeBmp(std::string_view data, Tbitmap& picture, std::string* error = nullptr);

}  // namespace tunecrest
