#pragma once
// Plays files one after the other through the in-process engine, driven the way the
// main window drives it: the end of one file asks the jukebox (here, a list) for the next.
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/tags/audio_tag.h"
#include "playback/dshow_player.h"

namespace tunecrest::bench {

// True when every file started and the last one finished. `tailMs` more of the main
// thread's work runs after the last end (its sound still plays then).
inline bool PlayOneAfterTheOther(const std::vector<std::string>& list, int tailMs = 0) {
    using Tclock = std::chrono::steady_clock;
    auto queue = std::make_shared<TqueueDispatcher>();
    SetDispatcher(queue);
    bool finished = false;
    size_t starts = 0;
    {
        TcustomMediaPlayerEvents events;
        TdshowPlayer player;
        std::deque<std::string> files(list.begin(), list.end());
        events.OnGetNextTagger = [&](TObject*, TaudioTagPtr& tag) {
            if (files.empty()) return;
            tag = std::make_shared<TaudioTag>();
            tag->SetFilename(files.front());
            files.pop_front();
        };
        events.OnPlaybackStart = [&](TObject*, const TaudioTagPtr&) { ++starts; };
        events.OnPlaybackFinished = [&](TObject*, const TaudioTagPtr&) {
            if (files.empty()) finished = true;
            player.PlayNext();
        };
        player.SetEvents(&events);
        player.SetVolume(255);
        player.Play();
        const auto deadline = Tclock::now() + std::chrono::seconds(30);
        while (!finished && Tclock::now() < deadline) queue->WaitAndProcess(5);
        const auto tail = Tclock::now() + std::chrono::milliseconds(tailMs);
        while (Tclock::now() < tail) queue->WaitAndProcess(5);
    }
    SetDispatcher(nullptr);
    return finished && starts == list.size();
}

}  // namespace tunecrest::bench
