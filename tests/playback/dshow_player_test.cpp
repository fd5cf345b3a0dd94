#include "playback/dshow_player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>

#include "core/tags/audio_tag.h"
#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "support/http_server.h"
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

// The samples of a 16-bit mono WAV file.
struct TwavSamples {
    int Rate = 0;
    std::vector<int16_t> Data;
    double Seconds() const { return Rate > 0 ? double(Data.size()) / Rate : 0; }
    // The tone's frequency between two times, from its rising zero crossings.
    double Frequency(double from, double to) const {
        const size_t begin = size_t(from * Rate), end = std::min(Data.size(), size_t(to * Rate));
        int rising = 0;
        for (size_t i = begin + 1; i < end; ++i)
            if (Data[i - 1] < 0 && Data[i] >= 0) ++rising;
        return end > begin ? rising / (double(end - begin) / Rate) : 0;
    }
};

TwavSamples ReadWav(const std::string& path) {
    TwavSamples wav;
    std::string bytes;
    if (!ReadFileBytes(path, bytes) || bytes.size() < 12) return wav;
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
               uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
    };
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = std::min<size_t>(u32(at + 4), bytes.size() - at - 8);
        if (id == "fmt " && size >= 8) wav.Rate = int(u32(at + 12));
        if (id == "data") {
            wav.Data.resize(size / 2);
            std::memcpy(wav.Data.data(), bytes.data() + at + 8, wav.Data.size() * 2);
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

// Plays to a 16-bit mono WAV file instead of a sound card; in real time or as fast as it goes.
void RecordTo(const std::string& file, bool realTime) {
    const std::string sync = realTime ? "true" : "false";
    setenv(kAudioSinkVariable,
           ("audioconvert ! audio/x-raw,format=S16LE,channels=1 ! wavenc ! filesink sync=" + sync + " location=\"" +
            file + "\"")
               .c_str(),
           1);
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
    // without a track, after which the main window asks for the next track.
    ASSERT_TRUE(RunUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished, std::vector<std::string>{""});
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

TEST_F(DshowPlayerTest, TheAutomationShifterChangesThePitchAndTempoOfWhatPlays) {
    if (!TmyFilterGraph::PitchStageAvailable()) GTEST_SKIP() << "GStreamer has no pitch element";
    const std::string first = Media("a.wav", test::TmediaFormat::Wav, 2.0);
    const std::string second = Media("b.wav", test::TmediaFormat::Wav, 2.0);
    Tchronotron shifter(Player->PitchTempoConnector());
    ASSERT_TRUE(shifter.Connected());
    EXPECT_EQ(shifter.Tempo(), 100);
    EXPECT_EQ(shifter.Pitch(), 0);

    // The 440 Hz tone plays as recorded until the pitch goes up half an octave under way.
    RecordTo(Dir.File("first.wav"), true);
    Player->PlayTag(Track(first));
    RunFor(500);
    shifter.SetPitch(6);
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 1; }));
    const TwavSamples played = ReadWav(Dir.File("first.wav"));
    EXPECT_NEAR(played.Seconds(), 2.0, 0.1);
    EXPECT_NEAR(played.Frequency(0.05, 0.35), 440, 8);
    EXPECT_NEAR(played.Frequency(1.3, 1.9), 440 * std::sqrt(2.0), 8);

    // Double tempo set between tracks; both settings hold for the next track: half the
    // playing time, the same raised pitch.
    shifter.SetTempo(250);  // clamped to 200 %
    EXPECT_EQ(shifter.Tempo(), 200);
    RecordTo(Dir.File("second.wav"), false);
    Player->PlayTag(Track(second));
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 2; }));
    const TwavSamples faster = ReadWav(Dir.File("second.wav"));
    EXPECT_NEAR(faster.Seconds(), 1.0, 0.1);
    EXPECT_NEAR(faster.Frequency(0.1, 0.9), 440 * std::sqrt(2.0), 8);

    // Reset returns the next track to its own pitch and speed.
    shifter.Reset();
    EXPECT_EQ(Player->ActiveVideoPlayer().Graph().PitchRatio(), 1.0);
    EXPECT_EQ(Player->ActiveVideoPlayer().Graph().TempoRatio(), 1.0);
    RecordTo(Dir.File("third.wav"), false);
    Player->PlayTag(Track(first));
    ASSERT_TRUE(RunUntil([this] { return Finished.size() == 3; }));
    const TwavSamples plain = ReadWav(Dir.File("third.wav"));
    EXPECT_NEAR(plain.Seconds(), 2.0, 0.1);
    EXPECT_NEAR(plain.Frequency(0.1, 1.9), 440, 8);
    test::UseFakeAudioSink();

    // A shifter that outlives the engine finds no server.
    Player.reset();
    EXPECT_FALSE(shifter.Connected());
    shifter.SetPitch(3);
    EXPECT_EQ(shifter.Pitch(), 0);
}

}  // namespace
}  // namespace tunecrest
