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

TEST(InfoCommand, DescribesAGeneratedRecording) {
    testing::TempFolder folder;
    mkrec::MovieOptions options = testing::SmallRecording("2024-05-01 08:30:00", 2.0);
    options.Header.Thresholds = {"1350", "0800", "2000", "0500"};
    options.Header.VersionSuffix = 'C';
    options.Header.Minor = "11";
    options.Header.RecordingType = 'T';
    options.Header.VehicleData = '2';
    const auto file = folder / "240501_083000_G.MOV";
    const mkrec::MovieSummary made = mkrec::MakeMovie(options, file);

    const testing::CliResult r = RunCli({"info", file.string(), "--json"});
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    const JsonValue doc = JsonValue::Parse(r.Out);
    EXPECT_EQ(JsonValue::Type::Bool, doc["IsRecorderFile"].type);
    EXPECT_TRUE(doc["IsRecorderFile"].boolean);
    EXPECT_EQ(1, doc["RecordingKind"].Int());
    EXPECT_EQ("衝撃", doc["KindLabel"].Str());
    EXPECT_EQ(static_cast<int64_t>(made.Bytes), doc["FileSize"].Int());
    EXPECT_DOUBLE_EQ(2.0, Num(doc["DurationSeconds"]));
    EXPECT_DOUBLE_EQ(30.0, Num(doc["FramePeriodMs"]));
    EXPECT_EQ(66, doc["TotalFrames"].Int());
    EXPECT_EQ(static_cast<int64_t>(made.Udat.Records.size()), doc["RecordCount"].Int());
    EXPECT_DOUBLE_EQ(1.35, Num(doc["PeakG"])); // the script's X impact
    EXPECT_EQ("1.11.3C", doc["FirmwareVersion"].Str());
    const JsonValue& h = doc["Header"];
    EXPECT_DOUBLE_EQ(1.35, Num(h["ThresholdX"]));
    EXPECT_DOUBLE_EQ(0.8, Num(h["ThresholdY"]));
    EXPECT_DOUBLE_EQ(2.0, Num(h["ThresholdZ"]));
    EXPECT_DOUBLE_EQ(0.5, Num(h["ThresholdW"]));
    EXPECT_EQ("M", h["Mode"].Str());
    EXPECT_EQ("C11103", h["VersionChars"].Str());
    EXPECT_EQ("H", h["PictureLetter"].Str());
    EXPECT_EQ("T", h["RecordingType"].Str());
    EXPECT_EQ("2", h["VehicleData"].Str());
    EXPECT_EQ("2024-05-01 08:30:00", doc["StartTime"].Str());

    const testing::CliResult text = RunCli({"info", file.string()});
    ASSERT_EQ(0, text.ExitCode);
    EXPECT_NE(std::string::npos, text.Out.find("1.11.3C"));
}

// A recorder file without a usable header or records is still described.
TEST(InfoCommand, ARecordingWithoutDataHasNullFields) {
    testing::TempFolder folder;
    fixture::Bytes bytes = fixture::Ftyp();
    fixture::Append(bytes, fixture::Mdat(300));
    fixture::Append(bytes, fixture::Moov(1000, 2000, 0)); // no usable frame period
    fixture::AppendText(bytes, "CSNEND");
    fixture::Append(bytes, fixture::Filler(12));
    const auto file = folder / "x.MOV";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    const testing::CliResult r = RunCli({"info", file.string(), "--json"});
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    const JsonValue doc = JsonValue::Parse(r.Out);
    EXPECT_EQ(-1, doc["RecordingKind"].Int());
    EXPECT_EQ("", doc["KindLabel"].Str());
    EXPECT_EQ(0, doc["TotalFrames"].Int());
    EXPECT_EQ(0, doc["RecordCount"].Int());
    EXPECT_EQ(JsonValue::Type::Null, doc["FirmwareVersion"].type);
    EXPECT_EQ(JsonValue::Type::Null, doc["StartTime"].type);
    EXPECT_EQ("", doc["Header"]["Mode"].Str());
}

TEST(InfoCommand, RejectsWhatIsNotARecorderMovie) {
    testing::TempFolder folder;
    const auto text = folder / "notes.MOV";
    std::ofstream(text) << std::string(400, 'x');
    const std::vector<std::vector<std::string>> calls = {
        {"info"},
        {"info", (folder / "missing.MOV").string()},
        {"info", folder.Path().string()},
        {"info", text.string()},
        {"info", text.string(), "--bogus"},
        {"info", text.string(), text.string()},
    };
    for (const auto& args : calls) {
        const testing::CliResult r = RunCli(args);
        EXPECT_NE(0, r.ExitCode) << args.back();
        EXPECT_TRUE(r.Out.empty());
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
    }
}

} // namespace
} // namespace kestrel
