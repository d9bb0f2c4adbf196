#include "CliRun.h"
#include "JsonValue.h"

#include "mkrec/RecorderScript.h"

#include <gtest/gtest.h>

#include <regex>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;
using testing::TempFolder;
using testing_json::JsonValue;

// Checks that `xml` is well-formed: one root element, tags nested and closed, attribute
// values quoted, only the predefined entities. Returns what is wrong, or "".
std::string XmlProblem(const std::string& xml) {
    std::vector<std::string> open;
    size_t i = 0, roots = 0;
    const std::regex entity("&(amp|lt|gt|quot|apos|#[0-9]+);");
    while (i < xml.size()) {
        if (xml[i] == '&') {
            std::smatch m;
            const std::string rest = xml.substr(i, 8);
            if (!std::regex_search(rest, m, entity) || m.position(0) != 0)
                return "bad entity at " + std::to_string(i);
            i += static_cast<size_t>(m.length(0));
            continue;
        }
        if (xml[i] != '<') {
            if (open.empty() && !std::isspace(static_cast<unsigned char>(xml[i])))
                return "text outside the root";
            ++i;
            continue;
        }
        const size_t end = xml.find('>', i);
        if (end == std::string::npos)
            return "unclosed tag";
        std::string tag = xml.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag.starts_with("?"))
            continue;
        if (tag.starts_with("/")) {
            if (open.empty() || open.back() != tag.substr(1))
                return "mismatched </" + tag.substr(1) + ">";
            open.pop_back();
            continue;
        }
        const bool empty = tag.ends_with("/");
        if (empty)
            tag.pop_back();
        const std::string name = tag.substr(0, tag.find_first_of(" \t\n"));
        static const std::regex attributes(R"((\s+[A-Za-z_:][-A-Za-z0-9_:.]*="[^"<&]*")*\s*)");
        if (!std::regex_match(tag.substr(name.size()), attributes))
            return "bad attributes in <" + name + ">";
        if (open.empty() && ++roots > 1)
            return "two roots";
        if (!empty)
            open.push_back(name);
    }
    return open.empty() && roots == 1 ? "" : "unclosed elements";
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Three recordings of one drive: the second continues the first, the third starts a minute
// later. The drive loses its fix at records 16..19 of every hundred.
struct Drive {
    std::vector<mkrec::MovieSummary> Recordings;
    std::vector<size_t> Segments; // points per expected segment
    size_t Points = 0;
};

Drive MakeDrive(const fs::path& folder) {
    Drive drive;
    // Record n of the drive is n / 10 seconds after its start.
    const int firstRecords[] = {0, 30, 600};
    for (int i = 0; i < 3; ++i) {
        mkrec::MovieOptions options = testing::SmallRecording("2024-05-01 10:00:00", 3.0);
        options.Drive.FirstRecord = firstRecords[i];
        const fs::path path = folder / ("240501_1000" + std::to_string(10 + i) + "_A.MOV");
        drive.Recordings.push_back(mkrec::MakeMovie(options, path));
    }
    bool open = false;
    for (size_t r = 0; r < drive.Recordings.size(); ++r) {
        if (r == 2)
            open = false; // after the gap
        for (const mkrec::RecordValues& record : drive.Recordings[r].Udat.Records) {
            if (record.GpsStatus != 'A') {
                open = false;
                continue;
            }
            if (!open)
                drive.Segments.push_back(0);
            open = true;
            ++drive.Segments.back();
            ++drive.Points;
        }
    }
    return drive;
}

std::string Export(const fs::path& source, const std::string& format, const fs::path& out) {
    const testing::CliResult r =
        RunCli({"track", source.string(), "--format", format, "-o", out.string()});
    EXPECT_EQ(0, r.ExitCode) << r.Err;
    return testing::ReadFile(out);
}

TEST(TrackCommand, EveryFormatHoldsTheValidPointsInSegments) {
    TempFolder dir;
    const fs::path source = dir / "drive & <one>";
    fs::create_directories(source);
    const Drive drive = MakeDrive(source);
    ASSERT_EQ((std::vector<size_t>{16, 40, 16, 10}), drive.Segments);
    const mkrec::RecordValues& first = drive.Recordings[0].Udat.Records[0];
    const std::string latitude =
        std::to_string(mkrec::DegreesFromText(first.Latitude)).substr(0, 8);
    const std::string longitude =
        std::to_string(mkrec::DegreesFromText(first.Longitude)).substr(0, 9);

    const std::string gpx = Export(source, "gpx", dir / "t.gpx");
    EXPECT_EQ("", XmlProblem(gpx));
    EXPECT_NE(std::string::npos, gpx.find("<name>drive &amp; &lt;one&gt;</name>"));
    EXPECT_EQ(drive.Segments.size(), Count(gpx, "<trkseg>"));
    EXPECT_EQ(drive.Points, Count(gpx, "<trkpt "));
    EXPECT_EQ(drive.Points, Count(gpx, "<time>"));
    EXPECT_NE(std::string::npos, gpx.find("<trkpt lat=\"" + latitude));
    EXPECT_NE(std::string::npos, gpx.find("<time>2024-05-01T01:00:00Z</time>")); // 10:00 in Tokyo

    const std::string kml = Export(source, "kml", dir / "t.kml");
    EXPECT_EQ("", XmlProblem(kml));
    EXPECT_EQ(drive.Segments.size(), Count(kml, "<LineString>"));
    EXPECT_NE(std::string::npos, kml.find("<coordinates>" + longitude));

    const JsonValue json = JsonValue::Parse(Export(source, "geojson", dir / "t.geojson"));
    const JsonValue& feature = json["features"][0];
    EXPECT_EQ("MultiLineString", feature["geometry"]["type"].Str());
    const JsonValue& lines = feature["geometry"]["coordinates"];
    ASSERT_EQ(drive.Segments.size(), lines.items.size());
    for (size_t s = 0; s < lines.items.size(); ++s) {
        EXPECT_EQ(drive.Segments[s], lines[s].items.size());
        EXPECT_EQ(drive.Segments[s], feature["properties"]["coordTimes"][s].items.size());
    }
    EXPECT_TRUE(lines[0][0][0].text.starts_with(longitude)); // longitude first
    EXPECT_TRUE(lines[0][0][1].text.starts_with(latitude));
    EXPECT_EQ("drive & <one>", feature["properties"]["name"].Str());

    const std::string csv = Export(source, "csv", dir / "t.csv");
    EXPECT_TRUE(csv.starts_with("segment,time,latitude,longitude,speed_kmh\r\n"));
    EXPECT_EQ(drive.Points + 1, Count(csv, "\r\n"));
    EXPECT_EQ(drive.Segments.back(), Count(csv, "\r\n4,"));
}

TEST(TrackCommand, RefusesBadArguments) {
    TempFolder dir;
    const std::string out = (dir / "t.gpx").string();
    testing::MiniMovie::WriteFile(dir / "t.gpx", "mine");
    const std::vector<std::string> cases[] = {
        {"track", dir.Path().string(), "--format", "shp", "-o", (dir / "x").string()},
        {"track", dir.Path().string(), "--format", "gpx", "-o", out},
        {"track", (dir / "none").string(), "--format", "gpx", "-o", (dir / "x").string()},
        {"track", dir.Path().string(), "--format", "gpx"},
    };
    for (const auto& args : cases) {
        const testing::CliResult r = RunCli(args);
        EXPECT_NE(0, r.ExitCode);
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
    }
    EXPECT_EQ("mine", testing::ReadFile(dir / "t.gpx"));
    EXPECT_FALSE(fs::exists(dir / "x"));
}

} // namespace
} // namespace kestrel
