#include "platform/FileMapping.h"

#include "platform/FileError.h"

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
      path_(std::move(other.path_)), shrunk_(std::move(other.shrunk_)) {}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
        path_ = std::move(other.path_);
        shrunk_ = std::move(other.shrunk_);
    }
    return *this;
}

bool FileMapping::Open(const std::filesystem::path& path, std::string* error) {
    Close();
    // Without O_NONBLOCK a named pipe under a movie's name would hold the open until some
    // writer appears; only a regular file is mapped anyway.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (error)
            *error = FileErrorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        if (error)
            *error = FileErrorText(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error)
            *error = S_ISDIR(st.st_mode) ? FileErrorText(EISDIR) : "is not a regular file";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    path_ = path;
    shrunk_ = std::make_shared<std::atomic<bool>>(false);
    return true;
}

void FileMapping::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
    path_.clear();
    shrunk_.reset();
}

} // namespace kestrel::platform
