#include "playback/dshow_player.h"

#include <gtest/gtest.h>

#include <deque>

#include "core/audio_tag.h"
#include "core/ini_file.h"
#include "core/safe_file.h"
#include "core/services.h"
#include "support/media_files.h"
#include "support/player_test_support.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

TaudioTagPtr Track(const std::string& file) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    return tag;
}

// Plays the part of the jukebox and the main window: answers next-track requests from
// a queue and, like the main window, asks for the next track when one finishes.
class DshowPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseFakeAudioSink();
        Queue = std::make_shared<TqueueDispatcher>();
        SetDispatcher(Queue);
        SetErrorLogFile(Dir.File("log.log"));
        Events.OnGetNextTagger = [this](TObject*, TaudioTagPtr& tag) {
            ++Requests;
            if (Endless) {
                tag = Track(*Endless);
            } else if (!Jukebox.empty()) {
                tag = Jukebox.front();
                Jukebox.pop_front();
            }
        };
        Events.OnPlaybackStart = [this](TObject*, const TaudioTagPtr& t) { Started.push_back(t->Filename()); };
        Events.OnFileNotFound = [this](TObject*, const TaudioTagPtr& t) { NotFound.push_back(t->Filename()); };
        Events.OnPlaybackFinished = [this](TObject*, const TaudioTagPtr& t) {
            Finished.push_back(t ? t->Filename() : "");
            Player->PlayNext();
        };
        Events.OnTimeChange = [this](TObject*, uint32_t, uint32_t length) { LastLength = length; };
        Player = std::make_unique<TdshowPlayer>();
        Player->SetEvents(&Events);
    }
    void TearDown() override {
        Player.reset();
        SetErrorLogFile("");
        SetDispatcher(nullptr);
    }
    std::string Media(const std::string& name, test::TmediaFormat format, double seconds) {
        const std::string file = Dir.File(name);
        if (!test::MakeMediaFile(file, format, seconds)) ADD_FAILURE() << "cannot make " << name;
        return file;
    }
    // Runs the main thread's pending calls (the poll's ticks) until `done` or the time runs out.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        return test::PollUntil([this] { Queue->WaitAndProcess(20); }, done, timeoutMs);
    }
    void RunFor(int ms) { RunUntil([] { return false; }, ms); }
    std::string Log() {
        std::string text;
        ReadFileBytes(Dir.File("log.log"), text);
        return text;
    }

    test::TempDir Dir;
    std::shared_ptr<TqueueDispatcher> Queue;
    TcustomMediaPlayerEvents Events;
    std::unique_ptr<TdshowPlayer> Player;
    std::deque<TaudioTagPtr> Jukebox;
    std::optional<std::string> Endless;
    std::vector<std::string> Started, NotFound, Finished;
    int Requests = 0;
    uint32_t LastLength = 0;
};

TEST_F(DshowPlayerTest, AFilePlaysToItsEndWithOneFinishedEventAndOneNextRequest) {
    const std::string file = Media("a.wav", test::TmediaFormat::Wav, 0.8);
    const TaudioTagPtr original = Track(file);
    Jukebox.push_back(original);
    Player->Play();  // stopped: asks the jukebox
    EXPECT_EQ(Requests, 1);
    ASSERT_EQ(Started, std::vector<std::string>{file});
    EXPECT_EQ(Player->GetState(), psPlaying);
    ASSERT_NE(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetCurrentTag()->Filename(), file);
    EXPECT_NE(Player->GetCurrentTag(), original);  // the engine's own copy
    Player->Play();  // playing: nothing
    EXPECT_EQ(Requests, 1);

    ASSERT_TRUE(RunUntil([this] { return !Finished.empty(); }));
    RunFor(1200);  // two more poll periods: no second end
    EXPECT_EQ(Finished, std::vector<std::string>{file});
    EXPECT_EQ(Requests, 2);  // the one after the end, answered with nothing
    EXPECT_EQ(Started.size(), 1u);
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetState(), psStopped);
    EXPECT_NEAR(double(LastLength), 800, 80);
}

TEST_F(DshowPlayerTest, StopDoesNotFinishOrAdvanceAndPauseToggles) {
    Jukebox.push_back(Track(Media("a.mp3", test::TmediaFormat::Mp3, 3.0)));
    Jukebox.push_back(Track(Media("b.wav", test::TmediaFormat::Wav, 0.5)));
    Player->PlayNext();
    RunFor(600);
    Player->Pause();
    EXPECT_EQ(Player->GetState(), psPaused);
    Player->Play();  // paused: resumes the same track
    EXPECT_EQ(Player->GetState(), psPlaying);
    EXPECT_EQ(Requests, 1);
    Player->Pause();
    Player->Pause();
    EXPECT_EQ(Player->GetState(), psPlaying);
    Player->Stop();
    EXPECT_EQ(Player->GetState(), psStopped);
    RunFor(1500);
    EXPECT_TRUE(Finished.empty());
    EXPECT_EQ(Requests, 1);
    EXPECT_EQ(Started.size(), 1u);
}

TEST_F(DshowPlayerTest, MissingAndCorruptFilesAreReportedAndPassedOver) {
    const std::string corrupt = Dir.File("corrupt.mp3");
    ASSERT_TRUE(SafeWriteFile(corrupt, std::string(5000, '\x33')));
    const std::string good = Media("good.wav", test::TmediaFormat::Wav, 0.3);
    Jukebox = {Track(Dir.File("missing.mp3")), Track(corrupt), Track(good)};
    Player->Play();
    EXPECT_EQ(NotFound, (std::vector<std::string>{Dir.File("missing.mp3"), corrupt}));
    EXPECT_EQ(Started, std::vector<std::string>{good});
    EXPECT_EQ(Requests, 3);
    EXPECT_NE(Log().find("The specified file could not be opened. (" + corrupt + ")"), std::string::npos);
}

TEST_F(DshowPlayerTest, MissesInARowAreBounded) {
    Endless = Dir.File("never-there.mp3");
    Player->Play();
    EXPECT_EQ(int(NotFound.size()), TdshowPlayer::kMaxMissesInARow);
    EXPECT_TRUE(Started.empty());
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetState(), psStopped);
    EXPECT_NE(Log().find("files in a row could not be played"), std::string::npos);
}

TEST_F(DshowPlayerTest, AnErrorDuringPlayIsLoggedAndTheNextTrackPlays) {
    const std::string broken = Media("a.flac", test::TmediaFormat::Flac, 4.0);
    const std::string next = Media("b.wav", test::TmediaFormat::Wav, 0.3);
    Jukebox = {Track(broken), Track(next)};
    setenv(kAudioSinkVariable, "identity error-after=10 ! fakesink sync=true", 1);
    Player->Play();
    test::UseFakeAudioSink();
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 2; }));
    EXPECT_EQ(Finished, (std::vector<std::string>{broken, next}));
    EXPECT_EQ(Started, (std::vector<std::string>{broken, next}));
    EXPECT_NE(Log().find(broken + ": "), std::string::npos);
}

TEST_F(DshowPlayerTest, VolumeSurvivesANewTrackAndSettingsRoundTrip) {
    std::vector<int> volumes;
    Events.OnVolumeChange = [&](TObject*, uint8_t v) { volumes.push_back(v); };
    Player->SetVolume(77);
    EXPECT_EQ(Player->GetVolume(), 77);
    Player->PlayTag(Track(Media("a.wav", test::TmediaFormat::Wav, 0.5)));
    EXPECT_EQ(Player->GetVolume(), 77);
    EXPECT_EQ(volumes, (std::vector<int>{77, 77}));
    Player->PlayTag(nullptr);
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);

    TiniFile ini;
    Player->VideoPlayer()->SetMonitor(2);
    Player->SaveSettings(ini, "Player");
    EXPECT_EQ(ini.ReadInteger("Player", "Volume", 0), 77);
    EXPECT_EQ(ini.ReadInteger("Player", "FullScreenMonitor", 0), 2);
    ini.WriteInteger("Player", "Volume", 0);
    ini.WriteString("Player", "VideoSoundCard", "Default DirectSound Device");
    Player->LoadSettings(ini, "Player");
    EXPECT_EQ(Player->GetVolume(), 128);
    EXPECT_EQ(Player->GetEngineKind(), 2);
}

TEST_F(DshowPlayerTest, CoverOfTheCurrentTrackAndNoneWithoutOne) {
    const std::string file = Media("a.wav", test::TmediaFormat::Wav, 0.5);
    ASSERT_TRUE(SafeWriteFile(Dir.File("Folder.jpg"), std::string("cover bytes")));
    Player->PlayTag(Track(file));
    TcoverPicture picture;
    std::string name = "old";
    Player->LoadCoverImage("", false, name, false, picture);
    EXPECT_EQ(name, Dir.File("Folder.jpg"));
    EXPECT_EQ(picture.Bytes, "cover bytes");

    // Without a current track only the name is cleared: the picture shown stays.
    Player->PlayTag(nullptr);
    Player->LoadCoverImage("", false, name, false, picture);
    EXPECT_EQ(name, "");
    EXPECT_EQ(picture.Bytes, "cover bytes");
}

}  // namespace
}  // namespace tunecrest
