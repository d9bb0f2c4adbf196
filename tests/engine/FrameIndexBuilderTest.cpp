#include "engine/FrameIndexBuilder.h"
#include "engine/SensorDecoder.h"

#include "RecorderFixture.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// A scanner holding `count` decoded records whose X values are given (thousandths).
std::unique_ptr<BoxScanner> Decoded(const std::vector<std::string>& xs, float framePeriod) {
    auto owner = std::make_unique<BoxScanner>();
    BoxScanner& scanner = *owner;
    scanner.GpsSamples = std::make_unique<GpsSampleList>();
    scanner.GSensorSamples = std::make_unique<GSensorSampleList>();
    scanner.ObdSamples = std::make_unique<ObdSampleList>();
    scanner.FrameIndex = std::make_unique<FrameIndexList>();
    scanner.FramePeriod = framePeriod;
    for (size_t r = 0; r < xs.size(); ++r) {
        fixture::RecordText text;
        text.X = xs[r];
        text.Y = "00000";
        text.Z = "00000";
        const fixture::Bytes record = fixture::EncodeRecord(text);
        const auto index = static_cast<int32_t>(r);
        scanner.GpsSamples->push_back(DecodeGpsPart(record.data(), index));
        scanner.GSensorSamples->push_back(DecodeGSensorPart(record.data(), index));
        scanner.ObdSamples->push_back(DecodeObdPart(record.data(), index));
    }
    return owner;
}

std::vector<int> IndexOf(const BoxScanner& s) {
    std::vector<int> out;
    for (const GSensorSample* g : *s.FrameIndex) out.push_back(g ? g->Index : -1);
    return out;
}

TEST(FrameIndexBuilder, SampleTimesBecomeFrameNumbers) {
    const auto owner = Decoded({"0", "0", "0", "0"}, 33.0f);
    BoxScanner& s = *owner;
    ASSERT_TRUE(BuildFrameIndex(s, 12));
    for (size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(static_cast<int>(3 * r), (*s.GSensorSamples)[r].Time);
        EXPECT_EQ(static_cast<int>(3 * r), (*s.GpsSamples)[r].Time);
    }
    EXPECT_EQ(3, FrameOfTime(100, 33.0f));
    EXPECT_EQ(6553400, FrameOfTime(6553400, 1.0f));
    EXPECT_EQ(INT32_MAX, FrameOfTime(INT32_MAX, 0.001f));
}

// The index steps by at most one sample per frame, once the next sample's frame is reached.
TEST(FrameIndexBuilder, EachFrameGetsItsSample) {
    struct Case {
        size_t samples;
        float period;
        int64_t frames;
        std::vector<int> index;
    };
    const Case cases[] = {
        {2, 33.0f, 5, {0, 0, 0, 0, 1}},
        {3, 100.0f, 6, {0, 0, 1, 2, 2, 2}},
        {4, 200.0f, 3, {0, 1, 2}},  // samples closer than frames: one step per frame
        {1, 30.0f, 3, {0, 0, 0}},
        {0, 30.0f, 2, {-1, -1}},
    };
    for (const Case& c : cases) {
        const auto owner = Decoded(std::vector<std::string>(c.samples, "0"), c.period);
        BoxScanner& s = *owner;
        ASSERT_TRUE(BuildFrameIndex(s, c.frames));
        EXPECT_EQ(c.index, IndexOf(s)) << c.samples << " samples, " << c.frames << " frames";
    }
}

TEST(FrameIndexBuilder, LinksGpsGAndVehicleSamplesAndFindsThePeak) {
    const auto owner = Decoded({"+0100", "-1800", "+0300", "+0000", "+0500", "+0900"}, 100.0f);
    BoxScanner& s = *owner;
    ASSERT_TRUE(BuildFrameIndex(s, 6));
    const auto& gps = *s.GpsSamples;
    const auto& g = *s.GSensorSamples;
    const auto& obd = *s.ObdSamples;
    // In step, a G sample links the GPS and vehicle samples two records earlier; the last
    // one three records earlier.
    const int gpsOfG[] = {0, 0, 0, 1, 2, 2};
    for (size_t i = 0; i < g.size(); ++i) {
        EXPECT_EQ(&gps[gpsOfG[i]], g[i].LinkedGps) << i;
        EXPECT_EQ(&obd[gpsOfG[i]], g[i].LinkedObd) << i;
        EXPECT_EQ(&g[i], gps[i].LinkedG) << i;
        EXPECT_EQ(&obd[i], gps[i].LinkedObd) << i;
    }
    EXPECT_DOUBLE_EQ(static_cast<double>(1800.0f / 1000.0f), s.PeakG);
}

TEST(FrameIndexBuilder, FailsWithoutWhatItNeedsAndChangesNothing) {
    struct Case {
        const char* name;
        int64_t frames;
        float period;
        bool dropLists;
    };
    const Case cases[] = {
        {"no frames", 0, 30.0f, false},
        {"negative frames", -4, 30.0f, false},
        {"too many frames", kMaxIndexedFrames + 1, 30.0f, false},
        {"no frame period", 10, 0.0f, false},
        {"no lists", 10, 30.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto owner = Decoded({"+0100", "+0200"}, c.period);
        BoxScanner& s = *owner;
        if (c.dropLists) s.ObdSamples.reset();
        EXPECT_FALSE(BuildFrameIndex(s, c.frames));
        EXPECT_EQ(100, (*s.GpsSamples)[1].Time);
        EXPECT_TRUE(s.FrameIndex->empty());
        EXPECT_EQ(0.0, s.PeakG);
    }
}

} // namespace
} // namespace kestrel
