#include "mainwindow/actions/queue_actions.h"

#include <algorithm>

#include "core/jukebox/jukebox.h"

namespace tunecrest {

bool TqueueActions::AddAll(const TaudioTagList* shown) {
    if (!shown) return false;
    Flist.AddListToQueue(*shown);
    return true;
}

bool TqueueActions::AddToTop(const TaudioTagList* shown, int row) {
    if (!shown || row < 0 || row >= shown->Count()) return false;
    const TaudioTagPtr tag = shown->GetTag(row);
    if (!tag) return false;
    Queue().BeginUpdate();
    Flist.InsertInQueue(*tag);
    Queue().EndUpdate();
    return true;
}

bool TqueueActions::QueueAndPlay(const TaudioTagList* shown, int row) {
    if (!shown || row < 0 || row >= shown->Count()) return false;
    const TaudioTagPtr tag = shown->GetTag(row);
    if (!tag) return false;
    Flist.PlayNow(*tag);
    return true;
}

bool TqueueActions::PreviousTrack(bool atTop) {
    TaudioTagList& history = Flist.Jukebox()->History();
    if (history.Count() < 2) return false;
    const TaudioTagPtr tag = history.GetTag(history.Count() - 2);
    if (!tag) return false;
    if (atTop)
        Flist.InsertInQueue(*tag);
    else
        Flist.AddToQueue(*tag);
    return true;
}

void TqueueActions::ClearQueueNow() {
    Queue().ResetSequence();
    Flist.ClearQueue();
}

int TqueueActions::EditKeepingSelection(int row, const std::function<void()>& edit) {
    const TaudioTagPtr tag = row >= 0 && row < Queue().Count() ? Queue().GetTag(row) : nullptr;
    edit();
    return tag ? Queue().IndexOf(tag.get()) : -1;
}

int TqueueActions::DeleteKeepingSelection(int row) {
    if (row < 0 || row >= Queue().Count()) return -1;
    Flist.QueueDelete(row);
    if (Queue().Count() == 0) return -1;
    return std::clamp(row - 1, 0, Queue().Count() - 1);
}

}  // namespace tunecrest
