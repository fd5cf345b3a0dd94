#pragma once
// The main window's guarded step (`TfrmBaseJukebox::Guard`), for the files of the window
// whose steps may fail on their own: start-up and the saving of the settings.
#include <utility>

#include "mainwindow/window/guarded_step.h"
#include "mainwindow/window/main_form.h"

namespace tunecrest {

template <typename Step>
void TfrmBaseJukebox::Guard(const char* text, Step step) {
    RunGuardedStep(text, std::move(step));
}

}  // namespace tunecrest
