#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunList(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'list' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
