// A simulated evening: the real jukebox plays a thousand short tracks back to back
// through the in-process player on a fake audio output, with its alarms on, the queue
// changing while it plays and the history written, while a simulated clock runs through
// a little more than a day. Resident memory is sampled every hundred tracks: once the
// first hundred have played (decoders loaded, history file open) it must stay flat.
//
//   bench_evening_sim [--tracks 1000] [--library 5000] [--files 20]
//
// Prints one line per sample and a last line "rss_growth_kb=<kB after the first hundred>".
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "bench/heap_in_use.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/tags/media_kinds.h"
#include "core/base/services.h"
#include "core/jukebox/timer_alarms.h"
#include "playback/dshow_player.h"
#include "playback/graph_utils.h"
#include "../tests/support/media_files.h"
#include "../tests/support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using bench::Argument;
using bench::CurrentRssKb;

constexpr double kSecondsPerDay = 86400.0;
// One simulated track takes a minute and a half of the evening.
constexpr double kTrackSeconds = 90.0;

}  // namespace

int main(int argc, char** argv) {
    const int trackCount = Argument(argc, argv, "--tracks", 1000);
    const int librarySize = Argument(argc, argv, "--library", 5000);
    const int fileCount = Argument(argc, argv, "--files", 20);

    // As fast as the fake output takes it: the evening's length is the simulated clock's.
    setenv(kAudioSinkVariable, "fakesink sync=false", 1);
    test::TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < fileCount; ++i) {
        const std::string file = dir.File("tone" + std::to_string(i) + ".wav");
        if (!test::MakeMediaFile(file, test::TmediaFormat::Wav, 0.2)) {
            std::fprintf(stderr, "cannot make %s\n", file.c_str());
            return 2;
        }
        files.push_back(file);
    }

    // Evening begins at half past three in the afternoon of a Friday; the alarm turns
    // play on at four and off at three the next afternoon.
    TDateTime now = EncodeDate(2026, 12, 11) + 15.5 / 24.0;
    SetClock([&now] { return now; });
    auto dispatcher = std::make_shared<TqueueDispatcher>();
    SetDispatcher(dispatcher);
    SetErrorLogFile(dir.File("log.log"));

    int alarmsOn = 0, alarmsOff = 0, played = 0, missing = 0;
    bool silenced = true;  // play waits for the alarm, and stops at its off time
    long firstHundredRss = 0, lastRss = 0;
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        lib.SetSaveInBackground(true);
        lib.AutoSaveGlobal = false;

        std::mt19937 rng(20261211);
        lib.GlobalList().BeginUpdate();
        for (int i = 0; i < librarySize; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            tag->SetFilename(files[size_t(i % fileCount)]);
            tag->SetArtist("Artist " + std::to_string(rng() % 400));
            tag->SetAlbum("Album " + std::to_string(rng() % 900));
            tag->SetTitle("Song " + std::to_string(i));
            tag->SetGenreString(i % 3 ? "Rock" : "Soul");
            tag->SetDate(std::to_string(1960 + int(rng() % 60)));
            tag->SetDuration(200);
            tag->SetMediaType(mkAudio);
            lib.GlobalList().Add(tag);
        }
        lib.GlobalList().EndUpdate();

        TcustomJukebox& jukebox = *lib.Jukebox();
        TcustomMediaPlayerEvents playerEvents;
        TcustomJukeboxEvents jukeboxEvents;
        playerEvents.OnGetNextTagger = [&](TObject*, TaudioTagPtr& tag) { jukebox.PlayerWantsNext(tag); };
        playerEvents.OnFileNotFound = [&](TObject*, const TaudioTagPtr& tag) {
            ++missing;
            jukebox.TrackNotFound(tag);
        };
        playerEvents.OnPlaybackStart = [&](TObject*, const TaudioTagPtr& tag) {
            if (tag) jukebox.TrackPlayed(tag);
        };
        playerEvents.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr&) {
            ++played;
            now += kTrackSeconds / kSecondsPerDay;
            jukebox.Alarms().TimerTick();
            if (!silenced && played < trackCount) jukebox.Player()->PlayNext();
        };
        jukeboxEvents.OnOnAlarm = [&](TObject*, TonOffTimerAlarm*) {
            ++alarmsOn;
            silenced = false;
            jukebox.Player()->Play();
        };
        jukeboxEvents.OnOffAlarm = [&](TObject*, TonOffTimerAlarm*) {
            ++alarmsOff;
            silenced = true;
            jukebox.Player()->Stop();
        };
        jukebox.SetEvents(&jukeboxEvents);
        jukebox.SetPlayerEvents(&playerEvents);
        jukebox.SetMediaPlayer(new TdshowPlayer);
        jukebox.WriteHistoryFile = true;
        jukebox.AutoSaveQueue = true;
        jukebox.SetRandomPlayActive(true);

        TonOffTimerAlarm* alarm = jukebox.Alarms().AddNew();
        alarm->SetStartTime(16.0 / 24.0);
        alarm->SetFinishTime(15.0 / 24.0);
        alarm->SetDays(0x7F);
        alarm->SetOnEventEnabled(true);
        alarm->SetOffEventEnabled(true);
        alarm->SetEnabled(true);
        jukebox.Alarms().SetEnabled(true);

        const auto started = Clock::now();
        std::printf("%8s %10s %10s %10s %8s %8s %10s\n", "tracks", "rss_kB", "heap_kB", "history", "queue", "alarms", "wall_s");
        int lastSample = -1, lastChange = -1;
        while (played < trackCount) {
            if (silenced) {
                // Silence until the alarm turns play on again: the clock runs in minutes.
                now += 60.0 / kSecondsPerDay;
                jukebox.Alarms().TimerTick();
            }
            dispatcher->WaitAndProcess(5);

            // The bar's guests at work: tracks queued, one taken off, now and then a clear.
            if (played != lastChange) {
                lastChange = played;
                if (played % 7 == 3)
                    for (int k = 0; k < 3; ++k)
                        lib.AddToQueue(*lib.GlobalList().GetTag(int(rng() % uint32_t(librarySize))));
                if (played % 11 == 5 && jukebox.Queue().Count() > 1) lib.QueueDelete(jukebox.Queue().Count() - 1);
                if (played % 97 == 50) lib.ClearQueue();
            }
            if (played % 100 == 0 && played != lastSample) {
                lastSample = played;
                const long rss = CurrentRssKb();
                if (played == 100) firstHundredRss = rss;
                lastRss = rss;
                std::printf("%8d %10ld %10zu %10d %8d %4d/%-3d %10.1f\n", played, rss, HeapInUseBytes() / 1024, jukebox.History().Count(),
                            jukebox.Queue().Count(), alarmsOn, alarmsOff,
                            std::chrono::duration<double>(Clock::now() - started).count());
                std::fflush(stdout);
            }
        }
        jukebox.Player()->Stop();
        jukebox.SetEvents(nullptr);
    }
    SetDispatcher(nullptr);
    SetClock({});
    SetErrorLogFile("");
    std::printf("played=%d missing=%d alarms_on=%d alarms_off=%d\n", played, missing, alarmsOn, alarmsOff);
    std::printf("rss_growth_kb=%ld\n", lastRss - firstHundredRss);
    return 0;
}
