// Decoding a recording's 65,535 records (about 8 MiB of the recorder's data) against a
// plain read of the same bytes, in one run. The goal is decoding within 4x of the read.
//
// Usage: build/bin/sensor_decode [google-benchmark options]
// The recording is made with kestrel-mkrec from the same build folder.
#if __has_include(<benchmark/benchmark.h>)
#include "engine/BoxScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Recording {
    fs::path Folder;
    fs::path File;
    uint64_t UdatOffset = 0;
    uint64_t UdatBytes = 0;
};

Recording g_recording;

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Where the "udat" box lies: a walk over the top-level boxes.
bool LocateUdat(Recording& r) {
    std::ifstream in(r.File, std::ios::binary);
    const uint64_t size = fs::file_size(r.File);
    for (uint64_t at = 0; at + 8 <= size;) {
        unsigned char head[8];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(head), 8)) return false;
        const uint32_t boxSize = BigEndian32(head);
        if (std::string(reinterpret_cast<char*>(head) + 4, 4) == "udat") {
            r.UdatOffset = at;
            r.UdatBytes = size - at;
            return true;
        }
        if (boxSize < 8) return false;
        at += boxSize;
    }
    return false;
}

bool MakeRecording(Recording& r) {
    char pattern[] = "/tmp/kestrel-bench-XXXXXX";
    if (!mkdtemp(pattern)) return false;
    r.Folder = pattern;
    r.File = r.Folder / "240501_083000_A.MOV";
    const fs::path mkrec = fs::read_symlink("/proc/self/exe").parent_path() / "kestrel-mkrec";
    const std::string command = "'" + mkrec.string() + "' movie '" + r.File.string() +
                                "' --seconds 1 --size 320x180 --no-audio --records 65535";
    return std::system(command.c_str()) == 0 && LocateUdat(r);
}

void ReadRecordBytes(benchmark::State& state) {
    std::vector<char> buffer(g_recording.UdatBytes);
    for (auto _ : state) {
        const int fd = ::open(g_recording.File.c_str(), O_RDONLY | O_CLOEXEC);
        size_t done = 0;
        while (fd >= 0 && done < buffer.size()) {
            const ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(g_recording.UdatOffset + done));
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        if (fd >= 0) ::close(fd);
        if (done != buffer.size()) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

void DecodeRecords(benchmark::State& state) {
    kestrel::BoxScanner scanner;
    scanner.Prepare();
    for (auto _ : state) {
        if (!scanner.OpenAndAnalyse(g_recording.File) || scanner.RecordCount != 65535) {
            state.SkipWithError("the recording did not decode");
            break;
        }
        benchmark::DoNotOptimize(scanner.GpsSamples->data());
        scanner.Release();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_recording.UdatBytes));
    scanner.Destroy();
}

BENCHMARK(ReadRecordBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeRecords)->Unit(benchmark::kMillisecond);

// Prints the reports as usual and then the ratio the goal is about.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (times_.count("ReadRecordBytes") && times_.count("DecodeRecords")) {
            std::printf("decode / plain read = %.2f (goal: at most 4)\n",
                        times_["DecodeRecords"] / times_["ReadRecordBytes"]);
        }
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!MakeRecording(g_recording)) {
        std::fprintf(stderr, "sensor_decode: cannot make the recording with kestrel-mkrec\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_recording.Folder, ignored);
    return 0;
}
#else
#include <cstdio>
int main() {
    std::fprintf(stderr, "sensor_decode: built without Google Benchmark\n");
    return 1;
}
#endif
