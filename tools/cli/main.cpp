#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(const kestrel::cli::Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"list", kestrel::cli::RunList, "list PATH [--flat] [--tree] [--json]"},
    {"info", kestrel::cli::RunInfo, "info FILE [--json]"},
    {"samples", kestrel::cli::RunSamples, "samples FILE [--json] [--frames]"},
    {"csv", kestrel::cli::RunCsv, "csv PATH -o FOLDER [--flat] [--force]"},
    {"join", kestrel::cli::RunJoin, "join -o OUT IN1 IN2 ... [--force]"},
    {"track", kestrel::cli::RunTrack, "track PATH --format gpx|kml|geojson|csv -o OUT [--flat] [--force]"},
    {"frame", kestrel::cli::RunFrame, "frame FILE N -o OUT.jpg"},
};

int Usage() {
    std::fprintf(stderr, "usage: kestrel-cli COMMAND ...\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  kestrel-cli %s\n", c.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) {
            return c.run(kestrel::cli::Args(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "kestrel-cli: unknown command '%s'\n", argv[1]);
    return Usage();
}
