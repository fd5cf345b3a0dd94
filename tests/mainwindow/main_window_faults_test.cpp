// What a bar owner and a guest met in the running window: shortcuts and media keys while a
// list has the focus, the size lock, the settings written under party play, the queue at a
// restart, minimising and moving the window, refused requests, the menus, the player
// choice of a first start. Input goes where a person's goes: keys to the focused widget,
// taps to the widget under the finger.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <QScreen>

#include "core/base/ini_file.h"
#include "core/display/browse_tree.h"
#include "windows/settings/preferences_dialog.h"
#include "support/pump_events.h"
#include "tests/mainwindow/main_window_actions_support.h"
#include "tests/mainwindow/window_input.h"

namespace tunecrest::test::window_actions {
namespace {

// A tap in the middle of the first row of a list or tree.
void TapFirstRow(QWidget& list) {
    QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(list.width() / 2, 20));
    QApplication::processEvents();
}

// The window the key opened (modal or not) is recorded and closed, and the main window is
// the active one again; answers the opened window's name.
std::string WindowOpenedBy(TfrmBaseJukebox& form, Qt::Key key, Qt::KeyboardModifiers mods, const std::string& name) {
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    runner->Push([](QDialog& d) { d.done(mrCancel); });
    KeyToFocus(key, mods);
    std::string opened = runner->Names.empty() ? "" : runner->Names.front();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QString::fromStdString(name)) {
            w->hide();
            opened = name;
        }
    ShowActive(form);
    return opened;
}

TEST(MainWindowFaults, ShortcutsAndMediaKeysWorkWhileAListHasTheFocus) {
    Rig r;
    r.Start();
    r.ShowAlbum();
    // Each play takes the head of the queue; the queue keeps rows to tap to the end.
    r.QueueFiles(4);
    ShowActive(*r.form);
    TmainLayout& layout = r.form->Layout();
    for (QWidget* list : {static_cast<QWidget*>(layout.Tree), static_cast<QWidget*>(layout.TrackList),
                          static_cast<QWidget*>(layout.QueueList)}) {
        const std::string which = list->objectName().toStdString();
        TapFirstRow(*list);
        ASSERT_EQ(QApplication::focusWidget(), list) << which;
        EXPECT_EQ(WindowOpenedBy(*r.form, Qt::Key_I, Qt::ControlModifier, "frmJukeboxInfo"), "frmJukeboxInfo") << which;
        EXPECT_EQ(WindowOpenedBy(*r.form, Qt::Key_F, Qt::ControlModifier, "frmSongSearch2"), "frmSongSearch2") << which;
        ASSERT_EQ(QApplication::focusWidget(), list) << which;
        r.form->PlayerSetVolume(100);
        KeyToFocus(Qt::Key_F11);
        EXPECT_EQ(r.form->PlayerVolume(), 125) << which;
        KeyToFocus(Qt::Key_F12);
        KeyToFocus(Qt::Key_F12);
        EXPECT_EQ(r.form->PlayerVolume(), 75) << which;
        // The media key stops what plays.
        ASSERT_TRUE(r.Run("actnControlPlay"));
        ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000)) << which;
        KeyToFocus(Qt::Key_MediaStop);
        EXPECT_TRUE(Pump([&] { return !r.Playing(); }, 15000)) << which;
        // The list still takes its own keys.
        KeyToFocus(Qt::Key_Down);
        EXPECT_EQ(QApplication::focusWidget(), list) << which;
    }
    // Ctrl+Alt+X from the focused queue leaves the program.
    TapFirstRow(*layout.QueueList);
    KeyToFocus(Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(r.form->Closed());
}


// One value of the root's settings.ini, as an owner's earlier run left it.
void Set(Rig& r, const std::string& section, const std::string& key, const std::string& value) {
    TiniFile ini(r.root + "Settings/settings.ini");
    ini.WriteString(section, key, value);
    ASSERT_TRUE(ini.UpdateFile());
}


TEST(MainWindowFaults, LockSizesLeavesTheWindowAnsweringTouchAlsoAfterARestart) {
    Rig r;
    r.Start();
    r.ShowAlbum();
    ShowActive(*r.form);
    ASSERT_TRUE(r.Run("actnViewLockSizes"));
    ASSERT_TRUE(r.Checked("actnViewLockSizes"));
    for (int start = 0; start < 2; ++start) {
        TmainLayout& layout = r.form->Layout();
        for (QWidget* w : {static_cast<QWidget*>(layout.TrackList), static_cast<QWidget*>(layout.QueueList),
                           static_cast<QWidget*>(layout.Tree), static_cast<QWidget*>(layout.PlayButton)})
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString() << " start " << start;
        // A guest's road: a tap on a row, a tap on "Queue".
        const int before = r.Queue().Count();
        TapFirstRow(*layout.TrackList);
        Tap(*r.form->findChild<QWidget*>("btnQueue"));
        EXPECT_EQ(r.Queue().Count(), before + 1) << "start " << start;
        if (start == 0) {
            r.Stop();
            r.Start();
            r.ShowAlbum();
            ShowActive(*r.form);
            EXPECT_TRUE(r.Checked("actnViewLockSizes"));
        }
    }
}

// Presses the OK of the preferences dialog.
void PreferencesOk(Rig& r) {
    r.runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmPreferences&>(d);
        QTest::mouseClick(w.btnOK, Qt::LeftButton, {}, w.btnOK->rect().center());
    });
    ASSERT_TRUE(r.Run("actnSettingsGeneral"));
    ASSERT_EQ(r.runner->Pending(), 0);
}

std::string StoredValue(Rig& r, const std::string& section, const std::string& key) {
    return TiniFile(r.root + "Settings/settings.ini").ReadString(section, key, "(missing)");
}

TEST(MainWindowFaults, SettingsWrittenUnderPartyPlayKeepTheOwnersInternetRadioNode) {
    Rig r;
    const uint32_t radio = DisplayModeBit(dmRadioStations);
    const uint32_t owners = 3327 | radio;
    Set(r, "View", "JukeboxList", std::to_string(owners));
    r.Start();
    ASSERT_EQ(r.form->BrowseDisplayMode(), owners);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    // Party play takes the radio node out of the tree for its guests.
    EXPECT_EQ(r.form->BrowseDisplayMode() & radio, 0u);
    // The owner changes a preference while guests are served: the settings are written.
    PreferencesOk(r);
    EXPECT_EQ(StoredValue(r, "View", "JukeboxList"), std::to_string(owners));
    // The next start (party play not set to start with it) shows the radio node again.
    r.Stop();
    r.Start();
    EXPECT_FALSE(r.form->PartyPlayEnabled());
    EXPECT_EQ(r.form->BrowseDisplayMode(), owners);
    // And party play switched off in a run gives the node back.
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    ASSERT_TRUE(r.form->SetPartyPlay(false));
    EXPECT_EQ(r.form->BrowseDisplayMode(), owners);
}

TEST(MainWindowFaults, ASavedQueueComesBackWholeUnderPartyPlaysQueueLimit) {
    Rig r;
    r.Start();
    r.ShowAlbum();
    for (int i = 0; i < 40; ++i) r.Library().AddToQueue(*r.Row(i % 4));
    ASSERT_EQ(r.Queue().Count(), 40);
    r.form->PartyPlaySettings().SetStartInPartyPlay(true);
    r.form->PartyPlaySettings().SetQueueLimit(15);
    r.Stop();
    for (int start = 0; start < 2; ++start) {
        r.Start();
        ASSERT_TRUE(r.form->PartyPlayEnabled());
        EXPECT_EQ(r.Queue().Count(), 40) << "start " << start;
        // The limit holds for what guests add now: a tap on a row and on "Queue".
        ShowActive(*r.form);
        r.ShowAlbum();
        TapFirstRow(*r.form->Layout().TrackList);
        Tap(*r.form->findChild<QWidget*>("btnQueue"));
        EXPECT_EQ(r.Queue().Count(), 40) << "start " << start;
        r.Stop();
    }
}

TEST(MainWindowFaults, UnderPartyPlayTheWindowUndoesAMinimise) {
    Rig r;
    r.Start();
    ShowActive(*r.form);
    // The owner may minimise.
    r.form->setWindowState(r.form->windowState() | Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_TRUE(r.form->isMinimized());
    r.form->setWindowState(r.form->windowState() & ~Qt::WindowMinimized);
    ShowActive(*r.form);
    // A guest's minimise from outside (the window manager's menu) is undone at once.
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    ASSERT_TRUE(r.form->PartyPlaySettings().GetDisableMinimize());
    r.form->setWindowState(r.form->windowState() | Qt::WindowMinimized);
    EXPECT_TRUE(Pump([&] { return !r.form->isMinimized() && r.form->isVisible(); }, 5000));
    EXPECT_TRUE(r.form->IsFullScreen());
    r.form->showMinimized();
    EXPECT_TRUE(Pump([&] { return !r.form->isMinimized() && r.form->isVisible(); }, 5000));
    EXPECT_TRUE(r.form->IsFullScreen());
    // Ctrl+Alt+Z, the minimise shortcut, is refused too.
    KeyToFocus(Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(Pump([&] { return !r.form->isMinimized(); }, 2000));
    ASSERT_TRUE(r.form->SetPartyPlay(false));
}

TEST(MainWindowFaults, AQueueDoubleClickMeetsTheMoveGuard) {
    Rig r;
    Set(r, "Preferences", "QueueDoubleClick", "1");
    r.Start();
    r.ShowAlbum();
    r.QueueFiles(3);
    ShowActive(*r.form);
    TtouchListBox& queue = *r.form->Layout().QueueList;
    const QPoint third(queue.width() / 2, 2 * queue.ItemHeight() + queue.ItemHeight() / 2);
    const std::string last = Name(r.Queue().GetTag(2));
    r.form->PartyPlaySettings().SetDisableQueueMove(true);
    r.form->PartyPlaySettings().SetDisableQueueControls(false);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    QTest::mouseDClick(&queue, Qt::LeftButton, {}, third);
    QApplication::processEvents();
    EXPECT_EQ(Name(r.Queue().GetTag(2)), last) << "a guest's double click moved the row";
    // With the move functions allowed the double click moves the row to the top.
    ASSERT_TRUE(r.form->SetPartyPlay(false));
    QTest::mouseDClick(&queue, Qt::LeftButton, {}, third);
    QApplication::processEvents();
    EXPECT_EQ(Name(r.Queue().GetTag(0)), last);
}

TEST(MainWindowFaults, TheWindowKeepsWhereTheOwnerPutItAndACentredWindowStaysCentred) {
    // The test screen is small: the sizes are the window's smallest and a little more.
    Rig r;
    Set(r, "Geometry", "Width", "740");
    Set(r, "Geometry", "Height", "520");
    r.Start();
    ShowActive(*r.form);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect centred((screen.width() - 740) / 2, (screen.height() - 520) / 2, 740, 520);
    EXPECT_EQ(r.form->geometry(), centred);
    r.Stop();
    r.Start();
    ShowActive(*r.form);
    EXPECT_EQ(r.form->geometry(), centred) << "a centred window comes back where it was";
    // The owner drags and sizes the window.
    r.form->setGeometry(12, 8, 760, 540);
    QApplication::processEvents();
    r.Stop();
    EXPECT_EQ(StoredValue(r, "Geometry", "Left"), "12");
    EXPECT_EQ(StoredValue(r, "Geometry", "Width"), "760");
    r.Start();
    ShowActive(*r.form);
    EXPECT_EQ(r.form->geometry(), QRect(12, 8, 760, 540));
}

TEST(MainWindowFaults, AlwaysOnTopUnderPartyPlayLeavesTheWindowWhereItWas) {
    Rig r;
    for (const auto& [key, value] : {std::pair{"Width", "740"}, {"Height", "520"}, {"Left", "30"}, {"Top", "20"}})
        Set(r, "Geometry", key, value);
    r.Start();
    ShowActive(*r.form);
    const QRect before = r.form->geometry();
    ASSERT_EQ(before, QRect(30, 20, 740, 520));
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    ASSERT_TRUE(r.form->IsFullScreen());
    KeyToFocus(Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(r.form->AlwaysOnTopState());
    EXPECT_TRUE(r.form->IsFullScreen());
    ASSERT_TRUE(r.form->SetPartyPlay(false));
    QApplication::processEvents();
    EXPECT_FALSE(r.form->IsFullScreen());
    EXPECT_EQ(r.form->geometry(), before);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(r.form->geometry()));
    // Started again with "Always on Top" kept: the window stays where it was, start after
    // start (it must not creep by its frame's corner).
    for (int start = 0; start < 2; ++start) {
        r.Stop();
        r.Start();
        ShowActive(*r.form);
        ASSERT_TRUE(r.form->AlwaysOnTopState());
        EXPECT_EQ(r.form->geometry(), before) << "start " << start;
    }
}

TEST(MainWindowFaults, ARefusedRequestTellsTheGuestWhy) {
    Rig r;
    Set(r, "Preferences", "NoQueueDuplications", "1");
    r.Start();
    r.ShowAlbum();
    ShowActive(*r.form);
    TtouchListBox& tracks = *r.form->Layout().TrackList;
    QWidget& queueButton = *r.form->findChild<QWidget*>("btnQueue");
    auto request = [&](int row) {
        QTest::mouseClick(&tracks, Qt::LeftButton, {},
                          QPoint(tracks.width() / 2, row * tracks.ItemHeight() + tracks.ItemHeight() / 2));
        QApplication::processEvents();
        Tap(queueButton);
        return r.Status();
    };
    // The same track twice: the queue refuses the duplicate and says so.
    EXPECT_EQ(request(0), "Added 1 Track to the Queue");
    EXPECT_EQ(request(0), "Added 0 Tracks to the Queue: already in the queue");
    // A full queue under party play's limit.
    r.form->PartyPlaySettings().SetQueueLimit(2);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    EXPECT_EQ(request(1), "Added 1 Track to the Queue");
    EXPECT_EQ(request(2), "Added 0 Tracks to the Queue: the queue is full (2 Tracks)");
    // No credits in credit mode.
    ASSERT_TRUE(r.form->SetPartyPlay(false));
    r.form->PartyPlaySettings().SetQueueLimit(0);
    r.form->PartyPlaySettings().SetEnabledCreditMode(true);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    r.prompt->Messages.clear();
    EXPECT_EQ(request(3), "Added 0 Tracks to the Queue: no credits left");
    EXPECT_EQ(r.prompt->Messages.size(), 1u);
    EXPECT_EQ(r.Queue().Count(), 2);
    ASSERT_TRUE(r.form->SetPartyPlay(false));
}

// The items of the menu bar's menu `title`, as shown (visible ones).
std::vector<std::string> MenuItems(TfrmBaseJukebox& form, const QString& title) {
    std::vector<std::string> items;
    if (QMenu* menu = OpenMenu(*form.MainMenuBar(), {title}))
        for (QAction* item : menu->actions())
            if (item->isVisible() && !item->isSeparator()) items.push_back(item->text().toStdString());
    return items;
}

TEST(MainWindowFaults, EachCommandIsOneMenuItem) {
    Rig r;
    r.Start();
    for (const QString& menu : {QStringLiteral("Control"), QStringLiteral("Queue")}) {
        const std::vector<std::string> items = MenuItems(*r.form, menu);
        ASSERT_FALSE(items.empty()) << menu.toStdString();
        for (const std::string& item : items)
            EXPECT_EQ(std::count(items.begin(), items.end(), item), 1) << menu.toStdString() << ": " << item;
    }
    const std::vector<std::string> control = MenuItems(*r.form, "Control");
    for (const char* item : {"&Play", "&Stop", "P&ause", "&Next"})
        EXPECT_EQ(std::count(control.begin(), control.end(), item), 1) << item;
    const std::vector<std::string> queue = MenuItems(*r.form, "Queue");
    EXPECT_EQ(std::count(queue.begin(), queue.end(), "&Clear"), 1);
    // The one "Clear" asks before it clears.
    r.ShowAlbum();
    r.QueueFiles(2);
    r.prompt->Questions.clear();
    ASSERT_TRUE(TouchMenuItem(*r.form->MainMenuBar(), {"Queue"}, "&Clear"));
    EXPECT_EQ(r.prompt->Questions, (std::vector<std::string>{"Are you sure you want to clear the queue?"}));
    EXPECT_EQ(r.Queue().Count(), 0);
}

TEST(MainWindowFaults, AFirstStartBesideTheShippedStandInAsksNothingAndUseWinampStillSwitches) {
    Rig r;
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(TUNECREST_BIN_DIR) / "tunecrest-outside-player"));
    std::filesystem::remove(r.root + "Settings/settings.ini");
    r.Start();
    ASSERT_TRUE(r.form->FirstRun());
    for (const std::string& q : r.prompt->Questions)
        EXPECT_EQ(q.find("This is the first time"), std::string::npos) << q;
    EXPECT_EQ(r.form->PlayerType(), "DSHOW");
    // File -> Use Winamp switches for the next start and says so under the product's title.
    r.prompt->Messages.clear();
    ASSERT_TRUE(TouchMenuItem(*r.form->MainMenuBar(), {"File"}, "Use Winamp"));
    EXPECT_EQ(r.form->StoredPlayerType(), "WINAMP");
    EXPECT_EQ(r.prompt->Messages,
              (std::vector<std::string>{"Close Application|You must close and restart Tunecrest Audio System "
                                        "Professional for this setting change to take effect."}));
    EXPECT_EQ(StoredValue(r, "Player", "PlayerType"), "WINAMP");
}

TEST(MainWindowFaults, TheProgramsWindowsStayAboveTheMainWindowAlsoWhenItIsOnTop) {
    Rig r;
    Set(r, "Preferences", "AlwaysOnTop", "1");
    r.Start();
    ShowActive(*r.form);
    ASSERT_TRUE(r.form->AlwaysOnTopState());
    // A window the main window opens belongs to it: the window manager keeps it above.
    r.form->CleanScreenClock = [] { return int64_t(0); };
    ASSERT_TRUE(r.Run("actnCleanScreen"));
    QWidget* clean = r.form->CleanScreenWindow();
    ASSERT_NE(clean, nullptr);
    ASSERT_NE(clean->windowHandle(), nullptr);
    EXPECT_EQ(clean->windowHandle()->transientParent(), r.form->windowHandle());
    clean->hide();
}

}  // namespace
}  // namespace tunecrest::test::window_actions
