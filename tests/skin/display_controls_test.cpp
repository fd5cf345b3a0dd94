// Display controls: the scrolling banner's wrap-around, the play-time text and its
// steady cells, and the picture control's placement.
#include <gtest/gtest.h>

#include "skin/display_controls.h"
#include "skin/fitted_text.h"
#include "skin/html_text.h"
#include "skin/screen_fonts.h"
#include "support/manual_timers.h"
#include "support/test_application.h"
#include "skin_images.h"

namespace tunecrest {
namespace {

TEST(DigitalDisplay, PlayTimeText)
{
    EXPECT_EQ(DigitalDisplayText(0), "  0:00");
    EXPECT_EQ(DigitalDisplayText(75), "  1:15");
    EXPECT_EQ(DigitalDisplayText(-75), "- 1:15");
    EXPECT_EQ(DigitalDisplayText(5), "  0:05");
    EXPECT_EQ(DigitalDisplayText(600), " 10:00");
    EXPECT_EQ(DigitalDisplayText(6000), " 100:00");
    EXPECT_EQ(DigitalDisplayText(-2147483647 - 1), "-35791394:08");
}

TEST(DigitalDisplay, DigitsStandInCellsThatDoNotMove)
{
    test::App();
    TdigitalDisplay display;
    display.resize(120, 30);
    display.SetBackColor(clBlack);
    display.SetFont(TFont{"DejaVu Sans", clWhite, 14});
    // Which columns show ink, for a time.
    auto colonColumns = [&](int seconds) {
        display.SetSeconds(seconds);
        EXPECT_EQ(display.Text(), DigitalDisplayText(seconds));
        const QImage shot = display.grab().toImage();
        std::vector<int> lit;
        for (int x = 0; x < shot.width(); ++x) {
            bool any = false;
            for (int y = 0; y < shot.height(); ++y) any |= test::PaintedColor(shot, x, y) != clBlack;
            lit.push_back(any);
        }
        return lit;
    };
    const std::vector<int> a = colonColumns(71), b = colonColumns(11);
    // Between the minute's digit and the seconds, the same columns are dark in both.
    const QFontMetrics m(ScreenFont(display.Font()));
    const int cell = m.horizontalAdvance('0');
    const int left = (120 - cell * 6) / 2;
    for (int x = left + 3 * cell; x < left + 4 * cell; ++x) EXPECT_EQ(a[size_t(x)], b[size_t(x)]) << x;
    EXPECT_EQ(test::PaintedColor(display.grab().toImage(), 1, 1), clBlack);
}

TEST(ScrollBanner, NarrowCaptionTravelsTheWholeWidthThenWraps)
{
    test::App();
    test::TmanualTimers timers;
    TScrollBanner3 banner;
    banner.resize(200, 20);
    banner.SetCaption("Hi");
    EXPECT_EQ(banner.TextWidth(), 200);
    banner.SetScrollInc(30);
    banner.SetScrollDelay(50);
    EXPECT_EQ(banner.Offset(), 0);
    EXPECT_EQ(timers.ActiveCount(), 0);  // not enabled yet
    banner.SetScrollEnabled(true);
    timers.Advance(50 * 6);
    EXPECT_EQ(banner.Offset(), -180);
    timers.Advance(50);  // -210 is past the width: wraps to -10
    EXPECT_EQ(banner.Offset(), -10);
    banner.SetCaption("Next");
    EXPECT_EQ(banner.Offset(), 0);
    banner.SetSpaces(3);
    EXPECT_EQ(banner.DisplayText(), "Next   ");
    // Delay 0: stopped and shown from the left.
    timers.Advance(100);
    banner.SetScrollDelay(0);
    EXPECT_EQ(banner.Offset(), 0);
    EXPECT_EQ(timers.ActiveCount(), 0);
}

TEST(ScrollBanner, LongCaptionIsDrawnTwiceWhileItWraps)
{
    test::App();
    TScrollBanner3 banner;
    banner.resize(100, 20);
    banner.SetColor(clBlack);
    banner.SetFont(TFont{"Arial", clWhite, 10});
    banner.SetCaption(std::string(60, 'W'));
    ASSERT_GT(banner.TextWidth(), 100);
    while (banner.Offset() > -(banner.TextWidth() - 50)) banner.Tick();
    // The tail of the text stands at the left and its head follows at the right.
    const QImage shot = banner.grab().toImage();
    bool leftLit = false, rightLit = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) leftLit |= test::PaintedColor(shot, x, y) != clBlack;
        for (int x = 70; x < 100; ++x) rightLit |= test::PaintedColor(shot, x, y) != clBlack;
    }
    EXPECT_TRUE(leftLit);
    EXPECT_TRUE(rightLit);
}

// Standing still, the banner never cuts its text at the edge: a text a little too wide is
// drawn smaller, a much longer one shortened to end in an ellipsis; tags and entities
// stay whole. Scrolling shows the whole text again.
TEST(ScrollBanner, StillTextTooWideIsDrawnSmallerThenShortenedWithAnEllipsis)
{
    test::App();
    TScrollBanner3 banner;
    banner.resize(240, 30);
    const TFont font{"Arial", clWhite, 14};
    banner.SetFont(font);
    const std::string fits = "<B>Copper</B> Lane";
    banner.SetCaption(fits);
    EXPECT_EQ(banner.StillText(), fits);
    EXPECT_EQ(banner.StillScale(), 1.0);
    // A little too wide: smaller, whole.
    std::string caption = "Copper Lane";
    while (MeasureHTMLText(caption, font).width() < 270) caption += " x";
    banner.SetCaption(caption);
    EXPECT_EQ(banner.StillText(), caption);
    EXPECT_LT(banner.StillScale(), 1.0);
    EXPECT_GE(banner.StillScale(), kFittedMinScale);
    EXPECT_LE(MeasureHTMLText(caption, font).width() * banner.StillScale(), 240);
    // Far too wide: the smallest size, shortened at a letter, ending in an ellipsis.
    const std::string longCaption =
        "<FONT SIZE=16><B>Copper Lane</B></FONT> - I Walked the Line &amp; Back &lt;Live at the Old Mill, 1979&gt;";
    banner.SetCaption(longCaption);
    EXPECT_EQ(banner.StillScale(), kFittedMinScale);
    const std::string shown = banner.StillText();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
    EXPECT_LE(MeasureHTMLText(shown, font).width() * banner.StillScale(), 240);
    const std::string plain = StripHTMLTags(shown.substr(0, shown.size() - 3));
    EXPECT_EQ(StripHTMLTags(longCaption).rfind(plain, 0), 0u) << plain;
    EXPECT_GT(plain.size(), 10u);
    // Scrolling: the whole text moves.
    banner.SetScrollDelay(40);
    banner.SetScrollEnabled(true);
    EXPECT_TRUE(banner.Moving());
    EXPECT_GT(banner.TextWidth(), 240);
    EXPECT_EQ(banner.DisplayText(), longCaption);
    banner.SetScrollEnabled(false);
    EXPECT_EQ(banner.StillText(), shown);
}

TEST(TouchBitmap, PlacementByStyleAndAlignment)
{
    test::App();
    TtouchBitmap bitmap;
    bitmap.resize(100, 100);
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(qRgb(200, 10, 10));
    bitmap.SetPicture(picture);
    bitmap.SetColor(clBlue);
    bitmap.SetVertAlignment(tbaRightBottom);
    EXPECT_EQ(bitmap.PictureRect(), QRect(0, 50, 100, 50));
    QImage shot = bitmap.grab().toImage();
    EXPECT_EQ(test::PaintedColor(shot, 50, 25), clBlue);
    EXPECT_EQ(test::PaintedColor(shot, 50, 75), RGBColor(200, 10, 10));
    bitmap.SetVertAlignment(tbaCenter);
    EXPECT_EQ(bitmap.PictureRect(), QRect(0, 25, 100, 50));
    bitmap.SetVertAlignment(tbaLeftTop);
    EXPECT_EQ(bitmap.PictureRect(), QRect(0, 0, 100, 50));
    bitmap.SetStyle(tbsStretch);
    EXPECT_EQ(bitmap.PictureRect(), QRect(0, 0, 100, 100));
    // Tiles at their own size from the top-left.
    QImage tile(30, 30, QImage::Format_RGB32);
    tile.fill(qRgb(0, 100, 0));
    tile.setPixel(0, 0, qRgb(255, 255, 0));
    bitmap.SetPicture(tile);
    bitmap.SetStyle(tbsTile);
    shot = bitmap.grab().toImage();
    for (int at : {0, 30, 60, 90}) EXPECT_EQ(test::PaintedColor(shot, at, at), RGBColor(255, 255, 0)) << at;
    EXPECT_EQ(test::PaintedColor(shot, 95, 95), RGBColor(0, 100, 0));
    bitmap.SetPicture(QImage());
    EXPECT_TRUE(bitmap.PictureRect().isEmpty());
    EXPECT_EQ(test::PaintedColor(bitmap.grab().toImage(), 50, 50), clBlue);
}

}  // namespace
}  // namespace tunecrest
