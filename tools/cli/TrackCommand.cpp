// kestrel-cli track PATH --format gpx|kml|geojson|csv -o OUT [--flat] [--force]: the driven
// track of the recordings of PATH.
#include "CommandArgs.h"
#include "Commands.h"
#include "EngineSession.h"
#include "SourceCatalogue.h"

#include "engine/TrackExport.h"

#include <cstdio>

namespace kestrel::cli {
namespace {

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli track: %s\n", text.c_str());
    return 1;
}

} // namespace

int RunTrack(const Args& args) {
    CommandArgs parsed;
    std::string error;
    if (!parsed.Parse(args, {"--flat", "--force"}, {"-o", "--format"}, "PATH", error))
        return Failure(error);
    const std::string& path = parsed.Path;
    const std::string output = parsed.Value("-o");
    const std::string formatName = parsed.Value("--format");
    const bool flat = parsed.Has("--flat");
    const bool force = parsed.Has("--force");
    if (path.empty() || output.empty() || formatName.empty()) {
        return Failure("usage: track PATH --format gpx|kml|geojson|csv -o OUT [--flat] [--force]");
    }
    const std::optional<TrackFormat> format = ParseTrackFormat(formatName);
    if (!format)
        return Failure("unknown format " + formatName);

    Catalogue entries;
    if (!CatalogueOfPath(path, flat, entries, error))
        return Failure(error);
    EngineSession engine;
    if (!engine.Ok())
        return Failure("the engine cannot start");
    const std::string name = std::filesystem::absolute(path).filename().string();
    const TrackExportResult result =
        ExportTrack(engine.Context(), entries, output, *format, name, force);
    if (!result.Ok)
        return Failure(result.Error);
    std::printf("%s: %zu points in %zu segments\n", output.c_str(), result.Points, result.Segments);
    if (result.Skipped > 0)
        std::fprintf(stderr,
                     "kestrel-cli track: %zu recordings could not be read and are left out\n",
                     result.Skipped);
    return 0;
}

} // namespace kestrel::cli
