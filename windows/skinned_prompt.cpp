#include "windows/skinned_prompt.h"

#include <QApplication>
#include <QScreen>

#include "skin/color_panels.h"
#include "skin/small_dialogs.h"
#include "windows/dialogs/file_chooser.h"
#include "windows/editors/alarm_editor.h"
#include "windows/editors/color_chooser.h"
#include "windows/editors/slot_editors.h"
#include "windows/password_entry.h"

namespace tunecrest {

void TskinnedPrompt::ShowMessage(const std::string& text, const std::string& title)
{
    ShowSkinnedMessage(text, title);
}

bool TskinnedPrompt::AskYesNo(const std::string& text, const std::string& title, bool)
{
    return ShowOKCancel(SkinTemplateButton(), title.empty() ? text : title + "\n\n" + text) == 1;
}

std::optional<std::string> TskinnedPrompt::AskText(const std::string& title, const std::string& caption,
                                                   const std::string& initial)
{
    TtextRequest request;
    request.Title = title;
    request.Caption = caption;
    request.Initial = initial;
    return AskTextEntry(request);
}

std::optional<std::string> TskinnedPrompt::AskTextEntry(const TtextRequest& request)
{
    std::string text = request.Initial;
    if (!InputString(text, request.Caption.empty() ? request.Title : request.Caption, request.AllowBlank,
                     request.Masked))
        return std::nullopt;
    return text;
}

std::optional<std::string> TskinnedPrompt::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                          const std::string& folder)
{
    return ChooseFileToOpen(title, filter, folder);
}

std::optional<std::string> TskinnedPrompt::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                          const std::string& folder)
{
    return ChooseFileToSave(title, filter, folder);
}

std::vector<std::string> TskinnedPrompt::ChooseOpenFiles(const std::string& title, const std::string& filter,
                                                         const std::string& folder)
{
    return ChooseFilesToOpen(title, filter, folder);
}

std::optional<std::string> TskinnedPrompt::ChooseFolder(const std::string& title, const std::string& folder)
{
    return ChooseFolderName(title, folder);
}

bool TskinnedPrompt::CheckPassword(const std::string& password, const std::string& prompt)
{
    return tunecrest::CheckPassword(password, prompt);
}

bool TskinnedPrompt::EditSlot(TjukeboxSlot& slot, bool)
{
    return EditJukeboxSlot(slot, SlotEditorJukebox(), false);
}

bool TskinnedPrompt::EditSlotList(TjukeboxSlotList& slotList) { return EditJukeboxSlots(slotList); }

bool TskinnedPrompt::EditAlarms(TonOffTimerAlarmList& alarms) { return tunecrest::EditAlarms(&alarms); }

bool InstallSkinnedPrompt()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !QGuiApplication::primaryScreen()) return false;
    SetPrompt(std::make_shared<TskinnedPrompt>());
    // Colours (the skin editor's, a colour list's "Choose a Color...") in the touch chooser.
    SetColorDialogCall([](QWidget* parent, TColor initial) { return ChooseColor(parent, initial); });
    return true;
}

}  // namespace tunecrest
