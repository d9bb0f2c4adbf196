#pragma once
// Walks one recorder movie through read-only mapped views without loading it, and holds
// the recorder data decoded from it.
#include "engine/SensorSamples.h"
#include "platform/FileMapping.h"
#include "platform/MappedView.h"
#include "platform/NamedMutex.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace kestrel {

class BoxScanner {
public:
    // Zeroes every field and creates the find lock ("hMutexFind").
    bool Prepare();
    // Waits for and drops the find lock, frees the lists and closes the file.
    void Destroy();
    bool IsPrepared() const { return FindLock != nullptr; }

    // Opens the file read-only for mapping (closing a previous one).
    bool OpenFile(const std::filesystem::path& path);
    // Closes the file, keeping the decoded lists.
    void CloseHandles();
    // Destroys the three sample lists and the frame index and zeroes the header.
    void FreeLists();
    // Ends a one-off scan: clears Analysed, frees the lists, closes the file, clears Path.
    void Release();

    std::filesystem::path Path;
    uint64_t FileSize = 0;
    int32_t RecordCount = 0;
    double PeakG = 0.0;
    std::unique_ptr<GpsSampleList> GpsSamples;
    std::unique_ptr<GSensorSampleList> GSensorSamples;
    std::unique_ptr<ObdSampleList> ObdSamples;
    RecorderHeader Header;
    std::unique_ptr<FrameIndexList> FrameIndex;
    platform::FileMapping File; // the open file and its read-only mapping
    uint64_t Granularity = 0;
    int32_t ViewCount = 0;
    std::unique_ptr<platform::PlainNamedMutex> FindLock;
    float FramePeriod = 0.0f;
    float FramePeriodCopy = 0.0f;
    double MediaDataSizeValue = 0.0;
    int64_t MediaDataSize = 0;
    // Written by one thread and read by another between steps of a walk.
    std::atomic<int> Cancel{0};
    int Analysed = 0;
};

// A BoxScanner of the engine context, with the prefetch bookkeeping only the prefetch
// slot uses.
struct ScannerSlot {
    BoxScanner Scanner;
    std::atomic<int> PrefetchBusy{0};
    std::filesystem::path PendingPath;
};

} // namespace kestrel
