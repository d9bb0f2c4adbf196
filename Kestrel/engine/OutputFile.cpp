#include "engine/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {
namespace {

// Small writes (box headers, table payloads, text lines) are gathered; big pieces go
// straight to the file.
constexpr size_t kBufferSize = 256 * 1024;

constexpr char kIncomplete[] = ".incomplete-";
constexpr size_t kRandomLength = 6; // the XXXXXX of mkstemp

// Flushes the folder's entries to the storage.
bool SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot
    ::close(fd);
    return ok;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

OutputFile::~OutputFile() {
    Abandon();
}

bool OutputFile::Fail(const std::string& what, int err) {
    if (error_.empty()) {
        error_ = what + " " + target_.string();
        if (err != 0)
            error_ += ": " + std::string(std::strerror(err));
    }
    return false;
}

std::string OutputFile::TemporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + kIncomplete;
}

bool OutputFile::IsTemporaryName(const std::string& name) {
    const size_t marker = name.rfind(kIncomplete);
    return name.size() > 1 && name[0] == '.' && marker != std::string::npos && marker > 1 &&
           name.size() == marker + sizeof(kIncomplete) - 1 + kRandomLength;
}

void OutputFile::RemoveStaleTemporaries(const std::filesystem::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (!IsTemporaryName(e->d_name))
            continue;
        // A writer holds a lock on its file until it ends: a file nobody holds belongs to one
        // that was killed or lost its power.
        const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

bool OutputFile::Create(const std::filesystem::path& target, bool overwrite) {
    Abandon();
    error_.clear();
    written_ = 0;
    target_ = target;
    overwrite_ = overwrite;
    std::error_code ec;
    if (!overwrite && std::filesystem::symlink_status(target, ec).type() !=
                          std::filesystem::file_type::not_found) {
        return Fail("will not overwrite", EEXIST);
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    RemoveStaleTemporaries(folder);
    std::string pattern = (folder / (TemporaryPrefix(target) + "XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail("cannot create", errno);
    // Held until the file is closed: while it is, no other writer takes the file for stale.
    ::flock(fd, LOCK_EX | LOCK_NB);
    fd_ = fd;
    temporary_ = pattern;
    buffer_.reserve(kBufferSize);
    return true;
}

bool OutputFile::WriteAll(const uint8_t* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd_, data, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("cannot write", errno);
        }
        if (n == 0)
            return Fail("cannot write", EIO);
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::Flush() {
    if (buffer_.empty())
        return true;
    const bool ok = WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

bool OutputFile::Write(const void* data, size_t length) {
    if (fd_ < 0 || Failed())
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    written_ += length;
    if (buffer_.size() + length <= kBufferSize) {
        buffer_.insert(buffer_.end(), bytes, bytes + length);
        return true;
    }
    return Flush() && WriteAll(bytes, length);
}

OutputFile::CopyResult OutputFile::CopyFrom(int sourceFd, uint64_t offset, uint64_t length) {
    if (fd_ < 0 || Failed() || !Flush())
        return CopyResult::Failed;
    auto sourceOffset = static_cast<off64_t>(offset);
    uint64_t copied = 0;
    while (copied < length) {
        const ssize_t n = ::copy_file_range(sourceFd, &sourceOffset, fd_, nullptr,
                                            static_cast<size_t>(length - copied), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (copied == 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                return CopyResult::Unsupported;
            }
            Fail("cannot write", errno);
            return CopyResult::Failed;
        }
        // The source ended before the bytes its boxes promised.
        if (n == 0) {
            Fail("a source file ended early while writing", 0);
            return CopyResult::Failed;
        }
        copied += static_cast<uint64_t>(n);
        written_ += static_cast<uint64_t>(n);
    }
    return CopyResult::Done;
}

bool OutputFile::Commit() {
    if (fd_ < 0)
        return Fail("nothing was written to", 0);
    bool ok = !Failed() && Flush();
    // The temporary file was made private; the finished file gets the usual permissions.
    if (ok && ::fchmod(fd_, 0666 & ~CurrentUmask()) != 0)
        ok = Fail("cannot set up", errno);
    const std::filesystem::path folder =
        target_.parent_path().empty() ? std::filesystem::path(".") : target_.parent_path();
    // The contents and the temporary entry reach the storage before the name is given, so
    // that after a power loss either the old state or the whole file is there.
    if (ok && durable_ && (::fsync(fd_) != 0 || !SyncFolder(folder)))
        ok = Fail("cannot flush", errno);
    if (::close(fd_) != 0 && ok)
        ok = Fail("cannot write", errno);
    fd_ = -1;
    if (ok) {
        const int flags = overwrite_ ? 0 : RENAME_NOREPLACE;
        int result = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), flags);
        if (result != 0 && errno == EINVAL && !overwrite_) {
            // A file system without the no-replace rename: a new link fails just the same
            // when the name is taken.
            result = ::link(temporary_.c_str(), target_.c_str());
            if (result == 0)
                ::unlink(temporary_.c_str());
        }
        if (result != 0)
            ok = Fail(errno == EEXIST ? "will not overwrite" : "cannot create", errno);
        // The new name itself is on the storage only once the folder is flushed again.
        if (ok && durable_ && !SyncFolder(folder))
            ok = Fail("cannot flush", errno);
    }
    if (!ok) {
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    buffer_.clear();
    return ok;
}

void OutputFile::Abandon() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    buffer_.clear();
}

} // namespace kestrel
