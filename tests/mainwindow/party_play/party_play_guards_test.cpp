// The party-play guards: every guarded action under every party-play setting, with party
// play on and off, from each road in (run by name, its shortcut, its command message); the
// view state saved at switch-on and restored at switch-off, with right and wrong passwords;
// the popup-menu rules and the Force flag of the settings window.
#include "mainwindow/party_play/party_play_guards.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tunecrest {
namespace {

using S = TpartyPlaySettings;

struct RecordingHost : TpartyPlayHost {
    std::map<std::string, int> calls;
    std::vector<std::string> prompts;
    std::string answer;  // the password typed; "\x1b" for Cancel
    bool fullScreen = false, mainMenu = true, queueControls = true, allowFullScreen = true;
    bool popup = true, listPopups = true, playControls = true, loop = false;
    uint32_t browse = 0b1011, queueMax = -1u;
    int volume = 100, focused = 2, credits = -1, count = 5;
    bool confirmClear = true;

    void Call(const std::string& what) { ++calls[what]; }
    void PlayerPlay() override { Call("Play"); }
    void PlayerPause() override { Call("Pause"); }
    void PlayerStop() override { Call("Stop"); }
    void Skip() override { Call("Skip"); }
    int PlayerVolume() const override { return volume; }
    void PlayerSetVolume(int v) override { Call("Volume"), volume = v; }
    void PlayerSetPosition(int) override { Call("Position"); }
    void SetRepeatTrack(bool) override { Call("Repeat"); }
    int QueueCount() const override { return count; }
    bool ConfirmClearQueue() override { return Call("ConfirmClear"), confirmClear; }
    int FocusedQueueRow() const override { return focused; }
    void ClearQueueNow() override { Call("Clear"); }
    void QueueDeleteAt(int) override { Call("Delete"); }
    void QueueMoveUpAt(int) override { Call("MoveUp"); }
    void QueueMoveDownAt(int) override { Call("MoveDown"); }
    void QueueMoveToAt(int, int) override { Call("MoveTo"); }
    void QueueAddAll() override { Call("AddAll"); }
    void QueueShuffle() override { Call("Shuffle"); }
    void SetLoopQueue(bool on) override { Call("Loop"), loop = on; }
    bool LoopQueue() const override { return loop; }
    void QueuePreviousTrack() override { Call("Previous"); }
    void SetQueueMax(int m) override { queueMax = uint32_t(m); }
    void ShowStackerConfigWindow() override { Call("StackerConfig"); }
    void ToggleStackerEnabled() override { Call("StackerToggle"); }
    void ShowPlaylistEditorWindow() override { Call("PlaylistEditor"); }
    void ShowHelp() override { Call("Help"); }
    void AskExitOrShutdown() override { Call("Exit"); }
    void ShowPartyPlaySettings() override { Call("PartyPlaySettings"); }
    void Minimize() override { Call("Minimize"); }
    bool FullScreenAllowed() const override { return allowFullScreen; }
    bool IsFullScreen() const override { return fullScreen; }
    void SetFullScreen(bool on) override { Call("FullScreen"), fullScreen = on && allowFullScreen; }
    bool IsMainMenuVisible() const override { return mainMenu; }
    void SetMainMenuVisible(bool on) override { mainMenu = on; }
    bool QueueControlsVisible() const override { return queueControls; }
    void SetShowQueueControls(bool on) override { Call("QueueControls"), queueControls = on; }
    uint32_t BrowseDisplayMode() const override { return browse; }
    void SetBrowseDisplayMode(uint32_t m) override { browse = m; }
    uint32_t RadioStationsMode() const override { return 0b1000; }
    void SetMainPopupMenu(bool on) override { popup = on; }
    void SetListPopupsAuto(bool on) override { listPopups = on; }
    void SetPlayControlsVisible(bool on) override { playControls = on; }
    void ShowCredits(int c) override { credits = c; }
    bool CheckPassword(const std::string& prompt, const std::string& password) override {
        prompts.push_back(prompt);
        return answer == password;
    }
};

struct Guards : ::testing::Test {
    TactionList actions;
    TpartyPlaySettings settings;
    RecordingHost host;
    TpartyPlayGuards guards{actions, settings, host};
};

// What the table of the window says, written out independently of the guards.
enum Rule {
    rNone,
    rAddAll,
    rStop,
    rNext,
    rPause,
    rQueueControls,
    rExit,
    rMinimize,
    rQueueOther,
    rQueueMove,
    rPartyOff
};
enum Switch { swNone, swK, swP };

struct Row {
    const char* Action;
    const char* Effect;
    bool (S::*Refuser)() const;  // the handler's own refusal in party play
    bool RefusedInPartyPlay;     // refused whenever party play is on
    Rule State;
    Switch Sw;
};

const Row kRows[] = {
    {"actnControlPlay", "Play", nullptr, false, rNone, swNone},
    {"actnControlPlayShortcut", "Play", nullptr, false, rNone, swNone},
    {"actnControlStop", "Stop", &S::GetDisableStopControl, false, rStop, swP},
    {"actnControlStopShortcut", "Stop", &S::GetDisablePlayControlShortcuts, false, rNone, swNone},
    {"actnControlPause", "Pause", &S::GetDisablePauseControl, false, rPause, swP},
    {"actnControlPauseShortcut", "Pause", &S::GetDisablePlayControlShortcuts, false, rNone, swNone},
    {"actnControlNext", "Skip", &S::GetDisableNextControl, false, rNext, swP},
    {"actnControlNextShortcut", "Skip", &S::GetDisablePlayControlShortcuts, false, rNone, swNone},
    {"actnControlRaiseVolume", "Volume", &S::GetDisableVolumeChanging, false, rNone, swNone},
    {"actnControlLowerVolume", "Volume", &S::GetDisableVolumeChanging, false, rNone, swNone},
    {"actnControlRestartTrack", "Position", &S::GetDisableTrackSearching, false, rNone, swNone},
    {"actnControlRepeatPlay", "Repeat", nullptr, true, rNone, swNone},
    {"actnQueuePreviousTrack", "Previous", nullptr, true, rNone, swNone},
    {"actnQueueAddAll", "AddAll", nullptr, false, rAddAll, swK},
    {"actnViewQueueControls", "QueueControls", nullptr, false, rQueueControls, swK},
    {"actnFileExit", "Exit", nullptr, false, rExit, swK},
    {"actnViewMinimize", "Minimize", nullptr, false, rMinimize, swK},
    {"actnQueueRandomize", "Shuffle", nullptr, false, rQueueOther, swK},
    {"actnQueueLoop", "Loop", nullptr, false, rQueueOther, swK},
    {"actnQueueDelete", "Delete", &S::GetDisableQueueControls, false, rQueueOther, swK},
    {"actnQueueClear", "Clear", &S::GetDisableQueueControls, false, rQueueOther, swK},
    {"actnQueueClearNoConfirm", "Clear", &S::GetDisableQueueControls, false, rNone, swNone},
    {"actnQueueMoveTop", "MoveTo", &S::GetDisableQueueControls, false, rQueueMove, swK},
    {"actnQueueMoveUp", "MoveUp", &S::GetDisableQueueControls, false, rQueueMove, swK},
    {"actnQueueMoveDown", "MoveDown", &S::GetDisableQueueControls, false, rQueueMove, swK},
    {"actnViewFullScreen", "FullScreen", nullptr, false, rPartyOff, swK},
    {"actnHelpHelp", "Help", nullptr, false, rPartyOff, swK},
    {"actnStackerConfigure", "StackerConfig", &S::GetDisableStackerControl, false, rNone, swNone},
    {"actnStackerEnabled", "StackerToggle", &S::GetDisableStackerControl, false, rNone, swNone},
    {"actnPlaylistsShowEditor", "PlaylistEditor", &S::GetDisablePlaylistEditor, false, rNone, swNone},
};

struct Setting {
    const char* Name;
    void (S::*Set)(bool);
};
const Setting kSettings[] = {
    {"DisableStopControl", &S::SetDisableStopControl},
    {"DisableTrackSearching", &S::SetDisableTrackSearching},
    {"DisablePauseControl", &S::SetDisablePauseControl},
    {"DisableNextControl", &S::SetDisableNextControl},
    {"DisablePlayControlShortcuts", &S::SetDisablePlayControlShortcuts},
    {"DisableVolumeChanging", &S::SetDisableVolumeChanging},
    {"DisabledApplicationClose", &S::SetDisabledApplicationClose},
    {"DisableMinimize", &S::SetDisableMinimize},
    {"DisableQueueControls", &S::SetDisableQueueControls},
    {"DisableStackerControl", &S::SetDisableStackerControl},
    {"DisableQueueAddAll", &S::SetDisableQueueAddAll},
    {"StartInPartyPlay", &S::SetStartInPartyPlay},
    {"DisableKeyboardShortcuts", &S::SetDisableKeyboardShortcuts},
    {"DisableQueueMove", &S::SetDisableQueueMove},
    {"DisableQueueOther", &S::SetDisableQueueOther},
    {"HidePlayControls", &S::SetHidePlayControls},
    {"EnabledCreditMode", &S::SetEnabledCreditMode},
    {"DisablePlaylistEditor", &S::SetDisablePlaylistEditor},
};

TpartyPlaySettings AllOff() {
    TpartyPlaySettings s;
    for (const auto& k : kSettings) (s.*k.Set)(false);
    return s;
}

bool Allowed(Rule rule, const S& s) {
    switch (rule) {
        case rNone:
            return true;
        case rAddAll:
            return !s.GetDisableQueueAddAll();
        case rStop:
            return !s.GetDisableStopControl();
        case rNext:
            return !s.GetDisableNextControl();
        case rPause:
            return !s.GetDisablePauseControl();
        case rQueueControls:
            return !s.GetDisableQueueControls();
        case rExit:
            return !s.GetDisabledApplicationClose();
        case rMinimize:
            return !s.GetDisableMinimize();
        case rQueueOther:
            return !s.GetDisableQueueOther() || s.GetDisableQueueControls();
        case rQueueMove:
            return !s.GetDisableQueueMove() || s.GetDisableQueueControls();
        case rPartyOff:
            return false;
    }
    return true;
}

bool SwitchOn(Switch sw, const S& s) {
    if (sw == swK) return !s.GetDisableKeyboardShortcuts();
    if (sw == swP) return !s.GetDisablePlayControlShortcuts();
    return false;
}

// Runs every row from every road it has and checks the outcome against the table.
void CheckMatrix(const TpartyPlaySettings& s, bool party, const std::string& label) {
    TactionList actions;
    TpartyPlaySettings settings = s;
    RecordingHost host;
    TpartyPlayGuards guards(actions, settings, host);
    guards.SetPartyPlay(party);
    guards.UpdateActionStates();
    ASSERT_EQ(guards.IsPartyPlayEnabled(), party);
    for (const auto& row : kRows) {
        Taction& a = actions.Get(row.Action);
        const bool allowed = !party || Allowed(row.State, s);
        const bool enabled = row.State == rNone || allowed || (party ? SwitchOn(row.Sw, s) : true);
        const bool refused = party && ((row.Refuser && (s.*row.Refuser)()) || row.RefusedInPartyPlay);
        if (row.State != rNone) {
            EXPECT_EQ(a.Visible, allowed) << label << " " << row.Action;
            EXPECT_EQ(a.Enabled, enabled) << label << " " << row.Action;
        }
        const bool expectRun = enabled && !refused;
        std::vector<std::pair<const char*, std::function<bool()>>> roads = {
            {"run", [&] { return actions.ExecuteByName(row.Action); }}};
        if (!a.ShortCut.empty())
            roads.push_back({"shortcut", [&] { return actions.ExecuteShortcut(a.ShortCut); }});
        if (a.WParam != 0) roads.push_back({"message", [&] { return actions.ExecuteMessage(a.WParam); }});
        for (auto& [road, go] : roads) {
            host.calls.clear();
            const bool checked = a.Checked;
            const bool ran = go();
            EXPECT_EQ(ran, enabled) << label << " " << row.Action << " by " << road;
            EXPECT_EQ(host.calls[row.Effect] > 0, expectRun) << label << " " << row.Action << " by " << road;
            if (!expectRun) {
                EXPECT_EQ(a.Checked, checked) << label << " " << row.Action << " by " << road;
            }
            // Put toggles back so the next road starts from the same view.
            if (host.calls[row.Effect] > 0 && std::string(row.Effect) == "FullScreen")
                host.fullScreen = !host.fullScreen;
        }
    }
}

TEST(PartyPlayGuardMatrix, EverySettingAloneOnEveryRoad) {
    for (bool party : {false, true}) {
        CheckMatrix(AllOff(), party, std::string("none on, party ") + (party ? "on" : "off"));
        for (const auto& k : kSettings) {
            TpartyPlaySettings s = AllOff();
            (s.*k.Set)(true);
            CheckMatrix(s, party, std::string(k.Name) + (party ? ", party on" : ", party off"));
        }
    }
}

TEST(PartyPlayGuardMatrix, EverySettingOffFromTheDefaults) {
    for (bool party : {false, true}) {
        CheckMatrix(TpartyPlaySettings(), party, std::string("defaults, party ") + (party ? "on" : "off"));
        for (const auto& k : kSettings) {
            TpartyPlaySettings s;
            (s.*k.Set)(false);
            CheckMatrix(s, party,
                        std::string("defaults without ") + k.Name + (party ? ", party on" : ", party off"));
        }
    }
}

TEST(PartyPlayGuardMatrix, GuardedOperationsAndTheForceFlag) {
    struct Op {
        const char* Name;
        bool (S::*Refuser)() const;
        std::function<bool(TpartyPlayGuards&, bool)> Call;
    };
    const Op ops[] = {
        {"SetPlayerVolume", &S::GetDisableVolumeChanging,
         [](TpartyPlayGuards& g, bool f) { return g.SetPlayerVolume(9, f); }},
        {"SetPlayerPosition", &S::GetDisableTrackSearching,
         [](TpartyPlayGuards& g, bool f) { return g.SetPlayerPosition(900, f); }},
        {"QueueClear", &S::GetDisableQueueControls,
         [](TpartyPlayGuards& g, bool f) { return g.QueueClear(f, true); }},
        {"QueueDelete", &S::GetDisableQueueControls,
         [](TpartyPlayGuards& g, bool f) { return g.QueueDelete(1, f); }},
        {"QueueMoveUp", &S::GetDisableQueueControls,
         [](TpartyPlayGuards& g, bool f) { return g.QueueMoveUp(1, f); }},
        {"QueueMoveDown", &S::GetDisableQueueControls,
         [](TpartyPlayGuards& g, bool f) { return g.QueueMoveDown(1, f); }},
        {"QueueMoveTo", &S::GetDisableQueueControls,
         [](TpartyPlayGuards& g, bool f) { return g.QueueMoveTo(1, 4, f); }},
        {"ShowStackerConfig", &S::GetDisableStackerControl,
         [](TpartyPlayGuards& g, bool f) { return g.ShowStackerConfig(f); }},
        {"ToggleStacker", &S::GetDisableStackerControl,
         [](TpartyPlayGuards& g, bool f) { return g.ToggleStacker(f); }},
        {"ShowPlaylistEditor", &S::GetDisablePlaylistEditor,
         [](TpartyPlayGuards& g, bool f) { return g.ShowPlaylistEditor(f); }},
    };
    for (const auto& k : kSettings)
        for (bool party : {false, true})
            for (bool force : {false, true})
                for (const auto& op : ops) {
                    TactionList actions;
                    TpartyPlaySettings s = AllOff();
                    (s.*k.Set)(true);
                    RecordingHost host;
                    TpartyPlayGuards g(actions, s, host);
                    g.SetPartyPlay(party);
                    const bool expect = force || !party || !(s.*op.Refuser)();
                    EXPECT_EQ(op.Call(g, force), expect)
                        << op.Name << " " << k.Name << (party ? " party" : "") << (force ? " forced" : "");
                }
}

TEST_F(Guards, HiddenStopStillRunsFromItsShortcutAndMessage) {
    settings = AllOff();
    settings.SetDisableStopControl(true);
    guards.SetPartyPlay(true);
    EXPECT_FALSE(actions.Get("actnControlStop").Visible);
    EXPECT_TRUE(actions.ExecuteShortcut("ctrl+s"));
    EXPECT_TRUE(actions.ExecuteMessage(3));
    EXPECT_EQ(host.calls["Stop"], 2);
    actions.ExecuteByName("actnControlStop");
    EXPECT_EQ(host.calls["Stop"], 2) << "the button's own action is refused";
}

TEST_F(Guards, QueueControlsOffHidesControlsButQueueActionsStayAndRefuse) {
    settings = AllOff();
    settings.SetDisableQueueControls(true);
    settings.SetDisableQueueMove(true);
    settings.SetDisableQueueOther(true);
    guards.SetPartyPlay(true);
    EXPECT_FALSE(host.queueControls);
    for (const char* name : {"actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown", "actnQueueRandomize",
                             "actnQueueLoop", "actnQueueDelete", "actnQueueClear"})
        EXPECT_TRUE(actions.Get(name).Visible) << name;
    EXPECT_FALSE(guards.QueueDelete(1, false));
    EXPECT_FALSE(actions.ExecuteMessage(303) && host.calls["Delete"] > 0);
    EXPECT_EQ(host.calls["Delete"], 0);
    // The settings window passes Force.
    EXPECT_TRUE(guards.QueueDelete(1, true));
    EXPECT_TRUE(guards.QueueMoveTo(3, 0, true));
    EXPECT_TRUE(guards.QueueClear(true, true));
    EXPECT_TRUE(guards.ShowPlaylistEditor(true));
    EXPECT_TRUE(guards.SetPlayerVolume(300, true));
    EXPECT_EQ(host.volume, 255);
}

TEST_F(Guards, PlayQueueItemNowGoesThroughBothGuards) {
    settings = AllOff();
    guards.SetPartyPlay(true);
    actions.ExecuteByName("actnQueuePlayNow");
    EXPECT_EQ(host.calls["MoveTo"], 1);
    EXPECT_EQ(host.calls["Skip"], 1);
    settings.SetDisableNextControl(true);
    settings.SetDisableQueueControls(true);
    guards.UpdateActionStates();
    host.calls.clear();
    actions.ExecuteByName("actnQueuePlayNow");
    EXPECT_TRUE(host.calls.empty() || (host.calls["MoveTo"] == 0 && host.calls["Skip"] == 0));
}

TEST_F(Guards, SwitchingRestoresTheSavedViewWithThePassword) {
    settings.SetPassword("1234");
    host.fullScreen = false;
    host.mainMenu = true;
    host.queueControls = true;
    host.browse = 0b1011;  // with the internet-radio node

    host.answer = "wrong";
    EXPECT_FALSE(guards.SetPartyPlay(true));
    EXPECT_FALSE(guards.IsPartyPlayEnabled());
    EXPECT_EQ(host.prompts.back(), "Enter the password to Enable Party Play Mode...");
    EXPECT_TRUE(host.mainMenu);

    host.answer = "1234";
    ASSERT_TRUE(guards.SetPartyPlay(true));
    EXPECT_TRUE(host.fullScreen);
    EXPECT_FALSE(host.mainMenu);
    EXPECT_FALSE(host.queueControls) << "DisableQueueControls is on by default";
    EXPECT_EQ(host.browse, 0b0011u) << "the internet-radio node leaves the tree";
    EXPECT_EQ(host.queueMax, 15u);
    EXPECT_FALSE(host.popup);
    EXPECT_FALSE(host.listPopups);

    // A change of the settings while on does not overwrite the saved view.
    settings.SetDisableQueueControls(false);
    settings.SetQueueLimit(4);
    guards.UpdateActionStates();
    EXPECT_EQ(host.queueMax, 4u);

    host.answer = "";
    EXPECT_FALSE(guards.SetPartyPlay(false));
    EXPECT_EQ(host.prompts.back(), "Enter the password to Disable Party Play Mode...");
    EXPECT_TRUE(guards.IsPartyPlayEnabled());
    EXPECT_TRUE(host.fullScreen);

    host.answer = "1234";
    ASSERT_TRUE(guards.SetPartyPlay(false));
    EXPECT_FALSE(host.fullScreen);
    EXPECT_TRUE(host.mainMenu);
    EXPECT_TRUE(host.queueControls);
    EXPECT_EQ(host.browse, 0b1011u);
    EXPECT_EQ(host.queueMax, 0u);
    EXPECT_TRUE(host.popup);
    EXPECT_TRUE(host.listPopups);
}

TEST_F(Guards, NoPasswordPassesWithoutAskingAndTheMenuPasswordFlag) {
    host.fullScreen = true;
    host.mainMenu = false;
    guards.MenuByPassword = true;
    ASSERT_TRUE(guards.SetPartyPlay(true));
    EXPECT_TRUE(host.prompts.empty());
    ASSERT_TRUE(guards.SetPartyPlay(false));
    EXPECT_TRUE(host.fullScreen) << "full screen before stays full screen";
    EXPECT_FALSE(host.mainMenu);
    EXPECT_FALSE(host.popup) << "no popup menu while the menu is password protected";

    settings.SetPassword("pw");
    host.answer = "no";
    EXPECT_FALSE(guards.ShowMainMenu(true));
    EXPECT_EQ(host.prompts.back(), "Enter the password to Show the Main Menu...");
    EXPECT_FALSE(host.mainMenu);
    EXPECT_TRUE(guards.ShowMainMenu(false)) << "hiding needs no password";
    host.answer = "pw";
    EXPECT_TRUE(guards.ShowMainMenu(true));
    EXPECT_TRUE(actions.Get("actnViewMainMenu").Checked);
}

// The host here would act on any row; the guard alone must keep the edits inside the queue
// of five, also with Force (the settings window's road) and from the actions' focused row.
TEST_F(Guards, QueueEditsOutsideTheQueueAreRefusedByTheGuardItself) {
    EXPECT_FALSE(guards.QueueDelete(5, true)) << "index == count";
    EXPECT_FALSE(guards.QueueDelete(-1, true));
    EXPECT_FALSE(guards.QueueMoveDown(4, true)) << "the last row has nowhere to go";
    EXPECT_FALSE(guards.QueueMoveDown(5, true));
    EXPECT_FALSE(guards.QueueMoveUp(0, true));
    EXPECT_FALSE(guards.QueueMoveUp(5, true));
    EXPECT_FALSE(guards.QueueMoveTo(2, 5, true));
    EXPECT_FALSE(guards.QueueMoveTo(5, 0, true));
    host.focused = 5;
    actions.ExecuteByName("actnQueueDelete");
    host.focused = 4;
    actions.ExecuteByName("actnQueueMoveDown");
    EXPECT_EQ(host.calls["Delete"], 0);
    EXPECT_EQ(host.calls["MoveDown"], 0);
    EXPECT_EQ(host.calls["MoveUp"], 0);
    EXPECT_EQ(host.calls["MoveTo"], 0);

    // The last row itself can be deleted and the one before it moved down.
    EXPECT_TRUE(guards.QueueDelete(4, true));
    EXPECT_TRUE(guards.QueueMoveDown(3, true));
    EXPECT_TRUE(guards.QueueMoveUp(4, true));
    EXPECT_EQ(host.calls["Delete"], 1);
    EXPECT_EQ(host.calls["MoveDown"], 1);
    EXPECT_EQ(host.calls["MoveUp"], 1);
}

// Clearing asks first unless told not to; an empty queue has nothing to clear: no question,
// no clearing and no success reported, from the actions as from the settings window.
TEST_F(Guards, ClearingAsksFirstAndAnEmptyQueueIsLeftAlone) {
    host.confirmClear = false;
    EXPECT_FALSE(guards.QueueClear(false, false));
    EXPECT_EQ(host.calls["ConfirmClear"], 1);
    EXPECT_EQ(host.calls["Clear"], 0);
    host.confirmClear = true;
    EXPECT_TRUE(guards.QueueClear(false, false));
    EXPECT_EQ(host.calls["ConfirmClear"], 2);
    EXPECT_EQ(host.calls["Clear"], 1);
    EXPECT_TRUE(guards.QueueClear(false, true));
    EXPECT_EQ(host.calls["ConfirmClear"], 2) << "the no-confirm clear asks nothing";
    EXPECT_EQ(host.calls["Clear"], 2);

    host.count = 0;
    host.calls.clear();
    EXPECT_FALSE(guards.QueueClear(false, false));
    EXPECT_FALSE(guards.QueueClear(true, false));
    EXPECT_FALSE(guards.QueueClear(false, true));
    actions.ExecuteByName("actnQueueClear");
    actions.ExecuteByName("actnQueueClearNoConfirm");
    EXPECT_EQ(host.calls["ConfirmClear"], 0);
    EXPECT_EQ(host.calls["Clear"], 0);
}

TEST_F(Guards, ConfigureAsksThePasswordOnlyWhenOneIsSet) {
    actions.ExecuteByName("actnPartyPlayConfigure");
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(host.calls["PartyPlaySettings"], 1);
    settings.SetPassword("pw");
    host.answer = "wrong";
    actions.ExecuteByName("actnPartyPlayConfigure");
    EXPECT_EQ(host.prompts, (std::vector<std::string>{"Enter the Password to configure Party Play Mode..."}));
    EXPECT_EQ(host.calls["PartyPlaySettings"], 1);
    host.answer = "pw";
    actions.ExecuteByName("actnPartyPlayConfigure");
    EXPECT_EQ(host.calls["PartyPlaySettings"], 2);
}

TEST_F(Guards, PlayControlsCreditsAndRepeat) {
    settings.SetHidePlayControls(true);
    guards.SetPartyPlay(true);
    EXPECT_FALSE(host.playControls);
    EXPECT_FALSE(guards.IsCreditMode());
    settings.SetEnabledCreditMode(true);
    EXPECT_TRUE(guards.IsCreditMode());
    guards.SetCredits(-3);
    EXPECT_EQ(guards.Credits(), 0);
    EXPECT_EQ(host.credits, 0);
    const bool before = actions.Get("actnControlRepeatPlay").Checked;
    actions.ExecuteByName("actnControlRepeatPlay");
    EXPECT_EQ(actions.Get("actnControlRepeatPlay").Checked, before) << "refused without a change";
    guards.SetPartyPlay(false);
    EXPECT_TRUE(host.playControls);
}

TEST_F(Guards, FullScreenNotAllowedHidesItsCommands) {
    host.allowFullScreen = false;
    guards.UpdateActionStates();
    EXPECT_FALSE(actions.Get("actnViewFullScreen").Visible);
    EXPECT_FALSE(actions.Get("actnViewMinimize").Visible);
    guards.SetPartyPlay(true);
    EXPECT_FALSE(host.fullScreen);
}

}  // namespace
}  // namespace tunecrest
