// Drag and drop in the playlist editor: the edited list's rows take drops from the songs
// list, the library tree and themselves; the editor adds or moves the tracks.
#include "windows/library/playlist_editor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QTreeWidget>
#include <vector>

#include "skin/jukebox_list_viewer.h"
#include "windows/event_rules.h"

namespace tunecrest {

// --- the edited list's rows ----------------------------------------------------------

void TplaylistRows::startDrag(Qt::DropActions actions) {
    DragRow = currentRow();
    QListWidget::startDrag(actions);
}

void TplaylistRows::dragEnterEvent(QDragEnterEvent* e) {
    if (AcceptsFrom && AcceptsFrom(e->source()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TplaylistRows::dragMoveEvent(QDragMoveEvent* e) {
    if (!AcceptsFrom || !AcceptsFrom(e->source())) {
        e->ignore();
        return;
    }
    // The row under the cursor is shown as the drop place.
    const int row = indexAt(e->position().toPoint()).row();
    if (row >= 0) SetCurrentRowInCode(*this, row);
    e->acceptProposedAction();
}

void TplaylistRows::dropEvent(QDropEvent* e) {
    if (!AcceptsFrom || !AcceptsFrom(e->source())) {
        e->ignore();
        return;
    }
    const int row = indexAt(e->position().toPoint()).row();
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (DropFrom) DropFrom(e->source(), row);
}

bool TfrmNewPlaylistEditor::AcceptsDrop(QObject* source) const {
    if (!source) return false;
    if (source == lbPlaylist) return true;
    if (source == lbSongs) return lbSongs->count() > 0;
    if (source == tvJukebox) return TcustomJukeboxListViewer::ItemData(tvJukebox->currentItem()) != nullptr;
    return false;
}

std::vector<TaudioTagPtr> TfrmNewPlaylistEditor::NodeTracks(QTreeWidgetItem* item) const {
    auto* list = dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(item));
    return list ? list->Items() : std::vector<TaudioTagPtr>{};
}

void TfrmNewPlaylistEditor::Drop(QObject* source, int row) {
    TaudioTagList* list = CurrentList();
    if (!list || !AcceptsDrop(source)) return;
    if (source == lbSongs) {
        AddSelectedTracks();
        return;
    }
    if (source == tvJukebox) {
        AddTracks(NodeTracks(tvJukebox->currentItem()));
        return;
    }
    const int from = lbPlaylist->DragRow;
    if (from < 0 || from >= int(FlistRows.size())) return;
    const TaudioTagPtr tag = FlistRows[size_t(from)];
    const int to = row < 0 || row >= int(FlistRows.size()) ? list->Count() - 1
                                                           : list->IndexOf(FlistRows[size_t(row)].get());
    list->Move(list->IndexOf(tag.get()), to);
    UpdateList();
    SelectTrack(tag.get());
}

}  // namespace tunecrest
