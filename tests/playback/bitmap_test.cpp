#include "playback/bitmap.h"

#include <gtest/gtest.h>

namespace tunecrest {
namespace {

TEST(PictureFitting, KeepsProportions) {
    EXPECT_EQ(FitPictureSize(100, 50, 40, 40), (TpictureSize{40, 20}));
    EXPECT_EQ(FitPictureSize(50, 100, 40, 40), (TpictureSize{20, 40}));
    EXPECT_EQ(FitPictureSize(10, 10, 40, 20), (TpictureSize{20, 20}));
    EXPECT_EQ(FitPictureSize(3, 2, 10, 10), (TpictureSize{10, 7}));
    // Halves go to the even neighbour: 10 / 4 = 2.5 gives 2, 10 / (4 / 3) = 7.5 gives 8.
    EXPECT_EQ(FitPictureSize(4, 1, 10, 10), (TpictureSize{10, 2}));
    EXPECT_EQ(FitPictureSize(4, 3, 10, 10), (TpictureSize{10, 8}));
    // No height, no room: nothing to draw.
    EXPECT_EQ(FitPictureSize(100, 0, 40, 40), (TpictureSize{}));
    EXPECT_EQ(FitPictureSize(100, 50, 40, 0), (TpictureSize{}));
    EXPECT_EQ(FitPictureSize(100, 50, 0, 40), (TpictureSize{0, 0}));
}

TEST(PictureFitting, PlacesInsideTheTarget) {
    const TpictureSize fitted = FitPictureSize(100, 50, 40, 40);
    EXPECT_EQ(PlacePicture({0, 0, 40, 40}, fitted, 1, 1), (Trect{0, 10, 40, 30}));
    EXPECT_EQ(PlacePicture({5, 7, 45, 47}, fitted, 0, 1), (Trect{5, 17, 45, 37}));
    EXPECT_EQ(PlacePicture({0, 0, 40, 40}, fitted, 2, 2), (Trect{0, 20, 40, 40}));
    // Unknown alignments act as left / top.
    EXPECT_EQ(PlacePicture({0, 0, 40, 40}, fitted, 7, -1), (Trect{0, 0, 40, 20}));
    // A picture larger than the room is centred with the offset truncated towards zero.
    EXPECT_EQ(PlacePicture({0, 0, 31, 10}, {40, 10}, 1, 0), (Trect{-4, 0, 36, 10}));
}

TEST(Bitmap, DrawClipsAndSizesStayBounded) {
    Tbitmap canvas(4, 3);
    Tbitmap spot(3, 2);
    spot.Fill({9, 8, 7});
    canvas.Draw(spot, 2, -1);  // only the top-right corner of the canvas is covered
    EXPECT_EQ(canvas.Pixel(2, 0), (Trgb{9, 8, 7}));
    EXPECT_EQ(canvas.Pixel(3, 0), (Trgb{9, 8, 7}));
    EXPECT_EQ(canvas.Pixel(1, 0), (Trgb{}));
    EXPECT_EQ(canvas.Pixel(2, 1), (Trgb{}));
    canvas.Draw(spot, -5, 10);  // entirely outside: nothing happens

    Tbitmap odd(5, 0);
    EXPECT_TRUE(odd.Empty());
    EXPECT_EQ(odd.Width(), 0);

    EXPECT_TRUE(PictureSizeAllowed(kMaxPictureSide, 1));
    EXPECT_FALSE(PictureSizeAllowed(kMaxPictureSide + 1, 1));
    EXPECT_FALSE(PictureSizeAllowed(kMaxPictureSide, kMaxPictureSide));
    EXPECT_FALSE(PictureSizeAllowed(0, 10));
}

}  // namespace
}  // namespace tunecrest
