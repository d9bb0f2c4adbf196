// kestrel-cli list PATH [--flat] [--tree] [--json]: the catalogue of a folder, a card's
// folder tree, or one movie file, in the order the viewer lists them.
#include "Commands.h"
#include "JsonWriter.h"

#include "engine/RecordingCatalogue.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;

struct ListOptions {
    fs::path Path;
    bool Flat = false;
    bool Tree = false;
    bool Json = false;
};

// One folder of the tree as the file panel shows it.
struct TreeLine {
    std::string Path; // relative to the listed folder
    int Depth = 0;    // number of ancestors
    KindMask Mask = 0;
};

struct Listing {
    Catalogue Entries;
    std::vector<TreeLine> Tree;
};

// Keeps every inserted item with its parent so the tree can be printed and walked.
class RecordedTree : public CatalogueTree {
public:
    struct Node {
        Item Parent = kRoot;
        std::string Label;
        KindMask Mask = 0;
        std::vector<Item> Children;
    };

    Item InsertItem(Item parent, const std::string& label) override {
        nodes_.push_back(Node{parent, label, 0, {}});
        const Item item = static_cast<Item>(nodes_.size());
        ListOf(parent).push_back(item);
        return item;
    }
    void SetItemValue(Item item, KindMask mask) override { At(item).Mask = mask; }

    Node& At(Item item) { return nodes_[static_cast<size_t>(item - 1)]; }
    // A copy: walking a child inserts items into the list being walked.
    std::vector<Item> ChildrenOf(Item item) { return ListOf(item); }

  private:
    std::vector<Item>& ListOf(Item item) { return item == kRoot ? top_ : At(item).Children; }

    // Item n is nodes_[n - 1]. A deque: the walks insert items while callers still hold
    // nodes (a label, a child list) of the items above them.
    std::deque<Node> nodes_;
    std::vector<Item> top_;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "kestrel-cli list: %s\n", message.c_str());
    return 1;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "kestrel-cli list: %s (usage: kestrel-cli list PATH [--flat] [--tree] "
                         "[--json])\n",
                 message.c_str());
    return 2;
}

// Parses the arguments; on an error returns the exit code through `exitCode`.
bool ParseOptions(const Args& args, ListOptions& options, int& exitCode) {
    bool havePath = false;
    for (const std::string& arg : args) {
        if (arg == "--flat") {
            options.Flat = true;
        } else if (arg == "--tree") {
            options.Tree = true;
        } else if (arg == "--json") {
            options.Json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            exitCode = UsageError("unknown option '" + arg + "'");
            return false;
        } else if (havePath) {
            exitCode = UsageError("more than one PATH");
            return false;
        } else {
            options.Path = arg;
            havePath = true;
        }
    }
    if (!havePath || options.Path.empty()) {
        exitCode = UsageError("missing PATH");
        return false;
    }
    if (options.Flat && options.Tree) {
        exitCode = UsageError("--flat and --tree cannot be combined");
        return false;
    }
    return true;
}

// The recordings of one walk in the viewer's order, appended to the listing.
void AppendSorted(Catalogue& block, Listing& listing) {
    SortCatalogue(block);
    listing.Entries.insert(listing.Entries.end(), std::make_move_iterator(block.begin()),
                           std::make_move_iterator(block.end()));
}

// Walks a selected tree item's folder as the file panel does when the user selects it
// (card mode off, depth = number of ancestors), then each item that walk inserted.
bool ExpandItem(RecordedTree& tree, CatalogueTree::Item item, const fs::path& root,
                const std::string& relative, int depth, Listing& listing) {
    listing.Tree.push_back(TreeLine{relative, depth, tree.At(item).Mask});
    Catalogue block;
    CatalogueCounters counters;
    const TreeWalk walk{&tree, item, nullptr, false, true, nullptr, depth};
    if (!BuildTreeCatalogue(root / relative, block, counters, walk)) return false;
    AppendSorted(block, listing);
    for (CatalogueTree::Item child : tree.ChildrenOf(item)) {
        const std::string path = relative + "/" + tree.At(child).Label;
        if (!ExpandItem(tree, child, root, path, depth + 1, listing)) return false;
    }
    return true;
}

bool ListCardTree(const fs::path& root, Listing& listing) {
    RecordedTree tree;
    Catalogue block;
    Catalogue folderEntries;
    CatalogueCounters counters;
    const TreeWalk walk{&tree, CatalogueTree::kRoot, &folderEntries, true, true, nullptr, 0};
    if (!BuildTreeCatalogue(root, block, counters, walk)) return false;
    AppendSorted(block, listing);
    for (CatalogueTree::Item item : tree.ChildrenOf(CatalogueTree::kRoot)) {
        if (!ExpandItem(tree, item, root, tree.At(item).Label, 0, listing)) return false;
    }
    return true;
}

bool ListFolderTree(const fs::path& root, Listing& listing) {
    RecordedTree tree;
    Catalogue block;
    CatalogueCounters counters;
    const TreeWalk walk{&tree, CatalogueTree::kRoot, nullptr, false, true, nullptr, 0};
    if (!BuildTreeCatalogue(root, block, counters, walk)) return false;
    AppendSorted(block, listing);
    for (CatalogueTree::Item item : tree.ChildrenOf(CatalogueTree::kRoot)) {
        listing.Tree.push_back(TreeLine{tree.At(item).Label, 0, tree.At(item).Mask});
    }
    return true;
}

bool ListFlat(const fs::path& root, Listing& listing) {
    CatalogueCounters counters;
    return BuildFlatCatalogue(root, listing.Entries, counters, nullptr, 0);
}

void WriteJson(const Listing& listing, std::string& out) {
    JsonWriter json;
    json.Text().reserve(listing.Entries.size() * 320 + 64);
    json.BeginObject().Key("entries").BeginArray();
    for (const RecordingEntry& e : listing.Entries) {
        json.BeginObject()
            .Field("FullPath", e.FullPath)
            .Field("FileName", e.FileName)
            .Field("ListIndex", e.ListIndex)
            .Field("Serial", e.Serial)
            .Field("EntryType", e.EntryType)
            .Field("NameInitial", e.NameInitial)
            .Field("FileSize", e.FileSize)
            .Field("RecordingKind", static_cast<int32_t>(ClassifyName(e.FileName)))
            .Field("KindLabel", KindLabel(e.FileName))
            .EndObject();
    }
    json.EndArray().Key("tree").BeginArray();
    for (const TreeLine& t : listing.Tree) {
        json.BeginObject()
            .Field("Path", t.Path)
            .Field("Depth", t.Depth)
            .Field("KindMask", t.Mask)
            .EndObject();
    }
    json.EndArray().EndObject();
    out = std::move(json.Text());
    out += '\n';
}

// Control characters of a hostile name must not reach the terminal.
void AppendPrintable(std::string& out, std::string_view text) {
    const size_t start = out.size();
    out += text;
    for (size_t i = start; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (byte < 0x20 || byte == 0x7F) out[i] = '?';
    }
}

template <class T>
void AppendNumber(std::string& out, T value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void WriteText(const Listing& listing, std::string& out) {
    out.reserve(listing.Entries.size() * 160 + listing.Tree.size() * 64);
    for (const TreeLine& t : listing.Tree) {
        char mask[16];
        std::snprintf(mask, sizeof mask, "0x%02x", t.Mask);
        out += "folder depth=";
        AppendNumber(out, t.Depth);
        out += " mask=";
        out += mask;
        out += ' ';
        AppendPrintable(out, t.Path);
        out += '\n';
    }
    for (const RecordingEntry& e : listing.Entries) {
        out += '#';
        AppendNumber(out, e.ListIndex);
        out += ' ';
        AppendPrintable(out, e.FileName);
        out += " kind=";
        AppendNumber(out, static_cast<int32_t>(ClassifyName(e.FileName)));
        const std::string_view label = KindLabel(e.FileName);
        if (!label.empty()) {
            out += " (";
            out += label;
            out += ')';
        }
        out += " size=";
        AppendNumber(out, e.FileSize);
        out += " serial=";
        AppendNumber(out, e.Serial);
        out += ' ';
        AppendPrintable(out, e.FullPath);
        out += '\n';
    }
}

bool WriteOut(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

std::string SystemError(const fs::path& path, int error) {
    return UnreadableFileText(path, error);
}

} // namespace

int RunList(const Args& args) {
    ListOptions options;
    int exitCode = 0;
    if (!ParseOptions(args, options, exitCode)) return exitCode;
    // Entries carry full paths, as the viewer's do.
    std::error_code error;
    const fs::path absolute = fs::absolute(options.Path, error);
    if (!error) options.Path = absolute;

    struct stat st {};
    if (::stat(options.Path.c_str(), &st) != 0) return Fail(SystemError(options.Path, errno));

    Listing listing;
    if (S_ISDIR(st.st_mode)) {
        DirListing probe;
        if (!ListFolder(options.Path, probe)) return Fail(SystemError(options.Path, errno));
        const bool ok = options.Flat   ? ListFlat(options.Path, listing)
                        : options.Tree ? ListCardTree(options.Path, listing)
                                       : ListFolderTree(options.Path, listing);
        if (!ok) return Fail("cannot walk '" + options.Path.string() + "'");
    } else {
        // A single movie file: listed when it is one of the recorder's.
        const int fd = ::open(options.Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return Fail(SystemError(options.Path, errno));
        ::close(fd);
        CatalogueCounters counters;
        if (IsMovFile(options.Path) && IsRecorderFile(options.Path)) {
            AddRecordingEntry(options.Path, listing.Entries, counters);
        }
    }

    std::string out;
    if (options.Json) {
        WriteJson(listing, out);
    } else {
        WriteText(listing, out);
    }
    if (!WriteOut(out)) return Fail(std::string("cannot write the listing: ") + std::strerror(errno));
    return 0;
}

} // namespace kestrel::cli
