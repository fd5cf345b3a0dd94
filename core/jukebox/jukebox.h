#pragma once
// One jukebox's play state: the queue, its own playlist, the stacker of cartridges and
// the play list merged from the active ones, the activated playlist (one of the
// library's playlists), the random-play list with its filter or query rule, the
// history, the alarms and the button slots. NextTrack chooses what plays next without
// changing anything; TrackPlayed, called when the player starts a track, takes that
// track off the source it came from and records it in the history. Together they give
// continuous play. Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/database/query_rules.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/jukebox/media_player.h"
#include "core/tags/tag_list.h"
#include "core/library/tag_list_list.h"
#include "core/tags/tag_list_rules.h"
#include "core/jukebox/timer_alarms.h"

namespace tunecrest {

class TiniFile;
class TcustomJukeboxList;

// Where a track came from.
enum TjukeboxPlaySource : uint8_t {
    jpsNone = 0,
    jpsRandom = 1,
    jpsQueue = 2,
    jpsPlaylist = 3,
    jpsActivatedPlaylist = 4,
    jpsStacker = 5
};

inline constexpr const char* kStartCartridgeMarker = "::::START::::";
// Shown when every track the jukebox could offer is missing from the disk.
inline constexpr const char* kAllTracksMissing = "No track can be played: every file is missing.";
inline constexpr const char* kRandomPlayEmpty = "Random play has no tracks: the Random Play Filter or Query matches nothing.";

using TstatusTextEvent = std::function<void(TObject* Sender, const std::string& text)>;

// The jukebox's event sink; each event fires only when assigned, with the jukebox as sender.
class TcustomJukeboxEvents : public TObject {
  public:
    TNotifyEvent OnQueueChange;
    TNotifyEvent OnPlaylistChange;
    TNotifyEvent OnStackerChange;
    TNotifyEvent OnCustomGlobalChange;
    TlistPlaylistChangeEvent OnStackerListChange;
    TlistPlaylistChangeEvent OnActivePreloadedListChanged;
    TonOffTimerAlarmListEvent OnOnAlarm;
    TonOffTimerAlarmListEvent OnOffAlarm;
    // A short text for the status line (playback stopped because every file is missing,
    // random play found nothing).
    TstatusTextEvent OnStatusText;
};

class TcustomJukebox : public TObject, public TslotJukebox {
  public:
    TcustomJukebox();
    ~TcustomJukebox() override;
    TcustomJukebox(const TcustomJukebox&) = delete;
    TcustomJukebox& operator=(const TcustomJukebox&) = delete;

    // Lists.
    TaudioTagList& Queue() { return *Fqueue; }
    TaudioTagList& Playlist() { return *Fplaylist; }
    TaudioTagPlaylistList& Stacker() { return *Fstacker; }
    TaudioTagList& StackerPlayList() { return *FstackerPlayList; }
    TaudioTagList& RandomList() { return *FcustomGlobal; }
    TaudioTagHistoryList& History() { return *FhistoryList; }
    TtagListRules& Filter() { return *Ffilter; }
    TonOffTimerAlarmList& Alarms() { return *Falarms; }
    TjukeboxSlotList& Slots() { return *Fslots; }
    TdbRules& DBQueryRule() { return *FdbRules; }
    TaudioTagList* ActivatedPlaylist() const { return FactivatedPlaylist; }

    TcustomJukeboxList* Owner() const { return Fowner; }
    void SetOwner(TcustomJukeboxList* owner) { Fowner = owner; }
    TcustomJukeboxEvents* Events() const { return Fevents; }
    void SetEvents(TcustomJukeboxEvents* events) { Fevents = events; }

    // The player; the jukebox frees it when destroyed.
    TcustomMediaPlayer* Player() const { return Fplayer; }
    virtual void SetMediaPlayer(TcustomMediaPlayer* player);
    TcustomMediaPlayerEvents* PlayerEvents() const { return FplayerEvents; }
    virtual void SetPlayerEvents(TcustomMediaPlayerEvents* events);

    virtual std::string GetDataFolder() const;
    std::string GetHistoryFileName() const;
    std::string DataFile(const std::string& name) const;

    // The next-track choice and its counterpart.
    TaudioTagPtr NextTrack();
    virtual void TrackPlayed(const TaudioTagPtr& tag);
    // The player could not open the track NextTrack gave: the queue drops its entry,
    // the other sources step past it; misses in a row are counted.
    void TrackNotFound(const TaudioTagPtr& tag);
    // Handlers for the player's sink: a next-track request and a missing file. While
    // the library loads, a request is answered with nothing and repeated afterwards.
    void PlayerWantsNext(TaudioTagPtr& tag);
    // The library starts or finishes loading; requests and alarms wait meanwhile.
    void SetLibraryLoading(bool loading);
    bool LibraryLoading() const { return FlibraryLoading; }

    TjukeboxPlaySource Source() const { return Fsource; }
    TjukeboxPlaySource PlayedSource() const { return FplayedSource; }
    TaudioTagPtr CurrentTrack() const { return FcurrentTrack; }
    TaudioTagPtr LastPlayed() const { return FlastPlayed; }
    const std::string& NextCartridgeName() const { return FnextCartridgeName; }
    const std::string& PlayingCartridgeName() const { return FplayingCartridgeName; }
    int MissesInARow() const { return FmissesInARow; }

    // Files.
    virtual void LoadAll();
    virtual void LoadStacker();
    virtual void LoadQueue();
    virtual void LoadPlaylist();
    virtual void SaveAll();
    virtual bool SaveStacker();
    virtual bool SaveQueue();
    virtual bool SavePlaylist();
    virtual void LoadSettings(const TiniFile& ini, const std::string& section);
    virtual void SaveSettings(TiniFile& ini, const std::string& section) const;
    // A list whose file could not be read is not written automatically until a user
    // changes it (MarkUserChange), so a damaged start cannot overwrite the file.
    bool QueueLoadFailed() const { return FqueueLoadFailed; }
    bool PlaylistLoadFailed() const { return FplaylistLoadFailed; }
    bool StackerLoadFailed() const { return FstackerLoadFailed; }
    enum TuserList { ulQueue, ulPlaylist, ulStacker };
    void MarkUserChange(TuserList list);

    // Settings and switches.
    bool AutoSavePlaylist = false;
    bool AutoSaveQueue = false;
    bool AutoSaveStacker = false;
    bool WriteHistoryFile = true;
    bool UseDBQueryRule = false;
    TDateTime QueueChangeTime = 0;
    bool LoopQueue() const { return FloopQueue; }
    virtual void SetLoopQueue(bool on) { FloopQueue = on; }
    bool RepeatTrack() const { return FrepeatTrack; }
    void SetRepeatTrack(bool on);
    bool RandomPlayActive() const;
    void SetRandomPlayActive(bool on);
    bool LoadingQueue() const { return FloadingQueue; }
    bool LoadingPlaylist() const { return FloadingPlaylist; }
    bool LoadingStacker() const { return FloadingStacker; }

    void ActivatePlaylist(TaudioTagList* list);
    void ActivatePlaylistByName(const std::string& title) override;
    // What the button slots do.
    void PlayNextTrack() override;
    void UseFilterSet(const std::string& name) override;
    const TurlList* StationList() const override;
    void PlayURL(const std::string& url) override;
    // The owner's playlists changed: the activated playlist stays only while it is one
    // of them, and a title remembered from the settings is resolved once it appears.
    void PlaylistsChanged();
    void RefillRandomList();
    void SelectDBQueryRule(const std::string& name);
    void ApplyDBQueryRule();
    void RebuildStackerPlayList();
    std::string StackerStatusText() const;
    void LoadStackerCartridge(bool append, const std::string& folder);
    void SaveStackerCartridge(const std::string& folder);
    // Tells the player that the contents changed.
    void Changed();

  protected:
    // Filled by the concrete jukebox; nothing calls it.
    virtual void Unused() = 0;

  private:
    // Takes a played or missing track off the head of the source it came from (the
    // queue's head moves to the end with `loopQueue`); returns that source, or
    // jpsNone when the head is another file.
    TjukeboxPlaySource StepPastSourceHead(const std::string& fileName, bool loopQueue);
    template <typename Step>
    void Guarded(const char* name, Step step);
    void QueueChanged();
    void PlaylistChanged();
    void StackerChanged();
    void StackerListChanged(TaudioTagList* list);
    void AutoSave(bool flag, bool loading, bool loadFailed, bool (TcustomJukebox::*save)());
    void Status(const std::string& text);
    int CandidateCount() const;
    void FireAlarm(bool on, TonOffTimerAlarm* alarm);
    void HookCartridges();
    // Brings the random list, which holds the whole library, up to the library's
    // tracks by small steps; false when a refill is the better way.
    bool FollowGlobalList(const TaudioTagList& global);

    std::unique_ptr<TdbRules> FdbRules;
    std::unique_ptr<TaudioTagList> Fqueue;
    std::unique_ptr<TaudioTagList> Fplaylist;
    std::unique_ptr<TaudioTagPlaylistList> Fstacker;
    std::unique_ptr<TaudioTagList> FcustomGlobal;
    std::unique_ptr<TaudioTagHistoryList> FhistoryList;
    std::unique_ptr<TaudioTagList> FstackerPlayList;
    std::unique_ptr<TtagListRules> Ffilter;
    std::unique_ptr<TonOffTimerAlarmList> Falarms;
    std::unique_ptr<TjukeboxSlotList> Fslots;

    TcustomJukeboxList* Fowner = nullptr;
    TcustomJukeboxEvents* Fevents = nullptr;
    TcustomMediaPlayer* Fplayer = nullptr;
    TcustomMediaPlayerEvents* FplayerEvents = nullptr;
    TaudioTagPtr FcurrentTrack;
    TaudioTagPtr FlastPlayed;
    TaudioTagList* FactivatedPlaylist = nullptr;
    std::string FpendingActivePlaylist;
    bool FloadingPlaylist = false, FloadingStacker = false, FloadingQueue = false;
    bool FplaylistLoadFailed = false, FstackerLoadFailed = false, FqueueLoadFailed = false;
    bool FloopQueue = false;
    bool FrepeatTrack = false;
    bool FchoseRepeat = false;
    TjukeboxPlaySource Fsource = jpsNone;
    TjukeboxPlaySource FplayedSource = jpsNone;
    std::string FnextCartridgeName;
    std::string FplayingCartridgeName = kStartCartridgeMarker;
    int FmissesInARow = 0;
    bool FlibraryLoading = false;
    bool FrequestWaiting = false;
    std::vector<std::pair<bool, TonOffTimerAlarm*>> FwaitingAlarms;
    // Handed weakly to hooks on cartridges, which may outlive the jukebox.
    std::shared_ptr<TcustomJukebox*> Fself = std::make_shared<TcustomJukebox*>(this);
};

class TlocalJukebox : public TcustomJukebox {
  protected:
    void Unused() override {}
};

}  // namespace tunecrest
