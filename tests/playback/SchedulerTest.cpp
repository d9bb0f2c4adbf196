// The scheduler's timing rule: late or due within three quarters of a frame is shown now,
// earlier waits until then, scaled by the rate; backwards the delta turns round.
#include "playback/Scheduler.h"

#include <gtest/gtest.h>

namespace kestrel::playback {
namespace {

constexpr int64_t kMs = 10'000; // 100 ns units

TEST(Scheduler, DecidesByQuarterFramesOfA30FpsStream) {
    Scheduler scheduler([](const SamplePtr&) { return kOk; });
    scheduler.SetFrameRate(30, 1);
    ASSERT_EQ(333'333, scheduler.FrameDuration());
    const int64_t quarter = scheduler.QuarterFrame();
    ASSERT_EQ(83'333, quarter);
    const struct {
        const char* What;
        int64_t Sample, Clock;
        float Rate;
        Scheduler::Decision Expected;
    } cases[] = {
        {"50 ms ahead waits until 25 ms before", 50 * kMs, 0, 1.0f, {false, 25}},
        {"20 ms ahead is due", 20 * kMs, 0, 1.0f, {true, 0}},
        {"10 ms late is shown", 0, 10 * kMs, 1.0f, {true, 0}},
        {"100 ms late is shown", 0, 100 * kMs, 1.0f, {true, 0}},
        {"twice as fast waits half as long", 50 * kMs, 0, 2.0f, {false, 12}},
        {"backwards: 50 ms behind the clock is ahead", 0, 50 * kMs, -1.0f, {false, 25}},
        {"backwards: 50 ms after the clock is late", 50 * kMs, 0, -1.0f, {true, 0}},
        {"scrubbing shows at once", 500 * kMs, 0, 0.0f, {true, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Expected, Scheduler::Decide(c.Sample, c.Clock, c.Rate, quarter)) << c.What;
    }
    scheduler.SetFrameRate(0, 0); // no rate in the type: 30/1
    EXPECT_EQ(333'333, scheduler.FrameDuration());
}

TEST(Scheduler, CountsAPictureLateOnlyWhenTheClockHasPassedItsEnd) {
    constexpr int64_t frame = 333'333;
    const struct {
        const char* What;
        int64_t Sample, Clock;
        float Rate;
        bool Late;
    } cases[] = {
        {"on time", 0, 0, 1.0f, false},
        {"within its own duration", 0, frame, 1.0f, false},
        {"past its end", 0, frame + 1, 1.0f, true},
        {"ahead of the clock", 2 * frame, 0, 1.0f, false},
        {"backwards: past its end", 2 * frame, frame - 1, -1.0f, true},
        {"backwards: ahead", 0, frame * 3, -1.0f, false},
        {"scrubbing is never late", 0, 100 * frame, 0.0f, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Late, Scheduler::IsLate(c.Sample, c.Clock, c.Rate, frame)) << c.What;

    // Through the queue: a sample 100 ms behind the running clock counts, one shown at once
    // (a still) does not.
    Scheduler scheduler([](const SamplePtr&) { return kOk; });
    scheduler.SetFrameRate(30, 1);
    PresentationClock clock;
    clock.Start(0);
    ASSERT_EQ(kOk, scheduler.StartScheduler(&clock));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto late = std::make_shared<VideoSample>();
    ASSERT_EQ(kOk, scheduler.ScheduleSample(late, true));
    ASSERT_EQ(kOk, scheduler.ScheduleSample(late, false));
    for (int i = 0; i < 200 && scheduler.QueuedCount() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(1, scheduler.LateCount());
    scheduler.StopScheduler();
}

TEST(Scheduler, PresentsQueuedSamplesWhenTheyAreDueAndFlushDropsTheRest) {
    std::vector<int64_t> presented;
    std::mutex lock;
    Scheduler scheduler([&](const SamplePtr& s) {
        std::lock_guard guard(lock);
        presented.push_back(s->Time);
        return kOk;
    });
    scheduler.SetFrameRate(30, 1);
    PresentationClock clock;
    clock.Start(0);
    ASSERT_EQ(kOk, scheduler.StartScheduler(&clock));
    for (int64_t t : {0LL, 333'333LL, 100'000'000LL}) {
        auto sample = std::make_shared<VideoSample>();
        sample->Time = t;
        ASSERT_EQ(kOk, scheduler.ScheduleSample(sample, false));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    {
        std::lock_guard guard(lock);
        EXPECT_EQ((std::vector<int64_t>{0, 333'333}), presented);
    }
    EXPECT_EQ(1u, scheduler.QueuedCount()); // ten seconds ahead
    scheduler.Flush();
    EXPECT_EQ(0u, scheduler.QueuedCount());
    scheduler.StopScheduler();
    auto late = std::make_shared<VideoSample>();
    EXPECT_EQ(kUnexpected, scheduler.ScheduleSample(late, true)); // no thread: not shown
}

} // namespace
} // namespace kestrel::playback
