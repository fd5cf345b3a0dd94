#pragma once
// One step of the main window's life that may fail on its own (a construction step, a
// part started at start-up or stopped at close): the failure is logged and shown with
// the step's text, ":\r\n\r\n" and the message in the "Application Error" box, and the
// caller goes on with the next step.
#include <exception>
#include <string>

#include "core/base/services.h"

namespace tunecrest {

template <typename Step>
void RunGuardedStep(const char* text, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        LogError(std::string(text) + ":\r\n\r\n" + e.what());
        Prompt().ShowMessage(std::string(text) + ":\r\n\r\n" + e.what(), "Application Error");
    }
}

}  // namespace tunecrest
