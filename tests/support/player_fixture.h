#pragma once
// The fixture of the in-process engine's tests: the engine with its events, a queue in the
// main thread's place, a jukebox of tracks to hand out, and the error log and media files
// in the test's own folder. A test's SetUp calls this SetUp first, then sets the events and
// makes Player.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/tags/audio_tag.h"
#include "playback/dshow_player.h"
#include "support/media_files.h"
#include "support/player_test_support.h"
#include "support/temp_dir.h"

namespace tunecrest::test {

class TplayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Queue = std::make_shared<TqueueDispatcher>();
        SetDispatcher(Queue);
        SetErrorLogFile(Dir.File("log.log"));
    }
    void TearDown() override {
        Player.reset();
        SetErrorLogFile("");
        SetDispatcher(nullptr);
    }
    std::string Media(const std::string& name, TmediaFormat format, double seconds) {
        const std::string file = Dir.File(name);
        if (!MakeMediaFile(file, format, seconds)) ADD_FAILURE() << "cannot make " << name;
        return file;
    }
    // Runs the main thread's pending calls (the poll's ticks) until `done` or the time runs out.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        return PollUntil([this] { Queue->WaitAndProcess(20); }, done, timeoutMs);
    }
    void RunFor(int ms) {
        RunUntil([] { return false; }, ms);
    }

    TempDir Dir;
    std::shared_ptr<TqueueDispatcher> Queue;
    TcustomMediaPlayerEvents Events;
    std::unique_ptr<TdshowPlayer> Player;
    std::deque<TaudioTagPtr> Jukebox;
    std::vector<std::string> Started, Finished;
};

}  // namespace tunecrest::test
