#include "engine/MovieMeasurement.h"

#include <cmath>

namespace kestrel {

MovieMeasurement MeasureMovie(BoxScanner& scanner, const std::filesystem::path& path) {
    MovieMeasurement m;
    if (!scanner.OpenFile(path)) return m;
    m.Opened = true;

    const ScanOutputs none;
    scanner.FramePeriod = scanner.FramePeriodCopy = 0.0f;
    BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
    m.FoundFramePeriod = scanner.FindBoxByPath(stts, none) && scanner.FramePeriod > 0.0f;
    m.FramePeriodMs = scanner.FramePeriod;

    float duration = 0.0f;
    ScanOutputs durationOut;
    durationOut.DurationSeconds = &duration;
    BoxPattern moov = BoxPattern::For("moov", &BoxScanner::MoovFound);
    BoxPattern mvhd = BoxPattern::For("mvhd", &BoxScanner::ReadMovieDuration);
    m.FoundDuration = scanner.FindPattern(mvhd, &moov, durationOut) && scanner.RecordCount > 0 &&
                      duration > 0.0f;
    m.DurationSeconds = duration;

    if (m.FoundFramePeriod && m.FoundDuration) {
        const double frames = std::trunc(static_cast<double>(m.DurationSeconds) * 1000.0 /
                                         static_cast<double>(m.FramePeriodMs));
        // A duration of at most 2^32 seconds over a period of at least 1 ms stays far
        // inside 64 bits.
        m.TotalFrames = static_cast<int64_t>(frames);
    }
    scanner.Release();
    return m;
}

MovieMeasurement MeasureMovie(const std::filesystem::path& path) {
    BoxScanner scanner;
    scanner.Prepare();
    MovieMeasurement m = MeasureMovie(scanner, path);
    scanner.Destroy();
    return m;
}

} // namespace kestrel
