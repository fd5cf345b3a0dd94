#include "core/jukebox/party_play_settings.h"

#include "core/base/ini_file.h"

namespace tunecrest {

namespace {
// The playlist-editor switch has a key of its own so that it survives a restart; files
// written before it existed have no such key and read it as on.
constexpr const char* PlaylistEditorKey = "DisablePlaylistEditor";
}  // namespace

void TpartyPlaySettings::SetQueueLimit(int v) {
    if (v < 0) v = 0;
    if (v > MaxQueueLimit) v = MaxQueueLimit;
    FqueueLimit = v;
}

void TpartyPlaySettings::LoadFromIni(const TiniFile& ini, const std::string& section) {
    auto readBool = [&](const char* key, bool& field) { field = ini.ReadBool(section, key, field); };
    readBool("DisableStopControl", FdisableStopControl);
    readBool("DisableTrackSearching", FdisableTrackSearching);
    readBool("DisablePauseControl", FdisablePauseControl);
    readBool("DisableNextControl", FdisableNextControl);
    readBool("DisablePlayControlShortcuts", FdisablePlayControlShortcuts);
    readBool("DisableVolumeChanging", FdisableVolumeChanging);
    readBool("DisabledApplicationClose", FdisabledApplicationClose);
    readBool("DisableMinimize", FdisableMinimize);
    readBool("DisableQueueControls", FdisableQueueControls);
    readBool("DisableStackerControl", FdisableStackerControl);
    readBool("DisableQueueAddAll", FdisableQueueAddAll);
    readBool("StartInPartyPlay", FstartInPartyPlay);
    readBool("DisableKeyboardShortcuts", FdisableKeyboardShortcuts);
    readBool("DisableQueueMove", FdisableQueueMove);
    readBool("DisableQueueOther", FdisableQueueOther);
    // Keyboard shortcuts are always locked in party play, whatever the file says.
    FdisableKeyboardShortcuts = true;
    readBool("HidePlayControls", FhidePlayControls);
    readBool("EnabledCreditMode", FenabledCreditMode);
    FdisablePlaylistEditor = ini.ReadBool(section, PlaylistEditorKey, true);
    SetQueueLimit(ini.ReadInteger(section, "QueueLimit", FqueueLimit));
    SetPassword(ini.ReadString(section, "Password", ""));
}

void TpartyPlaySettings::SaveToIni(TiniFile& ini, const std::string& section) const {
    ini.WriteBool(section, "DisableStopControl", FdisableStopControl);
    ini.WriteBool(section, "DisableTrackSearching", FdisableTrackSearching);
    ini.WriteBool(section, "DisablePauseControl", FdisablePauseControl);
    ini.WriteBool(section, "DisableNextControl", FdisableNextControl);
    ini.WriteBool(section, "DisablePlayControlShortcuts", FdisablePlayControlShortcuts);
    ini.WriteBool(section, "DisableVolumeChanging", FdisableVolumeChanging);
    ini.WriteBool(section, "DisabledApplicationClose", FdisabledApplicationClose);
    ini.WriteBool(section, "DisableMinimize", FdisableMinimize);
    ini.WriteBool(section, "DisableQueueControls", FdisableQueueControls);
    ini.WriteBool(section, "DisableStackerControl", FdisableStackerControl);
    ini.WriteBool(section, "DisableQueueAddAll", FdisableQueueAddAll);
    ini.WriteBool(section, "StartInPartyPlay", FstartInPartyPlay);
    ini.WriteBool(section, "DisableKeyboardShortcuts", FdisableKeyboardShortcuts);
    ini.WriteBool(section, "DisableQueueMove", FdisableQueueMove);
    ini.WriteBool(section, "DisableQueueOther", FdisableQueueOther);
    ini.WriteBool(section, "EnabledCreditMode", FenabledCreditMode);
    ini.WriteBool(section, "HidePlayControls", FhidePlayControls);
    ini.WriteBool(section, PlaylistEditorKey, FdisablePlaylistEditor);
    ini.WriteInteger(section, "QueueLimit", FqueueLimit);
    ini.WriteString(section, "Password", Fpassword);
}

std::string TpartyPlaySettings::ChangePassword(const std::string& current, const std::string& newPassword,
                                               const std::string& confirm) {
    if (current != Fpassword) return PasswordNotCorrectText;
    if (newPassword != confirm) return PasswordsDoNotMatchText;
    SetPassword(newPassword);
    return "";
}

}  // namespace tunecrest
