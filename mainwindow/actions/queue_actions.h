#pragma once
// The queue actions of the main window on the library, without the window: add all, add
// to the top, play a row now, queue the previous track, clear, and the queue edits that keep
// the focused track selected (found again by identity, never by its text).
#include <functional>

#include "core/library/jukebox_list.h"

namespace tunecrest {

class TqueueActions {
  public:
    explicit TqueueActions(TcustomlocalJukeboxList& list) : Flist(list) {}

    TaudioTagList& Queue() { return Flist.Jukebox()->Queue(); }

    // The whole shown list to the queue; false without one.
    bool AddAll(const TaudioTagList* shown);
    // The focused row of the shown list to the head of the queue; false when the row lies
    // outside the list.
    bool AddToTop(const TaudioTagList* shown, int row);
    // The focused row played at once (head of the queue, then the player's next track).
    bool QueueAndPlay(const TaudioTagList* shown, int row);
    // The track played before the current one (the history entry before the last), to the
    // end of the queue or its head; false with fewer than two history entries.
    bool PreviousTrack(bool atTop);
    // Insertion counter back to 0, then the queue cleared.
    void ClearQueueNow();
    // Runs `edit` on the queue and answers the row that now holds the track of `row`
    // (-1 when it is gone or `row` was outside the queue).
    int EditKeepingSelection(int row, const std::function<void()>& edit);
    // Deletes `row` and answers the row to focus: the one before it (or 0).
    int DeleteKeepingSelection(int row);

  private:
    TcustomlocalJukeboxList& Flist;
};

}  // namespace tunecrest
