#include "windows/editors/alarm_editor.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>

#include "core/base/date_time.h"
#include "core/base/ini_file.h"
#include "core/jukebox/timer_alarms.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

TfrmAlarmSettings2& Form(QDialog& d) { return dynamic_cast<TfrmAlarmSettings2&>(d); }
void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// The list as its settings section, to compare before and after byte for byte.
std::string Saved(const TonOffTimerAlarmList& alarms)
{
    TiniFile ini;
    alarms.SaveToIni(ini, "Alarms");
    return ini.GetText();
}

struct AlarmEditor : ::testing::Test {
    void SetUp() override
    {
        test::App();
        TonOffTimerAlarm* a = alarms.AddNew();
        a->SetStartTime(EncodeTime(7, 30, 0, 0));
        a->SetFinishTime(EncodeTime(9, 0, 0, 0));
        a->SetDays(0x3E);  // Monday to Friday
        TonOffTimerAlarm* b = alarms.AddNew();
        b->SetOnEventEnabled(false);
        b->SetOffEventEnabled(false);
        b->SetDays(0x41);
        alarms.SetEnabled(false);
    }
    TonOffTimerAlarmList alarms;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST(AlarmEditorEntry, NoListNoWindow)
{
    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    EXPECT_FALSE(EditAlarms(nullptr));
    EXPECT_TRUE(runner->Titles.empty());
}

TEST_F(AlarmEditor, RowsShowTimesDaysAndDisabledColumns)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.windowTitle(), "Alarm Clock Settings");
        ASSERT_EQ(f.ListView1->topLevelItemCount(), 2);
        QTreeWidgetItem* first = f.ListView1->topLevelItem(0);
        EXPECT_EQ(first->text(1), "07:30:00");
        EXPECT_EQ(first->text(2), "09:00:00");
        EXPECT_EQ(first->text(3), ".MTWTF.");
        QTreeWidgetItem* second = f.ListView1->topLevelItem(1);
        EXPECT_EQ(second->text(1), "[disabled]");
        EXPECT_EQ(second->text(2), "[disabled]");
        EXPECT_FALSE(f.cbAlarmList->isChecked());
        // Selecting a row fills the controls.
        f.ListView1->setCurrentItem(first);
        EXPECT_TRUE(f.cbDays[1]->isChecked());
        EXPECT_FALSE(f.cbDays[0]->isChecked());
        EXPECT_EQ(f.dtpOn->time(), QTime(7, 30));
        EXPECT_TRUE(f.cbUseOn->isChecked());
        Click(f.btnCancel);
    });
    EXPECT_FALSE(EditAlarms(&alarms));
}

// The row box's handler must not delete the row Qt is still changing: the rebuild waits for
// the event loop, while the alarm itself switches at once.
TEST_F(AlarmEditor, RowBoxSwitchesTheAlarmAndRebuildsOnlyAfterItsChange)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(1));
        QTreeWidgetItem* touched = f.ListView1->topLevelItem(0);
        touched->setCheckState(0, Qt::Unchecked);
        EXPECT_EQ(f.ListView1->topLevelItem(0), touched) << "the touched row was deleted inside its change";
        EXPECT_FALSE(f.Working().GetAlarm(0)->GetEnabled());
        QCoreApplication::processEvents();
        ASSERT_EQ(f.ListView1->topLevelItemCount(), 2);
        EXPECT_EQ(f.ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(f.ListView1->indexOfTopLevelItem(f.ListView1->currentItem()), 0)
            << "the touched row becomes the selected one";
        // Switched to and fro before the rebuild ran: the last state wins.
        QTreeWidgetItem* again = f.ListView1->topLevelItem(0);
        again->setCheckState(0, Qt::Checked);
        again->setCheckState(0, Qt::Unchecked);
        again->setCheckState(0, Qt::Checked);
        EXPECT_EQ(f.ListView1->topLevelItem(0), again);
        QCoreApplication::processEvents();
        EXPECT_TRUE(f.Working().GetAlarm(0)->GetEnabled());
        EXPECT_EQ(f.ListView1->topLevelItem(0)->checkState(0), Qt::Checked);
        // A row whose alarm has neither time cannot be switched on: the rebuild shows it off.
        f.ListView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
        QCoreApplication::processEvents();
        EXPECT_EQ(f.ListView1->topLevelItem(1)->checkState(0), Qt::Unchecked);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditAlarms(&alarms));
    EXPECT_TRUE(alarms.GetAlarm(0)->GetEnabled());
    EXPECT_FALSE(alarms.GetAlarm(1)->GetEnabled());
}

// The "Enabled" box of a row as drawn: the first column's cell of that row.
QImage EnabledCell(QTreeWidget& view, int row)
{
    const QRect cell = view.visualRect(view.model()->index(row, 0));
    return view.viewport()->grab(cell).toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of the cell stand out from its background (its top-left corner).
int MarkedPixels(const QImage& cell)
{
    const QColor background = cell.pixelColor(1, 1);
    int marked = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            const QColor c = cell.pixelColor(x, y);
            if (std::abs(c.lightness() - background.lightness()) > 70) ++marked;
        }
    return marked;
}

TEST_F(AlarmEditor, EveryRowsBoxShowsItsStateAndATapSwitchesIt)
{
    alarms.GetAlarm(0)->SetEnabled(true);
    TonOffTimerAlarm* third = alarms.AddNew();
    third->SetDays(0x7F);
    third->SetEnabled(false);
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.resize(900, 600);
        QCoreApplication::processEvents();
        // Rows 0 (on) and 2 (off) are not selected: the selection is on row 1.
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(1));
        QCoreApplication::processEvents();
        const QImage on = EnabledCell(*f.ListView1, 0), off = EnabledCell(*f.ListView1, 2);
        EXPECT_NE(on, off) << "a checked and an unchecked box look the same";
        EXPECT_GT(MarkedPixels(off), 40) << "an unselected row's box hardly shows";
        EXPECT_GT(MarkedPixels(on), MarkedPixels(off)) << "the check mark does not show";
        // The selected row's box shows too.
        EXPECT_GT(MarkedPixels(EnabledCell(*f.ListView1, 1)), 40);
        // A tap on the box switches the alarm, and the box then looks switched on.
        const QRect cell = f.ListView1->visualRect(f.ListView1->model()->index(2, 0));
        QTest::mouseClick(f.ListView1->viewport(), Qt::LeftButton, {}, QPoint(cell.x() + 18, cell.center().y()));
        QCoreApplication::processEvents();
        EXPECT_TRUE(f.Working().GetAlarm(2)->GetEnabled());
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(1));
        QCoreApplication::processEvents();
        // (the finger may still rest on it: its marks, not its every pixel, match row 0's)
        EXPECT_EQ(MarkedPixels(EnabledCell(*f.ListView1, 2)), MarkedPixels(on));
        Click(f.btnCancel);
    });
    EXPECT_FALSE(EditAlarms(&alarms));
}

TEST_F(AlarmEditor, CancelDiscardsAddUpdateDeleteAndTheListSwitch)
{
    const std::string before = Saved(alarms);
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        Click(f.btnEveryDay);
        Click(f.Button1);  // add
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(0));
        f.dtpOn->setTime(QTime(6, 0));
        Click(f.Button6);  // update
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(1));
        Click(f.Button5);  // delete
        f.cbAlarmList->setChecked(true);
        EXPECT_EQ(f.Working().Count(), 2);
        Click(f.btnCancel);
    });
    EXPECT_FALSE(EditAlarms(&alarms));
    EXPECT_EQ(Saved(alarms), before);
    EXPECT_FALSE(alarms.GetEnabled());
}

TEST_F(AlarmEditor, OkCommitsExactlyTheEditsAndRoundTripsThroughTheList)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        // A new weekend alarm from 22:00 to 02:00.
        Click(f.btnWeekends);
        EXPECT_TRUE(f.cbDays[0]->isChecked() && f.cbDays[6]->isChecked());
        EXPECT_FALSE(f.cbDays[3]->isChecked());
        f.cbUseOn->setChecked(true);
        f.cbUseOff->setChecked(true);
        f.dtpOn->setTime(QTime(22, 0));
        f.dtpOff->setTime(QTime(2, 0));
        Click(f.Button1);
        ASSERT_EQ(f.ListView1->topLevelItemCount(), 3);
        EXPECT_EQ(f.ListView1->currentItem(), f.ListView1->topLevelItem(2)) << "the new row is selected";
        // The first alarm is switched off by its row box; Update keeps that state.
        f.ListView1->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(0));
        Click(f.btnWeekdays);
        f.dtpOff->setTime(QTime(10, 15));
        Click(f.Button6);
        EXPECT_EQ(f.ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
        // Delete the second one: the selection moves up.
        f.ListView1->setCurrentItem(f.ListView1->topLevelItem(1));
        Click(f.Button5);
        EXPECT_EQ(f.ListView1->topLevelItemCount(), 2);
        EXPECT_EQ(f.ListView1->indexOfTopLevelItem(f.ListView1->currentItem()), 0);
        f.cbAlarmList->setChecked(true);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditAlarms(&alarms));
    EXPECT_TRUE(alarms.GetEnabled());
    ASSERT_EQ(alarms.Count(), 2);
    const TonOffTimerAlarm* first = alarms.GetAlarm(0);
    EXPECT_FALSE(first->GetEnabled());
    EXPECT_EQ(first->GetDays(), 0x3E);
    EXPECT_EQ(FormatAlarmTime(first->GetFinishTime()), "10:15:00");
    EXPECT_EQ(FormatAlarmTime(first->GetStartTime()), "07:30:00");
    const TonOffTimerAlarm* added = alarms.GetAlarm(1);
    EXPECT_TRUE(added->GetEnabled());
    EXPECT_EQ(added->GetDays(), 0x41);
    EXPECT_TRUE(added->FinishesNextDay());

    // Stored and read back, then opened again: the editor shows what was stored.
    TiniFile ini;
    alarms.SaveToIni(ini, "Alarms");
    TonOffTimerAlarmList reread;
    reread.LoadFromIni(ini, "Alarms");
    EXPECT_EQ(Saved(reread), Saved(alarms));
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_TRUE(f.cbAlarmList->isChecked());
        EXPECT_EQ(f.ListView1->topLevelItem(1)->text(1), "22:00:00");
        EXPECT_EQ(f.ListView1->topLevelItem(1)->text(3), "S.....S");
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditAlarms(&reread));
    EXPECT_EQ(Saved(reread), Saved(alarms));
    reread.SetEnabled(false);
    alarms.SetEnabled(false);
}

}  // namespace
}  // namespace tunecrest
