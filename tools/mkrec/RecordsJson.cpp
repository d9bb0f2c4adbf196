#include "mkrec/RecordsJson.h"

#include <cstdio>
#include <sstream>

namespace kestrel::mkrec {

namespace {

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Char(char c) { return Quote(std::string(1, c)); }

const char* AudioName(AudioKind kind) {
    switch (kind) {
    case AudioKind::Aac: return "aac";
    case AudioKind::Pcm: return "pcm";
    case AudioKind::None: break;
    }
    return "none";
}

void Header(std::ostream& out, const HeaderValues& h) {
    out << "{\"thresholds\": [" << Quote(h.Thresholds[0]) << ", " << Quote(h.Thresholds[1])
        << ", " << Quote(h.Thresholds[2]) << ", " << Quote(h.Thresholds[3]) << "]"
        << ", \"mode\": " << Char(h.Mode) << ", \"versionSuffix\": " << Char(h.VersionSuffix)
        << ", \"major\": " << Char(h.Major) << ", \"minor\": " << Quote(h.Minor)
        << ", \"build\": " << Quote(h.Build) << ", \"picture\": " << Char(h.Picture)
        << ", \"byte24\": " << int{h.Byte24} << ", \"recordingType\": " << Char(h.RecordingType)
        << ", \"vehicleData\": " << Char(h.VehicleData) << ", \"byte27\": " << int{h.Byte27}
        << "}";
}

void Record(std::ostream& out, size_t index, const RecordValues& r) {
    out << "{\"index\": " << index << ", \"gpsStatus\": " << Char(r.GpsStatus)
        << ", \"latitude\": " << Quote(r.Latitude) << ", \"latitudeSign\": " << int{r.LatitudeSign}
        << ", \"longitude\": " << Quote(r.Longitude)
        << ", \"longitudeSign\": " << int{r.LongitudeSign} << ", \"speed\": " << Quote(r.Speed)
        << ", \"dateTime\": " << Quote(r.DateTime) << ", \"timeOffset\": " << Quote(r.TimeOffset)
        << ", \"x\": " << Quote(r.AccelX) << ", \"y\": " << Quote(r.AccelY)
        << ", \"z\": " << Quote(r.AccelZ) << ", \"manual\": " << Char(r.Manual)
        << ", \"axis\": " << Char(r.Axis) << ", \"event\": " << Char(r.Event)
        << ", \"secondEvent\": " << Char(r.SecondEvent) << ", \"parking\": " << Char(r.Parking)
        << ", \"warning\": " << Char(r.Warning) << ", \"status\": ["
        << int{r.Status[0]} << ", " << int{r.Status[1]} << ", " << int{r.Status[2]} << ", "
        << int{r.Status[3]} << "], \"words\": [";
    for (size_t i = 0; i < r.Words.size(); ++i) out << (i ? ", " : "") << r.Words[i];
    out << "], \"camera\": " << int{r.Camera} << ", \"cameraNibbles\": " << int{r.CameraNibbles}
        << "}";
}

} // namespace

std::string RecordsJson(const MovieSummary& s) {
    std::ostringstream out;
    out << "{\n\"frames\": " << s.Frames << ",\n\"sttsDelta\": " << s.SttsDelta
        << ",\n\"width\": " << s.Width << ",\n\"height\": " << s.Height
        << ",\n\"seconds\": " << s.Seconds << ",\n\"audio\": \"" << AudioName(s.Audio)
        << "\",\n\"bytes\": " << s.Bytes << ",\n\"udat\": " << (s.HasUdat ? "true" : "false")
        << ",\n\"headers\": [";
    for (size_t i = 0; i < s.Udat.Headers.size(); ++i) {
        out << (i ? ",\n  " : "\n  ");
        Header(out, s.Udat.Headers[i]);
    }
    out << "],\n\"recordCount\": " << s.Udat.Count << ",\n\"records\": [";
    for (size_t i = 0; i < s.Udat.Records.size(); ++i) {
        out << (i ? ",\n  " : "\n  ");
        Record(out, i, s.Udat.Records[i]);
    }
    out << "]\n}\n";
    return out.str();
}

} // namespace kestrel::mkrec
