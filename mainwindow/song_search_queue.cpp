#include "mainwindow/song_search_queue.h"

#include "core/jukebox_list.h"
#include "core/party_play_credits.h"
#include "core/services.h"
#include "mainwindow/party_play_guards.h"

namespace tunecrest {

namespace {
void ShowNoCredits() {
    Prompt().ShowMessage(NoCreditsLeftText, "Party Play");
}
}  // namespace

int TguardedSongQueue::AddTracks(const std::vector<TaudioTagPtr>& tracks) {
    TaudioTagList& queue = Flist.Jukebox()->Queue();
    TaddSelectedRows rows;
    rows.RowCount = int(tracks.size());
    rows.IsSelected = [](int) { return true; };
    rows.TagOf = [&tracks](int row) { return tracks[size_t(row)]; };
    rows.AddToQueue = [&](const TmyStringList& tags) {
        const int before = queue.Count();
        if (tags.Count() > 0) Flist.AddTagsToQueue(tags, true, true);
        return queue.Count() - before;
    };
    rows.ShowNoCredits = ShowNoCredits;
    const bool creditMode = Fguards.IsCreditMode();
    const TaddSelectedResult result = AddSelectedRowsToQueue(rows, creditMode, Fguards.Credits());
    if (creditMode) Fguards.SetCredits(result.CreditsLeft);
    if (ShowStatus) ShowStatus(AddedTracksStatusText(result.Queued));
    return result.Queued;
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
