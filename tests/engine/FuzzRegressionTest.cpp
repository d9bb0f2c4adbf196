// Replays the inputs that once made a fuzz target fail (tests/fuzz/regressions/TARGET/)
// through the same code the target runs, so that a fixed fault stays fixed.
#include "../fuzz/FuzzHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const std::string& target) {
    const fs::path folder = fs::path(KESTREL_TEST_DATA) / ".." / "fuzz" / "regressions" / target;
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
            inputs.push_back(entry.path());
        }
    }
    return inputs;
}

std::vector<uint8_t> Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzRegressions, EveryTargetsInputsRunCleanly) {
    const struct {
        const char* Target;
        void (*Run)(const uint8_t*, size_t);
    } targets[] = {
        {"open_and_analyse", &fuzz::OpenAndAnalyse},
        {"read_header_only", &fuzz::ReadHeaderOnly},
        {"box_tree", &fuzz::LoadMergeAndWrite},
        {"record_decode", &fuzz::DecodeRecordBytes},
    };
    for (const auto& target : targets) {
        for (const fs::path& input : InputsOf(target.Target)) {
            SCOPED_TRACE(std::string(target.Target) + "/" + input.filename().string());
            const std::vector<uint8_t> bytes = Read(input);
            target.Run(bytes.data(), bytes.size());
        }
    }
}

} // namespace
} // namespace kestrel
