#include <cstdio>

int main() {
    std::fprintf(stderr, "kestrel-mkrec: not built yet\n");
    return 2;
}
