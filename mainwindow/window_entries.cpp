#include "mainwindow/window_entries.h"

#include <memory>

#include "core/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "windows/dialogs/countdown.h"
#include "windows/dialogs/reports_dialog.h"
#include "windows/dialogs/tag_plugins.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

void TwindowEntries::StartCountdown(QWidget*, int totalMs, const std::string& caption,
                                    const std::string& groupCaption, const std::string& message,
                                    std::function<void(int)> done) {
    const int result = RunCountdown(totalMs, caption, groupCaption, message);
    if (done) done(result);
}

void TwindowEntries::ShowReports(TcustomJukeboxList& library, const std::string& reportsFolder,
                                 const std::string& reportsIni) {
    ::tunecrest::ShowReports(&library, reportsFolder, reportsIni);
}

void TwindowEntries::ConfigurePlugins(std::string& folder) { ::tunecrest::ConfigurePlugins(folder, TaggerLoader()); }

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
