#pragma once
// A player event sink for engine tests: hands out tracks from Queue when the engine asks
// for the next one and records what the engine reports.
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "core/jukebox/media_player.h"

namespace tunecrest::test {

class PlayerEventRecorder {
public:
    PlayerEventRecorder() {
        Events.OnGetNextTagger = [this](TObject*, TaudioTagPtr& tag) {
            if (Queue.empty()) return;
            tag = Queue.front();
            Queue.pop_front();
        };
        // Started tracks by file name; "<none>" when the engine starts nothing.
        Events.OnPlaybackStart = [this](TObject*, const TaudioTagPtr& tag) {
            Starts.push_back(tag ? std::string(tag->Filename().Name()) : "<none>");
        };
        Events.OnStateChange = [this](TObject*, TmediaPlayState state) { States.push_back(state); };
        Events.OnFileNotFound = [this](TObject*, const TaudioTagPtr& tag) {
            Missing.push_back(tag ? tag->Filename().str() : std::string());
        };
    }
    PlayerEventRecorder(const PlayerEventRecorder&) = delete;
    PlayerEventRecorder& operator=(const PlayerEventRecorder&) = delete;

    TcustomMediaPlayerEvents Events;
    std::deque<TaudioTagPtr> Queue;
    std::vector<std::string> Starts, Missing;
    std::vector<TmediaPlayState> States;
};

}  // namespace tunecrest::test
