#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunJoin(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'join' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
