// Speed codes, their rates and the faster/slower steps, and the player's frame arithmetic.
#include "engine/PlaybackPipeline.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(PlaybackSpeed, RatesOfTheSpeedCodes) {
    const struct {
        int Code;
        float Backwards, Forwards;
    } cases[] = {{4, 4.0f, 4.0f},   {2, 2.0f, 2.0f},    {1, 1.0f, 1.0f}, {-1, -1.0f, 1.0f},
                 {-2, -2.0f, 0.5f}, {-4, -4.0f, 0.25f}, {7, 1.0f, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Code);
        EXPECT_EQ(c.Backwards, RateOfSpeedCode(c.Code, 1));
        EXPECT_EQ(c.Forwards, RateOfSpeedCode(c.Code, 0));
    }
}

TEST(PlaybackSpeed, SlowerOnAPlayerThatCannotPlayBackwardsTogglesNormalAndHalfSpeed) {
    EngineContext ctx;
    const struct { int Current, Result; } cases[] = {{1, -2}, {-2, 1}, {4, -1}, {-1, -1}};
    for (const auto& c : cases) {
        ctx.SpeedCode = c.Current;
        EXPECT_EQ(1, SetSpeed(ctx, -1)); // no movie: the code is only stored
        EXPECT_EQ(c.Result, ctx.SpeedCode) << "from " << c.Current;
    }
}

TEST(PlaybackSpeed, NextSpeedCodeStepsFromTheCurrentCodeWhilePlaying) {
    EngineContext ctx;
    ctx.Ready = 1;
    ctx.PlayState = 2;
    const struct {
        int Current, Faster, FasterBackwards, Slower;
    } cases[] = {{4, 4, 4, 2},    {2, 4, 4, 1},    {1, 2, 2, -1}, {-1, 1, 1, -2},
                 {-2, 1, -1, -2}, {-4, -2, -2, 1}, {3, 1, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Current);
        ctx.SpeedCode = c.Current;
        ctx.CanPlayBackwards = 0;
        EXPECT_EQ(c.Faster, NextSpeedCode(ctx, 1));
        EXPECT_EQ(c.Slower, NextSpeedCode(ctx, 0));
        ctx.CanPlayBackwards = 1;
        EXPECT_EQ(c.FasterBackwards, NextSpeedCode(ctx, 1));
    }
    ctx.PlayState = 3;
    EXPECT_EQ(1, NextSpeedCode(ctx, 1)); // not playing: back to normal
    ctx.Ready = 0;
    EXPECT_EQ(0, NextSpeedCode(ctx, 1));
}

TEST(PlaybackSpeed, FramesAreUnitsOfTheFramePeriodInHundredNanoseconds) {
    EXPECT_EQ(33'000'000, FrameToMediaTime(33.0f, 100));
    EXPECT_EQ(300'000, FrameToMediaTime(30.0f, 1));
    EXPECT_EQ(100, MediaTimeToFrame(33.0f, 33'000'000));
    EXPECT_EQ(99, MediaTimeToFrame(33.0f, 32'990'000));
    EXPECT_EQ(0, MediaTimeToFrame(0.0f, 1000)); // no period yet
    // Frames of a long recording come back as themselves, whole or fractional periods.
    for (float period : {30.0f, 33.0f, 33.366665f}) {
        for (int64_t frame : {0, 1, 7, 1000, 5999, 12345}) {
            EXPECT_EQ(frame, MediaTimeToFrame(period, FrameToMediaTime(period, frame)))
                << period << " ms, frame " << frame;
        }
    }
}

} // namespace
} // namespace kestrel
