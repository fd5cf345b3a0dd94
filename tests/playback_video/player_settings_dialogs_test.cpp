// The engines' settings dialogs, driven without showing them: filled from an engine,
// controls set, then the OK or Cancel path taken.
#include "playback/video/player_settings_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/base/services.h"
#include "playback/dshow_player.h"
#include "playback/outside_player_engine.h"
#include "support/fake_media_player.h"
#include "support/player_test_support.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

const TvideoDeviceLists kLists{{"1: (0, 0, 1920, 1080)", "2: (1920, 0, 3840, 1080)"},
                               {TcustomVideoPlayer::kDefaultAudioDevice, "Card A", "Card B"}};

class SettingsDialogTest : public ::testing::Test {
  protected:
    // The application comes before the fixtures' widgets and players.
    SettingsDialogTest() {
        test::App();
        test::UseFakeAudioSink();
    }
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", Dir.Path().c_str(), 1);
        SetErrorLogFile(Dir.File("log.log"));
        Prompt = std::make_shared<test::TrecordingPrompt>();
        SetPrompt(Prompt);
    }
    void TearDown() override {
        SetPrompt(nullptr);
        SetErrorLogFile("");
    }
    test::TempDir Dir;
    std::shared_ptr<test::TrecordingPrompt> Prompt;
};

// ---------------------------------------------------------------------------------------

class DShowDialogTest : public SettingsDialogTest {
  protected:
    TVideoPlayer& Video() { return Player.VideoPlayers(0); }
    TdshowPlayer Player;
    TfrmDShowPlayer Dialog;
};

TEST_F(DShowDialogTest, ShowsTheAttachedOutputsChoices) {
    Video().SetMonitor(1);
    Video().SetAutoFullScreen(true);
    Video().SetAudioDevice("Card B");
    Dialog.Open(Player, kLists);
    ASSERT_EQ(2, Dialog.cboMonitor->count());
    ASSERT_EQ(3, Dialog.cboVideoSoundCard->count());
    EXPECT_EQ("2: (1920, 0, 3840, 1080)", Dialog.cboMonitor->currentText().toStdString());
    EXPECT_TRUE(Dialog.cbAutoFullScreen->isChecked());
    EXPECT_EQ(2, Dialog.cboVideoSoundCard->currentIndex());

    // Monitors outside the list show the first one; opening again refills, not appends.
    for (int monitor : {2, -1, 99}) {
        Video().SetMonitor(monitor);
        Dialog.Open(Player, kLists);
        EXPECT_EQ(0, Dialog.cboMonitor->currentIndex()) << monitor;
        EXPECT_EQ(2, Dialog.cboMonitor->count());
    }
    // The card is found by its exact name.
    Video().SetAudioDevice("card a");
    Dialog.Open(Player, kLists);
    EXPECT_EQ(-1, Dialog.cboVideoSoundCard->currentIndex());
    Video().SetAudioDevice(TcustomVideoPlayer::kDefaultAudioDevice);
    Dialog.Open(Player, kLists);
    EXPECT_EQ(0, Dialog.cboVideoSoundCard->currentIndex());
}

TEST_F(DShowDialogTest, OkHandsTheChoicesToEveryOutputAndCancelToNone) {
    Dialog.Open(Player, kLists);
    Dialog.cboMonitor->setCurrentIndex(1);
    Dialog.cbAutoFullScreen->setChecked(true);
    Dialog.cboVideoSoundCard->setCurrentIndex(1);
    Dialog.reject();
    EXPECT_EQ(QDialog::Rejected, Dialog.result());
    EXPECT_EQ(0, Video().GetMonitor());
    EXPECT_FALSE(Video().GetAutoFullScreen());
    EXPECT_EQ(TcustomVideoPlayer::kDefaultAudioDevice, Video().AudioDevice());

    Dialog.Open(Player, kLists);
    Dialog.cboMonitor->setCurrentIndex(1);
    Dialog.cbAutoFullScreen->setChecked(true);
    Dialog.cboVideoSoundCard->setCurrentIndex(1);
    Dialog.btnOK->click();
    EXPECT_EQ(QDialog::Accepted, Dialog.result());
    for (int i = 0; i < Player.VideoPlayerCount(); ++i) {
        EXPECT_EQ(1, Player.VideoPlayers(i).GetMonitor());
        EXPECT_TRUE(Player.VideoPlayers(i).GetAutoFullScreen());
        EXPECT_EQ("Card A", Player.VideoPlayers(i).AudioDevice());
    }
}

TEST_F(DShowDialogTest, ACardMissingFromTheListIsKept) {
    // An unplugged card shows nothing selected; OK for another change must not lose it.
    Video().SetAudioDevice("USB Headset");
    Dialog.Open(Player, kLists);
    EXPECT_EQ(-1, Dialog.cboVideoSoundCard->currentIndex());
    Dialog.cbAutoFullScreen->setChecked(true);
    Dialog.accept();
    EXPECT_TRUE(Video().GetAutoFullScreen());
    EXPECT_EQ("USB Headset", Video().AudioDevice());
}

TEST_F(DShowDialogTest, TheEngineShowsTheInstalledDialog) {
    InstallPlayerSettingsDialogs();
    std::string shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<TfrmDShowPlayer*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = dialog->windowTitle().toStdString();
        // The real lists: the default output always comes first.
        if (dialog->cboVideoSoundCard->itemText(0) != TcustomVideoPlayer::kDefaultAudioDevice) shown += "?";
        dialog->reject();
    });
    Player.ShowConfig();
    TdshowPlayer::SetConfigDialog(nullptr);
    TwinampMediaPlayer::SetConfigDialog(nullptr);
    EXPECT_EQ("DirectShow Player", shown);
}

// ---------------------------------------------------------------------------------------

class WinampDialogTest : public SettingsDialogTest {
  protected:
    void SetUp() override {
        SettingsDialogTest::SetUp();
        Folder = (Dir.Path() / "player").string();
        fs::create_directory(Folder);
        std::ofstream(fs::path(Folder) / TcustomWinampPlayer::kProgramName) << "#!/bin/sh\n";
        Player = std::make_unique<TwinampMediaPlayer>();
        Player->WinampPath = Folder;
        TcustomWinampPlayer::SetVideoPlayerFactory([] {
            auto video = std::make_unique<test::FakeVideoPlayer>();
            video->Ready = true;
            return video;
        });
    }
    void TearDown() override {
        TcustomWinampPlayer::SetVideoPlayerFactory(nullptr);
        Player.reset();
        SettingsDialogTest::TearDown();
    }
    test::FakeVideoPlayer* Video() { return dynamic_cast<test::FakeVideoPlayer*>(Player->VideoPlayer()); }

    std::string Folder;
    std::unique_ptr<TwinampMediaPlayer> Player;
    TfrmWinampConfig Dialog;
};

TEST_F(WinampDialogTest, CaptionsAndTexts) {
    EXPECT_EQ("Winamp Player", Dialog.windowTitle().toStdString());
    ASSERT_EQ(1, Dialog.pcSettings->count());
    EXPECT_EQ("General Settings", Dialog.pcSettings->tabText(0).toStdString());
    EXPECT_EQ("Player Settings", Dialog.gbPlayer->title().toStdString());
    EXPECT_EQ("Winamp Settings", Dialog.gbWinamp->title().toStdString());
    EXPECT_EQ("Video Settings", Dialog.gbVideo->title().toStdString());
    EXPECT_EQ(0, Dialog.sbVolume->minimum());
    EXPECT_EQ(255, Dialog.sbVolume->maximum());
    EXPECT_EQ("...", Dialog.btnBrowse->text().toStdString());
    EXPECT_EQ("Use Winamp for Video Playback", Dialog.cbUseWinampVideo->text().toStdString());
    EXPECT_EQ("Automatically Restart Winamp if it crashes", Dialog.cbAutoRelaunch->text().toStdString());
    EXPECT_EQ("Auto Full Screen", Dialog.cbAutoFullScreen->text().toStdString());
    EXPECT_EQ("&OK", Dialog.btnOK->text().toStdString());
    EXPECT_EQ("&Cancel", Dialog.btnCancel->text().toStdString());
    std::vector<std::string> labels;
    for (auto* label : Dialog.findChildren<QLabel*>()) labels.push_back(label->text().toStdString());
    for (const char* text :
         {"Volume: ", "Winamp Folder :", "* This needs to specify the location of Winamp.EXE",
          "Full Screen Monitor:", "Video Sound Card"})
        EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), text)) << text;
}

TEST_F(WinampDialogTest, ShowsTheEnginesSettingsAndTheVideoGroupFollowsTheBox) {
    Player->AutoRelaunch = true;
    Player->SetUseDShowVideo(true);
    Video()->Monitor = 7;
    Video()->AutoFullScreen = true;
    Video()->SetAudioDevice("Card B");
    Dialog.Open(Player.get(), kLists);
    EXPECT_EQ(Folder, Dialog.edWinampFolder->text().toStdString());
    EXPECT_FALSE(Dialog.cbUseWinampVideo->isChecked());
    EXPECT_TRUE(Dialog.cbAutoRelaunch->isChecked());
    EXPECT_TRUE(Dialog.gbVideo->isEnabled());
    EXPECT_EQ(0, Dialog.cboMonitor->currentIndex());
    EXPECT_TRUE(Dialog.cbAutoFullScreen->isChecked());
    EXPECT_EQ("Card B", Dialog.cboVideoSoundCard->currentText().toStdString());

    Dialog.cbUseWinampVideo->click();
    EXPECT_FALSE(Dialog.gbVideo->isEnabled());
    EXPECT_FALSE(Dialog.cboVideoSoundCard->isEnabled());
    Dialog.cbUseWinampVideo->click();
    EXPECT_TRUE(Dialog.gbVideo->isEnabled());

    // Without an in-process output the outside player plays video: the group is off.
    Player->SetUseDShowVideo(false);
    Dialog.Open(Player.get(), kLists);
    EXPECT_TRUE(Dialog.cbUseWinampVideo->isChecked());
    EXPECT_FALSE(Dialog.gbVideo->isEnabled());
    EXPECT_TRUE(Prompt->Messages.empty());
}

TEST_F(WinampDialogTest, TheVolumeBarSetsTheVolumeAtOnce) {
    Player->SetUseDShowVideo(true);
    int changes = 0;
    TcustomMediaPlayerEvents events;
    events.OnVolumeChange = [&](TObject*, uint8_t) { ++changes; };
    Player->SetEvents(&events);
    Dialog.Open(Player.get(), kLists);
    EXPECT_EQ(Player->GetVolume(), Dialog.sbVolume->value());
    EXPECT_EQ(0, changes);  // showing the volume changes nothing
    Dialog.sbVolume->setValue(200);
    EXPECT_EQ(1, changes);
    EXPECT_EQ(200, Video()->Volume);
    Dialog.reject();
    EXPECT_EQ(200, Video()->Volume);  // Cancel does not take it back
    Player->SetEvents(nullptr);
}

TEST_F(WinampDialogTest, OkWritesTheEngineCancelDoesNot) {
    Dialog.Open(Player.get(), kLists);
    Dialog.edWinampFolder->setText("/opt/elsewhere");
    Dialog.cbUseWinampVideo->click();  // in-process video from now on
    Dialog.cbAutoRelaunch->setChecked(true);
    Dialog.cboMonitor->setCurrentIndex(1);
    Dialog.cbAutoFullScreen->setChecked(true);
    Dialog.cboVideoSoundCard->setCurrentIndex(2);
    Dialog.reject();
    EXPECT_EQ(Folder, Player->WinampPath);
    EXPECT_FALSE(Player->UsesDShowVideo());
    EXPECT_FALSE(Player->AutoRelaunch);

    Dialog.Open(Player.get(), kLists);
    Dialog.edWinampFolder->setText("/opt/elsewhere");
    Dialog.cbUseWinampVideo->click();
    Dialog.cbAutoRelaunch->setChecked(true);
    Dialog.cboMonitor->setCurrentIndex(1);
    Dialog.cbAutoFullScreen->setChecked(true);
    Dialog.cboVideoSoundCard->setCurrentIndex(2);
    Dialog.btnOK->click();
    EXPECT_EQ(QDialog::Accepted, Dialog.result());
    EXPECT_EQ("/opt/elsewhere", Player->WinampPath);
    EXPECT_TRUE(Player->AutoRelaunch);
    // The output made by this OK takes the video settings.
    ASSERT_NE(nullptr, Video());
    EXPECT_EQ(1, Video()->Monitor);
    EXPECT_TRUE(Video()->AutoFullScreen);
    EXPECT_EQ("Card B", Video()->AudioDevice());

    // Back to the outside player for video: the output goes, nothing else is touched.
    Dialog.Open(Player.get(), kLists);
    Dialog.cbUseWinampVideo->click();
    Dialog.accept();
    EXPECT_FALSE(Player->UsesDShowVideo());
    EXPECT_EQ(nullptr, Player->VideoPlayer());
}

TEST_F(WinampDialogTest, TheFolderButtonAsksForAFolder) {
    std::vector<std::string> asked;
    std::optional<std::string> answer = "/chosen/folder";
    Dialog.ChooseFolder = [&](const std::string& title, const std::string& start) {
        asked.push_back(title + "|" + start);
        return answer;
    };
    Dialog.Open(Player.get(), kLists);
    Dialog.btnBrowse->click();
    EXPECT_EQ(std::vector<std::string>{"Locate the Winamp Folder|" + Folder}, asked);
    EXPECT_EQ("/chosen/folder", Dialog.edWinampFolder->text().toStdString());
    answer.reset();  // cancelled: the edit keeps its text
    Dialog.btnBrowse->click();
    EXPECT_EQ("/chosen/folder", Dialog.edWinampFolder->text().toStdString());
}

TEST_F(WinampDialogTest, WithoutAnEngineItSaysSo) {
    Dialog.Open(nullptr, kLists);
    ASSERT_EQ(1u, Prompt->Messages.size());
    EXPECT_EQ("Winamp Player|No valid player assigned.", Prompt->Messages[0]);
    EXPECT_EQ(0, Dialog.cboMonitor->currentIndex());
    Dialog.sbVolume->setValue(99);  // nobody to hand it to
    Dialog.edWinampFolder->setText("/x");
    Dialog.btnOK->click();
    ASSERT_EQ(2u, Prompt->Messages.size());
    EXPECT_EQ("Winamp Player|No valid player assigned.", Prompt->Messages[1]);
    EXPECT_EQ(QDialog::Rejected, Dialog.result());
}

}  // namespace
}  // namespace tunecrest
