#include "engine/BoxTree.h"

#include "engine/KnownBoxTypes.h"
#include "engine/SensorDecoder.h"
#include "platform/MappedView.h"

#include <algorithm>
#include <cstring>

namespace kestrel {
namespace {

// A nested box may hold boxes that hold boxes...; deeper than this the box is kept as data.
constexpr int kMaxDepth = 16;
// Leaf payloads are small (sample tables, descriptions); a bigger one is not copied.
constexpr uint64_t kMaxCopy = 64ull << 20;
// The recorder's data is looked for in the first 5 MiB of a "udat" box.
constexpr uint64_t kRecordSearchWindow = 5ull << 20;

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

bool ReadFile(const platform::FileMapping& file, uint64_t offset, void* out, size_t length) {
    if (length == 0)
        return true;
    platform::MappedView view;
    if (!view.Map(file, offset, length))
        return false;
    std::memcpy(out, view.Data(), length);
    return !file.Shrunk(); // zeros were read past the file's new end
}

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

// What a box holds, in the words of someone who keeps the recordings rather than parses them.
std::string PartOfMovie(const char* type) {
    struct Part {
        const char* Type;
        const char* Words;
    };
    static const Part kParts[] = {
        {"ftyp", "file type"},     {"moov", "movie header"},  {"mdat", "pictures and sound"},
        {"udat", "recorder data"}, {"free", "padding"},       {"skip", "padding"},
        {"trak", "track"},         {"stbl", "picture index"}, {"mvhd", "movie header"},
    };
    for (const Part& part : kParts) {
        if (std::memcmp(type, part.Type, 4) == 0)
            return part.Words;
    }
    return "movie data";
}

class TreeLoader {
  public:
    TreeLoader(BoxTree& tree, bool copy, const KnownBoxTypes& types)
        : tree_(tree), copy_(copy), types_(types) {}

    bool Load(std::string* error);

  private:
    // How the walk of one box's children ended.
    enum class Walk { Done, Opaque, Failed };

    Walk ParseChildren(BoxNode& parent);
    bool CreateNode(BoxNode& node);
    void ReadUdatCounts(BoxNode& node);
    bool CopyPayload(BoxNode& node);
    bool MakeOpaque(BoxNode& node);

    BoxTree& tree_;
    bool copy_;
    const KnownBoxTypes& types_;
    std::string failure_;
};

bool TreeLoader::Load(std::string* error) {
    BoxNode& root = tree_.Root;
    root.Source = &tree_.File;
    root.PayloadSize = root.PayloadSizeOriginal = tree_.Size;
    const Walk walk = ParseChildren(root);
    if (walk == Walk::Failed) {
        SetError(error, failure_);
        return false;
    }
    // A top-level box of an unknown type ends the walk: the tree keeps what came before it,
    // and the root counts as raw so that it is never written.
    if (walk == Walk::Opaque)
        root.Raw = 1;
    return true;
}

TreeLoader::Walk TreeLoader::ParseChildren(BoxNode& parent) {
    const bool isRoot = parent.Depth == 0;
    uint64_t position = parent.PayloadOffset;
    const uint64_t end = parent.PayloadOffset + parent.PayloadSize;
    uint64_t total = 0;
    while (total < parent.PayloadSize) {
        uint8_t header[8];
        const bool fits = end - position >= sizeof header;
        if (fits && !ReadFile(tree_.File, position, header, sizeof header)) {
            failure_ = "cannot be read";
            return Walk::Failed;
        }
        const char* type = reinterpret_cast<const char*>(header + 4);
        if (fits && !types_.Contains(type))
            return Walk::Opaque;
        const uint64_t size = fits ? BigEndian32(header) : 0;
        if (size < 8 || size > end - position) {
            // A nested "container" may be a leaf whose data only looked like a box: keep it
            // as data. At the top level the file itself is cut or damaged.
            if (!isRoot)
                return Walk::Opaque;
            if (size > end - position)
                failure_ = "is damaged: it ends inside its " + PartOfMovie(type);
            else if (parent.Children.empty())
                failure_ = "is damaged: it does not start as a movie";
            else
                failure_ = "is damaged: its " + PartOfMovie(parent.Children.back().Name) +
                           " is followed by unreadable data";
            return Walk::Failed;
        }
        BoxNode child;
        child.Depth = parent.Depth + 1;
        std::memcpy(child.Name, type, 4);
        child.Source = &tree_.File;
        child.PayloadSize = child.PayloadSizeOriginal = size - 8;
        child.PayloadOffset = child.PayloadOffsetOriginal = position + 8;
        if (!CreateNode(child))
            return Walk::Failed;
        if (!child.Raw && size > 12) {
            const Walk inner = child.Depth >= kMaxDepth ? Walk::Opaque : ParseChildren(child);
            if (inner == Walk::Failed)
                return Walk::Failed;
            if (inner == Walk::Opaque && !MakeOpaque(child))
                return Walk::Failed;
        }
        parent.Children.push_back(std::move(child));
        total += size;
        position += size;
    }
    return Walk::Done;
}

bool TreeLoader::CreateNode(BoxNode& node) {
    if (node.Is("mdat") || node.Is("udat")) {
        node.Raw = 1;
        if (node.Is("udat"))
            ReadUdatCounts(node);
        return true;
    }
    uint8_t first[8];
    if (node.PayloadSize >= sizeof first) {
        if (!ReadFile(tree_.File, node.PayloadOffset, first, sizeof first)) {
            failure_ = "cannot be read";
            return false;
        }
        if (types_.Contains(reinterpret_cast<const char*>(first + 4)))
            return true; // container
    }
    node.Raw = 1;
    return CopyPayload(node);
}

void TreeLoader::ReadUdatCounts(BoxNode& node) {
    uint8_t count[2];
    if (node.PayloadSize >= kUdatRecordsOffset &&
        ReadFile(tree_.File, node.PayloadOffset + kUdatRecordsOffset - 2, count, 2)) {
        node.RecordCount = BigEndian16(count);
    }
    node.RecordBytes = node.RecordCount * kUdatRecordSize;
    node.UdatTotal = kUdatRecordsOffset + node.RecordBytes + kUdatTrailerSize;
    // The recorder's trailer follows the records; the written box ends with it.
    std::memcpy(node.Trailer.data(), "CSNEND", 6);
    const uint64_t trailerAt = kUdatRecordsOffset + node.RecordBytes;
    uint8_t trailer[kUdatTrailerSize];
    if (node.PayloadSize >= trailerAt + kUdatTrailerSize &&
        ReadFile(tree_.File, node.PayloadOffset + trailerAt, trailer, sizeof trailer) &&
        std::memcmp(trailer, "CSNEND", 6) == 0) {
        std::memcpy(node.Trailer.data(), trailer, sizeof trailer);
    }
}

bool TreeLoader::CopyPayload(BoxNode& node) {
    if (!copy_)
        return true;
    if (node.PayloadSize > kMaxCopy) {
        failure_ = "is damaged: its " + PartOfMovie(node.Name) + " is far too large";
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(node.PayloadSize));
    if (!ReadFile(tree_.File, node.PayloadOffset, bytes.data(), bytes.size())) {
        failure_ = "cannot be read";
        return false;
    }
    node.CopiedSize = bytes.size();
    node.Payload = std::move(bytes);
    return true;
}

// A box whose contents are not boxes after all is kept whole as data, so that writing it
// gives back exactly what was read.
bool TreeLoader::MakeOpaque(BoxNode& node) {
    node.Children.clear();
    node.Raw = 1;
    return CopyPayload(node);
}

void CollectLists(BoxTree& tree, BoxNode& node) {
    struct ListOf {
        const char* type;
        std::vector<BoxNode*> BoxTree::*list;
    };
    static const ListOf kLists[] = {
        {"mdat", &BoxTree::Mdat}, {"udat", &BoxTree::Udat}, {"stsz", &BoxTree::Stsz},
        {"stco", &BoxTree::Stco}, {"mdhd", &BoxTree::Mdhd}, {"stss", &BoxTree::Stss},
        {"stts", &BoxTree::Stts}, {"mvhd", &BoxTree::Mvhd}, {"tkhd", &BoxTree::Tkhd},
        {"elst", &BoxTree::Elst}, {"stsd", &BoxTree::Stsd},
    };
    for (const ListOf& entry : kLists) {
        if (node.Is(entry.type))
            (tree.*entry.list).push_back(&node);
    }
    for (BoxNode& child : node.Children)
        CollectLists(tree, child);
}

} // namespace

bool BoxNode::Is(const char* type) const {
    return std::memcmp(Name, type, 4) == 0;
}

std::unique_ptr<BoxTree> LoadBoxTree(const std::filesystem::path& path, bool copy,
                                     std::string* error) {
    return LoadBoxTree(path, copy, KnownBoxTypes::Shared(), error);
}

std::unique_ptr<BoxTree> LoadBoxTree(const std::filesystem::path& path, bool copy,
                                     const KnownBoxTypes& types, std::string* error) {
    auto tree = std::make_unique<BoxTree>();
    std::string openError;
    if (!tree->File.Open(path, &openError)) {
        SetError(error, path.string() + " " + openError);
        return nullptr;
    }
    if (tree->File.Size() == 0) {
        SetError(error, path.string() + " is empty");
        return nullptr;
    }
    tree->Path = path;
    tree->Size = tree->File.Size();
    tree->Granularity = platform::AllocationGranularity();
    TreeLoader loader(*tree, copy, types);
    std::string loadError;
    if (!loader.Load(&loadError)) {
        SetError(error, path.string() + " " + loadError);
        return nullptr;
    }
    CollectLists(*tree, tree->Root);
    return tree;
}

void FreeBoxTree(std::unique_ptr<BoxTree>& tree) {
    tree.reset();
}

uint64_t NodeSize(const BoxNode& node) {
    if (node.Raw)
        return node.PayloadSize + 8;
    uint64_t size = 8;
    for (const BoxNode& child : node.Children)
        size += NodeSize(child);
    return size;
}

bool ReadPayload(const BoxNode& node, uint64_t offset, void* out, size_t length) {
    if (offset > node.PayloadSize || length > node.PayloadSize - offset)
        return false;
    if (node.Payload) {
        if (offset + length > node.Payload->size())
            return false;
        std::memcpy(out, node.Payload->data() + offset, length);
        return true;
    }
    // Without a copy the payload is read where the box was found.
    if (!node.Source || node.PayloadSize != node.PayloadSizeOriginal)
        return false;
    return ReadFile(*node.Source, node.PayloadOffset + offset, out, length);
}

VideoSize VideoSizeOf(const BoxTree& tree) {
    uint8_t size[4];
    if (tree.Stsd.empty() || !ReadPayload(*tree.Stsd.front(), 40, size, sizeof size))
        return {};
    return {BigEndian16(size), BigEndian16(size + 2)};
}

int64_t FrameCountOf(const BoxTree& tree) {
    uint8_t count[4];
    if (tree.Stts.empty() || !ReadPayload(*tree.Stts.front(), 8, count, sizeof count))
        return -1;
    return BigEndian32(count);
}

double FrameRateOf(const BoxTree& tree) {
    uint8_t delta[4];
    if (tree.Stts.empty() || !ReadPayload(*tree.Stts.front(), 12, delta, sizeof delta))
        return -1.0;
    const uint32_t value = BigEndian32(delta);
    return value == 0 ? -1.0 : 90000.0 / value;
}

bool FirstRecordTime(const BoxTree& tree, DateTime& out) {
    static constexpr char kTag[] = "CSNDAT";
    static constexpr size_t kTagLength = sizeof kTag - 1;
    out = DateTime{};
    for (const BoxNode* udat : tree.Udat) {
        const uint64_t available = std::min(udat->PayloadSizeOriginal, kRecordSearchWindow);
        const uint64_t limit = std::min(available, tree.Size - udat->PayloadOffsetOriginal);
        platform::MappedView view;
        if (limit == 0 || !view.Map(tree.File, udat->PayloadOffsetOriginal, limit))
            continue;
        const uint8_t* begin = view.Data();
        const uint8_t* end = begin + view.Size();
        const uint8_t* tag = std::search(begin, end, kTag, kTag + kTagLength);
        if (tag == end)
            continue;
        // The count follows the tag and the header; the first record follows the count.
        const size_t rest = static_cast<size_t>(end - tag);
        const size_t countAt = kTagLength + kUdatHeaderSize;
        const size_t recordAt = countAt + 2;
        if (rest >= recordAt && BigEndian16(tag + countAt) != 0 &&
            rest >= recordAt + kUdatRecordSize) {
            const uint8_t* record = tag + recordAt;
            out = RecordedLocalTime(record + 31, record + 44);
        }
        if (tree.File.Shrunk())
            break; // the bytes past the file's new end were zeros
        return true;
    }
    out = DateTime{};
    return false;
}

} // namespace kestrel
