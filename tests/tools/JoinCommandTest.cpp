#include "CliRun.h"

#include "engine/BoxScanner.h"
#include "engine/BoxTree.h"
#include "engine/RecordingCatalogue.h"
#include "mkrec/RecorderScript.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sys/file.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;
using testing::RunProgram;
using testing::TempFolder;

struct Recording {
    fs::path Path;
    mkrec::MovieSummary Summary;
};

// `count` consecutive recordings of one drive, each with its own records; `change` alters
// the options of recording i.
std::vector<Recording>
MakeRecordings(const TempFolder& dir, int count,
               const std::function<void(mkrec::MovieOptions&, int)>& change = {}) {
    std::vector<Recording> recordings;
    for (int i = 0; i < count; ++i) {
        mkrec::MovieOptions options = testing::SmallRecording("2024-05-01 10:00:00");
        options.Drive.FirstRecord = 10 * i; // each recording continues the drive by a second
        options.Drive.Seed = static_cast<uint32_t>(i + 1);
        options.Video.SceneStart = 30 * i;
        if (change)
            change(options, i);
        const fs::path path = dir / ("240501_1000" + std::to_string(10 + i) + "_A.MOV");
        recordings.push_back({path, mkrec::MakeMovie(options, path)});
    }
    return recordings;
}

std::vector<std::string> JoinArgs(const fs::path& out, const std::vector<Recording>& inputs) {
    std::vector<std::string> args{"join", "-o", out.string()};
    for (const Recording& r : inputs)
        args.push_back(r.Path.string());
    return args;
}

double Probe(const fs::path& movie, const std::vector<std::string>& query) {
    std::vector<std::string> args{"-v", "error"};
    args.insert(args.end(), query.begin(), query.end());
    args.insert(args.end(), {"-of", "csv=p=0", movie.string()});
    const testing::CliResult r = RunProgram("ffprobe", args);
    EXPECT_EQ(0, r.ExitCode) << r.Err;
    return std::atof(r.Out.c_str());
}

double VideoFrames(const fs::path& movie) {
    return Probe(movie, {"-count_frames", "-select_streams", "v:0", "-show_entries",
                         "stream=nb_read_frames"});
}
double Duration(const fs::path& movie) {
    return Probe(movie, {"-show_entries", "format=duration"});
}

// The joined movie's records are the inputs' records in order, as the generator wrote them.
void ExpectRecordsInOrder(const fs::path& joined, const std::vector<Recording>& inputs) {
    BoxScanner scanner;
    ASSERT_TRUE(scanner.Prepare());
    ASSERT_TRUE(scanner.OpenAndAnalyse(joined));
    const GpsSampleList& gps = *scanner.GpsSamples;
    size_t index = 0;
    for (const Recording& input : inputs) {
        for (const mkrec::RecordValues& record : input.Summary.Udat.Records) {
            ASSERT_LT(index, gps.size());
            const GpsSample& sample = gps[index++];
            EXPECT_EQ(record.GpsStatus == 'A', sample.Valid != 0);
            const double latitude = mkrec::DegreesFromText(record.Latitude);
            EXPECT_NEAR(record.LatitudeSign ? latitude : -latitude, sample.Latitude, 1e-9);
            const double longitude = mkrec::DegreesFromText(record.Longitude);
            EXPECT_NEAR(record.LongitudeSign ? longitude : -longitude, sample.Longitude, 1e-9);
            EXPECT_DOUBLE_EQ(std::atof(record.Speed.c_str()), sample.SpeedKmh);
            EXPECT_EQ(std::atoi(record.DateTime.substr(10, 2).c_str()), sample.LocalTime.Second);
        }
    }
    EXPECT_EQ(index, gps.size());
    scanner.Destroy();
}

TEST(JoinCommand, JoinedMovieIsWholeAndReadable) {
    for (int count : {2, 3, 10}) {
        SCOPED_TRACE(count);
        TempFolder dir;
        const std::vector<Recording> inputs = MakeRecordings(dir, count);
        const fs::path out = dir / "joined.MOV";
        const testing::CliResult r = RunCli(JoinArgs(out, inputs));
        ASSERT_EQ(0, r.ExitCode) << r.Err;
        EXPECT_EQ(out.string() + "\n", r.Out);
        EXPECT_NE(std::string::npos, r.Err.find("join: 198/" + std::to_string(100 * count)));
        EXPECT_NE(std::string::npos,
                  r.Err.find("join: " + std::to_string(count) + "/" + std::to_string(count)));

        // FFmpeg reads it without a single complaint.
        const testing::CliResult probe = RunProgram("ffprobe", {"-v", "error", out.string()});
        EXPECT_EQ(0, probe.ExitCode);
        EXPECT_EQ("", probe.Out + probe.Err);
        const testing::CliResult decode =
            RunProgram("ffmpeg", {"-v", "error", "-i", out.string(), "-f", "null", "-"});
        EXPECT_EQ(0, decode.ExitCode);
        EXPECT_EQ("", decode.Out + decode.Err);

        double frames = 0, duration = 0;
        for (const Recording& input : inputs) {
            frames += input.Summary.Frames;
            duration += Duration(input.Path);
        }
        EXPECT_EQ(frames, VideoFrames(out));
        EXPECT_NEAR(duration, Duration(out), 1e-3);
        EXPECT_TRUE(IsRecorderFile(out));
        ExpectRecordsInOrder(out, inputs);
    }
}

TEST(JoinCommand, RefusesWithoutTouchingAnything) {
    TempFolder dir;
    const std::vector<Recording> inputs = MakeRecordings(dir, 2);
    const std::string before = testing::ReadFile(inputs[0].Path);
    testing::MiniMovie::WriteFile(dir / "exists.MOV", "keep");
    struct Case {
        std::string name;
        std::vector<std::string> args;
    };
    const std::string a = inputs[0].Path.string(), b = inputs[1].Path.string();
    const Case cases[] = {
        {"output exists", {"join", "-o", (dir / "exists.MOV").string(), a, b}},
        {"output is an input", {"join", "-o", a, a, b, "--force"}},
        {"one input", {"join", "-o", (dir / "out.MOV").string(), a}},
        {"missing input",
         {"join", "-o", (dir / "out.MOV").string(), a, (dir / "none.MOV").string()}},
        {"not a movie",
         {"join", "-o", (dir / "out.MOV").string(), a, (dir / "exists.MOV").string()}},
        {"no output", {"join", a, b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::CliResult r = RunCli(c.args);
        EXPECT_NE(0, r.ExitCode);
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
        EXPECT_FALSE(fs::exists(dir / "out.MOV"));
    }
    EXPECT_EQ("keep", testing::ReadFile(dir / "exists.MOV"));
    EXPECT_EQ(before, testing::ReadFile(inputs[0].Path));
}

TEST(JoinCommand, ForceReplacesAndFullDiskLeavesNothing) {
    TempFolder dir;
    const std::vector<Recording> inputs = MakeRecordings(dir, 3);
    const fs::path out = dir / "out.MOV";
    testing::MiniMovie::WriteFile(out, "old");
    std::vector<std::string> args = JoinArgs(out, inputs);
    args.push_back("--force");

    // A write that fails part way leaves the old file alone and no partial file.
    const testing::CliResult full = RunCli(args, 20000);
    EXPECT_NE(0, full.ExitCode);
    EXPECT_NE(std::string::npos, full.Err.find("kestrel-cli join:"));
    EXPECT_EQ("old", testing::ReadFile(out));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(inputs.size() + 1, files);

    const testing::CliResult ok = RunCli(args);
    ASSERT_EQ(0, ok.ExitCode) << ok.Err;
    EXPECT_TRUE(IsRecorderFile(out));
}

TEST(JoinCommand, JoinsRecordingsThatCarryTheirOwnRateFigures) {
    TempFolder dir;
    const std::vector<Recording> inputs =
        MakeRecordings(dir, 3, [](mkrec::MovieOptions& o, int) { o.PerFileRates = true; });
    // The pictures' descriptions really differ in their figures (the generated sound is the
    // same in every file, and so are its rates).
    const auto first = LoadBoxTree(inputs[0].Path, true);
    const auto second = LoadBoxTree(inputs[1].Path, true);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first->Stsd[0]->Payload, *second->Stsd[0]->Payload);
    const fs::path out = dir / "joined.MOV";
    const testing::CliResult r = RunCli(JoinArgs(out, inputs));
    ASSERT_EQ(0, r.ExitCode) << r.Err;

    const testing::CliResult decode =
        RunProgram("ffmpeg", {"-v", "error", "-i", out.string(), "-f", "null", "-"});
    EXPECT_EQ(0, decode.ExitCode);
    EXPECT_EQ("", decode.Out + decode.Err);
    double frames = 0;
    for (const Recording& input : inputs)
        frames += input.Summary.Frames;
    EXPECT_EQ(frames, VideoFrames(out));
    ExpectRecordsInOrder(out, inputs);
}

TEST(JoinCommand, RefusesRecordingsWhoseStreamsDiffer) {
    struct Case {
        const char* Name;
        std::function<void(mkrec::MovieOptions&, int)> Change;
    };
    const Case cases[] = {
        {"picture size",
         [](mkrec::MovieOptions& o, int i) {
             if (i == 1)
                 o.Video.Width = 352;
         }},
        {"sound codec",
         [](mkrec::MovieOptions& o, int i) {
             if (i == 1)
                 o.Audio = mkrec::AudioKind::Pcm;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFolder dir;
        const std::vector<Recording> inputs = MakeRecordings(dir, 2, c.Change);
        const fs::path out = dir / "joined.MOV";
        const testing::CliResult r = RunCli(JoinArgs(out, inputs));
        EXPECT_NE(0, r.ExitCode);
        EXPECT_NE(std::string::npos, r.Err.find("kestrel-cli join:")) << r.Err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// The hidden temporary files a join leaves in `dir`.
std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".joined.MOV.incomplete-", 0) == 0)
            names.push_back(name);
    }
    return names;
}

TEST(JoinCommand, KilledJoinLeavesOnlyItsTemporaryWhichTheNextJoinRemoves) {
    TempFolder dir;
    const std::vector<Recording> inputs = MakeRecordings(dir, 3);
    const fs::path out = dir / "joined.MOV";
    const std::vector<std::string> args = JoinArgs(out, inputs);

    // Killed part way through its writing, as by a power loss.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{20000, 20000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<char*> argv{const_cast<char*>(KESTREL_CLI)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execv(KESTREL_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(fs::exists(out));
    ASSERT_EQ(1u, Temporaries(dir.Path()).size());

    // A temporary that a live writer still holds is not touched.
    const fs::path held = dir / ".joined.MOV.incomplete-Abc123";
    testing::MiniMovie::WriteFile(held, "busy");
    const int fd = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(0, ::flock(fd, LOCK_EX));

    const testing::CliResult r = RunCli(args);
    ASSERT_EQ(0, r.ExitCode) << r.Err;
    EXPECT_TRUE(IsRecorderFile(out));
    EXPECT_EQ(std::vector<std::string>{held.filename().string()}, Temporaries(dir.Path()));
    ::close(fd);
    for (const Recording& input : inputs)
        EXPECT_TRUE(IsRecorderFile(input.Path));
}

} // namespace
} // namespace kestrel
