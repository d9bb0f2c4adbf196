#include "engine/BoxScanner.h"

namespace kestrel {

bool BoxScanner::Prepare() {
    Destroy();
    Granularity = platform::AllocationGranularity();
    FindLock = std::make_unique<platform::PlainNamedMutex>("hMutexFind");
    return true;
}

void BoxScanner::Destroy() {
    if (FindLock) {
        // A walk in progress holds the lock: wait for it before the lock goes away.
        FindLock->lock();
        FindLock->unlock();
        FindLock.reset();
    }
    Analysed = 0;
    FreeLists();
    CloseHandles();
    Path.clear();
    FileSize = 0;
    RecordCount = 0;
    PeakG = 0.0;
    ViewCount = 0;
    FramePeriod = FramePeriodCopy = 0.0f;
    MediaDataSizeValue = 0.0;
    MediaDataSize = 0;
    Cancel = 0;
}

bool BoxScanner::OpenFile(const std::filesystem::path& path) {
    CloseHandles();
    // An empty file cannot be mapped.
    if (!File.Open(path) || File.Size() == 0) {
        File.Close();
        return false;
    }
    FileSize = File.Size();
    Path = path;
    Granularity = platform::AllocationGranularity();
    return true;
}

void BoxScanner::CloseHandles() { File.Close(); }

void BoxScanner::FreeLists() {
    GpsSamples.reset();
    GSensorSamples.reset();
    ObdSamples.reset();
    FrameIndex.reset();
    Header = RecorderHeader{};
}

void BoxScanner::Release() {
    Analysed = 0;
    FreeLists();
    CloseHandles();
    Path.clear();
}

} // namespace kestrel
