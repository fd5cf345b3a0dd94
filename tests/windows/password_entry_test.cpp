#include "windows/password_entry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/base/date_time.h"

#include "core/jukebox/global_prefs.h"
#include "skin/color_panels.h"
#include "skin/skin_button.h"
#include "support/recording_prompt.h"
#include "support/keyboard_typing.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

using test::Press;
using test::TscriptedModalRunner;
using test::TypeOnKeyboard;



TfrmPassword2& Window(QDialog& d) { return dynamic_cast<TfrmPassword2&>(d); }

struct PasswordEntry : ::testing::Test {
    void SetUp() override
    {
        test::App();
        previousPrompt = SetPrompt(prompt);
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    }
    void TearDown() override { SetPrompt(previousPrompt); }
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST(PasswordVerdict, WholeTextWithoutRegardToCase)
{
    EXPECT_EQ(JudgeEntry("Party", "party"), TentryVerdict::Accept);
    EXPECT_EQ(JudgeEntry("Party", "Par"), TentryVerdict::Incorrect);
    EXPECT_EQ(JudgeEntry("Party", "Party!"), TentryVerdict::Incorrect);
    EXPECT_EQ(JudgeEntry("Party", ""), TentryVerdict::Blank);
    EXPECT_EQ(JudgeEntry("", "My list"), TentryVerdict::Accept);
    EXPECT_EQ(JudgeEntry("", ""), TentryVerdict::Blank);
}

TEST_F(PasswordEntry, EmptyPasswordPassesWithoutAWindow)
{
    EXPECT_TRUE(CheckPassword("", "Enter the password"));
    EXPECT_TRUE(runner->Titles.empty());
}

TEST_F(PasswordEntry, RightWrongAndCancelled)
{
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.windowTitle(), "Enter Password");
        EXPECT_EQ(w.pnlCaption->text(), "Switch party play off");
        EXPECT_EQ(w.edPassword->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(w.isAncestorOf(&Keyboard()));
        TypeOnKeyboard("open1");  // typed in capitals on the keyboard; the case does not count
        EXPECT_EQ(w.edPassword->text(), "OPEN1");
        Press(w.btnOK);
    });
    EXPECT_TRUE(CheckPassword("Open1", "Switch party play off"));

    runner->Push([this](QDialog& d) {
        auto& w = Window(d);
        TypeOnKeyboard("open");  // a prefix of the password
        Press(w.btnOK);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.edPassword->text(), "");
        EXPECT_EQ(prompt->Messages, (std::vector<std::string>{"Invalid Password|The password is incorrect."}));
        Press(w.btnOK);  // nothing typed
        EXPECT_EQ(prompt->Messages.back(), "Blank Entry|You must enter something!");
        Press(w.btnCancel);
    });
    // A wrong password leaves party play as it was.
    bool partyPlay = true;
    if (CheckPassword("Open1", "Switch party play off")) partyPlay = false;
    EXPECT_TRUE(partyPlay);

    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        w.edPassword->setText("open1");
        QTest::keyClick(&w, Qt::Key_Return);  // Enter acts on release
    });
    EXPECT_TRUE(CheckPassword("Open1", "Password"));
    EXPECT_EQ(runner->Pending(), 0);
}

TEST_F(PasswordEntry, InputStringHandsTheTextBack)
{
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.edPassword->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(w.edPassword->text(), "Old name");  // the caller's text, ready to change
        EXPECT_FALSE(w.edPassword->hasSelectedText());  // keys add to it: nothing shows as if it would be replaced
        TypeOnKeyboard(" 2");
        EXPECT_EQ(w.edPassword->text(), "Old name 2");
        Press(Keyboard().Key(48));  // "Clr"
        TypeOnKeyboard("QUEUE 2");
        Press(w.btnOK);
    });
    std::string text = "Old name";
    EXPECT_TRUE(InputString(text, "Name of the new playlist"));
    EXPECT_EQ(text, "QUEUE 2");

    runner->Push([this](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.edPassword->text(), "QUEUE 2");
        Press(Keyboard().Key(48));  // "Clr"
        Press(w.btnOK);  // empty: refused, the window stays
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(prompt->Messages, (std::vector<std::string>{"Blank Entry|You must enter something!"}));
        TypeOnKeyboard("ABC");
        Press(w.btnCancel);
    });
    EXPECT_FALSE(InputString(text, "Name of the new playlist"));
    EXPECT_EQ(text, "ABC");  // what was typed comes back with Cancel too
}

TEST_F(PasswordEntry, BlankAndMaskedAnswersWhereTheCallerAllowsThem)
{
    // A mapping offers "leave blank": OK with nothing typed is an answer.
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.edPassword->text(), "Smith, John");
        Press(Keyboard().Key(48));  // "Clr"
        Press(w.btnOK);
    });
    std::string text = "Smith, John";
    EXPECT_TRUE(InputString(text, "Enter Mapped Name", true));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(prompt->Messages.empty());

    // A new password is typed masked, on a screen guests can see.
    SetPrompt(std::make_shared<TskinnedPrompt>());
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.edPassword->echoMode(), QLineEdit::Password);
        EXPECT_EQ(w.edPassword->text(), "");
        TypeOnKeyboard("NEW1");
        Press(w.btnOK);
    });
    TtextRequest request;
    request.Caption = "Enter the new password...";
    request.Masked = true;
    request.AllowBlank = true;
    EXPECT_EQ(Prompt().AskTextEntry(request), std::optional<std::string>("NEW1"));
    runner->Push([](QDialog& d) { Press(Window(d).btnOK); });  // emptied: removes the password
    EXPECT_EQ(Prompt().AskTextEntry(request), std::optional<std::string>(""));
    // The next plain question shows its text in clear again.
    runner->Push([](QDialog& d) {
        EXPECT_EQ(Window(d).edPassword->echoMode(), QLineEdit::Normal);
        Press(Window(d).btnOK);
    });
    EXPECT_EQ(Prompt().AskText("Rename Playlist", "Enter a Name : ", "Rock"), std::optional<std::string>("Rock"));
}

TEST_F(PasswordEntry, EnterFromAKeyboardAndTypingAfterAWrongTryGoToTheEntry)
{
    // The wrong-password message is the real skinned message box.
    SetPrompt(std::make_shared<TskinnedPrompt>());
    runner->Push([this](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(QApplication::focusWidget(), w.edPassword);
        QTest::keyClicks(QApplication::focusWidget(), "nope");
        runner->Push([](QDialog& box) { QTest::keyClick(&box, Qt::Key_Return); });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.edPassword->text(), "");
        // Keys typed now reach the edit without a tap first.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w.edPassword; }, 2000));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), "open1");
        EXPECT_EQ(w.edPassword->text(), "open1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(CheckPassword("Open1", "Switch party play off"));
    EXPECT_EQ(runner->Names, (std::vector<std::string>{"frmPassword2", "frmSkinnedOKCancel"}));
    EXPECT_EQ(runner->Pending(), 0);
}

TEST_F(PasswordEntry, WrongTriesMakeTheNextOneWaitButNeverLockTheOwnerOut)
{
    EXPECT_EQ(TpasswordThrottle::WaitAfter(3), 0);
    EXPECT_EQ(TpasswordThrottle::WaitAfter(4), 2000);
    EXPECT_EQ(TpasswordThrottle::WaitAfter(5), 4000);
    EXPECT_EQ(TpasswordThrottle::WaitAfter(9), 60000);
    EXPECT_EQ(TpasswordThrottle::WaitAfter(500), 60000);

    TDateTime now = EncodeDate(2024, 5, 1) + EncodeTime(22, 0, 0, 0);
    SetClock([&now] { return now; });
    const TDateTime second = 1.0 / 86400;
    runner->Push([](QDialog& d) {
        TypeOnKeyboard("OPEN1");  // a right password first: no wrong tries counted from before
        Press(Window(d).btnOK);
    });
    ASSERT_TRUE(CheckPassword("Open1", "Party play password"));
    runner->Push([&](QDialog& d) {
        auto& w = Window(d);
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(w.btnOK->isEnabled()) << i;
            TypeOnKeyboard("GUESS");
            Press(w.btnOK);
        }
        // Four wrong tries: the next one waits 2 s, shown in the prompt, OK disabled.
        EXPECT_FALSE(w.btnOK->isEnabled());
        EXPECT_EQ(w.pnlCaption->text(), "Too many wrong tries: wait 2 s");
        TypeOnKeyboard("OPEN1");  // typing goes on while waiting
        QTest::keyClick(w.edPassword, Qt::Key_Return);
        EXPECT_TRUE(w.isVisible());  // not tried yet
        EXPECT_EQ(w.edPassword->text(), "OPEN1");
        now += 2 * second;
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.btnOK->isEnabled(); }, 5000));
        EXPECT_EQ(w.pnlCaption->text(), "Party play password");
        // One more wrong try now waits twice as long.
        Press(Keyboard().Key(48));
        TypeOnKeyboard("GUESS");
        Press(w.btnOK);
        EXPECT_EQ(w.WaitLeft(), 4000);
        Press(w.btnCancel);
    });
    EXPECT_FALSE(CheckPassword("Open1", "Party play password"));
    // Closing and opening again does not skip the wait.
    runner->Push([&](QDialog& d) {
        auto& w = Window(d);
        EXPECT_FALSE(w.btnOK->isEnabled());
        now += 4 * second;
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.btnOK->isEnabled(); }, 5000));
        TypeOnKeyboard("OPEN1");
        Press(w.btnOK);
    });
    EXPECT_TRUE(CheckPassword("Open1", "Party play password"));
    // The right password cleared the count: a wrong try costs no wait again.
    runner->Push([&](QDialog& d) {
        auto& w = Window(d);
        TypeOnKeyboard("GUESS");
        Press(w.btnOK);
        EXPECT_TRUE(w.btnOK->isEnabled());
        EXPECT_EQ(w.WaitLeft(), 0);
        Press(w.btnCancel);
    });
    EXPECT_FALSE(CheckPassword("Open1", "Party play password"));
    SetClock(nullptr);
}

TEST_F(PasswordEntry, KeyboardSwitchShapesTheWindow)
{
    GlobalPrefs().SetKeySize(60);
    Keyboard().SetKeySize(60);
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.width(), 664);  // eleven keys of 60 and 4
        EXPECT_GE(w.height(), 300);
        // 1.5 x the larger of the button height and 50, or wider for a caption.
        EXPECT_GE(w.btnOK->width(), 75);
        EXPECT_EQ(w.btnCancel->width(), w.btnOK->width());
        EXPECT_TRUE(w.btnOK->CaptionFits());
        EXPECT_TRUE(w.btnCancel->CaptionFits());
        Press(w.btnCancel);
    });
    EXPECT_FALSE(CheckPassword("x", "Password"));

    GlobalPrefs().SetOnScreenKeyboardsEnabled(false);
    runner->Push([](QDialog& d) {
        auto& w = Window(d);
        EXPECT_EQ(w.width(), 300);
        EXPECT_TRUE(w.pnlKeyboard->isHidden());
        EXPECT_FALSE(w.isAncestorOf(&Keyboard()));
        Press(w.btnCancel);
    });
    EXPECT_FALSE(CheckPassword("x", "Password"));
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
}

TEST_F(PasswordEntry, SkinnedPromptAsksThroughTheSkinnedWindows)
{
    SetPrompt(std::make_shared<TskinnedPrompt>());
    runner->Push([](QDialog& d) {
        TypeOnKeyboard("MIX");
        Press(Window(d).btnOK);
    });
    EXPECT_EQ(Prompt().AskText("Save Queue", "Playlist name", ""), std::optional<std::string>("MIX"));
    runner->Push([](QDialog& d) { Press(Window(d).btnCancel); });
    EXPECT_EQ(Prompt().AskText("Save Queue", "Playlist name", ""), std::nullopt);
    runner->Push([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Return); });
    EXPECT_TRUE(Prompt().AskYesNo("Clear the queue?", "Queue", false));
    runner->Push([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_FALSE(Prompt().AskYesNo("Clear the queue?", "Queue", true));
    runner->Push([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Return); });
    Prompt().ShowMessage("The file is missing", "Error");
    runner->Push([](QDialog& d) { Press(Window(d).btnCancel); });
    EXPECT_FALSE(Prompt().CheckPassword("secret", "Password"));
    EXPECT_TRUE(Prompt().CheckPassword("", "Password"));
    EXPECT_EQ(runner->Names, (std::vector<std::string>{"frmPassword2", "frmPassword2", "frmSkinnedOKCancel",
                                                        "frmSkinnedOKCancel", "frmSkinnedOKCancel", "frmPassword2"}));
    EXPECT_TRUE(InstallSkinnedPrompt());
    SetColorDialogCall({});  // the colour chooser it installed is for the program, not the next tests
}

}  // namespace
}  // namespace tunecrest
