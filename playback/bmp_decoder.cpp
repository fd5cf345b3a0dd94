// BMP files: the file header, an information header of any of the usual sizes (the
// 12-byte core header or the 40-, 52-, 56-, 108- and 124-byte ones), a palette for 1, 4
// and 8 bits per pixel, bit masks for 16 and 32 bits, rows bottom-up or top-down, and
// run-length compressed pixels of 4 and 8 bits. Every read goes through TbyteReader.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "core/base/safe_file.h"
#include "playback/picture_decoders.h"

namespace tunecrest {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// One colour channel given by a bit mask, scaled to 0..255.
struct Tchannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;
    explicit Tchannel(uint32_t mask = 0) : Mask(mask) {
        if (!mask) return;
        Shift = std::countr_zero(mask);
        Max = mask >> Shift;
    }
    uint8_t Get(uint32_t value) const {
        if (!Max) return 0;
        return uint8_t(uint64_t((value & Mask) >> Shift) * 255 / Max);
    }
};

bool Fail(std::string* error, const char* text) {
    if (error) *error = std::string("BMP: ") + text;
    return false;
}

// Run-length compressed pixels (8 or 4 bits a pixel, rows bottom-up) into `picture`, which
// the caller has sized and filled with palette entry 0 (what the data skips keeps it).
// Each pair of bytes is a run (a count and the index, or for 4 bits two indexes taken in
// turn) or, after a zero count, an escape: 0 ends the row, 1 ends the picture, 2 moves
// right and up by the next two bytes, and 3 or more gives that many pixels as they are,
// padded to an even number of bytes. Pixels past the right edge are dropped and moves past
// the top end the picture, so no data can reach outside it; data that stops before its
// end marker (and before the top row) was cut short. An index past the palette is black.
bool DecodeRunLength(TbyteReader& reader, int bits, const std::vector<Trgb>& palette, Tbitmap& picture,
                     std::string* error) {
    const int width = picture.Width(), height = picture.Height();
    int x = 0, row = 0;  // row 0 is the bottom row
    // Called only while x < width and row < height.
    auto put = [&](unsigned index) {
        picture.SetPixel(x++, height - 1 - row, index < palette.size() ? palette[index] : Trgb{});
    };
    while (row < height) {
        uint8_t count = 0, value = 0;
        if (!reader.ReadU8(count) || !reader.ReadU8(value)) return Fail(error, "run-length data cut short");
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
            continue;
        }
        if (value == 0) {  // end of row
            x = 0;
            ++row;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // move
            uint8_t dx = 0, dy = 0;
            if (!reader.ReadU8(dx) || !reader.ReadU8(dy)) return Fail(error, "run-length data cut short");
            x = std::min(x + dx, width);
            row += dy;
        } else {  // pixels as they are
            const size_t bytes = bits == 8 ? value : (size_t(value) + 1) / 2;
            std::string_view literal;
            if (!reader.ReadBytes(bytes + bytes % 2, literal)) return Fail(error, "run-length data cut short");
            for (int i = 0; i < value && x < width; ++i) {
                const auto byte = uint8_t(literal[size_t(bits == 8 ? i : i / 2)]);
                put(bits == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
            }
        }
    }
    return true;
}

}  // namespace

bool DecodeBmp(std::string_view data, Tbitmap& picture, std::string* error) {
    picture.Clear();
    TbyteReader reader(data);
    std::string_view magic;
    uint32_t fileSize = 0, reserved = 0, dataOffset = 0, headerSize = 0;
    if (!reader.ReadBytes(2, magic) || magic != "BM") return Fail(error, "not a bitmap file");
    if (!reader.ReadU32(fileSize) || !reader.ReadU32(reserved) || !reader.ReadU32(dataOffset) ||
        !reader.ReadU32(headerSize))
        return Fail(error, "header cut short");
    int64_t width = 0, height = 0;
    uint16_t planes = 0, bits = 0;
    uint32_t compression = kBiRgb, coloursUsed = 0;
    const bool core = headerSize == 12;
    if (core) {
        int16_t w = 0, h = 0;
        if (!reader.ReadI16(w) || !reader.ReadI16(h)) return Fail(error, "header cut short");
        width = w, height = h;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
        int32_t w = 0, h = 0;
        if (!reader.ReadI32(w) || !reader.ReadI32(h)) return Fail(error, "header cut short");
        width = w, height = h;
    } else {
        return Fail(error, "unknown information header");
    }
    int16_t planesRaw = 0, bitsRaw = 0;
    if (!reader.ReadI16(planesRaw) || !reader.ReadI16(bitsRaw)) return Fail(error, "header cut short");
    planes = uint16_t(planesRaw), bits = uint16_t(bitsRaw);
    uint32_t masks[4] = {0, 0, 0, 0};
    if (!core) {
        uint32_t skip = 0;
        if (!reader.ReadU32(compression) || !reader.ReadU32(skip) || !reader.ReadU32(skip) ||
            !reader.ReadU32(skip) || !reader.ReadU32(coloursUsed) || !reader.ReadU32(skip))
            return Fail(error, "header cut short");
        const bool withMasks = compression == kBiBitfields || compression == kBiAlphaBitfields;
        // The masks sit inside the longer headers and right after the 40-byte one.
        const int maskCount = headerSize >= 56 ? 4 : headerSize == 52 ? 3 : withMasks ? 3 : 0;
        for (int i = 0; i < maskCount; ++i)
            if (!reader.ReadU32(masks[i])) return Fail(error, "bit masks cut short");
        if (headerSize > 40 && !reader.Seek(14 + size_t(headerSize))) return Fail(error, "header cut short");
        if (!withMasks) masks[0] = masks[1] = masks[2] = 0;
    }
    if (planes != 1) return Fail(error, "bad plane count");
    const bool topDown = height < 0;
    height = height < 0 ? -height : height;
    if (!PictureSizeAllowed(width, height)) return Fail(error, "picture size out of range");
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 16 && bits != 24 && bits != 32) return Fail(error, "unsupported bit depth");
    const bool maskedDepth = bits == 16 || bits == 32;
    const bool runLength = (compression == kBiRle8 && bits == 8) || (compression == kBiRle4 && bits == 4);
    if (compression != kBiRgb && !runLength &&
        !(maskedDepth && (compression == kBiBitfields || compression == kBiAlphaBitfields)))
        return Fail(error, "unsupported compression");
    // Compressed rows always run bottom-up; a top-down compressed picture is not valid.
    if (runLength && topDown) return Fail(error, "run-length picture stored top-down");

    std::vector<Trgb> palette;
    if (paletted) {
        const uint32_t most = 1u << bits;
        const uint32_t count = coloursUsed == 0 ? most : std::min(coloursUsed, most);
        const int entrySize = core ? 3 : 4;
        for (uint32_t i = 0; i < count; ++i) {
            std::string_view entry;
            if (!reader.ReadBytes(size_t(entrySize), entry)) return Fail(error, "palette cut short");
            palette.push_back({uint8_t(entry[2]), uint8_t(entry[1]), uint8_t(entry[0])});
        }
    }
    Tchannel red, green, blue;
    if (bits == 16) {
        const bool given = compression != kBiRgb;
        red = Tchannel(given ? masks[0] : 0x7C00);
        green = Tchannel(given ? masks[1] : 0x03E0);
        blue = Tchannel(given ? masks[2] : 0x001F);
    } else if (bits == 32) {
        const bool given = compression != kBiRgb;
        red = Tchannel(given ? masks[0] : 0x00FF0000);
        green = Tchannel(given ? masks[1] : 0x0000FF00);
        blue = Tchannel(given ? masks[2] : 0x000000FF);
    }

    if (runLength) {
        if (!reader.Seek(dataOffset)) return Fail(error, "pixel data cut short");
        picture.SetSize(int(width), int(height));
        if (!palette.empty() && palette[0] != Trgb{}) picture.Fill(palette[0]);
        if (DecodeRunLength(reader, bits, palette, picture, error)) return true;
        picture.Clear();
        return false;
    }

    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    std::string_view pixels;
    if (!reader.Seek(dataOffset) || !reader.ReadBytes(stride * size_t(height), pixels))
        return Fail(error, "pixel data cut short");

    picture.SetSize(int(width), int(height));
    for (int row = 0; row < int(height); ++row) {
        const auto* in = reinterpret_cast<const uint8_t*>(pixels.data()) + stride * size_t(row);
        const int y = topDown ? row : int(height) - 1 - row;
        for (int x = 0; x < int(width); ++x) {
            Trgb colour;
            if (paletted) {
                const size_t bitPos = size_t(x) * bits;
                const unsigned index = (in[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
                // An index past the palette shows black rather than reading beyond it.
                if (index < palette.size()) colour = palette[index];
            } else if (bits == 24) {
                const uint8_t* p = in + size_t(x) * 3;
                colour = {p[2], p[1], p[0]};
            } else {
                const uint8_t* p = in + size_t(x) * (bits / 8);
                const uint32_t v = bits == 16 ? uint32_t(p[0] | p[1] << 8)
                                              : uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
                colour = {red.Get(v), green.Get(v), blue.Get(v)};
            }
            picture.SetPixel(x, y, colour);
        }
    }
    return true;
}

}  // namespace tunecrest
