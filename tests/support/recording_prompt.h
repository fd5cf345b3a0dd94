#pragma once
// A prompt that records what it is asked: messages as "title|text", questions by text,
// answered with Answer (after BeforeAnswer, when set).
#include <functional>
#include <string>
#include <vector>

#include "core/services.h"

namespace tunecrest::test {

class TrecordingPrompt : public Tprompt {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        Messages.push_back(title + "|" + text);
    }
    bool AskYesNo(const std::string& text, const std::string&, bool) override {
        Questions.push_back(text);
        if (BeforeAnswer) BeforeAnswer();
        return Answer;
    }
    std::vector<std::string> Messages, Questions;
    bool Answer = true;
    std::function<void()> BeforeAnswer;
};

}  // namespace tunecrest::test
