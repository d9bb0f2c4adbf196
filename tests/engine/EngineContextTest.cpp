#include "engine/EngineApi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel {
namespace {

class CountingWindow : public VideoWindow {
public:
    void PostAppMessage(int, intptr_t, intptr_t) override { ++posted; }
    int VerticalDpi() const override { return 120; }
    std::atomic<int> posted{0};
};

TEST(EngineContext, InitPreparesLocksSlotsAndFont) {
    EngineContext ctx;
    CountingWindow window;
    ASSERT_EQ(1, Init(ctx, &window, "メイリオ"));
    ASSERT_TRUE(ctx.FileMutex);
    ASSERT_TRUE(ctx.CacheFileMutex);
    EXPECT_EQ("hFileMutex", ctx.FileMutex->Name());
    EXPECT_EQ("hCacheFileMutex", ctx.CacheFileMutex->Name());
    EXPECT_EQ(1, ctx.SpeedCode);
    EXPECT_EQ(&window, ctx.Video);
    EXPECT_TRUE(ctx.Displayed.Scanner.IsPrepared());
    EXPECT_TRUE(ctx.Prefetch.Scanner.IsPrepared());
    EXPECT_FALSE(ctx.Loaded.Scanner.IsPrepared());
    ASSERT_TRUE(ctx.OverlayFont);
    EXPECT_EQ("メイリオ", ctx.OverlayFont->FaceName);
    EXPECT_EQ(-70, ctx.OverlayFont->Height); // 42 points at 120 dpi
    EXPECT_EQ(700, ctx.OverlayFont->Weight);
    EXPECT_EQ(128, ctx.OverlayFont->CharSet);
    EXPECT_EQ(1, ctx.OverlayFont->PitchAndFamily);
    EXPECT_EQ(1, Shutdown(ctx));
}

TEST(EngineContext, InitTwiceKeepsOnePairOfLocksAndShutdownTwiceIsSafe) {
    EngineContext ctx;
    ASSERT_EQ(1, Init(ctx, nullptr, "メイリオ"));
    auto* firstMutex = ctx.FileMutex.get();
    ctx.SpeedCode = 4;
    ASSERT_EQ(1, Init(ctx, nullptr, "メイリオ"));
    EXPECT_NE(nullptr, ctx.FileMutex.get());
    (void)firstMutex; // the first pair is gone: only one pair is ever owned
    EXPECT_EQ(1, ctx.SpeedCode);
    EXPECT_EQ(-56, ctx.OverlayFont->Height);
    EXPECT_EQ(1, Shutdown(ctx));
    EXPECT_EQ(1, Shutdown(ctx));
    EXPECT_FALSE(ctx.FileMutex);
    EXPECT_FALSE(ctx.CacheFileMutex);
    EXPECT_FALSE(ctx.OverlayFont);
    EXPECT_FALSE(ctx.Displayed.Scanner.IsPrepared());
}

TEST(EngineContext, LongFaceNamesAreClippedToThirtyOneCharacters) {
    EngineContext ctx;
    ASSERT_EQ(1, Init(ctx, nullptr, std::string(40, 'x')));
    EXPECT_EQ(std::string(31, 'x'), ctx.OverlayFont->FaceName);
    Shutdown(ctx);
}

TEST(EngineContext, ShutdownWaitsForARunningPrefetchToSeeItsCancelFlag) {
    EngineContext ctx;
    ASSERT_EQ(1, Init(ctx, nullptr, "メイリオ"));
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    std::thread worker([&] {
        // Stands in for a prefetch walk: holds hCacheFileMutex until it sees Cancel.
        std::lock_guard lock(*ctx.CacheFileMutex);
        started = true;
        while (!ctx.Prefetch.Scanner.Cancel) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ctx.Prefetch.Scanner.Cancel = 0;
        sawCancel = true;
    });
    while (!started) std::this_thread::yield();
    Shutdown(ctx);
    EXPECT_TRUE(sawCancel);
    worker.join();
}

TEST(EngineApi, EverySlotButInitAndShutdownIsSkippedWhileNotReady) {
    const EngineApi& api = GetEngineApi();
    EngineContext ctx;
    ASSERT_EQ(1, api.Init(ctx, nullptr, "メイリオ"));
    ASSERT_EQ(0, ctx.Ready);
    EXPECT_EQ(nullptr, api.SetReservedOption(ctx, 7));
    EXPECT_EQ(0, ctx.ReservedOption);
    EXPECT_EQ(nullptr, api.SetHardwareDecoding(ctx, 1));
    EXPECT_EQ(0, ctx.HardwareDecoding);
    ctx.FramePeriodMs = 30.0f;
    EXPECT_EQ(0.0, api.GetFrameMs(ctx));

    ctx.Ready = 1;
    EXPECT_EQ(&ctx, api.SetReservedOption(ctx, 7));
    EXPECT_EQ(7, ctx.ReservedOption);
    EXPECT_EQ(&ctx, api.SetHardwareDecoding(ctx, 1));
    EXPECT_EQ(1, ctx.HardwareDecoding);
    EXPECT_EQ(30.0, api.GetFrameMs(ctx));
    EXPECT_EQ(0, api.ReservedQuery(ctx));
    EXPECT_EQ(0, api.ReservedQuery2(ctx));
    EXPECT_EQ(0, api.ReservedQuery3(ctx));

    ctx.Ready = 0;
    EXPECT_EQ(1, api.Shutdown(ctx));
    EXPECT_FALSE(ctx.FileMutex);
}

TEST(EngineApi, SlotsStandInTheirOrder) {
    const EngineApi& api = GetEngineApi();
    using Slot = void (*)();
    const auto* slots = reinterpret_cast<const Slot*>(&api);
    EXPECT_EQ(reinterpret_cast<Slot>(&Init), slots[0]);
    EXPECT_EQ(reinterpret_cast<Slot>(&Shutdown), slots[1]);
    for (int i = 0; i < kEngineSlotCount; ++i) EXPECT_NE(nullptr, slots[i]) << "slot " << i;
}

} // namespace
} // namespace kestrel
