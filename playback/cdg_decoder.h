#pragma once
// Decoder of CD+G karaoke graphics (the subcode stream stored beside a karaoke track in
// a ".cdg" file). The stream is a run of 24-byte packets, 300 a second; the graphics
// commands draw 6x12-pixel tiles of 4-bit colour indices on a 300x216 screen whose
// 16 colours come from a palette loaded by the stream itself. Pure code: the player
// feeds it the audio position and paints the pixels it returns.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

class TcdgDecoder {
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 216;
    static constexpr int kPacketSize = 24;
    static constexpr int kPacketsPerSecond = 300;
    static constexpr int kTileWidth = 6;
    static constexpr int kTileHeight = 12;

    // Packet layout: command, instruction, two parity bytes, 16 data bytes, four parity bytes.
    static constexpr uint8_t kCommandGraphics = 0x09;
    enum Tinstruction : uint8_t {
        ciMemoryPreset = 1,
        ciBorderPreset = 2,
        ciTileBlock = 6,
        ciScrollPreset = 20,
        ciScrollCopy = 24,
        ciLoadColoursLow = 30,
        ciLoadColoursHigh = 31,
        ciTileBlockXor = 38,
    };

    TcdgDecoder();

    // Takes the whole stream (a trailing partial packet is ignored) and resets the screen.
    void SetStream(std::string stream);
    // Reads a ".cdg" file. False (with a reason) when it cannot be read.
    bool LoadFromFile(const std::string& fileName, std::string* error = nullptr);
    int PacketCount() const { return int(Fstream.size() / kPacketSize); }

    // Brings the screen to the given play position: packets up to that time are applied.
    // Going backwards replays the stream from its start. Returns true when the picture
    // changed since the previous call.
    bool AdvanceTo(int64_t positionMs);
    void Reset();

    // Applies one packet; packets that are not graphics commands are skipped.
    void ApplyPacket(std::string_view packet);

    // The colour index (0-15) at a screen position, before scrolling offsets.
    uint8_t PixelIndex(int x, int y) const { return Fscreen[size_t(y) * kWidth + size_t(x)]; }
    // Palette entry as 0xFFRRGGBB.
    uint32_t PaletteColour(int index) const { return Fpalette[size_t(index) & 15]; }
    int HorizontalOffset() const { return FhOffset; }
    int VerticalOffset() const { return FvOffset; }
    // The visible picture, kWidth x kHeight pixels of 0xFFRRGGBB, row by row, with the
    // scrolling offsets applied (the screen wraps around).
    void Render(std::vector<uint32_t>& pixels) const;

private:
    void MemoryPreset(const uint8_t* data);
    void BorderPreset(const uint8_t* data);
    void TileBlock(const uint8_t* data, bool xorMode);
    void Scroll(const uint8_t* data, bool copy);
    void LoadColours(const uint8_t* data, int first);

    std::string Fstream;
    std::vector<uint8_t> Fscreen;
    std::array<uint32_t, 16> Fpalette{};
    int FhOffset = 0;
    int FvOffset = 0;
    int FnextPacket = 0;  // first packet not yet applied
    bool Fchanged = false;
};

}  // namespace tunecrest
