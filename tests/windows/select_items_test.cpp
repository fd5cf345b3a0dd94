#include "windows/dialogs/select_items.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QListWidget>
#include <QTest>

#include "core/base/string_lists.h"
#include "skin/skin_button.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

struct Tnamed : TObject {
    explicit Tnamed(int id) : Id(id) {}
    int Id;
};

TfrmSelectItem& Window(QDialog& d) { return dynamic_cast<TfrmSelectItem&>(d); }

void Touch(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

struct SelectItemsDialog : ::testing::Test {
    void SetUp() override
    {
        test::App();
        for (int i = 0; i < 4; ++i) items.AddObject(names[i], std::make_shared<Tnamed>(i));
        target.Add("left over");
    }
    const char* names[4] = {"Blues", "Jazz", "Rock", "Soul"};
    TmyStringList items, target;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(SelectItemsDialog, OkAppendsTheSelectedItemsWithTheirObjectsInListOrder)
{
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.windowTitle(), "Genres");
        EXPECT_EQ(w.gbItemList->title(), "Pick the genres to play");
        ASSERT_EQ(w.lbItems->count(), 4);
        Touch(w.lbItems, 3);
        Touch(w.lbItems, 1);
        Touch(w.lbItems, 2);
        Touch(w.lbItems, 2);  // a second touch takes the row out again
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(SelectItems("Genres", "Pick the genres to play", items, target));
    ASSERT_EQ(target.Count(), 2);
    EXPECT_EQ(target.Strings(0), "Jazz");
    EXPECT_EQ(target.Strings(1), "Soul");
    EXPECT_EQ(target.Objects(0), items.Objects(1));  // the same object, shared
    EXPECT_EQ(target.ObjectAs<Tnamed>(1)->Id, 3);
    EXPECT_EQ(items.Count(), 4);
}

TEST_F(SelectItemsDialog, CancelAndOkWithoutACurrentRowAnswerFalseWithAnEmptyTarget)
{
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        Touch(w.lbItems, 0);
        PressButton(*w.btnCancel);
    });
    EXPECT_FALSE(SelectItems("Genres", "Genres", items, target));
    EXPECT_EQ(target.Count(), 0);

    target.Add("left over");
    runner->Push([](QDialog& d) { PressButton(*Window(d).btnOK); });
    EXPECT_FALSE(SelectItems("Genres", "Genres", items, target));
    EXPECT_EQ(target.Count(), 0);

    // Escape cancels; Enter presses OK, both pressed while the touched list has the focus.
    runner->Push([](QDialog& d) {
        Touch(Window(d).lbItems, 2);
        test::PressKey(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(SelectItems("Genres", "Genres", items, target));
    runner->Push([](QDialog& d) {
        Touch(Window(d).lbItems, 2);
        test::PressKey(d, Qt::Key_Return);
    });
    EXPECT_TRUE(SelectItems("Genres", "Genres", items, target));
    EXPECT_EQ(target.ToVector(), std::vector<std::string>{"Rock"});
}

}  // namespace
}  // namespace tunecrest
