#include "windows/library/playlist_display.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/jukebox/jukebox.h"
#include "core/base/shared_utils.h"

namespace tunecrest {

TfrmPlaylist::TfrmPlaylist(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("frmPlaylist");
    setWindowTitle("Playlist");
    setMinimumSize(100, 100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lbPlaylist = new QListWidget(this);
    lbPlaylist->setObjectName("lbPlaylist");
    QFont rows = lbPlaylist->font();
    rows.setPointSize(13);
    lbPlaylist->setFont(rows);
    lbPlaylist->setStyleSheet("QListWidget::item { min-height: 36px; }");
    layout->addWidget(lbPlaylist, 1);
    auto* status = new QWidget(this);
    status->setObjectName("sbPlaylist");
    auto* statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(8, 4, 8, 4);
    const char* texts[3] = {"Count :", "Play Time :", "Artist Count :"};
    for (int i = 0; i < 3; ++i) {
        sbPlaylist[i] = new QLabel(texts[i], status);
        sbPlaylist[i]->setObjectName(QString("sbPlaylist%1").arg(i));
        sbPlaylist[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusLayout->addWidget(sbPlaylist[i], 1);
    }
    layout->addWidget(status);
    resize(420, 520);
}

void TfrmPlaylist::ShowPlaylist(TcustomJukebox* jukebox) {
    Fjukebox = jukebox;
    Refill();
}

void TfrmPlaylist::Refill() {
    lbPlaylist->clear();
    uint64_t duration = 0;
    int count = 0, artists = 0;
    if (const TaudioTagList* list = Fjukebox ? Fjukebox->ActivatedPlaylist() : nullptr) {
        TmyStringList lines;
        list->GetDisplayList(lines, false, mkAll);
        for (int i = 0; i < lines.Count(); ++i) lbPlaylist->addItem(QString::fromStdString(lines.Strings(i)));
        duration = list->TotalDuration();
        count = list->Count();
        artists = list->ArtistCount();
    }
    sbPlaylist[1]->setText(QString::fromStdString("Play Time : " + FormatHMS(int(duration))));
    sbPlaylist[0]->setText(QString::fromStdString("Count : " + std::to_string(count)));
    sbPlaylist[2]->setText(QString::fromStdString("Artist Count : " + std::to_string(artists)));
}

void TfrmPlaylist::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!FplacedOnce) {
        FplacedOnce = true;
        if (QWidget* owner = parentWidget())
            move(
                owner->mapToGlobal(QPoint((owner->width() - width()) / 2, (owner->height() - height()) / 2)));
    }
    Refill();
}

}  // namespace tunecrest
