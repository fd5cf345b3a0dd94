// The skinned question and message grow to their text: the long first-run question shows
// whole (wider first, then taller, never past the screen), a short one keeps its size.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

const char* const kFirstRunQuestion =
    "Initial Configuration\n\nThis is the first time that you have run Tunecrest Audio System\r\n\r\n"
    "Tunecrest Audio System can use DirectShow (default) for audio playback but it is recommended that you "
    "use Winamp for greater flexibility and support for more file formats.\r\n\r\nWould you like to use Winamp "
    "for audio playback?\r\n\r\n* Note that the use of Winamp requires Winamp (2.9+ or 5.0+) to be already "
    "installed.";

// The caption's text fits its label, wrapped as it is drawn, and the form the screen.
void ExpectWhole(QDialog& d) {
    auto& form = dynamic_cast<TfrmSkinnedOKCancel&>(d);
    const QLabel* caption = form.lblCaption;
    EXPECT_FALSE(caption->text().contains('\r'));
    const QRect needed = QFontMetrics(caption->font())
                             .boundingRect(QRect(0, 0, caption->width(), 100000),
                                           Qt::TextWordWrap | Qt::AlignCenter, caption->text());
    EXPECT_LE(needed.height(), caption->height()) << caption->text().toStdString();
    EXPECT_LE(needed.width(), caption->width());
    EXPECT_LE(caption->geometry().bottom(), form.btnOK->y());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(form.width(), screen.width());
    EXPECT_LE(form.height(), screen.height());
}

TEST(DialogFit, QuestionsAndMessagesShowTheirWholeText) {
    test::App();
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    QSize questionSize;
    runner->Push([&](QDialog& d) {
        ExpectWhole(d);
        questionSize = d.size();
        dynamic_cast<TfrmSkinnedOKCancel&>(d).btnCancel->Click();
    });
    EXPECT_EQ(ShowOKCancel(nullptr, kFirstRunQuestion), 2);
    EXPECT_GT(questionSize.width(), 240);
    EXPECT_GT(questionSize.height(), 140);

    runner->Push([](QDialog& d) {
        ExpectWhole(d);
        EXPECT_EQ(d.size(), QSize(240, 140));  // a short question keeps the designed size
        dynamic_cast<TfrmSkinnedOKCancel&>(d).btnOK->Click();
    });
    EXPECT_EQ(ShowOKCancel(nullptr, "Clear the queue?"), 1);

    runner->Push([](QDialog& d) {
        ExpectWhole(d);
        dynamic_cast<TfrmSkinnedOKCancel&>(d).btnOK->Click();
    });
    std::string words;
    for (int i = 0; i < 25; ++i) words += "The file /media/usb/Music/Album " + std::to_string(i) + " could not be read. ";
    ShowSkinnedMessage(words + "\r\rCheck the stick.", "A long message");
    EXPECT_EQ(runner->Pending(), 0);
}

}  // namespace
}  // namespace tunecrest
