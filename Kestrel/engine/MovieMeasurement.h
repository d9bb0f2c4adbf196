#pragma once
// The length of a movie as the player counts it: its duration from the movie header, its
// frame period from the first track's first sample delta, and the frames between them.
#include "engine/BoxScanner.h"

#include <cstdint>
#include <filesystem>

namespace kestrel {

struct MovieMeasurement {
    bool Opened = false;         // the file could be opened and mapped
    bool FoundFramePeriod = false; // an stts box with a usable first delta was found
    bool FoundDuration = false;  // an "mvhd" after "moov" with a usable timescale was found
    float DurationSeconds = 0.0f;
    float FramePeriodMs = 0.0f;  // 90000 / first delta, in whole milliseconds
    int64_t TotalFrames = 0;     // trunc(duration × 1000 / frame period); 0 when unknown
};

// Measures the movie with `scanner` (released afterwards; its FramePeriod keeps the
// measured value). A walk cancelled through the scanner leaves the measurement incomplete.
MovieMeasurement MeasureMovie(BoxScanner& scanner, const std::filesystem::path& path);
// The same with a scanner of its own.
MovieMeasurement MeasureMovie(const std::filesystem::path& path);

} // namespace kestrel
