#include "platform/MappedView.h"

#include "platform/MappingFaultGuard.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace kestrel::platform {

MappedView::~MappedView() { Unmap(); }

MappedView::MappedView(MappedView&& other) noexcept { *this = std::move(other); }

MappedView& MappedView::operator=(MappedView&& other) noexcept {
    if (this != &other) {
        Unmap();
        base_ = std::exchange(other.base_, nullptr);
        mappedLength_ = std::exchange(other.mappedLength_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        offset_ = std::exchange(other.offset_, 0);
        distance_ = std::exchange(other.distance_, 0);
        shrunk_ = std::move(other.shrunk_);
        watch_ = std::exchange(other.watch_, -1);
    }
    return *this;
}

bool MappedView::Map(const FileMapping& file, uint64_t offset, size_t length, std::string* error) {
    Unmap();
    if (!file.IsOpen() || length == 0 || offset > file.Size() || length > file.Size() - offset) {
        if (error) *error = "The requested range lies outside the file";
        return false;
    }
    const uint64_t distance = offset % AllocationGranularity();
    const uint64_t start = offset - distance;
    const size_t mapped = static_cast<size_t>(distance) + length;
    void* base = ::mmap(nullptr, mapped, PROT_READ, MAP_SHARED, file.Descriptor(),
                        static_cast<off_t>(start));
    if (base == MAP_FAILED) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    base_ = base;
    mappedLength_ = mapped;
    data_ = static_cast<const uint8_t*>(base) + distance;
    size_ = length;
    offset_ = offset;
    distance_ = distance;
    shrunk_ = file.ShrunkMark();
    watch_ = MappingFaultGuard::Watch(base, mapped, shrunk_.get());
    return true;
}

void MappedView::Unmap() {
    // The watch ends first: once unmapped, the addresses may be mapped again by others.
    MappingFaultGuard::Forget(std::exchange(watch_, -1));
    if (base_) ::munmap(base_, mappedLength_);
    shrunk_.reset();
    base_ = nullptr;
    mappedLength_ = 0;
    data_ = nullptr;
    size_ = 0;
    offset_ = 0;
    distance_ = 0;
}

} // namespace kestrel::platform
