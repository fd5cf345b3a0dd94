#pragma once
// The prompt service of the program when a display exists: core's messages and
// questions appear as the skinned dialogs on the touch screen, text and passwords are
// typed in the entry window with its on-screen keyboard, files and folders are chosen in
// the touch file chooser, colours in the touch colour chooser. The slot and alarm
// editors are the skinned windows.
#include <memory>

#include "core/base/services.h"

namespace tunecrest {

class TskinnedPrompt : public Tprompt {
public:
    void ShowMessage(const std::string& text, const std::string& title) override;
    // OK answers yes, Cancel no.
    bool AskYesNo(const std::string& text, const std::string& title, bool defaultAnswer) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string& initial) override;
    // The entry window in text mode, masked and accepting a blank answer on request.
    std::optional<std::string> AskTextEntry(const TtextRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) override;
    std::vector<std::string> ChooseOpenFiles(const std::string& title, const std::string& filter,
                                             const std::string& folder) override;
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& folder) override;
    bool CheckPassword(const std::string& password, const std::string& prompt) override;
    // The slot editors (choices from the slot list's jukebox, else SlotEditorJukebox) and
    // the alarm editor.
    bool EditSlot(TjukeboxSlot& slot, bool isNew) override;
    bool EditSlotList(TjukeboxSlotList& slotList) override;
    bool EditAlarms(TonOffTimerAlarmList& alarms) override;
};

// Installs TskinnedPrompt when the program has a widget application with a screen.
// Returns whether it did.
bool InstallSkinnedPrompt();

}  // namespace tunecrest
