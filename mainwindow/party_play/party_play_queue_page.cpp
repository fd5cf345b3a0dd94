#include "mainwindow/party_play/party_play_queue_page.h"

#include <algorithm>

namespace tunecrest {

std::vector<std::string> TpartyPlayQueuePage::Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < Fqueue.Count(); ++i)
        rows.push_back(Fqueue.GetTag(i)->GetDisplayText(Fqueue.DisplayFormat()));
    return rows;
}

int TpartyPlayQueuePage::Reselect(const TaudioTagPtr& tag) const {
    return tag ? Fqueue.IndexOf(tag.get()) : -1;
}

int TpartyPlayQueuePage::MoveUp(int row) {
    if (row <= 0 || row >= Fqueue.Count()) return row < Fqueue.Count() ? row : -1;
    const TaudioTagPtr tag = Fqueue.GetTag(row);
    Fguards.QueueMoveUp(row, true);
    return Reselect(tag);
}

int TpartyPlayQueuePage::MoveDown(int row) {
    if (row < 0 || row >= Fqueue.Count()) return -1;
    if (row == Fqueue.Count() - 1) return row;
    const TaudioTagPtr tag = Fqueue.GetTag(row);
    Fguards.QueueMoveDown(row, true);
    return Reselect(tag);
}

int TpartyPlayQueuePage::MoveTo(int row, int position1) {
    if (row < 0 || row >= Fqueue.Count()) return -1;
    const int target = std::clamp(position1, 1, std::max(Fqueue.Count(), 1)) - 1;
    const TaudioTagPtr tag = Fqueue.GetTag(row);
    Fguards.QueueMoveTo(row, target, true);
    return Reselect(tag);
}

int TpartyPlayQueuePage::Drop(int row, int targetRow) {
    if (row < 0 || row >= Fqueue.Count()) return -1;
    if (targetRow < 0 || targetRow >= Fqueue.Count()) targetRow = Fqueue.Count() - 1;
    return MoveTo(row, targetRow + 1);
}

void TpartyPlayQueuePage::DeleteRows(const std::set<int>& rows) {
    std::vector<TaudioTagPtr> tags;
    for (int row : rows)
        if (row >= 0 && row < Fqueue.Count()) tags.push_back(Fqueue.GetTag(row));
    for (const auto& tag : tags) {
        const int index = Fqueue.IndexOf(tag.get());
        if (index >= 0) Fguards.QueueDelete(index, true);
    }
}

void TpartyPlayQueuePage::Clear() {
    Fguards.QueueClear(true, true);
}

}  // namespace tunecrest
