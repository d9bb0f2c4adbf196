#include "RecordingLoader.h"

#include "engine/RecordingCatalogue.h"
#include "engine/SensorCache.h"

#include <charconv>
#include <cstdio>

namespace kestrel::cli {

bool LoadRecording(EngineSession& engine, const std::filesystem::path& file,
                   FrameIndexing indexing, LoadedRecording& out, std::string& error) {
    error = RecorderFileProblem(file);
    if (!error.empty())
        return false;
    if (!engine.Ok()) {
        error = "the engine cannot start";
        return false;
    }
    EngineContext& ctx = engine.Context();
    out.Movie = MeasureMovie(file);
    ctx.FramePeriodMs = out.Movie.FramePeriodMs;
    ctx.Loaded.Scanner.FramePeriod = out.Movie.FramePeriodMs;
    ctx.Loaded.Scanner.FramePeriodCopy = out.Movie.FramePeriodMs;
    const int64_t frames = indexing == FrameIndexing::None ? 0 : out.Movie.TotalFrames;
    out.Indexed = LoadSensorDataWithFrames(ctx, file, frames) != 0;
    if (!ctx.Loaded.Scanner.GpsSamples) {
        error = file.string() + " is damaged: its recorder data cannot be read";
        return false;
    }
    if (indexing == FrameIndexing::Required && !out.Indexed) {
        error = file.string() +
                " is damaged: its frames cannot be counted (it has no length or frame rate)";
        return false;
    }
    out.Data = &ctx.Loaded.Scanner;
    return true;
}

std::string FormatDateTime(const DateTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.Year},
                  unsigned{time.Month}, unsigned{time.Day}, unsigned{time.Hour},
                  unsigned{time.Minute}, unsigned{time.Second});
    return text;
}

double ShortestOfFloat(double value) {
    char text[32];
    const auto printed = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    double shortest = value;
    std::from_chars(text, printed.ptr, shortest);
    return shortest;
}

bool WriteOut(const std::string& text) {
    const size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
    return written == text.size() && std::fflush(stdout) == 0;
}

} // namespace kestrel::cli
