// The party-play settings window edits a working copy: Cancel changes nothing, OK copies
// every box and the limit back; the password page's refusals leave the password as it was.
#include "mainwindow/party_play/party_play_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "core/base/services.h"
#include "mainwindow/party_play/party_play_guards.h"
#include "tests/support/recording_prompt.h"
#include "tests/support/tags.h"
#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

struct PartyPlayForm : ::testing::Test {
    void SetUp() override { test::App(); }
    void TearDown() override { SetPartyPlayRunner(nullptr); }
};

void Toggle(TfrmPartyPlay2& form, const char* name) {
    auto* cb = form.findChild<QCheckBox*>(name);
    ASSERT_NE(cb, nullptr) << name;
    cb->setChecked(!cb->isChecked());
}

TEST_F(PartyPlayForm, CancelChangesNothingAndOkCopiesBack) {
    TpartyPlaySettings settings;
    settings.SetPassword("pw");
    const TpartyPlaySettings before = settings;
    SetPartyPlayRunner([](TfrmPartyPlay2& form) {
        Toggle(form, "cbDisableStopControl");
        Toggle(form, "cbDisablePlaylistEditor");
        form.findChild<QSpinBox*>("speQueueLimit")->setValue(42);
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(EditPartyPlaySettings(settings));
    EXPECT_EQ(settings, before);

    SetPartyPlayRunner([](TfrmPartyPlay2& form) {
        Toggle(form, "cbDisableStopControl");
        Toggle(form, "cbDisablePlaylistEditor");
        Toggle(form, "cbDisableQueueMove");
        form.findChild<QSpinBox*>("speQueueLimit")->setValue(142);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(EditPartyPlaySettings(settings));
    EXPECT_FALSE(settings.GetDisableStopControl());
    EXPECT_FALSE(settings.GetDisablePlaylistEditor());
    EXPECT_TRUE(settings.GetDisableQueueMove());
    EXPECT_EQ(settings.GetQueueLimit(), 100);
    EXPECT_EQ(settings.GetPassword(), "pw");
}

TEST_F(PartyPlayForm, PagesAndHiddenBoxes) {
    TpartyPlaySettings settings;
    TfrmPartyPlay2 form(settings, false, nullptr, nullptr);
    form.show();
    QTabWidget* pages = form.Pages();
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "Options");
    EXPECT_FALSE(pages->isTabVisible(1)) << "the jukebox-control page is kept hidden";
    EXPECT_EQ(pages->tabText(2), "Password");
    for (const char* hidden : {"cbDisableTrackSearching", "cbDisableVolumeChange",
                               "cbDisableKeyboardShortcuts", "cbEnableCreditMode"})
        EXPECT_FALSE(form.findChild<QCheckBox*>(hidden)->isVisibleTo(&form)) << hidden;
    EXPECT_TRUE(form.findChild<QCheckBox*>("cbDisableStopControl")->isVisibleTo(&form));
    TfrmPartyPlay2 credit(settings, true, nullptr, nullptr);
    EXPECT_FALSE(credit.findChild<QCheckBox*>("cbEnableCreditMode")->isHidden());
}

TEST_F(PartyPlayForm, PasswordPage) {
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previous = SetPrompt(prompt);
    TpartyPlaySettings settings;
    settings.SetPassword("old");
    SetPartyPlayRunner([](TfrmPartyPlay2& form) {
        auto* button = form.findChild<QPushButton*>("btnSetPassword");
        EXPECT_EQ(button->text(), "Change Password");
        form.findChild<QLineEdit*>("edtCurrentPassword")->setText("OLD");
        form.findChild<QLineEdit*>("edtNewPassword")->setText("new");
        form.findChild<QLineEdit*>("edtConfirmPassword")->setText("new");
        form.SetPasswordClicked();
        form.findChild<QLineEdit*>("edtCurrentPassword")->setText("old");
        form.findChild<QLineEdit*>("edtConfirmPassword")->setText("neu");
        form.SetPasswordClicked();
        EXPECT_EQ(form.Settings().GetPassword(), "old");
        form.findChild<QLineEdit*>("edtCurrentPassword")->setText("old");
        form.findChild<QLineEdit*>("edtNewPassword")->setText("");
        form.findChild<QLineEdit*>("edtConfirmPassword")->setText("");
        form.SetPasswordClicked();
        EXPECT_EQ(button->text(), "Set Password");
        EXPECT_FALSE(form.findChild<QLineEdit*>("edtCurrentPassword")->isEnabled());
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(EditPartyPlaySettings(settings));
    EXPECT_EQ(settings.GetPassword(), "");
    SetPrompt(previous);
    EXPECT_EQ(prompt->Messages,
              (std::vector<std::string>{"Invalid Password|The password is not correct",
                                        "Invalid Password|The new passwords do not match"}));
}

// A host whose queue moves act on a real track list.
struct ControlHost : TpartyPlayHost {
    TaudioTagList queue;
    int stackerSwitches = 0;
    int QueueCount() const override { return queue.Count(); }
    void QueueMoveToAt(int i, int n) override { queue.Move(i, n); }
    void ToggleStackerEnabled() override { ++stackerSwitches; }
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
};

// The jukebox-control page (kept hidden in the window; shown here to be touched): a touched
// row puts its place, counted from 1, into the move-to box and "Move To" takes the row to
// the place the box shows; its buttons act though party play refuses the same commands
// elsewhere, the stacker switch too.
TEST_F(PartyPlayForm, JukeboxControlMovesTheTouchedRowToTheShownPlaceAndSwitchesTheStacker) {
    TactionList actions;
    TpartyPlaySettings settings;
    settings.SetDisableStackerControl(true);
    ControlHost host;
    for (const char* t : {"A", "B", "C", "D", "E"})
        host.queue.Add(test::MakeTag("X", t, 0, std::string("/m/") + t + ".mp3"));
    TpartyPlayGuards guards(actions, settings, host);
    ASSERT_TRUE(guards.SetPartyPlay(true));
    ASSERT_FALSE(guards.ToggleStacker(false)) << "party play refuses the stacker's own command";
    ASSERT_TRUE(settings.GetDisableQueueControls());

    TfrmPartyPlay2 form(settings, false, &guards, &host.queue);
    const int page = form.Pages()->indexOf(form.findChild<QWidget*>("tsJukeboxControl"));
    form.Pages()->setTabVisible(page, true);
    form.Pages()->setCurrentIndex(page);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* list = form.findChild<QListWidget*>("lbQueue");
    auto* place = form.findChild<QSpinBox*>("speMoveTo");
    auto* moveTo = form.findChild<QPushButton*>("btnMoveTo");
    const auto titles = [&] { return test::Titles(host.queue); };
    const auto touchRow = [&](int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    };
    touchRow(3);
    ASSERT_EQ(list->currentRow(), 3);
    EXPECT_EQ(place->value(), 4);
    EXPECT_EQ(place->maximum(), 5);
    QTest::mouseClick(moveTo, Qt::LeftButton);
    EXPECT_EQ(titles(), (std::vector<std::string>{"A", "B", "C", "D", "E"})) << "the shown place is the row's own";
    EXPECT_EQ(list->currentRow(), 3);
    // A place typed into the box, as the keys reach the box that has the focus.
    QTest::mouseClick(place, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), place);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "2");
    EXPECT_EQ(place->value(), 2);
    QTest::mouseClick(moveTo, Qt::LeftButton);
    EXPECT_EQ(titles(), (std::vector<std::string>{"A", "D", "B", "C", "E"}));
    EXPECT_EQ(list->currentRow(), 1) << "the moved row stays chosen";
    EXPECT_EQ(list->item(1)->text().toStdString(), host.queue.GetTag(1)->GetDisplayText(host.queue.DisplayFormat()));
    // The last place moves the row to the end.
    touchRow(0);
    QTest::mouseClick(place, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "5");
    QTest::mouseClick(moveTo, Qt::LeftButton);
    EXPECT_EQ(titles(), (std::vector<std::string>{"D", "B", "C", "E", "A"}));

    QTest::mouseClick(form.findChild<QPushButton*>("btnStackerEnabled"), Qt::LeftButton);
    EXPECT_EQ(host.stackerSwitches, 1);
}

}  // namespace
}  // namespace tunecrest
