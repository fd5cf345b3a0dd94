#include "playback/dshow_player.h"

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cmath>
#include <deque>

#include "core/tags/audio_tag.h"
#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "support/http_server.h"
#include "support/media_files.h"
#include "support/player_fixture.h"
#include "support/player_test_support.h"
#include "support/sound_card.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

TaudioTagPtr Track(const std::string& file) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    return tag;
}

// An MP3 radio stream with ICY metadata: after each full block of `interval` audio bytes
// comes a length byte and that many 16-byte units of "StreamTitle='...';" (none when
// titles[block] is empty).
std::string IcyStream(const std::string& audio, size_t interval, const std::vector<std::string>& titles) {
    std::string out;
    for (size_t at = 0, block = 0; at < audio.size(); at += interval, ++block) {
        out += audio.substr(at, interval);
        if (at + interval > audio.size()) break;
        std::string meta;
        if (block < titles.size() && !titles[block].empty()) meta = "StreamTitle='" + titles[block] + "';";
        const size_t units = (meta.size() + 15) / 16;
        meta.resize(units * 16, '\0');
        out += char(units);
        out += meta;
    }
    return out;
}

// Plays the part of the jukebox and the main window: answers next-track requests from
// a queue and, like the main window, asks for the next track when one finishes.
class DshowPlayerTest : public test::TplayerTest {
protected:
    void SetUp() override {
        test::UseFakeAudioSink();
        TplayerTest::SetUp();
        Events.OnGetNextTagger = [this](TObject*, TaudioTagPtr& tag) {
            ++Requests;
            if (Endless) {
                tag = Track(*Endless);
            } else if (!Jukebox.empty()) {
                tag = Jukebox.front();
                Jukebox.pop_front();
            }
        };
        Events.OnPlaybackStart = [this](TObject*, const TaudioTagPtr& t) {
            Started.push_back(t ? t->Filename().str() : "<none>");
        };
        Events.OnFileNotFound = [this](TObject*, const TaudioTagPtr& t) { NotFound.push_back(t->Filename().str()); };
        Events.OnPlaybackFinished = [this](TObject*, const TaudioTagPtr& t) {
            Finished.push_back(t ? t->Filename().str() : "");
            Player->PlayNext();
        };
        Events.OnTimeChange = [this](TObject*, uint32_t, uint32_t length) { LastLength = length; };
        Player = std::make_unique<TdshowPlayer>();
        Player->SetEvents(&Events);
    }
    std::string Log() {
        std::string text;
        ReadFileBytes(Dir.File("log.log"), text);
        return text;
    }

    std::optional<std::string> Endless;
    std::vector<std::string> NotFound;
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

TEST_F(DshowPlayerTest, BackToBackTracksKeepTheOrderAndCountOfTheirEvents) {
    // Every format a bar plays from, short enough that each ends between two polls.
    const std::vector<std::string> files = {Media("a.mp3", test::TmediaFormat::Mp3, 0.4),
                                            Media("b.flac", test::TmediaFormat::Flac, 0.3),
                                            Media("c.ogg", test::TmediaFormat::OggVorbis, 0.3),
                                            Media("d.wav", test::TmediaFormat::Wav, 0.3)};
    for (const auto& file : files) Jukebox.push_back(Track(file));
    std::vector<std::string> log;
    std::string playing;
    int timeOutsideATrack = 0;
    Events.OnGetNextTagger = [&](TObject*, TaudioTagPtr& tag) {
        log.push_back("next");
        if (Jukebox.empty()) return;
        tag = Jukebox.front();
        Jukebox.pop_front();
    };
    Events.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& t) {
        playing = t->Filename().str();
        log.push_back("start " + playing);
    };
    Events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr& t) {
        log.push_back("finish " + (t ? t->Filename().str() : std::string("<none>")));
        playing.clear();
        Player->PlayNext();
    };
    Events.OnTimeChange = [&](TObject*, uint32_t, uint32_t) {
        if (playing.empty()) ++timeOutsideATrack;
    };
    Player->Play();
    ASSERT_TRUE(RunUntil([&] { return log.size() == 3 * files.size() + 1; }));
    RunFor(1200);  // two more poll periods: nothing is finished twice
    std::vector<std::string> expected;
    for (const auto& file : files) {
        expected.push_back("next");
        expected.push_back("start " + file);
        expected.push_back("finish " + file);
    }
    expected.push_back("next");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(timeOutsideATrack, 0);
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetState(), psStopped);
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

TEST_F(DshowPlayerTest, InternetRadioPlaysWithTheStreamsTitlesAndItsEndIsSaid) {
    std::string audio;
    ASSERT_TRUE(ReadFileBytes(Media("stream.mp3", test::TmediaFormat::Mp3, 2.5), audio));
    test::TloopbackHttpServer station([&](const std::string&) {
        test::ThttpReply reply;
        reply.ContentType = "audio/mpeg";
        reply.SendLength = false;
        reply.ExtraHeaders = "icy-metaint: 2048\r\nicy-name: Loopback Radio\r\n";
        reply.Body = IcyStream(audio, 2048, {"First Song", "", "", "Second Song"});
        return reply;
    });
    std::vector<std::string> titles, statuses;
    Player->OnStreamTitleChange = [&](TObject* sender, const std::string& title) {
        EXPECT_EQ(sender, Player.get());
        titles.push_back(title);
    };
    Player->OnStatusText = [&](TObject*, const std::string& text) { statuses.push_back(text); };
    Player->SetVolume(90);
    const std::string url = station.Url("/live");
    Player->PlayURL(url);
    EXPECT_EQ(Player->PlayingURL(), url);
    EXPECT_EQ(Started, std::vector<std::string>{"<none>"});
    EXPECT_EQ(Requests, 0);
    ASSERT_NE(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetCurrentTag()->MediaType(), 4u);
    EXPECT_EQ(Player->GetCurrentTag()->Filename(), url);
    EXPECT_EQ(Player->GetState(), psPlaying);
    EXPECT_EQ(Player->GetVolume(), 90);

    ASSERT_TRUE(RunUntil([&] { return titles.size() >= 2; }));
    EXPECT_EQ(titles, (std::vector<std::string>{"First Song", "Second Song"}));
    EXPECT_EQ(Player->GetCurrentTag()->Title(), "Second Song");

    // The station stops sending: a text for the status line, and the finished event
    // without a track (the address already forgotten), after which the main window
    // asks for the next track.
    std::vector<std::string> addressAtTheEnd;
    Events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr& t) {
        Finished.push_back(t ? t->Filename().str() : std::string());
        addressAtTheEnd.push_back(Player->PlayingURL());
        Player->PlayNext();
    };
    ASSERT_TRUE(RunUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished, std::vector<std::string>{""});
    EXPECT_EQ(addressAtTheEnd, std::vector<std::string>{""});
    EXPECT_EQ(statuses, std::vector<std::string>{"The stream " + url + " has ended."});
    EXPECT_EQ(Player->PlayingURL(), "");
    EXPECT_EQ(Requests, 1);
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);
}

TEST_F(DshowPlayerTest, ARadioStreamThatFailsIsSaidAndTheJukeboxPlaysOn) {
    test::TloopbackHttpServer station([](const std::string&) {
        test::ThttpReply reply;
        reply.Status = 404;
        reply.Body = "no such station";
        return reply;
    });
    const std::string next = Media("next.wav", test::TmediaFormat::Wav, 0.3);
    Jukebox.push_back(Track(next));
    std::vector<std::string> statuses, titles;
    Player->OnStatusText = [&](TObject*, const std::string& text) { statuses.push_back(text); };
    Player->OnStreamTitleChange = [&](TObject*, const std::string& title) { titles.push_back(title); };
    const std::string url = station.Url("/gone");
    Player->PlayURL(url);
    ASSERT_TRUE(RunUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished.front(), "");
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].rfind("The stream " + url + " could not be played: ", 0), 0u) << statuses[0];
    EXPECT_GT(statuses[0].size(), ("The stream " + url + " could not be played: ").size());
    EXPECT_NE(Log().find(statuses[0]), std::string::npos);
    EXPECT_EQ(Started, (std::vector<std::string>{"<none>", next}));
    EXPECT_EQ(Player->PlayingURL(), "");

    // Something that is no address at all is refused at once; nothing starts.
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 2; }));
    statuses.clear();
    Player->PlayURL("no address");
    EXPECT_EQ(statuses, std::vector<std::string>{"The stream no address could not be played: not an internet address"});
    EXPECT_EQ(Started.size(), 2u);
    EXPECT_EQ(Player->PlayingURL(), "");
    EXPECT_TRUE(titles.empty());
}

TEST_F(DshowPlayerTest, ALibraryFilesOwnTitleIsNoStreamTitle) {
    const std::string file = Media("tagged.mp3", test::TmediaFormat::Mp3, 0.4);
    {
        TagLib::FileRef tagged(file.c_str());
        ASSERT_FALSE(tagged.isNull());
        tagged.tag()->setTitle("Title In The File");
        ASSERT_TRUE(tagged.save());
    }
    std::vector<std::string> streamTitles, read;
    Player->OnStreamTitleChange = [&](TObject*, const std::string& title) { streamTitles.push_back(title); };
    // Sees what the graph reads, then lets the engine have it.
    TmyFilterGraph& graph = Player->ActiveVideoPlayer().Graph();
    graph.OnTitle = [&, engines = graph.OnTitle](TObject* sender, const std::string& title) {
        read.push_back(title);
        engines(sender, title);
    };
    std::string titleAtTheEnd;
    Events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr& t) {
        Finished.push_back(t ? t->Filename().str() : std::string());
        titleAtTheEnd = t ? t->Title().str() : std::string("<none>");
    };
    auto track = Track(file);
    track->SetTitle("Library Title");
    Jukebox.push_back(track);
    Player->Play();
    ASSERT_EQ(Started, std::vector<std::string>{file});
    ASSERT_TRUE(RunUntil([this] { return !Finished.empty(); }));
    EXPECT_EQ(read, std::vector<std::string>{"Title In The File"});
    EXPECT_TRUE(streamTitles.empty());
    EXPECT_EQ(titleAtTheEnd, "Library Title");
}

// A machine without a sound device or sound server: the automatic output finds only
// its silent stand-in.
TEST_F(DshowPlayerTest, WithoutASoundDeviceATrackWaitsAndAVideoStillPlays) {
    test::TautomaticOutputScope noSound([] { return test::MakeNoSoundDevice(); });
    std::vector<std::string> statuses;
    Player->OnStatusText = [&](TObject*, const std::string& text) { statuses.push_back(text); };
    const std::string song = Media("song.wav", test::TmediaFormat::Wav, 0.3);
    const std::string clip = Media("clip.mkv", test::TmediaFormat::MkvVideo, 0.5);
    Jukebox = {Track(song), Track(clip)};
    // The song is not played in silence, nor counted missing, nor passed over: it is
    // the jukebox's still, and nothing more is asked for.
    Player->Play();
    EXPECT_EQ(Requests, 1);
    EXPECT_TRUE(Started.empty());
    EXPECT_TRUE(NotFound.empty());
    EXPECT_EQ(statuses, std::vector<std::string>{kNoSoundDevice});
    EXPECT_NE(Log().find(kNoSoundDevice), std::string::npos);
    EXPECT_EQ(Player->GetCurrentTag(), nullptr);
    EXPECT_EQ(Player->GetState(), psStopped);
    RunFor(600);
    EXPECT_TRUE(Finished.empty());
    // A video shows its pictures without sound.
    test::TrecordingPanel panel;
    Player->ActiveVideoPlayer().SetPanel(&panel);
    Player->PlayNext();
    EXPECT_EQ(Started, std::vector<std::string>{clip});
    EXPECT_TRUE(Player->ActiveVideoPlayer().Graph().NoAudioDevice());
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 1; }));
    EXPECT_GE(panel.FrameCount(), 3);
    EXPECT_EQ(statuses.size(), 1u);
    Player->ActiveVideoPlayer().SetPanel(nullptr);
}

TEST_F(DshowPlayerTest, TheAutomationShifterChangesThePitchAndTempoOfWhatPlays) {
    if (!TmyFilterGraph::PitchStageAvailable()) GTEST_SKIP() << "GStreamer has no pitch element";
    auto heard = std::make_shared<test::TsoundRecording>();
    test::TautomaticOutputScope card([heard] { return test::MakeSoundCard(heard); });
    const std::string first = Media("a.wav", test::TmediaFormat::Wav, 2.0);
    const std::string second = Media("b.wav", test::TmediaFormat::Wav, 2.0);
    Tchronotron shifter(Player->PitchTempoConnector());
    ASSERT_TRUE(shifter.Connected());
    EXPECT_EQ(shifter.Tempo(), 100);
    EXPECT_EQ(shifter.Pitch(), 0);
    TmyFilterGraph& graph = Player->ActiveVideoPlayer().Graph();
    // What one track sounded like: its tone, from its first loud frame on, once the
    // output has handed on all of it.
    auto playAndHear = [&](const std::string& file, const std::function<void()>& underWay) {
        heard->Clear();
        const size_t ended = Finished.size() + 1;
        Player->PlayTag(Track(file));
        underWay();
        EXPECT_TRUE(RunUntil([&] { return Finished.size() == ended; }));
        RunUntil([&] { return graph.Output().QueuedMs() == 0; });
        RunFor(200);
        const auto runs = heard->SoundRuns(size_t(heard->Rate() / 20));
        return runs.empty() ? std::pair<size_t, size_t>{0, 0} : runs.front();
    };
    auto seconds = [&](std::pair<size_t, size_t> run) { return double(run.second - run.first) / heard->Rate(); };

    // The 440 Hz tone plays as recorded until the pitch goes up half an octave under way.
    const auto plain = playAndHear(first, [&] {
        RunFor(500);
        shifter.SetPitch(6);
    });
    EXPECT_TRUE(graph.HasPitchStage());
    EXPECT_NEAR(seconds(plain), 2.0, 0.1);
    const int rate = heard->Rate();
    EXPECT_NEAR(heard->Frequency(plain.first + rate / 20, plain.first + rate * 35 / 100), 440, 8);
    EXPECT_NEAR(heard->Frequency(plain.first + rate * 13 / 10, plain.first + rate * 19 / 10), 440 * std::sqrt(2.0), 8);

    // Double tempo set between tracks; both settings hold for the next track: half the
    // playing time, the same raised pitch.
    shifter.SetTempo(250);  // clamped to 200 %
    EXPECT_EQ(shifter.Tempo(), 200);
    const auto faster = playAndHear(second, [] {});
    EXPECT_NEAR(seconds(faster), 1.0, 0.1);
    EXPECT_NEAR(heard->Frequency(faster.first + rate / 10, faster.first + rate * 9 / 10), 440 * std::sqrt(2.0), 8);

    // Reset returns the next track to its own pitch and speed.
    shifter.Reset();
    EXPECT_EQ(graph.PitchRatio(), 1.0);
    EXPECT_EQ(graph.TempoRatio(), 1.0);
    const auto again = playAndHear(first, [] {});
    EXPECT_NEAR(seconds(again), 2.0, 0.1);
    EXPECT_NEAR(heard->Frequency(again.first + rate / 10, again.first + rate * 19 / 10), 440, 8);
    EXPECT_EQ(card.Made, 1) << "pitch and tempo changed without a new sound output";

    // A shifter that outlives the engine finds no server.
    Player.reset();
    EXPECT_FALSE(shifter.Connected());
    shifter.SetPitch(3);
    EXPECT_EQ(shifter.Pitch(), 0);
}

}  // namespace
}  // namespace tunecrest
