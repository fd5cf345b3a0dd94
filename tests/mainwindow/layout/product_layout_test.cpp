// The product layout's own controls in the running window: each view option of the View
// menu's "Layout" shows and hides its control, is stored under its key and comes back at
// the next start, and party play locks what its settings say; the pause button shows the
// paused state, the back button runs the action the preferences chose, the stacker panel
// shows the stacker's state, "Queue CD" charges credits per track, the search button opens
// the song search, and the menu bar follows the menu size. Taps go to the control under
// the finger.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "core/base/ini_file.h"
#include "mainwindow/layout/main_layout.h"
#include "skin/html_label.h"
#include "skin/skin_button.h"
#include "support/pump_events.h"
#include "tests/mainwindow/actions/main_window_actions_support.h"
#include "tests/mainwindow/window/window_input.h"
#include "tests/support/tree_find.h"
#include "windows/library/choose_cd.h"
#include "windows/settings/preferences_dialog.h"

namespace tunecrest::test::window_actions {
namespace {

QWidget& Control(Rig& r, const char* name) {
    auto* w = r.form->findChild<QWidget*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w ? *w : *r.form;
}

bool Shown(Rig& r, const char* name) { return Control(r, name).isVisibleTo(r.form.get()); }

// Runs the visible item `caption` of View -> Layout, as a touch on it does.
bool TouchLayoutItem(Rig& r, const QString& caption) {
    return TouchMenuItem(*r.form->MainMenuBar(), {"View", "Layout"}, caption);
}

std::string Stored(Rig& r, const std::string& section, const std::string& key) {
    return TiniFile(r.root + "Settings/settings.ini").ReadString(section, key, "(missing)");
}

int OuterMargin(Rig& r) { return r.form->layout()->contentsMargins().left(); }

TEST(ProductLayout, EachViewOptionShowsItsControlAndComesBackAtTheNextStart) {
    Rig r;
    r.Start();
    // What a first start shows: the song title, no stacker panel, no optional buttons.
    EXPECT_TRUE(Shown(r, "bnrSongTitle"));
    for (const char* name : {"pnlStacker", "btnQueueCD", "btnSearch", "btnBack", "sbTrackPosition", "pnlVolume",
                             "btnVolume"})
        EXPECT_FALSE(Shown(r, name)) << name;
    const int margin = OuterMargin(r);
    // Each option from the menu, as the owner touches it.
    const struct {
        const char* Caption;
        const char* Control;
    } toggles[] = {{"Song &Title", "bnrSongTitle"},   {"&Stacker Panel", "pnlStacker"},
                   {"Queue C&D Button", "btnQueueCD"}, {"Searc&h Button", "btnSearch"},
                   {"&Back Button", "btnBack"},        {"Track &Position Bar", "sbTrackPosition"}};
    for (const auto& t : toggles) {
        const bool before = Shown(r, t.Control);
        ASSERT_TRUE(TouchLayoutItem(r, t.Caption)) << t.Caption;
        EXPECT_NE(Shown(r, t.Control), before) << t.Caption;
        // The menu item's check mark says what is shown.
        for (QAction* top : r.form->MainMenuBar()->actions())
            if (top->text() == "View") Q_EMIT top->menu()->aboutToShow();
    }
    ASSERT_TRUE(TouchLayoutItem(r, "Add &Gap"));
    EXPECT_GT(OuterMargin(r), margin);
    ASSERT_TRUE(TouchLayoutItem(r, "Volume Bar at the Top"));
    EXPECT_TRUE(Shown(r, "pnlVolume"));
    EXPECT_FALSE(Shown(r, "btnVolume"));
    ASSERT_TRUE(TouchLayoutItem(r, "Pop-up Volume Bar"));
    EXPECT_FALSE(Shown(r, "pnlVolume"));
    EXPECT_TRUE(Shown(r, "btnVolume"));
    EXPECT_TRUE(r.Checked("actnViewVolumePopup"));
    EXPECT_FALSE(r.Checked("actnViewVolumeTop"));
    // The pop-up bar comes and goes with its button.
    ShowActive(*r.form);
    Tap(Control(r, "btnVolume"));
    EXPECT_TRUE(Shown(r, "pnlVolumePopup"));
    Tap(Control(r, "btnVolume"));
    EXPECT_FALSE(Shown(r, "pnlVolumePopup"));

    // Stored at close under the layout's keys, and shown so at the next start.
    r.Stop();
    EXPECT_EQ(Stored(r, "SongTitle", "Visible"), "0");
    EXPECT_EQ(Stored(r, "Stacker", "Visible"), "1");
    EXPECT_EQ(Stored(r, "View", "QueueCDButton"), "1");
    EXPECT_EQ(Stored(r, "View", "SearchButton"), "1");
    EXPECT_EQ(Stored(r, "View", "BackButton"), "1");
    EXPECT_EQ(Stored(r, "View", "AddGap"), "1");
    EXPECT_EQ(Stored(r, "TrackPosScrollbar", "Mode"), "1");
    EXPECT_EQ(Stored(r, "VolumeScrollbar", "Mode"), "2");
    r.Start();
    EXPECT_FALSE(Shown(r, "bnrSongTitle"));
    for (const char* name : {"pnlStacker", "btnQueueCD", "btnSearch", "btnBack", "sbTrackPosition", "btnVolume"})
        EXPECT_TRUE(Shown(r, name)) << name;
    EXPECT_GT(OuterMargin(r), margin);
    for (const char* action : {"actnViewStacker", "actnViewQueueCDButton", "actnViewSearchButton", "actnViewBackButton",
                               "actnViewAddGap", "actnViewTrackPosition", "actnViewVolumePopup"})
        EXPECT_TRUE(r.Checked(action)) << action;
    EXPECT_FALSE(r.Checked("actnViewSongTitle"));
}

TEST(ProductLayout, PartyPlayLocksTheOptionsItsSettingsNameAndGivesThemBack) {
    Rig r;
    for (const auto& [section, key] : {std::pair{"View", "BackButton"}, {"Stacker", "Visible"},
                                       {"TrackPosScrollbar", "Mode"}, {"View", "SearchButton"}}) {
        TiniFile ini(r.root + "Settings/settings.ini");
        ini.WriteString(section, key, "1");
        ASSERT_TRUE(ini.UpdateFile());
    }
    {
        TiniFile ini(r.root + "Settings/settings.ini");
        ini.WriteString("VolumeScrollbar", "Mode", "1");
        ASSERT_TRUE(ini.UpdateFile());
    }
    r.Start();
    for (const char* name : {"btnBack", "pnlStacker", "sbTrackPosition", "pnlVolume", "btnSearch"})
        ASSERT_TRUE(Shown(r, name)) << name;
    TpartyPlaySettings& party = r.form->PartyPlaySettings();
    party.SetDisableStackerControl(true);
    party.SetDisableTrackSearching(true);
    party.SetDisableVolumeChanging(true);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    for (const char* name : {"btnBack", "pnlStacker", "sbTrackPosition", "pnlVolume"})
        EXPECT_FALSE(Shown(r, name)) << name << " under party play";
    EXPECT_TRUE(Shown(r, "btnSearch")) << "guests search by touch";
    // The options are locked: their actions are refused.
    EXPECT_TRUE(r.Run("actnViewBackButton"));
    EXPECT_FALSE(Shown(r, "btnBack"));
    EXPECT_EQ(r.Status(), "Not available in Party Play Mode");
    // Settings the owner allows bring their controls back while party play goes on.
    party.SetDisableStackerControl(false);
    party.SetDisableVolumeChanging(false);
    r.form->Guards().UpdateActionStates();
    EXPECT_TRUE(Shown(r, "pnlStacker"));
    EXPECT_TRUE(Shown(r, "pnlVolume"));
    EXPECT_FALSE(Shown(r, "sbTrackPosition"));
    EXPECT_FALSE(Shown(r, "btnBack"));
    // The owner's options come back with party play off, and are what is stored.
    ASSERT_TRUE(r.form->SetPartyPlay(false));
    for (const char* name : {"btnBack", "pnlStacker", "sbTrackPosition", "pnlVolume", "btnSearch"})
        EXPECT_TRUE(Shown(r, name)) << name << " after party play";
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    r.form->WriteDisplaySettings();
    EXPECT_EQ(Stored(r, "View", "BackButton"), "1");
    EXPECT_EQ(Stored(r, "TrackPosScrollbar", "Mode"), "1");
    ASSERT_TRUE(r.form->SetPartyPlay(false));
}

TEST(ProductLayout, PauseShowsThePausedStateAndBackRunsTheChosenAction) {
    Rig r;
    {
        TiniFile ini(r.root + "Settings/settings.ini");
        ini.WriteString("View", "BackButton", "1");
        ASSERT_TRUE(ini.UpdateFile());
    }
    r.Start();
    r.ShowAlbum();
    ShowActive(*r.form);
    auto& pause = dynamic_cast<TmySkinButton&>(Control(r, "btnPause"));
    auto* player = r.form->Controller().Player();
    // Two tracks played, so the history holds the one before the current.
    r.QueueFiles(2);
    Tap(Control(r, "btnPlay"));
    ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
    const std::string first = Name(r.form->Controller().CurrentTrack());
    Tap(Control(r, "btnNext"));
    ASSERT_TRUE(Pump([&] { return r.Playing() && Name(r.form->Controller().CurrentTrack()) != first; }, 15000));
    // Pause: the button shows it, Play ends it.
    Tap(pause);
    ASSERT_TRUE(Pump([&] { return player->GetState() == psPaused; }, 15000));
    EXPECT_TRUE(Pump([&] { return pause.Checked(); }, 5000));
    EXPECT_EQ(pause.Caption(), "Paused");
    Tap(Control(r, "btnPlay"));
    ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
    EXPECT_TRUE(Pump([&] { return !pause.Checked(); }, 5000));
    EXPECT_EQ(pause.Caption(), "Pause");

    // Back, mode 0: the previous track to the end of the queue.
    r.Queue().Clear();
    r.QueueFiles(1);
    Tap(Control(r, "btnBack"));
    ASSERT_EQ(r.Queue().Count(), 2);
    EXPECT_EQ(Name(r.Queue().GetTag(1)), first);
    // The preferences choose mode 2: the previous track to the top.
    r.runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmPreferences&>(d);
        EXPECT_TRUE(w.cboBackButton->isVisibleTo(&w)) << "the product window offers the back button's actions";
        w.cboBackButton->setCurrentIndex(2);
        QTest::mouseClick(w.btnOK, Qt::LeftButton, {}, w.btnOK->rect().center());
    });
    ASSERT_TRUE(r.Run("actnSettingsGeneral"));
    EXPECT_TRUE(r.Checked("actnViewBackPreviousAtTop"));
    EXPECT_EQ(TiniFile(r.root + "Settings/settings.ini").ReadString("BackButton", "Mode", ""), "2");
    Tap(Control(r, "btnBack"));
    ASSERT_EQ(r.Queue().Count(), 3);
    EXPECT_EQ(Name(r.Queue().GetTag(0)), first);
    // Mode 1 from the menu: the playing track starts again.
    ASSERT_TRUE(TouchLayoutItem(r, "Back: Restart the Current Track"));
    ASSERT_TRUE(Pump([&] { return player->GetPosition() > 1500; }, 15000));
    Tap(Control(r, "btnBack"));
    EXPECT_LT(player->GetPosition(), 1500u);
    EXPECT_EQ(r.Queue().Count(), 3);
}

TEST(ProductLayout, StackerPanelSearchAndQueueCDByTouch) {
    Rig r;
    {
        TiniFile ini(r.root + "Settings/settings.ini");
        for (const auto& [section, key] : {std::pair{"Stacker", "Visible"}, {"View", "SearchButton"},
                                           {"View", "QueueCDButton"}})
            ini.WriteString(section, key, "1");
        ASSERT_TRUE(ini.UpdateFile());
    }
    r.Start();
    r.ShowAlbum();
    ShowActive(*r.form);
    auto& title = dynamic_cast<ThtmlLabel&>(Control(r, "lblStackerTitle"));
    auto& stacker = dynamic_cast<TmySkinButton&>(Control(r, "btnStacker"));
    EXPECT_EQ(title.Caption(), "");
    EXPECT_FALSE(stacker.Checked());
    // The stacker switched on by touch: no cartridges, so it is empty.
    Tap(stacker);
    EXPECT_TRUE(r.Library().Jukebox()->Stacker().Active());
    EXPECT_TRUE(stacker.Checked());
    EXPECT_NE(title.Caption().find("Empty"), std::string::npos) << title.Caption();
    // A cartridge of the album: the stacker is inactive until one of its tracks plays.
    auto cartridge = std::make_shared<TaudioTagList>();
    cartridge->SetTitle("Late Night");
    cartridge->SetActive(true);
    for (int i = 0; i < 4; ++i) cartridge->AddCopy(r.Row(i));
    r.Library().Jukebox()->Stacker().AddList(cartridge);
    QApplication::processEvents();
    EXPECT_EQ(title.Caption().find("Empty"), std::string::npos) << title.Caption();
    EXPECT_EQ(title.Caption().find("::::"), std::string::npos) << "no marker is shown: " << title.Caption();
    Tap(Control(r, "btnPlay"));
    ASSERT_TRUE(Pump([&] { return r.Playing(); }, 15000));
    EXPECT_TRUE(Pump([&] { return title.Caption().find("Late Night") != std::string::npos; }, 5000))
        << title.Caption();
    Tap(stacker);
    EXPECT_FALSE(r.Library().Jukebox()->Stacker().Active());
    EXPECT_EQ(title.Caption(), "");
    r.Run("actnControlStop");

    // Search by touch opens the song search.
    r.CloseNextDialog();
    Tap(Control(r, "btnSearch"));
    EXPECT_EQ(r.LastDialog(), "frmSongSearch2");

    // Queue CD in credit mode: each track of the CD costs a credit.
    r.Queue().Clear();
    r.form->PartyPlaySettings().SetEnabledCreditMode(true);
    ASSERT_TRUE(r.form->SetPartyPlay(true));
    r.form->Guards().SetCredits(2);
    r.runner->Push([](QDialog& dialog) {
        auto& window = dynamic_cast<TfrmChooseCD&>(dialog);
        TmyNode* album = test::FindNode(window.tvAlbums->Nodes(), [](TmyNode* node) {
            auto* list = node->DataAs<TaudioTagAlbum>();
            return list && list->Title() == "Night Shift";
        });
        ASSERT_NE(album, nullptr);
        album->ExpandParents();
        window.tvAlbums->RebuildVisible();
        window.tvAlbums->SelectNode(album, false);
        QTest::mouseClick(window.btnOK, Qt::LeftButton, {}, window.btnOK->rect().center());
    });
    Tap(Control(r, "btnQueueCD"));
    EXPECT_EQ(r.Queue().Count(), 2);
    EXPECT_EQ(r.form->Guards().Credits(), 0);
    EXPECT_EQ(r.Status(), "Added 2 Tracks to the Queue: no credits left");
    ASSERT_TRUE(r.form->SetPartyPlay(false));
}

TEST(ProductLayout, TheMenuBarFollowsTheMenuSizeAndNeverGoesBelowAFingersHeight) {
    for (const auto& [size, least] : {std::pair{16, 48}, {60, 64}}) {
        Rig r;
        {
            TiniFile ini(r.root + "Settings/settings.ini");
            ini.WriteString("Preferences", "MenuSize", std::to_string(size));
            ini.WriteString("MainMenu", "Visible", "1");
            ASSERT_TRUE(ini.UpdateFile());
        }
        r.Start();
        ShowActive(*r.form);
        QMenuBar* bar = r.form->MainMenuBar();
        ASSERT_TRUE(bar->isVisible());
        EXPECT_GE(bar->height(), least) << "MenuSize " << size;
        // Each item of a menu is as high as a finger needs.
        QMenu* control = nullptr;
        for (QAction* top : bar->actions())
            if (top->text() == "Control") control = top->menu();
        ASSERT_NE(control, nullptr);
        Q_EMIT control->aboutToShow();
        control->ensurePolished();
        for (QAction* item : control->actions())
            if (item->isVisible() && !item->isSeparator()) {
                EXPECT_GE(control->actionGeometry(item).height(), least) << item->text().toStdString();
                break;
            }
    }
    // The preferences' menu height applies at once.
    Rig r;
    {
        TiniFile ini(r.root + "Settings/settings.ini");
        ini.WriteString("MainMenu", "Visible", "1");
        ASSERT_TRUE(ini.UpdateFile());
    }
    r.Start();
    ShowActive(*r.form);
    r.runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmPreferences&>(d);
        w.seMenuHeight->setValue(56);
        QTest::mouseClick(w.btnOK, Qt::LeftButton, {}, w.btnOK->rect().center());
    });
    ASSERT_TRUE(r.Run("actnSettingsGeneral"));
    QApplication::processEvents();
    EXPECT_GE(r.form->MainMenuBar()->height(), 60);
}

}  // namespace
}  // namespace tunecrest::test::window_actions
