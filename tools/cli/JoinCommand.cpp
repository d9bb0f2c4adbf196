#include "Commands.h"
#include "EngineSession.h"

#include "engine/RecordingJoiner.h"

#include <cstdio>

namespace kestrel::cli {
namespace {

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli join: %s\n", text.c_str());
    return 1;
}

} // namespace

int RunJoin(const Args& args) {
    JoinRequest request;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size())
                return Failure("-o needs a file name");
            request.Output = args[i];
        } else if (args[i] == "--force") {
            request.Overwrite = true;
        } else if (args[i] == "--no-flush") {
            request.Flush = false;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Failure("unknown option " + args[i]);
        } else {
            request.Inputs.emplace_back(args[i]);
        }
    }
    if (request.Output.empty())
        return Failure("no output given (-o OUT)");
    if (request.Inputs.size() < 2)
        return Failure("give at least two recordings to join");

    EngineSession engine;
    if (!engine.Ok())
        return Failure("the engine cannot start");
    const JoinResult result = JoinRecordings(request, [](int64_t done, int64_t total) {
        std::fprintf(stderr, "join: %lld/%lld\n", static_cast<long long>(done),
                     static_cast<long long>(total));
    });
    if (!result.Ok)
        return Failure(result.Error);
    std::printf("%s\n", request.Output.c_str());
    return 0;
}

} // namespace kestrel::cli
