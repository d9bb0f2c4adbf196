#include "SourceCatalogue.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kestrel::cli {

namespace fs = std::filesystem;

bool CatalogueOfPath(const fs::path& path, bool flat, Catalogue& out, std::string& error) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path source = ec ? path : absolute;
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) {
        error = "cannot read " + source.string() + ": " + std::strerror(errno);
        return false;
    }
    CatalogueCounters counters;
    if (!S_ISDIR(st.st_mode)) {
        if (IsMovFile(source) && IsRecorderFile(source))
            AddRecordingEntry(source, out, counters);
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
