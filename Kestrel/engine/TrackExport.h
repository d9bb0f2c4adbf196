#pragma once
// Export of the driven track of a list of recordings as GPX 1.1, KML 2.2, GeoJSON or CSV.
// Only positions with a fix are written; the track is split where the fix was lost and where
// a recording starts after a gap in time.
#include "engine/DateTime.h"
#include "engine/EngineContext.h"
#include "engine/RecordingEntry.h"
#include "engine/SensorSamples.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class TrackFormat { Gpx, Kml, GeoJson, Csv };

std::optional<TrackFormat> ParseTrackFormat(std::string_view name);

struct TrackPoint {
    double Latitude = 0.0;
    double Longitude = 0.0;
    double SpeedKmh = 0.0;
    DateTime LocalTime; // zero when the recorder's time could not be read
};
using TrackSegment = std::vector<TrackPoint>;

// A recording that starts more than this after the previous record (or before it) starts a
// new segment.
inline constexpr int kTrackGapSeconds = 2;

// The segments of an all-files track (records of several recordings in order, each
// recording's record numbers starting at 0).
std::vector<TrackSegment> SplitTrack(const GpsSampleList& samples);

// The local wall-clock time as UTC in ISO 8601 ("2024-05-01T14:59:42Z"); empty when zero.
std::string UtcIsoTime(const DateTime& local);

// The whole document in the format; `name` names the track.
std::string FormatTrack(const std::vector<TrackSegment>& segments, TrackFormat format,
                        std::string_view name);

struct TrackExportResult {
    bool Ok = false;
    std::string Error;
    size_t Points = 0;
    size_t Segments = 0;
    size_t Skipped = 0; // recordings that could not be read
};

// Builds the engine's all-files track of `entries` and writes it to `output` (complete or not
// at all; an existing file is replaced only with `overwrite`).
TrackExportResult ExportTrack(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                              const std::filesystem::path& output, TrackFormat format,
                              std::string_view name, bool overwrite);

} // namespace kestrel
