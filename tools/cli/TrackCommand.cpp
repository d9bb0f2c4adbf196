#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunTrack(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'track' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
