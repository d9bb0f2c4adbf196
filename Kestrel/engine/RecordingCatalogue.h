#pragma once
// The catalogue of recordings: which files are the recorder's, their kinds, and the walks
// that list a folder or a card's tree in order.
#include "engine/RecordingEntry.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// One entry of a directory listing.
struct DirEntry {
    std::string Name;
    bool IsDirectory = false;   // a real directory; a link to one is never a directory here
    bool IsRegularFile = false; // a regular file, directly or through a link
};
using DirListing = std::vector<DirEntry>;

using Catalogue = std::vector<RecordingEntry>;

// The build counter that numbers the entries of one build (ListIndex). The caller owns it
// and resets it before each build; the serial counter is process-wide and never reset.
struct CatalogueCounters {
    int32_t NextListIndex = 0;
    void Reset() { NextListIndex = 0; }
};

// The folder tree that a tree walk fills (the file panel's tree control).
class CatalogueTree {
public:
    using Item = std::intptr_t;
    static constexpr Item kRoot = 0;

    virtual ~CatalogueTree() = default;
    // Appends an item labelled `label` as the last child of `parent`; returns its handle.
    virtual Item InsertItem(Item parent, const std::string& label) = 0;
    // Stores the item's application value (the folder's kind mask).
    virtual void SetItemValue(Item item, KindMask mask) = 0;
};

// A tree walk inserts at most this many items per call.
inline constexpr int kMaxTreeItemsPerWalk = 999;
// Sub-folders are walked while the depth is below this.
inline constexpr int kMaxWalkDepth = 3;

// How one call of BuildTreeCatalogue walks.
struct TreeWalk {
    CatalogueTree* Tree = nullptr;               // none: items are counted but not shown
    CatalogueTree::Item Parent = CatalogueTree::kRoot;
    Catalogue* FolderEntries = nullptr;          // card mode: a folder entry per tree item
    bool CardMode = false;
    bool AddEntries = true;                      // off: counting mode
    int64_t* FileCount = nullptr;                // recorder files directly in the folder
    int Depth = 0;
};

// True when the last path component's extension is ".MOV" in any case.
bool IsMovFile(const std::filesystem::path& path);
// True when the file ends with the recorder's trailer and starts with an "ftyp" box.
bool IsRecorderFile(const std::filesystem::path& path);
// Why `path` cannot be used as a recorder movie, as one sentence that names it once ("P
// cannot be read: permission denied", "P is not a regular file", "P is not a recorder
// movie"); empty when it is a readable recorder movie. Never blocks on a named pipe.
std::string RecorderFileProblem(const std::filesystem::path& path);
// Why `path` is not a regular file that can be looked at (missing, a folder, a named pipe, a
// socket or a device), naming it once; empty for a regular file, whose size goes to `size`.
std::string RegularFileProblem(const std::filesystem::path& path, uint64_t* size = nullptr);
// The sentence for a file that could not be opened or read with the system error `error`.
std::string UnreadableFileText(const std::filesystem::path& path, int error);

// The kind from the first kind marker ("_A.MOV" ...) in the name, KindNone without one.
RecordingKind ClassifyName(std::string_view name);
// True for the recorder's own naming: six digits, '_', and a kind marker.
bool IsRecorderName(std::string_view name);
// The kind's label; empty for short names and names without a marker.
std::string_view KindLabel(std::string_view name);
// The mask bit of a kind; 0 for KindNone.
KindMask KindBit(RecordingKind kind);
void AddKindBit(std::string_view name, KindMask& mask);

// Appends every entry of the folder ("." and ".." included) in listing order.
bool ListFolder(const std::filesystem::path& folder, DirListing& list);
// Orders a listing by name (ordinal byte order of the UTF-8 names).
void SortListing(DirListing& list);

bool AddRecordingEntry(const std::filesystem::path& path, Catalogue& list,
                       CatalogueCounters& counters);
void AddFolderEntry(const std::filesystem::path& folder, Catalogue& list);
bool FolderKindMask(const std::filesystem::path& folder, KindMask& mask);

bool BuildTreeCatalogue(const std::filesystem::path& folder, Catalogue& catalogue,
                        CatalogueCounters& counters, const TreeWalk& walk);
bool BuildFlatCatalogue(const std::filesystem::path& folder, Catalogue& catalogue,
                        CatalogueCounters& counters, int64_t* fileCount, int depth);
void SortCatalogue(Catalogue& catalogue);
void RemoveEntriesByName(Catalogue& catalogue, const Catalogue& removed);

bool PruneEmptyFolders(const std::filesystem::path& folder, bool cardMode, int64_t* fileCount,
                       int depth);
bool DeleteFolderTree(const std::filesystem::path& folder);

} // namespace kestrel
