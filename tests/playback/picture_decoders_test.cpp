#include "playback/picture_decoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/base/safe_file.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

// Header of a BMP with a 40-byte information header; palette and pixels follow.
std::string BmpHead(int width, int height, int bits, uint32_t compression, uint32_t dataOffset,
                    uint32_t coloursUsed = 0) {
    TbyteWriter w;
    w.WriteBytes("BM");
    w.WriteU32(0);
    w.WriteU32(0);
    w.WriteU32(dataOffset);
    w.WriteU32(40);
    w.WriteI32(width);
    w.WriteI32(height);
    w.WriteI16(1);
    w.WriteI16(int16_t(bits));
    w.WriteU32(compression);
    w.WriteU32(0);
    w.WriteU32(0);
    w.WriteU32(0);
    w.WriteU32(coloursUsed);
    w.WriteU32(0);
    return w.Bytes();
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(char(v));
    return s;
}

TEST(BmpDecoder, ReadsEveryDepthFromFile) {
    test::TempDir dir;
    // 24 bits, bottom-up, rows padded to four bytes.
    Tbitmap picture(3, 2);
    picture.SetPixel(0, 0, {255, 0, 0});
    picture.SetPixel(2, 0, {1, 2, 3});
    picture.SetPixel(1, 1, {0, 0, 255});
    test::WriteFile(dir.File("a.bmp"), test::EncodeBmp24(picture));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(dir.File("a.bmp"), data));
    Tbitmap decoded;
    ASSERT_TRUE(DecodeBmp(data, decoded));
    EXPECT_EQ(decoded, picture);

    // 8 bits, top-down, two palette entries; index 7 lies past the palette and reads black.
    std::string bmp8 = BmpHead(3, -2, 8, 0, 54 + 8, 2) + Bytes({30, 20, 10, 0, 60, 50, 40, 0}) +
                       Bytes({0, 1, 7, 0, 1, 1, 0, 0});
    ASSERT_TRUE(DecodeBmp(bmp8, decoded));
    EXPECT_EQ(decoded.Pixel(0, 0), (Trgb{10, 20, 30}));
    EXPECT_EQ(decoded.Pixel(1, 0), (Trgb{40, 50, 60}));
    EXPECT_EQ(decoded.Pixel(2, 0), (Trgb{}));
    EXPECT_EQ(decoded.Pixel(0, 1), (Trgb{40, 50, 60}));

    // 1 bit, 9 pixels wide: the ninth pixel comes from the row's second byte.
    std::string bmp1 = BmpHead(9, 1, 1, 0, 54 + 8) + Bytes({0, 0, 0, 0, 255, 255, 255, 0}) +
                       Bytes({0b10000001, 0b10000000, 0, 0});
    ASSERT_TRUE(DecodeBmp(bmp1, decoded));
    EXPECT_EQ(decoded.Pixel(0, 0), (Trgb{255, 255, 255}));
    EXPECT_EQ(decoded.Pixel(1, 0), (Trgb{}));
    EXPECT_EQ(decoded.Pixel(7, 0), (Trgb{255, 255, 255}));
    EXPECT_EQ(decoded.Pixel(8, 0), (Trgb{255, 255, 255}));

    // 16 bits, 5-5-5 by default: pure red and a mid blue.
    std::string bmp16 = BmpHead(2, 1, 16, 0, 54) + Bytes({0x00, 0x7C, 0x10, 0x00});
    ASSERT_TRUE(DecodeBmp(bmp16, decoded));
    EXPECT_EQ(decoded.Pixel(0, 0), (Trgb{255, 0, 0}));
    EXPECT_EQ(decoded.Pixel(1, 0), (Trgb{0, 0, 131}));

    // 32 bits with bit masks after the header (blue in the top byte, red in the lowest).
    TbyteWriter masks;
    masks.WriteU32(0x000000FF);
    masks.WriteU32(0x0000FF00);
    masks.WriteU32(0xFF000000);
    std::string bmp32 = BmpHead(1, 1, 32, 3, 54 + 12) + masks.Bytes() + Bytes({11, 22, 0, 33});
    ASSERT_TRUE(DecodeBmp(bmp32, decoded));
    EXPECT_EQ(decoded.Pixel(0, 0), (Trgb{11, 22, 33}));
}

TEST(BmpDecoder, RefusesBadInput) {
    Tbitmap decoded;
    std::string error;
    const std::string good = test::EncodeBmp24(test::SolidPicture(4, 4, {1, 2, 3}));
    EXPECT_FALSE(DecodeBmp(good.substr(0, good.size() - 1), decoded, &error));  // a pixel short
    EXPECT_TRUE(decoded.Empty());
    EXPECT_NE(error.find("cut short"), std::string::npos);
    EXPECT_FALSE(DecodeBmp(good.substr(0, 20), decoded));
    EXPECT_FALSE(DecodeBmp("", decoded));
    EXPECT_FALSE(DecodeBmp("PK" + good.substr(2), decoded));
    // A header that claims a huge picture is refused before any memory is taken.
    EXPECT_FALSE(DecodeBmp(BmpHead(100000, 100000, 24, 0, 54), decoded, &error));
    EXPECT_NE(error.find("size"), std::string::npos);
    EXPECT_FALSE(DecodeBmp(BmpHead(4, 0, 24, 0, 54), decoded));
    EXPECT_FALSE(DecodeBmp(BmpHead(4, 4, 7, 0, 54) + std::string(2000, '\0'), decoded));   // odd depth
    // A palette that claims more entries than the file holds.
    EXPECT_FALSE(DecodeBmp(BmpHead(1, 1, 8, 0, 54, 200) + std::string(40, '\0'), decoded));
}

// A run-length picture with a palette of `colours` entries (blue, green, red, 0 each), its
// pixel data right after them.
std::string RleBmp(int width, int height, int bits, const std::vector<Trgb>& colours, const std::string& runs) {
    const uint32_t compression = bits == 8 ? 1 : 2;
    std::string head = BmpHead(width, height, bits, compression, uint32_t(54 + 4 * colours.size()),
                               uint32_t(colours.size()));
    for (const Trgb& c : colours) head += Bytes({c.B, c.G, c.R, 0});
    return head + runs;
}

// Rows of a decoded picture as letters: palette entry i shows as 'a' + i, anything else '?'.
std::vector<std::string> Letters(const Tbitmap& picture, const std::vector<Trgb>& colours) {
    std::vector<std::string> rows;
    for (int y = 0; y < picture.Height(); ++y) {
        std::string row;
        for (int x = 0; x < picture.Width(); ++x) {
            const auto it = std::find(colours.begin(), colours.end(), picture.Pixel(x, y));
            row += it == colours.end() ? '?' : char('a' + (it - colours.begin()));
        }
        rows.push_back(row);
    }
    return rows;
}

const std::vector<Trgb> kRleColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};

TEST(BmpDecoder, RunLengthEightBits) {
    Tbitmap decoded;
    std::string error;
    // Bottom row first: a run of three 1s and one 2; then pixels as they are (three, padded
    // to an even count of bytes); a move two right and one up; the end marker.
    const std::string runs = Bytes({3, 1, 1, 2, 0, 0,           // bottom row: b b b c
                                    0, 3, 4, 3, 2, 0, 1, 1, 0, 0,  // row 2: e d c b
                                    2, 2, 0, 2, 1, 1, 1, 4,     // row 3: c c; up one, right one: e
                                    0, 1});
    ASSERT_TRUE(DecodeBmp(RleBmp(4, 4, 8, kRleColours, runs), decoded, &error)) << error;
    EXPECT_EQ(Letters(decoded, kRleColours), (std::vector<std::string>{"aaae", "ccaa", "edcb", "bbbc"}));

    // Runs past the right edge are dropped, not carried into the next row; a move past the
    // top ends the picture.
    const std::string wide = Bytes({9, 3, 0, 0, 0, 5, 1, 2, 3, 4, 1, 0, 0, 2, 0, 9, 7, 2});
    ASSERT_TRUE(DecodeBmp(RleBmp(3, 3, 8, kRleColours, wide), decoded, &error)) << error;
    EXPECT_EQ(Letters(decoded, kRleColours), (std::vector<std::string>{"aaa", "bcd", "ddd"}));

    // The data may end without its marker once the top row has ended.
    ASSERT_TRUE(DecodeBmp(RleBmp(2, 1, 8, kRleColours, Bytes({2, 4, 0, 0})), decoded));
    EXPECT_EQ(Letters(decoded, kRleColours), (std::vector<std::string>{"ee"}));
    // An index past the palette reads black.
    ASSERT_TRUE(DecodeBmp(RleBmp(2, 1, 8, kRleColours, Bytes({1, 200, 1, 3, 0, 1})), decoded));
    EXPECT_EQ(decoded.Pixel(0, 0), (Trgb{}));
    EXPECT_EQ(decoded.Pixel(1, 0), (Trgb{0, 0, 255}));
}

TEST(BmpDecoder, RunLengthFourBits) {
    Tbitmap decoded;
    std::string error;
    // A run of five takes the two indexes of its byte in turn; pixels as they are (five, in
    // three bytes, padded to four); the end marker.
    const std::string runs = Bytes({5, 0x12, 0, 0,                          // bottom: b c b c b
                                    0, 5, 0x34, 0x21, 0x40, 0, 0, 0,      // top: d e c b e
                                    0, 1});
    ASSERT_TRUE(DecodeBmp(RleBmp(5, 2, 4, kRleColours, runs), decoded, &error)) << error;
    EXPECT_EQ(Letters(decoded, kRleColours), (std::vector<std::string>{"decbe", "bcbcb"}));
    // Pixels as they are past the right edge are dropped but their bytes still read.
    const std::string wide = Bytes({0, 4, 0x12, 0x34, 0, 0, 2, 0x44, 0, 1});
    ASSERT_TRUE(DecodeBmp(RleBmp(2, 2, 4, kRleColours, wide), decoded, &error)) << error;
    EXPECT_EQ(Letters(decoded, kRleColours), (std::vector<std::string>{"ee", "bc"}));
}

TEST(BmpDecoder, RunLengthRefusesBadData) {
    Tbitmap decoded;
    std::string error;
    // Data that stops before its end marker, in a run, an escape, a move or literal pixels.
    for (const std::string& runs : {Bytes({2, 1}), Bytes({2, 1, 0}), Bytes({0, 2, 1}), Bytes({0, 4, 1, 2, 3}),
                                    std::string()}) {
        error.clear();
        EXPECT_FALSE(DecodeBmp(RleBmp(4, 2, 8, kRleColours, runs), decoded, &error));
        EXPECT_NE(error.find("cut short"), std::string::npos) << error;
        EXPECT_TRUE(decoded.Empty());
    }
    // Pixels as they are of four bits: three need two bytes, and one is there.
    EXPECT_FALSE(DecodeBmp(RleBmp(4, 1, 4, kRleColours, Bytes({0, 3, 0x12})), decoded, &error));
    // Compressed rows run bottom-up only.
    EXPECT_FALSE(DecodeBmp(RleBmp(2, -2, 8, kRleColours, Bytes({0, 1})), decoded, &error));
    EXPECT_NE(error.find("top-down"), std::string::npos);
    // Run-length is for 8 and 4 bits only, each with its own code.
    EXPECT_FALSE(DecodeBmp(BmpHead(2, 1, 24, 1, 54) + Bytes({0, 1}), decoded, &error));
    EXPECT_FALSE(DecodeBmp(BmpHead(2, 1, 4, 1, 54, 2) + std::string(8, '\0') + Bytes({0, 1}), decoded));
    EXPECT_FALSE(DecodeBmp(BmpHead(2, 1, 8, 2, 54, 2) + std::string(8, '\0') + Bytes({0, 1}), decoded));
    // A tiny file that claims a picture over the size limit is refused before memory is taken.
    EXPECT_FALSE(DecodeBmp(RleBmp(20000, 20000, 8, kRleColours, Bytes({0, 1})), decoded, &error));
    EXPECT_NE(error.find("size"), std::string::npos);
}

TEST(JpegDecoder, DecodesFromFileAndRefusesBadInput) {
    test::TempDir dir;
    test::WriteFile(dir.File("c.jpg"), test::EncodeJpeg(test::SolidPicture(16, 8, {200, 40, 90})));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(dir.File("c.jpg"), data));
    Tbitmap decoded;
    ASSERT_TRUE(DecodeJpeg(data, decoded));
    ASSERT_EQ(decoded.Width(), 16);
    ASSERT_EQ(decoded.Height(), 8);
    const Trgb c = decoded.Pixel(7, 3);
    EXPECT_NEAR(c.R, 200, 4);
    EXPECT_NEAR(c.G, 40, 4);
    EXPECT_NEAR(c.B, 90, 4);

    std::string error;
    EXPECT_FALSE(DecodeJpeg("not a jpeg at all", decoded, &error));
    EXPECT_TRUE(decoded.Empty());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(DecodeJpeg("", decoded));

    // The frame header claims 20000 x 20000: refused before decoding.
    const size_t sof = data.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    std::string huge = data;
    huge[sof + 5] = char(0x4E), huge[sof + 6] = char(0x20);
    huge[sof + 7] = char(0x4E), huge[sof + 8] = char(0x20);
    EXPECT_FALSE(DecodeJpeg(huge, decoded, &error));
    EXPECT_NE(error.find("too large"), std::string::npos);
}

}  // namespace
}  // namespace tunecrest
