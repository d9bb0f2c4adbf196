#pragma once
// A read-only file opened for mapping views of it: the POSIX stand-in for a file handle
// with a read-only file mapping. Views are made by MappedView.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace kestrel::platform {

// Offsets of views must be multiples of this (the page size).
uint64_t AllocationGranularity();

class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;
    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;

    // Opens the file for reading; fails for a missing file or one that is not a regular file.
    // On failure `error` (when given) receives the system's text.
    bool Open(const std::filesystem::path& path, std::string* error = nullptr);
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    uint64_t Size() const { return size_; }
    const std::filesystem::path& Path() const { return path_; }
    // The file became shorter than Size() while a view of it was read: what the views read
    // past its new end were zeros, so nothing read from it since it was opened can be trusted.
    bool Shrunk() const { return shrunk_ && shrunk_->load(std::memory_order_relaxed); }
    // The mark its views set; shared, so that a view may outlive a move of the file.
    const std::shared_ptr<std::atomic<bool>>& ShrunkMark() const { return shrunk_; }

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::filesystem::path path_;
    std::shared_ptr<std::atomic<bool>> shrunk_;
};

} // namespace kestrel::platform
