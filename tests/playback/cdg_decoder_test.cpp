#include "playback/cdg_decoder.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

// One 24-byte packet: command, instruction, two parity bytes, 16 data bytes, four parity bytes.
std::string Packet(uint8_t instruction, std::initializer_list<uint8_t> data, uint8_t command = 0x09) {
    std::string p(TcdgDecoder::kPacketSize, '\0');
    p[0] = char(command);
    p[1] = char(instruction);
    size_t i = 4;
    for (uint8_t b : data) p[i++] = char(b);
    return p;
}

// A tile with the left column of each row set (bit 5) and the rest clear.
std::string LeftColumnTile(uint8_t c0, uint8_t c1, uint8_t row, uint8_t column, uint8_t instruction = 6) {
    return Packet(instruction, {c0, c1, row, column, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                                0x20, 0x20});
}

TEST(CdgDecoder, PaletteEntriesDecodeFromTwoSixBitSymbols) {
    TcdgDecoder d;
    // Entry 0: r=0xF g=0x0 b=0x0; entry 1: r=0 g=0xF b=0; entry 2: r=0 g=0 b=0xF; entry 3: r=1 g=0x6 b=0xC.
    d.ApplyPacket(Packet(30, {0x3C, 0x00, 0x03, 0x30, 0x00, 0x0F, 0x05, 0x2C}));
    EXPECT_EQ(d.PaletteColour(0), 0xFFFF0000u);
    EXPECT_EQ(d.PaletteColour(1), 0xFF00FF00u);
    EXPECT_EQ(d.PaletteColour(2), 0xFF0000FFu);
    EXPECT_EQ(d.PaletteColour(3), 0xFF1166CCu);
    EXPECT_EQ(d.PaletteColour(8), 0xFF000000u);  // the high table is untouched
    d.ApplyPacket(Packet(31, {0x3F, 0x3F}));
    EXPECT_EQ(d.PaletteColour(8), 0xFFFFFFFFu);
    EXPECT_EQ(d.PaletteColour(0), 0xFFFF0000u);
}

TEST(CdgDecoder, PresetsAndTilesDrawTheExpectedPixels) {
    TcdgDecoder d;
    d.ApplyPacket(Packet(1, {0x05}));
    EXPECT_EQ(d.PixelIndex(0, 0), 5);
    EXPECT_EQ(d.PixelIndex(299, 215), 5);
    d.ApplyPacket(Packet(2, {0x07}));
    EXPECT_EQ(d.PixelIndex(5, 100), 7);    // left border
    EXPECT_EQ(d.PixelIndex(6, 12), 5);     // first drawable pixel
    EXPECT_EQ(d.PixelIndex(294, 100), 7);  // right border
    EXPECT_EQ(d.PixelIndex(100, 204), 7);  // bottom border
    EXPECT_EQ(d.PixelIndex(293, 203), 5);

    // Row 2, column 3: pixels x 18..23, y 24..35; bit 5 is the leftmost pixel.
    d.ApplyPacket(LeftColumnTile(0x01, 0x0A, 2, 3));
    EXPECT_EQ(d.PixelIndex(18, 24), 10);
    EXPECT_EQ(d.PixelIndex(19, 24), 1);
    EXPECT_EQ(d.PixelIndex(23, 35), 1);
    EXPECT_EQ(d.PixelIndex(18, 36), 5);  // below the tile
    EXPECT_EQ(d.PixelIndex(24, 24), 5);  // right of the tile

    // XOR with colours 0x3 (clear bits) and 0x6 (set bits).
    d.ApplyPacket(LeftColumnTile(0x03, 0x06, 2, 3, 38));
    EXPECT_EQ(d.PixelIndex(18, 24), 10 ^ 6);
    EXPECT_EQ(d.PixelIndex(19, 24), 1 ^ 3);
}

TEST(CdgDecoder, DamagedPacketsDrawNothing) {
    TcdgDecoder d;
    d.ApplyPacket(Packet(1, {0x02}));
    d.ApplyPacket(LeftColumnTile(0, 9, 18, 0));   // row 18 is below the screen
    d.ApplyPacket(LeftColumnTile(0, 9, 0, 50));   // column 50 is right of the screen
    d.ApplyPacket(Packet(1, {0x09}, 0x08));       // not a graphics command
    d.ApplyPacket(Packet(1, {0x09}).substr(0, 10));  // truncated
    for (int y = 0; y < TcdgDecoder::kHeight; y += 7)
        for (int x = 0; x < TcdgDecoder::kWidth; x += 7) ASSERT_EQ(d.PixelIndex(x, y), 2);
    // Upper bits of command and instruction (the subcode channels P and Q) are ignored.
    d.ApplyPacket(Packet(0xC1, {0x04}, 0xC9));
    EXPECT_EQ(d.PixelIndex(0, 0), 4);
}

TEST(CdgDecoder, ScrollPresetFillsAndScrollCopyWraps) {
    TcdgDecoder d;
    d.ApplyPacket(LeftColumnTile(0, 9, 0, 0));  // x 0, y 0..11 = 9
    // Scroll right one tile, fill the vacated columns with 4.
    d.ApplyPacket(Packet(20, {0x04, 0x10, 0x00}));
    EXPECT_EQ(d.PixelIndex(6, 0), 9);
    EXPECT_EQ(d.PixelIndex(0, 0), 4);
    EXPECT_EQ(d.PixelIndex(5, 11), 4);
    // Scroll up one tile with copy: the top row of tiles wraps to the bottom.
    d.ApplyPacket(Packet(24, {0x00, 0x00, 0x20}));
    EXPECT_EQ(d.PixelIndex(6, 204), 9);
    EXPECT_EQ(d.PixelIndex(0, 215), 4);
    EXPECT_EQ(d.PixelIndex(6, 0), 0);
    // Scroll left with copy: column 6 moves to column 0, column 0 wraps to 294.
    d.ApplyPacket(Packet(24, {0x00, 0x20, 0x00}));
    EXPECT_EQ(d.PixelIndex(0, 204), 9);
    EXPECT_EQ(d.PixelIndex(294, 204), 4);
}

TEST(CdgDecoder, RenderAppliesPaletteAndOffsets) {
    TcdgDecoder d;
    d.ApplyPacket(Packet(30, {0x00, 0x00, 0x3C, 0x00}));  // 0 black, 1 red
    d.ApplyPacket(LeftColumnTile(0, 1, 0, 1));            // x 6, y 0..11 red
    std::vector<uint32_t> pixels;
    d.Render(pixels);
    ASSERT_EQ(pixels.size(), size_t(TcdgDecoder::kWidth * TcdgDecoder::kHeight));
    EXPECT_EQ(pixels[6], 0xFFFF0000u);
    EXPECT_EQ(pixels[5], 0xFF000000u);
    // Offsets of 3 pixels right and 2 down (no tile move) shift what is shown.
    d.ApplyPacket(Packet(24, {0x00, 0x03, 0x02}));
    EXPECT_EQ(d.HorizontalOffset(), 3);
    EXPECT_EQ(d.VerticalOffset(), 2);
    d.Render(pixels);
    EXPECT_EQ(pixels[3], 0xFFFF0000u);                          // screen (6, 2)
    EXPECT_EQ(pixels[size_t(9) * TcdgDecoder::kWidth + 3], 0xFFFF0000u);  // screen (6, 11)
    EXPECT_EQ(pixels[size_t(10) * TcdgDecoder::kWidth + 3], 0xFF000000u); // screen (6, 12)
}

TEST(CdgDecoder, AdvanceFollowsThePlayPositionBothWays) {
    // Packet 0 clears to 1, packet 300 (one second in) clears to 2.
    std::string stream;
    stream += Packet(1, {0x01});
    for (int i = 1; i < 300; ++i) stream += std::string(TcdgDecoder::kPacketSize, '\0');
    stream += Packet(1, {0x02});
    stream += "tail";  // a partial packet at the end is ignored
    test::TempDir dir;
    const std::string file = dir.File("song.cdg");
    ASSERT_TRUE(SafeWriteFile(file, stream));
    TcdgDecoder d;
    ASSERT_TRUE(d.LoadFromFile(file));
    EXPECT_EQ(d.PacketCount(), 301);

    EXPECT_TRUE(d.AdvanceTo(0));  // a fresh screen counts as a change
    EXPECT_EQ(d.PixelIndex(0, 0), 0);
    EXPECT_TRUE(d.AdvanceTo(10));
    EXPECT_EQ(d.PixelIndex(0, 0), 1);
    EXPECT_FALSE(d.AdvanceTo(999));
    EXPECT_TRUE(d.AdvanceTo(1004));
    EXPECT_EQ(d.PixelIndex(0, 0), 2);
    EXPECT_FALSE(d.AdvanceTo(60000));  // past the end: nothing more to draw
    EXPECT_TRUE(d.AdvanceTo(500));     // a seek back replays from the start
    EXPECT_EQ(d.PixelIndex(0, 0), 1);

    EXPECT_FALSE(d.LoadFromFile(dir.File("missing.cdg")));
}

}  // namespace
}  // namespace tunecrest
