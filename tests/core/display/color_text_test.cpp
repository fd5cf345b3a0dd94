#include "core/display/color_text.h"

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

TEST(ColourText, HtmlFormAndItsReadingAndTheSystemColours) {
    EXPECT_EQ(ColorToHTML(clRed), "#FF0000");
    EXPECT_EQ(ColorToHTML(RGBColor(0x01, 0xAB, 0xFE)), "#01ABFE");
    EXPECT_EQ(ColorToHTML(clBlack), "#000000");
    EXPECT_EQ(ColorToHTML(clWhite), "#FFFFFF");
    // The high byte of an ordinary colour is no part of the text; system colours resolve.
    EXPECT_EQ(ColorToHTML(TColor(0x02123456)), "#563412");
    EXPECT_EQ(ColorToHTML(clWindow), "#FFFFFF");
    EXPECT_EQ(ColorToHTML(clWindowText), "#000000");
    EXPECT_EQ(ColorToHTML(clHighlight), "#0078D7");
    EXPECT_EQ(ColorToHTML(clSystemColor | 200), "#000000");

    EXPECT_EQ(HTMLToColor("#00ff80"), RGBColor(0, 255, 128));
    EXPECT_EQ(HTMLToColor("00FF80"), RGBColor(0, 255, 128));
    EXPECT_EQ(HTMLToColor("#0F8"), clBlack);
    EXPECT_EQ(HTMLToColor("GG0000"), clBlack);
    EXPECT_EQ(HTMLToColor("#FF00001"), clBlack);
    EXPECT_EQ(HTMLToColor("FF 000"), clBlack);
    EXPECT_EQ(HTMLToColor(""), clBlack);
    EXPECT_EQ(HTMLToColor("##FF000"), clBlack);
    TColor kept = clAqua;
    EXPECT_FALSE(TryHTMLToColor("red", kept));
    EXPECT_EQ(kept, clAqua);

    // Every colour survives the round trip.
    for (uint32_t v : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x123456u, 0xFEDCBAu, 0xFFFFFFu})
        EXPECT_EQ(HTMLToColor(ColorToHTML(TColor(v))), TColor(v)) << v;
}

}  // namespace
}  // namespace tunecrest
