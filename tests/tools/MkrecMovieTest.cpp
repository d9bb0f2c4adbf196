// kestrel-mkrec as a command: the movies it makes (box layout, what FFmpeg reads of
// them, the frame pattern in their pictures), its odd files, its errors and its card.
#include "../TempFolder.h"
#include "JsonValue.h"

#include "mkrec/BoxWriter.h"
#include "mkrec/DenseScene.h"
#include "mkrec/FramePattern.h"
#include "mkrec/RecorderScript.h"
#include "mkrec/UdatBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace kestrel::mkrec {
namespace {

namespace fs = std::filesystem;
using testing_json::JsonValue;
using Bytes = std::vector<uint8_t>;


Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const fs::path& path) {
    const Bytes b = ReadFile(path);
    return std::string(b.begin(), b.end());
}

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct RunResult {
    int exitCode = -1;
    std::string err;
};

// Runs a program with its standard output sent to `out` (or dropped).
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
              const fs::path& out = "/dev/null") {
    TempFolder capture;
    const fs::path err = capture.Path() / "err";
    std::string command = Quote(program);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(err)};
}

RunResult Mkrec(const std::vector<std::string>& args) { return RunProgram(KESTREL_MKREC, args); }

struct Box {
    std::string Type;
    size_t Offset = 0;
    size_t Size = 0;
    size_t Payload() const { return Offset + 8; }
};

// The boxes in [begin, end); stops at a size that does not fit.
std::vector<Box> BoxesIn(const Bytes& b, size_t begin, size_t end) {
    std::vector<Box> boxes;
    for (size_t at = begin; at + 8 <= end;) {
        const size_t size = GetU32(&b[at]);
        if (size < 8 || at + size > end) break;
        boxes.push_back({std::string(reinterpret_cast<const char*>(&b[at + 4]), 4), at, size});
        at += size;
    }
    return boxes;
}

// The first box along a path of types, as the viewer follows it (first match per level).
Box Find(const Bytes& b, const std::vector<std::string>& path) {
    size_t begin = 0;
    size_t end = b.size();
    Box found;
    for (const std::string& type : path) {
        const std::vector<Box> boxes = BoxesIn(b, begin, end);
        const auto it = std::find_if(boxes.begin(), boxes.end(), [&](const Box& x) { return x.Type == type; });
        if (it == boxes.end()) return {};
        found = *it;
        begin = found.Payload();
        end = found.Offset + found.Size;
    }
    return found;
}

std::vector<std::string> Types(const std::vector<Box>& boxes) {
    std::vector<std::string> types;
    for (const Box& x : boxes) types.push_back(x.Type);
    return types;
}

void CollectTypes(const Bytes& b, const Box& parent, std::vector<std::string>& out) {
    static const std::set<std::string> kContainers = {"moov", "trak", "edts", "mdia", "minf", "dinf", "stbl"};
    for (const Box& child : BoxesIn(b, parent.Payload(), parent.Offset + parent.Size)) {
        out.push_back(child.Type);
        if (kContainers.count(child.Type)) CollectTypes(b, child, out);
    }
}

uint32_t U32At(const Bytes& b, size_t at) { return GetU32(&b[at]); }

std::string SampleEntryType(const Bytes& b, const Box& stsd) {
    return std::string(reinterpret_cast<const char*>(&b[stsd.Payload() + 12]), 4);
}

UdatContent UdatOf(const Bytes& b) {
    const Box udat = Find(b, {"udat"});
    UdatContent c;
    if (udat.Size > 0) ReadUdatBox(&b[udat.Offset], udat.Size, c);
    return c;
}

double MovieSeconds(const Bytes& b) {
    const Box mvhd = Find(b, {"moov", "mvhd"});
    return static_cast<double>(U32At(b, mvhd.Payload() + 16)) / U32At(b, mvhd.Payload() + 12);
}

// Every picture of a movie as 8-bit grey, decoded by FFmpeg (scaled when asked).
std::vector<Bytes> GreyFrames(const fs::path& movie, int width, int height, bool scale = false) {
    TempFolder dir;
    const fs::path raw = dir.Path() / "frames.gray";
    std::vector<std::string> args = {"-v", "error", "-i", movie.string()};
    if (scale) args.insert(args.end(), {"-vf", "scale=" + std::to_string(width) + ":" + std::to_string(height)});
    args.insert(args.end(), {"-f", "rawvideo", "-pix_fmt", "gray", raw.string()});
    const RunResult r = RunProgram("ffmpeg", args);
    EXPECT_EQ(0, r.exitCode) << r.err;
    const Bytes all = ReadFile(raw);
    const size_t frameBytes = static_cast<size_t>(width) * height;
    EXPECT_EQ(0u, all.size() % frameBytes);
    std::vector<Bytes> frames;
    for (size_t at = 0; at + frameBytes <= all.size(); at += frameBytes) {
        frames.emplace_back(all.begin() + static_cast<ptrdiff_t>(at), all.begin() + static_cast<ptrdiff_t>(at + frameBytes));
    }
    return frames;
}

// FFmpeg reads the whole movie without a single message.
void ExpectCleanDecode(const fs::path& movie) {
    const RunResult r = RunProgram("ffmpeg", {"-v", "error", "-i", movie.string(), "-f", "null", "-"});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err) << movie;
}

class MkrecMovie : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempFolder;
        movie_ = dir_->Path() / "240501_083000_A.MOV";
        json_ = dir_->Path() / "records.json";
        const RunResult r = Mkrec({"movie", movie_.string(), "--seconds", "2", "--size", "320x180",
                                   "--gop", "10", "--records-json", json_.string()});
        ASSERT_EQ(0, r.exitCode) << r.err;
        bytes_ = new Bytes(ReadFile(movie_));
    }
    static void TearDownTestSuite() {
        delete bytes_;
        delete dir_;
    }
    static TempFolder* dir_;
    static fs::path movie_;
    static fs::path json_;
    static Bytes* bytes_;
};

TempFolder* MkrecMovie::dir_ = nullptr;
fs::path MkrecMovie::movie_;
fs::path MkrecMovie::json_;
Bytes* MkrecMovie::bytes_ = nullptr;

TEST_F(MkrecMovie, BoxLayout) {
    const Bytes& b = *bytes_;
    const std::vector<Box> top = BoxesIn(b, 0, b.size());
    ASSERT_EQ((std::vector<std::string>{"ftyp", "mdat", "moov", "udat"}), Types(top));
    EXPECT_EQ(b.size(), top.back().Offset + top.back().Size);

    // Eight bytes that are no media and no box start the media data; chunks follow them.
    const Box& mdat = top[1];
    EXPECT_TRUE(std::all_of(&b[mdat.Payload()], &b[mdat.Payload() + 8], [](uint8_t v) { return v == 0; }));
    const Box stco = Find(b, {"moov", "trak", "mdia", "minf", "stbl", "stco"});
    EXPECT_EQ(mdat.Payload() + 8, U32At(b, stco.Payload() + 8));

    std::vector<std::string> inside;
    CollectTypes(b, top[2], inside);
    static const std::set<std::string> kAllowed = {"mvhd", "trak", "tkhd", "edts", "elst", "mdia", "mdhd",
                                                   "hdlr", "minf", "vmhd", "smhd", "dinf", "dref", "stbl",
                                                   "stsd", "stts", "stss", "stsc", "stsz", "stco"};
    for (const std::string& type : inside) EXPECT_TRUE(kAllowed.count(type)) << type;
    EXPECT_EQ(2, std::count(inside.begin(), inside.end(), "trak"));

    // The first track is the video: its stts holds one entry of 60 frames of 3000.
    const Box hdlr = Find(b, {"moov", "trak", "mdia", "hdlr"});
    EXPECT_EQ("vide", std::string(reinterpret_cast<const char*>(&b[hdlr.Payload() + 8]), 4));
    const Box stts = Find(b, {"moov", "trak", "mdia", "minf", "stbl", "stts"});
    EXPECT_EQ(1u, U32At(b, stts.Payload() + 4));
    EXPECT_EQ(60u, U32At(b, stts.Payload() + 8));
    EXPECT_EQ(3000u, U32At(b, stts.Payload() + 12));
    const Box stss = Find(b, {"moov", "trak", "mdia", "minf", "stbl", "stss"});
    ASSERT_EQ(6u, U32At(b, stss.Payload() + 4));
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(1 + 10 * i, U32At(b, stss.Payload() + 8 + 4 * i));
    const Box stsd = Find(b, {"moov", "trak", "mdia", "minf", "stbl", "stsd"});
    EXPECT_EQ("avc1", SampleEntryType(b, stsd));
    EXPECT_EQ(320, GetU16(&b[stsd.Payload() + 40]));
    EXPECT_EQ(180, GetU16(&b[stsd.Payload() + 42]));
    EXPECT_DOUBLE_EQ(2.0, MovieSeconds(b));

    const UdatContent udat = UdatOf(b);
    EXPECT_EQ(20, udat.Count);
    EXPECT_EQ(MakeDriveScript(DefaultDriveOptions(20)), udat.Records);
    EXPECT_EQ("CSNEND", std::string(b.end() - 18, b.end() - 12));
}

TEST_F(MkrecMovie, RecordsJsonTellsWhatWasWritten) {
    const JsonValue doc = JsonValue::Parse(ReadText(json_));
    EXPECT_EQ(60, doc["frames"].Int());
    EXPECT_EQ(3000, doc["sttsDelta"].Int());
    EXPECT_EQ(static_cast<int64_t>(bytes_->size()), doc["bytes"].Int());
    ASSERT_EQ(1u, doc["headers"].items.size());
    EXPECT_EQ("M", doc["headers"][size_t{0}]["mode"].Str());
    EXPECT_EQ(20, doc["recordCount"].Int());
    ASSERT_EQ(20u, doc["records"].items.size());
    const std::vector<RecordValues> script = MakeDriveScript(DefaultDriveOptions(20));
    for (size_t i = 0; i < 20; ++i) {
        const JsonValue& r = doc["records"][i];
        EXPECT_EQ(script[i].Latitude, r["latitude"].Str());
        EXPECT_EQ(script[i].DateTime, r["dateTime"].Str());
        EXPECT_EQ(script[i].AccelX, r["x"].Str());
        EXPECT_EQ(script[i].Words[2], r["words"][2].Int());
    }
    EXPECT_EQ(0xA9, doc["records"][17]["cameraNibbles"].Int());
}

TEST_F(MkrecMovie, FfmpegReadsEveryFrameWithItsNumber) {
    ExpectCleanDecode(movie_);
    const std::vector<Bytes> frames = GreyFrames(movie_, 320, 180);
    ASSERT_EQ(60u, frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(static_cast<int>(i), DecodeFramePattern(frames[i].data(), 320, 320, 180)) << i;
    }
    const std::vector<Bytes> small = GreyFrames(movie_, 128, 72, true);
    ASSERT_EQ(60u, small.size());
    for (const size_t i : {size_t{0}, size_t{23}, size_t{59}}) {
        EXPECT_EQ(static_cast<int>(i), DecodeFramePattern(small[i].data(), 128, 128, 72)) << i;
    }

    // A JPEG of one picture, decoded to RGB.
    TempFolder dir;
    const fs::path jpeg = dir.Path() / "frame.jpg";
    const fs::path rgb = dir.Path() / "frame.rgb";
    ASSERT_EQ(0, RunProgram("ffmpeg", {"-v", "error", "-i", movie_.string(), "-vf", "select=eq(n\\,37)",
                                "-frames:v", "1", jpeg.string()}).exitCode);
    ASSERT_EQ(0, RunProgram("ffmpeg", {"-v", "error", "-i", jpeg.string(), "-f", "rawvideo", "-pix_fmt",
                                "rgb24", rgb.string()}).exitCode);
    const Bytes pixels = ReadFile(rgb);
    ASSERT_EQ(320u * 180u * 3u, pixels.size());
    EXPECT_EQ(37, DecodeFramePatternRgb(pixels.data(), 320 * 3, 320, 180, 3));
}

TEST(MkrecMovieKinds, SoundAndFrameDuration) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> entries; // sample entry per track
        uint32_t delta;
        uint32_t frames;
        double seconds;
    } cases[] = {
        {{"--audio", "pcm"}, {"avc1", "sowt"}, 3000, 30, 1.0},
        {{"--no-audio"}, {"avc1"}, 3000, 30, 1.0},
        {{"--audio", "aac", "--stts-delta", "6000"}, {"avc1", "mp4a"}, 6000, 15, 1.0},
        {{"--seconds", "0.5"}, {"avc1", "mp4a"}, 3000, 15, 0.5},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        const std::string label = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        const fs::path movie = dir.Path() / "m.MOV";
        std::vector<std::string> args = {"movie", movie.string(), "--seconds", "1", "--size", "160x90"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = Mkrec(args);
        ASSERT_EQ(0, r.exitCode) << label << ": " << r.err;
        const Bytes b = ReadFile(movie);
        const Box moov = Find(b, {"moov"});
        std::vector<std::string> entries;
        for (const Box& trak : BoxesIn(b, moov.Payload(), moov.Offset + moov.Size)) {
            if (trak.Type != "trak") continue;
            const Bytes one(b.begin() + static_cast<ptrdiff_t>(trak.Offset),
                            b.begin() + static_cast<ptrdiff_t>(trak.Offset + trak.Size));
            entries.push_back(SampleEntryType(one, Find(one, {"trak", "mdia", "minf", "stbl", "stsd"})));
        }
        EXPECT_EQ(c.entries, entries) << label;
        const Box stts = Find(b, {"moov", "trak", "mdia", "minf", "stbl", "stts"});
        EXPECT_EQ(c.frames, U32At(b, stts.Payload() + 8)) << label;
        EXPECT_EQ(c.delta, U32At(b, stts.Payload() + 12)) << label;
        EXPECT_DOUBLE_EQ(c.seconds, MovieSeconds(b)) << label;
        ExpectCleanDecode(movie);
        EXPECT_EQ(c.frames, GreyFrames(movie, 160, 90).size()) << label;
    }
}

// --dense makes the pictures expensive to code: the movie comes out at the bit rate asked
// for (about 12 Mbit/s at 1080p30, the same bits per pixel at any size), and every picture
// still carries its frame number.
TEST(MkrecMovieKinds, DenseMovieHasTheAskedRateAndItsFrameNumbers) {
    TempFolder dir;
    const fs::path movie = dir.Path() / "d.MOV";
    const RunResult r = Mkrec({"movie", movie.string(), "--seconds", "2", "--size", "320x180",
                               "--gop", "10", "--no-audio", "--dense"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    const double bitsPerSecond =
        static_cast<double>(Find(ReadFile(movie), {"mdat"}).Size) * 8.0 / 2.0;
    const double asked = kDenseBitsPerPixel * 320 * 180 * 30;
    EXPECT_GT(bitsPerSecond, 0.7 * asked);
    EXPECT_LT(bitsPerSecond, 1.3 * asked);

    ExpectCleanDecode(movie);
    const std::vector<Bytes> frames = GreyFrames(movie, 320, 180);
    ASSERT_EQ(60u, frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(static_cast<int>(i), DecodeFramePattern(frames[i].data(), 320, 320, 180)) << i;
    }
}

TEST(MkrecOddFiles, EachOptionMakesWhatItSays) {
    using Check = void (*)(const Bytes&);
    const struct {
        std::vector<std::string> args;
        Check check;
    } cases[] = {
        {{"--no-udat"}, [](const Bytes& b) {
             EXPECT_EQ((std::vector<std::string>{"ftyp", "mdat", "moov"}), Types(BoxesIn(b, 0, b.size())));
         }},
        {{"--udat-before-mdat"}, [](const Bytes& b) {
             EXPECT_EQ((std::vector<std::string>{"ftyp", "udat", "mdat", "moov"}), Types(BoxesIn(b, 0, b.size())));
             EXPECT_EQ(10, UdatOf(b).Count);
             // The file ends with the movie box, so the recorder's signature is missing.
             EXPECT_NE("CSNEND", std::string(b.end() - 18, b.end() - 12));
         }},
        {{"--bad-trailer"}, [](const Bytes& b) {
             EXPECT_EQ((std::vector<std::string>{"ftyp", "mdat", "moov", "udat"}), Types(BoxesIn(b, 0, b.size())));
             EXPECT_EQ("CSNENX", std::string(b.end() - 18, b.end() - 12));
         }},
        {{"--short"}, [](const Bytes& b) {
             EXPECT_LT(b.size(), 260u);
             EXPECT_EQ("ftyp", std::string(b.begin() + 4, b.begin() + 8));
             EXPECT_EQ("CSNEND", std::string(b.end() - 18, b.end() - 12));
             EXPECT_EQ(1, UdatOf(b).Count);
         }},
        {{"--truncate", "1000"}, [](const Bytes& b) { EXPECT_EQ(1000u, b.size()); }},
        {{"--chained-headers", "2"}, [](const Bytes& b) {
             const UdatContent u = UdatOf(b);
             ASSERT_EQ(3u, u.Headers.size());
             EXPECT_NE(u.Headers.front(), u.Headers.back());
             EXPECT_EQ('M', u.Headers.back().Mode);
         }},
        {{"--mode-letter", "X"}, [](const Bytes& b) { EXPECT_EQ('X', UdatOf(b).Headers.at(0).Mode); }},
        {{"--timelapse"}, [](const Bytes& b) { EXPECT_EQ('T', UdatOf(b).Headers.at(0).RecordingType); }},
        {{"--vehicle-data", "2"}, [](const Bytes& b) {
             const UdatContent u = UdatOf(b);
             EXPECT_EQ('2', u.Headers.at(0).VehicleData);
             EXPECT_EQ(kNoWord, u.Records.at(5).Words[15]);
             EXPECT_NE(kNoWord, u.Records.at(5).Words[0]);
         }},
        {{"--records", "300"}, [](const Bytes& b) {
             const UdatContent u = UdatOf(b);
             EXPECT_EQ(300, u.Count);
             EXPECT_EQ('X', u.Records.at(204).Axis); // the script goes on past the picture
             EXPECT_EQ("CSNEND", std::string(b.end() - 18, b.end() - 12));
         }},
        {{"--records", "20", "--start", "2023-12-31 23:59:59", "--lat", "3352.1234", "--lat-sign", "S", "--lon",
          "07040.5000", "--lon-sign", "W"},
         [](const Bytes& b) {
             const UdatContent u = UdatOf(b);
             EXPECT_EQ("231231235959", u.Records.at(9).DateTime);
             EXPECT_EQ("240101000000", u.Records.at(10).DateTime);
             EXPECT_EQ("3352.1234", u.Records.at(0).Latitude);
             EXPECT_EQ(0, u.Records.at(0).LatitudeSign);
             EXPECT_EQ("07040.5000", u.Records.at(0).Longitude);
             EXPECT_EQ(0, u.Records.at(0).LongitudeSign);
         }},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        const fs::path movie = dir.Path() / "odd.MOV";
        std::vector<std::string> args = {"movie", movie.string(), "--seconds", "1", "--size", "160x90"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = Mkrec(args);
        ASSERT_EQ(0, r.exitCode) << c.args[0] << ": " << r.err;
        SCOPED_TRACE(c.args[0]);
        c.check(ReadFile(movie));
    }
}

TEST(MkrecCli, ErrorsSayOneLineAndLeaveNothing) {
    TempFolder dir;
    const std::string out = (dir.Path() / "x.MOV").string();
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"movie", out, "--bogus"}, 2},
        {{"movie", out, "--size", "15x16"}, 2},
        {{"movie", out, "--size", "640"}, 2},
        {{"movie", out, "--seconds", "0"}, 2},
        {{"movie", out, "--seconds"}, 2},
        {{"movie", out, "--records", "65536"}, 2},
        {{"movie", out, "--audio", "mp3"}, 2},
        {{"movie", out, "--start", "2024-13-01 00:00:00"}, 2},
        {{"movie", out, "--lat", "3560.0000"}, 2},
        {{"movie", out, "--chained-headers", "25"}, 2},
        {{"movie"}, 2},
        {{"film", out}, 2},
        {{"movie", (dir.Path() / "missing" / "x.MOV").string()}, 1},
        {{"movie", (dir.Path() / "x.MOV").string(), "--records-json", (dir.Path() / "no" / "r.json").string()}, 1},
    };
    for (const auto& c : cases) {
        const RunResult r = Mkrec(c.args);
        const std::string label = c.args.size() > 2 ? c.args[2] : c.args[0];
        EXPECT_EQ(c.exitCode, r.exitCode) << label;
        EXPECT_EQ(0, r.err.rfind("kestrel-mkrec: ", 0)) << label << ": " << r.err;
        EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << label << ": " << r.err;
        // Nothing half-written: no temporary file and, for a refused command, no output.
        for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
            EXPECT_EQ(std::string::npos, e.path().filename().string().find(".part-")) << label;
        }
        EXPECT_FALSE(fs::exists(out)) << label;
    }
}

TEST(MkrecCard, MakesOneDriveInTwoDayFolders) {
    TempFolder dir;
    const fs::path card = dir.Path() / "card";
    const RunResult r = Mkrec({"card", card.string(), "--seconds", "1", "--size", "160x90"});
    ASSERT_EQ(0, r.exitCode) << r.err;

    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(card)) {
        files.push_back(fs::relative(e.path(), card).string() + (e.is_directory() ? "/" : ""));
    }
    std::sort(files.begin(), files.end());
    const std::vector<std::string> expected = {
        "DCIM/",
        "DCIM/100_0501/",
        "DCIM/100_0501/240501_235954_A.MOV",
        "DCIM/100_0501/240501_235955_A.MOV",
        "DCIM/100_0501/240501_235956_G.MOV",
        "DCIM/100_0501/240501_235957_M.MOV",
        "DCIM/100_0501/240501_235958_A.MOV",
        "DCIM/100_0501/240501_235959_O.MOV",
        "DCIM/101_0502/",
        "DCIM/101_0502/240502_000000_R.MOV",
        "DCIM/101_0502/240502_000001_A.MOV",
        "DCIM/101_0502/240502_000002_P.MOV",
        "DCIM/101_0502/240502_000003_S.MOV",
        "DCIM/101_0502/240502_000004_T.MOV",
        "DCIM/101_0502/240502_000005_U.MOV",
        "DCIM/102_EMPTY/",
        "DCIM/103_TEXT/",
        "DCIM/103_TEXT/README.TXT",
    };
    EXPECT_EQ(expected, files);

    // Each recording starts where the one before stopped, and its kind shows in its data.
    std::string lastTime;
    std::string lastLatitude;
    for (const std::string& name : expected) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".MOV") continue;
        SCOPED_TRACE(name);
        const Bytes b = ReadFile(card / name);
        const UdatContent u = UdatOf(b);
        ASSERT_EQ(10u, u.Records.size());
        const std::string stem = fs::path(name).stem().string();
        EXPECT_EQ(stem.substr(0, 6) + stem.substr(7, 6), u.Records[0].DateTime);
        if (!lastTime.empty()) {
            EXPECT_LT(lastTime, u.Records[0].DateTime);
        }
        lastTime = u.Records.back().DateTime;
        const char kind = stem.back();
        const bool timeLapse = kind == 'T' || kind == 'U';
        EXPECT_EQ(timeLapse ? 'T' : 'N', u.Headers.at(0).RecordingType);
        if (kind == 'G') {
            EXPECT_EQ('X', u.Records[5].Axis);
        }
        if (kind == 'M') {
            EXPECT_EQ('D', u.Records[3].Manual);
        }
        if (kind == 'O') {
            EXPECT_EQ(0xA9, u.Records[5].CameraNibbles);
        }
        if (kind == 'P') {
            EXPECT_EQ("00.0", u.Records[0].Speed);
        }
        ExpectCleanDecode(card / name);
    }

    // A card is never made over another folder's files.
    const RunResult again = Mkrec({"card", card.string(), "--seconds", "1", "--size", "160x90"});
    EXPECT_EQ(2, again.exitCode);
    EXPECT_TRUE(fs::exists(card / "DCIM" / "103_TEXT" / "README.TXT"));

    // Recordings shorter than a second would share their names: refused, nothing left.
    const fs::path brief = dir.Path() / "brief";
    const RunResult shortCard = Mkrec({"card", brief.string(), "--seconds", "0.5", "--size", "160x90"});
    EXPECT_NE(0, shortCard.exitCode);
    EXPECT_NE(std::string::npos, shortCard.err.find("share the name")) << shortCard.err;
    EXPECT_FALSE(fs::exists(brief));
}

} // namespace
} // namespace kestrel::mkrec
