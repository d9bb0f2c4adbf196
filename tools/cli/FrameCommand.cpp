#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunFrame(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'frame' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
