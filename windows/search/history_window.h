#pragma once
// The history window: the tracks the jukebox played, in order, with the time each
// started; a played file can be deleted from the disk and from the library.
#include <QDialog>
#include <string>

class QTreeWidget;
class QPushButton;

namespace tunecrest {

class TcustomlocalJukeboxList;

// "hh:mm" of a play time.
std::string HistoryPlayTime(double playTime);

// Deletes the file of history entry `row` after the question "Confirm Delete"; only a
// file that was really deleted leaves the history and the library. A failure shows
// "Unable to delete file : " and the name. True when the file was deleted.
bool DeleteHistoryFile(TcustomlocalJukeboxList& library, int row);

class TfrmHistory : public QDialog {
  public:
    explicit TfrmHistory(TcustomlocalJukeboxList& library, QWidget* parent = nullptr);
    // One row per history entry, in order.
    void Fill();
    void DeletePressed();

    QTreeWidget* lvHistory;
    QPushButton* btnDelete;
    QPushButton* btnClose;

  private:
    TcustomlocalJukeboxList& Flibrary;
};

// Shows the history modally, refilled whenever the history changes meanwhile.
void ShowHistory(TcustomlocalJukeboxList* library);

}  // namespace tunecrest
