// kestrel-mkrec: makes recorder movies and a demo card for tests, benchmarks and the demo.
#include "mkrec/CommandLine.h"
#include "mkrec/RecordsJson.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace kestrel::mkrec;

int RunMovie(const std::vector<std::string>& args) {
    const MovieCommand c = ParseMovieCommand(args);
    const MovieSummary s = MakeMovie(c.Options, c.Out);
    if (!c.RecordsJson.empty()) {
        try {
            WriteFileAtomically(c.RecordsJson, RecordsJson(s));
        } catch (...) {
            // The movie and its description come as a pair or not at all.
            std::error_code ignored;
            std::filesystem::remove(c.Out, ignored);
            throw;
        }
    }
    std::printf("%s: %d frames %dx%d, %.3f s, %zu records, %llu bytes\n", c.Out.c_str(), s.Frames,
                s.Width, s.Height, s.Seconds, s.Udat.Records.size(),
                static_cast<unsigned long long>(s.Bytes));
    return 0;
}

int RunCard(const std::vector<std::string>& args) {
    const CardCommand c = ParseCardCommand(args);
    const std::vector<CardFile> made = MakeCard(c.Options, c.Dir);
    for (const CardFile& f : made) {
        std::printf("%s: kind %c, %d records\n", (c.Dir / f.Path).c_str(), f.Kind, f.Records);
    }
    std::printf("%s: DCIM/102_EMPTY (empty), DCIM/103_TEXT/README.TXT (no recordings)\n",
                c.Dir.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (std::strcmp(argv[1], "movie") == 0) return RunMovie(args);
        if (std::strcmp(argv[1], "card") == 0) return RunCard(args);
        std::fprintf(stderr, "kestrel-mkrec: unknown command '%s' (commands: movie, card)\n", argv[1]);
        return 2;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "kestrel-mkrec: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrel-mkrec: %s\n", e.what());
        return 1;
    }
}
