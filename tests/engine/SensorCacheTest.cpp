#include "engine/MovieMeasurement.h"
#include "engine/SensorCache.h"

#include "RecorderFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

class SensorCacheTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(1, Init(ctx, nullptr, "メイリオ"));
        ctx.Ready = 1;
        small = WriteMovie("small.MOV", 2, 0);
        other = WriteMovie("other.MOV", 4, 0);
        // Tens of thousands of tiny boxes before the media data: walking them takes long
        // enough (a few tenths of a second) for another thread to step in.
        slow = WriteMovie("slow.MOV", 3, 50000);
    }
    void TearDown() override { Shutdown(ctx); }

    std::filesystem::path WriteMovie(const std::string& name, size_t records, size_t padding) {
        fixture::Bytes bytes = fixture::Ftyp();
        for (size_t i = 0; i < padding; ++i) fixture::Append(bytes, fixture::Box("free", {}));
        fixture::Append(bytes, fixture::Mdat());
        fixture::Append(bytes, fixture::Moov(1000, 2000, 3000));
        fixture::Append(bytes, fixture::Udat(fixture::EncodeHeader({}),
                                             std::vector<fixture::RecordText>(records)));
        return folder.Write(name, bytes);
    }

    // Starts a prefetch of `path` on a worker and returns once it is decoding.
    std::future<int> StartPrefetch(const std::filesystem::path& path) {
        auto result = std::async(std::launch::async, [this, path] { return PrefetchSensorData(ctx, &path); });
        while (!(ctx.Prefetch.PrefetchBusy && ctx.Prefetch.PendingPathIs(path))) {
            std::this_thread::sleep_for(100us);
        }
        return result;
    }

    int Load(const std::filesystem::path& path) {
        ctx.Loaded.Scanner.FramePeriod = 30.0f;
        return LoadSensorDataWithFrames(ctx, path, 66);
    }

    void ExpectPrefetchSlotEmpty() {
        const BoxScanner& s = ctx.Prefetch.Scanner;
        EXPECT_EQ(0, s.Analysed);
        EXPECT_TRUE(s.Path.empty());
        EXPECT_FALSE(s.GpsSamples);
        EXPECT_EQ(0, s.Cancel);
    }

    fixture::TempFolder folder;
    EngineContext ctx;
    std::filesystem::path small, other, slow;
};

TEST_F(SensorCacheTest, LoadTakesOverAFinishedPrefetchWithoutReadingTheFile) {
    ASSERT_EQ(1, PrefetchSensorData(ctx, &small));
    EXPECT_EQ(1, ctx.Prefetch.Scanner.Analysed);
    EXPECT_EQ(0, ctx.Prefetch.PrefetchBusy);
    std::filesystem::remove(small); // a second read would fail
    ASSERT_EQ(1, Load(small));
    const BoxScanner& loaded = ctx.Loaded.Scanner;
    EXPECT_EQ(0, loaded.ViewCount);
    EXPECT_EQ(2u, loaded.GpsSamples->size());
    EXPECT_EQ(66u, loaded.FrameIndex->size());
    EXPECT_EQ(small, loaded.Path);
    EXPECT_EQ(small, ctx.Displayed.Scanner.Path);
    ExpectPrefetchSlotEmpty();
}

TEST_F(SensorCacheTest, LoadWaitsForThePrefetchOfTheSameFile) {
    auto prefetch = StartPrefetch(slow);
    ASSERT_EQ(1, Load(slow));
    EXPECT_EQ(1, prefetch.get());
    EXPECT_EQ(0, ctx.Loaded.Scanner.ViewCount);
    EXPECT_EQ(3u, ctx.Loaded.Scanner.GpsSamples->size());
    ExpectPrefetchSlotEmpty();
}

TEST_F(SensorCacheTest, APrefetchIsReportedOnlyForTheFileItIsDecodingAndOnlyWhileItRuns) {
    EXPECT_FALSE(IsPrefetching(ctx, slow));
    auto prefetch = StartPrefetch(slow);
    EXPECT_TRUE(IsPrefetching(ctx, slow));
    EXPECT_FALSE(IsPrefetching(ctx, other));
    EXPECT_EQ(1, prefetch.get());
    // Finished and filled: a load takes the samples over without waiting.
    EXPECT_FALSE(IsPrefetching(ctx, slow));
    EXPECT_EQ(1, ctx.Prefetch.Scanner.Analysed);
}

TEST_F(SensorCacheTest, LoadOfAnotherFileCancelsThePrefetchAndDecodesItself) {
    auto prefetch = StartPrefetch(slow);
    ASSERT_EQ(1, Load(other));
    EXPECT_EQ(0, prefetch.get());
    EXPECT_GT(ctx.Loaded.Scanner.ViewCount, 0);
    EXPECT_EQ(4u, ctx.Loaded.Scanner.GpsSamples->size());
    ExpectPrefetchSlotEmpty();
    // A finished prefetch of another file is dropped as well.
    ASSERT_EQ(1, PrefetchSensorData(ctx, &small));
    ASSERT_EQ(1, Load(other));
    ExpectPrefetchSlotEmpty();
}

TEST_F(SensorCacheTest, ASecondPrefetchCancelsTheFirst) {
    auto first = StartPrefetch(slow);
    EXPECT_EQ(1, PrefetchSensorData(ctx, &other));
    EXPECT_EQ(0, first.get());
    const BoxScanner& s = ctx.Prefetch.Scanner;
    EXPECT_EQ(1, s.Analysed);
    EXPECT_EQ(other, s.Path);
    EXPECT_EQ(4u, s.GpsSamples->size());
    EXPECT_EQ(0, s.Cancel);
}

TEST_F(SensorCacheTest, PrefetchWithoutAPathEmptiesTheSlot) {
    ASSERT_EQ(1, PrefetchSensorData(ctx, &small));
    EXPECT_EQ(1, PrefetchSensorData(ctx, nullptr));
    ExpectPrefetchSlotEmpty();
    const auto missing = folder.Path() / "missing.MOV";
    EXPECT_EQ(0, PrefetchSensorData(ctx, &missing));
    ExpectPrefetchSlotEmpty();
    ctx.Ready = 0;
    EXPECT_EQ(0, PrefetchSensorData(ctx, &small));
}

TEST_F(SensorCacheTest, ShutdownWaitsForTheRunningPrefetchToGiveUp) {
    auto prefetch = StartPrefetch(slow);
    EXPECT_EQ(1, Shutdown(ctx));
    EXPECT_EQ(0, prefetch.get());
    EXPECT_FALSE(ctx.CacheFileMutex);
    EXPECT_FALSE(ctx.Prefetch.Scanner.GpsSamples);
}

TEST_F(SensorCacheTest, LoadIndexesTheMovieMeasuredFrames) {
    const MovieMeasurement m = MeasureMovie(other);
    ASSERT_EQ(66, m.TotalFrames);
    ctx.Loaded.Scanner.FramePeriod = m.FramePeriodMs;
    ASSERT_EQ(1, LoadSensorDataWithFrames(ctx, other, m.TotalFrames));
    const BoxScanner& loaded = ctx.Loaded.Scanner;
    ASSERT_EQ(66u, loaded.FrameIndex->size());
    // 100 ms records over 30 ms frames: record 3 (frame 10) shows from frame 11 on.
    EXPECT_EQ(2, (*loaded.FrameIndex)[10]->Index);
    EXPECT_EQ(3, (*loaded.FrameIndex)[11]->Index);
    EXPECT_EQ(&(*loaded.GSensorSamples)[3], loaded.FrameIndex->back());
    EXPECT_FLOAT_EQ(1.0f, static_cast<float>(loaded.PeakG)); // the fixture's Z of "+1000"

    // Not ready, no frames or no frame period: decoded but not indexed, and reported.
    ctx.Loaded.Scanner.FramePeriod = 0.0f;
    EXPECT_EQ(0, LoadSensorDataWithFrames(ctx, other, 66));
    ctx.Loaded.Scanner.FramePeriod = 30.0f;
    EXPECT_EQ(0, LoadSensorDataWithFrames(ctx, other, 0));
    EXPECT_EQ(0, LoadSensorDataWithFrames(ctx, folder.Path() / "missing.MOV", 66));

    EXPECT_EQ(1, ReleaseScan(ctx));
    EXPECT_FALSE(ctx.Loaded.Scanner.GpsSamples);
    EXPECT_FALSE(ctx.Displayed.Scanner.GpsSamples);
    EXPECT_TRUE(ctx.Displayed.Scanner.Path.empty());
}

TEST_F(SensorCacheTest, AllFilesTrackSkipsRecordingsThatCannotBeOpened) {
    auto entry = [](const std::filesystem::path& p) {
        RecordingEntry e;
        e.FullPath = p.string();
        return e;
    };
    ASSERT_TRUE(BuildAllFilesTrack(ctx, {entry(small), entry(other)}));
    ASSERT_TRUE(ctx.AllFilesTrack);
    std::vector<std::pair<int, int>> indexAndTime;
    for (const GpsSample& s : *ctx.AllFilesTrack) indexAndTime.emplace_back(s.Index, s.Time);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {1, 100}, {0, 0}, {1, 100}, {2, 200}, {3, 300}}),
              indexAndTime);

    // The recordings after a missing one still make their part of the track.
    size_t skipped = 0;
    EXPECT_FALSE(BuildAllFilesTrack(
        ctx, {entry(small), entry(folder.Path() / "gone.MOV"), entry(other)}, &skipped));
    EXPECT_EQ(6u, ctx.AllFilesTrack->size());
    EXPECT_EQ(1u, skipped);
}

} // namespace
} // namespace kestrel
