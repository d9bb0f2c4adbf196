#include "engine/BoxScanner.h"

#include "engine/SensorDecoder.h"
#include "engine/SystemMessageBox.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace kestrel {
namespace {

constexpr uint64_t kBoxHeaderSize = 8;
// The byte scan reads the four type bytes at its position and the four size bytes before
// them, so each scan window keeps this many bytes of its neighbours mapped on both sides.
constexpr uint64_t kScanMargin = 4;

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool SameType(const uint8_t* bytes, const char* type) { return std::memcmp(bytes, type, 4) == 0; }

// One byte of the scan against a pattern: a match advances, a mismatch restarts (at 1 when
// the byte is the pattern's first character). True when the whole pattern was matched.
bool FeedMatcher(BoxPattern& pattern, uint8_t byte) {
    if (byte == static_cast<uint8_t>(pattern.Type[pattern.MatchPosition])) {
        ++pattern.MatchPosition;
    } else {
        pattern.MatchPosition = byte == static_cast<uint8_t>(pattern.Type[0]) ? 1 : 0;
    }
    if (pattern.MatchPosition == pattern.Length) {
        pattern.MatchPosition = 0;
        return true;
    }
    return false;
}

bool UsablePattern(const BoxPattern& pattern) {
    return pattern.Type != nullptr && pattern.Length > 0;
}

} // namespace

BoxPattern BoxPattern::For(const char* type, BoxCallback callback) {
    BoxPattern pattern;
    pattern.Type = type;
    pattern.Length = static_cast<int>(std::strlen(type));
    pattern.Callback = callback;
    return pattern;
}

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
    spare_ = SpareLists{};
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

namespace {

// Keeps `list` emptied as the spare unless the spare already has more room.
template <class List>
void KeepAsSpare(std::unique_ptr<List>& list, std::unique_ptr<List>& spare) {
    if (!list) return;
    list->clear();
    if (!spare || spare->capacity() < list->capacity()) spare = std::move(list);
    list.reset();
}

// Replaces `list` by an empty one, reusing the roomiest storage at hand.
template <class List>
void Renew(std::unique_ptr<List>& list, std::unique_ptr<List>& spare) {
    KeepAsSpare(list, spare);
    list = spare ? std::move(spare) : std::make_unique<List>();
}

} // namespace

void BoxScanner::FreeLists() {
    KeepAsSpare(GpsSamples, spare_.Gps);
    KeepAsSpare(GSensorSamples, spare_.GSensor);
    KeepAsSpare(ObdSamples, spare_.Obd);
    KeepAsSpare(FrameIndex, spare_.FrameIndex);
    Header = RecorderHeader{};
}

void BoxScanner::Release() {
    Analysed = 0;
    FreeLists();
    CloseHandles();
    Path.clear();
}

bool BoxScanner::MapFileView(uint64_t offset, uint64_t size, uint64_t limit,
                             platform::MappedView& view) {
    view.Unmap();
    const uint64_t usable = offset < limit ? std::min(size, limit - offset) : 0;
    // A file that became shorter while it was read is not read further.
    if (usable == 0 || File.Shrunk()) return false;
    std::string error;
    if (!view.Map(File, offset, static_cast<size_t>(usable), &error)) {
        SystemMessageBox::Show("Error Message", error);
        return false;
    }
    ++ViewCount;
    return true;
}

bool BoxScanner::TakeCancel() {
    return Cancel.load(std::memory_order_relaxed) != 0 && Cancel.exchange(0) != 0;
}

std::unique_lock<platform::PlainNamedMutex> BoxScanner::LockForWalk() {
    if (!FindLock) return {};
    return std::unique_lock(*FindLock);
}

bool BoxScanner::RunCallback(const BoxPattern& pattern, uint64_t position, uint64_t window,
                             uint64_t dataOffset, const ScanOutputs& out) {
    if (position > UINT64_MAX - pattern.StartOffset) return false;
    platform::MappedView view;
    if (!MapFileView(position + pattern.StartOffset, window, FileSize, view)) return false;
    std::span<const uint8_t> data(view.Data(), view.Size());
    data = dataOffset < data.size() ? data.subspan(static_cast<size_t>(dataOffset))
                                    : std::span<const uint8_t>{};
    if (pattern.Callback) pattern.Callback(*this, data, out);
    // What the callback decoded past the file's new end was zeros.
    return !File.Shrunk();
}

bool BoxScanner::RunCountedCallback(const BoxPattern& pattern, uint64_t position,
                                    uint64_t window, uint64_t dataOffset,
                                    const ScanOutputs& out) {
    // Counted before the callback runs: the record decoder restarts the count as its
    // running index, so afterwards it holds the number of records.
    ++RecordCount;
    if (RunCallback(pattern, position, window, dataOffset, out)) return true;
    --RecordCount;
    return false;
}

bool BoxScanner::ReadBoxHeader(uint64_t position, uint32_t& size, char type[4], bool& mapFailed) {
    mapFailed = false;
    if (position >= FileSize) return false;
    platform::MappedView view;
    if (!MapFileView(position, kBoxHeaderSize, FileSize, view)) {
        mapFailed = true;
        return false;
    }
    // A fragment shorter than a box header at the end of the file holds no box.
    if (view.Size() < kBoxHeaderSize) return false;
    size = ReadBigEndian32(view.Data());
    std::memcpy(type, view.Data() + 4, 4);
    mapFailed = File.Shrunk();
    return !mapFailed;
}

bool BoxScanner::FindTopLevelBox(BoxPattern& pattern, const ScanOutputs& out) {
    auto lock = LockForWalk();
    RecordCount = 0;
    if (!UsablePattern(pattern)) return false;
    uint64_t position = 0;
    for (;;) {
        if (TakeCancel()) return false;
        uint32_t size = 0;
        char type[4];
        bool mapFailed = false;
        if (!ReadBoxHeader(position, size, type, mapFailed)) return !mapFailed;
        if (SameType(reinterpret_cast<const uint8_t*>(type), pattern.Type)) {
            return RunCountedCallback(pattern, position, kHeaderWindow, kUdatDataOffset, out);
        }
        // Sizes 0 (to the end of the file) and 1 (a 64-bit size follows) and broken sizes
        // below a header cannot be followed: no further box can be found.
        if (size < kBoxHeaderSize) return true;
        position += size;
    }
}

bool BoxScanner::FindBoxAfter(BoxPattern& pattern, BoxPattern* precondition,
                              const ScanOutputs& out) {
    auto lock = LockForWalk();
    RecordCount = 0;
    if (!UsablePattern(pattern) || (precondition && !UsablePattern(*precondition))) return false;
    bool preconditionMet = precondition == nullptr;
    uint64_t position = 0;
    for (;;) {
        if (TakeCancel()) return false;
        uint32_t size = 0;
        char type[4];
        bool mapFailed = false;
        if (!ReadBoxHeader(position, size, type, mapFailed)) return !mapFailed;
        const auto* typeBytes = reinterpret_cast<const uint8_t*>(type);
        if (!preconditionMet) {
            if (SameType(typeBytes, precondition->Type)) {
                if (!RunCallback(*precondition, position, kRecordWindow, 0, out)) return false;
                preconditionMet = true;
            }
        } else if (SameType(typeBytes, pattern.Type)) {
            return RunCountedCallback(pattern, position, kRecordWindow, kUdatDataOffset, out);
        }
        if (size < kBoxHeaderSize) return true;
        position += size;
    }
}

bool BoxScanner::FindBoxByPath(BoxPattern& pattern, const ScanOutputs& out) {
    static constexpr std::array<const char*, 6> kPath{"moov", "trak", "mdia",
                                                      "minf", "stbl", "stts"};
    auto lock = LockForWalk();
    RecordCount = 0;
    size_t level = 0;
    uint64_t position = 0;
    for (;;) {
        if (TakeCancel()) return false;
        uint32_t size = 0;
        char type[4];
        bool mapFailed = false;
        if (!ReadBoxHeader(position, size, type, mapFailed)) return !mapFailed;
        if (SameType(reinterpret_cast<const uint8_t*>(type), kPath[level])) {
            if (level + 1 == kPath.size()) {
                if (!pattern.Callback) return false;
                return RunCountedCallback(pattern, position, kHeaderWindow, kSttsDataOffset,
                                          out);
            }
            ++level;
            position += kBoxHeaderSize;
            continue;
        }
        if (size < kBoxHeaderSize) return true;
        position += size;
    }
}

bool BoxScanner::MapScanWindow(uint64_t index, platform::MappedView& view) {
    const uint64_t start = index * kPatternScanWindow;
    const uint64_t from = start >= kScanMargin ? start - kScanMargin : 0;
    return MapFileView(from, start + kPatternScanWindow + kScanMargin - from, FileSize, view);
}

bool BoxScanner::FindPattern(BoxPattern& pattern, BoxPattern* precondition,
                             const ScanOutputs& out) {
    auto lock = LockForWalk();
    RecordCount = 0;
    if (!UsablePattern(pattern) || (precondition && !UsablePattern(*precondition))) return false;
    pattern.MatchPosition = 0;
    if (precondition) precondition->MatchPosition = 0;
    bool preconditionMet = precondition == nullptr;

    platform::MappedView window;
    uint64_t windowIndex = 0;
    if (!MapScanWindow(windowIndex, window)) return false;
    // Every byte the scan reads lies inside the window thanks to its margins.
    auto byteAt = [&](uint64_t position) {
        return window.Data()[position - window.Offset()];
    };

    uint64_t position = 0;
    while (position < FileSize) {
        if (TakeCancel()) return false;
        if (position / kPatternScanWindow != windowIndex) {
            windowIndex = position / kPatternScanWindow;
            if (!MapScanWindow(windowIndex, window)) return false;
        }
        // Media payloads are skipped by the size of their box: the position moves to the
        // type field of the box that follows.
        if (position >= 4 && FileSize - position >= 4 && byteAt(position) == 'm' &&
            byteAt(position + 1) == 'd' && byteAt(position + 2) == 'a' &&
            byteAt(position + 3) == 't') {
            const uint32_t size = (uint32_t{byteAt(position - 4)} << 24) |
                                  (uint32_t{byteAt(position - 3)} << 16) |
                                  (uint32_t{byteAt(position - 2)} << 8) | byteAt(position - 1);
            if (size >= kBoxHeaderSize) {
                position += size;
                continue;
            }
        }
        const uint8_t byte = byteAt(position);
        if (!preconditionMet) {
            if (FeedMatcher(*precondition, byte)) {
                preconditionMet = true;
                RunCallback(*precondition, position + 1, kHeaderWindow, 0, out);
            }
        } else if (FeedMatcher(pattern, byte)) {
            return RunCountedCallback(pattern, position + 1, kHeaderWindow, 0, out);
        }
        ++position;
    }
    return true;
}

bool BoxScanner::Analyse() {
    Renew(GpsSamples, spare_.Gps);
    Renew(GSensorSamples, spare_.GSensor);
    Renew(ObdSamples, spare_.Obd);
    Renew(FrameIndex, spare_.FrameIndex);
    ScanOutputs out;
    out.Gps = GpsSamples.get();
    out.GSensor = GSensorSamples.get();
    out.Obd = ObdSamples.get();
    out.FrameIndex = FrameIndex.get();
    out.Header = &Header;

    BoxPattern header = BoxPattern::For("udat", &DecodeHeader);
    if (!FindTopLevelBox(header, out)) return false;
    BoxPattern mediaData = BoxPattern::For("mdat", &ReadMediaDataSize);
    BoxPattern records = BoxPattern::For("udat", &DecodeRecords);
    return FindBoxAfter(records, &mediaData, out);
}

bool BoxScanner::OpenAndAnalyse(const std::filesystem::path& path) {
    Analysed = 0;
    ViewCount = 0;
    if (OpenFile(path) && Analyse()) {
        CloseHandles();
        Analysed = 1;
        return true;
    }
    FreeLists();
    CloseHandles();
    Path.clear();
    return false;
}

bool BoxScanner::MoveResults(BoxScanner& source, BoxScanner& destination) {
    destination.FreeLists();
    std::swap(source.spare_, destination.spare_);
    destination.RecordCount = std::exchange(source.RecordCount, 0);
    destination.GpsSamples = std::move(source.GpsSamples);
    destination.GSensorSamples = std::move(source.GSensorSamples);
    destination.ObdSamples = std::move(source.ObdSamples);
    destination.FrameIndex = std::move(source.FrameIndex);
    destination.Header = std::exchange(source.Header, RecorderHeader{});
    destination.PeakG = std::exchange(source.PeakG, 0.0);
    destination.Path = std::move(source.Path);
    source.Path.clear();
    source.Analysed = 0; // it holds nothing any more
    return destination.GpsSamples && !destination.GpsSamples->empty();
}

bool BoxScanner::MoovFound(BoxScanner&, std::span<const uint8_t>, const ScanOutputs&) {
    return true;
}

bool BoxScanner::ReadMovieDuration(BoxScanner&, std::span<const uint8_t> data,
                                   const ScanOutputs& out) {
    // A version-0 movie header: version and flags, two times, then timescale and duration.
    if (!out.DurationSeconds || data.size() < 20) return false;
    const uint32_t timescale = ReadBigEndian32(data.data() + 12);
    const uint32_t duration = ReadBigEndian32(data.data() + 16);
    if (timescale == 0) return false;
    *out.DurationSeconds = static_cast<float>(static_cast<double>(duration) / timescale);
    return true;
}

bool BoxScanner::ReadFramePeriod(BoxScanner& scanner, std::span<const uint8_t> data,
                                 const ScanOutputs&) {
    // The first entry's sample delta, in the 90 kHz clock the recorder's video uses.
    if (data.size() < 16) return false;
    const uint32_t delta = ReadBigEndian32(data.data() + 12);
    if (delta == 0) return false;
    scanner.FramePeriod = static_cast<float>(90000u / delta);
    scanner.FramePeriodCopy = scanner.FramePeriod;
    return true;
}

bool BoxScanner::ReadMediaDataSize(BoxScanner& scanner, std::span<const uint8_t> data,
                                   const ScanOutputs&) {
    if (data.size() < 4) return false;
    const uint32_t size = ReadBigEndian32(data.data());
    scanner.MediaDataSize = size;
    scanner.MediaDataSizeValue = size;
    return true;
}

void ScannerSlot::SetPendingPath(const std::filesystem::path& path) {
    std::lock_guard lock(pendingLock_);
    pendingPath_ = path;
}

bool ScannerSlot::PendingPathIs(const std::filesystem::path& path) const {
    std::lock_guard lock(pendingLock_);
    return pendingPath_.native() == path.native();
}

std::filesystem::path ScannerSlot::PendingPathCopy() const {
    std::lock_guard lock(pendingLock_);
    return pendingPath_;
}

} // namespace kestrel
