// The in-process engine's lasting sound output, heard through a test sound card: one
// stream carries every track, nothing of a finished track is cut, a stop or a pause is
// heard at once, and a new output is opened only when the choice changed, the device
// was missing or the output failed.
#include <gtest/gtest.h>

#include <deque>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/tags/audio_tag.h"
#include "playback/dshow_player.h"
#include "support/media_files.h"
#include "support/player_fixture.h"
#include "support/player_test_support.h"
#include "support/sound_card.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

constexpr int kRate = 44100;

TaudioTagPtr Track(const std::string& file) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    return tag;
}

size_t Frames(double seconds) {
    return size_t(seconds * kRate);
}

// The length of the tone test::MakeMediaFile writes for `seconds` (whole buffers of 1024 frames).
double ToneSeconds(double seconds) {
    return std::max(1, int(seconds * kRate / 1024)) * 1024.0 / kRate;
}

// Quieter than this is no tone (the tones are at 0.8; a sine spends 0.2 % of its time below it).
constexpr float kToneLevel = 0.002f;

class SoundOutputTest : public test::TplayerTest {
  protected:
    void SetUp() override {
        TplayerTest::SetUp();
        Events.OnGetNextTagger = [this](TObject*, TaudioTagPtr& tag) {
            if (Jukebox.empty()) return;
            tag = Jukebox.front();
            Jukebox.pop_front();
        };
        Events.OnPlaybackStart = [this](TObject*, const TaudioTagPtr& t) {
            Started.push_back(t->Filename().str());
        };
        Events.OnPlaybackFinished = [this](TObject*, const TaudioTagPtr& t) {
            Finished.push_back(t ? t->Filename().str() : std::string());
            Player->PlayNext();
        };
        Player = std::make_unique<TdshowPlayer>();
        Player->SetEvents(&Events);
        Player->SetVolume(255);
    }
    TmyFilterGraph& Graph() { return Player->ActiveVideoPlayer().Graph(); }
    // Runs until the output has handed on everything the tracks queued, and a little more.
    void RunOutTheTail() {
        RunUntil([this] { return Graph().Output().QueuedMs() == 0; });
        RunFor(150);
    }

    std::shared_ptr<test::TsoundRecording> Heard = std::make_shared<test::TsoundRecording>();
};

TEST_F(SoundOutputTest, OneStreamCarriesEveryTrackAndTheEndOfEachIsHeard) {
    test::TautomaticOutputScope card([this] { return test::MakeSoundCard(Heard); });
    const std::vector<std::pair<std::string, double>> files = {
        {Media("a.flac", test::TmediaFormat::Flac, 0.5), 0.5},
        {Media("b.mp3", test::TmediaFormat::Mp3, 0.4), 0.4},
        {Media("c.wav", test::TmediaFormat::Wav, 0.3), 0.3}};
    double seconds = 0;
    for (const auto& [file, length] : files) {
        Jukebox.push_back(Track(file));
        seconds += ToneSeconds(length);
    }
    Player->Play();
    GstElement* output = Graph().Output().Pipeline();
    ASSERT_NE(output, nullptr);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 3; }));
    RunOutTheTail();
    EXPECT_EQ(card.Made, 1) << "a stream was opened for each track";
    EXPECT_EQ(Graph().Output().Pipeline(), output);
    EXPECT_EQ(Graph().Output().Rate(), kRate);
    // Every frame of tone of the three files was heard: none was cut at a track change.
    const double heard = double(Heard->SoundFrames(kToneLevel)) / kRate;
    EXPECT_NEAR(heard, seconds, 0.01 * seconds);
}

TEST_F(SoundOutputTest, AStopIsHeardAtOnceAndThePauseHoldsTheStream) {
    test::TautomaticOutputScope card([this] { return test::MakeSoundCard(Heard); });
    Jukebox.push_back(Track(Media("long.flac", test::TmediaFormat::Flac, 3.0)));
    Player->Play();
    RunFor(400);
    Player->Pause();
    ASSERT_EQ(Player->GetState(), psPaused);
    EXPECT_TRUE(Graph().Output().Paused());
    RunFor(100);
    const size_t whilePaused = Heard->Frames();
    RunFor(300);
    EXPECT_EQ(Heard->Frames(), whilePaused) << "the output went on while paused";
    Player->Play();
    EXPECT_FALSE(Graph().Output().Paused());
    RunFor(400);
    // What the track had queued for the output (200 ms and more) is not heard after
    // the stop; the piece on its way to the card may be, and the position read can be
    // a buffer behind.
    const int64_t handedOn = Player->GetPosition();
    Player->Stop();
    RunFor(500);
    EXPECT_LE(Heard->SoundFrames(), Frames((handedOn + 120) / 1000.0));
    EXPECT_GT(Heard->Frames(), Heard->SoundFrames()) << "silence follows the stop on the same stream";
    EXPECT_TRUE(Finished.empty());
    EXPECT_EQ(card.Made, 1);
}

TEST_F(SoundOutputTest, VolumeAndPitchBelongToTheOutputAndHoldFromTrackToTrack) {
    test::TautomaticOutputScope card([this] { return test::MakeSoundCard(Heard, false); });
    const std::string file = Media("tone.wav", test::TmediaFormat::Wav, 0.4);
    Player->SetVolume(128);  // -39.84 dB
    Player->PlayTag(Track(file));
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 1; }));
    RunOutTheTail();
    const float quiet = Heard->Peak(0, Heard->Frames());
    EXPECT_NEAR(quiet, 0.8 * 0.0102, 0.002);
    Heard->Clear();
    Player->SetVolume(255);
    Player->PlayTag(Track(file));
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 2; }));
    RunOutTheTail();
    EXPECT_NEAR(Heard->Peak(0, Heard->Frames()), 0.8, 0.05);
    EXPECT_EQ(card.Made, 1);
    // Pitch control takes a new output from the next file on, with the stage in it.
    if (TmyFilterGraph::PitchStageAvailable()) {
        EXPECT_FALSE(Graph().HasPitchStage());
        Player->PitchTempoConnector();
        Player->PlayTag(Track(file));
        EXPECT_TRUE(Graph().HasPitchStage());
        EXPECT_EQ(card.Made, 2);
    }
}

TEST_F(SoundOutputTest, ANewOutputOpensOnlyWhenTheChoiceChangedTheDeviceWasMissingOrTheOutputFailed) {
    bool haveDevice = false;
    test::TautomaticOutputScope machine([&]() -> GstElement* {
        return haveDevice ? test::MakeSoundCard(Heard, false) : test::MakeNoSoundDevice();
    });
    const std::string song = Media("song.wav", test::TmediaFormat::Wav, 0.2);
    // No device: the file is not played, and the stand-in output is not kept.
    Player->PlayTag(Track(song));
    EXPECT_TRUE(Started.empty());
    EXPECT_TRUE(Graph().NoAudioDevice());
    // The device came back: the next file finds it.
    haveDevice = true;
    Player->PlayTag(Track(song));
    EXPECT_EQ(Started.size(), 1u);
    EXPECT_FALSE(Graph().NoAudioDevice());
    EXPECT_EQ(machine.Made, 2);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 1; }));
    Player->PlayTag(Track(song));
    EXPECT_EQ(machine.Made, 2) << "the output that works is kept";
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 2; }));

    // A sink chosen on purpose replaces it with the next file, and going back to the
    // automatic choice does so again.
    test::UseFakeAudioSink();
    Player->PlayTag(Track(song));
    EXPECT_EQ(machine.Made, 2);
    EXPECT_NE(Graph().Output().Sink(), nullptr);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 3; }));
    unsetenv(kAudioSinkVariable);
    Player->PlayTag(Track(song));
    EXPECT_EQ(machine.Made, 3);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 4; }));

    // An output that fails ends its track with the reason, and the next file opens another.
    setenv(kAudioSinkVariable, "identity error-after=5 ! fakesink sync=true", 1);
    Jukebox.push_back(Track(song));
    Player->PlayTag(Track(Media("long.flac", test::TmediaFormat::Flac, 4.0)));
    unsetenv(kAudioSinkVariable);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 6; }));
    EXPECT_EQ(Started.size(), 6u);
    EXPECT_EQ(machine.Made, 4);
    std::string log;
    ReadFileBytes(Dir.File("log.log"), log);
    EXPECT_NE(log.find("long.flac: "), std::string::npos) << log;
}

TEST_F(SoundOutputTest, AnOutputWithNothingToPlayClosesAfterAWhile) {
    test::TautomaticOutputScope card([this] { return test::MakeSoundCard(Heard, false); });
    Graph().SetOutputIdleTime(300);
    Player->PlayTag(Track(Media("short.wav", test::TmediaFormat::Wav, 0.2)));
    ASSERT_TRUE(Graph().Output().IsOpen());
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 1; }));
    EXPECT_TRUE(RunUntil([this] { return !Graph().Output().IsOpen(); }, 5000));
    // Playing again opens it again.
    Player->PlayTag(Track(Media("again.wav", test::TmediaFormat::Wav, 0.2)));
    EXPECT_TRUE(Graph().Output().IsOpen());
    EXPECT_EQ(card.Made, 2);
    // A pause is not idleness.
    Player->PlayTag(Track(Media("long.wav", test::TmediaFormat::Wav, 3.0)));
    Player->Pause();
    RunFor(800);
    EXPECT_TRUE(Graph().Output().IsOpen());
}

}  // namespace
}  // namespace tunecrest
