#pragma once
// The party-play settings: which controls the guests may use while party play is on, the
// queue limit, credit mode and the password that switching party play on or off asks for.
// The main window's guards ask the getters on every guarded action; the settings window
// edits a working copy and copies it back on OK. Stored in one section of settings.ini.
#include <string>

namespace tunecrest {

class TiniFile;

class TpartyPlaySettings {
  public:
    static constexpr int MaxQueueLimit = 100;
    static constexpr int DefaultQueueLimit = 15;

    bool GetDisableStopControl() const { return FdisableStopControl; }
    bool GetDisableTrackSearching() const { return FdisableTrackSearching; }
    bool GetDisablePauseControl() const { return FdisablePauseControl; }
    bool GetDisableNextControl() const { return FdisableNextControl; }
    bool GetDisablePlayControlShortcuts() const { return FdisablePlayControlShortcuts; }
    bool GetDisableVolumeChanging() const { return FdisableVolumeChanging; }
    bool GetDisabledApplicationClose() const { return FdisabledApplicationClose; }
    bool GetDisableMinimize() const { return FdisableMinimize; }
    bool GetDisableQueueControls() const { return FdisableQueueControls; }
    bool GetDisableStackerControl() const { return FdisableStackerControl; }
    bool GetDisableQueueAddAll() const { return FdisableQueueAddAll; }
    bool GetStartInPartyPlay() const { return FstartInPartyPlay; }
    bool GetDisableKeyboardShortcuts() const { return FdisableKeyboardShortcuts; }
    bool GetDisableQueueMove() const { return FdisableQueueMove; }
    bool GetDisableQueueOther() const { return FdisableQueueOther; }
    bool GetHidePlayControls() const { return FhidePlayControls; }
    bool GetEnabledCreditMode() const { return FenabledCreditMode; }
    bool GetDisablePlaylistEditor() const { return FdisablePlaylistEditor; }
    int GetQueueLimit() const { return FqueueLimit; }
    const std::string& GetPassword() const { return Fpassword; }

    void SetDisableStopControl(bool v) { FdisableStopControl = v; }
    void SetDisableTrackSearching(bool v) { FdisableTrackSearching = v; }
    void SetDisablePauseControl(bool v) { FdisablePauseControl = v; }
    void SetDisableNextControl(bool v) { FdisableNextControl = v; }
    void SetDisablePlayControlShortcuts(bool v) { FdisablePlayControlShortcuts = v; }
    void SetDisableVolumeChanging(bool v) { FdisableVolumeChanging = v; }
    void SetDisabledApplicationClose(bool v) { FdisabledApplicationClose = v; }
    void SetDisableMinimize(bool v) { FdisableMinimize = v; }
    void SetDisableQueueControls(bool v) { FdisableQueueControls = v; }
    void SetDisableStackerControl(bool v) { FdisableStackerControl = v; }
    void SetDisableQueueAddAll(bool v) { FdisableQueueAddAll = v; }
    void SetStartInPartyPlay(bool v) { FstartInPartyPlay = v; }
    void SetDisableKeyboardShortcuts(bool v) { FdisableKeyboardShortcuts = v; }
    void SetDisableQueueMove(bool v) { FdisableQueueMove = v; }
    void SetDisableQueueOther(bool v) { FdisableQueueOther = v; }
    void SetHidePlayControls(bool v) { FhidePlayControls = v; }
    void SetEnabledCreditMode(bool v) { FenabledCreditMode = v; }
    void SetDisablePlaylistEditor(bool v) { FdisablePlaylistEditor = v; }
    // Negative values become 0 (no limit); values above MaxQueueLimit become the maximum.
    void SetQueueLimit(int v);
    void SetPassword(const std::string& v) { Fpassword = v; }
    bool HasPassword() const { return !Fpassword.empty(); }

    // Reads every key of `section`; a missing key keeps the current value. The keyboard
    // shortcut switch is always on after loading.
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    void SaveToIni(TiniFile& ini, const std::string& section) const;

    // The change of password asked for on the password page. The current text must equal the
    // stored password exactly (empty when none is stored) and the two new texts must agree;
    // an empty new text removes the password. Returns "" on success, else the refusal text.
    std::string ChangePassword(const std::string& current, const std::string& newPassword,
                               const std::string& confirm);

    bool operator==(const TpartyPlaySettings&) const = default;

  private:
    bool FdisableStopControl = true;
    bool FdisableTrackSearching = true;
    bool FdisablePauseControl = true;
    bool FdisableNextControl = true;
    bool FdisablePlayControlShortcuts = true;
    bool FdisableVolumeChanging = true;
    bool FdisabledApplicationClose = true;
    bool FdisableMinimize = true;
    bool FdisableQueueControls = true;
    bool FdisableStackerControl = true;
    bool FdisableQueueAddAll = true;
    bool FstartInPartyPlay = false;
    bool FdisableKeyboardShortcuts = true;
    bool FdisableQueueMove = false;
    bool FdisableQueueOther = false;
    bool FhidePlayControls = false;
    bool FenabledCreditMode = false;
    bool FdisablePlaylistEditor = true;
    int FqueueLimit = DefaultQueueLimit;
    std::string Fpassword;
};

// Texts of the password page's refusals, both shown in a box titled "Invalid Password".
inline constexpr const char* PasswordNotCorrectText = "The password is not correct";
inline constexpr const char* PasswordsDoNotMatchText = "The new passwords do not match";

}  // namespace tunecrest
