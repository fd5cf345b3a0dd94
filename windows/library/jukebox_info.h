#pragma once
// The information window: a read-only report of the library's and the jukebox's figures
// (global list, queue, stacker, activated playlist).
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace tunecrest {

class TcustomlocalJukeboxList;

// Total seconds as "h:mm:ss"; the hours never wrap into days.
std::string InfoDuration(uint64_t seconds);
// The report's lines, in order.
std::vector<std::string> JukeboxInfoLines(TcustomlocalJukeboxList& library);

class TfrmJukeboxInfo : public QDialog {
  public:
    explicit TfrmJukeboxInfo(QWidget* parent = nullptr);
    void Fill(TcustomlocalJukeboxList& library);
    QPlainTextEdit* mmoInfo;
    QWidget* btnClose;
};

// Shows the report modally; nothing without a library.
void ShowJukeboxInfo(TcustomlocalJukeboxList* library);

}  // namespace tunecrest
