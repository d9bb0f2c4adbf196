#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunInfo(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'info' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
