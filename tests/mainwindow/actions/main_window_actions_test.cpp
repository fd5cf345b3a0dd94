// Every action of the running window, through the real window chain (the product window
// with its program entries, the in-process engine playing into a silent sink, a library of
// generated files): each action is run as a click, a key or a message runs it, and its
// effect on the jukebox, the settings or the screen is checked. The settings the window's
// actions change are kept across a close and a new start from the same root.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/mainwindow/actions/main_window_actions_support.h"

namespace tunecrest {
namespace {

using namespace test::window_actions;

// The two actions that only parent a menu.
const std::set<std::string> kDoNothing = {"actnQueue", "actnSettingsActions"};
// Actions whose handlers other work brings; listed here only while they have none, so
// the coverage test names them instead of failing.
const std::set<std::string> kPendingElsewhere = {"actnPartyPlayConfigure", "actnSettingsScrollSongTitle"};

TEST(MainWindowActions, EveryActionOfTheTableHasAHandler) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    std::vector<std::string> missing, pending;
    for (int i = 0; i < form.Actions().Count(); ++i) {
        const Taction& a = form.Actions()[i];
        if (a.OnExecute || kDoNothing.count(a.Name)) continue;
        (kPendingElsewhere.count(a.Name) ? pending : missing).push_back(a.Name);
    }
    EXPECT_EQ(missing, std::vector<std::string>{}) << "actions the menus show that do nothing";
    for (const auto& name : pending) std::cout << "[ pending  ] " << name << " has no handler yet\n";
    // The menu parent is the queue menu's title, never an item that does nothing.
    for (QMenu* menu : form.MainMenuBar()->findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            EXPECT_NE(item->property("actionName").toString().toStdString(), "actnQueue");
    // The player type can be changed in the program.
    ASSERT_NE(form.Actions().Find("actnFileShowWinamp"), nullptr);
    EXPECT_EQ(form.Actions().Get("actnFileShowWinamp").Caption, "Use Winamp");
}

// Actions whose effect the table leaves to tests that can watch it: an outside program
// (the help viewer), a pitch program or a CD drive the test machine does not have, or
// the end of the window (run last, below).
const std::map<std::string, std::string> kCheckedApart = {
    {"actnHelpHelp", "opens the help file in the desktop's viewer (help_viewer tests)"},
    {"actnFileRefreshCDs", "needs a CD drive (local_layer tests with fake drives)"},
    {"actnPacemakerPitchRaise", "needs a pitch program (local_layer tests with fake links)"},
    {"actnPacemakerPitchLower", "needs a pitch program"},
    {"actnPacemakerPitchReset", "needs a pitch program"},
    {"actnPacemakerTempoRaise", "needs a pitch program"},
    {"actnPacemakerTempoLower", "needs a pitch program"},
    {"actnPacemakerTempoReset", "needs a pitch program"},
    {"actnFileExit", "ends the window: run last"},
};

std::vector<Tcase> Cases() {
    std::vector<Tcase> c;
    AddControlCases(c);
    AddFileCases(c);
    AddFocusCases(c);
    AddPartyPlayCases(c);
    AddPlaylistCases(c);
    AddQueueCases(c);
    AddRandomPlayCases(c);
    AddSettingsCases(c);
    AddSlotCases(c);
    AddStackerCases(c);
    AddVideoCases(c);
    AddViewCases(c);
    AddLocalLibraryCases(c);
    return c;
}

TEST(MainWindowActions, EachActionOfTheRunningWindowDoesWhatItSays) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    r.ShowAlbum();
    // Every action of the table has its case here, or is one of the listed exceptions.
    const std::vector<Tcase> cases = Cases();
    std::set<std::string> covered;
    for (const auto& c : cases) covered.insert(c.Actions.begin(), c.Actions.end());
    for (int i = 0; i < form.Actions().Count(); ++i) {
        const std::string& name = form.Actions()[i].Name;
        const bool pending = kPendingElsewhere.count(name) && !form.Actions()[i].OnExecute;
        EXPECT_TRUE(covered.count(name) || kDoNothing.count(name) || kCheckedApart.count(name) || pending)
            << name << " has no case";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Actions.front());
        c.Check(r);
        EXPECT_EQ(r.runner->Pending(), 0);
        if (::testing::Test::HasFatalFailure()) return;
    }
    // Exit, last: the window saves and closes.
    ASSERT_TRUE(r.Run("actnFileExit"));
    EXPECT_TRUE(form.Closing());
}

}  // namespace
}  // namespace tunecrest
