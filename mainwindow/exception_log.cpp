#include "mainwindow/exception_log.h"

#include <exception>

#include "core/base/append_file.h"
#include "core/base/date_time.h"
#include "core/base/services.h"

namespace tunecrest {

bool AppendExceptionLog(const std::string& file, const std::string& message) {
    std::string line = FormatLocaleDateTime(Now()) + ": " + message;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    line += '\n';
    std::string error;
    // The same file as the error log, kept within the same size.
    if (AppendLogBytes(file, line, ErrorLogLimit(), kOlderLogSuffix, &error)) return true;
    LogError("The exception log " + file + " could not be written (" + error + "): " + message);
    return false;
}

TtunecrestApplication::TtunecrestApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TtunecrestApplication::LogException(const std::string& message) const {
    if (FlogFile.empty())
        LogError(message);
    else
        AppendExceptionLog(FlogFile, message);
}

bool TtunecrestApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        LogException(e.what());
    } catch (...) {
        LogException("Unknown exception");
    }
    // The event counts as handled: the loop goes on with the next one.
    return true;
}

}  // namespace tunecrest
