#pragma once
// What the fuzz targets run on one input, shared with the test that replays the inputs
// that once failed. The bytes become a real file (an anonymous in-memory one) so that the
// engine's own open, mapping and walks are exercised.
#include "engine/BoxScanner.h"
#include "engine/BoxTree.h"
#include "engine/BoxTreeMerger.h"
#include "engine/BoxTreeWriter.h"
#include "engine/FrameIndexBuilder.h"
#include "engine/MovieMeasurement.h"
#include "engine/OutputFile.h"
#include "engine/RecorderHeaderReader.h"
#include "engine/VehicleValues.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// A folder of its own for the outputs of one process, removed at its end.
inline const std::filesystem::path& OutputFolder() {
    struct Folder {
        std::filesystem::path Path;
        Folder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-fuzz-XXXXXX");
            if (const char* made = ::mkdtemp(pattern.data()))
                Path = made;
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(Path, ec);
        }
    };
    static const Folder folder;
    return folder.Path;
}

// The list export's and the join's use of a movie's box tree: loaded, asked for what the
// export prints, merged with a second tree of the same file (same layout, so the merge goes
// all the way) and written out.
inline void LoadMergeAndWrite(const uint8_t* data, size_t size) {
    const MemoryFile file(data, size);
    std::unique_ptr<BoxTree> first = LoadBoxTree(file.Path(), true);
    if (!first)
        return;
    volatile int64_t sink = VideoSizeOf(*first).Width + FrameCountOf(*first);
    (void)sink;
    (void)FrameRateOf(*first);
    DateTime start;
    (void)FirstRecordTime(*first, start);
    std::unique_ptr<BoxTree> next = LoadBoxTree(file.Path(), true);
    if (!next || !MergeBoxTrees(*first, *next))
        return;
    OutputFile out;
    const std::filesystem::path target = OutputFolder() / "joined.MOV";
    if (out.Create(target, true) && WriteBoxTree(*first, out)) {
        out.Commit();
    } else {
        out.Abandon();
    }
    std::error_code ec;
    std::filesystem::remove(target, ec);
}

// Arbitrary bytes as the recorder's header and records, inside a movie that is otherwise
// well formed, decoded as the viewer decodes a recording it shows.
inline void DecodeRecordBytes(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 28;
    constexpr size_t kRecord = 124;
    std::vector<uint8_t> header(kHeader, ' ');
    std::copy_n(data, std::min(size, kHeader), header.begin());
    const size_t records =
        size > kHeader ? std::min<size_t>((size - kHeader) / kRecord, 0xFFFF) : 0;
    std::vector<uint8_t> movie;
    const auto put32 = [&](size_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            movie.push_back(static_cast<uint8_t>(v >> shift));
    };
    const auto put = [&](const char* text, size_t n) { movie.insert(movie.end(), text, text + n); };
    put32(20);
    put("ftypqt  ", 8);
    put32(0x200);
    put("qt  ", 4);
    put32(16);
    put("mdat", 4);
    put32(0);
    put32(0);
    const size_t payload = 6 + kHeader + 2 + records * kRecord + 18;
    put32(8 + payload);
    put("udatCSNDAT", 10);
    movie.insert(movie.end(), header.begin(), header.end());
    movie.push_back(static_cast<uint8_t>(records >> 8));
    movie.push_back(static_cast<uint8_t>(records));
    if (records > 0)
        movie.insert(movie.end(), data + kHeader, data + kHeader + records * kRecord);
    put("CSNEND", 6);
    movie.resize(movie.size() + 12, 0);
    OpenAndAnalyse(movie.data(), movie.size());
    ReadHeaderOnly(movie.data(), movie.size());
}

} // namespace kestrel::fuzz
