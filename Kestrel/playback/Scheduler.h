#pragma once
// Times the presenter's samples against the presentation clock on a thread of its own and
// hands each one to the present callback when it is due.
#include "playback/MediaResult.h"
#include "playback/PresentationClock.h"
#include "playback/VideoSample.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrel::playback {

class Scheduler {
  public:
    using PresentCallback = std::function<MediaResult(const SamplePtr&)>;

    // What to do with a sample now: present it, or wait WaitMs and look again.
    struct Decision {
        bool PresentNow = true;
        int64_t WaitMs = 0;
        friend bool operator==(const Decision&, const Decision&) = default;
    };
    // A sample more than a quarter frame late, or due within three quarters of a frame, is
    // presented now; an earlier one waits until it is three quarters of a frame ahead,
    // scaled by the rate. At a negative rate time runs the other way.
    static Decision Decide(int64_t sampleTime, int64_t clockTime, float rate, int64_t quarterFrame);
    // A sample presented when the running clock has passed its end (more than one frame
    // after its time, in the clock's direction) is late. A clock standing still is never
    // late.
    static bool IsLate(int64_t sampleTime, int64_t clockTime, float rate, int64_t frameDuration);

    explicit Scheduler(PresentCallback present);
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Frame rate as a fraction; a zero numerator or denominator means 30/1.
    void SetFrameRate(int numerator, int denominator);
    void SetClockRate(float rate);
    int64_t FrameDuration() const;
    int64_t QuarterFrame() const;

    // Starts the thread, timing against `clock` (none: every sample is presented at once).
    MediaResult StartScheduler(const PresentationClock* clock);
    // Ends the thread; queued samples are dropped.
    MediaResult StopScheduler();
    bool IsRunning() const;

    // Presents at once on the caller's thread when asked to or without a clock; queues the
    // sample for the thread otherwise.
    MediaResult ScheduleSample(SamplePtr sample, bool presentNow);
    // Asks the thread to look at its queue now (the clock started or changed).
    void Wake();
    // Empties the queue and returns when the thread has done so.
    MediaResult Flush();
    size_t QueuedCount() const;
    // Samples presented from the queue after the clock had passed their end (more than one
    // frame late), since the scheduler was made.
    int64_t LateCount() const;

  private:
    enum class Message { Terminate, Schedule, Flush };

    void ThreadMain();
    void PostMessage(Message message);
    // Presents what is due; sets `waitMs` when the front sample must wait (-1: nothing).
    MediaResult ProcessSamplesInQueue(int64_t& waitMs);

    PresentCallback present_;

    // Guards every member below. Taken by the scheduler's thread and by the presenter when
    // it queues, flushes or wakes it; the clock's lock is taken inside it, and samples are
    // presented without it.
    mutable std::mutex lock_;
    std::condition_variable wake_;    // a message was posted
    std::condition_variable flushed_; // a flush was carried out
    std::deque<SamplePtr> queue_;
    std::deque<Message> messages_;
    uint64_t flushesDone_ = 0;
    int64_t late_ = 0;
    int64_t frameDuration_ = 333333;
    int64_t quarterFrame_ = 83333;
    float rate_ = 1.0f;
    const PresentationClock* clock_ = nullptr;
    bool running_ = false;
    std::thread thread_;
};

} // namespace kestrel::playback
