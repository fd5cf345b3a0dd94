#include "mainwindow/song_search_queue.h"

#include <QCoreApplication>

#include "core/library/jukebox_list.h"
#include "core/jukebox/party_play_credits.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/base/text_utils.h"
#include "mainwindow/party_play_guards.h"

namespace tunecrest {

namespace {
void ShowNoCredits() {
    Prompt().ShowMessage(NoCreditsLeftText, QCoreApplication::applicationName().toStdString());
}
}  // namespace

std::string QueueRefusalText(const TaudioTagList& queue, bool someRefused, bool duplicatesOffered,
                             bool outOfCredits) {
    std::vector<std::string> reasons;
    if (someRefused && queue.Max() > 0 && queue.Count() >= queue.Max())
        reasons.push_back("the queue is full (" + std::to_string(queue.Max()) + " Track" + (queue.Max() == 1 ? "" : "s") +
                          ")");
    if (someRefused && duplicatesOffered) reasons.push_back("already in the queue");
    if (outOfCredits) reasons.push_back("no credits left");
    std::string text;
    for (const auto& reason : reasons) text += (text.empty() ? "" : ", ") + reason;
    return text;
}

std::string QueueStatusText(int queued, const std::string& refusal) {
    return AddedTracksStatusText(queued) + (refusal.empty() ? "" : ": " + refusal);
}

namespace {
// True when the queue (which refuses duplicates) already holds a track like `tag`, or an
// earlier track of the same request is like it: the queue's own test, title and artist.
bool OfferedTwice(const TaudioTagList& queue, const TmyStringList& tags, int index) {
    const TaudioTagPtr tag = tags.ObjectAs<TaudioTag>(index);
    if (!tag) return false;
    auto same = [&](const TaudioTag& other) {
        return SameText(other.Title(), tag->Title()) && SameText(other.Artist(), tag->Artist());
    };
    for (int i = 0; i < queue.Count(); ++i)
        if (const auto known = queue.GetTag(i); known && same(*known)) return true;
    for (int i = 0; i < index; ++i)
        if (const auto earlier = tags.ObjectAs<TaudioTag>(i); earlier && same(*earlier)) return true;
    return false;
}
}  // namespace

int QueueChosenRows(TcustomlocalJukeboxList& list, TpartyPlayGuards& guards, TaddSelectedRows rows,
                    const std::function<void(const std::string&)>& showStatus) {
    TaudioTagList& queue = list.Jukebox()->Queue();
    bool duplicates = false;
    // The collected tracks go to the queue in one call, even none, as the queue expects.
    rows.AddToQueue = [&](const TmyStringList& tags) {
        if (queue.NoDuplicates())
            for (int i = 0; i < tags.Count() && !duplicates; ++i) duplicates = OfferedTwice(queue, tags, i);
        return list.AddTagsToQueue(tags, true, true);
    };
    rows.ShowNoCredits = ShowNoCredits;
    const bool creditMode = guards.IsCreditMode();
    const TaddSelectedResult result = AddSelectedRowsToQueue(rows, creditMode, guards.Credits());
    if (creditMode) guards.SetCredits(result.CreditsLeft);
    // A guest whose request was not (all) taken is told why.
    const std::string refusal =
        QueueRefusalText(queue, result.Queued < result.Collected, duplicates, result.OutOfCredits);
    if (showStatus) showStatus(QueueStatusText(result.Queued, refusal));
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
        if (ShowStatus) ShowStatus(QueueStatusText(0, QueueRefusalText(queue, true, false, false)));
        return false;
    }
    Flist.InsertInQueue(*track);
    if (creditMode) Fguards.SetCredits(Fguards.Credits() - 1);
    if (PlayNext) PlayNext();
    return true;
}

}  // namespace tunecrest
