// The outside-player engine against an in-process fake outside player, ticked by hand.
#include "playback/outside_player_engine.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "platform/outside_player_messages.h"
#include "playback/video_player.h"
#include "support/fake_media_player.h"
#include "support/player_event_recorder.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFakeClass = "Fake Outside Player";

// Answers the outside player's messages from fields, like the real one but without sound.
class FakeOutsidePlayer {
public:
    FakeOutsidePlayer() {
        Fwindow.SetMessageHandler([this](uint32_t msg, WPARAM w, LPARAM l) {
            WaitWhileHung();
            return OnMessage(msg, w, l);
        });
        Fwindow.SetCopyDataHandler([this](uint64_t data, const std::string& bytes) -> LRESULT {
            std::lock_guard lock(Fmutex);
            if (data == kPlayerCopyDataAddFile) List.push_back(bytes.substr(0, bytes.find('\0')));
            return 0;
        });
    }

    ~FakeOutsidePlayer() { Release(); }

    // The entry playing ends: on to the next entry, or stopped after the last.
    void EndTrack() {
        std::lock_guard lock(Fmutex);
        if (Position + 1 < List.size()) {
            ++Position;
        } else {
            State = kPlayerStateStopped;
            PositionMs = 0;
        }
    }
    void SetState(LRESULT state) {
        std::lock_guard lock(Fmutex);
        State = state;
    }
    std::vector<std::string> Snapshot() {
        std::lock_guard lock(Fmutex);
        return List;
    }
    std::vector<std::string> TakeCommands() {
        std::lock_guard lock(Fmutex);
        return std::exchange(Commands, {});
    }
    // A hung player: every numbered message waits (unanswered) until Release.
    void Hang() {
        std::lock_guard lock(FhangMutex);
        Fhung = true;
    }
    void Release() {
        {
            std::lock_guard lock(FhangMutex);
            Fhung = false;
        }
        FhangChanged.notify_all();
    }
    // Numbered messages handled so far, the ones that waited out a hang included. A
    // message sent from here waits behind every message still queued, so the count
    // it reads covers all of them.
    int Handled() {
        LRESULT ignored = 0;
        SendMessageTimeout(Fwindow.Handle(), WM_NULL_FOR_TEST, 0, 0, 5000, ignored);
        std::lock_guard lock(Fmutex);
        return Received - FprobesFromTest;
    }

    std::mutex Fmutex;
    std::vector<std::string> List;
    size_t Position = 0;
    LRESULT State = kPlayerStateStopped;
    LRESULT PositionMs = 1500;
    LRESULT LengthSeconds = 200;
    LRESULT Volume = 200;
    // The entry playing ends right after the next state query is answered "playing", in
    // the middle of one poll's messages.
    bool EndAfterNextStateQuery = false;
    std::vector<std::string> Commands;
    int Received = 0;
    int FprobesFromTest = 0;
    static constexpr uint32_t WM_NULL_FOR_TEST = 0x7FFF;
    std::mutex FhangMutex;
    std::condition_variable FhangChanged;
    bool Fhung = false;
    // Last, so it closes before the fields its handlers use go away.
    TmessageWindow Fwindow{kFakeClass, "", false};

private:
    void WaitWhileHung() {
        std::unique_lock lock(FhangMutex);
        FhangChanged.wait(lock, [this] { return !Fhung; });
    }
    LRESULT OnMessage(uint32_t msg, WPARAM w, LPARAM l) {
        std::lock_guard lock(Fmutex);
        ++Received;
        if (msg == WM_NULL_FOR_TEST) ++FprobesFromTest;
        if (msg == WM_COMMAND) {
            Commands.push_back(std::to_string(w));
            if (w == kPlayerCommandPlay && Position < List.size()) State = kPlayerStatePlaying;
            if (w == kPlayerCommandStop) State = kPlayerStateStopped;
            if (w == kPlayerCommandPause && State != kPlayerStateStopped)
                State = State == kPlayerStatePlaying ? kPlayerStatePaused : kPlayerStatePlaying;
            if (w == kPlayerCommandNext && Position + 1 < List.size()) ++Position;
            return 0;
        }
        if (msg != WM_USER) return 0;
        switch (l) {
            case kPlayerClearList:
                List.clear();
                Position = 0;
                return 0;
            case kPlayerGetState:
                if (EndAfterNextStateQuery && State == kPlayerStatePlaying) {
                    EndAfterNextStateQuery = false;
                    if (Position + 1 >= List.size()) {
                        State = kPlayerStateStopped;
                        PositionMs = 0;
                        return kPlayerStatePlaying;
                    }
                }
                return State;
            case kPlayerGetTime:
                return w == 0 ? PositionMs : LengthSeconds;
            case kPlayerSetListPosition:
                if (w >= 0 && size_t(w) < List.size()) Position = size_t(w);
                return 0;
            case kPlayerVolume:
                if (w != kPlayerVolumeQuery) Volume = w;
                return Volume;
            case kPlayerGetListLength:
                return LRESULT(List.size());
            case kPlayerGetListPosition:
                return LRESULT(Position);
            default:
                return 0;
        }
    }
};

using test::TrecordingPrompt;

class OutsidePlayerEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", Ftemp.Path().c_str(), 1);
        SetWindowMessageFolder("");
        Fprevious = SetDispatcher(std::make_shared<TqueueDispatcher>());
        Fprompt = std::make_shared<TrecordingPrompt>();
        SetPrompt(Fprompt);
        // A stand-in program that starts and does nothing, for the launches of these tests.
        const fs::path bin = Ftemp.Path() / "bin";
        fs::create_directory(bin);
        std::ofstream(bin / TcustomWinampPlayer::kProgramName)
            << "#!/bin/sh\necho started >> '" << Ftemp.File("launches") << "'\nexit 0\n";
        fs::permissions(bin / TcustomWinampPlayer::kProgramName, fs::perms::owner_all);
        Restart();
    }
    // A new engine and a new fake player, the events recorded afresh.
    void Restart() {
        Fengine.reset();
        Ffake.reset();
        Frecorder.Starts.clear();
        Frecorder.States.clear();
        Fengine = std::make_unique<TwinampMediaPlayer>();
        Fengine->WinampPath = (Ftemp.Path() / "bin").string();
        Fengine->DataFolder = Ftemp.Path().string();
        Fengine->LaunchTimeout = 1;
        Fengine->SetWindowClass(kFakeClass);
        Fengine->SetEvents(&Frecorder.Events);
        Ffake = std::make_unique<FakeOutsidePlayer>();
    }
    void TearDown() override {
        Fengine.reset();
        Ffake.reset();
        SetPrompt(nullptr);
        SetDispatcher(Fprevious);
        ::unsetenv("XDG_RUNTIME_DIR");
    }

    TaudioTagPtr Track(const std::string& name, bool exists = true) {
        const std::string path = Ftemp.File(name);
        if (exists) std::ofstream(path) << "x";
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename(path);
        tag->SetMediaType(1);
        return tag;
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i) Fengine->Poll();
    }
    // Starts playing the queue and lets the playing state be reported.
    void StartPlaying() {
        Fengine->Initialise(0);
        Fengine->Play();
        Tick(10);
        ASSERT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);
    }
    std::string Name(const std::string& file) { return Ftemp.File(file); }

    test::TempDir Ftemp;
    std::shared_ptr<TmainThreadDispatcher> Fprevious;
    std::shared_ptr<TrecordingPrompt> Fprompt;
    test::PlayerEventRecorder Frecorder;
    std::unique_ptr<TwinampMediaPlayer> Fengine;
    std::unique_ptr<FakeOutsidePlayer> Ffake;
};

TEST_F(OutsidePlayerEngineTest, KeepsTwoEntriesAndAdvancesOncePerTrack) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("a.wav"), Track("b.wav")};
    Fengine->Initialise(0);
    ASSERT_TRUE(Fengine->Polling());
    Fengine->Play();
    // Nothing played yet: a placeholder, then the first track, which the player moves to.
    EXPECT_EQ((std::vector<std::string>{"Dummy Entry", Name("a.wav")}), fake.Snapshot());
    EXPECT_EQ(1u, fake.Position);
    EXPECT_EQ((std::vector<std::string>{"40048", "40045"}), fake.TakeCommands());

    Tick(1);  // the player is on entry 1: the track started
    EXPECT_EQ(std::vector<std::string>{"a.wav"}, Frecorder.Starts);
    EXPECT_EQ((std::vector<std::string>{Name("a.wav"), Name("b.wav")}), fake.Snapshot());
    EXPECT_EQ(0u, fake.Position);
    EXPECT_EQ(200u, Fengine->GetCurrentTag()->Duration());
    Tick(9);
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);

    fake.EndTrack();  // the player moves on to b by itself
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Frecorder.Starts);
    EXPECT_EQ(std::vector<std::string>{Name("b.wav")}, fake.Snapshot());  // nothing follows
    Tick(2);

    fake.EndTrack();  // the last entry ends: the player stops
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "<none>"}), Frecorder.Starts);
    EXPECT_EQ(std::vector<std::string>{"Dummy Entry"}, fake.Snapshot());
    Tick(12);  // no second advance for the same ending; the stop is reported once
    EXPECT_EQ(3u, Frecorder.Starts.size());
    EXPECT_EQ((std::vector<TmediaPlayState>{psPlaying, psStopped}), Frecorder.States);
}

TEST_F(OutsidePlayerEngineTest, StateChangesAreReportedOnlyAfterTwoUnbrokenSeconds) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("a.wav")};
    StartPlaying();
    fake.SetState(kPlayerStatePaused);
    Tick(4);
    fake.SetState(kPlayerStatePlaying);
    Tick(1);
    fake.SetState(kPlayerStatePaused);
    Tick(5);  // 1250 ms: with the earlier 1000 ms it would be over the delay
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);
    Tick(4);
    EXPECT_EQ((std::vector<TmediaPlayState>{psPlaying, psPaused}), Frecorder.States);
}

// A short first track: the player moves on to the last entry before playing has lasted
// 2 s. The time spent on the first track counts, so playing is reported while the last
// track plays and its end is seen; counting again from the move could miss the end.
TEST_F(OutsidePlayerEngineTest, PlayingThatGoesOnAcrossEntriesIsReportedTwoSecondsAfterItBegan) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("short.wav"), Track("last.wav")};
    Fengine->Initialise(0);
    Fengine->Play();
    Tick(1);
    Tick(4);  // a second of playing
    fake.EndTrack();
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"short.wav", "last.wav"}), Frecorder.Starts);
    Tick(2);  // 2 s of polls since playing began
    EXPECT_TRUE(Frecorder.States.empty());
    Tick(1);  // over 2 s
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);
    Tick(1);
    fake.EndTrack();
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"short.wav", "last.wav", "<none>"}), Frecorder.Starts);
}

// The last track ends between a poll's first look at the state and its read of the
// position (a slow machine spreads a poll's messages out): the end is still seen at the
// next poll, whether the poll it ended in reads the position or not.
TEST_F(OutsidePlayerEngineTest, ATrackEndingInTheMiddleOfAPollIsStillSeenToEnd) {
    for (int offset : {0, 1}) {
        SCOPED_TRACE(offset);
        Restart();
        Frecorder.Queue = {Track("only.wav")};
        StartPlaying();
        Tick(offset);
        Ffake->EndAfterNextStateQuery = true;
        Tick(3);
        EXPECT_EQ((std::vector<std::string>{"only.wav", "<none>"}), Frecorder.Starts);
        Tick(10);
        EXPECT_EQ((std::vector<TmediaPlayState>{psPlaying, psStopped}), Frecorder.States);
    }
}

TEST_F(OutsidePlayerEngineTest, AUserStopDoesNotAdvance) {
    Frecorder.Queue = {Track("a.wav"), Track("b.wav")};
    StartPlaying();
    Fengine->Stop();
    Tick(12);
    EXPECT_EQ(std::vector<std::string>{"a.wav"}, Frecorder.Starts);
    EXPECT_EQ((std::vector<TmediaPlayState>{psPlaying, psStopped}), Frecorder.States);
    // Play again goes on with the prepared next track.
    Fengine->Play();
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Frecorder.Starts);
}

TEST_F(OutsidePlayerEngineTest, MissingFilesAreSkippedAndTheEleventhInARowStopsTheChain) {
    FakeOutsidePlayer& fake = *Ffake;
    Fengine->Initialise(0);
    for (int i = 0; i < 10; ++i) Frecorder.Queue.push_back(Track("gone" + std::to_string(i) + ".mp3", false));
    Frecorder.Queue.push_back(Track("c.wav"));
    Fengine->RefreshNextTrack();
    EXPECT_EQ(10u, Frecorder.Missing.size());
    EXPECT_TRUE(Fprompt->Messages.empty());
    EXPECT_EQ((std::vector<std::string>{"Dummy Entry", Name("c.wav")}), fake.Snapshot());

    // The count starts again after a file that exists.
    for (int i = 0; i < 6; ++i) Frecorder.Queue.push_back(Track("lost" + std::to_string(i) + ".mp3", false));
    Frecorder.Queue.push_back(Track("d.wav"));
    Fengine->RefreshNextTrack();
    EXPECT_TRUE(Fprompt->Messages.empty());
    EXPECT_EQ(Name("d.wav"), fake.Snapshot().back());

    for (int i = 0; i < 11; ++i) Frecorder.Queue.push_back(Track("away" + std::to_string(i) + ".mp3", false));
    Frecorder.Queue.push_back(Track("e.wav"));
    Fengine->RefreshNextTrack();
    ASSERT_EQ(1u, Fprompt->Messages.size());
    EXPECT_EQ(
        "Could not locate file|The file " + Name("away10.mp3") +
            " could not be located.\rMake sure that all removable/network devices where your files are "
            "stored are connected.  Rescan your Music Folders if you have moved or removed files from your "
            "search paths.",
        Fprompt->Messages[0]);
    EXPECT_EQ(1u, Frecorder.Queue.size());  // the chain stopped before e.wav
    EXPECT_EQ(27u, Frecorder.Missing.size());
}

TEST_F(OutsidePlayerEngineTest, StreamTitlesComeFromThePlayersTitle) {
    FakeOutsidePlayer& fake = *Ffake;
    Fengine->Initialise(0);
    Frecorder.Queue = {Track("next.wav")};
    Fengine->RefreshNextTrack();
    std::vector<std::string> titles;
    Fengine->OnStreamTitleChange = [&](TObject*, const std::string& title) { titles.push_back(title); };
    Fengine->PlayURL("http://radio.example/stream");
    EXPECT_EQ(std::vector<std::string>{"<none>"}, Frecorder.Starts);
    ASSERT_TRUE(Fengine->GetCurrentTag());
    EXPECT_EQ(4u, Fengine->GetCurrentTag()->MediaType());
    EXPECT_EQ("http://radio.example/stream", Fengine->PlayingURL());
    std::ifstream list(Ftemp.File("~tmp.m3u"));
    std::string content((std::istreambuf_iterator<char>(list)), {});
    EXPECT_EQ("http://radio.example/stream\n" + Name("next.wav") + "\n", content);

    fake.Fwindow.SetTitle("1. Station Song - Winamp");
    Tick(2);
    fake.Fwindow.SetTitle("12. Other. Song - WINAMP");
    Tick(1);
    fake.Fwindow.SetTitle("Plain");
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{" Station Song", " Other. Song", "Plain"}), titles);
    EXPECT_EQ("Plain", Fengine->GetCurrentTag()->Title());

    Fengine->Uninitialise();
    EXPECT_FALSE(fs::exists(Ftemp.File("~tmp.m3u")));
}

TEST_F(OutsidePlayerEngineTest, UninitialiseStopsAndClosesThePlayerBeforePollingEnds) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("a.wav")};
    StartPlaying();
    fake.TakeCommands();
    Fengine->Uninitialise();
    EXPECT_EQ((std::vector<std::string>{"40047", "40001"}), fake.TakeCommands());
    EXPECT_FALSE(Fengine->Polling());
    EXPECT_FALSE(Fengine->Timer().Enabled());
    EXPECT_EQ(0, Fengine->SendWinampMessage(WM_USER, 0, kPlayerGetListLength));
}

TEST_F(OutsidePlayerEngineTest, PollingStartsWhenThePlayerIsFoundAfterTheQuestion) {
    // The launched program shows no window; the user is asked, and the player appears then.
    Ffake.reset();
    Fprompt->BeforeAnswer = [&] { Ffake = std::make_unique<FakeOutsidePlayer>(); };
    Fengine->Initialise(0);
    ASSERT_EQ(1u, Fprompt->Questions.size());
    EXPECT_EQ(
        "Winamp cannot be located, it might not be running.\rTunecrest Audio System will not be functional "
        "without Winamp running.\rWould you like to try to run Winamp?",
        Fprompt->Questions[0]);
    EXPECT_TRUE(Fengine->Polling());
    EXPECT_EQ(0, Fengine->SendWinampMessage(WM_USER, 0, kPlayerGetListLength));
}

TEST_F(OutsidePlayerEngineTest, DecliningLeavesTheEngineQuiet) {
    Ffake.reset();
    Fprompt->Answer = false;
    Fengine->Initialise(0);
    EXPECT_EQ(1u, Fprompt->Questions.size());
    EXPECT_FALSE(Fengine->Polling());
    EXPECT_EQ(psStopped, Fengine->GetState());
    Fengine->Play();
    EXPECT_EQ(1u, Fprompt->Questions.size());
}

TEST_F(OutsidePlayerEngineTest, SettingsKeysAndTheVideoOutput) {
    TiniFile ini;
    ini.WriteInteger("Player", "LaunchTimeout", 0);
    ini.WriteString("Player", "WinampPath", "/nowhere");
    ini.WriteBool("Player", "AutoRelaunch", true);
    ini.WriteBool("Player", "UseDShowVideo", true);
    // A video output that cannot start.
    TcustomWinampPlayer::SetVideoPlayerFactory([] { return std::make_unique<test::FakeVideoPlayer>(); });
    Fengine->LoadSettings(ini, "Player");
    EXPECT_EQ(10, Fengine->LaunchTimeout);
    EXPECT_TRUE(Fengine->AutoRelaunch);
    // No in-process video output to be had: the box, and the outside player plays video.
    ASSERT_EQ(1u, Fprompt->Messages.size());
    EXPECT_EQ("DirectShow Error|DirectShow could not be initialised.\r\n\r\nUsing Winamp for video playback.",
              Fprompt->Messages[0]);
    EXPECT_FALSE(Fengine->UsesDShowVideo());

    TiniFile saved;
    Fengine->SaveSettings(saved, "Player");
    // The path is written back as the folder actually used.
    EXPECT_EQ(FindWinampFolder(), saved.ReadString("Player", "WinampPath", "?"));
    EXPECT_FALSE(saved.ReadBool("Player", "UseDShowVideo", true));

    int changes = 0;
    Fengine->OnVideoPlayerChange = [&](TObject*) { ++changes; };
    TcustomWinampPlayer::SetVideoPlayerFactory([] {
        auto video = std::make_unique<test::FakeVideoPlayer>();
        video->Ready = true;
        return video;
    });
    Fengine->SetUseDShowVideo(true);
    TcustomWinampPlayer::SetVideoPlayerFactory(nullptr);
    EXPECT_TRUE(Fengine->UsesDShowVideo());
    EXPECT_NE(nullptr, Fengine->VideoPlayer());
    EXPECT_EQ(1, changes);
    Fengine->SetUseDShowVideo(false);
    EXPECT_EQ(nullptr, Fengine->VideoPlayer());
    // Without a double, the in-process engine's own video output is attached.
    Fengine->SetUseDShowVideo(true);
    EXPECT_NE(nullptr, dynamic_cast<TVideoPlayer*>(Fengine->VideoPlayer()));
    EXPECT_EQ(2, changes);
}

TEST_F(OutsidePlayerEngineTest, TheStoredVolumeReachesThePlayerAndSurvivesTheClose) {
    FakeOutsidePlayer& fake = *Ffake;
    std::vector<int> reported;
    Frecorder.Events.OnVolumeChange = [&](TObject*, uint8_t v) { reported.push_back(v); };
    TiniFile ini;
    ini.WriteInteger("Player", "Volume", 90);
    Fengine->LoadSettings(ini, "Player");  // before the player runs: nothing can be sent yet
    EXPECT_EQ(90, Fengine->GetVolume());
    EXPECT_EQ(200, fake.Volume);
    Fengine->Initialise(0);
    EXPECT_EQ(90, fake.Volume);  // not the player's own starting volume
    Tick(4);
    EXPECT_EQ(std::vector<int>{90}, reported);

    fake.Volume = 150;  // turned at the player itself
    Tick(1);
    EXPECT_EQ((std::vector<int>{90, 150}), reported);
    Fengine->Uninitialise();
    TiniFile saved;
    Fengine->SaveSettings(saved, "Player");  // after the close, as the program does
    EXPECT_EQ(150, saved.ReadInteger("Player", "Volume", 0));
}

TEST_F(OutsidePlayerEngineTest, AVideoOutputMadeFromTheSettingsTakesTheVideoSettings) {
    TiniFile ini;
    ini.WriteBool("Player", "UseDShowVideo", true);
    ini.WriteBool("Player", "AutoFullScreen", true);
    ini.WriteInteger("Player", "FullScreenMonitor", 2);
    ini.WriteString("Player", "VideoSoundCard", "USB Audio");
    TcustomWinampPlayer::SetVideoPlayerFactory([] {
        auto video = std::make_unique<test::FakeVideoPlayer>();
        video->Ready = true;
        return video;
    });
    Fengine->LoadSettings(ini, "Player");
    TcustomWinampPlayer::SetVideoPlayerFactory(nullptr);
    ASSERT_TRUE(Fengine->UsesDShowVideo());
    EXPECT_TRUE(Fengine->VideoPlayer()->GetAutoFullScreen());
    EXPECT_EQ(2, Fengine->VideoPlayer()->GetMonitor());
    EXPECT_EQ("USB Audio", Fengine->VideoPlayer()->AudioDevice());
    TiniFile saved;
    Fengine->SaveSettings(saved, "Player");
    EXPECT_EQ(2, saved.ReadInteger("Player", "FullScreenMonitor", 0));
    EXPECT_EQ("USB Audio", saved.ReadString("Player", "VideoSoundCard", ""));
}

TEST_F(OutsidePlayerEngineTest, VideosPlayInProcessWhileTheOutsidePlayerWaits) {
    FakeOutsidePlayer& fake = *Ffake;
    test::FakeVideoPlayer video;
    video.Ready = true;
    Fengine->SetVideoPlayer(&video);
    Fengine->Initialise(0);
    auto clip = Track("clip.mp4");
    clip->SetMediaType(2);
    Frecorder.Queue = {clip, Track("a.wav")};
    Fengine->Play();
    EXPECT_EQ(std::vector<std::string>{"clip.mp4"}, Frecorder.Starts);
    EXPECT_EQ(Name("clip.mp4"), video.FileName);
    EXPECT_EQ(psPlaying, Fengine->GetState());
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);
    // The outside player holds a placeholder for the video and the track after it, stopped.
    EXPECT_EQ((std::vector<std::string>{"Dummy Entry", Name("a.wav")}), fake.Snapshot());
    EXPECT_EQ(kPlayerStateStopped, fake.State);
    Tick(12);  // no polling while the video plays
    EXPECT_EQ(1u, Frecorder.Starts.size());

    video.State = psStopped;
    Fengine->VideoPlaybackFinished();
    EXPECT_EQ(kPlayerStatePlaying, fake.State);
    Tick(1);
    EXPECT_EQ((std::vector<std::string>{"clip.mp4", "a.wav"}), Frecorder.Starts);
    EXPECT_EQ(std::vector<std::string>{Name("a.wav")}, fake.Snapshot());
    Fengine->SetVideoPlayer(nullptr);
}

TEST_F(OutsidePlayerEngineTest, AHungPlayerCostsEachPollOneTimeOutAndNeverAnAdvance) {
    FakeOutsidePlayer& fake = *Ffake;
    SetErrorLogFile(Ftemp.File("log.log"));
    Frecorder.Queue = {Track("a.wav"), Track("b.wav")};
    StartPlaying();
    const int before = fake.Handled();
    const size_t starts = Frecorder.Starts.size();

    // A short time-out only while the player hangs: one that answers may be slow to
    // answer on a busy machine, and must not be taken for hung.
    Fengine->MessageTimeoutMs = 150;
    fake.Hang();
    Tick(3);
    EXPECT_TRUE(Fengine->Unanswering());
    // Between polls nothing is sent: the screen's own calls answer at once.
    EXPECT_EQ(psStopped, Fengine->GetState());
    Fengine->Play();
    Fengine->SetVolume(10);
    fake.Release();
    Fengine->MessageTimeoutMs = kDefaultMessageTimeoutMs;
    // One message a poll reached the player: the first, which timed out.
    EXPECT_EQ(before + 3, fake.Handled());
    // The unanswered state and position were not taken for the end of the track.
    EXPECT_EQ(starts, Frecorder.Starts.size());
    EXPECT_EQ(std::vector<TmediaPlayState>{psPlaying}, Frecorder.States);

    // Answering again: the next poll runs in full.
    std::vector<uint32_t> positions;
    Frecorder.Events.OnTimeChange = [&](TObject*, uint32_t ms, uint32_t) { positions.push_back(ms); };
    fake.PositionMs = 4000;
    Tick(2);
    EXPECT_FALSE(Fengine->Unanswering());
    EXPECT_EQ(std::vector<uint32_t>{4000}, positions);
    std::string log;
    ReadFileBytes(Ftemp.File("log.log"), log);
    SetErrorLogFile("");
    EXPECT_NE(std::string::npos, log.find("The outside player does not answer"));
    EXPECT_EQ(log.find("does not answer"), log.rfind("does not answer"));  // said once
}

TEST_F(OutsidePlayerEngineTest, ClosingDownStillStopsAndClosesAPlayerThatTimedOut) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("a.wav")};
    StartPlaying();
    Fengine->MessageTimeoutMs = 150;
    fake.Hang();
    Tick(1);
    fake.Release();
    Fengine->MessageTimeoutMs = kDefaultMessageTimeoutMs;
    ASSERT_TRUE(Fengine->Unanswering());
    fake.TakeCommands();
    // A player left running would play on after the jukebox has gone.
    Fengine->Uninitialise();
    fake.Handled();
    EXPECT_EQ((std::vector<std::string>{"40047", "40001"}), fake.TakeCommands());
}

TEST_F(OutsidePlayerEngineTest, TheNextFileStartingSlowlyIsAdvancedToOnce) {
    FakeOutsidePlayer& fake = *Ffake;
    Frecorder.Queue = {Track("a.wav"), Track("b.wav"), Track("c.wav")};
    StartPlaying();
    Tick(2);  // the position of a.wav is known
    // a.wav ends; b.wav is on but has not started yet: stopped, at 0 ms.
    {
        std::lock_guard lock(fake.Fmutex);
        fake.Position = 1;
        fake.State = kPlayerStateStopped;
        fake.PositionMs = 0;
    }
    for (int parity = 0; parity < 2; ++parity) {
        Tick(1);
        EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Frecorder.Starts) << parity;
    }
    Tick(4);
    fake.SetState(kPlayerStatePlaying);
    Tick(4);
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Frecorder.Starts);
    EXPECT_EQ((std::vector<std::string>{Name("b.wav"), Name("c.wav")}), fake.Snapshot());
}

TEST_F(OutsidePlayerEngineTest, FileNamesLongerThanTheOldBufferReachThePlayerWhole) {
    Fengine->Initialise(0);
    auto stream = std::make_shared<TaudioTag>();
    const std::string name = "http://radio.example/" + std::string(5000, 'n') + "/end.mp3";
    stream->SetFilename(name);
    Frecorder.Queue = {stream};
    Fengine->RefreshNextTrack();
    const auto list = Ffake->Snapshot();
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(name.size(), list[1].size());
    EXPECT_EQ(name, list[1]);
}

TEST_F(OutsidePlayerEngineTest, NoSecondPlayerStartsWhileOneAnswers) {
    Fengine->Initialise(0);
    EXPECT_TRUE(Fengine->Polling());
    EXPECT_NE(0, Fengine->FindWinampWindow(true));
    EXPECT_FALSE(fs::exists(Ftemp.File("launches")));
    EXPECT_TRUE(Fprompt->Questions.empty());
    Fengine->Uninitialise();

    // Without an answering window the program is started, once.
    Ffake.reset();
    TwinampMediaPlayer other;
    other.WinampPath = Fengine->WinampPath;
    other.LaunchTimeout = 1;
    other.SetWindowClass(kFakeClass);
    Fprompt->Answer = false;
    other.Initialise(0);
    std::string launches;
    ReadFileBytes(Ftemp.File("launches"), launches);
    EXPECT_EQ("started\n", launches);
}

TEST_F(OutsidePlayerEngineTest, TheStreamPlaylistGoesToThePrivateRuntimeFolderWithoutADataFolder) {
    // A shared temporary folder where "~tmp.m3u" is taken (here by a folder; on a real
    // machine by another user's file): writing there would fail.
    const fs::path shared = Ftemp.Path() / "shared-tmp";
    fs::create_directories(shared / "~tmp.m3u");
    ::setenv("TMPDIR", shared.c_str(), 1);
    Fengine->DataFolder.clear();
    Fengine->Initialise(0);
    Fengine->PlayURL("http://radio.example/live");
    ::unsetenv("TMPDIR");
    EXPECT_EQ("http://radio.example/live", Fengine->PlayingURL());
    const fs::path list = fs::path(WindowMessageFolder()) / "~tmp.m3u";
    EXPECT_EQ(Ftemp.Path() / "tunecrest" / "~tmp.m3u", list);
    std::string content;
    ASSERT_TRUE(ReadFileBytes(list.string(), content));
    EXPECT_EQ("http://radio.example/live\n", content);
    EXPECT_EQ(fs::perms::owner_all, fs::status(list.parent_path()).permissions() & fs::perms::all);
    Fengine->Uninitialise();
    EXPECT_FALSE(fs::exists(list));
}

TEST_F(OutsidePlayerEngineTest, WindowClassFollowsTheLaunchClass) {
    Fengine->SetWindowClass("Bar Player");
    EXPECT_EQ("Bar Player", Fengine->WindowClass);
    Fengine->SetWindowClass("winamp V1.X");
    EXPECT_EQ("Winamp v1.x", Fengine->WindowClass);
    Fengine->SetWindowClass("");
    EXPECT_EQ("Winamp v1.x", Fengine->WindowClass);
}

}  // namespace
}  // namespace tunecrest
