#pragma once
// What the fuzz targets run on one input, shared with the test that replays the inputs
// that once failed. The bytes become a real file (an anonymous in-memory one) so that the
// engine's own open, mapping and walks are exercised.
#include "engine/BoxScanner.h"
#include "engine/FrameIndexBuilder.h"
#include "engine/MovieMeasurement.h"
#include "engine/RecorderHeaderReader.h"
#include "engine/VehicleValues.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace kestrel::fuzz {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(::memfd_create("kestrel-fuzz", MFD_CLOEXEC)) {
        size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::filesystem::path Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// Frames indexed per input: enough for every layout, small enough to keep inputs fast.
inline constexpr int64_t kFuzzFrameCap = 100000;

// Decoding as the viewer does it for a recording it shows: analyse, measure, index, and
// read what the views read.
inline void OpenAndAnalyse(const uint8_t* data, size_t size) {
    const MemoryFile file(data, size);
    BoxScanner scanner;
    scanner.Prepare();
    if (scanner.OpenAndAnalyse(file.Path())) {
        const MovieMeasurement m = MeasureMovie(file.Path());
        scanner.FramePeriod = m.FramePeriodMs;
        if (BuildFrameIndex(scanner, std::min(m.TotalFrames, kFuzzFrameCap))) {
            ExtendedVehicleValues extended;
            for (const GSensorSample* g : *scanner.FrameIndex) {
                if (!g || !g->LinkedObd || !g->LinkedGps) continue;
                volatile int32_t sink = VehicleValues::IntakePressure(*g->LinkedObd) +
                                        VehicleValues::CoolantTemperature(*g->LinkedObd) +
                                        static_cast<int32_t>(g->LinkedGps->Valid);
                (void)sink;
                extended.Update(scanner.Header.VehicleData, *g->LinkedObd);
            }
        }
        (void)FirmwareVersionText(scanner.Header);
    }
    scanner.Destroy();
}

inline void ReadHeaderOnly(const uint8_t* data, size_t size) {
    const MemoryFile file(data, size);
    RecorderHeader header;
    if (kestrel::ReadHeaderOnly(nullptr, file.Path(), header)) (void)FirmwareVersionText(header);
}

} // namespace kestrel::fuzz
