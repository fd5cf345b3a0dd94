// CD+G graphics streams from arbitrary bytes: every packet applied in play order, a step
// back that replays the stream, and the picture rendered with its scrolling offsets.
// Links: tunecrest_playback
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "playback/cdg_decoder.h"

using tunecrest::TcdgDecoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TcdgDecoder decoder;
    decoder.SetStream(std::string(reinterpret_cast<const char*>(data), size));
    const int64_t end = int64_t(decoder.PacketCount()) * 1000 / TcdgDecoder::kPacketsPerSecond + 1;
    decoder.AdvanceTo(end / 2);
    decoder.AdvanceTo(end);
    std::vector<uint32_t> pixels;
    decoder.Render(pixels);
    if (pixels.size() != size_t(TcdgDecoder::kWidth) * TcdgDecoder::kHeight) std::abort();
    for (int y = 0; y < TcdgDecoder::kHeight; ++y)
        for (int x = 0; x < TcdgDecoder::kWidth; ++x)
            if (decoder.PixelIndex(x, y) > 15) std::abort();
    if (decoder.HorizontalOffset() < 0 || decoder.HorizontalOffset() >= TcdgDecoder::kTileWidth ||
        decoder.VerticalOffset() < 0 || decoder.VerticalOffset() >= TcdgDecoder::kTileHeight)
        std::abort();
    decoder.AdvanceTo(end / 3);  // backwards: replays from the start
    decoder.AdvanceTo(-1);
    decoder.AdvanceTo(INT64_MAX);
    return 0;
}
