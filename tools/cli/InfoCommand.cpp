// kestrel-cli info FILE [--json]: what the viewer knows of one recording: its kind, length,
// frame period and frames, record count, peak G, firmware version, header and start time.
#include "CommandArgs.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "RecordingLoader.h"

#include "engine/RecorderHeaderReader.h"
#include "engine/RecordingCatalogue.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace kestrel::cli {
namespace {

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli info: %s\n", text.c_str());
    return 1;
}

// A header letter as text: empty for a zero byte.
std::string Letter(char c) {
    return c ? std::string(1, c) : std::string();
}

std::string VersionChars(const RecorderHeader& h) {
    return std::string(h.VersionChars, strnlen(h.VersionChars, sizeof h.VersionChars));
}

struct Info {
    std::string Path;
    std::string Name;
    uint64_t FileSize = 0;
    LoadedRecording Recording;
};

std::string AsJson(const Info& info) {
    const BoxScanner& data = *info.Recording.Data;
    const RecorderHeader& h = data.Header;
    const MovieMeasurement& movie = info.Recording.Movie;
    JsonWriter json;
    json.BeginObject();
    json.Field("IsRecorderFile", true);
    json.Field("RecordingKind", static_cast<int64_t>(ClassifyName(info.Name)));
    json.Field("KindLabel", KindLabel(info.Name));
    json.Field("FileSize", info.FileSize);
    json.Field("DurationSeconds", ShortestOfFloat(movie.DurationSeconds));
    json.Field("FramePeriodMs", ShortestOfFloat(movie.FramePeriodMs));
    json.Field("TotalFrames", movie.TotalFrames);
    json.Field("RecordCount", static_cast<int64_t>(data.RecordCount));
    json.Field("PeakG", ShortestOfFloat(data.PeakG));
    json.Key("FirmwareVersion");
    if (h.Mode) {
        json.String(FirmwareVersionText(h));
    } else {
        json.Null(); // no valid recorder header
    }
    json.Key("Header").BeginObject();
    json.Field("ThresholdX", ShortestOfFloat(h.ThresholdX));
    json.Field("ThresholdY", ShortestOfFloat(h.ThresholdY));
    json.Field("ThresholdZ", ShortestOfFloat(h.ThresholdZ));
    json.Field("ThresholdW", ShortestOfFloat(h.ThresholdW));
    json.Field("Mode", Letter(h.Mode));
    json.Field("VersionChars", VersionChars(h));
    json.Field("PictureLetter", Letter(h.PictureLetter));
    json.Field("RecordingType", Letter(h.RecordingType));
    json.Field("VehicleData", Letter(h.VehicleData));
    json.EndObject();
    json.Key("StartTime");
    if (!data.GpsSamples->empty()) {
        json.String(FormatDateTime(data.GpsSamples->front().LocalTime));
    } else {
        json.Null();
    }
    json.EndObject();
    return json.Text() + "\n";
}

std::string AsText(const Info& info) {
    const BoxScanner& data = *info.Recording.Data;
    const RecorderHeader& h = data.Header;
    const MovieMeasurement& movie = info.Recording.Movie;
    const std::string label(KindLabel(info.Name));
    char buffer[512];
    std::string text;
    auto line = [&](const char* format, auto... values) {
        std::snprintf(buffer, sizeof buffer, format, values...);
        text += buffer;
    };
    line("File:            %s\n", info.Path.c_str());
    line("Kind:            %d %s\n", static_cast<int>(ClassifyName(info.Name)), label.c_str());
    line("File size:       %llu bytes\n", static_cast<unsigned long long>(info.FileSize));
    line("Duration:        %.3f s\n", static_cast<double>(movie.DurationSeconds));
    line("Frame period:    %g ms\n", static_cast<double>(movie.FramePeriodMs));
    line("Frames:          %lld\n", static_cast<long long>(movie.TotalFrames));
    line("Records:         %d\n", data.RecordCount);
    line("Peak G:          %g\n", ShortestOfFloat(data.PeakG));
    line("Firmware:        %s\n", h.Mode ? FirmwareVersionText(h).c_str() : "(no valid header)");
    line("Thresholds:      X %g  Y %g  Z %g  W %g\n", ShortestOfFloat(h.ThresholdX),
         ShortestOfFloat(h.ThresholdY), ShortestOfFloat(h.ThresholdZ),
         ShortestOfFloat(h.ThresholdW));
    line("Header letters:  mode '%s' version '%s' picture '%s' type '%s' vehicle data '%s'\n",
         Letter(h.Mode).c_str(), VersionChars(h).c_str(), Letter(h.PictureLetter).c_str(),
         Letter(h.RecordingType).c_str(), Letter(h.VehicleData).c_str());
    line("Start time:      %s\n", data.GpsSamples->empty()
                                      ? "(no samples)"
                                      : FormatDateTime(data.GpsSamples->front().LocalTime).c_str());
    return text;
}

} // namespace

int RunInfo(const Args& args) {
    CommandArgs parsed;
    std::string error;
    if (!parsed.Parse(args, {"--json"}, {}, "FILE", error))
        return Failure(error);
    const std::string& path = parsed.Path;
    const bool json = parsed.Has("--json");
    if (path.empty())
        return Failure("usage: info FILE [--json]");

    EngineSession engine;
    Info info;
    info.Path = path;
    info.Name = std::filesystem::path(path).filename().string();
    if (!LoadRecording(engine, path, FrameIndexing::IfPossible, info.Recording, error)) {
        return Failure(error);
    }
    std::error_code ec;
    info.FileSize = std::filesystem::file_size(path, ec);
    if (!WriteOut(json ? AsJson(info) : AsText(info)))
        return Failure("cannot write the output");
    return 0;
}

} // namespace kestrel::cli
