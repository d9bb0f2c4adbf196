#include "platform/FileMapping.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrel::platform {

uint64_t AllocationGranularity() {
    static const uint64_t granularity = [] {
        long page = sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<uint64_t>(page) : uint64_t{4096};
    }();
    return granularity;
}

FileMapping::~FileMapping() { Close(); }

FileMapping::FileMapping(FileMapping&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)),
      path_(std::move(other.path_)) {}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool FileMapping::Open(const std::filesystem::path& path, std::string* error) {
    Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = S_ISDIR(st.st_mode) ? "Is a directory" : std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    path_ = path;
    return true;
}

void FileMapping::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
    path_.clear();
}

} // namespace kestrel::platform
