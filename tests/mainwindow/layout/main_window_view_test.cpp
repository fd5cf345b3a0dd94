// The volume and position bars, the timer, the layout's view options around party play,
// the main menu bar with its password, and the popup menus under party play.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/layout/layout_view_options.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/player_bars.h"
#include "skin/display_controls.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "support/fake_media_player.h"
#include "support/scripted_modal_runner.h"
#include "windows/dialogs/view_settings.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

TaudioTagPtr Track(const std::string& file, uint32_t mediaType) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    tag->SetMediaType(mediaType);
    return tag;
}

TEST(PlayerBars, TimerCountsElapsedOrRemainingWholeSeconds) {
    EXPECT_EQ(TimerSeconds(61999, 200000, false), 61);
    EXPECT_EQ(TimerSeconds(61999, 200000, true), -138);  // (200000 - 61999) div 1000
    EXPECT_EQ(TimerSeconds(0, 0, true), 0);
    // A position past the length (a length not yet known) shows no time left.
    EXPECT_EQ(TimerSeconds(5000, 3000, true), 0);
}

TEST(PlayerBars, OnlyFilesThatAreNoInternetAddressCanBeSought) {
    EXPECT_FALSE(TrackSeekable(nullptr));
    EXPECT_TRUE(TrackSeekable(Track("/music/a.mp3", 0)));
    EXPECT_TRUE(TrackSeekable(Track("/music/video.mkv", 2)));
    EXPECT_FALSE(TrackSeekable(Track("/music/a.mp3", kMediaKindInternet)));
    EXPECT_FALSE(TrackSeekable(Track("http://radio.example/stream", 0)));
    EXPECT_FALSE(TrackSeekable(Track("HTTPS://radio.example/stream", 0)));
    EXPECT_TRUE(TrackSeekable(Track("/music/http.mp3", 0)));
}

struct BarHost : TpartyPlayHost {
    int volume = 100, position = -1, volumeCalls = 0, positionCalls = 0;
    bool closing = false;
    bool IsClosing() const override { return closing; }
    int PlayerVolume() const override { return volume; }
    void PlayerSetVolume(int v) override { ++volumeCalls, volume = v; }
    void PlayerSetPosition(int ms) override { ++positionCalls, position = ms; }
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
};

struct BarRig {
    BarHost host;
    TactionList actions;
    TpartyPlaySettings settings;
    TpartyPlayGuards guards{actions, settings, host};
    TdigitalDisplay timer;
    TmySkinScrollBar volume, position;
    TplayerBars bars{guards, timer, position};
    BarRig() {
        test::App();
        bars.AddVolumeBar(volume);
    }
    std::string Timer() const { return timer.Text(); }
};

TEST(PlayerBars, VolumeBarRunsOverTheWholeVolumeInEitherDirection) {
    BarRig r;
    EXPECT_EQ(r.volume.Min(), 0);
    EXPECT_EQ(r.volume.Max(), 255);
    r.bars.ShowVolume(100);
    EXPECT_EQ(r.volume.Position(), 100);
    EXPECT_EQ(r.host.volumeCalls, 0);  // following the player never sets it back
    r.volume.SetPosition(200);
    EXPECT_EQ(r.host.volume, 200);
    r.bars.VolumeForward = false;
    r.bars.ShowVolume(200);
    EXPECT_EQ(r.volume.Position(), 55);
    r.volume.SetPosition(5);
    EXPECT_EQ(r.host.volume, 250);
    r.bars.ShowVolume(999);  // clipped
    EXPECT_EQ(r.volume.Position(), 0);
}

TEST(PlayerBars, PartyPlaySettingsRefuseVolumeAndPositionAndTheBarsSpringBack) {
    BarRig r;
    const TaudioTagPtr track = Track("/music/a.mp3", 0);
    r.bars.TimeChanged(1000, 60000, track, false, false);
    r.bars.ShowVolume(100);
    r.settings.SetDisableVolumeChanging(true);
    r.settings.SetDisableTrackSearching(true);
    // Off party play the settings do not count.
    r.volume.SetPosition(150);
    r.position.SetPosition(30000);
    EXPECT_EQ(r.host.volume, 150);
    EXPECT_EQ(r.host.position, 30000);
    r.guards.StartInPartyPlay();
    r.volume.SetPosition(10);
    EXPECT_EQ(r.host.volumeCalls, 1);
    EXPECT_EQ(r.volume.Position(), 150);  // back on the player's volume
    r.position.SetPosition(50000);
    EXPECT_EQ(r.host.positionCalls, 1);
    // The raise and lower keys meet the same volume setting: a locked volume stays put.
    r.actions.ExecuteByName("actnControlRaiseVolume");
    r.actions.ExecuteByName("actnControlLowerVolume");
    EXPECT_EQ(r.host.volume, 150);
    EXPECT_EQ(r.host.volumeCalls, 1);
    r.settings.SetDisableVolumeChanging(false);
    r.actions.ExecuteByName("actnControlRaiseVolume");
    EXPECT_EQ(r.host.volume, 175);
}

TEST(PlayerBars, PositionBarFollowsTheTrackLengthAndStepsInSeconds) {
    BarRig r;
    EXPECT_EQ(r.position.Max(), 0);  // until the length is known
    EXPECT_EQ(r.position.SmallStep(), 2000);
    EXPECT_EQ(r.position.LargeStep(), 10000);
    r.bars.TimeChanged(12500, 180000, Track("/music/a.mp3", 0), false, false);
    EXPECT_EQ(r.position.Max(), 180000);
    EXPECT_EQ(r.position.Position(), 12500);
    EXPECT_EQ(r.host.positionCalls, 0);  // following the player never seeks
    EXPECT_EQ(r.Timer(), "  0:12");
    r.position.SetPosition(90000);
    EXPECT_EQ(r.host.position, 90000);
    // A stream has no length to seek in: the bar's maximum goes to 0.
    r.bars.TimeChanged(5000, 0, Track("http://radio.example/live", 0), false, false);
    EXPECT_EQ(r.position.Max(), 0);
    EXPECT_EQ(r.position.Position(), 0);
    r.position.SetPosition(3000);
    EXPECT_EQ(r.host.positionCalls, 1);
    r.bars.TimeChanged(5000, 100000, Track("/music/b.mp3", kMediaKindInternet), false, false);
    EXPECT_EQ(r.position.Max(), 0);
}

TEST(PlayerBars, RemainingTimeOnlyForFilesOutsideVideo) {
    BarRig r;
    r.bars.TimeChanged(30000, 95000, Track("/music/a.mp3", 0), true, false);
    EXPECT_EQ(r.Timer(), "- 1:05");
    // Shown in a video output: elapsed.
    r.bars.TimeChanged(30000, 95000, Track("/music/v.mkv", 2), true, true);
    EXPECT_EQ(r.Timer(), "  0:30");
    // An internet address: elapsed, whatever the length says.
    r.bars.TimeChanged(42000, 95000, Track("/music/a.mp3", kMediaKindInternet), true, false);
    EXPECT_EQ(r.Timer(), "  0:42");
    // While the window closes the player's time is ignored.
    r.host.closing = true;
    r.bars.TimeChanged(80000, 95000, Track("/music/a.mp3", 0), false, false);
    EXPECT_EQ(r.Timer(), "  0:42");
}

TEST(LayoutViewOptions, KeysRoundTripInTheirOrderAndBadModesFallBack) {
    TlayoutViewOptions o;
    o.VolumeMode = 2;
    o.TrackPositionMode = 1;
    o.BackButton = true;
    o.BackButtonMode = 1;
    o.AddGap = true;
    o.TimerWidth = 130;
    TiniFile ini;
    o.Write(ini);
    const std::vector<std::string> sections = ini.ReadSections();
    const auto at = [&](const char* name) { return std::find(sections.begin(), sections.end(), name) - sections.begin(); };
    EXPECT_EQ(at("TrackPosScrollbar"), at("VolumeScrollbar") + 1);
    TlayoutViewOptions back;
    back.Read(ini);
    EXPECT_EQ(back.VolumeMode, 2);
    EXPECT_EQ(back.TrackPositionMode, 1);
    EXPECT_TRUE(back.BackButton);
    EXPECT_EQ(back.BackButtonMode, 1);
    EXPECT_TRUE(back.AddGap);
    EXPECT_EQ(back.TimerWidth, 130);
    TiniFile bad;
    bad.SetText("[VolumeScrollbar]\nMode=7\n[TrackPosScrollbar]\nMode=-1\n[BackButton]\nMode=3\n");
    back.Read(bad);
    EXPECT_EQ(back.VolumeMode, 0);
    EXPECT_EQ(back.TrackPositionMode, 0);
    EXPECT_EQ(back.BackButtonMode, 0);
    EXPECT_EQ(back.TimerWidth, 130);  // missing: kept
}

TEST(LayoutViewOptions, PartyPlaySavesFourOptionsAndRestoresThem) {
    TpartyPlaySettings s;
    TlayoutViewOptions o;
    o.VolumeMode = 1;
    o.TrackPositionMode = 1;
    o.BackButton = true;
    o.StackerVisible = true;
    TviewOptionsPartyPlay party;
    s.SetDisableVolumeChanging(true);
    s.SetDisableTrackSearching(false);
    s.SetDisableStackerControl(true);
    party.Update(true, s, o);
    EXPECT_EQ(o.VolumeMode, 0);
    EXPECT_EQ(o.TrackPositionMode, 1);
    EXPECT_FALSE(o.BackButton);
    EXPECT_FALSE(o.StackerVisible);
    // A settings change under party play applies again without losing what was saved.
    s.SetDisableVolumeChanging(false);
    s.SetDisableTrackSearching(true);
    party.Update(true, s, o);
    EXPECT_EQ(o.VolumeMode, 1);
    EXPECT_EQ(o.TrackPositionMode, 0);
    party.Update(false, s, o);
    EXPECT_EQ(o.VolumeMode, 1);
    EXPECT_EQ(o.TrackPositionMode, 1);
    EXPECT_TRUE(o.BackButton);
    EXPECT_TRUE(o.StackerVisible);
    // Off again: nothing saved, nothing restored.
    o.VolumeMode = 2;
    party.Update(false, s, o);
    EXPECT_EQ(o.VolumeMode, 2);
}

// The real window.
class TviewForm : public TfrmCustomTunecrest {
public:
    explicit TviewForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

struct ViewRig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TtypedPasswordPrompt> prompt = std::make_shared<test::TtypedPasswordPrompt>();
    std::shared_ptr<Tprompt> previous;
    ViewRig() {
        test::App();
        root = (dir.Path() / "root").string();
        std::filesystem::create_directories(root + "/Settings");
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        previous = SetPrompt(prompt);
    }
    ~ViewRig() {
        SetPrompt(previous);
        TaggerLoader().SetPluginFolder("");
    }
    void Seed(const std::string& text) { std::ofstream(root + "/Settings/settings.ini") << text; }
};

TEST(MainWindowView, ViewOptionsAreReadSavedAroundPartyPlayAndWrittenAsChosen) {
    ViewRig r;
    r.Seed("[VolumeScrollbar]\nMode=1\n[TrackPosScrollbar]\nMode=1\n[View]\nBackButton=1\n"
           "[PartyPlay]\nDisableVolumeChanging=1\nDisableTrackSearching=1\n");
    TviewForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.show();
    TmainLayout& l = form.Layout();
    EXPECT_TRUE(l.VolumePanel->isVisible());
    EXPECT_TRUE(l.PositionBar->isVisible());
    EXPECT_FALSE(l.VolumeButton->isVisible());
    ASSERT_TRUE(form.SetPartyPlay(true));
    EXPECT_FALSE(l.VolumePanel->isVisible());
    EXPECT_FALSE(l.PositionBar->isVisible());
    EXPECT_FALSE(form.ViewOptions().BackButton);
    // Written under party play: the options the person chose.
    form.WriteDisplaySettings();
    TiniFile ini(r.root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadInteger("VolumeScrollbar", "Mode", -1), 1);
    EXPECT_EQ(ini.ReadInteger("TrackPosScrollbar", "Mode", -1), 1);
    EXPECT_TRUE(ini.ReadBool("View", "BackButton", false));
    ASSERT_TRUE(form.SetPartyPlay(false));
    EXPECT_TRUE(l.VolumePanel->isVisible());
    EXPECT_TRUE(l.PositionBar->isVisible());
    EXPECT_TRUE(form.ViewOptions().BackButton);
    // Mode 2: the button shows and hides the pop-up bar.
    form.ViewOptions().VolumeMode = 2;
    form.ApplyViewOptions();
    EXPECT_FALSE(l.VolumePanel->isVisible());
    ASSERT_TRUE(l.VolumeButton->isVisible());
    l.VolumeButton->OnClick(l.VolumeButton);
    EXPECT_TRUE(l.VolumePopup->isVisible());
    EXPECT_TRUE(l.VolumeButton->Checked());
    l.VolumeButton->OnClick(l.VolumeButton);
    EXPECT_FALSE(l.VolumePopup->isVisible());
}

TEST(MainWindowView, MenuBarListsTheCategoriesAndShowingItAsksThePasswordWhenProtected) {
    ViewRig r;
    r.Seed("[MainMenu]\nVisible=0\nPasswordProtected=1\n[PartyPlay]\nPassword=Secret\n");
    TviewForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.show();
    QMenuBar* bar = form.MainMenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    std::vector<std::string> titles;
    for (QAction* a : bar->actions()) titles.push_back(a->text().toStdString());
    ASSERT_GE(titles.size(), 5u);
    EXPECT_NE(std::find(titles.begin(), titles.end(), "View"), titles.end());
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Queue"), titles.end());
    // Each category is one menu, in the bar and in the window's popup alike.
    std::vector<std::string> sorted = titles;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a category stands twice";
    std::vector<std::string> popup;
    for (QAction* a : form.MainPopupMenu()->actions()) popup.push_back(a->text().toStdString());
    EXPECT_EQ(popup, titles);
    // Protected: a wrong password keeps it hidden, the right one shows it.
    r.prompt->Typed = "wrong";
    form.RunAction("actnViewMainMenu");
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(form.Actions().Get("actnViewMainMenu").Checked);
    EXPECT_EQ(r.prompt->Prompts, std::vector<std::string>{"Enter the password to Show the Main Menu..."});
    r.prompt->Typed = "Secret";
    form.RunAction("actnViewMainMenu");
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(form.Actions().Get("actnViewMainMenu").Checked);
    // Hiding needs no password; the bar entries are at least a finger high.
    EXPECT_GE(bar->sizeHint().height(), 48);
    form.RunAction("actnViewMainMenu");
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(r.prompt->Prompts.size(), 2u);
    // The window's popup is off while the menu is protected.
    EXPECT_FALSE(form.MainPopupActive());
}

TEST(MainWindowView, PopupsFollowPartyPlayAndTheirItemsFollowTheActions) {
    ViewRig r;
    r.Seed("[PartyPlay]\nDisableQueueOther=1\nDisableQueueControls=0\n");
    TviewForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    EXPECT_TRUE(form.MainPopupActive());
    EXPECT_TRUE(form.ListPopupsActive());
    ASSERT_TRUE(form.SetPartyPlay(true));
    EXPECT_FALSE(form.MainPopupActive());
    EXPECT_FALSE(form.ListPopupsActive());
    // The queue's delete button and popup item follow their hidden action.
    QMenu* queue = form.QueuePopupMenu();
    TfrmBaseJukebox::SyncMenu(*queue, form.Actions());
    bool deleteVisible = true;
    for (QAction* a : queue->actions())
        if (a->property("actionName").toString() == "actnQueueDelete") deleteVisible = a->isVisible();
    EXPECT_FALSE(deleteVisible);
    EXPECT_TRUE(form.findChild<TmySkinButton*>("btnQueueDelete")->isHidden());
    ASSERT_TRUE(form.SetPartyPlay(false));
    EXPECT_TRUE(form.MainPopupActive());
    EXPECT_TRUE(form.ListPopupsActive());
    EXPECT_FALSE(form.findChild<TmySkinButton*>("btnQueueDelete")->isHidden());
}

TEST(MainWindowView, PlayerTimeReachesTheTimerAndRemainingTimeIsAToggle) {
    ViewRig r;
    TviewForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.PlayerTimeChanged(75000, 200000);
    EXPECT_EQ(form.Layout().Timer->Text(), "  1:15");
    form.RunAction("actnSettingsShowTimeRemaining");
    EXPECT_TRUE(form.Actions().Get("actnSettingsShowTimeRemaining").Checked);
    EXPECT_TRUE(form.Settings().ShowTimeRemaining);
    form.PlayerTimeChanged(75000, 200000);
    EXPECT_EQ(form.Layout().Timer->Text(), "- 2:05");
}

TEST(MainWindowView, ViewOptionsApplyOnOkOnlyAndReachTheYearsAndTheCoverMatrix) {
    ViewRig r;
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    TviewForm form({"-RootFolder=" + r.root});
    InstallWindowEntries(form);
    form.ReadDisplaySettings();
    const int across = form.Layout().CoverAcross;
    // Cancel keeps everything.
    runner->Push([across](QDialog& d) {
        auto& w = dynamic_cast<TfrmViewSettings&>(d);
        w.rbDecades->setChecked(true);
        w.seHorizontal->setValue(across == 5 ? 6 : 5);
        PressButton(*w.btnCancel);
    });
    EXPECT_TRUE(form.RunAction("actnViewOptions"));
    EXPECT_EQ(form.JukeboxList()->YearList().Mode, ymYears);
    EXPECT_EQ(form.Layout().CoverAcross, across);
    runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmViewSettings&>(d);
        w.rbDecades->setChecked(true);
        w.seHorizontal->setValue(5);
        w.seVertical->setValue(2);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(form.RunAction("actnViewOptions"));
    EXPECT_EQ(runner->Pending(), 0);
    EXPECT_EQ(form.JukeboxList()->YearList().Mode, ymDecades);
    EXPECT_EQ(form.Layout().CoverAcross, 5);
    EXPECT_EQ(form.Layout().CoverDown, 2);
    EXPECT_EQ(form.Settings().CoverArtMatrixHorizontal, 5);
    EXPECT_EQ(form.Settings().CoverArtMatrixVertical, 2);
}

}  // namespace
}  // namespace tunecrest
