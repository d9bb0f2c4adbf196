#pragma once
// Walks one recorder movie through read-only mapped views without loading it, and holds
// the recorder data decoded from it.
#include "engine/SensorSamples.h"
#include "platform/FileMapping.h"
#include "platform/MappedView.h"
#include "platform/NamedMutex.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>

namespace kestrel {

class BoxScanner;

// What a walk's callback may write to, passed through by the caller. Each callback uses
// the members it needs and fails when one of them is missing.
struct ScanOutputs {
    GpsSampleList* Gps = nullptr;
    GSensorSampleList* GSensor = nullptr;
    ObdSampleList* Obd = nullptr;
    FrameIndexList* FrameIndex = nullptr;
    RecorderHeader* Header = nullptr;
    float* DurationSeconds = nullptr;
};

// Decodes the mapped window handed to it. `data` starts at the walk's data offset and ends
// at the end of the mapped window (never past the file end); it may be shorter than what
// the callback would like to read, even empty. Returns true on success; the walks count a
// completed callback whatever it returned.
using BoxCallback = bool (*)(BoxScanner& scanner, std::span<const uint8_t> data,
                             const ScanOutputs& out);

// What a walk looks for.
struct BoxPattern {
    int MatchPosition = 0;       // the byte matcher's state
    const char* Type = nullptr;  // box type or byte pattern
    int Length = 0;
    BoxCallback Callback = nullptr;
    uint64_t StartOffset = 0;    // added to every callback window's position

    static BoxPattern For(const char* type, BoxCallback callback);
};

class BoxScanner {
public:
    // Callback windows and the offsets into them that callbacks receive.
    static constexpr uint64_t kHeaderWindow = 1u << 20;        // udat header, stts, mvhd
    static constexpr uint64_t kRecordWindow = 8u << 20;        // the recorder's records
    static constexpr uint64_t kPatternScanWindow = 32u << 20;  // byte scan windows
    static constexpr uint64_t kUdatDataOffset = 14;            // past size, type and tag
    static constexpr uint64_t kSttsDataOffset = 8;             // the stts payload

    // Zeroes every field and creates the find lock ("hMutexFind").
    bool Prepare();
    // Waits for and drops the find lock, frees the lists and closes the file.
    void Destroy();
    bool IsPrepared() const { return FindLock != nullptr; }

    // Opens the file read-only for mapping (closing a previous one). An empty file cannot
    // be mapped and fails.
    bool OpenFile(const std::filesystem::path& path);
    // Closes the file, keeping the decoded lists.
    void CloseHandles();
    // Empties the three sample lists and the frame index and zeroes the header. The emptied
    // lists keep their storage for this scanner's next decode (see SpareLists).
    void FreeLists();
    // Ends a one-off scan: clears Analysed, frees the lists, closes the file, clears Path.
    void Release();

    // Maps `size` bytes at `offset`, cut so that they end at `limit` at the latest. Nothing
    // left to map fails quietly; a mapping the system refuses shows its error text in the
    // "Error Message" box and fails.
    bool MapFileView(uint64_t offset, uint64_t size, uint64_t limit, platform::MappedView& view);

    // Walks the top-level boxes for the first box of the pattern's type (the recorder's
    // "udat") and runs its callback 14 bytes into a 1 MiB window at it.
    bool FindTopLevelBox(BoxPattern& pattern, const ScanOutputs& out);
    // Walks the top-level boxes for the first box of the pattern's type that comes after
    // the first box of the precondition's type (when given), running the precondition's
    // callback on that box first. Both windows are 8 MiB; the pattern's callback gets the
    // data 14 bytes into its box, the precondition's the box from its size field.
    bool FindBoxAfter(BoxPattern& pattern, BoxPattern* precondition, const ScanOutputs& out);
    // Scans the bytes for the pattern's name after the precondition's name has been seen,
    // skipping the payload of every "mdat" box; callbacks get the bytes after the name.
    bool FindPattern(BoxPattern& pattern, BoxPattern* precondition, const ScanOutputs& out);
    // Follows moov/trak/mdia/minf/stbl/stts (the first match at each level) and runs the
    // callback on the stts payload.
    bool FindBoxByPath(BoxPattern& pattern, const ScanOutputs& out);

    // Decodes the recorder header and records of the open file into fresh lists.
    bool Analyse();
    // OpenFile + Analyse; on success the file is closed and the lists kept.
    bool OpenAndAnalyse(const std::filesystem::path& path);

    // Hands the decoded lists, header, peak, count and path of `source` to `destination`
    // (whose own lists are freed first); the source is left empty and no longer analysed.
    // Sample pointers stay valid: the lists move. The destination's emptied storage goes to
    // the source, which decodes the next file into it.
    // True when the destination then holds at least one GPS sample.
    static bool MoveResults(BoxScanner& source, BoxScanner& destination);

    // The scanner's own callbacks.
    static bool MoovFound(BoxScanner&, std::span<const uint8_t>, const ScanOutputs&);
    static bool ReadMovieDuration(BoxScanner&, std::span<const uint8_t>, const ScanOutputs&);
    static bool ReadFramePeriod(BoxScanner&, std::span<const uint8_t>, const ScanOutputs&);
    static bool ReadMediaDataSize(BoxScanner&, std::span<const uint8_t>, const ScanOutputs&);

    std::filesystem::path Path;
    uint64_t FileSize = 0;
    // Completed callbacks of the last walk; after the record walk, the number of records.
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
    // hMutexFind guards this scanner's file, mapping and walk state: held for the whole of
    // one walk by whichever thread walks (the main window's under hFileMutex, a prefetch
    // worker under hCacheFileMutex), so it comes after both in the lock order; nothing is
    // taken while it is held. A scanner that was never prepared (the loaded slot's) has
    // none and walks without it.
    std::unique_ptr<platform::PlainNamedMutex> FindLock;
    float FramePeriod = 0.0f; // milliseconds per frame as the stts walk found it
    float FramePeriodCopy = 0.0f;
    double MediaDataSizeValue = 0.0;
    int64_t MediaDataSize = 0;
    // Set by another thread to stop a walk; the walk that sees it clears it and fails.
    std::atomic<int> Cancel{0};
    int Analysed = 0;

private:
    // Lists that were emptied, kept with their capacity. A file of 65,535 records needs about
    // 13 MiB of samples; fresh storage of that size comes from the system page by page, and
    // faulting it in costs more than decoding into it. Touched only by whoever may touch the
    // scanner's lists (the same locks guard both).
    struct SpareLists {
        std::unique_ptr<GpsSampleList> Gps;
        std::unique_ptr<GSensorSampleList> GSensor;
        std::unique_ptr<ObdSampleList> Obd;
        std::unique_ptr<FrameIndexList> FrameIndex;
    };
    SpareLists spare_;

    bool TakeCancel();
    std::unique_lock<platform::PlainNamedMutex> LockForWalk();
    // Maps the callback window at `position` and runs the pattern's callback on it from
    // `dataOffset` on. False only when the window cannot be mapped.
    bool RunCallback(const BoxPattern& pattern, uint64_t position, uint64_t window,
                     uint64_t dataOffset, const ScanOutputs& out);
    // RunCallback for the box a walk was looking for, counted in RecordCount.
    bool RunCountedCallback(const BoxPattern& pattern, uint64_t position, uint64_t window,
                            uint64_t dataOffset, const ScanOutputs& out);
    // Reads the 8-byte header of the box at `position`; false when there is none left.
    bool ReadBoxHeader(uint64_t position, uint32_t& size, char type[4], bool& mapFailed);
    bool MapScanWindow(uint64_t index, platform::MappedView& view);
};

// A BoxScanner of the engine context, with the prefetch bookkeeping only the prefetch
// slot uses.
struct ScannerSlot {
    BoxScanner Scanner;
    std::atomic<int> PrefetchBusy{0};

    // The file a prefetch is working on. Written by the prefetch worker and compared by
    // LoadSensorData and IsPrefetching on the main thread, so it is only touched under its
    // own small lock, pendingLock_ (a leaf: nothing else is taken while it is held; the
    // worker takes it inside hCacheFileMutex, the main thread inside hFileMutex).
    void SetPendingPath(const std::filesystem::path& path);
    bool PendingPathIs(const std::filesystem::path& path) const;
    std::filesystem::path PendingPathCopy() const;

private:
    mutable std::mutex pendingLock_;
    std::filesystem::path pendingPath_;
};

} // namespace kestrel
