// The least work any catalogue of a folder tree must do, as the yardstick for
// bench/catalogue.sh: walk the folders (three levels, like the catalogue) and, for each
// file, open it and read its last 18 and first 260 bytes. Prints the number of files that
// carry the recorder's trailer and "ftyp" head.
#include <cstdio>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Accepts(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    char trailer[18];
    char head[260];
    const bool ok = ::fstat(fd, &st) == 0 && st.st_size >= 260 &&
                    ::pread(fd, trailer, sizeof trailer, st.st_size - 18) == 18 &&
                    ::pread(fd, head, sizeof head, 0) == 260 &&
                    std::memcmp(trailer, "CSNEND", 6) == 0 && std::memcmp(head + 4, "ftyp", 4) == 0;
    ::close(fd);
    return ok;
}

long Walk(const std::string& folder, int depth) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    long count = 0;
    while (const dirent* de = ::readdir(dir)) {
        const std::string name = de->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        if (de->d_type == DT_DIR) {
            if (depth < 3) count += Walk(path, depth + 1);
        } else if (Accepts(path)) {
            ++count;
        }
    }
    ::closedir(dir);
    return count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: catalogue_baseline FOLDER\n");
        return 2;
    }
    std::printf("%ld\n", Walk(argv[1], 0));
    return 0;
}
