#include "mainwindow/party_play/party_play_guards.h"

#include <algorithm>

namespace tunecrest {

using S = TpartyPlaySettings;

TpartyPlayGuards::TpartyPlayGuards(TactionList& actions, TpartyPlaySettings& settings, TpartyPlayHost& host)
    : Factions(actions), Fsettings(settings), Fhost(host) {
    BindHandlers();
}

bool TpartyPlayGuards::IsPartyPlayEnabled() const {
    return Factions.Get("actnPartyPlayEnabled").Checked;
}

bool TpartyPlayGuards::Refused(bool (TpartyPlaySettings::*setting)() const, bool Force) const {
    const bool refused = !Force && IsPartyPlayEnabled() && (Fsettings.*setting)();
    if (refused) ++Frefusals;
    return refused;
}

bool TpartyPlayGuards::SetPlayerVolume(int volume, bool Force) {
    if (Refused(&S::GetDisableVolumeChanging, Force)) return false;
    Fhost.PlayerSetVolume(std::clamp(volume, 0, 255));
    return true;
}

bool TpartyPlayGuards::SetPlayerPosition(int milliseconds, bool Force) {
    if (Refused(&S::GetDisableTrackSearching, Force) || Fhost.IsClosing()) return false;
    Fhost.PlayerSetPosition(std::max(milliseconds, 0));
    return true;
}

bool TpartyPlayGuards::QueueClear(bool Force, bool NoConfirm) {
    if (Refused(&S::GetDisableQueueControls, Force)) return false;
    if (Fhost.QueueCount() <= 0) return false;
    if (!NoConfirm && !Fhost.ConfirmClearQueue()) return false;
    Fhost.ClearQueueNow();
    return true;
}

bool TpartyPlayGuards::QueueDelete(int index, bool Force) {
    if (Refused(&S::GetDisableQueueControls, Force)) return false;
    if (index < 0 || index >= Fhost.QueueCount()) return false;
    Fhost.QueueDeleteAt(index);
    return true;
}

bool TpartyPlayGuards::QueueMoveUp(int index, bool Force) {
    if (Refused(&S::GetDisableQueueControls, Force)) return false;
    if (index <= 0 || index >= Fhost.QueueCount()) return false;
    Fhost.QueueMoveUpAt(index);
    return true;
}

bool TpartyPlayGuards::QueueMoveDown(int index, bool Force) {
    if (Refused(&S::GetDisableQueueControls, Force)) return false;
    if (index < 0 || index >= Fhost.QueueCount() - 1) return false;
    Fhost.QueueMoveDownAt(index);
    return true;
}

bool TpartyPlayGuards::QueueMoveTo(int index, int newIndex, bool Force) {
    if (Refused(&S::GetDisableQueueControls, Force)) return false;
    const int count = Fhost.QueueCount();
    if (index < 0 || index >= count || newIndex < 0 || newIndex >= count || index == newIndex) return false;
    Fhost.QueueMoveToAt(index, newIndex);
    return true;
}

bool TpartyPlayGuards::ShowStackerConfig(bool Force) {
    if (Refused(&S::GetDisableStackerControl, Force)) return false;
    Fhost.ShowStackerConfigWindow();
    return true;
}

bool TpartyPlayGuards::ToggleStacker(bool Force) {
    if (Refused(&S::GetDisableStackerControl, Force)) return false;
    Fhost.ToggleStackerEnabled();
    return true;
}

bool TpartyPlayGuards::ShowPlaylistEditor(bool Force) {
    if (Refused(&S::GetDisablePlaylistEditor, Force)) return false;
    Fhost.ShowPlaylistEditorWindow();
    return true;
}

bool TpartyPlayGuards::SetPartyPlay(bool enable) {
    if (enable == IsPartyPlayEnabled()) return false;
    const std::string prompt =
        std::string("Enter the password to ") + (enable ? "Enable" : "Disable") + " Party Play Mode...";
    if (Fsettings.HasPassword() && !Fhost.CheckPassword(prompt, Fsettings.GetPassword())) return false;
    Factions.Get("actnPartyPlayEnabled").Checked = enable;
    UpdateActionStates();
    return true;
}

void TpartyPlayGuards::StartInPartyPlay() {
    if (IsPartyPlayEnabled()) return;
    Factions.Get("actnPartyPlayEnabled").Checked = true;
    UpdateActionStates();
}

bool TpartyPlayGuards::ShowMainMenu(bool show) {
    if (show && (MenuByPassword || IsPartyPlayEnabled()) && Fsettings.HasPassword() &&
        !Fhost.CheckPassword("Enter the password to Show the Main Menu...", Fsettings.GetPassword()))
        return false;
    Fhost.SetMainMenuVisible(show);
    Factions.Get("actnViewMainMenu").Checked = show;
    return true;
}

void TpartyPlayGuards::SetCredits(int credits) {
    Fcredits = std::max(credits, 0);
    Fhost.ShowCredits(Fcredits);
}

void TpartyPlayGuards::SetActionState(const char* name, bool allowed, bool shortcutSwitch) {
    Taction& a = Factions.Get(name);
    a.Visible = allowed;
    a.Enabled = allowed || shortcutSwitch;
}

void TpartyPlayGuards::UpdateActionStates() {
    const bool party = IsPartyPlayEnabled();
    if (party) {
        // The view is saved only at the switch-on, so that a change of the settings while
        // party play is on (which runs this again) cannot overwrite what is restored later.
        if (!FsavedValid) {
            FsavedValid = true;
            FsavedBrowseMode = Fhost.BrowseDisplayMode();
            FsavedFullScreen = Fhost.IsFullScreen();
            FsavedMainMenu = Fhost.IsMainMenuVisible();
            FsavedQueueControls = Fhost.QueueControlsVisible();
        }
        const uint32_t radio = Fhost.RadioStationsMode();
        if (radio != 0 && (Fhost.BrowseDisplayMode() & radio) != 0)
            Fhost.SetBrowseDisplayMode(Fhost.BrowseDisplayMode() & ~radio);
        Fhost.SetQueueMax(Fsettings.GetQueueLimit());
        if (Fhost.FullScreenAllowed()) Fhost.SetFullScreen(true);
        if (Fhost.IsMainMenuVisible()) ShowMainMenu(false);
        Fhost.SetShowQueueControls(FsavedQueueControls && !Fsettings.GetDisableQueueControls());
    } else {
        Fhost.SetQueueMax(0);
        if (FsavedValid) {
            FsavedValid = false;
            if (Fhost.FullScreenAllowed()) Fhost.SetFullScreen(FsavedFullScreen);
            if (FsavedMainMenu != Fhost.IsMainMenuVisible()) ShowMainMenu(FsavedMainMenu);
            Fhost.SetShowQueueControls(FsavedQueueControls);
            if (Fhost.BrowseDisplayMode() != FsavedBrowseMode) Fhost.SetBrowseDisplayMode(FsavedBrowseMode);
        }
    }
    Fhost.SetMainPopupMenu(!MenuByPassword && !party);
    Fhost.SetListPopupsAuto(!party);
    Fhost.SetPlayControlsVisible(!(party && Fsettings.GetHidePlayControls()));

    const bool K = KeyboardShortcutsOn();
    const bool P = PlayShortcutsOn();
    const S& s = Fsettings;
    SetActionState("actnQueueAddAll", !party || !s.GetDisableQueueAddAll(), K);
    SetActionState("actnControlStop", !party || !s.GetDisableStopControl(), P);
    SetActionState("actnControlNext", !party || !s.GetDisableNextControl(), P);
    SetActionState("actnControlPause", !party || !s.GetDisablePauseControl(), P);
    SetActionState("actnViewQueueControls", !party || !s.GetDisableQueueControls(), K);
    SetActionState("actnFileExit", !party || !s.GetDisabledApplicationClose(), K);
    SetActionState("actnViewMinimize", !party || !s.GetDisableMinimize(), K);
    const bool other = !party || !s.GetDisableQueueOther() || s.GetDisableQueueControls();
    for (const char* name : {"actnQueueRandomize", "actnQueueLoop", "actnQueueDelete", "actnQueueClear"})
        SetActionState(name, other, K);
    const bool move = !party || !s.GetDisableQueueMove() || s.GetDisableQueueControls();
    for (const char* name : {"actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown"})
        SetActionState(name, move, K);
    SetActionState("actnViewFullScreen", !party, K);
    SetActionState("actnHelpHelp", !party, K);
    // The full-screen and minimise commands exist only where the layout allows full screen.
    if (!Fhost.FullScreenAllowed()) {
        Factions.Get("actnViewFullScreen").Visible = false;
        Factions.Get("actnViewMinimize").Visible = false;
    }
    if (OnActionStatesUpdated) OnActionStatesUpdated(party);
}

void TpartyPlayGuards::Bind(const char* name, std::function<void(Taction&)> handler) {
    Factions.Get(name).OnExecute = std::move(handler);
}

void TpartyPlayGuards::BindHandlers() {
    // The play-control pairs: the button action is refused by its own setting, the shortcut
    // action (Ctrl key and command message) by the play-shortcut setting instead.
    auto play = [this](Taction&) { Fhost.PlayerPlay(); };
    Bind("actnControlPlay", play);
    Bind("actnControlPlayShortcut", play);
    auto guarded = [this](bool (S::*setting)() const, std::function<void()> run) {
        return [this, setting, run](Taction&) {
            if (!Refused(setting, false)) run();
        };
    };
    Bind("actnControlStop", guarded(&S::GetDisableStopControl, [this] { Fhost.PlayerStop(); }));
    Bind("actnControlStopShortcut",
         guarded(&S::GetDisablePlayControlShortcuts, [this] { Fhost.PlayerStop(); }));
    Bind("actnControlPause", guarded(&S::GetDisablePauseControl, [this] { Fhost.PlayerPause(); }));
    Bind("actnControlPauseShortcut",
         guarded(&S::GetDisablePlayControlShortcuts, [this] { Fhost.PlayerPause(); }));
    Bind("actnControlNext", guarded(&S::GetDisableNextControl, [this] { Fhost.Skip(); }));
    Bind("actnControlNextShortcut", guarded(&S::GetDisablePlayControlShortcuts, [this] { Fhost.Skip(); }));
    // The volume keys meet the volume guard like the volume bars: a guest whose volume
    // the owner locked cannot turn it up with F11 or a command message either.
    Bind("actnControlRaiseVolume", [this](Taction&) {
        if (SetPlayerVolume(std::min(Fhost.PlayerVolume() + 25, 255), false)) Fhost.ShowStatus("Volume Up");
    });
    Bind("actnControlLowerVolume", [this](Taction&) {
        if (SetPlayerVolume(std::max(Fhost.PlayerVolume() - 25, 0), false)) Fhost.ShowStatus("Volume Down");
    });
    Bind("actnControlRestartTrack", [this](Taction&) { SetPlayerPosition(0, false); });
    Bind("actnControlRepeatPlay", [this](Taction& a) {
        if (IsPartyPlayEnabled()) {
            a.Checked = !a.Checked;  // refused: the check mark stays as it was
            return;
        }
        Fhost.SetRepeatTrack(a.Checked);
    });
    Bind("actnFileExit", [this](Taction&) { Fhost.AskExitOrShutdown(); });
    Bind("actnHelpHelp", [this](Taction&) { Fhost.ShowHelp(); });
    Bind("actnPartyPlayEnabled", [this](Taction&) { SetPartyPlay(!IsPartyPlayEnabled()); });
    Bind("actnPartyPlayConfigure", [this](Taction&) {
        if (Fsettings.HasPassword() &&
            !Fhost.CheckPassword("Enter the Password to configure Party Play Mode...", Fsettings.GetPassword()))
            return;
        Fhost.ShowPartyPlaySettings();
    });
    Bind("actnPlaylistsShowEditor", [this](Taction&) { ShowPlaylistEditor(false); });
    Bind("actnQueueAddAll", [this](Taction&) { Fhost.QueueAddAll(); });
    Bind("actnQueueAlbum", [this](Taction&) { Fhost.QueueAlbum(); });
    Bind("actnQueueClear", [this](Taction&) { QueueClear(false, false); });
    Bind("actnQueueClearNoConfirm", [this](Taction&) { QueueClear(false, true); });
    Bind("actnQueueDelete", [this](Taction&) {
        if (Fhost.FocusedQueueRow() >= 0) QueueDelete(Fhost.FocusedQueueRow(), false);
    });
    Bind("actnQueueMoveTop", [this](Taction&) {
        if (Fhost.FocusedQueueRow() > 0) QueueMoveTo(Fhost.FocusedQueueRow(), 0, false);
    });
    Bind("actnQueueMoveUp", [this](Taction&) {
        if (Fhost.FocusedQueueRow() > 0) QueueMoveUp(Fhost.FocusedQueueRow(), false);
    });
    Bind("actnQueueMoveDown", [this](Taction&) {
        if (Fhost.FocusedQueueRow() >= 0) QueueMoveDown(Fhost.FocusedQueueRow(), false);
    });
    Bind("actnQueuePlayNow", [this](Taction&) {
        Factions.Get("actnQueueMoveTop").Execute();
        Factions.Get("actnControlNext").Execute();
    });
    Bind("actnQueuePreviousTrack", [this](Taction&) {
        if (!IsPartyPlayEnabled()) Fhost.QueuePreviousTrack();
    });
    Bind("actnQueueRandomize", [this](Taction&) { Fhost.QueueShuffle(); });
    Bind("actnQueueLoop", [this](Taction& a) {
        Fhost.SetLoopQueue(!Fhost.LoopQueue());
        a.Checked = Fhost.LoopQueue();
    });
    Bind("actnStackerConfigure", [this](Taction&) { ShowStackerConfig(false); });
    Bind("actnStackerEnabled", [this](Taction&) { ToggleStacker(false); });
    Bind("actnViewMainMenu", [this](Taction&) { ShowMainMenu(!Fhost.IsMainMenuVisible()); });
    Bind("actnViewQueueControls", [this](Taction& a) {
        Fhost.SetShowQueueControls(!Fhost.QueueControlsVisible());
        a.Checked = Fhost.QueueControlsVisible();
    });
    Bind("actnViewFullScreen", [this](Taction& a) {
        Fhost.SetFullScreen(!Fhost.IsFullScreen());
        a.Checked = Fhost.IsFullScreen();
    });
    Bind("actnViewMinimize", [this](Taction&) { Fhost.Minimize(); });
}

}  // namespace tunecrest
