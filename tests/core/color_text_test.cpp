#include "core/color_text.h"

#include <gtest/gtest.h>

namespace tunecrest {
namespace {

TEST(ColourText, NamesHexAndBadInput)
{
    EXPECT_EQ(ColorToString(clBlack), "clBlack");
    EXPECT_EQ(ColorToString(clWhite), "clWhite");
    EXPECT_EQ(ColorToString(0x00A86D4A), "$00A86D4A");
    EXPECT_EQ(ColorToString(TColor(0xFF00000F)), "$FF00000F");
    EXPECT_EQ(StringToColor("clblack"), clBlack);
    EXPECT_EQ(StringToColor(" $00754939 "), TColor(0x754939));
    EXPECT_EQ(StringToColor("$FF00000F"), TColor(0xFF00000F));
    EXPECT_EQ(StringToColor("0x10"), TColor(16));
    EXPECT_EQ(StringToColor("255"), TColor(255));
    EXPECT_EQ(StringToColor("-16777201"), TColor(-16777201));
    EXPECT_EQ(StringToColor(""), std::nullopt);
    EXPECT_EQ(StringToColor("$"), std::nullopt);
    EXPECT_EQ(StringToColor("$12G4"), std::nullopt);
    EXPECT_EQ(StringToColor("clPink"), std::nullopt);
    EXPECT_EQ(StringToColor("$1234567890"), std::nullopt);
    for (TColor c : {clBlack, clNavy, TColor(0x123456), TColor(0xFF000005)})
        EXPECT_EQ(StringToColor(ColorToString(c)), c);
}

}  // namespace
}  // namespace tunecrest
