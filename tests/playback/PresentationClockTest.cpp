// The clock's position while a start the session has been asked for is still on its way.
#include "playback/PresentationClock.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrel::playback {
namespace {

constexpr int64_t kSecond = 10'000'000; // 100 ns units

TEST(PresentationClock, ATimeOfZeroWithAStartToComeGivesThatStartsPosition) {
    struct Case {
        const char* name;
        std::function<void(PresentationClock&)> steps;
        int64_t position;
    };
    const Case cases[] = {
        {"stopped, nothing to come", [](PresentationClock&) {}, 0},
        {"stopped, a seek on its way", [](PresentationClock& c) { c.ExpectStart(5 * kSecond); },
         5 * kSecond},
        {"paused elsewhere: the time it reads until the seek arrives",
         [](PresentationClock& c) {
             c.Start(2 * kSecond);
             c.Pause();
             c.ExpectStart(5 * kSecond);
         },
         2 * kSecond},
        {"the start arrived and was paused at once",
         [](PresentationClock& c) {
             c.ExpectStart(5 * kSecond);
             c.Start(5 * kSecond);
             c.Pause();
         },
         5 * kSecond},
        {"the start was given up",
         [](PresentationClock& c) {
             c.ExpectStart(5 * kSecond);
             c.CancelExpectedStart();
         },
         0},
        {"two seeks: the first arrived, the clock stops for the second's preroll",
         [](PresentationClock& c) {
             c.ExpectStart(3 * kSecond);
             c.ExpectStart(7 * kSecond);
             c.Start(3 * kSecond);
             c.Stop();
         },
         7 * kSecond},
        {"the stop that precedes every start keeps the expectation",
         [](PresentationClock& c) {
             c.ExpectStart(4 * kSecond);
             c.Stop();
         },
         4 * kSecond},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        PresentationClock clock;
        test.steps(clock);
        // A clock that ran for a moment reads a hair past where it started.
        const int64_t position = clock.GetPosition();
        EXPECT_GE(position, test.position);
        EXPECT_LT(position, test.position + kSecond / 10);
        // The plain time never pretends.
        if (clock.GetState() == PresentationClock::State::Stopped) {
            EXPECT_EQ(0, clock.GetTime());
        }
    }
}

} // namespace
} // namespace kestrel::playback
