#include "core/jukebox/jukebox.h"

#include <algorithm>
#include <filesystem>

#include "core/base/exceptions.h"
#include "core/base/ini_file.h"
#include "core/library/jukebox_data_files.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"

namespace tunecrest {

namespace {

bool SameFile(const TaudioTagPtr& tag, const std::string& fileName) { return tag && tag->Filename() == fileName; }

std::string ProgramFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path().string() : self.parent_path().string();
}

}  // namespace

template <typename Step>
void TcustomJukebox::Guarded(const char* name, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        Prompt().ShowMessage(std::string(name) + ":\r\n\r\n" + e.what(), "Application Error");
    }
}

TcustomJukebox::TcustomJukebox() {
    Guarded("Error Creating FdbRules", [this] { FdbRules = std::make_unique<TdbRules>(); });
    Guarded("Error Creating Fqueue", [this] {
        Fqueue = std::make_unique<TaudioTagList>();
        Fqueue->SetOwnsObjects(true);
        Fqueue->OnChange = [this](TObject*) { QueueChanged(); };
    });
    Guarded("Error Creating Fplaylist", [this] {
        Fplaylist = std::make_unique<TaudioTagList>();
        Fplaylist->SetOwnsObjects(true);
        Fplaylist->OnChange = [this](TObject*) { PlaylistChanged(); };
        Fplaylist->OnActiveChanged = Fplaylist->OnChange;
        Fplaylist->OnModeChanged = Fplaylist->OnChange;
    });
    Guarded("Error Creating Fstacker", [this] {
        Fstacker = std::make_unique<TaudioTagPlaylistList>();
        Fstacker->Mode = plmStacker;
        Fstacker->OwnsObjects = true;
        Fstacker->SetListsOwnObjects(true);
        Fstacker->OnChange = [this](TObject*) { StackerChanged(); };
        Fstacker->OnActiveChanged = [this](TObject*) {
            RebuildStackerPlayList();
            if (Fevents && Fevents->OnStackerChange) Fevents->OnStackerChange(this);
        };
        Fstacker->OnPlaylistChange = [this](TObject*, TaudioTagList* list) { StackerListChanged(list); };
    });
    Guarded("Error Creating FcustomGlobal", [this] {
        FcustomGlobal = std::make_unique<TaudioTagList>();
        FcustomGlobal->OnChange = [this](TObject*) {
            if (Fevents && Fevents->OnCustomGlobalChange) Fevents->OnCustomGlobalChange(this);
        };
    });
    Guarded("Error Creating FhistoryList", [this] {
        FhistoryList = std::make_unique<TaudioTagHistoryList>();
        FhistoryList->SetOwnsObjects(true);
    });
    Guarded("Error Creating FstackerList", [this] {
        FstackerPlayList = std::make_unique<TaudioTagList>();
        FstackerPlayList->SetPlayMode(ModeSet(lmRandom) | ModeSet(lmLoop));
    });
    Guarded("Error Activating Lists", [this] {
        FcustomGlobal->SetPlayMode(ModeSet(lmRandom) | ModeSet(lmLoop));
        FcustomGlobal->SetActive(true);
        Fqueue->SetActive(true);
    });
    Ffilter = std::make_unique<TtagListRules>();
    Falarms = std::make_unique<TonOffTimerAlarmList>();
    Falarms->OnOnAlarm = [this](TObject*, TonOffTimerAlarm* alarm) { FireAlarm(true, alarm); };
    Falarms->OnOffAlarm = [this](TObject*, TonOffTimerAlarm* alarm) { FireAlarm(false, alarm); };
    Fslots = std::make_unique<TjukeboxSlotList>();
    Fslots->Jukebox = this;
}

TcustomJukebox::~TcustomJukebox() {
    if (Fowner) Fowner->JukeboxDestroyed(this);
    if (Fplayer) {
        TcustomMediaPlayer* player = Fplayer;
        Fplayer = nullptr;
        delete player;
    }
    // The lists go before the events could reach a half-destroyed jukebox.
    Fself.reset();
    Fevents = nullptr;
    if (Fqueue) Fqueue->OnChange = nullptr;
    if (Fstacker) Fstacker->OnChange = nullptr, Fstacker->OnPlaylistChange = nullptr;
}

void TcustomJukebox::SetMediaPlayer(TcustomMediaPlayer* player) {
    Fplayer = player;
    if (Fplayer) Fplayer->SetEvents(FplayerEvents);
}

void TcustomJukebox::SetPlayerEvents(TcustomMediaPlayerEvents* events) {
    FplayerEvents = events;
    if (Fplayer) Fplayer->SetEvents(events);
}

std::string TcustomJukebox::GetDataFolder() const { return Fowner ? Fowner->DataFolder() : ProgramFolder(); }

std::string TcustomJukebox::DataFile(const std::string& name) const {
    return (std::filesystem::path(GetDataFolder()) / name).string();
}

std::string TcustomJukebox::GetHistoryFileName() const { return DataFile("history.txt"); }

void TcustomJukebox::Changed() {
    if (Fplayer) Fplayer->RefreshNextTrack();
}

void TcustomJukebox::Status(const std::string& text) {
    if (Fevents && Fevents->OnStatusText) Fevents->OnStatusText(this, text);
}

// ---- Next track ---------------------------------------------------------------

TaudioTagPtr TcustomJukebox::NextTrack() {
    FnextCartridgeName.clear();
    Fsource = jpsNone;
    FchoseRepeat = false;
    TaudioTagPtr result;
    // A repeated track whose file was just reported missing is not offered again.
    if (FrepeatTrack && FlastPlayed && FmissesInARow == 0) {
        result = FlastPlayed;
        Fsource = FplayedSource;
        FchoseRepeat = true;
    }
    if (!result && Fqueue->Active() && Fqueue->Count() > 0) {
        result = Fqueue->GetTag(0);
        Fsource = jpsQueue;
    }
    if (!result) {
        result = FstackerPlayList->PeekNext();
        if (result) {
            for (int i = 0; i < Fstacker->Count(); ++i)
                if (Fstacker->GetList(i)->IndexOf(result.get()) >= 0) {
                    FnextCartridgeName = Fstacker->GetList(i)->Title();
                    break;
                }
            Fsource = jpsStacker;
        }
    }
    if (!result) {
        result = Fplaylist->PeekNext();
        if (result) Fsource = jpsPlaylist;
    }
    if (!result && FactivatedPlaylist) {
        result = FactivatedPlaylist->PeekNext();
        if (result) Fsource = jpsActivatedPlaylist;
    }
    if (!result) {
        result = FcustomGlobal->PeekNext();
        if (result) Fsource = jpsRandom;
    }
    FcurrentTrack = result;
    if (!result) Fsource = jpsNone;
    return result;
}

void TcustomJukebox::TrackPlayed(const TaudioTagPtr& tag) {
    if (FplayingCartridgeName == kStartCartridgeMarker) FplayingCartridgeName = FnextCartridgeName;
    FplayedSource = Fsource;
    if (tag) {
        FmissesInARow = 0;
        const TaudioTagPtr copy = tag->Clone();
        const std::string fileName = copy->Filename().str();
        // A repeat takes nothing off any source: the head it matches is still to come.
        if (!FchoseRepeat && StepPastSourceHead(fileName, FloopQueue) == jpsStacker &&
            FplayingCartridgeName != kStartCartridgeMarker)
            FplayingCartridgeName = FnextCartridgeName;
        FchoseRepeat = false;
        FhistoryList->Add(copy);
        if (WriteHistoryFile) {
            std::string error;
            if (!FhistoryList->AppendLastToTextFile(GetHistoryFileName(), &error))
                LogError("Cannot write " + GetHistoryFileName() + ": " + error);
        }
        FlastPlayed = copy;
    } else {
        FlastPlayed = nullptr;
    }
    if (FplayingCartridgeName == kStartCartridgeMarker || FplayingCartridgeName != FnextCartridgeName)
        FplayingCartridgeName.clear();
}

int TcustomJukebox::CandidateCount() const {
    int count = Fqueue->Count() + FstackerPlayList->Count() + Fplaylist->Count() + FcustomGlobal->Count();
    if (FactivatedPlaylist) count += FactivatedPlaylist->Count();
    return count;
}

void TcustomJukebox::TrackNotFound(const TaudioTagPtr& tag) {
    if (!tag) return;
    ++FmissesInARow;
    const std::string fileName = tag->Filename().str();
    if (FchoseRepeat) return;
    // The queue's entry is used up; the lists keep the file, which may come back
    // with its disc or stick, and only step past it.
    StepPastSourceHead(fileName, false);
}

TjukeboxPlaySource TcustomJukebox::StepPastSourceHead(const std::string& fileName, bool loopQueue) {
    // Only the head of the source the track came from, and only when it is that file:
    // a head that changed meanwhile is still to come.
    if (Fsource == jpsQueue && Fqueue->Count() > 0 && SameFile(Fqueue->GetTag(0), fileName)) {
        if (loopQueue)
            Fqueue->Move(0, Fqueue->Count() - 1);
        else
            Fqueue->Delete(0);
    } else if (Fsource == jpsStacker && SameFile(FstackerPlayList->PeekNext(), fileName)) {
        FstackerPlayList->GetNext();
    } else if (Fsource == jpsPlaylist && SameFile(Fplaylist->PeekNext(), fileName)) {
        Fplaylist->GetNext();
    } else if (Fsource == jpsActivatedPlaylist && FactivatedPlaylist &&
               SameFile(FactivatedPlaylist->PeekNext(), fileName)) {
        FactivatedPlaylist->GetNext();
    } else if (Fsource == jpsRandom && SameFile(FcustomGlobal->PeekNext(), fileName)) {
        FcustomGlobal->GetNext();
    } else {
        return jpsNone;
    }
    return Fsource;
}

void TcustomJukebox::PlayerWantsNext(TaudioTagPtr& tag) {
    tag.reset();
    if (FlibraryLoading) {
        FrequestWaiting = true;
        return;
    }
    // More misses in a row than there are candidates: every file is gone.
    if (FmissesInARow > 0 && FmissesInARow > CandidateCount()) {
        FmissesInARow = 0;
        Status(kAllTracksMissing);
        return;
    }
    tag = NextTrack();
}

void TcustomJukebox::SetLibraryLoading(bool loading) {
    if (FlibraryLoading == loading) return;
    FlibraryLoading = loading;
    if (loading) return;
    auto alarms = std::move(FwaitingAlarms);
    FwaitingAlarms.clear();
    for (const auto& [on, alarm] : alarms) FireAlarm(on, alarm);
    if (FrequestWaiting) {
        FrequestWaiting = false;
        if (Fplayer) Fplayer->PlayNext();
    }
}

void TcustomJukebox::FireAlarm(bool on, TonOffTimerAlarm* alarm) {
    if (FlibraryLoading) {
        FwaitingAlarms.emplace_back(on, alarm);
        return;
    }
    if (!Fevents) return;
    const auto& handler = on ? Fevents->OnOnAlarm : Fevents->OnOffAlarm;
    if (handler) handler(this, alarm);
}

// ---- Change handlers -------------------------------------------------------------

void TcustomJukebox::AutoSave(bool flag, bool loading, bool loadFailed, bool (TcustomJukebox::*save)()) {
    if (flag && !loading && !loadFailed) (this->*save)();
}

void TcustomJukebox::QueueChanged() {
    AutoSave(AutoSaveQueue, FloadingQueue, FqueueLoadFailed, &TcustomJukebox::SaveQueue);
    Changed();
    QueueChangeTime = Now();
    if (Fevents && Fevents->OnQueueChange) Fevents->OnQueueChange(this);
}

void TcustomJukebox::PlaylistChanged() {
    AutoSave(AutoSavePlaylist, FloadingPlaylist, FplaylistLoadFailed, &TcustomJukebox::SavePlaylist);
    Changed();
    if (Fevents && Fevents->OnPlaylistChange) Fevents->OnPlaylistChange(this);
}

void TcustomJukebox::StackerChanged() {
    AutoSave(AutoSaveStacker, FloadingStacker, FstackerLoadFailed, &TcustomJukebox::SaveStacker);
    RebuildStackerPlayList();
    if (Fevents && Fevents->OnStackerChange) Fevents->OnStackerChange(this);
}

void TcustomJukebox::StackerListChanged(TaudioTagList* list) {
    AutoSave(AutoSaveStacker, FloadingStacker, FstackerLoadFailed, &TcustomJukebox::SaveStacker);
    RebuildStackerPlayList();
    if (Fevents && Fevents->OnStackerListChange) Fevents->OnStackerListChange(this, list);
}

void TcustomJukebox::MarkUserChange(TuserList list) {
    switch (list) {
        case ulQueue: FqueueLoadFailed = false; break;
        case ulPlaylist: FplaylistLoadFailed = false; break;
        case ulStacker: FstackerLoadFailed = false; break;
    }
}

// ---- Switches -------------------------------------------------------------------

void TcustomJukebox::SetRepeatTrack(bool on) {
    FrepeatTrack = on;
    Changed();
}

bool TcustomJukebox::RandomPlayActive() const { return FcustomGlobal->Active(); }

void TcustomJukebox::SetRandomPlayActive(bool on) {
    FcustomGlobal->SetActive(on);
    Changed();
}

void TcustomJukebox::ActivatePlaylist(TaudioTagList* list) {
    FpendingActivePlaylist.clear();
    if (Fowner && list && Fowner->Playlists().IndexOfList(list) >= 0) {
        FactivatedPlaylist = list;
        list->SetActive(true);
    } else {
        FactivatedPlaylist = nullptr;
    }
    if (Fevents && Fevents->OnActivePreloadedListChanged) Fevents->OnActivePreloadedListChanged(this, FactivatedPlaylist);
    Changed();
}

void TcustomJukebox::ActivatePlaylistByName(const std::string& title) {
    TaudioTagList* list = Fowner && !title.empty() ? Fowner->Playlists().FindList(title).get() : nullptr;
    ActivatePlaylist(list);
}

void TcustomJukebox::PlaylistsChanged() {
    if (!Fowner) return;
    if (FactivatedPlaylist) {
        // Activated again: kept (renamed or not) while it is one of the playlists, else
        // cleared; either way the windows hear of it.
        ActivatePlaylist(FactivatedPlaylist);
    } else if (!FpendingActivePlaylist.empty()) {
        // The first change after the settings is the loaded playlists: resolve the title once.
        const std::string title = FpendingActivePlaylist;
        FpendingActivePlaylist.clear();
        if (const auto list = Fowner->Playlists().FindList(title)) ActivatePlaylist(list.get());
    }
    // The windows that show the playlists hear of the library's changes through the jukebox too.
    if (Fevents && Fevents->OnPlaylistChange) Fevents->OnPlaylistChange(this);
}

void TcustomJukebox::HookCartridges() {
    // The list of lists hooks a cartridge's contents and play mode, not its Active flag:
    // switching a cartridge on or off must rebuild the stacker play list as well. The
    // hook outlives neither the jukebox nor its stacker (a removed cartridge may be held
    // elsewhere), hence the weak link.
    std::weak_ptr<TcustomJukebox*> self = Fself;
    for (int i = 0; i < Fstacker->Count(); ++i)
        Fstacker->GetList(i)->OnActiveChanged = [self](TObject*) {
            const auto jukebox = self.lock();
            if (!jukebox) return;
            (*jukebox)->RebuildStackerPlayList();
            if ((*jukebox)->Fevents && (*jukebox)->Fevents->OnStackerChange)
                (*jukebox)->Fevents->OnStackerChange(*jukebox);
        };
}

void TcustomJukebox::RebuildStackerPlayList() {
    HookCartridges();
    FstackerPlayList->BeginUpdate();
    FstackerPlayList->Clear();
    FstackerPlayList->SetActive(Fstacker->Active());
    if (Fstacker->Active())
        for (int i = 0; i < Fstacker->Count(); ++i) {
            const TaudioTagListPtr cartridge = Fstacker->GetList(i);
            if (!cartridge->Active()) continue;
            for (const auto& tag : cartridge->Items()) FstackerPlayList->Add(tag);
        }
    FstackerPlayList->EndUpdate();
    Changed();
}

std::string TcustomJukebox::StackerStatusText() const {
    if (!Fstacker->Active()) return "";
    if (FstackerPlayList->Count() == 0) return "Empty";
    return FplayingCartridgeName.empty() ? "Inactive" : FplayingCartridgeName;
}

void TcustomJukebox::PlayNextTrack() {
    if (Fplayer) Fplayer->PlayNext();
}

void TcustomJukebox::UseFilterSet(const std::string& name) {
    if (!Fowner) return;
    // A copy of the named set; a name that is no set ("[Deactivate]") gives an empty filter.
    Ffilter->Assign(Fowner->RuleSets().FindByName(name));
    SetRandomPlayActive(true);
    ActivatePlaylist(nullptr);
    RefillRandomList();
}

const TurlList* TcustomJukebox::StationList() const { return Fowner ? &Fowner->URLList() : nullptr; }

void TcustomJukebox::PlayURL(const std::string& url) {
    if (Fplayer) Fplayer->PlayURL(url);
}

// ---- Random play ----------------------------------------------------------------

void TcustomJukebox::RefillRandomList() {
    if (Fowner) {
        TaudioTagList& global = Fowner->GlobalList();
        const bool ruleHasLines = FdbRules->Count() > 0;
        if (Ffilter->HasRules()) {
            Ffilter->ApplyRules(global, *FcustomGlobal, false);
            if (FcustomGlobal->Count() == 0 && global.Count() > 0) Status(kRandomPlayEmpty);
            // A query rule without lines would select nothing: it falls to the whole library.
        } else if (Fowner->DatabaseEnabled() && ruleHasLines && (UseDBQueryRule || !FdbRules->RuleName.empty())) {
            if (Fowner->RunQueryRule(*FdbRules, *FcustomGlobal) && FcustomGlobal->Count() == 0 && global.Count() > 0)
                Status(kRandomPlayEmpty);
        } else {
            FcustomGlobal->BeginUpdate();
            if (!FollowGlobalList(global)) {
                FcustomGlobal->Clear();
                // Room for the tracks added later, which the list follows one by one.
                FcustomGlobal->Reserve(global.Items().size() + global.Items().size() / 16 + 16);
                for (const auto& tag : global.Items()) FcustomGlobal->Add(tag);
            }
            FcustomGlobal->EndUpdate();
        }
    }
    Changed();
}

bool TcustomJukebox::FollowGlobalList(const TaudioTagList& global) {
    // The random list holds the library in the library's order. Walking both side by
    // side, its entries the library no longer has at that place are taken out and the
    // library's remaining tracks appended, which gives the library's order again: a
    // track added, edited or removed costs one pass, not a refill with a new random
    // order. Many removals are cheaper as a refill.
    constexpr size_t kMaxRemovals = 16;
    const auto& mine = FcustomGlobal->Items();
    const auto& all = global.Items();
    std::vector<int> removals;
    size_t next = 0;
    for (size_t i = 0; i < mine.size(); ++i) {
        if (next < all.size() && mine[i] == all[next]) {
            ++next;
        } else {
            removals.push_back(int(i));
            if (removals.size() > kMaxRemovals) return false;
        }
    }
    if (all.size() - next > std::max<size_t>(1000, all.size() / 20)) return false;
    for (auto it = removals.rbegin(); it != removals.rend(); ++it) FcustomGlobal->Delete(*it);
    for (size_t i = next; i < all.size(); ++i) FcustomGlobal->Add(all[i]);
    return true;
}

void TcustomJukebox::SelectDBQueryRule(const std::string& name) {
    if (!Fowner || !Fowner->DatabaseEnabled()) return;
    if (const TdbRules* rule = Fowner->FindDBRule(name)) {
        FdbRules->Assign(rule);
    } else {
        FdbRules->RuleName.clear();
        FdbRules->Clear();
    }
}

void TcustomJukebox::ApplyDBQueryRule() {
    if (!Fowner || !Fowner->DatabaseEnabled()) return;
    SelectDBQueryRule(FdbRules->RuleName);
    if (!FdbRules->RuleName.empty()) RefillRandomList();
}

// ---- Files ------------------------------------------------------------------------

void TcustomJukebox::LoadAll() {
    LoadPlaylist();
    LoadQueue();
    LoadStacker();
}

void TcustomJukebox::SaveAll() {
    SavePlaylist();
    SaveQueue();
    SaveStacker();
}

void TcustomJukebox::LoadPlaylist() {
    FloadingPlaylist = true;
    FplaylistLoadFailed = LoadListFile(*Fplaylist, DataFile("playlist.dat")) == TlistFileState::lfsDamaged;
    FloadingPlaylist = false;
}

void TcustomJukebox::LoadQueue() {
    // The saved queue holds requests the queue took when they were made: it comes back
    // whole. A limit or the no-duplicates rule in force now (party play may have set them
    // before the library loads) holds for new requests only.
    struct TqueueRules {
        TaudioTagList& Queue;
        const int Max = Queue.Max();
        const bool NoDuplicates = Queue.NoDuplicates();
        ~TqueueRules() {
            Queue.SetMax(Max);
            Queue.SetNoDuplicates(NoDuplicates);
        }
    } rules{*Fqueue};
    Fqueue->SetMax(0);
    Fqueue->SetNoDuplicates(false);
    FloadingQueue = true;
    FqueueLoadFailed = LoadListFile(*Fqueue, DataFile("queue.dat")) == TlistFileState::lfsDamaged;
    FloadingQueue = false;
}

void TcustomJukebox::LoadStacker() {
    FloadingStacker = true;
    FstackerLoadFailed = LoadListsFile(*Fstacker, DataFile("stacker.dat")) == TlistFileState::lfsDamaged;
    FloadingStacker = false;
    RebuildStackerPlayList();
}

bool TcustomJukebox::SavePlaylist() {
    return SaveListFile(*Fplaylist, DataFile("playlist.dat"));
}

bool TcustomJukebox::SaveQueue() {
    return SaveListFile(*Fqueue, DataFile("queue.dat"));
}

bool TcustomJukebox::SaveStacker() {
    return SaveListsFile(*Fstacker, DataFile("stacker.dat"));
}

void TcustomJukebox::LoadSettings(const TiniFile& ini, const std::string& section) {
    Ffilter->LoadFromIni(ini, section + "Rules");
    const std::string activePlaylist = ini.ReadString(section, "ActivePlaylist", "");
    ActivatePlaylistByName(activePlaylist);
    // The settings are read before the playlists: the title waits until they arrive.
    if (!FactivatedPlaylist) FpendingActivePlaylist = activePlaylist;
    Falarms->LoadFromIni(ini, section + "Alarms");
    SetLoopQueue(ini.ReadBool(section, "LoopQueue", false));
    Fslots->LoadFromIni(ini, "Slots");
    UseDBQueryRule = ini.ReadBool(section, "UseDBQueryRule", false);
    FdbRules->RuleName = ini.ReadString(section, "DBQueryRule", "");
}

void TcustomJukebox::SaveSettings(TiniFile& ini, const std::string& section) const {
    Ffilter->SaveToIni(ini, section + "Rules");
    ini.WriteBool(section, "UseDBQueryRule", UseDBQueryRule);
    ini.WriteString(section, "DBQueryRule", FdbRules->RuleName);
    // A title still waiting for its playlist is kept, so saving early loses nothing.
    ini.WriteString(section, "ActivePlaylist",
                    FactivatedPlaylist ? FactivatedPlaylist->Title() : FpendingActivePlaylist);
    Falarms->SaveToIni(ini, section + "Alarms");
    ini.WriteBool(section, "LoopQueue", FloopQueue);
    Fslots->SaveToIni(ini, "Slots");
}

void TcustomJukebox::LoadStackerCartridge(bool append, const std::string& folder) {
    const auto file = Prompt().ChooseOpenFile("Load Cartridge", "Stacker Cartridges (*.ctg)|*.ctg", folder);
    if (!file) return;
    // Read completely before the stacker is touched: a damaged or missing cartridge file
    // leaves the present cartridges (and their saved file) as they are.
    std::vector<TaudioTagListPtr> read;
    if (ReadListsFile(*file, read) != TlistFileState::lfsLoaded) {
        Prompt().ShowMessage("Cannot load the cartridge " + *file, "Error");
        return;
    }
    MarkUserChange(ulStacker);
    Fstacker->BeginUpdate();
    if (!append) Fstacker->Clear();
    for (auto& list : read) Fstacker->AddList(list);
    Fstacker->EndUpdate();
}

void TcustomJukebox::SaveStackerCartridge(const std::string& folder) {
    auto file = Prompt().ChooseSaveFile("Save Cartridge", "Stacker Cartridges (*.ctg)|*.ctg", folder);
    if (!file) return;
    if (std::filesystem::path(*file).extension().empty()) *file += ".ctg";
    std::string error;
    if (!SaveListsFile(*Fstacker, *file, &error))
        Prompt().ShowMessage("Cannot save the cartridge " + *file + ":\r\n\r\n" + error, "Error");
}

}  // namespace tunecrest
