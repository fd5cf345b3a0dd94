#pragma once
// The prompt the program installs: messages, questions, file choices and text entry
// as dialogs over the main window. Without a display (offscreen) it answers as the
// default prompt does, so an unattended run never waits on a hidden dialog.
#include "core/base/services.h"

namespace tunecrest {

class TqtPrompt : public Tprompt {
public:
    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title, bool defaultAnswer) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) override;
    std::vector<std::string> ChooseOpenFiles(const std::string& title, const std::string& filter,
                                             const std::string& folder) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string& initial) override;
    std::optional<std::string> AskTextEntry(const TtextRequest& request) override;

private:
    static bool Unattended();
};

}  // namespace tunecrest
