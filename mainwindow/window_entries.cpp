#include "mainwindow/window_entries.h"

#include <memory>

#include "mainwindow/main_form.h"

namespace tunecrest {

void InstallWindowEntries(TfrmBaseJukebox& form) { form.SetDialogEntries(std::make_unique<TwindowEntries>(form)); }

}  // namespace tunecrest
