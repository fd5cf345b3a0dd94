#pragma once
// Programmable buttons ("slots") of a jukebox: each holds one action and a parameter
// (a playlist title, a filter-set name or a station name), is stored in the settings
// section "Slots" as "Action:Parameter" and runs its action on the jukebox.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;
class TurlList;

using TjukeboxSlotAction = uint8_t;
constexpr TjukeboxSlotAction saUnassigned = 0;
constexpr TjukeboxSlotAction saPlaylist = 1;
constexpr TjukeboxSlotAction saActivatePlaylist = 2;
constexpr TjukeboxSlotAction saRandomPlayFilter = 3;
constexpr TjukeboxSlotAction saPlayURL = 4;

// "Unassigned", "Playlist", "Activate Playlist", "Random Play Filter", "Play URL";
// any other value gives "Unassigned".
std::string SlotActionName(TjukeboxSlotAction action);
// The action of a name (without regard to case); saUnassigned for any other text.
TjukeboxSlotAction SlotActionFromName(const std::string& name);

// What a slot needs from the jukebox it runs on; the jukebox implements it.
class TslotJukebox {
public:
    virtual ~TslotJukebox() = default;
    // Activates the library's playlist of that title.
    virtual void ActivatePlaylistByName(const std::string& title) = 0;
    // Makes the linked player (if any) play the next track now.
    virtual void PlayNextTrack() = 0;
    // Makes a copy of the library's filter set of that name the jukebox's filter and
    // refills the random list (for a local library also: random play on, no activated playlist).
    virtual void UseFilterSet(const std::string& name) = 0;
    // The library's internet-radio stations; nullptr when it has none.
    virtual const TurlList* StationList() const = 0;
    // Hands an address to the linked player's play-URL operation.
    virtual void PlayURL(const std::string& url) = 0;
};

class TjukeboxSlot : public TObject {
public:
    TjukeboxSlot() = default;
    static std::unique_ptr<TjukeboxSlot> CreateFromText(const std::string& text);

    std::string Parameter;
    TjukeboxSlotAction ActionType() const { return FactionType; }
    // Stores the action; "Unassigned" also empties the parameter.
    void SetActionType(TjukeboxSlotAction action);

    // Splits at the first ":": the action name before it, the parameter after it.
    void FromText(const std::string& text);
    std::string AsText() const;

    // Open the slot editor (through the prompt service); True when confirmed.
    bool EditExisting();
    bool EditNew();
    void Execute(TslotJukebox* jukebox) const;

private:
    TjukeboxSlotAction FactionType = saUnassigned;
};

class TjukeboxSlotList : public TObject {
public:
    TNotifyEvent OnChange;
    // The jukebox the slots run on (set by the jukebox).
    TslotJukebox* Jukebox = nullptr;
    // Above 0: deleting, removing and clearing only unassign slots.
    int FixedCount = 0;

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    void Add(std::unique_ptr<TjukeboxSlot> slot);
    void Delete(int index);
    void Remove(TjukeboxSlot* slot);
    void Clear();
    void MoveUp(TjukeboxSlot* slot);
    void MoveDown(TjukeboxSlot* slot);
    int Count() const { return int(Fslots.size()); }
    TjukeboxSlot* Items(int index) const;
    int IndexOf(const TjukeboxSlot* slot) const;

    // Runs the slot at that 0-based index on the jukebox; False when there is no such slot.
    bool ExecuteSlot(int index) const;
    // Opens the button-allocation editor (through the prompt service).
    bool Edit();

    // Every key of the section, in file order, gives one slot (key names are not read).
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    // Rewrites the section as "Slot0", "Slot1", ...
    void SaveToIni(TiniFile& ini, const std::string& section) const;

private:
    void Changed();
    std::vector<std::unique_ptr<TjukeboxSlot>> Fslots;
    int FupdateCount = 0;
};

}  // namespace tunecrest
