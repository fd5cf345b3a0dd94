#pragma once
// The party-play guards of the main window, without a window: the guarded operations with
// their Force flags, the action handlers that refuse by setting, UpdateActionStates with the
// view state saved at switch-on and restored at switch-off, the popup-menu rules, the two
// shortcut switches, switching party play through the password, and the credits.
//
// The window implements `TpartyPlayHost` (what the guards do to the player, the queue and
// the view) and hands key presses and command messages to the action list; tests implement
// it with a recorder.
#include <cstdint>
#include <functional>
#include <string>

#include "core/jukebox/party_play_settings.h"
#include "mainwindow/actions/action_table.h"

namespace tunecrest {

class TpartyPlayHost {
  public:
    virtual ~TpartyPlayHost() = default;
    virtual bool IsClosing() const { return false; }
    // Player (no refusals here: the guards decide before calling).
    virtual void PlayerPlay() {}
    virtual void PlayerPause() {}
    virtual void PlayerStop() {}
    virtual void Skip() {}        // the next-track request with its wait for the start
    virtual void PlayerNext() {}  // the next-track request alone
    virtual int PlayerVolume() const { return 0; }
    virtual void PlayerSetVolume(int) {}
    virtual void PlayerSetPosition(int) {}
    virtual void SetRepeatTrack(bool) {}
    // Queue.
    virtual int QueueCount() const { return 0; }
    virtual int FocusedQueueRow() const { return -1; }
    virtual bool ConfirmClearQueue() { return true; }  // the OK/Cancel question
    virtual void ClearQueueNow() {}                    // insertion counter 0, then cleared
    virtual void QueueDeleteAt(int) {}
    virtual void QueueMoveUpAt(int) {}
    virtual void QueueMoveDownAt(int) {}
    virtual void QueueMoveToAt(int, int) {}
    virtual void QueueAddAll() {}
    virtual void QueueAlbum() {}  // the album picker, then the album to the queue
    virtual void QueueShuffle() {}
    virtual void SetLoopQueue(bool) {}
    virtual bool LoopQueue() const { return false; }
    virtual void QueuePreviousTrack() {}
    virtual void SetQueueMax(int) {}
    // Windows.
    virtual void ShowStackerConfigWindow() {}
    virtual void ToggleStackerEnabled() {}
    virtual void ShowPlaylistEditorWindow() {}
    virtual void ShowHelp() {}
    virtual void AskExitOrShutdown() {}
    // The party-play settings window, shown modally (the password was asked before).
    virtual void ShowPartyPlaySettings() {}
    virtual void Minimize() {}
    // View state.
    virtual bool FullScreenAllowed() const { return true; }
    virtual bool IsFullScreen() const { return false; }
    virtual void SetFullScreen(bool) {}
    virtual bool IsMainMenuVisible() const { return false; }
    virtual void SetMainMenuVisible(bool) {}
    virtual bool QueueControlsVisible() const { return false; }
    virtual void SetShowQueueControls(bool) {}
    // Browse display modes as a bit set; the bit of the internet-radio node.
    virtual uint32_t BrowseDisplayMode() const { return 0; }
    virtual void SetBrowseDisplayMode(uint32_t) {}  // and rebuild the tree
    virtual uint32_t RadioStationsMode() const { return 0; }
    virtual void SetMainPopupMenu(bool) {}   // the window's popup menu on or none
    virtual void SetListPopupsAuto(bool) {}  // track-list and queue-list popups
    virtual void SetPlayControlsVisible(bool) {}
    virtual void ShowCredits(int) {}
    virtual void ShowStatus(const std::string&) {}
    // Asks for the party-play password with `prompt`; an empty stored password passes.
    virtual bool CheckPassword(const std::string& prompt, const std::string& password) = 0;
};

class TpartyPlayGuards {
  public:
    TpartyPlayGuards(TactionList& actions, TpartyPlaySettings& settings, TpartyPlayHost& host);

    TactionList& Actions() { return Factions; }
    TpartyPlaySettings& Settings() { return Fsettings; }
    TpartyPlayHost& Host() { return Fhost; }

    bool IsPartyPlayEnabled() const;
    bool IsCreditMode() const { return IsPartyPlayEnabled() && Fsettings.GetEnabledCreditMode(); }
    // K: keyboard shortcuts of hidden actions still work. P: the same for play controls.
    bool KeyboardShortcutsOn() const {
        return !(IsPartyPlayEnabled() && Fsettings.GetDisableKeyboardShortcuts());
    }
    bool PlayShortcutsOn() const {
        return !(IsPartyPlayEnabled() && Fsettings.GetDisablePlayControlShortcuts());
    }

    // Guarded operations: with party play on and Force false, the named setting refuses
    // silently. Each answers whether it acted.
    bool SetPlayerVolume(int volume, bool Force);
    bool SetPlayerPosition(int milliseconds, bool Force);
    bool QueueClear(bool Force, bool NoConfirm);
    bool QueueDelete(int index, bool Force);
    bool QueueMoveUp(int index, bool Force);
    bool QueueMoveDown(int index, bool Force);
    bool QueueMoveTo(int index, int newIndex, bool Force);
    bool ShowStackerConfig(bool Force);
    bool ToggleStacker(bool Force);
    bool ShowPlaylistEditor(bool Force);

    // Asks the password ("Enter the password to Enable Party Play Mode..."); only on success
    // switches and updates the action states. Answers whether party play changed.
    bool SetPartyPlay(bool enable);
    // Switched on at start-up without a password (the StartInPartyPlay setting).
    void StartInPartyPlay();
    void UpdateActionStates();

    // The main menu: showing it while the menu password flag is set, or under party play,
    // asks for the party-play password.
    bool ShowMainMenu(bool show);
    bool MenuByPassword = false;
    // Runs at the end of every UpdateActionStates with the party-play state, for the
    // layout's own view options.
    std::function<void(bool party)> OnActionStatesUpdated;

    // How many calls the party-play settings have refused so far; a touch that a guard
    // refused is told so by the window.
    int Refusals() const { return Frefusals; }

    int Credits() const { return Fcredits; }
    void SetCredits(int credits);

  private:
    bool Refused(bool (TpartyPlaySettings::*setting)() const, bool Force) const;
    void Bind(const char* name, std::function<void(Taction&)> handler);
    void BindHandlers();
    void SetActionState(const char* name, bool allowed, bool shortcutSwitch);

    TactionList& Factions;
    TpartyPlaySettings& Fsettings;
    TpartyPlayHost& Fhost;
    int Fcredits = 0;
    mutable int Frefusals = 0;
    // The view before party play was switched on; valid only while it is on.
    bool FsavedValid = false;
    bool FsavedFullScreen = false, FsavedMainMenu = false, FsavedQueueControls = false;
    uint32_t FsavedBrowseMode = 0;
};

}  // namespace tunecrest
