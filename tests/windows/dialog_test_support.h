#pragma once
// What the dialog tests share: the scripted runner scope, a prompt that records messages
// and answers text questions, and touches on list rows.
#include <deque>
#include <optional>
#include <string>

#include <QListWidget>
#include <QTest>

#include "core/base/services.h"
#include "skin/modal_runner.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/dialogs/dialog_form.h"

namespace tunecrest::test {

// Records messages and questions; text questions take the queued answers in turn
// (nullopt: cancelled) and are recorded as "title|caption".
class TtextPrompt : public TrecordingPrompt {
public:
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string&) override
    {
        TextQuestions.push_back(title + "|" + caption);
        if (TextAnswers.empty()) return std::nullopt;
        std::optional<std::string> answer = TextAnswers.front();
        TextAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) override
    {
        SaveQuestions.push_back(title + "|" + filter + "|" + folder);
        return SaveAnswer;
    }
    std::deque<std::optional<std::string>> TextAnswers;
    std::vector<std::string> TextQuestions, SaveQuestions;
    std::optional<std::string> SaveAnswer;
};

// A test with the application, a scripted runner and the text prompt installed.
struct DialogTest : ::testing::Test {
    DialogTest() { App(); }
    ~DialogTest() override { SetPrompt(FpreviousPrompt); }
    std::shared_ptr<TtextPrompt> prompt = std::make_shared<TtextPrompt>();
    std::shared_ptr<Tprompt> FpreviousPrompt = SetPrompt(prompt);
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

// A finger taps what it sees: the row is scrolled into view first. (A swipe's scroller
// hands a held-back tap to the widget under the finger, so a tap on a row out of view
// would reach another widget.)
inline void TouchRow(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

inline std::vector<std::string> Rows(const QListWidget* list)
{
    std::vector<std::string> rows;
    for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
    return rows;
}

template <typename T>
T& As(QDialog& d)
{
    return dynamic_cast<T&>(d);
}

}  // namespace tunecrest::test
