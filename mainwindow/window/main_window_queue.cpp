// The main window's queue: adding the chosen rows, the queue list and its header, and the
// queue operations the action table and the remote commands run.
#include <QApplication>
#include <filesystem>
#include <string>
#include <utility>

#include "core/base/services.h"
#include "mainwindow/views/list_display.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/party_play/party_play_form.h"
#include "mainwindow/actions/queue_actions.h"
#include "mainwindow/party_play/song_search_queue.h"
#include "mainwindow/layout/main_layout.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {
std::string TrackLine(const TaudioTag& tag) {
    std::string line = tag.Artist().empty() ? tag.Title() : tag.Artist() + " - " + tag.Title();
    if (line.empty()) line = std::string(tag.Filename().Name());
    return line;
}
}  // namespace

void TfrmBaseJukebox::QueueAddSelected() {
    if (!Flist || !Flayout) return;
    TtouchListBox& list = *Flayout->TrackList;
    const TtrackRows& rows = Flayout->Lists().Rows();
    // A tap marks the current row; with nothing else selected it is the row meant.
    auto selected = [&](int row) {
        return list.Selected(row) || (list.SelectedCount() == 0 && row == list.ItemIndex());
    };
    list.BeginUpdate();
    if (rows.Urls) {
        // A station is not queued: it plays at once.
        for (int i = 0; i < rows.Count(); ++i) {
            if (!selected(i)) continue;
            if (auto* p = Fcontroller.Player()) {
                SetRadioName(rows.Urls->GetName(i));
                p->PlayURL(rows.Urls->GetURL(i));
                UpdateSongTitle();
            }
            list.SetSelected(i, false);
            break;
        }
        list.EndUpdate();
        return;
    }
    if (!rows.Source) {
        list.EndUpdate();
        return;
    }
    // The rows go the one road of every chosen track: credits, the queue's limit, and
    // a status that names the tracks the queue really took.
    TaddSelectedRows walk;
    walk.RowCount = rows.Count();
    walk.IsSelected = selected;
    walk.TagOf = [&rows](int row) { return rows.Tracks[size_t(row)]; };
    walk.Deselect = [&list](int row) { list.SetSelected(row, false); };
    QueueChosenRows(*Flist, *Fguards, std::move(walk), [this](const std::string& text) { ShowStatus(text); });
    list.EndUpdate();
}

void TfrmBaseJukebox::QueueAddAll() {
    if (!Flist || !Flayout) return;
    const auto* shown = dynamic_cast<const TaudioTagList*>(Flayout->Lists().Rows().Source.get());
    if (shown) Flist->AddListToQueue(*shown);
}

void TfrmBaseJukebox::UpdateQueueHeader() {
    if (!Flayout) return;
    const TaudioTagList* queue = Flist ? &Flist->Jukebox()->Queue() : nullptr;
    Flayout->SetQueueHeader(QueueHeaderText(Flayout->ListFonts, queue ? queue->Count() : 0,
                                            queue ? queue->TotalDuration() : 0));
}

void TfrmBaseJukebox::QueueChanged() {
    if (!FqueueList || !Flist || Closing()) return;
    FqueueLines.clear();
    auto& queue = Flist->Jukebox()->Queue();
    for (int i = 0; i < queue.Count(); ++i)
        if (auto tag = queue.GetTag(i)) FqueueLines.push_back(TrackLine(*tag));
    Flayout->Lists().KeepTrackCount = Fsettings.KeepQueueTrackCount;
    Flayout->Lists().RefreshQueue(queue);
    UpdateQueueHeader();
    // The party-play window's queue page, while it is open.
    RefreshPartyPlayQueueList();
}

int TfrmBaseJukebox::QueueCount() const { return Flist ? Flist->Jukebox()->Queue().Count() : 0; }

int TfrmBaseJukebox::FocusedQueueRow() const { return FqueueList ? FqueueList->ItemIndex() : -1; }

bool TfrmBaseJukebox::ConfirmClearQueue() {
    return Prompt().AskYesNo("Are you sure you want to clear the queue?", qApp->applicationName().toStdString(),
                             false);
}

void TfrmBaseJukebox::ClearQueueNow() {
    if (Flist) TqueueActions(*Flist).ClearQueueNow();
}

void TfrmBaseJukebox::QueueDeleteAt(int index) {
    if (Flist) Flist->QueueDelete(index);
}

void TfrmBaseJukebox::QueueMoveUpAt(int index) { QueueMoveToAt(index, index - 1); }

void TfrmBaseJukebox::QueueMoveDownAt(int index) { QueueMoveToAt(index, index + 1); }

void TfrmBaseJukebox::QueueMoveToAt(int index, int newIndex) {
    if (!Flist) return;
    const int row = TqueueActions(*Flist).EditKeepingSelection(index, [&] { Flist->QueueMove(index, newIndex); });
    if (FqueueList && row >= 0) FqueueList->SetItemIndex(row);
}

void TfrmBaseJukebox::QueueShuffle() {
    if (Flist) Flist->ShuffleQueue();
}

void TfrmBaseJukebox::SetLoopQueue(bool on) {
    if (Flist) Flist->SetLoopQueue(on);
}

bool TfrmBaseJukebox::LoopQueue() const { return Flist && Flist->Jukebox()->LoopQueue(); }

void TfrmBaseJukebox::QueuePreviousTrack() {
    if (Flist) TqueueActions(*Flist).PreviousTrack(false);
}

void TfrmBaseJukebox::SetQueueMax(int max) {
    if (Flist) Flist->Jukebox()->Queue().SetMax(max);
}

void TfrmBaseJukebox::QueueAlbum() {
    TaudioTagAlbumPtr album;
    if (!Flist || !Fdialogs->ChooseAlbum(true, album) || !album) return;
    // A whole CD takes the road of every chosen track: in credit mode each track costs a
    // credit, the queue's limit holds, and the status says what was taken and why not.
    TaddSelectedRows walk;
    walk.RowCount = album->Count();
    walk.IsSelected = [](int) { return true; };
    walk.TagOf = [&album](int row) { return album->GetTag(row); };
    QueueChosenRows(*Flist, *Fguards, std::move(walk), [this](const std::string& text) { ShowStatus(text); });
}

}  // namespace tunecrest
