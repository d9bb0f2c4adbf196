#include "engine/RecordingCatalogue.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;


void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The smallest file the recorder's check accepts has an "ftyp" box at the start, the
// 18-byte trailer at the end, and at least 260 bytes.
std::string RecorderBytes(size_t size = 300, const std::string& trailer = "CSNEND") {
    std::string bytes(size, '\0');
    bytes.replace(3, 5, "\x18" "ftyp");
    bytes.replace(size - 18, trailer.size(), trailer);
    return bytes;
}

void WriteRecorderFile(const fs::path& path, size_t size = 300) {
    WriteBytes(path, RecorderBytes(size));
}

std::vector<std::string> Names(const Catalogue& catalogue) {
    std::vector<std::string> names;
    for (const RecordingEntry& e : catalogue) names.push_back(e.FileName);
    return names;
}

// Records the items a walk inserts, as the file panel's tree would hold them.
class FakeTree : public CatalogueTree {
public:
    struct Node {
        Item Parent;
        std::string Label;
        KindMask Mask;
    };
    Item InsertItem(Item parent, const std::string& label) override {
        nodes.push_back({parent, label, 0});
        return static_cast<Item>(nodes.size());
    }
    void SetItemValue(Item item, KindMask mask) override {
        nodes[static_cast<size_t>(item - 1)].Mask = mask;
    }
    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const Node& n : nodes) labels.push_back(n.Label);
        return labels;
    }
    std::vector<Node> nodes;
};

TEST(RecordingCatalogue, NameRules) {
    struct Case {
        const char* name;
        RecordingKind kind;
        bool isMov;
        bool recorderName;
        const char* label;
        KindMask bit;
    };
    const Case cases[] = {
        {"230501_101500_A.MOV", KindContinuous, true, true, "常時", 0x01},
        {"230501_101500_a.mov", KindContinuous, true, true, "常時", 0x01},
        {"x_a.mov", KindContinuous, true, false, "", 0x01},
        {"230501_101500_G.MOV", KindImpact, true, true, "衝撃", 0x04},
        {"230501_101500_M.MOV", KindManual, true, true, "マニュアル", 0x02},
        {"230501_101500_P.MOV", KindParking, true, true, "駐車", 0x08},
        {"230501_101500_S.MOV", KindParkingImpact, true, true, "駐車衝撃", 0x10},
        {"230501_101500_O.MOV", KindSpeedCamera, true, true, "速度取締機", 0x20},
        {"230501_101500_R.MOV", KindRadar, true, true, "レーダー", 0x40},
        {"230501_101500_T.MOV", KindParkingT, true, true, "駐車", 0x08},
        {"230501_101500_U.MOV", KindParkingImpactU, true, true, "駐車衝撃", 0x10},
        // Both markers: A is tested before G wherever the markers stand.
        {"230501_101500_G.MOV_A.MOV", KindContinuous, true, true, "常時", 0x01},
        // The marker may stand anywhere, not only at the end.
        {"230501_101500_M.MOV.bak", KindManual, false, true, "マニュアル", 0x02},
        // Labels need more than 15 characters; characters, not bytes, are counted.
        {"123456_7_G.MOV", KindImpact, true, true, "", 0x04},
        {"123456_78_G.MOV", KindImpact, true, true, "", 0x04},
        {"123456_789_G.MOV", KindImpact, true, true, "衝撃", 0x04},
        {"あいうえおかきく_S.MOV", KindParkingImpact, true, false, "", 0x10},
        {"230501_101500_X.MOV", KindNone, true, false, "", 0},
        {"230501_101500_A.MP4", KindNone, false, false, "", 0},
        {"230501_101500_A.MOVE", KindContinuous, false, true, "常時", 0x01},
        {"23050a_101500_A.MOV", KindContinuous, true, false, "常時", 0x01},
        {"230501-101500_A.MOV", KindContinuous, true, false, "常時", 0x01},
        {"clip.Mov", KindNone, true, false, "", 0},
        {"noextension", KindNone, false, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.kind, ClassifyName(c.name));
        EXPECT_EQ(c.isMov, IsMovFile(fs::path("/some/folder.mov") / c.name));
        EXPECT_EQ(c.recorderName, IsRecorderName(c.name));
        EXPECT_EQ(c.label, KindLabel(c.name));
        KindMask mask = 0x80;
        AddKindBit(c.name, mask);
        EXPECT_EQ(0x80 | c.bit, mask);
    }
}

TEST(RecordingCatalogue, RecorderFileCheck) {
    TempFolder dir;
    std::string lateTrailer = RecorderBytes(300);
    lateTrailer.replace(300 - 17, 6, "CSNEND"); // one byte too late
    lateTrailer.replace(300 - 18, 1, "X");
    std::string noFtyp = RecorderBytes(300);
    noFtyp.replace(4, 4, "moov");
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
    };
    const Case cases[] = {
        {"ok.MOV", RecorderBytes(300), true},
        {"exact.MOV", RecorderBytes(260), true},
        {"short.MOV", RecorderBytes(259), false},
        {"tiny.MOV", "CSNEND", false},
        {"empty.MOV", "", false},
        {"trailer.MOV", RecorderBytes(300, "CSNENX"), false},
        {"late.MOV", lateTrailer, false},
        {"noftyp.MOV", noFtyp, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.Path() / c.name, c.bytes);
        EXPECT_EQ(c.accepted, IsRecorderFile(dir.Path() / c.name));
    }
    EXPECT_FALSE(IsRecorderFile(dir.Path() / "missing.MOV"));
    fs::create_directory(dir.Path() / "folder.MOV");
    EXPECT_FALSE(IsRecorderFile(dir.Path() / "folder.MOV"));
}

TEST(RecordingCatalogue, RecordingAndFolderEntries) {
    TempFolder dir;
    const fs::path file = dir.Path() / "230501_101500_G.MOV";
    WriteRecorderFile(file, 4321);
    WriteRecorderFile(dir.Path() / "notes.txt");

    Catalogue list;
    CatalogueCounters counters;
    counters.NextListIndex = 7;
    ASSERT_TRUE(AddRecordingEntry(file, list, counters));
    EXPECT_FALSE(AddRecordingEntry(dir.Path() / "missing_A.MOV", list, counters));
    EXPECT_FALSE(AddRecordingEntry(dir.Path() / "notes.txt", list, counters));
    ASSERT_TRUE(AddRecordingEntry(file, list, counters));
    ASSERT_EQ(2u, list.size());

    const RecordingEntry& e = list[0];
    EXPECT_EQ(file.string(), e.FullPath);
    EXPECT_EQ("230501_101500_G.MOV", e.FileName);
    EXPECT_EQ(7, e.ListIndex);
    EXPECT_EQ(EntryRecording, e.EntryType);
    EXPECT_EQ('2', e.NameInitial);
    EXPECT_EQ(4321u, e.FileSize);
    EXPECT_EQ(0, e.Checked);
    EXPECT_EQ(0.0f, e.FramesPerSecond);
    EXPECT_TRUE(e.StartTime.IsZero());
    EXPECT_EQ(8, list[1].ListIndex);
    EXPECT_EQ(e.Serial + 1, list[1].Serial);

    // The serial runs on across builds; the build counter is the caller's.
    counters.Reset();
    Catalogue next;
    ASSERT_TRUE(AddRecordingEntry(file, next, counters));
    EXPECT_EQ(0, next[0].ListIndex);
    EXPECT_GT(next[0].Serial, list[1].Serial);

    AddFolderEntry(dir.Path() / "100REC", list);
    const RecordingEntry& folder = list.back();
    EXPECT_EQ("100REC", folder.FileName);
    EXPECT_EQ((dir.Path() / "100REC").string(), folder.FullPath);
    EXPECT_EQ(-1, folder.ListIndex);
    EXPECT_EQ(-1, folder.Serial);
    EXPECT_EQ(EntryFolder, folder.EntryType);
    EXPECT_EQ(~uint64_t{0}, folder.FileSize);
    EXPECT_EQ(0, folder.NameInitial);
}

TEST(RecordingCatalogue, NameInitialIsACodePoint) {
    TempFolder dir;
    const fs::path file = dir.Path() / "駐車_P.MOV";
    const fs::path plain = dir.Path() / "plain.MOV";
    WriteRecorderFile(file);
    WriteRecorderFile(plain);
    Catalogue list;
    CatalogueCounters counters;
    ASSERT_TRUE(AddRecordingEntry(file, list, counters));
    ASSERT_TRUE(AddRecordingEntry(plain, list, counters));
    EXPECT_EQ(0x99D0, list[0].NameInitial);
    EXPECT_EQ(0, list[1].NameInitial); // no kind marker
}

TEST(RecordingCatalogue, ListFolderReportsDotsTypesAndFailure) {
    TempFolder dir;
    fs::create_directory(dir.Path() / "sub");
    WriteBytes(dir.Path() / "file.MOV", "x");
    fs::create_directory_symlink(dir.Path() / "sub", dir.Path() / "link");
    fs::create_symlink(dir.Path() / "file.MOV", dir.Path() / "filelink.MOV");

    DirListing listing;
    ASSERT_TRUE(ListFolder(dir.Path(), listing));
    SortListing(listing);
    std::vector<std::string> names;
    for (const DirEntry& e : listing) names.push_back(e.Name);
    EXPECT_EQ((std::vector<std::string>{".", "..", "file.MOV", "filelink.MOV", "link", "sub"}),
              names);
    EXPECT_TRUE(listing[0].IsDirectory);
    EXPECT_TRUE(listing[2].IsRegularFile);
    EXPECT_TRUE(listing[3].IsRegularFile);                          // a link to a file reads as one
    EXPECT_FALSE(listing[4].IsDirectory || listing[4].IsRegularFile); // never walked into
    EXPECT_TRUE(listing[5].IsDirectory);

    DirListing none;
    EXPECT_FALSE(ListFolder(dir.Path() / "missing", none));
    EXPECT_TRUE(none.empty());
}

TEST(RecordingCatalogue, SortPutsWellNamedRecordingsFirstInOrdinalOrder) {
    Catalogue catalogue;
    for (const char* name : {"b_A.MOV", "230502_000000_G.MOV", "A_A.MOV", "230501_235959_a.mov",
                             "230501_235959_A.MOV", "clip.MOV"}) {
        RecordingEntry e;
        e.FileName = name;
        catalogue.push_back(e);
    }
    SortCatalogue(catalogue);
    EXPECT_EQ((std::vector<std::string>{"230501_235959_A.MOV", "230501_235959_a.mov",
                                        "230502_000000_G.MOV", "A_A.MOV", "b_A.MOV", "clip.MOV"}),
              Names(catalogue));

    Catalogue removed(1);
    removed[0].FileName = "a_A.MOV"; // names match exactly: "A_A.MOV" stays
    Catalogue removed2(1);
    removed2[0].FileName = "230502_000000_G.MOV";
    RemoveEntriesByName(catalogue, removed);
    RemoveEntriesByName(catalogue, removed2);
    EXPECT_EQ((std::vector<std::string>{"230501_235959_A.MOV", "230501_235959_a.mov", "A_A.MOV",
                                        "b_A.MOV", "clip.MOV"}),
              Names(catalogue));
}

// A folder chosen as a source: sub-folders become items, recordings come only from the
// folder itself, and files the recorder did not write are left out.
TEST(RecordingCatalogue, TreeWalkOfAChosenFolder) {
    TempFolder dir;
    const fs::path& root = dir.Path();
    WriteRecorderFile(root / "230501_101600_G.MOV");
    WriteRecorderFile(root / "230501_101500_A.MOV");
    WriteRecorderFile(root / "Clip_M.MOV");
    WriteBytes(root / "230501_101700_A.MOV", RecorderBytes(259));
    WriteBytes(root / "230501_101800_A.MOV", RecorderBytes(300, "XXXXXX"));
    WriteRecorderFile(root / "230501_101900_A.MP4");
    WriteRecorderFile(root / "sub2" / "230502_000000_A.MOV");
    fs::create_directories(root / "sub1" / "deeper");

    FakeTree tree;
    Catalogue catalogue;
    CatalogueCounters counters;
    int64_t count = 0;
    ASSERT_TRUE(BuildTreeCatalogue(root, catalogue, counters,
                                   {&tree, 5, nullptr, false, true, &count, 0}));
    SortCatalogue(catalogue);
    EXPECT_EQ((std::vector<std::string>{"230501_101500_A.MOV", "230501_101600_G.MOV",
                                        "Clip_M.MOV"}),
              Names(catalogue));
    EXPECT_EQ(3, count);
    EXPECT_EQ((std::vector<std::string>{"sub1", "sub2"}), tree.Labels());
    for (const FakeTree::Node& n : tree.nodes) {
        EXPECT_EQ(5, n.Parent);
        EXPECT_EQ(0u, n.Mask);
    }

    // At the depth limit no item is made; the folder's recordings are still listed.
    FakeTree deep;
    Catalogue atLimit;
    ASSERT_TRUE(BuildTreeCatalogue(root, atLimit, counters,
                                   {&deep, 0, nullptr, false, true, nullptr, 3}));
    EXPECT_TRUE(deep.nodes.empty());
    EXPECT_EQ(3u, atLimit.size());

    // A folder that cannot be listed contributes nothing and is no failure.
    Catalogue missing;
    EXPECT_TRUE(BuildTreeCatalogue(root / "missing", missing, counters, {}));
    EXPECT_TRUE(missing.empty());
}

TEST(RecordingCatalogue, TreeWalkOfACard) {
    TempFolder dir;
    const fs::path& dcim = dir.Path();
    WriteRecorderFile(dcim / "101REC" / "230502_090000_P.MOV");
    WriteRecorderFile(dcim / "100REC" / "230501_101500_A.MOV");
    WriteRecorderFile(dcim / "100REC" / "230501_101600_G.MOV");
    WriteRecorderFile(dcim / "100REC" / "230501_101700_T.MOV");
    WriteBytes(dcim / "102REC" / "readme.txt", "not a movie");
    WriteRecorderFile(dcim / "103REC" / "inner" / "230503_000000_A.MOV");
    fs::create_directories(dcim / "104REC");
    WriteRecorderFile(dcim / "230501_000000_M.MOV");
    fs::create_directory_symlink(dcim / "100REC", dcim / "105LINK");

    FakeTree tree;
    Catalogue catalogue;
    Catalogue folders;
    CatalogueCounters counters;
    ASSERT_TRUE(BuildTreeCatalogue(dcim, catalogue, counters,
                                   {&tree, CatalogueTree::kRoot, &folders, true, true, nullptr, 0}));
    // Only folders holding recordings of their own get an item and a folder entry.
    EXPECT_EQ((std::vector<std::string>{"100REC", "101REC"}), tree.Labels());
    EXPECT_EQ(0x01u | 0x04u | 0x08u, tree.nodes[0].Mask);
    EXPECT_EQ(0x08u, tree.nodes[1].Mask);
    ASSERT_EQ(2u, folders.size());
    EXPECT_EQ((dcim / "100REC").string(), folders[0].FullPath);
    EXPECT_EQ(EntryFolder, folders[1].EntryType);
    EXPECT_EQ((std::vector<std::string>{"230501_000000_M.MOV"}), Names(catalogue));
    EXPECT_EQ(0, catalogue[0].ListIndex);

    // Counting mode inserts and adds nothing.
    FakeTree silent;
    Catalogue none;
    int64_t count = 0;
    ASSERT_TRUE(BuildTreeCatalogue(dcim, none, counters,
                                   {&silent, CatalogueTree::kRoot, nullptr, true, false, &count, 0}));
    EXPECT_TRUE(silent.nodes.empty());
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(1, count);

    KindMask mask = 0;
    EXPECT_TRUE(FolderKindMask(dcim / "100REC", mask));
    EXPECT_EQ(0x0Du, mask);
    EXPECT_FALSE(FolderKindMask(dcim / "missing", mask));
}

TEST(RecordingCatalogue, TreeWalkInsertsAtMost999Items) {
    TempFolder dir;
    for (int i = 0; i < 1000; ++i) fs::create_directory(dir.Path() / std::to_string(1000 + i));
    FakeTree tree;
    Catalogue catalogue;
    CatalogueCounters counters;
    ASSERT_TRUE(BuildTreeCatalogue(dir.Path(), catalogue, counters, {&tree}));
    ASSERT_EQ(999u, tree.nodes.size());
    EXPECT_EQ("1998", tree.nodes.back().Label);
}

TEST(RecordingCatalogue, FlatWalkListsSubFolderBlocksThenOwnRecordings) {
    TempFolder dir;
    const fs::path& root = dir.Path();
    WriteRecorderFile(root / "230509_000000_A.MOV");
    WriteRecorderFile(root / "b" / "230502_000000_A.MOV");
    WriteRecorderFile(root / "b" / "230501_000000_G.MOV");
    WriteRecorderFile(root / "b" / "odd_A.MOV");
    WriteRecorderFile(root / "a" / "230508_000000_A.MOV");
    WriteBytes(root / "a" / "notes.txt", "x");
    // Recordings below a folder without files of its own are kept.
    WriteRecorderFile(root / "c" / "inner" / "230507_000000_S.MOV");
    // Below the depth limit nothing is read.
    WriteRecorderFile(root / "d" / "1" / "2" / "3" / "230506_000000_A.MOV");
    WriteRecorderFile(root / "d" / "1" / "2" / "230505_000000_A.MOV");

    Catalogue catalogue;
    CatalogueCounters counters;
    int64_t files = 0;
    ASSERT_TRUE(BuildFlatCatalogue(root, catalogue, counters, &files, 0));
    EXPECT_EQ((std::vector<std::string>{"230508_000000_A.MOV", "230501_000000_G.MOV",
                                        "230502_000000_A.MOV", "odd_A.MOV",
                                        "230507_000000_S.MOV", "230505_000000_A.MOV",
                                        "230509_000000_A.MOV"}),
              Names(catalogue));
    EXPECT_EQ(1, files); // only the folder's own files
    // The build counter numbers the entries in the order they were read.
    EXPECT_EQ(0, catalogue[0].ListIndex);
    EXPECT_EQ(6, catalogue.back().ListIndex);
}

TEST(RecordingCatalogue, PruneRemovesOnlyFoldersWithoutFiles) {
    TempFolder dir;
    const fs::path& dcim = dir.Path();
    fs::create_directories(dcim / "100EMPTY" / "a" / "b");
    WriteBytes(dcim / "101TEXT" / "readme.txt", "x");
    WriteRecorderFile(dcim / "102DEEP" / "inner" / "230501_000000_A.MOV");
    fs::create_directories(dcim / "103LIMIT" / "1" / "2" / "3");
    fs::create_directories(dcim / "103LIMIT" / "1" / "empty");
    fs::create_directories(dcim / "104LINK");
    fs::create_directory_symlink(dcim / "101TEXT", dcim / "104LINK" / "link");

    // Without card mode nothing happens.
    ASSERT_TRUE(PruneEmptyFolders(dcim, false, nullptr, 0));
    EXPECT_TRUE(fs::exists(dcim / "100EMPTY" / "a" / "b"));

    int64_t held = 0;
    ASSERT_TRUE(PruneEmptyFolders(dcim, true, &held, 0));
    EXPECT_FALSE(fs::exists(dcim / "100EMPTY"));
    EXPECT_TRUE(fs::exists(dcim / "101TEXT" / "readme.txt"));
    EXPECT_TRUE(fs::exists(dcim / "102DEEP" / "inner" / "230501_000000_A.MOV"));
    // Folders below the examined depth count as holding files.
    EXPECT_TRUE(fs::exists(dcim / "103LIMIT" / "1" / "2" / "3"));
    // An examined empty folder goes even inside a kept one.
    EXPECT_FALSE(fs::exists(dcim / "103LIMIT" / "1" / "empty"));
    // A link is never followed and counts as something held.
    EXPECT_TRUE(fs::is_symlink(dcim / "104LINK" / "link"));
    EXPECT_GT(held, 0);
}

TEST(RecordingCatalogue, DeleteFolderTreeRemovesEverythingButNeverFollowsLinks) {
    TempFolder dir;
    const fs::path keep = dir.Path() / "keep";
    WriteBytes(keep / "keep.MOV", "x");
    const fs::path doomed = dir.Path() / "doomed";
    WriteBytes(doomed / "a.MOV", "x");
    WriteBytes(doomed / "sub" / "deeper" / "b.MOV", "x");
    fs::create_directory_symlink(keep, doomed / "sub" / "link");

    EXPECT_FALSE(DeleteFolderTree(dir.Path() / "missing"));
    EXPECT_FALSE(DeleteFolderTree(doomed / "sub" / "link"));
    EXPECT_TRUE(fs::exists(keep / "keep.MOV"));

    ASSERT_TRUE(DeleteFolderTree(doomed));
    EXPECT_FALSE(fs::exists(doomed));
    EXPECT_TRUE(fs::exists(keep / "keep.MOV"));
}

} // namespace
} // namespace kestrel
