#pragma once
// The last line of defence of the event loop: an exception that escapes a slot or an
// event handler is caught around Qt's dispatch, written as one line to the log and the
// program goes on with the next event. Nothing is shown to the person at the jukebox.
#include <QApplication>
#include <string>

namespace tunecrest {

// Appends one line to `file`: the local date and time (short date, then the long time
// unless it is midnight), ": " and the message with its line breaks turned into blanks.
// Earlier lines are never rewritten (past the error log's size the file is moved aside as
// the error log is); false (with the reason logged) when the file cannot be appended to.
bool AppendExceptionLog(const std::string& file, const std::string& message);

class TtunecrestApplication : public QApplication {
  public:
    TtunecrestApplication(int& argc, char** argv);
    // The log file (log.log in the data folder); empty: the error log of LogError.
    void SetExceptionLogFile(const std::string& file) { FlogFile = file; }
    const std::string& ExceptionLogFile() const { return FlogFile; }
    bool notify(QObject* receiver, QEvent* event) override;
    // The logging alone, for callers that catch themselves.
    void LogException(const std::string& message) const;

  private:
    std::string FlogFile;
};

}  // namespace tunecrest
