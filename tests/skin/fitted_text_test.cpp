// Text that fits its room: a text that fits stays as it is; a longer one is drawn smaller,
// never below the least size; only then is its end given up to an ellipsis, on one line or
// on the last line that fits. Labels fit again when they are resized and keep their whole
// text; skinned buttons draw a long caption smaller; wrapping markup labels and rows take
// the lines they need; a markup line too wide for its room ends in an ellipsis.
#include "skin/fitted_text.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QPainter>

#include "skin/html_label.h"
#include "skin/html_text.h"
#include "skin/skin_button.h"
#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

QFont Base()
{
    QFont font("DejaVu Sans");
    font.setPixelSize(20);
    return font;
}

int WidthAt(const QString& text, int pixels)
{
    QFont font = Base();
    font.setPixelSize(pixels);
    return QFontMetrics(font).horizontalAdvance(text);
}

TEST(FittedText, FitsWholeThenSmallerThenShortened)
{
    test::App();
    const QString title = "Vengeful Purple Skies";
    const int full = WidthAt(title, 20);
    // Room enough: as it is.
    TfittedText fitted = FitText(title, Base(), full + 4, 40, false);
    EXPECT_EQ(fitted.Text, title);
    EXPECT_EQ(fitted.PixelSize, 20);
    EXPECT_FALSE(fitted.Shortened);
    // A little short: smaller, whole.
    fitted = FitText(title, Base(), full * 9 / 10, 40, false);
    EXPECT_EQ(fitted.Text, title);
    EXPECT_LT(fitted.PixelSize, 20);
    EXPECT_GE(fitted.PixelSize, 14);
    EXPECT_LE(WidthAt(title, fitted.PixelSize), full * 9 / 10);
    // Far too short: the least size, and an ellipsis.
    fitted = FitText(title, Base(), full / 3, 40, false);
    EXPECT_EQ(fitted.PixelSize, 14);  // 70 % of 20
    EXPECT_TRUE(fitted.Shortened);
    EXPECT_TRUE(fitted.Text.endsWith(QChar(0x2026)));
    EXPECT_LE(WidthAt(fitted.Text, 14), full / 3);
    // Nothing to fit, or no room: left alone.
    EXPECT_EQ(FitText("", Base(), 10, 10, false).Text, "");
    EXPECT_FALSE(FitText(title, Base(), 0, 40, false).Shortened);
}

TEST(FittedText, WrappedTextKeepsTheLinesThatFitAndEndsTheLastInAnEllipsis)
{
    test::App();
    const QString details = "Harbour Lights and the Northbound Orchestra with Friends - Salt and Signal (Live)";
    const int line = QFontMetrics(Base()).lineSpacing();
    // Two lines of room at a width where the text needs four at full size.
    const int width = WidthAt(details, 20) / 4;
    const TfittedText fitted = FitText(details, Base(), width, 2 * line, true);
    EXPECT_TRUE(fitted.Shortened);
    EXPECT_EQ(fitted.PixelSize, 14);
    // As many lines as the room holds at the least size.
    QFont least = Base();
    least.setPixelSize(14);
    EXPECT_EQ(fitted.Text.count('\n') + 1, 2 * line / QFontMetrics(least).lineSpacing());
    EXPECT_TRUE(fitted.Text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(fitted.Text.startsWith("Harbour"));
    // Wrapped over enough room it stays whole.
    EXPECT_FALSE(FitText(details, Base(), width, 10 * line, true).Shortened);
}

TEST(FittedText, ALabelKeepsItsWholeTextAndFitsAgainWhenResized)
{
    test::App();
    QLabel label;
    label.setFont(Base());
    label.resize(600, 30);
    label.show();
    const QString title = "Vengeful Purple Skies Over The Harbour";
    ShowFitted(label, title);
    EXPECT_EQ(label.text(), title);
    EXPECT_EQ(QFontInfo(label.font()).pixelSize(), 20);
    label.resize(WidthAt(title, 20) / 4, 30);
    EXPECT_NE(label.text(), title);
    EXPECT_TRUE(label.text().endsWith(QChar(0x2026)));
    EXPECT_EQ(label.toolTip(), title);
    EXPECT_EQ(FittedFullText(label), title);
    label.resize(600, 30);
    EXPECT_EQ(label.text(), title);
    EXPECT_EQ(QFontInfo(label.font()).pixelSize(), 20);
    EXPECT_TRUE(label.toolTip().isEmpty());
    // A label not shown keeps its whole text.
    QLabel hidden;
    hidden.resize(20, 20);
    ShowFitted(hidden, title);
    EXPECT_EQ(hidden.text(), title);
}

TEST(FittedText, ASkinnedButtonDrawsALongCaptionSmaller)
{
    test::App();
    TmySkinButton button;
    button.resize(104, 56);
    button.SetShowCaption(true);
    button.SetFont(TFont{"Arial", clWhite, 15, true});
    button.SetCaption("Remove");
    EXPECT_TRUE(button.CaptionFits());
    button.SetCaption("Remove every track");  // wraps, then steps down
    EXPECT_TRUE(button.CaptionFits());
    button.SetCaption("Supercalifragilisticexpialidocious");
    EXPECT_FALSE(button.CaptionFits());
}

TEST(FittedText, AWrappingMarkupLabelIsAsTallAsItsLines)
{
    test::App();
    ThtmlLabel label;
    label.SetAutoSize(false);
    label.SetLabelFont(TFont{"Tahoma", clWhite, 14, true});
    label.SetCaption("Up Next (15 Tracks, Duration 1:21:20)");
    EXPECT_FALSE(label.hasHeightForWidth());
    label.SetWordWrap(true);
    EXPECT_TRUE(label.hasHeightForWidth());
    const int oneLine = label.heightForWidth(2000);
    EXPECT_GT(label.heightForWidth(120), oneLine);
}

TEST(FittedText, AMarkupLineTooWideEndsInAnEllipsisAndARowWrapsWhenItHasRoom)
{
    test::App();
    const TFont font{"Tahoma", clWhite, 13, false};
    const std::string name = "[Compilations] <FCH>(0 Albums)";
    const QSize one = MeasureHTMLText(name, font);
    // Two lines of room: the row wraps the name.
    EXPECT_EQ(WrapFlagToFit(name, font, QRect(0, 0, one.width() * 2 / 3, one.height() * 2 + 4)),
              int(Qt::TextWordWrap));
    // One line of room, or a row wide enough: no wrapping.
    EXPECT_EQ(WrapFlagToFit(name, font, QRect(0, 0, one.width() * 2 / 3, one.height())), 0);
    EXPECT_EQ(WrapFlagToFit(name, font, QRect(0, 0, one.width() + 2, one.height())), 0);
    // Drawn into too little room, nothing passes the room's edge and its end is an
    // ellipsis: the last few columns show ink, as three dots do, and so do the first.
    QImage image(400, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRect room(0, 0, one.width() / 2, 40);
    {
        QPainter painter(&image);
        DrawHTMLText(painter, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", room, font, Qt::AlignVCenter);
    }
    auto ink = [&](int from, int to) {
        int count = 0;
        for (int x = from; x <= to; ++x)
            for (int y = 0; y < image.height(); ++y) count += image.pixelColor(x, y) != QColor(Qt::black);
        return count;
    };
    EXPECT_GT(ink(0, 10), 0);
    EXPECT_EQ(ink(room.right() + 1, image.width() - 1), 0);
}

}  // namespace
}  // namespace tunecrest
