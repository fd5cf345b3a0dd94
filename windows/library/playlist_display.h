#pragma once
// The playlist display: a small tool window that stays on top and shows the tracks of
// the jukebox's activated playlist with their count, play time and number of artists.
#include <QWidget>
#include <string>

class QLabel;
class QListWidget;

namespace tunecrest {

class TcustomJukebox;

class TfrmPlaylist : public QWidget {
  public:
    explicit TfrmPlaylist(QWidget* parent = nullptr);

    // Stores the jukebox and refills the window from it.
    void ShowPlaylist(TcustomJukebox* jukebox);
    // The library is going: nothing of it is kept.
    void Forget() { ShowPlaylist(nullptr); }
    TcustomJukebox* Jukebox() const { return Fjukebox; }

    QListWidget* lbPlaylist;
    QLabel* sbPlaylist[3];

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void Refill();
    TcustomJukebox* Fjukebox = nullptr;
    bool FplacedOnce = false;
};

}  // namespace tunecrest
