#include "engine/TrackExport.h"

#include "engine/OutputFile.h"
#include "engine/SensorCache.h"
#include "engine/Utf8Text.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace kestrel {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Wall-clock seconds of a time, for differences between records.
int64_t WallSeconds(const DateTime& t) {
    return DaysFromCivil(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

bool StartsAfterGap(const GpsSample& previous, const GpsSample& next) {
    if (previous.LocalTime.IsZero() || next.LocalTime.IsZero())
        return true;
    const int64_t step = WallSeconds(next.LocalTime) - WallSeconds(previous.LocalTime);
    return step < 0 || step > kTrackGapSeconds;
}

std::string Number(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

// The name comes from the file system and may hold bytes that are not UTF-8; the document
// must stay well-formed, so they become U+FFFD.
std::string XmlEscaped(std::string_view name) {
    const std::string text = ValidUtf8(name);
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            // Control characters are not allowed in XML 1.0 text.
            out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? '?' : c;
        }
    }
    return out;
}

std::string JsonEscaped(std::string_view name) {
    const std::string text = ValidUtf8(name);
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string Gpx(const std::vector<TrackSegment>& segments, std::string_view name) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<gpx version=\"1.1\" creator=\"Kestrel\" "
                      "xmlns=\"http://www.topografix.com/GPX/1/1\" "
                      "xmlns:kestrel=\"urn:kestrel:track:1\">\n"
                      "  <trk>\n    <name>" +
                      XmlEscaped(name) + "</name>\n";
    for (const TrackSegment& segment : segments) {
        out += "    <trkseg>\n";
        for (const TrackPoint& p : segment) {
            out += "      <trkpt lat=\"" + Number(p.Latitude, 7) + "\" lon=\"" +
                   Number(p.Longitude, 7) + "\">";
            const std::string time = UtcIsoTime(p.LocalTime);
            if (!time.empty())
                out += "<time>" + time + "</time>";
            // Speed in metres per second, as GPS tools expect it.
            out += "<extensions><kestrel:speed>" + Number(p.SpeedKmh / 3.6, 3) +
                   "</kestrel:speed></extensions></trkpt>\n";
        }
        out += "    </trkseg>\n";
    }
    return out + "  </trk>\n</gpx>\n";
}

std::string Kml(const std::vector<TrackSegment>& segments, std::string_view name) {
    const std::string title = XmlEscaped(name);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n"
                      "    <name>" +
                      title + "</name>\n    <Placemark>\n      <name>" + title +
                      "</name>\n      <MultiGeometry>\n";
    for (const TrackSegment& segment : segments) {
        // A line needs two positions.
        if (segment.size() < 2)
            continue;
        out += "        <LineString><tessellate>1</tessellate><coordinates>";
        for (size_t i = 0; i < segment.size(); ++i) {
            if (i > 0)
                out += ' ';
            out += Number(segment[i].Longitude, 7) + ',' + Number(segment[i].Latitude, 7);
        }
        out += "</coordinates></LineString>\n";
    }
    return out + "      </MultiGeometry>\n    </Placemark>\n  </Document>\n</kml>\n";
}

std::string GeoJson(const std::vector<TrackSegment>& segments, std::string_view name) {
    std::string coordinates, times, speeds;
    for (const TrackSegment& segment : segments) {
        // A line needs two positions.
        if (segment.size() < 2)
            continue;
        const char* separator = coordinates.empty() ? "[" : ",[";
        coordinates += separator;
        times += separator;
        speeds += separator;
        for (size_t i = 0; i < segment.size(); ++i) {
            const TrackPoint& p = segment[i];
            const char* comma = i > 0 ? "," : "";
            const std::string time = UtcIsoTime(p.LocalTime);
            coordinates +=
                comma + ('[' + Number(p.Longitude, 7) + ',' + Number(p.Latitude, 7) + ']');
            times += comma + (time.empty() ? std::string("null") : '"' + time + '"');
            speeds += comma + Number(p.SpeedKmh, 1);
        }
        coordinates += ']';
        times += ']';
        speeds += ']';
    }
    return "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\","
           "\"properties\":{\"name\":" +
           JsonEscaped(name) + ",\"coordTimes\":[" + times + "],\"speedsKmh\":[" + speeds +
           "]},\"geometry\":{\"type\":\"MultiLineString\","
           "\"coordinates\":[" +
           coordinates + "]}}]}\n";
}

std::string Csv(const std::vector<TrackSegment>& segments) {
    std::string out = "segment,time,latitude,longitude,speed_kmh\r\n";
    for (size_t s = 0; s < segments.size(); ++s) {
        for (const TrackPoint& p : segments[s]) {
            out += std::to_string(s + 1) + ',' + UtcIsoTime(p.LocalTime) + ',' +
                   Number(p.Latitude, 7) + ',' + Number(p.Longitude, 7) + ',' +
                   Number(p.SpeedKmh, 1) + "\r\n";
        }
    }
    return out;
}

} // namespace

std::optional<TrackFormat> ParseTrackFormat(std::string_view name) {
    if (name == "gpx")
        return TrackFormat::Gpx;
    if (name == "kml")
        return TrackFormat::Kml;
    if (name == "geojson")
        return TrackFormat::GeoJson;
    if (name == "csv")
        return TrackFormat::Csv;
    return std::nullopt;
}

std::vector<TrackSegment> SplitTrack(const GpsSampleList& samples) {
    std::vector<TrackSegment> segments;
    bool open = false; // the last segment takes further points
    for (size_t i = 0; i < samples.size(); ++i) {
        const GpsSample& sample = samples[i];
        // A recording's records number from 0: here the next recording starts.
        if (i > 0 && sample.Index == 0 && StartsAfterGap(samples[i - 1], sample))
            open = false;
        if (!sample.Valid) {
            open = false; // the recorder lost its fix
            continue;
        }
        if (!open)
            segments.emplace_back();
        open = true;
        segments.back().push_back(
            {sample.Latitude, sample.Longitude, sample.SpeedKmh, sample.LocalTime});
    }
    return segments;
}

std::string UtcIsoTime(const DateTime& local) {
    if (local.IsZero())
        return {};
    std::tm tm{};
    tm.tm_year = local.Year - 1900;
    tm.tm_mon = local.Month - 1;
    tm.tm_mday = local.Day;
    tm.tm_hour = local.Hour;
    tm.tm_min = local.Minute;
    tm.tm_sec = local.Second;
    tm.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&tm);
    std::tm utc{};
    if (seconds == static_cast<std::time_t>(-1) || !gmtime_r(&seconds, &utc))
        return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string FormatTrack(const std::vector<TrackSegment>& segments, TrackFormat format,
                        std::string_view name) {
    switch (format) {
    case TrackFormat::Gpx:
        return Gpx(segments, name);
    case TrackFormat::Kml:
        return Kml(segments, name);
    case TrackFormat::GeoJson:
        return GeoJson(segments, name);
    case TrackFormat::Csv:
        return Csv(segments);
    }
    return {};
}

TrackExportResult ExportTrack(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                              const std::filesystem::path& output, TrackFormat format,
                              std::string_view name, bool overwrite) {
    TrackExportResult result;
    if (!ctx.FileMutex) {
        result.Error = "the engine is not ready";
        return result;
    }
    std::vector<TrackSegment> segments;
    {
        std::lock_guard lock(*ctx.FileMutex);
        // A recording that cannot be read is left out of the track, as in the viewer.
        BuildAllFilesTrack(ctx, entries, &result.Skipped);
        if (ctx.AllFilesTrack)
            segments = SplitTrack(*ctx.AllFilesTrack);
    }
    for (const TrackSegment& segment : segments)
        result.Points += segment.size();
    result.Segments = segments.size();
    OutputFile out;
    if (!out.Create(output, overwrite) || !out.Write(FormatTrack(segments, format, name)) ||
        !out.Commit()) {
        result.Error = out.Error();
        return result;
    }
    result.Ok = true;
    return result;
}

} // namespace kestrel
