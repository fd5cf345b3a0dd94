#include "windows/dialogs/url_list_editor.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "core/jukebox/global_prefs.h"
#include "dialog_test_support.h"
#include "skin/keyboard.h"
#include "support/keyboard_typing.h"
#include "windows/password_entry.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

using test::As;
using test::Rows;

struct UrlEditor : test::DialogTest {
    UrlEditor()
    {
        stations.Add("Jazz FM", "http://jazz.example.net:8000/");
        stations.Add("Blues Radio", "http://blues.example.net/live");
        stations.OnChange = [this](TObject*) { ++changes; };
    }
    TurlList stations;
    int changes = 0;
};

void Type(QLineEdit* edit, const std::string& text) { edit->setText(QString::fromStdString(text)); }

TEST_F(UrlEditor, AddReplacesUpdateNeedsAKnownIdAndOkHandsTheCopyBack)
{
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmEditURLs>(d);
        EXPECT_EQ(w.windowTitle(), "Edit URLs");
        EXPECT_EQ(Rows(w.lbURLs), (std::vector<std::string>{"Blues Radio", "Jazz FM"}));
        test::TouchRow(w.lbURLs, 1);
        EXPECT_EQ(w.edID->text(), "Jazz FM");
        EXPECT_EQ(w.edURL->text(), "http://jazz.example.net:8000/");
        // Update with a new ID changes nothing.
        Type(w.edID, "Soul Station");
        Type(w.edURL, "http://soul.example.net/");
        PressButton(*w.btnUpdate);
        EXPECT_EQ(w.URLs().Count(), 2);
        // Add with it adds; Add with an existing ID replaces its URL.
        PressButton(*w.btnAdd);
        Type(w.edID, "jazz fm");
        Type(w.edURL, "http://jazz.example.net:9000/");
        PressButton(*w.btnAdd);
        // The entry takes the name as typed.
        EXPECT_EQ(Rows(w.lbURLs), (std::vector<std::string>{"Blues Radio", "jazz fm", "Soul Station"}));
        // Update of a known ID; empty edits do nothing.
        Type(w.edID, "Blues Radio");
        Type(w.edURL, "http://blues.example.net/hq");
        PressButton(*w.btnUpdate);
        Type(w.edURL, "");
        PressButton(*w.btnAdd);
        PressButton(*w.btnUpdate);
        test::TouchRow(w.lbURLs, 2);
        PressButton(*w.btnDelete);
        EXPECT_EQ(Rows(w.lbURLs), (std::vector<std::string>{"Blues Radio", "jazz fm"}));
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(EditURLs(&stations));
    EXPECT_EQ(stations.Lines(), (std::vector<std::string>{"Blues Radio=http://blues.example.net/hq",
                                                          "jazz fm=http://jazz.example.net:9000/"}));
    EXPECT_EQ(changes, 1);  // the caller hears of the change once, at OK
}

// A station's address typed by touch: small letters, ":" and "/" from the on-screen keyboard.
TEST_F(UrlEditor, AStationsAddressIsTypedOnTheOnScreenKeyboard)
{
    SetPrompt(std::make_shared<TskinnedPrompt>());
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    auto touch = [](int code) {
        for (int i = 0; i < kKeyboardKeyCount; ++i)
            if (kKeyboardKeys[size_t(i)].Code == code) test::Press(Keyboard().Key(i));
    };
    runner->Push([&](QDialog& d) {
        auto& w = As<TfrmEditURLs>(d);
        runner->Push([&](QDialog& entry) {
            test::Press(Keyboard().Key(kCaseKeyIndex));
            for (char c : std::string("http://radio.example:8000/live_1-hq"))
                touch(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            test::Press(dynamic_cast<TfrmPassword2&>(entry).btnOK);
        });
        QTest::mouseClick(w.edURL, Qt::LeftButton, {}, w.edURL->rect().center());
        EXPECT_EQ(w.edURL->text(), "http://radio.example:8000/live_1-hq");
        Type(w.edID, "Radio");
        PressButton(*w.btnAdd);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(EditURLs(&stations));
    EXPECT_EQ(stations.Lines().back(), "Radio=http://radio.example:8000/live_1-hq");
}

TEST_F(UrlEditor, CancelAfterEditsLeavesTheListAsItWas)
{
    const std::vector<std::string> before = stations.Lines();
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmEditURLs>(d);
        test::TouchRow(w.lbURLs, 0);
        PressButton(*w.btnDelete);
        Type(w.edID, "New");
        Type(w.edURL, "http://new.example.net/");
        PressButton(*w.btnAdd);
        EXPECT_EQ(w.URLs().Count(), 2);
        PressButton(*w.btnCancel);
    });
    EXPECT_FALSE(EditURLs(&stations));
    EXPECT_EQ(stations.Lines(), before);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(EditURLs(nullptr));  // nothing to edit: no window
    EXPECT_EQ(runner->Titles.size(), 1u);
}

TEST_F(UrlEditor, WithTheKeyboardsOnATouchOnAnEditAsksThroughTheTextEntry)
{
    const bool keyboards = GlobalPrefs().OnScreenKeyboardsEnabled();
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    prompt->TextAnswers = {std::string("Rock Radio"), std::nullopt};
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmEditURLs>(d);
        Type(w.edURL, "http://rock.example.net/");
        QTest::mouseClick(w.edID, Qt::LeftButton);
        EXPECT_EQ(w.edID->text(), "Rock Radio");
        QTest::mouseClick(w.edURL, Qt::LeftButton);  // cancelled: the text stays
        EXPECT_EQ(w.edURL->text(), "http://rock.example.net/");
        PressButton(*w.btnAdd);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(EditURLs(&stations));
    EXPECT_EQ(stations.GetValue("Rock Radio"), "http://rock.example.net/");
    EXPECT_EQ(prompt->TextQuestions,
              (std::vector<std::string>{"Edit URLs|Station name", "Edit URLs|Station address (URL)"}));
    GlobalPrefs().SetOnScreenKeyboardsEnabled(keyboards);
}

}  // namespace
}  // namespace tunecrest
