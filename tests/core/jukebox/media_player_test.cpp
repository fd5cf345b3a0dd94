#include "core/jukebox/media_player.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/base/exceptions.h"
#include "core/base/ini_file.h"
#include "support/fake_media_player.h"

using namespace tunecrest;
using tunecrest::test::FakeMediaPlayer;
using tunecrest::test::FakeVideoPlayer;

namespace {

TaudioTagPtr TokenTag() {
    return std::make_shared<TaudioTag>();
}

}  // namespace

TEST(MediaPlayerEvents, NextTrackRequestGivesNothingWithoutSinkOrAnswer) {
    FakeMediaPlayer player;
    TaudioTagPtr tag = TokenTag();
    player.DoGetNextTagger(tag);
    EXPECT_EQ(tag, nullptr) << "no sink";

    TcustomMediaPlayerEvents events;
    player.SetEvents(&events);
    tag = TokenTag();
    player.DoGetNextTagger(tag);
    EXPECT_EQ(tag, nullptr) << "no handler";

    int asked = 0;
    events.OnGetNextTagger = [&](TObject*, TaudioTagPtr&) { ++asked; };
    tag = TokenTag();
    player.DoGetNextTagger(tag);
    EXPECT_EQ(tag, nullptr) << "a handler that assigns nothing";
    EXPECT_EQ(asked, 1);

    // With nothing to play the engine stays stopped.
    player.Play();
    EXPECT_EQ(player.GetState(), psStopped);
    EXPECT_EQ(player.GetCurrentTag(), nullptr);
}

TEST(MediaPlayerEvents, FireOnTheSinkWithThePlayerAsSender) {
    FakeMediaPlayer player;
    TcustomMediaPlayerEvents events;
    player.SetEvents(&events);
    const TaudioTagPtr first = TokenTag(), second = TokenTag();
    std::vector<std::string> log;
    TObject* sender = nullptr;
    int requests = 0;
    events.OnGetNextTagger = [&](TObject* s, TaudioTagPtr& tag) {
        sender = s;
        tag = requests++ == 0 ? first : second;
        log.push_back("next");
    };
    events.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& tag) {
        log.push_back(tag == first ? "start1" : "start2");
    };
    events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr& tag) {
        log.push_back(tag == first ? "end1" : "end2");
    };
    events.OnStateChange = [&](TObject*, TmediaPlayState s) {
        log.push_back("state" + std::to_string(int(s)));
    };
    events.OnTimeChange = [&](TObject*, uint32_t pos, uint32_t len) {
        log.push_back("time" + std::to_string(pos) + "/" + std::to_string(len));
    };
    events.OnInitialise = [&](TObject*) { log.push_back("init"); };
    events.OnUninitialise = [&](TObject*) { log.push_back("uninit"); };

    player.Initialise(0);
    player.Play();
    player.DoTimeChange(1500, 4000000000u);
    player.FinishTrack();
    player.Uninitialise();
    EXPECT_EQ(sender, &player);
    EXPECT_EQ(log, (std::vector<std::string>{"init", "next", "state1", "start1", "time1500/4000000000",
                                             "end1", "next", "start2", "uninit"}));
}

TEST(MediaPlayerSettings, VolumeZeroOrMissingAtSilenceBecomes128) {
    FakeMediaPlayer player;
    TcustomMediaPlayerEvents events;
    std::vector<int> reported;
    events.OnVolumeChange = [&](TObject*, uint8_t v) { reported.push_back(v); };
    player.SetEvents(&events);

    // Stored text, volume before loading, volume after. A missing key keeps the current
    // volume unless that is silence; out-of-range values are clamped, never wrapped.
    const struct {
        const char* text;
        int before, after;
    } cases[] = {{"Volume=0", 50, 128}, {"Volume=200", 50, 200}, {"", 200, 200},
                 {"", 0, 128},          {"Volume=300", 50, 255}, {"Volume=-5", 50, 128}};
    for (const auto& c : cases) {
        TiniFile ini;
        ini.SetText(std::string("[Player]\n") + c.text + "\n");
        player.Volume = uint8_t(c.before);
        player.LoadSettings(ini, "Player");
        EXPECT_EQ(player.GetVolume(), c.after) << c.text << " from " << c.before;
    }
    EXPECT_EQ(reported, (std::vector<int>{128, 200, 200, 128, 255, 128}));
}

TEST(MediaPlayerSettings, MuteKeepsTheVolumeOnceAndSavesItWhileMuted) {
    FakeMediaPlayer player;
    player.SetVolume(173);
    player.SetMute(true);
    EXPECT_TRUE(player.GetMute());
    EXPECT_EQ(player.GetVolume(), 0);
    player.SetMute(true);  // second mute must not save the silence
    EXPECT_EQ(player.VolumeBeforeMute(), 173);

    // Closing while muted keeps the volume from before the mute.
    TiniFile ini;
    player.SaveSettings(ini, "Player");
    EXPECT_EQ(ini.ReadString("Player", "Volume", ""), "173");

    player.SetMute(false);
    EXPECT_EQ(player.GetVolume(), 173);
    player.SetVolume(90);
    player.SaveSettings(ini, "Player");
    EXPECT_EQ(ini.ReadString("Player", "Volume", ""), "90");
}

TEST(MediaPlayerVideo, RelaysVideoEventsToTheOuterSink) {
    FakeMediaPlayer player;
    FakeVideoPlayer video;
    player.SetVideoPlayer(&video);
    EXPECT_EQ(video.Events(), &player.OwnVideoEvents());

    // Without an outer sink the relays do nothing.
    video.SetVolume(10);
    video.SetFullScreen(true);

    TvideoPlayerEvents outer;
    std::vector<std::string> log;
    outer.OnVolumeChange = [&](TObject* s, uint8_t v) {
        EXPECT_EQ(s, &player);
        log.push_back("vol" + std::to_string(v));
    };
    outer.OnFullScreenDisable = [&](TObject*) { log.push_back("fsoff"); };
    outer.OnFullScreenEnable = [&](TObject*) { log.push_back("fson"); };
    outer.OnStateChange = [&](TObject*, TmediaPlayState s) {
        log.push_back("state" + std::to_string(int(s)));
    };
    outer.OnPlaybackStart = [&](TObject*) { log.push_back("start"); };
    outer.OnInitialise = [&](TObject*) { log.push_back("init"); };
    player.SetVideoEvents(&outer);
    video.Initialise();
    video.SetVolume(42);
    video.SetFullScreen(false);
    video.SetFullScreen(true);
    video.OpenAndPlay("/media/clip.mkv");
    EXPECT_EQ(log, (std::vector<std::string>{"init", "vol42", "fsoff", "fson", "state1", "start"}));
}

TEST(MediaPlayerVideo, EitherSideMayGoFirst) {
    auto player = std::make_unique<FakeMediaPlayer>();
    auto video = std::make_unique<FakeVideoPlayer>();
    player->SetVideoPlayer(video.get());
    video.reset();
    EXPECT_EQ(player->VideoPlayer(), nullptr);
    TiniFile ini;
    player->SaveSettings(ini, "Player");  // must not reach the freed output
    EXPECT_FALSE(ini.ValueExists("Player", "AutoFullScreen"));

    video = std::make_unique<FakeVideoPlayer>();
    player->SetVideoPlayer(video.get());
    player.reset();
    EXPECT_EQ(video->Events(), nullptr);
    video->SetVolume(3);  // no call into the freed player's sink
}

TEST(MediaPlayerVideo, VideoSettingsDefaultsAndRoundTrip) {
    FakeMediaPlayer player;
    FakeVideoPlayer video;
    player.SetVideoPlayer(&video);
    video.AutoFullScreen = true;
    video.DoubleClickFullScreen = false;
    video.Monitor = 4;
    video.SetAudioDevice("Card X");

    TiniFile empty;
    player.LoadSettings(empty, "Player");
    EXPECT_FALSE(video.AutoFullScreen);
    EXPECT_TRUE(video.DoubleClickFullScreen);
    EXPECT_EQ(video.Monitor, 0);
    EXPECT_EQ(video.AudioDevice(), "Default DirectSound Device");

    video.AutoFullScreen = true;
    video.DoubleClickFullScreen = false;
    video.Monitor = 2;
    video.SetAudioDevice("USB Audio");
    player.SetVolume(99);
    TiniFile ini;
    player.SaveSettings(ini, "Player");
    EXPECT_EQ(ini.ReadSectionValues("Player"),
              (std::vector<std::string>{"Volume=99", "AutoFullScreen=1", "DoubleClickFullScreen=0",
                                        "FullScreenMonitor=2", "VideoSoundCard=USB Audio"}));

    FakeMediaPlayer other;
    FakeVideoPlayer otherVideo;
    other.SetVideoPlayer(&otherVideo);
    other.LoadSettings(ini, "Player");
    EXPECT_EQ(other.GetVolume(), 99);
    EXPECT_TRUE(otherVideo.AutoFullScreen);
    EXPECT_FALSE(otherVideo.DoubleClickFullScreen);
    EXPECT_EQ(otherVideo.Monitor, 2);
    EXPECT_EQ(otherVideo.AudioDevice(), "USB Audio");
}

TEST(MediaPlayer, MissingPlayerIsReportedWithItsText) {
    try {
        RequirePlayer(nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No Player has been assigned.");
    }
    FakeMediaPlayer player;
    EXPECT_EQ(&RequirePlayer(&player), &player);
}
