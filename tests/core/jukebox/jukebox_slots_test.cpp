#include "core/jukebox/jukebox_slots.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/library/url_list.h"

using namespace tunecrest;

TEST(JukeboxSlots, TextFormParsing) {
    auto s = TjukeboxSlot::CreateFromText("Playlist:");
    EXPECT_EQ(s->ActionType(), saPlaylist);
    EXPECT_EQ(s->Parameter, "");
    s = TjukeboxSlot::CreateFromText("play url:Station: The Best, Ever");
    EXPECT_EQ(s->ActionType(), saPlayURL);
    EXPECT_EQ(s->Parameter, "Station: The Best, Ever");
    EXPECT_EQ(s->AsText(), "Play URL:Station: The Best, Ever");
    s = TjukeboxSlot::CreateFromText("Dance:Floor");
    EXPECT_EQ(s->ActionType(), saUnassigned);
    EXPECT_EQ(s->Parameter, "");
    s = TjukeboxSlot::CreateFromText("Playlist");
    EXPECT_EQ(s->ActionType(), saUnassigned);
    s = TjukeboxSlot::CreateFromText(":Playlist");
    EXPECT_EQ(s->ActionType(), saUnassigned);
    EXPECT_EQ(SlotActionName(9), "Unassigned");
    s->Parameter = "x";
    s->SetActionType(saUnassigned);
    EXPECT_EQ(s->Parameter, "");
}

TEST(JukeboxSlots, IniRoundTripInFileOrderAndRenumbered) {
    TiniFile ini;
    ini.SetText("[Slots]\nSlot7=Random Play Filter:Eighties, Rock & Pop\nfoo=Activate Playlist:Party Mix\n"
                "Slot7=Play URL:Jazz FM\n");
    TjukeboxSlotList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.LoadFromIni(ini, "Slots");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0)->Parameter, "Eighties, Rock & Pop");
    EXPECT_EQ(list.Items(1)->ActionType(), saActivatePlaylist);
    EXPECT_EQ(list.Items(2)->AsText(), "Play URL:Jazz FM");
    list.SaveToIni(ini, "Slots");
    EXPECT_EQ(ini.GetText(),
              "[Slots]\r\nSlot0=Random Play Filter:Eighties, Rock & Pop\r\nSlot1=Activate Playlist:Party Mix\r\n"
              "Slot2=Play URL:Jazz FM\r\n");
}

TEST(JukeboxSlots, FixedCountUnassignsInsteadOfRemoving) {
    TjukeboxSlotList list;
    for (const char* t : {"Playlist:A", "Playlist:B"}) list.Add(TjukeboxSlot::CreateFromText(t));
    list.FixedCount = 2;
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0)->AsText(), "Unassigned:");
    list.Clear();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1)->ActionType(), saUnassigned);
    list.FixedCount = 0;
    list.Remove(list.Items(1));
    EXPECT_EQ(list.Count(), 1);
    list.Add(TjukeboxSlot::CreateFromText("Playlist:C"));
    list.MoveUp(list.Items(1));
    EXPECT_EQ(list.Items(0)->Parameter, "C");
    list.MoveUp(list.Items(0));  // already first
    EXPECT_EQ(list.Items(0)->Parameter, "C");
}

namespace {
struct FakeJukebox : TslotJukebox {
    std::vector<std::string> calls;
    TurlList stations;
    void ActivatePlaylistByName(const std::string& t) override { calls.push_back("activate " + t); }
    void PlayNextTrack() override { calls.push_back("next"); }
    void UseFilterSet(const std::string& n) override { calls.push_back("filter " + n); }
    const TurlList* StationList() const override { return &stations; }
    void PlayURL(const std::string& url) override { calls.push_back("url " + url); }
};
}  // namespace

TEST(JukeboxSlots, ExecuteRunsEachActionAndSkipsUnknownStations) {
    FakeJukebox jukebox;
    jukebox.stations.Add("Jazz FM", "http://jazz");
    TjukeboxSlotList list;
    list.Jukebox = &jukebox;
    for (const char* t : {"Playlist:Mix", "Activate Playlist:Party", "Random Play Filter:Rock",
                          "Play URL:jazz fm", "Play URL:Nowhere", "Unassigned:"})
        list.Add(TjukeboxSlot::CreateFromText(t));
    for (int i = 0; i < list.Count(); ++i) EXPECT_TRUE(list.ExecuteSlot(i));
    EXPECT_FALSE(list.ExecuteSlot(6));
    EXPECT_FALSE(list.ExecuteSlot(-1));
    EXPECT_EQ(jukebox.calls, (std::vector<std::string>{"activate Mix", "activate Party", "next", "filter Rock",
                                                       "url http://jazz"}));
}

TEST(JukeboxSlots, EditorsRunThroughThePrompt) {
    struct EditingPrompt : Tprompt {
        bool EditSlot(TjukeboxSlot& slot, bool isNew) override {
            slot.SetActionType(saPlaylist);
            slot.Parameter = isNew ? "new" : "old";
            return true;
        }
    };
    TjukeboxSlot slot;
    EXPECT_FALSE(slot.EditNew());  // the default prompt changes nothing
    EXPECT_EQ(slot.ActionType(), saUnassigned);
    auto previous = SetPrompt(std::make_shared<EditingPrompt>());
    EXPECT_TRUE(slot.EditNew());
    EXPECT_EQ(slot.AsText(), "Playlist:new");
    SetPrompt(previous);
}
