#include "MiniMovie.h"

#include "engine/BoxTree.h"
#include "engine/BoxTreeMerger.h"
#include "engine/BoxTreeWriter.h"
#include "engine/RecordingJoiner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::MiniMovie;
using testing::TempFolder;

// Movies that differ in their media, record bytes and sizes, in join order.
std::vector<MiniMovie> Movies(size_t count) {
    std::vector<MiniMovie> movies(count);
    for (size_t i = 0; i < count; ++i) {
        movies[i].MediaPayload = i == 0 ? 1000 : 500 + 40 * static_cast<uint32_t>(i);
        movies[i].Samples = 3 + static_cast<uint32_t>(i % 3);
        movies[i].Sync = {1, 2};
        movies[i].Records = 2 + static_cast<uint32_t>(i);
        movies[i].MediaFill = static_cast<char>('a' + i);
        movies[i].RecordFill = static_cast<char>('A' + i);
    }
    return movies;
}

std::vector<fs::path> WriteAll(const TempFolder& dir, const std::vector<MiniMovie>& movies) {
    std::vector<fs::path> paths;
    for (size_t i = 0; i < movies.size(); ++i) {
        paths.push_back(dir / ("in" + std::to_string(i) + ".MOV"));
        movies[i].Write(paths.back());
    }
    return paths;
}

uint32_t Table32(const BoxNode& node, size_t at) {
    const std::vector<uint8_t>& p = *node.Payload;
    return (uint32_t{p[at]} << 24) | (uint32_t{p[at + 1]} << 16) | (uint32_t{p[at + 2]} << 8) |
           p[at + 3];
}

TEST(MergeBoxTrees, AppendsMediaTablesAndRecords) {
    TempFolder dir;
    std::vector<MiniMovie> movies = Movies(2);
    movies[0].Samples = 4;
    movies[1].MediaPayload = 500;
    movies[1].Samples = 4;
    const std::vector<fs::path> paths = WriteAll(dir, movies);
    auto a = LoadBoxTree(paths[0], true);
    auto b = LoadBoxTree(paths[1], true);
    ASSERT_TRUE(a && b);
    std::string error;
    ASSERT_TRUE(MergeBoxTrees(*a, *b, &error)) << error;

    // Media payloads of 1000 and 500 bytes give 1492; the second file's chunks move by 992.
    EXPECT_EQ(1492u, a->Mdat[0]->PayloadSize);
    const BoxNode& stco = *a->Stco[0];
    ASSERT_EQ(4u + 4u, Table32(stco, 4));
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Table32(*b->Stco[0], 8 + 4 * i) + 992, Table32(stco, 8 + 4 * (4 + i)));
    }
    // Sample sizes appended, sample count summed.
    EXPECT_EQ(8u, Table32(*a->Stsz[0], 8));
    EXPECT_EQ(movies[1].SampleSize(3), Table32(*a->Stsz[0], 12 + 4 * 7));
    // Sync samples of the second file count on from the first file's 4 samples.
    EXPECT_EQ(4u, Table32(*a->Stss[0], 4));
    EXPECT_EQ(5u, Table32(*a->Stss[0], 16));
    EXPECT_EQ(6u, Table32(*a->Stss[0], 20));
    // Durations and the frame count add up.
    const uint32_t duration = 8 * 3000;
    EXPECT_EQ(duration, Table32(*a->Mvhd[0], 16));
    EXPECT_EQ(duration, Table32(*a->Tkhd[0], 20));
    EXPECT_EQ(duration, Table32(*a->Elst[0], 8));
    EXPECT_EQ(duration, Table32(*a->Mdhd[0], 16));
    EXPECT_EQ(8u, Table32(*a->Stts[0], 8));
    EXPECT_EQ(3000u, Table32(*a->Stts[0], 12));
    // Records: 2 + 3.
    EXPECT_EQ(5u, a->Udat[0]->MergedRecordCount);
    EXPECT_EQ(8, FrameCountOf(*a));
}

// The joined file's media and recorder boxes, built from the parts of the inputs: the first
// file's media whole, every further file's without its 8 leading bytes; the records in
// order under the first file's header and trailer.
struct JoinedBoxes {
    std::string Mdat;
    std::string Udat;
};

JoinedBoxes ExpectedJoin(const std::vector<MiniMovie>& movies) {
    std::string media = movies[0].Mdat().substr(8);
    std::string records;
    uint32_t count = 0;
    for (size_t i = 0; i < movies.size(); ++i) {
        if (i > 0)
            media += movies[i].Mdat().substr(16);
        for (uint32_t r = 0; r < movies[i].Records; ++r)
            records += movies[i].Record(r);
        count += movies[i].Records;
    }
    const std::string udat = "CSNDAT" + movies[0].Udat().substr(14, 28) + testing::U16(count) +
                             records + "CSNEND" + std::string(12, 'z');
    return {testing::Box("mdat", media), testing::Box("udat", udat)};
}

void ExpectJoinedFile(const std::vector<MiniMovie>& movies, const fs::path& output) {
    const std::string bytes = testing::ReadFile(output);
    const JoinedBoxes expected = ExpectedJoin(movies);
    ASSERT_GT(bytes.size(), expected.Mdat.size() + expected.Udat.size());
    EXPECT_EQ(movies[0].Ftyp(), bytes.substr(0, 20));
    EXPECT_TRUE(bytes.compare(20, expected.Mdat.size(), expected.Mdat) == 0) << "media differ";
    EXPECT_EQ(expected.Udat, bytes.substr(bytes.size() - expected.Udat.size()));
    EXPECT_EQ("CSNEND", bytes.substr(bytes.size() - 18, 6));

    // Every box of the output holds what its size says: it loads back, and its tables
    // point at the right media bytes.
    auto tree = LoadBoxTree(output, true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(bytes.size(), NodeSize(tree->Root) - 8);
    uint32_t sample = 0;
    for (const MiniMovie& m : movies) {
        const std::string media = m.Mdat().substr(16);
        uint32_t at = 0;
        for (uint32_t i = 0; i < m.Samples; ++i, ++sample) {
            const uint32_t offset = Table32(*tree->Stco[0], 8 + 4 * sample);
            const uint32_t size = Table32(*tree->Stsz[0], 12 + 4 * sample);
            ASSERT_EQ(m.SampleSize(i), size);
            EXPECT_EQ(media.substr(at, size), bytes.substr(offset, size)) << "sample " << sample;
            at += size;
        }
    }
    EXPECT_EQ(sample, Table32(*tree->Stsz[0], 8));
}

TEST(JoinRecordings, JoinsTwoThreeAndTenInOrder) {
    for (size_t count : {2u, 3u, 10u}) {
        SCOPED_TRACE(count);
        TempFolder dir;
        const std::vector<MiniMovie> movies = Movies(count);
        const std::vector<fs::path> inputs = WriteAll(dir, movies);
        std::vector<std::string> before;
        for (const fs::path& p : inputs)
            before.push_back(testing::ReadFile(p));
        std::vector<std::pair<int64_t, int64_t>> progress;
        const JoinResult result =
            JoinRecordings({inputs, dir / "out.MOV"}, [&](int64_t done, int64_t total) {
                progress.emplace_back(done, total);
            });
        ASSERT_TRUE(result.Ok) << result.Error;
        ExpectJoinedFile(movies, dir / "out.MOV");
        for (size_t i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(before[i], testing::ReadFile(inputs[i]));
        // One report per merge, then the end.
        ASSERT_EQ(count, progress.size());
        const auto total = static_cast<int64_t>(100 * count);
        EXPECT_EQ(std::make_pair(int64_t{198}, total), progress.front());
        EXPECT_EQ(std::make_pair(static_cast<int64_t>(count), static_cast<int64_t>(count)),
                  progress.back());
    }
}

std::vector<std::string> FolderNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(JoinRecordings, FailedJoinLeavesNoOutput) {
    struct Case {
        std::string name;
        std::function<void(MiniMovie&)> spoilSecond;
        bool started;
    };
    const Case cases[] = {
        {"tables that do not grow",
         [](MiniMovie& m) {
             m.Samples = 0;
             m.Sync = {};
             m.MediaPayload = 8;
         },
         true},
        {"different frame timing", [](MiniMovie& m) { m.SampleDelta = 6000; }, true},
        {"different picture size", [](MiniMovie& m) { m.Width = 320; }, true},
        {"more records than the count holds", [](MiniMovie& m) { m.Records = 65535; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        std::vector<MiniMovie> movies = Movies(2);
        c.spoilSecond(movies[1]);
        const std::vector<fs::path> inputs = WriteAll(dir, movies);
        const JoinResult result = JoinRecordings({inputs, dir / "out.MOV"});
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(c.started, result.Started);
        EXPECT_FALSE(result.Error.empty());
        EXPECT_EQ((std::vector<std::string>{"in0.MOV", "in1.MOV"}), FolderNames(dir.Path()));
    }
}

TEST(JoinRecordings, RefusesBeforeReading) {
    TempFolder dir;
    const std::vector<fs::path> inputs = WriteAll(dir, Movies(2));
    testing::MiniMovie::WriteFile(dir / "exists.MOV", "keep");
    struct Case {
        std::string name;
        JoinRequest request;
    };
    const Case cases[] = {
        {"one input", {{inputs[0]}, dir / "out.MOV"}},
        {"unreadable input", {{inputs[0], dir / "missing.MOV"}, dir / "out.MOV"}},
        {"output exists", {inputs, dir / "exists.MOV"}},
        {"output is an input", {inputs, inputs[1], true}},
        {"output folder missing", {inputs, dir / "no" / "out.MOV"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JoinResult result = JoinRecordings(c.request);
        EXPECT_FALSE(result.Ok);
        EXPECT_FALSE(result.Started);
        EXPECT_FALSE(result.Error.empty());
    }
    EXPECT_EQ("keep", testing::ReadFile(dir / "exists.MOV"));
    EXPECT_EQ((std::vector<std::string>{"exists.MOV", "in0.MOV", "in1.MOV"}),
              FolderNames(dir.Path()));
}

TEST(JoinRecordings, OverwriteReplacesOnlyWhenComplete) {
    TempFolder dir;
    const std::vector<MiniMovie> movies = Movies(2);
    const std::vector<fs::path> inputs = WriteAll(dir, movies);
    testing::MiniMovie::WriteFile(dir / "out.MOV", "old");
    ASSERT_TRUE(JoinRecordings({inputs, dir / "out.MOV", true}).Ok);
    ExpectJoinedFile(movies, dir / "out.MOV");
}

TEST(JoinRecordings, SameOutputWhenTheKernelCannotCopyAcrossFileSystems) {
    // Between two file systems the media go through mapped views instead of a kernel copy.
    TempFolder dir;
    const fs::path shm = "/dev/shm";
    struct stat a {
    }, b{};
    if (::stat(shm.c_str(), &a) != 0 || ::stat(dir.Path().c_str(), &b) != 0 ||
        a.st_dev == b.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const std::vector<MiniMovie> movies = Movies(3);
    std::vector<fs::path> inputs = WriteAll(dir, movies);
    ASSERT_TRUE(JoinRecordings({inputs, dir / "same.MOV"}).Ok);
    char pattern[] = "/dev/shm/kestrel-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    for (fs::path& input : inputs) {
        const fs::path moved = fs::path(pattern) / input.filename();
        fs::copy_file(input, moved);
        input = moved;
    }
    const JoinResult result = JoinRecordings({inputs, dir / "across.MOV"});
    fs::remove_all(pattern);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(testing::ReadFile(dir / "same.MOV"), testing::ReadFile(dir / "across.MOV"));
}

TEST(JoinRecordings, FullDiskLeavesNoOutput) {
    TempFolder dir;
    const std::vector<fs::path> inputs = WriteAll(dir, Movies(3));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The output may not grow past 1500 bytes: its writes fail part way.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1500, 1500};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const JoinResult result = JoinRecordings({inputs, dir / "out.MOV"});
        ::_exit(result.Ok ? 0 : (result.Started && !result.Error.empty() ? 3 : 4));
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(3, WEXITSTATUS(status));
    EXPECT_EQ((std::vector<std::string>{"in0.MOV", "in1.MOV", "in2.MOV"}), FolderNames(dir.Path()));
}

} // namespace
} // namespace kestrel
