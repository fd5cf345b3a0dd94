#include "skin/html_label.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "skin/html_list_box.h"
#include "support/test_application.h"

using namespace tunecrest;

namespace {

const QColor kBack(0x80, 0x80, 0x80);

QRect Box(const QImage& image, const std::function<bool(const QColor&)>& test) {
    int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
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
bool Dark(const QColor& c) {
    return c.red() < 0x30 && c.green() < 0x30 && c.blue() < 0x30;
}

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(kBack);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QImage RenderLabel(TlabelStyle style, bool enabled = true) {
    test::App();
    ThtmlLabel label;
    label.SetLabelFont(TFont{"Arial", clWhite, 20, true, false, false});
    label.SetLabelStyle(style);
    label.SetCaption("HHH <font color=#FFFF00>HH");
    label.setEnabled(enabled);
    return Render(label);
}

}  // namespace

TEST(HtmlLabel, SizesToItsTextAndStyle) {
    test::App();
    ThtmlLabel label;
    label.SetLabelFont(TFont{"Arial", clBlack, 12, false, false, false});
    label.SetCaption("<b>Now</b> playing");
    const QSize normal = label.size();
    EXPECT_EQ(normal, MeasureHTMLText("<b>Now</b> playing", label.LabelFont()));
    label.SetLabelStyle(lsShadow);
    EXPECT_EQ(label.size(), normal + QSize(2, 2));
    label.SetLabelStyle(lsBorder);
    EXPECT_EQ(label.size(), normal + QSize(1, 3));
    // An empty caption keeps the height of one blank.
    label.SetLabelStyle(lsNormal);
    label.SetCaption("");
    EXPECT_EQ(label.height(), normal.height());
    EXPECT_GT(label.width(), 0);
    // Wrapping keeps the width and grows the height.
    label.SetAutoSize(false);
    label.resize(80, 20);
    label.SetWordWrap(true);
    label.SetAutoSize(true);
    label.SetCaption("one two three four five six");
    EXPECT_EQ(label.width(), 80);
    EXPECT_GT(label.height(), 2 * normal.height());
}

TEST(HtmlLabel, ShadowAndBorderCopiesStandWhereTheyShould) {
    const QImage normal = RenderLabel(lsNormal);
    const QImage shadow = RenderLabel(lsShadow);
    const QImage border = RenderLabel(lsBorder);
    const QRect text = Box(normal, Ink);
    ASSERT_FALSE(text.isNull());
    EXPECT_FALSE(Box(normal, [](const QColor& c) { return c == QColor(255, 255, 0); }).isNull());
    EXPECT_TRUE(Box(normal, Dark).isNull());

    // Shadow: the text where it was, a black copy two pixels right and down.
    EXPECT_EQ(Box(shadow, Ink), text.adjusted(0, 0, 2, 2));
    EXPECT_EQ(Box(shadow, Dark).bottomRight(), text.bottomRight() + QPoint(2, 2));
    EXPECT_EQ(Box(shadow, [](const QColor& c) { return c == QColor(255, 255, 255); }),
              Box(normal, [](const QColor& c) { return c == QColor(255, 255, 255); }));

    // Border: the text two pixels lower, black copies one pixel around it.
    EXPECT_EQ(Box(border, Ink), text.adjusted(-1, 1, 1, 3));
    EXPECT_EQ(Box(border, [](const QColor& c) { return c == QColor(255, 255, 255); }),
              Box(normal, [](const QColor& c) { return c == QColor(255, 255, 255); }).translated(0, 2));

    // Disabled: the button-highlight copy one pixel off, the text in the button-shadow colour.
    const QImage disabled = RenderLabel(lsNormal, false);
    EXPECT_TRUE(Box(disabled, [](const QColor& c) { return c == QColor(255, 255, 0); }).isNull());
    EXPECT_EQ(
        Box(disabled, [](const QColor& c) { return c == QColor(0xA0, 0xA0, 0xA0); }),
        Box(normal, [](const QColor& c) { return c == QColor(255, 255, 255) || c == QColor(255, 255, 0); }));
    EXPECT_EQ(Box(disabled, Ink).bottomRight(), text.bottomRight() + QPoint(1, 1));
}

TEST(HtmlListBox, RowHeightRowsImagesAndHighlight) {
    test::App();
    ThtmlListBox list;
    TFont font{"Arial", clBlack, 8, false, false, false};
    list.SetLFont(font);
    EXPECT_EQ(list.ItemHeight(), 16);
    font.Size = 12;
    list.SetLFont(font);
    EXPECT_EQ(list.ItemHeight(), 19);
    font.Size = 20;
    list.SetLFont(font);
    EXPECT_EQ(list.ItemHeight(), 32);
    font.Size = 12;
    list.SetLFont(font);

    list.setFrameShape(QFrame::NoFrame);
    list.resize(300, 19 * 4);
    list.SetColor(clWhite);
    std::vector<std::string> items;
    for (int i = 0; i < 10; ++i) items.push_back("<b>Row</b> " + std::to_string(i) + " &lt;x&gt;");
    list.SetItems(items);
    EXPECT_EQ(list.Count(), 10);
    list.SetItemIndex(1);

    auto* images = new TimageList(10, 10, &list);
    QImage red(10, 10, QImage::Format_RGB32), green(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    green.fill(Qt::green);
    images->Add(red);
    images->Add(green);
    list.SetImages(images);
    std::vector<int> asked, askedSelected;
    list.OnGetImageIndex = [&](TObject*, int index, int& image) {
        asked.push_back(index);
        image = 0;
    };
    list.OnGetSelectedImageIndex = [&](TObject*, int index, int& image) {
        askedSelected.push_back(index);
        image = 1;
    };
    QImage shot = Render(list);
    EXPECT_EQ(asked, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(askedSelected, (std::vector<int>{1}));
    // Images sit at the left, centred in their rows (19 high, 10 high image: from y 4).
    EXPECT_EQ(shot.pixelColor(5, 4), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(5, 3), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(5, 19 + 4), QColor(0, 255, 0));
    EXPECT_EQ(shot.pixelColor(5, 38 + 13), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(5, 38 + 14), QColor(255, 255, 255));
    // The selected row is highlighted with its text forced to the highlight-text colour.
    EXPECT_EQ(shot.pixelColor(290, 19 + 9), QColor(0, 0x78, 0xD7));
    EXPECT_TRUE(Box(shot.copy(12, 19, 280, 19), Dark).isNull());
    EXPECT_FALSE(Box(shot.copy(12, 0, 280, 19), Dark).isNull());
    list.SetShowHighlight(false);
    shot = Render(list);
    EXPECT_EQ(shot.pixelColor(290, 19 + 9), QColor(255, 255, 255));

    // The image list's removal is noticed; rows then start at the margin.
    delete images;
    EXPECT_EQ(list.Images(), nullptr);
    shot = Render(list);
    EXPECT_TRUE(
        Box(shot, [](const QColor& c) { return c == QColor(255, 0, 0) || c == QColor(0, 255, 0); }).isNull());
}

TEST(HtmlListBox, DataRowsSelectionAndScrolling) {
    test::App();
    ThtmlListBox list;
    list.setFrameShape(QFrame::NoFrame);
    list.SetLFont(TFont{"Arial", clBlack, 12, false, false, false});
    list.resize(200, 19 * 5);
    list.SetHTMLListBoxStyle(hlbsData);
    std::vector<int> fetched;
    list.OnData = [&](TObject*, int index, std::string& text) {
        fetched.push_back(index);
        text = "Track " + std::to_string(index);
    };
    list.SetCount(1000);
    EXPECT_EQ(list.ItemText(42), "Track 42");
    fetched.clear();
    Render(list);
    EXPECT_EQ(fetched, (std::vector<int>{0, 1, 2, 3, 4}));

    int scrolled = 0;
    list.OnScrolled = [&](TObject* sender) {
        EXPECT_EQ(sender, static_cast<TObject*>(&list));
        ++scrolled;
    };
    list.SetItemIndex(500);
    EXPECT_EQ(list.ItemIndex(), 500);
    EXPECT_EQ(list.TopIndex(), 496);
    EXPECT_EQ(scrolled, 1);
    list.SetItemIndex(5000);
    EXPECT_EQ(list.ItemIndex(), 999);
    EXPECT_EQ(list.ItemAtPos(QPoint(3, 19 * 4 + 2)), 999);
    list.SetCount(3);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.ItemAtPos(QPoint(3, 19 * 4)), -1);
    list.SetCount(0);
    EXPECT_EQ(list.ItemIndex(), -1);
    Render(list);
}
