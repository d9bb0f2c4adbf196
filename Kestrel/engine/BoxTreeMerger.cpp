#include "engine/BoxTreeMerger.h"

#include "engine/SampleDescription.h"

#include <cstring>
#include <functional>
#include <limits>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

uint32_t Get32(const Bytes& bytes, size_t offset) {
    const uint8_t* p = bytes.data() + offset;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void Put32(Bytes& bytes, size_t offset, uint32_t value) {
    uint8_t* p = bytes.data() + offset;
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

void ForEachNode(const BoxNode& node, const std::function<void(const BoxNode&)>& visit) {
    visit(node);
    for (const BoxNode& child : node.Children)
        ForEachNode(child, visit);
}

const BoxNode* ParentOf(const BoxNode& root, const BoxNode* node) {
    for (const BoxNode& child : root.Children) {
        if (&child == node)
            return &root;
        if (const BoxNode* found = ParentOf(child, node))
            return found;
    }
    return nullptr;
}

const BoxNode* SiblingOf(const BoxTree& tree, const BoxNode* node, const char* type) {
    const BoxNode* parent = ParentOf(tree.Root, node);
    if (!parent)
        return nullptr;
    for (const BoxNode& child : parent->Children) {
        if (child.Is(type))
            return &child;
    }
    return nullptr;
}

// A full-box table: version and flags, a 32-bit entry count at `countAt`, then the entries.
// True when the payload holds exactly the entries the count announces.
bool TableShape(const BoxNode& node, size_t countAt, size_t entrySize, uint32_t& count) {
    if (!node.Payload || node.Payload->size() < countAt + 4)
        return false;
    count = Get32(*node.Payload, countAt);
    return node.Payload->size() == countAt + 4 + uint64_t{count} * entrySize;
}

// The sample tables the merge knows how to carry over; any other one would be left wrong.
bool IsCarriedTable(const BoxNode& node) {
    for (const char* type : {"stsd", "stts", "stss", "stsc", "stsz", "stco"}) {
        if (node.Is(type))
            return true;
    }
    return false;
}

class Merger {
  public:
    Merger(BoxTree& first, const BoxTree& next) : a_(first), b_(next) {}

    bool Run(std::string* error) {
        const bool ok = CheckLayout() && MergeMedia() && MergeRecords() && MergeSampleSizes() &&
                        MergeSyncSamples() && MergeChunkOffsets() && AddDurations();
        if (!ok && error)
            *error = failure_;
        return ok;
    }

  private:
    bool Fail(std::string text) {
        failure_ = std::move(text);
        return false;
    }
    // A file that cannot take part, named once.
    bool Unusual(const BoxTree& tree) {
        return Fail(tree.Path.string() + " is not laid out as the recorder writes its movies");
    }
    bool Damaged(const BoxTree& tree, const std::string& what) {
        return Fail(tree.Path.string() + " is damaged: " + what);
    }
    // Two files that are sound each but do not fit together.
    bool Mismatch(const std::string& why) {
        return Fail(b_.Path.string() + " cannot follow " + a_.Path.string() + ": " + why);
    }

    bool CheckLayout();
    bool CheckTreeShape(const BoxTree& tree);
    bool CheckPairs();
    bool MergeMedia();
    bool MergeRecords();
    bool MergeSampleSizes();
    bool MergeSyncSamples();
    bool MergeChunkOffsets();
    bool AddDurations();

    BoxTree& a_;
    const BoxTree& b_;
    uint64_t mediaBefore_ = 0; // A's media payload size before this merge
    std::string failure_;
};

bool Merger::CheckTreeShape(const BoxTree& tree) {
    if (tree.Root.Raw)
        return Unusual(tree);
    if (tree.Mdat.empty() || tree.Stsz.empty() || tree.Stco.empty() || tree.Stts.empty() ||
        tree.Mvhd.empty()) {
        return Damaged(tree, "it has no pictures or no picture index");
    }
    bool carried = true;
    bool copied = true;
    ForEachNode(tree.Root, [&](const BoxNode& node) {
        if (node.Is("stbl")) {
            for (const BoxNode& table : node.Children)
                carried = carried && IsCarriedTable(table);
        }
        if (node.Is("co64"))
            carried = false;
        if (node.Raw && !node.Is("mdat") && !node.Is("udat") && node.Depth > 0) {
            copied = copied && node.Payload.has_value();
        }
    });
    if (!carried)
        return Unusual(tree);
    if (!copied)
        return Fail(tree.Path.string() + " was not loaded for writing");
    for (const auto* list : {&tree.Stsz, &tree.Stco, &tree.Mdhd, &tree.Stss, &tree.Stts, &tree.Mvhd,
                             &tree.Tkhd, &tree.Elst, &tree.Stsd}) {
        for (const BoxNode* node : *list) {
            if (!node->Payload)
                return Damaged(tree, "its picture index is cut short");
        }
    }
    for (const auto* list : {&tree.Mvhd, &tree.Tkhd, &tree.Mdhd, &tree.Elst}) {
        for (const BoxNode* node : *list) {
            if (node->Payload->empty() || (*node->Payload)[0] != 0) {
                return Unusual(tree);
            }
        }
    }
    return true;
}

bool Merger::CheckPairs() {
    const auto sameCount = [](const std::vector<BoxNode*>& x, const std::vector<BoxNode*>& y) {
        return x.size() == y.size();
    };
    if (!sameCount(a_.Udat, b_.Udat) || !sameCount(a_.Stsz, b_.Stsz) ||
        !sameCount(a_.Stco, b_.Stco) || !sameCount(a_.Stss, b_.Stss) ||
        !sameCount(a_.Stts, b_.Stts) || !sameCount(a_.Mvhd, b_.Mvhd) ||
        !sameCount(a_.Tkhd, b_.Tkhd) || !sameCount(a_.Elst, b_.Elst) ||
        !sameCount(a_.Mdhd, b_.Mdhd) || !sameCount(a_.Stsd, b_.Stsd)) {
        return Mismatch("they were recorded with different settings");
    }
    if (a_.Mdat[0]->PayloadOffset != b_.Mdat[0]->PayloadOffset) {
        return Mismatch("they were recorded with different settings");
    }
    for (size_t i = 0; i < a_.Stsd.size(); ++i) {
        // The first recording's description is kept: the rate figures it carries are its own.
        if (!SameDecodingDescription(*a_.Stsd[i]->Payload, *b_.Stsd[i]->Payload)) {
            return Mismatch("their pictures or sound are recorded differently");
        }
    }
    // Durations are added, so they must count in the same units.
    for (const auto list : {&BoxTree::Mvhd, &BoxTree::Mdhd}) {
        for (size_t i = 0; i < (a_.*list).size(); ++i) {
            const Bytes& x = *(a_.*list)[i]->Payload;
            const Bytes& y = *(b_.*list)[i]->Payload;
            if (x.size() < 20 || y.size() < 20 || Get32(x, 12) != Get32(y, 12)) {
                return Mismatch("they were recorded with different settings");
            }
        }
    }
    for (size_t i = 0; i < a_.Elst.size(); ++i) {
        uint32_t x = 0, y = 0;
        if (!TableShape(*a_.Elst[i], 4, 12, x) || !TableShape(*b_.Elst[i], 4, 12, y) || x != 1 ||
            y != 1) {
            return Mismatch("one of them is not laid out as the recorder writes its movies");
        }
    }
    // One time-to-sample entry of the same delta on both sides: adding the counts then
    // times every appended sample right.
    for (size_t i = 0; i < a_.Stts.size(); ++i) {
        uint32_t x = 0, y = 0;
        if (!TableShape(*a_.Stts[i], 4, 8, x) || !TableShape(*b_.Stts[i], 4, 8, y) || x != 1 ||
            y != 1 || Get32(*a_.Stts[i]->Payload, 12) != Get32(*b_.Stts[i]->Payload, 12)) {
            return Mismatch("their frame rates differ");
        }
    }
    // The sample-to-chunk tables are kept as the first recording's, so they must agree.
    for (size_t i = 0; i < a_.Stsz.size(); ++i) {
        const BoxNode* x = SiblingOf(a_, a_.Stsz[i], "stsc");
        const BoxNode* y = SiblingOf(b_, b_.Stsz[i], "stsc");
        uint32_t count = 0;
        if (!x || !y || !TableShape(*x, 4, 12, count) || count != 1 || *x->Payload != *y->Payload) {
            return Mismatch("they were recorded with different settings");
        }
    }
    return true;
}

bool Merger::CheckLayout() {
    if (!CheckTreeShape(a_) || !CheckTreeShape(b_) || !CheckPairs())
        return false;
    if (!b_.Mdat[0]->Continuation.empty() ||
        (!b_.Udat.empty() && !b_.Udat[0]->Continuation.empty())) {
        return Fail(b_.Path.string() + " is already part of this join");
    }
    // Only what lies after the media may grow: the chunk offsets of the first recording
    // stay as they are.
    const uint64_t mediaAt = a_.Mdat[0]->PayloadOffset;
    for (const auto* list : {&a_.Stsz, &a_.Stco, &a_.Stss, &a_.Stts, &a_.Udat}) {
        for (const BoxNode* node : *list) {
            if (node->PayloadOffset < mediaAt)
                return Unusual(a_);
        }
    }
    return true;
}

bool Merger::MergeMedia() {
    BoxNode& mine = *a_.Mdat[0];
    const BoxNode& theirs = *b_.Mdat[0];
    // The first 8 bytes of every media payload are not media; only the first file's stay.
    if (theirs.PayloadSize < 8)
        return Damaged(b_, "it holds no pictures or sound");
    mediaBefore_ = mine.PayloadSize;
    const uint64_t grown = mine.PayloadSize + theirs.PayloadSize - 8;
    if (grown + 8 > kMax32)
        return Fail("the joined movie would be larger than 4 GiB");
    mine.PayloadSize = grown;
    mine.Continuation.push_back(&theirs);
    return true;
}

bool Merger::MergeRecords() {
    if (a_.Udat.empty())
        return true;
    BoxNode& mine = *a_.Udat[0];
    const BoxNode& theirs = *b_.Udat[0];
    for (const BoxTree* tree : {static_cast<const BoxTree*>(&a_), &b_}) {
        const BoxNode& udat = *tree->Udat[0];
        if (udat.PayloadSizeOriginal < kUdatRecordsOffset + udat.RecordBytes)
            return Damaged(*tree, "its recorder data is cut short");
    }
    const uint64_t current = mine.Continuation.empty() ? mine.RecordCount : mine.MergedRecordCount;
    const uint64_t merged = current + theirs.RecordCount;
    // The count is a 16-bit field: a wrapped count would hide records.
    if (merged > kUdatMaxRecords)
        return Fail(
            "the joined movie would hold more than 65535 recorder records (about 1 h 49 min)");
    mine.MergedRecordCount = merged;
    // The box is written from the count: tag, header, count, records, trailer.
    mine.UdatTotal = kUdatRecordsOffset + merged * kUdatRecordSize + kUdatTrailerSize;
    mine.PayloadSize = mine.UdatTotal;
    mine.Continuation.push_back(&theirs);
    return true;
}

bool Merger::MergeSampleSizes() {
    uint64_t grown = 0;
    for (size_t i = 0; i < a_.Stsz.size(); ++i) {
        BoxNode& mine = *a_.Stsz[i];
        const BoxNode& theirs = *b_.Stsz[i];
        Bytes& table = *mine.Payload;
        const Bytes& other = *theirs.Payload;
        if (table.size() < 12)
            return Damaged(a_, "its picture index is cut short");
        if (other.size() < 12)
            return Damaged(b_, "its picture index is cut short");
        const uint32_t sizeA = Get32(table, 4), sizeB = Get32(other, 4);
        const uint64_t count = uint64_t{Get32(table, 8)} + Get32(other, 8);
        if (count > kMax32)
            return Fail("the joined movie would hold too many pictures");
        if (sizeA != sizeB)
            return Mismatch("they were recorded with different settings");
        if (sizeA == 0) {
            if (table.size() != 12 + 4ull * Get32(table, 8))
                return Damaged(a_, "its picture index is cut short");
            if (other.size() != 12 + 4ull * Get32(other, 8))
                return Damaged(b_, "its picture index is cut short");
            table.insert(table.end(), other.begin() + 12, other.end());
            grown += other.size() - 12;
        }
        // With one size for every sample only the count grows.
        Put32(table, 8, static_cast<uint32_t>(count));
        mine.PayloadSize = mine.CopiedSize = table.size();
    }
    if (grown == 0)
        return Damaged(b_, "its picture index is empty");
    return true;
}

bool Merger::MergeSyncSamples() {
    for (size_t i = 0; i < a_.Stss.size(); ++i) {
        BoxNode& mine = *a_.Stss[i];
        const BoxNode& theirs = *b_.Stss[i];
        const BoxNode* timing = SiblingOf(a_, &mine, "stts");
        uint32_t countA = 0, countB = 0, entries = 0;
        if (!timing || !TableShape(*timing, 4, 8, entries) || entries == 0 ||
            !TableShape(mine, 4, 4, countA)) {
            return Damaged(a_, "its picture index is cut short");
        }
        if (!TableShape(theirs, 4, 4, countB))
            return Damaged(b_, "its picture index is cut short");
        if (countB == 0)
            return Damaged(b_, "it has no key pictures");
        // The second file's sample numbers continue after the first file's samples.
        const uint32_t shift = Get32(*timing->Payload, 8);
        Bytes& table = *mine.Payload;
        const Bytes& other = *theirs.Payload;
        for (size_t at = 8; at < other.size(); at += 4) {
            const uint64_t number = uint64_t{Get32(other, at)} + shift;
            if (number > kMax32)
                return Fail("the joined movie would hold too many pictures");
            table.resize(table.size() + 4);
            Put32(table, table.size() - 4, static_cast<uint32_t>(number));
        }
        Put32(table, 4, countA + countB);
        mine.PayloadSize = mine.CopiedSize = table.size();
    }
    return true;
}

bool Merger::MergeChunkOffsets() {
    const BoxNode& media = *b_.Mdat[0];
    const uint64_t mediaBegin = media.PayloadOffset + 8;
    const uint64_t mediaEnd = media.PayloadOffset + media.PayloadSize;
    for (size_t i = 0; i < b_.Stco.size(); ++i) {
        BoxNode& mine = *a_.Stco[i];
        const BoxNode& theirs = *b_.Stco[i];
        uint32_t countA = 0, countB = 0;
        if (!TableShape(mine, 4, 4, countA))
            return Damaged(a_, "its picture index is cut short");
        if (!TableShape(theirs, 4, 4, countB))
            return Damaged(b_, "its picture index is cut short");
        if (countB == 0)
            return Damaged(b_, "its picture index is empty");
        Bytes& table = *mine.Payload;
        const Bytes& other = *theirs.Payload;
        for (size_t at = 8; at < other.size(); at += 4) {
            const uint32_t offset = Get32(other, at);
            if (offset < mediaBegin || offset >= mediaEnd) {
                return Damaged(b_, "its picture index points past its pictures and sound");
            }
            // The second file's media follow the first file's, less their 8 leading bytes.
            const uint64_t moved = mediaBefore_ + offset - 8;
            if (moved > kMax32)
                return Fail("the joined movie would be larger than 4 GiB");
            table.resize(table.size() + 4);
            Put32(table, table.size() - 4, static_cast<uint32_t>(moved));
        }
        Put32(table, 4, countA + countB);
        mine.PayloadSize = mine.CopiedSize = table.size();
    }
    return true;
}

bool Merger::AddDurations() {
    struct Field {
        std::vector<BoxNode*> BoxTree::*list;
        size_t offset;
    };
    // Movie, track, edit and media durations, and the frame count of the time-to-sample entry.
    static const Field kFields[] = {{&BoxTree::Mvhd, 16},
                                    {&BoxTree::Tkhd, 20},
                                    {&BoxTree::Elst, 8},
                                    {&BoxTree::Mdhd, 16},
                                    {&BoxTree::Stts, 8}};
    for (const Field& field : kFields) {
        const std::vector<BoxNode*>& mine = a_.*field.list;
        const std::vector<BoxNode*>& theirs = b_.*field.list;
        for (size_t i = 0; i < mine.size(); ++i) {
            Bytes& table = *mine[i]->Payload;
            const Bytes& other = *theirs[i]->Payload;
            if (table.size() < field.offset + 4)
                return Damaged(a_, "its movie header is cut short");
            if (other.size() < field.offset + 4)
                return Damaged(b_, "its movie header is cut short");
            const uint64_t sum = uint64_t{Get32(table, field.offset)} + Get32(other, field.offset);
            // A wrapped 32-bit sum would give the joined movie a wrong length.
            if (sum > kMax32)
                return Fail("the joined movie would be too long");
            Put32(table, field.offset, static_cast<uint32_t>(sum));
        }
    }
    return true;
}

} // namespace

bool MergeBoxTrees(BoxTree& first, const BoxTree& next, std::string* error) {
    return Merger(first, next).Run(error);
}

} // namespace kestrel
