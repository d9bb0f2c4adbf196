#include "engine/RecordingCatalogue.h"

#include "platform/FileError.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// The recorder ends every movie with an 18-byte trailer that starts with this text.
constexpr char kTrailerMagic[] = "CSNEND";
constexpr size_t kTrailerSize = 18;
// The head read to find the movie's "ftyp" box at bytes 4 to 7.
constexpr size_t kHeadSize = 260;

// Serial numbers run on for the whole process, across every build.
std::atomic<int32_t> gNextSerial{0};

// A descriptor closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// Opens for reading without blocking on a pipe or a device that happens to carry a movie's
// name; only a regular file is accepted.
FileDescriptor OpenRegularFile(const char* path, uint64_t& size) {
    FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.IsOpen()) return fd;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return FileDescriptor(-1);
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

bool ReadFullyAt(int fd, void* buffer, size_t length, uint64_t offset) {
    auto* out = static_cast<char*>(buffer);
    while (length > 0) {
        ssize_t got = ::pread(fd, out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        length -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

// The size of a recorder file: one that ends with the trailer and starts with an "ftyp"
// box; none for any other file or when a read fails.
std::optional<uint64_t> ProbeRecorderFile(const char* path) {
    uint64_t size = 0;
    FileDescriptor fd = OpenRegularFile(path, size);
    if (!fd.IsOpen() || size < kTrailerSize) return std::nullopt;
    char trailer[kTrailerSize];
    if (!ReadFullyAt(fd.Get(), trailer, kTrailerSize, size - kTrailerSize)) return std::nullopt;
    if (std::memcmp(trailer, kTrailerMagic, 6) != 0) return std::nullopt;
    char head[kHeadSize];
    if (!ReadFullyAt(fd.Get(), head, kHeadSize, 0)) return std::nullopt;
    if (std::memcmp(head + 4, "ftyp", 4) != 0) return std::nullopt;
    return size;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// The extension runs from the name's last '.'.
bool HasMovExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && EqualsNoCase(name.substr(dot), ".MOV");
}

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

// Number of characters of a UTF-8 name: every byte that does not continue a sequence.
size_t CharacterCount(std::string_view name) {
    return static_cast<size_t>(std::count_if(name.begin(), name.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The first character of a UTF-8 name as a code point; a byte that does not start a valid
// sequence stands for itself.
int32_t FirstCodePoint(std::string_view name) {
    if (name.empty()) return 0;
    const auto lead = static_cast<unsigned char>(name[0]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                    : (lead >> 3) == 0x1E ? 4 : 0;
    if (length <= 1 || name.size() < length) return lead;
    uint32_t code = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(name[i]);
        if ((next & 0xC0) != 0x80) return lead;
        code = (code << 6) | (next & 0x3Fu);
    }
    return static_cast<int32_t>(code);
}

struct KindInfo {
    char Letter;
    RecordingKind Kind;
};

// The kind letters in the order they are tested: the first marker found decides.
constexpr std::array<KindInfo, 9> kKindOrder{{
    {'A', KindContinuous},
    {'M', KindManual},
    {'G', KindImpact},
    {'P', KindParking},
    {'S', KindParkingImpact},
    {'T', KindParkingT},
    {'U', KindParkingImpactU},
    {'O', KindSpeedCamera},
    {'R', KindRadar},
}};

// Indexed by RecordingKind.
constexpr std::array<KindMask, 9> kKindBits{0x01, 0x04, 0x02, 0x08, 0x10, 0x20, 0x40, 0x08, 0x10};
constexpr std::array<std::string_view, 9> kKindLabels{
    "常時", "衝撃", "マニュアル", "駐車", "駐車衝撃", "速度取締機", "レーダー", "駐車", "駐車衝撃",
};

// Names of up to this many characters carry no label.
constexpr size_t kShortNameLength = 15;

// Ordinal name order: UTF-8 bytes compared as unsigned numbers.
bool NameLess(const std::string& a, const std::string& b) { return a < b; }

// A folder's entry's full path. Kept as a plain string: walks build one per file.
std::string JoinPath(const fs::path& folder, std::string_view name) {
    std::string path = folder.native();
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

void AppendRecording(std::string fullPath, std::string_view name, uint64_t size,
                     Catalogue& list, CatalogueCounters& counters) {
    RecordingEntry entry;
    entry.FullPath = std::move(fullPath);
    const RecordingKind kind = ClassifyName(name);
    entry.NameInitial = kind != KindNone ? FirstCodePoint(name) : 0;
    entry.FileName = name;
    entry.ListIndex = counters.NextListIndex++;
    entry.Serial = gNextSerial.fetch_add(1, std::memory_order_relaxed);
    entry.EntryType = EntryRecording;
    entry.FileSize = size;
    list.push_back(std::move(entry));
}

// Classifies an entry whose type the listing did not give, or a link: a link counts as a
// regular file when it leads to one, and never as a directory, so walks do not follow it.
void ClassifyByStat(int dirFd, const char* name, bool isLink, DirEntry& entry) {
    struct stat st {};
    if (!isLink) {
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
        if (S_ISDIR(st.st_mode)) {
            entry.IsDirectory = true;
            return;
        }
        if (!S_ISLNK(st.st_mode)) {
            entry.IsRegularFile = S_ISREG(st.st_mode);
            return;
        }
    }
    if (::fstatat(dirFd, name, &st, 0) == 0) entry.IsRegularFile = S_ISREG(st.st_mode);
}

// Removes the folder's sub-folders whose subtrees hold no file and adds to `held` what the
// folder's own subtree holds (files, and folders that cannot be examined).
bool PruneFolder(const fs::path& folder, int depth, int64_t& held) {
    DirListing listing;
    if (!ListFolder(folder, listing)) {
        ++held; // contents unknown: keep the folder
        return true;
    }
    SortListing(listing);
    for (const DirEntry& e : listing) {
        if (!e.IsDirectory) ++held;
    }
    for (const DirEntry& e : listing) {
        if (!e.IsDirectory || IsDotName(e.Name)) continue;
        if (depth >= kMaxWalkDepth) {
            ++held; // not examined: it may hold files
            continue;
        }
        const fs::path sub = folder / e.Name;
        int64_t subHeld = 0;
        if (!PruneFolder(sub, depth + 1, subHeld)) return false;
        if (subHeld == 0) {
            if (!DeleteFolderTree(sub)) return false;
        } else {
            held += subHeld;
        }
    }
    return true;
}

} // namespace

bool IsMovFile(const fs::path& path) {
    const std::string_view full = path.native();
    return HasMovExtension(full.substr(full.rfind('/') + 1));
}

bool IsRecorderFile(const fs::path& path) { return ProbeRecorderFile(path.c_str()).has_value(); }

std::string UnreadableFileText(const fs::path& path, int error) {
    return path.string() + " " + platform::FileErrorText(error);
}

std::string RegularFileProblem(const fs::path& path, uint64_t* size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return UnreadableFileText(path, errno);
    if (S_ISDIR(st.st_mode))
        return UnreadableFileText(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        return path.string() + " is not a regular file";
    if (size)
        *size = static_cast<uint64_t>(st.st_size);
    return {};
}

std::string RecorderFileProblem(const fs::path& path) {
    if (std::string problem = RegularFileProblem(path); !problem.empty())
        return problem;
    uint64_t size = 0;
    FileDescriptor fd = OpenRegularFile(path.c_str(), size);
    if (!fd.IsOpen())
        return UnreadableFileText(path, errno);
    if (size == 0)
        return path.string() + " is empty";
    if (!ProbeRecorderFile(path.c_str()))
        return path.string() + " is not a recorder movie";
    return {};
}

RecordingKind ClassifyName(std::string_view name) {
    // Collect the letters of every marker "_X.MOV" in one pass; the earliest letter of the
    // test order wins, wherever its marker stands.
    uint32_t found = 0;
    for (size_t at = name.find('_'); at != std::string_view::npos && at + 6 <= name.size();
         at = name.find('_', at + 1)) {
        if (!EqualsNoCase(name.substr(at + 2, 4), ".MOV")) continue;
        const char letter = AsciiUpper(name[at + 1]);
        for (size_t i = 0; i < kKindOrder.size(); ++i) {
            if (kKindOrder[i].Letter == letter) found |= 1u << i;
        }
    }
    if (found == 0) return KindNone;
    return kKindOrder[static_cast<size_t>(std::countr_zero(found))].Kind;
}

bool IsRecorderName(std::string_view name) {
    if (name.size() < 7) return false;
    for (size_t i = 0; i < 6; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return name[6] == '_' && ClassifyName(name) != KindNone;
}

std::string_view KindLabel(std::string_view name) {
    if (CharacterCount(name) <= kShortNameLength) return {};
    const RecordingKind kind = ClassifyName(name);
    if (kind == KindNone) return {};
    return kKindLabels[static_cast<size_t>(kind)];
}

KindMask KindBit(RecordingKind kind) {
    return kind == KindNone ? 0 : kKindBits[static_cast<size_t>(kind)];
}

void AddKindBit(std::string_view name, KindMask& mask) { mask |= KindBit(ClassifyName(name)); }

bool ListFolder(const fs::path& folder, DirListing& list) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    const int dirFd = ::dirfd(dir);
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* de = ::readdir(dir);
        if (de == nullptr) {
            ok = errno == 0;
            break;
        }
        DirEntry entry;
        entry.Name = de->d_name;
        switch (de->d_type) {
        case DT_DIR: entry.IsDirectory = true; break;
        case DT_REG: entry.IsRegularFile = true; break;
        case DT_LNK: ClassifyByStat(dirFd, de->d_name, true, entry); break;
        case DT_UNKNOWN: ClassifyByStat(dirFd, de->d_name, false, entry); break;
        default: break;
        }
        list.push_back(std::move(entry));
    }
    ::closedir(dir);
    return ok;
}

void SortListing(DirListing& list) {
    std::sort(list.begin(), list.end(),
              [](const DirEntry& a, const DirEntry& b) { return NameLess(a.Name, b.Name); });
}

bool AddRecordingEntry(const fs::path& path, Catalogue& list, CatalogueCounters& counters) {
    if (!IsMovFile(path)) return false;
    uint64_t size = 0;
    FileDescriptor fd = OpenRegularFile(path.c_str(), size);
    if (!fd.IsOpen()) return false;
    const std::string_view full = path.native();
    AppendRecording(path.string(), full.substr(full.rfind('/') + 1), size, list, counters);
    return true;
}

void AddFolderEntry(const fs::path& folder, Catalogue& list) {
    RecordingEntry entry;
    entry.FullPath = folder.string();
    entry.FileName = folder.filename().string();
    entry.ListIndex = -1;
    entry.Serial = -1;
    entry.EntryType = EntryFolder;
    entry.FileSize = ~uint64_t{0};
    list.push_back(std::move(entry));
}

bool FolderKindMask(const fs::path& folder, KindMask& mask) {
    DirListing listing;
    if (!ListFolder(folder, listing)) return false;
    for (const DirEntry& e : listing) {
        if (!e.IsDirectory && HasMovExtension(e.Name) &&
            ProbeRecorderFile(JoinPath(folder, e.Name).c_str())) {
            AddKindBit(e.Name, mask);
        }
    }
    return true;
}

bool BuildTreeCatalogue(const fs::path& folder, Catalogue& catalogue,
                        CatalogueCounters& counters, const TreeWalk& walk) {
    DirListing listing;
    if (!ListFolder(folder, listing)) return true;
    SortListing(listing);

    int inserted = 0;
    const auto insert = [&](const std::string& label) {
        ++inserted;
        return walk.Tree ? walk.Tree->InsertItem(walk.Parent, label) : CatalogueTree::kRoot;
    };
    for (const DirEntry& e : listing) {
        if (!e.IsDirectory || IsDotName(e.Name) || walk.Depth >= kMaxWalkDepth) continue;
        const fs::path sub = folder / e.Name;
        if (walk.CardMode) {
            // A card's folder is shown only when it holds recordings of its own.
            int64_t count = 0;
            const TreeWalk counting{nullptr, CatalogueTree::kRoot, nullptr, true, false, &count,
                                    walk.Depth + 1};
            if (!BuildTreeCatalogue(sub, catalogue, counters, counting)) return false;
            if (count == 0 || !walk.AddEntries || inserted >= kMaxTreeItemsPerWalk) continue;
            const CatalogueTree::Item item = insert(e.Name);
            if (walk.FolderEntries) AddFolderEntry(sub, *walk.FolderEntries);
            KindMask mask = 0;
            FolderKindMask(sub, mask);
            if (walk.Tree) walk.Tree->SetItemValue(item, mask);
        } else if (walk.AddEntries && inserted < kMaxTreeItemsPerWalk) {
            insert(e.Name);
        }
    }
    // The size of an entry comes from the open made for the check, so each recording is
    // opened once.
    for (const DirEntry& e : listing) {
        if (e.IsDirectory || !HasMovExtension(e.Name)) continue;
        std::string file = JoinPath(folder, e.Name);
        const std::optional<uint64_t> size = ProbeRecorderFile(file.c_str());
        if (!size) continue;
        if (walk.FileCount) ++*walk.FileCount;
        if (walk.AddEntries) AppendRecording(std::move(file), e.Name, *size, catalogue, counters);
    }
    return true;
}

bool BuildFlatCatalogue(const fs::path& folder, Catalogue& catalogue,
                        CatalogueCounters& counters, int64_t* fileCount, int depth) {
    DirListing listing;
    if (!ListFolder(folder, listing)) return true;
    std::sort(listing.begin(), listing.end(), [](const DirEntry& a, const DirEntry& b) {
        if (a.IsDirectory != b.IsDirectory) return a.IsDirectory;
        return NameLess(a.Name, b.Name);
    });

    for (const DirEntry& e : listing) {
        if (!e.IsDirectory || IsDotName(e.Name) || depth >= kMaxWalkDepth) continue;
        Catalogue block;
        int64_t count = 0;
        if (!BuildFlatCatalogue(folder / e.Name, block, counters, &count, depth + 1)) {
            return false;
        }
        // A sub-folder without files of its own may still hold recordings further down;
        // its block is kept whenever it holds any.
        if (block.empty()) continue;
        SortCatalogue(block);
        catalogue.insert(catalogue.end(), std::make_move_iterator(block.begin()),
                         std::make_move_iterator(block.end()));
    }
    for (const DirEntry& e : listing) {
        if (e.IsDirectory) continue;
        if (fileCount) ++*fileCount;
        if (!HasMovExtension(e.Name)) continue; // as in the tree walk, one open per file
        std::string file = JoinPath(folder, e.Name);
        if (const std::optional<uint64_t> size = ProbeRecorderFile(file.c_str())) {
            AppendRecording(std::move(file), e.Name, *size, catalogue, counters);
        }
    }
    return true;
}

void SortCatalogue(Catalogue& catalogue) {
    const auto byName = [](const RecordingEntry& a, const RecordingEntry& b) {
        return NameLess(a.FileName, b.FileName);
    };
    const auto wellNamedEnd =
        std::stable_partition(catalogue.begin(), catalogue.end(),
                              [](const RecordingEntry& e) { return IsRecorderName(e.FileName); });
    std::sort(catalogue.begin(), wellNamedEnd, byName);
    std::sort(wellNamedEnd, catalogue.end(), byName);
}

void RemoveEntriesByName(Catalogue& catalogue, const Catalogue& removed) {
    std::unordered_set<std::string_view> names;
    for (const RecordingEntry& e : removed) names.insert(e.FileName);
    std::erase_if(catalogue, [&](const RecordingEntry& e) { return names.contains(e.FileName); });
}

bool PruneEmptyFolders(const fs::path& folder, bool cardMode, int64_t* fileCount, int depth) {
    if (!cardMode) return true;
    int64_t held = 0;
    const bool ok = PruneFolder(folder, depth, held);
    if (fileCount) *fileCount += held;
    return ok;
}

bool DeleteFolderTree(const fs::path& folder) {
    // Never reach through a link: only a real directory and what it holds are deleted.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    DirListing listing;
    ListFolder(folder, listing);
    for (const DirEntry& e : listing) {
        if (IsDotName(e.Name)) continue;
        const fs::path item = folder / e.Name;
        if (e.IsDirectory) {
            if (!DeleteFolderTree(item)) return false;
        } else if (::unlink(item.c_str()) != 0) {
            return false;
        }
    }
    return ::rmdir(folder.c_str()) == 0;
}

} // namespace kestrel
