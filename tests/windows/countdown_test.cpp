#include "windows/dialogs/countdown.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>

#include "dialog_test_support.h"
#include "support/manual_timers.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

using test::As;

struct Countdown : test::DialogTest {
    test::TmanualTimers timers;
};

TEST_F(Countdown, CountsDownOncePerSecondAndRunsWhenTheTimeIsUp)
{
    runner->Push([this](QDialog& d) {
        auto& w = As<TfrmRunCountdown>(d);
        EXPECT_EQ(w.windowTitle(), "Scheduled Media Scan");
        EXPECT_EQ(w.gbCountdown->title(), "Tunecrest Media Scan");
        EXPECT_EQ(w.lblMessage->text(), "Skip the scan by pressing Cancel in:");
        EXPECT_EQ(w.lblTime->text(), "15 seconds");
        timers.Advance(1000);
        EXPECT_EQ(w.lblTime->text(), "14 seconds");
        timers.Advance(13000);
        EXPECT_EQ(w.lblTime->text(), "1 seconds");
        EXPECT_TRUE(w.isVisible());
        timers.Advance(1000);  // the fifteenth tick
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_EQ(RunCountdown(15000, "Scheduled Media Scan", "Tunecrest Media Scan",
                           "Skip the scan by pressing Cancel in:"),
              1);
    EXPECT_EQ(timers.ActiveCount(), 0);
}

TEST_F(Countdown, RunNowCancelAndEnter)
{
    runner->Push([this](QDialog& d) {
        timers.Advance(3000);
        PressButton(*As<TfrmRunCountdown>(d).btnRunNow);
    });
    EXPECT_EQ(RunCountdown(15000, "A", "B", "C"), 1);

    runner->Push([](QDialog& d) { PressButton(*As<TfrmRunCountdown>(d).btnCancel); });
    EXPECT_EQ(RunCountdown(15000, "A", "B", "C"), 2);

    // Cancel is the default button: a stray Enter skips the action.
    runner->Push([](QDialog& d) { test::PressKey(d, Qt::Key_Return); });
    EXPECT_EQ(RunCountdown(15000, "A", "B", "C"), 2);
    runner->Push([](QDialog& d) { test::PressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(RunCountdown(15000, "A", "B", "C"), 2);
    // The timer of a cancelled countdown never fires into a closed dialog.
    EXPECT_EQ(timers.ActiveCount(), 0);
}

TEST_F(Countdown, ATotalBelowOneTickRunsAtTheFirstTick)
{
    runner->Push([this](QDialog& d) {
        EXPECT_EQ(As<TfrmRunCountdown>(d).lblTime->text(), "0 seconds");
        timers.Advance(1000);
    });
    EXPECT_EQ(RunCountdown(400, "A", "B", "C"), 1);
}

}  // namespace
}  // namespace tunecrest
