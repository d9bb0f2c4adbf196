// Recordings made by the generator, decoded by the engine and compared with what the
// generator was asked to write.
#include "engine/FrameIndexBuilder.h"
#include "engine/MovieMeasurement.h"
#include "engine/RecorderHeaderReader.h"

#include "MiniMovie.h"
#include "mkrec/MovieMaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

namespace kestrel {
namespace {

using mkrec::HeaderValues;
using mkrec::RecordValues;

class GeneratedRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        scanner.Prepare();
    }
    void TearDown() override { scanner.Destroy(); }

    static mkrec::MovieOptions Small() {
        mkrec::MovieOptions options;
        options.Seconds = 2.0;
        options.Video.Width = 64;
        options.Video.Height = 64;
        options.Audio = mkrec::AudioKind::None;
        options.Drive.Start = *mkrec::ParseCivilTime("2024-05-01 08:30:00");
        return options;
    }

    mkrec::MovieSummary Make(const mkrec::MovieOptions& options) {
        file = folder / "240501_083000_G.MOV";
        return mkrec::MakeMovie(options, file);
    }

    testing::TempFolder folder;
    std::filesystem::path file;
    BoxScanner scanner;
};

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The wall-clock time of a record plus its offset, as calendar fields with the weekday.
DateTime Expected(const RecordValues& r) {
    mkrec::CivilTime t;
    t.Year = 2000 + std::stoi(r.DateTime.substr(0, 2));
    t.Month = std::stoi(r.DateTime.substr(2, 2));
    t.Day = std::stoi(r.DateTime.substr(4, 2));
    t.Hour = std::stoi(r.DateTime.substr(6, 2));
    t.Minute = std::stoi(r.DateTime.substr(8, 2));
    t.Second = std::stoi(r.DateTime.substr(10, 2));
    if (r.TimeOffset[0] != '*') t = mkrec::AddSeconds(t, std::stoi(r.TimeOffset));
    const int64_t days = mkrec::DaysFromCivil(t.Year, t.Month, t.Day);
    const auto weekday = static_cast<uint16_t>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    return {static_cast<uint16_t>(t.Year), static_cast<uint16_t>(t.Month), weekday,
            static_cast<uint16_t>(t.Day), static_cast<uint16_t>(t.Hour),
            static_cast<uint16_t>(t.Minute), static_cast<uint16_t>(t.Second), 0};
}

int ExpectedEventCode(const RecordValues& r) {
    if (r.SecondEvent == 'D') return 6;
    if (r.Manual == 'D') return 5;
    if (r.Parking == 'D') return 7;
    return r.Event == 'H' ? 11 : r.Event == 'A' ? 12 : r.Event == 'B' ? 13 : -1;
}

void ExpectHeader(const HeaderValues& h, const RecorderHeader& out) {
    EXPECT_FLOAT_EQ(static_cast<float>(Number(h.Thresholds[0]) / 1000), out.ThresholdX);
    EXPECT_FLOAT_EQ(static_cast<float>(Number(h.Thresholds[1]) / 1000), out.ThresholdY);
    EXPECT_FLOAT_EQ(static_cast<float>(Number(h.Thresholds[2]) / 1000), out.ThresholdZ);
    EXPECT_FLOAT_EQ(static_cast<float>(Number(h.Thresholds[3]) / 1000), out.ThresholdW);
    EXPECT_EQ(h.Mode, out.Mode);
    EXPECT_EQ(std::string(1, h.VersionSuffix) + h.Major + h.Minor + h.Build,
              std::string(out.VersionChars, 6));
    EXPECT_EQ(h.Picture, out.PictureLetter);
    EXPECT_EQ(static_cast<char>(h.Byte24), out.Byte24);
    EXPECT_EQ(h.RecordingType, out.RecordingType);
    EXPECT_EQ(h.VehicleData, out.VehicleData);
}

TEST_F(GeneratedRecordingTest, EveryRecordDecodesToWhatWasWritten) {
    mkrec::MovieOptions options = Small();
    options.Drive.TimeOffsetSeconds = 9;
    options.Header.VersionSuffix = 'A';
    options.Header.RecordingType = 'T';
    options.Header.Thresholds = {"1350", "0800", "2000", "0500"};
    const mkrec::MovieSummary made = Make(options);
    const std::vector<RecordValues>& written = made.Udat.Records;
    ASSERT_EQ(20u, written.size());

    ASSERT_TRUE(scanner.OpenAndAnalyse(file));
    ExpectHeader(made.Udat.Headers.back(), scanner.Header);
    EXPECT_EQ("1.2.3A", FirmwareVersionText(scanner.Header));
    ASSERT_EQ(20, scanner.RecordCount);
    ASSERT_EQ(20u, scanner.GpsSamples->size());
    double peak = 0.0;
    for (size_t r = 0; r < written.size(); ++r) {
        SCOPED_TRACE(::testing::Message() << "record " << r);
        const RecordValues& w = written[r];
        const GpsSample& gps = (*scanner.GpsSamples)[r];
        EXPECT_EQ(static_cast<int>(r), gps.Index);
        EXPECT_EQ(static_cast<int>(100 * r), gps.Time);
        EXPECT_EQ(w.GpsStatus == 'A' ? 1 : 0, gps.Valid);
        EXPECT_NEAR((w.LatitudeSign ? 1 : -1) * mkrec::DegreesFromText(w.Latitude), gps.Latitude, 1e-9);
        EXPECT_NEAR((w.LongitudeSign ? 1 : -1) * mkrec::DegreesFromText(w.Longitude), gps.Longitude, 1e-9);
        EXPECT_DOUBLE_EQ(Number(w.Speed), gps.SpeedKmh);
        EXPECT_EQ(Expected(w), gps.LocalTime);

        const GSensorSample& g = (*scanner.GSensorSamples)[r];
        EXPECT_EQ(ExpectedEventCode(w), g.EventCode);
        EXPECT_EQ(w.Axis == 'X' ? 1 : w.Axis == 'Y' ? 2 : w.Axis == 'Z' ? 3 : 0, g.Axis);
        EXPECT_EQ(w.Warning == 'D' ? 8 : 0, g.WarningFlag);
        EXPECT_NEAR(Number(w.AccelX) / 1000, g.X, 1e-6);
        EXPECT_NEAR(Number(w.AccelY) / 1000, g.Y, 1e-6);
        EXPECT_NEAR(Number(w.AccelZ) / 1000, g.Z, 1e-6);
        EXPECT_EQ(w.Camera, g.CameraByte);
        EXPECT_EQ(w.CameraNibbles >> 4, g.CameraHigh);
        EXPECT_EQ(w.CameraNibbles & 15, g.CameraLow);
        for (const std::string& a : {w.AccelX, w.AccelY, w.AccelZ}) peak = std::max(peak, std::fabs(Number(a) / 1000));

        const ObdSample& obd = (*scanner.ObdSamples)[r];
        EXPECT_TRUE(std::equal(w.Status.begin(), w.Status.end(), obd.Status));
        EXPECT_TRUE(std::equal(w.Words.begin(), w.Words.end(), obd.Words));
    }
    // The drive has every kind of event, GPS loss and gaps in the vehicle data.
    EXPECT_EQ(6, (*scanner.GSensorSamples)[13].EventCode);
    EXPECT_EQ(0, (*scanner.GpsSamples)[17].Valid);

    // Frames as the player counts them: 2 s at 90000 / 3000 = 30 ms per frame.
    const MovieMeasurement m = MeasureMovie(file);
    EXPECT_FLOAT_EQ(2.0f, m.DurationSeconds);
    EXPECT_FLOAT_EQ(30.0f, m.FramePeriodMs);
    ASSERT_EQ(66, m.TotalFrames);
    scanner.FramePeriod = m.FramePeriodMs;
    ASSERT_TRUE(BuildFrameIndex(scanner, m.TotalFrames));
    ASSERT_EQ(66u, scanner.FrameIndex->size());
    // Records are sparser than frames: a frame shows the last record whose frame (100 r / 30
    // ms) lies before it.
    for (int f = 0; f < 66; ++f) {
        int expected = 0;
        for (int r = 0; r < 20; ++r) {
            if (f > 0 && (100 * r) / 30 < f) expected = r;
        }
        EXPECT_EQ(expected, (*scanner.FrameIndex)[f]->Index) << "frame " << f;
    }
    EXPECT_NEAR(peak, scanner.PeakG, 1e-6);
    EXPECT_NEAR(1.35, scanner.PeakG, 1e-6);
}

TEST_F(GeneratedRecordingTest, OddLayoutsDecodeWhatTheWalksCanReach) {
    struct Case {
        const char* name;
        void (*adjust)(mkrec::MovieOptions&);
        bool header;
        int recordsLost; // records of the script that are not decoded (-1: all)
        float period;
        int64_t frames;
    };
    const Case cases[] = {
        {"chained headers", [](mkrec::MovieOptions& o) { o.ChainedHeaders = 2; }, true, 0, 30.0f, 66},
        {"udat before mdat", [](mkrec::MovieOptions& o) { o.Place = mkrec::UdatPlace::BeforeMdat; }, true, -1, 30.0f, 66},
        {"no udat", [](mkrec::MovieOptions& o) { o.Place = mkrec::UdatPlace::None; }, false, -1, 30.0f, 66},
        {"15 ms frames", [](mkrec::MovieOptions& o) { o.Video.SttsDelta = 6000; }, true, 0, 15.0f, 133},
        {"invalid mode letter", [](mkrec::MovieOptions& o) { o.Header.Mode = 'X'; }, false, 0, 30.0f, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mkrec::MovieOptions options = Small();
        c.adjust(options);
        const mkrec::MovieSummary made = Make(options);
        ASSERT_TRUE(scanner.OpenAndAnalyse(file));
        if (c.header) {
            ExpectHeader(made.Udat.Headers.back(), scanner.Header);
        } else {
            EXPECT_EQ(0, scanner.Header.Mode);
        }
        const size_t expected = c.recordsLost < 0 ? 0 : made.Udat.Records.size() - static_cast<size_t>(c.recordsLost);
        EXPECT_EQ(expected, scanner.GpsSamples->size());
        const MovieMeasurement m = MeasureMovie(file);
        EXPECT_FLOAT_EQ(c.period, m.FramePeriodMs);
        EXPECT_EQ(c.frames, m.TotalFrames);
        scanner.Release();
    }
}

TEST_F(GeneratedRecordingTest, ATruncatedRecordingKeepsItsWholeRecords) {
    mkrec::MovieOptions options = Small();
    const mkrec::MovieSummary whole = Make(options);
    // Cut off the trailer, two records and part of a third.
    options.TruncateTo = static_cast<int64_t>(whole.Bytes) - 18 - 2 * 124 - 60;
    Make(options);
    ASSERT_TRUE(scanner.OpenAndAnalyse(file));
    EXPECT_EQ(whole.Udat.Records.size() - 3, scanner.GpsSamples->size());
    EXPECT_EQ(whole.Udat.Records.size() - 3, static_cast<size_t>(scanner.RecordCount));
}

} // namespace
} // namespace kestrel
