#pragma once
// The two GStreamer elements that join a track's pipeline to the lasting sound output.
// A track's pipeline ends in a hand-over sink: it queues the decoded sound, up to
// kQueueMs ahead of what the output has taken, and waits while the queue is full, so a
// track decodes at the pace the output plays. The output's pipeline starts with a
// hand-over source: it takes the queued sound in small pieces and, while the queue is
// empty (between tracks, or while a track starts), makes silence at the pace of the
// clock, so the output never runs dry and its stream to the sound server stays open.
//
// Both sides carry 32-bit float stereo at one rate, the rate the output was opened at.
#include <gst/gst.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace tunecrest {

// The sound decoded by the track playing now and not yet taken by the output.
class ThandOverQueue {
  public:
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = kChannels * 4;  // 32-bit float
    // How far a track's decoding runs ahead of the output: the time the next file has to
    // start, once one ends, before any silence is heard.
    static constexpr int kQueueMs = 200;

    ThandOverQueue() = default;
    ~ThandOverQueue();
    ThandOverQueue(const ThandOverQueue&) = delete;
    ThandOverQueue& operator=(const ThandOverQueue&) = delete;

    // Frames a second of what is queued (0 until a track or the output sets it).
    void SetRate(int rate);
    int Rate() const;
    // Adds a buffer (the queue takes the reference), waiting while the queue is full.
    // Gives up with GST_FLOW_FLUSHING, keeping the buffer's reference, once `unlocks`
    // differs from `seen` (its sink was told to unblock: a pause, a stop or a flush;
    // WakeAll makes a waiting push look at it again).
    GstFlowReturn Push(GstBuffer* buffer, const std::atomic<uint64_t>& unlocks, uint64_t seen);
    // Takes up to `maxFrames` frames from the head, waiting up to `waitMs` for sound to
    // come. Null when nothing came in time or `cancel` was set.
    GstBuffer* Take(int maxFrames, int waitMs, const std::atomic<bool>& cancel);
    // Drops everything queued (a stop, a seek, another track chosen mid-play).
    void Flush();
    void WakeAll();
    int64_t QueuedFrames() const;
    int64_t QueuedMs() const;

  private:
    mutable std::mutex Fmutex;
    std::condition_variable Fchanged;
    std::deque<GstBuffer*> Fbuffers;
    size_t FheadOffset = 0;  // bytes of the first buffer already taken
    int64_t FqueuedBytes = 0;
    int Frate = 0;
};

// The hand-over sink of one track's pipeline, feeding `queue`. A flushing seek empties
// the queue; a stop leaves what is queued (the end of a finished track still plays).
GstElement* MakeHandOverSink(std::shared_ptr<ThandOverQueue> queue);
// The hand-over source of the output's pipeline at `rate`, reading `queue`.
GstElement* MakeHandOverSource(std::shared_ptr<ThandOverQueue> queue, int rate);
// Frames the source has handed on since it started: the output's own time line.
int64_t HandOverSourceFrames(GstElement* source);
// The rate a hand-over sink was given by its track (0 before the track starts).
int HandOverSinkRate(GstElement* sink);

}  // namespace tunecrest
