#include "skin/html_text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "skin/screen_fonts.h"
#include "support/test_application.h"

using namespace tunecrest;

namespace {

const QColor kBack(0x80, 0x80, 0x80);

QImage Canvas(int w = 400, int h = 60) {
    test::App();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBack);
    return image;
}

// The bounding box of the pixels that pass `test` within `area` (empty when none).
template <typename Test>
QRect Box(const QImage& image, Test test, QRect area = {}) {
    if (area.isNull()) area = image.rect();
    int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y))) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    return maxX < 0 ? QRect() : QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

bool Ink(const QColor& c) {
    return c != kBack;
}

TFont Base(int size = 14) {
    TFont font;
    font.Name = "Arial";
    font.Size = size;
    font.Color = clBlack;
    return font;
}

}  // namespace

TEST(ScreenFonts, StoredNamesMapToInstalledFamilies) {
    test::App();
    EXPECT_EQ(ScreenFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(ScreenFontFamily("arial"), "Liberation Sans");
    EXPECT_EQ(ScreenFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(ScreenFontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(ScreenFontFamily("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(ScreenFontFamily("Verdana"), "DejaVu Sans");
    EXPECT_EQ(ScreenFontFamily("Liberation Serif"), "Liberation Serif");
    EXPECT_EQ(ScreenFontPointSize(0), 8);
    EXPECT_EQ(ScreenFontPointSize(-11), 8);
    EXPECT_EQ(ScreenFontPointSize(100000), kMarkupMaxFontSize);
    const QFont f = ScreenFont(TFont{"Courier New", clRed, 11, true, true, true});
    EXPECT_EQ(f.family(), "Liberation Mono");
    EXPECT_EQ(f.pointSize(), 11);
    EXPECT_TRUE(f.bold() && f.italic() && f.underline());
    EXPECT_EQ(ScreenColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ScreenColor(clHighlight), QColor(0, 0x78, 0xD7));
}

TEST(HtmlText, RunsAndTheirWidths) {
    test::App();
    ThtmlTextLayout layout;
    layout.Layout("a<B>b</B>c", Base());
    EXPECT_EQ(layout.LineCount(), 1);
    EXPECT_EQ(layout.LineText(0), "a|b|c");
    layout.Layout("x<xyz>y&lt;z&gt;", Base());
    EXPECT_EQ(layout.LineText(0), "x|xyz|y<z>");

    const int plain = MeasureHTMLText("bbbbdddd", Base()).width();
    EXPECT_GT(MeasureHTMLText("<B>bbbbdddd", Base()).width(), plain);
    EXPECT_LT(MeasureHTMLText("<FONT size=8>bbbbdddd", Base()).width(), plain);
    EXPECT_GT(MeasureHTMLText("<FONT size=20>bbbbdddd", Base()).width(), plain);
    EXPECT_EQ(MeasureHTMLText("<U>bbbbdddd</U>", Base()).width(), plain);
    EXPECT_EQ(MeasureHTMLText("bbbb<I></I>dddd", Base()).width(), plain);
    // A narrower family.
    EXPECT_LT(MeasureHTMLText("<font name=\"Arial Narrow\">bbbbdddd", Base()).width(), plain);
    // Taller fonts make the line taller; an empty text has one line of the base font.
    EXPECT_GT(MeasureHTMLText("a<font size=40>b", Base()).height(), MeasureHTMLText("ab", Base()).height());
    EXPECT_EQ(MeasureHTMLText("", Base()).width(), 0);
    EXPECT_GT(MeasureHTMLText("", Base()).height(), 0);
}

TEST(HtmlText, ColourRunsHitTheirPixels) {
    QImage image = Canvas();
    const std::string text = "<font color=#FF0000>MMMM<font color=#0000FF>MMMM";
    {
        QPainter painter(&image);
        DrawHTMLText(painter, text, image.rect(), Base());
    }
    const int split = MeasureHTMLText("MMMM", Base()).width();
    const QRect red = Box(image, [](const QColor& c) { return c == QColor(255, 0, 0); });
    const QRect blue = Box(image, [](const QColor& c) { return c == QColor(0, 0, 255); });
    ASSERT_FALSE(red.isNull());
    ASSERT_FALSE(blue.isNull());
    EXPECT_LT(red.right(), split + 1);
    EXPECT_GE(blue.left(), split - 1);
    // Forcing a colour draws every run in it.
    image = Canvas();
    {
        QPainter painter(&image);
        DrawHTMLText(painter, text, image.rect(), Base(), 0, true, clLime);
    }
    EXPECT_TRUE(Box(image, [](const QColor& c) {
                    return c == QColor(255, 0, 0) || c == QColor(0, 0, 255);
                }).isNull());
    EXPECT_FALSE(Box(image, [](const QColor& c) { return c == QColor(0, 255, 0); }).isNull());
}

TEST(HtmlText, MixedSizesShareOneBaselineAndUnderlineDrawsBelowIt) {
    QImage image = Canvas(400, 100);
    const int smallWidth = MeasureHTMLText("<font size=10>HH", Base()).width();
    {
        QPainter painter(&image);
        DrawHTMLText(painter, "<font size=10>HH<font size=36>HH", image.rect(), Base(), Qt::AlignVCenter);
    }
    const QRect small = Box(image, Ink, QRect(0, 0, smallWidth - 1, 100));
    const QRect big = Box(image, Ink, QRect(smallWidth + 2, 0, 398 - smallWidth, 100));
    ASSERT_FALSE(small.isNull());
    ASSERT_FALSE(big.isNull());
    EXPECT_NEAR(small.bottom(), big.bottom(), 1);
    EXPECT_GT(small.height() * 2, 0);
    EXPECT_LT(small.height(), big.height());

    QImage plain = Canvas(), underlined = Canvas();
    {
        QPainter p1(&plain), p2(&underlined);
        DrawHTMLText(p1, "HHHH", plain.rect(), Base());
        DrawHTMLText(p2, "<u>HHHH", underlined.rect(), Base());
    }
    EXPECT_GT(Box(underlined, Ink).bottom(), Box(plain, Ink).bottom());
}

TEST(HtmlText, CentringClippingAndWrapping) {
    QImage image = Canvas(400, 40);
    {
        QPainter painter(&image);
        DrawHTMLText(painter, "<b>HH</b>HH", image.rect(), Base(), Qt::AlignHCenter | Qt::AlignVCenter);
    }
    const QRect box = Box(image, Ink);
    EXPECT_NEAR((box.left() + box.right()) / 2.0, 200, 4);
    EXPECT_NEAR((box.top() + box.bottom()) / 2.0, 20, 4);

    // Nothing is drawn outside the rectangle.
    image = Canvas(400, 40);
    {
        QPainter painter(&image);
        const int width =
            DrawHTMLText(painter, "a very long line that does not fit", QRect(10, 5, 60, 30), Base());
        EXPECT_GT(width, 60);
    }
    const QRect clipped = Box(image, Ink);
    EXPECT_GE(clipped.left(), 10);
    EXPECT_LE(clipped.right(), 69);
    EXPECT_GE(clipped.top(), 5);

    // Wrapped lines each fit; a word too wide stands alone.
    ThtmlTextLayout layout;
    layout.Layout("one two <b>three four</b> five six seven", Base(), 90, true);
    EXPECT_GT(layout.LineCount(), 2);
    EXPECT_LE(layout.Width(), 90 + MeasureHTMLText(" ", Base()).width());
    layout.Layout("tiny Supercalifragilistic end", Base(), 40, true);
    EXPECT_EQ(layout.LineCount(), 3);
    EXPECT_EQ(layout.LineText(1), "Supercalifragilistic ");
    layout.Layout("one two", Base(), 0, true);
    EXPECT_EQ(layout.LineCount(), 1);
    // A word made of several runs breaks as one: the bracket goes with its duration.
    const int room = MeasureHTMLText("First Step - Copper Lane [", Base()).width() + 2;
    layout.Layout("First Step - Copper Lane [<b>3:48</b>]", Base(), room, true);
    EXPECT_EQ(layout.LineCount(), 2);
    EXPECT_EQ(layout.LineText(0), "First |Step |- |Copper |Lane ");
    EXPECT_EQ(layout.LineText(1), "[|3:48|]");
    EXPECT_LE(layout.Width(), room);
    // One word from a line's start stays whole however many runs it spans.
    layout.Layout("ab<b>cd</b>ef", Base(), 5, true);
    EXPECT_EQ(layout.LineCount(), 1);
}

// A layout that has met 32 fonts starts its cache over; a wrapped text in a cached base
// font whose first run brings a new font keeps its base font, so its lines are as high
// as in a fresh layout.
TEST(HtmlText, FullFontCacheStartsOverWithoutLosingTheBaseFont) {
    test::App();
    TFont big = Base();
    big.Size = 30;
    const std::string text = "<font size=\"9\">one two three four five six seven eight nine ten</font>";
    ThtmlTextLayout fresh;
    fresh.Layout(text, big, 80, true);
    ASSERT_GT(fresh.LineCount(), 2);

    ThtmlTextLayout used;
    TFont other = Base();
    for (int size = 10; size < 41; ++size) {  // 31 fonts besides the base font
        other.Size = size == 30 ? 41 : size;
        used.Layout("x", other);
    }
    used.Layout("x", big);  // the 32nd
    for (int round = 0; round < 3; ++round) {
        used.Layout(text, big, 80, true);
        EXPECT_EQ(used.LineCount(), fresh.LineCount()) << round;
        EXPECT_EQ(used.Height(), fresh.Height()) << round;
        EXPECT_EQ(used.Width(), fresh.Width()) << round;
    }
}

// Shortening cuts between whole letters (several bytes in UTF-8), passes tags and
// entities whole, drops the blanks before the ellipsis, and leaves a text that fits alone.
TEST(HtmlText, ElidedTextEndsInAnEllipsisAndFits) {
    test::App();
    const TFont font{"DejaVu Sans", clBlack, 12};
    EXPECT_EQ(ElideHTMLText("<B>Short</B>", font, 500), "<B>Short</B>");
    const std::string text = "<I>\u00c9t\u00e9 \u00e0 Z\u00fcrich</I> &amp; <FONT SIZE=20>Gr\u00fc\u00dfe</FONT> &lt;live&gt;";
    const int whole = MeasureHTMLText(text, font).width();
    for (int width = 8; width < whole; width += 7) {
        SCOPED_TRACE(width);
        const std::string shown = ElideHTMLText(text, font, width);
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
        EXPECT_TRUE(QString::fromStdString(shown).toStdString() == shown) << "a letter was cut";
        const std::string before = StripHTMLTags(shown.substr(0, shown.size() - 3));
        EXPECT_EQ(StripHTMLTags(text).rfind(before, 0), 0u) << before;
        if (!before.empty()) EXPECT_NE(before.back(), ' ');
        // Fits, unless not even the ellipsis alone does.
        if (before.size() > 0) EXPECT_LE(MeasureHTMLText(shown, font).width(), width);
    }
}

TEST(HtmlText, MalformedMarkupDrawsAsText) {
    QImage image = Canvas(400, 40);
    QPainter painter(&image);
    for (const char* text : {"<b", "a>b", "<font size=0>x", "<font size=100000>x", "<font color=nope>x",
                             "<font name=\"\">x", "<<<>>>", "<font", "&lt;&amp;&", "\xFF\xFE<b>\xC3"}) {
        ThtmlTextLayout layout;
        layout.Layout(text, Base());
        EXPECT_EQ(layout.LineCount(), 1) << text;
        EXPECT_LT(layout.Height(), 400) << text;
        DrawHTMLText(painter, text, image.rect(), Base());
    }
    ThtmlTextLayout layout;
    layout.Layout("a>b<B", Base());
    EXPECT_EQ(layout.LineText(0), "a>b<B");
    layout.Layout("<font color=nope>x", Base());
    EXPECT_EQ(layout.LineText(0), "x");
}
