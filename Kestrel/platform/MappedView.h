#pragma once
// One read-only view of a FileMapping, unmapped when the object goes away.
#include "platform/FileMapping.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrel::platform {

class MappedView {
public:
    MappedView() = default;
    ~MappedView();
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    MappedView(MappedView&& other) noexcept;
    MappedView& operator=(MappedView&& other) noexcept;

    // Maps `length` bytes at `offset` (any offset: the view starts at the granularity
    // boundary below it). The range must lie inside the file; a zero length, a range past
    // the end or a failed mmap fails, with the system's text in `error`. Pages past the end of
    // a file that shrinks while it is mapped read as zeros, and the file's Shrunk() tells so.
    bool Map(const FileMapping& file, uint64_t offset, size_t length, std::string* error = nullptr);
    void Unmap();

    bool IsMapped() const { return base_ != nullptr; }
    // The byte at the requested offset, and how many bytes follow it in the view.
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    uint64_t Offset() const { return offset_; }
    // Distance between the aligned view start and the requested byte.
    uint64_t Distance() const { return distance_; }

private:
    void* base_ = nullptr;
    size_t mappedLength_ = 0;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    uint64_t offset_ = 0;
    uint64_t distance_ = 0;
    std::shared_ptr<std::atomic<bool>> shrunk_; // the file's mark, kept alive while watched
    int watch_ = -1;                            // the fault guard's ticket
};

} // namespace kestrel::platform
