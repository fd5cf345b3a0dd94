// The party-play settings window edits a working copy: Cancel changes nothing, OK copies
// every box and the limit back; the password page's refusals leave the password as it was.
#include "mainwindow/party_play/party_play_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "core/base/services.h"
#include "tests/support/recording_prompt.h"
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

}  // namespace
}  // namespace tunecrest
