#include "CliRun.h"
#include "JsonValue.h"

#include "../engine/RecorderFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

using testing::RunCli;
using testing_json::JsonValue;

double Num(const JsonValue& v) { return std::strtod(v.text.c_str(), nullptr); }

class SamplesCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        mkrec::MovieOptions options = testing::SmallRecording("2024-05-01 08:30:00", 2.0);
        options.Drive.TimeOffsetSeconds = 9;
        file = folder / "240501_083000_A.MOV";
        made = mkrec::MakeMovie(options, file);
    }

    testing::TempFolder folder;
    std::filesystem::path file;
    mkrec::MovieSummary made;
};

TEST_F(SamplesCommandTest, ListsEveryRecordInMilliseconds) {
    const testing::CliResult r = RunCli({"samples", file.string(), "--json"});
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    const JsonValue doc = JsonValue::Parse(r.Out);
    const auto& written = made.Udat.Records;
    ASSERT_EQ(written.size(), doc["gps"].items.size());
    ASSERT_EQ(written.size(), doc["g"].items.size());
    ASSERT_EQ(written.size(), doc["obd"].items.size());
    EXPECT_THROW(doc["FrameIndex"], std::runtime_error);

    // Record 4 carries the script's X impact; record 17 has no GPS fix.
    const JsonValue& gps = doc["gps"][4];
    EXPECT_EQ(4, gps["Index"].Int());
    EXPECT_EQ(400, gps["Time"].Int());
    EXPECT_EQ(1, gps["Valid"].Int());
    EXPECT_NEAR(mkrec::DegreesFromText(written[4].Latitude), Num(gps["Latitude"]), 1e-9);
    EXPECT_NEAR(mkrec::DegreesFromText(written[4].Longitude), Num(gps["Longitude"]), 1e-9);
    EXPECT_DOUBLE_EQ(std::strtod(written[4].Speed.c_str(), nullptr), Num(gps["SpeedKmh"]));
    EXPECT_EQ("2024-05-01 08:30:09", gps["LocalTime"].Str()); // 9 s of offset
    EXPECT_EQ(0, doc["gps"][17]["Valid"].Int());
    EXPECT_EQ("2024-05-01 08:30:01", doc["gps"][17]["LocalTime"].Str()); // '*': no offset

    const JsonValue& g = doc["g"][4];
    EXPECT_EQ(1, g["Axis"].Int());
    EXPECT_DOUBLE_EQ(1.35, Num(g["X"]));
    EXPECT_EQ(-1, g["EventCode"].Int());
    EXPECT_EQ(6, doc["g"][13]["EventCode"].Int());
    EXPECT_EQ(8, doc["g"][15]["WarningFlag"].Int());
    EXPECT_EQ(0xA, doc["g"][17]["CameraHigh"].Int());
    EXPECT_EQ(0x9, doc["g"][17]["CameraLow"].Int());
    EXPECT_EQ(written[17].Camera, doc["g"][17]["CameraByte"].Int());

    const JsonValue& obd = doc["obd"][5];
    ASSERT_EQ(4u, obd["Status"].items.size());
    ASSERT_EQ(18u, obd["Words"].items.size());
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(written[5].Status[i], obd["Status"][i].Int());
    for (size_t i = 0; i < 18; ++i) EXPECT_EQ(written[5].Words[i], obd["Words"][i].Int());
    EXPECT_EQ(0x2020, doc["obd"][0]["Words"][0].Int()); // no vehicle data at first
}

TEST_F(SamplesCommandTest, FramesGiveFrameNumbersAndTheIndex) {
    const testing::CliResult r = RunCli({"samples", file.string(), "--json", "--frames"});
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    const JsonValue doc = JsonValue::Parse(r.Out);
    EXPECT_EQ(13, doc["g"][4]["Time"].Int()); // 400 ms at 30 ms per frame
    EXPECT_EQ(13, doc["gps"][4]["Time"].Int());
    const JsonValue& index = doc["FrameIndex"];
    ASSERT_EQ(66u, index.items.size());
    // Record 1 lies on frame 3 and is shown from the frame after it.
    EXPECT_EQ(0, index[0].Int());
    EXPECT_EQ(0, index[3].Int());
    EXPECT_EQ(1, index[4].Int());
    EXPECT_EQ(19, index[65].Int());

    const testing::CliResult text = RunCli({"samples", file.string(), "--frames"});
    ASSERT_EQ(0, text.ExitCode);
    EXPECT_NE(std::string::npos, text.Out.find("\nframe 65 19\n"));
}

TEST_F(SamplesCommandTest, FramesNeedAMovieWhoseFramesCanBeCounted) {
    fixture::Movie movie;
    movie.SttsDelta = 0;
    fixture::Bytes bytes = movie.Build();
    const auto odd = folder / "odd.MOV";
    std::ofstream(odd, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    const testing::CliResult plain = RunCli({"samples", odd.string(), "--json"});
    ASSERT_EQ(0, plain.ExitCode) << plain.Err;
    EXPECT_EQ(3u, JsonValue::Parse(plain.Out)["g"].items.size());
    const testing::CliResult frames = RunCli({"samples", odd.string(), "--frames"});
    EXPECT_NE(0, frames.ExitCode);
    EXPECT_TRUE(frames.Out.empty());
    EXPECT_EQ(1, std::count(frames.Err.begin(), frames.Err.end(), '\n')) << frames.Err;

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"samples"}, {"samples", (folder / "missing.MOV").string()}, {"samples", file.string(), "-x"}}) {
        const testing::CliResult r = RunCli(args);
        EXPECT_NE(0, r.ExitCode);
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
    }
}

} // namespace
} // namespace kestrel
