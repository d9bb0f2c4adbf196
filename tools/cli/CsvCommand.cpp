// kestrel-cli csv PATH -o FOLDER [--flat] [--force]: the CSV list of the recordings of PATH.
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
    std::string path, folder;
    bool flat = false, force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size())
                return Failure("-o needs a folder");
            folder = args[i];
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
    if (path.empty() || folder.empty())
        return Failure("usage: csv PATH -o FOLDER [--flat] [--force]");

    Catalogue entries;
    std::string error;
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
