#include "core/jukebox/jukebox_slots.h"

#include <array>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "core/library/url_list.h"

namespace tunecrest {

namespace {
constexpr std::array<const char*, 5> kActionNames = {"Unassigned", "Playlist", "Activate Playlist",
                                                     "Random Play Filter", "Play URL"};
}

std::string SlotActionName(TjukeboxSlotAction action) {
    return action < kActionNames.size() ? kActionNames[action] : kActionNames[0];
}

TjukeboxSlotAction SlotActionFromName(const std::string& name) {
    for (size_t i = 1; i < kActionNames.size(); ++i)
        if (SameText(name, kActionNames[i])) return TjukeboxSlotAction(i);
    return saUnassigned;
}

std::unique_ptr<TjukeboxSlot> TjukeboxSlot::CreateFromText(const std::string& text) {
    auto slot = std::make_unique<TjukeboxSlot>();
    slot->FromText(text);
    return slot;
}

void TjukeboxSlot::SetActionType(TjukeboxSlotAction action) {
    FactionType = action;
    if (action == saUnassigned) Parameter.clear();
}

void TjukeboxSlot::FromText(const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        SetActionType(saUnassigned);
        return;
    }
    FactionType = SlotActionFromName(text.substr(0, colon));
    Parameter = FactionType != saUnassigned ? text.substr(colon + 1) : std::string();
}

std::string TjukeboxSlot::AsText() const { return SlotActionName(FactionType) + ":" + Parameter; }

bool TjukeboxSlot::EditExisting() { return Prompt().EditSlot(*this, false); }
bool TjukeboxSlot::EditNew() { return Prompt().EditSlot(*this, true); }

void TjukeboxSlot::Execute(TslotJukebox* jukebox) const {
    if (!jukebox) return;
    switch (FactionType) {
        case saPlaylist:
            jukebox->ActivatePlaylistByName(Parameter);
            break;
        case saActivatePlaylist:
            jukebox->ActivatePlaylistByName(Parameter);
            jukebox->PlayNextTrack();
            break;
        case saRandomPlayFilter:
            jukebox->UseFilterSet(Parameter);
            break;
        case saPlayURL: {
            // An unknown station plays nothing rather than handing the player an empty address.
            const TurlList* stations = jukebox->StationList();
            const std::string url = stations ? stations->GetValue(Parameter) : std::string();
            if (!url.empty()) jukebox->PlayURL(url);
            break;
        }
        default:
            break;
    }
}

void TjukeboxSlotList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TjukeboxSlotList::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

void TjukeboxSlotList::Add(std::unique_ptr<TjukeboxSlot> slot) {
    if (!slot) return;
    Fslots.push_back(std::move(slot));
    Changed();
}

void TjukeboxSlotList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    if (FixedCount > 0)
        Fslots[size_t(index)]->SetActionType(saUnassigned);
    else
        Fslots.erase(Fslots.begin() + index);
    Changed();
}

void TjukeboxSlotList::Remove(TjukeboxSlot* slot) { Delete(IndexOf(slot)); }

void TjukeboxSlotList::Clear() {
    if (FixedCount > 0)
        for (auto& s : Fslots) s->SetActionType(saUnassigned);
    else
        Fslots.clear();
    Changed();
}

void TjukeboxSlotList::MoveUp(TjukeboxSlot* slot) {
    const int i = IndexOf(slot);
    if (i > 0) std::swap(Fslots[size_t(i)], Fslots[size_t(i - 1)]);
}

void TjukeboxSlotList::MoveDown(TjukeboxSlot* slot) {
    const int i = IndexOf(slot);
    if (i >= 0 && i + 1 < Count()) std::swap(Fslots[size_t(i)], Fslots[size_t(i + 1)]);
}

TjukeboxSlot* TjukeboxSlotList::Items(int index) const {
    return index >= 0 && index < Count() ? Fslots[size_t(index)].get() : nullptr;
}

int TjukeboxSlotList::IndexOf(const TjukeboxSlot* slot) const {
    for (size_t i = 0; i < Fslots.size(); ++i)
        if (Fslots[i].get() == slot) return int(i);
    return -1;
}

bool TjukeboxSlotList::ExecuteSlot(int index) const {
    const TjukeboxSlot* slot = Items(index);
    if (!slot) return false;
    slot->Execute(Jukebox);
    return true;
}

bool TjukeboxSlotList::Edit() { return Prompt().EditSlotList(*this); }

void TjukeboxSlotList::LoadFromIni(const TiniFile& ini, const std::string& section) {
    BeginUpdate();
    Clear();
    // The lines themselves, so that two keys of one name still give two slots.
    for (const auto& line : ini.ReadSectionValues(section)) {
        const size_t eq = line.find('=');
        Add(TjukeboxSlot::CreateFromText(eq == std::string::npos ? std::string() : line.substr(eq + 1)));
    }
    EndUpdate();
}

void TjukeboxSlotList::SaveToIni(TiniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    for (size_t i = 0; i < Fslots.size(); ++i) ini.WriteString(section, Format("Slot%zu", i), Fslots[i]->AsText());
}

}  // namespace tunecrest
