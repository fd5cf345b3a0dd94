#include "playback/smooth_resize.h"

#include <gtest/gtest.h>

#include <vector>

namespace tunecrest {
namespace {

// A picture from rows of grey levels: red = level, green = level / 2, blue = 255 - level.
Tbitmap FromLevels(const std::vector<std::vector<int>>& rows) {
    Tbitmap b(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const int v = rows[size_t(y)][size_t(x)];
            b.SetPixel(x, y, {uint8_t(v), uint8_t(v / 2), uint8_t(255 - v)});
        }
    return b;
}

std::vector<std::vector<int>> RedLevels(const Tbitmap& b) {
    std::vector<std::vector<int>> rows(size_t(b.Height()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) rows[size_t(y)].push_back(b.Pixel(x, y).R);
    return rows;
}

TEST(SmoothResize, ExactPixelsOfSmallPictures) {
    // 2 x 2 up to 3 x 3: each channel weighted by the four neighbours in 15-bit fixed point.
    Tbitmap target(3, 3);
    SmoothResize(FromLevels({{0, 90}, {180, 255}}), target);
    EXPECT_EQ(RedLevels(target), (std::vector<std::vector<int>>{{0, 29, 59}, {59, 88, 116}, {119, 146, 173}}));
    EXPECT_EQ(target.Pixel(1, 1), (Trgb{88, 44, 166}));

    // All three channels, including the truncating shift.
    Tbitmap line(4, 1);
    Tbitmap source(2, 1);
    source.SetPixel(1, 0, {200, 100, 50});
    SmoothResize(source, line);
    EXPECT_EQ(line.Pixel(0, 0), (Trgb{0, 0, 0}));
    EXPECT_EQ(line.Pixel(1, 0), (Trgb{50, 25, 12}));
    EXPECT_EQ(line.Pixel(2, 0), (Trgb{100, 50, 25}));
    EXPECT_EQ(line.Pixel(3, 0), (Trgb{150, 75, 37}));

    // A plain area keeps its colour exactly, however the weights split.
    Tbitmap plain(3, 3);
    plain.Fill({255, 254, 1});
    Tbitmap odd(7, 5);
    SmoothResize(plain, odd);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(odd.Pixel(x, y), (Trgb{255, 254, 1})) << x << "," << y;
}

TEST(SmoothResize, OnePixelWideOrTallSourceStaysInside) {
    // The neighbour row or column is held at the last one (the sanitizer build catches a read past it).
    Tbitmap single(1, 1);
    single.SetPixel(0, 0, {10, 20, 30});
    Tbitmap target(3, 3);
    SmoothResize(single, target);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(target.Pixel(x, y), (Trgb{10, 20, 30}));

    Tbitmap column(2, 3);
    SmoothResize(FromLevels({{10}, {250}}), column);
    EXPECT_EQ(RedLevels(column), (std::vector<std::vector<int>>{{10, 10}, {89, 89}, {169, 169}}));
}

TEST(SmoothResize, EmptyPicturesAndProgress) {
    Tbitmap empty;
    Tbitmap target(2, 2);
    target.Fill({1, 2, 3});
    SmoothResize(empty, target);
    EXPECT_EQ(target.Pixel(1, 1), (Trgb{1, 2, 3}));
    Tbitmap noTarget;
    SmoothResize(FromLevels({{1, 2}}), noTarget);
    EXPECT_TRUE(noTarget.Empty());

    std::vector<int> reports;
    Tbitmap tall(1, 8);
    SmoothResize(FromLevels({{1}, {2}}), tall, [&](int percent) { reports.push_back(percent); });
    EXPECT_EQ(reports, (std::vector<int>{25, 50, 75, 100}));
    reports.clear();
    Tbitmap three(1, 3);
    SmoothResize(FromLevels({{1}, {2}}), three, [&](int percent) { reports.push_back(percent); });
    EXPECT_EQ(reports, (std::vector<int>{100}));
}

}  // namespace
}  // namespace tunecrest
