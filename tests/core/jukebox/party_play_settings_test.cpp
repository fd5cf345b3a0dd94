// The party-play settings in section "PartyPlay": every key with its default, the order and
// form of the written keys, clamping of the queue limit, the keyboard switch that is always
// on after loading, the playlist-editor switch that survives a restart, and the password.
#include "core/jukebox/party_play_settings.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"

namespace tunecrest {
namespace {

struct BoolKey {
    const char* Key;
    bool Default;
    bool (TpartyPlaySettings::*Get)() const;
    void (TpartyPlaySettings::*Set)(bool);
};

// Every switch with its key and default, in the order the file holds them.
const BoolKey kKeys[] = {
    {"DisableStopControl", true, &TpartyPlaySettings::GetDisableStopControl,
     &TpartyPlaySettings::SetDisableStopControl},
    {"DisableTrackSearching", true, &TpartyPlaySettings::GetDisableTrackSearching,
     &TpartyPlaySettings::SetDisableTrackSearching},
    {"DisablePauseControl", true, &TpartyPlaySettings::GetDisablePauseControl,
     &TpartyPlaySettings::SetDisablePauseControl},
    {"DisableNextControl", true, &TpartyPlaySettings::GetDisableNextControl,
     &TpartyPlaySettings::SetDisableNextControl},
    {"DisablePlayControlShortcuts", true, &TpartyPlaySettings::GetDisablePlayControlShortcuts,
     &TpartyPlaySettings::SetDisablePlayControlShortcuts},
    {"DisableVolumeChanging", true, &TpartyPlaySettings::GetDisableVolumeChanging,
     &TpartyPlaySettings::SetDisableVolumeChanging},
    {"DisabledApplicationClose", true, &TpartyPlaySettings::GetDisabledApplicationClose,
     &TpartyPlaySettings::SetDisabledApplicationClose},
    {"DisableMinimize", true, &TpartyPlaySettings::GetDisableMinimize,
     &TpartyPlaySettings::SetDisableMinimize},
    {"DisableQueueControls", true, &TpartyPlaySettings::GetDisableQueueControls,
     &TpartyPlaySettings::SetDisableQueueControls},
    {"DisableStackerControl", true, &TpartyPlaySettings::GetDisableStackerControl,
     &TpartyPlaySettings::SetDisableStackerControl},
    {"DisableQueueAddAll", true, &TpartyPlaySettings::GetDisableQueueAddAll,
     &TpartyPlaySettings::SetDisableQueueAddAll},
    {"StartInPartyPlay", false, &TpartyPlaySettings::GetStartInPartyPlay,
     &TpartyPlaySettings::SetStartInPartyPlay},
    {"DisableKeyboardShortcuts", true, &TpartyPlaySettings::GetDisableKeyboardShortcuts,
     &TpartyPlaySettings::SetDisableKeyboardShortcuts},
    {"DisableQueueMove", false, &TpartyPlaySettings::GetDisableQueueMove,
     &TpartyPlaySettings::SetDisableQueueMove},
    {"DisableQueueOther", false, &TpartyPlaySettings::GetDisableQueueOther,
     &TpartyPlaySettings::SetDisableQueueOther},
    {"EnabledCreditMode", false, &TpartyPlaySettings::GetEnabledCreditMode,
     &TpartyPlaySettings::SetEnabledCreditMode},
    {"HidePlayControls", false, &TpartyPlaySettings::GetHidePlayControls,
     &TpartyPlaySettings::SetHidePlayControls},
    {"DisablePlaylistEditor", true, &TpartyPlaySettings::GetDisablePlaylistEditor,
     &TpartyPlaySettings::SetDisablePlaylistEditor},
};

TEST(PartyPlaySettings, DefaultsAndAMissingSection) {
    TpartyPlaySettings fresh;
    for (const auto& k : kKeys) EXPECT_EQ((fresh.*k.Get)(), k.Default) << k.Key;
    EXPECT_EQ(fresh.GetQueueLimit(), 15);
    EXPECT_EQ(fresh.GetPassword(), "");

    TiniFile ini;
    ini.SetText("[Other]\nDisableStopControl=0\n");
    TpartyPlaySettings loaded;
    loaded.LoadFromIni(ini, "PartyPlay");
    EXPECT_EQ(loaded, fresh);
}

TEST(PartyPlaySettings, WritesEveryKeyInOrder) {
    TpartyPlaySettings s;
    s.SetQueueLimit(7);
    s.SetPassword("pw");
    TiniFile ini;
    s.SaveToIni(ini, "PartyPlay");
    EXPECT_EQ(ini.GetText(),
              "[PartyPlay]\r\nDisableStopControl=1\r\nDisableTrackSearching=1\r\nDisablePauseControl=1\r\n"
              "DisableNextControl=1\r\nDisablePlayControlShortcuts=1\r\nDisableVolumeChanging=1\r\n"
              "DisabledApplicationClose=1\r\nDisableMinimize=1\r\nDisableQueueControls=1\r\n"
              "DisableStackerControl=1\r\nDisableQueueAddAll=1\r\nStartInPartyPlay=0\r\n"
              "DisableKeyboardShortcuts=1\r\nDisableQueueMove=0\r\nDisableQueueOther=0\r\n"
              "EnabledCreditMode=0\r\nHidePlayControls=0\r\nDisablePlaylistEditor=1\r\nQueueLimit=7\r\n"
              "Password=pw\r\n");
}

TEST(PartyPlaySettings, EachSwitchRoundTripsAgainstItsDefault) {
    for (const auto& k : kKeys) {
        TpartyPlaySettings s;
        (s.*k.Set)(!k.Default);
        TiniFile ini;
        s.SaveToIni(ini, "PartyPlay");
        TpartyPlaySettings back;
        back.LoadFromIni(ini, "PartyPlay");
        if (std::string(k.Key) == "DisableKeyboardShortcuts") {
            EXPECT_TRUE(back.GetDisableKeyboardShortcuts()) << "always on after loading";
            continue;
        }
        EXPECT_EQ(back, s) << k.Key;
        // Each key is read on its own: only that one differs from a fresh object.
        TpartyPlaySettings fresh;
        for (const auto& other : kKeys) {
            if (&other != &k) {
                EXPECT_EQ((back.*other.Get)(), (fresh.*other.Get)()) << k.Key << " / " << other.Key;
            }
        }
    }
}

TEST(PartyPlaySettings, PlaylistEditorSwitchSurvivesARestartAndOlderFilesReadOn) {
    TpartyPlaySettings s;
    s.SetDisablePlaylistEditor(false);
    TiniFile ini;
    s.SaveToIni(ini, "PartyPlay");
    TpartyPlaySettings next;
    next.LoadFromIni(ini, "PartyPlay");
    EXPECT_FALSE(next.GetDisablePlaylistEditor());

    // A file written before the key existed.
    TiniFile older;
    older.SetText("[PartyPlay]\nDisableStopControl=0\nQueueLimit=3\n");
    TpartyPlaySettings fromOlder;
    fromOlder.SetDisablePlaylistEditor(false);
    fromOlder.LoadFromIni(older, "PartyPlay");
    EXPECT_TRUE(fromOlder.GetDisablePlaylistEditor());
    EXPECT_FALSE(fromOlder.GetDisableStopControl());
    EXPECT_EQ(fromOlder.GetQueueLimit(), 3);
}

TEST(PartyPlaySettings, ValuesFromTheFile) {
    TiniFile ini;
    ini.SetText(
        "[PartyPlay]\nDisableKeyboardShortcuts=0\nQueueLimit=-5\nDisableStopControl=7\n"
        "DisableMinimize=no\nPassword= a b \n");
    TpartyPlaySettings s;
    s.LoadFromIni(ini, "PartyPlay");
    EXPECT_TRUE(s.GetDisableKeyboardShortcuts());
    EXPECT_EQ(s.GetQueueLimit(), 0) << "negative limits mean no limit";
    EXPECT_TRUE(s.GetDisableStopControl()) << "any non-zero integer is on";
    EXPECT_TRUE(s.GetDisableMinimize()) << "text that is no number keeps the default";

    ini.WriteString("PartyPlay", "QueueLimit", "500");
    s.LoadFromIni(ini, "PartyPlay");
    EXPECT_EQ(s.GetQueueLimit(), 100);
    ini.WriteString("PartyPlay", "QueueLimit", "junk");
    s.SetQueueLimit(42);
    s.LoadFromIni(ini, "PartyPlay");
    EXPECT_EQ(s.GetQueueLimit(), 42) << "an unreadable limit keeps the current one";
}

TEST(PartyPlaySettings, ChangingThePassword) {
    TpartyPlaySettings s;
    EXPECT_EQ(s.ChangePassword("x", "new", "new"), PasswordNotCorrectText)
        << "no password: current must be empty";
    EXPECT_EQ(s.ChangePassword("", "new", "nwe"), PasswordsDoNotMatchText);
    EXPECT_FALSE(s.HasPassword());
    EXPECT_EQ(s.ChangePassword("", "Secret", "Secret"), "");
    EXPECT_EQ(s.GetPassword(), "Secret");
    EXPECT_EQ(s.ChangePassword("secret", "", ""), PasswordNotCorrectText) << "compared exactly";
    EXPECT_EQ(s.ChangePassword("", "", ""), PasswordNotCorrectText);
    EXPECT_EQ(s.GetPassword(), "Secret");
    EXPECT_EQ(s.ChangePassword("Secret", "", ""), "");
    EXPECT_FALSE(s.HasPassword()) << "an empty new password removes it";
}

}  // namespace
}  // namespace tunecrest
