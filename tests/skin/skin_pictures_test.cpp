// Skin pictures come from folders anyone may have edited: they are read with limits,
// refused with a reason when damaged, written back exactly, and decoded once.
#include "skin/skin_pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <thread>

#include "skin/image_list.h"
#include "skin_images.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string EncodeBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

QImage Pattern() {
    QImage image = test::SkinImage(30, 10, test::Grey(128));
    test::SetSkinPixel(image, 0, 0, test::kWhite);
    test::SetSkinPixel(image, 29, 9, {1, 2, 3});
    return image;
}

TEST(SkinPictures, WrittenAndReadBackExactlyAsBmpOrJpeg) {
    test::App();
    test::TempDir dir;
    const std::string bmp = (dir.Path() / "Button_Image.bmp").string();
    std::string error;
    ASSERT_TRUE(SaveSkinImage(bmp, Pattern(), &error)) << error;
    EXPECT_FALSE(IsJpegFile(bmp));
    const QImage back = LoadSkinImage(bmp, &error);
    ASSERT_FALSE(back.isNull()) << error;
    EXPECT_EQ(back.format(), QImage::Format_BGR888);
    EXPECT_EQ(back, Pattern());

    const std::string jpg = (dir.Path() / "lstQueue_BackImage.JPG").string();
    ASSERT_TRUE(SaveSkinImage(jpg, Pattern(), &error)) << error;
    EXPECT_TRUE(IsJpegFile(jpg));
    EXPECT_EQ(LoadSkinImage(jpg).size(), QSize(30, 10));

    EXPECT_FALSE(SaveSkinImage(bmp, QImage(), &error));
    EXPECT_FALSE(SaveSkinImage((dir.Path() / "no" / "folder.bmp").string(), Pattern(), &error));
    // The earlier picture is still whole.
    EXPECT_EQ(LoadSkinImage(bmp), Pattern());
}

TEST(SkinPictures, MissingDamagedAndOversizedPicturesAreRefusedWithAReason) {
    test::App();
    test::TempDir dir;
    std::string reason;
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "gone.bmp").string(), &reason).isNull());
    EXPECT_EQ(reason, "missing");

    WriteBytes(dir.Path() / "text.bmp", "[Info]\r\nTitle=not a picture\r\n");
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "text.bmp").string(), &reason).isNull());
    EXPECT_EQ(reason, "not a picture");

    // A BMP cut off after its header.
    const std::string whole = EncodeBmp(Pattern());
    WriteBytes(dir.Path() / "cut.bmp", whole.substr(0, 60));
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "cut.bmp").string(), &reason).isNull());
    EXPECT_FALSE(reason.empty());

    // A header that claims a picture of 60000 x 60000: refused before any pixel is
    // allocated.
    std::string huge = whole;
    for (int i = 0; i < 4; ++i) {
        huge[size_t(18 + i)] = char((60000 >> (8 * i)) & 0xFF);
        huge[size_t(22 + i)] = char((60000 >> (8 * i)) & 0xFF);
    }
    WriteBytes(dir.Path() / "huge.bmp", huge);
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "huge.bmp").string(), &reason).isNull());
    EXPECT_FALSE(reason.empty());

    fs::create_directories(dir.Path() / "folder.bmp");
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "folder.bmp").string(), &reason).isNull());
    EXPECT_FALSE(reason.empty());
}

// A run-length compressed skin picture of 8 bits a pixel, written byte by byte: a 40-byte
// information header, a palette of `colours` (blue, green, red, 0) and the runs.
std::string RleSkinBmp(int width, int height, const std::vector<QColor>& colours, const std::string& runs) {
    std::string b = "BM";
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(char((v >> (8 * i)) & 0xFF));
    };
    const uint32_t offset = 54 + 4 * uint32_t(colours.size());
    u32(offset + uint32_t(runs.size()));
    u32(0);
    u32(offset);
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u32(1 | 8 << 16);  // one plane, 8 bits
    u32(1);            // run-length, 8 bits
    u32(uint32_t(runs.size()));
    u32(0);
    u32(0);
    u32(uint32_t(colours.size()));
    u32(0);
    for (const QColor& c : colours) b += std::string{char(c.blue()), char(c.green()), char(c.red()), '\0'};
    return b + runs;
}

TEST(SkinPictures, RunLengthCompressedPicturesKeepTheirExactColours) {
    test::App();
    test::TempDir dir;
    const std::vector<QColor> colours = {QColor(128, 128, 128), QColor(255, 255, 255), QColor(3, 2, 1)};
    // Bottom row: 30 of grey 128 but the last, which is (1, 2, 3); rows 2 to 9 all grey;
    // the top row white then grey. (The pattern's pixel {1, 2, 3} is blue 1, green 2, red 3.)
    std::string runs = {29, 0, 1, 2, 0, 0};
    for (int row = 1; row < 9; ++row) runs += std::string{30, 0, 0, 0};
    runs += std::string{1, 1, 29, 0, 0, 1};
    WriteBytes(dir.Path() / "rle.bmp", RleSkinBmp(30, 10, colours, runs));
    std::string reason;
    const QImage image = LoadSkinImage((dir.Path() / "rle.bmp").string(), &reason);
    ASSERT_FALSE(image.isNull()) << reason;
    EXPECT_EQ(image.format(), QImage::Format_BGR888);
    EXPECT_EQ(image, Pattern());

    // Runs that stop before the picture's end are a damaged picture, with the reason.
    WriteBytes(dir.Path() / "rle-cut.bmp", RleSkinBmp(30, 10, colours, runs.substr(0, 12)));
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "rle-cut.bmp").string(), &reason).isNull());
    EXPECT_NE(reason.find("cut short"), std::string::npos) << reason;
    // A few bytes that claim a picture over the skin limit are refused before decoding.
    WriteBytes(dir.Path() / "rle-huge.bmp", RleSkinBmp(8000, 8000, colours, std::string{0, 1}));
    EXPECT_TRUE(LoadSkinImage((dir.Path() / "rle-huge.bmp").string(), &reason).isNull());
    EXPECT_NE(reason.find("too large"), std::string::npos) << reason;
}

TEST(SkinPictures, CacheDecodesOnceUntilTheFileChanges) {
    test::App();
    test::TempDir dir;
    const std::string file = (dir.Path() / "Panel_Image.bmp").string();
    ASSERT_TRUE(SaveSkinImage(file, Pattern()));
    TskinImageCache cache;
    // Several threads fill the cache at once (a skin change decodes on a worker).
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back([&] { EXPECT_EQ(cache.Load(file), Pattern()); });
    for (auto& t : threads) t.join();
    const int decodes = cache.DecodeCount();
    EXPECT_GE(decodes, 1);
    EXPECT_TRUE(cache.IsCurrent(file));
    EXPECT_EQ(cache.Load(file), Pattern());
    EXPECT_EQ(cache.DecodeCount(), decodes);

    QImage changed = test::SkinImage(31, 10, test::Grey(90));
    ASSERT_TRUE(SaveSkinImage(file, changed));
    EXPECT_EQ(cache.Load(file), changed);
    EXPECT_EQ(cache.DecodeCount(), decodes + 1);

    // A failure is remembered with its reason; a missing file is never cached.
    WriteBytes(dir.Path() / "bad.bmp", "garbage");
    std::string reason;
    EXPECT_TRUE(cache.Load((dir.Path() / "bad.bmp").string(), &reason).isNull());
    EXPECT_TRUE(cache.Load((dir.Path() / "bad.bmp").string(), &reason).isNull());
    EXPECT_EQ(reason, "not a picture");
    EXPECT_TRUE(cache.Load((dir.Path() / "gone.bmp").string(), &reason).isNull());
    EXPECT_FALSE(cache.IsCurrent((dir.Path() / "gone.bmp").string()));
}

TEST(SkinPictures, CacheKeepsUnderItsByteLimitDroppingTheLeastRecentlyUsed) {
    test::App();
    test::TempDir dir;
    const QImage picture = test::SkinImage(100, 100, test::Grey(70));
    const int64_t each = picture.sizeInBytes();
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back((dir.Path() / ("p" + std::to_string(i) + ".bmp")).string());
        ASSERT_TRUE(SaveSkinImage(files.back(), picture));
    }
    TskinImageCache cache;
    cache.SetByteLimit(3 * each);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cache.Load(files[size_t(i)]), picture);
    EXPECT_EQ(cache.Bytes(), 3 * each);
    cache.Load(files[0]);  // used again: p1 is now the least recently used
    cache.Load(files[3]);
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_LE(cache.Bytes(), 3 * each);
    EXPECT_TRUE(cache.IsCurrent(files[0]));
    EXPECT_FALSE(cache.IsCurrent(files[1]));
    for (const auto& f : files) cache.Load(f);
    EXPECT_LE(cache.Bytes(), 3 * each);
    // A dropped picture is decoded again when asked for, and is the same picture.
    const int decodes = cache.DecodeCount();
    EXPECT_EQ(cache.Load(files[0]), picture);
    EXPECT_EQ(cache.DecodeCount(), decodes + 1);
    cache.SetByteLimit(each);
    EXPECT_EQ(cache.Count(), 1);
    cache.Clear();
    EXPECT_EQ(cache.Bytes(), 0);
}

TEST(SkinPictures, ImageListReplacesAnIconWithItsTransparentColourLeftOut) {
    test::App();
    TimageList icons(4, 4);
    icons.Add(test::SkinImage(4, 4, test::Grey(10)));
    QImage icon = test::SkinImage(4, 4, {255, 0, 255});  // fuchsia
    test::SetSkinPixel(icon, 1, 1, {0, 0, 200});
    icons.Replace(0, icon, clFuchsia);
    icons.Replace(5, icon, clFuchsia);  // no such icon: nothing happens
    ASSERT_EQ(icons.Count(), 1);
    EXPECT_EQ(icons.TransparentColor(0), clFuchsia);
    EXPECT_EQ(icons.Image(0).pixel(1, 1), qRgb(200, 0, 0));
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    QPainter p(&canvas);
    icons.Draw(p, 0, 0, 0);
    p.end();
    EXPECT_EQ(canvas.pixel(0, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(200, 0, 0));
}

}  // namespace
}  // namespace tunecrest
