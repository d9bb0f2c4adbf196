// kestrel-cli samples FILE [--json] [--frames]: every decoded record of a recording as GPS,
// G-sensor and vehicle samples. Times are milliseconds as decoded; with --frames they are
// frame numbers after the per-frame index is built, and the index itself is listed.
#include "CommandArgs.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "RecordingLoader.h"

#include <cstdio>
#include <string>

namespace kestrel::cli {
namespace {

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli samples: %s\n", text.c_str());
    return 1;
}

void WriteGps(JsonWriter& json, const GpsSampleList& samples) {
    json.Key("gps").BeginArray();
    for (const GpsSample& s : samples) {
        json.BeginObject();
        json.Field("Index", int64_t{s.Index});
        json.Field("Time", int64_t{s.Time});
        json.Field("Valid", int64_t{s.Valid});
        json.Field("Latitude", s.Latitude);
        json.Field("Longitude", s.Longitude);
        json.Field("SpeedKmh", s.SpeedKmh);
        json.Field("LocalTime", FormatDateTime(s.LocalTime));
        json.EndObject();
    }
    json.EndArray();
}

void WriteGSensor(JsonWriter& json, const GSensorSampleList& samples) {
    json.Key("g").BeginArray();
    for (const GSensorSample& s : samples) {
        json.BeginObject();
        json.Field("Index", int64_t{s.Index});
        json.Field("Time", int64_t{s.Time});
        json.Field("EventCode", int64_t{s.EventCode});
        json.Field("WarningFlag", int64_t{s.WarningFlag});
        json.Field("Axis", int64_t{s.Axis});
        json.Field("X", ShortestOfFloat(s.X));
        json.Field("Y", ShortestOfFloat(s.Y));
        json.Field("Z", ShortestOfFloat(s.Z));
        json.Field("CameraByte", int64_t{s.CameraByte});
        json.Field("CameraHigh", int64_t{s.CameraHigh});
        json.Field("CameraLow", int64_t{s.CameraLow});
        json.EndObject();
    }
    json.EndArray();
}

void WriteObd(JsonWriter& json, const ObdSampleList& samples) {
    json.Key("obd").BeginArray();
    for (const ObdSample& s : samples) {
        json.BeginObject();
        json.Field("Index", int64_t{s.Index});
        json.Key("Status").BeginArray();
        for (uint8_t b : s.Status)
            json.UInt(b);
        json.EndArray();
        json.Key("Words").BeginArray();
        for (uint16_t w : s.Words)
            json.UInt(w);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void WriteFrameIndex(JsonWriter& json, const FrameIndexList& index) {
    json.Key("FrameIndex").BeginArray();
    for (const GSensorSample* g : index) {
        if (g) {
            json.Int(g->Index);
        } else {
            json.Null();
        }
    }
    json.EndArray();
}

std::string AsJson(const BoxScanner& data, bool frames) {
    JsonWriter json;
    json.BeginObject();
    WriteGps(json, *data.GpsSamples);
    WriteGSensor(json, *data.GSensorSamples);
    WriteObd(json, *data.ObdSamples);
    if (frames)
        WriteFrameIndex(json, *data.FrameIndex);
    json.EndObject();
    return json.Text() + "\n";
}

// One line per sample, fields in the order of the JSON output.
std::string AsText(const BoxScanner& data, bool frames) {
    std::string text;
    char line[512];
    text += "# gps: Index Time Valid Latitude Longitude SpeedKmh LocalTime\n";
    for (const GpsSample& s : *data.GpsSamples) {
        std::snprintf(line, sizeof line, "gps %d %d %d %.9f %.9f %g %s\n", s.Index, s.Time, s.Valid,
                      s.Latitude, s.Longitude, s.SpeedKmh, FormatDateTime(s.LocalTime).c_str());
        text += line;
    }
    text += "# g: Index Time EventCode WarningFlag Axis X Y Z CameraByte CameraHigh CameraLow\n";
    for (const GSensorSample& s : *data.GSensorSamples) {
        std::snprintf(line, sizeof line, "g %d %d %d %d %d %g %g %g %d %d %d\n", s.Index, s.Time,
                      s.EventCode, s.WarningFlag, s.Axis, ShortestOfFloat(s.X),
                      ShortestOfFloat(s.Y), ShortestOfFloat(s.Z), s.CameraByte, s.CameraHigh,
                      s.CameraLow);
        text += line;
    }
    text += "# obd: Index Status[4] Words[18]\n";
    for (const ObdSample& s : *data.ObdSamples) {
        text += "obd " + std::to_string(s.Index);
        for (uint8_t b : s.Status)
            text += " " + std::to_string(b);
        for (uint16_t w : s.Words)
            text += " " + std::to_string(w);
        text += "\n";
    }
    if (frames) {
        text += "# frame: Frame SampleIndex\n";
        for (size_t f = 0; f < data.FrameIndex->size(); ++f) {
            const GSensorSample* g = (*data.FrameIndex)[f];
            text +=
                "frame " + std::to_string(f) + " " + (g ? std::to_string(g->Index) : "-") + "\n";
        }
    }
    return text;
}

} // namespace

int RunSamples(const Args& args) {
    CommandArgs parsed;
    std::string error;
    if (!parsed.Parse(args, {"--json", "--frames"}, {}, "FILE", error))
        return Failure(error);
    const std::string& path = parsed.Path;
    const bool json = parsed.Has("--json");
    const bool frames = parsed.Has("--frames");
    if (path.empty())
        return Failure("usage: samples FILE [--json] [--frames]");

    EngineSession engine;
    LoadedRecording recording;
    const FrameIndexing indexing = frames ? FrameIndexing::Required : FrameIndexing::None;
    if (!LoadRecording(engine, path, indexing, recording, error))
        return Failure(error);
    const BoxScanner& data = *recording.Data;
    if (!WriteOut(json ? AsJson(data, frames) : AsText(data, frames))) {
        return Failure("cannot write the output");
    }
    return 0;
}

} // namespace kestrel::cli
