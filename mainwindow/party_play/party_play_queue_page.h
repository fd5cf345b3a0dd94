#pragma once
// The jukebox-control page of the party-play settings window, without its widgets: the queue
// list's rows and the edits its buttons make through the main window's operations with the
// guards bypassed. After an edit the moved track is selected again by identity in the queue,
// never by its display text (two entries may share a text).
#include <set>
#include <string>
#include <vector>

#include "core/tags/tag_list.h"
#include "mainwindow/party_play/party_play_guards.h"

namespace tunecrest {

class TpartyPlayQueuePage {
  public:
    TpartyPlayQueuePage(TpartyPlayGuards& guards, const TaudioTagList& queue)
        : Fguards(guards), Fqueue(queue) {}

    // The rows the list shows: the display text of each queued track.
    std::vector<std::string> Rows() const;
    // Upper bound of the "Move To" spin edit (1-based).
    int MoveToMax() const { return Fqueue.Count(); }

    // Each answers the row to select afterwards (-1: none / nothing done).
    int MoveUp(int row);
    int MoveDown(int row);
    int MoveTo(int row, int position1);  // position counted from 1, bounded by the queue
    int Drop(int row, int targetRow);    // targetRow -1: dropped below the last row
    // Deletes exactly the given rows; the tracks are found before any is removed.
    void DeleteRows(const std::set<int>& rows);
    void Clear();

  private:
    int Reselect(const TaudioTagPtr& tag) const;

    TpartyPlayGuards& Fguards;
    const TaudioTagList& Fqueue;
};

}  // namespace tunecrest
