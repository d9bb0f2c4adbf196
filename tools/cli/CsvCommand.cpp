// kestrel-cli csv PATH -o FOLDER [--flat] [--force]: the CSV list of the recordings of PATH.
#include "CommandArgs.h"
#include "Commands.h"
#include "EngineSession.h"
#include "SourceCatalogue.h"

#include "engine/ListExport.h"

#include <cstdio>

namespace kestrel::cli {
namespace {

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli csv: %s\n", text.c_str());
    return 1;
}

} // namespace

int RunCsv(const Args& args) {
    CommandArgs parsed;
    std::string error;
    if (!parsed.Parse(args, {"--flat", "--force"}, {"-o"}, "PATH", error))
        return Failure(error);
    const std::string& path = parsed.Path;
    const std::string folder = parsed.Value("-o");
    const bool flat = parsed.Has("--flat");
    const bool force = parsed.Has("--force");
    if (path.empty() || folder.empty())
        return Failure("usage: csv PATH -o FOLDER [--flat] [--force]");

    Catalogue entries;
    if (!CatalogueOfPath(path, flat, entries, error))
        return Failure(error);
    EngineSession engine;
    if (!engine.Ok())
        return Failure("the engine cannot start");
    const CsvExportResult result = ExportCsv(engine.Context(), entries, folder, force);
    if (!result.Ok())
        return Failure(result.Error);
    std::printf("%s\n", result.File.c_str());
    return 0;
}

} // namespace kestrel::cli
