#pragma once
// A prompt that records what it is asked: messages as "title|text", questions by text,
// answered with Answer (after BeforeAnswer, when set).
#include <functional>
#include <string>
#include <vector>

#include "core/base/services.h"

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

// Answers the party-play password question with `Typed` and records the prompts shown.
class TtypedPasswordPrompt : public Tprompt {
  public:
    bool CheckPassword(const std::string& password, const std::string& prompt) override {
        Prompts.push_back(prompt);
        return password.empty() || PasswordMatches(password, Typed);
    }
    std::string Typed;
    std::vector<std::string> Prompts;
};

}  // namespace tunecrest::test
