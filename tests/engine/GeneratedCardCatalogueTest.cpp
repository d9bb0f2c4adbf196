// The catalogue of a card made by the generator: every recording found, in order, with its
// kind, size and folder mask, and nothing on the card lost by pruning.
#include "engine/RecordingCatalogue.h"
#include "mkrec/CardMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

RecordingKind KindOfLetter(char letter) {
    static const std::map<char, RecordingKind> kinds{
        {'A', KindContinuous}, {'G', KindImpact},          {'M', KindManual},
        {'P', KindParking},    {'S', KindParkingImpact},   {'O', KindSpeedCamera},
        {'R', KindRadar},      {'T', KindParkingT},        {'U', KindParkingImpactU}};
    return kinds.at(letter);
}

class TreeItems : public CatalogueTree {
public:
    Item InsertItem(Item, const std::string& label) override {
        labels.push_back(label);
        masks.push_back(0);
        return static_cast<Item>(labels.size());
    }
    void SetItemValue(Item item, KindMask mask) override {
        masks[static_cast<size_t>(item - 1)] = mask;
    }
    std::vector<std::string> labels;
    std::vector<KindMask> masks;
};

// One small card shared by the tests of this file: making it is the slow part.
class GeneratedCard : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::path(testing::TempDir()) / "cardXXXXXX").string();
        root_ = fs::path(::mkdtemp(pattern.data())) / "card";
        mkrec::CardOptions options;
        options.Seconds = 1.0;
        options.Width = 128;
        options.Height = 72;
        files_ = mkrec::MakeCard(options, root_);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(root_.parent_path(), ignored);
    }
    static fs::path Dcim() { return root_ / "DCIM"; }

    static fs::path root_;
    static std::vector<mkrec::CardFile> files_;
};

fs::path GeneratedCard::root_;
std::vector<mkrec::CardFile> GeneratedCard::files_;

TEST_F(GeneratedCard, FolderSourceListsEveryRecordingInNameOrderWithKindsAndSizes) {
    Catalogue catalogue;
    CatalogueCounters counters;
    ASSERT_TRUE(BuildFlatCatalogue(Dcim(), catalogue, counters, nullptr, 0));
    SortCatalogue(catalogue);

    std::vector<const mkrec::CardFile*> expected;
    for (const mkrec::CardFile& f : files_) expected.push_back(&f);
    std::sort(expected.begin(), expected.end(), [](const auto* a, const auto* b) {
        return a->Path.filename().string() < b->Path.filename().string();
    });
    ASSERT_EQ(expected.size(), catalogue.size());
    for (size_t i = 0; i < catalogue.size(); ++i) {
        const RecordingEntry& e = catalogue[i];
        const fs::path path = root_ / expected[i]->Path;
        SCOPED_TRACE(e.FileName);
        EXPECT_EQ(path.filename().string(), e.FileName);
        EXPECT_EQ(path.string(), e.FullPath);
        EXPECT_EQ(EntryRecording, e.EntryType);
        EXPECT_EQ(fs::file_size(path), e.FileSize);
        EXPECT_TRUE(IsRecorderFile(path));
        EXPECT_EQ(KindOfLetter(expected[i]->Kind), ClassifyName(e.FileName));
        EXPECT_FALSE(KindLabel(e.FileName).empty());
    }
}

TEST_F(GeneratedCard, CardTreeHasAnItemPerRecordingFolderWithTheKindsItHolds) {
    std::map<std::string, KindMask> expected; // folder name -> mask, in name order
    for (const mkrec::CardFile& f : files_) {
        expected[f.Path.parent_path().filename().string()] |= KindBit(KindOfLetter(f.Kind));
    }
    TreeItems tree;
    Catalogue top;
    Catalogue folders;
    CatalogueCounters counters;
    ASSERT_TRUE(BuildTreeCatalogue(Dcim(), top, counters,
                                   {&tree, CatalogueTree::kRoot, &folders, true, true, nullptr, 0}));
    std::vector<std::string> labels;
    std::vector<KindMask> masks;
    for (const auto& [name, mask] : expected) {
        labels.push_back(name);
        masks.push_back(mask);
    }
    EXPECT_EQ(labels, tree.labels); // the empty and text-only folders have no item
    EXPECT_EQ(masks, tree.masks);
    ASSERT_EQ(labels.size(), folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ((Dcim() / labels[i]).string(), folders[i].FullPath);
        EXPECT_EQ(EntryFolder, folders[i].EntryType);
    }
    EXPECT_TRUE(top.empty()); // no recordings directly in DCIM
}

TEST_F(GeneratedCard, PruningRemovesOnlyTheEmptyFolder) {
    std::set<std::string> before;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
        if (e.is_regular_file()) before.insert(e.path().string());
    }
    int64_t held = 0;
    ASSERT_TRUE(PruneEmptyFolders(Dcim(), true, &held, 0));
    std::set<std::string> after;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
        if (e.is_regular_file()) after.insert(e.path().string());
    }
    EXPECT_EQ(before, after);
    EXPECT_FALSE(fs::exists(Dcim() / "102_EMPTY"));
    EXPECT_TRUE(fs::exists(Dcim() / "103_TEXT" / "README.TXT"));
}

} // namespace
} // namespace kestrel
