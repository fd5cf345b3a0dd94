#include "mainwindow/window_entries.h"

#include <memory>

#include "mainwindow/main_form.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

void TwindowEntries::ShowActionButtonPad(TactionButtonPad& pad) { tunecrest::ShowActionButtonPad(pad); }

bool TwindowEntries::EditLaunchers(TappLauncherList& list, const std::string& caption) {
    return EditAppLauncherList(list, caption);
}

void InstallWindowEntries(TfrmBaseJukebox& form) {
    form.SetDialogEntries(std::make_unique<TwindowEntries>(form));
    // The remote-control actions' Edit operations open their dialogs.
    InstallRemoteEditors();
}

}  // namespace tunecrest
