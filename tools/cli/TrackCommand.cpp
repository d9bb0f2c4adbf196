// kestrel-cli track PATH --format gpx|kml|geojson|csv -o OUT [--flat] [--force]: the driven
// track of the recordings of PATH.
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
    std::string path, output, formatName;
    bool flat = false, force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--format") {
            if (i + 1 == args.size())
                return Failure(args[i] + " needs a value");
            (args[i] == "-o" ? output : formatName) = args[i + 1];
            ++i;
        } else if (args[i] == "--flat") {
            flat = true;
        } else if (args[i] == "--force") {
            force = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Failure("unknown option " + args[i]);
        } else if (!path.empty()) {
            return Failure("more than one PATH");
        } else {
            path = args[i];
        }
    }
    if (path.empty() || output.empty() || formatName.empty()) {
        return Failure("usage: track PATH --format gpx|kml|geojson|csv -o OUT [--flat] [--force]");
    }
    const std::optional<TrackFormat> format = ParseTrackFormat(formatName);
    if (!format)
        return Failure("unknown format " + formatName);

    Catalogue entries;
    std::string error;
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
    return 0;
}

} // namespace kestrel::cli
