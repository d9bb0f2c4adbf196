#include "Commands.h"

#include <cstdio>

namespace kestrel::cli {

int RunCsv(const Args&) {
    std::fprintf(stderr, "kestrel-cli: 'csv' is not available yet\n");
    return 2;
}

} // namespace kestrel::cli
