#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunSamples(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'samples' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
