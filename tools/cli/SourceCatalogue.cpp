#include "SourceCatalogue.h"

#include <cerrno>
#include <sys/stat.h>

namespace kestrel::cli {

namespace fs = std::filesystem;

bool CatalogueOfPath(const fs::path& path, bool flat, Catalogue& out, std::string& error) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path source = ec ? path : absolute;
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) {
        error = UnreadableFileText(source, errno);
        return false;
    }
    CatalogueCounters counters;
    if (!S_ISDIR(st.st_mode)) {
        // One file named on its own must be a recorder movie; a folder's walk skips others.
        error = RecorderFileProblem(source);
        if (error.empty() && !IsMovFile(source))
            error = source.string() + " is not a recorder movie (its name does not end in .MOV)";
        if (!error.empty())
            return false;
        if (!AddRecordingEntry(source, out, counters)) {
            error = UnreadableFileText(source, errno);
            return false;
        }
        return true;
    }
    bool ok = false;
    if (flat) {
        ok = BuildFlatCatalogue(source, out, counters, nullptr, 0);
    } else {
        ok = BuildTreeCatalogue(source, out, counters, TreeWalk{});
        SortCatalogue(out);
    }
    if (!ok)
        error = "cannot walk " + source.string();
    return ok;
}

} // namespace kestrel::cli
