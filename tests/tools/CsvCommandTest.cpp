#include "CliRun.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;
using testing::TempFolder;

mkrec::MovieSummary Make(const fs::path& path, int width, int height,
                         void (*adjust)(mkrec::MovieOptions&) = nullptr) {
    mkrec::MovieOptions options = testing::SmallRecording("2024-05-01 10:00:00");
    options.Video.Width = width;
    options.Video.Height = height;
    if (adjust)
        adjust(options);
    return mkrec::MakeMovie(options, path);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

TEST(CsvCommand, ColumnsForEachKindOfRecording) {
    TempFolder dir;
    const fs::path source = dir / "DCIM";
    fs::create_directories(source);
    Make(source / "240501_100000_A.MOV", 640, 360);
    Make(source / "240501_100100_G.MOV", 854, 480);
    Make(source / "240501_100200_P.MOV", 640, 360, [](mkrec::MovieOptions& o) {
        o.Header.RecordingType = 'T';
        o.Header.Picture = 'L';
    });
    Make(source / "240501_100300_M.MOV", 320, 180,
         [](mkrec::MovieOptions& o) { o.RecordsOverride = 0; });
    testing::MakeWithoutRecorderData(source / "240501_100400_S.MOV");
    const fs::path out = dir / "out";
    fs::create_directories(out);

    const testing::CliResult r = RunCli({"csv", source.string(), "-o", out.string()});
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    const fs::path csv = out / "Dv_20240501_100000.csv";
    EXPECT_EQ(csv.string() + "\n", r.Out);
    const std::string bytes = testing::ReadFile(csv);
    // CP932, no byte-order mark: "ファイル名," first.
    EXPECT_EQ(std::string("\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC,", 11), bytes.substr(0, 11));
    const testing::CliResult utf8 =
        testing::RunProgram("iconv", {"-f", "CP932", "-t", "UTF-8", csv.string()});
    ASSERT_EQ(0, utf8.ExitCode) << utf8.Err;
    const std::vector<std::string> expected = {
        "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
        "データサイズ",
        "240501_100000_A.MOV,2024/05/01,10:00:00,00:00:01,常時,SD,高画質,30fps,0MB",
        "240501_100100_G.MOV,2024/05/01,10:00:00,00:00:01,衝撃,,,30fps,0MB",
        "240501_100200_P.MOV,2024/05/"
        "01,10:00:00,00:00:15,駐車タイムラプス,SD,低画質,タイムラプス,0MB",
        "240501_100300_M.MOV,--/--/--,--:--:--,00:00:01,マニュアル,,,30fps,0MB",
        "240501_100400_S.MOV,-,-,-,-,-,-,fps,0MB",
    };
    EXPECT_EQ(expected, Lines(utf8.Out));
}

TEST(CsvCommand, RefusesAndFailsCleanly) {
    TempFolder dir;
    Make(dir / "240501_100000_A.MOV", 320, 180);
    const fs::path empty = dir / "empty";
    fs::create_directories(empty);
    const std::string out = dir.Path().string();

    const testing::CliResult first = RunCli({"csv", out, "-o", out});
    ASSERT_EQ(0, first.ExitCode) << first.Err;
    const fs::path csv = dir / "Dv_20240501_100000.csv";
    testing::MiniMovie::WriteFile(csv, "mine");
    struct Case {
        std::string name;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"file exists", {"csv", out, "-o", out}},
        {"no recordings", {"csv", empty.string(), "-o", out}},
        {"missing folder", {"csv", out, "-o", (dir / "none").string()}},
        {"missing source", {"csv", (dir / "none").string(), "-o", out}},
        {"no output", {"csv", out}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::CliResult r = RunCli(c.args);
        EXPECT_NE(0, r.ExitCode);
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
    }
    EXPECT_EQ("mine", testing::ReadFile(csv));
    const testing::CliResult forced = RunCli({"csv", out, "-o", out, "--force"});
    ASSERT_EQ(0, forced.ExitCode) << forced.Err;
    EXPECT_EQ(2u, Lines(testing::ReadFile(csv)).size());
}

} // namespace
} // namespace kestrel
