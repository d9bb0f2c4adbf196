#include "MiniMovie.h"

#include "engine/BoxTree.h"
#include "engine/BoxTreeMerger.h"
#include "engine/BoxTreeWriter.h"
#include "engine/KnownBoxTypes.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using testing::Box;
using testing::Get32;
using testing::MiniMovie;
using testing::TempFolder;
using testing::U32;
using testing::Zeros;

TEST(KnownBoxTypes, MembershipIsExactAndCaseSensitive) {
    const KnownBoxTypes& types = KnownBoxTypes::Shared();
    struct Case {
        std::string code;
        bool member;
    };
    const Case cases[] = {
        {"moov", true},   {"ainf", true},  {"ICAT", true},
        {"udat", true},   {"xml ", true},  {"jP  ", true},
        {"ID32", true},   {"UITS", true},  {"url ", true},
        {"stz2", true},   {"MOOV", false}, {"Moov", false},
        {"id32", false},  {"icat", false}, {"avc1", false},
        {"mp4a", false},  {"wide", false}, {"xml", false},
        {"moovx", false}, {"url", false},  {std::string("url\0", 4), false},
        {"jP ", false},   {"mooV", false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.member, types.Contains(c.code)) << "'" << c.code << "'";
    for (const char* code : KnownBoxTypes::kTable)
        EXPECT_TRUE(types.Contains(code)) << code;
}

TEST(KnownBoxTypes, FreedIndexKnowsNothingAndRebuilds) {
    KnownBoxTypes types;
    EXPECT_FALSE(types.Contains("moov"));
    types.Build();
    EXPECT_TRUE(types.Contains("moov"));
    types.Free();
    EXPECT_FALSE(types.IsBuilt());
    EXPECT_FALSE(types.Contains("moov"));
    types.Build();
    EXPECT_TRUE(types.Contains("trak"));
}

std::vector<std::string> ChildNames(const BoxNode& node) {
    std::vector<std::string> names;
    for (const BoxNode& child : node.Children)
        names.emplace_back(child.Name);
    return names;
}

TEST(LoadBoxTree, ReadsTheRecorderLayout) {
    TempFolder dir;
    MiniMovie movie;
    movie.Records = 3;
    movie.Write(dir / "a.MOV");
    for (bool copy : {true, false}) {
        SCOPED_TRACE(copy);
        auto tree = LoadBoxTree(dir / "a.MOV", copy);
        ASSERT_TRUE(tree);
        EXPECT_EQ((std::vector<std::string>{"ftyp", "mdat", "moov", "udat"}),
                  ChildNames(tree->Root));
        EXPECT_EQ(0, tree->Root.Raw);
        ASSERT_EQ(1u, tree->Mdat.size());
        ASSERT_EQ(1u, tree->Udat.size());
        for (auto* list : {&tree->Stsz, &tree->Stco, &tree->Mdhd, &tree->Stss, &tree->Stts,
                           &tree->Mvhd, &tree->Tkhd, &tree->Elst, &tree->Stsd}) {
            EXPECT_EQ(1u, list->size());
        }
        const BoxNode& mdat = *tree->Mdat[0];
        EXPECT_EQ(1, mdat.Raw);
        EXPECT_FALSE(mdat.Payload);
        EXPECT_EQ(1000u, mdat.PayloadSize);
        EXPECT_EQ(MiniMovie::kMediaAt, mdat.PayloadOffset);
        const BoxNode& udat = *tree->Udat[0];
        EXPECT_EQ(3u, udat.RecordCount);
        EXPECT_EQ(3u * 124, udat.RecordBytes);
        EXPECT_FALSE(udat.Payload);
        EXPECT_EQ(copy, tree->Stsz[0]->Payload.has_value());
        EXPECT_EQ(6, tree->Stsz[0]->Depth); // moov, trak, mdia, minf, stbl, stsz
        // Sizes come back as the file states them.
        EXPECT_EQ(movie.Moov().size(), NodeSize(tree->Root.Children[2]));
        EXPECT_EQ(movie.Udat().size(), NodeSize(tree->Root.Children[3]));
        EXPECT_EQ(640, VideoSizeOf(*tree).Width);
        EXPECT_EQ(360, VideoSizeOf(*tree).Height);
        EXPECT_EQ(4, FrameCountOf(*tree));
        EXPECT_DOUBLE_EQ(30.0, FrameRateOf(*tree));
        DateTime start;
        EXPECT_TRUE(FirstRecordTime(*tree, start));
        EXPECT_EQ((DateTime{2023, 5, 1, 1, 10, 15, 0, 0}), start);
    }
}

TEST(LoadBoxTree, LeafThatSpellsABoxTypeIsAContainer) {
    TempFolder dir;
    // A "free" box whose payload happens to be an 8-byte "skip" box is walked into; one whose
    // payload does not spell a known type is kept as data.
    const std::string bytes = Box("ftyp", "qt  " + U32(0)) + Box("free", Box("skip", "")) +
                              Box("skip", U32(8) + "abcd" + "tail");
    MiniMovie::WriteFile(dir / "f.MOV", bytes);
    auto tree = LoadBoxTree(dir / "f.MOV", true);
    ASSERT_TRUE(tree);
    const BoxNode& container = tree->Root.Children[1];
    EXPECT_EQ(0, container.Raw);
    EXPECT_FALSE(container.Payload);
    ASSERT_EQ(1u, container.Children.size());
    EXPECT_STREQ("skip", container.Children[0].Name);
    const BoxNode& leaf = tree->Root.Children[2];
    EXPECT_EQ(1, leaf.Raw);
    ASSERT_TRUE(leaf.Payload);
    EXPECT_EQ(12u, leaf.Payload->size());
}

enum class Outcome { Refused, WritesBackWhole, NotWritable };

// Loads `bytes` and, when that works, writes the tree back: what was read comes out whole, or
// the write fails without a wrong box.
void ExpectLoadsAs(const std::string& name, const std::string& bytes, Outcome outcome) {
    const bool loads = outcome != Outcome::Refused;
    SCOPED_TRACE(name);
    TempFolder dir;
    MiniMovie::WriteFile(dir / "in.MOV", bytes);
    std::string error;
    auto tree = LoadBoxTree(dir / "in.MOV", true, &error);
    ASSERT_EQ(loads, tree != nullptr) << error;
    if (!tree) {
        EXPECT_FALSE(error.empty());
        return;
    }
    OutputFile out;
    ASSERT_TRUE(out.Create(dir / "out.MOV", false));
    if (outcome == Outcome::NotWritable) {
        EXPECT_FALSE(WriteBoxTree(*tree, out, &error));
        return;
    }
    ASSERT_TRUE(WriteBoxTree(*tree, out, &error)) << error;
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(bytes, testing::ReadFile(dir / "out.MOV"));
}

TEST(LoadBoxTree, DamagedOrHostileInputFailsCleanly) {
    const MiniMovie movie;
    const std::string whole = movie.Bytes();
    std::string deep = Box("skip", "x");
    for (int i = 0; i < 2000; ++i)
        deep = Box("moov", deep);
    struct Case {
        std::string name;
        std::string bytes;
        Outcome outcome;
    };
    using enum Outcome;
    const Case cases[] = {
        {"the recorder's layout", whole, WritesBackWhole},
        {"empty file", "", Refused},
        {"cut inside the media", whole.substr(0, 600), Refused},
        {"cut inside a header", whole.substr(0, 22), Refused},
        {"top-level size 0", movie.Ftyp() + U32(0) + "mdat" + Zeros(16), Refused},
        {"top-level size 1", movie.Ftyp() + U32(1) + "mdat" + Zeros(16), Refused},
        {"top-level box past the end", movie.Ftyp() + U32(4000) + "free" + Zeros(16), Refused},
        {"unknown top-level box", movie.Ftyp() + Box("wide", "") + movie.Mdat(), NotWritable},
        {"nested size below 8", movie.Ftyp() + Box("moov", U32(4) + "trak" + Zeros(8)),
         WritesBackWhole},
        {"nested box past its parent", movie.Ftyp() + Box("moov", U32(40) + "trak" + Zeros(8)),
         WritesBackWhole},
        {"nested unknown box", movie.Ftyp() + Box("moov", Box("mvhd", Zeros(8)) + Box("zzzz", "")),
         WritesBackWhole},
        {"nested tail shorter than a header",
         movie.Ftyp() + Box("moov", Box("mvhd", Zeros(8)) + "abc"), WritesBackWhole},
        {"very deep nesting", movie.Ftyp() + deep, WritesBackWhole},
        {"data box shorter than its count", movie.Ftyp() + Box("udat", "CSNDAT"), NotWritable},
    };
    for (const Case& c : cases)
        ExpectLoadsAs(c.name, c.bytes, c.outcome);
}

// A recording cut short after its tree was read (a pulled card, another program): the queries
// and the write that read it again fail instead of ending the program or using zeros.
TEST(LoadBoxTree, ARecordingCutShortAfterLoadingIsNotReadAsZeros) {
    TempFolder dir;
    MiniMovie movie;
    movie.MediaPayload = 64 * 1024;
    movie.Records = 3;
    movie.Write(dir / "a.MOV");
    auto tree = LoadBoxTree(dir / "a.MOV", false);
    ASSERT_TRUE(tree);
    std::filesystem::resize_file(dir / "a.MOV", MiniMovie::kMediaAt + 100);
    DateTime start{2023, 1, 1, 0, 0, 0, 0, 0};
    EXPECT_FALSE(FirstRecordTime(*tree, start));
    EXPECT_EQ(DateTime{}, start);
    EXPECT_TRUE(tree->File.Shrunk());
    OutputFile out;
    ASSERT_TRUE(out.Create(dir / "out.MOV", false));
    std::string error;
    EXPECT_FALSE(WriteBoxTree(*tree, out, &error));
    EXPECT_FALSE(error.empty());
}

TEST(LoadBoxTree, MissingFileFails) {
    TempFolder dir;
    std::string error;
    EXPECT_FALSE(LoadBoxTree(dir / "none.MOV", false, &error));
    EXPECT_NE(std::string::npos, error.find("none.MOV"));
}

TEST(BoxTreeQueries, AnswerMinusOneWithoutTheirBoxes) {
    TempFolder dir;
    MiniMovie movie;
    MiniMovie::WriteFile(dir / "a.MOV", movie.Ftyp() + movie.Mdat());
    auto tree = LoadBoxTree(dir / "a.MOV", false);
    ASSERT_TRUE(tree);
    EXPECT_EQ(-1, VideoSizeOf(*tree).Width);
    EXPECT_EQ(-1, VideoSizeOf(*tree).Height);
    EXPECT_EQ(-1, FrameCountOf(*tree));
    EXPECT_EQ(-1.0, FrameRateOf(*tree));
    DateTime start{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(FirstRecordTime(*tree, start));
}

TEST(BoxTreeQueries, RecorderDataWithoutRecordsGivesZeroTime) {
    TempFolder dir;
    MiniMovie movie;
    movie.Records = 0;
    movie.Write(dir / "a.MOV");
    auto tree = LoadBoxTree(dir / "a.MOV", false);
    ASSERT_TRUE(tree);
    DateTime start{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(FirstRecordTime(*tree, start));
    EXPECT_TRUE(start.IsZero());
}

} // namespace
} // namespace kestrel
