// The commands over what a card from a crashed car or a shared folder may hold: cut and
// damaged movies, files that are not movies, named pipes, odd names and folder layouts.
// Every command gives one clear line naming the file at fault, never crashes or hangs,
// and keeps every other file usable.
#include "CliRun.h"
#include "JsonValue.h"

#include "engine/Utf8Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::TempFolder;

// Runs kestrel-cli under a time limit, so that a command stuck on a named pipe fails the
// test instead of hanging it (the limit's own exit code is 124).
CliResult RunCliLimited(const std::vector<std::string>& args) {
    std::vector<std::string> limited{"10", KESTREL_CLI};
    limited.insert(limited.end(), args.begin(), args.end());
    return testing::RunProgram("timeout", limited);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

size_t Lines(const std::string& text) {
    return Count(text, "\n");
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A generated recording, its folder made first.
void Make(const mkrec::MovieOptions& options, const fs::path& path) {
    fs::create_directories(path.parent_path());
    mkrec::MakeMovie(options, path);
}

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

// A recording and a copy of it cut inside its movie header.
struct CutRecording {
    fs::path Whole;
    fs::path Cut;
};

CutRecording MakeCutRecording(const fs::path& folder) {
    CutRecording r{folder / "240501_100000_A.MOV", folder / "240501_100100_A.MOV"};
    mkrec::MakeMovie(testing::SmallRecording("2024-05-01 10:00:00"), r.Whole);
    std::string bytes = testing::ReadFile(r.Whole);
    const size_t moov = bytes.find("moov");
    EXPECT_NE(std::string::npos, moov);
    // The recorder's trailer stays, so the file still passes the catalogue's check.
    WriteBytes(r.Cut, bytes.substr(0, moov + 40) + bytes.substr(bytes.size() - 18));
    return r;
}

TEST(DamagedInput, CardTreeOfAFolderWhoseRecordingFolderHasASubFolder) {
    TempFolder dir;
    const fs::path root = dir / "F";
    Make(testing::SmallRecording("2023-06-01 00:00:00"), root / "sub" / "230601_000000_A.MOV");
    fs::create_directories(root / "sub" / "x" / "y");
    fs::create_directories(root / "sub" / "z");
    for (const char* mode : {"--tree", "--flat"}) {
        const CliResult r = RunCliLimited({"list", root.string(), mode});
        EXPECT_EQ(0, r.ExitCode) << mode << ": " << r.Err;
        EXPECT_EQ(1u, Count(r.Out, "230601_000000_A.MOV ")) << mode << ": " << r.Out;
    }
    const CliResult tree = RunCliLimited({"list", root.string(), "--tree"});
    EXPECT_NE(std::string::npos, tree.Out.find(" sub/x\n")) << tree.Out;
    EXPECT_NE(std::string::npos, tree.Out.find(" sub/x/y\n")) << tree.Out;
}

// A single input that is not a recorder movie is an error for every command that reads
// one, with the same words, whatever the command.
TEST(DamagedInput, SingleInputsThatAreNotRecorderMovies) {
    TempFolder dir;
    const fs::path empty = dir / "240501_100000_A.MOV";
    const fs::path pipe = dir / "240501_100100_A.MOV";
    const fs::path noise = dir / "240501_100200_A.MOV";
    const fs::path folder = dir / "240501_100300_A.MOV";
    WriteBytes(empty, "");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    std::string random(5000, '\0');
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<char>((i * 7919u + 13u) % 251u);
    WriteBytes(noise, random);
    fs::create_directories(folder);
    const struct {
        fs::path Input;
        std::string Words;
    } inputs[] = {
        {empty, " is empty"},
        {pipe, " is not a regular file"},
        {noise, " is not a recorder movie"},
        {dir / "240501_100400_A.MOV", " does not exist"},
    };
    const fs::path out = dir / "out";
    fs::create_directories(out);
    for (const auto& input : inputs) {
        const std::string path = input.Input.string();
        const std::vector<std::vector<std::string>> commands = {
            {"track", path, "--format", "gpx", "-o", (out / "t.gpx").string()},
            {"csv", path, "-o", out.string()},
            {"info", path},
            {"samples", path},
        };
        for (const std::vector<std::string>& command : commands) {
            const CliResult r = RunCliLimited(command);
            EXPECT_EQ(1, r.ExitCode) << command[0] << " " << path << ": " << r.Err;
            EXPECT_EQ(1u, Lines(r.Err)) << command[0] << ": " << r.Err;
            EXPECT_EQ(1u, Count(r.Err, path)) << command[0] << ": " << r.Err;
            EXPECT_NE(std::string::npos, r.Err.find(path + input.Words))
                << command[0] << ": " << r.Err;
        }
    }
    EXPECT_TRUE(fs::is_empty(out)); // no empty track or list was left behind
}

TEST(DamagedInput, UnreadableFileIsReportedAsSuch) {
    TempFolder dir;
    const fs::path file = dir / "240501_100000_A.MOV";
    mkrec::MakeMovie(testing::SmallRecording("2024-05-01 10:00:00"), file);
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    fs::permissions(file, fs::perms::none);
    // Permissions do not hold for the super-user: the command then runs as nobody.
    std::vector<std::string> args{"10"};
    if (::geteuid() == 0)
        args.insert(args.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    args.insert(args.end(), {KESTREL_CLI, "info", file.string()});
    const CliResult r = testing::RunProgram("timeout", args);
    if (r.ExitCode == 126 || r.ExitCode == 127)
        GTEST_SKIP() << "the command cannot be run as nobody here: " << r.Err;
    EXPECT_EQ(1, r.ExitCode) << r.Err;
    EXPECT_NE(std::string::npos, r.Err.find(file.string() + " cannot be read: permission denied"))
        << r.Err;
}

// The join names the one file at fault, once, in words about the recording, and leaves no
// output behind.
TEST(DamagedInput, JoinNamesTheFileAtFaultOnce) {
    TempFolder dir;
    const CutRecording r = MakeCutRecording(dir.Path());
    const fs::path pipe = dir / "240501_100200_A.MOV";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    const fs::path unknown = dir / "240501_100300_A.MOV";
    // A movie that starts with a part no recorder writes.
    const std::string whole = testing::ReadFile(r.Whole);
    WriteBytes(unknown, whole.substr(0, 20) + testing::Box("zzzz", std::string(16, '\0')) +
                            whole.substr(20));
    const struct {
        std::vector<fs::path> Inputs;
        fs::path AtFault;
        std::string Words;
    } cases[] = {
        {{r.Whole, r.Cut}, r.Cut, " is damaged: it ends inside its movie header"},
        {{r.Cut, r.Whole}, r.Cut, " is damaged: it ends inside its movie header"},
        {{r.Whole, pipe}, pipe, " is not a regular file"},
        {{r.Whole, "/dev/null"}, "/dev/null", " is not a regular file"},
        {{unknown, r.Whole}, unknown, " is not laid out as the recorder writes its movies"},
        {{r.Whole, unknown}, unknown, " is not laid out as the recorder writes its movies"},
    };
    const fs::path out = dir / "joined.MOV";
    for (const auto& c : cases) {
        std::vector<std::string> args{"join", "-o", out.string()};
        for (const fs::path& input : c.Inputs)
            args.push_back(input.string());
        const CliResult result = RunCliLimited(args);
        const std::string fault = c.AtFault.string();
        EXPECT_EQ(1, result.ExitCode) << result.Err;
        EXPECT_NE(std::string::npos, result.Err.find(fault + c.Words)) << result.Err;
        EXPECT_EQ(1u, Count(result.Err, fault)) << result.Err;
        for (const fs::path& input : c.Inputs) {
            if (input != c.AtFault) {
                EXPECT_EQ(0u, Count(result.Err, input.string())) << result.Err;
            }
        }
        EXPECT_FALSE(fs::exists(out));
    }
}

// Overwrites the positions of the first `count` records of the movie's recorder data.
void PlaceRecordsOffEarth(const fs::path& movie, int count) {
    std::string bytes = testing::ReadFile(movie);
    const size_t data = bytes.find("CSNDAT");
    ASSERT_NE(std::string::npos, data);
    for (int r = 0; r < count; ++r) {
        const size_t record = data + 36 + 124 * static_cast<size_t>(r);
        ASSERT_EQ('A', bytes[record + 5]); // the generator's records have a fix here
        // 100 degrees 40.2 minutes north, 1000 degrees 40.2 minutes east.
        bytes.replace(record + 6, 9, "10040.200");
        bytes.replace(record + 16, 10, "100040.200");
    }
    WriteBytes(movie, bytes);
}

TEST(DamagedInput, TrackDocumentsStayValidForOddNamesAndPositions) {
    TempFolder dir;
    // A folder name that is not UTF-8 names the track.
    const fs::path folder = dir / "drive\xff\xfe<&>";
    Make(testing::SmallRecording("2024-05-01 10:00:00", 3.0), folder / "240501_100000_A.MOV");
    const fs::path off = folder / "240501_100003_A.MOV";
    Make(testing::SmallRecording("2024-05-01 10:00:03", 3.0), off);

    const auto points = [&](const std::string& format) {
        const fs::path out = dir / ("track." + format);
        const CliResult r = RunCliLimited(
            {"track", folder.string(), "--format", format, "-o", out.string(), "--force"});
        EXPECT_EQ(0, r.ExitCode) << r.Err;
        const std::string text = testing::ReadFile(out);
        EXPECT_TRUE(IsValidUtf8(text)) << format;
        if (format == "geojson") {
            EXPECT_NO_THROW(testing_json::JsonValue::Parse(text)) << text.substr(0, 300);
        }
        return std::stoul(r.Out.substr(r.Out.find(": ") + 2));
    };
    const size_t before = points("gpx");
    PlaceRecordsOffEarth(off, 5);
    for (const char* format : {"gpx", "kml", "geojson", "csv"}) {
        const size_t after = points(format);
        EXPECT_EQ(before - 5, after) << format;
        const std::string text = testing::ReadFile(dir / (std::string("track.") + format));
        EXPECT_EQ(std::string::npos, text.find("100.67")) << format;
        EXPECT_EQ(std::string::npos, text.find("1000.67")) << format;
        if (std::string(format) != "csv") {
            EXPECT_NE(std::string::npos, text.find("drive\xEF\xBF\xBD\xEF\xBF\xBD")) << format;
        }
    }
}

// A recording without recorder data gets its fallback line, alone or among others.
TEST(DamagedInput, CsvWritesTheFallbackLineForARecordingWithoutRecorderData) {
    TempFolder dir;
    const fs::path alone = dir / "single" / "240501_090000_A.MOV";
    fs::create_directories(alone.parent_path());
    testing::MakeWithoutRecorderData(alone);
    const fs::path folder = dir / "folder";
    fs::create_directories(folder);
    testing::MakeWithoutRecorderData(folder / "240501_090000_A.MOV");
    Make(testing::SmallRecording("2024-05-01 10:00:00"), folder / "240501_100000_A.MOV");
    const std::string fallback = "\r\n240501_090000_A.MOV,-,-,-,-,-,-,fps,0MB\r\n";

    const fs::path out = dir / "out";
    fs::create_directories(out);
    const CliResult single = RunCliLimited({"csv", alone.string(), "-o", out.string()});
    ASSERT_EQ(0, single.ExitCode) << single.Err;
    const std::string singleCsv = testing::ReadFile(single.Out.substr(0, single.Out.size() - 1));
    EXPECT_NE(std::string::npos, singleCsv.find(fallback)) << singleCsv;

    const CliResult listed = RunCliLimited({"csv", folder.string(), "-o", out.string()});
    ASSERT_EQ(0, listed.ExitCode) << listed.Err;
    // Named after the first recording that has the recorder's time.
    EXPECT_NE(std::string::npos, listed.Out.find("Dv_20240501_100000.csv")) << listed.Out;
    const std::string listCsv = testing::ReadFile(listed.Out.substr(0, listed.Out.size() - 1));
    EXPECT_NE(std::string::npos, listCsv.find(fallback)) << listCsv;
    EXPECT_NE(std::string::npos, listCsv.find("\r\n240501_100000_A.MOV,2024/05/01,10:00:00,"))
        << listCsv;
}

} // namespace
} // namespace kestrel
