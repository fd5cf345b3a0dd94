// The action table and our own actions: one entry per command with unique names, messages
// and shortcuts; enabled-but-hidden actions still run from their shortcut and message; the
// shortcuts kept in section "Shortcuts".
#include "mainwindow/action_table.h"

#include <gtest/gtest.h>

#include <set>

#include "core/base/ini_file.h"

namespace tunecrest {
namespace {

TEST(ActionTable, NamesMessagesAndShortcutsAreUnique) {
    const auto& table = MainActionTable();
    EXPECT_EQ(table.size(), 154u);
    std::set<std::string> names, shortcuts;
    std::set<int> messages;
    for (const auto& d : table) {
        EXPECT_TRUE(names.insert(d.Name).second) << d.Name;
        EXPECT_EQ(std::string(d.Name).rfind("actn", 0), 0u) << d.Name;
        if (d.Message != 0) {
            EXPECT_TRUE(messages.insert(d.Message).second) << d.Name;
        }
        if (*d.ShortCut) {
            EXPECT_EQ(NormalizeShortcut(d.ShortCut), d.ShortCut) << d.Name;
            EXPECT_TRUE(shortcuts.insert(d.ShortCut).second) << d.Name;
        }
    }
    TactionList list;
    EXPECT_EQ(list.Get("actnControlStopShortcut").WParam, 3);
    EXPECT_EQ(list.Get("actnControlStopShortcut").MessageID, WM_USER_COMMAND);
    EXPECT_EQ(list.Get("actnControlStop").MessageID, 0);
    EXPECT_FALSE(list.Get("actnQueueAddAll").Visible);
    EXPECT_TRUE(list.Get("actnViewTrackNumbers").Checked);
    EXPECT_EQ(list.Get("actnSlotActivate12").Tag, 12);
    EXPECT_EQ(list.Get("actnFileLaunchAtStart").Caption, "\"Launch on Open\" Setup");
    EXPECT_THROW(list.Get("actnNoSuchThing"), Exception);
}

TEST(ActionTable, RoadsIntoAnAction) {
    TactionList list;
    int runs = 0;
    TactionRoad seen = TactionRoad::arRun;
    Taction& add = list.Get("actnQueueAddSelected");
    add.OnExecute = [&](Taction& a) { ++runs, seen = a.Road; };
    ASSERT_FALSE(add.Visible);
    EXPECT_TRUE(list.ExecuteShortcut("F6"));
    EXPECT_EQ(seen, TactionRoad::arShortcut);
    EXPECT_TRUE(list.ExecuteMessage(400));
    EXPECT_EQ(seen, TactionRoad::arMessage);
    EXPECT_TRUE(list.ExecuteByName("actnqueueaddselected")) << "names without regard to case";
    EXPECT_EQ(runs, 3);
    add.Enabled = false;
    EXPECT_FALSE(list.ExecuteShortcut("F6"));
    EXPECT_FALSE(list.ExecuteMessage(400));
    EXPECT_EQ(runs, 3);
    EXPECT_FALSE(list.ExecuteMessage(0)) << "no action answers message 0";
    EXPECT_FALSE(list.ExecuteMessage(9999));
    EXPECT_FALSE(list.ExecuteShortcut("Ctrl+Q"));

    Taction& keep = list.Get("actnQueueKeepTrackCount");
    const bool was = keep.Checked;
    keep.Execute();
    EXPECT_NE(keep.Checked, was) << "auto-check flips before the handler";
}

TEST(ActionTable, ShortcutText) {
    EXPECT_EQ(NormalizeShortcut("alt+ctrl+x"), "Ctrl+Alt+X");
    EXPECT_EQ(NormalizeShortcut(" Shift + f12 "), "Shift+F12");
    EXPECT_EQ(NormalizeShortcut("Ctrl++"), "Ctrl++");
    EXPECT_EQ(NormalizeShortcut("Ctrl+PgDown"), "Ctrl+PgDown");
    for (const char* bad : {"", "Ctrl", "Ctrl+", "Ctrl+Banana", "F0", "F36", "A+B", "Ctrl++X"})
        EXPECT_EQ(NormalizeShortcut(bad), "") << bad;
}

TEST(ActionTable, ShortcutsSection) {
    TactionList list;
    TiniFile ini;
    list.WriteShortcuts(ini);
    EXPECT_EQ(ini.ReadString("Shortcuts", "ControlPlayShortcut", "?"), "Ctrl+P");
    EXPECT_EQ(ini.ReadString("Shortcuts", "QueueClearNoConfirm", "?"), "") << "message-bound, no shortcut";
    EXPECT_FALSE(ini.ValueExists("Shortcuts", "ControlPlay")) << "neither shortcut nor message";
    const auto keys = ini.ReadSection("Shortcuts");
    EXPECT_EQ(keys.front(), "ControlPlayShortcut");

    ini.WriteString("Shortcuts", "ControlPlayShortcut", "ctrl+alt+p");
    ini.WriteString("Shortcuts", "ControlStopShortcut", "");
    ini.WriteString("Shortcuts", "ControlPauseShortcut", "Ctrl+Nonsense");
    ini.DeleteKey("Shortcuts", "ControlNextShortcut");
    TactionList back;
    back.ReadShortcuts(ini);
    EXPECT_EQ(back.Get("actnControlPlayShortcut").ShortCut, "Ctrl+Alt+P");
    EXPECT_EQ(back.Get("actnControlStopShortcut").ShortCut, "") << "an empty value clears";
    EXPECT_EQ(back.Get("actnControlPauseShortcut").ShortCut, "Ctrl+A") << "no shortcut: unchanged";
    EXPECT_EQ(back.Get("actnControlNextShortcut").ShortCut, "Ctrl+N") << "missing: unchanged";
    EXPECT_TRUE(back.ExecuteShortcut("Ctrl+Alt+P") ||
                back.Get("actnControlPlayShortcut").OnExecute == nullptr);
}

}  // namespace
}  // namespace tunecrest
