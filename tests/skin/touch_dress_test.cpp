// The touch dress of ordinary widgets: what the keypad entry reads (numbers in range,
// times of day in the forms people type them), a tap on a spin box asking through the
// text entry with refusals that keep the value, check boxes taking a tap anywhere on
// their row and none off it, a swipe that scrolls a list while a tap still selects, and a
// touch list that still tells a tap from a hold behind the swipe's held-back press.
#include "skin/touch_dress.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/base/services.h"
#include "core/jukebox/global_prefs.h"
#include "skin/touch_list_box.h"
#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

TEST(KeypadEntry, NumbersAreWholeAndWithinTheRange)
{
    EXPECT_EQ(ParseKeypadNumber("15", 0, 100), 15);
    EXPECT_EQ(ParseKeypadNumber("  0 ", 0, 100), 0);
    EXPECT_EQ(ParseKeypadNumber("100", 0, 100), 100);
    EXPECT_EQ(ParseKeypadNumber("-3", -5, 5), -3);
    EXPECT_EQ(ParseKeypadNumber("+4", 0, 5), 4);
    for (const char* bad : {"", " ", "101", "-1", "1.5", "12a", "a12", "1 2", "9999999999", "-", "+"})
        EXPECT_FALSE(ParseKeypadNumber(bad, 0, 100)) << bad;
}

TEST(KeypadEntry, TimesOfDayInTheFormsPeopleType)
{
    EXPECT_EQ(ParseKeypadTime("18:30"), 18 * 3600 + 30 * 60);
    EXPECT_EQ(ParseKeypadTime("18:30:15"), 18 * 3600 + 30 * 60 + 15);
    EXPECT_EQ(ParseKeypadTime("7.05"), 7 * 3600 + 5 * 60);
    EXPECT_EQ(ParseKeypadTime(" 1830 "), 18 * 3600 + 30 * 60);
    EXPECT_EQ(ParseKeypadTime("730"), 7 * 3600 + 30 * 60);   // one digit of hours
    EXPECT_EQ(ParseKeypadTime("7"), 7 * 3600);               // the hour alone
    EXPECT_EQ(ParseKeypadTime("23"), 23 * 3600);
    EXPECT_EQ(ParseKeypadTime("183015"), 18 * 3600 + 30 * 60 + 15);
    EXPECT_EQ(ParseKeypadTime("0:00"), 0);
    EXPECT_EQ(ParseKeypadTime("23:59:59"), 86399);
    for (const char* bad : {"", "24:00", "12:60", "12:30:60", "24", "2400", "1:2:3:4", "18:", ":30", "1830150",
                            "18-30", "x", "18:3a", "123:00"})
        EXPECT_FALSE(ParseKeypadTime(bad)) << bad;
}

// Answers each text question with the next answer and records what was asked and shown.
class TkeypadPrompt : public Tprompt {
public:
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string& initial) override
    {
        Asked.push_back(title + "|" + caption + "|" + initial);
        if (Answers.empty()) return std::nullopt;
        std::string answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        Messages.push_back(title + "|" + text);
    }
    std::vector<std::string> Answers, Asked, Messages;
};

struct KeypadTaps : ::testing::Test {
    KeypadTaps()
    {
        test::App();
        previous = SetPrompt(prompt);
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    }
    ~KeypadTaps() override { SetPrompt(previous); }
    std::shared_ptr<TkeypadPrompt> prompt = std::make_shared<TkeypadPrompt>();
    std::shared_ptr<Tprompt> previous;
};

TEST_F(KeypadTaps, ATapAsksForTheNumberAndABadAnswerKeepsTheValue)
{
    QWidget window;
    window.setWindowTitle("Party Play Options");
    auto* layout = new QVBoxLayout(&window);
    auto* spin = new QSpinBox(&window);
    spin->setRange(0, 100);
    spin->setValue(15);
    layout->addWidget(spin);
    int finished = 0;
    QObject::connect(spin, &QSpinBox::editingFinished, [&] { ++finished; });
    UseKeypadEntry(*spin);
    UseKeypadEntry(*spin);  // once is enough
    EXPECT_EQ(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
    window.show();

    prompt->Answers = {"40"};
    QTest::mouseClick(spin, Qt::LeftButton, {}, spin->rect().center());
    EXPECT_EQ(spin->value(), 40);
    ASSERT_EQ(prompt->Asked.size(), 1u);
    EXPECT_EQ(prompt->Asked[0], "Party Play Options|Party Play Options (0 to 100)|15");
    EXPECT_EQ(finished, 1);

    prompt->Answers = {"250"};
    QTest::mouseClick(spin, Qt::LeftButton, {}, spin->rect().center());
    EXPECT_EQ(spin->value(), 40);
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(prompt->Messages[0], "Party Play Options|\"250\" is not a number from 0 to 100.");

    // Cancelled: nothing changes and nothing is said.
    QTest::mouseClick(spin, Qt::LeftButton, {}, spin->rect().center());
    EXPECT_EQ(spin->value(), 40);
    EXPECT_EQ(prompt->Messages.size(), 1u);

    // A box with a label before it is asked for by that label.
    layout->addWidget(new QLabel("Queue &Limit (0 for no limit) :", &window));
    auto* limit = new QSpinBox(&window);
    layout->addWidget(limit);
    limit->show();
    UseKeypadEntry(*limit);
    prompt->Answers = {"7"};
    QTest::mouseClick(limit, Qt::LeftButton, {}, limit->rect().center());
    EXPECT_EQ(limit->value(), 7);
    EXPECT_EQ(prompt->Asked.back(), "Party Play Options|Queue Limit (0 for no limit) (0 to 99)|0");
    prompt->Asked.pop_back();

    // With the on-screen keyboards off the box takes typing as any box does.
    GlobalPrefs().SetOnScreenKeyboardsEnabled(false);
    QTest::mouseClick(spin, Qt::LeftButton, {}, spin->rect().center());
    EXPECT_EQ(prompt->Asked.size(), 3u);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
}

TEST_F(KeypadTaps, ATimeIsTypedAndItsLabelNamesTheQuestion)
{
    QWidget window;
    window.setWindowTitle("Alarm Clock Settings");
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel("On :", &window);
    auto* time = new QTimeEdit(&window);
    time->setDisplayFormat("HH:mm:ss");
    time->setTime(QTime(18, 30));
    label->setBuddy(time);
    layout->addWidget(label);
    layout->addWidget(time);
    DressForTouch(window);
    window.show();
    prompt->Answers = {"2215", "25:00"};
    QTest::mouseClick(time, Qt::LeftButton, {}, time->rect().center());
    EXPECT_EQ(time->time(), QTime(22, 15));
    EXPECT_EQ(prompt->Asked.at(0), "Alarm Clock Settings|On (hours:minutes)|18:30:00");
    QTest::mouseClick(time, Qt::LeftButton, {}, time->rect().center());
    EXPECT_EQ(time->time(), QTime(22, 15));
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_NE(prompt->Messages[0].find("\"25:00\" is not a time of day"), std::string::npos);
}

TEST(TouchDress, ACheckBoxTakesATapAnywhereOnItsRowAndNoneOffIt)
{
    test::App();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QCheckBox("Disable Stop Control", &window);
    box->setMinimumSize(400, 48);
    layout->addWidget(box);
    DressForTouch(window);
    window.show();
    int clicks = 0;
    QObject::connect(box, &QCheckBox::clicked, [&] { ++clicks; });
    // The far end of the row, well past the text.
    const QPoint farEnd(box->width() - 4, box->height() - 4);
    QTest::mousePress(box, Qt::LeftButton, {}, farEnd);
    EXPECT_TRUE(box->isDown());  // shown pressed
    QTest::mouseRelease(box, Qt::LeftButton, {}, farEnd);
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(box->isDown());
    EXPECT_EQ(clicks, 1);
    // A finger that slides off before lifting clicks nothing.
    QTest::mousePress(box, Qt::LeftButton, {}, farEnd);
    QTest::mouseMove(box, QPoint(box->width() + 30, 4));
    EXPECT_FALSE(box->isDown());
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(box->width() + 30, 4));
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(clicks, 1);
    // A box switched off takes no tap.
    box->setEnabled(false);
    QTest::mouseClick(box, Qt::LeftButton, {}, farEnd);
    EXPECT_TRUE(box->isChecked());
}

TEST(TouchDress, ListsScrollWithASwipeTreesGetWideExpandersAndDropDownsTallRows)
{
    test::App();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* list = new QListWidget(&window);
    for (int i = 0; i < 40; ++i) list->addItem(QString("Row %1").arg(i));
    auto* tree = new QTreeWidget(&window);
    tree->setIndentation(20);
    auto* combo = new QComboBox(&window);
    combo->addItems({"Load Cartridge ...", "Friday Night"});
    for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(tree), static_cast<QWidget*>(combo)})
        layout->addWidget(w);
    DressForTouch(window);
    EXPECT_TRUE(QScroller::hasScroller(list->viewport()));
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
    EXPECT_EQ(tree->indentation(), kTouchExpanderWidth);
    QStyleOptionViewItem option;
    option.initFrom(combo->view());
    EXPECT_GE(combo->itemDelegate()->sizeHint(option, combo->model()->index(1, 0)).height(), kTouchRowHeight);
}

TEST(TouchDress, AScrollHolderAsksForItsContentYetLetsItsWindowShrink)
{
    test::App();
    QWidget window;
    auto* content = new QWidget;
    auto* inside = new QVBoxLayout(content);
    auto* tall = new QWidget(content);
    tall->setMinimumSize(500, 900);
    inside->addWidget(tall);
    QScrollArea* scroll = MakeTouchScroll(&window, content);
    EXPECT_EQ(scroll->widget(), content);
    EXPECT_GE(scroll->sizeHint().height(), 900);
    EXPECT_LE(scroll->minimumSizeHint().height(), 150);
    EXPECT_GE(scroll->minimumSizeHint().width(), 500);
    EXPECT_TRUE(QScroller::hasScroller(scroll->viewport()));
}

// A touch list behind a swipe's scroller: a quick tap still selects its row; in
// single-click multi-select a hold still adds one although the scroller hands the press on
// only after its delay (the hold began that much earlier), while a press and release
// handed on together stay a tap.
TEST(TouchDress, ATouchListBehindASwipeStillTellsATapFromAHold)
{
    test::App();
    QWidget window;
    window.resize(240, 520);
    TtouchListBox& list = *new TtouchListBox(&window);
    list.setGeometry(20, 20, 200, 480);
    list.SetItemHeight(48);
    list.SetCount(60);
    list.MultiSelect = true;
    list.SingleClickMultiSelect = true;
    list.SingleClickMultiSelectDelay = 300;
    uint32_t now = 1000;
    list.SetTickSource([&] { return now; });
    list.SetSwipeScroll();
    EXPECT_TRUE(list.SwipeScroll());
    EXPECT_TRUE(QScroller::hasScroller(&list));
    window.show();
    QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(20, 2 * 48 + 10));
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_TRUE(list.Selected(2));
    // The scroller's timing is the window system's; what reaches the list is played here.
    QScroller::ungrabGesture(&list);
    auto press = [&](int row, uint32_t heldAfterHandedOn) {
        QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(20, row * 48 + 10));
        now += heldAfterHandedOn;
        QTest::mouseRelease(&list, Qt::LeftButton, {}, QPoint(20, row * 48 + 10));
    };
    press(5, 200);  // held 150 + 200 ms: added
    EXPECT_TRUE(list.Selected(2));
    EXPECT_TRUE(list.Selected(5));
    press(7, 0);  // handed on with its release: a tap
    EXPECT_TRUE(list.Selected(7));
    EXPECT_FALSE(list.Selected(2));
    EXPECT_FALSE(list.Selected(5));
    press(8, 100);  // held 250 ms in all: still a tap
    EXPECT_TRUE(list.Selected(8));
    EXPECT_FALSE(list.Selected(7));
}

}  // namespace
}  // namespace tunecrest
