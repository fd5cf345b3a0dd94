#include "mainwindow/song_search_queue.h"

#include <QCoreApplication>

#include "core/library/jukebox_list.h"
#include "core/jukebox/party_play_credits.h"
#include "core/base/services.h"
#include "mainwindow/party_play_guards.h"

namespace tunecrest {

namespace {
void ShowNoCredits() {
    Prompt().ShowMessage(NoCreditsLeftText, QCoreApplication::applicationName().toStdString());
}
}  // namespace

int QueueChosenRows(TcustomlocalJukeboxList& list, TpartyPlayGuards& guards, TaddSelectedRows rows,
                    const std::function<void(const std::string&)>& showStatus) {
    // The collected tracks go to the queue in one call, even none, as the queue expects.
    rows.AddToQueue = [&list](const TmyStringList& tags) { return list.AddTagsToQueue(tags, true, true); };
    rows.ShowNoCredits = ShowNoCredits;
    const bool creditMode = guards.IsCreditMode();
    const TaddSelectedResult result = AddSelectedRowsToQueue(rows, creditMode, guards.Credits());
    if (creditMode) guards.SetCredits(result.CreditsLeft);
    if (showStatus) showStatus(AddedTracksStatusText(result.Queued));
    return result.Queued;
}

int TguardedSongQueue::AddTracks(const std::vector<TaudioTagPtr>& tracks) {
    TaddSelectedRows rows;
    rows.RowCount = int(tracks.size());
    rows.IsSelected = [](int) { return true; };
    rows.TagOf = [&tracks](int row) { return tracks[size_t(row)]; };
    return QueueChosenRows(Flist, Fguards, std::move(rows), ShowStatus);
}

bool TguardedSongQueue::CanPlayNow() const {
    return !(Fguards.IsPartyPlayEnabled() && Fguards.Settings().GetDisableNextControl());
}

bool TguardedSongQueue::PlayNow(const TaudioTagPtr& track) {
    if (!track || !CanPlayNow()) return false;
    const bool creditMode = Fguards.IsCreditMode();
    if (creditMode && Fguards.Credits() < 1) {
        ShowNoCredits();
        return false;
    }
    TaudioTagList& queue = Flist.Jukebox()->Queue();
    // Inserting at the head skips the queue's own limit check, so the limit is kept here:
    // a full queue takes nothing, nothing is played and nothing charged.
    if (queue.Max() > 0 && queue.Count() >= queue.Max()) {
        if (queue.OnMaxExceeded) queue.OnMaxExceeded(&queue);
        return false;
    }
    Flist.InsertInQueue(*track);
    if (creditMode) Fguards.SetCredits(Fguards.Credits() - 1);
    if (PlayNext) PlayNext();
    return true;
}

}  // namespace tunecrest
