#pragma once
// The queue the song search hands its tracks to, through the main window's guards: in
// credit mode each queued track costs a credit (only the tracks the queue took are
// charged), the queue limit holds, and "Play Now" is refused where party play forbids
// skipping the playing track.
#include <functional>
#include <string>

#include "core/jukebox/party_play_credits.h"
#include "windows/search/song_search.h"

namespace tunecrest {

class TaudioTagList;
class TcustomlocalJukeboxList;
class TpartyPlayGuards;

// The one road by which chosen tracks reach the queue, for the track list and the song
// search alike: in credit mode a track is taken only while a credit is left for it (the
// message "There are no credits left." is shown once, under the application's title), the
// queue's limit and duplicate check decide what is taken, only the tracks it took are
// charged, and the status names those. `rows` gives the walk; its AddToQueue and
// ShowNoCredits are filled here. Answers the number of tracks queued.
// Why a request was not (all) taken, for the status line: "the queue is full (15 Tracks)",
// "already in the queue", "no credits left", joined by commas; empty when nothing was
// refused. `someRefused`: the queue took fewer tracks than it was offered.
std::string QueueRefusalText(const TaudioTagList& queue, bool someRefused, bool duplicatesOffered,
                             bool outOfCredits);
// "Added %d Track%s to the Queue", with the reason after a colon when there is one.
std::string QueueStatusText(int queued, const std::string& refusal);

int QueueChosenRows(TcustomlocalJukeboxList& list, TpartyPlayGuards& guards, TaddSelectedRows rows,
                    const std::function<void(const std::string&)>& showStatus);

class TguardedSongQueue : public TsongSearchQueue {
  public:
    TguardedSongQueue(TcustomlocalJukeboxList& list, TpartyPlayGuards& guards)
        : Flist(list), Fguards(guards) {}

    // The player's next-track request (the window's, with its wait for the start).
    std::function<void()> PlayNext;
    // The status line ("Added 2 Tracks to the Queue").
    std::function<void(const std::string&)> ShowStatus;

    int AddTracks(const std::vector<TaudioTagPtr>& tracks) override;
    bool CanPlayNow() const override;
    bool PlayNow(const TaudioTagPtr& track) override;

  private:
    TcustomlocalJukeboxList& Flist;
    TpartyPlayGuards& Fguards;
};

}  // namespace tunecrest
