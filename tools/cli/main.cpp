#include <cstdio>

int main() {
    std::fprintf(stderr, "kestrel-cli: no command yet\n");
    return 2;
}
