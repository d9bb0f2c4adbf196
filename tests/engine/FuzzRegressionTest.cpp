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

TEST(FuzzRegressions, OpenAndAnalyseInputsRunCleanly) {
    for (const fs::path& input : InputsOf("open_and_analyse")) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<uint8_t> bytes = Read(input);
        fuzz::OpenAndAnalyse(bytes.data(), bytes.size());
    }
}

TEST(FuzzRegressions, ReadHeaderOnlyInputsRunCleanly) {
    for (const fs::path& input : InputsOf("read_header_only")) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<uint8_t> bytes = Read(input);
        fuzz::ReadHeaderOnly(bytes.data(), bytes.size());
    }
}

TEST(FuzzRegressions, BoxTreeInputsRunCleanly) {
    for (const fs::path& input : InputsOf("box_tree")) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<uint8_t> bytes = Read(input);
        fuzz::LoadMergeAndWrite(bytes.data(), bytes.size());
    }
}

TEST(FuzzRegressions, RecordDecodeInputsRunCleanly) {
    for (const fs::path& input : InputsOf("record_decode")) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<uint8_t> bytes = Read(input);
        fuzz::DecodeRecordBytes(bytes.data(), bytes.size());
    }
}

} // namespace
} // namespace kestrel
