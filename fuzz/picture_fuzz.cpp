// BMP and JPEG pictures from arbitrary bytes; the low bit of the first byte picks the
// decoder. A picture decoded has a size the decoders allow.
// Links: tunecrest_playback
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "playback/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    tunecrest::Tbitmap picture;
    std::string error;
    const bool ok = (data[0] & 1) ? tunecrest::DecodeJpeg(bytes, picture, &error)
                                  : tunecrest::DecodeBmp(bytes, picture, &error);
    if (ok && !tunecrest::PictureSizeAllowed(picture.Width(), picture.Height())) std::abort();
    if (!ok && (!picture.Empty() || error.empty())) std::abort();
    return 0;
}
