#include "platform/FileMapping.h"
#include "platform/MappedView.h"

#include "RecorderFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/mman.h>
#include <sys/wait.h>

namespace kestrel::platform {
namespace {

namespace fs = std::filesystem;

const size_t kPage = static_cast<size_t>(AllocationGranularity());

fs::path ThreePages(const fixture::TempFolder& folder, const std::string& name) {
    return folder.Write(name, fixture::Bytes(3 * kPage, 'a'));
}

// Another program (or a pulled card) cuts a file short while the viewer has it mapped: the
// pages past the new end read as zeros instead of ending the program, and the file says so.
TEST(MappedView, AFileCutShortUnderItsViewsReadsZerosAndSaysSo) {
    fixture::TempFolder folder;
    const fs::path cut = ThreePages(folder, "cut.MOV");
    const fs::path whole = ThreePages(folder, "whole.MOV");
    FileMapping file;
    FileMapping other;
    ASSERT_TRUE(file.Open(cut));
    ASSERT_TRUE(other.Open(whole));
    MappedView first;
    MappedView second;
    MappedView untouched;
    ASSERT_TRUE(first.Map(file, 0, 3 * kPage));
    ASSERT_TRUE(second.Map(file, kPage, 2 * kPage));
    ASSERT_TRUE(untouched.Map(other, 0, 3 * kPage));
    MappedView moved(std::move(second)); // the watch goes with the view
    fs::resize_file(cut, kPage + 10);

    EXPECT_EQ('a', first.Data()[kPage + 9]) << "the bytes before the new end are kept";
    EXPECT_EQ(0, first.Data()[2 * kPage + 1]);
    EXPECT_EQ(0, moved.Data()[kPage + 1]);
    EXPECT_TRUE(file.Shrunk());
    EXPECT_EQ('a', untouched.Data()[3 * kPage - 1]);
    EXPECT_FALSE(other.Shrunk());

    // A fresh open sees the new size and starts unmarked.
    ASSERT_TRUE(file.Open(cut));
    EXPECT_EQ(kPage + 10, file.Size());
    EXPECT_FALSE(file.Shrunk());
}

// The guard takes only faults inside its views: any other bus error still ends the program.
TEST(MappedViewDeathTest, OtherBusErrorsStillEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto ended = [](int status) {
        return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0);
    };
    fixture::TempFolder folder;
    const fs::path path = ThreePages(folder, "raw.MOV");
    const auto watchOne = [&] {
        FileMapping file;
        MappedView view;
        if (!file.Open(path) || !view.Map(file, 0, kPage))
            std::_Exit(0);
    };
    EXPECT_EXIT(
        {
            watchOne(); // the guard is in place from the first view on
            FileMapping file;
            if (!file.Open(path))
                std::_Exit(0);
            void* raw = ::mmap(nullptr, 3 * kPage, PROT_READ, MAP_SHARED, file.Descriptor(), 0);
            fs::resize_file(path, kPage);
            const volatile auto* bytes = static_cast<const volatile char*>(raw);
            (void)bytes[2 * kPage];
            std::_Exit(0);
        },
        ended, "");
    EXPECT_EXIT(
        {
            watchOne();
            std::raise(SIGBUS);
            std::_Exit(0);
        },
        ended, "");
}

} // namespace
} // namespace kestrel::platform
