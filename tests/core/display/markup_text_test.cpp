#include "core/display/markup_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tunecrest;

namespace {

struct Run {
    std::string Text;
    TFont Font;
};

std::vector<Run> Runs(std::string_view markup, const TFont& base = TFont{}) {
    std::vector<Run> runs;
    TmarkupParser parser;
    parser.Parse(markup, base, [&](std::string_view text, const TFont& font) {
        runs.push_back({std::string(text), font});
    });
    return runs;
}

std::string Texts(const std::vector<Run>& runs) {
    std::string s;
    for (const auto& r : runs) s += "[" + r.Text + "]";
    return s;
}

}  // namespace

TEST(StripTags, RemovesEveryTagAndKeepsLoneBrackets) {
    EXPECT_EQ(StripHTMLTags("a<B>b</B>c"), "abc");
    EXPECT_EQ(StripHTMLTags("a > b"), "a > b");
    EXPECT_EQ(StripHTMLTags("<font name=\"Arial\" color=#FF0000 size=14>y"), "y");
    EXPECT_EQ(StripHTMLTags("x<xyz>y"), "xy");
    EXPECT_EQ(StripHTMLTags("a<b<c>d>e"), "ad>e");
    EXPECT_EQ(StripHTMLTags("open < never closed"), "open < never closed");
    EXPECT_EQ(StripHTMLTags("<><><>"), "");
    EXPECT_EQ(StripHTMLTags(""), "");
    EXPECT_EQ(StripHTMLTags("&lt;AR&gt; &amp; &copy; &"), "<AR> & &copy; &");
    EXPECT_EQ(StripHTMLTags("Sigur R\xC3\xB3s<B>\xE2\x99\xAB"), "Sigur R\xC3\xB3s\xE2\x99\xAB");
}

TEST(Escape, ValuesRoundTripThroughTheTokenizer) {
    EXPECT_EQ(EscapeMarkup("<FONT size=500>Big & <AR>"), "&lt;FONT size=500&gt;Big &amp; &lt;AR&gt;");
    EXPECT_EQ(EscapeMarkup("plain"), "plain");
    for (std::string value : {"<AR>", "<FONT size=500>Big", "a&lt;b", "&amp;", "<<>>&&", "x > y < z"}) {
        const auto runs = Runs("<B>" + EscapeMarkup(value));
        ASSERT_EQ(runs.size(), 1u) << value;
        EXPECT_EQ(runs[0].Text, value);
        EXPECT_TRUE(runs[0].Font.Bold);
        EXPECT_EQ(StripHTMLTags(EscapeMarkup(value)), value);
    }
}

TEST(Tokenizer, StyleAndFontTagsChangeTheRunFont) {
    auto runs = Runs("a<B>b</b>c");
    ASSERT_EQ(Texts(runs), "[a][b][c]");
    EXPECT_FALSE(runs[0].Font.Bold);
    EXPECT_TRUE(runs[1].Font.Bold);
    EXPECT_FALSE(runs[2].Font.Bold);

    runs = Runs("<i>x<u>y</I>z</U>w");
    ASSERT_EQ(Texts(runs), "[x][y][z][w]");
    EXPECT_TRUE(runs[0].Font.Italic && !runs[0].Font.Underline);
    EXPECT_TRUE(runs[1].Font.Italic && runs[1].Font.Underline);
    EXPECT_TRUE(!runs[2].Font.Italic && runs[2].Font.Underline);
    EXPECT_TRUE(!runs[3].Font.Italic && !runs[3].Font.Underline);

    runs = Runs("<font name=\"Arial\" color=#FF0000 size=14>y");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Font.Name, "Arial");
    EXPECT_EQ(runs[0].Font.Color, clRed);
    EXPECT_EQ(runs[0].Font.Size, 14);

    // Quoted values hold blanks; quotes and "#" are removed; other attributes are ignored.
    runs = Runs("<FONT face=x NAME=\"Courier New\" Color=\"#00ff00\" SIZE=\"9\" bogus>z");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Font.Name, "Courier New");
    EXPECT_EQ(runs[0].Font.Color, clLime);
    EXPECT_EQ(runs[0].Font.Size, 9);

    // A generated font tag reads back as the font it was made from (italic is not in it).
    TFont f{"Liberation Serif", RGBColor(1, 2, 3), 17, true, false, true};
    runs = Runs(FontToHTMLTag(f) + "t");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Font, f);
}

TEST(Tokenizer, MalformedMarkupReadsAsTextWithSaneFonts) {
    TFont base;
    base.Size = 10;
    base.Color = clBlue;
    // Unknown tags read as their inner text; unclosed tags and stray ">" as text.
    EXPECT_EQ(Texts(Runs("x<xyz>y")), "[x][xyz][y]");
    EXPECT_EQ(Texts(Runs("a<B unclosed")), "[a<B unclosed]");
    EXPECT_EQ(Texts(Runs("a>b<B>>c")), "[a>b][>c]");
    EXPECT_EQ(Texts(Runs("</font>a")), "[/font][a]");
    EXPECT_EQ(Texts(Runs("<FONTX size=3>a")), "[FONTX size=3][a]");
    EXPECT_EQ(Texts(Runs("<>")), "");
    EXPECT_EQ(Texts(Runs("<")), "[<]");

    // Size 0, a huge size and a non-number keep or bound the size; an unknown colour and
    // an empty name keep the current ones.
    auto runs =
        Runs("<font size=0>a<font size=100000>b<font size=12pt>c<font size=99999999999999999999>d", base);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].Font.Size, 10);
    EXPECT_EQ(runs[1].Font.Size, kMarkupMaxFontSize);
    EXPECT_EQ(runs[2].Font.Size, kMarkupMaxFontSize);
    EXPECT_EQ(runs[3].Font.Size, kMarkupMaxFontSize);
    runs = Runs("<font color=chartreuse name=\"\">a<font color=#12>b<font name=\"open>c", base);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].Font.Color, clBlue);
    EXPECT_EQ(runs[0].Font.Name, base.Name);
    EXPECT_EQ(runs[1].Font.Color, clBlue);
    EXPECT_EQ(runs[2].Font.Name, "open");
    // Attribute text with nothing after "=" or no "=" at all.
    EXPECT_EQ(Texts(Runs("<font size=>a<font name>b<font =>c<font \"x>d")), "[a][b][c][d]");
}

TEST(Tokenizer, OneParserServesManyLinesAndEveryLineStartsFromTheBase) {
    TmarkupParser parser;
    TFont base;
    int bold = 0;
    std::string all;
    for (int i = 0; i < 3; ++i)
        parser.Parse("<b>x&amp;</b>y", base, [&](std::string_view text, const TFont& font) {
            all += text;
            bold += font.Bold;
        });
    EXPECT_EQ(all, "x&yx&yx&y");
    EXPECT_EQ(bold, 3);
}
