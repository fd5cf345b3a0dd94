#include "playback/cdg_decoder.h"

#include <algorithm>

#include "core/base/safe_file.h"

namespace tunecrest {

namespace {
// A graphics stream that is larger than this is no karaoke file (over 30 hours).
constexpr uint64_t kMaxStreamBytes = uint64_t(1) << 30;
constexpr uint8_t kSubcodeMask = 0x3F;
constexpr int kBorderLeft = 6;
constexpr int kBorderTop = 12;
}  // namespace

TcdgDecoder::TcdgDecoder() : Fscreen(size_t(kWidth) * kHeight, 0) { Reset(); }

void TcdgDecoder::SetStream(std::string stream) {
    Fstream = std::move(stream);
    Reset();
}

bool TcdgDecoder::LoadFromFile(const std::string& fileName, std::string* error) {
    std::string data;
    if (!ReadFileBytes(fileName, data, error, kMaxStreamBytes)) return false;
    SetStream(std::move(data));
    return true;
}

void TcdgDecoder::Reset() {
    std::fill(Fscreen.begin(), Fscreen.end(), uint8_t(0));
    Fpalette.fill(0xFF000000u);
    FhOffset = FvOffset = 0;
    FnextPacket = 0;
    Fchanged = true;
}

bool TcdgDecoder::AdvanceTo(int64_t positionMs) {
    const int64_t due = std::clamp<int64_t>(positionMs, 0, INT64_MAX / kPacketsPerSecond) *
                        kPacketsPerSecond / 1000;
    const int target = int(std::min<int64_t>(due, PacketCount()));
    if (target < FnextPacket) Reset();
    for (; FnextPacket < target; ++FnextPacket)
        ApplyPacket(std::string_view(Fstream).substr(size_t(FnextPacket) * kPacketSize, kPacketSize));
    const bool changed = Fchanged;
    Fchanged = false;
    return changed;
}

void TcdgDecoder::ApplyPacket(std::string_view packet) {
    if (packet.size() < size_t(kPacketSize)) return;
    if ((uint8_t(packet[0]) & kSubcodeMask) != kCommandGraphics) return;
    const auto* data = reinterpret_cast<const uint8_t*>(packet.data()) + 4;
    switch (uint8_t(packet[1]) & kSubcodeMask) {
        case ciMemoryPreset: MemoryPreset(data); break;
        case ciBorderPreset: BorderPreset(data); break;
        case ciTileBlock: TileBlock(data, false); break;
        case ciTileBlockXor: TileBlock(data, true); break;
        case ciScrollPreset: Scroll(data, false); break;
        case ciScrollCopy: Scroll(data, true); break;
        case ciLoadColoursLow: LoadColours(data, 0); break;
        case ciLoadColoursHigh: LoadColours(data, 8); break;
        default: break;  // transparency and unknown instructions draw nothing
    }
}

void TcdgDecoder::MemoryPreset(const uint8_t* data) {
    std::fill(Fscreen.begin(), Fscreen.end(), uint8_t(data[0] & 0x0F));
    Fchanged = true;
}

void TcdgDecoder::BorderPreset(const uint8_t* data) {
    const uint8_t colour = data[0] & 0x0F;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (x < kBorderLeft || x >= kWidth - kBorderLeft || y < kBorderTop || y >= kHeight - kBorderTop)
                Fscreen[size_t(y) * kWidth + size_t(x)] = colour;
    Fchanged = true;
}

void TcdgDecoder::TileBlock(const uint8_t* data, bool xorMode) {
    const uint8_t colour0 = data[0] & 0x0F;
    const uint8_t colour1 = data[1] & 0x0F;
    const int row = data[2] & 0x1F;
    const int column = data[3] & 0x3F;
    const int left = column * kTileWidth;
    const int top = row * kTileHeight;
    // A tile outside the screen is a damaged packet: drawing it would write past the screen.
    if (left + kTileWidth > kWidth || top + kTileHeight > kHeight) return;
    for (int y = 0; y < kTileHeight; ++y) {
        const uint8_t bits = data[4 + y] & 0x3F;
        uint8_t* line = &Fscreen[size_t(top + y) * kWidth + size_t(left)];
        for (int x = 0; x < kTileWidth; ++x) {
            const uint8_t colour = (bits & (0x20 >> x)) ? colour1 : colour0;
            line[x] = xorMode ? uint8_t((line[x] ^ colour) & 0x0F) : colour;
        }
    }
    Fchanged = true;
}

void TcdgDecoder::Scroll(const uint8_t* data, bool copy) {
    const uint8_t colour = data[0] & 0x0F;
    const int hCommand = (data[1] >> 4) & 0x03;
    const int vCommand = (data[2] >> 4) & 0x03;
    FhOffset = std::min(data[1] & 0x07, kTileWidth - 1);
    FvOffset = std::min(data[2] & 0x0F, kTileHeight - 1);
    // Command 1 moves the picture right (or down) by one tile, 2 left (or up).
    const int dx = hCommand == 1 ? kTileWidth : hCommand == 2 ? -kTileWidth : 0;
    const int dy = vCommand == 1 ? kTileHeight : vCommand == 2 ? -kTileHeight : 0;
    if (dx != 0 || dy != 0) {
        std::vector<uint8_t> moved(Fscreen.size());
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int sx = x - dx;
                const int sy = y - dy;
                const bool inside = sx >= 0 && sx < kWidth && sy >= 0 && sy < kHeight;
                uint8_t value = colour;
                if (inside)
                    value = Fscreen[size_t(sy) * kWidth + size_t(sx)];
                else if (copy)
                    value = Fscreen[size_t((sy + kHeight) % kHeight) * kWidth + size_t((sx + kWidth) % kWidth)];
                moved[size_t(y) * kWidth + size_t(x)] = value;
            }
        }
        Fscreen.swap(moved);
    }
    Fchanged = true;
}

void TcdgDecoder::LoadColours(const uint8_t* data, int first) {
    for (int i = 0; i < 8; ++i) {
        // Each entry is 12 bits spread over two 6-bit symbols: rrrrgg and ggbbbb.
        const uint8_t high = data[2 * i] & 0x3F;
        const uint8_t low = data[2 * i + 1] & 0x3F;
        const uint32_t red = (high >> 2) & 0x0F;
        const uint32_t green = uint32_t(((high & 0x03) << 2) | ((low >> 4) & 0x03));
        const uint32_t blue = low & 0x0F;
        Fpalette[size_t(first + i)] = 0xFF000000u | (red * 17) << 16 | (green * 17) << 8 | (blue * 17);
    }
    Fchanged = true;
}

void TcdgDecoder::Render(std::vector<uint32_t>& pixels) const {
    pixels.resize(Fscreen.size());
    for (int y = 0; y < kHeight; ++y) {
        const int sy = (y + FvOffset) % kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const int sx = (x + FhOffset) % kWidth;
            pixels[size_t(y) * kWidth + size_t(x)] = Fpalette[Fscreen[size_t(sy) * kWidth + size_t(sx)]];
        }
    }
}

}  // namespace tunecrest
