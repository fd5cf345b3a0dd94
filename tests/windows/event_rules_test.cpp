// The toolkit's event rules: which settings made by code run a control's handler.
#include "windows/event_rules.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "skin/touch_list_box.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

TEST(EventRules, CurrentRowSetByCodeRunsNoChangeHandler) {
    test::App();
    QListWidget list;
    list.addItems({"a", "b", "c"});
    int changes = 0;
    QObject::connect(&list, &QListWidget::currentRowChanged, [&](int) { ++changes; });
    SetCurrentRowInCode(list, 2);
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_TRUE(list.item(2)->isSelected());
    list.setCurrentRow(0);  // what a person's choice does
    EXPECT_EQ(changes, 1);

    QComboBox combo;
    combo.addItems({"[none]", "Party"});
    int chosen = 0;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&](int) { ++chosen; });
    SetCurrentRowInCode(combo, 1);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(chosen, 0);

    TtouchListBox touch;
    touch.resize(200, 300);
    touch.SetCount(10);
    int moved = 0;
    touch.OnItemIndexChange = [&](TObject*) { ++moved; };
    SetCurrentRowInCode(touch, 7);
    EXPECT_EQ(touch.ItemIndex(), 7);
    EXPECT_EQ(moved, 0);
    ASSERT_TRUE(touch.OnItemIndexChange);  // the handler is back for a person's moves
    touch.SetItemIndex(3);
    EXPECT_EQ(moved, 1);
}

TEST(EventRules, CheckSetByCodeRunsTheClickHandlerOnlyOnAChangeUnlessDetached) {
    test::App();
    QCheckBox box;
    std::vector<bool> clicks;
    QObject::connect(&box, &QCheckBox::clicked, [&](bool on) { clicks.push_back(on); });
    SetCheckInCode(box, true);
    SetCheckInCode(box, true);  // no change, no click
    SetCheckInCode(box, false);
    EXPECT_EQ(clicks, (std::vector<bool>{true, false}));
    box.setEnabled(false);
    SetCheckInCode(box, true);  // a disabled box still reports the change made by code
    EXPECT_EQ(clicks.size(), 3u);
    SetCheckDetached(box, false);
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(clicks.size(), 3u);
}

TEST(EventRules, EditTextSetByCodeRunsTheChangeHandler) {
    test::App();
    QLineEdit edit;
    std::vector<std::string> seen;
    QObject::connect(&edit, &QLineEdit::textChanged,
                     [&](const QString& t) { seen.push_back(t.toStdString()); });
    SetEditTextInCode(edit, "Friday");
    SetEditTextInCode(edit, "Friday");
    SetEditTextInCode(edit, "");
    EXPECT_EQ(seen, (std::vector<std::string>{"Friday", ""}));
}

}  // namespace
}  // namespace tunecrest
